// Helpers of the settings-file tests: a scratch folder, raw file bytes, and
// scenarios of profile calls with the exact bytes and buffers they must give.
// The calls go through plat::ops(), so the same scenario checks the native
// engine and, built for Windows, the real private-profile functions.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "support/files.h"
#include "winutil/platform/platform.h"

namespace initest {

// The tests' scratch folder, with paths of files in its subfolders and a
// listing of what it holds.
class TempDir : public qtest::TempDir {
 public:
  using qtest::TempDir::file;
  std::string file(const std::string& folder, const std::string& name) const {
    std::string sub = file(folder);
    return sub + sub[path().size()] + name;  // the folder's own separator
  }
  // The names of everything in the folder.
  std::vector<std::string> entries() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(path()))
      out.push_back(e.path().filename().string());
    return out;
  }
};

inline std::optional<std::string> contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void setContents(const std::string& path, const std::optional<std::string>& bytes) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  if (!bytes) return;
  std::ofstream out(path, std::ios::binary);
  out << *bytes;
}

// Shows line breaks, NULs and bytes outside printable ASCII, so that a
// failed comparison of file bytes or NUL-separated lists can be read.
inline std::string visible(const std::optional<std::string>& s) {
  if (!s) return "(no file)";
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : *s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\0') out += "\\0";
    else if (c == '\\') out += "\\\\";
    else if (u < 0x20 || u >= 0x7F) out += std::string("\\x") + hex[u >> 4] + hex[u & 15];
    else out += c;
  }
  return out;
}

// One call of a scenario. A write expects TRUE and then exactly `expect` as
// the file's bytes; a read of `size` characters expects `result` and
// `expect` at the start of the buffer (NULs included; '#' for a character
// the call must leave alone), nothing written past `size`, and the file
// unchanged.
struct Step {
  enum Kind { Write, Read } kind;
  const char* section;
  const char* key;
  const char* text;  // the value written, or the fallback of a read
  DWORD size;
  std::string expect;
  DWORD result;
  const char* why;
};

inline Step write(const char* section, const char* key, const char* value, std::string bytes,
                  const char* why) {
  return {Step::Write, section, key, value, 0, std::move(bytes), TRUE, why};
}

inline Step read(const char* section, const char* key, const char* fallback, DWORD size,
                 std::string buffer, DWORD result, const char* why) {
  return {Step::Read, section, key, fallback, size, std::move(buffer), result, why};
}

inline void runSteps(const std::string& file, const std::vector<Step>& steps) {
  const std::size_t kGuard = 8;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.why);
    std::optional<std::string> before = contents(file);
    if (s.kind == Step::Write) {
      EXPECT_EQ(plat::ops().writeProfileString(s.section, s.key, s.text, file.c_str()), TRUE);
      EXPECT_EQ(visible(contents(file)), visible(s.expect));
      continue;
    }
    std::vector<char> buffer(s.size + kGuard, '#');
    DWORD got = plat::ops().getProfileString(s.section, s.key, s.text, buffer.data(), s.size, file.c_str());
    EXPECT_EQ(got, s.result);
    ASSERT_LE(s.expect.size(), s.size);
    EXPECT_EQ(visible(std::string(buffer.data(), s.expect.size())), visible(s.expect));
    EXPECT_EQ(std::string(buffer.data() + s.size, kGuard), std::string(kGuard, '#')) << "written past the buffer";
    EXPECT_EQ(visible(contents(file)), visible(before)) << "a read changed the file";
  }
}

}  // namespace initest
