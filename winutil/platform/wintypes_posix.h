// The few Windows type names that the portable interfaces carry, for the
// native build. Handles are opaque: portable code only passes them on, and
// the platform layer decides what they mean.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK

struct HWND__;
struct HINSTANCE__;
struct HDC__;
struct HMENU__;
struct HICON__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HDC = HDC__*;
using HMENU = HMENU__*;
using HICON = HICON__*;
using HANDLE = void*;
using HGLOBAL = HANDLE;

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using LPSTR = char*;
using LPCSTR = const char*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using COLORREF = DWORD;  // 0x00BBGGRR

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)))
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<std::uintptr_t>(p) >> 16) == 0)

#define RGB(r, g, b) \
  (static_cast<COLORREF>((static_cast<BYTE>(r)) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | \
                         (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(c) (static_cast<BYTE>(c))
#define GetGValue(c) (static_cast<BYTE>((c) >> 8))
#define GetBValue(c) (static_cast<BYTE>((c) >> 16))
#define LOWORD(l) (static_cast<WORD>(static_cast<std::uintptr_t>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<std::uintptr_t>(l) >> 16) & 0xffff))

struct RECT {
  LONG left, top, right, bottom;
};
struct POINT {
  LONG x, y;
};
struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// The record of the Open and Save dialogs; the native build answers them
// through the platform's file-choice service and uses the same members.
typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);
struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;

#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_ENABLEHOOK 0x00000020
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_SHAREAWARE 0x00004000
#define OFN_EXPLORER 0x00080000

#define EN_KILLFOCUS 0x0200
