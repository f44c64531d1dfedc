// The data navigator in a small host control over a real data set, driven
// with the real mouse on the headless screen and the manual clock: layout,
// the enabled rules, auto-repeat, hints, the delete confirmation, glyphs.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "lib/editors/vlNavigator.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/db/DB.h"
#include "platform/db/MemData.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Windows.h"
#include "tests/lib/editors/NavigatorHost.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

using namespace win;

// Answers the next dialog that becomes the active form with one key, from
// inside its modal loop, and keeps the dialog's message text.
class TDialogAnswer : public TObject {
  CL_CLASS(TDialogAnswer, TObject)
 public:
  void Start(backend::THeadlessBackend* ADisplay, UINT AKey, TForm* AHome) {
    FDisplay = ADisplay;
    FKey = AKey;
    FHome = AHome;
    FWnd = AllocateHWnd(TWndMethod(this, &TDialogAnswer::WndProc));
    Screen->SetOnActiveFormChange(TNotifyEvent(this, &TDialogAnswer::ActiveFormChanged));
  }
  void Destroy() override {
    Screen->SetOnActiveFormChange(TNotifyEvent());
    if (FWnd) DeallocateHWnd(FWnd);
    inherited::Destroy();
  }
  String Text;
  Boolean Ran{};

 private:
  void ActiveFormChanged(TObject*) {
    TForm* dialog = Screen->ActiveForm();
    if (Ran || !dialog || dialog == FHome) return;
    Ran = true;
    if (auto* text = Is<TControl>(dialog->FindComponent(u"Message"))
                         ? static_cast<TControl*>(dialog->FindComponent(u"Message"))
                         : nullptr)
      Text = text->Caption();
    PostMessageW(FWnd, WM_USER, 0, 0);
  }
  void WndProc(TMessage& Message) {
    if (Message.Msg == WM_USER)
      FDisplay->KeyPress(FKey);
    else
      Message.Result = DefWindowProcW(FWnd, Message.Msg, Message.WParam, Message.LParam);
  }
  backend::THeadlessBackend* FDisplay{};
  UINT FKey{};
  TForm* FHome{};
  HWND FWnd{};
};

// What a failing world does to the navigator: the exceptions that reach the
// application, a click handler that disables or frees the host, a database
// that refuses.
class TNavTrouble : public TObject {
  CL_CLASS(TNavTrouble, TObject)
 public:
  std::vector<String> Failures;
  Integer Clicks = 0;
  TTestNavHost* Host{};
  Boolean FreeHost{};
  void Failed(TObject*, const Exception& E) { Failures.push_back(E.Message()); }
  // On its second click: the host is disabled, or freed.
  void NextClicked(TObject*) {
    if (++Clicks != 2) return;
    if (FreeHost)
      FreeAndNil(Host);
    else
      Host->SetEnabledProp(false);
  }
  void Refuse(TDataSet*) { DatabaseError(u"Kayıt kilitli"); }
  // On its second click: fails, after freeing the host when FreeHost.
  void NextClickedAndFailed(TObject*) {
    if (++Clicks != 2) return;
    if (FreeHost) FreeAndNil(Host);
    DatabaseError(u"Sonraki kayıt okunamadı");
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TNavTrouble)
CL_IMPLEMENT_CLASS(TTestNavHost)
CL_IMPLEMENT_CLASS(TTestNavData)
CL_IMPLEMENT_CLASS(TDialogAnswer)

namespace {

class NavigatorTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Meters = New<TMemDataSet>(static_cast<TComponent*>(Form));
    Meters->FieldDefs()->Add(u"Index", ftInteger);
    Meters->Open();
    for (Integer i = 1; i <= 30; ++i) Meters->AppendRecord({Variant(i)});
    Meters->First();
    Data = New<TTestNavData>(static_cast<TComponent*>(Form));
    Data->DS = Meters;
    Host = Add<TTestNavHost>(10, 10, 360, 40);
    Host->ButtonSet->SetOnGetControl(TvlNavigatorControlButtonsGetControl(Data, &TTestNavData::Self_));
    Host->LayOut(22);
    Pump();
  }
  // The program's log grid: browse, bookmark and filter buttons, no confirmation.
  void UseLogButtons() {
    for (Integer i : {NBDI_INSERT, NBDI_DELETE, NBDI_EDIT, NBDI_POST, NBDI_CANCEL, NBDI_REFRESH})
      Host->ButtonSet->Buttons(i)->SetVisible(false);
    Host->ButtonSet->SetConfirmDelete(false);
    Host->LayOut(22);
  }
  void Press(Integer AButton) {
    const TPoint p = At(Host, Host->ButtonCentre(AButton).X, Host->ButtonCentre(AButton).Y);
    Display.MouseMove(p.X, p.Y);
    Pump();
    Display.MouseDown(p.X, p.Y);
    Pump();
  }
  void Release(Integer AButton) {
    const TPoint p = At(Host, Host->ButtonCentre(AButton).X, Host->ButtonCentre(AButton).Y);
    Display.MouseUp(p.X, p.Y);
    Pump();
  }
  std::vector<Boolean> EnabledStates() {
    Host->ViewInfo->UpdateButtonsEnabled();
    std::vector<Boolean> states;
    for (Integer i = 0; i < Host->ViewInfo->ButtonCount(); ++i) states.push_back(Host->ViewInfo->Buttons(i)->Enabled);
    return states;
  }

  TMemDataSet* Meters{};
  TTestNavData* Data{};
  TTestNavHost* Host{};
};

TEST_F(NavigatorTest, TheLogGridsNineButtonsLieSideBySide) {
  UseLogButtons();
  TvlNavigatorViewInfo* vi = Host->ViewInfo;
  ASSERT_EQ(vi->ButtonCount(), 9);
  const std::vector<Integer> expected{0, 1, 2, 3, 4, 5, 13, 14, 15};
  const TRect borders = vi->Painter()->ButtonGroupBorderSizes(3, 1);
  const Integer width = 12 + borders.Left + borders.Right + 1;
  for (Integer i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    const TvlNavigatorButtonViewInfo* b = vi->Buttons(i);
    EXPECT_EQ(b->Button->DefaultIndex(), expected[size_t(i)]);
    EXPECT_EQ(b->Bounds, (TRect{2 + i * width, 2, 2 + (i + 1) * width, 24}));
    EXPECT_EQ(b->Button->GetImageIndexShown(), expected[size_t(i)]);
  }
  EXPECT_EQ(Host->Area.Width(), 9 * width);

  // Surplus width: spread evenly, the remainder given back.
  struct TCase {
    Integer Asked;
    Integer Given;
    Integer Each;
  };
  for (const TCase& c : {TCase{0, 9 * width, width}, TCase{9 * width + 8, 9 * width, width},
                         TCase{9 * width + 9 * 3 + 4, 9 * width + 27, width + 3}}) {
    SCOPED_TRACE(c.Asked);
    Integer w = c.Asked, h = 22;
    vi->CheckSize(w, h, false);
    EXPECT_EQ(w, c.Given);
    EXPECT_EQ(vi->Buttons(4)->Bounds.Width(), c.Each);
  }
  Integer w = 0, h = 0;
  vi->CheckSize(w, h, true);
  EXPECT_EQ(h, 11 + borders.Top + borders.Bottom + 1);
}

TEST_F(NavigatorTest, ButtonsFollowTheDataSetsState) {
  using V = std::vector<Boolean>;
  const Boolean T = true, F = false;
  struct TCase {
    const char* Name;
    std::function<void()> Set;
    V Expected;  // the 15 visible buttons (Append hidden), in index order
  };
  const TCase cases[] = {
      {"first record", [&] { Meters->First(); }, V{F, F, F, T, T, T, T, T, T, F, F, T, T, F, T}},
      {"middle record, bookmark saved",
       [&] {
         Meters->Next();
         Host->ButtonSet->ClickButton(NBDI_SAVEBOOKMARK);
       },
       V{T, T, T, T, T, T, T, T, T, F, F, T, T, T, T}},
      {"editing", [&] { Meters->Edit(); }, V{T, T, T, T, T, T, T, T, F, T, T, T, T, T, T}},
      {"last record", [&] { Meters->Cancel(); Meters->Last(); }, V{T, T, T, F, F, F, T, T, T, F, F, T, T, T, T}},
      {"closed: only the filter", [&] { Meters->Close(); }, V{F, F, F, F, F, F, F, F, F, F, F, F, F, F, T}},
      {"host disabled", [&] { Meters->Open(); Host->SetEnabledProp(false); }, V(15, F)},
      {"no data source",
       [&] {
         Host->SetEnabledProp(true);
         Host->ButtonSet->SetOnGetControl(TvlNavigatorControlButtonsGetControl());
       },
       V(15, F)},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Set();
    EXPECT_EQ(EnabledStates(), c.Expected);
  }
  // Without a data source a click acts on nothing.
  Host->ButtonSet->ClickButton(NBDI_NEXT);
  EXPECT_TRUE(Data->Actions.size() == 1 && Data->Actions[0] == NBDI_SAVEBOOKMARK);
  Host->ButtonSet->SetOnGetControl(TvlNavigatorControlButtonsGetControl(Data, &TTestNavData::Self_));
  Host->ButtonSet->ReleaseBookmark();
  EXPECT_FALSE(Data->HasSavedBookmark());
}

TEST_F(NavigatorTest, HoldingNextRepeatsAndHoldingLastActsOnceOnRelease) {
  Press(NBDI_NEXT);
  Wait(390);
  EXPECT_EQ(Meters->RecNo(), 1);
  Wait(20);
  EXPECT_EQ(Meters->RecNo(), 2);
  Wait(100);
  EXPECT_EQ(Meters->RecNo(), 3);
  Wait(200);
  EXPECT_EQ(Meters->RecNo(), 5);
  Release(NBDI_NEXT);
  EXPECT_EQ(Meters->RecNo(), 6);
  Wait(300);
  EXPECT_EQ(Meters->RecNo(), 6);

  Press(NBDI_LAST);
  Wait(700);
  EXPECT_EQ(Meters->RecNo(), 6);
  Release(NBDI_LAST);
  EXPECT_EQ(Meters->RecNo(), 30);
}

TEST_F(NavigatorTest, RepeatingStopsWhenTheButtonBecomesDisabled) {
  Meters->MoveBy(26);
  ASSERT_EQ(Meters->RecNo(), 27);
  Press(NBDI_NEXT);
  Wait(1000);
  EXPECT_EQ(Meters->RecNo(), 30);
  EXPECT_FALSE(Host->ViewInfo->GetButtonViewInfoByButton(Host->ButtonSet->Next())->Enabled);
  Release(NBDI_NEXT);
  EXPECT_EQ(Meters->RecNo(), 30);
  EXPECT_EQ(Data->Actions, (std::vector<Integer>{NBDI_NEXT, NBDI_NEXT, NBDI_NEXT}));
}

TEST_F(NavigatorTest, RepeatingStopsWhenTheDataClosesOrTheHostIsDisabledOrFreed) {
  TNavTrouble* trouble = New<TNavTrouble>();
  Finally done([&] {
    Application->SetOnException(TExceptionEvent());
    Free(trouble);
  });
  Application->SetOnException(TExceptionEvent(trouble, &TNavTrouble::Failed));

  // The data set closes under a held Next, with no refresh of the buttons.
  Press(NBDI_NEXT);
  Wait(410);
  EXPECT_EQ(Meters->RecNo(), 2);
  Meters->Close();
  Wait(300);
  Release(NBDI_NEXT);
  EXPECT_EQ(Data->Actions, (std::vector<Integer>{NBDI_NEXT}));
  EXPECT_TRUE(trouble->Failures.empty());
  Meters->Open();
  Host->RefreshButtonStates();

  // Next's own click handler disables, then frees, the host on its second run.
  for (Boolean freeHost : {false, true}) {
    SCOPED_TRACE(freeHost ? "freed" : "disabled");
    trouble->Clicks = 0;
    trouble->FreeHost = freeHost;
    trouble->Host = Host;
    Host->ButtonSet->Next()->SetOnClick(TNotifyEvent(trouble, &TNavTrouble::NextClicked));
    const TPoint p = At(Host, Host->ButtonCentre(NBDI_NEXT).X, Host->ButtonCentre(NBDI_NEXT).Y);
    Display.MouseMove(p.X, p.Y);
    Pump();
    Display.MouseDown(p.X, p.Y);
    Pump();
    Wait(1000);
    Display.MouseUp(p.X, p.Y);
    Pump();
    EXPECT_EQ(trouble->Clicks, 2);
    EXPECT_TRUE(trouble->Failures.empty());
    if (freeHost)
      Host = nullptr;  // freed with its navigator, timers and all
    else
      Host->SetEnabledProp(true);
  }
}

// The data set freed under a held Next, with no refresh of the buttons: the
// repeat stops, nothing acts on the freed data, and the release does nothing.
TEST_F(NavigatorTest, RepeatingStopsWhenTheDataSetIsFreed) {
  TNavTrouble* trouble = New<TNavTrouble>();
  Finally done([&] {
    Application->SetOnException(TExceptionEvent());
    Free(trouble);
  });
  Application->SetOnException(TExceptionEvent(trouble, &TNavTrouble::Failed));
  Meters->FreeNotification(Data);
  Press(NBDI_NEXT);
  Wait(410);
  EXPECT_EQ(Meters->RecNo(), 2);
  Free(Meters);
  Meters = nullptr;
  Wait(300);
  Release(NBDI_NEXT);
  EXPECT_EQ(Data->Actions, (std::vector<Integer>{NBDI_NEXT}));
  EXPECT_FALSE(Host->ViewInfo->ButtonPressTimer()->Enabled());
  EXPECT_TRUE(trouble->Failures.empty());
  // Only Filter is left enabled.
  const std::vector<Boolean> states = EnabledStates();
  for (size_t i = 0; i < states.size(); ++i)
    EXPECT_EQ(states[i], Host->ViewInfo->Buttons(Integer(i))->Button->DefaultIndex() == NBDI_FILTER) << i;
}

TEST_F(NavigatorTest, AnActionThatFailsDuringTheRepeatStopsIt) {
  TNavTrouble* trouble = New<TNavTrouble>();
  Finally done([&] {
    Application->SetOnException(TExceptionEvent());
    Free(trouble);
  });
  Application->SetOnException(TExceptionEvent(trouble, &TNavTrouble::Failed));
  // The failing click alone, then one that frees the host before it fails:
  // the repeat stops and nothing of the freed navigator is touched.
  for (Boolean freeHost : {false, true}) {
    SCOPED_TRACE(freeHost ? "freed" : "kept");
    trouble->Clicks = 0;
    trouble->Failures.clear();
    trouble->FreeHost = freeHost;
    trouble->Host = Host;
    Host->ButtonSet->Next()->SetOnClick(TNotifyEvent(trouble, &TNavTrouble::NextClickedAndFailed));
    const TPoint p = At(Host, Host->ButtonCentre(NBDI_NEXT).X, Host->ButtonCentre(NBDI_NEXT).Y);
    Display.MouseMove(p.X, p.Y);
    Pump();
    Display.MouseDown(p.X, p.Y);
    Pump();
    Wait(1000);
    EXPECT_EQ(trouble->Clicks, 2);
    EXPECT_EQ(trouble->Failures, (std::vector<String>{u"Sonraki kayıt okunamadı"}));
    if (!freeHost) EXPECT_FALSE(Host->ViewInfo->ButtonPressTimer()->Enabled());
    Display.MouseUp(p.X, p.Y);
    Pump();
    if (freeHost) Host = nullptr;
  }
}

TEST_F(NavigatorTest, ARefusedActionStillRefreshesTheButtons) {
  TNavTrouble* trouble = New<TNavTrouble>();
  Finally done([&] {
    Application->SetOnException(TExceptionEvent());
    Free(trouble);
  });
  Application->SetOnException(TExceptionEvent(trouble, &TNavTrouble::Failed));
  Meters->MoveBy(4);

  // The delete is confirmed, then the database refuses it.
  Meters->SetBeforeDelete(TDataSetNotifyEvent(trouble, &TNavTrouble::Refuse));
  TDialogAnswer* answer = New<TDialogAnswer>();
  answer->Start(&Display, VK_RETURN, Form);
  Host->Refreshes = 0;
  Press(NBDI_DELETE);
  Release(NBDI_DELETE);
  EXPECT_TRUE(answer->Ran);
  Free(answer);
  EXPECT_EQ(trouble->Failures, (std::vector<String>{u"Kayıt kilitli"}));
  EXPECT_EQ(Meters->RecordCount(), 30);
  EXPECT_EQ(Host->Refreshes, 1);

  // An insert whose follow-up fails leaves the record inserting: Post and
  // Cancel must be offered, Edit not.
  Meters->SetAfterInsert(TDataSetNotifyEvent(trouble, &TNavTrouble::Refuse));
  Press(NBDI_INSERT);
  Release(NBDI_INSERT);
  EXPECT_EQ(trouble->Failures.size(), 2u);
  ASSERT_EQ(Meters->State(), dsInsert);
  TvlNavigatorViewInfo* vi = Host->ViewInfo;
  EXPECT_TRUE(vi->GetButtonViewInfoByButton(Host->ButtonSet->Post())->Enabled);
  EXPECT_TRUE(vi->GetButtonViewInfoByButton(Host->ButtonSet->Cancel())->Enabled);
  EXPECT_FALSE(vi->GetButtonViewInfoByButton(Host->ButtonSet->Edit())->Enabled);
}

TEST_F(NavigatorTest, AReleaseOutsideThePressedButtonDoesNothing) {
  Press(NBDI_LAST);
  const TPoint away = At(Host, Host->ButtonCentre(NBDI_FILTER).X, Host->ButtonCentre(NBDI_FILTER).Y);
  Display.MouseMove(away.X, away.Y);
  Pump();
  EXPECT_EQ(Host->ViewInfo->GetButtonState(Host->ViewInfo->PressedButtonViewInfo()), vlbsNormal);
  Display.MouseUp(away.X, away.Y);
  Pump();
  EXPECT_EQ(Meters->RecNo(), 1);
  EXPECT_TRUE(Data->Actions.empty());

  // Back over it before the release: it acts.
  Press(NBDI_LAST);
  Display.MouseMove(away.X, away.Y);
  Pump();
  Release(NBDI_LAST);
  EXPECT_EQ(Meters->RecNo(), 30);
}

TEST_F(NavigatorTest, ARefusedDeleteConfirmationKeepsTheRecord) {
  Meters->MoveBy(4);
  struct TCase {
    const char* Name;
    UINT Key;
    Integer Count;
  };
  for (const TCase& c : {TCase{"refused", VK_ESCAPE, 30}, TCase{"accepted", VK_RETURN, 29}}) {
    SCOPED_TRACE(c.Name);
    TDialogAnswer* answer = New<TDialogAnswer>();
    answer->Start(&Display, c.Key, Form);
    Press(NBDI_DELETE);
    Release(NBDI_DELETE);
    EXPECT_TRUE(answer->Ran);
    EXPECT_EQ(answer->Text, u"Delete record?");
    EXPECT_EQ(Meters->RecordCount(), c.Count);
    Free(answer);
  }
  // Without confirmation the delete goes straight to the data set.
  Host->ButtonSet->SetConfirmDelete(false);
  Host->ButtonSet->ClickButton(NBDI_DELETE);
  EXPECT_EQ(Meters->RecordCount(), 28);
}

TEST_F(NavigatorTest, HintsShowTheShortPartAfterAPause) {
  Host->ButtonSet->Next()->SetHint(u"Sonraki kayıt|Bir sonraki kayda gider");
  const TPoint p = At(Host, Host->ButtonCentre(NBDI_NEXT).X, Host->ButtonCentre(NBDI_NEXT).Y);
  Display.MouseMove(p.X, p.Y);
  Pump();
  EXPECT_FALSE(Host->ViewInfo->HintWindowShowing());
  Wait(510);
  ASSERT_TRUE(Host->ViewInfo->HintWindowShowing());
  EXPECT_EQ(Host->ViewInfo->HintWindow()->Caption(), u"Sonraki kayıt");
  // Moving to another button while a hint shows changes it at once.
  const TPoint q = At(Host, Host->ButtonCentre(NBDI_LAST).X, Host->ButtonCentre(NBDI_LAST).Y);
  Display.MouseMove(q.X, q.Y);
  Pump();
  ASSERT_TRUE(Host->ViewInfo->HintWindowShowing());
  EXPECT_EQ(Host->ViewInfo->HintWindow()->Caption(), u"Last record");
  // Leaving the buttons hides it.
  const TPoint r = At(Host, Host->Width() - 3, Host->Height() - 3);
  Display.MouseMove(r.X, r.Y);
  Pump();
  EXPECT_FALSE(Host->ViewInfo->HintWindowShowing());
}

TEST_F(NavigatorTest, ButtonsReportTheirChangesAndImages) {
  TvlNavigatorButton* next = Host->ButtonSet->Next();
  struct TCase {
    const char* Name;
    std::function<void()> Change;
    std::vector<TvlNavigatorChangeKind> Expected;
  };
  const TCase cases[] = {
      {"hint", [&] { next->SetHint(u"İleri"); }, {nckProperty}},
      {"same hint", [&] { next->SetHint(u"İleri"); }, {}},
      {"enabled", [&] { next->SetEnabled(false); }, {nckLayout}},
      // The relayout finds a narrower strip and asks the host for a new size.
      {"visible", [&] { next->SetVisible(false); }, {nckSize, nckSize}},
      {"image of a hidden button", [&] { next->SetImageIndex(2); }, {nckLayout}},
      {"confirm delete", [&] { Host->ButtonSet->SetConfirmDelete(false); }, {nckProperty}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Host->Changes.clear();
    c.Change();
    EXPECT_EQ(Host->Changes, c.Expected);
  }
  // Visibility is stored only once it was set; Append starts hidden.
  EXPECT_TRUE(next->IsVisibleAssigned());
  EXPECT_FALSE(Host->ButtonSet->Prior()->IsVisibleAssigned());
  EXPECT_FALSE(Host->ButtonSet->Append()->Visible());

  // A user list shows its image only for a button with an image index.
  TImageList* images = NewBy<TImageList>(&TImageList::CreateSize, 16, 16);
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetWidth(16);
  bitmap->SetHeight(16);
  images->Add(bitmap, nullptr);
  images->Add(bitmap, nullptr);
  images->Add(bitmap, nullptr);
  Free(bitmap);
  Host->ButtonSet->SetImages(images);
  EXPECT_TRUE(next->IsUserImage());
  EXPECT_EQ(next->GetImages(), images);
  EXPECT_EQ(next->GetImageSize(), (TSize{16, 16}));
  TvlNavigatorButton* first = Host->ButtonSet->First();
  EXPECT_FALSE(first->IsUserImage());
  EXPECT_EQ(first->GetImages(), static_cast<TCustomImageList*>(vlNavigatorDefaultImages()));
  EXPECT_EQ(first->GetImageIndexShown(), NBDI_FIRST);
  Host->ButtonSet->SetImages(nullptr);
  Free(images);

  TImageList* defaults = vlNavigatorDefaultImages();
  EXPECT_EQ(defaults->Count(), 22);
  EXPECT_EQ(defaults->Width(), 12);
  EXPECT_EQ(defaults->Height(), 11);
  EXPECT_EQ(Host->ButtonSet->GetButtonHint(NBDI_GOTOBOOKMARK), u"Goto Bookmark");
  EXPECT_EQ(Host->ButtonSet->GetButtonHint(16), u"");
}

TEST_F(NavigatorTest, TheNotifierRefreshesEveryListedHostOnce) {
  TTestNavHost* second = Add<TTestNavHost>(10, 60, 360, 40);
  second->ButtonSet->SetOnGetControl(TvlNavigatorControlButtonsGetControl(Data, &TTestNavData::Self_));
  second->LayOut(22);
  Data->Notifier->AddNavigator(Host);
  Data->Notifier->AddNavigator(second);
  Data->Notifier->AddNavigator(Host);
  EXPECT_EQ(Data->Notifier->Count(), 2);
  Meters->Last();
  Data->Notifier->RefreshNavigatorButtons();
  for (TTestNavHost* h : {Host, second})
    EXPECT_FALSE(h->ViewInfo->GetButtonViewInfoByButton(h->ButtonSet->Next())->Enabled);
  Data->Notifier->RemoveNavigator(second);
  EXPECT_EQ(Data->Notifier->Count(), 1);
}

}  // namespace
