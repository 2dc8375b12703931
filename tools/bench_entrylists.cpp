// Times opening a web-ID locker of 3,000 entries and filtering it. Run by
// hand; prints milliseconds.
#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "entries/idmanagementdialog.h"

#include <QElapsedTimer>
#include <QLineEdit>

class BenchEntryLists : public QObject
{
    Q_OBJECT

private slots:
    void openAndFilterLargeLocker()
    {
        TestSupport::FreshDataFileWithKeys();
        const QString locker = TestSupport::InsertLocker("Big", 1);
        QSqlQuery fill(CDBManager::GetInstance().GetDataBase());
        fill.prepare("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                     "INSERT INTO tblId (LOCKER_ID, NAME, USER_NAME, PASSWORD) "
                     "SELECT ?, 'Entry ' || i, ?, ? FROM n");
        fill.addBindValue(locker);
        fill.addBindValue(BotanAdapter::GetInstance().Encrypt("me"));
        fill.addBindValue(BotanAdapter::GetInstance().Encrypt("secret"));
        QVERIFY(fill.exec());

        QElapsedTimer timer;
        timer.start();
        IdManagementDialog dialog(locker, "Big", nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const qint64 opening = timer.restart();
        QTest::keyClicks(dialog.findChild<QLineEdit*>("lineEdit"), "Entry 12");
        const qint64 filtering = timer.restart();
        dialog.findChild<QLineEdit*>("lineEdit")->clear();
        qInfo("3000 web IDs: opening %lld ms, typing 8 filter letters %lld ms, clearing %lld ms", opening,
              filtering, timer.elapsed());
    }
};

KESTROVA_TEST_MAIN(BenchEntryLists)
#include "bench_entrylists.moc"
