// The theme engine: every part and state the library asks for draws inside
// its rectangle and nowhere else; sizes, content rectangles and colours come
// from the engine's table; themes switched off answer nil and notify windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win/Dwmapi.h"
#include "platform/win/UxTheme.h"
#include "tests/platform/win/GdiFixture.h"
#include "tests/platform/win/WindowsFixture.h"

namespace {

using namespace win;
using gditest::TCanvas;

constexpr COLORREF Sentinel = RGB(255, 0, 255);

struct TThemeHandle {
  explicit TThemeHandle(const char16_t* cls, HWND wnd = nullptr) : H(OpenThemeData(wnd, cls)) {}
  ~TThemeHandle() {
    if (H) CloseThemeData(H);
  }
  HTHEME H;
};

struct TPartCase {
  const char16_t* Class;
  int Part;
  int FirstState, LastState;
};

// The classes, parts and states the library draws.
const TPartCase UsedParts[] = {
    {u"Button", BP_PUSHBUTTON, 1, 5},
    {u"Button", BP_RADIOBUTTON, 1, 8},
    {u"Button", BP_CHECKBOX, 1, 12},
    {u"Button", BP_GROUPBOX, 1, 2},
    {u"Edit", EP_EDITTEXT, 1, 6},
    {u"Edit", EP_BACKGROUND, 1, 6},
    {u"Edit", EP_EDITBORDER_NOSCROLL, 1, 4},
    {u"ComboBox", CP_DROPDOWNBUTTON, 1, 4},
    {u"ComboBox", CP_DROPDOWNBUTTONRIGHT, 1, 4},
    {u"ComboBox", CP_DROPDOWNBUTTONLEFT, 1, 4},
    {u"Spin", SPNP_UP, 1, 4},
    {u"Spin", SPNP_DOWN, 1, 4},
    {u"Spin", SPNP_UPHORZ, 1, 4},
    {u"Spin", SPNP_DOWNHORZ, 1, 4},
    {u"Window", WP_MDIMINBUTTON, 1, 4},
    {u"Window", WP_SMALLCLOSEBUTTON, 1, 4},
    {u"Window", WP_MDICLOSEBUTTON, 1, 4},
    {u"Window", WP_MDIRESTOREBUTTON, 1, 4},
    {u"ScrollBar", SBP_ARROWBTN, 1, 16},
    {u"ScrollBar", SBP_THUMBBTNHORZ, 1, 4},
    {u"ScrollBar", SBP_THUMBBTNVERT, 1, 4},
    {u"ScrollBar", SBP_LOWERTRACKHORZ, 1, 4},
    {u"ScrollBar", SBP_UPPERTRACKHORZ, 1, 4},
    {u"ScrollBar", SBP_LOWERTRACKVERT, 1, 4},
    {u"ScrollBar", SBP_UPPERTRACKVERT, 1, 4},
    {u"ScrollBar", SBP_GRIPPERHORZ, 0, 1},
    {u"ScrollBar", SBP_GRIPPERVERT, 0, 1},
    {u"ScrollBar", SBP_SIZEBOX, 1, 2},
    {u"ListBox", LBCP_BORDER_NOSCROLL, 1, 1},
    {u"ListView", LVP_EMPTYTEXT, 0, 0},
    {u"Tab", TABP_TABITEM, 1, 3},
    {u"Tab", TABP_TABITEMLEFTEDGE, 1, 3},
    {u"Tab", TABP_TABITEMRIGHTEDGE, 1, 3},
    {u"Tab", TABP_TABITEMBOTHEDGE, 1, 3},
    {u"Tab", TABP_TOPTABITEM, 1, 3},
    {u"Tab", TABP_TOPTABITEMLEFTEDGE, 1, 3},
    {u"Tab", TABP_TOPTABITEMRIGHTEDGE, 1, 3},
    {u"Tab", TABP_PANE, 0, 0},
    {u"Header", HP_HEADERITEM, 1, 3},
    {u"Header", HP_HEADERITEMLEFT, 1, 1},
    {u"Header", HP_HEADERITEMRIGHT, 1, 3},
    {u"ToolBar", 0, 0, 0},
    {u"ToolBar", TP_BUTTON, 1, 6},
    {u"ToolBar", TP_SPLITBUTTON, 1, 5},
    {u"ToolBar", TP_SPLITBUTTONDROPDOWN, 1, 5},
    {u"ToolBar", TP_SEPARATOR, 1, 1},
    {u"ToolBar", TP_SEPARATORVERT, 1, 1},
    {u"Rebar", 0, 0, 1},
    {u"Rebar", RP_GRIPPER, 1, 1},
    {u"Rebar", RP_GRIPPERVERT, 1, 1},
    {u"Status", 0, 0, 0},
    {u"Status", SP_PANE, 0, 0},
    {u"Status", SP_GRIPPER, 0, 0},
    {u"Progress", PP_BAR, 0, 0},
    {u"Progress", PP_BARVERT, 0, 0},
    {u"Progress", PP_CHUNK, 0, 0},
    {u"Progress", PP_CHUNKVERT, 0, 0},
    {u"TrackBar", TKP_TRACK, 1, 1},
    {u"TreeView", TVP_GLYPH, 1, 2},
    {u"ExplorerBar", EBP_NORMALGROUPCOLLAPSE, 1, 3},
    {u"ExplorerBar", EBP_NORMALGROUPEXPAND, 1, 3},
};

// Whether anything differs from the sentinel inside r, and nothing outside.
void ExpectDrawnInside(const TCanvas& c, const RECT& r, const std::string& what) {
  int inside = 0, outside = 0;
  for (int y = 0; y < c.H; ++y)
    for (int x = 0; x < c.W; ++x) {
      bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      bool changed = c.At(x, y) != Sentinel;
      (in ? inside : outside) += changed;
    }
  EXPECT_GT(inside, 0) << what << " drew nothing";
  EXPECT_EQ(outside, 0) << what << " drew outside its rectangle";
}

TEST(Themes, EveryUsedPartAndStateDrawsInsideItsRectangleOnly) {
  // Two rectangles: a roomy one and one smaller than several true sizes.
  const RECT rects[] = {{7, 5, 47, 35}, {20, 15, 28, 21}};
  for (const TPartCase& pc : UsedParts) {
    TThemeHandle th(pc.Class);
    ASSERT_NE(th.H, nullptr) << std::string(pc.Class,
                                            pc.Class + std::char_traits<char16_t>::length(pc.Class));
    for (int s = pc.FirstState; s <= pc.LastState; ++s)
      for (const RECT& r : rects) {
        TCanvas c(56, 40, Sentinel);
        ASSERT_EQ(DrawThemeBackground(th.H, c.DC, pc.Part, s, &r, nullptr), S_OK);
        std::string what = "class " +
                           std::string(pc.Class, pc.Class + std::char_traits<char16_t>::length(pc.Class)) +
                           " part " + std::to_string(pc.Part) + " state " + std::to_string(s) + " in " +
                           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
        ExpectDrawnInside(c, r, what);
      }
  }
}

TEST(Themes, ClipRectangleAndDcClipLimitDrawing) {
  TThemeHandle th(u"Button");
  TCanvas c(40, 30, Sentinel);
  RECT r{0, 0, 40, 30}, clip{10, 5, 20, 15};
  ASSERT_EQ(DrawThemeBackground(th.H, c.DC, BP_PUSHBUTTON, PBS_NORMAL, &r, &clip), S_OK);
  ExpectDrawnInside(c, clip, "clipped push button");
  // the DC's own clip stays as it was
  RECT box{};
  EXPECT_EQ(GetClipBox(c.DC, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 40, 30}));
}

TEST(Themes, StatesChangeTheLook) {
  TThemeHandle th(u"Button");
  RECT r{0, 0, 13, 13};
  auto draw = [&](int part, int state) {
    TCanvas c(13, 13, Sentinel);
    DrawThemeBackground(th.H, c.DC, part, state, &r, nullptr);
    std::string s;
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 13; ++x) s += std::to_string(c.At(x, y)) + ",";
    return s;
  };
  EXPECT_NE(draw(BP_CHECKBOX, CBS_UNCHECKEDNORMAL), draw(BP_CHECKBOX, CBS_CHECKEDNORMAL));
  EXPECT_NE(draw(BP_CHECKBOX, CBS_CHECKEDNORMAL), draw(BP_CHECKBOX, CBS_MIXEDNORMAL));
  EXPECT_NE(draw(BP_CHECKBOX, CBS_CHECKEDNORMAL), draw(BP_CHECKBOX, CBS_CHECKEDDISABLED));
  EXPECT_NE(draw(BP_RADIOBUTTON, RBS_UNCHECKEDNORMAL), draw(BP_RADIOBUTTON, RBS_CHECKEDNORMAL));
  EXPECT_NE(draw(BP_PUSHBUTTON, PBS_NORMAL), draw(BP_PUSHBUTTON, PBS_HOT));
  EXPECT_NE(draw(BP_PUSHBUTTON, PBS_HOT), draw(BP_PUSHBUTTON, PBS_PRESSED));
  EXPECT_NE(draw(BP_PUSHBUTTON, PBS_NORMAL), draw(BP_PUSHBUTTON, PBS_DEFAULTED));
}

TEST(Themes, PartSizesComeFromTheTable) {
  struct TCase {
    const char16_t* Class;
    int Part, State;
    THEMESIZE Kind;
    SIZE Want;
  } cases[] = {
      {u"Button", BP_CHECKBOX, CBS_CHECKEDNORMAL, TS_TRUE, {13, 13}},
      {u"Button", BP_RADIOBUTTON, RBS_UNCHECKEDNORMAL, TS_TRUE, {13, 13}},
      {u"Window", WP_SMALLCLOSEBUTTON, 1, TS_TRUE, {13, 13}},
      {u"ScrollBar", SBP_SIZEBOX, 1, TS_TRUE, {13, 13}},
      {u"ScrollBar", SBP_GRIPPERVERT, 1, TS_MIN, {8, 8}},
      {u"ToolBar", TP_SEPARATOR, 1, TS_MIN, {6, 6}},
      {u"ToolBar", TP_SEPARATORVERT, 1, TS_TRUE, {6, 6}},
      {u"ComboBox", CP_DROPDOWNBUTTON, 1, TS_TRUE, {17, 17}},
      {u"Rebar", RP_GRIPPER, 1, TS_TRUE, {6, 6}},
      {u"Progress", PP_CHUNK, 0, TS_TRUE, {8, 14}},
      {u"Status", SP_GRIPPER, 0, TS_TRUE, {13, 13}},
      {u"Status", SP_PANE, 0, TS_TRUE, {2, 2}},
      {u"Spin", SPNP_DOWN, 1, TS_TRUE, {17, 10}},
      {u"TreeView", TVP_GLYPH, 1, TS_TRUE, {9, 9}},
      {u"ExplorerBar", EBP_NORMALGROUPEXPAND, 1, TS_TRUE, {15, 15}},
      // stretched parts without a size answer their margins
      {u"Button", BP_PUSHBUTTON, 1, TS_TRUE, {4, 4}},
  };
  for (const TCase& c : cases) {
    TThemeHandle th(c.Class);
    SIZE s{-1, -1};
    ASSERT_EQ(GetThemePartSize(th.H, nullptr, c.Part, c.State, nullptr, c.Kind, &s), S_OK);
    EXPECT_EQ(s, c.Want) << "part " << c.Part;
  }
  // TS_DRAW: a stretched part takes the rectangle, a fixed one its size
  TThemeHandle button(u"Button");
  RECT r{0, 0, 50, 20};
  SIZE s{};
  GetThemePartSize(button.H, nullptr, BP_PUSHBUTTON, 1, &r, TS_DRAW, &s);
  EXPECT_EQ(s, (SIZE{50, 20}));
  GetThemePartSize(button.H, nullptr, BP_CHECKBOX, 1, &r, TS_DRAW, &s);
  EXPECT_EQ(s, (SIZE{13, 13}));
}

TEST(Themes, ContentRectanglesAndExtentsAreInverse) {
  struct TCase {
    const char16_t* Class;
    int Part;
    RECT Want;  // the content of (0, 0, 100, 100)
  } cases[] = {
      {u"Button", BP_PUSHBUTTON, {2, 2, 98, 98}},       {u"Edit", EP_EDITTEXT, {1, 1, 99, 99}},
      {u"Edit", EP_BACKGROUND, {0, 0, 100, 100}},       {u"Tab", TABP_PANE, {1, 1, 99, 99}},
      {u"Header", HP_HEADERITEM, {0, 0, 99, 99}},       {u"TrackBar", TKP_TRACK, {1, 1, 99, 99}},
      {u"ToolBar", TP_SPLITBUTTON, {2, 2, 98, 98}},     {u"Progress", PP_BAR, {1, 1, 99, 99}},
      {u"ComboBox", CP_DROPDOWNBUTTON, {1, 1, 99, 99}},
  };
  for (const TCase& c : cases) {
    TThemeHandle th(c.Class);
    RECT bounds{0, 0, 100, 100}, content{}, extent{};
    ASSERT_EQ(GetThemeBackgroundContentRect(th.H, nullptr, c.Part, 1, &bounds, &content), S_OK);
    EXPECT_EQ(content, c.Want) << "part " << c.Part;
    ASSERT_EQ(GetThemeBackgroundExtent(th.H, nullptr, c.Part, 1, &content, &extent), S_OK);
    EXPECT_EQ(extent, bounds);
    MARGINS m{};
    ASSERT_EQ(GetThemeMargins(th.H, nullptr, c.Part, 1, TMT_CONTENTMARGINS, nullptr, &m), S_OK);
    EXPECT_EQ(m.cxLeftWidth, c.Want.left);
    EXPECT_EQ(m.cyBottomHeight, 100 - c.Want.bottom);
  }
}

TEST(Themes, ColoursFollowTheState) {
  TThemeHandle edit(u"Edit");
  COLORREF normal = 0, disabled = 0, text = 0, grey = 0;
  ASSERT_EQ(GetThemeColor(edit.H, EP_EDITTEXT, ETS_NORMAL, TMT_FILLCOLOR, &normal), S_OK);
  ASSERT_EQ(GetThemeColor(edit.H, EP_EDITTEXT, ETS_DISABLED, TMT_FILLCOLOR, &disabled), S_OK);
  EXPECT_EQ(normal, GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(disabled, GetSysColor(COLOR_BTNFACE));
  ASSERT_EQ(GetThemeColor(edit.H, EP_EDITTEXT, ETS_NORMAL, TMT_TEXTCOLOR, &text), S_OK);
  ASSERT_EQ(GetThemeColor(edit.H, EP_EDITTEXT, ETS_DISABLED, TMT_TEXTCOLOR, &grey), S_OK);
  EXPECT_EQ(text, GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(grey, GetSysColor(COLOR_GRAYTEXT));

  TThemeHandle toolbar(u"ToolBar"), progress(u"Progress"), combo(u"ComboBox");
  COLORREF c = 0;
  ASSERT_EQ(GetThemeColor(toolbar.H, 0, 0, TMT_FILLCOLOR, &c), S_OK);
  EXPECT_EQ(c, GetSysColor(COLOR_BTNFACE));
  ASSERT_EQ(GetThemeColor(progress.H, PP_CHUNK, 0, TMT_FILLCOLOR, &c), S_OK);
  EXPECT_EQ(c, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(GetThemeColor(combo.H, CP_DROPDOWNBUTTON, 1, TMT_BORDERCOLOR, &c), S_OK);
  EXPECT_EQ(GetThemeColor(combo.H, CP_DROPDOWNBUTTON, 1, 9999, &c), E_PROP_ID_UNSUPPORTED);

  // the drawn face matches the answered fill colour
  TThemeHandle button(u"Button");
  TCanvas canvas(20, 20, Sentinel);
  RECT r{0, 0, 20, 20};
  DrawThemeBackground(button.H, canvas.DC, BP_PUSHBUTTON, PBS_HOT, &r, nullptr);
  ASSERT_EQ(GetThemeColor(button.H, BP_PUSHBUTTON, PBS_HOT, TMT_FILLCOLOR, &c), S_OK);
  EXPECT_EQ(canvas.At(10, 10), c);
  ASSERT_EQ(GetThemeColor(button.H, BP_PUSHBUTTON, PBS_HOT, TMT_BORDERCOLOR, &c), S_OK);
  EXPECT_EQ(canvas.At(0, 10), c);
}

TEST(Themes, TransparencyAndRegions) {
  TThemeHandle button(u"Button");
  EXPECT_FALSE(IsThemeBackgroundPartiallyTransparent(button.H, BP_PUSHBUTTON, PBS_NORMAL));
  EXPECT_TRUE(IsThemeBackgroundPartiallyTransparent(button.H, BP_GROUPBOX, GBS_NORMAL));
  EXPECT_TRUE(IsThemeBackgroundPartiallyTransparent(button.H, BP_RADIOBUTTON, RBS_CHECKEDNORMAL));

  // the expand button's region is where it is drawn, centred in the rectangle
  TThemeHandle bar(u"ExplorerBar");
  RECT r{0, 0, 25, 25};
  HRGN rgn = nullptr;
  ASSERT_EQ(GetThemeBackgroundRegion(bar.H, nullptr, EBP_NORMALGROUPEXPAND, 1, &r, &rgn), S_OK);
  RECT box{};
  GetRgnBox(rgn, &box);
  EXPECT_EQ(box, (RECT{5, 5, 20, 20}));
  DeleteObject(rgn);
  WORD code = 0;
  ASSERT_EQ(
      HitTestThemeBackground(bar.H, nullptr, EBP_NORMALGROUPEXPAND, 1, 0, &r, nullptr, POINT{10, 10}, &code),
      S_OK);
  EXPECT_EQ(code, HTCLIENT);
  HitTestThemeBackground(bar.H, nullptr, EBP_NORMALGROUPEXPAND, 1, 0, &r, nullptr, POINT{1, 1}, &code);
  EXPECT_EQ(code, HTNOWHERE);
}

TEST(Themes, ClassListsAndHandles) {
  struct TCase {
    const char16_t* List;
    bool Opens;
  } cases[] = {{u"Button", true},
               {u"BUTTON", true},
               {u"button", true},
               {u"NoSuch;Edit", true},
               {u"Explorer::TreeView", true},
               {u"NoSuch", false},
               {u"", false},
               {u" ; ", false}};
  for (const TCase& c : cases) {
    HTHEME h = OpenThemeData(nullptr, c.List);
    EXPECT_EQ(h != nullptr, c.Opens);
    if (h) {
      EXPECT_EQ(CloseThemeData(h), S_OK);
    }
  }
  HTHEME h = OpenThemeData(nullptr, u"Button");
  ASSERT_EQ(CloseThemeData(h), S_OK);
  // a closed handle is refused, never touched
  EXPECT_EQ(CloseThemeData(h), E_HANDLE);
  TCanvas c(10, 10, Sentinel);
  RECT r{0, 0, 10, 10};
  EXPECT_EQ(DrawThemeBackground(h, c.DC, 1, 1, &r, nullptr), E_HANDLE);
  EXPECT_EQ(c.Count(Sentinel), 100);
  SIZE s{};
  EXPECT_EQ(GetThemePartSize(h, nullptr, 1, 1, nullptr, TS_TRUE, &s), E_HANDLE);
}

TEST(Themes, ThemeNameIsNotADefaultSchemeOfThePlatform) {
  WCHAR file[1024], colour[1024], size[1024];
  ASSERT_EQ(GetCurrentThemeName(file, 1024, colour, 1024, size, 1024), S_OK);
  std::u16string f = file, c = colour;
  EXPECT_EQ(f.find(u"LUNA"), std::u16string::npos);
  EXPECT_NE(c, u"NormalColor");
  WCHAR tiny[3];
  EXPECT_NE(GetCurrentThemeName(tiny, 3, nullptr, 0, nullptr, 0), S_OK);
}

TEST(Themes, EdgeDrawsAndAdjusts) {
  TThemeHandle edit(u"Edit");
  TCanvas c(20, 20, Sentinel);
  RECT r{2, 2, 18, 18}, content{};
  ASSERT_EQ(DrawThemeEdge(edit.H, c.DC, EP_EDITTEXT, ETS_NORMAL, &r, BDR_RAISEDINNER, BF_RECT, &content),
            S_OK);
  EXPECT_EQ(content, (RECT{3, 3, 17, 17}));
  EXPECT_NE(c.At(2, 2), Sentinel);
  EXPECT_EQ(c.At(10, 10), Sentinel);
  EXPECT_EQ(c.At(1, 1), Sentinel);
}

TEST(Composition, IsReportedOffAndGlassFails) {
  BOOL on = TRUE;
  ASSERT_EQ(DwmIsCompositionEnabled(&on), S_OK);
  EXPECT_EQ(on, FALSE);
  EXPECT_EQ(DwmIsCompositionEnabled(nullptr), E_INVALIDARG);
  EXPECT_EQ(DwmEnableComposition(DWM_EC_ENABLECOMPOSITION), DWM_E_COMPOSITIONDISABLED);
  LRESULT res = 5;
  EXPECT_FALSE(DwmDefWindowProc(nullptr, 0, 0, 0, &res));
  EXPECT_EQ(res, 0);
}

// --- with windows ---------------------------------------------------------------

class ThemesWindows : public wintest::WindowsFixture {
 protected:
  void TearDown() override {
    SetThemesActive(true);
    wintest::WindowsFixture::TearDown();
  }
};

TEST_F(ThemesWindows, SwitchingThemesOffAnswersNilAndNotifiesWindows) {
  HWND top = Make("top", WS_OVERLAPPEDWINDOW, RECT{0, 0, 100, 100});
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, RECT{0, 0, 20, 20}, top);
  std::vector<HWND> notified;
  wintest::Handler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_THEMECHANGED) notified.push_back(h);
    return false;
  };
  ASSERT_TRUE(ThemesActive());
  EXPECT_TRUE(IsThemeActive());
  EXPECT_TRUE(IsAppThemed());

  SetThemesActive(false);
  EXPECT_FALSE(IsThemeActive());
  EXPECT_FALSE(IsAppThemed());
  EXPECT_EQ(OpenThemeData(nullptr, u"Button"), nullptr);
  EXPECT_NE(std::find(notified.begin(), notified.end(), top), notified.end());
  EXPECT_NE(std::find(notified.begin(), notified.end(), child), notified.end());

  notified.clear();
  SetThemesActive(false);  // no change, no message
  EXPECT_TRUE(notified.empty());
  EnableTheming(TRUE);
  EXPECT_TRUE(IsThemeActive());
  EXPECT_FALSE(notified.empty());
  TThemeHandle th(u"Button");
  EXPECT_NE(th.H, nullptr);
  wintest::Handler() = nullptr;
}

TEST_F(ThemesWindows, WindowThemesAndSetWindowTheme) {
  HWND w = Make("w", WS_OVERLAPPEDWINDOW, RECT{0, 0, 50, 50});
  HTHEME h = OpenThemeData(w, u"Edit");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetWindowTheme(w), h);
  CloseThemeData(h);
  EXPECT_EQ(GetWindowTheme(w), nullptr);
  // " " as the id list turns the window's themes off
  ASSERT_EQ(SetWindowTheme(w, u" ", u" "), S_OK);
  EXPECT_EQ(OpenThemeData(w, u"Edit"), nullptr);
  SetWindowTheme(w, nullptr, nullptr);
  h = OpenThemeData(w, u"Edit");
  EXPECT_NE(h, nullptr);
  CloseThemeData(h);
}

TEST_F(ThemesWindows, ParentBackgroundIsPaintedUnderTheChild) {
  HWND parent = Make("parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 200, 200});
  HWND child = Make("child", WS_CHILD | WS_VISIBLE, RECT{20, 30, 50, 60}, parent);
  wintest::Handler() = [&](HWND h, UINT m, WPARAM wp, LPARAM, LRESULT& res) {
    if (h == parent && m == WM_ERASEBKGND) {
      HDC dc = reinterpret_cast<HDC>(wp);
      RECT all{0, 0, 200, 200}, mark{20, 30, 25, 35};
      HBRUSH red = CreateSolidBrush(gditest::Red), blue = CreateSolidBrush(gditest::Blue);
      FillRect(dc, &all, red);
      FillRect(dc, &mark, blue);
      DeleteObject(red);
      DeleteObject(blue);
      res = 1;
      return true;
    }
    return false;
  };
  TCanvas c(30, 30, Sentinel);
  RECT part{0, 0, 30, 20};
  ASSERT_EQ(DrawThemeParentBackground(child, c.DC, &part), S_OK);
  wintest::Handler() = nullptr;
  EXPECT_EQ(c.At(0, 0), gditest::Blue);
  EXPECT_EQ(c.At(4, 4), gditest::Blue);
  EXPECT_EQ(c.At(5, 5), gditest::Red);
  EXPECT_EQ(c.At(29, 19), gditest::Red);
  EXPECT_EQ(c.At(10, 25), Sentinel);  // outside the rectangle asked for
  // the DC's origin is back where it was
  POINT org{};
  GetWindowOrgEx(c.DC, &org);
  EXPECT_EQ(org, (POINT{0, 0}));
}

}  // namespace

namespace {

TEST(ThemesText, TextIsDrawnInsideItsRectangleAndTheDcIsLeftAsItWas) {
  TThemeHandle th(u"Button");
  TCanvas c(80, 30, Sentinel);
  SetTextColor(c.DC, RGB(1, 2, 3));
  SetBkMode(c.DC, OPAQUE);
  RECT r{5, 5, 75, 25};
  ASSERT_EQ(DrawThemeText(th.H, c.DC, BP_PUSHBUTTON, PBS_NORMAL, u"Abc", -1,
                          DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0, &r),
            S_OK);
  ExpectDrawnInside(c, r, "theme text");
  EXPECT_EQ(GetTextColor(c.DC), RGB(1, 2, 3));
  EXPECT_EQ(GetBkMode(c.DC), OPAQUE);
  // the text is transparent: most of the rectangle keeps what was there
  int kept = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) kept += c.At(x, y) == Sentinel;
  EXPECT_GT(kept, (r.right - r.left) * (r.bottom - r.top) / 2);
  RECT extent{};
  ASSERT_EQ(
      GetThemeTextExtent(th.H, c.DC, BP_PUSHBUTTON, PBS_NORMAL, u"Abc", -1, DT_SINGLELINE, nullptr, &extent),
      S_OK);
  EXPECT_GT(extent.right, 0);
  EXPECT_GT(extent.bottom, 0);
}

}  // namespace

TEST(Themes, ReportedThemeNameCanBeSetAndRestored) {
  SetCurrentThemeName(u"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles", u"Metallic");
  WCHAR file[1024], colour[1024];
  ASSERT_EQ(GetCurrentThemeName(file, 1024, colour, 1024, nullptr, 0), S_OK);
  EXPECT_EQ(std::u16string(file), u"C:\\Windows\\Resources\\Themes\\Luna\\Luna.msstyles");
  EXPECT_EQ(std::u16string(colour), u"Metallic");
  SetCurrentThemeName(nullptr, nullptr);
  ASSERT_EQ(GetCurrentThemeName(file, 1024, colour, 1024, nullptr, 0), S_OK);
  EXPECT_EQ(std::u16string(colour), u"Plain");
}

TEST_F(ThemesWindows, SetSysColorsChangesColoursAndBrushesAndNotifiesTopLevelWindows) {
  HWND top = Make("top", WS_OVERLAPPEDWINDOW, RECT{0, 0, 100, 100});
  std::vector<HWND> notified;
  wintest::Handler() = [&](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
    if (m == WM_SYSCOLORCHANGE) notified.push_back(h);
    return false;
  };
  const COLORREF oldFace = GetSysColor(COLOR_BTNFACE);
  const INT indexes[] = {COLOR_BTNFACE, 31};  // an index beyond the table is skipped
  const COLORREF black[] = {RGB(0, 0, 0), RGB(1, 2, 3)};
  ASSERT_TRUE(SetSysColors(2, indexes, black));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0, 0, 0));
  EXPECT_NE(std::find(notified.begin(), notified.end(), top), notified.end());
  TCanvas c(4, 4, Sentinel);
  RECT r{0, 0, 4, 4};
  FillRect(c.DC, &r, GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(c.At(1, 1), RGB(0, 0, 0));
  ASSERT_TRUE(SetSysColors(1, indexes, &oldFace));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), oldFace);
  EXPECT_FALSE(SetSysColors(1, nullptr, nullptr));
}
