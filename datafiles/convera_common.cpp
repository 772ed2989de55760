// Pieces shared by Convera's readers.

#include <cfloat>
#include <cmath>
#include <cstring>

#include "datafiles/convera_internal.h"
#include "winutil/platform/module_entry.h"

namespace cv {

std::string text(int id) {
  char buf[1024];
  if (plat::loadString(ThisModule(), static_cast<UINT>(id), buf, sizeof buf) <= 0) return {};
  return buf;
}

int report(int context, int status) {
  bool common = (status >= kInvalidArgument && status <= kNoMemory) || status >= kSystemErrorBase;
  return CVErrMess(ThisModule(), CVTEXT(context), CVTEXT(status),
                   common ? (CVE_WINKIT | CVE_CALLER_CONTEXT) : 0);
}

bool usablePath(const char* path) {
  if (!plat::isReadable(path, 1)) return false;
  for (int i = 0; i < MAX_PATH; ++i)
    if (path[i] == 0) return true;
  return false;
}

bool asFloat(double v, float* out) {
  if (!(std::fabs(v) <= FLT_MAX)) return false;
  *out = static_cast<float>(v);
  return true;
}

std::size_t nameStart(const std::string& path) {
  std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? 0 : cut + 1;
}

std::string folderOf(const std::string& path) { return path.substr(0, nameStart(path)); }

std::string nameOf(const std::string& path) { return path.substr(nameStart(path)); }

char separatorOf(const std::string& path) {
  return path.find('\\') == std::string::npos && path.find('/') != std::string::npos ? '/' : '\\';
}

std::string inFolder(const std::string& folder, const char* name) {
  std::string direct = folder + name;
  char found[2 * MAX_PATH];
  std::string dir = folder;
  if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/') && dir.size() > 1) dir.pop_back();
  if (dir.empty()) dir = ".";
  if (plat::findNoCase(dir.c_str(), name, found, sizeof found)) {
    // Keep the caller's spelling of the folder; take the name as on disk.
    std::string f = found;
    return folder + f.substr(nameStart(f));
  }
  return direct;
}

HANDLE openRead(const std::string& path) {
  return plat::openFile(path.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                        plat::Disposition::OpenExisting);
}

bool canOpen(const std::string& path) {
  plat::File f(openRead(path));
  return f.ok();
}

void swapWords(void* words, long count) {
  auto* b = static_cast<unsigned char*>(words);
  for (long i = 0; i < count; ++i, b += 4) {
    unsigned char t0 = b[0], t1 = b[1];
    b[0] = b[3];
    b[1] = b[2];
    b[2] = t1;
    b[3] = t0;
  }
}

namespace {

void integersToFloats(float* values, long count) {
  for (long i = 0; i < count; ++i) {
    std::int32_t v;
    std::memcpy(&v, &values[i], 4);
    values[i] = static_cast<float>(v);
  }
}

bool anyNaN(const float* values, long count) {
  for (long i = 0; i < count; ++i)
    if (std::isnan(values[i])) return true;
  return false;
}

}  // namespace

// Words converted from integers cannot be undefined; words stored as floats
// can, and are checked too (the format never stores an undefined value).
int convertWords(SPECINFO* info, float* real, float* imag, long count, const char* path) {
  unsigned mode = info->GetAQMode(1);
  if (!(mode & AQ_FLOATDATA)) {
    unsigned flag = (info->GetDataFormat() & DF_FID) ? AQ_BIGENDIAN_ACQ : AQ_BIGENDIAN_PROC;
    for (float* b : {real, imag}) {
      if (!b) continue;
      if (mode & flag) swapWords(b, count);
      integersToFloats(b, count);
    }
  } else {
    long si = info->GetSI(1);
    if (si > count) si = count;
    for (float* b : {real, imag})
      if (b && anyNaN(b, si)) return kNaN;
  }
  info->SetModTime(GetTimeLastModified(path));
  return kOk;
}

}  // namespace cv
