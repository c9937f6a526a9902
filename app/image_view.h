#pragma once

#include <QWidget>

class QImage;

// Shows a raster at its own size with its top-left pixel at the widget's
// top-left pixel: no stretching, no centring. The raster must outlive the view.
class ImageView : public QWidget {
    Q_OBJECT

public:
    explicit ImageView(const QImage& image, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& image_;
};
