#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

struct PlotInputs;
struct PlotReport;

// Both take the data file as named on the command line ("-" for standard
// input), the inputs of the pass and its report.

// Most lines reported as not read; the rest are counted in one more line.
inline constexpr int kMaxUnreadReports = 100;

// Most lines listed as rejected in the JSON object; the rest are counted.
inline constexpr int kMaxJsonRejected = 10000;

// One line per line the pass did not read, "FILE:LINE: not read: REASON" (the
// form editors jump to), at most maxReports of them, then "FILE: N more
// lines not read" when there were more. Standard input is named "<stdin>"
// (InputName).
QStringList UnreadLineReports(const QString& file, const PlotInputs& inputs,
                              const PlotReport& report, int maxReports = kMaxUnreadReports);

// The results as one JSON object, ending in a line break: file (as text,
// FileNameText), file_type, plot_type, data, rejected (the first maxRejected
// lines not read, with line and reason) and rejected_more (the count of the
// rest, only when there are more), fisher (dec, inc, R, k, a95; an infinite
// k as "INF") and great_circle (dec, inc, eigenvalue, axes: three of dec,
// inc, value, largest first) when they were computed, fault when one ended
// the pass, and the analyses' members (AddAnalysisJson). Numbers keep full
// double precision: the shortest text that reads back as the same double.
// DEL and the C1 controls are escaped (\u007f, \u0080 to \u009f) like the
// C0 controls, so that the text is safe on a terminal.
QByteArray ResultJson(const QString& file, const PlotInputs& inputs, const PlotReport& report,
                      int maxRejected = kMaxJsonRejected);
