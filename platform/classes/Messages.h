// The message record that Dispatch and the window procedures pass.
#pragma once

#include "platform/rtl/Types.h"

struct TMessage {
  Cardinal Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};
