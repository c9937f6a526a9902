#include "circle_batch.h"

#include <QColor>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <thread>

#include "canvas.h"
#include "circle_trace.h"
#include "plot_pass.h"

namespace {

// Circles kept before they are drawn into the masks: bounds the batch's
// memory and gives every core enough work.
constexpr std::size_t kChunk = 8192;
// Fewer circles than this per thread cost more to hand over than to draw.
constexpr std::size_t kCirclesPerThread = 256;
constexpr std::size_t kMaxThreads = 8;

std::size_t Cores() {
    static const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return std::min(cores, kMaxThreads);
}

} // namespace

CircleBatch::CircleBatch(Canvas& canvas, const PlotGeometry& geometry, int plotType,
                         bool pointByPoint)
    : canvas_(canvas), geometry_(geometry), plotType_(plotType), pointByPoint_(pointByPoint) {
    if (!pointByPoint_) {
        const BlackPixelRaster raster = canvas_.OrderFreePixels();
        orderFree_ = !raster.IsEmpty();
        width_ = raster.Width;
        height_ = raster.Height;
    }
}

void CircleBatch::Add(double dec, double inc, double rho, bool lowerHemisphereOnly) {
    const Circle circle{dec, inc, rho, lowerHemisphereOnly};
    if (!orderFree_) {
        TraceNow(circle);
        return;
    }
    if (pending_.empty()) {
        pending_.reserve(kChunk);
    }
    pending_.push_back(circle);
    if (pending_.size() == kChunk) {
        DrawPendingIntoMasks();
    }
}

void CircleBatch::TraceNow(const Circle& c) {
    if (!pointByPoint_) {
        TraceCircle(canvas_, geometry_, plotType_, c.Dec, c.Inc, c.Rho, c.LowerHemisphereOnly);
        return;
    }
    CirclePixelList pixels;
    const int count = CirclePixelsDirect(geometry_, plotType_, c.Dec, c.Inc, c.Rho,
                                         c.LowerHemisphereOnly, pixels);
    canvas_.SetPixels(pixels.data(), count, QColor(Qt::black));
}

void CircleBatch::Flush() {
    if (canvas_.OrderFreePixels().IsEmpty()) {
        // The raster changed its kind since the batch began: in order after all.
        for (const Circle& c : pending_) {
            TraceNow(c);
        }
        pending_.clear();
        masks_.clear();
        return;
    }
    if (masks_.empty() && pending_.size() < 2 * kCirclesPerThread) {
        // Few circles: straight into the raster, no masks to fill and scan.
        const BlackPixelRaster raster = canvas_.OrderFreePixels();
        for (const Circle& c : pending_) {
            SetCirclePixels(raster, geometry_, plotType_, c.Dec, c.Inc, c.Rho,
                            c.LowerHemisphereOnly);
        }
        pending_.clear();
        return;
    }
    DrawPendingIntoMasks();
    MasksToRaster();
}

void CircleBatch::DrawPendingIntoMasks() {
    const std::size_t count = pending_.size();
    const std::size_t threads = std::clamp(count / kCirclesPerThread, std::size_t{1}, Cores());
    const auto pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    while (masks_.size() < threads) {
        masks_.emplace_back(pixels, 0);
    }
    // Share t (contiguous circles) goes into mask t, so no two threads ever
    // write the same memory; this thread draws share 0.
    const auto draw = [this, count, threads](std::size_t t) {
        const PixelMask mask{masks_[t].data(), width_, height_};
        for (std::size_t i = count * t / threads; i < count * (t + 1) / threads; ++i) {
            const Circle& c = pending_[i];
            SetCirclePixels(mask, geometry_, plotType_, c.Dec, c.Inc, c.Rho, c.LowerHemisphereOnly);
        }
    };
    std::vector<std::jthread> helpers;
    helpers.reserve(threads - 1);
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(draw, t);
        } catch (const std::system_error&) {
            // No thread to be had: this thread draws the share itself.
            draw(t);
        }
    }
    draw(0);
    helpers.clear(); // joins
    pending_.clear();
}

void CircleBatch::MasksToRaster() {
    const BlackPixelRaster raster = canvas_.OrderFreePixels();
    const auto width = static_cast<std::size_t>(width_);
    const std::size_t size = masks_.front().size();
    // Eight cells at a time: most of the net stays white.
    for (std::size_t i = 0; i < size; i += 8) {
        const std::size_t count = std::min<std::size_t>(8, size - i);
        std::uint64_t any = 0;
        for (const std::vector<unsigned char>& mask : masks_) {
            std::uint64_t cells = 0;
            std::memcpy(&cells, mask.data() + i, count);
            any |= cells;
        }
        if (any == 0) {
            continue;
        }
        for (std::size_t p = i; p < i + count; ++p) {
            const bool black =
                std::any_of(masks_.begin(), masks_.end(),
                            [p](const std::vector<unsigned char>& m) { return m[p] != 0; });
            if (black) {
                raster.Bits[static_cast<qsizetype>(p / width) * raster.Stride +
                            static_cast<qsizetype>(p % width)] = 0xFF000000u;
            }
        }
    }
    // Done with: a later circle or two go straight to the raster.
    masks_.clear();
}
