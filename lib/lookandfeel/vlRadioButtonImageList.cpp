#include "lib/lookandfeel/vlRadioButtonImageList.h"

#include <algorithm>

#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/nbOffice11.h"
#include "lib/lookandfeel/vlSystemPalette.h"
#include "platform/classes/ModuleInit.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Gdi.h"

CL_IMPLEMENT_CLASS(TvlRadioButtonImageList)

namespace {

// The painter kinds and button states by their ordinals.
constexpr Integer KindFlat = 0, KindStandard = 1, KindUltraFlat = 2, KindOffice11 = 3;
constexpr Integer StateNormal = 1, StateHot = 2, StatePressed = 3, StateDisabled = 4;
constexpr Integer ImageCount = 128;

TSize ButtonSize{};
std::vector<Integer> IndexMap;
TvlRadioButtonImageList* Instance = nullptr;

Integer MapIndex(Integer AKind, Integer AState, Boolean AChecked, Boolean AIsDesigning, Boolean AFocused) {
  return AState + 8 * AKind + 4 * (AChecked ? 1 : 0) + 32 * (AIsDesigning ? 1 : 0) + 64 * (AFocused ? 1 : 0) - 1;
}

// Resets the images on a system colour change (a primary notifier, told
// before the controls repaint).
class TvlRadioButtonImagesPaletteListener : public TObject {
  CL_CLASS(TvlRadioButtonImagesPaletteListener, TObject)
 public:
  void Create() {
    inherited::Create();
    FNotifier = New<TvlSystemPaletteChangedNotifier>(true);
    FNotifier->SetOnSystemPaletteChanged(
        TvlSystemPaletteChangedEvent(this, &TvlRadioButtonImagesPaletteListener::PaletteChanged));
  }
  void Destroy() override {
    FreeAndNil(FNotifier);
    inherited::Destroy();
  }
  void PaletteChanged() {
    if (Instance) Instance->Reset();
  }

 private:
  TvlSystemPaletteChangedNotifier* FNotifier{};
};
CL_IMPLEMENT_CLASS(TvlRadioButtonImagesPaletteListener)

TvlRadioButtonImagesPaletteListener* PaletteListener = nullptr;

TBitmap* NewBitmap(Integer AWidth, Integer AHeight, win::COLORREF AFill) {
  TBitmap* result = New<TBitmap>();
  result->SetPixelFormat(pf32bit);
  result->SetSize(AWidth, AHeight);
  win::HBRUSH brush = win::CreateSolidBrush(AFill);
  win::RECT r{0, 0, AWidth, AHeight};
  win::FillRect(result->Canvas()->Handle(), &r, brush);
  win::DeleteObject(brush);
  return result;
}

win::COLORREF PixelAt(TBitmap* ABitmap, Integer X, Integer Y) {
  return win::GetPixel(ABitmap->Canvas()->Handle(), X, Y) & 0xFFFFFF;
}

// A round rectangle whose corner ellipse is the whole rectangle less one
// pixel, in black pen and (when AFilled) black brush.
void BlackRoundRect(win::HDC DC, const TRect& R, Boolean AFilled) {
  win::HGDIOBJ pen = win::SelectObject(DC, win::GetStockObject(win::BLACK_PEN));
  win::HGDIOBJ brush = win::SelectObject(DC, win::GetStockObject(AFilled ? win::BLACK_BRUSH : win::NULL_BRUSH));
  win::RoundRect(DC, R.Left, R.Top, R.Right, R.Bottom, R.Right - R.Left - 1, R.Bottom - R.Top - 1);
  win::SelectObject(DC, pen);
  win::SelectObject(DC, brush);
}

struct TImageColors {
  TColor Codes[7];
};

TImageColors ImageColors(Integer AKind, Integer AState, Boolean AChecked, Boolean AIsDesigning, Boolean AFocused) {
  const Boolean disabled = AState == StateDisabled;
  TColor body;
  if (AKind == KindOffice11) {
    // the Office 2003 painter's button colour of the state
    switch (AState) {
      case StateNormal: body = clWindow; break;
      case StateHot: body = nbOffice11HotButtonColor; break;
      case StatePressed: body = nbOffice11PressedButtonColor; break;
      default: body = clBtnFace; break;
    }
  } else if (disabled)
    body = clBtnFace;
  else if (AKind == KindUltraFlat)
    body = AState == StateHot ? TColor(vlGetLighterHighlightColor())
           : AState == StatePressed ? TColor(vlGetLightHighlightColor())
                                    : clWindow;
  else
    body = AState == StatePressed ? clBtnFace : clWindow;

  const Boolean active = AFocused || AState == StateHot || AState == StatePressed;
  TImageColors result{};
  switch (AKind) {
    case KindFlat:
      result.Codes[1] = clBtnShadow;
      result.Codes[2] = clBtnHighlight;
      result.Codes[3] = cl3DLight;
      result.Codes[4] = cl3DLight;
      break;
    case KindStandard:
      result.Codes[1] = clBtnShadow;
      result.Codes[2] = clBtnHighlight;
      result.Codes[3] = cl3DDkShadow;
      result.Codes[4] = cl3DLight;
      break;
    case KindUltraFlat:
      result.Codes[1] = result.Codes[2] = active || (AIsDesigning && !disabled) ? clHighlight : clBtnShadow;
      result.Codes[3] = result.Codes[4] = body;
      break;
    default:
      result.Codes[1] = result.Codes[2] = disabled                   ? nbOffice11DisabledTextColor
                                          : active || AIsDesigning ? nbOffice11HighlightBorderColor
                                                                   : clBtnText;
      result.Codes[3] = result.Codes[4] = body;
      break;
  }
  result.Codes[5] = body;
  if (!AChecked)
    result.Codes[6] = body;
  else if (!disabled)
    result.Codes[6] = clWindowText;
  else
    result.Codes[6] = AKind == KindOffice11 ? nbOffice11DisabledTextColor : clBtnShadow;
  for (TColor& c : result.Codes) c = TColor(ColorToRGB(c));
  result.Codes[0] = 0;
  return result;
}

}  // namespace

void TvlRadioButtonImageList::Create() {
  inherited::Create();
  MeasureButton();
  FList = NewBy<TImageList>(&TImageList::CreateSize, ButtonSize.cx, ButtonSize.cy);
  FList->SetMasked(true);
  FList->SetImageType(itImage);
  FButtonMask = New<TBitmap>();
  FButtonMask->SetMonochrome(true);
  FButtonMask->SetSize(ButtonSize.cx, ButtonSize.cy);
  win::HDC dc = FButtonMask->Canvas()->Handle();
  win::RECT all{0, 0, ButtonSize.cx, ButtonSize.cy};
  win::FillRect(dc, &all, static_cast<win::HBRUSH>(win::GetStockObject(win::WHITE_BRUSH)));
  BlackRoundRect(dc, Rect(0, 0, ButtonSize.cx, ButtonSize.cy), true);
  BuildPattern();
}

void TvlRadioButtonImageList::Destroy() {
  FreeAndNil(FList);
  FreeAndNil(FButtonMask);
  inherited::Destroy();
}

void TvlRadioButtonImageList::MeasureButton() {
  // The cell of the system's check-box glyphs: 4 columns, 3 rows.
  win::HBITMAP glyphs = win::LoadBitmapW(nullptr, reinterpret_cast<win::LPCWSTR>(uintptr_t(win::OBM_CHECKBOXES)));
  win::BITMAP info{};
  vlGetBitmapInfo(glyphs, info);
  if (glyphs) win::DeleteObject(glyphs);
  const Integer cellWidth = info.bmWidth / 4, cellHeight = info.bmHeight / 3;

  TBitmap* cell = NewBitmap(cellWidth, cellHeight, 0);
  win::RECT r{0, 0, cellWidth, cellHeight};
  win::DrawFrameControl(cell->Canvas()->Handle(), &r, win::DFC_BUTTON, win::DFCS_BUTTONRADIOMASK | win::DFCS_FLAT);
  Integer firstColumn = -1, firstRow = -1, width = 0, height = 0;
  for (Integer x = 0; x < cellWidth; ++x)
    for (Integer y = 0; y < cellHeight; ++y)
      if (PixelAt(cell, x, y) == 0) {
        if (firstColumn < 0) firstColumn = x;
        ++width;
        break;
      }
  for (Integer y = 0; y < cellHeight; ++y)
    for (Integer x = 0; x < cellWidth; ++x)
      if (PixelAt(cell, x, y) == 0) {
        if (firstRow < 0) firstRow = y;
        ++height;
        break;
      }
  FRadioButtonRect = Rect(std::max(firstColumn, 0), std::max(firstRow, 0), std::max(firstColumn, 0) + width,
                          std::max(firstRow, 0) + height);
  ButtonSize = TSize{width, height};

  // The dot: the run of window-text pixels through the button's centre.
  win::HBRUSH black = static_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH));
  win::FillRect(cell->Canvas()->Handle(), &r, black);
  win::DrawFrameControl(cell->Canvas()->Handle(), &r, win::DFC_BUTTON,
                        win::DFCS_BUTTONRADIOIMAGE | win::DFCS_FLAT | win::DFCS_CHECKED);
  const win::COLORREF text = win::COLORREF(ColorToRGB(clWindowText));
  const Integer cx = FRadioButtonRect.Left + width / 2 - (width % 2 == 0 ? 1 : 0);
  const Integer cy = FRadioButtonRect.Top + height / 2 - (height % 2 == 0 ? 1 : 0);
  TRect check = Rect(cx, cy, cx, cy);
  if (width > 0 && height > 0 && PixelAt(cell, cx, cy) == text) {
    Integer top = cy, bottom = cy, left = cx, right = cx;
    while (top > FRadioButtonRect.Top && PixelAt(cell, cx, top - 1) == text) --top;
    while (bottom + 1 < FRadioButtonRect.Bottom && PixelAt(cell, cx, bottom + 1) == text) ++bottom;
    while (left > FRadioButtonRect.Left && PixelAt(cell, left - 1, cy) == text) --left;
    while (right + 1 < FRadioButtonRect.Right && PixelAt(cell, right + 1, cy) == text) ++right;
    check = Rect(left, top, right + 1, bottom + 1);
  }
  Free(cell);
  FRadioButtonCheckRect = Rect(check.Left - FRadioButtonRect.Left, check.Top - FRadioButtonRect.Top,
                               check.Right - FRadioButtonRect.Left, check.Bottom - FRadioButtonRect.Top);
}

void TvlRadioButtonImageList::BuildPattern() {
  const Integer w = ButtonSize.cx, h = ButtonSize.cy;
  FRadioButtonPattern.assign(size_t(h), std::vector<Byte>(size_t(w), 0));
  if (w <= 0 || h <= 0) return;
  auto code = [this](Integer i, Integer j) -> Byte& { return FRadioButtonPattern[size_t(i)][size_t(j)]; };
  // Below the diagonal from the top-right to the bottom-left corner: > 0.
  auto side = [w, h](Integer i, Integer j) { return i * (w - 1) - (h - 1) * (w - 1 - j); };
  const Integer midColumn = w / 2, midRow = h / 2;

  // 1. The outer ring: the outline of the mask's ellipse.
  TBitmap* outline = NewBitmap(w, h, 0xFFFFFF);
  BlackRoundRect(outline->Canvas()->Handle(), Rect(0, 0, w, h), false);
  for (Integer i = 0; i < h; ++i)
    for (Integer j = 0; j < w; ++j)
      if (PixelAt(outline, j, i) == 0) code(i, j) = side(i, j) > 0 ? 2 : 1;
  Free(outline);

  // 2. The body, row by row from the middle column.
  auto isOuter = [&](Integer i, Integer j) { return code(i, j) == 1 || code(i, j) == 2; };
  for (Integer i = 0; i < h; ++i) {
    if (code(i, midColumn) != 0) continue;
    for (Integer j = midColumn; j >= 0 && code(i, j) == 0; --j) code(i, j) = 5;
    for (Integer j = midColumn + 1; j < w && code(i, j) == 0; ++j) code(i, j) = 5;
  }

  // 3. The inner ring: the last body cell before the outer ring, walking
  // out from the middle along rows and columns; every walked cell of the
  // first and last inner row (column).
  auto innerCode = [&](Integer i, Integer j) -> Byte {
    const Integer s = side(i, j);
    if (s == 0) return j > midColumn ? 4 : 3;
    return s > 0 ? 4 : 3;
  };
  auto isInner = [&](Integer i, Integer j) { return !isOuter(i, j) && code(i, j) != 0; };
  std::vector<std::pair<Integer, Integer>> ring;
  auto walk = [&](Integer i0, Integer j0, Integer di, Integer dj, Boolean AWhole) {
    Integer i = i0, j = j0;
    if (!isInner(i, j)) return;
    while (true) {
      if (AWhole) ring.emplace_back(i, j);
      Integer ni = i + di, nj = j + dj;
      if (ni < 0 || nj < 0 || ni >= h || nj >= w || !isInner(ni, nj)) break;
      i = ni;
      j = nj;
    }
    if (!AWhole) ring.emplace_back(i, j);
  };
  Integer firstRow = -1, lastRow = -1, firstColumn = -1, lastColumn = -1;
  for (Integer i = 0; i < h; ++i)
    if (isInner(i, midColumn)) {
      if (firstRow < 0) firstRow = i;
      lastRow = i;
    }
  for (Integer j = 0; j < w; ++j)
    if (isInner(midRow, j)) {
      if (firstColumn < 0) firstColumn = j;
      lastColumn = j;
    }
  for (Integer i = 0; i < h; ++i) {
    const Boolean whole = i == firstRow || i == lastRow;
    walk(i, midColumn, 0, -1, whole);
    walk(i, midColumn, 0, 1, whole);
  }
  for (Integer j = 0; j < w; ++j) {
    const Boolean whole = j == firstColumn || j == lastColumn;
    walk(midRow, j, -1, 0, whole);
    walk(midRow, j, 1, 0, whole);
  }
  for (const auto& [i, j] : ring) code(i, j) = innerCode(i, j);

  // 4. The dot.
  TBitmap* dot = NewBitmap(w, h, 0xFFFFFF);
  BlackRoundRect(dot->Canvas()->Handle(), FRadioButtonCheckRect, true);
  for (Integer i = 0; i < h; ++i)
    for (Integer j = 0; j < w; ++j)
      if (PixelAt(dot, j, i) == 0) code(i, j) = 6;
  Free(dot);
}

void TvlRadioButtonImageList::Prepare() {
  if (FList->Count() > 0) return;
  const Integer w = ButtonSize.cx, h = ButtonSize.cy;
  if (w <= 0 || h <= 0) return;
  IndexMap.assign(ImageCount, -1);
  TBitmap* image = NewBitmap(w, h, 0);
  for (Boolean focused : {false, true})
    for (Boolean designing : {false, true})
      for (Integer kind = KindFlat; kind <= KindOffice11; ++kind)
        for (Boolean checked : {false, true})
          for (Integer state = StateNormal; state <= StateDisabled; ++state) {
            const TImageColors colors = ImageColors(kind, state, checked, designing, focused);
            for (Integer i = 0; i < h; ++i) {
              auto* row = static_cast<uint32_t*>(image->ScanLine(i));
              for (Integer j = 0; j < w; ++j) {
                const Cardinal c = Cardinal(colors.Codes[FRadioButtonPattern[size_t(i)][size_t(j)]]);
                // blue in the low byte
                row[j] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
              }
            }
            image->Modified();
            const Integer index = FList->Add(image, FButtonMask);
            const Integer key = MapIndex(kind, state, checked, designing, focused);
            if (key >= Integer(IndexMap.size())) IndexMap.resize(size_t(key) + 1, -1);
            IndexMap[size_t(key)] = index;
          }
  Free(image);
}

void TvlRadioButtonImageList::Reset() {
  FList->Clear();
  Prepare();
}

Integer TvlRadioButtonImageList::Count() const { return FList->Count(); }

TSize TvlRadioButtonImageList::GetSize() const { return TSize{FList->Width(), FList->Height()}; }

Integer TvlRadioButtonImageList::ImageIndex(TvlLookAndFeelKind AKind, TvlButtonState AState, Boolean AChecked,
                                            Boolean AIsDesigning, Boolean AFocused) {
  const Integer kind = std::clamp(Integer(AKind), KindFlat, KindOffice11);
  const Integer state = std::clamp(Integer(AState), StateNormal, StateDisabled);
  const Integer key = MapIndex(kind, state, AChecked, AIsDesigning, AFocused);
  return key < Integer(IndexMap.size()) ? IndexMap[size_t(key)] : -1;
}

void TvlRadioButtonImageList::Draw(TvlCanvas* ACanvas, Integer X, Integer Y, TColor ABrushColor,
                                   TvlLookAndFeelKind ALookAndFeelKind, TvlButtonState AButtonState,
                                   Boolean AChecked, Boolean AFocused, Boolean AIsDesigning) {
  Prepare();
  const Integer index = ImageIndex(ALookAndFeelKind, AButtonState, AChecked, AIsDesigning, AFocused);
  if (index < 0) return;
  if (ABrushColor == clDefault) {
    FList->Draw(ACanvas->Canvas(), X, Y, index);
    return;
  }
  TBitmap* bitmap = NewBitmap(ButtonSize.cx, ButtonSize.cy, win::COLORREF(ColorToRGB(ABrushColor)));
  FList->Draw(bitmap->Canvas(), 0, 0, index);
  ACanvas->Canvas()->Draw(X, Y, bitmap);
  Free(bitmap);
}

TvlRadioButtonImageList* vlGetRadioButtonImages() {
  if (!Instance) {
    Instance = New<TvlRadioButtonImageList>();
    Instance->Prepare();
  }
  return Instance;
}

void vlRadioButtonImageListInitialize() {
  if (!PaletteListener) PaletteListener = New<TvlRadioButtonImagesPaletteListener>();
}

void vlRadioButtonImageListFinalize() {
  FreeAndNil(PaletteListener);
  FreeAndNil(Instance);
  IndexMap.clear();
}

CL_UNIT_STEPS(vlRadioButtonImageList, &vlRadioButtonImageListInitialize, &vlRadioButtonImageListFinalize);
