// The isotope list functions in the native build, which has no dialogs: no
// handle is a window.

#include "isotopes/isotopes_internal.h"

namespace {

int notAWindow() { return iso::reportArgument(iso::kTextNotAWindow); }

}  // namespace

int InitNucleiListLabels(HWND, int, int) { return notAWindow(); }
int InitNucleiListIDs(HWND, int, int) { return notAWindow(); }
int InitNucleiListGammas(HWND, int, int) { return notAWindow(); }
int InitNucleiListSpins(HWND, int, int) { return notAWindow(); }
int InitNucleiListNAs(HWND, int, int) { return notAWindow(); }
