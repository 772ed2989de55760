// The settings-file engine of the native build: the private-profile read and
// write functions with the behaviour of their Windows counterparts. The files
// are read and written through the platform's file operations.
#pragma once

#include "winutil/platform/platform.h"

namespace plat {
namespace ini {

// GetPrivateProfileStringA: the value of `key` in `section` of `file`, or
// `fallback` when either is missing. With a null key: the key names of the
// section, each NUL-terminated, with a second NUL at the end; with a null
// section: the section names. Returns the number of characters copied, not
// counting the terminating NUL (size - 1, or size - 2 for a list, when the
// buffer was too small).
DWORD getString(const char* section, const char* key, const char* fallback, char* buffer,
                DWORD size, const char* file);

// WritePrivateProfileStringA: sets `key` of `section` to `value`, creating the
// file, the section or the key as needed. A null value removes the key; a null
// key removes the whole section. Returns FALSE when the file cannot be written.
BOOL writeString(const char* section, const char* key, const char* value, const char* file);

}  // namespace ini
}  // namespace plat
