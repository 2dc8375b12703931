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

// Copies the newest older data file onto the current name; the older files stay.
// A current file that was already there (the settings store was emptied, say)
// is the user's live data: it stays, and nothing is copied over it.
void MigrateOlderDataFiles(const QDir& folder)
{
    const QString current = folder.filePath(CDBManager::DataFileName());
    if (!FileCopy::NothingAt(current))
        return;

    const QString olderVersions[] = {PREVIOUS_VERSION_7_0_0, PREVIOUS_VERSION_6_0_0, PREVIOUS_VERSION_5_0_0,
                                     PREVIOUS_VERSION_4_0_0};
    for (const QString& version : olderVersions) {
        const QString older = folder.filePath(CDBManager::DataFileName(version));
        if (!QFile::exists(older))
            continue;
        // The copy holds every secret: it is its owner's alone, whatever the older file's mode.
        FileCopy copy;
        if (copy.Make(older, current + ".XXXXXX", FileCopy::Source::RegularFile, FileCopy::Mode::OwnerOnly))
            copy.Place(current);
        Utility::GetInstance().settings->setValue("MasterPassword", "Y");
        return;
    }
}

} // namespace

void RunFirstStart()
{
    const QString folderPath = QDir::home().absolutePath() + "/.kestrova";
    // Private to its owner; anything already there, a link included, stays as it is.
    if (FileCopy::NothingAt(folderPath))
        ::mkdir(QFile::encodeName(folderPath).constData(), 0700);
    Utility::GetInstance().settings->setValue(WALLET_DATA_FOLDER_PATH, folderPath);
    // Without its folder this start is no first start: the next one tries again.
    if (!QFileInfo(folderPath).isDir())
        return;

    MigrateOlderDataFiles(QDir(folderPath));
    CDBManager::GetInstance().CreateDatabase();
}
