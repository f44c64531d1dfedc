#include "lib/lookandfeel/vlWindowUtils.h"

#include <gtest/gtest.h>

#include "platform/backend/Headless.h"
#include "platform/classes/Lists.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/win/Backend.h"
#include "platform/win/Windows.h"
#include "tests/platform/win/GdiFixture.h"

using namespace win;

namespace {

TEST(WindowUtils, StripAccelChars) {
  struct Case {
    const char16_t* Text;
    bool Trailing;
    const char16_t* Expected;
  };
  const Case cases[] = {
      {u"&Kaydet", false, u"Kaydet"}, {u"A&&B", false, u"A&B"},  {u"&&&a", false, u"&a"},
      {u"Son&", true, u"Son_"},       {u"Son&", false, u"Son"},  {u"&", false, u""},
      {u"&&", true, u"&"},            {u"ı&İ", false, u"ıİ"},    {u"", true, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(vlStripAccelChars(c.Text, c.Trailing), String(c.Expected)) << (int)c.Trailing;
}

TEST(WindowUtils, NearestRectSide) {
  const TRect r{0, 0, 100, 50};
  struct Case {
    TPoint P;
    bool H, V;
    TvlPosition Expected;
  };
  const Case cases[] = {
      {{50, 2}, true, true, posTop},     {{50, 48}, true, true, posBottom}, {{3, 25}, true, true, posLeft},
      {{97, 25}, true, true, posRight},  {{0, 0}, true, true, posTop},      // on a diagonal: product 0 counts
      {{100, 50}, true, true, posRight}, {{49, 40}, true, false, posLeft},  {{50, 40}, true, false, posRight},
      {{10, 24}, false, true, posTop},   {{10, 25}, false, true, posBottom}, {{10, 10}, false, false, posNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vlGetNearestRectSide(r, c.P, c.H, c.V), c.Expected) << c.P.X << "," << c.P.Y << " " << c.H << c.V;
}

TEST(WindowUtils, KeysAndCharacters) {
  EXPECT_TRUE(vlIsTextInputChar(u'ş'));
  EXPECT_FALSE(vlIsTextInputChar(u'\t'));
  EXPECT_TRUE(vlIsCharStartingEdit(22));
  EXPECT_FALSE(vlIsCharStartingEdit(3));
  EXPECT_TRUE(vlIsCharStartingIncrementalSearch(8));
  EXPECT_FALSE(vlIsCharStartingIncrementalSearch(22));
  const Char sep = FormatSettings().DecimalSeparator;
  EXPECT_TRUE(vlIsNumericInputChar(u'7', vlnkInteger));
  EXPECT_TRUE(vlIsNumericInputChar(u'-', vlnkInteger));
  EXPECT_FALSE(vlIsNumericInputChar(sep, vlnkInteger));
  EXPECT_TRUE(vlIsNumericInputChar(sep, vlnkFloat));
  EXPECT_FALSE(vlIsNumericInputChar(u'e', vlnkFloat));
  EXPECT_TRUE(vlIsNumericInputChar(u'E', vlnkFloatWithExponent));
  for (Word k : {0x03, 0x09, 0x10, 0x14, 0x21, 0x2F, 0x5B, 0x70, 0x91, 0xA0, 0xA5, 0xE5, 0xF6, 0xFE})
    EXPECT_TRUE(vlIsSystemKey(k)) << k;
  for (Word k : {0x00, 0x0A, 0x15, 0x20, 0x30, 0x41, 0x5A, 0x92, 0xBA, 0xFF, 0x110}) EXPECT_FALSE(vlIsSystemKey(k)) << k;
  EXPECT_EQ(vlShiftStateToMouseKeys(TShiftState{ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle}),
            MK_SHIFT | MK_CONTROL | MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
  EXPECT_EQ(vlShiftStateToMouseKeys(TShiftState{ssAlt}), 0);
}

TEST(WindowUtils, KeyCodeToCharFollowsTheTurkishLayout) {
  EXPECT_EQ(vlKeyCodeToChar('I'), u'ı');  // the dotless i key of the Turkish Q layout
  EXPECT_EQ(vlKeyCodeToChar('A'), u'a');
  EXPECT_EQ(vlKeyCodeToChar(VK_F5), 0);
}

// A visible top-level window on the headless screen.
class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = WNDPROC(&DefWindowProcW);
    wc.lpszClassName = u"WindowUtilsTest";
    RegisterClassW(&wc);
    Wnd = CreateWindowExW(0, u"WindowUtilsTest", u"", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, nullptr, nullptr,
                          nullptr);
    ASSERT_NE(Wnd, nullptr);
    Screen.MouseMove(150, 150);
    Drain();
  }
  void TearDown() override { DestroyWindow(Wnd); }
  static void Drain() {
    MSG m{};
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  // A mouse message at a client point of the window, queued.
  void Post(UINT AMsg, int X, int Y) { PostMessageW(Wnd, AMsg, 0, MAKELPARAM(X, Y)); }
  backend::THeadlessBackend Screen;
  HWND Wnd{};
};

TEST_F(WindowFixture, DragDetectionUsesTheThresholdSquare) {
  const Integer threshold = Mouse()->DragThreshold();
  ASSERT_GT(threshold, 1);
  // the cursor is at client (50, 50); moves inside the square, then release
  Post(WM_MOUSEMOVE, 50 + threshold - 1, 50);
  Post(WM_LBUTTONUP, 50 + threshold - 1, 50);
  EXPECT_EQ(vlDragDetect(Wnd), 0);
  EXPECT_NE(GetCapture(), Wnd);
  Post(WM_MOUSEMOVE, 50, 50 - threshold);  // the square's top row is inside
  Post(WM_MOUSEMOVE, 50 + threshold, 50);  // its right edge is not
  EXPECT_EQ(vlDragDetect(Wnd), 1);
  PostMessageW(Wnd, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(vlDragDetect(Wnd), 2);
  EXPECT_TRUE(vlIsWithinDragThreshold(TPoint{10, 10}, 10 + threshold - 1, 10 - threshold + 1));
  EXPECT_FALSE(vlIsWithinDragThreshold(TPoint{10, 10}, 10 + threshold, 10));
}

TEST_F(WindowFixture, DragDetectionPassesQuitOnAndEnds) {
  PostQuitMessage(3);
  EXPECT_EQ(vlDragDetect(Wnd), 2);
  MSG m{};
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
}

TEST_F(WindowFixture, PendingMessagesAreFoundAndRemovedUpToAQuit) {
  const UINT first = WM_USER + 1, second = WM_USER + 2;
  PostMessageW(Wnd, first, 0, 0);
  PostMessageW(Wnd, second, 0, 0);
  EXPECT_TRUE(vlHasPendingMessage(Wnd, second));
  EXPECT_TRUE(vlRemovePendingMessages(Wnd, first, second, false));
  EXPECT_FALSE(vlHasPendingMessage(Wnd, first));
  EXPECT_TRUE(vlHasPendingMessage(Wnd, second));
  EXPECT_TRUE(vlRemovePendingMessages(Wnd, first, second, true));
  EXPECT_FALSE(vlRemovePendingMessages(Wnd, first, second, true));
}

TEST_F(WindowFixture, WindowQueries) {
  HWND child = CreateWindowExW(0, u"WindowUtilsTest", u"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 30, Wnd, nullptr, nullptr,
                               nullptr);
  EXPECT_EQ(vlDeepestWindowFromPoint(TPoint{115, 115}), child);
  EXPECT_EQ(vlDeepestWindowFromPoint(TPoint{290, 190}), Wnd);
  EXPECT_EQ(vlGetTopLevelWindow(child), Wnd);
  EXPECT_TRUE(vlIsAncestorWindow(Wnd, child));
  EXPECT_FALSE(vlIsAncestorWindow(child, Wnd));
  EXPECT_FALSE(vlIsAncestorWindow(nullptr, child));
  EXPECT_TRUE(vlIsSelfOrChildWindow(Wnd, Wnd));
  EXPECT_FALSE(vlIsSelfOrChildWindow(nullptr, nullptr));
  EXPECT_EQ(vlMapPointBetweenWindows(TPoint{0, 0}, child, nullptr), (TPoint{110, 110}));
  EXPECT_EQ(vlMapRectBetweenWindows(TRect{0, 0, 5, 5}, child, Wnd), (TRect{10, 10, 15, 15}));
  EXPECT_EQ(vlGetWindowScreenRect(child), (TRect{110, 110, 160, 140}));
  EXPECT_EQ(vlGetWindowClientRect(nullptr), TRect{});
  EXPECT_TRUE(vlIsWindowEnabledWithParents(child));
  EnableWindow(Wnd, FALSE);
  EXPECT_FALSE(vlIsWindowEnabledWithParents(child));
  EnableWindow(Wnd, TRUE);
  TList* disabled = New<TList>();
  vlDisableWindow(disabled, child);
  vlDisableWindow(disabled, child);  // already disabled: not remembered twice
  EXPECT_EQ(disabled->Count(), 1);
  vlEnableWindows(disabled);
  EXPECT_TRUE(IsWindowEnabled(child));
  Free(disabled);
}

TEST(WindowUtils, FitRectToDesktopMovesButNeverResizes) {
  const TRect work = vlGetDesktopWorkAreaAtPoint(TPoint{10, 10});
  ASSERT_GT(work.Right, 200);
  TRect r{work.Right - 50, work.Bottom - 20, work.Right + 50, work.Bottom + 20};
  vlFitRectToDesktop(r, TPoint{10, 10});
  EXPECT_EQ(r, (TRect{work.Right - 100, work.Bottom - 40, work.Right, work.Bottom}));
  TRect wide{-30, 5, work.Right + 300, 25};  // wider than the work area
  vlFitRectToDesktop(wide, TPoint{10, 10});
  EXPECT_EQ(wide.Left, work.Left);
  EXPECT_EQ(wide.Right - wide.Left, work.Right + 330);
}

TEST(WindowUtils, WaitCursorNests) {
  Screen->SetCursor(crCross);
  vlBeginWaitCursor();
  vlBeginWaitCursor();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  vlEndWaitCursor();
  EXPECT_EQ(Screen->Cursor(), crHourGlass);
  vlEndWaitCursor();
  EXPECT_EQ(Screen->Cursor(), crCross);
  vlEndWaitCursor();  // never below zero
  vlBeginWaitCursor();
  vlEndWaitCursor();
  EXPECT_EQ(Screen->Cursor(), crCross);
  Screen->SetCursor(crDefault);
}

TEST(WindowUtils, PopupMenuHeightTakesTheTallestColumn) {
  TPopupMenu* menu = New<TPopupMenu>(nullptr);
  auto add = [&](const char16_t* caption, TMenuBreak brk, bool visible) {
    TMenuItem* item = New<TMenuItem>(menu);
    item->SetCaption(caption);
    item->SetBreak(brk);
    item->SetVisible(visible);
    menu->Items()->Add(item);
  };
  const Integer empty = vlGetPopupMenuHeight(menu);
  EXPECT_EQ(empty, 4);
  add(u"Bir", mbNone, true);
  const Integer one = vlGetPopupMenuHeight(menu) - 4;
  ASSERT_GT(one, 4);
  add(u"İki", mbNone, true);
  add(u"Gizli", mbNone, false);  // hidden items take no room
  add(u"Üç", mbBreak, true);     // a second, shorter column
  EXPECT_EQ(vlGetPopupMenuHeight(menu), 2 * one + 4);
  add(u"Dört", mbNone, true);
  add(u"Beş", mbNone, true);
  EXPECT_EQ(vlGetPopupMenuHeight(menu), 3 * one + 4);
  Free(menu);
}

TEST(WindowUtils, ComponentNamesAndStrings) {
  TComponent* owner = New<TComponent>(nullptr);
  owner->SetName(u"Form1");
  TComponent* c = New<TComponent>(owner);
  c->SetName(u"Grid");
  EXPECT_EQ(vlGetFullComponentName(c), u"Form1.Grid");
  EXPECT_EQ(vlGetFullComponentName(nullptr), u"");
  Free(owner);
  EXPECT_TRUE(vlStringsEqual(u"istanbul", u"İSTANBUL", false));
  EXPECT_FALSE(vlStringsEqual(u"istanbul", u"İSTANBUL", true));
}

}  // namespace

namespace {

TEST(WindowUtils, EdgesAndBandsExceptTheInside) {
  TRect r{10, 10, 50, 40};
  vlExtendRectByEdges(r, 2, TvlBorders{bLeft, bBottom});
  EXPECT_EQ(r, (TRect{8, 10, 50, 42}));
  vlDeflateRectByMissingEdges(r, 2, TvlBorders{bLeft, bBottom});
  EXPECT_EQ(r, (TRect{8, 12, 48, 42}));

  gditest::TCanvas picture(12, 10, RGB(255, 255, 255));
  TCanvas* platformCanvas = New<TCanvas>();
  platformCanvas->SetHandle(picture.DC);
  TvlCanvas* canvas = New<TvlCanvas>(platformCanvas);
  vlFillRectExcept(canvas, TRect{1, 1, 11, 9}, TRect{3, 3, 9, 7}, clBlack);
  EXPECT_EQ(picture.Pattern(RGB(0, 0, 0)),
            "............\n"
            ".##########.\n"
            ".##########.\n"
            ".##......##.\n"
            ".##......##.\n"
            ".##......##.\n"
            ".##......##.\n"
            ".##########.\n"
            ".##########.\n"
            "............\n");
  vlFillRectExcept(canvas, TRect{0, 0, 12, 10}, TRect{0, 0, 12, 10}, clRed);  // equal: nothing
  vlFillRectExcept(canvas, TRect{0, 0, 2, 2}, TRect{}, clRed);                // no inside: all of R
  EXPECT_EQ(picture.At(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(picture.At(5, 5), RGB(255, 255, 255));
  Free(canvas);
  platformCanvas->SetHandle(nullptr);
  Free(platformCanvas);
}

}  // namespace

namespace {

// A second monitor right of the primary one, with its task bar at the top.
TEST(WindowUtils, FitRectToTheWorkAreaOfTheNearestOfTwoMonitors) {
  const SIZE primary = ScreenSize();
  const RECT second{primary.cx, 0, primary.cx + 800, 600}, secondWork{primary.cx, 40, primary.cx + 800, 600};
  SetExtraMonitors({{second, secondWork}});
  EXPECT_EQ(vlGetDesktopWorkAreaAtPoint(TPoint{primary.cx + 10, 300}), TRect(secondWork));
  EXPECT_EQ(vlGetDesktopWorkAreaAtPoint(TPoint{primary.cx + 2000, 700}), TRect(secondWork));  // nearest
  // a menu opened near the second monitor's top right corner moves down and left
  TRect menu{primary.cx + 750, 10, primary.cx + 850, 110};
  vlFitRectToDesktop(menu, TPoint{primary.cx + 760, 20});
  EXPECT_EQ(menu, (TRect{primary.cx + 700, 40, primary.cx + 800, 140}));
  // the same rectangle fitted to the primary monitor ends at its right edge
  TRect onPrimary{primary.cx - 50, 10, primary.cx + 50, 110};
  vlFitRectToDesktop(onPrimary, TPoint{primary.cx - 10, 20});
  EXPECT_EQ(onPrimary.Right, vlGetDesktopWorkAreaAtPoint(TPoint{0, 0}).Right);
  SetExtraMonitors({});
}

}  // namespace

namespace {

// A popup menu from outside the platform that records what it was asked.
class TExternalMenu : public TComponent, public IvlExternalPopupMenu {
  CL_CLASS(TExternalMenu, TComponent)
 public:
  Boolean IsShortCutKey(TWMKey& Message) override { return Message.CharCode() == VK_F2; }
  void Popup(Integer X, Integer Y) override { Shown = TPoint{X, Y}; }
  TPoint Shown{-1, -1};
};
CL_IMPLEMENT_CLASS(TExternalMenu)

TEST(WindowUtils, PopupMenusFromOutsideAndOfThePlatform) {
  TExternalMenu* external = New<TExternalMenu>(nullptr);
  TMessage m{WM_KEYDOWN, VK_F2, 0, 0};
  TWMKey key(m);
  EXPECT_TRUE(vlIsPopupMenuShortCut(external, key));
  EXPECT_FALSE(vlIsPopupMenuShortCut(nullptr, key));
  EXPECT_TRUE(vlShowPopupMenu(nullptr, external, 10, 20));
  EXPECT_EQ(external->Shown, (TPoint{10, 20}));
  EXPECT_FALSE(vlShowPopupMenu(nullptr, nullptr, 0, 0));
  TPopupMenu* menu = New<TPopupMenu>(nullptr);
  menu->SetAutoPopup(false);
  EXPECT_FALSE(vlShowPopupMenu(nullptr, menu, 0, 0));  // not an automatic popup: left alone
  Free(menu);
  Free(external);
}

TEST(WindowUtils, FormFontScalesTheFormAndItsControls) {
  TForm* form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  form->SetClientWidth(200);
  form->SetClientHeight(100);
  TControl* child = New<TPanel>(form);
  static_cast<TWinControl*>(child)->SetParent(form);
  child->SetBounds(10, 10, 50, 20);
  TFont* bigger = New<TFont>();
  bigger->Assign(form->Font());
  bigger->SetHeight(form->Font()->Height() * 2);
  const Integer before = form->Canvas()->TextHeight(u"Qq");
  vlSetFormFontAndScale(form, bigger);
  const Integer after = form->Canvas()->TextHeight(u"Qq");
  ASSERT_GT(after, before);
  EXPECT_EQ(form->Font()->Height(), bigger->Height());
  EXPECT_EQ(form->ClientWidth(), MulDiv(200, after, before));
  EXPECT_EQ(form->ClientHeight(), MulDiv(100, after, before));
  EXPECT_EQ(child->Width(), MulDiv(60, after, before) - MulDiv(10, after, before));
  Free(bigger);
  Free(form);
}

}  // namespace
