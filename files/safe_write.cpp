#include "safe_write.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr int kMaxLinks = 40; // the kernel's own limit on links in one lookup
// How long a pipe may take no byte at all before the write gives up.
constexpr int kStallMilliseconds = 5000;

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
    QByteArray Path; // absolute, free of links; may not exist yet
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
int WriteAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
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

// A device or pipe cannot be replaced by a renamed file (that would destroy
// the node), so it is written in place.
WriteOutcome WriteInPlace(const QByteArray& path, const QByteArray& bytes) {
    Descriptor fd(::open(path.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0)
        return Failed(WriteOutcome::Step::Create, errno);
    if (const int err = WriteAll(fd.Get(), bytes))
        return Failed(WriteOutcome::Step::Write, err);
    if (const int err = fd.Close())
        return Failed(WriteOutcome::Step::Write, err);
    return {};
}

QByteArray FolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// A new file beside the target; the kernel applies the umask and any default
// ACL of the folder, as for a file created in place.
int CreateTemporary(const QByteArray& folder, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/.quorvex-" + QByteArray::number(::getpid()) + '-' +
               QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

WriteOutcome ReplaceRegular(const QByteArray& target, const QByteArray& bytes,
                            const struct stat* old) {
    const QByteArray folder = FolderOf(target);
    QByteArray temporary;
    Descriptor fd(CreateTemporary(folder, temporary));
    if (fd.Get() < 0)
        return Failed(WriteOutcome::Step::Create, errno);
    const auto fail = [&temporary](int err) {
        ::unlink(temporary.constData());
        return Failed(WriteOutcome::Step::Write, err);
    };
    if (old != nullptr) {
        // Keep the owner where allowed (it fails harmlessly for other users)
        // and then the permission bits, which a change of owner may clear.
        [[maybe_unused]] const int owned = ::fchown(fd.Get(), old->st_uid, old->st_gid);
        if (::fchmod(fd.Get(), old->st_mode & 07777) != 0)
            return fail(errno);
    }
    if (const int err = WriteAll(fd.Get(), bytes))
        return fail(err);
    // Some file systems report a full disk or a lost connection only here.
    if (::fsync(fd.Get()) != 0 && errno != EINVAL)
        return fail(errno);
    if (const int err = fd.Close())
        return fail(err);
    if (::rename(temporary.constData(), target.constData()) != 0)
        return fail(errno);
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

WriteOutcome SafeWriteFile(const QString& path, const QByteArray& bytes) {
    const Resolution target = ResolveForWrite(QFile::encodeName(path));
    if (target.Errno != 0)
        return Failed(WriteOutcome::Step::Create, target.Errno);
    struct stat st {};
    if (::stat(target.Path.constData(), &st) != 0)
        return ReplaceRegular(target.Path, bytes, nullptr);
    if (S_ISDIR(st.st_mode))
        return Failed(WriteOutcome::Step::Create, EISDIR);
    if (!S_ISREG(st.st_mode))
        return WriteInPlace(target.Path, bytes);
    if (::faccessat(AT_FDCWD, target.Path.constData(), W_OK, AT_EACCESS) != 0)
        return Failed(WriteOutcome::Step::Create, errno);
    return ReplaceRegular(target.Path, bytes, &st);
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
    default:
        return QStringLiteral("I/O error %1").arg(errnoValue);
    }
}

bool IsSameFile(int fd, const QString& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && S_ISREG(open.st_mode) &&
           ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}
