#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <utility>

#include "plot_command.h"

namespace {

TEST(ParsePlotCommand, DefaultsFollowTheWindow) {
    const PlotCommandParse parse = ParsePlotCommand({QStringLiteral("data.txt")});
    ASSERT_TRUE(parse.Error.isEmpty()) << parse.Error.toStdString();
    const PlotCommand& c = parse.Command;
    EXPECT_FALSE(c.Help);
    EXPECT_EQ(c.Input, u"data.txt");
    EXPECT_EQ(c.Options.FileName, u"data.txt");
    EXPECT_EQ(c.Options.FileType, 0);
    EXPECT_EQ(c.Options.PlotType, 0);
    EXPECT_EQ(c.Options.ErrorCircles, ErrorCircleMode::None);
    EXPECT_FALSE(c.Options.FisherMean);
    EXPECT_FALSE(c.Options.GreatCircleFit);
    EXPECT_TRUE(c.Options.Title.isEmpty());
    EXPECT_TRUE(c.Output.isEmpty());
    EXPECT_EQ(c.Format, ImageFormat::None);
}

TEST(ParsePlotCommand, EveryOptionInBothForms) {
    const QStringList separate = {QStringLiteral("--file-type"), QStringLiteral("10"),
                                  QStringLiteral("--plot-type"), QStringLiteral("2"),
                                  QStringLiteral("-"),           QStringLiteral("--error-circles"),
                                  QStringLiteral("0"),           QStringLiteral("--fisher"),
                                  QStringLiteral("--gc-fit"),    QStringLiteral("--title"),
                                  QStringLiteral("-a title-"),   QStringLiteral("--file-name"),
                                  QStringLiteral("x y.dat"),     QStringLiteral("-o"),
                                  QStringLiteral("out.PNG")};
    const QStringList attached = {QStringLiteral("--file-type=10"),
                                  QStringLiteral("--plot-type=2"),
                                  QStringLiteral("-"),
                                  QStringLiteral("--error-circles=0"),
                                  QStringLiteral("--fisher"),
                                  QStringLiteral("--gc-fit"),
                                  QStringLiteral("--title=-a title-"),
                                  QStringLiteral("--file-name=x y.dat"),
                                  QStringLiteral("--output=out.PNG")};
    for (const QStringList& arguments : {separate, attached}) {
        const PlotCommandParse parse = ParsePlotCommand(arguments);
        ASSERT_TRUE(parse.Error.isEmpty()) << parse.Error.toStdString();
        const PlotCommand& c = parse.Command;
        EXPECT_EQ(c.Input, u"-");
        EXPECT_EQ(c.Options.FileType, 10);
        EXPECT_EQ(c.Options.PlotType, 2);
        EXPECT_EQ(c.Options.ErrorCircles, ErrorCircleMode::Circles);
        EXPECT_TRUE(c.Options.FisherMean);
        EXPECT_TRUE(c.Options.GreatCircleFit);
        EXPECT_EQ(c.Options.Title, u"-a title-");
        EXPECT_EQ(c.Options.FileName, u"x y.dat");
        EXPECT_EQ(c.Output, u"out.PNG");
        EXPECT_EQ(c.Format, ImageFormat::Png);
    }
}

TEST(ParsePlotCommand, AnalysisOptionsTakeTheirValues) {
    const PlotCommandParse parse = ParsePlotCommand(
        {QStringLiteral("--bedding=90.5,20"), QStringLiteral("--polarity"),
         QStringLiteral("--reversal-test"), QStringLiteral("--site"), QStringLiteral("-33.25,-117"),
         QStringLiteral("--file-type=10"), QStringLiteral("data.txt")});
    ASSERT_TRUE(parse.Error.isEmpty()) << parse.Error.toStdString();
    const PlotOptions& o = parse.Command.Options;
    EXPECT_EQ(o.Bedding, BeddingSource::OneForAll);
    EXPECT_EQ(o.BeddingDipDirection, 90.5);
    EXPECT_EQ(o.BeddingDip, 20.0);
    EXPECT_TRUE(o.SeparatePolarities);
    EXPECT_TRUE(o.ReversalTest);
    ASSERT_TRUE(o.Site);
    EXPECT_EQ(o.Site->Latitude, -33.25);
    EXPECT_EQ(o.Site->Longitude, -117.0);
    const PlotCommandParse columns =
        ParsePlotCommand({QStringLiteral("--bedding-columns"), QStringLiteral("--file-type=1"),
                          QStringLiteral("a")});
    ASSERT_TRUE(columns.Error.isEmpty()) << columns.Error.toStdString();
    EXPECT_EQ(columns.Command.Options.Bedding, BeddingSource::PerLine);
}

TEST(ParsePlotCommand, OmitTakesAnySubsetOfTheHeaderParts) {
    const struct {
        const char* value;
        HeaderOmission omit;
    } rows[] = {
        {"date", {.Date = true}},
        {"title,file", {.File = true, .Title = true}},
        {"mode,mode", {.Mode = true}},
        {"title,mode,file,date", {.Date = true, .File = true, .Mode = true, .Title = true}},
    };
    for (const auto& row : rows) {
        for (const QStringList& arguments :
             {QStringList{QStringLiteral("a"), QStringLiteral("--omit"),
                          QString::fromLatin1(row.value)},
              QStringList{QStringLiteral("--omit=") + QString::fromLatin1(row.value),
                          QStringLiteral("a")}}) {
            const PlotCommandParse parse = ParsePlotCommand(arguments);
            ASSERT_TRUE(parse.Error.isEmpty()) << parse.Error.toStdString();
            EXPECT_EQ(parse.Command.Options.Omit, row.omit) << row.value;
        }
    }
    // The last --omit wins, as any option does; none by default.
    EXPECT_EQ(ParsePlotCommand({QStringLiteral("--omit=date"), QStringLiteral("--omit=file"),
                                QStringLiteral("a")})
                  .Command.Options.Omit,
              HeaderOmission{.File = true});
    EXPECT_FALSE(ParsePlotCommand({QStringLiteral("a")}).Command.Options.Omit.Any());
    EXPECT_EQ(ParsePlotCommand({QStringLiteral("a"), QStringLiteral("--omit=legend")}).Error,
              QStringLiteral("--omit takes date, file, mode or title, separated by commas, not "
                             "'legend'"));
}

TEST(ParsePlotCommand, EmptyValuesAndDoubleDash) {
    const PlotCommandParse parse =
        ParsePlotCommand({QStringLiteral("--title="), QStringLiteral("--file-name"),
                          QStringLiteral(""), QStringLiteral("--"), QStringLiteral("-odd")});
    ASSERT_TRUE(parse.Error.isEmpty()) << parse.Error.toStdString();
    EXPECT_EQ(parse.Command.Input, u"-odd");
    EXPECT_TRUE(parse.Command.Options.Title.isEmpty());
    EXPECT_TRUE(parse.Command.Options.FileName.isEmpty());
}

TEST(ParsePlotCommand, HelpAndVersionWinOverMissingInput) {
    EXPECT_TRUE(ParsePlotCommand({QStringLiteral("--help")}).Command.Help);
    EXPECT_TRUE(ParsePlotCommand({QStringLiteral("--fisher"), QStringLiteral("-h")}).Command.Help);
    // Read before the bad option after it could refuse the command line.
    const PlotCommandParse version =
        ParsePlotCommand({QStringLiteral("--version"), QStringLiteral("--bogus")});
    EXPECT_TRUE(version.Command.Version);
    EXPECT_FALSE(version.Command.Help);
    EXPECT_TRUE(version.Error.isEmpty()) << version.Error.toStdString();
}

TEST(ParsePlotCommand, ContourOptionsTakeTheirValues) {
    const PlotCommandParse parse =
        ParsePlotCommand({QStringLiteral("--contours"), QStringLiteral("exponential-kamb"),
                          QStringLiteral("--contour-sigma=2.5"),
                          QStringLiteral("--contour-levels=1,2.5,8"), QStringLiteral("data.txt")});
    ASSERT_TRUE(parse.Error.isEmpty()) << parse.Error.toStdString();
    const PlotOptions& options = parse.Command.Options;
    EXPECT_EQ(options.Contours, ContourMethod::ExponentialKamb);
    EXPECT_EQ(options.ContourSigma, 2.5);
    EXPECT_EQ(options.ContourLevels, (std::vector<double>{1.0, 2.5, 8.0}));
}

TEST(ParsePlotCommand, ProjectionTakesTheNetsNames) {
    const std::pair<QStringList, Projection> rows[] = {
        {{QStringLiteral("a")}, Projection::EqualArea},
        {{QStringLiteral("--projection"), QStringLiteral("equal-angle"), QStringLiteral("a")},
         Projection::EqualAngle},
        {{QStringLiteral("--projection=equal-angle"), QStringLiteral("--projection=equal-area"),
          QStringLiteral("a")},
         Projection::EqualArea},
    };
    for (const auto& [arguments, projection] : rows) {
        const PlotCommandParse parse = ParsePlotCommand(arguments);
        ASSERT_TRUE(parse.Error.isEmpty()) << parse.Error.toStdString();
        EXPECT_EQ(parse.Command.Options.NetProjection, projection)
            << arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(
        ParsePlotCommand({QStringLiteral("a"), QStringLiteral("--projection=Equal-angle")}).Error,
        QStringLiteral("--projection must be equal-area or equal-angle, not 'Equal-angle'"));
}

TEST(ParsePlotCommand, BadCommandLinesAreRefused) {
    const QStringList cases[] = {
        {},
        {QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("--fishr"), QStringLiteral("a")},
        {QStringLiteral("a"), QStringLiteral("--file-type")},
        {QStringLiteral("a"), QStringLiteral("--file-type"), QStringLiteral("11")},
        {QStringLiteral("a"), QStringLiteral("--file-type=-1")},
        {QStringLiteral("a"), QStringLiteral("--file-type=")},
        {QStringLiteral("a"), QStringLiteral("--plot-type"), QStringLiteral("3")},
        {QStringLiteral("a"), QStringLiteral("--plot-type"), QStringLiteral("1.0")},
        {QStringLiteral("a"), QStringLiteral("--error-circles"), QStringLiteral("+1")},
        {QStringLiteral("a"), QStringLiteral("--error-circles"), QStringLiteral(" 1")},
        {QStringLiteral("a"), QStringLiteral("--error-circles"), QStringLiteral("x")},
        {QStringLiteral("a"), QStringLiteral("--fisher=1")},
        {QStringLiteral("a"), QStringLiteral("-o")},
        {QStringLiteral("a"), QStringLiteral("-o"), QString()},
        {QStringLiteral("a"), QStringLiteral("--scale=0"), QStringLiteral("-o"),
         QStringLiteral("p.png")},
        {QStringLiteral("a"), QStringLiteral("--scale=9"), QStringLiteral("-o"),
         QStringLiteral("p.png")},
        {QStringLiteral("a"), QStringLiteral("--scale=2"), QStringLiteral("-o"),
         QStringLiteral("p.bmp")},
        {QStringLiteral("a"), QStringLiteral("--scale=2"), QStringLiteral("-o"),
         QStringLiteral("p.svg")},
        {QStringLiteral("a"), QStringLiteral("--scale=1")},
        {QStringLiteral("a"), QStringLiteral("--output=")},
        {QStringLiteral("a"), QStringLiteral("-o"), QStringLiteral("plot.gif")},
        {QStringLiteral("a"), QStringLiteral("-o"), QStringLiteral("plot")},
        {QStringLiteral("a"), QStringLiteral("-x")},
        // Values outside their ranges or not plain decimals.
        {QStringLiteral("a"), QStringLiteral("--bedding=90")},
        {QStringLiteral("a"), QStringLiteral("--bedding=90,95")},
        {QStringLiteral("a"), QStringLiteral("--bedding=400,20")},
        {QStringLiteral("a"), QStringLiteral("--bedding=90,20,5")},
        {QStringLiteral("a"), QStringLiteral("--bedding=90, 20")},
        {QStringLiteral("a"), QStringLiteral("--site=95,0")},
        {QStringLiteral("a"), QStringLiteral("--site=1e1,0")},
        {QStringLiteral("a"), QStringLiteral("--site=33,inf")},
        {QStringLiteral("a"), QStringLiteral("--site=33,-117,")},
        {QStringLiteral("a"), QStringLiteral("--site=.,1")},
        {QStringLiteral("a"), QStringLiteral("--polarity=1")},
        // Analyses that do not apply to what is plotted.
        {QStringLiteral("a"), QStringLiteral("--bedding=90,20"),
         QStringLiteral("--bedding-columns")},
        {QStringLiteral("a"), QStringLiteral("--bedding-columns"), QStringLiteral("--file-type=9")},
        {QStringLiteral("a"), QStringLiteral("--bedding=90,20"), QStringLiteral("--file-type=4")},
        {QStringLiteral("a"), QStringLiteral("--bedding=90,20"), QStringLiteral("--plot-type=1")},
        {QStringLiteral("a"), QStringLiteral("--bedding-columns"), QStringLiteral("--plot-type=2")},
        {QStringLiteral("a"), QStringLiteral("--site=33,-117"), QStringLiteral("--plot-type=2")},
        // Contours: a method of the three, sigma and levels above 0, and only with a
        // method they apply to.
        {QStringLiteral("a"), QStringLiteral("--contours=kamb1959")},
        {QStringLiteral("a"), QStringLiteral("--contour-sigma=3")},
        {QStringLiteral("a"), QStringLiteral("--contour-levels=2,4")},
        {QStringLiteral("a"), QStringLiteral("--contours=schmidt"),
         QStringLiteral("--contour-sigma=3")},
        {QStringLiteral("a"), QStringLiteral("--contours=kamb"),
         QStringLiteral("--contour-sigma=0")},
        {QStringLiteral("a"), QStringLiteral("--contours=kamb"),
         QStringLiteral("--contour-levels=2,0")},
        {QStringLiteral("a"), QStringLiteral("--contours=kamb"),
         QStringLiteral("--contour-levels=2,,4")},
        {QStringLiteral("a"), QStringLiteral("--omit")},
        {QStringLiteral("a"), QStringLiteral("--omit=")},
        {QStringLiteral("a"), QStringLiteral("--omit"), QStringLiteral("date,")},
        {QStringLiteral("a"), QStringLiteral("--omit"), QStringLiteral("Date")},
        {QStringLiteral("a"), QStringLiteral("--omit"), QStringLiteral("date, file")},
        {QStringLiteral("a"), QStringLiteral("--omit"), QStringLiteral("legend")},
        {QStringLiteral("a"), QStringLiteral("--projection")},
        {QStringLiteral("a"), QStringLiteral("--projection=")},
    };
    for (const QStringList& arguments : cases) {
        const PlotCommandParse parse = ParsePlotCommand(arguments);
        EXPECT_FALSE(parse.Error.isEmpty()) << arguments.join(u' ').toStdString();
        EXPECT_FALSE(parse.Command.Help);
    }
}

TEST(ImageFormatOf, SuffixInAnyCase) {
    struct Case {
        const char* path;
        ImageFormat format;
    };
    const Case cases[] = {
        {"a.bmp", ImageFormat::Bmp},      {"dir.png/A.BMP", ImageFormat::Bmp},
        {"a.Png", ImageFormat::Png},      {"/tmp/x.y.png", ImageFormat::Png},
        {"a.svg", ImageFormat::Svg},      {"B.PDF", ImageFormat::Pdf},
        {"a.gif", ImageFormat::None},     {"a", ImageFormat::None},
        {"a.bmp.txt", ImageFormat::None}, {"bmp", ImageFormat::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImageFormatOf(QString::fromLatin1(c.path)), c.format) << c.path;
}

} // namespace
