#include "core/keptfiles.h"

#include "core/filecopy.h"
#include "core/filestate.h"
#include "core/utility.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSettings>

#include <cerrno>

namespace {

const QString UNTOLD = "UNTOLD_KEPT_FILES";

} // namespace

namespace KeptFiles {

void Note(const QString& path)
{
    QSettings* settings = Utility::GetInstance().settings;
    QStringList noted = settings->value(UNTOLD).toStringList();
    if (noted.contains(path))
        return;
    settings->setValue(UNTOLD, noted << path);
    // Written out before the file moves: a kill right after must not leave it unnamed.
    settings->sync();
}

bool MoveAside(const QString& path, const QString& base, const QString& ending, QString* cause)
{
    const QString aside =
        base + "_kept_" + QDateTime::currentDateTime().toString("yyyyMMdd-HH-mm-ss") + ending;
    // Only a name that nothing holds is noted: a file of the user's there stays out of it.
    if (!FileState::NothingAt(aside)) {
        *cause = FileState::CauseOf(EEXIST, true);
        return false;
    }
    Note(aside);
    return FileCopy::RenameNoReplace(path, aside, cause);
}

bool ClearWay(const QString& path, QString* cause)
{
    const FileState there = FileState::Look(path);
    if (there.kind == FileState::NotRegular && there.culprit != there.path) {
        *cause = there.Reason();
        return false;
    }
    for (const QString& journal : there.journals) {
        QString why;
        if (!MoveAside(journal, journal, QString(), &why)) {
            *cause = journal + "\n" + why;
            return false;
        }
    }
    return true;
}

QStringList Untold()
{
    QStringList there;
    for (const QString& path : Utility::GetInstance().settings->value(UNTOLD).toStringList()) {
        if (!FileState::NothingAt(path))
            there << path;
    }
    return there;
}

bool IsJournal(const QString& kept)
{
    static const QRegularExpression journal(R"(-(journal|wal)_kept_[-\d]+$)");
    return kept.contains(journal);
}

void Told()
{
    QSettings* settings = Utility::GetInstance().settings;
    if (!settings->contains(UNTOLD))
        return;
    settings->remove(UNTOLD);
    settings->sync();
}

} // namespace KeptFiles
