#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Classes.h"
#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"

namespace {

std::vector<String> gLoaded;

CL_ENUM(TShade, Byte, shLight, shDark)
using TShades = TSet<TShade, 1>;
CL_SET_TYPEINFO(TShades)

class TPen : public TPersistent {
  CL_CLASS(TPen, TPersistent)
 public:
  Integer Width() const { return FWidth; }
  void SetWidth(Integer V) { FWidth = V; }
  void Assign(TPersistent* Source) override {
    if (auto* p = dynamic_cast<TPen*>(Source)) {
      FWidth = p->FWidth;
      return;
    }
    inherited::Assign(Source);
  }
  Integer FWidth{};
};

class TRow : public TCollectionItem {
  CL_CLASS(TRow, TCollectionItem)
 public:
  String Caption() const { return FCaption; }
  void SetCaption(String V) { FCaption = V; }
  Integer Width() const { return FWidth; }
  void SetWidth(Integer V) { FWidth = V; }
  TComponent* Link() const { return FLink; }
  void SetLink(TComponent* V) { FLink = V; }
  void Assign(TPersistent* Source) override {
    if (auto* r = dynamic_cast<TRow*>(Source)) {
      FCaption = r->FCaption;
      FWidth = r->FWidth;
      FLink = r->FLink;
      FValue = r->FValue;
      return;
    }
    inherited::Assign(Source);
  }
  String FCaption;
  Integer FWidth{};
  TComponent* FLink{};
  Variant FValue;
};

class TWidget : public TComponent {
  CL_CLASS(TWidget, TComponent)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    FSize = 10;
    FPen = New<TPen>();
    FRows = New<TOwnedCollection>(this, ClassOf<TRow>());
  }
  void Destroy() override {
    FreeAndNil(FRows);
    FreeAndNil(FPen);
    inherited::Destroy();
  }
  void Loaded() override {
    inherited::Loaded();
    gLoaded.push_back(Name());
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FBuddy) FBuddy = nullptr;
  }

  Integer Size() const { return FSize; }
  void SetSize(Integer V) { FSize = V; }
  String Caption() const { return FCaption; }
  void SetCaption(String V) { FCaption = V; }
  TShade Shade() const { return FShade; }
  void SetShade(TShade V) { FShade = V; }
  TShades Shades() const { return FShades; }
  void SetShades(TShades V) { FShades = V; }
  double Ratio() const { return FRatio; }
  void SetRatio(double V) { FRatio = V; }
  bool Active() const { return FActive; }
  void SetActive(bool V) { FActive = V; }
  Int64 Big() const { return FBig; }
  void SetBig(Int64 V) { FBig = V; }
  TPen* Pen() const { return FPen; }
  void SetPen(TPen* V) { FPen->Assign(V); }
  TOwnedCollection* Rows() const { return FRows; }
  void SetRows(TOwnedCollection* V) { FRows->Assign(V); }
  TWidget* Buddy() const { return FBuddy; }
  void SetBuddy(TWidget* V) {
    FBuddy = V;
    if (V) V->FreeNotification(this);
  }

  // Children for streaming: the root's widgets whose parent is this one.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    for (Integer i = 0; i < Root->ComponentCount(); ++i)
      if (auto* w = dynamic_cast<TWidget*>(Root->Components(i)); w && w->FParentWidget == this) Proc(w);
  }
  Boolean HasParent() override { return FParentWidget != nullptr; }
  TComponent* GetParentComponent() override { return FParentWidget; }
  void SetParentComponent(TComponent* Value) override { FParentWidget = dynamic_cast<TWidget*>(Value); }

  void DefineProperties(TFiler* Filer) override {
    inherited::DefineProperties(Filer);
    Filer->DefineProperty(u"Extra", TReaderProc(this, &TWidget::ReadExtra), TWriterProc(this, &TWidget::WriteExtra),
                          FExtra != 0);
    Filer->DefineBinaryProperty(u"Blob", TStreamProc(this, &TWidget::ReadBlob),
                                TStreamProc(this, &TWidget::WriteBlob), !FBlob.empty());
  }
  void ReadExtra(TReader* R) { FExtra = R->ReadInteger(); }
  void WriteExtra(TWriter* W) { W->WriteInteger(FExtra); }
  void ReadBlob(TStream* S) {
    FBlob.resize(static_cast<size_t>(S->Size()));
    S->ReadBuffer(FBlob.data(), static_cast<Integer>(FBlob.size()));
  }
  void WriteBlob(TStream* S) { S->WriteBuffer(FBlob.data(), static_cast<Integer>(FBlob.size())); }

  Integer FSize{};
  String FCaption;
  TShade FShade{};
  TShades FShades{};
  double FRatio{};
  bool FActive{};
  Int64 FBig{};
  TPen* FPen{};
  TOwnedCollection* FRows{};
  TWidget* FBuddy{};
  TNotifyEvent FOnClick;
  Integer FExtra{};
  std::string FBlob;
  TWidget* FParentWidget{};
};

class TTestForm : public TComponent {
  CL_CLASS(TTestForm, TComponent)
 public:
  void Widget1Click(TObject*) { ++FClicks; }
  void Loaded() override {
    inherited::Loaded();
    gLoaded.push_back(Name());
  }
  // Children: the owned widgets without a parent widget.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    for (Integer i = 0; i < ComponentCount(); ++i)
      if (auto* w = dynamic_cast<TWidget*>(Components(i)); w && !w->FParentWidget) Proc(w);
  }
  TWidget* Widget1{};
  Integer FClicks{};
};

}  // namespace

CL_IMPLEMENT_CLASS_PUBLISHED(TPen, P) { P.Property(u"Width", &TPen::Width, &TPen::SetWidth).Default(0); }
CL_IMPLEMENT_CLASS_PUBLISHED(TRow, P) {
  P.Property(u"Caption", &TRow::Caption, &TRow::SetCaption);
  P.Property(u"Width", &TRow::Width, &TRow::SetWidth).Default(0);
  P.Property(u"Link", &TRow::Link, &TRow::SetLink);
  P.Property(u"Value", &TRow::FValue, &TRow::FValue);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TWidget, P) {
  P.Property(u"Size", &TWidget::Size, &TWidget::SetSize).Default(10);
  P.Property(u"Caption", &TWidget::Caption, &TWidget::SetCaption);
  P.Property(u"Shade", &TWidget::Shade, &TWidget::SetShade).Default(shLight);
  P.Property(u"Shades", &TWidget::Shades, &TWidget::SetShades).Default(TShades{});
  P.Property(u"Ratio", &TWidget::Ratio, &TWidget::SetRatio);
  P.Property(u"Active", &TWidget::Active, &TWidget::SetActive).Default(false);
  P.Property(u"Big", &TWidget::Big, &TWidget::SetBig).Default(Int64(0));
  P.Property(u"Pen", &TWidget::Pen, &TWidget::SetPen);
  P.Property(u"Rows", &TWidget::Rows, &TWidget::SetRows);
  P.Property(u"Buddy", &TWidget::Buddy, &TWidget::SetBuddy);
  P.Property(u"OnClick", &TWidget::FOnClick, &TWidget::FOnClick);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TTestForm, P) {
  P.Field(u"Widget1", &TTestForm::Widget1);
  P.Method(u"Widget1Click", &TTestForm::Widget1Click);
}

namespace {

std::string Crlf(const std::string& Text) {
  std::string out;
  for (char c : Text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

const std::string kFormText = Crlf(
    "object Form1: TTestForm\n"
    "  Tag = 7\n"
    "  object Widget1: TWidget\n"
    "    Size = 3\n"
    "    Caption = 'Kont'#246'r'\n"
    "    Shade = shDark\n"
    "    Shades = [shLight, shDark]\n"
    "    Ratio = 0.5\n"
    "    Active = True\n"
    "    Big = 5000000000\n"
    "    Pen.Width = 4\n"
    "    Rows = <\n"
    "      item\n"
    "        Caption = 'a'\n"
    "        Link = Widget2\n"
    "        Value = 'v'\n"
    "      end\n"
    "      item\n"
    "        Width = 9\n"
    "        Value = Null\n"
    "      end\n"
    "      item\n"
    "        Value = (\n"
    "          1\n"
    "          2.5)\n"
    "      end>\n"
    "    Buddy = Widget3\n"
    "    OnClick = Widget1Click\n"
    "    Extra = 42\n"
    "    Blob = {\n"
    "      0102}\n"
    "    object Widget2: TWidget\n"
    "    end\n"
    "  end\n"
    "  object Widget3: TWidget\n"
    "    Size = 0\n"
    "    Left = 24\n"
    "    Top = -8\n"
    "  end\n"
    "end\n");

class FilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterClasses({TWidget::StaticClass(), TTestForm::StaticClass()});
    gLoaded.clear();
  }
  void TearDown() override { UnRegisterClasses({TWidget::StaticClass(), TTestForm::StaticClass()}); }

  static TComponent* Load(const std::string& Text, TComponent* Root = nullptr) {
    std::string bin = ObjectTextToBinary(Text);
    std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
    s->WriteBuffer(bin.data(), static_cast<Integer>(bin.size()));
    s->SetPosition(0);
    return ReadComponentFromStream(s.get(), Root);
  }
  static std::string Save(TComponent* Root, TComponent* Ancestor = nullptr) {
    std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
    WriteDescendentToStream(s.get(), Root, Ancestor);
    return ObjectBinaryToText(std::string(static_cast<const char*>(s->Memory()), static_cast<size_t>(s->Size())));
  }
};

TEST_F(FilerTest, LoadsTreeWithCollectionChildrenReferencesAndEvents) {
  auto* form = static_cast<TTestForm*>(Load(kFormText));
  std::unique_ptr<TTestForm, TObjectFree> guard(form);
  EXPECT_EQ(form->Name(), u"Form1");
  EXPECT_EQ(form->Tag(), 7);
  ASSERT_EQ(form->ComponentCount(), 3);
  auto* w1 = static_cast<TWidget*>(form->FindComponent(u"Widget1"));
  auto* w2 = static_cast<TWidget*>(form->FindComponent(u"widget2"));
  auto* w3 = static_cast<TWidget*>(form->FindComponent(u"Widget3"));
  ASSERT_TRUE(w1 && w2 && w3);
  EXPECT_EQ(form->Widget1, w1);  // the published field is set by name
  EXPECT_EQ(w1->FSize, 3);
  EXPECT_EQ(w1->FCaption, u"Kontör");
  EXPECT_EQ(w1->FShade, shDark);
  EXPECT_EQ(w1->FShades, (TShades{shLight, shDark}));
  EXPECT_EQ(w1->FRatio, 0.5);
  EXPECT_TRUE(w1->FActive);
  EXPECT_EQ(w1->FBig, 5000000000);
  EXPECT_EQ(w1->FPen->FWidth, 4);
  ASSERT_EQ(w1->FRows->Count(), 3);
  auto* row0 = static_cast<TRow*>(w1->FRows->Items(0));
  EXPECT_EQ(row0->FCaption, u"a");
  EXPECT_EQ(row0->FLink, w2);  // a reference to a component read later
  EXPECT_EQ(static_cast<TRow*>(w1->FRows->Items(1))->FWidth, 9);
  EXPECT_EQ(VarToStr(row0->FValue), u"v");
  EXPECT_TRUE(VarIsNull(static_cast<TRow*>(w1->FRows->Items(1))->FValue));
  const Variant& arr = static_cast<TRow*>(w1->FRows->Items(2))->FValue;
  ASSERT_TRUE(VarIsArray(arr));
  EXPECT_EQ(VarArrayGet(arr, {1}).AsDouble(), 2.5);
  EXPECT_EQ(w1->FBuddy, w3);
  EXPECT_EQ(w1->FExtra, 42);
  EXPECT_EQ(w1->FBlob, std::string("\x01\x02"));
  EXPECT_EQ(w2->FParentWidget, w1);
  EXPECT_EQ(w3->FSize, 0);
  EXPECT_EQ(static_cast<uint32_t>(w3->DesignInfo()), 0xFFF80018u);  // Left 24, Top -8
  ASSERT_TRUE(Assigned(w1->FOnClick));
  w1->FOnClick(w1);
  EXPECT_EQ(form->FClicks, 1);
  // Loaded once per component, the root first; csLoading is gone.
  EXPECT_EQ(gLoaded, (std::vector<String>{u"Form1", u"Widget1", u"Widget2", u"Widget3"}));
  EXPECT_FALSE(w1->ComponentState().Contains(csLoading));
  EXPECT_FALSE(form->ComponentState().Contains(csReading));
  // Writing gives the same text back.
  EXPECT_EQ(Save(form), kFormText);
  // A freed buddy clears the reference that asked to be told.
  Free(w3);
  EXPECT_EQ(w1->FBuddy, nullptr);
}

TEST_F(FilerTest, WriteDescendentWritesOnlyDifferences) {
  std::unique_ptr<TComponent, TObjectFree> ancestor(Load(kFormText));
  std::unique_ptr<TComponent, TObjectFree> form(Load(kFormText));
  auto* w1 = static_cast<TWidget*>(form->FindComponent(u"Widget1"));
  w1->FSize = 5;
  w1->FPen->FWidth = 6;
  EXPECT_EQ(Save(form.get(), ancestor.get()), Crlf("object Form1: TTestForm\n"
                                                   "  inherited Widget1: TWidget\n"
                                                   "    Size = 5\n"
                                                   "    Pen.Width = 6\n"
                                                   "    Extra = 42\n"
                                                   "    Blob = {\n"
                                                   "      0102}\n"
                                                   "    inherited Widget2: TWidget\n"
                                                   "    end\n"
                                                   "  end\n"
                                                   "  inherited Widget3: TWidget\n"
                                                   "  end\n"
                                                   "end\n"));
}

TComponent* gOtherRoot = nullptr;
TComponent* FindOther(const String& Name) {
  return gOtherRoot && SameText(gOtherRoot->Name(), Name) ? gOtherRoot : nullptr;
}

TEST_F(FilerTest, ReferenceToAnotherRootIsFixedWhenThatRootLoads) {
  RegisterFindGlobalComponentProc(&FindOther);
  std::unique_ptr<TComponent, TObjectFree> first(
      Load(Crlf("object Form1: TTestForm\n  object W: TWidget\n    Buddy = Other.Far\n  end\nend\n")));
  auto* w = static_cast<TWidget*>(first->FindComponent(u"W"));
  EXPECT_EQ(w->FBuddy, nullptr);
  TComponent* other = Load(Crlf("object Other: TTestForm\n  object Far: TWidget\n  end\nend\n"));
  gOtherRoot = other;
  GlobalFixupReferences();
  EXPECT_EQ(w->FBuddy, other->FindComponent(u"Far"));
  Free(other);
  gOtherRoot = nullptr;
  EXPECT_EQ(w->FBuddy, nullptr);  // free notification across roots
  UnregisterFindGlobalComponentProc(&FindOther);
}

struct TBadForm {
  const char* Text;
  const char* Message;
  bool ClassNotFound;
};

// Errors free what was created so far (the sanitizer proves no leak) and
// name the place.
TEST_F(FilerTest, BadFormsRaiseAndFreeEverything) {
  const TBadForm cases[] = {
      {"object F: TTestForm\n  object W: TNoSuchClass\n  end\nend\n", "Class TNoSuchClass not found", true},
      {"object F: TNoSuchForm\nend\n", "Class TNoSuchForm not found", true},
      {"object F: TTestForm\n  object W: TWidget\n    Nope = 1\n  end\nend\n",
       "Error reading W.Nope: Property Nope does not exist", false},
      {"object F: TTestForm\n  object W: TWidget\n    Size = 'x'\n  end\nend\n",
       "Error reading W.Size: Invalid property value", false},
      {"object F: TTestForm\n  object W: TWidget\n    Shade = shNone\n  end\nend\n",
       "Error reading W.Shade: Invalid property value", false},
      {"object F: TTestForm\n  object W: TWidget\n    Shades = [shBad]\n  end\nend\n",
       "Error reading W.Shades: Invalid property value", false},
      {"object F: TTestForm\n  object W: TWidget\n    Pen.Nope = 1\n  end\nend\n",
       "Error reading W.Pen.Nope: Property Nope does not exist", false},
      {"object F: TTestForm\n  object W: TWidget\n    Rows = <\n      item\n        Bad = 1\n      end>\n  end\n"
       "end\n",
       "Error reading W.Rows: Property Bad does not exist", false},
      {"object F: TTestForm\n  inherited W: TWidget\n  end\nend\n", "Ancestor for 'W' not found", false},
      {"object F: TTestForm\n  object W: TWidget\n  end\n  object w: TWidget\n  end\nend\n",
       "A component named w already exists", false},
      {"object F: TTestForm\n  object W: TWidget\n    OnClick = NoSuchHandler\n  end\nend\n",
       "Method NoSuchHandler not found", false},
  };
  for (const TBadForm& c : cases) {
    try {
      Free(Load(Crlf(c.Text)));
      ADD_FAILURE() << "no error for " << c.Text;
    } catch (const EClassNotFound& e) {
      EXPECT_TRUE(c.ClassNotFound) << c.Text;
      EXPECT_EQ(std::string(e.what()), c.Message);
    } catch (const Exception& e) {
      EXPECT_FALSE(c.ClassNotFound) << c.Text;
      EXPECT_EQ(std::string(e.what()), c.Message) << c.Text;
    }
  }
}

TEST_F(FilerTest, TruncatedStreamsRaiseReadErrors) {
  std::string bin = ObjectTextToBinary(kFormText);
  for (size_t n = 0; n < bin.size(); ++n) {
    std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
    if (n) s->WriteBuffer(bin.data(), static_cast<Integer>(n));
    s->SetPosition(0);
    EXPECT_THROW(Free(ReadComponentFromStream(s.get(), nullptr)), EFilerError) << n;
  }
}

TEST_F(FilerTest, ReadsIntoExistingRoot) {
  std::unique_ptr<TTestForm, TObjectFree> form(New<TTestForm>(nullptr));
  EXPECT_EQ(Load(kFormText, form.get()), form.get());
  EXPECT_EQ(form->ComponentCount(), 3);
  EXPECT_EQ(form->Name(), u"Form1");
}

// The stream's own members: a component plain and behind a resource header,
// one after the other in one stream, each read back whole.
TEST_F(FilerTest, StreamMembersReadAndWriteComponents) {
  std::unique_ptr<TComponent, TObjectFree> form(Load(kFormText));
  std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
  s->WriteComponent(form.get());
  const Int64 plainEnd = s->Position();
  s->WriteComponentRes(u"Form1Res", form.get());
  const Int64 end = s->Position();
  const std::string bytes(static_cast<const char*>(s->Memory()), static_cast<size_t>(s->Size()));
  // FF, RCDATA, the name in upper case, flags 1030h, then the data's size.
  const std::string header = bytes.substr(static_cast<size_t>(plainEnd), 18);
  EXPECT_EQ(header.substr(0, 14), std::string("\xFF\x0A\x00" "FORM1RES\0" "\x30\x10", 14));
  const uint32_t size = static_cast<Byte>(header[14]) | static_cast<Byte>(header[15]) << 8 |
                        static_cast<Byte>(header[16]) << 16 | static_cast<uint32_t>(static_cast<Byte>(header[17])) << 24;
  EXPECT_EQ(size, static_cast<uint32_t>(end - plainEnd - 18));
  EXPECT_EQ(bytes.substr(static_cast<size_t>(plainEnd) + 18), bytes.substr(0, static_cast<size_t>(plainEnd)));

  s->SetPosition(0);
  std::unique_ptr<TComponent, TObjectFree> plain(s->ReadComponent(nullptr));
  EXPECT_EQ(s->Position(), plainEnd);
  std::unique_ptr<TComponent, TObjectFree> res(s->ReadComponentRes(nullptr));
  EXPECT_EQ(s->Position(), end);
  EXPECT_EQ(Save(plain.get()), kFormText);
  EXPECT_EQ(Save(res.get()), kFormText);

  // Only the differences from an ancestor.
  plain->SetTag(9);
  std::unique_ptr<TMemoryStream, TObjectFree> d(New<TMemoryStream>());
  d->WriteDescendent(plain.get(), res.get());
  EXPECT_EQ(ObjectBinaryToText(std::string(static_cast<const char*>(d->Memory()), static_cast<size_t>(d->Size()))),
            Save(plain.get(), res.get()));
}

TEST_F(FilerTest, ReadComponentResRefusesAMissingOrDamagedHeader) {
  const std::string bin = ObjectTextToBinary(kFormText);
  const std::string cases[] = {
      bin,                                      // no header at all
      std::string("\xFF\x03\x00" "A\0", 5) + bin,  // not RCDATA
      std::string("\xFF\x0A\x00" "ABC", 6),       // the name never ends
      std::string("\xFF\x0A\x00" "A\0\x30", 6),   // cut inside flags and size
      std::string("\xFF\x0A\x00", 3) + std::string(300, 'A') + std::string("\0\x30\x10\0\0\0\0", 7) + bin,
  };
  for (const std::string& c : cases) {
    std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
    s->WriteBuffer(c.data(), static_cast<Integer>(c.size()));
    s->SetPosition(0);
    EXPECT_THROW(Free(s->ReadComponentRes(nullptr)), EInvalidImage) << c.size();
  }
  // A sound header over damaged data: the reader's own error.
  std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
  const std::string head("\xFF\x0A\x00" "A\0" "\x30\x10\x04\0\0\0" "TPF0", 15);
  s->WriteBuffer(head.data(), static_cast<Integer>(head.size()));
  s->SetPosition(0);
  try {
    Free(s->ReadComponentRes(nullptr));
    FAIL() << "no error";
  } catch (const EInvalidImage&) {
    FAIL() << "the header was refused";
  } catch (const EFilerError&) {
  }
}

// The string rule: UTF-8 when shorter than UTF-16, ASCII as short or long
// strings, else UTF-16.
TEST(FilerStrings, ChoosesEncodingByLength) {
  struct TCase {
    String Value;
    std::string Head;
  };
  const TCase cases[] = {
      {u"", std::string("\x12\0\0\0\0", 5)},
      {u"a", std::string("\x06\x01", 2)},
      {String(255, u'x'), std::string("\x06\xFF", 2)},
      {String(256, u'x'), std::string("\x0C\x00\x01\0\0", 5)},
      {u"\u00F6", std::string("\x12\x01\0\0\0", 5)},       // 2 bytes either way: UTF-16
      {u"a\u00F6", std::string("\x14\x03\0\0\0", 5)},      // 3 < 4: UTF-8
      {u"\u0418", std::string("\x12\x01\0\0\0", 5)},       // Cyrillic: 2 = 2
      {u"\u20AC", std::string("\x12\x01\0\0\0", 5)},       // 3 > 2
      {u"ab\u20AC", std::string("\x14\x05\0\0\0", 5)},     // 5 < 6
      {u"a\xD800", std::string("\x12\x02\0\0\0", 5)},      // unpaired surrogate stays UTF-16
      {u"abcd\xD800", std::string("\x12\x05\0\0\0", 5)},
  };
  for (const TCase& c : cases) {
    std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
    std::unique_ptr<TWriter, TObjectFree> w(New<TWriter>(s.get(), 1024));
    w->WriteString(c.Value);
    std::string bytes(static_cast<const char*>(s->Memory()), static_cast<size_t>(s->Size()));
    EXPECT_EQ(bytes.substr(0, c.Head.size()), c.Head);
    s->SetPosition(0);
    std::unique_ptr<TReader, TObjectFree> r(New<TReader>(s.get(), 1024));
    EXPECT_EQ(r->ReadString(), c.Value);
    EXPECT_EQ(s->Position(), s->Size());
  }
}

TEST(FilerValues, WriterAndReaderAgreeOnEveryKind) {
  std::unique_ptr<TMemoryStream, TObjectFree> s(New<TMemoryStream>());
  {
    std::unique_ptr<TWriter, TObjectFree> w(New<TWriter>(s.get(), 1024));
    w->WriteListBegin();
    w->WriteInteger(-5);
    w->WriteInteger(Int64(1) << 40);
    w->WriteFloat(2.25);
    w->WriteSingle(1.5f);
    w->WriteDouble(0.1);
    w->WriteCurrency(Currency::FromRaw(12345));
    w->WriteDate(45000.5);
    w->WriteBoolean(true);
    w->WriteIdent(u"nil");
    w->WriteIdent(u"alClient");
    w->WriteWideString(u"w");
    w->WriteUTF8Str(u"u");
    w->WriteListEnd();
  }
  std::string text = ObjectBinaryToText("TPF0" + std::string("\x02TX\x01X\x01P", 7) +
                                        std::string(static_cast<const char*>(s->Memory()),
                                                    static_cast<size_t>(s->Size())) +
                                        std::string("\0\0", 2));
  EXPECT_NE(text.find("-5\r\n    1099511627776\r\n    2.25\r\n    1.5S\r\n    0.1F\r\n    1.2345C\r\n    45000.5D\r\n"
                      "    True\r\n    nil\r\n    alClient\r\n    'w'\r\n    'u')"),
            std::string::npos)
      << text;
  s->SetPosition(0);
  std::unique_ptr<TReader, TObjectFree> r(New<TReader>(s.get(), 1024));
  r->ReadListBegin();
  EXPECT_EQ(r->ReadInteger(), -5);
  EXPECT_THROW(r->ReadInteger(), EReadError);  // a 64-bit value is not an Integer (and is skipped)
  EXPECT_EQ(r->ReadFloat(), 2.25);
  EXPECT_EQ(r->ReadSingle(), 1.5f);
  EXPECT_EQ(r->ReadDouble(), 0.1);
  EXPECT_EQ(r->ReadCurrency(), Currency::FromRaw(12345));
  EXPECT_EQ(r->ReadDate(), 45000.5);
  EXPECT_TRUE(r->ReadBoolean());
  EXPECT_EQ(r->ReadIdent(), u"nil");
  EXPECT_EQ(r->ReadIdent(), u"alClient");
  EXPECT_EQ(r->ReadWideString(), u"w");
  EXPECT_EQ(r->ReadString(), u"u");
  EXPECT_TRUE(r->EndOfList());
  r->ReadListEnd();
}

// --- Values that used to lose their way through the stream ---------------------

std::vector<std::string> gUpdates;

class TTimerLike : public TComponent {
  CL_CLASS(TTimerLike, TComponent)
 public:
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal V) {
    FInterval = V;
    gUpdates.push_back(ComponentState().Contains(csUpdating) ? "Interval while updating" : "Interval");
  }
  Currency Price() const { return FPrice; }
  void SetPrice(Currency V) { FPrice = V; }
  void Updating() override {
    gUpdates.push_back("Updating");
    inherited::Updating();
  }
  void Updated() override {
    inherited::Updated();
    gUpdates.push_back("Updated");
  }
  Cardinal FInterval{};
  Currency FPrice;
  TNotifyEvent FOnTimer;
};

class TTimerForm : public TComponent {
  CL_CLASS(TTimerForm, TComponent)
 public:
  void Tick(TObject*) {}
  void GetChildren(TGetChildProc Proc, TComponent*) override {
    for (Integer i = 0; i < ComponentCount(); ++i) Proc(Components(i));
  }
  TTimerLike* Timer1{};
};

}  // namespace

CL_IMPLEMENT_CLASS_PUBLISHED(TTimerLike, P) {
  P.Property(u"Interval", &TTimerLike::Interval, &TTimerLike::SetInterval).Default(1000);
  P.Property(u"Price", &TTimerLike::Price, &TTimerLike::SetPrice);
  P.Property(u"OnTimer", &TTimerLike::FOnTimer);  // a field alone: read and written in place
}
CL_IMPLEMENT_CLASS_PUBLISHED(TTimerForm, P) {
  P.Field(u"Timer1", &TTimerForm::Timer1);
  P.Method(u"Tick", &TTimerForm::Tick);
}

namespace {

class FilerValuesTest : public FilerTest {
 protected:
  void SetUp() override { RegisterClasses({TTimerLike::StaticClass(), TTimerForm::StaticClass()}); }
  void TearDown() override { UnRegisterClasses({TTimerLike::StaticClass(), TTimerForm::StaticClass()}); }

  static std::unique_ptr<TTimerForm, TObjectFree> Load(const std::string& Text) {
    return std::unique_ptr<TTimerForm, TObjectFree>(static_cast<TTimerForm*>(FilerTest::Load(Text)));
  }
  static std::unique_ptr<TTimerForm, TObjectFree> Reload(TTimerForm* Form) { return Load(Save(Form)); }
  static std::string Form(const std::string& Props) {
    return Crlf("object TimerForm1: TTimerForm\n  object Timer1: TTimerLike\n" + Props + "  end\nend\n");
  }
};

TEST_F(FilerValuesTest, CardinalsAboveTwoToThe31RoundTrip) {
  // Written by a text form as a 64-bit number, and by the writer as its 32 bits.
  auto form = Load(Form("    Interval = 3000000000\n"));
  EXPECT_EQ(form->Timer1->Interval(), 3000000000u);
  form->Timer1->SetInterval(4294967295u);
  EXPECT_EQ(Reload(form.get())->Timer1->Interval(), 4294967295u);
  EXPECT_THROW(Load(Form("    Interval = 4294967296\n")), EReadError);
}

TEST_F(FilerValuesTest, CurrencyKeepsEveryDigit) {
  const Currency largest = Currency::FromRaw(INT64_MAX), smallest = Currency::FromRaw(INT64_MIN);
  auto form = Load(Form("    Price = 922337203685477.5807C\n"));
  EXPECT_EQ(form->Timer1->Price(), largest);
  EXPECT_EQ(Reload(form.get())->Timer1->Price(), largest);
  form->Timer1->SetPrice(smallest);
  EXPECT_EQ(Reload(form.get())->Timer1->Price(), smallest);
  // A whole number beyond a double's exact range, as an integer literal.
  EXPECT_EQ(Load(Form("    Price = 900719925474099\n"))->Timer1->Price(), Currency::FromRaw(9007199254740990000));
  EXPECT_EQ(GetPropValue(form->Timer1, GetPropInfo(form->Timer1, u"Price")).AsCurrency(), smallest);
}

TEST_F(FilerValuesTest, ReaderCallsUpdatingAroundTheProperties) {
  gUpdates.clear();
  auto form = Load(Form("    Interval = 5\n"));
  EXPECT_EQ(gUpdates, (std::vector<std::string>{"Updating", "Interval while updating", "Updated"}));
  EXPECT_FALSE(form->Timer1->ComponentState().Contains(csUpdating));
  // Updated runs when a property fails too.
  gUpdates.clear();
  EXPECT_THROW(Load(Form("    Interval = 5\n    Price = 'x'\n")), EReadError);
  EXPECT_EQ(gUpdates.back(), "Updated");
}

TEST_F(FilerValuesTest, AnEventFieldPublishedAloneIsReadAndWritten) {
  const TPropInfo* info = GetPropInfo(TTimerLike::StaticClass(), u"OnTimer");
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->Getter && info->Setter);
  auto form = Load(Form("    OnTimer = Tick\n"));
  ASSERT_TRUE(Assigned(form->Timer1->FOnTimer));
  EXPECT_NE(Save(form.get()).find("OnTimer = Tick"), std::string::npos);
}

}  // namespace
