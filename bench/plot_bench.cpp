// The plot job on a generated spectrum of 1M points (a few Lorentzian lines
// on noise), written to PostScript and to HPGL with every point plotted and
// with skippoints 9 (every tenth point, in each skip mode for PostScript);
// against it, the same number of coordinate pairs formatted with plain
// snprintf and written with fwrite in each dialect's pair format. Reports
// points/s of the spectrum and bytes/s of the file.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "plotter/layout.h"
#include "plotter/plotjob.h"
#include "spectrum/spectrum.h"
#include "winutil/platform/platform.h"

namespace {

constexpr long kPoints = 1L << 20;

std::string tempFile(const char* name) {
  char folder[MAX_PATH];
  plat::ops().tempFolder(folder, sizeof folder);
  return std::string(folder) + name;
}

std::uint64_t sizeOf(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  std::fseek(f, 0, SEEK_END);
  long n = std::ftell(f);
  std::fclose(f);
  return n > 0 ? static_cast<std::uint64_t>(n) : 0;
}

// 1M points over 10 .. 0 ppm at 400 MHz: lines of width 1 Hz and some noise.
Spectrum& generated() {
  static Spectrum* s = [] {
    auto* sp = new Spectrum();
    sp->Init(0, kPoints, 400, 4000, 0);
    const double lines[][2] = {{3.65, 40}, {2.61, 55}, {1.22, 100}, {7.26, 8}};
    std::mt19937 noise(7);  // fixed, so every run plots the same trace
    std::uniform_real_distribution<double> jitter(-0.01, 0.01);
    for (long i = 0; i < kPoints; ++i) {
      double hz = 4000.0 - i * 4000.0 / kPoints, v = 0;
      for (const auto& l : lines) {
        double d = (hz - l[0] * 400) / 0.5;
        v += l[1] / (1 + d * d);
      }
      v += jitter(noise);
      sp->SetRealInt(i, static_cast<float>(v));
    }
    sp->SetSpecFlag(SPF_PRESENT, 1);
    return sp;
  }();
  return *s;
}

void plot(benchmark::State& state, int dialect, int skippoints, int skipmode) {
  Spectrum& spectrum = generated();
  PLOTJOBSTATE job;
  std::string out = tempFile(dialect == PLOT_POSTSCRIPT ? "quintar-plot-bench.ps" : "quintar-plot-bench.plt");
  plat::copyText(job.single.plot.outputpath, sizeof job.single.plot.outputpath, out.c_str());
  job.single.plot.outputformat = dialect;
  job.single.plot.append = 0;
  job.single.plot.updatef1f2 = 1;
  job.single.trace.skippoints = skippoints;
  job.single.trace.skipmode = skipmode;
  for (auto _ : state) {
    int result = PlotLoadedSpectrum(job, spectrum);
    if (result != 0) {
      state.SkipWithError(("the job failed with " + std::to_string(result)).c_str());
      break;
    }
  }
  std::uint64_t bytes = sizeOf(out);
  std::remove(out.c_str());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kPoints);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["pairs"] = static_cast<double>(kPoints / (skippoints + 1));
  state.counters["file MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_PlotPostScript(benchmark::State& state) {
  plot(state, PLOT_POSTSCRIPT, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
}
BENCHMARK(BM_PlotPostScript)
    ->ArgNames({"skippoints", "skipmode"})
    ->Args({0, 0})
    ->Args({9, 0})
    ->Args({9, 1})
    ->Args({9, 2})
    ->Unit(benchmark::kMillisecond);

void BM_PlotHpgl(benchmark::State& state) {
  plot(state, PLOT_HPGL, static_cast<int>(state.range(0)), 0);
}
BENCHMARK(BM_PlotHpgl)->ArgName("skippoints")->Arg(0)->Arg(9)->Unit(benchmark::kMillisecond);

// The floor: the same pairs formatted with snprintf into a buffer and
// written with fwrite, nothing else.
void pairs(benchmark::State& state, const char* format) {
  const long n = static_cast<long>(state.range(0));
  std::string out = tempFile("quintar-plot-bench-pairs.txt");
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    std::FILE* f = std::fopen(out.c_str(), "wb");
    if (!f) {
      state.SkipWithError("cannot create the file");
      break;
    }
    char buffer[8192];
    std::size_t used = 0;
    bytes = 0;
    for (long i = 0; i < n; ++i) {
      if (sizeof buffer - used < 64) {
        std::fwrite(buffer, 1, used, f);
        bytes += used;
        used = 0;
      }
      double x = 1 + 22.0 * i / n, y = 5 + 12.0 * std::sin(i * 0.001);
      int k = std::snprintf(buffer + used, sizeof buffer - used, format, x, y);
      if (k > 0) used += static_cast<std::size_t>(k);
    }
    std::fwrite(buffer, 1, used, f);
    bytes += used;
    std::fclose(f);
  }
  std::remove(out.c_str());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * n);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["file MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_PairsPostScriptFormat(benchmark::State& state) { pairs(state, "%.5f %.5f lineto\r\n"); }
BENCHMARK(BM_PairsPostScriptFormat)->ArgName("pairs")->Arg(kPoints)->Arg(kPoints / 10)->Unit(benchmark::kMillisecond);

void BM_PairsHpglFormat(benchmark::State& state) { pairs(state, "%8.5f,%8.5f,"); }
BENCHMARK(BM_PairsHpglFormat)->ArgName("pairs")->Arg(kPoints)->Arg(kPoints / 10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
