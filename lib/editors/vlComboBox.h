// The combo box: a drop-down editor whose popup lists the properties'
// Items. The text is typed freely (lsEditList), typed but restricted to the
// items (lsEditFixedList) or only chosen (lsFixedList); typing searches the
// list incrementally; the user's handlers may draw and measure the items;
// with Revertable a double click steps to the next item. OnClick fires only
// when the current item changes, never for plain clicks.
#pragma once

#include "lib/editors/vlDropDownEdit.h"
#include "lib/editors/vlEditListBox.h"
#include "lib/editors/vlFilterEdit.h"

class TvlCustomComboBox;

CL_ENUM(TvlEditDropDownListStyle, Byte, lsEditFixedList, lsEditList, lsFixedList)

using TvlEditDrawItemEvent = TDelegate<void(TvlCustomComboBox* AControl, TvlCanvas* ACanvas, Integer AIndex,
                                           const TRect& ARect, TOwnerDrawState AState)>;
using TvlEditMeasureItemEvent =
    TDelegate<void(TvlCustomComboBox* AControl, Integer AIndex, TvlCanvas* ACanvas, Integer& AHeight)>;

// --- The list and the lookup data ---------------------------------------------------------------------------

class TvlCustomComboBoxListBox : public TvlCustomEditListBox {
  CL_CLASS(TvlCustomComboBoxListBox, TvlCustomEditListBox)
 public:
  void Create(TComponent* AOwner) override;
};

class TvlComboBoxListBox : public TvlCustomComboBoxListBox {
  CL_CLASS(TvlComboBoxListBox, TvlCustomComboBoxListBox)
 public:
  Boolean DrawItemHook(Integer Index, const TRect& Rect, TOwnerDrawState State) override;
  String GetItemText(Integer AIndex) override;
  void AfterInitialize() override;
  // The sum of the heights of the first ARowCount items.
  Integer GetHeight(Integer ARowCount, Integer AMaxHeight) override;
  // ItemHeight when positive, else the text height; a measure handler may change it.
  Integer GetItemHeight(Integer AIndex = -1) override;
  TvlCustomComboBox* ComboBox();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void SetItemIndexValue(Integer Value) override;
};

class TvlComboBoxLookupData : public TvlCustomTextEditLookupData {
  CL_CLASS(TvlComboBoxLookupData, TvlCustomTextEditLookupData)
 public:
  TvlCustomEditListBoxClass ListBoxClass() const override { return ClassOf<TvlComboBoxListBox>(); }
  // Row snapping while the user resizes the popup.
  Boolean CanResizeVisualArea(TSize& NewSize, Integer AMaxHeight, Integer AMaxWidth) override;
  TSize GetVisualAreaPreferredSize(Integer AMaxHeight, Integer AWidth) override;
  TvlComboBoxListBox* ComboList() const;
  // The item whose text the editor shows becomes the current one, none when
  // no item has it (a typed miss in a fixed list keeps the item instead).
  void SetKeyOfText();
};

// --- View data and view info ---------------------------------------------------------------------------------

// ItemIndex: the item the closed fixed list draws by OnDrawItem in its text
// area (-1 for none: the text is drawn as usual).
class TvlCustomComboBoxViewInfo : public TvlCustomTextEditViewInfo {
  CL_CLASS(TvlCustomComboBoxViewInfo, TvlCustomTextEditViewInfo)
 public:
  void Assign(TObject* Source) override;
  void DoPaint(TvlCanvas* ACanvas) override;

  Integer ItemIndex{-1};

 private:
  void DrawOwnerItem(TvlCanvas* ACanvas, const TRect& ARect);
};

class TvlCustomComboBoxViewData : public TvlCustomDropDownEditViewData {
  CL_CLASS(TvlCustomComboBoxViewData, TvlCustomDropDownEditViewData)
 public:
  void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                 TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) override;
  void EditValueToDrawValue(TvlCanvas* ACanvas, const Variant& AEditValue, TvlCustomEditViewInfo* AViewInfo) override;
  Boolean UsesNativeComboLook() override { return true; }

 private:
  // Sets the owner-drawn item of a fixed list with a draw handler.
  void SetOwnerDrawnItem(TvlCustomComboBoxViewInfo* AViewInfo, Integer AIndex);
};

class TvlComboBoxPopupWindow : public TvlCustomEditPopupWindow {
  CL_CLASS(TvlComboBoxPopupWindow, TvlCustomEditPopupWindow)
 public:
  void CalculateSize() override;
};

// --- Properties ----------------------------------------------------------------------------------------------

class TvlCustomComboBoxProperties : public TvlCustomDropDownEditProperties {
  CL_CLASS(TvlCustomComboBoxProperties, TvlCustomDropDownEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Assign(TPersistent* Source) override;
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditViewDataClass EditViewDataClass() const override { return ClassOf<TvlCustomComboBoxViewData>(); }
  TvlCustomEditViewInfoClass GetViewInfoClass() const override { return ClassOf<TvlCustomComboBoxViewInfo>(); }
  TvlCustomEditPopupWindowClass GetPopupWindowClass() const override { return ClassOf<TvlComboBoxPopupWindow>(); }
  TvlCustomTextEditLookupDataClass LookupDataClass() const override { return ClassOf<TvlComboBoxLookupData>(); }
  Integer GetLookupPageSize() override { return FDropDownRows; }
  TvlEditEditingStyle GetTextEditingStyle() override;
  Boolean UsesLookupData() override { return true; }
  Boolean DropDownOnClick() override { return FDropDownListStyle == lsFixedList; }

  TStrings* Items() const { return LookupItems(); }
  void SetItems(TStrings* Value) { SetLookupItems(Value); }
  Boolean Sorted() const { return LookupItemsSorted(); }
  void SetSorted(Boolean Value) { SetLookupItemsSorted(Value); }
  TvlEditDropDownListStyle DropDownListStyle() const { return FDropDownListStyle; }
  void SetDropDownListStyle(TvlEditDropDownListStyle Value);
  Integer DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(Integer Value);
  Boolean DropDownAutoWidth() const { return PopupAutoSize(); }
  void SetDropDownAutoWidth(Boolean Value) { SetPopupAutoSize(Value); }
  Boolean DropDownSizeable() const { return PopupSizeable(); }
  void SetDropDownSizeable(Boolean Value) { SetPopupSizeable(Value); }
  Integer DropDownWidth() const { return PopupWidth(); }
  void SetDropDownWidth(Integer Value) { SetPopupWidth(Value); }
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  Boolean Revertable() const { return FRevertable; }
  void SetRevertable(Boolean Value) { FRevertable = Value; }
  const TvlEditDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TvlEditDrawItemEvent& Value) { FOnDrawItem = Value; }
  const TvlEditMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TvlEditMeasureItemEvent& Value) { FOnMeasureItem = Value; }

 private:
  TvlEditDropDownListStyle FDropDownListStyle{};
  Integer FDropDownRows{};
  Integer FItemHeight{};
  Boolean FRevertable{};
  TvlEditDrawItemEvent FOnDrawItem;
  TvlEditMeasureItemEvent FOnMeasureItem;
};

class TvlComboBoxProperties : public TvlCustomComboBoxProperties {
  CL_CLASS(TvlComboBoxProperties, TvlCustomComboBoxProperties)
};

// --- The editor ----------------------------------------------------------------------------------------------

class TvlCustomComboBox : public TvlCustomDropDownEdit {
  CL_CLASS(TvlCustomComboBox, TvlCustomDropDownEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomComboBoxProperties>();
  }
  void Activate(TvlCustomEditData*& AEditData) override;
  void WndProc(TMessage& Message) override;
  Boolean CanDropDown() override;
  void GetPopupContentPreferredSize(TSize& ASize) override;
  void SetupPopupWindow() override;
  void InitializePopupWindow() override;

  TvlCustomComboBoxProperties* ActiveProperties() {
    return static_cast<TvlCustomComboBoxProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomComboBoxProperties* Properties() const {
    return static_cast<TvlCustomComboBoxProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomComboBoxProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  // The item highlighted in the open list, -1 without a list.
  Integer SelectedItem();
  void SetSelectedItem(Integer Value);
  TvlComboBoxLookupData* ComboLookupData() const { return static_cast<TvlComboBoxLookupData*>(LookupData()); }
  // Fires OnDrawItem / OnMeasureItem on the own and the repository item's properties.
  Boolean HasDrawItemHandler();
  Boolean HasMeasureItemHandler();
  void DoDrawItem(TvlCanvas* ACanvas, Integer AIndex, const TRect& ARect, TOwnerDrawState AState);
  void DoMeasureItem(Integer AIndex, TvlCanvas* ACanvas, Integer& AHeight);
  void SetPopupMouseMoveLocked(Boolean Value) { FPopupMouseMoveLocked = Value; }
  Boolean PopupMouseMoveLocked() const { return FPopupMouseMoveLocked; }

 protected:
  TClass InnerControlClass() const override;
  void HandleInnerEditChange(TObject* Sender) override;
  void DblClick() override;
  void RevertValue() override;
  // Only a freely typed list is spelled.
  Boolean SupportsSpelling() override;
  void PopupWindowShowed(TObject* Sender) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  // The size kept for the next opening is forgotten.
  void ResetPopupHeight();

 private:
  TvlCustomComboBoxProperties* RepositoryComboProperties();
};

class TvlComboBox : public TvlCustomComboBox {
  CL_CLASS(TvlComboBox, TvlCustomComboBox)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlComboBoxProperties>(); }
  TvlComboBoxProperties* Properties() const {
    return static_cast<TvlComboBoxProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlComboBoxProperties* Value) { TvlCustomEdit::SetProperties(Value); }
};

class TvlFilterComboBoxHelper : public TvlFilterDropDownEditHelper {
  CL_CLASS(TvlFilterComboBoxHelper, TvlFilterDropDownEditHelper)
 public:
  TvlCustomEditClass GetFilterEditClass() const override;
  void InitializeProperties(TvlCustomEditProperties* AProperties, TvlCustomEditProperties* AEditProperties,
                            Boolean AHasButtons) const override;
};
