#pragma once

#include <QColor>
#include <QPoint>
#include <QWidget>

#include <optional>

class QImage;

// Shows a raster at its own size with its top-left pixel at the widget's
// top-left pixel: no stretching, no centring. The raster must outlive the view.
// A ring may be drawn over it, on the screen only: the raster, and so every
// printout and export made from it, never holds the ring.
class ImageView : public QWidget {
    Q_OBJECT

public:
    static inline const QColor kRingColour{255, 0, 255};
    static constexpr int kRingWidth = 2; // pixels

    explicit ImageView(const QImage& image, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // Rings the raster pixel centre with a circle of radius pixels (pen
    // centre), or removes the ring (nothing). Repaints only what changes.
    void SetRing(std::optional<QPoint> centre, int radius);
    std::optional<QPoint> RingCentre() const { return ringCentre_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect RingBounds() const;

    const QImage& image_;
    std::optional<QPoint> ringCentre_;
    int ringRadius_ = 0;
};
