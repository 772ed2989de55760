// Scanning pieces that Convera's readers share beyond the exported lookups:
// label normalisation, the JCAMP-DX labelled-record lookup and label-line
// seeking in text files. They are exported only so that the tests and fuzz
// targets can reach them; they are no part of Convera's interface.
#pragma once

#include "convera_export.h"
#include "winutil/platform/wintypes.h"

namespace cv {

// Upper case, then every blank, minus sign, slash, backslash, underscore,
// tab, carriage return and line feed removed, in place: "##.ACQUISITION
// MODE=" becomes "##.ACQUISITIONMODE=", "NMR FID" becomes "NMRFID".
CONVERA_API void normaliseLabel(char* text);

// The value of the first labelled record "##LABEL=" of an open file whose
// normalised label starts with the normalised "##label=": the file is
// rewound and read line by line (199 characters per read); the blanks after
// the "=" are skipped and the rest of the line, its line break included, goes
// into `dest` (at most capacity - 1 characters, terminated). False when no
// record matches, the label is longer than 54 characters or an argument is
// unusable; `dest` is then an empty text when it is writable.
CONVERA_API bool findJcampLabel(HANDLE file, const char* label, char* dest, int capacity);
// The same with the label text of Convera's table entry `labelId`; false
// when the table has no such text.
CONVERA_API bool findJcampRecord(HANDLE file, int labelId, char* dest, int capacity);

// The size of the line area of seekLabelLine.
constexpr int kLabelLineSize = 80;

// Rewinds the file and reads lines of at most 79 characters into `line`
// (kLabelLineSize bytes) until the n-th line (n from 1) that contains `label`
// (case-sensitive): 0 with that line in `line`, else 118 ("Premature end of
// data file encoutered!").
CONVERA_API int seekLabelLine(HANDLE file, const char* label, int n, char* line);

}  // namespace cv
