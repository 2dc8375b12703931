#include "testenvironment.h"
#include "testsupport.h"

#include "window/CenteredDialog.h"
#include "window/errordialog.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

QSettings* Settings()
{
    return Utility::GetInstance().settings;
}

// Runs a notice, ticking its box first when asked, and leaves it by `key`
// (Close button, or Escape). Returns exec's result and whether it showed.
std::pair<int, bool> RunNotice(const QString& key, bool plain, bool tick, bool escape = false)
{
    ErrorDialog notice(key, "Title", "<b>text</b>", nullptr, plain);
    bool shown = false;
    // A watchdog of this call only: a notice that stays silent leaves nothing pending.
    QTimer watchdog;
    watchdog.setInterval(10);
    QObject::connect(&watchdog, &QTimer::timeout, [&]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        watchdog.stop();
        shown = true;
        QCOMPARE(modal->findChild<QWidget*>("frameCheckBox")->isHidden(), plain);
        modal->findChild<QCheckBox*>("checkNotShow")->setChecked(tick);
        if (escape)
            QTest::keyClick(modal, Qt::Key_Escape);
        else
            modal->findChild<QPushButton*>("pushButton")->click();
    });
    watchdog.start();
    return {notice.exec(), shown};
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init() { Settings()->clear(); }

    void dialogCentresOnParentAtEveryShow()
    {
        QWidget parent;
        parent.setGeometry(0, 0, 1000, 600);
        parent.show();
        CenteredDialog dialog(&parent);
        dialog.setFixedSize(411, 319);
        dialog.show();
        QCOMPARE(dialog.pos(), QPoint(500 - 205, 300 - 159)); // halves truncated

        dialog.move(10, 10);
        dialog.setFixedSize(200, 100); // a resize never moves it
        QCOMPARE(dialog.pos(), QPoint(10, 10));
        dialog.hide();
        dialog.show();
        QCOMPARE(dialog.pos(), QPoint(400, 250));

        CenteredDialog orphan(nullptr);
        orphan.move(37, 41);
        orphan.show();
        QCOMPARE(orphan.pos(), QPoint(37, 41));
    }

    void noticeRemembersTheChoiceOnlyFromClose()
    {
        QCOMPARE(RunNotice("err_msg_6", false, true, true), std::make_pair(1, true));
        QVERIFY(!Settings()->contains("err_msg_6")); // Escape stores nothing

        QCOMPARE(RunNotice("err_msg_5", false, false), std::make_pair(1, true));
        QCOMPARE(Settings()->value("err_msg_5").toInt(), 0);
        QCOMPARE(RunNotice("err_msg_5", false, true), std::make_pair(1, true));
        QCOMPARE(Settings()->value("err_msg_5").toInt(), 1);
        QCOMPARE(RunNotice("err_msg_5", false, false), std::make_pair(1, false));

        // A plain notice always shows, returns the dialog's result and stores nothing.
        Settings()->setValue("err_msg_4", 1);
        QCOMPARE(RunNotice("err_msg_4", true, false), std::make_pair(int(QDialog::Rejected), true));
        QCOMPARE(Settings()->value("err_msg_4").toInt(), 1);
    }
};

KESTROVA_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
