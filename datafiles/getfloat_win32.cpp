// The value prompt of the readers: Convera's dialog asking for one number.

#include "datafiles/convera_internal.h"
#include "resources/convera/convera_res.h"
#include "winutil/platform/module_entry.h"

namespace {

struct Prompt {
  GETFLOAT* record;
  HICON ok;
  HICON cancel;
};

void setText(HWND dlg, int control, unsigned id) {
  SetDlgItemTextA(dlg, control, cv::text(static_cast<int>(id)).c_str());
}

void commit(HWND dlg, GETFLOAT* r, UINT notification) {
  CVUpdateDlgFloat(dlg, IDC_GETFLOAT_VALUE, notification, r->value, r->error, r->minimum,
                   r->maximum, static_cast<UINT>(r->checks), r->decimals);
}

INT_PTR CALLBACK getFloatProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* p = reinterpret_cast<Prompt*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      p = reinterpret_cast<Prompt*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      GETFLOAT* r = p->record;
      CVCenterDialog(dlg);
      SetWindowTextA(dlg, cv::text(static_cast<int>(r->title)).c_str());
      setText(dlg, IDC_GETFLOAT_PROMPT, r->prompt);
      setText(dlg, IDC_GETFLOAT_LABEL, r->label);
      setText(dlg, IDC_GETFLOAT_UNIT, r->unit);
      CVSetDlgFloat(dlg, IDC_GETFLOAT_VALUE, *r->value, r->decimals);
      p->ok = LoadIconA(ThisModule(), MAKEINTRESOURCEA(IDI_CONVERA_OK));
      p->cancel = LoadIconA(ThisModule(), MAKEINTRESOURCEA(IDI_CONVERA_CANCEL));
      SendDlgItemMessageA(dlg, IDOK, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(p->ok));
      SendDlgItemMessageA(dlg, IDCANCEL, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(p->cancel));
      return TRUE;
    }
    case WM_COMMAND:
      if (!p) return FALSE;
      switch (LOWORD(wp)) {
        case IDC_GETFLOAT_VALUE:
          commit(dlg, p->record, HIWORD(wp));
          return TRUE;
        case IDOK:
          // A value typed and confirmed with Enter has not lost the focus yet.
          commit(dlg, p->record, EN_KILLFOCUS);
          EndDialog(dlg, 0);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, 1);
          return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (p) {
        if (p->ok) DestroyIcon(p->ok);
        if (p->cancel) DestroyIcon(p->cancel);
        p->ok = p->cancel = nullptr;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

int GetFloat(HWND owner, GETFLOAT* record) {
  if (!plat::isWritable(record, sizeof *record) || !plat::isWritable(record->value, sizeof(float)))
    return 1;
  // A program or test that answers value prompts itself (the command-line
  // tool's --sf, a scripted test) has replaced the platform's service.
  if (plat::ui().askValue != plat::defaultUi().askValue) return cv::askFloat(owner, record);
  Prompt p{record, nullptr, nullptr};
  INT_PTR r = DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(IDD_GETFLOAT), owner, getFloatProc,
                              reinterpret_cast<LPARAM>(&p));
  return r == 0 ? 0 : 1;
}
