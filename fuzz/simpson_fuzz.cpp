// Fuzz target of the SIMPSON reader: the bytes are a SIMPSON file. Detection,
// the header scan and the data reader run; a prompt for the spectrometer
// frequency is refused and error boxes are dropped.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "winutil/platform/platform.h"

namespace {

void dropBox(const char*, const char*) {}
BOOL refuse(HWND, const char*, const char*, char*, int) { return FALSE; }
// Answers the prompt, so that files without a REF line reach the data.
BOOL answer(HWND, const char*, const char*, char* buffer, int size) {
  return plat::copyText(buffer, static_cast<std::size_t>(size), "400");
}

std::string file() {
  char temp[MAX_PATH] = "";
  plat::ops().tempFolder(temp, sizeof temp);
  return std::string(temp) + "quintar-fuzz-simpson.fid";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = file();
  plat::ui().errorBox = dropBox;
  plat::ui().askValue = size && (data[0] & 1) ? answer : refuse;
  {
    plat::File f(plat::openFile(path.c_str(), plat::Access::Write, plat::Share::Exclusive,
                                plat::Disposition::CreateAlways));
    DWORD put = 0;
    if (f.ok() && size) plat::writeFile(f.get(), data, static_cast<DWORD>(size), &put);
  }
  NMRIsSimpson(path.c_str());
  SPECINFO info;
  if (NMRGetParSimpson(nullptr, path.c_str(), &info) != 0) return 0;
  long si = info.GetSI(1);
  if (si < 0 || si > (1L << 20)) return 0;
  std::vector<float> re(static_cast<std::size_t>(si) + 1), im(re.size());
  NMRReadSimpson(path.c_str(), &info, re.data(), im.data());
  NMRReadSimpson(path.c_str(), &info, re.data(), nullptr);
  return 0;
}
