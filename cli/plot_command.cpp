// quintar plot SPECTRUM... -o OUTPUT [--layout FILE] [--set key=value]...
// [--format hpgl|ps]: Drafton's plot job from the command line.
//
// The layout is section "SINGLE" of FILE as the program loads it, or the
// built-in defaults; every --set names a layout field by its settings-file
// key. The spectra are plotted one after the other, each by one job of one
// program run: they share the absolute-intensity state, and every spectrum
// after the first is appended to OUTPUT. The first follows the layout's
// `append` (1 by default, as in the program: an existing OUTPUT gets the new
// plot added; --set append=0 replaces it).
//
// Decisions of this command:
// - --set values are checked: integers and reals must be whole numbers of
//   their type (a real must be finite and fit a float), names at most 259
//   characters and the legend 39; a bad value or an unknown key stops the
//   command before anything is plotted. `pen` sets both pens (limited to 1
//   to 12) and `labelincrement` is truncated, as loading a layout does.
//   `lastpath` and `outputpath` are refused: SPECTRUM and -o give them.
// - --format wins over a layout's or --set's outputformat.
// - A missing --layout file is an error (the program would silently take the
//   defaults, which hides a mistyped name).
// - The first failing job stops the command with its message on standard
//   error and status 1; the plots of the spectra before it stay in OUTPUT
//   (each is complete), and a job that fails before writing leaves OUTPUT as
//   it was (or absent).

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/ui_console.h"
#include "plotter/layout.h"
#include "plotter/plotjob.h"
#include "spectrum/spectrum.h"
#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"

namespace cli {
namespace {

struct PlotRequest {
  std::vector<std::string> spectra;
  std::string output, layout, format;
  std::vector<std::string> sets;
  std::string sf;  // answers the spectrometer-frequency prompt of files that lack it
};

// The type of a layout field.
enum class Kind { Integer, Real, Name, Legend, LabelIncrement, Pen, Refused };

// A layout field by the number of its key text in the program's string
// table (the key names of the settings file).
struct Field {
  UINT key;
  Kind kind;
  void* (*at)(LAYOUT&);
};

#define QFIELD(id, kind, expr) {id, Kind::kind, [](LAYOUT& l) -> void* { return &(expr); }}
const Field kFields[] = {
    QFIELD(210, Refused, l.spectrum),       QFIELD(211, Refused, l.plot.outputpath),
    QFIELD(212, Integer, l.plot.append),    QFIELD(213, Integer, l.plot.rotate),
    QFIELD(214, Real, l.plot.logox),        QFIELD(215, Real, l.plot.logoy),
    QFIELD(216, Real, l.plot.logoheight),   QFIELD(217, Real, l.plot.textx),
    QFIELD(218, Real, l.plot.texty),        QFIELD(219, Real, l.plot.textsize),
    QFIELD(220, Name, l.plot.textpath),     QFIELD(221, Integer, l.plot.outputformat),
    QFIELD(222, Integer, l.plot.hpgliw),    QFIELD(223, Integer, l.plot.absolute),
    QFIELD(224, Integer, l.plot.speed),     QFIELD(225, Integer, l.plot.updatef1f2),
    QFIELD(226, Real, l.plot.OX),           QFIELD(227, Real, l.plot.OY),
    QFIELD(228, Integer, l.trace.maxyaction), QFIELD(229, Pen, l.trace.pen),
    QFIELD(230, Integer, l.trace.linestyle), QFIELD(231, Integer, l.trace.spacing),
    QFIELD(232, Real, l.trace.F1),          QFIELD(233, Real, l.trace.F2),
    QFIELD(234, Real, l.trace.xoffset),     QFIELD(235, Real, l.trace.yoffset),
    QFIELD(236, Real, l.trace.CX),          QFIELD(237, Real, l.trace.CY),
    QFIELD(238, Real, l.trace.cyf1),        QFIELD(239, Real, l.trace.cyf2),
    QFIELD(240, Integer, l.trace.cyscaling), QFIELD(241, Real, l.trace.MAXY),
    QFIELD(242, Integer, l.trace.skippoints), QFIELD(243, Integer, l.trace.skipmode),
    QFIELD(244, Real, l.trace.radius),      QFIELD(245, Integer, l.axis.suppress),
    QFIELD(246, Integer, l.axis.units),     QFIELD(247, Integer, l.axis.decimals),
    QFIELD(248, Real, l.axis.axisyoffset),  QFIELD(249, Real, l.axis.ticklength),
    QFIELD(250, Real, l.axis.scaling),      QFIELD(251, Real, l.axis.tickincrement),
    QFIELD(252, LabelIncrement, l.axis.labelincrement), QFIELD(253, Real, l.axis.divisor),
    QFIELD(254, Real, l.axis.labelheight),  QFIELD(255, Legend, l.axis.legend),
};
#undef QFIELD

std::string programText(UINT id) {
  char text[256];
  if (plat::loadString(ThisModule(), id, text, sizeof text) <= 0) return {};
  return text;
}

bool sameKey(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

const Field* fieldNamed(const std::string& key) {
  for (const Field& f : kFields)
    if (sameKey(programText(f.key), key)) return &f;
  return nullptr;
}

std::string keyList() {
  std::string out;
  for (const Field& f : kFields) {
    if (f.kind == Kind::Refused) continue;
    if (!out.empty()) out += ' ';
    out += programText(f.key);
  }
  return out;
}

// Whole-text conversions: blanks around the number are allowed, nothing else.
bool wholeText(const char* start, const char* end) {
  if (end == start) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == 0;
}

bool toInteger(const std::string& text, int* out) {
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (!wholeText(text.c_str(), end) || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  *out = static_cast<int>(v);
  return true;
}

bool toReal(const std::string& text, float* out) {
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (!wholeText(text.c_str(), end) || !std::isfinite(v) || std::fabs(v) > FLT_MAX) return false;
  *out = static_cast<float>(v);
  return true;
}

// Applies one "key=value"; an empty text, or the reason it is refused.
std::string applySetting(LAYOUT& layout, const std::string& setting) {
  std::size_t eq = setting.find('=');
  if (eq == std::string::npos || eq == 0) return "--set " + setting + ": expected key=value";
  std::string key = setting.substr(0, eq), value = setting.substr(eq + 1);
  const Field* f = fieldNamed(key);
  if (!f) return "--set " + key + ": not a layout key; the keys are: " + keyList();
  const std::string bad = "--set " + key + ": ";
  void* at = f->at(layout);
  switch (f->kind) {
    case Kind::Refused:
      return bad + "given by " + (f->key == 210 ? "SPECTRUM" : "-o OUTPUT");
    case Kind::Integer:
      if (!toInteger(value, static_cast<int*>(at))) return bad + "'" + value + "' is not a whole number";
      break;
    case Kind::Pen: {
      int pen = 0;
      if (!toInteger(value, &pen)) return bad + "'" + value + "' is not a whole number";
      pen = pen < PEN_FIRST ? PEN_FIRST : pen > PEN_LAST ? PEN_LAST : pen;
      layout.trace.pen = pen;
      layout.axis.pen = pen;
      break;
    }
    case Kind::Real:
      if (!toReal(value, static_cast<float*>(at))) return bad + "'" + value + "' is not a number";
      break;
    case Kind::LabelIncrement: {
      float v = 0;
      if (!toReal(value, &v) || v >= 2147483647.0f || v <= -2147483648.0f)
        return bad + "'" + value + "' is not a number of the label increment's range";
      *static_cast<int*>(at) = static_cast<int>(v);
      break;
    }
    case Kind::Name:
    case Kind::Legend: {
      std::size_t size = f->kind == Kind::Name ? kLayoutName : kLayoutLegend;
      if (value.size() >= size)
        return bad + "longer than " + std::to_string(size - 1) + " characters";
      plat::copyText(static_cast<char*>(at), size, value.c_str());
      break;
    }
  }
  return {};
}

int fail(const std::string& text) {
  std::fprintf(stderr, "quintar: %s\n", text.c_str());
  return 1;
}

int runPlot(const PlotRequest& r) {
  LAYOUT layout;
  SetLayoutDefaults(&layout);
  if (!r.layout.empty()) {
    if (r.layout.size() >= static_cast<std::size_t>(kLayoutName))
      return fail(r.layout + ": the layout file name is longer than 259 characters");
    if (!plat::exists(r.layout.c_str())) return fail(r.layout + ": no such layout file");
    LoadLayout(r.layout.c_str(), &layout, LAYOUT_SINGLE);
  }
  for (const std::string& s : r.sets) {
    std::string refused = applySetting(layout, s);
    if (!refused.empty()) return fail(refused);
  }
  if (r.format == "hpgl") layout.plot.outputformat = PLOT_HPGL;
  if (r.format == "ps") layout.plot.outputformat = PLOT_POSTSCRIPT;
  if (r.output.empty() || r.output.size() >= static_cast<std::size_t>(kLayoutName))
    return fail(r.output + ": the output file name must have 1 to 259 characters");
  plat::copyText(layout.plot.outputpath, sizeof layout.plot.outputpath, r.output.c_str());
  for (const std::string& s : r.spectra)
    if (s.empty() || s.size() >= static_cast<std::size_t>(kLayoutName))
      return fail(s + ": the spectrum file name must have 1 to 259 characters");

  // One program run: one state, one spectrum object, one job per spectrum.
  std::unique_ptr<PLOTJOBSTATE> state(new PLOTJOBSTATE());
  std::unique_ptr<Spectrum> spectrum(new Spectrum());
  state->single = layout;
  for (std::size_t i = 0; i < r.spectra.size(); ++i) {
    plat::copyText(state->single.spectrum, sizeof state->single.spectrum, r.spectra[i].c_str());
    if (i > 0) state->single.plot.append = 1;
    int result = RunPlotJob(*state, *spectrum, nullptr);
    if (result != PLOTJOB_DONE) {
      std::string message = programText(static_cast<UINT>(result));
      if (message.empty()) message = "plot failed";
      return fail(r.spectra[i] + ": " + message + " (message " + std::to_string(result) + ")");
    }
  }
  return 0;
}

}  // namespace

void addPlotCommand(CLI::App& app, int& status) {
  auto r = std::make_shared<PlotRequest>();
  auto* p = app.add_subcommand(
      "plot", "Plot spectra into an HPGL or PostScript file, as Drafton's plot job does");
  p->add_option("spectrum", r->spectra, "NMR data files, plotted one after the other into OUTPUT")
      ->required();
  p->add_option("-o,--output", r->output, "The plot file")->required();
  p->add_option("--layout", r->layout,
                "A settings file whose section SINGLE holds the layout (default: the built-in "
                "layout)");
  p->add_option("--set", r->sets,
                "key=value: one layout setting by its settings-file key (may be repeated)")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  p->add_option("--format", r->format, "hpgl or ps (default: the layout's outputformat)")
      ->check(CLI::IsMember({"hpgl", "ps"}));
  p->add_option("--sf", r->sf, "Spectrometer frequency in MHz for files that lack it");
  p->footer(
      "The layout's append (default 1) adds the plot to an existing OUTPUT; --set append=0 "
      "replaces it. Later spectra of one call are always appended.");
  p->callback([r, &status] {
    useConsole(r->sf);
    status = runPlot(*r);
  });
}

}  // namespace cli
