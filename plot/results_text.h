#pragma once

#include <QString>

struct PlotInputs;
struct PlotReport;

// Every number of a plot pass as text a person reads and copies, the twin of
// quorvex-plot's JSON: the same sections in the same order (the file and what
// was plotted, the data read, every line not read with its reason, the tilt
// correction, the Fisher mean, the eigen axes, the polarities, the reversal
// test, the site's pole, the fault, and every plotted datum), each present
// where the JSON has it. Angles are written to 0.01 degree, R and the
// eigenvalues to 0.0001, k to 0.01 ("INF" when infinite), V_w to 0.001, all
// with the environment's decimal separator; a value that does not exist reads
// "n/a". Lines end in a line feed. inputs.Lines must be the lines of the pass
// that filled report.
QString ResultsText(const PlotInputs& inputs, const PlotReport& report);
