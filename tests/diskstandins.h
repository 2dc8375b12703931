#ifndef DISKSTANDINS_H
#define DISKSTANDINS_H

// The system's calls that the copies and SQLite make, stood in for, so that a
// test sees what no file shows until a power cut, and meets the refusals of
// other disks. For one test program each: the stand-ins replace the system's.

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

struct Disk
{
    bool watched = false;        // steps lists the renames and syncs in order
    QString failingRename;       // a rename from a path that starts so fails, as on a read-only disk
    QString failingSync;         // a sync of a file whose name ends so fails, as on a failing disk
    bool refusesModes = false;   // as FAT sticks and many network mounts
    bool lacksNoReplace = false; // no rename that refuses to replace, as some FUSE mounts
    QString full;                // a write to a file whose path holds this fails, as on a full disk,
    qint64 room = 0;             // once such writes have taken this many bytes
    QStringList steps;
} disk;

inline QString PathOf(int fd)
{
    return QFileInfo(QString("/proc/self/fd/%1").arg(fd)).symLinkTarget();
}

inline int Renamed(const char* from, const char* to, unsigned int flags)
{
    if (!disk.failingRename.isEmpty() && QFile::decodeName(from).startsWith(disk.failingRename)) {
        errno = EROFS;
        return -1;
    }
    if (flags && disk.lacksNoReplace) {
        errno = EINVAL;
        return -1;
    }
    if (disk.watched)
        disk.steps << "renamed " + QFile::decodeName(from) + " to " + QFile::decodeName(to);
    return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, flags));
}

extern "C" int rename(const char* from, const char* to) noexcept
{
    return Renamed(from, to, 0);
}

extern "C" int renameat2(int, const char* from, int, const char* to, unsigned int flags) noexcept
{
    return Renamed(from, to, flags);
}

inline int Synced(long call, int fd)
{
    if (!disk.failingSync.isEmpty() && PathOf(fd).endsWith(disk.failingSync)) {
        errno = EIO;
        return -1;
    }
    if (disk.watched)
        disk.steps << "synced " + PathOf(fd);
    return static_cast<int>(syscall(call, fd));
}

extern "C" int fsync(int fd)
{
    return Synced(SYS_fsync, fd);
}

extern "C" int fdatasync(int fd)
{
    return Synced(SYS_fdatasync, fd);
}

// Whether the write of `size` bytes finds the disk full; else `size` is what it still takes.
inline bool Full(int fd, size_t* size)
{
    if (disk.full.isEmpty() || !PathOf(fd).contains(disk.full))
        return false;
    *size = std::min<size_t>(*size, disk.room);
    disk.room -= *size;
    errno = ENOSPC;
    return *size == 0;
}

extern "C" ssize_t write(int fd, const void* data, size_t size)
{
    return Full(fd, &size) ? -1 : syscall(SYS_write, fd, data, size);
}

extern "C" ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset)
{
    return Full(fd, &size) ? -1 : syscall(SYS_pwrite64, fd, data, size, offset);
}

extern "C" int fchmod(int fd, mode_t mode) noexcept
{
    if (disk.refusesModes) {
        errno = EPERM;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fchmod, fd, mode));
}

extern "C" int chmod(const char* path, mode_t mode) noexcept
{
    if (disk.refusesModes) {
        errno = EPERM;
        return -1;
    }
    return fchmodat(AT_FDCWD, path, mode, 0);
}

// What becomes of the files in a folder: "made NAME", "moved in NAME" and "deleted NAME".
class FolderWatch
{
public:
    explicit FolderWatch(const QString& folder) : fd(inotify_init1(IN_NONBLOCK))
    {
        inotify_add_watch(fd, QFile::encodeName(folder).constData(), IN_CREATE | IN_MOVED_TO | IN_DELETE);
    }
    ~FolderWatch() { close(fd); }

    // The events so far of the files named.
    QStringList Events(const QStringList& names) const
    {
        QStringList events;
        alignas(inotify_event) char buffer[1 << 14];
        for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                const char* what = event->mask & IN_CREATE     ? "made "
                                   : event->mask & IN_MOVED_TO ? "moved in "
                                                               : "deleted ";
                if (names.contains(event->name))
                    events << what + QString(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        }
        return events;
    }

private:
    int fd;
};

#endif // DISKSTANDINS_H
