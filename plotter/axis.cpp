// The plot axis: axis line, ticks, labels and legend in HPGL or PostScript.
//
// Behaviour chosen where the contract leaves room, and where it is mended:
// - Texts in PostScript strings (labels and legend) have "(", ")" and "\"
//   escaped, so that any legend gives a valid file; in HPGL the label
//   terminator (ETX) and line ends are left out of the texts, so a label
//   cannot end early and the file stays one line.
// - The ticks lie at the multiples of the tick increment between the two
//   limits, whichever way the axis runs and whatever the sign of the
//   increment: the index range runs from the lower limit to the higher one,
//   with the tolerance of 0.01 ticks at the higher one. (Turning the signs
//   of both increments for a ppm or Hz axis whose right end is the higher
//   one would give an empty index range, an axis without any tick.) The
//   remainder test of a major tick does not depend on the signs.
// - A label increment of 0 makes tick 0 the only major tick (the only
//   multiple of 0). A tick increment of 0 or one that is not a number, equal
//   limits, or more than kAxisMaxTicks ticks draw no ticks and no labels.
// - A divisor of 0 labels the undivided values.
// - Decimal places below 0 are taken as 0 and above 40 as 40.
// - A character height that shows as 0 ("%.3f") writes no character size,
//   labels or legend: text of height 0 is invisible, and PostScript cannot
//   measure it (stringwidth fails with a singular font matrix).
// - Pens outside 1 to 12 are taken as 1 or 12.

#include "plotter/axis.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxDecimals = 40;
constexpr double kTickTolerance = 0.01;

// A text for an HPGL label: without the terminator and without line ends.
std::string hpglText(const char* text, std::size_t size) {
  std::string out;
  for (std::size_t i = 0; i < size && text[i]; ++i) {
    char c = text[i];
    if (c != '\x03' && c != '\r' && c != '\n') out += c;
  }
  return out;
}

class AxisText {
 public:
  AxisText(PlotFile& file, int dialect, float height) : file_(file), dialect_(dialect), h_(height) {}

  // Centred under the anchor (x, y): `lines` text lines down in HPGL, the
  // PostScript baseline `drop` character heights below it.
  void write(const char* text, std::size_t size, double x, double y, double lines, double drop) {
    if (dialect_ == PLOT_HPGL) {
      std::string t = hpglText(text, size);
      file_.Put(PT_HPGL_MOVE, x, y);
      file_.Put(PT_HPGL_CHAR_MOVE, -0.5 * static_cast<double>(t.size()), -lines);
      file_.Put(PT_HPGL_LABEL, t.c_str());
    } else {
      std::string raw(text, strnlen(text, size));
      file_.Put(PT_PS_MOVETO, x, y - drop * h_);
      file_.Put(PT_PS_CENTRED_TEXT, PostScriptText(raw.c_str()).c_str());
    }
  }

 private:
  PlotFile& file_;
  int dialect_;
  double h_;
};

}  // namespace

void WriteAxis(const AXISPAR& axis, int dialect, float F1, float F2, float CX, float xoffset,
               float yoffset, PlotFile& file) {
  if (dialect != PLOT_HPGL && dialect != PLOT_POSTSCRIPT) return;
  const bool hpgl = dialect == PLOT_HPGL;
  const double base = static_cast<double>(yoffset) + axis.axisyoffset;
  const double left = xoffset;
  const double right = static_cast<double>(xoffset) + CX;

  // 1. The axis line.
  if (hpgl) {
    file.Put(PT_HPGL_SOLID);
    file.Put(PT_HPGL_PEN, PlotPen(axis.pen));
    file.Put(PT_HPGL_MOVE, left, base);
    file.Put(PT_HPGL_DRAW, right, base);
  } else {
    file.Put(PT_PS_COLOUR, file.PenColour(axis.pen));
    file.Put(PT_PS_SOLID);
    file.Put(PT_PS_START, left, base);
    file.Put(PT_PS_LINETO, right, base);
    file.Put(PT_PS_STROKE);
  }

  // 2. The character size, unless the text would be invisible.
  const float height = axis.labelheight;
  const bool texts = std::fabs(static_cast<double>(height)) >= 0.0005;
  if (texts) {
    if (hpgl)
      file.Put(PT_HPGL_SIZE, 0.67 * height, static_cast<double>(height));
    else
      file.Put(PT_PS_FONT, static_cast<double>(height));
  }
  AxisText writer(file, dialect, height);

  const double tick = axis.ticklength;
  const double major = static_cast<double>(axis.scaling) * axis.ticklength;
  // Labels hang from the major ticks when they point down, else from the
  // axis line.
  const double anchor = tick <= 0 ? base + major : base;

  // 3. and 4. Increments and tick indices.
  const float t = std::fabs(axis.tickincrement);
  const int k = axis.labelincrement;
  const float lo = F1 < F2 ? F1 : F2;
  const float hi = F1 < F2 ? F2 : F1;
  bool ticks = t > 0 && std::isfinite(t) && std::isfinite(lo) && std::isfinite(hi) && F1 != F2;
  double first = 0, last = -1;
  if (ticks) {
    first = std::ceil(static_cast<double>(lo / t));
    last = std::floor(static_cast<double>(hi / t) + kTickTolerance);
    ticks = std::fabs(first) <= INT_MAX / 2 && std::fabs(last) <= INT_MAX / 2 &&
            last - first + 1 <= kAxisMaxTicks;
  }

  int decimals = axis.decimals < 0 ? 0 : axis.decimals > kMaxDecimals ? kMaxDecimals : axis.decimals;
  const double divisor = axis.divisor != 0 ? axis.divisor : 1.0;

  // 5. Ticks and labels.
  if (ticks) {
    for (int i = static_cast<int>(first); i <= static_cast<int>(last); ++i) {
      const float v = static_cast<float>(i) * t;
      const double x = left + static_cast<double>(CX) * (static_cast<double>(F1) - v) /
                                  (static_cast<double>(F1) - F2);
      const bool isMajor = k == 0 ? i == 0 : i % k == 0;
      const double y1 = base + (isMajor ? major : tick);
      if (hpgl) {
        file.Put(PT_HPGL_MOVE, x, y1);
        file.Put(PT_HPGL_DRAW, x, base);
      } else {
        file.Put(PT_PS_START, x, y1);
        file.Put(PT_PS_LINETO, x, base);
        file.Put(PT_PS_STROKE);
      }
      if (isMajor && texts) {
        char label[128];
        std::snprintf(label, sizeof label, "%.*f", decimals, v / divisor);
        writer.write(label, sizeof label, x, anchor, 1, 1.2);
      }
    }
  }

  // 6. The legend, centred under the axis.
  if (texts) {
    const double x = left + 0.5 * CX;
    writer.write(axis.legend, sizeof axis.legend, x, anchor - height, 2, 2);
  }
  if (hpgl) file.Put(PT_HPGL_PUT_PEN_AWAY);
}
