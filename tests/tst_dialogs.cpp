#include "testenvironment.h"
#include "testsupport.h"

#include "window/CenteredDialog.h"
#include "window/errordialog.h"
#include "window/progress.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace TestSupport;

namespace {

QSettings* Settings()
{
    return Utility::GetInstance().settings;
}

// Runs a notice; `answer` acts on it once it shows. Returns exec's result and
// whether the notice showed at all.
std::pair<int, bool> RunNotice(ErrorDialog& notice, std::function<void(QWidget*)> answer)
{
    bool shown = false;
    QTimer watchdog;
    watchdog.setInterval(10);
    QObject::connect(&watchdog, &QTimer::timeout, [&]() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            watchdog.stop();
            shown = true;
            answer(modal);
        }
    });
    watchdog.start();
    const int result = notice.exec();
    return {result, shown};
}

void ClickClose(QWidget* dialog, bool tickBox)
{
    if (tickBox)
        dialog->findChild<QCheckBox*>("checkNotShow")->setChecked(true);
    dialog->findChild<QPushButton*>("pushButton")->click();
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
        QVERIFY(dialog.keepCentered);

        dialog.show();
        QCOMPARE(dialog.pos(), QPoint(0 + 500 - 205, 0 + 300 - 159));

        dialog.move(10, 10);
        dialog.setFixedSize(200, 100); // a resize never moves it
        QCOMPARE(dialog.pos(), QPoint(10, 10));

        dialog.hide();
        dialog.show();
        QCOMPARE(dialog.pos(), QPoint(500 - 100, 300 - 50));
    }

    void dialogWithoutParentStaysWhereItIs()
    {
        CenteredDialog dialog(nullptr);
        dialog.move(37, 41);
        dialog.show();
        QCOMPARE(dialog.pos(), QPoint(37, 41));
    }

    void closeStoresTheChoice()
    {
        {
            ErrorDialog notice("err_msg_5", "Restore", "<b>Careful</b>", nullptr, false);
            const auto [result, shown] = RunNotice(notice, [](QWidget* d) { ClickClose(d, false); });
            QVERIFY(shown);
            QCOMPARE(result, 1);
            QCOMPARE(notice.windowTitle(), QString("Restore"));
        }
        QCOMPARE(Settings()->value("err_msg_5").toInt(), 0);

        ErrorDialog ticked("err_msg_5", "Restore", "text", nullptr, false);
        RunNotice(ticked, [](QWidget* d) { ClickClose(d, true); });
        QCOMPARE(Settings()->value("err_msg_5").toInt(), 1);

        // From now on the notice returns 1 without showing.
        ErrorDialog silenced("err_msg_5", "Restore", "text", nullptr, false);
        const auto [result, shown] = RunNotice(silenced, [](QWidget* d) { ClickClose(d, false); });
        QCOMPARE(result, 1);
        QVERIFY(!shown);
        QCOMPARE(Settings()->value("err_msg_5").toInt(), 1);
    }

    void escapeStoresNothing()
    {
        ErrorDialog notice("err_msg_6", "Share", "text", nullptr, false);
        RunNotice(notice, [](QWidget* d) {
            d->findChild<QCheckBox*>("checkNotShow")->setChecked(true);
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QVERIFY(!Settings()->contains("err_msg_6"));
    }

    void plainNoticeAlwaysShowsAndStoresNothing()
    {
        Settings()->setValue("err_msg_4", 1);
        ErrorDialog notice("err_msg_4", "Unlock Button", "help", nullptr, true);
        const auto [result, shown] = RunNotice(notice, [](QWidget* d) {
            QVERIFY(d->findChild<QWidget*>("frameCheckBox")->isHidden());
            ClickClose(d, false);
        });
        QVERIFY(shown);
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(Settings()->value("err_msg_4").toInt(), 1);
    }

    void progressIsBusyAndNotCentred()
    {
        QWidget parent;
        parent.setGeometry(0, 0, 1000, 600);
        Progress progress(&parent);
        QVERIFY(!qobject_cast<CenteredDialog*>(&progress));
        auto* bar = progress.findChild<QProgressBar*>();
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 0);
        QCOMPARE(progress.findChild<QLabel*>()->text(), QString("Please wait..."));
    }
};

KESTROVA_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
