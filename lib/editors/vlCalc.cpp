#include "lib/editors/vlCalc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>

#include "lib/editors/vlEditConsts.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// The layout of the default size: a button height of 22 scales everything.
constexpr Integer kBaseButtonHeight = 22;
constexpr Integer kBaseButtonWidth = 28;
constexpr Integer kBaseGap = 3;
constexpr Integer kBaseFontSize = 8;
constexpr Integer kDefaultWidth = 198, kDefaultHeight = 131;
// Bold captions from this font size up.
constexpr Integer kBoldAboveFontSize = 9;
// The focus rectangle sits this far inside the "=" button.
constexpr Integer kFocusRectInset = 3;

const char16_t* const kCaptions[27] = {u"Back", u"CE", u"C",  u"MC", u"MR", u"MS",   u"M+",  u"0",   u"1",
                                       u"2",    u"3",  u"4",  u"5",  u"6",  u"7",    u"8",   u"9",   u"+/-",
                                       u",",    u"/",  u"*",  u"-",  u"+",  u"sqrt", u"%",   u"1/x", u"="};

// Rows 1 to 4: the memory column, then pad columns 0 to 4.
const TvlCalcButtonKind kGrid[4][6] = {
    {cbMC, cbNum7, cbNum8, cbNum9, cbDiv, cbSqrt},
    {cbMR, cbNum4, cbNum5, cbNum6, cbMul, cbPercent},
    {cbMS, cbNum1, cbNum2, cbNum3, cbSub, cbRev},
    {cbMP, cbNum0, cbSign, cbDecimal, cbAdd, cbEqual},
};

Boolean IsArithmetic(TvlCalcButtonKind K) { return K == cbDiv || K == cbMul || K == cbSub || K == cbAdd; }

Boolean IsDigit(TvlCalcButtonKind K) { return K >= cbNum0 && K <= cbNum9; }

String RemoveAll(const String& S, const String& What) {
  if (What.empty()) return S;
  String out;
  for (size_t i = 0; i < S.size();) {
    if (S.compare(i, What.size(), What) == 0) {
      i += What.size();
    } else {
      out += S[i];
      ++i;
    }
  }
  return out;
}

}  // namespace

// --- Number conversions ---------------------------------------------------------------------------

// The platform's general format (fixed notation while the decimal exponent
// lies in -3 .. Precision, else "d.dddE[-]n"), from the digits of the
// long double rounded to Precision significant digits.
String vlCalcFloatToText(Extended AValue, Integer APrecision) {
  if (!std::isfinite(AValue)) return AValue != AValue ? u"NAN" : (AValue < 0 ? u"-INF" : u"INF");
  APrecision = std::clamp<Integer>(APrecision, 1, 18);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*Le", int(APrecision - 1), std::fabs(AValue));
  std::string digits;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  const int exp10 = *p == 'e' ? std::atoi(p + 1) : 0;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (digits.empty()) return u"0";
  const Char sep = FormatSettings().DecimalSeparator ? FormatSettings().DecimalSeparator : u'.';
  const Integer count = Integer(digits.size());
  const Integer exponent = exp10 + 1;  // value = 0.digits * 10^exponent
  String s;
  if (AValue < 0) s += u'-';
  if (exponent > APrecision || exponent < -3) {
    s += Char(digits[0]);
    if (count > 1) {
      s += sep;
      for (Integer i = 1; i < count; ++i) s += Char(digits[size_t(i)]);
    }
    s += u'E';
    if (exp10 < 0) s += u'-';
    s += UTF8ToUTF16(std::to_string(std::abs(exp10)));
    return s;
  }
  if (exponent <= 0) {
    s += u'0';
    s += sep;
    s.append(size_t(-exponent), u'0');
    for (char c : digits) s += Char(c);
    return s;
  }
  for (Integer i = 0; i < exponent; ++i) s += i < count ? Char(digits[size_t(i)]) : u'0';
  if (count > exponent) {
    s += sep;
    for (Integer i = exponent; i < count; ++i) s += Char(digits[size_t(i)]);
  }
  return s;
}

namespace {

// [sign] digits [separator digits] [E [sign] digits], with a digit before
// or after the separator: the float syntax of the platform's conversion,
// checked here so that values beyond the double range still read.
Boolean IsFloatText(const String& S, Char Sep) {
  size_t i = 0;
  auto digits = [&] {
    const size_t from = i;
    while (i < S.size() && S[i] >= u'0' && S[i] <= u'9') ++i;
    return i - from;
  };
  if (i < S.size() && (S[i] == u'-' || S[i] == u'+')) ++i;
  size_t mantissa = digits();
  if (i < S.size() && S[i] == Sep) {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < S.size() && (S[i] == u'E' || S[i] == u'e')) {
    ++i;
    if (i < S.size() && (S[i] == u'-' || S[i] == u'+')) ++i;
    if (digits() == 0) return false;
  }
  return i == S.size();
}

}  // namespace

namespace {

enum class TTextNumber { Number, NoNumber, BeyondRange };

TTextNumber ReadFloatText(const String& AText, Extended& AValue) {
  const TFormatSettings& fs = FormatSettings();
  String s = Trim(AText);
  if (fs.ThousandSeparator) s = RemoveAll(s, String(1, fs.ThousandSeparator));
  if (!IsFloatText(s, fs.DecimalSeparator)) return TTextNumber::NoNumber;
  std::string ascii;
  for (Char c : s) ascii += c == fs.DecimalSeparator ? '.' : char(c);
  std::istringstream in(ascii);
  in.imbue(std::locale::classic());
  Extended v = 0;
  in >> v;
  // The syntax is checked above: a failed read is an overflow.
  if (in.fail() || !std::isfinite(v)) return TTextNumber::BeyondRange;
  AValue = v;
  return TTextNumber::Number;
}

}  // namespace

Boolean vlCalcTextToFloat(const String& AText, Extended& AValue) {
  return ReadFloatText(AText, AValue) == TTextNumber::Number;
}

// --- TvlCustomCalculator --------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCustomCalculator, P) {
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
}

void TvlCustomCalculator::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FAutoFontSize = true;
  FBeepOnError = true;
  FBorderStyle = bsNone;
  FFocusRectVisible = true;
  FCalcFontSize = kBaseFontSize;
  FCalcBtnWidth = kBaseButtonWidth;
  FCalcBtnHeight = kBaseButtonHeight;
  FCalcLargeBtnWidth = 47;
  FCalcXOfs = kBaseGap;
  FCalcYOfs = kBaseGap;
  FCalcWidth = kDefaultWidth;
  FCalcHeight = kDefaultHeight;
  FOperator = cbEqual;
  FPrecision = 15;
  FStatus = csFirst;
  FActiveButton = cbNone;
  FDownButton = cbNone;
  FPressedButton = cbNone;
  for (Integer k = 0; k < 28; ++k) FButtons[k].Kind = TvlCalcButtonKind(k);
  SetBounds(Left(), Top(), kDefaultWidth, kDefaultHeight);
  TControlStyle style = ControlStyle();
  style.Include(csCaptureMouse);
  style.Include(csOpaque);
  SetControlStyle(style);
  SetColor(clBtnFace);
  SetParentColor(false);
  SetTabStop(true);
  TvlKeys keys = Keys();
  keys.Include(kAll);
  keys.Include(kArrows);
  keys.Include(kChars);
  keys.Include(kTab);
  SetKeys(keys);
  Layout();
}

TvlCustomLookAndFeelPainterClass TvlCustomCalculator::GetCalcPainter() {
  return ClassOf<TvlStandardLookAndFeelPainter>();
}

void TvlCustomCalculator::HidePopup(TObject* Sender, TvlEditCloseUpReason AReason) {
  if (Assigned(FOnHidePopup)) FOnHidePopup(this, AReason);
}

String TvlCustomCalculator::DisplayText() {
  String s;
  GetDisplayText(s);
  return s;
}

// --- Value ----------------------------------------------------------------------------------------

// A display text that is no number counts as 0 (a lone "-" typed into the
// display used to raise from every button).
Extended TvlCustomCalculator::Value() {
  if (FStatus == csError) return 0;
  String s = Trim(DisplayText());
  if (s.empty()) s = u"0";
  Extended v = 0;
  return vlCalcTextToFloat(s, v) ? v : 0;
}

void TvlCustomCalculator::SetValue(Extended AValue) {
  const String s = vlCalcFloatToText(AValue, std::max<Integer>(2, FPrecision));
  if (s == DisplayText()) return;
  SetDisplayText(s);
  if (Assigned(FOnDisplayChange)) FOnDisplayChange(this);
}

// --- Key maps -------------------------------------------------------------------------------------

TvlCalcButtonKind TvlCustomCalculator::GetButtonKindAt(Integer X, Integer Y) const {
  for (Integer k = cbBack; k < cbNone; ++k) {
    const TRect& r = FButtons[k].BtnRect;
    if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) return TvlCalcButtonKind(k);
  }
  return cbNone;
}

TvlCalcButtonKind TvlCustomCalculator::GetButtonKindChar(Char Ch) {
  if (Ch >= u'0' && Ch <= u'9') return TvlCalcButtonKind(cbNum0 + (Ch - u'0'));
  switch (Ch) {
    case 8: return cbBack;
    case u'.':
    case u',': return cbDecimal;
    case u'/': return cbDiv;
    case u'*': return cbMul;
    case u'-': return cbSub;
    case u'+': return cbAdd;
    case u'@': return cbSqrt;
    case u'%': return cbPercent;
    case u'=': return cbEqual;
    default: return cbNone;
  }
}

TvlCalcButtonKind TvlCustomCalculator::GetButtonKindKey(Word Key, TShiftState Shift) {
  const Boolean ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_RETURN: return cbEqual;
    case VK_ESCAPE: return cbClear;
    case VK_DELETE: return cbCancel;
    case 'C': return ctrl ? cbNone : cbClear;
    case 'L': return ctrl ? cbMC : cbNone;
    case 'R': return ctrl ? cbMR : cbRev;
    case 'M': return ctrl ? cbMS : cbNone;
    case 'P': return ctrl ? cbMP : cbNone;
    case VK_F9: return cbSign;
    default: return cbNone;
  }
}

// --- Clipboard ------------------------------------------------------------------------------------

void TvlCustomCalculator::CopyToClipboard() {
  const String text = DisplayText();
  if (!OpenClipboard(HandleAllocated() ? WindowHandle() : nullptr)) return;
  Finally close([] { CloseClipboard(); });
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(Char));
  if (!h) return;
  auto* p = static_cast<Char*>(GlobalLock(h));
  std::copy(text.begin(), text.end(), p);
  p[text.size()] = 0;
  GlobalUnlock(h);
  SetClipboardData(CF_UNICODETEXT, h);
}

void TvlCustomCalculator::PasteFromClipboard() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return;
  String text;
  if (!OpenClipboard(HandleAllocated() ? WindowHandle() : nullptr)) return;
  {
    Finally close([] { CloseClipboard(); });
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    if (!h) return;
    if (auto* p = static_cast<const Char*>(GlobalLock(h))) {
      const size_t max = GlobalSize(h) / sizeof(Char);
      size_t n = 0;
      while (n < max && p[n]) ++n;
      text.assign(p, n);
      GlobalUnlock(h);
    }
  }
  Extended v = 0;
  if (vlCalcTextToFloat(Trim(RemoveAll(text, FormatSettings().CurrencyString)), v) && std::isfinite(v)) {
    SetValue(v);
    FStatus = csValid;
  } else {
    SetValue(0);
  }
}

// --- State machine --------------------------------------------------------------------------------

void TvlCustomCalculator::Beep() {
  if (FBeepOnError) MessageBeep(MB_OK);
}

void TvlCustomCalculator::Error() {
  FStatus = csError;
  SetDisplayText(vlGetResourceStringText(svlSCalcError));
  Beep();
}

void TvlCustomCalculator::StartEntry() {
  if (FStatus != csFirst) return;
  FStatus = csValid;
  SetDisplayText(u"0");
}

void TvlCustomCalculator::RefreshMemoryKeys() {
  FButtons[cbMC].Grayed = FMemory == 0;
  FButtons[cbMR].Grayed = FMemory == 0;
  InvalidateButton(cbMC);
  InvalidateButton(cbMR);
}

void TvlCustomCalculator::ButtonClick(TvlCalcButtonKind ButtonKind) {
  TWeakRef<Self> link(this);
  if (Assigned(FOnButtonClick)) FOnButtonClick(this, ButtonKind);
  if (!link) return;
  if (FStatus == csError && ButtonKind != cbCancel && ButtonKind != cbClear) {
    Error();
    return;
  }
  const String before = DisplayText();
  LockDisplayChanges(true, true);
  Finally unlock([&] {
    if (link) LockDisplayChanges(false, DisplayText() != before);
  });
  DoButtonClick(ButtonKind);
}

void TvlCustomCalculator::DoButtonClick(TvlCalcButtonKind K) {
  const Integer places = std::max<Integer>(2, FPrecision);
  // A result that leaves the extended range is an error too.
  auto result = [&](Extended V) {
    if (std::isfinite(V))
      SetValue(V);
    else
      Error();
  };
  // A display number beyond the extended range (digits typed after an
  // exponent) is an error to every button that reads it, not a 0.
  if (K == cbMS || K == cbMP || K == cbSign || K == cbSqrt || K == cbRev || IsArithmetic(K) || K == cbPercent ||
      K == cbEqual) {
    Extended v = 0;
    if (FStatus != csError && ReadFloatText(DisplayText(), v) == TTextNumber::BeyondRange) {
      Error();
      return;
    }
  }
  switch (K) {
    case cbBack: {
      StartEntry();
      String s = DisplayText();
      if (s.size() == 1 || (s.size() == 2 && s[0] == u'-'))
        s = u"0";
      else if (!s.empty())
        s.pop_back();
      SetDisplayText(s);
      break;
    }
    case cbCancel:
    case cbClear:
      FStatus = csFirst;
      SetValue(0);
      FOperator = cbEqual;
      break;
    case cbMC:
      FMemory = 0;
      RefreshMemoryKeys();
      break;
    case cbMR:
      FStatus = csFirst;
      StartEntry();
      SetValue(FMemory);
      break;
    case cbMS:
    case cbMP: {
      FStatus = csFirst;
      // A sum beyond the extended range is an error; the memory stays.
      const Extended m = K == cbMS ? Value() : FMemory + Value();
      if (!std::isfinite(m)) {
        Error();
        break;
      }
      FMemory = m;
      RefreshMemoryKeys();
      break;
    }
    case cbSign: result(-Value()); break;
    case cbDecimal: {
      StartEntry();
      const Char sep = FormatSettings().DecimalSeparator;
      const String s = DisplayText();
      if (s.find(sep) == String::npos) SetDisplayText(s + sep);
      break;
    }
    case cbSqrt:
    case cbRev: {
      FStatus = IsArithmetic(FOperator) ? csValid : csFirst;
      const Extended v = Value();
      if (K == cbSqrt ? v < 0 : v == 0)
        Error();
      else
        result(K == cbSqrt ? std::sqrt(v) : 1 / v);
      break;
    }
    case cbDiv:
    case cbMul:
    case cbSub:
    case cbAdd:
    case cbPercent:
    case cbEqual:
      if (FStatus == csValid) {
        FStatus = csFirst;
        Extended r = Value();
        if (K == cbPercent) {
          if (FOperator == cbDiv || FOperator == cbMul)
            r = r / 100;
          else if (FOperator == cbSub || FOperator == cbAdd)
            r = FOperand * r / 100;
        }
        switch (FOperator) {
          case cbDiv:
            if (r == 0) {
              Error();
              return;
            }
            result(FOperand / r);
            break;
          case cbMul: result(FOperand * r); break;
          case cbSub: result(FOperand - r); break;
          case cbAdd: result(FOperand + r); break;
          default: break;
        }
        if (FStatus == csError) return;
      }
      FOperator = K;
      FOperand = Value();
      if ((K == cbPercent || K == cbEqual) && Assigned(FOnResult)) FOnResult(this);
      break;
    case cbNone: break;
    default:
      if (IsDigit(K)) {
        StartEntry();
        String s = DisplayText();
        if (s == u"0") s.clear();
        const size_t minus = s.find(u'-');
        const Integer limit = places + (minus == String::npos ? 0 : Integer(minus) + 1);
        if (Integer(s.size()) < limit)
          SetDisplayText(s + Char(u'0' + (K - cbNum0)));
        else
          Beep();
      }
      break;
  }
}

// --- Layout ---------------------------------------------------------------------------------------

void TvlCustomCalculator::CalcSizes(Integer& H, Integer& W, Integer& XO, Integer& LW, Integer& FontSize) {
  auto gap = [](Integer h) { return MulDiv(h, kBaseGap, kBaseButtonHeight); };
  if (FAutoFontSize) {
    const Integer available = std::min(ClientHeight(), MulDiv(ClientWidth(), kDefaultHeight, kDefaultWidth));
    auto distance = [&](Integer h) { return std::abs(5 * h + 6 * gap(h) - available); };
    H = kBaseButtonHeight;
    while (distance(H + 1) < distance(H)) ++H;
  } else {
    TBitmap* measure = New<TBitmap>();
    Finally freeMeasure([&] { Free(measure); });
    measure->Canvas()->Font()->Assign(Font());
    H = 2 * measure->Canvas()->TextHeight(u"0");
  }
  W = MulDiv(H, kBaseButtonWidth, kBaseButtonHeight);
  XO = gap(H);
  LW = MulDiv(W, 17, 10);
  FontSize = MulDiv(H, kBaseFontSize, kBaseButtonHeight);
}

void TvlCustomCalculator::Layout() {
  if (FInLayout) return;
  FInLayout = true;
  Finally done([&] { FInLayout = false; });
  Integer H, W, XO, LW, fontSize;
  CalcSizes(H, W, XO, LW, fontSize);
  FCalcBtnHeight = H;
  FCalcBtnWidth = W;
  FCalcXOfs = XO;
  FCalcYOfs = XO;
  FCalcLargeBtnWidth = LW;
  FCalcFontSize = fontSize;
  FCalcHeight = 5 * H + 6 * XO;
  FCalcWidth = 6 * W + 8 * XO + 4;

  for (Integer k = cbBack; k < cbNone; ++k) {
    TvlButtonInfo& b = FButtons[k];
    b.Text = k == cbDecimal ? String(1, FormatSettings().DecimalSeparator) : String(kCaptions[k]);
    b.Down = false;
    b.Grayed = false;
  }
  const Integer YO = XO;
  auto rowTop = [&](Integer r) { return YO + r * (H + YO); };
  auto rowBottom = [&](Integer r) { return (r + 1) * (H + YO); };
  auto padLeft = [&](Integer c) { return XO + (W + 2 * XO + 4) + c * (XO + W); };
  Integer right = padLeft(4) + W;
  for (TvlCalcButtonKind k : {cbClear, cbCancel, cbBack}) {
    FButtons[k].BtnRect = TRect{right - LW, rowTop(0), right, rowBottom(0)};
    right -= LW + YO;
  }
  for (Integer r = 1; r <= 4; ++r) {
    const TvlCalcButtonKind* row = kGrid[r - 1];
    FButtons[row[0]].BtnRect = TRect{XO, rowTop(r), XO + W, rowBottom(r)};
    for (Integer c = 0; c < 5; ++c)
      FButtons[row[c + 1]].BtnRect = TRect{padLeft(c), rowTop(r), padLeft(c) + W, rowBottom(r)};
  }

  FOperator = cbEqual;
  FStatus = csFirst;
  FMemory = 0;
  RefreshMemoryKeys();
  SetClientSize(TPoint{FCalcWidth, FCalcHeight});
  Invalidate();
}

void TvlCustomCalculator::BoundsChanged() {
  inherited::BoundsChanged();
  Layout();
}

void TvlCustomCalculator::SetAutoFontSize(Boolean Value) {
  if (FAutoFontSize == Value) return;
  FAutoFontSize = Value;
  Layout();
}

void TvlCustomCalculator::SetBorderStyle(TBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TvlCustomCalculator::SetFocusRectVisible(Boolean Value) {
  if (FFocusRectVisible == Value) return;
  FFocusRectVisible = Value;
  InvalidateButton(cbEqual);
}

// --- Window ---------------------------------------------------------------------------------------

void TvlCustomCalculator::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN | WS_TABSTOP;
  Params.WindowClass.style &= ~CS_DBLCLKS;
  if (FIsPopupControl || FBorderStyle != bsSingle) return;
  if (Ctl3D())
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  else
    Params.Style |= WS_BORDER;
}

void TvlCustomCalculator::InvalidateButton(TvlCalcButtonKind Kind) {
  if (Kind != cbNone && HandleAllocated()) InvalidateRect(FButtons[Kind].BtnRect, false);
}

void TvlCustomCalculator::FocusChanged() {
  InvalidateButton(cbEqual);
  inherited::FocusChanged();
}

void TvlCustomCalculator::FontChanged() {
  if (!ComponentState().Contains(csLoading)) {
    SetParentFont(false);
    if (!FAutoFontSize) Layout();
  }
  inherited::FontChanged();
}

// A paint of the window draws only the buttons in its update box: a key
// press repaints one button, not all 27.
void TvlCustomCalculator::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT && Message.WParam == 0 && HandleAllocated()) {
    RECT r{};
    FPaintBox = GetUpdateRect(WindowHandle(), &r, false) ? TRect{r.left, r.top, r.right, r.bottom} : TRect{};
    FPaintBoxSet = true;
    Finally clear([&] { FPaintBoxSet = false; });
    inherited::Dispatch(Message);
    return;
  }
  TWeakRef<Self> link(this);
  inherited::Dispatch(Message);
  if (!link) return;
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED: Invalidate(); break;
    // The key-up of a held key goes to the window that has the focus now.
    case WM_KILLFOCUS: ReleasePressed(); break;
    // Another window took the mouse: the held button is let go, unclicked.
    // (A release, LParam 0, comes before every mouse-up.)
    case WM_CAPTURECHANGED:
      if (Message.LParam != 0 && (!HandleAllocated() || reinterpret_cast<HWND>(Message.LParam) != WindowHandle()))
        StopTracking();
      break;
    default: break;
  }
}

// --- Painting -------------------------------------------------------------------------------------

void TvlCustomCalculator::Paint() {
  TvlCustomLookAndFeelPainterClass painter = GetCalcPainter();
  TvlCanvas* canvas = Canvas();
  auto needed = [&](const TRect& R) {
    if (!canvas->RectVisible(R)) return false;
    return !FPaintBoxSet || (R.Left < FPaintBox.Right && FPaintBox.Left < R.Right && R.Top < FPaintBox.Bottom &&
                             FPaintBox.Top < R.Bottom);
  };
  TRect background = ClientBounds();
  if (FPaintBoxSet)
    background = TRect{std::max(background.Left, FPaintBox.Left), std::max(background.Top, FPaintBox.Top),
                       std::min(background.Right, FPaintBox.Right), std::min(background.Bottom, FPaintBox.Bottom)};
  canvas->Brush()->SetColor(Color());
  painter->DrawWindowContent(canvas, background);
  canvas->Font()->Assign(Font());
  if (FAutoFontSize) {
    canvas->Font()->SetSize(FCalcFontSize);
    TFontStyles style = canvas->Font()->Style();
    if (FCalcFontSize > kBoldAboveFontSize) style.Include(fsBold);
    canvas->Font()->SetStyle(style);
  }
  const Boolean focused = Focused();
  for (Integer k = cbBack; k < cbNone; ++k) {
    const TvlButtonInfo& b = FButtons[k];
    if (!needed(b.BtnRect)) continue;
    TvlButtonState state;
    if (b.Grayed || !Enabled())
      state = vlbsDisabled;
    else if (b.Down)
      state = vlbsPressed;
    else if (k == FActiveButton && k != FDownButton)
      state = vlbsHot;
    else if (k == cbEqual && focused)
      state = vlbsDefault;
    else
      state = vlbsNormal;
    painter->DrawButton(canvas, b.BtnRect, String(), state, true, clDefault, clDefault, false, false);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(painter->CalcEditButtonTextColor(TvlCalcButtonKind(k)));
    TRect r = b.BtnRect;
    if (state == vlbsPressed) r = vlOffsetRect(r, painter->ButtonTextShift(), painter->ButtonTextShift());
    canvas->DrawTexT(b.Text, r, vlAlignHCenter | vlAlignVCenter | vlSingleLine | vlShowPrefix,
                     state != vlbsDisabled);
    canvas->Brush()->SetStyle(bsSolid);
  }
  if (FFocusRectVisible && focused) {
    canvas->DrawFocusRect(vlInflateRectBy(FButtons[cbEqual].BtnRect, -kFocusRectInset, -kFocusRectInset));
  }
  inherited::Paint();
}

// --- Mouse ----------------------------------------------------------------------------------------

Boolean TvlCustomCalculator::CanFocusOnClick() {
  return !FIsPopupControl && !IsDesignTime() && (CanFocus() || !GetParentForm(this));
}

void TvlCustomCalculator::SetDownButton(TvlCalcButtonKind Kind, Boolean ADown) {
  if (Kind == cbNone || FButtons[Kind].Down == ADown) return;
  FButtons[Kind].Down = ADown;
  InvalidateButton(Kind);
}

void TvlCustomCalculator::SetActiveButton(TvlCalcButtonKind Kind) {
  if (Kind == FActiveButton) return;
  const TvlCalcButtonKind old = FActiveButton;
  FActiveButton = Kind;
  if (old != cbNone && !FButtons[old].Grayed) InvalidateButton(old);
  if (Kind != cbNone && !FButtons[Kind].Grayed) InvalidateButton(Kind);
}

void TvlCustomCalculator::StopTracking() {
  FTracking = false;
  SetMouseCapture(false);
  SetDownButton(FDownButton, false);
  FDownButton = cbNone;
}

// Disabling, a modal window or a menu cancel the mouse: no click follows.
void TvlCustomCalculator::CancelMouseOperations() {
  inherited::CancelMouseOperations();
  StopTracking();
}

void TvlCustomCalculator::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<Self> link(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (!link || Button != mbLeft) return;
  const TvlCalcButtonKind kind = GetButtonKindAt(X, Y);
  if (kind == cbNone || FButtons[kind].Grayed) return;
  SetMouseCapture(true);
  FTracking = true;
  FDownButton = kind;
  SetDownButton(kind, true);
}

void TvlCustomCalculator::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  inherited::MouseMove(Shift, X, Y);
  if (FTracking) {
    SetDownButton(FDownButton, GetButtonKindAt(X, Y) == FDownButton);
    return;
  }
  if (GetCalcPainter()->IsButtonHotTrack() && Enabled() && !Dragging()) SetActiveButton(GetButtonKindAt(X, Y));
}

void TvlCustomCalculator::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TWeakRef<Self> link(this);
  if (FTracking) {
    const TvlCalcButtonKind kind = FDownButton;
    const Boolean wasDown = FButtons[kind].Down;
    StopTracking();
    if (wasDown && Button == mbLeft) ButtonClick(kind);
    if (!link) return;
  }
  inherited::MouseUp(Button, Shift, X, Y);
}

void TvlCustomCalculator::MouseLeave(TControl* AControl) {
  SetActiveButton(cbNone);
  inherited::MouseLeave(AControl);
}

// --- Keyboard -------------------------------------------------------------------------------------

void TvlCustomCalculator::RestoreMemory(Extended AMemory) {
  FMemory = AMemory;
  RefreshMemoryKeys();
}

void TvlCustomCalculator::ReleasePressed() {
  if (FPressedButton == cbNone) return;
  SetDownButton(FPressedButton, false);
  FPressedButton = cbNone;
}

void TvlCustomCalculator::PressKind(TvlCalcButtonKind Kind) {
  if (Kind == cbNone || Kind == FPressedButton) return;
  ReleasePressed();
  FPressedButton = Kind;
  SetDownButton(Kind, true);
  if (HandleAllocated()) Update();
  if (Kind != cbBack) ButtonClick(Kind);
}

void TvlCustomCalculator::KeyDown(Word& Key, TShiftState Shift) {
  TWeakRef<Self> link(this);
  inherited::KeyDown(Key, Shift);
  if (!link || Key == 0) return;
  PressKind(GetButtonKindKey(Key, Shift));
}

void TvlCustomCalculator::KeyPress(Char& Key) {
  TWeakRef<Self> link(this);
  inherited::KeyPress(Key);
  if (!link || Key == 0) return;
  constexpr Char kCtrlC = 3, kCtrlV = 22;
  if (Key == kCtrlV)
    PasteFromClipboard();
  else if (Key == kCtrlC)
    CopyToClipboard();
  else
    PressKind(GetButtonKindChar(Key));
  if (link && FPressedButton == cbBack) ButtonClick(cbBack);
}

void TvlCustomCalculator::KeyUp(Word& Key, TShiftState Shift) {
  ReleasePressed();
  inherited::KeyUp(Key, Shift);
}
