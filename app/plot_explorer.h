#pragma once

#include <QChar>
#include <QObject>
#include <QPoint>

#include <optional>
#include <vector>

#include "equal_area.h"
#include "mark_finder.h"
#include "plot_geometry.h"
#include "plot_pass.h"

class ImageView;
class QLabel;
class QPlainTextEdit;

// Lets the user explore the plot in the view with what the last pass
// reported, never redrawing it: the read-out label names the direction under
// the pointer, or the mark there with its editor line; a click on a mark puts
// the editor's cursor at the start of its line; the editor's cursor on a
// datum's line rings its mark (drawn by the view, over the raster).
//
// The marks belong to the last pass: an edit of the text unties them from
// the editor's lines (no ring, no line in the read-out, no jump) until the
// next pass, since the lines the pass numbered may have moved.
class PlotExplorer : public QObject {
    Q_OBJECT

public:
    // Watches view's pointer and editor's cursor and writes readout; all three
    // must outlive this. Sets the view's mouse tracking.
    PlotExplorer(ImageView& view, QPlainTextEdit& editor, QLabel& readout);

    // Takes the plot the pass that just ran drew into the view: report's
    // points and net, drawn under options' plot type, file type and
    // projection; numbers are written with separator. The ring and the
    // read-out follow at once.
    void Follow(const PlotReport& report, const PlotOptions& options, QChar separator);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The datum whose mark is at a view pixel; nothing while the marks are
    // untied. The finder is built on the first call after a pass.
    const PlottedDatum* MarkAt(QPoint pixel);
    // The datum read from a 1-based line, if the last pass read one there.
    const PlottedDatum* DatumOfLine(int line) const;
    QString ReadoutAt(QPoint pixel);
    void ShowReadout();
    void RingCursorLine();
    void Untie();

    ImageView& view_;
    QPlainTextEdit& editor_;
    QLabel& readout_;
    std::vector<PlottedDatum> points_; // in line order, as the pass reads
    PlotGeometry geometry_;
    int plotType_ = 0;
    int fileType_ = 0;
    Projection projection_ = Projection::EqualArea;
    QChar separator_ = u'.';
    bool tied_ = false;
    MarkFinder finder_;
    bool finderBuilt_ = false;
    std::optional<QPoint> pointer_; // the view pixel under the pointer
};
