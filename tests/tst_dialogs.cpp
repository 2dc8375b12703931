// Centred dialogs, notices and the password generator.
#include "testsupport.h"

#include "entries/passwrodgenerator.h"
#include "widgets/CenteredDialog.h"
#include "widgets/errordialog.h"
#include "window/mainwindow.h"

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

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { UserSettings()->clear(); }
    void cleanup() { FinishTest(); }

    void dialogsCentreOnTheMainWindow()
    {
        FreshDataFile();
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

KESTROVA_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
