#include "core/datafiles.h"

#include "core/DBManager.h"
#include "core/constants.h"
#include "core/filecopy.h"
#include "core/utility.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("DataFiles", text);
}

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

// The data file itself, through any links to it, even to a target that is
// missing: a restore replaces that file, and keeps its copies beside it.
QString DataFilePath()
{
    QString path = DataFiles::ActivePath();
    // No more links than the system follows in one path.
    for (int links = 0; links < 40 && QFileInfo(path).isSymLink(); ++links)
        path = QFileInfo(path).symLinkTarget();
    return path;
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

// A regular file itself, not a link to one.
bool IsPlainFile(const QString& path)
{
    const QFileInfo file(path);
    return file.isFile() && !file.isSymLink();
}

// A rollback copy that a restore cut short or a failed put-back left beside
// `active`, and that holds what the data file does not, is never replaced: it
// moves aside, to `kept`, under a name that no start removes.
bool KeepEarlierRollback(const QString& active, const QString& rollback, QString* kept, QString* cause)
{
    if (!IsPlainFile(rollback) || SameContents(rollback, active))
        return true;
    const QString aside =
        active + "_kept_" + QDateTime::currentDateTime().toString("yyyyMMdd-HH-mm-ss") + ".kestrova";
    if (!FileCopy::RenameNoReplace(rollback, aside, cause))
        return false;
    *kept = aside;
    return true;
}

// Why the staged backup at `path` may not come in, or the empty text when it
// may. Its keys are in force afterwards, `keys` the result of their set-up,
// which also turns WAL mode off in it, as in every data file.
QString CheckStaged(const QString& path, KeySetupResult* keys)
{
    switch (CDBManager::Examine(path)) {
    case CDBManager::FileKind::Damaged:
        return Tr("It is damaged.");
    case CDBManager::FileKind::NotADataFile:
        return Tr("It is not a Kestrova data file.");
    case CDBManager::FileKind::DataFile:
        break;
    }

    CDBManager& manager = CDBManager::GetInstance();
    manager.OpenDataBase(path);
    QString cause, table, column;
    if (manager.LacksColumn(&table, &column)) {
        cause = Tr("Its table %1 has no column %2.").arg(table, column);
    } else if (!manager.UseRollbackJournal()) {
        // Left in WAL mode, what a later copy takes of it would lack what was saved since.
        cause = Tr("Its copy beside the data file cannot be written.");
    } else if (!KeysInForce(*keys = SetUpKeys())) {
        cause = Tr("Its keys are damaged.");
    } else if (const int unreadable = UnreadableSecrets(); unreadable < 0) {
        cause = Tr("It is damaged.");
    } else if (unreadable > 0) {
        cause = unreadable == 1 ? Tr("1 stored secret cannot be read.")
                                : Tr("%1 stored secrets cannot be read.").arg(unreadable);
    }
    manager.CloseDataBase();
    return cause;
}

// The restore itself, with the keys of whichever file it leaves in place.
RestoreResult ReplaceByBackup(const QString& backup, KeySetupResult* keys, QString* cause, QString* kept)
{
    const QString active = DataFilePath(), rollback = RollbackOf(active);
    // Never a pipe or a device, which a link may make the system's own.
    if (FileCopy::IsSpecial(active)) {
        *cause =
            Tr("The data file %1 cannot be replaced. It is not a regular file.").arg(DataFiles::ActivePath());
        return RestoreResult::NotRestored;
    }
    FileCopy staged;
    // Its owner's alone and writable, whatever the backup's mode, so that it can
    // leave WAL mode; the rename gives it the mode of the file it replaces.
    if (!staged.Make(backup, active + "_restore_XXXXXX", FileCopy::Source::SQLiteDatabase,
                     FileCopy::Mode::OwnerOnly)) {
        *cause = staged.Cause();
        return RestoreResult::NotRestored;
    }
    *cause = CheckStaged(staged.FileName(), keys);
    // What SQLite kept beside the copy while it looked at it; a read-only look leaves some for good.
    for (const char* journal : {"-wal", "-shm", "-journal"})
        QFile::remove(staged.FileName() + journal);
    if (!cause->isEmpty())
        return RestoreResult::NotRestored;

    // The file the user chose is never replaced; only a data file is worth a rollback copy.
    const bool chosen = SameFile(backup, rollback);
    if (!chosen && !KeepEarlierRollback(active, rollback, kept, cause))
        return RestoreResult::NoRollback;
    const bool keep = !chosen && CDBManager::IsDataFile(active);
    if (keep) {
        // A pipe, a device, a folder or a link there stays as it is.
        if (!FileCopy::NothingAt(rollback) && !IsPlainFile(rollback)) {
            *cause = FileCopy::tr("It is not a regular file.");
            return RestoreResult::NoRollback;
        }
        FileCopy copy;
        if (!copy.Make(active, rollback + ".XXXXXX") || !copy.Replace(rollback)) {
            *cause = copy.Cause();
            return RestoreResult::NoRollback;
        }
    }
    const bool replaced = staged.Replace(active);
    if (keep)
        QFile::remove(rollback);
    *cause = staged.Cause();
    return replaced ? RestoreResult::Restored : RestoreResult::NotRestored;
}

// Removes what a restore cut short leaves beside the data file, which nothing
// reads: staged backups with SQLite's files beside them, and unfinished
// rollback copies.
void RemoveLeftovers(const QString& active)
{
    const QFileInfo file(active);
    const QRegularExpression leftover(
        "^" + QRegularExpression::escape(file.fileName()) +
        "(_restore_[A-Za-z0-9]{6}(-wal|-shm|-journal)?|_temp\\.[A-Za-z0-9]{6})$");
    const QDir folder = file.dir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (leftover.match(name).hasMatch())
            QFile::remove(folder.filePath(name));
    }
}

} // namespace

namespace DataFiles {

QString ActivePath()
{
    const QSettings* settings = Utility::GetInstance().settings;
    return settings->value(WALLET_DATA_FOLDER_PATH).toString() + "/" +
           settings->value(ACTIVE_WALLET_DB_7_5_0).toString();
}

QString RollbackPath()
{
    return RollbackOf(DataFilePath());
}

QString BackupPath(const QString& folder)
{
    return folder + "/Kestrova_Backup_" + QDateTime::currentDateTime().toString("yyyyMMdd-HH-mm-ss") +
           ".kestrova";
}

QString SharePath(const QString& folder)
{
    return folder + "/" + Utility::GetInstance().settings->value(ACTIVE_WALLET_DB_7_5_0).toString();
}

QString CopyActiveTo(const QString& target)
{
    FileCopy copy;
    return copy.Make(ActivePath(), target + ".XXXXXX") && copy.Place(target) ? QString() : copy.Cause();
}

void Select(const QString& path)
{
    CDBManager::GetInstance().CloseDataBase();
    ForgetUnlockedLockers();
    const QFileInfo file(path);
    QSettings* settings = Utility::GetInstance().settings;
    settings->setValue(WALLET_DATA_FOLDER_PATH, file.absolutePath());
    settings->setValue(ACTIVE_WALLET_DB_7_5_0, file.fileName());
}

bool CanMakeNew()
{
    const QSettings* settings = Utility::GetInstance().settings;
    const QString folder = settings->value(WALLET_DATA_FOLDER_PATH).toString();
    const QFileInfo file(ActivePath());
    return QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir() && !file.fileName().isEmpty() &&
           FileCopy::HoldsNothing(file.filePath()) && !CDBManager::IsDataFile(RollbackPath());
}

QString MakeNew()
{
    QString cause;
    return CDBManager::GetInstance().MakeDataFile(ActivePath(), &cause) ? QString() : cause;
}

RestoreResult Restore(const QString& backup, KeySetupResult* keys, QString* cause, QString* kept)
{
    CDBManager::GetInstance().CloseDataBase();
    kept->clear();
    const RestoreResult result = ReplaceByBackup(backup, keys, cause, kept);
    if (result == RestoreResult::Restored)
        ForgetUnlockedLockers();
    else // the data file's own keys again, in place of the backup's
        *keys = SetUpKeys();
    return result;
}

RollbackRecovery RecoverRollback(QString* cause)
{
    const QString active = DataFilePath(), rollback = RollbackOf(active);
    // No data file is named until a first start has made one.
    if (QFileInfo(active).fileName().isEmpty())
        return RollbackRecovery::None;
    RollbackRecovery result = RollbackRecovery::None;
    // An empty data file holds no more than a missing one; anything but a regular file stays.
    if (FileCopy::HoldsNothing(active) && CDBManager::IsDataFile(rollback)) {
        result = FileCopy::RenameOver(rollback, active, cause) ? RollbackRecovery::PutBack
                                                               : RollbackRecovery::NotPutBack;
    }
    RemoveLeftovers(active);
    return result;
}

} // namespace DataFiles
