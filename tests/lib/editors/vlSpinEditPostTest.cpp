// The spin and time editors bound to a field of a memory data set whose post
// is refused (the field's validation or the data set raising in Post): every
// way of changing the value (buttons, held buttons, wheel, keys, typing then
// Enter or Tab) reports the refusal once, never shows a value different from
// the stored one without the user knowing, leaves no repeat running and
// keeps the editor usable.
#include <gtest/gtest.h>

#include <vector>

#include "lib/editors/vlTimeEdit.h"
#include "platform/db/DB.h"
#include "platform/db/MemData.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Variants.h"
#include "platform/win/Windows.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

// What the field's data says of itself: a stored value, float or not.
class TFieldValuesProvider : public TvlCustomEditDefaultValuesProvider {
  CL_CLASS(TFieldValuesProvider, TvlCustomEditDefaultValuesProvider)
 public:
  Boolean IsDataStorage() override { return true; }
  Boolean DefaultIsFloatValue() override { return Float; }
  Boolean Float{};
};

// A data-aware binding to one field: editing puts the data set in edit
// state, posting writes the field and posts the record, Escape cancels.
class TFieldBinding : public TvlEditDataBinding {
  CL_CLASS(TFieldBinding, TvlEditDataBinding)
 public:
  void Bind(TDataSet* ADataSet, const String& AFieldName) {
    DataSet = ADataSet;
    FieldName = AFieldName;
    static_cast<TFieldValuesProvider*>(DefaultValuesProvider())->Float =
        Field()->DataType() == ftFloat || Field()->DataType() == ftDateTime;
    ProviderChanged();
    UpdateDisplayValue();
  }
  TField* Field() const { return DataSet->FieldByName(FieldName); }
  TvlCustomEditDefaultValuesProviderClass GetDefaultValuesProviderClass() const override {
    return ClassOf<TFieldValuesProvider>();
  }
  Variant GetStoredValue() override { return DataSet ? Field()->Value() : Null(); }
  Boolean GetEditing() override { return DataSet && IsEditMode(DataSet->State()); }
  // Modified: the record is in edit state and the editor changed the field.
  Boolean GetModified() override { return Modified && DataSet && IsEditMode(DataSet->State()); }
  Boolean SetEditMode() override {
    if (DataSet && DataSet->State() == dsBrowse) DataSet->Edit();
    Modified = true;
    return inherited::SetEditMode();
  }
  void SetModified() override {
    Modified = true;
    inherited::SetModified();
  }
  void SetStoredValue(const Variant& Value) override {
    if (!DataSet) return;
    if (DataSet->State() == dsBrowse) DataSet->Edit();
    Field()->SetValue(Value);
    DataSet->Post();
    Modified = false;
  }
  void Reset() override {
    if (DataSet && IsEditMode(DataSet->State())) DataSet->Cancel();
    Modified = false;
    UpdateDisplayValue();
    Edit()->SetModifiedAfterEnter(false);
  }
  void UpdateDisplayValue() override {
    if (DataSet) Edit()->SetInternalEditValue(GetStoredValue());
  }

  TDataSet* DataSet{};
  String FieldName;
  Boolean Modified{};
};

class TBoundSpinEdit : public TvlSpinEdit {
  CL_CLASS(TBoundSpinEdit, TvlSpinEdit)
 public:
  TFieldBinding* Binding() const { return static_cast<TFieldBinding*>(DataBinding()); }

 protected:
  TvlEditDataBindingClass DataBindingClass() const override { return ClassOf<TFieldBinding>(); }
};

class TBoundTimeEdit : public TvlTimeEdit {
  CL_CLASS(TBoundTimeEdit, TvlTimeEdit)
 public:
  TFieldBinding* Binding() const { return static_cast<TFieldBinding*>(DataBinding()); }

 protected:
  TvlEditDataBindingClass DataBindingClass() const override { return ClassOf<TFieldBinding>(); }
};

// Refuses the field's values from Limit on, in the field's validation or in
// the data set's post; records what reaches the application.
class TRefusals : public TObject {
  CL_CLASS(TRefusals, TObject)
 public:
  std::vector<String> Messages;
  Double Limit{};
  String FieldName = u"Value";
  void Failed(TObject*, const Exception& E) { Messages.push_back(E.Message()); }
  void ValidateField(TField* Sender) {
    if (!VarIsNull(Sender->Value()) && Sender->Value().AsDouble() >= Limit) throw Exception(u"Değer reddedildi");
  }
  void BeforePost(TDataSet* DataSet) {
    const Variant v = DataSet->FieldByName(FieldName)->Value();
    if (!VarIsNull(v) && v.AsDouble() >= Limit) throw Exception(u"Kayıt reddedildi");
  }
};

}  // namespace

CL_IMPLEMENT_CLASS(TFieldValuesProvider)
CL_IMPLEMENT_CLASS(TFieldBinding)
CL_IMPLEMENT_CLASS(TBoundSpinEdit)
CL_IMPLEMENT_CLASS(TBoundTimeEdit)
CL_IMPLEMENT_CLASS(TRefusals)

namespace {

enum class TRefusedBy { FieldValidation, Post };

class RefusedPostTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    SetSystemLocale(TSystemLocale::Turkish);
    ControlFixture::SetUp();
    Refusals = New<TRefusals>();
    Application->SetOnException(TExceptionEvent(Refusals, &TRefusals::Failed));
    Loads = New<TMemDataSet>(static_cast<TComponent*>(Form));
    Loads->FieldDefs()->Add(u"Amount", ftInteger);
    Loads->FieldDefs()->Add(u"Value", ftFloat);
    Loads->FieldDefs()->Add(u"LoadedAt", ftDateTime);
    Loads->Open();
    Loads->AppendRecord({Variant(3), Variant(3.0), VarFromDateTime(EncodeDate(2026, 3, 1) + EncodeTime(10, 0, 0, 0))});
  }
  void TearDown() override {
    Application->SetOnException(TExceptionEvent());
    FreeAndNil(Refusals);
    ControlFixture::TearDown();
  }
  void Refuse(TRefusedBy ABy, Double ALimit) {
    Refusals->Limit = ALimit;
    Refusals->Messages.clear();
    for (Integer i = 0; i < Loads->FieldCount(); ++i) Loads->Fields()->Fields(i)->SetOnValidate(TFieldNotifyEvent());
    Loads->SetBeforePost(TDataSetNotifyEvent());
    if (ABy == TRefusedBy::FieldValidation)
      for (Integer i = 0; i < Loads->FieldCount(); ++i)
        Loads->Fields()->Fields(i)->SetOnValidate(TFieldNotifyEvent(Refusals, &TRefusals::ValidateField));
    else
      Loads->SetBeforePost(TDataSetNotifyEvent(Refusals, &TRefusals::BeforePost));
  }
  TBoundSpinEdit* NewSpin(Boolean AImmediatePost) {
    TBoundSpinEdit* e = Add<TBoundSpinEdit>(10, 10, 120, 21);
    e->Properties()->SetImmediatePost(AImmediatePost);
    e->Properties()->SpinButtons()->SetPosition(sbpHorzRight);
    e->Binding()->Bind(Loads, u"Value");
    Pump();
    return e;
  }
  void Focus(TWinControl* C) {
    ClickAt(C, 5, 10);
    Pump();
  }
  void Key(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  void Type(const String& AText) {
    Display.TypeText(AText);
    Pump();
  }
  // The value of the record as posted (a refused post leaves the record in edit state).
  Double Stored(const String& AField = u"Value") {
    TField* f = Loads->FieldByName(AField);
    return (IsEditMode(Loads->State()) ? f->OldValue() : f->Value()).AsDouble();
  }
  static TPoint ButtonCentre(TvlCustomEdit* AEdit, TvlSpinEditButton AButton) {
    const TRect r = AEdit->ViewInfo()->ButtonsInfo[size_t(AButton)]->Bounds;
    return TPoint{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }

  TRefusals* Refusals{};
  TMemDataSet* Loads{};
};

const TRefusedBy kRefusers[] = {TRefusedBy::FieldValidation, TRefusedBy::Post};

// Each step posts at once; the refused one is reported once, the editor
// keeps the user's value (still to be posted) and goes on working.
TEST_F(RefusedPostTest, ARefusedImmediatePostOfAStepIsReportedOnceAndTheEditorGoesOn) {
  struct TCase {
    const char* Name;
    UINT Key;  // 0: the wheel
  } const cases[] = {{"Up", VK_UP}, {"Page Up", VK_PRIOR}, {"the wheel", 0}};
  for (TRefusedBy by : kRefusers) {
    for (const TCase& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (by == TRefusedBy::Post ? " refused in Post" : " refused by the field"));
      if (IsEditMode(Loads->State())) Loads->Cancel();
      TBoundSpinEdit* e = NewSpin(true);
      Finally freeEdit([&] { Free(e); });
      Focus(e);
      Refuse(by, 4);
      if (c.Key)
        Key(c.Key);
      else {
        const TPoint w = At(e, 5, 10);
        Display.Wheel(w.X, w.Y, 120);
        Pump();
      }
      EXPECT_EQ(Refusals->Messages.size(), 1u);
      EXPECT_EQ(Stored(), 3);
      // The user's value stays, still to be posted: never taken as stored.
      EXPECT_NE(e->Text(), u"3");
      EXPECT_TRUE(e->ModifiedAfterEnter());
      EXPECT_EQ(e->PressedState(), epsNone);
      EXPECT_EQ(e->Timer(), nullptr);
      // Back down to an accepted value: posted, and the editor agrees with the data.
      Refuse(by, 1000);
      e->SelectAll();
      Type(u"2");
      Key(VK_RETURN);
      EXPECT_TRUE(Refusals->Messages.empty());
      EXPECT_EQ(Stored(), 2);
      EXPECT_EQ(e->Text(), u"2");
      Loads->Edit();
      Loads->FieldByName(u"Value")->SetValue(Variant(3.0));
      Loads->Post();
    }
  }
}

// A held button whose step is refused stops repeating at once; the
// refusal is reported once, however long the button stays down.
TEST_F(RefusedPostTest, AHeldButtonStopsAtTheRefusedStep) {
  for (TRefusedBy by : kRefusers) {
    for (Double limit : {4.0, 6.0}) {  // refused at the press itself, then by the repeat
      SCOPED_TRACE(std::to_string(limit) + (by == TRefusedBy::Post ? " refused in Post" : " refused by the field"));
      if (IsEditMode(Loads->State())) Loads->Cancel();
      Loads->Edit();
      Loads->FieldByName(u"Value")->SetValue(Variant(3.0));
      Loads->Post();
      TBoundSpinEdit* e = NewSpin(true);
      Finally freeEdit([&] { Free(e); });
      Focus(e);
      Refuse(by, limit);
      const TPoint b = ButtonCentre(e, sebForward);
      MoveTo(e, b.X, b.Y);
      const TPoint s = At(e, b.X, b.Y);
      Display.MouseDown(s.X, s.Y);
      Pump();
      Wait(1500);
      EXPECT_EQ(Refusals->Messages.size(), 1u);
      EXPECT_EQ(e->Timer(), nullptr);
      EXPECT_EQ(Stored(), limit - 1);
      EXPECT_EQ(e->Value().AsDouble(), limit);
      Display.MouseUp(s.X, s.Y);
      Pump();
      EXPECT_EQ(Refusals->Messages.size(), 1u);
      EXPECT_EQ(e->Timer(), nullptr);
      EXPECT_NE(e->ViewInfo()->ButtonsInfo[sebForward]->Data.State, ebsPressed);
      // Usable: a key steps down to an accepted value, which is posted.
      Key(VK_DOWN);
      EXPECT_EQ(Refusals->Messages.size(), 1u);
      EXPECT_EQ(Stored(), limit - 1);
      EXPECT_EQ(e->Value().AsDouble(), limit - 1);
    }
  }
}

// Typed text confirmed with Enter or Tab: the refusal is reported once, the
// focus and the typed value stay; Escape brings the stored value back.
TEST_F(RefusedPostTest, TypedValueRefusedOnEnterOrTabKeepsTheFocusAndEscapeRestoresTheField) {
  for (TRefusedBy by : kRefusers) {
    for (UINT confirm : {UINT(VK_RETURN), UINT(VK_TAB)}) {
      SCOPED_TRACE(std::string(confirm == VK_RETURN ? "Enter" : "Tab") +
                   (by == TRefusedBy::Post ? " refused in Post" : " refused by the field"));
      if (IsEditMode(Loads->State())) Loads->Cancel();
      TBoundSpinEdit* e = NewSpin(false);
      TBoundSpinEdit* other = Add<TBoundSpinEdit>(10, 40, 120, 21);
      Finally freeEdits([&] {
        Free(other);
        Free(e);
      });
      Pump();
      Focus(e);
      Refuse(by, 4);
      e->SelectAll();
      Type(u"7");
      Key(confirm);
      EXPECT_EQ(Refusals->Messages.size(), 1u);
      EXPECT_TRUE(e->Focused());
      EXPECT_EQ(e->Text(), u"7");
      EXPECT_EQ(Stored(), 3);
      // Steps from the typed value go on without another report.
      Key(VK_UP);
      EXPECT_EQ(e->Text(), u"8");
      EXPECT_EQ(Refusals->Messages.size(), 1u);
      Key(VK_ESCAPE);
      EXPECT_EQ(e->Text(), u"3");
      EXPECT_EQ(Stored(), 3);
      Key(VK_TAB);
      EXPECT_EQ(Refusals->Messages.size(), 1u);
      EXPECT_TRUE(other->Focused());
    }
  }
}

// The time editor: a spun or typed time refused by the data keeps the
// user's time and the saved date, is reported once and can be cancelled.
TEST_F(RefusedPostTest, ARefusedTimeIsReportedOnceAndKeepsTheDate) {
  const TDateTime date = EncodeDate(2026, 3, 1);
  for (TRefusedBy by : kRefusers) {
    SCOPED_TRACE(by == TRefusedBy::Post ? "refused in Post" : "refused by the field");
    if (IsEditMode(Loads->State())) Loads->Cancel();
    TBoundTimeEdit* e = Add<TBoundTimeEdit>(10, 10, 120, 21);
    Finally freeEdit([&] { Free(e); });
    e->Properties()->SetImmediatePost(true);
    e->Binding()->Bind(Loads, u"LoadedAt");
    Pump();
    Focus(e);
    ASSERT_EQ(e->Text(), u"10:00:00");
    Refusals->FieldName = u"LoadedAt";
    Refuse(by, date + EncodeTime(11, 0, 0, 0));
    e->SetSelection(0, 1);
    Key(VK_UP);
    EXPECT_EQ(Refusals->Messages.size(), 1u);
    EXPECT_EQ(e->Text(), u"11:00:00");
    EXPECT_NEAR(Stored(u"LoadedAt"), date + EncodeTime(10, 0, 0, 0), 1e-9);
    EXPECT_EQ(e->SavedDate(), date);
    Key(VK_ESCAPE);
    EXPECT_EQ(e->Text(), u"10:00:00");
    // A typed earlier time is accepted and posted on its date.
    e->SetSelection(0, 1);
    Type(u"09");
    Key(VK_RETURN);
    EXPECT_EQ(Refusals->Messages.size(), 1u);
    EXPECT_NEAR(Stored(u"LoadedAt"), date + EncodeTime(9, 0, 0, 0), 1e-9);
    Loads->Edit();
    Loads->FieldByName(u"LoadedAt")->SetValue(VarFromDateTime(date + EncodeTime(10, 0, 0, 0)));
    Loads->Post();
  }
}

}  // namespace
