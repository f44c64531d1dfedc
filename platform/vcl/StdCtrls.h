// StdCtrls: the standard controls. TCustomEdit/TEdit and TCustomMemo/TMemo
// over the window system's "EDIT" class, TCustomListBox/TListBox over
// "LISTBOX", TCustomComboBox/TComboBox (a control of our own with a popup
// list box, as the window system has no combo box), TButton, TCheckBox and
// TRadioButton over "BUTTON", TCustomLabel/TLabel (a graphic control) and
// TGroupBox (a custom control painting its frame).
//
// The text, items and states that live in a window are kept in the control
// while it has none (before its window is made, and while it is recreated),
// so properties work on a control without a parent and survive RecreateWnd.
#pragma once

#include <vector>

#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

class TStrings;
class TStringList;
class TCustomListBox;
class TCustomMemo;
class TComboPopupList;

// The border of an edit, list box or panel (the form's bsNone and bsSingle).
using TBorderStyle = TFormBorderStyle;

CL_ENUM(TEditCharCase, Byte, ecNormal, ecUpperCase, ecLowerCase)
CL_ENUM(TScrollStyle, Byte, ssNone, ssHorizontal, ssVertical, ssBoth)
// Scroll bars: their kind, the scroll codes of their notifications, and the
// line and page steps (1..32767).
CL_ENUM(TScrollBarKind, Byte, sbHorizontal, sbVertical)
CL_ENUM(TScrollCode, Byte, scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom,
        scEndScroll)
using TScrollBarInc = SmallInt;
using TScrollEvent = TDelegate<void(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos)>;
CL_EVENT_TYPEINFO(TScrollEvent)
CL_ENUM(TListBoxStyle, Byte, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw)
CL_ENUM(TComboBoxStyle, Byte, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)
CL_ENUM(TCheckBoxState, Byte, cbUnchecked, cbChecked, cbGrayed)
CL_ENUM(TTextLayout, Byte, tlTop, tlCenter, tlBottom)
CL_ENUM(TEllipsisPosition, Byte, epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis)

using TDrawItemEvent = TDelegate<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TDelegate<void(TWinControl* Control, Integer Index, Integer& Height)>;
using TLBGetDataEvent = TDelegate<void(TWinControl* Control, Integer Index, String& Data)>;
using TLBGetDataObjectEvent = TDelegate<void(TWinControl* Control, Integer Index, TObject*& DataObject)>;
using TLBFindDataEvent = TDelegate<Integer(TWinControl* Control, String FindString)>;
CL_EVENT_TYPEINFO(TDrawItemEvent)
CL_EVENT_TYPEINFO(TMeasureItemEvent)
CL_EVENT_TYPEINFO(TLBGetDataEvent)
CL_EVENT_TYPEINFO(TLBGetDataObjectEvent)
CL_EVENT_TYPEINFO(TLBFindDataEvent)

// --- Edit ------------------------------------------------------------------------

class TCustomEdit : public TWinControl {
  CL_CLASS(TCustomEdit, TWinControl)
 public:
  void Create(TComponent* AOwner) override;
  void Dispatch(TMessage& Message) override;

  void Clear();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  void ClearUndo();
  Boolean CanUndo();
  void SelectAll();
  Integer GetSelTextBuf(Char* Buffer, Integer BufSize);
  void SetSelTextBuf(const Char* Buffer);

  Boolean AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(Boolean Value) { FAutoSelect = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  Boolean HideSelection() const { return FHideSelection; }
  void SetHideSelection(Boolean Value);
  Integer MaxLength() const { return FMaxLength; }
  void SetMaxLength(Integer Value);
  Boolean Modified();
  void SetModified(Boolean Value);
  Boolean OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(Boolean Value);
  Char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(Char Value);
  Boolean ReadOnly() const { return FReadOnly; }
  void SetReadOnly(Boolean Value);
  const String& TextHint() const { return FTextHint; }
  void SetTextHint(const String& Value);
  // The alignment of the text in the window (ES_LEFT, ES_RIGHT, ES_CENTER).
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  Integer SelStart() { return GetSelStart(); }
  void SetSelStart(Integer Value) { SetSelStartValue(Value); }
  Integer SelLength() { return GetSelLength(); }
  void SetSelLength(Integer Value) { SetSelLengthValue(Value); }
  String SelText() { return GetSelText(); }
  void SetSelText(const String& Value) { SetSelTextValue(Value); }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  // The edit measures its height from the font when AutoSize holds.
  void SetAutoSize(Boolean Value) override;

 protected:
  virtual void Change();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void DoSetMaxLength(Integer Value);
  virtual Integer GetSelStart();
  virtual void SetSelStartValue(Integer Value);
  virtual Integer GetSelLength();
  virtual void SetSelLengthValue(Integer Value);
  virtual String GetSelText();
  virtual void SetSelTextValue(const String& Value);
  void AdjustHeight();
  // Whether the window takes several lines (the memo).
  virtual Boolean MultiLine() const { return false; }

  void CMEnter(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void CNCommand(TMessage& Message);
  void WMSetFont(TMessage& Message);
  void WMPaint(TMessage& Message);

  Boolean FCreating{};

 private:
  void DrawTextHint();

  Integer FMaxLength{};
  TBorderStyle FBorderStyle{};
  Char FPasswordChar{};
  Boolean FReadOnly{};
  Boolean FAutoSelect{};
  Boolean FHideSelection{};
  Boolean FOEMConvert{};
  TEditCharCase FCharCase{};
  TAlignment FAlignment{};
  Boolean FModified{};
  String FTextHint;
  TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
  CL_CLASS(TEdit, TCustomEdit)
};

// --- Memo ------------------------------------------------------------------------

class TCustomMemo : public TCustomEdit {
  CL_CLASS(TCustomMemo, TCustomEdit)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Dispatch(TMessage& Message) override;

  // The lines of the window (with word wrap on, the lines as shown).
  TStrings* Lines() const { return FLines; }
  void SetLines(TStrings* Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  Boolean WantReturns() const { return FWantReturns; }
  void SetWantReturns(Boolean Value) { FWantReturns = Value; }
  Boolean WantTabs() const { return FWantTabs; }
  void SetWantTabs(Boolean Value) { FWantTabs = Value; }
  Boolean WordWrap() const { return FWordWrap; }
  void SetWordWrap(Boolean Value);
  // The caret as (column, line).
  TPoint CaretPos();
  void SetCaretPos(const TPoint& Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(Char& Key) override;
  Boolean MultiLine() const override { return true; }
  void WMGetDlgCode(TMessage& Message);

 private:
  TStrings* FLines{};
  TScrollStyle FScrollBars{};
  Boolean FWantReturns{};
  Boolean FWantTabs{};
  Boolean FWordWrap{};
};

class TMemo : public TCustomMemo {
  CL_CLASS(TMemo, TCustomMemo)
};

// --- List box -------------------------------------------------------------------

class TCustomListBox : public TWinControl {
  CL_CLASS(TCustomListBox, TWinControl)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Dispatch(TMessage& Message) override;

  void Clear();
  void ClearSelection();
  void SelectAll();
  void DeleteSelected();
  void AddItem(const String& Item, TObject* AObject);
  void CopySelection(TCustomListBox* Destination);
  void MoveSelection(TCustomListBox* Destination);
  // The item under a client point; -1 outside the items when Existing,
  // otherwise the count for a point below the last item (-1 outside the
  // client area).
  Integer ItemAtPos(const TPoint& Pos, Boolean Existing);
  // The item's rectangle; the one after the last item lies below it.
  TRect ItemRect(Integer Index);

  TCanvas* Canvas() const { return FCanvas; }
  TStrings* Items() const { return FItems; }
  void SetItems(TStrings* Value);
  Integer ItemIndex() { return GetItemIndex(); }
  void SetItemIndex(Integer Value) { SetItemIndexValue(Value); }
  Integer Count();
  void SetCount(Integer Value);
  Integer SelCount();
  Boolean Selected(Integer Index);
  void SetSelected(Integer Index, Boolean Value);
  Integer TopIndex();
  void SetTopIndex(Integer Value);
  Integer ItemHeight();
  virtual void SetItemHeight(Integer Value);
  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value);
  Boolean MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(Boolean Value);
  Boolean ExtendedSelect() const { return FExtendedSelect; }
  void SetExtendedSelect(Boolean Value);
  Boolean Sorted() const { return FSorted; }
  void SetSorted(Boolean Value);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  Boolean IntegralHeight() const { return FIntegralHeight; }
  void SetIntegralHeight(Boolean Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  Boolean AutoComplete() const { return FAutoComplete; }
  void SetAutoComplete(Boolean Value) { FAutoComplete = Value; }
  Cardinal AutoCompleteDelay() const { return FAutoCompleteDelay; }
  void SetAutoCompleteDelay(Cardinal Value) { FAutoCompleteDelay = Value; }
  Integer ScrollWidth();
  void SetScrollWidth(Integer Value);
  Integer TabWidth() const { return FTabWidth; }
  void SetTabWidth(Integer Value);

  const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TDrawItemEvent& Value) { FOnDrawItem = Value; }
  const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TMeasureItemEvent& Value) { FOnMeasureItem = Value; }
  const TLBGetDataEvent& OnData() const { return FOnData; }
  void SetOnData(const TLBGetDataEvent& Value) { FOnData = Value; }
  const TLBGetDataObjectEvent& OnDataObject() const { return FOnDataObject; }
  void SetOnDataObject(const TLBGetDataObjectEvent& Value) { FOnDataObject = Value; }
  const TLBFindDataEvent& OnDataFind() const { return FOnDataFind; }
  void SetOnDataFind(const TLBFindDataEvent& Value) { FOnDataFind = Value; }

 protected:
  friend class TListBoxStrings;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  virtual String DoGetData(Integer Index);
  virtual TObject* DoGetDataObject(Integer Index);
  virtual Integer DoFindData(const String& Data);
  virtual Integer GetItemIndex();
  virtual void SetItemIndexValue(Integer Value);
  void KeyPress(Char& Key) override;
  void ResetContent();
  void DeleteString(Integer Index);
  Boolean IsVirtual() const { return FStyle == lbVirtual || FStyle == lbVirtualOwnerDraw; }

  void CNCommand(TMessage& Message);
  void CNDrawItem(TMessage& Message);
  void CNMeasureItem(TMessage& Message);
  void WMSize(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);

 private:
  void SetColumnWidth();
  void CheckIndex(Integer Index);

  TStrings* FItems{};
  TStringList* FSaveItems{};  // the items while there is no window
  std::vector<Integer> FSaveSelected;
  Integer FSaveItemIndex{};
  Integer FSaveTopIndex{};
  Integer FCount{};  // virtual styles
  TControlCanvas* FCanvas{};
  TListBoxStyle FStyle{};
  Integer FItemHeight{};
  Integer FColumns{};
  Integer FScrollWidth{};
  Integer FTabWidth{};
  TBorderStyle FBorderStyle{};
  Boolean FMultiSelect{};
  Boolean FExtendedSelect{};
  Boolean FSorted{};
  Boolean FIntegralHeight{};
  Boolean FAutoComplete{};
  Cardinal FAutoCompleteDelay{};
  String FFilter;
  Cardinal FLastTime{};
  TDrawItemEvent FOnDrawItem;
  TMeasureItemEvent FOnMeasureItem;
  TLBGetDataEvent FOnData;
  TLBGetDataObjectEvent FOnDataObject;
  TLBFindDataEvent FOnDataFind;
};

class TListBox : public TCustomListBox {
  CL_CLASS(TListBox, TCustomListBox)
};

// --- Combo box ------------------------------------------------------------------

// A drop-down list: a frame showing the chosen item with a button, and a
// popup list box shown below it while dropped down. Every style behaves as
// csDropDownList (no text of its own is typed).
class TCustomComboBox : public TWinControl {
  CL_CLASS(TCustomComboBox, TWinControl)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Dispatch(TMessage& Message) override;

  void Clear();
  void AddItem(const String& Item, TObject* AObject);
  TStrings* Items() const;
  void SetItems(TStrings* Value);
  Integer ItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer Value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value) { FStyle = Value; }
  Integer DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(Integer Value) { FDropDownCount = Value; }
  Integer ItemHeight() const { return FItemHeight; }
  void SetItemHeight(Integer Value);
  Boolean Sorted() const { return FSorted; }
  void SetSorted(Boolean Value);
  Boolean DroppedDown() const { return FDropped; }
  void SetDroppedDown(Boolean Value);
  // The popup list while dropped down (nil otherwise).
  TCustomListBox* ListBox() const;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TNotifyEvent& OnSelect() const { return FOnSelect; }
  void SetOnSelect(const TNotifyEvent& Value) { FOnSelect = Value; }
  const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
  void SetOnDropDown(const TNotifyEvent& Value) { FOnDropDown = Value; }
  const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(const TNotifyEvent& Value) { FOnCloseUp = Value; }

 protected:
  friend class TComboPopupList;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  // The user chose an item (the list, or keys): Click, OnSelect, OnChange.
  void UserSelect(Integer Index);
  void CreateParams(TCreateParams& Params) override;
  void DestroyWnd() override;
  const TCaption& GetText() override;
  void SetText(const TCaption& Value) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Paint(TCanvas* Canvas);
  void ItemsChanged(TObject* Sender);
  void Loaded() override;

  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMGetDlgCode(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void CMCancelMode(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);

 private:
  TStringList* FItems{};
  TComboPopupList* FList{};
  TCaption FItemText;
  Integer FItemIndex{};
  Integer FLoadedItemIndex{};  // read before the items
  Integer FDropDownCount{};
  Integer FItemHeight{};
  TComboBoxStyle FStyle{};
  Boolean FSorted{};
  Boolean FDropped{};
  TNotifyEvent FOnChange;
  TNotifyEvent FOnSelect;
  TNotifyEvent FOnDropDown;
  TNotifyEvent FOnCloseUp;
};

class TComboBox : public TCustomComboBox {
  CL_CLASS(TComboBox, TCustomComboBox)
};

// --- Buttons ---------------------------------------------------------------------

class TButtonControl : public TWinControl {
  CL_CLASS(TButtonControl, TWinControl)
 public:
  void Create(TComponent* AOwner) override;
  void Dispatch(TMessage& Message) override;
  Boolean Checked() { return GetChecked(); }
  void SetCheckedProp(Boolean Value) { SetChecked(Value); }
  Boolean WordWrap() const { return FWordWrap; }
  void SetWordWrap(Boolean Value);

 protected:
  virtual Boolean GetChecked() { return false; }
  virtual void SetChecked(Boolean Value) {}
  void CreateParams(TCreateParams& Params) override;
  // Set while a state is changed by code, so that Click does not fire.
  Boolean ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(Boolean Value) { FClicksDisabled = Value; }
  void CNCtlColorStatic(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);

 private:
  Boolean FClicksDisabled{};
  Boolean FWordWrap{};

  friend class TButtonActionLink;
};

// The link of a button to its action: Checked follows the action's while
// they agree.
class TButtonActionLink : public TControlActionLink {
  CL_CLASS(TButtonActionLink, TControlActionLink)
 public:
  Boolean IsCheckedLinked() override;
  void SetChecked(Boolean Value) override;
};

// A push button: clicks end a modal form with ModalResult; the Default
// button clicks on Enter and the Cancel button on Escape.
class TCustomButton : public TButtonControl {
  CL_CLASS(TCustomButton, TButtonControl)
 public:
  void Create(TComponent* AOwner) override;
  void Dispatch(TMessage& Message) override;
  void Click() override;
  Boolean Cancel() const { return FCancel; }
  void SetCancel(Boolean Value) { FCancel = Value; }
  Boolean Default() const { return FDefault; }
  void SetDefault(Boolean Value);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // The default highlight (BS_DEFPUSHBUTTON) of the window.
  virtual void SetButtonStyle(Boolean ADefault);
  // Whether the button shows the default highlight now.
  Boolean Active() const { return FActive; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  TControlActionLinkClass GetActionLinkClass() override;
  void CMDialogKey(TMessage& Message);
  void CMDialogChar(TMessage& Message);
  void CMFocusChanged(TMessage& Message);
  void CNCommand(TMessage& Message);

 private:
  Boolean FDefault{};
  Boolean FCancel{};
  Boolean FActive{};
  TModalResult FModalResult{};
};

class TButton : public TCustomButton {
  CL_CLASS(TButton, TCustomButton)
};

class TCustomCheckBox : public TButtonControl {
  CL_CLASS(TCustomCheckBox, TButtonControl)
 public:
  void Create(TComponent* AOwner) override;
  void Dispatch(TMessage& Message) override;
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  Boolean AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(Boolean Value) { FAllowGrayed = Value; }
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);

 protected:
  virtual void Toggle();
  void Click() override;
  Boolean GetChecked() override { return FState == cbChecked; }
  void SetChecked(Boolean Value) override { SetState(Value ? cbChecked : cbUnchecked); }
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void CMDialogChar(TMessage& Message);
  void CNCommand(TMessage& Message);

 private:
  TAlignment FAlignment{};
  Boolean FAllowGrayed{};
  TCheckBoxState FState{};
};

class TCheckBox : public TCustomCheckBox {
  CL_CLASS(TCheckBox, TCustomCheckBox)
};

class TRadioButton : public TButtonControl {
  CL_CLASS(TRadioButton, TButtonControl)
 public:
  void Create(TComponent* AOwner) override;
  void Dispatch(TMessage& Message) override;
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

 protected:
  Boolean GetChecked() override { return FChecked; }
  void SetChecked(Boolean Value) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void CMDialogChar(TMessage& Message);
  void CNCommand(TMessage& Message);

 private:
  TAlignment FAlignment{};
  Boolean FChecked{};
};

// --- Label ------------------------------------------------------------------------

class TCustomLabel : public TGraphicControl {
  CL_CLASS(TCustomLabel, TGraphicControl)
 public:
  void Create(TComponent* AOwner) override;
  void Dispatch(TMessage& Message) override;

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TEllipsisPosition EllipsisPosition() const { return FEllipsisPosition; }
  void SetEllipsisPosition(TEllipsisPosition Value);
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout Value);
  Boolean ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(Boolean Value);
  Boolean Transparent() const { return !ControlStyle().Contains(csOpaque); }
  void SetTransparent(Boolean Value);
  Boolean WordWrap() const { return FWordWrap; }
  void SetWordWrap(Boolean Value);
  void SetAutoSize(Boolean Value) override;

 protected:
  virtual void AdjustBounds();
  // Draws (or with DT_CALCRECT measures) the caption in Rect.
  virtual void DoDrawText(TRect& Rect, LongInt Flags);
  virtual String GetLabelText();
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  void CMTextChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMDialogChar(TMessage& Message);

 private:
  TWinControl* FFocusControl{};
  TAlignment FAlignment{};
  TTextLayout FLayout{};
  TEllipsisPosition FEllipsisPosition{};
  Boolean FShowAccelChar{};
  Boolean FWordWrap{};
};

class TLabel : public TCustomLabel {
  CL_CLASS(TLabel, TCustomLabel)
};

// --- Group box ------------------------------------------------------------------

class TCustomGroupBox : public TCustomControl {
  CL_CLASS(TCustomGroupBox, TCustomControl)
 public:
  void Create(TComponent* AOwner) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void AdjustClientRect(TRect& Rect) override;
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void CMDialogChar(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void CMCtl3DChanged(TMessage& Message);
  void WMSize(TMessage& Message);
};

class TGroupBox : public TCustomGroupBox {
  CL_CLASS(TGroupBox, TCustomGroupBox)
};

// Registers the classes for form streaming (the unit's start-up step).
void RegisterStdCtrlsClasses();
