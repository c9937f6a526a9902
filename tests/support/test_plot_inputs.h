#pragma once

#include "line_view.h"
#include "plot_pass.h"

// The one way tests and benchmarks build what a plot pass reads: the window's
// sizes and font metric, the date "1/2/26" and a full stop, whatever the
// machine's locale, so that pictures and texts never depend on the day.
inline PlotEnvironment TestPlotEnvironment() {
    PlotEnvironment environment;
    environment.Today = QStringLiteral("1/2/26");
    return environment;
}

inline PlotInputs TestPlotInputs(const LineView& lines, PlotOptions options = {}) {
    PlotInputs inputs;
    inputs.Lines = &lines;
    inputs.Options = std::move(options);
    inputs.Environment = TestPlotEnvironment();
    return inputs;
}
