#include "core/filecopy.h"

#include "core/filestate.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
int OpenRegular(const QString& path, QString* cause)
{
    Descriptor in(::open(Native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status;
    if (in.Get() < 0 || ::fstat(in.Get(), &status) != 0) {
        *cause = FileState::CauseOf(errno, false);
        return -1;
    }
    if (!S_ISREG(status.st_mode)) {
        *cause = FileState::CauseFor(FileState::NotRegular);
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

// What marks a file as the program's own, unfinished: no user names a file so.
const QString MARKER = "~kestrova-tmp-";

// Removes the file at `path`, and SQLite's files beside it, unless a run holds
// its lock. A file that cannot be locked, as on some network mounts, stays.
void RemoveUnheld(const QString& path)
{
    Descriptor file(::open(Native(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat status;
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        ::flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
        return;
    QFile::remove(path);
    for (const char* journal : FileState::JOURNALS)
        QFile::remove(path + journal);
}

} // namespace

FileCopy::~FileCopy()
{
    if (!fileName.isEmpty()) {
        QFile::remove(fileName);
        for (const char* journal : FileState::JOURNALS)
            QFile::remove(fileName + journal);
    }
    Release();
}

void FileCopy::Release()
{
    if (lock >= 0)
        ::close(std::exchange(lock, -1));
}

bool FileCopy::Fail(const QString& why, bool inSource)
{
    cause = why;
    sourceAtFault = inSource;
    return false;
}

int FileCopy::Create(const QString& beside)
{
    QByteArray name = Native(FileState::Resolve(beside) + MARKER + "XXXXXX");
    Descriptor fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.Get() < 0) {
        Fail(FileState::CauseOf(errno, true));
        return -1;
    }
    fileName = QFile::decodeName(name);
    // Held on a descriptor of its own, which lives past every close of the file's others.
    lock = ::fcntl(fd.Get(), F_DUPFD_CLOEXEC, 0);
    if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0)
        qDebug() << "New file not locked:" << qt_error_string(errno);
    return fd.Release();
}

bool FileCopy::CopyBytes(int in, int out)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Fail(FileState::CauseOf(errno, false), true);
        if (got == 0)
            return true;
        int error = 0;
        if (!WriteAll(out, buffer, got, &error))
            return Fail(error ? FileState::CauseOf(error, true) : tr("The disk took only part of the copy."));
    }
}

bool FileCopy::Make(const QString& source, const QString& beside, Source kind, Mode mode, const Step& takeIn)
{
    QString why;
    Descriptor in(OpenRegular(source, &why));
    struct stat status;
    if (in.Get() < 0 || ::fstat(in.Get(), &status) != 0)
        return Fail(why, true);
    QByteArray header(20, '\0');
    header.resize(std::max<ssize_t>(0, ::pread(in.Get(), header.data(), header.size(), 0)));
    const bool database = FileState::IsDatabaseHeader(header);
    if (kind == Source::Database && !database)
        return Fail(FileState::CauseFor(FileState::NotADataFile), true);

    Descriptor out(Create(beside));
    if (out.Get() < 0 || !CopyBytes(in.Get(), out.Get()))
        return false;
    if (!out.Close())
        return Fail(FileState::CauseOf(errno, true));
    bool journaled = database && header.at(18) == 2;
    if (database && !CopyJournals(source, &journaled))
        return false;
    if (journaled && !takeIn(fileName, &why))
        return Fail(why, why == FileState::CauseFor(FileState::Damaged));
    // Only now, as SQLite writes the copy while it takes its journals in. Many USB
    // sticks and network mounts refuse modes: the copy then stays its owner's alone.
    if (mode == Mode::OfSource && ::chmod(Native(fileName).constData(), status.st_mode & 07777) != 0)
        qDebug() << "Mode not set:" << qt_error_string(errno);
    return true;
}

bool FileCopy::CopyJournals(const QString& source, bool* copied)
{
    // Beside the file that a link leads to, where SQLite keeps them.
    const FileState there = FileState::Look(source);
    if (there.culprit != there.path && !there.culprit.isEmpty())
        return Fail(there.Reason(), true);
    for (const QString& from : there.journals) {
        QString why;
        Descriptor in(OpenRegular(from, &why));
        if (in.Get() < 0)
            return Fail(from + "\n" + why, true);
        const QString to = fileName + from.mid(there.path.size());
        Descriptor out(::open(Native(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (out.Get() < 0)
            return Fail(FileState::CauseOf(errno, true));
        if (!CopyBytes(in.Get(), out.Get()))
            return false;
        if (!out.Close())
            return Fail(FileState::CauseOf(errno, true));
        *copied = true;
    }
    return true;
}

bool FileCopy::Fill(const QString& beside, const Step& write)
{
    Descriptor out(Create(beside));
    if (out.Get() < 0)
        return false;
    if (!out.Close())
        return Fail(FileState::CauseOf(errno, true));
    return write(fileName, &cause);
}

bool FileCopy::Sync()
{
    // On disk before it can replace anything, so that a power cut cannot leave a hollow file.
    Descriptor file(::open(Native(fileName).constData(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0 || ::fsync(file.Get()) != 0 || !file.Close())
        return Fail(FileState::CauseOf(errno, true));
    return true;
}

bool FileCopy::Renamed(bool renamed)
{
    if (renamed) {
        fileName.clear();
        Release();
    }
    return renamed;
}

bool FileCopy::Replace(const QString& target)
{
    if (!Sync())
        return false;
    struct stat replaced;
    if (::stat(Native(target).constData(), &replaced) == 0)
        ::chmod(Native(fileName).constData(), replaced.st_mode & 07777);
    return Renamed(RenameOver(fileName, target, &cause));
}

bool FileCopy::Place(const QString& target)
{
    return Sync() && Renamed(RenameNoReplace(fileName, target, &cause));
}

bool FileCopy::CanSettle(const FileState& there, QString* cause)
{
    if (!there.IsFree()) {
        *cause = FileState::CauseOf(there.kind == FileState::Nothing ? ENOENT : EEXIST, false);
        return false;
    }
    // An empty file that its owner keeps read-only stays so.
    if (there.kind == FileState::Empty &&
        ::faccessat(AT_FDCWD, Native(there.path).constData(), W_OK, AT_EACCESS) != 0) {
        *cause = FileState::CauseOf(errno, true);
        return false;
    }
    return true;
}

bool FileCopy::Settle(const FileState& there)
{
    if (!CanSettle(there, &cause))
        return false;
    return there.kind == FileState::Empty ? Replace(there.path) : Place(there.path);
}

bool FileCopy::RenameOver(const QString& source, const QString& target, QString* cause)
{
    if (std::rename(Native(source).constData(), Native(target).constData()) != 0) {
        *cause = FileState::CauseOf(errno, true);
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
            *cause = FileState::CauseOf(error, true);
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

void FileCopy::RemoveUnfinished(const QString& beside)
{
    const QFileInfo file(FileState::Resolve(beside));
    RemoveUnfinished(file.absolutePath(), QRegularExpression::escape(file.fileName()));
}

void FileCopy::RemoveUnfinished(const QString& folder, const QString& namePattern)
{
    const QRegularExpression unfinished("^((?:" + namePattern + ")" + MARKER +
                                        "[A-Za-z0-9]{6})(-journal|-wal|-shm)?$");
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = unfinished.match(name);
        if (!match.hasMatch())
            continue;
        // A journal goes with its file; one whose file is gone goes alone.
        const QString made = dir.filePath(match.captured(1));
        if (match.captured(2).isEmpty())
            RemoveUnheld(made);
        else if (!names.contains(match.captured(1)))
            QFile::remove(dir.filePath(name));
    }
}
