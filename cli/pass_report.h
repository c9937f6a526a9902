#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class LineView;
struct PlotReport;

// What one pass of quorvex-plot read and computed, and the fault that ended
// it (empty when none), in the terms of its command line.
struct PassSummary {
    QString File; // the data file as named, "-" for standard input
    int FileType = 0;
    int PlotType = 0;
    QChar DecimalSeparator = u'.';
    const PlotReport* Report = nullptr;
    const LineView* Lines = nullptr;
    QString Fault;
};

// Most lines reported as not read; the rest are counted in one more line.
inline constexpr int kMaxUnreadReports = 100;

// One line per line the pass did not read, "FILE:LINE: not read: REASON" (the
// form editors jump to), at most maxReports of them, then "FILE: N more
// lines not read" when there were more. Standard input is named "<stdin>".
QStringList UnreadLineReports(const PassSummary& pass, int maxReports = kMaxUnreadReports);

// The results as one JSON object, ending in a line break: file, file_type,
// plot_type, data, rejected (every line not read, with line and reason),
// fisher (dec, inc, R, k, a95; an infinite k as "INF") and great_circle (dec,
// inc, eigenvalue, axes: three of dec, inc, value, largest first) when they
// were computed, and fault when one ended the pass. Numbers keep full double
// precision: the shortest text that reads back as the same double.
QByteArray ResultJson(const PassSummary& pass);
