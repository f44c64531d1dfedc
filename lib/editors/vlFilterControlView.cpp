// The filter builder's layout, painting and hit tests: every row is one
// line of clickable text parts; values are painted by editor view infos of
// the item's editor kind; everything is drawn off-screen and copied once.
#include <algorithm>

#include "lib/editors/vlEdit.h"
#include "lib/data/vlFilterConsts.h"
#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlFilterControl.h"
#include "lib/editors/vlFilterControlConsts.h"
#include "lib/editors/vlTextEditProperties.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"

namespace {

// Filled by Localize, shared by every builder.
String gOperatorCaptions[fcoInFuture + 1];
String gBoolOperatorCaptions[fboNotOr + 1];

// The dotted-line brush: an 8 x 8 checkerboard, black where column and row
// have the same parity.
win::HBRUSH gDottedBrush = nullptr;
win::HBITMAP gDottedBitmap = nullptr;

void Startup() {
  if (gDottedBrush) return;
  // Monochrome rows are word-aligned: 16 bits per row, 8 used.
  win::WORD Bits[8];
  for (Integer Row = 0; Row < 8; ++Row) Bits[Row] = Row % 2 == 0 ? 0x55 : 0xAA;
  gDottedBitmap = win::CreateBitmap(8, 8, 1, 1, Bits);
  gDottedBrush = win::CreatePatternBrush(gDottedBitmap);
}

void Shutdown() {
  if (gDottedBrush) win::DeleteObject(gDottedBrush);
  if (gDottedBitmap) win::DeleteObject(gDottedBitmap);
  gDottedBrush = nullptr;
  gDottedBitmap = nullptr;
  for (String& S : gOperatorCaptions) S.clear();
  for (String& S : gBoolOperatorCaptions) S.clear();
}

Boolean InRect(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

Boolean IsEmptyRect(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }

// A rectangle of the size given, its left at ALeft, centred vertically in the row.
TRect Centred(Integer ALeft, Integer AWidth, Integer AHeight, const TRect& ARow, Integer ARowHeight) {
  const Integer Top = ARow.Top + (ARowHeight - AHeight) / 2;
  return TRect{ALeft, Top, ALeft + AWidth, Top + AHeight};
}

Boolean IsBetween(TvlFilterControlOperator O) { return O == fcoBetween || O == fcoNotBetween; }
Boolean IsInList(TvlFilterControlOperator O) { return O == fcoInList || O == fcoNotInList; }

TSize TextSize(TvlCanvas* ACanvas, TFont* AFont, const String& AText) {
  ACanvas->SetFont(AFont);
  return ACanvas->TextExtent(AText);
}

}  // namespace

CL_UNIT_STEPS(vlFilterControl, &Startup, &Shutdown);

String vlFilterControlOperatorCaption(TvlFilterControlOperator AOperator) {
  // Before the first window localizes the table the resource text itself serves.
  return AOperator == fcoNone || !gOperatorCaptions[AOperator].empty() ? gOperatorCaptions[AOperator]
                                                                       : vlGetFilterControlOperatorText(AOperator);
}

String vlFilterControlBoolOperatorCaption(TvlFilterBoolOperatorKind AOperator) {
  return AOperator <= fboNotOr ? gBoolOperatorCaptions[AOperator] : String();
}

void vlFilterControlLocalizeCaptions() {
  for (Integer O = fcoNone; O <= fcoInFuture; ++O)
    gOperatorCaptions[O] = vlGetFilterControlOperatorText(TvlFilterControlOperator(O));
  gBoolOperatorCaptions[fboAnd] = vlGetResourceStringText(vlSFilterBoolOperatorAnd);
  gBoolOperatorCaptions[fboOr] = vlGetResourceStringText(vlSFilterBoolOperatorOr);
  gBoolOperatorCaptions[fboNotAnd] = vlGetResourceStringText(vlSFilterBoolOperatorNotAnd);
  gBoolOperatorCaptions[fboNotOr] = vlGetResourceStringText(vlSFilterBoolOperatorNotOr);
}

// --- Rows ------------------------------------------------------------------------------------------

Integer TvlCustomRowViewInfo::GetRowWidth() { return FButtonRect.Width() + FIndent + 5; }

void TvlCustomRowViewInfo::Calc(const TRect& ARowRect) {
  TvlFilterControlViewInfo* VI = FControl->ViewInfo();
  TvlCanvas* C = VI->Canvas();
  const Integer H = VI->RowHeight();
  FRowRect = ARowRect;
  FLevel = 0;
  for (TvlGroupViewInfo* P = FParent; P; P = P->Parent()) ++FLevel;
  FButtonText = FParent ? String(u"...") : vlGetResourceStringText(vlSFilterRootButtonCaption);
  FIndent = H * FLevel;
  C->SetFont(FControl->Font());
  const Integer W = FParent ? C->TextWidth(u"0") * Integer(FButtonText.size()) : C->TextWidth(FButtonText + u"00");
  FButtonRect = Centred(FRowRect.Left + FIndent + 4, W, H - 4, FRowRect, H);
  const TvlFilterControlHitTestInfo& Focused = FControl->FocusedInfo();
  const TvlFilterControlHitTestInfo& Hot = FControl->HotTrack();
  if (!VI->Enabled())
    FButtonState = vlbsDisabled;
  else if (Focused.Row == this && Focused.HitTest == fhtButton)
    FButtonState = vlbsDefault;
  else if (FControl->HotTrackAllowed() && Hot.Row == this && Hot.HitTest == fhtButton)
    FButtonState = vlbsHot;
  else
    FButtonState = vlbsNormal;
}

void TvlCustomRowViewInfo::GetHitTestInfo(const TPoint& P, TvlFilterControlHitTestInfo& HitInfo) {
  HitInfo.Row = this;
  if (InRect(FButtonRect, P)) HitInfo.HitTest = fhtButton;
}

Integer TvlGroupViewInfo::GetRowWidth() {
  return inherited::GetRowWidth() + FBoolOperatorRect.Width() + FCaptionRect.Width() + 16;
}

void TvlGroupViewInfo::Calc(const TRect& ARowRect) {
  inherited::Calc(ARowRect);
  TvlFilterControlViewInfo* VI = FControl->ViewInfo();
  const Integer H = VI->RowHeight();
  FBoolOperatorText = vlFilterControlBoolOperatorCaption(FBoolOperator);
  TSize S = TextSize(VI->Canvas(), FControl->FontBoolOperator(), FBoolOperatorText);
  FBoolOperatorRect = Centred(FButtonRect.Right + 8, S.cx + 2, S.cy + 2, FRowRect, H);
  S = TextSize(VI->Canvas(), FControl->Font(), FCaption);
  FCaptionRect = Centred(FBoolOperatorRect.Right + 8, S.cx + 2, S.cy + 2, FRowRect, H);
}

void TvlGroupViewInfo::GetHitTestInfo(const TPoint& P, TvlFilterControlHitTestInfo& HitInfo) {
  inherited::GetHitTestInfo(P, HitInfo);
  if (HitInfo.HitTest == fhtNone && InRect(FBoolOperatorRect, P)) HitInfo.HitTest = fhtBoolOperator;
}

Integer TvlConditionViewInfo::GetRowWidth() {
  return inherited::GetRowWidth() + FItemRect.Width() + FOperatorRect.Width() + GetValuesWidth() + 16;
}

Integer TvlConditionViewInfo::GetValuesWidth() {
  if (!ShowsValues() || FValues->Count() == 0) return 0;
  if (IsInList(FOperator)) return FValues->AddButtonRect().Right - FOperatorRect.Right;
  return FValues->Values(FValues->Count() - 1)->ValueRect().Right - FOperatorRect.Right;
}

void TvlConditionViewInfo::Calc(const TRect& ARowRect) {
  inherited::Calc(ARowRect);
  TvlFilterControlViewInfo* VI = FControl->ViewInfo();
  const Integer H = VI->RowHeight();
  TSize S = TextSize(VI->Canvas(), FControl->FontItem(), FItemText);
  FItemRect = Centred(FButtonRect.Right + 8, S.cx + 2, S.cy + 2, FRowRect, H);
  FOperatorText = vlFilterControlOperatorCaption(FOperator);
  S = TextSize(VI->Canvas(), FControl->FontCondition(), FOperatorText);
  FOperatorRect = Centred(FItemRect.Right + 8, S.cx + 2, S.cy + 2, FRowRect, H);
  FValues->Calc();
}

void TvlConditionViewInfo::GetHitTestInfo(const TPoint& P, TvlFilterControlHitTestInfo& HitInfo) {
  inherited::GetHitTestInfo(P, HitInfo);
  if (HitInfo.HitTest != fhtNone) return;
  if (InRect(FItemRect, P))
    HitInfo.HitTest = fhtItem;
  else if (InRect(FOperatorRect, P))
    HitInfo.HitTest = fhtOperator;
  else
    FValues->GetHitTestInfo(P, HitInfo);
}

void TvlValuesViewInfo::GetHitTestInfo(const TPoint& P, TvlFilterControlHitTestInfo& HitInfo) {
  if (InRect(FAddButtonRect, P)) {
    HitInfo.HitTest = fhtAddValue;
    return;
  }
  for (Integer I = 0; I < Count(); ++I)
    if (InRect(FList[size_t(I)]->FValueRect, P)) {
      HitInfo.HitTest = fhtValue;
      HitInfo.ValueIndex = I;
      return;
    }
}

void TvlValuesViewInfo::Calc() {
  TvlCustomFilterControl* Control = FCondition->Control();
  TvlFilterControlViewInfo* VI = Control->ViewInfo();
  TvlCanvas* C = VI->Canvas();
  const Integer H = VI->RowHeight();
  const TvlFilterControlOperator Op = FCondition->Operator();
  FAddButtonRect = TRect{};
  if (!FCondition->ShowsValues()) {
    for (TvlValueInfo* V : FList) V->FValueRect = TRect{};
    return;
  }
  const TRect& RowRect = FCondition->RowRect();
  Integer X = FCondition->OperatorRect().Right + 8;
  FSeparator.clear();
  if (IsBetween(Op)) FSeparator = vlGetResourceStringText(vlSFilterAndCaption);
  if (IsInList(Op)) {
    X += TextSize(C, Control->FontValue(), u"(").cx;
    FSeparator = u", ";
  }
  const Integer SeparatorWidth = FSeparator.empty() ? 0 : TextSize(C, Control->FontValue(), FSeparator).cx;
  TvlCustomEditStyle* Style = Control->ValueEditorStyle();
  const TvlFilterControlHitTestInfo& Hot = Control->HotTrack();
  const TvlFilterControlHitTestInfo& Focused = Control->FocusedInfo();
  const Boolean HasFocus = Control->Focused() || (Control->ValueEditor() && Control->ValueEditor()->Focused());
  for (Integer I = 0; I < Count(); ++I) {
    TvlValueInfo* V = FList[size_t(I)];
    const Boolean IsNull = VarIsNull(V->FValue);
    TvlCustomEditProperties* P = IsNull ? Control->DefaultValueProperties() : FCondition->EditorProperties();
    Variant Shown;
    if (IsNull)
      Shown = Variant(Control->NullString());
    else if (FCondition->EditorHelper()->UseDisplayValue())
      Shown = Variant(V->FValueText);
    else
      Shown = V->FValue;
    const Boolean Highlighted =
        Control->HotTrackAllowed() &&
        ((Hot.Row == FCondition && Hot.HitTest == fhtValue && Hot.ValueIndex == I && Control->State() == fcsNormal) ||
         (HasFocus && Focused.Row == FCondition && Focused.HitTest == fhtValue && Focused.ValueIndex == I));
    Style->Font()->SetColor(VI->Enabled() ? Control->FontValue()->Color() : clBtnShadow);
    Style->SetButtonTransparency(Highlighted ? ebtNone : ebtHideInactive);
    Style->SetColor(Highlighted ? clWindow : VI->Painter()->ContentColor());
    P->BeginUpdate();
    IvlEditDefaultValuesProvider* Provider = P->IDefaultValuesProvider();
    P->SetIDefaultValuesProvider(nullptr);
    Finally Restore([&] {
      P->SetIDefaultValuesProvider(Provider);
      P->EndUpdate(false);
    });
    FreeAndNil(V->FValueViewInfo);
    V->FValueViewInfo = CreateFrom(P->GetViewInfoClass(), &TvlCustomEditViewInfo::Create);
    TvlCustomEditViewData* Data = P->CreateViewData(Style, true);
    Finally FreeData([&] { Free(Data); });
    Data->Enabled = VI->Enabled();
    TvlEditSizeProperties SizeProperties;
    SizeProperties.MaxLineCount = 1;
    TSize Size = Data->GetEditSize(C, Shown, SizeProperties);
    if (Highlighted) Size.cx = std::max(Size.cx, VI->MinValueWidth());
    V->FValueRect = Centred(X, Size.cx, Size.cy, RowRect, H);
    TvlCustomFilterEditHelperClass Helper = vlFilterEditsController()->FindHelper(P->ClassType());
    if (!Helper || !Helper->EditPropertiesHasButtons()) Data->ButtonVisibleCount = 0;
    Data->EditValueToDrawValue(C, Shown, V->FValueViewInfo);
    Data->CalculateEx(C, V->FValueRect, TPoint{-1, -1}, vlmbNone, TShiftState{}, V->FValueViewInfo, false);
    X += Size.cx + (IsBetween(Op) || IsInList(Op) ? SeparatorWidth + 8 : 4);
  }
  if (IsInList(Op) && Count() > 0) {
    C->SetFont(Control->FontValue());
    const Integer Left = FList.back()->FValueRect.Right + C->TextWidth(u")0");
    FAddButtonRect = Centred(Left, C->TextWidth(u"000"), H - 4, RowRect, H);
    if (!VI->Enabled())
      FAddButtonState = vlbsDisabled;
    else if (Focused.Row == FCondition && Focused.HitTest == fhtAddValue)
      FAddButtonState = vlbsDefault;
    else if (Control->HotTrackAllowed() && Hot.Row == FCondition && Hot.HitTest == fhtAddValue)
      FAddButtonState = vlbsHot;
    else
      FAddButtonState = vlbsNormal;
  }
}

// --- Painter -------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterControlPainter)

void TvlFilterControlPainter::Create(TvlCustomFilterControl* AControl) { FControl = AControl; }

TColor TvlFilterControlPainter::ContentColor() {
  TvlCustomLookAndFeelPainterClass Skin = FControl->LookAndFeel()->SkinPainter();
  if (Skin) {
    const TColor C = Skin->DefaultContentColor();
    if (C != clDefault) return C;
  }
  return FControl->Color();
}

void TvlFilterControlPainter::DrawRow(TvlCustomRowViewInfo* ARow) {
  TvlFilterControlViewInfo* VI = FControl->ViewInfo();
  TvlCanvas* C = VI->Canvas();
  TvlCustomLookAndFeelPainterClass LF = FControl->LookAndFeel()->Painter();
  // The texts are drawn with a clear brush; the next row (and the
  // add-condition button) gets the brush style back, or a button border
  // filled with the brush would not show.
  const TBrushStyle SavedStyle = C->Brush()->Style();
  Finally RestoreStyle([&] { C->Brush()->SetStyle(SavedStyle); });
  C->FillRect(ARow->RowRect(), ContentColor());
  C->SetFont(FControl->Font());
  LF->DrawButton(C, ARow->ButtonRect(), ARow->ButtonText(), ARow->ButtonState());
  C->Brush()->SetStyle(bsClear);
  if (auto* G = dynamic_cast<TvlGroupViewInfo*>(ARow)) {
    C->SetFont(FControl->Font());
    VI->DrawTextAt(G->Caption(), G->CaptionRect().Left, G->CaptionRect().Top + 1);
    C->SetFont(FControl->FontBoolOperator());
    VI->DrawTextAt(G->BoolOperatorText(), G->BoolOperatorRect().Left + 1, G->BoolOperatorRect().Top + 1);
  } else {
    auto* Cond = static_cast<TvlConditionViewInfo*>(ARow);
    C->SetFont(FControl->FontItem());
    VI->DrawTextAt(Cond->ItemText(), Cond->ItemRect().Left + 1, Cond->ItemRect().Top + 1);
    C->SetFont(FControl->FontCondition());
    VI->DrawTextAt(Cond->OperatorText(), Cond->OperatorRect().Left + 1, Cond->OperatorRect().Top + 1);
    TvlValuesViewInfo* Values = Cond->Values();
    if (Cond->ShowsValues() && Values->Count() > 0) {
      const TvlFilterControlOperator Op = Cond->Operator();
      for (Integer I = 0; I < Values->Count(); ++I) {
        TvlValueInfo* V = Values->Values(I);
        if (V->ValueViewInfo()) V->ValueViewInfo()->PaintEx(C);
        C->Brush()->SetStyle(bsClear);
        const Boolean Last = I == Values->Count() - 1;
        if (IsBetween(Op) && !Last) {
          C->SetFont(FControl->FontCondition());
          VI->DrawTextAt(Values->Separator(), V->ValueRect().Right + 4, V->ValueRect().Top + 1);
        } else if (IsInList(Op) && !Last) {
          C->SetFont(FControl->FontValue());
          VI->DrawTextAt(Values->Separator(), V->ValueRect().Right + 2, V->ValueRect().Top + 1);
        }
      }
      if (IsInList(Op)) {
        C->SetFont(FControl->FontValue());
        VI->DrawTextAt(u"(", Cond->OperatorRect().Right + 4, Cond->OperatorRect().Top);
        TvlValueInfo* LastValue = Values->Values(Values->Count() - 1);
        VI->DrawTextAt(u")", LastValue->ValueRect().Right + 3, LastValue->ValueRect().Top + 1);
        C->Brush()->SetStyle(SavedStyle);
        LF->DrawButton(C, Values->AddButtonRect(), u"+", Values->AddButtonState());
      }
    }
  }
  if (FControl->ShowLevelLines() && ARow->Level() > 0) DrawLevelLines(ARow);
}

void TvlFilterControlPainter::DrawLevelLines(TvlCustomRowViewInfo* ARow) {
  TvlCanvas* C = FControl->ViewInfo()->Canvas();
  const Integer W = ARow->ButtonRect().Width() / 2;
  const Integer H = FControl->ViewInfo()->RowHeight() / 2;
  const Integer T = ARow->RowRect().Top;
  std::vector<TRect> Lines;
  const Integer X = ARow->Parent()->ButtonRect().Left + W;
  Lines.push_back(Bounds(X, T, 1, H));
  if (!ARow->IsLast()) Lines.push_back(Bounds(X, T + H, 1, H + 1));
  Lines.push_back(TRect{X, T + H, ARow->ButtonRect().Left - 3, T + H + 1});
  for (TvlCustomRowViewInfo* A = ARow->Parent(); A && A->Parent(); A = A->Parent())
    if (!A->IsLast()) Lines.push_back(Bounds(A->Parent()->ButtonRect().Left + W, T, 1, ARow->RowRect().Height()));
  // The brush's black pixels take the text colour, its white ones the background colour.
  win::HDC DC = C->Handle();
  const win::COLORREF OldBack = win::SetBkColor(DC, win::COLORREF(ColorToRGB(cl3DDkShadow)));
  const win::COLORREF OldText = win::SetTextColor(DC, win::COLORREF(ColorToRGB(ContentColor())));
  for (const TRect& R : Lines) {
    win::RECT WR{R.Left, R.Top, R.Right, R.Bottom};
    if (WR.right > WR.left && WR.bottom > WR.top) win::FillRect(DC, &WR, gDottedBrush);
  }
  win::SetBkColor(DC, OldBack);
  win::SetTextColor(DC, OldText);
}

// --- View info ---------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterControlViewInfo)

void TvlFilterControlViewInfo::Create(TvlCustomFilterControl* AControl) {
  FControl = AControl;
  FPainter = CreateFrom(GetPainterClass(), &TvlFilterControlPainter::Create, AControl);
  FBitmap = New<TBitmap>();
  FBitmap->SetPixelFormat(pf32bit);
  FBitmapCanvas = New<TvlCanvas>(FBitmap->Canvas());
}

void TvlFilterControlViewInfo::Destroy() {
  FreeAndNil(FBitmapCanvas);
  FreeAndNil(FBitmap);
  FreeAndNil(FPainter);
  inherited::Destroy();
}

TvlFilterControlPainterClass TvlFilterControlViewInfo::GetPainterClass() {
  return ClassOf<TvlFilterControlPainter>();
}

void TvlFilterControlViewInfo::Calc() {
  FBitmap->SetSize(std::max(FControl->Width(), 1), std::max(FControl->Height(), 1));
  FEnabled = FControl->HasItems() && FControl->Enabled();
  TvlCanvas* C = FBitmapCanvas;
  FRowHeight = C->FontHeight(FControl->Font());
  C->SetFont(FControl->Font());
  FMinValueWidth = 12 * C->TextWidth(u"0");
  for (Integer I = 0; I < 3; ++I) FRowHeight = std::max(FRowHeight, C->FontHeight(FControl->PartFont(I)));
  TvlEditSizeProperties SizeProperties;
  SizeProperties.MaxLineCount = 1;
  SizeProperties.Width = 10;
  TvlCustomEditStyle* Style = FControl->ValueEditorStyle();
  const Integer ValueHeight =
      FControl->DefaultValueProperties()->GetEditSize(C, Style, true, Variant(u"Yy"), SizeProperties).cy;
  FRowHeight = MulDiv(std::max(FRowHeight, ValueHeight), 3, 2);
  const TRect Client = FControl->ClientBounds();
  TRect R{Client.Left - FControl->LeftOffset(), Client.Top, Client.Right, Client.Top + FRowHeight};
  R.Top -= FControl->TopVisibleRow() * FRowHeight;
  R.Bottom -= FControl->TopVisibleRow() * FRowHeight;
  FMaxRowWidth = 0;
  TvlCustomRowViewInfo* Last = nullptr;
  for (Integer I = 0; I < FControl->RowCount(); ++I) {
    Last = FControl->Rows(I);
    Last->Calc(R);
    FMaxRowWidth = std::max(FMaxRowWidth, Last->GetRowWidth());
    R.Top += FRowHeight;
    R.Bottom += FRowHeight;
  }
  const Integer Indent = Last ? Last->Indent() : 0;
  C->SetFont(FControl->Font());
  const Integer W = C->TextWidth(FAddConditionCaption + u"00");
  FAddConditionRect = Centred(R.Left + Indent + 4, W, FRowHeight - 4, R, FRowHeight);
  FMaxRowWidth = std::max(FMaxRowWidth, W + Indent + 4);
  UpdateAddConditionState();
  CalcFocusRect();
}

void TvlFilterControlViewInfo::UpdateAddConditionState() {
  if (!FEnabled)
    FButtonState = vlbsDisabled;
  else if (FControl->FocusedInfo().HitTest == fhtAddCondition)
    FButtonState = vlbsDefault;
  else if (FControl->HotTrackAllowed() && FControl->HotTrack().HitTest == fhtAddCondition)
    FButtonState = vlbsHot;
  else
    FButtonState = vlbsNormal;
}

void TvlFilterControlViewInfo::CalcFocusRect() {
  if (!FControl->HasItems()) {
    FFocusRect = vlInflateRectBy(FControl->ClientBounds(), -2, -2);
    return;
  }
  const TvlFilterControlHitTestInfo& F = FControl->FocusedInfo();
  TRect R{};
  auto* Cond = dynamic_cast<TvlConditionViewInfo*>(F.Row);
  switch (F.HitTest) {
    case fhtBoolOperator:
      if (auto* G = dynamic_cast<TvlGroupViewInfo*>(F.Row)) R = G->BoolOperatorRect();
      break;
    case fhtItem:
      if (Cond) R = Cond->ItemRect();
      break;
    case fhtOperator:
      if (Cond) R = Cond->OperatorRect();
      break;
    case fhtValue:
      if (Cond && F.ValueIndex >= 0 && F.ValueIndex < Cond->Values()->Count())
        R = Cond->Values()->Values(F.ValueIndex)->ValueRect();
      break;
    default:
      break;
  }
  FFocusRect = IsEmptyRect(R) ? TRect{} : vlInflateRectBy(R, 1, 1);
}

void TvlFilterControlViewInfo::GetHitTestInfo(TShiftState AShift, const TPoint& P,
                                              TvlFilterControlHitTestInfo& HitInfo) {
  HitInfo = TvlFilterControlHitTestInfo{};
  HitInfo.Mouse = P;
  HitInfo.Shift = AShift;
  HitInfo.Row = FControl->FocusedInfo().Row ? FControl->FocusedInfo().Row : FControl->Root();
  HitInfo.ValueIndex = -1;
  if (!InRect(FControl->ClientBounds(), P)) return;
  if (InRect(FAddConditionRect, P)) {
    HitInfo.HitTest = fhtAddCondition;
    return;
  }
  for (Integer I = std::max(FControl->TopVisibleRow(), 0); I < FControl->RowCount(); ++I) {
    TvlCustomRowViewInfo* Row = FControl->Rows(I);
    if (InRect(Row->RowRect(), P)) {
      Row->GetHitTestInfo(P, HitInfo);
      return;
    }
  }
}

void TvlFilterControlViewInfo::DrawTextAt(const String& AText, Integer X, Integer Y) {
  TvlCanvas* C = FBitmapCanvas;
  C->Brush()->SetStyle(bsClear);
  if (!FEnabled) {
    const TColor Saved = C->Font()->Color();
    C->Font()->SetColor(clBtnHighlight);
    C->Canvas()->TextOut(X + 1, Y + 1, AText);
    C->Font()->SetColor(clBtnShadow);
    C->Canvas()->TextOut(X, Y, AText);
    C->Font()->SetColor(Saved);
  } else {
    C->Canvas()->TextOut(X, Y, AText);
  }
}

void TvlFilterControlViewInfo::Paint() {
  TvlCanvas* C = FBitmapCanvas;
  const TRect Client = FControl->ClientBounds();
  C->FillRect(Client, FPainter->ContentColor());
  for (Integer I = std::max(FControl->TopVisibleRow(), 0); I < FControl->RowCount(); ++I) {
    TvlCustomRowViewInfo* Row = FControl->Rows(I);
    if (C->RectVisible(Row->RowRect())) FPainter->DrawRow(Row);
    if (Row->RowRect().Top > Client.Bottom) break;
  }
  TvlCustomLookAndFeelPainterClass LF = FControl->LookAndFeel()->Painter();
  C->SetFont(FControl->Font());
  LF->DrawButton(C, FAddConditionRect, FAddConditionCaption, FButtonState);
  const Boolean HasFocus = FControl->Focused() || FControl->PartHasFocus();
  if (!IsEmptyRect(FFocusRect) && HasFocus) C->DrawFocusRect(FFocusRect);
  LF->DrawBorder(C, FControl->Bounds());
  FControl->Canvas()->Canvas()->Draw(0, 0, FBitmap);
}

void TvlFilterControlViewInfo::InvalidateRow(TvlCustomRowViewInfo* ARow) {
  if (!ARow) return;
  ARow->Calc(ARow->RowRect());
  FControl->InvalidateRect(ARow->RowRect(), false);
}

void TvlFilterControlViewInfo::Update() {
  const TvlButtonState Old = FButtonState;
  UpdateAddConditionState();
  CalcFocusRect();
  if (Old != FButtonState) FControl->InvalidateRect(FAddConditionRect, true);
}

TvlFilterControlViewInfoClass TvlCustomFilterControl::GetViewInfoClass() {
  return ClassOf<TvlFilterControlViewInfo>();
}
