// Dialog value fields on Windows: edit controls read, checked, asked again
// and written back in canonical form.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"
#include "winutil/winkit_ids.h"

namespace {

enum class Kind { Double, Float, Long };

bool checkWindow(HWND dialog) {
  if (IsWindow(dialog)) return true;
  CVErrMess(ThisModule(), CVTEXT(kTextInvalidArgument), CVTEXT(kTextNotAWindow), CVE_WINKIT);
  return false;
}

// Reads a field until its value passes the range flags. The refused value is
// written into the buffer and the re-entry prompt asked; should the prompt
// itself fail, the loop ends with 0 rather than asking forever.
template <class T>
T readField(HWND dialog, int control, LPCSTR prompt, T lo, T hi, UINT flags, Kind kind) {
  if (!checkWindow(dialog)) return 0;
  plat::WorkArea work(kValueSize);
  if (!work) {
    CVErrMess(ThisModule(), CVTEXT(kTextNoValue), CVTEXT(kTextNoMemory), CVE_WINKIT);
    return 0;
  }
  HWND edit = GetDlgItem(dialog, control);
  if (!edit) return 0;
  char* text = work.get();
  GetWindowTextA(edit, text, kValueSize);
  for (;;) {
    T value;
    bool ok;
    if (kind == Kind::Long) {
      long v = CVParseLong(text);
      value = static_cast<T>(v);
      ok = CVInRangeLong(v, static_cast<long>(lo), static_cast<long>(hi), flags);
    } else {
      double v = CVParseDouble(text);
      if (kind == Kind::Float) v = static_cast<float>(v);
      value = static_cast<T>(v);
      ok = CVInRange(v, static_cast<double>(lo), static_cast<double>(hi), flags);
    }
    if (ok) return value;
    if (kind == Kind::Long) {
      std::snprintf(text, kValueSize, "%ld", static_cast<long>(value));
    } else if (!CVFloatToString(static_cast<double>(value), text, kind == Kind::Double ? 10 : 8)) {
      text[0] = 0;
    }
    StringPack pack{prompt, kPromptSize, text, kValueSize};
    MSG request = {};
    request.hwnd = dialog;
    request.lParam = reinterpret_cast<LPARAM>(&pack);
    if (CVParamError(&request) != 0) return 0;
  }
}

int writeField(HWND dialog, int control, const char* text) {
  HWND edit = GetDlgItem(dialog, control);
  SetWindowTextA(edit, text);
  SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
  return 1;
}

template <class T>
int setField(HWND dialog, int control, T value, int decimals, Kind kind) {
  if (!checkWindow(dialog)) return 0;
  if (!GetDlgItem(dialog, control)) return 0;
  plat::WorkArea work(kValueSize);
  if (!work) {
    CVErrMess(ThisModule(), CVTEXT(kTextNoValue), CVTEXT(kTextNoMemory), CVE_WINKIT);
    return 0;
  }
  if (kind == Kind::Long) {
    std::snprintf(work.get(), kValueSize, "%ld", static_cast<long>(value));
  } else if (!CVFloatToString(static_cast<double>(value), work.get(), decimals)) {
    return 1;
  }
  return writeField(dialog, control, work.get());
}

// Whether an Update call has a field to read: the lost-focus notification of
// an existing control whose text the user changed. The flag is cleared at
// once: the re-entry prompt takes the focus, and the field's own lost-focus
// notification must not open a second prompt from inside the first.
bool fieldChanged(HWND dialog, int control, UINT notification) {
  HWND edit = GetDlgItem(dialog, control);
  if (!edit || notification != EN_KILLFOCUS || !SendMessageA(edit, EM_GETMODIFY, 0, 0)) return false;
  SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
  return true;
}

// The prompt text of an Update call, from the string table of the module
// that owns the dialog; empty when there is none.
class UpdatePrompt {
 public:
  UpdatePrompt(HWND dialog, UINT id) : work_(id ? kPromptSize : 0) {
    if (id && work_) {
      auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
      if (LoadStringA(module, id, work_.get(), kPromptSize) > 0) text_ = work_.get();
    }
  }
  LPCSTR text() const { return text_; }

 private:
  plat::WorkArea work_;
  LPCSTR text_ = nullptr;
};

}  // namespace

double CVGetDlgDouble(HWND dialog, int control, LPCSTR prompt, double lo, double hi, UINT flags) {
  return readField<double>(dialog, control, prompt, lo, hi, flags, Kind::Double);
}

float CVGetDlgFloat(HWND dialog, int control, LPCSTR prompt, float lo, float hi, UINT flags) {
  return readField<float>(dialog, control, prompt, lo, hi, flags, Kind::Float);
}

long CVGetDlgLong(HWND dialog, int control, LPCSTR prompt, long lo, long hi, UINT flags) {
  return readField<long>(dialog, control, prompt, lo, hi, flags, Kind::Long);
}

int CVSetDlgDouble(HWND dialog, int control, double value, int decimals) {
  return setField(dialog, control, value, decimals, Kind::Double);
}

int CVSetDlgFloat(HWND dialog, int control, float value, int decimals) {
  return setField(dialog, control, value, decimals, Kind::Float);
}

int CVSetDlgLong(HWND dialog, int control, long value) {
  return setField(dialog, control, value, 0, Kind::Long);
}

int CVUpdateDlgDouble(HWND dialog, int control, UINT notification, double* value, UINT promptId,
                      double lo, double hi, UINT flags, int decimals) {
  if (!checkWindow(dialog)) return 0;
  if (!fieldChanged(dialog, control, notification)) return 0;
  UpdatePrompt prompt(dialog, promptId);
  double v = CVGetDlgDouble(dialog, control, prompt.text(), lo, hi, flags);
  if (value) *value = v;
  CVSetDlgDouble(dialog, control, v, decimals);
  return 1;
}

int CVUpdateDlgFloat(HWND dialog, int control, UINT notification, float* value, UINT promptId,
                     float lo, float hi, UINT flags, int decimals) {
  if (!checkWindow(dialog)) return 0;
  if (!fieldChanged(dialog, control, notification)) return 0;
  UpdatePrompt prompt(dialog, promptId);
  float v = CVGetDlgFloat(dialog, control, prompt.text(), lo, hi, flags);
  if (value) *value = v;
  CVSetDlgFloat(dialog, control, v, decimals);
  return 1;
}

int CVUpdateDlgLong(HWND dialog, int control, UINT notification, long* value, UINT promptId,
                    long lo, long hi, UINT flags) {
  if (!checkWindow(dialog)) return 0;
  if (!fieldChanged(dialog, control, notification)) return 0;
  UpdatePrompt prompt(dialog, promptId);
  long v = CVGetDlgLong(dialog, control, prompt.text(), lo, hi, flags);
  if (value) *value = v;
  CVSetDlgLong(dialog, control, v);
  return 1;
}

BOOL CVCenterDialog(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return FALSE;
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  return MoveWindow(window, x, y, w, h, TRUE);
}
