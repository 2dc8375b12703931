#include "core/filestate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// True when the regular file at `path` can be opened for reading, with its
// first bytes in `header`; else false with the error. Non-blocking, in case it
// became a pipe meanwhile.
bool Opens(const QString& path, int* error, QByteArray* header = nullptr)
{
    const int fd = ::open(Native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return false;
    }
    if (header) {
        header->resize(20);
        const ssize_t got = ::pread(fd, header->data(), header->size(), 0);
        header->resize(got > 0 ? static_cast<int>(got) : 0);
    }
    ::close(fd);
    return true;
}

// The file at `path` cannot be opened: unreadable, or of a kind that only an
// open tells, such as a socket.
FileState CannotOpen(const FileState& state, const QString& path, int error)
{
    const bool special = error == ENXIO || error == ELOOP;
    return state.With(special ? FileState::NotRegular : FileState::Unreadable, path,
                      FileState::CauseOf(error, false));
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
    const bool there = ::lstat(Native(state.path).constData(), &status) == 0;
    if (!there && errno != ENOENT && errno != ENOTDIR)
        return CannotOpen(state, state.path, errno);
    if (there && !S_ISREG(status.st_mode)) // links still there after Resolve are a loop
        return state.With(NotRegular, state.path, CauseFor(NotRegular));
    // SQLite opens these with a plain open that follows no link, which a pipe or
    // a device may hold for good; they count even where no file is yet.
    QStringList beside;
    for (const char* journal : JOURNALS) {
        const QString file = state.path + journal;
        struct stat side;
        if (::lstat(Native(file).constData(), &side) != 0)
            continue;
        if (!S_ISREG(side.st_mode))
            return state.With(NotRegular, file, CauseFor(NotRegular));
        beside << file;
        // The -shm holds nothing of the database's own.
        if (qstrcmp(journal, "-shm") != 0)
            state.journals << file;
    }
    if (!there)
        return state.With(Nothing, state.path, CauseFor(Nothing));
    if (status.st_size == 0) {
        state.kind = Empty;
        return state;
    }
    int error = 0;
    if (!Opens(state.path, &error, &state.header))
        return CannotOpen(state, state.path, error);
    // The -shm serves WAL mode only, as SQLite's header or a WAL beside tells.
    const bool wal = (IsDatabaseHeader(state.header) && state.header.at(18) == 2) ||
                     beside.contains(state.path + "-wal");
    for (const QString& file : beside) {
        if ((wal || !file.endsWith("-shm")) && !Opens(file, &error))
            return CannotOpen(state, file, error);
    }
    state.kind = Readable;
    return state;
}

bool FileState::IsDatabaseHeader(const QByteArray& header)
{
    return header.size() >= 20 && header.startsWith(QByteArray("SQLite format 3\0", 16));
}

QString FileState::WhyNotWritable(const QString& path)
{
    const FileState state = Look(path);
    if (state.kind != Empty && state.kind != Readable)
        return state.Reason();
    // The file, the journals beside it, then the folder, where a save makes its journal.
    QStringList files{state.path};
    for (const char* journal : JOURNALS) {
        if (!NothingAt(state.path + journal))
            files << state.path + journal;
    }
    files << QFileInfo(state.path).absolutePath();
    for (const QString& file : files) {
        if (::faccessat(AT_FDCWD, Native(file).constData(), W_OK, AT_EACCESS) != 0) {
            const QString cause = CauseOf(errno, true);
            return file == state.path ? cause : file + "\n" + cause;
        }
    }
    return QString();
}

FileState FileState::With(Kind found, const QString& at, const QString& why) const
{
    FileState state = *this;
    state.kind = found;
    state.culprit = at;
    state.cause = why;
    return state;
}

QString FileState::Reason() const
{
    return culprit.isEmpty() || culprit == path ? cause : culprit + "\n" + cause;
}

QString FileState::CauseFor(Kind kind)
{
    switch (kind) {
    case Nothing:
        return CauseOf(ENOENT, false);
    case OlderDataFile:
        return tr("It is from an earlier version of Kestrova.");
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
        return tr("There is no room left on the disk.");
    case EFBIG: // a size limit of the system's, or of this run's
        return tr("The file would be larger than the system allows.");
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
