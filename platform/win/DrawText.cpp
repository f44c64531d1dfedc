// DrawText and DrawTextEx: formatted text in a rectangle, built on the text
// metrics, extents and ExtTextOut of GdiText.cpp.
//
// A line is made of segments separated by tabs (when tabs are expanded);
// each segment is measured, word-broken and shortened with an ellipsis on its
// own, and the tab moves the pen to the next tab stop.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/GdiText.h"
#include "platform/win/TextInternal.h"

namespace win {

namespace {

constexpr WCHAR Tab = u'\t', LineFeed = u'\n', Return = u'\r', Space = u' ', Prefix = u'&';
const std::u16string Ellipsis = u"...";

// What an ellipsis did to a segment: `before` characters kept, then `len`
// characters of ellipsis, then the last `after` characters kept; the
// characters between were dropped.
struct TEllipsis {
  int Before = 0, Len = 0, After = 0;
};

struct TContext {
  HDC DC;
  UINT Format;
  int TabWidth;
};

SIZE Measure(HDC hdc, const std::u16string& s, int from, int n) {
  SIZE sz{};
  GetTextExtentPoint32W(hdc, s.data() + from, n, &sz);
  return sz;
}

// Breaks a segment that does not fit at a word boundary. d holds the
// segment's characters, fit how many fit. Answers the characters kept on the
// line (len) and consumed from the segment (used: a breaking space is
// consumed, not shown).
void WordBreak(const TContext& c, const std::u16string& d, int fit, int& len, int& used) {
  const int n = int(d.size());
  if (d[size_t(fit)] == Space) {
    len = fit;
    used = fit + 1;
    return;
  }
  int s = fit - 1;
  while (s >= 0 && d[size_t(s)] != Space) --s;
  if (s >= 0) {
    len = s;
    used = s + 1;
    return;
  }
  if (c.Format & DT_EDITCONTROL) {
    // an edit control breaks a word longer than the line inside it
    len = used = std::max(fit, 1);
    return;
  }
  // the first word stays whole although it overflows
  int e = fit;
  while (e < n && d[size_t(e)] != Space) ++e;
  len = e;
  used = e < n ? e + 1 : e;
}

// Shortens d to the most characters that fit with "..." after them.
void EndEllipsify(HDC hdc, std::u16string& d, int width, TEllipsis& el) {
  int len = int(d.size());
  SIZE sz = Measure(hdc, d, 0, len);
  if (len > 0 && sz.cx > width) {
    int lo = 0, hi = len;
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (Measure(hdc, d, 0, mid).cx > width)
        hi = mid;
      else
        lo = mid + 1;
    }
    len = hi;
  }
  std::u16string t;
  for (;;) {
    t = d.substr(0, size_t(len)) + Ellipsis;
    if (len == 0 || Measure(hdc, t, 0, int(t.size())).cx <= width) break;
    --len;
  }
  el.Before = len;
  el.Len = int(Ellipsis.size());
  el.After = 0;
  d = t;
}

// Replaces characters before the last path component ("\" or "/") with
// "..." until the text fits; without a separator the ellipsis goes at the end.
void PathEllipsify(HDC hdc, std::u16string& d, int width, TEllipsis& el) {
  int slash = -1;
  for (int i = int(d.size()) - 1; i >= 0; --i)
    if (d[size_t(i)] == u'\\' || d[size_t(i)] == u'/') {
      slash = i;
      break;
    }
  int keepEnd = slash >= 0 ? slash : int(d.size());  // characters kept before the ellipsis
  const std::u16string trailing = d.substr(size_t(keepEnd));
  std::u16string t;
  for (;;) {
    t = d.substr(0, size_t(keepEnd)) + Ellipsis + trailing;
    if (keepEnd == 0 || Measure(hdc, t, 0, int(t.size())).cx <= width) break;
    --keepEnd;
  }
  el.Before = keepEnd;
  el.Len = int(Ellipsis.size());
  el.After = int(trailing.size());
  d = t;
}

struct TLine {
  std::u16string Text;  // display characters; tabs stay when expanded
  int Prefix = -1;      // index in Text of the underlined character
  int Width = 0;
  bool Ellipsified = false;
};

// Builds the next line from str[i..i+count) and advances i and count past
// it (and past its line break).
void NextLine(const TContext& c, const WCHAR* str, int& i, int& count, int width, bool lastLine,
              TLine& line) {
  const UINT f = c.Format;
  line = TLine{};
  std::u16string& dest = line.Text;
  int plen = 0;
  while (count > 0) {
    const int segI = i, segCount = count, segJ = int(dest.size());
    // Copies the segment: up to a tab (when expanded), a line break (unless
    // single line) or the end; the prefix "&" marks the next character and
    // "&&" stands for "&". Stops after `limit` characters, or at a blank with
    // toBlank; answers whether the segment is complete.
    auto copy = [&](size_t limit, bool toBlank) {
      const size_t start = dest.size();
      while (count > 0 && (str[i] != Tab || !(f & DT_EXPANDTABS)) &&
             ((str[i] != Return && str[i] != LineFeed) || (f & DT_SINGLELINE))) {
        if (dest.size() - start >= limit || (toBlank && str[i] == Space)) return false;
        if ((f & DT_NOPREFIX) || count <= 1 || str[i] != Prefix) {
          --count;
          dest.push_back(str[i++]);
          continue;
        }
        --count;
        ++i;
        if (str[i] == Prefix) {
          --count;
          dest.push_back(str[i++]);
        } else if (line.Prefix == -1 || line.Prefix >= segJ) {
          line.Prefix = int(dest.size());
        }
      }
      return true;
    };
    const int maxSegWidth = width - plen;
    // A word-broken line needs only the characters that fit and the word that
    // overflows: copying in steps keeps long texts linear.
    size_t step = (f & DT_WORDBREAK) ? size_t(std::max(maxSegWidth, 0)) + 64 : SIZE_MAX;
    bool complete = copy(step, false);
    std::u16string seg;
    int fit = 0;
    SIZE size{};
    for (;;) {
      seg.assign(dest, size_t(segJ), std::u16string::npos);
      GetTextExtentExPointW(c.DC, seg.data(), int(seg.size()), maxSegWidth, &fit, nullptr, &size);
      if (complete) break;
      if (fit >= int(seg.size())) {
        step *= 2;
        complete = copy(step, false);
        continue;
      }
      // Something overflows: the whole first word is needed when nothing
      // before it can break and an edit control does not cut words.
      bool blankBefore = false;
      for (int k = 0; k <= fit && !blankBefore; ++k) blankBefore = seg[size_t(k)] == Space;
      if (blankBefore || (f & DT_EDITCONTROL)) break;
      complete = copy(SIZE_MAX, true);
      seg.assign(dest, size_t(segJ), std::u16string::npos);
      GetTextExtentExPointW(c.DC, seg.data(), int(seg.size()), maxSegWidth, &fit, nullptr, &size);
      break;
    }
    bool wordBroken = false;
    bool fits = fit >= int(seg.size());
    if (!fits && (f & DT_WORDBREAK)) {
      int len = 0, used = 0;
      WordBreak(c, seg, fit, len, used);
      seg.resize(size_t(len));
      size = Measure(c.DC, seg, 0, len);
      fits = size.cx <= maxSegWidth;
      // step the source back to just after the characters used
      i = segI;
      count = segCount;
      for (int k = 0; k < used && count > 0; ++k) {
        if (!(f & DT_NOPREFIX) && str[i] == Prefix && count > 1) {
          ++i;
          --count;
        }
        ++i;
        --count;
      }
      wordBroken = true;
    }
    // the underlined character's place in the segment, followed through the
    // ellipses below
    int pp = line.Prefix >= segJ ? line.Prefix - segJ : -1;
    if (pp >= int(seg.size())) pp = -1;
    bool ellipsified = false;
    if (!fits && (f & DT_PATH_ELLIPSIS)) {
      const int origLen = int(seg.size());
      TEllipsis el;
      PathEllipsify(c.DC, seg, maxSegWidth, el);
      if (pp >= el.Before)
        pp = pp >= origLen - el.After ? el.Before + el.Len + pp - (origLen - el.After) : -1;
      size = Measure(c.DC, seg, 0, int(seg.size()));
      fits = size.cx <= maxSegWidth;
      ellipsified = true;
    }
    const bool atLineEnd =
        count == 0 || str[i] == Tab || (!(f & DT_SINGLELINE) && (str[i] == Return || str[i] == LineFeed));
    if ((!fits && (f & DT_WORD_ELLIPSIS)) ||
        ((f & DT_END_ELLIPSIS) && ((lastLine && count > 0) || (atLineEnd && !wordBroken && !fits)))) {
      TEllipsis el;
      EndEllipsify(c.DC, seg, maxSegWidth, el);
      if (pp >= el.Before) pp = -1;
      size = Measure(c.DC, seg, 0, int(seg.size()));
      ellipsified = true;
    }
    if (ellipsified) {
      line.Ellipsified = true;
      if (f & DT_EXPANDTABS) {
        // an ellipsis ends the line: skip the rest of it
        if (f & DT_SINGLELINE) {
          i += count;
          count = 0;
        } else {
          while (count > 0 && str[i] != Return && str[i] != LineFeed) {
            ++i;
            --count;
          }
        }
      }
    }
    if (line.Prefix >= segJ) line.Prefix = pp >= 0 ? segJ + pp : -1;
    dest.resize(size_t(segJ));
    dest += seg;
    plen += size.cx;
    if (wordBroken || count == 0) break;
    if (str[i] == Return || str[i] == LineFeed) {
      --count;
      ++i;
      if (count > 0 && (str[i] == Return || str[i] == LineFeed) && str[i] != str[i - 1]) {
        --count;
        ++i;
      }
      break;
    }
    // a tab: keep it in the line and move to the next stop
    dest.push_back(str[i++]);
    --count;
    plen = (plen / c.TabWidth + 1) * c.TabWidth;
  }
  line.Width = plen;
}

int TextLength(const WCHAR* s) {
  int n = 0;
  while (s[n] && n < INT_MAX) ++n;
  return n;
}

}  // namespace

int DrawTextExW(HDC hdc, LPWSTR lpchText, int cchText, LPRECT lprc, UINT format, LPDRAWTEXTPARAMS dtp) {
  if (!lprc || !lpchText) return 0;
  TEXTMETRICW tm;
  if (!GetTextMetricsW(hdc, &tm)) return 0;
  int count = cchText < 0 ? TextLength(lpchText) : cchText;

  int tabStop = 8;
  if (format & DT_TABSTOP) {
    if (dtp) {
      tabStop = dtp->iTabLength;
    } else {
      tabStop = int((format >> 8) & 0xFF);
      format &= ~UINT(0xFF00);
    }
  }
  if (tabStop <= 0) tabStop = 8;
  int lmargin = 0, rmargin = 0;
  if (dtp) {
    lmargin = dtp->iLeftMargin;
    rmargin = dtp->iRightMargin;
    dtp->uiLengthDrawn = 0;
  }
  if (format & DT_CALCRECT) format |= DT_NOCLIP;
  // a single line is never broken at words
  if (format & DT_SINGLELINE) format &= ~UINT(DT_WORDBREAK);
  const int lh = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  TContext c{hdc, format, std::max(1, tm.tmAveCharWidth * tabStop)};

  RECT& rect = *lprc;
  if (count == 0) {
    const int h = (format & DT_SINGLELINE) ? lh : 0;
    if (format & DT_CALCRECT) {
      rect.right = rect.left;
      rect.bottom = rect.top + h;
    }
    return h;
  }

  const UINT oldAlign = GetTextAlign(hdc);
  SetTextAlign(hdc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  const int width = rect.right - rect.left - lmargin - rmargin;
  const UINT clipFlag = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
  const UINT rtlFlag = (format & DT_RTLREADING) ? ETO_RTLREADING : 0;
  const WCHAR* str = lpchText;
  int i = 0, y = rect.top, maxWidth = 0;
  std::u16string modified;
  bool haveModified = false;
  bool lastLine = false;
  do {
    lastLine = !(format & DT_NOCLIP) && y + ((format & DT_EDITCONTROL) ? 2 * lh - 1 : lh) > rect.bottom;
    const int before = count;
    TLine line;
    NextLine(c, str, i, count, width, lastLine, line);
    if (line.Ellipsified && (format & DT_MODIFYSTRING)) {
      modified = line.Text;
      haveModified = true;
    }
    int x = rect.left + lmargin;
    if (format & DT_CENTER)
      x = (rect.left + lmargin + rect.right - rmargin - line.Width) / 2;
    else if (format & DT_RIGHT)
      x = rect.right - rmargin - line.Width;
    if ((format & DT_SINGLELINE) && !(format & DT_CALCRECT)) {
      if (format & DT_VCENTER)
        y = rect.top + (rect.bottom - rect.top - tm.tmHeight) / 2;
      else if (format & DT_BOTTOM)
        y = rect.bottom - tm.tmHeight;
    }
    if (!(format & DT_CALCRECT)) {
      int xseg = x, from = 0, prefix = line.Prefix;
      const int len = int(line.Text.size());
      while (from < len) {
        int segLen = 0;
        while (from + segLen < len && (line.Text[size_t(from + segLen)] != Tab || !(format & DT_EXPANDTABS)))
          ++segLen;
        const WCHAR* seg = line.Text.data() + from;
        if (!(format & DT_PREFIXONLY))
          ExtTextOutW(hdc, xseg, y, clipFlag | rtlFlag, &rect, seg, UINT(segLen), nullptr);
        if (prefix >= 0 && prefix < segLen) {
          if (!(format & DT_HIDEPREFIX)) {
            SIZE a{}, b{};
            GetTextExtentPoint32W(hdc, seg, prefix, &a);
            GetTextExtentPoint32W(hdc, seg, prefix + 1, &b);
            text::DrawUnderscore(hdc, xseg + a.cx, xseg + b.cx - 1, y + tm.tmAscent + 1,
                                 (format & DT_NOCLIP) ? nullptr : &rect);
          }
          prefix = -1;
        } else if (prefix >= 0) {
          prefix -= segLen;
        }
        from += segLen;
        if (from < len) {
          // the tab
          SIZE sz{};
          GetTextExtentPoint32W(hdc, seg, segLen, &sz);
          xseg += (sz.cx / c.TabWidth + 1) * c.TabWidth;
          ++from;
          if (prefix >= 0) prefix = prefix == 0 ? -1 : prefix - 1;
        }
      }
    } else {
      maxWidth = std::max(maxWidth, line.Width);
    }
    y += lh;
    if (dtp) dtp->uiLengthDrawn += UINT(before - count);
  } while (count > 0 && !lastLine);

  SetTextAlign(hdc, oldAlign);
  if (format & DT_CALCRECT) {
    rect.right = rect.left + maxWidth + lmargin + rmargin;
    rect.bottom = y;
  }
  if (haveModified) {
    // the caller's buffer holds cchText + 4 characters
    const int room = (cchText < 0 ? TextLength(lpchText) : cchText) + 4;
    const int n = std::min<int>(int(modified.size()), room - 1);
    std::copy_n(modified.data(), n, lpchText);
    lpchText[n] = 0;
  }
  return y - rect.top;
}

int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  // Only DT_MODIFYSTRING writes to the text, and then the caller hands a
  // writable buffer, as on the platform.
  return DrawTextExW(hdc, const_cast<LPWSTR>(lpchText), cchText, lprc, format, nullptr);
}

}  // namespace win
