// The check box driven with real mouse and keys on the headless screen, its
// value formats, and the check states of item lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/editors/vlCheckBox.h"
#include "lib/editors/vlCheckBoxFilter.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/Conversions.h"
#include "tests/lib/editors/FormFromText.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/vcl/ActnList.h"
#include "platform/vcl/Forms.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

// Records what a check box reports, in order; frees it from one handler on request.
struct TBoxRecorder : public TObject {
  CL_CLASS(TBoxRecorder, TObject)
 public:
  std::vector<std::string> Events;
  TvlCustomCheckBox* FreeFrom{};
  std::string FreeOn;
  void Note(const std::string& AWhat) {
    Events.push_back(AWhat);
    if (FreeFrom && AWhat == FreeOn) {
      TvlCustomCheckBox* box = FreeFrom;
      FreeFrom = nullptr;
      Free(box);
    }
  }
  void Changed(TObject*) { Note("change"); }
  void ValueChanged(TObject*) { Note("value"); }
  void Clicked(TObject*) { Note("click"); }
};
CL_IMPLEMENT_CLASS(TBoxRecorder)

class CheckBoxTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TBoxRecorder>();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    Free(Recorder);
  }
  // "Çoklu Tarife" at (10, 10), 150 wide; the mark sits at its left.
  TvlCheckBox* AddBox() {
    TvlCheckBox* b = New<TvlCheckBox>(static_cast<TComponent*>(Form));
    b->SetBounds(10, 10, 150, 21);
    b->SetCaption(u"Çoklu Tarife");
    b->SetParent(Form);
    Hook(b);
    Pump();
    return b;
  }
  void Hook(TvlCustomCheckBox* b) {
    b->Properties()->SetOnChange(TNotifyEvent(Recorder, &TBoxRecorder::Changed));
    b->Properties()->SetOnEditValueChanged(TNotifyEvent(Recorder, &TBoxRecorder::ValueChanged));
    b->SetOnClick(TNotifyEvent(Recorder, &TBoxRecorder::Clicked));
  }
  // A press and release on the mark.
  void ClickMark(TvlCustomCheckBox* b) {
    const TRect r = b->ViewInfo()->CheckBoxRect;
    MoveTo(b, r.Left + 5, r.Top + 5);
    ClickAt(b, r.Left + 5, r.Top + 5);
  }
  void PressSpace() {
    Display.KeyDown(win::VK_SPACE);
    Pump();
    Display.KeyUp(win::VK_SPACE);
    Pump();
  }
  TBoxRecorder* Recorder{};
};

TEST_F(CheckBoxTest, AClickOnTheMarkTogglesOnceWithOneClickEvent) {
  TvlCheckBox* b = AddBox();
  ClickMark(b);
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(b->EditValue(), Variant(true));
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"click", "change", "value"}));
  ClickMark(b);
  EXPECT_EQ(b->State(), cbsUnchecked);
  EXPECT_EQ(Recorder->Events.size(), 6u);
}

TEST_F(CheckBoxTest, TheMarkLooksHotPressedAndNormalWithTheMouse) {
  TvlCheckBox* b = AddBox();
  const TRect r = b->ViewInfo()->CheckBoxRect;
  MoveTo(b, r.Left + 5, r.Top + 5);
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsHot);
  const TPoint p = At(b, r.Left + 5, r.Top + 5);
  Display.MouseDown(p.X, p.Y);
  Pump();
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsPressed);
  MoveTo(b, 140, 30);  // out of the control, still held
  const TPoint out = At(b, 140, 30);
  Display.MouseUp(out.X, out.Y);
  Pump();
  EXPECT_FALSE(b->Checked()) << "released outside: no toggle";
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsNormal);
}

TEST_F(CheckBoxTest, SpacePressesTheMarkAndTogglesOnRelease) {
  TvlCheckBox* b = AddBox();
  b->SetFocus();
  Pump();
  Display.KeyDown(win::VK_SPACE);
  Pump();
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsPressed);
  EXPECT_FALSE(b->Checked());
  Display.KeyUp(win::VK_SPACE);
  Pump();
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsNormal);
  EXPECT_TRUE(b->EditModified());
}

TEST_F(CheckBoxTest, ToggleCyclesWithAndWithoutGrayed) {
  TvlCheckBox* b = AddBox();
  b->SetFocus();
  Pump();
  std::vector<TvlCheckBoxState> seen;
  for (int i = 0; i < 3; ++i) {
    PressSpace();
    seen.push_back(b->State());
  }
  EXPECT_EQ(seen, (std::vector<TvlCheckBoxState>{cbsChecked, cbsUnchecked, cbsChecked}));
  b->Properties()->SetAllowGrayed(true);
  b->SetState(cbsUnchecked);
  seen.clear();
  for (int i = 0; i < 3; ++i) {
    PressSpace();
    seen.push_back(b->State());
  }
  EXPECT_EQ(seen, (std::vector<TvlCheckBoxState>{cbsGrayed, cbsChecked, cbsUnchecked}));
}

TEST_F(CheckBoxTest, AReadOnlyOrDisabledBoxDoesNotToggleButCodeStillSetsIt) {
  for (bool disabled : {false, true}) {
    SCOPED_TRACE(disabled);
    TvlCheckBox* b = AddBox();
    if (disabled)
      b->SetEnabledProp(false);
    else
      b->Properties()->SetReadOnly(true);
    Pump();
    if (!disabled) {
      b->SetFocus();
      Pump();
      PressSpace();
    }
    ClickMark(b);
    EXPECT_FALSE(b->Checked());
    EXPECT_EQ(b->ViewInfo()->CheckBoxState, disabled ? ecsDisabled : ecsHot);
    b->SetChecked(true);
    EXPECT_TRUE(b->Checked());
    Free(b);
    Recorder->Events.clear();
  }
}

TEST_F(CheckBoxTest, ABoxFreedFromItsOwnHandlersStopsThere) {
  for (const char* on : {"change", "click", "value"}) {
    SCOPED_TRACE(on);
    TvlCheckBox* b = AddBox();
    Recorder->FreeFrom = b;
    Recorder->FreeOn = on;
    b->SetFocus();
    Pump();
    PressSpace();
    EXPECT_EQ(Recorder->FreeFrom, nullptr) << "freed";
    Recorder->Events.clear();
    TvlCheckBox* c = AddBox();
    Recorder->FreeFrom = c;
    c->SetChecked(true);
    EXPECT_EQ(Recorder->FreeFrom, nullptr);
    Recorder->Events.clear();
  }
}

// Values of each type: the state is checked or unchecked only for an exact
// match of the two values; anything else (Null, another string) is grayed.
TEST_F(CheckBoxTest, CheckValuesOfEveryType) {
  struct Case {
    Variant Checked, Unchecked, Value;
    TvlCheckBoxState State;
  };
  const Case cases[] = {
      {Variant(true), Variant(false), Variant(true), cbsChecked},
      {Variant(true), Variant(false), Null(), cbsGrayed},
      {Variant(1), Variant(0), Variant(0), cbsUnchecked},
      {Variant(1), Variant(0), Variant(7), cbsGrayed},
      {Variant(u"E"), Variant(u"H"), Variant(u"E"), cbsChecked},
      {Variant(u"E"), Variant(u"H"), Variant(u"X"), cbsGrayed},
  };
  TvlCheckBox* b = AddBox();
  for (const Case& c : cases) {
    b->Properties()->SetValueChecked(Variant(u"tmp1"));
    b->Properties()->SetValueUnchecked(Variant(u"tmp2"));
    b->Properties()->SetValueChecked(c.Checked);
    b->Properties()->SetValueUnchecked(c.Unchecked);
    b->SetEditValue(c.Value);
    EXPECT_EQ(b->State(), c.State) << (&c - cases);
    EXPECT_EQ(b->Checked(), c.State == cbsChecked);
  }
  b->SetChecked(false);
  EXPECT_EQ(b->EditValue(), Variant(u"H"));
  b->SetChecked(true);
  EXPECT_EQ(b->EditValue(), Variant(u"E"));
}

TEST_F(CheckBoxTest, CheckValuesRefuseNullAndClashes) {
  TvlCheckBox* b = AddBox();
  TvlCheckBoxProperties* p = static_cast<TvlCheckBoxProperties*>(b->Properties());
  p->SetValueChecked(Null());
  p->SetValueChecked(Variant(false));  // the unchecked value
  EXPECT_EQ(p->ValueChecked(), Variant(true));
  p->SetValueGrayed(Variant(u"?"));
  EXPECT_EQ(p->ValueGrayed(), Variant(u"?"));
  p->SetValueGrayed(Null());
  EXPECT_TRUE(VarIsNull(p->ValueGrayed()));
  Variant v = Variant(1);
  EXPECT_FALSE(p->IsEditValueValid(v, false)) << "1 is not exactly True";
  v = Variant(true);
  EXPECT_TRUE(p->IsEditValueValid(v, false));
  EXPECT_EQ(p->GetDisplayText(Variant(true)), u"True");
  EXPECT_EQ(p->GetDisplayText(Variant(false)), u"False");
}

// The program's form streams State = cbsChecked: it applies in Loaded.
TEST_F(CheckBoxTest, TheStreamedStateIsAppliedInLoaded) {
  const char* const text =
      "object F: TForm\n"
      "  object C: TvlCheckBox\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "    Caption = 'Coklu Tarife'\n"
      "    State = cbsChecked\n"
      "  end\n"
      "end\n";
  TForm* f = NewFormFromText(RawByteString(text));
  Finally freeForm([&] { Free(f); });
  TvlCheckBox* c = dynamic_cast<TvlCheckBox*>(f->FindComponent(u"C"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->State(), cbsChecked);
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(c->Caption(), u"Coklu Tarife");
}

// Without double clicks the second press of a quick pair is a press like
// the first: two toggles.
TEST_F(CheckBoxTest, AQuickDoubleClickTogglesTwice) {
  TvlCheckBox* b = AddBox();
  const TRect r = b->ViewInfo()->CheckBoxRect;
  MoveTo(b, r.Left + 5, r.Top + 5);
  const TPoint p = At(b, r.Left + 5, r.Top + 5);
  Display.DoubleClick(p.X, p.Y);
  Pump();
  EXPECT_EQ(b->State(), cbsUnchecked);
  EXPECT_EQ(Recorder->Events,
            (std::vector<std::string>{"click", "change", "value", "click", "change", "value"}));
}

// The mouse and Space together give one toggle, whichever comes first.
TEST_F(CheckBoxTest, SpaceAndTheMouseTogetherToggleOnce) {
  for (bool spaceFirst : {true, false}) {
    SCOPED_TRACE(spaceFirst);
    TvlCheckBox* b = AddBox();
    b->SetFocus();
    Pump();
    const TRect r = b->ViewInfo()->CheckBoxRect;
    MoveTo(b, r.Left + 5, r.Top + 5);
    const TPoint p = At(b, r.Left + 5, r.Top + 5);
    if (spaceFirst) {
      Display.KeyDown(win::VK_SPACE);
      Pump();
    }
    Display.MouseDown(p.X, p.Y);
    Pump();
    if (!spaceFirst) {
      Display.KeyDown(win::VK_SPACE);
      Pump();
      Display.KeyUp(win::VK_SPACE);
      Pump();
    }
    Display.MouseUp(p.X, p.Y);
    Pump();
    if (spaceFirst) {
      Display.KeyUp(win::VK_SPACE);
      Pump();
    }
    EXPECT_TRUE(b->Checked());
    EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsHot);
    Free(b);
    Recorder->Events.clear();
  }
}

// The caption's accelerator focuses and toggles the box; a handler of the
// toggle may free it.
TEST_F(CheckBoxTest, TheAcceleratorTogglesAndMayFreeTheBox) {
  for (const char* on : {"", "value", "click"}) {
    SCOPED_TRACE(on);
    TvlCheckBox* b = AddBox();
    b->SetCaption(u"Çoklu &Tarife");
    Pump();
    Recorder->FreeFrom = *on ? b : nullptr;
    Recorder->FreeOn = on;
    Display.KeyDown(win::VK_MENU);
    Display.KeyDown('T');
    Pump();
    Display.KeyUp('T');
    Display.KeyUp(win::VK_MENU);
    Pump();
    if (*on) {
      EXPECT_EQ(Recorder->FreeFrom, nullptr) << "freed";
    } else {
      EXPECT_TRUE(b->Focused());
      EXPECT_TRUE(b->Checked());
      Free(b);
    }
    Recorder->Events.clear();
  }
}

// Space pressed, then the user clicks another field: the box does not
// toggle when the mouse comes back over it later.
TEST_F(CheckBoxTest, SpaceHeldWhenTheFocusLeavesDoesNotToggleLater) {
  TvlCheckBox* b = AddBox();
  TvlCheckBox* other = AddBox();
  other->SetTop(60);
  b->SetFocus();
  Pump();
  const TRect r = b->ViewInfo()->CheckBoxRect;
  MoveTo(b, r.Left + 5, r.Top + 5);
  Display.KeyDown(win::VK_SPACE);
  Pump();
  MoveTo(b, r.Left + 6, r.Top + 6);
  ASSERT_EQ(b->ViewInfo()->CheckBoxState, ecsPressed);
  // A click on the other box's caption takes the focus there.
  ClickAt(other, 100, 10);
  ASSERT_TRUE(other->Focused());
  Display.KeyUp(win::VK_SPACE);
  Pump();
  MoveTo(b, r.Left + 5, r.Top + 5);
  MoveTo(b, r.Left + 6, r.Top + 6);
  EXPECT_FALSE(b->Checked());
  EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsHot);
}

// Disabled while Space or the mouse holds the mark: nothing toggles, and
// once enabled again the box answers the mouse at once.
TEST_F(CheckBoxTest, DisabledWhilePressedDoesNotStickPressed) {
  for (bool bySpace : {true, false}) {
    SCOPED_TRACE(bySpace);
    TvlCheckBox* b = AddBox();
    b->SetFocus();
    Pump();
    const TRect r = b->ViewInfo()->CheckBoxRect;
    MoveTo(b, r.Left + 5, r.Top + 5);
    const TPoint p = At(b, r.Left + 5, r.Top + 5);
    if (bySpace)
      Display.KeyDown(win::VK_SPACE);
    else
      Display.MouseDown(p.X, p.Y);
    Pump();
    ASSERT_EQ(b->ViewInfo()->CheckBoxState, ecsPressed);
    b->SetEnabledProp(false);
    Pump();
    EXPECT_EQ(b->ViewInfo()->CheckBoxState, ecsDisabled);
    if (bySpace)
      Display.KeyUp(win::VK_SPACE);
    else
      Display.MouseUp(p.X, p.Y);
    Pump();
    EXPECT_FALSE(b->Checked());
    b->SetEnabledProp(true);
    Pump();
    EXPECT_FALSE(b->IsCheckPressed());
    ClickMark(b);
    EXPECT_TRUE(b->Checked()) << "a click after enabling toggles";
    Free(b);
    Recorder->Events.clear();
  }
}

// A new value that the state mapping would read as another state is
// refused: otherwise the box could never show that state.
TEST_F(CheckBoxTest, CheckValuesThatReadAsAnotherStateAreRefused) {
  struct Case {
    const char* Name;
    Variant Checked, Unchecked;  // set first (they do not collide)
    int Slot;                    // 0 checked, 1 grayed, 2 unchecked
    Variant Clash;
  };
  const Case cases[] = {
      {"text False as checked", Variant(true), Variant(false), 0, Variant(u"False")},
      {"text True as unchecked", Variant(true), Variant(false), 2, Variant(u"True")},
      {"text True as grayed", Variant(true), Variant(false), 1, Variant(u"True")},
      {"0.0 beside 0", Variant(1), Variant(0), 0, Variant(0.0)},
      {"Int64 1 beside 1", Variant(1), Variant(0), 2, Variant(Int64(1))},
  };
  TvlCheckBox* b = AddBox();
  TvlCheckBoxProperties* p = static_cast<TvlCheckBoxProperties*>(b->Properties());
  p->SetAllowGrayed(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    p->SetValueChecked(Variant(u"tmp1"));
    p->SetValueUnchecked(Variant(u"tmp2"));
    p->SetValueGrayed(Null());
    p->SetValueChecked(c.Checked);
    p->SetValueUnchecked(c.Unchecked);
    if (c.Slot == 0) p->SetValueChecked(c.Clash);
    if (c.Slot == 1) p->SetValueGrayed(c.Clash);
    if (c.Slot == 2) p->SetValueUnchecked(c.Clash);
    // Every state can be set and reads back.
    for (TvlCheckBoxState s : {cbsChecked, cbsGrayed, cbsUnchecked}) {
      b->SetState(s);
      EXPECT_EQ(b->State(), s) << int(s);
    }
  }
  // Replacing a value by one equal to it but of another type is taken.
  p->SetValueChecked(Variant(Int64(1)));
  EXPECT_EQ(VarType(p->ValueChecked()), varInt64);
  // Assign keeps its own values when two of the source's read alike.
  TvlCheckBoxProperties* src = New<TvlCheckBoxProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeSrc([&] { Free(src); });
  src->SetValueChecked(Variant(u"False"));  // taken: no owner, the source may clash
  p->Assign(src);
  b->SetChecked(false);
  EXPECT_EQ(b->State(), cbsUnchecked);
}

// The program's form file read under either locale: the state, the
// values and the null style come through.
TEST_F(CheckBoxTest, TheStreamedBoxReadsAlikeUnderEitherLocale) {
  const char* const text =
      "object F: TForm\n"
      "  object C: TvlCheckBox\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "    Caption = 'Coklu Tarife'\n"
      "    Properties.AllowGrayed = True\n"
      "    Properties.NullStyle = nssInactive\n"
      "    Properties.ValueChecked = 'EVET'\n"
      "    Properties.ValueGrayed = 1.5\n"
      "    Properties.ValueUnchecked = 'HAYIR'\n"
      "    State = cbsGrayed\n"
      "  end\n"
      "end\n";
  for (TSystemLocale locale : {TSystemLocale::EnglishUS, TSystemLocale::Turkish}) {
    SCOPED_TRACE(int(locale));
    SetSystemLocale(locale);
    TForm* f = NewFormFromText(RawByteString(text));
    Finally freeForm([&] { Free(f); });
    TvlCheckBox* c = dynamic_cast<TvlCheckBox*>(f->FindComponent(u"C"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->State(), cbsGrayed);
    EXPECT_EQ(c->EditValue(), Variant(1.5));
    EXPECT_EQ(c->Properties()->NullStyle(), nssInactive);
    c->SetChecked(true);
    EXPECT_EQ(c->EditValue(), Variant(u"EVET"));
  }
  SetSystemLocale(TSystemLocale::Turkish);
}

TEST(CheckGlyphTest, StripCells) {
  struct Case {
    TvlCheckBoxState State;
    TvlEditCheckState Look;
    bool Grayed;
    int Count, Index;
  };
  const Case cases[] = {
      {cbsChecked, ecsPressed, false, 6, 4},   {cbsGrayed, ecsNormal, false, 6, 2},
      {cbsChecked, ecsPressed, false, 4, 3},   {cbsGrayed, ecsNormal, false, 4, 2},
      {cbsChecked, ecsPressed, false, 3, 1},   {cbsUnchecked, ecsPressed, true, 4, 3},
      {cbsChecked, ecsHot, false, 2, 1},       {cbsChecked, ecsPressed, false, 2, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vlCheckGlyphImageIndex(c.State, c.Look, c.Grayed, c.Count), c.Index)
        << int(c.State) << " " << int(c.Look) << " " << c.Count;
  EXPECT_EQ(vlCheckGlyphBorderOffset(ebsNone, false, false, nullptr), 2);
  EXPECT_EQ(vlCheckGlyphBorderOffset(ebsUltraFlat, false, false, nullptr), 1);
  EXPECT_EQ(vlCheckGlyphBorderOffset(ebs3D, false, false, nullptr), 0);
  EXPECT_EQ(vlCheckGlyphBorderOffset(ebsNone, true, false, nullptr), 0);
  EXPECT_EQ(vlCheckBoxThemeState(cbsGrayed, ecsDisabled), 12);
}

// nssUnchecked draws a grayed box exactly like an unchecked one.
TEST(CheckGlyphTest, UncheckedNullStyleDrawsGrayedAsUnchecked) {
  for (TvlEditBorderStyle border : {ebsSingle, ebs3D, ebsUltraFlat}) {
    TBitmap* a = New<TBitmap>();
    TBitmap* b = New<TBitmap>();
    Finally freed([&] {
      Free(a);
      Free(b);
    });
    for (TBitmap* bmp : {a, b}) {
      bmp->SetPixelFormat(pf32bit);
      bmp->SetSize(13, 13);
      TvlCanvas* c = New<TvlCanvas>(bmp->Canvas());
      vlPaintCheckGlyph(c, TRect{0, 0, 13, 13}, bmp == a ? cbsGrayed : cbsUnchecked, nssUnchecked, nullptr, false,
                        false, false, true, clWindow, clBlack, false, border, 0, nullptr, ecsNormal);
      Free(c);
    }
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_EQ(a->Canvas()->Pixels(x, y), b->Canvas()->Pixels(x, y));
  }
}

// --- Check states of item lists ----------------------------------------------------------------------

TvlCaptionItems* MakeItems(std::initializer_list<const char16_t*> ACaptions) {
  TvlCaptionItems* items = NewBy<TvlCaptionItems>(&TOwnedCollection::Create, static_cast<TPersistent*>(nullptr), TCollectionItemClass(ClassOf<TvlCaptionItem>()));
  for (const char16_t* c : ACaptions) items->Add()->SetCaption(c);
  return items;
}

TEST(CheckStatesTest, EachFormatRoundTrips) {
  TvlCaptionItems* items = MakeItems({u"a;b", u"c:d", u"Kontör", u"x"});
  Finally freed([&] { Free(items); });
  const TvlCheckStates states{cbsChecked, cbsGrayed, cbsUnchecked, cbsChecked};
  struct Case {
    TvlCheckStatesValueFormat Format;
    Variant Expected;
    TvlCheckStates Back;
  };
  const Case cases[] = {
      {cvfCaptions, Variant(u"3:c:d;3:a;b1:x"), states},
      {cvfIndices, Variant(u"1;0,3"), states},
      {cvfInteger, Variant(Int64(9)), {cbsChecked, cbsUnchecked, cbsUnchecked, cbsChecked}},
      {cvfStatesString, Variant(u"1201"), states},
  };
  for (const Case& c : cases) {
    const Variant v = vlCheckStatesToEditValue(states, items, c.Format);
    EXPECT_EQ(v, c.Expected) << int(c.Format);
    TvlCheckStates back;
    EXPECT_TRUE(vlEditValueToCheckStates(v, items, c.Format, back));
    EXPECT_EQ(back, c.Back) << int(c.Format);
  }
  EXPECT_TRUE(VarIsEmpty(vlCheckStatesToEditValue(states, items, cvfCustom)));
}

TEST(CheckStatesTest, BadValuesFailAndLeaveAllUnchecked) {
  TvlCaptionItems* items = MakeItems({u"a", u"b", u"c"});
  Finally freed([&] { Free(items); });
  const TvlCheckStates none(3, cbsUnchecked);
  struct Case {
    TvlCheckStatesValueFormat Format;
    Variant Value;
    bool Ok;
    TvlCheckStates States;
  };
  const Case cases[] = {
      {cvfStatesString, Variant(u"12"), true, {cbsChecked, cbsGrayed, cbsUnchecked}},
      {cvfStatesString, Variant(u"13"), false, none},
      {cvfIndices, Variant(u"1;"), false, none},
      {cvfIndices, Variant(u"3"), false, none},
      {cvfIndices, Variant(u";2"), true, {cbsUnchecked, cbsUnchecked, cbsChecked}},
      {cvfIndices, Variant(u"0,,1"), false, none},
      {cvfCaptions, Variant(u";1:b"), true, {cbsUnchecked, cbsChecked, cbsUnchecked}},
      {cvfCaptions, Variant(u"1:z"), false, none},
      {cvfCaptions, Variant(u"5:ab"), false, none},
      {cvfCaptions, Variant(u"1a"), false, none},
      {cvfCaptions, Variant(u"12"), false, none},
      {cvfCaptions, Variant(u"99999999999:a"), false, none},
      {cvfCaptions, Variant(7), false, none},
      {cvfCaptions, Null(), true, none},
      {cvfInteger, Variant(u"zz"), false, none},
      {cvfInteger, Variant(u"5"), true, {cbsChecked, cbsUnchecked, cbsChecked}},
      {cvfInteger, Null(), true, none},
  };
  for (const Case& c : cases) {
    TvlCheckStates s;
    EXPECT_EQ(vlEditValueToCheckStates(c.Value, items, c.Format, s), c.Ok) << (&c - cases);
    EXPECT_EQ(s, c.States) << (&c - cases);
  }
}

TEST(CheckStatesTest, IntegerFormatKeepsOnlySixtyFourItems) {
  TvlCaptionItems* items = NewBy<TvlCaptionItems>(&TOwnedCollection::Create, static_cast<TPersistent*>(nullptr), TCollectionItemClass(ClassOf<TvlCaptionItem>()));
  Finally freed([&] { Free(items); });
  for (int i = 0; i < 70; ++i) items->Add()->SetCaption(IntToStr(i));
  TvlCheckStates all(70, cbsChecked);
  const Variant v = vlCheckStatesToEditValue(all, items, cvfInteger);
  EXPECT_EQ(v.AsInt64(), Int64(-1));
  TvlCheckStates back;
  ASSERT_TRUE(vlEditValueToCheckStates(v, items, cvfInteger, back));
  EXPECT_EQ(back[63], cbsChecked);
  EXPECT_EQ(back[64], cbsUnchecked);
  EXPECT_EQ(back[69], cbsUnchecked);
}

TEST(CheckStatesTest, SortedItemsOrderByCaptionIgnoringCase) {
  TvlCaptionItems* items = MakeItems({u"b", u"C", u"a"});
  Finally freed([&] { Free(items); });
  items->SetSorted(true);
  EXPECT_EQ(items->GetCaption(0), u"a");
  EXPECT_EQ(items->GetCaption(1), u"b");
  EXPECT_EQ(items->GetCaption(2), u"C");
  items->Items(0)->SetCaption(u"z");
  EXPECT_EQ(items->GetCaption(2), u"z");
}

// The filter builder edits a check box column in a fixed list of its checked
// and unchecked display texts; the item index maps to the values and the
// value's state back to the index (grayed and unknown values: no item).
TEST(CheckBoxFilterTest, HelperListsTheTwoStatesAndMapsTheIndex) {
  EXPECT_EQ(vlFilterEditsController()->FindHelper(ClassOf<TvlCheckBoxProperties>()),
            ClassOf<TvlFilterCheckBoxHelper>());
  TvlCheckBoxProperties* column = New<TvlCheckBoxProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeColumn([&] { Free(column); });
  column->SetValueChecked(Variant(u"E"));
  column->SetValueUnchecked(Variant(u"H"));
  column->SetValueGrayed(Variant(u"?"));
  column->SetDisplayChecked(u"Evet");
  column->SetDisplayUnchecked(u"Hay\u0131r");
  TvlCustomFilterEditHelperClass helper = ClassOf<TvlFilterCheckBoxHelper>();
  EXPECT_TRUE(helper->UseDisplayValue());
  for (Boolean extended : {false, true}) {
    const TvlFilterControlOperators ops = helper->GetSupportedFilterOperators(column, nullptr, extended);
    for (TvlFilterControlOperator o : {fcoEqual, fcoNotEqual, fcoBlanks, fcoNonBlanks}) EXPECT_TRUE(ops.Contains(o));
    for (TvlFilterControlOperator o : {fcoInList, fcoNotInList, fcoLess, fcoLike, fcoBetween})
      EXPECT_FALSE(ops.Contains(o));
  }
  TvlCustomEdit* edit = helper->GetFilterEdit(column);
  Finally freeEdit([&] { Free(edit); });
  auto* combo = dynamic_cast<TvlComboBox*>(edit);
  ASSERT_NE(combo, nullptr);
  TStrings* items = combo->Properties()->Items();
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(items->Strings(0), u"Evet");
  EXPECT_EQ(items->Strings(1), u"Hay\u0131r");
  EXPECT_EQ(combo->Properties()->DropDownListStyle(), lsFixedList);
  struct Case {
    Variant Value;
    int Index;
    Variant Back;
    const char16_t* Text;
  };
  const Case cases[] = {{Variant(u"E"), 0, Variant(u"E"), u"Evet"},
                        {Variant(u"H"), 1, Variant(u"H"), u"Hay\u0131r"},
                        {Variant(u"?"), -1, Null(), u""},
                        {Variant(u"x"), -1, Null(), u""},
                        {Null(), -1, Null(), u""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    helper->SetFilterValue(edit, column, c.Value);
    EXPECT_EQ(combo->ItemIndex(), c.Index);
    Variant v = Variant(u"stale");
    String s = u"stale";
    helper->GetFilterValue(edit, column, v, s);
    EXPECT_TRUE(vlEditValuesEqual(v, c.Back));
    EXPECT_EQ(s, c.Text);
  }
}

}  // namespace
