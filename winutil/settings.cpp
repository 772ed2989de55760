// Settings files and the default values that modules carry as resources.
//
// A numeric setting's default is an INIDATUM record, RCDATA of the module
// that owns the setting: exactly 12 bytes, the key name NUL-padded to 10
// bytes (at most 9 characters), then the default as a signed 16-bit
// little-endian integer. Every file access goes through the platform's
// private-profile operations.
//
// Behaviour chosen where the contract leaves room, and where it is mended:
// - A record is used only when it is exactly 12 bytes and its name is not
//   empty; anything else counts as a missing record. The name is read from
//   the first 10 bytes only: a name field without a NUL is cut to its first
//   9 characters, so a name always fits a 10-byte buffer.
// - CVGetIniDatum refuses a `value` that is not writable, or a `settings`
//   record that is not readable, with the box "Call with invalid argument!" /
//   "Invalid data pointer!" (256 / 257) and -1, like a missing record: the
//   callers stop reading defaults at -1. Nothing is read or written then. A
//   null section with a settings file is refused the same way, because the
//   profile functions would hand back the list of section names instead.
// - A settings record with an empty path names no file: the default is used
//   (result 1) and nothing is written, as for a null record.
// - The other functions treat a missing section, key or file name as "no
//   entry": reads give the default, writes give FALSE and touch nothing. The
//   profile functions would otherwise list names, delete a whole section
//   (null key), flush a cache (null section) or fall back to WIN.INI (null
//   file).
// - Colour components that an entry does not supply are 0; a component
//   outside 0..255 contributes its low byte (300 gives 44, -1 gives 255).
// - Texts are converted with strtod (atof's conversion without its undefined
//   result out of range); a value beyond the float range becomes an infinity
//   of its sign.
// - The formats are Winkit texts 29 ("%s%lu"), 30 ("%f") and 31
//   ("%d %d %d"); they are written here as literals so that the compiler
//   checks them against their arguments.

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "winutil/platform/platform.h"
#include "winutil/winkit.h"
#include "winutil/winkit_ids.h"

namespace {

constexpr DWORD kRecordSize = 12;
constexpr std::size_t kNameField = 10;
constexpr std::size_t kNameMax = kNameField - 1;
constexpr int kKeySize = 80;      // key work buffer
constexpr int kReadSize = 80;     // values are cut at 79 characters
constexpr int kNumberSize = 40;   // "%ld" / "%g" texts

// One INIDATUM record, decoded.
struct Datum {
  char name[kNameField];  // NUL-terminated, at most 9 characters
  int value;              // -32768 .. 32767
};

bool readDatum(HINSTANCE module, UINT datumId, Datum& out) {
  DWORD size = 0;
  const void* found = plat::ops().findData(module, datumId, &size);
  if (!found || size != kRecordSize) return false;
  const auto* bytes = static_cast<const unsigned char*>(found);
  std::size_t n = 0;
  while (n < kNameMax && bytes[n] != 0) ++n;
  if (n == 0) return false;
  std::memcpy(out.name, bytes, n);
  out.name[n] = 0;
  // Bytewise: the record has no alignment to rely on.
  int v = bytes[10] | (bytes[11] << 8);
  out.value = v >= 0x8000 ? v - 0x10000 : v;
  return true;
}

bool readableText(const char* s) { return s != nullptr && plat::isReadable(s, 1); }

float toFloat(double d) {
  if (d > FLT_MAX) return HUGE_VALF;
  if (d < -FLT_MAX) return -HUGE_VALF;
  return static_cast<float>(d);
}

float textToFloat(const char* text) { return toFloat(std::strtod(text, nullptr)); }

int invalidArgument() {
  CVErrMess(CVWinkitModule(), CVTEXT(kTextInvalidArgument), CVTEXT(kTextInvalidPointer), CVE_WINKIT);
  return -1;
}

BOOL writeEntry(const char* section, const char* key, const char* value, const char* file) {
  if (!readableText(section) || !readableText(key) || !readableText(file)) return FALSE;
  return plat::ops().writeProfileString(section, key, value, file);
}

// Reads an entry with a fallback text into `buffer` (kReadSize bytes). With
// a missing section, key or file name the fallback is the result.
void readEntry(const char* section, const char* key, const char* fallback, char* buffer,
               const char* file) {
  if (!readableText(section) || !readableText(key) || !readableText(file)) {
    plat::copyText(buffer, kReadSize, fallback);
    return;
  }
  DWORD n = plat::ops().getProfileString(section, key, fallback, buffer, kReadSize, file);
  buffer[n < static_cast<DWORD>(kReadSize) ? n : kReadSize - 1] = 0;
}

unsigned byteOf(COLORREF c, int shift) { return (c >> shift) & 0xFFu; }

}  // namespace

int CVGetIniDatum(HINSTANCE module, UINT datumId, int index, const char* section, float* value,
                  QVHELPINFO* settings, BOOL writeBack) {
  if (!plat::isWritable(value, sizeof *value)) return invalidArgument();
  if (settings && !plat::isReadable(settings, sizeof *settings)) return invalidArgument();

  Datum datum;
  if (!readDatum(module, datumId, datum)) {
    CVErrMess(CVWinkitModule(), CVTEXT(kTextNoDefault), CVTEXT(kTextNoDefaultData), CVE_WINKIT);
    return -1;
  }

  // Only positive indexes extend the key; CVWriteIniDefString appends any
  // non-zero index with its sign, so a negative index is read from the bare
  // name but written under name-index.
  char key[kKeySize];
  if (index > 0)
    std::snprintf(key, sizeof key, "%s%lu", datum.name, static_cast<unsigned long>(index));
  else
    plat::copyText(key, sizeof key, datum.name);

  char defaultText[16];
  std::snprintf(defaultText, sizeof defaultText, "%d", datum.value);

  // The path member may lack its NUL: take at most what the member holds.
  char file[sizeof settings->path] = "";
  if (settings) {
    std::size_t n = strnlen(settings->path, sizeof settings->path - 1);
    std::memcpy(file, settings->path, n);
    file[n] = 0;
  }

  int result = 1;
  const char* text = defaultText;
  char read[kReadSize] = "";
  if (file[0]) {
    if (!readableText(section)) return invalidArgument();
    DWORD n = plat::ops().getProfileString(section, key, "", read, sizeof read, file);
    read[n < sizeof read ? n : sizeof read - 1] = 0;
    if (read[0]) {
      text = read;
      result = 0;
    } else if (writeBack) {
      // A failed write changes nothing for the caller: the default stands.
      plat::ops().writeProfileString(section, key, defaultText, file);
    }
  }
  *value = textToFloat(text);
  return result;
}

BOOL CVGetDefResourceString(HINSTANCE module, UINT datumId, char* name) {
  Datum datum;
  if (!readDatum(module, datumId, datum)) return FALSE;
  std::size_t bytes = std::strlen(datum.name) + 1;
  if (!plat::isWritable(name, bytes)) return FALSE;
  std::memcpy(name, datum.name, bytes);
  return TRUE;
}

BOOL CVWriteIniDefString(HINSTANCE module, UINT datumId, int index, double value, int decimals,
                         const char* section, const char* iniFile) {
  plat::WorkArea key(kKeySize);
  plat::WorkArea text(kPromptSize);
  if (!key || !text) return FALSE;
  if (!readableText(section) || !readableText(iniFile)) return FALSE;
  if (!CVGetDefResourceString(module, datumId, key.get())) return FALSE;
  // CVFloatToString refuses (null, after its own message) a value whose text
  // would not fit 80 bytes. Writing the untouched buffer then would replace
  // the stored setting with an empty entry, so nothing is written.
  if (!CVFloatToString(value, text.get(), decimals)) return FALSE;
  if (index != 0) {
    std::size_t n = std::strlen(key.get());
    std::snprintf(key.get() + n, static_cast<std::size_t>(kKeySize) - n, "%d", index);
  }
  // The outcome of the write itself is not reported; only a request that
  // could not be formed is.
  plat::ops().writeProfileString(section, key.get(), text.get(), iniFile);
  return TRUE;
}

float CVGetIniFloat(const char* section, const char* key, float defaultValue, const char* iniFile) {
  char fallback[kReadSize];
  std::snprintf(fallback, sizeof fallback, "%f", static_cast<double>(defaultValue));
  char text[kReadSize];
  readEntry(section, key, fallback, text, iniFile);
  return textToFloat(text);
}

COLORREF CVGetIniRGB(const char* section, const char* key, COLORREF defaultColour,
                     const char* iniFile) {
  char fallback[kReadSize];
  std::snprintf(fallback, sizeof fallback, "%d %d %d", static_cast<int>(byteOf(defaultColour, 0)),
                static_cast<int>(byteOf(defaultColour, 8)), static_cast<int>(byteOf(defaultColour, 16)));
  char text[kReadSize];
  readEntry(section, key, fallback, text, iniFile);
  // "%d %d %d" scanned without sscanf's undefined result for numbers out of
  // range: strtol saturates. The scan stops at the first component that is
  // not a number; it and the ones after it are 0.
  unsigned long parts[3] = {0, 0, 0};
  const char* p = text;
  for (unsigned long& part : parts) {
    char* end = nullptr;
    long v = std::strtol(p, &end, 10);
    if (end == p) break;
    part = static_cast<unsigned long>(v) & 0xFFu;
    p = end;
  }
  return static_cast<COLORREF>(parts[0] | (parts[1] << 8) | (parts[2] << 16));
}

BOOL CVWriteIniRGB(const char* section, const char* key, COLORREF colour, const char* iniFile) {
  char text[kNumberSize];
  std::snprintf(text, sizeof text, "%d %d %d", static_cast<int>(byteOf(colour, 0)),
                static_cast<int>(byteOf(colour, 8)), static_cast<int>(byteOf(colour, 16)));
  return writeEntry(section, key, text, iniFile);
}

BOOL CVWritePrivateInt(const char* iniFile, const char* section, const char* key, long value) {
  char text[kNumberSize];
  std::snprintf(text, sizeof text, "%ld", value);
  return writeEntry(section, key, text, iniFile);
}

BOOL CVWritePrivateDouble(const char* iniFile, const char* section, const char* key, double value) {
  char text[kNumberSize];
  std::snprintf(text, sizeof text, "%g", value);
  return writeEntry(section, key, text, iniFile);
}
