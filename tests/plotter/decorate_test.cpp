// Logo and text added to a PostScript page.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "plotter/decorate.h"
#include "support/files.h"

namespace {

const std::string kPage =
    "%!PS-Adobe-3.0\r\n28.3465 28.3465 scale\r\nnewpath 1 1 moveto 5 5 lineto stroke\r\nshowpage\r\n";

int count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

TEST(PostScriptLogo, PlacedByItsTopLeftCornerAndHeight) {
  qtest::TempDir dir;
  std::string ps = dir.file("plot.ps");
  qtest::writeBytes(ps, kPage);
  ASSERT_EQ(InsertLogo(ps.c_str(), 24, 17, 0.5f), 0);
  std::string out = qtest::readBytes(ps);
  double s = 0.5 / 99;
  char translate[80];
  std::snprintf(translate, sizeof translate, "%.5f %.5f translate\r\n", 24 - 72 * s, 17 - 464 * s);
  EXPECT_NE(out.find(translate), std::string::npos) << out;
  EXPECT_NE(out.find("1.00000 setlinewidth\r\n"), std::string::npos);
  EXPECT_EQ(out.compare(0, kPage.size() - 10, kPage, 0, kPage.size() - 10), 0);  // the plot stays
  // A second logo replaces the closing line the first wrote.
  ASSERT_EQ(InsertLogo(ps.c_str(), 2, 3, 1), 0);
  out = qtest::readBytes(ps);
  EXPECT_EQ(count(out, "showpage"), 1);
  EXPECT_EQ(count(out, "gsave"), 2);
  EXPECT_EQ(out.substr(out.size() - 20), "grestore\r\nshowpage\r\n");
}

TEST(PostScriptText, LinesAreSpacedAndEscaped) {
  qtest::TempDir dir;
  std::string ps = dir.file("plot.ps"), txt = dir.file("note.txt");
  qtest::writeBytes(ps, kPage);
  qtest::writeBytes(txt, "first line\r\n(second) \\ line\r\nthird)\r\n");
  ASSERT_EQ(InsertText(ps.c_str(), txt.c_str(), 2, 20, 0.5f), 0);
  std::string out = qtest::readBytes(ps);
  EXPECT_NE(out.find("/Courier findfont\r\n 0.500 scalefont\r\n setfont\r\n"), std::string::npos);
  EXPECT_NE(out.find("2.00000 20.00000 moveto\r\n(first line)show\r\n"), std::string::npos) << out;
  EXPECT_NE(out.find("2.00000 19.40000 moveto\r\n(\\(second\\) \\\\ line)show\r\n"), std::string::npos);
  EXPECT_NE(out.find("2.00000 18.80000 moveto\r\n(third\\))show\r\n"), std::string::npos);
  EXPECT_EQ(count(out, "moveto\r\n("), 3);
  EXPECT_EQ(count(out, "showpage"), 1);
}

TEST(PostScriptDecoration, LinesAfterTheShowpageLineStay) {
  qtest::TempDir dir;
  std::string ps = dir.file("plot.ps");
  qtest::writeBytes(ps, kPage + "%%Trailer\r\n%%EOF\r\n");
  ASSERT_EQ(InsertLogo(ps.c_str(), 1, 1, 1), 0);
  std::string out = qtest::readBytes(ps);
  const std::string tail = "grestore\r\nshowpage\r\n%%Trailer\r\n%%EOF\r\n";
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
  EXPECT_EQ(count(out, "showpage"), 1);
}

TEST(PostScriptDecoration, RefusalsLeaveTheFileAlone) {
  qtest::TempDir dir;
  std::string ps = dir.file("other.ps"), txt = dir.file("note.txt");
  const std::string noShowpage = "%!PS\r\nnewpath 0 0 moveto 1 1 lineto stroke\r\n";
  qtest::writeBytes(ps, noShowpage);
  qtest::writeBytes(txt, "x\r\n");
  EXPECT_EQ(InsertLogo(ps.c_str(), 1, 1, 1), 118);
  EXPECT_EQ(InsertText(ps.c_str(), txt.c_str(), 1, 1, 1), 118);
  EXPECT_EQ(qtest::readBytes(ps), noShowpage);
  EXPECT_EQ(InsertLogo(dir.file("missing.ps").c_str(), 1, 1, 1), 56);
  EXPECT_EQ(InsertText(ps.c_str(), dir.file("missing.txt").c_str(), 1, 1, 1), 56);
  EXPECT_EQ(InsertLogo(nullptr, 1, 1, 1), 56);
  EXPECT_FALSE(qtest::fileExists(dir.file("missing.ps")));
}

}  // namespace
