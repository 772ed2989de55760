// Fuzz target of the Quintar ".dat" reader: the bytes are a ".dat" file.
// Detection, the parameter reader and the data reader run; error boxes are
// dropped.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/convera.h"
#include "winutil/platform/platform.h"

namespace {

void dropBox(const char*, const char*) {}

std::string file() {
  char temp[MAX_PATH] = "";
  plat::ops().tempFolder(temp, sizeof temp);
  return std::string(temp) + "quintar-fuzz.dat";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = file();
  plat::ui().errorBox = dropBox;
  {
    plat::File f(plat::openFile(path.c_str(), plat::Access::Write, plat::Share::Exclusive,
                                plat::Disposition::CreateAlways));
    DWORD put = 0;
    if (f.ok() && size) plat::writeFile(f.get(), data, static_cast<DWORD>(size), &put);
  }
  NMRIsQuintar(path.c_str());
  SPECINFO info;
  if (NMRGetParQuintar(path.c_str(), &info) != 0) return 0;
  long si = info.GetSI(1);
  if (si < 0 || si > (1L << 20)) return 0;
  std::vector<float> re(static_cast<std::size_t>(si) + 1);
  NMRReadQuintar(path.c_str(), &info, re.data());
  return 0;
}
