#include "lib/editors/vlListBox.h"

#include <algorithm>

#include "lib/data/vlCustomData.h"
#include "lib/data/vlDataUtils.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Messages.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/win/Windows.h"

using namespace win;

CL_IMPLEMENT_CLASS(TvlInnerListBox)

CL_IMPLEMENT_CLASS_PUBLISHED(TvlListBox, P) {
  using T = TvlListBox;
  PublishControlProperties(P, {u"Align", u"Anchors"});
  P.Property(u"AutoComplete", &T::AutoComplete, &T::SetAutoComplete).Default(true);
  P.Property(u"AutoCompleteDelay", &T::AutoCompleteDelay, &T::SetAutoCompleteDelay).Default(500);
  PublishControlProperties(P, {u"BiDiMode"});
  P.Property(u"Columns", &T::Columns, &T::SetColumns).Default(0);
  PublishControlProperties(P, {u"Constraints", u"DragCursor", u"DragKind", u"DragMode", u"Enabled"});
  P.Property(u"ExtendedSelect", &T::ExtendedSelect, &T::SetExtendedSelect).Default(true);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"IntegralHeight", &T::IntegralHeight, &T::SetIntegralHeight).Default(false);
  P.Property(u"ItemHeight", &T::ItemHeight, &T::SetItemHeight);
  P.Property(u"Items", &T::Items, &T::SetItems);
  P.Property(u"ListStyle", &T::ListStyle, &T::SetListStyle).Default(lbStandard);
  P.Property(u"MultiSelect", &T::MultiSelect, &T::SetMultiSelect).Default(false);
  PublishControlProperties(P, {u"ParentBiDiMode"});
  P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
  PublishControlProperties(P, {u"ParentFont", u"ParentShowHint", u"PopupMenu"});
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(false);
  P.Property(u"ScrollWidth", &T::ScrollWidth, &T::SetScrollWidth).Default(0);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Sorted", &T::Sorted, &T::SetSorted).Default(false);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  PublishControlProperties(P, {u"TabOrder"});
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
  P.Property(u"TabWidth", &T::TabWidth, &T::SetTabWidth).Default(0);
  PublishControlProperties(P, {u"Visible", u"OnClick", u"OnContextPopup"});
  P.Property(u"OnData", &T::OnData, &T::SetOnData);
  P.Property(u"OnDataFind", &T::OnDataFind, &T::SetOnDataFind);
  P.Property(u"OnDataObject", &T::OnDataObject, &T::SetOnDataObject);
  PublishControlProperties(P, {u"OnDblClick", u"OnDragDrop", u"OnDragOver"});
  P.Property(u"OnDrawItem", &T::OnDrawItem, &T::SetOnDrawItem);
  PublishControlProperties(P, {u"OnEndDock", u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress",
                               u"OnKeyUp"});
  P.Property(u"OnMeasureItem", &T::OnMeasureItem, &T::SetOnMeasureItem);
  PublishControlProperties(P, {u"OnMouseDown", u"OnMouseMove", u"OnMouseUp", u"OnStartDock", u"OnStartDrag"});
}

namespace {

// Forms hold list boxes.
void Startup() { RegisterClasses({ClassOf<TvlListBox>()}); }

void Shutdown() {}

}  // namespace

CL_UNIT_STEPS(vlListBox, &Startup, &Shutdown);

// --- Inner list box ------------------------------------------------------------------------------

TvlListBox* TvlInnerListBox::ListBox() const { return static_cast<TvlListBox*>(FContainer); }

Boolean TvlInnerListBox::CanFocus() { return FContainer ? FContainer->CanFocus() : inherited::CanFocus(); }

Boolean TvlInnerListBox::ExecuteAction(TBasicAction* Action) {
  if (inherited::ExecuteAction(Action)) return true;
  return ListBox() && ListBox()->FDataBinding->ExecuteAction(Action);
}

Boolean TvlInnerListBox::UpdateAction(TBasicAction* Action) {
  if (inherited::UpdateAction(Action)) return true;
  return ListBox() && ListBox()->FDataBinding->UpdateAction(Action);
}

void TvlInnerListBox::Click() {
  if (ListBox() && !ListBox()->FDataBinding->SetEditMode()) return;
  inherited::Click();
}

void TvlInnerListBox::CreateWnd() {
  inherited::CreateWnd();
  SetExternalScrollBarsParameters();
}

void TvlInnerListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (ListBox() && ListBox()->DrawListItem(Index, Rect, State)) return;
  inherited::DrawItem(Index, Rect, State);
}

void TvlInnerListBox::WndProc(TMessage& Message) {
  // A press while the binding refuses editing only focuses the list: the
  // selection stays where the data puts it.
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && ListBox() &&
      !ListBox()->IsDesigning() && !ListBox()->FDataBinding->SetEditMode()) {
    if (CanFocus()) SetFocus();
    const TPoint p{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    MouseDown(mbLeft, KeysToShiftState(Word(Message.WParam)), p.X, p.Y);
    return;
  }
  inherited::WndProc(Message);
}

// --- List box -----------------------------------------------------------------------------------

void TvlListBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FImeMode = imDontCare;
  FDataBinding = CreateFrom(GetDataBindingClass(), static_cast<TComponent*>(this), static_cast<TComponent*>(this));
  FDataBinding->SetOnDataChange(TvlDataBindingNotifyEvent(this, &TvlListBox::DataChangeHandler));
  FDataBinding->SetOnDataSetChange(TvlDataBindingNotifyEvent(this, &TvlListBox::DataSetChangeHandler));
  FDataBinding->SetOnUpdateData(TvlDataBindingNotifyEvent(this, &TvlListBox::UpdateDataHandler));
  FInnerListBox = CreateFrom(GetInnerListBoxClass(), static_cast<TComponent*>(this));
  FInnerListBox->SetBorderStyle(bsNone);
  FInnerListBox->SetContainer(this);
  FInnerListBox->SetParent(this);
  FInnerListBox->LookAndFeel()->SetMasterLookAndFeel(Style()->LookAndFeel());
  SetInnerControl(FInnerListBox);
  FDataBinding->SetVisualControl(this);
  SetBounds(Left(), Top(), 121, 97);
}

void TvlListBox::Destroy() {
  FreeAndNil(FInnerListBox);
  FreeAndNil(FDataBinding);
  inherited::Destroy();
}

TClassOf<TvlCustomDataBinding> TvlListBox::GetDataBindingClass() { return ClassOf<TvlCustomDataBinding>(); }

Boolean TvlListBox::ExecuteAction(TBasicAction* Action) {
  return inherited::ExecuteAction(Action) || FDataBinding->ExecuteAction(Action);
}

Boolean TvlListBox::UpdateAction(TBasicAction* Action) {
  return inherited::UpdateAction(Action) || FDataBinding->UpdateAction(Action);
}

Boolean TvlListBox::DrawListItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState) {
  if (!Assigned(FOnDrawItem)) return false;
  FOnDrawItem(this, FInnerListBox->Canvas(), AIndex, ARect, AState);
  return true;
}

void TvlListBox::SetOnMeasureItem(const TvlListBoxMeasureItemEvent& Value) {
  FOnMeasureItem = Value;
  FInnerListBox->SetOnMeasureItem(Assigned(Value) ? TMeasureItemEvent(this, &TvlListBox::MeasureItemForwarder)
                                                  : TMeasureItemEvent());
}

void TvlListBox::MeasureItemForwarder(TWinControl*, Integer Index, Integer& Height) {
  if (Assigned(FOnMeasureItem)) FOnMeasureItem(this, Index, Height);
}

void TvlListBox::SetColumns(Integer Value) {
  FInnerListBox->SetColumns(Value);
  FInnerListBox->SetExternalScrollBarsParameters();
}

void TvlListBox::SetItems(TStrings* Value) {
  FInnerListBox->SetItems(Value);
  DataChange();
}

TObject* TvlListBox::ItemObject() {
  const Integer index = ItemIndex();
  return index < 0 ? nullptr : Items()->Objects(index);
}

void TvlListBox::SetItemObject(TObject* Value) { SetItemIndex(Items()->IndexOfObject(Value)); }

Boolean TvlListBox::ReadOnly() { return FDataBinding->ReadOnly(); }
void TvlListBox::SetReadOnly(Boolean Value) { FDataBinding->SetReadOnly(Value); }
Boolean TvlListBox::IsReadOnly() { return FDataBinding->IsControlReadOnly(); }

Integer TvlListBox::ItemAtPos(const TPoint& APos, Boolean AExisting) {
  return FInnerListBox->ItemAtPos(TPoint{APos.X - FInnerListBox->Left(), APos.Y - FInnerListBox->Top()}, AExisting);
}

TRect TvlListBox::ItemRect(Integer Index) {
  TRect r = FInnerListBox->ItemRect(Index);
  OffsetRect(&r, FInnerListBox->Left(), FInnerListBox->Top());
  return r;
}

Boolean TvlListBox::IsInternalControl(TControl* AControl) {
  return (FInnerListBox && (AControl == FInnerListBox->HScrollBar() || AControl == FInnerListBox->VScrollBar())) ||
         inherited::IsInternalControl(AControl);
}

// --- Data --------------------------------------------------------------------------------------------

void TvlListBox::DataChange() {
  if (FDataBinding->IsDataSourceLive()) {
    const String text = VarToStr(FDataBinding->GetStoredValue(evsText, Focused()));
    SetItemIndex(Items()->IndexOf(text));
  } else {
    SetItemIndex(-1);
  }
}

void TvlListBox::UpdateData() {
  const Integer index = ItemIndex();
  FDataBinding->SetStoredValue(evsText, Variant(index < 0 ? String() : Items()->Strings(index)));
}

void TvlListBox::DoExit() {
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

void TvlListBox::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (vlIsListNavigationKey(Key) && !FDataBinding->SetEditMode()) Key = 0;
}

void TvlListBox::KeyPress(Char& Key) {
  inherited::KeyPress(Key);
  if (Key >= Char(32) && !FDataBinding->SetEditMode()) Key = 0;
  if (Key == Char(VK_ESCAPE)) FDataBinding->Reset();
}

// --- Messages ------------------------------------------------------------------------------------------

void TvlListBox::Dispatch(TMessage& Message) {
  if (Message.Msg >= LB_ADDSTRING && Message.Msg <= 0x1B0) {
    Message.Result = FInnerListBox->HandleAllocated()
                         ? SendMessageW(FInnerListBox->WindowHandle(), Message.Msg, Message.WParam, Message.LParam)
                         : 0;
    return;
  }
  inherited::Dispatch(Message);
  if (Message.Msg == WM_COMMAND && HIWORD(Message.WParam) == LBN_SELCHANGE && FInnerListBox)
    FInnerListBox->SetExternalScrollBarsParameters();
}

void TvlListBox::FontChanged() {
  inherited::FontChanged();
  UpdateInnerControlBounds();
  if (FInnerListBox->HandleAllocated()) FInnerListBox->RecreateWnd();
}

// --- Integral height -------------------------------------------------------------------------------

void TvlListBox::SetIntegralHeight(Boolean Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  UpdateInnerControlBounds();
}

Boolean TvlListBox::IntegralHeightApplies() {
  return FIntegralHeight && !IsLoading() && Align() != alLeft && Align() != alRight && Align() != alClient;
}

Integer TvlListBox::ItemHeightOf(Integer AIndex) {
  switch (ListStyle()) {
    case lbOwnerDrawFixed:
    case lbVirtualOwnerDraw: return ItemHeight();
    case lbOwnerDrawVariable: {
      Integer h = ItemHeight();
      if (AIndex < Count()) FInnerListBox->MeasureItemHeight(AIndex, h);
      return h;
    }
    default: return vlMeasureTextHeight(Font(), u"Qq");
  }
}

Integer TvlListBox::IntegralHeightFor(Integer AHeight) {
  TRect b;
  GetBorderSizes(b);
  const Integer vbar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);
  const Integer wanted = ScrollWidth() > 0 ? ScrollWidth() + 4 : 0;
  const Integer count = Count();
  // The height of AShown items: the horizontal bar shows when the wanted
  // width exceeds what is left beside the vertical bar.
  auto withBars = [&](Integer ATotal, Integer AShown) {
    const Integer avail = Width() - b.Left - b.Right - (count > AShown ? vbar : 0);
    return ATotal + (wanted > avail ? hbar : 0);
  };
  Integer total = b.Top + b.Bottom;
  // Items of height 0 (an owner-drawn list measuring nothing) never reach the
  // height asked: past this many steps the height is left as asked.
  const Integer limit = count + std::max<Integer>(AHeight, 0) + 1;
  for (Integer i = 0; i <= limit; ++i) {
    const Integer h = ItemHeightOf(i);
    total += h;
    const Integer candidate = withBars(total, i + 1);
    if (candidate == AHeight) return candidate;
    if (candidate > AHeight) return i > 0 ? withBars(total - h, i) : candidate;
  }
  return AHeight;
}

Boolean TvlListBox::CanResize(Integer& NewWidth, Integer& NewHeight) {
  Boolean result = inherited::CanResize(NewWidth, NewHeight);
  if (result && IntegralHeightApplies()) NewHeight = IntegralHeightFor(NewHeight);
  return result;
}

void TvlListBox::UpdateInnerControlBounds() {
  if (IsLoading() || !FInnerListBox) return;
  if (IntegralHeightApplies()) {
    const Integer h = IntegralHeightFor(Height());
    if (h != Height()) SetHeight(h);
  }
  const TRect before = FInnerListBox->BoundsRect();
  inherited::UpdateInnerControlBounds();
  if (!vlRectsEqual(before, FInnerListBox->BoundsRect()) && FInnerListBox->HandleAllocated())
    FInnerListBox->Invalidate();
}
