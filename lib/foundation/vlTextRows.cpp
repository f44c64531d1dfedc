// The text layout engine's parameters, row store, measuring and line
// breaking.
#include <algorithm>
#include <cmath>
#include <vector>

#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlTextLayout.h"
#include "platform/rtl/CodePages.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

constexpr Char CR = 13, LF = 10;

Boolean IsBlank(Char C) { return C == u' ' || C == u'\t'; }
Boolean IsLineEnd(Char C) { return C == CR || C == LF; }

// Characters a row must not start with.
Boolean IsNoBreakBefore(Char C) {
  switch (C) {
    case 0x0021: case 0x0025: case 0x0029: case 0x002C: case 0x002E: case 0x003A: case 0x003B: case 0x003E:
    case 0x003F: case 0x005D: case 0x007D: case 0x00A8: case 0x00B0: case 0x00B7: case 0x02C7: case 0x02C9:
    case 0x2013: case 0x2014: case 0x2015: case 0x2016: case 0x2018: case 0x2019: case 0x201D: case 0x2022:
    case 0x2025: case 0x2026: case 0x2027: case 0x2032: case 0x2033: case 0x2103: case 0x2236: case 0x2574:
    case 0x3001: case 0x3002: case 0x3003: case 0x3005: case 0x3009: case 0x300B: case 0x300D: case 0x300F:
    case 0x3011: case 0x3015: case 0x3017: case 0x301E: case 0x309B: case 0x309C: case 0xFE30: case 0xFE31:
    case 0xFE33: case 0xFE34: case 0xFE36: case 0xFE38: case 0xFE3A: case 0xFE3C: case 0xFE3E: case 0xFE40:
    case 0xFE42: case 0xFE44: case 0xFE4F: case 0xFE50: case 0xFE51: case 0xFE52: case 0xFE54: case 0xFE55:
    case 0xFE56: case 0xFE57: case 0xFE5A: case 0xFE5C: case 0xFE5E: case 0xFF01: case 0xFF02: case 0xFF05:
    case 0xFF07: case 0xFF09: case 0xFF0C: case 0xFF0D: case 0xFF0E: case 0xFF1A: case 0xFF1B: case 0xFF1E:
    case 0xFF1F: case 0xFF3D: case 0xFF5C: case 0xFF5D: case 0xFF5E: case 0xFF61: case 0xFF63: case 0xFF64:
    case 0xFF9E: case 0xFF9F: return true;
    default: return C >= 0xFFE0;
  }
}

// A full-width character forms a unit of its own: the CJK ideographs, kana
// and Hangul syllables, and whatever the ANSI code page encodes in more than
// one byte.
Boolean IsFullWidth(Char C) {
  if (C < 128) return false;
  if ((C >= 0x4E00 && C <= 0x9FFF) || (C >= 0x3040 && C <= 0x309F) || (C >= 0x30A0 && C <= 0x30FF) ||
      (C >= 0xAC00 && C <= 0xD7A3))
    return true;
  char bytes[4];
  return WideCharToMultiByte(CP_ACP, 0, &C, 1, bytes, 4, nullptr, nullptr) > 1;
}

// A character that belongs to the one before it: the low half of a
// surrogate pair, a combining mark, a variation selector, the joiners and
// what a zero-width joiner joins. A row never ends before one.
Boolean IsCombiningMark(Char C) {
  return (C >= 0x0300 && C <= 0x036F) || (C >= 0x0483 && C <= 0x0489) || (C >= 0x0591 && C <= 0x05BD) ||
         (C >= 0x0610 && C <= 0x061A) || (C >= 0x064B && C <= 0x065F) || C == 0x0670 ||
         (C >= 0x06D6 && C <= 0x06DC) || (C >= 0x06DF && C <= 0x06E4) || C == 0x0E31 ||
         (C >= 0x0E34 && C <= 0x0E3A) || (C >= 0x0E47 && C <= 0x0E4E) || (C >= 0x1AB0 && C <= 0x1AFF) ||
         (C >= 0x1DC0 && C <= 0x1DFF) || C == 0x200C || C == 0x200D || (C >= 0x20D0 && C <= 0x20FF) ||
         C == 0x3099 || C == 0x309A || (C >= 0xFE00 && C <= 0xFE0F) || (C >= 0xFE20 && C <= 0xFE2F);
}

Boolean IsHighSurrogate(Char C) { return C >= 0xD800 && C <= 0xDBFF; }
Boolean IsLowSurrogate(Char C) { return C >= 0xDC00 && C <= 0xDFFF; }

TSize DefaultMeasure(HDC ADC, const Char* AText, Integer ALength, Boolean AExpandTabs, Pointer) {
  return vlCalcTextExtents(ADC, AText, ALength, AExpandTabs);
}

// The derived format of the breaking loop.
struct TRowFormat {
  TvlTextAlignX Align{};
  Boolean WordWrapping{};
  Boolean CharWrapping{};
  Boolean CalcRect{};
  Boolean EditControl{};
  Boolean EndEllipsis{};
  Boolean ExpandTabs{};
  Boolean ExcelStyle{};
  Boolean SingleLine{};
  Boolean KeepLastWord{};
};

// Breaks rows of one text. The width from the row start S to a candidate end
// E is the measure of S..E; with the default measuring (whole-pixel
// advances, no kerning) and no tab on the row it is the sum of the pieces:
// the text is then measured once, and every width is a difference of its
// running widths, so breaking stays linear in the text, however long its
// words. A measuring procedure of the caller's measures S..E itself; a long
// unit is then measured in growing prefixes, never as a whole for each row.
class TRowBreaker {
 public:
  TRowBreaker(HDC ADC, const String& AText, TvlMeasureTextProc AMeasure, Pointer AUserData, const TRowFormat& AFormat,
              Integer AWidth)
      : FDC(ADC), FText(AText.data()), FLength(Integer(AText.size())), FMeasure(AMeasure), FUserData(AUserData),
        F(AFormat), FWidth(AWidth), FAdditive(AMeasure == &DefaultMeasure) {}

  Boolean IsClusterStart(Integer I) const { return vlIsTextClusterStart(FText, FLength, I); }

  void SetKeepLastWord(Boolean AValue) { F.KeepLastWord = AValue; }

  // One row from S: its length, the start of the next row, and the row's
  // width when the pieces already gave it (else -1).
  void Break(Integer S, Integer& ALength, Integer& ANext, Integer& ABreakCount, Integer& AWidth) {
    Integer P = S, end = S, next = S;
    Boolean wrapped = false;
    Integer widthToP = 0;  // width of S..P
    Boolean tabSeen = false;
    for (;;) {
      const Integer E = F.WordWrapping && !F.CalcRect ? NextWordBoundary(P) : NextLineEnd(P);
      if (F.ExpandTabs && !tabSeen) tabSeen = std::find(FText + P, FText + E, u'\t') != FText + E;
      const Boolean additive = FAdditive && !(F.ExpandTabs && tabSeen);
      Integer widthToE;
      if (additive)
        widthToE = Width(S, E);
      else if (F.WordWrapping && F.CharWrapping && E - P > LongUnit && PrefixOverflows(S, P, E))
        widthToE = FWidth + 1;  // what matters is that it passes the row
      else
        widthToE = Measure(S, E - S);
      if (F.WordWrapping && widthToE > FWidth) {
        if (P > S && !F.KeepLastWord) {
          end = next = P;
          wrapped = true;
        } else if (F.CharWrapping) {
          end = next = P + FitCharacters(P, E, FWidth - widthToP, additive);
          wrapped = true;
        } else {
          // The unit stays on the row although it overflows. A line end
          // right after it ends this row: it is consumed here (not only with
          // the end ellipsis), or it would leave an empty row behind.
          end = next = E;
          wrapped = true;
          if (E < FLength && IsLineEnd(FText[E])) {
            next = SkipLineEnd(E);
            wrapped = false;
          }
        }
        break;
      }
      if (E >= FLength || IsLineEnd(FText[E])) {
        end = E;
        next = E >= FLength ? FLength : SkipLineEnd(E);
        break;
      }
      P = E;
      widthToP = widthToE;
    }
    if (wrapped && next < FLength) {
      switch (F.Align) {
        case taLeft:
          if (IsBlank(FText[next])) ++next;
          break;
        case taCenterX:
          if (end > S && IsBlank(FText[end - 1])) --end;
          if (IsBlank(FText[next])) ++next;
          break;
        case taRight:
          if (end > S && IsBlank(FText[end - 1])) --end;
          break;
        default: break;
      }
      if (F.ExcelStyle)
        while (next < FLength && IsBlank(FText[next])) ++next;
    }
    ABreakCount = 0;
    if (F.Align == taDistributeX || (F.Align == taJustifyX && wrapped)) {
      while (end > S && IsBlank(FText[end - 1])) --end;
      for (Integer i = S; i < end - 1; ++i)
        if (IsBlank(FText[i])) ++ABreakCount;
    }
    ALength = end - S;
    ANext = next;
    // the row's width from the running widths, unless a tab is expanded on it
    const Boolean tabbed = F.ExpandTabs && std::find(FText + S, FText + end, u'\t') != FText + end;
    AWidth = FAdditive && !tabbed ? Width(S, end) : -1;
  }

  Integer Measure(Integer AStart, Integer ALength) const {
    return FMeasure(FDC, FText + AStart, ALength, F.ExpandTabs, FUserData).cx;
  }

 private:
  // Units longer than this are measured in growing prefixes by a measuring
  // procedure of the caller's.
  static constexpr Integer LongUnit = 64;

  // The width of A..B (default measuring): the difference of two running
  // widths of the text. They are measured as far as asked, in pieces that
  // at least double what is measured (so a long text of which a few rows
  // are shown is not measured whole, and the pieces cost linear time), never
  // ending a piece inside a surrogate pair.
  Integer Width(Integer A, Integer B) {
    if (B > FMeasured) MeasureUpTo(B);
    return FRunning[size_t(B)] - FRunning[size_t(A)];
  }
  void MeasureUpTo(Integer B) {
    const Int64 wanted = std::max<Int64>(B, std::max<Int64>(2 * Int64(FMeasured), FMeasured + 256));
    Integer to = Integer(std::min<Int64>(FLength, wanted));
    if (to < FLength && IsHighSurrogate(FText[to - 1]) && IsLowSurrogate(FText[to])) ++to;
    FRunning.resize(size_t(to) + 1);
    SIZE size{};
    GetTextExtentExPointW(FDC, FText + FMeasured, to - FMeasured, 0, nullptr, FRunning.data() + FMeasured + 1,
                          &size);
    const INT base = FRunning[size_t(FMeasured)];
    for (Integer i = FMeasured + 1; i <= to; ++i) FRunning[size_t(i)] += base;
    FMeasured = to;
  }

  // Whether S..E passes the row width, measuring S..P + k for growing k:
  // what is measured stays within about twice what fits on the row.
  Boolean PrefixOverflows(Integer S, Integer P, Integer E) const {
    for (Int64 k = LongUnit; P + k < E; k *= 2)
      if (Measure(S, Integer(P + k - S)) > FWidth) return true;
    return Measure(S, E - S) > FWidth;
  }

  // The end of the unit that starts at P. The end of a run of word
  // characters is kept: every row cut from a long word starts inside it.
  Integer NextWordBoundary(Integer P) {
    if (P >= FLength) return FLength;
    if (P >= FRunStart && P < FRunEnd) return FRunEnd;
    const Char c = FText[P];
    if (IsLineEnd(c)) return P;
    Integer E;
    if (IsBlank(c)) {
      E = P + 1;
    } else if (IsFullWidth(c) && IsClusterStart(P)) {
      E = P + 1;
      while (!IsClusterStart(E)) ++E;
      if (E < FLength && IsNoBreakBefore(FText[E])) ++E;
    } else {
      E = P + 1;
      while (E < FLength && !IsBlank(FText[E]) && !IsLineEnd(FText[E]) &&
             (!IsFullWidth(FText[E]) || !IsClusterStart(E)))
        ++E;
      FRunStart = P;
      FRunEnd = E;
      return E;
    }
    while (!IsClusterStart(E)) ++E;
    return E;
  }

  Integer NextLineEnd(Integer P) const {
    while (P < FLength && !IsLineEnd(FText[P])) ++P;
    return P;
  }

  // Past CR, CR LF, LF or LF CR at E.
  Integer SkipLineEnd(Integer E) const {
    const Char first = FText[E];
    ++E;
    if (E < FLength && IsLineEnd(FText[E]) && FText[E] != first) ++E;
    return E;
  }

  // The most characters of P..E that fit in AAvailable, by halving a range:
  // the whole unit with the running widths, else a range doubled from the
  // start until it passes (so that a long word is not measured whole for
  // every row). The cut falls between characters as drawn (never inside a
  // surrogate pair or before a combining mark); at least one such character.
  Integer FitCharacters(Integer P, Integer E, Integer AAvailable, Boolean AAdditive) {
    auto fits = [&](Integer ACount) {
      return (AAdditive ? Width(P, P + ACount) : Measure(P, ACount)) <= AAvailable;
    };
    Integer lo = 0, hi = E - P;  // lo fits (or is 0), hi does not (or is the whole unit)
    if (!AAdditive) {
      Integer probe = 1;
      while (probe < hi && fits(probe)) {
        lo = probe;
        probe = probe > (hi - 1) / 2 ? hi : probe * 2;
      }
      if (probe < hi) hi = probe;
    }
    if (fits(hi)) {
      lo = hi;
    } else {
      while (hi - lo > 1) {
        const Integer mid = lo + (hi - lo) / 2;
        if (fits(mid))
          lo = mid;
        else
          hi = mid;
      }
    }
    Integer end = P + lo;
    while (end > P && !IsClusterStart(end)) --end;
    if (end == P) {
      end = std::min(P + 1, E);
      while (end < E && !IsClusterStart(end)) ++end;
    }
    return end - P;
  }

  HDC FDC;
  const Char* FText;
  Integer FLength;
  TvlMeasureTextProc FMeasure;
  Pointer FUserData;
  TRowFormat F;
  Integer FWidth;
  Boolean FAdditive;
  std::vector<INT> FRunning{0};  // width of the first i characters, i = 0..FMeasured
  Integer FMeasured = 0;
  Integer FRunStart = 0, FRunEnd = 0;  // the last run of word characters found
};

// The logical size of a device extent.
TSize LogicalSize(HDC ADC, Integer ADeviceWidth, Integer ADeviceHeight) {
  POINT p[2] = {{0, 0}, {ADeviceWidth, ADeviceHeight}};
  DPtoLP(ADC, p, 2);
  return TSize{std::abs(p[1].x - p[0].x), std::abs(p[1].y - p[0].y)};
}

}  // namespace

Boolean vlIsTextClusterStart(const Char* AText, Integer ALength, Integer AIndex) {
  if (AIndex <= 0 || AIndex >= ALength) return true;
  const Char c = AText[AIndex], before = AText[AIndex - 1];
  return !((IsLowSurrogate(c) && IsHighSurrogate(before)) || IsCombiningMark(c) || before == 0x200D);
}

TvlTextParams vlGetTextParamsForDC(HDC ADC, Cardinal AFormat, Double ALineSpacingFactor) {
  TvlTextParams p{};
  TEXTMETRICW tm{};
  if (!GetTextMetricsW(ADC, &tm)) {
    TEXTMETRICA tma{};
    if (GetTextMetricsA(ADC, &tma)) {
      tm.tmHeight = tma.tmHeight;
      tm.tmExternalLeading = tma.tmExternalLeading;
      tm.tmMaxCharWidth = tma.tmMaxCharWidth;
      tm.tmWeight = tma.tmWeight;
      tm.tmBreakChar = Byte(tma.tmBreakChar);
      tm.tmCharSet = tma.tmCharSet;
    }
  }
  p.RowHeight = tm.tmHeight;
  p.TextAlignX = TvlTextAlignX(std::min<Cardinal>(AFormat & 0x7, taDistributeX));
  p.TextAlignY = TvlTextAlignY((AFormat >> 4) & 0x3);
  p.WordBreak = AFormat & VLTO_WORDBREAK;
  p.SingleLine = AFormat & VLTO_SINGLELINE;
  p.ExpandTabs = AFormat & VLTO_EXPANDTABS;
  p.EndEllipsis = AFormat & VLTO_END_ELLIPSIS;
  p.PatternedText = AFormat & VLTO_PATTERNEDTEXT;
  p.ExternalLeading = AFormat & VLTO_EXTERNALLEADING;
  p.EditControl = AFormat & VLTO_EDITCONTROL;
  p.NoClip = AFormat & VLTO_NOCLIP;
  p.AutoIndents = AFormat & VLTO_AUTOINDENTS;
  p.CharBreak = AFormat & VLTO_CHARBREAK;
  p.PreventLeftExceed = AFormat & VLTO_PREVENT_LEFT_EXCEED;
  p.PreventTopExceed = AFormat & VLTO_PREVENT_TOP_EXCEED;
  p.CalcRect = AFormat & VLTO_CALCRECT;
  p.CalcRowCount = AFormat & VLTO_CALCROWCOUNT;
  p.HidePrefix = AFormat & VLTO_HIDEPREFIX;
  p.ExcelStyle = AFormat & VLTO_EXCELSTYLE;
  p.tmExternalLeading = p.ExternalLeading ? tm.tmExternalLeading : 0;
  p.Bold = tm.tmWeight >= 700;
  p.BreakChar = tm.tmBreakChar;
  p.MaxCharWidth = tm.tmMaxCharWidth;
  p.CharSet = tm.tmCharSet;
  p.OnePixel = std::max<Integer>(1, LogicalSize(ADC, 1, 1).cx);
  // rounded to the nearest integer, halves to even
  p.FullRowHeight = Integer(std::nearbyint((p.RowHeight + p.tmExternalLeading) * ALineSpacingFactor));
  if (p.PatternedText) p.PatternedText = p.RowHeight < LogicalSize(ADC, 6, 6).cy;
  if (GetSystemMetrics(SM_DBCSENABLED) != 0) p.CharBreak = true;
  if (p.EndEllipsis) p.EndEllipsisWidth = vlCalcTextExtents(ADC, u"...", 3, false).cx;
  return p;
}

TSize vlCalcTextExtents(HDC ADC, const Char* AText, Integer ALength, Boolean AExpandTabs) {
  TSize size{};
  if (ALength <= 0) return size;
  if (!AExpandTabs) {
    GetTextExtentPoint32W(ADC, AText, ALength, &size);
    return size;
  }
  auto drawnWidth = [&](Integer ACount) {
    RECT r{0, 0, 0, 0};
    DrawTextW(ADC, AText, ACount, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS | DT_NOPREFIX);
    return TSize{r.right - r.left, r.bottom - r.top};
  };
  if (ALength <= 4095) {
    const DWORD packed = GetTabbedTextExtentW(ADC, AText, ALength, 0, nullptr);
    size = TSize{Integer(packed & 0xFFFF), Integer(packed >> 16)};
    SIZE w{};
    GetTextExtentPoint32W(ADC, u"W", 1, &w);
    // The packed width keeps 16 bits: the drawn width gives the lost
    // multiples of 65536.
    if (Int64(ALength) * w.cx > 65535) size.cx += drawnWidth(ALength).cx / 65536 * 65536;
    return size;
  }
  size = drawnWidth(ALength);
  if (size.cx == 0 && ALength > 4096) size = drawnWidth(4096);
  return size;
}

TvlTextRow* vlGetTextRow(TvlTextRows& ARows, Integer AIndex) {
  return AIndex < vlStaticTextRowCount ? &ARows.StaticRows[AIndex]
                                       : &ARows.DynamicRows[size_t(AIndex - vlStaticTextRowCount)];
}

Integer vlGetTextRowCount(const TvlTextRows& ARows) { return ARows.Count; }

void vlResetTextRows(TvlTextRows& ARows) {
  ARows.Count = 0;
  std::vector<TvlTextRow>().swap(ARows.DynamicRows);
}

void vlSetTextRowCount(TvlTextRows& ARows, Integer ACount) {
  if (ACount > vlStaticTextRowCount && Integer(ARows.DynamicRows.size()) < ACount - vlStaticTextRowCount)
    ARows.DynamicRows.resize(size_t(ACount - vlStaticTextRowCount + 4));
  ARows.Count = ACount;
  if (ACount > 0) *vlGetTextRow(ARows, ACount - 1) = TvlTextRow{};
}

Boolean vlBuildTextRowsEx(HDC ADC, const Char* AText, Integer ALength, TvlMeasureTextProc AMeasureProc,
                          Pointer AUserData, Integer AMaxLineCount, Integer& ACount, TvlTextRows& ARows,
                          const TvlTextParams& AParams, const TRect& ARect) {
  vlResetTextRows(ARows);
  ACount = 0;
  if (!AText || ALength <= 0) return true;
  if (!AMeasureProc) AMeasureProc = &DefaultMeasure;
  ARows.Text.assign(AText, size_t(ALength));
  const Char* text = ARows.Text.data();
  if (AParams.CalcRect && AParams.SingleLine) {
    vlSetTextRowCount(ARows, 1);
    TvlTextRow& row = *vlGetTextRow(ARows, 0);
    row.Text = text;
    row.TextLength = ALength;
    row.TextExtents = AMeasureProc(ADC, text, ALength, AParams.ExpandTabs, AUserData);
    ACount = 1;
    return true;
  }
  const Integer W = ARect.Right - ARect.Left, H = ARect.Bottom - ARect.Top;
  const Boolean calculating = AParams.CalcRect || AParams.CalcRowCount;
  TRowFormat format;
  format.Align = AParams.TextAlignX;
  format.WordWrapping = !AParams.SingleLine && (AParams.WordBreak || AParams.TextAlignX == taJustifyX ||
                                                AParams.TextAlignX == taDistributeX);
  format.CharWrapping = format.WordWrapping && (AParams.CharBreak || AParams.EditControl);
  format.CalcRect = AParams.CalcRect;
  format.EditControl = AParams.EditControl;
  format.EndEllipsis = AParams.EndEllipsis;
  format.ExpandTabs = AParams.ExpandTabs;
  format.ExcelStyle = AParams.ExcelStyle;
  format.SingleLine = AParams.SingleLine;
  const Boolean preCut = AParams.EndEllipsis && !AParams.NoClip && !calculating &&
                         AParams.TextAlignX != taJustifyX && AParams.TextAlignX != taDistributeX;
  TRowBreaker breaker(ADC, ARows.Text, AMeasureProc, AUserData, format, W);

  Integer pos = 0;
  Int64 totalHeight = 0;
  Boolean last = false;
  while (pos < ALength && !last) {
    vlSetTextRowCount(ARows, ARows.Count + 1);
    totalHeight += AParams.FullRowHeight;
    if (AParams.SingleLine)
      last = true;
    else if (AParams.TextAlignY == taTop && !calculating)
      // The edit-control layout keeps whole rows; so does the end ellipsis,
      // so that the last row that shows is the one that ends with "..."
      // (else, when the cut fell between rows, the row with the ellipsis
      // would lie below the rectangle and none would be seen).
      last = (AParams.EditControl || AParams.EndEllipsis) && !AParams.NoClip
                 ? totalHeight + AParams.FullRowHeight > H
                 : totalHeight > H;
    breaker.SetKeepLastWord(last && preCut);
    Integer length = 0, next = 0, breakCount = 0, width = -1;
    breaker.Break(pos, length, next, breakCount, width);
    TvlTextRow& row = *vlGetTextRow(ARows, ARows.Count - 1);
    row.Text = text + pos;
    row.TextLength = length;
    row.StartOffset = pos;
    row.BreakCount = breakCount;
    if (length == 0)
      row.TextExtents = TSize{0, AParams.RowHeight};
    else if (width >= 0)  // known from the pieces (the default measuring's height is the font's)
      row.TextExtents = TSize{width, AParams.RowHeight};
    else
      row.TextExtents = AMeasureProc(ADC, row.Text, length, AParams.ExpandTabs, AUserData);
    pos = next;
    if (AMaxLineCount > 0 && ARows.Count >= AMaxLineCount) break;
  }
  ACount = ARows.Count;
  if (calculating) return true;
  if (AParams.SingleLine) return !(ACount > 0 && W < vlGetTextRow(ARows, 0)->TextExtents.cx);
  return pos >= ALength;
}

Boolean vlBuildTextRows(HDC ADC, const Char* AText, Integer ALength, Integer AMaxLineCount, Integer& ACount,
                        TvlTextRows& ARows, const TvlTextParams& AParams, const TRect& ARect) {
  return vlBuildTextRowsEx(ADC, AText, ALength, &DefaultMeasure, nullptr, AMaxLineCount, ACount, ARows, AParams,
                           ARect);
}

TvlTextParams vlGetTextParams(TvlCanvas* ACanvas, Cardinal AFormat, Double ALineSpacingFactor) {
  ACanvas->Canvas()->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
  return vlGetTextParamsForDC(ACanvas->Handle(), AFormat, ALineSpacingFactor);
}

Boolean vlBuildTextRows(TvlCanvas* ACanvas, const Char* AText, Integer ALength, Integer AMaxLineCount,
                        Integer& ACount, TvlTextRows& ARows, const TvlTextParams& AParams, const TRect& ARect) {
  return vlBuildTextRows(ACanvas->Handle(), AText, ALength, AMaxLineCount, ACount, ARows, AParams, ARect);
}
