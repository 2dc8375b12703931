#ifndef FILECOPY_H
#define FILECOPY_H

#include <QCoreApplication>
#include <QString>

#include <functional>

// A copy of a file, written under a temporary name beside the place it is for
// and forced to disk, then renamed into that place in one step: the place holds
// at every moment what it held before or the whole copy. A copy that never
// reaches its place is removed. Failures come with their cause in words a user
// understands.
class FileCopy
{
    Q_DECLARE_TR_FUNCTIONS(FileCopy)

public:
    enum class Source
    {
        RegularFile,    // any regular file: never a pipe or a device, which may never end
        SQLiteDatabase, // a regular file that starts with SQLite's header
    };
    enum class Mode
    {
        OfSource,  // the source's permissions, where the file system allows them
        OwnerOnly, // readable and writable by its owner alone
    };

    FileCopy() = default;
    ~FileCopy();
    Q_DISABLE_COPY(FileCopy)

    // Copies `source` into a new file named after `pattern`, whose last six
    // characters ("XXXXXX") are made unique.
    bool Make(const QString& source, const QString& pattern, Source kind = Source::RegularFile,
              Mode mode = Mode::OfSource);
    // Makes a new, empty file named after `pattern`, its owner's alone, and has
    // `write` fill it by its name; false, with the cause that `write` gave, when
    // that fails.
    bool Fill(const QString& pattern, const std::function<bool(const QString& file, QString* cause)>& write);
    // Puts the copy in place of `target`, which then keeps its permissions, as a save would.
    bool Replace(const QString& target);
    // Puts the copy at `target` unless a file is there already.
    bool Place(const QString& target);

    const QString& FileName() const { return fileName; }
    // Why the last step failed.
    const QString& Cause() const { return cause; }

    // Renames `source` over `target` in one step, durably: the folder is synced
    // afterwards, so that a power cut cannot bring the old file back.
    static bool RenameOver(const QString& source, const QString& target, QString* cause);
    // The same, unless something is at `target` already.
    static bool RenameNoReplace(const QString& source, const QString& target, QString* cause);
    // True when nothing at all is at `path`, not even a link to a missing file.
    static bool NothingAt(const QString& path);
    // True when `path` holds no data: nothing is there, or an empty regular file.
    static bool HoldsNothing(const QString& path);
    // True when something other than a regular file is at `path`, its links
    // followed: a folder, a pipe, a device, a socket, or links in a loop.
    static bool IsSpecial(const QString& path);
    // True when `path`, its links followed, is a regular file that can be read;
    // else false, with the cause.
    static bool CanRead(const QString& path, QString* cause);
    // Makes an empty file at `path`, readable and writable by its owner alone,
    // where nothing is yet.
    static bool MakeEmpty(const QString& path, QString* cause);
    // What a failed system call's error number means to the user.
    static QString CauseOf(int error, bool writing);

private:
    bool Fail(const QString& why);
    // The new file named after `pattern`, open for writing; -1 when it cannot be made.
    int Create(const QString& pattern);
    // Forces the new file to disk and closes it.
    bool Finish(int fd);

    QString fileName;
    QString cause;
};

#endif // FILECOPY_H
