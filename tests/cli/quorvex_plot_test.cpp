// quorvex-plot run as a separate process, the way scripts use it.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "bmp_file.h"
#include "file_system_fixtures.h"

namespace {

const QByteArray kFisherData = "0 45\n10 50\n350 40\n";
const QByteArray kGreatCircleData = "10 20\n60 35\n110 30\n160 10\n200 -15\n";
const QByteArray kFisherLines = "Mean Dec, Inc: 359.4, 45.3\nR=2.9774  k=88.4\na95=13.2\n";
const QByteArray kGreatCircleLines =
    "Pole Dec, Inc: 260.1, 54.3\nEigenvalue: 0.0162\nAvailable: 0.0\n";
// The six directions along the axes: three equal eigenvalues, so no best-fit
// plane exists and the eigen-analysis faults.
const QByteArray kIsotropicData = "0 0\n180 0\n90 0\n270 0\n0 90\n0 -90\n";

struct PlotRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QProcessEnvironment cleanEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return env;
}

// setup may redirect the process's channels to files before it starts.
PlotRun runPlot(const QStringList& arguments, const QByteArray& input = {},
                const QProcessEnvironment& env = cleanEnvironment(),
                const std::function<void(QProcess&)>& setup = {}) {
    QProcess process;
    process.setProcessEnvironment(env);
    if (setup)
        setup(process);
    process.start(QStringLiteral(QUORVEX_PLOT_BINARY), arguments);
    PlotRun run;
    if (!process.waitForStarted(10000))
        return run;
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// QProcess hands its arguments over as UTF-8; these reach the program as the
// very bytes given, exec'd by the child before QProcess's own exec would be.
std::function<void(QProcess&)> rawArguments(const QList<QByteArray>& arguments) {
    struct Argv {
        QList<QByteArray> bytes;
        std::vector<char*> pointers;
    };
    auto argv = std::make_shared<Argv>();
    argv->bytes = QList<QByteArray>{QByteArray(QUORVEX_PLOT_BINARY)} + arguments;
    for (QByteArray& argument : argv->bytes)
        argv->pointers.push_back(argument.data());
    argv->pointers.push_back(nullptr);
    return [argv](QProcess& process) {
        process.setChildProcessModifier([argv] {
            ::execv(QUORVEX_PLOT_BINARY, argv->pointers.data());
            ::_exit(127);
        });
    };
}

class QuorvexPlot : public ::testing::Test {
protected:
    QString writeData(const QByteArray& bytes, const QString& name = QStringLiteral("data.txt")) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

    static QByteArray readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};

TEST_F(QuorvexPlot, PrintsTheResultLinesThePassComputed) {
    struct Case {
        const char* name;
        QByteArray data;
        QStringList options;
        QByteArray expected;
    };
    const Case cases[] = {
        {"fisher", kFisherData, {QStringLiteral("--fisher")}, kFisherLines},
        {"great circle", kGreatCircleData, {QStringLiteral("--gc-fit")}, kGreatCircleLines},
        {"both blocks, Fisher first",
         kGreatCircleData,
         {QStringLiteral("--gc-fit"), QStringLiteral("--fisher")},
         "Mean Dec, Inc: 115.1, 35.4\nR=2.2949  k=1.5\na95=108.3\n" + kGreatCircleLines},
        {"polar view label",
         kFisherData,
         {QStringLiteral("--fisher"), QStringLiteral("--plot-type"), QStringLiteral("1")},
         "Mean Lon, Lat: 359.4, 45.3\nR=2.9774  k=88.4\na95=13.2\n"},
        // The site-mean type needs a radius on every line: the last is rejected.
        {"site mean file type",
         "0 45 3\n10 50 4\n350 40\n",
         {QStringLiteral("--fisher"), QStringLiteral("--file-type=1"),
          QStringLiteral("--error-circles=0")},
         "Mean Dec, Inc: 4.8, 47.6\nR=1.9946  k=186.5\na95=18.4\n"},
        {"identical data",
         "0 0\n0 0\n",
         {QStringLiteral("--fisher")},
         "Mean Dec, Inc: 0.0, 0.0\nR=2.0000  k=INF\na95=0.0\n"},
        {"one datum", "10 20\n", {QStringLiteral("--fisher"), QStringLiteral("--gc-fit")}, ""},
        {"options off", kFisherData, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString data = writeData(c.data);
        const PlotRun run = runPlot(QStringList(c.options) << data);
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        EXPECT_EQ(run.out, c.expected);
        // Only the line the site-mean reader rejects is reported.
        EXPECT_EQ(run.err, c.data.endsWith("350 40\n") && c.options.contains("--file-type=1")
                               ? data.toUtf8() + ":3: not read: a third number (a95) is required "
                                                 "for site means\n"
                               : QByteArray());
    }
}

TEST_F(QuorvexPlot, ReadsStandardInputAndCrLfLines) {
    QByteArray crlf = kFisherData;
    crlf.replace("\n", "\r\n");
    const PlotRun run = runPlot({QStringLiteral("--fisher"), QStringLiteral("-")}, crlf);
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, kFisherLines);
}

TEST_F(QuorvexPlot, WritesTheLocaleDecimalSeparator) {
    QProcessEnvironment env = cleanEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    const PlotRun run = runPlot({QStringLiteral("--fisher"), writeData(kFisherData)}, {}, env);
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, "Mean Dec, Inc: 359,4, 45,3\nR=2,9774  k=88,4\na95=13,2\n");
}

// No platform chosen and no display: the renderer must still run.
TEST_F(QuorvexPlot, NeedsNoDisplay) {
    QProcessEnvironment env = cleanEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    const PlotRun run = runPlot({QStringLiteral("--gc-fit"), writeData(kGreatCircleData)}, {}, env);
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, kGreatCircleLines);
}

TEST_F(QuorvexPlot, FaultEndsThePlotButTheImageIsWritten) {
    const QString image = path(QStringLiteral("fault.bmp"));
    const PlotRun run = runPlot({QStringLiteral("--gc-fit"), QStringLiteral("--fisher"),
                                 QStringLiteral("-o"), image, writeData(kIsotropicData)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("quorvex-plot: ")) << run.err.constData();
    EXPECT_TRUE(run.err.contains("Floating point division by zero") ||
                run.err.contains("Invalid floating point operation"))
        << run.err.constData();
    EXPECT_EQ(run.out, QByteArray());
    const QByteArray bytes = readAll(image);
    ASSERT_EQ(bytes.size(), 38150);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
}

TEST_F(QuorvexPlot, RefusesWhatItCannotDo) {
    const QString data = writeData(kFisherData);
    struct Case {
        const char* name;
        QStringList arguments;
    };
    const Case cases[] = {
        {"missing data file", {path(QStringLiteral("nothing-here.txt"))}},
        {"directory as data file", {path(QString())}},
        {"no data file", {QStringLiteral("--fisher")}},
        {"unknown option", {QStringLiteral("--colour"), data}},
        {"value out of range", {QStringLiteral("--plot-type"), QStringLiteral("3"), data}},
        {"value not a number", {QStringLiteral("--file-type=one"), data}},
        {"output in a missing folder",
         {QStringLiteral("-o"), path(QStringLiteral("no/such/dir/x.png")), data}},
        {"output format unknown", {QStringLiteral("-o"), path(QStringLiteral("x.gif")), data}},
        {"empty output name", {QStringLiteral("-o"), QString(), data}},
        {"two sources of bedding",
         {QStringLiteral("--bedding=90,20"), QStringLiteral("--bedding-columns"), data}},
        {"a site for poles",
         {QStringLiteral("--site=33,-117"), QStringLiteral("--plot-type=1"), data}},
        {"unknown header part", {QStringLiteral("--omit"), QStringLiteral("date,legend"), data}},
        {"unknown net", {QStringLiteral("--projection=wulff"), data}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlotRun run = runPlot(c.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.startsWith("quorvex-plot: ")) << run.err.constData();
        EXPECT_EQ(run.out, QByteArray());
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("x.gif"))));
}

TEST_F(QuorvexPlot, HelpGoesToStandardOutput) {
    const PlotRun run = runPlot({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith("Usage: quorvex-plot")) << run.out.constData();
    EXPECT_TRUE(run.out.contains("--error-circles"));
    EXPECT_EQ(run.err, QByteArray());
}

bool bmpPixelIsWhite(const QByteArray& bmp, int x, int y) {
    constexpr int kRowBytes = 72;
    const int stored = 528 - y;
    const auto byte = static_cast<std::uint8_t>(bmp[62 + stored * kRowBytes + x / 8]);
    return (byte & (0x80 >> (x % 8))) != 0;
}

// The same run written both ways: the BMP is the PNG's raster in black and white.
TEST_F(QuorvexPlot, BmpAndPngHoldTheSameDrawing) {
    const QString data = writeData(kGreatCircleData);
    const QString png = path(QStringLiteral("plot.png"));
    const QString bmp = path(QStringLiteral("plot.BMP"));
    for (const QString& output : {png, bmp}) {
        const PlotRun run = runPlot({QStringLiteral("--gc-fit"), QStringLiteral("--fisher"),
                                     QStringLiteral("--title"), QStringLiteral("T"),
                                     QStringLiteral("-o"), output, data});
        ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    }

    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(553, 529));
    // The clearing rectangle leaves the top row and left column black.
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFFu, 0u);
    EXPECT_EQ(image.pixel(552, 0) & 0xFFFFFFu, 0u);
    EXPECT_EQ(image.pixel(0, 528) & 0xFFFFFFu, 0u);
    EXPECT_EQ(image.pixel(552, 528) & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFFu, 0xFFFFFFu);

    const QByteArray bytes = readAll(bmp);
    ASSERT_EQ(bytes.size(), 38150);
    EXPECT_EQ(bytes.left(2), QByteArray("BM"));
    EXPECT_EQ(bytes, EncodeMonoBmp(image));
    for (int x = 0; x < 553; ++x)
        ASSERT_FALSE(bmpPixelIsWhite(bytes, x, 0)) << "top row pixel " << x;
    for (int y = 0; y < 529; ++y)
        ASSERT_FALSE(bmpPixelIsWhite(bytes, 0, y)) << "left column pixel " << y;
    EXPECT_TRUE(bmpPixelIsWhite(bytes, 552, 528));
    EXPECT_TRUE(bmpPixelIsWhite(bytes, 1, 1));
}

// A refused command line never touches an existing image.
TEST_F(QuorvexPlot, RefusedRunLeavesAnOldImageAlone) {
    const QString image = writeData("old", QStringLiteral("keep.png"));
    const PlotRun run = runPlot(
        {QStringLiteral("--plot-type=9"), QStringLiteral("-o"), image, writeData(kFisherData)});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(readAll(image), QByteArray("old"));
}

// An image that no longer fits is reported, and the old one stays whole.
TEST_F(QuorvexPlot, AFullDiskKeepsTheOldImage) {
    TmpfsMount mount("size=128k");
    if (!mount.Mounted())
        GTEST_SKIP() << "needs root: " << mount.Error().toStdString();
    const QString data = writeData(kFisherData);
    for (const char* name : {"plot.png", "plot.bmp"})
        WriteBytes(mount.Path() + u'/' + QLatin1String(name), "old image");
    ASSERT_TRUE(FillFileSystem(mount.Path() + QStringLiteral("/filler")));
    for (const char* name : {"plot.png", "plot.bmp"}) {
        SCOPED_TRACE(name);
        const QString image = mount.Path() + u'/' + QLatin1String(name);
        const PlotRun run = runPlot({QStringLiteral("-o"), image, data});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, "quorvex-plot: cannot write '" + image.toUtf8() + "': Disk full\n");
        EXPECT_EQ(readAll(image), QByteArray("old image"));
    }
}

// However the output names the data file, the data file is never replaced.
TEST_F(QuorvexPlot, RefusesToDrawOverItsOwnInput) {
    const QString data = writeData(kFisherData, QStringLiteral("data.png"));
    ASSERT_TRUE(QFile::link(data, path(QStringLiteral("link.png"))));
    ASSERT_EQ(::link(QFile::encodeName(data).constData(),
                     QFile::encodeName(path(QStringLiteral("hard.png"))).constData()),
              0);
    const auto fromFolder = [this](QProcess& process) { process.setWorkingDirectory(path({})); };
    const auto dataOnInput = [&](QProcess& process) { process.setStandardInputFile(data); };
    const struct {
        const char* name;
        QStringList arguments;
        std::function<void(QProcess&)> setup;
    } cases[] = {
        {"the same name", {QStringLiteral("-o"), data, data}, {}},
        {"a relative name", {QStringLiteral("-o"), QStringLiteral("./data.png"), data}, fromFolder},
        {"a symbolic link", {QStringLiteral("-o"), path(QStringLiteral("link.png")), data}, {}},
        {"a hard link", {QStringLiteral("-o"), path(QStringLiteral("hard.png")), data}, {}},
        {"standard input", {QStringLiteral("-o"), data, QStringLiteral("-")}, dataOnInput},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PlotRun run = runPlot(c.arguments, {}, cleanEnvironment(), c.setup);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.contains("would replace the data file")) << run.err.constData();
        EXPECT_EQ(readAll(data), kFisherData);
    }
}

// /dev/zero as a file or on standard input: the window's limit, not the
// machine's memory, ends the read.
TEST_F(QuorvexPlot, EndlessInputStopsAtTheWindowsLimit) {
    const auto zeroOnInput = [](QProcess& process) {
        process.setStandardInputFile(QStringLiteral("/dev/zero"));
    };
    for (const bool onInput : {false, true}) {
        const PlotRun run =
            onInput ? runPlot({QStringLiteral("-")}, {}, cleanEnvironment(), zeroOnInput)
                    : runPlot({QStringLiteral("/dev/zero")});
        EXPECT_EQ(run.exitCode, 2) << onInput;
        EXPECT_EQ(run.err, QByteArray("quorvex-plot: Text exceeds memo capacity\n")) << onInput;
    }
}

// Devices and pipes keep their nodes: the image goes into them, not over them.
TEST_F(QuorvexPlot, DevicesAndPipesAreWrittenInPlace) {
    const QString data = writeData(kFisherData);
    struct stat node {};
    // A null device of our own, so that a faulty run cannot destroy the real one.
    const QString device = path(QStringLiteral("null.png"));
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        const QString link = path(QStringLiteral("null-link.bmp"));
        ASSERT_TRUE(QFile::link(device, link));
        EXPECT_EQ(runPlot({QStringLiteral("-o"), device, data}).exitCode, 0);
        EXPECT_EQ(runPlot({QStringLiteral("-o"), link, data}).exitCode, 0);
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &node), 0);
        EXPECT_TRUE(S_ISCHR(node.st_mode));
    }

    const QByteArray fifo = QFile::encodeName(path(QStringLiteral("pipe.bmp")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const PlotRun unread = runPlot({QStringLiteral("-o"), QFile::decodeName(fifo), data});
    EXPECT_EQ(unread.exitCode, 2);
    EXPECT_TRUE(unread.err.endsWith(QByteArray("': I/O error ") + QByteArray::number(ENXIO) + '\n'))
        << unread.err.constData();
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(runPlot({QStringLiteral("-o"), QFile::decodeName(fifo), data}).exitCode, 0);
    char header[2] = {};
    EXPECT_EQ(::read(reader, header, sizeof header), 2);
    ::close(reader);
    EXPECT_EQ(QByteArray(header, 2), QByteArray("BM"));
    ASSERT_EQ(::stat(fifo.constData(), &node), 0);
    EXPECT_TRUE(S_ISFIFO(node.st_mode));
}

// Result lines that cannot be written are a failure, not a silent success.
TEST_F(QuorvexPlot, AFailedWriteOfTheResultLinesIsAnError) {
    const QString data = writeData(kFisherData);
    const auto toFull = [](QProcess& process) {
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
    };
    const PlotRun full =
        runPlot({QStringLiteral("--fisher"), data}, {}, cleanEnvironment(), toFull);
    EXPECT_EQ(full.exitCode, 2);
    EXPECT_EQ(full.err, "quorvex-plot: cannot write the result lines: No space left on device\n");
    // Nothing to write, nothing failed.
    EXPECT_EQ(runPlot({data}, {}, cleanEnvironment(), toFull).exitCode, 0);

    QProcess closed;
    closed.setProcessEnvironment(cleanEnvironment());
    closed.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("exec \"$0\" --fisher \"$1\" >&-"),
                  QStringLiteral(QUORVEX_PLOT_BINARY), data});
    ASSERT_TRUE(closed.waitForFinished(60000));
    EXPECT_EQ(closed.exitCode(), 2);
    EXPECT_EQ(closed.readAllStandardError(),
              "quorvex-plot: cannot write the result lines: Bad file descriptor\n");
}

// The figure formats come from the same pass: the same result lines, each
// file in its own format, a scaled PNG at its size.
TEST_F(QuorvexPlot, WritesSvgPdfAndScaledPng) {
    const QString data = writeData(kGreatCircleData);
    const struct {
        const char* name;
        QStringList extra;
        QByteArray start;
    } cases[] = {
        {"figure.svg", {}, "<?xml"},
        {"figure.PDF", {}, "%PDF-"},
        {"figure.png", {QStringLiteral("--scale"), QStringLiteral("4")}, "\x89PNG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString output = path(QString::fromLatin1(c.name));
        const PlotRun run = runPlot(
            QStringList{QStringLiteral("--gc-fit"), QStringLiteral("-o"), output, data} << c.extra);
        ASSERT_EQ(run.exitCode, 0) << run.err.constData();
        EXPECT_EQ(run.out, kGreatCircleLines);
        EXPECT_TRUE(readAll(output).startsWith(c.start));
    }
    EXPECT_TRUE(readAll(path(QStringLiteral("figure.svg"))).contains("viewBox=\"0 0 553 529\""));
    EXPECT_EQ(QImage(path(QStringLiteral("figure.png"))).size(), QSize(2212, 2116));
}

// A journal's figure without date, file line or title, in every format: the
// vector texts and name leave them out, the raster's rows stay white.
TEST_F(QuorvexPlot, OmitLeavesHeaderPartsOutOfEveryFormat) {
    const QString data = writeData(kFisherData);
    const QStringList plot = {QStringLiteral("--fisher"),
                              QStringLiteral("--title"),
                              QStringLiteral("Paper figure"),
                              QStringLiteral("--file-name"),
                              QStringLiteral("/home/me/secret.txt"),
                              data};
    const QString full = path(QStringLiteral("full.svg"));
    const QString clean = path(QStringLiteral("clean.svg"));
    ASSERT_EQ(runPlot(QStringList{QStringLiteral("-o"), full} + plot).exitCode, 0);
    ASSERT_EQ(
        runPlot(QStringList{QStringLiteral("--omit=date,file,title"), QStringLiteral("-o"), clean} +
                plot)
            .exitCode,
        0);
    const QByteArray fullSvg = readAll(full);
    const QByteArray cleanSvg = readAll(clean);
    EXPECT_TRUE(fullSvg.contains("Paper figure"));
    EXPECT_TRUE(fullSvg.contains("secret.txt"));
    EXPECT_FALSE(cleanSvg.contains("Paper figure"));
    EXPECT_FALSE(cleanSvg.contains("secret.txt"));
    EXPECT_TRUE(cleanSvg.contains("<title>Quorvex plot</title>"));
    EXPECT_TRUE(cleanSvg.contains("Equal area, Local coords"));
    EXPECT_EQ(cleanSvg.count("<text"), fullSvg.count("<text") - 2);

    const QString bmp = path(QStringLiteral("clean.bmp"));
    ASSERT_EQ(runPlot(QStringList{QStringLiteral("--omit=mode,title,date,file"),
                                  QStringLiteral("-o"), bmp} +
                      plot)
                  .exitCode,
              0);
    const QByteArray bytes = readAll(bmp);
    ASSERT_EQ(bytes.size(), 38150);
    // The title line's rows above the result lines and the rows of the mode
    // and file lines below the net: white but for the left column.
    int black = 0;
    for (const auto& [top, bottom] : {std::pair{21, 34}, std::pair{501, 527}})
        for (int y = top; y < bottom; ++y)
            for (int x = 1; x < 553; ++x)
                black += bmpPixelIsWhite(bytes, x, y) ? 0 : 1;
    EXPECT_EQ(black, 0);
}

// Lines the readers reject are reported where editors look for them; --quiet
// silences the report, and neither changes the exit status.
TEST_F(QuorvexPlot, ReportsTheLinesItDidNotRead) {
    QByteArray bad;
    for (int k = 0; k < 150; ++k)
        bad += "10 95\n";
    const QString data = writeData("10 20\n" + bad + "30 40\n");
    const PlotRun run = runPlot({data});
    EXPECT_EQ(run.exitCode, 0);
    const QList<QByteArray> reports = run.err.split('\n');
    ASSERT_EQ(reports.size(), 102); // 100 reports, the count of the rest, the final break
    EXPECT_EQ(reports[0], data.toUtf8() + ":2: not read: inclination or latitude 95 at column 4 "
                                          "is outside -90...90");
    EXPECT_TRUE(reports[99].startsWith(data.toUtf8() + ":101: not read: "));
    EXPECT_EQ(reports[100], data.toUtf8() + ": 50 more lines not read");

    const PlotRun quiet = runPlot({QStringLiteral("--quiet"), data});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, QByteArray());
}

// The JSON object carries what the text lines carry, at full precision, and
// the account of the unread lines; a fault is a member and keeps exit 1.
TEST_F(QuorvexPlot, JsonHoldsTheResultsTheRejectedLinesAndTheFault) {
    const QString data = writeData(kGreatCircleData + "50,5 30\n");
    const PlotRun run = runPlot(
        {QStringLiteral("--json"), QStringLiteral("--fisher"), QStringLiteral("--gc-fit"), data});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json["file"].toString(), data);
    EXPECT_EQ(json["data"].toInt(), 5);
    EXPECT_EQ(json["rejected"][0]["line"].toInt(), 6);
    EXPECT_EQ(json["rejected"][0]["reason"].toString(),
              QStringLiteral("'50,5' at column 1 is not a number (the decimal separator is '.')"));
    EXPECT_NEAR(json["fisher"]["dec"].toDouble(), 115.1364, 5e-5);
    EXPECT_NEAR(json["fisher"]["k"].toDouble(), 1.478697, 5e-7);
    const QJsonObject circle = json["great_circle"].toObject();
    EXPECT_NEAR(circle["dec"].toDouble(), 260.0737, 5e-5);
    EXPECT_NEAR(circle["eigenvalue"].toDouble(), 0.016243, 5e-7);
    ASSERT_EQ(circle["axes"].toArray().size(), 3);
    EXPECT_EQ(circle["axes"][2]["dec"].toDouble(), circle["dec"].toDouble());
    EXPECT_NEAR(circle["axes"][0]["value"].toDouble(), 3.034803, 5e-7);
    EXPECT_FALSE(json.contains("fault"));

    const PlotRun fault =
        runPlot({QStringLiteral("--json"), QStringLiteral("--gc-fit"), writeData(kIsotropicData)});
    EXPECT_EQ(fault.exitCode, 1);
    const QJsonObject faulted = QJsonDocument::fromJson(fault.out).object();
    EXPECT_EQ(faulted["fault"].toString(), QStringLiteral("Invalid floating point operation"));
    EXPECT_FALSE(faulted.contains("great_circle"));
}

// The analyses through the real program, against an independent computation
// of the published formulas at 40 digits (mpmath): the tilt correction as a
// Rodrigues rotation about the strike, the pole by Butler's (1992) equations
// The contours as other programs take them: every level with its lines of
// lower-hemisphere directions, a closed line back at its first vertex, and
// Two sets in the JSON with their statistics, and Watson's V_w between them;
// V_w and gamma from their definitions at 40 digits (mpmath): 25.3323754070932
// and 13.4916188073581 degrees. One set gives no "sets" at all.
TEST_F(QuorvexPlot, JsonHoldsTheSetsAndTheirCommonMeanTest) {
    const QByteArray two = "#Site A\n12 45\n15 50\n8 41\n20 47\n10 52\n# Site B \n30 40\n35 45\n"
                           "28 38\n33 50\n";
    const PlotRun run =
        runPlot({QStringLiteral("--common-mean-test"), QStringLiteral("--json"), writeData(two)});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    const QJsonArray sets = json["sets"].toArray();
    ASSERT_EQ(sets.size(), 2);
    EXPECT_EQ(sets[0]["name"].toString(), QStringLiteral("Site A"));
    EXPECT_EQ(sets[1]["name"].toString(), QStringLiteral("Site B"));
    EXPECT_EQ(sets[1]["data"].toInt(), 4);
    EXPECT_TRUE(sets[0]["fisher"]["a95"].isDouble());
    const QJsonObject test = json["common_mean_test"].toObject();
    EXPECT_TRUE(test["available"].toBool());
    EXPECT_NEAR(test["V_w"].toDouble(), 25.3323754070932, 1e-9);
    EXPECT_NEAR(test["gamma"].toDouble(), 13.4916188073581, 1e-9);
    EXPECT_EQ(test["classification"].toString(), QStringLiteral("negative"));
    EXPECT_EQ(test["simulations"].toInt(), 5000);

    const PlotRun one = runPlot({QStringLiteral("--common-mean-test"), QStringLiteral("--json"),
                                 writeData("12 45\n15 50\n")});
    const QJsonObject single = QJsonDocument::fromJson(one.out).object();
    EXPECT_FALSE(single.contains(QStringLiteral("sets")));
    EXPECT_FALSE(single["common_mean_test"]["available"].toBool());
    EXPECT_EQ(single["common_mean_test"]["reason"].toString(),
              QStringLiteral("fewer than two data sets"));
}

// the maximum with its direction.
TEST_F(QuorvexPlot, JsonHoldsTheContourLinesAsDirections) {
    QByteArray data;
    for (int i = 0; i < 40; ++i)
        data += QByteArray::number(20 + i % 7) + ' ' + QByteArray::number(40 + i % 5) + '\n';
    const PlotRun run = runPlot({QStringLiteral("--contours=exponential-kamb"),
                                 QStringLiteral("--contour-levels=2,4,1000"),
                                 QStringLiteral("--json"), writeData(data)});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonObject contours = QJsonDocument::fromJson(run.out).object()["contours"].toObject();
    EXPECT_EQ(contours["method"].toString(), QStringLiteral("exponential-kamb"));
    EXPECT_EQ(contours["sigma"].toDouble(), 3.0);
    EXPECT_EQ(contours["unit"].toString(), QStringLiteral("sigma"));
    const QJsonObject maximum = contours["maximum"].toObject();
    EXPECT_GT(maximum["value"].toDouble(), 4.0);
    EXPECT_NEAR(maximum["dec"].toDouble(), 23.0, 3.0);
    EXPECT_NEAR(maximum["inc"].toDouble(), 42.0, 3.0);
    const QJsonArray levels = contours["levels"].toArray();
    ASSERT_EQ(levels.size(), 3);
    EXPECT_EQ(levels[0]["value"].toDouble(), 2.0);
    EXPECT_TRUE(levels[2]["lines"].toArray().isEmpty()) << "no line above the maximum";
    const QJsonArray ring = levels[1]["lines"][0].toArray();
    ASSERT_GT(ring.size(), 10);
    EXPECT_EQ(ring.first(), ring.last());
    for (const QJsonValue vertex : ring) {
        EXPECT_GE(vertex[1].toDouble(), 0.0);
        EXPECT_LE(vertex[1].toDouble(), 90.0);
    }
}

// The equal-angle net is named in the JSON; the equal-area one, the
// default, keeps the object as it was.
TEST_F(QuorvexPlot, JsonNamesTheEqualAngleNetOnly) {
    const QString data = writeData(kFisherData);
    struct Row {
        const char* projection;
        QJsonValue expected;
    };
    const Row rows[] = {{nullptr, QJsonValue(QJsonValue::Undefined)},
                        {"equal-area", QJsonValue(QJsonValue::Undefined)},
                        {"equal-angle", QJsonValue(QStringLiteral("equal-angle"))}};
    for (const Row& row : rows) {
        QStringList arguments{QStringLiteral("--json"), data};
        if (row.projection != nullptr)
            arguments.prepend(QStringLiteral("--projection=") + QLatin1String(row.projection));
        const PlotRun run = runPlot(arguments);
        ASSERT_EQ(run.exitCode, 0) << run.err.constData();
        EXPECT_EQ(QJsonDocument::fromJson(run.out).object().value(QStringLiteral("projection")),
                  row.expected)
            << (row.projection != nullptr ? row.projection : "default");
    }
}

// with their branch, V_w and gamma from their definitions.
TEST_F(QuorvexPlot, JsonHoldsTheAnalysesToTheirPublishedNumbers) {
    const PlotRun tilted = runPlot({QStringLiteral("--bedding"), QStringLiteral("90,20"),
                                    QStringLiteral("--json"), writeData("91.2 43.1\n")});
    ASSERT_EQ(tilted.exitCode, 0) << tilted.err.constData();
    const QJsonObject tilt = QJsonDocument::fromJson(tilted.out).object();
    EXPECT_EQ(tilt["tilt_correction"]["source"].toString(), QStringLiteral("single"));
    EXPECT_EQ(tilt["tilt_correction"]["dip_direction"].toDouble(), 90.0);
    EXPECT_EQ(tilt["points"][0]["line"].toInt(), 1);
    EXPECT_NEAR(tilt["points"][0]["dec"].toDouble(), 90.9525688372, 1e-9);
    EXPECT_NEAR(tilt["points"][0]["inc"].toDouble(), 23.1034116701, 1e-9);

    const PlotRun site = runPlot(
        {QStringLiteral("--site=33,-117"), QStringLiteral("--json"), writeData("4 41\n4 41\n")});
    ASSERT_EQ(site.exitCode, 0) << site.err.constData();
    const QJsonObject vgp = QJsonDocument::fromJson(site.out).object()["vgp"].toObject();
    EXPECT_TRUE(vgp["available"].toBool());
    EXPECT_NEAR(vgp["lat"].toDouble(), 79.8625999889, 1e-9);
    EXPECT_NEAR(vgp["lon"].toDouble(), 41.6862941505, 1e-9);
    EXPECT_NEAR(vgp["paleolatitude"].toDouble(), 23.4918558212, 1e-9);

    // Six normal directions and three reversed, and a line that is not read.
    const PlotRun mixed =
        runPlot({QStringLiteral("--polarity"), QStringLiteral("--reversal-test"),
                 QStringLiteral("--fisher"), QStringLiteral("--json"), QStringLiteral("--quiet"),
                 writeData("12.5 48.2\n20.1 55\n5.3 38.7\n355.2 42.1\n30 60.5\n198.4 -35.2\n"
                           "185 -48.6\n201.7 -41.3\nnot a datum\n8.8 51.4\n")});
    ASSERT_EQ(mixed.exitCode, 0) << mixed.err.constData();
    const QJsonObject json = QJsonDocument::fromJson(mixed.out).object();
    const QJsonObject polarity = json["polarity"].toObject();
    // The modes' numbers are held in plot_tests; here their keys and places.
    EXPECT_EQ(polarity["normal"]["n"].toInt(), 6);
    EXPECT_EQ(polarity["reversed"]["n"].toInt(), 3);
    EXPECT_NEAR(polarity["reversed"]["inc"].toDouble(), -41.9107206908, 1e-9);
    // The result lines give the combined mean.
    QJsonObject combined = polarity["combined"].toObject();
    combined.remove(QStringLiteral("n"));
    EXPECT_EQ(json["fisher"].toObject(), combined);

    const QJsonObject test = json["reversal_test"].toObject();
    EXPECT_TRUE(test["available"].toBool());
    EXPECT_NEAR(test["V_w"].toDouble(), 3.02696422019, 1e-9);
    EXPECT_NEAR(test["gamma"].toDouble(), 8.64527396716, 1e-9);
    EXPECT_EQ(test["simulations"].toInt(), 5000);
    // Twenty independent runs of 5000 simulations (Fisher deviates from
    // another generator) put V_critical at 7.97 with a spread of 0.20.
    const double vCritical = test["V_critical"].toDouble();
    EXPECT_NEAR(vCritical, 7.97, 3 * 0.20);
    // gamma_critical from its definition and the reported V_critical.
    const double tau1 = polarity["normal"]["k"].toDouble() * polarity["normal"]["R"].toDouble();
    const double tau2 = polarity["reversed"]["k"].toDouble() * polarity["reversed"]["R"].toDouble();
    const double rwc = tau1 + tau2 - vCritical / 2;
    const double cosGammaC = (rwc * rwc - tau1 * tau1 - tau2 * tau2) / (2 * tau1 * tau2);
    EXPECT_NEAR(test["gamma_critical"].toDouble(), std::acos(cosGammaC) * 180 / M_PI, 1e-6);
    EXPECT_EQ(test["classification"].toString(), QStringLiteral("C"));

    // One polarity only: the test says why it cannot be made.
    const PlotRun single = runPlot(
        {QStringLiteral("--reversal-test"), QStringLiteral("--json"), writeData("10 40\n20 50\n")});
    const QJsonObject none =
        QJsonDocument::fromJson(single.out).object()["reversal_test"].toObject();
    EXPECT_FALSE(none["available"].toBool());
    EXPECT_EQ(none["reason"].toString(), QStringLiteral("a set has fewer than two data"));
}

// A line without its bedding is not read, and the reports say why.
TEST_F(QuorvexPlot, LinesWithoutTheirBeddingAreReported) {
    const QString data = writeData("91.2 43.1 90 20\n10 20\n");
    const PlotRun run =
        runPlot({QStringLiteral("--bedding-columns"), QStringLiteral("--json"), data});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonObject json = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(json["tilt_correction"]["source"].toString(), QStringLiteral("per_line"));
    EXPECT_NEAR(json["points"][0]["dec"].toDouble(), 90.9525688372, 1e-9);
    EXPECT_EQ(json["rejected"][0]["line"].toInt(), 2);
    const QString reason = json["rejected"][0]["reason"].toString();
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(run.err, data.toUtf8() + ":2: not read: " + reason.toUtf8() + "\n");
}

// The whole JSON text of two stored inputs, compared byte for byte: the data
// files are the reference pictures' (tests/plot/reference), read from
// standard input with the C locale.
TEST_F(QuorvexPlot, JsonTextMatchesTheStoredText) {
    struct Row {
        const char* data;
        QStringList options;
        const char* json;
    };
    const Row rows[] = {
        {"site_means.plt",
         {QStringLiteral("--file-type"), QStringLiteral("1"), QStringLiteral("--fisher"),
          QStringLiteral("--gc-fit")},
         "site_means.json"},
        {"directions.plt",
         {QStringLiteral("--fisher"), QStringLiteral("--gc-fit"), QStringLiteral("--error-circles"),
          QStringLiteral("0")},
         "directions.json"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        const QByteArray data =
            readAll(QStringLiteral(QUORVEX_PLOT_REFERENCE_DIR "/") + QLatin1String(row.data));
        ASSERT_FALSE(data.isEmpty());
        const PlotRun run =
            runPlot(QStringList(row.options) << QStringLiteral("--json")
                                             << QStringLiteral("--quiet") << QStringLiteral("-"),
                    data);
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        EXPECT_EQ(run.out,
                  readAll(QStringLiteral(QUORVEX_CLI_REFERENCE_DIR "/") + QLatin1String(row.json)));
    }
}

// A reader that goes away is a failed write like any other, reported with
// exit status 2, never a silent death by SIGPIPE.
TEST_F(QuorvexPlot, AReaderThatClosesThePipeIsAFailedWrite) {
    const QString data = writeData(kFisherData);
    int ends[2] = {};
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    ::close(ends[0]); // standard output leads nowhere from the start
    const auto toClosedPipe = [&ends](QProcess& process) {
        process.setChildProcessModifier([&ends] { ::dup2(ends[1], STDOUT_FILENO); });
    };
    for (const char* option : {"--fisher", "--json"}) {
        SCOPED_TRACE(option);
        const PlotRun run =
            runPlot({QLatin1String(option), data}, {}, cleanEnvironment(), toClosedPipe);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, "quorvex-plot: cannot write the result lines: Broken pipe\n");
    }
    ::close(ends[1]);

    // The image is far larger than the pipe holds; its reader stops early.
    const QByteArray fifo = QFile::encodeName(path(QStringLiteral("pipe.png")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    // Close-on-exec: a copy in the child would keep the pipe open.
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    std::thread stopEarly([reader] {
        pollfd ready{reader, POLLIN, 0};
        char first[10];
        if (::poll(&ready, 1, 60000) == 1) {
            [[maybe_unused]] const ssize_t n = ::read(reader, first, sizeof first);
        }
        ::close(reader);
    });
    const PlotRun run =
        runPlot({QStringLiteral("--scale=8"), QStringLiteral("-o"), QFile::decodeName(fifo), data});
    stopEarly.join();
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "quorvex-plot: cannot write '" + fifo + "': Pipe closed by its reader\n");
}

// A name whose bytes are not UTF-8 is used as those bytes: the image goes to
// the very file named, the data file named so is read, and the plot's text
// reads such an argument as Latin-1.
TEST_F(QuorvexPlot, NamesThatAreNotUtf8AreTheirOwnBytes) {
    const QByteArray folder = QFile::encodeName(path({}));
    const QByteArray data = folder + "/d\xE9.plt";
    const QByteArray image = folder + "/img\xE9.svg";
    {
        const int fd = ::open(data.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const QByteArray lines = kFisherData + "x\n";
        ASSERT_EQ(::write(fd, lines.constData(), static_cast<size_t>(lines.size())), lines.size());
        ::close(fd);
    }
    const PlotRun run =
        runPlot({}, {}, cleanEnvironment(),
                rawArguments({"--fisher", "--file-name", "Caf\xE9", "-o", image, data}));
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out, kFisherLines);
    EXPECT_EQ(run.err, folder + "/d\\xe9.plt:4: not read: 'x' at column 1 is not a number\n");
    // QDir leaves out names that are not UTF-8; the folder is read as bytes.
    QList<QByteArray> names;
    DIR* listing = ::opendir(folder.constData());
    ASSERT_NE(listing, nullptr);
    while (const dirent* entry = ::readdir(listing)) {
        if (entry->d_name[0] != '.')
            names.append(QByteArray(entry->d_name));
    }
    ::closedir(listing);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, QList<QByteArray>({"d\xE9.plt", "img\xE9.svg"}));
    // QFile cannot open that name; the bytes are read through the descriptor.
    QFile svg;
    const int fd = ::open(image.constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(svg.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_TRUE(svg.readAll().contains("Caf\xC3\xA9")) << "the file line reads the name as Latin-1";
}

// Names and data may hold bytes that act on a terminal; every message shows
// them escaped, and so does the JSON text.
TEST_F(QuorvexPlot, ControlCharactersNeverReachTheTerminalRaw) {
    const QString hostile = path(QStringLiteral("\x1B]0;pwn\a.plt"));
    const PlotRun missing = runPlot({hostile});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err, "quorvex-plot: cannot read '" +
                               QFile::encodeName(path(QStringLiteral("\\e]0;pwn\\a.plt"))) +
                               "': No such file or directory\n");

    // 0x9B alone is Latin-1 text holding the C1 control CSI.
    const QString data = writeData("10 20\n\x9B"
                                   "31m 5\n");
    const PlotRun report = runPlot({data});
    EXPECT_EQ(report.exitCode, 0);
    EXPECT_EQ(report.err, data.toUtf8() + ":2: not read: '\\x9b31m' at column 1 is not a number\n");
    const PlotRun json = runPlot({QStringLiteral("--json"), QStringLiteral("--quiet"), data});
    EXPECT_TRUE(json.out.contains("\"reason\": \"'\\u009b31m' at column 1"))
        << json.out.constData();
    EXPECT_FALSE(json.out.contains("\xC2\x9B"));
    EXPECT_EQ(QJsonDocument::fromJson(json.out)["rejected"][0]["reason"].toString(),
              QStringLiteral("'\u009B31m' at column 1 is not a number"));
}

TEST_F(QuorvexPlot, StandardInputIsNamedStdinInEveryMessage) {
    const auto inputFrom = [](const QString& file) {
        return [file](QProcess& process) { process.setStandardInputFile(file); };
    };
    const QString zero = writeData(QByteArray("10 20\n\0", 7), QStringLiteral("zero.plt"));
    const struct {
        const char* name;
        std::function<void(QProcess&)> setup;
        QByteArray err;
    } cases[] = {
        {"a folder", inputFrom(path({})), "quorvex-plot: cannot read '<stdin>': Is a directory\n"},
        {"binary data", inputFrom(zero),
         "quorvex-plot: Cannot open file <stdin>: not a text file\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PlotRun run = runPlot({QStringLiteral("-")}, {}, cleanEnvironment(), c.setup);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, c.err);
    }
}

// /dev/stdout leads through /proc to the pipe itself, which the kernel can
// write though its link names no path.
TEST_F(QuorvexPlot, ALinkToStandardOutputWritesIntoThePipe) {
    const QString link = path(QStringLiteral("out.png"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/stdout"), link));
    const PlotRun run = runPlot({QStringLiteral("-o"), link, writeData(kFisherData)});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.startsWith("\x89PNG"));
    EXPECT_EQ(QImage::fromData(run.out).size(), QSize(553, 529));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

// Memory that runs out is reported like any other resource, and the
// output holds no half-written result.
TEST_F(QuorvexPlot, RunningOutOfMemoryIsReported) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
    // A small run fits easily; five million data (30 MB of text, twice that
    // as the editor's text) do not.
    constexpr rlim_t kLimit = rlim_t{192} << 20;
    const auto limited = [](QProcess& process) {
        process.setChildProcessModifier([] {
            const rlimit limit{kLimit, kLimit};
            ::setrlimit(RLIMIT_AS, &limit);
        });
    };
    const PlotRun small = runPlot({QStringLiteral("--fisher"), writeData(kFisherData)}, {},
                                  cleanEnvironment(), limited);
    ASSERT_EQ(small.exitCode, 0) << "the limit is too tight for any run: " << small.err.constData();
    const QString large =
        writeData(QByteArray("10 20\n").repeated(5000000), QStringLiteral("large.plt"));
    const PlotRun run = runPlot({QStringLiteral("--fisher"), QStringLiteral("-o"),
                                 path(QStringLiteral("large.png")), large},
                                {}, cleanEnvironment(), limited);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "quorvex-plot: Out of system resources\n");
    EXPECT_EQ(run.out, QByteArray());
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("large.png"))));
}

} // namespace
