// Throughput of the line readers and of the statistics over one redraw's worth
// of data. A counting operator new shows that reading a line allocates nothing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "angles.h"
#include "contours.h"
#include "counting_new.h"
#include "file_type.h"
#include "fisher.h"
#include "great_circle.h"

namespace {

constexpr int kLines = 100'000;
constexpr unsigned kSeed = 20240611;

// One text with kLines lines of the given file type, and views of its lines.
struct LineSet {
    std::string text;
    std::vector<std::string_view> lines;
};

LineSet MakeLines(int type) {
    std::mt19937 random(kSeed);
    std::uniform_real_distribution<double> dec(0.0, 360.0);
    std::uniform_real_distribution<double> inc(-90.0, 90.0);
    std::uniform_real_distribution<double> radius(0.5, 25.0);
    std::vector<std::string> raw;
    raw.reserve(kLines);
    char buffer[128];
    for (int k = 0; k < kLines; ++k) {
        switch (type) {
        case 0:
            std::snprintf(buffer, sizeof buffer, "%.1f %.1f S%d", dec(random), inc(random), k);
            break;
        case 1:
            std::snprintf(buffer, sizeof buffer, "%.2f %.2f %.1f site %d", dec(random), inc(random),
                          radius(random), k);
            break;
        default:
            // Declination in columns 22-26, inclination 28-32, error 56-60.
            std::snprintf(buffer, sizeof buffer,
                          "%-10d  NRM  200  %5.1f %5.1f  0.12E-03  45.2  "
                          "13.1  8 %5.1f  ok",
                          k, dec(random), inc(random), radius(random));
            break;
        }
        raw.emplace_back(buffer);
    }
    LineSet set;
    for (const std::string& line : raw) {
        set.text += line;
        set.text += '\n';
    }
    std::string_view rest(set.text);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        set.lines.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    return set;
}

void BM_ReadDataLine(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    const long long setupStart = OperatorNewCalls();
    const LineSet set = MakeLines(type);
    if (OperatorNewCalls() == setupStart) {
        // Building the lines allocates; if nothing was counted, the counter is dead.
        state.SkipWithError("the allocation counter is not in use");
        return;
    }
    int accepted = 0;
    long long allocated = 0;
    for (auto _ : state) {
        const long long before = OperatorNewCalls();
        for (const std::string_view line : set.lines) {
            const Direction d = ReadDataLine(type, line);
            benchmark::DoNotOptimize(d);
            accepted += d.Success ? 1 : 0;
        }
        allocated += OperatorNewCalls() - before;
    }
    if (accepted != static_cast<int>(state.iterations()) * kLines) {
        state.SkipWithError("a generated line was rejected");
    }
    const double lines = static_cast<double>(state.iterations()) * kLines;
    state.SetItemsProcessed(static_cast<std::int64_t>(lines));
    state.counters["allocs_per_line"] = static_cast<double>(allocated) / lines;
}
BENCHMARK(BM_ReadDataLine)->Arg(0)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);

// Accumulation of every datum, then the Fisher block and the eigen-analysis.
void BM_Statistics(benchmark::State& state) {
    std::mt19937 random(kSeed);
    std::normal_distribution<double> scatter(0.0, 15.0);
    std::vector<std::pair<double, double>> data(kLines);
    for (auto& [dec, inc] : data) {
        dec = 30.0 + scatter(random);
        inc = 50.0 + scatter(random);
    }
    for (auto _ : state) {
        DirectionSums sums;
        for (const auto& [dec, inc] : data) {
            sums.Accumulate(dec, inc);
        }
        const FisherResult fisher = FisherBlock(sums);
        const auto axes = EigenAxes(OrientationTensorOf(sums));
        benchmark::DoNotOptimize(fisher);
        benchmark::DoNotOptimize(axes);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);

// The eigen-analysis alone, over tensors of 20 data scattered by 15 degrees
// (Arg 0, the closed form holds) or by 0.01 degree (Arg 1, a tight cluster
// whose two small eigenvalues nearly coincide).
void BM_EigenAxes(benchmark::State& state) {
    constexpr int kTensors = 1000;
    std::mt19937 random(kSeed);
    std::normal_distribution<double> scatter(0.0, state.range(0) == 0 ? 15.0 : 0.01);
    std::vector<OrientationTensor> tensors;
    for (int k = 0; k < kTensors; ++k) {
        DirectionSums sums;
        for (int d = 0; d < 20; ++d) {
            sums.Accumulate(30.0 + scatter(random), 50.0 + scatter(random));
        }
        tensors.push_back(OrientationTensorOf(sums));
    }
    for (auto _ : state) {
        for (const OrientationTensor& t : tensors) {
            const auto axes = EigenAxes(t);
            benchmark::DoNotOptimize(axes);
        }
    }
    state.SetItemsProcessed(state.iterations() * kTensors);
}
BENCHMARK(BM_EigenAxes)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Density contours as a redraw makes them: Arg 0 the method (0 Kamb, 1
// exponential Kamb, 2 1% area), Arg 1 the number of data, Arg 2 the data:
// 0 a Fisher (1953) cluster of precision 20 about (30, 50), 1 a girdle
// scattered normally by 10 degrees about the great circle of pole (120, 30).
// All default levels.
std::vector<Vector3> DensityData(int n, int shape) {
    constexpr double kPi = 3.141592653589793;
    std::mt19937 random(kSeed);
    auto uniform = [&] { return (static_cast<double>(random()) + 0.5) / 4294967296.0; };
    const Vector3 m = shape == 0 ? DirectionToVector(50, 30, 1) : DirectionToVector(30, 120, 1);
    // A frame about m: e1, e2 across it.
    const double h = std::hypot(m.x, m.y);
    const Vector3 e1{m.z * m.x / h, m.z * m.y / h, -h};
    const Vector3 e2{-m.y / h, m.x / h, 0.0};
    std::vector<Vector3> data;
    for (int i = 0; i < n; ++i) {
        double along = 0.0, across = 0.0, up = 0.0;
        if (shape == 0) {
            const double u = uniform();
            const double w = 1.0 + std::log(u + (1.0 - u) * std::exp(-40.0)) / 20.0;
            const double s = std::sqrt(std::max(0.0, 1.0 - w * w));
            const double phi = 2.0 * kPi * uniform();
            along = s * std::cos(phi);
            across = s * std::sin(phi);
            up = w;
        } else {
            const double phi = 2.0 * kPi * uniform();
            const double t = std::sqrt(-2.0 * std::log(uniform())) *
                             std::cos(2.0 * kPi * uniform()) * 10.0 * kPi / 180.0;
            along = std::cos(t) * std::cos(phi);
            across = std::cos(t) * std::sin(phi);
            up = std::sin(t);
        }
        data.push_back({along * e1.x + across * e2.x + up * m.x,
                        along * e1.y + across * e2.y + up * m.y,
                        along * e1.z + across * e2.z + up * m.z});
    }
    return data;
}

void BM_ContourDensity(benchmark::State& state) {
    const std::vector<Vector3> data =
        DensityData(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    DensitySettings settings;
    settings.Method = static_cast<DensityMethod>(state.range(0));
    std::size_t vertices = 0;
    for (auto _ : state) {
        const DensityContours contours = ContourDensity(data, settings, {});
        vertices = 0;
        for (const ContourLevel& level : contours.Levels) {
            for (const ContourLine& line : level.Lines) {
                vertices += line.Vertices.size();
            }
        }
        benchmark::DoNotOptimize(contours);
    }
    state.counters["vertices"] = static_cast<double>(vertices);
}
BENCHMARK(BM_ContourDensity)
    ->ArgsProduct({{0, 1, 2}, {10, 1000, 10000}, {0, 1}})
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
