// The platform layer: the one boundary between the package and the operating
// system. Everything above it reaches files, settings, module resources,
// memory blocks and the user-interface services through the tables below.
//
// Each entry of `plat::Ops` and `plat::UiServices` is a replaceable pointer:
// a test may swap one for a version that fails on the n-th call, or for a
// scripted answerer, and put the saved table back afterwards.
//
// Contracts shared by all file operations:
// - failures return INVALID_HANDLE_VALUE / FALSE / 0 and set the last error to
//   a Windows error number (2 file not found, 3 path not found, 5 access
//   denied, 32 sharing violation, 8 not enough memory, ...);
// - paths may use "\" or "/" as the separator on every platform;
// - a read past the end of a file is not an error: it reports fewer bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "winutil/platform/wintypes.h"
#include "winkit_export.h"

namespace plat {

// Windows error numbers the package relies on.
constexpr DWORD kErrNone = 0;
constexpr DWORD kErrInvalidFunction = 1;
constexpr DWORD kErrFileNotFound = 2;
constexpr DWORD kErrPathNotFound = 3;
constexpr DWORD kErrAccessDenied = 5;
constexpr DWORD kErrInvalidHandle = 6;
constexpr DWORD kErrNotEnoughMemory = 8;
constexpr DWORD kErrInvalidData = 13;
constexpr DWORD kErrNoMoreFiles = 18;
constexpr DWORD kErrWriteFault = 29;
constexpr DWORD kErrReadFault = 30;
constexpr DWORD kErrSharingViolation = 32;
constexpr DWORD kErrHandleEof = 38;
constexpr DWORD kErrFileExists = 80;
constexpr DWORD kErrInvalidParameter = 87;
constexpr DWORD kErrDiskFull = 112;
constexpr DWORD kErrAlreadyExists = 183;

// File attribute bits as Windows reports them.
constexpr DWORD kAttrReadOnly = 0x01;
constexpr DWORD kAttrDirectory = 0x10;
constexpr DWORD kAttrNormal = 0x80;
constexpr DWORD kAttrInvalid = 0xFFFFFFFFu;

enum class Access { Read, Write, ReadWrite };
enum class Share { Exclusive, Read, ReadWrite };
enum class Disposition { OpenExisting, CreateAlways, OpenAlways, CreateNew };
enum class Seek { Begin, Current, End };

struct FindData {
  char name[MAX_PATH];  // file name without folder
  DWORD attributes;
  std::uint64_t size;
};

struct Ops {
  // files
  HANDLE (*openFile)(const char* path, Access access, Share share, Disposition disposition);
  BOOL (*readFile)(HANDLE file, void* buffer, DWORD count, DWORD* got);
  BOOL (*writeFile)(HANDLE file, const void* buffer, DWORD count, DWORD* put);
  BOOL (*seekFile)(HANDLE file, std::int64_t offset, Seek from, std::int64_t* position);
  BOOL (*fileSize)(HANDLE file, std::uint64_t* size);
  BOOL (*closeFile)(HANDLE file);
  DWORD (*fileAttributes)(const char* path);  // kAttrInvalid when it does not exist
  // Last write time as a Windows FILETIME count (100 ns since 1601-01-01 UTC).
  BOOL (*lastWriteTime)(const char* path, std::uint64_t* fileTime);
  BOOL (*deleteFile)(const char* path);
  BOOL (*renameFile)(const char* from, const char* to);
  BOOL (*createDirectory)(const char* path);
  BOOL (*removeDirectory)(const char* path);  // an empty folder
  // Directory enumeration: `pattern` is a folder and a name with * and ?.
  HANDLE (*findFirst)(const char* pattern, FindData* found);
  BOOL (*findNext)(HANDLE search, FindData* found);
  BOOL (*findClose)(HANDLE search);

  // settings files, with the semantics of the Windows private-profile functions
  DWORD (*getProfileString)(const char* section, const char* key, const char* fallback,
                            char* buffer, DWORD size, const char* file);
  BOOL (*writeProfileString)(const char* section, const char* key, const char* value,
                             const char* file);

  // modules: a null module is the program itself
  DWORD (*moduleFileName)(HINSTANCE module, char* buffer, DWORD size);
  int (*loadString)(HINSTANCE module, UINT id, char* buffer, int size);  // 0: no such text
  const void* (*findData)(HINSTANCE module, UINT id, DWORD* size);      // RCDATA record

  // movable, zero-filled memory blocks shared by all libraries
  HGLOBAL (*memAlloc)(std::size_t bytes);
  HGLOBAL (*memReAlloc)(HGLOBAL block, std::size_t bytes);  // new bytes zero-filled
  void* (*memLock)(HGLOBAL block);
  BOOL (*memUnlock)(HGLOBAL block);
  std::size_t (*memSize)(HGLOBAL block);
  HGLOBAL (*memFree)(HGLOBAL block);  // null on success, the block on failure
  // zero-filled work areas from the process heap
  void* (*heapAlloc)(std::size_t bytes);
  void (*heapFree)(void* p);

  // system
  DWORD (*lastError)();
  void (*setLastError)(DWORD code);
  DWORD (*tempFolder)(char* buffer, DWORD size);     // ends in a separator
  DWORD (*windowsFolder)(char* buffer, DWORD size);  // no trailing separator
  // Caller-supplied pointer checks. The native build can only refuse null
  // and small integer values; Windows asks the memory manager.
  BOOL (*isReadable)(const void* p, std::size_t bytes);
  BOOL (*isWritable)(void* p, std::size_t bytes);
};

// The file-choice request of the Open and Save services.
struct FileChoice {
  BOOL save;            // Save As instead of Open
  const char* title;    // caption, or null
  const char* filter;   // double-NUL-terminated list of descriptions and patterns, or null
  const char* folder;   // initial folder, or null
  const char* defExt;   // default extension without the point, or null
  char* file;           // in: initial name; out: the chosen path
  DWORD fileSize;       // bytes at `file`
  BOOL mustExist;       // Open: the file must exist
  BOOL confirmOverwrite;  // Save: ask before replacing a file
  // The caller's complete dialog record, when there is one: Windows runs the
  // common dialog on it; the other members describe the same request.
  OPENFILENAMEA* dialog;
};

struct UiServices {
  // A modal error box: caption and text (lines separated by CR LF).
  void (*errorBox)(const char* caption, const char* text);
  // A value prompt: TRUE with the text in `buffer`, FALSE when refused.
  BOOL (*askValue)(HWND owner, const char* caption, const char* prompt, char* buffer, int size);
  // The re-entry prompt after a refused value; `buffer` holds the refused
  // text on entry and the new one on exit. There is no cancel.
  BOOL (*askAgain)(HWND owner, const char* prompt, char* buffer, int size);
  BOOL (*askYesNo)(HWND owner, const char* caption, const char* text);
  // File choice: TRUE when a name was chosen; FALSE with `*error` 0 when the
  // user cancelled, or the common-dialog error code.
  BOOL (*chooseFile)(HWND owner, FileChoice* request, DWORD* error);
};

WINKIT_API Ops& ops();
WINKIT_API UiServices& ui();
// The tables as the platform builds them, to restore after a test.
WINKIT_API const Ops& defaultOps();
WINKIT_API const UiServices& defaultUi();

// ---- conveniences over the table ---------------------------------------

inline HANDLE openFile(const char* p, Access a, Share s, Disposition d) { return ops().openFile(p, a, s, d); }
inline BOOL readFile(HANDLE f, void* b, DWORD n, DWORD* got) { return ops().readFile(f, b, n, got); }
inline BOOL writeFile(HANDLE f, const void* b, DWORD n, DWORD* put) { return ops().writeFile(f, b, n, put); }
inline BOOL seekFile(HANDLE f, std::int64_t o, Seek s, std::int64_t* pos) { return ops().seekFile(f, o, s, pos); }
inline BOOL fileSize(HANDLE f, std::uint64_t* size) { return ops().fileSize(f, size); }
inline BOOL closeFile(HANDLE f) { return ops().closeFile(f); }
inline DWORD lastError() { return ops().lastError(); }
inline void setLastError(DWORD e) { ops().setLastError(e); }
inline void* heapAlloc(std::size_t n) { return ops().heapAlloc(n); }
inline void heapFree(void* p) { if (p) ops().heapFree(p); }
inline BOOL isReadable(const void* p, std::size_t n) { return ops().isReadable(p, n); }
inline BOOL isWritable(void* p, std::size_t n) { return ops().isWritable(p, n); }
inline int loadString(HINSTANCE m, UINT id, char* b, int n) { return ops().loadString(m, id, b, n); }

// Case-insensitive lookup of `name` in `folder`, as a Windows file system
// resolves names. On success the full path of the existing entry (folder,
// separator, name as spelled on disk) is in `out` and TRUE is returned.
WINKIT_API BOOL findNoCase(const char* folder, const char* name, char* out, std::size_t outSize);

// Whether `path` names an existing file or folder.
WINKIT_API BOOL exists(const char* path);

// Copies at most size - 1 characters and always terminates; TRUE when all fit.
WINKIT_API BOOL copyText(char* to, std::size_t size, const char* from);

// Heap work area that frees itself.
class WorkArea {
 public:
  explicit WorkArea(std::size_t bytes) : p_(static_cast<char*>(heapAlloc(bytes))) {}
  ~WorkArea() { heapFree(p_); }
  WorkArea(const WorkArea&) = delete;
  WorkArea& operator=(const WorkArea&) = delete;
  char* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  char* p_;
};

// An open file that closes itself.
class File {
 public:
  File() = default;
  explicit File(HANDLE h) : h_(h) {}
  ~File() { reset(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  HANDLE get() const { return h_; }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
  void reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (h_ != INVALID_HANDLE_VALUE) closeFile(h_);
    h_ = h;
  }
  HANDLE release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

}  // namespace plat
