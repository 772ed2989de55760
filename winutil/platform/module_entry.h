// The module handle of the library or program this file is built into. It is
// kept from the moment the module is loaded and selects the module's own
// string table and data resources.
#pragma once

#include "winutil/platform/wintypes.h"

HINSTANCE ThisModule();
