// Numbers of Winkit's texts, dialogs and icons as its code uses them. The
// texts themselves are in Winkit's resource source.
#pragma once

#include "resources/winkit/winkit_res.h"

enum : unsigned {
  kDlgReentry = IDD_REENTRY,
  kDlgValuePrompt = IDD_VALUEPROMPT,
  kCtlReentryPrompt = IDC_REENTRY_PROMPT,
  kCtlReentryValue = IDC_REENTRY_VALUE,
  kCtlValuePrompt = IDC_VALUE_PROMPT,
  kCtlValueEdit = IDC_VALUE_EDIT,
  kIconOk = IDI_WK_OK,
};

// Winkit's string table.
enum WinkitText : unsigned {
  kTextInputRefused = 1,
  kTextErrorFormat = 4,
  kTextNotAWindow = 6,
  kTextNoDefault = 10,
  kTextNoDefaultData = 11,
  kTextCannotOpenSource = 13,
  kTextCannotOpenDestination = 14,
  kTextReadError = 16,
  kTextCouldNotCopy = 17,
  kTextBadFileName = 18,
  kTextCopyIntoItself = 19,
  kTextCancelled = 20,
  kTextNoInputName = 21,
  kTextNoOutputName = 22,
  kTextParamErrContext = 23,
  kTextBadStringPack = 24,
  kTextBadMsg = 25,
  kTextNoValue = 27,
  kTextFixedFormat = 28,
  kTextIndexKeyFormat = 29,
  kTextFloatFormat = 30,
  kTextColourFormat = 31,
  kTextIniExt = 32,
  kTextHlpExt = 33,
  kTextPdfExt = 46,
  kTextInvalidArgument = 256,
  kTextInvalidPointer = 257,
  kTextNoMemory = 258,
  kTextInvalidErrorCode = 262,
  kTextInvalidInstruction = 263,
  kTextOpenFile = 264,
  kTextSaveAs = 265,
  kTextOverwrite = 266,
  kTextCopyFile = 267,
  kTextSystemErrorBase = 4096,
  kTextDialogErrorBase = 4352,
};

// Sizes of the work buffers.
enum : int {
  kPromptSize = 280,
  kValueSize = 80,
};
