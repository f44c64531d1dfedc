// Button groups: a group box showing one option button per item of its
// properties' Items, laid out column by column. While the group is a
// control each item is a real child button window (made by the concrete
// group through CreateButton), positioned from the button view infos after
// every layout; cells painted without a control and paint copies draw the
// same buttons from the view infos (DrawButtonGlyph, DrawButtonCaption).
//
// The subclassing contract. A concrete group supplies: the button control
// (CreateButton, GetButtonDC), the nine button metrics (GetButtonMetrics),
// the theme part and state of a button (CalculateButtonNativeInfo), and the
// drawing of a button's glyph and caption. The base keeps the number of
// buttons equal to the number of items (UpdateButtons), binds their mouse,
// key and drag events to the group, and moves the focus between them with
// the arrow keys.
//
// Columns and rows: with N items and C wanted columns, R = ceil(N / min(C, N))
// rows, and the column count is ceil(N / R), so that no column stays empty
// (a descendant may answer min(C, N) instead). Item i sits in column i div R,
// row i mod R.
#pragma once

#include <vector>

#include "lib/editors/vlCheckBox.h"
#include "lib/editors/vlGroupBox.h"

class TvlCustomButtonGroupProperties;
class TvlCustomButtonGroup;


class TvlButtonGroupItem : public TvlCaptionItem {
  CL_CLASS(TvlButtonGroupItem, TvlCaptionItem)
 public:
  void Create(TCollection* Collection) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  Boolean Enabled() const { return FEnabled; }
  void SetEnabled(Boolean Value);

 private:
  Boolean FEnabled{};
};

class TvlButtonGroupItems : public TvlCaptionItems {
  CL_CLASS(TvlButtonGroupItems, TvlCaptionItems)
 public:
  TvlButtonGroupItem* Items(Integer Index) const {
    return static_cast<TvlButtonGroupItem*>(TCollection::Items(Index));
  }
  // Reports a single-item change (AItem, or only AIndex for a deletion).
  void InternalNotify(TvlButtonGroupItem* AItem, Integer AIndex, TvlCollectionOperation AOperation);
  Integer ChangedItemIndex() const { return FChangedItemIndex; }
  TvlCollectionOperation ChangedItemOperation() const { return FChangedItemOperation; }
  Boolean ItemChanged() const { return FItemChanged; }
  TvlCustomButtonGroupProperties* GroupProperties();
  Boolean IsDestroyingItems() const { return InternalState().Contains(cisDestroying); }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  Integer FChangedItemIndex{};
  TvlCollectionOperation FChangedItemOperation{};
  Boolean FItemChanged{};
};

// The nine integers a concrete group's view data supplies.
struct TvlButtonMetrics {
  Integer AutoWidthGlyphToTextGap{};     // no width given
  Integer AutoWidthExtraWidth{};         // no width given
  Integer FixedWidthTextIndent{};        // a width given
  Integer FixedWidthWidthCorrection{};   // a width given
  Integer ColumnLeftOffset{};            // left of the first column
  Integer ColumnWidthCorrection{};       // of the button area
  Integer ColumnGap{};
  Integer GlyphWidth{};
  Integer GlyphHeight{};
};

class TvlCustomButtonGroupProperties : public TvlCustomGroupBoxProperties {
  CL_CLASS(TvlCustomButtonGroupProperties, TvlCustomGroupBoxProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  void Assign(TPersistent* Source) override;
  TvlCustomEditViewDataClass EditViewDataClass() const override;
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditViewInfoClass GetViewInfoClass() const override;
  TvlCustomEditProperties* CreatePreviewProperties() override;
  TvlEditSpecialFeatures GetSpecialFeatures() override;
  TvlEditSupportedOperations GetSupportedOperations() override;
  virtual TvlButtonGroupItems* CreateItems();
  virtual Integer GetColumnCount();
  Integer GetRowCount();

  Integer Columns() const { return FColumns; }
  void SetColumns(Integer Value);
  TvlButtonGroupItems* Items() const { return FItems; }
  void SetItems(TvlButtonGroupItems* Value) { FItems->Assign(Value); }
  Boolean WordWrap() const { return FWordWrap; }
  void SetWordWrap(Boolean Value);

 private:
  Integer FColumns{};
  TvlButtonGroupItems* FItems{};
  Boolean FWordWrap{};
};

class TvlButtonGroupViewInfo : public TvlGroupBoxViewInfo {
  CL_CLASS(TvlButtonGroupViewInfo, TvlGroupBoxViewInfo)
 public:
  // One button: the background over its Bounds (not in a paint copy), the glyph, the caption.
  void DrawButton(TvlCanvas* ACanvas, Integer AIndex) override;
  virtual void DrawButtonCaption(TvlCanvas* ACanvas, TvlGroupBoxButtonViewInfo* AButtonViewInfo,
                                 const TRect& AGlyphRect);
  virtual void DrawButtonGlyph(TvlCanvas* ACanvas, TvlGroupBoxButtonViewInfo* AButtonViewInfo,
                               const TRect& AGlyphRect);
  virtual TSize GetGlyphSize() { return GlyphSize; }
  virtual Boolean IsButtonGlyphTransparent(TvlGroupBoxButtonViewInfo* AButtonViewInfo);

  TRect CaptionExtent{};
  TSize GlyphSize{};
};

class TvlButtonGroupViewData : public TvlGroupBoxViewData {
  CL_CLASS(TvlButtonGroupViewData, TvlGroupBoxViewData)
 public:
  void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                 TShiftState Shift, TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) override;
  void CalculateButtonsViewInfo(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                                TShiftState Shift, TvlCustomEditViewInfo* AViewInfo,
                                Boolean AIsMouseEvent) override;
  void GetEditConstantPartSize(TvlCanvas* ACanvas, const TvlEditSizeProperties& AEditSizeProperties, TSize& ASize,
                               TSize& AMinContentSize, TvlCustomEditViewInfo* AViewInfo = nullptr) override;
  virtual void CalculateButtonPositions(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo);
  virtual void InitializeButtonsViewInfo(TvlCustomEditViewInfo* AViewInfo);
  virtual Cardinal GetDrawTextFlags();
  // Without a canvas only the left offset, the width correction of the
  // button area and the column gap need be set.
  virtual void GetButtonMetrics(TvlCanvas* ACanvas, TvlButtonMetrics& AMetrics);
  virtual TRect GetCaptionRectExtent() { return TRect{}; }
  virtual void CalculateButtonNativeInfo(TvlCustomEditViewInfo* AViewInfo,
                                         TvlGroupBoxButtonViewInfo* AButtonViewInfo);
  // Class level: themed painting allowed for buttons under the look and feel.
  virtual Boolean IsButtonNativeStyle(TvlLookAndFeel* ALookAndFeel) const;

  TvlCustomButtonGroupProperties* GroupProperties() const {
    return static_cast<TvlCustomButtonGroupProperties*>(Properties());
  }
};
using TvlButtonGroupViewDataClass = TClassOf<TvlButtonGroupViewData>;

class TvlCustomButtonGroup : public TvlCustomGroupBox {
  CL_CLASS(TvlCustomButtonGroup, TvlCustomGroupBox)
 public:
  void Destroy() override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomButtonGroupProperties>();
  }
  TvlCustomButtonGroupProperties* Properties() const {
    return static_cast<TvlCustomButtonGroupProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomButtonGroupProperties* Value) { TvlCustomEdit::SetProperties(Value); }
  TvlCustomButtonGroupProperties* ActiveProperties() {
    return static_cast<TvlCustomButtonGroupProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlButtonGroupViewInfo* ViewInfo() const {
    return static_cast<TvlButtonGroupViewInfo*>(TvlCustomEdit::ViewInfo());
  }

  Integer ButtonCount() const { return Integer(FButtons.size()); }
  TWinControl* Buttons(Integer AIndex) const { return FButtons[size_t(AIndex)]; }
  // The index of the button control that has the focus, -1 when none.
  Integer FocusedButtonIndex();
  Boolean IsButtonNativeStyle();
  virtual void UpdateButtons();
  Boolean CanUseNonClientArea() override { return false; }
  Boolean Focused() override;
  void ActivateByMouse(TShiftState AShift, Integer AX, Integer AY, TvlCustomEditData*& AEditData) override;
  void GetTabOrderList(std::vector<TWinControl*>& List) override;

  // A button control registers itself here when it is made and goes when it is freed.
  void AddButton(TWinControl* AButton) { FButtons.push_back(AButton); }
  void RemoveButton(TWinControl* AButton);

 protected:
  void ReadState(TReader* Reader) override;
  void CreateHandle() override;
  void StyleChanged(TObject* Sender) override;
  Boolean DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                             Boolean AIsMouseEvent) override;
  Boolean IsChildControlContainer() override { return IsAccelCharHandling(); }
  Boolean AutoSizingActive() override { return !IsInplace() && AutoSize(); }
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void Initialize() override;
  Boolean OwnsChildWindow(win::HDC ADC) override;
  void PropertiesChanged(TObject* Sender) override;
  void CursorChanged() override;
  void EnabledChanged() override;
  virtual void SetButtonsPosition();
  virtual win::HDC GetButtonDC(Integer AIndex);
  virtual TWinControl* CreateButton();
  virtual void InitializeButton(TWinControl* AButton);
  virtual void UpdateButtonCount(Integer ACount);
  virtual void UpdateButtonsStyle();

  std::vector<TWinControl*> FButtons;

 private:
  void ButtonDragDrop(TObject* Sender, TObject* Source, Integer X, Integer Y);
  void ButtonDragOver(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept);
  void ButtonKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void ButtonKeyPress(TObject* Sender, Char& Key);
  void ButtonKeyUp(TObject* Sender, Word& Key, TShiftState Shift);
  void ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
  void ButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void ButtonMouseWheel(TObject* Sender, TShiftState Shift, Integer WheelDelta, TPoint MousePos, Boolean& Handled);
  Integer IndexOfButton(TObject* AButton) const;
};
