// Helpers of the platform layer that are written once over its operations.

#include <cctype>
#include <cstring>

#include "winutil/platform/platform.h"

namespace plat {

BOOL copyText(char* to, std::size_t size, const char* from) {
  if (!to || size == 0) return FALSE;
  if (!from) from = "";
  std::size_t n = std::strlen(from);
  bool fits = n < size;
  if (!fits) n = size - 1;
  std::memcpy(to, from, n);
  to[n] = 0;
  return fits ? TRUE : FALSE;
}

BOOL exists(const char* path) {
  return path && *path && ops().fileAttributes(path) != kAttrInvalid;
}

namespace {

bool sameNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

bool endsInSeparator(const char* s) {
  std::size_t n = std::strlen(s);
  return n > 0 && (s[n - 1] == '\\' || s[n - 1] == '/');
}

// Joins folder and name with the folder's own separator (a backslash when it
// has none); FALSE when the result does not fit.
BOOL join(char* out, std::size_t outSize, const char* folder, const char* name) {
  std::size_t f = std::strlen(folder), n = std::strlen(name);
  bool sep = f > 0 && !endsInSeparator(folder);
  if (f + (sep ? 1 : 0) + n + 1 > outSize) return FALSE;
  std::memcpy(out, folder, f);
  char separator = std::strchr(folder, '/') ? '/' : '\\';
  if (sep) out[f++] = separator;
  std::memcpy(out + f, name, n + 1);
  return TRUE;
}

}  // namespace

BOOL findNoCase(const char* folder, const char* name, char* out, std::size_t outSize) {
  if (!folder || !name || !*name || !out || outSize == 0) return FALSE;
  char candidate[2 * MAX_PATH];
  if (!join(candidate, sizeof candidate, folder, name)) return FALSE;
  if (exists(candidate)) return copyText(out, outSize, candidate);
  char pattern[2 * MAX_PATH];
  if (!join(pattern, sizeof pattern, folder, "*")) return FALSE;
  FindData found;
  HANDLE search = ops().findFirst(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return FALSE;
  BOOL ok = FALSE;
  do {
    if (sameNoCase(found.name, name)) {
      ok = join(candidate, sizeof candidate, folder, found.name) &&
           copyText(out, outSize, candidate);
      break;
    }
  } while (ops().findNext(search, &found));
  ops().findClose(search);
  return ok;
}

}  // namespace plat
