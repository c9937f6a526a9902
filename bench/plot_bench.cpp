// The whole plot pass on the real raster canvas, as the window runs it on
// every keystroke in the title box, and on the vector canvas into each figure
// format: site means with their error circles, the Fisher mean and the
// great-circle fit all on. Input comes from a fixed seed.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include <random>

#include "circle_trace.h"
#include "figure_render.h"
#include "line_view.h"
#include "plot_geometry.h"
#include "plot_pass.h"
#include "raster_canvas.h"

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

PlotInputs SiteMeanInputs() {
    PlotInputs inputs;
    inputs.FileType = 1;
    inputs.PlotType = 0;
    inputs.ErrorCircleMode = 0;
    inputs.AvIndex = 0;
    inputs.GCFitIndex = 0;
    inputs.Title = QStringLiteral("Benchmark");
    inputs.FileName = QStringLiteral("sites.txt");
    inputs.Today = QStringLiteral("12/8/26");
    inputs.ClientWidth = 941;
    inputs.ClientHeight = 672;
    inputs.WindowFontWidthN270 = 27;
    return inputs;
}

void BM_PlotPass(benchmark::State& state) {
    const QString text = SiteMeanText(static_cast<int>(state.range(0)));
    QImage image(553, 529, QImage::Format_RGB32);
    PlotInputs inputs = SiteMeanInputs();
    bool fixedPitch = false;
    for (auto _ : state) {
        // The window reads the editor into a line view on every pass.
        const LineView lines(text);
        inputs.Lines = &lines;
        RasterCanvas canvas(image, fixedPitch);
        PlotExtent extent;
        DrawPlot(canvas, inputs, extent, nullptr);
        fixedPitch = canvas.FixedPitchRequested();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlotPass)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One figure file in memory, from a fresh pass as an export makes it; the
// file's size is reported as "bytes".
template <typename Render> void RenderFigure(benchmark::State& state, Render render) {
    const LineView lines(SiteMeanText(static_cast<int>(state.range(0))));
    PlotInputs inputs = SiteMeanInputs();
    inputs.Lines = &lines;
    FigureOptions options;
    options.Title = inputs.Title;
    const DrawOnCanvas draw = [&inputs](Canvas& canvas) {
        PlotExtent extent;
        DrawPlot(canvas, inputs, extent, nullptr);
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
    RenderFigure(state, RenderSvg);
}
void BM_RenderPdf(benchmark::State& state) {
    RenderFigure(state, RenderPdf);
}
void BM_RenderPng4(benchmark::State& state) {
    RenderFigure(state, [](const FigureOptions& options, const DrawOnCanvas& draw) {
        return RenderPng(options, 4, draw);
    });
}
BENCHMARK(BM_RenderSvg)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPdf)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPng4)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One circle of 360 dots, the fast path against the point-by-point formulas.
template <int (*Compute)(const PlotGeometry&, int, double, double, double, bool, CirclePixelList&)>
void BM_Circle(benchmark::State& state) {
    const PlotGeometry geometry = ComputePlotGeometry(553, 529, 13, 8);
    CirclePixelList pixels{};
    double dec = 0.0;
    for (auto _ : state) {
        dec = dec < 359.0 ? dec + 1.0 : 0.0;
        benchmark::DoNotOptimize(Compute(geometry, 0, dec, 40.0, 12.0, false, pixels));
    }
    state.SetItemsProcessed(state.iterations() * 360);
}
BENCHMARK(BM_Circle<CirclePixels>)->Name("BM_CircleFast");
BENCHMARK(BM_Circle<CirclePixelsDirect>)->Name("BM_CircleDirect");

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
