#include "support/test_dialog_win32.h"

#include "winutil/winkit.h"

namespace qtest {
namespace {

INT_PTR CALLBACK fieldProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* r = reinterpret_cast<FieldRecord*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      r = reinterpret_cast<FieldRecord*>(lp);
      CVSetDlgDouble(dlg, kDoubleField, r->d, 2);
      CVSetDlgFloat(dlg, kFloatField, r->f, 4);
      CVSetDlgLong(dlg, kLongField, r->l);
      return TRUE;
    case WM_COMMAND: {
      UINT code = HIWORD(wp);
      switch (LOWORD(wp)) {
        case kDoubleField:
          r->updates += CVUpdateDlgDouble(dlg, kDoubleField, code, &r->d, kFieldPrompt, r->lo,
                                          r->hi, r->flags, 2);
          return TRUE;
        case kFloatField:
          r->updates += CVUpdateDlgFloat(dlg, kFloatField, code, &r->f, kFieldPrompt,
                                         static_cast<float>(r->lo), static_cast<float>(r->hi),
                                         r->flags, 4);
          return TRUE;
        case kLongField:
          r->updates += CVUpdateDlgLong(dlg, kLongField, code, &r->l, kFieldPrompt,
                                        static_cast<long>(r->lo), static_cast<long>(r->hi), r->flags);
          return TRUE;
        case IDOK:
        case IDCANCEL:
          EndDialog(dlg, LOWORD(wp) == IDOK ? 1 : 2);
          return TRUE;
      }
      return FALSE;
    }
  }
  return FALSE;
}

}  // namespace

INT_PTR runFieldDialog(FieldRecord& record) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kTestDialog), nullptr,
                         fieldProc, reinterpret_cast<LPARAM>(&record));
}

}  // namespace qtest
