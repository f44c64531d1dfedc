// Menus: menu handles, items, the system menu and TrackPopupMenu.
#pragma once

#include "platform/win/Windows.h"

namespace win {

}  // namespace win
