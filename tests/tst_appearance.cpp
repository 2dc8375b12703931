// Themes, the settings dialog, the welcome dialog and the pictures they show;
// centred dialogs, notices and the password generator.
#include "testsupport.h"

#include "entries/passwrodgenerator.h"
#include "widgets/CenteredDialog.h"
#include "widgets/errordialog.h"
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

// Runs a notice, ticking its box first when asked, and leaves it by Close or
// Escape. Returns exec's result and whether it showed.
std::pair<int, bool> RunNotice(const QString& key, bool plain, bool tick, bool escape = false)
{
    ErrorDialog notice(key, "Title", "<b>text</b>", nullptr, plain);
    bool shown = false;
    // A watchdog of this call only: a notice that stays silent leaves nothing pending.
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        watchdog.stop();
        shown = true;
        QCOMPARE(Child<QWidget>(modal, "frameCheckBox")->isHidden(), plain);
        Child<QCheckBox>(modal, "checkNotShow")->setChecked(tick);
        escape ? QTest::keyClick(modal, Qt::Key_Escape) : void(Click(modal, "pushButton"));
    });
    watchdog.start(10);
    return {notice.exec(), shown};
}

// Clicks `button` and returns the password the generator shows.
QString Generate(PasswrodGenerator& dialog, const char* button = "pushGenrate")
{
    Click(&dialog, button);
    return Child<QLabel>(&dialog, "labelPassword")->text();
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

    void dialogsCentreOnTheMainWindow()
    {
        MainWindow window;
        window.show();
        const auto centre = [&window](int width, int height) { // halves truncated
            return QPoint(window.x() + window.width() / 2 - width / 2,
                          window.y() + window.height() / 2 - height / 2);
        };
        auto* list = new CenteredDialog(&window);
        list->keepCentered = false;
        auto* dialog = new CenteredDialog(&window);
        dialog->setFixedSize(200, 100);
        dialog->show();
        dialog->move(10, 10);
        dialog->setFixedSize(411, 319); // a resize never moves it
        QCOMPARE(dialog->pos(), QPoint(10, 10));
        dialog->hide();
        dialog->show();
        QCOMPARE(dialog->pos(), centre(411, 319));

        // A resize of the main window recentres the first dialog that keeps centred, and only that.
        auto* second = new CenteredDialog(&window);
        for (CenteredDialog* shown : {list, dialog, second}) {
            shown->setFixedSize(200, 100);
            shown->show();
            shown->move(3, 4);
        }
        window.resize(700, 500);
        QTRY_COMPARE(dialog->pos(), centre(200, 100));
        QCOMPARE(second->pos(), QPoint(3, 4));
        QCOMPARE(list->pos(), QPoint(3, 4));
    }

    void noticeRemembersTheChoiceOnlyFromClose()
    {
        QCOMPARE(RunNotice("err_msg_6", false, true, true), std::make_pair(1, true));
        QVERIFY(!UserSettings()->contains("err_msg_6")); // Escape stores nothing
        QCOMPARE(RunNotice("err_msg_5", false, false), std::make_pair(1, true));
        QCOMPARE(RunNotice("err_msg_5", false, true), std::make_pair(1, true));
        QCOMPARE(RunNotice("err_msg_5", false, false), std::make_pair(1, false));

        // A plain notice always shows, returns the dialog's result and stores nothing.
        UserSettings()->setValue("err_msg_4", 1);
        QCOMPARE(RunNotice("err_msg_4", true, false), std::make_pair(int(QDialog::Rejected), true));
        QCOMPARE(UserSettings()->value("err_msg_4").toInt(), 1);
    }

    // Over many draws every character of each ticked pool shows, and nothing else.
    void generatorLengthAndTickedPools_data()
    {
        QTest::addColumn<QStringList>("row"); // length, ticked boxes, characters besides a-z
        QTest::newRow("set B") << QStringList{"4", "SetB", "`~-_=+[{]}\\|;:'\",<.>/?"};
        QTest::newRow("defaults") << QStringList{"12", "Numbers LowerUpperCase SetA",
                                                 "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ!@#$%^&*()"};
    }
    void generatorLengthAndTickedPools()
    {
        QFETCH(QStringList, row);
        PasswrodGenerator dialog(nullptr);
        for (auto* box : dialog.findChildren<QAbstractButton*>(QRegularExpression("^checkBox")))
            box->setChecked(row[1].contains(box->objectName().mid(8)));
        Child<QSlider>(&dialog, "horizontalSlider")->setValue(row[0].toInt());
        QString drawn;
        for (int i = 0; i < 1000; ++i)
            drawn += Generate(dialog);
        QCOMPARE(drawn.size(), 1000 * row[0].toInt());
        const QString pool = row[2] + "abcdefghijklmnopqrstuvwxyz";
        QCOMPARE(QSet<QChar>(drawn.begin(), drawn.end()), QSet<QChar>(pool.begin(), pool.end()));
    }

    void generatorButtonsKeepTheShownPassword()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        PasswrodGenerator dialog(nullptr);
        const QString first = Generate(dialog);
        Generate(dialog, "pushButton"); // Copy Password
        // Quick clicks never repeat a password, and leave the copied one alone.
        QSet<QString> drawn;
        for (int i = 0; i < 2000; ++i)
            drawn.insert(Generate(dialog));
        QCOMPARE(drawn.size(), 2000);
        Generate(dialog, "pushClose");
        QCOMPARE((QStringList{dialog.GetPassword(), clipboard->text()}), (QStringList{first, first}));
        const QString last = Generate(dialog, "pushSelect");
        QCOMPARE((QStringList{dialog.GetPassword(), clipboard->text()}), (QStringList{last, last}));
    }
};

KESTROVA_TEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
