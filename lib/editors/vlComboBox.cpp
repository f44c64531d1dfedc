#include "lib/editors/vlComboBox.h"

#include <algorithm>

#include "lib/editors/vlDropDownInnerEdit.h"
#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlEditRepository.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/editors/vlInnerTextEdit.h"
#include "lib/editors/vlPopupEdit.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Windows.h"

using namespace win;

// --- List boxes ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomComboBoxListBox)

void TvlCustomComboBoxListBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetStyle(lbOwnerDrawVariable);
}

CL_IMPLEMENT_CLASS(TvlComboBoxListBox)

TvlCustomComboBox* TvlComboBoxListBox::ComboBox() { return dynamic_cast<TvlCustomComboBox*>(Edit()); }

String TvlComboBoxListBox::GetItemText(Integer AIndex) {
  TvlCustomComboBox* combo = ComboBox();
  return combo && combo->LookupData() ? combo->LookupData()->GetItemText(AIndex) : inherited::GetItemText(AIndex);
}

Integer TvlComboBoxListBox::GetItemHeight(Integer AIndex) {
  TvlCustomComboBox* combo = ComboBox();
  const Integer fixed = combo ? combo->ActiveProperties()->ItemHeight() : 0;
  Integer h = fixed > 0 ? fixed : MeasureText(u"Wg").cy;
  if (AIndex >= 0 && combo && combo->HasMeasureItemHandler()) combo->DoMeasureItem(AIndex, Canvas(), h);
  return h;
}

Integer TvlComboBoxListBox::GetHeight(Integer ARowCount, Integer) {
  Integer h = 0;
  for (Integer i = 0; i < ARowCount; ++i) h += GetItemHeight(i);
  return h;
}

void TvlComboBoxListBox::AfterInitialize() {
  TvlCustomComboBox* combo = ComboBox();
  if (combo && combo->PopupControlsLookAndFeel()) LookAndFeel()->SetMasterLookAndFeel(combo->PopupControlsLookAndFeel());
  SetStyle(combo && combo->HasMeasureItemHandler() ? lbOwnerDrawVariable : lbOwnerDrawFixed);
  SetItemHeight(GetItemHeight(-1));
}

void TvlComboBoxListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  TvlCustomComboBox* combo = ComboBox();
  if (combo && combo->HasDrawItemHandler()) Params.WindowClass.style |= CS_HREDRAW;
}

Boolean TvlComboBoxListBox::DrawItemHook(Integer Index, const TRect& Rect, TOwnerDrawState State) {
  TvlCustomComboBox* combo = ComboBox();
  if (!combo || !combo->HasDrawItemHandler()) return false;
  TWeakRef<TvlCustomComboBox> alive(combo);
  try {
    combo->DoDrawItem(Canvas(), Index, Rect, State);
  } catch (...) {
    // A raising handler would raise again on every repaint of the open list:
    // the list closes without taking an item and the exception goes on once.
    if (alive && alive->DroppedDown()) alive->CloseUp(crCancel);
    throw;
  }
  return true;
}

void TvlComboBoxListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TvlCustomComboBox* combo = ComboBox();
  if (combo && combo->PopupMouseMoveLocked()) {
    // The first move after showing keeps the current item highlighted.
    combo->SetPopupMouseMoveLocked(false);
    return;
  }
  inherited::MouseMove(Shift, X, Y);
}

void TvlComboBoxListBox::SetItemIndexValue(Integer Value) {
  inherited::SetItemIndexValue(Value);
  if (TvlCustomComboBox* combo = ComboBox()) combo->SetPopupMouseMoveLocked(true);
}

void TvlComboBoxListBox::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<TvlComboBoxListBox> self(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (!self || Button != mbLeft) return;
  const Integer i = ItemAtPos(TPoint{X, Y}, true);
  TvlCustomComboBox* combo = ComboBox();
  if (i < 0 || !combo) return;
  if (HandleAllocated() && GetCapture() == WindowHandle()) ReleaseCapture();
  SetItemIndex(i);
  combo->CloseUp(crEnter);
}

// --- Lookup data -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlComboBoxLookupData)

TvlComboBoxListBox* TvlComboBoxLookupData::ComboList() const { return dynamic_cast<TvlComboBoxListBox*>(List()); }

void TvlComboBoxLookupData::SetKeyOfText() { InternalSetCurrentKey(IndexOf(Edit()->Text())); }

TSize TvlComboBoxLookupData::GetVisualAreaPreferredSize(Integer AMaxHeight, Integer AWidth) {
  TvlComboBoxListBox* list = ComboList();
  if (!list) return TSize{};
  auto* p = static_cast<TvlCustomComboBoxProperties*>(Edit()->ActiveProperties());
  const Integer count = GetItemCount();
  const Integer rows = std::min(p->DropDownRows(), count);
  TSize r{0, list->GetHeight(rows, AMaxHeight)};
  // The list's font goes to the measuring canvas once for all the items.
  TvlCanvas* canvas = vlGetScreenCanvas();
  canvas->Font()->Assign(list->Font());
  for (Integer i = 0; i < count; ++i) r.cx = std::max(r.cx, canvas->TextExtent(GetItemText(i)).cx);
  r.cx += 4;
  list->SetListScrollWidth(r.cx);
  if (p->DropDownRows() < count || (AMaxHeight > 0 && AMaxHeight < r.cy)) r.cx += GetSystemMetrics(SM_CXVSCROLL);
  if (AWidth > 0 && AWidth < r.cx) r.cy += GetSystemMetrics(SM_CYHSCROLL);
  return r;
}

Boolean TvlComboBoxLookupData::CanResizeVisualArea(TSize& NewSize, Integer AMaxHeight, Integer AMaxWidth) {
  TvlComboBoxListBox* list = ComboList();
  if (!list || (NewSize.cx == list->Width() && NewSize.cy == list->Height())) return true;
  const Integer count = GetItemCount();
  const Integer vsb = GetSystemMetrics(SM_CXVSCROLL), hsb = GetSystemMetrics(SM_CYHSCROLL);
  const Integer scrollWidth = list->ScrollWidth();
  const Boolean enlarging = NewSize.cy >= list->Height();
  Integer rows = 0, run = 0, total = 0;
  Boolean vertical = false, horizontal = false;
  auto account = [&](Integer ARows) {
    vertical = ARows < count;
    const Integer avail = NewSize.cx - (vertical ? vsb : 0);
    horizontal = avail < scrollWidth || (AMaxWidth > 0 && avail > AMaxWidth);
    total = run + (horizontal ? hsb : 0);
  };
  while (rows < count) {
    run += list->GetItemHeight(rows);
    ++rows;
    account(rows);
    const Boolean beyondMax = AMaxHeight > 0 && total > AMaxHeight;
    if (total == NewSize.cy && !beyondMax) break;
    if (total > NewSize.cy || beyondMax) {
      if ((beyondMax || enlarging) && rows > 1) {
        --rows;
        run -= list->GetItemHeight(rows);
        account(rows);
      }
      break;
    }
  }
  NewSize.cy = total;
  NewSize.cx = std::max(NewSize.cx, (vertical ? vsb : 0) + (horizontal ? vsb : 0));
  return true;
}

// --- View data and view info -------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomComboBoxViewInfo)

void TvlCustomComboBoxViewInfo::Assign(TObject* Source) {
  inherited::Assign(Source);
  if (auto* src = dynamic_cast<TvlCustomComboBoxViewInfo*>(Source)) ItemIndex = src->ItemIndex;
}

void TvlCustomComboBoxViewInfo::DoPaint(TvlCanvas* ACanvas) {
  if (IsOwnerDrawing) CustomDrawHandler = TvlTextEditCustomDrawHandler(this, &TvlCustomComboBoxViewInfo::DrawOwnerItem);
  inherited::DoPaint(ACanvas);
}

void TvlCustomComboBoxViewInfo::DrawOwnerItem(TvlCanvas* ACanvas, const TRect& ARect) {
  if (Font) ACanvas->SetFont(Font);
  ACanvas->SetBrushColor(DrawSelectionBar ? TColor(clHighlight) : BackgroundColor());
  ACanvas->Font()->SetColor(DrawSelectionBar ? TColor(clHighlightText) : TextColor);
  TOwnerDrawState state{odComboBoxEdit};
  if (Focused) {
    state.Include(odSelected);
    state.Include(odFocused);
  }
  if (auto* combo = dynamic_cast<TvlCustomComboBox*>(Edit)) {
    combo->DoDrawItem(ACanvas, ItemIndex, ARect, state);
    return;
  }
  // Painted without an editor (a grid cell): the properties' own handler, with no control.
  auto* p = dynamic_cast<TvlCustomComboBoxProperties*>(EditProperties);
  if (p && Assigned(p->OnDrawItem())) p->OnDrawItem()(nullptr, ACanvas, ItemIndex, ARect, state);
}

CL_IMPLEMENT_CLASS(TvlCustomComboBoxViewData)

void TvlCustomComboBoxViewData::SetOwnerDrawnItem(TvlCustomComboBoxViewInfo* AViewInfo, Integer AIndex) {
  auto* p = static_cast<TvlCustomComboBoxProperties*>(Properties());
  auto* combo = dynamic_cast<TvlCustomComboBox*>(Edit());
  const Boolean hasHandler = combo ? combo->HasDrawItemHandler() : Assigned(p->OnDrawItem());
  AViewInfo->ItemIndex = p->DropDownListStyle() == lsFixedList && hasHandler ? AIndex : -1;
  AViewInfo->IsOwnerDrawing = AViewInfo->ItemIndex != -1;
}

void TvlCustomComboBoxViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                          TvlMouseButton Button, TShiftState Shift, TvlCustomEditViewInfo* AViewInfo,
                                          Boolean AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  auto* vi = static_cast<TvlCustomComboBoxViewInfo*>(AViewInfo);
  auto* combo = dynamic_cast<TvlCustomComboBox*>(Edit());
  SetOwnerDrawnItem(vi, combo ? combo->ItemIndex()
                              : static_cast<TvlCustomComboBoxProperties*>(Properties())->Items()->IndexOf(vi->Text));
}

void TvlCustomComboBoxViewData::EditValueToDrawValue(TvlCanvas* ACanvas, const Variant& AEditValue,
                                                     TvlCustomEditViewInfo* AViewInfo) {
  inherited::EditValueToDrawValue(ACanvas, AEditValue, AViewInfo);
  if (Edit()) return;
  auto* vi = static_cast<TvlCustomComboBoxViewInfo*>(AViewInfo);
  SetOwnerDrawnItem(vi, static_cast<TvlCustomComboBoxProperties*>(Properties())->Items()->IndexOf(vi->Text));
}

// --- Popup window ----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlComboBoxPopupWindow)

void TvlComboBoxPopupWindow::CalculateSize() {
  TvlCustomDropDownEdit* edit = Edit();
  if (!edit) return;
  TvlCustomEditPopupWindowViewInfo* vi = ViewInfo();
  vi->SizeGripCorner = ecoBottomRight;
  const TRect owner = edit->GetPopupOwnerBounds();
  SetOwnerBounds(owner);
  const Integer ownerWidth = owner.Right - owner.Left;
  const TRect e = vi->GetClientExtent();
  const TSize m = MinSize();
  TSize c{};
  edit->GetPopupContentPreferredSize(c);
  const Boolean userSized = edit->PopupSizeChanged() && Sizeable();
  Integer w, h;
  if (userSized || (!PopupAutoSize() && PopupWidth() > 0))
    w = PopupWidth();
  else if (PopupAutoSize())
    w = std::max(c.cx + e.Left + e.Right, ownerWidth);
  else
    w = ownerWidth;
  if ((userSized || PopupHeight() != 0) && (Sizeable() || !PopupAutoSize()))
    h = PopupHeight();
  else
    h = c.cy + e.Top + e.Bottom;
  if (Sizeable()) {
    w = std::max(w, MinWidth());
    h = std::max(h, MinHeight());
  }
  SetWidth(std::max(w, m.cx));
  SetHeight(std::max(h, m.cy));
}

// --- Properties ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomComboBoxProperties)

void TvlCustomComboBoxProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FDropDownListStyle = lsEditList;
  FDropDownRows = 8;
  SetImmediateDropDown(true);
}

TvlCustomEditClass TvlCustomComboBoxProperties::GetContainerClass() const { return ClassOf<TvlComboBox>(); }

void TvlCustomComboBoxProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TvlCustomComboBoxProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Assign(Source);
  SetDropDownListStyle(s->FDropDownListStyle);
  SetDropDownRows(s->FDropDownRows);
  SetItemHeight(s->FItemHeight);
  FRevertable = s->FRevertable;
  FOnDrawItem = s->FOnDrawItem;
  FOnMeasureItem = s->FOnMeasureItem;
}

TvlEditEditingStyle TvlCustomComboBoxProperties::GetTextEditingStyle() {
  if (inherited::GetTextEditingStyle() == esNoEdit) return esNoEdit;
  switch (FDropDownListStyle) {
    case lsEditFixedList: return esEditList;
    case lsFixedList: return esFixedList;
    default: return esEdit;
  }
}

void TvlCustomComboBoxProperties::SetDropDownListStyle(TvlEditDropDownListStyle Value) {
  if (FDropDownListStyle == Value) return;
  FDropDownListStyle = Value;
  Changed();
}

void TvlCustomComboBoxProperties::SetDropDownRows(Integer Value) {
  if (Value < 1 || Value == FDropDownRows) return;
  FDropDownRows = Value;
  Changed();
}

void TvlCustomComboBoxProperties::SetItemHeight(Integer Value) {
  if (FItemHeight == Value) return;
  FItemHeight = Value;
  Changed();
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlComboBoxProperties, P) {
  using T = TvlComboBoxProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
  P.Property(u"BeepOnError", &T::BeepOnError, &T::SetBeepOnError).Default(false);
  P.Property(u"ButtonGlyph", &T::ButtonGlyph, &T::SetButtonGlyph).Stored([](T* AProperties) {
    TBitmap* glyph = AProperties->ButtonGlyph();
    return glyph && !glyph->Empty();
  });
  P.Property(u"CaseInsensitive", &T::CaseInsensitive, &T::SetCaseInsensitive).Default(true);
  P.Property(u"CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"DropDownAutoWidth", &T::DropDownAutoWidth, &T::SetDropDownAutoWidth).Default(true);
  P.Property(u"DropDownListStyle", &T::DropDownListStyle, &T::SetDropDownListStyle).Default(lsEditList);
  P.Property(u"DropDownRows", &T::DropDownRows, &T::SetDropDownRows).Default(8);
  P.Property(u"DropDownSizeable", &T::DropDownSizeable, &T::SetDropDownSizeable).Default(false);
  P.Property(u"DropDownWidth", &T::DropDownWidth, &T::SetDropDownWidth).Default(0);
  // The kind before the mask, so the mask compiles in its own language.
  P.Property(u"MaskKind", &T::MaskKind, &T::SetMaskKind).Default(emkStandard);
  P.Property(u"EditMask", &T::OwnEditMask, &T::SetEditMask).Stored(&T::IsEditMaskStored);
  P.Property(u"HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true);
  P.Property(u"IgnoreMaskBlank", &T::IgnoreMaskBlank, &T::SetIgnoreMaskBlank).Default(false);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"ImmediateDropDown", &T::ImmediateDropDown, &T::SetImmediateDropDown).Default(true);
  P.Property(u"ImmediatePost", &T::ImmediatePost, &T::SetImmediatePost).Default(false);
  P.Property(u"ImmediateUpdateText", &T::ImmediateUpdateText, &T::SetImmediateUpdateText).Default(false);
  P.Property(u"IncrementalSearch", &T::IncrementalSearch, &T::SetIncrementalSearch).Default(true);
  P.Property(u"ItemHeight", &T::ItemHeight, &T::SetItemHeight).Default(0);
  P.Property(u"Items", &T::Items, &T::SetItems);
  P.Property(u"MaxLength", &T::MaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  P.Property(u"OEMConvert", &T::OEMConvert, &T::SetOEMConvert).Default(false);
  P.Property(u"PopupAlignment", &T::PopupAlignment, &T::SetPopupAlignment).Default(taLeftJustify);
  P.Property(u"PostPopupValueOnTab", &T::PostPopupValueOnTab, &T::SetPostPopupValueOnTab).Default(false);
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"Revertable", &T::Revertable, &T::SetRevertable).Default(false);
  P.Property(u"Sorted", &T::Sorted, &T::SetSorted).Default(false);
  P.Property(u"UseLeftAlignmentOnEditing", &T::UseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  P.Property(u"ValidateOnEnter", &T::ValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnCloseUp", &T::OnCloseUp, &T::SetOnCloseUp);
  P.Property(u"OnDrawItem", &T::OnDrawItem, &T::SetOnDrawItem);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnInitPopup", &T::OnInitPopup, &T::SetOnInitPopup);
  P.Property(u"OnMeasureItem", &T::OnMeasureItem, &T::SetOnMeasureItem);
  P.Property(u"OnNewLookupDisplayText", &T::OnNewLookupDisplayText, &T::SetOnNewLookupDisplayText);
  P.Property(u"OnPopup", &T::OnPopup, &T::SetOnPopup);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}

// --- The editor ------------------------------------------------------------------------------------------

// The combo's inner edit: a plain click is no click of the combo box.
class TvlCustomComboBoxInnerEdit : public TvlCustomDropDownInnerEdit {
  CL_CLASS(TvlCustomComboBoxInnerEdit, TvlCustomDropDownInnerEdit)
 public:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_LBUTTONUP) SetControlState(ControlState() - TControlState{csClicked});
    inherited::WndProc(Message);
  }
};
CL_IMPLEMENT_CLASS(TvlCustomComboBoxInnerEdit)

CL_IMPLEMENT_CLASS(TvlCustomComboBox)

TClass TvlCustomComboBox::InnerControlClass() const { return ClassOf<TvlCustomComboBoxInnerEdit>(); }

TvlCustomComboBoxProperties* TvlCustomComboBox::RepositoryComboProperties() {
  TvlEditRepositoryItem* item = RepositoryItem();
  return item ? dynamic_cast<TvlCustomComboBoxProperties*>(item->Properties()) : nullptr;
}

Boolean TvlCustomComboBox::HasDrawItemHandler() {
  TvlCustomComboBoxProperties* item = RepositoryComboProperties();
  return Assigned(Properties()->OnDrawItem()) || (item && Assigned(item->OnDrawItem()));
}

Boolean TvlCustomComboBox::HasMeasureItemHandler() {
  TvlCustomComboBoxProperties* item = RepositoryComboProperties();
  return Assigned(Properties()->OnMeasureItem()) || (item && Assigned(item->OnMeasureItem()));
}

void TvlCustomComboBox::DoDrawItem(TvlCanvas* ACanvas, Integer AIndex, const TRect& ARect, TOwnerDrawState AState) {
  TWeakRef<TvlCustomComboBox> self(this);
  if (Assigned(Properties()->OnDrawItem())) Properties()->OnDrawItem()(this, ACanvas, AIndex, ARect, AState);
  TvlCustomComboBoxProperties* item = self ? RepositoryComboProperties() : nullptr;
  if (item && Assigned(item->OnDrawItem())) item->OnDrawItem()(this, ACanvas, AIndex, ARect, AState);
}

void TvlCustomComboBox::DoMeasureItem(Integer AIndex, TvlCanvas* ACanvas, Integer& AHeight) {
  TWeakRef<TvlCustomComboBox> self(this);
  if (Assigned(Properties()->OnMeasureItem())) Properties()->OnMeasureItem()(this, AIndex, ACanvas, AHeight);
  TvlCustomComboBoxProperties* item = self ? RepositoryComboProperties() : nullptr;
  if (item && Assigned(item->OnMeasureItem())) item->OnMeasureItem()(this, AIndex, ACanvas, AHeight);
}

Boolean TvlCustomComboBox::CanDropDown() { return !LookupData() || !LookupData()->IsEmpty(); }

void TvlCustomComboBox::GetPopupContentPreferredSize(TSize& ASize) {
  TvlCustomComboBoxProperties* p = ActiveProperties();
  TSize maxSize{};
  PopupWindow()->GetMaxContentSize(maxSize);
  Integer limit = maxSize.cx;
  if (!p->DropDownSizeable() && !p->DropDownAutoWidth()) {
    const TRect e = PopupWindow()->ViewInfo()->GetClientExtent();
    const Integer w = p->DropDownWidth() < 1 ? Width() : p->DropDownWidth();
    limit = std::min(w - e.Left - e.Right, maxSize.cx);
  }
  ASize = ComboLookupData() ? ComboLookupData()->GetVisualAreaPreferredSize(maxSize.cy, limit) : TSize{};
}

void TvlCustomComboBox::SetupPopupWindow() {
  inherited::SetupPopupWindow();
  PopupWindow()->SetSysPanelStyle(ActiveProperties()->PopupSizeable());
}

void TvlCustomComboBox::InitializePopupWindow() {
  inherited::InitializePopupWindow();
  if (TWinControl* list = LookupListControl()) list->Invalidate();
}

void TvlCustomComboBox::PopupWindowShowed(TObject* Sender) {
  // OnPopup may free the editor.
  TWeakRef<TvlCustomComboBox> self(this);
  inherited::PopupWindowShowed(Sender);
  if (!self) return;
  if (LookupData() && LookupData()->IsMouseOverList(vlGetCursorPos())) FPopupMouseMoveLocked = true;
}

Integer TvlCustomComboBox::SelectedItem() {
  TvlCustomEditListBox* list = LookupData() ? LookupData()->List() : nullptr;
  return list ? list->ItemIndex() : -1;
}

void TvlCustomComboBox::SetSelectedItem(Integer Value) {
  if (TvlCustomEditListBox* list = LookupData() ? LookupData()->List() : nullptr) list->SetItemIndex(Value);
}

void TvlCustomComboBox::HandleInnerEditChange(TObject* Sender) {
  TvlComboBoxLookupData* lookup = ComboLookupData();
  const Integer prevKey = lookup ? lookup->CurrentKey() : -1;
  TWeakRef<TvlCustomComboBox> self(this);
  {
    LockChangeEvents(true);
    LockClick(true);
    Finally unlock([&] {
      if (!self) return;
      LockClick(false);
      LockChangeEvents(false);
    });
    inherited::HandleInnerEditChange(Sender);
    if (!self || !lookup || LookupDataTextChangedLocked()) return;
    TvlCustomComboBoxProperties* p = ActiveProperties();
    const TvlEditEditingStyle style = p->GetTextEditingStyle();
    const Boolean searches = !(style == esEdit && !p->IncrementalSearch());
    const Boolean sync =
        DroppedDown() || (!searches && IsPopupPending()) || style != esEdit ||
        (InternalFocused() && AnsiUpperCase(Text()) != AnsiUpperCase(lookup->GetDisplayText(lookup->GetCurrentKey())));
    if (sync) lookup->TextChanged();
  }
  if (self && lookup && lookup->CurrentKey() != prevKey && ActiveProperties()->IncrementalSearch()) DoModifiedClick();
}

void TvlCustomComboBox::DblClick() {
  TWeakRef<TvlCustomComboBox> self(this);
  {
    // A double click on a button is no click of the combo box either.
    LockClick(true);
    Finally unlock([&] {
      if (self) LockClick(false);
    });
    inherited::DblClick();
  }
  if (!self || DroppedDown() || !ActiveProperties()->Revertable() || !LookupData()) return;
  // Stepping as the arrow keys do: an MRU list keeps its order.
  LockChangeEvents(true);
  SetLookupItemsScrolling(true);
  Finally unlock([&] {
    if (!self) return;
    SetLookupItemsScrolling(false);
    LockChangeEvents(false);
  });
  const Integer prevKey = LookupData()->CurrentKey();
  LookupData()->Go(egdNext, true);
  if (!self) return;
  TvlCustomComboBoxProperties* p = ActiveProperties();
  if (LookupData()->CurrentKey() != prevKey && CanPostEditValue() && p->ImmediatePost() && ValidateEdit(true))
    InternalPostEditValue(false);
}

Boolean TvlCustomComboBox::SupportsSpelling() {
  return inherited::SupportsSpelling() && ActiveProperties()->DropDownListStyle() == lsEditList;
}

void TvlCustomComboBox::RevertValue() {
  const Boolean reverts = ModifiedAfterEnter() && ActiveProperties()->IsResetEditClass();
  TWeakRef<TvlCustomComboBox> self(this);
  inherited::RevertValue();
  // The text went back to the value on entry: the item goes back with it
  // (none when that text is empty or no item's).
  if (self && reverts && ComboLookupData()) ComboLookupData()->SetKeyOfText();
}

void TvlCustomComboBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  // Dragging from the editor into the open list tracks the item under the pointer.
  TWinControl* list = LookupListControl();
  if (!DroppedDown() || !list || !list->HandleAllocated() || GetCapture() != WindowHandle()) return;
  const TPoint screen = ClientToScreen(TPoint{X, Y});
  const TPoint inPopup = PopupWindow()->ScreenToClient(screen);
  if (!vlPointInRect(PopupWindow()->ViewInfo()->ClientRect, inPopup) || !LookupData()->IsMouseOverList(screen)) return;
  const TPoint p = list->ScreenToClient(screen);
  ReleaseCapture();
  SendMessageW(list->WindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
}

void TvlCustomComboBox::WndProc(TMessage& Message) {
  // OnClick fires only for a changed item: the platform's click of a release is dropped.
  if (Message.Msg == WM_LBUTTONUP) SetControlState(ControlState() - TControlState{csClicked});
  inherited::WndProc(Message);
}

void TvlCustomComboBox::ResetPopupHeight() {
  auto* data = dynamic_cast<TvlCustomDropDownEditData*>(EditData());
  if (IsInplace() && ActiveProperties()->PopupSizeable() && data)
    data->Height = 0;
  else
    ActiveProperties()->SetPopupHeight(0);
}

void TvlCustomComboBox::Activate(TvlCustomEditData*& AEditData) {
  TWeakRef<TvlCustomComboBox> self(this);
  inherited::Activate(AEditData);
  if (self && LookupData()) LookupData()->TextChanged();
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlComboBox, P) {
  using T = TvlComboBox;
  PublishControlProperties(P, {u"Anchors"});
  P.Property(u"AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
  P.Property(u"BeepOnEnter", &T::BeepOnEnter, &T::SetBeepOnEnter).Default(true);
  PublishControlProperties(P, {u"Constraints", u"DragCursor", u"DragKind", u"DragMode", u"Enabled"});
  P.Property(u"ItemIndex", &T::ItemIndex, &T::SetItemIndex).Stored(false);
  PublishControlProperties(P, {u"ParentColor", u"ParentFont", u"ParentShowHint", u"PopupMenu"});
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  PublishControlProperties(P, {u"TabOrder"});
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
  P.Property(u"Text", &T::Text, &T::SetTextProp);
  PublishControlProperties(P, {u"Visible", u"OnClick", u"OnContextPopup", u"OnDblClick", u"OnDragDrop",
                               u"OnDragOver", u"OnEndDock", u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown",
                               u"OnKeyPress", u"OnKeyUp", u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave",
                               u"OnMouseMove", u"OnMouseUp", u"OnStartDock", u"OnStartDrag"});
}

// --- Filter helper ---------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterComboBoxHelper)

TvlCustomEditClass TvlFilterComboBoxHelper::GetFilterEditClass() const { return ClassOf<TvlComboBox>(); }

void TvlFilterComboBoxHelper::InitializeProperties(TvlCustomEditProperties* AProperties,
                                                   TvlCustomEditProperties* AEditProperties,
                                                   Boolean AHasButtons) const {
  inherited::InitializeProperties(AProperties, AEditProperties, AHasButtons);
  auto* p = dynamic_cast<TvlCustomComboBoxProperties*>(AProperties);
  if (!p) return;
  p->SetButtonGlyph(nullptr);
  p->SetDropDownRows(8);
  p->SetDropDownListStyle(lsEditList);
  p->SetImmediateDropDown(false);
  p->SetPopupAlignment(taLeftJustify);
  p->SetRevertable(false);
}

// --- The unit --------------------------------------------------------------------------------------------

namespace {

Integer gStartupCount = 0;

void Startup() {
  if (gStartupCount++ > 0) return;
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlComboBoxProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryComboBoxItem));
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlPopupEditProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryPopupItem));
  vlFilterEditsController()->Register(ClassOf<TvlComboBoxProperties>(), ClassOf<TvlFilterComboBoxHelper>());
  RegisterClasses({ClassOf<TvlComboBox>(), ClassOf<TvlComboBoxProperties>(), ClassOf<TvlPopupEdit>(),
                   ClassOf<TvlPopupEditProperties>()});
}

void Shutdown() {
  if (gStartupCount == 0 || --gStartupCount > 0) return;
  vlFilterEditsController()->Unregister(ClassOf<TvlComboBoxProperties>(), ClassOf<TvlFilterComboBoxHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry()) {
    registry->Unregister(ClassOf<TvlPopupEditProperties>());
    registry->Unregister(ClassOf<TvlComboBoxProperties>());
  }
}

}  // namespace

CL_UNIT_STEPS(vlComboBox, &Startup, &Shutdown);
