// The portable half of the dialog value fields: formatting, parsing, range
// checks and the re-entry request.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"
#include "winutil/winkit_ids.h"

char* CVFloatToString(double value, char* text, int decimals) {
  if (!plat::isWritable(text, kValueSize)) {
    CVErrMess(ThisModule(), CVTEXT(kTextInvalidArgument), CVTEXT(kTextInvalidPointer), CVE_WINKIT);
    return nullptr;
  }
  char format[16];
  if (plat::loadString(ThisModule(), kTextFixedFormat, format, sizeof format) <= 0)
    plat::copyText(format, sizeof format, "%-20.*f");
  char work[kValueSize];
  int n = std::snprintf(work, sizeof work, format, decimals, value);
  // A value whose fixed-point text does not fit the 80-byte work buffer
  // cannot be shown in a field or a settings file: refuse it rather than
  // hand out a cut number.
  if (n < 0 || n >= static_cast<int>(sizeof work)) {
    CVErrMess(ThisModule(), CVTEXT(kTextInvalidArgument), CVTEXT(47), CVE_WINKIT);
    return nullptr;
  }
  if (char* blank = std::strchr(work, ' ')) *blank = 0;
  std::memcpy(text, work, std::strlen(work) + 1);
  return text;
}

bool CVInRange(double v, double lo, double hi, UINT flags) {
  if (flags & CV_AT_LEAST_LO) {
    if (!(v >= lo)) return false;
  } else if (flags & CV_ABOVE_LO) {
    if (!(v > lo)) return false;
  }
  if (flags & CV_AT_MOST_HI) {
    if (!(v <= hi)) return false;
  } else if (flags & CV_BELOW_HI) {
    if (!(v < hi)) return false;
  }
  return true;
}

bool CVInRangeLong(long v, long lo, long hi, UINT flags) {
  if (flags & CV_AT_LEAST_LO) {
    if (v < lo) return false;
  } else if ((flags & CV_ABOVE_LO) && v <= lo) {
    return false;
  }
  if (flags & CV_AT_MOST_HI) {
    if (v > hi) return false;
  } else if ((flags & CV_BELOW_HI) && v >= hi) {
    return false;
  }
  return true;
}

double CVParseDouble(const char* text) {
  if (!text || !*text) return 0;
  return std::strtod(text, nullptr);
}

long CVParseLong(char* text) {
  if (!text || !*text) return 0;
  for (char* p = text; *p; ++p)
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
  // atol without its undefined behaviour on overflow: strtol saturates.
  long v = std::strtol(text, nullptr, 10);
  if (text[std::strlen(text) - 1] == 'K') {
    long limit = 2147483647L / 1024;
    v = v > limit ? limit * 1024 : v < -limit ? -limit * 1024 : v * 1024;
  }
  return v;
}

int CVParamError(MSG* request) {
  HINSTANCE winkit = ThisModule();
  if (!plat::isWritable(request, sizeof *request)) {
    CVErrMess(winkit, CVTEXT(kTextParamErrContext), CVTEXT(kTextBadMsg), CVE_WINKIT);
    return 0;
  }
  auto* pack = reinterpret_cast<StringPack*>(request->lParam);
  if (!plat::isReadable(pack, sizeof *pack) || pack->bufferSize <= 0 ||
      !plat::isWritable(pack->buffer, static_cast<std::size_t>(pack->bufferSize))) {
    CVErrMess(winkit, CVTEXT(kTextParamErrContext), CVTEXT(kTextBadStringPack), CVE_WINKIT);
    return 0;
  }
  const char* prompt = nullptr;
  if (pack->prompt && pack->promptSize > 0 &&
      plat::isReadable(pack->prompt, static_cast<std::size_t>(pack->promptSize)))
    prompt = pack->prompt;
  // The refused text must be terminated inside the buffer before anyone reads it.
  pack->buffer[pack->bufferSize - 1] = 0;
  char shown[kPromptSize];
  if (prompt) {
    std::size_t n = strnlen(prompt, static_cast<std::size_t>(pack->promptSize));
    if (n >= sizeof shown) n = sizeof shown - 1;
    std::memcpy(shown, prompt, n);
    shown[n] = 0;
    prompt = shown;
  }
  return plat::ui().askAgain(request->hwnd, prompt, pack->buffer, pack->bufferSize) ? 0 : 1;
}
