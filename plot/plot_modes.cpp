#include "plot_modes.h"

namespace {

// The north polar view is mirrored, so longitude 270 lies on its right. The
// south view's equal-area print text really lacks the space in "eq.area".
// The last row of each net is that of tilt-corrected directions.
constexpr PlotModeTexts kModes[2][kPlotTypeCount + 1] = {
    {
        {u"Directions", u"Equal area", u"Local coords", u"Local coords, eq. area, open=upper", u"N",
         u"E"},
        {u"VGPs, N polar view", u"Equal area", u"North polar view",
         u"North polar view, eq. area, open=upper", u"0", u"270"},
        {u"VGPs, S polar view", u"Equal area", u"South polar view",
         u"South polar view, eq.area, open=upper", u"0", u"90"},
        {u"Directions", u"Equal area", u"Tilt corrected", u"Tilt corrected, eq. area, open=upper",
         u"N", u"E"},
    },
    {
        {u"Directions", u"Equal angle", u"Local coords", u"Local coords, eq. angle, open=upper",
         u"N", u"E"},
        {u"VGPs, N polar view", u"Equal angle", u"North polar view",
         u"North polar view, eq. angle, open=upper", u"0", u"270"},
        {u"VGPs, S polar view", u"Equal angle", u"South polar view",
         u"South polar view, eq. angle, open=upper", u"0", u"90"},
        {u"Directions", u"Equal angle", u"Tilt corrected", u"Tilt corrected, eq. angle, open=upper",
         u"N", u"E"},
    },
};

} // namespace

const PlotModeTexts& PlotModeTextsOf(PlotType plotType, bool tiltCorrected, Projection projection) {
    const bool known = plotType >= 0 && plotType < kPlotTypeCount;
    const int row = known ? plotType : 0;
    const int net = projection == Projection::EqualAngle ? 1 : 0;
    return kModes[net][row == 0 && tiltCorrected ? kPlotTypeCount : row];
}
