#include "circle_batch.h"

#include <QColor>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <system_error>

#include "canvas.h"
#include "circle_trace.h"
#include "plot_pass.h"

namespace {

// Circles kept at most before all are drawn: bounds the batch's memory.
constexpr std::size_t kCapacity = 16384;
// Circles handed over at a time, and claimed at a time by a thread.
constexpr std::size_t kBlock = 32;
// Fewer kept circles than this are not worth a thread: they go straight to
// the raster at the flush.
constexpr std::size_t kStartHelpers = 256;
constexpr std::size_t kMaxThreads = 8;
// Inks the kept circles may have at once: a mask cell holds the layer's number.
constexpr std::size_t kLayers = 255;
constexpr std::size_t kClosed = std::size_t{1} << (sizeof(std::size_t) * 8 - 1);

std::size_t Cores() {
    static const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    return std::min(cores, kMaxThreads);
}

} // namespace

CircleBatch::CircleBatch(Canvas& canvas, const PlotGeometry& geometry, int plotType,
                         bool pointByPoint, Projection projection)
    : canvas_(canvas), geometry_(geometry), plotType_(plotType), projection_(projection),
      pointByPoint_(pointByPoint && !canvas.DrawsExactCurves()) {
    if (!pointByPoint_ && !canvas_.DrawsExactCurves()) {
        const BlackPixelRaster raster = canvas_.OrderFreePixels();
        orderFree_ = !raster.IsEmpty();
        width_ = raster.Width;
        height_ = raster.Height;
    }
}

CircleBatch::~CircleBatch() {
    StopHelpers();
}

void CircleBatch::Add(double dec, double inc, double rho, bool lowerHemisphereOnly) {
    const Circle circle{dec, inc, rho, lowerHemisphereOnly, 1};
    if (!orderFree_) {
        TraceNow(circle);
        return;
    }
    // Each run of circles in one ink is a numbered layer; a later layer wins
    // where circles of two cross, as it would drawn in order. Past the last
    // number the kept circles go on the raster first.
    const QRgb ink = canvas_.InkColor().rgb() | 0xFF000000u;
    if (layerInks_.empty() || ink != layerInks_.back()) {
        if (layerInks_.size() == kLayers) {
            Flush();
        }
        layerInks_.push_back(ink);
    }
    if (!kept_) {
        kept_ = std::make_unique_for_overwrite<Circle[]>(kCapacity);
    }
    kept_[keptCount_++] = {circle.Dec, circle.Inc, circle.Rho, circle.LowerHemisphereOnly,
                           static_cast<unsigned char>(layerInks_.size())};
    if (keptCount_ % kBlock != 0) {
        return;
    }
    if (!helpers_.empty()) {
        published_.store(keptCount_, std::memory_order_release);
        published_.notify_all();
    } else if (!helpersTried_ && keptCount_ >= kStartHelpers) {
        StartHelpers();
    }
    if (keptCount_ == kCapacity) {
        FinishKept();
    }
}

void CircleBatch::TraceNow(const Circle& c) {
    if (!pointByPoint_) {
        TraceCircle(canvas_, geometry_, plotType_, c.Dec, c.Inc, c.Rho, c.LowerHemisphereOnly,
                    projection_);
        return;
    }
    CirclePixelList pixels;
    const int count = CirclePixelsDirect(geometry_, plotType_, c.Dec, c.Inc, c.Rho,
                                         c.LowerHemisphereOnly, pixels, projection_);
    canvas_.SetPixels(pixels.data(), count, canvas_.InkColor());
}

void CircleBatch::StartHelpers() {
    helpersTried_ = true;
    const std::size_t helpers = Cores() - 1;
    if (helpers == 0) {
        return;
    }
    const auto pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    while (masks_.size() < helpers + 1) {
        masks_.emplace_back(pixels, 0);
    }
    published_.store(keptCount_, std::memory_order_release);
    helpers_.reserve(helpers);
    for (std::size_t t = 1; t <= helpers; ++t) {
        try {
            helpers_.emplace_back([this, t] { DrawShare(t); });
        } catch (const std::system_error&) {
            // No thread to be had: this thread draws the rest at the flush.
            break;
        }
    }
}

void CircleBatch::DrawShare(std::size_t m) {
    const PixelMask mask{masks_[m].data(), width_, height_};
    const Circle* const circles = kept_.get();
    for (;;) {
        const std::size_t state = published_.load(std::memory_order_acquire);
        const std::size_t available = state & ~kClosed;
        std::size_t begin = next_.load(std::memory_order_relaxed);
        if (begin >= available) {
            if ((state & kClosed) != 0) {
                return;
            }
            published_.wait(state, std::memory_order_acquire);
            continue;
        }
        const std::size_t end = std::min(begin + kBlock, available);
        if (!next_.compare_exchange_weak(begin, end, std::memory_order_relaxed)) {
            continue;
        }
        for (std::size_t i = begin; i < end; ++i) {
            const Circle& c = circles[i];
            SetCirclePixels(mask, c.Layer, geometry_, plotType_, c.Dec, c.Inc, c.Rho,
                            c.LowerHemisphereOnly, projection_);
        }
    }
}

void CircleBatch::FinishKept() {
    if (masks_.empty()) {
        // No helper ran: straight into the raster.
        const BlackPixelRaster raster = canvas_.OrderFreePixels();
        for (std::size_t i = 0; i < keptCount_; ++i) {
            const Circle& c = kept_[i];
            SetCirclePixels(raster, layerInks_[c.Layer - 1u], geometry_, plotType_, c.Dec, c.Inc,
                            c.Rho, c.LowerHemisphereOnly, projection_);
        }
    } else {
        published_.store(keptCount_ | kClosed, std::memory_order_release);
        published_.notify_all();
        DrawShare(0);
        helpers_.clear(); // joins
    }
    keptCount_ = 0;
    next_.store(0, std::memory_order_relaxed);
    published_.store(0, std::memory_order_relaxed);
    helpersTried_ = false;
}

void CircleBatch::Flush() {
    if (keptCount_ == 0 && masks_.empty()) {
        layerInks_.clear();
        return;
    }
    FinishKept();
    if (!masks_.empty()) {
        MasksToRaster();
    }
    layerInks_.clear();
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
            unsigned char layer = 0;
            for (const std::vector<unsigned char>& mask : masks_) {
                layer = std::max(layer, mask[p]);
            }
            if (layer != 0) {
                raster.Bits[static_cast<qsizetype>(p / width) * raster.Stride +
                            static_cast<qsizetype>(p % width)] = layerInks_[layer - 1u];
            }
        }
    }
    masks_.clear();
}

void CircleBatch::StopHelpers() {
    if (helpers_.empty()) {
        return;
    }
    published_.store(keptCount_ | kClosed, std::memory_order_release);
    published_.notify_all();
    helpers_.clear(); // joins once they have drawn what was handed over
}
