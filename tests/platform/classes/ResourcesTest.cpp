#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Classes.h"
#include "platform/classes/FormText.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/ResStrings.h"

namespace {

Integer gLoadedCount = 0;

// A form whose children are its owned components.
class TResForm : public TComponent {
  CL_CLASS(TResForm, TComponent)
 public:
  void Loaded() override {
    inherited::Loaded();
    ++gLoadedCount;
  }
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    for (Integer i = 0; i < ComponentCount(); ++i) Proc(Components(i));
  }
  TComponent* Edit1{};
};

class TResForm2 : public TResForm {
  CL_CLASS(TResForm2, TResForm)
};

// A string-table block: 16 counted UTF-16 strings.
std::string Block(std::initializer_list<std::u16string> Strings) {
  std::string b;
  for (const std::u16string& s : Strings) {
    b += static_cast<char>(s.size());
    b += '\0';
    for (char16_t c : s) {
      b += static_cast<char>(c & 0xFF);
      b += static_cast<char>(c >> 8);
    }
  }
  for (size_t i = Strings.size(); i < 16; ++i) b += std::string(2, '\0');
  return b;
}

const Byte* Bytes(const std::string& S) { return reinterpret_cast<const Byte*>(S.data()); }

class ResourcesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterClasses({TResForm::StaticClass(), TResForm2::StaticClass(), TComponent::StaticClass()});
    Base = new std::string(ObjectTextToBinary(std::string("object ResForm: TResForm\n"
                                                          "  Tag = 1\n"
                                                          "  object Edit1: TComponent\n"
                                                          "    Tag = 5\n"
                                                          "  end\n"
                                                          "end\n")));
    Derived = new std::string(ObjectTextToBinary(std::string("inherited ResForm: TResForm2\n"
                                                             "  Tag = 2\n"
                                                             "  inherited Edit1: TComponent\n"
                                                             "    Tag = 6\n"
                                                             "  end\n"
                                                             "  object Extra: TComponent\n"
                                                             "  end\n"
                                                             "end\n")));
    // Identifiers 16..18 live in block 2; 19 is missing.
    Strings = new std::string(Block({u"Sixteen", u" spaced ", u"\u00A0x"}));
    Raw = new std::string("skin data");
    Entries[0] = {nullptr, 10, u"TResForm", 0, Bytes(*Base), Base->size()};
    Entries[1] = {nullptr, 10, u"TRESFORM2", 0, Bytes(*Derived), Derived->size()};
    Entries[2] = {nullptr, 6, nullptr, 2, Bytes(*Strings), Strings->size()};
    Entries[3] = {u"NBSKINS", 0, u"DEFAULTUSERSKINDATA", 0, Bytes(*Raw), Raw->size()};
    Entries[4] = {nullptr, 2, nullptr, 4005, Bytes(*Raw), 4};
    RegisterResources(Entries, 5);
  }
  static void TearDownTestSuite() {
    UnregisterResources(Entries, 5);
    UnRegisterClasses({TResForm::StaticClass(), TResForm2::StaticClass(), TComponent::StaticClass()});
    delete Base;
    delete Derived;
    delete Strings;
    delete Raw;
  }
  static inline std::string *Base, *Derived, *Strings, *Raw;
  static inline TResourceEntry Entries[5];
};

TEST_F(ResourcesTest, FindByNameOrIdentifier) {
  HRSRC r = FindResourceW(HInstance, u"defaultuserskindata", u"nbSkins");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(SizeofResource(HInstance, r), 9u);
  EXPECT_EQ(std::string(static_cast<const char*>(LockResource(LoadResource(HInstance, r))), 9), "skin data");
  EXPECT_NE(FindResourceW(HInstance, MakeIntResource(4005), RT_BITMAP), nullptr);
  EXPECT_NE(FindResourceW(HInstance, u"#4005", RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(HInstance, MakeIntResource(4006), RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceW(HInstance, u"DEFAULTUSERSKINDATA", RT_RCDATA), nullptr);
}

TEST_F(ResourcesTest, ResourceStreamReadsAndRefusesWrites) {
  std::unique_ptr<TResourceStream, TObjectFree> s(NewBy<TResourceStream>(
      static_cast<void (TResourceStream::*)(void*, const String&, const Char*)>(&TResourceStream::Create),
      HInstance, String(u"DefaultUserSkinData"), u"NBSKINS"));
  char buf[4] = {};
  s->ReadBuffer(buf, 4);
  EXPECT_EQ(std::string(buf, 4), "skin");
  EXPECT_EQ(s->Size(), 9);
  EXPECT_THROW(s->Write(buf, 1), EStreamError);
  try {
    Free(NewBy<TResourceStream>(
        static_cast<void (TResourceStream::*)(void*, const String&, const Char*)>(&TResourceStream::Create),
        HInstance, String(u"NOPE"), RT_RCDATA));
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Resource NOPE not found");
  }
  EXPECT_THROW(Free(NewBy<TResourceStream>(&TResourceStream::CreateFromID, HInstance, 77, RT_RCDATA)), EResNotFound);
}

String Translated(Cardinal Ident) { return u"<" + DefaultLoadResStr(Ident) + u">"; }

TEST_F(ResourcesTest, StringTables) {
  {
    // The unit's start-up step gives the run-time library's resource strings
    // the string tables; LoadStr goes through the replaceable loader.
    TModulesScope modules;
    EXPECT_EQ(LoadStr(16), u"Sixteen");
    EXPECT_EQ(LoadStr(17), u" spaced ");  // spaces kept
    EXPECT_EQ(LoadStr(18), u"\u00A0x");
    EXPECT_EQ(LoadStr(19), u"");
    EXPECT_EQ(LoadStr(40), u"");
    TResStringRec rec{HInstance, 16};
    EXPECT_EQ(LoadResString(&rec), u"Sixteen");
    TResStringLoaders old = SetResStringLoaders({nullptr, &Translated, nullptr});
    EXPECT_EQ(LoadStr(16), u"<Sixteen>");
    SetResStringLoaders(old);
  }
  // Shut down: the reader is taken away again.
  EXPECT_EQ(GetStringTableReader(), nullptr);
  EXPECT_EQ(LoadStr(16), u"");
  Char buf[4];
  EXPECT_EQ(LoadStringW(HInstance, 16, buf, 4), 3);  // truncated, with the terminating zero
  EXPECT_EQ(String(buf), u"Six");
  EXPECT_EQ(LoadStringW(HInstance, 16, buf, 0), 0);
}

TEST_F(ResourcesTest, ReadComponentResCreatesTheForm) {
  TComponent* form = ReadComponentRes(u"TResForm", nullptr);
  std::unique_ptr<TComponent, TObjectFree> guard(form);
  ASSERT_TRUE(Is<TResForm>(form));
  EXPECT_EQ(form->Tag(), 1);
  ASSERT_EQ(form->ComponentCount(), 1);
  EXPECT_EQ(form->Components(0)->Tag(), 5);
  EXPECT_THROW(ReadComponentRes(u"TMissing", nullptr), EResNotFound);
}

TEST_F(ResourcesTest, InitInheritedComponentReadsAncestorsFirst) {
  std::unique_ptr<TResForm2, TObjectFree> form(New<TResForm2>(nullptr));
  gLoadedCount = 0;
  EXPECT_TRUE(InitInheritedComponent(form.get(), TComponent::StaticClass()));
  EXPECT_EQ(gLoadedCount, 1);  // once, after both levels were read
  EXPECT_FALSE(form->ComponentState().Contains(csLoading));
  EXPECT_EQ(form->Name(), u"ResForm");
  EXPECT_EQ(form->Tag(), 2);
  ASSERT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->FindComponent(u"Edit1")->Tag(), 6);  // the ancestor's component, changed
  EXPECT_NE(form->FindComponent(u"Extra"), nullptr);
  // A class without resources.
  std::unique_ptr<TComponent, TObjectFree> plain(New<TComponent>(nullptr));
  EXPECT_FALSE(InitInheritedComponent(plain.get(), TComponent::StaticClass()));
}

}  // namespace

CL_IMPLEMENT_CLASS_PUBLISHED(TResForm, P) { P.Field(u"Edit1", &TResForm::Edit1); }
CL_IMPLEMENT_CLASS(TResForm2)
