// Test seams over the platform's user-interface services: error boxes are
// recorded instead of shown, prompts answered from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "winutil/platform/platform.h"

namespace qtest {

struct Box {
  std::string caption;
  std::string text;  // the three lines, separated by CR LF
  // The lines of the text.
  std::vector<std::string> lines() const;
};

// Records every error box while it lives; answers prompts from queues. An
// unexpected prompt is refused and counted.
class UiCapture {
 public:
  UiCapture();
  ~UiCapture();
  UiCapture(const UiCapture&) = delete;
  UiCapture& operator=(const UiCapture&) = delete;

  const std::vector<Box>& boxes() const { return boxes_; }
  // The only box shown; fails the test when there was not exactly one.
  Box only() const;
  void clear() { boxes_.clear(); }

  std::deque<std::string> values;   // answers of askValue
  std::deque<std::string> again;    // answers of askAgain
  std::deque<bool> yesNo;           // answers of askYesNo
  std::deque<std::string> files;    // answers of chooseFile ("" = cancel)
  std::vector<std::string> prompts;  // prompt texts shown by askValue / askAgain, in order
  std::vector<std::string> refused;  // refused texts handed to askAgain, in order
  int unexpected = 0;

  static UiCapture* current;

 private:
  plat::UiServices saved_;
  std::vector<Box> boxes_;
  friend void recordBox(const char*, const char*);
};

}  // namespace qtest
