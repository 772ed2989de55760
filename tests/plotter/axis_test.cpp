// The plot axis in HPGL and PostScript. The written commands are read back
// into ticks and labels; every file is also read by Ghostscript or hp2xx.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "oracle.h"
#include "plotter/axis.h"
#include "plotter/layout.h"
#include "plotter/plotwriter.h"
#include "support/files.h"

namespace {

struct Segment {
  double x1, y1, x2, y2;
};
struct Label {
  double x, y;     // anchor (HPGL) or baseline point (PostScript)
  double cx, cy;   // HPGL character move
  std::string text;
};
struct Drawn {
  std::vector<Segment> lines;  // the axis line first, then the ticks
  std::vector<Label> labels;   // the tick labels, then the legend
};

std::vector<double> numbers(const std::string& s, char separator) {
  std::vector<double> out;
  std::stringstream in(s);
  std::string part;
  while (std::getline(in, part, separator))
    if (!part.empty()) out.push_back(std::strtod(part.c_str(), nullptr));
  return out;
}

// HPGL: ";PU x,y;PD x,y;" is a line, ";PU x,y;CP dx,dy;LB text<ETX>" a label.
Drawn readHpgl(const std::string& s) {
  Drawn d;
  std::vector<double> at;
  std::vector<double> move;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == ';') {
      ++i;
      continue;
    }
    std::string op = s.substr(i, 2);
    i += 2;
    std::string args;
    if (op == "LB") {
      std::size_t end = s.find('\x03', i);
      args = s.substr(i, end - i);
      i = end == std::string::npos ? s.size() : end + 1;
    } else {
      std::size_t end = s.find(';', i);
      args = s.substr(i, end - i);
      i = end == std::string::npos ? s.size() : end;
    }
    if (op == "PU") {
      at = numbers(args, ',');
    } else if (op == "PD" && at.size() == 2) {
      std::vector<double> to = numbers(args, ',');
      d.lines.push_back({at[0], at[1], to[0], to[1]});
    } else if (op == "CP") {
      move = numbers(args, ',');
    } else if (op == "LB" && at.size() == 2 && move.size() == 2) {
      d.labels.push_back({at[0], at[1], move[0], move[1], args});
    }
  }
  return d;
}

// PostScript: "newpath / x y moveto / x y lineto / stroke" is a line,
// "x y moveto / (text) ct" a label.
Drawn readPostScript(const std::string& s) {
  std::vector<std::string> lines;
  std::stringstream in(s);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  Drawn d;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == "newpath" && i + 3 < lines.size()) {
      std::vector<double> a = numbers(lines[i + 1], ' ');
      std::vector<double> b = numbers(lines[i + 2], ' ');
      d.lines.push_back({a[0], a[1], b[0], b[1]});
      i += 3;
    } else if (lines[i].find(" moveto") != std::string::npos && lines[i + 1].size() > 5 &&
               lines[i + 1][0] == '(' && lines[i + 1].substr(lines[i + 1].size() - 4) == ") ct") {
      std::vector<double> a = numbers(lines[i], ' ');
      d.labels.push_back({a[0], a[1], 0, 0, lines[i + 1].substr(1, lines[i + 1].size() - 5)});
      ++i;
    }
  }
  return d;
}

AXISPAR defaultAxis() {
  LAYOUT l;
  SetLayoutDefaults(&l);
  return l.axis;
}

std::vector<std::string> texts(const std::vector<Label>& labels) {
  std::vector<std::string> out;
  for (const Label& l : labels) out.push_back(l.text);
  return out;
}

class AxisTest : public ::testing::Test {
 protected:
  // Writes a complete file (header, axis, page end) and returns what the
  // axis wrote; the file is checked by its reader.
  std::string axis(int dialect, const AXISPAR& a, float F1, float F2, float CX = 22,
                   float xoffset = 1, float yoffset = 5) {
    LAYOUT l;
    SetLayoutDefaults(&l);
    std::string path = dir_.file("axis" + std::to_string(++files_) +
                                 (dialect == PLOT_POSTSCRIPT ? ".ps" : ".plt"));
    PlotFile f;
    EXPECT_EQ(0, f.Open(path.c_str(), 0, dialect));
    f.WriteHeader(l.plot);
    f.Close();
    std::size_t header = qtest::readBytes(path).size();
    EXPECT_EQ(0, f.Open(path.c_str(), 0, dialect));
    f.WriteHeader(l.plot);
    WriteAxis(a, dialect, F1, F2, CX, xoffset, yoffset, f);
    f.EndPage();
    f.Close();
    std::string bytes = qtest::readBytes(path);
    if (dialect == PLOT_POSTSCRIPT) {
      EXPECT_TRUE(plottest::ghostscriptAccepts(path));
      bytes.resize(bytes.size() - 10);  // "showpage\r\n"
    } else if (dialect == PLOT_HPGL) {
      EXPECT_TRUE(plottest::hp2xxAccepts(path));
    }
    return bytes.substr(header);
  }

  Drawn drawn(int dialect, const AXISPAR& a, float F1, float F2) {
    std::string s = axis(dialect, a, F1, F2);
    return dialect == PLOT_HPGL ? readHpgl(s) : readPostScript(s);
  }

  qtest::TempDir dir_;
  int files_ = 0;
};

TEST_F(AxisTest, DefaultLayoutAxis) {
  AXISPAR a = defaultAxis();
  for (int dialect : {PLOT_HPGL, PLOT_POSTSCRIPT}) {
    SCOPED_TRACE(dialect == PLOT_HPGL ? "HPGL" : "PostScript");
    Drawn d = drawn(dialect, a, 100, -100);
    ASSERT_EQ(22u, d.lines.size());  // the axis line and 21 ticks
    const Segment& line = d.lines[0];
    EXPECT_DOUBLE_EQ(1, line.x1);
    EXPECT_DOUBLE_EQ(23, line.x2);
    EXPECT_DOUBLE_EQ(4, line.y1);  // base 5 + axis offset -1
    EXPECT_DOUBLE_EQ(4, line.y2);
    // From -100 at the right end to 100 at the left; every fifth tick, from
    // tick 0, is a major one of 1.5 x 0.3 cm.
    for (int i = -10; i <= 10; ++i) {
      SCOPED_TRACE(i);
      const Segment& t = d.lines[static_cast<std::size_t>(i + 11)];
      EXPECT_NEAR(12 - 1.1 * i, t.x1, 1e-5);
      EXPECT_DOUBLE_EQ(t.x1, t.x2);
      EXPECT_DOUBLE_EQ(4, t.y2);
      EXPECT_NEAR(i % 5 == 0 ? 3.55 : 3.7, t.y1, 1e-5);
    }
    ASSERT_EQ(6u, d.labels.size());
    EXPECT_EQ((std::vector<std::string>{"-100", "-50", "0", "50", "100", "[ppm]"}),
              texts(d.labels));
    const double xs[] = {23, 17.5, 12, 6.5, 1, 12};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_NEAR(xs[i], d.labels[i].x, 1e-5);
    if (dialect == PLOT_HPGL) {
      EXPECT_NEAR(3.55, d.labels[2].y, 1e-5);
      EXPECT_DOUBLE_EQ(-0.5, d.labels[2].cx);
      EXPECT_DOUBLE_EQ(-1, d.labels[2].cy);
      EXPECT_DOUBLE_EQ(-2, d.labels[0].cx);
      EXPECT_NEAR(3.05, d.labels[5].y, 1e-5);  // legend: one character height lower
      EXPECT_DOUBLE_EQ(-2.5, d.labels[5].cx);
      EXPECT_DOUBLE_EQ(-2, d.labels[5].cy);
    } else {
      EXPECT_NEAR(3.55 - 0.6, d.labels[2].y, 1e-5);  // 0.45 + 1.2 x 0.5 below the axis
      EXPECT_NEAR(3.05 - 1.0, d.labels[5].y, 1e-5);
    }
  }
}

TEST_F(AxisTest, CommandTextsOfTheAxisLineAndALabel) {
  AXISPAR a = defaultAxis();
  std::string hpgl = axis(PLOT_HPGL, a, 100, -100);
  EXPECT_EQ(0u, hpgl.find("LT;SP1;;PU 1.00000, 4.00000;PD23.00000, 4.00000;SI 0.33500, 0.50000;"));
  EXPECT_NE(std::string::npos, hpgl.find(";PU12.00000, 3.55000;CP -0.50, -1.00;LB0\x03"));
  EXPECT_NE(std::string::npos, hpgl.find(";PU12.00000, 3.05000;CP -2.50, -2.00;LB[ppm]\x03PU;SP0;"));
  EXPECT_EQ(hpgl.size() - 7, hpgl.rfind("PU;SP0;"));
  EXPECT_EQ(std::string::npos, hpgl.find_first_of("\r\n"));

  std::string ps = axis(PLOT_POSTSCRIPT, a, 100, -100);
  EXPECT_EQ(0u, ps.find("0 0 0 setrgbcolor\r\n[] 0 setdash\r\nnewpath\r\n1.00000 4.00000 moveto\r\n"
                        "23.00000 4.00000 lineto\r\nstroke\r\n"
                        "/Helvetica findfont\r\n0.500 scalefont\r\nsetfont\r\n"));
  EXPECT_NE(std::string::npos, ps.find("newpath\r\n12.00000 3.55000 moveto\r\n12.00000 4.00000 "
                                       "lineto\r\nstroke\r\n12.00000 2.95000 moveto\r\n(0) ct\r\n"));
  const std::string legend = "12.00000 2.05000 moveto\r\n([ppm]) ct\r\n";
  EXPECT_EQ(ps.size() - legend.size(), ps.find(legend));
}

TEST_F(AxisTest, UpwardTicksHangTheLabelsFromTheAxisLine) {
  AXISPAR a = defaultAxis();
  a.ticklength = 0.3f;
  for (int dialect : {PLOT_HPGL, PLOT_POSTSCRIPT}) {
    SCOPED_TRACE(dialect);
    Drawn d = drawn(dialect, a, 100, -100);
    ASSERT_EQ(22u, d.lines.size());
    EXPECT_NEAR(4.45, d.lines[1].y1, 1e-5);  // major at -100
    EXPECT_NEAR(4.3, d.lines[2].y1, 1e-5);   // minor
    ASSERT_EQ(6u, d.labels.size());
    double labelY = dialect == PLOT_HPGL ? 4 : 4 - 0.6;
    double legendY = dialect == PLOT_HPGL ? 3.5 : 3.5 - 1.0;
    EXPECT_NEAR(labelY, d.labels[0].y, 1e-5);
    EXPECT_NEAR(legendY, d.labels[5].y, 1e-5);
  }
}

TEST_F(AxisTest, TicksAndLabelsByUnitsLimitsAndIncrements) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* name;
    int units;
    float F1, F2, tick;
    int every;
    float divisor;
    int decimals;
    std::size_t ticks;
    std::vector<std::string> labels;  // in the order written, legend excluded
    double firstX;                    // of the first tick written
  } cases[] = {
      {"Hz divided by 1000", UNITS_HZ, 10000, 0, 1000, 5, 1000, 0, 11, {"0", "5", "10"}, 23},
      {"two decimals", UNITS_PPM, 100, -100, 50, 2, 1, 2, 5, {"-100.00", "0.00", "100.00"}, 23},
      {"negative decimals as 0", UNITS_PPM, 100, -100, 50, 2, 1, -1, 5, {"-100", "0", "100"}, 23},
      {"seconds from 0 upwards", UNITS_S, 0, 2.5f, 0.5f, 2, 1, 1, 6, {"0.0", "1.0", "2.0"}, 1},
      {"points from 0 upwards", UNITS_PTS, 0, 1024, 100, 5, 1, 0, 11, {"0", "500", "1000"}, 1},
      {"ppm axis running the other way", UNITS_PPM, -100, 100, 10, 5, 1, 0, 21,
       {"-100", "-50", "0", "50", "100"}, 1},
      {"negative tick increment", UNITS_PPM, 100, -100, -50, 2, 1, 0, 5, {"-100", "0", "100"}, 23},
      {"negative label increment", UNITS_PPM, 100, -100, 50, -2, 1, 0, 5, {"-100", "0", "100"}, 23},
      {"label increment 0: tick 0 only", UNITS_PPM, 100, -100, 50, 0, 1, 0, 5, {"0"}, 23},
      {"divisor 0: undivided", UNITS_HZ, 200, 0, 100, 1, 0, 0, 3, {"0", "100", "200"}, 23},
      {"tick on the limit despite rounding", UNITS_PPM, 0.3f, 0, 0.1f, 1, 1, 1, 4,
       {"0.0", "0.1", "0.2", "0.3"}, 23},
      {"window between ticks", UNITS_PPM, 9, 1, 10, 1, 1, 0, 0, {}, 0},
      {"tick increment 0", UNITS_PPM, 100, -100, 0, 5, 1, 0, 0, {}, 0},
      {"tick increment not a number", UNITS_PPM, 100, -100, nan, 5, 1, 0, 0, {}, 0},
      {"too many ticks", UNITS_PPM, 100, -100, 1e-5f, 5, 1, 0, 0, {}, 0},
      {"equal limits", UNITS_PPM, 50, 50, 10, 5, 1, 0, 0, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AXISPAR a = defaultAxis();
    a.units = c.units;
    a.tickincrement = c.tick;
    a.labelincrement = c.every;
    a.divisor = c.divisor;
    a.decimals = c.decimals;
    for (int dialect : {PLOT_HPGL, PLOT_POSTSCRIPT}) {
      SCOPED_TRACE(dialect);
      Drawn d = drawn(dialect, a, c.F1, c.F2);
      ASSERT_EQ(c.ticks + 1, d.lines.size());
      ASSERT_FALSE(d.labels.empty());
      EXPECT_EQ("[ppm]", d.labels.back().text);  // the legend is always there
      d.labels.pop_back();
      EXPECT_EQ(c.labels, texts(d.labels));
      if (c.ticks > 0) {
        EXPECT_NEAR(c.firstX, d.lines[1].x1, 1e-5);
        for (const Segment& s : d.lines) {
          EXPECT_GE(s.x1, 1 - 1e-4);  // every tick within the axis
          EXPECT_LE(s.x1, 23 + 1e-4);
        }
      }
    }
  }
}

TEST_F(AxisTest, TextsInPostScriptStringsAreEscaped) {
  struct Case {
    const char* legend;
    const char* written;
  } cases[] = {{"a(b", "(a\\(b) ct"}, {"(1H) c:\\x", "(\\(1H\\) c:\\\\x) ct"}, {")", "(\\)) ct"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.legend);
    AXISPAR a = defaultAxis();
    std::snprintf(a.legend, sizeof a.legend, "%s", c.legend);
    std::string ps = axis(PLOT_POSTSCRIPT, a, 100, -100);
    EXPECT_NE(std::string::npos, ps.find(std::string("\r\n") + c.written + "\r\n"));
  }
}

TEST_F(AxisTest, HpglLabelsCannotEndEarly) {
  AXISPAR a = defaultAxis();
  std::snprintf(a.legend, sizeof a.legend, "%s", "ab\x03;PD\r\nc");
  std::string hpgl = axis(PLOT_HPGL, a, 100, -100);
  EXPECT_NE(std::string::npos, hpgl.find("CP -3.00, -2.00;LBab;PDc\x03PU;SP0;"));
  EXPECT_EQ(std::string::npos, hpgl.find_first_of("\r\n"));
}

TEST_F(AxisTest, LegendWithoutTerminatorIsCutAtItsBuffer) {
  AXISPAR a = defaultAxis();
  std::memset(a.legend, 'g', sizeof a.legend);
  Drawn d = readPostScript(axis(PLOT_POSTSCRIPT, a, 100, -100));
  ASSERT_FALSE(d.labels.empty());
  EXPECT_EQ(std::string(sizeof a.legend, 'g'), d.labels.back().text);
}

TEST_F(AxisTest, InvisibleCharacterHeightWritesNoTexts) {
  for (float height : {0.0f, 0.0001f, -0.0004f}) {
    SCOPED_TRACE(height);
    AXISPAR a = defaultAxis();
    a.labelheight = height;
    std::string hpgl = axis(PLOT_HPGL, a, 100, -100);
    EXPECT_EQ(std::string::npos, hpgl.find("SI"));
    EXPECT_EQ(std::string::npos, hpgl.find("LB"));
    EXPECT_EQ(hpgl.size() - 7, hpgl.rfind("PU;SP0;"));
    EXPECT_EQ(22u, readHpgl(hpgl).lines.size());
    std::string ps = axis(PLOT_POSTSCRIPT, a, 100, -100);
    EXPECT_EQ(std::string::npos, ps.find("findfont"));
    EXPECT_EQ(std::string::npos, ps.find(" ct\r\n"));
    EXPECT_EQ(22u, readPostScript(ps).lines.size());
  }
}

TEST_F(AxisTest, AxisPen) {
  struct Case {
    int pen;
    const char* hpgl;
    const char* colour;
  } cases[] = {{12, "LT;SP12;", "0.5 0 1 setrgbcolor\r\n"},
               {4, "LT;SP4;", "0 0 1 setrgbcolor\r\n"},
               {0, "LT;SP1;", "0 0 0 setrgbcolor\r\n"},
               {99, "LT;SP12;", "0.5 0 1 setrgbcolor\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pen);
    AXISPAR a = defaultAxis();
    a.pen = c.pen;
    // hp2xx knows pens 1 to 8 only: these files are not given to it.
    std::string path = dir_.file("pen" + std::to_string(++files_) + ".plt");
    PlotFile f;
    ASSERT_EQ(0, f.Open(path.c_str(), 0, PLOT_HPGL));
    WriteAxis(a, PLOT_HPGL, 100, -100, 22, 1, 5, f);
    f.Close();
    EXPECT_EQ(0u, qtest::readBytes(path).find(c.hpgl));
    EXPECT_EQ(0u, axis(PLOT_POSTSCRIPT, a, 100, -100).find(c.colour));
  }
}

TEST_F(AxisTest, OtherDialectsWriteNothing) {
  for (int dialect : {static_cast<int>(PLOT_WMF), 5, -1}) {
    SCOPED_TRACE(dialect);
    std::string path = dir_.file("other" + std::to_string(++files_) + ".plt");
    PlotFile f;
    ASSERT_EQ(0, f.Open(path.c_str(), 0, PLOT_HPGL));
    WriteAxis(defaultAxis(), dialect, 100, -100, 22, 1, 5, f);
    f.Close();
    EXPECT_EQ("", qtest::readBytes(path));
  }
}

}  // namespace
