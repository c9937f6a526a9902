#include "data_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "qstring_printer.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "file_system_fixtures.h"
#include "safe_write.h"

namespace {

struct BreakCase {
    const char* input;
    const char* expected;
};

TEST(NormaliseLineBreaks, EveryKindOfBreakBecomesOneLineFeed) {
    const BreakCase cases[] = {
        {"a\r\nb", "a\nb"},
        {"a\rb", "a\nb"},
        {"a\nb", "a\nb"},
        {"a\n\rb", "a\n\nb"},
        {"a\r\r\nb", "a\n\nb"},
        {"a\r\n\r\n", "a\n\n"},
        {"\r", "\n"},
        {"", ""},
        {"no break", "no break"},
        {"x\r\ny\rz\n", "x\ny\nz\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormaliseLineBreaks(QString::fromLatin1(c.input)),
                  QString::fromLatin1(c.expected))
            << "input " << QByteArray(c.input).toHex().constData();
}

TEST(DecodeDataText, ValidUtf8IsUtf8AndAnythingElseIsLatin1) {
    struct Case {
        QByteArray bytes;
        QString text;
        TextEncoding encoding;
        bool mark;
    };
    const Case cases[] = {
        {"10 20\r\n", QStringLiteral("10 20\n"), TextEncoding::Utf8, false},
        {"caf\xC3\xA9", QStringLiteral("caf\u00E9"), TextEncoding::Utf8, false},
        {"caf\xE9", QStringLiteral("caf\u00E9"), TextEncoding::Latin1, false},
        // A sequence cut off at the end of the file is not UTF-8.
        {"ab\xC3", QStringLiteral("ab\u00C3"), TextEncoding::Latin1, false},
        // The byte-order mark is noted, not shown: line 1 stays readable.
        {"\xEF\xBB\xBF"
         "10 20",
         QStringLiteral("10 20"), TextEncoding::Utf8, true},
        // Only a leading one is a mark.
        {"x\xEF\xBB\xBF", QStringLiteral("x\uFEFF"), TextEncoding::Utf8, false},
        {"", QString(), TextEncoding::Utf8, false},
    };
    for (const auto& c : cases) {
        const DataFileText decoded = DecodeDataText(c.bytes);
        EXPECT_EQ(decoded.Text, c.text) << c.bytes.toHex().constData();
        EXPECT_EQ(decoded.Encoding, c.encoding) << c.bytes.toHex().constData();
        EXPECT_EQ(decoded.ByteOrderMark, c.mark) << c.bytes.toHex().constData();
    }
}

TEST(EncodeDataText, BreaksBecomeCrLfAndTheLastIsAddedOnlyWhenMissing) {
    struct Case {
        QString text;
        TextEncoding encoding;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QString(), TextEncoding::Utf8, "\r\n"},
        {QStringLiteral("a"), TextEncoding::Utf8, "a\r\n"},
        {QStringLiteral("a\n"), TextEncoding::Utf8, "a\r\n"},
        {QStringLiteral("a\nb"), TextEncoding::Utf8, "a\r\nb\r\n"},
        {QStringLiteral("a\n\n"), TextEncoding::Utf8, "a\r\n\r\n"},
        {QStringLiteral("\u00E9"), TextEncoding::Latin1, "\xE9\r\n"},
        {QStringLiteral("\u00E9"), TextEncoding::Utf8, "\xC3\xA9\r\n"},
        // A character Latin-1 cannot hold switches the file to UTF-8.
        {QStringLiteral("\u00E9\u20AC"), TextEncoding::Latin1, "\xC3\xA9\xE2\x82\xAC\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeDataText(c.text, c.encoding), c.bytes) << c.text.toStdString();
}

TEST(EncodeDataText, DecodedFilesEndingInCrLfComeBackByteForByte) {
    const QByteArray files[] = {
        "10 20\r\n30 40\r\n",
        "Site \xE9t\xE9 12.5 -3\r\n",         // Latin-1
        "Site \xC3\xA9t\xC3\xA9 12.5 -3\r\n", // UTF-8
        "\xEF\xBB\xBF"
        "1 2\r\n",
        "\r\n\r\n",
        "tab\there \xA0 nbsp\r\n",
    };
    for (const QByteArray& bytes : files) {
        const DataFileText decoded = DecodeDataText(bytes);
        EXPECT_EQ(EncodeDataText(decoded.Text, decoded.Encoding, decoded.ByteOrderMark), bytes)
            << bytes.toHex().constData();
    }
}

class DataFileOnDisk : public testing::Test {
protected:
    QString PathOf(const QString& name) const { return folder.filePath(name); }
    QTemporaryDir folder;
};

TEST_F(DataFileOnDisk, ReadGivesTheNormalisedTextAndItsEncoding) {
    WriteBytes(PathOf("lf.plt"), "1 2\n3 4\r5 6\r\n");
    QString error;
    const std::optional<DataFileText> loaded = ReadDataFile(PathOf("lf.plt"), error);
    ASSERT_TRUE(loaded.has_value()) << error.toStdString();
    EXPECT_EQ(loaded->Text, QStringLiteral("1 2\n3 4\n5 6\n"));
    EXPECT_EQ(loaded->Encoding, TextEncoding::Utf8);
}

TEST_F(DataFileOnDisk, ReadFailuresNameThePath) {
    WriteBytes(PathOf("zero.plt"), QByteArray("10 20\r\n\0 30 40\r\n", 15));
    QDir(folder.path()).mkdir(QStringLiteral("sub"));
    const struct {
        QString path;
        QString message;
    } cases[] = {
        {PathOf("missing.plt"), QStringLiteral("Cannot open file ") + PathOf("missing.plt")},
        {PathOf("sub"), QStringLiteral("Cannot open file ") + PathOf("sub")},
        {PathOf("zero.plt"), QStringLiteral("Cannot open file ") + PathOf("zero.plt") +
                                 QStringLiteral(": not a text file")},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(ReadDataFile(c.path, error).has_value()) << c.path.toStdString();
        EXPECT_EQ(error, c.message);
    }
}

TEST_F(DataFileOnDisk, TheSizeLimitIsInclusive) {
    WriteBytes(PathOf("ten.plt"), "123456789\n");
    QString error;
    EXPECT_TRUE(ReadDataFile(PathOf("ten.plt"), error, SpecialFiles::Refuse, 10).has_value());
    EXPECT_FALSE(ReadDataFile(PathOf("ten.plt"), error, SpecialFiles::Refuse, 9).has_value());
    EXPECT_EQ(error, QStringLiteral("Text exceeds memo capacity"));
}

TEST(ReadDataFile, AnEndlessDeviceStopsAtTheLimit) {
    QString error;
    EXPECT_FALSE(
        ReadDataFile(QStringLiteral("/dev/zero"), error, SpecialFiles::Read, 1 << 20).has_value());
    EXPECT_EQ(error, QStringLiteral("Text exceeds memo capacity"));
}

// A pipe with no writer would block an open or a read for good; the window
// refuses everything that is not a regular file, at once.
TEST_F(DataFileOnDisk, TheWindowRefusesPipesAndDevicesWithoutWaiting) {
    const QString fifo = PathOf("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/zero")}) {
        QString error;
        EXPECT_FALSE(ReadDataFile(path, error).has_value());
        EXPECT_EQ(error, QStringLiteral("Cannot open file ") + path +
                             QStringLiteral(": not a regular file"));
    }
}

TEST_F(DataFileOnDisk, WriteReplacesTheFileAndKeepsItsPermissions) {
    const QString path = PathOf("data.plt");
    WriteBytes(path, "old contents\r\n");
    ASSERT_TRUE(
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    EXPECT_EQ(WriteDataFile(path, QStringLiteral("1 2\n3 4"), TextEncoding::Utf8), QString());
    EXPECT_EQ(ReadBytes(path), QByteArray("1 2\r\n3 4\r\n"));
    EXPECT_EQ(QFile::permissions(path) & 0x0FFF,
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("data.plt")});
}

TEST_F(DataFileOnDisk, ALinkIsFollowedAndADeviceIsWrittenInPlace) {
    QDir(folder.path()).mkdir(QStringLiteral("real"));
    const QString target = PathOf("real/site.plt");
    WriteBytes(target, "old\r\n");
    ASSERT_TRUE(QFile::link(target, PathOf("link.plt")));
    EXPECT_EQ(WriteDataFile(PathOf("link.plt"), QStringLiteral("1 2"), TextEncoding::Utf8),
              QString());
    EXPECT_TRUE(QFileInfo(PathOf("link.plt")).isSymLink());
    EXPECT_EQ(ReadBytes(target), QByteArray("1 2\r\n"));

    // A null device of our own: the save must not replace the node with a file.
    const QByteArray device = QFile::encodeName(PathOf("null"));
    if (::mknod(device.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "needs root to make a device node";
    if (QFile probe(PathOf("null")); !probe.open(QIODevice::WriteOnly))
        GTEST_SKIP() << "device nodes cannot be opened on this file system (nodev)";
    EXPECT_EQ(WriteDataFile(PathOf("null"), QStringLiteral("1 2"), TextEncoding::Utf8), QString());
    struct stat node {};
    ASSERT_EQ(::stat(device.constData(), &node), 0);
    EXPECT_TRUE(S_ISCHR(node.st_mode));
}

// A pipe is written in place; one that nobody reads fails at once instead of
// freezing the window.
TEST_F(DataFileOnDisk, APipeIsWrittenInPlaceAndOneWithoutReaderFailsAtOnce) {
    const QByteArray fifo = QFile::encodeName(PathOf("pipe"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_EQ(WriteDataFile(PathOf("pipe"), QStringLiteral("1 2"), TextEncoding::Utf8),
              QStringLiteral("I/O error %1").arg(ENXIO));

    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(WriteDataFile(PathOf("pipe"), QStringLiteral("1 2"), TextEncoding::Utf8), QString());
    char received[16] = {};
    EXPECT_EQ(::read(reader, received, sizeof received), 5);
    ::close(reader);
    EXPECT_EQ(QByteArray(received), QByteArray("1 2\r\n"));
    struct stat node {};
    ASSERT_EQ(::stat(fifo.constData(), &node), 0);
    EXPECT_TRUE(S_ISFIFO(node.st_mode));
}

// In a shared sticky folder such as /tmp another user may plant a link that
// points at one of our files; it is followed only when the kernel's
// protected-symlinks rule would follow it, whatever the machine's setting.
TEST_F(DataFileOnDisk, ALinkInAStickyFolderIsFollowedOnlyForItsOwnerOrTheFolders) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give links other owners";
    constexpr uid_t kOther = 4242;
    const uid_t self = ::geteuid();
    const struct {
        const char* name;
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool followed;
    } cases[] = {
        {"another user's link in a sticky shared folder", 01777, self, kOther, false},
        {"our own link there", 01777, self, self, true},
        {"the folder owner's link", 01777, kOther, kOther, true},
        {"another user's link in a folder that is not sticky", 0777, self, kOther, true},
    };
    const QString target = PathOf("target.plt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(target, "mine\r\n");
        const QString shared = PathOf("shared");
        QDir(shared).removeRecursively();
        ASSERT_TRUE(QDir().mkdir(shared));
        const QByteArray sharedName = QFile::encodeName(shared);
        const QByteArray link = sharedName + "/site.plt";
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), link.constData()), 0);
        ASSERT_EQ(::lchown(link.constData(), c.linkOwner, c.linkOwner), 0);
        ASSERT_EQ(::chown(sharedName.constData(), c.folderOwner, c.folderOwner), 0);
        ASSERT_EQ(::chmod(sharedName.constData(), c.folderMode), 0);

        const QString message =
            WriteDataFile(QFile::decodeName(link), QStringLiteral("1 2"), TextEncoding::Utf8);
        EXPECT_EQ(message, c.followed ? QString() : QStringLiteral("File access denied"));
        EXPECT_EQ(ReadBytes(target), c.followed ? QByteArray("1 2\r\n") : QByteArray("mine\r\n"));
        EXPECT_TRUE(QFileInfo(QFile::decodeName(link)).isSymLink());
    }
}

TEST_F(DataFileOnDisk, AMissingFolderIsAnInvalidFilename) {
    WriteBytes(PathOf("plain"), "x");
    for (const QString& path : {PathOf("no/such/folder/data.plt"), PathOf("plain/data.plt")}) {
        EXPECT_EQ(WriteDataFile(path, QStringLiteral("1 2"), TextEncoding::Utf8),
                  QStringLiteral("Invalid filename"))
            << path.toStdString();
        EXPECT_FALSE(QFile::exists(path));
    }
}

TEST_F(DataFileOnDisk, AnImmutableFileIsDeniedAndKeepsItsBytes) {
    const QString path = PathOf("locked.plt");
    WriteBytes(path, "keep me\r\n");
    QString error;
    if (!SetImmutable(path, true, error))
        GTEST_SKIP() << "needs root on a file system with attributes: " << error.toStdString();
    const QString message = WriteDataFile(path, QStringLiteral("new"), TextEncoding::Utf8);
    SetImmutable(path, false, error);
    EXPECT_EQ(message, QStringLiteral("File access denied"));
    EXPECT_EQ(ReadBytes(path), QByteArray("keep me\r\n"));
}

TEST(WriteDataFile, AReadOnlyFileSystemIsDeniedAndKeepsTheFile) {
    TmpfsMount mount("size=64k");
    if (!mount.Mounted())
        GTEST_SKIP() << "needs root: " << mount.Error().toStdString();
    const QString path = mount.Path() + QStringLiteral("/data.plt");
    WriteBytes(path, "keep me\r\n");
    ASSERT_TRUE(mount.MakeReadOnly()) << mount.Error().toStdString();
    EXPECT_EQ(WriteDataFile(path, QStringLiteral("new"), TextEncoding::Utf8),
              QStringLiteral("File access denied"));
    EXPECT_EQ(WriteDataFile(mount.Path() + QStringLiteral("/other.plt"), QStringLiteral("new"),
                            TextEncoding::Utf8),
              QStringLiteral("File access denied"));
    EXPECT_EQ(ReadBytes(path), QByteArray("keep me\r\n"));
}

// Small texts matter most: they fit the write buffer, so the failure comes
// only when the buffer is flushed at the very end.
TEST(WriteDataFile, AFullDiskIsReportedAndTheOldFileSurvives) {
    TmpfsMount mount("size=64k");
    if (!mount.Mounted())
        GTEST_SKIP() << "needs root: " << mount.Error().toStdString();
    const QString path = mount.Path() + QStringLiteral("/data.plt");
    WriteBytes(path, "10 20\r\n");
    ASSERT_TRUE(FillFileSystem(mount.Path() + QStringLiteral("/filler")));
    for (const qsizetype size : {1, 1000, 15000, 200 * 1024}) {
        EXPECT_EQ(WriteDataFile(path, QString(size, u'7'), TextEncoding::Utf8),
                  QStringLiteral("Disk full"))
            << size;
        EXPECT_EQ(ReadBytes(path), QByteArray("10 20\r\n")) << size;
        EXPECT_EQ(QDir(mount.Path()).entryList(QDir::Files),
                  QStringList({QStringLiteral("data.plt"), QStringLiteral("filler")}))
            << size;
    }
}

TEST_F(DataFileOnDisk, RunningOutOfDescriptorsIsTooManyOpenFiles) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 0; // every new descriptor is refused
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const QString message =
        WriteDataFile(PathOf("data.plt"), QStringLiteral("1 2"), TextEncoding::Utf8);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(message, QStringLiteral("Too many open files"));
}

TEST(SaveErrorMessage, MapsTheSystemErrorNumbers) {
    const struct {
        int err;
        const char* message;
    } cases[] = {
        {ENOENT, "File not found"},      {ENOTDIR, "Invalid filename"},
        {EMFILE, "Too many open files"}, {ENFILE, "Too many open files"},
        {EACCES, "File access denied"},  {EPERM, "File access denied"},
        {EROFS, "File access denied"},   {ENOSPC, "Disk full"},
        {EDQUOT, "Disk full"},           {EIO, "I/O error 5"},
        {EISDIR, "I/O error 21"},        {EFBIG, "I/O error 27"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SaveErrorMessage(c.err), QString::fromLatin1(c.message)) << c.err;
}

} // namespace
