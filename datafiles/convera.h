// Convera: NMR data files. Format detection, the parameter and intensity
// readers of every supported format, the parameter-file scanners they share,
// and the names of data files and their companions.
//
// Reading a data set: NMRCheckFormat, SPECINFO::SetFormat with its result,
// NMRGetParameters, allocation of the buffers from SI (and DF_FID /
// DF_COMPLEX for the imaginary buffer), NMRReadSpectrum. The dispatchers
// report a failure once, in the error box, and return 0; the per-format
// routines return a status (0 success, else the number of a Convera message,
// 256 to 258 for Winkit's common reasons, 4096 + a system error code) and
// report nothing themselves.
#pragma once

#include "convera_export.h"
#include "datafiles/specinfo.h"
#include "winutil/winkit.h"

// Convera's module handle.
CONVERA_API HINSTANCE ConveraModule();

// ---- detection and dispatch ------------------------------------------------

// The fileformat of the file, 0 when no format matches, -1 (after a report)
// when `path` is not a readable string.
CONVERA_API int NMRCheckFormat(const char* path);
// Fills `info` for the format stored in it: 1 done, 0 after a report.
CONVERA_API int NMRGetParameters(HWND owner, const char* path, SPECINFO* info);
// Reads the intensities into the caller's buffers (SI(1) floats each, or
// SI(1) x SI(2) for a 2D FID; `imag` may be null): 1 done, 0 after a report.
CONVERA_API int NMRReadSpectrum(const char* path, SPECINFO* info, float* real, float* imag);
// Writes a data set; `kind` is an output kind of the writers.
CONVERA_API int NMRSaveSpectrum(const char* path, unsigned kind, SPECINFO* info, float* real,
                                float* imag);
// The DataFormat bits of a data file's name (".fid", "1r", "rr", ...).
CONVERA_API unsigned GetExtensionType(const char* path);

// Format tests: 1 when the file is of the format.
CONVERA_API int NMRIsGenericWinNMR(const char* path);
CONVERA_API int NMRIsUnixWinNMR(const char* path);
CONVERA_API int NMRIsXWinNMR(const char* path);
CONVERA_API int NMRIsJCAMP(const char* path);
CONVERA_API int NMRIsASCIIWinNMR(const char* path);
CONVERA_API int NMRIsSpinsight(const char* path);
CONVERA_API int NMRIsSimpson(const char* path);
CONVERA_API int NMRIsQuintar(const char* path);
CONVERA_API int NMRIsVNMR(const char* path);

// ---- per-format readers (statuses) ------------------------------------------

CONVERA_API int NMRGetParGenWinNMR(const char* path, SPECINFO* info);
CONVERA_API int NMRGetParUnixWinNMR(const char* path, SPECINFO* info);
CONVERA_API int NMRGetParASCIIWinNMR(HWND owner, const char* path, SPECINFO* info);
CONVERA_API int NMRGetParXWinNMR(const char* path, SPECINFO* info);
CONVERA_API int NMRGetParJCAMP(const char* path, SPECINFO* info);
CONVERA_API int NMRGetParSpinsight(const char* path, SPECINFO* info);
CONVERA_API int NMRGetParQuintar(const char* path, SPECINFO* info);
CONVERA_API int NMRGetParSimpson(HWND owner, const char* path, SPECINFO* info);
CONVERA_API int NMRGetParVNMR(const char* path, SPECINFO* info);

CONVERA_API int NMRReadWinNMR(const char* path, SPECINFO* info, float* real, float* imag);
CONVERA_API int NMRReadWinNMRASCII(const char* path, SPECINFO* info, float* real, float* imag);
CONVERA_API int NMRReadXWinNMR(const char* path, SPECINFO* info, float* real, float* imag);
CONVERA_API int NMRReadJCAMP(const char* path, SPECINFO* info, float* real, float* imag);
CONVERA_API int NMRReadSpinsight(const char* path, SPECINFO* info, float* real, float* imag);
CONVERA_API int NMRReadSimpson(const char* path, SPECINFO* info, float* real, float* imag);
CONVERA_API int NMRReadVNMR(const char* path, SPECINFO* info, float* real, float* imag);
CONVERA_API int NMRReadQuintar(const char* path, SPECINFO* info, float* real);

// Bruker-style acquisition and processing parameter files (acqus / procs,
// and the ".aqs" / ".fqs" files of Unix-type WinNMR) into one dimension.
// ReadUXFQSParas must follow ReadUXAQSParas for the same record.
CONVERA_API int ReadUXAQSParas(const char* path, NMRDIMENSION* dim);
CONVERA_API int ReadUXFQSParas(const char* path, NMRDIMENSION* dim);

// JCAMP-DX: one XY block from the file's position after its ##XYDATA=
// record into `y`, and one token of an ordinate line.
CONVERA_API unsigned Jcamp_evalXYBlock(HANDLE file, float* y, float firstX, float lastX,
                                       long nPoints, float xFactor, float yFactor,
                                       long firstIndex, char step);
CONVERA_API char* nxval(char* text, double* value, long* count, int compressed);

// ---- parameter-file scanning --------------------------------------------------

// The whole file in a new zero-terminated buffer (the handle is closed in
// every case); null when the file is empty or memory cannot be had. Release
// it with NMRFreeBuffer.
CONVERA_API char* NMRAllocRead(HANDLE file, long* length);
CONVERA_API void NMRFreeBuffer(char* buffer);
// One line of `buf` into `out` without its line feed; the number of
// characters copied, 1 when none.
CONVERA_API long GetLine(char* out, long outSize, const char* buf, long remaining);
// The first line beginning with `key`: a pointer just after the key, or null.
CONVERA_API const char* Search(const char* key, const char* buf, long length);
// key=value lookups by the identifier of the key in Convera's table.
CONVERA_API int ReadParLong(const char* buf, long length, int id, long* out);
CONVERA_API int ReadParDouble(const char* buf, long length, int id, double* out);
// ##$NAME= lookups by the identifier of NAME.
CONVERA_API const char* SearchUnixPar(int id, const char* buf, long length);
CONVERA_API int ReadUXNMRLong(const char* buf, long length, int id, long* out);
CONVERA_API int ReadUXNMRFloat(const char* buf, long length, int id, float* out);
CONVERA_API int ReadUXNMRDouble(const char* buf, long length, int id, double* out);
// Lookups in binary WinNMR parameter files (28-byte records).
CONVERA_API int ReadWinNMRLong(const char* buf, long length, int id, long* out);
CONVERA_API int ReadWinNMRFloat(const char* buf, long length, int id, float* out);
CONVERA_API int ReadWinNMRDouble(const char* buf, long length, int id, double* out);

// ---- file names --------------------------------------------------------------

// `in` with its extension or name replaced by companion type `type` (1 to 33).
CONVERA_API int MakeFileName(char* out, const char* in, unsigned type);

// The record of GetFloat: a dialog that asks for one number.
struct GETFLOAT {
  unsigned title;    // string identifiers in Convera's table
  unsigned prompt;
  unsigned label;
  unsigned unit;
  unsigned error;
  float minimum;
  float maximum;
  int checks;        // range flags of the value fields
  int decimals;
  float* value;
};

// Asks for *record->value: 0 after OK, non-zero after Cancel (or when no
// answer can be had).
CONVERA_API int GetFloat(HWND owner, GETFLOAT* record);
