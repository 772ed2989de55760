// The spectrum object: storage, layout, accessors, flags, extremes and the
// whole-array operations.
//
// Decisions of this implementation where the object's contract leaves room
// or would misbehave:
// - Every accessor bounds its index by the points the arrays really hold as
//   well as by SI, so a record whose SI disagrees with the arrays (after a
//   failed allocation, or a 2D layout whose SI(1) is not the array length)
//   never leads to a read or write outside them.
// - The allocator's shortcut for "same size, same kind" is taken only when
//   the arrays exist with that size; an object emptied by a failed
//   allocation is given new arrays instead of being reported as done with
//   none.
// - Whether an imaginary array exists is decided by the array itself, not by
//   SPF_COMPLEX alone, so a flag changed through SetSpecFlag can neither leak
//   an array nor leave a complex layout without one.
// - Arrays are resized in place (the platform's reallocation keeps the
//   leading values); everything after the values that are kept is zeroed, so
//   the result is the same as a fresh zeroed array with those values copied.
// - A negative size is stored as SI 0, the size of the empty object it gives.
// - Init2D zeroes every point of the new layout, not only the SI(1) points
//   that ZeroSpec reaches.
// - DetMinMax on an object with SI > 0 but no real array takes the extremes
//   as 0 and 0, so the object counts as holding no data.

#include "spectrum/spectrum.h"

#include <climits>
#include <cstddef>
#include <cstring>

#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

// Viewtrace's message table.
constexpr int kTextNotEnoughMemory = 1;
constexpr int kTextCannotAllocateSpectrum = 13;
constexpr int kSetSINotOneDimension = 59;
// Flag word of CVErrMess: context and reason from this library's table.
constexpr UINT kOwnTexts = CVE_CALLER_CONTEXT | CVE_CALLER_REASON;

// The arrays are counted in a 32-bit long.
constexpr long long kMaxPoints = 0x7FFFFFFF;

unsigned dimIndex(int dim) { return static_cast<unsigned>(dim); }

long smaller(long a, long b) { return a < b ? a : b; }

// Gives `*array` room for n floats: the block is resized (values up to `keep`
// stay, the rest are zero) or a new zero-filled one is taken. False when the
// memory cannot be had; the array pointer is then null and any block that
// is left (unlocked) stays in `*block` for the caller to free.
bool sizeArray(HGLOBAL* block, float** array, long n, long keep) {
  plat::Ops& os = plat::ops();
  std::size_t bytes = static_cast<std::size_t>(n) * sizeof(float);
  if (*block) {
    if (*array) os.memUnlock(*block);
    *array = nullptr;
    HGLOBAL bigger = os.memReAlloc(*block, bytes);
    if (!bigger) return false;
    *block = bigger;
  } else {
    *block = os.memAlloc(bytes);
    if (!*block) return false;
    keep = n;  // a new block is zero-filled already
  }
  auto* p = static_cast<float*>(os.memLock(*block));
  if (!p) return false;
  if (keep < n) std::memset(p + keep, 0, static_cast<std::size_t>(n - keep) * sizeof(float));
  *array = p;
  return true;
}

void freeArray(HGLOBAL* block, float** array) {
  if (*block) {
    if (*array) plat::ops().memUnlock(*block);
    plat::ops().memFree(*block);
  }
  *block = nullptr;
  *array = nullptr;
}

}  // namespace

Spectrum::Spectrum()
    : count(0),
      flags(0),
      re(nullptr),
      im(nullptr),
      color(0),
      info(),
      reBlock(nullptr),
      imBlock(nullptr) {}

Spectrum::~Spectrum() {
  freeArray(&reBlock, &re);
  freeArray(&imBlock, &im);
}

// ---- storage ------------------------------------------------------------------

void Spectrum::Release() {
  freeArray(&reBlock, &re);
  freeArray(&imBlock, &im);
  count = 0;
  flags &= ~SPF_PRESENT;
}

int Spectrum::AllocSpec(int complex, long n) {
  const long cur = info.GetSI(1);
  const bool wantComplex = complex != 0;
  const bool sized = re != nullptr && count == cur;  // the arrays the record describes
  if (n == cur && sized) {
    const bool hasImag = im != nullptr;
    if (hasImag == wantComplex && ((flags & SPF_COMPLEX) != 0) == wantComplex) return 1;
    if (!wantComplex && hasImag) freeArray(&imBlock, &im);
    if (wantComplex && !hasImag && !sizeArray(&imBlock, &im, n, 0)) {
      Release();
      return 0;
    }
  } else {
    if (n <= 0) {
      Release();
      return 1;
    }
    if (n > kMaxPoints) {
      Release();
      return 0;
    }
    // Values kept: those the record and the arrays both describe.
    long keep = smaller(smaller(cur, n), re ? static_cast<long>(count) : 0);
    if (keep < 0) keep = 0;
    if (!sizeArray(&reBlock, &re, n, keep)) {
      Release();
      return 0;
    }
    if (wantComplex) {
      long keepImag = im ? keep : 0;
      if (!sizeArray(&imBlock, &im, n, keepImag)) {
        Release();
        return 0;
      }
    } else {
      freeArray(&imBlock, &im);
    }
  }
  count = static_cast<LONG>(n);
  if (wantComplex) {
    flags |= SPF_COMPLEX;
  } else {
    flags &= ~(SPF_COMPLEX | SPF_FID);
  }
  return 1;
}

long Spectrum::Addressable(int dim) const {
  long si = info.GetSI(dimIndex(dim));
  return si < count ? si : static_cast<long>(count);
}

// ---- layout -------------------------------------------------------------------

int Spectrum::Init(int complex, long si, float sf, float f1, float f2) {
  if (info.GetDimension() != 1 && !info.SetDimension(1)) {
    Release();
    return 0;
  }
  if (!AllocSpec(complex, si)) return 0;
  info.SetSI(si < 0 ? 0 : si, 1);
  if (complex) {
    flags |= SPF_COMPLEX;
  } else {
    flags &= ~SPF_COMPLEX;
  }
  SetF1F2(f1, f2);
  info.SetSF(sf, 1);
  ZeroSpec();
  return 1;
}

int Spectrum::Init2D(int complex, long si1, float sf1, float f1a, float f2a, long si2, float sf2,
                     float f1b, float f2b) {
  long long total = si1 <= 0 || si2 <= 0 ? 0 : static_cast<long long>(si1) * si2;
  if (total > kMaxPoints) {
    Release();
    return 0;
  }
  if (!AllocSpec(complex, static_cast<long>(total))) return 0;
  if (complex) {
    flags |= SPF_COMPLEX;
  } else {
    flags &= ~SPF_COMPLEX;
  }
  if (!info.SetDimension(2)) {
    Release();
    return 0;
  }
  info.SetSI(si1 < 0 ? 0 : si1, 1);
  info.SetF1F2(f1a, f2a, 1);
  info.SetSF(sf1, 1);
  info.SetSI(si2 < 0 ? 0 : si2, 2);
  info.SetF1F2(f1b, f2b, 2);
  info.SetSF(sf2, 2);
  ZeroSpec();
  // ZeroSpec reaches the SI(1) points of the first row only; the new layout
  // is zeroed whole, so no value of an earlier data set stays behind it.
  if (re) std::memset(re, 0, static_cast<std::size_t>(count) * sizeof(float));
  if (im) std::memset(im, 0, static_cast<std::size_t>(count) * sizeof(float));
  return 1;
}

// ---- size and axis --------------------------------------------------------------

long Spectrum::GetSI() const { return info.GetSI(1); }
long Spectrum::GetSI(int dim) const { return info.GetSI(dimIndex(dim)); }
long Spectrum::GetTotalSI() const { return count; }

int Spectrum::SetSI(int complex, long si) {
  if (info.GetDimension() != 1) return kSetSINotOneDimension;
  int ok = AllocSpec(complex, si);
  info.SetSI(ok && si > 0 ? si : 0, 1);
  if (!ok) {
    CVErrMess(ThisModule(), CVTEXT(kTextCannotAllocateSpectrum), CVTEXT(kTextNotEnoughMemory),
              kOwnTexts);
    return kTextCannotAllocateSpectrum;
  }
  return 0;
}

int Spectrum::SetSI(int, long, int) { return kTextCannotAllocateSpectrum; }

long Spectrum::GetTD() const { return info.GetTD(1); }
long Spectrum::GetTD(int dim) const { return info.GetTD(dimIndex(dim)); }

int Spectrum::SetTD(long td) {
  info.SetTD(smaller(td, info.GetSI(1)), 1);
  return 1;
}

int Spectrum::SetTD(long, int) { return 0; }

float Spectrum::GetSF() const { return info.GetSF(1); }
float Spectrum::GetSF(int dim) const { return info.GetSF(dimIndex(dim)); }
int Spectrum::SetSF(float sf) { return info.SetSF(sf, 1); }
int Spectrum::SetSF(float sf, int dim) { return info.SetSF(sf, dimIndex(dim)); }
float Spectrum::GetF1() const { return info.GetF1(1); }
float Spectrum::GetF1(int dim) const { return info.GetF1(dimIndex(dim)); }
float Spectrum::GetF2() const { return info.GetF2(1); }
float Spectrum::GetF2(int dim) const { return info.GetF2(dimIndex(dim)); }

int Spectrum::SetF1F2(float a, float b) { return SetF1F2(a, b, 1); }

int Spectrum::SetF1F2(float a, float b, int dim) {
  float high = b, low = a;
  if (b < a) {
    high = a;
    low = b;
  }
  int first = info.SetF1(high, dimIndex(dim));
  int second = info.SetF2(low, dimIndex(dim));
  return first && second ? 1 : 0;
}

float Spectrum::GetSW() const { return info.GetSW(1); }
float Spectrum::GetSW(int dim) const { return info.GetSW(dimIndex(dim)); }
int Spectrum::SetSW(float sw) { return info.SetSW(sw, 1); }
int Spectrum::SetSW(float sw, int dim) { return info.SetSW(sw, dimIndex(dim)); }
float Spectrum::GetDW() const { return info.GetDW(1); }
float Spectrum::GetDW(int dim) const { return info.GetDW(dimIndex(dim)); }
int Spectrum::SetDW(float dw) { return info.SetDW(dw, 1); }
int Spectrum::SetDW(float dw, int dim) { return info.SetDW(dw, dimIndex(dim)); }
float Spectrum::GetInc() const { return info.GetInc(1); }
float Spectrum::GetInc(int dim) const { return info.GetInc(dimIndex(dim)); }
int Spectrum::SetInc(float inc) { return info.SetInc(inc, 1); }
int Spectrum::SetInc(float inc, int dim) { return info.SetInc(inc, dimIndex(dim)); }
int Spectrum::GetDimension() const { return static_cast<int>(info.GetDimension()); }
int Spectrum::GetNucleus() const { return info.GetNucleus(1); }
int Spectrum::GetNucleus(int dim) const { return info.GetNucleus(dimIndex(dim)); }
int Spectrum::SetNucleus(int n) { return info.SetNucleus(n, 1); }
int Spectrum::SetNucleus(int n, int dim) { return info.SetNucleus(n, dimIndex(dim)); }
const char* Spectrum::GetFileName() const { return info.GetFileName(); }

int Spectrum::SetColor(COLORREF c) {
  color = c;
  return 1;
}

COLORREF Spectrum::GetColor() const { return color; }

// ---- intensities -------------------------------------------------------------------

float Spectrum::GetRealInt(long i) const { return GetRealInt(i, 1); }

float Spectrum::GetRealInt(long i, int dim) const {
  return re && i >= 0 && i < Addressable(dim) ? re[i] : 0.0f;
}

float Spectrum::GetImagInt(long i) const { return GetImagInt(i, 1); }

float Spectrum::GetImagInt(long i, int dim) const {
  return im && i >= 0 && i < Addressable(dim) ? im[i] : 0.0f;
}

int Spectrum::SetRealInt(long i, float v) {
  if (!re || i < 0 || i >= Addressable(1)) return 0;
  re[i] = v;
  return 1;
}

int Spectrum::SetImagInt(long i, float v) {
  if (!im || i < 0 || i >= Addressable(1)) return 0;
  im[i] = v;
  return 1;
}

int Spectrum::AddRealInt(long i, float v) {
  if (!re || i < 0 || i >= Addressable(1)) return 0;
  re[i] += v;
  return 1;
}

int Spectrum::AddImagInt(long i, float v) {
  if (!im || i < 0 || i >= Addressable(1)) return 0;
  im[i] += v;
  return 1;
}

// ---- flags and extremes ----------------------------------------------------------------

int Spectrum::GetSpecFlag(long mask) const { return (flags & static_cast<unsigned>(mask)) ? 1 : 0; }

unsigned Spectrum::GetStatus() const { return flags; }

int Spectrum::SetSpecFlag(long mask, int on) {
  switch (mask) {
    case SPF_PRESENT:
    case SPF_STALE:
    case SPF_COMPLEX:
    case SPF_FID:
      if (on) {
        flags |= static_cast<unsigned>(mask);
      } else {
        flags &= ~static_cast<unsigned>(mask);
      }
      break;
    case SPF_SEQUENTIAL:
      if (on) {
        flags = (flags | SPF_SEQUENTIAL) & ~SPF_HALFSPEC;
      } else {
        flags &= ~SPF_SEQUENTIAL;
      }
      break;
    case SPF_HALFSPEC:
      if (on) {
        flags = (flags | SPF_HALFSPEC) & ~SPF_SEQUENTIAL;
      } else {
        flags &= ~SPF_HALFSPEC;
      }
      break;
    default:
      break;
  }
  return on;
}

int Spectrum::DetMinMax() {
  if (info.GetSI(1) <= 0) return 0;
  long n = re ? Addressable(1) : 0;
  float high = 0.0f, low = 0.0f;
  if (n > 0) {
    high = low = re[0];
    for (long i = 1; i < n; ++i) {
      if (re[i] > high) high = re[i];
      if (re[i] < low) low = re[i];
    }
  }
  flags &= ~SPF_STALE;
  // All points equal (all zero in particular): the object holds no data.
  if (high == low) flags &= ~SPF_PRESENT;
  info.SetMax(high);
  info.SetMin(low);
  return 1;
}

float Spectrum::GetMax() {
  if (flags & SPF_STALE) DetMinMax();
  return info.GetMax();
}

float Spectrum::GetMin() {
  if (flags & SPF_STALE) DetMinMax();
  return info.GetMin();
}

int Spectrum::GetMinMaxPer(float* pos, float* neg) {
  if (!(flags & SPF_PRESENT)) return 0;
  if (!plat::isWritable(pos, sizeof *pos) || !plat::isWritable(neg, sizeof *neg)) return 0;
  if (flags & SPF_STALE) DetMinMax();
  float high = info.GetMax(), low = info.GetMin();
  if (high == low) {
    *pos = 0.0f;
    *neg = 0.0f;
  } else if (CVsignum(high) != CVsignum(low)) {
    // pos = max / (max - min), neg = min / (max - min)
    *pos = high / (high - low);
    *neg = low / (high - low);
  } else if (low < 0.0f) {
    *pos = 0.0f;
    *neg = -1.0f;
  } else {
    *pos = 1.0f;
    *neg = 0.0f;
  }
  return 1;
}

// ---- whole-array operations ------------------------------------------------------------

int Spectrum::ZeroSpec() {
  if (re) {
    long n = Addressable(1);
    if (n > 0) {
      std::memset(re, 0, static_cast<std::size_t>(n) * sizeof(float));
      if (im) std::memset(im, 0, static_cast<std::size_t>(n) * sizeof(float));
    }
  }
  flags &= ~SPF_PRESENT;
  return 1;
}

int Spectrum::RevertSpec() {
  long si = info.GetSI(1);
  if (!(flags & SPF_PRESENT) || si <= 0 || !re) return 0;
  long n = Addressable(1);
  for (long i = 0, j = n - 1; i < j; ++i, --j) {
    float t = re[i];
    re[i] = re[j];
    re[j] = t;
  }
  return 1;
}

int Spectrum::CopyFromBuffer(Spectrum* src) {
  if (!plat::isReadable(src, sizeof *src)) return 0;
  long n = smaller(Addressable(1), src->Addressable(1));
  if (n <= 0) return 0;
  std::size_t bytes = static_cast<std::size_t>(n) * sizeof(float);
  if (!re || !src->re || !plat::isReadable(src->re, bytes)) return 0;
  std::memmove(re, src->re, bytes);
  return 1;
}

int Spectrum::Add(Spectrum* src) {
  if (!plat::isReadable(src, sizeof *src)) return 0;
  long n = smaller(Addressable(1), src->Addressable(1));
  if (n <= 0) return 0;
  if (!re || !src->re || !plat::isReadable(src->re, static_cast<std::size_t>(n) * sizeof(float)))
    return 0;
  for (long i = 0; i < n; ++i) re[i] += src->re[i];
  flags |= SPF_STALE;
  return 1;
}

int Spectrum::ScaleSpec(float factor) {
  for (LONG i = 0; i < count; ++i) {
    if (re) re[i] *= factor;
    if (im) im[i] *= factor;
  }
  flags |= SPF_STALE;
  return 1;
}
