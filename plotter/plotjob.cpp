// The plot job: plot window, vertical scale, thinned and clipped trace, and
// the output file with its axis.
//
// Behaviour chosen where the contract leaves room, and where it is mended:
// - Average mode with `skippoints` 0 averages the single point (a group of
//   one): an empty group would put every point after the first at page
//   height 0. Absmax with `skippoints` 0 likewise takes the point itself. A
//   negative `skippoints` is taken as 0: a step of 0 or below would never
//   reach the end of the window.
// - Absmax takes the largest intensity of its group when the group's mean
//   intensity is above 0 and the smallest otherwise. (Taking the sign of the
//   mean page height, which includes the base line `yoffset`, would make a
//   group of negative intensities above the page origin plot its least
//   negative point instead of its extreme.)
// - A spectrometer frequency that is not a positive number with units ppm
//   gives 51: such a spectrum has no ppm scale.
// - A `divisor` of 0 (or not a number) gives 55 in the manual window as in
//   the automatic one. The label width of the automatic window uses the
//   divisor's magnitude, so a negative divisor scales the labels as a
//   positive one does.
// - A `labelincrement` below 1 starts the label-increment search of the
//   automatic window at 1 (the search divides by it). In the manual window,
//   and where the automatic window keeps the configured value, the axis
//   writer makes tick 0 the only labelled tick for a label increment of 0.
// - A `tickincrement` of 0 in the manual window draws the axis line and the
//   legend without ticks (the axis writer's rule); the job does not divide
//   by it.
// - Units outside 0 to 3 give 51 in both windows; a `cyscaling` other than 1
//   scales to the highest peak of the window, as 0 does.
// - A window that holds no point of the spectrum gives 78: one that ends
//   exactly at the spectrum's limit, or one that falls between two points.
//   (The trace would divide its width by a point count of 0.) So does a
//   window whose trace width works out at 0 or below, which a spectrum
//   whose F1 lies below its F2 can give in the manual ppm or Hz window.
// - The acquisition time of units s must be a positive number (55); page
//   position, sizes and the upper limit must be numbers (56), so that no
//   coordinate in the file is "nan".
// - Group members of average and absmax past the spectrum's last point
//   read as 0 without being visited one by one, so that a huge `skippoints`
//   costs no more than the spectrum's points.

#include "plotter/plotjob.h"

#include <cmath>

#include "plotter/axis.h"
#include "plotter/plotwriter.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

// Skip modes (TRACEPAR::skipmode).
enum : int { SKIP_SKIP = 0, SKIP_AVERAGE = 1, SKIP_ABSMAX = 2 };
// Above the upper limit (TRACEPAR::maxyaction).
constexpr int kLiftPen = 0;
// Vertical scaling (TRACEPAR::cyscaling).
constexpr int kHighestInRange = 1;

bool isNumber(double v) { return std::isfinite(v); }

// trunc(v): toward zero, as a point index in a long.
long truncIndex(double v) {
  if (!(v > -2147483647.0)) return -2147483647L;
  if (!(v < 2147483647.0)) return 2147483647L;
  return static_cast<long>(v);
}

// The automatic window: the whole spectrum, the axis scaled to it.
int automaticWindow(LAYOUT& work, double S1, double S2, long N, PLOTWINDOW& w) {
  AXISPAR& a = work.axis;
  const TRACEPAR& t = work.trace;
  const double divisor = a.divisor;
  if (divisor == 0 || !isNumber(divisor)) return PLOTJOB_LIMITS;
  const double range = S1 - S2;
  if (range == 0 || !isNumber(range)) return PLOTJOB_LIMITS;

  // Tick increment = 10^floor(log10(|range| / 15)).
  const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(range) / 15)));
  const double tick = std::pow(10.0, exponent);
  const int decimals = tick < 1 ? -exponent : 0;

  // Digits before the point: n = ceil(max(|log10(|a| / divisor)|, |log10(|b| / divisor)|)).
  const double da = S1 != 0 ? S1 : 1, db = S2 != 0 ? S2 : 1;
  const double n = std::ceil(std::fmax(std::fabs(std::log10(std::fabs(da) / std::fabs(divisor))),
                                       std::fabs(std::log10(std::fabs(db) / std::fabs(divisor)))));
  const double ticks = std::trunc(range / tick);  // negative for s and pts
  const double W = (decimals + n) * a.labelheight;

  int label = a.labelincrement;
  if (!(t.CX < W)) {
    int k = label < 1 ? 1 : label;
    while (t.CX < W * ticks / k && k < ticks) {
      switch (k) {
        case 1: k = 2; break;
        case 2: k = 4; break;
        case 4: k = 5; break;
        case 5: k = 10; break;
        case 10: k = 20; break;
        default: ++k; break;
      }
    }
    if (k <= 20) label = k;
  }

  a.tickincrement = static_cast<float>(tick);
  a.decimals = decimals;
  a.labelincrement = label;
  w.F1 = static_cast<float>(S1);
  w.F2 = static_cast<float>(S2);
  w.first = 0;
  w.last = N - 1;
  w.xstart = t.xoffset;
  w.width = t.CX;
  return PLOTJOB_DONE;
}

// The manual window for ppm and Hz: S1, S2 the spectrum's limits in the
// axis unit; the window runs from L1 down to L2.
int frequencyWindow(const TRACEPAR& t, double S1, double S2, long N, PLOTWINDOW& w) {
  const double L1 = t.F1, L2 = t.F2, CX = t.CX;
  if (!(L1 > L2)) return PLOTJOB_FAILED;
  double xstart = t.xoffset, width = CX;
  double first = 0, last = 0;
  if (L1 < S1) {
    if (L1 < S2) return PLOTJOB_OUTSIDE;
    first = std::trunc(N * (S1 - L1) / (S1 - S2) + 0.5);
  } else {
    if (L2 >= S1) return PLOTJOB_OUTSIDE;
    first = 0;
    xstart = t.xoffset + CX * (L1 - S1) / (L1 - L2);
    width = CX - (xstart - t.xoffset);
  }
  if (S2 < L2) {
    last = std::trunc(N * (S1 - L2) / (S1 - S2) - 0.5);
  } else {
    last = N - 1;
    width *= 1 - (S2 - L2) / (std::fmin(L1, S1) - L2);
  }
  w.first = truncIndex(first);
  w.last = truncIndex(last);
  w.xstart = xstart;
  w.width = width;
  return PLOTJOB_DONE;
}

// The manual window for s and pts: the axis runs from 0 at the left to G.
int timeWindow(const TRACEPAR& t, double G, long N, PLOTWINDOW& w) {
  const double L1 = t.F1, L2 = t.F2, CX = t.CX;
  if (!(L2 > L1)) return PLOTJOB_FAILED;
  double xstart = t.xoffset, width = CX;
  double first = 0, last = 0;
  if (L1 < 0) {
    if (L2 <= 0) return PLOTJOB_OUTSIDE;
    first = 0;
    xstart = t.xoffset + CX * (0 - L1) / (L2 - L1);
    width = CX - (xstart - t.xoffset);
  } else {
    if (L1 >= G) return PLOTJOB_OUTSIDE;
    first = std::trunc(N * L1 / G + 0.5);
  }
  if (L2 >= G) {
    last = N - 1;
    width *= 1 - (L2 - G) / (L2 - std::fmax(L1, 0.0));
  } else {
    last = std::trunc(N * L2 / G - 0.5);
  }
  w.first = truncIndex(first);
  w.last = truncIndex(last);
  w.xstart = xstart;
  w.width = width;
  return PLOTJOB_DONE;
}

// The first and last point of the "highest peak in range" scaling: 0, or
// 51, 56, 78.
int scalingRange(const LAYOUT& work, double F1s, double F2s, double SF, long N, long* from,
                 long* to) {
  double c1 = work.trace.cyf1, c2 = work.trace.cyf2;
  if (work.axis.units == UNITS_PPM) {
    c1 *= SF;
    c2 *= SF;
  } else if (work.axis.units != UNITS_HZ) {
    return PLOTJOB_UNITS;
  }
  if (!(c1 > c2)) return PLOTJOB_FAILED;
  double j = 0, k = N - 1;
  if (c1 < F1s) {
    if (c1 < F2s) return PLOTJOB_OUTSIDE;
    j = std::trunc(N * (F1s - c1) / (F1s - F2s) + 0.5);
  } else {
    if (c2 >= F1s) return PLOTJOB_OUTSIDE;
    j = 0;
  }
  if (c2 > F2s) k = std::trunc(N * (F1s - c2) / (F1s - F2s) - 0.5);
  // Only points of the spectrum count; an empty range gives d = 0 below.
  *from = truncIndex(std::fmax(j, 0.0));
  *to = truncIndex(std::fmin(k, static_cast<double>(N - 1)));
  return PLOTJOB_DONE;
}

// Step 3: the vertical scale in cm per intensity unit, from the intensity
// extremes of the plot window or of the scaling range. 0, or 51, 56, 78.
int verticalScale(const LAYOUT& work, const Spectrum& s, const PLOTWINDOW& w, double* scale) {
  long from = w.first, to = w.last;
  if (work.trace.cyscaling == kHighestInRange) {
    int r = scalingRange(work, s.GetF1(), s.GetF2(), s.GetSF(), s.GetSI(), &from, &to);
    if (r != PLOTJOB_DONE) return r;
  }
  double max = 0, min = 0;
  for (long i = from; i <= to; ++i) {
    const double v = s.GetRealInt(i);
    max = CVmax(max, v);
    min = CVmin(min, v);
  }
  const double d = max - min;
  if (d == 0 || !isNumber(d)) return PLOTJOB_FAILED;
  *scale = work.trace.CY / d;
  return PLOTJOB_DONE;
}

// Step 5: the pen events of the thinned, clipped trace.
class Trace {
 public:
  Trace(PlotFile& file, const LAYOUT& work, const Spectrum& s, const PLOTWINDOW& w, float scale)
      : file_(file),
        s_(s),
        n_(s.GetSI()),
        first_(w.first),
        last_(w.last),
        xstart_(w.xstart),
        scale_(scale),
        base_(work.trace.yoffset),
        upper_(static_cast<double>(work.trace.yoffset) + work.trace.MAXY),
        lift_(work.trace.maxyaction == kLiftPen),
        circles_(work.trace.linestyle == STYLE_CIRCLES),
        mode_(work.trace.skipmode) {
    const long long skip = work.trace.skippoints < 0 ? 0 : work.trace.skippoints;
    step_ = skip + 1;
    group_ = (mode_ == SKIP_AVERAGE || mode_ == SKIP_ABSMAX) && skip > 0 ? skip : 1;
    dx_ = w.width / (static_cast<double>(w.last) - w.first + 1);
  }

  void write() {
    // The first point, without thinning.
    double xp = xstart_, yp = height(s_.GetRealInt(first_));
    bool penUp = false;
    if (yp > upper_ && lift_) {
      file_.PenUpMove(xp, yp);
      penUp = true;
    } else {
      yp = std::fmin(yp, upper_);
      if (circles_)
        file_.Marker(xp, yp);
      else
        file_.StartLine(xp, yp);
    }
    for (long long i = first_ + step_; i <= last_; i += step_) {
      const double x = xstart_ + static_cast<double>(i - first_) * dx_;
      double y = height(thinned(i));
      if (y > upper_ && lift_) {
        if (!penUp) {
          if (!circles_) file_.LeaveRange(crossing(xp, yp, x, y), x, y);
          penUp = true;
        }
      } else if (penUp && !circles_) {
        file_.EnterRange(crossing(xp, yp, x, y), x, y);
        penUp = false;
      } else {
        y = std::fmin(y, upper_);
        if (circles_)
          file_.Marker(x, y);
        else
          file_.LineTo(x, y);
      }
      xp = x;
      yp = y;
    }
  }

 private:
  double height(double intensity) const { return base_ + scale_ * intensity; }

  double at(long long i) const { return i < n_ ? s_.GetRealInt(static_cast<long>(i)) : 0.0; }

  // The abscissa where the line from (xp, yp) to (x, y) crosses the upper
  // limit: xc = xp + (Y - yp) * (x - xp) / (y - yp).
  double crossing(double xp, double yp, double x, double y) const {
    return xp + (upper_ - yp) * (x - xp) / (y - yp);
  }

  // The intensity plotted for point i in the skip mode.
  double thinned(long long i) const {
    if (group_ <= 1 || (mode_ != SKIP_AVERAGE && mode_ != SKIP_ABSMAX)) return at(i);
    // Members at or beyond the spectrum's end read as 0.
    const long long inside = i >= n_ ? 0 : (n_ - i < group_ ? n_ - i : group_);
    // Running mean of the intensities, starting at 0; the members past the
    // end add zeros, which scale it by inside / group.
    double mean = 0;
    for (long long m = 0; m < inside; ++m) mean += (at(i + m) - mean) / static_cast<double>(m + 1);
    mean *= static_cast<double>(inside) / static_cast<double>(group_);
    if (mode_ == SKIP_AVERAGE) return mean;
    // Absmax: the extreme on the side of the mean. Zeros past the end never
    // change it: a mean above 0 needs a positive member, one below 0 a
    // negative member.
    double v = at(i);
    const bool up = mean > 0;
    for (long long m = 1; m < inside; ++m) {
      const double u = at(i + m);
      if (up ? u >= v : u <= v) v = u;
    }
    return v;
  }

  PlotFile& file_;
  const Spectrum& s_;
  const long long n_;
  const long long first_, last_;
  const double xstart_;
  const double scale_;
  const double base_, upper_;
  const bool lift_, circles_;
  const int mode_;
  long long step_ = 1, group_ = 1;
  double dx_ = 0;
};

}  // namespace

PLOTJOBSTATE::PLOTJOBSTATE() : PLOTSTATE(), rescale(1), scale(0) {
  SetLayoutDefaults(&single);
  SetLayoutDefaults(&multiple);
  SetLayoutDefaults(&work);
}

void SetAbsoluteMode(PLOTJOBSTATE& state, int on) {
  if (state.single.plot.absolute && !on) state.rescale = 1;
  state.single.plot.absolute = on;
}

int PlotWindow(LAYOUT& work, const Spectrum& spectrum, PLOTWINDOW* window) {
  if (!window) return PLOTJOB_FAILED;
  const int units = work.axis.units;
  const bool fid = spectrum.GetSpecFlag(SPF_FID) != 0;
  if (units < UNITS_PPM || units > UNITS_PTS) return PLOTJOB_UNITS;
  if (fid ? units != UNITS_S && units != UNITS_PTS : units == UNITS_S) return PLOTJOB_UNITS;

  const double F1s = spectrum.GetF1(), F2s = spectrum.GetF2(), SF = spectrum.GetSF();
  const long N = spectrum.GetSI();
  if (units == UNITS_PPM && !(SF > 0 && isNumber(SF))) return PLOTJOB_UNITS;
  if (F1s == F2s || !isNumber(F1s) || !isNumber(F2s)) return PLOTJOB_LIMITS;
  if (N <= 0) return PLOTJOB_FAILED;
  const TRACEPAR& t = work.trace;
  if (!isNumber(t.xoffset) || !isNumber(t.yoffset) || !isNumber(t.CX) || !isNumber(t.CY) ||
      !isNumber(t.MAXY) || !isNumber(t.radius))
    return PLOTJOB_FAILED;

  // The axis range of the whole spectrum in the axis unit: S1 at the left.
  double S1 = 0, S2 = 0;
  switch (units) {
    case UNITS_PPM: S1 = F1s / SF; S2 = F2s / SF; break;
    case UNITS_HZ: S1 = F1s; S2 = F2s; break;
    case UNITS_S: S1 = 0; S2 = spectrum.GetTD() / (F1s - F2s); break;
    default: S1 = 0; S2 = static_cast<double>(N); break;
  }
  if (units == UNITS_S && !(S2 > 0 && isNumber(S2))) return PLOTJOB_LIMITS;

  PLOTWINDOW w{};
  LAYOUT copy = work;
  int result = PLOTJOB_DONE;
  if (copy.plot.updatef1f2) {
    result = automaticWindow(copy, S1, S2, N, w);
  } else {
    if (copy.axis.divisor == 0 || !isNumber(copy.axis.divisor)) return PLOTJOB_LIMITS;
    if (t.F1 == t.F2) return PLOTJOB_LIMITS;
    w.F1 = t.F1;
    w.F2 = t.F2;
    if (units == UNITS_PPM || units == UNITS_HZ)
      result = frequencyWindow(t, S1, S2, N, w);
    else
      result = timeWindow(t, S2, N, w);
  }
  if (result != PLOTJOB_DONE) return result;
  // A window without any point of the spectrum, or without width.
  if (w.first < 0 || w.last > N - 1 || w.first > w.last) return PLOTJOB_OUTSIDE;
  if (!(w.width > 0) || !isNumber(w.width) || !isNumber(w.xstart)) return PLOTJOB_OUTSIDE;
  work = copy;
  *window = w;
  return PLOTJOB_DONE;
}

int PlotLoadedSpectrum(PLOTJOBSTATE& state, const Spectrum& spectrum) {
  state.work = state.single;
  LAYOUT& work = state.work;
  PLOTWINDOW window{};
  int result = PlotWindow(work, spectrum, &window);
  if (result != PLOTJOB_DONE) return result;

  // Step 3, unless the absolute-intensity lock holds.
  if (!(work.plot.absolute && !state.rescale)) {
    double scale = 0;
    result = verticalScale(work, spectrum, window, &scale);
    if (result != PLOTJOB_DONE) return result;
    state.scale = static_cast<float>(scale);
    if (work.plot.absolute) state.rescale = 0;
  }

  // Step 4: the output file.
  PlotFile file;
  if (file.Open(work.plot.outputpath, work.plot.append, work.plot.outputformat) != 0)
    return PLOTJOB_FAILED;
  file.WriteHeader(work.plot);
  file.BeginTrace(work.plot, work.trace);
  Trace(file, work, spectrum, window, state.scale).write();
  file.EndTrace();
  if (work.axis.suppress == 0)
    WriteAxis(work.axis, work.plot.outputformat, window.F1, window.F2, work.trace.CX,
              work.trace.xoffset, work.trace.yoffset, file);
  file.EndPage();
  file.Close();
  return PLOTJOB_DONE;
}

int RunPlotJob(PLOTJOBSTATE& state, Spectrum& spectrum, HWND owner) {
  state.work = state.single;
  char path[kLayoutName];
  plat::copyText(path, sizeof path, state.single.spectrum);
  if (!spectrum.RetrieveNMRSpectrum(owner, path, nullptr, nullptr, SPR_ALLKINDS))
    return PLOTJOB_FAILED;
  return PlotLoadedSpectrum(state, spectrum);
}
