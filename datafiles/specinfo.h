// The parameter record of one NMR data set and of each of its dimensions.
// Every reader fills a SPECINFO, every writer reads one, and the spectrum
// object keeps one beside its intensity arrays. The record never holds
// intensities: callers supply those buffers.
#pragma once

#include "convera_export.h"
#include "winutil/platform/wintypes.h"

// The format a data set was read from.
enum fileformat : int {
  FF_UNKNOWN = 0,
  FF_GENERICWINNMR = 1,  // WinNMR with binary parameter files
  FF_UNIXWINNMR = 2,     // WinNMR with text parameter files
  FF_QUINTAR = 3,        // the package's own ".dat" text format
  FF_ASCIIWINNMR = 4,    // WinNMR ASCII export
  FF_SPINSIGHT = 5,      // Spinsight directory
  FF_XWINNMR = 6,        // XWinNMR / TopSpin directory
  FF_JCAMP = 7,          // JCAMP-DX
  FF_SIMPSON = 8,        // SIMPSON text
  FF_VNMR = 9,           // Varian VNMR (never detected)
  FF_XML = 10,           // spectrum element of an XML document
};

// DataFormat bits.
enum : unsigned {
  DF_FID = 0x1,
  DF_SPECTRUM = 0x2,
  DF_1D = 0x4,
  DF_2D = 0x8,
  DF_COMPLEX = 0x10,
  DF_1R = 0x20,
  DF_1I = 0x40,
  DF_RR = 0x80,
  DF_RI = 0x100,
  DF_IR = 0x200,
  DF_II = 0x400,
  DF_UNKNOWN = 0x8000,
};

// AQMode bits; bits 0-1 are the acquisition mode (0 single channel,
// 1 simultaneous, 2 sequential, 3 digital quadrature).
enum : unsigned {
  AQ_MODEMASK = 0x3,
  AQ_FLOATDATA = 0x40,  // intensities on disk are IEEE floats, not 32-bit integers
  AQ_FLOATDATA2 = 0x80,  // set together with AQ_FLOATDATA by some writers; never tested
  AQ_BIGENDIAN_PROC = 0x4000,
  AQ_BIGENDIAN_ACQ = 0x8000,
};

// The parameters of one dimension. Setters return 1 when done and 0 when
// refused (the stored value is then unchanged unless said otherwise). F1,
// F2, Inc, DW and SI are kept consistent: Inc = (F1 - F2) / SI and
// DW = 1 / (F1 - F2).
class CONVERA_API NMRDIMENSION {
 public:
  NMRDIMENSION();

  long GetSI() const { return SI; }
  int SetSI(long si);
  long GetTD() const { return TD; }
  int SetTD(long td);
  float GetSF() const { return SF; }
  int SetSF(float sf);
  float GetF1() const { return F1; }
  int SetF1(float f1);  // keeps F2
  float GetF2() const { return F2; }
  int SetF2(float f2);  // keeps F1
  int SetF1F2(float f1, float f2);
  float GetInc() const { return Inc; }
  int SetInc(float inc);  // keeps the centre of the axis
  float GetDW() const { return DW; }
  int SetDW(float dw);  // keeps the centre of the axis
  float GetSW() const { return F1 - F2; }
  int SetSW(float sw);
  int GetNucleus() const { return Nucleus; }
  int SetNucleus(int n);  // 0 to GetNoNuclei(); also stores the label
  const char* GetNucleusLabel() const { return NucleusLabel; }
  long GetXDIM() const { return XDIM; }
  int SetXDIM(long xdim);
  unsigned GetAQMode() const { return AQMode; }
  int SetAQMode(unsigned m) { AQMode = m; return 1; }
  unsigned GetDigFirmware() const { return DigFirmware; }
  int SetDigFirmware(unsigned f) { DigFirmware = f; return 1; }
  unsigned GetDigMode() const { return DigMode; }
  int SetDigMode(unsigned m) { DigMode = m; return 1; }
  unsigned GetDigType() const { return DigType; }
  int SetDigType(unsigned t) { DigType = t; return 1; }
  unsigned GetDigDecim() const { return DigDecim; }
  int SetDigDecim(unsigned d) { DigDecim = d; return 1; }
  float GetDigFilter() const { return DigFilter; }
  int SetDigFilter(float points) { DigFilter = points; return 1; }
  // The group delay of the digital filter from its table, by DigDecim and
  // DigFirmware: 0 when DigDecim < 2, 258 when the table cannot be had, else 1.
  int SetDigFilter();
  // Odd k: the scale factor of acquired data; even k: of processed data.
  float GetNC(unsigned k) const { return (k & 1) ? NCFid : NCSpec; }
  int SetNC(unsigned k, float nc);

 private:
  unsigned DigMode;
  unsigned DigType;
  unsigned DigDecim;
  unsigned DigFirmware;
  unsigned AQMode;
  int Nucleus;
  int SI;
  int TD;
  int XDIM;
  float NCFid;
  float NCSpec;
  float SF;
  float F1;
  float F2;
  float Inc;
  float DW;
  float DigFilter;
  char NucleusLabel[8];
};

// The parameter record of a data set; it owns its dimension records
// (addressed 1 to Dimension). Indexed accessors refuse (0, 0.0 or null) an
// index outside 1..Dimension.
class CONVERA_API SPECINFO {
 public:
  SPECINFO();
  ~SPECINFO();
  SPECINFO(const SPECINFO& other);
  SPECINFO& operator=(const SPECINFO& other);

  fileformat GetFormat() const { return Format; }
  int SetFormat(fileformat f) { Format = f; return 1; }
  unsigned GetDimension() const { return Dimension; }
  // A new count discards every per-dimension parameter; the same count keeps
  // them. 0 when the records cannot be allocated (none are left then).
  int SetDimension(unsigned n);
  NMRDIMENSION* GetDimensionAddress(unsigned i);
  unsigned GetDataFormat() const { return DataFormat; }
  int SetDataFormat(unsigned f) { DataFormat = f; return 1; }
  long GetModTime() const { return ModTime; }
  int SetModTime(long t) { ModTime = static_cast<int>(t); return 1; }
  float GetMax() const { return Max; }
  int SetMax(float m) { Max = m; return 1; }
  float GetMin() const { return Min; }
  int SetMin(float m) { Min = m; return 1; }
  const char* GetFileName() const { return FileName; }
  // Paths of 260 characters or more are refused: FileName stays unchanged
  // rather than holding a cut path that names another file.
  void SetFileName(const char* path);

  long GetSI(unsigned i) const;
  int SetSI(long si, unsigned i);
  long GetTD(unsigned i) const;
  int SetTD(long td, unsigned i);
  float GetSF(unsigned i) const;
  int SetSF(float sf, unsigned i);
  float GetF1(unsigned i) const;
  int SetF1(float f1, unsigned i);
  float GetF2(unsigned i) const;
  int SetF2(float f2, unsigned i);
  int SetF1F2(float f1, float f2, unsigned i);
  float GetInc(unsigned i) const;
  int SetInc(float inc, unsigned i);
  float GetDW(unsigned i) const;
  int SetDW(float dw, unsigned i);
  float GetSW(unsigned i) const;
  int SetSW(float sw, unsigned i);
  int GetNucleus(unsigned i) const;
  int SetNucleus(int n, unsigned i);
  const char* GetNucleusLabel(unsigned i) const;
  long GetXDIM(unsigned i) const;
  int SetXDIM(long xdim, unsigned i);
  unsigned GetAQMode(unsigned i) const;
  int SetAQMode(unsigned m, unsigned i);
  unsigned GetDigFirmware(unsigned i) const;
  int SetDigFirmware(unsigned f, unsigned i);
  unsigned GetDigMode(unsigned i) const;
  int SetDigMode(unsigned m, unsigned i);
  unsigned GetDigType(unsigned i) const;
  int SetDigType(unsigned t, unsigned i);
  unsigned GetDigDecim(unsigned i) const;
  int SetDigDecim(unsigned d, unsigned i);
  float GetDigFilter(unsigned i) const;
  int SetDigFilter(float points, unsigned i);
  int SetDigFilter(unsigned i);
  // Dimension 1; 0 when there are no dimensions.
  float GetNC(unsigned k) const;
  int SetNC(unsigned k, float nc);

 private:
  const NMRDIMENSION* dim(unsigned i) const;
  NMRDIMENSION* dim(unsigned i);

  fileformat Format;
  unsigned Dimension;
  unsigned DataFormat;
  int ModTime;
  NMRDIMENSION* dimensions;
  float Max;
  float Min;
  char FileName[260];
};

// The low 32 bits of the file's last-write time, -1 when its attributes
// cannot be read.
CONVERA_API long GetTimeLastModified(const char* path);
