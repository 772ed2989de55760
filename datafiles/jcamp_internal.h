// Internals of the JCAMP-DX reader, exported for its tests, fuzz targets and
// benchmarks: the identifiers of its texts, the line pieces of the line
// reader over bytes, and the block decoder over any source of lines.
#pragma once

#include <cstddef>

#include "convera_export.h"
#include "datafiles/convera_internal.h"

namespace cv {

// Statuses of the JCAMP-DX reader (Convera's message table).
enum JcampStatus : int {
  kJcampNextParameter = 141,
  kJcampInvalidChar = 142,
  kJcampCtxBlock = 143,  // context of the block decoder's own reports
  kJcampBadPoints = 144,
  kJcampPrematureBlockEnd = 145,
  kJcampAbscissaDup = 146,
  kJcampBadXFactor = 147,
  kJcampFracss = 148,
  kJcampXSequence = 149,
  kJcampFirstIsDif = 150,
  kJcampYCheck = 151,
  kJcampTooMany = 152,
  kJcampPointCount = 153,
  kJcampNoDataType = 154,
  kJcampBadAcqMode = 155,
  kJcampBadDataClass = 167,
  kJcampUnknownClass = 168,
  kJcampNoNPoints = 172,
  kJcampNoNucleus = 174,
  kJcampNoObserveFreq = 175,
  kJcampXYPoints = 176,
  kJcampNoFirstX = 178,
  kJcampNoLastX = 180,
  kJcampNoXFactor = 182,
  kJcampNoXYData = 184,
  kJcampNoXYPoints = 185,
  kJcampNoMemory = 186,
  kJcampBadDeltaX = 309,
};

// Texts of the reader's table: labels as the record lookup wants them, and
// the values and variable lists it compares with.
enum JcampText : int {
  kJcampLabelTitle = 1200,
  kJcampLabelVersion = 1201,  // "JCAMPDX"
  kJcampLabelDataType = 1202,
  kJcampLabelAcqMode = 1203,  // ".ACQUISITION MODE"
  kJcampLabelDataClass = 1204,
  kJcampLabelXYData = 1205,
  kJcampLabelXYPoints = 1206,
  kJcampLabelNPoints = 1207,
  kJcampLabelObserveFreq = 1208,  // ".OBSERVE FREQUENCY"
  kJcampLabelFirstX = 1209,
  kJcampLabelLastX = 1210,
  kJcampLabelXFactor = 1211,
  kJcampTypeFid = 1220,  // normalised DATA TYPE values
  kJcampTypeSpectrum = 1221,
  kJcampModeSimultaneous = 1222,  // normalised .ACQUISITION MODE values
  kJcampModeSingle = 1223,
  kJcampClassXYData = 1230,  // raw DATA CLASS values, in the order tried
  kJcampClassXYPoints = 1231,
  kJcampClassPeakTable = 1232,
  kJcampClassAssignments = 1233,
  kJcampClassNTuples = 1234,
  kJcampVarsXYReal = 1240,  // normalised variable lists
  kJcampVarsXRReal = 1241,
  kJcampVarsXIImag = 1242,
  kJcampVarsPointsXY = 1243,
  kJcampVarsPointsXR = 1244,
  kJcampVarsPointsXI = 1245,
  kJcampVersion424 = 1250,  // accepted version texts
  kJcampVersion50 = 1251,
  kJcampVersion501 = 1252,
};

namespace jcamp {

// Lines of the block decoder: at most 279 characters each (kLineSize - 1),
// in a line area of kLineArea bytes (the line, its terminator and room for
// reading digits in words).
constexpr int kLineSize = 280;
constexpr int kLineArea = kLineSize + 8;

// The length of the next line piece at `p` by the rules of Winkit's line
// reader, with `available` bytes readable at `p` and pieces of at most
// `limit` bytes: the piece ends after the first CR or LF, and after one more
// byte when that byte is within the piece's window and is CR or LF; without
// a line end it is the whole window. The caller has made sure that at least
// 2 bytes remain in the file.
CONVERA_API std::size_t pieceLength(const char* p, std::size_t available, std::size_t limit);

// A source of line pieces for the block decoder.
class CONVERA_API LineSource {
 public:
  virtual ~LineSource() = default;
  // The next piece (not terminated) and its length; false at the end.
  virtual bool next(const char** piece, std::size_t* length) = 0;
};

// Line pieces of a byte range, as the line reader would give them from a
// file holding exactly these bytes.
class CONVERA_API MemoryLines : public LineSource {
 public:
  MemoryLines(const char* bytes, std::size_t size, std::size_t limit = kLineSize - 1);
  bool next(const char** piece, std::size_t* length) override;
  std::size_t position() const { return pos_; }

 private:
  const char* bytes_;
  std::size_t size_;
  std::size_t limit_;
  std::size_t pos_ = 0;
};

// The parameters of one XY block.
struct BlockParams {
  float firstX = 0;
  float lastX = 0;
  long nPoints = 0;
  float xFactor = 1;
  float yFactor = 1;
  long firstIndex = 0;
  char step = 1;
};

// The block decoder behind Jcamp_evalXYBlock, over any source of lines;
// `line` is a work area of kLineArea bytes. `stored` (may be null) receives
// the number of points stored. The x-sequence and Y-check findings are
// reported here (context 143); the status is returned.
CONVERA_API unsigned decodeBlock(LineSource& lines, char* line, float* y, const BlockParams& params,
                                 long* stored);

// One token: 1 with the value and count and `*text` moved to the next
// token, 0 when the text holds no further token (count 0), -1 when the token
// is invalid.
CONVERA_API int decodeToken(const char** text, double* value, long* count, bool compressed);

}  // namespace jcamp
}  // namespace cv
