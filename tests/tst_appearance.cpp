// Themes, the settings dialog, the welcome dialog and the pictures they show.
#include "testenvironment.h"
#include "testsupport.h"

#include "window/lockermodel.h"
#include "window/mainwindow.h"
#include "window/welcomedialog.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>

using namespace TestSupport;

namespace {

QSettings* Settings()
{
    return Utility::GetInstance().settings;
}

QString Sheet(bool dark)
{
    QFile file(dark ? ":/stylesheets/WindowsStyleSheet.txt" : ":/stylesheets/WindowsStyleSheetLight.txt");
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString(file.readAll()) : QString();
}

void CheckTheme(MainWindow& window, bool dark)
{
    QVERIFY(!Sheet(dark).isEmpty());
    QCOMPARE(window.styleSheet(), Sheet(dark));
    QCOMPARE(window.findChild<QAction*>("actionLight_Theme")->isEnabled(), dark);
    QCOMPARE(window.findChild<QAction*>("action_Dark_Theme")->isEnabled(), !dark);
}

// Runs Tools > Settings and answers the dialog with `answer`.
void RunSettings(MainWindow& window, std::function<void(QWidget*)> answer)
{
    OnNextModal(answer);
    window.findChild<QAction*>("action_Settings")->trigger();
}

QAbstractButton* Button(QWidget* dialog, QDialogButtonBox::StandardButton which)
{
    return dialog->findChild<QDialogButtonBox*>("buttonBox")->button(which);
}

} // namespace

class TestAppearance : public QObject
{
    Q_OBJECT

private slots:
    // Every window starts on a fresh store, so the first one finds no keys and asks nothing.
    void init() { FreshDataFile(); }

    void themeChoicePersistsAndAppliesAtStart_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("dark");
        QTest::newRow("fresh store") << QVariant() << "" << true;
        QTest::newRow("Light Theme") << QVariant() << "actionLight_Theme" << false;
        QTest::newRow("Dark Theme") << QVariant(1) << "action_Dark_Theme" << true;
        QTest::newRow("other values are light") << QVariant(7) << "" << false;
    }

    void themeChoicePersistsAndAppliesAtStart()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, action);
        QFETCH(bool, dark);
        if (stored.isValid())
            Settings()->setValue("display_theme", stored);
        {
            MainWindow first;
            if (!action.isEmpty())
                first.findChild<QAction*>(action)->trigger();
            CheckTheme(first, dark);
        }
        AnswerNextMessageBox(nullptr); // no master password set
        MainWindow next;
        CheckTheme(next, dark);
    }

    void settingsCancelKeepsThemeAndOkApplies()
    {
        MainWindow window;
        // A locker whose marker says its password is saved: it opens without a login.
        const QString id = InsertLocker("web", 1);
        ExecQuery("UPDATE tblLocker SET KEY = '" + Utility::GetHash("web", true) + "' WHERE ID = " + id);
        window.ReloadLockerList();
        auto* view = window.findChild<QTableView*>("tableView");
        const QModelIndex unlock = view->model()->index(0, LockerUnlockColumn);
        emit view->clicked(unlock);
        QVERIFY(window.centralWidget()); // the column opens the locker while shown
        window.findChild<QAction*>("action_Close_Locker")->trigger();

        RunSettings(window, [](QWidget* dialog) {
            QVERIFY(dialog->findChild<QRadioButton*>("radioDarkTheme")->isChecked());
            QVERIFY(dialog->findChild<QCheckBox*>("checkUnlockButton")->isChecked());
            dialog->findChild<QRadioButton*>("radioLightTheme")->setChecked(true);
            Button(dialog, QDialogButtonBox::Cancel)->click();
        });
        CheckTheme(window, true);
        QVERIFY(!Settings()->contains("display_theme"));

        Settings()->setValue("err_msg_4", 1); // silenced notices do not silence "More Info..."
        RunSettings(window, [](QWidget* dialog) {
            QString notice;
            OnNextModal([&notice](QWidget* help) { notice = help->windowTitle(), help->close(); }, dialog);
            dialog->findChild<QPushButton*>("pushHelp")->click();
            QCOMPARE(notice, QString("Unlock Button"));
            dialog->findChild<QRadioButton*>("radioLightTheme")->setChecked(true);
            dialog->findChild<QCheckBox*>("checkUnlockButton")->setChecked(false);
            Button(dialog, QDialogButtonBox::Ok)->click();
        });
        CheckTheme(window, false);
        QCOMPARE(Settings()->value("show_unlock_button").toInt(), 0);
        QVERIFY(unlock.data(Qt::DecorationRole).isNull());
        emit view->clicked(view->model()->index(0, LockerUnlockColumn));
        QVERIFY(!window.centralWidget());
    }

    void welcomeShowsUntilClosedWithBoxTicked_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("escape");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("Close unticked") << QVariant() << false << false << "";
        QTest::newRow("Close ticked") << QVariant() << true << false << "0";
        QTest::newRow("Escape ticked") << QVariant() << true << true << "";
        QTest::newRow("any other value shows") << QVariant(5) << true << false << "0";
        QTest::newRow("0 shows nothing") << QVariant(0) << false << false << "0";
    }

    void welcomeShowsUntilClosedWithBoxTicked()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, tick);
        QFETCH(bool, escape);
        QFETCH(QString, storedAfter);
        if (stored.isValid())
            Settings()->setValue("FIRST_TIME_START", stored);
        QCOMPARE(WelcomeDialog::ShowsAtStart(), stored != 0);
        if (stored == 0)
            return;

        MainWindow window;
        bool shown = false;
        OnNextModal([&](QWidget* dialog) {
            shown = qobject_cast<WelcomeDialog*>(dialog) &&
                    dialog->windowFlags().testFlag(Qt::FramelessWindowHint);
            dialog->findChild<QCheckBox*>("checkBox")->setChecked(tick);
            if (escape)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                dialog->findChild<QPushButton*>("pushClose")->click();
        });
        window.ShowWelcomeDialog();
        QVERIFY(shown);
        QCOMPARE(Settings()->value("FIRST_TIME_START").toString(), storedAfter);
        QCOMPARE(WelcomeDialog::ShowsAtStart(), storedAfter != "0");
    }

    // Every picture path in the forms, the code and the style sheets.
    void everyNamedPictureLoads()
    {
        QStringList paths = {":/resources/images/vantelor_logo.png"}; // the about box's window icon
        const QDir top = QFileInfo(QFINDTESTDATA("../CMakeLists.txt")).dir();
        const QRegularExpression named(R"(:/+((?:images|graphics)/[\w.-]+\.(?:png|ico)))");
        for (const char* folder : {"forms", "core", "window", "entries", "about", "resources/stylesheets"}) {
            for (QDirIterator it(top.filePath(folder), QDir::Files); it.hasNext();) {
                QFile source(it.next());
                QVERIFY(source.open(QIODevice::ReadOnly));
                for (auto match = named.globalMatch(source.readAll()); match.hasNext();)
                    paths << ":/" + match.next().captured(1);
            }
        }
        paths.removeDuplicates();
        QVERIFY2(paths.size() > 30, qPrintable(paths.join(' ')));
        for (const QString& path : paths) {
            const QImage image(path);
            const int shorter = qMin(image.width(), image.height());
            QVERIFY2(shorter >= 8 && qMax(image.width(), image.height()) <= 640, qPrintable(path));
        }
        QCOMPARE(QImage(":/graphics/welcome.png").size(), QSize(640, 480));
    }
};

KESTROVA_TEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
