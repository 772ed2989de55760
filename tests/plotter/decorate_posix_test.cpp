// Pages with a logo and text are still valid for Ghostscript.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "plotter/decorate.h"
#include "support/files.h"

namespace {

TEST(PostScriptDecorationGhostscript, AcceptsTheDecoratedPage) {
  if (std::system("gs --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "Ghostscript is not installed";
  qtest::TempDir dir;
  std::string ps = dir.file("plot.ps"), txt = dir.file("note.txt");
  qtest::writeBytes(ps, "%!PS-Adobe-3.0\r\n28.3465 28.3465 scale\r\n0.02 setlinewidth\r\n"
                        "newpath 1 1 moveto 5 5 lineto stroke\r\nshowpage\r\n");
  qtest::writeBytes(txt, "Ethanol (1H, 400 MHz) \\ unbalanced ) (\r\nsecond line\r\n");
  ASSERT_EQ(InsertLogo(ps.c_str(), 2, 20, 2), 0);
  ASSERT_EQ(InsertText(ps.c_str(), txt.c_str(), 2, 15, 0.5f), 0);
  std::string cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage '" + ps + "' >/dev/null 2>&1";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << qtest::readBytes(ps);
}

}  // namespace
