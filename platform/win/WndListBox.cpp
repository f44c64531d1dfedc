// The "LISTBOX" window class: items with text and data (or a bare count for
// no-data lists), single, multiple and extended selection, owner drawing
// (fixed and variable heights), multiple columns, the standard scroll bars
// of the default window procedure, mouse and keyboard selection and the
// notifications to the parent.
//
// A list box keeps its state in a table keyed by its handle (made on
// WM_NCCREATE, dropped on WM_NCDESTROY), so that a class copied from this one
// with another name and procedure (subclassing) still finds it. Selection and
// focus changes are drawn at once through a window DC, as WM_DRAWITEM with
// ODA_SELECT and ODA_FOCUS for owner-drawn lists; a list whose redrawing is
// off (WM_SETREDRAW) or that is hidden only invalidates.
#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Strings.h"
#include "platform/win/Windows.h"
#include "platform/win/WndControlState.h"

namespace win {

namespace {

constexpr int kMaxItemHeight = 255;

struct TItem {
  String Text;
  ULONG_PTR Data = 0;
  int Height = 0;  // variable-height lists
  bool Selected = false;
};

class TListBox {
 public:
  HWND Wnd{};
  DWORD Style = 0;  // the LBS_ bits of the creation style
  bool WantV = false, WantH = false;
  std::vector<TItem> Items;
  int NoDataCount = 0;
  std::vector<bool> NoDataSel;  // multiple-selection no-data lists
  int Top = 0, Caret = 0, Anchor = 0, Sel = -1;
  int ItemHeight = 16;
  int AveWidth = 7;
  int HorzExtent = 0, HorzPos = 0, ColumnWidth = 0;
  std::vector<int> TabStops;  // dialog units; empty: every 32
  HFONT Font{};
  DWORD Locale = 0x0400;  // LOCALE_USER_DEFAULT
  bool Focused = false, Redraw = true;
  bool Tracking = false, TrackCtrl = false, TrackState = false;
  std::vector<bool> TrackSnapshot;
  unsigned SelChanges = 0, TrackStart = 0;
  int UpdatingBars = 0;
  int WheelRest = 0;
  // Messages of this list under way, and whether WM_NCDESTROY came: a list
  // destroyed by its parent during a notification is freed only when its
  // outermost message returns.
  int Depth = 0;
  bool Dead = false;

  // ---- Style ----
  bool NoData() const { return Style & LBS_NODATA; }
  bool OwnerDraw() const { return Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE); }
  bool Variable() const { return (Style & LBS_OWNERDRAWVARIABLE) && !(Style & LBS_MULTICOLUMN); }
  bool HasStrings() const { return !OwnerDraw() || (Style & LBS_HASSTRINGS); }
  bool MultiColumn() const { return Style & LBS_MULTICOLUMN; }
  bool Extended() const { return Style & LBS_EXTENDEDSEL; }
  bool Multiple() const { return (Style & LBS_MULTIPLESEL) && !Extended(); }
  bool Multi() const { return Style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL); }
  bool NoSel() const { return Style & LBS_NOSEL; }

  // ---- Items ----
  int Count() const { return NoData() ? NoDataCount : int(Items.size()); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
  ULONG_PTR Data(int i) const { return NoData() || !Valid(i) ? 0 : Items[size_t(i)].Data; }
  bool IsSel(int i) const {
    if (!Valid(i)) return false;
    if (!Multi()) return i == Sel;
    return NoData() ? bool(NoDataSel[size_t(i)]) : Items[size_t(i)].Selected;
  }
  void SetSel(int i, bool v) {
    if (!Valid(i) || IsSel(i) == v) return;
    ++SelChanges;
    if (!Multi())
      Sel = v ? i : -1;
    else if (NoData())
      NoDataSel[size_t(i)] = v;
    else
      Items[size_t(i)].Selected = v;
  }
  void SelectRange(int a, int b, bool v) {
    if (a > b) std::swap(a, b);
    a = std::max(a, 0);
    b = std::min(b, Count() - 1);
    for (int i = a; i <= b; ++i) SetSel(i, v);
  }
  void ClearSelection() {
    if (!Multi()) {
      SetSel(Sel, false);
      return;
    }
    for (int i = 0, n = Count(); i < n; ++i) SetSel(i, false);
  }

  // ---- Geometry ----
  RECT Client() const {
    RECT r{};
    GetClientRect(Wnd, &r);
    return r;
  }
  int ItemH(int i) const { return Variable() && Valid(i) ? Items[size_t(i)].Height : ItemHeight; }
  int Rows() const { return std::max(1, int(Client().bottom) / std::max(1, ItemHeight)); }
  int ColW() const { return ColumnWidth > 0 ? ColumnWidth : std::max(1, 15 * AveWidth); }
  int VisibleColumns() const { return std::max(1, int(Client().right) / ColW()); }
  int ItemsWidth() const { return std::max(int(Client().right), HorzExtent); }

  RECT ItemRect(int i) const {
    if (MultiColumn()) {
      int rows = Rows(), rel = i - Top;
      int col = rel >= 0 ? rel / rows : -((-rel + rows - 1) / rows);
      int row = rel - col * rows;
      int cw = ColW();
      return RECT{col * cw, row * ItemHeight, (col + 1) * cw, (row + 1) * ItemHeight};
    }
    int y = 0;
    if (!Variable()) {
      y = (i - Top) * ItemHeight;
    } else if (i >= Top) {
      for (int k = Top; k < i; ++k) y += ItemH(k);
    } else {
      for (int k = i; k < Top; ++k) y -= ItemH(k);
    }
    return RECT{-HorzPos, y, -HorzPos + ItemsWidth(), y + ItemH(i)};
  }

  // The nearest item to a client point; outside: the point is not on an item.
  int ItemFromPoint(POINT p, bool& outside) const {
    RECT c = Client();
    int n = Count();
    outside = p.x < 0 || p.y < 0 || p.x >= c.right || p.y >= c.bottom;
    if (n == 0) {
      outside = true;
      return 0;
    }
    int i;
    if (MultiColumn()) {
      int rows = Rows();
      int col = std::max(0, p.x) / ColW();
      int row = std::clamp(int(p.y) / std::max(1, ItemHeight), 0, rows - 1);
      if (p.y >= rows * ItemHeight) outside = true;
      i = Top + col * rows + row;
    } else if (p.y < 0) {
      i = Top;
    } else {
      i = Top;
      int y = ItemH(i);
      while (y <= p.y && i < n - 1) y += ItemH(++i);
      if (y <= p.y) outside = true;
    }
    if (i >= n) {
      i = n - 1;
      outside = true;
    }
    return i;
  }

  // Items wholly visible from the top (at least one).
  int FullyVisible() const {
    if (MultiColumn()) return Rows() * VisibleColumns();
    int h = Client().bottom;
    if (!Variable()) return std::max(1, h / std::max(1, ItemHeight));
    int k = 0, y = 0;
    for (int i = Top; i < Count() && y + ItemH(i) <= h; ++i, ++k) y += ItemH(i);
    return std::max(1, k);
  }
  int MaxTop() const {
    int n = Count();
    if (n == 0) return 0;
    if (MultiColumn()) {
      int rows = Rows();
      int cols = (n + rows - 1) / rows;
      return std::max(0, cols - VisibleColumns()) * rows;
    }
    int h = Client().bottom;
    if (!Variable()) return std::max(0, n - std::max(1, h / std::max(1, ItemHeight)));
    int i = n, sum = 0;
    while (i > 0 && sum + ItemH(i - 1) <= h) sum += ItemH(--i);
    return std::min(i, n - 1);
  }
  // The first and one past the last item that show in the client area.
  std::pair<int, int> VisibleRange() const {
    int n = Count();
    if (MultiColumn()) return {Top, std::min(n, Top + Rows() * (VisibleColumns() + 1))};
    int h = Client().bottom, i = Top, y = 0;
    while (i < n && y < h) y += ItemH(i++);
    return {std::min(Top, n), i};
  }

  // ---- Scrolling ----
  void SetTop(int t) {
    t = std::clamp(t, 0, MaxTop());
    if (MultiColumn()) t = t / Rows() * Rows();
    if (t == Top) return;
    Top = t;
    InvalidateRect(Wnd, nullptr, TRUE);
    UpdateScrollBars();
  }
  void SetHorzPos(int x) {
    x = std::clamp(x, 0, std::max(0, HorzExtent - int(Client().right)));
    if (x == HorzPos) return;
    HorzPos = x;
    InvalidateRect(Wnd, nullptr, TRUE);
    UpdateScrollBars();
  }
  void EnsureVisible(int i, bool partialOk) {
    if (!Valid(i)) return;
    if (MultiColumn()) {
      int rows = Rows(), col = i / rows, topCol = Top / rows, vis = VisibleColumns();
      if (col < topCol)
        SetTop(col * rows);
      else if (col >= topCol + vis)
        SetTop((col - vis + 1) * rows);
      return;
    }
    if (i < Top) {
      SetTop(i);
      return;
    }
    RECT r = ItemRect(i);
    int h = Client().bottom;
    if (r.bottom <= h || (partialOk && r.top < h)) return;
    int t = i, sum = ItemH(i);
    while (t > 0 && sum + ItemH(t - 1) <= h) sum += ItemH(--t);
    SetTop(t);
  }
  void UpdateScrollBars() {
    if (!Redraw || UpdatingBars) return;
    ++UpdatingBars;
    // Showing or hiding a bar changes the client area and so the page: a
    // second round settles it.
    for (int round = 0; round < 3; ++round) {
      RECT before = Client();
      Top = std::clamp(Top, 0, MaxTop());
      UINT mask = SIF_RANGE | SIF_PAGE | SIF_POS | ((Style & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
      SCROLLINFO si;
      si.cbSize = sizeof si;
      si.fMask = mask;
      int n = Count();
      if (MultiColumn()) {
        if (WantH) {
          int rows = Rows(), cols = (n + rows - 1) / rows;
          si.nMax = std::max(cols - 1, 0);
          si.nPage = UINT(std::max(1, VisibleColumns()));
          si.nPos = Top / rows;
          SetScrollInfo(Wnd, SB_HORZ, &si, TRUE);
        }
      } else {
        if (WantV) {
          si.nMax = std::max(n - 1, 0);
          si.nPage = UINT(n - MaxTop());
          si.nPos = Top;
          SetScrollInfo(Wnd, SB_VERT, &si, TRUE);
        }
        if (WantH) {
          HorzPos = std::clamp(HorzPos, 0, std::max(0, HorzExtent - int(Client().right)));
          si.nMax = std::max(HorzExtent - 1, 0);
          si.nPage = UINT(std::max(0, int(Client().right)));
          si.nPos = HorzPos;
          SetScrollInfo(Wnd, SB_HORZ, &si, TRUE);
        }
      }
      if (!IsWindow(Wnd)) break;
      RECT after = Client();
      if (EqualRect(&before, &after)) break;
    }
    --UpdatingBars;
  }

  // ---- Parent ----
  HWND Parent() const { return GetParent(Wnd); }
  UINT Id() const { return UINT(GetDlgCtrlID(Wnd)); }
  void Notify(WORD code) {
    HWND p = Parent();
    if (p) SendMessageW(p, WM_COMMAND, MAKEWPARAM(WORD(Id()), code), LPARAM(Wnd));
  }
  void NotifySelChange() {
    if (Style & LBS_NOTIFY) Notify(LBN_SELCHANGE);
  }

  // ---- Drawing ----
  HFONT FontOrDefault() const { return Font ? Font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }
  HBRUSH PrepareDC(HDC dc) {
    SelectObject(dc, FontOrDefault());
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    HWND p = Parent();
    HBRUSH b = p ? reinterpret_cast<HBRUSH>(SendMessageW(p, WM_CTLCOLORLISTBOX, WPARAM(dc), LPARAM(Wnd)))
                 : reinterpret_cast<HBRUSH>(DefWindowProcW(Wnd, WM_CTLCOLORLISTBOX, WPARAM(dc), LPARAM(Wnd)));
    return b ? b : GetSysColorBrush(COLOR_WINDOW);
  }
  UINT StateOf(int i) const {
    UINT s = 0;
    if (IsSel(i)) s |= ODS_SELECTED;
    if (Focused && i == Caret) s |= ODS_FOCUS;
    if (!IsWindowEnabled(Wnd)) s |= ODS_DISABLED;
    return s;
  }
  void SendDrawItem(HDC dc, int i, UINT action, UINT state, RECT r) {
    HWND p = Parent();
    if (!p) return;
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_LISTBOX;
    dis.CtlID = Id();
    dis.itemID = UINT(i);
    dis.itemAction = action;
    dis.itemState = state;
    dis.hwndItem = Wnd;
    dis.hDC = dc;
    dis.rcItem = r;
    dis.itemData = i >= 0 ? Data(i) : 0;
    RECT c = Client(), clip;
    IntersectRect(&clip, &r, &c);
    int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    SendMessageW(p, WM_DRAWITEM, WPARAM(dis.CtlID), LPARAM(&dis));
    RestoreDC(dc, saved);
  }
  void DrawItem(HDC dc, HBRUSH brush, int i, UINT action) {
    if (!Valid(i)) return;  // the parent may change the list while it draws
    RECT r = ItemRect(i);
    if (OwnerDraw()) {
      SendDrawItem(dc, i, action, StateOf(i), r);
      return;
    }
    bool sel = IsSel(i);
    int saved = SaveDC(dc);
    FillRect(dc, &r, sel ? GetSysColorBrush(COLOR_HIGHLIGHT) : brush);
    if (sel)
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    else if (!IsWindowEnabled(Wnd))
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    const String& s = Items[size_t(i)].Text;
    if (Style & LBS_USETABSTOPS) {
      std::vector<int> stops;
      for (int t : TabStops) stops.push_back(t * AveWidth / 4);
      if (stops.empty()) stops.push_back(32 * AveWidth / 4);
      int clip = SaveDC(dc);
      IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
      TabbedTextOutW(dc, r.left + 2, r.top, s.c_str(), int(s.size()), int(stops.size()), stops.data(), r.left);
      RestoreDC(dc, clip);
    } else {
      ExtTextOutW(dc, r.left + 2, r.top, ETO_CLIPPED, &r, s.c_str(), UINT(s.size()), nullptr);
    }
    RestoreDC(dc, saved);
    if (Focused && i == Caret) DrawFocusRect(dc, &r);
  }
  // The focus of an empty list: the first item's place.
  void DrawEmptyFocus(HDC dc) {
    RECT r = ItemRect(0);
    if (OwnerDraw())
      SendDrawItem(dc, -1, ODA_FOCUS, Focused ? ODS_FOCUS : 0, r);
    else if (Focused)
      DrawFocusRect(dc, &r);
  }
  void Paint(HDC dc) {
    int saved = SaveDC(dc);
    HBRUSH brush = PrepareDC(dc);
    RECT c = Client();
    FillRect(dc, &c, brush);
    if (Count() == 0) {
      if (Focused) DrawEmptyFocus(dc);
    } else {
      auto [first, last] = VisibleRange();
      for (int i = first; i < last && IsWindow(Wnd); ++i) DrawItem(dc, brush, i, ODA_DRAWENTIRE);
    }
    RestoreDC(dc, saved);
  }
  // Draws items at once (or invalidates them when drawing is off).
  void DrawNow(const std::vector<std::pair<int, UINT>>& what) {
    if (what.empty()) return;
    RECT c = Client();
    if (!Redraw || !IsWindowVisible(Wnd)) {
      for (auto [i, a] : what) {
        RECT r = Count() == 0 ? ItemRect(0) : ItemRect(i);
        InvalidateRect(Wnd, &r, TRUE);
      }
      return;
    }
    HDC dc = GetDC(Wnd);
    if (!dc) return;
    HBRUSH brush = PrepareDC(dc);
    IntersectClipRect(dc, c.left, c.top, c.right, c.bottom);
    for (auto [i, action] : what) {
      if (!IsWindow(Wnd)) break;
      if (i < 0) {
        DrawEmptyFocus(dc);
        continue;
      }
      if (!Valid(i)) continue;
      RECT r = ItemRect(i), x;
      if (IntersectRect(&x, &r, &c)) DrawItem(dc, brush, i, action);
    }
    ReleaseDC(Wnd, dc);
  }

  // Runs a change of selection, caret or focus and draws what changed:
  // the old caret losing the focus, the items whose selection changed, the
  // new caret taking it.
  template <class F>
  void Change(F&& f) {
    int oldTop = Top, oldCaret = Caret;
    bool oldFocused = Focused;
    auto [first, last] = VisibleRange();
    std::vector<bool> before;
    for (int i = first; i < last; ++i) before.push_back(IsSel(i));
    f();
    if (!IsWindow(Wnd) || Top != oldTop) return;  // scrolling repaints everything
    std::vector<std::pair<int, UINT>> draws;
    bool focusMoved = oldFocused != Focused || (Focused && oldCaret != Caret);
    if (Count() == 0) {
      if (oldFocused != Focused) draws.emplace_back(-1, ODA_FOCUS);
      DrawNow(draws);
      return;
    }
    if (focusMoved && oldFocused && Valid(oldCaret) && oldCaret != Caret) draws.emplace_back(oldCaret, ODA_FOCUS);
    for (int i = first; i < last && i < Count(); ++i)
      if (before[size_t(i - first)] != IsSel(i)) draws.emplace_back(i, ODA_SELECT);
    if (focusMoved && Valid(Caret)) draws.emplace_back(Caret, ODA_FOCUS);
    DrawNow(draws);
  }

  void Invalidate() { InvalidateRect(Wnd, nullptr, TRUE); }
  void ContentChanged() {
    UpdateScrollBars();
    Invalidate();
  }

  // ---- Item editing ----
  int MeasureItem(int i, ULONG_PTR data) {
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_LISTBOX;
    mis.CtlID = Id();
    mis.itemID = UINT(i);
    mis.itemWidth = UINT(std::max<LONG>(0, Client().right));
    mis.itemHeight = UINT(ItemHeight);
    mis.itemData = data;
    if (HWND p = Parent()) SendMessageW(p, WM_MEASUREITEM, WPARAM(mis.CtlID), LPARAM(&mis));
    return std::clamp(int(std::min<UINT>(mis.itemHeight, kMaxItemHeight)), 1, kMaxItemHeight);
  }
  int SortedPosition(const String& text, ULONG_PTR data) {
    int lo = 0, hi = Count();
    while (lo < hi) {
      int mid = lo + (hi - lo) / 2;
      if (mid >= Count()) return std::min(lo, Count());  // the parent changed the list meanwhile
      int c;
      if (HasStrings()) {
        c = AnsiCompareText(text, Items[size_t(mid)].Text);
      } else {
        COMPAREITEMSTRUCT cis;
        cis.CtlType = ODT_LISTBOX;
        cis.CtlID = Id();
        cis.hwndItem = Wnd;
        cis.itemID1 = UINT(-1);
        cis.itemData1 = data;
        cis.itemID2 = UINT(mid);
        cis.itemData2 = Items[size_t(mid)].Data;
        cis.dwLocaleId = Locale;
        HWND p = Parent();
        c = p ? int(SendMessageW(p, WM_COMPAREITEM, WPARAM(cis.CtlID), LPARAM(&cis))) : 0;
        if (!IsWindow(Wnd)) return -1;
      }
      if (c < 0)
        hi = mid;
      else
        lo = mid + 1;
    }
    return lo;
  }
  LRESULT Insert(int at, LPARAM lParam, bool sorted) {
    if (NoData()) return LB_ERR;
    String text;
    ULONG_PTR data = 0;
    if (HasStrings())
      text = lParam ? String(reinterpret_cast<LPCWSTR>(lParam)) : String();
    else
      data = ULONG_PTR(lParam);
    int n = Count();
    if (sorted && (Style & LBS_SORT)) {
      at = SortedPosition(text, data);
      if (at < 0) return LB_ERR;
    } else if (at < 0 || at > n) {
      if (at != -1) return LB_ERR;
      at = n;
    }
    TItem item;
    item.Text = std::move(text);
    item.Data = data;
    item.Height = ItemHeight;
    Items.insert(Items.begin() + at, std::move(item));
    if (Sel >= at) ++Sel;
    if (n > 0 && Caret >= at) ++Caret;
    if (n > 0 && Anchor >= at) ++Anchor;
    if (Variable()) {
      int h = MeasureItem(at, HasStrings() ? ULONG_PTR(lParam) : data);
      if (!IsWindow(Wnd)) return LB_ERR;
      if (at < Count()) Items[size_t(at)].Height = h;
    }
    ContentChanged();
    return at;
  }
  void SendDeleteItem(int i, ULONG_PTR data) {
    if (!data) return;
    HWND p = Parent();
    if (!p) return;
    DELETEITEMSTRUCT dis;
    dis.CtlType = ODT_LISTBOX;
    dis.CtlID = Id();
    dis.itemID = UINT(i);
    dis.hwndItem = Wnd;
    dis.itemData = data;
    SendMessageW(p, WM_DELETEITEM, WPARAM(dis.CtlID), LPARAM(&dis));
  }
  LRESULT Delete(int i) {
    if (!Valid(i) || NoData()) return LB_ERR;
    ULONG_PTR data = Items[size_t(i)].Data;
    SendDeleteItem(i, data);
    if (!IsWindow(Wnd) || !Valid(i)) return LB_ERR;
    Items.erase(Items.begin() + i);
    int n = Count();
    if (Sel == i)
      Sel = -1;
    else if (Sel > i)
      --Sel;
    auto shift = [&](int& k) {
      if (k > i || (k == i && k >= n)) k = std::max(0, k - 1);
    };
    shift(Caret);
    shift(Anchor);
    if (Top > i) --Top;
    ContentChanged();
    return n;
  }
  void Reset() {
    if (!NoData()) {
      std::vector<TItem> old;
      old.swap(Items);
      for (size_t i = 0; i < old.size(); ++i) {
        SendDeleteItem(int(i), old[i].Data);
        if (!IsWindow(Wnd)) return;
      }
    }
    NoDataCount = 0;
    NoDataSel.clear();
    Sel = -1;
    Top = Caret = Anchor = HorzPos = 0;
    ContentChanged();
  }
  LRESULT SetCount(int n) {
    if (!NoData() || n < 0) return LB_ERR;
    NoDataCount = n;
    NoDataSel.resize(Multi() ? size_t(n) : 0, false);
    if (Sel >= n) Sel = -1;
    Caret = std::clamp(Caret, 0, std::max(0, n - 1));
    Anchor = std::clamp(Anchor, 0, std::max(0, n - 1));
    ContentChanged();
    return LB_OKAY;
  }

  // ---- Searching ----
  LRESULT Find(int start, LPARAM lParam, bool exact) const {
    int n = Count();
    if (n == 0 || NoData()) return LB_ERR;
    if (start < -1 || start >= n) start = -1;
    String s = HasStrings() && lParam ? String(reinterpret_cast<LPCWSTR>(lParam)) : String();
    for (int k = 1; k <= n; ++k) {
      int i = (start + k) % n;
      const TItem& it = Items[size_t(i)];
      bool hit = !HasStrings() ? it.Data == ULONG_PTR(lParam)
                               : exact ? AnsiSameText(it.Text, s) : StartsText(s, it.Text);
      if (hit) return i;
    }
    return LB_ERR;
  }

  // ---- Selection by the user ----
  bool Shift() const { return GetKeyState(VK_SHIFT) & 0x8000; }
  bool Ctrl() const { return GetKeyState(VK_CONTROL) & 0x8000; }

  // Moves the caret to an item as a navigation key does.
  void Navigate(int target, bool shift, bool ctrl) {
    int n = Count();
    if (n == 0) return;
    target = std::clamp(target, 0, n - 1);
    unsigned changes = SelChanges;
    Change([&] {
      if (NoSel()) {
        Caret = target;
      } else if (!Multi()) {
        SetSel(target, true);
        Caret = target;
      } else if (Multiple()) {
        Caret = target;
      } else if (shift) {
        if (!ctrl) {
          for (int i = 0; i < n; ++i)
            if ((i < std::min(Anchor, target) || i > std::max(Anchor, target))) SetSel(i, false);
        }
        SelectRange(Anchor, target, true);
        Caret = target;
      } else if (ctrl) {
        Caret = target;
      } else {
        ClearSelection();
        SetSel(target, true);
        Caret = Anchor = target;
      }
      EnsureVisible(target, false);
    });
    if (SelChanges != changes) NotifySelChange();
  }

  void KeyDown(WPARAM vk) {
    int n = Count();
    if (n == 0) return;
    int caret = std::clamp(Caret, 0, n - 1), target;
    int page = FullyVisible();
    switch (vk) {
      case VK_UP: target = caret - 1; break;
      case VK_DOWN: target = caret + 1; break;
      case VK_LEFT: target = MultiColumn() ? caret - Rows() : caret - 1; break;
      case VK_RIGHT: target = MultiColumn() ? caret + Rows() : caret + 1; break;
      case VK_HOME: target = 0; break;
      case VK_END: target = n - 1; break;
      case VK_PRIOR:
        if (MultiColumn())
          target = caret - Rows() * VisibleColumns();
        else
          target = caret != Top ? Top : caret - std::max(1, page - 1);
        break;
      case VK_NEXT: {
        if (MultiColumn()) {
          target = caret + Rows() * VisibleColumns();
        } else {
          int lastFull = std::min(n - 1, Top + page - 1);
          target = caret != lastFull ? lastFull : caret + std::max(1, page - 1);
        }
        break;
      }
      default: return;
    }
    // Without a selection the arrows first select the caret item.
    if (!Multi() && Sel < 0 && (vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT)) target = caret;
    Navigate(target, Shift(), Ctrl());
  }

  void Char(WCHAR ch) {
    int n = Count();
    if (n == 0) return;
    if (ch == u' ' && Multi() && !NoSel()) {
      unsigned changes = SelChanges;
      int caret = std::clamp(Caret, 0, n - 1);
      Change([&] {
        if (Multiple() || Ctrl()) {
          SetSel(caret, !IsSel(caret));
          Anchor = caret;
        } else if (Shift()) {
          SelectRange(Anchor, caret, true);
        } else {
          ClearSelection();
          SetSel(caret, true);
          Anchor = caret;
        }
      });
      if (SelChanges != changes) NotifySelChange();
      return;
    }
    if (!HasStrings() || NoData() || ch < u' ') return;
    // Type-ahead by the first letter: the next item after the caret that
    // starts with it, round the end.
    String key(1, ch);
    int caret = std::clamp(Caret, 0, n - 1);
    for (int k = 1; k <= n; ++k) {
      int i = (caret + k) % n;
      if (StartsText(key, Items[size_t(i)].Text)) {
        Navigate(i, false, false);
        return;
      }
    }
  }

  // The item under the mouse while tracking, scrolling one item when the
  // mouse is outside.
  int TrackTarget(POINT p) {
    RECT c = Client();
    auto [first, last] = VisibleRange();
    if (MultiColumn()) {
      if (p.x < 0) return std::max(0, Caret - Rows());
      if (p.x >= c.right) return std::min(Count() - 1, Caret + Rows());
    } else {
      if (p.y < 0) return std::max(0, first - 1);
      if (p.y >= c.bottom) return std::min(Count() - 1, last);
    }
    bool outside;
    return ItemFromPoint(p, outside);
  }
  void ButtonDown(POINT p, WPARAM keys, bool dbl) {
    if (!Focused) SetFocus(Wnd);
    if (!IsWindow(Wnd)) return;
    if (Count() > 0) {
      bool outside;
      int i = ItemFromPoint(p, outside);
      bool shift = keys & MK_SHIFT, ctrl = keys & MK_CONTROL;
      TrackStart = SelChanges;
      TrackCtrl = false;
      Change([&] {
        if (NoSel()) {
          Caret = i;
        } else if (!Multi()) {
          SetSel(i, true);
          Caret = i;
        } else if (Multiple()) {
          SetSel(i, !IsSel(i));
          Caret = i;
        } else if (shift) {
          if (!ctrl) {
            for (int k = 0, n = Count(); k < n; ++k)
              if (k < std::min(Anchor, i) || k > std::max(Anchor, i)) SetSel(k, false);
          }
          SelectRange(Anchor, i, true);
          Caret = i;
        } else if (ctrl) {
          SetSel(i, !IsSel(i));
          Caret = Anchor = i;
          TrackCtrl = true;
          TrackState = IsSel(i);
          TrackSnapshot.assign(size_t(Count()), false);
          for (int k = 0, n = Count(); k < n; ++k) TrackSnapshot[size_t(k)] = IsSel(k);
        } else {
          ClearSelection();
          SetSel(i, true);
          Caret = Anchor = i;
        }
        EnsureVisible(i, true);
      });
      if (!IsWindow(Wnd)) return;
      Tracking = true;
      SetCapture(Wnd);
    }
    if (dbl && (Style & LBS_NOTIFY)) Notify(LBN_DBLCLK);
  }
  void MouseMove(POINT p) {
    if (!Tracking || Count() == 0 || Multiple() || NoSel()) return;
    int i = std::clamp(TrackTarget(p), 0, Count() - 1);
    Change([&] {
      if (!Multi()) {
        SetSel(i, true);
      } else if (TrackCtrl) {
        int lo = std::min(Anchor, i), hi = std::max(Anchor, i);
        for (int k = 0, n = Count(); k < n; ++k)
          SetSel(k, k >= lo && k <= hi ? TrackState : k < int(TrackSnapshot.size()) && TrackSnapshot[size_t(k)]);
      } else {
        int lo = std::min(Anchor, i), hi = std::max(Anchor, i);
        for (int k = 0, n = Count(); k < n; ++k) SetSel(k, k >= lo && k <= hi);
      }
      Caret = i;
      EnsureVisible(i, false);
    });
  }
  void EndTracking() {
    if (!Tracking) return;
    Tracking = false;
    TrackSnapshot.clear();
    if (GetCapture() == Wnd) ReleaseCapture();
    if (IsWindow(Wnd) && SelChanges != TrackStart) NotifySelChange();
  }

  void Scroll(int bar, WORD code) {
    bool columns = MultiColumn();
    if (bar == SB_VERT && columns) return;
    SCROLLINFO si;
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(Wnd, bar, &si);
    if (bar == SB_VERT || columns) {
      int unit = columns ? Rows() : 1;
      int pos = Top / unit, page = columns ? VisibleColumns() : FullyVisible();
      switch (code) {
        case SB_LINEUP: --pos; break;
        case SB_LINEDOWN: ++pos; break;
        case SB_PAGEUP: pos -= std::max(1, page); break;
        case SB_PAGEDOWN: pos += std::max(1, page); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = si.nTrackPos; break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = MaxTop() / unit; break;
        default: return;
      }
      SetTop(pos * unit);
      return;
    }
    int pos = HorzPos, w = Client().right;
    switch (code) {
      case SB_LINELEFT: pos -= AveWidth; break;
      case SB_LINERIGHT: pos += AveWidth; break;
      case SB_PAGELEFT: pos -= w; break;
      case SB_PAGERIGHT: pos += w; break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: pos = si.nTrackPos; break;
      case SB_LEFT: pos = 0; break;
      case SB_RIGHT: pos = HorzExtent; break;
      default: return;
    }
    SetHorzPos(pos);
  }

  void FontChanged() {
    HDC dc = GetDC(Wnd);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, FontOrDefault());
    TEXTMETRICW tm;
    if (GetTextMetricsW(dc, &tm)) {
      AveWidth = std::max<int>(1, tm.tmAveCharWidth);
      if (!OwnerDraw()) ItemHeight = std::clamp<int>(tm.tmHeight, 1, kMaxItemHeight);
    }
    SelectObject(dc, old);
    ReleaseDC(Wnd, dc);
  }
  bool Integral() const { return !(Style & LBS_NOINTEGRALHEIGHT) && !Variable(); }
};

wnd::TControlStates<TListBox>& Boxes() {
  static wnd::TControlStates<TListBox> states;
  return states;
}

// The live list box of a handle (nil once destroyed).
TListBox* BoxOf(HWND h) { return Boxes().Find(h); }

LRESULT ListBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    Boxes().Make(h);
    return DefWindowProcW(h, msg, wp, lp);
  }
  TListBox* b = BoxOf(h);
  if (!b) return DefWindowProcW(h, msg, wp, lp);
  wnd::TControlStates<TListBox>::TGuard guard(Boxes(), b);
  int n = b->Count();
  auto index = int(wp);
  switch (msg) {
    case WM_CREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      DWORD st = cs ? DWORD(cs->style) : DWORD(GetWindowLongPtrW(h, GWL_STYLE));
      b->Style = st & 0xFFFF;
      // A no-data list is an owner-drawn fixed list without strings or sorting.
      if ((b->Style & LBS_NODATA) &&
          (!(b->Style & LBS_OWNERDRAWFIXED) || (b->Style & (LBS_HASSTRINGS | LBS_SORT | LBS_OWNERDRAWVARIABLE))))
        b->Style &= ~LBS_NODATA;
      if ((b->Style & LBS_MULTICOLUMN) && (b->Style & LBS_OWNERDRAWVARIABLE))
        b->Style = (b->Style & ~LBS_OWNERDRAWVARIABLE) | LBS_OWNERDRAWFIXED;
      b->WantV = st & WS_VSCROLL;
      b->WantH = st & WS_HSCROLL;
      b->FontChanged();
      if (b->Style & LBS_OWNERDRAWFIXED) b->ItemHeight = b->MeasureItem(0, 0);
      if (!IsWindow(h)) return -1;
      if (b->Integral()) {
        RECT r;
        GetWindowRect(h, &r);
        SetWindowPos(h, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      if ((b = BoxOf(h))) b->UpdateScrollBars();
      return 0;
    }
    case WM_DESTROY:
      if (!b->NoData())
        for (int i = 0; i < int(b->Items.size()) && IsWindow(h); ++i) b->SendDeleteItem(i, b->Items[size_t(i)].Data);
      return 0;
    case WM_NCDESTROY:
      b->Dead = true;
      return DefWindowProcW(h, msg, wp, lp);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (dc) b->Paint(dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      b->Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painting fills every pixel
    case WM_SETFONT:
      b->Font = reinterpret_cast<HFONT>(wp);
      b->FontChanged();
      if (b->Integral()) {
        RECT r;
        GetWindowRect(h, &r);
        SetWindowPos(h, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      if ((b = BoxOf(h))) {
        b->UpdateScrollBars();
        if (LOWORD(lp)) b->Invalidate();
      }
      return 0;
    case WM_GETFONT:
      return LRESULT(b->Font);
    case WM_WINDOWPOSCHANGING: {
      LRESULT r = DefWindowProcW(h, msg, wp, lp);
      auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
      if (pos && !(pos->flags & SWP_NOSIZE) && b->Integral()) {
        RECT wr, cr;
        GetWindowRect(h, &wr);
        GetClientRect(h, &cr);
        int nc = (wr.bottom - wr.top) - cr.bottom;
        int client = pos->cy - nc;
        if (client > b->ItemHeight) pos->cy -= client % b->ItemHeight;
      }
      return r;
    }
    case WM_SIZE:
      if (!b->UpdatingBars) {
        b->UpdateScrollBars();
        b->Invalidate();
      }
      return 0;
    case WM_SETREDRAW:
      b->Redraw = wp != 0;
      if (b->Redraw) b->ContentChanged();
      return 0;
    case WM_ENABLE:
      b->Invalidate();
      return 0;
    case WM_SETFOCUS:
      b->Change([&] { b->Focused = true; });
      if ((b = BoxOf(h))) b->Notify(LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      b->EndTracking();
      if (!(b = BoxOf(h))) return 0;
      b->Change([&] { b->Focused = false; });
      if ((b = BoxOf(h))) b->Notify(LBN_KILLFOCUS);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (b->Style & LBS_WANTKEYBOARDINPUT) {
        HWND p = b->Parent();
        LRESULT r = p ? SendMessageW(p, WM_VKEYTOITEM, MAKEWPARAM(WORD(wp), WORD(b->Caret)), LPARAM(h)) : -1;
        if (!(b = BoxOf(h)) || r == -2) return 0;
        if (r >= 0) {
          b->Navigate(int(r), false, false);
          return 0;
        }
      }
      b->KeyDown(wp);
      return 0;
    case WM_CHAR:
      if ((b->Style & LBS_WANTKEYBOARDINPUT) && !b->HasStrings()) {
        HWND p = b->Parent();
        LRESULT r = p ? SendMessageW(p, WM_CHARTOITEM, MAKEWPARAM(WORD(wp), WORD(b->Caret)), LPARAM(h)) : -1;
        if (!(b = BoxOf(h)) || r < 0) return 0;
        b->Navigate(int(r), false, false);
        return 0;
      }
      b->Char(WCHAR(wp));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      b->ButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, wp, msg == WM_LBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE:
      b->MouseMove(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      return 0;
    case WM_LBUTTONUP:
      b->EndTracking();
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != h) b->EndTracking();
      return 0;
    case WM_CANCELMODE:
      b->EndTracking();
      return 0;
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      b->WheelRest += GET_WHEEL_DELTA_WPARAM(wp);
      int steps = b->WheelRest / WHEEL_DELTA;
      b->WheelRest -= steps * WHEEL_DELTA;
      if (steps == 0) return 0;
      if (b->MultiColumn()) {
        b->SetTop(b->Top - steps * b->Rows());
      } else {
        int perStep = lines == WHEEL_PAGESCROLL ? b->FullyVisible() : std::min<int>(int(lines), b->FullyVisible());
        b->SetTop(b->Top - steps * std::max(1, perStep));
      }
      return 0;
    }
    case WM_VSCROLL:
      b->Scroll(SB_VERT, LOWORD(wp));
      return 0;
    case WM_HSCROLL:
      b->Scroll(SB_HORZ, LOWORD(wp));
      return 0;

    // ---- Items ----
    case LB_ADDSTRING:
      return b->Insert(-1, lp, true);
    case LB_INSERTSTRING:
      return b->Insert(index, lp, false);
    case LB_DELETESTRING:
      return b->Delete(index);
    case LB_RESETCONTENT:
      b->Reset();
      return 0;
    case LB_GETCOUNT:
      return n;
    case LB_SETCOUNT:
      return b->SetCount(index);
    case LB_INITSTORAGE:
      if (!b->NoData()) b->Items.reserve(b->Items.size() + size_t(std::min<WPARAM>(wp, 1u << 20)));
      return LRESULT(n) + LRESULT(wp);
    case LB_GETTEXT:
    case LB_GETTEXTLEN: {
      if (!b->Valid(index) || b->NoData()) return LB_ERR;
      if (!b->HasStrings()) {
        if (msg == LB_GETTEXT && lp) {
          ULONG_PTR d = b->Items[size_t(index)].Data;
          std::memcpy(reinterpret_cast<void*>(lp), &d, sizeof d);
        }
        return LRESULT(sizeof(ULONG_PTR));
      }
      const String& s = b->Items[size_t(index)].Text;
      if (msg == LB_GETTEXT) {
        if (!lp) return LB_ERR;
        auto* buf = reinterpret_cast<LPWSTR>(lp);
        std::copy(s.begin(), s.end(), buf);
        buf[s.size()] = 0;
      }
      return LRESULT(s.size());
    }
    case LB_GETITEMDATA:
      if (!b->Valid(index) || b->NoData()) return LB_ERR;
      return LRESULT(b->Items[size_t(index)].Data);
    case LB_SETITEMDATA:
      if (b->NoData()) return LB_ERR;
      if (index == -1) {
        for (TItem& it : b->Items) it.Data = ULONG_PTR(lp);
        return LB_OKAY;
      }
      if (!b->Valid(index)) return LB_ERR;
      b->Items[size_t(index)].Data = ULONG_PTR(lp);
      return LB_OKAY;
    case LB_FINDSTRING:
      return b->Find(index, lp, false);
    case LB_FINDSTRINGEXACT:
      return b->Find(index, lp, true);
    case LB_SELECTSTRING: {
      LRESULT i = b->Find(index, lp, false);
      if (i == LB_ERR) return LB_ERR;
      b->Change([&] {
        if (!b->Multi()) b->SetSel(int(i), true);
        b->Caret = int(i);
        b->EnsureVisible(int(i), false);
      });
      return i;
    }
    case LB_SETLOCALE: {
      LRESULT old = b->Locale;
      b->Locale = DWORD(wp);
      return old;
    }
    case LB_GETLOCALE:
      return b->Locale;

    // ---- Selection ----
    case LB_SETCURSEL:
      if (b->Multi()) return LB_ERR;
      b->Change([&] {
        if (!b->Valid(index)) {
          b->SetSel(b->Sel, false);
          return;
        }
        b->SetSel(index, true);
        b->Caret = index;
        b->EnsureVisible(index, false);
      });
      return b->Valid(index) ? index : LB_ERR;
    case LB_GETCURSEL:
      if (b->Multi()) return n > 0 ? std::clamp(b->Caret, 0, n - 1) : LB_ERR;
      return b->Sel;
    case LB_SETSEL: {
      if (!b->Multi()) return LB_ERR;
      int i = int(lp);
      if (i != -1 && !b->Valid(i)) return LB_ERR;
      b->Change([&] {
        if (i == -1) {
          b->SelectRange(0, n - 1, wp != 0);
        } else {
          b->SetSel(i, wp != 0);
          b->Caret = i;
        }
      });
      return LB_OKAY;
    }
    case LB_GETSEL:
      return b->Valid(index) ? (b->IsSel(index) ? 1 : 0) : LB_ERR;
    case LB_GETSELCOUNT: {
      if (!b->Multi()) return LB_ERR;
      int c = 0;
      for (int i = 0; i < n; ++i) c += b->IsSel(i) ? 1 : 0;
      return c;
    }
    case LB_GETSELITEMS: {
      if (!b->Multi()) return LB_ERR;
      auto* out = reinterpret_cast<int*>(lp);
      int max = int(wp), c = 0;
      for (int i = 0; i < n && c < max && out; ++i)
        if (b->IsSel(i)) out[c++] = i;
      return c;
    }
    case LB_SELITEMRANGE:
    case LB_SELITEMRANGEEX: {
      if (!b->Multi()) return LB_ERR;
      int first, last;
      bool select;
      if (msg == LB_SELITEMRANGE) {
        first = LOWORD(lp);
        last = HIWORD(lp);
        select = wp != 0;
      } else {
        first = int(wp);
        last = int(lp);
        select = first <= last;
      }
      if (n == 0) return LB_OKAY;
      b->Change([&] { b->SelectRange(first, last, select); });
      return LB_OKAY;
    }
    case LB_SETCARETINDEX:
      if (!b->Valid(index)) return LB_ERR;
      b->Change([&] {
        b->Caret = index;
        b->EnsureVisible(index, LOWORD(lp) != 0);
      });
      return LB_OKAY;
    case LB_GETCARETINDEX:
      return n > 0 ? std::clamp(b->Caret, 0, n - 1) : 0;
    case LB_SETANCHORINDEX:
      if (!b->Valid(index)) return LB_ERR;
      b->Anchor = index;
      return LB_OKAY;
    case LB_GETANCHORINDEX:
      return b->Anchor;

    // ---- Layout ----
    case LB_SETTOPINDEX:
      if (!b->Valid(index) && !(index == 0 && n == 0)) return LB_ERR;
      b->SetTop(index);
      return LB_OKAY;
    case LB_GETTOPINDEX:
      return b->Top;
    case LB_SETITEMHEIGHT: {
      int hgt = LOWORD(lp);
      if (hgt <= 0 || hgt > kMaxItemHeight) return LB_ERR;
      if (b->Variable()) {
        if (!b->Valid(index)) return LB_ERR;
        b->Items[size_t(index)].Height = hgt;
      } else {
        b->ItemHeight = hgt;
      }
      b->ContentChanged();
      return LB_OKAY;
    }
    case LB_GETITEMHEIGHT:
      if (b->Variable()) return b->Valid(index) ? b->Items[size_t(index)].Height : LB_ERR;
      return b->ItemHeight;
    case LB_GETITEMRECT: {
      if (!b->Valid(index) && !(index == 0 && n == 0)) return LB_ERR;
      if (!lp) return LB_ERR;
      *reinterpret_cast<RECT*>(lp) = b->ItemRect(index);
      return 1;
    }
    case LB_ITEMFROMPOINT: {
      bool outside;
      int i = b->ItemFromPoint(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, outside);
      return LRESULT(MAKELONG(WORD(i), WORD(outside ? 1 : 0)));
    }
    case LB_SETHORIZONTALEXTENT:
      b->HorzExtent = std::max(0, int(wp));
      b->ContentChanged();
      return 0;
    case LB_GETHORIZONTALEXTENT:
      return b->HorzExtent;
    case LB_SETCOLUMNWIDTH:
      b->ColumnWidth = std::max(0, int(wp));
      b->ContentChanged();
      return LB_OKAY;
    case LB_SETTABSTOPS: {
      b->TabStops.clear();
      auto* stops = reinterpret_cast<const int*>(lp);
      if (wp > 0 && stops)
        for (WPARAM i = 0; i < wp && i < 1024; ++i) b->TabStops.push_back(std::max(0, stops[i]));
      b->Invalidate();
      return TRUE;
    }
    case LB_DIR:
    case LB_ADDFILE:
      return LB_ERR;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace

void RegisterListBoxClass() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW c;
  c.cbSize = sizeof c;
  c.style = CS_DBLCLKS | CS_GLOBALCLASS;
  c.lpfnWndProc = &ListBoxProc;
  c.hInstance = HInstance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.lpszClassName = u"LISTBOX";
  RegisterClassExW(&c);
}

}  // namespace win
