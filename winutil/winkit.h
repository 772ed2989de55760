// Winkit: the package's Windows utility library. The error box of all
// modules, numeric helpers, files and file dialogs, settings files with
// defaults carried as resources, and checked numeric dialog fields.
#pragma once

#include <cstdint>

#include "winutil/platform/wintypes.h"
#include "winkit_export.h"

// The help and settings record passed to dialogs and file functions: the
// owner window, then a path (settings file, manual or help file; empty for
// none).
struct QVHELPINFO {
  HWND owner;
  char path[260];
};

// A text reference of the error box: a string number, as a pointer-sized value.
#define CVTEXT(n) (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(n))))

// ---- error box -------------------------------------------------------------

// Flag bits of CVErrMess.
enum : UINT {
  CVE_WINKIT = 1,          // numbered texts from Winkit's table
  CVE_CALLER_CONTEXT = 2,  // with CVE_WINKIT: the context from the caller's table
  CVE_CALLER_REASON = 4,   // with CVE_WINKIT: the reason from the caller's table
};

// Shows the modal error box "Error: %d - Code: %d", context, reason, captioned
// with the file name of `module` (the program's for null). Each text is a
// string number (CVTEXT) or the address of a text; the flags select the
// string table. Always returns 0; shows nothing when no memory is left.
WINKIT_API int CVErrMess(HINSTANCE module, LPCSTR context, LPCSTR reason, UINT flags);

// Winkit's own module handle.
WINKIT_API HINSTANCE CVWinkitModule();

// ---- numeric helpers ---------------------------------------------------------

WINKIT_API int CVIsNAN(double x);
WINKIT_API int CVIsINF(double x);
WINKIT_API int CVMakeFloatNAN(float* x);
WINKIT_API int CVIsPow2(unsigned n);
WINKIT_API int CVNextPow2(unsigned n);
WINKIT_API double CVmax(double a, double b);
WINKIT_API double CVmax(double a, double b, double c);
WINKIT_API double CVmin(double a, double b);
WINKIT_API double CVmin(double a, double b, double c);
WINKIT_API double CVmid(double a, double b, double c);
WINKIT_API int CVsignum(double x);

// ---- files and file dialogs ---------------------------------------------------

// Companion-file kinds of CVGetFileName.
enum : UINT {
  CVF_MODULE = 1,    // full path of the module file
  CVF_FOLDER = 2,    // folder of the module, ending in a separator
  CVF_SETTINGS = 3,  // name.ini, beside the module or in the Windows folder
  CVF_HELP = 4,      // name.hlp
  CVF_MANUAL = 5,    // name.pdf
  CVF_DTD = 6,       // quintar.dtd beside the module
  CVF_XSL = 7,       // quintar.xsl
  CVF_CSS = 8,       // quintar.css
};

// Fills `path` (260 bytes) with a companion file of `module`. Returns a system
// error code: 0 done, 2 not found (kinds 3 to 5: the path beside the module is
// left in `path`), 8 no memory, 13 unknown kind.
WINKIT_API int CVGetFileName(HINSTANCE module, char* path, UINT kind);

// Run the common Open / Save As dialog on the caller's record. TRUE when a
// file was chosen; a dialog failure is shown (21 / 22 with the dialog's error
// text) and gives FALSE, a cancel gives FALSE silently.
WINKIT_API BOOL CVFileOpenDlg(HWND owner, OPENFILENAMEA* dialog, char* file, char* fileTitle);
WINKIT_API BOOL CVFileSaveDlg(HWND owner, OPENFILENAMEA* dialog, char* file, char* fileTitle);

// One complete file dialog from string resources of the owner's module: the
// filter `filterId` (its last character separates the entries) and the title
// `titleId`. Bit 0 of `flags` selects Save As.
WINKIT_API BOOL GetUserFileName(HWND owner, char* file, UINT flags, UINT filterId, UINT titleId);

// Copies `source` (or joins "first+second") into `destination`. Returns 0 or
// the number of the Winkit text that says why not (13, 14, 16, 18, 19, 257,
// 258), after showing it under "Could not copy file!".
WINKIT_API int CVCopyFile(char* source, const char* destination, UINT flags);

// The low 32 bits of the size of an open file.
WINKIT_API DWORD CVFileLength(HANDLE file);

// Reads the next line (with its line end) from the file's position into
// `line` (at most size - 1 bytes); null at the end of the file.
WINKIT_API char* CVlgets(char* line, int size, HANDLE file);

// Converts a path in place into a path of upper-case 8.3 names; 0 when
// nothing usable is left.
WINKIT_API int CVMakeValidDosName(char* path);

// ---- settings files -------------------------------------------------------

WINKIT_API int CVGetIniDatum(HINSTANCE module, UINT datumId, int index, const char* section,
                             float* value, QVHELPINFO* settings, BOOL writeBack);
WINKIT_API BOOL CVGetDefResourceString(HINSTANCE module, UINT datumId, char* name);
WINKIT_API BOOL CVWriteIniDefString(HINSTANCE module, UINT datumId, int index, double value,
                                    int decimals, const char* section, const char* iniFile);
WINKIT_API float CVGetIniFloat(const char* section, const char* key, float defaultValue,
                               const char* iniFile);
WINKIT_API COLORREF CVGetIniRGB(const char* section, const char* key, COLORREF defaultColour,
                                const char* iniFile);
WINKIT_API BOOL CVWriteIniRGB(const char* section, const char* key, COLORREF colour,
                              const char* iniFile);
WINKIT_API BOOL CVWritePrivateInt(const char* iniFile, const char* section, const char* key,
                                  long value);
WINKIT_API BOOL CVWritePrivateDouble(const char* iniFile, const char* section, const char* key,
                                     double value);

// ---- dialog value fields ----------------------------------------------------

// Range flags of the Get and Update functions.
enum : UINT {
  CV_ABOVE_LO = 1,     // v > lo
  CV_AT_LEAST_LO = 2,  // v >= lo (wins over CV_ABOVE_LO)
  CV_AT_MOST_HI = 4,   // v <= hi
  CV_BELOW_HI = 8,     // v < hi (CV_AT_MOST_HI wins)
};

// The record a re-entry prompt works on.
struct StringPack {
  const char* prompt;
  int promptSize;
  char* buffer;
  int bufferSize;
};

WINKIT_API double CVGetDlgDouble(HWND dialog, int control, LPCSTR prompt, double lo, double hi,
                                 UINT flags);
WINKIT_API float CVGetDlgFloat(HWND dialog, int control, LPCSTR prompt, float lo, float hi,
                               UINT flags);
WINKIT_API long CVGetDlgLong(HWND dialog, int control, LPCSTR prompt, long lo, long hi,
                             UINT flags);
WINKIT_API int CVSetDlgDouble(HWND dialog, int control, double value, int decimals);
WINKIT_API int CVSetDlgFloat(HWND dialog, int control, float value, int decimals);
WINKIT_API int CVSetDlgLong(HWND dialog, int control, long value);
WINKIT_API int CVUpdateDlgDouble(HWND dialog, int control, UINT notification, double* value,
                                 UINT promptId, double lo, double hi, UINT flags, int decimals);
WINKIT_API int CVUpdateDlgFloat(HWND dialog, int control, UINT notification, float* value,
                                UINT promptId, float lo, float hi, UINT flags, int decimals);
WINKIT_API int CVUpdateDlgLong(HWND dialog, int control, UINT notification, long* value,
                               UINT promptId, long lo, long hi, UINT flags);

// Fixed-point text of `value` with `decimals` digits into `text` (80 bytes);
// null when `text` is not writable or the text does not fit.
WINKIT_API char* CVFloatToString(double value, char* text, int decimals);

// Asks again for a refused value (the "WARNING !!" dialog) until the user
// confirms one; `request->lParam` points to the StringPack.
WINKIT_API int CVParamError(MSG* request);

// Centres a window on the primary screen.
WINKIT_API BOOL CVCenterDialog(HWND window);

// ---- range checks shared by the field functions ---------------------------

// Whether `v` passes the range flags; a comparison with NaN fails.
WINKIT_API bool CVInRange(double v, double lo, double hi, UINT flags);
WINKIT_API bool CVInRangeLong(long v, long lo, long hi, UINT flags);
// The value of a field's text: strtod, an empty text 0.
WINKIT_API double CVParseDouble(const char* text);
// The value of a long field's text: atol, times 1024 after a final K or k.
WINKIT_API long CVParseLong(char* text);
