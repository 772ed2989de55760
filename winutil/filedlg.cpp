// The common Open and Save As dialogs with the system's error reporting, and
// one complete file dialog from a module's string resources. The dialog is
// run by the platform's file-choice service: Windows runs the common dialog
// on the caller's record, the native build answers from the request.
//
// Behaviour chosen where the contract leaves room, and where it is mended:
// - The record's size is sizeof(OPENFILENAMEA), not 88: 88 bytes is the
//   record of 32-bit Windows, and a 64-bit common dialog refuses it with
//   CDERR_STRUCTSIZE.
// - The Open dialog clears the hook procedure and the template name and also
//   the OFN_ENABLEHOOK and OFN_ENABLETEMPLATE bits: with the bits left set the
//   dialog would fail on the null hook or template. The Save As dialog keeps
//   the caller's hook and template.
// - A default title ("Open File" / "Save As") is lent to the record for the
//   call only; the caller's title is put back afterwards, so the record never
//   points into this function's stack.
// - After a confirmed choice `fileTitle` holds the name part of `file`, and
//   the record's file and extension offsets are set, also when the service
//   that answered does not fill them.
// - GetUserFileName takes its texts from the program's module (a null module
//   handle): the owner window belongs to the program, and the portable code
//   has no window call to ask a window for its module.
// - GetUserFileName opens the dialog in the folder of the name given in
//   `file` (its drive and directory), or in the dialog's default folder when
//   the name has none; the name itself is preset without its folder. A
//   missing filter string gives no filter; a missing title string gives
//   "Save" or "Open".

#include <cstring>

#include "winutil/platform/module_entry.h"
#include "winutil/platform/platform.h"
#include "winutil/winkit.h"
#include "winutil/winkit_ids.h"

namespace {

constexpr DWORD kFileSize = MAX_PATH;  // bytes of a `file` buffer
constexpr DWORD kTitleSize = 512;      // bytes of a `fileTitle` buffer
constexpr DWORD kGeneralFailure = 0xFFFF;

bool isSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

// The name part of a path: after its last separator or drive colon.
const char* namePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (isSeparator(*p)) name = p + 1;
  return name;
}

BOOL runDialog(HWND owner, OPENFILENAMEA* dialog, char* file, char* fileTitle, bool save) {
  if (!plat::isWritable(dialog, sizeof(OPENFILENAMEA)) || !plat::isWritable(file, kFileSize) ||
      !plat::isWritable(fileTitle, kTitleSize)) {
    CVErrMess(ThisModule(), CVTEXT(kTextInvalidArgument), CVTEXT(kTextInvalidPointer), CVE_WINKIT);
    return FALSE;
  }

  // Not 88: see above.
  dialog->lStructSize = sizeof(OPENFILENAMEA);
  dialog->hwndOwner = owner;
  dialog->hInstance = ThisModule();
  dialog->lpstrFile = file;
  dialog->nMaxFile = kFileSize;
  dialog->lpstrFileTitle = fileTitle;
  dialog->nMaxFileTitle = kTitleSize;
  dialog->nFileOffset = 0;
  dialog->nFileExtension = 0;
  dialog->Flags |= OFN_EXPLORER;
  if (!save) {
    // The bits go with the pointers: a set bit with a null hook or template
    // makes the dialog fail.
    dialog->lpfnHook = nullptr;
    dialog->lpTemplateName = nullptr;
    dialog->Flags &= ~static_cast<DWORD>(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
  }
  LPCSTR callersTitle = dialog->lpstrTitle;
  char title[kPromptSize];
  if (!callersTitle || !plat::isReadable(callersTitle, 1) || !*callersTitle) {
    UINT id = save ? kTextSaveAs : kTextOpenFile;
    if (plat::loadString(ThisModule(), id, title, sizeof title) <= 0)
      plat::copyText(title, sizeof title, save ? "Save As" : "Open File");
    dialog->lpstrTitle = title;
  }
  fileTitle[0] = 0;

  plat::FileChoice choice{};
  choice.save = save ? TRUE : FALSE;
  choice.title = dialog->lpstrTitle;
  choice.filter = dialog->lpstrFilter;
  choice.folder = dialog->lpstrInitialDir;
  choice.defExt = dialog->lpstrDefExt;
  choice.file = file;
  choice.fileSize = kFileSize;
  choice.mustExist = (dialog->Flags & OFN_FILEMUSTEXIST) ? TRUE : FALSE;
  choice.confirmOverwrite = (dialog->Flags & OFN_OVERWRITEPROMPT) ? TRUE : FALSE;
  choice.dialog = dialog;
  DWORD error = 0;
  BOOL chosen = plat::ui().chooseFile(owner, &choice, &error);
  dialog->lpstrTitle = callersTitle;

  if (chosen) {
    file[kFileSize - 1] = 0;
    const char* name = namePart(file);
    if (fileTitle[0] == 0) plat::copyText(fileTitle, kTitleSize, name);
    if (dialog->nFileOffset == 0 && name != file) {
      dialog->nFileOffset = static_cast<WORD>(name - file);
      const char* point = std::strrchr(name, '.');
      dialog->nFileExtension = point && point[1] ? static_cast<WORD>(point + 1 - file) : 0;
    }
    return TRUE;
  }
  if (error == 0) return FALSE;  // cancelled
  UINT reason = error == kGeneralFailure
                    ? kTextDialogErrorBase
                    : static_cast<UINT>((kTextDialogErrorBase + error) & 0xFFFFu);
  CVErrMess(ThisModule(), CVTEXT(save ? kTextNoOutputName : kTextNoInputName), CVTEXT(reason),
            CVE_WINKIT);
  return FALSE;
}

constexpr int kTextSize = 280;

}  // namespace

BOOL CVFileOpenDlg(HWND owner, OPENFILENAMEA* dialog, char* file, char* fileTitle) {
  return runDialog(owner, dialog, file, fileTitle, false);
}

BOOL CVFileSaveDlg(HWND owner, OPENFILENAMEA* dialog, char* file, char* fileTitle) {
  return runDialog(owner, dialog, file, fileTitle, true);
}

BOOL GetUserFileName(HWND owner, char* file, UINT flags, UINT filterId, UINT titleId) {
  // The owner's module: the program (see above).
  HINSTANCE module = nullptr;
  if (!plat::isWritable(file, kFileSize)) {
    CVErrMess(module, CVTEXT(kTextInvalidArgument), CVTEXT(kTextInvalidPointer), CVE_WINKIT);
    return FALSE;
  }
  bool save = (flags & 1) != 0;

  // "desc|pattern|desc|pattern|": the last character separates the entries,
  // and replacing it everywhere gives the double-NUL-terminated list.
  char filter[kTextSize + 1] = {};
  int n = plat::loadString(module, filterId, filter, kTextSize);
  if (n > 0) {
    char separator = filter[n - 1];
    for (int i = 0; i < n; ++i)
      if (filter[i] == separator) filter[i] = 0;
  }

  char title[kTextSize];
  if (plat::loadString(module, titleId, title, sizeof title) <= 0)
    plat::copyText(title, sizeof title, save ? "Save" : "Open");

  char folder[kFileSize] = "";
  char defExt[kFileSize] = "";
  file[kFileSize - 1] = 0;
  if (*file) {
    const char* name = namePart(file);
    std::size_t folderLength = static_cast<std::size_t>(name - file);
    std::memcpy(folder, file, folderLength);
    folder[folderLength] = 0;
    const char* point = std::strrchr(name, '.');
    if (point) plat::copyText(defExt, sizeof defExt, point + 1);
    std::memmove(file, name, std::strlen(name) + 1);
  }

  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.lpstrFilter = n > 0 ? filter : nullptr;
  dialog.lpstrCustomFilter = nullptr;
  dialog.nFilterIndex = 0;
  dialog.lpstrTitle = title;
  dialog.lpstrInitialDir = *folder ? folder : nullptr;
  dialog.lpstrDefExt = *defExt ? defExt : nullptr;
  dialog.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_SHAREAWARE |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  char fileTitle[kTitleSize] = "";
  return save ? CVFileSaveDlg(owner, &dialog, file, fileTitle)
              : CVFileOpenDlg(owner, &dialog, file, fileTitle);
}
