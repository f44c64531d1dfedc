#include "lib/lookandfeel/nbThemeManager.h"

#include <gtest/gtest.h>

#include "lib/foundation/nbUxTheme.h"
#include "lib/lookandfeel/vlDWMApi.h"
#include "platform/win/Modules.h"
#include "platform/win/Windows.h"

namespace {

// Counts the theme-change calls it receives.
class TChangeCounter : public TObject {
  CL_CLASS(TChangeCounter, TObject)
 public:
  void Changed() { ++Calls; }
  int Calls = 0;
};
CL_IMPLEMENT_CLASS(TChangeCounter)

// Themes on and every handle forgotten before and after each test.
class ThemeManager : public ::testing::Test {
 protected:
  void SetUp() override {
    win::SetThemesActive(true);
    SwitchThemes(true);
  }
  void TearDown() override {
    SwitchThemes(true);
    for (int t = totButton; t <= totWindow; ++t) nbCloseThemeHandle(TnbThemedObjectType(t));
  }
  // Turns the engine on or off; the engine tells every top-level window.
  static void SwitchThemes(bool AOn) {
    if (win::ThemesActive() != AOn) win::SetThemesActive(AOn);
  }
  // The unit's start-up again with the theme library missing (or back).
  static void RestartWithLibrary(bool APresent) {
    nbThemeManagerFinalize();
    nbUxThemeFinalize();
    win::SetLibraryMissing(u"UxTheme.dll", APresent ? win::FALSE : win::TRUE);
    nbUxThemeInitialize();
    nbThemeManagerInitialize();
  }
};

TEST_F(ThemeManager, HandlesAreCachedPerTypeAndFollowTheClassList) {
  win::HTHEME button = nbGetThemeHandle(totButton);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(nbGetThemeHandle(totButton), button);
  const String upper = u"BUTTON";
  EXPECT_EQ(nbGetThemeHandle(totButton, &upper), button);  // case does not matter
  const String edit = u"Edit";
  win::HTHEME asEdit = nbGetThemeHandle(totButton, &edit);
  ASSERT_NE(asEdit, nullptr);
  win::COLORREF c{};
  // the old handle was closed (unless the new one reuses its value)
  if (asEdit != button) EXPECT_NE(::GetThemeColor(button, 1, 1, win::TMT_FILLCOLOR, &c), S_OK);
  // the type keeps the class list it was last opened with
  nbCloseAllThemeHandles();
  win::HTHEME reopened = nbGetThemeHandle(totButton);
  ASSERT_NE(reopened, nullptr);
  win::HTHEME plainEdit = nbGetThemeHandle(totEdit);
  EXPECT_EQ(::IsThemeBackgroundPartiallyTransparent(reopened, 1, 1),
            ::IsThemeBackgroundPartiallyTransparent(plainEdit, 1, 1));
  EXPECT_EQ(nbCloseThemeHandle(totButton), S_OK);
  EXPECT_EQ(nbCloseThemeHandle(totButton), 0);  // nothing open any more
}

TEST_F(ThemeManager, AnUnknownClassListIsNotCached) {
  const String bogus = u"NoSuchClass";
  EXPECT_EQ(nbGetThemeHandle(totClock, &bogus), nullptr);
  EXPECT_NE(nbGetThemeHandle(totClock), nullptr);  // the default list again
  EXPECT_TRUE(nbAreThemesAvailable({totButton, totClock}));
}

TEST_F(ThemeManager, ThemeChangeClosesHandlesAndTellsEachListenerOnce) {
  TChangeCounter* counter = New<TChangeCounter>();
  auto* first = New<TnbThemeChangedNotificator>();
  auto* silent = New<TnbThemeChangedNotificator>();  // no handler: skipped
  auto* second = New<TnbThemeChangedNotificator>();
  first->SetOnThemeChanged(TnbThemeChangedEvent(counter, &TChangeCounter::Changed));
  second->SetOnThemeChanged(TnbThemeChangedEvent(counter, &TChangeCounter::Changed));
  ASSERT_NE(nbGetThemeHandle(totHeader), nullptr);

  SwitchThemes(false);
  EXPECT_EQ(counter->Calls, 2);
  EXPECT_EQ(nbGetThemeHandle(totHeader), nullptr);
  EXPECT_EQ(nbCloseThemeHandle(totHeader), 1);
  EXPECT_FALSE(nbIsThemeAvailable(totHeader));
  EXPECT_FALSE(nbAreThemesAvailable({}));

  SwitchThemes(true);
  EXPECT_EQ(counter->Calls, 4);
  EXPECT_TRUE(nbAreThemesAvailable({}));
  EXPECT_TRUE(nbIsThemeAvailable(totHeader));

  Free(second);  // a freed listener is no longer told
  SwitchThemes(false);
  EXPECT_EQ(counter->Calls, 5);
  Free(first);
  Free(silent);
  Free(counter);
}

TEST_F(ThemeManager, ADirectDispatchRunsTheSameSequence) {
  TnbThemeChangedEventReceiver* receiver = nbThemeChangedEventReceiver();
  ASSERT_NE(receiver, nullptr);
  ASSERT_NE(nbGetThemeHandle(totTab), nullptr);
  TMessage m{win::WM_THEMECHANGED, 0, 0, 7};
  receiver->Dispatch(m);
  EXPECT_EQ(m.Result, 0);
  EXPECT_TRUE(nbIsThemeAvailable(totTab));  // reopened on request
}

TEST_F(ThemeManager, ThePlainThemeIsNoDefaultThemeOfTheOlderSystems) {
  EXPECT_FALSE(nbIsDefaultXPThemeFile());
  SwitchThemes(false);
  EXPECT_FALSE(nbIsDefaultXPThemeFile());
}

TEST_F(ThemeManager, TheDefaultThemesAreKnownByTheFileOfTheirSystemPath) {
  struct TCase {
    const char16_t* File;
    bool Default;
  } const cases[] = {
      {u"C:\\Windows\\Resources\\Themes\\Luna\\luna.msstyles", true},
      {u"C:\\Windows\\Resources\\Themes\\Royale\\Royale.msstyles", true},
      {u"C:\\Windows\\Resources\\Themes\\Aero\\Aero.msstyles", false},
      {u"Luna.msstyles", true},
  };
  for (const TCase& c : cases) {
    win::SetCurrentThemeName(c.File, u"NormalColor");
    EXPECT_EQ(nbIsDefaultXPThemeFile(), c.Default) << String(c.File).size();
  }
  win::SetCurrentThemeName(nullptr, nullptr);
}

TEST_F(ThemeManager, WithoutTheLibraryNothingIsAvailableAndNoListenerIsTold) {
  RestartWithLibrary(false);
  EXPECT_FALSE(nbIsUxThemeLoaded());
  EXPECT_FALSE(::IsThemeActive());
  EXPECT_EQ(::OpenThemeData(nullptr, u"Button"), nullptr);  // unbound: answers nil, does not call
  EXPECT_EQ(nbThemeChangedEventReceiver(), nullptr);
  EXPECT_FALSE(nbAreThemesAvailable({}));
  EXPECT_EQ(nbGetThemeHandle(totButton), nullptr);
  EXPECT_EQ(nbCloseThemeHandle(totButton), 1);
  TChangeCounter* counter = New<TChangeCounter>();
  auto* n = New<TnbThemeChangedNotificator>();
  n->SetOnThemeChanged(TnbThemeChangedEvent(counter, &TChangeCounter::Changed));
  SwitchThemes(false);
  SwitchThemes(true);
  EXPECT_EQ(counter->Calls, 0);
  Free(n);
  Free(counter);
  RestartWithLibrary(true);
  EXPECT_TRUE(nbIsUxThemeLoaded());
  EXPECT_TRUE(nbAreThemesAvailable({totButton}));
}

TEST(ThemeLibrary, BindsTheNamesThePlatformOffers) {
  ASSERT_TRUE(nbIsUxThemeLoaded());
  EXPECT_TRUE(nbIsUxThemeFunctionBound("OpenThemeData"));
  EXPECT_TRUE(nbIsUxThemeFunctionBound("DrawThemeParentBackground"));
  EXPECT_FALSE(nbIsUxThemeFunctionBound("BeginBufferedPaint"));  // not offered
  EXPECT_FALSE(nbIsUxThemeFunctionBound("NoSuchName"));
  win::HDC dc = nullptr;
  win::HDC out = nullptr;
  EXPECT_EQ(::BeginBufferedPaint(dc, nullptr, BPBF_TOPDOWNDIB, nullptr, &out), nullptr);
  EXPECT_EQ(::EndBufferedPaint(nullptr, 1), E_NOTIMPL);
}

TEST(Composition, IsOffAndFalseWithoutTheLibrary) {
  EXPECT_TRUE(vlIsDWMApiLoaded());
  EXPECT_FALSE(nbIsCompositionEnabled());
  vlDWMApiFinalize();
  win::SetLibraryMissing(u"dwmapi", win::TRUE);
  vlDWMApiInitialize();
  EXPECT_FALSE(vlIsDWMApiLoaded());
  EXPECT_FALSE(nbIsCompositionEnabled());
  win::SetLibraryMissing(u"dwmapi", win::FALSE);
  vlDWMApiInitialize();
  EXPECT_TRUE(vlIsDWMApiLoaded());
}

}  // namespace
