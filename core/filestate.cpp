#include "core/filestate.h"

#include "core/DBManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

// True when the regular file at `path` can be opened for reading; else false
// with the error. Non-blocking, in case it became a pipe meanwhile.
bool Opens(const QString& path, int* error)
{
    const int fd = ::open(Native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    ::close(fd);
    return true;
}

FileState With(FileState state, FileState::Kind kind, const QString& culprit, const QString& cause)
{
    state.kind = kind;
    state.culprit = culprit;
    state.cause = cause;
    return state;
}

// The file at `path` cannot be opened: unreadable, or of a kind that only an
// open tells, such as a socket.
FileState CannotOpen(const FileState& state, const QString& path, int error)
{
    const bool special = error == ENXIO || error == ELOOP;
    return With(state, special ? FileState::NotRegular : FileState::Unreadable, path,
                FileState::CauseOf(error, false));
}

// What SQLite reads of the file of `state` on `database`.
FileState Read(const FileState& state, QSqlDatabase& database)
{
    const QString& path = state.path;
    if (!database.open())
        return With(state, FileState::Unreadable, path, SqlErrorCause(database.lastError()));
    QSqlQuery check(database);
    if (!check.exec("PRAGMA quick_check")) {
        const QString cause = SqlErrorCause(check.lastError());
        const bool damaged = cause == FileState::CauseFor(FileState::Damaged);
        return With(state, damaged ? FileState::Damaged : FileState::Unreadable, path, cause);
    }
    if (!check.next() || check.value(0).toString() != "ok")
        return With(state, FileState::Damaged, path, FileState::CauseFor(FileState::Damaged));
    if (!CDBManager::HoldsTables(database))
        return With(state, FileState::NotADataFile, path, FileState::CauseFor(FileState::NotADataFile));
    FileState read = state;
    read.kind = FileState::DataFile;
    return read;
}

// What SQLite reads of the regular file at `path`, through a read-only
// connection. Without a journal beside it, the file holds all there is, and is
// read as it stands, which makes nothing beside it, even in a folder that
// cannot be written. Else reading a database in WAL mode makes its -wal and
// -shm when they are missing; those go again, so that the file stays as it was.
FileState ReadAsDatabase(const FileState& state)
{
    const QString& path = state.path;
    QStringList made;
    for (const char* journal : {"-wal", "-shm"}) {
        if (FileState::NothingAt(path + journal))
            made << path + journal;
    }
    const bool journaled = !made.contains(path + "-wal") || !FileState::NothingAt(path + "-journal");
    const QString connection = "EXAMINE";
    FileState read = state;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", connection);
        database.setConnectOptions("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI");
        database.setDatabaseName(DatabaseUri(path, journaled ? "mode=ro" : "mode=ro&immutable=1"));
        read = Read(state, database);
    }
    QSqlDatabase::removeDatabase(connection);
    for (const QString& file : made)
        QFile::remove(file);
    return read;
}

} // namespace

bool FileState::NothingAt(const QString& path)
{
    struct stat status;
    return ::lstat(Native(path).constData(), &status) != 0 && errno == ENOENT;
}

QString FileState::Join(const QString& folder, const QString& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QString FileState::Resolve(const QString& path, bool* linked)
{
    QString at = QDir::isAbsolutePath(path) ? path : Join(QDir::currentPath(), path);
    // No more links than the system follows in one path; past that, a loop.
    for (int links = 0; links < 40; ++links) {
        const int slash = at.lastIndexOf('/');
        QString folder = slash == 0 ? "/" : at.left(slash);
        // The folder as it really is: ".." in a link leads from there, as the system's does.
        if (char* real = ::realpath(Native(folder).constData(), nullptr)) {
            folder = QFile::decodeName(real);
            std::free(real);
        }
        at = Join(folder, at.mid(slash + 1));
        char target[PATH_MAX];
        const ssize_t size = ::readlink(Native(at).constData(), target, sizeof target);
        if (size <= 0 || size == sizeof target)
            return at;
        if (linked)
            *linked = true;
        const QString next = QFile::decodeName(QByteArray(target, static_cast<int>(size)));
        at = QDir::isAbsolutePath(next) ? next : Join(folder, next);
    }
    return at;
}

FileState FileState::Look(const QString& path)
{
    FileState state;
    state.path = Resolve(path, &state.linked);
    struct stat status;
    if (::lstat(Native(state.path).constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return state;
        return CannotOpen(state, state.path, errno);
    }
    if (!S_ISREG(status.st_mode)) // links still there after Resolve are a loop
        return With(state, NotRegular, state.path, CauseFor(NotRegular));
    // SQLite opens these with a plain open, which a pipe or a device may hold for good.
    for (const char* journal : JOURNALS) {
        const QString beside = state.path + journal;
        struct stat there;
        if (::stat(Native(beside).constData(), &there) != 0 ? errno == ELOOP : !S_ISREG(there.st_mode))
            return With(state, NotRegular, beside, CauseFor(NotRegular));
    }
    if (status.st_size == 0) {
        state.kind = Empty;
        return state;
    }
    int error = 0;
    if (!Opens(state.path, &error))
        return CannotOpen(state, state.path, error);
    for (const char* journal : DATA_JOURNALS) {
        const QString beside = state.path + journal;
        if (QFileInfo::exists(beside) && !Opens(beside, &error))
            return CannotOpen(state, beside, error);
    }
    state.kind = Readable;
    return state;
}

FileState FileState::Examine(const QString& path)
{
    const FileState state = Look(path);
    if (state.kind != Readable)
        return state;
    QFile file(state.path);
    static const QByteArray sqlite("SQLite format 3\0", 16);
    if (!file.open(QIODevice::ReadOnly) || file.read(16) != sqlite)
        return With(state, NotADataFile, state.path, CauseFor(NotADataFile));
    return ReadAsDatabase(state);
}

QString FileState::Reason() const
{
    return culprit == path ? cause : culprit + "\n" + cause;
}

QString FileState::CauseFor(Kind kind)
{
    switch (kind) {
    case NotADataFile:
        return tr("It is not a Kestrova data file.");
    case Damaged:
        return tr("It is damaged.");
    case NotRegular:
        return tr("It is not a regular file.");
    default:
        return QString();
    }
}

QString FileState::CauseOf(int error, bool writing)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return tr("There is no room left on the disk.");
    case EACCES:
    case EPERM:
    case EROFS:
        return writing ? tr("The folder or the file cannot be written.") : tr("The file cannot be read.");
    case ENOENT:
    case ENOTDIR:
        return writing ? tr("The folder is not there.") : tr("The file is not there.");
    case EEXIST:
        return tr("A file of that name is already there.");
    case EISDIR:
        return tr("A folder of that name is in the way.");
    case ENXIO: // a socket, or a device without its driver
    case ELOOP:
        return CauseFor(NotRegular);
    case EIO:
        return tr("The disk could not be read or written.");
    case ENAMETOOLONG:
        return tr("The file name is too long.");
    default:
        return qt_error_string(error);
    }
}
