#include "platform/win/SysMetrics.h"

namespace win {

int DefaultSystemMetric(int nIndex, int screenWidth, int screenHeight) {
  // The caption, frame and border sizes of the default look at 96 pixels per inch.
  constexpr int CaptionHeight = 22, FrameWidth = 4, FixedFrame = 3, MenuHeight = 20;
  switch (nIndex) {
    case SM_CXSCREEN: case SM_CXVIRTUALSCREEN: return screenWidth;
    case SM_CYSCREEN: case SM_CYVIRTUALSCREEN: return screenHeight;
    case SM_CXFULLSCREEN: return screenWidth;
    case SM_CYFULLSCREEN: return screenHeight - CaptionHeight;
    case SM_CXMAXIMIZED: return screenWidth + 2 * (FrameWidth + 4);
    case SM_CYMAXIMIZED: return screenHeight + 2 * (FrameWidth + 4);
    case SM_CXMAXTRACK: return screenWidth + 2 * (FrameWidth + 4) + 12;
    case SM_CYMAXTRACK: return screenHeight + 2 * (FrameWidth + 4) + 12;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL: return 17;
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return CaptionHeight;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXFIXEDFRAME: case SM_CYFIXEDFRAME: return FixedFrame;
    case SM_CXFRAME: case SM_CYFRAME: return FrameWidth;
    case SM_CXPADDEDBORDER: return 4;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CYMENU: return MenuHeight;
    case SM_MOUSEPRESENT: case SM_MOUSEWHEELPRESENT: case SM_CMONITORS: case SM_SAMEDISPLAYFORMAT: return 1;
    case SM_CMOUSEBUTTONS: return 3;
    case SM_CXMIN: return 132;
    case SM_CYMIN: return 38;
    case SM_CXMINTRACK: return 132;
    case SM_CYMINTRACK: return 38;
    case SM_CXSIZE: return 36;
    case SM_CYSIZE: return 22;
    case SM_CXSMSIZE: return 28;
    case SM_CYSMSIZE: return 20;
    case SM_CYSMCAPTION: return 20;
    case SM_CXMENUSIZE: case SM_CYMENUSIZE: return 19;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXMINSPACING: return 160;
    case SM_CYMINSPACING: return 24;
    case SM_CXMINIMIZED: return 160;
    case SM_CYMINIMIZED: return 24;
    case SM_ARRANGE: return 8;  // ARW_HIDE
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    case SM_CXFOCUSBORDER: case SM_CYFOCUSBORDER: return 1;
    case SM_NETWORK: return 3;
    // The remaining flags are all off: no DBCS, no swapped buttons, no debug
    // build, no right-to-left system, not a remote session.
    default: return 0;
  }
}

}  // namespace win
