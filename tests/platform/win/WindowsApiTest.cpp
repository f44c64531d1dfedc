// Every function the window API declares has a body: the table takes the
// address of each, so a declaration without a definition fails to link here
// rather than in the first program that happens to call it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win/Backend.h"
#include "platform/win/Dwmapi.h"
#include "platform/win/SysMetrics.h"
#include "platform/win/Windows.h"

namespace wintest {
namespace {

using namespace win;

using TEntry = std::pair<void (*)(), const char*>;
template <class F>
TEntry Entry(F* f, const char* name) {
  return TEntry(reinterpret_cast<void (*)()>(f), name);
}

TEST(WindowsApiTest, EveryDeclaredFunctionIsDefined) {
  // volatile: the addresses are read at run time, so none is folded away.
  static const std::vector<TEntry> table = {
      Entry(&MakeObjectInstance, "MakeObjectInstance"),
      Entry(&FreeObjectInstance, "FreeObjectInstance"),
      Entry(&AllocateHWnd, "AllocateHWnd"),
      Entry(&DeallocateHWnd, "DeallocateHWnd"),
      Entry(&CallWindowProcW, "CallWindowProcW"),
      Entry(&DefWindowProcW, "DefWindowProcW"),
      Entry(&RegisterClassExW, "RegisterClassExW"),
      Entry(&RegisterClassW, "RegisterClassW"),
      Entry(&UnregisterClassW, "UnregisterClassW"),
      Entry(&GetClassInfoExW, "GetClassInfoExW"),
      Entry(&GetClassInfoW, "GetClassInfoW"),
      Entry(&GetClassNameW, "GetClassNameW"),
      Entry(&GetClassLongPtrW, "GetClassLongPtrW"),
      Entry(&SetClassLongPtrW, "SetClassLongPtrW"),
      Entry(&GetModuleHandleW, "GetModuleHandleW"),
      Entry(&CreateWindowExW, "CreateWindowExW"),
      Entry(&DestroyWindow, "DestroyWindow"),
      Entry(&IsWindow, "IsWindow"),
      Entry(&IsWindowVisible, "IsWindowVisible"),
      Entry(&IsWindowEnabled, "IsWindowEnabled"),
      Entry(&EnableWindow, "EnableWindow"),
      Entry(&IsChild, "IsChild"),
      Entry(&IsIconic, "IsIconic"),
      Entry(&IsZoomed, "IsZoomed"),
      Entry(&IsWindowUnicode, "IsWindowUnicode"),
      Entry(&GetParent, "GetParent"),
      Entry(&GetAncestor, "GetAncestor"),
      Entry(&SetParent, "SetParent"),
      Entry(&GetWindow, "GetWindow"),
      Entry(&GetTopWindow, "GetTopWindow"),
      Entry(&GetNextWindow, "GetNextWindow"),
      Entry(&GetDesktopWindow, "GetDesktopWindow"),
      Entry(&FindWindowW, "FindWindowW"),
      Entry(&EnumWindows, "EnumWindows"),
      Entry(&EnumChildWindows, "EnumChildWindows"),
      Entry(&EnumThreadWindows, "EnumThreadWindows"),
      Entry(&GetWindowThreadProcessId, "GetWindowThreadProcessId"),
      Entry(&GetDlgCtrlID, "GetDlgCtrlID"),
      Entry(&GetDlgItem, "GetDlgItem"),
      Entry(&GetWindowLongPtrW, "GetWindowLongPtrW"),
      Entry(&SetWindowLongPtrW, "SetWindowLongPtrW"),
      Entry(&SetWindowTextW, "SetWindowTextW"),
      Entry(&GetWindowTextW, "GetWindowTextW"),
      Entry(&GetWindowTextLengthW, "GetWindowTextLengthW"),
      Entry(&SetPropW, "SetPropW"),
      Entry(&GetPropW, "GetPropW"),
      Entry(&RemovePropW, "RemovePropW"),
      Entry(&RegisterWindowMessageW, "RegisterWindowMessageW"),
      Entry(&SetWindowPos, "SetWindowPos"),
      Entry(&MoveWindow, "MoveWindow"),
      Entry(&ShowWindow, "ShowWindow"),
      Entry(&ShowOwnedPopups, "ShowOwnedPopups"),
      Entry(&BringWindowToTop, "BringWindowToTop"),
      Entry(&GetWindowRect, "GetWindowRect"),
      Entry(&GetClientRect, "GetClientRect"),
      Entry(&ClientToScreen, "ClientToScreen"),
      Entry(&ScreenToClient, "ScreenToClient"),
      Entry(&MapWindowPoints, "MapWindowPoints"),
      Entry(&WindowFromPoint, "WindowFromPoint"),
      Entry(&ChildWindowFromPoint, "ChildWindowFromPoint"),
      Entry(&ChildWindowFromPointEx, "ChildWindowFromPointEx"),
      Entry(&AdjustWindowRectEx, "AdjustWindowRectEx"),
      Entry(&AdjustWindowRect, "AdjustWindowRect"),
      Entry(&SetWindowRgn, "SetWindowRgn"),
      Entry(&GetWindowRgn, "GetWindowRgn"),
      Entry(&SetLayeredWindowAttributes, "SetLayeredWindowAttributes"),
      Entry(&GetLayeredWindowAttributes, "GetLayeredWindowAttributes"),
      Entry(&UpdateLayeredWindow, "UpdateLayeredWindow"),
      Entry(&AnimateWindow, "AnimateWindow"),
      Entry(&SendMessageW, "SendMessageW"),
      Entry(&SendMessageTimeoutW, "SendMessageTimeoutW"),
      Entry(&SendNotifyMessageW, "SendNotifyMessageW"),
      Entry(&PostMessageW, "PostMessageW"),
      Entry(&PostThreadMessageW, "PostThreadMessageW"),
      Entry(&PostQuitMessage, "PostQuitMessage"),
      Entry(&GetMessageW, "GetMessageW"),
      Entry(&PeekMessageW, "PeekMessageW"),
      Entry(&TranslateMessage, "TranslateMessage"),
      Entry(&DispatchMessageW, "DispatchMessageW"),
      Entry(&WaitMessage, "WaitMessage"),
      Entry(&MsgWaitForMultipleObjects, "MsgWaitForMultipleObjects"),
      Entry(&MsgWaitForMultipleObjectsEx, "MsgWaitForMultipleObjectsEx"),
      Entry(&InSendMessage, "InSendMessage"),
      Entry(&InSendMessageEx, "InSendMessageEx"),
      Entry(&ReplyMessage, "ReplyMessage"),
      Entry(&GetMessagePos, "GetMessagePos"),
      Entry(&GetMessageTime, "GetMessageTime"),
      Entry(&GetMessageExtraInfo, "GetMessageExtraInfo"),
      Entry(&GetQueueStatus, "GetQueueStatus"),
      Entry(&GetInputState, "GetInputState"),
      Entry(&SetScrollInfo, "SetScrollInfo"),
      Entry(&GetScrollInfo, "GetScrollInfo"),
      Entry(&SetScrollPos, "SetScrollPos"),
      Entry(&GetScrollPos, "GetScrollPos"),
      Entry(&SetScrollRange, "SetScrollRange"),
      Entry(&GetScrollRange, "GetScrollRange"),
      Entry(&ShowScrollBar, "ShowScrollBar"),
      Entry(&EnableScrollBar, "EnableScrollBar"),
      Entry(&GetScrollBarInfo, "GetScrollBarInfo"),
      Entry(&InvalidateRect, "InvalidateRect"),
      Entry(&InvalidateRgn, "InvalidateRgn"),
      Entry(&ValidateRect, "ValidateRect"),
      Entry(&ValidateRgn, "ValidateRgn"),
      Entry(&GetUpdateRect, "GetUpdateRect"),
      Entry(&GetUpdateRgn, "GetUpdateRgn"),
      Entry(&UpdateWindow, "UpdateWindow"),
      Entry(&RedrawWindow, "RedrawWindow"),
      Entry(&BeginPaint, "BeginPaint"),
      Entry(&EndPaint, "EndPaint"),
      Entry(&GetDCEx, "GetDCEx"),
      Entry(&GetWindowDC, "GetWindowDC"),
      Entry(&WindowFromDC, "WindowFromDC"),
      Entry(&ScrollWindow, "ScrollWindow"),
      Entry(&ScrollWindowEx, "ScrollWindowEx"),
      Entry(&LockWindowUpdate, "LockWindowUpdate"),
      Entry(&PrintWindow, "PrintWindow"),
      Entry(&SetFocus, "SetFocus"),
      Entry(&GetFocus, "GetFocus"),
      Entry(&SetActiveWindow, "SetActiveWindow"),
      Entry(&GetActiveWindow, "GetActiveWindow"),
      Entry(&SetForegroundWindow, "SetForegroundWindow"),
      Entry(&GetForegroundWindow, "GetForegroundWindow"),
      Entry(&SetCapture, "SetCapture"),
      Entry(&ReleaseCapture, "ReleaseCapture"),
      Entry(&GetCapture, "GetCapture"),
      Entry(&GetKeyState, "GetKeyState"),
      Entry(&GetAsyncKeyState, "GetAsyncKeyState"),
      Entry(&GetKeyboardState, "GetKeyboardState"),
      Entry(&SetKeyboardState, "SetKeyboardState"),
      Entry(&MapVirtualKeyW, "MapVirtualKeyW"),
      Entry(&ToUnicode, "ToUnicode"),
      Entry(&VkKeyScanW, "VkKeyScanW"),
      Entry(&GetKeyboardLayout, "GetKeyboardLayout"),
      Entry(&ActivateKeyboardLayout, "ActivateKeyboardLayout"),
      Entry(&LoadKeyboardLayoutW, "LoadKeyboardLayoutW"),
      Entry(&TrackMouseEvent, "TrackMouseEvent"),
      Entry(&DragDetect, "DragDetect"),
      Entry(&GetDoubleClickTime, "GetDoubleClickTime"),
      Entry(&SetDoubleClickTime, "SetDoubleClickTime"),
      Entry(&SwapMouseButton, "SwapMouseButton"),
      Entry(&LoadCursorW, "LoadCursorW"),
      Entry(&LoadIconW, "LoadIconW"),
      Entry(&SetCursor, "SetCursor"),
      Entry(&GetCursor, "GetCursor"),
      Entry(&GetCursorPos, "GetCursorPos"),
      Entry(&SetCursorPos, "SetCursorPos"),
      Entry(&ShowCursor, "ShowCursor"),
      Entry(&CreateCaret, "CreateCaret"),
      Entry(&DestroyCaret, "DestroyCaret"),
      Entry(&ShowCaret, "ShowCaret"),
      Entry(&HideCaret, "HideCaret"),
      Entry(&SetCaretPos, "SetCaretPos"),
      Entry(&GetCaretPos, "GetCaretPos"),
      Entry(&GetCaretBlinkTime, "GetCaretBlinkTime"),
      Entry(&SetCaretBlinkTime, "SetCaretBlinkTime"),
      Entry(&SetTimer, "SetTimer"),
      Entry(&KillTimer, "KillTimer"),
      Entry(&SetWindowsHookExW, "SetWindowsHookExW"),
      Entry(&UnhookWindowsHookEx, "UnhookWindowsHookEx"),
      Entry(&CallNextHookEx, "CallNextHookEx"),
      Entry(&GetSystemMetrics, "GetSystemMetrics"),
      Entry(&SystemParametersInfoW, "SystemParametersInfoW"),
      Entry(&MonitorFromPoint, "MonitorFromPoint"),
      Entry(&MonitorFromRect, "MonitorFromRect"),
      Entry(&MonitorFromWindow, "MonitorFromWindow"),
      Entry(&GetMonitorInfoW, "GetMonitorInfoW"),
      Entry(&EnumDisplayMonitors, "EnumDisplayMonitors"),
      Entry(&GetVersionExW, "GetVersionExW"),
      Entry(&GetVersion, "GetVersion"),
      Entry(&MessageBeep, "MessageBeep"),
      Entry(&IsWow64Process, "IsWow64Process"),
      Entry(&SetProcessDPIAware, "SetProcessDPIAware"),
      Entry(&PlaySoundW, "PlaySoundW"),
      Entry(&ShellExecuteW, "ShellExecuteW"),
      Entry(&WinHelpW, "WinHelpW"),
      Entry(&OpenClipboard, "OpenClipboard"),
      Entry(&CloseClipboard, "CloseClipboard"),
      Entry(&EmptyClipboard, "EmptyClipboard"),
      Entry(&SetClipboardData, "SetClipboardData"),
      Entry(&GetClipboardData, "GetClipboardData"),
      Entry(&IsClipboardFormatAvailable, "IsClipboardFormatAvailable"),
      Entry(&RegisterClipboardFormatW, "RegisterClipboardFormatW"),
      Entry(&EnumClipboardFormats, "EnumClipboardFormats"),
      Entry(&CountClipboardFormats, "CountClipboardFormats"),
      Entry(&GetClipboardOwner, "GetClipboardOwner"),
      Entry(&GlobalAlloc, "GlobalAlloc"),
      Entry(&GlobalLock, "GlobalLock"),
      Entry(&GlobalUnlock, "GlobalUnlock"),
      Entry(&GlobalSize, "GlobalSize"),
      Entry(&GlobalFree, "GlobalFree"),
      Entry(&MessageBoxW, "MessageBoxW"),
      Entry(&SetBackend, "SetBackend"),
      Entry(&CurrentBackend, "CurrentBackend"),
      Entry(&ScreenSize, "ScreenSize"),
      Entry(&SetScreenSize, "SetScreenSize"),
      Entry(&InjectMouseMove, "InjectMouseMove"),
      Entry(&InjectMouseButton, "InjectMouseButton"),
      Entry(&InjectMouseWheel, "InjectMouseWheel"),
      Entry(&InjectKey, "InjectKey"),
      Entry(&InjectChar, "InjectChar"),
      Entry(&InjectAppActivation, "InjectAppActivation"),
      Entry(&VisibleTopLevelWindows, "VisibleTopLevelWindows"),
      Entry(&PaintPendingWindows, "PaintPendingWindows"),
      Entry(&MessageClock, "MessageClock"),
      Entry(&SetManualClock, "SetManualClock"),
      Entry(&AdvanceManualClock, "AdvanceManualClock"),
      Entry(&DwmIsCompositionEnabled, "DwmIsCompositionEnabled"),
      Entry(&DwmEnableComposition, "DwmEnableComposition"),
      Entry(&DwmExtendFrameIntoClientArea, "DwmExtendFrameIntoClientArea"),
      Entry(&DwmEnableBlurBehindWindow, "DwmEnableBlurBehindWindow"),
      Entry(&DwmDefWindowProc, "DwmDefWindowProc"),
      Entry(&DwmEnableMMCSS, "DwmEnableMMCSS"),
      Entry(&DwmGetColorizationColor, "DwmGetColorizationColor"),
      Entry(&DwmGetWindowAttribute, "DwmGetWindowAttribute"),
      Entry(&DwmSetWindowAttribute, "DwmSetWindowAttribute"),
      Entry(&DefaultSystemMetric, "DefaultSystemMetric"),
  };
  for (const TEntry& e : table) {
    void (*volatile f)() = e.first;
    EXPECT_NE(f, nullptr) << e.second;
  }
  LRESULT (WNDPROC::*call)(HWND, UINT, WPARAM, LPARAM) const = &WNDPROC::operator();
  bool (WNDPROC::*instance)() const = &WNDPROC::IsObjectInstance;
  EXPECT_NE(call, nullptr);
  EXPECT_NE(instance, nullptr);
}

TEST(Monitors, ExtraMonitorsAnswerByPointRectangleAndEnumeration) {
  const SIZE primary = ScreenSize();
  const RECT second{-640, 0, 0, 480}, secondWork{-640, 0, 0, 450};
  SetExtraMonitors({{second, secondWork}});
  HMONITOR left = MonitorFromPoint(POINT{-10, 10}, MONITOR_DEFAULTTONULL);
  ASSERT_NE(left, nullptr);
  HMONITOR main = MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONULL);
  EXPECT_NE(left, main);
  EXPECT_EQ(MonitorFromPoint(POINT{-10, 900}, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromPoint(POINT{-700, 900}, MONITOR_DEFAULTTONEAREST), left);
  EXPECT_EQ(MonitorFromPoint(POINT{-700, 900}, MONITOR_DEFAULTTOPRIMARY), main);
  const RECT mostlyLeft{-100, 0, 20, 20};
  EXPECT_EQ(MonitorFromRect(&mostlyLeft, MONITOR_DEFAULTTONULL), left);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetMonitorInfoW(left, &info));
  EXPECT_EQ(info.rcWork, secondWork);
  EXPECT_EQ(info.dwFlags, 0u);
  ASSERT_TRUE(GetMonitorInfoW(main, &info));
  EXPECT_EQ(info.rcMonitor, (RECT{0, 0, primary.cx, primary.cy}));
  EXPECT_EQ(info.dwFlags, MONITORINFOF_PRIMARY);
  int count = 0;
  EnumDisplayMonitors(nullptr, nullptr, [](HMONITOR, HDC, LPRECT, LPARAM n) -> BOOL {
    ++*reinterpret_cast<int*>(n);
    return TRUE;
  }, LPARAM(&count));
  EXPECT_EQ(count, 2);
  SetExtraMonitors({});
  EXPECT_FALSE(GetMonitorInfoW(left, &info));
}

}  // namespace
}  // namespace wintest
