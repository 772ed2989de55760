// The reader of the package's own ".dat" text format: five header lines (SI,
// SF in MHz, Inc in Hz per point, F1 and F2 in Hz), then SI intensities, one
// per line.
//
// Behaviour chosen where the format leaves room, and faults that are mended:
// - Lines are whole lines: a header line keeps its first 79 characters and a
//   value line of more than 99 characters does not scan, rather than the rest
//   of a long line being taken as the next line.
// - SI beyond what a record holds gives 115; limits that are not finite
//   numbers give 116; an SF that is not a positive number gives 117 (NaN
//   included). A record that cannot be allocated gives 258.
// - A value that a float cannot hold gives 126; text such as "nan" is no
//   number.

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "datafiles/convera_internal.h"

namespace {

using namespace cv;

constexpr std::size_t kHeaderLine = 80;
constexpr std::size_t kValueLine = 100;

// The five header lines; `lines` is the number found (at most 5).
struct Header {
  int lines = 0;
  long si = 0;
  double sf = 0, inc = 0, f1 = 0, f2 = 0;
};

Header readHeader(TextLines& in) {
  Header h;
  char line[kHeaderLine];
  bool cut = false;
  double* values[] = {nullptr, &h.sf, &h.inc, &h.f1, &h.f2};
  for (int i = 0; i < 5; ++i) {
    if (!in.next(line, sizeof line, &cut)) break;
    ++h.lines;
    if (i == 0) {
      h.si = std::strtol(line, nullptr, 10);
    } else {
      *values[i] = std::strtod(line, nullptr);
    }
  }
  return h;
}

// A number at the start of a value line as a float: 0, 118 when there is
// none, 126 when a float cannot hold it.
int scanValue(const char* line, float* value) {
  const char* s = line;
  while (*s == ' ' || *s == '\t') ++s;
  bool starts = (*s >= '0' && *s <= '9') || *s == '+' || *s == '-' || *s == '.';
  if (!starts) return kPrematureEnd;
  char* end = nullptr;
  double v = std::strtod(s, &end);
  if (end == s) return kPrematureEnd;
  return asFloat(v, value) ? kOk : kNaN;
}

}  // namespace

int NMRIsQuintar(const char* path) {
  if (!usablePath(path)) return 0;
  plat::File file(openRead(path));
  if (!file.ok()) return 0;
  TextLines in(file.get());
  Header h = readHeader(in);
  if (h.lines < 5 || h.si <= 1 || !(h.f2 < h.f1)) return 0;
  double w = h.f1 - h.f2;
  if (!(w <= DBL_MAX) || !(std::fabs(h.inc) <= DBL_MAX)) return 0;
  auto n = static_cast<double>(h.si);
  return std::abs(w / n - h.inc) < w * 1e-4 || std::abs(w / (n - 1) - h.inc) < w * 1e-4 ? 1 : 0;
}

int NMRGetParQuintar(const char* path, SPECINFO* info) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return kInvalidArgument;
  plat::File file(openRead(path));
  if (!file.ok()) return kOpenError;
  if (!info->SetDimension(1)) return kNoMemory;
  TextLines in(file.get());
  Header h = readHeader(in);
  if (h.si < 2 || h.si > 0x7FFFFFFF) return kBadSI;
  float sf = 0, f1 = 0, f2 = 0;
  if (h.f1 == h.f2 || !asFloat(h.f1, &f1) || !asFloat(h.f2, &f2)) return kBadLimits;
  if (!asFloat(h.sf, &sf) || !(sf > 0)) return kBadSF;
  info->SetSI(h.si, 1);
  info->SetTD(h.si, 1);
  info->SetSF(sf, 1);
  info->SetF1(f1, 1);
  info->SetF2(f2, 1);
  info->SetAQMode(0, 1);
  info->SetNucleus(0, 1);
  info->SetDataFormat(DF_SPECTRUM | DF_1D);
  return kOk;
}

int NMRReadQuintar(const char* path, SPECINFO* info, float* real) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return kInvalidArgument;
  if (!real) return kBadRealPointer;
  plat::File file(openRead(path));
  if (!file.ok()) return kOpenError;
  TextLines in(file.get());
  int st = readHeader(in).lines == 5 ? kOk : kPrematureEnd;
  char line[kValueLine];
  bool cut = false;
  long n = info->GetSI(1);
  for (long i = 0; i < n && st == kOk; ++i) {
    if (!in.next(line, sizeof line, &cut) || cut) {
      st = kPrematureEnd;
    } else {
      st = scanValue(line, &real[i]);
    }
  }
  info->SetModTime(GetTimeLastModified(path));
  return st;
}
