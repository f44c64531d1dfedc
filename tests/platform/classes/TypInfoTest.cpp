#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/TypInfo.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Variants.h"

// Event types are found through the global namespace, where their type
// information is declared.
using TRtChangeEvent = TDelegate<void(TObject* Sender, Integer Value)>;
CL_EVENT_TYPEINFO(TRtChangeEvent);

namespace {

CL_ENUM(TRtAlign, Byte, raNone, raTop, raBottom, raClient);
CL_ENUM(TRtStyle, Byte, rsBold, rsItalic, rsUnderline);
using TRtStyles = TSet<TRtStyle, 1>;
CL_SET_TYPEINFO(TRtStyles);

const TTypeInfo* RtColorType() {
  static const TTypeInfo* t = MakeOrdinalTypeInfo(tkInteger, u"TRtColor", otSLong, INT32_MIN, INT32_MAX);
  return t;
}
const TIdentMapEntry kColors[] = {{0x000000, u"rcBlack"}, {0x0000FF, u"rcRed"}};

class TRtFont : public TObject {
  CL_CLASS(TRtFont, TObject)
};
class TRtBigFont : public TRtFont {
  CL_CLASS(TRtBigFont, TRtFont)
};

class TRtBase : public TObject {
  CL_CLASS(TRtBase, TObject)
 public:
  Integer Tag() const { return FTag; }
  void SetTag(Integer V) { FTag = V; ++FSets; }
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& V) { FCaption = V; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool V) { FVisible = V; }
  Integer GetSide(Integer Index) const { return FSides[Index]; }
  void SetSide(Integer Index, Integer V) { FSides[Index] = V; }
  bool IsCaptionStored() const { return FCaption != u"default"; }

  Integer FTag{};
  Integer FSets{};
  String FCaption;
  bool FVisible{};
  Integer FSides[2]{};
  TRtAlign FAlign{};
  TRtStyles FStyle;
  double FWidth{};
  Int64 FBig{};
  Integer FColor{};
  AnsiString FAnsi;
  Char FKey{};
};

class TRtForm : public TRtBase {
  CL_CLASS(TRtForm, TRtBase)
 public:
  TRtFont* Font() const { return FFont; }
  void SetFont(TRtFont* V) { FFont = V; }
  void Clicked(TObject* Sender) { FLastSender = Sender; }
  void Changed(TObject*, Integer V) { FChanged = V; }

  TRtFont* FFont{};
  TNotifyEvent FOnClick;
  TRtChangeEvent FOnChange;
  Variant FValue;
  TDateTime FStamp{};
  Currency FPrice;
  TRtFont* Button1{};
  TObject* FLastSender{};
  Integer FChanged{};
};

CL_IMPLEMENT_CLASS(TRtFont)
CL_IMPLEMENT_CLASS(TRtBigFont)

CL_IMPLEMENT_CLASS_PUBLISHED(TRtBase, P) {
  P.Property(u"Tag", &TRtBase::Tag, &TRtBase::SetTag).Default(0);
  P.Property(u"Caption", &TRtBase::Caption, &TRtBase::SetCaption).Stored(&TRtBase::IsCaptionStored);
  P.Property(u"Visible", &TRtBase::Visible, &TRtBase::SetVisible).Default(true);
  P.IndexedProperty(u"Left", 0, &TRtBase::GetSide, &TRtBase::SetSide);
  P.IndexedProperty(u"Top", 1, &TRtBase::GetSide, &TRtBase::SetSide).Stored(false);
  P.Property(u"Align", &TRtBase::FAlign, &TRtBase::FAlign).Default(raNone);
  P.Property(u"Style", &TRtBase::FStyle, &TRtBase::FStyle).Default(TRtStyles{rsBold});
  P.Property(u"Width", &TRtBase::FWidth, &TRtBase::FWidth);
  P.Property(u"Big", &TRtBase::FBig, &TRtBase::FBig);
  P.Property(u"Color", &TRtBase::FColor, &TRtBase::FColor).Type(RtColorType()).Default(0x0000FF);
  P.Property(u"Ansi", &TRtBase::FAnsi, &TRtBase::FAnsi);
  P.Property(u"Key", &TRtBase::FKey, &TRtBase::FKey);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TRtForm, P) {
  P.Property(u"Font", &TRtForm::Font, &TRtForm::SetFont);
  P.Property(u"OnClick", &TRtForm::FOnClick, &TRtForm::FOnClick);
  P.Property(u"OnChange", &TRtForm::FOnChange, &TRtForm::FOnChange);
  P.Property(u"Value", &TRtForm::FValue, &TRtForm::FValue);
  P.Property(u"Stamp", &TRtForm::FStamp, &TRtForm::FStamp).Type(TypeInfoTDateTime());
  P.Property(u"Price", &TRtForm::FPrice, &TRtForm::FPrice);
  P.Property(u"Tag", &TRtBase::Tag, &TRtBase::SetTag).Default(7);  // published again with a new default
  P.Field(u"Button1", &TRtForm::Button1);
  P.Method(u"Clicked", &TRtForm::Clicked);
  P.Method(u"Changed", &TRtForm::Changed);
}

std::vector<std::u16string> Names(const TPropList& L) {
  std::vector<std::u16string> n;
  for (const TPropInfo* p : L) n.push_back(p->Name);
  return n;
}

struct RttiTest : ::testing::Test {
  TRtForm* Form = New<TRtForm>();
  ~RttiTest() override { Free(Form); }
};

TEST_F(RttiTest, ListsRunInDeclarationOrderAncestorsFirst) {
  using V = std::vector<std::u16string>;
  EXPECT_EQ(Names(GetPropInfos(TRtBase::StaticClass())),
            (V{u"Tag", u"Caption", u"Visible", u"Left", u"Top", u"Align", u"Style", u"Width", u"Big", u"Color",
               u"Ansi", u"Key"}));
  TPropList all = GetPropList(Form);
  ASSERT_EQ(all.size(), 18u);
  // The re-published Tag keeps its place and brings its new default.
  EXPECT_EQ(all[0]->Name, u"Tag");
  EXPECT_EQ(all[0]->Owner, TRtForm::StaticClass());
  EXPECT_EQ(all[0]->Default, 7);
  EXPECT_EQ(all[12]->Name, u"Font");
  EXPECT_EQ(Names(GetPropList(TRtForm::StaticClass(), TTypeKinds{tkMethod})), (V{u"OnChange", u"OnClick"}));
  EXPECT_EQ(Names(GetPropList(TRtForm::StaticClass(), TTypeKinds{tkInteger, tkClass}, false)),
            (V{u"Tag", u"Left", u"Top", u"Color", u"Font"}));
  EXPECT_EQ(Names(GetPropList(TRtForm::StaticClass(), TTypeKinds{tkInteger, tkClass})),
            (V{u"Color", u"Font", u"Left", u"Tag", u"Top"}));
  EXPECT_TRUE(GetPropList(TObject::StaticClass(), tkAny).empty());
}

TEST_F(RttiTest, TypeInformationOfEachProperty) {
  struct Case {
    const char16_t* Prop;
    TTypeKind Kind;
    const char16_t* TypeName;
  };
  const Case cases[] = {
      {u"Tag", tkInteger, u"Integer"},      {u"Caption", tkUString, u"string"},
      {u"Visible", tkEnumeration, u"Boolean"}, {u"Align", tkEnumeration, u"TRtAlign"},
      {u"Style", tkSet, u"TRtStyles"},      {u"Width", tkFloat, u"Double"},
      {u"Big", tkInt64, u"Int64"},          {u"Color", tkInteger, u"TRtColor"},
      {u"Ansi", tkLString, u"AnsiString"},  {u"Key", tkWChar, u"Char"},
      {u"Font", tkClass, u"TRtFont"},       {u"OnClick", tkMethod, u"TNotifyEvent"},
      {u"OnChange", tkMethod, u"TRtChangeEvent"}, {u"Value", tkVariant, u"Variant"},
      {u"Stamp", tkFloat, u"TDateTime"},    {u"Price", tkFloat, u"Currency"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Prop, c.Prop + std::char_traits<char16_t>::length(c.Prop)));
    const TPropInfo* p = GetPropInfo(Form, c.Prop);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->PropType->Kind, c.Kind);
    EXPECT_EQ(p->PropType->Name, c.TypeName);
    EXPECT_TRUE(PropIsType(Form, c.Prop, c.Kind));
  }
  const TTypeInfo* align = GetPropInfo(Form, u"align")->PropType;  // any case
  EXPECT_EQ(align->MaxValue, 3);
  EXPECT_EQ(GetPropInfo(Form, u"Style")->PropType->CompType, TypeInfo<TRtStyle>());
  EXPECT_EQ(GetPropInfo(Form, u"Font")->PropType->ClassType, TRtFont::StaticClass());
  EXPECT_EQ(GetPropInfo(Form, u"Price")->PropType->FloatType, ftCurr);
  EXPECT_EQ(GetPropInfo(Form, u"Top")->Index, 1);
  EXPECT_TRUE(IsPublishedProp(TRtForm::StaticClass(), u"caption"));
  EXPECT_FALSE(IsPublishedProp(TRtBase::StaticClass(), u"Font"));
  EXPECT_EQ(GetPropInfo(Form, u"Tag", TTypeKinds{tkString}), nullptr);
  EXPECT_THROW(PropType(Form, u"Nope"), EPropertyError);
}

TEST_F(RttiTest, GetAndSetEachKindByName) {
  SetOrdProp(Form, u"Tag", 42);
  EXPECT_EQ(Form->FTag, 42);
  EXPECT_EQ(GetOrdProp(Form, u"TAG"), 42);
  SetOrdProp(Form, u"Left", 5);
  SetOrdProp(Form, u"Top", 6);
  EXPECT_EQ(Form->FSides[0], 5);
  EXPECT_EQ(Form->FSides[1], 6);
  SetStrProp(Form, u"Caption", u"Kontör");
  EXPECT_EQ(GetStrProp(Form, u"Caption"), u"Kontör");
  EXPECT_EQ(GetWideStrProp(Form, u"Caption"), u"Kontör");
  SetStrProp(Form, u"Ansi", u"abc");
  EXPECT_EQ(Form->FAnsi, "abc");
  SetEnumProp(Form, u"Align", u"raclient");
  EXPECT_EQ(Form->FAlign, raClient);
  EXPECT_EQ(GetEnumProp(Form, u"Align"), u"raClient");
  SetEnumProp(Form, u"Visible", u"True");
  EXPECT_TRUE(Form->FVisible);
  SetFloatProp(Form, u"Width", 2.5);
  EXPECT_EQ(GetFloatProp(Form, u"Width"), 2.5);
  SetFloatProp(Form, u"Price", 12.3456);
  EXPECT_EQ(Form->FPrice.Raw(), 123456);
  SetInt64Prop(Form, u"Big", INT64_C(1) << 40);
  EXPECT_EQ(GetInt64Prop(Form, u"Big"), INT64_C(1) << 40);
  SetOrdProp(Form, u"Key", u'ğ');
  EXPECT_EQ(Form->FKey, u'ğ');

  TRtBigFont* big = New<TRtBigFont>();
  SetObjectProp(Form, u"Font", big);
  EXPECT_EQ(Form->FFont, big);
  EXPECT_EQ(GetObjectProp(Form, u"Font", TRtBigFont::StaticClass()), big);
  TObject* plain = New<TObject>();
  EXPECT_THROW(SetObjectProp(Form, u"Font", plain), EPropertyConvertError);
  SetObjectProp(Form, u"Font", nullptr);
  EXPECT_EQ(Form->FFont, nullptr);
  Free(plain);
  Free(big);

  SetVariantProp(Form, u"Value", Variant(Integer(3)));
  EXPECT_EQ(GetVariantProp(Form, u"Value").AsInteger(), 3);
}

TEST_F(RttiTest, WrongNamesKindsAndAccessRaise) {
  EXPECT_THROW(GetOrdProp(Form, u"Missing"), EPropertyError);
  try {
    SetStrProp(Form, u"Missing", u"x");
    FAIL();
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), u"Property Missing does not exist");
  }
  EXPECT_THROW(GetStrProp(Form, u"Tag"), EPropertyError);        // another kind
  EXPECT_THROW(GetSetProp(Form, u"Align"), EPropertyError);      // an enumeration is not a set
  EXPECT_THROW(SetEnumProp(Form, u"Align", u"raLeft"), EPropertyConvertError);
  EXPECT_THROW(SetSetProp(Form, u"Style", u"[rsBold,rsStrike]"), EPropertyConvertError);
  EXPECT_THROW(GetOrdProp(nullptr, u"Tag"), EPropertyError);
  // A property of one class asked of an object of another.
  TRtFont* font = New<TRtFont>();
  EXPECT_THROW(GetOrdProp(font, GetPropInfo(Form, u"Tag")), EPropertyError);
  Free(font);
}

TEST_F(RttiTest, EnumerationAndSetText) {
  const TTypeInfo* align = TypeInfo<TRtAlign>();
  EXPECT_EQ(GetEnumName(align, 2), u"raBottom");
  EXPECT_EQ(GetEnumName(align, 4), u"");
  EXPECT_EQ(GetEnumName(align, -1), u"");
  EXPECT_EQ(GetEnumValue(align, u"RABOTTOM"), 2);
  EXPECT_EQ(GetEnumValue(align, u"raLeft"), -1);
  EXPECT_EQ(GetEnumName(TypeInfo<bool>(), 1), u"True");
  EXPECT_EQ(GetEnumName(TypeInfo<Integer>(), -5), u"-5");

  SetSetProp(Form, u"Style", u"[rsItalic, rsUnderline]");
  EXPECT_EQ(Form->FStyle, (TRtStyles{rsItalic, rsUnderline}));
  EXPECT_EQ(GetSetProp(Form, u"Style"), u"rsItalic,rsUnderline");
  EXPECT_EQ(GetSetProp(Form, u"Style", true), u"[rsItalic,rsUnderline]");
  SetSetProp(Form, u"Style", u"rsbold");
  EXPECT_EQ(GetOrdProp(Form, u"Style"), 1);
  SetSetProp(Form, u"Style", u"[]");
  EXPECT_TRUE(Form->FStyle.Empty());
  EXPECT_EQ(GetSetProp(Form, u"Style", true), u"[]");
}

TEST_F(RttiTest, StoredAndDefaultTests) {
  const TPropInfo* tag = GetPropInfo(Form, u"Tag");
  const TPropInfo* caption = GetPropInfo(Form, u"Caption");
  const TPropInfo* left = GetPropInfo(Form, u"Left");
  EXPECT_TRUE(IsStoredProp(Form, tag));
  EXPECT_FALSE(IsStoredProp(Form, u"Top"));
  Form->FCaption = u"default";
  EXPECT_FALSE(IsStoredProp(Form, caption));
  Form->FCaption = u"other";
  EXPECT_TRUE(IsStoredProp(Form, caption));

  struct Case {
    const char16_t* Prop;
    bool DefaultBefore;
    void (*Change)(TRtForm*);
  };
  const Case cases[] = {
      {u"Tag", false, [](TRtForm* f) { f->FTag = 7; }},        // default 7 in the derived class
      {u"Visible", false, [](TRtForm* f) { f->FVisible = true; }},
      {u"Left", false, nullptr},                                 // nodefault: always written
      {u"Style", false, [](TRtForm* f) { f->FStyle = {rsBold}; }},
      {u"Color", true, [](TRtForm* f) { f->FColor = 1; }},
      {u"Width", true, [](TRtForm* f) { f->FWidth = 0.5; }},
      {u"Big", true, [](TRtForm* f) { f->FBig = -1; }},
      {u"Ansi", true, [](TRtForm* f) { f->FAnsi = "x"; }},
      {u"Font", true, nullptr},
      {u"OnClick", true, [](TRtForm* f) { f->FOnClick = TNotifyEvent(f, &TRtForm::Clicked); }},
      {u"Value", true, [](TRtForm* f) { f->FValue = Null(); }},
  };
  Form->FColor = 0x0000FF;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Prop, c.Prop + std::char_traits<char16_t>::length(c.Prop)));
    const TPropInfo* p = GetPropInfo(Form, c.Prop);
    EXPECT_EQ(IsDefaultPropertyValue(Form, p), c.DefaultBefore);
    if (c.Change) {
      c.Change(Form);
      EXPECT_EQ(IsDefaultPropertyValue(Form, p), !c.DefaultBefore);
    }
  }
  EXPECT_FALSE(left->HasDefault);
}

TEST_F(RttiTest, MethodPropertiesAndPublishedMethods) {
  TMethod m = MethodByName(Form, u"clicked");
  ASSERT_TRUE(Assigned(m));
  EXPECT_EQ(m.Data, Form);
  SetMethodProp(Form, u"OnClick", m);
  ASSERT_TRUE(Assigned(Form->FOnClick));
  Form->FOnClick(Form);
  EXPECT_EQ(Form->FLastSender, Form);
  EXPECT_EQ(Form->FOnClick, TNotifyEvent(Form, &TRtForm::Clicked));
  EXPECT_EQ(MethodName(TRtForm::StaticClass(), GetMethodProp(Form, u"OnClick").Code), u"Clicked");
  EXPECT_EQ(MethodName(TRtForm::StaticClass(), TMethodCode()), u"");

  // A handler of another signature does not fit the property.
  EXPECT_THROW(SetMethodProp(Form, u"OnClick", MethodByName(Form, u"Changed")), EPropertyConvertError);
  SetMethodProp(Form, u"OnChange", MethodByName(Form, u"Changed"));
  Form->FOnChange(Form, 9);
  EXPECT_EQ(Form->FChanged, 9);
  SetMethodProp(Form, u"OnChange", TMethod());
  EXPECT_FALSE(Assigned(Form->FOnChange));
  EXPECT_FALSE(Assigned(MethodByName(Form, u"Unknown")));
  EXPECT_EQ(GetPublishedMethods(TRtForm::StaticClass()).size(), 2u);
}

TEST_F(RttiTest, PublishedFields) {
  TRtFont* font = New<TRtFont>();
  EXPECT_TRUE(SetPublishedField(Form, u"button1", font));
  EXPECT_EQ(Form->Button1, font);
  EXPECT_EQ(GetPublishedField(Form, u"Button1"), font);
  EXPECT_FALSE(SetPublishedField(Form, u"Button2", font));
  TObject* other = New<TObject>();
  EXPECT_THROW(SetPublishedField(Form, u"Button1", other), EInvalidCast);
  EXPECT_EQ(FindPublishedField(TRtForm::StaticClass(), u"Button1")->FieldClass, TRtFont::StaticClass());
  Free(other);
  Free(font);
}

TEST_F(RttiTest, PropValuesAsVariants) {
  Form->FAlign = raTop;
  Form->FStyle = {rsBold, rsUnderline};
  Form->FVisible = true;
  EXPECT_EQ(GetPropValue(Form, u"Align").AsString(), u"raTop");
  EXPECT_EQ(GetPropValue(Form, u"Align", false).AsInteger(), 1);
  EXPECT_EQ(GetPropValue(Form, u"Style").AsString(), u"rsBold,rsUnderline");
  EXPECT_EQ(VarType(GetPropValue(Form, u"Visible", false)), varBoolean);
  EXPECT_EQ(GetPropValue(Form, u"OnClick").AsString(), u"TNotifyEvent");
  Form->FStamp = 1.5;
  EXPECT_EQ(VarType(GetPropValue(Form, u"Stamp")), varDate);

  SetPropValue(Form, u"Tag", Variant(u"12"));
  EXPECT_EQ(Form->FTag, 12);
  SetPropValue(Form, u"Align", Variant(u"raBottom"));
  EXPECT_EQ(Form->FAlign, raBottom);
  SetPropValue(Form, u"Style", Variant(u"[rsItalic]"));
  EXPECT_EQ(Form->FStyle, TRtStyles{rsItalic});
  SetPropValue(Form, u"Caption", Variant(Integer(5)));
  EXPECT_EQ(Form->FCaption, u"5");
  EXPECT_THROW(SetPropValue(Form, u"Align", Variant(Integer(9))), ERangeError);
  EXPECT_THROW(SetPropValue(Form, u"Font", Variant(Integer(0))), EPropertyConvertError);
}

TEST(IdentMaps, RegisteredConversionsOfAnIntegerType) {
  static const auto toInt = [](const String& s, Integer& v) { return IdentToInt(s, v, kColors, 2); };
  static const auto toIdent = [](Integer v, String& s) { return IntToIdent(v, s, kColors, 2); };
  RegisterIntegerConsts(RtColorType(), +toInt, +toIdent);
  ASSERT_NE(FindIdentToInt(RtColorType()), nullptr);
  EXPECT_EQ(FindIntToIdent(TypeInfo<Integer>()), nullptr);
  Integer v = 0;
  EXPECT_TRUE(FindIdentToInt(RtColorType())(u"RCRED", v));
  EXPECT_EQ(v, 0xFF);
  String s;
  EXPECT_TRUE(FindIntToIdent(RtColorType())(0, s));
  EXPECT_EQ(s, u"rcBlack");
  EXPECT_FALSE(FindIntToIdent(RtColorType())(5, s));
}

}  // namespace
