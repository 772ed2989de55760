// The Bruker WinNMR readers: the file group of the generic (PC) flavour with
// binary parameter records, the Unix-type flavour with Bruker text parameter
// files (read by the XWinNMR reader's ReadUXAQSParas / ReadUXFQSParas), the
// data reader both share, and the ASCII export with labelled header lines.
//
// Behaviour chosen where the format leaves room, and faults that are mended:
// - Companion files (B.aqs, B.1i, ...) are named with MakeFileName and found
//   whatever the case of their names on disk.
// - A parameter file of 0 bytes is a file without records: the first missing
//   parameter decides the status (118 for a generic .aqs, 65 for a .fqs)
//   instead of "Cannot allocate memory!".
// - Bad values are refused with a status instead of leaving a record that
//   later divides by zero: SFO1 not above 0 gives 117, SW_h not above 0 gives
//   116, a reference frequency from OFFSET that is not a positive number
//   gives 117, a negative SI in a processing file gives 115, a data file too
//   short for one point (SI 0) gives 115; a record that cannot be allocated
//   gives 258. NaN and infinite values count as bad.
// - 2D data of the generic flavour are marked as floats (AQ_FLOATDATA and
//   bit 0x80 in AQMode of dimension 1) like 1D data: the words are floats in
//   both, and left unmarked they would be converted as integers.
// - NMRReadWinNMR refuses a null real buffer with 132 also for interleaved
//   FIDs (only a missing imaginary buffer gives 133), and converts only the
//   buffers it filled.
// - ASCII export: the acquisition mode keeps bits 0-1 of "AQmod" (other bits
//   would become storage flags such as the byte order); a "Decim" or
//   "Dspfvs" line without ":" is taken as absent; SF 0 gives 117 like a
//   missing answer, and SF or ppm limits that give no positive frequency
//   give 117; limits that are not numbers give 116.
// - ASCII data lines are whole lines: a value is a number at the start of a
//   line of at most 99 characters (a longer line does not scan, rather than
//   being read as two values); a blank line between values is a line that
//   does not scan (119); text such as "nan" or "inf" is no number, and a
//   number that a float cannot hold gives 126.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datafiles/convera_internal.h"
#include "datafiles/scan_internal.h"

namespace {

using namespace cv;

// Texts of this reader (winnmr.rc).
enum : int {
  kTextBinarySignature = 1300,
  kLabelPointCount = 1310,
  kLabelRealData = 1311,
  kLabelComplexData = 1312,
  kLabelFidData = 1313,
  kLabelStartingPoint = 1314,
  kLabelEndingPoint = 1315,
  kLabelFirstPoint = 1316,
  kLabelLastPoint = 1317,
  kLabelAqMod = 1318,
  kLabelSF = 1319,
  kLabelDwell = 1320,
  kLabelHzPerPoint = 1321,
  kLabelOffset = 1322,
  kLabelDecim = 1323,
  kLabelDspfvs = 1324,
};

// Companion types of MakeFileName.
enum : unsigned {
  kNameAqs = 1,
  kNameFqs = 2,
  kName1r = 4,
  kName1i = 5,
  kNameRr = 9,
  kNameIi = 12,
  kNameFa1 = 13,
  kNameFa2 = 14,
  kNameFp1 = 15,
  kNameFp2 = 16,
};

constexpr unsigned kGenericModeBits = AQ_FLOATDATA | AQ_FLOATDATA2;

// The companion of `path` of MakeFileName type `type`, as spelled on disk
// when it exists; empty when the name does not fit.
std::string companion(const char* path, unsigned type) {
  char out[MAX_PATH];
  MakeFileName(out, path, type);
  if (!out[0]) return {};
  std::string p = out;
  return inFolder(folderOf(p), nameOf(p).c_str());
}

// ---- binary parameter files -------------------------------------------------

// A loaded parameter file; an empty file has no buffer.
struct ParBuffer {
  char* data = nullptr;
  long length = 0;
  ParBuffer() = default;
  ParBuffer(const ParBuffer&) = delete;
  ParBuffer& operator=(const ParBuffer&) = delete;
  ~ParBuffer() {
    if (data) NMRFreeBuffer(data);
  }
};

// Loads an open file (closed in every case): 0, or 258.
int load(plat::File& file, ParBuffer* buffer) {
  std::uint64_t size = 1;
  if (plat::fileSize(file.get(), &size) && size == 0) {
    file.reset();
    return kOk;
  }
  buffer->data = NMRAllocRead(file.release(), &buffer->length);
  return buffer->data ? kOk : kNoMemory;
}

bool recordLong(const ParBuffer& b, int id, long* out) {
  *out = 0;
  return b.data && ReadWinNMRLong(b.data, b.length, id, out);
}

bool recordFloat(const ParBuffer& b, int id, float* out) {
  *out = 0;
  return b.data && ReadWinNMRFloat(b.data, b.length, id, out);
}

bool recordDouble(const ParBuffer& b, int id, double* out) {
  *out = 0;
  return b.data && ReadWinNMRDouble(b.data, b.length, id, out);
}

// Opens a parameter file; on failure shows `context` with the system's
// error and gives 114.
int openParameters(const std::string& path, int context, plat::File* file) {
  file->reset(openRead(path));
  if (file->ok()) return kOk;
  DWORD error = plat::lastError();
  report(context, kSystemErrorBase + static_cast<int>(error));
  return kOpenError;
}

// The acquisition parameters of one dimension (.aqs, .fa2, .fa1).
int readGenericAcq(const std::string& path, NMRDIMENSION* dim) {
  plat::File file;
  if (int st = openParameters(path, kNoAqsFile, &file)) return st;
  ParBuffer b;
  if (int st = load(file, &b)) return st;
  long mode = 0, td = 0;
  double sfo1 = 0, swh = 0;
  if (!recordLong(b, kKeyAqMod, &mode)) {
    dim->SetAQMode(0);
    return kPrematureEnd;
  }
  dim->SetAQMode(static_cast<unsigned>(mode));
  if (!recordDouble(b, kKeySFO1, &sfo1)) return kNoSF;
  if (!recordDouble(b, kKeySWh, &swh)) return kNoSW;
  if (!recordLong(b, kKeyTD, &td)) return kNoTD;
  float sf = 0, sw = 0;
  if (!asFloat(sfo1, &sf) || !(sf > 0)) return kBadSF;
  if (!asFloat(swh, &sw) || !(sw > 0)) return kBadLimits;
  dim->SetSF(sf);
  dim->SetF1(sw / 2);
  dim->SetF2(-sw / 2);
  if (td >= 0) dim->SetTD(td);
  return kOk;
}

// The processing parameters of one dimension (.fqs, .fp2, .fp1); the
// acquisition parameters of the same dimension must have been read.
int readGenericProc(const std::string& path, NMRDIMENSION* dim) {
  plat::File file;
  if (int st = openParameters(path, kNoFqsFile, &file)) return st;
  ParBuffer b;
  if (int st = load(file, &b)) return st;
  float offset = 0;
  long si = 0, xdim = 0;
  bool haveOffset = recordFloat(b, kKeyOffset, &offset);
  bool haveSI = recordLong(b, kKeySI, &si);
  bool haveXDIM = recordLong(b, kKeyXDIM, &xdim);
  if (!haveSI) return kNoSI;
  if (!haveOffset) return kNoOffset;
  double sw = static_cast<double>(dim->GetF1()) - dim->GetF2();
  float sf = 0, f1 = 0, f2 = 0;
  if (!asFloat((dim->GetSF() + sw * 5e-7) / (1 + offset * 1e-6), &sf) || !(sf > 0)) return kBadSF;
  if (!asFloat(static_cast<double>(sf) * offset, &f1) || !asFloat(f1 - sw, &f2)) return kBadLimits;
  dim->SetSF(sf);
  dim->SetF1(f1);
  dim->SetF2(f2);
  if (!dim->SetSI(si)) return kBadSI;
  if (haveXDIM && xdim >= 0) dim->SetXDIM(xdim);
  return kOk;
}

using ParReader = int (*)(const std::string& path, NMRDIMENSION* dim);

int unixAcq(const std::string& path, NMRDIMENSION* dim) { return ReadUXAQSParas(path.c_str(), dim); }
int unixProc(const std::string& path, NMRDIMENSION* dim) { return ReadUXFQSParas(path.c_str(), dim); }

// The parameters of both flavours.
int getParameters(const char* path, SPECINFO* info, ParReader acq, ParReader proc, bool generic) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return kInvalidArgument;
  unsigned type = GetExtensionType(path);
  if ((type & DF_UNKNOWN) || !(type & (DF_1D | DF_2D))) return kIllegalFormat;
  info->SetDataFormat(type);
  bool twoD = (type & DF_2D) != 0;
  if (!info->SetDimension(twoD ? 2 : 1)) return kNoMemory;

  struct Step {
    ParReader read;
    unsigned name;
    unsigned dim;
  };
  const Step oneD[] = {{acq, kNameAqs, 1}, {proc, kNameFqs, 1}};
  const Step both[] = {{acq, kNameFa2, 1}, {acq, kNameFa1, 2}, {proc, kNameFp2, 1}, {proc, kNameFp1, 2}};
  const Step* steps = twoD ? both : oneD;
  std::size_t count = twoD ? 4 : 2;
  for (std::size_t i = 0; i < count; ++i) {
    int st = steps[i].read(companion(path, steps[i].name), info->GetDimensionAddress(steps[i].dim));
    if (st) return st;
  }

  if (!twoD) {
    plat::File data(openRead(path));
    std::uint64_t size = 0;
    if (!data.ok() || !plat::fileSize(data.get(), &size)) return kNoDataFile;
    if (size / 4 > 0x7FFFFFFFu) return kBadSI;
    info->SetSI(static_cast<long>(size / 4), 1);
  }
  unsigned partner = 0;
  if (twoD) {
    partner = kNameIi;
  } else if (type & DF_1R) {
    partner = kName1i;
  } else if (type & DF_1I) {
    partner = kName1r;
  }
  if (partner && canOpen(companion(path, partner))) info->SetDataFormat(type | DF_COMPLEX);

  if (!twoD) {
    long n = info->GetSI(1);
    if (type & DF_FID) n /= 2;
    if (n < 1) return kBadSI;
    info->SetSI(n, 1);
    info->SetTD(n, 1);
    info->SetInc((info->GetF1(1) - info->GetF2(1)) / static_cast<float>(n), 1);
    if (generic) info->SetNucleus(0, 1);
  }
  // The words of the generic flavour are floats, 2D data included: without
  // the mark the data reader would take them for integers.
  if (generic) info->SetAQMode(info->GetAQMode(1) | kGenericModeBits, 1);
  return kOk;
}

// ---- intensity words ------------------------------------------------------------

constexpr long kChunkWords = 16384;

// Reads `count` 32-bit words from the file's position: false when short.
bool readWords(HANDLE file, float* to, long count) {
  while (count > 0) {
    long n = count < kChunkWords ? count : kChunkWords;
    DWORD want = static_cast<DWORD>(n) * 4, got = 0;
    if (!plat::readFile(file, to, want, &got) || got != want) return false;
    to += n;
    count -= n;
  }
  return true;
}

// Reads `count` pairs of words, the first of each pair into `re`, the
// second into `im`: 0, 118 when short, 258 without memory.
int readPairs(HANDLE file, float* re, float* im, long count) {
  plat::WorkArea work(static_cast<std::size_t>(kChunkWords) * 8);
  if (!work) return kNoMemory;
  auto* pairs = reinterpret_cast<float*>(work.get());
  while (count > 0) {
    long n = count < kChunkWords ? count : kChunkWords;
    if (!readWords(file, pairs, 2 * n)) return kPrematureEnd;
    for (long i = 0; i < n; ++i) {
      std::memcpy(re++, pairs + 2 * i, 4);
      std::memcpy(im++, pairs + 2 * i + 1, 4);
    }
    count -= n;
  }
  return kOk;
}

// Reads `count` words of the file `path` into `to`: 0, 14 or 118.
int readWordFile(const std::string& path, float* to, long count) {
  plat::File file(openRead(path));
  if (!file.ok()) return kNoIntensityFile;
  return readWords(file.get(), to, count) ? kOk : kPrematureEnd;
}

// ---- ASCII export --------------------------------------------------------------

// One header line of the export: found, with or without ":", and the text
// after the last ":".
struct Label {
  bool found = false;
  bool colon = false;
  char line[kLabelLineSize] = {};
  const char* value() const { return colon ? std::strrchr(line, ':') + 1 : ""; }
  long asLong() const { return colon ? std::strtol(value(), nullptr, 10) : 0; }
  double asDouble() const { return colon ? std::strtod(value(), nullptr) : 0.0; }
};

// The `occurrence`-th line (from 1) that holds the label text `id`.
Label seek(HANDLE file, int id, int occurrence = 1) {
  Label l;
  std::string label = text(id);
  if (label.empty()) return l;
  l.found = seekLabelLine(file, label.c_str(), occurrence, l.line) == kOk;
  if (!l.found) l.line[0] = 0;
  l.colon = l.found && std::strchr(l.line, ':') != nullptr;
  return l;
}

// The DataFormat of the kind of data, 0 when no kind line is there.
unsigned seekKind(HANDLE file) {
  if (seek(file, kLabelRealData).found) return DF_SPECTRUM | DF_1D;
  if (seek(file, kLabelComplexData).found) return DF_1D | DF_COMPLEX;
  if (seek(file, kLabelFidData).found) return DF_FID | DF_1D;
  return 0;
}

int asciiParameters(HWND owner, HANDLE file, SPECINFO* info) {
  if (!info->SetDimension(1)) return kNoMemory;
  Label count = seek(file, kLabelPointCount);
  if (!count.found) return kNoSI;
  long n = count.asLong();
  if (!count.colon || n <= 0 || n > 0x7FFFFFFF) return kBadSI;
  unsigned kind = seekKind(file);
  if (!kind) return kWrongFormat;

  Label start = seek(file, kLabelStartingPoint);
  if (!start.found) return 195;
  long s = start.asLong();
  if (!start.colon || s < 0) return 197;
  Label end = seek(file, kLabelEndingPoint);
  if (!end.found) return 196;
  long e = end.asLong();
  if (!end.colon || e < 0 || e < s || e - s != n - 1) return 197;

  Label first = seek(file, kLabelFirstPoint);
  if (!first.found) return 191;
  if (!first.colon) return kBadLimits;
  double f1 = first.asDouble();
  Label last = seek(file, kLabelLastPoint);
  if (!last.found) return 192;
  if (!last.colon) return kBadLimits;
  double f2 = last.asDouble();
  float limit = 0;
  if (!asFloat(f1, &limit) || !asFloat(f2, &limit)) return kBadLimits;

  unsigned mode = 1;
  bool complete = true;
  Label aqmod = seek(file, kLabelAqMod);
  if (aqmod.found) {
    if (aqmod.colon) mode = static_cast<unsigned>(aqmod.asLong()) & AQ_MODEMASK;
  } else {
    complete = false;
  }

  float sf = 0;
  Label sfLine = seek(file, kLabelSF);
  if (sfLine.found) {
    if (!sfLine.colon) return kBadSF;
    double v = sfLine.asDouble();
    if (v < 0) return kBadLimits;
    if (!asFloat(v, &sf) || !(sf > 0)) return kBadSF;
  } else {
    if (int st = askSF(owner, &sf)) return st;
    complete = false;
  }

  if (kind & DF_FID) {
    if (f1 < 0 || f1 >= f2) return kBadLimits;
    Label dwell = seek(file, kLabelDwell);
    if (!dwell.found) return kNoSW;
    double dw = dwell.asDouble();
    if (!dwell.colon || !(dw > 0) || !(dw <= DBL_MAX)) return kBadLimits;
    f1 = 1000 / (4 * dw);
    f2 = -f1;
    Label offset = seek(file, kLabelOffset);
    if (complete && offset.found && offset.colon) {
      double sw = f1 - f2;
      f1 = offset.asDouble() / sf;
      f2 = f1 - sw;
    }
  } else if (!complete) {
    Label firstPpm = seek(file, kLabelFirstPoint, 2);
    if (!firstPpm.found) return 191;
    Label lastPpm = seek(file, kLabelLastPoint, 2);
    if (!lastPpm.found) return 192;
    if (!firstPpm.colon || !lastPpm.colon) return kBadLimits;
    double p1 = firstPpm.asDouble(), p2 = lastPpm.asDouble();
    if (p1 == 0 || p2 == 0 || f1 == f2) return kBadLimits;
    if (!asFloat((f1 / p1 + f2 / p2) / 2, &sf) || !(sf > 0)) return kBadSF;
  }
  float left = 0, right = 0, inc = 0;
  if (!asFloat(f1, &left) || !asFloat(f2, &right) ||
      !asFloat((f1 - f2) / static_cast<double>(n), &inc))
    return kBadLimits;

  info->SetSI(n, 1);
  info->SetTD(n, 1);
  info->SetSF(sf, 1);
  info->SetF1(left, 1);
  info->SetF2(right, 1);
  info->SetInc(inc, 1);
  info->SetAQMode(mode | AQ_FLOATDATA, 1);
  info->SetDataFormat(kind);

  if (complete) {
    Label decim = seek(file, kLabelDecim);
    if (decim.found && decim.colon) {
      long d = decim.asLong();
      info->SetDigDecim(static_cast<unsigned>(d), 1);
      Label firmware = seek(file, kLabelDspfvs);
      if (d > 1 && firmware.found && firmware.colon) {
        info->SetDigFirmware(static_cast<unsigned>(firmware.asLong()), 1);
        if (info->SetDigFilter(1) == kNoMemory) return kNoMemory;
      }
    }
  }
  return kOk;
}

// A number at the start of a line, as a float: 0, 119 when the line holds
// none (or was cut), 126 when a float cannot hold it.
int scanValue(const char* line, bool cut, float* value) {
  const char* p = line;
  while (*p == ' ' || *p == '\t') ++p;
  bool starts = (*p >= '0' && *p <= '9') || *p == '+' || *p == '-' || *p == '.';
  char* end = nullptr;
  double v = starts && !cut ? std::strtod(p, &end) : 0.0;
  if (!starts || cut || end == p) return kBlankLine;
  return asFloat(v, value) ? kOk : kNaN;
}

constexpr std::size_t kValueLine = 100;

// `count` value lines into `to`, from the first one on.
int readValues(TextLines& lines, float* to, long count) {
  char line[kValueLine];
  bool cut = false;
  for (long i = 0; i < count; ++i) {
    if (!lines.next(line, sizeof line, &cut)) return kPrematureEnd;
    if (int st = scanValue(line, cut, &to[i])) return st;
  }
  return kOk;
}

// Skips lines up to the first value line, which goes to to[0], then reads
// the other count - 1 values.
int readFirstBlock(TextLines& lines, float* to, long count) {
  if (count <= 0) return kOk;
  char line[kValueLine];
  bool cut = false;
  for (;;) {
    if (!lines.next(line, sizeof line, &cut)) return kPrematureEnd;
    int st = scanValue(line, cut, &to[0]);
    if (st == kNaN) return st;
    if (st == kOk) break;
  }
  return readValues(lines, to + 1, count - 1);
}

int skipLine(TextLines& lines) {
  char line[kValueLine];
  bool cut = false;
  return lines.next(line, sizeof line, &cut) ? kOk : kPrematureEnd;
}

}  // namespace

// ---- detection ------------------------------------------------------------------

namespace {

// The parameter file that decides the flavour: the data file must open and
// the other parameter files of its kind must open too. Empty when not.
std::string lastParameterFile(const char* path) {
  if (!usablePath(path)) return {};
  unsigned type = GetExtensionType(path);
  if ((type & DF_UNKNOWN) || !(type & (DF_1D | DF_2D))) return {};
  if (!canOpen(path)) return {};
  if (type & DF_2D) {
    for (unsigned t : {kNameFa1, kNameFa2, kNameFp1})
      if (!canOpen(companion(path, t))) return {};
    return companion(path, kNameFp2);
  }
  if (!canOpen(companion(path, kNameAqs))) return {};
  return companion(path, kNameFqs);
}

// The first bytes of a file, zero-terminated (all zero when it cannot be read).
void firstBytes(const std::string& path, char* buf, DWORD size) {
  std::memset(buf, 0, size);
  plat::File f(openRead(path));
  DWORD got = 0;
  if (f.ok()) plat::readFile(f.get(), buf, size - 1, &got);
}

}  // namespace

int NMRIsGenericWinNMR(const char* path) {
  std::string last = lastParameterFile(path);
  if (last.empty()) return 0;
  char head[261];
  firstBytes(last, head, sizeof head);
  std::string signature = text(kTextBinarySignature);
  return !signature.empty() && signature == head ? 1 : 0;
}

int NMRIsUnixWinNMR(const char* path) {
  if (!usablePath(path)) {
    CVErrMess(ConveraModule(), CVTEXT(kInvalidArgument), CVTEXT(kInvalidPointer), CVE_WINKIT);
    return 0;
  }
  std::string last = lastParameterFile(path);
  if (last.empty()) return 0;
  char head[3];
  firstBytes(last, head, sizeof head);
  return head[0] == '#' && head[1] == '#' ? 1 : 0;
}

int NMRIsASCIIWinNMR(const char* path) {
  if (!usablePath(path)) return 0;
  plat::File file(openRead(path));
  if (!file.ok()) return 0;
  HANDLE f = file.get();
  Label count = seek(f, kLabelPointCount);
  long n = count.asLong();
  if (!count.found || n <= 0) return 0;
  unsigned kind = seekKind(f);
  if (!kind) return 0;
  Label first = seek(f, kLabelFirstPoint);
  Label last = seek(f, kLabelLastPoint);
  double a = first.asDouble(), b = last.asDouble();
  if (kind & DF_FID) {
    Label dwell = seek(f, kLabelDwell);
    if (!dwell.found || !first.found || !last.found) return 0;
    return std::fabs((b - a) / static_cast<double>(n) * 0.5 - dwell.asDouble()) <= 1e-4 ? 1 : 0;
  }
  Label hz = seek(f, kLabelHzPerPoint);
  if (!hz.found || !first.found || !last.found) return 0;
  double w = a - b;
  return n > 1 && a > b && std::fabs(w / static_cast<double>(n) - hz.asDouble()) < 1e-5 * w ? 1 : 0;
}

// ---- parameters -------------------------------------------------------------------

int NMRGetParGenWinNMR(const char* path, SPECINFO* info) {
  return getParameters(path, info, readGenericAcq, readGenericProc, true);
}

int NMRGetParUnixWinNMR(const char* path, SPECINFO* info) {
  return getParameters(path, info, unixAcq, unixProc, false);
}

int NMRGetParASCIIWinNMR(HWND owner, const char* path, SPECINFO* info) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return kInvalidArgument;
  plat::File file(openRead(path));
  if (!file.ok()) return kOpenError;
  int st = asciiParameters(owner, file.get(), info);
  info->SetNucleus(0, 1);
  return st;
}

// ---- intensities -------------------------------------------------------------------

int NMRReadWinNMR(const char* path, SPECINFO* info, float* real, float* imag) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return kInvalidArgument;
  if (info->GetDimension() == 0) return kInvalidArgument;
  long n = info->GetSI(1);
  unsigned format = info->GetDataFormat();
  if (!real) return kBadRealPointer;
  if (!(format & DF_FID)) {
    if ((format & DF_COMPLEX) && imag) {
      bool twoD = (format & DF_2D) != 0;
      if (int st = readWordFile(companion(path, twoD ? kNameRr : kName1r), real, n)) return st;
      if (int st = readWordFile(companion(path, twoD ? kNameIi : kName1i), imag, n)) return st;
    } else {
      if (int st = readWordFile(path, real, n)) return st;
      imag = nullptr;
    }
  } else {
    plat::File file(openRead(path));
    if (!file.ok()) return kNoIntensityFile;
    if (info->GetAQMode(1) & AQ_MODEMASK) {
      if (!imag) return kBadImagPointer;
      if (int st = readPairs(file.get(), real, imag, n)) return st;
    } else {
      if (!readWords(file.get(), real, n)) return kPrematureEnd;
      imag = nullptr;
    }
  }
  return convertWords(info, real, imag, n, path);
}

int NMRReadWinNMRASCII(const char* path, SPECINFO* info, float* real, float* imag) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return kInvalidArgument;
  plat::File file(openRead(path));
  if (!file.ok()) return kOpenError;
  long n = info->GetSI(1);
  unsigned format = info->GetDataFormat();
  TextLines lines(file.get());
  int st = kOk;
  if (format & DF_FID) {
    if (!real || !imag) return kBadRealPointer;
    st = readFirstBlock(lines, real, n);
    if (!st) st = skipLine(lines);
    if (!st) st = readValues(lines, imag, n);
  } else {
    if (!real) return kBadRealPointer;
    st = readFirstBlock(lines, real, n);
    if (!st && (format & DF_COMPLEX) && imag) {
      st = skipLine(lines);
      if (!st) st = readValues(lines, imag, n);
    }
  }
  if (st) return st;
  info->SetModTime(GetTimeLastModified(path));
  return kOk;
}
