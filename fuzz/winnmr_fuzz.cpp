// Fuzz target of the WinNMR readers. The first byte chooses the input:
// even, the bytes are a binary parameter file pair (the next two bytes give
// where the .aqs ends and the .fqs begins) beside a small data file; odd,
// they are an ASCII export. Detection, the parameter reader and the data
// reader all run; a prompt for the spectrometer frequency is refused and
// error boxes are dropped.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "winutil/platform/platform.h"

namespace {

void dropBox(const char*, const char*) {}
BOOL refuse(HWND, const char*, const char*, char*, int) { return FALSE; }

std::string folder() {
  char temp[MAX_PATH] = "";
  plat::ops().tempFolder(temp, sizeof temp);
  std::string f = std::string(temp) + "quintar-fuzz-winnmr";
  plat::ops().createDirectory(f.c_str());
  return f + (f.find('\\') != std::string::npos ? "\\" : "/");
}

void put(const std::string& path, const std::uint8_t* data, std::size_t size) {
  plat::File f(plat::openFile(path.c_str(), plat::Access::Write, plat::Share::Exclusive,
                              plat::Disposition::CreateAlways));
  DWORD put = 0;
  if (f.ok() && size) plat::writeFile(f.get(), data, static_cast<DWORD>(size), &put);
}

// Reads the data when the record asks for a sane number of points.
void read(const std::string& path, SPECINFO& info, bool ascii) {
  long si = info.GetSI(1);
  if (si < 0 || si > (1L << 20)) return;
  std::vector<float> re(static_cast<std::size_t>(si) + 1), im(re.size());
  if (ascii) {
    NMRReadWinNMRASCII(path.c_str(), &info, re.data(), im.data());
  } else {
    NMRReadWinNMR(path.c_str(), &info, re.data(), im.data());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string dir = folder();
  plat::ui().errorBox = dropBox;
  plat::ui().askValue = refuse;
  if (size < 3) return 0;
  if (data[0] & 1) {
    std::string path = dir + "export.txt";
    put(path, data + 1, size - 1);
    NMRIsASCIIWinNMR(path.c_str());
    SPECINFO info;
    if (NMRGetParASCIIWinNMR(nullptr, path.c_str(), &info) == 0) read(path, info, true);
    return 0;
  }
  std::size_t split = (static_cast<std::size_t>(data[1]) << 8 | data[2]) % (size - 2);
  const std::uint8_t* body = data + 3;
  std::size_t length = size - 3;
  if (split > length) split = length;
  static const std::uint8_t words[64] = {0, 0, 128, 63, 0, 0, 0, 64};
  put(dir + "sample.aqs", body, split);
  put(dir + "sample.fqs", body + split, length - split);
  put(dir + "sample.fid", words, sizeof words);
  put(dir + "sample.1r", words, sizeof words);
  for (const char* name : {"sample.fid", "sample.1r"}) {
    std::string path = dir + name;
    NMRIsGenericWinNMR(path.c_str());
    SPECINFO info;
    if (NMRGetParGenWinNMR(path.c_str(), &info) == 0) read(path, info, false);
  }
  return 0;
}
