#include "support/dialog_driver_win32.h"

#include <cstring>

namespace qtest {
namespace {

const UINT kDrive = WM_APP + 77;
const UINT_PTR kWatchdog = 1;
const DWORD kMaxOpenMs = 5000;
const int kMaxUnexpected = 20;
DialogDriver* gDriver = nullptr;

}  // namespace

std::string windowText(HWND window) {
  char buf[1024] = "";
  GetWindowTextA(window, buf, sizeof buf);
  return buf;
}

std::string itemText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

void typeInto(HWND dialog, int id, const char* text) {
  HWND e = GetDlgItem(dialog, id);
  SetWindowTextA(e, text);               // clears the modified flag...
  SendMessageA(e, EM_SETMODIFY, TRUE, 0);  // ...so mark it as typed
}

void sendKillFocus(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, EN_KILLFOCUS),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

DialogDriver::DialogDriver() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = driverProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "QuintarDialogDriver";
  RegisterClassA(&wc);  // fails harmlessly when already registered
  window_ = CreateWindowA("QuintarDialogDriver", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                          wc.hInstance, nullptr);
  gDriver = this;
  hook_ = SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId());
  SetTimer(window_, kWatchdog, 100, nullptr);
}

DialogDriver::~DialogDriver() {
  UnhookWindowsHookEx(hook_);
  KillTimer(window_, kWatchdog);
  DestroyWindow(window_);
  gDriver = nullptr;
}

void DialogDriver::expect(const std::string& caption, Step step) {
  steps_.emplace_back(caption, std::move(step));
}

LRESULT CALLBACK DialogDriver::hook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND && gDriver) {
    char cls[16] = "";
    GetClassNameA(reinterpret_cast<HWND>(wp), cls, sizeof cls);
    auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lp);
    if (std::strcmp(cls, "#32770") == 0 && !(create->lpcs->style & WS_CHILD))
      PostMessageA(gDriver->window_, kDrive, wp, 0);
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

void DialogDriver::drive(HWND dialog) {
  if (!IsWindow(dialog)) return;
  std::string caption = windowText(dialog);
  seen_.push_back(caption);
  open_.emplace_back(dialog, GetTickCount());
  if (steps_.empty() || (!steps_.front().first.empty() && steps_.front().first != caption)) {
    errors_.push_back("unexpected dialog: " + caption);
    EndDialog(dialog, IDABORT);
    if (static_cast<int>(errors_.size()) > kMaxUnexpected) {
      for (const auto& e : errors_) OutputDebugStringA(e.c_str());
      ExitProcess(3);
    }
    return;
  }
  auto step = std::move(steps_.front());
  steps_.pop_front();  // before acting: the step may open nested dialogs
  step.second(dialog);
}

LRESULT CALLBACK DialogDriver::driverProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kDrive && gDriver) {
    gDriver->drive(reinterpret_cast<HWND>(wp));
    return 0;
  }
  if (m == WM_TIMER && wp == kWatchdog && gDriver) {
    DWORD now = GetTickCount();
    for (auto& entry : gDriver->open_) {
      if (entry.first && IsWindow(entry.first) && now - entry.second > kMaxOpenMs) {
        gDriver->errors_.push_back("dialog left open: " + windowText(entry.first));
        EndDialog(entry.first, IDABORT);
        entry.first = nullptr;
      }
    }
    return 0;
  }
  return DefWindowProcA(h, m, wp, lp);
}

}  // namespace qtest
