// The XWinNMR / TopSpin reader's texts and its directory location, exported
// so that tests can check where the reader looks for the companion files.
//
// An experiment directory holds acqus (and acqu2s), fid or ser, and the
// folder pdata with numbered processed-data directories (procs, proc2s, 1r,
// 1i, rr, ii ...). The user may name any data file of the tree.
#pragma once

#include "convera_export.h"

namespace cv {

// Texts of the reader in Convera's table (resources/convera/xwinnmr.rc).
enum XWinNMRText : int {
  kXwAcqus = 1100,
  kXwAcqu2s = 1101,
  kXwProcs = 1102,
  kXwProc2s = 1103,
  kXwPdata = 1104,
  kXwFid = 1105,
  kXwSer = 1106,
  kXw1r = 1107,
  kXw1i = 1108,
  kXwRR = 1109,
  kXwII = 1110,
  kXwParHeader = 1111,  // "##", the start of a parameter file
  kXwAnyName = 1112,    // "*", the enumeration pattern
};

}  // namespace cv

// The experiment directory of a data file: the path cut before its folder
// "pdata" (compared without case, as a whole folder name; the last one when
// there are several), else the folder of the path. Written to `dir` (`size`
// bytes) with its trailing separator; 1 when found, 0 when not (no room, or
// an unusable path).
CONVERA_API int XWinNMRExperimentDir(const char* path, char* dir, unsigned size);

// The processed-data directory of a data file: for a path inside
// ...\pdata\N\ the folder of the path; otherwise the numbered directory of
// the experiment's "pdata" with the lowest number. With its trailing
// separator; 1 when found, 0 when not.
CONVERA_API int XWinNMRProcessedDir(const char* path, char* dir, unsigned size);
