#include "plot_modes.h"

namespace {

// The north polar view is mirrored, so longitude 270 lies on its right. The
// south view's print text really lacks the space in "eq.area". The last row
// is that of tilt-corrected directions.
constexpr PlotModeTexts kModes[kPlotTypeCount + 1] = {
    {u"Directions", u"Local coords", u"Local coords, eq. area, open=upper", u"N", u"E"},
    {u"VGPs, N polar view", u"North polar view", u"North polar view, eq. area, open=upper", u"0",
     u"270"},
    {u"VGPs, S polar view", u"South polar view", u"South polar view, eq.area, open=upper", u"0",
     u"90"},
    {u"Directions", u"Tilt corrected", u"Tilt corrected, eq. area, open=upper", u"N", u"E"},
};

} // namespace

const PlotModeTexts& PlotModeTextsOf(PlotType plotType, bool tiltCorrected) {
    const bool known = plotType >= 0 && plotType < kPlotTypeCount;
    const int row = known ? plotType : 0;
    return kModes[row == 0 && tiltCorrected ? kPlotTypeCount : row];
}
