// Plot layouts in settings files. The same source runs natively and under
// Wine against the real private-profile functions, so the expected bytes are
// what Windows writes.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <sstream>
#include <string>

#include "plotter/layout.h"
#include "support/capture.h"
#include "support/files.h"
#include "winutil/platform/platform.h"

namespace {

std::string visible(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n\n";
    else
      out += c;
  }
  return out;
}

// Every field of a layout, one per line, for readable comparisons.
std::string dump(const LAYOUT& l) {
  std::ostringstream o;
  const PLOTLAYOUT& p = l.plot;
  const TRACEPAR& t = l.trace;
  const AXISPAR& a = l.axis;
  o << "hpgliw " << p.hpgliw << "\nrotate " << p.rotate << "\nabsolute " << p.absolute
    << "\nappend " << p.append << "\nupdatef1f2 " << p.updatef1f2 << "\noutputformat "
    << p.outputformat << "\nspeed " << p.speed << "\nOX " << p.OX << "\nOY " << p.OY << "\nlogox "
    << p.logox << "\nlogoy " << p.logoy << "\nlogoheight " << p.logoheight << "\ntextx " << p.textx
    << "\ntexty " << p.texty << "\ntextsize " << p.textsize << "\nreference " << p.reference
    << "\noutputpath " << p.outputpath << "\nlayoutfile " << p.layoutfile << "\ntextpath "
    << p.textpath << "\nmaxyaction " << t.maxyaction << "\ntrace pen " << t.pen << "\nlinestyle "
    << t.linestyle << "\nspacing " << t.spacing << "\nskipmode " << t.skipmode << "\ncyscaling "
    << t.cyscaling << "\nskippoints " << t.skippoints << "\nradius " << t.radius << "\nF1 " << t.F1
    << "\nF2 " << t.F2 << "\nxoffset " << t.xoffset << "\nyoffset " << t.yoffset << "\nCX " << t.CX
    << "\nCY " << t.CY << "\ncyf1 " << t.cyf1 << "\ncyf2 " << t.cyf2 << "\nMAXY " << t.MAXY
    << "\nsuppress " << a.suppress << "\nunits " << a.units << "\naxis pen " << a.pen
    << "\ndecimals " << a.decimals << "\nlabelincrement " << a.labelincrement << "\ndivisor "
    << a.divisor << "\naxisyoffset " << a.axisyoffset << "\nticklength " << a.ticklength
    << "\nscaling " << a.scaling << "\ntickincrement " << a.tickincrement << "\nlabelheight "
    << a.labelheight << "\nlegend " << a.legend << "\nspectrum " << l.spectrum << "\n";
  return o.str();
}

LAYOUT defaults() {
  LAYOUT l;
  SetLayoutDefaults(&l);
  return l;
}

// A layout in which every field differs from its default.
LAYOUT unusual() {
  LAYOUT l = defaults();
  PLOTLAYOUT& p = l.plot;
  p.hpgliw = 1;
  p.rotate = 1;
  p.absolute = 1;
  p.append = 0;
  p.updatef1f2 = 1;
  p.outputformat = 1;
  p.speed = 38;
  p.logox = 3.25f;
  p.logoy = -2;
  p.logoheight = 1.75f;
  p.textx = 0.125f;
  p.texty = 19;
  p.textsize = 0.45f;
  std::strcpy(p.outputpath, "C:\\plots\\out.ps");
  std::strcpy(p.textpath, "/home/user/notes.txt");
  TRACEPAR& t = l.trace;
  t.maxyaction = 1;
  t.pen = 3;
  t.linestyle = 7;
  t.spacing = 127;
  t.skipmode = 2;
  t.cyscaling = 1;
  t.skippoints = 4;
  t.radius = 0.05f;
  t.F1 = 12.5f;
  t.F2 = -0.75f;
  t.xoffset = 2.5f;
  t.yoffset = 4;
  t.CX = 25;
  t.CY = 10;
  t.cyf1 = 8.5f;
  t.cyf2 = 1.25f;
  t.MAXY = 11.5f;
  AXISPAR& a = l.axis;
  a.suppress = 1;
  a.units = 1;
  a.pen = 5;
  a.decimals = 2;
  a.labelincrement = 4;
  a.divisor = 1000;
  a.axisyoffset = -0.5f;
  a.ticklength = 0.2f;
  a.scaling = 2;
  a.tickincrement = 0.25f;
  a.labelheight = 0.35f;
  std::strcpy(a.legend, "[kHz] (1H)");
  std::strcpy(l.spectrum, "D:\\data\\exam\\1\\pdata\\1\\1r");
  return l;
}

class LayoutTest : public ::testing::Test {
 protected:
  // A file name of its own for every case, so that no profile cache can mix
  // up two cases.
  std::string freshFile(const std::string* bytes = nullptr) {
    std::string path = dir_.file("layout" + std::to_string(++files_) + ".ini");
    if (bytes) qtest::writeBytes(path, *bytes);
    return path;
  }
  std::string fileWith(const std::string& bytes) { return freshFile(&bytes); }

  LAYOUT loaded(const std::string& path, int which = LAYOUT_SINGLE) {
    LAYOUT l = defaults();
    EXPECT_EQ(1, LoadLayout(path.c_str(), &l, which));
    return l;
  }

  qtest::TempDir dir_;
  qtest::UiCapture ui_;
  int files_ = 0;
};

TEST_F(LayoutTest, SavedDefaultsHoldOneLinePerKeyInSavingOrder) {
  LAYOUT l = defaults();
  std::string path = freshFile();
  ASSERT_EQ(1, SaveLayout(&l, path.c_str()));
  const std::string expected =
      "[SINGLE]\r\n"
      "lastpath=\r\noutputpath=\r\nappend=1\r\nrotate=0\r\nlogox=24\r\nlogoy=17\r\n"
      "logoheight=0.5\r\ntextx=24\r\ntexty=16\r\ntextsize=0.3\r\ntextpath=\r\n"
      "outputformat=0\r\nhpgliw=0\r\nabsolute=0\r\nspeed=10\r\nupdatef1f2=0\r\n"
      "maxyaction=0\r\npen=1\r\nlinestyle=0\r\nspacing=100\r\nF1=100\r\nF2=-100\r\n"
      "xoffset=1\r\nyoffset=5\r\nCX=22\r\nCY=12\r\ncyf1=100\r\ncyf2=-100\r\ncyscaling=0\r\n"
      "MAXY=12\r\nskippoints=0\r\nskipmode=0\r\nradius=0.3\r\n"
      "suppress=0\r\nunits=0\r\ndecimals=0\r\naxisyoffset=-1\r\nticklength=-0.3\r\n"
      "scaling=1.5\r\ntickincrement=10\r\nlabelincrement=5\r\ndivisor=1\r\n"
      "labelheight=0.5\r\nlegend=[ppm]\r\n";
  EXPECT_EQ(visible(expected), visible(qtest::readBytes(path)));
  EXPECT_STREQ(path.c_str(), l.plot.layoutfile);
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(LayoutTest, MissingFileOrSectionGivesTheDefaults) {
  LAYOUT expected = defaults();
  std::string missing = dir_.file("none.ini");
  std::string otherSection = fileWith("[MULTIPLE]\r\npen=7\r\nF1=3\r\n");
  for (const std::string& path : {missing, otherSection}) {
    SCOPED_TRACE(path);
    LAYOUT l = unusual();
    l.plot.reference[0] = 0;
    l.plot.OX = l.plot.OY = 1;
    l.spectrum[0] = 0;
    ASSERT_EQ(1, LoadLayout(path.c_str(), &l, LAYOUT_SINGLE));
    std::strcpy(expected.plot.layoutfile, path.c_str());
    EXPECT_EQ(dump(expected), dump(l));
  }
  EXPECT_STREQ("[ppm]", expected.axis.legend);
  EXPECT_FALSE(qtest::fileExists(missing));
}

TEST_F(LayoutTest, RoundTripKeepsEveryKeyedFieldAndGivesBothPensTheAxisPen) {
  LAYOUT saved = unusual();
  std::string path = freshFile();
  ASSERT_EQ(1, SaveLayout(&saved, path.c_str()));

  LAYOUT back = defaults();
  std::strcpy(back.plot.reference, "kept reference");
  back.plot.OX = 7;
  back.plot.OY = 8;
  ASSERT_EQ(1, LoadLayout(path.c_str(), &back, LAYOUT_SINGLE));

  LAYOUT expected = saved;
  expected.trace.pen = 5;  // the file holds the axis pen under "pen"
  std::strcpy(expected.plot.reference, "kept reference");
  expected.plot.OX = 7;  // OX and OY are neither saved nor read for SINGLE
  expected.plot.OY = 8;
  EXPECT_EQ(dump(expected), dump(back));
  std::string text = qtest::readBytes(path);
  EXPECT_NE(std::string::npos, text.find("\r\npen=5\r\n"));
  EXPECT_EQ(std::string::npos, text.find("OX="));
}

TEST_F(LayoutTest, PenValuesAreClampedForBothPens) {
  struct Case {
    const char* stored;
    int pen;
  } cases[] = {{"40", 12}, {"13", 12}, {"12", 12}, {"7", 7}, {"1", 1}, {"0", 1}, {"-3", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("pen=") + c.stored);
    LAYOUT l = loaded(fileWith(std::string("[SINGLE]\r\npen=") + c.stored + "\r\n"));
    EXPECT_EQ(c.pen, l.trace.pen);
    EXPECT_EQ(c.pen, l.axis.pen);
  }
}

TEST_F(LayoutTest, IntegerEntriesReadAsTheProfileIntegerReadDoes) {
  struct Case {
    const char* stored;
    int value;
  } cases[] = {{"17", 17},        {"-4", -4},         {"12abc", 12}, {"abc", 0},
               {"", 0 /*default*/}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("skippoints=") + c.stored);
    LAYOUT l = loaded(fileWith(std::string("[SINGLE]\r\nskippoints=") + c.stored +
                               "\r\nspeed=" + c.stored + "\r\n"));
    EXPECT_EQ(c.value, l.trace.skippoints);
    EXPECT_EQ(c.stored[0] ? c.value : 10, l.plot.speed);  // an empty entry: the default
  }
}

TEST_F(LayoutTest, LabelIncrementIsReadAsARealAndTruncated) {
  struct Case {
    const char* stored;
    int value;
  } cases[] = {{"2.7", 2}, {"-2.7", -2}, {"5", 5}, {"0.9", 0}, {"1e20", INT_MAX},
               {"-1e20", INT_MIN}, {"nan", 5}, {"x", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("labelincrement=") + c.stored);
    LAYOUT l = loaded(fileWith(std::string("[SINGLE]\r\nlabelincrement=") + c.stored + "\r\n"));
    EXPECT_EQ(c.value, l.axis.labelincrement);
  }
}

TEST_F(LayoutTest, LegendMissingEmptyOrTooLong) {
  std::string fortyFive(45, 'L');
  struct Case {
    std::string file;
    std::string legend;
  } cases[] = {{"[SINGLE]\r\nunits=1\r\n", "[ppm]"},
               {"[SINGLE]\r\nlegend=\r\n", ""},
               {"[SINGLE]\r\nlegend=[Hz]\r\n", "[Hz]"},
               {"[SINGLE]\r\nlegend=" + fortyFive + "\r\n", std::string(39, 'L')}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(c.legend, loaded(fileWith(c.file)).axis.legend);
  }
}

TEST_F(LayoutTest, NamesAreCutAt259Characters) {
  std::string longName(300, 'n');
  LAYOUT l = loaded(fileWith("[SINGLE]\r\noutputpath=" + longName + "\r\nlastpath=" +
                             std::string(259, 's') + "\r\n"));
  EXPECT_EQ(std::string(259, 'n'), l.plot.outputpath);
  EXPECT_EQ(std::string(259, 's'), l.spectrum);
}

TEST_F(LayoutTest, SavingTwiceKeepsOneLinePerKeyAndTheOtherLinesInPlace) {
  std::string path = fileWith(
      "[GENERAL]\r\ndigits=2\r\n[SINGLE]\r\nlegend=old\r\nmine=1\r\n[MULTIPLE]\r\nOX=3\r\n");
  LAYOUT l = defaults();
  ASSERT_EQ(1, SaveLayout(&l, path.c_str()));
  l.trace.F1 = 50;
  std::strcpy(l.axis.legend, "[Hz]");
  ASSERT_EQ(1, SaveLayout(&l, path.c_str()));

  std::string text = qtest::readBytes(path);
  EXPECT_EQ(0u, text.find("[GENERAL]\r\ndigits=2\r\n[SINGLE]\r\nlegend=[Hz]\r\nmine=1\r\n"
                          "lastpath=\r\n"))
      << visible(text);
  EXPECT_NE(std::string::npos, text.find("\r\n[MULTIPLE]\r\nOX=3\r\n")) << visible(text);
  for (const char* key : {"\nF1=", "\npen=", "\nlegend=", "\nlabelincrement="}) {
    SCOPED_TRACE(key);
    std::size_t first = text.find(key);
    ASSERT_NE(std::string::npos, first);
    EXPECT_EQ(std::string::npos, text.find(key, first + 1));
  }
  EXPECT_NE(std::string::npos, text.find("\nF1=50\r\n"));
}

TEST_F(LayoutTest, MultipleSectionReadsOXOYAndLeavesTheSpectrumName) {
  std::string path = fileWith(
      "[SINGLE]\r\nlastpath=single.1r\r\nOX=9\r\nF1=1\r\n"
      "[MULTIPLE]\r\nlastpath=multi.1r\r\nOX=2.5\r\nOY=4\r\nF1=30\r\nabsolute=1\r\n");
  LAYOUT multi = defaults();
  std::strcpy(multi.spectrum, "untouched");
  std::strcpy(multi.plot.reference, "ref.1r");
  ASSERT_EQ(1, LoadLayout(path.c_str(), &multi, LAYOUT_MULTIPLE));
  EXPECT_STREQ("untouched", multi.spectrum);
  EXPECT_STREQ("ref.1r", multi.plot.reference);
  EXPECT_FLOAT_EQ(2.5f, multi.plot.OX);
  EXPECT_FLOAT_EQ(4.0f, multi.plot.OY);
  EXPECT_FLOAT_EQ(30.0f, multi.trace.F1);
  EXPECT_EQ(1, multi.plot.absolute);

  LAYOUT single = defaults();
  single.plot.OX = 6;
  ASSERT_EQ(1, LoadLayout(path.c_str(), &single, LAYOUT_SINGLE));
  EXPECT_STREQ("single.1r", single.spectrum);
  EXPECT_FLOAT_EQ(6.0f, single.plot.OX);  // SINGLE never reads OX
  EXPECT_FLOAT_EQ(1.0f, single.trace.F1);
}

TEST_F(LayoutTest, ReloadingFromItsOwnLayoutFileField) {
  LAYOUT l = unusual();
  std::string path = freshFile();
  ASSERT_EQ(1, SaveLayout(&l, path.c_str()));
  l.trace.F1 = 0;
  ASSERT_EQ(1, LoadLayout(l.plot.layoutfile, &l, LAYOUT_SINGLE));
  EXPECT_FLOAT_EQ(12.5f, l.trace.F1);
  EXPECT_STREQ(path.c_str(), l.plot.layoutfile);
  // Saving to the name held in the layout itself.
  l.trace.F2 = -9;
  ASSERT_EQ(1, SaveLayout(&l, l.plot.layoutfile));
  EXPECT_FLOAT_EQ(-9.0f, loaded(path).trace.F2);
}

TEST_F(LayoutTest, RefusedArgumentsChangeNothing) {
  std::string path = fileWith("[SINGLE]\r\nF1=5\r\n");
  std::string tooLong = dir_.path() + "/" + std::string(300, 'a') + ".ini";
  LAYOUT l = unusual();
  const std::string before = dump(l);
  EXPECT_EQ(0, LoadLayout(path.c_str(), nullptr, LAYOUT_SINGLE));
  EXPECT_EQ(0, LoadLayout(path.c_str(), &l, 2));
  EXPECT_EQ(0, LoadLayout(path.c_str(), &l, -1));
  EXPECT_EQ(0, LoadLayout(nullptr, &l, LAYOUT_SINGLE));
  EXPECT_EQ(0, LoadLayout(tooLong.c_str(), &l, LAYOUT_SINGLE));
  EXPECT_EQ(before, dump(l));

  std::string unsaved = dir_.file("unsaved.ini");
  EXPECT_EQ(0, SaveLayout(nullptr, unsaved.c_str()));
  EXPECT_EQ(0, SaveLayout(&l, nullptr));
  EXPECT_EQ(0, SaveLayout(&l, ""));
  EXPECT_EQ(0, SaveLayout(&l, tooLong.c_str()));
  EXPECT_EQ(before, dump(l));
  EXPECT_FALSE(qtest::fileExists(unsaved));
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(LayoutTest, EmptyFileNameLoadsTheDefaults) {
  LAYOUT l = unusual();
  std::strcpy(l.plot.reference, "kept");
  ASSERT_EQ(1, LoadLayout("", &l, LAYOUT_SINGLE));
  LAYOUT expected = defaults();
  std::strcpy(expected.plot.reference, "kept");
  expected.plot.OX = l.plot.OX;
  expected.plot.OY = l.plot.OY;
  std::strcpy(expected.spectrum, l.spectrum);  // no file: nothing read, lastpath included
  EXPECT_EQ(dump(expected), dump(l));
}

TEST_F(LayoutTest, TextsWithoutTerminatorAreSavedUpToTheirBuffers) {
  LAYOUT l = defaults();
  std::memset(l.axis.legend, 'x', sizeof l.axis.legend);  // no NUL in the legend
  std::string path = freshFile();
  ASSERT_EQ(1, SaveLayout(&l, path.c_str()));
  EXPECT_EQ(std::string(39, 'x'), loaded(path).axis.legend);
}

TEST_F(LayoutTest, UnwritableFileIsNotReported) {
  // A folder of that name cannot be written as a file: SaveLayout still
  // returns 1 and shows nothing.
  std::string folder = dir_.file("folder.ini");
  ASSERT_TRUE(plat::ops().createDirectory(folder.c_str()));
  LAYOUT l = defaults();
  EXPECT_EQ(1, SaveLayout(&l, folder.c_str()));
  EXPECT_TRUE(ui_.boxes().empty());
}

}  // namespace
