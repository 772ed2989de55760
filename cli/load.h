// Loading a data set through Convera's public functions, as the spectrum
// object does: detect, read the parameters, size the buffers, read.
#pragma once

#include <string>
#include <vector>

#include "datafiles/specinfo.h"

namespace cli {

struct DataSet {
  SPECINFO info;
  std::vector<float> real;
  std::vector<float> imag;  // empty when the data set has no imaginary part
  int format = 0;
};

// The name of a fileformat value.
const char* formatName(int format);

// Loads `path`; false after the failure was printed on standard error.
bool load(const std::string& path, DataSet& out);

}  // namespace cli
