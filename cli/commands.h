// The subcommands of the quintar tool.
#pragma once

#include <CLI/CLI.hpp>

namespace cli {

// Registers `quintar isotope`; the callback runs the command and sets `status`.
void addIsotopeCommand(CLI::App& app, int& status);

}  // namespace cli
