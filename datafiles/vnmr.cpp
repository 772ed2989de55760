// The Varian VNMR format, reserved: never recognised, never read. The
// parameter reader only checks that the file can be opened and gives the
// record its one dimension; the data reader always fails.

#include "datafiles/convera_internal.h"

int NMRIsVNMR(const char*) { return 0; }

namespace {

bool usablePath(const char* path) {
  if (!plat::isReadable(path, 1)) return false;
  for (int i = 0; i < MAX_PATH; ++i)
    if (path[i] == 0) return true;
  return false;
}

}  // namespace

int NMRGetParVNMR(const char* path, SPECINFO* info) {
  if (!usablePath(path) || !plat::isWritable(info, sizeof *info)) return cv::kInvalidArgument;
  if (!cv::canOpen(path)) return cv::kOpenError;
  return info->SetDimension(1) ? cv::kOk : cv::kNoMemory;
}

int NMRReadVNMR(const char*, SPECINFO*, float*, float*) { return cv::kPrematureEnd; }
