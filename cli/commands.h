// The subcommands of the quintar tool.
#pragma once

#include <CLI/CLI.hpp>

namespace cli {

// Registers `quintar isotope`; the callback runs the command and sets `status`.
void addIsotopeCommand(CLI::App& app, int& status);
// Registers `quintar info` and `quintar dump`.
void addDataCommands(CLI::App& app, int& status);
// Registers `quintar logo` and `quintar text`.
void addDecorateCommands(CLI::App& app, int& status);
// Registers `quintar plot`.
void addPlotCommand(CLI::App& app, int& status);

}  // namespace cli
