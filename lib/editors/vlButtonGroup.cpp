// Button groups: items and their change reports, the properties (columns and
// rows), the layout of the buttons, the needed size, and the button controls.
#include "lib/editors/vlButtonGroup.h"

#include "lib/editors/vlEditUtils.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/foundation/vlTextLayout.h"
#include "lib/lookandfeel/nbThemeManager.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

using namespace win;

// --- Items ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlButtonGroupItem)

void TvlButtonGroupItem::Create(TCollection* Collection) {
  if (Collection) Collection->BeginUpdate();
  Finally end([&] {
    if (Collection) Collection->EndUpdate();
  });
  inherited::Create(Collection);
  FEnabled = true;
  if (TvlButtonGroupItems* items = dynamic_cast<TvlButtonGroupItems*>(Collection))
    items->InternalNotify(this, -1, copAdd);
}

void TvlButtonGroupItem::Destroy() {
  TvlButtonGroupItems* items = dynamic_cast<TvlButtonGroupItems*>(Collection());
  const Integer index = items && !items->IsDestroyingItems() ? Index() : -1;
  if (items) items->BeginUpdate();
  // The deletion is reported before the update ends: the end of the update
  // resynchronizes the buttons by count, which would free the last button
  // instead of the one at this item's index.
  Finally end([&] {
    if (items) items->EndUpdate();
  });
  inherited::Destroy();
  if (items) items->InternalNotify(nullptr, index, copDelete);
}

void TvlButtonGroupItem::Assign(TPersistent* Source) {
  if (TvlButtonGroupItem* src = dynamic_cast<TvlButtonGroupItem*>(Source)) SetEnabled(src->Enabled());
  inherited::Assign(Source);
}

void TvlButtonGroupItem::SetEnabled(Boolean Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  if (TvlButtonGroupItems* items = dynamic_cast<TvlButtonGroupItems*>(Collection()))
    items->InternalNotify(this, -1, copChanged);
}

CL_IMPLEMENT_CLASS(TvlButtonGroupItems)

TvlCustomButtonGroupProperties* TvlButtonGroupItems::GroupProperties() {
  return dynamic_cast<TvlCustomButtonGroupProperties*>(GetOwner());
}

void TvlButtonGroupItems::InternalNotify(TvlButtonGroupItem* AItem, Integer AIndex,
                                         TvlCollectionOperation AOperation) {
  TvlCustomButtonGroupProperties* props = GroupProperties();
  if (!props || props->ChangedLocked() || IsDestroyingItems()) return;
  FChangedItemIndex = AItem ? AItem->Index() : AIndex;
  FChangedItemOperation = AOperation;
  FItemChanged = true;
  Finally clear([&] { FItemChanged = false; });
  props->Changed();
}

void TvlButtonGroupItems::Update(TCollectionItem* Item) {
  if (IsDestroyingItems()) return;
  TvlCustomButtonGroupProperties* props = GroupProperties();
  if (props && !props->ChangedLocked()) {
    if (Item) {
      FChangedItemIndex = Item->Index();
      FChangedItemOperation = copChanged;
    }
    inherited::Update(Item);
  }
  if (props) props->Changed();
}

// --- Properties -----------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomButtonGroupProperties)

void TvlCustomButtonGroupProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FColumns = 1;
  FItems = CreateItems();
}

void TvlCustomButtonGroupProperties::Destroy() {
  FreeAndNil(FItems);
  inherited::Destroy();
}

TvlButtonGroupItems* TvlCustomButtonGroupProperties::CreateItems() {
  return New<TvlButtonGroupItems>(static_cast<TPersistent*>(this),
                                  TCollectionItemClass(ClassOf<TvlButtonGroupItem>()));
}

void TvlCustomButtonGroupProperties::Assign(TPersistent* Source) {
  if (TvlCustomButtonGroupProperties* src = dynamic_cast<TvlCustomButtonGroupProperties*>(Source)) {
    BeginUpdate();
    Finally end([&] { EndUpdate(); });
    inherited::Assign(Source);
    SetColumns(src->Columns());
    FItems->Assign(src->Items());
    SetWordWrap(src->WordWrap());
    return;
  }
  inherited::Assign(Source);
}

TvlCustomEditViewDataClass TvlCustomButtonGroupProperties::EditViewDataClass() const {
  return ClassOf<TvlButtonGroupViewData>();
}
TvlCustomEditClass TvlCustomButtonGroupProperties::GetContainerClass() const {
  return ClassOf<TvlCustomButtonGroup>();
}
TvlCustomEditViewInfoClass TvlCustomButtonGroupProperties::GetViewInfoClass() const {
  return ClassOf<TvlButtonGroupViewInfo>();
}

TvlCustomEditProperties* TvlCustomButtonGroupProperties::CreatePreviewProperties() {
  TvlCustomButtonGroupProperties* r = static_cast<TvlCustomButtonGroupProperties*>(inherited::CreatePreviewProperties());
  for (const char16_t* caption : {u"A", u"B", u"C"}) static_cast<TvlCaptionItem*>(r->Items()->Add())->SetCaption(caption);
  r->SetColumns(3);
  return r;
}

TvlEditSpecialFeatures TvlCustomButtonGroupProperties::GetSpecialFeatures() {
  TvlEditSpecialFeatures r = inherited::GetSpecialFeatures();
  r.Include(esfMinSize);
  return r;
}

TvlEditSupportedOperations TvlCustomButtonGroupProperties::GetSupportedOperations() {
  TvlEditSupportedOperations r{esoAlwaysHotTrack, esoAutoHeight, esoEditing,     esoFiltering,
                               esoShowingCaption, esoSorting,    esoTransparency};
  if (FItems->Count() > 0) r.Include(esoHotTrack);
  return r;
}

void TvlCustomButtonGroupProperties::SetColumns(Integer Value) {
  Value = std::max(1, Value);
  if (FColumns == Value) return;
  FColumns = Value;
  Changed();
}

void TvlCustomButtonGroupProperties::SetWordWrap(Boolean Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Changed();
}

Integer TvlCustomButtonGroupProperties::GetColumnCount() {
  const Integer n = FItems->Count();
  if (n == 0) return 0;
  const Integer c = std::min(FColumns, n);
  const Integer rows = (n + c - 1) / c;
  return (n + rows - 1) / rows;
}

Integer TvlCustomButtonGroupProperties::GetRowCount() {
  const Integer n = FItems->Count();
  const Integer c = std::max(1, GetColumnCount());
  return (n + c - 1) / c;
}

// --- View info ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlButtonGroupViewInfo)

void TvlButtonGroupViewInfo::DrawButton(TvlCanvas* ACanvas, Integer AIndex) {
  TvlGroupBoxButtonViewInfo* b = static_cast<TvlGroupBoxButtonViewInfo*>(ButtonsInfo[size_t(AIndex)]);
  const TRect glyph = b->GetGlyphRect(GetGlyphSize(), Alignment, IsDBEditPaintCopyDrawing);
  if (!IsDBEditPaintCopyDrawing) {
    if (IsButtonGlyphTransparent(b) || vlIsRectEmpty(glyph))
      DrawEditBackground(ACanvas, b->Bounds, TRect{}, false);
    else {
      ACanvas->SaveClipRegion();
      Finally restore([&] { ACanvas->RestoreClipRegion(); });
      ACanvas->ExcludeClipRect(glyph);
      DrawEditBackground(ACanvas, b->Bounds, TRect{}, false);
    }
  }
  DrawButtonGlyph(ACanvas, b, glyph);
  DrawButtonCaption(ACanvas, b, glyph);
}

void TvlButtonGroupViewInfo::DrawButtonCaption(TvlCanvas*, TvlGroupBoxButtonViewInfo*, const TRect&) {
  AbstractError();
}
void TvlButtonGroupViewInfo::DrawButtonGlyph(TvlCanvas*, TvlGroupBoxButtonViewInfo*, const TRect&) {
  AbstractError();
}
Boolean TvlButtonGroupViewInfo::IsButtonGlyphTransparent(TvlGroupBoxButtonViewInfo*) {
  AbstractError();
  return false;
}

// --- View data ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlButtonGroupViewData)

Boolean TvlButtonGroupViewData::IsButtonNativeStyle(TvlLookAndFeel* ALookAndFeel) const {
  return ALookAndFeel->NativeStyle() && nbIsThemeAvailable(totButton);
}

void TvlButtonGroupViewData::GetButtonMetrics(TvlCanvas*, TvlButtonMetrics&) { AbstractError(); }

void TvlButtonGroupViewData::CalculateButtonNativeInfo(TvlCustomEditViewInfo*, TvlGroupBoxButtonViewInfo*) {
  AbstractError();
}

Cardinal TvlButtonGroupViewData::GetDrawTextFlags() {
  if (GetPaintOptions().Contains(epoAutoHeight) && GroupProperties()->WordWrap())
    return Cardinal(vlAlignLeft | vlAlignVCenter | vlDontClip | vlShowPrefix | vlWordBreak);
  return Cardinal(vlAlignLeft | vlAlignVCenter | vlSingleLine | vlShowPrefix);
}

void TvlButtonGroupViewData::Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                       TvlMouseButton Button, TShiftState Shift, TvlCustomEditViewInfo* AViewInfo,
                                       Boolean AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, Button, Shift, AViewInfo, AIsMouseEvent);
  TvlButtonGroupViewInfo* vi = static_cast<TvlButtonGroupViewInfo*>(AViewInfo);
  vi->DrawTextFlags = GetDrawTextFlags();
  vi->CaptionExtent = GetCaptionRectExtent();
}

void TvlButtonGroupViewData::CalculateButtonsViewInfo(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P,
                                                      TvlMouseButton Button, TShiftState Shift,
                                                      TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) {
  TvlButtonGroupItems* items = GroupProperties()->Items();
  AViewInfo->SetButtonCount(items->Count());
  if (items->Count() == 0) return;
  InitializeButtonsViewInfo(AViewInfo);
  CalculateButtonPositions(ACanvas, AViewInfo);
  const Boolean native = IsButtonNativeStyle(FStyle->LookAndFeel());
  const TvlEditButtonTransparency transparency = FStyle->ButtonTransparency();
  const Boolean designing = IsDesigning;
  const Boolean captured = Edit() && Edit()->HandleAllocated() && GetCapture() == Edit()->WindowHandle();
  AViewInfo->PressedButton = -1;
  AViewInfo->SelectedButton = -1;
  AViewInfo->IsButtonReallyPressed = false;
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
    TvlGroupBoxButtonViewInfo* b = static_cast<TvlGroupBoxButtonViewInfo*>(AViewInfo->ButtonsInfo[size_t(i)]);
    b->Index = i;
    b->Data.NativeStyle = native;
    b->Data.Transparent = transparency == ebtAlways || (transparency == ebtInactive && !IsSelected);
    b->Data.BackgroundColor = AViewInfo->BackgroundColor();
    TvlEditButtonState state = ebsNormal;
    if (!Enabled)
      state = ebsDisabled;
    else if (!designing && vlPointInRect(b->Bounds, P)) {
      if (Shift.Contains(ssLeft) && (captured || !Edit())) {
        state = ebsPressed;
        AViewInfo->PressedButton = i;
        AViewInfo->IsButtonReallyPressed = true;
      } else if (Shift.Empty() || captured) {
        state = ebsSelected;
        AViewInfo->SelectedButton = i;
      }
    }
    b->Data.State = state;
    CalculateButtonNativeInfo(AViewInfo, b);
  }
  (void)ABounds;
  (void)Button;
  (void)AIsMouseEvent;
}

void TvlButtonGroupViewData::InitializeButtonsViewInfo(TvlCustomEditViewInfo* AViewInfo) {
  TvlCustomButtonGroupProperties* props = GroupProperties();
  const Integer rows = std::max(1, props->GetRowCount());
  TvlEditButtonStyle style;
  if (IsInplace()) {
    switch (FStyle->LookAndFeel()->Kind()) {
      case lfFlat: style = btsFlat; break;
      case lfStandard: style = bts3D; break;
      case lfOffice11: style = btsOffice11; break;
      default: style = btsUltraFlat; break;
    }
  } else if (FStyle->EditBorderStyle() == ebsUltraFlat)
    style = btsUltraFlat;
  else if (FStyle->EditBorderStyle() == ebsOffice11)
    style = btsOffice11;
  else
    style = (AViewInfo->BorderStyle == ebsNone || AViewInfo->BorderStyle == ebs3D) ? bts3D : btsFlat;
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
    TvlGroupBoxButtonViewInfo* b = static_cast<TvlGroupBoxButtonViewInfo*>(AViewInfo->ButtonsInfo[size_t(i)]);
    b->HasBackground = AViewInfo->HasBackground;
    b->Caption = props->Items()->Items(i)->Caption();
    b->Column = i / rows;
    b->Row = i % rows;
    b->Data.Style = style;
  }
}

void TvlButtonGroupViewData::CalculateButtonPositions(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo) {
  TvlCustomButtonGroupProperties* props = GroupProperties();
  const Integer columns = std::max(1, props->GetColumnCount());
  const Integer rows = std::max(1, props->GetRowCount());
  const TRect e = GetClientExtent(ACanvas, AViewInfo);
  TvlButtonMetrics m{};
  GetButtonMetrics(nullptr, m);
  const TRect& b = AViewInfo->Bounds;
  const Integer columnWidth =
      (b.Width() + m.ColumnWidthCorrection - e.Left - e.Right - (columns - 1) * m.ColumnGap) / columns;
  const Integer available = b.Height() - e.Top - e.Bottom;
  const Integer rowHeight = available / rows;
  const Integer firstRow = b.Top + e.Top + (available % rows) / 2;
  for (Integer i = 0; i < AViewInfo->ButtonCount(); ++i) {
    TvlGroupBoxButtonViewInfo* button = static_cast<TvlGroupBoxButtonViewInfo*>(AViewInfo->ButtonsInfo[size_t(i)]);
    const Integer left = b.Left + e.Left + (columnWidth + m.ColumnGap) * button->Column + m.ColumnLeftOffset;
    const Integer top = firstRow + rowHeight * button->Row;
    button->Bounds = vlRectFromBounds(left, top, columnWidth, rowHeight);
    button->VisibleBounds = button->Bounds;
  }
}

void TvlButtonGroupViewData::GetEditConstantPartSize(TvlCanvas* ACanvas,
                                                     const TvlEditSizeProperties& AEditSizeProperties, TSize& ASize,
                                                     TSize& AMinContentSize, TvlCustomEditViewInfo* AViewInfo) {
  TvlCustomButtonGroupProperties* props = GroupProperties();
  ACanvas->Font()->Assign(FStyle->GetVisibleFont());
  const TSize correction = GetEditContentSizeCorrection();
  TvlButtonMetrics m{};
  GetButtonMetrics(ACanvas, m);
  const Integer textHeight = ACanvas->TextExtent(u"Zg").cy + correction.cy;
  AMinContentSize = TSize{};
  const Integer n = props->Items()->Count();
  if (n == 0) {
    ASize = TSize{AEditSizeProperties.Width < 0 ? 0 : AEditSizeProperties.Width, textHeight};
    return;
  }
  const Integer columns = std::max(1, props->GetColumnCount());
  const Integer rows = std::max(1, props->GetRowCount());
  if (AEditSizeProperties.Width < 0) {
    Integer widest = 0;
    for (Integer i = 0; i < n; ++i)
      widest = std::max(widest, ACanvas->TextExtent(props->Items()->Items(i)->Caption()).cx);
    ASize.cx = (widest + m.AutoWidthGlyphToTextGap + m.GlyphWidth) * columns + (columns - 1) * m.ColumnGap +
               m.AutoWidthExtraWidth;
    ASize.cy = rows * std::max(m.GlyphHeight, textHeight);
    return;
  }
  ASize.cx = AEditSizeProperties.Width;
  const Integer textWidth =
      std::max(1, (AEditSizeProperties.Width + m.FixedWidthWidthCorrection - ContentOffset.Left -
                   ContentOffset.Right - (columns - 1) * m.ColumnGap) / columns -
                      m.GlyphWidth - m.FixedWidthTextIndent);
  PaintOptions.Include(epoAutoHeight);
  Integer rowHeight = textHeight;
  if (props->WordWrap()) {
    const Integer flags = Integer((GetDrawTextFlags() & ~Cardinal(vlAlignVCenter)) | Cardinal(vlAlignTop));
    for (Integer i = 0; i < n; ++i) {
      const String& caption = props->Items()->Items(i)->Caption();
      if (caption.empty()) continue;
      TRect r{0, 0, textWidth, 30000};
      ACanvas->TextExtent(caption, r, flags);
      rowHeight = std::max(rowHeight, r.Height() + correction.cy);
    }
  }
  ASize.cy = rowHeight * rows;
  if (!IsInplace()) {
    const TRect e = GetClientExtent(ACanvas, AViewInfo ? AViewInfo : nullptr);
    ASize.cy += e.Top + e.Bottom;
  }
}

// --- The group ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomButtonGroup)

void TvlCustomButtonGroup::Initialize() {
  inherited::Initialize();
  SetAutoSize(false);
  SetTabStop(true);
}

void TvlCustomButtonGroup::Destroy() {
  UpdateButtonCount(0);
  FButtons.clear();
  inherited::Destroy();
}

void TvlCustomButtonGroup::RemoveButton(TWinControl* AButton) {
  for (auto it = FButtons.begin(); it != FButtons.end(); ++it)
    if (*it == AButton) {
      FButtons.erase(it);
      return;
    }
}

Integer TvlCustomButtonGroup::IndexOfButton(TObject* AButton) const {
  for (size_t i = 0; i < FButtons.size(); ++i)
    if (FButtons[i] == AButton) return Integer(i);
  return -1;
}

Integer TvlCustomButtonGroup::FocusedButtonIndex() {
  for (size_t i = 0; i < FButtons.size(); ++i)
    if (FButtons[i]->Focused()) return Integer(i);
  return -1;
}

Boolean TvlCustomButtonGroup::IsButtonNativeStyle() {
  TvlButtonGroupViewDataClass cls = ClassAs<TvlButtonGroupViewData>(Properties()->EditViewDataClass());
  return cls->IsButtonNativeStyle(Style()->LookAndFeel());
}

Boolean TvlCustomButtonGroup::Focused() {
  if (inherited::Focused()) return true;
  if (FIsCreating) return false;
  return FocusedButtonIndex() >= 0;
}

void TvlCustomButtonGroup::GetTabOrderList(std::vector<TWinControl*>& List) {
  if (IsInplace() && Visible() && Parent())
    for (auto it = List.begin(); it != List.end(); ++it)
      if (*it == Parent()) {
        List.erase(it);
        break;
      }
  (void)List;
}

void TvlCustomButtonGroup::ReadState(TReader* Reader) {
  inherited::ReadState(Reader);
  UpdateButtons();
  SynchronizeDisplayValue();
}

void TvlCustomButtonGroup::CreateHandle() {
  inherited::CreateHandle();
  UpdateButtons();
  SynchronizeDisplayValue();
}

void TvlCustomButtonGroup::StyleChanged(TObject* Sender) {
  inherited::StyleChanged(Sender);
  if (!FIsCreating) UpdateButtons();
}

Boolean TvlCustomButtonGroup::DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                                                 Boolean AIsMouseEvent) {
  const Boolean r = inherited::DoRefreshContainer(P, Button, Shift, AIsMouseEvent);
  SetButtonsPosition();
  return r;
}

void TvlCustomButtonGroup::PropertiesChanged(TObject* Sender) {
  if (!ComponentState().Contains(csReading)) UpdateButtons();
  inherited::PropertiesChanged(Sender);
}

void TvlCustomButtonGroup::CursorChanged() {
  inherited::CursorChanged();
  UpdateButtons();
}

void TvlCustomButtonGroup::EnabledChanged() {
  inherited::EnabledChanged();
  UpdateButtons();
}

Boolean TvlCustomButtonGroup::OwnsChildWindow(HDC ADC) {
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (GetButtonDC(i) == ADC) return true;
  return false;
}

void TvlCustomButtonGroup::SetButtonsPosition() {
  TvlCustomEditViewInfo* vi = ViewInfo();
  const Integer n = std::min(ButtonCount(), vi->ButtonCount());
  for (Integer i = 0; i < n; ++i) FButtons[size_t(i)]->SetBoundsRect(vi->ButtonsInfo[size_t(i)]->Bounds);
}

HDC TvlCustomButtonGroup::GetButtonDC(Integer) {
  AbstractError();
  return nullptr;
}

TWinControl* TvlCustomButtonGroup::CreateButton() {
  AbstractError();
  return nullptr;
}

void TvlCustomButtonGroup::InitializeButton(TWinControl* AButton) {
  AButton->SetParentShowHint(false);
  AButton->SetParent(this);
  AButton->SetOnDragDrop(TDragDropEvent(this, &TvlCustomButtonGroup::ButtonDragDrop));
  AButton->SetOnDragOver(TDragOverEvent(this, &TvlCustomButtonGroup::ButtonDragOver));
  AButton->SetOnKeyDown(TKeyEvent(this, &TvlCustomButtonGroup::ButtonKeyDown));
  AButton->SetOnKeyPress(TKeyPressEvent(this, &TvlCustomButtonGroup::ButtonKeyPress));
  AButton->SetOnKeyUp(TKeyEvent(this, &TvlCustomButtonGroup::ButtonKeyUp));
  AButton->SetOnMouseDown(TMouseEvent(this, &TvlCustomButtonGroup::ButtonMouseDown));
  AButton->SetOnMouseMove(TMouseMoveEvent(this, &TvlCustomButtonGroup::ButtonMouseMove));
  AButton->SetOnMouseUp(TMouseEvent(this, &TvlCustomButtonGroup::ButtonMouseUp));
  AButton->SetOnMouseWheel(TMouseWheelEvent(this, &TvlCustomButtonGroup::ButtonMouseWheel));
}

void TvlCustomButtonGroup::UpdateButtonCount(Integer ACount) {
  TvlButtonGroupItems* items = Properties() ? ActiveProperties()->Items() : nullptr;
  if (items && items->ItemChanged()) {
    switch (items->ChangedItemOperation()) {
      case copAdd: {
        TWinControl* b = CreateButton();
        InitializeButton(b);
        return;
      }
      case copDelete: {
        const Integer index = items->ChangedItemIndex();
        if (index >= 0 && index < ButtonCount()) Free(FButtons[size_t(index)]);
        return;
      }
      default: return;
    }
  }
  if (ACount == ButtonCount()) return;
  DisableAlign();
  Finally enable([&] { EnableAlign(); });
  while (ButtonCount() > ACount) Free(FButtons.back());
  while (ButtonCount() < ACount) InitializeButton(CreateButton());
}

void TvlCustomButtonGroup::UpdateButtonsStyle() {
  const TColor color = ReadBackgroundColor();
  for (TWinControl* b : FButtons) b->SetColor(color);
}

void TvlCustomButtonGroup::UpdateButtons() {
  TvlButtonGroupItems* items = ActiveProperties()->Items();
  UpdateButtonCount(items->Count());
  ShortRefreshContainer(false);
  for (Integer i = 0; i < ButtonCount() && i < items->Count(); ++i)
    FButtons[size_t(i)]->SetEnabledProp(Enabled() && items->Items(i)->Enabled());
  UpdateButtonsStyle();
  for (TWinControl* b : FButtons) b->SetCursor(Cursor());
}

void TvlCustomButtonGroup::DoEditKeyDown(Word& Key, TShiftState Shift) {
  const Integer b = FocusedButtonIndex();
  if (b < 0) return;
  TvlCustomEditViewInfo* vi = ViewInfo();
  if (b >= vi->ButtonCount()) return;
  const Integer n = ButtonCount();
  const Integer rows = std::max(1, ActiveProperties()->GetRowCount());
  TvlGroupBoxButtonViewInfo* info = static_cast<TvlGroupBoxButtonViewInfo*>(vi->ButtonsInfo[size_t(b)]);
  const Integer inColumn = std::min(rows, n + info->Row - b);
  Integer target = -1;
  switch (Key) {
    case VK_LEFT:
      if (info->Column > 0) target = b - rows;
      break;
    case VK_UP:
      if (info->Row > 0) target = b - 1;
      break;
    case VK_RIGHT:
      if (b + rows < n) target = b + rows;
      break;
    case VK_DOWN:
      if (info->Row < inColumn - 1) target = b + 1;
      break;
    default: break;
  }
  // A disabled item's button is never entered (entering checks it).
  if (target >= 0 && FButtons[size_t(target)]->Enabled()) {
    // Entering the button checks it: the group may be freed by its OnClick.
    TWeakRef<TvlCustomButtonGroup> self(this);
    FButtons[size_t(target)]->SetFocus();
    Key = 0;
    if (!self) return;
  }
  inherited::DoEditKeyDown(Key, Shift);
}

void TvlCustomButtonGroup::ActivateByMouse(TShiftState AShift, Integer AX, Integer AY, TvlCustomEditData*& AEditData) {
  TWeakRef<TvlCustomButtonGroup> self(this);
  Activate(AEditData);
  if (!self) return;
  const TPoint p = ScreenToClient(Parent() ? Parent()->ClientToScreen(TPoint{AX, AY}) : TPoint{AX, AY});
  const Integer index = GetButtonIndexAt(p);
  if (index < 0 || index >= ButtonCount()) return;
  TWinControl* button = FButtons[size_t(index)];
  const TRect& r = ViewInfo()->ButtonsInfo[size_t(index)]->Bounds;
  const TPoint centre{r.Width() / 2, r.Height() / 2};
  if (AShift.Contains(ssLeft)) {
    vlSendMouseMessage(button, WM_MOUSEMOVE, AShift, centre);
    vlSendMouseMessage(button, WM_LBUTTONDOWN, AShift, centre);
  } else
    vlSendMouseMessage(button, WM_LBUTTONUP, AShift, centre);
}

// Button events, moved into the group's coordinates.

void TvlCustomButtonGroup::ButtonDragDrop(TObject* Sender, TObject* Source, Integer X, Integer Y) {
  TControl* b = static_cast<TControl*>(Sender);
  DragDrop(Source, X + b->Left(), Y + b->Top());
}

void TvlCustomButtonGroup::ButtonDragOver(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State,
                                          Boolean& Accept) {
  TControl* b = static_cast<TControl*>(Sender);
  DragOver(Source, X + b->Left(), Y + b->Top(), State, Accept);
}

void TvlCustomButtonGroup::ButtonKeyDown(TObject*, Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }
void TvlCustomButtonGroup::ButtonKeyPress(TObject*, Char& Key) { KeyPress(Key); }
void TvlCustomButtonGroup::ButtonKeyUp(TObject*, Word& Key, TShiftState Shift) { KeyUp(Key, Shift); }

void TvlCustomButtonGroup::ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                           Integer Y) {
  TControl* b = static_cast<TControl*>(Sender);
  SetInnerControlMouseDown(true);
  Finally reset([&] { SetInnerControlMouseDown(false); });
  MouseDown(Button, Shift, X + b->Left(), Y + b->Top());
}

void TvlCustomButtonGroup::ButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
  TControl* b = static_cast<TControl*>(Sender);
  MouseMove(Shift, X + b->Left(), Y + b->Top());
}

void TvlCustomButtonGroup::ButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                         Integer Y) {
  TControl* b = static_cast<TControl*>(Sender);
  MouseUp(Button, Shift, X + b->Left(), Y + b->Top());
}

void TvlCustomButtonGroup::ButtonMouseWheel(TObject*, TShiftState, Integer, TPoint, Boolean& Handled) {
  Handled = false;
}
