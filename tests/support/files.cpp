#include "support/files.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <vector>

#include "support/faults.h"
#include "winutil/platform/platform.h"

namespace qtest {
namespace {

void removeFolder(const std::string& folder) { realOps().removeDirectory(folder.c_str()); }

char separator(const std::string& folder) {
  return folder.find('/') != std::string::npos ? '/' : '\\';
}

void removeTree(const std::string& folder) {
  const plat::Ops& o = realOps();
  plat::FindData found;
  std::string pattern = folder + separator(folder) + "*";
  HANDLE h = o.findFirst(pattern.c_str(), &found);
  std::vector<std::string> dirs;
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.name;
      if (name == "." || name == "..") continue;
      std::string full = folder + separator(folder) + name;
      if (found.attributes & plat::kAttrDirectory) {
        dirs.push_back(full);
      } else {
        o.deleteFile(full.c_str());
      }
    } while (o.findNext(h, &found));
    o.findClose(h);
  }
  for (const auto& d : dirs) removeTree(d);
  removeFolder(folder);
}

}  // namespace

TempDir::TempDir() {
  static int counter = 0;
  char base[MAX_PATH];
  realOps().tempFolder(base, sizeof base);
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "quintar-test-%lu-%d", static_cast<unsigned long>(std::time(nullptr)) % 100000, ++counter);
    std::string p = std::string(base) + name;
    if (realOps().createDirectory(p.c_str())) {
      path_ = p;
      return;
    }
  }
}

TempDir::~TempDir() {
  if (!path_.empty()) removeTree(path_);
}

std::string TempDir::file(const std::string& name) const { return path_ + separator(path_) + name; }

void writeBytes(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string readBytes(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return {};
  std::string out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

bool fileExists(const std::string& path) {
  return realOps().fileAttributes(path.c_str()) != plat::kAttrInvalid;
}

std::string testdataDir() {
  const char* env = std::getenv("QUINTAR_TESTDATA");
  std::string d = env && *env ? env : QUINTAR_TESTDATA;
  return realOps().fileAttributes(d.c_str()) & plat::kAttrDirectory &&
                 realOps().fileAttributes(d.c_str()) != plat::kAttrInvalid
             ? d
             : std::string();
}

}  // namespace qtest
