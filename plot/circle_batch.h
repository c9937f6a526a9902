#pragma once

#include <QColor>

#include <atomic>
#include <cstddef>
#include <memory>
#include <thread>
#include <vector>

#include "equal_area.h"
#include "plot_geometry.h"

class Canvas;

// The circles of TraceCircle in the projection's net, drawn many at a time. On a canvas that takes
// pixels in any order (the 32-bit raster) they are kept, and helper threads
// on the processor's other cores draw them while the caller goes on adding;
// on any other canvas, and when pointByPoint asks for the slow point-by-point
// formulas, each is traced at once, in order. Either way the canvas shows
// every circle added once Flush returns, with the pixels TraceCircle sets in
// the ink the canvas had when the circle was added, a later circle's ink where
// two cross (a canvas that draws exact curves gets them, pointByPoint or not).
// Add and Flush belong to the thread that made the batch; it may draw on the
// canvas in between, since kept circles reach the raster only at a flush (or
// when the store is full, or the ink has changed 255 times).
class CircleBatch {
public:
    CircleBatch(Canvas& canvas, const PlotGeometry& geometry, int plotType, bool pointByPoint,
                Projection projection = Projection::EqualArea);
    ~CircleBatch();
    CircleBatch(const CircleBatch&) = delete;
    CircleBatch& operator=(const CircleBatch&) = delete;

    // The circle of radius rho (degrees) about (dec, inc), as TraceCircle.
    void Add(double dec, double inc, double rho, bool lowerHemisphereOnly);
    // Puts every circle added so far on the canvas.
    void Flush();

private:
    struct Circle {
        double Dec;
        double Inc;
        double Rho;
        bool LowerHemisphereOnly;
        unsigned char Layer; // 1-based index into layerInks_
    };
    void TraceNow(const Circle& circle);
    void StartHelpers();
    // Claims blocks of the kept circles and draws them into mask m until none
    // is left and no more will come.
    void DrawShare(std::size_t m);
    // Draws every kept circle (into the masks when helpers ran, else into the
    // raster), stops the helpers and empties the store.
    void FinishKept();
    // Sets every raster pixel a mask holds to the ink of its highest layer,
    // and drops the masks.
    void MasksToRaster();
    void StopHelpers();

    Canvas& canvas_;
    PlotGeometry geometry_;
    int plotType_;
    Projection projection_;
    bool pointByPoint_;
    bool orderFree_ = false;
    // The inks of the kept circles' layers, in the order they came.
    std::vector<QRgb> layerInks_;
    int width_ = 0;
    int height_ = 0;

    // Kept circles; never moves while helpers read it.
    std::unique_ptr<Circle[]> kept_;
    std::size_t keptCount_ = 0;
    // How many kept circles the helpers may read, with kClosed set once no
    // more will come; helpers wait on it.
    std::atomic<std::size_t> published_{0};
    // The first kept circle nobody has claimed yet.
    std::atomic<std::size_t> next_{0};
    bool helpersTried_ = false;
    // Mask 0 is this thread's, mask t helper t's; all made before any helper starts.
    std::vector<std::vector<unsigned char>> masks_;
    std::vector<std::jthread> helpers_;
};
