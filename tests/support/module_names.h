// File names of the package's modules, as the error box shows them.
#pragma once

#include <string>

#include "winutil/platform/platform.h"

namespace qtest {

// The file name without folder of a module (the program's for null).
inline std::string moduleName(HINSTANCE module) {
  char path[MAX_PATH] = "";
  plat::ops().moduleFileName(module, path, sizeof path);
  std::string p = path;
  auto cut = p.find_last_of("\\/");
  return cut == std::string::npos ? p : p.substr(cut + 1);
}

}  // namespace qtest
