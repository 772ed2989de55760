// Logo and text insertion into a PostScript page.

#include "plotter/decorate.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "plotter/plotwriter.h"
#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

const unsigned kLogoResource = 1;
// The logo drawing's top left corner and height in its own units.
const double kLogoLeft = 72, kLogoTop = 464, kLogoHeight = 99;

// Replaces the page's "showpage" line with `drawing` and closes the page
// again; the lines that followed the old "showpage" line stay after it.
int insert(const char* psFile, const std::string& drawing) {
  PlotFile page;
  switch (page.OpenPage(psFile)) {
    case PAGE_OPEN: break;
    case PAGE_NO_SHOWPAGE: return kDecorateNoShowpage;
    default: return kDecorateFailed;
  }
  page.PutBytes(drawing.data(), drawing.size());
  if (page.WriteFailed()) return kDecorateFailed;  // the page stays without its end
  page.EndPage();
  page.Close();
  return page.WriteFailed() ? kDecorateFailed : kDecorateOk;
}

std::string format(const char* fmt, double a, double b) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

// A line of text as a PostScript string, without its line end.
std::string psString(const char* line) {
  std::string text(line);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return "(" + PostScriptText(text.c_str()) + ")";
}

}  // namespace

int InsertLogo(const char* psFile, float x, float y, float height) {
  DWORD size = 0;
  const void* logo = plat::ops().findData(ThisModule(), kLogoResource, &size);
  if (!logo || size == 0) return kDecorateFailed;
  double s = height / kLogoHeight;
  std::string d = "gsave\r\n";
  d += format("%.5f %.5f translate\r\n", x - kLogoLeft * s, y - kLogoTop * s);
  d += format("%.5f %.5f scale\r\n", s, s);
  d += format("%.5f setlinewidth\r\n", 1, 0);
  d.append(static_cast<const char*>(logo), size);
  d += "grestore\r\n";
  return insert(psFile, d);
}

int InsertText(const char* psFile, const char* textFile, float x, float y, float size) {
  if (!plat::isReadable(textFile, 1)) return kDecorateFailed;
  plat::File text(plat::openFile(textFile, plat::Access::Read, plat::Share::Read,
                                 plat::Disposition::OpenExisting));
  if (!text.ok()) return kDecorateFailed;
  char head[128];
  std::snprintf(head, sizeof head, "/Courier findfont\r\n %.3f scalefont\r\n setfont\r\n",
                static_cast<double>(size));
  std::string d = head;
  double at = y;
  char line[200];
  while (CVlgets(line, sizeof line, text.get())) {
    d += format("%.5f %.5f moveto\r\n", x, at);
    d += psString(line) + "show\r\n";
    at -= 1.2 * size;
  }
  return insert(psFile, d);
}
