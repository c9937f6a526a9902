#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <utility>

#include <QPoint>

#include <limits>

#include "angles.h"
#include "equal_area.h"
#include "plot_geometry.h"
#include "rounding.h"

namespace {

PlotGeometry ExampleGeometry() {
    return ComputePlotGeometry(553, 529, 13, 8);
}

TEST(PlotGeometryTest, ExampleImageGivesTheNetOfTheWindow) {
    const PlotGeometry g = ExampleGeometry();
    EXPECT_EQ(g.TextHeight, 13);
    EXPECT_EQ(g.TextWidthN, 8);
    EXPECT_EQ(g.Radius, 214);
    EXPECT_EQ(g.CentreX, 235);
    EXPECT_EQ(g.CentreY, 274);
    EXPECT_DOUBLE_EQ(g.MarkSize, 13.0 / 856.0);
    EXPECT_DOUBLE_EQ(g.CrossSize, 26.0 / 856.0);
}

TEST(PlotGeometryTest, SizesFollowTheSmallerSideAndTheTextHeight) {
    // Worked by hand: 600x600, h 15: halfLine 8, (600 - 68) / 2.2 = 241.8 -> 242,
    // CentreX rounded(266.2) = 266, CentreY rounded(300 + 11.25) = 311.
    const PlotGeometry a = ComputePlotGeometry(600, 600, 15, 9);
    EXPECT_EQ(a.Radius, 242);
    EXPECT_EQ(a.CentreX, 266);
    EXPECT_EQ(a.CentreY, 311);
    // 529 wide, 553 high: the side is 529 again, the centre follows the height.
    const PlotGeometry b = ComputePlotGeometry(529, 553, 13, 8);
    EXPECT_EQ(b.Radius, 214);
    EXPECT_EQ(b.CentreY, 286); // rounded(276.5 + 9.75) = rounded(286.25)
    // 400x300, h 10: halfLine 5, (300 - 45) / 2.2 = 115.9 -> 116, CentreX
    // rounded(127.6) = 128, CentreY rounded(150 + 7.5) = 158 (157.5 to even).
    const PlotGeometry c = ComputePlotGeometry(400, 300, 10, 7);
    EXPECT_EQ(c.Radius, 116);
    EXPECT_EQ(c.CentreX, 128);
    EXPECT_EQ(c.CentreY, 158);
}

TEST(PlotGeometryTest, TooSmallImageKeepsAFiniteMarkSize) {
    const PlotGeometry g = ComputePlotGeometry(20, 20, 13, 8);
    EXPECT_EQ(g.Radius, 1);
    EXPECT_DOUBLE_EQ(g.MarkSize, 13.0 / 4.0);
}

TEST(PlotExtentTest, ExampleExtent) {
    const PlotExtent e = ComputePlotExtent(ExampleGeometry(), 27);
    EXPECT_EQ(e.Left, 21);
    EXPECT_EQ(e.Right, 477);
    EXPECT_EQ(e.Bottom, 489);
}

TEST(PixelMappingTest, RoundsTheProductHalvesToEvenBeforeAddingTheCentre) {
    PlotGeometry g;
    g.Radius = 2;
    g.CentreX = 235;
    g.CentreY = 274;
    struct Row {
        double unit;
        int x;
        int y;
    };
    const Row rows[] = {
        {1.25, 237, 272},  // product 2.5 -> 2 (the sum 237.5 would give 238)
        {1.75, 239, 270},  // 3.5 -> 4
        {-1.25, 233, 276}, // -2.5 -> -2
        {0.25, 235, 274},  // 0.5 -> 0
        {0.75, 237, 272},  // 1.5 -> 2
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.unit);
        EXPECT_EQ(UnitToPixelX(g, r.unit), r.x);
        EXPECT_EQ(UnitToPixelY(g, r.unit), r.y);
    }
}

TEST(RoundingTest, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(6.5), 6);
    EXPECT_EQ(RoundHalfEven(19.5), 20);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.5000000001), 3);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(RoundHalfEven(0.49999999999999994), 0); // floor(v + 0.5) gives 1
    EXPECT_EQ(RoundHalfEven(-1073741823.5), -1073741824);
    EXPECT_GT(RoundHalfEven(1e300), 1000000000);
    EXPECT_LT(RoundHalfEven(-1e300), -1000000000);
    EXPECT_GT(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), 1000000000);
}

struct PixelRow {
    double dec;
    double inc;
    int x;
    int y;
};

QPoint PixelOf(const PlotGeometry& g, double dec, double inc, PlotType type) {
    const NetPoint p = ProjectEqualArea(dec, inc, type);
    return {UnitToPixelX(g, p.x), UnitToPixelY(g, p.y)};
}

TEST(ProjectionTest, ExamplePixelsForDeclination10) {
    const PlotGeometry g = ExampleGeometry();
    const PixelRow rows[] = {
        {10, 0, 272, 63},    {10, 30, 261, 125},  {10, 60, 249, 197},
        {10, 120, 221, 351}, {10, 200, 205, 445},
    };
    for (const PixelRow& r : rows) {
        SCOPED_TRACE(r.inc);
        EXPECT_EQ(PixelOf(g, r.dec, r.inc, 0), QPoint(r.x, r.y));
    }
}

TEST(ProjectionTest, SpecialDirections) {
    const PlotGeometry g = ExampleGeometry();
    const QPoint centre(g.CentreX, g.CentreY);
    for (double dec : {0.0, 37.0, 180.0, 359.0}) {
        for (PlotType type : {0, 1, 2}) {
            EXPECT_EQ(PixelOf(g, dec, 90, type), centre);
            EXPECT_EQ(PixelOf(g, dec, -90, type), centre);
        }
    }
    EXPECT_EQ(PixelOf(g, 0, 0, 0), QPoint(235, 274 - 214));
    EXPECT_EQ(PixelOf(g, 90, 0, 0), QPoint(235 + 214, 274));
    EXPECT_EQ(PixelOf(g, 90, 0, 2), QPoint(235 + 214, 274));
    EXPECT_EQ(PixelOf(g, 90, 0, 1), QPoint(235 - 214, 274)); // mirrored
    // inc 180 is not reduced: the opposite azimuth on the primitive circle.
    EXPECT_EQ(PixelOf(g, 0, 180, 0), QPoint(235, 274 + 214));
}

TEST(ProjectionTest, EquivalentDirectionsLandOnTheSamePoint) {
    struct Pair {
        double dec1, inc1, dec2, inc2;
    };
    const Pair pairs[] = {
        {25, 30, 25, -30},    // the hemisphere shows only in the mark
        {10, 120, 190, 60},   // past the vertical: the opposite azimuth
        {10, 200, 190, -20},  // reduced to 180 - inc, dec + 180
        {350, 200, 170, -20}, // 530 is brought back below 360
    };
    for (const Pair& p : pairs) {
        SCOPED_TRACE(p.dec1);
        for (PlotType type : {0, 1, 2}) {
            const NetPoint a = ProjectEqualArea(p.dec1, p.inc1, type);
            const NetPoint b = ProjectEqualArea(p.dec2, p.inc2, type);
            EXPECT_NEAR(a.x, b.x, 1e-12);
            EXPECT_NEAR(a.y, b.y, 1e-12);
        }
    }
}

TEST(ProjectionTest, DecimalFactorKeepsTheHorizonJustInside) {
    const NetPoint p = ProjectEqualArea(0, 0, 0);
    EXPECT_DOUBLE_EQ(p.x, 0.0);
    EXPECT_LT(p.y, 1.0);
    EXPECT_NEAR(p.y, 0.99999999999781, 1e-14);
}

TEST(ProjectionTest, UnreducibleTrigonometryGivesTheCentre) {
    // Arguments beyond 2^63 radians read as sine and cosine 0 (the
    // inclination's argument is halved before the cosine).
    const NetPoint p = ProjectEqualArea(1e21, 20, 0);
    EXPECT_EQ(p.x, 0.0);
    EXPECT_EQ(p.y, 0.0);
    const NetPoint q = ProjectEqualArea(30, -1e22, 0);
    EXPECT_EQ(q.x, 0.0);
    EXPECT_EQ(q.y, 0.0);
}

// Radii from the definitions: equal area sqrt(2) sin(t/2), equal angle (Wulff)
// tan(t/2), t the angle from the centre; and every point read back as the
// direction it shows.
TEST(ProjectionTest, EqualAngleRadiiAndBothNetsReadBack) {
    struct Row {
        double dec, inc;
        int plotType;
        double equalAngleR; // tan((90 - |inc|) / 2)
    };
    const Row rows[] = {
        {0.0, 90.0, 0, 0.0},
        {45.0, 30.0, 0, 0.57735026918962573},   // tan 30
        {200.0, -30.0, 0, 0.57735026918962573}, // the upper hemisphere alike
        {120.0, 60.0, 1, 0.26794919243112270},  // tan 15, mirrored
        {300.0, 0.0, 2, 1.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dec);
        const NetPoint angle =
            ProjectDirection(row.dec, row.inc, row.plotType, Projection::EqualAngle);
        EXPECT_NEAR(std::hypot(angle.x, angle.y), row.equalAngleR, 1e-15);
        const double side = row.plotType == 1 ? -1.0 : 1.0;
        EXPECT_NEAR(std::atan2(side * angle.x, angle.y), std::remainder(row.dec, 360.0) * kDegToRad,
                    1e-12);
        const NetPoint area =
            ProjectDirection(row.dec, row.inc, row.plotType, Projection::EqualArea);
        const NetPoint plain = ProjectEqualArea(row.dec, row.inc, row.plotType);
        EXPECT_EQ(area.x, plain.x);
        EXPECT_EQ(area.y, plain.y);
        for (const auto& [projection, p] :
             {std::pair{Projection::EqualArea, area}, std::pair{Projection::EqualAngle, angle}}) {
            const std::optional<IncDec> back = DirectionAtNetPoint(p, row.plotType, projection);
            ASSERT_TRUE(back.has_value());
            EXPECT_NEAR(back->Inc, std::fabs(row.inc), 1e-6);
            if (row.inc != 90.0) {
                EXPECT_NEAR(back->Dec, row.dec, 1e-9);
            }
        }
    }
    EXPECT_FALSE(DirectionAtNetPoint({0.8, 0.7}, 0, Projection::EqualAngle).has_value());
}

} // namespace
