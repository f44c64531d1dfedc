#include "lib/foundation/vlControlBasics.h"

#include "platform/vcl/Controls.h"
#include "platform/win/Windows.h"

String vlStripAccelChars(const String& AText, Boolean ATrailingToUnderscore) {
  String result;
  result.reserve(AText.size());
  for (size_t i = 0; i < AText.size(); ++i) {
    if (AText[i] != u'&') {
      result.push_back(AText[i]);
    } else if (i + 1 < AText.size()) {
      result.push_back(AText[++i]);
    } else if (ATrailingToUnderscore) {
      result.push_back(u'_');
    }
  }
  return result;
}

TRect vlGetWindowClientRect(win::HWND AWnd) {
  TRect r{};
  if (!win::GetClientRect(AWnd, &r)) r = TRect{};
  return r;
}

TRect vlGetWindowScreenRect(win::HWND AWnd) {
  TRect r{};
  if (!win::GetWindowRect(AWnd, &r)) r = TRect{};
  return r;
}

TRect vlGetControlWindowRect(TWinControl* AControl) {
  if (!AControl || !AControl->HandleAllocated()) return TRect{};
  return vlGetWindowScreenRect(AControl->Handle());
}
