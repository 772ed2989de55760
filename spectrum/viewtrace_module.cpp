// Viewtrace's module handle, kept from load; it selects the library's own
// string table and data resources.
#include "viewtrace_export.h"
#include "winutil/platform/module_entry.h"

VIEWTRACE_API HINSTANCE ViewtraceModule() { return ThisModule(); }
