// The JCAMP-DX reader: detection, the parameters of a one-dimensional
// spectrum, the XY block of its ordinates and the ASDF tokens of that block.
//
// Decisions of this implementation:
// - The block decoder reads its lines through a buffer of its own instead of
//   one line-reader call per line, with the line reader's rules (a line ends
//   after CR or LF and one more CR or LF directly after it, at most 279
//   characters per piece, no piece when fewer than 2 bytes remain). When it
//   returns, the file is positioned after the last line it took, as the line
//   reader would have left it.
// - The x-sequence and Y-check findings are shown (each one once) and do not
//   fail the read by themselves, but they no longer hide a wrong number of
//   points: a block that stored fewer points than expected fails with 153
//   also after such a finding, so missing ordinates are never reported as a
//   successful read. A Y-check value that differs from the previous line's
//   last ordinate still takes that point's place, so it is counted once.
// - The Y-check compares with a relative tolerance of 1e-9, so that decimal
//   DIF sums are not reported for their rounding.
// - The x-sequence check never converts an out-of-range abscissa to an
//   integer; such a line fails the check.
// - An ordinate that is not a finite float (too many digits, an overflowing
//   DIF sum) ends the block with 126 instead of storing an infinity.
// - DUP counts saturate instead of overflowing; a count that reaches beyond
//   the last point ends the block with 152 before anything is written there.
// - A step of 0 is refused with 144; a point's index is taken relative to
//   firstIndex, so the buffer always holds nPoints values.
// - Decimal fractions are accumulated as an integer and divided once (the
//   digits after the 18th are ignored), which keeps long fractions exact to
//   the double's precision.
// - A plain number may begin with its decimal point (".85229"), as real AFFN
//   blocks write them; a point must be followed by a digit.
// - nxval in plain mode: an exponent takes an optional sign ("E15" is 10 to
//   the 15th); a token that begins with "E" or "e" has no mantissa and is 0.
// - NPOINTS above the largest 32-bit count is refused as an invalid SI (115);
//   FIRSTX or LASTX that are not finite floats, or that are equal once
//   rounded to float, are invalid limits (116); an observe frequency that is
//   not a positive float (NaN included) is invalid (117).
// - The acquisition mode is found in the normalised value ("SIMULTANEOUS
//   (DQD)" is simultaneous); no third keyword is recognised, so SEQUENTIAL
//   is refused for an FID and accepted (mode 0) for a spectrum.
// - ModTime is set only after a successful read.

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "datafiles/convera_internal.h"
#include "datafiles/jcamp_internal.h"
#include "datafiles/scan_internal.h"

namespace cv {
namespace jcamp {

namespace {

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

constexpr int kMaxFractionDigits = 18;
constexpr long kMaxExponent = 100000;

// 144, 309 or 147 for parameters that cannot describe a block, else 0.
unsigned checkParams(const BlockParams& p, double* deltaX) {
  if (p.nPoints < 2 || p.step == 0) return kJcampBadPoints;
  if (static_cast<unsigned long long>(p.nPoints) > SIZE_MAX / sizeof(float)) return kJcampBadPoints;
  if (p.firstIndex > LLONG_MAX - static_cast<long long>(p.nPoints)) return kJcampBadPoints;
  double d = (static_cast<double>(p.lastX) - static_cast<double>(p.firstX)) /
             static_cast<double>(p.nPoints - 1);
  if (d == 0 || !std::isfinite(d)) return kJcampBadDeltaX;
  if (p.xFactor == 0 || !std::isfinite(p.xFactor)) return kJcampBadXFactor;
  *deltaX = d;
  return kOk;
}

bool sameOrdinate(double a, double b) {
  if (a == b) return true;
  double scale = std::fabs(a) > std::fabs(b) ? std::fabs(a) : std::fabs(b);
  return std::fabs(a - b) <= 1e-9 * scale;
}

// The first character of a token, by class: the simple ones (a digit, SQZ
// and DIF characters) carry their digit and their sign and DIF flags; the
// special ones are told apart by their character.
enum : unsigned char {
  kSimple = 1,    // a digit, "@", "A"-"I", "a"-"i", "%", "J"-"R", "j"-"r"
  kNegative = 2,  // "a"-"i", "j"-"r"
  kDif = 4,       // "%", "J"-"R", "j"-"r"
  kSpecial = 8,   // "+", "-", ".", "?", "$"
  kPlain = 16,    // may start a token in plain mode: digits, "+", "-", "."
};

struct CharTables {
  unsigned char flags[256] = {};
  unsigned char digit[256] = {};  // the digit value of a simple character
  unsigned char dup[256] = {};    // DUP characters: 1-9, else 0
  constexpr CharTables() {
    for (int c = '0'; c <= '9'; ++c) {
      flags[c] = kSimple | kPlain;
      digit[c] = static_cast<unsigned char>(c - '0');
    }
    flags[int{'@'}] = kSimple;
    flags[int{'%'}] = kSimple | kDif;
    for (int k = 0; k < 9; ++k) {
      auto v = static_cast<unsigned char>(k + 1);
      flags['A' + k] = kSimple;
      flags['a' + k] = kSimple | kNegative;
      flags['J' + k] = kSimple | kDif;
      flags['j' + k] = kSimple | kDif | kNegative;
      digit['A' + k] = digit['a' + k] = digit['J' + k] = digit['j' + k] = v;
    }
    flags[int{'+'}] = flags[int{'.'}] = kSpecial | kPlain;
    flags[int{'-'}] = kSpecial | kPlain | kNegative;
    flags[int{'?'}] = flags[int{'$'}] = kSpecial;
    for (int k = 0; k < 8; ++k) dup['S' + k] = static_cast<unsigned char>(k + 1);
    dup[int{'s'}] = 9;
  }
};

constexpr CharTables kChars;

inline unsigned char uc(char c) { return static_cast<unsigned char>(c); }

// The bytes at `p` as one word, the first in the lowest byte.
inline std::uint64_t load8(const char* p) {
  std::uint64_t w = 0;
  for (int i = 0; i < 8; ++i) w |= static_cast<std::uint64_t>(uc(p[i])) << (8 * i);
  return w;
}

// The number of leading decimal digits among the 8 bytes of `w`.
inline unsigned digitRun(std::uint64_t w) {
  std::uint64_t high = (w & 0xF0F0F0F0F0F0F0F0ULL) ^ 0x3030303030303030ULL;
  std::uint64_t low = ((w & 0x0F0F0F0F0F0F0F0FULL) + 0x0606060606060606ULL) & 0xF0F0F0F0F0F0F0F0ULL;
  std::uint64_t t = high | low;  // a byte is 0 exactly when it is a digit
  std::uint64_t other =
      (((t & 0x7F7F7F7F7F7F7F7FULL) + 0x7F7F7F7F7F7F7F7FULL) | t) & 0x8080808080808080ULL;
  return other ? static_cast<unsigned>(__builtin_ctzll(other)) >> 3 : 8;
}

// The value of 8 digit characters, the first in the lowest byte.
inline std::uint64_t eightDigits(std::uint64_t w) {
  w = (w & 0x0F0F0F0F0F0F0F0FULL) * 2561 >> 8;
  w = (w & 0x00FF00FF00FF00FFULL) * 6553601 >> 16;
  return (w & 0x0000FFFF0000FFFFULL) * 42949672960001ULL >> 32;
}

constexpr unsigned long long kPowers[9] = {1,      10,      100,      1000,     10000,
                                           100000, 1000000, 10000000, 100000000};

// Decimal digits from `p` after a first digit `start`: exact in an integer
// while it fits. With `padded`, 8 bytes from any position up to the end of
// the text can be read, and runs of up to 7 digits take no loop.
template <bool padded>
inline __attribute__((always_inline)) double accumulate(const char*& p, unsigned long long start) {
  if (padded) {
    std::uint64_t w = load8(p);
    unsigned k = digitRun(w);
    if (k == 0) return static_cast<double>(start);
    if (k < 8) {
      p += k;
      return static_cast<double>(start * kPowers[k] + eightDigits(w << (8 * (8 - k))));
    }
  }
  unsigned long long m = start;
  while (isDigit(*p) && m < 100000000000000000ULL) m = m * 10 + static_cast<unsigned>(*p++ - '0');
  double v = static_cast<double>(m);
  while (isDigit(*p)) v = v * 10 + (*p++ - '0');
  return v;
}

// One token at `p` (not null): 1 with value and count and `p` at the next
// token, 0 for none (count 0), -1 for an invalid token.
template <bool padded>
inline __attribute__((always_inline)) int scanToken(const char*& text, double& value, long& count,
                                                    bool compressed) {
  const char* p = text;
  while (isBlank(*p)) ++p;
  value = 0;
  count = 0;
  if (*p == 0) {
    text = p;
    return 0;
  }
  const char c = *p;
  const unsigned flags = kChars.flags[uc(c)];
  bool exponent = false;  // plain mode: a token that starts with its exponent
  if (!compressed && !(flags & kPlain)) {
    if (c != 'E' && c != 'e') return -1;
    exponent = true;
  }

  double v = 0;
  long n = 1;
  const bool negative = (flags & kNegative) != 0;
  const bool dif = (flags & kDif) != 0;
  bool number = true;  // digits and a fraction may follow
  if (exponent) {
    number = false;
  } else if (flags & kSimple) {
    ++p;
  } else if (c == '+' || c == '-') {
    if (!isDigit(p[1]) && p[1] != '.') return -1;
    ++p;
  } else if (c == '.') {
    if (!isDigit(p[1])) return -1;  // the fraction follows
  } else if (c == '?') {
    n = 0;
    number = false;
    ++p;
  } else if (c == '$') {
    if (p[1] != '$') return -1;
    text = p + std::strlen(p);
    return 0;
  } else {
    return -1;
  }
  if (number) {
    v = accumulate<padded>(p, kChars.digit[uc(c)]);
    if (*p == '.') {
      ++p;
      unsigned long long fraction = 0;
      double scale = 1;
      for (int k = 0; isDigit(*p); ++p, ++k) {
        if (k < kMaxFractionDigits) {
          fraction = fraction * 10 + static_cast<unsigned>(*p - '0');
          scale *= 10;
        }
      }
      if (*p == '.') return -1;
      v += static_cast<double>(fraction) / scale;
    }
  }
  if (!compressed) {
    if (exponent || *p == 'E' || *p == 'e') {
      ++p;
      bool down = false;
      if (*p == '+' || *p == '-') down = *p++ == '-';
      long e = 0;
      for (; isDigit(*p); ++p)
        if (e < kMaxExponent) e = e * 10 + (*p - '0');
      if (v != 0) v *= std::pow(10.0, static_cast<double>(down ? -e : e));
    }
  } else if (unsigned d = kChars.dup[uc(*p)]) {
    long dupCount = static_cast<long>(d);
    for (++p; isDigit(*p); ++p) {
      long digit = *p - '0';
      dupCount = dupCount > (LONG_MAX - digit) / 10 ? LONG_MAX : dupCount * 10 + digit;
    }
    n = dupCount;
  }
  while (isBlank(*p)) ++p;
  if (*p == ',' || *p == ';') ++p;
  value = negative ? -v : v;
  count = dif ? -n : n;
  text = p;
  return 1;
}

}  // namespace

std::size_t pieceLength(const char* p, std::size_t available, std::size_t limit) {
  std::size_t window = available < limit ? available : limit;
  for (std::size_t i = 0; i < window; ++i) {
    if (isLineEnd(p[i])) return i + 1 < window && isLineEnd(p[i + 1]) ? i + 2 : i + 1;
  }
  return window;
}

MemoryLines::MemoryLines(const char* bytes, std::size_t size, std::size_t limit)
    : bytes_(bytes), size_(bytes ? size : 0), limit_(limit) {}

bool MemoryLines::next(const char** piece, std::size_t* length) {
  if (size_ - pos_ < 2) return false;
  std::size_t n = pieceLength(bytes_ + pos_, size_ - pos_, limit_);
  if (n == 0) return false;
  *piece = bytes_ + pos_;
  *length = n;
  pos_ += n;
  return true;
}

int decodeToken(const char** text, double* value, long* count, bool compressed) {
  *value = 0;
  *count = 0;
  if (!*text) return 0;
  return scanToken<false>(*text, *value, *count, compressed);
}

unsigned decodeBlock(LineSource& lines, char* line, float* y, const BlockParams& params,
                     long* stored) {
  if (stored) *stored = 0;
  double deltaX = 0;
  if (unsigned bad = checkParams(params, &deltaX)) return bad;
  if (!y || !line) return kBadRealPointer;

  const long long first = params.firstIndex;
  const long long nPoints = params.nPoints;
  const long long step = params.step;
  const double firstX = params.firstX;
  const double xFactor = params.xFactor;
  const double yFactor = params.yFactor;
  long long index = first;
  long long expected = first;
  long long count = 0;
  double previous = 0;
  bool difMode = false;
  bool xBad = false;
  bool yBad = false;
  unsigned status = kOk;

  const char* piece = nullptr;
  std::size_t length = 0;
  while (status == kOk && lines.next(&piece, &length)) {
    if (length > static_cast<std::size_t>(kLineSize - 1)) length = kLineSize - 1;
    std::memcpy(line, piece, length);
    std::memset(line + length, 0, kLineArea - kLineSize + 1);
    if (const void* nul = std::memchr(line, 0, length))
      length = static_cast<std::size_t>(static_cast<const char*>(nul) - line);
    while (length > 0 && isLineEnd(line[length - 1])) line[--length] = 0;
    const char* p = line;
    while (isBlank(*p)) ++p;
    if (*p == '#') break;

    double v = 0;
    long n = 0;
    int r = scanToken<true>(p, v, n, true);
    if (r == 0) continue;
    if (r < 0) {
      status = kJcampInvalidChar;
      break;
    }
    if (n != 1) {
      status = kJcampAbscissaDup;
      break;
    }
    double q = (v * xFactor - firstX) / deltaX + 0.5;
    if (!(std::fabs(q) < 9e15) || std::trunc(q) != static_cast<double>(expected - first))
      xBad = true;

    r = scanToken<true>(p, v, n, true);
    if (r == 0) continue;
    if (r < 0) {
      status = kJcampInvalidChar;
      break;
    }
    if (n < 0) {
      status = kJcampFirstIsDif;
      break;
    }
    if (difMode) {
      if (!sameOrdinate(v, previous)) yBad = true;
      if (count > 0) --count;  // the check value takes that point's place again
    }
    bool lastDif = false;
    for (;;) {
      const bool dif = n < 0;
      const unsigned long long times =
          dif ? static_cast<unsigned long long>(-static_cast<long long>(n))
              : static_cast<unsigned long long>(n);
      unsigned long long k = 0;
      for (; k < times; ++k) {
        previous = dif ? previous + v : v;
        // Below first the difference wraps around to a large value.
        if (static_cast<unsigned long long>(index - first) >=
            static_cast<unsigned long long>(nPoints)) {
          status = kJcampTooMany;
          break;
        }
        double out = yFactor * previous;
        if (!(std::fabs(out) <= FLT_MAX)) {
          status = kNaN;
          break;
        }
        y[index - first] = static_cast<float>(out);
        index += step;
      }
      count += static_cast<long long>(k);
      if (status != kOk) break;
      if (times > 0) lastDif = dif;
      r = scanToken<true>(p, v, n, true);
      if (r <= 0 || n == 0) {
        if (r < 0) status = kJcampInvalidChar;
        break;
      }
    }
    if (status != kOk) break;
    difMode = lastDif;
    if (difMode) index -= step;
    expected = index;
  }

  if (status == kOk) {
    if (xBad) report(kJcampCtxBlock, kJcampXSequence);
    if (yBad) report(kJcampCtxBlock, kJcampYCheck);
    if (count != nPoints) status = kJcampPointCount;
  }
  if (stored) *stored = static_cast<long>(count);
  return status;
}

}  // namespace jcamp

namespace {

using jcamp::kLineArea;
using jcamp::kLineSize;

constexpr int kWorkSize = 260;            // values of labelled records
constexpr std::size_t kReadSize = 65536;  // the block decoder's read buffer

// Line pieces of an open file from its position, read in large parts.
class FileLines : public jcamp::LineSource {
 public:
  FileLines(HANDLE file, char* buffer, std::size_t capacity)
      : file_(file), buffer_(buffer), capacity_(capacity) {
    std::int64_t position = 0;
    std::uint64_t size = 0;
    if (plat::seekFile(file, 0, plat::Seek::Current, &position) && position >= 0 &&
        plat::fileSize(file, &size)) {
      ok_ = true;
      pos_ = static_cast<std::uint64_t>(position);
      bufferPos_ = pos_;
      size_ = size;
    }
  }

  bool next(const char** piece, std::size_t* length) override {
    if (!ok_ || pos_ >= size_ || size_ - pos_ < 2) return false;
    const std::uint64_t remaining = size_ - pos_;
    const std::size_t want = remaining < kLimit ? static_cast<std::size_t>(remaining) : kLimit;
    std::size_t offset = static_cast<std::size_t>(pos_ - bufferPos_);
    if (have_ - offset < want && !end_) {
      std::memmove(buffer_, buffer_ + offset, have_ - offset);
      have_ -= offset;
      bufferPos_ = pos_;
      offset = 0;
      while (have_ < want && !end_) {
        DWORD got = 0;
        DWORD ask = static_cast<DWORD>(capacity_ - have_);
        if (!plat::readFile(file_, buffer_ + have_, ask, &got) || got == 0) {
          end_ = true;
          break;
        }
        have_ += got > ask ? ask : got;
      }
    }
    std::size_t available = have_ - offset;
    if (available > want) available = want;
    if (available == 0) return false;
    std::size_t n = jcamp::pieceLength(buffer_ + offset, available, kLimit);
    *piece = buffer_ + offset;
    *length = n;
    pos_ += n;
    return true;
  }

  // Leaves the file after the last piece taken.
  void finish() {
    if (ok_) plat::seekFile(file_, static_cast<std::int64_t>(pos_), plat::Seek::Begin, nullptr);
  }

 private:
  static constexpr std::size_t kLimit = kLineSize - 1;
  HANDLE file_;
  char* buffer_;
  std::size_t capacity_;
  bool ok_ = false;
  bool end_ = false;
  std::uint64_t pos_ = 0;  // file position of the next piece
  std::uint64_t size_ = 0;
  std::uint64_t bufferPos_ = 0;  // file position of buffer_[0]
  std::size_t have_ = 0;         // bytes in the buffer
};

bool record(HANDLE file, int labelId, char* value) {
  return findJcampRecord(file, labelId, value, kWorkSize);
}

bool holds(const char* value, int textId) {
  std::string t = text(textId);
  return !t.empty() && std::strstr(value, t.c_str()) != nullptr;
}

enum class DataClass { None, XYData, XYPoints, PeakTable, Assignments, NTuples };

DataClass dataClass(HANDLE file, char* value) {
  if (!record(file, kJcampLabelDataClass, value)) return DataClass::None;
  if (holds(value, kJcampClassXYData)) return DataClass::XYData;
  if (holds(value, kJcampClassXYPoints)) return DataClass::XYPoints;
  if (holds(value, kJcampClassPeakTable)) return DataClass::PeakTable;
  if (holds(value, kJcampClassAssignments)) return DataClass::Assignments;
  if (holds(value, kJcampClassNTuples)) return DataClass::NTuples;
  return DataClass::None;
}

// A value as float, NaN when it is not a finite float.
float toFloat(double v) {
  return std::fabs(v) <= FLT_MAX ? static_cast<float>(v) : std::numeric_limits<float>::quiet_NaN();
}

}  // namespace
}  // namespace cv

using namespace cv;

int NMRIsJCAMP(const char* path) {
  if (!path || !plat::isReadable(path, 1)) return 0;
  plat::File file(openRead(path));
  if (!file.ok()) return 0;
  char value[kWorkSize];
  if (!record(file.get(), kJcampLabelTitle, value)) return 0;
  if (!record(file.get(), kJcampLabelVersion, value)) return 0;
  if (!holds(value, kJcampVersion424) && !holds(value, kJcampVersion50) &&
      !holds(value, kJcampVersion501))
    return 0;
  if (!record(file.get(), kJcampLabelDataType, value)) return 0;
  normaliseLabel(value);
  return holds(value, kJcampTypeFid) || holds(value, kJcampTypeSpectrum) ? 1 : 0;
}

int NMRGetParJCAMP(const char* path, SPECINFO* info) {
  if (!path || !plat::isReadable(path, MAX_PATH)) return kInvalidArgument;
  if (!info || !plat::isWritable(info, sizeof *info)) return kInvalidPointer;
  plat::File file(openRead(path));
  if (!file.ok()) return kOpenError;
  if (!info->SetDimension(1)) return kNoMemory;
  HANDLE f = file.get();
  char value[kWorkSize];

  if (!record(f, kJcampLabelDataType, value)) return kJcampNoDataType;
  normaliseLabel(value);
  unsigned format = 0;
  bool fid = false;
  if (holds(value, kJcampTypeFid)) {
    fid = true;
    format = DF_FID;
  } else if (holds(value, kJcampTypeSpectrum)) {
    format = DF_SPECTRUM;
  } else {
    return kIllegalFormat;
  }

  bool haveMode = record(f, kJcampLabelAcqMode, value);
  if (haveMode) normaliseLabel(value);
  if (haveMode && holds(value, kJcampModeSimultaneous)) {
    info->SetAQMode(1, 1);
  } else if (haveMode && holds(value, kJcampModeSingle)) {
    // single channel: the mode stays 0
  } else if (fid) {
    return kJcampBadAcqMode;
  }

  switch (dataClass(f, value)) {
    case DataClass::XYData:
      break;
    case DataClass::XYPoints:
      if (!record(f, kJcampLabelXYPoints, value)) return kJcampNoXYPoints;
      normaliseLabel(value);
      if (holds(value, kJcampVarsPointsXY) || holds(value, kJcampVarsPointsXR) ||
          holds(value, kJcampVarsPointsXI))
        return kJcampXYPoints;
      return kJcampUnknownClass;
    default:
      return kJcampUnknownClass;
  }

  if (!record(f, kJcampLabelXYData, value)) return kJcampNoXYData;
  normaliseLabel(value);
  if (holds(value, kJcampVarsXYReal) || holds(value, kJcampVarsXRReal)) {
    format |= DF_1R;
  } else if (holds(value, kJcampVarsXIImag)) {
    format |= DF_1I;
  } else {
    return kJcampUnknownClass;
  }

  if (!record(f, kJcampLabelNPoints, value)) return kJcampNoNPoints;
  long long n = std::strtoll(value, nullptr, 10);
  if (!record(f, kJcampLabelObserveFreq, value)) return kJcampNoObserveFreq;
  double sf = std::strtod(value, nullptr);
  if (!record(f, kJcampLabelFirstX, value)) return kJcampNoFirstX;
  float firstX = toFloat(std::strtod(value, nullptr));
  if (!record(f, kJcampLabelLastX, value)) return kJcampNoLastX;
  float lastX = toFloat(std::strtod(value, nullptr));
  if (!record(f, kJcampLabelXFactor, value)) return kJcampNoXFactor;

  if (n < 2 || n > INT_MAX) return kBadSI;
  if (!std::isfinite(firstX) || !std::isfinite(lastX) || firstX == lastX) return kBadLimits;
  float sfFloat = toFloat(sf);
  if (!(sfFloat > 0)) return kBadSF;

  info->SetSI(static_cast<long>(n), 1);
  info->SetTD(static_cast<long>(n), 1);
  info->SetSF(sfFloat, 1);
  info->SetF1(firstX, 1);
  info->SetF2(lastX, 1);
  info->SetDataFormat(format);
  return kOk;
}

int NMRReadJCAMP(const char* path, SPECINFO* info, float* real, float* /*imag*/) {
  if (!path || !plat::isReadable(path, MAX_PATH)) return kInvalidArgument;
  if (!info || !plat::isWritable(info, sizeof *info)) return kInvalidPointer;
  plat::WorkArea work(kWorkSize);
  if (!work) return kJcampNoMemory;
  plat::File file(openRead(path));
  if (!file.ok()) return kOpenError;

  unsigned format = info->GetDataFormat();
  if (!(format & DF_SPECTRUM)) return kPrematureEnd;
  if (format & DF_COMPLEX) return (format & (DF_1D | DF_2D)) ? kNoIntensityFile : kPrematureEnd;
  long si = info->GetSI(1);
  std::size_t bytes = si > 0 ? static_cast<std::size_t>(si) * sizeof(float) : 1;
  if (!real || !plat::isWritable(real, bytes)) return kBadRealPointer;

  HANDLE f = file.get();
  char* value = work.get();
  DataClass cls = dataClass(f, value);
  if (!record(f, kJcampLabelXFactor, value)) return kJcampNoXFactor;
  float xFactor = toFloat(std::strtod(value, nullptr));
  if (cls != DataClass::XYData) return kPrematureEnd;
  if (!record(f, kJcampLabelXYData, value)) return kJcampNoXYData;

  unsigned status =
      Jcamp_evalXYBlock(f, real, info->GetF1(1), info->GetF2(1), si, xFactor, 1.0f, 0, 1);
  if (status == kOk) info->SetModTime(GetTimeLastModified(path));
  return static_cast<int>(status);
}

unsigned Jcamp_evalXYBlock(HANDLE file, float* y, float firstX, float lastX, long nPoints,
                           float xFactor, float yFactor, long firstIndex, char step) {
  plat::WorkArea line(kLineArea);
  if (!line) return kJcampNoMemory;
  jcamp::BlockParams params;
  params.firstX = firstX;
  params.lastX = lastX;
  params.nPoints = nPoints;
  params.xFactor = xFactor;
  params.yFactor = yFactor;
  params.firstIndex = firstIndex;
  params.step = step;
  double deltaX = 0;
  if (unsigned bad = jcamp::checkParams(params, &deltaX)) return bad;
  if (!y || !plat::isWritable(y, static_cast<std::size_t>(nPoints) * sizeof(float)))
    return kBadRealPointer;
  plat::WorkArea buffer(kReadSize);
  if (!buffer) return kJcampNoMemory;
  FileLines lines(file, buffer.get(), kReadSize);
  unsigned status = jcamp::decodeBlock(lines, line.get(), y, params, nullptr);
  lines.finish();
  return status;
}

char* nxval(char* text, double* value, long* count, int compressed) {
  const char* p = text;
  double v = 0;
  long n = 0;
  int r = jcamp::decodeToken(&p, &v, &n, compressed != 0);
  if (r < 0) v = 0, n = 0;
  if (value) *value = v;
  if (count) *count = n;
  if (r < 0) return reinterpret_cast<char*>(static_cast<std::uintptr_t>(kJcampInvalidChar));
  return r == 0 ? nullptr : const_cast<char*>(p);
}
