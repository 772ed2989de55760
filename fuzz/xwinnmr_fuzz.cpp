// Fuzz target of the XWinNMR / TopSpin reader: the input is cut at its first
// two zero bytes into acqus, procs and the data file of a scratch experiment
// tree (1/acqus, 1/pdata/1/procs and 1/fid or 1/pdata/1/1r, with acqu2s /
// proc2s and ser or rr for a 2D tree when the first byte is odd); then
// detection, the parameters and the intensities, with buffers sized from the
// record as a caller sizes them.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/specinfo.h"
#include "winutil/platform/platform.h"

namespace {

constexpr long kMaxValues = 1L << 20;

// The scratch tree; removed when the process ends.
class Tree {
 public:
  Tree() {
    char folder[MAX_PATH] = "";
    plat::ops().tempFolder(folder, sizeof folder);
    auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = std::string(folder) + "quintar-xwinnmr-fuzz-" +
            std::to_string(reinterpret_cast<std::uintptr_t>(this) ^ static_cast<std::uintptr_t>(tick));
    for (const char* d : {"", "/1", "/1/pdata", "/1/pdata/1"}) plat::ops().createDirectory((root_ + d).c_str());
  }
  ~Tree() {
    for (const char* f : kFiles) plat::ops().deleteFile(path(f).c_str());
    for (const char* d : {"/1/pdata/1", "/1/pdata", "/1", ""}) plat::ops().removeDirectory((root_ + d).c_str());
  }
  std::string path(const char* rel) const { return root_ + rel; }
  void clear() const {
    for (const char* f : kFiles) plat::ops().deleteFile(path(f).c_str());
  }
  void write(const char* rel, const std::uint8_t* data, std::size_t size) const {
    plat::File f(plat::openFile(path(rel).c_str(), plat::Access::Write, plat::Share::Read,
                                plat::Disposition::CreateAlways));
    DWORD put = 0;
    if (f.ok() && size) plat::writeFile(f.get(), data, static_cast<DWORD>(size), &put);
  }

  static constexpr const char* kFiles[] = {"/1/acqus", "/1/acqu2s", "/1/fid", "/1/ser",
                                           "/1/pdata/1/procs", "/1/pdata/1/proc2s",
                                           "/1/pdata/1/1r", "/1/pdata/1/1i", "/1/pdata/1/rr",
                                           "/1/pdata/1/ii"};

 private:
  std::string root_;
};

const Tree& tree() {
  static const Tree t;
  return t;
}

void readAll(const std::string& file) {
  NMRIsXWinNMR(file.c_str());
  SPECINFO info;
  if (NMRGetParXWinNMR(file.c_str(), &info) != 0) return;
  long n = info.GetSI(1);
  if (info.GetDimension() == 2 && (info.GetDataFormat() & DF_FID)) n *= info.GetSI(2);
  if (n < 0 || n > kMaxValues) return;
  std::vector<float> real(static_cast<std::size_t>(n) + 1), imag(static_cast<std::size_t>(n) + 1);
  NMRReadXWinNMR(file.c_str(), &info, real.data(), imag.data());
  NMRReadXWinNMR(file.c_str(), &info, real.data(), nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > (1u << 20)) return 0;
  const Tree& t = tree();
  t.clear();
  bool twoD = data[0] & 1;
  bool fid = data[0] & 2;
  std::size_t cut[2] = {size, size};
  for (std::size_t i = 1, k = 0; i < size && k < 2; ++i)
    if (data[i] == 0) cut[k++] = i;
  const std::uint8_t* acqus = data + 1;
  std::size_t acqusSize = cut[0] - 1;
  const std::uint8_t* procs = data + (cut[0] < size ? cut[0] + 1 : size);
  std::size_t procsSize = (cut[1] < size ? cut[1] : size) - (procs - data);
  const std::uint8_t* words = data + (cut[1] < size ? cut[1] + 1 : size);
  std::size_t wordsSize = size - static_cast<std::size_t>(words - data);

  t.write("/1/acqus", acqus, acqusSize);
  t.write("/1/pdata/1/procs", procs, procsSize);
  if (twoD) {
    t.write("/1/acqu2s", acqus, acqusSize);
    t.write("/1/pdata/1/proc2s", procs, procsSize);
  }
  const char* named = twoD ? (fid ? "/1/ser" : "/1/pdata/1/rr") : (fid ? "/1/fid" : "/1/pdata/1/1r");
  t.write(named, words, wordsSize);
  if (!fid) t.write(twoD ? "/1/pdata/1/ii" : "/1/pdata/1/1i", words, wordsSize / 2);
  readAll(t.path(named));

  NMRDIMENSION d;
  ReadUXAQSParas(t.path("/1/acqus").c_str(), &d);
  ReadUXFQSParas(t.path("/1/pdata/1/procs").c_str(), &d);
  return 0;
}
