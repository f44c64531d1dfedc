// The radio button, the radio group's buttons, items and properties, the
// group itself and the unit's start-up.
#include "lib/editors/vlRadioGroup.h"

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/foundation/vlTextLayout.h"
#include "lib/foundation/vlVariants.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlRadioButtonImageList.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

constexpr Integer kDefaultWidth = 185, kDefaultHeight = 105;

void Startup() {
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlRadioGroupProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryRadioGroupItem));
  vlFilterEditsController()->Register(ClassOf<TvlRadioGroupProperties>(), ClassOf<TvlFilterRadioGroupHelper>());
  RegisterClasses({ClassOf<TvlRadioGroup>(), ClassOf<TvlRadioGroupProperties>(), ClassOf<TvlRadioButton>()});
}

void Shutdown() {
  vlFilterEditsController()->Unregister(ClassOf<TvlRadioGroupProperties>(), ClassOf<TvlFilterRadioGroupHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlRadioGroupProperties>());
}

TvlButtonState ButtonStateOf(TvlRadioButtonState AState) {
  switch (AState) {
    case rbsDisabled: return vlbsDisabled;
    case rbsHot: return vlbsHot;
    case rbsPressed: return vlbsPressed;
    default: return vlbsNormal;
  }
}

// The caption offsets of a radio button (left, top, right, bottom, inward).
TRect RadioButtonTextOffsets(Boolean AInGroup, Boolean AInplaceGroup, Boolean ANative, Boolean AWordWrap,
                             TAlignment AAlignment) {
  if (AInplaceGroup) return ANative ? TRect{3, 0, 0, 0} : TRect{5, 0, 1, 0};
  (void)AInGroup;
  const Boolean left = AAlignment == taLeftJustify;
  if (ANative) {
    if (left) return AWordWrap ? TRect{0, -1, 3, 0} : TRect{0, -1, 1, 0};
    return TRect{3, -1, 0, 0};
  }
  if (left) return AWordWrap ? TRect{2, -1, 6, 0} : TRect{2, -1, 1, 0};
  return AWordWrap ? TRect{5, -1, 2, 0} : TRect{5, -1, 0, 0};
}

}  // namespace

CL_UNIT_STEPS(vlRadioGroup, &Startup, &Shutdown);

// --- The radio button ---------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlRadioButton, P) {
  P.Property(u"LookAndFeel", &TvlRadioButton::LookAndFeel, &TvlRadioButton::SetLookAndFeel);
  P.Property(u"PopupMenu", &TvlRadioButton::PopupMenu, &TvlRadioButton::SetPopupMenu);
  PublishControlProperties(P, {u"ParentBackground"});
  P.Property(u"Transparent", &TvlRadioButton::Transparent, &TvlRadioButton::SetTransparent).Default(false);
}

void TvlRadioButton::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  TControlStyle style = ControlStyle();
  style.Include(csDoubleClicks);
  SetControlStyle(style);
  FControlCanvas = New<TControlCanvas>();
  FControlCanvas->SetControl(this);
  FCanvas = New<TvlCanvas>(static_cast<TCanvas*>(FControlCanvas));
  FLookAndFeel = New<TvlLookAndFeel>(static_cast<TPersistent*>(this));
  FLookAndFeel->SetOnChanged(TvlLookAndFeelChangedEvent(this, &TvlRadioButton::LookAndFeelChanged));
  FState = rbsNormal;
  SetParentBackground(true);
  vlGetRadioButtonImages();
}

void TvlRadioButton::Destroy() {
  vlStopMouseTracking(this);
  FreeAndNil(FLookAndFeel);
  FreeAndNil(FCanvas);
  FreeAndNil(FControlCanvas);
  inherited::Destroy();
}

void TvlRadioButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style = (Params.Style & ~DWORD(0x0F)) | BS_OWNERDRAW;
}

void TvlRadioButton::CreateHandle() {
  inherited::CreateHandle();
  TPoint p{};
  GetCursorPos(&p);
  UpdateState(KeyboardStateToShiftState(), ScreenToClient(p));
}

Boolean TvlRadioButton::Focused() { return !ComponentState().Contains(csDesigning) && inherited::Focused(); }

void TvlRadioButton::Invalidate() {
  if (HandleAllocated()) InvalidateRect(WindowHandle(), nullptr, false);
}

void TvlRadioButton::SetPopupMenu(TComponent* Value) {
  if (Value && !Is<TPopupMenu>(Value) && !dynamic_cast<IvlExternalPopupMenu*>(Value)) Value = nullptr;
  if (FPopupMenu == Value) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TvlRadioButton::SetTransparent(Boolean Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Invalidate();
}

void TvlRadioButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TvlRadioButton::LookAndFeelChanged(TvlLookAndFeel*, TvlLookAndFeelValues) { Invalidate(); }

Boolean TvlRadioButton::IsNativeBackground() { return IsNativeStyle() && ParentBackground() && !IsInplace(); }

Boolean TvlRadioButton::IsNativeStyle() { return FLookAndFeel->NativeStyle() && nbIsThemeAvailable(totButton); }

Boolean TvlRadioButton::IsTransparentBackground() { return IsTransparent(); }

TvlCustomLookAndFeelPainterClass TvlRadioButton::Painter() { return FLookAndFeel->GetAvailablePainter(totButton); }

TColor TvlRadioButton::GlyphBackgroundColor() {
  if (!IsTransparentBackground()) return Color();
  return FLookAndFeel->SkinPainter() ? clNone : clDefault;
}

void TvlRadioButton::AdjustTextRect(TRect& ARect, Boolean ANativeStyle) {
  TvlCustomRadioGroup* group = Group();
  const TRect offsets = RadioButtonTextOffsets(group != nullptr, group && group->IsInplace(), ANativeStyle,
                                               WordWrap(), Alignment());
  ARect = vlDeflateRectByBorders(ARect, offsets);
}

void TvlRadioButton::DrawBackground() {
  if (IsTransparentBackground()) return;
  FCanvas->FillRect(ClientRect(), Color());
}

void TvlRadioButton::DrawCaption(TvlCanvas* ACanvas, Boolean ANativeStyle) {
  TvlCustomRadioGroup* group = Group();
  TvlCustomLookAndFeelPainterClass painter = Painter();
  if (group) {
    // The group's font unrotated: a vertical group caption does not turn the items' captions.
    ACanvas->Font()->Assign(group->GetVisibleFont());
    TColor c = clDefault;
    if (TvlCustomLookAndFeelPainterClass skin = group->Style()->LookAndFeel()->SkinPainter())
      c = skin->GroupBoxTextColor(Enabled(), vlGetCaptionPosition(group->Alignment()));
    else if (group->UsesNativeStyle())
      c = ClassOf<TvlWinXPLookAndFeelPainter>()->GroupBoxTextColor(Enabled(), vlGetCaptionPosition(group->Alignment()));
    if (c != clDefault) ACanvas->Font()->SetColor(c);
  } else {
    ACanvas->Font()->Assign(Font());
    const TColor c = painter->DefaultEditorTextColor(!Enabled());
    if (Font()->Color() == clWindowText && c != clDefault)
      ACanvas->Font()->SetColor(c);
    else
      ACanvas->Font()->SetColor(Enabled() ? Font()->Color() : clBtnShadow);
  }
  TRect r = ClientRect();
  if (Alignment() == taRightJustify)
    r.Left = FButtonRect.Right;
  else
    r.Right = FButtonRect.Left;
  AdjustTextRect(r, ANativeStyle);
  const Integer flags = WordWrap() ? (vlAlignLeft | vlAlignVCenter | vlDontClip | vlShowPrefix | vlWordBreak)
                                   : (vlAlignLeft | vlAlignVCenter | vlSingleLine | vlShowPrefix);
  ACanvas->Brush()->SetStyle(bsClear);
  const Boolean embossed = !Enabled() && !ANativeStyle && !group && painter->DefaultEditorTextColor(true) == clDefault;
  ACanvas->DrawTexT(Caption(), r, flags, !embossed);
  if (!Focused() || Caption().empty()) return;
  TRect focus = r;
  ACanvas->TextExtent(Caption(), focus, flags);
  focus = vlInflateRectSides(focus, 1, 1, 1, 2);
  if (group && group->IsInplace()) {
    focus.Top = std::max(focus.Top, 1);
    focus.Bottom = std::min(focus.Bottom, Height() - 1);
    focus.Right = std::min(focus.Right, Width());
  } else {
    TRect client = ClientRect();
    IntersectRect(&focus, &focus, &client);
    if (Alignment() == taLeftJustify) focus.Right = std::min(focus.Right, FButtonRect.Left);
  }
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->Brush()->SetColor(Color());
  ACanvas->Font()->SetColor(Font()->Color());
  ACanvas->DrawFocusRect(focus);
}

void TvlRadioButton::DrawItem(Boolean AFocusOnly) {
  const Boolean native = IsNativeStyle();
  if (!AFocusOnly) {
    if (IsTransparentBackground())
      vlDrawTransparentBackground(this, FCanvas, ClientRect(), true);
    else if (IsNativeBackground())
      vlDrawParentBackground(this, FCanvas, ClientRect());
    if (native) DrawBackground();
  }
  TvlCustomLookAndFeelPainterClass painter = Painter();
  const TSize glyph = painter->RadioButtonSize();
  const Integer top = (Height() - glyph.cy) / 2;
  Integer left;
  if (Alignment() == taRightJustify)
    left = (!native && !IsInplace()) ? 1 : 0;
  else
    left = Width() - glyph.cx;
  FButtonRect = vlRectFromBounds(left, top, glyph.cx, glyph.cy);
  FCanvas->SaveClipRegion();
  Finally restore([&] { FCanvas->RestoreClipRegion(); });
  painter->DrawRadioButton(FCanvas, FButtonRect.Left, FButtonRect.Top, ButtonStateOf(FState), Checked(), Focused(),
                           GlyphBackgroundColor(), ComponentState().Contains(csDesigning));
  FCanvas->ExcludeClipRect(FButtonRect);
  if (!AFocusOnly && !native) DrawBackground();
  DrawCaption(FCanvas, native);
}

void TvlRadioButton::UpdateState(TShiftState AShift, const TPoint& APoint) {
  TvlRadioButtonState state;
  const TRect client = ClientRect();
  if (!Enabled())
    state = rbsDisabled;
  else if (ComponentState().Contains(csDesigning))
    state = rbsNormal;
  else if (HandleAllocated() && GetCapture() == WindowHandle())
    state = vlPointInRect(client, APoint) ? rbsPressed : rbsHot;
  else
    state = (vlPointInRect(client, APoint) && AShift.Empty()) ? rbsHot : rbsNormal;
  if (state == FState) return;
  FState = state;
  if (HandleAllocated()) {
    const RECT r = vlInflateRectBy(FButtonRect, 1, 1);
    InvalidateRect(WindowHandle(), &r, false);
  }
}

void TvlRadioButton::EnabledChanged() {
  TPoint p{};
  GetCursorPos(&p);
  UpdateState(KeyboardStateToShiftState(), HandleAllocated() ? ScreenToClient(p) : TPoint{-1, -1});
  Invalidate();
}

void TvlRadioButton::MouseEnter(TControl*) {
  TPoint p{};
  GetCursorPos(&p);
  UpdateState(KeyboardStateToShiftState(), ScreenToClient(p));
  if (HandleAllocated()) vlStartMouseTracking(this, ClientRect(), this);
}

void TvlRadioButton::MouseLeave(TControl*) {
  vlStopMouseTracking(this);
  UpdateState(TShiftState{}, TPoint{-1, -1});
}

void TvlRadioButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<TvlRadioButton> self(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (self) UpdateState(Shift, TPoint{X, Y});
}

void TvlRadioButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<TvlRadioButton> self(this);
  inherited::MouseMove(Shift, X, Y);
  if (!self) return;
  UpdateState(Shift, TPoint{X, Y});
  if (HandleAllocated()) vlStartMouseTracking(this, ClientRect(), this);
}

void TvlRadioButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<TvlRadioButton> self(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (self) UpdateState(Shift, TPoint{X, Y});
}

void TvlRadioButton::DoEnter() {
  TWeakRef<TvlRadioButton> self(this);
  inherited::DoEnter();
  if (!self || Checked() || ClicksDisabled()) return;
  SetClicksDisabled(true);
  {
    Finally enable([&] {
      if (self) SetClicksDisabled(false);
    });
    SetChecked(true);
  }
  if (self && !ComponentState().Contains(csLoading)) Click();
}

void TvlRadioButton::DoShowPopupMenu(TComponent* APopupMenu, Integer X, Integer Y) {
  vlShowPopupMenu(this, APopupMenu, X, Y);
}

void TvlRadioButton::DoContextPopup(TPoint MousePos, Boolean& Handled) {
  inherited::DoContextPopup(MousePos, Handled);
  if (Handled || !FPopupMenu) return;
  const TPoint p = ClientToScreen(MousePos);
  Handled = vlShowPopupMenu(this, FPopupMenu, p.X, p.Y);
}

void TvlRadioButton::WMContextMenu(TMessage& Message) {
  if (Message.Result != 0 || ComponentState().Contains(csDesigning)) {
    inherited::Dispatch(Message);
    return;
  }
  const Integer x = Integer(SmallInt(LOWORD(Message.LParam))), y = Integer(SmallInt(HIWORD(Message.LParam)));
  TPoint p;
  if (x == -1 && y == -1)
    p = TPoint{0, 0};
  else {
    p = ScreenToClient(TPoint{x, y});
    if (!vlPointInRect(ClientRect(), p)) {
      inherited::Dispatch(Message);
      return;
    }
  }
  Boolean handled = false;
  DoContextPopup(p, handled);
  if (handled) Message.Result = 1;
}

void TvlRadioButton::CNKeyDown(TMessage& Message) {
  TWMKey key(Message);
  if (FPopupMenu && vlIsPopupMenuShortCut(FPopupMenu, key)) {
    Message.Result = 1;
    return;
  }
  inherited::Dispatch(Message);
}

void TvlRadioButton::CNDrawItem(TMessage& Message) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  Message.Result = 1;
  if (!dis || !FCanvas) return;
  FControlCanvas->SetHandle(dis->hDC);
  Finally release([&] { FControlCanvas->SetHandle(nullptr); });
  DrawItem(dis->itemAction == ODA_FOCUS);
}

void TvlRadioButton::CNMeasureItem(TMessage& Message) {
  if (auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam)) {
    mis->itemWidth = UINT(Width());
    mis->itemHeight = UINT(Height());
  }
}

void TvlRadioButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_ERASEBKGND: Message.Result = 1; break;
    case WM_WINDOWPOSCHANGED:
      inherited::Dispatch(Message);
      if (IsTransparentBackground()) Invalidate();
      break;
    case BM_SETCHECK:
      inherited::Dispatch(Message);
      if (HandleAllocated()) {
        const RECT r = FButtonRect;
        InvalidateRect(WindowHandle(), &r, false);
      }
      break;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(Message);
      EnabledChanged();
      break;
    case CM_MOUSEENTER:
      inherited::Dispatch(Message);
      MouseEnter(reinterpret_cast<TControl*>(Message.LParam));
      break;
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      MouseLeave(reinterpret_cast<TControl*>(Message.LParam));
      break;
    case CM_SYSCOLORCHANGE:
      inherited::Dispatch(Message);
      Invalidate();
      break;
    case CN_DRAWITEM: CNDrawItem(Message); break;
    case CN_MEASUREITEM: CNMeasureItem(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN: CNKeyDown(Message); break;
    default: inherited::Dispatch(Message);
  }
}

// --- A group's button ---------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomRadioGroupButton)

void TvlCustomRadioGroupButton::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  if (TvlCustomRadioGroup* group = dynamic_cast<TvlCustomRadioGroup*>(AOwner)) {
    group->AddButton(this);
    LookAndFeel()->SetMasterLookAndFeel(group->Style()->LookAndFeel());
  }
}

void TvlCustomRadioGroupButton::Destroy() {
  if (TvlCustomRadioGroup* group = Group()) group->RemoveButton(this);
  inherited::Destroy();
}

TvlCustomRadioGroup* TvlCustomRadioGroupButton::Group() { return dynamic_cast<TvlCustomRadioGroup*>(Owner()); }

TvlContainer* TvlCustomRadioGroupButton::GetOwnerContainer() { return Group(); }

Boolean TvlCustomRadioGroupButton::CanFocus() {
  TvlCustomRadioGroup* group = Group();
  return group ? group->CanFocus() : inherited::CanFocus();
}

Boolean TvlCustomRadioGroupButton::ExecuteAction(TBasicAction* Action) {
  if (inherited::ExecuteAction(Action)) return true;
  TvlCustomRadioGroup* group = Group();
  return group && group->DataBinding()->ExecuteAction(Action);
}

Boolean TvlCustomRadioGroupButton::UpdateAction(TBasicAction* Action) {
  if (inherited::UpdateAction(Action)) return true;
  TvlCustomRadioGroup* group = Group();
  return group && group->DataBinding()->UpdateAction(Action);
}

Boolean TvlCustomRadioGroupButton::IsInplace() {
  TvlCustomRadioGroup* group = Group();
  return group && group->IsInplace();
}
Boolean TvlCustomRadioGroupButton::IsNativeBackground() {
  TvlCustomRadioGroup* group = Group();
  return group && group->AlwaysTransparent();
}
Boolean TvlCustomRadioGroupButton::IsNativeStyle() {
  TvlCustomRadioGroup* group = Group();
  return group ? group->IsButtonNativeStyle() : inherited::IsNativeStyle();
}
Boolean TvlCustomRadioGroupButton::IsTransparent() {
  TvlCustomRadioGroup* group = Group();
  return group ? group->TransparentNow() : inherited::IsTransparent();
}
Boolean TvlCustomRadioGroupButton::IsTransparentBackground() {
  TvlCustomRadioGroup* group = Group();
  return inherited::IsTransparentBackground() || (group && group->ViewInfo()->DrawsCustomBackground());
}

void TvlCustomRadioGroupButton::DrawBackground() {
  TvlCustomRadioGroup* group = Group();
  if (group && group->ViewInfo()->DrawsCustomBackground()) {
    const TPoint origin = FCanvas->WindowOrg();
    FCanvas->SetWindowOrg(TPoint{origin.X + Left(), origin.Y + Top()});
    Finally restore([&] { FCanvas->SetWindowOrg(origin); });
    group->ViewInfo()->DrawEditBackground(FCanvas, BoundsRect(), TRect{}, false);
    return;
  }
  inherited::DrawBackground();
}

void TvlCustomRadioGroupButton::DrawItem(Boolean AFocusOnly) {
  TvlCustomRadioGroup* group = Group();
  if (group && group->Style()->LookAndFeel()->SkinPainter()) {
    // Skinned: what lies under the button first (the group paints a copy meanwhile).
    group->FSkinsPaintCopy = true;
    {
      Finally reset([&] { group->FSkinsPaintCopy = false; });
      vlDrawTransparentBackground(this, FCanvas, ClientRect(), true);
    }
    inherited::DrawItem(true);
    return;
  }
  inherited::DrawItem(AFocusOnly);
}

void TvlCustomRadioGroupButton::InternalSetChecked(Boolean Value) {
  FInternalSettingChecked = true;
  Finally reset([&] { FInternalSettingChecked = false; });
  SetChecked(Value);
}

void TvlCustomRadioGroupButton::SetChecked(Boolean Value) {
  TWeakRef<TvlCustomRadioGroupButton> self(this);
  const Boolean wasChecked = Checked();
  const Boolean disabled = ClicksDisabled();
  SetClicksDisabled(true);
  {
    Finally restore([&] {
      if (self) SetClicksDisabled(disabled);
    });
    inherited::SetChecked(Value);
  }
  // A click on the checked button changes nothing and reports nothing.
  if (!self || !Value || wasChecked || FInternalSettingChecked) return;
  if (TvlCustomRadioGroup* group = Group()) group->ButtonChecked(this);
}

void TvlCustomRadioGroupButton::WndProc(TMessage& Message) {
  TvlCustomRadioGroup* group = Group();
  if (group) {
    if (group->InnerControlMenuHandler(Message)) return;
    if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && group->DragMode() == dmAutomatic &&
        !group->Dragging()) {
      group->BeginAutoDrag();
      return;
    }
    if (Message.Msg == WM_LBUTTONDOWN) {
      FFocusingByMouse = true;
      TWeakRef<TvlCustomRadioGroupButton> self(this);
      Finally reset([&] {
        if (self) FFocusingByMouse = false;
      });
      inherited::WndProc(Message);
      return;
    }
  }
  inherited::WndProc(Message);
}

void TvlCustomRadioGroupButton::WMGetDlgCode(TMessage& Message) {
  inherited::Dispatch(Message);
  TvlCustomRadioGroup* group = Group();
  if (!group) return;
  if (group->InPlaceMode() && GetKeyState(VK_CONTROL) >= 0) Message.Result |= DLGC_WANTTAB;
  // The arrow keys move between the items by columns and rows (the group's
  // key handling); left to the form, they would walk the tab order out of the group.
  Message.Result |= DLGC_WANTARROWS;
}

void TvlCustomRadioGroupButton::CNCommand(TMessage& Message) {
  const Word code = TWMCommand(Message).NotifyCode();
  if (code != BN_CLICKED && code != BN_DOUBLECLICKED) {
    inherited::Dispatch(Message);
    return;
  }
  if (FIsClickLocked) return;
  FIsClickLocked = true;
  TWeakRef<TvlCustomRadioGroupButton> self(this);
  Finally unlock([&] {
    if (self) FIsClickLocked = false;
  });
  try {
    TvlCustomRadioGroup* group = Group();
    if (!group || Checked() || (group->ValueCanBeModified() && group->DoEditing())) {
      if (self) inherited::Dispatch(Message);
    }
  } catch (...) {
    Application->HandleException(this);
  }
}

void TvlCustomRadioGroupButton::WMFocusChanged(TMessage& Message) {
  TWeakRef<TvlCustomRadioGroupButton> self(this);
  inherited::Dispatch(Message);
  if (!self || ComponentState().Contains(csDestroying)) return;
  TvlCustomRadioGroup* group = Group();
  if (!group || group->ComponentState().Contains(csDestroying)) return;
  const HWND other = HWND(Message.WParam);
  if (!group->HandleAllocated() || other != group->WindowHandle()) group->ButtonFocusChanged();
}

void TvlCustomRadioGroupButton::KeyPress(Char& Key) {
  TvlCustomRadioGroup* group = Group();
  if ((Key == u'\b' || Key == u' ') && group && !group->ValueCanBeModified()) Key = 0;
  inherited::KeyPress(Key);
}

void TvlCustomRadioGroupButton::DoEnter() {
  TvlCustomRadioGroup* group = Group();
  if (!group) {
    inherited::DoEnter();
    return;
  }
  TWeakRef<TvlCustomRadioGroupButton> self(this);
  group->ShortRefreshContainer(false);
  // The stand-alone radio button's own check on entering is not used: the group decides.
  TWinControl::DoEnter();
  if (!self || Checked() || group->IsInplace() || FFocusingByMouse) return;
  if (group->DoEditing() && self) SetChecked(true);
}

void TvlCustomRadioGroupButton::DoExit() {
  TWeakRef<TvlCustomRadioGroupButton> self(this);
  inherited::DoExit();
  if (!self) return;
  if (TvlCustomRadioGroup* group = Group()) group->ShortRefreshContainer(false);
}

void TvlCustomRadioGroupButton::Click() {
  TWeakRef<TvlCustomRadioGroupButton> self(this);
  inherited::Click();
  if (!self) return;
  TvlCustomRadioGroup* group = Group();
  if (group && !group->IsLoadingState()) group->Click();
}

void TvlCustomRadioGroupButton::DefaultHandler(TMessage& Message) {
  TvlCustomRadioGroup* group = Group();
  if (group && group->InnerControlDefaultHandler(Message)) return;
  inherited::DefaultHandler(Message);
}

void TvlCustomRadioGroupButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE: WMGetDlgCode(Message); break;
    case CN_COMMAND: CNCommand(Message); break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: WMFocusChanged(Message); break;
    default: inherited::Dispatch(Message);
  }
}

// --- Items and properties ---------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlRadioGroupItem, P) {
  P.Property(u"Value", &TvlRadioGroupItem::Value, &TvlRadioGroupItem::SetValue)
      .Stored(&TvlRadioGroupItem::IsValueStored);
}

void TvlRadioGroupItem::Create(TCollection* Collection) {
  FValue = Null();
  inherited::Create(Collection);
}

void TvlRadioGroupItem::Assign(TPersistent* Source) {
  if (TvlRadioGroupItem* src = dynamic_cast<TvlRadioGroupItem*>(Source)) SetValue(src->Value());
  inherited::Assign(Source);
}

void TvlRadioGroupItem::SetValue(const Variant& Value) {
  if (vlVarEqualsStrict(FValue, Value)) return;
  FValue = Value;
  if (TvlButtonGroupItems* items = dynamic_cast<TvlButtonGroupItems*>(Collection()))
    items->InternalNotify(this, -1, copChanged);
}

CL_IMPLEMENT_CLASS(TvlRadioGroupItems)

CL_IMPLEMENT_CLASS(TvlCustomRadioGroupProperties)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlRadioGroupProperties, P) {
  P.Property(u"AssignedValues", &TvlRadioGroupProperties::AssignedValues,
             &TvlRadioGroupProperties::SetAssignedValues);
  P.Property(u"ClearKey", &TvlRadioGroupProperties::ClearKey, &TvlRadioGroupProperties::SetClearKey)
      .Default(Word(0));
  P.Property(u"Columns", &TvlRadioGroupProperties::Columns, &TvlRadioGroupProperties::SetColumns).Default(1);
  P.Property(u"DefaultCaption", &TvlRadioGroupProperties::DefaultCaption, &TvlRadioGroupProperties::SetDefaultCaption)
      .Stored(&TvlRadioGroupProperties::IsDefaultCaptionStored);
  P.Property(u"DefaultValue", &TvlRadioGroupProperties::DefaultValue, &TvlRadioGroupProperties::SetDefaultValue)
      .Stored(&TvlRadioGroupProperties::IsDefaultValueStored);
  P.Property(u"ImmediatePost", &TvlRadioGroupProperties::ImmediatePost, &TvlRadioGroupProperties::SetImmediatePost)
      .Default(false);
  P.Property(u"Items", &TvlRadioGroupProperties::Items, &TvlRadioGroupProperties::SetItems);
  P.Property(u"ReadOnly", &TvlRadioGroupProperties::ReadOnly, &TvlRadioGroupProperties::SetReadOnly)
      .Stored(&TvlRadioGroupProperties::IsReadOnlyStored);
  P.Property(u"WordWrap", &TvlRadioGroupProperties::WordWrap, &TvlRadioGroupProperties::SetWordWrap).Default(false);
  P.Property(u"OnChange", &TvlRadioGroupProperties::OnChange, &TvlRadioGroupProperties::SetOnChange);
  P.Property(u"OnEditValueChanged", &TvlRadioGroupProperties::OnEditValueChanged,
             &TvlRadioGroupProperties::SetOnEditValueChanged);
}

void TvlCustomRadioGroupProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FDefaultCaption = vlGetResourceStringText(vlSRadioGroupDefaultCaption);
  FDefaultValue = Null();
}

void TvlCustomRadioGroupProperties::Assign(TPersistent* Source) {
  if (TvlCustomRadioGroupProperties* src = dynamic_cast<TvlCustomRadioGroupProperties*>(Source)) {
    BeginUpdate();
    Finally end([&] { EndUpdate(); });
    inherited::Assign(Source);
    SetDefaultCaption(src->DefaultCaption());
    SetDefaultValue(src->DefaultValue());
    SetWordWrap(src->WordWrap());
    return;
  }
  inherited::Assign(Source);
}

TvlButtonGroupItems* TvlCustomRadioGroupProperties::CreateItems() {
  return New<TvlRadioGroupItems>(static_cast<TPersistent*>(this), TCollectionItemClass(ClassOf<TvlRadioGroupItem>()));
}

TvlCustomEditViewDataClass TvlCustomRadioGroupProperties::EditViewDataClass() const {
  return ClassOf<TvlCustomRadioGroupViewData>();
}
TvlCustomEditClass TvlCustomRadioGroupProperties::GetContainerClass() const { return ClassOf<TvlRadioGroup>(); }
TvlCustomEditViewInfoClass TvlCustomRadioGroupProperties::GetViewInfoClass() const {
  return ClassOf<TvlCustomRadioGroupViewInfo>();
}

Integer TvlCustomRadioGroupProperties::GetColumnCount() {
  return std::max(1, std::min(Columns(), Items()->Count()));
}

Integer TvlCustomRadioGroupProperties::GetRadioGroupItemIndex(const Variant& AEditValue) {
  TvlRadioGroupItems* items = Items();
  for (Integer i = 0; i < items->Count(); ++i) {
    TvlRadioGroupItem* item = items->Items(i);
    if (VarIsNull(item->Value())) {
      if (!VarIsNull(AEditValue) && !VarIsEmpty(AEditValue) &&
          vlStringsEqual(item->Caption(), VarToStr(AEditValue), true))
        return i;
    } else if (vlEditValuesEqual(item->Value(), AEditValue))
      return i;
  }
  return -1;
}

Boolean TvlCustomRadioGroupProperties::CompareDisplayValues(const Variant& AEditValue1, const Variant& AEditValue2) {
  return GetRadioGroupItemIndex(AEditValue1) == GetRadioGroupItemIndex(AEditValue2);
}

String TvlCustomRadioGroupProperties::GetDisplayText(const Variant& AEditValue, Boolean, Boolean) {
  const Integer index = GetRadioGroupItemIndex(AEditValue);
  return index < 0 ? FDefaultCaption : Items()->Items(index)->Caption();
}

TvlEditSupportedOperations TvlCustomRadioGroupProperties::GetSupportedOperations() {
  TvlEditSupportedOperations r = inherited::GetSupportedOperations();
  r.Include(esoHorzAlignment);
  r.Include(esoSortingByDisplayText);
  return r;
}

void TvlCustomRadioGroupProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& DisplayValue, Boolean) {
  DisplayValue = Variant(GetRadioGroupItemIndex(AEditValue));
}

void TvlCustomRadioGroupProperties::SetDefaultCaption(const String& Value) {
  if (FDefaultCaption == Value) return;
  FDefaultCaption = Value;
  Changed();
}

Boolean TvlCustomRadioGroupProperties::IsDefaultCaptionStored() {
  return FDefaultCaption != vlGetResourceStringText(vlSRadioGroupDefaultCaption);
}

void TvlCustomRadioGroupProperties::SetDefaultValue(const Variant& Value) {
  if (vlVarEqualsStrict(FDefaultValue, Value)) return;
  FDefaultValue = Value;
  Changed();
}

// --- The group ----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomRadioGroup)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlRadioGroup, P) {
  PublishControlProperties(P, {u"Align"});
  P.Property(u"Alignment", &TvlRadioGroup::Alignment, &TvlRadioGroup::SetAlignment).Default(alTopLeft);
  PublishControlProperties(P, {u"Anchors", u"BiDiMode", u"Caption", u"Constraints", u"Ctl3D", u"DragCursor",
                               u"DragKind", u"DragMode", u"Enabled"});
  P.Property(u"ItemIndex", &TvlRadioGroup::ItemIndex, &TvlRadioGroup::SetItemIndex)
      .Default(-1)
      .Stored(&TvlRadioGroup::IsItemIndexStored);
  PublishControlProperties(P, {u"ParentBackground", u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D",
                               u"ParentFont", u"ParentShowHint", u"PopupMenu"});
  P.Property(u"Properties", &TvlRadioGroup::Properties, &TvlRadioGroup::SetProperties);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Style", &TvlRadioGroup::Style, &TvlRadioGroup::SetStyle);
  P.Property(u"StyleDisabled", &TvlRadioGroup::StyleDisabled, &TvlRadioGroup::SetStyleDisabled);
  P.Property(u"StyleFocused", &TvlRadioGroup::StyleFocused, &TvlRadioGroup::SetStyleFocused);
  P.Property(u"StyleHot", &TvlRadioGroup::StyleHot, &TvlRadioGroup::SetStyleHot);
  PublishControlProperties(P, {u"TabOrder", u"TabStop"});
  P.Property(u"Transparent", &TvlRadioGroup::Transparent, &TvlRadioGroup::SetTransparent).Default(false);
  PublishControlProperties(P, {u"Visible", u"OnClick", u"OnContextPopup", u"OnDragDrop", u"OnDragOver"});
  P.Property(u"OnEditing", &TvlRadioGroup::OnEditing, &TvlRadioGroup::SetOnEditing);
  PublishControlProperties(P, {u"OnEndDock", u"OnEndDrag", u"OnEnter", u"OnExit", u"OnStartDock", u"OnStartDrag"});
}

void TvlCustomRadioGroup::Initialize() {
  inherited::Initialize();
  const Boolean parentBackground = ControlStyle().Contains(csParentBackground);
  TControlStyle style{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable};
  if (parentBackground) style.Include(csParentBackground);
  SetControlStyle(style);
  FLoadedItemIndex = -1;
  SetBounds(Left(), Top(), kDefaultWidth, kDefaultHeight);
}

Boolean TvlCustomRadioGroup::IsLoadingState() {
  const TComponentState s = ComponentState();
  return s.Contains(csLoading) || s.Contains(csReading) || s.Contains(csUpdating);
}

Integer TvlCustomRadioGroup::ItemIndex() {
  if (IsLoadingState() || ComponentState().Contains(csDesigning)) return FLoadedItemIndex;
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (Buttons(i)->Checked()) return i;
  return -1;
}

void TvlCustomRadioGroup::SetItemIndex(Integer Value) {
  if (!IsLoadingState()) {
    Value = std::max(-1, std::min(Value, ButtonCount() - 1));
    Variant value;
    PrepareEditValue(Variant(Value), value, InternalFocused());
    SetEditValueByIndex(value, false);
  }
  if (IsLoadingState() || ComponentState().Contains(csDesigning)) FLoadedItemIndex = Value;
}

void TvlCustomRadioGroup::PrepareEditValue(const Variant& ADisplayValue, Variant& EditValue, Boolean) {
  const Integer index = VarIsOrdinal(ADisplayValue) ? Integer(ADisplayValue.AsInt64()) : -1;
  TvlCustomRadioGroupProperties* props = ActiveProperties();
  if (index < 0 || index >= props->Items()->Count()) {
    EditValue = props->DefaultValue();
    return;
  }
  TvlRadioGroupItem* item = props->Items()->Items(index);
  EditValue = VarIsNull(item->Value()) ? Variant(item->Caption()) : item->Value();
}

void TvlCustomRadioGroup::InternalSetEditValue(const Variant& AValue, Boolean AValidate) {
  (void)AValidate;
  SetEditValueByIndex(AValue, false);
}

void TvlCustomRadioGroup::SetEditValueByIndex(const Variant& AValue, Boolean AForced) {
  TWeakRef<TvlCustomRadioGroup> self(this);
  LockChangeEvents(true);
  {
    Finally unlock([&] {
      if (self) LockChangeEvents(false);
    });
    TvlCustomEdit::InternalSetEditValue(AValue, false);
    if (!self) return;
    const Integer index = ActiveProperties()->GetRadioGroupItemIndex(FEditValue);
    Integer checked = -1;
    for (Integer i = 0; i < ButtonCount(); ++i)
      if (Buttons(i)->Checked()) checked = i;
    if (AForced || index != checked) {
      SynchronizeButtons(index, AForced);
      if (!self) return;
      Click();
      if (!self) return;
      RaiseChange();
      if (!self) return;
    }
    if (!KeyboardAction()) SetEditModified(false);
  }
  if (self) ShortRefreshContainer(false);
}

void TvlCustomRadioGroup::SynchronizeButtons(Integer AIndex, Boolean AForced) {
  auto moveFocus = [&](Integer AButton) {
    if (AButton < 0 || AButton >= ButtonCount()) return;
    if (Focused() && !(HandleAllocated() && GetFocus() == WindowHandle())) return;
    if (Focused() && Buttons(AButton)->CanFocus()) Buttons(AButton)->SetFocus();
  };
  if (AForced) {
    if (Focused() && HandleAllocated() && GetFocus() != WindowHandle()) {
      // The focus is on a button already; it follows the checked one.
      moveFocus(AIndex);
    }
    return;
  }
  if (AIndex < 0) {
    for (Integer i = 0; i < ButtonCount(); ++i)
      if (Buttons(i)->Checked()) Buttons(i)->InternalSetChecked(false);
  } else if (AIndex < ButtonCount()) {
    Buttons(AIndex)->InternalSetChecked(true);
    if (Focused() && HandleAllocated() && GetFocus() != WindowHandle() && Buttons(AIndex)->CanFocus())
      Buttons(AIndex)->SetFocus();
  }
  if (IsLoadingState() || ComponentState().Contains(csDesigning)) FLoadedItemIndex = AIndex;
}

void TvlCustomRadioGroup::ButtonChecked(TvlCustomRadioGroupButton* AButton) {
  TWeakRef<TvlCustomRadioGroup> self(this);
  const Integer index = [&] {
    for (Integer i = 0; i < ButtonCount(); ++i)
      if (Buttons(i) == AButton) return i;
    return -1;
  }();
  LockChangeEvents(true);
  const Boolean keyboard = KeyboardAction();
  SetKeyboardAction(Focused());
  {
    Finally unlock([&] {
      if (!self) return;
      SetKeyboardAction(keyboard);
      LockChangeEvents(false);
    });
    if (!IsLoadingState() && index >= 0) {
      Variant value;
      PrepareEditValue(Variant(index), value, InternalFocused());
      SetEditValueByIndex(value, true);
    }
  }
  if (!self) return;
  if (Focused() && ActiveProperties()->ImmediatePost() && CanPostEditValue() && ValidateEdit(false)) PostEditValue();
}

void TvlCustomRadioGroup::ApplyLoadedItemIndex() {
  TWeakRef<TvlCustomRadioGroup> self(this);
  LockChangeEvents(true);
  LockClick(true);
  Finally unlock([&] {
    if (!self) return;
    LockClick(false);
    LockChangeEvents(false);
  });
  IvlEditDefaultValuesProvider* provider = DataBinding()->IDefaultValuesProvider();
  if (!provider || !provider->IsDataStorage()) SetInternalEditValue(ActiveProperties()->DefaultValue());
  if (!self) return;
  SetItemIndex(FLoadedItemIndex);
  if (self) UpdateButtons();
}

void TvlCustomRadioGroup::Loaded() {
  inherited::Loaded();
  ApplyLoadedItemIndex();
}

void TvlCustomRadioGroup::Updated() {
  inherited::Updated();
  ApplyLoadedItemIndex();
}

void TvlCustomRadioGroup::UpdateButtons() {
  const Integer index = ItemIndex();
  inherited::UpdateButtons();
  if (IsLoadingState()) return;
  if (ItemIndex() != index) SetItemIndex(index);
  TvlRadioGroupItems* items = ActiveProperties()->Items();
  for (Integer i = 0; i < ButtonCount() && i < items->Count(); ++i) {
    TvlCustomRadioGroupButton* b = Buttons(i);
    b->SetCaption(items->Items(i)->Caption());
    b->SetWordWrap(ActiveProperties()->WordWrap());
    b->Invalidate();
  }
}

void TvlCustomRadioGroup::GetTabOrderList(std::vector<TWinControl*>& List) {
  inherited::GetTabOrderList(List);
  for (auto it = List.begin(); it != List.end(); ++it)
    if (*it == this) {
      List.erase(it);
      break;
    }
  if ((TabStop() || Focused()) && ItemIndex() != -1)
    for (Integer i = 0; i < ButtonCount(); ++i)
      if (Buttons(i)->Enabled()) List.push_back(Buttons(i));
}

void TvlCustomRadioGroup::SetFocus() {
  const Integer index = ItemIndex();
  if (index >= 0 && index < ButtonCount() && Buttons(index)->CanFocus())
    Buttons(index)->SetFocus();
  else
    inherited::SetFocus();
}

void TvlCustomRadioGroup::Activate(TvlCustomEditData*& AEditData) {
  TWeakRef<TvlCustomRadioGroup> self(this);
  inherited::Activate(AEditData);
  if (!self || ButtonCount() == 0) return;
  const Integer index = std::max(0, ItemIndex());
  if (index < ButtonCount() && Buttons(index)->CanFocus()) Buttons(index)->SetFocus();
}

void TvlCustomRadioGroup::Clear() { SetItemIndex(-1); }

Boolean TvlCustomRadioGroup::PaintsStoredValue() { return !FSkinsPaintCopy && inherited::PaintsStoredValue(); }

Boolean TvlCustomRadioGroup::IsInternalControl(TControl* AControl) {
  if (inherited::IsInternalControl(AControl)) return true;
  if (!AControl) return false;
  for (TWinControl* b : FButtons)
    if (b == AControl) return true;
  return false;
}

void TvlCustomRadioGroup::ParentBackgroundChanged() {
  for (Integer i = 0; i < ButtonCount(); ++i) Buttons(i)->SetParentBackground(ParentBackground());
}

Boolean TvlCustomRadioGroup::IsContainerFocused() {
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (Buttons(i)->Focused()) return false;
  return TvlCustomButtonGroup::Focused();
}

void TvlCustomRadioGroup::SetDragMode(TDragMode Value) {
  inherited::SetDragMode(Value);
  for (Integer i = 0; i < ButtonCount(); ++i) Buttons(i)->SetDragMode(Value);
}

void TvlCustomRadioGroup::SetDragKind(TDragKind Value) {
  inherited::SetDragKind(Value);
  for (Integer i = 0; i < ButtonCount(); ++i) Buttons(i)->SetDragKind(Value);
}

void TvlCustomRadioGroup::CursorChanged() {
  inherited::CursorChanged();
  for (TWinControl* b : FButtons) b->SetCursor(Cursor());
}

void TvlCustomRadioGroup::Resize() {
  inherited::Resize();
  if (ComponentState().Contains(csDesigning) && AlwaysTransparent() && HandleAllocated())
    ::win::InvalidateRect(WindowHandle(), nullptr, true);
}

void TvlCustomRadioGroup::SetButtonsPosition() {
  inherited::SetButtonsPosition();
  TvlCustomEditViewInfo* vi = ViewInfo();
  for (Integer i = 0; i < ButtonCount() && i < vi->ButtonCount(); ++i) {
    TvlGroupBoxButtonViewInfo* info = static_cast<TvlGroupBoxButtonViewInfo*>(vi->ButtonsInfo[size_t(i)]);
    Buttons(i)->FColumn = info->Column;
    Buttons(i)->FRow = info->Row;
  }
}

HDC TvlCustomRadioGroup::GetButtonDC(Integer AIndex) { return Buttons(AIndex)->LibraryCanvas()->Handle(); }

TWinControl* TvlCustomRadioGroup::CreateButton() {
  return New<TvlCustomRadioGroupButton>(static_cast<TComponent*>(this));
}

void TvlCustomRadioGroup::UpdateButtonsStyle() {
  inherited::UpdateButtonsStyle();
  TvlCustomEditViewInfo* vi = ViewInfo();
  if (vi->ButtonCount() == 0) return;
  TvlLookAndFeelKind kind;
  switch (vi->ButtonsInfo[0]->Data.Style) {
    case btsFlat: kind = lfFlat; break;
    case btsUltraFlat: kind = lfUltraFlat; break;
    case btsOffice11: kind = lfOffice11; break;
    default: kind = lfStandard; break;
  }
  for (Integer i = 0; i < ButtonCount(); ++i) {
    Buttons(i)->LookAndFeel()->SetKind(kind);
    Buttons(i)->SetTransparent(Transparent());
  }
}

void TvlCustomRadioGroup::CMDialogChar(TMessage& Message) {
  TWMKey key(Message);
  if (IsAccel(key.CharCode(), Text()) && CanFocus()) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    for (TWinControl* c : list)
      // Only the checked button is a tab stop: the accelerator must not
      // focus (and so check) another item.
      if (c != this && c->Parent() == this && c->TabStop() && c->CanFocus()) {
        c->SetFocus();
        break;
      }
    Message.Result = 1;
    return;
  }
  TvlCustomGroupBox::Dispatch(Message);
}

void TvlCustomRadioGroup::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_CTL3DCHANGED:
      inherited::Dispatch(Message);
      ShortRefreshContainer(false);
      break;
    default: inherited::Dispatch(Message);
  }
}

// --- The filter helper --------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterRadioGroupHelper)

void TvlFilterRadioGroupHelper::GetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties,
                                               Variant& V, String& S) const {
  auto* props = static_cast<TvlCustomRadioGroupProperties*>(AEditProperties);
  auto* combo = dynamic_cast<TvlCustomTextEdit*>(AEdit);
  const Integer index = combo ? combo->ItemIndex() : -1;
  if (index < 0 || index >= props->Items()->Count()) {
    V = props->DefaultValue();
    S = props->DefaultCaption();
    return;
  }
  TvlRadioGroupItem* item = props->Items()->Items(index);
  // An item without a value stands for its caption, as in the group itself:
  // a Null here would filter for blanks instead of that item.
  V = VarIsNull(item->Value()) ? Variant(item->Caption()) : item->Value();
  S = item->Caption();
}

TvlFilterControlOperators TvlFilterRadioGroupHelper::GetSupportedFilterOperators(TvlCustomEditProperties*,
                                                                               TvlValueTypeClass,
                                                                               Boolean AExtendedSet) const {
  TvlFilterControlOperators r{fcoEqual, fcoNotEqual, fcoBlanks, fcoNonBlanks};
  if (AExtendedSet) {
    r.Include(fcoInList);
    r.Include(fcoNotInList);
  }
  return r;
}

void TvlFilterRadioGroupHelper::InitializeProperties(TvlCustomEditProperties* AProperties,
                                                     TvlCustomEditProperties* AEditProperties, Boolean) const {
  auto* combo = dynamic_cast<TvlCustomComboBoxProperties*>(AProperties);
  auto* radio = dynamic_cast<TvlCustomRadioGroupProperties*>(AEditProperties);
  if (!combo || !radio) return;
  TStrings* items = combo->Items();
  items->BeginUpdate();
  {
    Finally end([&] { items->EndUpdate(); });
    items->Clear();
    for (Integer i = 0; i < radio->Items()->Count(); ++i) items->Add(radio->Items()->Items(i)->Caption());
  }
  combo->SetDropDownListStyle(lsFixedList);
  combo->DropDefaultValuesProvider();
  ClearPropertiesEvents(combo);
}

void TvlFilterRadioGroupHelper::SetFilterValue(TvlCustomEdit* AEdit, TvlCustomEditProperties* AEditProperties,
                                               const Variant& AValue) const {
  auto* combo = dynamic_cast<TvlCustomTextEdit*>(AEdit);
  if (!combo) return;
  combo->SetItemIndex(static_cast<TvlCustomRadioGroupProperties*>(AEditProperties)->GetRadioGroupItemIndex(AValue));
}
