// The parameter record of a data set and of its dimensions.
//
// Decisions of this implementation:
// - SI, TD and XDIM are stored as 32-bit integers; a value that does not fit
//   (possible where long is 64 bits) is refused like a negative one rather
//   than stored wrapped.
// - SetNucleus stores the identifier also when the isotope table cannot give
//   its label; the label is then empty.
// - The digital-filter table is the data resource 1 of the library, 21
//   records of 14 bytes (little-endian 16-bit decimation, then the group
//   delays for firmware 10, 11 and 12 as 32-bit floats); a resource of any
//   other size counts as missing.
// - SetFileName leaves FileName unchanged for a null or unreadable path and
//   for a path of 260 characters or more.
// - Copying a SPECINFO whose records cannot be allocated leaves the target
//   with no dimensions (Dimension 0), as a failed SetDimension does.

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#include "datafiles/specinfo.h"
#include "isotopes/isotopia.h"
#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"

namespace {

constexpr UINT kDigFilterResource = 1;
constexpr int kDigFilterRows = 21;
constexpr DWORD kDigFilterRecord = 14;
constexpr DWORD kDigFilterBytes = kDigFilterRows * kDigFilterRecord;  // 294
constexpr int kNoMemory = 258;  // "Cannot allocate memory!": the table cannot be had

bool fits32(long v) { return v >= 0 && v <= static_cast<long>(INT_MAX); }

// Little-endian fields of the table resource, read bytewise.
unsigned readU16(const unsigned char* p) { return p[0] | (static_cast<unsigned>(p[1]) << 8); }

float readF32(const unsigned char* p) {
  std::uint32_t bits = p[0] | (static_cast<std::uint32_t>(p[1]) << 8) |
                       (static_cast<std::uint32_t>(p[2]) << 16) |
                       (static_cast<std::uint32_t>(p[3]) << 24);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

void setLabel(char* label, int nucleus) {
  label[0] = 0;
  char buffer[8] = "";
  if (GetWinNMRNucleus(static_cast<unsigned>(nucleus), buffer)) {
    buffer[7] = 0;
    std::memcpy(label, buffer, sizeof buffer);
  }
  label[7] = 0;
}

}  // namespace

// ---- NMRDIMENSION -------------------------------------------------------------

NMRDIMENSION::NMRDIMENSION()
    : DigMode(0),
      DigType(0),
      DigDecim(1),
      DigFirmware(0),
      AQMode(0),
      Nucleus(0),
      SI(0),
      TD(0),
      XDIM(0),
      NCFid(1.0f),
      NCSpec(1.0f),
      SF(0.0f),
      F1(0.0f),
      F2(0.0f),
      Inc(0.0f),
      DW(0.0f),
      DigFilter(0.0f),
      NucleusLabel() {
  setLabel(NucleusLabel, 0);
}

int NMRDIMENSION::SetSI(long si) {
  if (!fits32(si)) return 0;
  SI = static_cast<int>(si);
  if (SI != 0) Inc = (F1 - F2) / static_cast<float>(SI);
  return 1;
}

int NMRDIMENSION::SetTD(long td) {
  if (!fits32(td)) return 0;
  TD = static_cast<int>(td);
  return 1;
}

int NMRDIMENSION::SetSF(float sf) {
  if (!(sf > 0.0f)) return 0;
  SF = sf;
  return 1;
}

int NMRDIMENSION::SetF1(float f1) {
  F1 = f1;
  float d = F1 - F2;
  if (SI > 0) Inc = d / static_cast<float>(SI);
  if (d > 0.0f) DW = 1.0f / d;
  return 1;
}

int NMRDIMENSION::SetF2(float f2) {
  F2 = f2;
  float d = F1 - F2;
  if (SI > 0) Inc = d / static_cast<float>(SI);
  if (d > 0.0f) DW = 1.0f / d;
  return 1;
}

int NMRDIMENSION::SetF1F2(float f1, float f2) {
  SetF1(f1);
  SetF2(f2);
  return 1;
}

int NMRDIMENSION::SetInc(float inc) {
  if (inc < 0.0f) return 0;
  Inc = inc;
  if (inc == 0.0f) {
    F1 = F2 = DW = 0.0f;
    return 1;
  }
  if (SI <= 0) return 0;
  float width = inc * static_cast<float>(SI);
  float centre = (F1 + F2) / 2.0f;
  F1 = centre + width / 2.0f;
  F2 = centre - width / 2.0f;
  DW = 1.0f / width;
  return 1;
}

int NMRDIMENSION::SetDW(float dw) {
  if (dw < 0.0f) return 0;
  DW = dw;
  if (dw == 0.0f) {
    F1 = F2 = Inc = 0.0f;
    return 1;
  }
  if (SI <= 0) return 0;
  float width = 1.0f / dw;
  float centre = (F1 + F2) / 2.0f;
  F1 = centre + width / 2.0f;
  F2 = centre - width / 2.0f;
  Inc = width / static_cast<float>(SI);
  return 1;
}

int NMRDIMENSION::SetSW(float sw) {
  if (sw < 0.0f) return 0;
  if (sw == 0.0f) return SetDW(0.0f);
  return SetDW(1.0f / sw);
}

int NMRDIMENSION::SetNucleus(int n) {
  if (n < 0 || n > GetNoNuclei()) return 0;
  Nucleus = n;
  setLabel(NucleusLabel, n);
  return 1;
}

int NMRDIMENSION::SetXDIM(long xdim) {
  if (!fits32(xdim)) return 0;
  XDIM = static_cast<int>(xdim);
  return 1;
}

int NMRDIMENSION::SetDigFilter() {
  if (DigDecim < 2) return 0;
  DWORD size = 0;
  const void* data = plat::ops().findData(ThisModule(), kDigFilterResource, &size);
  if (!data || size != kDigFilterBytes) return kNoMemory;
  const auto* rows = static_cast<const unsigned char*>(data);
  unsigned decim = DigDecim & 0xFFFFu;  // the table holds 16-bit decimations
  for (int r = 0; r < kDigFilterRows; ++r) {
    const unsigned char* row = rows + r * kDigFilterRecord;
    if (readU16(row) != decim) continue;
    if (DigFirmware >= 10 && DigFirmware <= 12) DigFilter = readF32(row + 2 + 4 * (DigFirmware - 10));
    break;
  }
  return 1;
}

int NMRDIMENSION::SetNC(unsigned k, float nc) {
  if (k & 1)
    NCFid = nc;
  else
    NCSpec = nc;
  return 1;
}

// ---- SPECINFO -------------------------------------------------------------------

SPECINFO::SPECINFO()
    : Format(FF_UNKNOWN),
      Dimension(0),
      DataFormat(DF_UNKNOWN),
      ModTime(0),
      dimensions(nullptr),
      Max(0.0f),
      Min(0.0f),
      FileName() {}

SPECINFO::~SPECINFO() { delete[] dimensions; }

SPECINFO::SPECINFO(const SPECINFO& other) : SPECINFO() { *this = other; }

SPECINFO& SPECINFO::operator=(const SPECINFO& other) {
  if (this == &other) return *this;
  Format = other.Format;
  DataFormat = other.DataFormat;
  ModTime = other.ModTime;
  Max = other.Max;
  Min = other.Min;
  std::memcpy(FileName, other.FileName, sizeof FileName);
  if (Dimension != other.Dimension) {
    NMRDIMENSION* copy = nullptr;
    if (other.Dimension > 0) copy = new (std::nothrow) NMRDIMENSION[other.Dimension];
    delete[] dimensions;
    dimensions = copy;
    Dimension = copy ? other.Dimension : 0;
  }
  for (unsigned i = 0; i < Dimension; ++i) dimensions[i] = other.dimensions[i];
  return *this;
}

int SPECINFO::SetDimension(unsigned n) {
  if (n == Dimension) return 1;
  delete[] dimensions;
  dimensions = nullptr;
  Dimension = 0;
  if (n == 0) return 1;
  dimensions = new (std::nothrow) NMRDIMENSION[n];
  if (!dimensions) return 0;
  Dimension = n;
  return 1;
}

const NMRDIMENSION* SPECINFO::dim(unsigned i) const {
  if (!dimensions || i < 1 || i > Dimension) return nullptr;
  return &dimensions[i - 1];
}

NMRDIMENSION* SPECINFO::dim(unsigned i) {
  if (!dimensions || i < 1 || i > Dimension) return nullptr;
  return &dimensions[i - 1];
}

NMRDIMENSION* SPECINFO::GetDimensionAddress(unsigned i) { return dim(i); }

void SPECINFO::SetFileName(const char* path) {
  if (!path || !plat::isReadable(path, 1)) return;
  std::size_t n = 0;
  while (n < sizeof FileName && path[n]) ++n;
  if (n >= sizeof FileName) return;
  std::memmove(FileName, path, n);
  FileName[n] = 0;
}

// Per-dimension accessors: the same-named NMRDIMENSION method on record i,
// or a refusal for an index outside 1..Dimension.
#define QSPEC_GET(type, name)                          \
  type SPECINFO::name(unsigned i) const {              \
    const NMRDIMENSION* d = dim(i);                    \
    return d ? d->name() : type();                     \
  }
#define QSPEC_SET(name, argtype)                       \
  int SPECINFO::name(argtype v, unsigned i) {          \
    NMRDIMENSION* d = dim(i);                          \
    return d ? d->name(v) : 0;                         \
  }

QSPEC_GET(long, GetSI)
QSPEC_SET(SetSI, long)
QSPEC_GET(long, GetTD)
QSPEC_SET(SetTD, long)
QSPEC_GET(float, GetSF)
QSPEC_SET(SetSF, float)
QSPEC_GET(float, GetF1)
QSPEC_SET(SetF1, float)
QSPEC_GET(float, GetF2)
QSPEC_SET(SetF2, float)
QSPEC_GET(float, GetInc)
QSPEC_SET(SetInc, float)
QSPEC_GET(float, GetDW)
QSPEC_SET(SetDW, float)
QSPEC_GET(float, GetSW)
QSPEC_SET(SetSW, float)
QSPEC_GET(int, GetNucleus)
QSPEC_SET(SetNucleus, int)
QSPEC_GET(long, GetXDIM)
QSPEC_SET(SetXDIM, long)
QSPEC_GET(unsigned, GetAQMode)
QSPEC_SET(SetAQMode, unsigned)
QSPEC_GET(unsigned, GetDigFirmware)
QSPEC_SET(SetDigFirmware, unsigned)
QSPEC_GET(unsigned, GetDigMode)
QSPEC_SET(SetDigMode, unsigned)
QSPEC_GET(unsigned, GetDigType)
QSPEC_SET(SetDigType, unsigned)
QSPEC_GET(unsigned, GetDigDecim)
QSPEC_SET(SetDigDecim, unsigned)
QSPEC_GET(float, GetDigFilter)
QSPEC_SET(SetDigFilter, float)

#undef QSPEC_GET
#undef QSPEC_SET

int SPECINFO::SetF1F2(float f1, float f2, unsigned i) {
  NMRDIMENSION* d = dim(i);
  return d ? d->SetF1F2(f1, f2) : 0;
}

const char* SPECINFO::GetNucleusLabel(unsigned i) const {
  const NMRDIMENSION* d = dim(i);
  return d ? d->GetNucleusLabel() : nullptr;
}

int SPECINFO::SetDigFilter(unsigned i) {
  NMRDIMENSION* d = dim(i);
  return d ? d->SetDigFilter() : 0;
}

float SPECINFO::GetNC(unsigned k) const {
  const NMRDIMENSION* d = dim(1);
  return d ? d->GetNC(k) : 0.0f;
}

int SPECINFO::SetNC(unsigned k, float nc) {
  NMRDIMENSION* d = dim(1);
  return d ? d->SetNC(k, nc) : 0;
}

// ---- file time ------------------------------------------------------------------

long GetTimeLastModified(const char* path) {
  if (!path || !plat::isReadable(path, 1)) return -1;
  if (plat::ops().fileAttributes(path) == plat::kAttrInvalid) return -1;
  std::uint64_t fileTime = 0;
  if (!plat::ops().lastWriteTime(path, &fileTime)) return -1;
  return static_cast<long>(static_cast<std::int32_t>(static_cast<std::uint32_t>(fileTime)));
}
