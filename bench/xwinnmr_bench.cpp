// The XWinNMR / TopSpin reader on a generated experiment of 32k points: a
// 1r (with its 1i) and a fid read through detection, parameters and data,
// against reading the same bytes with the platform's file operations alone.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/specinfo.h"
#include "winutil/platform/platform.h"

namespace {

constexpr int kPoints = 32768;

// A TopSpin experiment in the temporary folder, removed at the end.
class Experiment {
 public:
  Experiment() {
    char temp[MAX_PATH] = "";
    plat::ops().tempFolder(temp, sizeof temp);
    auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = std::string(temp) + "quintar-bench-xwinnmr-" + std::to_string(tick % 1000000007);
    sep_ = root_.find('/') != std::string::npos ? "/" : "\\";
    for (const char* d : {"", "1", "1/pdata", "1/pdata/1"}) plat::ops().createDirectory(path(d).c_str());
    write("1/acqus", parameters({"##$SFO1= 500.132249206", "##$SW_h= 5494.50549450549",
                                 "##$TD= 65536", "##$AQ_mod= 3", "##$BYTORDA= 0", "##$DECIM= 3640",
                                 "##$DSPFVS= 21", "##$GRPDLY= 76", "##$NC= -7", "##$NUCLEUS= <off>"}));
    write("1/pdata/1/procs", parameters({"##$OFFSET= 9.99032", "##$SI= 32768", "##$BYTORDP= 0",
                                         "##$NC_proc= -8", "##$XDIM= 0"}));
    write("1/fid", words(2 * kPoints, 0.01));
    write("1/pdata/1/1r", words(kPoints, 0.02));
    write("1/pdata/1/1i", words(kPoints, 0.03));
  }
  ~Experiment() {
    for (const char* f : {"1/acqus", "1/pdata/1/procs", "1/fid", "1/pdata/1/1r", "1/pdata/1/1i"})
      plat::ops().deleteFile(path(f).c_str());
    for (const char* d : {"1/pdata/1", "1/pdata", "1", ""}) plat::ops().removeDirectory(path(d).c_str());
  }
  std::string path(const std::string& rel) const {
    std::string r = rel;
    for (char& c : r)
      if (c == '/') c = sep_[0];
    return r.empty() ? root_ : root_ + sep_ + r;
  }

 private:
  static std::string parameters(const std::vector<std::string>& lines) {
    std::string s = "##TITLE= Parameter file, generated for the benchmark\n##JCAMPDX= 5.0\n";
    for (const auto& l : lines) s += l + "\n";
    return s + "##END=\n";
  }
  // A decaying oscillation as little-endian 32-bit integers.
  static std::string words(int n, double frequency) {
    std::string out(static_cast<std::size_t>(n) * 4, '\0');
    for (int i = 0; i < n; ++i) {
      auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(
          1e6 * std::exp(-i / 8000.0) * std::cos(frequency * i)));
      for (int b = 0; b < 4; ++b) out[4 * static_cast<std::size_t>(i) + b] = static_cast<char>(v >> (8 * b));
    }
    return out;
  }
  void write(const std::string& rel, const std::string& bytes) const {
    plat::File f(plat::openFile(path(rel).c_str(), plat::Access::Write, plat::Share::Exclusive,
                                plat::Disposition::CreateAlways));
    DWORD put = 0;
    if (f.ok()) plat::writeFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put);
  }

  std::string root_;
  std::string sep_;
};

const Experiment& experiment() {
  static const Experiment e;
  return e;
}

std::uint64_t sizeOf(const std::string& file) {
  plat::File f(plat::openFile(file.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                              plat::Disposition::OpenExisting));
  std::uint64_t size = 0;
  if (f.ok()) plat::fileSize(f.get(), &size);
  return size;
}

// Detection, parameters and data of one file, as the spectrum object loads
// it; `parts` are the files whose words it reads.
void readThroughConvera(benchmark::State& state, const char* rel, std::vector<const char*> parts) {
  std::string file = experiment().path(rel);
  std::vector<float> real(2 * kPoints), imag(2 * kPoints);
  for (auto _ : state) {
    SPECINFO info;
    int format = NMRCheckFormat(file.c_str());
    if (format != FF_XWINNMR) {
      state.SkipWithError("the generated file was not recognised");
      break;
    }
    info.SetFormat(static_cast<fileformat>(format));
    if (!NMRGetParameters(nullptr, file.c_str(), &info) ||
        !NMRReadSpectrum(file.c_str(), &info, real.data(), imag.data())) {
      state.SkipWithError("the generated file could not be read");
      break;
    }
    benchmark::DoNotOptimize(real.data());
    benchmark::DoNotOptimize(imag.data());
    benchmark::ClobberMemory();
  }
  std::uint64_t bytes = 0;
  for (const char* p : parts) bytes += sizeOf(experiment().path(p));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
}

// The bytes of the same files with one read call each, nothing else.
void readBytesOnly(benchmark::State& state, std::vector<const char*> parts) {
  std::vector<std::string> files;
  for (const char* p : parts) files.push_back(experiment().path(p));
  std::vector<char> buffer(8 * static_cast<std::size_t>(kPoints));
  std::int64_t bytes = 0;
  for (auto _ : state) {
    for (const std::string& file : files) {
      plat::File f(plat::ops().openFile(file.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                                        plat::Disposition::OpenExisting));
      DWORD got = 0;
      if (!f.ok() ||
          !plat::ops().readFile(f.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
        state.SkipWithError("the generated file could not be read");
        return;
      }
      bytes += got;
      benchmark::DoNotOptimize(buffer.data());
    }
  }
  state.SetBytesProcessed(bytes);
}

void BM_TopSpin1r(benchmark::State& state) {
  readThroughConvera(state, "1/pdata/1/1r", {"1/pdata/1/1r", "1/pdata/1/1i"});
}
void BM_TopSpinFid(benchmark::State& state) { readThroughConvera(state, "1/fid", {"1/fid"}); }
void BM_PlainRead1r(benchmark::State& state) { readBytesOnly(state, {"1/pdata/1/1r", "1/pdata/1/1i"}); }
void BM_PlainReadFid(benchmark::State& state) { readBytesOnly(state, {"1/fid"}); }

BENCHMARK(BM_TopSpin1r);
BENCHMARK(BM_PlainRead1r);
BENCHMARK(BM_TopSpinFid);
BENCHMARK(BM_PlainReadFid);

}  // namespace

BENCHMARK_MAIN();
