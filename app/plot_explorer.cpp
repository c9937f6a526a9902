#include "plot_explorer.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

#include "image_view.h"
#include "pointer_readout.h"

namespace {

// The ring clears the mark it surrounds by a few pixels.
constexpr int kRingClearance = 3;

// A view pixel spans [x, x + 1): the pixel under the pointer is the floor of
// its position.
QPoint PixelOf(const QMouseEvent& event) {
    const QPointF at = event.position();
    return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
}

} // namespace

PlotExplorer::PlotExplorer(ImageView& view, QPlainTextEdit& editor, QLabel& readout)
    : QObject(&view), view_(view), editor_(editor), readout_(readout) {
    view_.setMouseTracking(true);
    view_.installEventFilter(this);
    connect(&editor_, &QPlainTextEdit::cursorPositionChanged, this, [this] { RingCursorLine(); });
    connect(editor_.document(), &QTextDocument::contentsChange, this,
            [this](int, int removed, int added) {
                if (removed != 0 || added != 0)
                    Untie();
            });
}

void PlotExplorer::Follow(const PlotReport& report, const PlotOptions& options, QChar separator) {
    points_.assign(report.Points.cbegin(), report.Points.cend());
    geometry_ = report.Geometry;
    plotType_ = options.PlotType;
    fileType_ = options.FileType;
    projection_ = options.NetProjection;
    separator_ = separator;
    tied_ = true;
    finderBuilt_ = false;
    RingCursorLine();
    ShowReadout();
}

void PlotExplorer::Untie() {
    if (!tied_)
        return;
    tied_ = false;
    view_.SetRing(std::nullopt, 0);
    ShowReadout();
}

const PlottedDatum* PlotExplorer::MarkAt(QPoint pixel) {
    if (!tied_)
        return nullptr;
    if (!finderBuilt_) {
        std::vector<QPoint> centres;
        centres.reserve(points_.size());
        for (const PlottedDatum& datum : points_)
            centres.push_back(MarkCentre(datum, geometry_, plotType_, projection_));
        finder_.Assign(std::move(centres), MarkReach(geometry_));
        finderBuilt_ = true;
    }
    const std::optional<std::size_t> found = finder_.Find(pixel);
    return found ? &points_[*found] : nullptr;
}

const PlottedDatum* PlotExplorer::DatumOfLine(int line) const {
    const auto at =
        std::lower_bound(points_.cbegin(), points_.cend(), line,
                         [](const PlottedDatum& datum, int wanted) { return datum.Line < wanted; });
    return at != points_.cend() && at->Line == line ? &*at : nullptr;
}

QString PlotExplorer::ReadoutAt(QPoint pixel) {
    if (const PlottedDatum* datum = MarkAt(pixel))
        return MarkReadout(*datum, plotType_, fileType_, separator_);
    if (geometry_.Radius <= 0)
        return {};
    const NetPoint p{static_cast<double>(pixel.x() - geometry_.CentreX) / geometry_.Radius,
                     static_cast<double>(geometry_.CentreY - pixel.y()) / geometry_.Radius};
    const std::optional<IncDec> direction = DirectionAtNetPoint(p, plotType_, projection_);
    if (!direction)
        return {};
    return DirectionReadout(direction->Dec, direction->Inc, plotType_, fileType_, separator_);
}

void PlotExplorer::ShowReadout() {
    readout_.setText(pointer_ ? ReadoutAt(*pointer_) : QString());
}

void PlotExplorer::RingCursorLine() {
    const PlottedDatum* datum =
        tied_ ? DatumOfLine(editor_.textCursor().blockNumber() + 1) : nullptr;
    if (datum == nullptr) {
        view_.SetRing(std::nullopt, 0);
        return;
    }
    view_.SetRing(MarkCentre(*datum, geometry_, plotType_, projection_),
                  MarkReach(geometry_) + kRingClearance);
}

bool PlotExplorer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &view_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove:
        pointer_ = PixelOf(*static_cast<QMouseEvent*>(event));
        ShowReadout();
        break;
    case QEvent::Leave:
        pointer_.reset();
        ShowReadout();
        break;
    case QEvent::MouseButtonPress: {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() != Qt::LeftButton)
            break;
        const PlottedDatum* datum = MarkAt(PixelOf(*press));
        if (datum == nullptr)
            break;
        // Only the cursor moves: the text, its undo history and its
        // modified flag stay as they are, and nothing is redrawn.
        editor_.setTextCursor(QTextCursor(editor_.document()->findBlockByNumber(datum->Line - 1)));
        editor_.ensureCursorVisible();
        editor_.setFocus(Qt::MouseFocusReason);
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
