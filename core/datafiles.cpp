#include "core/datafiles.h"

#include "core/DBManager.h"
#include "core/constants.h"
#include "core/utility.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

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

// Replaces `target` by `source` in one step, which QFile::rename never does:
// the target is at every moment the old file or the new one.
bool RenameOver(const QString& source, const QString& target, QString* error)
{
    if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    *error = qt_error_string(errno);
    return false;
}

// Writes all of `source` into the open `target`; false with the error when a
// read or a write failed.
bool CopyInto(const QString& source, QFileDevice& target, QString* error)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = in.errorString();
        return false;
    }
    for (QByteArray chunk; !(chunk = in.read(1 << 16)).isEmpty();) {
        if (target.write(chunk) != chunk.size()) {
            *error = target.errorString();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        *error = in.errorString();
        return false;
    }
    if (!target.flush()) {
        *error = target.errorString();
        return false;
    }
    return true;
}

// Puts a copy of `source` in place of `target` in one step.
bool CopyOver(const QString& source, const QString& target, QString* error)
{
    QSaveFile copy(target);
    // Unbuffered, so that every write's count tells: commit() misses a failed last flush.
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *error = copy.errorString();
        return false;
    }
    if (!CopyInto(source, copy, error))
        return false;
    if (!copy.commit()) {
        *error = copy.errorString();
        return false;
    }
    return true;
}

// Copies the backup into `staged` and checks it there: a sound SQLite file with
// the tables, whose keys set up. The keys in force are then the staged file's.
bool StageBackup(const QString& backup, QTemporaryFile& staged, KeySetupResult* keys)
{
    QString ignored;
    // On disk before it can replace anything, so that a power cut cannot leave a hollow file.
    const bool copied = staged.open() && CopyInto(backup, staged, &ignored) && fsync(staged.handle()) == 0;
    staged.close();
    if (!copied || !CDBManager::IsDataFile(staged.fileName()))
        return false;
    CDBManager& manager = CDBManager::GetInstance();
    manager.OpenDataBase(staged.fileName());
    *keys = SetUpKeys();
    manager.CloseDataBase();
    return KeysInForce(*keys);
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
    return ActivePath() + "_temp";
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
    QFile active(ActivePath());
    return active.copy(target) ? QString() : active.errorString();
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

RestoreResult Restore(const QString& backup, KeySetupResult* keys, QString* error)
{
    CDBManager::GetInstance().CloseDataBase();
    const QString active = ActivePath(), rollback = RollbackPath();
    QTemporaryFile staged(active + "_restore_XXXXXX");
    RestoreResult result = RestoreResult::NotRestored;
    if (StageBackup(backup, staged, keys)) {
        // Only a data file is worth a rollback copy, and only then may an earlier
        // copy give way; the file the user chose is never replaced.
        const bool keep = CDBManager::IsDataFile(active) && !SameFile(backup, rollback);
        if (keep && !CopyOver(active, rollback, error)) {
            result = RestoreResult::NoRollback;
        } else {
            if (RenameOver(staged.fileName(), active, error)) {
                staged.setAutoRemove(false);
                result = RestoreResult::Restored;
            }
            if (keep)
                QFile::remove(rollback);
        }
    }
    if (result == RestoreResult::Restored)
        ForgetUnlockedLockers();
    else // the data file's own keys again, in place of the backup's
        *keys = SetUpKeys();
    return result;
}

RollbackRecovery RecoverRollback(QString* error)
{
    const QString active = ActivePath(), rollback = RollbackPath();
    // Opening a missing data file makes an empty one, so both mean the same.
    if (QFileInfo(active).size() > 0 || !CDBManager::IsDataFile(rollback))
        return RollbackRecovery::None;
    return RenameOver(rollback, active, error) ? RollbackRecovery::PutBack : RollbackRecovery::NotPutBack;
}

} // namespace DataFiles
