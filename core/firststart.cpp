#include "core/firststart.h"

#include "core/DBManager.h"
#include "core/constants.h"
#include "core/utility.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

// Copies the newest older data file onto the current name; the older files stay.
// A current file that was already there (the settings store was emptied, say)
// is the user's live data: it stays, and nothing is copied over it.
void MigrateOlderDataFiles(const QDir& folder)
{
    const QString current = folder.filePath(CDBManager::DataFileName());
    if (QFile::exists(current))
        return;

    QSettings* settings = Utility::GetInstance().settings;
    const QString olderVersions[] = {PREVIOUS_VERSION_4_0_0, PREVIOUS_VERSION_5_0_0, PREVIOUS_VERSION_6_0_0,
                                     PREVIOUS_VERSION_7_0_0};
    for (const QString& version : olderVersions) {
        const QString older = folder.filePath(CDBManager::DataFileName(version));
        if (!QFile::exists(older))
            continue;
        QFile::remove(current);
        QFile::copy(older, current);
        settings->setValue(ACTIVE_WALLET_DB_7_5_0, CDBManager::DataFileName());
        settings->setValue("MasterPassword", "Y");
    }
}

} // namespace

void RunFirstStart()
{
    QDir home = QDir::home();
    const QString folderPath = home.absolutePath() + "/.kestrova";
    if (!QDir(folderPath).exists())
        home.mkdir(".kestrova");
    const QDir folder(folderPath);
    Utility::GetInstance().settings->setValue(WALLET_DATA_FOLDER_PATH, folder.absolutePath());
    // Without its folder this start is no first start: the next one tries again.
    if (!QFileInfo(folderPath).isDir())
        return;

    MigrateOlderDataFiles(folder);
    CDBManager::GetInstance().CreateDatabase();
}
