// Runs Ghostscript and hp2xx on plot files written by the tests.
#include "oracle.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/files.h"

namespace plottest {
namespace {

bool installed(const char* tool) {
  std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string quoted(const std::string& path) {
  std::string out = "'";
  for (char c : path) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

// Runs `command` with its output into `log`; the exit status.
int run(const std::string& command, const std::string& log) {
  std::string full = command + " >" + quoted(log) + " 2>&1 </dev/null";
  return std::system(full.c_str());
}

bool contains(const std::string& text, const char* what) { return text.find(what) != std::string::npos; }

}  // namespace

bool haveGhostscript() {
  static const bool have = installed("gs");
  return have;
}

bool haveHp2xx() {
  static const bool have = installed("hp2xx");
  return have;
}

::testing::AssertionResult ghostscriptAccepts(const std::string& path) {
  if (!haveGhostscript()) return ::testing::AssertionSuccess() << "Ghostscript is not installed";
  std::string log = path + ".gs.log";
  int status = run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage " + quoted(path), log);
  std::string out = qtest::readBytes(log);
  std::remove(log.c_str());
  if (status != 0 || contains(out, "Error"))
    return ::testing::AssertionFailure() << "Ghostscript rejects " << path << ":\n" << out;
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult hp2xxAccepts(const std::string& path) {
  if (!haveHp2xx()) return ::testing::AssertionSuccess() << "hp2xx is not installed";
  std::string log = path + ".hp2xx.log";
  int status = run("hp2xx -m eps -f /dev/null " + quoted(path), log);
  std::string out = qtest::readBytes(log);
  std::remove(log.c_str());
  // hp2xx counts what it did not understand instead of failing.
  bool complaint = !contains(out, "HPGL command(s) ignored: 0") ||
                   !contains(out, "Unexpected event(s):  0") || contains(out, "Error") ||
                   contains(out, "Illegal") || contains(out, "Unexpected end");
  if (status != 0 || complaint)
    return ::testing::AssertionFailure() << "hp2xx rejects " << path << ":\n" << out;
  return ::testing::AssertionSuccess();
}

}  // namespace plottest
