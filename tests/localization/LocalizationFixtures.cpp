#include "tests/localization/LocalizationFixtures.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "tests/support/ModulesEnvironment.h"

namespace {

// The tests read Turkish settings (decimal comma, month names, code page 1254).
class TTurkishEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { SetSystemLocale(TSystemLocale::Turkish); }
};

const auto* const kLocale = ::testing::AddGlobalTestEnvironment(new TTurkishEnvironment);
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new testing_support::ModulesEnvironment);

}  // namespace

namespace loc_test {

CL_IMPLEMENT_CLASS_PUBLISHED(TComPortForm, P) {
  P.Property(u"Caption", &TComPortForm::Caption, &TComPortForm::SetCaption);
  P.Property(u"Font", &TComPortForm::Font, &TComPortForm::SetFont);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TTestColumn, P) {
  P.Property(u"Caption", &TTestColumn::Caption, &TTestColumn::SetCaption);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TTestControl, P) {
  P.Property(u"Caption", &TTestControl::Caption, &TTestControl::SetCaption);
  P.Property(u"Hint", &TTestControl::Hint, &TTestControl::SetHint);
  P.Property(u"Font", &TTestControl::Font, &TTestControl::SetFont);
  P.Property(u"Items", &TTestControl::Items, &TTestControl::SetItems);
  P.Property(u"Columns", &TTestControl::Columns, &TTestControl::SetColumns);
  P.Property(u"Width", &TTestControl::Width, &TTestControl::SetWidth).Default(0);
  P.Property(u"Ratio", &TTestControl::Ratio, &TTestControl::SetRatio);
  P.Property(u"Big", &TTestControl::Big, &TTestControl::SetBig);
  P.Property(u"Kind", &TTestControl::Kind, &TTestControl::SetKind).Default(tkdPlain);
  P.Property(u"Kinds", &TTestControl::Kinds, &TTestControl::SetKinds).Default(TTestKinds{});
  P.Property(u"Accel", &TTestControl::Accel, &TTestControl::SetAccel).Default(0);
}

void TComPortForm::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FFont = New<TFont>();
}

void TComPortForm::Destroy() {
  DestroyComponents();
  FreeAndNil(FFont);
  inherited::Destroy();
}

void TComPortForm::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (Integer i = 0; i < ComponentCount(); ++i) Proc(Components(i));
}

void TTestControl::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FFont = New<TFont>();
  FItems = New<TStringList>();
  FColumns = New<TOwnedCollection>(this, ClassOf<TTestColumn>());
}

void TTestControl::Destroy() {
  FreeAndNil(FFont);
  FreeAndNil(FItems);
  FreeAndNil(FColumns);
  inherited::Destroy();
}

TOwned<TComPortForm> NewForm() {
  RegisterClass(TTestControl::StaticClass());
  TOwned<TComPortForm> form(New<TComPortForm>(nullptr));
  form->SetName(u"ComPortForm");
  return form;
}

TTestControl* AddControl(TComponent* Owner, const String& Name) {
  TTestControl* c = New<TTestControl>(Owner);
  c->SetName(Name);
  return c;
}

String L(const std::u16string& Text) {
  String s = Text;
  for (Char& c : s)
    if (c == u'|') c = Char(1);
  return s;
}

std::string Show(const String& Line) {
  String s = Line;
  for (Char& c : s)
    if (c == Char(1)) c = u'|';
  return UTF16ToUTF8(s);
}

std::vector<std::string> Lines(TStrings* List) {
  std::vector<std::string> out;
  for (Integer i = 0; i < List->Count(); ++i) out.push_back(Show(List->Strings(i)));
  return out;
}

void SetLines(TStrings* List, std::initializer_list<std::u16string> Lines) {
  List->Clear();
  for (const auto& l : Lines) List->Add(L(l));
}

RawByteString FormBinary(const std::string& Text) { return ObjectTextToBinary(RawByteString(Text)); }

void ReadForm(const RawByteString& Binary, TComponent* Root) {
  TOwned<TMemoryStream> stream(New<TMemoryStream>());
  stream->WriteBuffer(Binary.data(), Integer(Binary.size()));
  stream->SetPosition(0);
  ReadComponentFromStream(stream.get(), Root);
}

RawByteString WriteForm(TComponent* Root, TComponent* Ancestor) {
  TOwned<TMemoryStream> stream(New<TMemoryStream>());
  if (Ancestor)
    WriteDescendentToStream(stream.get(), Root, Ancestor);
  else
    WriteComponentToStream(stream.get(), Root);
  return RawByteString(static_cast<const char*>(stream->Memory()), size_t(stream->Size()));
}

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace loc_test
