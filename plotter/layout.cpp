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

  // A whole number stored as a real ("2.7" reads as 2); an unusable text
  // keeps the field.
  void whole(UINT key, int& field) const;

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

void Reader::whole(UINT key, int& field) const {
  float v = static_cast<float>(field);
  real(key, v);
  field = truncated(v, field);
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
  void whole(UINT key, int value) const { real(key, value); }
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

// The keys that both layouts keep, in the order in which they are saved.
template <class Fields>
void visitLayout(Fields& f, LAYOUT& l) {
  PLOTLAYOUT& p = l.plot;
  TRACEPAR& t = l.trace;
  AXISPAR& a = l.axis;
  f.name(kOutputpath, p.outputpath, sizeof p.outputpath);
  f.integer(kAppend, p.append);
  f.integer(kRotate, p.rotate);
  f.real(kLogox, p.logox);
  f.real(kLogoy, p.logoy);
  f.real(kLogoheight, p.logoheight);
  f.real(kTextx, p.textx);
  f.real(kTexty, p.texty);
  f.real(kTextsize, p.textsize);
  f.name(kTextpath, p.textpath, sizeof p.textpath);
  f.integer(kOutputformat, p.outputformat);
  f.integer(kHpgliw, p.hpgliw);
  f.integer(kAbsolute, p.absolute);
  f.integer(kSpeed, p.speed);
  f.integer(kUpdatef1f2, p.updatef1f2);

  f.integer(kMaxyaction, t.maxyaction);
  f.integer(kPen, t.pen);
  f.integer(kLinestyle, t.linestyle);
  f.integer(kSpacing, t.spacing);
  f.real(kF1, t.F1);
  f.real(kF2, t.F2);
  f.real(kXoffset, t.xoffset);
  f.real(kYoffset, t.yoffset);
  f.real(kCX, t.CX);
  f.real(kCY, t.CY);
  f.real(kCyf1, t.cyf1);
  f.real(kCyf2, t.cyf2);
  f.integer(kCyscaling, t.cyscaling);
  f.real(kMAXY, t.MAXY);
  f.integer(kSkippoints, t.skippoints);
  f.integer(kSkipmode, t.skipmode);
  f.real(kRadius, t.radius);

  f.integer(kSuppress, a.suppress);
  f.integer(kUnits, a.units);
  f.integer(kDecimals, a.decimals);
  f.integer(kPen, a.pen);
  f.real(kAxisyoffset, a.axisyoffset);
  f.real(kTicklength, a.ticklength);
  f.real(kScaling, a.scaling);
  f.real(kTickincrement, a.tickincrement);
  f.whole(kLabelincrement, a.labelincrement);
  f.real(kDivisor, a.divisor);
  f.real(kLabelheight, a.labelheight);
  f.name(kLegend, a.legend, sizeof a.legend);
}

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
  visitLayout(r, l);
  if (which == LAYOUT_MULTIPLE) {
    r.real(kOX, p.OX);
    r.real(kOY, p.OY);
  }
  plat::copyText(p.layoutfile, sizeof p.layoutfile, name);

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
  Writer w(section.s, name);
  w.name(kLastpath, l.spectrum, sizeof l.spectrum);
  visitLayout(w, l);
  plat::copyText(l.plot.layoutfile, sizeof l.plot.layoutfile, name);
  return 1;
}
