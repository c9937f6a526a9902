// Whole plot passes compared pixel for pixel with stored pictures that a
// person has looked at. Each row names its data file (beside the pictures in
// reference/) and its settings; every row draws with the date "1/2/26", the
// title "Reference <name>" and the file line "<name>.plt".
//
// To draw the pictures anew after an intended change, run the suite with
// QUORVEX_WRITE_REFERENCES=1: each row then writes its picture and fails, so
// that nobody takes a rewritten picture for a passing one. Look at every
// picture before committing it.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include "line_view.h"
#include "plot_pass.h"
#include "raster_canvas.h"
#include "test_plot_inputs.h"

namespace {

const QString kReferenceDir = QStringLiteral(QUORVEX_REFERENCE_DIR);

struct ReferenceRow {
    const char* name;
    const char* data;
    int fileType;
    int plotType;
    int errorCircleMode;
    bool fisher;
    bool greatCircle;
    QChar separator;
};

const ReferenceRow kRows[] = {
    {"directions_fisher_fit", "directions", 0, 0, 1, true, true, u'.'},
    {"directions_planes", "directions", 0, 0, 2, false, false, u'.'},
    {"site_means_circles_fisher", "site_means", 1, 0, 0, true, false, u'.'},
    {"site_means_planes_fit", "site_means", 1, 0, 2, false, true, u'.'},
    {"strike_dip_fisher_fit", "strike_dip", 9, 0, 1, true, true, u'.'},
    {"dipdir_dip_fisher_comma", "dipdir_dip", 10, 0, 1, true, false, u','},
    {"vgps_north_fisher", "vgps", 0, 1, 1, true, false, u'.'},
    {"vgps_south_fit", "vgps", 0, 2, 1, false, true, u'.'},
    {"caltech_circles_fisher", "caltech", 4, 0, 0, true, false, u'.'},
};

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QImage Draw(const ReferenceRow& row) {
    const LineView lines(
        ReadText(kReferenceDir + u'/' + QLatin1String(row.data) + QStringLiteral(".plt")));
    PlotOptions options;
    options.FileType = row.fileType;
    options.PlotType = row.plotType;
    options.ErrorCircles = static_cast<ErrorCircleMode>(row.errorCircleMode);
    options.FisherMean = row.fisher;
    options.GreatCircleFit = row.greatCircle;
    options.Title = QStringLiteral("Reference ") + QLatin1String(row.name);
    options.FileName = QLatin1String(row.data) + QStringLiteral(".plt");
    PlotInputs in = TestPlotInputs(lines, options);
    in.Environment.DecimalSeparator = row.separator;
    QImage image(553, 529, QImage::Format_RGB32);
    image.fill(Qt::white);
    RasterCanvas canvas(image);
    PlotReport report;
    DrawPlot(canvas, in, report);
    return image;
}

class ReferencePicture : public testing::TestWithParam<ReferenceRow> {};

TEST_P(ReferencePicture, MatchesPixelForPixel) {
    const ReferenceRow& row = GetParam();
    const QImage drawn = Draw(row);
    const QString path = kReferenceDir + u'/' + QLatin1String(row.name) + QStringLiteral(".png");
    if (!qEnvironmentVariableIsEmpty("QUORVEX_WRITE_REFERENCES")) {
        ASSERT_TRUE(drawn.save(path, "PNG"));
        FAIL() << "wrote " << path.toStdString() << "; look at it before committing it";
    }
    const QImage stored = QImage(path).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(stored.isNull()) << "no reference picture " << path.toStdString();
    ASSERT_EQ(stored.size(), drawn.size());
    int differing = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            if ((drawn.pixel(x, y) & 0xFFFFFFu) != (stored.pixel(x, y) & 0xFFFFFFu)) {
                if (differing++ == 0) {
                    first = QPoint(x, y);
                }
            }
        }
    }
    if (differing > 0) {
        const QString actual =
            QDir::temp().filePath(QStringLiteral("%1-actual.png").arg(QLatin1String(row.name)));
        drawn.save(actual, "PNG");
        FAIL() << differing << " pixels differ, the first at " << first.x() << "," << first.y()
               << "; the picture drawn is " << actual.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ReferencePicture, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<ReferenceRow>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
