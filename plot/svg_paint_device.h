#pragma once

#include <QPaintDevice>
#include <QSize>

#include <memory>

class QIODevice;
class QString;
class SvgPaintEngine;

// A paint device that writes what is painted on it as an SVG 1.1 document to
// an output device while it is painted, so the memory it needs does not grow
// with the picture. A painter's begin() writes the header: width, height and
// viewBox of units (one unit is 1/96 inch, a raster pixel), the title and the
// description; every drawing call writes its elements in painting order, in
// groups that hold the attributes they share; end() writes the closing tag
// and returns false when any write to the output failed. Texts are escaped,
// and characters XML cannot hold (and control characters) become U+FFFD.
//
// What PainterCanvas draws is written in full: rectangles, lines, polygons,
// paths and ellipses with a solid pen and a solid brush, texts as text in their
// font's family, size, weight and style, the painter's transform and its
// clipping. Coordinates are rounded to 1/100 of a unit. Dashes are drawn solid;
// images are left out; gradient and pattern brushes, which Qt emulates with
// images on a device that lacks them, are left out too.
//
// The output must be open for writing and outlive the device; one painter may
// paint on the device once.
class SvgPaintDevice final : public QPaintDevice {
public:
    SvgPaintDevice(QIODevice& output, QSize units, const QString& title,
                   const QString& description);
    ~SvgPaintDevice() override;
    SvgPaintDevice(const SvgPaintDevice&) = delete;
    SvgPaintDevice& operator=(const SvgPaintDevice&) = delete;

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize units_;
    std::unique_ptr<SvgPaintEngine> engine_;
};
