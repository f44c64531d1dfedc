#include "lib/lookandfeel/vlWindowUtils.h"

#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlGeometry.h"
#include "platform/classes/Lists.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Menus.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"
#include "platform/win/Modules.h"

using namespace win;

namespace {

using TMonitorFromPoint = HMONITOR (*)(POINT, DWORD);
using TGetMonitorInfo = BOOL (*)(HMONITOR, MONITORINFO*);
using TGetScrollBarInfo = BOOL (*)(HWND, LONG, SCROLLBARINFO*);

TMonitorFromPoint MonitorFromPointProc{};
TGetMonitorInfo GetMonitorInfoProc{};
TGetScrollBarInfo GetScrollBarInfoProc{};

Integer WaitCursorCount = 0;
TCursor SavedCursor = crDefault;

void Startup() {
  HMODULE user32 = FindLoadedModule(u"user32");
  MonitorFromPointProc = reinterpret_cast<TMonitorFromPoint>(GetProcAddress(user32, "MonitorFromPoint"));
  GetMonitorInfoProc = reinterpret_cast<TGetMonitorInfo>(GetProcAddress(user32, "GetMonitorInfoW"));
  GetScrollBarInfoProc = reinterpret_cast<TGetScrollBarInfo>(GetProcAddress(user32, "GetScrollBarInfo"));
}

void Shutdown() {
  MonitorFromPointProc = nullptr;
  GetMonitorInfoProc = nullptr;
  GetScrollBarInfoProc = nullptr;
}

// The four bands of R around AInner, or R itself when AInner is empty.
template <typename F>
void ForEachBandExcept(const TRect& R, const TRect& AInner, F AProc) {
  if (vlIsRectEmpty(R) || vlRectsEqual(R, AInner)) return;
  if (vlIsRectEmpty(AInner)) {
    AProc(R);
    return;
  }
  const TRect bands[] = {TRect{R.Left, R.Top, AInner.Left, R.Bottom}, TRect{AInner.Left, R.Top, AInner.Right, AInner.Top},
                         TRect{AInner.Right, R.Top, R.Right, R.Bottom},
                         TRect{AInner.Left, AInner.Bottom, AInner.Right, R.Bottom}};
  for (const TRect& b : bands)
    if (!vlIsRectEmpty(b)) AProc(b);
}

}  // namespace

CL_UNIT_STEPS(vlWindowUtils, &Startup, &Shutdown);

// --- Keys and characters ---------------------------------------------------------

Boolean vlIsTextInputChar(Char C) { return (nbGetCharTypeFlags(C) & C1_CNTRL) == 0; }

Boolean vlIsCharStartingEdit(Char C) { return vlIsTextInputChar(C) || C == 8 || C == 22 || C == 24; }

Boolean vlIsCharStartingIncrementalSearch(Char C) { return vlIsTextInputChar(C) || C == 8; }

Boolean vlIsNumericInputChar(Char C, Integer ANumberKind) {
  if ((nbGetCharTypeFlags(C) & C1_DIGIT) != 0 || C == u'+' || C == u'-') return true;
  if ((ANumberKind == vlnkFloat || ANumberKind == vlnkFloatWithExponent) && C == FormatSettings().DecimalSeparator)
    return true;
  return ANumberKind == vlnkFloatWithExponent && (C == u'e' || C == u'E');
}

Boolean vlIsSystemKey(Word AKey) {
  if (AKey > 255) return false;
  switch (AKey) {
    case 0x03: case 0x08: case 0x09: case 0x0C: case 0x0D: case 0x1B: case 0xE5: return true;
    default: break;
  }
  return (AKey >= 0x10 && AKey <= 0x14) || (AKey >= 0x21 && AKey <= 0x2F) || (AKey >= 0x5B && AKey <= 0x91) ||
         (AKey >= 0xA0 && AKey <= 0xA5) || (AKey >= 0xF6 && AKey <= 0xFE);
}

Char vlKeyCodeToChar(Word AKey) {
  UINT scan = MapVirtualKeyW(AKey, MAPVK_VK_TO_VSC);
  BYTE state[256] = {};
  GetKeyboardState(state);
  Char buffer[2] = {};
  return ToUnicode(AKey, scan, state, buffer, 1, 0) == 1 ? buffer[0] : Char(0);
}

Word vlShiftStateToMouseKeys(const TShiftState& AShift) {
  Word result = 0;
  if (AShift.Contains(ssShift)) result |= MK_SHIFT;
  if (AShift.Contains(ssCtrl)) result |= MK_CONTROL;
  if (AShift.Contains(ssLeft)) result |= MK_LBUTTON;
  if (AShift.Contains(ssRight)) result |= MK_RBUTTON;
  if (AShift.Contains(ssMiddle)) result |= MK_MBUTTON;
  return result;
}

Word vlNormalizeKey(Word AKey) { return AKey; }

TShiftState vlGetShiftStateNow() { return KeyboardStateToShiftState(); }

Cardinal vlGetDoubleClickTime() { return GetDoubleClickTime(); }

// --- Windows, rectangles and the desktop -------------------------------------------

TRect vlGetDesktopWorkAreaAtPoint(const TPoint& P) {
  if (MonitorFromPointProc && GetMonitorInfoProc) {
    if (HMONITOR monitor = MonitorFromPointProc(P, MONITOR_DEFAULTTONEAREST)) {
      MONITORINFO info{};
      info.cbSize = 40;
      if (GetMonitorInfoProc(monitor, &info)) return info.rcWork;
    }
  }
  TRect work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void vlFitRectToDesktop(TRect& ABounds, const TPoint& ADesktopPoint) {
  const TRect work = vlGetDesktopWorkAreaAtPoint(ADesktopPoint);
  auto moveBy = [&](Integer dx, Integer dy) { ABounds = vlOffsetRect(ABounds, dx, dy); };
  if (ABounds.Right > work.Right) moveBy(work.Right - ABounds.Right, 0);
  if (ABounds.Bottom > work.Bottom) moveBy(0, work.Bottom - ABounds.Bottom);
  if (ABounds.Left < work.Left) moveBy(work.Left - ABounds.Left, 0);
  if (ABounds.Top < work.Top) moveBy(0, work.Top - ABounds.Top);
}

TPoint vlGetMouseCursorPos() {
  POINT p{};
  if (!GetCursorPos(&p)) return TPoint{-1, -1};
  return p;
}

TPoint vlMapPointBetweenWindows(const TPoint& P, HWND AFrom, HWND ATo) {
  POINT p = P;
  MapWindowPoints(AFrom, ATo, &p, 1);
  return p;
}

TRect vlMapRectBetweenWindows(const TRect& R, HWND AFrom, HWND ATo) {
  POINT corners[2] = {R.TopLeft(), R.BottomRight()};
  MapWindowPoints(AFrom, ATo, corners, 2);
  return TRect{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

HWND vlDeepestWindowFromPoint(const TPoint& P) {
  HWND result = WindowFromPoint(P);
  while (result) {
    POINT local = P;
    ScreenToClient(result, &local);
    HWND child = ChildWindowFromPointEx(result, local, CWP_SKIPINVISIBLE);
    if (!child || child == result) break;
    result = child;
  }
  return result;
}

TvlPosition vlGetNearestRectSide(const TRect& ARect, const TPoint& P, Boolean AHorizontal, Boolean AVertical) {
  if (AHorizontal && AVertical) {
    // cross products with the two diagonals, in 64 bits; y grows downward,
    // so the product is taken with the y axis turned up
    auto cross = [](Int64 ax, Int64 ay, Int64 bx, Int64 by) { return ay * bx - ax * by; };
    Int64 s1 = cross(Int64(ARect.Right) - ARect.Left, Int64(ARect.Top) - ARect.Bottom, Int64(P.X) - ARect.Left,
                     Int64(P.Y) - ARect.Bottom);
    Int64 s2 = cross(Int64(ARect.Right) - ARect.Left, Int64(ARect.Bottom) - ARect.Top, Int64(P.X) - ARect.Left,
                     Int64(P.Y) - ARect.Top);
    if (s1 >= 0) return s2 >= 0 ? posTop : posLeft;
    return s2 >= 0 ? posRight : posBottom;
  }
  if (AHorizontal) return P.X < ARect.Left + (Int64(ARect.Right) - ARect.Left) / 2 ? posLeft : posRight;
  if (AVertical) return P.Y < ARect.Top + (Int64(ARect.Bottom) - ARect.Top) / 2 ? posTop : posBottom;
  return posNone;
}

Boolean vlHasChildWindowStyle(HWND AWnd) { return (GetWindowLongW(AWnd, GWL_STYLE) & WS_CHILD) != 0; }

Boolean vlIsSelfOrChildWindow(HWND AParentWnd, HWND AWnd) {
  return AParentWnd && (AWnd == AParentWnd || IsChild(AParentWnd, AWnd));
}

Boolean vlIsAncestorWindow(HWND AAncestorWnd, HWND AWnd) {
  if (!AAncestorWnd) return false;
  for (HWND w = AWnd ? GetParent(AWnd) : nullptr; w; w = GetParent(w))
    if (w == AAncestorWnd) return true;
  return false;
}

Boolean vlIsWindowEnabledWithParents(HWND AWnd) {
  if (!IsWindowEnabled(AWnd)) return false;
  for (HWND w = AWnd; vlHasChildWindowStyle(w);) {
    w = GetParent(w);
    if (!w) break;
    if (!IsWindowEnabled(w)) return false;
  }
  return true;
}

Boolean vlIsMDIChildForm(TCustomForm* AForm) {
  return AForm && !AForm->ComponentState().Contains(csDesigning) && AForm->FormStyle() == fsMDIChild;
}

Boolean vlIsMDIParentForm(TCustomForm* AForm) {
  return AForm && !AForm->ComponentState().Contains(csDesigning) && AForm->FormStyle() == fsMDIForm;
}

Boolean vlCanAllocateHandle(TWinControl* AControl) {
  if (!AControl || AControl->ComponentState().Contains(csDestroying)) return false;
  if (AControl->HandleAllocated() || AControl->ParentWindow()) return true;
  if (AControl->Parent()) return vlCanAllocateHandle(AControl->Parent());
  return Is<TCustomForm>(AControl) && Application && Application->Handle() != nullptr;
}

Boolean vlIsWithinDragThreshold(const TPoint& AMouseDownPos, Integer X, Integer Y) {
  const Int64 threshold = Mouse()->DragThreshold();
  return std::abs(Int64(X) - AMouseDownPos.X) < threshold && std::abs(Int64(Y) - AMouseDownPos.Y) < threshold;
}

Integer vlDragDetect(HWND AWnd) {
  const Integer threshold = Mouse()->DragThreshold();
  POINT origin{};
  GetCursorPos(&origin);
  const TRect square{origin.x - threshold, origin.y - threshold, origin.x + threshold, origin.y + threshold};
  SetCapture(AWnd);
  Integer result = 2;
  Finally release([&] {
    if (GetCapture() == AWnd) ReleaseCapture();
  });
  while (GetCapture() == AWnd) {
    MSG msg{};
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_ESCAPE) {
      result = 2;
      break;
    }
    if (msg.message == WM_MOUSEMOVE && msg.hwnd == AWnd) {
      POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
      ClientToScreen(AWnd, &p);
      if (!vlPointInRect(square, p)) {
        result = 1;
        break;
      }
    }
    if (msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP || msg.message == WM_MBUTTONUP) {
      result = 0;
      break;
    }
  }
  return result;
}

// --- Menus, cursors, dialogs, text and forms ----------------------------------------

Integer vlGetPopupMenuHeight(TPopupMenu* APopupMenu) {
  HDC dc = GetDC(nullptr);
  TCanvas* canvas = New<TCanvas>();
  Finally cleanup([&] {
    canvas->SetHandle(nullptr);
    Free(canvas);
    ReleaseDC(nullptr, dc);
  });
  canvas->SetHandle(dc);
  canvas->Font()->Assign(Screen->MenuFont());
  const Integer defaultHeight = canvas->TextHeight(u"Qg") + 4;
  Integer column = 0, tallest = 0;
  TMenuItem* items = APopupMenu->Items();
  for (Integer i = 0; i < items->Count(); ++i) {
    TMenuItem* item = items->Items(i);
    if (!item->Visible()) continue;
    if (item->Break() != mbNone) {
      tallest = std::max(tallest, column);
      column = 0;
    }
    Integer height = defaultHeight;
    if (APopupMenu->OwnerDraw() || item->GetImageList() || !item->Bitmap()->Empty()) {
      Integer width = 0;
      item->MeasureItem(canvas, width, height);
    }
    column += height;
  }
  return std::max(tallest, column) + 4;
}

Boolean vlIsPopupMenuShortCut(TComponent* APopupMenu, TWMKey& AMessage) {
  if (!APopupMenu) return false;
  if (auto* external = dynamic_cast<IvlExternalPopupMenu*>(APopupMenu)) return external->IsShortCutKey(AMessage);
  if (auto* menu = dynamic_cast<TPopupMenu*>(APopupMenu)) return menu->IsShortCut(AMessage);
  return false;
}

Boolean vlShowPopupMenu(TControl* AControl, TComponent* APopupMenu, Integer X, Integer Y) {
  if (!APopupMenu) return false;
  if (auto* external = dynamic_cast<IvlExternalPopupMenu*>(APopupMenu)) {
    external->Popup(X, Y);
    return true;
  }
  auto* menu = dynamic_cast<TPopupMenu*>(APopupMenu);
  if (!menu || !menu->AutoPopup()) return false;
  menu->SetPopupComponent(AControl);
  menu->Popup(X, Y);
  return true;
}

void vlBeginWaitCursor() {
  if (WaitCursorCount++ == 0) {
    SavedCursor = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
  }
}

void vlEndWaitCursor() {
  if (WaitCursorCount == 0) return;
  if (--WaitCursorCount == 0) Screen->SetCursor(SavedCursor);
}

Integer vlShowMessageDialog(const String& AMessage, const String& ACaption, TMsgDlgType ADlgType,
                            const TMsgDlgButtons& AButtons, Integer AHelpContext) {
  TForm* dialog = CreateMessageDialog(AMessage, ADlgType, AButtons);
  Finally release([&] { Free(dialog); });
  if (!ACaption.empty()) dialog->SetCaption(ACaption);
  dialog->SetHelpContext(AHelpContext);
  dialog->SetPosition(poScreenCenter);
  return dialog->ShowModal();
}

String vlGetFullComponentName(TComponent* AComponent) {
  if (!AComponent) return String();
  String result = AComponent->Name();
  for (TComponent* owner = AComponent->Owner(); owner; owner = owner->Owner()) result = owner->Name() + u"." + result;
  return result;
}

void vlSetFormFontAndScale(TCustomForm* AForm, TFont* AFont) {
  TCanvas* canvas = AForm->Canvas();
  const Integer oldHeight = canvas->TextHeight(u"Qq");
  AForm->Font()->Assign(AFont);
  canvas->Font()->Assign(AForm->Font());
  const Integer newHeight = canvas->TextHeight(u"Qq");
  if (oldHeight == 0 || newHeight == oldHeight) return;
  const Integer clientWidth = AForm->ClientWidth(), clientHeight = AForm->ClientHeight();
  AForm->ScaleBy(newHeight, oldHeight);
  AForm->SetClientWidth(MulDiv(clientWidth, newHeight, oldHeight));
  AForm->SetClientHeight(MulDiv(clientHeight, newHeight, oldHeight));
}

void vlDesignerModified(TComponent* AComponent) {
  // No form designer runs in this system: a component at design time has
  // nobody to tell.
  (void)AComponent;
}

// --- Window, focus and painting routines of the container unit ----------------------

HWND vlGetTopLevelWindow(HWND AWnd) {
  for (HWND w = AWnd; w; w = GetParent(w))
    if (!vlHasChildWindowStyle(w)) return w;
  return nullptr;
}

Boolean vlFindFormOfWindow(HWND AWnd, TCustomForm*& AForm, TFormStyle& AFormStyle) {
  AForm = dynamic_cast<TCustomForm*>(FindControl(AWnd));
  if (!AForm) return false;
  AFormStyle = AForm->FormStyle();
  return true;
}

Boolean vlIsActiveWindow(HWND AWnd) { return AWnd && AWnd == GetActiveWindow(); }

Boolean vlIsActiveMDIChild(TCustomForm* AForm) {
  if (!vlIsMDIChildForm(AForm) || !Application) return false;
  TCustomForm* main = Application->MainForm();
  return main && main->HandleAllocated() && vlIsActiveWindow(main->WindowHandle()) &&
         main->ActiveMDIChild() == AForm;
}

Boolean vlIsFormWindowActive(TCustomForm* AForm) {
  return AForm && !vlIsMDIChildForm(AForm) && AForm->HandleAllocated() &&
         vlIsActiveWindow(vlGetTopLevelWindow(AForm->Handle()));
}

Boolean vlIsFormActive(TCustomForm* AForm) {
  if (!AForm || !AForm->HandleAllocated()) return false;
  return vlIsActiveWindow(AForm->Handle()) || vlIsActiveMDIChild(AForm) ||
         vlIsActiveWindow(vlGetTopLevelWindow(AForm->Handle()));
}

Boolean vlIsControlWindowVisible(TWinControl* AControl) {
  return AControl && AControl->HandleAllocated() && IsWindowVisible(AControl->Handle());
}

Boolean vlIsChildWindowOfControl(TWinControl* AControl, HWND AWnd) {
  return AControl && AControl->HandleAllocated() && IsChild(AControl->Handle(), AWnd);
}

TRect vlGetControlLocalRect(TControl* AControl) { return TRect{0, 0, AControl->Width(), AControl->Height()}; }

TPoint vlGetCursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return p;
}

Boolean vlQueryScrollBarInfo(HWND AWnd, Integer AObjectId, SCROLLBARINFO& AInfo) {
  AInfo.cbSize = 60;
  return GetScrollBarInfoProc && GetScrollBarInfoProc(AWnd, AObjectId, &AInfo);
}

void vlExtendRectByEdges(TRect& R, Integer AWidth, const TvlBorders& AEdges) {
  if (AEdges.Contains(bLeft)) R.Left -= AWidth;
  if (AEdges.Contains(bTop)) R.Top -= AWidth;
  if (AEdges.Contains(bRight)) R.Right += AWidth;
  if (AEdges.Contains(bBottom)) R.Bottom += AWidth;
}

void vlDeflateRectByMissingEdges(TRect& R, Integer AWidth, const TvlBorders& AEdges) {
  if (!AEdges.Contains(bLeft)) R.Left += AWidth;
  if (!AEdges.Contains(bTop)) R.Top += AWidth;
  if (!AEdges.Contains(bRight)) R.Right -= AWidth;
  if (!AEdges.Contains(bBottom)) R.Bottom -= AWidth;
}

void vlFillRectExcept(TvlCanvas* ACanvas, const TRect& R, const TRect& AInner, TColor AColor) {
  ForEachBandExcept(R, AInner, [&](const TRect& band) { ACanvas->FillRect(band, AColor); });
}

void vlInvalidateRectExcept(HWND AWnd, const TRect& R, const TRect& AInner, Boolean AErase) {
  ForEachBandExcept(R, AInner, [&](const TRect& band) { InvalidateRect(AWnd, &band, AErase); });
}

void vlInvalidateControlRect(TWinControl* AControl, const TRect& R, Boolean AErase) {
  if (AControl && AControl->HandleAllocated()) InvalidateRect(AControl->Handle(), &R, AErase);
}

Boolean vlHasPendingMessage(HWND AWnd, Cardinal AMsg) {
  MSG msg{};
  return PeekMessageW(&msg, AWnd, AMsg, AMsg, PM_NOREMOVE) && msg.hwnd == AWnd;
}

Boolean vlRemovePendingMessages(HWND AWnd, Cardinal AMin, Cardinal AMax, Boolean AAll) {
  Boolean removed = false;
  MSG msg{};
  while (PeekMessageW(&msg, AWnd, AMin, AMax, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    removed = true;
    if (!AAll) break;
  }
  return removed;
}

void vlDisableWindow(TList* AList, HWND AWnd) {
  if (IsWindowEnabled(AWnd)) {
    EnableWindow(AWnd, FALSE);
    AList->Add(AWnd);
  }
}

void vlEnableWindows(TList* AList) {
  for (Integer i = 0; i < AList->Count(); ++i) {
    HWND w = static_cast<HWND>(AList->Items(i));
    if (IsWindow(w)) EnableWindow(w, TRUE);
  }
}

Boolean vlStringsEqual(const String& S1, const String& S2, Boolean ACaseSensitive) {
  return ACaseSensitive ? AnsiCompareStr(S1, S2) == 0 : AnsiUpperCase(S1) == AnsiUpperCase(S2);
}

void vlAssignFont(TFont* ADest, TFont* ASource) { ADest->Assign(ASource); }

void vlRecreateWnd(TWinControl* AControl) { AControl->RecreateWnd(); }
