// The predefined "EDIT" window class: single-line and multi-line text editing
// with the window system's caret, scroll bars and clipboard, notifications to
// the parent (WM_COMMAND with EN_*) and colours asked of the parent
// (WM_CTLCOLOREDIT, or WM_CTLCOLORSTATIC when read-only or disabled).
//
// The text is kept whole; a multi-line edit breaks it into lines at CR LF
// and, without ES_AUTOHSCROLL and WS_HSCROLL, wraps each paragraph at the
// formatting rectangle (after the last blank that fits, between characters for
// a word wider than the line; blanks at the break hang past the edge). Lines
// are laid out again after every change, which keeps the code simple and is
// linear in the text.
//
// The state of a window lives in a table by handle rather than in window
// bytes, so superclasses and subclasses of any kind find it. A notification
// may destroy the window: the state is then marked dead and freed when the
// outermost message returns; every path checks the mark after calling out.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

namespace win {

namespace {

constexpr UINT DefaultLimit = 32767;
// Text longer than this is cut (indices stay within int).
constexpr int64_t MaxText = 0x7FFFFFF0;
// Positions are clamped here so that no sum of coordinates overflows.
constexpr int64_t MaxPos = 1 << 28;
// Characters measured per call (bounds the measuring buffers).
constexpr int MeasureChunk = 4096;
constexpr int CaretWidth = 1;
// While a drag selection lies outside the text, the text scrolls on a timer.
constexpr UINT_PTR DragTimer = 0xED17;
constexpr UINT DragInterval = 50;

struct TLine {
  int Start = 0;  // first character
  int Len = 0;    // characters shown (a hard break's CR LF excluded)
  int Next = 0;   // start of the following line
  int Width = 0;  // pixels (without the blanks that hang at a wrap)
};

enum TUndoKind { ukNone, ukTyping, ukDeleting };

bool IsBlank(Char c) { return c == u' ' || c == u'\t'; }
bool IsDelimiter(Char c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }
bool IsHigh(Char c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(Char c) { return c >= 0xDC00 && c <= 0xDFFF; }

// A cut of s at k moved back so that it splits neither a CR LF pair nor a
// surrogate pair.
size_t SafeCut(const String& s, size_t k) {
  if (k > 0 && k < s.size() && ((s[k - 1] == u'\r' && s[k] == u'\n') || (IsHigh(s[k - 1]) && IsLow(s[k]))))
    --k;
  return k;
}

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The DC the edits measure with (main thread only, like the windows).
HDC MeasureDC() {
  static HDC dc = CreateCompatibleDC(nullptr);
  return dc;
}

// Selects a font for the scope; the old one comes back, so a font is never
// left selected in the measuring DC (it could not be deleted).
class TFontScope {
 public:
  TFontScope(HDC dc, HFONT f) : FDC(dc), FOld(SelectObject(dc, f)) {}
  ~TFontScope() {
    if (FOld) SelectObject(FDC, FOld);
  }
  TFontScope(const TFontScope&) = delete;
  TFontScope& operator=(const TFontScope&) = delete;

 private:
  HDC FDC;
  HGDIOBJ FOld;
};

class TEdit {
 public:
  explicit TEdit(HWND h);
  LRESULT Proc(UINT m, WPARAM w, LPARAM l);

  int Busy = 0;
  bool Dead = false;

 private:
  HWND Wnd{};
  bool Multi = false, Wrap = false, HasVBar = false, HasHBar = false;
  bool Created = false;  // notifications start once WM_CREATE has run
  String Text;
  String Masked;  // the shown text of a password edit
  int Anchor = 0, Caret = 0;
  bool CaretAtLineEnd = false;  // the caret shows at the end of a wrapped line
  HFONT Font{};
  int LineHeight = 16, AveWidth = 8;
  int LeftMargin = 0, RightMargin = 0;
  RECT Format{};
  std::vector<TLine> Lines;
  // A single-line edit's caret positions, kept from its layout (every change
  // of the text, font, format or mask lays it out again).
  std::vector<int> SinglePos;
  int MaxWidth = 0;
  int TopLine = 0, XOffset = 0;
  int NotifiedTop = 0, NotifiedX = 0;
  UINT Limit = DefaultLimit;
  Char PasswordChar = 0;
  bool Modified = false;
  bool CanUndo = false;
  String UndoText;
  int UndoAnchor = 0, UndoCaret = 0;
  TUndoKind LastKind = ukNone;
  int LastPos = -1;
  bool Focused = false, OwnsCaret = false, Tracking = false, DragTimerOn = false;
  POINT LastMouse{};

  DWORD Style() const { return DWORD(GetWindowLongPtrW(Wnd, GWL_STYLE)); }
  HFONT CurFont() const { return Font ? Font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }
  bool IsMasked() const { return !Multi && PasswordChar && (Style() & ES_PASSWORD); }
  const Char* Disp() const {
    return IsMasked() && Masked.size() == Text.size() ? Masked.data() : Text.data();
  }
  int Len() const { return int(Text.size()); }
  int SelMin() const { return std::min(Anchor, Caret); }
  int SelMax() const { return std::max(Anchor, Caret); }
  int FormatWidth() const { return std::max(0, int(Format.right - Format.left)); }
  int VisibleLines() const { return std::max(1, int(Format.bottom - Format.top) / LineHeight); }
  int LineCount() const { return int(Lines.size()); }
  bool ScrollsHorizontally() const { return Multi ? !Wrap : (Style() & ES_AUTOHSCROLL) != 0; }

  // Measuring and layout
  void Metrics();
  int FontMargin() const { return (AveWidth + 2) / 4; }
  void DefaultFormat();
  int TabStop(int64_t x) const;
  void Advances(const Char* p, int n, std::vector<int>& adv) const;
  void Positions(const Char* p, int n, std::vector<int>& pos) const;
  // The x of each caret position of a line: the single line's kept ones, or
  // a multi-line edit's line measured into scratch.
  const std::vector<int>& LinePositions(int line, std::vector<int>& scratch) const {
    if (!Multi && SinglePos.size() == size_t(Lines[0].Len) + 1) return SinglePos;
    Positions(Disp() + Lines[line].Start, Lines[line].Len, scratch);
    return scratch;
  }
  // singlePos, when given, receives a single-line edit's caret positions.
  void LayoutText(const Char* p, int n, std::vector<TLine>& out, int& maxWidth,
                  std::vector<int>* singlePos = nullptr) const;
  void Layout();
  // Lays out again only the paragraphs that [a, newEnd) of the new text
  // touches (it replaced [a, oldEnd)); the lines after them move.
  void Relayout(int a, int oldEnd, int newEnd);
  String ShownOf(const String& s) const { return IsMasked() ? String(s.size(), PasswordChar) : s; }

  // Geometry
  int LineOf(int i) const;
  // The line the caret shows on.
  int CaretLine() const;
  int AlignShift(int line) const;
  int LineX(int line) const { return Format.left - XOffset + AlignShift(line); }
  int LineAtY(int y) const;
  // The top of a line (clamped: a far line of a long text stays in range).
  int LineY(int line) const {
    return int(std::clamp<int64_t>(Format.top + int64_t(line - TopLine) * LineHeight, -MaxPos, MaxPos));
  }
  POINT PosOf(int i, bool atLineEnd) const;
  int HitTest(int x, int y, bool* atLineEnd) const;
  int FirstVisibleChar() const;

  // Scrolling
  void ClampScroll();
  void ScrollCaret();
  void ScrollTo(int top, int x);
  void UpdateScrollBars();
  void PlaceCaret();
  // Ends an operation: scrolls, repaints, moves the caret and notifies
  // (EN_UPDATE, EN_HSCROLL / EN_VSCROLL, EN_CHANGE). Answers false when the
  // window died meanwhile.
  bool Update(bool textChanged, bool notify, bool scrollCaret);
  bool Notify(WORD code);

  // Editing
  void SetSelection(int anchor, int caret, bool atLineEnd = false);
  void Replace(int a, int b, const String& s, TUndoKind kind, bool undoable);
  bool Insert(String s, TUndoKind kind, bool undoable);
  bool FitsView(const String& candidate) const;
  void DeleteRange(int a, int b, TUndoKind kind);
  void SetText(const String& s);
  bool DoUndo();
  int NextChar(int i) const;
  int PrevChar(int i) const;
  int NextWord(int i) const;
  int PrevWord(int i) const;
  void WordAt(int i, int& a, int& b) const;
  void Beep() const { MessageBeep(0); }

  // Clipboard
  void CopySelection();
  String ClipboardText();

  // Input
  void KeyDown(WPARAM vk);
  void CharIn(Char ch);
  void MouseDown(int x, int y, WPARAM keys, bool dbl);
  void MouseMove(int x, int y);
  void StopTracking();
  LRESULT DialogCode(LPARAM l) const;
  void Scroll(int bar, WPARAM w, LPARAM l);

  // Painting
  HBRUSH ColorBrush(HDC dc);
  void Paint(HDC dc);
  void PaintLine(HDC dc, int line, int y, int selA, int selB, COLORREF text);
};

TEdit::TEdit(HWND h) : Wnd(h) {
  DWORD s = Style();
  Multi = (s & ES_MULTILINE) != 0;
  Wrap = Multi && !(s & (ES_AUTOHSCROLL | WS_HSCROLL));
  HasVBar = Multi && (s & WS_VSCROLL);
  HasHBar = Multi && (s & WS_HSCROLL);
  if (!Multi && (s & ES_PASSWORD)) PasswordChar = IsThemeActive() ? Char(0x25CF) : u'*';
  Metrics();
  DefaultFormat();
  Layout();
}

// ---------------------------------------------------------------------------
// Measuring and layout

void TEdit::Metrics() {
  HDC dc = MeasureDC();
  TFontScope fs(dc, CurFont());
  TEXTMETRICW tm;
  if (GetTextMetricsW(dc, &tm)) {
    LineHeight = std::max(1, int(tm.tmHeight));
    AveWidth = std::max(1, int(tm.tmAveCharWidth));
  }
}

void TEdit::DefaultFormat() {
  RECT c{};
  GetClientRect(Wnd, &c);
  Format = c;
  Format.left = std::min<LONG>(c.right, c.left + LeftMargin);
  Format.right = std::max<LONG>(Format.left, c.right - RightMargin);
}

int TEdit::TabStop(int64_t x) const {
  int64_t tab = int64_t(AveWidth) * 8;
  return int(std::min<int64_t>((x / tab + 1) * tab, MaxPos));
}

// The advance of each character (a tab's is left 0: it depends on where it
// stands).
void TEdit::Advances(const Char* p, int n, std::vector<int>& adv) const {
  adv.assign(size_t(std::max(n, 0)), 0);
  if (n <= 0) return;
  HDC dc = MeasureDC();
  TFontScope fs(dc, CurFont());
  std::vector<int> ext;
  for (int a = 0; a < n; a += MeasureChunk) {
    int k = std::min(MeasureChunk, n - a);
    ext.assign(size_t(k), 0);
    GetTextExtentExPointW(dc, p + a, k, 0, nullptr, ext.data(), nullptr);
    for (int j = 0; j < k; ++j)
      adv[size_t(a + j)] = p[a + j] == u'\t' ? 0 : ext[size_t(j)] - (j ? ext[size_t(j - 1)] : 0);
  }
}

// The x of each caret position 0..n from the start of the run.
void TEdit::Positions(const Char* p, int n, std::vector<int>& pos) const {
  std::vector<int> adv;
  Advances(p, n, adv);
  pos.assign(size_t(std::max(n, 0)) + 1, 0);
  int64_t x = 0;
  for (int k = 0; k < n; ++k) {
    x = p[k] == u'\t' ? TabStop(x) : std::min<int64_t>(x + adv[size_t(k)], MaxPos);
    pos[size_t(k) + 1] = int(x);
  }
}

void TEdit::LayoutText(const Char* p, int n, std::vector<TLine>& out, int& maxWidth,
                       std::vector<int>* singlePos) const {
  out.clear();
  maxWidth = 0;
  if (!Multi) {
    std::vector<int> scratch;
    std::vector<int>& pos = singlePos ? *singlePos : scratch;
    Positions(p, n, pos);
    out.push_back(TLine{0, n, n, pos.back()});
    maxWidth = pos.back();
    return;
  }
  int fw = std::max(1, FormatWidth());
  std::vector<int> adv;
  int start = 0;
  for (;;) {
    int end = start;
    while (end < n && !(p[end] == u'\r' && end + 1 < n && p[end + 1] == u'\n')) ++end;
    int next = end < n ? end + 2 : n;
    Advances(p + start, end - start, adv);
    int s = start;
    for (;;) {
      // One line from s: blanks hang past the edge; a break after the last
      // blank that fits, else between characters.
      int64_t x = 0;
      int lastBreak = -1;
      int i = s;
      for (; i < end; ++i) {
        Char c = p[i];
        int64_t nx = c == u'\t' ? TabStop(x) : x + adv[size_t(i - start)];
        if (IsBlank(c)) {
          x = std::min(nx, MaxPos);
          lastBreak = i + 1;
          continue;
        }
        if (Wrap && nx > fw && i > s) break;
        x = std::min(nx, MaxPos);
      }
      if (i >= end) {
        out.push_back(TLine{s, end - s, next, int(x)});
        maxWidth = std::max(maxWidth, int(x));
        break;
      }
      int brk = lastBreak > s ? lastBreak : i;
      if (brk == i && brk > s + 1 && IsLow(p[brk]) && IsHigh(p[brk - 1])) --brk;  // keep a pair whole
      std::vector<int> pos;
      Positions(p + s, brk - s, pos);
      int shown = brk;
      while (shown > s && IsBlank(p[shown - 1])) --shown;
      out.push_back(TLine{s, brk - s, brk, pos[size_t(shown - s)]});
      maxWidth = std::max(maxWidth, pos[size_t(shown - s)]);
      s = brk;
    }
    if (end >= n) break;
    start = next;
  }
}

void TEdit::Layout() {
  if (IsMasked())
    Masked.assign(Text.size(), PasswordChar);
  else
    Masked.clear();
  LayoutText(Disp(), Len(), Lines, MaxWidth, &SinglePos);
}

void TEdit::Relayout(int a, int oldEnd, int newEnd) {
  if (!Multi) return Layout();
  const Char* p = Text.data();
  int n = Len(), delta = newEnd - oldEnd;
  auto breakAt = [&](int i) { return i >= 0 && i + 1 < n && p[i] == u'\r' && p[i + 1] == u'\n'; };
  int ps = a;  // the start of the paragraph (after a line break wholly before a)
  while (ps > 0 && !breakAt(ps - 2)) --ps;
  int pe = std::max(newEnd, ps);  // the end of the last paragraph touched
  while (pe < n && !breakAt(pe)) ++pe;
  int oldPe = pe - delta;
  auto first =
      std::lower_bound(Lines.begin(), Lines.end(), ps, [](const TLine& l, int v) { return l.Start < v; });
  auto last = std::upper_bound(first, Lines.end(), oldPe, [](int v, const TLine& l) { return v < l.Start; });
  std::vector<TLine> fresh;
  int width = 0;
  LayoutText(p + ps, pe - ps, fresh, width);
  for (TLine& l : fresh) {
    l.Start += ps;
    l.Next += ps;
  }
  if (pe < n) fresh.back().Next = pe + 2;
  for (auto it = last; it != Lines.end(); ++it) {
    it->Start += delta;
    it->Next += delta;
  }
  size_t at = size_t(first - Lines.begin());
  Lines.erase(first, last);
  Lines.insert(Lines.begin() + std::ptrdiff_t(at), fresh.begin(), fresh.end());
  MaxWidth = 0;
  for (const TLine& l : Lines) MaxWidth = std::max(MaxWidth, l.Width);
}

// ---------------------------------------------------------------------------
// Geometry

int TEdit::LineOf(int i) const {
  auto it =
      std::upper_bound(Lines.begin(), Lines.end(), i, [](int v, const TLine& l) { return v < l.Start; });
  return std::max(0, int(it - Lines.begin()) - 1);
}

int TEdit::CaretLine() const {
  int l = LineOf(Caret);
  if (CaretAtLineEnd && l > 0) {
    const TLine& prev = Lines[size_t(l - 1)];
    if (prev.Next == Caret && prev.Start + prev.Len == Caret) --l;  // the end of a wrapped line
  }
  return l;
}

int TEdit::AlignShift(int line) const {
  int room = FormatWidth() - Lines[size_t(line)].Width - CaretWidth;
  if (room <= 0) return 0;
  switch (Style() & (ES_CENTER | ES_RIGHT)) {
    case ES_CENTER:
      return room / 2;
    case ES_RIGHT:
      return room;
    default:
      return 0;
  }
}

int TEdit::LineAtY(int y) const {
  if (!Multi) return 0;
  int l = TopLine + FloorDiv(y - Format.top, LineHeight);
  return std::clamp(l, 0, LineCount() - 1);
}

POINT TEdit::PosOf(int i, bool atLineEnd) const {
  i = std::clamp(i, 0, Len());
  int l = LineOf(i);
  if (atLineEnd && l > 0) {
    const TLine& prev = Lines[size_t(l - 1)];
    if (prev.Next == i && prev.Start + prev.Len == i) --l;  // the end of a wrapped line
  }
  const TLine& line = Lines[size_t(l)];
  std::vector<int> scratch;
  const std::vector<int>& pos = LinePositions(l, scratch);
  int k = std::min(i - line.Start, line.Len);
  return POINT{LineX(l) + pos[size_t(k)], LineY(l)};
}

int TEdit::HitTest(int x, int y, bool* atLineEnd) const {
  int l = LineAtY(y);
  const TLine& line = Lines[size_t(l)];
  std::vector<int> scratch;
  const std::vector<int>& pos = LinePositions(l, scratch);
  int64_t rel = int64_t(x) - LineX(l);
  // The first character whose middle lies right of the point.
  int lo = 0, hi = line.Len;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (2 * rel < int64_t(pos[size_t(mid)]) + pos[size_t(mid) + 1])
      hi = mid;
    else
      lo = mid + 1;
  }
  int k = lo;
  if (k < line.Len && k > 0 && IsLow(Text[size_t(line.Start + k)]) &&
      IsHigh(Text[size_t(line.Start + k - 1)]))
    --k;
  if (atLineEnd) *atLineEnd = k == line.Len && line.Next == line.Start + line.Len && l + 1 < LineCount();
  return line.Start + k;
}

int TEdit::FirstVisibleChar() const {
  if (Multi) return Lines[size_t(TopLine)].Start;
  std::vector<int> scratch;
  const std::vector<int>& pos = LinePositions(0, scratch);
  int shift = AlignShift(0);
  for (int k = 0; k < Lines[0].Len; ++k)
    if (shift + pos[size_t(k)] >= XOffset) return k;
  return Lines[0].Len;
}

// ---------------------------------------------------------------------------
// Scrolling, caret and notifications

void TEdit::ClampScroll() {
  TopLine = Multi ? std::clamp(TopLine, 0, std::max(0, LineCount() - VisibleLines())) : 0;
  int maxX = std::max(0, MaxWidth + CaretWidth - FormatWidth());
  XOffset = ScrollsHorizontally() ? std::clamp(XOffset, 0, maxX) : 0;
}

void TEdit::ScrollCaret() {
  int l = CaretLine();
  if (Multi) {
    int vis = VisibleLines();
    if (l < TopLine)
      TopLine = l;
    else if (l >= TopLine + vis)
      TopLine = l - vis + 1;
  }
  if (ScrollsHorizontally()) {
    std::vector<int> scratch;
    const std::vector<int>& pos = LinePositions(l, scratch);
    int k = std::clamp(Caret - Lines[size_t(l)].Start, 0, Lines[size_t(l)].Len);
    int cx = AlignShift(l) + pos[size_t(k)];
    int fw = FormatWidth();
    if (cx < XOffset)
      XOffset = cx;
    else if (cx + CaretWidth > XOffset + fw)
      XOffset = cx + CaretWidth - fw;
    XOffset = std::max(0, XOffset);
  }
}

void TEdit::ScrollTo(int top, int x) {
  TopLine = top;
  XOffset = x;
  ClampScroll();
  Update(false, false, false);
}

void TEdit::UpdateScrollBars() {
  auto set = [&](int bar, int max, int page, int pos) {
    SCROLLINFO old;
    old.cbSize = sizeof old;
    old.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(Wnd, bar, &old);
    DWORD style = Style();
    bool shown = (style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
    if (shown && old.nMin == 0 && old.nMax == max && old.nPage == UINT(page) && old.nPos == pos) return;
    SCROLLINFO si;
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = max;
    si.nPage = UINT(page);
    si.nPos = pos;
    SetScrollInfo(Wnd, bar, &si, TRUE);
  };
  if (HasVBar) set(SB_VERT, std::max(0, LineCount() - 1), VisibleLines(), TopLine);
  if (HasHBar && !Dead) set(SB_HORZ, std::max(0, MaxWidth + CaretWidth - 1), FormatWidth(), XOffset);
}

void TEdit::PlaceCaret() {
  if (!Focused || !OwnsCaret) return;
  POINT p = PosOf(Caret, CaretAtLineEnd);
  SetCaretPos(p.x, p.y);
}

bool TEdit::Notify(WORD code) {
  if (!Created || Dead) return !Dead;
  HWND parent = GetParent(Wnd);
  if (parent)
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(WORD(GetDlgCtrlID(Wnd)), code),
                 reinterpret_cast<LPARAM>(Wnd));
  return !Dead;
}

bool TEdit::Update(bool textChanged, bool notify, bool scrollCaret) {
  ClampScroll();
  if (scrollCaret) ScrollCaret();
  if (textChanged && notify && !Notify(EN_UPDATE)) return false;
  InvalidateRect(Wnd, nullptr, FALSE);
  UpdateScrollBars();
  if (Dead) return false;
  PlaceCaret();
  bool h = XOffset != NotifiedX, v = TopLine != NotifiedTop;
  NotifiedX = XOffset;
  NotifiedTop = TopLine;
  if (h && !Notify(EN_HSCROLL)) return false;
  if (v && !Notify(EN_VSCROLL)) return false;
  if (textChanged && notify && !Notify(EN_CHANGE)) return false;
  return true;
}

// ---------------------------------------------------------------------------
// Editing

void TEdit::SetSelection(int anchor, int caret, bool atLineEnd) {
  Anchor = std::clamp(anchor, 0, Len());
  Caret = std::clamp(caret, 0, Len());
  CaretAtLineEnd = atLineEnd;
  LastKind = ukNone;
}

// Replaces [a, b) with s and puts the caret after it. A change that goes on
// with the run before it (typing, or deleting, at the same place) keeps the
// run's undo state, so one undo takes back the whole run.
void TEdit::Replace(int a, int b, const String& s, TUndoKind kind, bool undoable) {
  if (undoable) {
    bool merge = kind != ukNone && kind == LastKind && Anchor == Caret && Caret == LastPos;
    if (!merge) {
      UndoText = Text;
      UndoAnchor = Anchor;
      UndoCaret = Caret;
      CanUndo = true;
    }
  } else {
    CanUndo = false;
    UndoText.clear();
  }
  Text.replace(size_t(a), size_t(b - a), s);
  Anchor = Caret = a + int(s.size());
  CaretAtLineEnd = false;
  LastKind = kind;
  LastPos = Caret;
  Modified = true;
  Relayout(a, b, Caret);
}

// Whether the text fits the view of an edit that does not scroll to make room
// (single-line without ES_AUTOHSCROLL, multi-line without ES_AUTOVSCROLL).
bool TEdit::FitsView(const String& candidate) const {
  String shown = ShownOf(candidate);
  std::vector<TLine> lines;
  int width = 0;
  LayoutText(shown.data(), int(shown.size()), lines, width);
  if (!Multi) return width + CaretWidth <= FormatWidth();
  return int(lines.size()) <= std::max(VisibleLines(), LineCount());
}

// Inserts text at the selection as typed, pasted or replaced: cut to the text
// limit and to what the view takes (EN_MAXTEXT then); answers whether the
// text changed.
bool TEdit::Insert(String s, TUndoKind kind, bool undoable) {
  int a = SelMin(), b = SelMax();
  bool maxed = false;
  int64_t kept = int64_t(Len()) - (b - a);
  int64_t room = std::max<int64_t>(0, std::min<int64_t>(int64_t(Limit), MaxText) - kept);
  if (int64_t(s.size()) > room) {
    s.resize(SafeCut(s, size_t(room)));
    maxed = true;
  }
  DWORD style = Style();
  bool bounded = Multi ? !(style & ES_AUTOVSCROLL) : !(style & ES_AUTOHSCROLL);
  if (bounded && !s.empty()) {
    auto candidate = [&](size_t k) {
      return Text.substr(0, size_t(a)) + s.substr(0, k) + Text.substr(size_t(b));
    };
    if (!FitsView(candidate(s.size()))) {
      size_t lo = 0, hi = s.size();  // the longest prefix that fits
      while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        if (FitsView(candidate(mid)))
          lo = mid;
        else
          hi = mid - 1;
      }
      s.resize(SafeCut(s, lo));
      maxed = true;
    }
  }
  if (maxed && !Notify(EN_MAXTEXT)) return false;
  if (s.empty() && a == b) return false;
  Replace(a, b, s, kind, undoable);
  Update(true, true, true);
  return true;
}

void TEdit::DeleteRange(int a, int b, TUndoKind kind) {
  if (a >= b) return;
  Replace(a, b, String(), kind, true);
  Update(true, true, true);
}

void TEdit::SetText(const String& s) {
  Text = int64_t(s.size()) > MaxText ? s.substr(0, size_t(MaxText)) : s;
  Anchor = Caret = 0;
  CaretAtLineEnd = false;
  TopLine = XOffset = NotifiedTop = NotifiedX = 0;
  CanUndo = false;
  UndoText.clear();
  LastKind = ukNone;
  Modified = false;
  Layout();
}

// Swaps the text with the undo state, so a second undo takes the first back.
bool TEdit::DoUndo() {
  if (!CanUndo) return false;
  std::swap(Text, UndoText);
  int a = Anchor, c = Caret;
  Anchor = std::clamp(UndoAnchor, 0, Len());
  Caret = std::clamp(UndoCaret, 0, Len());
  UndoAnchor = a;
  UndoCaret = c;
  CaretAtLineEnd = false;
  LastKind = ukNone;
  Modified = true;
  Layout();
  Update(true, true, true);
  return true;
}

int TEdit::NextChar(int i) const {
  int n = Len();
  if (i >= n) return n;
  if (Multi && Text[size_t(i)] == u'\r' && i + 1 < n && Text[size_t(i) + 1] == u'\n') return i + 2;
  if (IsHigh(Text[size_t(i)]) && i + 1 < n && IsLow(Text[size_t(i) + 1])) return i + 2;
  return i + 1;
}

int TEdit::PrevChar(int i) const {
  if (i <= 0) return 0;
  if (Multi && i >= 2 && Text[size_t(i) - 2] == u'\r' && Text[size_t(i) - 1] == u'\n') return i - 2;
  if (i >= 2 && IsLow(Text[size_t(i) - 1]) && IsHigh(Text[size_t(i) - 2])) return i - 2;
  return i - 1;
}

// The start of the next word (after the blanks that follow this one).
int TEdit::NextWord(int i) const {
  int n = Len();
  while (i < n && !IsDelimiter(Text[size_t(i)])) ++i;
  while (i < n && IsDelimiter(Text[size_t(i)])) ++i;
  return i;
}

// The start of this word, or of the one before when already at a start.
int TEdit::PrevWord(int i) const {
  while (i > 0 && IsDelimiter(Text[size_t(i) - 1])) --i;
  while (i > 0 && !IsDelimiter(Text[size_t(i) - 1])) --i;
  return i;
}

// The word under a position with the blanks after it, or a run of blanks.
void TEdit::WordAt(int i, int& a, int& b) const {
  int n = Len();
  if (i >= n && i > 0) i = n - 1;
  a = b = i;
  if (n == 0) return;
  Char c = Text[size_t(i)];
  if (c == u'\r' || c == u'\n') return;
  if (IsBlank(c)) {
    while (a > 0 && IsBlank(Text[size_t(a) - 1])) --a;
    while (b < n && IsBlank(Text[size_t(b)])) ++b;
    return;
  }
  while (a > 0 && !IsDelimiter(Text[size_t(a) - 1])) --a;
  while (b < n && !IsDelimiter(Text[size_t(b)])) ++b;
  while (b < n && IsBlank(Text[size_t(b)])) ++b;
}

// ---------------------------------------------------------------------------
// Clipboard

void TEdit::CopySelection() {
  int a = SelMin(), b = SelMax();
  if (a == b || IsMasked()) return;  // a password is never copied
  if (!OpenClipboard(Wnd)) return;
  EmptyClipboard();
  size_t n = size_t(b - a);
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (n + 1) * sizeof(Char));
  if (h) {
    auto* p = static_cast<Char*>(GlobalLock(h));
    if (p) {
      std::copy(Text.begin() + a, Text.begin() + b, p);
      p[n] = 0;
      GlobalUnlock(h);
      if (!SetClipboardData(CF_UNICODETEXT, h)) GlobalFree(h);
    } else {
      GlobalFree(h);
    }
  }
  CloseClipboard();
}

String TEdit::ClipboardText() {
  String s;
  if (!OpenClipboard(Wnd)) return s;
  HANDLE h = GetClipboardData(CF_UNICODETEXT);
  if (h) {
    auto* p = static_cast<const Char*>(GlobalLock(h));
    if (p) {
      size_t max = GlobalSize(h) / sizeof(Char), n = 0;
      while (n < max && p[n]) ++n;
      s.assign(p, n);
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return s;
}

// ---------------------------------------------------------------------------
// Input

void TEdit::KeyDown(WPARAM vk) {
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  int target = Caret;
  bool atEnd = false;
  int a = SelMin(), b = SelMax();
  auto lineMove = [&](int delta) {
    int x = PosOf(Caret, CaretAtLineEnd).x;
    int l = std::clamp(CaretLine() + delta, 0, LineCount() - 1);
    return HitTest(x, LineY(l), &atEnd);
  };
  switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
      bool back = vk == VK_LEFT || (vk == VK_UP && !Multi);
      if (Multi && (vk == VK_UP || vk == VK_DOWN)) {
        target = lineMove(vk == VK_UP ? -1 : 1);
      } else if (ctrl) {
        target = back ? PrevWord(Caret) : NextWord(Caret);
      } else if (!shift && a != b) {
        target = back ? a : b;  // a selection collapses to its edge
      } else {
        target = back ? PrevChar(Caret) : NextChar(Caret);
      }
      break;
    }
    case VK_HOME:
      target = (ctrl || !Multi) ? 0 : Lines[size_t(CaretLine())].Start;
      break;
    case VK_END: {
      if (ctrl || !Multi) {
        target = Len();
        break;
      }
      int l = CaretLine();
      const TLine& line = Lines[size_t(l)];
      target = line.Start + line.Len;
      atEnd = line.Next == target && l + 1 < LineCount();
      break;
    }
    case VK_PRIOR:
    case VK_NEXT:
      if (!Multi) return;
      target = lineMove(vk == VK_PRIOR ? -VisibleLines() : VisibleLines());
      break;
    case VK_DELETE:
      if (shift) {
        SendMessageW(Wnd, WM_CUT, 0, 0);
      } else if (Style() & ES_READONLY) {
        Beep();
      } else if (a != b) {
        DeleteRange(a, b, ukNone);
      } else {
        DeleteRange(Caret, NextChar(Caret), ukDeleting);
      }
      return;
    case VK_INSERT:
      if (shift)
        SendMessageW(Wnd, WM_PASTE, 0, 0);
      else if (ctrl)
        SendMessageW(Wnd, WM_COPY, 0, 0);
      return;
    default:
      return;
  }
  SetSelection(shift ? Anchor : target, target, atEnd);
  Update(false, false, true);
}

void TEdit::CharIn(Char ch) {
  DWORD style = Style();
  switch (ch) {
    case 0x01:
      SetSelection(0, Len());
      Update(false, false, true);
      return;  // Ctrl+A
    case 0x03:
      SendMessageW(Wnd, WM_COPY, 0, 0);
      return;  // Ctrl+C
    case 0x16:
      SendMessageW(Wnd, WM_PASTE, 0, 0);
      return;  // Ctrl+V
    case 0x18:
      SendMessageW(Wnd, WM_CUT, 0, 0);
      return;  // Ctrl+X
    case 0x1A:
      SendMessageW(Wnd, WM_UNDO, 0, 0);
      return;  // Ctrl+Z
    default:
      break;
  }
  if (ch == 0x08) {
    if (style & ES_READONLY) return Beep();
    if (Anchor != Caret) return DeleteRange(SelMin(), SelMax(), ukNone);
    return DeleteRange(PrevChar(Caret), Caret, ukDeleting);
  }
  String s;
  if (ch == u'\r' || ch == u'\n') {
    if (!Multi) return Beep();
    s = u"\r\n";
  } else if (ch == u'\t') {
    if (!Multi) return;
    s = u"\t";
  } else if (ch < 0x20 || ch == 0x7F) {
    return;
  } else {
    if ((style & ES_NUMBER) && !(ch >= u'0' && ch <= u'9')) return Beep();
    if (style & ES_UPPERCASE)
      ch = AnsiUpperChar(ch);
    else if (style & ES_LOWERCASE)
      ch = AnsiLowerChar(ch);
    s.assign(1, ch);
  }
  if (style & ES_READONLY) return Beep();
  Insert(s, ukTyping, true);
}

void TEdit::MouseDown(int x, int y, WPARAM keys, bool dbl) {
  if (!Focused) {
    SetFocus(Wnd);
    if (Dead) return;
  }
  bool atEnd = false;
  int i = HitTest(x, y, &atEnd);
  if (dbl) {
    int a, b;
    WordAt(i, a, b);
    SetSelection(a, b);
  } else {
    SetSelection((keys & MK_SHIFT) ? Anchor : i, i, atEnd);
    Tracking = true;
    SetCapture(Wnd);
    if (Dead) return;
  }
  Update(false, false, true);
}

void TEdit::MouseMove(int x, int y) {
  if (!Tracking || GetCapture() != Wnd) return;
  LastMouse = POINT{x, y};
  bool outside = x < Format.left || x >= Format.right ||
                 (Multi && (y < Format.top || y >= Format.top + VisibleLines() * LineHeight));
  if (outside != DragTimerOn) {
    if (outside)
      SetTimer(Wnd, DragTimer, DragInterval, nullptr);
    else
      KillTimer(Wnd, DragTimer);
    DragTimerOn = outside;
  }
  bool atEnd = false;
  int i = HitTest(x, y, &atEnd);
  if (i == Caret && atEnd == CaretAtLineEnd) return;
  SetSelection(Anchor, i, atEnd);
  Update(false, false, true);
}

void TEdit::StopTracking() {
  bool release = Tracking && GetCapture() == Wnd;
  Tracking = false;
  if (DragTimerOn) KillTimer(Wnd, DragTimer);
  DragTimerOn = false;
  if (release) ReleaseCapture();
}

LRESULT TEdit::DialogCode(LPARAM l) const {
  LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  if (!Multi) return code;
  code |= DLGC_WANTALLKEYS;
  // Keys the dialog keeps: Escape and Tab, and Enter without ES_WANTRETURN.
  if (const auto* m = reinterpret_cast<const MSG*>(l); m && m->message == WM_KEYDOWN) {
    if (m->wParam == VK_ESCAPE || m->wParam == VK_TAB ||
        (m->wParam == VK_RETURN && !(Style() & ES_WANTRETURN)))
      code &= ~DLGC_WANTALLKEYS;
  }
  return code;
}

void TEdit::Scroll(int bar, WPARAM w, LPARAM l) {
  if (!Multi) return;
  bool vert = bar == SB_VERT;
  int line = vert ? 1 : AveWidth, page = vert ? VisibleLines() : std::max(1, FormatWidth());
  int cur = vert ? TopLine : XOffset, pos = cur;
  int end = vert ? LineCount() : MaxWidth + CaretWidth;
  switch (LOWORD(w)) {
    case SB_LINEUP:
      pos -= line;
      break;
    case SB_LINEDOWN:
      pos += line;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = end;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      if (l == 0 && end > 0xFFFF) {  // our own bar beyond 16 bits: its track position
        SCROLLINFO si;
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        pos = GetScrollInfo(Wnd, bar, &si) ? si.nTrackPos : int(HIWORD(w));
      } else {
        pos = int(HIWORD(w));
      }
      break;
    default:
      return;
  }
  if (pos == cur) return;
  if (vert)
    ScrollTo(pos, XOffset);
  else
    ScrollTo(TopLine, pos);
}

// ---------------------------------------------------------------------------
// Painting

HBRUSH TEdit::ColorBrush(HDC dc) {
  UINT msg = (!IsWindowEnabled(Wnd) || (Style() & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  HWND parent = GetParent(Wnd);
  LRESULT r =
      parent ? SendMessageW(parent, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Wnd)) : 0;
  if (Dead) return nullptr;
  if (!r) r = DefWindowProcW(Wnd, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Wnd));
  return reinterpret_cast<HBRUSH>(r);
}

void TEdit::PaintLine(HDC dc, int l, int y, int selA, int selB, COLORREF text) {
  const TLine& line = Lines[size_t(l)];
  std::vector<int> scratch;
  const std::vector<int>& pos = LinePositions(l, scratch);
  int x0 = LineX(l);
  const Char* p = Disp() + line.Start;
  // Only the characters near the clip box are drawn (a long line's others
  // would be clipped away glyph by glyph); the slack covers glyphs that
  // overhang their advance.
  int k = 0, end = line.Len;
  RECT box{};
  if (GetClipBox(dc, &box) != ERROR && line.Len > 0) {
    const int64_t slack = 2 * int64_t(LineHeight) + AveWidth;
    const int64_t from = int64_t(box.left) - x0 - slack, to = int64_t(box.right) - x0 + slack;
    // pos never decreases along the line.
    k = int(std::upper_bound(pos.begin() + 1, pos.begin() + line.Len + 1, from,
                             [](int64_t v, int x) { return v < x; }) -
            pos.begin()) - 1;
    end = int(std::lower_bound(pos.begin(), pos.begin() + line.Len, to, [](int x, int64_t v) { return x < v; }) -
              pos.begin());
    k = std::clamp(k, 0, line.Len);
    end = std::clamp(end, k, line.Len);
    if (k > 0 && k < line.Len && IsLow(p[k]) && IsHigh(p[k - 1])) --k;  // keep a pair whole
    if (end < line.Len && end > 0 && IsLow(p[end]) && IsHigh(p[end - 1])) ++end;
  }
  // Runs of one selection state; tabs are gaps.
  while (k < end) {
    int i = line.Start + k;
    bool sel = i >= selA && i < selB;
    int e = k + 1;
    while (e < end && ((line.Start + e >= selA && line.Start + e < selB) == sel)) ++e;
    if (sel) {
      RECT r{x0 + pos[size_t(k)], y, x0 + pos[size_t(e)], y + LineHeight};
      FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
      SetTextColor(dc, text);
    }
    for (int s = k; s < e;) {
      if (p[s] == u'\t') {
        ++s;
        continue;
      }
      int t = s;
      while (t < e && p[t] != u'\t') ++t;
      ExtTextOutW(dc, x0 + pos[size_t(s)], y, 0, nullptr, p + s, UINT(t - s), nullptr);
      s = t;
    }
    k = e;
  }
}

void TEdit::Paint(HDC dc) {
  int saved = SaveDC(dc);
  HBRUSH brush = ColorBrush(dc);
  if (Dead) {
    RestoreDC(dc, saved);
    return;
  }
  RECT client{};
  GetClientRect(Wnd, &client);
  if (brush) FillRect(dc, &client, brush);
  COLORREF text = IsWindowEnabled(Wnd) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  SelectObject(dc, CurFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  IntersectClipRect(dc, Format.left, client.top, Format.right, client.bottom);
  bool showSel = Anchor != Caret && (Focused || (Style() & ES_NOHIDESEL));
  int selA = showSel ? SelMin() : 0, selB = showSel ? SelMax() : 0;
  int last = Multi ? std::min(LineCount(), TopLine + VisibleLines()) : 1;
  for (int l = Multi ? TopLine : 0; l < last; ++l) PaintLine(dc, l, LineY(l), selA, selB, text);
  RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------
// The window procedure

LRESULT TEdit::Proc(UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_NCCREATE: {
      LRESULT r = DefWindowProcW(Wnd, m, w, l);
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(l);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) SetText(String(cs->lpszName));
      return r;
    }
    case WM_CREATE:
      DefaultFormat();
      Layout();
      ClampScroll();
      UpdateScrollBars();
      Created = true;
      return 0;
    case WM_NCDESTROY:
      Dead = true;
      return DefWindowProcW(Wnd, m, w, l);
    case WM_SIZE:
      DefaultFormat();
      Layout();
      Update(false, false, false);
      return 0;
    case WM_STYLECHANGED:
      Layout();
      Update(false, false, false);
      return 0;
    case WM_ENABLE:
      InvalidateRect(Wnd, nullptr, FALSE);
      return 0;

    // Text
    case WM_SETTEXT:
      SetText(l ? String(reinterpret_cast<LPCWSTR>(l)) : String());
      Update(true, !Multi, false);
      return TRUE;
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<LPWSTR>(l);
      int64_t n = int64_t(w);
      if (!buf || n <= 0) return 0;
      int len = int(std::min<int64_t>(Len(), n - 1));
      std::copy(Text.begin(), Text.begin() + len, buf);
      buf[len] = 0;
      return len;
    }
    case WM_GETTEXTLENGTH:
      return Len();
    case WM_SETFONT:
      Font = reinterpret_cast<HFONT>(w);
      Metrics();
      LeftMargin = RightMargin = FontMargin();
      DefaultFormat();
      Layout();
      if (Focused && OwnsCaret) {
        CreateCaret(Wnd, nullptr, CaretWidth, LineHeight);
        ShowCaret(Wnd);
      }
      ClampScroll();
      UpdateScrollBars();
      if (Dead) return 0;
      PlaceCaret();
      if (l) InvalidateRect(Wnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font);

    // Selection and replacement
    case EM_GETSEL: {
      DWORD a = DWORD(SelMin()), b = DWORD(SelMax());
      if (w) *reinterpret_cast<DWORD*>(w) = a;
      if (l) *reinterpret_cast<DWORD*>(l) = b;
      return (a > 0xFFFF || b > 0xFFFF) ? -1 : LRESULT(MAKELONG(WORD(a), WORD(b)));
    }
    case EM_SETSEL: {
      int a = int(LONG_PTR(w)), b = int(LONG_PTR(l));
      if (a == -1)
        SetSelection(Caret, Caret);
      else
        SetSelection(a, b < 0 ? Len() : b);
      Update(false, false, !Multi);
      return 0;
    }
    case EM_REPLACESEL:
      Insert(l ? String(reinterpret_cast<LPCWSTR>(l)) : String(), ukNone, w != 0);
      return 0;
    case EM_LIMITTEXT:
      Limit = w ? UINT(w) : Multi ? 0xFFFFFFFFu : 0x7FFFFFFEu;
      return 0;
    case EM_GETLIMITTEXT:
      return LRESULT(Limit);
    case EM_SETPASSWORDCHAR: {
      if (Multi) return 0;
      PasswordChar = Char(w);
      DWORD s = Style();
      DWORD ns = PasswordChar ? (s | ES_PASSWORD) : (s & ~ES_PASSWORD);
      if (ns != s) SetWindowLongPtrW(Wnd, GWL_STYLE, LONG_PTR(ns));
      if (Dead) return 0;
      Layout();
      Update(false, false, false);
      return 0;
    }
    case EM_GETPASSWORDCHAR:
      return IsMasked() ? LRESULT(PasswordChar) : 0;
    case EM_SETREADONLY: {
      DWORD s = Style();
      SetWindowLongPtrW(Wnd, GWL_STYLE, LONG_PTR(w ? (s | ES_READONLY) : (s & ~ES_READONLY)));
      if (!Dead) InvalidateRect(Wnd, nullptr, FALSE);
      return TRUE;
    }
    case EM_SETMARGINS: {
      auto margin = [&](WORD v) { return v == EC_USEFONTINFO ? FontMargin() : int(v); };
      if (w == EC_USEFONTINFO) {
        LeftMargin = RightMargin = FontMargin();
      } else {
        if (w & EC_LEFTMARGIN) LeftMargin = margin(LOWORD(l));
        if (w & EC_RIGHTMARGIN) RightMargin = margin(HIWORD(l));
      }
      DefaultFormat();
      Layout();
      Update(false, false, false);
      return 0;
    }
    case EM_GETMARGINS:
      return LRESULT(MAKELONG(WORD(LeftMargin), WORD(RightMargin)));

    // Positions and lines
    case EM_POSFROMCHAR: {
      int i = int(LONG_PTR(w));
      if (i < 0 || i >= Len()) return -1;
      POINT p = PosOf(i, false);
      return LRESULT(MAKELONG(WORD(p.x), WORD(p.y)));
    }
    case EM_CHARFROMPOS: {
      int i = HitTest(GET_X_LPARAM(l), GET_Y_LPARAM(l), nullptr);
      return LRESULT(MAKELONG(WORD(i), WORD(Multi ? LineOf(i) : 0)));
    }
    case EM_LINEFROMCHAR: {
      if (!Multi) return 0;
      int i = int(LONG_PTR(w));
      return LineOf(i < 0 ? SelMin() : std::min(i, Len()));
    }
    case EM_LINEINDEX: {
      int line = int(LONG_PTR(w));
      if (line < 0) line = LineOf(Caret);
      if (line >= LineCount()) return -1;
      return Lines[size_t(line)].Start;
    }
    case EM_LINELENGTH: {
      int i = int(LONG_PTR(w));
      if (i < 0) {  // the unselected characters of the lines the selection touches
        const TLine& first = Lines[size_t(LineOf(SelMin()))];
        const TLine& last = Lines[size_t(LineOf(SelMax()))];
        return (SelMin() - first.Start) + std::max(0, last.Start + last.Len - SelMax());
      }
      return Lines[size_t(LineOf(std::min(i, Len())))].Len;
    }
    case EM_GETLINECOUNT:
      return LineCount();
    case EM_GETLINE: {
      auto* buf = reinterpret_cast<LPWSTR>(l);
      int line = Multi ? int(LONG_PTR(w)) : 0;
      if (!buf || line < 0 || line >= LineCount()) return 0;
      WORD max = 0;
      std::memcpy(&max, buf, sizeof max);
      const TLine& ln = Lines[size_t(line)];
      int n = std::min<int>(ln.Len, max);
      std::copy(Text.begin() + ln.Start, Text.begin() + ln.Start + n, buf);
      return n;
    }
    case EM_LINESCROLL:
      if (!Multi) return FALSE;
      ScrollTo(int(std::clamp<int64_t>(int64_t(TopLine) + int(LONG_PTR(l)), 0, INT_MAX)),
               Wrap ? XOffset
                    : int(std::clamp<int64_t>(int64_t(XOffset) + int64_t(int(LONG_PTR(w))) * AveWidth, 0,
                                              MaxPos)));
      return TRUE;
    case EM_SCROLLCARET:
      Update(false, false, true);
      return TRUE;
    case EM_GETFIRSTVISIBLELINE:
      return Multi ? TopLine : FirstVisibleChar();
    case EM_SETRECT:
    case EM_SETRECTNP: {
      if (!Multi) return 0;
      const auto* r = reinterpret_cast<const RECT*>(l);
      if (!r) {
        DefaultFormat();
      } else if (w) {
        Format = RECT{Format.left + r->left, Format.top + r->top, Format.right + r->right,
                      Format.bottom + r->bottom};
      } else {
        Format = *r;
      }
      Format.right = std::max(Format.right, Format.left);
      Format.bottom = std::max(Format.bottom, Format.top);
      Layout();
      ClampScroll();
      UpdateScrollBars();
      if (Dead) return 0;
      PlaceCaret();
      if (m == EM_SETRECT) InvalidateRect(Wnd, nullptr, TRUE);
      return 0;
    }
    case EM_GETRECT:
      if (l) *reinterpret_cast<RECT*>(l) = Format;
      return 0;

    // Undo and modification
    case EM_UNDO:
    case WM_UNDO:
      return DoUndo() ? TRUE : FALSE;
    case EM_CANUNDO:
      return CanUndo ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
      CanUndo = false;
      UndoText.clear();
      LastKind = ukNone;
      return 0;
    case EM_GETMODIFY:
      return Modified ? TRUE : FALSE;
    case EM_SETMODIFY:
      Modified = w != 0;
      return 0;

    // Clipboard
    case WM_COPY:
      CopySelection();
      return 0;
    case WM_CUT:
      if ((Style() & ES_READONLY) || IsMasked() || Anchor == Caret) return 0;
      CopySelection();
      DeleteRange(SelMin(), SelMax(), ukNone);
      return 0;
    case WM_CLEAR:
      if (!(Style() & ES_READONLY)) DeleteRange(SelMin(), SelMax(), ukNone);
      return 0;
    case WM_PASTE: {
      if (Style() & ES_READONLY) return 0;
      String s = ClipboardText();
      if (Dead || s.empty()) return 0;
      if (!Multi) s = s.substr(0, std::min(s.find(u'\r'), s.find(u'\n')));  // the first line only
      DWORD style = Style();
      if (style & ES_UPPERCASE)
        s = AnsiUpperCase(s);
      else if (style & ES_LOWERCASE)
        s = AnsiLowerCase(s);
      Insert(s, ukNone, true);
      return 0;
    }

    // Focus
    case WM_SETFOCUS:
      Focused = true;
      OwnsCaret = CreateCaret(Wnd, nullptr, CaretWidth, LineHeight) != FALSE;
      PlaceCaret();
      if (OwnsCaret) ShowCaret(Wnd);
      if (Anchor != Caret) InvalidateRect(Wnd, nullptr, FALSE);
      Notify(EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Focused = false;
      if (OwnsCaret) DestroyCaret();
      OwnsCaret = false;
      StopTracking();
      if (Dead) return 0;
      if (Anchor != Caret && !(Style() & ES_NOHIDESEL)) InvalidateRect(Wnd, nullptr, FALSE);
      Notify(EN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE:
      return DialogCode(l);

    // Keyboard and mouse
    case WM_KEYDOWN:
      KeyDown(w);
      return 0;
    case WM_SYSKEYDOWN:
      if (w == VK_BACK && (l & (LPARAM(1) << 29))) {  // Alt+Backspace
        SendMessageW(Wnd, WM_UNDO, 0, 0);
        return 0;
      }
      return DefWindowProcW(Wnd, m, w, l);
    case WM_CHAR:
    case WM_IME_CHAR:
      CharIn(Char(w));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDown(GET_X_LPARAM(l), GET_Y_LPARAM(l), w, m == WM_LBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(GET_X_LPARAM(l), GET_Y_LPARAM(l));
      return 0;
    case WM_LBUTTONUP:
      StopTracking();
      return 0;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      StopTracking();
      if (Dead) return 0;
      return DefWindowProcW(Wnd, m, w, l);
    case WM_TIMER:
      if (w != DragTimer) return DefWindowProcW(Wnd, m, w, l);
      if (Tracking)
        MouseMove(LastMouse.x, LastMouse.y);
      else
        StopTracking();
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(m == WM_VSCROLL ? SB_VERT : SB_HORZ, w, l);
      return 0;
    case WM_MOUSEWHEEL: {
      if (!Multi) return DefWindowProcW(Wnd, m, w, l);
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      int steps = GET_WHEEL_DELTA_WPARAM(w) / WHEEL_DELTA;
      int delta =
          lines == WHEEL_PAGESCROLL ? -steps * VisibleLines() : -steps * int(std::min<UINT>(lines, 1000));
      if (delta) ScrollTo(std::max(0, TopLine + delta), XOffset);
      return 0;
    }

    // Painting
    case WM_PAINT:
      if (w) {  // a DC handed in (buffered painting)
        Paint(reinterpret_cast<HDC>(w));
      } else {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Wnd, &ps);
        if (dc) Paint(dc);
        if (!Dead) EndPaint(Wnd, &ps);
      }
      return 0;
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(w));
      return 0;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(w);
      HBRUSH brush = ColorBrush(dc);
      if (Dead) return 1;
      RECT client{};
      GetClientRect(Wnd, &client);
      if (brush) FillRect(dc, &client, brush);
      return 1;
    }
    default:
      return DefWindowProcW(Wnd, m, w, l);
  }
}

// ---------------------------------------------------------------------------

std::unordered_map<HWND, TEdit*>& Edits() {
  static std::unordered_map<HWND, TEdit*> map;
  return map;
}

LRESULT EditProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  auto& map = Edits();
  auto it = map.find(h);
  TEdit* e = nullptr;
  if (it != map.end()) {
    e = it->second;
  } else {
    if (m == WM_NCDESTROY || !IsWindow(h)) return DefWindowProcW(h, m, w, l);
    e = new TEdit(h);
    map.emplace(h, e);
  }
  // The state stays until the outermost message of its window returns.
  ++e->Busy;
  Finally keep([e] {
    if (--e->Busy == 0 && e->Dead) delete e;
  });
  if (m == WM_NCDESTROY) map.erase(h);
  return e->Proc(m, w, l);
}

}  // namespace

void RegisterEditClass() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW c;
  c.cbSize = sizeof c;
  c.style = CS_DBLCLKS;
  c.lpfnWndProc = &EditProc;
  c.hInstance = HInstance;
  c.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
  c.lpszClassName = u"EDIT";
  RegisterClassExW(&c);
}

}  // namespace win
