#ifndef KEPTFILES_H
#define KEPTFILES_H

#include <QStringList>

// Files that may hold data found nowhere else and stand where a new file must
// go: they move aside, under names that the program gives them, and stay noted
// until the user has been told where they are, across a kill too.
namespace KeptFiles {

// Notes `path`, a file that the user must be told of.
void Note(const QString& path);
// Moves `path` aside, to `base` + "_kept_" + the local time + `ending`, noted
// first, never over another file; false, with the cause, when it cannot be moved.
bool MoveAside(const QString& path, const QString& base, const QString& ending, QString* cause);
// Moves aside, beside it, each journal that SQLite keeps at the name `path`, so
// that a file put there never takes in what another file left; false, with the
// cause naming the journal, when one cannot be moved.
bool ClearWay(const QString& path, QString* cause);
// The files noted and not yet told of that are still there.
QStringList Untold();
// Whether `kept` is a journal that ClearWay moved aside, as its name tells.
bool IsJournal(const QString& kept);
// The user has been told of every file noted.
void Told();

} // namespace KeptFiles

#endif // KEPTFILES_H
