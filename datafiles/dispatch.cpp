// Format detection, the classification of data file names and the dispatch
// of parameter and intensity reading by format.

#include <cctype>
#include <cstring>
#include <string>

#include "datafiles/convera_internal.h"

namespace {

struct NameClass {
  const char* name;  // extension without its point, or the whole file name
  unsigned format;
};

const NameClass kNames[] = {
    {"fid", DF_FID | DF_1D},           {"1r", DF_SPECTRUM | DF_1D | DF_1R},
    {"1i", DF_SPECTRUM | DF_1D | DF_1I}, {"ser", DF_FID | DF_2D},
    {"rr", DF_SPECTRUM | DF_2D | DF_RR}, {"ri", DF_SPECTRUM | DF_2D | DF_RI},
    {"ir", DF_SPECTRUM | DF_2D | DF_IR}, {"ii", DF_SPECTRUM | DF_2D | DF_II},
};

bool sameNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

using cv::usablePath;

}  // namespace

unsigned GetExtensionType(const char* path) {
  if (!usablePath(path)) return 0;
  std::string p(path);
  std::string name = cv::nameOf(p);
  if (name.empty()) return 0;
  std::size_t dot = name.find_last_of('.');
  // With an extension only the extension counts: x.fid is an FID, fid.txt is not.
  std::string key = dot == std::string::npos ? name : name.substr(dot + 1);
  for (const NameClass& c : kNames)
    if (sameNoCase(key, c.name)) return c.format;
  return DF_UNKNOWN;
}

int NMRCheckFormat(const char* path) {
  if (!usablePath(path)) {
    cv::report(cv::kCtxCheckFormat, cv::kInvalidPointer);
    return -1;
  }
  struct Test {
    int (*is)(const char*);
    fileformat format;
  };
  static const Test kOrder[] = {
      {NMRIsGenericWinNMR, FF_GENERICWINNMR}, {NMRIsUnixWinNMR, FF_UNIXWINNMR},
      {NMRIsXWinNMR, FF_XWINNMR},             {NMRIsJCAMP, FF_JCAMP},
      {NMRIsASCIIWinNMR, FF_ASCIIWINNMR},     {NMRIsSpinsight, FF_SPINSIGHT},
      {NMRIsSimpson, FF_SIMPSON},             {NMRIsQuintar, FF_QUINTAR},
      {NMRIsVNMR, FF_VNMR},
  };
  for (const Test& t : kOrder)
    if (t.is(path) == 1) return t.format;
  return FF_UNKNOWN;
}

int NMRGetParameters(HWND owner, const char* path, SPECINFO* info) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) {
    cv::report(cv::kCtxGetParameters, cv::kInvalidPointer);
    return 0;
  }
  int status, context;
  switch (info->GetFormat()) {
    case FF_GENERICWINNMR: status = NMRGetParGenWinNMR(path, info); context = cv::kCtxParGenWinNMR; break;
    case FF_UNIXWINNMR: status = NMRGetParUnixWinNMR(path, info); context = cv::kCtxParUnixWinNMR; break;
    case FF_QUINTAR: status = NMRGetParQuintar(path, info); context = cv::kCtxParQuintar; break;
    case FF_ASCIIWINNMR: status = NMRGetParASCIIWinNMR(owner, path, info); context = cv::kCtxParAsciiWinNMR; break;
    case FF_SPINSIGHT: status = NMRGetParSpinsight(path, info); context = cv::kCtxParSpinsight; break;
    case FF_XWINNMR: status = NMRGetParXWinNMR(path, info); context = cv::kCtxParXWinNMR; break;
    case FF_JCAMP: status = NMRGetParJCAMP(path, info); context = cv::kCtxParJcamp; break;
    case FF_SIMPSON: status = NMRGetParSimpson(owner, path, info); context = cv::kCtxParSimpson; break;
    case FF_VNMR: status = NMRGetParVNMR(path, info); context = cv::kCtxParVNMR; break;
    default: status = cv::kIllegalFormat; context = cv::kCtxGetParameters; break;
  }
  if (status != cv::kOk) return cv::report(context, status);
  return 1;
}

int NMRReadSpectrum(const char* path, SPECINFO* info, float* real, float* imag) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) {
    cv::report(cv::kCtxReadSpectrum, cv::kInvalidPointer);
    return 0;
  }
  int status, context;
  switch (info->GetFormat()) {
    case FF_GENERICWINNMR: status = NMRReadWinNMR(path, info, real, imag); context = cv::kCtxReadGenWinNMR; break;
    case FF_UNIXWINNMR: status = NMRReadWinNMR(path, info, real, imag); context = cv::kCtxReadUnixWinNMR; break;
    case FF_QUINTAR: status = NMRReadQuintar(path, info, real); context = cv::kCtxReadQuintar; break;
    case FF_ASCIIWINNMR: status = NMRReadWinNMRASCII(path, info, real, imag); context = cv::kCtxReadAsciiWinNMR; break;
    case FF_SPINSIGHT: status = NMRReadSpinsight(path, info, real, imag); context = cv::kCtxReadSpinsight; break;
    case FF_XWINNMR: status = NMRReadXWinNMR(path, info, real, imag); context = cv::kCtxReadXWinNMR; break;
    case FF_JCAMP: status = NMRReadJCAMP(path, info, real, imag); context = cv::kCtxReadJcamp; break;
    case FF_SIMPSON: status = NMRReadSimpson(path, info, real, imag); context = cv::kCtxReadSimpson; break;
    case FF_VNMR: status = cv::kPrematureEnd; context = cv::kCtxReadVNMR; break;
    default: status = cv::kIllegalFormat; context = cv::kCtxReadSpectrum; break;
  }
  if (status != cv::kOk) return cv::report(context, status);
  info->SetFileName(path);
  return 1;
}

// The writers of the output kinds come with the conversion commands; until
// then no kind is written and nothing is created.
int NMRSaveSpectrum(const char*, unsigned, SPECINFO*, float*, float*) { return 0; }
