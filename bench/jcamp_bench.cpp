// The JCAMP-DX reader: NMRReadJCAMP (the data reader with its record
// lookups and the XY block) on every JCAMP-DX file of ../shared/testdata that
// the reader accepts, and on a generated DIFDUP file of 1M points; the block
// decoder alone on the same generated block from memory. Reports bytes/s of
// the file and points/s.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/jcamp_internal.h"
#include "datafiles/specinfo.h"
#include "winutil/platform/platform.h"

namespace {

// The folder of the real data sets: the build's definition, the environment,
// or the shared folder beside the source tree.
std::string testdataDir() {
#ifdef QUINTAR_TESTDATA
  std::string built = QUINTAR_TESTDATA;
#else
  std::string built;
#endif
  const char* env = std::getenv("QUINTAR_TESTDATA");
  if (env && *env) return env;
  if (!built.empty()) return built;
  std::string here = __FILE__;
  std::size_t cut = here.find_last_of("\\/");
  return cut == std::string::npos ? "../shared/testdata"
                                  : here.substr(0, cut) + "/../../shared/testdata";
}

std::string readAll(const std::string& path) {
  plat::File f(plat::openFile(path.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                              plat::Disposition::OpenExisting));
  std::string out;
  if (!f.ok()) return out;
  char buf[65536];
  DWORD got = 0;
  while (plat::readFile(f.get(), buf, sizeof buf, &got) && got > 0) out.append(buf, got);
  return out;
}

void writeAll(const std::string& path, const std::string& bytes) {
  plat::File f(plat::openFile(path.c_str(), plat::Access::Write, plat::Share::Exclusive,
                              plat::Disposition::CreateAlways));
  DWORD put = 0;
  if (f.ok()) plat::writeFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put);
}

// ---- a generated DIFDUP spectrum --------------------------------------------------

std::string squeezed(long long v, const char* positive, const char* negative) {
  std::string digits = std::to_string(v < 0 ? -v : v);
  return std::string(1, (v < 0 ? negative : positive)[digits[0] - '0']) + digits.substr(1);
}

// Lines of at most about 70 characters: the point number as abscissa, the
// first ordinate in SQZ form, then DIF tokens with DUP counts; every line
// after the first starts with the previous line's last ordinate.
std::string difDupBlock(const std::vector<long long>& y) {
  std::string out;
  const long long n = static_cast<long long>(y.size());
  long long i = 0;
  while (i < n - 1) {
    std::string line = std::to_string(n - 1 - i) + squeezed(y[i], "@ABCDEFGHI", "@abcdefghi");
    long long j = i + 1;
    while (j < n && line.size() < 68) {
      long long d = y[j] - y[j - 1];
      long long run = 1;
      while (j + run < n && y[j + run] - y[j + run - 1] == d) ++run;
      line += squeezed(d, "%JKLMNOPQR", "%jklmnopqr");
      if (run > 1) {
        std::string digits = std::to_string(run);
        line += std::string(1, "?STUVWXYZs"[digits[0] - '0']) + digits.substr(1);
      }
      j += run;
    }
    out += line + "\r\n";
    i = j - 1;
  }
  return out;
}

// Lorentzian lines on a noisy baseline, as 20-bit integers.
std::vector<long long> spectrum(long n) {
  std::vector<long long> y(static_cast<std::size_t>(n));
  std::mt19937 noise(7);  // fixed, so every run decodes the same file
  std::uniform_int_distribution<int> jitter(-100, 99);
  for (long i = 0; i < n; ++i) {
    double v = 0;
    for (int k = 1; k <= 12; ++k) {
      double centre = n * k / 13.0;
      double width = 40.0 + 15 * k;
      double d = (i - centre) / width;
      v += 400000.0 / k / (1 + d * d);
    }
    v += jitter(noise);
    y[static_cast<std::size_t>(i)] = static_cast<long long>(std::lround(v));
  }
  return y;
}

constexpr long kGeneratedPoints = 1 << 20;

struct Generated {
  std::string path;
  std::string block;
  std::size_t bytes = 0;
  Generated() {
    block = difDupBlock(spectrum(kGeneratedPoints));
    std::string text =
        "##TITLE= generated DIFDUP spectrum\r\n##JCAMP-DX= 5.01\r\n##DATA TYPE= NMR SPECTRUM\r\n"
        "##DATA CLASS= XYDATA\r\n##.OBSERVE FREQUENCY= 400.13\r\n##.ACQUISITION MODE= "
        "SIMULTANEOUS\r\n"
        "##NPOINTS= " +
        std::to_string(kGeneratedPoints) + "\r\n##FIRSTX= " + std::to_string(kGeneratedPoints - 1) +
        "\r\n##LASTX= 0\r\n##XFACTOR= 1\r\n##YFACTOR= 1\r\n"
        "##XYDATA= (X++(Y..Y))\r\n" +
        block + "##END=\r\n";
    char temp[MAX_PATH] = "";
    plat::ops().tempFolder(temp, sizeof temp);
    auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    path = std::string(temp) + "quintar-bench-jcamp-" + std::to_string(tick % 1000000007) + ".dx";
    writeAll(path, text);
    bytes = text.size();
  }
  ~Generated() { plat::ops().deleteFile(path.c_str()); }
};

const Generated& generated() {
  static const Generated g;
  return g;
}

// ---- benchmarks ----------------------------------------------------------------------

void readJcamp(benchmark::State& state, const std::string& path, std::size_t bytes) {
  SPECINFO info;
  if (NMRGetParJCAMP(path.c_str(), &info) != 0) {
    state.SkipWithError("parameters refused");
    return;
  }
  std::vector<float> y(static_cast<std::size_t>(info.GetSI(1)));
  for (auto _ : state) {
    int status = NMRReadJCAMP(path.c_str(), &info, y.data(), nullptr);
    if (status != 0) {
      state.SkipWithError(("read failed with status " + std::to_string(status)).c_str());
      break;
    }
    benchmark::DoNotOptimize(y.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * y.size()));
  state.counters["points"] = static_cast<double>(y.size());
}

void parametersJcamp(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    SPECINFO info;
    benchmark::DoNotOptimize(NMRGetParJCAMP(path.c_str(), &info));
  }
}

void BM_ReadGeneratedDifDup(benchmark::State& state) {
  const Generated& g = generated();
  readJcamp(state, g.path, g.bytes);
}
BENCHMARK(BM_ReadGeneratedDifDup)->Unit(benchmark::kMillisecond);

void BM_ParametersGeneratedDifDup(benchmark::State& state) {
  parametersJcamp(state, generated().path);
}
BENCHMARK(BM_ParametersGeneratedDifDup)->Unit(benchmark::kMicrosecond);

// The block decoder alone, from memory.
void BM_DecodeGeneratedBlock(benchmark::State& state) {
  const std::string& block = generated().block;
  std::vector<float> y(kGeneratedPoints);
  char line[cv::jcamp::kLineArea];
  cv::jcamp::BlockParams params;
  params.firstX = static_cast<float>(kGeneratedPoints - 1);
  params.lastX = 0;
  params.nPoints = kGeneratedPoints;
  for (auto _ : state) {
    cv::jcamp::MemoryLines lines(block.data(), block.size());
    unsigned status = cv::jcamp::decodeBlock(lines, line, y.data(), params, nullptr);
    if (status != 0) {
      state.SkipWithError(("decoding failed with status " + std::to_string(status)).c_str());
      break;
    }
    benchmark::DoNotOptimize(y.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kGeneratedPoints));
}
BENCHMARK(BM_DecodeGeneratedBlock)->Unit(benchmark::kMillisecond);

// Every accepted JCAMP-DX file of the real data sets, registered at start.
void findFiles(const std::string& folder, std::vector<std::string>* out) {
  plat::FindData found;
  HANDLE h = plat::ops().findFirst((folder + "/*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string entry = found.name;
    if (entry == "." || entry == "..") continue;
    std::string full = folder + "/" + entry;
    if (found.attributes & plat::kAttrDirectory) {
      findFiles(full, out);
    } else {
      out->push_back(full);
    }
  } while (plat::ops().findNext(h, &found));
  plat::ops().findClose(h);
}

struct RealFiles {
  RealFiles() {
    std::string root = testdataDir() + "/jcamp";
    std::vector<std::string> files;
    findFiles(root, &files);
    for (const std::string& path : files) {
      if (!NMRIsJCAMP(path.c_str())) continue;
      SPECINFO info;
      if (NMRGetParJCAMP(path.c_str(), &info) != 0) continue;
      std::size_t bytes = readAll(path).size();
      std::string name = path.substr(root.size() + 1);
      benchmark::RegisterBenchmark(("BM_ReadReal/" + name).c_str(), [path,
                                                                     bytes](benchmark::State& s) {
        readJcamp(s, path, bytes);
      })->Unit(benchmark::kMicrosecond);
    }
  }
};

const RealFiles kRealFiles;

}  // namespace

BENCHMARK_MAIN();
