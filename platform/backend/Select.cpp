#include "platform/backend/Select.h"

#include <cstdlib>

#include "platform/backend/Headless.h"
#include "platform/backend/Sdl.h"

namespace backend {

bool DisplayNamed() {
  auto named = [](const char* v) {
    const char* s = std::getenv(v);
    return s && *s;
  };
  return named("DISPLAY") || named("WAYLAND_DISPLAY");
}

std::unique_ptr<win::TBackend> OpenDisplayBackend() {
  if (DisplayNamed())
    if (std::unique_ptr<TSdlBackend> sdl = TSdlBackend::Open()) return sdl;
  return std::make_unique<THeadlessBackend>();
}

}  // namespace backend
