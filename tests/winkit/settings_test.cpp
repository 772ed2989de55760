// Settings files and the defaults that modules carry as INIDATUM records.
// The test program's own records (tests/resources/tests.inidata) stand for a
// module's: 5 SpcF1 15000, 6 SpcF2 -15000, 11 NineChars 32767, 12 Min
// -32768. The same source runs natively and under Wine against the real
// private-profile functions, so the expected bytes are what Windows writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
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

constexpr UINT kSpcF1 = 5;
constexpr UINT kSpcF2 = 6;
constexpr UINT kNineChars = 11;
constexpr UINT kMin = 12;
constexpr UINT kNoRecord = 99;

std::string visible(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\0') out += "\\0";
    else out += c;
  }
  return out;
}

std::string bytesOf(const std::string& path) {
  return qtest::fileExists(path) ? visible(qtest::readBytes(path)) : "(no file)";
}

QVHELPINFO settingsFor(const std::string& path) {
  QVHELPINFO info{};
  plat::copyText(info.path, sizeof info.path, path.c_str());
  return info;
}

// The file name of Winkit, which captions its own error boxes.
std::string winkitFileName() {
  char path[MAX_PATH + 1] = "";
  DWORD n = plat::ops().moduleFileName(CVWinkitModule(), path, MAX_PATH);
  std::string p(path, n < MAX_PATH ? n : MAX_PATH);
  std::string::size_type cut = p.find_last_of("\\/");
  return cut == std::string::npos ? p : p.substr(cut + 1);
}

class SettingsTest : public ::testing::Test {
 protected:
  // A file name of its own for every case, so that no profile cache can mix
  // up two cases.
  std::string freshFile(const std::optional<std::string>& bytes) {
    std::string path = dir_.file("s" + std::to_string(++files_) + ".ini");
    if (bytes) qtest::writeBytes(path, *bytes);
    return path;
  }

  qtest::TempDir dir_;
  qtest::UiCapture ui_;
  int files_ = 0;
};

// ---- CVGetIniDatum ------------------------------------------------------------

using SettingsDatum = SettingsTest;

TEST_F(SettingsDatum, ReadsTheEntryOrFallsBackToTheRecord) {
  const std::string indexed = "[Spc]\r\nSpcF1=1\r\nSpcF12=7\r\n";
  const std::string longEntry = "[Spc]\r\nSpcF1=" + std::string(78, '0') + "12\r\n";
  struct Case {
    const char* name;
    std::optional<std::string> before;
    UINT datum;
    int index;
    BOOL writeBack;
    int result;
    float value;
    std::optional<std::string> after;  // nullopt: no file
  } cases[] = {
    {"entry present", "[Spc]\r\nSpcF1=2.5\r\n"s, kSpcF1, 0, TRUE, 0, 2.5f, "[Spc]\r\nSpcF1=2.5\r\n"s},
    {"empty value counts as missing and is overwritten", "[Spc]\r\nSpcF1=\r\n"s, kSpcF1, 0, TRUE,
     1, 15000, "[Spc]\r\nSpcF1=15000\r\n"s},
    {"empty value without writeBack stays", "[Spc]\r\nSpcF1=\r\n"s, kSpcF1, 0, FALSE, 1, 15000,
     "[Spc]\r\nSpcF1=\r\n"s},
    {"missing file is created by writeBack", std::nullopt, kSpcF1, 0, TRUE, 1, 15000,
     "[Spc]\r\nSpcF1=15000\r\n"s},
    {"missing file without writeBack", std::nullopt, kSpcF1, 0, FALSE, 1, 15000, std::nullopt},
    {"missing key goes to the end of its section", "[Spc]\r\nOther=1\r\n"s, kSpcF1, 0, TRUE, 1,
     15000, "[Spc]\r\nOther=1\r\nSpcF1=15000\r\n"s},
    {"index 2 reads SpcF12", indexed, kSpcF1, 2, TRUE, 0, 7, indexed},
    {"index 0 reads the bare key", indexed, kSpcF1, 0, TRUE, 0, 1, indexed},
    {"index -3 reads the bare key", indexed, kSpcF1, -3, TRUE, 0, 1, indexed},
    {"index -3 writes back the bare key", std::nullopt, kSpcF1, -3, TRUE, 1, 15000,
     "[Spc]\r\nSpcF1=15000\r\n"s},
    {"index 2 writes back SpcF12", std::nullopt, kSpcF1, 2, TRUE, 1, 15000,
     "[Spc]\r\nSpcF12=15000\r\n"s},
    {"negative default", std::nullopt, kSpcF2, 0, TRUE, 1, -15000, "[Spc]\r\nSpcF2=-15000\r\n"s},
    {"nine-character name fills the record", std::nullopt, kNineChars, 0, TRUE, 1, 32767,
     "[Spc]\r\nNineChars=32767\r\n"s},
    {"smallest default", std::nullopt, kMin, 0, TRUE, 1, -32768, "[Spc]\r\nMin=-32768\r\n"s},
    {"non-numeric text is 0 from the file", "[Spc]\r\nSpcF1=abc\r\n"s, kSpcF1, 0, TRUE, 0, 0,
     "[Spc]\r\nSpcF1=abc\r\n"s},
    {"value cut at 79 characters", longEntry, kSpcF1, 0, TRUE, 0, 1, longEntry},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = freshFile(c.before);
    QVHELPINFO settings = settingsFor(file);
    float value = -1;
    EXPECT_EQ(CVGetIniDatum(ThisModule(), c.datum, c.index, "Spc", &value, &settings, c.writeBack),
              c.result);
    EXPECT_FLOAT_EQ(value, c.value);
    EXPECT_EQ(bytesOf(file), c.after ? visible(*c.after) : "(no file)");
  }
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(SettingsDatum, WithoutSettingsFileUsesTheDefaultAndTouchesNoFile) {
  QVHELPINFO noPath{};
  struct Case {
    const char* name;
    QVHELPINFO* settings;
  } cases[] = {{"null settings", nullptr}, {"empty path", &noPath}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qtest::FaultPlan spy(qtest::kFaultProfile, 0);
    float value = 0;
    EXPECT_EQ(CVGetIniDatum(ThisModule(), kSpcF2, 0, "Spc", &value, c.settings, TRUE), 1);
    EXPECT_FLOAT_EQ(value, -15000);
    EXPECT_EQ(spy.calls(), 0) << "a settings file was consulted";
  }
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(SettingsDatum, MissingRecordShowsWinkitsBoxAndLeavesValue) {
  std::string file = freshFile(std::nullopt);
  QVHELPINFO settings = settingsFor(file);
  float value = 42;
  EXPECT_EQ(CVGetIniDatum(ThisModule(), kNoRecord, 0, "Spc", &value, &settings, TRUE), -1);
  EXPECT_FLOAT_EQ(value, 42);
  EXPECT_FALSE(qtest::fileExists(file));
  qtest::Box box = ui_.only();
  EXPECT_EQ(box.caption, winkitFileName());
  EXPECT_EQ(box.lines(), (std::vector<std::string>{"Error: 10 - Code: 11",
                                                   "Could not retrieve default parameter!",
                                                   "No default resource data present!"}));
}

TEST_F(SettingsDatum, RefusesUnusableArguments) {
  std::string file = freshFile(std::nullopt);
  QVHELPINFO settings = settingsFor(file);
  float value = 42;
  struct Case {
    const char* name;
    float* value;
    const char* section;
  } cases[] = {{"null value", nullptr, "Spc"}, {"null section with a file", &value, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.clear();
    EXPECT_EQ(CVGetIniDatum(ThisModule(), kSpcF1, 0, c.section, c.value, &settings, TRUE), -1);
    EXPECT_FLOAT_EQ(value, 42);
    EXPECT_FALSE(qtest::fileExists(file));
    qtest::Box box = ui_.only();
    EXPECT_EQ(box.caption, winkitFileName());
    EXPECT_EQ(box.lines(), (std::vector<std::string>{"Error: 256 - Code: 257",
                                                     "Call with invalid argument!",
                                                     "Invalid data pointer!"}));
  }
}

// ---- records that break the format -----------------------------------------

// Serves one record, exactly `bytes` long, as data resource 1 of any module
// while it lives, so that reading past its end is caught by the sanitizers.
class FakeRecord {
 public:
  explicit FakeRecord(const std::string& bytes) : saved_(plat::ops()), size_(bytes.size()) {
    data_.reset(new unsigned char[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), data_.get());
    current_ = this;
    plat::ops().findData = find;
  }
  ~FakeRecord() {
    plat::ops() = saved_;
    current_ = nullptr;
  }
  FakeRecord(const FakeRecord&) = delete;
  FakeRecord& operator=(const FakeRecord&) = delete;

 private:
  static const void* find(HINSTANCE, UINT id, DWORD* size) {
    if (id != 1) return nullptr;
    if (size) *size = static_cast<DWORD>(current_->size_);
    return current_->data_.get();
  }
  static FakeRecord* current_;
  plat::Ops saved_;
  std::unique_ptr<unsigned char[]> data_;
  std::size_t size_;
};
FakeRecord* FakeRecord::current_ = nullptr;

using SettingsRecord = SettingsTest;

TEST_F(SettingsRecord, DecodesOnlyWellFormedRecords) {
  const std::string pad(5, '\0');
  struct Case {
    const char* name;
    std::string bytes;
    bool valid;
    std::string key;
    float value;
  } cases[] = {
    {"little-endian value", "SpcF1"s + pad + "\x34\x12"s, true, "SpcF1", 4660},
    {"sign bit set", "Min\0\0\0\0\0\0\0"s + "\x00\x80"s, true, "Min", -32768},
    {"minus one", "X\0\0\0\0\0\0\0\0\0"s + "\xFF\xFF"s, true, "X", -1},
    {"text after the NUL is ignored", "AB\0CD\0\0\0\0\0"s + "\x02\x00"s, true, "AB", 2},
    {"name without NUL is cut to 9 characters", "ABCDEFGHIJ\x01\x00"s, true, "ABCDEFGHI", 1},
    {"11 bytes", "SpcF1"s + pad + "\x01"s, false, "", 0},
    {"13 bytes", "SpcF1"s + pad + "\x01\x00\x00"s, false, "", 0},
    {"empty name", std::string(10, '\0') + "\x01\x00"s, false, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRecord record(c.bytes);
    ui_.clear();
    std::unique_ptr<char[]> name(new char[10]);
    std::fill(name.get(), name.get() + 10, '#');
    EXPECT_EQ(CVGetDefResourceString(ThisModule(), 1, name.get()), c.valid ? TRUE : FALSE);
    float value = 42;
    EXPECT_EQ(CVGetIniDatum(ThisModule(), 1, 0, "Spc", &value, nullptr, FALSE), c.valid ? 1 : -1);
    if (c.valid) {
      EXPECT_EQ(std::string(name.get()), c.key);
      EXPECT_FLOAT_EQ(value, c.value);
      EXPECT_TRUE(ui_.boxes().empty());
    } else {
      EXPECT_EQ(name[0], '#') << "the name buffer was touched";
      EXPECT_FLOAT_EQ(value, 42);
      EXPECT_EQ(ui_.only().lines().at(0), "Error: 10 - Code: 11");
    }
  }
}

// ---- CVGetDefResourceString ----------------------------------------------------

using SettingsDefaultName = SettingsTest;

TEST_F(SettingsDefaultName, CopiesTheKeyNameOrRefuses) {
  // Exactly ten bytes: a nine-character name and its NUL must fit.
  std::unique_ptr<char[]> name(new char[10]);
  EXPECT_TRUE(CVGetDefResourceString(ThisModule(), kNineChars, name.get()));
  EXPECT_EQ(std::string(name.get()), "NineChars");
  EXPECT_TRUE(CVGetDefResourceString(ThisModule(), kSpcF1, name.get()));
  EXPECT_EQ(std::string(name.get()), "SpcF1");

  std::fill(name.get(), name.get() + 10, '#');
  EXPECT_FALSE(CVGetDefResourceString(ThisModule(), kNoRecord, name.get()));
  EXPECT_EQ(name[0], '#');
  EXPECT_FALSE(CVGetDefResourceString(ThisModule(), kSpcF1, nullptr));
  EXPECT_TRUE(ui_.boxes().empty()) << "no message for either refusal";
}

// ---- CVWriteIniDefString -------------------------------------------------------

using SettingsWriteDefault = SettingsTest;

TEST_F(SettingsWriteDefault, WritesTheFixedPointTextUnderTheRecordsKey) {
  struct Case {
    const char* name;
    std::optional<std::string> before;
    UINT datum;
    int index;
    double value;
    int decimals;
    std::string after;
  } cases[] = {
    {"decimals kept", std::nullopt, kSpcF1, 0, 1.5, 2, "[Spc]\r\nSpcF1=1.50\r\n"},
    {"zero with no decimals", std::nullopt, kSpcF1, 0, 0, 0, "[Spc]\r\nSpcF1=0\r\n"},
    {"positive index appended", std::nullopt, kSpcF1, 2, 2.6, 0, "[Spc]\r\nSpcF12=3\r\n"},
    {"negative index appended with its sign", std::nullopt, kSpcF1, -3, 7, 0,
     "[Spc]\r\nSpcF1-3=7\r\n"},
    {"negative value", std::nullopt, kSpcF2, 0, -15000, 1, "[Spc]\r\nSpcF2=-15000.0\r\n"},
    {"existing entry rewritten in its line", "[Spc]\r\nSpcF1=1\r\nSpcF2=2\r\n"s, kSpcF1, 0, 3, 0,
     "[Spc]\r\nSpcF1=3\r\nSpcF2=2\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = freshFile(c.before);
    EXPECT_TRUE(CVWriteIniDefString(ThisModule(), c.datum, c.index, c.value, c.decimals, "Spc",
                                    file.c_str()));
    EXPECT_EQ(bytesOf(file), visible(c.after));
  }
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(SettingsWriteDefault, WritesNothingWhenTheRequestCannotBeFormed) {
  const std::string before = "[Spc]\r\nSpcF1=1\r\n";
  struct Case {
    const char* name;
    UINT datum;
    double value;
    const char* section;
    bool nullFile;
    std::size_t boxes;
  } cases[] = {
    {"missing record", kNoRecord, 2, "Spc", false, 0},
    // The text of 1e300 does not fit the 80-byte field buffer; the
    // formatter says so, and the stored entry must survive.
    {"value too long to format", kSpcF1, 1e300, "Spc", false, 1},
    {"null section", kSpcF1, 2, nullptr, false, 0},
    {"null file", kSpcF1, 2, "Spc", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.clear();
    std::string file = freshFile(before);
    EXPECT_FALSE(CVWriteIniDefString(ThisModule(), c.datum, 0, c.value, 2, c.section,
                                     c.nullFile ? nullptr : file.c_str()));
    EXPECT_EQ(bytesOf(file), visible(before));
    EXPECT_EQ(ui_.boxes().size(), c.boxes);
  }
}

// ---- CVGetIniFloat and CVGetIniRGB -------------------------------------------

using SettingsValues = SettingsTest;

TEST_F(SettingsValues, FloatFromEntryOrDefault) {
  struct Case {
    const char* name;
    std::optional<std::string> entry;  // the value of [Spc] Factor, nullopt: no entry
    float fallback;
    float expect;
  } cases[] = {
    {"exponent notation", "1e3"s, 5, 1000},
    {"plain number", "-2.5"s, 5, -2.5f},
    {"missing entry gives the default", std::nullopt, 2.5f, 2.5f},
    {"default passes through six decimals", std::nullopt, 0.1234567f, 0.123457f},
    {"empty value is 0, not the default", ""s, 5, 0},
    {"text that is no number", "abc"s, 5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file =
        freshFile(c.entry ? "[Spc]\r\nFactor=" + *c.entry + "\r\n" : "[Spc]\r\nOther=1\r\n"s);
    EXPECT_FLOAT_EQ(CVGetIniFloat("Spc", "Factor", c.fallback, file.c_str()), c.expect);
  }
  std::string file = freshFile("[Spc]\r\nFactor=1e39\r\n"s);
  float huge = CVGetIniFloat("Spc", "Factor", 0, file.c_str());
  EXPECT_TRUE(std::isinf(huge) && huge > 0) << "beyond the float range: " << huge;
}

TEST_F(SettingsValues, MissingNamesGiveTheDefaultsWithoutListing) {
  // A null key or section would make the profile functions list names.
  std::string file = freshFile("[Spc]\r\n7=1\r\nFactor=3\r\n"s);
  EXPECT_FLOAT_EQ(CVGetIniFloat("Spc", nullptr, 4, file.c_str()), 4);
  EXPECT_FLOAT_EQ(CVGetIniFloat(nullptr, "Factor", 4, file.c_str()), 4);
  EXPECT_EQ(CVGetIniRGB("Spc", nullptr, RGB(1, 2, 3), file.c_str()), RGB(1, 2, 3));
}

TEST_F(SettingsValues, ColourEntries) {
  struct Case {
    const char* name;
    std::optional<std::string> entry;  // the value of [Spc] Colour, nullopt: no entry
    COLORREF fallback;
    COLORREF expect;
  } cases[] = {
    {"three components", "10 20 30"s, 0, RGB(10, 20, 30)},
    {"components taken modulo 256", "300 0 0"s, 0, RGB(44, 0, 0)},
    {"low bytes of -1, 256, 257", "-1 256 257"s, 0, RGB(255, 0, 1)},
    {"empty value is black", ""s, RGB(9, 9, 9), 0},
    {"one component", "12"s, 0, RGB(12, 0, 0)},
    {"two components", "1 2"s, 0, RGB(1, 2, 0)},
    {"no numbers", "a b c"s, RGB(9, 9, 9), 0},
    {"scan stops at the first non-number", "10 x 30"s, 0, RGB(10, 0, 0)},
    {"commas are no separators", "1,2,3"s, 0, RGB(1, 0, 0)},
    {"missing entry gives the default", std::nullopt, RGB(1, 2, 3), RGB(1, 2, 3)},
    {"default loses bits above blue", std::nullopt, 0x7F00FF80u, RGB(128, 255, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file =
        freshFile(c.entry ? "[Spc]\r\nColour=" + *c.entry + "\r\n" : "[Spc]\r\nOther=1\r\n"s);
    EXPECT_EQ(CVGetIniRGB("Spc", "Colour", c.fallback, file.c_str()), c.expect);
  }
}

// ---- the writers ---------------------------------------------------------------

using SettingsWriters = SettingsTest;

TEST_F(SettingsWriters, WriteTheirTexts) {
  struct Case {
    const char* name;
    BOOL (*write)(const char* file);
    const char* text;
  } cases[] = {
    {"colour", [](const char* f) { return CVWriteIniRGB("Spc", "Key", RGB(1, 2, 3), f); }, "1 2 3"},
    {"colour without the top byte",
     [](const char* f) { return CVWriteIniRGB("Spc", "Key", 0x01FF0080u, f); }, "128 0 255"},
    {"negative integer", [](const char* f) { return CVWritePrivateInt(f, "Spc", "Key", -5L); }, "-5"},
    {"large integer",
     [](const char* f) { return CVWritePrivateInt(f, "Spc", "Key", 2147483647L); }, "2147483647"},
    {"short double", [](const char* f) { return CVWritePrivateDouble(f, "Spc", "Key", 0.1); }, "0.1"},
    {"double with six digits",
     [](const char* f) { return CVWritePrivateDouble(f, "Spc", "Key", 1234567.0); }, "1.23457e+06"},
    {"tiny double", [](const char* f) { return CVWritePrivateDouble(f, "Spc", "Key", -1e-20); },
     "-1e-20"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = freshFile(std::nullopt);
    EXPECT_TRUE(c.write(file.c_str()));
    EXPECT_EQ(bytesOf(file), visible("[Spc]\r\nKey="s + c.text + "\r\n"));
  }
}

TEST_F(SettingsWriters, RefuseMissingNamesAndReportFailedWrites) {
  // A null key would delete the whole section, a null section flush a cache.
  const std::string before = "[Spc]\r\nKey=1\r\n";
  struct Case {
    const char* name;
    BOOL (*write)(const char* file);
  } cases[] = {
    {"colour, null key", [](const char* f) { return CVWriteIniRGB("Spc", nullptr, 0, f); }},
    {"colour, null section", [](const char* f) { return CVWriteIniRGB(nullptr, "Key", 0, f); }},
    {"integer, null key", [](const char* f) { return CVWritePrivateInt(f, "Spc", nullptr, 1L); }},
    {"double, null file", [](const char*) { return CVWritePrivateDouble(nullptr, "Spc", "Key", 1.0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = freshFile(before);
    EXPECT_FALSE(c.write(file.c_str()));
    EXPECT_EQ(bytesOf(file), visible(before));
  }
  std::string file = freshFile(before);
  qtest::FaultPlan plan(qtest::kFaultProfile, 1);
  EXPECT_FALSE(CVWritePrivateInt(file.c_str(), "Spc", "Key", 2L)) << "the write's failure is the result";
  EXPECT_TRUE(plan.fired());
}

// ---- failures of the platform --------------------------------------------------

using SettingsFaults = SettingsTest;

TEST_F(SettingsFaults, DatumSurvivesEveryFailure) {
  const std::string before = "[Spc]\r\nSpcF1=\r\n";
  const std::string written = "[Spc]\r\nSpcF1=15000\r\n";
  bool sawSilentWriteFailure = false;
  for (int n = 1; n <= 50; ++n) {
    SCOPED_TRACE("failure at call " + std::to_string(n));
    std::string file = freshFile(before);
    QVHELPINFO settings = settingsFor(file);
    float value = 0;
    qtest::FaultPlan plan(qtest::kFaultProfile | qtest::kFaultHeap, n);
    int result = CVGetIniDatum(ThisModule(), kSpcF1, 0, "Spc", &value, &settings, TRUE);
    bool fired = plan.fired();
    EXPECT_EQ(result, 1);
    EXPECT_FLOAT_EQ(value, 15000);
    std::string after = qtest::readBytes(file);
    EXPECT_TRUE(after == before || after == written) << visible(after);
    if (after == before) sawSilentWriteFailure = true;
    if (!fired) {
      EXPECT_EQ(after, written);
      break;
    }
  }
  EXPECT_TRUE(sawSilentWriteFailure);
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(SettingsFaults, WriteDefaultFailsCleanly) {
  const std::string written = "[Spc]\r\nSpcF1=1.50\r\n";
  bool sawRefusal = false, sawSilentWriteFailure = false;
  for (int n = 1; n <= 50; ++n) {
    SCOPED_TRACE("failure at call " + std::to_string(n));
    std::string file = freshFile(std::nullopt);
    qtest::FaultPlan plan(qtest::kFaultProfile | qtest::kFaultHeap, n);
    BOOL ok = CVWriteIniDefString(ThisModule(), kSpcF1, 0, 1.5, 2, "Spc", file.c_str());
    bool fired = plan.fired();
    bool present = qtest::fileExists(file);
    if (present) {
      EXPECT_EQ(bytesOf(file), visible(written));
    }
    if (!ok) {
      sawRefusal = true;
      EXPECT_TRUE(fired) << "refused without a failure";
      EXPECT_FALSE(present) << "a refused request wrote";
    } else if (!present) {
      sawSilentWriteFailure = true;
      EXPECT_TRUE(fired) << "nothing written without a failure";
    }
    if (!fired) {
      EXPECT_TRUE(ok && present);
      break;
    }
  }
  EXPECT_TRUE(sawRefusal) << "no work-buffer failure gave FALSE";
  EXPECT_TRUE(sawSilentWriteFailure) << "no failed write was passed over";
  EXPECT_TRUE(ui_.boxes().empty());
}

}  // namespace
