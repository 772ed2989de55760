// The parameter-file scanners: loading a parameter file, key=value lines,
// Bruker-style ##$NAME= lines, 28-byte binary WinNMR records, JCAMP-DX
// labelled records and label lines of text files.
//
// Decisions of this implementation:
// - NMRAllocRead reads from the start of the file whatever the handle's
//   position. It yields no buffer (and a length of 0) when the size cannot be
//   had, the file cannot be positioned or a read fails, so that a failure is
//   never handed on as a buffer of zeros. A file that shrinks while it is read
//   gives the bytes that were read. Files of 2 GiB or more are refused: every
//   scanner takes its length as a 32-bit long on Windows.
// - Numbers are converted from a copy of at most 320 characters of the text
//   after the key (up to the end of the buffer), so a buffer that does not
//   end in a zero byte is never read past its end; within those characters
//   strtol and strtod behave as on the buffer itself. Integers saturate at
//   the 32-bit limits, as strtol does where long is 32 bits.
// - Binary WinNMR records are examined only when all 28 bytes lie in the
//   buffer; a record matches when its name field (20 bytes) holds the wanted
//   name and its terminator. Values are read bytewise as little-endian.
// - A line longer than 199 characters is examined in segments of 199
//   characters; a line feed that directly follows a full segment ends that
//   line.
// - GetLine refuses (after the report) an output size below 1 and a negative
//   remaining count, as well as unusable pointers.
// - The JCAMP-DX lookup skips spaces (not tabs) after the "=".

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "datafiles/convera.h"
#include "datafiles/scan_internal.h"
#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"

namespace {

constexpr std::size_t kSegment = 199;         // characters of one examined line (work area 200)
constexpr int kParKeyMax = 59;                // key=value keys
constexpr int kUnixNameMax = 54;              // names of ##$NAME= lines and JCAMP-DX labels
constexpr int kWinNMRNameMax = 199;           // names of binary records
constexpr std::size_t kRecord = 28;           // binary WinNMR record
constexpr std::size_t kRecordName = 20;       // its name field
constexpr std::size_t kNumberWindow = 320;    // characters handed to strtol / strtod
constexpr int kUnixFormatId = 1030;           // "##$%s="
constexpr int kPrematureEnd = 118;

// The header in front of the data of an NMRAllocRead buffer.
constexpr std::size_t kHeader = 16;
constexpr std::uint32_t kBufferMagic = 0x51564246u;  // "FBVQ"
constexpr std::uint64_t kMaxFile = 0x7FFFFFFFu - kHeader - 1;

// "Call with invalid argument!" / "Invalid data pointer!".
void reportBadPointer() { CVErrMess(ThisModule(), CVTEXT(256), CVTEXT(257), CVE_WINKIT); }

// Whether a caller's buffer may be scanned; reports when not. An empty
// buffer is usable (it holds nothing).
bool usable(const char* buf, long length) {
  if (length < 0 || (length > 0 && (!buf || !plat::isReadable(buf, static_cast<std::size_t>(length))))) {
    reportBadPointer();
    return false;
  }
  return true;
}

template <class T>
bool writableOut(T* out) {
  if (!out || !plat::isWritable(out, sizeof *out)) {
    reportBadPointer();
    return false;
  }
  return true;
}

// A text of Convera's table of at most `limit` characters into `buffer`;
// its length, or -1 when there is no such text or it is longer.
int loadName(int id, char* buffer, int size, int limit) {
  if (id <= 0 || id > 0xFFFF) return -1;
  int n = plat::loadString(ThisModule(), static_cast<UINT>(id), buffer, size);
  if (n <= 0 || n > limit) return -1;
  buffer[n] = 0;
  return n;
}

// The first line (or 199-character segment of a line) of buf[0, length)
// that begins with key[0, keyLength): a pointer just after the key.
const char* findKey(const char* key, std::size_t keyLength, const char* buf, std::size_t length) {
  std::size_t pos = 0;
  while (pos < length) {
    std::size_t cap = length - pos < kSegment ? length - pos : kSegment;
    const void* lf = std::memchr(buf + pos, '\n', cap);
    std::size_t seg = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - (buf + pos)) : cap;
    if (seg >= keyLength && std::memcmp(buf + pos, key, keyLength) == 0) return buf + pos + keyLength;
    pos += seg;
    if (pos < length && buf[pos] == '\n') ++pos;
  }
  return nullptr;
}

// The text from `p` to the end of the buffer, at most kNumberWindow
// characters, as a terminated string.
struct NumberText {
  char text[kNumberWindow + 1];
  NumberText(const char* p, const char* end) {
    std::size_t n = static_cast<std::size_t>(end - p);
    if (n > kNumberWindow) n = kNumberWindow;
    std::memcpy(text, p, n);
    text[n] = 0;
  }
};

long toLong(const char* p, const char* end) {
  NumberText t(p, end);
  long v = std::strtol(t.text, nullptr, 10);
  if (v > 0x7FFFFFFFL) v = 0x7FFFFFFFL;
  if (v < -0x7FFFFFFFL - 1) v = -0x7FFFFFFFL - 1;
  return v;
}

double toDouble(const char* p, const char* end) {
  NumberText t(p, end);
  return std::strtod(t.text, nullptr);
}

// The value of a key=value line: a pointer after the key, or null.
const char* findParKey(const char* buf, long length, int id) {
  char key[kParKeyMax + 8];
  int n = loadName(id, key, sizeof key, kParKeyMax);
  if (n < 0) return nullptr;
  return findKey(key, static_cast<std::size_t>(n), buf, static_cast<std::size_t>(length));
}

// The value of a ##$NAME= line, the buffer already checked.
const char* findUnixKey(int id, const char* buf, long length) {
  char name[kUnixNameMax + 8];
  if (loadName(id, name, sizeof name, kUnixNameMax) < 0) return nullptr;
  char format[32];
  if (loadName(kUnixFormatId, format, sizeof format, 24) < 0) return nullptr;
  const char* slot = std::strstr(format, "%s");
  if (!slot) return nullptr;
  char key[sizeof format + sizeof name];
  std::size_t head = static_cast<std::size_t>(slot - format);
  std::size_t nameLength = std::strlen(name);
  std::memcpy(key, format, head);
  std::memcpy(key + head, name, nameLength);
  std::strcpy(key + head + nameLength, slot + 2);
  return findKey(key, std::strlen(key), buf, static_cast<std::size_t>(length));
}

// The first whole binary record named like entry `id`: its address, or null.
const unsigned char* findRecord(const char* buf, long length, int id) {
  char name[kWinNMRNameMax + 8];
  int n = loadName(id, name, sizeof name, kWinNMRNameMax);
  if (n < 0 || static_cast<std::size_t>(n) >= kRecordName) return nullptr;
  auto size = static_cast<std::size_t>(length);
  for (std::size_t at = 0; at < size && size - at >= kRecord; at += kRecord) {
    const char* rec = buf + at;
    if (std::memcmp(rec, name, static_cast<std::size_t>(n)) == 0 && rec[n] == 0)
      return reinterpret_cast<const unsigned char*>(rec);
  }
  return nullptr;
}

std::uint64_t littleEndian(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

// ---- loading ------------------------------------------------------------------

char* NMRAllocRead(HANDLE file, long* length) {
  plat::File f(file ? file : INVALID_HANDLE_VALUE);  // closed on every path
  if (!length || !plat::isWritable(length, sizeof *length)) return nullptr;
  *length = 0;
  if (!f.ok()) return nullptr;
  std::uint64_t size = 0;
  if (!plat::fileSize(f.get(), &size) || size == 0 || size > kMaxFile) return nullptr;
  if (!plat::seekFile(f.get(), 0, plat::Seek::Begin, nullptr)) return nullptr;

  HGLOBAL block = plat::ops().memAlloc(kHeader + size + 1);
  if (!block) {
    *length = static_cast<long>(size);
    return nullptr;
  }
  auto* base = static_cast<char*>(plat::ops().memLock(block));
  if (!base) {
    plat::ops().memFree(block);
    *length = static_cast<long>(size);
    return nullptr;
  }
  std::memcpy(base, &block, sizeof block);
  std::memcpy(base + sizeof(HGLOBAL), &kBufferMagic, sizeof kBufferMagic);
  char* data = base + kHeader;

  std::uint64_t total = 0;
  while (total < size) {
    DWORD got = 0;
    if (!plat::readFile(f.get(), data + total, static_cast<DWORD>(size - total), &got)) {
      NMRFreeBuffer(data);
      return nullptr;
    }
    if (got == 0) break;
    total += got < size - total ? got : size - total;
  }
  if (total == 0) {
    NMRFreeBuffer(data);
    return nullptr;
  }
  std::memset(data + total, 0, static_cast<std::size_t>(size - total) + 1);
  *length = static_cast<long>(total);
  return data;
}

void NMRFreeBuffer(char* buffer) {
  if (!buffer) return;
  char* base = buffer - kHeader;
  std::uint32_t magic = 0;
  std::memcpy(&magic, base + sizeof(HGLOBAL), sizeof magic);
  if (magic != kBufferMagic) return;  // not a buffer of NMRAllocRead, or freed already
  HGLOBAL block;
  std::memcpy(&block, base, sizeof block);
  std::memset(base + sizeof(HGLOBAL), 0, sizeof magic);
  plat::ops().memUnlock(block);
  plat::ops().memFree(block);
}

// ---- lines and keys -------------------------------------------------------------

long GetLine(char* out, long outSize, const char* buf, long remaining) {
  if (outSize < 1 || !out || !plat::isWritable(out, static_cast<std::size_t>(outSize))) {
    reportBadPointer();
    return 0;
  }
  if (!usable(buf, remaining)) return 0;
  long n = 0;
  while (n < remaining && n < outSize - 1 && buf[n] != '\n') {
    out[n] = buf[n];
    ++n;
  }
  out[n] = 0;
  return n ? n : 1;
}

const char* Search(const char* key, const char* buf, long length) {
  if (!key || !plat::isReadable(key, 1)) {
    reportBadPointer();
    return nullptr;
  }
  if (!usable(buf, length)) return nullptr;
  std::size_t keyLength = 0;
  while (keyLength <= kSegment && key[keyLength]) ++keyLength;
  if (keyLength > kSegment) return nullptr;  // no examined line is that long
  return findKey(key, keyLength, buf, static_cast<std::size_t>(length));
}

int ReadParLong(const char* buf, long length, int id, long* out) {
  if (!writableOut(out)) return 0;
  *out = 0;
  if (!usable(buf, length)) return 0;
  const char* v = findParKey(buf, length, id);
  if (!v) return 0;
  *out = toLong(v, buf + length);
  return 1;
}

int ReadParDouble(const char* buf, long length, int id, double* out) {
  if (!writableOut(out)) return 0;
  *out = 0.0;
  if (!usable(buf, length)) return 0;
  const char* v = findParKey(buf, length, id);
  if (!v) return 0;
  *out = toDouble(v, buf + length);
  return 1;
}

const char* SearchUnixPar(int id, const char* buf, long length) {
  if (!usable(buf, length)) return nullptr;
  return findUnixKey(id, buf, length);
}

int ReadUXNMRLong(const char* buf, long length, int id, long* out) {
  if (!writableOut(out)) return 0;
  *out = 0;
  if (!usable(buf, length)) return 0;
  const char* v = findUnixKey(id, buf, length);
  if (!v) return 0;
  *out = toLong(v, buf + length);
  return 1;
}

int ReadUXNMRFloat(const char* buf, long length, int id, float* out) {
  if (!writableOut(out)) return 0;
  *out = 0.0f;
  if (!usable(buf, length)) return 0;
  const char* v = findUnixKey(id, buf, length);
  if (!v) return 0;
  *out = static_cast<float>(toDouble(v, buf + length));
  return 1;
}

int ReadUXNMRDouble(const char* buf, long length, int id, double* out) {
  if (!writableOut(out)) return 0;
  *out = 0.0;
  if (!usable(buf, length)) return 0;
  const char* v = findUnixKey(id, buf, length);
  if (!v) return 0;
  *out = toDouble(v, buf + length);
  return 1;
}

// ---- binary WinNMR records --------------------------------------------------------

int ReadWinNMRLong(const char* buf, long length, int id, long* out) {
  if (!writableOut(out)) return 0;
  *out = 0;
  if (!usable(buf, length)) return 0;
  const unsigned char* rec = findRecord(buf, length, id);
  if (!rec) return 0;
  *out = static_cast<std::int32_t>(static_cast<std::uint32_t>(littleEndian(rec + kRecordName, 4)));
  return 1;
}

int ReadWinNMRFloat(const char* buf, long length, int id, float* out) {
  if (!writableOut(out)) return 0;
  *out = 0.0f;
  if (!usable(buf, length)) return 0;
  const unsigned char* rec = findRecord(buf, length, id);
  if (!rec) return 0;
  auto bits = static_cast<std::uint32_t>(littleEndian(rec + kRecordName, 4));
  std::memcpy(out, &bits, sizeof bits);
  return 1;
}

int ReadWinNMRDouble(const char* buf, long length, int id, double* out) {
  if (!writableOut(out)) return 0;
  *out = 0.0;
  if (!usable(buf, length)) return 0;
  const unsigned char* rec = findRecord(buf, length, id);
  if (!rec) return 0;
  std::uint64_t bits = littleEndian(rec + kRecordName, 8);
  std::memcpy(out, &bits, sizeof bits);
  return 1;
}

// ---- labels -----------------------------------------------------------------------

namespace cv {

void normaliseLabel(char* text) {
  if (!text) return;
  char* to = text;
  for (const char* from = text; *from; ++from) {
    auto c = static_cast<unsigned char>(*from);
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    switch (c) {
      case ' ': case '-': case '/': case '\\': case '_': case '\t': case '\r': case '\n':
        continue;
      default:
        *to++ = static_cast<char>(c);
    }
  }
  *to = 0;
}

// The lines of a file as Winkit's line reader (CVlgets) returns them, read
// in large blocks instead of two system calls a line: from position p, with
// fewer than 2 bytes left there is no line; otherwise up to size - 1 bytes,
// ending after the first CR or LF and after a CR or LF that follows it. The
// handle is left where the reader would have left it.
class BlockLines {
 public:
  explicit BlockLines(HANDLE file) : file_(file) {}

  bool rewind() {
    std::uint64_t size = 0;
    if (!plat::seekFile(file_, 0, plat::Seek::Begin, nullptr) || !plat::fileSize(file_, &size))
      return false;
    length_ = size;
    return true;
  }

  bool next(char* line, std::size_t size) {
    if (size < 2 || length_ < pos_ + 2) return false;
    std::uint64_t want = length_ - pos_ < size - 1 ? length_ - pos_ : size - 1;
    if (pos_ < start_ || pos_ + want > start_ + have_) {
      if (!plat::seekFile(file_, static_cast<std::int64_t>(pos_), plat::Seek::Begin, nullptr))
        return false;
      DWORD got = 0;
      if (!plat::readFile(file_, block_, sizeof block_, &got)) return false;
      start_ = pos_;
      have_ = got;
      if (want > have_) want = have_;
      if (want == 0) return false;
    }
    const char* b = block_ + (pos_ - start_);
    std::size_t n = static_cast<std::size_t>(want), l = n;
    for (std::size_t k = 0; k < n; ++k) {
      if (b[k] == '\r' || b[k] == '\n') {
        l = k + 1;
        if (l < n && (b[l] == '\r' || b[l] == '\n')) ++l;
        break;
      }
    }
    std::memcpy(line, b, l);
    line[l] = 0;
    pos_ += l;
    return true;
  }

  // Leaves the handle after the last line taken.
  void finish() { plat::seekFile(file_, static_cast<std::int64_t>(pos_), plat::Seek::Begin, nullptr); }

 private:
  HANDLE file_;
  std::uint64_t length_ = 0, pos_ = 0, start_ = 0;
  DWORD have_ = 0;
  char block_[65536];
};

bool findJcampLabel(HANDLE file, const char* label, char* dest, int capacity) {
  if (capacity < 1 || !dest || !plat::isWritable(dest, static_cast<std::size_t>(capacity))) return false;
  dest[0] = 0;
  if (!label || !plat::isReadable(label, 1)) return false;
  std::size_t labelLength = 0;
  while (labelLength <= static_cast<std::size_t>(kUnixNameMax) && label[labelLength]) ++labelLength;
  if (labelLength > static_cast<std::size_t>(kUnixNameMax)) return false;

  char wanted[kUnixNameMax + 8] = "##";
  std::memcpy(wanted + 2, label, labelLength);
  std::strcpy(wanted + 2 + labelLength, "=");
  normaliseLabel(wanted);
  std::size_t wantedLength = std::strlen(wanted);

  auto lines = std::make_unique<BlockLines>(file);
  if (!lines->rewind()) return false;
  char line[kSegment + 1];
  char head[kSegment + 1];
  while (lines->next(line, sizeof line)) {
    const char* eq = std::strchr(line, '=');
    if (!eq) continue;
    std::size_t headLength = static_cast<std::size_t>(eq - line) + 1;
    std::memcpy(head, line, headLength);
    head[headLength] = 0;
    normaliseLabel(head);
    if (std::strncmp(head, wanted, wantedLength) != 0) continue;
    const char* value = eq + 1;
    while (*value == ' ') ++value;
    std::size_t n = std::strlen(value);
    if (n > static_cast<std::size_t>(capacity - 1)) n = static_cast<std::size_t>(capacity - 1);
    std::memcpy(dest, value, n);
    dest[n] = 0;
    lines->finish();
    return true;
  }
  lines->finish();
  return false;
}

bool findJcampRecord(HANDLE file, int labelId, char* dest, int capacity) {
  char label[kUnixNameMax + 8];
  if (loadName(labelId, label, sizeof label, kUnixNameMax) < 0) {
    if (capacity >= 1 && dest && plat::isWritable(dest, static_cast<std::size_t>(capacity))) dest[0] = 0;
    return false;
  }
  return findJcampLabel(file, label, dest, capacity);
}

int seekLabelLine(HANDLE file, const char* label, int n, char* line) {
  if (!line || !plat::isWritable(line, kLabelLineSize)) return kPrematureEnd;
  line[0] = 0;
  if (!label || !plat::isReadable(label, 1) || n < 1) return kPrematureEnd;
  auto lines = std::make_unique<BlockLines>(file);
  if (!lines->rewind()) return kPrematureEnd;
  int seen = 0;
  while (lines->next(line, kLabelLineSize)) {
    if (std::strstr(line, label) && ++seen == n) {
      lines->finish();
      return 0;
    }
  }
  lines->finish();
  line[0] = 0;
  return kPrematureEnd;
}

}  // namespace cv
