#include "lib/editors/vlEditListBox.h"

#include <algorithm>

#include "lib/editors/vlTextEdit.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlCustomPopup.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Windows.h"

using namespace win;

CL_IMPLEMENT_CLASS(TvlCustomEditListBox)

void TvlCustomEditListBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FHotTrack = true;
  SetBorderStyle(bsNone);
}

TvlCustomTextEdit* TvlCustomEditListBox::Edit() {
  for (TWinControl* p = Parent(); p; p = p->Parent())
    if (auto* popup = dynamic_cast<TvlCustomPopupWindow*>(p)) return dynamic_cast<TvlCustomTextEdit*>(popup->OwnerControl());
  return nullptr;
}

TSize TvlCustomEditListBox::MeasureText(const String& AText) {
  TvlCanvas* canvas = vlGetScreenCanvas();
  canvas->Font()->Assign(Font());
  return canvas->TextExtent(AText);
}

Boolean TvlCustomEditListBox::DrawsFocusRect() {
  TvlCustomTextEdit* edit = Edit();
  if (!edit) return false;
  const TvlEditEditingStyle style = edit->ActiveProperties()->GetTextEditingStyle();
  return style == esFixedList || style == esNoEdit;
}

String TvlCustomEditListBox::GetItemText(Integer AIndex) { return Items()->Strings(AIndex); }

Integer TvlCustomEditListBox::GetHeight(Integer ARowCount, Integer) { return ARowCount * GetItemHeight(-1); }

Integer TvlCustomEditListBox::GetItemHeight(Integer) { return MeasureText(u"Wg").cy; }

Integer TvlCustomEditListBox::GetItemWidth(Integer AIndex) { return MeasureText(GetItemText(AIndex)).cx; }

void TvlCustomEditListBox::MeasureItem(Integer Index, Integer& Height) { Height = GetItemHeight(Index); }

Boolean TvlCustomEditListBox::IsVisible() { return HandleAllocated() && IsWindowVisible(WindowHandle()); }

void TvlCustomEditListBox::SetListScrollWidth(Integer Value) {
  SetScrollWidth(0);
  SetScrollWidth(Value);
}

void TvlCustomEditListBox::SetItemCount(Integer N) {
  TStrings* items = Items();
  if (items->Count() == N) return;
  items->BeginUpdate();
  Finally endUpdate([&] { items->EndUpdate(); });
  while (items->Count() < N) items->Add(String());
  while (items->Count() > std::max(N, 0)) items->Delete(items->Count() - 1);
}

void TvlCustomEditListBox::SetItemIndexValue(Integer Value) {
  inherited::SetItemIndexValue(Value);
  SelectItemNotify();
}

void TvlCustomEditListBox::Click() {
  inherited::Click();
  SelectItemNotify();
}

void TvlCustomEditListBox::SelectItemNotify() {
  SetExternalScrollBarsParameters();
  if (Assigned(FOnSelectItem)) FOnSelectItem(this);
}

void TvlCustomEditListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (DrawItemHook(Index, Rect, State)) return;
  TCanvas* canvas = Canvas()->Canvas();
  canvas->FillRect(Rect);
  if (Index < 0 || Index >= Items()->Count()) return;
  const Boolean rtl = UseRightToLeftReading();
  TRect r = Rect;
  if (rtl)
    r.Right -= 2;
  else
    r.Left += 2;
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  if (rtl) flags |= DT_RTLREADING | DT_RIGHT;
  const String text = GetItemText(Index);
  SetBkMode(canvas->Handle(), TRANSPARENT);
  DrawTextW(canvas->Handle(), text.c_str(), Integer(text.size()), &r, flags);
}

void TvlCustomEditListBox::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (!FHotTrack || !HandleAllocated() || GetCapture() == WindowHandle()) return;
  const Integer i = ItemAtPos(TPoint{X, Y}, true);
  if (i >= 0 && i != ItemIndex()) SetItemIndex(i);
}

Boolean TvlCustomEditListBox::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (inherited::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  if (!HandleAllocated()) return false;
  LRESULT r = 1;
  const Integer lines = Mouse() ? Mouse()->WheelScrollLines() : 3;
  for (Integer i = 0; i < lines; ++i)
    r = SendMessageW(WindowHandle(), WM_VSCROLL, WheelDelta >= 1 ? SB_LINEUP : SB_LINEDOWN, 0);
  SetExternalScrollBarsParameters();
  return r == 0;
}

void TvlCustomEditListBox::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_SHOWINGCHANGED) {
    inherited::Dispatch(Message);
    // Drawn as focused without taking the focus.
    if (HandleAllocated() && Showing()) {
      TMessage m{WM_SETFOCUS, 0, 0, 0};
      inherited::DefaultHandler(m);
    }
    return;
  }
  inherited::Dispatch(Message);
}
