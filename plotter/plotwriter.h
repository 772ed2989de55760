// Drafton's plot files: HPGL command files for pen plotters and PostScript
// pages for printers, in centimetres. A PlotFile opens (creates, or appends
// to) the output file, writes the header, turns the trace events of the plot
// job into drawing commands and ends the PostScript page. The axis writer
// (plotter/axis.h) and the logo and text additions write through the same
// object. Every command text is a text of the program's string table.
//
// HPGL: one unit is 402 plotter units (1.005 cm); the file is one line of
// commands. PostScript: 28.346 points per unit, one unit is 1 cm; lines end
// with CR LF.
#pragma once

#include <cstddef>
#include <string>

#include "plotter/layout.h"
#include "winutil/platform/wintypes.h"

// The program's message for a plot file that cannot be opened or prepared.
enum : int { PLOT_FAILED = 56 };

// Command texts of the plot files, by their numbers in the string table.
enum PlotText : UINT {
  PT_HPGL_HEADER_IW = 300,  // "IN;IP0,0,402,402;IW;SC,0.0,1.0,0.0,1.0;"
  PT_HPGL_HEADER,           // the same without "IW;"
  PT_HPGL_ROTATE_SPEED,     // "RO%s;VS%d;"
  PT_HPGL_ROTATED,          // "90"
  PT_HPGL_UPRIGHT,          // "0"
  PT_HPGL_PEN,              // "SP%d;"
  PT_HPGL_SOLID,            // "LT;"
  PT_HPGL_LINETYPE,         // "LT%d,%d;"
  PT_HPGL_PENUP,            // "PU;"
  PT_HPGL_MOVE,             // ";PU%8.5f,%8.5f;"
  PT_HPGL_START,            // "PA%8.5f,%8.5f;PD"
  PT_HPGL_PAIR,             // "%8.5f,%8.5f,"
  PT_HPGL_ENTER,            // "PU%8.5f,%8.5f;PD"
  PT_HPGL_CIRCLE,           // "CI%8.5f,%8.5f;"
  PT_HPGL_END_TRACE,        // ";PU;PU0,0;"
  PT_HPGL_DRAW,             // "PD%8.5f,%8.5f;"
  PT_HPGL_SIZE,             // "SI%8.5f,%8.5f;"
  PT_HPGL_CHAR_MOVE,        // "CP%6.2f,%6.2f;"
  PT_HPGL_LABEL,            // "LB%s" and ETX
  PT_HPGL_PUT_PEN_AWAY,     // "PU;SP0;"

  PT_PS_HEADER = 330,       // "%!PS-Adobe-3.0" ... "%%Orientation: Landscape"
  PT_PS_BOUNDING_BOX,       // "%%BoundingBox: 0 0 842 596" "%%EndComments"
  PT_PS_CENTRE_PROC,        // the procedure "ct" that centres a string
  PT_PS_PAGE_SCALE,         // "%%Page: 1 1" "28.346 28.346 scale"
  PT_PS_LINE_WIDTH,         // "%.3f setlinewidth" "1 setlinejoin" "1 setlinecap"
  PT_PS_ROTATE,             // "90 rotate"
  PT_PS_COLOUR,             // "%s setrgbcolor"
  PT_PS_SOLID,              // "[] 0 setdash"
  PT_PS_DASH6,              // six-element dash array
  PT_PS_DASH4,              // four-element dash array
  PT_PS_DASH2,              // two-element dash array
  PT_PS_START,              // "newpath" "%.5f %.5f moveto"
  PT_PS_LINETO,             // "%.5f %.5f lineto"
  PT_PS_STROKE,             // "stroke"
  PT_PS_CIRCLE,             // "newpath" "%.5f %.5f %.5f 0 360 arc" "stroke"
  PT_PS_SHOWPAGE,           // "showpage" with its line end
  PT_PS_SHOWPAGE_WORD,      // "showpage", the text searched for
  PT_PS_FONT,               // "/Helvetica findfont" "%.3f scalefont" "setfont"
  PT_PS_MOVETO,             // "%.5f %.5f moveto"
  PT_PS_CENTRED_TEXT,       // "(%s) ct"

  PT_PS_PEN_COLOUR = 360,   // the RGB texts of pens 1 to 12, in order
};

// Results of PlotFile::OpenPage.
enum : int {
  PAGE_OPEN = 0,         // positioned before the page's "showpage" line
  PAGE_CANNOT_OPEN = 1,  // missing, not writable, or no memory
  PAGE_NO_SHOWPAGE = 2,  // the file has no "showpage" line; it is unchanged
};

// A pen number limited to 1 to 12.
int PlotPen(int pen);

// `text` as the inside of a PostScript string: "(", ")" and "\" get a
// backslash, so any text makes a valid string.
std::string PostScriptText(const char* text);

// One plot file, open during one job. Events write nothing for the WMF
// dialect; write errors are not detected. The destructor closes the file.
class PlotFile {
 public:
  PlotFile();
  ~PlotFile();
  PlotFile(const PlotFile&) = delete;
  PlotFile& operator=(const PlotFile&) = delete;

  // Opens the output file. An existing file with `append` set is opened for
  // reading and writing: HPGL continues at its end; PostScript continues at
  // the start of the first line that contains "showpage", and the lines that
  // followed that line are kept after the new page end; WMF stays at the
  // start. Otherwise the file is created, replacing any existing one (it is
  // then new). Returns 0 or PLOT_FAILED (cannot open or create, unknown
  // dialect, a name that is null, empty or longer than 259 characters, a
  // PostScript file to append to without "showpage", missing texts).
  int Open(const char* path, int append, int dialect);

  // Opens an existing PostScript page for additions, positioned as for
  // appending. Nothing is written to it until the first command.
  int OpenPage(const char* path);

  bool IsOpen() const;
  // Whether a write since the file was opened failed or was short.
  bool WriteFailed() const { return writeFailed_; }
  bool IsNew() const { return isNew_; }
  int Dialect() const { return dialect_; }

  // The file header: HPGL always, PostScript only for a new file, and then
  // "90 rotate" for a rotated plot. Uses hpgliw, rotate and speed.
  void WriteHeader(const PLOTLAYOUT& layout);

  // The trace preamble: pen and line type (HPGL); line width from the
  // layout's speed, pen colour and dash array (PostScript). Also keeps the
  // upper plot limit (yoffset + MAXY) and the circle radius for the events
  // below. Line styles outside 1 to 6, and a spacing of 0 or below (an empty
  // pattern), draw solid lines.
  void BeginTrace(const PLOTLAYOUT& layout, const TRACEPAR& trace);

  // Trace events, in page centimetres.
  void PenUpMove(double x, double y);
  void StartLine(double x, double y);
  void LineTo(double x, double y);
  void LeaveRange(double xc, double x, double y);  // crossing at (xc, upper limit)
  void EnterRange(double xc, double x, double y);
  void Marker(double x, double y);
  void EndTrace();

  // "showpage" for PostScript (and the lines kept from after the old one).
  void EndPage();

  // Writes what is pending and closes the file. Any lines kept from after
  // an old "showpage" line are written first if EndPage did not; when the
  // new content is shorter than what it replaced, the rest of the old bytes
  // are overwritten with blanks.
  void Close();

  // A command text formatted with the arguments that its conversions name
  // (double for %f, int for %d and the "*" of a precision, const char* for
  // %s). Unknown texts write nothing.
  void Put(PlotText text, ...);
  // Bytes as they are.
  void PutBytes(const char* bytes, std::size_t count);

  // The RGB text of a pen (1 to 12 after PlotPen).
  const char* PenColour(int pen) const;

 private:
  static constexpr int kTextCount = 52;
  static constexpr int kTextSize = 160;
  bool loadTexts();
  const char* text(UINT id) const;
  int positionAtShowpage();
  void flush();
  void reset();

  HANDLE file_;
  int dialect_ = PLOT_HPGL;
  bool isNew_ = false;
  bool textsLoaded_ = false;
  char texts_[kTextCount][kTextSize];
  // Lines that followed the old "showpage" line, written after the new page
  // end.
  char* tail_ = nullptr;
  std::size_t tailSize_ = 0;
  bool tailPending_ = false;
  bool positioned_ = false;           // at an old "showpage" line
  unsigned long long sincePositioned_ = 0;  // bytes written since
  bool writeFailed_ = false;
  unsigned long long oldEnd_ = 0;  // size of the file when it was opened
  double upper_ = 0;
  double radius_ = 0;
  char buffer_[8192];
  std::size_t buffered_ = 0;
};
