// Resource tables of a module in the native build. The build derives one
// table per library and program from its resource source; the library's
// start-up registers it and receives the module handle.
#pragma once

#include <cstddef>

#include "winutil/platform/platform.h"

namespace plat {

struct StringResource {
  UINT id;
  const char* text;
};

struct DataResource {
  UINT id;
  const unsigned char* bytes;
  DWORD size;
};

struct ResourceTable {
  const StringResource* strings;
  std::size_t stringCount;
  const DataResource* data;
  std::size_t dataCount;
};

// Registers the resources of the module that contains `addressInModule` and
// returns its handle; the module's file name is the file that address lies in.
WINKIT_API HINSTANCE registerModule(const ResourceTable* table, const void* addressInModule);
WINKIT_API void unregisterModule(HINSTANCE module);

}  // namespace plat
