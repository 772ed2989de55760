// The isotope list functions: fill a combo box with the filtered records.

#include "isotopes/isotopes_internal.h"

namespace {

int fill(HWND dialog, int control, int filter, iso::ListKind kind) {
  if (!IsWindow(dialog)) {
    iso::reportArgument(iso::kTextNotAWindow);
    return 0;
  }
  HWND combo = GetDlgItem(dialog, control);
  const ISOTOPE* t = iso::table();
  if (!combo || !t) return 0;
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < ISO_RECORDS; ++i) {
    if (!iso::passes(t[i], filter)) continue;
    std::string text = iso::listText(t[i], kind);
    LRESULT r = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (r == CB_ERR || r == CB_ERRSPACE) return 0;
  }
  return 1;
}

}  // namespace

int InitNucleiListLabels(HWND d, int c, int f) { return fill(d, c, f, iso::ListKind::Labels); }
int InitNucleiListIDs(HWND d, int c, int f) { return fill(d, c, f, iso::ListKind::Ids); }
int InitNucleiListGammas(HWND d, int c, int f) { return fill(d, c, f, iso::ListKind::Gammas); }
int InitNucleiListSpins(HWND d, int c, int f) { return fill(d, c, f, iso::ListKind::Spins); }
int InitNucleiListNAs(HWND d, int c, int f) { return fill(d, c, f, iso::ListKind::Abundances); }
