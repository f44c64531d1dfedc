// The text layout engine's placement, drawing and entry points.
#include <algorithm>
#include <memory>
#include <tuple>
#include <vector>

#include "lib/foundation/vlControlBasics.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/foundation/vlTextLayout.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"
#include "platform/win/GdiText.h"

using namespace win;

namespace {

// The pattern bars' brushes: solid for bold fonts, a 50 % checkerboard
// otherwise (8 x 8 monochrome patterns).
HBRUSH SolidPatternBrush{};
HBRUSH CheckerPatternBrush{};

HBRUSH MakePatternBrush(Byte AEvenRow, Byte AOddRow) {
  WORD bits[8];
  for (int i = 0; i < 8; ++i) bits[i] = WORD(i % 2 == 0 ? AEvenRow : AOddRow);
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
  HBRUSH brush = CreatePatternBrush(pattern);
  DeleteObject(pattern);
  return brush;
}

void Startup() {
  SolidPatternBrush = MakePatternBrush(0x00, 0x00);
  CheckerPatternBrush = MakePatternBrush(0x55, 0xAA);
}

void Shutdown() {
  DeleteObject(SolidPatternBrush);
  DeleteObject(CheckerPatternBrush);
  SolidPatternBrush = CheckerPatternBrush = nullptr;
}

Boolean IsNoColor(Integer AColor) { return AColor == clNone || AColor == clDefault; }

Boolean IsMetafileDC(HDC ADC) {
  const DWORD type = GetObjectType(ADC);
  return type == OBJ_METADC || type == OBJ_ENHMETADC || type == OBJ_METAFILE || type == OBJ_ENHMETAFILE;
}

// The DC's clip region, kept to be put back.
class TSavedClip {
 public:
  explicit TSavedClip(HDC ADC) : FDC(ADC), FRegion(CreateRectRgn(0, 0, 0, 0)) {
    if (GetClipRgn(ADC, FRegion) != 1) {
      DeleteObject(FRegion);
      FRegion = nullptr;
    }
  }
  ~TSavedClip() {
    SelectClipRgn(FDC, FRegion);
    if (FRegion) DeleteObject(FRegion);
  }
  TSavedClip(const TSavedClip&) = delete;
  TSavedClip& operator=(const TSavedClip&) = delete;

 private:
  HDC FDC;
  HRGN FRegion;
};

// The x position after each of the row's characters, from the row's start,
// as the row is drawn: with ExpandTabs a tab reaches the next default tab
// stop (every eight average character widths from the row's start).
std::vector<INT> RowPartialExtents(HDC ADC, const TvlTextParams& AParams, const Char* AText,
                                   Integer ALength) {
  std::vector<INT> partial(size_t(std::max(ALength, 0)));
  if (ALength <= 0) return partial;
  SIZE size{};
  if (!AParams.ExpandTabs || std::find(AText, AText + ALength, u'\t') == AText + ALength) {
    GetTextExtentExPointW(ADC, AText, ALength, 0, nullptr, partial.data(), &size);
    return partial;
  }
  TEXTMETRICW tm{};
  GetTextMetricsW(ADC, &tm);
  const Integer tabWidth = 8 * std::max<Integer>(1, tm.tmAveCharWidth);
  Integer x = 0;
  for (Integer i = 0; i < ALength;) {
    Integer j = i;
    while (j < ALength && AText[j] != u'\t') ++j;
    if (j > i) {
      GetTextExtentExPointW(ADC, AText + i, j - i, 0, nullptr, partial.data() + i, &size);
      for (Integer k = i; k < j; ++k) partial[size_t(k)] += x;
      x = partial[size_t(j - 1)];
    }
    if (j < ALength) {
      x = (x / tabWidth + 1) * tabWidth;
      partial[size_t(j)] = x;
    }
    i = j + 1;
  }
  return partial;
}

void OutputRow(HDC ADC, const TvlTextParams& AParams, const TvlTextRow& ARow, Integer ALength) {
  if (AParams.ExpandTabs)
    TabbedTextOutW(ADC, ARow.TextOriginX, ARow.TextOriginY, ARow.Text, ALength, 0, nullptr, ARow.TextOriginX);
  else
    TextOutW(ADC, ARow.TextOriginX, ARow.TextOriginY, ARow.Text, ALength);
}

void OutputEllipsis(HDC ADC, const TRect& ATextRect, const TvlTextParams& AParams, Integer AX, Integer AY) {
  if (AX >= ATextRect.Right) return;
  if (!AParams.NoClip && AX + AParams.EndEllipsisWidth > ATextRect.Right) {
    TSavedClip clip(ADC);
    IntersectClipRect(ADC, ATextRect.Left, ATextRect.Top, ATextRect.Right, ATextRect.Bottom);
    TextOutW(ADC, AX, AY, u"...", 3);
  } else {
    TextOutW(ADC, AX, AY, u"...", 3);
  }
}

}  // namespace

CL_UNIT_STEPS(vlTextLayout, &Startup, &Shutdown);

TRect vlApplyTextIndents(const TRect& ARect, const TvlTextParams& AParams, Integer ALeftIndent,
                         Integer ARightIndent) {
  TRect r = ARect;
  if (AParams.AutoIndents) {
    const Integer d = 2 * AParams.OnePixel;
    r = TRect{r.Left + d, r.Top + d, r.Right - d, r.Bottom - d};
  }
  r.Left += ALeftIndent * AParams.OnePixel;
  r.Right -= ARightIndent * AParams.OnePixel;
  return r;
}

TRect vlRemoveTextIndents(const TRect& ARect, const TvlTextParams& AParams, Integer ALeftIndent,
                          Integer ARightIndent) {
  TRect r = ARect;
  r.Left -= ALeftIndent * AParams.OnePixel;
  r.Right += ARightIndent * AParams.OnePixel;
  if (AParams.AutoIndents) {
    const Integer d = 2 * AParams.OnePixel;
    r = TRect{r.Left - d, r.Top - d, r.Right + d, r.Bottom + d};
  }
  return r;
}

void vlPlaceTextRows(HDC ADC, const TRect& ATextRect, const TvlTextParams& AParams, Integer ACount,
                     TvlTextRows& ARows) {
  const Integer count = std::min(ACount, ARows.Count);
  const Integer width = ATextRect.Right - ATextRect.Left, height = ATextRect.Bottom - ATextRect.Top;
  Integer rowHeight = AParams.FullRowHeight;
  Integer spread = 0;
  if (AParams.TextAlignY == taDistributeY && count > 1) {
    const Integer gap = height - AParams.RowHeight;
    if (AParams.RowHeight < Double(gap) / (count - 1)) {
      rowHeight = gap / (count - 1);
      spread = gap % (count - 1);
    }
  }
  Integer y;
  switch (AParams.TextAlignY) {
    case taCenterY: y = ATextRect.Top + (height - count * AParams.FullRowHeight) / 2; break;
    case taBottom: y = ATextRect.Bottom - count * AParams.FullRowHeight + AParams.tmExternalLeading; break;
    default: y = ATextRect.Top; break;
  }
  if (AParams.PreventTopExceed) y = std::max(y, Integer(ATextRect.Top));
  for (Integer i = 0; i < count; ++i) {
    TvlTextRow& row = *vlGetTextRow(ARows, i);
    Integer x;
    switch (AParams.TextAlignX) {
      case taCenterX: x = ATextRect.Left + (width - row.TextExtents.cx) / 2; break;
      case taRight: x = ATextRect.Right - row.TextExtents.cx; break;
      default: x = ATextRect.Left; break;
    }
    if (AParams.PreventLeftExceed) x = std::max(x, Integer(ATextRect.Left));
    row.TextOriginX = x;
    row.TextOriginY = y;
    y += rowHeight;
    if (spread > 0) {
      ++y;
      --spread;
    }
  }
}

Integer vlGetMaxTextRowWidth(TvlTextRows& ARows, Integer ACount) {
  Integer result = 0;
  for (Integer i = 0; i < std::min(ACount, ARows.Count); ++i)
    result = std::max(result, vlGetTextRow(ARows, i)->TextExtents.cx);
  return result;
}

void vlDrawTextRowsHighlighted(HDC ADC, const TRect& ATextRect, const TvlTextParams& AParams, TvlTextRows& ARows,
                               Integer ARowCount, Integer AHighlightStart, Integer AHighlightLength,
                               Integer AHighlightColor, Integer AHighlightTextColor, Boolean ATextIsCut) {
  const int oldBkMode = SetBkMode(ADC, TRANSPARENT);
  const Boolean metafile = IsMetafileDC(ADC);
  HBRUSH highlightBrush = AHighlightLength >= 1 && !IsNoColor(AHighlightColor)
                              ? CreateSolidBrush(COLORREF(ColorToRGB(AHighlightColor)))
                              : nullptr;
  const Boolean highlightText = !IsNoColor(AHighlightTextColor);
  // The highlighted areas are excluded from the clip while the rows are
  // drawn; the caller's clip comes back at the end.
  TSavedClip callersClip(ADC);
  Finally restore([&] {
    if (highlightBrush) DeleteObject(highlightBrush);
    SetBkMode(ADC, oldBkMode);
  });
  const Integer textWidth = ATextRect.Right - ATextRect.Left;
  const Integer count = std::min(ARowCount, ARows.Count);
  for (Integer i = 0; i < count; ++i) {
    TvlTextRow& row = *vlGetTextRow(ARows, i);
    const Boolean lastRow = i == count - 1;
    const TRect rowRect{ATextRect.Left, row.TextOriginY, ATextRect.Right, row.TextOriginY + AParams.FullRowHeight};
    if (row.TextLength <= 0) {
      if (lastRow && AParams.EndEllipsis && ATextIsCut)
        OutputEllipsis(ADC, ATextRect, AParams, row.TextOriginX, row.TextOriginY);
      continue;
    }
    if (!metafile && !RectVisible(ADC, &rowRect)) continue;
    Integer rowWidth = row.TextExtents.cx;
    if (AParams.PatternedText) {
      TRect bar{row.TextOriginX, rowRect.Top + AParams.OnePixel,
                std::min(row.TextOriginX + rowWidth, Integer(ATextRect.Right)), rowRect.Bottom - AParams.OnePixel};
      if (bar.Bottom - bar.Top < AParams.OnePixel) bar.Bottom = bar.Top + AParams.OnePixel;
      const COLORREF oldBk = SetBkColor(ADC, COLORREF(ColorToRGB(clWindow)));
      FillRect(ADC, &bar, AParams.Bold ? SolidPatternBrush : CheckerPatternBrush);
      SetBkColor(ADC, oldBk);
      continue;
    }
    Boolean needsEllipsis = AParams.EndEllipsis && lastRow && (ATextIsCut || rowWidth > textWidth);
    const Boolean justified = AParams.TextAlignX == taJustifyX || AParams.TextAlignX == taDistributeX;
    if (justified && !needsEllipsis && textWidth - rowWidth > 0 && row.BreakCount > 0)
      SetTextJustification(ADC, textWidth - rowWidth, row.BreakCount);
    std::unique_ptr<TSavedClip> rowClip;
    if (!AParams.NoClip &&
        (rowWidth > textWidth || rowRect.Top < ATextRect.Top || rowRect.Bottom > ATextRect.Bottom)) {
      rowClip = std::make_unique<TSavedClip>(ADC);
      IntersectClipRect(ADC, rowRect.Left, std::max(rowRect.Top, ATextRect.Top), rowRect.Right,
                        std::min(rowRect.Bottom, ATextRect.Bottom));
    }
    Integer length = row.TextLength;
    std::vector<INT> partial;  // the row's partial extents, when needed
    if (needsEllipsis) {
      // the characters that fit before the ellipsis, cut between characters
      // as drawn (not inside a surrogate pair or before a combining mark)
      partial = RowPartialExtents(ADC, AParams, row.Text, length);
      const Integer room = std::max(0, textWidth - AParams.EndEllipsisWidth);
      Integer fit = 0;
      while (fit < length && partial[size_t(fit)] <= room) ++fit;
      while (fit > 0 && !vlIsTextClusterStart(row.Text, length, fit)) --fit;
      if (fit == 0 && AParams.TextAlignX == taLeft) {
        fit = 1;
        while (!vlIsTextClusterStart(row.Text, length, fit)) ++fit;
      }
      length = fit;
      rowWidth = length > 0 ? partial[size_t(length - 1)] : 0;
      // The row was placed by its uncut width: a centred or right-aligned row
      // is placed again with the ellipsis, or only its cut tail would show.
      const Integer cutWidth = rowWidth + AParams.EndEllipsisWidth;
      if (AParams.TextAlignX == taCenterX)
        row.TextOriginX = ATextRect.Left + (textWidth - cutWidth) / 2;
      else if (AParams.TextAlignX == taRight)
        row.TextOriginX = ATextRect.Right - cutWidth;
      if (AParams.PreventLeftExceed) row.TextOriginX = std::max(row.TextOriginX, Integer(ATextRect.Left));
    }
    const Integer hlStart = std::max(AHighlightStart, row.StartOffset);
    const Integer hlEnd = std::min(AHighlightStart + AHighlightLength, row.StartOffset + length);
    if (!metafile && highlightBrush && hlStart < hlEnd && length > 0) {
      if (partial.empty()) partial = RowPartialExtents(ADC, AParams, row.Text, length);
      const Integer first = hlStart - row.StartOffset, lastChar = hlEnd - 1 - row.StartOffset;
      Integer x1 = first > 0 ? partial[size_t(first - 1)] : 0, x2 = partial[size_t(lastChar)];
      if (vlIsMirroredCharSetText(AParams.CharSet, String(row.Text, size_t(length)))) {
        const Integer end = partial[size_t(length - 1)];
        std::tie(x1, x2) = std::make_pair(end - x2, end - x1);
      }
      TRect hl{row.TextOriginX + x1, row.TextOriginY, row.TextOriginX + x2, row.TextOriginY + AParams.RowHeight};
      // A highlight that reaches the cut row's end takes the ellipsis in: it
      // is drawn in the highlight text colour, which needs the highlight
      // under it to be seen.
      const Boolean ellipsisHighlighted = needsEllipsis && hlEnd == row.StartOffset + length;
      if (ellipsisHighlighted)
        hl.Right = std::min(row.TextOriginX + rowWidth + AParams.EndEllipsisWidth, Integer(ATextRect.Right));
      const COLORREF oldText = highlightText ? SetTextColor(ADC, COLORREF(ColorToRGB(AHighlightTextColor))) : 0;
      {
        TSavedClip clip(ADC);
        IntersectClipRect(ADC, hl.Left, hl.Top, hl.Right, hl.Bottom);
        FillRect(ADC, &hl, highlightBrush);
        OutputRow(ADC, AParams, row, length);
        if (ellipsisHighlighted) {
          OutputEllipsis(ADC, ATextRect, AParams, row.TextOriginX + rowWidth, row.TextOriginY);
          needsEllipsis = false;
        }
      }
      ExcludeClipRect(ADC, hl.Left, hl.Top, hl.Right, hl.Bottom);
      if (highlightText) SetTextColor(ADC, oldText);
    }
    OutputRow(ADC, AParams, row, length);
    SetTextJustification(ADC, 0, 0);
    if (needsEllipsis) OutputEllipsis(ADC, ATextRect, AParams, row.TextOriginX + rowWidth, row.TextOriginY);
  }
}

Integer vlRenderTextHighlighted(HDC ADC, const String& AText, TRect& ARect, Cardinal AFormat,
                                Integer AHighlightStart, Integer AHighlightLength, TFont* AFont,
                                Integer AHighlightColor, Integer AHighlightTextColor, Integer AMaxLineCount,
                                Integer ALeftIndent, Integer ARightIndent, Integer ATextColor,
                                Double ALineSpacingFactor) {
  if (AText.empty()) return 0;
  const HGDIOBJ oldFont = GetCurrentObject(ADC, OBJ_FONT);
  const COLORREF oldTextColor = GetTextColor(ADC);
  Finally restore([&] {
    SelectObject(ADC, oldFont);
    SetTextColor(ADC, oldTextColor);
  });
  if (AFont) {
    SelectObject(ADC, AFont->Handle());
    SetTextColor(ADC, COLORREF(ColorToRGB(AFont->Color())));
  }
  if (ATextColor != clDefault) SetTextColor(ADC, COLORREF(ColorToRGB(ATextColor)));
  const TvlTextParams params = vlGetTextParamsForDC(ADC, AFormat, ALineSpacingFactor);
  TRect textRect = vlApplyTextIndents(ARect, params, ALeftIndent, ARightIndent);
  const Integer width = textRect.Right - textRect.Left, height = textRect.Bottom - textRect.Top;
  if (params.CalcRect ? width <= 0 : width < 1 || height < 1) return 0;
  const String text = params.HidePrefix ? vlStripAccelChars(AText) : AText;
  if (text.empty()) return 0;

  TvlTextRows rows;
  Integer count = 0;
  const Boolean textIsCut =
      !vlBuildTextRows(ADC, text.data(), Integer(text.size()), AMaxLineCount, count, rows, params, textRect);
  Integer result = 0;
  if (count > 0) {
    if (params.CalcRect) {
      if (AMaxLineCount > 0) count = std::min(count, AMaxLineCount);
      textRect.Right = textRect.Left + vlGetMaxTextRowWidth(rows, count);
      if (!params.SingleLine)
        vlBuildTextRows(ADC, text.data(), Integer(text.size()), AMaxLineCount, count, rows, params, textRect);
      vlPlaceTextRows(ADC, textRect, params, count, rows);
      textRect.Bottom = vlGetTextRow(rows, count - 1)->TextOriginY + params.RowHeight;
      ARect = vlRemoveTextIndents(textRect, params, ALeftIndent, ARightIndent);
    } else {
      vlPlaceTextRows(ADC, textRect, params, count, rows);
      const Integer length = Integer(text.size());
      if (AHighlightStart < 0 || AHighlightStart >= length)
        AHighlightLength = 0;
      else if (AHighlightStart + AHighlightLength > length)
        AHighlightStart = length - AHighlightLength;
      AHighlightStart = std::max(AHighlightStart, 0);
      vlDrawTextRowsHighlighted(ADC, textRect, params, rows, count, AHighlightStart, AHighlightLength,
                                AHighlightColor, AHighlightTextColor, textIsCut);
    }
    result = vlGetTextRow(rows, count - 1)->TextOriginY + params.RowHeight - textRect.Top;
  }
  vlResetTextRows(rows);
  if (params.CalcRowCount) return count;
  return result != 0 ? result : count;
}

Integer vlRenderText(HDC ADC, const String& AText, TRect& ARect, Cardinal AFormat, TFont* AFont,
                     Integer AMaxLineCount, Integer ALeftIndent, Integer ARightIndent, Integer ATextColor,
                     Double ALineSpacingFactor) {
  return vlRenderTextHighlighted(ADC, AText, ARect, AFormat, 0, 0, AFont, clDefault, clDefault, AMaxLineCount,
                                 ALeftIndent, ARightIndent, ATextColor, ALineSpacingFactor);
}

Integer vlRenderText(TvlCanvas* ACanvas, const String& AText, TRect& ARect, Cardinal AFormat, TFont* AFont,
                     Integer AMaxLineCount, Integer ALeftIndent, Integer ARightIndent, Integer ATextColor,
                     Double ALineSpacingFactor) {
  return vlRenderText(ACanvas->Handle(), AText, ARect, AFormat, AFont, AMaxLineCount, ALeftIndent, ARightIndent,
                      ATextColor, ALineSpacingFactor);
}
