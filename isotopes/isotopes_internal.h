// Shared by the lookups and the list functions.
#pragma once

#include <string>

#include "isotopes/isotopia.h"

namespace iso {

// Isotopia's own texts.
enum : unsigned {
  kTextBadNucleus = 1,
  kTextNotAWindow = 2,
  kTextFieldPrompt = 6,
};

// The table from the module's resources; null when it cannot be loaded.
const ISOTOPE* table();
// Whether a record passes a list filter.
bool passes(const ISOTOPE& r, int filter);
// The text of a record in one of the list kinds.
enum class ListKind { Labels, Ids, Gammas, Spins, Abundances };
std::string listText(const ISOTOPE& r, ListKind kind);
// Shows "Call with invalid argument!" with one of Isotopia's reasons.
int reportArgument(unsigned reason);

}  // namespace iso
