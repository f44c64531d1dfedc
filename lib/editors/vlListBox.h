// The list box: the platform's list box hosted in a container, which gives
// it the library's border, styles and scroll bars, binds the selected item's
// text to a data value (read-only through the binding) and can keep its
// height to whole items.
#pragma once

#include "lib/lookandfeel/vlInnerListBox.h"

class TvlCustomDataBinding;
class TvlListBox;
class TBasicAction;

using TvlListBoxDrawItemEvent = TDelegate<void(TvlListBox* AControl, TvlCanvas* ACanvas, Integer AIndex,
                                               const TRect& ARect, TOwnerDrawState AState)>;
using TvlListBoxMeasureItemEvent = TDelegate<void(TvlListBox* AControl, Integer AIndex, Integer& Height)>;
CL_EVENT_TYPEINFO(TvlListBoxDrawItemEvent)
CL_EVENT_TYPEINFO(TvlListBoxMeasureItemEvent)

// The list box inside TvlListBox.
class TvlInnerListBox : public TvlCustomInnerListBox {
  CL_CLASS(TvlInnerListBox, TvlCustomInnerListBox)
 public:
  Boolean CanFocus() override;
  Boolean ExecuteAction(TBasicAction* Action) override;
  Boolean UpdateAction(TBasicAction* Action) override;
  void WndProc(TMessage& Message) override;
  // The measure step of an owner-drawn variable list (the integral height asks it).
  void MeasureItemHeight(Integer Index, Integer& Height) { MeasureItem(Index, Height); }

 protected:
  void Click() override;
  void CreateWnd() override;
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;

 private:
  TvlListBox* ListBox() const;
};
using TvlInnerListBoxClass = TClassOf<TvlInnerListBox>;

class TvlListBox : public TvlContainer {
  CL_CLASS(TvlListBox, TvlContainer)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  Boolean ExecuteAction(TBasicAction* Action) override;
  Boolean UpdateAction(TBasicAction* Action) override;
  Boolean CanResize(Integer& NewWidth, Integer& NewHeight) override;
  void Dispatch(TMessage& Message) override;

  void AddItem(const String& Item, TObject* AObject) { FInnerListBox->AddItem(Item, AObject); }
  void Clear() { FInnerListBox->Clear(); }
  void ClearSelection() { FInnerListBox->ClearSelection(); }
  void DeleteSelected() { FInnerListBox->DeleteSelected(); }
  void SelectAll() { FInnerListBox->SelectAll(); }
  void CopySelection(TCustomListBox* Destination) { FInnerListBox->CopySelection(Destination); }
  void MoveSelection(TCustomListBox* Destination) { FInnerListBox->MoveSelection(Destination); }
  Boolean ItemVisible(Integer Index) { return FInnerListBox->ItemVisible(Index); }
  // In the container's coordinates.
  Integer ItemAtPos(const TPoint& APos, Boolean AExisting);
  TRect ItemRect(Integer Index);

  TvlInnerListBox* InnerListBox() const { return FInnerListBox; }
  TvlCustomDataBinding* DataBinding() const { return FDataBinding; }
  Boolean AutoComplete() const { return FInnerListBox->AutoComplete(); }
  void SetAutoComplete(Boolean Value) { FInnerListBox->SetAutoComplete(Value); }
  Cardinal AutoCompleteDelay() const { return FInnerListBox->AutoCompleteDelay(); }
  void SetAutoCompleteDelay(Cardinal Value) { FInnerListBox->SetAutoCompleteDelay(Value); }
  Integer Columns() const { return FInnerListBox->Columns(); }
  void SetColumns(Integer Value);
  Integer Count() { return FInnerListBox->Count(); }
  void SetCount(Integer Value) { FInnerListBox->SetCount(Value); }
  Boolean ExtendedSelect() const { return FInnerListBox->ExtendedSelect(); }
  // Kept for the form file; this platform has no input method editor.
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value) { FImeMode = Value; }
  const String& ImeName() const { return FImeName; }
  void SetImeName(const String& Value) { FImeName = Value; }
  void SetExtendedSelect(Boolean Value) { FInnerListBox->SetExtendedSelect(Value); }
  Boolean IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(Boolean Value);
  Integer ItemHeight() { return FInnerListBox->ItemHeight(); }
  void SetItemHeight(Integer Value) { FInnerListBox->SetItemHeight(Value); }
  Integer ItemIndex() { return FInnerListBox->ItemIndex(); }
  void SetItemIndex(Integer Value) { FInnerListBox->SetItemIndex(Value); }
  // The selected item's object (nil without a selection); setting it selects
  // the first item holding the object.
  TObject* ItemObject();
  void SetItemObject(TObject* Value);
  TStrings* Items() const { return FInnerListBox->Items(); }
  void SetItems(TStrings* Value);
  TListBoxStyle ListStyle() const { return FInnerListBox->Style(); }
  void SetListStyle(TListBoxStyle Value) { FInnerListBox->SetStyle(Value); }
  Boolean MultiSelect() const { return FInnerListBox->MultiSelect(); }
  void SetMultiSelect(Boolean Value) { FInnerListBox->SetMultiSelect(Value); }
  Boolean ReadOnly();
  void SetReadOnly(Boolean Value);
  Integer ScrollWidth() { return FInnerListBox->ScrollWidth(); }
  void SetScrollWidth(Integer Value) { FInnerListBox->SetScrollWidth(Value); }
  Integer SelCount() { return FInnerListBox->SelCount(); }
  Boolean Sorted() const { return FInnerListBox->Sorted(); }
  void SetSorted(Boolean Value) { FInnerListBox->SetSorted(Value); }
  Integer TabWidth() const { return FInnerListBox->TabWidth(); }
  void SetTabWidth(Integer Value) { FInnerListBox->SetTabWidth(Value); }
  Integer TopIndex() { return FInnerListBox->TopIndex(); }
  void SetStyleDisabled(TvlContainerStyle* Value) { StyleDisabled()->Assign(Value); }
  void SetStyleFocused(TvlContainerStyle* Value) { StyleFocused()->Assign(Value); }
  void SetStyleHot(TvlContainerStyle* Value) { StyleHot()->Assign(Value); }
  void SetTopIndex(Integer Value) { FInnerListBox->SetTopIndex(Value); }
  const TvlListBoxDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TvlListBoxDrawItemEvent& Value) { FOnDrawItem = Value; }
  const TvlListBoxMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TvlListBoxMeasureItemEvent& Value);
  const TLBGetDataEvent& OnData() const { return FInnerListBox->OnData(); }
  void SetOnData(const TLBGetDataEvent& Value) { FInnerListBox->SetOnData(Value); }
  const TLBFindDataEvent& OnDataFind() const { return FInnerListBox->OnDataFind(); }
  void SetOnDataFind(const TLBFindDataEvent& Value) { FInnerListBox->SetOnDataFind(Value); }
  const TLBGetDataObjectEvent& OnDataObject() const { return FInnerListBox->OnDataObject(); }
  void SetOnDataObject(const TLBGetDataObjectEvent& Value) { FInnerListBox->SetOnDataObject(Value); }

  // The height of whole items nearest below AHeight (never below one item),
  // with borders and the horizontal bar when it shows.
  Integer IntegralHeightFor(Integer AHeight);

  // Fires OnDrawItem; False when it is not assigned.
  virtual Boolean DrawListItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState);
  virtual TClassOf<TvlCustomDataBinding> GetDataBindingClass();
  virtual TvlInnerListBoxClass GetInnerListBoxClass() { return ClassOf<TvlInnerListBox>(); }

 protected:
  void DataChange() override;
  virtual void DataSetChange() { BoundDataSetChanged(); }
  void UpdateData() override;
  Boolean IsReadOnly() override;
  void UpdateInnerControlBounds() override;
  void FontChanged() override;
  void DoExit() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  Boolean IsInternalControl(TControl* AControl) override;

 private:
  Boolean IntegralHeightApplies();
  Integer ItemHeightOf(Integer AIndex);
  void DataChangeHandler(TObject*) { DataChange(); }
  void DataSetChangeHandler(TObject*) { DataSetChange(); }
  void UpdateDataHandler(TObject*) { UpdateData(); }
  void MeasureItemForwarder(TWinControl* Control, Integer Index, Integer& Height);

  TvlCustomDataBinding* FDataBinding{};
  TvlInnerListBox* FInnerListBox{};
  Boolean FIntegralHeight{};
  Boolean FIsExitProcessing{};
  TImeMode FImeMode{};
  String FImeName;
  TvlListBoxDrawItemEvent FOnDrawItem;
  TvlListBoxMeasureItemEvent FOnMeasureItem;

  friend class TvlInnerListBox;
};

// The navigation keys a read-only binding refuses: Page Up to Down arrow (33..40).
inline Boolean vlIsListNavigationKey(Word AKey) { return AKey >= 33 && AKey <= 40; }
