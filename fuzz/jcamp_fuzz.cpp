// Fuzz target of the JCAMP-DX reader: the token decoder nxval over the input
// as a text (both modes), the block decoder over exactly the input's bytes
// from memory and over the same bytes in a file (both must agree), and
// detection, parameters and data of the input as a JCAMP-DX file (record
// lookup included). The first bytes of the input choose the block's shape.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "datafiles/jcamp_internal.h"
#include "datafiles/specinfo.h"
#include "winutil/platform/platform.h"

namespace {

int gBoxes = 0;
void countBox(const char*, const char*) { ++gBoxes; }

// The file that holds the current input; removed when the process ends.
struct Scratch {
  std::string path;
  Scratch() {
    char folder[MAX_PATH] = "";
    plat::ops().tempFolder(folder, sizeof folder);
    auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    path =
        std::string(folder) + "quintar-jcamp-fuzz-" +
        std::to_string(reinterpret_cast<std::uintptr_t>(this) ^ static_cast<std::uintptr_t>(tick)) +
        ".dx";
    plat::ui().errorBox = countBox;
  }
  ~Scratch() { plat::ops().deleteFile(path.c_str()); }
};

const std::string& scratchFile() {
  static const Scratch scratch;
  return scratch.path;
}

bool writeScratch(const std::uint8_t* data, std::size_t size) {
  plat::File f(plat::openFile(scratchFile().c_str(), plat::Access::Write, plat::Share::Read,
                              plat::Disposition::CreateAlways));
  if (!f.ok()) return false;
  DWORD put = 0;
  return size == 0 || plat::writeFile(f.get(), data, static_cast<DWORD>(size), &put);
}

// Every token of the text, in both modes; positions stay inside the text.
void walkTokens(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<char[]> text(new char[size + 1]);
  if (size) std::memcpy(text.get(), data, size);
  text[size] = 0;
  const std::size_t length = std::strlen(text.get());
  for (int compressed = 0; compressed < 2; ++compressed) {
    char* p = text.get();
    for (std::size_t guard = 0; guard <= length + 1; ++guard) {
      double value = 0;
      long count = 0;
      char* next = nxval(p, &value, &count, compressed);
      if (!next || reinterpret_cast<std::uintptr_t>(next) < 65536) break;
      if (next <= p || next > text.get() + length) std::abort();
      p = next;
    }
  }
}

struct Shape {
  cv::jcamp::BlockParams params;
  std::size_t skip = 0;  // bytes of the input that chose the shape
};

Shape shapeOf(const std::uint8_t* data, std::size_t size) {
  Shape s;
  s.params.nPoints = 64;
  s.params.firstX = 0;
  s.params.lastX = 63;
  if (size < 4) return s;
  s.params.nPoints = 1 + (data[0] | (data[1] << 8)) % 4096;  // 1 is refused
  s.params.firstX = static_cast<float>(static_cast<std::int8_t>(data[2]));
  s.params.lastX = s.params.firstX + static_cast<float>(s.params.nPoints - 1) *
                                         (data[3] & 1 ? 1.0f : -1.0f) * (data[3] & 2 ? 0.5f : 1.0f);
  s.params.xFactor = data[3] & 4 ? 0.5f : 1.0f;
  s.skip = 4;
  return s;
}

// The block decoder from memory and from a file: the same status, points
// and reports.
void decodeBoth(const std::uint8_t* data, std::size_t size) {
  Shape shape = shapeOf(data, size);
  const std::uint8_t* bytes = data + shape.skip;
  const std::size_t n = size - shape.skip;
  const std::size_t points = static_cast<std::size_t>(shape.params.nPoints);

  std::unique_ptr<char[]> exact(new char[n ? n : 1]);
  if (n) std::memcpy(exact.get(), bytes, n);
  std::vector<float> fromMemory(points, -7.0f);
  char line[cv::jcamp::kLineArea];
  cv::jcamp::MemoryLines lines(exact.get(), n);
  gBoxes = 0;
  unsigned memoryStatus =
      cv::jcamp::decodeBlock(lines, line, fromMemory.data(), shape.params, nullptr);
  int memoryBoxes = gBoxes;

  if (!writeScratch(bytes, n)) return;
  plat::File f(plat::openFile(scratchFile().c_str(), plat::Access::Read, plat::Share::ReadWrite,
                              plat::Disposition::OpenExisting));
  if (!f.ok()) return;
  std::vector<float> fromFile(points, -7.0f);
  gBoxes = 0;
  unsigned fileStatus =
      Jcamp_evalXYBlock(f.get(), fromFile.data(), shape.params.firstX, shape.params.lastX,
                        shape.params.nPoints, shape.params.xFactor, 1.0f, 0, 1);
  if (fileStatus != memoryStatus || gBoxes != memoryBoxes) std::abort();
  if (std::memcmp(fromFile.data(), fromMemory.data(), points * sizeof(float)) != 0) std::abort();
  std::int64_t position = -1;
  plat::seekFile(f.get(), 0, plat::Seek::Current, &position);
  if (position < 0 || static_cast<std::size_t>(position) != lines.position()) std::abort();
}

// The input as a JCAMP-DX file through the reader's entry points.
void readAsFile(const std::uint8_t* data, std::size_t size) {
  if (!writeScratch(data, size)) return;
  const char* path = scratchFile().c_str();
  NMRIsJCAMP(path);
  SPECINFO info;
  if (NMRGetParJCAMP(path, &info) != 0) return;
  long si = info.GetSI(1);
  if (si <= 0 || si > (1L << 20)) return;
  std::vector<float> y(static_cast<std::size_t>(si));
  NMRReadJCAMP(path, &info, y.data(), nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  walkTokens(data, size);
  decodeBoth(data, size);
  readAsFile(data, size);
  return 0;
}
