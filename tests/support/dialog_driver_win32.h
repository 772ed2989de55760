// Drives modal dialogs from a test on the same thread: a CBT hook sees each
// dialog being created and posts it to a message-only window, whose message
// the dialog's own modal loop dispatches; the scripted step then runs inside
// that loop. Unexpected dialogs are ended, and a watchdog ends dialogs that
// stay open too long, so a faulty dialog procedure cannot hang the run.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "winutil/platform/wintypes.h"

namespace qtest {

class DialogDriver {
 public:
  using Step = std::function<void(HWND)>;
  DialogDriver();
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  // The next dialog must have this caption ("" for any) and gets this step.
  void expect(const std::string& caption, Step step);
  const std::vector<std::string>& seen() const { return seen_; }
  const std::vector<std::string>& errors() const { return errors_; }
  bool done() const { return steps_.empty(); }

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK driverProc(HWND h, UINT m, WPARAM wp, LPARAM lp);
  void drive(HWND dialog);

  HHOOK hook_ = nullptr;
  HWND window_ = nullptr;
  std::deque<std::pair<std::string, Step>> steps_;
  std::vector<std::string> seen_;
  std::vector<std::string> errors_;
  std::vector<std::pair<HWND, DWORD>> open_;  // dialogs and when they appeared
};

// Helpers for steps.
std::string windowText(HWND window);
std::string itemText(HWND dialog, int id);
void typeInto(HWND dialog, int id, const char* text);  // set text and mark it as typed
void sendKillFocus(HWND dialog, int id);
void press(HWND dialog, int id);  // posted: handled once the step returns

}  // namespace qtest
