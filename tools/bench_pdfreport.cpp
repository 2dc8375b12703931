// Times the PDF report of a web-ID locker of 1,000 entries. Run by hand;
// prints milliseconds.
#include "testenvironment.h"
#include "testsupport.h"

#include "core/botanadapter.h"
#include "window/lockerreport.h"

#include <QElapsedTimer>

class BenchPdfReport : public QObject
{
    Q_OBJECT

private slots:
    void reportOfLargeLocker()
    {
        TestSupport::FreshDataFileWithKeys();
        const QString locker = TestSupport::InsertLocker("Big", 1);
        QSqlQuery fill(CDBManager::GetInstance().GetDataBase());
        fill.prepare("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
                     "INSERT INTO tblId (LOCKER_ID, NAME, URL, USER_NAME, PASSWORD, NOTES) "
                     "SELECT ?, 'Entry ' || i, 'https://example.org/' || i, ?, ?, ? FROM n");
        fill.addBindValue(locker);
        for (int secret = 0; secret < 3; ++secret)
            fill.addBindValue(BotanAdapter::GetInstance().Encrypt("a <secret> &\ntwo lines"));
        QVERIFY(fill.exec());
        QTemporaryDir folder;

        QElapsedTimer timer;
        timer.start();
        LockerReport report;
        QVERIFY(report.Read(1, locker));
        const qint64 reading = timer.restart(); // decryption and HTML
        QVERIFY(report.Print(report.FilePath(folder.path())));
        const qint64 printing = timer.elapsed(); // layout and PDF
        qInfo("1000 web IDs: %lld ms (read, decrypted and HTML %lld ms, laid out and printed %lld ms)",
              reading + printing, reading, printing);
    }
};

KESTROVA_TEST_MAIN(BenchPdfReport)
#include "bench_pdfreport.moc"
