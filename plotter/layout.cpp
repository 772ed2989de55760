// Plot layouts in settings files: the defaults, LoadLayout and SaveLayout.
//
// Section and key names are texts of the program's string table (engine.rc).
// Integers are read as the private-profile integer read does it, reals with
// CVGetIniFloat, names with the private-profile string read; integers are
// written with CVWritePrivateInt, reals with CVWritePrivateDouble ("%g"),
// names and the legend as they are.
//
// Behaviour chosen where the contract leaves room, and where it is mended:
// - An integer entry is decimal text with optional leading blanks and sign;
//   the digits up to the first other character count, an entry without
//   digits reads as 0 and an empty entry as the default. Values beyond the
//   32-bit range are limited to it.
// - `labelincrement` is read as a real and truncated toward zero; a value
//   beyond the 32-bit range is limited to it, and a text that is not a number
//   ("nan") gives the default 5.
// - Values outside the ranges of the dialog (line style, dialect, units) are
//   taken as they are; the plot writer treats an unknown line style as a
//   solid line and an unknown dialect as a failure.
// - Names are at most 259 characters and the legend 39: longer entries are
//   cut. The layout's own texts are written only up to their buffers' ends,
//   also when one lacks its terminating NUL.
// - A null layout, an unknown section number, or a file name that is null or
//   longer than the 259 characters of the layout file field is refused with
//   0 and changes nothing. An empty file name loads the defaults (no file is
//   consulted) and cannot be saved to.
// - A section or key text missing from the string table leaves that field at
//   its default when loading and unwritten when saving.

#include "plotter/layout.h"

#include <cmath>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

// Key texts of the string table.
enum Key : UINT {
  kLastpath = 210,
  kOutputpath,
  kAppend,
  kRotate,
  kLogox,
  kLogoy,
  kLogoheight,
  kTextx,
  kTexty,
  kTextsize,
  kTextpath,
  kOutputformat,
  kHpgliw,
  kAbsolute,
  kSpeed,
  kUpdatef1f2,
  kOX,
  kOY,
  kMaxyaction,
  kPen,
  kLinestyle,
  kSpacing,
  kF1,
  kF2,
  kXoffset,
  kYoffset,
  kCX,
  kCY,
  kCyf1,
  kCyf2,
  kCyscaling,
  kMAXY,
  kSkippoints,
  kSkipmode,
  kRadius,
  kSuppress,
  kUnits,
  kDecimals,
  kAxisyoffset,
  kTicklength,
  kScaling,
  kTickincrement,
  kLabelincrement,
  kDivisor,
  kLabelheight,
  kLegend,
};
static_assert(kLegend == 255, "key numbers follow engine.rc");

constexpr UINT kDefaultLegend = 205;  // "[ppm]"

constexpr int kTextSize = 64;    // a section or key name
constexpr int kNumberText = 80;  // an integer entry

// A text of the program's string table; empty when it is missing.
struct Text {
  char s[kTextSize];
  explicit Text(UINT id) {
    if (plat::loadString(ThisModule(), id, s, sizeof s) <= 0) s[0] = 0;
  }
  bool ok() const { return s[0] != 0; }
};

int clampPen(int pen) { return pen < PEN_FIRST ? PEN_FIRST : pen > PEN_LAST ? PEN_LAST : pen; }

// The reads of one section of one file.
class Reader {
 public:
  Reader(const char* section, const char* file) : section_(section), file_(file) {}

  void integer(UINT key, int& field) const {
    Text k(key);
    if (!k.ok() || !file_[0]) return;
    char text[kNumberText];
    DWORD n = plat::ops().getProfileString(section_, k.s, "", text, sizeof text, file_);
    text[n < sizeof text ? n : sizeof text - 1] = 0;
    if (text[0]) field = parseInteger(text);
  }

  void real(UINT key, float& field) const {
    Text k(key);
    if (!k.ok() || !file_[0]) return;
    field = CVGetIniFloat(section_, k.s, field, file_);
  }

  void name(UINT key, char* field, std::size_t size) const {
    Text k(key);
    if (!k.ok() || !file_[0]) return;
    char fallback[kLayoutName];
    plat::copyText(fallback, sizeof fallback, field);
    DWORD n = plat::ops().getProfileString(section_, k.s, fallback, field, static_cast<DWORD>(size),
                                           file_);
    field[n < size ? n : size - 1] = 0;
  }

 private:
  static int parseInteger(const char* text) {
    long long v = std::strtoll(text, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
  }

  const char* section_;
  const char* file_;
};

// A real truncated toward zero, limited to the int range.
int truncated(float v, int fallback) {
  if (std::isnan(v)) return fallback;
  if (v >= 2147483647.0f) return INT_MAX;
  if (v <= -2147483648.0f) return INT_MIN;
  return static_cast<int>(v);
}

// The writes of one section of one file.
class Writer {
 public:
  Writer(const char* section, const char* file) : section_(section), file_(file) {}

  void integer(UINT key, int value) const {
    Text k(key);
    if (k.ok()) CVWritePrivateInt(file_, section_, k.s, value);
  }
  void real(UINT key, double value) const {
    Text k(key);
    if (k.ok()) CVWritePrivateDouble(file_, section_, k.s, value);
  }
  // A text field of `size` bytes, written up to its NUL or its end.
  void name(UINT key, const char* field, std::size_t size) const {
    Text k(key);
    if (!k.ok()) return;
    char value[kLayoutName];
    std::size_t n = strnlen(field, size < sizeof value ? size : sizeof value);
    if (n >= sizeof value) n = sizeof value - 1;
    std::memcpy(value, field, n);
    value[n] = 0;
    plat::ops().writeProfileString(section_, k.s, value, file_);
  }

 private:
  const char* section_;
  const char* file_;
};

// A file name that fits the layout file field; null does not.
bool usableFileName(const char* file) {
  if (!file || !plat::isReadable(file, 1)) return false;
  return strnlen(file, kLayoutName) < static_cast<std::size_t>(kLayoutName);
}

}  // namespace

void SetLayoutDefaults(LAYOUT* layout) {
  if (!layout) return;
  std::memset(layout, 0, sizeof *layout);
  PLOTLAYOUT& p = layout->plot;
  p.append = 1;
  p.speed = 10;
  p.OX = 1;
  p.OY = 1;
  p.logox = 24;
  p.logoy = 17;
  p.logoheight = 0.5f;
  p.textx = 24;
  p.texty = 16;
  p.textsize = 0.3f;
  TRACEPAR& t = layout->trace;
  t.pen = 1;
  t.spacing = 100;
  t.radius = 0.3f;
  t.F1 = 100;
  t.F2 = -100;
  t.xoffset = 1;
  t.yoffset = 5;
  t.CX = 22;
  t.CY = 12;
  t.cyf1 = 100;
  t.cyf2 = -100;
  t.MAXY = 12;
  AXISPAR& a = layout->axis;
  a.pen = 1;
  a.labelincrement = 5;
  a.divisor = 1;
  a.axisyoffset = -1;
  a.ticklength = -0.3f;
  a.scaling = 1.5f;
  a.tickincrement = 10;
  a.labelheight = 0.5f;
  Text legend(kDefaultLegend);
  plat::copyText(a.legend, sizeof a.legend, legend.s);
}

int LoadLayout(const char* file, LAYOUT* layout, int which) {
  if (!layout || !plat::isWritable(layout, sizeof *layout)) return 0;
  if (which != LAYOUT_SINGLE && which != LAYOUT_MULTIPLE) return 0;
  if (!usableFileName(file)) return 0;
  // The caller's file name may be a text of the layout itself.
  char name[kLayoutName];
  plat::copyText(name, sizeof name, file);

  // Every keyed field starts from its default; the reference spectrum, and
  // the fields that the other section does not read, keep their values.
  LAYOUT d;
  SetLayoutDefaults(&d);
  LAYOUT& l = *layout;
  PLOTLAYOUT& p = l.plot;
  TRACEPAR& t = l.trace;
  AXISPAR& a = l.axis;
  char reference[kLayoutName];
  std::memcpy(reference, p.reference, sizeof reference);
  float ox = p.OX, oy = p.OY;
  char spectrum[kLayoutName];
  std::memcpy(spectrum, l.spectrum, sizeof spectrum);
  l = d;
  std::memcpy(p.reference, reference, sizeof reference);
  if (which == LAYOUT_SINGLE) {
    p.OX = ox;
    p.OY = oy;
  } else {
    std::memcpy(l.spectrum, spectrum, sizeof spectrum);
  }

  Text section(which == LAYOUT_SINGLE ? TEXT_SECTION_SINGLE : TEXT_SECTION_MULTIPLE);
  // Without a section name, or with an empty file name, nothing is read.
  const char* from = section.ok() ? name : "";
  Reader r(section.s, from);
  if (which == LAYOUT_SINGLE) r.name(kLastpath, l.spectrum, sizeof l.spectrum);
  r.name(kOutputpath, p.outputpath, sizeof p.outputpath);
  r.integer(kAppend, p.append);
  r.integer(kRotate, p.rotate);
  r.real(kLogox, p.logox);
  r.real(kLogoy, p.logoy);
  r.real(kLogoheight, p.logoheight);
  r.real(kTextx, p.textx);
  r.real(kTexty, p.texty);
  r.real(kTextsize, p.textsize);
  r.name(kTextpath, p.textpath, sizeof p.textpath);
  r.integer(kOutputformat, p.outputformat);
  r.integer(kHpgliw, p.hpgliw);
  r.integer(kAbsolute, p.absolute);
  r.integer(kSpeed, p.speed);
  r.integer(kUpdatef1f2, p.updatef1f2);
  if (which == LAYOUT_MULTIPLE) {
    r.integer(kAbsolute, p.absolute);
    r.real(kOX, p.OX);
    r.real(kOY, p.OY);
  }
  plat::copyText(p.layoutfile, sizeof p.layoutfile, name);

  r.integer(kMaxyaction, t.maxyaction);
  r.integer(kPen, t.pen);
  r.integer(kLinestyle, t.linestyle);
  r.integer(kSpacing, t.spacing);
  r.real(kF1, t.F1);
  r.real(kF2, t.F2);
  r.real(kXoffset, t.xoffset);
  r.real(kYoffset, t.yoffset);
  r.real(kCX, t.CX);
  r.real(kCY, t.CY);
  r.real(kCyf1, t.cyf1);
  r.real(kCyf2, t.cyf2);
  r.integer(kCyscaling, t.cyscaling);
  r.real(kMAXY, t.MAXY);
  r.integer(kSkippoints, t.skippoints);
  r.integer(kSkipmode, t.skipmode);
  r.real(kRadius, t.radius);

  r.integer(kSuppress, a.suppress);
  r.integer(kUnits, a.units);
  r.integer(kDecimals, a.decimals);
  r.integer(kPen, a.pen);
  r.real(kAxisyoffset, a.axisyoffset);
  r.real(kTicklength, a.ticklength);
  r.real(kScaling, a.scaling);
  r.real(kTickincrement, a.tickincrement);
  float increment = static_cast<float>(a.labelincrement);
  r.real(kLabelincrement, increment);
  a.labelincrement = truncated(increment, d.axis.labelincrement);
  r.real(kDivisor, a.divisor);
  r.real(kLabelheight, a.labelheight);
  r.name(kLegend, a.legend, sizeof a.legend);

  t.pen = clampPen(t.pen);
  a.pen = clampPen(a.pen);
  return 1;
}

int SaveLayout(LAYOUT* single, const char* file) {
  if (!single || !plat::isWritable(single, sizeof *single)) return 0;
  if (!usableFileName(file) || !file[0]) return 0;
  Text section(TEXT_SECTION_SINGLE);
  if (!section.ok()) return 0;
  // The caller's file name may be a text of the layout itself.
  char name[kLayoutName];
  plat::copyText(name, sizeof name, file);

  LAYOUT& l = *single;
  PLOTLAYOUT& p = l.plot;
  const TRACEPAR& t = l.trace;
  const AXISPAR& a = l.axis;
  Writer w(section.s, name);
  w.name(kLastpath, l.spectrum, sizeof l.spectrum);
  w.name(kOutputpath, p.outputpath, sizeof p.outputpath);
  w.integer(kAppend, p.append);
  w.integer(kRotate, p.rotate);
  w.real(kLogox, p.logox);
  w.real(kLogoy, p.logoy);
  w.real(kLogoheight, p.logoheight);
  w.real(kTextx, p.textx);
  w.real(kTexty, p.texty);
  w.real(kTextsize, p.textsize);
  w.name(kTextpath, p.textpath, sizeof p.textpath);
  w.integer(kOutputformat, p.outputformat);
  w.integer(kHpgliw, p.hpgliw);
  w.integer(kAbsolute, p.absolute);
  w.integer(kSpeed, p.speed);
  w.integer(kUpdatef1f2, p.updatef1f2);
  plat::copyText(p.layoutfile, sizeof p.layoutfile, name);

  w.integer(kMaxyaction, t.maxyaction);
  w.integer(kPen, t.pen);
  w.integer(kLinestyle, t.linestyle);
  w.integer(kSpacing, t.spacing);
  w.real(kF1, t.F1);
  w.real(kF2, t.F2);
  w.real(kXoffset, t.xoffset);
  w.real(kYoffset, t.yoffset);
  w.real(kCX, t.CX);
  w.real(kCY, t.CY);
  w.real(kCyf1, t.cyf1);
  w.real(kCyf2, t.cyf2);
  w.integer(kCyscaling, t.cyscaling);
  w.real(kMAXY, t.MAXY);
  w.integer(kSkippoints, t.skippoints);
  w.integer(kSkipmode, t.skipmode);
  w.real(kRadius, t.radius);

  w.integer(kSuppress, a.suppress);
  w.integer(kUnits, a.units);
  w.integer(kDecimals, a.decimals);
  w.integer(kPen, a.pen);
  w.real(kAxisyoffset, a.axisyoffset);
  w.real(kTicklength, a.ticklength);
  w.real(kScaling, a.scaling);
  w.real(kTickincrement, a.tickincrement);
  w.real(kLabelincrement, a.labelincrement);
  w.real(kDivisor, a.divisor);
  w.real(kLabelheight, a.labelheight);
  w.name(kLegend, a.legend, sizeof a.legend);
  return 1;
}
