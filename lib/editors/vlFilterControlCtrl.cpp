// The filter builder control: construction, its parts, the layout lock,
// scrolling, the mouse and keyboard, focus moves, adding and removing rows,
// and the value editor.
#include <algorithm>

#include "lib/editors/vlComboBox.h"
#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlFilterControl.h"
#include "lib/editors/vlFilterControlConsts.h"
#include "lib/editors/vlTextEdit.h"
#include "lib/editors/vlTextEditProperties.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlClasses.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"

void vlFilterControlLocalizeCaptions();

namespace {

struct TPartFontDefault {
  TColor Color;
  Boolean Underlined;
};
// FontBoolOperator, FontItem, FontCondition, FontValue.
const TPartFontDefault kPartFonts[4] = {{clRed, true}, {clGreen, true}, {clMaroon, true}, {clBlue, false}};

constexpr Integer kDefaultWidth = 300;
constexpr Integer kDefaultHeight = 200;
constexpr Integer kHorzLineStep = 8;  // pixels per horizontal scroll line

Boolean IsInList(TvlFilterControlOperator O) { return O == fcoInList || O == fcoNotInList; }

}  // namespace

CL_IMPLEMENT_CLASS(TvlCustomFilterControl)

void TvlCustomFilterControl::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetWantTabs(false);
  FCriteria = CreateFrom(GetCriteriaClass(), this);
  FRoot = New<TvlGroupViewInfo>(this, static_cast<TvlGroupViewInfo*>(nullptr), FCriteria->Root());
  FRows.assign(1, FRoot);
  FViewInfo = CreateFrom(GetViewInfoClass(), &TvlFilterControlViewInfo::Create, this);
  for (Integer I = 0; I < 4; ++I) {
    FFonts[I] = New<TFont>();
    FFonts[I]->Assign(Font());
    FFonts[I]->SetColor(kPartFonts[I].Color);
    FFonts[I]->SetStyle(kPartFonts[I].Underlined ? TFontStyles{fsUnderline} : TFontStyles{});
    FFonts[I]->SetOnChange(TNotifyEvent(this, &TvlCustomFilterControl::PartFontChanged));
  }
  CreateParts();
  SetBounds(Left(), Top(), kDefaultWidth, kDefaultHeight);
  FFocusedInfo.Row = FRoot;
  FFocusedInfo.HitTest = fhtBoolOperator;
  FFocusedInfo.ValueIndex = -1;
  FHotTrack.ValueIndex = -1;
  FHotTrackOnUnfocused = true;
  FNullString = vlGetResourceStringText(vlSFilterControlNullString);
  FShowLevelLines = true;
  SetParentColor(false);
  SetColor(clBtnFace);
}

void TvlCustomFilterControl::Destroy() {
  FLockCount = 1;  // no layout while the parts go
  DestroyParts();
  FRows.clear();
  Free(FRoot);
  FRoot = nullptr;
  FreeAndNil(FCriteria);
  FreeAndNil(FViewInfo);
  for (TFont*& F : FFonts) FreeAndNil(F);
  inherited::Destroy();
}

void TvlCustomFilterControl::CreateParts() {
  FValueEditorStyle = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
  FValueEditorStyle->SetFont(FontValue());
  FValueEditorStyle->LookAndFeel()->SetMasterLookAndFeel(LookAndFeel());
  FValueEditorStyle->SetButtonTransparency(ebtHideUnselected);
  FComboBox = New<TvlComboBox>(static_cast<TComponent*>(nullptr));
  FComboBox->SetVisible(false);
  FComboBox->Style()->LookAndFeel()->SetMasterLookAndFeel(LookAndFeel());
  FComboBox->SetParentColor(true);
  FComboBox->Properties()->Buttons()->Items(0)->SetVisible(false);
  FComboBox->Properties()->SetDropDownListStyle(lsFixedList);
  FComboBox->Properties()->SetOnCloseUp(TNotifyEvent(this, &TvlCustomFilterControl::ListClosed));
  FComboBox->Properties()->SetOnPopup(TNotifyEvent(this, &TvlCustomFilterControl::ListPopup));
  FComboBox->SetOnExit(TNotifyEvent(this, &TvlCustomFilterControl::ListExit));
  FComboBox->SetOnKeyDown(TKeyEvent(this, &TvlCustomFilterControl::ListKeyDown));
  FComboBox->SetOnKeyPress(TKeyPressEvent(this, &TvlCustomFilterControl::ListKeyPress));
  UpdateListColor();
  FActionMenu = New<TPopupMenu>(static_cast<TComponent*>(this));
  for (Integer Tag = 0; Tag < 4; ++Tag) {
    TMenuItem* Item = New<TMenuItem>(static_cast<TComponent*>(FActionMenu));
    Item->SetTag(Tag);
    Item->SetOnClick(TNotifyEvent(this, &TvlCustomFilterControl::MenuItemClick));
    FActionMenu->Items()->Add(Item);
  }
  FInplaceEditors = New<TvlInplaceEditList>(this);
  FTextEditProperties = New<TvlTextEditProperties>(static_cast<TPersistent*>(nullptr));
}

void TvlCustomFilterControl::DestroyParts() {
  ForgetValueEditor();
  // The rows' editor properties and edit data go before the editors that use them.
  if (FRoot) FRows.assign(1, FRoot);
  while (FRoot && FRoot->RowCount() > 0) Free(FRoot->Rows(FRoot->RowCount() - 1));
  FreeAndNil(FInplaceEditors);
  FreeAndNil(FComboBox);
  FreeAndNil(FActionMenu);
  FreeAndNil(FValueEditorStyle);
  FreeAndNil(FTextEditProperties);
}

// --- Properties ------------------------------------------------------------------------------------

void TvlCustomFilterControl::SetWantTabs(Boolean Value) {
  FWantTabs = Value;
  TvlKeys K{kAll, kArrows, kChars};
  if (Value) K.Include(kTab);
  SetKeys(K);
}

void TvlCustomFilterControl::SetNullString(const String& Value) {
  if (FNullString == Value) return;
  FNullString = Value;
  LayoutChanged();
}

void TvlCustomFilterControl::SetShowLevelLines(Boolean Value) {
  if (FShowLevelLines == Value) return;
  FShowLevelLines = Value;
  Invalidate();
}

void TvlCustomFilterControl::SetPartFont(Integer AIndex, TFont* Value) { FFonts[AIndex]->Assign(Value); }

Boolean TvlCustomFilterControl::IsPartFontStored(Integer AIndex) {
  TFont* F = FFonts[AIndex];
  const TFontStyles Default = kPartFonts[AIndex].Underlined ? TFontStyles{fsUnderline} : TFontStyles{};
  return !SameText(F->Name(), Font()->Name()) || F->Height() != Font()->Height() ||
         F->Charset() != Font()->Charset() || F->Color() != kPartFonts[AIndex].Color || F->Style() != Default;
}

void TvlCustomFilterControl::PartFontChanged(TObject*) {
  if (FValueEditorStyle && FFonts[3]) FValueEditorStyle->SetFont(FFonts[3]);
  LayoutChanged();
}

void TvlCustomFilterControl::FontChanged() {
  inherited::FontChanged();
  if (!(IsLoading() && !ComponentState().Contains(csReading)) || IsDesigning())
    for (TFont* F : FFonts)
      if (F) {
        F->SetName(Font()->Name());
        F->SetHeight(Font()->Height());
        F->SetCharset(Font()->Charset());
      }
  LayoutChanged();
}

void TvlCustomFilterControl::BoundsChanged() {
  inherited::BoundsChanged();
  if (HandleAllocated()) LayoutChanged();
}

void TvlCustomFilterControl::Localize() {
  vlFilterControlLocalizeCaptions();
  FRoot->SetCaption(vlGetResourceStringText(vlSFilterRootGroupCaption));
  FViewInfo->SetAddConditionCaption(vlGetResourceStringText(vlSFilterFooterAddCondition));
  FNullString = vlGetResourceStringText(vlSFilterControlNullString);
  if (FActionMenu) {
    FActionMenu->Items()->Items(0)->SetCaption(vlGetResourceStringText(vlSFilterAddCondition));
    FActionMenu->Items()->Items(1)->SetCaption(vlGetResourceStringText(vlSFilterAddGroup));
    FActionMenu->Items()->Items(2)->SetCaption(u"-");
  }
  LayoutChanged();
}

void TvlCustomFilterControl::ShowActionMenu() {
  if (!HasItems() || !FFocusedInfo.Row) return;
  FState = fcsSelectingAction;
  Finally Back([&] { FState = fcsNormal; });
  const Boolean IsRoot = FFocusedInfo.Row == FRoot;
  const Boolean Fourth = !IsRoot || FRoot->RowCount() > 0;
  FActionMenu->Items()->Items(2)->SetVisible(Fourth);
  FActionMenu->Items()->Items(3)->SetVisible(Fourth);
  FActionMenu->Items()->Items(3)->SetCaption(
      vlGetResourceStringText(IsRoot ? vlSFilterClearAll : vlSFilterRemoveRow));
  const TRect& B = FFocusedInfo.Row->ButtonRect();
  const TPoint P = ClientToScreen(TPoint{B.Left, B.Bottom});
  FActionMenu->Popup(P.X, P.Y);
}

void TvlCustomFilterControl::MenuItemClick(TObject* Sender) {
  switch (static_cast<TComponent*>(Sender)->Tag()) {
    case 0: AddCondition(FFocusedInfo.Row); break;
    case 1: AddGroup(); break;
    case 3:
      if (FFocusedInfo.Row == FRoot)
        Clear();
      else
        RemoveRow();
      break;
    default: break;
  }
}

// --- Layout ----------------------------------------------------------------------------------------

void TvlCustomFilterControl::EndUpdate() {
  if (FLockCount > 0) --FLockCount;
  LayoutChanged();
}

void TvlCustomFilterControl::LayoutChanged() {
  if (FLockCount > 0 || IsDestroying() || IsLoading() || !HandleAllocated()) return;
  if (FComboBox && FComboBox->Visible() && FComboBox->DroppedDown()) return;
  ++FLockCount;
  Finally Unlock([&] { --FLockCount; });
  RecalculateLayout();
}

void TvlCustomFilterControl::RecalculateLayout() {
  FViewInfo->Calc();
  FitTopRowAndLeftOffset();
  UpdateScrollBars();
  Invalidate();
}

// Scrolls rows back down while there is room below the add-condition button
// for a row and 2 pixels, and the left offset back while the rows end short
// of the right side. Every row moves by the same height, so the number of
// rows to bring back is counted at once and the layout is made once more.
void TvlCustomFilterControl::FitTopRowAndLeftOffset() {
  const TRect Client = ClientBounds();
  const Integer H = FViewInfo->RowHeight();
  Boolean Again = false;
  if (H > 0 && FTopVisibleRow > 0) {
    Integer Space = Client.Bottom - FViewInfo->AddConditionRect().Bottom;
    const Integer Old = FTopVisibleRow;
    while (FTopVisibleRow > 0 && Space >= H + 2) {
      --FTopVisibleRow;
      Space -= H;
    }
    Again = Old != FTopVisibleRow;
  }
  if (FLeftOffset > 0) {
    const Integer Surplus = Client.Right + FLeftOffset - FViewInfo->MaxRowWidth() - 2;
    if (Surplus > 0) {
      FLeftOffset = std::max(0, FLeftOffset - Surplus);
      Again = true;
    }
  }
  if (Again) FViewInfo->Calc();
}

void TvlCustomFilterControl::SetTopVisibleRow(Integer Value) {
  const Integer H = FViewInfo->RowHeight();
  if (H > 0) Value = std::min(Value, RowCount() - ClientBounds().Height() / H + 1);
  Value = std::max(Value, 0);
  if (Value == FTopVisibleRow) return;
  FTopVisibleRow = Value;
  LayoutChanged();
}

void TvlCustomFilterControl::SetLeftOffset(Integer Value) {
  Value = std::max(std::min(Value, FViewInfo->MaxRowWidth() - ClientBounds().Width() + 1), 0);
  if (Value == FLeftOffset) return;
  FLeftOffset = Value;
  LayoutChanged();
}

void TvlCustomFilterControl::InitScrollBarsParameters() {
  const Integer H = FViewInfo->RowHeight();
  if (H == 0) return;
  const TRect Client = ClientBounds();
  SetScrollBarInfo(sbVertical, 0, RowCount() - 1, 1, Client.Height() / H - 1, FTopVisibleRow, true, true);
  SetScrollBarInfo(sbHorizontal, 0, FViewInfo->MaxRowWidth(), 1, Client.Width(), FLeftOffset, true, true);
}

void TvlCustomFilterControl::Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) {
  if (AScrollBarKind == sbVertical) {
    const Integer Page = std::max(ClientBounds().Height() / std::max(FViewInfo->RowHeight(), 1) - 1, 1);
    switch (AScrollCode) {
      case scLineUp: SetTopVisibleRow(FTopVisibleRow - 1); break;
      case scLineDown: SetTopVisibleRow(FTopVisibleRow + 1); break;
      case scPageUp: SetTopVisibleRow(FTopVisibleRow - Page); break;
      case scPageDown: SetTopVisibleRow(FTopVisibleRow + Page); break;
      case scTrack: SetTopVisibleRow(AScrollPos); break;
      default: break;
    }
    AScrollPos = FTopVisibleRow;
  } else {
    const Integer Page = ClientBounds().Width();
    switch (AScrollCode) {
      case scLineUp: SetLeftOffset(FLeftOffset - kHorzLineStep); break;
      case scLineDown: SetLeftOffset(FLeftOffset + kHorzLineStep); break;
      case scPageUp: SetLeftOffset(FLeftOffset - Page); break;
      case scPageDown: SetLeftOffset(FLeftOffset + Page); break;
      case scTrack: SetLeftOffset(AScrollPos); break;
      default: break;
    }
    AScrollPos = FLeftOffset;
  }
}

void TvlCustomFilterControl::MakeFocusedVisible() {
  if (!HandleAllocated() || FViewInfo->RowHeight() == 0) return;
  const TRect Client = ClientBounds();
  const Integer H = FViewInfo->RowHeight();
  Integer Index = std::max(IndexOfRow(FFocusedInfo.Row), 0);
  if (Index < FTopVisibleRow) {
    FTopVisibleRow = Index;
  } else {
    Integer Bottom = FFocusedInfo.HitTest == fhtAddCondition ? FViewInfo->AddConditionRect().Bottom
                                                              : FFocusedInfo.Row->RowRect().Bottom;
    while (Bottom > Client.Bottom && FTopVisibleRow < RowCount()) {
      ++FTopVisibleRow;
      Bottom -= H;
    }
  }
  // Horizontally the focused part comes into view.
  TRect R{};
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  switch (FFocusedInfo.HitTest) {
    case fhtButton:
      R = FFocusedInfo.Row->ButtonRect();
      if (FFocusedInfo.Row == FRoot) R.Left -= 4;
      break;
    case fhtBoolOperator:
      if (auto* G = dynamic_cast<TvlGroupViewInfo*>(FFocusedInfo.Row)) R = G->BoolOperatorRect();
      break;
    case fhtItem:
      if (Cond) R = Cond->ItemRect();
      break;
    case fhtOperator:
      if (Cond) R = Cond->OperatorRect();
      break;
    case fhtValue:
      if (Cond && FFocusedInfo.ValueIndex >= 0 && FFocusedInfo.ValueIndex < Cond->Values()->Count())
        R = Cond->Values()->Values(FFocusedInfo.ValueIndex)->ValueRect();
      break;
    case fhtAddCondition: R = FViewInfo->AddConditionRect(); break;
    case fhtAddValue:
      if (Cond) R = Cond->Values()->AddButtonRect();
      break;
    default: break;
  }
  if (R.Right > R.Left) {
    Integer Moved = 0;
    if (R.Right >= Client.Right) Moved = R.Right - Client.Right + 2;
    if (R.Left - Moved < Client.Left) Moved -= Client.Left - (R.Left - Moved);
    FLeftOffset = std::max(0, FLeftOffset + Moved);
  }
  FViewInfo->Calc();
  UpdateScrollBars();
  Invalidate();
}

// --- Painting ----------------------------------------------------------------------------------------

void TvlCustomFilterControl::CreateWnd() {
  inherited::CreateWnd();
  if (FComboBox && FComboBox->Parent() != this) FComboBox->SetParent(this);
  Localize();
}

void TvlCustomFilterControl::UpdateListColor() {
  if (FComboBox) FComboBox->Style()->SetColor(FViewInfo->Painter()->ContentColor());
}

// --- Pick lists ---------------------------------------------------------------------------------------

void TvlCustomFilterControl::ShowList(const TRect& R, const String& AText, Integer AShown) {
  FListText = AText;
  TvlComboBoxProperties* P = FComboBox->Properties();
  P->SetDropDownRows(std::min(12, P->Items()->Count()));
  if (FComboBox->Parent() != this) FComboBox->SetParent(this);
  FComboBox->SetBoundsRect(R);
  FComboBox->SetEditValue(Variant(AText));
  FComboBox->SetVisible(true);
  FComboBox->SetFocus();
  ListPopup(FComboBox);  // a list kept from an earlier drop-down is measured in this part's font
  FComboBox->SetDroppedDown(true);
  // The list opens on the entry of the part shown, not the first of its
  // caption: two items may share one.
  const Integer Shown = P->Items()->IndexOfObject(reinterpret_cast<TObject*>(intptr_t(AShown)));
  if (Shown >= 0 && P->Items()->Strings(Shown) == AText && FComboBox->ItemIndex() != Shown)
    FComboBox->SetItemIndex(Shown);
}

void TvlCustomFilterControl::SelectBoolOperator() {
  auto* G = dynamic_cast<TvlGroupViewInfo*>(FFocusedInfo.Row);
  if (!HasItems() || !G) return;
  FState = fcsSelectingBoolOperator;
  FComboBox->Style()->SetFont(FontBoolOperator());
  TStrings* Items = FComboBox->Properties()->Items();
  FComboBox->Properties()->SetSorted(false);
  Items->BeginUpdate();
  Items->Clear();
  for (Integer B = fboAnd; B <= fboNotOr; ++B)
    Items->AddObject(vlFilterControlBoolOperatorCaption(TvlFilterBoolOperatorKind(B)),
                     reinterpret_cast<TObject*>(intptr_t(B)));
  Items->EndUpdate();
  ShowList(G->BoolOperatorRect(), G->BoolOperatorText(), G->BoolOperator());
}

void TvlCustomFilterControl::SelectOperator() {
  auto* C = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  if (!HasItems() || !C) return;
  FState = fcsSelectingCondition;
  FComboBox->Style()->SetFont(FontCondition());
  FComboBox->Properties()->SetSorted(false);
  FillOperatorList(FComboBox->Properties()->Items());
  ShowList(C->OperatorRect(), C->OperatorText(), C->Operator());
}

void TvlCustomFilterControl::SelectItem() {
  auto* C = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  if (!HasItems() || !C) return;
  FState = fcsSelectingItem;
  FComboBox->Style()->SetFont(FontItem());
  FComboBox->Properties()->SetSorted(FSortItems);
  FillItemList(FComboBox->Properties()->Items());
  ShowList(C->ItemRect(), C->ItemText(), C->ItemIndex());
}

void TvlCustomFilterControl::FillItemList(TStrings* AStrings) {
  IvlFilterControl* F = GetLinkedFilter();
  if (!AStrings || !F) return;
  AStrings->BeginUpdate();
  Finally End([&] { AStrings->EndUpdate(); });
  AStrings->Clear();
  for (Integer I = 0; I < F->ItemCount(); ++I) {
    TvlCustomEditProperties* P = F->ItemProperties(I);
    if (!P || !P->GetSupportedOperations().Contains(esoFiltering)) continue;
    String Caption;
    F->ItemCaption(I, Caption);
    AStrings->AddObject(Caption, reinterpret_cast<TObject*>(intptr_t(I)));
  }
}

void TvlCustomFilterControl::FillOperatorList(TStrings* AStrings) {
  auto* C = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  if (!AStrings || !HasItems()) return;
  AStrings->Clear();
  if (!C) return;
  C->ValidateOperators();
  for (Integer O = fcoEqual; O <= fcoInFuture; ++O)
    if (C->SupportedOperators().Contains(TvlFilterControlOperator(O)))
      AStrings->AddObject(vlFilterControlOperatorCaption(TvlFilterControlOperator(O)),
                          reinterpret_cast<TObject*>(intptr_t(O)));
}

void TvlCustomFilterControl::ListClosed(TObject*) {
  if (FState != fcsSelectingItem && FState != fcsSelectingBoolOperator && FState != fcsSelectingCondition) return;
  // An entry chosen (Enter, Space or a click) counts even when it is the one
  // already shown; otherwise only a changed text does.
  const String Text = VarToStr(FComboBox->EditValue());
  if (FComboBox->CloseUpReason() != crEnter && Text == FListText) return;  // the list stays until it loses the focus
  TStrings* Items = FComboBox->Properties()->Items();
  // The entry chosen, not the first of its text: two items may share a caption.
  Integer Index = FComboBox->ItemIndex();
  if (Index < 0 || Index >= Items->Count() || Items->Strings(Index) != Text) Index = Items->IndexOf(Text);
  if (Index >= 0) {
    const Integer Value = Integer(reinterpret_cast<intptr_t>(Items->Objects(Index)));
    auto* C = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
    auto* G = dynamic_cast<TvlGroupViewInfo*>(FFocusedInfo.Row);
    switch (FState) {
      case fcsSelectingItem:
        if (C) {
          C->SetItemIndex(Value);
          FFocusedInfo.HitTest = fhtOperator;
          if (C->SupportedOperators().Contains(fcoLike) && C->ValueType() && C->ValueType()->IsString()) {
            C->SetOperator(fcoLike);
            C->AdjustValueCount(true);
          }
        }
        break;
      case fcsSelectingBoolOperator:
        if (G) G->SetBoolOperator(TvlFilterBoolOperatorKind(Value));
        break;
      case fcsSelectingCondition:
        if (C) {
          C->SetOperator(TvlFilterControlOperator(Value));
          C->AdjustValueCount(true);
          if (C->ShowsValues()) {
            FFocusedInfo.HitTest = fhtValue;
            FFocusedInfo.ValueIndex = 0;
          }
        }
        break;
      default: break;
    }
  }
  HideList();
  LayoutChanged();
  MakeFocusedVisible();
  if (CanFocus()) SetFocus();
}

void TvlCustomFilterControl::HideList() {
  FState = fcsNormal;
  if (FComboBox) FComboBox->SetVisible(false);
}

void TvlCustomFilterControl::ListExit(TObject*) { HideList(); }

// The rows the pick list was opened for are going: it closes choosing nothing.
void TvlCustomFilterControl::CloseList() {
  if (!FComboBox || !FComboBox->Visible()) return;
  HideList();
  if (FComboBox->DroppedDown()) FComboBox->SetDroppedDown(false);
}

// In the pick list Space chooses like Enter, and its character is not typed.
void TvlCustomFilterControl::ListKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == win::VK_SPACE) Key = win::VK_RETURN;
}

void TvlCustomFilterControl::ListKeyPress(TObject*, Char& Key) {
  if (Key == u' ') Key = 0;
}

// The dropped-down list shows its entries in the part's font without its
// styles (the pick list itself keeps them). The list is made once and kept
// for every part, so the font is set at every drop-down.
void TvlCustomFilterControl::ListPopup(TObject*) {
  TvlCustomEditListBox* List = FComboBox->LookupData() ? FComboBox->LookupData()->List() : nullptr;
  if (!List) return;
  List->Font()->Assign(FComboBox->Style()->GetVisibleFont());
  List->Font()->SetStyle(TFontStyles{});
  List->Canvas()->SetFont(List->Font());
  List->Invalidate();
}

void TvlCustomFilterControl::Paint() {
  if (!FViewInfo || IsDestroying()) return;
  if (FViewInfo->Bitmap()->Width() != Width() || FViewInfo->Bitmap()->Height() != Height()) FViewInfo->Calc();
  FViewInfo->Paint();
}

Boolean TvlCustomFilterControl::PartHasFocus() { return FValueEditor && FValueEditor->Focused(); }

Boolean TvlCustomFilterControl::HotTrackAllowed() {
  return Enabled() && HasItems() && (FHotTrackOnUnfocused || Focused() || PartHasFocus());
}

// --- Focus moves -------------------------------------------------------------------------------------

void TvlCustomFilterControl::SetFocusedPart(TvlFilterControlHitTest APart, Integer AValueIndex) {
  FFocusedInfo.HitTest = APart;
  if (auto* Cond = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row))
    if (AValueIndex >= 0 && AValueIndex < Cond->Values()->Count()) FFocusedInfo.ValueIndex = AValueIndex;
  LayoutChanged();
  MakeFocusedVisible();
}

void TvlCustomFilterControl::FocusRow(TvlCustomRowViewInfo* ARow) {
  FFocusedInfo.Row = ARow;
  SetFocusedPart(ARow->IsGroup() ? fhtBoolOperator : fhtItem);
}

void TvlCustomFilterControl::FocusNext(Boolean ATab) {
  TvlCustomRowViewInfo* Row = FFocusedInfo.Row;
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(Row);
  switch (FFocusedInfo.HitTest) {
    case fhtButton: SetFocusedPart(Row->IsGroup() ? fhtBoolOperator : fhtItem); break;
    case fhtItem: SetFocusedPart(fhtOperator); break;
    case fhtOperator:
      if (Cond && Cond->ShowsValues() && Cond->Values()->Count() > 0)
        SetFocusedPart(fhtValue, 0);
      else if (ATab)
        FocusLowerRow(true);
      break;
    case fhtValue:
      if (Cond && FFocusedInfo.ValueIndex < Cond->Values()->Count() - 1)
        SetFocusedPart(fhtValue, FFocusedInfo.ValueIndex + 1);
      else if (Cond && IsInList(Cond->Operator()))
        SetFocusedPart(fhtAddValue);
      else if (ATab)
        FocusLowerRow(true);
      break;
    case fhtBoolOperator:
    case fhtAddValue:
      if (ATab) FocusLowerRow(true);
      break;
    case fhtAddCondition:
      if (!ATab) FocusRow(FRows.back());
      break;
    default: break;
  }
}

void TvlCustomFilterControl::FocusLowerRow(Boolean ATab) {
  const Integer Index = IndexOfRow(FFocusedInfo.Row);
  if (FFocusedInfo.HitTest == fhtAddCondition) return;
  if (Index == RowCount() - 1) {
    SetFocusedPart(fhtAddCondition);
  } else if (!ATab) {
    FocusRow(FRows[size_t(Index + 1)]);
  } else {
    FFocusedInfo.Row = FRows[size_t(Index + 1)];
    SetFocusedPart(fhtButton);
  }
}

void TvlCustomFilterControl::FocusPrevious(Boolean ATab) {
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  switch (FFocusedInfo.HitTest) {
    case fhtBoolOperator:
    case fhtItem: SetFocusedPart(fhtButton); break;
    case fhtOperator: SetFocusedPart(fhtItem); break;
    case fhtValue:
      if (FFocusedInfo.ValueIndex > 0)
        SetFocusedPart(fhtValue, FFocusedInfo.ValueIndex - 1);
      else
        SetFocusedPart(fhtOperator);
      break;
    case fhtAddValue:
      if (Cond) SetFocusedPart(fhtValue, FFocusedInfo.ValueIndex);
      break;
    case fhtButton:
      if (ATab) FocusUpperRow(true);
      break;
    case fhtAddCondition: FocusUpperRow(ATab); break;
    default: break;
  }
}

void TvlCustomFilterControl::FocusUpperRow(Boolean ATab) {
  TvlCustomRowViewInfo* Target;
  if (FFocusedInfo.HitTest == fhtAddCondition)
    Target = FRows.back();
  else if (FFocusedInfo.Row == FRoot)
    return;
  else
    Target = FRows[size_t(std::max(IndexOfRow(FFocusedInfo.Row) - 1, 0))];
  if (!ATab) {
    FocusRow(Target);
    return;
  }
  FFocusedInfo.Row = Target;
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(Target);
  if (!Cond)
    SetFocusedPart(fhtBoolOperator);
  else if (!Cond->ShowsValues() || Cond->Values()->Count() == 0)
    SetFocusedPart(fhtOperator);
  else if (IsInList(Cond->Operator()))
    SetFocusedPart(fhtAddValue, Cond->Values()->Count() - 1);  // going back from "+" reaches the last value
  else
    SetFocusedPart(fhtValue, Cond->Values()->Count() - 1);
}

// --- Adding and removing -------------------------------------------------------------------------------

void TvlCustomFilterControl::AddCondition(TvlCustomRowViewInfo* ARow) {
  if (!HasItems()) return;
  if (!ARow) ARow = FRows.back();
  TvlGroupViewInfo* Group = ARow->Group();
  TvlCustomRowViewInfo* Row = New<TvlConditionViewInfo>(this, Group, static_cast<TvlCustomFilterCriteriaItem*>(nullptr));
  RebuildRowList();
  FFocusedInfo.Row = Row;
  FFocusedInfo.HitTest = fhtAddCondition;
  FFocusedInfo.ValueIndex = -1;
  LayoutChanged();
  MakeFocusedVisible();
  FFocusedInfo.HitTest = fhtItem;
  FViewInfo->CalcFocusRect();
  LayoutChanged();
}

void TvlCustomFilterControl::AddGroup() {
  if (!HasItems()) return;
  TvlGroupViewInfo* Parent = FFocusedInfo.Row ? FFocusedInfo.Row->Group() : FRoot;
  auto* Group = New<TvlGroupViewInfo>(this, Parent, static_cast<TvlCustomFilterCriteriaItem*>(nullptr));
  RebuildRowList();
  AddCondition(Group);
}

void TvlCustomFilterControl::AddListValue() {
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  if (!HasItems() || !Cond) return;
  Cond->Values()->AddValue();
  FFocusedInfo.HitTest = fhtValue;
  FFocusedInfo.ValueIndex = Cond->Values()->Count() - 1;
  if (HandleAllocated()) {
    FViewInfo->Calc();
    FLeftOffset = std::max(0, FViewInfo->MaxRowWidth() - ClientBounds().Width() + 2);
  }
  LayoutChanged();
}

void TvlCustomFilterControl::RemoveFocused() {
  if (!HasItems()) return;
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  if (Cond && FFocusedInfo.HitTest == fhtValue && IsInList(Cond->Operator()) && Cond->Values()->Count() > 1)
    RemoveListValue();
  else
    RemoveRow();
}

void TvlCustomFilterControl::RemoveListValue() {
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  if (!Cond) return;
  Cond->Values()->RemoveValue(FFocusedInfo.ValueIndex);
  if (FFocusedInfo.ValueIndex > 0) --FFocusedInfo.ValueIndex;
  LayoutChanged();
  MakeFocusedVisible();
}

void TvlCustomFilterControl::RemoveRow() {
  TvlCustomRowViewInfo* Row = FFocusedInfo.Row;
  if (!Row || Row == FRoot || !HasItems()) return;
  // No empty group is left behind.
  while (Row->Parent() != FRoot && Row->Parent()->RowCount() == 1) Row = Row->Parent();
  CloseValueEditor(false);
  TvlCustomRowViewInfo* Before = FRows[size_t(std::max(IndexOfRow(Row) - 1, 0))];
  Free(Row);
  FFocusedInfo.Row = Before;
  FFocusedInfo.HitTest = Before->IsGroup() ? fhtBoolOperator : fhtItem;
  FFocusedInfo.ValueIndex = -1;
  FHotTrack.Row = nullptr;
  FHotTrack.HitTest = fhtNone;
  RebuildRowList();
  LayoutChanged();
  MakeFocusedVisible();
}

// --- Mouse and keyboard -------------------------------------------------------------------------------

void TvlCustomFilterControl::ActivatePart(TvlFilterControlHitTest APart, Boolean AByMouse) {
  switch (APart) {
    case fhtButton: ShowActionMenu(); break;
    case fhtBoolOperator: SelectBoolOperator(); break;
    case fhtItem: SelectItem(); break;
    case fhtOperator: SelectOperator(); break;
    case fhtValue: ShowValueEditor(AByMouse ? 1 : 0, 0); break;
    case fhtAddCondition: AddCondition(FRows.back()); break;
    case fhtAddValue: AddListValue(); break;
    default: break;
  }
}

void TvlCustomFilterControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  // The focus taken (OnEnter) or the OnMouseDown handler may free or disable the builder.
  TvlObjectLinkScope Alive(this);
  inherited::MouseDown(Button, Shift, X, Y);
  // A builder disabled by the handler opens nothing: its list could not take the focus.
  if (!Alive.Alive() || !Enabled()) return;
  if (FWasError || !HasItems()) return;
  FViewInfo->GetHitTestInfo(Shift, TPoint{X, Y}, FHotTrack);
  if (FHotTrack.HitTest != fhtNone && FState == fcsNormal && Button == mbLeft) {
    FFocusedInfo = FHotTrack;
    MakeFocusedVisible();
    ActivatePart(FFocusedInfo.HitTest, true);
  }
}

void TvlCustomFilterControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  // The OnMouseMove handler may free the builder.
  TvlObjectLinkScope Alive(this);
  inherited::MouseMove(Shift, X, Y);
  if (!Alive.Alive()) return;
  const TvlFilterControlHitTestInfo Old = FHotTrack;
  FViewInfo->GetHitTestInfo(Shift, TPoint{X, Y}, FHotTrack);
  win::SetCursor(Screen->Cursors(HotTrackAllowed() && FHotTrack.HitTest != fhtNone ? crHandPoint : crDefault));
  auto Passive = [](TvlFilterControlHitTest H) {
    return H == fhtNone || H == fhtBoolOperator || H == fhtItem || H == fhtOperator;
  };
  if (Passive(Old.HitTest) && Passive(FHotTrack.HitTest)) return;
  if (Old.Row == FHotTrack.Row && Old.HitTest == FHotTrack.HitTest && Old.ValueIndex == FHotTrack.ValueIndex) return;
  if (Old.Row != FHotTrack.Row && !Passive(Old.HitTest) && IndexOfRow(Old.Row) >= 0) FViewInfo->InvalidateRow(Old.Row);
  if (IndexOfRow(FHotTrack.Row) >= 0) FViewInfo->InvalidateRow(FHotTrack.Row);
  FViewInfo->Update();
}

void TvlCustomFilterControl::MouseLeave(TControl* AControl) {
  inherited::MouseLeave(AControl);
  FHotTrack.HitTest = fhtNone;
  FHotTrack.Row = nullptr;
  LayoutChanged();
}

void TvlCustomFilterControl::FocusChanged() {
  inherited::FocusChanged();
  // Rows may have moved under a resting mouse: find the part now under it.
  if (FViewInfo && HandleAllocated() && !IsDestroying())
    FViewInfo->GetHitTestInfo(TShiftState{}, ScreenToClient(vlGetCursorPos()), FHotTrack);
  LayoutChanged();
}

void TvlCustomFilterControl::KeyDown(Word& Key, TShiftState Shift) {
  // The OnKeyDown handler may free the builder.
  TvlObjectLinkScope Alive(this);
  inherited::KeyDown(Key, Shift);
  if (!Alive.Alive()) return;
  const Boolean Ctrl = Shift.Contains(ssCtrl), ShiftDown = Shift.Contains(ssShift), Alt = Shift.Contains(ssAlt);
  switch (Key) {
    case win::VK_TAB:
      if (Ctrl) {
        if (Parent()) {
          if (auto* Form = GetParentForm(this)) Form->SelectNext(this, !ShiftDown, true);
        }
      } else if (ShiftDown) {
        FocusPrevious(true);
      } else if (!Alt) {
        FocusNext(true);
      }
      Key = 0;
      break;
    case win::VK_LEFT: FocusPrevious(false); break;
    case win::VK_RIGHT: FocusNext(false); break;
    case win::VK_UP: FocusUpperRow(false); break;
    case win::VK_DOWN: FocusLowerRow(false); break;
    case win::VK_INSERT:
      if (Shift.Empty()) AddCondition(FFocusedInfo.Row);
      break;
    case win::VK_DELETE:
      if (Ctrl && !ShiftDown && !Alt) RemoveFocused();
      break;
    default: break;
  }
}

void TvlCustomFilterControl::KeyPress(Char& Key) {
  // The OnKeyPress handler may free or disable the builder.
  TvlObjectLinkScope Alive(this);
  inherited::KeyPress(Key);
  if (!Alive.Alive() || !Enabled()) return;  // disabled by the handler: nothing opens
  if (Key == u'\r' || Key == u' ') {
    ActivatePart(FFocusedInfo.HitTest, false);
    Key = 0;
  } else if (Key != 0 && Key != 27 && Key != u'\t' && FFocusedInfo.HitTest == fhtValue) {
    // Any character opens the editor with it (Backspace: an emptied value);
    // Tab's character follows the key that already moved the focus.
    ShowValueEditor(2, Key);
    Key = 0;
  }
}

// --- The value editor ---------------------------------------------------------------------------------

void TvlCustomFilterControl::ShowValueEditor(Integer AActivation, Char AKey) {
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  if (!HasItems() || !Cond || FFocusedInfo.ValueIndex < 0 || FFocusedInfo.ValueIndex >= Cond->Values()->Count())
    return;
  MakeFocusedVisible();
  FState = fcsSelectingValue;
  TvlCustomEdit* Edit = Cond->EditorHelper()->GetFilterEdit(Cond->EditorProperties(), FInplaceEditors);
  if (!Edit) {
    FState = fcsNormal;
    return;
  }
  TvlValueInfo* V = Cond->Values()->Values(FFocusedInfo.ValueIndex);
  Cond->EditorHelper()->SetFilterValue(Edit, Cond->EditorProperties(), V->Value());
  if (auto* Text = dynamic_cast<TvlCustomTextEdit*>(Edit))
    if (Cond->Operator() == fcoLike || Cond->Operator() == fcoNotLike) {
      auto* P = static_cast<TvlCustomTextEditProperties*>(Text->ActiveProperties());
      TvlTextEditChars Chars = P->ValidChars();
      // An empty set lets every character through already.
      if (!Chars.Empty()) {
        for (Char W : {FCriteria->PercentWildcard(), FCriteria->UnderscoreWildcard()})
          if (W < 256) Chars.Include(Byte(W));
        P->SetValidChars(Chars);
      }
    }
  FValueEditor = Edit;
  Edit->SetParent(this);
  TvlEditStyle* Style = New<TvlEditStyle>(static_cast<TPersistent*>(nullptr), false);
  Finally FreeStyle([&] { Free(Style); });
  Style->Assign(FValueEditorStyle);
  Style->SetColor(clWindow);
  Edit->SetStyle(Style);
  Edit->SetBoundsRect(V->ValueRect());
  Edit->SetOnKeyDown(TKeyEvent(this, &TvlCustomFilterControl::EditorKeyDown));
  Edit->SetOnAfterKeyDown(TKeyEvent(this, &TvlCustomFilterControl::EditorAfterKeyDown));
  Edit->SetOnExit(TNotifyEvent(this, &TvlCustomFilterControl::EditorExit));
  Edit->SendToBack();
  if (AActivation == 2)
    Edit->ActivateByKey(AKey, Cond->ValueEditorData());
  else if (AActivation == 1)
    Edit->ActivateByMouse(FFocusedInfo.Shift, FFocusedInfo.Mouse.X, FFocusedInfo.Mouse.Y, Cond->ValueEditorData());
  else
    Edit->Activate(Cond->ValueEditorData());
}

void TvlCustomFilterControl::CloseValueEditor(Boolean AAccept) {
  FWasError = false;
  FState = fcsNormal;
  TvlCustomEdit* Edit = FValueEditor;
  if (!Edit) return;
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(FFocusedInfo.Row);
  if (AAccept && Cond) {
    // A refusal raises (the editor stays open); False means a handler freed the editor.
    if (!Edit->Deactivate()) {
      FValueEditor = nullptr;
      return;
    }
    Variant Value;
    String Text;
    Cond->EditorHelper()->GetFilterValue(Edit, Cond->EditorProperties(), Value, Text);
    try {
      vlValidateFilterValue(Edit, Value, Cond->Operator(), Cond->EditorHelper(), Cond->ValueType());
    } catch (...) {
      FWasError = true;
      FState = fcsSelectingValue;
      throw;
    }
    if (FFocusedInfo.ValueIndex >= 0 && FFocusedInfo.ValueIndex < Cond->Values()->Count()) {
      TvlValueInfo* V = Cond->Values()->Values(FFocusedInfo.ValueIndex);
      V->Value() = Value;
      V->ValueText() = Text;
    }
  }
  ForgetValueEditor();
  MakeFocusedVisible();
}

void TvlCustomFilterControl::ForgetValueEditor() {
  TvlCustomEdit* Edit = FValueEditor;
  if (!Edit) return;
  FValueEditor = nullptr;
  FState = fcsNormal;
  Edit->SetOnKeyDown(TKeyEvent());
  Edit->SetOnAfterKeyDown(TKeyEvent());
  Edit->SetOnExit(TNotifyEvent());
  Edit->SetParent(nullptr);
}

// Focuses the builder after its value editor closed; False when a handler
// of the focus change (its OnEnter, say) freed it.
Boolean TvlCustomFilterControl::TakeFocus() {
  TvlObjectLinkScope Alive(this);
  if (CanFocus()) SetFocus();
  return Alive.Alive();
}

void TvlCustomFilterControl::EditorKeyDown(TObject*, Word& Key, TShiftState Shift) {
  switch (Key) {
    case win::VK_TAB:
      if (!FWantTabs) return;
      CloseValueEditor(true);
      Key = 0;
      if (!TakeFocus()) return;
      if (Shift.Contains(ssShift))
        FocusPrevious(true);
      else
        FocusNext(true);
      break;
    case win::VK_RETURN:
      CloseValueEditor(true);
      Key = 0;
      TakeFocus();
      break;
    case win::VK_ESCAPE:
      if (FValueEditor) Key = 0;
      CloseValueEditor(false);
      TakeFocus();
      break;
    case win::VK_DELETE:
      if (Shift == TShiftState{ssCtrl}) {
        CloseValueEditor(false);
        Key = 0;
        if (TakeFocus()) RemoveFocused();
      }
      break;
    default: break;
  }
}

void TvlCustomFilterControl::EditorAfterKeyDown(TObject*, Word& Key, TShiftState Shift) {
  if (Key != win::VK_UP && Key != win::VK_DOWN) return;
  TvlCustomEdit* Edit = FValueEditor;
  try {
    CloseValueEditor(true);
  } catch (...) {
    if (Edit && Edit->CanFocus()) Edit->SetFocus();
    throw;
  }
  Word RowKey = Key;
  Key = 0;
  if (TakeFocus()) KeyDown(RowKey, Shift);
}

void TvlCustomFilterControl::EditorExit(TObject*) {
  TvlCustomEdit* Edit = FValueEditor;
  try {
    CloseValueEditor(true);
  } catch (...) {
    if (Edit && Edit->CanFocus()) Edit->SetFocus();
    throw;
  }
}
