#ifndef FILECOPY_H
#define FILECOPY_H

#include <QCoreApplication>
#include <QString>

#include <functional>

// A new file, written beside the place that it is for under a name that marks
// it as the program's own, then forced to disk and renamed into that place in
// one step: the place holds at every moment what it held before or the whole
// file. One that never reaches its place is removed, and a start removes what
// a kill left. Failures come with their cause in words a user understands.
class FileCopy
{
    Q_DECLARE_TR_FUNCTIONS(FileCopy)

public:
    enum class Source
    {
        AnyFile,  // any regular file: never a pipe or a device, which may never end
        Database, // a regular file that starts with SQLite's header
    };
    enum class Mode
    {
        OfSource,  // the source's permissions, where the file system allows them
        OwnerOnly, // readable and writable by its owner alone
    };

    FileCopy() = default;
    ~FileCopy();
    Q_DISABLE_COPY(FileCopy)

    // Copies `source` into a new file beside `beside`. An SQLite file comes
    // with what its journals beside it hold, which SQLite then takes into the
    // copy: a hot journal is rolled back and a WAL folded in. The source and its
    // journals are only read.
    bool Make(const QString& source, const QString& beside, Source kind = Source::AnyFile,
              Mode mode = Mode::OfSource);
    // Makes a new, empty file beside `beside`, its owner's alone, and has `write`
    // fill it by its name; false, with the cause that `write` gave, when that fails.
    bool Fill(const QString& beside, const std::function<bool(const QString& file, QString* cause)>& write);
    // Puts the file in place of `target`, which then keeps its permissions, as a save would.
    bool Replace(const QString& target);
    // Puts the file at `target` unless something is there already.
    bool Place(const QString& target);

    const QString& FileName() const { return fileName; }
    // Why the last step failed.
    const QString& Cause() const { return cause; }
    // Whether that lies in what was copied, not in writing the new file.
    bool SourceAtFault() const { return sourceAtFault; }

    // Renames `source` over `target` in one step, durably: the folder is synced
    // afterwards, so that a power cut cannot bring the old file back.
    static bool RenameOver(const QString& source, const QString& target, QString* cause);
    // The same, unless something is at `target` already.
    static bool RenameNoReplace(const QString& source, const QString& target, QString* cause);
    // Removes what new files beside `beside` left when a kill cut them short:
    // files of the marked names only, with SQLite's files beside them.
    static void RemoveUnfinished(const QString& beside);

private:
    bool Fail(const QString& why, bool inSource = false);
    // The new file beside `beside`, open for writing; -1 when it cannot be made.
    int Create(const QString& beside);
    // Copies the journals of the SQLite file at `source` beside the new file,
    // and has SQLite take them in.
    bool TakeInJournals(const QString& source, bool walMode);
    // Copies all that `in` holds into `out`.
    bool CopyBytes(int in, int out);
    // Forces the new file to disk before it takes a name that matters.
    bool Sync();
    bool Renamed(bool renamed);

    QString fileName;
    QString cause;
    bool sourceAtFault = false;
};

#endif // FILECOPY_H
