#include <gtest/gtest.h>

#include <cmath>

#include "tilt_correction.h"

namespace {

TEST(TiltCorrectedDirection, MatchesTheReference) {
    // The first row is the published example (four decimals); the others are
    // from tests/toolkit/reference/tilt_correction_reference.py (Rodrigues'
    // formula at 30 digits). Vertical results have no declination to compare.
    struct Case {
        const char* name;
        double dec, inc, dipDirection, dip;
        double correctedDec, correctedInc, tolerance;
    };
    const Case cases[] = {
        {"published", 91.2, 43.1, 90, 20, 90.9526, 23.1034, 0.5e-4},
        {"flat bed", 0, 0, 0, 0, 0, 0, 1e-12},
        {"flat bed, upward", 200, -35, 0, 0, 200, -35, 1e-12},
        {"line in the bed, down dip side", 60, 36.005214818786534, 30, 40, 53.8586547985, 0, 1e-9},
        {"line in the bed, up dip side", 250, -32.73240720961235, 30, 40, 242.73240721, 0, 1e-9},
        {"pole of the bed becomes vertical", 210, 50, 30, 40, NAN, 90, 1e-9},
        {"vertical bed", 315, -60, 135, 90, 315, 30, 1e-9},
        {"overturned bed", 10, 30, 300, 120, 10.7046572647, -30.4319803182, 1e-9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IncDec d = TiltCorrectedDirection(c.dec, c.inc, c.dipDirection, c.dip);
        if (!std::isnan(c.correctedDec)) {
            EXPECT_NEAR(d.Dec, c.correctedDec, c.tolerance);
        }
        EXPECT_NEAR(d.Inc, c.correctedInc, c.tolerance);
    }
}

} // namespace
