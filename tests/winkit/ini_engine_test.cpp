// The settings-file functions of the platform table. The scenarios reach them
// only through plat::ops(), so the same source checks the native engine and,
// built for Windows, the real GetPrivateProfileStringA and
// WritePrivateProfileStringA: the expected bytes are what Windows writes.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "winutil/platform/platform.h"

namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

// A fresh folder under the platform's temporary folder, removed afterwards.
class TempDir {
 public:
  TempDir() {
    char base[MAX_PATH] = {};
    DWORD n = plat::ops().tempFolder(base, sizeof base);
    EXPECT_TRUE(n > 0 && n < sizeof base);
    separator_ = n > 0 ? base[n - 1] : '/';
    std::random_device random;
    for (int attempt = 0; attempt < 20 && path_.empty(); ++attempt) {
      std::string candidate = base + "quintar-ini-"s + std::to_string(random());
      if (plat::ops().createDirectory(candidate.c_str())) path_ = candidate;
    }
    EXPECT_FALSE(path_.empty()) << "no temporary folder";
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return path_ + separator_ + name; }
  std::string file(const std::string& folder, const std::string& name) const {
    return file(folder) + separator_ + name;
  }
  // The names of everything in the folder.
  std::vector<std::string> entries() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(path_)) out.push_back(e.path().filename().string());
    return out;
  }

 private:
  std::string path_;
  char separator_ = '/';
};

std::optional<std::string> contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void setContents(const std::string& path, const std::optional<std::string>& bytes) {
  std::error_code ignored;
  fs::remove(path, ignored);
  if (!bytes) return;
  std::ofstream out(path, std::ios::binary);
  out << *bytes;
}

// Shows control characters, so that a failed comparison of file bytes or
// NUL-separated lists can be read.
std::string visible(const std::optional<std::string>& s) {
  if (!s) return "(no file)";
  std::string out;
  for (char c : *s) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\0') out += "\\0";
    else out += c;
  }
  return out;
}

// One call of a scenario. A write expects TRUE and then exactly `expect` as
// the file's bytes; a read of `size` characters expects `result` and
// `expect` at the start of the buffer (NULs included), nothing written past
// `size`, and the file unchanged.
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

Step write(const char* section, const char* key, const char* value, std::string bytes, const char* why) {
  return {Step::Write, section, key, value, 0, std::move(bytes), TRUE, why};
}

Step read(const char* section, const char* key, const char* fallback, DWORD size, std::string buffer,
          DWORD result, const char* why) {
  return {Step::Read, section, key, fallback, size, std::move(buffer), result, why};
}

void runSteps(const std::string& file, const std::vector<Step>& steps) {
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

const char kCaseIni[] = "quintar-case.ini";

TEST(IniEngine, SettingsFileLifeFromNothing) {
  TempDir dir;
  const std::string file = dir.file("settings.ini");
  const std::string twoSections = "[Spc]\r\nSpcF1=100\r\nSpcF12=2.5\r\n\r\n[Axes]\r\nUnit=ppm\r\n";
  const std::string full = "[Spc]\r\nspcF1=7\r\nSpcF12=2.5\r\nLabel=\r\n\r\n[Axes]\r\nUnit=ppm\r\n";
  runSteps(file, {
    read("Spc", "SpcF1", "none", 16, "none\0"s, 4, "a missing file gives the fallback"),
    write("Spc", "SpcF1", "100", "[Spc]\r\nSpcF1=100\r\n", "the first write creates the file"),
    write("Spc", "SpcF12", "2.5", "[Spc]\r\nSpcF1=100\r\nSpcF12=2.5\r\n",
          "a key whose name extends another one is a new key"),
    read("Spc", "SpcF1", "none", 16, "100\0"s, 3, "SpcF1 is not confused with SpcF12"),
    read("Spc", "SpcF12", "none", 16, "2.5\0"s, 3, "SpcF12 is not confused with SpcF1"),
    write("Axes", "Unit", "ppm", twoSections, "a new section goes to the end after a blank line"),
    write("SPC", "spcF1", "7", "[Spc]\r\nspcF1=7\r\nSpcF12=2.5\r\n\r\n[Axes]\r\nUnit=ppm\r\n",
          "a rewritten key keeps its line and takes the caller's spelling"),
    write("spc", "Label", "", full, "a new key follows the section's last key, before the blank line"),
    read("Spc", "Label", "dflt", 16, "\0"s, 0, "an empty value is not a missing key"),
    read("Spc", "SpcF2", "dflt  ", 16, "dflt\0"s, 4, "fallback of a missing key, trailing blanks removed"),
    read("Nope", "x", nullptr, 16, "\0"s, 0, "a missing section with a null fallback gives empty"),
    read("AXES", "UNIT", "?", 16, "ppm\0"s, 3, "sections and keys ignore case"),
    read("Spc", "SpcF12", "x", 3, "2.\0"s, 2, "a long value is cut to size - 1"),
    read("Spc", "SpcF12", "x", 1, "\0"s, 0, "room for the terminator only"),
    read("Spc", "Missing", "fallback", 4, "fal\0"s, 3, "a long fallback is cut too"),
    read("Spc", "SpcF12", "x", 0, ""s, 0, "size 0 writes nothing"),
    read(nullptr, nullptr, nullptr, 64, "Spc\0Axes\0\0"s, 9, "the section names"),
    read(nullptr, "ignored", nullptr, 64, "Spc\0Axes\0\0"s, 9, "a null section lists sections whatever the key"),
    read(nullptr, nullptr, nullptr, 7, "Spc\0A\0\0"s, 5, "a cut list ends in two NULs, size - 2"),
    read("Spc", nullptr, nullptr, 64, "spcF1\0SpcF12\0Label\0\0"s, 19, "the key names of a section"),
    read("Spc", nullptr, nullptr, 10, "spcF1\0Sp\0\0"s, 8, "a cut key list"),
    write("Spc", "SpcF12", nullptr, "[Spc]\r\nspcF1=7\r\nLabel=\r\n\r\n[Axes]\r\nUnit=ppm\r\n",
          "a null value deletes the key's line"),
    read("Spc", "SpcF12", "gone", 16, "gone\0"s, 4, "a deleted key is missing"),
    write("Spc", nullptr, nullptr, "[Axes]\r\nUnit=ppm\r\n", "a null key deletes the section and its lines"),
    read("Spc", "spcF1", "gone", 16, "gone\0"s, 4, "a deleted section's keys are missing"),
    read(nullptr, nullptr, nullptr, 64, "Axes\0\0"s, 5, "the deleted section is no longer listed"),
  });
}

// Files as people and other programs write them, and one request each.
struct Case {
  const char* name;
  std::string initial;
  std::vector<Step> steps;
};

TEST(IniEngine, ExistingFiles) {
  const std::vector<Case> cases = {
    {"quotes", "[Q]\r\nd=\"two words\"\r\ns='single'\r\nm=\"mixed'\r\np =  \"  padded \"  \r\ni=a \"b\" c\r\n", {
      read("Q", "d", "", 32, "two words\0"s, 9, "double quotes are removed"),
      read("Q", "s", "", 32, "single\0"s, 6, "single quotes are removed"),
      read("Q", "m", "", 32, "\"mixed'\0"s, 7, "unmatched quotes stay"),
      read("Q", "p", "", 32, "  padded \0"s, 9, "blanks inside the quotes stay"),
      read("Q", "i", "", 32, "a \"b\" c\0"s, 7, "inner quotes stay"),
    }},
    {"blanks", "  [  Blanks  ]  ; note\r\n  key  =  some value  \r\n\tTab\t=\tt\t\r\n", {
      read("blanks", "KEY", "", 32, "some value\0"s, 10, "blanks around names and values are ignored"),
      read("Blanks", "tab", "", 32, "t\0"s, 1, "tabs count as blanks"),
      read(nullptr, nullptr, nullptr, 32, "Blanks\0\0"s, 7, "the listed name is trimmed, text after ] ignored"),
      write("Blanks", "key", "v2", "  [  Blanks  ]  ; note\r\nkey=v2\r\n\tTab\t=\tt\t\r\n",
            "the rewritten line is key=value; other lines stay as they were"),
    }},
    {"comments", "; top\r\n[S]\r\n; about a\r\n;b=old\r\na=1\r\n", {
      read("S", "b", "none", 16, "none\0"s, 4, "a commented-out key is not a key"),
      read("S", nullptr, nullptr, 16, "a\0\0"s, 2, "comments are not listed"),
      write("S", "a", "5", "; top\r\n[S]\r\n; about a\r\n;b=old\r\na=5\r\n", "comments survive a rewrite"),
      write("S", "b", "2", "; top\r\n[S]\r\n; about a\r\n;b=old\r\na=5\r\nb=2\r\n", "and an addition"),
    }},
    {"comment leading into the next section", "[A]\r\nx=1\r\n\r\n; B follows\r\n[B]\r\ny=2\r\n", {
      write("A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n\r\n; B follows\r\n[B]\r\ny=2\r\n",
            "the new key goes after the last key, not after the comment"),
    }},
    {"LF line ends", "[S]\na=1\nb=2\n", {
      read("S", "b", "", 16, "2\0"s, 1, "LF-only lines are read"),
      read("S", nullptr, nullptr, 16, "a\0b\0\0"s, 4, "and listed"),
      write("S", "c", "3", "[S]\na=1\nb=2\nc=3\r\n", "an added line ends in CR LF"),
      write("S", "a", "9", "[S]\na=9\nb=2\nc=3\r\n", "a rewritten line keeps its own line end"),
    }},
    {"no final line break", "[A]\r\nx=1", {
      write("A", "x", "5", "[A]\r\nx=5", "rewriting the last line adds no break"),
      write("A", "y", "2", "[A]\r\nx=5\r\ny=2\r\n", "adding after it ends the line first"),
    }},
    {"new section after an unterminated line", "[A]\r\nx=1", {
      write("B", "k", "v", "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n", "the line is ended, then the blank line"),
    }},
    {"lines without =", "[S]\r\njust text\r\na=1\r\n", {
      read("S", "just text", "none", 16, "none\0"s, 4, "a line without = is not a key"),
      read("S", nullptr, nullptr, 16, "a\0\0"s, 2, "nor listed"),
      write("S", "b", "2", "[S]\r\njust text\r\na=1\r\nb=2\r\n", "and it is kept"),
    }},
    {"section without keys", "[A]\r\n\r\n[B]\r\ny=2\r\n", {
      read("A", nullptr, nullptr, 16, "\0"s, 0, "an empty section lists nothing"),
      write("A", "k", "v", "[A]\r\nk=v\r\n\r\n[B]\r\ny=2\r\n", "the first key goes right after the header"),
    }},
    {"entries before any section", "orphan=1\r\n[S]\r\na=2\r\n", {
      read("S", "orphan", "none", 16, "none\0"s, 4, "a key before the first header is in no section"),
      read(nullptr, nullptr, nullptr, 16, "S\0\0"s, 2, "only headers are sections"),
    }},
    {"duplicate keys", "[D]\r\nk=first\r\nk=second\r\n", {
      read("D", "k", "", 16, "first\0"s, 5, "the first one is read"),
      write("D", "k", "new", "[D]\r\nk=new\r\nk=second\r\n", "and the first one is written"),
    }},
    {"value containing =", "[S]\r\nexpr=a=b\r\n", {
      read("S", "expr", "", 16, "a=b\0"s, 3, "the key ends at the first ="),
    }},
    {"header spelling", "[Mixed]\r\na=1\r\n", {
      write("MIXED", "b", "2", "[Mixed]\r\na=1\r\nb=2\r\n", "the existing header keeps its spelling"),
    }},
    {"deleting what is not there", "[S]\r\na=1\r\n", {
      write("S", "zz", nullptr, "[S]\r\na=1\r\n", "a missing key"),
      write("Nope", "a", nullptr, "[S]\r\na=1\r\n", "a key of a missing section"),
      write("Nope", nullptr, nullptr, "[S]\r\na=1\r\n", "a missing section"),
    }},
    {"deleting a middle section", "[A]\r\nx=1\r\n\r\n[B]\r\n; about y\r\ny=2\r\n\r\n[C]\r\nz=3\r\n", {
      write("b", nullptr, nullptr, "[A]\r\nx=1\r\n\r\n[C]\r\nz=3\r\n", "header, comment, keys and blank line go"),
    }},
    {"deleting the last key", "[A]\r\nx=1\r\ny=2\r\n", {
      write("A", "y", nullptr, "[A]\r\nx=1\r\n", "the line and its break go"),
      write("A", "x", nullptr, "[A]\r\n", "the header stays without keys"),
    }},
    {"empty file", "", {
      write("S", "k", "v", "[S]\r\nk=v\r\n", "no blank line at the start"),
    }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string file = dir.file(kCaseIni);
    setContents(file, c.initial);
    runSteps(file, c.steps);
  }
}

TEST(IniEngine, MissingFileAndFolder) {
  TempDir dir;
  const std::string file = dir.file("absent.ini");
  char buffer[16];
  plat::ops().setLastError(0);
  EXPECT_EQ(plat::ops().getProfileString("S", "k", "dflt", buffer, sizeof buffer, file.c_str()), 4u);
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_EQ(plat::ops().lastError(), plat::kErrFileNotFound);
  EXPECT_FALSE(contents(file)) << "reading must not create the file";

  const std::string deep = dir.file("no-such-folder", "absent.ini");
  EXPECT_EQ(plat::ops().writeProfileString("S", "k", "v", deep.c_str()), FALSE);
  EXPECT_EQ(plat::ops().lastError(), plat::kErrPathNotFound);
}

}  // namespace

// ---- the native engine only -------------------------------------------------
// Below, the file operations of the table are replaced to fail on purpose;
// Windows' own functions do not go through them.
#ifndef _WIN32

#include <cstdlib>

namespace {

// Makes the n-th file operation fail, with the error Windows would give for
// such a failure; a failing write first writes half of its bytes.
class FaultyFiles {
 public:
  explicit FaultyFiles(int failAt) : saved_(plat::ops()) {
    real_ = saved_;
    calls_ = 0;
    failAt_ = failAt;
    failedDelete_ = false;
    plat::Ops& o = plat::ops();
    o.openFile = open;
    o.readFile = read;
    o.writeFile = write;
    o.seekFile = seek;
    o.fileSize = size;
    o.closeFile = close;
    o.fileAttributes = attributes;
    o.deleteFile = remove;
    o.renameFile = rename;
  }
  ~FaultyFiles() { plat::ops() = saved_; }
  static bool fired() { return calls_ >= failAt_; }
  // Whether the operation made to fail was a deletion: then a stray file
  // may be left.
  static bool failedDelete() { return failedDelete_; }

 private:
  static bool fail(DWORD error, bool deletion = false) {
    if (++calls_ != failAt_) return false;
    failedDelete_ = deletion;
    real_.setLastError(error);
    return true;
  }
  static HANDLE open(const char* p, plat::Access a, plat::Share s, plat::Disposition d) {
    return fail(plat::kErrSharingViolation) ? INVALID_HANDLE_VALUE : real_.openFile(p, a, s, d);
  }
  static BOOL read(HANDLE f, void* b, DWORD n, DWORD* got) {
    if (!fail(plat::kErrReadFault)) return real_.readFile(f, b, n, got);
    real_.readFile(f, b, n / 2, got);
    real_.setLastError(plat::kErrReadFault);
    return FALSE;
  }
  static BOOL write(HANDLE f, const void* b, DWORD n, DWORD* put) {
    if (!fail(plat::kErrDiskFull)) return real_.writeFile(f, b, n, put);
    real_.writeFile(f, b, n / 2, put);
    real_.setLastError(plat::kErrDiskFull);
    return FALSE;
  }
  static BOOL seek(HANDLE f, std::int64_t o, plat::Seek s, std::int64_t* pos) {
    return fail(plat::kErrInvalidParameter) ? FALSE : real_.seekFile(f, o, s, pos);
  }
  static BOOL size(HANDLE f, std::uint64_t* n) {
    return fail(plat::kErrInvalidHandle) ? FALSE : real_.fileSize(f, n);
  }
  static BOOL close(HANDLE f) {  // the handle is gone either way
    BOOL ok = real_.closeFile(f);
    return fail(plat::kErrWriteFault) ? FALSE : ok;
  }
  static DWORD attributes(const char* p) {
    return fail(plat::kErrAccessDenied) ? plat::kAttrInvalid : real_.fileAttributes(p);
  }
  static BOOL remove(const char* p) {
    return fail(plat::kErrAccessDenied, true) ? FALSE : real_.deleteFile(p);
  }
  static BOOL rename(const char* from, const char* to) {
    return fail(plat::kErrAccessDenied) ? FALSE : real_.renameFile(from, to);
  }

  plat::Ops saved_;
  static plat::Ops real_;
  static int calls_, failAt_;
  static bool failedDelete_;
};

plat::Ops FaultyFiles::real_;
int FaultyFiles::calls_ = 0;
int FaultyFiles::failAt_ = 0;
bool FaultyFiles::failedDelete_ = false;

struct WriteCase {
  const char* name;
  std::optional<std::string> before;
  const char *section, *key, *value;
  std::optional<std::string> after;
};

// Whatever single file operation fails, a write leaves either the old bytes
// (and returns FALSE with an error) or the new ones (and returns TRUE). It
// leaves no stray files unless removing one was what failed, and then the
// next clean write clears them.
TEST(IniEngine, FailingFileOperationsNeverHalfWrite) {
  const std::string base = "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n";
  const std::vector<WriteCase> cases = {
    {"rewrite a key", base, "A", "x", "22", "[A]\r\nx=22\r\n\r\n[B]\r\ny=2\r\n"},
    {"add a section", base, "C", "z", "3", base + "\r\n[C]\r\nz=3\r\n"},
    {"delete a section", base, "A", nullptr, nullptr, "[B]\r\ny=2\r\n"},
    {"create the file", std::nullopt, "A", "x", "1", "[A]\r\nx=1\r\n"},
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string file = dir.file("faults.ini");
    for (int n = 1;; ++n) {
      SCOPED_TRACE("failing operation " + std::to_string(n));
      ASSERT_LT(n, 100) << "the write never ran out of operations";
      setContents(file, c.before);
      BOOL ok;
      DWORD error;
      bool fired, failedDelete;
      {
        FaultyFiles faults(n);
        ok = plat::ops().writeProfileString(c.section, c.key, c.value, file.c_str());
        error = plat::ops().lastError();
        fired = FaultyFiles::fired();
        failedDelete = FaultyFiles::failedDelete();
      }
      const std::optional<std::string> now = contents(file);
      EXPECT_EQ(visible(now), visible(ok ? c.after : c.before));
      if (!ok) {
        EXPECT_NE(error, 0u);
      }
      if (!failedDelete) {
        EXPECT_EQ(dir.entries(), now ? std::vector<std::string>{"faults.ini"} : std::vector<std::string>{});
      }
      setContents(file, c.before);
      ASSERT_EQ(plat::ops().writeProfileString(c.section, c.key, c.value, file.c_str()), TRUE);
      EXPECT_EQ(dir.entries(), std::vector<std::string>{"faults.ini"});
      if (!fired) {
        EXPECT_EQ(ok, TRUE);
        break;
      }
    }
  }
}

// A read whose file operations fail sees a missing file: the fallback.
TEST(IniEngine, FailingReadGivesValueOrFallback) {
  TempDir dir;
  const std::string file = dir.file("faults.ini");
  setContents(file, "[A]\r\nx=value\r\n"s);
  for (int n = 1;; ++n) {
    ASSERT_LT(n, 100);
    char buffer[16];
    FaultyFiles faults(n);
    DWORD got = plat::ops().getProfileString("A", "x", "fallback", buffer, sizeof buffer, file.c_str());
    std::string text(buffer, got);
    EXPECT_TRUE(text == "value" || text == "fallback") << "operation " << n << ": " << text;
    EXPECT_EQ(std::strlen(buffer), got);
    if (!FaultyFiles::fired()) {
      EXPECT_EQ(text, "value");
      break;
    }
  }
}

// A replacement cut short after the file was moved aside (a crash) still
// leaves its old content readable, and the next write completes it.
TEST(IniEngine, InterruptedReplacementIsRecovered) {
  TempDir dir;
  const std::string file = dir.file("recover.ini");
  setContents(file + ".old~", "[A]\r\nx=1\r\n"s);
  setContents(file + ".new~", "[A]\r\nx=half"s);
  char buffer[16];
  EXPECT_EQ(plat::ops().getProfileString("A", "x", "", buffer, sizeof buffer, file.c_str()), 1u);
  EXPECT_STREQ(buffer, "1");
  ASSERT_EQ(plat::ops().writeProfileString("A", "y", "2", file.c_str()), TRUE);
  EXPECT_EQ(visible(contents(file)), visible("[A]\r\nx=1\r\ny=2\r\n"s));
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"recover.ini"});
}

TEST(IniEngine, NullArgumentsAreRefused) {
  TempDir dir;
  const std::string file = dir.file("null.ini");
  setContents(file, "[A]\r\nx=1\r\n"s);
  char buffer[8] = "#######";
  EXPECT_EQ(plat::ops().getProfileString("A", "x", "d", nullptr, 8, file.c_str()), 0u);
  EXPECT_EQ(plat::ops().getProfileString("A", "x", "d", buffer, 8, nullptr), 1u);
  EXPECT_STREQ(buffer, "d");
  EXPECT_EQ(plat::ops().writeProfileString("A", "x", "2", nullptr), FALSE);
  EXPECT_EQ(plat::ops().writeProfileString(nullptr, "x", "2", file.c_str()), FALSE);
  EXPECT_EQ(plat::ops().writeProfileString(nullptr, nullptr, nullptr, file.c_str()), FALSE);
  EXPECT_EQ(visible(contents(file)), visible("[A]\r\nx=1\r\n"s));
}

TEST(IniEngine, ReadOnlyFileIsNotReplaced) {
  TempDir dir;
  const std::string file = dir.file("locked.ini");
  setContents(file, "[A]\r\nx=1\r\n"s);
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  if (plat::ops().fileAttributes(file.c_str()) & plat::kAttrReadOnly) {  // not so for root
    EXPECT_EQ(plat::ops().writeProfileString("A", "x", "2", file.c_str()), FALSE);
    EXPECT_EQ(plat::ops().lastError(), plat::kErrAccessDenied);
    EXPECT_EQ(visible(contents(file)), visible("[A]\r\nx=1\r\n"s));
  }
}

// A bare file name lives in the Windows folder, as on Windows.
TEST(IniEngine, BareNameUsesWindowsFolder) {
  TempDir dir;
  const std::string folder = dir.file("windows");
  ASSERT_TRUE(plat::ops().createDirectory(folder.c_str()));
  const char* saved = std::getenv("QUINTAR_WINDIR");
  std::string restore = saved ? saved : "";
  ::setenv("QUINTAR_WINDIR", folder.c_str(), 1);
  EXPECT_EQ(plat::ops().writeProfileString("S", "k", "v", "bare.ini"), TRUE);
  char buffer[8];
  EXPECT_EQ(plat::ops().getProfileString("S", "k", "", buffer, sizeof buffer, "bare.ini"), 1u);
  if (saved) ::setenv("QUINTAR_WINDIR", restore.c_str(), 1); else ::unsetenv("QUINTAR_WINDIR");
  EXPECT_EQ(visible(contents(folder + "/bare.ini")), visible("[S]\r\nk=v\r\n"s));
}

}  // namespace

#endif  // _WIN32
