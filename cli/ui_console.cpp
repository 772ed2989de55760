#include "cli/ui_console.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "winutil/platform/platform.h"

namespace cli {
namespace {

std::string gValue;

void errorBox(const char* caption, const char* text) {
  std::string t(text ? text : "");
  std::string out;
  for (char c : t)
    if (c != '\r') out += c;
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "quintar", out.c_str());
}

BOOL askValue(HWND, const char* caption, const char* prompt, char* buffer, int size) {
  if (!gValue.empty()) {
    plat::copyText(buffer, static_cast<std::size_t>(size), gValue.c_str());
    return TRUE;
  }
  if (!isatty(0)) return FALSE;
  std::fprintf(stderr, "%s: %s ", caption ? caption : "", prompt ? prompt : "");
  std::fflush(stderr);
  std::string line;
  int c;
  while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
  if (c == EOF && line.empty()) return FALSE;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  plat::copyText(buffer, static_cast<std::size_t>(size), line.c_str());
  return TRUE;
}

BOOL refuse(HWND, const char*, char*, int) { return FALSE; }
BOOL no(HWND, const char*, const char*) { return FALSE; }
BOOL noFile(HWND, plat::FileChoice*, DWORD* error) {
  if (error) *error = 0;
  return FALSE;
}

}  // namespace

void useConsole(const std::string& value) {
  gValue = value;
  plat::UiServices& ui = plat::ui();
  ui.errorBox = errorBox;
  ui.askValue = askValue;
  ui.askAgain = refuse;
  ui.askYesNo = no;
  ui.chooseFile = noFile;
}

}  // namespace cli
