// The Bruker XWinNMR / TopSpin reader: detection of a data file inside an
// experiment tree, its acquisition and processing parameters (acqus, procs,
// and acqu2s / proc2s for the second dimension) and its intensities (fid,
// ser, 1r, 1i, rr, ii).
//
// Decisions of this implementation:
// - The folder "pdata" is recognised as a whole folder name (any case); of
//   several such folders in a path the last counts. A folder that merely
//   contains the letters ("pdata_old") is an ordinary folder.
// - Of the numbered entries of pdata only directories count, and the one
//   with the lowest number is taken, so every file system gives the same
//   answer.
// - The partner part of a spectrum (1i of a 1r, rr of an ii ...) is looked
//   for beside the named file, where the data reader takes it from; a data
//   set counts as complex only when both of its parts open.
// - Each read of parameters starts from fresh dimension records, so nothing
//   of a data set read earlier into the same record survives.
// - An empty parameter file is a file whose parameters are missing; an empty
//   (or less than one point) data file is refused with 118, one of more than
//   2^28 points with 115. A spectrometer frequency that is not positive, or
//   that the reference offset turns into no number, gives 117; a sweep width
//   that is not a positive number gives 116.
// - A 2D FID (ser) is read row by row: TD(2) rows of TD(1) complex points,
//   each row starting at its own place in the file (rows padded to 256
//   words when the file size says so), into rows of SI(1) points of the
//   caller's buffers; what lies beyond the acquired points stays zero.
// - A single-channel FID fills the real buffer only; the imaginary buffer,
//   when given, is cleared.

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "datafiles/convera_internal.h"
#include "datafiles/xwinnmr_internal.h"
#include "isotopes/isotopia.h"
#include "winutil/platform/platform.h"

namespace {

using cv::kOk;

constexpr std::size_t kPathLimit = MAX_PATH;     // 259 characters and the terminator
constexpr long kMaxPoints = 0x10000000L;         // 2^28 points, 1 GiB per buffer
constexpr std::size_t kNucleusText = 19;         // characters of ##$NUCLEUS= examined
constexpr long kRowBlockWords = 256;             // rows of a ser file are padded to this

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The separator of the folders built from a path: the one before its file
// name, a backslash when it has none.
char separatorOf(const std::string& path) {
  std::size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? '\\' : path[at];
}

// A path the reader can work with: a readable string of 1 to 259 characters
// (examined up to its terminator only).
bool usablePath(const char* path) {
  if (!path || !plat::isReadable(path, 1)) return false;
  std::size_t n = 0;
  while (n < kPathLimit && path[n]) ++n;
  return n > 0 && n < kPathLimit;
}

bool sameNoCase(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Start of the last path component named "pdata" (any case), or npos.
std::size_t findPdata(const std::string& path) {
  std::string key = cv::text(cv::kXwPdata);
  if (key.empty()) return std::string::npos;
  std::size_t found = std::string::npos;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    if (end - start == key.size() && sameNoCase(path.c_str() + start, key.c_str(), key.size()))
      found = start;
    start = end + 1;
  }
  return found;
}

bool experimentDir(const std::string& path, std::string* out) {
  if (path.empty() || path.size() >= kPathLimit) return false;
  std::size_t at = findPdata(path);
  *out = at != std::string::npos ? path.substr(0, at) : cv::folderOf(path);
  return true;
}

// A directory name that begins with a decimal integer, as "%d" scans it.
bool leadingNumber(const char* name, long long* value) {
  const char* p = name;
  while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
  long long v = 0;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
    if (v < LLONG_MAX / 20) v = v * 10 + (*p - '0');
  *value = negative ? -v : v;
  return true;
}

bool processedDir(const std::string& path, std::string* out) {
  if (path.empty() || path.size() >= kPathLimit) return false;
  std::size_t at = findPdata(path);
  std::string pdata = cv::text(cv::kXwPdata);
  if (at != std::string::npos && at + pdata.size() < path.size()) {
    // ...\pdata\N\file: the folder of the file, without looking further.
    *out = cv::folderOf(path);
    return true;
  }
  std::string base = (at != std::string::npos ? path.substr(0, at) : cv::folderOf(path)) + pdata +
                     separatorOf(path);
  std::string pattern = base + cv::text(cv::kXwAnyName);
  if (pattern.size() >= kPathLimit) return false;
  plat::FindData found;
  HANDLE search = plat::ops().findFirst(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool have = false;
  long long best = 0;
  std::string bestName;
  do {
    if (!std::strcmp(found.name, ".") || !std::strcmp(found.name, "..")) continue;
    if (!(found.attributes & plat::kAttrDirectory) || found.attributes == plat::kAttrInvalid) continue;
    long long number;
    if (!leadingNumber(found.name, &number)) continue;
    if (!have || number < best) {
      have = true;
      best = number;
      bestName = found.name;
    }
  } while (plat::ops().findNext(search, &found));
  plat::ops().findClose(search);
  if (!have) return false;
  std::string dir = base + bestName + separatorOf(path);
  if (dir.size() >= kPathLimit) return false;
  *out = dir;
  return true;
}

// A file of the tree in `folder`, found whatever the case of its name; empty
// when the path would be too long.
std::string companion(const std::string& folder, int nameId) {
  std::string name = cv::text(nameId);
  if (name.empty() || folder.size() + name.size() >= kPathLimit) return {};
  std::string p = cv::inFolder(folder, name.c_str());
  return p.size() < kPathLimit ? p : std::string();
}

bool opens(const std::string& path) { return !path.empty() && cv::canOpen(path); }

// A parameter file: it opens and begins with "##".
bool isParameterFile(const std::string& path) {
  if (path.empty()) return false;
  plat::File f(cv::openRead(path));
  if (!f.ok()) return false;
  std::string header = cv::text(cv::kXwParHeader);
  if (header.empty() || header.size() > 8) return false;
  char buf[8] = {0};
  DWORD got = 0;
  if (!plat::readFile(f.get(), buf, static_cast<DWORD>(header.size()), &got)) return false;
  return got == header.size() && std::memcmp(buf, header.data(), header.size()) == 0;
}

// The folders of a data file: processed-data first for an FID.
bool locate(const std::string& path, unsigned type, std::string* exp, std::string* proc) {
  if (type & DF_FID) return processedDir(path, proc) && experimentDir(path, exp);
  return experimentDir(path, exp) && processedDir(path, proc);
}

bool classified(unsigned type) { return !(type & DF_UNKNOWN) && (type & (DF_1D | DF_2D)); }

// The two part files of a spectrum, as the data reader takes them: the named
// file for the part it is, the other from beside it.
void spectrumParts(const std::string& path, unsigned type, std::string* realPart,
                   std::string* imagPart) {
  std::string folder = cv::folderOf(path);
  bool twoD = (type & DF_2D) != 0;
  bool namedReal = (type & (twoD ? DF_RR : DF_1R)) != 0;
  bool namedImag = (type & (twoD ? DF_II : DF_1I)) != 0;
  *realPart = namedReal ? path : companion(folder, twoD ? cv::kXwRR : cv::kXw1r);
  *imagPart = namedImag ? path : companion(folder, twoD ? cv::kXwII : cv::kXw1i);
}

// A loaded parameter file; empty files give an empty buffer, not a failure.
class ParFile {
 public:
  ~ParFile() {
    if (buf_) NMRFreeBuffer(buf_);
  }
  // 0, or the status for a file that will not open (`openStatus`) or load.
  int load(const char* path, int openStatus) {
    if (!path || !*path) return openStatus;
    HANDLE h = cv::openRead(path);
    if (h == INVALID_HANDLE_VALUE) return openStatus;
    std::uint64_t size = 0;
    if (plat::fileSize(h, &size) && size == 0) {
      plat::closeFile(h);
      return kOk;
    }
    long length = 0;
    buf_ = NMRAllocRead(h, &length);  // closes the handle
    if (!buf_) return cv::kNoMemory;
    len_ = length;
    return kOk;
  }
  bool readLong(int id, long* out) const {
    *out = 0;
    return buf_ && ReadUXNMRLong(buf_, len_, id, out);
  }
  bool readFloat(int id, float* out) const {
    *out = 0;
    return buf_ && ReadUXNMRFloat(buf_, len_, id, out);
  }
  bool readDouble(int id, double* out) const {
    *out = 0;
    return buf_ && ReadUXNMRDouble(buf_, len_, id, out);
  }
  // The text after ##$NAME= up to the end of its line, at most `limit` characters.
  std::string textAfter(int id, std::size_t limit) const {
    if (!buf_) return {};
    const char* p = SearchUnixPar(id, buf_, len_);
    if (!p || p < buf_ || p > buf_ + len_) return {};
    std::string out;
    for (const char* end = buf_ + len_; p < end && out.size() < limit; ++p) {
      if (*p == 0 || *p == '\n' || *p == '\r') break;
      out += *p;
    }
    return out;
  }

 private:
  char* buf_ = nullptr;
  long len_ = 0;
};

// The nucleus of a label written <13C>; -1 when none matches.
int nucleusOf(const std::string& value) {
  std::size_t open = value.find('<');
  if (open == std::string::npos) return -1;
  std::size_t close = value.find('>', open + 1);
  if (close == std::string::npos) return -1;
  std::string label = value.substr(open + 1, close - open - 1);
  if (label.size() > 7) return -1;
  for (int n = 0; n <= GetNoNuclei(); ++n) {
    char buffer[8] = "";
    if (!GetWinNMRNucleus(static_cast<unsigned>(n), buffer)) continue;
    buffer[7] = 0;
    if (label == buffer) return n;
  }
  return -1;
}

// Reads `count` 32-bit words into `words`: 14 when the file will not open,
// 118 when it holds fewer.
int readWords(const std::string& path, float* words, long count) {
  plat::File f(cv::openRead(path));
  if (path.empty() || !f.ok()) return cv::kNoIntensityFile;
  auto* to = reinterpret_cast<char*>(words);
  std::size_t want = static_cast<std::size_t>(count) * 4;
  std::size_t have = 0;
  while (have < want) {
    DWORD got = 0;
    if (!plat::readFile(f.get(), to + have, static_cast<DWORD>(want - have), &got) || got == 0)
      return cv::kPrematureEnd;
    have += got;
  }
  return kOk;
}

// Reads `bytes` from the file's position; false on a failed or short read.
bool readFully(HANDLE file, void* to, std::size_t bytes) {
  auto* p = static_cast<char*>(to);
  std::size_t have = 0;
  while (have < bytes) {
    DWORD got = 0;
    if (!plat::readFile(file, p + have, static_cast<DWORD>(bytes - have), &got) || got == 0)
      return false;
    have += got;
  }
  return true;
}

// `pairs` pairs of words from the file's position: the first of each pair to
// `real`, the second to `imag`.
bool readPairs(HANDLE file, float* real, float* imag, long pairs, float* work) {
  if (!readFully(file, work, static_cast<std::size_t>(pairs) * 8)) return false;
  for (long i = 0; i < pairs; ++i) {
    real[i] = work[2 * i];
    imag[i] = work[2 * i + 1];
  }
  return true;
}

int readFid(const char* path, SPECINFO* info, float* real, float* imag) {
  plat::File f(cv::openRead(path));
  if (!f.ok()) return cv::kNoIntensityFile;
  bool twoD = info->GetDimension() >= 2 && (info->GetDataFormat() & DF_2D);
  long si1 = info->GetSI(1);
  long si2 = twoD ? info->GetSI(2) : 1;
  if (si1 > kMaxPoints || si2 > kMaxPoints ||
      static_cast<std::int64_t>(si1) * si2 > static_cast<std::int64_t>(kMaxPoints))
    return cv::kBadSI;
  long total = si1 * si2;
  if (!real || !plat::isWritable(real, static_cast<std::size_t>(total) * 4)) return cv::kBadRealPointer;
  unsigned mode = info->GetAQMode(1) & AQ_MODEMASK;

  if (mode == 0) {
    // One channel: SI(1) words of the first row into the real buffer.
    if (imag && plat::isWritable(imag, static_cast<std::size_t>(total) * 4))
      std::memset(imag, 0, static_cast<std::size_t>(total) * 4);
    if (total > si1) std::memset(real + si1, 0, static_cast<std::size_t>(total - si1) * 4);
    if (!readFully(f.get(), real, static_cast<std::size_t>(si1) * 4)) return cv::kPrematureEnd;
    f.reset();
    return cv::convertWords(info, real, nullptr, si1, path);
  }

  if (!imag || !plat::isWritable(imag, static_cast<std::size_t>(total) * 4)) return cv::kBadImagPointer;
  if (!twoD) {
    plat::WorkArea work(static_cast<std::size_t>(si1) * 8 + 8);
    if (!work) return cv::kNoMemory;
    if (!readPairs(f.get(), real, imag, si1, reinterpret_cast<float*>(work.get())))
      return cv::kPrematureEnd;
  } else {
    // Rows of TD(1) complex points, TD(2) of them, each at its own offset.
    long td1 = info->GetTD(1), td2 = info->GetTD(2);
    long pairs = td1 > 0 && td1 < si1 ? td1 : si1;
    long rows = td2 > 0 && td2 < si2 ? td2 : si2;
    std::int64_t content = 2 * static_cast<std::int64_t>(td1 > 0 ? td1 : si1);
    std::int64_t padded = (content + kRowBlockWords - 1) / kRowBlockWords * kRowBlockWords;
    std::int64_t diskRows = td2 > 0 ? td2 : si2;
    std::uint64_t size = 0;
    if (!plat::fileSize(f.get(), &size)) return cv::kPrematureEnd;
    std::int64_t fileWords = static_cast<std::int64_t>(size / 4);
    std::int64_t stride = padded != content && fileWords >= diskRows * padded ? padded : content;
    std::memset(real, 0, static_cast<std::size_t>(total) * 4);
    std::memset(imag, 0, static_cast<std::size_t>(total) * 4);
    plat::WorkArea work(static_cast<std::size_t>(pairs) * 8 + 8);
    if (!work) return cv::kNoMemory;
    for (long r = 0; r < rows; ++r) {
      std::int64_t at = 0;
      if (!plat::seekFile(f.get(), r * stride * 4, plat::Seek::Begin, &at) ||
          !readPairs(f.get(), real + r * si1, imag + r * si1, pairs,
                     reinterpret_cast<float*>(work.get())))
        return cv::kPrematureEnd;
    }
  }
  f.reset();
  return cv::convertWords(info, real, imag, total, path);
}

int readSpectrum(const char* path, SPECINFO* info, float* real, float* imag) {
  long n = info->GetSI(1);
  if (n > kMaxPoints) return cv::kBadSI;
  std::size_t bytes = static_cast<std::size_t>(n) * 4;
  if (!real || !plat::isWritable(real, bytes)) return cv::kBadRealPointer;
  unsigned type = info->GetDataFormat();
  bool complex = (type & DF_COMPLEX) && imag;
  int status;
  if (complex) {
    if (!plat::isWritable(imag, bytes)) return cv::kBadImagPointer;
    std::string realPart, imagPart;
    spectrumParts(path, type, &realPart, &imagPart);
    if ((status = readWords(realPart, real, n)) != kOk) return status;
    if ((status = readWords(imagPart, imag, n)) != kOk) return status;
  } else if ((status = readWords(path, real, n)) != kOk) {
    return status;
  }
  return cv::convertWords(info, real, complex ? imag : nullptr, n, path);
}

int copyOut(const std::string& dir, char* out, unsigned size) {
  if (!out || size == 0 || dir.size() >= size || !plat::isWritable(out, size)) return 0;
  std::memcpy(out, dir.c_str(), dir.size() + 1);
  return 1;
}

}  // namespace

// ---- directory location ------------------------------------------------------

int XWinNMRExperimentDir(const char* path, char* dir, unsigned size) {
  std::string out;
  return usablePath(path) && experimentDir(path, &out) ? copyOut(out, dir, size) : 0;
}

int XWinNMRProcessedDir(const char* path, char* dir, unsigned size) {
  std::string out;
  return usablePath(path) && processedDir(path, &out) ? copyOut(out, dir, size) : 0;
}

// ---- detection -----------------------------------------------------------------

int NMRIsXWinNMR(const char* path) {
  if (!usablePath(path)) return 0;
  unsigned type = GetExtensionType(path);
  if (!classified(type) || !cv::canOpen(path)) return 0;
  std::string exp, proc;
  if (!locate(path, type, &exp, &proc)) return 0;
  if (!opens(companion(exp, cv::kXwAcqus))) return 0;
  if (type & DF_2D) {
    return opens(companion(exp, cv::kXwAcqu2s)) && opens(companion(proc, cv::kXwProcs)) &&
                   isParameterFile(companion(proc, cv::kXwProc2s))
               ? 1
               : 0;
  }
  return isParameterFile(companion(proc, cv::kXwProcs)) ? 1 : 0;
}

// ---- parameters ----------------------------------------------------------------

int ReadUXAQSParas(const char* path, NMRDIMENSION* dim) {
  if (!dim || !plat::isWritable(dim, sizeof *dim)) return cv::kInvalidArgument;
  ParFile par;
  int status = par.load(path, cv::kNoAqsFile);
  if (status != kOk) return status;

  double sfo1 = 0, swh = 0;
  long td = 0, aqmod = 0;
  if (!par.readDouble(cv::kKeySFO1, &sfo1)) status = cv::kNoSF;
  else if (!par.readDouble(cv::kKeySWh, &swh)) status = cv::kNoSW;
  else if (!par.readLong(cv::kKeyTD, &td)) status = cv::kNoTD;
  else if (!par.readLong(cv::kKeyAqMod, &aqmod)) status = cv::kNoAqMod;

  if (status == kOk) {
    unsigned mode = static_cast<unsigned>(aqmod);
    long bytord = 0;
    if (!(mode & AQ_FLOATDATA) && par.readLong(cv::kKeyBytordA, &bytord)) {
      if (bytord == 1)
        mode |= AQ_BIGENDIAN_ACQ;
      else
        mode &= ~static_cast<unsigned>(AQ_BIGENDIAN_ACQ);
    }
    dim->SetAQMode(mode);

    int nucleus = nucleusOf(par.textAfter(cv::kKeyNucleus, kNucleusText));
    if (nucleus >= 0) dim->SetNucleus(nucleus);

    long decim = 0, fvs = 0;
    if (par.readLong(cv::kKeyDecim, &decim)) {
      dim->SetDigDecim(static_cast<unsigned>(decim));
      if (static_cast<unsigned>(decim) > 1 && par.readLong(cv::kKeyDspfvs, &fvs)) {
        float delay = 0;
        bool haveDelay = par.readFloat(cv::kKeyGrpdly, &delay);
        if (fvs == -1) {
          dim->SetDigDecim(1);
          dim->SetDigFirmware(0);
          if (haveDelay) dim->SetDigFilter(delay);
        } else {
          dim->SetDigFirmware(static_cast<unsigned>(fvs));
          if (static_cast<unsigned>(fvs) >= 20 && haveDelay) dim->SetDigFilter(delay);
        }
      }
    }
  }

  float nc = 0;
  dim->SetNC(1, par.readFloat(cv::kKeyNC, &nc) ? std::pow(2.0f, nc) : 1.0f);
  if (status != kOk) return status;

  if (dim->GetDigDecim() > 1) dim->SetDigFilter();
  float sf = static_cast<float>(sfo1), half = static_cast<float>(swh / 2);
  if (!std::isfinite(sf) || !dim->SetSF(sf)) return cv::kBadSF;
  if (!std::isfinite(half) || !(half > 0)) return cv::kBadLimits;
  dim->SetF1(half);
  dim->SetF2(-half);
  if (td >= 0) dim->SetTD(td);
  return kOk;
}

int ReadUXFQSParas(const char* path, NMRDIMENSION* dim) {
  if (!dim || !plat::isWritable(dim, sizeof *dim)) return cv::kInvalidArgument;
  ParFile par;
  int status = par.load(path, cv::kNoFqsFile);
  if (status != kOk) return status;

  float offset = 0, ncProc = 0;
  long si = 0, xdim = 0, bytord = 0;
  if (!par.readFloat(cv::kKeyOffset, &offset)) status = cv::kNoOffset;
  if (!par.readLong(cv::kKeySI, &si)) status = cv::kNoSI;
  bool haveXdim = par.readLong(cv::kKeyXDIM, &xdim);
  if (par.readLong(cv::kKeyBytordP, &bytord)) {
    unsigned mode = dim->GetAQMode();
    dim->SetAQMode(bytord == 1 ? mode | AQ_BIGENDIAN_PROC
                               : mode & ~static_cast<unsigned>(AQ_BIGENDIAN_PROC));
  }
  dim->SetNC(2, par.readFloat(cv::kKeyNCproc, &ncProc) ? std::pow(2.0f, ncProc) : 1.0f);
  if (status != kOk) return status;

  // The reference frequency for which the first point lies at OFFSET ppm,
  // from the transmitter frequency SFO1 and the sweep width.
  float sw = dim->GetSW();
  float reference = static_cast<float>((static_cast<double>(dim->GetSF()) + sw * 5e-7) /
                                       (1.0 + offset * 1e-6));
  if (!std::isfinite(reference) || !dim->SetSF(reference)) return cv::kBadSF;
  dim->SetF1(dim->GetSF() * offset);
  dim->SetF2(dim->GetF1() - sw);
  dim->SetSI(si);
  if (haveXdim && xdim >= 0) dim->SetXDIM(xdim);
  return kOk;
}

int NMRGetParXWinNMR(const char* path, SPECINFO* info) {
  if (!usablePath(path) || !info || !plat::isWritable(info, sizeof *info)) return cv::kInvalidArgument;
  unsigned type = GetExtensionType(path);
  info->SetDataFormat(type);
  if (!classified(type)) return cv::kIllegalFormat;
  unsigned dims = (type & DF_2D) ? 2 : 1;
  info->SetDimension(0);
  if (!info->SetDimension(dims) || info->GetDimension() != dims) return cv::kInvalidArgument;

  std::string exp, proc;
  if (!locate(path, type, &exp, &proc)) return cv::kIllegalFormat;

  int status = ReadUXAQSParas(companion(exp, cv::kXwAcqus).c_str(), info->GetDimensionAddress(1));
  if (status == kOk && dims == 2)
    status = ReadUXAQSParas(companion(exp, cv::kXwAcqu2s).c_str(), info->GetDimensionAddress(2));
  if (status != kOk) return status;
  status = ReadUXFQSParas(companion(proc, cv::kXwProcs).c_str(), info->GetDimensionAddress(1));
  if (status == kOk && dims == 2)
    status = ReadUXFQSParas(companion(proc, cv::kXwProc2s).c_str(), info->GetDimensionAddress(2));
  if (status != kOk) return status;

  long points = 0;
  if (dims == 1) {
    plat::File f(cv::openRead(path));
    if (!f.ok()) return cv::kNoDataFile;
    std::uint64_t size = 0;
    if (!plat::fileSize(f.get(), &size)) {
      DWORD e = plat::lastError();
      return e ? cv::kSystemErrorBase + static_cast<int>(e) : cv::kNoDataFile;
    }
    std::uint64_t words = size / 4;
    if (type & DF_FID) words /= 2;
    if (words == 0) return cv::kPrematureEnd;
    if (words > static_cast<std::uint64_t>(kMaxPoints)) return cv::kBadSI;
    points = static_cast<long>(words);
  } else {
    info->SetTD(info->GetTD(1) / 2, 1);
  }

  if (type & DF_SPECTRUM) {
    std::string realPart, imagPart;
    spectrumParts(path, type, &realPart, &imagPart);
    if (opens(realPart) && opens(imagPart)) info->SetDataFormat(type | DF_COMPLEX);
  }

  if (dims == 1) {
    info->SetSI(points, 1);
    info->SetTD(points, 1);
    info->SetInc((info->GetF1(1) - info->GetF2(1)) / static_cast<float>(points), 1);
  }
  return kOk;
}

// ---- intensities ---------------------------------------------------------------

int NMRReadXWinNMR(const char* path, SPECINFO* info, float* real, float* imag) {
  if (!info || !plat::isWritable(info, sizeof *info) || !usablePath(path)) return cv::kInvalidArgument;
  if (info->GetDimension() == 0) return cv::kInvalidArgument;
  unsigned type = info->GetDataFormat();
  if (type & DF_UNKNOWN) return cv::kIllegalFormat;
  if (type & DF_SPECTRUM) return readSpectrum(path, info, real, imag);
  if (type & DF_FID) return readFid(path, info, real, imag);
  return cv::kIllegalFormat;
}
