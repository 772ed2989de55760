// The block reader behind the record lookups splits lines exactly as
// Winkit's line reader and leaves the file where that reader would.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "datafiles/scan_internal.h"
#include "support/files.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

// The n-th line containing `label`, found with CVlgets, and the position after it.
bool reference(HANDLE f, const char* label, int n, std::string* line, std::int64_t* pos) {
  plat::seekFile(f, 0, plat::Seek::Begin, nullptr);
  char buf[80];
  int seen = 0;
  while (CVlgets(buf, sizeof buf, f)) {
    if (std::string(buf).find(label) != std::string::npos && ++seen == n) {
      *line = buf;
      plat::seekFile(f, 0, plat::Seek::Current, pos);
      return true;
    }
  }
  return false;
}

TEST(ScanBlockLines, SameLinesAndPositionAsTheLineReader) {
  std::mt19937 rng(7);
  const char* pieces[] = {"\r\n", "\n\r", "\r\r", "\n\n", "\n", "\r", "ab", "x=1", "LABEL", " ", "0123456789"};
  qtest::TempDir dir;
  for (int round = 0; round < 200; ++round) {
    std::string text;
    int parts = static_cast<int>(rng() % 400);
    for (int k = 0; k < parts; ++k) text += pieces[rng() % 11];
    if (rng() % 3 == 0) text += std::string(150 + rng() % 200, 'L');  // longer than a line area
    std::string path = dir.file("t" + std::to_string(round));
    qtest::writeBytes(path, text);
    plat::File f(plat::openFile(path.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                                plat::Disposition::OpenExisting));
    ASSERT_TRUE(f.ok());
    for (int n = 1; n <= 3; ++n) {
      std::string want;
      std::int64_t wantPos = -1, gotPos = -2;
      bool found = reference(f.get(), "LABEL", n, &want, &wantPos);
      char line[cv::kLabelLineSize];
      int status = cv::seekLabelLine(f.get(), "LABEL", n, line);
      plat::seekFile(f.get(), 0, plat::Seek::Current, &gotPos);
      ASSERT_EQ(status == 0, found) << "round " << round << " n " << n;
      if (found) {
        EXPECT_EQ(line, want) << "round " << round;
        EXPECT_EQ(gotPos, wantPos) << "round " << round;
      }
    }
  }
}

}  // namespace
