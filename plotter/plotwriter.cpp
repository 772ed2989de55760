// HPGL and PostScript plot files: opening and appending, the header, the
// trace preamble and events, and the end of the page.
//
// Behaviour chosen where the contract leaves room, and where it is mended:
// - Appending to a PostScript file whose "showpage" line is followed by
//   other lines inserts the new plot before that line: the new drawing
//   starts where the old "showpage" line started, the new page end follows
//   it, and the lines that followed the old "showpage" line come after it
//   unchanged. (Writing from the end of the file minus that line's length
//   would overwrite the file's last bytes and leave the old "showpage" in
//   the middle.) When the new content is shorter than the old "showpage"
//   line, blanks fill the rest of the old bytes, so no stale text is left.
//   A file that is opened and closed without anything written stays as it
//   was, and after a failed write no blanks are written.
// - A spacing of 0 or below gives a solid line in both dialects: a dash
//   array of zeros is an error in PostScript, and a pattern of length 0 is
//   none in HPGL. Line styles outside 0 to 7 are drawn solid as well.
// - Pens outside 1 to 12 are taken as 1 or 12, in HPGL as in PostScript,
//   as loading a layout does; the colour table has no other rows.
// - A dialect outside 0 to 2 and a file name that is null, empty or longer
//   than 259 characters are refused with PLOT_FAILED before any file is
//   touched; so is a string table that lacks a command text or holds one
//   whose conversions differ from the arguments the writer passes.
// - In the WMF dialect every write is dropped, so the file is created (or
//   opened for appending) and left as it was.

#include "plotter/plotwriter.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

constexpr int kLineBuffer = 200;  // the line reader's buffer, as everywhere

// The conversions that the writer passes to each command text: f a double,
// d an int, s a text; an empty list marks a text written as it is.
struct CommandText {
  UINT id;
  const char* args;
};

constexpr CommandText kCommandTexts[] = {
    {PT_HPGL_HEADER_IW, ""},   {PT_HPGL_HEADER, ""},     {PT_HPGL_ROTATE_SPEED, "sd"},
    {PT_HPGL_ROTATED, ""},     {PT_HPGL_UPRIGHT, ""},    {PT_HPGL_PEN, "d"},
    {PT_HPGL_SOLID, ""},       {PT_HPGL_LINETYPE, "dd"}, {PT_HPGL_PENUP, ""},
    {PT_HPGL_MOVE, "ff"},      {PT_HPGL_START, "ff"},    {PT_HPGL_PAIR, "ff"},
    {PT_HPGL_ENTER, "ff"},     {PT_HPGL_CIRCLE, "ff"},   {PT_HPGL_END_TRACE, ""},
    {PT_HPGL_DRAW, "ff"},      {PT_HPGL_SIZE, "ff"},     {PT_HPGL_CHAR_MOVE, "ff"},
    {PT_HPGL_LABEL, "s"},      {PT_HPGL_PUT_PEN_AWAY, ""},
    {PT_PS_HEADER, ""},        {PT_PS_BOUNDING_BOX, ""}, {PT_PS_CENTRE_PROC, ""},
    {PT_PS_PAGE_SCALE, ""},    {PT_PS_LINE_WIDTH, "f"},  {PT_PS_ROTATE, ""},
    {PT_PS_COLOUR, "s"},       {PT_PS_SOLID, ""},        {PT_PS_DASH6, "ffffff"},
    {PT_PS_DASH4, "ffff"},     {PT_PS_DASH2, "ff"},      {PT_PS_START, "ff"},
    {PT_PS_LINETO, "ff"},      {PT_PS_STROKE, ""},       {PT_PS_CIRCLE, "fff"},
    {PT_PS_SHOWPAGE, ""},      {PT_PS_SHOWPAGE_WORD, ""}, {PT_PS_FONT, "f"},
    {PT_PS_MOVETO, "ff"},      {PT_PS_CENTRED_TEXT, "s"},
    {PT_PS_PEN_COLOUR + 0, ""},  {PT_PS_PEN_COLOUR + 1, ""},  {PT_PS_PEN_COLOUR + 2, ""},
    {PT_PS_PEN_COLOUR + 3, ""},  {PT_PS_PEN_COLOUR + 4, ""},  {PT_PS_PEN_COLOUR + 5, ""},
    {PT_PS_PEN_COLOUR + 6, ""},  {PT_PS_PEN_COLOUR + 7, ""},  {PT_PS_PEN_COLOUR + 8, ""},
    {PT_PS_PEN_COLOUR + 9, ""},  {PT_PS_PEN_COLOUR + 10, ""}, {PT_PS_PEN_COLOUR + 11, ""},
};
constexpr int kCommandTextCount = static_cast<int>(sizeof kCommandTexts / sizeof kCommandTexts[0]);

int slotOf(UINT id) {
  for (int i = 0; i < kCommandTextCount; ++i)
    if (kCommandTexts[i].id == id) return i;
  return -1;
}

// The conversions of a format text as a list like CommandText::args ("*" of a
// width or precision counts as d); "?" for a conversion the writer never
// passes.
std::string conversionsOf(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (*p && std::strchr("-+ #0", *p)) ++p;
    if (*p == '*') {
      out += 'd';
      ++p;
    }
    while (*p >= '0' && *p <= '9') ++p;
    if (*p == '.') {
      ++p;
      if (*p == '*') {
        out += 'd';
        ++p;
      }
      while (*p >= '0' && *p <= '9') ++p;
    }
    if (*p == 'f' || *p == 'd' || *p == 's')
      out += *p;
    else
      return "?";
  }
  return out;
}

bool usablePath(const char* path) {
  if (!path || !plat::isReadable(path, 1) || !path[0]) return false;
  return strnlen(path, MAX_PATH) < MAX_PATH;
}

// Half-points in centimetres.
constexpr double kHalfPoint = 0.0176389;

}  // namespace

int PlotPen(int pen) { return pen < PEN_FIRST ? PEN_FIRST : pen > PEN_LAST ? PEN_LAST : pen; }

std::string PostScriptText(const char* text) {
  std::string out;
  if (!text) return out;
  for (const char* p = text; *p; ++p) {
    if (*p == '(' || *p == ')' || *p == '\\') out += '\\';
    out += *p;
  }
  return out;
}

PlotFile::PlotFile() : file_(INVALID_HANDLE_VALUE) {}

PlotFile::~PlotFile() { Close(); }

bool PlotFile::IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }

bool PlotFile::loadTexts() {
  if (textsLoaded_) return true;
  static_assert(kCommandTextCount == kTextCount, "a buffer for every text");
  for (int i = 0; i < kCommandTextCount; ++i) {
    if (plat::loadString(ThisModule(), kCommandTexts[i].id, texts_[i], kTextSize) <= 0) return false;
    // A text that fills the buffer may have been cut.
    if (std::strlen(texts_[i]) >= static_cast<std::size_t>(kTextSize - 1)) return false;
    if (kCommandTexts[i].args[0] && conversionsOf(texts_[i]) != kCommandTexts[i].args) return false;
  }
  textsLoaded_ = true;
  return true;
}

const char* PlotFile::text(UINT id) const {
  int slot = slotOf(id);
  return slot >= 0 && textsLoaded_ ? texts_[slot] : nullptr;
}

void PlotFile::reset() {
  file_ = INVALID_HANDLE_VALUE;
  isNew_ = false;
  plat::heapFree(tail_);
  tail_ = nullptr;
  tailSize_ = 0;
  tailPending_ = false;
  positioned_ = false;
  sincePositioned_ = 0;
  writeFailed_ = false;
  oldEnd_ = 0;
  buffered_ = 0;
  upper_ = 0;
  radius_ = 0;
}

int PlotFile::Open(const char* path, int append, int dialect) {
  Close();
  if (dialect < PLOT_HPGL || dialect > PLOT_WMF) return PLOT_FAILED;
  if (!usablePath(path) || !loadTexts()) return PLOT_FAILED;
  DWORD attributes = plat::ops().fileAttributes(path);
  bool exists = attributes != plat::kAttrInvalid;
  if (exists && (attributes & plat::kAttrDirectory)) return PLOT_FAILED;
  dialect_ = dialect;
  if (exists && append) {
    file_ = plat::openFile(path, plat::Access::ReadWrite, plat::Share::Read,
                           plat::Disposition::OpenExisting);
    if (!IsOpen()) return PLOT_FAILED;
    bool ok = true;
    if (dialect == PLOT_HPGL)
      ok = plat::seekFile(file_, 0, plat::Seek::End, nullptr) != FALSE;
    else if (dialect == PLOT_POSTSCRIPT)
      ok = positionAtShowpage() == PAGE_OPEN;
    if (!ok) {
      plat::closeFile(file_);
      reset();
      return PLOT_FAILED;
    }
    isNew_ = false;
    return 0;
  }
  file_ = plat::openFile(path, plat::Access::ReadWrite, plat::Share::Read,
                         plat::Disposition::CreateAlways);
  if (!IsOpen()) return PLOT_FAILED;
  isNew_ = true;
  return 0;
}

int PlotFile::OpenPage(const char* path) {
  Close();
  if (!usablePath(path) || !loadTexts()) return PAGE_CANNOT_OPEN;
  DWORD attributes = plat::ops().fileAttributes(path);
  if (attributes == plat::kAttrInvalid || (attributes & plat::kAttrDirectory)) return PAGE_CANNOT_OPEN;
  file_ = plat::openFile(path, plat::Access::ReadWrite, plat::Share::Read,
                         plat::Disposition::OpenExisting);
  if (!IsOpen()) return PAGE_CANNOT_OPEN;
  dialect_ = PLOT_POSTSCRIPT;
  int result = positionAtShowpage();
  if (result != PAGE_OPEN) {
    plat::closeFile(file_);
    reset();
  }
  return result;
}

// Finds the first line that contains "showpage", keeps the lines after it
// and moves to its start.
int PlotFile::positionAtShowpage() {
  const char* word = text(PT_PS_SHOWPAGE_WORD);
  if (!word || !plat::seekFile(file_, 0, plat::Seek::Begin, nullptr)) return PAGE_CANNOT_OPEN;
  char line[kLineBuffer];
  std::int64_t lineStart = 0, lineEnd = 0;
  for (;;) {
    if (!plat::seekFile(file_, 0, plat::Seek::Current, &lineStart)) return PAGE_CANNOT_OPEN;
    if (!CVlgets(line, sizeof line, file_)) return PAGE_NO_SHOWPAGE;
    if (std::strstr(line, word)) break;
  }
  std::uint64_t size = 0;
  if (!plat::seekFile(file_, 0, plat::Seek::Current, &lineEnd) || !plat::fileSize(file_, &size) ||
      lineEnd < lineStart || size < static_cast<std::uint64_t>(lineEnd))
    return PAGE_CANNOT_OPEN;
  std::uint64_t tail = size - static_cast<std::uint64_t>(lineEnd);
  if (tail > 0) {
    if (tail > 0x7FFFFFFFu) return PAGE_CANNOT_OPEN;
    tail_ = static_cast<char*>(plat::heapAlloc(static_cast<std::size_t>(tail)));
    if (!tail_) return PAGE_CANNOT_OPEN;
    tailSize_ = static_cast<std::size_t>(tail);
    std::size_t got = 0;
    while (got < tailSize_) {
      DWORD n = 0;
      if (!plat::readFile(file_, tail_ + got, static_cast<DWORD>(tailSize_ - got), &n) || n == 0)
        return PAGE_CANNOT_OPEN;
      got += n;
    }
  }
  if (!plat::seekFile(file_, lineStart, plat::Seek::Begin, nullptr)) return PAGE_CANNOT_OPEN;
  tailPending_ = tailSize_ > 0;
  positioned_ = true;
  oldEnd_ = size;
  return PAGE_OPEN;
}

void PlotFile::flush() {
  if (buffered_ == 0 || !IsOpen()) {
    buffered_ = 0;
    return;
  }
  DWORD put = 0;
  if (!plat::writeFile(file_, buffer_, static_cast<DWORD>(buffered_), &put) || put != buffered_)
    writeFailed_ = true;
  buffered_ = 0;
}

void PlotFile::PutBytes(const char* bytes, std::size_t count) {
  if (!IsOpen() || dialect_ == PLOT_WMF || !bytes || count == 0) return;
  sincePositioned_ += count;
  if (count > sizeof buffer_ - buffered_) {
    flush();
    if (count > sizeof buffer_) {
      while (count > 0) {
        DWORD part = count > 0x10000000u ? 0x10000000u : static_cast<DWORD>(count);
        DWORD put = 0;
        if (!plat::writeFile(file_, bytes, part, &put) || put != part) writeFailed_ = true;
        bytes += part;
        count -= part;
      }
      return;
    }
  }
  std::memcpy(buffer_ + buffered_, bytes, count);
  buffered_ += count;
}

void PlotFile::Put(PlotText id, ...) {
  int slot = slotOf(id);
  if (slot < 0 || !textsLoaded_ || !IsOpen() || dialect_ == PLOT_WMF) return;
  const char* format = texts_[slot];
  if (!kCommandTexts[slot].args[0]) {
    PutBytes(format, std::strlen(format));
    return;
  }
  char small[512];
  va_list args;
  va_start(args, id);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
    PutBytes(small, static_cast<std::size_t>(n));
  } else if (n > 0) {
    std::vector<char> large(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(large.data(), large.size(), format, again);
    PutBytes(large.data(), static_cast<std::size_t>(n));
  }
  va_end(again);
}

const char* PlotFile::PenColour(int pen) const {
  const char* colour = text(PT_PS_PEN_COLOUR + static_cast<UINT>(PlotPen(pen) - PEN_FIRST));
  return colour ? colour : "0 0 0";
}

void PlotFile::WriteHeader(const PLOTLAYOUT& layout) {
  if (dialect_ == PLOT_HPGL) {
    Put(layout.hpgliw ? PT_HPGL_HEADER_IW : PT_HPGL_HEADER);
    const char* angle = text(layout.rotate ? PT_HPGL_ROTATED : PT_HPGL_UPRIGHT);
    Put(PT_HPGL_ROTATE_SPEED, angle ? angle : "", layout.speed);
  } else if (dialect_ == PLOT_POSTSCRIPT) {
    if (isNew_) {
      Put(PT_PS_HEADER);
      Put(PT_PS_BOUNDING_BOX);
      Put(PT_PS_CENTRE_PROC);
      Put(PT_PS_PAGE_SCALE);
      Put(PT_PS_LINE_WIDTH, layout.speed * kHalfPoint);
    }
    if (layout.rotate) Put(PT_PS_ROTATE);
  }
}

void PlotFile::BeginTrace(const PLOTLAYOUT& layout, const TRACEPAR& trace) {
  upper_ = static_cast<double>(trace.yoffset) + trace.MAXY;
  radius_ = trace.radius;
  int style = trace.linestyle;
  bool dashed = style >= 1 && style <= 6 && trace.spacing > 0;
  if (dialect_ == PLOT_HPGL) {
    Put(PT_HPGL_PEN, PlotPen(trace.pen));
    if (dashed)
      Put(PT_HPGL_LINETYPE, 7 - style, trace.spacing);
    else
      Put(PT_HPGL_SOLID);
    Put(PT_HPGL_PENUP);
  } else if (dialect_ == PLOT_POSTSCRIPT) {
    Put(PT_PS_LINE_WIDTH, layout.speed * kHalfPoint);
    Put(PT_PS_COLOUR, PenColour(trace.pen));
    double p = trace.spacing * 0.01;
    if (!dashed) {
      Put(PT_PS_SOLID);
      return;
    }
    switch (style) {
      case 1: Put(PT_PS_DASH6, 0.5 * p, 0.1 * p, 0.1 * p, 0.1 * p, 0.1 * p, 0.1 * p); break;
      case 2: Put(PT_PS_DASH4, 0.75 * p, 0.07 * p, 0.1 * p, 0.08 * p); break;
      case 3: Put(PT_PS_DASH4, 0.8 * p, 0.08 * p, 0.04 * p, 0.08 * p); break;
      case 4: Put(PT_PS_DASH2, 0.75 * p, 0.25 * p); break;
      case 5: Put(PT_PS_DASH2, 0.5 * p, 0.5 * p); break;
      default: Put(PT_PS_DASH2, 0.05 * p, 0.95 * p); break;
    }
  }
}

void PlotFile::PenUpMove(double x, double y) {
  if (dialect_ == PLOT_HPGL) Put(PT_HPGL_MOVE, x, y);
}

void PlotFile::StartLine(double x, double y) {
  if (dialect_ == PLOT_HPGL)
    Put(PT_HPGL_START, x, y);
  else if (dialect_ == PLOT_POSTSCRIPT)
    Put(PT_PS_START, x, y);
}

void PlotFile::LineTo(double x, double y) {
  if (dialect_ == PLOT_HPGL)
    Put(PT_HPGL_PAIR, x, y);
  else if (dialect_ == PLOT_POSTSCRIPT)
    Put(PT_PS_LINETO, x, y);
}

void PlotFile::LeaveRange(double xc, double x, double y) {
  if (dialect_ == PLOT_HPGL) {
    Put(PT_HPGL_PAIR, xc, upper_);
    Put(PT_HPGL_MOVE, x, y);
  } else if (dialect_ == PLOT_POSTSCRIPT) {
    Put(PT_PS_LINETO, xc, upper_);
    Put(PT_PS_STROKE);
  }
}

void PlotFile::EnterRange(double xc, double x, double y) {
  if (dialect_ == PLOT_HPGL) {
    Put(PT_HPGL_ENTER, xc, upper_);
    Put(PT_HPGL_PAIR, x, y);
  } else if (dialect_ == PLOT_POSTSCRIPT) {
    Put(PT_PS_STROKE);
    Put(PT_PS_START, xc, upper_);
    Put(PT_PS_LINETO, x, y);
  }
}

void PlotFile::Marker(double x, double y) {
  if (dialect_ == PLOT_HPGL) {
    Put(PT_HPGL_MOVE, x, y);
    Put(PT_HPGL_CIRCLE, radius_, 5.0);
  } else if (dialect_ == PLOT_POSTSCRIPT) {
    Put(PT_PS_CIRCLE, x, y, radius_);
  }
}

void PlotFile::EndTrace() {
  if (dialect_ == PLOT_HPGL)
    Put(PT_HPGL_END_TRACE);
  else if (dialect_ == PLOT_POSTSCRIPT)
    Put(PT_PS_STROKE);
}

void PlotFile::EndPage() {
  if (dialect_ != PLOT_POSTSCRIPT) return;
  Put(PT_PS_SHOWPAGE);
  if (tailPending_) {
    PutBytes(tail_, tailSize_);
    tailPending_ = false;
  }
}

void PlotFile::Close() {
  if (!IsOpen()) {
    reset();
    return;
  }
  if (positioned_ && sincePositioned_ > 0) {
    if (tailPending_) PutBytes(tail_, tailSize_);
    flush();
    std::int64_t end = 0;
    // Blanks over what is left of the old bytes, ending with a line end;
    // only the rest of an old "showpage" line can be left. After a failed
    // write the old bytes are left as they are.
    if (!writeFailed_ && plat::seekFile(file_, 0, plat::Seek::Current, &end) && end >= 0 &&
        static_cast<std::uint64_t>(end) < oldEnd_ &&
        oldEnd_ - static_cast<std::uint64_t>(end) < static_cast<std::uint64_t>(kLineBuffer)) {
      DWORD rest = static_cast<DWORD>(oldEnd_ - static_cast<std::uint64_t>(end));
      char blanks[kLineBuffer];
      std::memset(blanks, ' ', rest);
      if (rest >= 2) {
        blanks[rest - 2] = '\r';
        blanks[rest - 1] = '\n';
      }
      DWORD put = 0;
      plat::writeFile(file_, blanks, rest, &put);
    }
  } else {
    flush();
  }
  plat::closeFile(file_);
  reset();
}
