// User-interface services of the native build. The error box goes to
// standard error; questions are asked on the terminal when one is attached
// and refused otherwise, so a batch run never waits for an answer.

#include "winutil/platform/ui_posix.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace plat {
namespace {

void posixErrorBox(const char* caption, const char* text) {
  std::string t(text ? text : "");
  std::string out;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') continue;
    out += t[i];
  }
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", out.c_str());
  std::fflush(stderr);
}

bool interactive() { return ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO); }

// Reads one line from the terminal into buffer (without its line end).
BOOL readAnswer(char* buffer, int size) {
  if (!buffer || size <= 0) return FALSE;
  std::string line;
  int c;
  while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
  if (c == EOF && line.empty()) return FALSE;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  copyText(buffer, static_cast<std::size_t>(size), line.c_str());
  return TRUE;
}

BOOL posixAskValue(HWND, const char* caption, const char* prompt, char* buffer, int size) {
  if (!interactive()) return FALSE;
  std::fprintf(stderr, "%s%s%s: ", caption ? caption : "", caption && prompt ? " - " : "",
               prompt ? prompt : "");
  std::fflush(stderr);
  return readAnswer(buffer, size);
}

BOOL posixAskAgain(HWND, const char* prompt, char* buffer, int size) {
  if (!interactive()) return FALSE;
  std::fprintf(stderr, "WARNING !! %s\nPlease enter again [%s]: ", prompt ? prompt : "",
               buffer ? buffer : "");
  std::fflush(stderr);
  return readAnswer(buffer, size);
}

BOOL posixAskYesNo(HWND, const char* caption, const char* text) {
  if (!interactive()) return FALSE;
  std::fprintf(stderr, "%s: %s [y/n] ", caption ? caption : "", text ? text : "");
  std::fflush(stderr);
  char answer[16];
  if (!readAnswer(answer, sizeof answer)) return FALSE;
  return answer[0] == 'y' || answer[0] == 'Y';
}

BOOL posixChooseFile(HWND, FileChoice* request, DWORD* error) {
  if (error) *error = 0;
  if (!request || !request->file || request->fileSize == 0 || !interactive()) return FALSE;
  std::fprintf(stderr, "%s [%s]: ",
               request->title ? request->title : (request->save ? "Save As" : "Open"),
               request->file);
  std::fflush(stderr);
  std::string previous = request->file;
  if (!readAnswer(request->file, static_cast<int>(request->fileSize))) return FALSE;
  if (!*request->file) copyText(request->file, request->fileSize, previous.c_str());
  if (!*request->file) return FALSE;
  if (request->mustExist && !exists(request->file)) {
    std::fprintf(stderr, "%s: file not found\n", request->file);
    return FALSE;
  }
  return TRUE;
}

const UiServices kPosixUi = {posixErrorBox, posixAskValue, posixAskAgain, posixAskYesNo,
                             posixChooseFile};

}  // namespace

const UiServices& posixUi() { return kPosixUi; }

}  // namespace plat
