// Small helpers for tests that compare plot files.
#pragma once

#include <cstddef>
#include <string>

namespace plottest {

// Line ends and ETX made visible, one line of the file per output line.
inline std::string visible(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n\n";
    else if (c == '\x03')
      out += "<ETX>";
    else
      out += c;
  }
  return out;
}

// How often `what` occurs in `text`.
inline std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace plottest
