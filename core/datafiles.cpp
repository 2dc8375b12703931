#include "core/datafiles.h"

#include "core/DBManager.h"
#include "core/constants.h"
#include "core/filecopy.h"
#include "core/filestate.h"
#include "core/keptfiles.h"
#include "core/sqlitefile.h"
#include "core/utility.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>

#include <cerrno>
#include <sys/stat.h>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("DataFiles", text);
}

// The names of backups, before any mark of an unfinished file.
const QString BACKUP_NAME = R"(Kestrova_Backup_\d{8}-\d\d-\d\d-\d\d\.kestrova)";

// Lockers unlocked for this run are forgotten when another file comes in:
// their IDs may name other lockers there.
void ForgetUnlockedLockers()
{
    Utility::GetInstance().sessionLockerIds.clear();
}

bool SameFile(const QString& one, const QString& other)
{
    const QString canonical = QFileInfo(one).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(other).canonicalFilePath();
}

// The rollback copy of the data file at `dataFile`, beside it.
QString RollbackOf(const QString& dataFile)
{
    return dataFile + "_temp";
}

// Whether the two files hold the same bytes.
bool SameContents(const QString& one, const QString& other)
{
    QFile first(one), second(other);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) ||
        first.size() != second.size())
        return false;
    while (!first.atEnd()) {
        if (first.read(1 << 16) != second.read(1 << 16))
            return false;
    }
    return true;
}

// A regular file itself, not a link to one: only such a file in the rollback
// copy's place can be the program's own.
bool IsPlainFile(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

// Whether `copy` may hold data found nowhere else: a data file, or one that
// cannot be checked.
bool MayHoldData(const FileState& copy)
{
    switch (copy.kind) {
    case FileState::DataFile:
    case FileState::OlderDataFile:
    case FileState::Damaged:
    case FileState::Unreadable:
        return true;
    case FileState::NotRegular: // itself a pipe, say: no data; a journal that is one: unchecked
        return copy.culprit != copy.path;
    default:
        return false;
    }
}

// A rollback copy that a restore cut short or a failed put-back left beside
// `active`, and that holds what the data file does not, is never replaced: it
// moves aside, under a name that no start removes.
bool KeepEarlierRollback(const QString& active, const QString& rollback, QString* cause)
{
    if (!IsPlainFile(rollback) || SameContents(rollback, active))
        return true;
    return KeptFiles::MoveAside(rollback, active, ".kestrova", cause);
}

// Why the staged backup at `path` may not come in, or the empty text when it
// may. Its keys are in force afterwards, `keys` the result of their set-up.
QString CheckStaged(const QString& path, KeySetupResult* keys)
{
    const DataFiles::CopyCheck check = DataFiles::CheckCopy(path, true);
    *keys = check.keys;
    if (!check.cause.isEmpty())
        return check.cause;
    if (check.keys == KeySetupResult::KeysDamaged)
        return Tr("Its keys are damaged.");
    return check.unreadableSecrets > 0 ? DataFiles::UnreadableSecretsText(check.unreadableSecrets)
                                       : QString();
}

// The restore itself, with the keys of whichever file it leaves in place.
RestoreResult ReplaceByBackup(const QString& backup, KeySetupResult* keys, QString* cause)
{
    const FileState data = SqliteFile::Examine(CDBManager::ActivePath());
    // Never a pipe or a device, which a link may make the system's own, nor a
    // file that cannot be read: it may hold data found nowhere else.
    if (data.kind == FileState::NotRegular || data.kind == FileState::Unreadable) {
        *cause = Tr("The data file %1 cannot be replaced. %2").arg(CDBManager::ActivePath(), data.Reason());
        return RestoreResult::NotRestored;
    }
    const QString active = data.path, rollback = RollbackOf(active);
    FileCopy staged;
    // Its owner's alone and writable, whatever the backup's mode; the rename
    // gives it the mode of the file it replaces.
    if (!staged.Make(backup, active, FileCopy::Source::Database, FileCopy::Mode::OwnerOnly,
                     SqliteFile::TakeInJournals)) {
        *cause = staged.Cause();
        return RestoreResult::NotRestored;
    }
    *cause = CheckStaged(staged.FileName(), keys);
    if (!cause->isEmpty())
        return RestoreResult::NotRestored;

    // The file the user chose is never replaced; only a data file is worth a rollback copy.
    const bool chosen = SameFile(backup, rollback);
    const bool keep = !chosen && data.kind == FileState::DataFile;
    if (keep) {
        if (!KeepEarlierRollback(active, rollback, cause))
            return RestoreResult::EarlierCopyNotMoved;
        // A pipe, a device, a folder or a link there stays as it is.
        if (!FileState::NothingAt(rollback) && !IsPlainFile(rollback)) {
            *cause = FileState::CauseFor(FileState::NotRegular);
            return RestoreResult::NoRollback;
        }
        FileCopy copy;
        if (!copy.Make(active, active, FileCopy::Source::AnyFile, FileCopy::Mode::OfSource,
                       SqliteFile::TakeInJournals) ||
            !KeptFiles::ClearWay(rollback, cause) || !copy.Replace(rollback)) {
            if (cause->isEmpty())
                *cause = copy.Cause();
            return RestoreResult::NoRollback;
        }
    }
    // Where no rollback copy is made, an earlier one stays where every start
    // finds it, whatever step a kill cuts short, and is named.
    if (!keep && !chosen && MayHoldData(SqliteFile::Examine(rollback)))
        KeptFiles::Note(rollback);
    // What the journals beside the data file held is in the rollback copy, or
    // was another file's: either way the backup must not take it in.
    const bool replaced = KeptFiles::ClearWay(active, cause) && staged.Replace(active);
    if (keep)
        QFile::remove(rollback);
    if (!replaced && cause->isEmpty())
        *cause = staged.Cause();
    return replaced ? RestoreResult::Restored : RestoreResult::NotRestored;
}

} // namespace

namespace DataFiles {


QString RollbackPath()
{
    return RollbackOf(FileState::Resolve(CDBManager::ActivePath()));
}

QString BackupPath(const QString& folder)
{
    return FileState::Join(folder, "Kestrova_Backup_" +
                                       QDateTime::currentDateTime().toString("yyyyMMdd-HH-mm-ss") +
                                       ".kestrova");
}

QString SharePath(const QString& folder)
{
    return FileState::Join(folder, Utility::GetInstance().settings->value(ACTIVE_WALLET_DB_7_5_0).toString());
}

bool InUse()
{
    return !QFileInfo(CDBManager::ActivePath()).fileName().isEmpty();
}

QString CopyActiveTo(const QString& target)
{
    // What a copy into this folder that a kill cut short left goes first, unless a run still makes it.
    const QFileInfo named(target);
    FileCopy::RemoveUnfinished(named.absolutePath(),
                               BACKUP_NAME + "|" + QRegularExpression::escape(named.fileName()));
    const QString source = CDBManager::ActivePath();
    FileCopy copy;
    QString cause;
    if (copy.Make(source, target, FileCopy::Source::AnyFile, FileCopy::Mode::OfSource,
                  SqliteFile::TakeInJournals) &&
        KeptFiles::ClearWay(target, &cause) && copy.Place(target))
        return QString();
    if (!cause.isEmpty())
        return cause;
    // Named, so that the cause is not taken for the chosen folder's.
    return copy.SourceAtFault() ? Tr("The data file %1 cannot be copied. %2").arg(source, copy.Cause())
                                : copy.Cause();
}

void Select(const QString& path)
{
    CDBManager::GetInstance().CloseDataBase();
    ForgetUnlockedLockers();
    FileCopy::RemoveUnfinished(path);
    const QFileInfo file(path);
    QSettings* settings = Utility::GetInstance().settings;
    settings->setValue(WALLET_DATA_FOLDER_PATH, file.absolutePath());
    settings->setValue(ACTIVE_WALLET_DB_7_5_0, file.fileName());
}

bool CanMakeNew()
{
    const QString folder = Utility::GetInstance().settings->value(WALLET_DATA_FOLDER_PATH).toString();
    const FileState data = FileState::Look(CDBManager::ActivePath());
    return QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir() && InUse() && data.IsFree() &&
           !RollbackWaits(data.path);
}

QString MakeNew()
{
    QString cause;
    return CDBManager::GetInstance().MakeDataFile(CDBManager::ActivePath(), &cause) ? QString() : cause;
}

CopyCheck CheckCopy(const QString& copy, bool keepKeys)
{
    CopyCheck check;
    const FileState state = SqliteFile::Examine(copy);
    if (state.kind != FileState::DataFile) {
        check.cause = state.Reason();
        return check;
    }
    CDBManager& manager = CDBManager::GetInstance();
    manager.OpenDataBase(copy);
    QString table, column;
    if (manager.LacksColumn(&table, &column)) {
        check.cause = Tr("Its table %1 has no column %2.").arg(table, column);
        manager.CloseDataBase();
        return check;
    }
    // Keys made for a check alone go again with its transaction.
    const bool trial = !keepKeys && manager.GetDataBase().transaction();
    if ((check.keys = SetUpKeys(&check.cause)) == KeySetupResult::KeysNotStored) {
        check.copyAtFault = true;
        if (check.cause.isEmpty())
            check.cause = FileState::CauseOf(EACCES, true);
    } else if ((check.unreadableSecrets = UnreadableSecrets()) < 0) {
        check.cause = FileState::CauseFor(FileState::Damaged);
    }
    if (trial)
        manager.GetDataBase().rollback();
    manager.CloseDataBase();
    return check;
}

QString UnreadableSecretsText(int count)
{
    return count == 1 ? Tr("1 stored secret cannot be read.")
                      : Tr("%1 stored secrets cannot be read.").arg(count);
}

RestoreResult Restore(const QString& backup, KeySetupResult* keys, QString* cause)
{
    CDBManager::GetInstance().CloseDataBase();
    const RestoreResult result = ReplaceByBackup(backup, keys, cause);
    if (result == RestoreResult::Restored)
        ForgetUnlockedLockers();
    else // the data file's own keys again, in place of the backup's
        *keys = SetUpKeys();
    return result;
}

bool RollbackWaits(const QString& dataFile)
{
    return MayHoldData(SqliteFile::Examine(RollbackOf(FileState::Resolve(dataFile))));
}

RollbackRecovery RecoverRollback(QString* cause)
{
    // No data file is named until a first start has made one.
    if (!InUse())
        return RollbackRecovery::None;
    const FileState data = FileState::Look(CDBManager::ActivePath());
    const QString rollback = RollbackOf(data.path);
    FileCopy::RemoveUnfinished(data.path);
    // An empty data file holds no more than a missing one; anything else stays,
    // as does anything in the copy's place but a file of the program's own.
    if (!data.HoldsNothing() || !IsPlainFile(rollback))
        return RollbackRecovery::None;
    const FileState copy = SqliteFile::Examine(rollback);
    if (copy.kind == FileState::DataFile)
        return KeptFiles::ClearWay(data.path, cause) && FileCopy::RenameOver(rollback, data.path, cause)
                   ? RollbackRecovery::PutBack
                   : RollbackRecovery::NotPutBack;
    if (!MayHoldData(copy))
        return RollbackRecovery::None;
    *cause = copy.Reason();
    return RollbackRecovery::NotPutBack;
}

} // namespace DataFiles
