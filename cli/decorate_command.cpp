// quintar logo PS [--x --y --height] and quintar text PS TEXT [--x --y
// --size]: the program's logo or a block of text on a PostScript page.

#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/ui_console.h"
#include "plotter/decorate.h"

namespace cli {
namespace {

int finish(int result, const std::string& ps) {
  if (result == kDecorateNoShowpage) {
    std::fprintf(stderr, "quintar: %s: The postscript file does not end with showpage!\n", ps.c_str());
  } else if (result != kDecorateOk) {
    std::fprintf(stderr, "quintar: %s: Some unspecified error occured!\n", ps.c_str());
  }
  return result == kDecorateOk ? 0 : 1;
}

struct Placement {
  std::string ps, text;
  float x = 24, y = 17, size = 0.5f;
};

}  // namespace

void addDecorateCommands(CLI::App& app, int& status) {
  auto logo = std::make_shared<Placement>();
  auto* l = app.add_subcommand("logo", "Add the program's logo to a PostScript page");
  l->add_option("page", logo->ps, "The PostScript file of a plot")->required();
  l->add_option("--x", logo->x, "Left edge in cm (default 24)");
  l->add_option("--y", logo->y, "Top edge in cm (default 17)");
  l->add_option("--height", logo->size, "Height in cm (default 0.5)");
  l->callback([logo, &status] {
    useConsole("");
    status = finish(InsertLogo(logo->ps.c_str(), logo->x, logo->y, logo->size), logo->ps);
  });

  auto text = std::make_shared<Placement>();
  text->y = 16;
  text->size = 0.3f;
  auto* t = app.add_subcommand("text", "Add the lines of a text file to a PostScript page");
  t->add_option("page", text->ps, "The PostScript file of a plot")->required();
  t->add_option("file", text->text, "The text file")->required();
  t->add_option("--x", text->x, "Left edge of the lines in cm (default 24)");
  t->add_option("--y", text->y, "Base line of the first line in cm (default 16)");
  t->add_option("--size", text->size, "Character height in cm (default 0.3)");
  t->callback([text, &status] {
    useConsole("");
    status = finish(InsertText(text->ps.c_str(), text->text.c_str(), text->x, text->y, text->size),
                    text->ps);
  });
}

}  // namespace cli
