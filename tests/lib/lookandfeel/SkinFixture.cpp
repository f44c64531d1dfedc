#include "tests/lib/lookandfeel/SkinFixture.h"

#include "lib/foundation/nbGDIPlusClasses.h"
#include "lib/foundation/vlImages.h"
#include "platform/rtl/CodePages.h"

namespace skin_test {

void SetTexture(TnbSkinImage* AImage, Integer AWidth, Integer AHeight,
                const std::function<Cardinal(Integer, Integer)>& APixel) {
  auto pixels = std::make_shared<TnbRGBColors>(size_t(AWidth) * size_t(AHeight));
  for (Integer y = 0; y < AHeight; ++y)
    for (Integer x = 0; x < AWidth; ++x) {
      const Cardinal c = APixel(x, y);
      const Cardinal a = c >> 24;
      auto pre = [&](Integer shift) { return ((c >> shift & 0xFF) * a / 255) << shift; };
      (*pixels)[size_t(y) * AWidth + x] = a << 24 | pre(16) | pre(8) | pre(0);
    }
  TnbGPImage* image = CreateFrom(nbGPImageClass(), &TnbGPImage::CreateFromPattern, AWidth, AHeight, pixels, true);
  AImage->Texture()->SetHandle(image);
  AImage->Changed();
}

void SetBandTexture(TnbSkinImage* AImage, Integer AWidth, Integer AHeight, const std::vector<Cardinal>& AColors) {
  AImage->CheckInfo();
  SetTexture(AImage, AWidth, AHeight, [&](Integer x, Integer y) { return 0xFF000000u | AColors[0]; });
  // The frame extent is known only once the texture is there.
  const TSize frame = AImage->Size();
  SetTexture(AImage, AWidth, AHeight, [&](Integer x, Integer y) {
    const Integer k = AImage->ImageLayout() == ilHorizontal ? x / std::max(1, frame.cx) : y / std::max(1, frame.cy);
    return 0xFF000000u | AColors[size_t(k) % AColors.size()];
  });
}

TnbSkin* MakeSmallSkin() {
  TnbSkin* skin = New<TnbSkin>(String(u"Small"), static_cast<void*>(nullptr), false);
  skin->AddColor(u"ContentColor", TColor(0xF2F1F0));
  skin->AddColor(u"SelectionColor", TColor(0xC56A31));
  static_cast<TnbSkinIntegerProperty*>(skin->AddProperty(u"Int", ClassOf<TnbSkinIntegerProperty>()))->SetValue(-7);
  static_cast<TnbSkinBooleanProperty*>(skin->AddProperty(u"Bool", ClassOf<TnbSkinBooleanProperty>()))->SetValue(true);
  static_cast<TnbSkinColor*>(skin->AddProperty(u"Col", ClassOf<TnbSkinColor>()))->SetValue(TColor(0x123456));
  auto* rect = static_cast<TnbSkinRectProperty*>(skin->AddProperty(u"Rect", ClassOf<TnbSkinRectProperty>()));
  rect->Value()->SetRect(Rect(1, 2, 3, 4));
  static_cast<TnbSkinSizeProperty*>(skin->AddProperty(u"Size", ClassOf<TnbSkinSizeProperty>()))
      ->SetValue(TSize{5, 6});
  static_cast<TnbSkinStringProperty*>(skin->AddProperty(u"Str", ClassOf<TnbSkinStringProperty>()))
      ->SetValue(u"Kontör");
  TnbSkinControlGroup* group = skin->AddGroup(u"Common");
  static_cast<TnbSkinIntegerProperty*>(group->AddProperty(u"Indent", ClassOf<TnbSkinIntegerProperty>()))
      ->SetValue(3);
  TnbSkinElement* button = group->AddElement(u"Button");
  button->SetImageCount(2);
  button->ContentOffset()->SetRect(Rect(3, 3, 3, 3));
  button->MinSize()->SetSize(TSize{16, 12});
  button->SetTextColor(TColor(0x101010));
  button->Image()->SetImageLayout(ilVertical);
  button->Image()->SetStates(TnbSkinElementStates{esNormal, esHot});
  button->Image()->Margins()->SetRect(Rect(2, 2, 2, 2));
  button->Image()->SetGradientBeginColor(TColor(0x00FF00));
  button->Image()->SetGradientEndColor(TColor(0x0000FF));
  button->Image()->SetGradient(gmVertical);
  SetBandTexture(button->Image(), 8, 40, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFF00});
  button->Glyph()->SetStates(TnbSkinElementStates{esNormal});
  button->Glyph()->SetStretch(smNoResize);
  SetTexture(button->Glyph(), 8, 4, [](Integer x, Integer y) { return x < 4 ? 0xFF000000u : 0x80FFFFFFu; });
  button->Borders()->Left()->SetColor(TColor(0x808080));
  button->Borders()->Bottom()->SetThin(2);
  static_cast<TnbSkinColor*>(button->AddProperty(u"TextColorHot", ClassOf<TnbSkinColor>()))
      ->SetValue(TColor(0x0000FF));
  TnbSkinElement* line = group->AddElement(u"LabelLine");
  line->SetColor(TColor(0xA0A0A0));
  line->SetAlpha(128);
  return skin;
}

std::string SaveToBytes(TnbSkin* ASkin) {
  Owned<TMemoryStream> stream(New<TMemoryStream>());
  ASkin->SaveToStream(stream.get());
  return std::string(static_cast<const char*>(stream->Memory()), size_t(stream->Size()));
}

TMemoryStream* StreamOf(const std::string& ABytes) {
  TMemoryStream* stream = New<TMemoryStream>();
  if (!ABytes.empty()) stream->WriteBuffer(ABytes.data(), Integer(ABytes.size()));
  stream->SetPosition(0);
  return stream;
}

namespace {

bool PropertiesEqual(TnbSkinPersistent* A, TnbSkinPersistent* B) {
  if (A->PropertyCount() != B->PropertyCount()) return false;
  for (Integer i = 0; i < A->PropertyCount(); ++i)
    if (!A->Properties(i)->Compare(B->Properties(i))) return false;
  return true;
}

}  // namespace

bool SkinsEqual(TnbSkin* A, TnbSkin* B, std::string* AWhy) {
  auto fail = [&](const String& AWhat) {
    if (AWhy) *AWhy = UTF16ToUTF8(AWhat);
    return false;
  };
  if (A->Name() != B->Name()) return fail(u"name");
  if (A->ColorCount() != B->ColorCount()) return fail(u"colour count");
  for (Integer i = 0; i < A->ColorCount(); ++i)
    if (!A->Colors(i)->Compare(B->Colors(i))) return fail(u"colour " + A->Colors(i)->Name());
  if (!PropertiesEqual(A, B)) return fail(u"skin properties");
  if (A->GroupCount() != B->GroupCount()) return fail(u"group count");
  for (Integer g = 0; g < A->GroupCount(); ++g) {
    TnbSkinControlGroup* ga = A->Groups(g);
    TnbSkinControlGroup* gb = B->Groups(g);
    if (ga->Name() != gb->Name() || ga->Count() != gb->Count()) return fail(u"group " + ga->Name());
    if (!PropertiesEqual(ga, gb)) return fail(u"properties of group " + ga->Name());
    for (Integer e = 0; e < ga->Count(); ++e)
      if (!ga->Elements(e)->Compare(gb->Elements(e))) return fail(u"element " + ga->Name() + u"/" + ga->Elements(e)->Name());
  }
  return true;
}

TBitmap* NewSurface(Integer W, Integer H, TColor AColor) {
  TBitmap* b = vlNewBitmap32(W, H, true);
  b->Canvas()->Brush()->SetColor(AColor);
  b->Canvas()->FillRect(Rect(0, 0, W, H));
  return b;
}

Cardinal PixelAt(TBitmap* B, Integer X, Integer Y) {
  return static_cast<const Cardinal*>(B->ScanLine(Y))[X] & 0x00FFFFFF;
}

}  // namespace skin_test
