#include "winutil/platform/module_entry.h"

// The linker places the image's DOS header at the module's load address,
// which is its instance handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }
