// Kept apart from the tests: the X headers define names (None, Status,
// Bool...) that would clash with the window system's.
#include "tests/display/XScreen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace displaytest {

bool ReadScreenPixel(const std::string& Display, int X, int Y, uint32_t& Rgb) {
  ::Display* d = XOpenDisplay(Display.c_str());
  if (!d) return false;
  bool ok = false;
  Window root = DefaultRootWindow(d);
  XWindowAttributes a;
  if (XGetWindowAttributes(d, root, &a) && X >= 0 && Y >= 0 && X < a.width && Y < a.height)
    if (XImage* img = XGetImage(d, root, X, Y, 1, 1, AllPlanes, ZPixmap)) {
      Rgb = uint32_t(XGetPixel(img, 0, 0)) & 0xFFFFFFu;
      XDestroyImage(img);
      ok = true;
    }
  XCloseDisplay(d);
  return ok;
}

}  // namespace displaytest
