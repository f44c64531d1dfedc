// The group box and panel: a container with a caption. Framed (a frame with
// the caption set into one of its sides, the frame line running through the
// caption's middle) or, with PanelStyle.Active, a panel (a plain rectangle
// with the caption anywhere inside it). It hosts child controls in the
// client area that AdjustClientRect gives, and is built as an editor so that
// it shares the editors' styles, look and feel and view data/view info.
//
// Layout. TvlGroupBoxViewData::Calculate places CaptionRect and TextRect by
// one of three rules: panel (the caption measured inside the panel,
// CaptionIndent from the sides its alignment touches), skin (the caption band
// of the skin painter, moved into the non-client area when HasNonClientArea),
// standard (a fixed table per alignment, 8 pixels from the corner). The
// caption's side gets a border extent of half the caption height, so the
// frame runs through the caption; the client area starts below the caption.
// A left or right caption of a framed box is vertical: its font is rotated.
//
// Files: vlGroupBox.cpp (panel style, the control, start-up), vlGroupBoxView.cpp
// (view data and view info: layout and painting).
#pragma once

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlTextEditViewInfo.h"

class TvlCustomGroupBox;

// --- Types ------------------------------------------------------------------------------------------

CL_ENUM(TvlCaptionAlignment, Byte, alTopLeft, alTopCenter, alTopRight, alBottomLeft, alBottomCenter, alBottomRight,
        alLeftTop, alLeftCenter, alLeftBottom, alRightTop, alRightCenter, alRightBottom, alCenterCenter)
CL_ENUM(TvlPanelOffice11BackgroundKind, Byte, pobkGradient, pobkOffice11Color, pobkStyleColor)

using TvlGroupBoxCustomDrawEvent = TDelegate<void(TvlCustomGroupBox* Sender, Boolean& ADone)>;
using TvlGroupBoxCustomDrawElementEvent =
    TDelegate<void(TvlCustomGroupBox* Sender, TCanvas* ACanvas, const TRect& ABounds,
                   TvlCustomLookAndFeelPainterClass APainter, Boolean& ADone)>;
using TvlGroupBoxMeasureCaptionHeightEvent =
    TDelegate<void(TvlCustomGroupBox* Sender, TvlCustomLookAndFeelPainterClass APainter, Integer& ACaptionHeight)>;

// The caption position the painters understand for an alignment.
TvlGroupBoxCaptionPosition vlGetCaptionPosition(TvlCaptionAlignment AAlignment);

// The message a group box posts to itself when its non-client layout may have
// changed (registered by name at the unit's start-up; 0 before).
win::UINT vlGroupBoxUpdateNonClientAreaMessage();

// --- Panel style ------------------------------------------------------------------------------------

class TvlPanelStyle : public TPersistent {
  CL_CLASS(TvlPanelStyle, TPersistent)
 public:
  virtual void Create(TvlCustomGroupBox* AOwner);
  void Assign(TPersistent* Source) override;

  Boolean Active() const { return FActive; }
  void SetActive(Boolean Value);
  Integer BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(Integer Value);
  // Never below 2.
  Integer CaptionIndent() const { return FCaptionIndent; }
  void SetCaptionIndent(Integer Value);
  TvlPanelOffice11BackgroundKind OfficeBackgroundKind() const { return FOfficeBackgroundKind; }
  void SetOfficeBackgroundKind(TvlPanelOffice11BackgroundKind Value);
  Boolean WordWrap() const { return FWordWrap; }
  void SetWordWrap(Boolean Value);
  TvlCustomGroupBox* Edit() const { return FEdit; }

 private:
  Boolean FActive{};
  Integer FBorderWidth{};
  Integer FCaptionIndent{};
  TvlCustomGroupBox* FEdit{};
  TvlPanelOffice11BackgroundKind FOfficeBackgroundKind{};
  Boolean FWordWrap{};
};

// --- Properties, view info, view data ---------------------------------------------------------------

class TvlCustomGroupBoxProperties : public TvlCustomEditProperties {
  CL_CLASS(TvlCustomGroupBoxProperties, TvlCustomEditProperties)
 public:
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditViewInfoClass GetViewInfoClass() const override;
  TvlCustomEditViewDataClass EditViewDataClass() const override;
};

// One option button of a button group: its caption and place in the grid of buttons.
class TvlGroupBoxButtonViewInfo : public TvlEditButtonViewInfo {
  CL_CLASS(TvlGroupBoxButtonViewInfo, TvlEditButtonViewInfo)
 public:
  // Centred vertically in Bounds; at the left edge for taRightJustify (the
  // caption right of the glyph), at the right edge otherwise.
  virtual TRect GetGlyphRect(const TSize& AGlyphSize, TAlignment AAlignment, Boolean AIsPaintCopy);

  String Caption;
  Integer Column{};
  Integer Row{};
};

class TvlGroupBoxViewInfo : public TvlCustomTextEditViewInfo {
  CL_CLASS(TvlGroupBoxViewInfo, TvlCustomTextEditViewInfo)
 public:
  void DoPaint(TvlCanvas* ACanvas) override;
  TvlEditButtonViewInfoClass ButtonViewInfoClass() const override;
  void Offset(Integer DX, Integer DY) override;
  // Offers the caption's thickness to OnMeasureCaptionHeight and cuts the
  // caption band to the answer from its outer side.
  virtual void AdjustCaptionRect(TvlCustomLookAndFeelPainterClass APainter);
  // The caption into a canvas whose origin matches the control's client
  // coordinates (also the non-client caption).
  virtual void DrawCaption(TvlCanvas* ACanvas);
  // The canvas's font becomes the caption font, coloured by the skin or theme.
  void PrepareCaptionFont(TvlCanvas* ACanvas);
  TvlCustomGroupBox* GroupBox() const;
  // The panel rectangle: Bounds less the shadow strip when the shadow shows.
  TRect PanelRect();
  // The rectangle the frame is drawn on.
  TRect FrameRect();

  TAlignment Alignment{};
  TRect CaptionRect{};
  TRect NonClientBand{};

 private:
  void DrawBackground(TvlCanvas* ACanvas);
  void DrawFrame(TvlCanvas* ACanvas);
};

class TvlGroupBoxViewData : public TvlCustomEditViewData {
  CL_CLASS(TvlGroupBoxViewData, TvlCustomEditViewData)
 public:
  TvlContainerState CalculateContainerState(const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                                            TShiftState Shift) override;
  void Calculate(TvlCanvas* ACanvas, const TRect& ABounds, const TPoint& P, TvlMouseButton Button,
                 TShiftState Shift, TvlCustomEditViewInfo* AViewInfo, Boolean AIsMouseEvent) override;
  TColor GetBorderColor() override;
  TRect GetBorderExtent() override;
  TRect GetClientExtent(TvlCanvas* ACanvas, TvlCustomEditViewInfo* AViewInfo) override;
  Boolean HasShadow() override;
  Boolean IsNativeStyle(TvlLookAndFeel* ALookAndFeel) const override;

  TvlCustomGroupBox* GroupBox() const;

 private:
  // The height of "Wg" in the caption font.
  Integer CaptionTextHeight();
  void CalculatePanelCaption(TvlCanvas* ACanvas, TvlGroupBoxViewInfo* AViewInfo);
  void CalculateSkinCaption(TvlCanvas* ACanvas, TvlGroupBoxViewInfo* AViewInfo);
  void CalculateStandardCaption(TvlCanvas* ACanvas, TvlGroupBoxViewInfo* AViewInfo);
};

// --- The control ------------------------------------------------------------------------------------

class TvlCustomGroupBox : public TvlCustomEdit {
  CL_CLASS(TvlCustomGroupBox, TvlCustomEdit)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomGroupBoxProperties>();
  }

  TvlCaptionAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TvlCaptionAlignment Value);
  TColor CaptionBkColor() const { return FCaptionBkColor; }
  void SetCaptionBkColor(TColor Value) { FCaptionBkColor = Value; }
  TvlPanelStyle* PanelStyle() const { return FPanelStyle; }
  void SetPanelStyle(TvlPanelStyle* Value);
  Boolean RedrawOnResize() const { return FRedrawOnResize; }
  void SetRedrawOnResize(Boolean Value) { FRedrawOnResize = Value; }
  TFont* CaptionFont() const { return FCaptionFont; }
  // The look and feel published on the group box: its style's.
  TvlLookAndFeel* StyleLookAndFeel() const { return Style()->LookAndFeel(); }
  void SetStyleLookAndFeel(TvlLookAndFeel* Value) { Style()->SetLookAndFeel(Value); }
  const String& VisibleCaption() const { return FVisibleCaption; }
  Boolean IsAccelCharHandling() const { return FIsAccelCharHandling; }
  TvlGroupBoxViewInfo* ViewInfo() const { return static_cast<TvlGroupBoxViewInfo*>(TvlCustomEdit::ViewInfo()); }

  // A framed box with a left or right caption.
  Boolean IsVerticalCaption() const;
  Boolean IsPanel() const { return FPanelStyle && FPanelStyle->Active(); }
  // The caption band lives outside the client area (skins only).
  virtual Boolean HasNonClientArea();
  virtual Boolean CanUseNonClientArea() { return true; }
  // The caption font and visible caption, refreshed.
  void UpdateCaptionFont();
  void UpdateVisibleCaption();
  // Font refresh, caption refresh, short refresh, non-client update, realigning.
  void LayoutChanged();
  void PostNonClientUpdate();

  const TvlGroupBoxCustomDrawEvent& OnCustomDraw() const { return FOnCustomDraw; }
  void SetOnCustomDraw(const TvlGroupBoxCustomDrawEvent& Value) { FOnCustomDraw = Value; }
  const TvlGroupBoxCustomDrawElementEvent& OnCustomDrawCaption() const { return FOnCustomDrawCaption; }
  void SetOnCustomDrawCaption(const TvlGroupBoxCustomDrawElementEvent& Value) { FOnCustomDrawCaption = Value; }
  const TvlGroupBoxCustomDrawElementEvent& OnCustomDrawContentBackground() const {
    return FOnCustomDrawContentBackground;
  }
  void SetOnCustomDrawContentBackground(const TvlGroupBoxCustomDrawElementEvent& Value) {
    FOnCustomDrawContentBackground = Value;
  }
  const TvlGroupBoxMeasureCaptionHeightEvent& OnMeasureCaptionHeight() const { return FOnMeasureCaptionHeight; }
  void SetOnMeasureCaptionHeight(const TvlGroupBoxMeasureCaptionHeightEvent& Value) {
    FOnMeasureCaptionHeight = Value;
  }

  virtual Boolean DoCustomDrawCaption(TvlCanvas* ACanvas, const TRect& ABounds,
                                      TvlCustomLookAndFeelPainterClass APainter);
  virtual Boolean DoCustomDrawContentBackground(TvlCanvas* ACanvas, const TRect& ABounds,
                                                TvlCustomLookAndFeelPainterClass APainter);

  void Dispatch(TMessage& Message) override;
  void WndProc(TMessage& Message) override;
  Boolean DefaultParentColor() override { return true; }
  void AdjustClientRect(TRect& Rect) override;
  Boolean IsShadowVisible() override;
  void GetShadowRect(TRect& R) override;
  void GetShadowRectOffsets(TRect& R) override;
  Boolean AlwaysTransparent() override;

 protected:
  virtual TvlPanelStyle* CreatePanelStyle();
  void CreateHandle() override;
  void Paint() override;
  Boolean CanFocusOnClick() override { return false; }
  Boolean NeedsFullRepaint() override;
  void LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) override;
  Boolean NeedsShadowRegion() override { return false; }
  void StyleChanged(TObject* Sender) override;
  TvlContainerStyle* GetStyleForState(const TvlContainerState& AState) override;
  TvlContainerStyleValues GetUnpublishedStyleValues() override;
  Boolean IsChildControlContainer() override { return true; }
  Boolean AutoSizingActive() override { return false; }
  void Initialize() override;
  void FontChanged() override;
  void TextChanged() override;
  void Resize() override;

  TFont* FCaptionFont{};
  Boolean FIsAccelCharHandling{};

 private:
  void CMDialogChar(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void UpdateNonClientArea();

  TvlCaptionAlignment FAlignment{};
  TColor FCaptionBkColor{};
  TvlPanelStyle* FPanelStyle{};
  Boolean FRedrawOnResize{};
  String FVisibleCaption;
  TvlGroupBoxCustomDrawEvent FOnCustomDraw;
  TvlGroupBoxCustomDrawElementEvent FOnCustomDrawCaption;
  TvlGroupBoxCustomDrawElementEvent FOnCustomDrawContentBackground;
  TvlGroupBoxMeasureCaptionHeightEvent FOnMeasureCaptionHeight;
};

class TvlGroupBox : public TvlCustomGroupBox {
  CL_CLASS(TvlGroupBox, TvlCustomGroupBox)
};
