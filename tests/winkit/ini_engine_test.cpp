// The settings-file functions of the platform table. The scenarios reach them
// only through plat::ops(), so the same source checks the native engine and,
// built for Windows, the real GetPrivateProfileStringA and
// WritePrivateProfileStringA: the expected bytes are what Windows writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "winkit/ini_test_support.h"
#include "winutil/platform/platform.h"

namespace {

using namespace std::string_literals;
using initest::contents;
using initest::read;
using initest::runSteps;
using initest::setContents;
using initest::Step;
using initest::TempDir;
using initest::visible;
using initest::write;

const char kCaseIni[] = "quintar-case.ini";

// `text` (ASCII and Latin-1 bytes, which are their own code points) in
// UTF-16 with its byte-order mark.
std::string utf16(const std::string& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : text) {
    out += bigEndian ? '\0' : c;
    out += bigEndian ? c : '\0';
  }
  return out;
}

TEST(IniEngine, SettingsFileLifeFromNothing) {
  TempDir dir;
  const std::string file = dir.file("settings.ini");
  const std::string twoSections = "[Spc]\r\nSpcF1=100\r\nSpcF12=2.5\r\n[Axes]\r\nUnit=ppm\r\n";
  const std::string full = "[Spc]\r\nSpcF1=7\r\nSpcF12=2.5\r\nLabel=\r\n[Axes]\r\nUnit=ppm\r\n";
  runSteps(file, {
    read("Spc", "SpcF1", "none", 16, "none\0"s, 4, "a missing file gives the fallback"),
    read(nullptr, nullptr, nullptr, 16, "\0#"s, 0, "a missing file has no sections: one NUL only"),
    write("Spc", "SpcF1", "100", "[Spc]\r\nSpcF1=100\r\n", "the first write creates the file"),
    write("Spc", "SpcF12", "2.5", "[Spc]\r\nSpcF1=100\r\nSpcF12=2.5\r\n",
          "a key whose name extends another one is a new key"),
    read("Spc", "SpcF1", "none", 16, "100\0"s, 3, "SpcF1 is not confused with SpcF12"),
    read("Spc", "SpcF12", "none", 16, "2.5\0"s, 3, "SpcF12 is not confused with SpcF1"),
    write("Axes", "Unit", "ppm", twoSections, "a new section goes to the end, with no blank line"),
    write("SPC", "spcF1", "7", "[Spc]\r\nSpcF1=7\r\nSpcF12=2.5\r\n[Axes]\r\nUnit=ppm\r\n",
          "a rewritten key keeps its line and the file's spelling"),
    write("spc", "Label", "", full, "a new key goes at the end of its section"),
    write("Spc", "SpcF1", "7", full, "writing the value a key has changes nothing"),
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
    read(nullptr, nullptr, nullptr, 11, "Spc\0Axes\0\0"s, 9, "a list that fits with a character to spare"),
    read(nullptr, nullptr, nullptr, 10, "Spc\0Axes\0#"s, 8,
         "exactly the room of the list is too little: size - 2 characters, a NUL, the rest left alone"),
    read(nullptr, nullptr, nullptr, 7, "Spc\0A\0#"s, 5, "a list cut inside a name ends in one NUL"),
    read(nullptr, nullptr, nullptr, 6, "Spc\0\0#"s, 4, "a list cut after a name ends in two"),
    read(nullptr, nullptr, nullptr, 2, "\0#"s, 0, "a list cut to nothing"),
    read(nullptr, nullptr, nullptr, 1, "\0"s, 0, "a list with room for one NUL"),
    read("Spc", nullptr, nullptr, 64, "SpcF1\0SpcF12\0Label\0\0"s, 19, "the key names of a section"),
    read("Spc", nullptr, nullptr, 10, "SpcF1\0Sp\0#"s, 8, "a cut key list"),
    read("Nope", nullptr, nullptr, 16, "\0#"s, 0, "a missing section lists nothing: one NUL"),
    write("Spc", "SpcF12", nullptr, "[Spc]\r\nSpcF1=7\r\nLabel=\r\n[Axes]\r\nUnit=ppm\r\n",
          "a null value deletes the key's line"),
    read("Spc", "SpcF12", "gone", 16, "gone\0"s, 4, "a deleted key is missing"),
    write("Spc", nullptr, nullptr, "[Axes]\r\nUnit=ppm\r\n", "a null key deletes the section and its lines"),
    read("Spc", "spcF1", "gone", 16, "gone\0"s, 4, "a deleted section's keys are missing"),
    read(nullptr, nullptr, nullptr, 64, "Axes\0\0"s, 5, "the deleted section is no longer listed"),
  });
}

// Files as people and other programs write them, and requests on them.
struct Case {
  const char* name;
  std::string initial;
  std::vector<Step> steps;
};

void runCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string file = dir.file(kCaseIni);
    setContents(file, c.initial);
    runSteps(file, c.steps);
  }
}

TEST(IniEngine, LayoutOfExistingFiles) {
  runCases({
    {"blanks around names and values", "  [  Blanks  ]  ; note\r\n  key  =  some value  \r\n\tTab\t=\tt\t\r\n", {
      read("blanks", "KEY", "", 32, "some value\0"s, 10, "blanks around names and values are ignored"),
      read("Blanks", "tab", "", 32, "t\0"s, 1, "tabs count as blanks"),
      read(nullptr, nullptr, nullptr, 32, "Blanks\0\0"s, 7, "the listed name is trimmed, text after ] ignored"),
      write("Blanks", "key", "v2", "[Blanks]\r\nkey=v2\r\nTab=t\r\n",
            "a rewrite drops the blanks and the text after ] of every line"),
    }},
    {"blank lines between sections", "[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n\r\n", {
      read(nullptr, nullptr, nullptr, 16, "A\0B\0\0"s, 4, "blank lines separate nothing"),
      write("A", "x", "1", "[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n\r\n", "an unchanged value leaves them"),
      write("B", "y", "3", "[A]\r\nx=1\r\n[B]\r\ny=3\r\n", "a rewrite drops every blank line"),
    }},
    {"blank lines inside a section", "[A]\r\nx=1\r\n\r\n  \r\ny=2\r\n", {
      read("A", "y", "", 16, "2\0"s, 1, "a key after blank lines is still in the section"),
      read("A", nullptr, nullptr, 16, "x\0y\0\0"s, 4, "and listed"),
      write("A", "z", "3", "[A]\r\nx=1\r\ny=2\r\nz=3\r\n", "the blank lines go"),
    }},
    {"comments", "; top\r\n[S]\r\n; about a\r\n;b=old\r\na=1\r\n", {
      read("S", "b", "none", 16, "none\0"s, 4, "a commented-out key is not the key"),
      read("S", ";b", "none", 16, "old\0"s, 3, "but reads under its name with the ;"),
      read("S", "; about a", "none", 16, "none\0"s, 4, "a comment without = reads as missing"),
      read("S", nullptr, nullptr, 16, "a\0\0"s, 2, "comments are not listed"),
      write("S", "a", "5", "; top\r\n[S]\r\n; about a\r\n;b=old\r\na=5\r\n", "comments survive a rewrite"),
      write("S", "b", "2", "; top\r\n[S]\r\n; about a\r\n;b=old\r\na=5\r\nb=2\r\n", "and an addition"),
    }},
    {"comment leading into the next section", "[A]\r\nx=1\r\n\r\n; B follows\r\n[B]\r\ny=2\r\n", {
      write("A", "z", "3", "[A]\r\nx=1\r\n; B follows\r\nz=3\r\n[B]\r\ny=2\r\n",
            "the comment belongs to A: the new key goes after it"),
    }},
    {"comment at the end of a section", "[S]\r\na=1\r\n  ;  note = here  \r\n", {
      write("S", "b", "2", "[S]\r\na=1\r\n;  note=here\r\nb=2\r\n", "a comment is trimmed like an entry"),
    }},
    {"lines without =", "[S]\r\njust text\r\n  spaced  text  \r\na=1\r\n", {
      read("S", "just text", "none", 16, "none\0"s, 4, "a line without = is not a key"),
      read("S", nullptr, nullptr, 16, "a\0\0"s, 2, "nor listed"),
      write("S", "b", "2", "[S]\r\njust text\r\nspaced  text\r\na=1\r\nb=2\r\n", "it is kept, trimmed"),
      write("S", "just text", "v", "[S]\r\njust text=v\r\nspaced  text\r\na=1\r\nb=2\r\n",
            "writing its name gives it a value"),
      read("S", "just text", "none", 16, "v\0"s, 1, "and then it is a key"),
    }},
    {"a name without value before the same key", "[S]\r\nk\r\nk=v\r\n", {
      read("S", "k", "none", 16, "none\0"s, 4, "the first entry of the name hides the key"),
      write("S", "k", nullptr, "[S]\r\nk=v\r\n", "deleting removes that first entry"),
      read("S", "k", "none", 16, "v\0"s, 1, "which uncovers the key"),
    }},
    {"section without keys", "[A]\r\n\r\n[B]\r\ny=2\r\n", {
      read("A", nullptr, nullptr, 16, "\0#"s, 0, "an empty section lists one NUL only"),
      write("A", "k", "v", "[A]\r\nk=v\r\n[B]\r\ny=2\r\n", "the first key goes right after the header"),
    }},
    {"header spelling", "[Mixed]\r\na=1\r\n", {
      write("MIXED", "b", "2", "[Mixed]\r\na=1\r\nb=2\r\n", "the existing header keeps its spelling"),
    }},
    {"headers with more brackets", "[a]b]c\r\nk=1\r\n[ x ] ]\r\nj=1\r\n[y]z\r\n[abc\r\ni=1\r\n", {
      read(nullptr, nullptr, nullptr, 32, "a]b\0x ]\0y\0\0"s, 10, "a name runs to the last ]"),
      read("y", "i", "none", 16, "1\0"s, 1, "a [ without ] is no header"),
      read("y", "[abc", "none", 16, "none\0"s, 4, "but a name without value"),
      write("q", "q", "q", "[a]b]\r\nk=1\r\n[x ]]\r\nj=1\r\n[y]\r\n[abc\r\ni=1\r\n[q]\r\nq=q\r\n",
            "rewritten with the names as read"),
    }},
    {"keys with spaces", "[S]\r\n  my key  =  my value  \r\n", {
      read("S", "my key", "none", 32, "my value\0"s, 8, "inner blanks belong to the name and the value"),
      read("S", "my  key", "none", 32, "none\0"s, 4, "and must match"),
      write("S", "my key", "v2", "[S]\r\nmy key=v2\r\n", "a rewrite keeps the inner blanks"),
      write("S", "other key", "v3", "[S]\r\nmy key=v2\r\nother key=v3\r\n", "a new key with a blank"),
      read("S", nullptr, nullptr, 32, "my key\0other key\0\0"s, 17, "listed with their blanks"),
    }},
    {"values containing =", "[S]\r\nexpr = a = b \r\n", {
      read("S", "expr", "", 16, "a = b\0"s, 5, "the key ends at the first ="),
      read("S", "expr = a", "none", 16, "none\0"s, 4, "not at a later one"),
      write("S", "expr", "x=y", "[S]\r\nexpr=x=y\r\n", "a value with = is written as it is"),
      write("S", "k=1", "v", "[S]\r\nexpr=x=y\r\nk=1=v\r\n", "so is a key with ="),
      read("S", "k", "", 16, "1=v\0"s, 3, "which then reads as another key"),
    }},
    {"entries before any section", "orphan=1\r\n; c\r\n\r\n[S]\r\na=2\r\n", {
      read("", "orphan", "none", 16, "1\0"s, 1, "they form the nameless section"),
      read("  ", "orphan", "none", 16, "1\0"s, 1, "which blanks name too"),
      read("S", "orphan", "none", 16, "none\0"s, 4, "not the first section"),
      read(nullptr, nullptr, nullptr, 16, "S\0\0"s, 2, "the nameless section is not listed"),
      read("", nullptr, nullptr, 16, "orphan\0\0"s, 7, "but its keys are"),
      write("", "new", "4", "orphan=1\r\n; c\r\nnew=4\r\n[S]\r\na=2\r\n", "a new key goes before the first header"),
      write("", nullptr, nullptr, "[S]\r\na=2\r\n", "deleting the nameless section"),
    }},
    {"nameless section of an empty file", "", {
      write("", "k", "v", "k=v\r\n", "a key without any header"),
      write("S", "a", "1", "k=v\r\n[S]\r\na=1\r\n", "the named section follows"),
    }},
    {"empty section name", "[A]\r\nk=1\r\n[]\r\nj=2\r\n", {
      read("", "j", "none", 16, "none\0"s, 4, "the name \"\" means the lines before the first header"),
      read(nullptr, nullptr, nullptr, 16, "A\0\0"s, 2, "[] is not listed"),
      write("A", "z", "3", "[A]\r\nk=1\r\nz=3\r\nj=2\r\n",
            "[] is written without header: its keys join the section before"),
      read("A", "j", "none", 16, "2\0"s, 1, "and then belong to it"),
    }},
    {"duplicate keys", "[D]\r\nk=first\r\nK = second\r\nk=third\r\n", {
      read("D", "k", "", 16, "first\0"s, 5, "the first one is read"),
      read("D", nullptr, nullptr, 16, "k\0K\0k\0\0"s, 6, "all of them are listed"),
      write("D", "k", "new", "[D]\r\nk=new\r\nK=second\r\nk=third\r\n", "the first one is written"),
      write("D", "k", nullptr, "[D]\r\nK=second\r\nk=third\r\n", "the first one is deleted"),
      read("D", "k", "", 16, "second\0"s, 6, "and the next one shows"),
    }},
    {"duplicate sections", "[S]\r\na=1\r\n[T]\r\nb=1\r\n[s]\r\na=2\r\nc=3\r\n", {
      read(nullptr, nullptr, nullptr, 16, "S\0T\0s\0\0"s, 6, "all of them are listed"),
      read("S", "c", "none", 16, "none\0"s, 4, "only the first is searched"),
      read("S", nullptr, nullptr, 16, "a\0\0"s, 2, "and listed"),
      write("S", "c", "9", "[S]\r\na=1\r\nc=9\r\n[T]\r\nb=1\r\n[s]\r\na=2\r\nc=3\r\n", "and written"),
      write("s", nullptr, nullptr, "[T]\r\nb=1\r\n[s]\r\na=2\r\nc=3\r\n", "only the first is deleted"),
      read("S", "a", "", 16, "2\0"s, 1, "and the next one shows"),
    }},
    {"empty key names", "[S]\r\nx=1\r\n=a\r\n=b\r\ny=2\r\n", {
      read("S", "", "none", 16, "a\0"s, 1, "an empty key reads"),
      read("S", nullptr, nullptr, 16, "x\0\0y\0\0"s, 5, "and lists as an empty name"),
      write("S", "c", "3", "[S]\r\nx=1\r\n=a\r\ny=2\r\nc=3\r\n", "an empty key right after another one is dropped"),
    }},
    {"empty key name first", "[S]\r\n=a\r\nx=1\r\n", {
      read("S", nullptr, nullptr, 16, "\0#"s, 0, "a list starting with an empty name is empty"),
    }},
  });
}

TEST(IniEngine, LineEnds) {
  runCases({
    {"LF line ends", "[S]\na=1\nb=2\n", {
      read("S", "b", "", 16, "2\0"s, 1, "LF-only lines are read"),
      read("S", nullptr, nullptr, 16, "a\0b\0\0"s, 4, "and listed"),
      write("S", "a", "1", "[S]\na=1\nb=2\n", "an unchanged value keeps the file"),
      write("S", "c", "3", "[S]\r\na=1\r\nb=2\r\nc=3\r\n", "a rewrite ends every line in CR LF"),
    }},
    {"CR-only line ends", "[A]\rx=1\ry=2\r[B]\rz=3\r", {
      read(nullptr, nullptr, nullptr, 16, "A\0B\0\0"s, 4, "a lone CR ends a line"),
      read("A", nullptr, nullptr, 16, "x\0y\0\0"s, 4, "so the keys are apart"),
      read("B", "z", "", 16, "3\0"s, 1, "and the sections"),
      write("A", "n", "5", "[A]\r\nx=1\r\ny=2\r\nn=5\r\n[B]\r\nz=3\r\n", "a rewrite gives CR LF"),
    }},
    {"LF CR line ends", "[A]\n\rx=1\n\ry=2\n\r", {
      read("A", nullptr, nullptr, 16, "x\0y\0\0"s, 4, "LF CR is two breaks around nothing"),
    }},
    {"no final line break", "[A]\r\nx=1", {
      read("A", "x", "", 16, "1\0"s, 1, "the last line is read"),
      write("A", "x", "1", "[A]\r\nx=1", "an unchanged value keeps the file"),
      write("A", "x", "5", "[A]\r\nx=5\r\n", "a rewrite ends the last line"),
    }},
    {"new section after an unterminated line", "[A]\r\nx=1", {
      write("B", "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n", "the line is ended, no blank line"),
    }},
    {"Ctrl-Z", "[S]\r\na=1\x1a\r\n\x1a\r\nb=2\r\n", {
      read("S", "a", "", 16, "1\0"s, 1, "an end-of-file mark is a blank"),
      read("S", "b", "", 16, "2\0"s, 1, "and ends nothing"),
      write("S", "c", "3", "[S]\r\na=1\r\nb=2\r\nc=3\r\n", "it goes in a rewrite"),
    }},
    {"line breaks inside a value written", "[S]\r\na=1\r\n", {
      write("S", "v", "x\r\n[Evil]\r\nk=1", "[S]\r\na=1\r\nv=x\r\n[Evil]\r\nk=1\r\n",
            "they are written as they are: the caller must keep them out"),
      read(nullptr, nullptr, nullptr, 16, "S\0Evil\0\0"s, 7, "and make a section"),
    }},
  });
}

TEST(IniEngine, ValuesAndFallbacks) {
  const std::string longValue(20000, 'v'), longKey(300, 'k');
  const std::string longFile = "[S]\r\nlong=" + longValue + "\r\n" + longKey + "=x\r\nafter=1\r\n";
  runCases({
    {"quotes", "[Q]\r\nd=\"two words\"\r\ns='single'\r\nm=\"mixed'\r\np =  \"  padded \"  \r\ni=a \"b\" c\r\n"
               "e=\"\"\r\no=\"\r\nqq=\"\"x\"\"\r\n", {
      read("Q", "d", "", 32, "two words\0"s, 9, "double quotes are removed"),
      read("Q", "s", "", 32, "single\0"s, 6, "single quotes are removed"),
      read("Q", "m", "", 32, "\"mixed'\0"s, 7, "unmatched quotes stay"),
      read("Q", "p", "", 32, "  padded \0"s, 9, "blanks inside the quotes stay"),
      read("Q", "i", "", 32, "a \"b\" c\0"s, 7, "inner quotes stay"),
      read("Q", "e", "none", 32, "\0"s, 0, "a quoted empty value is empty"),
      read("Q", "o", "", 32, "\"\0"s, 1, "a lone quote stays"),
      read("Q", "qq", "", 32, "\"x\"\0"s, 3, "one pair is removed"),
      read("Q", "d", "", 4, "two\0"s, 3, "the unquoted value is cut"),
      write("Q", "d", "\"two words\"",
            "[Q]\r\nd=\"two words\"\r\ns='single'\r\nm=\"mixed'\r\np =  \"  padded \"  \r\ni=a \"b\" c\r\n"
            "e=\"\"\r\no=\"\r\nqq=\"\"x\"\"\r\n",
            "the same quoted value changes nothing"),
      write("Q", "n", "\"quoted\"",
            "[Q]\r\nd=\"two words\"\r\ns='single'\r\nm=\"mixed'\r\np=\"  padded \"\r\ni=a \"b\" c\r\n"
            "e=\"\"\r\no=\"\r\nqq=\"\"x\"\"\r\nn=\"quoted\"\r\n",
            "quotes are written and kept as they are"),
      read("Q", "n", "", 32, "quoted\0"s, 6, "and removed again on reading"),
    }},
    {"blanks in a value written", "[S]\r\na=1\r\n\r\n", {
      write("S", "a", " \t1", "[S]\r\na=1\r\n\r\n", "leading blanks go, so this is the same value"),
      write("S", "a", "1 ", "[S]\r\na=1 \r\n", "trailing blanks are written"),
      read("S", "a", "", 16, "1\0"s, 1, "but not read"),
      write("S", "a", "1", "[S]\r\na=1 \r\n", "so the value compares equal"),
      write("S", "b", "  v  ", "[S]\r\na=1\r\nb=v  \r\n", "a new key's value too"),
    }},
    {"values compare case-sensitively", "[S]\r\na=ABC\r\n\r\n[T]\r\n", {
      write("S", "a", "abc", "[S]\r\na=abc\r\n[T]\r\n", "another case is another value"),
    }},
    {"fallbacks", "[S]\r\na=1\r\n", {
      read("S", "x", "  fb  ", 16, "  fb\0"s, 4, "trailing spaces go, leading ones stay"),
      read("S", "x", "\tfb\t", 16, "\tfb\t\0"s, 4, "tabs stay"),
      read("S", "x", "\"fb\"  ", 16, "fb\0"s, 2, "quotes go after the spaces"),
      read("S", "x", "'fb'", 16, "fb\0"s, 2, "single quotes too"),
      read("S", "x", " \"fb\"", 16, " \"fb\"\0"s, 5, "not behind a space"),
      read("S", "x", "   ", 16, " \0"s, 1, "the first character always stays"),
      read("S", "x", "", 16, "\0"s, 0, "an empty fallback"),
    }},
    {"very long lines", longFile, {
      read("S", "long", "", 20001, longValue + "\0"s, 20000, "a long value is read whole"),
      read("S", "long", "", 100, std::string(99, 'v') + "\0"s, 99, "or cut"),
      read("S", longKey.c_str(), "", 16, "x\0"s, 1, "a long key is found"),
      read("S", "after", "", 16, "1\0"s, 1, "and the line after them too"),
      write("S", "b", longValue.c_str(), longFile + "b=" + longValue + "\r\n", "a long value is written whole"),
    }},
    {"ANSI bytes", "[Pfade]\r\nOrdner=C:\\Donn\xE9" "es\\\x80\x81\r\n", {
      read("Pfade", "Ordner", "", 32, "C:\\Donn\xE9" "es\\\x80\x81\0"s, 13, "bytes above 127 are read as they are"),
      write("Pfade", "Neu", "\xE9t\xE9", "[Pfade]\r\nOrdner=C:\\Donn\xE9" "es\\\x80\x81\r\nNeu=\xE9t\xE9\r\n",
            "and written as they are"),
      read("Pfade", "ordner", "", 32, "C:\\Donn\xE9" "es\\\x80\x81\0"s, 13, "the case of ASCII letters is ignored"),
    }},
    {"case of other letters", "[\xC4]\r\n\xE4=1\r\n", {
      read("\xC4", "\xE4", "none", 16, "1\0"s, 1, "the exact spelling is found"),
      read("\xE4", "\xE4", "none", 16, "none\0"s, 4, "letters beyond ASCII are case-sensitive"),
    }},
  });
}

TEST(IniEngine, UnicodeFiles) {
  runCases({
    {"UTF-8 with mark", "\xEF\xBB\xBF[S]\r\na=caf\xC3\xA9\r\nj=\xE6\x97\xA5\r\nbad=\xFF\r\n", {
      read("S", "a", "", 16, "caf\xE9\0"s, 4, "the text is read in the ANSI code page"),
      read("S", "j", "", 16, "?\0"s, 1, "a character without ANSI form reads as ?"),
      read("S", "bad", "", 16, "?\0"s, 1, "and a byte that is no UTF-8"),
      read(nullptr, nullptr, nullptr, 16, "S\0\0"s, 2, "the mark does not spoil the first line"),
      write("S", "a", "caf\xE9", "\xEF\xBB\xBF[S]\r\na=caf\xC3\xA9\r\nj=\xE6\x97\xA5\r\nbad=\xFF\r\n",
            "the same value in ANSI changes nothing"),
      write("S", "b", "\xE9\x80", "\xEF\xBB\xBF[S]\r\na=caf\xC3\xA9\r\nj=\xE6\x97\xA5\r\nbad=\xEF\xBF\xBD\r\n"
                                  "b=\xC3\xA9\xE2\x82\xAC\r\n",
            "a rewrite keeps the mark, the characters, and encodes the new value"),
    }},
    {"UTF-16 LE", utf16("[S]\r\na=caf\xE9\r\n", false), {
      read("S", "a", "", 16, "caf\xE9\0"s, 4, "UTF-16 with its mark is read"),
      read(nullptr, nullptr, nullptr, 16, "S\0\0"s, 2, "and listed"),
      write("S", "b", "\xE9", utf16("[S]\r\na=caf\xE9\r\nb=\xE9\r\n", false), "and written as UTF-16"),
    }},
    {"UTF-16 BE", utf16("[S]\r\na=1\r\n", true), {
      read("S", "a", "", 16, "1\0"s, 1, "big-endian UTF-16 too"),
      write("S", "b", "2", utf16("[S]\r\na=1\r\nb=2\r\n", true), "and stays big-endian"),
    }},
  });
}

TEST(IniEngine, Requests) {
  runCases({
    {"blanks around the names asked for", "[S]\r\na=1\r\n", {
      read(" S ", "\ta\t", "none", 16, "1\0"s, 1, "are ignored in a search"),
      write(" S ", " a ", "2", "[S]\r\na=2\r\n", "also when writing"),
      write(" S ", " b ", "3", "[S]\r\na=2\r\nb =3\r\n", "a new key loses only its leading blanks"),
      write(" New ", " k ", "4", "[S]\r\na=2\r\nb=3\r\n[New ]\r\nk =4\r\n", "a new section too"),
      read("New", "k", "none", 16, "4\0"s, 1, "and both are found without the blanks"),
    }},
    {"deleting what is not there", "[S]\r\na=1\r\n\r\n", {
      write("S", "zz", nullptr, "[S]\r\na=1\r\n\r\n", "a missing key: the file is untouched"),
      write("Nope", "a", nullptr, "[S]\r\na=1\r\n\r\n", "a key of a missing section"),
      write("Nope", nullptr, nullptr, "[S]\r\na=1\r\n\r\n", "a missing section"),
    }},
    {"deleting a middle section", "[A]\r\nx=1\r\n\r\n[B]\r\n; about y\r\ny=2\r\n\r\n[C]\r\nz=3\r\n", {
      write("b", nullptr, nullptr, "[A]\r\nx=1\r\n[C]\r\nz=3\r\n", "header, comment and keys go"),
    }},
    {"deleting the last key", "[A]\r\nx=1\r\ny=2\r\n", {
      write("A", "y", nullptr, "[A]\r\nx=1\r\n", "the line and its break go"),
      write("A", "x", nullptr, "[A]\r\n", "the header stays without keys"),
      write("A", nullptr, nullptr, "", "deleting the empty section leaves an empty file"),
    }},
    {"empty file", "", {
      write("S", "k", "v", "[S]\r\nk=v\r\n", "no blank line at the start"),
    }},
    {"file of blank lines", "\r\n\r\n  \r\n", {
      write("S", "a", nullptr, "\r\n\r\n  \r\n", "deleting nothing keeps it"),
      write("S", "a", "1", "[S]\r\na=1\r\n", "a write replaces it"),
    }},
  });
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
  EXPECT_EQ(plat::ops().writeProfileString("S", "k", nullptr, file.c_str()), TRUE);
  EXPECT_EQ(plat::ops().writeProfileString("S", nullptr, nullptr, file.c_str()), TRUE);
  EXPECT_EQ(plat::ops().writeProfileString("", nullptr, nullptr, file.c_str()), TRUE);
  EXPECT_FALSE(contents(file)) << "deleting from a missing file must not create it";

  const std::string deep = dir.file("no-such-folder", "absent.ini");
  EXPECT_EQ(plat::ops().writeProfileString("S", "k", "v", deep.c_str()), FALSE);
  EXPECT_EQ(plat::ops().lastError(), plat::kErrPathNotFound);
}

// A read-only file is written exactly when the system lets it be opened for
// writing (Windows refuses; so does a POSIX system, except to root), and a
// refused write leaves it as it was.
TEST(IniEngine, ReadOnlyFile) {
  namespace fs = std::filesystem;
  TempDir dir;
  const std::string file = dir.file("locked.ini");
  const std::string before = "[A]\r\nx=1\r\n\r\n";
  setContents(file, before);
  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  HANDLE h = plat::ops().openFile(file.c_str(), plat::Access::Write, plat::Share::ReadWrite,
                                  plat::Disposition::OpenExisting);
  const bool writable = h != INVALID_HANDLE_VALUE;
  if (writable) plat::ops().closeFile(h);

  EXPECT_EQ(plat::ops().writeProfileString("A", "x", "1", file.c_str()), TRUE) << "nothing to write";
  EXPECT_EQ(visible(contents(file)), visible(before));
  plat::ops().setLastError(0);
  EXPECT_EQ(plat::ops().writeProfileString("A", "x", "2", file.c_str()), writable ? TRUE : FALSE);
  if (writable) {
    EXPECT_EQ(visible(contents(file)), visible("[A]\r\nx=2\r\n"s));
  } else {
    EXPECT_EQ(plat::ops().lastError(), plat::kErrAccessDenied);
    EXPECT_EQ(visible(contents(file)), visible(before));
  }
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
