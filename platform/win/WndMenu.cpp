// Menus of the window system: menu handles with their items, the window
// menu, and TrackPopupMenu as popup windows with their own modal loop.
#include <algorithm>
#include <map>
#include <memory>

#include "platform/win/WindowsInternal.h"

namespace win {

namespace {

struct TItem {
  UINT Type = 0;   // MFT_*
  UINT State = 0;  // MFS_*
  UINT ID = 0;
  HMENU SubMenu{};
  HBITMAP Checked{}, Unchecked{}, Bitmap{};
  ULONG_PTR Data = 0;
  String Text;
};

struct TMenuObj {
  std::vector<TItem> Items;
  bool System = false;
};

std::map<uintptr_t, std::unique_ptr<TMenuObj>>& Menus() {
  static std::map<uintptr_t, std::unique_ptr<TMenuObj>> m;
  return m;
}
uintptr_t gNextMenu = 0x3000;

TMenuObj* Get(HMENU h) {
  auto it = Menus().find(reinterpret_cast<uintptr_t>(h));
  return it == Menus().end() ? nullptr : it->second.get();
}

HMENU NewMenu() {
  uintptr_t id = gNextMenu;
  gNextMenu += 4;
  Menus()[id] = std::make_unique<TMenuObj>();
  return reinterpret_cast<HMENU>(id);
}

// The item by position, or by command in the menu and its sub-menus (depth
// first, as the platform searches).
struct TFound {
  TMenuObj* Menu = nullptr;
  HMENU Handle{};
  size_t Index = 0;
  TItem* Item() const { return &Menu->Items[Index]; }
  explicit operator bool() const { return Menu != nullptr; }
};

TFound FindByCommand(HMENU h, UINT id, int depth) {
  TMenuObj* m = Get(h);
  if (!m || depth > 64) return {};
  for (size_t i = 0; i < m->Items.size(); ++i) {
    TItem& it = m->Items[i];
    if (it.SubMenu) {
      if (TFound f = FindByCommand(it.SubMenu, id, depth + 1)) return f;
      if (it.ID == id) return {m, h, i};
    } else if (it.ID == id && !(it.Type & MFT_SEPARATOR)) {
      return {m, h, i};
    }
  }
  return {};
}

TFound FindItem(HMENU h, UINT item, bool byPosition) {
  TMenuObj* m = Get(h);
  if (!m) return {};
  if (byPosition) {
    if (item >= m->Items.size()) return {};
    return {m, h, item};
  }
  return FindByCommand(h, item, 0);
}

// Fills an item from MF_ flags of AppendMenu/InsertMenu/ModifyMenu.
bool ItemFromFlags(TItem& it, UINT flags, UINT_PTR id, LPCWSTR text) {
  it.Type = flags & (MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_RIGHTJUSTIFY);
  it.State = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
  if (it.State & (MF_GRAYED | MF_DISABLED)) it.State |= MFS_GRAYED;
  it.SubMenu = nullptr;
  if (flags & MF_POPUP) {
    if (!Get(reinterpret_cast<HMENU>(id))) return false;
    it.SubMenu = reinterpret_cast<HMENU>(id);
    it.ID = UINT(id);
  } else {
    it.ID = UINT(id);
  }
  it.Text.clear();
  it.Bitmap = nullptr;
  it.Data = 0;
  if (flags & MF_SEPARATOR) {
    it.Type |= MFT_SEPARATOR;
  } else if (flags & MF_OWNERDRAW) {
    it.Type |= MFT_OWNERDRAW;
    it.Data = reinterpret_cast<ULONG_PTR>(text);
  } else if (flags & MF_BITMAP) {
    it.Type |= MFT_BITMAP;
    it.Bitmap = reinterpret_cast<HBITMAP>(const_cast<char16_t*>(text));
  } else if (text) {
    it.Text = text;
  }
  return true;
}

bool InsertAt(HMENU h, UINT pos, bool byPosition, const TItem& it) {
  TMenuObj* m = Get(h);
  if (!m) return false;
  if (it.SubMenu == h) return false;  // a menu cannot hold itself
  if (byPosition) {
    size_t at = pos >= m->Items.size() ? m->Items.size() : pos;
    m->Items.insert(m->Items.begin() + ptrdiff_t(at), it);
    return true;
  }
  if (pos == UINT(-1)) {
    m->Items.push_back(it);
    return true;
  }
  TFound f = FindByCommand(h, pos, 0);
  if (!f) {
    m->Items.push_back(it);
    return true;
  }
  f.Menu->Items.insert(f.Menu->Items.begin() + ptrdiff_t(f.Index), it);
  return true;
}

void DestroyTree(HMENU h, int depth) {
  auto it = Menus().find(reinterpret_cast<uintptr_t>(h));
  if (it == Menus().end() || depth > 64) return;
  std::unique_ptr<TMenuObj> m = std::move(it->second);
  Menus().erase(it);
  for (TItem& i : m->Items)
    if (i.SubMenu) DestroyTree(i.SubMenu, depth + 1);
}

UINT StateFlags(const TItem& it) {
  UINT r = (it.State & (MF_CHECKED | MF_HILITE | MF_DEFAULT)) | (it.State & MFS_GRAYED);
  r |= it.Type &
       (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_BITMAP | MFT_MENUBREAK | MFT_MENUBARBREAK | MFT_RIGHTJUSTIFY);
  if (it.SubMenu) r |= MF_POPUP;
  return r;
}

// --- The window menu -------------------------------------------------------------

std::map<HWND, HMENU>& SystemMenus() {
  static std::map<HWND, HMENU> m;
  return m;
}

void PurgeSystemMenus() {
  auto& map = SystemMenus();
  for (auto it = map.begin(); it != map.end();) {
    if (!IsWindow(it->first)) {
      DestroyTree(it->second, 0);
      it = map.erase(it);
    } else {
      ++it;
    }
  }
}

HMENU MakeSystemMenu() {
  HMENU h = CreatePopupMenu();
  struct TEntry {
    WPARAM Cmd;
    const char16_t* Text;
    HBITMAP Bitmap;
  } entries[] = {
      {SC_RESTORE, u"&Geri Yükle", HBMMENU_POPUP_RESTORE},
      {SC_MOVE, u"&Taşı", nullptr},
      {SC_SIZE, u"&Boyut", nullptr},
      {SC_MINIMIZE, u"&Simge Durumuna Küçült", HBMMENU_POPUP_MINIMIZE},
      {SC_MAXIMIZE, u"&Ekranı Kapla", HBMMENU_POPUP_MAXIMIZE},
      {0, nullptr, nullptr},
      {SC_CLOSE, u"&Kapat\tAlt+F4", HBMMENU_POPUP_CLOSE},
  };
  TMenuObj* m = Get(h);
  m->System = true;
  for (const TEntry& e : entries) {
    TItem it;
    if (!e.Text) {
      it.Type = MFT_SEPARATOR;
    } else {
      it.ID = UINT(e.Cmd);
      it.Text = e.Text;
      it.Bitmap = e.Bitmap;
    }
    if (e.Cmd == SC_CLOSE) it.State = MFS_DEFAULT;
    m->Items.push_back(it);
  }
  return h;
}

// Enables the window menu's items after the window's state and styles.
void UpdateSystemMenu(HWND w, HMENU h) {
  LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
  bool minimized = (style & WS_MINIMIZE) != 0, maximized = (style & WS_MAXIMIZE) != 0;
  auto set = [&](WPARAM cmd, bool enabled) {
    EnableMenuItem(h, UINT(cmd), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  };
  set(SC_RESTORE, minimized || maximized);
  set(SC_MOVE, !maximized);
  set(SC_SIZE, !maximized && !minimized && (style & WS_THICKFRAME));
  set(SC_MINIMIZE, !minimized && (style & WS_MINIMIZEBOX));
  set(SC_MAXIMIZE, !maximized && (style & WS_MAXIMIZEBOX));
}

bool IsSystemMenu(HMENU h) {
  TMenuObj* m = Get(h);
  return m && m->System;
}

// --- Popup menus --------------------------------------------------------------------

constexpr int kFrame = 3;      // the raised border around the items
constexpr int kSeparator = 9;  // height of a separator
constexpr int kTextGap = 4;    // between check column and text, text and shortcut

struct TLayoutItem {
  RECT Rect{};          // in the level window's client coordinates
  bool Visible = true;  // false for items of no size
};

struct TLevel {
  HMENU Menu{};
  HWND Wnd{};
  int Selected = -1;
  int ParentIndex = -1;  // the item of the level above that opened it
  std::vector<TLayoutItem> Layout;
  int CheckWidth = 0;
  int ArrowWidth = 0;
  SIZE Size{};
};

struct TTracking {
  HWND Owner{};
  UINT Flags = 0;
  bool Notify = true;
  bool Rtl = false;
  std::vector<TLevel> Levels;
  bool Done = false;
  UINT Command = 0;
  bool Chosen = false;
  bool FromSystem = false;
  HFONT Font{}, BoldFont{};
};

TTracking* gTrack = nullptr;

char16_t Fold(char16_t c) {
  if (c >= u'a' && c <= u'z') return char16_t(c - 32);
  if (c == u'ı') return u'I';
  if (c == u'i') return u'İ';
  if (c == u'ş') return u'Ş';
  if (c == u'ğ') return u'Ğ';
  if (c == u'ü') return u'Ü';
  if (c == u'ö') return u'Ö';
  if (c == u'ç') return u'Ç';
  return c;
}

char16_t AcceleratorOf(const String& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return text[i + 1];
  }
  return 0;
}

bool Selectable(const TItem& it) { return !(it.Type & MFT_SEPARATOR); }
bool Enabled(const TItem& it) { return !(it.State & MFS_GRAYED); }

TMenuObj* LevelMenu(const TLevel& l) { return Get(l.Menu); }

void Measure(TTracking& t, TLevel& l, HDC dc) {
  TMenuObj* m = LevelMenu(l);
  l.Layout.assign(m ? m->Items.size() : 0, {});
  if (!m) return;
  l.CheckWidth = GetSystemMetrics(SM_CXMENUCHECK) + 6;
  l.ArrowWidth = GetSystemMetrics(SM_CXMENUCHECK) + 4;
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int textHeight = tm.tmHeight;
  int rowHeight = std::max<int>(textHeight + 6, GetSystemMetrics(SM_CYMENUCHECK) + 6);
  // Columns: an item with a break starts a new one.
  struct TColumn {
    size_t First, Last;
    int Width = 0;
    int CaptionWidth = 0, ShortCutWidth = 0;
  };
  std::vector<TColumn> columns;
  std::vector<int> heights(m->Items.size(), 0), ownerWidths(m->Items.size(), -1);
  for (size_t i = 0; i < m->Items.size(); ++i) {
    TItem& it = m->Items[i];
    if (columns.empty() || (i > 0 && (it.Type & (MFT_MENUBREAK | MFT_MENUBARBREAK))))
      columns.push_back({i, i});
    TColumn& c = columns.back();
    c.Last = i;
    if (it.Type & MFT_SEPARATOR) {
      heights[i] = kSeparator;
    } else if (it.Type & MFT_OWNERDRAW) {
      MEASUREITEMSTRUCT mis{};
      mis.CtlType = ODT_MENU;
      mis.itemID = it.ID;
      mis.itemHeight = UINT(rowHeight);
      mis.itemData = it.Data;
      SendMessageW(t.Owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
      if (LevelMenu(l) != m || m->Items.size() != heights.size()) {
        // The owner changed the menu while measuring it: show nothing of it.
        l.Layout.clear();
        return;
      }
      heights[i] = int(std::min<UINT>(mis.itemHeight, 4096));
      ownerWidths[i] = int(std::min<UINT>(mis.itemWidth, 4096));
      c.Width = std::max(c.Width, ownerWidths[i]);
    } else {
      heights[i] = rowHeight;
      String caption = it.Text, shortcut;
      size_t tab = caption.find(u'\t');
      if (tab != String::npos) {
        shortcut = caption.substr(tab + 1);
        caption.resize(tab);
      }
      SelectObject(dc, (it.State & MFS_DEFAULT) && t.BoldFont ? t.BoldFont : t.Font);
      RECT r{0, 0, 0, 0};
      DrawTextW(dc, caption.c_str(), int(caption.size()), &r, DT_CALCRECT | DT_SINGLELINE);
      c.CaptionWidth = std::max<int>(c.CaptionWidth, r.right - r.left);
      if (!shortcut.empty()) {
        RECT s{0, 0, 0, 0};
        DrawTextW(dc, shortcut.c_str(), int(shortcut.size()), &s, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        c.ShortCutWidth = std::max<int>(c.ShortCutWidth, s.right - s.left);
      }
      SelectObject(dc, t.Font);
    }
  }
  int x = kFrame, maxHeight = 0;
  for (TColumn& c : columns) {
    int textWidth = l.CheckWidth + kTextGap + c.CaptionWidth +
                    (c.ShortCutWidth ? 3 * kTextGap + c.ShortCutWidth : 0) + l.ArrowWidth;
    c.Width = std::max(c.Width, textWidth);
    int y = kFrame;
    for (size_t i = c.First; i <= c.Last; ++i) {
      l.Layout[i].Rect = RECT{x, y, x + c.Width, y + heights[i]};
      l.Layout[i].Visible = heights[i] > 0;
      y += heights[i];
    }
    maxHeight = std::max(maxHeight, y);
    x += c.Width + (&c != &columns.back() ? 4 : 0);
  }
  l.Size = SIZE{x + kFrame, maxHeight + kFrame};
}

// A DFC_MENU glyph (drawn black on white by the frame control) in one colour.
void DrawMark(HDC dc, RECT box, UINT kind, COLORREF color) {
  int size = GetSystemMetrics(SM_CXMENUCHECK);
  int x0 = box.left + (box.right - box.left - size) / 2, y0 = box.top + (box.bottom - box.top - size) / 2;
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP mark = CreateCompatibleBitmap(dc, size, size);
  HGDIOBJ old = SelectObject(mem, mark);
  RECT mr{0, 0, size, size};
  DrawFrameControl(mem, &mr, DFC_MENU, kind);
  for (int py = 0; py < size; ++py)
    for (int px = 0; px < size; ++px)
      if (GetPixel(mem, px, py) == RGB(0, 0, 0)) SetPixel(dc, x0 + px, y0 + py, color);
  SelectObject(mem, old);
  DeleteObject(mark);
  DeleteDC(mem);
}

// The menu item's check mark or bitmap in the check column.
void DrawGlyph(HDC dc, const TItem& it, RECT box, bool selected) {
  HBITMAP bmp = it.Bitmap;
  if ((it.State & MFS_CHECKED) && it.Checked) bmp = it.Checked;
  if (!(it.State & MFS_CHECKED) && it.Unchecked) bmp = it.Unchecked;
  int size = GetSystemMetrics(SM_CXMENUCHECK);
  RECT g{box.left + (box.right - box.left - size) / 2, box.top + (box.bottom - box.top - size) / 2, 0, 0};
  g.right = g.left + size;
  g.bottom = g.top + size;
  if (bmp == HBMMENU_POPUP_CLOSE || bmp == HBMMENU_POPUP_MINIMIZE || bmp == HBMMENU_POPUP_MAXIMIZE ||
      bmp == HBMMENU_POPUP_RESTORE || bmp == HBMMENU_MBAR_CLOSE || bmp == HBMMENU_MBAR_MINIMIZE ||
      bmp == HBMMENU_MBAR_RESTORE) {
    UINT kind = bmp == HBMMENU_POPUP_MINIMIZE || bmp == HBMMENU_MBAR_MINIMIZE ? DFCS_CAPTIONMIN
                : bmp == HBMMENU_POPUP_MAXIMIZE                               ? DFCS_CAPTIONMAX
                : bmp == HBMMENU_POPUP_RESTORE || bmp == HBMMENU_MBAR_RESTORE ? DFCS_CAPTIONRESTORE
                                                                              : DFCS_CAPTIONCLOSE;
    DrawFrameControl(dc, &g, DFC_CAPTION, kind | (Enabled(it) ? 0 : DFCS_INACTIVE) | DFCS_FLAT);
    return;
  }
  if (bmp && bmp != HBMMENU_CALLBACK && bmp != HBMMENU_SYSTEM && reinterpret_cast<uintptr_t>(bmp) > 16) {
    BITMAP info{};
    if (GetObjectW(bmp, sizeof info, &info)) {
      HDC mem = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(mem, bmp);
      int bx = box.left + (box.right - box.left - info.bmWidth) / 2;
      int by = box.top + (box.bottom - box.top - info.bmHeight) / 2;
      BitBlt(dc, bx, by, info.bmWidth, info.bmHeight, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
      return;
    }
  }
  if (it.State & MFS_CHECKED) {
    COLORREF fore = GetSysColor(!Enabled(it) ? COLOR_GRAYTEXT
                                : selected   ? COLOR_HIGHLIGHTTEXT
                                             : COLOR_MENUTEXT);
    DrawMark(dc, box, (it.Type & MFT_RADIOCHECK) ? DFCS_MENUBULLET : DFCS_MENUCHECK, fore);
  }
}

void DrawItem(TTracking& t, TLevel& l, HDC dc, size_t i, UINT action) {
  TMenuObj* m = LevelMenu(l);
  if (!m || i >= m->Items.size() || !l.Layout[i].Visible) return;
  const TItem& it = m->Items[i];
  RECT r = l.Layout[i].Rect;
  bool selected = int(i) == l.Selected;
  if (it.Type & MFT_OWNERDRAW) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = it.ID;
    dis.itemAction = action;
    dis.itemState =
        (selected ? ODS_SELECTED : 0) | ((it.State & MFS_GRAYED) ? ODS_GRAYED | ODS_DISABLED : 0) |
        ((it.State & MFS_CHECKED) ? ODS_CHECKED : 0) | ((it.State & MFS_DEFAULT) ? ODS_DEFAULT : 0);
    dis.hwndItem = reinterpret_cast<HWND>(l.Menu);
    dis.hDC = dc;
    dis.rcItem = r;
    dis.itemData = it.Data;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    SendMessageW(t.Owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    RestoreDC(dc, saved);
    return;
  }
  if (it.Type & MFT_SEPARATOR) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_MENU));
    RECT line{r.left + 1, r.top + (r.bottom - r.top) / 2 - 1, r.right - 1,
              r.top + (r.bottom - r.top) / 2 + 1};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  RECT check{r.left, r.top, r.left + l.CheckWidth, r.bottom};
  RECT arrow{r.right - l.ArrowWidth, r.top, r.right, r.bottom};
  if (t.Rtl) {
    check = RECT{r.right - l.CheckWidth, r.top, r.right, r.bottom};
    arrow = RECT{r.left, r.top, r.left + l.ArrowWidth, r.bottom};
  }
  DrawGlyph(dc, it, check, selected);
  String caption = it.Text, shortcut;
  size_t tab = caption.find(u'\t');
  if (tab != String::npos) {
    shortcut = caption.substr(tab + 1);
    caption.resize(tab);
  }
  RECT text = r;
  if (t.Rtl) {
    text.left = arrow.right;
    text.right = check.left - kTextGap;
  } else {
    text.left = check.right + kTextGap;
    text.right = arrow.left;
  }
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, (it.State & MFS_DEFAULT) && t.BoldFont ? t.BoldFont : t.Font);
  UINT align = t.Rtl ? DT_RIGHT | DT_RTLREADING : DT_LEFT;
  UINT other = t.Rtl ? DT_LEFT | DT_RTLREADING : DT_RIGHT;
  auto drawTexts = [&](COLORREF color, int dx) {
    SetTextColor(dc, color);
    RECT a = text, b = text;
    OffsetRect(&a, dx, dx);
    OffsetRect(&b, dx, dx);
    DrawTextW(dc, caption.c_str(), int(caption.size()), &a, align | DT_SINGLELINE | DT_VCENTER);
    if (!shortcut.empty())
      DrawTextW(dc, shortcut.c_str(), int(shortcut.size()), &b,
                other | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  };
  if (!Enabled(it)) {
    if (!selected) drawTexts(GetSysColor(COLOR_3DHILIGHT), 1);
    drawTexts(GetSysColor(COLOR_GRAYTEXT), 0);
  } else {
    drawTexts(GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT), 0);
  }
  SelectObject(dc, oldFont);
  if (it.SubMenu) {
    COLORREF fore = GetSysColor(!Enabled(it) ? COLOR_GRAYTEXT
                                : selected   ? COLOR_HIGHLIGHTTEXT
                                             : COLOR_MENUTEXT);
    DrawMark(dc, arrow, t.Rtl ? DFCS_MENUARROWRIGHT : DFCS_MENUARROW, fore);
  }
}

TLevel* LevelOf(HWND h) {
  if (!gTrack) return nullptr;
  for (TLevel& l : gTrack->Levels)
    if (l.Wnd == h) return &l;
  return nullptr;
}

LRESULT MenuWndProc(HWND h, UINT m, WPARAM w, LPARAM lp) {
  switch (m) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_MENU));
      DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
      if (TLevel* l = LevelOf(h)) {
        HGDIOBJ old = SelectObject(dc, gTrack->Font);
        for (size_t i = 0; i < l->Layout.size(); ++i) DrawItem(*gTrack, *l, dc, i, ODA_DRAWENTIRE);
        SelectObject(dc, old);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProcW(h, m, w, lp);
  }
}

void EnsureClass() {
  static bool done = false;
  if (done) return;
  done = true;
  WNDCLASSEXW c{};
  c.cbSize = sizeof c;
  c.style = CS_SAVEBITS;
  c.lpfnWndProc = &MenuWndProc;
  c.hInstance = HInstance;
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.lpszClassName = u"#32768";
  RegisterClassExW(&c);
}

void SendMenuSelect(TTracking& t, TLevel& l) {
  if (!t.Notify) return;
  TMenuObj* m = LevelMenu(l);
  if (!m || l.Selected < 0 || size_t(l.Selected) >= m->Items.size()) return;
  const TItem& it = m->Items[size_t(l.Selected)];
  UINT flags = StateFlags(it) | MF_HILITE;
  if (IsSystemMenu(l.Menu)) flags |= MF_SYSMENU;
  WORD item = it.SubMenu ? WORD(l.Selected) : WORD(it.ID);
  SendMessageW(t.Owner, WM_MENUSELECT, MAKEWPARAM(item, WORD(flags)), reinterpret_cast<LPARAM>(l.Menu));
}

void RepaintItem(TLevel& l, int i) {
  if (i < 0 || size_t(i) >= l.Layout.size() || !IsWindow(l.Wnd)) return;
  InvalidateRect(l.Wnd, &l.Layout[size_t(i)].Rect, FALSE);
}

void CloseLevelsAbove(TTracking& t, size_t keep) {
  while (t.Levels.size() > keep) {
    TLevel l = t.Levels.back();
    t.Levels.pop_back();
    if (t.Notify && IsWindow(t.Owner))
      SendMessageW(t.Owner, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(l.Menu), 0);
    if (IsWindow(l.Wnd)) DestroyWindow(l.Wnd);
  }
}

void Select(TTracking& t, size_t level, int index) {
  if (level >= t.Levels.size()) return;
  CloseLevelsAbove(t, level + 1);
  TLevel& l = t.Levels[level];
  if (l.Selected == index) return;
  int old = l.Selected;
  l.Selected = index;
  RepaintItem(l, old);
  RepaintItem(l, index);
  // The selection shows at once, as the keys and the mouse move it.
  if (IsWindow(l.Wnd)) UpdateWindow(l.Wnd);
  SendMenuSelect(t, l);
}

// Places a menu of Size at the point, within the screen: flipped to the other
// side of the point when it does not fit.
POINT Place(SIZE size, int x, int y, UINT flags, const RECT* exclude) {
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  if (flags & TPM_RIGHTALIGN)
    x -= size.cx;
  else if (flags & TPM_CENTERALIGN)
    x -= size.cx / 2;
  if (flags & TPM_BOTTOMALIGN)
    y -= size.cy;
  else if (flags & TPM_VCENTERALIGN)
    y -= size.cy / 2;
  if (x + size.cx > sw) x = exclude ? exclude->left - size.cx : x - size.cx;
  if (y + size.cy > sh) y = exclude && (flags & TPM_VERTICAL) ? exclude->top - size.cy : sh - size.cy;
  if (x < 0) x = exclude ? exclude->right : 0;
  if (y < 0) y = 0;
  return POINT{x, y};
}

bool OpenLevel(TTracking& t, HMENU menu, int parentIndex, POINT at, const RECT* exclude, UINT flags) {
  if (!Get(menu)) return false;
  if (t.Notify) {
    int pos = parentIndex < 0 ? 0 : parentIndex;
    SendMessageW(t.Owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu),
                 MAKELPARAM(WORD(pos), IsSystemMenu(menu) ? 1 : 0));
    if (t.Done || !Get(menu)) return false;
  }
  TLevel l;
  l.Menu = menu;
  l.ParentIndex = parentIndex;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, t.Font);
  Measure(t, l, dc);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  if (l.Layout.empty()) return false;
  POINT p = Place(l.Size, at.x, at.y, flags, exclude);
  DWORD ex = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  l.Wnd = CreateWindowExW(ex, u"#32768", u"", WS_POPUP | WS_CLIPSIBLINGS, p.x, p.y, l.Size.cx, l.Size.cy,
                          t.Owner, nullptr, HInstance, nullptr);
  if (!l.Wnd) return false;
  t.Levels.push_back(l);
  SetWindowPos(l.Wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(l.Wnd);
  return true;
}

// Opens the sub-menu of the selected item of a level; selects its first item when asked.
void OpenSubMenu(TTracking& t, size_t level, bool selectFirst) {
  if (level >= t.Levels.size()) return;
  TLevel& l = t.Levels[level];
  TMenuObj* m = LevelMenu(l);
  if (!m || l.Selected < 0 || size_t(l.Selected) >= m->Items.size()) return;
  const TItem& it = m->Items[size_t(l.Selected)];
  if (!it.SubMenu || !Enabled(it)) return;
  if (t.Levels.size() > level + 1 && t.Levels[level + 1].Menu == it.SubMenu) {
    if (selectFirst && t.Levels[level + 1].Selected < 0) {
      TMenuObj* sm = LevelMenu(t.Levels[level + 1]);
      for (size_t i = 0; sm && i < sm->Items.size(); ++i)
        if (Selectable(sm->Items[i])) {
          Select(t, level + 1, int(i));
          break;
        }
    }
    return;
  }
  CloseLevelsAbove(t, level + 1);
  RECT ir = l.Layout[size_t(l.Selected)].Rect;
  POINT tl{ir.left, ir.top}, br{ir.right, ir.bottom};
  ClientToScreen(l.Wnd, &tl);
  ClientToScreen(l.Wnd, &br);
  RECT exclude{tl.x, tl.y, br.x, br.y};
  POINT at = t.Rtl ? POINT{tl.x + 3, tl.y - kFrame} : POINT{br.x - 3, tl.y - kFrame};
  UINT flags = t.Rtl ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  HMENU sub = it.SubMenu;
  if (!OpenLevel(t, sub, l.Selected, at, &exclude, flags)) return;
  if (selectFirst) {
    TMenuObj* sm = LevelMenu(t.Levels.back());
    for (size_t i = 0; sm && i < sm->Items.size(); ++i)
      if (Selectable(sm->Items[i])) {
        Select(t, t.Levels.size() - 1, int(i));
        break;
      }
  }
}

// Chooses the item: a sub-menu opens, an enabled command ends the menu.
void Choose(TTracking& t, size_t level, int index) {
  TLevel& l = t.Levels[level];
  TMenuObj* m = LevelMenu(l);
  if (!m || index < 0 || size_t(index) >= m->Items.size()) return;
  // A copy: the owner may change the menu while it is told about the selection.
  const TItem it = m->Items[size_t(index)];
  if (!Selectable(it)) return;
  if (it.SubMenu) {
    Select(t, level, index);
    OpenSubMenu(t, level, true);
    return;
  }
  if (!Enabled(it)) return;
  t.Command = it.ID;
  t.Chosen = true;
  t.FromSystem = IsSystemMenu(l.Menu);
  t.Done = true;
}

// The item of a level, nil when the level or the item is gone.
const TItem* ItemAt(TTracking& t, int level, int index) {
  if (level < 0 || size_t(level) >= t.Levels.size() || index < 0) return nullptr;
  TMenuObj* m = Get(t.Levels[size_t(level)].Menu);
  if (!m || size_t(index) >= m->Items.size()) return nullptr;
  return &m->Items[size_t(index)];
}

// The level and item under a screen point; level -1 outside every menu.
std::pair<int, int> HitTest(TTracking& t, POINT screen) {
  for (size_t k = t.Levels.size(); k-- > 0;) {
    TLevel& l = t.Levels[k];
    RECT wr;
    if (!GetWindowRect(l.Wnd, &wr) || !PtInRect(&wr, screen)) continue;
    POINT c = screen;
    ScreenToClient(l.Wnd, &c);
    for (size_t i = 0; i < l.Layout.size(); ++i)
      if (l.Layout[i].Visible && PtInRect(&l.Layout[i].Rect, c)) return {int(k), int(i)};
    return {int(k), -1};
  }
  return {-1, -1};
}

void MoveSelection(TTracking& t, int step) {
  size_t level = t.Levels.size() - 1;
  TLevel& l = t.Levels[level];
  TMenuObj* m = LevelMenu(l);
  if (!m || m->Items.empty()) return;
  int n = int(m->Items.size());
  int i = l.Selected;
  for (int k = 0; k < n; ++k) {
    i = i < 0 ? (step > 0 ? 0 : n - 1) : ((i + step) % n + n) % n;
    if (Selectable(m->Items[size_t(i)]) && l.Layout[size_t(i)].Visible) {
      Select(t, level, i);
      return;
    }
  }
}

void Accelerator(TTracking& t, char16_t ch) {
  size_t level = t.Levels.size() - 1;
  TLevel& l = t.Levels[level];
  TMenuObj* m = LevelMenu(l);
  if (!m) return;
  std::vector<int> matches;
  char16_t key = Fold(ch);
  for (size_t i = 0; i < m->Items.size(); ++i) {
    const TItem& it = m->Items[i];
    if (!Selectable(it) || (it.Type & MFT_OWNERDRAW)) continue;
    if (char16_t a = AcceleratorOf(it.Text); a && Fold(a) == key) matches.push_back(int(i));
  }
  if (matches.size() == 1) {
    Select(t, level, matches[0]);
    Choose(t, level, matches[0]);
    return;
  }
  if (matches.size() > 1) {
    // Several items share the key: each press selects the next of them.
    auto next = std::upper_bound(matches.begin(), matches.end(), l.Selected);
    Select(t, level, next == matches.end() ? matches[0] : *next);
    return;
  }
  if (t.Notify) {
    LRESULT r =
        SendMessageW(t.Owner, WM_MENUCHAR, MAKEWPARAM(WORD(ch), MF_POPUP), reinterpret_cast<LPARAM>(l.Menu));
    if (t.Done || t.Levels.size() <= level) return;
    UINT code = HIWORD(r);
    int index = LOWORD(r);
    if (code == MNC_CLOSE) {
      t.Done = true;
    } else if (code == MNC_EXECUTE && size_t(index) < m->Items.size()) {
      Select(t, level, index);
      Choose(t, level, index);
    } else if (code == MNC_SELECT && size_t(index) < m->Items.size()) {
      Select(t, level, index);
    } else {
      MessageBeep(0);
    }
  }
}

// Handles a keyboard or mouse message for the menu; false passes it on.
bool MenuInput(TTracking& t, MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      UINT forward = t.Rtl ? VK_LEFT : VK_RIGHT, back = t.Rtl ? VK_RIGHT : VK_LEFT;
      size_t level = t.Levels.size() - 1;
      TLevel& l = t.Levels[level];
      if (msg.wParam == VK_DOWN)
        MoveSelection(t, 1);
      else if (msg.wParam == VK_UP)
        MoveSelection(t, -1);
      else if (msg.wParam == forward)
        OpenSubMenu(t, level, true);
      else if (msg.wParam == back || msg.wParam == VK_ESCAPE) {
        if (t.Levels.size() > 1)
          CloseLevelsAbove(t, t.Levels.size() - 1);
        else if (msg.wParam == VK_ESCAPE)
          t.Done = true;
      } else if (msg.wParam == VK_RETURN) {
        if (l.Selected >= 0)
          Choose(t, level, l.Selected);
        else
          t.Done = true;
      } else if (msg.wParam == VK_MENU || msg.wParam == VK_F10) {
        t.Done = true;
      } else {
        TranslateMessage(&msg);  // characters come back as WM_CHAR
      }
      return true;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
      return true;
    case WM_CHAR:
    case WM_SYSCHAR:
      if (msg.wParam >= 0x20) Accelerator(t, char16_t(msg.wParam));
      return true;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONUP: {
      POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
      bool client = msg.message < WM_NCMOUSEMOVE || msg.message > WM_NCMBUTTONDBLCLK;
      if (client && msg.hwnd) ClientToScreen(msg.hwnd, &p);
      auto [level, item] = HitTest(t, p);
      switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
          if (level >= 0 && item >= 0) {
            const TItem* it = ItemAt(t, level, item);
            if (!it || !Selectable(*it)) break;
            bool sub = it->SubMenu != nullptr;
            Select(t, size_t(level), item);
            if (sub) OpenSubMenu(t, size_t(level), false);
          }
          break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
          if (level < 0)
            t.Done = true;  // a press outside every menu cancels it
          else if (item >= 0) {
            const TItem* it = ItemAt(t, level, item);
            if (it && it->SubMenu) {
              Select(t, size_t(level), item);
              OpenSubMenu(t, size_t(level), false);
            }
          }
          break;
        default: {  // button up
          bool right = msg.message == WM_RBUTTONUP || msg.message == WM_NCRBUTTONUP;
          if (msg.message == WM_MBUTTONUP || (right && !(t.Flags & TPM_RIGHTBUTTON))) break;
          if (level >= 0 && item >= 0) {
            const TItem* it = ItemAt(t, level, item);
            if (it && !it->SubMenu) Choose(t, size_t(level), item);
          }
          break;
        }
      }
      return true;
    }
    case WM_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

}  // namespace

// --- Menus and items ---------------------------------------------------------------

HMENU CreateMenu() { return NewMenu(); }
HMENU CreatePopupMenu() { return NewMenu(); }

BOOL DestroyMenu(HMENU hMenu) {
  if (!Get(hMenu)) return FALSE;
  DestroyTree(hMenu, 0);
  return TRUE;
}

BOOL IsMenu(HMENU hMenu) { return Get(hMenu) ? TRUE : FALSE; }

BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  TMenuObj* m = Get(hMenu);
  if (!m) return FALSE;
  TItem it;
  if (!ItemFromFlags(it, uFlags, uIDNewItem, lpNewItem) || it.SubMenu == hMenu) return FALSE;
  m->Items.push_back(it);
  return TRUE;
}

BOOL InsertMenuW(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  TItem it;
  if (!Get(hMenu) || !ItemFromFlags(it, uFlags, uIDNewItem, lpNewItem)) return FALSE;
  return InsertAt(hMenu, uPosition, (uFlags & MF_BYPOSITION) != 0, it) ? TRUE : FALSE;
}

BOOL ModifyMenuW(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  TFound f = FindItem(hMnu, uPosition, (uFlags & MF_BYPOSITION) != 0);
  if (!f) return FALSE;
  TItem it = *f.Item();
  if (!ItemFromFlags(it, uFlags, uIDNewItem, lpNewItem)) return FALSE;
  *f.Item() = it;
  return TRUE;
}

namespace {

bool ApplyInfo(TItem& it, HMENU owner, LPCMENUITEMINFOW mi) {
  if (!mi || mi->cbSize < sizeof(MENUITEMINFOW)) return false;
  UINT mask = mi->fMask;
  if (mask & MIIM_SUBMENU) {
    if (mi->hSubMenu && (!Get(mi->hSubMenu) || mi->hSubMenu == owner)) return false;
    it.SubMenu = mi->hSubMenu;
  }
  if (mask & MIIM_TYPE) {
    // The old form: type and text (or bitmap) together.
    it.Type = mi->fType;
    it.Text.clear();
    it.Bitmap = nullptr;
    if (it.Type & MFT_BITMAP)
      it.Bitmap = reinterpret_cast<HBITMAP>(mi->dwTypeData);
    else if (!(it.Type & (MFT_SEPARATOR | MFT_OWNERDRAW)) && mi->dwTypeData)
      it.Text = mi->dwTypeData;
  }
  if (mask & MIIM_FTYPE) it.Type = mi->fType;
  if (mask & MIIM_STRING) it.Text = mi->dwTypeData ? String(mi->dwTypeData) : String();
  if (mask & MIIM_BITMAP) it.Bitmap = mi->hbmpItem;
  if (mask & MIIM_STATE) it.State = mi->fState & (MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT);
  if (mask & MIIM_ID) it.ID = mi->wID;
  if (mask & MIIM_DATA) it.Data = mi->dwItemData;
  if (mask & MIIM_CHECKMARKS) {
    it.Checked = mi->hbmpChecked;
    it.Unchecked = mi->hbmpUnchecked;
  }
  return true;
}

}  // namespace

BOOL InsertMenuItemW(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOW lpmi) {
  if (!Get(hmenu)) return FALSE;
  TItem it;
  if (!ApplyInfo(it, hmenu, lpmi)) return FALSE;
  return InsertAt(hmenu, item, fByPosition != 0, it) ? TRUE : FALSE;
}

BOOL SetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPositon, LPCMENUITEMINFOW lpmii) {
  TFound f = FindItem(hmenu, item, fByPositon != 0);
  if (!f) return FALSE;
  TItem it = *f.Item();
  if (!ApplyInfo(it, f.Handle, lpmii)) return FALSE;
  *f.Item() = it;
  return TRUE;
}

BOOL GetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOW lpmii) {
  if (!lpmii || lpmii->cbSize < sizeof(MENUITEMINFOW)) return FALSE;
  TFound f = FindItem(hmenu, item, fByPosition != 0);
  if (!f) return FALSE;
  const TItem& it = *f.Item();
  UINT mask = lpmii->fMask;
  if (mask & (MIIM_FTYPE | MIIM_TYPE)) lpmii->fType = it.Type;
  if (mask & MIIM_STATE) lpmii->fState = it.State;
  if (mask & MIIM_ID) lpmii->wID = it.ID;
  if (mask & MIIM_SUBMENU) lpmii->hSubMenu = it.SubMenu;
  if (mask & MIIM_DATA) lpmii->dwItemData = it.Data;
  if (mask & MIIM_BITMAP) lpmii->hbmpItem = it.Bitmap;
  if (mask & MIIM_CHECKMARKS) {
    lpmii->hbmpChecked = it.Checked;
    lpmii->hbmpUnchecked = it.Unchecked;
  }
  if (mask & (MIIM_STRING | MIIM_TYPE)) {
    if ((mask & MIIM_TYPE) && (it.Type & MFT_BITMAP)) {
      lpmii->dwTypeData = reinterpret_cast<LPWSTR>(it.Bitmap);
    } else if (lpmii->dwTypeData && lpmii->cch > 0) {
      size_t n = std::min<size_t>(it.Text.size(), lpmii->cch - 1);
      std::copy_n(it.Text.data(), n, lpmii->dwTypeData);
      lpmii->dwTypeData[n] = 0;
      lpmii->cch = UINT(n);
    } else {
      lpmii->cch = UINT(it.Text.size());
    }
  }
  return TRUE;
}

int GetMenuItemCount(HMENU hMenu) {
  TMenuObj* m = Get(hMenu);
  return m ? int(m->Items.size()) : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
  TMenuObj* m = Get(hMenu);
  if (!m || nPos < 0 || size_t(nPos) >= m->Items.size()) return UINT(-1);
  const TItem& it = m->Items[size_t(nPos)];
  return it.SubMenu ? UINT(-1) : it.ID;
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  TFound f = FindItem(hMenu, uId, (uFlags & MF_BYPOSITION) != 0);
  if (!f) return UINT(-1);
  const TItem& it = *f.Item();
  UINT r = StateFlags(it);
  if (it.SubMenu) r |= UINT(std::min(GetMenuItemCount(it.SubMenu), 255)) << 8;
  return r;
}

int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags) {
  TFound f = FindItem(hMenu, uIDItem, (flags & MF_BYPOSITION) != 0);
  if (!f) return 0;
  const String& text = f.Item()->Text;
  if (!lpString || cchMax <= 0) return int(text.size());
  size_t n = std::min<size_t>(text.size(), size_t(cchMax) - 1);
  std::copy_n(text.data(), n, lpString);
  lpString[n] = 0;
  return int(n);
}

BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  TFound f = FindItem(hMenu, uPosition, (uFlags & MF_BYPOSITION) != 0);
  if (!f) return FALSE;
  f.Menu->Items.erase(f.Menu->Items.begin() + ptrdiff_t(f.Index));
  return TRUE;
}

BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  TFound f = FindItem(hMenu, uPosition, (uFlags & MF_BYPOSITION) != 0);
  if (!f) return FALSE;
  HMENU sub = f.Item()->SubMenu;
  f.Menu->Items.erase(f.Menu->Items.begin() + ptrdiff_t(f.Index));
  if (sub) DestroyTree(sub, 0);
  return TRUE;
}

BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  TFound f = FindItem(hMenu, uIDEnableItem, (uEnable & MF_BYPOSITION) != 0);
  if (!f) return BOOL(-1);
  TItem& it = *f.Item();
  UINT old = it.State & MFS_GRAYED;
  it.State &= ~MFS_GRAYED;
  if (uEnable & MF_GRAYED) it.State |= MF_GRAYED;
  if (uEnable & MF_DISABLED) it.State |= MF_DISABLED;
  return BOOL(old);
}

DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
  TFound f = FindItem(hMenu, uIDCheckItem, (uCheck & MF_BYPOSITION) != 0);
  if (!f) return DWORD(-1);
  TItem& it = *f.Item();
  DWORD old = it.State & MF_CHECKED;
  if (uCheck & MF_CHECKED)
    it.State |= MF_CHECKED;
  else
    it.State &= ~MF_CHECKED;
  return old;
}

BOOL CheckMenuRadioItem(HMENU hmenu, UINT first, UINT last, UINT check, UINT flags) {
  TMenuObj* m = Get(hmenu);
  if (!m) return FALSE;
  bool byPos = (flags & MF_BYPOSITION) != 0;
  bool found = false;
  for (size_t i = 0; i < m->Items.size(); ++i) {
    TItem& it = m->Items[i];
    UINT key = byPos ? UINT(i) : it.ID;
    if (key < first || key > last || it.SubMenu || !Selectable(it)) continue;
    if (key == check) {
      it.State |= MF_CHECKED;
      it.Type |= MFT_RADIOCHECK;
      found = true;
    } else {
      it.State &= ~MF_CHECKED;
    }
  }
  return found ? TRUE : FALSE;
}

BOOL SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos) {
  TMenuObj* m = Get(hMenu);
  if (!m) return FALSE;
  TFound f{};
  if (uItem != UINT(-1)) {
    f = FindItem(hMenu, uItem, fByPos != 0);
    if (!f || f.Menu != m) return FALSE;
  }
  for (TItem& it : m->Items) it.State &= ~MFS_DEFAULT;
  if (f) f.Item()->State |= MFS_DEFAULT;
  return TRUE;
}

HMENU GetSubMenu(HMENU hMenu, int nPos) {
  TMenuObj* m = Get(hMenu);
  if (!m || nPos < 0 || size_t(nPos) >= m->Items.size()) return nullptr;
  return m->Items[size_t(nPos)].SubMenu;
}

HMENU GetSystemMenu(HWND hWnd, BOOL bRevert) {
  PurgeSystemMenus();
  if (!IsWindow(hWnd)) return nullptr;
  auto& map = SystemMenus();
  auto it = map.find(hWnd);
  if (bRevert) {
    if (it != map.end()) {
      DestroyTree(it->second, 0);
      map.erase(it);
    }
    return nullptr;
  }
  if (!(GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_SYSMENU)) return nullptr;
  if (it == map.end() || !Get(it->second)) it = map.insert_or_assign(hWnd, MakeSystemMenu()).first;
  UpdateSystemMenu(hWnd, it->second);
  return it->second;
}

// --- Tracking ---------------------------------------------------------------------------

BOOL TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS lptpm) {
  if (!Get(hMenu) || !IsWindow(hwnd) || gTrack) return FALSE;
  EnsureClass();
  TTracking t;
  t.Owner = hwnd;
  t.Flags = uFlags;
  t.Notify = !(uFlags & TPM_NONOTIFY);
  t.Rtl = (uFlags & TPM_LAYOUTRTL) != 0;
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    t.Font = CreateFontIndirectW(&ncm.lfMenuFont);
    LOGFONTW bold = ncm.lfMenuFont;
    bold.lfWeight = FW_BOLD;
    t.BoldFont = CreateFontIndirectW(&bold);
  }
  gTrack = &t;
  // Modes such as a capture end when a menu opens.
  if (GetCapture()) ReleaseCapture();
  if (t.Notify) SendMessageW(hwnd, WM_ENTERMENULOOP, TRUE, 0);
  const RECT* exclude = lptpm && lptpm->cbSize >= sizeof(TPMPARAMS) ? &lptpm->rcExclude : nullptr;
  bool opened = !t.Done && OpenLevel(t, hMenu, -1, POINT{x, y}, exclude, uFlags);
  bool quit = false;
  int quitCode = 0;
  if (opened) {
    SetCapture(t.Levels.front().Wnd);
    while (!t.Done && !t.Levels.empty() && IsWindow(t.Owner)) {
      // A level whose window went away ends the menu.
      if (!IsWindow(t.Levels.front().Wnd)) break;
      MSG m;
      if (!GetMessageW(&m, nullptr, 0, 0)) {
        quit = true;
        quitCode = int(m.wParam);
        break;
      }
      if (MenuInput(t, m)) continue;
      if (m.message == WM_CANCELMODE) {
        t.Done = true;
        continue;
      }
      DispatchMessageW(&m);
      if (GetCapture() != t.Levels.front().Wnd && !t.Levels.empty() && IsWindow(t.Levels.front().Wnd) &&
          GetCapture() != nullptr)
        t.Done = true;  // someone else took the mouse
    }
  }
  HWND captureWnd = t.Levels.empty() ? nullptr : t.Levels.front().Wnd;
  CloseLevelsAbove(t, 0);
  if (captureWnd && GetCapture() == captureWnd) ReleaseCapture();
  if (t.Notify && IsWindow(hwnd)) {
    SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    SendMessageW(hwnd, WM_EXITMENULOOP, TRUE, 0);
  }
  gTrack = nullptr;
  if (t.Font) DeleteObject(t.Font);
  if (t.BoldFont) DeleteObject(t.BoldFont);
  if (quit) PostQuitMessage(quitCode);
  if (!opened) return FALSE;
  if (uFlags & TPM_RETURNCMD) return t.Chosen ? BOOL(t.Command) : 0;
  if (t.Chosen && t.Notify && IsWindow(hwnd))
    PostMessageW(hwnd, t.FromSystem ? WM_SYSCOMMAND : WM_COMMAND,
                 t.FromSystem ? WPARAM(t.Command) : MAKEWPARAM(WORD(t.Command), 0), 0);
  return TRUE;
}

BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
  return TrackPopupMenuEx(hMenu, uFlags, x, y, hWnd, nullptr);
}

BOOL EndMenu() {
  if (!gTrack) return FALSE;
  gTrack->Done = true;
  // Wake the loop.
  if (!gTrack->Levels.empty()) PostMessageW(gTrack->Levels.front().Wnd, WM_NULL, 0, 0);
  return TRUE;
}

}  // namespace win
