// The native settings-file engine alone: its file operations are replaced
// to fail on purpose (the real Windows functions do not go through them), its
// recovery of an interrupted replacement, and its choices where Windows has
// behaviour the package does not use.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "winkit/ini_test_support.h"
#include "winutil/platform/platform.h"

namespace {

using namespace std::string_literals;
using initest::contents;
using initest::setContents;
using initest::TempDir;
using initest::visible;

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
    {"rewrite a key", base, "A", "x", "22", "[A]\r\nx=22\r\n[B]\r\ny=2\r\n"},
    {"add a section", base, "C", "z", "3", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[C]\r\nz=3\r\n"},
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

// The real functions take a null file name for win.ini and a null section
// as a flush of their cache; the package relies on neither, so the engine
// refuses both and touches no file.
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
