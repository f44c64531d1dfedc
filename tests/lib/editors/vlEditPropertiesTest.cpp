#include <gtest/gtest.h>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditProperties.h"
#include "platform/rtl/Finally.h"

namespace {

// Counts the notifications of a properties object.
struct TChangeCounter : public TObject {
  CL_CLASS(TChangeCounter, TObject)
 public:
  Integer Count{};
  void Changed(TObject*) { ++Count; }
  void Validate(TObject*, Variant&, String&, Boolean&) {}
};
CL_IMPLEMENT_CLASS(TChangeCounter)

// A provider with answers of its own.
class TTestProvider : public TvlCustomEditDefaultValuesProvider {
  CL_CLASS(TTestProvider, TvlCustomEditDefaultValuesProvider)
 public:
  TAlignment Alignment{taRightJustify};
  Boolean ReadOnlyDefault{true};
  TAlignment DefaultAlignment() override { return Alignment; }
  Boolean DefaultReadOnly() override { return ReadOnlyDefault; }
  Double DefaultMaxValue() override { return 99; }
  Double DefaultMinValue() override { return -5; }
};
CL_IMPLEMENT_CLASS(TTestProvider)

class EditPropertiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Props = New<TvlCustomEditProperties>(static_cast<TPersistent*>(nullptr));
    Counter = New<TChangeCounter>();
    Props->SetOnPropertiesChanged(TNotifyEvent(Counter, &TChangeCounter::Changed));
  }
  void TearDown() override {
    Free(Props);
    Free(Counter);
  }
  // Ten changes of different settings.
  void TenChanges() {
    Props->SetAutoSelect(false);
    Props->SetBeepOnError(true);
    Props->SetClearKey(27);
    Props->SetClickKey(13);
    Props->SetImmediatePost(true);
    Props->SetReadOnly(true);
    Props->SetMaxValue(10);
    Props->SetMinValue(1);
    Props->SetUseMouseWheel(false);
    Props->SetValidateOnEnter(true);
  }
  TvlCustomEditProperties* Props{};
  TChangeCounter* Counter{};
};

TEST_F(EditPropertiesTest, StartsWithTheDefaults) {
  EXPECT_TRUE(Props->AutoSelect());
  EXPECT_FALSE(Props->BeepOnError());
  EXPECT_EQ(Props->ClickKey(), 0x400D);
  EXPECT_EQ(Props->ButtonsViewStyle(), bvsNormal);
  EXPECT_TRUE(Props->UseMouseWheel());
  EXPECT_TRUE(Props->UseLeftAlignmentOnEditing());
  EXPECT_EQ(Props->Buttons()->Count(), 0);
  // No provider, nothing assigned.
  EXPECT_FALSE(Props->ReadOnly());
  EXPECT_EQ(Props->MaxValue(), 0);
  EXPECT_EQ(Props->MinValue(), 0);
  EXPECT_EQ(Props->Alignment()->Horz(), taLeftJustify);
  EXPECT_EQ(Props->Alignment()->Vert(), taTopJustify);
}

TEST_F(EditPropertiesTest, OneNotificationPerBatchAndNoneAfterEndUpdateFalse) {
  Props->BeginUpdate();
  TenChanges();
  EXPECT_EQ(Counter->Count, 0);
  Props->EndUpdate();
  EXPECT_EQ(Counter->Count, 1);

  Props->BeginUpdate();
  Props->SetAutoSelect(true);
  Props->SetBeepOnError(false);
  Props->EndUpdate(false);
  EXPECT_EQ(Counter->Count, 1);

  // Nested blocks notify once, when the outermost closes.
  Props->BeginUpdate();
  Props->BeginUpdate();
  Props->SetTransparent(true);
  Props->EndUpdate();
  EXPECT_EQ(Counter->Count, 1);
  Props->EndUpdate();
  EXPECT_EQ(Counter->Count, 2);
}

TEST_F(EditPropertiesTest, EndUpdateWithoutBeginDoesNothing) {
  Props->EndUpdate();
  Props->EndUpdate();
  EXPECT_EQ(Props->UpdateCount(), 0);
  Props->SetAutoSelect(false);
  EXPECT_EQ(Counter->Count, 1);
}

TEST_F(EditPropertiesTest, LockUpdateSendsNothingAndUnlockingSendsNothingEither) {
  Props->LockUpdate(true);
  Props->SetAutoSelect(false);
  Props->LockUpdate(false);
  EXPECT_EQ(Counter->Count, 0);
  Props->SetAutoSelect(true);
  EXPECT_EQ(Counter->Count, 1);
}

TEST_F(EditPropertiesTest, AZeroBoundIsAssignedOnceAndNotifiesOnce) {
  Props->SetMaxValue(0);
  EXPECT_TRUE(Props->AssignedValues()->MaxValue());
  EXPECT_EQ(Counter->Count, 1);
  Props->SetMaxValue(0);
  EXPECT_EQ(Counter->Count, 1);
  Props->SetMinMaxValues(5, 1);
  EXPECT_EQ(Counter->Count, 2);
  Props->SetMinMaxValues(5, 1);
  EXPECT_EQ(Counter->Count, 2);
}

TEST_F(EditPropertiesTest, UnassignedValuesComeFromTheProvider) {
  TTestProvider* provider = New<TTestProvider>(static_cast<TPersistent*>(nullptr));
  Finally freed([&] { Free(provider); });
  Props->SetIDefaultValuesProvider(provider);
  EXPECT_TRUE(Props->ReadOnly());
  EXPECT_EQ(Props->MaxValue(), 99);
  EXPECT_EQ(Props->MinValue(), -5);
  EXPECT_EQ(Props->Alignment()->Horz(), taRightJustify);

  // What the user sets wins; RestoreDefaults follows the provider again.
  Props->SetReadOnly(false);
  EXPECT_FALSE(Props->ReadOnly());
  Props->Alignment()->SetHorz(taCenter);
  provider->Alignment = taLeftJustify;
  EXPECT_EQ(Props->Alignment()->Horz(), taCenter);
  Props->RestoreDefaults();
  EXPECT_EQ(Props->Alignment()->Horz(), taLeftJustify);
  EXPECT_TRUE(Props->ReadOnly());
  // Clearing a flag reverts the value to the provider's.
  Props->SetMaxValue(3);
  Props->AssignedValues()->SetMaxValue(false);
  EXPECT_EQ(Props->MaxValue(), 99);
}

TEST_F(EditPropertiesTest, ModifyingThroughTheProvider) {
  TTestProvider* provider = New<TTestProvider>(static_cast<TPersistent*>(nullptr));
  Finally freed([&] { Free(provider); });
  Props->SetIDefaultValuesProvider(provider);
  EXPECT_FALSE(Props->CanModifyByProvider());  // the provider says read-only
  provider->ReadOnlyDefault = false;
  EXPECT_TRUE(Props->CanModifyByProvider());
  Props->SetReadOnly(true);
  EXPECT_FALSE(Props->CanModifyByProvider());
  Props->SetReadOnly(false);
  EXPECT_TRUE(Props->CanModifyByProvider());
}

TEST_F(EditPropertiesTest, FreeingAProviderLeavesItsUsersWithout) {
  TvlCustomEditProperties* other = New<TvlCustomEditProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeOther([&] { Free(other); });
  TTestProvider* provider = New<TTestProvider>(static_cast<TPersistent*>(nullptr));
  Props->SetIDefaultValuesProvider(provider);
  other->SetIDefaultValuesProvider(provider);
  Free(provider);
  EXPECT_EQ(Props->IDefaultValuesProvider(), nullptr);
  EXPECT_EQ(other->IDefaultValuesProvider(), nullptr);
  EXPECT_FALSE(Props->ReadOnly());
}

TEST_F(EditPropertiesTest, HotTrackIsSupportedExactlyWithAButton) {
  EXPECT_FALSE(Props->GetSupportedOperations().Contains(esoHotTrack));
  TvlEditButton* b = Props->Buttons()->Add();
  b->SetVisible(false);
  EXPECT_TRUE(Props->GetSupportedOperations().Contains(esoHotTrack));
}

TEST_F(EditPropertiesTest, AssignCopiesTheEventsButNotTheChangeHook) {
  TvlCustomEditProperties* source = New<TvlCustomEditProperties>(static_cast<TPersistent*>(nullptr));
  Finally freeSource([&] { Free(source); });
  TChangeCounter* other = New<TChangeCounter>();
  Finally freeOther([&] { Free(other); });
  source->SetOnValidate(TvlEditValidateEvent(other, &TChangeCounter::Validate));
  source->SetOnChange(TNotifyEvent(other, &TChangeCounter::Changed));
  source->SetOnPropertiesChanged(TNotifyEvent(other, &TChangeCounter::Changed));
  source->SetReadOnly(true);
  source->Buttons()->Add()->SetKind(bkEllipsis);
  Props->Assign(source);
  EXPECT_TRUE(Assigned(Props->OnValidate()));
  EXPECT_TRUE(Props->OnChange() == source->OnChange());
  EXPECT_FALSE(Props->OnPropertiesChanged() == source->OnPropertiesChanged());
  EXPECT_TRUE(Props->ReadOnly());
  EXPECT_TRUE(Props->AssignedValues()->ReadOnly());
  EXPECT_FALSE(Props->AssignedValues()->MaxValue());
  ASSERT_EQ(Props->Buttons()->Count(), 1);
  EXPECT_EQ(Props->Buttons()->Items(0)->Kind(), bkEllipsis);
  EXPECT_EQ(Counter->Count, 1);  // one batch
}

// --- Buttons ---------------------------------------------------------------------------------------------

TEST_F(EditPropertiesTest, ButtonSettersNotifyOnlyOnChange) {
  TvlEditButton* b = Props->Buttons()->Add();
  const Integer start = Counter->Count;
  b->SetKind(bkDown);  // the default
  b->SetWidth(-1);     // ignored
  EXPECT_EQ(Counter->Count, start);
  EXPECT_EQ(b->Width(), 0);
  b->SetWidth(30);
  EXPECT_EQ(b->Width(), 30);
  b->SetCaption(u"&Aç && b");
  EXPECT_EQ(b->VisibleCaption(), u"Aç & b");
  EXPECT_EQ(Counter->Count, start + 2);
}

TEST_F(EditPropertiesTest, OnlyTheLastButtonSetDefaultIsDefault) {
  TvlEditButton* a = Props->Buttons()->Add();
  TvlEditButton* b = Props->Buttons()->Add();
  a->SetDefault(true);
  b->SetDefault(true);
  EXPECT_FALSE(a->Default());
  EXPECT_TRUE(b->Default());
}

// --- Registry ----------------------------------------------------------------------------------------------

class TTestRegistryProperties : public TvlCustomEditProperties {
  CL_CLASS(TTestRegistryProperties, TvlCustomEditProperties)
};
CL_IMPLEMENT_CLASS(TTestRegistryProperties)

TEST(vlEditPropertiesRegistry, RegistersOnceSortedAndFindsByClassName) {
  TvlRegisteredClasses* r = vlGetEditPropertiesRegistry();
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(r->Sorted());
  const Integer count = r->Count();
  r->Register(ClassOf<TTestRegistryProperties>(), u"ZTest|Represents a test editor");
  r->Register(ClassOf<TTestRegistryProperties>(), u"ZTest|Again");
  EXPECT_EQ(r->Count(), count + 1);
  EXPECT_EQ(r->FindByClassName(u"TTestRegistryProperties"), ClassOf<TTestRegistryProperties>());
  EXPECT_EQ(r->FindByClassName(u"ttestregistryproperties"), nullptr);
  r->Unregister(ClassOf<TTestRegistryProperties>());
  EXPECT_EQ(r->Count(), count);
}

TEST(vlEditPropertiesRegistry, GlobalOptionIsOff) { EXPECT_FALSE(vlGetEditGlobalOption()); }

}  // namespace

namespace {

// Properties of an editor kind that validates.
class TValidatingProperties : public TvlCustomEditProperties {
  CL_CLASS(TValidatingProperties, TvlCustomEditProperties)
 public:
  Boolean ValidationSupported() override { return true; }
};
CL_IMPLEMENT_CLASS(TValidatingProperties)

struct TValidator : public TObject {
  CL_CLASS(TValidator, TObject)
 public:
  Boolean Correct{};
  void Validate(TObject*, Variant& ADisplayValue, String& AErrorText, Boolean& AError) {
    AError = true;
    if (Correct) ADisplayValue = Variant(u"düzeltildi");
    AErrorText = AErrorText + u"!";
  }
};
CL_IMPLEMENT_CLASS(TValidator)

class TValidatingEdit : public TvlCustomEdit {
  CL_CLASS(TValidatingEdit, TvlCustomEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TValidatingProperties>(); }

 protected:
  String CurrentDisplayText() override { return u"shown"; }
};
CL_IMPLEMENT_CLASS(TValidatingEdit)

TEST(vlEditValidation, AnErrorWithoutACorrectionPutsBackTheShownText) {
  TValidatingEdit* edit = New<TValidatingEdit>(static_cast<TComponent*>(nullptr));
  TValidator* validator = New<TValidator>();
  Finally freed([&] {
    Free(edit);
    Free(validator);
  });
  edit->Properties()->SetOnValidate(TvlEditValidateEvent(validator, &TValidator::Validate));
  Variant value(u"yanlış");
  String error;
  Boolean failed = false;
  edit->Properties()->ValidateDisplayValue(value, error, failed, edit);
  EXPECT_TRUE(failed);
  EXPECT_EQ(error, u"Invalid input value. Use escape key to abandon changes!");
  EXPECT_EQ(VarToStr(value), u"shown");
  // A handler that corrected the value keeps its correction.
  validator->Correct = true;
  value = Variant(u"yanlış");
  error = u"Kendi hatam";
  failed = false;
  edit->Properties()->ValidateDisplayValue(value, error, failed, edit);
  EXPECT_EQ(VarToStr(value), u"düzeltildi");
  EXPECT_EQ(error, u"Kendi hatam!");
  // Without validation support nothing runs.
  TvlCustomEditProperties* plain = New<TvlCustomEditProperties>(static_cast<TPersistent*>(nullptr));
  Finally freePlain([&] { Free(plain); });
  plain->SetOnValidate(TvlEditValidateEvent(validator, &TValidator::Validate));
  failed = false;
  plain->ValidateDisplayValue(value, error, failed, nullptr);
  EXPECT_FALSE(failed);
}

}  // namespace
