#include "core/firststart.h"

#include "core/DBManager.h"
#include "core/constants.h"
#include "core/filecopy.h"
#include "core/utility.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>

namespace {

MigrationFailure& Failure()
{
    static MigrationFailure failure;
    return failure;
}

// Carries the newest older data file over to `current`, which is missing, with
// what its journal holds; the older files stay as they are. False, with the
// failure noted, when it cannot be read whole.
bool MigrateOlderDataFile(const QDir& folder, const QString& current)
{
    const QString olderVersions[] = {PREVIOUS_VERSION_7_0_0, PREVIOUS_VERSION_6_0_0, PREVIOUS_VERSION_5_0_0,
                                     PREVIOUS_VERSION_4_0_0};
    for (const QString& version : olderVersions) {
        const QString older = folder.filePath(CDBManager::DataFileName(version));
        // A link to a drive not connected stands for the newest data too: an older
        // file must not take its place unseen.
        if (FileCopy::NothingAt(older))
            continue;
        // Its owner's alone, and with the five tables before it takes the current name.
        FileCopy copy;
        const bool carried = copy.Fill(current + ".XXXXXX", [&older](const QString& file, QString* cause) {
            return CDBManager::CarryOver(older, file, cause) &&
                   CDBManager::GetInstance().MakeDataFile(file, cause);
        }) && copy.Place(current);
        if (!carried) {
            Failure() = {older, copy.Cause()};
            return false;
        }
        Utility::GetInstance().settings->setValue("MasterPassword", "Y");
        return true;
    }
    return true;
}

} // namespace

void RunFirstStart()
{
    Failure() = {};
    QSettings* settings = Utility::GetInstance().settings;
    const QString folderPath = QDir::home().absolutePath() + "/.kestrova";
    // Private to its owner; anything already there, a link included, stays as it is.
    if (FileCopy::NothingAt(folderPath))
        ::mkdir(QFile::encodeName(folderPath).constData(), 0700);
    settings->setValue(WALLET_DATA_FOLDER_PATH, folderPath);
    // Without its folder this start is no first start: the next one tries again.
    if (!QFileInfo(folderPath).isDir())
        return;

    const QDir folder(folderPath);
    const QString current = folder.filePath(CDBManager::DataFileName());
    if (FileCopy::NothingAt(current)) {
        if (!MigrateOlderDataFile(folder, current))
            return;
    } else if (!FileCopy::HoldsNothing(current) && !CDBManager::IsDataFile(current)) {
        // The user's own file, left there when the settings store was emptied, say:
        // named as it stands, so that every start says what it is.
        settings->setValue(ACTIVE_WALLET_DB_7_5_0, CDBManager::DataFileName());
        return;
    }
    // A data file already there is the user's live data: it stays as it is.
    CDBManager::GetInstance().CreateDatabase();
}

const MigrationFailure& LastMigrationFailure()
{
    return Failure();
}
