#include <gtest/gtest.h>

#include <cstdint>

#include "xoshiro256.h"

namespace {

TEST(Xoshiro256StarStar, FollowsThePublishedDefinition) {
    // tests/toolkit/reference/xoshiro256_reference.py: the published
    // algorithms in Python integers. Outputs 1, 2, 3 and 1000.
    struct Case {
        std::uint64_t seed;
        std::uint64_t first, second, third, thousandth;
    };
    const Case cases[] = {
        {0, 11091344671253066420u, 13793997310169335082u, 1900383378846508768u,
         8839594410463124783u},
        {1990, 13690210132719740864u, 500945359760561097u, 10545978867963908587u,
         12499582172872463372u},
        {18446744073709551615u, 10328197420357168392u, 14156678507024973869u, 9357971779955476126u,
         14107876189559600332u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seed);
        Xoshiro256StarStar generator(c.seed);
        EXPECT_EQ(generator.Next(), c.first);
        EXPECT_EQ(generator.Next(), c.second);
        EXPECT_EQ(generator.Next(), c.third);
        for (int i = 4; i < 1000; ++i) {
            generator.Next();
        }
        EXPECT_EQ(generator.Next(), c.thousandth);
    }
}

} // namespace
