// The tool's answers to the libraries' user-interface services: error boxes
// on standard error, value prompts from the command line or the terminal.
#pragma once

#include <string>

namespace cli {

// Installs the console services. A non-empty `value` answers every value
// prompt (the spectrometer frequency of files that lack it); without it a
// terminal is asked, and a run without one refuses the prompt.
void useConsole(const std::string& value);

}  // namespace cli
