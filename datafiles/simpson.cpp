// The SIMPSON reader: the text output of the simulation program, a header
// of KEY=value lines ended by a line "DATA", then one line per point with
// the real and imaginary value (or one value).
//
// Behaviour chosen where the format leaves room, and faults that are mended:
// - Header lines are tested after normalisation (upper case, blanks, minus
//   signs, underscores ... removed), but the value is converted from the line
//   as written, after its "=": normalisation would turn SW=1e-3 into 1E3 and
//   REF=-5 into 5.
// - A file with several data sets after one header (an NELEM line) gives its
//   first data set.
// - The spectrometer frequency is asked for also when REF is not a number;
//   NP beyond what a record holds gives 115, an SW that is not a finite
//   positive number gives 202. A record that cannot be allocated gives 258.
// - Data lines are whole lines of at most 259 characters (a longer line does
//   not scan); a value that a float cannot hold gives 126; text such as "nan"
//   is no number.

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datafiles/convera_internal.h"
#include "datafiles/scan_internal.h"

namespace {

using namespace cv;

// Texts of this reader (others.rc).
enum : int {
  kTextSimp = 1400,
  kTextNP = 1401,
  kTextSW = 1402,
  kTextData = 1403,
  kKeyNPEq = 1404,
  kKeySWEq = 1405,
  kKeyType = 1406,
  kKeySpe = 1407,
  kKeyFid = 1408,
  kKeyRefEq = 1409,
};

constexpr int kInvalidDataType = 201;
constexpr int kInvalidSW = 202;
constexpr std::size_t kLine = 260;

// A number at `*p` (after blanks) as a float; *p moves past it. 0, 118 when
// there is none, 126 when a float cannot hold it.
int scanNumber(const char** p, float* value) {
  const char* s = *p;
  while (*s == ' ' || *s == '\t') ++s;
  bool starts = (*s >= '0' && *s <= '9') || *s == '+' || *s == '-' || *s == '.';
  if (!starts) return kPrematureEnd;
  char* end = nullptr;
  double v = std::strtod(s, &end);
  if (end == s) return kPrematureEnd;
  if (!asFloat(v, value)) return kNaN;
  *p = end;
  return kOk;
}

bool contains(const char* line, int id) {
  std::string t = text(id);
  return !t.empty() && std::strstr(line, t.c_str()) != nullptr;
}

// The key `id` in the normalised line `norm`: the text of the original
// `line` after the "=" that ends it, or null. Normalisation removes no "=",
// so the k-th "=" of both lines is the same one.
const char* valueOf(const char* line, const char* norm, int id) {
  std::string key = text(id);
  const char* at = key.empty() ? nullptr : std::strstr(norm, key.c_str());
  if (!at) return nullptr;
  const char* eq = at + key.size() - 1;
  int k = 0;
  for (const char* q = norm; q <= eq; ++q)
    if (*q == '=') ++k;
  for (const char* q = line; *q; ++q)
    if (*q == '=' && --k == 0) return q + 1;
  return nullptr;
}

int readHeader(HWND owner, HANDLE file, SPECINFO* info) {
  TextLines lines(file);
  char line[kLine], norm[kLine];
  bool cut = false;
  long np = 0;
  double sw = 0, ref = 0;
  unsigned format = DF_UNKNOWN;
  bool typed = false;
  for (;;) {
    if (!lines.next(line, sizeof line, &cut)) return kPrematureEnd;
    std::memcpy(norm, line, sizeof norm);
    normaliseLabel(norm);
    const char* v = nullptr;
    if (contains(norm, kTextData)) break;
    if ((v = valueOf(line, norm, kKeyNPEq)) != nullptr) {
      np = std::strtol(v, nullptr, 10);
    } else if ((v = valueOf(line, norm, kKeySWEq)) != nullptr) {
      sw = std::strtod(v, nullptr);
    } else if (contains(norm, kKeyType)) {
      if (contains(norm, kKeySpe)) {
        format = DF_1D | DF_COMPLEX;
      } else if (contains(norm, kKeyFid)) {
        format = DF_FID | DF_1D;
      } else {
        return kInvalidDataType;
      }
      typed = true;
    } else if ((v = valueOf(line, norm, kKeyRefEq)) != nullptr) {
      ref = std::strtod(v, nullptr);
    }
  }
  if (!typed) return kNoDatatype;
  float sf = 0;
  if (!asFloat(ref, &sf) || !(sf > 0)) {
    if (int st = askSF(owner, &sf)) return st;
  }
  if (np < 2 || np > 0x7FFFFFFF) return kBadSI;
  float width = 0;
  if (!asFloat(sw, &width) || !(width > 0)) return kInvalidSW;
  info->SetSI(np, 1);
  info->SetTD(np, 1);
  info->SetSF(sf, 1);
  info->SetF1(width / 2, 1);
  info->SetF2(-width / 2, 1);
  info->SetAQMode(0, 1);
  info->SetNucleus(0, 1);
  info->SetDataFormat(format);
  return kOk;
}

int readData(HANDLE file, long n, float* real, float* imag) {
  TextLines lines(file);
  char line[kLine];
  bool cut = false;
  std::string data = text(kTextData);
  if (data.empty()) return kPrematureEnd;
  do {
    if (!lines.next(line, sizeof line, &cut)) return kPrematureEnd;
  } while (!std::strstr(line, data.c_str()));
  for (long j = 0; j < n; ++j) {
    if (!lines.next(line, sizeof line, &cut) || cut) return kPrematureEnd;
    const char* p = line;
    if (int st = scanNumber(&p, &real[j])) return st;
    if (imag) {
      if (int st = scanNumber(&p, &imag[j])) return st;
    }
  }
  return kOk;
}

}  // namespace

int NMRIsSimpson(const char* path) {
  if (!usablePath(path)) return 0;
  plat::File file(openRead(path));
  if (!file.ok()) return 0;
  TextLines lines(file.get());
  char line[kLine];
  bool cut = false;
  for (int id : {kTextSimp, kTextNP, kTextSW}) {
    if (!lines.next(line, sizeof line, &cut)) return 0;
    normaliseLabel(line);
    if (!contains(line, id)) return 0;
  }
  return 1;
}

int NMRGetParSimpson(HWND owner, const char* path, SPECINFO* info) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return kInvalidArgument;
  plat::File file(openRead(path));
  if (!file.ok()) return kOpenError;
  if (!info->SetDimension(1)) return kNoMemory;
  return readHeader(owner, file.get(), info);
}

int NMRReadSimpson(const char* path, SPECINFO* info, float* real, float* imag) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return kInvalidArgument;
  if (!real) return kBadRealPointer;
  plat::File file(openRead(path));
  if (!file.ok()) return kOpenError;
  int st = readData(file.get(), info->GetSI(1), real, imag);
  info->SetModTime(GetTimeLastModified(path));
  return st;
}
