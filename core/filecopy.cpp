#include "core/filecopy.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

// Closes its file descriptor when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Q_DISABLE_COPY(Descriptor)

    int Get() const { return fd; }
    bool Close() { return ::close(std::exchange(fd, -1)) == 0; }

private:
    int fd;
};

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

// What a failed system call means to the user.
QString CauseOf(int error, bool writing)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FileCopy::tr("There is no room left on the disk.");
    case EACCES:
    case EPERM:
    case EROFS:
        return writing ? FileCopy::tr("The folder or the file cannot be written.")
                       : FileCopy::tr("The file cannot be read.");
    case ENOENT:
    case ENOTDIR:
        return writing ? FileCopy::tr("The folder is not there.") : FileCopy::tr("The file is not there.");
    case EEXIST:
        return FileCopy::tr("A file of that name is already there.");
    case EISDIR:
        return FileCopy::tr("A folder of that name is in the way.");
    case EIO:
        return FileCopy::tr("The disk could not be read or written.");
    case ENAMETOOLONG:
        return FileCopy::tr("The file name is too long.");
    default:
        return qt_error_string(error);
    }
}

// Writes all of `size` bytes. After a write that takes only part, the write of
// the rest tells why the disk took no more; `error` is 0 when none says.
bool WriteAll(int fd, const char* data, ssize_t size, int* error)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            *error = written < 0 ? errno : 0;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Forces the folder's entries, and so a rename in it, to disk.
void SyncFolder(const QString& file)
{
    Descriptor folder(
        ::open(Native(QFileInfo(file).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0 || ::fsync(folder.Get()) != 0)
        qDebug() << "Folder not synced:" << qt_error_string(errno);
}

} // namespace

FileCopy::~FileCopy()
{
    if (!fileName.isEmpty())
        ::unlink(Native(fileName).constData());
}

bool FileCopy::Fail(const QString& why)
{
    cause = why;
    return false;
}

bool FileCopy::Make(const QString& source, const QString& pattern, Source kind, Mode mode)
{
    // Non-blocking, so that a pipe that nothing writes to cannot hold the program.
    Descriptor in(::open(Native(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status;
    if (in.Get() < 0 || ::fstat(in.Get(), &status) != 0)
        return Fail(CauseOf(errno, false));
    if (!S_ISREG(status.st_mode))
        return Fail(tr("It is not a regular file."));
    if (kind == Source::SQLiteDatabase) {
        static const char sqlite[] = "SQLite format 3"; // with its NUL: 16 bytes
        char header[sizeof sqlite];
        if (::pread(in.Get(), header, sizeof header, 0) != sizeof header ||
            memcmp(header, sqlite, sizeof header) != 0)
            return Fail(tr("It is not a Kestrova data file."));
    }

    QByteArray name = Native(pattern);
    Descriptor out(::mkostemp(name.data(), O_CLOEXEC));
    if (out.Get() < 0)
        return Fail(CauseOf(errno, true));
    fileName = QFile::decodeName(name);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Fail(CauseOf(errno, false));
        if (got == 0)
            break;
        int error = 0;
        if (!WriteAll(out.Get(), buffer, got, &error))
            return Fail(error ? CauseOf(error, true) : tr("The disk took only part of the copy."));
    }
    // Many USB sticks and network mounts refuse modes: the copy then stays its owner's alone.
    if (mode == Mode::OfSource && ::fchmod(out.Get(), status.st_mode & 07777) != 0)
        qDebug() << "Mode not set:" << qt_error_string(errno);
    // On disk before it can replace anything, so that a power cut cannot leave a hollow file.
    if (::fsync(out.Get()) != 0 || !out.Close())
        return Fail(CauseOf(errno, true));
    return true;
}

bool FileCopy::Replace(const QString& target)
{
    struct stat replaced;
    if (::stat(Native(target).constData(), &replaced) == 0)
        ::chmod(Native(fileName).constData(), replaced.st_mode & 07777);
    if (!RenameOver(fileName, target, &cause))
        return false;
    fileName.clear();
    return true;
}

bool FileCopy::Place(const QString& target)
{
    const QByteArray from = Native(fileName), to = Native(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
        // Some file systems have no such rename: there, look first.
        struct stat there;
        if (errno != EINVAL && errno != ENOSYS)
            return Fail(CauseOf(errno, true));
        if (::lstat(to.constData(), &there) == 0)
            return Fail(CauseOf(EEXIST, true));
        if (std::rename(from.constData(), to.constData()) != 0)
            return Fail(CauseOf(errno, true));
    }
    SyncFolder(target);
    fileName.clear();
    return true;
}

bool FileCopy::RenameOver(const QString& source, const QString& target, QString* cause)
{
    if (std::rename(Native(source).constData(), Native(target).constData()) != 0) {
        *cause = CauseOf(errno, true);
        return false;
    }
    SyncFolder(target);
    return true;
}

bool FileCopy::NothingAt(const QString& path)
{
    struct stat status;
    return ::lstat(Native(path).constData(), &status) != 0 && errno == ENOENT;
}

bool FileCopy::MakeEmpty(const QString& path, QString* cause)
{
    Descriptor file(::open(Native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (file.Get() < 0 || !file.Close()) {
        *cause = CauseOf(errno, true);
        return false;
    }
    return true;
}
