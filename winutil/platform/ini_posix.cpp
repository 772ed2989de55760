// The settings-file engine of the native build: GetPrivateProfileStringA and
// WritePrivateProfileStringA as the package relies on them, with the
// behaviour observed of the real functions (the Windows run of the tests
// checks every rule below against them).
//
// The file as read:
// - Lines end at every CR or LF. Blank lines are skipped. Blanks are space,
//   tab, VT, FF and Ctrl-Z; they are trimmed from both ends of a line, of a
//   name and of a value.
// - A line starting with '[' and holding a ']' is a section header; the name
//   is what lies between the '[' and the LAST ']', trimmed, and whatever
//   follows that ']' is ignored. A '[' without ']' is an ordinary line.
// - Any other line is an entry: a key and a value split at the first '=', or,
//   without '=', a name without a value. Comments are entries too: a line
//   starting with ';' belongs to its section like any other, and ";k=v" is
//   even readable as the key ";k". A name without a value is kept but never
//   found by a read.
// - The lines before the first header form a nameless section, which a
//   section name of "" (or blanks) reaches. A header "[]" opens another
//   nameless section that no name reaches.
// - An entry with an empty key right after another one with an empty key is
//   dropped.
// - Names compare case-insensitively in ASCII only (the real functions were
//   seen to tell "\xC4" from "\xE4"). The first matching section and the
//   first matching entry win, for reading and for writing.
//
// Reading:
// - A value with the same quote (' or ") at both ends loses that pair.
// - A missing entry gives the fallback without its trailing spaces (only
//   spaces, and never its first character), then unquoted the same way.
// - A value is cut to size - 1 characters. A list (null section: section
//   names, nameless ones left out; null key: key names of the section, except
//   names without values and comments) is each name NUL-terminated plus one
//   more NUL. When that does not fit with a character to spare, the first
//   size - 2 characters are copied and one NUL follows; the buffer's last
//   character is left alone, and the result is size - 2. A key list whose
//   first name is empty is empty.
//
// Writing:
// - Leading blanks of the value are dropped (trailing ones are kept). A new
//   key or section takes the caller's spelling without leading blanks; an
//   existing one keeps the file's spelling.
// - A request that changes nothing (the same value, case-sensitively;
//   deleting what is not there) leaves the file untouched, byte for byte.
// - Any other request rewrites the whole file from what was read: a header
//   "[name]" per named section (none for a nameless one, whose entries then
//   follow the previous section's), each entry as "key=value" (or just the
//   name), every line ending in CR LF, no blank lines, a final CR LF. So
//   blanks around names and values go, text after a header's ']' goes, LF and
//   CR line ends become CR LF.
// - A new key goes at the end of its section, after any comments there; a new
//   section goes at the end of the file, with no blank line before it.
// - A null value deletes the first matching entry; a null key the first
//   matching section with all its entries.
// - A file that starts with a byte-order mark is Unicode: UTF-8 or UTF-16
//   (LE or BE). Its text is converted to and from the ANSI code page, here
//   always Windows-1252 (characters outside it read as '?'; the real
//   functions sometimes substitute a similar letter instead), and it is
//   rewritten in its own encoding, mark included, so text that has no ANSI
//   form survives a rewrite.
//
// Chosen for the native build:
// - A null file name (win.ini for the real functions), or a null section in a
//   write (their cache flush), touches no file: reads give the fallback,
//   writes return FALSE. The package uses neither.
// - A name without any path separator lives in the Windows folder.
// - A read-only file is refused with ERROR_ACCESS_DENIED, as Windows refuses
//   to write it; the replacement below would otherwise succeed.
// - NUL bytes in the file are ordinary characters.

#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "winutil/platform/ini_engine.h"

namespace plat {
namespace ini {
namespace {

using std::string;
using std::string_view;

// The replacement is written beside the file; the old content is parked
// under the second name until the new one is in place.
const char kNewSuffix[] = ".new~";
const char kOldSuffix[] = ".old~";

// ---- characters ---------------------------------------------------------------

// CR and LF cannot be inside a line, but they are blanks at the start of a
// value being written.
bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

string_view trimStart(string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  return s;
}

string_view trim(string_view s) {
  s = trimStart(s);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(string_view a, string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

string_view unquote(string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// ---- encodings ----------------------------------------------------------------

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const char32_t kReplacement = 0xFFFD;

// Windows-1252 from 0x80 to 0x9F; the other bytes are their own code points.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t fromAnsi(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c; }

char toAnsi(char32_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == u) return static_cast<char>(0x80 + i);
  return '?';
}

void appendUtf8(string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

// The code point at s[i], advancing i. A malformed sequence gives one
// replacement character for its longest well-formed start (at least a byte).
char32_t nextUtf8(string_view s, std::size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i++]);
  if (c < 0x80) return c;
  int more = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  char32_t u = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    more = 1, u = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    more = 2, u = c & 0x0F;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    more = 3, u = c & 0x07;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    return kReplacement;
  }
  for (int k = 0; k < more; ++k, low = 0x80, high = 0xBF) {
    if (i >= s.size()) return kReplacement;
    const unsigned char d = static_cast<unsigned char>(s[i]);
    if (d < low || d > high) return kReplacement;
    u = (u << 6) | (d & 0x3F);
    ++i;
  }
  return u;
}

// UTF-16 (without its mark) as UTF-8; an unpaired surrogate is replaced and
// an odd last byte dropped.
string utf16ToUtf8(string_view s, bool bigEndian) {
  auto unit = [&](std::size_t i) -> char32_t {
    unsigned char a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  string out;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
    char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      u = kReplacement;
    }
    appendUtf8(out, u);
  }
  return out;
}

string utf8ToUtf16(string_view s, bool bigEndian) {
  string out;
  auto put = [&](char32_t u) {
    char a = static_cast<char>(u >> 8), b = static_cast<char>(u & 0xFF);
    out += bigEndian ? a : b;
    out += bigEndian ? b : a;
  };
  for (std::size_t i = 0; i < s.size();) {
    char32_t u = nextUtf8(s, i);
    if (u >= 0x10000) {
      put(0xD800 + ((u - 0x10000) >> 10));
      put(0xDC00 + ((u - 0x10000) & 0x3FF));
    } else {
      put(u);
    }
  }
  return out;
}

// The file's text as the parser sees it: ANSI bytes as they are, Unicode as
// UTF-8 with malformed sequences replaced.
string decode(const string& raw, Encoding& encoding) {
  string_view s(raw);
  if (s.substr(0, 3) == kUtf8Mark) {
    encoding = Encoding::Utf8;
    string out;
    s.remove_prefix(3);
    for (std::size_t i = 0; i < s.size();) appendUtf8(out, nextUtf8(s, i));
    return out;
  }
  if (s.substr(0, 2) == "\xFF\xFE" || s.substr(0, 2) == "\xFE\xFF") {
    encoding = s[0] == '\xFF' ? Encoding::Utf16Le : Encoding::Utf16Be;
    return utf16ToUtf8(s.substr(2), encoding == Encoding::Utf16Be);
  }
  encoding = Encoding::Ansi;
  return raw;
}

string encode(const string& text, Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf8: return kUtf8Mark + text;
    case Encoding::Utf16Le: return "\xFF\xFE" + utf8ToUtf16(text, false);
    case Encoding::Utf16Be: return "\xFE\xFF" + utf8ToUtf16(text, true);
    case Encoding::Ansi: break;
  }
  return text;
}

// ---- the file's content ---------------------------------------------------------

struct Entry {
  string name;
  string value;
  bool hasValue;
};

struct Section {
  string name;
  std::vector<Entry> entries;
};

// Names and values are kept in the file's text form: ANSI, or UTF-8 for a
// Unicode file. The caller's strings are ANSI and are converted on the way.
struct Profile {
  Encoding encoding = Encoding::Ansi;
  std::vector<Section> sections;  // the first is the nameless one before any header

  string in(string_view ansi) const {
    if (encoding == Encoding::Ansi) return string(ansi);
    string out;
    for (char c : ansi) appendUtf8(out, fromAnsi(static_cast<unsigned char>(c)));
    return out;
  }
  string out(string_view text) const {
    if (encoding == Encoding::Ansi) return string(text);
    string ansi;
    for (std::size_t i = 0; i < text.size();) ansi += toAnsi(nextUtf8(text, i));
    return ansi;
  }
};

void addLine(Profile& p, string_view line) {
  string_view s = trim(line);
  if (s.empty()) return;
  std::size_t close = s.rfind(']');
  if (s.front() == '[' && close != string_view::npos && close > 0) {
    p.sections.push_back({string(trim(s.substr(1, close - 1))), {}});
    return;
  }
  std::vector<Entry>& entries = p.sections.back().entries;
  std::size_t eq = s.find('=');
  if (eq == string_view::npos) {
    entries.push_back({string(s), string(), false});
    return;
  }
  string_view name = trim(s.substr(0, eq));
  if (name.empty() && !entries.empty() && entries.back().name.empty()) return;
  entries.push_back({string(name), string(trim(s.substr(eq + 1))), true});
}

Profile parse(const string& raw) {
  Profile p;
  const string text = decode(raw, p.encoding);
  p.sections.push_back({string(), {}});
  std::size_t begin = 0;
  while (begin <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", begin);
    if (end == string::npos) end = text.size();
    addLine(p, string_view(text).substr(begin, end - begin));
    begin = end + 1;
  }
  return p;
}

string render(const Profile& p) {
  string text;
  for (const Section& s : p.sections) {
    if (!s.name.empty()) text += "[" + s.name + "]\r\n";
    for (const Entry& e : s.entries) {
      text += e.name;
      if (e.hasValue) text += "=" + e.value;
      text += "\r\n";
    }
  }
  return encode(text, p.encoding);
}

Section* findSection(Profile& p, string_view name) {
  for (Section& s : p.sections)
    if (sameName(s.name, name)) return &s;
  return nullptr;
}

std::vector<Entry>::iterator findEntry(Section& s, string_view name) {
  for (auto e = s.entries.begin(); e != s.entries.end(); ++e)
    if (sameName(e->name, name)) return e;
  return s.entries.end();
}

// ---- paths and files ------------------------------------------------------

bool resolvePath(const char* file, string& path) {
  if (!file || !*file) return false;
  if (std::strpbrk(file, "/\\")) {
    path = file;
    return true;
  }
  char folder[MAX_PATH];
  DWORD n = ops().windowsFolder(folder, sizeof folder);
  if (n == 0 || n >= sizeof folder) return false;
  path = string(folder, n) + "/" + file;
  return true;
}

enum class Load { Ok, Missing, Failed };

// Only a file that is not there counts as missing; any other failure must
// stop a write, which would otherwise replace content it could not read.
Load readAll(const string& path, string& text) {
  text.clear();
  File f(ops().openFile(path.c_str(), Access::Read, Share::ReadWrite, Disposition::OpenExisting));
  if (!f.ok()) {
    DWORD e = ops().lastError();
    return e == kErrFileNotFound || e == kErrPathNotFound ? Load::Missing : Load::Failed;
  }
  char chunk[16384];
  for (;;) {
    DWORD got = 0;
    if (!ops().readFile(f.get(), chunk, sizeof chunk, &got)) return Load::Failed;
    if (got == 0) return Load::Ok;
    text.append(chunk, got);
  }
}

// Reads the file, or the parked old content that an interrupted replacement
// left behind when the file itself is gone. `present` tells whether the file
// itself exists.
Load load(const string& path, string& text, bool& present) {
  Load r = readAll(path, text);
  present = r != Load::Missing;
  return r == Load::Missing ? readAll(path + kOldSuffix, text) : r;
}

bool writeAll(const string& path, const string& text) {
  if (text.size() > 0xFFFFFFFFu) {
    ops().setLastError(kErrDiskFull);
    return false;
  }
  HANDLE h = ops().openFile(path.c_str(), Access::Write, Share::Exclusive, Disposition::CreateAlways);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD count = static_cast<DWORD>(text.size()), put = 0;
  bool ok = count == 0 || ops().writeFile(h, text.data(), count, &put);
  if (ok && put != count) ops().setLastError(kErrDiskFull);
  ok = ok && put == count;
  DWORD error = ops().lastError();
  bool closed = ops().closeFile(h) != FALSE;  // a failed close may have lost data
  if (!ok) ops().setLastError(error);
  return ok && closed;
}

// Puts `text` in place of the file without ever leaving it half-written.
// Rewriting in place (CreateAlways truncates) would lose the content when a
// write fails midway, and deleting the file before renaming the new one over
// it leaves nothing under its name if the rename fails. Instead the complete
// new content is written and closed beside it first; then the file is
// renamed aside, the new one renamed in, and only then the old one deleted.
// At every step one complete version exists, and a failed step is undone.
// (The replacement has fresh permissions and is no longer a hard link.)
bool replaceFile(const string& path, const string& text, bool present) {
  const string fresh = path + kNewSuffix, old = path + kOldSuffix;
  DWORD error = kErrNone;
  if (!writeAll(fresh, text)) {
    error = ops().lastError();
    ops().deleteFile(fresh.c_str());
    ops().setLastError(error ? error : kErrWriteFault);
    return false;
  }
  if (present) {
    ops().deleteFile(old.c_str());  // stale: the file itself is the current copy
    if (!ops().renameFile(path.c_str(), old.c_str())) {
      error = ops().lastError();
      ops().deleteFile(fresh.c_str());
      ops().setLastError(error ? error : kErrAccessDenied);
      return false;
    }
  }
  if (!ops().renameFile(fresh.c_str(), path.c_str())) {
    error = ops().lastError();
    if (present) ops().renameFile(old.c_str(), path.c_str());
    ops().deleteFile(fresh.c_str());
    ops().setLastError(error ? error : kErrAccessDenied);
    return false;
  }
  ops().deleteFile(old.c_str());  // a leftover is harmless: the next write removes it
  ops().setLastError(kErrNone);
  return true;
}

// ---- reading ----------------------------------------------------------------

DWORD copyValue(string_view v, char* buffer, DWORD size) {
  std::size_t n = v.size() < size - 1 ? v.size() : size - 1;
  std::memcpy(buffer, v.data(), n);
  buffer[n] = 0;
  return static_cast<DWORD>(n);
}

// Each name NUL-terminated plus a final NUL, when that leaves a character
// to spare; else the first size - 2 characters and one NUL.
DWORD copyList(const std::vector<string>& names, char* buffer, DWORD size) {
  string list;
  for (const string& n : names) {
    list += n;
    list.push_back('\0');
  }
  if (list.size() + 1 < size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = 0;
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    buffer[0] = 0;
    return 0;
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = 0;
  return size - 2;
}

std::vector<string> sectionNames(const Profile& p) {
  std::vector<string> out;
  for (const Section& s : p.sections)
    if (!s.name.empty()) out.push_back(p.out(s.name));
  return out;
}

std::vector<string> keyNames(const Profile& p, const Section& s) {
  std::vector<string> out;
  for (const Entry& e : s.entries) {
    if (!e.hasValue || (!e.name.empty() && e.name.front() == ';')) continue;
    if (out.empty() && e.name.empty()) break;
    out.push_back(p.out(e.name));
  }
  return out;
}

DWORD lookUp(const char* section, const char* key, const char* fallback, char* buffer, DWORD size,
             const char* file) {
  string path, text;
  bool present = false;
  Load loaded = resolvePath(file, path) ? load(path, text, present) : Load::Failed;
  if (!file || !*file) ops().setLastError(kErrFileNotFound);
  Profile p;
  if (loaded == Load::Ok) p = parse(text);
  if (!section) return copyList(sectionNames(p), buffer, size);
  Section* s = findSection(p, p.in(trim(section)));
  if (!key) return copyList(s ? keyNames(p, *s) : std::vector<string>{}, buffer, size);
  if (s) {
    auto e = findEntry(*s, p.in(trim(key)));
    if (e != s->entries.end() && e->hasValue) return copyValue(p.out(unquote(e->value)), buffer, size);
  }
  if (loaded == Load::Ok) ops().setLastError(kErrFileNotFound);  // as Windows reports a missing entry
  string_view f = fallback ? fallback : "";
  while (f.size() > 1 && f.back() == ' ') f.remove_suffix(1);
  return copyValue(unquote(f), buffer, size);
}

// ---- writing ----------------------------------------------------------------

// Applies the request; false when it changes nothing.
bool edit(Profile& p, const char* section, const char* key, const char* value) {
  Section* s = findSection(p, p.in(trim(section)));
  if (!key) {
    if (!s) return false;
    p.sections.erase(p.sections.begin() + (s - p.sections.data()));
    return true;
  }
  auto e = s ? findEntry(*s, p.in(trim(key))) : std::vector<Entry>::iterator();
  if (!value) {
    if (!s || e == s->entries.end()) return false;
    s->entries.erase(e);
    return true;
  }
  string v = p.in(trimStart(value));
  if (!s) {
    p.sections.push_back({p.in(trimStart(section)), {}});
    s = &p.sections.back();
    e = s->entries.end();
  }
  if (e == s->entries.end()) {
    s->entries.push_back({p.in(trimStart(key)), v, true});
    return true;
  }
  if (e->hasValue && e->value == v) return false;
  e->value = v;
  e->hasValue = true;
  return true;
}

BOOL store(const char* section, const char* key, const char* value, const char* file) {
  string path, text;
  if (!section || !resolvePath(file, path)) {
    ops().setLastError(kErrInvalidParameter);
    return FALSE;
  }
  bool present = false;
  Load r = load(path, text, present);
  if (r == Load::Failed) return FALSE;  // the read's error stands
  Profile p;  // a missing file has not even the nameless section
  if (r == Load::Ok) p = parse(text);
  if (!edit(p, section, key, value)) return TRUE;
  // Renaming would replace a read-only file that Windows refuses to write.
  DWORD attributes = ops().fileAttributes(path.c_str());
  if (attributes != kAttrInvalid && (attributes & (kAttrReadOnly | kAttrDirectory))) {
    ops().setLastError(kErrAccessDenied);
    return FALSE;
  }
  return replaceFile(path, render(p), present) ? TRUE : FALSE;
}

}  // namespace

DWORD getString(const char* section, const char* key, const char* fallback, char* buffer, DWORD size,
                const char* file) {
  if (!buffer || size == 0) return 0;
  try {
    return lookUp(section, key, fallback, buffer, size, file);
  } catch (const std::bad_alloc&) {
    buffer[0] = 0;
    ops().setLastError(kErrNotEnoughMemory);
    return 0;
  }
}

BOOL writeString(const char* section, const char* key, const char* value, const char* file) {
  try {
    return store(section, key, value, file);
  } catch (const std::bad_alloc&) {
    ops().setLastError(kErrNotEnoughMemory);
    return FALSE;
  }
}

}  // namespace ini
}  // namespace plat
