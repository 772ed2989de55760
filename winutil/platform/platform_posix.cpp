// The platform layer on POSIX systems: files, modules, memory and system
// services with the behaviour that the package expects of Windows.

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "winutil/platform/ini_engine.h"
#include "winutil/platform/module_posix.h"
#include "winutil/platform/platform.h"
#include "winutil/platform/ui_posix.h"

namespace plat {
namespace {

thread_local DWORD tLastError = 0;

void setError(DWORD e) { tLastError = e; }

DWORD errnoToWindows(int e) {
  switch (e) {
    case 0: return kErrNone;
    case ENOENT: return kErrFileNotFound;
    case ENOTDIR: return kErrPathNotFound;
    case ENAMETOOLONG: return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return kErrAccessDenied;
    case EMFILE:
    case ENFILE: return 4;
    case EBADF: return kErrInvalidHandle;
    case ENOMEM: return kErrNotEnoughMemory;
    case EEXIST: return kErrFileExists;
    case ENOSPC: return kErrDiskFull;
    case EWOULDBLOCK: return kErrSharingViolation;
    case EINVAL: return kErrInvalidParameter;
    case EIO: return kErrReadFault;
    default: return kErrInvalidFunction;
  }
}

void setErrno() { setError(errnoToWindows(errno)); }

std::string slashes(const char* path) {
  std::string s(path ? path : "");
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

// Resolves a path case-insensitively where the exact spelling does not
// exist, as a Windows file system would: the folder first (only when it is
// missing itself), then the name within it. A name that cannot be found is
// kept as given, so a file that is about to be created keeps its name.
std::string resolveSlashed(const std::string& p) {
  struct stat st;
  if (p.empty() || ::stat(p.c_str(), &st) == 0) return p;
  std::size_t cut = p.find_last_of('/');
  std::string name = cut == std::string::npos ? p : p.substr(cut + 1);
  if (name.empty()) return p;
  std::string dir = cut == std::string::npos ? std::string() : cut == 0 ? std::string("/") : p.substr(0, cut);
  if (!dir.empty()) dir = resolveSlashed(dir);
  if (DIR* d = ::opendir(dir.empty() ? "." : dir.c_str())) {
    while (dirent* e = ::readdir(d)) {
      if (::strcasecmp(e->d_name, name.c_str()) == 0) {
        name = e->d_name;
        break;
      }
    }
    ::closedir(d);
  }
  if (dir.empty()) return name;
  return dir == "/" ? "/" + name : dir + "/" + name;
}

std::string resolveCase(const char* path) { return resolveSlashed(slashes(path)); }

struct PosixFile {
  int fd;
};

PosixFile* fileOf(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return nullptr;
  return static_cast<PosixFile*>(h);
}

HANDLE posixOpen(const char* path, Access access, Share share, Disposition disposition) {
  if (!path || !*path) {
    setError(kErrPathNotFound);
    return INVALID_HANDLE_VALUE;
  }
  int flags = O_CLOEXEC;
  flags |= access == Access::Read ? O_RDONLY : access == Access::Write ? O_WRONLY : O_RDWR;
  int create = 0;
  switch (disposition) {
    case Disposition::OpenExisting: break;
    case Disposition::CreateAlways: create = O_CREAT; break;
    case Disposition::OpenAlways: create = O_CREAT; break;
    case Disposition::CreateNew: create = O_CREAT | O_EXCL; break;
  }
  // The name as given first; only a name that does not exist is looked up
  // without regard to case (which also finds "X" for a file to create as "x").
  std::string p = slashes(path);
  int fd = ::open(p.c_str(), flags);
  if (fd < 0 && errno == ENOENT) {
    p = resolveCase(path);
    fd = ::open(p.c_str(), flags | create, 0644);
  } else if (fd >= 0 && (create & O_EXCL)) {
    ::close(fd);
    setError(kErrFileExists);
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  if (fd < 0) {
    DWORD e = errnoToWindows(errno);
    // Windows tells a missing folder from a missing file.
    if (e == kErrFileNotFound) {
      std::string dir = p.substr(0, p.find_last_of('/') == std::string::npos ? 0 : p.find_last_of('/'));
      if (!dir.empty() && ::stat(dir.c_str(), &st) != 0) e = kErrPathNotFound;
    }
    setError(e);
    return INVALID_HANDLE_VALUE;
  }
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {  // a folder is not a file
    ::close(fd);
    setError(kErrAccessDenied);
    return INVALID_HANDLE_VALUE;
  }
  // Sharing: an exclusive open conflicts with every other open handle of the
  // file; a shared open conflicts only with exclusive ones.
  int lock = share == Share::Exclusive ? LOCK_EX : LOCK_SH;
  if (::flock(fd, lock | LOCK_NB) != 0) {
    ::close(fd);
    setError(kErrSharingViolation);
    return INVALID_HANDLE_VALUE;
  }
  if (disposition == Disposition::CreateAlways && ::ftruncate(fd, 0) != 0) {
    setErrno();
    ::close(fd);
    return INVALID_HANDLE_VALUE;
  }
  auto* f = new (std::nothrow) PosixFile{fd};
  if (!f) {
    ::close(fd);
    setError(kErrNotEnoughMemory);
    return INVALID_HANDLE_VALUE;
  }
  setError(kErrNone);
  return f;
}

BOOL posixRead(HANDLE h, void* buffer, DWORD count, DWORD* got) {
  if (got) *got = 0;
  PosixFile* f = fileOf(h);
  if (!f) {
    setError(kErrInvalidHandle);
    return FALSE;
  }
  DWORD total = 0;
  auto* out = static_cast<char*>(buffer);
  while (total < count) {
    ssize_t n = ::read(f->fd, out + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      setErrno();
      if (got) *got = total;
      return FALSE;
    }
    if (n == 0) break;
    total += static_cast<DWORD>(n);
  }
  if (got) *got = total;
  return TRUE;
}

BOOL posixWrite(HANDLE h, const void* buffer, DWORD count, DWORD* put) {
  if (put) *put = 0;
  PosixFile* f = fileOf(h);
  if (!f) {
    setError(kErrInvalidHandle);
    return FALSE;
  }
  DWORD total = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (total < count) {
    ssize_t n = ::write(f->fd, in + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      setErrno();
      if (put) *put = total;
      return FALSE;
    }
    total += static_cast<DWORD>(n);
  }
  if (put) *put = total;
  return TRUE;
}

BOOL posixSeek(HANDLE h, std::int64_t offset, Seek from, std::int64_t* position) {
  PosixFile* f = fileOf(h);
  if (!f) {
    setError(kErrInvalidHandle);
    return FALSE;
  }
  int whence = from == Seek::Begin ? SEEK_SET : from == Seek::Current ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(f->fd, static_cast<off_t>(offset), whence);
  if (r < 0) {
    setError(kErrInvalidParameter);  // Windows: a negative position
    return FALSE;
  }
  if (position) *position = r;
  return TRUE;
}

BOOL posixSize(HANDLE h, std::uint64_t* size) {
  PosixFile* f = fileOf(h);
  struct stat st;
  if (!f || ::fstat(f->fd, &st) != 0) {
    setError(kErrInvalidHandle);
    return FALSE;
  }
  *size = static_cast<std::uint64_t>(st.st_size);
  return TRUE;
}

BOOL posixClose(HANDLE h) {
  PosixFile* f = fileOf(h);
  if (!f) {
    setError(kErrInvalidHandle);
    return FALSE;
  }
  int r = ::close(f->fd);
  delete f;
  if (r != 0) {
    setErrno();
    return FALSE;
  }
  return TRUE;
}

DWORD posixAttributes(const char* path) {
  if (!path || !*path) {
    setError(kErrPathNotFound);
    return kAttrInvalid;
  }
  struct stat st;
  std::string p = slashes(path);
  if (::stat(p.c_str(), &st) != 0) {
    if (errno != ENOENT) {
      setErrno();
      return kAttrInvalid;
    }
    p = resolveCase(path);
  }
  if (::stat(p.c_str(), &st) != 0) {
    setErrno();
    return kAttrInvalid;
  }
  DWORD a = S_ISDIR(st.st_mode) ? kAttrDirectory : 0;
  // Read-only as the file can be written by this process (root writes any).
  bool noWriteBits = !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
  if (noWriteBits && ::access(p.c_str(), W_OK) != 0) a |= kAttrReadOnly;
  return a != 0 ? a : static_cast<DWORD>(kAttrNormal);
}

BOOL posixLastWriteTime(const char* path, std::uint64_t* fileTime) {
  struct stat st;
  if (!path || ::stat(resolveCase(path).c_str(), &st) != 0) {
    setErrno();
    return FALSE;
  }
  // FILETIME: 100 ns ticks since 1601; the Unix epoch is 11644473600 s later.
  std::uint64_t ticks = (static_cast<std::uint64_t>(st.st_mtim.tv_sec) + 11644473600ULL) * 10000000ULL +
                        static_cast<std::uint64_t>(st.st_mtim.tv_nsec) / 100;
  *fileTime = ticks;
  return TRUE;
}

BOOL posixDelete(const char* path) {
  if (!path || ::unlink(resolveCase(path).c_str()) != 0) {
    setErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL posixRename(const char* from, const char* to) {
  if (!from || !to) {
    setError(kErrInvalidParameter);
    return FALSE;
  }
  std::string target = resolveCase(to);
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {  // MoveFile does not replace
    setError(kErrAlreadyExists);
    return FALSE;
  }
  if (::rename(resolveCase(from).c_str(), target.c_str()) != 0) {
    setErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL posixMkdir(const char* path) {
  if (!path || ::mkdir(resolveCase(path).c_str(), 0755) != 0) {
    if (errno == EEXIST) {
      setError(kErrAlreadyExists);
    } else {
      setErrno();
    }
    return FALSE;
  }
  return TRUE;
}

BOOL posixRmdir(const char* path) {
  if (!path || ::rmdir(resolveCase(path).c_str()) != 0) {
    setErrno();
    return FALSE;
  }
  return TRUE;
}

struct PosixSearch {
  DIR* dir;
  std::string folder;
  std::string pattern;
};

BOOL nextMatch(PosixSearch* s, FindData* found) {
  while (dirent* e = ::readdir(s->dir)) {
    if (::fnmatch(s->pattern.c_str(), e->d_name, FNM_CASEFOLD) != 0) continue;
    std::memset(found, 0, sizeof *found);
    copyText(found->name, sizeof found->name, e->d_name);
    struct stat st;
    std::string full = s->folder + "/" + e->d_name;
    if (::stat(full.c_str(), &st) == 0) {
      found->attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrNormal;
      found->size = static_cast<std::uint64_t>(st.st_size);
    } else {
      found->attributes = kAttrNormal;
    }
    return TRUE;
  }
  setError(kErrNoMoreFiles);
  return FALSE;
}

HANDLE posixFindFirst(const char* pattern, FindData* found) {
  std::string p = slashes(pattern);
  std::size_t cut = p.find_last_of('/');
  std::string folder = cut == std::string::npos ? "." : (cut == 0 ? "/" : p.substr(0, cut));
  std::string name = cut == std::string::npos ? p : p.substr(cut + 1);
  if (name == "*.*") name = "*";
  folder = resolveCase(folder.c_str());
  DIR* d = ::opendir(folder.c_str());
  if (!d) {
    setError(errno == ENOENT ? kErrPathNotFound : errnoToWindows(errno));
    return INVALID_HANDLE_VALUE;
  }
  auto* s = new (std::nothrow) PosixSearch{d, folder, name};
  if (!s) {
    ::closedir(d);
    setError(kErrNotEnoughMemory);
    return INVALID_HANDLE_VALUE;
  }
  if (!nextMatch(s, found)) {
    ::closedir(d);
    delete s;
    setError(kErrFileNotFound);
    return INVALID_HANDLE_VALUE;
  }
  return s;
}

BOOL posixFindNext(HANDLE h, FindData* found) {
  if (!h || h == INVALID_HANDLE_VALUE) {
    setError(kErrInvalidHandle);
    return FALSE;
  }
  return nextMatch(static_cast<PosixSearch*>(h), found);
}

BOOL posixFindClose(HANDLE h) {
  if (!h || h == INVALID_HANDLE_VALUE) return FALSE;
  auto* s = static_cast<PosixSearch*>(h);
  ::closedir(s->dir);
  delete s;
  return TRUE;
}

// ---- modules ------------------------------------------------------------

struct PosixModule {
  const ResourceTable* table;
  std::string path;
};

std::mutex& moduleLock() {
  static std::mutex m;
  return m;
}

std::vector<PosixModule*>& modules() {
  static std::vector<PosixModule*> v;
  return v;
}

std::string programPath() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "quintar";
  buf[n] = 0;
  return buf;
}

// A null handle is the program itself, as on Windows.
PosixModule* moduleOf(HINSTANCE h) {
  std::string program = h ? std::string() : programPath();
  std::lock_guard<std::mutex> g(moduleLock());
  for (PosixModule* m : modules()) {
    if (h ? reinterpret_cast<HINSTANCE>(m) == h : m->path == program) return m;
  }
  return nullptr;
}

DWORD posixModuleFileName(HINSTANCE h, char* buffer, DWORD size) {
  std::string path;
  if (h == nullptr) {
    path = programPath();
  } else if (PosixModule* m = moduleOf(h)) {
    path = m->path;
  } else {
    setError(kErrInvalidHandle);
    return 0;
  }
  if (size == 0) return 0;
  copyText(buffer, size, path.c_str());
  return static_cast<DWORD>(std::strlen(buffer));
}

int posixLoadString(HINSTANCE h, UINT id, char* buffer, int size) {
  PosixModule* m = moduleOf(h);
  if (!m || !buffer || size <= 0) return 0;
  for (std::size_t i = 0; i < m->table->stringCount; ++i) {
    if (m->table->strings[i].id == (id & 0xFFFF)) {
      copyText(buffer, static_cast<std::size_t>(size), m->table->strings[i].text);
      return static_cast<int>(std::strlen(buffer));
    }
  }
  buffer[0] = 0;
  return 0;
}

const void* posixFindData(HINSTANCE h, UINT id, DWORD* size) {
  PosixModule* m = moduleOf(h);
  if (!m) return nullptr;
  for (std::size_t i = 0; i < m->table->dataCount; ++i) {
    if (m->table->data[i].id == id) {
      if (size) *size = m->table->data[i].size;
      return m->table->data[i].bytes;
    }
  }
  return nullptr;
}

// ---- memory blocks -------------------------------------------------------

struct Block {
  std::size_t size;
  int locks;
  unsigned char* data;
};

HGLOBAL posixMemAlloc(std::size_t bytes) {
  auto* b = static_cast<Block*>(std::calloc(1, sizeof(Block)));
  if (!b) {
    setError(kErrNotEnoughMemory);
    return nullptr;
  }
  b->data = static_cast<unsigned char*>(std::calloc(bytes ? bytes : 1, 1));
  if (!b->data) {
    std::free(b);
    setError(kErrNotEnoughMemory);
    return nullptr;
  }
  b->size = bytes;
  return b;
}

HGLOBAL posixMemReAlloc(HGLOBAL h, std::size_t bytes) {
  auto* b = static_cast<Block*>(h);
  if (!b || b->locks > 0) {
    setError(kErrInvalidHandle);
    return nullptr;
  }
  auto* d = static_cast<unsigned char*>(std::realloc(b->data, bytes ? bytes : 1));
  if (!d) {
    setError(kErrNotEnoughMemory);
    return nullptr;
  }
  if (bytes > b->size) std::memset(d + b->size, 0, bytes - b->size);
  b->data = d;
  b->size = bytes;
  return b;
}

void* posixMemLock(HGLOBAL h) {
  auto* b = static_cast<Block*>(h);
  if (!b) {
    setError(kErrInvalidHandle);
    return nullptr;
  }
  ++b->locks;
  return b->data;
}

BOOL posixMemUnlock(HGLOBAL h) {
  auto* b = static_cast<Block*>(h);
  if (!b || b->locks == 0) return FALSE;
  return --b->locks > 0;
}

std::size_t posixMemSize(HGLOBAL h) {
  auto* b = static_cast<Block*>(h);
  return b ? b->size : 0;
}

HGLOBAL posixMemFree(HGLOBAL h) {
  auto* b = static_cast<Block*>(h);
  if (!b) return nullptr;
  std::free(b->data);
  std::free(b);
  return nullptr;
}

void* posixHeapAlloc(std::size_t bytes) {
  void* p = std::calloc(bytes ? bytes : 1, 1);
  if (!p) setError(kErrNotEnoughMemory);
  return p;
}

void posixHeapFree(void* p) { std::free(p); }

DWORD posixLastError() { return tLastError; }

DWORD folderText(const char* path, char* buffer, DWORD size) {
  DWORD n = static_cast<DWORD>(std::strlen(path));
  if (n + 1 > size) return n + 1;
  std::memcpy(buffer, path, n + 1);
  return n;
}

DWORD posixTempFolder(char* buffer, DWORD size) {
  std::string t = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
  if (t.empty() || t.back() != '/') t += '/';
  return folderText(t.c_str(), buffer, size);
}

// The native build's counterpart of the Windows folder: a folder of shared
// settings, QUINTAR_WINDIR when set, else /etc/quintar.
DWORD posixWindowsFolder(char* buffer, DWORD size) {
  const char* w = std::getenv("QUINTAR_WINDIR");
  return folderText(w && *w ? w : "/etc/quintar", buffer, size);
}

BOOL plausiblePointer(const void* p, std::size_t bytes) {
  if (bytes == 0) return TRUE;
  return reinterpret_cast<std::uintptr_t>(p) >= 0x10000;
}

BOOL posixIsReadable(const void* p, std::size_t bytes) { return plausiblePointer(p, bytes); }
BOOL posixIsWritable(void* p, std::size_t bytes) { return plausiblePointer(p, bytes); }

const Ops kPosixOps = {
    posixOpen,          posixRead,          posixWrite,      posixSeek,          posixSize,
    posixClose,         posixAttributes,    posixLastWriteTime, posixDelete,     posixRename,
    posixMkdir,         posixRmdir,         posixFindFirst,     posixFindNext,   posixFindClose,     ini::getString,
    ini::writeString,   posixModuleFileName, posixLoadString, posixFindData,     posixMemAlloc,
    posixMemReAlloc,    posixMemLock,       posixMemUnlock,  posixMemSize,       posixMemFree,
    posixHeapAlloc,     posixHeapFree,      posixLastError,  setError,           posixTempFolder,
    posixWindowsFolder, posixIsReadable,    posixIsWritable,
};

}  // namespace

HINSTANCE registerModule(const ResourceTable* table, const void* addressInModule) {
  auto* m = new PosixModule{table, std::string()};
  Dl_info info;
  if (::dladdr(addressInModule, &info) != 0 && info.dli_fname && *info.dli_fname) {
    m->path = info.dli_fname;
    // The main program reports its name as it was started; use the real path.
    if (m->path.find('/') == std::string::npos) m->path = programPath();
  } else {
    m->path = programPath();
  }
  std::lock_guard<std::mutex> g(moduleLock());
  modules().push_back(m);
  return reinterpret_cast<HINSTANCE>(m);
}

void unregisterModule(HINSTANCE h) {
  std::lock_guard<std::mutex> g(moduleLock());
  auto& v = modules();
  for (auto it = v.begin(); it != v.end(); ++it) {
    if (reinterpret_cast<HINSTANCE>(*it) == h) {
      delete *it;
      v.erase(it);
      return;
    }
  }
}

const Ops& defaultOps() { return kPosixOps; }

Ops& ops() {
  static Ops table = kPosixOps;
  return table;
}

const UiServices& defaultUi() { return posixUi(); }

UiServices& ui() {
  static UiServices table = posixUi();
  return table;
}

}  // namespace plat
