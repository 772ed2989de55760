// Windows type names used by the exported interfaces. The build names the
// header that defines them for the platform being built.
#pragma once

#include QUINTAR_WINTYPES_HEADER
