// Times the PDF report of a web-ID locker of 1,000 entries. Run by hand;
// prints milliseconds.
#include "testenvironment.h"
#include "bigwebidlocker.h"

#include "window/lockerreport.h"

#include <QElapsedTimer>

class BenchPdfReport : public QObject
{
    Q_OBJECT

private slots:
    void reportOfLargeLocker()
    {
        const QString locker = MakeBigWebIdLocker(1000);
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
