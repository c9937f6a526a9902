#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include <vector>

#include "file_system_fixtures.h"
#include "image_export.h"
#include "main_window.h"
#include "plot_pass.h"

namespace {

constexpr int kWidth = 553;
constexpr int kHeight = 529;
constexpr int kRowBytes = 72;

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool IsWhite(QRgb colour) {
    return (colour & 0xFFFFFFu) == 0xFFFFFFu;
}

// Pixels that are neither pure black nor pure white in the raster.
int GreyOrColourPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = image.pixel(x, y) & 0xFFFFFFu;
            count += (colour != 0 && colour != 0xFFFFFFu) ? 1 : 0;
        }
    return count;
}

// The real export handler with a scripted dialog and a recorded error box.
class ImageExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        window_.SetErrorSink([this](const QString& message) { errors_.append(message); });
        window_.SetDialogRunner([this](FileDialog& dialog) -> std::optional<QString> {
            lastDialog_ = &dialog;
            return chosen_;
        });
        window_.QuorvexStart(nullptr);
        // Colours the plot itself never uses, at the corners: a light grey, a
        // nearly white, a red, and one pure white pixel among them.
        QImage& raster = window_.Raster();
        raster.setPixel(0, 0, qRgb(240, 240, 240));
        raster.setPixel(1, 0, qRgb(255, 255, 255));
        raster.setPixel(kWidth - 1, 0, qRgb(255, 0, 0));
        raster.setPixel(0, kHeight - 1, qRgb(255, 255, 254));
    }

    QByteArray Export(const QString& path) {
        chosen_ = path;
        window_.Save2Click(window_.Button1);
        return ReadFile(path);
    }

    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir_;
    TQVMainForm window_;
    QStringList errors_;
    std::optional<QString> chosen_;
    FileDialog* lastDialog_ = nullptr;
};

TEST_F(ImageExportTest, WritesTheWholeRasterAsAOneBitBmp) {
    const QImage before = window_.Raster().copy();
    const QByteArray bytes = Export(Path("plot.bmp"));
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
    EXPECT_EQ(lastDialog_, &window_.SaveDialog2);

    const std::vector<unsigned char> header{
        'B', 'M', 0x06, 0x95, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, // file header, 38,150
                                                             // bytes
        40, 0, 0, 0, 0x29, 0x02, 0, 0, 0x11, 0x02, 0, 0, 1, 0, 1,
        0, // 40, 553, 529, planes, 1 bit
        0, 0, 0, 0, 0xC8, 0x94, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0,                             // no compression, 38,088
        2, 0, 0, 0, 0, 0, 0, 0,        // two colours used
        0, 0, 0, 0, 255, 255, 255, 0}; // black, white
    ASSERT_EQ(bytes.size(), 38150);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 62), header);

    // Bottom row first, leftmost pixel in the top bit, 1 for exactly white.
    int wrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const auto byte =
                static_cast<unsigned char>(bytes[62 + (kHeight - 1 - y) * kRowBytes + x / 8]);
            const bool white = (byte >> (7 - x % 8)) & 1;
            wrong += white != IsWhite(before.pixel(x, y)) ? 1 : 0;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(static_cast<unsigned char>(bytes[62 + (kHeight - 1) * kRowBytes]) >> 6, 0b01)
        << "top-left grey is black, its white neighbour white";
}

TEST_F(ImageExportTest, RasterTurnsBlackAndWhiteInPlaceAndStaysSo) {
    const QImage before = window_.Raster().copy();
    const int passes = window_.PlotPassCount();
    Export(Path("plot.bmp"));

    const QImage& raster = window_.Raster();
    EXPECT_TRUE(window_.RasterIsBlackAndWhite());
    EXPECT_EQ(raster.size(), before.size());
    EXPECT_EQ(GreyOrColourPixels(raster), 0);
    EXPECT_EQ(raster.pixel(0, 0) & 0xFFFFFFu, 0u);
    EXPECT_EQ(raster.pixel(kWidth - 1, 0) & 0xFFFFFFu, 0u);
    EXPECT_EQ(raster.pixel(1, 0) & 0xFFFFFFu, 0xFFFFFFu);
    // No redraw, and nothing else of the window changes.
    EXPECT_EQ(window_.PlotPassCount(), passes);
    EXPECT_EQ(window_.CurrentFileName, QStringLiteral(" "));

    // A redraw after the export draws in black and white too.
    window_.DataFileMemo->setPlainText(QStringLiteral("10 20 5\n200 -40 8\n"));
    window_.SetItemIndex(window_.PlotErrorRG, 0);
    window_.DoImage(nullptr);
    EXPECT_EQ(GreyOrColourPixels(window_.Raster()), 0);
}

// The loaded data file, under its own name, another spelling or a hard link,
// is never replaced by a picture; the raster stays as it was.
TEST_F(ImageExportTest, NeverWritesOverTheLoadedDataFile) {
    const QString data = Path("sites.plt");
    const QByteArray text = "10 20\n30 40\n";
    {
        QFile file(data);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    ASSERT_TRUE(window_.OpenDataFile(data));
    const QString link = Path("link.bmp");
    ASSERT_EQ(::link(QFile::encodeName(data).constData(), QFile::encodeName(link).constData()), 0);
    const QImage before = window_.Raster().copy();
    for (const QString& target : {data, dir_.path() + QStringLiteral("/./sites.plt"), link}) {
        SCOPED_TRACE(target.toStdString());
        errors_.clear();
        Export(target);
        EXPECT_EQ(errors_,
                  QStringList(
                      QStringLiteral("the image '%1' would replace the data file it is drawn from.")
                          .arg(target)));
        EXPECT_EQ(ReadFile(data), text);
        EXPECT_FALSE(window_.RasterIsBlackAndWhite());
        EXPECT_EQ(window_.Raster(), before);
    }
}

TEST_F(ImageExportTest, TwoExportsWithoutARedrawAreIdentical) {
    const QByteArray first = Export(Path("first.bmp"));
    const QByteArray second = Export(Path("second.bmp"));
    ASSERT_EQ(first.size(), 38150);
    EXPECT_EQ(first, second);
}

TEST_F(ImageExportTest, CancelledDialogChangesNothing) {
    const QImage before = window_.Raster().copy();
    chosen_.reset();
    window_.Save2Click(window_.SaveImageFile1);
    EXPECT_EQ(lastDialog_, &window_.SaveDialog2);
    EXPECT_EQ(window_.Raster(), before);
    EXPECT_FALSE(window_.RasterIsBlackAndWhite());
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_TRUE(QDir(dir_.path()).isEmpty());
}

TEST_F(ImageExportTest, NameEndingInPngGetsAPngEveryOtherNameTheBmp) {
    struct Case {
        const char* Name;
        bool Png;
    };
    const Case cases[] = {{"a.bmp", false},     {"b.gif", false},  {"c", false},
                          {"d.png.bmp", false}, {"e.pngx", false}, {"f.png", true},
                          {"G.PNG", true},      {"h.Png", true}};
    for (const Case& c : cases) {
        const QByteArray bytes = Export(Path(c.Name));
        ASSERT_TRUE(errors_.isEmpty()) << c.Name;
        if (!c.Png) {
            EXPECT_EQ(bytes.size(), 38150) << c.Name;
            EXPECT_TRUE(bytes.startsWith("BM")) << c.Name;
            continue;
        }
        EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n")) << c.Name;
        const QImage png = QImage::fromData(bytes, "PNG");
        ASSERT_EQ(png.size(), QSize(kWidth, kHeight)) << c.Name;
        EXPECT_EQ(png.depth(), 1) << c.Name;
        int wrong = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                wrong +=
                    (png.pixel(x, y) & 0xFFFFFFu) != (window_.Raster().pixel(x, y) & 0xFFFFFFu);
        EXPECT_EQ(wrong, 0) << c.Name;
    }
}

// Several data sets keep their colours in the PNG and the SVG; once a BMP has
// turned the raster black and white, the PNG is black and white too.
TEST_F(ImageExportTest, SeveralSetsKeepTheirColoursUntilABmpIsMade) {
    window_.DataFileMemo->setPlainText(QStringLiteral("#A\n10 20\n60 35\n#B\n110 30\n160 10\n"));
    window_.DoImage(nullptr);
    const QColor first = DataSetColor(0, 2);
    const auto hasFirstColour = [&](const QImage& image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == first)
                    return true;
        return false;
    };
    const QImage png = QImage::fromData(Export(Path("sets.png")), "PNG");
    EXPECT_TRUE(hasFirstColour(png));
    EXPECT_TRUE(Export(Path("sets.svg")).contains(first.name().toLatin1()));
    Export(Path("sets.bmp"));
    EXPECT_EQ(QImage::fromData(Export(Path("after.png")), "PNG").depth(), 1);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
}

// The dialog's chosen entry decides where the name does not: the PNG entry
// with a name the platform left without extension writes a PNG.
TEST_F(ImageExportTest, ANameWithoutKnownSuffixTakesTheFormatOfTheChosenEntry) {
    for (const int entry : {0, 1}) {
        window_.SetDialogRunner([&](FileDialog& dialog) -> std::optional<QString> {
            dialog.Accept(Path("figure"), entry);
            return Path("figure");
        });
        window_.Save2Click(window_.Button1);
        const QByteArray bytes = ReadFile(Path("figure"));
        EXPECT_TRUE(bytes.startsWith(entry == 1 ? "\x89PNG" : "BM")) << entry;
    }
    EXPECT_TRUE(errors_.isEmpty());
}

// A drawing comes from a fresh pass over the current inputs, with its texts as
// text; the raster is neither redrawn nor turned black and white.
TEST_F(ImageExportTest, SvgAndPdfAreFreshDrawingsThatLeaveTheRasterAlone) {
    window_.TitleEdit->setText(QStringLiteral("Site 7"));
    window_.SetItemIndex(window_.GCFitRG, 0);
    // Typed after the last redraw: only a fresh pass can show these data.
    window_.DataFileMemo->setPlainText(QStringLiteral("10 20\n60 35\n110 30\n160 10\n"));
    const QImage before = window_.Raster().copy();
    const int passes = window_.PlotPassCount();
    const QByteArray svg = Export(Path("figure.svg"));
    window_.SetDialogRunner([&](FileDialog& dialog) -> std::optional<QString> {
        dialog.Accept(Path("figure"), 3); // the PDF entry and a bare name
        return Path("figure");
    });
    window_.Save2Click(window_.Button1);
    const QByteArray pdf = ReadFile(Path("figure"));

    EXPECT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();
    EXPECT_TRUE(svg.contains("<title>Site 7</title>"));
    EXPECT_TRUE(svg.contains(">Pole Dec, Inc: ")) << "the result lines are text";
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(window_.Raster(), before);
    EXPECT_FALSE(window_.RasterIsBlackAndWhite());
    EXPECT_EQ(window_.PlotPassCount(), passes);
}

// The dialog's figure choices: header parts left out of every format (the
// raster formats from a fresh raster pass), the PNG drawn larger; the
// window's own raster never leaves anything out.
TEST_F(ImageExportTest, TheDialogsChoicesLeaveHeaderPartsOutAndScaleThePng) {
    window_.TitleEdit->setText(QStringLiteral("Site 7"));
    window_.CurrentFileName = QStringLiteral("/home/me/site7.plt");
    window_.DoImage(nullptr);
    const QImage before = window_.Raster().copy();
    const FigureChoices choices{{.Date = true, .File = true, .Title = true}, 4};
    window_.SetDialogRunner([&](FileDialog& dialog) -> std::optional<QString> {
        dialog.SetFigure(choices);
        return chosen_;
    });
    const QByteArray svg = Export(Path("figure.svg"));
    const QImage png = QImage::fromData(Export(Path("figure.png")), "PNG");
    const QByteArray bmp = Export(Path("figure.bmp"));
    ASSERT_TRUE(errors_.isEmpty()) << errors_.join('\n').toStdString();

    EXPECT_FALSE(svg.contains("Site 7"));
    EXPECT_FALSE(svg.contains("site7.plt"));
    EXPECT_TRUE(svg.contains("<title>Quorvex plot</title>"));
    EXPECT_TRUE(svg.contains("Equal area, Local coords"));
    EXPECT_EQ(png.size(), QSize(4 * kWidth, 4 * kHeight));
    EXPECT_GT(GreyOrColourPixels(png), 0) << "antialiased";
    // The BMP leaves the title line and the file line white; the window's
    // raster, turned black and white by the export, still shows them.
    ASSERT_EQ(bmp.size(), 38150);
    const QImage file = QImage::fromData(bmp, "BMP");
    auto blackIn = [](const QImage& image, int top, int bottom) {
        int black = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 1; x < kWidth; ++x)
                black += IsWhite(image.pixel(x, y)) ? 0 : 1;
        return black;
    };
    EXPECT_EQ(blackIn(file, 21, 34) + blackIn(file, 514, 527), 0);
    EXPECT_GT(blackIn(window_.Raster(), 21, 34), 0);
    EXPECT_GT(blackIn(window_.Raster(), 514, 527), 0);
    EXPECT_GT(blackIn(file, 501, 514), 0) << "the mode line stays";
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_EQ(IsWhite(window_.Raster().pixel(x, y)), IsWhite(before.pixel(x, y)));
}

TEST_F(ImageExportTest, FileThatCannotBeCreated) {
    const QString missingFolder = QStringLiteral("/nonexistent-quorvex-folder/plot.bmp");
    Export(missingFolder);
    Export(dir_.path());
    EXPECT_EQ(errors_, QStringList({"Cannot create file " + missingFolder + ".",
                                    "Cannot create file " + dir_.path() + "."}));
    // The raster turned black and white before the file was tried.
    EXPECT_TRUE(window_.RasterIsBlackAndWhite());
    EXPECT_EQ(GreyOrColourPixels(window_.Raster()), 0);
}

TEST_F(ImageExportTest, DeviceThatFillsUpGivesDiskFullAndStaysADevice) {
    const QString full = QStringLiteral("/dev/full");
    if (!QFileInfo::exists(full))
        GTEST_SKIP() << "no /dev/full here";
    // Not read back: reading /dev/full never ends.
    chosen_ = full;
    window_.Save2Click(window_.Button1);
    EXPECT_EQ(errors_, QStringList{"Disk full."});
    EXPECT_FALSE(QFileInfo(full).isFile());
}

TEST_F(ImageExportTest, FailedWriteKeepsTheFileThatWasThere) {
    const QString path = Path("kept.bmp");
    const QByteArray good = Export(path);
    ASSERT_EQ(good.size(), 38150);

    // Files may grow to 1,000 bytes only: the next write fails part way.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    window_.DataFileMemo->setPlainText(QStringLiteral("10 20\n"));
    window_.DoImage(nullptr);
    chosen_ = path;
    window_.Save2Click(window_.Button1);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(errors_, QStringList{"I/O error 27."}); // EFBIG, the system's own number
    EXPECT_EQ(ReadFile(path), good);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"kept.bmp"});
}

// Both formats onto a file system with no room left: the small PNG fits the
// write buffer, so its failure shows only when the buffer is flushed.
TEST_F(ImageExportTest, AFullDiskIsReportedAndTheOldImageSurvives) {
    TmpfsMount mount("size=128k");
    if (!mount.Mounted())
        GTEST_SKIP() << "needs root: " << mount.Error().toStdString();
    const QByteArray old = "old image";
    for (const char* name : {"plot.png", "plot.bmp"}) {
        WriteBytes(mount.Path() + u'/' + QLatin1String(name), old);
    }
    ASSERT_TRUE(FillFileSystem(mount.Path() + QStringLiteral("/filler")));
    for (const char* name : {"plot.png", "plot.bmp"}) {
        errors_.clear();
        const QString path = mount.Path() + u'/' + QLatin1String(name);
        EXPECT_EQ(Export(path), old) << name;
        EXPECT_EQ(errors_, QStringList{"Disk full."}) << name;
    }
    EXPECT_EQ(QDir(mount.Path()).entryList(QDir::Files),
              QStringList({"filler", "plot.bmp", "plot.png"}));
}

TEST(MakeBlackAndWhite, OnlyExactWhiteStaysWhiteInEveryRasterFormat) {
    const QRgb colours[] = {qRgb(255, 255, 255), qRgb(254, 255, 255), qRgb(192, 192, 192),
                            qRgb(0, 0, 255), qRgb(0, 0, 0)};
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888}) {
        QImage image(5, 1, format);
        for (int x = 0; x < 5; ++x)
            image.setPixel(x, 0, colours[x]);
        MakeBlackAndWhite(image);
        EXPECT_EQ(image.format(), format);
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255)) << format;
        for (int x = 1; x < 5; ++x)
            EXPECT_EQ(image.pixel(x, 0), qRgb(0, 0, 0)) << format << " pixel " << x;
    }
}

} // namespace
