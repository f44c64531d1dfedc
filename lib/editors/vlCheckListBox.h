// The check list box: a list whose items carry a check state, an enabled
// flag, an image and a text. An owner-drawn inner list box paints the checks
// with the library's check drawing and toggles them by mouse (on release over
// the same check) and by the Space key. The states of all items are mirrored
// in one EditValue in the format EditValueFormat chooses (or a pair of
// events); a data binding stores that value, or without checks the selected
// item's text.
#pragma once

#include "lib/editors/vlCheckBox.h"
#include "lib/lookandfeel/vlInnerListBox.h"

class TvlCustomDataBinding;
class TvlCustomCheckListBox;
class TvlCustomInnerCheckListBox;
class TCustomImageList;
class TChangeLink;
class TBasicAction;

CL_ENUM(TvlCheckListBoxImageLayout, Byte, ilBeforeChecks, ilAfterChecks)

using TvlClickCheckEvent =
    TDelegate<void(TObject* Sender, Integer AIndex, TvlCheckBoxState APrevState, TvlCheckBoxState ANewState)>;
using TvlCheckStatesToEditValueEvent =
    TDelegate<void(TObject* Sender, const TvlCheckStates& ACheckStates, Variant& AEditValue)>;
using TvlEditValueToCheckStatesEvent =
    TDelegate<void(TObject* Sender, const Variant& AEditValue, TvlCheckStates& ACheckStates)>;
CL_EVENT_TYPEINFO(TvlClickCheckEvent)
CL_EVENT_TYPEINFO(TvlCheckStatesToEditValueEvent)
CL_EVENT_TYPEINFO(TvlEditValueToCheckStatesEvent)
CL_EVENT_TYPEINFO(TvlCollectionCompareEvent)
using TvlCheckListBoxDrawItemEvent = TDrawItemEvent;
using TvlCheckListBoxMeasureItemEvent = TMeasureItemEvent;

// The layout constants of a row.
struct TvlCheckListBoxMetrics {
  Integer CheckFrameWidth{1};
  Integer ContentOffset{0};
  Integer ImageFrameWidth{1};
  Integer TextAreaOffset{1};
  Integer TextOffset{2};
  Integer TextWidthCorrection{3};
};

class TvlCheckListBoxItem : public TvlCaptionItem {
  CL_CLASS(TvlCheckListBoxItem, TvlCaptionItem)
 public:
  void Assign(TPersistent* Source) override;
  String GetDisplayName() override;

  Boolean Checked() const { return FState == cbsChecked; }
  void SetChecked(Boolean Value) { SetState(Value ? cbsChecked : cbsUnchecked); }
  Boolean Enabled() const { return FEnabled; }
  void SetEnabled(Boolean Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  TObject* ItemObject() const { return FItemObject; }
  void SetItemObject(TObject* Value) { FItemObject = Value; }
  TvlCheckBoxState State() const { return FState; }
  void SetState(TvlCheckBoxState Value);
  const String& Text() const { return Caption(); }
  void SetText(const String& Value) { SetCaption(Value); }

 private:
  TvlCustomInnerCheckListBox* ListBox() const;

  Boolean FEnabled{true};
  Integer FImageIndex{-1};
  TObject* FItemObject{};
  TvlCheckBoxState FState{cbsUnchecked};
};

class TvlCheckListBoxItems : public TvlCaptionItems {
  CL_CLASS(TvlCheckListBoxItems, TvlCaptionItems)
 public:
  virtual void Create(TvlCustomInnerCheckListBox* AOwner);
  void Destroy() override;

  TvlCheckListBoxItem* Items(Integer Index) const {
    return static_cast<TvlCheckListBoxItem*>(TCollection::Items(Index));
  }
  TvlCheckListBoxItem* Add() { return static_cast<TvlCheckListBoxItem*>(TCollection::Add()); }
  void Delete(Integer Index) { TCollection::Delete(Index); }
  // The first item whose text equals S case-insensitively, -1 when none.
  Integer IndexOf(const String& S);
  Integer IndexOfObject(TObject* AObject);
  // Clears AStrings and adds every item's text.
  void LoadStrings(TStrings* AStrings);
  void LockChanged(Boolean ALock, Boolean AInvokeChangedOnUnlock = true);
  Boolean IsChangedLocked() const { return FChangedLockCount > 0; }
  TvlCustomInnerCheckListBox* CheckListBox() const { return FCheckListBox; }

 protected:
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;
  void Update(TCollectionItem* Item) override;

 private:
  Integer FChangedLockCount{};
  TvlCustomInnerCheckListBox* FCheckListBox{};
  friend class TvlCustomInnerCheckListBox;
};

class TvlCustomInnerCheckListBox : public TvlCustomInnerListBox {
  CL_CLASS(TvlCustomInnerCheckListBox, TvlCustomInnerListBox)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  Boolean ExecuteAction(TBasicAction* Action) override;
  Boolean UpdateAction(TBasicAction* Action) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  virtual Integer GetCheckAreaWidth();
  virtual TvlCheckListBoxMetrics GetMetrics() { return TvlCheckListBoxMetrics{}; }
  virtual Integer GetStandardItemHeight();
  virtual void FullRepaint();
  virtual void InvalidateItem(Integer AIndex);
  virtual void DoClickCheck(Integer AIndex, TvlCheckBoxState APrevState, TvlCheckBoxState ANewState);
  // The row draws its own focus rectangle, over the text part.
  Boolean DrawsFocusRect() override { return false; }

  // The check of an item in client coordinates (empty without checks).
  TRect GetCheckRect(const TRect& AItemRect, Boolean AForDrawing);
  TRect GetImageRect(const TRect& AItemRect);
  // The index of the item whose check lies under a client point, -1 when none.
  Integer GetCheckAt(Integer X, Integer Y);
  void Toggle(Integer AIndex);
  void UpdateItemHeight();
  // Invalidates an item's check without erasing.
  void InvalidateCheck(Integer AIndex);

  TvlCustomCheckListBox* Container() const;
  TvlCheckListBoxItems* CheckItems() const { return FCheckItems; }
  Boolean AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(Boolean Value) { FAllowGrayed = Value; }
  Boolean AllowDblClickToggle() const { return FAllowDblClickToggle; }
  void SetAllowDblClickToggle(Boolean Value) { FAllowDblClickToggle = Value; }
  TBitmap* Glyph();
  void SetGlyph(TBitmap* Value);
  Integer GlyphCount() const { return FGlyphCount; }
  void SetGlyphCount(Integer Value);
  Integer HotCheckIndex() const { return FHotCheckIndex; }
  Integer PressedCheckIndex() const { return FPressedCheckIndex; }
  const TvlCheckListBoxMetrics& Metrics() const { return FMetrics; }
  const TvlClickCheckEvent& OnClickCheck() const { return FOnClickCheck; }
  void SetOnClickCheck(const TvlClickCheckEvent& Value) { FOnClickCheck = Value; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Click() override;
  void DblClick() override;
  void KeyPress(Char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  Boolean DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void MouseLeave(TControl* AControl) override;
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void MeasureItem(Integer Index, Integer& Height) override;

 private:
  TvlLookAndFeel* CheckLookAndFeel();
  TSize CheckSize();
  Integer CheckBorderOffset();
  Boolean ImagesValid();
  void SetHotCheck(Integer AIndex);
  void SetPressedCheck(Integer AIndex);
  void CheckFromPoint(const TPoint& P, TShiftState AShift);
  void CheckFromCursor();
  void LeftButtonDownMessage(TMessage& Message);
  void GlyphChanged(TObject* Sender);

  Boolean FAllowGrayed{};
  Boolean FAllowDblClickToggle{true};
  Integer FCapturedCheckIndex{-1};
  TvlCheckListBoxItems* FCheckItems{};
  TBitmap* FGlyph{};
  Integer FGlyphCount{6};
  Integer FHotCheckIndex{-1};
  TvlCheckListBoxMetrics FMetrics{};
  Integer FNewPressedCheckIndex{-1};
  Boolean FNewPressedCheckItemFullyVisible{};
  Integer FPressedCheckIndex{-1};
  TvlClickCheckEvent FOnClickCheck;

  friend class TvlCustomCheckListBox;
};
using TvlCustomInnerCheckListBoxClass = TClassOf<TvlCustomInnerCheckListBox>;

class TvlCustomCheckListBox : public TvlContainer {
  CL_CLASS(TvlCustomCheckListBox, TvlContainer)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Loaded() override;
  Boolean ExecuteAction(TBasicAction* Action) override;
  Boolean UpdateAction(TBasicAction* Action) override;
  Boolean CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void Dispatch(TMessage& Message) override;

  // Items under a point in the container's coordinates, or their rectangles.
  Integer CheckAtPos(const TPoint& APos);
  Integer ItemAtPos(const TPoint& APos, Boolean AExisting);
  TRect ItemRect(Integer Index);
  void Clear() { Items()->Clear(); }
  void Sort() { Items()->Sort(); }
  void AddItem(const String& AItem);
  void CopySelection(TvlCustomCheckListBox* ADestination);
  void DeleteSelected();
  void MoveSelection(TvlCustomCheckListBox* ADestination);
  Integer GetBestFitWidth();
  Integer GetHeight(Integer ARowCount);
  Integer GetItemWidth(Integer AIndex);
  // The height of whole rows nearest below AHeight, never below one row.
  Integer IntegralHeightFor(Integer AHeight);
  virtual Boolean IsEditValueValid(const Variant& AValue, Boolean AAllowEmpty);

  Integer Count() { return FInnerCheckListBox->Items()->Count(); }
  TvlCustomInnerCheckListBox* InnerCheckListBox() const { return FInnerCheckListBox; }
  TvlCustomDataBinding* DataBinding() const { return FDataBinding; }
  Boolean IsModified() const { return FIsModified; }
  Integer ItemIndex() { return FInnerCheckListBox->ItemIndex(); }
  void SetItemIndex(Integer Value) { FInnerCheckListBox->SetItemIndex(Value); }
  Integer TopIndex() { return FInnerCheckListBox->TopIndex(); }
  void SetTopIndex(Integer Value) { FInnerCheckListBox->SetTopIndex(Value); }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TvlCheckListBoxItems* Items() const { return FInnerCheckListBox->CheckItems(); }
  void SetItems(TvlCheckListBoxItems* Value);
  const Variant& EditValue() const;
  void SetEditValue(const Variant& Value);
  TvlCheckStatesValueFormat EditValueFormat() const { return FEditValueFormat; }
  void SetEditValueFormat(TvlCheckStatesValueFormat Value);
  TvlCheckListBoxImageLayout ImageLayout() const { return FImageLayout; }
  void SetImageLayout(TvlCheckListBoxImageLayout Value);
  Boolean IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(Boolean Value);
  Boolean ReadOnly();
  void SetReadOnly(Boolean Value);
  Boolean ShowChecks() const { return FShowChecks; }
  void SetShowChecks(Boolean Value);
  Boolean Sorted() const { return Items()->Sorted(); }
  void SetSorted(Boolean Value);
  Integer ScrollWidth() { return FInnerCheckListBox->ScrollWidth(); }
  void SetScrollWidth(Integer Value) { FInnerCheckListBox->SetScrollWidth(Value); }
  Integer TabWidth() const { return FInnerCheckListBox->TabWidth(); }
  Boolean AutoComplete() const { return FInnerCheckListBox->AutoComplete(); }
  void SetAutoComplete(Boolean Value) { FInnerCheckListBox->SetAutoComplete(Value); }
  Cardinal AutoCompleteDelay() const { return FInnerCheckListBox->AutoCompleteDelay(); }
  void SetAutoCompleteDelay(Cardinal Value) { FInnerCheckListBox->SetAutoCompleteDelay(Value); }
  Integer Columns() const { return FInnerCheckListBox->Columns(); }
  void SetColumns(Integer Value) { FInnerCheckListBox->SetColumns(Value); }
  TBitmap* Glyph() const { return FInnerCheckListBox->Glyph(); }
  void SetGlyph(TBitmap* Value) { FInnerCheckListBox->SetGlyph(Value); }
  Integer GlyphCount() const { return FInnerCheckListBox->GlyphCount(); }
  void SetGlyphCount(Integer Value) { FInnerCheckListBox->SetGlyphCount(Value); }
  // Kept for the form file; this platform has no input method editor.
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value) { FImeMode = Value; }
  const String& ImeName() const { return FImeName; }
  void SetImeName(const String& Value) { FImeName = Value; }
  const TvlCollectionCompareEvent& OnCompare() const { return Items()->OnCompare(); }
  void SetOnCompare(const TvlCollectionCompareEvent& Value) { Items()->SetOnCompare(Value); }
  void SetStyleDisabled(TvlContainerStyle* Value) { StyleDisabled()->Assign(Value); }
  void SetStyleFocused(TvlContainerStyle* Value) { StyleFocused()->Assign(Value); }
  void SetStyleHot(TvlContainerStyle* Value) { StyleHot()->Assign(Value); }
  void SetTabWidth(Integer Value) { FInnerCheckListBox->SetTabWidth(Value); }
  Boolean AllowGrayed() const { return FInnerCheckListBox->AllowGrayed(); }
  void SetAllowGrayed(Boolean Value) { FInnerCheckListBox->SetAllowGrayed(Value); }
  Boolean AllowDblClickToggle() const { return FInnerCheckListBox->AllowDblClickToggle(); }
  void SetAllowDblClickToggle(Boolean Value) { FInnerCheckListBox->SetAllowDblClickToggle(Value); }
  TvlEditBorderStyle CheckBorderStyle() const { return FCheckBorderStyle; }
  Boolean NativeStyle() const { return FNativeStyle; }
  const TvlClickCheckEvent& OnClickCheck() const { return FInnerCheckListBox->OnClickCheck(); }
  void SetOnClickCheck(const TvlClickCheckEvent& Value) { FInnerCheckListBox->SetOnClickCheck(Value); }
  const TvlCheckStatesToEditValueEvent& OnCheckStatesToEditValue() const { return FOnCheckStatesToEditValue; }
  void SetOnCheckStatesToEditValue(const TvlCheckStatesToEditValueEvent& Value) { FOnCheckStatesToEditValue = Value; }
  const TvlEditValueToCheckStatesEvent& OnEditValueToCheckStates() const { return FOnEditValueToCheckStates; }
  void SetOnEditValueToCheckStates(const TvlEditValueToCheckStatesEvent& Value) { FOnEditValueToCheckStates = Value; }
  const TNotifyEvent& OnEditValueChanged() const { return FOnEditValueChanged; }
  void SetOnEditValueChanged(const TNotifyEvent& Value) { FOnEditValueChanged = Value; }
  const TvlCheckListBoxDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TvlCheckListBoxDrawItemEvent& Value) { FOnDrawItem = Value; }
  const TvlCheckListBoxMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TvlCheckListBoxMeasureItemEvent& Value) { FOnMeasureItem = Value; }

  virtual TClassOf<TvlCustomDataBinding> GetDataBindingClass();
  virtual TvlCustomInnerCheckListBoxClass GetInnerCheckListBoxClass() {
    return ClassOf<TvlCustomInnerCheckListBox>();
  }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  Boolean IsInternalControl(TControl* AControl) override;
  void LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) override;
  void DataChange() override;
  virtual void DataSetChange() { BoundDataSetChanged(); }
  Boolean IsReadOnly() override;
  void UpdateInnerControlBounds() override;
  void UpdateData() override;
  void DoExit() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void FontChanged() override;
  virtual void DoEditValueChanged();

  TvlCustomDataBinding* FDataBinding{};

 private:
  friend class TvlCheckListBoxItem;
  friend class TvlCheckListBoxItems;
  friend class TvlCustomInnerCheckListBox;

  // The format conversions read: cvfCustom when both events are set.
  TvlCheckStatesValueFormatEx EffectiveFormat() const;
  // Raises the 64-item message when ACount items cannot be held in AFormat.
  void CheckItemCount(Integer ACount, TvlCheckStatesValueFormatEx AFormat);
  void StatesToEditValue();
  void EditValueToStates();
  void ItemsUpdated(TCollectionItem* AItem);
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  void ComputeCheckStyle();
  Boolean IntegralHeightApplies();
  void ImagesChanged(TObject* Sender);
  void DataChangeHandler(TObject*) { DataChange(); }
  void DataSetChangeHandler(TObject*) { DataSetChange(); }
  void UpdateDataHandler(TObject*) { UpdateData(); }

  TvlEditBorderStyle FCheckBorderStyle{};
  Variant FEditValue;
  TvlCheckStatesValueFormat FEditValueFormat{cvfInteger};
  TImeMode FImeMode{};
  String FImeName;
  TCustomImageList* FImages{};
  TChangeLink* FImagesChangeLink{};
  TvlCheckListBoxImageLayout FImageLayout{ilBeforeChecks};
  TvlCustomInnerCheckListBox* FInnerCheckListBox{};
  Boolean FIntegralHeight{};
  Boolean FIsExitProcessing{};
  Boolean FIsModified{};
  TListBoxStyle FListStyle{lbStandard};
  Boolean FLoadedSortedValue{};
  Boolean FNativeStyle{};
  Boolean FShowChecks{true};
  TvlCheckStatesToEditValueEvent FOnCheckStatesToEditValue;
  TvlCheckListBoxDrawItemEvent FOnDrawItem;
  TNotifyEvent FOnEditValueChanged;
  TvlEditValueToCheckStatesEvent FOnEditValueToCheckStates;
  TvlCheckListBoxMeasureItemEvent FOnMeasureItem;
};

class TvlCheckListBox : public TvlCustomCheckListBox {
  CL_CLASS(TvlCheckListBox, TvlCustomCheckListBox)
};
