// Time and peak memory of a restore, each in a fresh process of this program:
// a backup of 10,000 web IDs, and one of 100 notes of 1.2 MB (160 MB). Run by hand.
#include "bigwebidlocker.h"

#include "core/datafiles.h"

#include <QElapsedTimer>
#include <QProcess>

#include <sys/resource.h>

namespace {

const char* const kChild = "--restore";

long PeakMegabytes()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// The data file as a backup beside it, after `fill` made it.
template <class Fill> QString MakeBackup(const QString& name, Fill fill)
{
    fill();
    CDBManager::GetInstance().CloseDataBase();
    const QString backup = QDir::homePath() + "/" + name + ".kestrova";
    QFile::remove(backup);
    if (!QFile::copy(CDBManager::ActivePath(), backup))
        qFatal("cannot make the backup");
    Utility::GetInstance().settings->sync();
    return backup;
}

void TimeRestore(const QString& what, const QString& backup)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {kChild, backup});
    child.waitForFinished(-1);
    std::printf("%s (%.1f MB): %s", qPrintable(what), QFileInfo(backup).size() / 1e6,
                child.readAllStandardOutput().constData());
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc == 3 && qstrcmp(argv[1], kChild) == 0) {
        QCoreApplication application(argc, argv);
        SetUpKeys(); // as at start
        const long before = PeakMegabytes();
        KeySetupResult keys;
        QString cause;
        QElapsedTimer timer;
        timer.start();
        const QString backup = QString::fromLocal8Bit(argv[2]);
        if (DataFiles::Restore(backup, &keys, &cause) != RestoreResult::Restored)
            qFatal("not restored: %s", qPrintable(cause));
        std::printf("restored in %lld ms, peak memory %ld MB (%ld MB before the restore)\n", timer.elapsed(),
                    PeakMegabytes(), before);
        return 0;
    }

    // The children inherit this HOME and its settings.
    QTemporaryDir home;
    if (!home.isValid())
        qFatal("no HOME of its own could be made in %s", qPrintable(QDir::tempPath()));
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    QCoreApplication application(argc, argv);
    TimeRestore("10,000 web IDs", MakeBackup("entries", [] { MakeBigWebIdLocker(10000); }));
    TimeRestore("100 notes of 1.2 MB", MakeBackup("notes", [] {
                    TestSupport::FreshDataFileWithKeys();
                    QSqlQuery insert(CDBManager::GetInstance().GetDataBase());
                    insert.prepare(
                        "INSERT INTO tblId3 (LOCKER_ID, NAME, TIME_STAMP, NOTES) VALUES (?, 'n', 't', ?)");
                    insert.addBindValue(TestSupport::InsertLocker("Notes", 3));
                    insert.addBindValue(BotanAdapter::GetInstance().Encrypt(QString(1200 * 1000, 'n')));
                    for (int note = 0; note < 100; ++note) {
                        if (!insert.exec())
                            qFatal("cannot add a note");
                    }
                }));
    return 0;
}
