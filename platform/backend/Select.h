// The program's choice of display backend.
#pragma once

#include <memory>

#include "platform/win/Backend.h"

namespace backend {

// Whether the environment names a display ($DISPLAY or $WAYLAND_DISPLAY).
bool DisplayNamed();

// Opens and installs the program's backend: the SDL2 one when a display is
// named and SDL reaches it, the headless one (1280 x 1024) otherwise. Tests
// make the headless backend themselves and never call this.
std::unique_ptr<win::TBackend> OpenDisplayBackend();

}  // namespace backend
