// Times a start of the main window: first start (schema and new keys) and a
// later start on the same data file. Run by hand; prints milliseconds.
#include "testenvironment.h"
#include "testsupport.h"

#include "window/mainwindow.h"

#include <QElapsedTimer>

class BenchStartup : public QObject
{
    Q_OBJECT

private slots:
    void firstAndLaterStart()
    {
        QElapsedTimer timer;
        timer.start();
        TestSupport::FreshDataFile();
        {
            MainWindow window;
            QCoreApplication::processEvents();
        }
        qInfo("first start: %lld ms", timer.elapsed());

        CDBManager::GetInstance().CloseDataBase();
        TestSupport::AnswerNextMessageBox(nullptr);
        timer.restart();
        MainWindow window;
        QCoreApplication::processEvents();
        qInfo("later start, including the answered notice: %lld ms", timer.elapsed());
    }
};

KESTROVA_TEST_MAIN(BenchStartup)
#include "bench_startup.moc"
