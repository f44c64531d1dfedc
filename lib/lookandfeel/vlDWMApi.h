// The desktop window manager library, bound by name at start-up on system
// versions above 5. Only the composition answer is used.
#pragma once

#include "platform/rtl/Types.h"

// False when the library is not loaded; otherwise what
// DwmIsCompositionEnabled reports.
Boolean nbIsCompositionEnabled();
Boolean vlIsDWMApiLoaded();

void vlDWMApiInitialize();
void vlDWMApiFinalize();
