// Pieces shared by Convera's readers: message and keyword numbers, the
// status report of the dispatchers, paths and the intensity conversion.
#pragma once

#include <cstddef>
#include <string>

#include "datafiles/convera.h"
#include "winutil/platform/platform.h"

namespace cv {

// Statuses and context messages (Convera's message table).
enum Status : int {
  kOk = 0,
  kNoAqsFile = 5,
  kNoSF = 7,
  kNoSW = 8,
  kNoFqsFile = 10,
  kNoOffset = 12,
  kNoDataFile = 13,
  kNoIntensityFile = 14,
  kDiskFull = 17,
  kWrongFormat = 22,
  kNoAqMod = 53,
  kNoTD = 64,
  kNoSI = 65,
  kCtxGetInputName = 93,
  kCtxCheckFormat = 94,
  kCtxGetParameters = 95,
  kCtxParGenWinNMR = 96,
  kCtxParUnixWinNMR = 97,
  kCtxParAsciiWinNMR = 98,
  kCtxParSpinsight = 99,
  kCtxParQuintar = 100,
  kCtxParXWinNMR = 101,
  kCtxParJcamp = 103,
  kIllegalFormat = 104,
  kCtxReadSpectrum = 105,
  kCtxReadGenWinNMR = 106,
  kCtxReadUnixWinNMR = 107,
  kCtxReadSpinsight = 108,
  kCtxReadAsciiWinNMR = 109,
  kCtxReadQuintar = 110,
  kCtxReadXWinNMR = 111,
  kCtxReadJcamp = 113,
  kOpenError = 114,
  kBadSI = 115,
  kBadLimits = 116,
  kBadSF = 117,
  kPrematureEnd = 118,
  kBlankLine = 119,
  kNoChannel = 120,
  kNoProcFile = 121,
  kNoDatatype = 122,
  kNoDomain = 123,
  kNoCurrentSize = 124,
  kNoReference = 125,
  kNaN = 126,
  kBadRealPointer = 132,
  kBadImagPointer = 133,
  kCtxParSimpson = 137,
  kCtxParVNMR = 138,
  kCtxReadSimpson = 139,
  kCtxReadVNMR = 140,
  kInvalidArgument = 256,
  kInvalidPointer = 257,
  kNoMemory = 258,
  kSystemErrorBase = 4096,
};

// Keywords of the parameter scanners.
enum Keyword : int {
  kKeyAqMod = 1000,
  kKeyBytordA = 1001,
  kKeyDecim = 1002,
  kKeyDspfvs = 1003,
  kKeyGrpdly = 1004,
  kKeyNC = 1005,
  kKeyNucleus = 1006,
  kKeySFO1 = 1007,
  kKeySWh = 1008,
  kKeyTD = 1009,
  kKeyBytordP = 1010,
  kKeyNCproc = 1011,
  kKeyOffset = 1012,
  kKeySI = 1013,
  kKeyXDIM = 1014,
  kKeyCh1 = 1020,
  kKeySfChannel = 1021,  // "sf%01ld=", formatted with the channel number
  kKeySw = 1022,
  kKeyDatatype = 1023,
  kKeyDomain1 = 1024,
  kKeyCurrentSize1 = 1025,
  kKeyCurrentSize2 = 1026,
  kKeyRmp1 = 1027,
  kKeyRmv1 = 1028,
  kKeyRmvUnits1 = 1029,
  kKeyUnixFormat = 1030,  // "##$%s="
};

// Texts of the names and dialogs.
enum Text : int {
  kFilterAll = 1,
  kFilter1DSpectra = 203,
  kFilter1D = 306,
  kFilter2D = 307,
  kFilterOutput = 308,
  kTextEnterSF = 1500,
  kTextSFPrompt = 1501,
  kTextSFLabel = 1502,
  kTextSFUnit = 1503,
  kTextSFError = 1504,
  kTextOpenSpectrum = 1505,
  kTextCompanionBase = 1539,  // + MakeFileName type
};

// A text of Convera's table ("" when it has none).
std::string text(int id);

// Shows a failure: `context` (a Convera message) and `status` as its
// reason, from Winkit's table for 256 to 258 and 4096 and above. Returns 0.
int report(int context, int status);

// ---- arguments ------------------------------------------------------------

// A path argument that can be read as a text of at most 259 characters.
bool usablePath(const char* path);
// `v` as a float: false when a float cannot hold it (NaN and infinities
// included).
bool asFloat(double v, float* out);

// ---- paths ----------------------------------------------------------------

// Paths may use "\" or "/"; companions keep the separator of their path.
std::size_t nameStart(const std::string& path);      // index after the last separator
std::string folderOf(const std::string& path);       // with its trailing separator
std::string nameOf(const std::string& path);         // file name with extension
char separatorOf(const std::string& path);           // "\" unless the path uses "/"
// A file in `folder` (which ends in a separator) whose name may differ in
// case from `name` on disk; the path as spelled on disk when it exists.
std::string inFolder(const std::string& folder, const char* name);
bool canOpen(const std::string& path);               // opens for reading
HANDLE openRead(const std::string& path);            // shared reading; INVALID_HANDLE_VALUE

// Asks for the value of a GetFloat record through the platform's
// value-entry service: 0 with the value stored, 1 when no valid answer came.
int askFloat(HWND owner, GETFLOAT* record);
// Asks for the spectrometer frequency ("Enter SF", initially 100 MHz):
// 0 with it in *sf, or 117 after Cancel or an unusable value.
int askSF(HWND owner, float* sf);

// Lines of a text file in order. A line ends after its line feed (a
// carriage return before it is dropped); the end of the file ends the last
// line. A line longer than the caller's area is kept up to the area's size
// and marked as cut; its rest is skipped.
class TextLines {
 public:
  explicit TextLines(HANDLE file) : file_(file) {}
  bool next(char* out, std::size_t size, bool* cut) {
    std::size_t n = 0;
    bool any = false;
    *cut = false;
    for (;;) {
      int c = get();
      if (c < 0) break;
      any = true;
      if (c == '\n') break;
      if (c == '\r' && peek() == '\n') continue;
      if (n + 1 < size) {
        out[n++] = static_cast<char>(c);
      } else {
        *cut = true;
      }
    }
    out[n] = 0;
    return any;
  }

 private:
  int get() {
    int c = peek();
    if (c >= 0) ++pos_;
    return c;
  }
  int peek() {
    if (pos_ == have_) {
      if (done_) return -1;
      pos_ = have_ = 0;
      if (!plat::readFile(file_, buf_, sizeof buf_, &have_) || have_ == 0) {
        done_ = true;
        have_ = 0;
        return -1;
      }
    }
    return static_cast<unsigned char>(buf_[pos_]);
  }

  HANDLE file_;
  char buf_[4096];
  DWORD have_ = 0;
  DWORD pos_ = 0;
  bool done_ = false;
};

// ---- intensities ------------------------------------------------------------

// The conversion after the raw 32-bit words of a file are in the buffers:
// floats as they are when AQ_FLOATDATA is set, else byte order (by
// AQ_BIGENDIAN_ACQ for an FID, AQ_BIGENDIAN_PROC for a spectrum), integer
// to float and the NaN check (126) over the first SI(1) values; then
// ModTime. `count` values per buffer; null buffers are skipped.
int convertWords(SPECINFO* info, float* real, float* imag, long count, const char* path);

// Byte-order reversal of `count` 32-bit words.
void swapWords(void* words, long count);

}  // namespace cv
