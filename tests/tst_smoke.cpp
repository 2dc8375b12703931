#include "testenvironment.h"
#include "testsupport.h"
#include "window/mainwindow.h"
class TestSmoke : public QObject { Q_OBJECT private slots:
void start() {
    TestSupport::FreshDataFile();
    MainWindow w; QVERIFY(w.isVisible());
    TestSupport::MessageBoxSeen seen;
    TestSupport::AnswerNextMessageBox(&seen);
    { MainWindow w2; }
    QCOMPARE(seen.title, QString("Master Password"));
} };
KESTROVA_TEST_MAIN(TestSmoke)
#include "tst_smoke.moc"
