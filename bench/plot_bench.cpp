// The whole plot pass on the real raster canvas, as the window runs it on
// every keystroke in the title box, and on the vector canvas into each figure
// format: site means with their error circles, the Fisher mean and the
// great-circle fit all on; directions with their planes; and directions with
// and without the analyses of the Analysis menu. Input comes from
// a fixed seed. A counting malloc shows what a pass allocates per data line.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <random>

#include "circle_trace.h"
#include "figure_render.h"
#include "line_view.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "raster_canvas.h"
#include "test_plot_inputs.h"

namespace {
std::atomic<long long> allocations{0};
} // namespace

// Qt allocates its strings with malloc, not operator new, so the count sits
// under malloc itself; operator new reaches it too. glibc's own entry points
// do the work.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);

void* malloc(std::size_t size) noexcept {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) noexcept {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(pointer, size);
}
}

namespace {

constexpr unsigned kSeed = 20261208;

// Site-mean lines "dec inc a95" with one decimal, spread over both hemispheres.
QString SiteMeanText(int count) {
    std::mt19937 random(kSeed);
    std::uniform_real_distribution<double> dec(0.0, 360.0);
    std::uniform_real_distribution<double> inc(-90.0, 90.0);
    std::uniform_real_distribution<double> a95(1.0, 25.0);
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("%1 %2 %3\r\n")
                    .arg(dec(random), 0, 'f', 1)
                    .arg(inc(random), 0, 'f', 1)
                    .arg(a95(random), 0, 'f', 1);
    }
    return text;
}

// Generic lines "dec inc" with one decimal, spread over both hemispheres.
QString DirectionText(int count) {
    std::mt19937 random(kSeed);
    std::uniform_real_distribution<double> dec(0.0, 360.0);
    std::uniform_real_distribution<double> inc(-90.0, 90.0);
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("%1 %2\r\n").arg(dec(random), 0, 'f', 1).arg(inc(random), 0, 'f', 1);
    }
    return text;
}

PlotOptions SiteMeanOptions() {
    PlotOptions options;
    options.FileType = 1;
    options.ErrorCircles = ErrorCircleMode::Circles;
    options.FisherMean = true;
    options.GreatCircleFit = true;
    options.Title = QStringLiteral("Benchmark");
    options.FileName = QStringLiteral("sites.txt");
    return options;
}

// One pass as the window runs it, the line view included, over makeText's
// lines; allocs_per_line is what a pass allocates per data line beyond a
// pass over two of them (which already draws the statistics and their texts).
void PlotPass(benchmark::State& state, QString (*makeText)(int), const PlotOptions& options) {
    const auto count = static_cast<int>(state.range(0));
    const QString text = makeText(count);
    const int baseCount = std::min(2, count);
    const QString baseText = makeText(baseCount);
    QImage image(553, 529, QImage::Format_RGB32);
    bool fixedPitch = false;
    // Kept from pass to pass, as the window keeps its report.
    PlotReport report;
    auto pass = [&](const QString& editor) {
        const LineView lines(editor);
        RasterCanvas canvas(image, fixedPitch);
        RunPlotPass(canvas, TestPlotInputs(lines, options), report);
        fixedPitch = canvas.FixedPitchRequested();
        benchmark::DoNotOptimize(image.constBits());
    };
    // The first passes fill the font caches.
    pass(baseText);
    pass(text);
    long long before = allocations.load(std::memory_order_relaxed);
    pass(baseText);
    const long long basePass = allocations.load(std::memory_order_relaxed) - before;
    if (basePass == 0) {
        state.SkipWithError("the allocation counter is not in use");
        return;
    }
    long long allocated = 0;
    for (auto _ : state) {
        before = allocations.load(std::memory_order_relaxed);
        pass(text);
        allocated += allocations.load(std::memory_order_relaxed) - before;
    }
    const double perPass = static_cast<double>(allocated) / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["allocs_per_pass"] = perPass;
    state.counters["allocs_per_line"] =
        count > baseCount
            ? (perPass - static_cast<double>(basePass)) / static_cast<double>(count - baseCount)
            : 0.0;
}

// Site means with error circles (mode 0), Fisher mean and fit.
void BM_PlotPass(benchmark::State& state) {
    PlotPass(state, SiteMeanText, SiteMeanOptions());
}
BENCHMARK(BM_PlotPass)->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Directions with their lower-hemisphere planes (mode 2), Fisher mean and fit.
void BM_PlotPassPlanes(benchmark::State& state) {
    PlotOptions options = SiteMeanOptions();
    options.FileType = 0;
    options.ErrorCircles = ErrorCircleMode::Planes;
    PlotPass(state, DirectionText, options);
}
BENCHMARK(BM_PlotPassPlanes)->Arg(100000)->Unit(benchmark::kMillisecond);

// Directions with the Fisher mean and the fit at 1,000 data, without and
// with every analysis (one bedding, separated polarities, the reversal test, a
// site). The report is kept from pass to pass as the window keeps it, so the
// reversal test's critical value is simulated in the warm-up passes only, as
// on the first of a run of title keystrokes.
void BM_PlotPassAnalyses(benchmark::State& state) {
    PlotOptions options = SiteMeanOptions();
    options.FileType = 0;
    options.ErrorCircles = ErrorCircleMode::None;
    if (state.range(1) != 0) {
        options.Bedding = BeddingSource::OneForAll;
        options.BeddingDipDirection = 90.0;
        options.BeddingDip = 20.0;
        options.SeparatePolarities = true;
        options.ReversalTest = true;
        options.Site = SiteLocation{33.0, -117.0};
    }
    PlotPass(state, DirectionText, options);
}
BENCHMARK(BM_PlotPassAnalyses)
    ->ArgNames({"data", "analyses"})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond);

// 10,000 site means with circles, Fisher mean and fit, as one set and as
// eight sets of 1,250 (each in its colour, with its mean and the legend).
QString EightSetsText(int count) {
    const QStringList lines = SiteMeanText(count).split(QStringLiteral("\r\n"));
    // A short text (the pass the allocations are counted against) gets a
    // set per datum.
    const int perSet = std::max(1, count / 8);
    QString text;
    for (int i = 0; i < count; ++i) {
        if (i % perSet == 0)
            text += QStringLiteral("#Set %1\r\n").arg(i / perSet + 1);
        text += lines[i] + QStringLiteral("\r\n");
    }
    return text;
}

void BM_PlotPassSets(benchmark::State& state) {
    const bool eight = state.range(1) == 8;
    PlotPass(state, eight ? EightSetsText : SiteMeanText, SiteMeanOptions());
}
BENCHMARK(BM_PlotPassSets)
    ->ArgNames({"data", "sets"})
    ->Args({10000, 1})
    ->Args({10000, 8})
    ->Unit(benchmark::kMillisecond);

// One figure file in memory, from a fresh pass as an export makes it; the
// file's size is reported as "bytes".
template <typename Render> void RenderFigure(benchmark::State& state, Render render) {
    const LineView lines(SiteMeanText(static_cast<int>(state.range(0))));
    const PlotInputs inputs = TestPlotInputs(lines, SiteMeanOptions());
    FigureOptions options;
    options.Title = inputs.Options.Title;
    const DrawOnCanvas draw = [&inputs](Canvas& canvas) {
        PlotReport report;
        RunPlotPass(canvas, inputs, report);
    };
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray file = render(options, draw);
        bytes = file.size();
        benchmark::DoNotOptimize(file.constData());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_RenderSvg(benchmark::State& state) {
    RenderFigure(state, [](const FigureOptions& options, const DrawOnCanvas& draw) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        RenderSvg(options, draw, buffer);
        return buffer.data();
    });
}
void BM_RenderPdf(benchmark::State& state) {
    RenderFigure(state, [](const FigureOptions& options, const DrawOnCanvas& draw) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        RenderPdf(options, draw, buffer);
        return buffer.data();
    });
}
void BM_RenderPng4(benchmark::State& state) {
    RenderFigure(state, [](const FigureOptions& options, const DrawOnCanvas& draw) {
        return RenderPng(options, 4, draw);
    });
}
BENCHMARK(BM_RenderSvg)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPdf)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPng4)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One circle of 360 dots, the fast path against the point-by-point formulas,
// in either net.
template <int (*Compute)(const PlotGeometry&, int, double, double, double, bool, CirclePixelList&,
                         Projection),
          Projection Net>
void BM_Circle(benchmark::State& state) {
    const PlotGeometry geometry = ComputePlotGeometry(553, 529, 13, 8);
    CirclePixelList pixels{};
    double dec = 0.0;
    for (auto _ : state) {
        dec = dec < 359.0 ? dec + 1.0 : 0.0;
        benchmark::DoNotOptimize(Compute(geometry, 0, dec, 40.0, 12.0, false, pixels, Net));
    }
    state.SetItemsProcessed(state.iterations() * 360);
}
BENCHMARK(BM_Circle<CirclePixels, Projection::EqualArea>)->Name("BM_CircleFast");
BENCHMARK(BM_Circle<CirclePixelsDirect, Projection::EqualArea>)->Name("BM_CircleDirect");
BENCHMARK(BM_Circle<CirclePixels, Projection::EqualAngle>)->Name("BM_CircleFastEqualAngle");

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
