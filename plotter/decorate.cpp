// Logo and text insertion into a PostScript page.

#include "plotter/decorate.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

const unsigned kLogoResource = 1;
// The logo drawing's top left corner and height in its own units.
const double kLogoLeft = 72, kLogoTop = 464, kLogoHeight = 99;

bool readAll(const char* path, std::string& out) {
  plat::File f(plat::openFile(path, plat::Access::Read, plat::Share::Read,
                              plat::Disposition::OpenExisting));
  if (!f.ok()) return false;
  std::uint64_t size = 0;
  if (!plat::fileSize(f.get(), &size) || size > 0x7FFFFFFF) return false;
  out.assign(static_cast<std::size_t>(size), '\0');
  DWORD got = 0;
  return size == 0 || (plat::readFile(f.get(), &out[0], static_cast<DWORD>(size), &got) && got == size);
}

// Writes `bytes` over `path` without a moment in which the old content is
// lost unless the new one is complete: a side file first, then the swap.
bool replaceFile(const char* path, const std::string& bytes) {
  std::string side = std::string(path) + ".new~";
  {
    plat::File f(plat::openFile(side.c_str(), plat::Access::Write, plat::Share::Exclusive,
                                plat::Disposition::CreateAlways));
    if (!f.ok()) return false;
    DWORD put = 0;
    if (!bytes.empty() && (!plat::writeFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put) ||
                           put != bytes.size())) {
      f.reset();
      plat::ops().deleteFile(side.c_str());
      return false;
    }
  }
  std::string old = std::string(path) + ".old~";
  plat::ops().deleteFile(old.c_str());
  if (!plat::ops().renameFile(path, old.c_str())) {
    plat::ops().deleteFile(side.c_str());
    return false;
  }
  if (!plat::ops().renameFile(side.c_str(), path)) {
    plat::ops().renameFile(old.c_str(), path);
    return false;
  }
  plat::ops().deleteFile(old.c_str());
  return true;
}

// Where the "showpage" line starts and ends (line end included); false when
// the page has none. Lines are taken as the package's line reader splits them.
bool findShowpage(const std::string& page, std::size_t* begin, std::size_t* end) {
  std::size_t pos = 0;
  while (pos + 1 < page.size()) {
    std::size_t e = page.find_first_of("\r\n", pos);
    if (e == std::string::npos) {
      e = page.size();
    } else {
      ++e;  // CR LF, LF CR, CR CR and LF LF each end one line
      if (e < page.size() && (page[e] == '\r' || page[e] == '\n')) ++e;
    }
    if (page.substr(pos, e - pos).find("showpage") != std::string::npos) {
      *begin = pos;
      *end = e;
      return true;
    }
    pos = e;
  }
  return false;
}

// Replaces the "showpage" line with `drawing` (which closes the page itself)
// and keeps whatever followed that line.
int insert(const char* psFile, const std::string& drawing) {
  if (!plat::isReadable(psFile, 1)) return kDecorateFailed;
  std::string page;
  if (!readAll(psFile, page)) return kDecorateFailed;
  std::size_t begin = 0, end = 0;
  if (!findShowpage(page, &begin, &end)) return kDecorateNoShowpage;
  std::string result = page.substr(0, begin) + drawing + page.substr(end);
  return replaceFile(psFile, result) ? kDecorateOk : kDecorateFailed;
}

std::string format(const char* fmt, double a, double b) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

// A line of text as a PostScript string: the line end dropped, "(", ")" and
// "\" escaped so that any text keeps the file valid.
std::string psString(const char* line) {
  std::string s = "(";
  for (const char* p = line; *p; ++p) {
    if (*p == '\r' || *p == '\n') continue;
    if (*p == '(' || *p == ')' || *p == '\\') s += '\\';
    s += *p;
  }
  return s + ")";
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
  d += "grestore\r\nshowpage\r\n";
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
  d += "showpage\r\n";
  return insert(psFile, d);
}
