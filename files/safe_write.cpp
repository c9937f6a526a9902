#include "safe_write.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/magic.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <vector>

#include "file_name.h"

namespace {

constexpr int kMaxLinks = 40; // the kernel's own limit on links in one lookup
// How long a pipe may take no byte at all before the write gives up.
constexpr int kStallMilliseconds = 5000;
// Old bytes up to this size are kept aside in memory during a rewrite in place.
constexpr qint64 kMemoryCopyBytes = qint64{64} << 20;
constexpr qsizetype kPiece = qsizetype{1} << 16;

WriteOutcome Failed(WriteOutcome::Step step, int error) {
    return {step, error != 0 ? error : EIO};
}

// Closes a descriptor once, whatever path the function takes out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now and reports the error close found (a late write error on
    // some file systems); EINTR still closes the descriptor on Linux.
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int fd_;
};

struct Resolution {
    QByteArray Path; // absolute, free of links but /proc's; may not exist yet
    int Errno = 0;
};

// The kernel's protected-symlinks rule, applied whatever the machine's own
// setting: in a world-writable sticky folder a link is followed only when its
// owner is the user or the folder's owner, so another user cannot aim a save
// at a file of their choosing.
bool MayFollow(const QByteArray& folder, const struct stat& link) {
    struct stat dir {};
    if (::stat(folder.isEmpty() ? "/" : folder.constData(), &dir) != 0)
        return false;
    const bool shared = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == dir.st_uid;
}

// A link of /proc (/proc/self/fd/1, where /dev/stdout leads) names an open
// file, not a path: a pipe's reads "pipe:[N]". Only the kernel can follow it.
bool OpensAsNode(const QByteArray& folder, const QByteArray& link) {
    struct statfs system {};
    struct stat node {};
    return ::statfs(folder.isEmpty() ? "/" : folder.constData(), &system) == 0 &&
           system.f_type == PROC_SUPER_MAGIC && ::stat(link.constData(), &node) == 0 &&
           !S_ISREG(node.st_mode) && !S_ISDIR(node.st_mode);
}

void PushComponents(const QByteArray& path, std::vector<QByteArray>& pending) {
    const QList<QByteArray> parts = path.split('/');
    for (auto it = parts.crbegin(); it != parts.crend(); ++it) {
        if (!it->isEmpty() && *it != ".")
            pending.push_back(*it);
    }
}

// Walks the path one component at a time, following every link as the
// kernel would, so that the checks above see each link on the way.
Resolution ResolveForWrite(const QByteArray& path) {
    if (path.isEmpty())
        return {{}, ENOENT};
    std::vector<QByteArray> pending;
    PushComponents(path, pending);
    if (!path.startsWith('/')) {
        char cwd[PATH_MAX];
        if (::getcwd(cwd, sizeof cwd) == nullptr)
            return {{}, errno};
        PushComponents(QByteArray(cwd), pending);
    }
    QByteArray resolved; // empty stands for the root
    int links = 0;
    while (!pending.empty()) {
        const QByteArray component = pending.back();
        pending.pop_back();
        if (component == "..") {
            resolved.truncate(std::max<qsizetype>(resolved.lastIndexOf('/'), 0));
            continue;
        }
        const bool last = pending.empty();
        const QByteArray candidate = resolved + '/' + component;
        struct stat st {};
        if (::lstat(candidate.constData(), &st) != 0) {
            const int err = errno;
            if (err == ENOENT && last)
                return {candidate, 0};
            // A folder on the way that does not exist.
            return {{}, err == ENOENT ? ENOTDIR : err};
        }
        if (S_ISLNK(st.st_mode)) {
            if (++links > kMaxLinks)
                return {{}, ELOOP};
            if (!MayFollow(resolved, st))
                return {{}, EACCES};
            if (last && OpensAsNode(resolved, candidate))
                return {candidate, 0};
            char target[PATH_MAX];
            const ssize_t length = ::readlink(candidate.constData(), target, sizeof target);
            if (length < 0)
                return {{}, errno};
            if (length == static_cast<ssize_t>(sizeof target))
                return {{}, ENAMETOOLONG};
            const QByteArray destination(target, length);
            PushComponents(destination, pending);
            if (destination.startsWith('/'))
                resolved.clear();
            continue;
        }
        if (!last && !S_ISDIR(st.st_mode))
            return {{}, ENOTDIR};
        resolved = candidate;
    }
    return {resolved.isEmpty() ? QByteArray("/") : resolved, 0};
}

// Writes every byte, resuming after signals and short writes; a descriptor
// without blocking waits for room, but not for ever.
int WriteAll(int fd, const char* data, qsizetype left) {
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n > 0) {
            data += n;
            left -= n;
            continue;
        }
        if (n == 0)
            return EIO;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return errno;
        pollfd waiting{fd, POLLOUT, 0};
        const int ready = ::poll(&waiting, 1, kStallMilliseconds);
        if (ready == 0)
            return ETIMEDOUT;
        if (ready < 0 && errno != EINTR)
            return errno;
    }
    return 0;
}

// Reads up to size bytes at offset, resuming after signals; the count read
// (short only at the end of the file), or -1 with errno set.
qsizetype ReadAt(int fd, char* data, qsizetype size, qint64 offset) {
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, static_cast<size_t>(size - done), offset + done);
        if (n == 0)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        done += n;
    }
    return done;
}

// What the writer writes into: the bytes go to the descriptor in pieces,
// and the first error fails that write and every later one. A digest of
// what went out, when asked for, lets a rewrite in place check what it
// reads back.
class DescriptorDevice : public QIODevice {
public:
    explicit DescriptorDevice(int fd, bool digest = false) : fd_(fd), digest_(digest) {
        buffer_.reserve(kPiece);
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    // Sends what is still buffered; the first error, or 0.
    int Drain() {
        if (error_ == 0 && !buffer_.isEmpty())
            Send(buffer_.constData(), buffer_.size());
        buffer_.clear();
        return error_;
    }
    qint64 Sent() const { return sent_; }
    QByteArray Digest() const { return hash_.result(); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (error_ != 0)
            return -1;
        if (buffer_.size() + size > kPiece && Drain() != 0)
            return -1;
        if (size >= kPiece) {
            Send(data, static_cast<qsizetype>(size));
        } else {
            buffer_.append(data, static_cast<qsizetype>(size));
        }
        return error_ != 0 ? -1 : size;
    }

private:
    void Send(const char* data, qsizetype size) {
        error_ = WriteAll(fd_, data, size);
        if (error_ != 0)
            return;
        if (digest_)
            hash_.addData(QByteArrayView(data, size));
        sent_ += size;
    }

    int fd_;
    int error_ = 0;
    qint64 sent_ = 0;
    QByteArray buffer_;
    bool digest_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
};

// Runs the writer and sends the rest of its bytes: the outcome so far.
WriteOutcome RunWriter(DescriptorDevice& out, const std::function<bool(QIODevice&)>& write) {
    const bool produced = write(out);
    if (const int err = out.Drain())
        return Failed(WriteOutcome::Step::Write, err);
    if (!produced)
        return {WriteOutcome::Step::Produce, 0};
    return {};
}

// A device or pipe cannot be replaced by a renamed file (that would destroy
// the node), so it is written in place.
WriteOutcome WriteNode(const QByteArray& path, const std::function<bool(QIODevice&)>& write) {
    Descriptor fd(::open(path.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0)
        return Failed(WriteOutcome::Step::Create, errno);
    DescriptorDevice out(fd.Get());
    const WriteOutcome produced = RunWriter(out, write);
    if (!produced.Ok())
        return produced;
    if (const int err = fd.Close())
        return Failed(WriteOutcome::Step::Write, err);
    return {};
}

// Copies size bytes from one descriptor to another, both from offset 0.
int CopyBytes(int from, int to, qint64 size) {
    QByteArray piece(kPiece * 16, Qt::Uninitialized);
    for (qint64 offset = 0; offset < size;) {
        const qsizetype wanted =
            static_cast<qsizetype>(std::min<qint64>(piece.size(), size - offset));
        const qsizetype got = ReadAt(from, piece.data(), wanted, offset);
        if (got < 0)
            return errno;
        if (got == 0)
            return EIO; // the file shrank under us
        qsizetype done = 0;
        while (done < got) {
            const ssize_t n = ::pwrite(to, piece.constData() + done,
                                       static_cast<size_t>(got - done), offset + done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? errno : EIO;
            done += n;
        }
        offset += got;
    }
    return 0;
}

// An unnamed file for the old bytes of a rewrite in place: gone with the
// descriptor, so no copy is left behind whatever happens.
int CopyAsideFile(qint64 size) {
    if (size <= kMemoryCopyBytes)
        return ::memfd_create("quorvex-old-bytes", MFD_CLOEXEC);
    return ::open(QFile::encodeName(QDir::tempPath()).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC,
                  0600);
}

// Whether the file now holds exactly the bytes that went out.
int ReadBackMatches(int fd, qint64 size, const QByteArray& digest) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray piece(kPiece * 16, Qt::Uninitialized);
    qint64 offset = 0;
    for (;;) {
        const qsizetype got = ReadAt(fd, piece.data(), piece.size(), offset);
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        hash.addData(QByteArrayView(piece.constData(), got));
        offset += got;
    }
    return offset == size && hash.result() == digest ? 0 : EIO;
}

// The write over the old bytes, with those bytes kept aside to put back.
WriteOutcome RewriteInPlace(const QByteArray& target,
                            const std::function<bool(QIODevice&)>& write) {
    Descriptor fd(::open(target.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    struct stat old {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &old) != 0)
        return Failed(WriteOutcome::Step::Create, errno);
    if (!S_ISREG(old.st_mode)) // replaced since it was looked at
        return Failed(WriteOutcome::Step::Create, EAGAIN);
    Descriptor copy(CopyAsideFile(old.st_size));
    if (copy.Get() < 0)
        return Failed(WriteOutcome::Step::Create, errno);
    if (const int err = CopyBytes(fd.Get(), copy.Get(), old.st_size))
        return Failed(WriteOutcome::Step::Create, err);
    // The old length stays allocated until the end, so putting the old bytes
    // back needs no new room on the disk.
    const auto restore = [&] {
        if (CopyBytes(copy.Get(), fd.Get(), old.st_size) == 0 &&
            ::ftruncate(fd.Get(), old.st_size) == 0)
            ::fsync(fd.Get());
    };
    DescriptorDevice out(fd.Get(), true);
    WriteOutcome outcome;
    try {
        outcome = RunWriter(out, write);
    } catch (...) {
        restore();
        throw;
    }
    if (outcome.Ok()) {
        int err = ::ftruncate(fd.Get(), out.Sent()) == 0 ? 0 : errno;
        if (err == 0 && ::fsync(fd.Get()) != 0 && errno != EINVAL)
            err = errno;
        if (err == 0)
            err = ReadBackMatches(fd.Get(), out.Sent(), out.Digest());
        if (err != 0)
            outcome = Failed(WriteOutcome::Step::Write, err);
    }
    if (!outcome.Ok())
        restore();
    return outcome;
}

QByteArray FolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// A new file beside the target, removed again unless it was renamed over
// it; the kernel applies the umask and any default ACL of the folder, as
// for a file created in place.
class TemporaryFile {
public:
    explicit TemporaryFile(const QByteArray& folder) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            name_ = folder + "/.quorvex-" + QByteArray::number(::getpid()) + '-' +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36);
            fd_ = ::open(name_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0 || errno != EEXIST)
                break;
        }
        error_ = fd_ < 0 ? errno : 0;
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (error_ == 0 && !renamed_)
            ::unlink(name_.constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Get() const { return fd_; }
    int Error() const { return error_; } // of its creation
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    }
    int RenameOver(const QByteArray& target) {
        if (::rename(name_.constData(), target.constData()) != 0)
            return errno;
        renamed_ = true;
        return 0;
    }

private:
    QByteArray name_;
    int fd_ = -1;
    int error_ = 0;
    bool renamed_ = false;
};

// Gives the new file the old one's owner, group and permission bits, as far
// as the system lets this user; false when the result differs from the old
// file in any of them.
bool TakeOver(int fd, const struct stat& old) {
    // A user who may not give the file away may still give it a group of
    // their own; a change of owner may clear the permission bits, so they
    // come last.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int group = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    struct stat now {};
    return ::fchmod(fd, old.st_mode & 07777) == 0 && ::fstat(fd, &now) == 0 &&
           now.st_uid == old.st_uid && now.st_gid == old.st_gid &&
           (now.st_mode & 07777) == (old.st_mode & 07777);
}

// The bytes through a temporary file renamed over the target; old is the
// target's state when it exists. Where the rename would harm the old file,
// the bytes go in place instead.
WriteOutcome ReplaceByRename(const QByteArray& target, const struct stat* old,
                             const std::function<bool(QIODevice&)>& write) {
    const QByteArray folder = FolderOf(target);
    TemporaryFile temporary(folder);
    if (temporary.Get() < 0) {
        const int err = temporary.Error();
        // A folder that takes no new files may still hold a writable file.
        if (old != nullptr && (err == EACCES || err == EPERM))
            return RewriteInPlace(target, write);
        return Failed(WriteOutcome::Step::Create, err);
    }
    if (old != nullptr && !TakeOver(temporary.Get(), *old))
        return RewriteInPlace(target, write);
    DescriptorDevice out(temporary.Get());
    const WriteOutcome produced = RunWriter(out, write);
    if (!produced.Ok())
        return produced;
    // Some file systems report a full disk or a lost connection only here.
    if (::fsync(temporary.Get()) != 0 && errno != EINVAL)
        return Failed(WriteOutcome::Step::Write, errno);
    if (const int err = temporary.Close())
        return Failed(WriteOutcome::Step::Write, err);
    if (const int err = temporary.RenameOver(target))
        return Failed(WriteOutcome::Step::Write, err);
    // The rename itself should survive a crash too; a folder that cannot be
    // synced changes nothing about the file.
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

} // namespace

WriteOutcome SafeWriteStream(const QString& path,
                             const std::function<bool(QIODevice& out)>& write) {
    const Resolution target = ResolveForWrite(EncodeFileName(path));
    if (target.Errno != 0)
        return Failed(WriteOutcome::Step::Create, target.Errno);
    struct stat st {};
    if (::stat(target.Path.constData(), &st) != 0)
        return ReplaceByRename(target.Path, nullptr, write);
    if (S_ISDIR(st.st_mode))
        return Failed(WriteOutcome::Step::Create, EISDIR);
    if (!S_ISREG(st.st_mode))
        return WriteNode(target.Path, write);
    if (::faccessat(AT_FDCWD, target.Path.constData(), W_OK, AT_EACCESS) != 0)
        return Failed(WriteOutcome::Step::Create, errno);
    if (st.st_nlink > 1)
        return RewriteInPlace(target.Path, write);
    return ReplaceByRename(target.Path, &st, write);
}

WriteOutcome SafeWriteFile(const QString& path, const QByteArray& bytes) {
    return SafeWriteStream(path,
                           [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); });
}

QString SaveErrorMessage(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
        return QStringLiteral("File not found");
    case ENOTDIR:
    case ENAMETOOLONG:
        return QStringLiteral("Invalid filename");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Too many open files");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("File access denied");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Disk full");
    case EPIPE:
        return QStringLiteral("Pipe closed by its reader");
    default:
        return QStringLiteral("I/O error %1").arg(errnoValue);
    }
}

bool IsSameFile(int fd, const QString& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && S_ISREG(open.st_mode) &&
           ::stat(EncodeFileName(path).constData(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}
