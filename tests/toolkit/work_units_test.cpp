#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "work_units.h"

namespace {

TEST(ForEachWorkUnit, EveryUnitOnceWhateverTheWorkers) {
    struct Row {
        std::size_t units;
        int workers;
    };
    const Row rows[] = {{0, 2}, {1, 4}, {5, 1}, {5, 0}, {37, 2}, {37, 3}, {3, 16}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.units << " units, " << r.workers << " workers");
        std::vector<std::atomic<int>> runs(r.units);
        ForEachWorkUnit(r.units, r.workers, [&](std::size_t unit) { runs[unit].fetch_add(1); });
        for (std::size_t u = 0; u < r.units; ++u) {
            EXPECT_EQ(runs[u].load(), 1) << "unit " << u;
        }
    }
}

// A fault in a unit on any thread reaches the caller once the units already
// claimed are done, and no unit starts after it.
TEST(ForEachWorkUnit, FaultReachesTheCaller) {
    for (const int workers : {1, 2, 4}) {
        SCOPED_TRACE(workers);
        std::atomic<int> done{0};
        EXPECT_THROW(ForEachWorkUnit(100, workers,
                                     [&](std::size_t unit) {
                                         if (unit == 7) {
                                             throw std::runtime_error("fault");
                                         }
                                         done.fetch_add(1);
                                     }),
                     std::runtime_error);
        EXPECT_LT(done.load(), 100);
    }
}

} // namespace
