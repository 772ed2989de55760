// quintar isotope LABEL|ID [--field TESLA]: one record of the isotope table.

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/commands.h"
#include "isotopes/isotopia.h"

namespace cli {
namespace {

// The identifier named by a label ("C-13") or a number ("10"); -1 for none.
int identify(const std::string& text) {
  bool digits = !text.empty();
  for (char c : text) digits = digits && std::isdigit(static_cast<unsigned char>(c));
  if (digits) {
    long id = std::strtol(text.c_str(), nullptr, 10);
    return text.size() <= 3 && id <= GetNoNuclei() ? static_cast<int>(id) : -1;
  }
  return GetNucleusIdFromString(text.c_str());
}

int run(const std::string& nucleus, double field) {
  int id = identify(nucleus);
  if (id < 0) {
    std::fprintf(stderr, "quintar: no isotope \"%s\" (labels are written like H-1, C-13, Sn-119)\n",
                 nucleus.c_str());
    return 1;
  }
  if (!(field > 0) || !std::isfinite(field)) {
    std::fprintf(stderr, "quintar: the field must be a positive number of tesla\n");
    return 1;
  }
  unsigned u = static_cast<unsigned>(id);
  char label[8], name[16], spin[8];
  if (!GetNucleusLabel(u, label) || !GetNucleusName(u, name) ||
      !GetSpinString(GetNucleusSpin(u), spin))
    return 1;
  double gamma = GetNucleusGamma(u);
  // nu = gamma B / 2 pi, with gamma in 10^7 rad/(s T): MHz = gamma * B * 10 / (2 pi).
  double mhz = gamma * field * 1.591549431;
  std::printf("id: %d\nlabel: %s\nZ: %d\nname: %s\ngamma: %.7g 10^7 rad/(s T)\nspin: %s\n"
              "abundance: %.6g %%\nQ: %.6g 10^-28 m^2\nfield: %.6g T\nfrequency: %.6f MHz\n",
              id, label, GetNucleusZ(u), name, gamma, spin,
              static_cast<double>(GetNucleusNatAbundance(u)), static_cast<double>(GetNucleusQ(u)),
              field, mhz);
  return 0;
}

}  // namespace

void addIsotopeCommand(CLI::App& app, int& status) {
  auto* cmd = app.add_subcommand("isotope", "Print one record of the isotope table");
  auto nucleus = std::make_shared<std::string>();
  auto field = std::make_shared<double>(2.34867);
  cmd->add_option("nucleus", *nucleus, "Label (H-1, C-13, Sn-119) or identifier (0 to 129)")
      ->required();
  cmd->add_option("--field", *field, "Magnetic field in tesla (default 2.34867, where H-1 is at 100 MHz)");
  cmd->callback([nucleus, field, &status] { status = run(*nucleus, *field); });
}

}  // namespace cli
