// Dialog value fields in the native build. It has no dialogs, so no handle
// is a window: every call reports "Not a valid window handle!" as the
// Windows build does for a handle that is not one.

#include "winutil/platform/module_entry.h"
#include "winutil/winkit.h"
#include "winutil/winkit_ids.h"

namespace {

int notAWindow() {
  return CVErrMess(ThisModule(), CVTEXT(kTextInvalidArgument), CVTEXT(kTextNotAWindow), CVE_WINKIT);
}

}  // namespace

double CVGetDlgDouble(HWND, int, LPCSTR, double, double, UINT) { return notAWindow(); }
float CVGetDlgFloat(HWND, int, LPCSTR, float, float, UINT) { return static_cast<float>(notAWindow()); }
long CVGetDlgLong(HWND, int, LPCSTR, long, long, UINT) { return notAWindow(); }
int CVSetDlgDouble(HWND, int, double, int) { return notAWindow(); }
int CVSetDlgFloat(HWND, int, float, int) { return notAWindow(); }
int CVSetDlgLong(HWND, int, long) { return notAWindow(); }

int CVUpdateDlgDouble(HWND, int, UINT, double*, UINT, double, double, UINT, int) {
  return notAWindow();
}

int CVUpdateDlgFloat(HWND, int, UINT, float*, UINT, float, float, UINT, int) {
  return notAWindow();
}

int CVUpdateDlgLong(HWND, int, UINT, long*, UINT, long, long, UINT) { return notAWindow(); }

BOOL CVCenterDialog(HWND) { return FALSE; }
