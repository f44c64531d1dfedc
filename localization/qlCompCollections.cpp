// String collections (sorted copies of the Strings lines for bisection),
// extended translations, and published properties read and written as text
// by a path from the owner.
#include <memory>

#include "localization/qlComp.h"
#include "localization/qlDispatcher.h"
#include "platform/classes/Filer.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"

// The type kind is published by the extended translations (found by
// argument-dependent lookup, so at global scope).
static const TTypeInfo* TypeInfoOf(const TTypeKind*) {
  static const TTypeInfo* const info =
      MakeEnumTypeInfo(u"TTypeKind",
                       "tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod, "
                       "tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, "
                       "tkDynArray, tkUString");
  return info;
}

namespace {

constexpr Char kValuesExMark1 = Char(0x044F);
constexpr Char kValuesExMark2 = Char(0x044E);

// Value n (from 1) of an extended translation's values (no path field).
String ExtendedValue(const String& Values, Char D, Integer N) { return ExtractField(Values, D, N - 1); }

String ItemValue(TqlStringsCollectionItem* Item, Integer Lang) {
  TStringList* values = Item->Values();
  return Lang >= 1 && Lang <= values->Count() ? values->Strings(Lang - 1) : String();
}

Integer CompareByID(void*, TCollectionItem* A, TCollectionItem* B) {
  return CompareText(static_cast<TqlStringsCollectionItem*>(A)->ID(), static_cast<TqlStringsCollectionItem*>(B)->ID());
}

struct TLangSort {
  Integer Lang;
  Boolean Decode;
};

Integer CompareByLang(void* UserData, TCollectionItem* A, TCollectionItem* B) {
  auto* sort = static_cast<TLangSort*>(UserData);
  String a = ItemValue(static_cast<TqlStringsCollectionItem*>(A), sort->Lang);
  String b = ItemValue(static_cast<TqlStringsCollectionItem*>(B), sort->Lang);
  if (sort->Decode) {
    a = DecodeEscapes(a);
    b = DecodeEscapes(b);
  }
  return CompareStr(a, b);
}

}  // namespace

CL_IMPLEMENT_CLASS(TqlSortCollection)
CL_IMPLEMENT_CLASS(TqlStringsCollectionItem)
CL_IMPLEMENT_CLASS(TqlStringsCollection)
CL_IMPLEMENT_CLASS(TqlExtendedItems)

CL_IMPLEMENT_CLASS_PUBLISHED(TqlExtendedItem, P) {
  P.Property(u"IsRoot", &TqlExtendedItem::IsRoot);
  P.Property(u"Identifier", &TqlExtendedItem::Identifier, &TqlExtendedItem::SetIdentifier);
  P.Property(u"PropertyType", &TqlExtendedItem::PropertyType, &TqlExtendedItem::SetPropertyType)
      .Default(tkUnknown);
  P.Property(u"Values", &TqlExtendedItem::Values, &TqlExtendedItem::SetValues).Stored(false);
}

// --- TqlSortCollection --------------------------------------------------------------------

void TqlSortCollection::QuickSort(Integer L, Integer R, TqlCollectionSortCompare Compare, void* UserData) {
  Integer I = 0;
  do {
    I = L;
    Integer J = R;
    TCollectionItem* pivot = Items((L + R) / 2);
    do {
      while (Compare(UserData, Items(I), pivot) < 0) ++I;
      while (Compare(UserData, Items(J), pivot) > 0) --J;
      if (I <= J) {
        if (I != J) {
          TCollectionItem* a = Items(I);
          TCollectionItem* b = Items(J);
          a->SetIndex(J);
          b->SetIndex(I);
        }
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J) QuickSort(L, J, Compare, UserData);
    L = I;
  } while (I < R);
}

void TqlSortCollection::CustomSort(TqlCollectionSortCompare Compare, void* UserData) {
  if (Count() == 0) return;
  BeginUpdate();
  Finally endUpdate([&] { EndUpdate(); });
  QuickSort(0, Count() - 1, Compare, UserData);
}

// --- TqlStringsCollection --------------------------------------------------------------------

void TqlStringsCollectionItem::Create(TCollection* Collection) {
  inherited::Create(Collection);
  FValues = New<TStringList>();
}

void TqlStringsCollectionItem::Destroy() {
  FreeAndNil(FValues);
  inherited::Destroy();
}

void TqlStringsCollectionItem::SetValues(TStrings* Value) { FValues->Assign(Value); }

void TqlStringsCollection::Create(TCollectionItemClass ItemClass, TqlCustomLang* AOwner) {
  inherited::Create(ItemClass);
  FOwner = AOwner;
  SortID = 0;
}

TPersistent* TqlStringsCollection::GetOwner() { return FOwner; }

String TqlStringsCollection::SortValue(TqlStringsCollectionItem* Item) {
  String value = ItemValue(Item, SortID);
  return FOwner && FOwner->UsedInCPP ? DecodeEscapes(value) : value;
}

void TqlStringsCollection::Sort() {
  if (SortID == 0) {
    CustomSort(&CompareByID, nullptr);
  } else {
    TLangSort sort{SortID, FOwner && FOwner->UsedInCPP};
    CustomSort(&CompareByLang, &sort);
  }
}

Integer TqlStringsCollection::GetIDIndex(const String& TextID) {
  for (Integer i = 0; i < Count(); ++i)
    if (SameText(Items(i)->ID(), TextID)) return i;
  return -1;
}

String TqlStringsCollection::GetTranslationByID(const String& ID, Integer RetLang) {
  if (Count() == 0) return String();
  Integer L = 0, H = Count() - 1;
  do {
    Integer M = (L + H) / 2;
    Integer c = CompareText(Items(M)->ID(), ID);
    if (c == 0) return ItemValue(Items(M), RetLang);
    if (c > 0) {
      H = M;
    } else if (L == M) {
      if (M + 1 < Count() && SameText(Items(M + 1)->ID(), ID)) return ItemValue(Items(M + 1), RetLang);
      return String();
    } else {
      L = M;
    }
  } while (L < H);
  return String();
}

// The index of the item whose value of language SortID is LangValue, by the
// same bisection; -1 when none.
Integer TqlStringsCollection::FindByLang(const String& LangValue) {
  if (Count() == 0) return -1;
  Integer L = 0, H = Count() - 1;
  do {
    Integer M = (L + H) / 2;
    Integer c = CompareStr(SortValue(Items(M)), LangValue);
    if (c == 0) return M;
    if (c > 0) {
      H = M;
    } else if (L == M) {
      if (M + 1 < Count() && SortValue(Items(M + 1)) == LangValue) return M + 1;
      return -1;
    } else {
      L = M;
    }
  } while (L < H);
  return -1;
}

String TqlStringsCollection::GetTranslationByLang(const String& LangValue, Integer RetLang) {
  Integer i = FindByLang(LangValue);
  if (i < 0) return LangValue;
  String result = ItemValue(Items(i), RetLang);
  // An empty translation while the owner's dispatcher is in test mode: the
  // pseudo-translation of the first value.
  TqlLangDispatcher* dispatcher = FOwner ? FOwner->LangDispatcher() : nullptr;
  if (result.empty() && RetLang > 1 && dispatcher && dispatcher->TestModeInfo()->Active())
    result = ApplyTestMode(FOwner, ItemValue(Items(i), 1));
  return FOwner && FOwner->UsedInCPP ? DecodeEscapes(result) : result;
}

String TqlStringsCollection::GetTranslationByLang2(const String& LangValue, Integer RetLang) {
  Integer i = FindByLang(LangValue);
  if (i < 0) return String();
  String result = ItemValue(Items(i), RetLang);
  return FOwner && FOwner->UsedInCPP ? DecodeEscapes(result) : result;
}

// --- TqlExtendedItem ----------------------------------------------------------------------------

void TqlExtendedItem::Create(TCollection* Collection) { inherited::Create(Collection); }

TqlCustomLang* TqlExtendedItem::Lang() {
  auto* items = dynamic_cast<TqlExtendedItems*>(Collection());
  return items ? items->Lang() : nullptr;
}

String TqlExtendedItem::Identifier() {
  if (!FRelComponent) return FIdentifier;
  Integer dot = Pos(u'.', FIdentifier);
  String rest = dot > 0 ? Copy(FIdentifier, dot) : String();
  TqlCustomLang* lang = Lang();
  if (lang && lang->Owner() == FRelComponent) return FRelComponent->ClassName() + rest;
  return FRelComponent->Name() + rest;
}

Boolean TqlExtendedItem::IsRoot() {
  TqlCustomLang* lang = Lang();
  return lang && lang->Owner() && StartsStr(lang->Owner()->ClassName() + u".", Identifier());
}

String TqlExtendedItem::GetDisplayName() {
  return FIdentifier.empty() ? inherited::GetDisplayName() : FIdentifier;
}

void TqlExtendedItem::AssignTo(TPersistent* Dest) {
  if (auto* item = dynamic_cast<TqlExtendedItem*>(Dest)) {
    item->FIdentifier = FIdentifier;
    item->FValues = FValues;
    item->FPropertyType = FPropertyType;
  }
}

void TqlExtendedItem::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty(u"ValuesEx", TStreamProc(this, &TqlExtendedItem::ReadValuesEx),
                              TStreamProc(this, &TqlExtendedItem::WriteValuesEx), HasValuesEx(Filer));
}

Boolean TqlExtendedItem::HasValuesEx(TFiler* Filer) {
  auto* ancestor = dynamic_cast<TqlExtendedItem*>(Filer->Ancestor());
  if (!ancestor) return !FValues.empty();
  TqlCustomLang* lang = Lang();
  if (lang && lang->UseInheritedData()) return false;
  return !FValues.empty() && FValues != ancestor->FValues;
}

void TqlExtendedItem::WriteValuesEx(TStream* Stream) {
  if (FValues.empty()) return;
  String text = String(1, kValuesExMark1) + kValuesExMark2 + FValues;
  RawByteString bytes;
  for (Char c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  Stream->WriteBuffer(bytes.data(), Integer(bytes.size()));
}

void TqlExtendedItem::ReadValuesEx(TStream* Stream) {
  Int64 size = Stream->Size() - Stream->Position();
  RawByteString bytes(size_t(size > 0 ? size : 0), '\0');
  if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), Integer(bytes.size()));
  if (bytes.empty()) {
    FValues.clear();
    return;
  }
  String units;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    Char low = Byte(bytes[i]);
    Char high = i + 1 < bytes.size() ? Byte(bytes[i + 1]) : 0;
    units += static_cast<Char>(low | (high << 8));
  }
  if (units.size() >= 2 && units[0] == kValuesExMark1 && units[1] == kValuesExMark2) {
    FValues = units.substr(2);
  } else if (TqlCustomLang* lang = Lang()) {
    FValues = lang->DecodeLegacyLine(units, true);
  } else {
    FValues = units;
  }
}

// --- TqlExtendedItems -------------------------------------------------------------------------

void TqlExtendedItems::Create(TCollectionItemClass ItemClass, TqlCustomLang* AOwner) {
  inherited::Create(ItemClass);
  FOwner = AOwner;
}

TPersistent* TqlExtendedItems::GetOwner() { return FOwner; }

TqlExtendedItem* TqlExtendedItems::Find(const String& Identifier) {
  for (Integer i = 0; i < Count(); ++i)
    if (SameText(Items(i)->Identifier(), Identifier)) return Items(i);
  return nullptr;
}

// --- The component's collections ----------------------------------------------------------------

void TqlCustomLang::FillStringsCollection(TqlStringsCollection* Collection, Integer Index) {
  Collection->Clear();
  for (Integer i = 0; i < FStrings->Count(); ++i) {
    String line = FStrings->Strings(i);
    TqlStringsCollectionItem* item = Collection->Add();
    item->SetID(ExtractField(line, D(), 0));
    for (Integer n = 1; n <= FNumOfLanguages; ++n) item->Values()->Add(ExtractField(line, D(), n));
  }
  Collection->SortID = Index;
  Collection->Sort();
}

void TqlCustomLang::UpdateStrCollections() {
  if (IsDesigning()) return;
  FillStringsCollection(FStringsColl, 0);
  if (FHandleResourceStrings && Owner()) FillStringsCollection(FLangStringsColl, FResourceLanguageIndex);
}

// --- Properties by path -------------------------------------------------------------------------

TObject* TqlCustomLang::GetObjByPath(const String& Path) {
  TComponent* owner = Owner();
  if (!owner) return nullptr;
  TObject* obj = nullptr;
  Integer dot = Pos(u'.', Path);
  if (StartsStr(owner->ClassName() + u".", Path)) {
    obj = owner;
  } else {
    obj = owner->FindComponent(dot > 0 ? Copy(Path, 1, dot - 1) : Path);
    if (!obj) return nullptr;
  }
  String rest = dot > 0 ? Copy(Path, dot + 1) : String();
  while ((dot = Pos(u'.', rest)) > 0) {
    String step = Copy(rest, 1, dot - 1);
    Integer bracket = Pos(u'[', step);
    const TPropInfo* p = bracket > 0 ? GetPropInfo(obj, Copy(step, 1, bracket - 1)) : nullptr;
    if (!p) p = GetPropInfo(obj, step);
    if (!p || p->PropType->Kind != tkClass) return nullptr;
    TObject* value = GetObjectProp(obj, p);
    if (auto* coll = dynamic_cast<TCollection*>(value); coll && bracket > 0) {
      Integer close = Pos(u']', step);
      value = coll->Items(StrToInt(Copy(step, bracket + 1, (close > 0 ? close : Length(step) + 1) - bracket - 1)));
    }
    if (!value) return nullptr;
    obj = value;
    rest = Copy(rest, dot + 1);
  }
  return obj;
}

namespace {

const TPropInfo* LastProperty(TObject* Obj, const String& Path) {
  if (!Obj) return nullptr;
  Integer dot = LastDelimiter(u".", Path);
  return GetPropInfo(Obj, Copy(Path, dot + 1));
}

}  // namespace

TTypeKind TqlCustomLang::GetPropTypeByPath(const String& Path) {
  TObject* obj = GetObjByPath(Path);
  const TPropInfo* p = LastProperty(obj, Path);
  if (!p) return tkUnknown;
  if (p->PropType->Kind == tkClass) return dynamic_cast<TStrings*>(GetObjectProp(obj, p)) ? tkClass : tkUnknown;
  return p->PropType->Kind;
}

String TqlCustomLang::GetPropValueByPath(const String& Path) {
  TObject* obj = GetObjByPath(Path);
  const TPropInfo* p = LastProperty(obj, Path);
  if (!p) return String();
  switch (p->PropType->Kind) {
    case tkInteger: return IntToStr(Integer(GetOrdProp(obj, p)));
    case tkChar: case tkString: case tkLString: case tkWString: case tkUString: case tkWChar:
      return ReadStrProp(obj, p);
    case tkEnumeration: return GetEnumProp(obj, p);
    case tkFloat: return FloatToStr(GetFloatProp(obj, p));
    case tkSet: return GetSetProp(obj, p, false);
    case tkClass:
      if (auto* list = dynamic_cast<TStrings*>(GetObjectProp(obj, p))) return list->CommaText();
      return String();
    case tkInt64: return IntToStr(GetInt64Prop(obj, p));
    default: return String();
  }
}

// A failure to convert or write one property never stops the others (a
// language change goes on), so every error here is dropped.
void TqlCustomLang::SetPropValueByPath(const String& Path, const String& Value) {
  try {
    TObject* obj = GetObjByPath(Path);
    const TPropInfo* p = LastProperty(obj, Path);
    if (!p) return;
    switch (p->PropType->Kind) {
      case tkInteger: SetOrdProp(obj, p, StrToInt(Value)); break;
      case tkChar: case tkString: case tkLString: case tkWString: case tkUString: case tkWChar:
        WriteStrProp(obj, p, Value);
        break;
      case tkEnumeration: SetEnumProp(obj, p, Value); break;
      case tkFloat: SetFloatProp(obj, p, StrToFloat(Value)); break;
      case tkSet: SetSetProp(obj, p, Value); break;
      case tkClass:
        if (auto* list = dynamic_cast<TStrings*>(GetObjectProp(obj, p))) {
          std::unique_ptr<TStringList, TObjectFree> lines(New<TStringList>());
          lines->SetCommaText(Value);
          list->BeginUpdate();
          Finally endUpdate([&] { list->EndUpdate(); });
          for (Integer i = 0; i < lines->Count(); ++i) {
            if (i < list->Count())
              list->SetStrings(i, lines->Strings(i));
            else
              list->Add(lines->Strings(i));
          }
          while (list->Count() > lines->Count()) list->Delete(list->Count() - 1);
        }
        break;
      case tkInt64: SetInt64Prop(obj, p, Int64(StrToInt(Value))); break;
      default: break;
    }
  } catch (const Exception&) {
  }
}

void TqlCustomLang::ChangeLangForExtended() {
  for (Integer i = 0; i < FExtendedTranslations->Count(); ++i) {
    TqlExtendedItem* item = FExtendedTranslations->Items(i);
    String text = ExtendedValue(item->Values(), D(), FActiveLanguage);
    if (text.empty() && FUseDefaultLanguage && FDefaultLanguage != FActiveLanguage)
      text = ExtendedValue(item->Values(), D(), FDefaultLanguage);
    try {
      text = TestModeText(text, ExtendedValue(item->Values(), D(), 1));
    } catch (const Exception&) {
      continue;  // a padding character without width: this item stays
    }
    if (text.empty() && FTranslateType == ttGetDefault) text = ExtendedValue(item->Values(), D(), 1);
    if (text.empty()) continue;
    // Translation data writes text, fonts, lists and collections, never a
    // data set's command or a connection string.
    const String path = item->Identifier();
    TObject* target = nullptr;
    try {
      target = GetObjByPath(path);
    } catch (const Exception&) {
      target = nullptr;
    }
    if (target && IsTranslatableProperty(target, Copy(path, LastDelimiter(u".", path) + 1)))
      SetPropValueByPath(path, text);
  }
}

void TqlCustomLang::RefreshExtendedTranslations() {
  for (Integer i = FExtendedTranslations->Count() - 1; i >= 0; --i) {
    TqlExtendedItem* item = FExtendedTranslations->Items(i);
    TObject* obj = nullptr;
    try {
      obj = GetObjByPath(item->Identifier());
    } catch (const Exception&) {
      obj = nullptr;
    }
    if (!obj) {
      FExtendedTranslations->Delete(i);
      continue;
    }
    String current = GetPropValueByPath(item->Identifier());
    if (ExtendedValue(item->Values(), D(), FActiveLanguage) == current) continue;
    String values;
    for (Integer n = 1; n <= FNumOfLanguages; ++n)
      values += (n == FActiveLanguage ? current : ExtendedValue(item->Values(), D(), n)) + D();
    item->SetValues(values);
  }
}

void TqlCustomLang::ReplaceExtendedDelimiterChar(Char OldDelim, Char NewDelim) {
  for (Integer i = 0; i < FExtendedTranslations->Count(); ++i) {
    TqlExtendedItem* item = FExtendedTranslations->Items(i);
    String values = item->Values();
    for (Char& c : values)
      if (c == OldDelim) c = NewDelim;
    item->SetValues(values);
  }
}
