// The check list box driven with real mouse and keys on the headless screen:
// toggling on release over the same check, Space, disabled items, the edit
// value in its formats, the 64-item limit of the integer format, and the
// binding of the value (or the selected text) to a data set's field.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/editors/vlCheckListBox.h"
#include "lib/editors/vlExtEditConsts.h"
#include "lib/foundation/nbCore.h"
#include "platform/db/MemData.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Variants.h"
#include "platform/win/Windows.h"
#include "tests/lib/editors/FieldBinding.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

namespace {

using namespace win;

class TBoundCheckListBox : public TvlCheckListBox {
  CL_CLASS(TBoundCheckListBox, TvlCheckListBox)
 public:
  TClassOf<TvlCustomDataBinding> GetDataBindingClass() override { return ClassOf<TTestFieldBinding>(); }
  TTestFieldBinding* Binding() { return static_cast<TTestFieldBinding*>(DataBinding()); }
};

// Records the clicks on checks and the value changes.
struct TCheckRecorder : public TObject {
  CL_CLASS(TCheckRecorder, TObject)
 public:
  std::vector<std::string> Events;
  void ClickCheck(TObject*, Integer AIndex, TvlCheckBoxState APrev, TvlCheckBoxState ANew) {
    Events.push_back("check " + std::to_string(AIndex) + ": " + std::to_string(Integer(APrev)) + ">" +
                     std::to_string(Integer(ANew)));
  }
  void ValueChanged(TObject*) { Events.push_back("value"); }
};

}  // namespace

CL_IMPLEMENT_CLASS(TBoundCheckListBox)
CL_IMPLEMENT_CLASS(TCheckRecorder)

namespace {

class CheckListBoxTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Recorder = New<TCheckRecorder>();
  }
  void TearDown() override {
    ControlFixture::TearDown();
    Free(Recorder);
  }
  template <class T = TvlCheckListBox>
  T* AddBox(Integer ACount = 4, int Top = 10) {
    T* box = Add<T>(10, Top, 160, 120);
    for (Integer i = 0; i < ACount; ++i) box->AddItem(u"Tarife " + IntToStr(i + 1));
    box->SetOnClickCheck(TvlClickCheckEvent(Recorder, &TCheckRecorder::ClickCheck));
    Pump();
    return box;
  }
  // The centre of an item's check, in the box's coordinates.
  TPoint CheckCentre(TvlCustomCheckListBox* ABox, Integer AIndex) {
    TvlCustomInnerCheckListBox* inner = ABox->InnerCheckListBox();
    const TRect r = inner->GetCheckRect(inner->ItemRect(AIndex), false);
    return TPoint{inner->Left() + (r.Left + r.Right) / 2, inner->Top() + (r.Top + r.Bottom) / 2};
  }
  // Each click waits out the double-click time first, so that two clicks
  // in a row stay two clicks.
  void ClickCheck(TvlCustomCheckListBox* ABox, Integer AIndex) {
    Wait(600);
    const TPoint p = CheckCentre(ABox, AIndex);
    MoveTo(ABox, p.X, p.Y);
    ClickAt(ABox, p.X, p.Y);
  }
  void ClickText(TvlCustomCheckListBox* ABox, Integer AIndex) {
    Wait(600);
    const TRect r = ABox->ItemRect(AIndex);
    ClickAt(ABox, r.Right - 20, (r.Top + r.Bottom) / 2);
  }
  void Press(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  static std::vector<TvlCheckBoxState> States(TvlCustomCheckListBox* ABox) {
    std::vector<TvlCheckBoxState> states;
    for (Integer i = 0; i < ABox->Items()->Count(); ++i) states.push_back(ABox->Items()->Items(i)->State());
    return states;
  }

  TCheckRecorder* Recorder{};
};

TEST_F(CheckListBoxTest, ANewBoxHoldsZeroAsAnIntegerAndShowsChecks) {
  TvlCheckListBox* box = New<TvlCheckListBox>(static_cast<TComponent*>(Form));
  EXPECT_EQ(VarType(box->EditValue()), varInt64);
  EXPECT_EQ(box->EditValue().AsInteger(), 0);
  EXPECT_EQ(box->EditValueFormat(), cvfInteger);
  EXPECT_EQ(box->Width(), 121);
  EXPECT_EQ(box->Height(), 97);
  EXPECT_TRUE(box->ShowChecks());
  EXPECT_FALSE(box->IsModified());
}

TEST_F(CheckListBoxTest, AClickTogglesOnReleaseOverTheSameCheckOnly) {
  TvlCheckListBox* box = AddBox();
  const TPoint p = CheckCentre(box, 1);
  MoveTo(box, p.X, p.Y);
  EXPECT_EQ(box->InnerCheckListBox()->HotCheckIndex(), 1);
  const TPoint s = At(box, p.X, p.Y);
  Display.MouseDown(s.X, s.Y);
  Pump();
  EXPECT_EQ(box->InnerCheckListBox()->PressedCheckIndex(), 1);
  EXPECT_EQ(box->Items()->Items(1)->State(), cbsUnchecked);
  // Away from the check the press is no longer drawn; released there, nothing changes.
  const TPoint t = At(box, p.X + 60, p.Y);
  Display.MouseMove(t.X, t.Y);
  Pump();
  EXPECT_EQ(box->InnerCheckListBox()->PressedCheckIndex(), -1);
  Display.MouseUp(t.X, t.Y);
  Pump();
  EXPECT_EQ(box->Items()->Items(1)->State(), cbsUnchecked);
  EXPECT_TRUE(Recorder->Events.empty());

  // Back over the check before the release: it toggles.
  Wait(600);
  Display.MouseDown(s.X, s.Y);
  Pump();
  Display.MouseMove(t.X, t.Y);
  Pump();
  Display.MouseMove(s.X, s.Y);
  Pump();
  Display.MouseUp(s.X, s.Y);
  Pump();
  EXPECT_EQ(box->Items()->Items(1)->State(), cbsChecked);
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"check 1: 0>1"}));
  EXPECT_EQ(box->EditValue().AsInteger(), 2);
  EXPECT_TRUE(box->IsModified());
}

TEST_F(CheckListBoxTest, ChecksCycleThroughGrayedOnlyWhereTheFormatHoldsIt) {
  struct TCase {
    const char* Name;
    TvlCheckStatesValueFormat Format;
    std::vector<TvlCheckBoxState> Cycle;
  };
  const TCase cases[] = {
      {"states string", cvfStatesString, {cbsGrayed, cbsChecked, cbsUnchecked}},
      {"integer", cvfInteger, {cbsChecked, cbsUnchecked, cbsChecked}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TvlCheckListBox* box = AddBox();
    box->SetAllowGrayed(true);
    box->SetEditValueFormat(c.Format);
    for (TvlCheckBoxState expected : c.Cycle) {
      ClickCheck(box, 0);
      EXPECT_EQ(box->Items()->Items(0)->State(), expected);
    }
    Free(box);
  }
  TvlCheckListBox* box = AddBox();
  box->Items()->Items(2)->SetState(cbsGrayed);
  EXPECT_EQ(box->Items()->Items(2)->State(), cbsUnchecked);
}

TEST_F(CheckListBoxTest, ItemsChangedUnderAHeldCheckToggleNothingOnRelease) {
  struct TCase {
    const char* Name;
    std::function<void(TvlCheckListBox*)> Change;
  };
  const TCase cases[] = {
      {"an item above deleted", [](TvlCheckListBox* b) { b->Items()->Delete(0); }},
      {"the items replaced",
       [](TvlCheckListBox* b) {
         b->Clear();
         for (Integer i = 0; i < 4; ++i) b->AddItem(u"Yeni " + IntToStr(i));
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Wait(600);
    TvlCheckListBox* box = AddBox();
    Recorder->Events.clear();
    const TPoint p = CheckCentre(box, 2);
    MoveTo(box, p.X, p.Y);
    const TPoint s = At(box, p.X, p.Y);
    Display.MouseDown(s.X, s.Y);
    Pump();
    ASSERT_EQ(box->InnerCheckListBox()->PressedCheckIndex(), 2);
    c.Change(box);
    Pump();
    EXPECT_EQ(box->InnerCheckListBox()->PressedCheckIndex(), -1);
    Display.MouseUp(s.X, s.Y);
    Pump();
    EXPECT_EQ(States(box), std::vector<TvlCheckBoxState>(size_t(box->Items()->Count()), cbsUnchecked));
    EXPECT_TRUE(Recorder->Events.empty());
    Free(box);
  }
}

TEST_F(CheckListBoxTest, SpaceAndDoubleClicksToggleButNeverADisabledItem) {
  TvlCheckListBox* box = AddBox();
  box->Items()->Items(2)->SetEnabled(false);
  ClickText(box, 1);
  Press(VK_SPACE);
  EXPECT_EQ(box->Items()->Items(1)->State(), cbsChecked);
  Press(VK_SPACE);
  EXPECT_EQ(box->Items()->Items(1)->State(), cbsUnchecked);

  ClickText(box, 2);
  EXPECT_EQ(box->ItemIndex(), 2);
  Press(VK_SPACE);
  ClickCheck(box, 2);
  Wait(600);
  const TPoint d = At(box, box->ItemRect(2).Right - 20, box->ItemRect(2).Top + 3);
  Display.DoubleClick(d.X, d.Y);
  Pump();
  EXPECT_EQ(box->Items()->Items(2)->State(), cbsUnchecked);
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"check 1: 0>1", "check 1: 1>0"}));

  // A double click on the text of an enabled item toggles it once more.
  Wait(600);
  const TPoint e = At(box, box->ItemRect(3).Right - 20, box->ItemRect(3).Top + 3);
  Display.DoubleClick(e.X, e.Y);
  Pump();
  EXPECT_EQ(box->Items()->Items(3)->State(), cbsChecked);
}

TEST_F(CheckListBoxTest, AnAutomaticDragModeTogglesOnThePress) {
  TvlCheckListBox* box = AddBox();
  box->SetDragModeProp(dmAutomatic);
  const TPoint p = At(box, CheckCentre(box, 0).X, CheckCentre(box, 0).Y);
  Display.MouseDown(p.X, p.Y);
  Pump();
  EXPECT_EQ(box->Items()->Items(0)->State(), cbsChecked);
  Display.MouseUp(p.X, p.Y);
  Pump();
  EXPECT_EQ(box->Items()->Items(0)->State(), cbsChecked);
}

TEST_F(CheckListBoxTest, TheSixtyFifthIntegerItemIsRefusedAndNothingChanges) {
  TvlCheckListBox* box = AddBox(64);
  box->Items()->Items(63)->SetChecked(true);
  const Variant before = box->EditValue();
  const String message = u"The number\u00A0of items cannot be greater than 64, if the EditValueFormat is cvfInteger";
  EXPECT_EQ(vlGetResourceStringText(vlSCheckControlIncorrectItemCount), message);
  try {
    box->AddItem(u"65");
    ADD_FAILURE() << "the 65th item was kept";
  } catch (const EnbException& E) {
    EXPECT_EQ(E.Message(), message);
  }
  EXPECT_EQ(box->Items()->Count(), 64);
  EXPECT_EQ(box->InnerCheckListBox()->Items()->Count(), 64);
  EXPECT_EQ(VarToStr(box->EditValue()), VarToStr(before));
  EXPECT_EQ(box->Items()->Items(63)->State(), cbsChecked);

  // Replacing the items by 65 keeps the old ones.
  TvlCheckListBox* other = AddBox(0, 140);
  other->SetEditValueFormat(cvfIndices);
  for (Integer i = 0; i < 65; ++i) other->AddItem(IntToStr(i));
  EXPECT_THROW(box->SetItems(other->Items()), EnbException);
  EXPECT_EQ(box->Items()->Count(), 64);
  EXPECT_EQ(box->Items()->Items(0)->Text(), u"Tarife 1");

  // And 65 items do not switch to the integer format.
  other->Items()->Items(3)->SetChecked(true);
  EXPECT_THROW(other->SetEditValueFormat(cvfInteger), EnbException);
  EXPECT_EQ(other->EditValueFormat(), cvfIndices);
  EXPECT_EQ(other->Items()->Items(3)->State(), cbsChecked);
}

TEST_F(CheckListBoxTest, SwitchingTheFormatReencodesChangedStatesAndRereadsAValue) {
  TvlCheckListBox* box = AddBox();
  box->SetAllowGrayed(true);
  box->SetEditValueFormat(cvfStatesString);
  ClickCheck(box, 0);  // grayed
  ClickCheck(box, 2);
  ClickCheck(box, 2);  // checked
  EXPECT_EQ(VarToStr(box->EditValue()), u"2010");
  box->SetEditValueFormat(cvfInteger);
  EXPECT_EQ(States(box), (std::vector<TvlCheckBoxState>{cbsUnchecked, cbsUnchecked, cbsChecked, cbsUnchecked}));
  EXPECT_EQ(box->EditValue().AsInteger(), 4);

  // A value set by code is read again in the new format.
  box->SetEditValue(Variant(u";2,3"));
  box->SetEditValueFormat(cvfIndices);
  EXPECT_FALSE(box->IsModified());
  EXPECT_EQ(States(box), (std::vector<TvlCheckBoxState>{cbsUnchecked, cbsUnchecked, cbsChecked, cbsChecked}));

  box->SetOnEditValueChanged(TNotifyEvent(Recorder, &TCheckRecorder::ValueChanged));
  Recorder->Events.clear();
  box->SetEditValue(Variant(u";2,3"));
  EXPECT_TRUE(Recorder->Events.empty());
  box->SetEditValue(Variant(u";0"));
  EXPECT_EQ(Recorder->Events, (std::vector<std::string>{"value"}));
  EXPECT_EQ(States(box), (std::vector<TvlCheckBoxState>{cbsChecked, cbsUnchecked, cbsUnchecked, cbsUnchecked}));
}

TEST_F(CheckListBoxTest, TheValueFollowsAndWritesTheBoundField) {
  Form->SetBounds(100, 100, 400, 300);
  TMemDataSet* meters = New<TMemDataSet>(static_cast<TComponent*>(Form));
  meters->FieldDefs()->Add(u"Flags", ftInteger);
  meters->Open();
  meters->AppendRecord({Variant(5)});
  meters->AppendRecord({Variant(2)});
  TDataSource* source = New<TDataSource>(static_cast<TComponent*>(Form));
  source->SetDataSet(meters);
  meters->First();
  TBoundCheckListBox* box = AddBox<TBoundCheckListBox>();
  TvlCheckListBox* other = AddBox(1, 140);
  box->Binding()->Bind(source, u"Flags");
  EXPECT_EQ(States(box), (std::vector<TvlCheckBoxState>{cbsChecked, cbsUnchecked, cbsChecked, cbsUnchecked}));
  meters->Next();
  EXPECT_EQ(States(box), (std::vector<TvlCheckBoxState>{cbsUnchecked, cbsChecked, cbsUnchecked, cbsUnchecked}));

  ClickText(box, 3);
  ClickCheck(box, 3);
  EXPECT_EQ(meters->State(), dsEdit);
  ClickText(other, 0);
  EXPECT_EQ(meters->FieldByName(u"Flags")->Value().AsInteger(), 10);
  meters->Post();

  // A read-only binding refuses the user's toggles while the box has the focus.
  box->SetReadOnly(true);
  ClickText(box, 0);
  Press(VK_SPACE);
  ClickCheck(box, 0);
  EXPECT_EQ(box->Items()->Items(0)->State(), cbsUnchecked);

  // Closed or freed: every check clears and nothing can be toggled.
  box->SetReadOnly(false);
  meters->Close();
  EXPECT_EQ(States(box), (std::vector<TvlCheckBoxState>(4, cbsUnchecked)));
  meters->Open();
  meters->Last();
  EXPECT_EQ(box->Items()->Items(1)->State(), cbsChecked);
  Free(meters);
  EXPECT_EQ(States(box), (std::vector<TvlCheckBoxState>(4, cbsUnchecked)));
  ClickCheck(box, 1);
  Press(VK_SPACE);
  EXPECT_EQ(States(box), (std::vector<TvlCheckBoxState>(4, cbsUnchecked)));
}

TEST_F(CheckListBoxTest, BadStoredValuesClearTheChecksInEveryFormat) {
  TMemDataSet* meters = New<TMemDataSet>(static_cast<TComponent*>(Form));
  meters->FieldDefs()->Add(u"Flags", ftString, 30);
  meters->Open();
  TDataSource* source = New<TDataSource>(static_cast<TComponent*>(Form));
  source->SetDataSet(meters);
  TBoundCheckListBox* box = AddBox<TBoundCheckListBox>();
  box->SetAllowGrayed(true);
  box->Binding()->Bind(source, u"Flags");
  const TvlCheckBoxState U = cbsUnchecked, C = cbsChecked, G = cbsGrayed;
  using V = std::vector<TvlCheckBoxState>;
  struct TCase {
    TvlCheckStatesValueFormat Format;
    const char16_t* Stored;
    V Expected;
  };
  const TCase cases[] = {
      {cvfInteger, u"5", V{C, U, C, U}},
      {cvfInteger, u"beş", V{U, U, U, U}},
      {cvfInteger, u"99999999999999999999", V{U, U, U, U}},
      {cvfInteger, u"2.5", V{U, U, U, U}},
      {cvfStatesString, u"12", V{C, G, U, U}},
      {cvfStatesString, u"1x21", V{U, U, U, U}},
      {cvfStatesString, u"-1", V{U, U, U, U}},
      {cvfIndices, u"1;0,3", V{C, G, U, C}},
      {cvfIndices, u";0,7", V{U, U, U, U}},
      {cvfIndices, u";-1", V{U, U, U, U}},
      {cvfIndices, u";99999999999999999999", V{U, U, U, U}},
      {cvfCaptions, u";8:Tarife 2", V{U, C, U, U}},
      {cvfCaptions, u";Tarife 2", V{U, U, U, U}},
      {cvfCaptions, u";9:Tarife 2", V{U, U, U, U}},
      {cvfCaptions, u";8:Tarife 9", V{U, U, U, U}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(Integer(&c - cases));
    box->SetEditValueFormat(c.Format);
    meters->AppendRecord({Variant(String(c.Stored))});
    EXPECT_EQ(States(box), c.Expected);
    EXPECT_FALSE(box->IsModified());
  }
  // A user toggle after an unreadable value writes a sound one.
  box->SetEditValueFormat(cvfStatesString);
  meters->AppendRecord({Variant(u"1x21")});
  ClickCheck(box, 3);
  EXPECT_EQ(VarToStr(box->EditValue()), u"0002");
}

TEST_F(CheckListBoxTest, WithoutChecksTheSelectedTextIsBoundAndReadOnlyKeepsIt) {
  TMemDataSet* meters = New<TMemDataSet>(static_cast<TComponent*>(Form));
  meters->FieldDefs()->Add(u"Tariff", ftString, 10);
  meters->Open();
  meters->AppendRecord({Variant(u"tarife 3")});
  TDataSource* source = New<TDataSource>(static_cast<TComponent*>(Form));
  source->SetDataSet(meters);
  TBoundCheckListBox* box = AddBox<TBoundCheckListBox>();
  box->SetShowChecks(false);
  box->Binding()->Bind(source, u"Tariff");
  EXPECT_EQ(box->ItemIndex(), 2);
  box->SetReadOnly(true);
  ClickText(box, 0);
  EXPECT_EQ(box->ItemIndex(), 2);
  Press(VK_DOWN);
  Press(VK_HOME);
  EXPECT_EQ(box->ItemIndex(), 2);
  EXPECT_EQ(box->CheckAtPos(CheckCentre(box, 0)), -1);
}

TEST_F(CheckListBoxTest, RowsFitTheTextAndCheckOfTheCurrentLook) {
  // A look chosen before the window exists: the new window's rows too.
  TvlCheckListBox* early = New<TvlCheckListBox>(static_cast<TComponent*>(Form));
  early->Style()->LookAndFeel()->SetNativeStyle(false);
  early->Style()->LookAndFeel()->SetKind(lfOffice11);
  early->AddItem(u"Gündüz");
  early->SetBounds(180, 10, 118, 96);
  early->SetParent(Form);
  Pump();
  EXPECT_EQ(early->InnerCheckListBox()->ItemRect(0).Height(),
            early->InnerCheckListBox()->GetStandardItemHeight());

  TvlCheckListBox* box = AddBox();
  box->Style()->LookAndFeel()->SetNativeStyle(false);
  TvlCustomInnerCheckListBox* inner = box->InnerCheckListBox();
  for (TvlLookAndFeelKind kind : {lfFlat, lfStandard, lfUltraFlat, lfOffice11, lfFlat}) {
    SCOPED_TRACE(Integer(kind));
    box->Style()->LookAndFeel()->SetKind(kind);
    Pump();
    const TRect row = inner->ItemRect(0);
    EXPECT_EQ(row.Height(), inner->GetStandardItemHeight());
    // The check with its frame stays inside its row.
    const TRect check = inner->GetCheckRect(row, true);
    EXPECT_GE(check.Top, row.Top);
    EXPECT_LE(check.Bottom, row.Bottom);
  }
}

TEST_F(CheckListBoxTest, IntegralHeightRoundsToRowsUnlessAligned) {
  TvlCheckListBox* box = AddBox(10);
  const Integer row = box->InnerCheckListBox()->GetStandardItemHeight();
  EXPECT_EQ(box->GetHeight(3), box->IntegralHeightFor(box->GetHeight(3) + row - 1));
  EXPECT_EQ(box->IntegralHeightFor(2), box->GetHeight(1));
  box->SetIntegralHeight(true);
  box->SetHeight(box->GetHeight(4) + 2);
  EXPECT_EQ(box->Height(), box->GetHeight(4));
  box->SetAlign(alClient);
  Pump();
  EXPECT_EQ(box->Height(), Form->ClientHeight());
  EXPECT_GT(box->GetBestFitWidth(), box->GetItemWidth(0) - 1);

  // A horizontal bar needed only beside the vertical one: four rows take
  // more height than all five, which must still be found.
  TvlCheckListBox* wide = AddBox(5, 140);
  TRect b;
  wide->GetBorderSizes(b);
  wide->SetScrollWidth(wide->Width() - b.Left - b.Right - 4);
  ASSERT_GT(GetSystemMetrics(SM_CYHSCROLL), wide->InnerCheckListBox()->GetStandardItemHeight());
  const Integer all = wide->GetHeight(5);
  EXPECT_EQ(wide->IntegralHeightFor(all), all);
  EXPECT_EQ(wide->IntegralHeightFor(wide->GetHeight(4) + GetSystemMetrics(SM_CYHSCROLL)),
            wide->GetHeight(4) + GetSystemMetrics(SM_CYHSCROLL));
}

}  // namespace
