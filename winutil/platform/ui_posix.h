// The user-interface services of the native build: the error box on standard
// error, prompts on the terminal when one is attached and refused when not.
#pragma once

#include "winutil/platform/platform.h"

namespace plat {

const UiServices& posixUi();

}  // namespace plat
