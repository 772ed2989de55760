// HPGL and PostScript plot files: header, trace preamble and events, page
// end, appending. Every complete file is also read by Ghostscript or hp2xx
// (tests/plotter/oracle.h).

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "oracle.h"
#include "plotter/axis.h"
#include "plotter/layout.h"
#include "plotter/plotwriter.h"
#include "support/capture.h"
#include "support/faults.h"
#include "text.h"
#include "support/files.h"
#include "winutil/platform/platform.h"

namespace {

using plottest::count;
using plottest::visible;

const char kPsHeader[] =
    "%!PS-Adobe-3.0\r\n%%Creator: QV Drafton\r\n%%Pages: 1\r\n%%Orientation: Landscape\r\n"
    "%%BoundingBox: 0 0 842 596\r\n%%EndComments\r\n"
    "/ct\r\n{ dup stringwidth pop\r\n-2.0 div 0.0 rmoveto\r\nshow } def\r\n"
    "%%Page: 1 1\r\n28.346 28.346 scale\r\n"
    "0.176 setlinewidth\r\n1 setlinejoin\r\n1 setlinecap\r\n";

LAYOUT defaults(int dialect) {
  LAYOUT l;
  SetLayoutDefaults(&l);
  l.plot.outputformat = dialect;
  return l;
}

// What a plot job writes for a small trace that leaves the range above the
// upper limit (17 cm) and comes back, or a few circles for style 7, with the
// axis of the default layout.
void drawSample(PlotFile& f, const LAYOUT& l) {
  f.WriteHeader(l.plot);
  f.BeginTrace(l.plot, l.trace);
  if (l.trace.linestyle == STYLE_CIRCLES) {
    f.Marker(1, 5);
    f.Marker(2, 8);
    f.Marker(3, 16.5);
  } else {
    f.StartLine(1, 5);
    f.LineTo(2, 8);
    f.LeaveRange(2.5, 3, 20);
    f.EnterRange(3.5, 4, 9);
    f.LineTo(5, 5);
  }
  f.EndTrace();
  WriteAxis(l.axis, l.plot.outputformat, l.trace.F1, l.trace.F2, l.trace.CX, l.trace.xoffset,
            l.trace.yoffset, f);
  f.EndPage();
}

::testing::AssertionResult accepted(const std::string& path, int dialect) {
  return dialect == PLOT_POSTSCRIPT ? plottest::ghostscriptAccepts(path)
                                    : plottest::hp2xxAccepts(path);
}

class PlotWriterTest : public ::testing::Test {
 protected:
  std::string fresh(const char* ext = "plt") {
    return dir_.file("plot" + std::to_string(++files_) + "." + ext);
  }

  // The bytes that `body` writes into a new file of `dialect`.
  std::string written(int dialect, const std::function<void(PlotFile&)>& body) {
    std::string path = fresh();
    PlotFile f;
    EXPECT_EQ(0, f.Open(path.c_str(), 0, dialect));
    EXPECT_TRUE(f.IsNew());
    body(f);
    f.Close();
    return qtest::readBytes(path);
  }

  // Writes the sample plot of `l` into `path`; the open result.
  int plot(const std::string& path, const LAYOUT& l) {
    PlotFile f;
    int result = f.Open(path.c_str(), l.plot.append, l.plot.outputformat);
    if (result == 0) drawSample(f, l);
    return result;
  }

  qtest::TempDir dir_;
  qtest::UiCapture ui_;
  int files_ = 0;
};

TEST_F(PlotWriterTest, HpglHeaderIsWrittenForNewAndAppendedFiles) {
  struct Case {
    int hpgliw, rotate, speed;
    const char* expected;
  } cases[] = {
      {0, 0, 10, "IN;IP0,0,402,402;SC,0.0,1.0,0.0,1.0;RO0;VS10;"},
      {1, 0, 10, "IN;IP0,0,402,402;IW;SC,0.0,1.0,0.0,1.0;RO0;VS10;"},
      {0, 1, 38, "IN;IP0,0,402,402;SC,0.0,1.0,0.0,1.0;RO90;VS38;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    LAYOUT l = defaults(PLOT_HPGL);
    l.plot.hpgliw = c.hpgliw;
    l.plot.rotate = c.rotate;
    l.plot.speed = c.speed;
    EXPECT_EQ(c.expected, written(PLOT_HPGL, [&](PlotFile& f) { f.WriteHeader(l.plot); }));

    std::string path = fresh();
    qtest::writeBytes(path, "IN;");
    PlotFile f;
    ASSERT_EQ(0, f.Open(path.c_str(), 1, PLOT_HPGL));
    EXPECT_FALSE(f.IsNew());
    f.WriteHeader(l.plot);
    f.Close();
    EXPECT_EQ(std::string("IN;") + c.expected, qtest::readBytes(path));
  }
}

TEST_F(PlotWriterTest, PostScriptHeaderOfANewFile) {
  LAYOUT l = defaults(PLOT_POSTSCRIPT);
  EXPECT_EQ(visible(kPsHeader),
            visible(written(PLOT_POSTSCRIPT, [&](PlotFile& f) { f.WriteHeader(l.plot); })));
  l.plot.rotate = 1;
  EXPECT_EQ(visible(std::string(kPsHeader) + "90 rotate\r\n"),
            visible(written(PLOT_POSTSCRIPT, [&](PlotFile& f) { f.WriteHeader(l.plot); })));
}

TEST_F(PlotWriterTest, TracePreambleByLineStyle) {
  struct Case {
    int style, spacing;
    const char* hpgl;
    const char* dash;
  } cases[] = {
      {0, 100, "SP1;LT;PU;", "[] 0 setdash\r\n"},
      {1, 100, "SP1;LT6,100;PU;", "[0.500 0.100 0.100 0.100 0.100 0.100] 0 setdash\r\n"},
      {2, 100, "SP1;LT5,100;PU;", "[0.750 0.070 0.100 0.080] 0 setdash\r\n"},
      {3, 100, "SP1;LT4,100;PU;", "[0.800 0.080 0.040 0.080] 0 setdash\r\n"},
      {4, 50, "SP1;LT3,50;PU;", "[0.375 0.125] 0 setdash\r\n"},
      {5, 100, "SP1;LT2,100;PU;", "[0.500 0.500] 0 setdash\r\n"},
      {6, 120, "SP1;LT1,120;PU;", "[0.060 1.140] 0 setdash\r\n"},
      {7, 100, "SP1;LT;PU;", "[] 0 setdash\r\n"},
      // An empty pattern and an unknown style draw solid lines.
      {1, 0, "SP1;LT;PU;", "[] 0 setdash\r\n"},
      {5, -20, "SP1;LT;PU;", "[] 0 setdash\r\n"},
      {9, 100, "SP1;LT;PU;", "[] 0 setdash\r\n"},
      {-1, 100, "SP1;LT;PU;", "[] 0 setdash\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style) + " spacing " + std::to_string(c.spacing));
    LAYOUT l = defaults(PLOT_HPGL);
    l.trace.linestyle = c.style;
    l.trace.spacing = c.spacing;
    EXPECT_EQ(c.hpgl, written(PLOT_HPGL, [&](PlotFile& f) { f.BeginTrace(l.plot, l.trace); }));
    EXPECT_EQ(visible(std::string("0.176 setlinewidth\r\n1 setlinejoin\r\n1 setlinecap\r\n"
                                  "0 0 0 setrgbcolor\r\n") +
                      c.dash),
              visible(written(PLOT_POSTSCRIPT,
                              [&](PlotFile& f) { f.BeginTrace(l.plot, l.trace); })));
  }
}

TEST_F(PlotWriterTest, PenColoursAndLineWidth) {
  struct Case {
    int pen;
    const char* colour;
    int hpglPen;
  } cases[] = {{1, "0 0 0", 1},    {2, "1 0 0", 2},      {3, "0 1 0", 3},    {4, "0 0 1", 4},
               {5, "0 1 1", 5},    {6, "1 0 1", 6},      {7, "1 1 0", 7},    {8, "0 0.5 1", 8},
               {9, "1 0.5 1", 9},  {10, "1 0.5 0", 10},  {11, "0 0.5 0", 11}, {12, "0.5 0 1", 12},
               {0, "0 0 0", 1},    {13, "0.5 0 1", 12}, {-5, "0 0 0", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE("pen " + std::to_string(c.pen));
    LAYOUT l = defaults(PLOT_POSTSCRIPT);
    l.trace.pen = c.pen;
    std::string ps = written(PLOT_POSTSCRIPT, [&](PlotFile& f) { f.BeginTrace(l.plot, l.trace); });
    EXPECT_NE(std::string::npos, ps.find(std::string("\r\n") + c.colour + " setrgbcolor\r\n"));
    std::string hpgl = written(PLOT_HPGL, [&](PlotFile& f) { f.BeginTrace(l.plot, l.trace); });
    EXPECT_EQ(0u, hpgl.find("SP" + std::to_string(c.hpglPen) + ";"));
  }

  struct Width {
    int speed;
    const char* text;
  } widths[] = {{10, "0.176"}, {0, "0.000"}, {1, "0.018"}, {38, "0.670"}};
  for (const Width& w : widths) {
    SCOPED_TRACE("speed " + std::to_string(w.speed));
    LAYOUT l = defaults(PLOT_POSTSCRIPT);
    l.plot.speed = w.speed;
    std::string ps = written(PLOT_POSTSCRIPT, [&](PlotFile& f) { f.BeginTrace(l.plot, l.trace); });
    EXPECT_EQ(0u, ps.find(std::string(w.text) + " setlinewidth\r\n1 setlinejoin\r\n1 setlinecap\r\n"));
  }
}

TEST_F(PlotWriterTest, TraceEvents) {
  // Upper limit 5 + 12 = 17 cm, radius 0.3 cm.
  struct Case {
    const char* name;
    std::function<void(PlotFile&)> event;
    const char* hpgl;
    const char* ps;
  } cases[] = {
      {"pen-up move", [](PlotFile& f) { f.PenUpMove(1.5, 20); }, ";PU 1.50000,20.00000;", ""},
      {"start line", [](PlotFile& f) { f.StartLine(1, 5); }, "PA 1.00000, 5.00000;PD",
       "newpath\r\n1.00000 5.00000 moveto\r\n"},
      {"line to", [](PlotFile& f) { f.LineTo(2.25, -6.5); }, " 2.25000,-6.50000,",
       "2.25000 -6.50000 lineto\r\n"},
      {"leave range", [](PlotFile& f) { f.LeaveRange(3.5, 4, 20); },
       " 3.50000,17.00000,;PU 4.00000,20.00000;", "3.50000 17.00000 lineto\r\nstroke\r\n"},
      {"enter range", [](PlotFile& f) { f.EnterRange(4.5, 5, 10); },
       "PU 4.50000,17.00000;PD 5.00000,10.00000,",
       "stroke\r\nnewpath\r\n4.50000 17.00000 moveto\r\n5.00000 10.00000 lineto\r\n"},
      {"marker", [](PlotFile& f) { f.Marker(6, 7); }, ";PU 6.00000, 7.00000;CI 0.30000, 5.00000;",
       "newpath\r\n6.00000 7.00000 0.30000 0 360 arc\r\nstroke\r\n"},
      {"end trace", [](PlotFile& f) { f.EndTrace(); }, ";PU;PU0,0;", "stroke\r\n"},
      {"page end", [](PlotFile& f) { f.EndPage(); }, "", "showpage\r\n"},
  };
  TRACEPAR trace = defaults(PLOT_HPGL).trace;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int dialect : {PLOT_HPGL, PLOT_POSTSCRIPT}) {
      std::string path = fresh();
      PlotFile f;
      ASSERT_EQ(0, f.Open(path.c_str(), 0, dialect));
      // The preamble sets the upper limit and the radius; its own text is
      // left out of the comparison.
      LAYOUT l = defaults(dialect);
      f.BeginTrace(l.plot, trace);
      f.Close();
      std::string preamble = qtest::readBytes(path);
      ASSERT_EQ(0, f.Open(path.c_str(), 0, dialect));
      f.BeginTrace(l.plot, trace);
      c.event(f);
      f.Close();
      EXPECT_EQ(visible(dialect == PLOT_HPGL ? c.hpgl : c.ps),
                visible(qtest::readBytes(path).substr(preamble.size())));
    }
  }
}

TEST_F(PlotWriterTest, LeavingAndReenteringInPostScriptStrokesTwice) {
  LAYOUT l = defaults(PLOT_POSTSCRIPT);
  std::string ps = written(PLOT_POSTSCRIPT, [&](PlotFile& f) {
    f.BeginTrace(l.plot, l.trace);
    f.StartLine(1, 5);
    f.LeaveRange(2, 3, 20);
    f.EnterRange(4, 5, 6);
    f.EndTrace();
  });
  EXPECT_NE(std::string::npos,
            ps.find("2.00000 17.00000 lineto\r\nstroke\r\nstroke\r\nnewpath\r\n"
                    "4.00000 17.00000 moveto\r\n5.00000 6.00000 lineto\r\nstroke\r\n"))
      << visible(ps);
}

TEST_F(PlotWriterTest, CompletePlotsAreReadByGhostscriptAndHp2xx) {
  if (!plottest::haveGhostscript() && !plottest::haveHp2xx())
    GTEST_SKIP() << "neither Ghostscript nor hp2xx can be run here";
  for (int dialect : {PLOT_HPGL, PLOT_POSTSCRIPT}) {
    for (int style = 0; style <= 7; ++style) {
      for (int variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE("dialect " + std::to_string(dialect) + " style " + std::to_string(style) +
                     " variant " + std::to_string(variant));
        LAYOUT l = defaults(dialect);
        l.plot.append = 0;
        l.trace.linestyle = style;
        // hp2xx knows pens 1 to 8 only; PostScript gets all twelve colours.
        l.trace.pen = dialect == PLOT_HPGL ? style + 1 : style + 1 + 4 * variant;
        l.plot.rotate = variant;
        l.plot.hpgliw = variant;
        l.trace.spacing = variant ? 1 : 100;
        std::string path = fresh(dialect == PLOT_HPGL ? "plt" : "ps");
        ASSERT_EQ(0, plot(path, l));
        EXPECT_TRUE(accepted(path, dialect));
      }
    }
  }
}

TEST_F(PlotWriterTest, HpglAppendFollowsTheOldContentOnOneLine) {
  LAYOUT l = defaults(PLOT_HPGL);
  std::string path = fresh();
  l.plot.append = 0;
  ASSERT_EQ(0, plot(path, l));
  std::string first = qtest::readBytes(path);
  l.plot.append = 1;
  l.trace.pen = 2;
  ASSERT_EQ(0, plot(path, l));
  std::string both = qtest::readBytes(path);
  ASSERT_GT(both.size(), first.size());
  EXPECT_EQ(first, both.substr(0, first.size()));
  EXPECT_EQ(0u, both.find("IN;IP0,0,402,402;SC,0.0,1.0,0.0,1.0;RO0;VS10;", first.size()) -
                    first.size());
  EXPECT_EQ(std::string::npos, both.find_first_of("\r\n"));
  EXPECT_EQ(2u, count(both, "IN;"));
  EXPECT_TRUE(accepted(path, PLOT_HPGL));
}

TEST_F(PlotWriterTest, PostScriptAppendReplacesTheShowpageLine) {
  LAYOUT l = defaults(PLOT_POSTSCRIPT);
  std::string path = fresh("ps");
  ASSERT_EQ(0, plot(path, l));  // append set, no file yet: a new file
  std::string first = qtest::readBytes(path);
  ASSERT_EQ(0u, first.find(kPsHeader));
  ASSERT_EQ(first.size() - 10, first.rfind("showpage\r\n"));

  l.trace.pen = 2;
  l.plot.rotate = 1;
  ASSERT_EQ(0, plot(path, l));
  std::string both = qtest::readBytes(path);
  std::string kept = first.substr(0, first.size() - 10);
  EXPECT_EQ(kept, both.substr(0, kept.size()));
  // Not new: no header, but the rotation and the trace preamble follow.
  EXPECT_EQ(0u, both.find("90 rotate\r\n0.176 setlinewidth\r\n", kept.size()) - kept.size());
  EXPECT_EQ(1u, count(both, "%!PS-Adobe"));
  EXPECT_EQ(1u, count(both, "showpage"));
  EXPECT_EQ(both.size() - 10, both.rfind("showpage\r\n"));
  EXPECT_TRUE(accepted(path, PLOT_POSTSCRIPT));
}

TEST_F(PlotWriterTest, PostScriptAppendInsertsBeforeAShowpageLineThatIsNotTheLast) {
  LAYOUT l = defaults(PLOT_POSTSCRIPT);
  l.plot.append = 0;
  std::string path = fresh("ps");
  ASSERT_EQ(0, plot(path, l));
  std::string body = qtest::readBytes(path);
  body = body.substr(0, body.size() - 10);
  const std::string trailer = "%%Trailer\r\n%%EOF\r\n";
  qtest::writeBytes(path, body + "showpage\r\n" + trailer);

  l.plot.append = 1;
  l.trace.pen = 3;
  ASSERT_EQ(0, plot(path, l));
  std::string after = qtest::readBytes(path);
  EXPECT_EQ(body, after.substr(0, body.size()));
  EXPECT_EQ(1u, count(after, "showpage"));
  std::string end = "showpage\r\n" + trailer;
  ASSERT_GT(after.size(), body.size() + end.size());
  EXPECT_EQ(visible(end), visible(after.substr(after.size() - end.size())));
  EXPECT_NE(std::string::npos, after.find("0 1 0 setrgbcolor", body.size()));
  EXPECT_TRUE(accepted(path, PLOT_POSTSCRIPT));
}

TEST_F(PlotWriterTest, ShortAdditionOverALongShowpageLineLeavesNoStaleBytes) {
  std::string path = fresh("ps");
  const std::string start = "%!PS\r\n";
  const std::string old = start + "showpage % " + std::string(150, 'c') + "\r\n";
  qtest::writeBytes(path, old);
  {
    PlotFile f;
    ASSERT_EQ(0, f.Open(path.c_str(), 1, PLOT_POSTSCRIPT));
    f.EndPage();
  }
  std::string after = qtest::readBytes(path);
  ASSERT_EQ(old.size(), after.size());
  EXPECT_EQ(start + "showpage\r\n", after.substr(0, start.size() + 10));
  EXPECT_EQ(std::string(old.size() - start.size() - 12, ' ') + "\r\n",
            after.substr(start.size() + 10));
  EXPECT_TRUE(accepted(path, PLOT_POSTSCRIPT));
}

TEST_F(PlotWriterTest, PostScriptAppendToAFileWithoutShowpageFails) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {{"no showpage", "%!PS\r\nnewpath\r\n1 1 moveto\r\n2 2 lineto\r\nstroke\r\n"},
               {"empty file", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = fresh("ps");
    qtest::writeBytes(path, c.bytes);
    PlotFile f;
    EXPECT_EQ(PLOT_FAILED, f.Open(path.c_str(), 1, PLOT_POSTSCRIPT));
    EXPECT_FALSE(f.IsOpen());
    f.Close();
    EXPECT_EQ(c.bytes, qtest::readBytes(path));
  }
}

TEST_F(PlotWriterTest, ShowpageWithoutLineEndAtTheEndOfTheFile) {
  std::string path = fresh("ps");
  qtest::writeBytes(path, std::string(kPsHeader) + "showpage");
  PlotFile f;
  ASSERT_EQ(0, f.Open(path.c_str(), 1, PLOT_POSTSCRIPT));
  f.EndTrace();
  f.EndPage();
  f.Close();
  EXPECT_EQ(visible(std::string(kPsHeader) + "stroke\r\nshowpage\r\n"),
            visible(qtest::readBytes(path)));
}

TEST_F(PlotWriterTest, AppendedFileClosedWithoutWritingIsUnchanged) {
  std::string path = fresh("ps");
  const std::string bytes = std::string(kPsHeader) + "showpage\r\n%%EOF\r\n";
  qtest::writeBytes(path, bytes);
  {
    PlotFile f;
    ASSERT_EQ(0, f.Open(path.c_str(), 1, PLOT_POSTSCRIPT));
  }
  EXPECT_EQ(bytes, qtest::readBytes(path));
}

TEST_F(PlotWriterTest, WithoutAppendAnExistingFileIsReplaced) {
  for (int dialect : {PLOT_HPGL, PLOT_POSTSCRIPT}) {
    SCOPED_TRACE(dialect);
    std::string path = fresh();
    qtest::writeBytes(path, "old content showpage\r\n");
    LAYOUT l = defaults(dialect);
    l.plot.append = 0;
    ASSERT_EQ(0, plot(path, l));
    std::string bytes = qtest::readBytes(path);
    EXPECT_EQ(std::string::npos, bytes.find("old content"));
    EXPECT_EQ(0u, bytes.find(dialect == PLOT_HPGL ? "IN;" : "%!PS-Adobe-3.0\r\n"));
  }
}

TEST_F(PlotWriterTest, WmfCreatesOrKeepsTheFileAndWritesNothing) {
  LAYOUT l = defaults(PLOT_WMF);
  std::string path = fresh("wmf");
  l.plot.append = 0;
  ASSERT_EQ(0, plot(path, l));
  EXPECT_TRUE(qtest::fileExists(path));
  EXPECT_EQ("", qtest::readBytes(path));

  qtest::writeBytes(path, "kept");
  l.plot.append = 1;
  ASSERT_EQ(0, plot(path, l));
  EXPECT_EQ("kept", qtest::readBytes(path));
}

TEST_F(PlotWriterTest, OpenRefusals) {
  std::string folder = dir_.file("folder.plt");
  ASSERT_TRUE(plat::ops().createDirectory(folder.c_str()));
  std::string tooLong = dir_.path() + "/" + std::string(300, 'p') + ".plt";
  std::string noFolder = dir_.file("missing") + "/x.plt";
  std::string good = fresh();
  struct Case {
    const char* name;
    const char* path;
    int append, dialect;
  } cases[] = {{"null name", nullptr, 0, PLOT_HPGL},
               {"empty name", "", 0, PLOT_HPGL},
               {"name too long", tooLong.c_str(), 0, PLOT_HPGL},
               {"folder", folder.c_str(), 0, PLOT_POSTSCRIPT},
               {"folder, append", folder.c_str(), 1, PLOT_POSTSCRIPT},
               {"missing folder", noFolder.c_str(), 0, PLOT_HPGL},
               {"dialect 3", good.c_str(), 0, 3},
               {"dialect -1", good.c_str(), 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlotFile f;
    EXPECT_EQ(PLOT_FAILED, f.Open(c.path, c.append, c.dialect));
    EXPECT_FALSE(f.IsOpen());
  }
  EXPECT_FALSE(qtest::fileExists(good));
  EXPECT_FALSE(qtest::fileExists(tooLong));
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(PlotWriterTest, SystemFailuresWhileOpening) {
  std::string path = fresh("ps");
  const std::string bytes = std::string(kPsHeader) + "showpage\r\n%%EOF\r\n";
  qtest::writeBytes(path, bytes);
  struct Case {
    const char* name;
    unsigned kinds;
    int append;
  } cases[] = {{"open, append", qtest::kFaultOpen, 1},
               {"work memory of the kept lines", qtest::kFaultHeap, 1},
               {"read", qtest::kFaultRead, 1},
               {"create", qtest::kFaultOpen, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlotFile f;
    {
      qtest::FaultPlan plan(c.kinds, 1);
      EXPECT_EQ(PLOT_FAILED, f.Open(path.c_str(), c.append, PLOT_POSTSCRIPT));
      EXPECT_TRUE(plan.fired());
    }
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(bytes, qtest::readBytes(path));
  }
}

TEST_F(PlotWriterTest, FailedWritesAreNotReportedAndLeaveTheOldBytes) {
  std::string path = fresh("ps");
  const std::string old = "%!PS\r\nshowpage % " + std::string(100, 'c') + "\r\n%%EOF\r\n";
  qtest::writeBytes(path, old);
  PlotFile f;
  ASSERT_EQ(0, f.Open(path.c_str(), 1, PLOT_POSTSCRIPT));
  {
    qtest::FaultPlan plan(qtest::kFaultWrite, 1);
    f.EndPage();
    f.Close();
    EXPECT_TRUE(plan.fired());
  }
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(old, qtest::readBytes(path));
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(PlotWriterTest, OpenPageForAdditions) {
  std::string missing = dir_.file("none.ps");
  std::string plain = fresh("ps");
  qtest::writeBytes(plain, "%!PS\r\n1 1 moveto\r\n");
  std::string page = fresh("ps");
  qtest::writeBytes(page, "%!PS\r\nshowpage\r\n%%EOF\r\n");
  PlotFile f;
  EXPECT_EQ(PAGE_CANNOT_OPEN, f.OpenPage(missing.c_str()));
  EXPECT_EQ(PAGE_CANNOT_OPEN, f.OpenPage(nullptr));
  EXPECT_EQ(PAGE_NO_SHOWPAGE, f.OpenPage(plain.c_str()));
  EXPECT_EQ("%!PS\r\n1 1 moveto\r\n", qtest::readBytes(plain));
  EXPECT_FALSE(qtest::fileExists(missing));

  ASSERT_EQ(PAGE_OPEN, f.OpenPage(page.c_str()));
  EXPECT_EQ(PLOT_POSTSCRIPT, f.Dialect());
  f.Put(PT_PS_MOVETO, 1.0, 2.0);
  f.EndPage();
  f.Close();
  EXPECT_EQ(visible("%!PS\r\n1.00000 2.00000 moveto\r\nshowpage\r\n%%EOF\r\n"),
            visible(qtest::readBytes(page)));
}

TEST(PlotWriterText, PostScriptStringsEscapeParenthesesAndBackslashes) {
  struct Case {
    const char* text;
    const char* escaped;
  } cases[] = {{"[ppm]", "[ppm]"},       {"a(b", "a\\(b"},     {"(1H)", "\\(1H\\)"},
               {"c:\\x", "c:\\\\x"},     {")(", "\\)\\("},     {"", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.escaped, PostScriptText(c.text));
  }
  EXPECT_EQ("", PostScriptText(nullptr));
}

}  // namespace
