// The list box that a drop-down editor shows in its popup: the lookup items
// as entries, hot-tracked by the mouse, drawn as one line each, wheel
// scrolling by lines, drawn as focused without taking the focus.
#pragma once

#include "lib/lookandfeel/vlInnerListBox.h"

class TvlCustomTextEdit;

class TvlCustomEditListBox : public TvlCustomInnerListBox {
  CL_CLASS(TvlCustomEditListBox, TvlCustomInnerListBox)
 public:
  void Create(TComponent* AOwner) override;
  void Dispatch(TMessage& Message) override;

  Boolean DrawsFocusRect() override;
  // True when the item was drawn here.
  virtual Boolean DrawItemHook(Integer Index, const TRect& Rect, TOwnerDrawState State) { return false; }
  virtual String GetItemText(Integer AIndex);
  virtual void AfterInitialize() {}
  // ARowCount rows of GetItemHeight(-1).
  virtual Integer GetHeight(Integer ARowCount, Integer AMaxHeight);
  // The height of "Wg" in the list's font.
  virtual Integer GetItemHeight(Integer AIndex = -1);
  virtual Integer GetItemWidth(Integer AIndex);

  // A window exists and is visible.
  Boolean IsVisible();
  // Sets 0 first, so that the native horizontal range is updated.
  void SetListScrollWidth(Integer Value);
  // Appends empty entries or deletes the last ones, in one update.
  void SetItemCount(Integer N);
  // The text editor that owns the popup holding the list (nil when none).
  TvlCustomTextEdit* Edit();
  // The size of a text in the list's font.
  TSize MeasureText(const String& AText);

  Boolean HotTrack() const { return FHotTrack; }
  void SetHotTrack(Boolean Value) { FHotTrack = Value; }
  const TNotifyEvent& OnSelectItem() const { return FOnSelectItem; }
  void SetOnSelectItem(const TNotifyEvent& Value) { FOnSelectItem = Value; }

 protected:
  void SetItemIndexValue(Integer Value) override;
  void Click() override;
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void MeasureItem(Integer Index, Integer& Height) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  Boolean DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  virtual void SelectItemNotify();

 private:
  Boolean FHotTrack{};
  TNotifyEvent FOnSelectItem;
};
using TvlCustomEditListBoxClass = TClassOf<TvlCustomEditListBox>;
