// Calcura's module handle, kept from load; it selects the library's own
// string table and data resources.
#include "calcura_export.h"
#include "winutil/platform/module_entry.h"

CALCURA_API HINSTANCE CalcuraModule() { return ThisModule(); }
