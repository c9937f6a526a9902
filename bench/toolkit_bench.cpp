// Throughput of the line readers and of the statistics over one redraw's worth
// of data. A counting operator new shows that reading a line allocates nothing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <vector>

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

} // namespace

BENCHMARK_MAIN();
