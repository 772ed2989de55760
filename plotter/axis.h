// Drafton's plot axis: the axis line under the trace, minor and major ticks
// at multiples of the tick increment, a label under every major tick and the
// legend centred under the axis, written into an open plot file.
#pragma once

#include "plotter/layout.h"
#include "plotter/plotwriter.h"

// Most ticks one axis draws; a tick increment that would give more draws
// none (the axis line and the legend are still written).
constexpr int kAxisMaxTicks = 10000;

// Writes a complete axis in `dialect` (PLOT_HPGL or PLOT_POSTSCRIPT; nothing
// for any other) from the axis limits F1 (left end) and F2 (right end) in
// axis units, the plot width CX, the left edge xoffset and the base line
// yoffset, all in centimetres. The axis line lies at yoffset + axisyoffset.
void WriteAxis(const AXISPAR& axis, int dialect, float F1, float F2, float CX, float xoffset,
               float yoffset, PlotFile& file);
