#pragma once

class QJsonObject;
struct PlotInputs;
struct PlotReport;

// Adds to the JSON result of a pass what the analyses give, each member only
// where the pass computed it (numbers at full precision, an infinite k as
// "INF", a value that does not exist as null):
//   projection: "equal-angle" for the equal-angle net, absent for the
//     equal-area one;
//   points: always, every plotted datum as {line, dec, inc}, in the plotted
//     coordinates (a plane's pole, after the tilt correction);
//   tilt_correction: where one was made, {source: "single", dip_direction,
//     dip} or {source: "per_line"};
//   polarity: {normal, reversed, combined}, each {n, dec, inc, R, k, a95};
//   reversal_test: {available: true, V_w, V_critical, gamma, gamma_critical,
//     classification, simulations}, or {available: false, reason};
//   vgp: {available: true, lat, lon, dp, dm, paleolatitude}, or
//     {available: false, reason}.
void AddAnalysisJson(QJsonObject& result, const PlotInputs& inputs, const PlotReport& report);
