// Scalora's module handle, kept from load; it selects the library's own
// string table and data resources.
#include "scalora_export.h"
#include "winutil/platform/module_entry.h"

SCALORA_API HINSTANCE ScaloraModule() { return ThisModule(); }
