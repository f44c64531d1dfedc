// The "EDIT" window class: typing and editing keys, positions and hit tests,
// limits and styles, word wrap and the line messages, undo, the clipboard,
// notifications to the parent, scroll bars, colours and painting, and a
// subclassed edit. Text is measured with one fixed font file.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "WindowsFixture.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "platform/win/FontMap.h"
#include "platform/win/UxTheme.h"

using namespace win;
using namespace wintest;
using Strings = std::vector<std::string>;

namespace {

const char* const TestFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int EditId = 7;

std::string CodeName(WORD code) {
  switch (code) {
    case EN_SETFOCUS:
      return "EN_SETFOCUS";
    case EN_KILLFOCUS:
      return "EN_KILLFOCUS";
    case EN_CHANGE:
      return "EN_CHANGE";
    case EN_UPDATE:
      return "EN_UPDATE";
    case EN_MAXTEXT:
      return "EN_MAXTEXT";
    case EN_HSCROLL:
      return "EN_HSCROLL";
    case EN_VSCROLL:
      return "EN_VSCROLL";
    default:
      return "EN_?";
  }
}

enum : UINT { kShift = 1, kCtrl = 2 };

// One step of a keyboard script: typed text, or a key with modifiers.
struct TStep {
  const char16_t* Text = nullptr;
  UINT Vk = 0;
  UINT Mods = 0;
};
TStep T(const char16_t* s) { return TStep{s, 0, 0}; }
TStep K(UINT vk, UINT mods = 0) { return TStep{nullptr, vk, mods}; }

class EditTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    if (access(TestFontFile, R_OK) != 0) GTEST_SKIP() << "test font missing: " << TestFontFile;
    fontmap::SetFontFileOverride(TestFontFile);
    Font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
    Parent = Make("parent", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300});
    SetActiveWindow(Parent);
    Handler() = [this](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) {
      if (h != Parent) return false;
      if (m == WM_COMMAND && LOWORD(w) == EditId) {
        EXPECT_TRUE(IsWindow(reinterpret_cast<HWND>(l)));
        Notes.push_back(CodeName(HIWORD(w)));
        if (OnNote) OnNote(HIWORD(w), reinterpret_cast<HWND>(l));
        return false;
      }
      if ((m == WM_CTLCOLOREDIT || m == WM_CTLCOLORSTATIC) && ColorBrush) {
        Asked.push_back(m);
        SetTextColor(reinterpret_cast<HDC>(w), ColorText);
        r = reinterpret_cast<LRESULT>(ColorBrush);
        return true;
      }
      return false;
    };
    Pump();
  }

  void TearDown() override {
    WindowsFixture::TearDown();
    if (Font) DeleteObject(Font);
    for (HBRUSH b : Brushes) DeleteObject(b);
    fontmap::SetFontFileOverride("");
  }

  HWND MakeEdit(DWORD style, const String& text = u"", RECT r = RECT{10, 10, 210, 30}) {
    HWND e = CreateWindowExW(0, u"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, Parent,
                             reinterpret_cast<HMENU>(uintptr_t(EditId)), HInstance, nullptr);
    EXPECT_NE(e, nullptr);
    Created.push_back(e);
    SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(Font), 0);
    return e;
  }
  HWND FocusedEdit(DWORD style, const String& text = u"", RECT r = RECT{10, 10, 210, 30}) {
    HWND e = MakeEdit(style, text, r);
    SetFocus(e);
    Pump();
    Notes.clear();
    return e;
  }

  void Press(UINT vk, UINT mods = 0) {
    if (mods & kCtrl) Screen.KeyDown(VK_CONTROL);
    if (mods & kShift) Screen.KeyDown(VK_SHIFT);
    Screen.KeyPress(vk);
    if (mods & kShift) Screen.KeyUp(VK_SHIFT);
    if (mods & kCtrl) Screen.KeyUp(VK_CONTROL);
    Pump();
  }
  void Type(const String& s) {
    Screen.TypeText(s);
    Pump();
  }
  void Run(const std::vector<TStep>& steps) {
    for (const TStep& s : steps) {
      if (s.Text)
        Type(s.Text);
      else
        Press(s.Vk, s.Mods);
    }
  }

  static String TextOf(HWND e) {
    String s(size_t(GetWindowTextLengthW(e)) + 1, u'\0');
    s.resize(size_t(GetWindowTextW(e, s.data(), int(s.size()))));
    return s;
  }
  static std::pair<int, int> Sel(HWND e) {
    DWORD a = 0, b = 0;
    SendMessageW(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {int(a), int(b)};
  }
  static void Select(HWND e, int a, int b) { SendMessageW(e, EM_SETSEL, WPARAM(a), LPARAM(b)); }
  static POINT PosOf(HWND e, int i) {
    LRESULT r = SendMessageW(e, EM_POSFROMCHAR, WPARAM(i), 0);
    return POINT{SHORT(LOWORD(r)), SHORT(HIWORD(r))};
  }
  static std::pair<int, int> CharAt(HWND e, int x, int y) {
    LRESULT r = SendMessageW(e, EM_CHARFROMPOS, 0, MAKELPARAM(WORD(x), WORD(y)));
    return {LOWORD(r), HIWORD(r)};
  }
  static String Line(HWND e, int line) {
    WCHAR buf[256] = {};
    WORD max = 255;
    std::memcpy(buf, &max, sizeof max);
    LRESULT n = SendMessageW(e, EM_GETLINE, WPARAM(line), reinterpret_cast<LPARAM>(buf));
    return String(buf, size_t(n));
  }
  int TextWidth(const String& s) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font);
    SIZE sz{};
    GetTextExtentPoint32W(dc, s.c_str(), int(s.size()), &sz);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return sz.cx;
  }
  int LineHeight() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, Font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
  }

  void SetClipboardText(const String& s) {
    ASSERT_TRUE(OpenClipboard(Parent));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * sizeof(WCHAR));
    auto* p = static_cast<WCHAR*>(GlobalLock(g));
    std::copy(s.begin(), s.end(), p);
    p[s.size()] = 0;
    GlobalUnlock(g);
    SetClipboardData(CF_UNICODETEXT, g);
    CloseClipboard();
  }
  String ClipboardText() {
    String s;
    if (!OpenClipboard(Parent)) return s;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
      s = static_cast<const WCHAR*>(GlobalLock(h));
      GlobalUnlock(h);
    }
    CloseClipboard();
    return s;
  }

  // The edit's client area drawn through WM_PRINTCLIENT into a bitmap.
  std::vector<COLORREF> Print(HWND e, int& w, int& h) {
    RECT c{};
    GetClientRect(e, &c);
    w = c.right;
    h = c.bottom;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bmp);
    SendMessageW(e, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    std::vector<COLORREF> px;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) px.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return px;
  }
  static int Count(const std::vector<COLORREF>& px, COLORREF c) {
    return int(std::count(px.begin(), px.end(), c));
  }

  HFONT Font{};
  HWND Parent{};
  Strings Notes;
  std::function<void(WORD, HWND)> OnNote;
  HBRUSH ColorBrush{};
  COLORREF ColorText = 0;
  std::vector<UINT> Asked;
  std::vector<HBRUSH> Brushes;
};

// ---------------------------------------------------------------------------
// Typing and editing keys

struct TKeysCase {
  const char* Name;
  DWORD Style;
  const char16_t* Initial;
  int SelA, SelB;
  std::vector<TStep> Steps;
  const char16_t* Text;
  int ExpA, ExpB;
};

TEST_F(EditTest, KeysEditTheTextAndMoveTheSelection) {
  const DWORD ml = ES_MULTILINE | ES_AUTOVSCROLL;
  // clang-format off
  const TKeysCase cases[] = {
      {"typing", 0, u"", 0, 0, {T(u"abc")}, u"abc", 3, 3},
      {"typing replaces the selection", 0, u"hello", 1, 4, {T(u"X")}, u"hXo", 2, 2},
      {"backspace", 0, u"hello", 5, 5, {K(VK_BACK), K(VK_BACK)}, u"hel", 3, 3},
      {"backspace at the start", 0, u"ab", 0, 0, {K(VK_BACK)}, u"ab", 0, 0},
      {"delete after home", 0, u"hello", 5, 5, {K(VK_HOME), K(VK_DELETE)}, u"ello", 0, 0},
      {"delete at the end", 0, u"ab", 2, 2, {K(VK_DELETE)}, u"ab", 2, 2},
      {"delete a selection", 0, u"hello", 1, 3, {K(VK_DELETE)}, u"hlo", 1, 1},
      {"ctrl+right to the next word", 0, u"hello world", 0, 0, {K(VK_RIGHT, kCtrl)}, u"hello world", 6, 6},
      {"ctrl+right at the last word", 0, u"hello world", 6, 6, {K(VK_RIGHT, kCtrl)}, u"hello world", 11, 11},
      {"ctrl+left to the word start", 0, u"hello world", 11, 11, {K(VK_LEFT, kCtrl)}, u"hello world", 6, 6},
      {"ctrl+left twice", 0, u"hello world", 8, 8, {K(VK_LEFT, kCtrl), K(VK_LEFT, kCtrl)}, u"hello world", 0, 0},
      {"shift+left selects", 0, u"hello", 5, 5, {K(VK_LEFT, kShift), K(VK_LEFT, kShift)}, u"hello", 3, 5},
      {"shift+ctrl+left selects a word", 0, u"ab cd", 5, 5, {K(VK_LEFT, kShift | kCtrl)}, u"ab cd", 3, 5},
      {"shift+home selects to the start", 0, u"hello", 5, 5, {K(VK_HOME, kShift)}, u"hello", 0, 5},
      {"shift+end then typing", 0, u"hello", 2, 2, {K(VK_END, kShift), T(u"p")}, u"hep", 3, 3},
      {"left collapses a selection to its start", 0, u"hello", 1, 4, {K(VK_LEFT)}, u"hello", 1, 1},
      {"right collapses a selection to its end", 0, u"hello", 1, 4, {K(VK_RIGHT)}, u"hello", 4, 4},
      {"up, down in a single line", 0, u"abc", 1, 1, {K(VK_DOWN), K(VK_DOWN), K(VK_UP)}, u"abc", 2, 2},
      {"ctrl+a then typing", 0, u"hello", 2, 2, {K('A', kCtrl), T(u"z")}, u"z", 1, 1},
      {"enter and tab are ignored in a single line", 0, u"ab", 2, 2, {K(VK_RETURN), K(VK_TAB)}, u"ab", 2, 2},
      {"enter breaks a multi-line", ml, u"", 0, 0, {T(u"ab"), K(VK_RETURN), T(u"cd")}, u"ab\r\ncd", 6, 6},
      {"ctrl+enter breaks a multi-line", ml, u"ab", 2, 2, {K(VK_RETURN, kCtrl)}, u"ab\r\n", 4, 4},
      {"tab in a multi-line", ml, u"ab", 1, 1, {K(VK_TAB)}, u"a\tb", 2, 2},
      {"backspace joins lines", ml, u"ab\r\ncd", 4, 4, {K(VK_BACK)}, u"abcd", 2, 2},
      {"delete joins lines", ml, u"ab\r\ncd", 2, 2, {K(VK_DELETE)}, u"abcd", 2, 2},
      {"right steps over a line break", ml, u"ab\r\ncd", 2, 2, {K(VK_RIGHT)}, u"ab\r\ncd", 4, 4},
      {"left steps over a line break", ml, u"ab\r\ncd", 4, 4, {K(VK_LEFT)}, u"ab\r\ncd", 2, 2},
      {"down keeps the column", ml, u"aaa\r\naaa", 1, 1, {K(VK_DOWN)}, u"aaa\r\naaa", 6, 6},
      {"up on the first line stays", ml, u"aaa\r\naaa", 1, 1, {K(VK_UP)}, u"aaa\r\naaa", 1, 1},
      {"down on a shorter line goes to its end", ml, u"aaaa\r\na", 4, 4, {K(VK_DOWN)}, u"aaaa\r\na", 7, 7},
      {"home and end work on the line", ml, u"ab\r\ncd\r\nef", 5, 5, {K(VK_HOME)}, u"ab\r\ncd\r\nef", 4, 4},
      {"end of a line", ml, u"ab\r\ncd\r\nef", 4, 4, {K(VK_END)}, u"ab\r\ncd\r\nef", 6, 6},
      {"ctrl+home/end", ml, u"ab\r\ncd", 5, 5, {K(VK_HOME, kCtrl), K(VK_END, kCtrl)}, u"ab\r\ncd", 6, 6},
      {"read-only moves only", ES_READONLY, u"ab", 2, 2, {T(u"x"), K(VK_BACK), K(VK_DELETE), K(VK_LEFT)}, u"ab", 1, 1},
      {"number takes digits only", ES_NUMBER, u"", 0, 0, {T(u"1a2-3")}, u"123", 3, 3},
      {"upper case", ES_UPPERCASE, u"", 0, 0, {T(u"aBc")}, u"ABC", 3, 3},
      {"lower case", ES_LOWERCASE, u"", 0, 0, {T(u"AbC")}, u"abc", 3, 3},
      {"surrogate pairs stay whole", 0, u"a\U0001F600b", 3, 3, {K(VK_LEFT), K(VK_BACK)}, u"\U0001F600b", 0, 0},
  };
  // clang-format on
  for (const TKeysCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND e = FocusedEdit(c.Style | ES_AUTOHSCROLL, c.Initial, RECT{10, 10, 210, 80});
    Select(e, c.SelA, c.SelB);
    Run(c.Steps);
    EXPECT_EQ(TextOf(e), String(c.Text));
    EXPECT_EQ(Sel(e), std::make_pair(c.ExpA, c.ExpB));
    DestroyWindow(e);
  }
}

TEST_F(EditTest, CaseConversionFollowsTheSystemLocale) {
  TSystemLocale old = SystemLocale();
  SetSystemLocale(TSystemLocale::Turkish);
  HWND e = FocusedEdit(ES_UPPERCASE | ES_AUTOHSCROLL);
  Type(u"iı");
  EXPECT_EQ(TextOf(e), u"İI");
  SetSystemLocale(old);
}

// ---------------------------------------------------------------------------
// Positions and hit tests

TEST_F(EditTest, PositionsAndHitTestsAgreeForEveryLayout) {
  struct TCase {
    const char* Name;
    DWORD Style;
    RECT R;
    const char16_t* Text;
  } cases[] = {
      {"single, left", ES_AUTOHSCROLL, RECT{10, 10, 210, 30}, u"Wide and narrow: iiii WWWW"},
      {"single, centred", ES_CENTER | ES_AUTOHSCROLL, RECT{10, 10, 210, 30}, u"centred"},
      {"single, right", ES_RIGHT | ES_AUTOHSCROLL, RECT{10, 10, 210, 30}, u"right"},
      {"single, scrolled", ES_AUTOHSCROLL, RECT{10, 10, 70, 30}, u"a text much wider than its window"},
      {"multi, wrapped", ES_MULTILINE, RECT{10, 10, 110, 150},
       u"one two three four five six seven\r\n\r\neight"},
      {"multi, tabs", ES_MULTILINE | ES_AUTOHSCROLL, RECT{10, 10, 210, 150}, u"a\tb\r\n\tcc\tdd"},
      {"multi, right", ES_MULTILINE | ES_RIGHT, RECT{10, 10, 110, 150}, u"r1\r\nlonger line"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND e = MakeEdit(c.Style, c.Text, c.R);
    int len = GetWindowTextLengthW(e);
    // the caret at the end scrolls a narrow single line
    SetFocus(e);
    Select(e, len, len);
    SendMessageW(e, EM_SCROLLCARET, 0, 0);
    auto isLineFeedOfBreak = [&](int i) { return i > 0 && c.Text[i - 1] == u'\r' && c.Text[i] == u'\n'; };
    POINT prev{INT32_MIN, INT32_MIN};
    for (int i = 0; i < len; ++i) {
      if (isLineFeedOfBreak(i)) continue;  // shares the place of its CR
      POINT p = PosOf(e, i);
      int line = int(SendMessageW(e, EM_LINEFROMCHAR, WPARAM(i), 0));
      EXPECT_EQ(CharAt(e, p.x, p.y), std::make_pair(i, line)) << "char " << i;
      if (p.y == prev.y) {
        EXPECT_GT(p.x, prev.x) << "char " << i;
      }
      prev = p;
    }
    // the caret stands where the character does (the text may scroll to it)
    for (int i = 0; i < len; ++i) {
      Select(e, i, i);
      POINT p = PosOf(e, i), caret{};
      GetCaretPos(&caret);
      EXPECT_EQ(caret.x, p.x) << "char " << i;
      EXPECT_EQ(caret.y, p.y) << "char " << i;
    }
    EXPECT_EQ(SendMessageW(e, EM_POSFROMCHAR, WPARAM(len), 0), -1);
    EXPECT_EQ(SendMessageW(e, EM_POSFROMCHAR, WPARAM(-5), 0), -1);
    // beyond the text the nearest place is answered
    RECT cr{};
    GetClientRect(e, &cr);
    EXPECT_EQ(CharAt(e, 30000, 30000).first, len);
    DestroyWindow(e);
  }
}

TEST_F(EditTest, AlignmentAndScrollingPlaceTheText) {
  int w = TextWidth(u"abc");
  HWND left = MakeEdit(ES_AUTOHSCROLL, u"abc");
  HWND centre = MakeEdit(ES_CENTER | ES_AUTOHSCROLL, u"abc");
  HWND right = MakeEdit(ES_RIGHT | ES_AUTOHSCROLL, u"abc");
  for (HWND e : {left, centre, right}) SendMessageW(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  RECT c{};
  GetClientRect(left, &c);
  EXPECT_EQ(PosOf(left, 0).x, 0);
  EXPECT_NEAR(PosOf(centre, 0).x, (c.right - w) / 2, 1);
  // a right-aligned text ends one pixel short of the edge (room for the caret)
  EXPECT_EQ(PosOf(right, 2).x + TextWidth(u"c"), c.right - 1);

  // a long single line scrolls to keep the caret in view, and EM_GETFIRSTVISIBLELINE
  // tells the first visible character
  HWND narrow = FocusedEdit(ES_AUTOHSCROLL, u"", RECT{10, 40, 60, 60});
  Type(u"0123456789abcdefghij");
  POINT caret{};
  GetCaretPos(&caret);
  GetClientRect(narrow, &c);
  EXPECT_GE(caret.x, 0);
  EXPECT_LT(caret.x, c.right);
  EXPECT_LT(PosOf(narrow, 0).x, 0);
  int margin = LOWORD(SendMessageW(narrow, EM_GETMARGINS, 0, 0));
  LRESULT first = SendMessageW(narrow, EM_GETFIRSTVISIBLELINE, 0, 0);
  EXPECT_GT(first, 0);
  EXPECT_GE(PosOf(narrow, int(first)).x, margin);
  EXPECT_LT(PosOf(narrow, int(first) - 1).x, margin);
  Press(VK_HOME);
  EXPECT_EQ(PosOf(narrow, 0).x, margin);
}

TEST_F(EditTest, MarginsAndTheFormattingRectangle) {
  HWND e = MakeEdit(ES_AUTOHSCROLL, u"abc");
  // WM_SETFONT takes the font's margins, as EC_USEFONTINFO does
  LRESULT fontMargins = SendMessageW(e, EM_GETMARGINS, 0, 0);
  SendMessageW(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
  SendMessageW(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(EC_USEFONTINFO, EC_USEFONTINFO));
  EXPECT_EQ(SendMessageW(e, EM_GETMARGINS, 0, 0), fontMargins);

  SendMessageW(e, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 1));
  EXPECT_EQ(SendMessageW(e, EM_GETMARGINS, 0, 0), LRESULT(MAKELONG(0, 1)));
  SendMessageW(e, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(5, 9));  // only the left one
  EXPECT_EQ(SendMessageW(e, EM_GETMARGINS, 0, 0), LRESULT(MAKELONG(5, 1)));
  RECT c{}, f{};
  GetClientRect(e, &c);
  SendMessageW(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&f));
  EXPECT_EQ(f.left, 5);
  EXPECT_EQ(f.right, c.right - 1);
  EXPECT_EQ(PosOf(e, 0).x, 5);

  // a single line ignores EM_SETRECT; a multi-line lays out in it
  RECT r{20, 3, 120, 40};
  SendMessageW(e, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  SendMessageW(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&f));
  EXPECT_EQ(f.left, 5);
  HWND m = MakeEdit(ES_MULTILINE, u"abc", RECT{10, 40, 210, 140});
  SendMessageW(m, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
  SendMessageW(m, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&f));
  EXPECT_EQ(f.left, r.left);
  EXPECT_EQ(f.top, r.top);
  EXPECT_EQ(PosOf(m, 0).x, 20);
  EXPECT_EQ(PosOf(m, 0).y, 3);
  // resizing goes back to the client rectangle less the margins
  SetWindowPos(m, nullptr, 0, 0, 150, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(m, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&f));
  EXPECT_EQ(f.top, 0);
  EXPECT_EQ(f.left, LOWORD(SendMessageW(m, EM_GETMARGINS, 0, 0)));
}

// ---------------------------------------------------------------------------
// Limits and styles

TEST_F(EditTest, TheTextLimitCutsInsertionsButNotSetText) {
  struct TCase {
    const char* Name;
    const char16_t* Initial;
    UINT Limit;
    int SelA, SelB;
    enum { Typed, Pasted, Replaced } How;
    const char16_t* Insert;
    const char16_t* Text;
    bool MaxText;
  } cases[] = {
      {"typing up to the limit", u"123", 5, 3, 3, TCase::Typed, u"4567", u"12345", true},
      {"typing at the limit", u"12345", 5, 2, 2, TCase::Typed, u"x", u"12345", true},
      {"typing over a selection at the limit", u"12345", 5, 1, 3, TCase::Typed, u"x", u"1x45", false},
      {"pasting into an empty field", u"", 5, 0, 0, TCase::Pasted, u"123456789", u"12345", true},
      {"pasting into a full field", u"12345", 5, 2, 2, TCase::Pasted, u"6789", u"12345", true},
      {"replacing within the limit", u"ab", 5, 1, 1, TCase::Replaced, u"xyz", u"axyzb", false},
      {"replacing beyond the limit", u"ab", 3, 2, 2, TCase::Replaced, u"xyz", u"abx", true},
      {"a text already longer refuses more", u"1234567", 5, 7, 7, TCase::Typed, u"8", u"1234567", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    HWND e = FocusedEdit(ES_AUTOHSCROLL, c.Initial);
    SendMessageW(e, EM_LIMITTEXT, c.Limit, 0);
    Select(e, c.SelA, c.SelB);
    Notes.clear();
    switch (c.How) {
      case TCase::Typed:
        Type(c.Insert);
        break;
      case TCase::Pasted:
        SetClipboardText(c.Insert);
        SendMessageW(e, WM_PASTE, 0, 0);
        break;
      case TCase::Replaced:
        SendMessageW(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.Insert));
        break;
    }
    EXPECT_EQ(TextOf(e), String(c.Text));
    EXPECT_EQ(std::count(Notes.begin(), Notes.end(), "EN_MAXTEXT") > 0, c.MaxText);
    DestroyWindow(e);
  }
  HWND e = MakeEdit(ES_AUTOHSCROLL);
  EXPECT_EQ(SendMessageW(e, EM_GETLIMITTEXT, 0, 0), 32767);
  SendMessageW(e, EM_SETLIMITTEXT, 2, 0);
  SetWindowTextW(e, u"longer than two");
  EXPECT_EQ(TextOf(e), u"longer than two");
  SendMessageW(e, EM_LIMITTEXT, 0, 0);
  EXPECT_EQ(SendMessageW(e, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
}

TEST_F(EditTest, AnEditThatDoesNotScrollTakesOnlyWhatItShows) {
  // a single line without ES_AUTOHSCROLL stops at its width
  HWND e = FocusedEdit(0, u"", RECT{10, 10, 60, 30});
  Type(u"WWWWWWWWWWWWWWWW");
  RECT f{};
  SendMessageW(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&f));
  String t = TextOf(e);
  EXPECT_LT(t.size(), 16u);
  EXPECT_LE(TextWidth(t) + 1, f.right - f.left);  // the caret's pixel included
  EXPECT_GT(TextWidth(t + u"W") + 1, f.right - f.left);
  EXPECT_NE(std::find(Notes.begin(), Notes.end(), "EN_MAXTEXT"), Notes.end());

  // a multi-line without ES_AUTOVSCROLL stops at its height
  int lh = LineHeight();
  HWND m = FocusedEdit(ES_MULTILINE, u"", RECT{10, 40, 210, 40 + 2 * lh + 3});
  Type(u"a\rb\rc\rd");
  EXPECT_EQ(TextOf(m), u"a\r\nbcd");
  EXPECT_EQ(SendMessageW(m, EM_GETLINECOUNT, 0, 0), 2);
}

TEST_F(EditTest, PasswordEditsMaskTheTextAndNeverCopyIt) {
  HWND e = FocusedEdit(ES_PASSWORD | ES_AUTOHSCROLL, u"iWi");
  Char expected = IsThemeActive() ? Char(0x25CF) : u'*';
  EXPECT_EQ(SendMessageW(e, EM_GETPASSWORDCHAR, 0, 0), LRESULT(expected));
  // every character takes the mask's width
  EXPECT_EQ(PosOf(e, 1).x - PosOf(e, 0).x, PosOf(e, 2).x - PosOf(e, 1).x);
  EXPECT_EQ(TextOf(e), u"iWi");
  SetClipboardText(u"before");
  Select(e, 0, -1);
  SendMessageW(e, WM_COPY, 0, 0);
  SendMessageW(e, WM_CUT, 0, 0);
  EXPECT_EQ(ClipboardText(), u"before");
  EXPECT_EQ(TextOf(e), u"iWi");

  SendMessageW(e, EM_SETPASSWORDCHAR, u'#', 0);
  EXPECT_EQ(SendMessageW(e, EM_GETPASSWORDCHAR, 0, 0), LRESULT(u'#'));
  SendMessageW(e, EM_SETPASSWORDCHAR, 0, 0);
  EXPECT_EQ(GetWindowLongPtrW(e, GWL_STYLE) & ES_PASSWORD, 0);
  EXPECT_EQ(SendMessageW(e, EM_GETPASSWORDCHAR, 0, 0), 0);
  EXPECT_NE(PosOf(e, 1).x - PosOf(e, 0).x, PosOf(e, 2).x - PosOf(e, 1).x);  // unmasked again
  SendMessageW(e, WM_COPY, 0, 0);
  EXPECT_EQ(ClipboardText(), u"iWi");
}

TEST_F(EditTest, ReadOnlyIsAStyleAndDialogCodesFollowTheKind) {
  HWND e = MakeEdit(ES_AUTOHSCROLL);
  EXPECT_EQ(SendMessageW(e, EM_SETREADONLY, TRUE, 0), TRUE);
  EXPECT_NE(GetWindowLongPtrW(e, GWL_STYLE) & ES_READONLY, 0);
  SendMessageW(e, EM_SETREADONLY, FALSE, 0);
  EXPECT_EQ(GetWindowLongPtrW(e, GWL_STYLE) & ES_READONLY, 0);

  const LRESULT base = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  struct TCase {
    DWORD Style;
    WPARAM Key;  // 0: no message
    LRESULT Code;
  } cases[] = {
      {0, 0, base},
      {0, VK_RETURN, base},
      {ES_MULTILINE, 0, base | DLGC_WANTALLKEYS},
      {ES_MULTILINE, 'A', base | DLGC_WANTALLKEYS},
      {ES_MULTILINE, VK_RETURN, base},
      {ES_MULTILINE | ES_WANTRETURN, VK_RETURN, base | DLGC_WANTALLKEYS},
      {ES_MULTILINE | ES_WANTRETURN, VK_ESCAPE, base},
      {ES_MULTILINE | ES_WANTRETURN, VK_TAB, base},
  };
  for (const TCase& c : cases) {
    HWND x = MakeEdit(c.Style);
    MSG msg{};
    msg.hwnd = x;
    msg.message = WM_KEYDOWN;
    msg.wParam = c.Key;
    EXPECT_EQ(SendMessageW(x, WM_GETDLGCODE, c.Key, c.Key ? reinterpret_cast<LPARAM>(&msg) : 0), c.Code)
        << std::hex << c.Style << " key " << c.Key;
    DestroyWindow(x);
  }
}

TEST_F(EditTest, TextFontAndBadArguments) {
  HWND e = MakeEdit(ES_AUTOHSCROLL, u"hello");
  EXPECT_EQ(SendMessageW(e, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(Font));
  WCHAR buf[8] = {u'x', u'x'};
  EXPECT_EQ(SendMessageW(e, WM_GETTEXT, 1, reinterpret_cast<LPARAM>(buf)), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(SendMessageW(e, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buf)), 3);
  EXPECT_EQ(String(buf), u"hel");
  EXPECT_EQ(SendMessageW(e, WM_SETTEXT, 0, 0), TRUE);
  EXPECT_EQ(TextOf(e), u"");
  SetWindowTextW(e, u"abc");
  // out-of-range selections are clamped; -1 ends at the text's end
  Select(e, 100, 200);
  EXPECT_EQ(Sel(e), std::make_pair(3, 3));
  Select(e, 1, -1);
  EXPECT_EQ(Sel(e), std::make_pair(1, 3));
  Select(e, -1, 0);  // deselects, keeping the caret
  EXPECT_EQ(Sel(e), std::make_pair(3, 3));
  Select(e, 2, 0);
  EXPECT_EQ(Sel(e), std::make_pair(0, 2));
  EXPECT_EQ(SendMessageW(e, EM_GETSEL, 0, 0), LRESULT(MAKELONG(0, 2)));
  EXPECT_EQ(SendMessageW(e, EM_GETLINE, 0, 0), 0);
  EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, 5, 0), -1);
  EXPECT_EQ(SendMessageW(e, EM_LINELENGTH, 1000, 0), 3);
  EXPECT_EQ(SendMessageW(e, EM_LINESCROLL, 1, 1), FALSE);
  SendMessageW(e, EM_GETRECT, 0, 0);
  SendMessageW(e, EM_REPLACESEL, TRUE, 0);
  EXPECT_EQ(TextOf(e), u"c");
}

// ---------------------------------------------------------------------------
// Multi-line layout and the line messages

TEST_F(EditTest, WordWrapBreaksAfterTheLastBlankThatFits) {
  const String text = u"one two three four five six seven eight nine ten";
  HWND e = MakeEdit(ES_MULTILINE, text, RECT{10, 10, 110, 200});
  RECT f{};
  SendMessageW(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&f));
  int width = f.right - f.left;
  int count = int(SendMessageW(e, EM_GETLINECOUNT, 0, 0));
  ASSERT_GT(count, 2);
  String joined;
  for (int l = 0; l < count; ++l) {
    String line = Line(e, l);
    int start = int(SendMessageW(e, EM_LINEINDEX, WPARAM(l), 0));
    EXPECT_EQ(start, int(joined.size()));
    EXPECT_EQ(SendMessageW(e, EM_LINELENGTH, WPARAM(start), 0), LRESULT(line.size()));
    EXPECT_EQ(SendMessageW(e, EM_LINEFROMCHAR, WPARAM(start), 0), l);
    joined += line;
    String shown = line.substr(0, line.find_last_not_of(u' ') + 1);
    EXPECT_LE(TextWidth(shown), width) << "line " << l;
    if (l + 1 < count) {  // the next word would not have fitted
      String next = Line(e, l + 1);
      EXPECT_GT(TextWidth(line + next.substr(0, next.find(u' '))), width) << "line " << l;
    }
  }
  EXPECT_EQ(joined, text);
  EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, WPARAM(count), 0), -1);

  // End on a wrapped line keeps the caret at that line's end, before the next line's start
  SetFocus(e);
  Select(e, 0, 0);
  Press(VK_END);
  int next = int(SendMessageW(e, EM_LINEINDEX, 1, 0));
  EXPECT_EQ(Sel(e), std::make_pair(next, next));
  POINT caret{};
  GetCaretPos(&caret);
  EXPECT_EQ(caret.y, PosOf(e, 0).y);
  EXPECT_GT(caret.x, PosOf(e, next - 1).x);
  Press(VK_HOME);
  EXPECT_EQ(Sel(e), std::make_pair(0, 0));

  // a word wider than the line breaks between characters
  SetWindowTextW(e, u"WWWWWWWWWWWWWWWWWWWWWWWW");
  EXPECT_GT(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_LE(TextWidth(Line(e, 0)), width);
  // ES_AUTOHSCROLL does not wrap
  HWND h = MakeEdit(ES_MULTILINE | ES_AUTOHSCROLL, text, RECT{10, 10, 110, 200});
  EXPECT_EQ(SendMessageW(h, EM_GETLINECOUNT, 0, 0), 1);
  // a wider window wraps into fewer lines
  SetWindowPos(e, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextW(e, text.c_str());
  EXPECT_LT(SendMessageW(e, EM_GETLINECOUNT, 0, 0), count);
}

TEST_F(EditTest, EditsLayOutTheTextAsAFreshEditWould) {
  // Only the touched paragraphs are laid out again after an edit; the lines
  // must come out as a whole layout of the same text gives them.
  struct TEditStep {
    int SelA, SelB;
    const char16_t* Insert;
  } steps[] = {
      {0, 0, u"alpha beta gamma delta epsilon zeta eta theta"},
      {11, 11, u"\r\n"},                            // split a paragraph
      {5, 5, u" inserted words that wrap again"},   // grow the first paragraph
      {3, 40, u""},                                 // delete across the break
      {0, 0, u"first\r\n\r\nthird line here\r\n"},  // paragraphs before
      {6, 7, u"x"},                                 // between CR and LF: breaks the pair
      {6, 7, u"\r"},                                // and mend it again
      {1000, 1000, u"\r\nlast"},                    // at the end
      {1000, 1000, u"\r\n"},                        // a trailing empty line
      {2, 1000, u"z"},                              // almost all
  };
  const DWORD style = ES_MULTILINE | ES_AUTOVSCROLL;
  const RECT r{10, 10, 120, 280};
  HWND e = MakeEdit(style, u"", r);
  for (const TEditStep& st : steps) {
    Select(e, st.SelA, st.SelB);
    SendMessageW(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(st.Insert));
    String text = TextOf(e);
    HWND fresh = MakeEdit(style, text, r);
    int count = int(SendMessageW(fresh, EM_GETLINECOUNT, 0, 0));
    ASSERT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), count) << "after inserting at " << st.SelA;
    for (int l = 0; l < count; ++l) {
      EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, WPARAM(l), 0), SendMessageW(fresh, EM_LINEINDEX, WPARAM(l), 0));
      EXPECT_EQ(Line(e, l), Line(fresh, l));
    }
    DestroyWindow(fresh);
  }
}

TEST_F(EditTest, LineMessagesOnHardBreaks) {
  HWND e = MakeEdit(ES_MULTILINE | ES_AUTOHSCROLL, u"ab\r\n\r\ncdef\r\n", RECT{10, 10, 210, 200});
  EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 4);
  struct TLineCase {
    int Line, Index, Length;
    const char16_t* Text;
  } lines[] = {{0, 0, 2, u"ab"}, {1, 4, 0, u""}, {2, 6, 4, u"cdef"}, {3, 12, 0, u""}};
  for (const TLineCase& c : lines) {
    SCOPED_TRACE(c.Line);
    EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, WPARAM(c.Line), 0), c.Index);
    EXPECT_EQ(SendMessageW(e, EM_LINELENGTH, WPARAM(c.Index), 0), c.Length);
    EXPECT_EQ(SendMessageW(e, EM_LINEFROMCHAR, WPARAM(c.Index), 0), c.Line);
    EXPECT_EQ(Line(e, c.Line), String(c.Text));
  }
  // -1: the line of the caret (or of the selection's start)
  Select(e, 7, 9);
  EXPECT_EQ(SendMessageW(e, EM_LINEFROMCHAR, WPARAM(-1), 0), 2);
  EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, WPARAM(-1), 0), 6);
  EXPECT_EQ(SendMessageW(e, EM_LINELENGTH, WPARAM(-1), 0), 2);  // "c" and "f" are not selected
  // EM_GETLINE copies no more than the buffer's size and adds no terminator
  WCHAR buf[4] = {2, 0, u'z', u'z'};
  EXPECT_EQ(SendMessageW(e, EM_GETLINE, 2, reinterpret_cast<LPARAM>(buf)), 2);
  EXPECT_EQ(String(buf, 4), u"cdzz");
}

// ---------------------------------------------------------------------------
// Undo

TEST_F(EditTest, UndoTakesBackATypingRunAndRedoesOnASecondUndo) {
  HWND e = FocusedEdit(ES_AUTOHSCROLL, u"start");
  EXPECT_EQ(SendMessageW(e, EM_CANUNDO, 0, 0), FALSE);
  EXPECT_EQ(SendMessageW(e, EM_GETMODIFY, 0, 0), FALSE);
  Press(VK_END);
  Type(u" abc");
  EXPECT_EQ(SendMessageW(e, EM_GETMODIFY, 0, 0), TRUE);
  EXPECT_EQ(SendMessageW(e, EM_CANUNDO, 0, 0), TRUE);
  EXPECT_EQ(SendMessageW(e, EM_UNDO, 0, 0), TRUE);
  EXPECT_EQ(TextOf(e), u"start");
  EXPECT_EQ(SendMessageW(e, WM_UNDO, 0, 0), TRUE);
  EXPECT_EQ(TextOf(e), u"start abc");

  // moving the caret ends the run; Ctrl+Z takes back only the new one
  Press(VK_LEFT);
  Type(u"X");
  Press('Z', kCtrl);
  EXPECT_EQ(TextOf(e), u"start abc");
  // a run of backspaces is one step
  Press(VK_END);
  Press(VK_BACK);
  Press(VK_BACK);
  EXPECT_EQ(TextOf(e), u"start a");
  SendMessageW(e, EM_UNDO, 0, 0);
  EXPECT_EQ(TextOf(e), u"start abc");

  // a paste is one step; a replacement without undo empties the buffer
  SetClipboardText(u"123");
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(e), u"start abc123");
  SendMessageW(e, EM_UNDO, 0, 0);
  EXPECT_EQ(TextOf(e), u"start abc");
  SendMessageW(e, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"!"));
  EXPECT_EQ(SendMessageW(e, EM_CANUNDO, 0, 0), FALSE);
  EXPECT_EQ(SendMessageW(e, EM_UNDO, 0, 0), FALSE);

  Type(u"q");
  SendMessageW(e, EM_EMPTYUNDOBUFFER, 0, 0);
  EXPECT_EQ(SendMessageW(e, EM_CANUNDO, 0, 0), FALSE);
  // WM_SETTEXT forgets the undo state and the modification
  Type(u"r");
  SetWindowTextW(e, u"new");
  EXPECT_EQ(SendMessageW(e, EM_CANUNDO, 0, 0), FALSE);
  EXPECT_EQ(SendMessageW(e, EM_GETMODIFY, 0, 0), FALSE);
  SendMessageW(e, EM_SETMODIFY, TRUE, 0);
  EXPECT_EQ(SendMessageW(e, EM_GETMODIFY, 0, 0), TRUE);
}

// ---------------------------------------------------------------------------
// Clipboard

TEST_F(EditTest, CutCopyPasteAndClearGoThroughTheClipboard) {
  HWND e = FocusedEdit(ES_AUTOHSCROLL, u"hello");
  Select(e, 2, 5);
  SendMessageW(e, WM_CUT, 0, 0);
  EXPECT_EQ(TextOf(e), u"he");
  EXPECT_EQ(ClipboardText(), u"llo");
  SendMessageW(e, WM_PASTE, 0, 0);
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(e), u"hellollo");
  Select(e, 0, 2);
  Press('C', kCtrl);
  EXPECT_EQ(ClipboardText(), u"he");
  Press(VK_END);
  Press('V', kCtrl);
  EXPECT_EQ(TextOf(e), u"hellollohe");
  Select(e, 0, 5);
  Press('X', kCtrl);
  EXPECT_EQ(TextOf(e), u"llohe");
  EXPECT_EQ(ClipboardText(), u"hello");
  Select(e, 0, 3);
  SendMessageW(e, WM_CLEAR, 0, 0);
  EXPECT_EQ(TextOf(e), u"he");
  Press(VK_INSERT, kShift);
  EXPECT_EQ(TextOf(e), u"hellohe");
  Select(e, 0, 2);
  Press(VK_DELETE, kShift);
  EXPECT_EQ(TextOf(e), u"llohe");
  EXPECT_EQ(ClipboardText(), u"he");

  // a single line takes the first line of a pasted text; a multi-line all
  SetClipboardText(u"one\r\ntwo");
  SetWindowTextW(e, u"");
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(e), u"one");
  HWND m = FocusedEdit(ES_MULTILINE | ES_AUTOVSCROLL, u"", RECT{10, 40, 210, 140});
  SendMessageW(m, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(m), u"one\r\ntwo");
  // read-only refuses cut, paste and clear but copies
  SendMessageW(m, EM_SETREADONLY, TRUE, 0);
  Select(m, 0, 3);
  SendMessageW(m, WM_CUT, 0, 0);
  SendMessageW(m, WM_CLEAR, 0, 0);
  SendMessageW(m, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(m), u"one\r\ntwo");
  SendMessageW(m, WM_COPY, 0, 0);
  EXPECT_EQ(ClipboardText(), u"one");
  // an upper-case edit converts what is pasted
  HWND up = FocusedEdit(ES_UPPERCASE | ES_AUTOHSCROLL);
  SendMessageW(up, WM_PASTE, 0, 0);
  EXPECT_EQ(TextOf(up), u"ONE");
}

// ---------------------------------------------------------------------------
// Notifications

TEST_F(EditTest, NotificationsReachTheParentInOrder) {
  HWND other = MakeEdit(ES_AUTOHSCROLL, u"", RECT{10, 200, 100, 220});
  HWND e = MakeEdit(ES_AUTOHSCROLL, u"", RECT{10, 10, 60, 30});
  Notes.clear();
  SetFocus(e);
  EXPECT_EQ(Notes, (Strings{"EN_SETFOCUS"}));
  Notes.clear();
  Type(u"a");
  EXPECT_EQ(Notes, (Strings{"EN_UPDATE", "EN_CHANGE"}));
  Notes.clear();
  // typing past the right edge scrolls the text: EN_HSCROLL between the two
  Type(u"WWWWWWWWWW");
  EXPECT_EQ(std::count(Notes.begin(), Notes.end(), "EN_UPDATE"), 10);
  EXPECT_EQ(std::count(Notes.begin(), Notes.end(), "EN_CHANGE"), 10);
  EXPECT_GT(std::count(Notes.begin(), Notes.end(), "EN_HSCROLL"), 0);
  for (size_t i = 0; i < Notes.size(); ++i)
    if (Notes[i] == "EN_HSCROLL") {
      EXPECT_EQ(Notes[i - 1], "EN_UPDATE");
      EXPECT_EQ(Notes[i + 1], "EN_CHANGE");
    }
  Notes.clear();
  SetWindowTextW(e, u"set");
  SendMessageW(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"x"));
  EXPECT_EQ(Notes, (Strings{"EN_UPDATE", "EN_CHANGE", "EN_UPDATE", "EN_CHANGE"}));
  Notes.clear();
  SendMessageW(e, EM_LIMITTEXT, 4, 0);
  Type(u"y");
  EXPECT_EQ(Notes, (Strings{"EN_MAXTEXT"}));
  Notes.clear();
  // moving the caret and selecting tell nothing
  Press(VK_HOME);
  Press(VK_RIGHT, kShift);
  EXPECT_EQ(Notes, Strings{});
  SetFocus(other);
  EXPECT_EQ(Notes, (Strings{"EN_KILLFOCUS", "EN_SETFOCUS"}));

  // a multi-line edit tells no change for WM_SETTEXT, and scrolls with EN_VSCROLL
  HWND m = MakeEdit(ES_MULTILINE | ES_AUTOVSCROLL, u"", RECT{10, 40, 210, 80});
  Notes.clear();
  SetWindowTextW(m, u"1\r\n2\r\n3\r\n4\r\n5\r\n6");
  EXPECT_EQ(Notes, Strings{});
  SendMessageW(m, EM_LINESCROLL, 0, 2);
  EXPECT_EQ(Notes, (Strings{"EN_VSCROLL"}));
  Notes.clear();
  SendMessageW(m, EM_LINESCROLL, 0, 0);
  EXPECT_EQ(Notes, Strings{});
}

TEST_F(EditTest, AParentThatDestroysTheEditOnANotificationIsSafe) {
  for (WORD code : {EN_UPDATE, EN_CHANGE, EN_MAXTEXT, EN_HSCROLL, EN_SETFOCUS}) {
    SCOPED_TRACE(CodeName(code));
    HWND e = MakeEdit(ES_AUTOHSCROLL, u"", RECT{10, 10, 40, 30});
    SendMessageW(e, EM_LIMITTEXT, 3, 0);
    OnNote = [&](WORD c, HWND h) {
      if (c == code) DestroyWindow(h);
    };
    SetFocus(e);
    Type(u"WWWWWW");
    EXPECT_FALSE(IsWindow(e));
    OnNote = nullptr;
  }
}

// ---------------------------------------------------------------------------
// Scroll bars and scrolling

TEST_F(EditTest, MultiLineScrollBarsShowDisabledUntilThereIsSomethingToScroll) {
  int lh = LineHeight();
  HWND e = FocusedEdit(ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL, u"one",
                       RECT{10, 10, 210, 10 + 4 * lh + GetSystemMetrics(SM_CYHSCROLL)});
  auto state = [&](LONG id) {
    SCROLLBARINFO sbi{};
    sbi.cbSize = sizeof sbi;
    EXPECT_TRUE(GetScrollBarInfo(e, id, &sbi));
    return sbi.rgstate[0];
  };
  EXPECT_EQ(state(OBJID_VSCROLL), STATE_SYSTEM_UNAVAILABLE);
  EXPECT_EQ(state(OBJID_HSCROLL), STATE_SYSTEM_UNAVAILABLE);
  EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 1);

  Press(VK_END, kCtrl);
  Type(u"\r2\r3\r4\r5\r6\r7\r8");
  EXPECT_EQ(state(OBJID_VSCROLL), 0u);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(e, SB_VERT, &si);
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 7);
  EXPECT_EQ(si.nPage, 4u);
  // the caret on the last line keeps it in view
  EXPECT_EQ(si.nPos, 4);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 4);

  struct TScroll {
    UINT Msg;
    WPARAM W;
    int First;
  } steps[] = {
      {WM_VSCROLL, SB_TOP, 0},
      {WM_VSCROLL, SB_LINEDOWN, 1},
      {WM_VSCROLL, SB_PAGEDOWN, 4},
      {WM_VSCROLL, SB_LINEDOWN, 4},
      {WM_VSCROLL, SB_PAGEUP, 0},
      {WM_VSCROLL, SB_LINEUP, 0},
      {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 2), 2},
      {WM_VSCROLL, SB_BOTTOM, 4},
  };
  for (const TScroll& s : steps) {
    SendMessageW(e, s.Msg, s.W, 0);
    EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), s.First) << LOWORD(s.W);
    EXPECT_EQ(GetScrollPos(e, SB_VERT), s.First);
  }
  EXPECT_EQ(SendMessageW(e, EM_LINESCROLL, 0, -3), TRUE);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  // the wheel scrolls three lines a notch
  SendMessageW(e, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 4);
  // the first visible line moves the text
  EXPECT_EQ(PosOf(e, int(SendMessageW(e, EM_LINEINDEX, 4, 0))).y, 0);

  // a long line makes the horizontal bar usable and EM_LINESCROLL moves by characters
  SetWindowTextW(e, u"a line that is far too long for the window, and then some more text");
  EXPECT_EQ(state(OBJID_HSCROLL), 0u);
  EXPECT_EQ(state(OBJID_VSCROLL), STATE_SYSTEM_UNAVAILABLE);
  int x0 = PosOf(e, 0).x;
  SendMessageW(e, EM_LINESCROLL, 3, 0);
  EXPECT_LT(PosOf(e, 0).x, x0);
  EXPECT_EQ(GetScrollPos(e, SB_HORZ), x0 - PosOf(e, 0).x);
  SendMessageW(e, WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(PosOf(e, 0).x, x0);
}

// ---------------------------------------------------------------------------
// Mouse

TEST_F(EditTest, TheMousePlacesTheCaretSelectsAndPicksWords) {
  HWND e = MakeEdit(ES_AUTOHSCROLL, u"hello world");
  POINT org{0, 0};
  ClientToScreen(e, &org);
  auto at = [&](int i) {
    POINT p = PosOf(e, i);
    return POINT{org.x + p.x + 1, org.y + p.y + 2};
  };
  POINT p3 = at(3);
  Screen.Click(p3.x, p3.y);
  Pump();
  EXPECT_EQ(GetFocus(), e);
  EXPECT_EQ(Sel(e), std::make_pair(3, 3));
  // a drag selects, with capture
  POINT p1 = at(1), p8 = at(8);
  Screen.MouseDown(p1.x, p1.y);
  Pump();
  EXPECT_EQ(GetCapture(), e);
  Screen.MouseMove(p8.x, p8.y);
  Screen.MouseUp(p8.x, p8.y);
  Pump();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Sel(e), std::make_pair(1, 8));
  // shift+click extends from the anchor
  POINT p10 = at(10);
  Screen.KeyDown(VK_SHIFT);
  Screen.Click(p10.x, p10.y);
  Screen.KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(Sel(e), std::make_pair(1, 10));
  // a double click picks a word with its trailing blanks
  SetManualClock(true);
  POINT p7 = at(7), p2 = at(2);
  Screen.DoubleClick(p7.x, p7.y);
  Pump();
  EXPECT_EQ(Sel(e), std::make_pair(6, 11));
  AdvanceManualClock(2000);
  Screen.DoubleClick(p2.x, p2.y);
  Pump();
  EXPECT_EQ(Sel(e), std::make_pair(0, 6));
}

TEST_F(EditTest, DraggingPastTheEdgeKeepsScrolling) {
  SetManualClock(true);
  HWND e =
      MakeEdit(ES_AUTOHSCROLL, u"a text that is much wider than its narrow window", RECT{10, 10, 80, 30});
  POINT org{0, 0};
  ClientToScreen(e, &org);
  Screen.MouseDown(org.x + 2, org.y + 5);
  Pump();  // the capture decides where the move goes
  Screen.MouseMove(org.x + 120, org.y + 5);
  Pump();
  int first = Sel(e).second;
  EXPECT_GT(first, 0);
  AdvanceManualClock(60);
  Pump();
  int second = Sel(e).second;
  EXPECT_GT(second, first);
  // back inside, or released, the text stays
  Screen.MouseUp(org.x + 120, org.y + 5);
  Pump();
  AdvanceManualClock(200);
  Pump();
  EXPECT_EQ(Sel(e).second, second);
  EXPECT_EQ(Sel(e).first, 0);
}

// ---------------------------------------------------------------------------
// Painting

TEST_F(EditTest, PaintingAsksTheParentForColoursAndShowsTheSelection) {
  ColorBrush = CreateSolidBrush(RGB(255, 255, 0));
  Brushes.push_back(ColorBrush);
  ColorText = RGB(0, 0, 255);
  HWND e = MakeEdit(ES_AUTOHSCROLL, u"\u2588\u2588\u2588");  // full blocks: pixels of the exact text colour
  int w = 0, h = 0;
  std::vector<COLORREF> px = Print(e, w, h);
  EXPECT_EQ(Asked, std::vector<UINT>{WM_CTLCOLOREDIT});
  EXPECT_GT(Count(px, RGB(255, 255, 0)), w * h / 2);
  EXPECT_GT(Count(px, RGB(0, 0, 255)), 10);  // the text in the parent's colour
  // what WM_PAINT puts on the screen is what WM_PRINTCLIENT draws
  UpdateWindow(Parent);
  Screen.Compose();
  POINT org{0, 0};
  ClientToScreen(e, &org);
  int same = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) same += Screen.Pixel(org.x + x, org.y + y) == px[size_t(y * w + x)];
  EXPECT_EQ(same, w * h);

  // read-only and disabled edits ask with WM_CTLCOLORSTATIC
  Asked.clear();
  SendMessageW(e, EM_SETREADONLY, TRUE, 0);
  Print(e, w, h);
  SendMessageW(e, EM_SETREADONLY, FALSE, 0);
  EnableWindow(e, FALSE);
  px = Print(e, w, h);
  EXPECT_EQ(Asked, (std::vector<UINT>{WM_CTLCOLORSTATIC, WM_CTLCOLORSTATIC}));
  EXPECT_EQ(Count(px, RGB(0, 0, 255)), 0);  // disabled text is grey
  EXPECT_GT(Count(px, GetSysColor(COLOR_GRAYTEXT)), 10);
  EnableWindow(e, TRUE);

  // the selection shows in the highlight colour only while focused, unless ES_NOHIDESEL
  const COLORREF hl = GetSysColor(COLOR_HIGHLIGHT);
  SetWindowTextW(e, u"WWWW");
  Select(e, 0, 4);
  EXPECT_EQ(Count(Print(e, w, h), hl), 0);
  SetFocus(e);
  int shown = Count(Print(e, w, h), hl);
  EXPECT_GT(shown, TextWidth(u"WWWW") * LineHeight() / 4);
  SetFocus(Parent);
  EXPECT_EQ(Count(Print(e, w, h), hl), 0);
  HWND keep = MakeEdit(ES_AUTOHSCROLL | ES_NOHIDESEL, u"WWWW", RECT{10, 40, 210, 60});
  Select(keep, 0, 4);
  EXPECT_EQ(Count(Print(keep, w, h), hl), shown);
}

// A long line scrolled anywhere shows exactly what drawing the whole line at
// its place under the formatting rectangle's clip shows: the characters cut
// by either edge included, surrogate pairs whole.
TEST_F(EditTest, ALongLinePaintsAsTheWholeLineDrawnAtItsPlace) {
  ColorBrush = CreateSolidBrush(RGB(255, 255, 0));
  Brushes.push_back(ColorBrush);
  ColorText = RGB(0, 0, 255);
  String text;
  for (int i = 0; i < 3000; ++i) {
    text += Char(u'A' + i % 26);
    if (i % 7 == 0) text += u"ş ";
    if (i % 97 == 0) text += u"Ø3DÞ00";
  }
  const int n = int(text.size());
  struct TCase {
    const char* Name;
    int Caret;
  };
  const TCase Cases[] = {{"start", 0}, {"middle", n / 2}, {"a third", n / 3}, {"end", n}};
  HWND e = MakeEdit(ES_AUTOHSCROLL, text);
  for (const TCase& c : Cases) {
    Select(e, c.Caret, c.Caret);
    int w = 0, h = 0;
    const std::vector<COLORREF> shown = Print(e, w, h);
    // The expected picture: the background, then the whole text from the
    // place of its first character, clipped to the formatting rectangle.
    RECT format{};
    SendMessageW(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const LRESULT first = SendMessageW(e, EM_POSFROMCHAR, 0, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, ColorBrush);
    HGDIOBJ oldFont = SelectObject(dc, Font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorText);
    IntersectClipRect(dc, format.left, 0, format.right, h);
    ExtTextOutW(dc, SHORT(LOWORD(first)), SHORT(HIWORD(first)), 0, nullptr, text.c_str(), UINT(n), nullptr);
    SelectClipRgn(dc, nullptr);  // GetPixel reads only inside the clip
    int differ = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) differ += GetPixel(dc, x, y) != shown[size_t(y * w + x)];
    EXPECT_EQ(differ, 0) << c.Name;
    EXPECT_GT(w * h - Count(shown, RGB(255, 255, 0)), w * h / 10) << c.Name;  // text was drawn
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  }
}

// A repaint of a narrow band of a long italic line, its edges anywhere in a
// glyph, shows in the band what painting the whole edit shows: glyphs that
// begin outside the band but lean into it are drawn too.
TEST_F(EditTest, ANarrowRepaintOfAnItalicLineMatchesTheWholePainting) {
  HFONT italic = CreateFontW(-24, 0, 0, 0, FW_BOLD, TRUE, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"Tahoma");
  String text;
  for (int i = 0; i < 2000; ++i) text += Char(u'A' + i % 26);
  HWND e = MakeEdit(ES_AUTOHSCROLL, text, RECT{10, 10, 310, 50});
  SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(italic), 0);
  Select(e, 1000, 1000);
  int w = 0, h = 0;
  const std::vector<COLORREF> whole = Print(e, w, h);
  for (int left : {0, 37, 101, 150, 211, 289}) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    const int right = std::min(left + 5, w);
    IntersectClipRect(dc, left, 0, right, h);
    SendMessageW(e, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SelectClipRgn(dc, nullptr);
    int differ = 0;
    for (int y = 0; y < h; ++y)
      for (int x = left; x < right; ++x) differ += GetPixel(dc, x, y) != whole[size_t(y * w + x)];
    EXPECT_EQ(differ, 0) << left;
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  }
  SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(Font), 0);
  DeleteObject(italic);
}

// ---------------------------------------------------------------------------
// Subclassing

WNDPROC SubclassedPrevious;
std::vector<UINT> SubclassSeen;

LRESULT NoDigits(HWND h, UINT m, WPARAM w, LPARAM l) {
  SubclassSeen.push_back(m);
  if (m == WM_CHAR && w >= u'0' && w <= u'9') return 0;
  return CallWindowProcW(SubclassedPrevious, h, m, w, l);
}

TEST_F(EditTest, ASubclassedEditSeesItsMessagesAndCanDropThem) {
  HWND e = FocusedEdit(ES_MULTILINE | ES_AUTOVSCROLL, u"", RECT{10, 10, 210, 100});
  SubclassSeen.clear();
  SubclassedPrevious =
      WNDPROC::FromLongPtr(SetWindowLongPtrW(e, GWLP_WNDPROC, WNDPROC(&NoDigits).ToLongPtr()));
  ASSERT_TRUE(bool(SubclassedPrevious));
  Type(u"a1b2");
  EXPECT_EQ(TextOf(e), u"ab");
  Select(e, 0, 1);
  EXPECT_NE(std::find(SubclassSeen.begin(), SubclassSeen.end(), UINT(EM_SETSEL)), SubclassSeen.end());
  // the edit's own sends (Ctrl+C becomes WM_COPY) pass through the subclass too
  Press('C', kCtrl);
  EXPECT_NE(std::find(SubclassSeen.begin(), SubclassSeen.end(), UINT(WM_COPY)), SubclassSeen.end());
  EXPECT_EQ(ClipboardText(), u"a");
  // restored, the edit takes digits again
  SetWindowLongPtrW(e, GWLP_WNDPROC, SubclassedPrevious.ToLongPtr());
  Press(VK_END);
  Type(u"3");
  EXPECT_EQ(TextOf(e), u"ab3");
}

// An installed face asked for by its own name is the face the edit measures
// typed text with: "DejaVu Sans Mono" gives every character one width, the
// stand-in for an unknown name does not.
TEST_F(EditTest, InstalledFaceByItsOwnNameMeasuresTypedText) {
  if (access("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", R_OK) != 0) GTEST_SKIP() << "no DejaVu Sans Mono";
  fontmap::SetFontFileOverride("");
  struct TCase {
    const char16_t* Face;
    bool SameSteps;
  };
  for (const TCase& c : {TCase{u"DejaVu Sans Mono", true}, TCase{u"No Such Face", false}}) {
    SCOPED_TRACE(UTF16ToUTF8(c.Face));
    HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, c.Face);
    HWND e = FocusedEdit(ES_AUTOHSCROLL);
    SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    Type(u"iWiW");
    ASSERT_EQ(TextOf(e), u"iWiW");
    std::vector<int> steps;
    for (int i = 0; i < 3; ++i)
      steps.push_back(GET_X_LPARAM(SendMessageW(e, EM_POSFROMCHAR, WPARAM(i + 1), 0)) -
                      GET_X_LPARAM(SendMessageW(e, EM_POSFROMCHAR, WPARAM(i), 0)));
    EXPECT_EQ(steps[0] == steps[1], c.SameSteps) << steps[0] << " " << steps[1];
    DestroyWindow(e);
    DeleteObject(font);
  }
}

}  // namespace
