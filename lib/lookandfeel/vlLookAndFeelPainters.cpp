// The painter unit: its classes, identity and default colours, the
// protected helpers shared by the composite operations, the named painters
// registry and the shared painter resources. The defaults of the drawing
// groups are in vlPainterButtons.cpp, vlPainterGridParts.cpp and
// vlPainterControls.cpp; the standard, flat and ultra-flat painters in
// vlStandardPainters.cpp and vlUltraFlatPainter.cpp.
#include "lib/lookandfeel/vlLookAndFeelPainters.h"

#include <algorithm>

#include "lib/foundation/nbCore.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "lib/lookandfeel/vlPainterHelpers.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

// Defined by the embedded resources of this library (the indicator images);
// referring to it keeps them linked into every program that uses painters.
void vlLookAndFeelResourcesLink();

using namespace vl_painters;

CL_IMPLEMENT_CLASS(TvlCustomLookAndFeelPainter)
CL_IMPLEMENT_CLASS(TvlStandardLookAndFeelPainter)
CL_IMPLEMENT_CLASS(TvlFlatLookAndFeelPainter)
CL_IMPLEMENT_CLASS(TvlUltraFlatLookAndFeelPainter)
CL_IMPLEMENT_CLASS(TvlExtendedStylePainterInfo)
CL_IMPLEMENT_CLASS(TvlExtendedStylePainters)

namespace {

TvlExtendedStylePainters* Registry = nullptr;
TImageList* IndicatorImages = nullptr;
TBitmap* ScrollBarBitmaps[2] = {};
TSize CheckGlyphSize{};

const char16_t* const IndicatorResourceNames[] = {u"VL_ARROWBITMAP",      u"VL_EDITBITMAP",
                                                  u"VL_INSERTBITMAP",     u"VL_MULTIDOTBITMAP",
                                                  u"VL_MULTIARROWBITMAP", u"VL_FILTERBITMAP"};

void CreateIndicatorImages() {
  TBitmap* bitmap = New<TBitmap>();
  Finally freeBitmap([&] { Free(bitmap); });
  for (const char16_t* name : IndicatorResourceNames) {
    bitmap->LoadFromResourceName(HInstance, name);
    if (!IndicatorImages) IndicatorImages = NewBy<TImageList>(&TImageList::CreateSize, bitmap->Width(), bitmap->Height());
    IndicatorImages->AddMasked(bitmap, static_cast<TColor>(win::RGB(255, 255, 255)));
  }
}

void ComputeCheckGlyphSize() {
  win::HBITMAP bitmap = win::LoadBitmapW(nullptr, win::MAKEINTRESOURCEW(win::OBM_CHECKBOXES));
  win::BITMAP info{};
  if (bitmap && win::GetObjectW(bitmap, sizeof(info), &info)) {
    CheckGlyphSize.cx = info.bmWidth / 4;
    CheckGlyphSize.cy = info.bmHeight / 3;
  }
  if (bitmap) win::DeleteObject(bitmap);
}

}  // namespace

TvlLookAndFeelKind vlStyleToLookAndFeelKind(TvlLookAndFeelStyle AStyle) {
  switch (AStyle) {
    case lfsFlat: return lfFlat;
    case lfsUltraFlat: return lfUltraFlat;
    case lfsOffice11: return lfOffice11;
    default: return lfStandard;
  }
}

// --- Shared resources ----------------------------------------------------------------------

TImageList* vlIndicatorImages() { return IndicatorImages; }

TBitmap* vlScrollBarPatternBitmap(Integer AIndex) {
  return AIndex >= 0 && AIndex < 2 ? ScrollBarBitmaps[AIndex] : nullptr;
}

void vlUpdateScrollBarBitmaps() {
  for (TBitmap*& bitmap : ScrollBarBitmaps)
    if (!bitmap) {
      bitmap = New<TBitmap>();
      bitmap->SetSize(8, 8);
    }
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x) {
      const Boolean same = (x % 2) == (y % 2);
      ScrollBarBitmaps[0]->Canvas()->SetPixels(x, y, same ? clBtnFace : clBtnHighlight);
      ScrollBarBitmaps[1]->Canvas()->SetPixels(x, y, same ? clBlack : cl3DDkShadow);
    }
}

TSize vlCheckButtonGlyphSize() { return CheckGlyphSize; }

// --- Registry -------------------------------------------------------------------------------

void TvlExtendedStylePainterInfo::Destroy() {
  FreeAndNil(Data);
  inherited::Destroy();
}

void TvlExtendedStylePainters::Create() { inherited::Create(true); }

void TvlExtendedStylePainters::Destroy() {
  FListeners.clear();
  inherited::Destroy();
}

TvlExtendedStylePainterInfo* TvlExtendedStylePainters::Items(Integer AIndex) const {
  return static_cast<TvlExtendedStylePainterInfo*>(Get(AIndex));
}

Integer TvlExtendedStylePainters::IndexOfName(const String& AName) const {
  for (Integer i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Name, AName)) return i;
  return -1;
}

void TvlExtendedStylePainters::NotifyListeners(TvlCustomLookAndFeelPainterClass APainter) {
  for (Integer i = static_cast<Integer>(FListeners.size()) - 1; i >= 0; --i) {
    if (i >= static_cast<Integer>(FListeners.size())) continue;
    TInterfacePtr<IvlLookAndFeelPainterListener> listener = FListeners[size_t(i)];
    listener->PainterChanged(APainter);
  }
}

Boolean TvlExtendedStylePainters::Register(const String& AName, TvlCustomLookAndFeelPainterClass APainter,
                                           TObject* AData) {
  if (IndexOfName(AName) >= 0) return false;
  auto* info = New<TvlExtendedStylePainterInfo>();
  info->Name = AName;
  info->Painter = APainter;
  info->Data = AData;
  Add(info);
  std::vector<TvlExtendedStylePainterInfo*> items;
  for (Integer i = 0; i < Count(); ++i) items.push_back(Items(i));
  std::stable_sort(items.begin(), items.end(), [](TvlExtendedStylePainterInfo* A, TvlExtendedStylePainterInfo* B) {
    return AnsiCompareStr(A->Name, B->Name) < 0;
  });
  for (Integer i = 0; i < Count(); ++i) Put(i, items[size_t(i)]);
  NotifyListeners(APainter);
  return true;
}

Boolean TvlExtendedStylePainters::Unregister(const String& AName) {
  const Integer index = IndexOfName(AName);
  if (index < 0) return false;
  TvlExtendedStylePainterInfo* info = Items(index);
  Delete(index);
  Finally freeInfo([&] { Free(info); });
  NotifyListeners(info->Painter);
  return true;
}

Boolean TvlExtendedStylePainters::GetPainterByName(const String& AName,
                                                   TvlCustomLookAndFeelPainterClass& APainter) const {
  const Integer index = IndexOfName(AName);
  APainter = index >= 0 ? Items(index)->Painter : nullptr;
  return index >= 0;
}

Boolean TvlExtendedStylePainters::GetNameByPainter(TvlCustomLookAndFeelPainterClass APainter, String& AName) const {
  AName.clear();
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Painter == APainter) {
      AName = Items(i)->Name;
      return true;
    }
  return false;
}

Boolean TvlExtendedStylePainters::GetPainterData(TvlCustomLookAndFeelPainterClass APainter, TObject*& AData) const {
  AData = nullptr;
  for (Integer i = 0; i < Count(); ++i)
    if (Items(i)->Painter == APainter) {
      AData = Items(i)->Data;
      return true;
    }
  return false;
}

void TvlExtendedStylePainters::AddListener(IvlLookAndFeelPainterListener* AListener) {
  if (!AListener) return;
  for (const auto& l : FListeners)
    if (l == AListener) return;
  FListeners.emplace_back(AListener);
}

void TvlExtendedStylePainters::RemoveListener(IvlLookAndFeelPainterListener* AListener) {
  for (auto it = FListeners.begin(); it != FListeners.end(); ++it)
    if (*it == AListener) {
      FListeners.erase(it);
      return;
    }
}

TvlExtendedStylePainters* vlGetStylePainterRegistry() { return Registry; }

// --- Identity and default colours ---------------------------------------------------------

TvlLookAndFeelStyle TvlCustomLookAndFeelPainter::LookAndFeelStyle() const { return lfsStandard; }
Boolean TvlCustomLookAndFeelPainter::NeedRedrawOnResize() const { return false; }

TColor TvlCustomLookAndFeelPainter::DefaultHeaderHighlightTextColor() const {
  return nbOSWindowsVistaOrLater ? static_cast<TColor>(win::RGB(0, 102, 204)) : clHighlightText;
}

TColor TvlCustomLookAndFeelPainter::DefaultContentColor() const { return clWindow; }
TColor TvlCustomLookAndFeelPainter::DefaultContentEvenColor() const { return DefaultContentColor(); }
TColor TvlCustomLookAndFeelPainter::DefaultContentOddColor() const { return DefaultContentColor(); }
TColor TvlCustomLookAndFeelPainter::DefaultContentTextColor() const { return clWindowText; }
TColor TvlCustomLookAndFeelPainter::DefaultEditorBackgroundColor(Boolean AIsDisabled) const {
  return DefaultEditorBackgroundColorEx(AIsDisabled ? esckDisabled : esckNormal);
}
TColor TvlCustomLookAndFeelPainter::DefaultEditorBackgroundColorEx(TvlEditStateColorKind AKind) const {
  return clDefault;
}
TColor TvlCustomLookAndFeelPainter::DefaultEditorTextColor(Boolean AIsDisabled) const {
  return DefaultEditorTextColorEx(AIsDisabled ? esckDisabled : esckNormal);
}
TColor TvlCustomLookAndFeelPainter::DefaultEditorTextColorEx(TvlEditStateColorKind AKind) const { return clDefault; }
TColor TvlCustomLookAndFeelPainter::DefaultFilterBoxColor() const { return clBtnShadow; }
TColor TvlCustomLookAndFeelPainter::DefaultFilterBoxTextColor() const { return clBtnHighlight; }
TColor TvlCustomLookAndFeelPainter::DefaultFixedSeparatorColor() const { return clBtnText; }
TColor TvlCustomLookAndFeelPainter::DefaultFooterColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultFooterTextColor() const { return clBtnText; }
TColor TvlCustomLookAndFeelPainter::DefaultGridDetailsSiteColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultGridLineColor() const { return clBtnShadow; }
TColor TvlCustomLookAndFeelPainter::DefaultGroupByBoxColor() const { return clBtnShadow; }
TColor TvlCustomLookAndFeelPainter::DefaultGroupByBoxTextColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultGroupColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultGroupTextColor() const { return clBtnText; }
TColor TvlCustomLookAndFeelPainter::DefaultHeaderBackgroundColor() const { return clBtnShadow; }
TColor TvlCustomLookAndFeelPainter::DefaultHeaderBackgroundTextColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultHeaderColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultHeaderTextColor() const { return clBtnText; }
TColor TvlCustomLookAndFeelPainter::DefaultHyperlinkTextColor() const { return Rgb(0, 0, 255); }
TColor TvlCustomLookAndFeelPainter::DefaultInactiveColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultInactiveTextColor() const { return clBtnText; }
TColor TvlCustomLookAndFeelPainter::DefaultPreviewTextColor() const { return Rgb(0, 0, 255); }
TColor TvlCustomLookAndFeelPainter::DefaultRecordSeparatorColor() const { return DefaultGridLineColor(); }
TColor TvlCustomLookAndFeelPainter::DefaultSizeGripAreaColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultVGridBandLineColor() const { return DefaultVGridLineColor(); }
TColor TvlCustomLookAndFeelPainter::DefaultVGridCategoryColor() const { return DefaultHeaderColor(); }
TColor TvlCustomLookAndFeelPainter::DefaultVGridCategoryTextColor() const { return clDefault; }
TColor TvlCustomLookAndFeelPainter::DefaultVGridHeaderColor() const { return DefaultHeaderColor(); }
TColor TvlCustomLookAndFeelPainter::DefaultVGridHeaderTextColor() const { return DefaultHeaderTextColor(); }
TColor TvlCustomLookAndFeelPainter::DefaultVGridLineColor() const { return Rgb(0, 0, 0); }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorContentColor() const {
  const TColor color = DefaultEditorBackgroundColor(false);
  return color == clDefault ? DefaultContentColor() : color;
}
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorHeaderColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorHeaderTextColor(Boolean AIsHighlight) const {
  return AIsHighlight ? DefaultHeaderHighlightTextColor() : DefaultHeaderTextColor();
}
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorHolydayTextColor() const { return Rgb(255, 0, 0); }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorInactiveTextColor() const { return clGrayText; }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorSelectionColor() const { return clHighlight; }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorSelectionTextColor() const { return clHighlightText; }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorSeparator1Color() const { return clBtnShadow; }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorSeparator2Color() const { return clWindow; }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorTextColor() const { return clWindowText; }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorTodayFrameColor() const { return Rgb(128, 0, 0); }
TColor TvlCustomLookAndFeelPainter::DefaultDateNavigatorTodayTextColor() const { return Rgb(0, 0, 128); }
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerBackgroundColor() const { return clWindow; }
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerTextColor() const { return clWindowText; }
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerBorderColor() const { return Rgb(161, 157, 157); }
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerControlColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerNavigatorColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerTimeRulerColor() const { return DefaultHeaderColor(); }
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerTimeRulerTextColor() const { return DefaultHeaderTextColor(); }
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerViewContentColor() const { return Rgb(255, 255, 213); }
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerViewSelectedTextColor() const {
  return DefaultSelectionTextColor();
}
TColor TvlCustomLookAndFeelPainter::DefaultSchedulerViewTextColor() const { return clWindowText; }
TColor TvlCustomLookAndFeelPainter::DefaultSelectionColor() const { return clHighlight; }
TColor TvlCustomLookAndFeelPainter::DefaultSelectionTextColor() const { return clHighlightText; }
TColor TvlCustomLookAndFeelPainter::DefaultSeparatorColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultTabColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultTabTextColor() const { return clBtnText; }
TColor TvlCustomLookAndFeelPainter::DefaultTabsBackgroundColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultTimeGridMajorScaleColor() const { return Rgb(255, 255, 255); }
TColor TvlCustomLookAndFeelPainter::DefaultTimeGridMajorScaleTextColor() const { return Rgb(0, 0, 0); }
TColor TvlCustomLookAndFeelPainter::DefaultTimeGridMinorScaleColor() const { return clBtnFace; }
TColor TvlCustomLookAndFeelPainter::DefaultTimeGridMinorScaleTextColor() const { return clBtnText; }
TColor TvlCustomLookAndFeelPainter::DefaultTimeGridSelectionBarColor() const { return Rgb(255, 255, 255); }
TColor TvlCustomLookAndFeelPainter::DefaultChartDiagramValueBorderColor() const { return Rgb(0, 0, 0); }
TColor TvlCustomLookAndFeelPainter::DefaultChartDiagramValueCaptionTextColor() const { return Rgb(0, 0, 0); }
TColor TvlCustomLookAndFeelPainter::DefaultChartHistogramAxisColor() const { return Rgb(0, 0, 0); }
TColor TvlCustomLookAndFeelPainter::DefaultChartHistogramGridLineColor() const { return Rgb(207, 207, 207); }
TColor TvlCustomLookAndFeelPainter::DefaultChartHistogramPlotColor() const { return Rgb(255, 255, 255); }
TColor TvlCustomLookAndFeelPainter::DefaultChartPieDiagramSeriesSiteBorderColor() const { return clBtnShadow; }
TColor TvlCustomLookAndFeelPainter::DefaultChartPieDiagramSeriesSiteCaptionColor() const {
  return Rgb(166, 202, 240);
}
TColor TvlCustomLookAndFeelPainter::DefaultChartPieDiagramSeriesSiteCaptionTextColor() const {
  return Rgb(0, 0, 128);
}
TColor TvlCustomLookAndFeelPainter::DefaultChartToolBoxDataLevelInfoBorderColor() const { return clBtnShadow; }
TColor TvlCustomLookAndFeelPainter::DefaultChartToolBoxItemSeparatorColor() const { return clBtnShadow; }

// --- Protected helpers -----------------------------------------------------------------------

void TvlCustomLookAndFeelPainter::DrawBackground(TvlCanvas* ACanvas, const TRect& R, TBitmap* ABackgroundBitmap,
                                                 TColor ABackgroundColor, Boolean ATransparent) const {
  if (!ATransparent)
    Fill(ACanvas, R, ABackgroundColor);
  else if (ABackgroundBitmap && !ABackgroundBitmap->Empty())
    ACanvas->FillRect(R, ABackgroundBitmap);
}

void TvlCustomLookAndFeelPainter::DrawDropDownTriangle(TvlCanvas* ACanvas, const TRect& R, TColor AColor) const {
  Integer w = (R.Right - R.Left) / 2;
  if (w % 2 == 0) --w;
  if (w <= 0) return;
  const Integer h = w / 2 + 1;
  const Integer x = (R.Left + R.Right - w) / 2;
  const Integer y = (R.Top + R.Bottom - h) / 2;
  ACanvas->Brush()->SetColor(AColor);
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->Polygon({TPoint{x, y}, TPoint{x + w - 1, y}, TPoint{x + w / 2, y + h - 1}});
}

void TvlCustomLookAndFeelPainter::DrawContent(TvlCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                              TvlButtonState AState, TAlignment AAlignmentHorz,
                                              TvlAlignmentVert AAlignmentVert, Boolean AMultiLine,
                                              Boolean AShowEndEllipsis, const String& AText, TFont* AFont,
                                              TColor ATextColor, TColor ABkColor,
                                              const TvlDrawBackgroundEvent& AOnDrawBackground,
                                              Boolean AIsFooter) const {
  if (!AOnDrawBackground || !AOnDrawBackground(ACanvas, ABounds)) Fill(ACanvas, ABounds, ABkColor);
  if (AText.empty()) return;
  ACanvas->Brush()->SetStyle(bsClear);
  if (AFont) ACanvas->SetFont(AFont);
  if (ATextColor != clNone) ACanvas->Font()->SetColor(ATextColor);
  ACanvas->DrawTexT(AText, ATextAreaBounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis);
  ACanvas->Brush()->SetStyle(bsSolid);
}

void TvlCustomLookAndFeelPainter::DrawFooterPanelBorder(TvlCanvas* ACanvas, const TRect& R,
                                                        TvlBorders ABorders) const {
  TRect r = R;
  r.Bottom = r.Top + FooterSeparatorSize();
  DrawFooterSeparator(ACanvas, r);
  r = R;
  r.Top += FooterSeparatorSize();
  DrawFooterBorder(ACanvas, r);
}

TRect TvlCustomLookAndFeelPainter::FooterCellContentBounds(const TRect& ABounds) const {
  return Deflated(ABounds, FooterCellBorderSize());
}

TRect TvlCustomLookAndFeelPainter::FooterCellTextAreaBounds(const TRect& ABounds) const {
  return Deflated(FooterCellContentBounds(ABounds), 2);
}

TRect TvlCustomLookAndFeelPainter::CenteredStripRect(const TRect& R, Integer ASize, Boolean AHorizontal) const {
  TRect r = R;
  if (AHorizontal) {
    r.Left = (R.Left + R.Right - ASize) / 2;
    r.Right = r.Left + ASize;
  } else {
    r.Top = (R.Top + R.Bottom - ASize) / 2;
    r.Bottom = r.Top + ASize;
  }
  return r;
}

// --- Start-up and shut-down -------------------------------------------------------------------

void vlLookAndFeelPaintersInitialize() {
  vlLookAndFeelResourcesLink();
  Registry = New<TvlExtendedStylePainters>();
  CreateIndicatorImages();
  vlUpdateScrollBarBitmaps();
  ComputeCheckGlyphSize();
}

void vlLookAndFeelPaintersFinalize() {
  FreeAndNil(ScrollBarBitmaps[0]);
  FreeAndNil(ScrollBarBitmaps[1]);
  FreeAndNil(IndicatorImages);
  FreeAndNil(Registry);
}

CL_UNIT_STEPS(vlLookAndFeelPainters, &vlLookAndFeelPaintersInitialize, &vlLookAndFeelPaintersFinalize);
