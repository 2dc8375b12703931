#ifndef FILESTATE_H
#define FILESTATE_H

#include <QCoreApplication>
#include <QString>

// What is at a path, in the program's terms. Links are followed as the system
// follows them, each from the folder that it really is in. Nothing here opens
// a file in a way that could wait on a pipe or a device, nor changes one.
class FileState
{
    Q_DECLARE_TR_FUNCTIONS(FileState)

public:
    enum Kind
    {
        Nothing,      // no file, or a link to none
        Empty,        // an empty regular file
        Readable,     // a regular file that holds something, not read as a database (Look only)
        DataFile,     // a sound SQLite file that holds the five tables
        NotADataFile, // a file of another kind, or an SQLite file without the tables
        Damaged,      // an SQLite file that fails SQLite's check
        Unreadable,   // the file, or a journal beside it, cannot be read
        NotRegular,   // a folder, a pipe, a device, a socket or links in a loop, there or as a journal beside
                      // it
    };

    // What the system tells of `path`, and of SQLite's journals beside it,
    // without reading the file as a database.
    static FileState Look(const QString& path);
    // The same, and a file that holds something read as a database, on a
    // read-only connection whose own files beside it go again.
    static FileState Examine(const QString& path);
    // SQLite's files beside a database, which it opens with a plain open: all
    // of them, and those that hold part of what the database holds.
    static constexpr const char* JOURNALS[] = {"-journal", "-wal", "-shm"};
    static constexpr const char* DATA_JOURNALS[] = {"-journal", "-wal"};

    // True when nothing at all is at `path`, not even a link to a missing file.
    static bool NothingAt(const QString& path);
    // `path` with the links at its end followed: the file that the system opens.
    static QString Resolve(const QString& path, bool* linked = nullptr);
    // `folder` and `name` joined as paths: "/" and "x" give "/x".
    static QString Join(const QString& folder, const QString& name);
    // The cause that a file of `kind` is given, where every such file has the same.
    static QString CauseFor(Kind kind);
    // What a failed system call's error number means to the user.
    static QString CauseOf(int error, bool writing);

    bool HoldsNothing() const { return kind == Nothing || kind == Empty; }
    // Why the file cannot be used, naming the journal when that is at fault.
    QString Reason() const;

    Kind kind = Nothing;
    QString path;        // the file itself, its links followed
    QString culprit;     // what the cause speaks of: the file, or a journal beside it
    QString cause;       // in words a user understands; empty for Nothing, Empty, Readable and DataFile
    bool linked = false; // `path` was reached through a link
};

#endif // FILESTATE_H
