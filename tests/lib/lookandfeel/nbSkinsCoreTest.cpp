// The skin data model (ownership, change notification, update locking,
// look-ups by name) and the skin stream: round trips, the exact bytes, and
// damaged or hostile streams refused with the skin left as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "lib/foundation/nbGDIPlusClasses.h"
#include "lib/lookandfeel/nbSkinsCore.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "tests/lib/lookandfeel/SkinFixture.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace skin_test;

// Counts the change notifications of a skin.
class TSkinListener : public TvlIUnknownObject, public InbSkinChangeListener {
  CL_CLASS(TSkinListener, TvlIUnknownObject)
 public:
  void SkinContentChanged(TnbSkin* Sender) override {
    ++Calls;
    // A change made by a listener does not notify again.
    if (Touch) Sender->AddColor(u"FromListener", TColor(1));
  }
  void OnChange(TObject*) { ++Events; }
  int Calls = 0;
  int Events = 0;
  bool Touch = false;
};
CL_IMPLEMENT_CLASS(TSkinListener)

Owned<TnbSkin> NewSkin(const String& AName = u"Test") {
  return Owned<TnbSkin>(New<TnbSkin>(AName, static_cast<void*>(nullptr), false));
}

TEST(SkinModel, LookUpsSortFirstAndFindEveryName) {
  Owned<TnbSkin> skin = NewSkin();
  for (const char16_t* name : {u"Zeta", u"alpha", u"Beta", u"Alpha", u"gamma"}) skin->AddColor(name, TColor(7));
  // Added last, unsorted: the look-up sorts before searching.
  TnbSkinColor* last = skin->AddColor(u"Middle", TColor(9));
  EXPECT_EQ(last, skin->GetColorByName(u"Middle"));
  for (const char16_t* name : {u"Zeta", u"alpha", u"Beta", u"Alpha", u"gamma"})
    ASSERT_NE(nullptr, skin->GetColorByName(name)) << UTF16ToUTF8(name);
  EXPECT_EQ(nullptr, skin->GetColorByName(u"middle"));  // case-sensitive
  EXPECT_EQ(nullptr, skin->GetColorByName(u"Absent"));
  TnbSkinControlGroup* group = skin->AddGroup(u"Common");
  TnbSkinElement* button = group->AddElement(u"Button");
  group->AddElement(u"Arrow");
  EXPECT_EQ(button, group->GetElementByName(u"Button"));
  EXPECT_EQ(group, skin->GetGroupByName(u"Common"));
  EXPECT_EQ(skin.get(), group->Skin());
  EXPECT_EQ(group, button->Group());
  EXPECT_EQ(u"Common\\", button->Path());
}

TEST(SkinModel, ChangesReachTheSkinOnceUnlessLocked) {
  Owned<TnbSkin> skin = NewSkin();
  TSkinListener* listener = New<TSkinListener>();
  Owned<TSkinListener> own(listener);
  skin->AddListener(listener);
  skin->SetOnChange(TNotifyEvent(listener, &TSkinListener::OnChange));
  TnbSkinElement* element = skin->AddGroup(u"Common")->AddElement(u"Button");
  listener->Calls = listener->Events = 0;
  // A change deep inside an element reaches the skin's listeners and event.
  element->Image()->Margins()->SetLeft(4);
  EXPECT_EQ(1, listener->Calls);
  EXPECT_EQ(1, listener->Events);
  EXPECT_TRUE(skin->Modified());
  // Two locks: only the second EndUpdate reports; CancelUpdate never does.
  listener->Calls = 0;
  skin->BeginUpdate();
  skin->BeginUpdate();
  element->SetColor(TColor(0xFF));
  skin->EndUpdate();
  EXPECT_EQ(0, listener->Calls);
  skin->EndUpdate();
  EXPECT_EQ(1, listener->Calls);
  skin->BeginUpdate();
  skin->AddColor(u"X", TColor(1));
  skin->CancelUpdate();
  EXPECT_EQ(1, listener->Calls);
  EXPECT_EQ(0, skin->LockCount());
  // A listener that changes the skin is not called again for that change.
  listener->Touch = true;
  skin->AddColor(u"Y", TColor(2));
  EXPECT_EQ(2, listener->Calls);
  skin->RemoveListener(listener);
  listener->Touch = false;
  skin->AddColor(u"Z", TColor(3));
  EXPECT_EQ(2, listener->Calls);
  // ClearModified reaches groups and elements.
  skin->ClearModified();
  EXPECT_FALSE(skin->Modified());
  EXPECT_FALSE(element->Modified());
}

TEST(SkinModel, ElementValues) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinElement* e = skin->AddGroup(u"G")->AddElement(u"E");
  EXPECT_EQ(255, e->Alpha());
  EXPECT_EQ(nbSkinClDefault, e->Color());
  EXPECT_FALSE(e->IsColorAssigned());
  e->SetColor(TColor(0x0000FF));  // red
  e->SetAlpha(128);
  ASSERT_NE(nullptr, e->Brush());
  win::gdiplus::ARGB argb{};
  nbgp::GdipGetSolidFillColor(e->Brush(), &argb);
  EXPECT_EQ(0x80FF0000u, argb);
  EXPECT_TRUE(e->IsAlphaUsed());
  for (TColor c : {nbSkinClDefault, nbSkinClNone}) {
    e->SetColor(c);
    EXPECT_FALSE(e->IsColorAssigned());
  }
  e->SetImageCount(0);
  EXPECT_EQ(1, e->ImageCount());
  // Text colours by state: a state colour only when it is assigned.
  e->SetTextColor(TColor(0x111111));
  EXPECT_EQ(TColor(0x111111), e->GetTextColor(vlbsHot));
  auto* hot = static_cast<TnbSkinColor*>(e->AddProperty(u"TextColorHot", ClassOf<TnbSkinColor>()));
  EXPECT_EQ(TColor(0x111111), e->GetTextColor(vlbsHot));  // clDefault
  hot->SetValue(TColor(0x0000FF));
  EXPECT_EQ(TColor(0x0000FF), e->GetTextColor(vlbsHot));
  EXPECT_EQ(TColor(0x111111), e->GetTextColor(vlbsNormal));
  EXPECT_EQ(TColor(0x111111), e->GetTextColor(vlbsPressed));
  EXPECT_EQ(u"E_Image.png", e->GetImageName(e->Image()));
  EXPECT_EQ(u"E_Glyph.png", e->GetImageName(e->Glyph()));
  EXPECT_TRUE(e->Image()->Empty());
  EXPECT_EQ(u"", e->Image()->Name());
  SetTexture(e->Image(), 4, 4, [](Integer, Integer) { return 0xFF00FF00u; });
  EXPECT_EQ(u"G\\E_Image.png", e->Image()->SourceName());
  EXPECT_FALSE(e->IsAlphaUsed());  // the opaque texture decides
}

TEST(SkinModel, ComparisonsAndDescriptions) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinControlGroup* g = skin->AddGroup(u"G");
  TnbSkinElement* a = g->AddElement(u"E");
  TnbSkinElement* b = g->AddElement(u"E");
  EXPECT_TRUE(a->Compare(b));
  b->Borders()->Left()->SetColor(TColor(0x10));
  EXPECT_FALSE(a->Borders()->Compare(b->Borders()));
  EXPECT_FALSE(a->Compare(b));
  a->Borders()->Assign(b->Borders());
  EXPECT_TRUE(a->Compare(b));
  static_cast<TnbSkinIntegerProperty*>(a->AddProperty(u"P", ClassOf<TnbSkinIntegerProperty>()))->SetValue(1);
  EXPECT_FALSE(a->Compare(b));
  static_cast<TnbSkinIntegerProperty*>(b->AddProperty(u"P", ClassOf<TnbSkinIntegerProperty>()))->SetValue(1);
  EXPECT_TRUE(a->Compare(b));
  const struct {
    TnbSkinPropertyClass Class;
    const char16_t* Text;
  } descriptions[] = {{ClassOf<TnbSkinColor>(), u"Color"},
                      {ClassOf<TnbSkinStringProperty>(), u"String"},
                      {ClassOf<TnbSkinRectProperty>(), u"Rect"},
                      {ClassOf<TnbSkinBooleanProperty>(), u"Boolean"}};
  for (const auto& d : descriptions) EXPECT_EQ(d.Text, d.Class->Description());
  // Assign from another property class is an error.
  TnbSkinProperty* i = a->GetPropertyByName(u"P");
  auto* s = static_cast<TnbSkinStringProperty*>(a->AddProperty(u"S", ClassOf<TnbSkinStringProperty>()));
  EXPECT_THROW(s->Assign(i), EConvertError);
  // Typed access checks the class.
  skin->AddProperty(u"Q", ClassOf<TnbSkinIntegerProperty>());
  EXPECT_NO_THROW(skin->Properties(0));
  a->DeleteProperty(s);
  EXPECT_EQ(nullptr, a->GetPropertyByName(u"S"));
}

TEST(SkinModel, CloneAndAssignCopyEverything) {
  Owned<TnbSkin> skin(MakeSmallSkin());
  Owned<TnbSkin> copy(static_cast<TnbSkin*>(skin->Clone()));
  std::string why;
  EXPECT_TRUE(SkinsEqual(skin.get(), copy.get(), &why)) << why;
  EXPECT_EQ(copy.get(), copy->Groups(0)->Skin());
  copy->Clear();
  EXPECT_EQ(0, copy->GroupCount());
  EXPECT_EQ(0, copy->ColorCount());
  EXPECT_EQ(0, copy->PropertyCount());
}

TEST(SkinModel, MissingElementsAreReported) {
  Owned<TnbSkin> skin = NewSkin();
  TnbSkinControlGroup* g = skin->AddGroup(u"G");
  TnbSkinElement* e = g->AddElement(u"E");
  EXPECT_FALSE(skin->HasMissingElements());
  e->SetState(TnbSkinObjectStates{sosUnassigned});
  EXPECT_TRUE(skin->HasMissingElements());
  g->RemoveElement(e);
  EXPECT_FALSE(skin->HasMissingElements());
  g->SetState(TnbSkinObjectStates{sosUnassigned, sosUnused});
  EXPECT_TRUE(g->HasMissingElements());
}

// --- the stream ----------------------------------------------------------------------------------

// Bytes built by hand, little-endian.
struct TBytes {
  std::string S;
  TBytes& I32(Integer V) {
    S.append(reinterpret_cast<const char*>(&V), 4);
    return *this;
  }
  TBytes& U8(Byte V) {
    S.push_back(char(V));
    return *this;
  }
  TBytes& U16(Word V) {
    S.append(reinterpret_cast<const char*>(&V), 2);
    return *this;
  }
  TBytes& F64(Double V) {
    S.append(reinterpret_cast<const char*>(&V), 8);
    return *this;
  }
  TBytes& Str(const std::string& V) {
    I32(Integer(V.size()));
    S += V;
    return *this;
  }
  TBytes& Raw(const std::string& V) {
    S += V;
    return *this;
  }
  TBytes& Head(Double AVersion, const std::string& AName) { return I32(6).Raw("nbSkin").F64(AVersion).Str(AName); }
  TBytes& EmptyImage(bool AGradient) {
    I32(0).I32(0).I32(0).I32(0).U8(0).U16(0).U8(0);
    if (AGradient) I32(0x1FFFFFFF).I32(0x1FFFFFFF).U8(0);
    return I32(0);
  }
  // An element without textures, borders clNone and thin 1.
  TBytes& PlainElement(const std::string& AName, Integer AColor, bool AGradient) {
    Str(AName).I32(AColor).U8(255).I32(1).I32(0).I32(0).I32(0).I32(0);
    EmptyImage(AGradient).EmptyImage(AGradient);
    for (const char* side : {"Left", "Top", "Right", "Bottom"}) Str("TnbSkinBorder").Str(side).I32(0x1FFFFFFF).I32(1);
    return I32(0x20000000).I32(0).I32(0).I32(0);
  }
};

TEST(SkinStream, WritesTheFieldsByteForByte) {
  Owned<TnbSkin> skin = NewSkin(u"Bytes");
  skin->AddColor(u"C", TColor(0x010203));
  static_cast<TnbSkinIntegerProperty*>(skin->AddProperty(u"I", ClassOf<TnbSkinIntegerProperty>()))->SetValue(-2);
  static_cast<TnbSkinBooleanProperty*>(skin->AddProperty(u"B", ClassOf<TnbSkinBooleanProperty>()))->SetValue(true);
  static_cast<TnbSkinColor*>(skin->AddProperty(u"K", ClassOf<TnbSkinColor>()))->SetValue(TColor(0x0A0B0C));
  static_cast<TnbSkinRectProperty*>(skin->AddProperty(u"R", ClassOf<TnbSkinRectProperty>()))
      ->Value()
      ->SetRect(Rect(1, 2, 3, 4));
  static_cast<TnbSkinSizeProperty*>(skin->AddProperty(u"Z", ClassOf<TnbSkinSizeProperty>()))->SetValue(TSize{5, 6});
  static_cast<TnbSkinStringProperty*>(skin->AddProperty(u"S", ClassOf<TnbSkinStringProperty>()))->SetValue(u"ab");
  TnbSkinControlGroup* g = skin->AddGroup(u"G");
  g->AddElement(u"E")->SetColor(TColor(0x445566));
  TBytes b;
  b.Head(1.02, "Bytes").I32(1).Str("TnbSkinColor").Str("C").I32(0x010203);
  b.I32(6);
  b.Str("TnbSkinIntegerProperty").Str("I").I32(-2);
  b.Str("TnbSkinBooleanProperty").Str("B").U8(1);
  b.Str("TnbSkinColor").Str("K").I32(0x0A0B0C);
  b.Str("TnbSkinRectProperty").Str("R").I32(1).I32(2).I32(3).I32(4);
  b.Str("TnbSkinSizeProperty").Str("Z").I32(5).I32(6);
  b.Str("TnbSkinStringProperty").Str("S").Str("ab");
  b.I32(1).Str("G").I32(1).PlainElement("E", 0x445566, true).I32(0);
  EXPECT_EQ(b.S, SaveToBytes(skin.get()));
  // And read back.
  Owned<TnbSkin> loaded = NewSkin();
  Owned<TMemoryStream> in(StreamOf(b.S));
  loaded->LoadFromStream(in.get());
  std::string why;
  EXPECT_TRUE(SkinsEqual(skin.get(), loaded.get(), &why)) << why;
}

TEST(SkinStream, RoundTripKeepsEverything) {
  Owned<TnbSkin> skin(MakeSmallSkin());
  const std::string bytes = SaveToBytes(skin.get());
  Owned<TnbSkin> loaded = NewSkin(u"Other");
  Owned<TMemoryStream> in(StreamOf(bytes));
  loaded->LoadFromStream(in.get());
  EXPECT_EQ(in->Size(), in->Position());
  std::string why;
  EXPECT_TRUE(SkinsEqual(skin.get(), loaded.get(), &why)) << why;
  EXPECT_DOUBLE_EQ(1.02, loaded->Version());
  EXPECT_EQ(bytes, SaveToBytes(loaded.get()));
  TnbSkinElement* button = loaded->GetGroupByName(u"Common")->GetElementByName(u"Button");
  EXPECT_EQ(10, button->Image()->Size().cy);
  EXPECT_EQ(gmVertical, button->Image()->Gradient());
}

TEST(SkinStream, Version10HasNoGradientsAndTheMagicLengthIsNotChecked) {
  TBytes b;
  b.I32(99).Raw("nbSkin").F64(1.0).Str("Old").I32(0).I32(0).I32(1).Str("G").I32(1);
  b.PlainElement("E", 0x112233, false).I32(0);
  Owned<TnbSkin> skin = NewSkin();
  Owned<TMemoryStream> in(StreamOf(b.S));
  skin->LoadFromStream(in.get());
  EXPECT_EQ(u"Old", skin->Name());
  EXPECT_DOUBLE_EQ(1.0, skin->Version());
  TnbSkinElement* e = skin->GetGroupByName(u"G")->GetElementByName(u"E");
  ASSERT_NE(nullptr, e);
  EXPECT_EQ(TColor(0x112233), e->Color());
  EXPECT_EQ(nbSkinClNone, e->Image()->GradientBeginColor());
}

// Loads ABytes into a copy of the small skin: it must raise and leave the
// skin as it was.
template <class E>
void ExpectRefused(const std::string& ABytes, const char* AWhat) {
  Owned<TnbSkin> skin(MakeSmallSkin());
  Owned<TnbSkin> before(MakeSmallSkin());
  Owned<TMemoryStream> in(StreamOf(ABytes));
  EXPECT_THROW(skin->LoadFromStream(in.get()), E) << AWhat;
  std::string why;
  EXPECT_TRUE(SkinsEqual(skin.get(), before.get(), &why)) << AWhat << ": " << why;
}

TEST(SkinStream, BadMagicAndVersionsAreRefused) {
  ExpectRefused<EnbSkin>("", "empty");
  ExpectRefused<EnbSkin>(TBytes().I32(6).Raw("nbSkiX").F64(1.02).Str("X").S, "magic");
  ExpectRefused<EnbSkin>(TBytes().I32(6).Raw("nbSk").S, "short magic");
  try {
    Owned<TnbSkin> skin = NewSkin();
    Owned<TMemoryStream> in(StreamOf(TBytes().Head(0.9, "X").S));
    skin->LoadFromStream(in.get());
    ADD_FAILURE() << "version 0.9 accepted";
  } catch (const EnbSkin& e) {
    EXPECT_EQ(u"The skin data version is older than the current NimboSkins Library version.\r\n"
              u"Skins cannot be loaded due to a version mismatch.",
              e.Message());
  }
  ExpectRefused<EnbSkin>(TBytes().Head(0.9, "X").I32(0).I32(0).I32(0).S, "old version");
  ExpectRefused<EnbSkin>(TBytes().Head(7.5, "X").I32(0).I32(0).I32(0).S, "future version");
  ExpectRefused<EnbSkin>(TBytes().Head(std::nan(""), "X").I32(0).I32(0).I32(0).S, "NaN version");
}

TEST(SkinStream, EveryTruncationIsRefusedAndLeavesTheSkin) {
  Owned<TnbSkin> source(MakeSmallSkin());
  const std::string bytes = SaveToBytes(source.get());
  // Every prefix shorter than the whole stream.
  for (size_t n = 0; n < bytes.size(); n += (n < 600 ? 1 : 7)) {
    Owned<TnbSkin> skin(MakeSmallSkin());
    Owned<TMemoryStream> in(StreamOf(bytes.substr(0, n)));
    bool raised = false;
    try {
      skin->LoadFromStream(in.get());
    } catch (const Exception&) {
      raised = true;
    }
    ASSERT_TRUE(raised) << "prefix of " << n << " bytes accepted";
    std::string why;
    ASSERT_TRUE(SkinsEqual(skin.get(), source.get(), &why)) << n << ": " << why;
  }
}

TEST(SkinStream, HostileCountsAndSizesAreRefused) {
  const std::string head = TBytes().Head(1.02, "H").S;
  const struct {
    std::string Bytes;
    const char* What;
  } cases[] = {
      {head + TBytes().I32(0x7FFFFFFF).S, "colour count"},
      {head + TBytes().I32(-1).S, "negative colour count"},
      {head + TBytes().I32(0).I32(100000000).S, "property count"},
      {head + TBytes().I32(0).I32(0).I32(50000000).S, "group count"},
      {head + TBytes().I32(0).I32(0).I32(1).Str("G").I32(9999999).S, "element count"},
      {head + TBytes().I32(1).I32(0x7FFFFFF0).S, "string length"},
  };
  for (const auto& c : cases) ExpectRefused<Exception>(c.Bytes, c.What);

  // A property of a class that is not a property class.
  ExpectRefused<EClassNotFound>(head + TBytes().I32(0).I32(1).Str("TnbSkinElement").Str("P").I32(0).S,
                                "element as property");
  ExpectRefused<EClassNotFound>(head + TBytes().I32(0).I32(1).Str("TNoSuchClass").Str("P").I32(0).S, "no class");

  // An element whose texture is longer than the stream, is no PNG, or is huge.
  auto elementWithTexture = [&](const std::string& ATexture, Integer ASize) {
    TBytes b;
    b.Raw(head).I32(0).I32(0).I32(1).Str("G").I32(1);
    b.Str("E").I32(0).U8(255).I32(1).I32(0).I32(0).I32(0).I32(0);
    b.EmptyImage(true);
    b.I32(0).I32(0).I32(0).I32(0).U8(0).U16(1).U8(0).I32(0x1FFFFFFF).I32(0x1FFFFFFF).U8(0).I32(ASize).Raw(ATexture);
    for (const char* side : {"Left", "Top", "Right", "Bottom"}) b.Str("TnbSkinBorder").Str(side).I32(0).I32(1);
    b.I32(0).I32(0).I32(0).I32(0).I32(0);
    // Padding: the counts must look plausible.
    b.Raw(std::string(400, '\0'));
    return b.S;
  };
  {
    // The frame of these cases is sound: without a texture it loads.
    Owned<TnbSkin> skin = NewSkin();
    Owned<TMemoryStream> in(StreamOf(elementWithTexture("", 0)));
    skin->LoadFromStream(in.get());
    ASSERT_NE(nullptr, skin->GetGroupByName(u"G")->GetElementByName(u"E"));
  }
  ExpectRefused<EnbSkin>(elementWithTexture("", 0x10000000), "texture size");
  ExpectRefused<EnbSkin>(elementWithTexture(std::string(40, 'x'), 40), "not a PNG");
  std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + TBytes().I32(0x0D000000).S + "IHDR" +
                    std::string("\x00\x01\x00\x00\x00\x01\x00\x00", 8) + std::string(20, '\0');
  ExpectRefused<EnbSkin>(elementWithTexture(png, Integer(png.size())), "65536 pixels wide");
  // Layout, stretch and gradient values outside their enumerations.
  std::string bad = elementWithTexture("", 0);
  const size_t layoutAt = head.size() + 4 + 4 + 4 + 5 + 4 + 5 + 4 + 1 + 4 + 16 + 33 + 16;
  ASSERT_EQ(0, bad[layoutAt]);
  ASSERT_EQ(1, bad[layoutAt + 1]);  // the states of the image
  bad[layoutAt] = 7;
  ExpectRefused<EnbSkin>(bad, "layout 7");
  bad[layoutAt] = 0;
  bad[layoutAt + 3] = 3;
  ExpectRefused<EnbSkin>(bad, "stretch 3");
}

TEST(SkinStream, APngReaderStoppingEarlyDoesNotShiftTheFields) {
  // A texture block followed by junk inside its counted size.
  Owned<TnbSkin> skin(MakeSmallSkin());
  TnbSkinElement* line = skin->GetGroupByName(u"Common")->GetElementByName(u"LabelLine");
  SetTexture(line->Image(), 2, 2, [](Integer, Integer) { return 0xFF336699u; });
  std::string bytes = SaveToBytes(skin.get());
  // The texture is the last image block of "LabelLine": append bytes inside it.
  Owned<TMemoryStream> png(New<TMemoryStream>());
  line->Image()->Texture()->SaveToStream(png.get());
  const std::string pngBytes(static_cast<const char*>(png->Memory()), size_t(png->Size()));
  const size_t at = bytes.rfind(pngBytes);
  ASSERT_NE(std::string::npos, at);
  Integer size{};
  std::memcpy(&size, &bytes[at - 4], 4);
  size += 5;
  std::memcpy(&bytes[at - 4], &size, 4);
  bytes.insert(at + pngBytes.size(), "junk!");
  Owned<TnbSkin> loaded = NewSkin();
  Owned<TMemoryStream> in(StreamOf(bytes));
  loaded->LoadFromStream(in.get());
  std::string why;
  EXPECT_TRUE(SkinsEqual(skin.get(), loaded.get(), &why)) << why;
}

TEST(SkinStream, FilesAndTheMissingResource) {
  Owned<TnbSkin> skin(MakeSmallSkin());
  const String file = UTF8ToUTF16(testing_support::MakeTempDir("skin") + "/small.skin");
  skin->SaveToFile(file);
  Owned<TnbSkin> loaded = NewSkin();
  loaded->LoadFromFile(file);
  EXPECT_TRUE(SkinsEqual(skin.get(), loaded.get()));
  EXPECT_THROW(New<TnbSkin>(String(u"NoSuchSkinResource"), static_cast<void*>(nullptr), true), EResNotFound);
}

TEST(SkinPartStream, IsAWindowOntoItsSource) {
  Owned<TMemoryStream> source(StreamOf("0123456789"));
  Owned<TnbSkinPartStream> part(New<TnbSkinPartStream>(static_cast<TStream*>(source.get())));
  part->Initialize(2, 6);
  EXPECT_EQ(4, part->Size());
  EXPECT_EQ(0, part->Position());
  char buffer[8]{};
  EXPECT_EQ(4, part->Read(buffer, 8));  // stops at the window's end
  EXPECT_STREQ("2345", buffer);
  EXPECT_EQ(4, part->Seek(100, soBeginning));
  EXPECT_EQ(0, part->Seek(-100, soCurrent));
  EXPECT_EQ(3, part->Seek(-1, soEnd));
  EXPECT_EQ(5, source->Position());
}

}  // namespace
