#include "lib/editors/vlCheckListBox.h"

#include <algorithm>

#include "lib/data/vlCustomData.h"
#include "lib/data/vlDataUtils.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/editors/vlExtEditConsts.h"
#include "lib/editors/vlExtEditUtils.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/foundation/vlVariants.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Windows.h"

using namespace win;

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCheckListBoxItem, P) {
  using T = TvlCheckListBoxItem;
  // The caption is stored as Text.
  P.Property(u"Caption", &TvlCaptionItem::Caption, &TvlCaptionItem::SetCaption).Stored(false);
  P.Property(u"Enabled", &T::Enabled, &T::SetEnabled).Default(true);
  P.Property(u"ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
  P.Property(u"State", &T::State, &T::SetState).Default(cbsUnchecked);
  P.Property(u"Text", &T::Text, &T::SetText);
}
CL_IMPLEMENT_CLASS(TvlCheckListBoxItems)
CL_IMPLEMENT_CLASS(TvlCustomInnerCheckListBox)
CL_IMPLEMENT_CLASS(TvlCustomCheckListBox)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCheckListBox, P) {
  using T = TvlCheckListBox;
  PublishControlProperties(P, {u"Align"});
  P.Property(u"AllowDblClickToggle", &T::AllowDblClickToggle, &T::SetAllowDblClickToggle).Default(true);
  P.Property(u"AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(false);
  PublishControlProperties(P, {u"Anchors"});
  P.Property(u"AutoComplete", &T::AutoComplete, &T::SetAutoComplete).Default(true);
  P.Property(u"AutoCompleteDelay", &T::AutoCompleteDelay, &T::SetAutoCompleteDelay).Default(500);
  PublishControlProperties(P, {u"BiDiMode"});
  P.Property(u"Columns", &T::Columns, &T::SetColumns).Default(0);
  PublishControlProperties(P, {u"Constraints", u"DragCursor", u"DragKind", u"DragMode"});
  P.Property(u"EditValue", &T::EditValue, &T::SetEditValue).Stored(false);
  P.Property(u"EditValueFormat", &T::EditValueFormat, &T::SetEditValueFormat).Default(cvfInteger);
  PublishControlProperties(P, {u"Enabled"});
  P.Property(u"Glyph", &T::Glyph, &T::SetGlyph);
  P.Property(u"GlyphCount", &T::GlyphCount, &T::SetGlyphCount).Default(6);
  P.Property(u"Images", &T::Images, &T::SetImages);
  P.Property(u"ImageLayout", &T::ImageLayout, &T::SetImageLayout).Default(ilBeforeChecks);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"IntegralHeight", &T::IntegralHeight, &T::SetIntegralHeight).Default(false);
  P.Property(u"Items", &T::Items, &T::SetItems);
  PublishControlProperties(P, {u"ParentBiDiMode"});
  P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
  PublishControlProperties(P, {u"ParentFont", u"ParentShowHint", u"PopupMenu"});
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
  P.Property(u"ScrollWidth", &T::ScrollWidth, &T::SetScrollWidth).Default(0);
  P.Property(u"ShowChecks", &T::ShowChecks, &T::SetShowChecks).Default(true);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Sorted", &T::Sorted, &T::SetSorted).Default(false);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  PublishControlProperties(P, {u"TabOrder"});
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
  P.Property(u"TabWidth", &T::TabWidth, &T::SetTabWidth).Default(0);
  PublishControlProperties(P, {u"Visible"});
  P.Property(u"OnCheckStatesToEditValue", &T::OnCheckStatesToEditValue, &T::SetOnCheckStatesToEditValue);
  PublishControlProperties(P, {u"OnClick"});
  P.Property(u"OnClickCheck", &T::OnClickCheck, &T::SetOnClickCheck);
  P.Property(u"OnCompare", &T::OnCompare, &T::SetOnCompare);
  PublishControlProperties(P, {u"OnContextPopup", u"OnDblClick", u"OnDragDrop", u"OnDragOver"});
  P.Property(u"OnDrawItem", &T::OnDrawItem, &T::SetOnDrawItem);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnEditValueToCheckStates", &T::OnEditValueToCheckStates, &T::SetOnEditValueToCheckStates);
  PublishControlProperties(P, {u"OnEndDock", u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress",
                               u"OnKeyUp"});
  P.Property(u"OnMeasureItem", &T::OnMeasureItem, &T::SetOnMeasureItem);
  PublishControlProperties(P, {u"OnMouseDown", u"OnMouseMove", u"OnMouseUp", u"OnStartDock", u"OnStartDrag"});
}

namespace {

// Forms hold check list boxes.
void Startup() { RegisterClasses({ClassOf<TvlCheckListBox>()}); }

void Shutdown() {}

}  // namespace

CL_UNIT_STEPS(vlCheckListBox, &Startup, &Shutdown);

namespace {

// Both conversions work on this one array, sized to the items at each
// conversion; its contents hold only while that conversion runs.
TvlCheckStates& ScratchStates() {
  static TvlCheckStates states;
  return states;
}

Boolean VariantsIdentical(const Variant& A, const Variant& B) {
  if (VarType(A) != VarType(B)) return false;
  try {
    return vlVariantsEqual(A, B);
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

// --- Items ---------------------------------------------------------------------------------------------

TvlCustomInnerCheckListBox* TvlCheckListBoxItem::ListBox() const {
  auto* items = static_cast<TvlCheckListBoxItems*>(Collection());
  return items ? items->CheckListBox() : nullptr;
}

void TvlCheckListBoxItem::Assign(TPersistent* Source) {
  if (auto* item = Is<TvlCheckListBoxItem>(Source) ? static_cast<TvlCheckListBoxItem*>(Source) : nullptr) {
    SetEnabled(item->Enabled());
    SetImageIndex(item->ImageIndex());
    SetItemObject(item->ItemObject());
    SetState(item->State());
  }
  inherited::Assign(Source);
}

String TvlCheckListBoxItem::GetDisplayName() { return Text().empty() ? inherited::GetDisplayName() : Text(); }

void TvlCheckListBoxItem::SetEnabled(Boolean Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed(false);
}

void TvlCheckListBoxItem::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void TvlCheckListBoxItem::SetState(TvlCheckBoxState Value) {
  TvlCustomInnerCheckListBox* list = ListBox();
  TvlCustomCheckListBox* box = list ? list->Container() : nullptr;
  if (!box) {
    FState = Value;
    return;
  }
  if (Value == cbsGrayed && box->EditValueFormat() == cvfInteger) Value = cbsUnchecked;
  if (FState == Value) return;
  FState = Value;
  list->InvalidateCheck(Index());
  if (!static_cast<TvlCheckListBoxItems*>(Collection())->IsChangedLocked()) box->StatesToEditValue();
}

void TvlCheckListBoxItems::Create(TvlCustomInnerCheckListBox* AOwner) {
  inherited::Create(AOwner, ClassOf<TvlCheckListBoxItem>());
  FCheckListBox = AOwner;
}

void TvlCheckListBoxItems::Destroy() {
  FCheckListBox = nullptr;
  inherited::Destroy();
}

Integer TvlCheckListBoxItems::IndexOf(const String& S) {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiSameText(Items(i)->Text(), S)) return i;
  return -1;
}

Integer TvlCheckListBoxItems::IndexOfObject(TObject* AObject) {
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->ItemObject() == AObject) return i;
  return -1;
}

void TvlCheckListBoxItems::LoadStrings(TStrings* AStrings) {
  AStrings->Clear();
  for (Integer i = 0; i < Count(); ++i) AStrings->Add(Items(i)->Text());
}

void TvlCheckListBoxItems::LockChanged(Boolean ALock, Boolean AInvokeChangedOnUnlock) {
  if (ALock) {
    ++FChangedLockCount;
    return;
  }
  if (FChangedLockCount > 0) --FChangedLockCount;
  if (AInvokeChangedOnUnlock && FChangedLockCount == 0) Changed();
}

void TvlCheckListBoxItems::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  // An item beyond what the value format holds is refused before anything
  // else sees it: the raise frees the half-made item, the others stay.
  if (Action == cnAdded && FCheckListBox && FCheckListBox->Container()) {
    TvlCustomCheckListBox* box = FCheckListBox->Container();
    box->CheckItemCount(Count(), box->EffectiveFormat());
  }
  inherited::Notify(Item, Action);
}

void TvlCheckListBoxItems::Update(TCollectionItem* Item) {
  inherited::Update(Item);
  if (FCheckListBox && FCheckListBox->Container() && !FCheckListBox->Container()->IsDestroying())
    FCheckListBox->Container()->ItemsUpdated(Item);
}

// --- Inner check list box -------------------------------------------------------------------------------

void TvlCustomInnerCheckListBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FContainer = Is<TvlCustomCheckListBox>(AOwner) ? static_cast<TvlContainer*>(AOwner) : nullptr;
  FMetrics = GetMetrics();
  FCheckItems = New<TvlCheckListBoxItems>(this);
}

void TvlCustomInnerCheckListBox::Destroy() {
  if (FCheckItems) FCheckItems->FCheckListBox = nullptr;
  FreeAndNil(FCheckItems);
  FreeAndNil(FGlyph);
  inherited::Destroy();
}

TvlCustomCheckListBox* TvlCustomInnerCheckListBox::Container() const {
  return static_cast<TvlCustomCheckListBox*>(FContainer);
}

void TvlCustomInnerCheckListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (!(Params.Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE))) Params.Style |= LBS_OWNERDRAWFIXED;
}

// The platform gives a new owner-drawn window its fixed item height (16):
// the rows take the height of the text and the check instead.
void TvlCustomInnerCheckListBox::CreateWnd() {
  inherited::CreateWnd();
  UpdateItemHeight();
}

Boolean TvlCustomInnerCheckListBox::ExecuteAction(TBasicAction* Action) {
  if (inherited::ExecuteAction(Action)) return true;
  return Container() && Container()->FDataBinding->ExecuteAction(Action);
}

Boolean TvlCustomInnerCheckListBox::UpdateAction(TBasicAction* Action) {
  if (inherited::UpdateAction(Action)) return true;
  return Container() && Container()->FDataBinding->UpdateAction(Action);
}

TBitmap* TvlCustomInnerCheckListBox::Glyph() {
  if (!FGlyph) {
    FGlyph = New<TBitmap>();
    FGlyph->SetOnChange(TNotifyEvent(this, &TvlCustomInnerCheckListBox::GlyphChanged));
  }
  return FGlyph;
}

void TvlCustomInnerCheckListBox::SetGlyph(TBitmap* Value) {
  if (!Value) {
    FreeAndNil(FGlyph);
    UpdateItemHeight();
  } else {
    Glyph()->Assign(Value);
  }
}

void TvlCustomInnerCheckListBox::GlyphChanged(TObject*) { UpdateItemHeight(); }

void TvlCustomInnerCheckListBox::SetGlyphCount(Integer Value) {
  if (FGlyphCount == Value) return;
  FGlyphCount = Value;
  if (FGlyph) UpdateItemHeight();
}

// --- Geometry -----------------------------------------------------------------------------------------------

Boolean TvlCustomInnerCheckListBox::ImagesValid() {
  return Container() && vlIsImageListValid(Container()->Images());
}

// The container's look and feel: the inner list box's own follows it, but
// hears of a change only after the container, which recomputes the row
// height from it at once.
TvlLookAndFeel* TvlCustomInnerCheckListBox::CheckLookAndFeel() {
  return Container() ? Container()->Style()->LookAndFeel() : LookAndFeel();
}

Integer TvlCustomInnerCheckListBox::CheckBorderOffset() {
  TvlLookAndFeel* lf = CheckLookAndFeel();
  return vlCheckGlyphBorderOffsetByKind(lf->Kind(), lf->NativeStyle(), vlIsGlyphValid(FGlyph), lf->SkinPainter());
}

TSize TvlCustomInnerCheckListBox::CheckSize() {
  TvlLookAndFeel* lf = CheckLookAndFeel();
  TSize size{};
  vlCheckGlyphSize(Canvas(), lf->NativeStyle(), FGlyph, size, lf->SkinPainter(), FGlyphCount);
  const Integer o = CheckBorderOffset();
  size.cx -= 2 * o;
  size.cy -= 2 * o;
  return size;
}

Integer TvlCustomInnerCheckListBox::GetCheckAreaWidth() {
  const Boolean checks = Container() && Container()->ShowChecks(), images = ImagesValid();
  Integer w = FMetrics.ContentOffset;
  if (checks || images) w += FMetrics.TextAreaOffset;
  if (checks) w += 2 * FMetrics.CheckFrameWidth + CheckSize().cx;
  if (images) w += Container()->Images()->Width() + 2 * FMetrics.ImageFrameWidth;
  return w;
}

TRect TvlCustomInnerCheckListBox::GetCheckRect(const TRect& AItemRect, Boolean AForDrawing) {
  if (!Container() || !Container()->ShowChecks()) return TRect{};
  const TSize size = CheckSize();
  Integer x = FMetrics.ContentOffset + FMetrics.CheckFrameWidth;
  if (Container()->ImageLayout() == ilBeforeChecks && ImagesValid())
    x += Container()->Images()->Width() + 2 * FMetrics.ImageFrameWidth;
  TRect r;
  r.Top = AItemRect.Top + (AItemRect.Height() - size.cy) / 2;
  r.Bottom = r.Top + size.cy;
  if (UseRightToLeftAlignment()) {
    r.Right = AItemRect.Right - x;
    r.Left = r.Right - size.cx;
  } else {
    r.Left = AItemRect.Left + x;
    r.Right = r.Left + size.cx;
  }
  if (AForDrawing) InflateRect(&r, CheckBorderOffset(), CheckBorderOffset());
  return r;
}

TRect TvlCustomInnerCheckListBox::GetImageRect(const TRect& AItemRect) {
  if (!ImagesValid()) return TRect{};
  TCustomImageList* images = Container()->Images();
  Integer x = FMetrics.ContentOffset + FMetrics.ImageFrameWidth;
  if (Container()->ShowChecks() && Container()->ImageLayout() == ilAfterChecks)
    x += 2 * FMetrics.CheckFrameWidth + CheckSize().cx;
  TRect r;
  r.Top = AItemRect.Top + (AItemRect.Height() - images->Height()) / 2;
  r.Bottom = r.Top + images->Height();
  if (UseRightToLeftAlignment()) {
    r.Right = AItemRect.Right - x;
    r.Left = r.Right - images->Width();
  } else {
    r.Left = AItemRect.Left + x;
    r.Right = r.Left + images->Width();
  }
  return r;
}

Integer TvlCustomInnerCheckListBox::GetStandardItemHeight() {
  TFont* font = Container() ? Container()->GetVisibleFont() : Font();
  Integer h = vlMeasureTextHeight(font, u"Zg");
  if (Container() && Container()->ShowChecks()) h = std::max(h, CheckSize().cy + 2 * FMetrics.CheckFrameWidth);
  if (ImagesValid()) h = std::max(h, Container()->Images()->Height() + 2 * FMetrics.ImageFrameWidth);
  return h;
}

void TvlCustomInnerCheckListBox::UpdateItemHeight() {
  if (!HandleAllocated() || !Container() || Container()->FListStyle != lbStandard) return;
  SendMessageW(WindowHandle(), LB_SETITEMHEIGHT, 0, MAKELPARAM(GetStandardItemHeight(), 0));
  SetExternalScrollBarsParameters();
  FullRepaint();
}

void TvlCustomInnerCheckListBox::MeasureItem(Integer Index, Integer& Height) {
  if (Container() && Container()->FListStyle == lbStandard)
    Height = GetStandardItemHeight();
  else
    inherited::MeasureItem(Index, Height);
}

void TvlCustomInnerCheckListBox::FullRepaint() {
  if (HandleAllocated()) InvalidateRect(WindowHandle(), nullptr, TRUE);
}

void TvlCustomInnerCheckListBox::InvalidateItem(Integer AIndex) {
  if (!HandleAllocated() || AIndex < 0 || AIndex >= Items()->Count()) return;
  const TRect r = ItemRect(AIndex);
  InvalidateRect(WindowHandle(), &r, TRUE);
}

void TvlCustomInnerCheckListBox::InvalidateCheck(Integer AIndex) {
  if (!HandleAllocated() || AIndex < 0 || AIndex >= Items()->Count()) return;
  const TRect r = GetCheckRect(ItemRect(AIndex), true);
  InvalidateRect(WindowHandle(), &r, FALSE);
}

Integer TvlCustomInnerCheckListBox::GetCheckAt(Integer X, Integer Y) {
  if (!Container() || !Container()->ShowChecks() || !HandleAllocated()) return -1;
  const Integer index = ItemAtPos(TPoint{X, Y}, true);
  if (index < 0 || index >= FCheckItems->Count()) return -1;
  const TRect r = GetCheckRect(ItemRect(index), false);
  return PtInRect(&r, TPoint{X, Y}) ? index : -1;
}

// --- Checks under the mouse -----------------------------------------------------------------------------------

void TvlCustomInnerCheckListBox::SetHotCheck(Integer AIndex) {
  if (FHotCheckIndex == AIndex) return;
  const Integer old = FHotCheckIndex;
  FHotCheckIndex = AIndex;
  InvalidateCheck(old);
  InvalidateCheck(AIndex);
}

void TvlCustomInnerCheckListBox::SetPressedCheck(Integer AIndex) {
  if (FPressedCheckIndex == AIndex) return;
  const Integer old = FPressedCheckIndex;
  FPressedCheckIndex = AIndex;
  InvalidateCheck(old);
  InvalidateCheck(AIndex);
}

void TvlCustomInnerCheckListBox::CheckFromPoint(const TPoint& P, TShiftState AShift) {
  const Integer under = GetCheckAt(P.X, P.Y);
  if (FCapturedCheckIndex < 0) {
    const Boolean busy = AShift.Contains(ssShift) || AShift.Contains(ssLeft) || AShift.Contains(ssRight) ||
                         AShift.Contains(ssMiddle);
    if (!busy) SetHotCheck(under);
  } else {
    SetPressedCheck(under == FCapturedCheckIndex ? FCapturedCheckIndex : -1);
    SetHotCheck(-1);
  }
}

void TvlCustomInnerCheckListBox::CheckFromCursor() {
  if (!HandleAllocated()) return;
  POINT p{};
  GetCursorPos(&p);
  CheckFromPoint(ScreenToClient(p), vlGetShiftStateNow());
}

void TvlCustomInnerCheckListBox::LeftButtonDownMessage(TMessage& Message) {
  TvlCustomCheckListBox* box = Container();
  if (box && !box->ShowChecks() && !box->IsDesigning() && !box->FDataBinding->SetEditMode()) {
    if (CanFocus()) SetFocus();
    MouseDown(mbLeft, KeysToShiftState(Word(Message.WParam)), GET_X_LPARAM(Message.LParam),
              GET_Y_LPARAM(Message.LParam));
    return;
  }
  const Integer x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
  FNewPressedCheckIndex = GetCheckAt(x, y);
  FNewPressedCheckItemFullyVisible =
      FNewPressedCheckIndex >= 0 && ItemRect(FNewPressedCheckIndex).Bottom <= ClientHeight();
  // A press on a check never starts an automatic drag.
  if (FNewPressedCheckIndex >= 0) SetDragModeProp(dmManual);
  Finally restore([&] {
    if (box) SetDragModeProp(box->DragMode());
    FNewPressedCheckIndex = -1;
  });
  inherited::WndProc(Message);
}

void TvlCustomInnerCheckListBox::WndProc(TMessage& Message) {
  if (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) {
    LeftButtonDownMessage(Message);
    return;
  }
  inherited::WndProc(Message);
  if (Message.Msg == WM_HSCROLL || Message.Msg == WM_VSCROLL || Message.Msg == WM_MOUSEWHEEL) CheckFromCursor();
}

void TvlCustomInnerCheckListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_MEASUREITEM:
      if (Container() && Container()->FListStyle == lbStandard) {
        if (auto* mis = TWMMeasureItem(Message).MeasureItemStruct()) mis->itemHeight = UINT(GetStandardItemHeight());
        Message.Result = 1;
        return;
      }
      break;
    case CM_COLORCHANGED:
      inherited::Dispatch(Message);
      FullRepaint();
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(Message);
      UpdateItemHeight();
      return;
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      SetHotCheck(-1);
      SetPressedCheck(-1);
      return;
  }
  inherited::Dispatch(Message);
}

void TvlCustomInnerCheckListBox::MouseLeave(TControl* AControl) {
  inherited::MouseLeave(AControl);
  SetHotCheck(-1);
  SetPressedCheck(-1);
}

void TvlCustomInnerCheckListBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  TvlCustomCheckListBox* box = Container();
  if (!box) return;
  const Integer noted = Button == mbLeft ? FNewPressedCheckIndex : -1;
  if (noted >= 0 && noted < FCheckItems->Count() &&
      (box->DragMode() == dmAutomatic || !FNewPressedCheckItemFullyVisible) && FCheckItems->Items(noted)->Enabled()) {
    Toggle(noted);
    return;
  }
  FCapturedCheckIndex = noted;
  SetPressedCheck(noted);
  SetHotCheck(-1);
}

void TvlCustomInnerCheckListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  TvlCustomCheckListBox* box = Container();
  if (box && box->DragMode() == dmAutomatic && GetCapture() != WindowHandle()) {
    FCapturedCheckIndex = -1;
    SetPressedCheck(-1);
  }
  CheckFromPoint(TPoint{X, Y}, Shift);
}

void TvlCustomInnerCheckListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  TvlCustomCheckListBox* box = Container();
  if (Button == mbLeft && box && box->DragMode() != dmAutomatic) {
    const Integer under = GetCheckAt(X, Y);
    if (under >= 0 && under == FPressedCheckIndex && FCheckItems->Items(under)->Enabled()) Toggle(under);
  }
  FCapturedCheckIndex = -1;
  const Boolean busy = Shift.Contains(ssShift) || Shift.Contains(ssLeft) || Shift.Contains(ssRight) ||
                       Shift.Contains(ssMiddle);
  SetHotCheck(busy ? -1 : GetCheckAt(X, Y));
  SetPressedCheck(-1);
}

Boolean TvlCustomInnerCheckListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  const Boolean result = inherited::DoMouseWheel(Shift, WheelDelta, MousePos);
  CheckFromCursor();
  return result;
}

void TvlCustomInnerCheckListBox::Click() {
  TvlCustomCheckListBox* box = Container();
  if (box && !box->ShowChecks() && !box->FDataBinding->SetEditMode()) return;
  inherited::Click();
}

void TvlCustomInnerCheckListBox::DblClick() {
  inherited::DblClick();
  const Integer index = ItemIndex();
  if (index < 0 || index >= FCheckItems->Count() || !FCheckItems->Items(index)->Enabled()) return;
  const TPoint p = ScreenToClient(Mouse()->CursorPos());
  if (GetCheckAt(p.X, p.Y) == index || FAllowDblClickToggle) Toggle(index);
}

void TvlCustomInnerCheckListBox::KeyPress(Char& Key) {
  if (Key == Char(' ')) Toggle(ItemIndex());
  inherited::KeyPress(Key);
}

void TvlCustomInnerCheckListBox::Toggle(Integer AIndex) {
  TvlCustomCheckListBox* box = Container();
  if (!box || AIndex < 0 || AIndex >= FCheckItems->Count()) return;
  TvlCheckListBoxItem* item = FCheckItems->Items(AIndex);
  if (!item->Enabled()) return;
  if (box->Focused() && !box->FDataBinding->SetEditMode()) return;
  const TvlCheckBoxState prev = item->State();
  TvlCheckBoxState next = cbsChecked;
  if (prev == cbsChecked)
    next = cbsUnchecked;
  else if (prev == cbsUnchecked && FAllowGrayed && box->EditValueFormat() != cvfInteger)
    next = cbsGrayed;
  item->SetState(next);
  DoClickCheck(AIndex, prev, next);
}

void TvlCustomInnerCheckListBox::DoClickCheck(Integer AIndex, TvlCheckBoxState APrevState,
                                              TvlCheckBoxState ANewState) {
  if (Assigned(FOnClickCheck)) FOnClickCheck(Container(), AIndex, APrevState, ANewState);
}

void TvlCustomInnerCheckListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (!Container()) {
    inherited::DrawItem(Index, Rect, State);
    return;
  }
  const Integer w = GetCheckAreaWidth();
  if (UseRightToLeftAlignment())
    Rect.Right -= w;
  else
    Rect.Left += w;
  Container()->DrawItem(Index, Rect, State);
}

// --- Check list box -------------------------------------------------------------------------------------------

void TvlCustomCheckListBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FEditValue = Variant(Int64(0));
  FEditValueFormat = cvfInteger;
  FImeMode = imDontCare;
  FDataBinding = CreateFrom(GetDataBindingClass(), static_cast<TComponent*>(this), static_cast<TComponent*>(this));
  FDataBinding->SetOnDataChange(TvlDataBindingNotifyEvent(this, &TvlCustomCheckListBox::DataChangeHandler));
  FDataBinding->SetOnDataSetChange(TvlDataBindingNotifyEvent(this, &TvlCustomCheckListBox::DataSetChangeHandler));
  FDataBinding->SetOnUpdateData(TvlDataBindingNotifyEvent(this, &TvlCustomCheckListBox::UpdateDataHandler));
  FInnerCheckListBox = CreateFrom(GetInnerCheckListBoxClass(), static_cast<TComponent*>(this));
  FInnerCheckListBox->SetBorderStyle(bsNone);
  FInnerCheckListBox->SetParent(this);
  FInnerCheckListBox->LookAndFeel()->SetMasterLookAndFeel(Style()->LookAndFeel());
  SetInnerControl(FInnerCheckListBox);
  FDataBinding->SetVisualControl(this);
  SetBounds(Left(), Top(), 121, 97);
  FInnerCheckListBox->SetStyle(lbOwnerDrawFixed);
  ComputeCheckStyle();
  FImagesChangeLink = New<TChangeLink>();
  FImagesChangeLink->SetOnChange(TNotifyEvent(this, &TvlCustomCheckListBox::ImagesChanged));
}

void TvlCustomCheckListBox::Destroy() {
  if (FImages) FImages->UnRegisterChanges(FImagesChangeLink);
  FreeAndNil(FImagesChangeLink);
  FreeAndNil(FInnerCheckListBox);
  FreeAndNil(FDataBinding);
  inherited::Destroy();
}

void TvlCustomCheckListBox::Loaded() {
  inherited::Loaded();
  FDataBinding->Reset();
  Items()->SetSorted(FLoadedSortedValue);
  if (FInnerCheckListBox->HandleAllocated()) FInnerCheckListBox->RecreateWnd();
}

TClassOf<TvlCustomDataBinding> TvlCustomCheckListBox::GetDataBindingClass() {
  return ClassOf<TvlCustomDataBinding>();
}

Boolean TvlCustomCheckListBox::ExecuteAction(TBasicAction* Action) {
  return inherited::ExecuteAction(Action) || FDataBinding->ExecuteAction(Action);
}

Boolean TvlCustomCheckListBox::UpdateAction(TBasicAction* Action) {
  return inherited::UpdateAction(Action) || FDataBinding->UpdateAction(Action);
}

void TvlCustomCheckListBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

Boolean TvlCustomCheckListBox::IsInternalControl(TControl* AControl) {
  return (FInnerCheckListBox &&
          (AControl == FInnerCheckListBox->HScrollBar() || AControl == FInnerCheckListBox->VScrollBar())) ||
         inherited::IsInternalControl(AControl);
}

void TvlCustomCheckListBox::ComputeCheckStyle() {
  TvlLookAndFeel* lf = Style()->LookAndFeel();
  FNativeStyle = lf->NativeStyle() && nbIsThemeAvailable(totButton) && nbIsThemeAvailable(totComboBox);
  if (FNativeStyle) return;
  switch (lf->Kind()) {
    case lfFlat: FCheckBorderStyle = ebsFlat; break;
    case lfStandard: FCheckBorderStyle = ebs3D; break;
    case lfUltraFlat: FCheckBorderStyle = ebsUltraFlat; break;
    default: FCheckBorderStyle = ebsOffice11; break;
  }
}

void TvlCustomCheckListBox::LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) {
  ComputeCheckStyle();
  inherited::LookAndFeelChanged(Sender, AChangedValues);
  if (FInnerCheckListBox) FInnerCheckListBox->UpdateItemHeight();
}

void TvlCustomCheckListBox::FontChanged() {
  inherited::FontChanged();
  UpdateInnerControlBounds();
}

void TvlCustomCheckListBox::SetImages(TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) {
    FImages->UnRegisterChanges(FImagesChangeLink);
    FImages->RemoveFreeNotification(this);
  }
  FImages = Value;
  if (FImages) {
    FImages->RegisterChanges(FImagesChangeLink);
    FImages->FreeNotification(this);
  }
  FInnerCheckListBox->UpdateItemHeight();
}

void TvlCustomCheckListBox::ImagesChanged(TObject*) { FInnerCheckListBox->UpdateItemHeight(); }

void TvlCustomCheckListBox::SetImageLayout(TvlCheckListBoxImageLayout Value) {
  if (FImageLayout == Value) return;
  FImageLayout = Value;
  FInnerCheckListBox->FullRepaint();
}

void TvlCustomCheckListBox::SetShowChecks(Boolean Value) {
  if (FShowChecks == Value) return;
  FShowChecks = Value;
  FInnerCheckListBox->UpdateItemHeight();
  FDataBinding->Reset();
}

void TvlCustomCheckListBox::SetSorted(Boolean Value) {
  if (IsLoading())
    FLoadedSortedValue = Value;
  else
    Items()->SetSorted(Value);
}

void TvlCustomCheckListBox::SetItems(TvlCheckListBoxItems* Value) {
  // A list that the value format cannot hold is refused before the items change.
  if (Value) CheckItemCount(Value->Count(), EffectiveFormat());
  Items()->Assign(Value);
  DataChange();
}

Boolean TvlCustomCheckListBox::ReadOnly() { return FDataBinding->ReadOnly(); }
void TvlCustomCheckListBox::SetReadOnly(Boolean Value) { FDataBinding->SetReadOnly(Value); }
Boolean TvlCustomCheckListBox::IsReadOnly() { return FDataBinding->IsControlReadOnly(); }

// --- Items, the edit value and its format ------------------------------------------------------------------------

TvlCheckStatesValueFormatEx TvlCustomCheckListBox::EffectiveFormat() const {
  return Assigned(FOnCheckStatesToEditValue) && Assigned(FOnEditValueToCheckStates) ? cvfCustom
                                                                                      : FEditValueFormat;
}

void TvlCustomCheckListBox::CheckItemCount(Integer ACount, TvlCheckStatesValueFormatEx AFormat) {
  if (AFormat == cvfInteger && ACount > 64) throw EnbException(vlGetResourceStringText(vlSCheckControlIncorrectItemCount));
}

void TvlCustomCheckListBox::StatesToEditValue() {
  TvlCheckStates& states = ScratchStates();
  const Integer count = Items()->Count();
  states.assign(size_t(count), cbsUnchecked);
  for (Integer i = 0; i < count; ++i) states[size_t(i)] = Items()->Items(i)->State();
  Variant value;
  if (Assigned(FOnCheckStatesToEditValue))
    FOnCheckStatesToEditValue(this, states, value);
  else
    value = vlCheckStatesToEditValue(states, Items(), FEditValueFormat);
  const Boolean changed = Assigned(FOnEditValueChanged) && !VariantsIdentical(value, FEditValue);
  FEditValue = value;
  FIsModified = true;
  if (changed) DoEditValueChanged();
}

void TvlCustomCheckListBox::EditValueToStates() {
  TvlCheckStates& states = ScratchStates();
  const Integer count = Items()->Count();
  states.assign(size_t(count), cbsUnchecked);
  if (Assigned(FOnEditValueToCheckStates))
    FOnEditValueToCheckStates(this, FEditValue, states);
  else
    vlEditValueToCheckStates(FEditValue, Items(), FEditValueFormat, states);
  states.resize(size_t(count), cbsUnchecked);
  Items()->LockChanged(true);
  Finally unlock([&] { Items()->LockChanged(false, false); });
  for (Integer i = 0; i < count; ++i) Items()->Items(i)->SetState(states[size_t(i)]);
}

const Variant& TvlCustomCheckListBox::EditValue() const { return FEditValue; }

void TvlCustomCheckListBox::SetEditValue(const Variant& Value) {
  FIsModified = false;
  const Boolean changed = Assigned(FOnEditValueChanged) && !VariantsIdentical(Value, FEditValue);
  FEditValue = Value;
  EditValueToStates();
  if (changed) DoEditValueChanged();
}

void TvlCustomCheckListBox::DoEditValueChanged() {
  if (Assigned(FOnEditValueChanged)) FOnEditValueChanged(this);
}

void TvlCustomCheckListBox::SetEditValueFormat(TvlCheckStatesValueFormat Value) {
  if (FEditValueFormat == Value) return;
  // Refused before anything changes, so the format and the states stay as they were.
  CheckItemCount(Items()->Count(),
                 Assigned(FOnCheckStatesToEditValue) && Assigned(FOnEditValueToCheckStates) ? cvfCustom : Value);
  FEditValueFormat = Value;
  if (FIsModified) {
    if (Value == cvfInteger) {
      Items()->LockChanged(true);
      Finally unlock([&] { Items()->LockChanged(false, false); });
      for (Integer i = 0; i < Items()->Count(); ++i)
        if (Items()->Items(i)->State() == cbsGrayed) Items()->Items(i)->SetState(cbsUnchecked);
    }
    StatesToEditValue();
  } else {
    EditValueToStates();
  }
}

void TvlCustomCheckListBox::ItemsUpdated(TCollectionItem* AItem) {
  TvlCustomInnerCheckListBox* inner = FInnerCheckListBox;
  if (!inner) return;
  TStrings* strings = inner->Items();
  if (AItem && strings->Count() == Items()->Count()) {
    const Integer index = AItem->Index();
    const Integer selected = inner->ItemIndex();
    if (strings->Strings(index) != Items()->Items(index)->Text()) {
      strings->SetStrings(index, Items()->Items(index)->Text());
      if (selected == index) inner->SetItemIndex(index);
    }
    inner->InvalidateItem(index);
  } else {
    const Integer itemIndex = inner->ItemIndex(), topIndex = inner->TopIndex();
    strings->BeginUpdate();
    {
      Finally end([&] { strings->EndUpdate(); });
      Items()->LoadStrings(strings);
      inner->SetItemIndex(std::min(itemIndex, strings->Count() - 1));
      inner->SetTopIndex(topIndex);
    }
    // The rows moved under a check held pressed: releasing it would toggle
    // an item that was never pressed, so the press is dropped.
    inner->FCapturedCheckIndex = -1;
    inner->SetPressedCheck(-1);
    inner->SetHotCheck(-1);
  }
  if (FIsModified)
    StatesToEditValue();
  else
    EditValueToStates();
}

Boolean TvlCustomCheckListBox::IsEditValueValid(const Variant& AValue, Boolean AAllowEmpty) {
  if (VarIsEmpty(AValue)) return AAllowEmpty;
  if (vlVarIsNumber(AValue)) return true;
  if (VarIsStr(AValue)) {
    const String s = VarToStr(AValue);
    return vlIsValidIntegerText(s) || vlIsValidFloatText(s);
  }
  return false;
}

// --- Operations on the items ---------------------------------------------------------------------------------

void TvlCustomCheckListBox::AddItem(const String& AItem) { Items()->Add()->SetText(AItem); }

void TvlCustomCheckListBox::CopySelection(TvlCustomCheckListBox* ADestination) {
  const Integer index = ItemIndex();
  if (index >= 0 && ADestination) ADestination->AddItem(Items()->Items(index)->Text());
}

void TvlCustomCheckListBox::DeleteSelected() {
  const Integer index = ItemIndex();
  if (index >= 0) Items()->Delete(index);
}

void TvlCustomCheckListBox::MoveSelection(TvlCustomCheckListBox* ADestination) {
  CopySelection(ADestination);
  DeleteSelected();
}

Integer TvlCustomCheckListBox::CheckAtPos(const TPoint& APos) {
  return FInnerCheckListBox->GetCheckAt(APos.X - FInnerCheckListBox->Left(), APos.Y - FInnerCheckListBox->Top());
}

Integer TvlCustomCheckListBox::ItemAtPos(const TPoint& APos, Boolean AExisting) {
  return FInnerCheckListBox->ItemAtPos(
      TPoint{APos.X - FInnerCheckListBox->Left(), APos.Y - FInnerCheckListBox->Top()}, AExisting);
}

TRect TvlCustomCheckListBox::ItemRect(Integer Index) {
  TRect r = FInnerCheckListBox->ItemRect(Index);
  OffsetRect(&r, FInnerCheckListBox->Left(), FInnerCheckListBox->Top());
  return r;
}

Integer TvlCustomCheckListBox::GetBestFitWidth() {
  TRect b;
  GetBorderSizes(b);
  Integer widest = 0;
  TvlCanvas* canvas = FInnerCheckListBox->Canvas();
  canvas->Font()->Assign(GetVisibleFont());
  for (Integer i = 0; i < Items()->Count(); ++i)
    widest = std::max(widest, canvas->TextWidth(Items()->Items(i)->Text()));
  return b.Left + b.Right + FInnerCheckListBox->GetCheckAreaWidth() +
         FInnerCheckListBox->Metrics().TextWidthCorrection + widest;
}

Integer TvlCustomCheckListBox::GetHeight(Integer ARowCount) {
  TRect b;
  GetBorderSizes(b);
  return ARowCount * FInnerCheckListBox->GetStandardItemHeight() + b.Top + b.Bottom;
}

Integer TvlCustomCheckListBox::GetItemWidth(Integer AIndex) {
  TRect b;
  GetBorderSizes(b);
  TvlCanvas* canvas = FInnerCheckListBox->Canvas();
  canvas->Font()->Assign(GetVisibleFont());
  return b.Left + b.Right + FInnerCheckListBox->GetCheckAreaWidth() + canvas->TextWidth(Items()->Items(AIndex)->Text()) +
         FInnerCheckListBox->Metrics().TextWidthCorrection;
}

// --- Integral height ---------------------------------------------------------------------------------------------

void TvlCustomCheckListBox::SetIntegralHeight(Boolean Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  UpdateInnerControlBounds();
}

Boolean TvlCustomCheckListBox::IntegralHeightApplies() {
  return FIntegralHeight && !IsLoading() && Align() != alLeft && Align() != alRight && Align() != alClient;
}

Integer TvlCustomCheckListBox::IntegralHeightFor(Integer AHeight) {
  TRect b;
  GetBorderSizes(b);
  const Integer row = std::max<Integer>(FInnerCheckListBox->GetStandardItemHeight(), 1);
  const Integer count = Items()->Count();
  const Integer scrollWidth = ScrollWidth();
  auto heightOf = [&](Integer ARows) {
    Integer h = b.Top + b.Bottom + ARows * row;
    const Integer avail = Width() - b.Left - b.Right - (ARows < count ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    if (scrollWidth > 0 && avail < scrollWidth + 4) h += GetSystemMetrics(SM_CYHSCROLL);
    return h;
  };
  // The heights do not grow steadily: n rows may need a horizontal bar beside
  // the vertical one that n + 1 rows, with no vertical bar, do without. So
  // every row count whose rows alone fit is looked at.
  Integer result = heightOf(1);
  for (Integer n = 2; b.Top + b.Bottom + n * row <= AHeight; ++n)
    if (heightOf(n) <= AHeight) result = std::max(result, heightOf(n));
  return result;
}

Boolean TvlCustomCheckListBox::CanResize(Integer& NewWidth, Integer& NewHeight) {
  const Boolean result = inherited::CanResize(NewWidth, NewHeight);
  if (result && IntegralHeightApplies()) NewHeight = IntegralHeightFor(NewHeight);
  return result;
}

void TvlCustomCheckListBox::UpdateInnerControlBounds() {
  if (IsLoading() || !FInnerCheckListBox) return;
  if (IntegralHeightApplies()) {
    const Integer h = IntegralHeightFor(Height());
    if (h != Height()) SetHeight(h);
  }
  inherited::UpdateInnerControlBounds();
}

// --- Data --------------------------------------------------------------------------------------------------------

void TvlCustomCheckListBox::DataChange() {
  if (FShowChecks) {
    SetEditValue(FDataBinding->GetStoredValue(evsValue, Focused()));
  } else if (FDataBinding->IsDataSourceLive()) {
    SetItemIndex(Items()->IndexOf(VarToStr(FDataBinding->GetStoredValue(evsText, Focused()))));
  } else {
    SetItemIndex(-1);
  }
}

void TvlCustomCheckListBox::UpdateData() {
  if (FShowChecks) {
    FDataBinding->SetStoredValue(evsValue, FEditValue);
  } else {
    const Integer index = ItemIndex();
    FDataBinding->SetStoredValue(evsText, Variant(index < 0 ? String() : Items()->Items(index)->Text()));
  }
}

void TvlCustomCheckListBox::DoExit() {
  if (IsDestroying() || FIsExitProcessing) return;
  FIsExitProcessing = true;
  Finally done([&] { FIsExitProcessing = false; });
  try {
    FDataBinding->UpdateDataSource();
  } catch (...) {
    SetFocus();
    throw;
  }
  inherited::DoExit();
}

void TvlCustomCheckListBox::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (!FShowChecks && Key >= 33 && Key <= 40 && !FDataBinding->SetEditMode()) Key = 0;
}

void TvlCustomCheckListBox::KeyPress(Char& Key) {
  inherited::KeyPress(Key);
  if (Key == Char(VK_ESCAPE)) FDataBinding->Reset();
  if (!FShowChecks && Key >= Char(32) && !FDataBinding->SetEditMode()) Key = 0;
}

void TvlCustomCheckListBox::Dispatch(TMessage& Message) {
  if (Message.Msg >= LB_ADDSTRING && Message.Msg <= 0x1B0) {
    Message.Result = FInnerCheckListBox->HandleAllocated()
                         ? SendMessageW(FInnerCheckListBox->WindowHandle(), Message.Msg, Message.WParam,
                                        Message.LParam)
                         : 0;
    return;
  }
  inherited::Dispatch(Message);
  if (Message.Msg == WM_COMMAND && HIWORD(Message.WParam) == LBN_SELCHANGE && FInnerCheckListBox)
    FInnerCheckListBox->SetExternalScrollBarsParameters();
}

// --- Drawing ------------------------------------------------------------------------------------------------------

void TvlCustomCheckListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  TvlCustomInnerCheckListBox* inner = FInnerCheckListBox;
  TvlCanvas* canvas = inner->Canvas();
  if (Index < Items()->Count()) {
    TvlCheckListBoxItem* item = Items()->Items(Index);
    const Boolean rtl = inner->UseRightToLeftAlignment();
    canvas->Font()->Assign(GetVisibleFont());
    TRect area = Rect;
    if (rtl)
      area.Right += inner->GetCheckAreaWidth();
    else
      area.Left -= inner->GetCheckAreaWidth();
    TRect textRect = Rect;
    if (rtl)
      textRect.Right -= inner->Metrics().TextOffset;
    else
      textRect.Left += inner->Metrics().TextOffset;
    const Boolean enabled = Enabled() && item->Enabled();
    TvlLookAndFeel* lf = Style()->LookAndFeel();
    TvlCustomLookAndFeelPainterClass painter = lf->Painter();
    if (FShowChecks && Rect.Top >= 0) {
      TvlEditCheckState checkState = ecsNormal;
      if (!item->Enabled())
        checkState = ecsDisabled;
      else if (Index == inner->HotCheckIndex())
        checkState = ecsHot;
      else if (Index == inner->PressedCheckIndex())
        checkState = ecsPressed;
      TvlEditBorderStyle border = FCheckBorderStyle;
      if (!FNativeStyle && border == ebsFlat && (checkState == ecsHot || checkState == ecsPressed)) border = ebs3D;
      vlPaintCheckGlyph(canvas, inner->GetCheckRect(area, true), item->State(), nssGrayedChecked, lf->SkinPainter(),
                        true, false, IsDesigning(), true, inner->Color(), clBtnText, FNativeStyle, border,
                        inner->GlyphCount(), inner->FGlyph, checkState);
    }
    if (vlIsImageListValid(FImages) && item->ImageIndex() >= 0 && item->ImageIndex() < FImages->Count())
      vlDrawImageListGlyph(canvas, FImages, item->ImageIndex(), nullptr, enabled, inner->Color(),
                           inner->GetImageRect(area));
    TColor brush, text;
    if (State.Contains(odSelected) && !IsDesigning()) {
      text = painter->DefaultSelectionTextColor();
      brush = painter->DefaultSelectionColor();
    } else {
      brush = ViewInfo()->BackgroundColor();
      text = GetVisibleFont()->Color();
      if (!enabled) {
        const TColor painterColor = painter->DefaultEditorTextColor(true);
        text = StyleDisabled()->OwnAssigned(svTextColor) || painterColor == clDefault ? StyleDisabled()->TextColor()
                                                                                      : painterColor;
      }
    }
    canvas->Brush()->SetColor(brush);
    canvas->FillRect(Rect, brush);
    canvas->Font()->SetColor(text);
    HDC dc = canvas->Canvas()->Handle();
    const Integer oldMode = SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(text));
    UINT flags = (rtl ? DT_RIGHT : DT_LEFT) | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
    DRAWTEXTPARAMS params{};
    params.cbSize = sizeof(params);
    if (inner->TabWidth() >= 1) {
      flags |= DT_EXPANDTABS | DT_TABSTOP;
      params.iTabLength = inner->TabWidth();
    }
    String s = item->Text();
    DrawTextExW(dc, s.data(), Integer(s.size()), &textRect, flags, &params);
    SetBkMode(dc, oldMode);
    if (State.Contains(odFocused)) canvas->DrawFocusRect(Rect);
  }
  if (Assigned(FOnDrawItem)) FOnDrawItem(this, Index, Rect, State);
}
