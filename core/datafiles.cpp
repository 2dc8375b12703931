#include "core/datafiles.h"

#include "core/DBManager.h"
#include "core/constants.h"
#include "core/utility.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

// Closes the connection before the file changes under it, and forgets the
// lockers unlocked for this run: their IDs may name other lockers in another file.
void CloseActiveFile()
{
    CDBManager::GetInstance().CloseDataBase();
    Utility::GetInstance().sessionLockerIds.clear();
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
    CloseActiveFile();
    const QFileInfo file(path);
    QSettings* settings = Utility::GetInstance().settings;
    settings->setValue(WALLET_DATA_FOLDER_PATH, file.absolutePath());
    settings->setValue(ACTIVE_WALLET_DB_7_5_0, file.fileName());
}

RestoreResult Restore(const QString& backup, QString* error)
{
    CloseActiveFile();
    const QString active = ActivePath();
    QFile rollback(RollbackPath());
    QFile activeFile(active);
    // Without a rollback copy the data file must not be deleted.
    if (rollback.exists() && !rollback.remove()) {
        *error = rollback.errorString();
        return RestoreResult::NoRollback;
    }
    if (!activeFile.copy(rollback.fileName())) {
        *error = activeFile.errorString();
        return RestoreResult::NoRollback;
    }

    // A file that is not a data file would leave the user with no lockers at all.
    if (QFile::remove(active) && QFile::copy(backup, active) && CDBManager::GetInstance().HoldsSchema()) {
        rollback.remove();
        return RestoreResult::Restored;
    }
    CDBManager::GetInstance().CloseDataBase();
    QFile::remove(active);
    if (!rollback.rename(active))
        qWarning() << "The data file is left at" << rollback.fileName() << rollback.errorString();
    return RestoreResult::NotRestored;
}

} // namespace DataFiles
