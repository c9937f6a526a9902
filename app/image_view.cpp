#include "image_view.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

ImageView::ImageView(const QImage& image, QWidget* parent) : QWidget(parent), image_(image) {}

QSize ImageView::sizeHint() const {
    return image_.size();
}

void ImageView::SetRing(std::optional<QPoint> centre, int radius) {
    if (centre == ringCentre_ && (!centre || radius == ringRadius_))
        return;
    if (ringCentre_)
        update(RingBounds());
    ringCentre_ = centre;
    ringRadius_ = radius;
    if (ringCentre_)
        update(RingBounds());
}

QRect ImageView::RingBounds() const {
    // The pen's outer half, and a pixel for antialiasing.
    const int reach = ringRadius_ + kRingWidth;
    return {ringCentre_->x() - reach, ringCentre_->y() - reach, 2 * reach + 1, 2 * reach + 1};
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), image_, event->rect());
    if (!ringCentre_ || !event->rect().intersects(RingBounds()))
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kRingColour, kRingWidth));
    painter.setBrush(Qt::NoBrush);
    // A raster pixel covers [x, x + 1) of the widget; the ring centres on it.
    painter.drawEllipse(QPointF(ringCentre_->x() + 0.5, ringCentre_->y() + 0.5), ringRadius_,
                        ringRadius_);
}
