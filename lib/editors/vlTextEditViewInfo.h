// The layout and painting of a text editor's content, shared by the editor,
// the grid's text cells and every editor derived from the text editor: the
// text rectangle, the text-engine flags (with a word-wrap probe for
// automatic row heights), the selection colours and the highlighted output.
#pragma once

#include "lib/editors/vlEditViewInfo.h"
#include "lib/editors/vlTextEditProperties.h"
#include "lib/foundation/vlTextLayout.h"

// The prepared output of a text: parameters, rectangle, rows and highlight.
struct TvlTextOutData {
  Boolean Initialized{};
  Boolean ForceEndEllipsis{};
  Integer RowCount{};
  Integer SelStart{};
  Integer SelLength{};
  TColor SelBackgroundColor{};
  TColor SelTextColor{};
  TvlTextParams TextParams{};
  TRect TextRect{};
  TvlTextRows TextRows;
};

using TvlTextEditCustomDrawHandler = TDelegate<void(TvlCanvas* ACanvas, const TRect& ARect)>;

class TvlCustomTextEditViewInfo : public TvlCustomEditViewInfo {
  CL_CLASS(TvlCustomTextEditViewInfo, TvlCustomEditViewInfo)
 public:
  void Destroy() override;
  void Assign(TObject* Source) override;
  void DoPaint(TvlCanvas* ACanvas) override;
  void Offset(Integer DX, Integer DY) override;
  using TvlCustomEditViewInfo::NeedShowHint;
  Boolean NeedShowHint(TvlCanvas* ACanvas, const TPoint& P, TRect& ATextRect, Boolean& AIsMultiLine, String& AText,
                       TRect& AVisibleBounds) override;
  virtual void DrawText(TvlCanvas* ACanvas);
  virtual Integer GetTextBaseLine();

  Boolean ComboBoxStyle{};
  TvlTextEditCustomDrawHandler CustomDrawHandler;
  Boolean DrawSelectionBar{};
  Cardinal DrawTextFlags{};
  TvlEditEditingStyle EditingStyle{};
  Boolean HasPopupWindow{};
  Boolean IsEditClass{};
  Boolean IsOwnerDrawing{};
  Integer MaxLineCount{};
  Integer SelStart{};
  Integer SelLength{};
  TColor SelTextColor{};
  TColor SelBackgroundColor{};
  String Text;
  TvlTextOutData TextOutData;
  TRect TextRect{};
};

class TvlCustomTextEditViewData : public TvlCustomEditViewData {
  CL_CLASS(TvlCustomTextEditViewData, TvlCustomEditViewData)
 public:
  void CalculateNativeButtonPart(TvlEditButtonViewInfo* AButtonViewInfo) override;
  void InitializeFromProperties() override;
  void DisplayTextOfValue(const Variant& AEditValue, String& AText) override;
  TSize ContentSizeOfValue(TvlCanvas* ACanvas, const Variant& AEditValue,
                           const TvlEditSizeProperties& AEditSizeProperties) override;
  void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                 TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) override;
  void EditValueToDrawValue(TvlCanvas* ACanvas, const Variant& AEditValue, TvlCustomEditViewInfo* AViewInfo) override;
  TRect GetClientExtent(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo) override;
  virtual Boolean IsEditClassNow();
  virtual Integer GetMaxLineCount() { return MaxLineCount; }
  virtual Boolean UsesNativeComboLook() { return false; }
  virtual void PrepareTextFlags(TvlCanvas* ACanvas, TvlCustomTextEditViewInfo* AViewInfo);
  virtual void DisplayValueToDrawValue(const Variant& ADisplayValue, TvlCustomEditViewInfo* AViewInfo);
  virtual Cardinal GetDrawTextFlags();
  virtual TRect GetDrawTextOffset();

  // The highlighted range and its colours.
  void PrepareSelection(TvlCustomTextEditViewInfo* AViewInfo);
  TvlCustomTextEditProperties* TextProperties() const {
    return static_cast<TvlCustomTextEditProperties*>(Properties());
  }

  Boolean IsValueEditorWithValueFormatting{};
};

// The size the text needs (see the editors' doc for the width rules).
void vlCalculateEditTextSize(TvlCanvas* ACanvas, TvlCustomEditViewData* AViewData, const String& AText, TSize& ASize,
                             Boolean AAddWidthCorrection, Integer ALineCount,
                             const TvlEditSizeProperties& AEditSizeProperties, Cardinal AFlags);
// The text's offsets inside the client rectangle.
TRect vlGetTextEditContentOffsets(TvlCustomEditViewData* AViewData);
