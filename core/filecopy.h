#ifndef FILECOPY_H
#define FILECOPY_H

#include <QCoreApplication>
#include <QString>

#include <functional>

class FileState;

// A new file, written beside the place that it is for under a name that marks
// it as the program's own, then forced to disk and renamed into that place in
// one step: the place holds at every moment what it held before or the whole
// file. The new file is locked while it is made, so that no other run takes it
// for a leftover. One that never reaches its place is removed; what a kill left
// is removed by the next start beside the data file, or by the next copy into
// that folder. Failures come with their cause in words a user understands.
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
    // A step on the new file, by its name; false, with the cause, when it fails.
    using Step = std::function<bool(const QString& file, QString* cause)>;

    FileCopy() = default;
    ~FileCopy();
    Q_DISABLE_COPY(FileCopy)

    // Copies `source` into a new file beside `beside`. An SQLite file comes with
    // copies of its journals beside the copy, for `takeIn` to take in: a hot
    // journal rolled back and a WAL folded in. The source and its journals are
    // only read; a journal of another kind than a regular file is refused.
    bool Make(const QString& source, const QString& beside, Source kind, Mode mode, const Step& takeIn);
    // Makes a new, empty file beside `beside`, its owner's alone, and has `write` fill it.
    bool Fill(const QString& beside, const Step& write);
    // Puts the file in place of `target`, which then keeps its permissions, as a save would.
    bool Replace(const QString& target);
    // Puts the file at `target` unless something is there already.
    bool Place(const QString& target);
    // Puts the file where `there` holds nothing, not even a link, or an empty file that can be written.
    bool Settle(const FileState& there);
    // Whether a file may be settled there; false, with the cause, when not.
    static bool CanSettle(const FileState& there, QString* cause);

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
    // files of the marked names only, with SQLite's files beside them, and only
    // those that no run holds.
    static void RemoveUnfinished(const QString& beside);
    // The same for every file in `folder` whose name before the mark matches `namePattern`.
    static void RemoveUnfinished(const QString& folder, const QString& namePattern);

private:
    bool Fail(const QString& why, bool inSource = false);
    // The new file beside `beside`, open for writing and locked; -1 when it cannot be made.
    int Create(const QString& beside);
    // Copies the journals of the SQLite file at `source` beside the new file;
    // `copied` tells whether there were any.
    bool CopyJournals(const QString& source, bool* copied);
    // Copies all that `in` holds into `out`.
    bool CopyBytes(int in, int out);
    // Forces the new file to disk before it takes a name that matters.
    bool Sync();
    bool Renamed(bool renamed);
    void Release();

    QString fileName;
    int lock = -1; // holds the new file's lock until it has its place or is gone
    QString cause;
    bool sourceAtFault = false;
};

#endif // FILECOPY_H
