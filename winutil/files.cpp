// Winkit's file functions: companion-file names of a module, the copy and
// join of files, the length of an open file, the line reader on a raw file
// handle and the 8.3 name converter. Every file access goes through the
// platform's operations.
//
// Behaviour chosen where the contract leaves room, and where it is mended:
// - Paths are split at "\" and at "/" alike (the native build has "/" paths
//   and no drive); a folder keeps the separator that the path itself uses, and
//   the Windows folder is joined with its own separator when it lacks one.
// - CVGetFileName refuses a `path` that is not writable for 260 bytes with 13
//   ("invalid data"), and a module whose file name cannot be had with the
//   system's error code for it (13 when there is none); `path` is untouched.
// - CVCopyFile:
//   * a source text without a NUL within its 260 bytes, or an empty first or
//     second part of "first+second", is refused with 18 before anything is
//     created;
//   * a source that names the destination (compared without regard to case,
//     "/" and "\" counted as one) gives 19 "Cannot copy a file into itself!"
//     before the destination is created, because creating it would empty the
//     source;
//   * a failed or short write gives 48 "Disk full?" (Winkit has no other
//     write-failure text) instead of being ignored;
//   * bit 0 of `flags` copies without asking; without it an existing
//     destination is replaced only after the user agreed to "Do you want to
//     overwrite an existing file?" ("Copy File"), and "no" gives 20 "Process
//     cancelled by user!";
//   * the plus sign of a join stays replaced by a NUL in the caller's string,
//     as callers have always seen it.
// - CVFileLength gives 0 for a handle whose size cannot be had.
// - CVlgets returns null for a size below 2 (there is no room for a byte and
//   its NUL), when the read delivers nothing, and when the new position cannot
//   be set.
// - CVMakeValidDosName:
//   * the OEM conversion is portable: no character of 128 or above survives
//     it, because none of them is an allowed character;
//   * a path that holds a colon is rooted: the backslash after the drive is
//     written also when there is no drive letter (":x" gives "\X"); a path
//     that starts with a backslash keeps it;
//   * empty components (doubled separators, a component of points only such
//     as "..", a trailing separator) are dropped;
//   * the point of an 8.3 name is written only when an extension character
//     follows it ("ABC." gives "ABC");
//   * the converted path is cut to 259 characters: path buffers hold 260
//     bytes, and the 8.3 form can be longer than the original ("ABCDEFGHI"
//     becomes "ABCDEFGH.I");
//   * when nothing usable is left the caller's path is unchanged and 0 is
//     returned.

#include <cctype>
#include <cstring>

#include "winutil/platform/platform.h"
#include "winutil/winkit.h"
#include "winutil/winkit_ids.h"

namespace {

constexpr std::size_t kPath = MAX_PATH;  // bytes of a path buffer
constexpr UINT kTextDiskFull = 48;       // "Disk full?"

// ---- paths ----------------------------------------------------------------

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The length of a text, looking at no more than `limit` bytes.
std::size_t boundedLength(const char* s, std::size_t limit) {
  std::size_t n = 0;
  while (n < limit && s[n]) ++n;
  return n;
}

// Appends `from` to the NUL-terminated text in `to` (of `size` bytes),
// cutting what does not fit.
void append(char* to, std::size_t size, const char* from) {
  std::size_t n = std::strlen(to);
  if (n + 1 >= size) return;
  plat::copyText(to + n, size - n, from);
}

// The parts of a module path as _splitpath gives them: "C:", the directory
// with its final separator, the base name, and the extension with its point.
// The sizes are those of the parts in CVGetFileName's work area.
struct PathParts {
  char module[kPath];
  char drive[3];
  char dir[256];
  char name[256];
  char ext[256];
  char companionExt[256];  // the companion file's extension text
};
static_assert(sizeof(PathParts) == 1287, "the work area of CVGetFileName");

void copyRange(char* to, std::size_t size, const char* from, std::size_t n) {
  if (n >= size) n = size - 1;
  std::memcpy(to, from, n);
  to[n] = 0;
}

void splitPath(const char* path, char* drive, std::size_t driveSize, char* dir, std::size_t dirSize,
               char* name, std::size_t nameSize, char* ext, std::size_t extSize) {
  const char* rest = path;
  drive[0] = 0;
  if (path[0] && path[1] == ':') {
    copyRange(drive, driveSize, path, 2);
    rest = path + 2;
  }
  const char* file = rest;
  for (const char* p = rest; *p; ++p)
    if (isSeparator(*p)) file = p + 1;
  copyRange(dir, dirSize, rest, static_cast<std::size_t>(file - rest));
  const char* point = std::strrchr(file, '.');
  std::size_t nameLength = point ? static_cast<std::size_t>(point - file) : std::strlen(file);
  copyRange(name, nameSize, file, nameLength);
  plat::copyText(ext, extSize, point ? point : "");
}

void split(PathParts& w) {
  splitPath(w.module, w.drive, sizeof w.drive, w.dir, sizeof w.dir, w.name, sizeof w.name, w.ext,
            sizeof w.ext);
}

bool readable(const char* path) {
  plat::File f(plat::ops().openFile(path, plat::Access::Read, plat::Share::ReadWrite,
                                    plat::Disposition::OpenExisting));
  return f.ok();
}

// The extension of a searched companion file: a Winkit text.
void companionExtension(UINT kind, char* out, int size) {
  UINT id = kind == CVF_SETTINGS ? kTextIniExt : kind == CVF_HELP ? kTextHlpExt : kTextPdfExt;
  const char* fallback = kind == CVF_SETTINGS ? ".ini" : kind == CVF_HELP ? ".hlp" : ".pdf";
  if (plat::loadString(CVWinkitModule(), id, out, size) <= 0)
    plat::copyText(out, static_cast<std::size_t>(size), fallback);
}

// ---- copying ----------------------------------------------------------------

// Whether two names are spelled as the same file: case and the kind of
// separator do not count.
bool sameName(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = isSeparator(*a) ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(*a)));
    char y = isSeparator(*b) ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(*b)));
    if (x != y) return false;
  }
  return *a == *b;
}

constexpr DWORD kBlock = 32000;
constexpr std::size_t kCopyBuffer = 32010;

// Appends the file `source` to the open destination; 0 or a Winkit text.
int appendFile(const char* source, HANDLE destination, char* buffer) {
  plat::File in(plat::ops().openFile(source, plat::Access::Read, plat::Share::Exclusive,
                                     plat::Disposition::OpenExisting));
  if (!in.ok()) return kTextCannotOpenSource;
  for (;;) {
    DWORD got = 0;
    if (!plat::readFile(in.get(), buffer, kBlock, &got)) return kTextReadError;
    if (got > 0) {
      DWORD put = 0;
      if (!plat::writeFile(destination, buffer, got, &put) || put != got) return kTextDiskFull;
    }
    if (got < kBlock) return 0;
  }
}

int copyFiles(char* source, const char* destination, UINT flags) {
  if (!plat::isReadable(source, kPath) || !plat::isReadable(destination, kPath))
    return kTextInvalidPointer;
  std::size_t sourceLength = boundedLength(source, kPath);
  if (sourceLength == 0 || sourceLength == kPath || *destination == 0) return kTextBadFileName;

  const char* first = source;
  const char* second = nullptr;
  if (char* plus = std::strchr(source, '+')) {
    if (!plat::isWritable(plus, 1)) return kTextInvalidPointer;
    *plus = 0;
    second = plus + 1;
    if (*first == 0 || *second == 0) return kTextBadFileName;
  }
  if (sameName(first, destination) || (second && sameName(second, destination)))
    return kTextCopyIntoItself;

  if (!(flags & 1) && plat::exists(destination)) {
    char caption[kPromptSize], text[kPromptSize];
    if (plat::loadString(CVWinkitModule(), kTextCopyFile, caption, sizeof caption) <= 0)
      plat::copyText(caption, sizeof caption, "Copy File");
    if (plat::loadString(CVWinkitModule(), kTextOverwrite, text, sizeof text) <= 0)
      plat::copyText(text, sizeof text, "Do you want to overwrite an existing file?");
    if (!plat::ui().askYesNo(nullptr, caption, text)) return kTextCancelled;
  }

  plat::File out(plat::ops().openFile(destination, plat::Access::Write, plat::Share::Exclusive,
                                      plat::Disposition::CreateAlways));
  if (!out.ok()) return kTextCannotOpenDestination;
  plat::WorkArea buffer(kCopyBuffer);
  if (!buffer) return kTextNoMemory;
  int result = appendFile(first, out.get(), buffer.get());
  if (result == 0 && second) result = appendFile(second, out.get(), buffer.get());
  return result;
}

// ---- 8.3 names ----------------------------------------------------------------

bool allowed(char c) {
  static const char kAllowed[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._^$~!#%&-{}()@'`/\\:";
  return c != 0 && std::strchr(kAllowed, c) != nullptr;
}

// Appends one component, reduced to 8.3, to `out` (of `size` bytes, holding
// `n` characters); `from`..`end` is the component.
void appendShortName(char* out, std::size_t size, std::size_t& n, const char* from,
                     const char* end) {
  auto put = [&](char c) {
    if (n + 1 < size) out[n++] = c;
  };
  const char* p = from;
  while (p < end && *p == '.') ++p;
  if (p == end) return;  // empty, or points only
  if (n > 0 && out[n - 1] != '\\') put('\\');
  int taken = 0;
  while (p < end && *p != '.' && taken < 8) {
    put(*p++);
    ++taken;
  }
  bool point = false;
  taken = 0;
  for (; p < end && taken < 3; ++p) {
    if (*p == '.') continue;
    if (!point) {
      put('.');
      point = true;
    }
    put(*p);
    ++taken;
  }
}

}  // namespace

int CVGetFileName(HINSTANCE module, char* path, UINT kind) {
  if (!plat::isWritable(path, kPath)) return static_cast<int>(plat::kErrInvalidData);
  plat::WorkArea work(sizeof(PathParts));
  if (!work) return static_cast<int>(plat::kErrNotEnoughMemory);
  auto& w = *reinterpret_cast<PathParts*>(work.get());

  DWORD n = plat::ops().moduleFileName(module, w.module, sizeof w.module);
  if (n == 0) {
    DWORD e = plat::lastError();
    return static_cast<int>(e ? e : plat::kErrInvalidData);
  }
  w.module[n < sizeof w.module ? n : sizeof w.module - 1] = 0;
  split(w);

  switch (kind) {
    case CVF_MODULE:
      plat::copyText(path, kPath, w.module);
      return 0;
    case CVF_FOLDER:
      plat::copyText(path, kPath, w.drive);
      append(path, kPath, w.dir);
      return 0;
    case CVF_DTD:
    case CVF_XSL:
    case CVF_CSS:
      plat::copyText(path, kPath, w.drive);
      append(path, kPath, w.dir);
      append(path, kPath, kind == CVF_DTD ? "quintar.dtd" : kind == CVF_XSL ? "quintar.xsl" : "quintar.css");
      return 0;
    case CVF_SETTINGS:
    case CVF_HELP:
    case CVF_MANUAL:
      break;
    default:
      return static_cast<int>(plat::kErrInvalidData);
  }

  companionExtension(kind, w.companionExt, sizeof w.companionExt);
  plat::copyText(path, kPath, w.drive);
  append(path, kPath, w.dir);
  append(path, kPath, w.name);
  append(path, kPath, w.companionExt);
  if (readable(path)) return 0;

  char candidate[kPath];
  DWORD length = plat::ops().windowsFolder(candidate, sizeof candidate);
  if (length == 0 || length >= sizeof candidate) return static_cast<int>(plat::kErrFileNotFound);
  candidate[length] = 0;
  if (!isSeparator(candidate[length - 1]))
    append(candidate, sizeof candidate, std::strchr(candidate, '/') ? "/" : "\\");
  append(candidate, sizeof candidate, w.name);
  append(candidate, sizeof candidate, w.companionExt);
  if (!readable(candidate)) return static_cast<int>(plat::kErrFileNotFound);
  plat::copyText(path, kPath, candidate);
  return 0;
}

int CVCopyFile(char* source, const char* destination, UINT flags) {
  int result = copyFiles(source, destination, flags);
  if (result != 0)
    CVErrMess(CVWinkitModule(), CVTEXT(kTextCouldNotCopy), CVTEXT(result), CVE_WINKIT);
  return result;
}

DWORD CVFileLength(HANDLE file) {
  std::uint64_t size = 0;
  if (!plat::fileSize(file, &size)) return 0;
  return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

char* CVlgets(char* line, int size, HANDLE file) {
  if (size < 2 || !plat::isWritable(line, static_cast<std::size_t>(size))) return nullptr;
  std::int64_t position = 0;
  std::uint64_t length = 0;
  if (!plat::seekFile(file, 0, plat::Seek::Current, &position) || position < 0) return nullptr;
  if (!plat::fileSize(file, &length)) return nullptr;
  auto p = static_cast<std::uint64_t>(position);
  if (length < p || length - p < 2) return nullptr;

  DWORD got = 0;
  if (!plat::readFile(file, line, static_cast<DWORD>(size - 1), &got) || got == 0) return nullptr;
  if (got > static_cast<DWORD>(size - 1)) got = static_cast<DWORD>(size - 1);
  auto lineEnd = [](char c) { return c == '\r' || c == '\n'; };
  DWORD n = got;
  for (DWORD i = 0; i < got; ++i) {
    if (lineEnd(line[i])) {
      n = i + 1 < got && lineEnd(line[i + 1]) ? i + 2 : i + 1;
      break;
    }
  }
  line[n] = 0;
  if (!plat::seekFile(file, position + n, plat::Seek::Begin, nullptr)) return nullptr;
  return line;
}

int CVMakeValidDosName(char* path) {
  if (!path || !plat::isReadable(path, 1) || path[0] == 0) return 0;
  // Upper case, the OEM character set, the allowed characters only, of the
  // first 259 characters.
  char kept[kPath];
  std::size_t k = 0;
  for (std::size_t i = 0; i < kPath - 1 && path[i]; ++i) {
    auto u = static_cast<unsigned char>(path[i]);
    if (u >= 128) continue;
    char c = static_cast<char>(std::toupper(u));
    if (!allowed(c)) continue;
    kept[k++] = c == '/' ? '\\' : c;
  }
  kept[k] = 0;
  if (k == 0) return 0;

  char out[kPath];
  std::size_t n = 0;
  const char* rest = kept;
  if (const char* colon = std::strchr(kept, ':')) {
    for (const char* p = kept; p < colon; ++p) {
      if (*p >= 'A' && *p <= 'Z') {
        out[n++] = *p;
        out[n++] = ':';
        break;
      }
    }
    out[n++] = '\\';
    rest = colon + 1;
    if (*rest == '\\') ++rest;
  } else if (kept[0] == '\\') {
    out[n++] = '\\';
    rest = kept + 1;
  }
  while (*rest) {
    const char* end = std::strchr(rest, '\\');
    if (!end) end = rest + std::strlen(rest);
    appendShortName(out, sizeof out, n, rest, end);
    rest = *end ? end + 1 : end;
  }
  out[n] = 0;
  if (n == 0) return 0;
  std::memcpy(path, out, n + 1);
  return 1;
}
