// Loading a spectrum object through Convera, and reloading it when its data
// file has changed.
//
// Order of work: classify the file, read its parameters into a temporary
// record, size the arrays from them, read the intensities, take over the
// record's parameters, apply the stored intensity scale factor and set the
// flags from the kind of data. Every failure is shown once, under
// "Cannot open the specified NMR data file!".
//
// Decisions of this implementation:
// - A path that cannot be read gives the reason 257 ("Invalid data
//   pointer!"), a path without a terminator within 260 characters the reason
//   256 ("Call with invalid argument!"): such a path cannot name a file that
//   the record could keep.
// - An XML source is refused with the reason 256: reading a spectrum element
//   comes with the XML exchange.
// - Parameters that give no points at all (an empty data file, a dimension of
//   size 0) fail with 17 ("Error reading data!") instead of being read into
//   no arrays and reported as a loaded spectrum.
// - The sequential and half-spectrum flags are cleared before the kind of
//   the new data sets them: left over from an earlier data set they would
//   send the next transform of a quadrature FID, or the inverse transform
//   of a spectrum, down the wrong path.
// - Update treats only ModTime 0 (never read from a file) and -1 (file gone)
//   as "nothing to watch". The stored time is the low 32 bits of the file
//   time, which is negative for about half of all files; those must still be
//   reloaded when they change.

#include <cstring>

#include "datafiles/convera.h"
#include "spectrum/spectrum.h"
#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

// Viewtrace's message table.
constexpr int kTextCannotOpenDataFile = 14;
constexpr int kTextUnrecognizedFormat = 15;
constexpr int kTextNoParameter = 16;
constexpr int kTextErrorReadingData = 17;
constexpr int kTextCannotDealWithDimension = 58;
// Winkit's table.
constexpr int kTextInvalidArgument = 256;
constexpr int kTextInvalidPointer = 257;
constexpr int kTextNoMemory = 258;
constexpr int kTextSystemErrorBase = 4096;

// Flag words of CVErrMess: both texts from this library's table, or the
// context from it and the reason from Winkit's.
constexpr UINT kOwnReason = CVE_CALLER_CONTEXT | CVE_CALLER_REASON;
constexpr UINT kWinkitReason = CVE_WINKIT | CVE_CALLER_CONTEXT;

// Why a retrieve failed: the reason shown and the flag word it goes with.
struct Failure {
  int reason = 0;
  UINT flags = 0;
  explicit operator bool() const { return reason != 0; }
};

Failure own(int reason) { return {reason, kOwnReason}; }
Failure winkit(int reason) { return {reason, kWinkitReason}; }

// The path can be used as the name of a data file: 0, or why not.
Failure checkPath(const char* path) {
  if (!plat::isReadable(path, 1)) return winkit(kTextInvalidPointer);
  for (int i = 0; i < MAX_PATH; ++i)
    if (path[i] == 0) return {};
  return winkit(kTextInvalidArgument);
}

// Steps that only look at the file: it opens, a format recognises it and
// its parameters can be read into `temp`.
Failure readParameters(HWND owner, const char* path, SPECINFO* temp) {
  if (Failure f = checkPath(path)) return f;
  {
    // Opened without sharing and closed at once: the file is there and no
    // other program holds it.
    plat::File probe(plat::openFile(path, plat::Access::Read, plat::Share::Exclusive,
                                    plat::Disposition::OpenExisting));
    if (!probe.ok()) return winkit(kTextSystemErrorBase + static_cast<int>(plat::lastError()));
  }
  int format = NMRCheckFormat(path);
  if (format <= 0) return own(kTextUnrecognizedFormat);
  temp->SetFormat(static_cast<fileformat>(format));
  if (!NMRGetParameters(owner, path, temp)) return own(kTextNoParameter);
  return {};
}

}  // namespace

int Spectrum::RetrieveNMRSpectrum(HWND owner, const char* path, void* xmlFile, XmlTagRange* range,
                                  unsigned /*mode*/) {
  SPECINFO temp;
  Failure failed;
  if (!path && xmlFile && range) {
    failed = winkit(kTextInvalidArgument);
  } else {
    if (!path) return 0;
    if (plat::isReadable(path, 1) && path[0] == 0) return 0;
    failed = readParameters(owner, path, &temp);
  }

  const unsigned dims = temp.GetDimension();
  const unsigned dataFormat = temp.GetDataFormat();
  const bool fid = (dataFormat & DF_FID) != 0;
  const bool cplx = (dataFormat & DF_COMPLEX) != 0;
  const int complex = fid || cplx ? 1 : 0;

  if (!failed) {
    int sized = 0;
    if (dims == 1) {
      sized = Init(complex, temp.GetSI(1), temp.GetSF(1), temp.GetF1(1), temp.GetF2(1));
    } else if (dims == 2) {
      sized = Init2D(complex, temp.GetSI(1), temp.GetSF(1), temp.GetF1(1), temp.GetF2(1),
                     temp.GetSI(2), temp.GetSF(2), temp.GetF1(2), temp.GetF2(2));
    } else {
      failed = own(kTextCannotDealWithDimension);
    }
    if (!failed && !sized) failed = winkit(kTextNoMemory);
  }
  if (!failed && (count <= 0 || !re || (complex && !im))) failed = own(kTextErrorReadingData);
  if (!failed && !NMRReadSpectrum(path, &temp, re, complex ? im : nullptr))
    failed = own(kTextErrorReadingData);

  if (failed) {
    flags &= ~SPF_PRESENT;
    CVErrMess(ThisModule(), CVTEXT(kTextCannotOpenDataFile), CVTEXT(failed.reason), failed.flags);
    return 0;
  }

  info.SetFormat(temp.GetFormat());
  info.SetDataFormat(dataFormat);
  info.SetModTime(temp.GetModTime());
  info.SetFileName(temp.GetFileName());

  // The stored intensity scale factor: of the acquisition for an FID, of the
  // processing for a spectrum.
  float nc = temp.GetNC(fid ? 1 : 2);
  if (nc != 1.0f) ScaleSpec(nc);

  for (unsigned i = 1; i <= dims; ++i) {
    info.SetAQMode(temp.GetAQMode(i), i);
    info.SetTD(temp.GetTD(i), i);
    info.SetF1F2(temp.GetF1(i), temp.GetF2(i), i);  // as read, not sorted
    info.SetNucleus(temp.GetNucleus(i), i);
    info.SetXDIM(temp.GetXDIM(i), i);
    info.SetDigFirmware(temp.GetDigFirmware(i), i);
    info.SetDigFilter(temp.GetDigFilter(i), i);
    info.SetDigMode(temp.GetDigMode(i), i);
    info.SetDigType(temp.GetDigType(i), i);
    info.SetDigDecim(temp.GetDigDecim(i), i);
  }

  // The acquisition flags describe the data set just read, never an earlier one.
  flags &= ~(SPF_FID | SPF_SEQUENTIAL | SPF_HALFSPEC);
  if (fid) {
    flags |= SPF_FID;
    switch (temp.GetAQMode(1) & AQ_MODEMASK) {
      case 0:  // single channel: only the upper half of the spectrum is kept
        flags |= SPF_HALFSPEC;
        break;
      case 2:  // sequential
        flags |= SPF_SEQUENTIAL;
        break;
      default:  // simultaneous, digital quadrature
        break;
    }
  }
  flags |= SPF_PRESENT | SPF_STALE;
  return 1;
}

int Spectrum::Update(HWND owner) {
  long stored = info.GetModTime();
  if (stored == 0 || stored == -1) return 0;
  char path[MAX_PATH];
  plat::copyText(path, sizeof path, info.GetFileName());
  long now = GetTimeLastModified(path);
  if (now == -1) info.SetModTime(-1);
  if (now == info.GetModTime()) return 0;
  info.SetModTime(now);
  return RetrieveNMRSpectrum(owner, path, nullptr, nullptr, SPR_ALLKINDS) ? 1 : 0;
}
