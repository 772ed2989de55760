// Independent readers of the plot files that the tests write: Ghostscript
// for PostScript and hp2xx for HPGL. A file that one of them rejects is a
// fault of the writer.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace plottest {

// Whether the reader can be run here (installed, and not under Wine).
bool haveGhostscript();
bool haveHp2xx();

// Success when the reader accepts the file or cannot be run here; a failure
// that quotes the reader's complaint otherwise.
::testing::AssertionResult ghostscriptAccepts(const std::string& path);
::testing::AssertionResult hp2xxAccepts(const std::string& path);

}  // namespace plottest
