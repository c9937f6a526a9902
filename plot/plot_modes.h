#pragma once

#include <QString>

#include "equal_area.h"

inline constexpr int kPlotTypeCount = 3;

// Every text that names what a net shows, by plot type and net: the
// selector's item, the frame's net and mode names and axis labels, and the
// printout's mode line.
struct PlotModeTexts {
    const char16_t* SelectorCaption; // "Directions"
    const char16_t* NetName;         // "Equal area", first in the frame's mode line
    const char16_t* ModeName;        // "Local coords", in the frame's mode line
    const char16_t* PrintMode;       // the printout's mode line before "  File: "
    const char16_t* TopLabel;
    const char16_t* RightLabel;
};

// The texts of plotType 0, 1 or 2 in the projection's net; any other type
// reads as 0. Tilt-corrected directions (plot type 0 only; the polar views
// ignore the flag) name their coordinates "Tilt corrected" where the others
// say "Local coords".
const PlotModeTexts& PlotModeTextsOf(PlotType plotType, bool tiltCorrected = false,
                                     Projection projection = Projection::EqualArea);

inline QString ModeText(const char16_t* text) {
    return QString::fromUtf16(text);
}
