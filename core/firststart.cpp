#include "core/firststart.h"

#include "core/DBManager.h"
#include "core/constants.h"
#include "core/datafiles.h"
#include "core/filecopy.h"
#include "core/filestate.h"
#include "core/keptfiles.h"
#include "core/sqlitefile.h"
#include "core/utility.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cerrno>
#include <sys/stat.h>

namespace {

FirstStartReport& Report()
{
    static FirstStartReport report;
    return report;
}

// Carries `older` over to `current`, which holds nothing: through a copy that
// takes in what its journals hold, checked as a backup is, with the five
// tables, named once it is complete. The older file and its journals are only
// read. False, with the failure noted, when that fails.
bool CarryOver(const QString& older, const FileState& current)
{
    FileCopy copy;
    const auto fail = [&older](const QString& cause, bool inOlderFile) {
        Report().olderFile = inOlderFile ? older : QString();
        Report().cause = cause;
        return false;
    };
    if (!copy.Make(older, current.path, FileCopy::Source::Database, FileCopy::Mode::OwnerOnly,
                   SqliteFile::TakeInJournals))
        return fail(copy.Cause(), copy.SourceAtFault());
    QString cause;
    if (!CDBManager::GetInstance().AddSchema(copy.FileName(), &cause)) {
        // A damaged file takes no table: the fault is then the older file's, not the folder's.
        const bool damaged = SqliteFile::Examine(copy.FileName()).kind == FileState::Damaged;
        return fail(damaged ? FileState::CauseFor(FileState::Damaged) : cause, damaged);
    }
    // The window's key set-up makes its keys, as for every new data file.
    const DataFiles::CopyCheck check = DataFiles::CheckCopy(copy.FileName(), false);
    if (!check.cause.isEmpty())
        return fail(check.cause, !check.copyAtFault);
    if (!KeptFiles::ClearWay(current.path, &cause))
        return fail(cause, false);
    if (!copy.Settle(current))
        return fail(copy.Cause(), false);
    Report().carriedOver = older;
    Report().unreadableSecrets = check.unreadableSecrets;
    return true;
}

// Carries the newest older data file over to `current`, which holds nothing.
// False, with the failure noted, when one is there that cannot be carried over.
bool MigrateOlderDataFile(const QDir& folder, const FileState& current)
{
    const QString olderVersions[] = {PREVIOUS_VERSION_7_0_0, PREVIOUS_VERSION_6_0_0, PREVIOUS_VERSION_5_0_0,
                                     PREVIOUS_VERSION_4_0_0};
    for (const QString& version : olderVersions) {
        const QString older = folder.filePath(CDBManager::DataFileName(version));
        // An empty file holds nothing to carry over. A link to a drive not
        // connected stands for the newest data, though: an older file must not
        // take its place unseen.
        const QFileInfo file(older);
        if (FileState::NothingAt(older) || (file.isFile() && file.size() == 0))
            continue;
        if (!CarryOver(older, current))
            return false;
        Utility::GetInstance().settings->setValue("MasterPassword", "Y");
        return true;
    }
    return true;
}

// Where the data folder is, and why it is not a folder that can be used; the
// empty text when it is one.
QString MakeDataFolder(const QString& path)
{
    // Private to its owner; anything already there, a link included, stays as it is.
    if (FileState::NothingAt(path) && ::mkdir(QFile::encodeName(path).constData(), 0700) != 0)
        return FileState::CauseOf(errno, true);
    if (QFileInfo(path).isDir())
        return QString();
    return FileState::CauseOf(QFileInfo::exists(path) ? EEXIST : ENOENT, true);
}

} // namespace

void RunFirstStart()
{
    Report() = {};
    QSettings* settings = Utility::GetInstance().settings;
    const QString folderPath = QDir::home().absolutePath() + "/.kestrova";
    settings->setValue(WALLET_DATA_FOLDER_PATH, folderPath);
    // Without its folder this start is no first start: the next one tries again.
    Report().cause = MakeDataFolder(folderPath);
    if (!Report().cause.isEmpty())
        return;

    const QDir folder(folderPath);
    const QString current = folder.filePath(CDBManager::DataFileName());
    FileCopy::RemoveUnfinished(current);
    const FileState there = FileState::Look(current);
    if (there.IsFree()) {
        // Data that a restore cut short left in the rollback copy is put back by
        // the window, as at every start: nothing is made beside it.
        if (DataFiles::RollbackWaits(current)) {
            settings->setValue(ACTIVE_WALLET_DB_7_5_0, CDBManager::DataFileName());
            return;
        }
        // An empty file, as a first start killed before its tables left, holds nothing either.
        if (!MigrateOlderDataFile(folder, there))
            return;
        QString cause;
        if (!CDBManager::GetInstance().CreateDatabase(&cause))
            Report().cause = cause;
        return;
    }
    // A data file already there is the user's live data, and a file of another
    // kind the user's own, left there when the settings store was emptied, say:
    // either is named as it stands, so that every start says what it is.
    settings->setValue(ACTIVE_WALLET_DB_7_5_0, CDBManager::DataFileName());
}

const FirstStartReport& LastFirstStart()
{
    return Report();
}
