// Winkit's file functions and file dialogs: the line reader, the copy and
// join of files, the 8.3 converter, the companion-file names of a module and
// the Open / Save As dialogs as the platform's file-choice service sees them.
// No real dialog is opened: the service is scripted.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/faults.h"
#include "support/files.h"
#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

using namespace std::string_literals;

// The file name of a module without its folder: the caption of its boxes.
std::string fileNameOf(HINSTANCE module) {
  char path[MAX_PATH] = "";
  plat::ops().moduleFileName(module, path, sizeof path);
  std::string p = path;
  std::size_t cut = p.find_last_of("\\/");
  return cut == std::string::npos ? p : p.substr(cut + 1);
}

void expectBox(const qtest::Box& box, const std::string& caption, int context, int reason,
               const std::string& contextText, const std::string& reasonText) {
  EXPECT_EQ(box.caption, caption);
  std::vector<std::string> lines = box.lines();
  ASSERT_EQ(lines.size(), 3u) << box.text;
  EXPECT_EQ(lines[0], "Error: " + std::to_string(context) + " - Code: " + std::to_string(reason));
  EXPECT_EQ(lines[1], contextText);
  EXPECT_EQ(lines[2], reasonText);
}

// An open file for reading that closes itself.
plat::File openForReading(const std::string& path) {
  return plat::File(plat::ops().openFile(path.c_str(), plat::Access::Read, plat::Share::ReadWrite,
                                         plat::Disposition::OpenExisting));
}

std::int64_t positionOf(HANDLE file) {
  std::int64_t p = -1;
  plat::ops().seekFile(file, 0, plat::Seek::Current, &p);
  return p;
}

// ---- CVlgets ------------------------------------------------------------

struct LineCase {
  const char* name;
  std::string bytes;
  int size;
  std::vector<std::string> lines;
  std::int64_t start = 0;
};

std::vector<std::string> readLines(HANDLE file, int size) {
  std::vector<std::string> out;
  std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
  while (char* line = CVlgets(buffer.data(), size, file)) {
    EXPECT_EQ(line, buffer.data());
    out.push_back(line);
    if (out.size() > 100) break;
  }
  return out;
}

TEST(FilesLineRead, LineEndsAndEndOfFile) {
  std::string long600(600, 'a');
  const LineCase cases[] = {
      {"CR LF", "ab\r\ncd\r\n", 80, {"ab\r\n", "cd\r\n"}},
      {"LF CR", "ab\n\rcd\n\r", 80, {"ab\n\r", "cd\n\r"}},
      {"CR CR", "ab\r\rcd\r\r", 80, {"ab\r\r", "cd\r\r"}},
      {"LF LF swallows the empty line", "ab\n\ncd\n", 80, {"ab\n\n", "cd\n"}},
      {"a third line-end character starts a line", "ab\r\n\ncd", 80, {"ab\r\n", "\n", "cd"}},
      {"last line without line end", "ab\ncd", 80, {"ab\n", "cd"}},
      {"one-byte last line is not returned", "ab\nc", 80, {"ab\n"}},
      {"final line end alone gives no further line", "ab\r\n", 80, {"ab\r\n"}},
      {"a lone final LF gives no further line", "ab\r\n\n", 80, {"ab\r\n"}},
      {"empty file", "", 80, {}},
      {"one-byte file", "x", 80, {}},
      {"two-byte file", "xy", 80, {"xy"}},
      {"starts at the file's position", "xxab\ncd", 80, {"ab\n", "cd"}, 2},
      {"long line in parts", long600 + "\r\n", 260,
       {std::string(259, 'a'), std::string(259, 'a'), std::string(82, 'a') + "\r\n"}},
      {"line end split by the size", "abc\r\n", 3, {"ab", "c\r"}},
      {"size 2 reads single bytes", "ab\ncd", 2, {"a", "b", "\n", "c"}},
  };
  qtest::TempDir dir;
  for (const LineCase& c : cases) {
    std::string path = dir.file("lines.txt");
    qtest::writeBytes(path, c.bytes);
    plat::File f = openForReading(path);
    ASSERT_TRUE(f.ok()) << c.name;
    ASSERT_TRUE(plat::ops().seekFile(f.get(), c.start, plat::Seek::Begin, nullptr)) << c.name;
    EXPECT_EQ(readLines(f.get(), c.size), c.lines) << c.name;
  }
}

TEST(FilesLineRead, PositionFollowsTheLine) {
  qtest::TempDir dir;
  std::string path = dir.file("pos.txt");
  qtest::writeBytes(path, "first\r\nsecond\nthird");
  plat::File f = openForReading(path);
  char line[80];
  ASSERT_NE(CVlgets(line, sizeof line, f.get()), nullptr);
  EXPECT_EQ(positionOf(f.get()), 7);
  ASSERT_NE(CVlgets(line, sizeof line, f.get()), nullptr);
  EXPECT_EQ(positionOf(f.get()), 14);
  ASSERT_NE(CVlgets(line, sizeof line, f.get()), nullptr);
  EXPECT_EQ(positionOf(f.get()), 19);
  EXPECT_EQ(CVlgets(line, sizeof line, f.get()), nullptr);
  EXPECT_EQ(positionOf(f.get()), 19);
}

TEST(FilesLineRead, NeverWritesBeyondSize) {
  qtest::TempDir dir;
  std::string path = dir.file("guard.txt");
  qtest::writeBytes(path, "abcdefghijkl\r\nab\r\nxyz");
  plat::File f = openForReading(path);
  const int size = 8;
  char buffer[64];
  std::memset(buffer, '#', sizeof buffer);
  std::vector<std::string> got;
  while (char* line = CVlgets(buffer, size, f.get())) {
    got.push_back(line);
    for (std::size_t i = size; i < sizeof buffer; ++i)
      ASSERT_EQ(buffer[i], '#') << "byte " << i << " after line " << got.size();
  }
  EXPECT_EQ(got, (std::vector<std::string>{"abcdefg", "hijkl\r\n", "ab\r\n", "xyz"}));
}

TEST(FilesLineRead, RefusesWithoutRoomOrFile) {
  qtest::TempDir dir;
  std::string path = dir.file("small.txt");
  qtest::writeBytes(path, "abc\r\n");
  plat::File f = openForReading(path);
  for (int size : {1, 0, -5}) {
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(CVlgets(buffer, size, f.get()), nullptr) << "size " << size;
    EXPECT_EQ(buffer[0], '#') << "size " << size;
    EXPECT_EQ(positionOf(f.get()), 0) << "size " << size;
  }
  char line[16];
  EXPECT_EQ(CVlgets(nullptr, 16, f.get()), nullptr);
  EXPECT_EQ(CVlgets(line, sizeof line, INVALID_HANDLE_VALUE), nullptr);
}

TEST(FilesLineRead, FailingOperationsGiveNull) {
  qtest::TempDir dir;
  std::string path = dir.file("faults.txt");
  qtest::writeBytes(path, "abc\r\ndef\r\n");
  for (int n = 1;; ++n) {
    plat::File f = openForReading(path);
    char line[16];
    qtest::FaultPlan plan(qtest::kFaultRead | qtest::kFaultSeek | qtest::kFaultSize, n);
    char* got = CVlgets(line, sizeof line, f.get());
    if (!plan.fired()) {
      EXPECT_STREQ(got, "abc\r\n");
      break;
    }
    EXPECT_EQ(got, nullptr) << "failure at operation " << n;
    ASSERT_LT(n, 20);
  }
}

TEST(FilesLength, SizeOfAnOpenFile) {
  qtest::TempDir dir;
  std::string path = dir.file("len.bin");
  qtest::writeBytes(path, std::string(40000, 'z'));
  plat::File f = openForReading(path);
  EXPECT_EQ(CVFileLength(f.get()), 40000u);
  EXPECT_EQ(CVFileLength(INVALID_HANDLE_VALUE), 0u);
}

// ---- CVCopyFile ------------------------------------------------------------

class FilesCopy : public ::testing::Test {
 protected:
  // A 260-byte name buffer, as callers pass them.
  struct Name {
    char text[MAX_PATH] = {};
    explicit Name(const std::string& s) { plat::copyText(text, sizeof text, s.c_str()); }
  };

  std::string winkit = fileNameOf(CVWinkitModule());
  qtest::TempDir dir;
  qtest::UiCapture ui;
};

TEST_F(FilesCopy, CopiesAcrossBlockBoundaries) {
  for (std::size_t size : {0u, 1u, 31999u, 32000u, 32001u, 64000u, 70000u}) {
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>('a' + i % 23);
    qtest::writeBytes(dir.file("src.bin"), bytes);
    qtest::writeBytes(dir.file("dst.bin"), "old contents that are longer than some sources");
    Name source(dir.file("src.bin")), destination(dir.file("dst.bin"));
    EXPECT_EQ(CVCopyFile(source.text, destination.text, 1), 0) << size << " bytes";
    EXPECT_EQ(qtest::readBytes(dir.file("dst.bin")), bytes) << size << " bytes";
  }
  EXPECT_TRUE(ui.boxes().empty());
  EXPECT_EQ(ui.unexpected, 0);
}

TEST_F(FilesCopy, JoinsTwoFiles) {
  std::string a(40000, 'a'), b = "bbb\r\n";
  qtest::writeBytes(dir.file("a.dat"), a);
  qtest::writeBytes(dir.file("b.dat"), b);
  Name source(dir.file("a.dat") + "+" + dir.file("b.dat")), destination(dir.file("ab.dat"));
  EXPECT_EQ(CVCopyFile(source.text, destination.text, 1), 0);
  EXPECT_EQ(qtest::readBytes(dir.file("ab.dat")), a + b);
  // The plus sign is replaced by a NUL in the caller's string.
  EXPECT_EQ(std::string(source.text), dir.file("a.dat"));
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(FilesCopy, RefusalsAreShownAndReturned) {
  qtest::writeBytes(dir.file("a.dat"), "AAAA");
  struct Case {
    const char* name;
    std::string source, destination;
    int result;
    const char* reason;
  };
  std::string a = dir.file("a.dat"), missing = dir.file("missing.dat");
  std::string sameSpelledOtherwise = a;
  for (char& c : sameSpelledOtherwise) {
    if (c == '/') c = '\\';
    else if (c == '\\') c = '/';
  }
  sameSpelledOtherwise.replace(sameSpelledOtherwise.size() - 5, 5, "A.DAT");
  const Case cases[] = {
      {"empty destination", a, "", 18, "Invalid or zero length file name!"},
      {"empty source", "", dir.file("out.dat"), 18, "Invalid or zero length file name!"},
      {"empty second part", a + "+", dir.file("out.dat"), 18, "Invalid or zero length file name!"},
      {"empty first part", "+" + a, dir.file("out.dat"), 18, "Invalid or zero length file name!"},
      {"missing source", missing, dir.file("out1.dat"), 13, "Cannot open source file!"},
      {"missing second source", a + "+" + missing, dir.file("out2.dat"), 13,
       "Cannot open source file!"},
      {"destination folder missing", a, dir.file("nofolder") + "/x.dat", 14,
       "Cannot open destination file!"},
      {"into itself", a, a, 19, "Cannot copy a file into itself!"},
      {"into itself, other case and separators", a, sameSpelledOtherwise, 19,
       "Cannot copy a file into itself!"},
      {"second source into itself", missing + "+" + a, a, 19, "Cannot copy a file into itself!"},
  };
  for (const Case& c : cases) {
    ui.clear();
    Name source(c.source), destination(c.destination);
    EXPECT_EQ(CVCopyFile(source.text, destination.text, 1), c.result) << c.name;
    ASSERT_EQ(ui.boxes().size(), 1u) << c.name;
    SCOPED_TRACE(c.name);
    expectBox(ui.boxes()[0], winkit, 17, c.result, "Could not copy file!", c.reason);
    EXPECT_EQ(qtest::readBytes(a), "AAAA") << c.name;
  }
  // A destination created before the failure stays, with what was copied.
  EXPECT_EQ(qtest::readBytes(dir.file("out1.dat")), "");
  EXPECT_EQ(qtest::readBytes(dir.file("out2.dat")), "AAAA");
  EXPECT_FALSE(qtest::fileExists(dir.file("out.dat")));
}

TEST_F(FilesCopy, InvalidPointers) {
  Name destination(dir.file("out.dat"));
  EXPECT_EQ(CVCopyFile(nullptr, destination.text, 1), 257);
  expectBox(ui.only(), winkit, 17, 257, "Could not copy file!", "Invalid data pointer!");
  ui.clear();
  Name source(dir.file("a.dat"));
  EXPECT_EQ(CVCopyFile(source.text, nullptr, 1), 257);
  expectBox(ui.only(), winkit, 17, 257, "Could not copy file!", "Invalid data pointer!");
}

// A write that succeeds but stores only half of the bytes, as a full disk does.
BOOL (*gRealWrite)(HANDLE, const void*, DWORD, DWORD*) = nullptr;
BOOL shortWrite(HANDLE file, const void* buffer, DWORD count, DWORD* put) {
  return gRealWrite(file, buffer, count / 2, put);
}

TEST_F(FilesCopy, ShortWriteIsDiskFull) {
  qtest::writeBytes(dir.file("src.dat"), "0123456789");
  Name source(dir.file("src.dat")), destination(dir.file("dst.dat"));
  plat::Ops saved = plat::ops();
  gRealWrite = saved.writeFile;
  plat::ops().writeFile = shortWrite;
  int result = CVCopyFile(source.text, destination.text, 1);
  plat::ops() = saved;
  EXPECT_EQ(result, 48);
  expectBox(ui.only(), winkit, 17, 48, "Could not copy file!", "Disk full?");
  EXPECT_EQ(qtest::readBytes(dir.file("src.dat")), "0123456789");
}

struct Question {
  std::string caption, text;
};
std::vector<Question> gQuestions;
BOOL gAnswer = FALSE;

BOOL recordQuestion(HWND, const char* caption, const char* text) {
  gQuestions.push_back({caption ? caption : "", text ? text : ""});
  return gAnswer;
}

TEST_F(FilesCopy, AsksBeforeReplacingWithoutFlag) {
  plat::ui().askYesNo = recordQuestion;
  qtest::writeBytes(dir.file("src.dat"), "new");
  struct Case {
    const char* name;
    bool destinationExists;
    UINT flags;
    BOOL answer;
    int result;
    std::size_t questions;
    std::string destinationAfter;
  };
  const Case cases[] = {
      {"answered no", true, 0, FALSE, 20, 1, "old"},
      {"answered yes", true, 0, TRUE, 0, 1, "new"},
      {"no destination yet", false, 0, FALSE, 0, 0, "new"},
      {"flag 1 does not ask", true, 1, FALSE, 0, 0, "new"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui.clear();
    gQuestions.clear();
    gAnswer = c.answer;
    std::string dst = dir.file("dst.dat");
    if (c.destinationExists) {
      qtest::writeBytes(dst, "old");
    } else {
      plat::ops().deleteFile(dst.c_str());
    }
    Name source(dir.file("src.dat")), destination(dst);
    EXPECT_EQ(CVCopyFile(source.text, destination.text, c.flags), c.result);
    ASSERT_EQ(gQuestions.size(), c.questions);
    if (c.questions) {
      EXPECT_EQ(gQuestions[0].caption, "Copy File");
      EXPECT_EQ(gQuestions[0].text, "Do you want to overwrite an existing file?");
    }
    EXPECT_EQ(qtest::readBytes(dst), c.destinationAfter);
    if (c.result) {
      expectBox(ui.only(), winkit, 17, 20, "Could not copy file!", "Process cancelled by user!");
    } else {
      EXPECT_TRUE(ui.boxes().empty());
    }
  }
}

std::string reasonText(int reason) {
  switch (reason) {
    case 13: return "Cannot open source file!";
    case 14: return "Cannot open destination file!";
    case 16: return "Error reading file!";
    case 48: return "Disk full?";
    case 258: return "Cannot allocate memory!";
    default: return "?";
  }
}

TEST_F(FilesCopy, EveryFailingOperationIsShownOnce) {
  std::string a(40000, 'a'), b = "bbb";
  qtest::writeBytes(dir.file("a.dat"), a);
  qtest::writeBytes(dir.file("b.dat"), b);
  const std::string joined = dir.file("a.dat") + "+" + dir.file("b.dat");
  // Create, buffer, open a, read, write, read, write, open b, read, write.
  const int expected[] = {14, 258, 13, 16, 48, 16, 48, 13, 16, 48};
  int n = 1;
  for (;; ++n) {
    ui.clear();
    Name source(joined), destination(dir.file("out.dat"));
    int result;
    bool fired;
    {
      qtest::FaultPlan plan(qtest::kFaultFiles | qtest::kFaultHeap, n);
      result = CVCopyFile(source.text, destination.text, 1);
      fired = plan.fired();
    }
    EXPECT_EQ(qtest::readBytes(dir.file("a.dat")), a) << "failure at operation " << n;
    EXPECT_EQ(qtest::readBytes(dir.file("b.dat")), b) << "failure at operation " << n;
    if (!fired) {
      EXPECT_EQ(result, 0);
      EXPECT_TRUE(ui.boxes().empty());
      EXPECT_EQ(qtest::readBytes(dir.file("out.dat")), a + b);
      break;
    }
    ASSERT_LE(n, 10) << "more operations than expected";
    EXPECT_EQ(result, expected[n - 1]) << "failure at operation " << n;
    ASSERT_EQ(ui.boxes().size(), 1u) << "failure at operation " << n;
    SCOPED_TRACE("failure at operation " + std::to_string(n));
    expectBox(ui.boxes()[0], winkit, 17, expected[n - 1], "Could not copy file!",
              reasonText(expected[n - 1]));
  }
  EXPECT_EQ(n, 11);
}

// ---- CVMakeValidDosName ---------------------------------------------------------

TEST(FilesDosName, Conversions) {
  struct Case {
    std::string path;
    int result;
    std::string after;
  };
  const Case cases[] = {
      {"c:/long directory/readme.text", 1, "C:\\LONGDIRE.CTO\\README.TEX"},
      {"...x", 1, "X"},
      {"***???", 0, "***???"},
      {"", 0, ""},
      {"c:\\x", 1, "C:\\X"},
      {"c:", 1, "C:\\"},
      {"12c:x", 1, "C:\\X"},
      {"1:abc", 1, "\\ABC"},
      {":abc", 1, "\\ABC"},
      {"/usr//lib/", 1, "\\USR\\LIB"},
      {"x/../y", 1, "X\\Y"},
      {"abc.", 1, "ABC"},
      {"a.b.c.d", 1, "A.BCD"},
      {"verylongname.extension", 1, "VERYLONG.NAM"},
      {"abcdefghi", 1, "ABCDEFGH.I"},
      {"caf\xc3\xa9.txt", 1, "CAF.TXT"},
      {"d:\\My Files\\~$x [1].doc", 1, "D:\\MYFILES\\~$X1.DOC"},
      {"...", 0, "..."},
  };
  for (const Case& c : cases) {
    char buffer[MAX_PATH];
    plat::copyText(buffer, sizeof buffer, c.path.c_str());
    EXPECT_EQ(CVMakeValidDosName(buffer), c.result) << '"' << c.path << '"';
    EXPECT_EQ(std::string(buffer), c.after) << '"' << c.path << '"';
  }
  EXPECT_EQ(CVMakeValidDosName(nullptr), 0);
}

TEST(FilesDosName, LongPathsAreCut) {
  // 30 components of 10 characters: only the first 259 characters count, and
  // the longer 8.3 form is cut to 259 characters as well.
  std::string path;
  for (int i = 0; i < 30; ++i) path += "abcdefghij/";
  std::vector<char> buffer(path.begin(), path.end());
  buffer.push_back(0);
  EXPECT_EQ(CVMakeValidDosName(buffer.data()), 1);
  std::string full;
  for (int i = 0; i < 23; ++i) full += "ABCDEFGH.IJ\\";
  full += "ABCDEF";
  EXPECT_EQ(std::string(buffer.data()), full.substr(0, 259));
}

// ---- CVGetFileName --------------------------------------------------------------

// A module file and a Windows folder of the test's choosing.
std::string gModulePath, gWindowsFolder;

DWORD fakeModuleFileName(HINSTANCE, char* buffer, DWORD size) {
  plat::copyText(buffer, size, gModulePath.c_str());
  return static_cast<DWORD>(std::strlen(buffer));
}

DWORD fakeWindowsFolder(char* buffer, DWORD size) {
  if (gWindowsFolder.empty()) return 0;
  plat::copyText(buffer, size, gWindowsFolder.c_str());
  return static_cast<DWORD>(std::strlen(buffer));
}

class FilesCompanion : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = plat::ops();
    plat::ops().moduleFileName = fakeModuleFileName;
    plat::ops().windowsFolder = fakeWindowsFolder;
  }
  void TearDown() override { plat::ops() = saved_; }

  std::string get(UINT kind, int expectResult) {
    char path[MAX_PATH] = "unchanged";
    EXPECT_EQ(CVGetFileName(ThisModule(), path, kind), expectResult) << "kind " << kind;
    return path;
  }

 private:
  plat::Ops saved_;
};

TEST_F(FilesCompanion, KindsOfAWindowsPath) {
  gModulePath = "C:\\Apps\\Drafton.exe";
  gWindowsFolder = "C:\\NoSuchWindowsFolder";
  struct Case {
    UINT kind;
    int result;
    const char* path;
  };
  const Case cases[] = {
      {1, 0, "C:\\Apps\\Drafton.exe"},   {2, 0, "C:\\Apps\\"},
      {3, 2, "C:\\Apps\\Drafton.ini"},   {4, 2, "C:\\Apps\\Drafton.hlp"},
      {5, 2, "C:\\Apps\\Drafton.pdf"},   {6, 0, "C:\\Apps\\quintar.dtd"},
      {7, 0, "C:\\Apps\\quintar.xsl"},   {8, 0, "C:\\Apps\\quintar.css"},
      {9, 13, "unchanged"},              {0, 13, "unchanged"},
  };
  for (const Case& c : cases) EXPECT_EQ(get(c.kind, c.result), c.path) << "kind " << c.kind;
}

TEST_F(FilesCompanion, KindsOfANativePath) {
  gModulePath = "/opt/quintar-none/bin/drafton";
  gWindowsFolder = "/opt/quintar-none/etc";
  EXPECT_EQ(get(1, 0), "/opt/quintar-none/bin/drafton");
  EXPECT_EQ(get(2, 0), "/opt/quintar-none/bin/");
  EXPECT_EQ(get(3, 2), "/opt/quintar-none/bin/drafton.ini");
  EXPECT_EQ(get(6, 0), "/opt/quintar-none/bin/quintar.dtd");
}

TEST_F(FilesCompanion, SettingsFileSearch) {
  qtest::TempDir dir;
  plat::ops().createDirectory(dir.file("app").c_str());
  plat::ops().createDirectory(dir.file("win").c_str());
  std::string app = dir.file("app"), win = dir.file("win");
  char sep = app.find('/') != std::string::npos ? '/' : '\\';
  gModulePath = app + sep + "Drafton.exe";
  std::string beside = app + sep + "Drafton.ini", shared = win + sep + "Drafton.ini";
  struct Case {
    const char* name;
    bool besideExists, sharedExists;
    std::string windowsFolder;
    int result;
    std::string path;
  };
  const Case cases[] = {
      {"nowhere", false, false, win, 2, beside},
      {"beside the module", true, false, win, 0, beside},
      {"beside the module wins", true, true, win, 0, beside},
      {"only in the Windows folder", false, true, win, 0, shared},
      {"Windows folder ending in a separator", false, true, win + sep, 0, shared},
      {"no Windows folder", false, true, "", 2, beside},
  };
  for (const Case& c : cases) {
    plat::ops().deleteFile(beside.c_str());
    plat::ops().deleteFile(shared.c_str());
    if (c.besideExists) qtest::writeBytes(beside, "[a]\r\n");
    if (c.sharedExists) qtest::writeBytes(shared, "[b]\r\n");
    gWindowsFolder = c.windowsFolder;
    EXPECT_EQ(get(CVF_SETTINGS, c.result), c.path) << c.name;
  }
}

TEST_F(FilesCompanion, NoWorkAreaGivesNotEnoughMemory) {
  gModulePath = "C:\\Apps\\Drafton.exe";
  for (int n = 1;; ++n) {
    char path[MAX_PATH] = "unchanged";
    qtest::FaultPlan plan(qtest::kFaultHeap, n);
    int result = CVGetFileName(ThisModule(), path, CVF_FOLDER);
    if (!plan.fired()) {
      EXPECT_EQ(result, 0);
      EXPECT_STREQ(path, "C:\\Apps\\");
      break;
    }
    EXPECT_EQ(result, 8) << "failure at allocation " << n;
    EXPECT_STREQ(path, "unchanged");
    ASSERT_LT(n, 5);
  }
  char* nowhere = nullptr;
  EXPECT_EQ(CVGetFileName(ThisModule(), nowhere, CVF_MODULE), 13);
}

TEST(FilesCompanionOfTheProgram, NamesBesideTheModule) {
  for (HINSTANCE module : {static_cast<HINSTANCE>(nullptr), ThisModule(), CVWinkitModule()}) {
    char file[MAX_PATH] = "", folder[MAX_PATH] = "", dtd[MAX_PATH] = "";
    ASSERT_EQ(CVGetFileName(module, file, CVF_MODULE), 0);
    ASSERT_EQ(CVGetFileName(module, folder, CVF_FOLDER), 0);
    ASSERT_EQ(CVGetFileName(module, dtd, CVF_DTD), 0);
    char expected[MAX_PATH] = "";
    plat::ops().moduleFileName(module, expected, sizeof expected);
    EXPECT_STREQ(file, expected);
    std::string f = folder;
    ASSERT_FALSE(f.empty());
    EXPECT_TRUE(f.back() == '/' || f.back() == '\\') << f;
    EXPECT_EQ(f + fileNameOf(module), file);
    EXPECT_EQ(f + "quintar.dtd", dtd);
  }
}

// ---- file dialogs ------------------------------------------------------------------

// What the file-choice service was asked, and how it answers.
struct Request {
  int calls = 0;
  BOOL save = FALSE;
  std::string title, folder, defExt, fileIn;
  bool hasFilter = false, hasFolder = false, hasDefExt = false;
  std::string filter;  // the list up to its double NUL, NULs included
  DWORD fileSize = 0;
  BOOL mustExist = FALSE, confirmOverwrite = FALSE;
  OPENFILENAMEA record{};  // the caller's record during the call
  const OPENFILENAMEA* dialog = nullptr;
  // The answer.
  std::string chosen;
  DWORD error = 0;
};
Request gRequest;

std::string filterList(const char* f) {
  std::string out;
  while (*f) {
    out += f;
    out += '\0';
    f += std::strlen(f) + 1;
  }
  return out;
}

BOOL scriptedChoice(HWND, plat::FileChoice* r, DWORD* error) {
  Request& q = gRequest;
  ++q.calls;
  q.save = r->save;
  q.title = r->title ? r->title : "";
  q.hasFilter = r->filter != nullptr;
  q.filter = r->filter ? filterList(r->filter) : "";
  q.hasFolder = r->folder != nullptr;
  q.folder = r->folder ? r->folder : "";
  q.hasDefExt = r->defExt != nullptr;
  q.defExt = r->defExt ? r->defExt : "";
  q.fileIn = r->file;
  q.fileSize = r->fileSize;
  q.mustExist = r->mustExist;
  q.confirmOverwrite = r->confirmOverwrite;
  q.dialog = r->dialog;
  if (r->dialog) q.record = *r->dialog;
  *error = q.error;
  if (q.chosen.empty()) return FALSE;
  plat::copyText(r->file, r->fileSize, q.chosen.c_str());
  return TRUE;
}

class FilesChooser : public ::testing::Test {
 protected:
  void SetUp() override {
    gRequest = Request{};
    plat::ui().chooseFile = scriptedChoice;
  }
  std::string winkit = fileNameOf(CVWinkitModule());
  qtest::UiCapture ui;
};

UINT_PTR CALLBACK someHook(HWND, UINT, WPARAM, LPARAM) { return 0; }

TEST_F(FilesChooser, OpenFillsTheRecordAndReturnsTheChoice) {
  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.lpstrFilter = "Text\0*.txt\0";
  dialog.lpstrInitialDir = "start";
  dialog.lpstrDefExt = "txt";
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
  dialog.lpfnHook = someHook;
  dialog.lpTemplateName = "TEMPLATE";
  char file[MAX_PATH] = "first.txt", title[512] = "stale";
  HWND owner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12340));
  gRequest.chosen = "some/folder/chosen.txt";

  EXPECT_TRUE(CVFileOpenDlg(owner, &dialog, file, title));
  EXPECT_STREQ(file, "some/folder/chosen.txt");
  EXPECT_STREQ(title, "chosen.txt");
  EXPECT_EQ(dialog.nFileOffset, 12);
  EXPECT_EQ(dialog.nFileExtension, 19);
  EXPECT_TRUE(ui.boxes().empty());

  const Request& q = gRequest;
  ASSERT_EQ(q.calls, 1);
  EXPECT_FALSE(q.save);
  EXPECT_EQ(q.title, "Open File");
  EXPECT_EQ(q.filter, "Text\0*.txt\0"s);
  EXPECT_EQ(q.folder, "start");
  EXPECT_EQ(q.defExt, "txt");
  EXPECT_EQ(q.fileIn, "first.txt");
  EXPECT_EQ(q.fileSize, 260u);
  EXPECT_TRUE(q.mustExist);
  EXPECT_FALSE(q.confirmOverwrite);
  EXPECT_EQ(q.dialog, &dialog);
  EXPECT_EQ(q.record.lStructSize, sizeof(OPENFILENAMEA));
  EXPECT_EQ(q.record.hwndOwner, owner);
  EXPECT_EQ(q.record.hInstance, CVWinkitModule());
  EXPECT_EQ(q.record.lpstrFile, file);
  EXPECT_EQ(q.record.nMaxFile, 260u);
  EXPECT_EQ(q.record.lpstrFileTitle, title);
  EXPECT_EQ(q.record.nMaxFileTitle, 512u);
  EXPECT_EQ(q.record.nFileOffset, 0);
  EXPECT_EQ(q.record.nFileExtension, 0);
  EXPECT_EQ(q.record.Flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_EXPLORER));
  EXPECT_EQ(q.record.lpfnHook, nullptr);
  EXPECT_EQ(q.record.lpTemplateName, nullptr);
  // The default title was lent for the call only.
  EXPECT_EQ(dialog.lpstrTitle, nullptr);
}

TEST_F(FilesChooser, SaveKeepsHookAndCallersTitle) {
  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_ENABLEHOOK;
  dialog.lpfnHook = someHook;
  char file[MAX_PATH] = "", title[512] = "";
  gRequest.chosen = "out.dat";
  EXPECT_TRUE(CVFileSaveDlg(nullptr, &dialog, file, title));
  EXPECT_EQ(gRequest.title, "Save As");
  EXPECT_TRUE(gRequest.save);
  EXPECT_TRUE(gRequest.confirmOverwrite);
  EXPECT_FALSE(gRequest.mustExist);
  EXPECT_EQ(gRequest.record.Flags,
            static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_ENABLEHOOK | OFN_EXPLORER));
  EXPECT_EQ(gRequest.record.lpfnHook, someHook);
  EXPECT_STREQ(title, "out.dat");

  dialog.lpstrTitle = "Export spectrum";
  EXPECT_TRUE(CVFileSaveDlg(nullptr, &dialog, file, title));
  EXPECT_EQ(gRequest.title, "Export spectrum");
  EXPECT_STREQ(dialog.lpstrTitle, "Export spectrum");
}

TEST(FilesChooserScripted, AnswersAndCancel) {
  qtest::UiCapture scripted;
  scripted.files = {"data/run7.dat", ""};
  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  char file[MAX_PATH] = "", title[512] = "";
  EXPECT_TRUE(CVFileOpenDlg(nullptr, &dialog, file, title));
  EXPECT_STREQ(file, "data/run7.dat");
  EXPECT_STREQ(title, "run7.dat");
  EXPECT_FALSE(CVFileOpenDlg(nullptr, &dialog, file, title));
  EXPECT_TRUE(scripted.boxes().empty());
  EXPECT_EQ(scripted.unexpected, 0);
}

TEST_F(FilesChooser, DialogErrorsAreShown) {
  struct Case {
    bool save;
    DWORD error;
    int context;
    int reason;
    const char* contextText;
    const char* reasonText;
  };
  const Case cases[] = {
      {false, 0x3002, 21, 16642, "Could not successfully retrieve input file name!",
       "Filename is invalid!"},
      {false, 0xFFFF, 21, 4352, "Could not successfully retrieve input file name!",
       "The dialog box could not be created!"},
      {true, 0x0001, 22, 4353, "Could not successfully retrieve output file name!",
       "Invalid lStructSize member!"},
      {true, 0x3003, 22, 16643, "Could not successfully retrieve output file name!",
       "Buffer for filename too small!"},
      {false, 0x10002, 21, 4354, "Could not successfully retrieve input file name!",
       "Could not initialize (insufficient memory?)!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("error " + std::to_string(c.error));
    ui.clear();
    gRequest.error = c.error;
    OPENFILENAMEA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    char file[MAX_PATH] = "", title[512] = "";
    BOOL chosen = c.save ? CVFileSaveDlg(nullptr, &dialog, file, title)
                         : CVFileOpenDlg(nullptr, &dialog, file, title);
    EXPECT_FALSE(chosen);
    ASSERT_EQ(ui.boxes().size(), 1u);
    expectBox(ui.boxes()[0], winkit, c.context, c.reason, c.contextText, c.reasonText);
  }
}

TEST_F(FilesChooser, CancelIsSilent) {
  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  char file[MAX_PATH] = "keep.txt", title[512] = "";
  EXPECT_FALSE(CVFileOpenDlg(nullptr, &dialog, file, title));
  EXPECT_FALSE(CVFileSaveDlg(nullptr, &dialog, file, title));
  EXPECT_EQ(gRequest.calls, 2);
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(FilesChooser, InvalidBuffersAreRefused) {
  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  char file[MAX_PATH] = "", title[512] = "";
  struct Case {
    const char* name;
    OPENFILENAMEA* dialog;
    char* file;
    char* title;
  };
  const Case cases[] = {
      {"no record", nullptr, file, title},
      {"no file buffer", &dialog, nullptr, title},
      {"no title buffer", &dialog, file, nullptr},
  };
  for (const Case& c : cases) {
    for (bool save : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (save ? " (save)" : " (open)"));
      ui.clear();
      BOOL chosen = save ? CVFileSaveDlg(nullptr, c.dialog, c.file, c.title)
                         : CVFileOpenDlg(nullptr, c.dialog, c.file, c.title);
      EXPECT_FALSE(chosen);
      expectBox(ui.only(), winkit, 256, 257, "Call with invalid argument!", "Invalid data pointer!");
    }
  }
  EXPECT_EQ(gRequest.calls, 0);
}

// GetUserFileName reads its texts from the program's module, a null module
// handle. Windows resolves a null handle to the program's own resources; the
// native platform's string lookup does not yet, so a null module is looked up
// in this program's table when the platform finds nothing for it.
int (*gRealLoadString)(HINSTANCE, UINT, char*, int) = nullptr;
int programLoadString(HINSTANCE module, UINT id, char* buffer, int size) {
  int n = gRealLoadString(module, id, buffer, size);
  if (n == 0 && module == nullptr) n = gRealLoadString(ThisModule(), id, buffer, size);
  return n;
}

class FilesUserFileName : public FilesChooser {
 protected:
  void SetUp() override {
    FilesChooser::SetUp();
    saved_ = plat::ops();
    gRealLoadString = saved_.loadString;
    plat::ops().loadString = programLoadString;
  }
  void TearDown() override { plat::ops() = saved_; }
  plat::Ops saved_;
};

constexpr UINT kFilterId = 601, kTitleId = 600, kNoText = 9999;

TEST_F(FilesUserFileName, SaveFromResources) {
  char file[MAX_PATH] = "data/sub/run1.dat";
  gRequest.chosen = "data/sub/run2.dat";
  EXPECT_TRUE(GetUserFileName(nullptr, file, 1, kFilterId, kTitleId));
  EXPECT_STREQ(file, "data/sub/run2.dat");
  const Request& q = gRequest;
  EXPECT_TRUE(q.save);
  EXPECT_EQ(q.filter, "Data files (*.dat)\0*.dat\0All files\0*.*\0"s);
  EXPECT_EQ(q.title, "Field prompt of the test dialog");
  EXPECT_EQ(q.fileIn, "run1.dat");
  EXPECT_EQ(q.defExt, "dat");
  EXPECT_EQ(q.folder, "data/sub/");
  EXPECT_TRUE(q.confirmOverwrite);
  EXPECT_FALSE(q.mustExist);
  EXPECT_EQ(q.record.Flags, static_cast<DWORD>(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                               OFN_SHAREAWARE | OFN_OVERWRITEPROMPT |
                                               OFN_EXPLORER));
  EXPECT_EQ(q.record.lpstrCustomFilter, nullptr);
  EXPECT_EQ(q.record.nFilterIndex, 0u);
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(FilesUserFileName, OpenWithoutTextsOrName) {
  struct Case {
    const char* name;
    UINT flags;
    const char* file;
    const char* title;
    bool mustExist;
    const char* defExt;  // null: none
    const char* folder;  // null: none
  };
  const Case cases[] = {
      {"open, empty name", 0, "", "Open", true, nullptr, nullptr},
      {"save, name without folder or extension", 1, "results", "Save", false, nullptr, nullptr},
      {"open, a drive and a name", 0, "C:run.1r", "Open", true, "1r", "C:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gRequest = Request{};
    char file[MAX_PATH];
    plat::copyText(file, sizeof file, c.file);
    EXPECT_FALSE(GetUserFileName(nullptr, file, c.flags, kNoText, kNoText));
    const Request& q = gRequest;
    ASSERT_EQ(q.calls, 1);
    EXPECT_FALSE(q.hasFilter);
    EXPECT_EQ(q.title, c.title);
    EXPECT_EQ(q.mustExist, c.mustExist ? TRUE : FALSE);
    EXPECT_EQ(q.hasDefExt, c.defExt != nullptr);
    if (c.defExt) {
      EXPECT_EQ(q.defExt, c.defExt);
    }
    EXPECT_EQ(q.hasFolder, c.folder != nullptr);
    if (c.folder) {
      EXPECT_EQ(q.folder, c.folder);
    }
  }
  EXPECT_EQ(gRequest.fileIn, "run.1r");
  EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(FilesUserFileName, NoFileBuffer) {
  EXPECT_FALSE(GetUserFileName(nullptr, nullptr, 0, kFilterId, kTitleId));
  expectBox(ui.only(), fileNameOf(nullptr), 256, 257, "Call with invalid argument!",
            "Invalid data pointer!");
  EXPECT_EQ(gRequest.calls, 0);
}

}  // namespace
