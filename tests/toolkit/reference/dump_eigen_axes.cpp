// Writes orientation tensors, and what EigenAxes makes of them, for
// great_circle_reference.py: with "rows" those of the test table and of the
// published examples, else those of the generated hard data sets of kappa 1e5
// to 1e8 and nearly isotropic (seed and sets per family as arguments). Kept out of the build;
// compile it against a built toolkit library (see the script).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fisher.h"
#include "floating_point_fault.h"
#include "great_circle.h"
#include "great_circle_rows.h"
#include "hard_data_sets.h"
#include "sums_of.h"

namespace {

void Dump(const char* name, const std::vector<std::pair<double, double>>& decInc) {
    const OrientationTensor t = OrientationTensorOf(SumsOf(decInc));
    std::printf("%s|%a %a %a %a %a %a|", name, t[0], t[1], t[2], t[4], t[5], t[8]);
    try {
        const std::array<EigenAxis, 3> axes = EigenAxes(t);
        std::printf("axes");
        for (const EigenAxis& a : axes) {
            std::printf(" %.17g %.17g %.17g", a.Dec, a.Inc, a.Value);
        }
        std::printf("\n");
    } catch (const FloatingPointFault& e) {
        std::printf("fault %s\n", e.what());
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "rows") == 0) {
        for (const ReferenceRow& row : GreatCircleReferenceRows()) {
            Dump(row.name, row.decInc);
        }
        Dump("published: five data", {{10, 20}, {60, 35}, {110, 30}, {160, 10}, {200, -15}});
        Dump("published: great circle of pole (30, 45)", {{350.7685, -37.7612},
                                                          {69.2315, -37.7612},
                                                          {120, 0},
                                                          {170.7685, 37.7612},
                                                          {249.2315, 37.7612}});
        Dump("published: close to the horizontal plane", {{0, 10}, {40, 12}, {80, -5}, {130, 3}});
        return 0;
    }
    const auto seed =
        static_cast<std::uint32_t>(argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 13);
    const int perFamily = argc > 2 ? std::atoi(argv[2]) : 1000;
    for (const HardDataSet& set : HardDataSets(seed, perFamily, 5)) {
        Dump(set.family.c_str(), set.decInc);
    }
}
