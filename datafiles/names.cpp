// Names of data files and their companions.

#include <cstring>
#include <string>

#include "datafiles/convera_internal.h"

int MakeFileName(char* out, const char* in, unsigned type) {
  if (!plat::isWritable(out, MAX_PATH)) return 1;
  if (!plat::isReadable(in, 1)) {
    out[0] = 0;
    return 1;
  }
  std::string path(in, strnlen(in, MAX_PATH - 1));
  std::size_t start = cv::nameStart(path);
  std::string folder = path.substr(0, start), name = path.substr(start);
  std::size_t dot = name.find_last_of('.');
  std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  std::string result = path;
  if ((type >= 1 && type <= 16) || type == 33) {
    result = folder + base + cv::text(cv::kTextCompanionBase + static_cast<int>(type));
  } else if (type >= 17 && type <= 32) {
    result = folder + cv::text(cv::kTextCompanionBase + static_cast<int>(type));
  }
  // A companion name that would not fit is not cut into the name of some
  // other file: the result is then empty, which no reader can open.
  if (result.size() >= MAX_PATH) result.clear();
  std::memcpy(out, result.c_str(), result.size() + 1);
  return 1;
}
