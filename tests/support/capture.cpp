#include "support/capture.h"

#include <gtest/gtest.h>

namespace qtest {

UiCapture* UiCapture::current = nullptr;

std::vector<std::string> Box::lines() const {
  std::vector<std::string> out;
  std::string::size_type start = 0;
  for (;;) {
    auto end = text.find("\r\n", start);
    out.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return out;
}

void recordBox(const char* caption, const char* text) {
  UiCapture::current->boxes_.push_back({caption ? caption : "", text ? text : ""});
}

namespace {

BOOL answerValue(HWND, const char*, const char* prompt, char* buffer, int size) {
  UiCapture* c = UiCapture::current;
  c->prompts.push_back(prompt ? prompt : "");
  if (c->values.empty()) {
    ++c->unexpected;
    return FALSE;
  }
  plat::copyText(buffer, static_cast<std::size_t>(size), c->values.front().c_str());
  c->values.pop_front();
  return TRUE;
}

BOOL answerAgain(HWND, const char* prompt, char* buffer, int size) {
  UiCapture* c = UiCapture::current;
  c->prompts.push_back(prompt ? prompt : "");
  c->refused.push_back(buffer);
  if (c->again.empty()) {
    ++c->unexpected;
    return FALSE;
  }
  plat::copyText(buffer, static_cast<std::size_t>(size), c->again.front().c_str());
  c->again.pop_front();
  return TRUE;
}

BOOL answerYesNo(HWND, const char*, const char*) {
  UiCapture* c = UiCapture::current;
  if (c->yesNo.empty()) {
    ++c->unexpected;
    return FALSE;
  }
  bool b = c->yesNo.front();
  c->yesNo.pop_front();
  return b;
}

BOOL answerFile(HWND, plat::FileChoice* request, DWORD* error) {
  UiCapture* c = UiCapture::current;
  if (error) *error = 0;
  if (c->files.empty()) {
    ++c->unexpected;
    return FALSE;
  }
  std::string f = c->files.front();
  c->files.pop_front();
  if (f.empty()) return FALSE;
  plat::copyText(request->file, request->fileSize, f.c_str());
  return TRUE;
}

}  // namespace

UiCapture::UiCapture() : saved_(plat::ui()) {
  current = this;
  plat::ui().errorBox = recordBox;
  plat::ui().askValue = answerValue;
  plat::ui().askAgain = answerAgain;
  plat::ui().askYesNo = answerYesNo;
  plat::ui().chooseFile = answerFile;
}

UiCapture::~UiCapture() {
  plat::ui() = saved_;
  current = nullptr;
}

Box UiCapture::only() const {
  EXPECT_EQ(boxes_.size(), 1u) << "expected exactly one error box";
  return boxes_.empty() ? Box{} : boxes_.front();
}

}  // namespace qtest
