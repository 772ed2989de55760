// The test program's own dialog (template 100 of its resources): a double,
// a float and a long field and a combo box, wired to Winkit's field functions
// as the package's dialogs wire theirs.
#pragma once

#include <functional>

#include "winutil/platform/wintypes.h"

namespace qtest {

enum : int {
  kTestDialog = 100,
  kDoubleField = 101,
  kFloatField = 102,
  kLongField = 103,
  kCombo = 110,
  kFieldPrompt = 600,  // string of the test program
};

struct FieldRecord {
  double d = 1.5;
  float f = 2.25f;
  long l = 3;
  double lo = 0, hi = 100;
  UINT flags = 0;
  int updates = 0;  // Update calls that read a field
};

// Runs the dialog modally; returns the dialog's result (1 after OK).
INT_PTR runFieldDialog(FieldRecord& record);

}  // namespace qtest
