// Drafton's plot layouts: the records that shape a plot (page position and
// size, window limits, thinning, pen and line style, axis and labels, logo
// and text block) and their sections in settings files.
//
// A layout is kept in a settings file as one section ("SINGLE" or
// "MULTIPLE") of key=value lines, one key per field named below. The trace
// pen and the axis pen share the key "pen": saving writes the trace pen and
// then the axis pen under it, so the file holds the axis pen, and loading
// gives both pens that value. Loading limits both pens to 1 to 12.
#pragma once

#include "winutil/platform/wintypes.h"

// Output dialects (PLOTLAYOUT::outputformat).
enum : int {
  PLOT_HPGL = 0,
  PLOT_POSTSCRIPT = 1,
  PLOT_WMF = 2,  // offered by the dialog, never written
};

// Axis units (AXISPAR::units).
enum : int { UNITS_PPM = 0, UNITS_HZ = 1, UNITS_S = 2, UNITS_PTS = 3 };

// Line styles (TRACEPAR::linestyle): 0 solid, 1 to 6 dash patterns, 7 a
// circle at every plotted point.
enum : int { STYLE_SOLID = 0, STYLE_CIRCLES = 7 };

// Pens of the trace and the axis.
enum : int { PEN_FIRST = 1, PEN_LAST = 12 };

constexpr int kLayoutName = 260;    // a name: up to 259 characters
constexpr int kLayoutLegend = 40;   // the legend: up to 39 characters

// The file, dialect, page placement and decorations of a plot.
struct PLOTLAYOUT {
  int hpgliw;        // HPGL header with "IW;"
  int rotate;        // rotate the plot by 90 degrees
  int absolute;      // absolute intensity mode
  int append;        // append to an existing output file
  int updatef1f2;    // plot the whole spectrum, scale the axis to it
  int outputformat;  // PLOT_HPGL, PLOT_POSTSCRIPT, PLOT_WMF
  int speed;         // HPGL plot speed; PostScript line width in half-points
  float OX, OY;      // lengths in cm of the multiple-spectra layout
  float logox, logoy, logoheight;   // logo position and height in cm
  float textx, texty, textsize;     // first text line and character height in cm
  char reference[kLayoutName];      // reference spectrum (multiple spectra); no key
  char outputpath[kLayoutName];     // output file name
  char layoutfile[kLayoutName];     // settings file last loaded from or saved to; no key
  char textpath[kLayoutName];       // text file of the text block
};

// The trace: pen, style, thinning, clipping, window and page box.
struct TRACEPAR {
  int maxyaction;  // above the upper limit: 0 lift pen, 1 straight line
  int pen;         // 1 to 12
  int linestyle;   // 0 to 7
  int spacing;     // pattern length in percent
  int skipmode;    // 0 skip, 1 average, 2 absmax
  int cyscaling;   // 0 highest peak, 1 highest peak between cyf1 and cyf2
  int skippoints;  // points skipped between plotted points
  float radius;    // circle radius in cm (style 7)
  float F1, F2;    // window limits in axis units (left, right)
  float xoffset, yoffset;  // left edge and base line in cm
  float CX;        // plot width in cm
  float CY;        // height of the intensity range in cm
  float cyf1, cyf2;  // range of cyscaling 1
  float MAXY;      // upper plot limit above the base line in cm
};

// The axis under the trace.
struct AXISPAR {
  int suppress;        // 1: no axis
  int units;           // UNITS_PPM, UNITS_HZ, UNITS_S, UNITS_PTS
  int pen;             // 1 to 12
  int decimals;        // decimal places of the labels
  int labelincrement;  // a labelled major tick every this many ticks
  float divisor;       // label values are divided by it
  float axisyoffset;   // axis line relative to the base line in cm
  float ticklength;    // minor tick length in cm; negative points down
  float scaling;       // major tick length as a multiple of ticklength
  float tickincrement; // tick spacing in axis units
  float labelheight;   // character height of labels and legend in cm
  char legend[kLayoutLegend];
};

// One layout; `spectrum` (key "lastpath") is used by the single layout only.
struct LAYOUT {
  PLOTLAYOUT plot;
  TRACEPAR trace;
  AXISPAR axis;
  char spectrum[kLayoutName];
};

// The layouts of the program's state: the single layout that the dialog
// edits, the multiple-spectra layout read at start-up, and the working copy
// that each plot job takes of the single layout.
struct PLOTSTATE {
  LAYOUT single;
  LAYOUT multiple;
  LAYOUT work;
};

// Layout sections of LoadLayout.
enum : int { LAYOUT_SINGLE = 0, LAYOUT_MULTIPLE = 1 };

// Data resources of the program's "GENERAL" settings (INIDATUM records):
// "portable" (default 0) and "digits", the decimal places with which dialogs
// show real values (default 3).
enum : UINT { DATUM_PORTABLE = 2, DATUM_DIGITS = 3 };

// String numbers of the settings sections.
enum : UINT { TEXT_SECTION_SINGLE = 200, TEXT_SECTION_MULTIPLE = 201, TEXT_SECTION_GENERAL = 202 };

// Sets every field to its default: the values a file without the section
// gives, empty names and the legend "[ppm]".
void SetLayoutDefaults(LAYOUT* layout);

// Reads section "SINGLE" (which = LAYOUT_SINGLE, with the spectrum file name)
// or "MULTIPLE" (LAYOUT_MULTIPLE, with OX and OY) of `file` into `layout`.
// Missing files and keys give the defaults; the reference spectrum keeps its
// value and the layout file field becomes `file`. Returns 1; 0 without
// touching the layout when `layout` is null, `which` is neither section, or
// `file` is null or longer than 259 characters.
int LoadLayout(const char* file, LAYOUT* layout, int which);

// Writes `single` as section "SINGLE" of `file`; keys the file already
// holds keep their place. The layout file field becomes `file`. Returns 1
// whether or not the writes succeed; 0 with nothing written when `single` is
// null or `file` is null, empty or longer than 259 characters.
int SaveLayout(LAYOUT* single, const char* file);
