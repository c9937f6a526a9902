#pragma once

#include <cstddef>
#include <vector>

#include "plot_geometry.h"

class Canvas;

// The circles of TraceCircle, drawn many at a time. On a canvas that takes
// black pixels in any order (the 32-bit raster) they are kept and traced
// together, split over the processor's cores; on any other canvas, and when
// pointByPoint asks for the slow point-by-point formulas, each is traced at
// once, in order. Either way the canvas shows every circle added once Flush
// returns, with the pixels TraceCircle sets.
class CircleBatch {
public:
    CircleBatch(Canvas& canvas, const PlotGeometry& geometry, int plotType, bool pointByPoint);

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
    };
    void TraceNow(const Circle& circle);
    // Draws the kept circles into one mask per thread, the threads in parallel.
    void DrawPendingIntoMasks();
    // Sets black every raster pixel that a mask holds, and clears the masks.
    void MasksToRaster();

    Canvas& canvas_;
    PlotGeometry geometry_;
    int plotType_;
    bool pointByPoint_;
    bool orderFree_ = false;
    int width_ = 0;
    int height_ = 0;
    std::vector<Circle> pending_;
    std::vector<std::vector<unsigned char>> masks_; // one per thread, in use when not empty
};
