// The predefined window classes of the window system: "EDIT", "LISTBOX",
// "BUTTON" and "STATIC" (styles, messages and notifications).
#pragma once

#include "platform/win/Windows.h"

namespace win {

}  // namespace win
