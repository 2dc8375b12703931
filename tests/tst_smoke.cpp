#include "testenvironment.h"
class TestSmoke : public QObject { Q_OBJECT private slots: void ok() { QVERIFY(true); } };
KESTROVA_TEST_MAIN(TestSmoke)
#include "tst_smoke.moc"
