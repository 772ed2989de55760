// The platform layer on Windows: each operation is the Win32 call.

#include <cstring>

#include "winutil/platform/platform.h"

namespace plat {
namespace {

DWORD accessBits(Access a) {
  switch (a) {
    case Access::Read: return GENERIC_READ;
    case Access::Write: return GENERIC_WRITE;
    default: return GENERIC_READ | GENERIC_WRITE;
  }
}

DWORD shareBits(Share s) {
  switch (s) {
    case Share::Exclusive: return 0;
    case Share::Read: return FILE_SHARE_READ;
    default: return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
}

DWORD dispositionOf(Disposition d) {
  switch (d) {
    case Disposition::OpenExisting: return OPEN_EXISTING;
    case Disposition::CreateAlways: return CREATE_ALWAYS;
    case Disposition::OpenAlways: return OPEN_ALWAYS;
    default: return CREATE_NEW;
  }
}

HANDLE winOpen(const char* path, Access a, Share s, Disposition d) {
  if (!path || !*path) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileA(path, accessBits(a), shareBits(s), nullptr, dispositionOf(d),
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

BOOL winRead(HANDLE f, void* b, DWORD n, DWORD* got) {
  DWORD dummy;
  return ReadFile(f, b, n, got ? got : &dummy, nullptr);
}

BOOL winWrite(HANDLE f, const void* b, DWORD n, DWORD* put) {
  DWORD dummy;
  return WriteFile(f, b, n, put ? put : &dummy, nullptr);
}

BOOL winSeek(HANDLE f, std::int64_t offset, Seek from, std::int64_t* position) {
  LARGE_INTEGER o, r;
  o.QuadPart = offset;
  DWORD method = from == Seek::Begin ? FILE_BEGIN : from == Seek::Current ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(f, o, &r, method)) return FALSE;
  if (position) *position = r.QuadPart;
  return TRUE;
}

BOOL winSize(HANDLE f, std::uint64_t* size) {
  LARGE_INTEGER s;
  if (!GetFileSizeEx(f, &s)) return FALSE;
  *size = static_cast<std::uint64_t>(s.QuadPart);
  return TRUE;
}

BOOL winClose(HANDLE f) { return CloseHandle(f); }

DWORD winAttributes(const char* path) { return GetFileAttributesA(path); }

BOOL winLastWriteTime(const char* path, std::uint64_t* fileTime) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return FALSE;
  *fileTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
              data.ftLastWriteTime.dwLowDateTime;
  return TRUE;
}

BOOL winDelete(const char* path) { return DeleteFileA(path); }
BOOL winRename(const char* from, const char* to) { return MoveFileA(from, to); }
BOOL winMkdir(const char* path) { return CreateDirectoryA(path, nullptr); }
BOOL winRmdir(const char* path) { return RemoveDirectoryA(path); }

void fillFound(const WIN32_FIND_DATAA& w, FindData* found) {
  std::memset(found, 0, sizeof *found);
  copyText(found->name, sizeof found->name, w.cFileName);
  found->attributes = w.dwFileAttributes;
  found->size = (static_cast<std::uint64_t>(w.nFileSizeHigh) << 32) | w.nFileSizeLow;
}

HANDLE winFindFirst(const char* pattern, FindData* found) {
  WIN32_FIND_DATAA w;
  HANDLE h = FindFirstFileA(pattern, &w);
  if (h != INVALID_HANDLE_VALUE) fillFound(w, found);
  return h;
}

BOOL winFindNext(HANDLE h, FindData* found) {
  WIN32_FIND_DATAA w;
  if (!FindNextFileA(h, &w)) return FALSE;
  fillFound(w, found);
  return TRUE;
}

BOOL winFindClose(HANDLE h) { return FindClose(h); }

DWORD winGetProfile(const char* section, const char* key, const char* fallback, char* buffer,
                    DWORD size, const char* file) {
  return GetPrivateProfileStringA(section, key, fallback, buffer, size, file);
}

BOOL winWriteProfile(const char* section, const char* key, const char* value, const char* file) {
  return WritePrivateProfileStringA(section, key, value, file);
}

DWORD winModuleFileName(HINSTANCE m, char* b, DWORD n) { return GetModuleFileNameA(m, b, n); }

int winLoadString(HINSTANCE m, UINT id, char* b, int n) { return LoadStringA(m, id, b, n); }

const void* winFindData(HINSTANCE m, UINT id, DWORD* size) {
  HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!r) return nullptr;
  HGLOBAL g = LoadResource(m, r);
  if (!g) return nullptr;
  if (size) *size = SizeofResource(m, r);
  return LockResource(g);
}

HGLOBAL winMemAlloc(std::size_t n) { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, n); }
HGLOBAL winMemReAlloc(HGLOBAL h, std::size_t n) {
  return GlobalReAlloc(h, n, GMEM_MOVEABLE | GMEM_ZEROINIT);
}
void* winMemLock(HGLOBAL h) { return GlobalLock(h); }
BOOL winMemUnlock(HGLOBAL h) { return GlobalUnlock(h); }
std::size_t winMemSize(HGLOBAL h) { return GlobalSize(h); }
HGLOBAL winMemFree(HGLOBAL h) { return GlobalFree(h); }

void* winHeapAlloc(std::size_t n) {
  void* p = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, n ? n : 1);
  if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}
void winHeapFree(void* p) { HeapFree(GetProcessHeap(), 0, p); }

DWORD winLastError() { return GetLastError(); }
void winSetLastError(DWORD e) { SetLastError(e); }
DWORD winTempFolder(char* b, DWORD n) { return GetTempPathA(n, b); }
DWORD winWindowsFolder(char* b, DWORD n) { return GetWindowsDirectoryA(b, n); }

BOOL winIsReadable(const void* p, std::size_t n) {
  if (n == 0) return TRUE;
  if (reinterpret_cast<std::uintptr_t>(p) < 0x10000) return FALSE;
  return !IsBadReadPtr(p, n);
}

BOOL winIsWritable(void* p, std::size_t n) {
  if (n == 0) return TRUE;
  if (reinterpret_cast<std::uintptr_t>(p) < 0x10000) return FALSE;
  return !IsBadWritePtr(p, n);
}

const Ops kWinOps = {
    winOpen,          winRead,          winWrite,          winSeek,        winSize,
    winClose,         winAttributes,    winLastWriteTime,  winDelete,      winRename,
    winMkdir,         winRmdir,         winFindFirst,     winFindNext,       winFindClose,   winGetProfile,
    winWriteProfile,  winModuleFileName, winLoadString,    winFindData,    winMemAlloc,
    winMemReAlloc,    winMemLock,       winMemUnlock,      winMemSize,     winMemFree,
    winHeapAlloc,     winHeapFree,      winLastError,      winSetLastError, winTempFolder,
    winWindowsFolder, winIsReadable,    winIsWritable,
};

}  // namespace

const UiServices& win32Ui();

const Ops& defaultOps() { return kWinOps; }

Ops& ops() {
  static Ops table = kWinOps;
  return table;
}

const UiServices& defaultUi() { return win32Ui(); }

UiServices& ui() {
  static UiServices table = win32Ui();
  return table;
}

}  // namespace plat
