#include "plot_modes.h"

namespace {

// The north polar view is mirrored, so longitude 270 lies on its right. The
// south view's print text really lacks the space in "eq.area".
constexpr PlotModeTexts kModes[kPlotTypeCount] = {
    {u"Directions", u"Local coords", u"Local coords, eq. area, open=upper", u"N", u"E"},
    {u"VGPs, N polar view", u"North polar view", u"North polar view, eq. area, open=upper", u"0",
     u"270"},
    {u"VGPs, S polar view", u"South polar view", u"South polar view, eq.area, open=upper", u"0",
     u"90"},
};

} // namespace

const PlotModeTexts& PlotModeTextsOf(PlotType plotType) {
    const bool known = plotType >= 0 && plotType < kPlotTypeCount;
    return kModes[known ? plotType : 0];
}
