// The error box of all modules.

#include <cstdio>
#include <cstring>

#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"
#include "winutil/winkit_ids.h"

HINSTANCE CVWinkitModule() { return ThisModule(); }

namespace {

constexpr int kText = 280;

bool isNumber(LPCSTR t) { return IS_INTRESOURCE(t); }

WORD low16(LPCSTR t) { return static_cast<WORD>(reinterpret_cast<std::uintptr_t>(t) & 0xFFFF); }

// Fills `out` with the text `ref` and tells whether there is one: an address
// always counts, a number when the selected string table holds it.
bool resolve(LPCSTR ref, HINSTANCE table, char* out) {
  out[0] = 0;
  if (ref == nullptr) return false;
  if (!isNumber(ref)) {
    plat::copyText(out, kText, ref);
    return true;
  }
  return plat::loadString(table, low16(ref), out, kText) > 0;
}

// The file name of the module, without its folder.
void captionOf(HINSTANCE module, char* out, std::size_t size) {
  char path[MAX_PATH + 1] = "";
  DWORD n = plat::ops().moduleFileName(module, path, sizeof path - 1);
  path[n < sizeof path ? n : sizeof path - 1] = 0;
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') name = p + 1;
  plat::copyText(out, size, name);
}

}  // namespace

int CVErrMess(HINSTANCE module, LPCSTR context, LPCSTR reason, UINT flags) {
  plat::WorkArea work(3 * kText);
  if (!work) return 0;
  // Work area as the box has always taken it: the message, the context and
  // the reason. The message itself is composed in a buffer that holds two
  // texts of full length, which a single 280-byte buffer would cut.
  char* contextText = work.get() + kText;
  char* reasonText = contextText + kText;

  HINSTANCE winkit = ThisModule();
  HINSTANCE contextTable = (flags & CVE_WINKIT) && !(flags & CVE_CALLER_CONTEXT) ? winkit : module;
  HINSTANCE reasonTable = (flags & CVE_WINKIT) && !(flags & CVE_CALLER_REASON) ? winkit : module;
  bool haveContext = resolve(context, contextTable, contextText);
  bool haveReason = resolve(reason, reasonTable, reasonText);
  if (!haveContext && !haveReason) {
    plat::loadString(winkit, kTextInvalidErrorCode, contextText, kText);
    plat::loadString(winkit, kTextInvalidInstruction, reasonText, kText);
  }

  char format[kText];
  if (plat::loadString(winkit, kTextErrorFormat, format, sizeof format) <= 0)
    plat::copyText(format, sizeof format, "Error: %d - Code: %d\r\n%s\r\n%s");
  char composed[3 * kText + 64];
  std::snprintf(composed, sizeof composed, format, static_cast<int>(low16(context)),
                static_cast<int>(low16(reason)), contextText, reasonText);

  char caption[MAX_PATH];
  captionOf(module, caption, sizeof caption);
  plat::ui().errorBox(caption, composed);
  return 0;
}
