// Convera's module handle, kept from load; it selects the library's own
// string table and data resources.
#include "convera_export.h"
#include "winutil/platform/module_entry.h"

CONVERA_API HINSTANCE ConveraModule() { return ThisModule(); }
