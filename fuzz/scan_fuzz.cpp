// Fuzz target of the parameter-file scanners: the Bruker ##$NAME= lookups,
// key=value lookups, binary WinNMR records, GetLine and Search over a buffer
// of exactly the input's size (no terminator after it), and the JCAMP-DX
// label lookup, label-line seeking and NMRAllocRead over the input written
// to a file.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "datafiles/convera.h"
#include "datafiles/scan_internal.h"
#include "winutil/platform/platform.h"

namespace {

// Keyword identifiers of Convera's table.
constexpr int kFirstUnixName = 1000, kLastUnixName = 1014;  // AQ_mod .. XDIM
constexpr int kFirstParKey = 1020, kLastParKey = 1029;      // ch1= .. rmvunits1=

const char* const kJcampLabels[] = {"TITLE", "JCAMPDX", "DATA TYPE", "XFACTOR", ".OBSERVE FREQUENCY",
                                    "NPOINTS", "XYDATA", "END"};

void scanBuffer(const char* buf, long length) {
  for (int id = kFirstUnixName; id <= kLastUnixName; ++id) {
    long l;
    float f;
    double d;
    ReadUXNMRLong(buf, length, id, &l);
    ReadUXNMRFloat(buf, length, id, &f);
    ReadUXNMRDouble(buf, length, id, &d);
    SearchUnixPar(id, buf, length);
    ReadWinNMRLong(buf, length, id, &l);
    ReadWinNMRFloat(buf, length, id, &f);
    ReadWinNMRDouble(buf, length, id, &d);
  }
  for (int id = kFirstParKey; id <= kLastParKey; ++id) {
    long l;
    double d;
    ReadParLong(buf, length, id, &l);
    ReadParDouble(buf, length, id, &d);
  }
  Search("##", buf, length);
  Search("", buf, length);

  // Walk the buffer line by line with small and large line areas.
  for (long size : {1L, 2L, 7L, 200L}) {
    std::unique_ptr<char[]> out(new char[static_cast<std::size_t>(size)]);
    long at = 0;
    while (at < length) {
      long n = GetLine(out.get(), size, buf + at, length - at);
      if (n <= 0) break;
      std::size_t copied = std::strlen(out.get());
      at += static_cast<long>(copied);
      if (at < length && buf[at] == '\n') ++at;
      else if (copied == 0) ++at;
    }
  }
}

// The file that holds the current input; removed when the process ends.
struct Scratch {
  std::string path;
  Scratch() {
    char folder[MAX_PATH] = "";
    plat::ops().tempFolder(folder, sizeof folder);
    auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    path = std::string(folder) + "quintar-scan-fuzz-" +
           std::to_string(reinterpret_cast<std::uintptr_t>(this) ^ static_cast<std::uintptr_t>(tick)) +
           ".tmp";
  }
  ~Scratch() { plat::ops().deleteFile(path.c_str()); }
};

const std::string& scratchFile() {
  static const Scratch scratch;
  return scratch.path;
}

void scanFile(const std::uint8_t* data, std::size_t size) {
  const std::string& path = scratchFile();
  {
    plat::File f(plat::openFile(path.c_str(), plat::Access::Write, plat::Share::Read,
                                plat::Disposition::CreateAlways));
    if (!f.ok()) return;
    DWORD put = 0;
    if (size && !plat::writeFile(f.get(), data, static_cast<DWORD>(size), &put)) return;
  }
  {
    plat::File f(plat::openFile(path.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                                plat::Disposition::OpenExisting));
    if (!f.ok()) return;
    char value[200];
    for (const char* label : kJcampLabels) cv::findJcampLabel(f.get(), label, value, sizeof value);
    cv::findJcampLabel(f.get(), "TITLE", value, 3);
    char line[cv::kLabelLineSize];
    for (int n = 1; n <= 3; ++n) cv::seekLabelLine(f.get(), ":", n, line);
  }
  long length = 0;
  char* buffer = NMRAllocRead(plat::openFile(path.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                                             plat::Disposition::OpenExisting),
                              &length);
  if (buffer) {
    scanBuffer(buffer, length);
    NMRFreeBuffer(buffer);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  // Exactly the input's bytes: a read past the end is caught.
  std::unique_ptr<char[]> copy(new char[size ? size : 1]);
  if (size) std::memcpy(copy.get(), data, size);
  scanBuffer(size ? copy.get() : nullptr, static_cast<long>(size));
  // Label normalisation of the input as a text.
  std::unique_ptr<char[]> text(new char[size + 1]);
  if (size) std::memcpy(text.get(), data, size);
  text[size] = 0;
  cv::normaliseLabel(text.get());
  scanFile(data, size);
  return 0;
}
