#include "lib/lookandfeel/nbSkinsCore.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "lib/foundation/nbGDIPlusClasses.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Format.h"

const TResStringRec sdxSkinInvalidStreamFormat = ResStringOfText(u"Invalid stream format");
const TResStringRec sdxOldFormat = ResStringOfText(
    u"The skin data version is older than the current NimboSkins Library version.\r\n"
    u"Skins cannot be loaded due to a version mismatch.");
const TResStringRec sdxSkinDataDamaged = ResStringOfText(u"The skin data is damaged: %s");

CL_IMPLEMENT_CLASS(TnbSkinCustomPersistentObject)
CL_IMPLEMENT_CLASS(TnbSkinPersistent)
CL_IMPLEMENT_CLASS(TnbSkinProperty)
CL_IMPLEMENT_CLASS(TnbSkinIntegerProperty)
CL_IMPLEMENT_CLASS(TnbSkinBooleanProperty)
CL_IMPLEMENT_CLASS(TnbSkinColor)
CL_IMPLEMENT_CLASS(TnbSkinRectProperty)
CL_IMPLEMENT_CLASS(TnbSkinSizeProperty)
CL_IMPLEMENT_CLASS(TnbSkinStringProperty)
CL_IMPLEMENT_CLASS(TnbSkinBorder)
CL_IMPLEMENT_CLASS(TnbSkinBorders)
CL_IMPLEMENT_CLASS(TnbSkin)
CL_IMPLEMENT_CLASS(TnbSkinControlGroup)
CL_IMPLEMENT_CLASS(TnbSkinImage)
CL_IMPLEMENT_CLASS(TnbSkinElement)
CL_IMPLEMENT_CLASS(TnbSkinEmptyElement)
CL_IMPLEMENT_CLASS(TnbSkinPartStream)
CL_IMPLEMENT_CLASS(TnbSkinCanvas)

namespace {

const char kSkinMagic[6] = {'n', 'b', 'S', 'k', 'i', 'n'};
constexpr Double kSkinVersion = 1.02;
// A texture side beyond this is refused (no skin needs it; a hostile header
// would make the decoder allocate gigabytes).
constexpr Integer kMaxTextureSide = 4096;
// Margins, content offsets and minimum sizes beyond this are refused: the
// drawing adds them to rectangle coordinates.
constexpr Integer kMaxMetric = 0x7FFF;

TnbSkinEmptyElement* gEmptyElement = nullptr;
std::vector<TnbSkinPropertyClass>* gPropertyClasses = nullptr;
TnbSkinPartStream* gPartStream = nullptr;

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

[[noreturn]] void Damaged(const String& AWhat) { throw EnbSkin(&sdxSkinDataDamaged, {AWhat}); }

// --- bounded reading ------------------------------------------------------------------------

Int64 Remaining(TStream* AStream) { return std::max<Int64>(0, AStream->Size() - AStream->Position()); }

Integer ReadInt32(TStream* AStream) {
  Integer v{};
  AStream->ReadBuffer(&v, 4);
  return v;
}

Byte ReadByte(TStream* AStream) {
  Byte v{};
  AStream->ReadBuffer(&v, 1);
  return v;
}

// A count of entries of at least AMinEntrySize bytes each: never more than
// the rest of the stream can hold.
Integer ReadCount(TStream* AStream, Integer AMinEntrySize, const char16_t* AWhat) {
  const Integer count = ReadInt32(AStream);
  if (count < 0 || Int64(count) * AMinEntrySize > Remaining(AStream))
    Damaged(String(AWhat) + u" count " + IntToStr(count) + u" exceeds the data");
  return count;
}

Integer ReadMetric(TStream* AStream) {
  const Integer v = ReadInt32(AStream);
  if (v < -kMaxMetric || v > kMaxMetric) Damaged(u"a size of " + IntToStr(v) + u" pixels");
  return v;
}

TRect ReadRect(TStream* AStream) {
  TRect r{};
  r.Left = ReadMetric(AStream);
  r.Top = ReadMetric(AStream);
  r.Right = ReadMetric(AStream);
  r.Bottom = ReadMetric(AStream);
  return r;
}

String ReadString(TStream* AStream) {
  const Integer n = ReadInt32(AStream);
  if (n <= 0) return String();
  if (n > Remaining(AStream)) throw EReadError(u"Stream read error");
  AnsiString s(size_t(n), '\0');
  AStream->ReadBuffer(s.data(), n);
  return AnsiToString(s);
}

void WriteInt32(TStream* AStream, Integer AValue) { AStream->WriteBuffer(&AValue, 4); }
void WriteByte(TStream* AStream, Byte AValue) { AStream->WriteBuffer(&AValue, 1); }

void WriteString(TStream* AStream, const String& AValue) {
  const AnsiString s = StringToAnsi(AValue);
  WriteInt32(AStream, Integer(s.size()));
  if (!s.empty()) AStream->WriteBuffer(s.data(), Integer(s.size()));
}

void WriteRect(TStream* AStream, const TRect& R) {
  WriteInt32(AStream, R.Left);
  WriteInt32(AStream, R.Top);
  WriteInt32(AStream, R.Right);
  WriteInt32(AStream, R.Bottom);
}

// A property class among those registered as such; EClassNotFound otherwise
// (a class of another family must never be created from a stream).
TnbSkinPropertyClass FindPropertyClass(const String& AClassName) {
  if (gPropertyClasses)
    for (const TnbSkinPropertyClass& c : *gPropertyClasses)
      if (SameText(c->ClassName(), AClassName)) return c;
  throw EClassNotFound(u"Class " + AClassName + u" not found");
}

// Smallest stream sizes of the entries, for bounding counts.
constexpr Integer kMinPropertySize = 4 + 4 + 1;
constexpr Integer kMinColorSize = 4 + 4 + 4;
constexpr Integer kMinGroupSize = 4 + 4 + 4;
constexpr Integer kMinImageBlockSize = 16 + 1 + 2 + 1 + 4;
constexpr Integer kMinElementSize = 4 + 4 + 1 + 4 + 16 + 2 * kMinImageBlockSize + 4 * 16 + 4 + 8 + 4;

void ReadPropertyList(TStream* AStream, TnbSkinPersistent* AOwner) {
  const Integer count = ReadCount(AStream, kMinPropertySize, u"property");
  for (Integer i = 0; i < count; ++i) {
    const TnbSkinPropertyClass cls = FindPropertyClass(ReadString(AStream));
    const String name = ReadString(AStream);
    AOwner->AddProperty(name, cls)->ReadData(AStream);
  }
}

void WritePropertyList(TStream* AStream, TnbSkinPersistent* AOwner) {
  WriteInt32(AStream, AOwner->PropertyCount());
  for (Integer i = 0; i < AOwner->PropertyCount(); ++i) AOwner->Properties(i)->WriteToStream(AStream);
}

// --- names -----------------------------------------------------------------------------------

Integer CompareByName(Pointer Item1, Pointer Item2) {
  return AnsiCompareStr(static_cast<TnbSkinCustomPersistentObject*>(Item1)->Name(),
                        static_cast<TnbSkinCustomPersistentObject*>(Item2)->Name());
}

// Binary search of a list sorted by name.
TObject* FindByName(TvlObjectList* AList, const String& AName) {
  Integer low = 0, high = AList->Count() - 1;
  while (low <= high) {
    const Integer middle = (low + high) / 2;
    auto* item = static_cast<TnbSkinCustomPersistentObject*>(AList->Items(middle));
    const Integer c = AnsiCompareStr(item->Name(), AName);
    if (c < 0)
      low = middle + 1;
    else if (c > 0)
      high = middle - 1;
    else
      return item;
  }
  return nullptr;
}

void FreeItems(TvlObjectList* AList) {
  if (AList) AList->Clear();
}

template <class T>
T* ItemAs(TvlObjectList* AList, Integer AIndex) {
  return As<T>(static_cast<TObject*>(AList->Items(AIndex)));
}

Boolean SameRect(const TRect& A, const TRect& B) {
  return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

// --- unit start-up -----------------------------------------------------------------------------

void UnitInitialize() {
  gEmptyElement = New<TnbSkinEmptyElement>(nullptr, String());
  gPropertyClasses = new std::vector<TnbSkinPropertyClass>();
  gPartStream = New<TnbSkinPartStream>(nullptr);
  RegisterClasses({TnbSkinControlGroup::StaticClass(), TnbSkinElement::StaticClass(), TnbSkinImage::StaticClass()});
  ClassOf<TnbSkinIntegerProperty>()->Register();
  ClassOf<TnbSkinColor>()->Register();
  ClassOf<TnbSkinRectProperty>()->Register();
  ClassOf<TnbSkinSizeProperty>()->Register();
  ClassOf<TnbSkinBooleanProperty>()->Register();
  ClassOf<TnbSkinStringProperty>()->Register();
  if (nbIsGdiPlusAvailable()) nbEnsurePngEncoder();
}

void UnitFinalize() {
  if (gPropertyClasses) {
    const std::vector<TnbSkinPropertyClass> classes = *gPropertyClasses;
    for (const TnbSkinPropertyClass& c : classes) c->Unregister();
  }
  UnRegisterClasses({TnbSkinControlGroup::StaticClass(), TnbSkinElement::StaticClass(), TnbSkinImage::StaticClass()});
  delete gPropertyClasses;
  gPropertyClasses = nullptr;
  FreeAndNil(gPartStream);
  FreeAndNil(gEmptyElement);
}

void Startup() { nbUnitsLoader()->AddUnit(&UnitInitialize, &UnitFinalize); }
void Shutdown() { nbUnitsLoader()->RemoveUnit(&UnitFinalize); }

}  // namespace

CL_UNIT_STEPS(nbSkinsCore, &Startup, &Shutdown);

TnbSkinEmptyElement* nbSkinEmptyElement() { return gEmptyElement; }

// --- TnbSkinCustomPersistentObject ---------------------------------------------------------

void TnbSkinCustomPersistentObject::SignalChange() {
  if (Assigned(FOnChange)) FOnChange(this);
}

void TnbSkinCustomPersistentObject::Create(TPersistent* AOwner, const String& AName) {
  FOwner = AOwner;
  FName = AName;
  FState = TnbSkinObjectStates{sosUnused};
}

TnbSkinCustomPersistentObject* TnbSkinCustomPersistentObject::Clone() {
  Owned<TnbSkinCustomPersistentObject> result(
      CreateFrom(ClassAs<TnbSkinCustomPersistentObject>(ClassType()), &TnbSkinCustomPersistentObject::Create,
                 static_cast<TPersistent*>(nullptr), FName));
  result->Assign(this);
  return result.release();
}

// --- TnbSkinPersistent -----------------------------------------------------------------------

void TnbSkinPersistent::Create(TPersistent* AOwner, const String& AName) {
  inherited::Create(AOwner, AName);
  FProperties = New<TvlObjectList>(true);
}

void TnbSkinPersistent::Destroy() {
  Free(FProperties);
  inherited::Destroy();
}

void TnbSkinPersistent::Changed() {
  FModified = true;
  FSorted = false;
  if (FLockCount == 0) SignalChange();
}

void TnbSkinPersistent::DoSort() { FProperties->Sort(&CompareByName); }

void TnbSkinPersistent::SubItemHasChanged(TObject* Sender) { Changed(); }

void TnbSkinPersistent::DeleteProperty(TnbSkinProperty* AProperty) {
  const Integer index = FProperties->IndexOf(AProperty);
  if (index < 0) return;
  FProperties->Delete(index);
  Free(AProperty);
  Changed();
}

void TnbSkinPersistent::Adopt(TnbSkinCustomPersistentObject* AChild, TvlObjectList* AList) {
  AChild->SetOwner(this);
  AChild->SetOnChange(TNotifyEvent(this, &TnbSkinPersistent::SubItemHasChanged));
  AList->Add(AChild);
}

TnbSkinProperty* TnbSkinPersistent::AddProperty(const String& AName, TnbSkinPropertyClass APropertyClass) {
  auto* result = static_cast<TnbSkinProperty*>(
      CreateFrom(APropertyClass, &TnbSkinProperty::Create, static_cast<TPersistent*>(this), AName));
  Adopt(result, FProperties);
  Changed();
  return result;
}

void TnbSkinPersistent::BeginUpdate() { ++FLockCount; }

void TnbSkinPersistent::CancelUpdate() {
  if (FLockCount > 0) --FLockCount;
}

void TnbSkinPersistent::EndUpdate() {
  if (FLockCount == 0) return;
  if (--FLockCount == 0) Changed();
}

void TnbSkinPersistent::Sort() {
  if (FSorted) return;
  FSorted = true;
  DoSort();
}

TnbSkinProperty* TnbSkinPersistent::GetPropertyByName(const String& AName) {
  Sort();
  return static_cast<TnbSkinProperty*>(FindByName(FProperties, AName));
}

TnbSkinProperty* TnbSkinPersistent::Properties(Integer AIndex) const {
  return ItemAs<TnbSkinProperty>(FProperties, AIndex);
}

void TnbSkinPersistent::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TnbSkinPersistent*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  for (Integer i = 0; i < source->PropertyCount(); ++i)
    Adopt(static_cast<TnbSkinProperty*>(source->Properties(i)->Clone()), FProperties);
}

// --- properties --------------------------------------------------------------------------------

void TnbSkinProperty::ReadFromStream(TStream* AStream) {
  SetName(ReadString(AStream));
  ReadData(AStream);
}

void TnbSkinProperty::WriteToStream(TStream* AStream) {
  WriteString(AStream, ClassName());
  WriteString(AStream, Name());
  WriteData(AStream);
}

String TnbSkinProperty::Description() const {
  String result = ClassType()->ClassName();
  for (const String& word : {String(u"TnbSkin"), String(u"Property")}) {
    for (;;) {
      const Integer p = Pos(UpperCase(word), UpperCase(result));
      if (p == 0) break;
      result.erase(size_t(p - 1), word.size());
    }
  }
  return result;
}

void TnbSkinProperty::Register() const {
  const TnbSkinPropertyClass cls = ClassAs<TnbSkinProperty>(ClassType());
  if (gPropertyClasses && std::find(gPropertyClasses->begin(), gPropertyClasses->end(), cls) == gPropertyClasses->end())
    gPropertyClasses->push_back(cls);
  RegisterClass(ClassType());
}

void TnbSkinProperty::Unregister() const {
  if (gPropertyClasses)
    gPropertyClasses->erase(std::remove(gPropertyClasses->begin(), gPropertyClasses->end(),
                                        ClassAs<TnbSkinProperty>(ClassType())),
                            gPropertyClasses->end());
  UnRegisterClass(ClassType());
}

// Compare of the value classes: same name, same class, same value.
#define NB_SKIN_SAME_KIND(T, AProperty) \
  (AProperty && AProperty->ClassType() == ClassType() && AProperty->Name() == Name())

void TnbSkinIntegerProperty::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TnbSkinIntegerProperty*>(Source))
    SetValue(s->FValue);
  else
    inherited::Assign(Source);
}
void TnbSkinIntegerProperty::ReadData(TStream* AStream) { SetValue(ReadInt32(AStream)); }
void TnbSkinIntegerProperty::WriteData(TStream* AStream) { WriteInt32(AStream, FValue); }
Boolean TnbSkinIntegerProperty::Compare(TnbSkinProperty* AProperty) {
  return NB_SKIN_SAME_KIND(TnbSkinIntegerProperty, AProperty) &&
         static_cast<TnbSkinIntegerProperty*>(AProperty)->FValue == FValue;
}
void TnbSkinIntegerProperty::SetValue(Integer AValue) {
  if (FValue == AValue) return;
  FValue = AValue;
  SignalChange();
}

void TnbSkinBooleanProperty::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TnbSkinBooleanProperty*>(Source))
    SetValue(s->FValue);
  else
    inherited::Assign(Source);
}
void TnbSkinBooleanProperty::ReadData(TStream* AStream) { SetValue(ReadByte(AStream) != 0); }
void TnbSkinBooleanProperty::WriteData(TStream* AStream) { WriteByte(AStream, FValue ? 1 : 0); }
Boolean TnbSkinBooleanProperty::Compare(TnbSkinProperty* AProperty) {
  return NB_SKIN_SAME_KIND(TnbSkinBooleanProperty, AProperty) &&
         static_cast<TnbSkinBooleanProperty*>(AProperty)->FValue == FValue;
}
void TnbSkinBooleanProperty::SetValue(Boolean AValue) {
  if (FValue == AValue) return;
  FValue = AValue;
  SignalChange();
}

void TnbSkinColor::Create(TPersistent* AOwner, const String& AName) {
  inherited::Create(AOwner, AName);
  FValue = nbSkinClDefault;
}
void TnbSkinColor::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TnbSkinColor*>(Source))
    SetValue(s->FValue);
  else
    inherited::Assign(Source);
}
void TnbSkinColor::ReadData(TStream* AStream) { SetValue(TColor(ReadInt32(AStream))); }
void TnbSkinColor::WriteData(TStream* AStream) { WriteInt32(AStream, Integer(FValue)); }
Boolean TnbSkinColor::Compare(TnbSkinProperty* AProperty) {
  return NB_SKIN_SAME_KIND(TnbSkinColor, AProperty) && static_cast<TnbSkinColor*>(AProperty)->FValue == FValue;
}
void TnbSkinColor::SetValue(TColor AValue) {
  if (FValue == AValue) return;
  FValue = AValue;
  SignalChange();
}

void TnbSkinRectProperty::Create(TPersistent* AOwner, const String& AName) {
  inherited::Create(AOwner, AName);
  FValue = New<TvlRect>(static_cast<TPersistent*>(this));
  FValue->SetOnChange(TNotifyEvent(this, &TnbSkinRectProperty::InternalChanged));
}
void TnbSkinRectProperty::Destroy() {
  Free(FValue);
  inherited::Destroy();
}
void TnbSkinRectProperty::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TnbSkinRectProperty*>(Source))
    FValue->Assign(s->FValue);
  else
    inherited::Assign(Source);
}
void TnbSkinRectProperty::ReadData(TStream* AStream) {
  TRect r{};
  r.Left = ReadInt32(AStream);
  r.Top = ReadInt32(AStream);
  r.Right = ReadInt32(AStream);
  r.Bottom = ReadInt32(AStream);
  FValue->SetRect(r);
}
void TnbSkinRectProperty::WriteData(TStream* AStream) { WriteRect(AStream, FValue->Rect()); }
Boolean TnbSkinRectProperty::Compare(TnbSkinProperty* AProperty) {
  return NB_SKIN_SAME_KIND(TnbSkinRectProperty, AProperty) &&
         SameRect(static_cast<TnbSkinRectProperty*>(AProperty)->FValue->Rect(), FValue->Rect());
}

void TnbSkinSizeProperty::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TnbSkinSizeProperty*>(Source))
    SetValue(s->FValue);
  else
    inherited::Assign(Source);
}
void TnbSkinSizeProperty::ReadData(TStream* AStream) {
  TSize s{};
  s.cx = ReadInt32(AStream);
  s.cy = ReadInt32(AStream);
  SetValue(s);
}
void TnbSkinSizeProperty::WriteData(TStream* AStream) {
  WriteInt32(AStream, FValue.cx);
  WriteInt32(AStream, FValue.cy);
}
Boolean TnbSkinSizeProperty::Compare(TnbSkinProperty* AProperty) {
  if (!NB_SKIN_SAME_KIND(TnbSkinSizeProperty, AProperty)) return false;
  const TSize& other = static_cast<TnbSkinSizeProperty*>(AProperty)->FValue;
  return other.cx == FValue.cx && other.cy == FValue.cy;
}
void TnbSkinSizeProperty::SetValue(const TSize& AValue) {
  if (AValue.cx == FValue.cx && AValue.cy == FValue.cy) return;
  FValue = AValue;
  SignalChange();
}

void TnbSkinStringProperty::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TnbSkinStringProperty*>(Source))
    SetValue(s->FValue);
  else
    inherited::Assign(Source);
}
void TnbSkinStringProperty::ReadData(TStream* AStream) { SetValue(ReadString(AStream)); }
void TnbSkinStringProperty::WriteData(TStream* AStream) { WriteString(AStream, FValue); }
Boolean TnbSkinStringProperty::Compare(TnbSkinProperty* AProperty) {
  return NB_SKIN_SAME_KIND(TnbSkinStringProperty, AProperty) &&
         AnsiCompareStr(static_cast<TnbSkinStringProperty*>(AProperty)->FValue, FValue) == 0;
}
void TnbSkinStringProperty::SetValue(const String& AValue) {
  if (FValue == AValue) return;
  FValue = AValue;
  SignalChange();
}

#undef NB_SKIN_SAME_KIND

// --- borders -----------------------------------------------------------------------------------

void TnbSkinBorder::Create(TPersistent* AOwner, const String& AName) {
  inherited::Create(AOwner, AName);
  FColor = nbSkinClNone;
  FThin = 1;
}

void TnbSkinBorder::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TnbSkinBorder*>(Source)) {
    SetColor(s->FColor);
    SetThin(s->FThin);
  } else {
    inherited::Assign(Source);
  }
}

void TnbSkinBorder::ReadData(TStream* AStream) {
  SetColor(TColor(ReadInt32(AStream)));
  const Integer thin = ReadInt32(AStream);
  if (thin < 0 || thin > kMaxMetric) Damaged(u"a border " + IntToStr(thin) + u" pixels wide");
  SetThin(thin);
}

void TnbSkinBorder::WriteData(TStream* AStream) {
  WriteInt32(AStream, Integer(FColor));
  WriteInt32(AStream, FThin);
}

Boolean TnbSkinBorder::Compare(TnbSkinProperty* AProperty) {
  auto* other = dynamic_cast<TnbSkinBorder*>(AProperty);
  return other && other->ClassType() == ClassType() && other->FColor == FColor && other->FThin == FThin &&
         other->FKind == FKind;
}

void TnbSkinBorder::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  SignalChange();
}

void TnbSkinBorder::SetThin(Integer Value) {
  if (FThin == Value) return;
  FThin = Value;
  SignalChange();
}

void TnbSkinBorders::Create(TPersistent* AOwner, const String& AName) {
  inherited::Create(AOwner, AName);
  static const char16_t* const names[4] = {u"Left", u"Top", u"Right", u"Bottom"};
  for (Integer i = 0; i < 4; ++i) {
    FBorders[i] = New<TnbSkinBorder>(static_cast<TPersistent*>(this), String(names[i]));
    FBorders[i]->SetKind(TvlBorder(i));
    FBorders[i]->SetOnChange(TNotifyEvent(this, &TnbSkinBorders::BorderChanged));
  }
}

void TnbSkinBorders::Destroy() {
  for (TnbSkinBorder*& b : FBorders) FreeAndNil(b);
  inherited::Destroy();
}

void TnbSkinBorders::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TnbSkinBorders*>(Source)) {
    for (Integer i = 0; i < 4; ++i) FBorders[i]->Assign(s->FBorders[i]);
  } else {
    inherited::Assign(Source);
  }
}

Boolean TnbSkinBorders::Compare(TnbSkinProperty* AProperty) {
  auto* other = dynamic_cast<TnbSkinBorders*>(AProperty);
  if (!other) return false;
  for (Integer i = 0; i < 4; ++i)
    if (!FBorders[i]->Compare(other->FBorders[i])) return false;
  return true;
}

void TnbSkinBorders::BorderChanged(TObject* Sender) { SignalChange(); }

// --- TnbSkin ---------------------------------------------------------------------------------

void TnbSkin::Create(const String& AName, void* AInstance, Boolean ALoadOnCreate) {
  inherited::Create(nullptr, AName);
  FColors = New<TvlObjectList>(true);
  FGroups = New<TvlObjectList>(true);
  FVersion = kSkinVersion;
  FName = AName;
  if (ALoadOnCreate) LoadFromResource(AInstance);
}

void TnbSkin::Destroy() {
  FListeners.clear();
  if (FGroups) FGroups->Clear();
  if (FColors) FColors->Clear();
  Free(FGroups);
  Free(FColors);
  inherited::Destroy();
}

void TnbSkin::SignalChange() {
  BeginUpdate();
  {
    Finally unlock([&] { CancelUpdate(); });
    const std::vector<TInterfacePtr<InbSkinChangeListener>> listeners = FListeners;
    for (const TInterfacePtr<InbSkinChangeListener>& l : listeners) l->SkinContentChanged(this);
  }
  if (Assigned(FOnChange)) FOnChange(this);
}

void TnbSkin::DoSort() {
  inherited::DoSort();
  FGroups->Sort(&CompareByName);
  FColors->Sort(&CompareByName);
}

void TnbSkin::DeleteProperty(TnbSkinProperty* AProperty) {
  inherited::DeleteProperty(AProperty);
  const Integer index = FColors->IndexOf(AProperty);
  if (index < 0) return;
  FColors->Delete(index);
  Free(AProperty);
  Changed();
}

void TnbSkin::LoadFromResource(void* AInstance) {
  Owned<TResourceStream> stream(New<TResourceStream>(AInstance, FName, u"NBSKINS"));
  LoadFromStream(stream.get());
}

TnbSkinCustomPersistentObject* TnbSkin::Clone() {
  void (TnbSkin::*create)(const String&, void*, Boolean) = &TnbSkin::Create;
  Owned<TnbSkin> result(CreateFrom(ClassAs<TnbSkin>(ClassType()), create, FName,
                                   static_cast<void*>(nullptr), false));
  result->Assign(this);
  return result.release();
}

void TnbSkin::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TnbSkin*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  for (Integer i = 0; i < source->ColorCount(); ++i) Adopt(source->Colors(i)->Clone(), FColors);
  for (Integer i = 0; i < source->GroupCount(); ++i) Adopt(source->Groups(i)->Clone(), FGroups);
  inherited::Assign(Source);
}

TnbSkinColor* TnbSkin::AddColor(const String& AName, TColor AColor) {
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  auto* result = New<TnbSkinColor>(static_cast<TPersistent*>(this), AName);
  Adopt(result, FColors);
  result->SetValue(AColor);
  return result;
}

TnbSkinControlGroup* TnbSkin::AddGroup(const String& AName) {
  auto* result = New<TnbSkinControlGroup>(static_cast<TPersistent*>(this), AName);
  Adopt(result, FGroups);
  Changed();
  return result;
}

TnbSkinColor* TnbSkin::GetColorByName(const String& AName) {
  Sort();
  return static_cast<TnbSkinColor*>(FindByName(FColors, AName));
}

TnbSkinControlGroup* TnbSkin::GetGroupByName(const String& AName) {
  Sort();
  return static_cast<TnbSkinControlGroup*>(FindByName(FGroups, AName));
}

void TnbSkin::Clear() {
  FreeItems(FGroups);
  FreeItems(FColors);
  FreeItems(PropertyList());
  Changed();
}

void TnbSkin::ClearModified() {
  SetModified(false);
  for (Integer i = 0; i < GroupCount(); ++i) Groups(i)->ClearModified();
}

Boolean TnbSkin::HasMissingElements() const {
  for (Integer i = 0; i < GroupCount(); ++i)
    if (Groups(i)->HasMissingElements()) return true;
  return false;
}

void TnbSkin::AddListener(InbSkinChangeListener* AListener) {
  if (AListener) FListeners.emplace_back(AListener);
}

void TnbSkin::RemoveListener(InbSkinChangeListener* AListener) {
  for (auto it = FListeners.begin(); it != FListeners.end(); ++it)
    if (it->get() == AListener) {
      FListeners.erase(it);
      return;
    }
}

void TnbSkin::LoadFromFile(const String& AFileName) {
  Owned<TFileStream> stream(New<TFileStream>(AFileName, Word(fmOpenRead | fmShareDenyNone)));
  LoadFromStream(stream.get());
}

void TnbSkin::SaveToFile(const String& AFileName) {
  Owned<TFileStream> stream(New<TFileStream>(AFileName, fmCreate));
  SaveToStream(stream.get());
}

TnbSkinColor* TnbSkin::Colors(Integer AIndex) const { return ItemAs<TnbSkinColor>(FColors, AIndex); }

TnbSkinControlGroup* TnbSkin::Groups(Integer AIndex) const { return ItemAs<TnbSkinControlGroup>(FGroups, AIndex); }

void TnbSkin::TakeContent(TnbSkin* ASource) {
  auto move = [this](TvlObjectList* AFrom, TvlObjectList* ATo) {
    for (Integer i = 0; i < AFrom->Count(); ++i)
      Adopt(static_cast<TnbSkinCustomPersistentObject*>(AFrom->Items(i)), ATo);
    AFrom->TList::Clear();
  };
  move(ASource->FColors, FColors);
  move(ASource->FGroups, FGroups);
  move(ASource->PropertyList(), PropertyList());
}

void TnbSkin::LoadFromStream(TStream* AStream) {
  if (!nbIsGdiPlusAvailable()) return;
  // Everything is read into a skin of its own first: a damaged stream leaves
  // this skin as it was.
  Owned<TnbSkin> loaded(New<TnbSkin>(String(), static_cast<void*>(nullptr), false));
  loaded->BeginUpdate();
  char magic[6]{};
  AStream->Seek(4, soCurrent);
  if (AStream->Read(magic, 6) != 6 || std::memcmp(magic, kSkinMagic, 6) != 0)
    throw EnbSkin(&sdxSkinInvalidStreamFormat);
  Double version{};
  AStream->ReadBuffer(&version, 8);
  const String name = ReadString(AStream);
  if (!std::isfinite(version)) Damaged(u"an unknown version");
  if (version < 1.0) throw EnbSkin(&sdxOldFormat);
  if (version >= 2.0) Damaged(u"the unknown version " + FloatToStr(version));
  const Integer colorCount = ReadCount(AStream, kMinColorSize, u"colour");
  for (Integer i = 0; i < colorCount; ++i) {
    ReadString(AStream);
    const String colorName = ReadString(AStream);
    loaded->AddColor(colorName, TColor(ReadInt32(AStream)));
  }
  ReadPropertyList(AStream, loaded.get());
  const Integer groupCount = ReadCount(AStream, kMinGroupSize, u"group");
  for (Integer i = 0; i < groupCount; ++i) loaded->AddGroup(ReadString(AStream))->ReadData(AStream, version);

  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  Clear();
  TakeContent(loaded.get());
  FName = name;
  FVersion = version;
}

void TnbSkin::SaveToStream(TStream* AStream) {
  WriteInt32(AStream, 6);
  AStream->WriteBuffer(kSkinMagic, 6);
  const Double version = kSkinVersion;
  AStream->WriteBuffer(&version, 8);
  WriteString(AStream, FName);
  WriteInt32(AStream, ColorCount());
  for (Integer i = 0; i < ColorCount(); ++i) Colors(i)->WriteToStream(AStream);
  WritePropertyList(AStream, this);
  WriteInt32(AStream, GroupCount());
  for (Integer i = 0; i < GroupCount(); ++i) Groups(i)->WriteData(AStream);
}

// --- TnbSkinControlGroup ------------------------------------------------------------------------

void TnbSkinControlGroup::Create(TPersistent* AOwner, const String& AName) {
  inherited::Create(AOwner, AName);
  FElements = New<TvlObjectList>(true);
}

void TnbSkinControlGroup::Destroy() {
  Free(FElements);
  inherited::Destroy();
}

void TnbSkinControlGroup::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TnbSkinControlGroup*>(Source)) {
    BeginUpdate();
    Finally end([&] { EndUpdate(); });
    for (Integer i = 0; i < source->Count(); ++i) Adopt(source->Elements(i)->Clone(), FElements);
  }
  inherited::Assign(Source);
}

void TnbSkinControlGroup::DoSort() {
  inherited::DoSort();
  FElements->Sort(&CompareByName);
}

void TnbSkinControlGroup::ReadData(TStream* AStream, Double AVersion) {
  const Integer count = ReadCount(AStream, kMinElementSize, u"element");
  for (Integer i = 0; i < count; ++i) AddElement(ReadString(AStream))->ReadData(AStream, AVersion);
  ReadPropertyList(AStream, this);
  Changed();
}

void TnbSkinControlGroup::WriteData(TStream* AStream) {
  WriteString(AStream, Name());
  WriteInt32(AStream, Count());
  for (Integer i = 0; i < Count(); ++i) {
    WriteString(AStream, Elements(i)->Name());
    Elements(i)->WriteData(AStream, kSkinVersion);
  }
  WritePropertyList(AStream, this);
}

TnbSkinElement* TnbSkinControlGroup::AddElement(const String& AName) {
  return AddElementEx(AName, ClassOf<TnbSkinElement>());
}

TnbSkinElement* TnbSkinControlGroup::AddElementEx(const String& AName, TnbSkinElementClass AElementClass) {
  TnbSkinElement* result =
      CreateFrom(AElementClass, &TnbSkinElement::Create, static_cast<TPersistent*>(this), AName);
  Adopt(result, FElements);
  Changed();
  return result;
}

TnbSkinElement* TnbSkinControlGroup::GetElementByName(const String& AName) {
  Sort();
  return static_cast<TnbSkinElement*>(FindByName(FElements, AName));
}

void TnbSkinControlGroup::Delete(Integer AIndex) {
  TObject* element = static_cast<TObject*>(FElements->Items(AIndex));
  FElements->Delete(AIndex);
  Free(element);
  Changed();
}

void TnbSkinControlGroup::RemoveElement(TnbSkinElement* AElement) {
  const Integer index = FElements->IndexOf(AElement);
  if (index >= 0) Delete(index);
}

void TnbSkinControlGroup::Clear() {
  FreeItems(FElements);
  FreeItems(PropertyList());
  Changed();
}

void TnbSkinControlGroup::ClearModified() {
  SetModified(false);
  for (Integer i = 0; i < Count(); ++i) Elements(i)->SetModified(false);
}

Boolean TnbSkinControlGroup::HasMissingElements() const {
  if (State().Contains(sosUnassigned)) return true;
  for (Integer i = 0; i < Count(); ++i)
    if (Elements(i)->State().Contains(sosUnassigned)) return true;
  return false;
}

TnbSkinElement* TnbSkinControlGroup::Elements(Integer AIndex) const {
  return ItemAs<TnbSkinElement>(FElements, AIndex);
}

TnbSkin* TnbSkinControlGroup::Skin() const { return dynamic_cast<TnbSkin*>(Owner()); }

// --- TnbSkinImage ----------------------------------------------------------------------------

void TnbSkinImage::Create(TnbSkinElement* AOwner) {
  FOwner = AOwner;
  FGradientBeginColor = nbSkinClNone;
  FGradientEndColor = nbSkinClNone;
  FTransparentColor = nbSkinClNone;
  FMargins = New<TvlRect>(static_cast<TPersistent*>(this));
  FMargins->SetOnChange(TNotifyEvent(this, &TnbSkinImage::MarginsChanged));
  FTexture = New<TnbPNGImage>();
  FIsDirty = true;
}

void TnbSkinImage::Destroy() {
  Free(FTexture);
  Free(FMargins);
  inherited::Destroy();
}

TPersistent* TnbSkinImage::GetOwner() { return FOwner; }

void TnbSkinImage::Changed() {
  FIsDirty = true;
  if (Assigned(FOnChange)) FOnChange(this);
}

Boolean TnbSkinImage::Empty() const { return FSourceName.empty() && FTexture->Empty(); }

void TnbSkinImage::Clear() {
  FTexture->SetHandle(nullptr);
  FSourceName.clear();
  Changed();
}

void TnbSkinImage::LoadFromFile(const String& AFileName) {
  FSourceName = AFileName;
  FTexture->LoadFromFile(AFileName);
  Changed();
}

void TnbSkinImage::SaveToFile(const String& AFileName) {
  if (Empty()) return;
  FTexture->SaveToFile(ChangeFileExt(AFileName, u".png"));
  Changed();
}

Integer TnbSkinImage::ImageCount() const { return FOwner ? FOwner->ImageCount() : 1; }

String TnbSkinImage::Name() const {
  if (Empty() || !FOwner) return String();
  return FOwner->GetImageName(const_cast<TnbSkinImage*>(this));
}

String TnbSkinImage::SourceName() const {
  if (FSourceName.empty() && !Empty() && FOwner) return FOwner->Path() + Name();
  return FSourceName;
}

void TnbSkinImage::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TnbSkinImage*>(Source);
  if (!source) {
    inherited::Assign(Source);
    return;
  }
  if (source->Empty()) {
    Clear();
  } else {
    FTexture->Assign(source->FTexture);
    FSourceName = source->SourceName();
    FIsDirty = true;
  }
  SetGradient(source->FGradient);
  SetGradientBeginColor(source->FGradientBeginColor);
  SetGradientEndColor(source->FGradientEndColor);
  SetImageLayout(source->FImageLayout);
  FMargins->Assign(source->FMargins);
  SetStates(source->FStates);
  SetStretch(source->FStretch);
}

Boolean TnbSkinImage::Compare(TnbSkinImage* AImage) {
  if (!AImage) return false;
  return FImageLayout == AImage->FImageLayout && Empty() == AImage->Empty() && FStates == AImage->FStates &&
         FGradient == AImage->FGradient && FGradientBeginColor == AImage->FGradientBeginColor &&
         FGradientEndColor == AImage->FGradientEndColor && FStretch == AImage->FStretch &&
         Size().cx == AImage->Size().cx && Size().cy == AImage->Size().cy &&
         SameRect(FMargins->Rect(), AImage->FMargins->Rect()) && FTexture->Compare(AImage->FTexture);
}

#define NB_SKIN_IMAGE_SETTER(Name, Type, Field) \
  void TnbSkinImage::Set##Name(Type Value) {    \
    if (Field == Value) return;                 \
    Field = Value;                              \
    Changed();                                  \
  }
NB_SKIN_IMAGE_SETTER(Gradient, TnbSkinGradientMode, FGradient)
NB_SKIN_IMAGE_SETTER(GradientBeginColor, TColor, FGradientBeginColor)
NB_SKIN_IMAGE_SETTER(GradientEndColor, TColor, FGradientEndColor)
NB_SKIN_IMAGE_SETTER(ImageLayout, TnbSkinImageLayout, FImageLayout)
NB_SKIN_IMAGE_SETTER(States, TnbSkinElementStates, FStates)
NB_SKIN_IMAGE_SETTER(Stretch, TnbSkinStretchMode, FStretch)
#undef NB_SKIN_IMAGE_SETTER

namespace {

// An image block of the stream (margins, layout, states, stretch, the
// gradient triple from version 1.02, the PNG texture).
void ReadImageBlock(TnbSkinImage* AImage, TStream* AStream, Double AVersion) {
  AImage->Margins()->SetRect(ReadRect(AStream));
  const Byte layout = ReadByte(AStream);
  if (layout > ilVertical) Damaged(u"an image layout " + IntToStr(layout));
  AImage->SetImageLayout(TnbSkinImageLayout(layout));
  Word states{};
  AStream->ReadBuffer(&states, 2);
  AImage->SetStates(TnbSkinElementStates::FromInt(states & ((1 << nbSkinElementStateCount) - 1)));
  const Byte stretch = ReadByte(AStream);
  if (stretch > smNoResize) Damaged(u"a stretch mode " + IntToStr(stretch));
  AImage->SetStretch(TnbSkinStretchMode(stretch));
  if (AVersion >= 1.02) {
    AImage->SetGradientBeginColor(TColor(ReadInt32(AStream)));
    AImage->SetGradientEndColor(TColor(ReadInt32(AStream)));
    const Byte gradient = ReadByte(AStream);
    if (gradient > gmBackwardDiagonal) Damaged(u"a gradient mode " + IntToStr(gradient));
    AImage->SetGradient(TnbSkinGradientMode(gradient));
  }
  const Integer size = ReadInt32(AStream);
  if (size < 0 || size > Remaining(AStream)) Damaged(u"a texture of " + IntToStr(size) + u" bytes");
  const Int64 start = AStream->Position();
  if (size > 0) {
    // A complete PNG file whose header stays within the texture limits.
    Byte head[24]{};
    static const Byte signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size < 24 || AStream->Read(head, 24) != 24 || std::memcmp(head, signature, 8) != 0 ||
        std::memcmp(head + 12, "IHDR", 4) != 0)
      Damaged(u"a texture that is no PNG picture");
    const Cardinal w = Cardinal(head[16]) << 24 | Cardinal(head[17]) << 16 | Cardinal(head[18]) << 8 | head[19];
    const Cardinal h = Cardinal(head[20]) << 24 | Cardinal(head[21]) << 16 | Cardinal(head[22]) << 8 | head[23];
    if (w > Cardinal(kMaxTextureSide) || h > Cardinal(kMaxTextureSide))
      Damaged(u"a texture of " + IntToStr(Int64(w)) + u" x " + IntToStr(Int64(h)) + u" pixels");
    TnbSkinPartStream* part = gPartStream;
    Owned<TnbSkinPartStream> ownPart;
    if (!part) {
      ownPart.reset(New<TnbSkinPartStream>(AStream));
      part = ownPart.get();
    }
    part->InitializeEx(AStream, start, start + size);
    try {
      AImage->Texture()->LoadFromStream(part);
    } catch (const EInvalidGraphic&) {
      Damaged(u"a texture that is no PNG picture");
    }
  }
  AStream->SetPosition(start + size);
  AImage->SetDirty();
}

void WriteImageBlock(TnbSkinImage* AImage, TStream* AStream) {
  WriteRect(AStream, AImage->Margins()->Rect());
  WriteByte(AStream, Byte(AImage->ImageLayout()));
  const Word states = Word(AImage->States().ToInt());
  AStream->WriteBuffer(&states, 2);
  WriteByte(AStream, Byte(AImage->Stretch()));
  WriteInt32(AStream, Integer(AImage->GradientBeginColor()));
  WriteInt32(AStream, Integer(AImage->GradientEndColor()));
  WriteByte(AStream, Byte(AImage->Gradient()));
  Owned<TMemoryStream> png(New<TMemoryStream>());
  if (!AImage->Empty()) AImage->Texture()->SaveToStream(png.get());
  WriteInt32(AStream, Integer(png->Size()));
  if (png->Size() > 0) AStream->WriteBuffer(png->Memory(), Integer(png->Size()));
}

}  // namespace

// --- TnbSkinElement --------------------------------------------------------------------------

void TnbSkinElement::Create(TPersistent* AOwner, const String& AName) {
  inherited::Create(AOwner, AName);
  const TNotifyEvent changed(this, &TnbSkinPersistent::SubItemHasChanged);
  FAlpha = 255;
  FBorders = New<TnbSkinBorders>(static_cast<TPersistent*>(this), String(u"Borders"));
  FBorders->SetOnChange(changed);
  FCanvas = New<TnbSkinCanvas>();
  FColor = nbSkinClDefault;
  FContentOffset = New<TvlRect>(static_cast<TPersistent*>(this));
  FContentOffset->SetOnChange(changed);
  FGlyph = New<TnbSkinImage>(this);
  FGlyph->SetOnChange(changed);
  FImage = New<TnbSkinImage>(this);
  FImage->SetOnChange(changed);
  FImageCount = 1;
  FMinSize = New<TvlSize>(static_cast<TPersistent*>(this));
  FMinSize->SetOnChange(changed);
  FTextColor = nbSkinClDefault;
}

void TnbSkinElement::Destroy() {
  if (FBrush && nbgp::GdipDeleteBrush) nbgp::GdipDeleteBrush(FBrush);
  FBrush = nullptr;
  Free(FMinSize);
  Free(FImage);
  Free(FGlyph);
  Free(FContentOffset);
  Free(FCanvas);
  Free(FBorders);
  inherited::Destroy();
}

void TnbSkinElement::Assign(TPersistent* Source) {
  if (auto* source = dynamic_cast<TnbSkinElement*>(Source)) {
    BeginUpdate();
    Finally end([&] { EndUpdate(); });
    FImage->Assign(source->FImage);
    FGlyph->Assign(source->FGlyph);
    SetColor(source->FColor);
    SetAlpha(source->FAlpha);
    FContentOffset->Assign(source->FContentOffset);
    SetImageCount(source->FImageCount);
    FBorders->Assign(source->FBorders);
    FMinSize->Assign(source->FMinSize);
    SetTextColor(source->FTextColor);
  }
  inherited::Assign(Source);
}

Boolean TnbSkinElement::CompareProperties(TnbSkinElement* AElement) {
  if (PropertyCount() != AElement->PropertyCount()) return false;
  for (Integer i = 0; i < PropertyCount(); ++i)
    if (!Properties(i)->Compare(AElement->Properties(i))) return false;
  return true;
}

String TnbSkinElement::GetImageName(TnbSkinImage* AImage) {
  return Name() + (AImage == FGlyph ? u"_Glyph.png" : u"_Image.png");
}

void TnbSkinElement::ReadData(TStream* AStream, Double AVersion) {
  SetColor(TColor(ReadInt32(AStream)));
  SetAlpha(ReadByte(AStream));
  SetImageCount(ReadInt32(AStream));
  FContentOffset->SetRect(ReadRect(AStream));
  ReadImageBlock(FGlyph, AStream, AVersion);
  ReadImageBlock(FImage, AStream, AVersion);
  for (Integer i = 0; i < 4; ++i) {
    ReadString(AStream);
    FBorders->Items(TvlBorder(i))->ReadFromStream(AStream);
  }
  SetColor(FColor);
  SetTextColor(TColor(ReadInt32(AStream)));
  TSize minSize{};
  minSize.cx = ReadMetric(AStream);
  minSize.cy = ReadMetric(AStream);
  FMinSize->SetSize(minSize);
  ReadPropertyList(AStream, this);
}

void TnbSkinElement::WriteData(TStream* AStream, Double AVersion) {
  WriteInt32(AStream, Integer(FColor));
  WriteByte(AStream, FAlpha);
  WriteInt32(AStream, FImageCount);
  WriteRect(AStream, FContentOffset->Rect());
  WriteImageBlock(FGlyph, AStream);
  WriteImageBlock(FImage, AStream);
  for (Integer i = 0; i < 4; ++i) FBorders->Items(TvlBorder(i))->WriteToStream(AStream);
  WriteInt32(AStream, Integer(FTextColor));
  WriteInt32(AStream, FMinSize->Size().cx);
  WriteInt32(AStream, FMinSize->Size().cy);
  WritePropertyList(AStream, this);
}

Boolean TnbSkinElement::Compare(TnbSkinElement* AElement) {
  return AElement && Name() == AElement->Name() && FColor == AElement->FColor &&
         FImageCount == AElement->FImageCount && FAlpha == AElement->FAlpha && FTextColor == AElement->FTextColor &&
         FMinSize->IsEqual(AElement->FMinSize) && FContentOffset->IsEqual(AElement->FContentOffset) &&
         FBorders->Compare(AElement->FBorders) && CompareProperties(AElement) && FImage->Compare(AElement->FImage) &&
         FGlyph->Compare(AElement->FGlyph);
}

TColor TnbSkinElement::GetTextColor(TvlButtonState AState) {
  const char16_t* name = AState == vlbsHot        ? u"TextColorHot"
                         : AState == vlbsPressed  ? u"TextColorPressed"
                         : AState == vlbsDisabled ? u"TextColorDisabled"
                                                  : nullptr;
  if (name) {
    auto* color = dynamic_cast<TnbSkinColor*>(GetPropertyByName(name));
    if (color && color->Value() != nbSkinClDefault) return color->Value();
  }
  return FTextColor;
}

void TnbSkinElement::SetColor(TColor Value) {
  FColor = Value;
  FIsColorAssigned = Value != nbSkinClDefault && Value != nbSkinClNone;
  if (FIsColorAssigned && nbIsGdiPlusAvailable()) {
    const win::gdiplus::ARGB argb = nbColorToGpArgb(Value, FAlpha);
    if (!FBrush)
      nbgp::GdipCreateSolidFill(argb, &FBrush);
    else
      nbgp::GdipSetSolidFillColor(FBrush, argb);
  }
  SignalChange();
}

void TnbSkinElement::SetAlpha(Byte Value) {
  if (FAlpha == Value) return;
  FAlpha = Value;
  SetColor(FColor);
}

void TnbSkinElement::SetImageCount(Integer Value) {
  Value = std::max(Value, 1);
  if (FImageCount == Value) return;
  FImageCount = Value;
  FImage->SetDirty();
  FGlyph->SetDirty();
  SignalChange();
}

void TnbSkinElement::SetTextColor(TColor Value) {
  FTextColor = Value;
  SignalChange();
}

void TnbSkinElement::SetStateMapping(const std::vector<TnbSkinElementState>& AStates) {
  FImage->SetStateMapping(AStates);
  FGlyph->SetStateMapping(AStates);
}

TnbSkinControlGroup* TnbSkinElement::Group() const { return dynamic_cast<TnbSkinControlGroup*>(Owner()); }

Boolean TnbSkinElement::IsAlphaUsed() const {
  if (!FImage->Texture()->Empty()) return FImage->Texture()->IsAlphaUsed();
  return FAlpha < 255 || FColor == nbSkinClNone;
}

String TnbSkinElement::Path() const {
  TnbSkinControlGroup* group = Group();
  return (group ? group->Name() : String()) + u"\\";
}

const TSize& TnbSkinElement::Size() const { return FImage->Size(); }

// --- TnbSkinPartStream -----------------------------------------------------------------------

void TnbSkinPartStream::Create(TStream* ASource) { FSource = ASource; }

void TnbSkinPartStream::Initialize(Int64 APosStart, Int64 APosEnd) {
  FPosStart = APosStart;
  FPosEnd = APosEnd;
  if (FSource) FSource->SetPosition(APosStart);
}

void TnbSkinPartStream::InitializeEx(TStream* ASource, Int64 APosStart, Int64 APosEnd) {
  FSource = ASource;
  Initialize(APosStart, APosEnd);
}

Integer TnbSkinPartStream::Read(void* Buffer, Integer Count) {
  if (!FSource) return 0;
  const Int64 left = FPosEnd - FSource->Position();
  if (left <= 0 || Count <= 0) return 0;
  return FSource->Read(Buffer, Integer(std::min<Int64>(Count, left)));
}

Integer TnbSkinPartStream::Write(const void* Buffer, Integer Count) {
  if (!FSource) return 0;
  const Integer result = FSource->Write(Buffer, Count);
  FPosEnd = FSource->Position();
  return result;
}

Int64 TnbSkinPartStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  if (!FSource) return 0;
  Int64 target = Offset;
  switch (Origin) {
    case soBeginning: target += FPosStart; break;
    case soEnd: target += FPosEnd; break;
    default: target += FSource->Position(); break;
  }
  target = std::clamp(target, FPosStart, std::max(FPosStart, FPosEnd));
  FSource->SetPosition(target);
  return FSource->Position() - FPosStart;
}
