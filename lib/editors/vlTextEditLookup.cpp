// The lookup items of the text editor: the current item, the prefix search,
// the stepping, and the editor's incremental search and navigation keys.
#include <algorithm>

#include "lib/editors/vlEditListBox.h"
#include "lib/editors/vlInnerTextEdit.h"
#include "lib/editors/vlTextEdit.h"
#include "lib/foundation/vlClasses.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

Boolean IsTextChar(Char C) { return C >= 0x20 && C != 0x7F; }

}  // namespace

// --- Lookup data -------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomTextEditLookupData)

void TvlCustomTextEditLookupData::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FCurrentKey = -1;
  FItemIndex = -1;
}

void TvlCustomTextEditLookupData::Destroy() { inherited::Destroy(); }

TvlCustomTextEdit* TvlCustomTextEditLookupData::Edit() const { return dynamic_cast<TvlCustomTextEdit*>(Owner()); }

namespace {
// Whether AnsiUpperCase of the first AKey.size() units of AItem (of all of
// it when AWhole) is AKey, without building the upper-cased text: searching
// 100,000 items a key must not allocate per item.
Boolean UpperStartsWith(const TAnsiUpperCaseUnits& AUpper, const String& AItem, const String& AKey, Boolean AWhole) {
  const size_t len = AKey.size();
  if (AItem.size() < len || (AWhole && AItem.size() != len)) return false;
  for (size_t k = 0; k < len; ++k)
    if (AUpper.At(AItem.data(), len, k) != AKey[k]) return false;
  return true;
}
}  // namespace

String TvlCustomTextEditLookupData::GetItemText(Integer AIndex) {
  return Edit()->ActiveProperties()->LookupItems()->Strings(AIndex);
}

Integer TvlCustomTextEditLookupData::GetItemCount() { return Edit()->ActiveProperties()->LookupItems()->Count(); }

void TvlCustomTextEditLookupData::ListItemSelected(TObject*) {
  if (FList) FItemIndex = FList->ItemIndex();
}

void TvlCustomTextEditLookupData::PropertiesChanged() {
  const Integer count = GetItemCount();
  if (FItemIndex >= count) FItemIndex = -1;
  if (FCurrentKey >= count) FCurrentKey = -1;
  UpdateListItemCount();
}

void TvlCustomTextEditLookupData::UpdateListItemCount() {
  if (FList) FList->SetItemCount(GetItemCount());
}

TWinControl* TvlCustomTextEditLookupData::GetActiveControl() { return FList.Get(); }

Boolean TvlCustomTextEditLookupData::IsMouseOverList(const TPoint& P) {
  if (!FList || !FList->HandleAllocated()) return false;
  const TPoint p = FList->ScreenToClient(P);
  return p.X >= 0 && p.Y >= 0 && p.X < FList->Width() && p.Y < FList->Height();
}

void TvlCustomTextEditLookupData::PositionVisualArea(const TRect& AClientRect) {
  if (!FList) return;
  FList->SetBoundsRect(AClientRect);
  if (FList->HandleAllocated()) FList->SetListScrollWidth(FList->ScrollWidth());
}

void TvlCustomTextEditLookupData::Initialize(TWinControl* AVisualControlsParent) {
  TvlCustomTextEdit* edit = Edit();
  if (!FList && ListBoxClass()) {
    FList = CreateFrom(ListBoxClass(), static_cast<TComponent*>(AVisualControlsParent));
    FList->SetColor(edit->ViewInfo()->BackgroundColor());
    FList->SetFont(edit->GetVisibleFont());
    FList->Canvas()->SetFont(edit->GetVisibleFont());
    FList->SetParent(AVisualControlsParent);
    FList->SetOnSelectItem(TNotifyEvent(this, &TvlCustomTextEditLookupData::ListItemSelected));
  }
  if (FList) {
    FList->SetItemCount(GetItemCount());
    FList->SetItemIndex(FItemIndex);
    FList->AfterInitialize();
  }
  TextChanged();
}

String TvlCustomTextEditLookupData::GetDisplayText(const Variant& AKey) {
  if (VarIsNull(AKey) || VarIsEmpty(AKey)) return String();
  const Integer k = AKey.AsInteger();
  return k >= 0 && k < GetItemCount() ? GetItemText(k) : String();
}

Integer TvlCustomTextEditLookupData::IndexOf(const String& AText) {
  const String key = AnsiUpperCase(AText);
  const TAnsiUpperCaseUnits upper;
  const Integer count = GetItemCount();
  for (Integer i = 0; i < count; ++i)
    if (UpperStartsWith(upper, GetItemText(i), key, true)) return i;
  return -1;
}

Boolean TvlCustomTextEditLookupData::Find(const String& AText) { return IndexOf(AText) >= 0; }

void TvlCustomTextEditLookupData::CloseUp() {
  if (!Edit()->IsEditModeSetting()) SyncListIndex(FCurrentKey);
}

void TvlCustomTextEditLookupData::SyncListIndex(Integer AIndex) {
  if (AIndex < -1 || AIndex >= GetItemCount() || (AIndex == FItemIndex && AIndex != -1)) return;
  if (FList && GetItemCount() > 0) {
    if (AIndex == -1) FList->SetItemIndex(0);
    FList->SetItemIndex(AIndex);
  }
  FItemIndex = AIndex;
}

void TvlCustomTextEditLookupData::InternalSetCurrentKey(Integer Value) {
  if (Value < -1 || Value >= GetItemCount()) return;
  FCurrentKey = Value;
  SyncListIndex(Value);
}

void TvlCustomTextEditLookupData::SelectItemNotify() { vlCallNotifyEvent(FOnSelectItem, this); }

void TvlCustomTextEditLookupData::SetCurrentKey(const Variant& AKey) {
  const Integer old = FCurrentKey;
  const Integer key = (VarIsNull(AKey) || VarIsEmpty(AKey)) ? -1 : AKey.AsInteger();
  InternalSetCurrentKey(key);
  TvlCustomTextEdit* edit = Edit();
  const Boolean locked = edit->LookupDataTextChangedLocked();
  edit->SetLookupDataTextChangedLocked(true);
  Finally unlock([&] { edit->SetLookupDataTextChangedLocked(locked); });
  if (FCurrentKey != old)
    SelectItemNotify();
  else if (key >= 0 && key < GetItemCount() && edit->Text() != GetItemText(key))
    SelectItemNotify();
}

void TvlCustomTextEditLookupData::SelectItem() {
  if (FItemIndex == -1) return;
  if (FCurrentKey != FItemIndex && !Edit()->DoEditing()) return;
  const Integer prev = FCurrentKey;
  SetCurrentKey(Variant(FItemIndex));
  if (FCurrentKey == prev) SelectItemNotify();
}

void TvlCustomTextEditLookupData::ClearKeyAfterMiss(const String& AText, Boolean ANext) {
  switch (Edit()->ActiveProperties()->GetTextEditingStyle()) {
    case esEditList:
      if (ANext || AText.empty()) InternalSetCurrentKey(-1);
      break;
    case esFixedList:
      if (ANext) InternalSetCurrentKey(-1);
      break;
    default: InternalSetCurrentKey(-1);
  }
}

Boolean TvlCustomTextEditLookupData::InternalLocate(String& AText, String& ATail, Boolean AWholeText, Boolean ANext) {
  const Integer count = GetItemCount();
  if (count == 0) {
    ClearKeyAfterMiss(AText, ANext);
    return false;
  }
  TvlCustomTextEditProperties* p = Edit()->ActiveProperties();
  if (AWholeText && p->MRUMode()) {
    const Integer i = IndexOf(AText);
    if (i < 0) {
      InternalSetCurrentKey(-1);
      return false;
    }
    ATail.clear();
    InternalSetCurrentKey(i);
    return true;
  }
  const size_t len = AText.size();
  if (len > 0) {
    const String key = AnsiUpperCase(AText);
    const TAnsiUpperCaseUnits upper;
    for (Integer i = (ANext ? FItemIndex : -1) + 1; i < count; ++i) {
      const String item = GetItemText(i);
      if (!UpperStartsWith(upper, item, key, false)) continue;
      if (p->GetTextEditingStyle() != esEdit) AText = item.substr(0, len);
      ATail = item.substr(len);
      InternalSetCurrentKey(i);
      return true;
    }
  }
  ClearKeyAfterMiss(AText, ANext);
  return false;
}

void TvlCustomTextEditLookupData::TextChanged() {
  TvlCustomTextEdit* edit = Edit();
  if (edit->IsEditModeSetting()) return;
  const String text = edit->Text();
  if (FItemIndex >= 0 && FItemIndex < GetItemCount() && AnsiUpperCase(GetItemText(FItemIndex)) == AnsiUpperCase(text))
    return;
  String s = text, tail;
  InternalLocate(s, tail, true, false);
}

void TvlCustomTextEditLookupData::Go(TvlEditLookupDataGoDirection ADirection, Boolean ACircular) {
  const Integer count = GetItemCount();
  if (count == 0) return;
  const Integer idx = FItemIndex != -1 ? FItemIndex : FCurrentKey;
  const Integer page = Edit()->ActiveProperties()->GetLookupPageSize();
  Integer target = idx;
  switch (ADirection) {
    case egdBegin: target = 0; break;
    case egdEnd: target = count - 1; break;
    case egdNext: target = idx + 1 >= count ? (ACircular ? 0 : idx) : idx + 1; break;
    case egdPrev: target = idx - 1 < 0 ? (ACircular ? count - 1 : idx) : idx - 1; break;
    case egdPageUp:
      if (idx == -1)
        target = ACircular ? count - 1 : -1;
      else if (ACircular && idx == 0)
        target = count - 1;
      else
        target = std::max(0, idx - page + 1);
      break;
    case egdPageDown:
      if (idx == -1)
        target = std::min(page - 1, count - 1);
      else if (ACircular && idx == count - 1)
        target = 0;
      else
        target = std::min(idx + page - 1, count - 1);
      break;
  }
  TvlCustomTextEdit* edit = Edit();
  TWinControl* list = GetActiveControl();
  const Boolean listShown = list && list->HandleAllocated() && IsWindowVisible(list->WindowHandle());
  if (!listShown || (edit->ActiveProperties()->ImmediateUpdateText() && edit->DoEditing()))
    SetCurrentKey(Variant(target));
  else
    SyncListIndex(target);
}

// --- The editor's incremental search and navigation keys ------------------------------------------------------

Boolean TvlCustomTextEdit::LocateTyped(String& S) {
  IvlInnerTextEdit* inner = InnerTextEdit();
  const Char ime = inner ? inner->GetImeLastChar() : Char(0);
  String t = ime ? S + ime : S, tail;
  const Boolean found = FLookupData->Locate(t, tail, false);
  if (found) {
    S = t;
    if (ime && !S.empty()) {
      tail.insert(tail.begin(), S.back());
      S.pop_back();
    }
  }
  FFindSelection = found;
  TvlCustomTextEditProperties* p = ActiveProperties();
  if (S.empty()) {
    if (p->GetTextEditingStyle() != esFixedList) StoreValidatedDisplayValue(p->GetEmptyDisplayValue());
    FFindSelection = false;
  }
  if (found) {
    DataBinding()->SetDisplayValue(Variant(S + tail));
    SetSelStart(Integer(S.size()));
    SetSelLength(Integer(tail.size()));
  }
  RefreshAfterFocusChange();
  return found;
}

void TvlCustomTextEdit::KeyPress(Char& Key) {
  if (Key == Char(VK_ESCAPE) && FIsPopupWindowJustClosed && !HasPopupWindow()) FIsPopupWindowJustClosed = false;
  inherited::KeyPress(Key);
}

void TvlCustomTextEdit::TextEditKeyPress(Char& Key) {
  IvlInnerTextEdit* inner = InnerTextEdit();
  if (inner) inner->SetInternalUpdating(true);
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  TvlCustomEdit::DoEditKeyPress(Key);
  if (!link->Ref) return;
  if (Key == 0) return;
  const Boolean savedKeyboard = IsKeyboardActionNow();
  SetKeyboardActionNow(true);
  FLookupDataTextChangedLocked = false;
  TvlCustomTextEditProperties* p = ActiveProperties();
  const TvlEditEditingStyle style = p->GetTextEditingStyle();
  const Integer prevKey = FLookupData ? Integer(FLookupData->CurrentKey()) : -1;
  Boolean clicksLocked = false;
  Finally done([&] {
    if (!link->Ref) return;
    if (clicksLocked) LockClick(false);
    SetKeyboardActionNow(savedKeyboard);
    if (FLookupData && FLookupData->CurrentKey() != prevKey) {
      SetModifiedAfterEnter(true);
      Click();
    }
    if (Key != 0 && InnerTextEdit()) InnerTextEdit()->SetInternalUpdating(false);
  });
  if (style == esFixedList && !p->FixedListSelection() && Key == Char(8)) {
    Key = 0;
    FFindSelection = false;
    return;
  }
  const Boolean prevFind = FFindSelection;
  Boolean found = false;
  LockClick(true);
  clicksLocked = true;
  const Boolean active = p->UsesLookupData() && FLookupData &&
                         (style == esEditList || style == esFixedList || (style == esEdit && p->IncrementalSearch()));
  const String text = CurrentDisplayText();
  if (Key == Char(8) && active) {
    if (style == esEditList && !text.empty() && !FFindSelection) {
      SetSelLength(Integer(text.size()) - SelStart());
      FFindSelection = true;
    }
    if (FFindSelection) {
      String s = text.substr(0, size_t(std::max(0, SelStart())));
      if (!s.empty()) s.pop_back();
      if (!s.empty() && s.back() >= 0xDC00 && s.back() <= 0xDFFF) s.pop_back();
      FLookupDataTextChangedLocked = true;
      found = LocateTyped(s);
    }
    if (style == esFixedList) Key = 0;
  } else if (IsTextChar(Key) && active) {
    const Integer selStart = SelStart(), selLength = SelLength();
    const Boolean atEnd = selLength == 0 && selStart == Integer(text.size());
    if (style == esEditList || style == esFixedList || atEnd || FFindSelection || selLength > 0) {
      String s;
      if (selLength > 0)
        s = text.substr(0, size_t(selStart)) + Key;
      else if (style != esFixedList)
        s = text.substr(0, size_t(selStart)) + Key + text.substr(size_t(selStart));
      else if (FFindSelection) {
        s = text + Key;
        found = LocateTyped(s);
        if (!found) s = String(1, Key);
      } else
        s = String(1, Key);
      if (!found) found = LocateTyped(s);
      if (style == esFixedList && !p->FixedListSelection() && !found) {
        s = String(1, Key);
        found = LocateTyped(s);
      }
      if (!found && (style == esEditList || style == esFixedList)) {
        Key = 0;
        if (style == esEditList)
          FFindSelection = !text.empty();
        else if (p->FixedListSelection() && prevFind)
          FFindSelection = true;
      }
    }
  }
  if (found) Key = 0;
}

void TvlCustomTextEdit::GoLookup(TvlEditLookupDataGoDirection ADirection) {
  // OnClick, OnChange or the post may free the editor: nothing of it is
  // touched after that.
  TvlObjectLinkScope alive(this);
  LockChangeEvents(true);
  FLookupItemsScrolling = true;
  Finally done([&] {
    if (!alive.Alive()) return;
    FLookupItemsScrolling = false;
    LockChangeEvents(false);
  });
  const Integer prevKey = FLookupData->CurrentKey();
  LockClick(true);
  {
    Finally unlock([&] {
      if (alive.Alive()) LockClick(false);
    });
    FLookupData->Go(ADirection, false);
  }
  if (!alive.Alive() || FLookupData->CurrentKey() == prevKey) return;
  SetModifiedAfterEnter(true);
  Click();
  if (!alive.Alive()) return;
  // With ImmediatePost the value stepped to is posted at once.
  if (ActiveProperties()->ImmediatePost() && CanPostEditValue() && ValidateEdit(false) && alive.Alive())
    InternalPostEditValue(false);
}

void TvlCustomTextEdit::TextEditKeyDown(Word& Key, TShiftState Shift) {
  TvlCustomTextEditProperties* p = ActiveProperties();
  const TvlEditEditingStyle style = p->GetTextEditingStyle();
  if (style == esFixedList && ShortCut(Key, Shift) != p->ClearKey() && !IsClickKey(Key, Shift) &&
      (Key == VK_LEFT || Key == VK_RIGHT || Key == VK_DELETE)) {
    FFindSelection = false;
    DoAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  IvlInnerTextEdit* inner = InnerTextEdit();
  if (inner) inner->SetInternalUpdating(true);
  Finally survive([&] {
    if (Key != 0 && InnerTextEdit()) InnerTextEdit()->SetInternalUpdating(false);
  });
  const Boolean findSelection = FFindSelection;
  {
    TvlObjectLink* link = vlAddObjectLink(this);
    Finally unlink([&] { vlRemoveObjectLink(link); });
    TvlCustomEdit::DoEditKeyDown(Key, Shift);
    if (!link->Ref) return;
  }
  if (Key == 0) return;
  if (Key == VK_RETURN && findSelection && FLookupData) {
    FLookupData->SelectItem();
    SelectAll();
  }
  if ((Key == VK_LEFT || Key == VK_RIGHT) && !Shift.Contains(ssShift)) {
    if (SelLength() > 0) {
      const Integer pos = Key == VK_RIGHT ? SelStart() + SelLength() : SelStart();
      SetSelection(pos, 0);
      Key = 0;
    }
    FFindSelection = false;
    RefreshAfterFocusChange();
    return;
  }
  if (Key == VK_DELETE) {
    if (style == esEditList) {
      DoAfterKeyDown(Key, Shift);
      Key = 0;
    } else
      FFindSelection = false;
    return;
  }
  const Boolean nav = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN ||
                      (style == esFixedList && (Key == VK_HOME || Key == VK_END));
  if (nav && p->UsesLookupData() && FLookupData && AllowsLookupNavigation(false) && !FLookupData->IsEmpty()) {
    const Boolean ctrl = Shift.Contains(ssCtrl);
    switch (Key) {
      case VK_PRIOR: GoLookup(ctrl ? egdBegin : egdPageUp); break;
      case VK_NEXT: GoLookup(ctrl ? egdEnd : egdPageDown); break;
      case VK_UP: GoLookup(egdPrev); break;
      case VK_DOWN: GoLookup(egdNext); break;
      case VK_HOME: GoLookup(egdBegin); break;
      default: GoLookup(egdEnd);
    }
    Key = 0;
    return;
  }
  if ((Key == VK_PRIOR || Key == VK_NEXT || Key == VK_UP || Key == VK_DOWN) && inner && !inner->GetMultiLine()) {
    DoAfterKeyDown(Key, Shift);
    Key = 0;
    return;
  }
  if (Key == VK_END && SelLength() == 0 && style != esFixedList) FFindSelection = false;
}

Boolean TvlCustomTextEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  TvlCustomTextEditProperties* p = ActiveProperties();
  if (!AllowsLookupNavigation(true) || HasPopupWindow() || !p->UsesLookupData() || !FLookupData ||
      FLookupData->IsEmpty() || !p->UseMouseWheel() || !DoEditing())
    return false;
  GoLookup(WheelDelta > 0 ? egdPrev : egdNext);
  return true;
}
