#include "image_view.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>

ImageView::ImageView(const QImage& image, QWidget* parent) : QWidget(parent), image_(image) {}

QSize ImageView::sizeHint() const {
    return image_.size();
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), image_, event->rect());
}
