// User-interface services on Windows: message boxes, Winkit's prompt dialogs
// and the common file dialogs.

#include <cstring>

#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"
#include "winutil/winkit_ids.h"

namespace plat {
namespace {

void winErrorBox(const char* caption, const char* text) {
  MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// The prompt record of the value and re-entry dialogs.
struct Prompt {
  const char* caption;
  const char* prompt;
  char* buffer;
  int size;
  HICON okIcon;
};

INT_PTR CALLBACK reentryProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  Prompt* p = reinterpret_cast<Prompt*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      p = reinterpret_cast<Prompt*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      CVCenterDialog(dlg);
      p->okIcon = LoadIconA(ThisModule(), MAKEINTRESOURCEA(kIconOk));
      if (p->okIcon) SendDlgItemMessageA(dlg, IDOK, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(p->okIcon));
      char text[kPromptSize];
      if (p->prompt) {
        copyText(text, sizeof text, p->prompt);
      } else if (!LoadStringA(ThisModule(), kTextInputRefused, text, sizeof text)) {
        text[0] = 0;
      }
      SetDlgItemTextA(dlg, kCtlReentryPrompt, text);
      SetDlgItemTextA(dlg, kCtlReentryValue, p->buffer);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK && p) {
        GetDlgItemTextA(dlg, kCtlReentryValue, p->buffer, p->size);
        EndDialog(dlg, 0);
        return TRUE;
      }
      return FALSE;  // no other command ends the dialog
    case WM_DESTROY:
      if (p && p->okIcon) {
        DestroyIcon(p->okIcon);
        p->okIcon = nullptr;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR CALLBACK valueProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  Prompt* p = reinterpret_cast<Prompt*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      p = reinterpret_cast<Prompt*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      CVCenterDialog(dlg);
      if (p->caption) SetWindowTextA(dlg, p->caption);
      SetDlgItemTextA(dlg, kCtlValuePrompt, p->prompt ? p->prompt : "");
      SetDlgItemTextA(dlg, kCtlValueEdit, p->buffer);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK && p) {
        GetDlgItemTextA(dlg, kCtlValueEdit, p->buffer, p->size);
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

BOOL winAskValue(HWND owner, const char* caption, const char* prompt, char* buffer, int size) {
  Prompt p{caption, prompt, buffer, size, nullptr};
  INT_PTR r = DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(kDlgValuePrompt), owner, valueProc,
                              reinterpret_cast<LPARAM>(&p));
  return r == IDOK;
}

BOOL winAskAgain(HWND owner, const char* prompt, char* buffer, int size) {
  Prompt p{nullptr, prompt, buffer, size, nullptr};
  INT_PTR r = DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(kDlgReentry), owner, reentryProc,
                              reinterpret_cast<LPARAM>(&p));
  return r == 0;
}

BOOL winAskYesNo(HWND owner, const char* caption, const char* text) {
  return MessageBoxA(owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

BOOL winChooseFile(HWND owner, FileChoice* request, DWORD* error) {
  if (error) *error = 0;
  OPENFILENAMEA local;
  OPENFILENAMEA* d = request->dialog;
  if (!d) {
    std::memset(&local, 0, sizeof local);
    local.lStructSize = sizeof local;
    local.hwndOwner = owner;
    local.lpstrFilter = request->filter;
    local.lpstrFile = request->file;
    local.nMaxFile = request->fileSize;
    local.lpstrInitialDir = request->folder;
    local.lpstrTitle = request->title;
    local.lpstrDefExt = request->defExt;
    local.Flags = OFN_EXPLORER | OFN_HIDEREADONLY |
                  (request->mustExist ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : 0) |
                  (request->confirmOverwrite ? OFN_OVERWRITEPROMPT : 0);
    d = &local;
  }
  BOOL ok = request->save ? GetSaveFileNameA(d) : GetOpenFileNameA(d);
  if (!ok && error) *error = CommDlgExtendedError();
  return ok;
}

const UiServices kWinUi = {winErrorBox, winAskValue, winAskAgain, winAskYesNo, winChooseFile};

}  // namespace

const UiServices& win32Ui() { return kWinUi; }

}  // namespace plat
