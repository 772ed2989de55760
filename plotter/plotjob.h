// Drafton's plot job: one spectrum file and the single-spectrum layout turned
// into one plot in the output file. The job loads the spectrum, decides which
// points fall into the plot window and where that window lies on the page,
// fixes the vertical scale, thins the points, clips them against the upper
// plot limit and drives the plot writer (plotter/plotwriter.h) and the axis
// writer (plotter/axis.h).
//
// Window limits are in the layout's axis unit (ppm, Hz, s or pts); page
// coordinates in centimetres. Point i of a spectrum lies at
// F1 - i * (F1 - F2) / SI, so point 0 is the left end of the trace.
//
// Absolute intensity: while the layout's `absolute` is set, the first job
// computes the vertical scale and clears the rescale flag, and later jobs
// reuse the stored scale factor, so that successive spectra share the
// intensity scale of the first. The flag is set again at start-up and when
// `absolute` is switched off (SetAbsoluteMode).
#pragma once

#include "plotter/layout.h"
#include "spectrum/spectrum.h"
#include "winutil/platform/wintypes.h"

// Results of the job: 0 or the number of the program's message.
enum : int {
  PLOTJOB_DONE = 0,
  PLOTJOB_UNITS = 51,    // "Axis units are not compatible with spectrum type"
  PLOTJOB_LIMITS = 55,   // "Plot limits F1,F2 are invalid!"
  PLOTJOB_FAILED = 56,   // "Some unspecified error occured!"
  PLOTJOB_OUTSIDE = 78,  // "The spectrum is outside the specified plot limits!"
};

// The program's state as far as plot jobs use it: the layouts of PLOTSTATE
// (the single layout that the dialog edits and the working copy that each
// job fills) and the absolute-intensity state kept between jobs.
struct PLOTJOBSTATE : PLOTSTATE {
  int rescale;  // 1: the next job computes a new vertical scale; 1 at start-up
  float scale;  // vertical scale in cm per intensity unit, kept between jobs

  // Every layout at its defaults, rescale 1, scale 0.
  PLOTJOBSTATE();
};

// Switches the single layout's absolute intensity mode as the dialog does:
// switching it off sets the rescale flag, so that the next job with the mode
// on computes a new scale.
void SetAbsoluteMode(PLOTJOBSTATE& state, int on);

// The plot window of a job: the axis limits, the points plotted and where
// the trace lies on the page.
struct PLOTWINDOW {
  float F1, F2;   // axis limits in axis units (left end, right end)
  long first;     // index of the first point plotted
  long last;      // index of the last point plotted (first <= last < SI)
  double xstart;  // left edge of the trace in cm
  double width;   // width of the trace in cm (> 0)
};

// Fixes the plot window of `spectrum` from the layout `work` (a working copy:
// for the automatic window its axis tickincrement, decimals and
// labelincrement are set here). Checks the axis unit against the kind of
// data first. Returns 0 with `*window` filled, or 51, 55, 56 or 78 with
// `*window` and `work` unchanged:
// - 51: a time-domain signal with units ppm or Hz, a spectrum with units s,
//   units outside 0 to 3, or ppm for a spectrum without spectrometer
//   frequency;
// - 55: a spectrum whose F1 equals its F2, a divisor of 0 (or not a number),
//   equal window limits, or (units s) an acquisition time that is not a
//   positive number;
// - 56: window limits in the wrong order (F1 must exceed F2 in ppm and Hz,
//   F2 must exceed F1 in s and pts), a spectrum without points, a page
//   position, width, height or upper limit that is not a number;
// - 78: a window that contains no point of the spectrum.
int PlotWindow(LAYOUT& work, const Spectrum& spectrum, PLOTWINDOW* window);

// The plot job on a spectrum already loaded into `spectrum`: the working
// copy takes the single layout, then window, vertical scale (unless the
// absolute-intensity lock holds: `absolute` set and the rescale flag clear),
// output file, trace, axis (unless `suppress`) and, for PostScript, the page
// end. Returns 0, or 51, 55, 56 or 78 as PlotWindow does, and further:
// - 51: `cyscaling` 1 ("highest peak in range") with units s or pts;
// - 56: `cyscaling` 1 with cyf1 not above cyf2, intensities that are all 0
//   in the scaling range, or an output file that cannot be opened (or a
//   PostScript file to append to without "showpage");
// - 78: a `cyscaling` range that lies wholly beside the spectrum.
// A job that fails before opening the output file leaves it untouched; the
// scale factor and the rescale flag change only once the scale is fixed.
// Shows nothing: the caller reports a non-zero result.
int PlotLoadedSpectrum(PLOTJOBSTATE& state, const Spectrum& spectrum);

// The whole plot job: the working copy takes the single layout, the
// spectrum named in the single layout's spectrum field (key "lastpath") is
// loaded into `spectrum` (RetrieveNMRSpectrum with `owner` as the parent of
// value prompts; a failure, which the loader has shown, gives 56), and the
// job goes on as PlotLoadedSpectrum.
int RunPlotJob(PLOTJOBSTATE& state, Spectrum& spectrum, HWND owner = nullptr);
