// Temporary folders and small file helpers for tests.
#pragma once

#include <string>

namespace qtest {

// A fresh folder under the platform's temporary folder, removed with its
// files when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // The path of `name` inside the folder.
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);  // empty when missing
bool fileExists(const std::string& path);

// The folder of real data sets made by other software; empty when absent.
std::string testdataDir();

}  // namespace qtest

// Skips the current test when the real data sets are not there.
#define QTEST_REQUIRE_TESTDATA(dir)                                              \
  do {                                                                           \
    dir = qtest::testdataDir();                                                  \
    if (dir.empty()) GTEST_SKIP() << "real data sets not found (../shared/testdata)"; \
  } while (0)
