#include "file_system_fixtures.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

TmpfsMount::TmpfsMount(const char* options) {
    const QByteArray where = QFile::encodeName(folder_.path());
    if (::mount("tmpfs", where.constData(), "tmpfs", 0, options) == 0)
        mounted_ = true;
    else
        error_ = QStringLiteral("cannot mount a tmpfs: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

TmpfsMount::~TmpfsMount() {
    if (mounted_)
        ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
}

bool TmpfsMount::MakeReadOnly() {
    const QByteArray where = QFile::encodeName(folder_.path());
    if (::mount("tmpfs", where.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0)
        return true;
    error_ = QStringLiteral("cannot remount read-only: %1")
                 .arg(QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool SetImmutable(const QString& path, bool on, QString& error) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!ok)
        error = QStringLiteral("cannot set the immutable attribute: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    return ok;
}

bool FillFileSystem(const QString& fillerPath) {
    const int fd = ::open(QFile::encodeName(fillerPath).constData(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0)
        return false;
    // Page by page, then byte by byte: a small write must find no room at all.
    static const char page[4096] = {};
    qint64 total = 0;
    bool full = false;
    for (std::size_t chunk : {sizeof page, std::size_t{1}}) {
        for (;;) {
            const ssize_t n = ::write(fd, page, chunk);
            if (n < 0) {
                full = errno == ENOSPC;
                break;
            }
            total += n;
            if (total > (qint64{1} << 30))
                break;
        }
    }
    ::close(fd);
    return full;
}
