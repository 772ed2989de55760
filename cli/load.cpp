#include "cli/load.h"

#include <cstdio>
#include <new>

#include "datafiles/convera.h"

namespace cli {

const char* formatName(int format) {
  static const char* const kNames[] = {"unknown",   "generic WinNMR", "Unix-type WinNMR",
                                       "Quintar",   "WinNMR ASCII",   "Spinsight",
                                       "XWinNMR/TopSpin", "JCAMP-DX", "SIMPSON",
                                       "VNMR",      "XML"};
  return format >= 0 && format <= 10 ? kNames[format] : "unknown";
}

bool load(const std::string& path, DataSet& out) {
  out.format = NMRCheckFormat(path.c_str());
  if (out.format < 0) return false;
  if (out.format == FF_UNKNOWN) {
    std::fprintf(stderr, "quintar: %s: not a data file of a known NMR format\n", path.c_str());
    return false;
  }
  out.info.SetFormat(static_cast<fileformat>(out.format));
  if (!NMRGetParameters(nullptr, path.c_str(), &out.info)) return false;
  unsigned df = out.info.GetDataFormat();
  long si = out.info.GetSI(1);
  long rows = (df & DF_FID) && (df & DF_2D) ? out.info.GetSI(2) : 1;
  // The arrays of one data set stay well below 2^28 points (1 GiB a part).
  const long kLimit = 1L << 28;
  if (si <= 0 || rows <= 0 || si > kLimit / rows) {
    std::fprintf(stderr, "quintar: %s: unusable number of points (%ld x %ld)\n", path.c_str(), si,
                 rows);
    return false;
  }
  std::size_t n = static_cast<std::size_t>(si) * static_cast<std::size_t>(rows);
  try {
    out.real.assign(n, 0.0f);
    if ((df & DF_FID) || (df & DF_COMPLEX)) out.imag.assign(n, 0.0f);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "quintar: %s: not enough memory for %zu points\n", path.c_str(), n);
    return false;
  }
  return NMRReadSpectrum(path.c_str(), &out.info, out.real.data(),
                         out.imag.empty() ? nullptr : out.imag.data()) == 1;
}

}  // namespace cli
