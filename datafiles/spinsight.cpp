// The Spinsight reader: a directory with the data file "data" (32-bit
// big-endian words, the real part then the imaginary part) and the text
// parameter files "acq" and "proc" of key=value lines.
//
// Behaviour chosen where the format leaves room, and faults that are mended:
// - An unusable path or record is reported with the common messages and gives
//   257: a refused call is not answered with success.
// - An "acq" or "proc" file of 0 bytes has no keys (120 or 122) rather than
//   being reported as "Cannot allocate memory!".
// - The data are always read from the file "data" of the directory: the
//   format is recognised by its three files whatever name the caller gave, and
//   the words of "acq" or "proc" are no intensities.
// - Values that would make the axis meaningless are refused: an observe
//   frequency that is not a positive finite number gives 117 (infinite, NaN
//   or 0 alike), a reference frequency from rmp1 / rmv1 that
//   is not positive gives 117, a sweep width that is not positive gives 116,
//   current_size1 below 1 gives 115. A record that cannot be allocated gives 258.
// - DataFormat keeps the bits the record had, except DF_UNKNOWN: the data are
//   known once they are read.
// - A 2D data set gets dimension 1 like a 1D one (size, frequency, limits),
//   so that its first row can be read; dimension 2 gets its size only.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datafiles/convera_internal.h"
#include "winutil/platform/module_entry.h"

namespace {

using namespace cv;

// MakeFileName types of the three files.
enum : int {
  kNameAcq = 17,
  kNameData = 18,
  kNameProc = 19,
};

std::string member(const char* path, int type) {
  std::string name = text(kTextCompanionBase + type);
  return inFolder(folderOf(path), name.c_str());
}

void reportPointers() {
  CVErrMess(ThisModule(), CVTEXT(kInvalidArgument), CVTEXT(kInvalidPointer), CVE_WINKIT);
}

// A loaded key=value file; an empty file has no buffer.
struct ParBuffer {
  char* data = nullptr;
  long length = 0;
  ParBuffer() = default;
  ParBuffer(const ParBuffer&) = delete;
  ParBuffer& operator=(const ParBuffer&) = delete;
  ~ParBuffer() { release(); }
  void release() {
    if (data) NMRFreeBuffer(data);
    data = nullptr;
    length = 0;
  }
  bool readLong(int id, long* out) const {
    *out = 0;
    return data && ReadParLong(data, length, id, out);
  }
  bool readDouble(int id, double* out) const {
    *out = 0;
    return data && ReadParDouble(data, length, id, out);
  }
};

// Opens and loads a parameter file; its failures are shown under `context`:
// 0, 114 or 258.
int loadFile(const std::string& path, int context, ParBuffer* b) {
  plat::File file(openRead(path));
  if (!file.ok()) {
    DWORD error = plat::lastError();
    report(context, kSystemErrorBase + static_cast<int>(error));
    return kOpenError;
  }
  std::uint64_t size = 1;
  if (plat::fileSize(file.get(), &size) && size == 0) return kOk;
  b->data = NMRAllocRead(file.release(), &b->length);
  if (b->data) return kOk;
  report(context, kNoMemory);
  return kNoMemory;
}

// The value after the key "sf<c>=" (the key text formatted with the channel).
bool channelFrequency(const ParBuffer& b, long channel, double* out) {
  *out = 0;
  std::string format = text(kKeySfChannel);
  if (!b.data || format.empty()) return false;
  char key[64];
  int n = std::snprintf(key, sizeof key, format.c_str(), channel);
  if (n <= 0 || n >= static_cast<int>(sizeof key)) return false;
  const char* at = Search(key, b.data, b.length);
  if (!at) return false;
  *out = std::strtod(at, nullptr);
  return true;
}

}  // namespace

int NMRIsSpinsight(const char* path) {
  if (!usablePath(path)) {
    reportPointers();
    return 0;
  }
  for (int t : {kNameData, kNameAcq, kNameProc})
    if (!canOpen(member(path, t))) return 0;
  return 1;
}

int NMRGetParSpinsight(const char* path, SPECINFO* info) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) {
    reportPointers();
    return kInvalidPointer;
  }
  ParBuffer b;
  if (int st = loadFile(member(path, kNameAcq), kNoAqsFile, &b)) return st;
  long channel = 0;
  double sf = 0, sw = 0;
  if (!b.readLong(kKeyCh1, &channel)) return kNoChannel;
  float observe = 0;
  if (!channelFrequency(b, channel, &sf) || !asFloat(sf, &observe) || !(observe > 0)) return kBadSF;
  if (!b.readDouble(kKeySw, &sw)) return kBadLimits;
  sw *= 1000;
  if (!(sw > 0) || !(sw <= FLT_MAX)) return kBadLimits;
  b.release();

  if (int st = loadFile(member(path, kNameProc), kNoProcFile, &b)) return st;
  long datatype = 0, domain = 0, size1 = 0, size2 = 0, units = 0;
  double rmp = 0, rmv = 0;
  if (!b.readLong(kKeyDatatype, &datatype)) return kNoDatatype;
  if (!b.readLong(kKeyDomain1, &domain)) return kNoDomain;
  if (!b.readLong(kKeyCurrentSize1, &size1)) return kNoCurrentSize;
  bool twoD = b.readLong(kKeyCurrentSize2, &size2) && size2 > 0;
  if (!info->SetDimension(twoD ? 2 : 1)) return kNoMemory;
  info->SetSI(size2, 2);
  if (!b.readDouble(kKeyRmp1, &rmp) || !b.readDouble(kKeyRmv1, &rmv) ||
      !b.readLong(kKeyRmvUnits1, &units))
    return kNoReference;
  b.release();

  unsigned format = (info->GetDataFormat() & ~DF_UNKNOWN) | (twoD ? DF_2D : DF_1D);
  format |= domain == 0 ? DF_FID | DF_COMPLEX : DF_SPECTRUM | DF_COMPLEX;

  if (size1 < 1 || size1 > 0x7FFFFFFF) return kBadSI;
  float reference = observe;
  double f1 = sw / 2, f2 = -sw / 2;
  if (units == 1) {
    double ref = rmp / (1 + rmv * 1e-6);
    if (!asFloat(ref, &reference) || !(reference > 0)) return kBadSF;
    double offset = (sf - ref) * 1e6;
    f1 = offset + sw / 2;
    f2 = offset - sw / 2;
  }
  float first = 0, last = 0;
  if (!asFloat(f1, &first) || !asFloat(f2, &last)) return kBadLimits;
  info->SetSI(size1, 1);
  info->SetTD(size1, 1);
  info->SetSF(reference, 1);
  info->SetF1(first, 1);
  info->SetF2(last, 1);
  unsigned mode = 1;
  if (domain != 0) mode |= AQ_FLOATDATA2;
  if (datatype == 1) mode |= AQ_FLOATDATA;
  info->SetAQMode(mode, 1);
  info->SetNucleus(0, 1);
  info->SetDataFormat(format);
  return kOk;
}

int NMRReadSpinsight(const char* path, SPECINFO* info, float* real, float* imag) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return kInvalidArgument;
  if (info->GetDimension() == 0) return kInvalidArgument;
  std::string data = member(path, kNameData);
  plat::File file(openRead(data));
  if (!file.ok()) return kOpenError;
  if (!real) return kBadRealPointer;
  long n = info->GetSI(1);
  auto readWords = [&](float* to) {
    constexpr long kChunk = 16384;
    for (long left = n; left > 0;) {
      long k = left < kChunk ? left : kChunk;
      DWORD want = static_cast<DWORD>(k) * 4, got = 0;
      if (!plat::readFile(file.get(), to, want, &got) || got != want) return false;
      to += k;
      left -= k;
    }
    return true;
  };
  if (!readWords(real)) return kPrematureEnd;
  if (imag) {
    long rows = info->GetDimension() >= 2 ? info->GetSI(2) : 0;
    if (rows > 0) {
      std::int64_t at = static_cast<std::int64_t>(rows) * n * 4;
      if (!plat::seekFile(file.get(), at, plat::Seek::Begin, nullptr)) return kPrematureEnd;
    }
    if (!readWords(imag)) return kPrematureEnd;
  }
  swapWords(real, n);
  if (imag) swapWords(imag, n);
  return convertWords(info, real, imag, n, path);
}
