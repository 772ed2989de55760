// The settings-file engine of the native build: GetPrivateProfileStringA and
// WritePrivateProfileStringA as the package relies on them.
//
// Behaviour chosen where the Windows documentation leaves room:
// - Names compare case-insensitively in ASCII (Windows folds by the ANSI code
//   page; the package's names are ASCII).
// - A line is a section header when its first non-blank character is '[';
//   the name runs to the first ']' (or the line end) and the rest is ignored.
//   A line starting with ';' is a comment; a line with '=' is a key (split at
//   the first '='); anything else is kept but is neither found nor listed.
//   Lines before the first header belong to no section.
// - The first matching section and the first matching key win, for reading
//   and for writing (Windows updates only the first of duplicate entries).
// - A rewritten key keeps its place and its line ending, but the line becomes
//   exactly `key=value` in the caller's spelling: Windows replaces the whole
//   entry rather than patching the old value, so the spacing and the old
//   spelling of the key go. (Not documented; the Windows run of the tests
//   checks it.)
// - A new key goes right after the last key (or other non-comment text) of
//   its section, so the blank lines and comments that lead into the next
//   section stay in front of it; a section without entries gets it right
//   after its header.
// - A new section goes to the end, after a blank line when the file is not
//   empty: "\r\n[section]\r\nkey=value\r\n". New lines end in CR LF; existing
//   lines keep theirs, so LF-only files stay readable both ways.
// - Deleting a section removes its header and every line up to the next
//   header. Deleting what does not exist changes nothing and succeeds.
// - A null file name, or a null section in a write (the Windows cache flush),
//   touches no file: reads give the fallback, writes return FALSE.
// - A name without any path separator lives in the Windows folder.

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

const char kBreak[] = "\r\n";
// The replacement is written beside the file; the old content is parked
// under the second name until the new one is in place.
const char kNewSuffix[] = ".new~";
const char kOldSuffix[] = ".old~";

bool isBlank(char c) { return c == ' ' || c == '\t'; }

string_view trim(string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
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

enum class Kind { Blank, Comment, Header, Key, Other };

// One line of the file: its text is [begin, end), its line break runs to next.
struct Line {
  std::size_t begin, end, next;
  Kind kind;
  string_view name;   // section or key name, trimmed
  string_view value;  // key value, trimmed
};

Line classify(string_view text, std::size_t begin, std::size_t end, std::size_t next) {
  Line l{begin, end, next, Kind::Other, {}, {}};
  string_view s = trim(text.substr(begin, end - begin));
  if (s.empty()) {
    l.kind = Kind::Blank;
  } else if (s.front() == ';') {
    l.kind = Kind::Comment;
  } else if (s.front() == '[') {
    l.kind = Kind::Header;
    l.name = trim(s.substr(1, s.find(']') == string_view::npos ? string_view::npos : s.find(']') - 1));
  } else if (s.find('=') != string_view::npos) {
    l.kind = Kind::Key;
    l.name = trim(s.substr(0, s.find('=')));
    l.value = trim(s.substr(s.find('=') + 1));
  }
  return l;
}

// Lines end in CR LF, LF or a lone CR; the last one may have no break.
std::vector<Line> splitLines(string_view text) {
  std::vector<Line> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find_first_of("\r\n", begin);
    std::size_t next = end;
    if (end == string_view::npos) {
      end = next = text.size();
    } else {
      next = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    lines.push_back(classify(text, begin, end, next));
    begin = next;
  }
  return lines;
}

const std::size_t kNone = static_cast<std::size_t>(-1);

std::size_t findSection(const std::vector<Line>& lines, string_view name) {
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].kind == Kind::Header && sameName(lines[i].name, name)) return i;
  return kNone;
}

// The index of the header that ends the section starting at `header`.
std::size_t sectionEnd(const std::vector<Line>& lines, std::size_t header) {
  std::size_t i = header + 1;
  while (i < lines.size() && lines[i].kind != Kind::Header) ++i;
  return i;
}

std::size_t findKey(const std::vector<Line>& lines, std::size_t header, string_view key) {
  for (std::size_t i = header + 1, e = sectionEnd(lines, header); i < e; ++i)
    if (lines[i].kind == Kind::Key && sameName(lines[i].name, key)) return i;
  return kNone;
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

// Each name NUL-terminated plus a final NUL; when that does not fit, the
// text is cut to size - 2 characters and closed by two NULs.
DWORD copyList(const std::vector<string_view>& names, char* buffer, DWORD size) {
  string list;
  for (string_view n : names) {
    list.append(n.data(), n.size());
    list.push_back('\0');
  }
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = 0;
    if (list.empty() && size > 1) buffer[1] = 0;
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    buffer[0] = 0;
    return 0;
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = buffer[size - 1] = 0;
  return size - 2;
}

// Empty names are left out: in the list they would read as its end.
std::vector<string_view> names(const std::vector<Line>& lines, std::size_t from, std::size_t to, Kind kind) {
  std::vector<string_view> out;
  for (std::size_t i = from; i < to; ++i)
    if (lines[i].kind == kind && !lines[i].name.empty()) out.push_back(lines[i].name);
  return out;
}

string_view unquote(string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

DWORD lookUp(const char* section, const char* key, const char* fallback, char* buffer, DWORD size,
             const char* file) {
  string path, text;
  bool present = false;
  bool loaded = resolvePath(file, path) && load(path, text, present) == Load::Ok;
  if (!file || !*file) ops().setLastError(kErrFileNotFound);
  const std::vector<Line> lines = splitLines(text);
  if (!section) return copyList(names(lines, 0, lines.size(), Kind::Header), buffer, size);
  std::size_t header = findSection(lines, trim(section));
  if (!key) {
    if (header == kNone) return copyList({}, buffer, size);
    return copyList(names(lines, header + 1, sectionEnd(lines, header), Kind::Key), buffer, size);
  }
  std::size_t at = header == kNone ? kNone : findKey(lines, header, trim(key));
  if (at != kNone) return copyValue(unquote(lines[at].value), buffer, size);
  if (loaded) ops().setLastError(kErrFileNotFound);  // as Windows reports a missing entry
  string_view f = fallback ? fallback : "";
  while (!f.empty() && isBlank(f.back())) f.remove_suffix(1);
  return copyValue(f, buffer, size);
}

// ---- writing ----------------------------------------------------------------

bool endsWithBreak(const string& s) { return !s.empty() && (s.back() == '\n' || s.back() == '\r'); }

// The new content for the request; false when the file would not change.
bool edit(const string& text, string_view section, const char* key, const char* value, string& out) {
  const std::vector<Line> lines = splitLines(text);
  std::size_t header = findSection(lines, section);
  if (!key || !value) {
    if (header == kNone) return false;
    std::size_t from = header, to = sectionEnd(lines, header);
    if (key) {
      from = findKey(lines, header, trim(key));
      if (from == kNone) return false;
      to = from + 1;
    }
    std::size_t cut = to < lines.size() ? lines[to].begin : text.size();
    out = text.substr(0, lines[from].begin) + text.substr(cut);
    return true;
  }
  const string entry = string(trim(key)) + "=" + value;
  if (header == kNone) {
    out = text;
    if (!out.empty()) out += endsWithBreak(out) ? kBreak : "\r\n\r\n";
    out += "[" + string(section) + "]" + kBreak + entry + kBreak;
    return true;
  }
  std::size_t at = findKey(lines, header, trim(key));
  if (at != kNone) {
    out = text.substr(0, lines[at].begin) + entry + text.substr(lines[at].end);
    return true;
  }
  std::size_t anchor = header;
  for (std::size_t i = header + 1, e = sectionEnd(lines, header); i < e; ++i)
    if (lines[i].kind == Kind::Key || lines[i].kind == Kind::Other) anchor = i;
  const Line& a = lines[anchor];
  out = text.substr(0, a.next) + (a.next == a.end ? kBreak : "") + entry + kBreak + text.substr(a.next);
  return true;
}

BOOL store(const char* section, const char* key, const char* value, const char* file) {
  string path, text, out;
  if (!section || !resolvePath(file, path)) {
    ops().setLastError(kErrInvalidParameter);
    return FALSE;
  }
  bool present = false;
  Load r = load(path, text, present);
  if (r == Load::Failed) return FALSE;  // the read's error stands
  if (!edit(text, trim(section), key, value, out)) return TRUE;
  // Renaming would replace a read-only file that Windows refuses to write.
  DWORD attributes = ops().fileAttributes(path.c_str());
  if (attributes != kAttrInvalid && (attributes & (kAttrReadOnly | kAttrDirectory))) {
    ops().setLastError(kErrAccessDenied);
    return FALSE;
  }
  return replaceFile(path, out, present) ? TRUE : FALSE;
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
