// Themes, the settings dialog, the welcome dialog and the pictures they show.
#include "testsupport.h"

#include "window/lockermodel.h"
#include "window/mainwindow.h"
#include "window/welcomedialog.h"

void CheckTheme(MainWindow& window, bool dark)
{
    const QString sheet = ReadFile(QString(":/stylesheets/WindowsStyleSheet%1.txt").arg(dark ? "" : "Light"));
    QVERIFY(!sheet.isEmpty());
    QCOMPARE(window.styleSheet(), sheet);
    QCOMPARE(Child<QAction>(&window, "actionLight_Theme")->isEnabled(), dark);
    QCOMPARE(Child<QAction>(&window, "action_Dark_Theme")->isEnabled(), !dark);
}

class TestAppearance : public QObject
{
    Q_OBJECT

private slots:
    // Every window starts on a fresh store, so the first one finds no keys and asks nothing.
    void init() { FreshDataFile(); }
    void cleanup() { FinishTest(); }

    // The theme from the settings dialog and the View menu, applied at the next start.
    void themeAndUnlockColumn()
    {
        MainWindow window;
        // A locker whose marker says its password is saved: it opens without a login.
        MakeLocker("web", "pw", 1, true);
        window.ReloadLockerList();
        auto* view = Child<QTableView>(&window, "tableView");
        emit view->clicked(view->model()->index(0, LockerUnlockColumn));
        QVERIFY(window.centralWidget()); // the column opens the locker while shown
        window.on_action_Close_Locker_triggered();

        // Cancel keeps a fresh store's dark theme; OK takes light, and hides the unlock column.
        for (const auto button : {QDialogButtonBox::Cancel, QDialogButtonBox::Ok}) {
            OnNextModal([button](QWidget* dialog) {
                Child<QRadioButton>(dialog, "radioLightTheme")->setChecked(true);
                Child<QCheckBox>(dialog, "checkUnlockButton")->setChecked(false);
                Child<QDialogButtonBox>(dialog, "buttonBox")->button(button)->click();
            });
            window.on_action_Settings_triggered();
            CheckTheme(window, button == QDialogButtonBox::Cancel);
            QCOMPARE(UserSettings()->contains("display_theme"), button == QDialogButtonBox::Ok);
        }
        QCOMPARE(UserSettings()->value("show_unlock_button").toInt(), 0);
        const QModelIndex unlock = view->model()->index(0, LockerUnlockColumn);
        QVERIFY(unlock.data(Qt::DecorationRole).isNull());
        emit view->clicked(unlock);
        QVERIFY(!window.centralWidget());

        // The View menu, each theme while the other is in force; OK in the settings
        // dialog without a change then keeps it.
        for (const auto& [action, stored] :
             {std::pair{"action_Dark_Theme", 0}, {"actionLight_Theme", 1}, {"action_Dark_Theme", 0}}) {
            Child<QAction>(&window, action)->trigger();
            QCOMPARE(UserSettings()->value("display_theme").toInt(), stored);
            CheckTheme(window, stored == 0);
            OnNextModal([](QWidget* dialog) {
                Child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
            });
            window.on_action_Settings_triggered();
            CheckTheme(window, stored == 0);
        }
        AnswerNextMessageBox(nullptr); // no master password set
        CheckTheme(*std::make_unique<MainWindow>(), true);
        UserSettings()->setValue("display_theme", 7); // anything but 0 is light
        AnswerNextMessageBox(nullptr);
        CheckTheme(*std::make_unique<MainWindow>(), false);
    }

    void welcomeShowsUntilClosedWithBoxTicked()
    {
        MainWindow window;
        // Left by Escape ticked, by Close unticked, then by Close ticked: only the last stops it.
        using Leave = std::tuple<bool, bool, QString>; // tick, escape, stored afterwards
        for (const auto& [tick, escape, storedAfter] :
             {Leave{true, true, ""}, {false, false, ""}, {true, false, "0"}}) {
            QVERIFY(WelcomeDialog::ShowsAtStart());
            OnNextModal([tick = tick, escape = escape](QWidget* dialog) {
                Child<QCheckBox>(dialog, "checkBox")->setChecked(tick);
                escape ? QTest::keyClick(dialog, Qt::Key_Escape) : void(Click(dialog, "pushClose"));
            });
            window.ShowWelcomeDialog();
            QCOMPARE(UserSettings()->value("FIRST_TIME_START").toString(), storedAfter);
        }
        QVERIFY(!WelcomeDialog::ShowsAtStart());
        UserSettings()->setValue("FIRST_TIME_START", 5);
        QVERIFY(WelcomeDialog::ShowsAtStart()); // any value but 0
    }

    // Every picture path in the forms, the code and the style sheets.
    void everyNamedPictureLoads()
    {
        QStringList paths = {":/resources/images/vantelor_logo.png"}; // the about box's window icon
        const QDir top = QFileInfo(QFINDTESTDATA("../CMakeLists.txt")).dir();
        const QRegularExpression named(R"(:/+((?:images|graphics)/[\w.-]+\.(?:png|ico)))");
        for (const char* folder :
             {"forms", "core", "widgets", "window", "entries", "about", "resources/stylesheets"}) {
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
