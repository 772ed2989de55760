// Viewtrace's spectrum object: one NMR data set in memory, its real and
// optional imaginary intensities, its status flags, its plot colour and the
// parameter record that carries the frequency axis of each dimension.
//
// Point i of dimension 1 lies at F1 - i * (F1 - F2) / SI; point 0 is at the
// high-frequency limit F1.
//
// Storage: each intensity array is one movable, zero-filled memory block of
// the platform layer (the allocator the numerical library shares), locked
// for as long as the array exists and unlocked and freed by the object. The
// object keeps the block of each array beside its pointer.
//
// Results follow the package's convention: 1 done, 0 refused or failed,
// unless a method says otherwise.
#pragma once

#include "datafiles/specinfo.h"
#include "viewtrace_export.h"
#include "winutil/platform/wintypes.h"

struct XmlTagRange;

// Viewtrace's module handle: it selects the library's string table.
VIEWTRACE_API HINSTANCE ViewtraceModule();

// Status bits of a spectrum (GetSpecFlag, SetSpecFlag, GetStatus).
enum : unsigned {
  SPF_PRESENT = 0x1,      // the arrays hold valid data
  SPF_STALE = 0x2,        // the stored minimum and maximum no longer describe the data
  SPF_COMPLEX = 0x4,      // an imaginary array exists
  SPF_FID = 0x8,          // time-domain data; clear for a spectrum
  SPF_SEQUENTIAL = 0x10,  // sequentially acquired FID: transforms take the sequential path
  SPF_HALFSPEC = 0x20,    // keep only the upper half of the spectrum after the transform
};

// The `mode` of RetrieveNMRSpectrum: the file kinds the caller offered when
// the user chose the file (the kind mask of NMRGetInputName; 7 = all). The
// loader reads whatever the file holds and does not depend on it; Viewtrace's
// own callers pass SPR_ALLKINDS.
enum : unsigned { SPR_ALLKINDS = 7 };

class VIEWTRACE_API Spectrum {
 public:
  // An empty object: no dimensions, no arrays, no flags, colour 0.
  Spectrum();
  // Frees the arrays that exist.
  ~Spectrum();
  // Copies would share the arrays.
  Spectrum(const Spectrum&) = delete;
  Spectrum& operator=(const Spectrum&) = delete;

  // ---- layout ---------------------------------------------------------------

  // One dimension of `si` zeroed points (imaginary ones too when `complex`),
  // F1 the larger of f1 and f2, SF = sf unless the record refuses it (sf <= 0
  // keeps the previous SF); SPF_PRESENT is clear afterwards. 0 when the
  // arrays cannot be allocated (no message; the object is then empty).
  int Init(int complex, long si, float sf, float f1, float f2);
  // Two dimensions held in one array of si1 x si2 points; the limits are
  // stored in the given order. 0 when the arrays cannot be allocated or the
  // number of points does not fit a 32-bit count (no message).
  int Init2D(int complex, long si1, float sf1, float f1a, float f2a, long si2, float sf2, float f1b,
             float f2b);

  // ---- size and axis ----------------------------------------------------------

  long GetSI() const;
  long GetSI(int dim) const;  // 0 for a dimension that does not exist
  long GetTotalSI() const;    // the number of points of each array
  // Resizes one-dimensional data to `si` points, keeping the leading values
  // and zero-filling the rest; `complex` adds or removes the imaginary array.
  // 0 done; 59 (no message) when the data are not one-dimensional; 13 after
  // the box "Cannot allocate the requested spectrum!" / "Not enough memory!"
  // when the arrays cannot be had (they are gone then).
  int SetSI(int complex, long si);
  int SetSI(int complex, long si, int dim);  // not supported: 13, nothing changes
  long GetTD() const;
  long GetTD(int dim) const;
  int SetTD(long td);           // TD of dimension 1 = the smaller of td and SI; 1
  int SetTD(long td, int dim);  // not supported: 0, nothing changes
  float GetSF() const;
  float GetSF(int dim) const;
  int SetSF(float sf);
  int SetSF(float sf, int dim);
  float GetF1() const;
  float GetF1(int dim) const;
  float GetF2() const;
  float GetF2(int dim) const;
  // F1 = the larger, F2 = the smaller of a and b (F1 = b when the two do not
  // compare); 1 when the record took both.
  int SetF1F2(float a, float b);
  int SetF1F2(float a, float b, int dim);
  float GetSW() const;
  float GetSW(int dim) const;
  int SetSW(float sw);
  int SetSW(float sw, int dim);
  float GetDW() const;
  float GetDW(int dim) const;
  int SetDW(float dw);
  int SetDW(float dw, int dim);
  float GetInc() const;
  float GetInc(int dim) const;
  int SetInc(float inc);
  int SetInc(float inc, int dim);
  int GetDimension() const;
  int GetNucleus() const;
  int GetNucleus(int dim) const;
  int SetNucleus(int n);
  int SetNucleus(int n, int dim);
  const char* GetFileName() const;
  int SetColor(COLORREF c);
  COLORREF GetColor() const;

  // ---- intensities -------------------------------------------------------------

  // The point, or 0.0 for an index outside 0..SI - 1 of the dimension or a
  // missing array.
  float GetRealInt(long i) const;
  float GetRealInt(long i, int dim) const;
  float GetImagInt(long i) const;
  float GetImagInt(long i, int dim) const;
  // Store or add v at point i of dimension 1: 1, or 0 for an index outside
  // 0..SI - 1 or a missing array. The flags are left alone: a caller that
  // needs fresh extremes sets SPF_STALE itself.
  int SetRealInt(long i, float v);
  int SetImagInt(long i, float v);
  int AddRealInt(long i, float v);
  int AddImagInt(long i, float v);

  // ---- flags and extremes ---------------------------------------------------------

  int GetSpecFlag(long mask) const;  // 1 when any bit of mask is set
  unsigned GetStatus() const;        // the whole flag word
  // Sets (on != 0) or clears one of the bits 1, 2, 4, 8, 16, 32; setting
  // SPF_SEQUENTIAL clears SPF_HALFSPEC and the other way round; any other
  // mask changes nothing. Returns `on`.
  int SetSpecFlag(long mask, int on);
  // The extremes of the real points of dimension 1, refreshed first when
  // SPF_STALE is set.
  float GetMax();
  float GetMin();
  // The fractions of the intensity range above and below zero (0 counts as
  // positive): 1 with *pos and *neg set, or 0 (outputs untouched) when
  // SPF_PRESENT is clear or an output cannot be written.
  int GetMinMaxPer(float* pos, float* neg);

  // ---- whole-array operations -----------------------------------------------------

  int ZeroSpec();  // the SI points of dimension 1 set to 0; SPF_PRESENT cleared; 1
  // Reverses the order of the real points of dimension 1; needs SPF_PRESENT
  // and SI > 0.
  int RevertSpec();
  // The first min(SI, SI of src) real points taken from src (CopyFromBuffer)
  // or added to this object's (Add, which also sets SPF_STALE); 0 when there
  // is no point to take or an array is missing.
  int CopyFromBuffer(Spectrum* src);
  int Add(Spectrum* src);
  // Every point of both arrays (the whole 2D layout) times factor; sets
  // SPF_STALE; 1.
  int ScaleSpec(float factor);

  // ---- loading ------------------------------------------------------------------

  // Loads a data set through Convera: the file `path` (xmlFile and range
  // null), or the spectrum element `range` of the open XML document
  // `xmlFile` (path null). 1 on success with SPF_PRESENT and SPF_STALE set
  // and the stored intensity scale factor applied. An empty or null path
  // returns 0 without a message. A failure clears SPF_PRESENT and is shown
  // once under "Cannot open the specified NMR data file!" with the reason:
  // 4096 + system error (the file does not open), 15 (no format
  // recognises it), 16 (its parameters cannot be read), 58 (neither 1 nor 2
  // dimensions), 258 (no memory for the arrays), 17 (the intensities cannot
  // be read, or the parameters give no points), 256 (a path of 260
  // characters or more; an XML source, which this version does not read),
  // 257 (a path that cannot be read). Convera shows its own message before
  // 16 and 17. `owner` is the parent of Convera's value prompts; `mode`: see
  // SPR_ALLKINDS.
  int RetrieveNMRSpectrum(HWND owner, const char* path, void* xmlFile, XmlTagRange* range,
                          unsigned mode);
  // Reads the data file again when its modification time has changed: 1
  // when it was read again, else 0. An object not read from a file, or whose
  // file has gone (ModTime -1 is then stored), gives 0 without touching the
  // disk again.
  int Update(HWND owner);

 private:
  friend struct SpectrumProbe;  // tests look at the record and the blocks

  // Creates, resizes or releases the arrays for n points; 1, or 0 after a
  // failed allocation (the object is empty then).
  int AllocSpec(int complex, long n);
  // Frees both arrays; count 0, SPF_PRESENT clear, SPF_COMPLEX and SPF_FID kept.
  void Release();
  // Refreshes the stored extremes; 0 when SI <= 0.
  int DetMinMax();
  // Points of dimension `dim` that can be addressed in the arrays.
  long Addressable(int dim) const;

  LONG count;  // points of each array (si1 x si2 for 2D data); 0 without arrays
  unsigned flags;
  float* re;  // count reals, or null
  float* im;  // count imaginaries, or null (always null for real data)
  COLORREF color;
  SPECINFO info;
  HGLOBAL reBlock;  // the locked block behind re (or a block awaiting release)
  HGLOBAL imBlock;
};
