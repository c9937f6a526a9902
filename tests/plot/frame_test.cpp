#include <gtest/gtest.h>

#include "frame.h"
#include "plot_geometry.h"
#include "plot_modes.h"
#include "recording_canvas.h"

namespace {

using Kind = RecordingCanvas::Kind;
using Line = RecordingCanvas::Line;
using Text = RecordingCanvas::Text;

PlotGeometry Example() {
    return ComputePlotGeometry(553, 529, 13, 8);
}

TEST(FrameTest, ExamplePositionsAndOrder) {
    RecordingCanvas canvas;
    DrawFrame(canvas, Example(), PlotModeTextsOf(0), QStringLiteral("Site 7"),
              QStringLiteral("/data/a.txt"), QStringLiteral("12/8/26"));
    EXPECT_EQ(canvas.Kinds(), (std::vector<Kind>{Kind::Text, Kind::Text, Kind::Text, Kind::Ellipse,
                                                 Kind::Text, Kind::Text}));
    EXPECT_EQ(canvas.Texts(),
              (std::vector<Text>{
                  {21, 21, QStringLiteral("Site 7   12/8/26")},
                  {21, 501, QStringLiteral("     Equal area, Local coords, Open=upper hemi")},
                  {21, 514, QStringLiteral("     File: /data/a.txt")},
                  {231, 40, QStringLiteral("N")},
                  {458, 268, QStringLiteral("E")},
              }));
    const RecordingCanvas::Op& ellipse = canvas.ops[3];
    EXPECT_EQ(ellipse.a, 21);
    EXPECT_EQ(ellipse.b, 60);
    EXPECT_EQ(ellipse.c, 450);
    EXPECT_EQ(ellipse.d, 489);
}

// Tilt correction renames the local coordinates only; the polar views keep
// their names.
TEST(FrameTest, TextsPerPlotType) {
    struct Row {
        int plotType;
        bool tiltCorrected;
        const char* mode;
        const char* top;
        const char* right;
    };
    const Row rows[] = {
        {0, false, "     Equal area, Local coords, Open=upper hemi", "N", "E"},
        {1, false, "     Equal area, North polar view, Open=upper hemi", "0", "270"},
        {2, false, "     Equal area, South polar view, Open=upper hemi", "0", "90"},
        {0, true, "     Equal area, Tilt corrected, Open=upper hemi", "N", "E"},
        {1, true, "     Equal area, North polar view, Open=upper hemi", "0", "270"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.plotType);
        RecordingCanvas canvas;
        DrawFrame(canvas, Example(), PlotModeTextsOf(r.plotType, r.tiltCorrected), QString(),
                  QString(), QStringLiteral("1/2/03"));
        const std::vector<Text> texts = canvas.Texts();
        ASSERT_EQ(texts.size(), 5u);
        EXPECT_EQ(texts[0].text, QStringLiteral("   1/2/03")); // empty title
        EXPECT_EQ(texts[1].text, QString::fromLatin1(r.mode));
        EXPECT_EQ(texts[2].text, QStringLiteral("     File: ")); // empty file name
        // "0" is placed with the width of "N", as "N" is.
        EXPECT_EQ(texts[3], (Text{231, 40, QString::fromLatin1(r.top)}));
        EXPECT_EQ(texts[4], (Text{458, 268, QString::fromLatin1(r.right)}));
    }
}

// Each header part left out on its own and all together: the rest keep their
// places, the net and its labels stay.
TEST(FrameTest, OmittedHeaderPartsAreNotDrawn) {
    const Text title{21, 21, QStringLiteral("Site 7   12/8/26")};
    const Text mode{21, 501, QStringLiteral("     Equal area, Local coords, Open=upper hemi")};
    const Text file{21, 514, QStringLiteral("     File: /data/a.txt")};
    const Text n{231, 40, QStringLiteral("N")};
    const Text e{458, 268, QStringLiteral("E")};
    const struct {
        HeaderOmission omit;
        std::vector<Text> texts;
    } rows[] = {
        {{.Date = true}, {{21, 21, QStringLiteral("Site 7")}, mode, file, n, e}},
        {{.Title = true}, {{21, 21, QStringLiteral("12/8/26")}, mode, file, n, e}},
        {{.Date = true, .Title = true}, {mode, file, n, e}},
        {{.Mode = true}, {title, file, n, e}},
        {{.File = true}, {title, mode, n, e}},
        {{.Date = true, .File = true, .Mode = true, .Title = true}, {n, e}},
    };
    for (const auto& row : rows) {
        RecordingCanvas canvas;
        DrawFrame(canvas, Example(), PlotModeTextsOf(0), QStringLiteral("Site 7"),
                  QStringLiteral("/data/a.txt"), QStringLiteral("12/8/26"), row.omit);
        EXPECT_EQ(canvas.Texts(), row.texts);
        EXPECT_EQ(canvas.IndexOf(Kind::Ellipse), static_cast<int>(row.texts.size()) - 2);
    }
}

TEST(FrameTest, LabelOffsetsRoundHalvesToEven) {
    // h 15: the top label stands rounded(22.5) = 22 above the circle, the
    // right label rounded(7.5) = 8 above the diameter; w 7 centres it by
    // rounded(3.5) = 4.
    PlotGeometry g;
    g.TextHeight = 15;
    g.TextWidthN = 7;
    g.Radius = 200;
    g.CentreX = 220;
    g.CentreY = 300;
    RecordingCanvas canvas;
    DrawFrame(canvas, g, PlotModeTextsOf(0), QString(), QString(), QString());
    const std::vector<Text> texts = canvas.Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0].y, 300 - 200 - 45);
    EXPECT_EQ(texts[1].y, 515);
    EXPECT_EQ(texts[2].y, 530);
    EXPECT_EQ(texts[3].x, 216);
    EXPECT_EQ(texts[3].y, 300 - 200 - 22);
    EXPECT_EQ(texts[4].x, 220 + 200 + 1 + 7);
    EXPECT_EQ(texts[4].y, 292);
}

TEST(FrameTest, CentreCrossAndTicks) {
    // CrossSize is 6.5 pixels at the example size, which rounds to 6; the
    // ticks end at 214 - 6.5 = 207.5, which rounds to 208.
    RecordingCanvas canvas;
    DrawCentreCross(canvas, Example());
    DrawTicks(canvas, Example());
    EXPECT_EQ(canvas.Lines(), (std::vector<Line>{
                                  {{229, 274}, {241, 274}}, // cross, horizontal
                                  {{235, 280}, {235, 268}}, // cross, vertical
                                  {{21, 274}, {27, 274}},   // west tick
                                  {{449, 274}, {443, 274}}, // east
                                  {{235, 488}, {235, 482}}, // south
                                  {{235, 60}, {235, 66}},   // north
                              }));
}

} // namespace
