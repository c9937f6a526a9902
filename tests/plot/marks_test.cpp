#include <gtest/gtest.h>

#include <functional>

#include "marks.h"
#include "plot_geometry.h"
#include "recording_canvas.h"

namespace {

using Line = RecordingCanvas::Line;
using MarkFunction = std::function<void(Canvas&, const PlotGeometry&, double, double, double)>;

struct MarkRow {
    const char* name;
    MarkFunction draw;
    std::vector<Line> lines; // at the centre of the example net
};

// Example net: Radius 214, centre (235, 274); MarkSize 13/856 is 3.25 pixels,
// which rounds to 3.
TEST(MarksTest, SegmentsInDrawingOrder) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    const MarkRow rows[] = {
        {"square",
         DrawSquareMark,
         {{{238, 271}, {238, 277}},
          {{238, 277}, {232, 277}},
          {{232, 277}, {232, 271}},
          {{232, 271}, {238, 271}}}},
        {"diamond",
         DrawDiamondMark,
         {{{238, 274}, {235, 271}},
          {{235, 271}, {232, 274}},
          {{232, 274}, {235, 277}},
          {{235, 277}, {238, 274}}}},
        {"x", DrawXMark, {{{238, 271}, {232, 277}}, {{232, 271}, {238, 277}}}},
        {"plus", DrawPlusMark, {{{235, 271}, {235, 277}}, {{232, 274}, {238, 274}}}},
    };
    for (const MarkRow& r : rows) {
        SCOPED_TRACE(r.name);
        RecordingCanvas canvas;
        r.draw(canvas, g, 0.0, 0.0, g.MarkSize);
        EXPECT_EQ(canvas.Lines(), r.lines);
    }
}

TEST(MarksTest, CornersAreRoundedOneByOne) {
    // Radius 4 and s = 0.375 (1.5 pixels): at x = 0 the corners are at
    // rounded(+-1.5) = +-2, at x = 0.125 at rounded(2) = 2 and rounded(-1) = -1,
    // so the same mark is a pixel narrower there.
    PlotGeometry g;
    g.Radius = 4;
    g.CentreX = 100;
    g.CentreY = 100;
    struct Row {
        double x;
        int right;
        int left;
    };
    for (const Row& r : {Row{0.0, 102, 98}, Row{0.125, 102, 99}}) {
        SCOPED_TRACE(r.x);
        RecordingCanvas canvas;
        DrawSquareMark(canvas, g, r.x, 0.0, 0.375);
        const std::vector<Line> lines = canvas.Lines();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0].from.x(), r.right);
        EXPECT_EQ(lines[1].to.x(), r.left);
    }
}

TEST(MarksTest, UnitLineMapsBothEnds) {
    const PlotGeometry g = ComputePlotGeometry(553, 529, 13, 8);
    RecordingCanvas canvas;
    DrawUnitLine(canvas, g, -1.0, 1.0, 0.5, -0.5);
    EXPECT_EQ(canvas.Lines(), (std::vector<Line>{{{21, 60}, {342, 381}}}));
}

} // namespace
