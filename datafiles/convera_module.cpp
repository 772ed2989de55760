// Convera's module handle, kept from load; it selects the library's own
// string table, dialogs and data resources.
#include "datafiles/convera.h"
#include "winutil/platform/module_entry.h"

HINSTANCE ConveraModule() { return ThisModule(); }
