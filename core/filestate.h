#ifndef FILESTATE_H
#define FILESTATE_H

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What is at a path, in the program's terms, and what stands beside it where
// SQLite keeps a database's journals. Links are followed as the system follows
// them, each from the folder that it really is in. Nothing here opens a file in
// a way that could wait on a pipe or a device, nor changes one.
class FileState
{
    Q_DECLARE_TR_FUNCTIONS(FileState)

public:
    enum Kind
    {
        Nothing,       // no file, or a link to none
        Empty,         // an empty regular file
        Readable,      // a regular file that holds something, not read as a database (Look only)
        DataFile,      // a sound SQLite file that holds the five tables
        OlderDataFile, // a sound SQLite file with the lockers but not every table: an earlier version's
        NotADataFile,  // a file of another kind, or an SQLite file without the lockers
        Damaged,       // an SQLite file that fails SQLite's check
        Unreadable,    // the file, or a journal beside it, cannot be read
        NotRegular,    // a folder, a pipe, a device, a socket or links in a loop, or anything but a
                       // regular file where a journal goes
    };

    // What the system tells of `path`, and of SQLite's journals beside it,
    // without reading the file as a database.
    static FileState Look(const QString& path);
    // SQLite's files beside a database, which it opens without following links.
    static constexpr const char* JOURNALS[] = {"-journal", "-wal", "-shm"};

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
    // Whether `header`, a file's first 20 bytes, starts as SQLite's files do;
    // its byte 18 then gives the journal mode: 1 the rollback journal, 2 WAL.
    static bool IsDatabaseHeader(const QByteArray& header);
    // Why the database at `path` cannot take a save: what is in the way, the
    // file itself, a journal beside it or its folder, named where it is not the
    // file; the empty text when nothing is.
    static QString WhyNotWritable(const QString& path);

    bool HoldsNothing() const { return kind == Nothing || kind == Empty; }
    // Whether a new file may take this place: an empty file, or nothing at all,
    // not even a link to a file not there, as on a drive not connected.
    bool IsFree() const { return kind == Empty || (kind == Nothing && !linked); }
    // This state, found to be of `kind` for `cause`, which speaks of `culprit`.
    FileState With(Kind kind, const QString& culprit, const QString& cause) const;
    // Why the file cannot be used, naming the journal when that is at fault.
    QString Reason() const;

    Kind kind = Nothing;
    QString path;         // the file itself, its links followed
    QString culprit;      // what the cause speaks of: the file, or a journal beside it
    QString cause;        // in words a user understands; empty for Empty, Readable and DataFile
    bool linked = false;  // `path` was reached through a link
    QStringList journals; // the -journal and -wal beside it, which SQLite takes as the file's own
    QByteArray header;    // the first bytes of a file that holds something, as Look read them
};

#endif // FILESTATE_H
