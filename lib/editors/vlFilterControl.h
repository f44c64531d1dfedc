// The visual filter builder. A component offers its items and filter
// criteria through IvlFilterControl; the builder copies those criteria into
// its own (TvlFilterControlCriteria), shows them as a tree of rows (groups
// joined by AND, OR, NOT AND, NOT OR and conditions of item, operator and
// values), writes the rows back and applies them to the component, and
// saves and loads them as filter files (the criteria stream as it stands).
//
// vlFilterControl.cpp: criteria, rows, criteria to rows and back, applying,
// files. vlFilterControlView.cpp: fonts, layout, painting, scrolling, hit
// tests. vlFilterControlCtrl.cpp: the control, its parts and input.
#pragma once

#include <vector>

#include "lib/data/vlFilter.h"
#include "lib/editors/vlFilterEdit.h"
#include "lib/lookandfeel/vlControls.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/classes/Interfaces.h"

class TFont;
class TStream;
class TStrings;
class TPopupMenu;
class TvlCanvas;
class TvlComboBox;
class TvlCustomEditData;
class TvlCustomEditProperties;
class TvlCustomEditStyle;
class TvlCustomEditViewInfo;
class TvlCustomFilterControl;
class TvlGroupViewInfo;
class TvlConditionViewInfo;
class TvlInplaceEditList;
class TvlTextEditProperties;
class TBitmap;

// What a component whose filter the builder edits offers; indexes run from
// 0 to ItemCount() - 1.
class IvlFilterControl : public virtual IInterface {
  CL_INTERFACE(IvlFilterControl, "{B9890E09-5400-428D-8F72-1FF8FD15937C}")
 public:
  virtual void ItemCaption(Integer AIndex, String& ACaption) = 0;
  virtual Integer ItemCount() = 0;
  virtual TvlFilterCriteria* FilterCriteria() = 0;  // may be nil
  virtual TObject* ItemLink(Integer AIndex) = 0;
  virtual Integer ItemLinkID(Integer AIndex) = 0;
  virtual void ItemLinkName(Integer AIndex, String& AName) = 0;
  virtual void ItemFieldName(Integer AIndex, String& AName) = 0;
  virtual TvlCustomEditProperties* ItemProperties(Integer AIndex) = 0;  // may be nil
  virtual TvlValueTypeClass ItemValueType(Integer AIndex) = 0;
};

class IvlLinkableFilterControl : public virtual IInterface {
  CL_INTERFACE(IvlLinkableFilterControl, "{D2369F8D-3B22-41A8-881E-B01BEB624B7D}")
 public:
  virtual void LinkTo(TComponent* AComponent) = 0;
};

// --- Criteria ------------------------------------------------------------------------------------

// Resolves item links through the control's linked filter; finds nothing
// without one.
class TvlFilterControlCriteria : public TvlFilterCriteria {
  CL_CLASS(TvlFilterControlCriteria, TvlFilterCriteria)
 public:
  virtual void Create(TvlCustomFilterControl* AControl);
  Integer ItemLinkToID(TObject* AItemLink) override;
  String ItemLinkToName(TObject* AItemLink) override;
  TvlFilterCriteriaItemClass CriteriaItemClass() override;
  TObject* IDToItemLink(Integer AID) override;
  TObject* NameToItemLink(const String& AName) override;
  void AssignEvents(TPersistent* Source) override {}

  TvlCustomFilterControl* Control() const { return FControl; }

 private:
  using TvlFilterCriteria::Create;
  TvlCustomFilterControl* FControl{};
};
using TvlFilterControlCriteriaClass = TClassOf<TvlFilterControlCriteria>;

class TvlFilterControlCriteriaItem : public TvlFilterCriteriaItem {
  CL_CLASS(TvlFilterControlCriteriaItem, TvlFilterCriteriaItem)
 public:
  Variant GetRecordValue(Pointer AData) override;
  String GetFieldCaption() override;
  String GetFieldName() override;
  TvlFilterOperatorClass GetFilterOperatorClass() override;

  // The item link's index among the linked items; -1 without a linked filter
  // or when the link is absent.
  Integer LinkIndex();
  TvlCustomFilterControl* Control();
};

// --- Rows ----------------------------------------------------------------------------------------

CL_ENUM(TvlFilterControlHitTest, Byte, fhtNone, fhtButton, fhtBoolOperator, fhtItem, fhtOperator, fhtValue,
        fhtAddCondition, fhtAddValue)
CL_ENUM(TFilterControlState, Byte, fcsNormal, fcsSelectingAction, fcsSelectingItem, fcsSelectingBoolOperator,
        fcsSelectingCondition, fcsSelectingValue)

class TvlCustomRowViewInfo;

struct TvlFilterControlHitTestInfo {
  TvlFilterControlHitTest HitTest{};
  TPoint Mouse{};
  TShiftState Shift{};
  TvlCustomRowViewInfo* Row{};
  Integer ValueIndex{};
};

class TvlCustomRowViewInfo : public TObject {
  CL_CLASS(TvlCustomRowViewInfo, TObject)
 public:
  virtual Integer GetRowWidth();
  virtual void Create(TvlCustomFilterControl* AControl, TvlGroupViewInfo* AParent,
                      TvlCustomFilterCriteriaItem* ACriteriaItem);
  virtual void Calc(const TRect& ARowRect);
  virtual void GetHitTestInfo(const TPoint& P, TvlFilterControlHitTestInfo& HitInfo);
  virtual Boolean Ready() { return true; }
  void Destroy() override;

  Boolean IsLast();
  Boolean IsGroup() { return Is<TvlGroupViewInfo>(this); }
  TvlGroupViewInfo* Group();  // itself when a group, else its parent
  TvlCustomFilterControl* Control() const { return FControl; }
  TvlGroupViewInfo* Parent() const { return FParent; }
  TvlCustomFilterCriteriaItem* CriteriaItem() const { return FCriteriaItem; }
  Integer Level() const { return FLevel; }
  Integer Indent() const { return FIndent; }
  const String& ButtonText() const { return FButtonText; }
  const TRect& ButtonRect() const { return FButtonRect; }
  TvlButtonState ButtonState() const { return FButtonState; }
  const TRect& RowRect() const { return FRowRect; }

 protected:
  friend class TvlCustomFilterControl;
  friend class TvlFilterControlPainter;
  TvlCustomFilterControl* FControl{};
  TvlGroupViewInfo* FParent{};
  TvlCustomFilterCriteriaItem* FCriteriaItem{};
  Integer FLevel{};
  Integer FIndent{};
  String FButtonText;
  TRect FButtonRect{};
  TvlButtonState FButtonState{};
  TRect FRowRect{};
};

class TvlGroupViewInfo : public TvlCustomRowViewInfo {
  CL_CLASS(TvlGroupViewInfo, TvlCustomRowViewInfo)
 public:
  Integer GetRowWidth() override;
  void Create(TvlCustomFilterControl* AControl, TvlGroupViewInfo* AParent,
              TvlCustomFilterCriteriaItem* ACriteriaItem) override;
  void Calc(const TRect& ARowRect) override;
  void GetHitTestInfo(const TPoint& P, TvlFilterControlHitTestInfo& HitInfo) override;
  void Destroy() override;

  void Add(TvlCustomRowViewInfo* ARow);
  void Remove(TvlCustomRowViewInfo* ARow);
  TvlCustomRowViewInfo* Rows(Integer AIndex) const { return FRows[size_t(AIndex)]; }
  Integer RowCount() const { return Integer(FRows.size()); }

  TvlFilterBoolOperatorKind BoolOperator() const { return FBoolOperator; }
  void SetBoolOperator(TvlFilterBoolOperatorKind Value) { FBoolOperator = Value; }
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value) { FCaption = Value; }
  const String& BoolOperatorText() const { return FBoolOperatorText; }
  const TRect& BoolOperatorRect() const { return FBoolOperatorRect; }
  const TRect& CaptionRect() const { return FCaptionRect; }

 private:
  friend class TvlFilterControlPainter;
  TvlFilterBoolOperatorKind FBoolOperator{};
  String FCaption;
  String FBoolOperatorText;
  TRect FBoolOperatorRect{};
  TRect FCaptionRect{};
  std::vector<TvlCustomRowViewInfo*> FRows;
};

class TvlValueInfo : public TObject {
  CL_CLASS(TvlValueInfo, TObject)
 public:
  void Destroy() override;
  Variant& Value() { return FValue; }
  String& ValueText() { return FValueText; }
  const TRect& ValueRect() const { return FValueRect; }
  TvlCustomEditViewInfo* ValueViewInfo() const { return FValueViewInfo; }

 private:
  friend class TvlValuesViewInfo;
  Variant FValue;
  String FValueText;
  TRect FValueRect{};
  TvlCustomEditViewInfo* FValueViewInfo{};
};

class TvlValuesViewInfo : public TObject {
  CL_CLASS(TvlValuesViewInfo, TObject)
 public:
  virtual void Create(TvlConditionViewInfo* ACondition);
  virtual void GetHitTestInfo(const TPoint& P, TvlFilterControlHitTestInfo& HitInfo);
  void Destroy() override;

  void AddValue();
  void RemoveValue(Integer AIndex);  // ignores indexes out of range
  void Clear();
  void Calc();
  Integer Count() const { return Integer(FList.size()); }
  TvlValueInfo* Values(Integer AIndex) const { return FList[size_t(AIndex)]; }
  const String& Separator() const { return FSeparator; }
  const TRect& AddButtonRect() const { return FAddButtonRect; }
  TvlButtonState AddButtonState() const { return FAddButtonState; }

 private:
  TvlConditionViewInfo* FCondition{};
  std::vector<TvlValueInfo*> FList;
  String FSeparator;
  TRect FAddButtonRect{};
  TvlButtonState FAddButtonState{};
};

class TvlConditionViewInfo : public TvlCustomRowViewInfo {
  CL_CLASS(TvlConditionViewInfo, TvlCustomRowViewInfo)
 public:
  Integer GetRowWidth() override;
  void Create(TvlCustomFilterControl* AControl, TvlGroupViewInfo* AParent,
              TvlCustomFilterCriteriaItem* ACriteriaItem) override;
  void Calc(const TRect& ARowRect) override;
  void GetHitTestInfo(const TPoint& P, TvlFilterControlHitTestInfo& HitInfo) override;
  Boolean Ready() override;
  virtual Boolean ShowsValues();
  virtual void InitEditorProperties();
  void Destroy() override;

  // Keeps or resets the values for the operator.
  void AdjustValueCount(Boolean AKeepValues);
  TvlCustomEditProperties* GetProperties();
  void SetItemIndex(Integer Value);
  // Sets the operator and its text; the values are left as they are.
  void SetOperator(TvlFilterControlOperator Value);
  // Restricts the supported operators as the control asks.
  void ValidateOperators();
  Integer GetValuesWidth();

  Integer ItemIndex() const { return FItemIndex; }
  TObject* ItemLink() const { return FItemLink; }
  const String& ItemText() const { return FItemText; }
  TvlFilterControlOperator Operator() const { return FOperator; }
  const String& OperatorText() const { return FOperatorText; }
  TvlCustomFilterEditHelperClass EditorHelper() const { return FEditorHelper; }
  TvlCustomEditProperties* EditorProperties() const { return FEditorProperties; }
  TvlValueTypeClass ValueType() const { return FValueType; }
  TvlFilterControlOperators SupportedOperators() const { return FSupportedOperators; }
  TvlValuesViewInfo* Values() const { return FValues; }
  TvlCustomEditData*& ValueEditorData() { return FValueEditorData; }
  const TRect& ItemRect() const { return FItemRect; }
  const TRect& OperatorRect() const { return FOperatorRect; }

 private:
  friend class TvlCustomFilterControl;
  friend class TvlValuesViewInfo;
  void BuildFromLeaf(TvlFilterCriteriaItem* ALeaf);
  Integer FItemIndex{};
  TObject* FItemLink{};
  String FItemText;
  TvlFilterControlOperator FOperator{};
  String FOperatorText;
  TvlCustomFilterEditHelperClass FEditorHelper;
  TvlCustomEditProperties* FEditorProperties{};
  TvlValueTypeClass FValueType;
  TvlFilterControlOperators FSupportedOperators;
  TvlValuesViewInfo* FValues{};
  TvlCustomEditData* FValueEditorData{};
  TRect FItemRect{};
  TRect FOperatorRect{};
};

// Whether an operator takes values (all but blanks, non-blanks and the date periods).
Boolean vlFilterControlOperatorShowsValues(TvlFilterControlOperator AOperator);

// --- Layout and painting ---------------------------------------------------------------------------

class TvlFilterControlPainter : public TObject {
  CL_CLASS(TvlFilterControlPainter, TObject)
 public:
  virtual TColor ContentColor();
  virtual void DrawRow(TvlCustomRowViewInfo* ARow);
  virtual void Create(TvlCustomFilterControl* AControl);

  TvlCustomFilterControl* Control() const { return FControl; }

 private:
  void DrawLevelLines(TvlCustomRowViewInfo* ARow);
  TvlCustomFilterControl* FControl{};
};
using TvlFilterControlPainterClass = TClassOf<TvlFilterControlPainter>;

class TvlFilterControlViewInfo : public TObject {
  CL_CLASS(TvlFilterControlViewInfo, TObject)
 public:
  virtual void CalcFocusRect();
  virtual TvlFilterControlPainterClass GetPainterClass();
  virtual void Create(TvlCustomFilterControl* AControl);
  virtual void GetHitTestInfo(TShiftState AShift, const TPoint& P, TvlFilterControlHitTestInfo& HitInfo);
  void Destroy() override;

  void Calc();
  void Paint();
  void InvalidateRow(TvlCustomRowViewInfo* ARow);
  void Update();
  void UpdateAddConditionState();
  // Draws a text at (X, Y), twice (embossed) when disabled.
  void DrawTextAt(const String& AText, Integer X, Integer Y);

  TvlCustomFilterControl* Control() const { return FControl; }
  TvlFilterControlPainter* Painter() const { return FPainter; }
  TvlCanvas* Canvas() const { return FBitmapCanvas; }
  TBitmap* Bitmap() const { return FBitmap; }
  Integer RowHeight() const { return FRowHeight; }
  Integer MinValueWidth() const { return FMinValueWidth; }
  Integer MaxRowWidth() const { return FMaxRowWidth; }
  Boolean Enabled() const { return FEnabled; }
  const TRect& AddConditionRect() const { return FAddConditionRect; }
  const String& AddConditionCaption() const { return FAddConditionCaption; }
  void SetAddConditionCaption(const String& Value) { FAddConditionCaption = Value; }
  TvlButtonState ButtonState() const { return FButtonState; }
  const TRect& FocusRect() const { return FFocusRect; }

 private:
  TvlCustomFilterControl* FControl{};
  TvlFilterControlPainter* FPainter{};
  TBitmap* FBitmap{};
  TvlCanvas* FBitmapCanvas{};
  Integer FRowHeight{};
  Integer FMinValueWidth{};
  Integer FMaxRowWidth{};
  Boolean FEnabled{};
  TRect FAddConditionRect{};
  String FAddConditionCaption;
  TvlButtonState FButtonState{};
  TRect FFocusRect{};
};
using TvlFilterControlViewInfoClass = TClassOf<TvlFilterControlViewInfo>;

// Operator and join captions shared by every builder (filled by Localize).
String vlFilterControlOperatorCaption(TvlFilterControlOperator AOperator);
String vlFilterControlBoolOperatorCaption(TvlFilterBoolOperatorKind AOperator);

// --- The control ---------------------------------------------------------------------------------

class TvlCustomFilterControl : public TvlControl {
  CL_CLASS(TvlCustomFilterControl, TvlControl)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // Model (rows and criteria).
  virtual void RebuildRows();
  virtual void ApplyToLinkedFilter();
  virtual TvlCustomEditProperties* DefaultValueProperties();
  virtual TvlFilterControlCriteriaClass GetCriteriaClass();
  virtual TvlFilterControlViewInfoClass GetViewInfoClass();
  virtual void FillItemList(TStrings* AStrings);
  virtual void FillOperatorList(TStrings* AStrings);
  virtual void AdjustSupportedOperators(TvlConditionViewInfo* ACondition);
  virtual TvlFilterOperatorClass AdjustOperatorClass(TvlFilterOperatorClass AOperatorClass) {
    return AOperatorClass;
  }
  virtual String GetFilterCaption();
  virtual IvlFilterControl* GetLinkedFilter() { return nullptr; }
  virtual String GetFilterText();
  virtual void Clear();
  virtual Boolean IsValid();

  void ApplyFilter() { ApplyToLinkedFilter(); }
  Boolean HasItems();
  // Raises EvlFilterControlError naming the first incomplete row (and focuses
  // it); otherwise writes the rows into the own criteria.
  void WriteRowsToCriteria();
  void SaveToFile(const String& AFileName);
  void SaveToStream(TStream* AStream);
  // Reads into new criteria and rows and takes them only when both succeed:
  // a damaged or foreign file raises and leaves the filter as it was.
  void LoadFromFile(const String& AFileName);
  void LoadFromStream(TStream* AStream);
  void CloseValueEditor(Boolean AAccept);

  void BeginUpdate() { ++FLockCount; }
  void EndUpdate();
  void LayoutChanged();
  virtual void RecalculateLayout();
  void MakeFocusedVisible();
  void Localize();

  // Adding and removing (each needs items).
  void AddCondition(TvlCustomRowViewInfo* ARow);
  void AddGroup();
  void AddListValue();
  void RemoveFocused();
  void RemoveListValue();
  void RemoveRow();

  // Focus.
  void FocusRow(TvlCustomRowViewInfo* ARow);
  void FocusNext(Boolean ATab);
  void FocusPrevious(Boolean ATab);
  void FocusLowerRow(Boolean ATab);
  void FocusUpperRow(Boolean ATab);
  void SetFocusedPart(TvlFilterControlHitTest APart, Integer AValueIndex = -1);
  void ActivatePart(TvlFilterControlHitTest APart, Boolean AByMouse);
  Boolean HotTrackAllowed();
  // The value editor has the focus.
  Boolean PartHasFocus();
  // The row action menu at the focused row's button (needs items).
  virtual void ShowActionMenu();
  TPopupMenu* ActionMenu() const { return FActionMenu; }
  // Pick lists over the focused part (each needs items).
  virtual void SelectBoolOperator();
  virtual void SelectOperator();
  virtual void SelectItem();
  TvlComboBox* PickList() const { return FComboBox; }
  // AActivation: 0 plainly, 1 by the mouse click that focused the value, 2 by the key AKey.
  virtual void ShowValueEditor(Integer AActivation, Char AKey);

  TvlFilterControlCriteria* Criteria() const { return FCriteria; }
  TvlGroupViewInfo* Root() const { return FRoot; }
  Integer RowCount() const { return Integer(FRows.size()); }
  TvlCustomRowViewInfo* Rows(Integer AIndex) const { return FRows[size_t(AIndex)]; }
  Integer IndexOfRow(TvlCustomRowViewInfo* ARow) const;
  TvlFilterControlViewInfo* ViewInfo() const { return FViewInfo; }
  const TvlFilterControlHitTestInfo& FocusedInfo() const { return FFocusedInfo; }
  const TvlFilterControlHitTestInfo& HotTrack() const { return FHotTrack; }
  TFilterControlState State() const { return FState; }
  TvlInplaceEditList* InplaceEditors() const { return FInplaceEditors; }
  TvlCustomEditStyle* ValueEditorStyle() const { return FValueEditorStyle; }
  TvlCustomEdit* ValueEditor() const { return FValueEditor; }
  Integer TopVisibleRow() const { return FTopVisibleRow; }
  void SetTopVisibleRow(Integer Value);
  Integer LeftOffset() const { return FLeftOffset; }
  void SetLeftOffset(Integer Value);
  Boolean LockedLayout() const { return FLockCount > 0; }

  // Published properties.
  TFont* FontBoolOperator() const { return FFonts[0]; }
  TFont* FontItem() const { return FFonts[1]; }
  TFont* FontCondition() const { return FFonts[2]; }
  TFont* FontValue() const { return FFonts[3]; }
  TFont* PartFont(Integer AIndex) const { return FFonts[AIndex]; }
  void SetPartFont(Integer AIndex, TFont* Value);
  Boolean IsPartFontStored(Integer AIndex);
  Boolean HotTrackOnUnfocused() const { return FHotTrackOnUnfocused; }
  void SetHotTrackOnUnfocused(Boolean Value) { FHotTrackOnUnfocused = Value; }
  const String& NullString() const { return FNullString; }
  void SetNullString(const String& Value);
  Boolean ShowLevelLines() const { return FShowLevelLines; }
  void SetShowLevelLines(Boolean Value);
  Boolean SortItems() const { return FSortItems; }
  void SetSortItems(Boolean Value) { FSortItems = Value; }
  Boolean WantTabs() const { return FWantTabs; }
  void SetWantTabs(Boolean Value);
  const TNotifyEvent& OnApplyFilter() const { return FOnApplyFilter; }
  void SetOnApplyFilter(const TNotifyEvent& Value) { FOnApplyFilter = Value; }
  String FilterCaption() { return GetFilterCaption(); }
  String FilterText() { return GetFilterText(); }

 protected:
  virtual void CreateParts();
  virtual void DestroyParts();
  void CreateWnd() override;
  void Paint() override;
  void BoundsChanged() override;
  void FontChanged() override;
  void FocusChanged() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseLeave(TControl* AControl) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void InitScrollBarsParameters() override;
  void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) override;
  void ClearRows();
  void RebuildRowList();
  void DoApplyFilter();

 private:
  friend class TvlConditionViewInfo;
  friend class TvlFilterControlViewInfo;
  void BuildGroupRows(TvlGroupViewInfo* ARow, TvlFilterCriteriaItemList* AGroup);
  void WriteGroup(TvlGroupViewInfo* ARow, TvlFilterCriteriaItemList* AGroup);
  void WriteCondition(TvlConditionViewInfo* ARow, TvlFilterCriteriaItemList* AGroup);
  void PartFontChanged(TObject* Sender);
  // Takes the value editor off without accepting or laying out (its row is going).
  void ForgetValueEditor();
  void ShowList(const TRect& R, const String& AText, Integer AShown);
  void HideList();
  void CloseList();
  void ListClosed(TObject* Sender);
  void ListExit(TObject* Sender);
  void ListKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void ListKeyPress(TObject* Sender, Char& Key);
  void ListPopup(TObject* Sender);
  void UpdateListColor();
  void MenuItemClick(TObject* Sender);
  Boolean TakeFocus();
  void EditorKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void EditorAfterKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void EditorExit(TObject* Sender);
  void FitTopRowAndLeftOffset();

  TvlFilterControlCriteria* FCriteria{};
  TvlGroupViewInfo* FRoot{};
  std::vector<TvlCustomRowViewInfo*> FRows;
  TvlFilterControlViewInfo* FViewInfo{};
  TvlFilterControlHitTestInfo FFocusedInfo{};
  TvlFilterControlHitTestInfo FHotTrack{};
  TFilterControlState FState{};
  TvlComboBox* FComboBox{};
  TPopupMenu* FActionMenu{};
  String FListText;
  TvlInplaceEditList* FInplaceEditors{};
  TvlCustomEdit* FValueEditor{};
  TvlCustomEditStyle* FValueEditorStyle{};
  TvlTextEditProperties* FTextEditProperties{};
  TFont* FFonts[4]{};
  Integer FLockCount{};
  Integer FTopVisibleRow{};
  Integer FLeftOffset{};
  Boolean FSortItems{};
  Boolean FHotTrackOnUnfocused{};
  String FNullString;
  Boolean FShowLevelLines{};
  Boolean FWantTabs{};
  Boolean FWasError{};
  TNotifyEvent FOnApplyFilter;
};

class TvlFilterControl : public TvlCustomFilterControl, public IvlLinkableFilterControl {
  CL_CLASS(TvlFilterControl, TvlCustomFilterControl)
 public:
  IvlFilterControl* GetLinkedFilter() override;
  void UpdateFilter();
  void LinkTo(TComponent* AComponent) override;

  TComponent* LinkComponent() const { return FLinkComponent; }
  void SetLinkComponent(TComponent* Value) { LinkTo(Value); }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TComponent* FLinkComponent{};
};
