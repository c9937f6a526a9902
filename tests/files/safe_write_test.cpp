// The write rule of SafeWriteStream and SafeWriteFile on real files: where a
// rename would harm the old file the bytes go in place, and no failure loses
// the old bytes.

#include "safe_write.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_system_fixtures.h"

namespace {

struct stat StatOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st;
}

QStringList EntriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// Larger than the old bytes and than the write's buffer, so that the file
// must grow and is written in several pieces.
const QByteArray kNewBytes = QByteArray(200 * 1024, 'n');
const QByteArray kOldBytes = "old bytes\n";

class SafeWrite : public testing::Test {
protected:
    QString PathOf(const QString& name) const { return folder.filePath(name); }
    QTemporaryDir folder;
};

// A rename would leave the other names with the old bytes.
TEST_F(SafeWrite, AHardLinkedFileIsRewrittenAndKeepsItsLinks) {
    const QString path = PathOf("site.plt");
    const QString other = PathOf("other.plt");
    WriteBytes(path, kOldBytes);
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
    const ino_t inode = StatOf(path).st_ino;
    for (const QByteArray& bytes : {kNewBytes, QByteArray("short")}) {
        EXPECT_TRUE(SafeWriteFile(path, bytes).Ok());
        EXPECT_EQ(ReadBytes(path), bytes);
        EXPECT_EQ(ReadBytes(other), bytes);
        EXPECT_EQ(StatOf(path).st_ino, inode);
    }
    EXPECT_EQ(EntriesOf(folder.path()), QStringList({"other.plt", "site.plt"}));
}

// The folder takes no new name (read-only for others, immutable for root),
// but the file itself is writable: it is written in place.
TEST_F(SafeWrite, AWritableFileInAFolderThatTakesNoNewFilesIsRewritten) {
    const QString locked = PathOf("locked");
    ASSERT_TRUE(QDir().mkdir(locked));
    const QString path = locked + QStringLiteral("/site.plt");
    WriteBytes(path, kOldBytes);
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    QString error;
    const bool immutable = ::geteuid() == 0 && SetImmutable(locked, true, error);
    const bool refused = !QFile(locked + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
    if (refused) {
        EXPECT_TRUE(SafeWriteFile(path, kNewBytes).Ok());
        EXPECT_EQ(ReadBytes(path), kNewBytes);
        EXPECT_EQ(EntriesOf(locked), QStringList{QStringLiteral("site.plt")});
    }
    if (immutable)
        SetImmutable(locked, false, error);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!refused)
        GTEST_SKIP() << "no folder refusing new files could be made: " << error.toStdString();
}

// A shared, group-writable file keeps its owner and group whoever saves it:
// a writer who cannot give a new file that owner gets the bytes written in
// place. The writer runs as another user in a child process.
TEST_F(SafeWrite, AFileKeepsItsOwnerGroupAndModeWhoeverWritesIt) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to write as another user";
    constexpr uid_t kOwner = 4242;
    constexpr uid_t kWriter = 4243;
    constexpr gid_t kShared = 4343;
    constexpr gid_t kWritersOwn = 4344;
    const struct {
        const char* name;
        uid_t owner;
        mode_t mode;
    } cases[] = {
        {"another user's file", kOwner, 0664},
        {"the writer's own file in the shared group", kWriter, 02660},
    };
    ASSERT_TRUE(QFile::setPermissions(folder.path(), QFileDevice::Permissions(0x7777)));
    const QString path = PathOf("shared.plt");
    const QByteArray name = QFile::encodeName(path);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        WriteBytes(path, kOldBytes);
        ASSERT_EQ(::chown(name.constData(), c.owner, kShared), 0);
        ASSERT_EQ(::chmod(name.constData(), c.mode), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const bool becameWriter = ::setgroups(1, &kShared) == 0 && ::setgid(kWritersOwn) == 0 &&
                                      ::setuid(kWriter) == 0;
            ::_exit(!becameWriter ? 2 : SafeWriteFile(path, kNewBytes).Ok() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(ReadBytes(path), kNewBytes);
        const struct stat st = StatOf(path);
        EXPECT_EQ(st.st_uid, c.owner);
        EXPECT_EQ(st.st_gid, kShared);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
    }
}

// A writer that fails half way, or a disk that fills: the old bytes stay,
// whether the file was to be replaced by rename or rewritten in place.
TEST_F(SafeWrite, AFailureHalfWayLeavesTheOldBytes) {
    const auto halfThenGiveUp = [](QIODevice& out) {
        out.write(kNewBytes.left(kNewBytes.size() / 2));
        return false;
    };
    const auto halfThenThrow = [](QIODevice& out) -> bool {
        out.write(kNewBytes.left(kNewBytes.size() / 2));
        throw std::runtime_error("writer failed");
    };
    for (const bool linked : {false, true}) {
        SCOPED_TRACE(linked ? "rewritten in place" : "replaced by rename");
        const QString path = PathOf("site.plt");
        QDir(folder.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(folder.path()));
        WriteBytes(path, kOldBytes);
        if (linked) {
            ASSERT_EQ(::link(QFile::encodeName(path).constData(),
                             QFile::encodeName(PathOf("other.plt")).constData()),
                      0);
        }
        const WriteOutcome outcome = SafeWriteStream(path, halfThenGiveUp);
        EXPECT_EQ(outcome.Failed, WriteOutcome::Step::Produce);
        EXPECT_EQ(ReadBytes(path), kOldBytes);
        EXPECT_THROW(SafeWriteStream(path, halfThenThrow), std::runtime_error);
        EXPECT_EQ(ReadBytes(path), kOldBytes);
        EXPECT_EQ(EntriesOf(folder.path()).size(), linked ? 2 : 1);
    }

    TmpfsMount mount("size=64k");
    if (!mount.Mounted())
        GTEST_SKIP() << "needs root: " << mount.Error().toStdString();
    const QString path = mount.Path() + QStringLiteral("/site.plt");
    WriteBytes(path, kOldBytes);
    ASSERT_EQ(::link(QFile::encodeName(path).constData(),
                     QFile::encodeName(mount.Path() + QStringLiteral("/other.plt")).constData()),
              0);
    ASSERT_TRUE(FillFileSystem(mount.Path() + QStringLiteral("/filler")));
    const WriteOutcome full = SafeWriteFile(path, kNewBytes);
    EXPECT_EQ(full.Failed, WriteOutcome::Step::Write);
    EXPECT_EQ(SaveErrorMessage(full.Errno), QStringLiteral("Disk full"));
    EXPECT_EQ(ReadBytes(path), kOldBytes);
    EXPECT_EQ(StatOf(path).st_nlink, 2u);
}

} // namespace
