// quintar: batch work on NMR data from the command line.

#include <cstdio>

#include "cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"quintar: NMR data files, plots and nuclear properties from the command line"};
  app.require_subcommand(1);
  // Paths start with "/" on Linux and may under Wine: no "/option" syntax.
  app.allow_windows_style_options(false);
  int status = 0;
  cli::addIsotopeCommand(app, status);
  cli::addDataCommands(app, status);
  cli::addDecorateCommands(app, status);
  cli::addPlotCommand(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 1;
  }
  return status;
}
