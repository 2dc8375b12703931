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
    int Release() { return std::exchange(fd, -1); }
    bool Close() { return ::close(Release()) == 0; }

private:
    int fd;
};

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
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

// Opens `path` for reading when it is a regular file; -1, with the cause, when
// it is not. Non-blocking, so that a pipe that nothing writes to cannot hold the program.
int OpenRegular(const QString& path, struct stat* status, QString* cause)
{
    Descriptor in(::open(Native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.Get() < 0 || ::fstat(in.Get(), status) != 0) {
        *cause = FileCopy::CauseOf(errno, false);
        return -1;
    }
    if (!S_ISREG(status->st_mode)) {
        *cause = FileCopy::tr("It is not a regular file.");
        return -1;
    }
    return in.Release();
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

int FileCopy::Create(const QString& pattern)
{
    QByteArray name = Native(pattern);
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        cause = CauseOf(errno, true);
        return -1;
    }
    fileName = QFile::decodeName(name);
    return fd;
}

bool FileCopy::Finish(int fd)
{
    // On disk before it can replace anything, so that a power cut cannot leave a hollow file.
    Descriptor out(fd);
    if (::fsync(out.Get()) != 0 || !out.Close())
        return Fail(CauseOf(errno, true));
    return true;
}

bool FileCopy::Make(const QString& source, const QString& pattern, Source kind, Mode mode)
{
    struct stat status;
    Descriptor in(OpenRegular(source, &status, &cause));
    if (in.Get() < 0)
        return false;
    if (kind == Source::SQLiteDatabase) {
        static const char sqlite[] = "SQLite format 3"; // with its NUL: 16 bytes
        char header[sizeof sqlite];
        if (::pread(in.Get(), header, sizeof header, 0) != sizeof header ||
            memcmp(header, sqlite, sizeof header) != 0)
            return Fail(tr("It is not a Kestrova data file."));
    }

    Descriptor out(Create(pattern));
    if (out.Get() < 0)
        return false;
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
    return Finish(out.Release());
}

bool FileCopy::Fill(const QString& pattern, const std::function<bool(const QString&, QString*)>& write)
{
    Descriptor out(Create(pattern));
    if (out.Get() < 0)
        return false;
    return write(fileName, &cause) && Finish(out.Release());
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
    if (!RenameNoReplace(fileName, target, &cause))
        return false;
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

bool FileCopy::RenameNoReplace(const QString& source, const QString& target, QString* cause)
{
    const QByteArray from = Native(source), to = Native(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
        const auto fail = [cause](int error) {
            *cause = CauseOf(error, true);
            return false;
        };
        // Some file systems have no such rename: there, look first.
        struct stat there;
        if (errno != EINVAL && errno != ENOSYS)
            return fail(errno);
        if (::lstat(to.constData(), &there) == 0)
            return fail(EEXIST);
        if (std::rename(from.constData(), to.constData()) != 0)
            return fail(errno);
    }
    SyncFolder(target);
    return true;
}

bool FileCopy::NothingAt(const QString& path)
{
    struct stat status;
    return ::lstat(Native(path).constData(), &status) != 0 && errno == ENOENT;
}

bool FileCopy::HoldsNothing(const QString& path)
{
    const QFileInfo file(path);
    return NothingAt(path) || (file.isFile() && file.size() == 0);
}

bool FileCopy::IsSpecial(const QString& path)
{
    struct stat status;
    if (::stat(Native(path).constData(), &status) == 0)
        return !S_ISREG(status.st_mode);
    return errno == ELOOP;
}

bool FileCopy::CanRead(const QString& path, QString* cause)
{
    struct stat status;
    return Descriptor(OpenRegular(path, &status, cause)).Get() >= 0;
}

QString FileCopy::CauseOf(int error, bool writing)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return tr("There is no room left on the disk.");
    case EACCES:
    case EPERM:
    case EROFS:
        return writing ? tr("The folder or the file cannot be written.")
                       : tr("The file cannot be read.");
    case ENOENT:
    case ENOTDIR:
        return writing ? tr("The folder is not there.") : tr("The file is not there.");
    case EEXIST:
        return tr("A file of that name is already there.");
    case EISDIR:
        return tr("A folder of that name is in the way.");
    case EIO:
        return tr("The disk could not be read or written.");
    case ENAMETOOLONG:
        return tr("The file name is too long.");
    default:
        return qt_error_string(error);
    }
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
