// Building the property lists: every translatable property of the owner and
// its components gets a line, lines of vanished components and properties go,
// and at design time the active language's value follows the property.
#include <memory>

#include "localization/qlComp.h"
#include "localization/qlHelpers.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Graphics.h"

using namespace ql_internal;

namespace {


// The line of a path (ignoring case), -1 when none.
Integer FindPathLine(TStrings* List, const String& Path, Char D) {
  const String prefix = Path + D;
  for (Integer i = 0; i < List->Count(); ++i)
    if (StartsSameText(prefix, List->Strings(i))) return i;
  return -1;
}

String CharsetName(Byte Charset) {
  static const char16_t* const names[] = {
      u"ANSI_CHARSET",        u"DEFAULT_CHARSET",    u"SYMBOL_CHARSET",   u"MAC_CHARSET",      u"SHIFTJIS_CHARSET",
      u"HANGEUL_CHARSET",     u"JOHAB_CHARSET",      u"GB2312_CHARSET",   u"CHINESEBIG5_CHARSET", u"GREEK_CHARSET",
      u"TURKISH_CHARSET",     u"VIETNAMESE_CHARSET", u"HEBREW_CHARSET",   u"ARABIC_CHARSET",   u"BALTIC_CHARSET",
      u"RUSSIAN_CHARSET",     u"THAI_CHARSET",       u"EASTEUROPE_CHARSET", u"OEM_CHARSET"};
  for (const char16_t* name : names) {
    Byte value = 0;
    if (CharsetFromName(name, value) && value == Charset) return name;
  }
  return u"DEFAULT_CHARSET";
}

TObject* PropertiesObject(TObject* AComponent) {
  const TPropInfo* p = GetPropInfo(AComponent, u"Properties", TTypeKinds{tkClass});
  return p && p->Getter ? GetObjectProp(AComponent, p) : nullptr;
}

}  // namespace

Boolean TqlCustomLang::IsActionLinkedValue(TComponent* AComponent, const String& AProperty, const String& AValue) {
  if (FOverrideActionsValues || !AComponent || AValue.empty()) return false;
  const TPropInfo* p = GetPropInfo(AComponent, u"Action", TTypeKinds{tkClass});
  TObject* action = p && p->Getter ? GetObjectProp(AComponent, p) : nullptr;
  return action && GetStrPropValue(action, AProperty) == AValue;
}

String TqlCustomLang::FindScratchLine(const String& Text) {
  if (!FTmpStrings) return String();
  for (Integer i = 0; i < FTmpStrings->Count(); ++i) {
    const String line = FTmpStrings->Strings(i);
    // A damaged line without a delimiter holds no translations to lend.
    if (line.find(D()) == String::npos) continue;
    String value = ExtractField(line, D(), FActiveLanguage);
    if (value.empty()) value = ExtractField(line, D(), 1);
    if (value == Text) return line;
  }
  return String();
}

void TqlCustomLang::DeletePropertyLines(TStrings* List, const String& AComponentName, TStringsType Kind,
                                        const String& AProperty) {
  if (!List) return;
  String prefix;
  if (Kind == stMultiLines || Kind == stOtherStrings)
    prefix = AComponentName + u"." + AProperty + D();
  else if (Kind == stCollections)
    prefix = AComponentName + u"." + AProperty;
  else
    prefix = AComponentName + D();
  for (Integer i = List->Count() - 1; i >= 0; --i) {
    if (!StartsSameText(prefix, List->Strings(i))) continue;
    List->Delete(i);
    if (Kind != stCollections) return;
  }
}

void TqlCustomLang::DelOldNames(TStrings* List, TStringsType Kind) {
  if (!List || Kind == stDlgsCaptions || Kind == stStrings || Kind == stLocales) return;
  if (!FTmpStrings) FTmpStrings = New<TStringList>();
  TComponent* owner = Owner();
  if (!owner) return;
  const Char d = D();
  const Boolean dotted = Kind == stMultiLines || Kind == stOtherStrings || Kind == stCollections ||
                         Kind == stListView_TreeView_Items;
  Integer first = 0;
  if (List->Count() > 0 && (Kind == stCaptions || Kind == stHints || Kind == stFonts || Kind == stCharSets)) {
    const Boolean ownerHas = Kind == stFonts || Kind == stCharSets
                                 ? HasProperty(owner, u"Font", TTypeKinds{tkClass}, u"TFont")
                                 : HasProperty(owner, StringsTypeDefaultProperty(Kind), qlStringKinds);
    if (ownerHas) {
      first = 1;
      if ((Kind == stCaptions || Kind == stHints) && Pos(owner->ClassName() + d, List->Strings(0)) > 0 &&
          IsActionLinkedValue(owner, StringsTypeDefaultProperty(Kind),
                              GetStrPropValue(owner, StringsTypeDefaultProperty(Kind)))) {
        List->Delete(0);
        first = 0;
      }
    }
  }
  for (Integer i = List->Count() - 1; i >= first; --i) {
    const String line = List->Strings(i);
    const String path = PathOf(line, d);
    String name = path;
    if (dotted)
      if (Integer dot = Pos(u'.', path)) name = Copy(path, 1, dot - 1);
    TComponent* component = owner->FindComponent(name);
    if (!component && !(dotted && name == owner->ClassName())) {
      FTmpStrings->Add(line);
      List->Delete(i);
      continue;
    }
    if ((Kind == stCaptions || Kind == stHints) && component &&
        IsActionLinkedValue(component, StringsTypeDefaultProperty(Kind),
                            GetStrPropValue(component, StringsTypeDefaultProperty(Kind)))) {
      List->Delete(i);
      continue;
    }
    if (Kind == stCollections) {
      TObject* holder = component ? static_cast<TObject*>(component) : owner;
      String rest = Copy(path, Length(name) + 2);
      if (StartsSameText(u"Properties.", rest)) {
        holder = PropertiesObject(holder);
        rest = Copy(rest, 12);
      }
      Integer open = Pos(u'[', rest), close = Pos(u']', rest);
      TCollection* coll = nullptr;
      if (holder && open > 1) {
        const TPropInfo* p = GetPropInfo(holder, Copy(rest, 1, open - 1), TTypeKinds{tkClass});
        coll = p && p->Getter ? dynamic_cast<TCollection*>(GetObjectProp(holder, p)) : nullptr;
      }
      Integer index = close > open ? StrToIntDef(Copy(rest, open + 1, close - open - 1), -1) : -1;
      if (coll && (index < 0 || index >= coll->Count())) {
        FTmpStrings->Add(line);
        List->Delete(i);
        continue;
      }
    }
  }
  if (!FAutoSkipEmpties) return;
  for (Integer i = List->Count() - 1; i >= 0; --i) {
    const String line = List->Strings(i);
    size_t p = line.find(d);
    String values = p == String::npos ? String() : line.substr(p + 1);
    Boolean empty = true;
    for (Char c : values)
      if (Kind == stCollections ? c > u' ' : c != d) empty = false;
    if (empty && p != String::npos) List->Delete(i);
  }
}

void TqlCustomLang::RemoveStaleLines() {
  TComponent* owner = Owner();
  if (!owner) return;
  const Char d = D();
  for (TStringsType kind : {stCaptions, stHints, stDisplayLabels, stFonts, stCharSets, stMultiLines, stOtherStrings,
                            stCollections}) {
    TStringList* list = ListField(kind);
    for (Integer i = list->Count() - 1; i >= 0; --i) {
      const String path = PathOf(list->Strings(i), d);
      String name = path, property = kind == stCharSets ? String(u"Font") : StringsTypeDefaultProperty(kind);
      const Boolean dotted = kind == stMultiLines || kind == stOtherStrings || kind == stCollections;
      if (dotted) {
        Integer dot = Pos(u'.', path);
        name = dot ? Copy(path, 1, dot - 1) : String();
        property = dot ? Copy(path, dot + 1) : String();
        if (kind == stCollections) {
          Integer open = Pos(u'[', property);
          property = open ? Copy(property, 1, open - 1) : String();
        }
      }
      TObject* component = nullptr;
      if (!name.empty()) component = name == owner->Name() || name == owner->ClassName() ? owner : owner->FindComponent(name);
      Boolean keep = false;
      if (component && !property.empty()) {
        TTypeKinds kinds = kind == stFonts || kind == stCharSets || kind == stMultiLines ? TTypeKinds{tkClass}
                           : kind == stCollections                                         ? qlAllKinds
                                                                                          : qlStringKinds;
        TObject* obj = component;
        String prop = property;
        if (Integer dot = Pos(u'.', property)) {
          const TPropInfo* op = GetPropInfo(obj, Copy(property, 1, dot - 1), TTypeKinds{tkClass});
          obj = op && op->Getter ? GetObjectProp(obj, op) : nullptr;
          prop = Copy(property, dot + 1);
          if (Pos(u'.', prop) > 0) obj = nullptr;
        }
        keep = obj && GetPropInfo(obj, prop, kinds) != nullptr;
      }
      if (!keep) list->Delete(i);
    }
  }
}

// --- Collecting ---------------------------------------------------------------------------------

void TqlCustomLang::BuildList() {
  TComponent* owner = Owner();
  if (FQLBLoading || !owner) return;
  const Boolean savedRaise = FDoRaiseExceptions;
  FDoRaiseExceptions = false;
  Finally restore([&] {
    FDoRaiseExceptions = savedRaise;
    FreeAndNil(FTmpStrings);
  });
  try {
    CollectOwnerLine(stCaptions);
    CollectOwnerLine(stHints);
    CollectOwnerLine(stFonts);
    FreeAndNil(FTmpStrings);
    FTmpStrings = New<TStringList>();
    auto build = [&](TStringsType Kind) {
      DelOldNames(ListField(Kind), Kind);
      try {
        CollectList(Kind);
      } catch (const Exception&) {
      }
      FTmpStrings->Clear();
    };
    if (!ListHas(FExcludedProperties, u"Caption")) build(stCaptions);
    if (!ListHas(FExcludedProperties, u"Hint")) build(stHints);
    if (!ListHas(FExcludedProperties, u"DisplayLabel")) build(stDisplayLabels);
    if (!ListHas(FExcludedProperties, u"Font") && HasProperty(owner, u"Font", TTypeKinds{tkClass}, u"TFont")) {
      DelOldNames(FFonts, stFonts);
      try {
        CollectList(stFonts);
      } catch (const Exception&) {
      }
      DelOldNames(FCharSets, stCharSets);
      FTmpStrings->Clear();
    }
    build(stMultiLines);
    build(stOtherStrings);
    build(stCollections);
    RemoveStaleLines();
    RefreshExtendedTranslations();
  } catch (const Exception&) {
  }
}

// The owner's own caption, hint or font in the first line of its list.
void TqlCustomLang::CollectOwnerLine(TStringsType Kind) {
  TComponent* owner = Owner();
  const Boolean font = Kind == stFonts;
  const String property = font ? String(u"Font") : StringsTypeDefaultProperty(Kind);
  if (font ? !HasProperty(owner, u"Font", TTypeKinds{tkClass}, u"TFont") : !HasProperty(owner, property, qlStringKinds))
    return;
  TStringList* list = ListField(Kind);
  const String cls = owner->ClassName();
  const Char d = D();
  if (ListHas(FSmartExcludeProps, cls + u"." + property)) {
    DeletePropertyLines(list, cls, Kind, property);
    return;
  }
  if (ListHas(FExcludedProperties, property) || !IsOwnerTranslated()) return;
  String value;
  Byte charset = 0;
  if (font) {
    value = GetFontName(owner);
    charset = GetFontCharset(owner);
  } else {
    value = GetStrPropValue(owner, property);
  }
  if ((value.empty() && FAutoSkipEmpties) || (!font && IsActionLinkedValue(owner, property, value))) return;
  const String pad(size_t(FNumOfLanguages - 1), d);
  auto rekey = [&](TStringList* L, const String& Current) {
    if (L->Count() == 0) return;
    const String line = L->Strings(0);
    const String path = PathOf(line, d);
    if (path == owner->Name() ||
        (path != cls && !ExtractField(line, d, 1).empty() && ExtractField(line, d, 1) == Current))
      L->SetStrings(0, cls + line.substr(path.size()));
  };
  const Boolean withCharset = font && !ListHas(FExcludedProperties, u"Charset");
  const String charsetName = CharsetName(charset);
  rekey(list, value);
  if (withCharset) rekey(FCharSets, charsetName);
  // The first line is the owner's when its path is the owner's class name
  // or name (not merely a line holding either, such as a component named
  // after the form).
  auto IsOwnerPath = [&](const String& Path) {
    return SameText(Path, cls) || (!owner->Name().empty() && SameText(Path, owner->Name()));
  };
  auto ensure = [&](TStringList* L, const String& V) {
    const String candidate = cls + d + V + d + pad;
    if (L->Count() == 0)
      L->Add(candidate);
    else if (!IsOwnerPath(PathOf(L->Strings(0), d)))
      L->Insert(0, candidate);
  };
  ensure(list, value);
  if (withCharset) ensure(FCharSets, charsetName);
  if (ExtractField(list->Strings(0), d, FActiveLanguage) != value) {
    ReplaceStringValue(list, value, PathOf(list->Strings(0), d), FActiveLanguage);
    if (Assigned(FOnDFMDataChangedEvent)) FOnDFMDataChangedEvent(this);
  }
}

void TqlCustomLang::CollectList(TStringsType Kind) {
  TComponent* owner = Owner();
  if (Kind == stOtherStrings && IsOwnerTranslated()) CollectObject(owner, owner, owner->ClassName() + u".", Kind);
  for (Integer i = 0; i < owner->ComponentCount(); ++i) {
    TComponent* c = owner->Components(i);
    const String cls = c->ClassName();
    if (Is<TqlCustomLang>(c) || cls == u"TqlLangDispatcher" || c->Name().empty()) continue;
    if (ListHas(FDoNotTranslate, c->Name()) || ListHas(FDoNotTranslate, u"!" + cls)) continue;
    if (cls == u"TMenuItem" && GetStrPropValue(c, u"Caption") == u"-") continue;  // a separator: no list at all
    if (Kind == stMultiLines && cls == u"TFormStorage") continue;
    const String name = c->Name();
    switch (Kind) {
      case stCaptions:
      case stHints:
      case stDisplayLabels: {
        const String property = StringsTypeDefaultProperty(Kind);
        const TPropInfo* p = GetPropInfo(c, property, qlStringKinds);
        if (!ReadWrite(p)) break;
        if (IsExcludedProperty(name, property)) {
          DeletePropertyLines(ListField(Kind), name, Kind, property);
          break;
        }
        String value;
        try {
          value = ReadStrProp(c, p);
        } catch (const Exception&) {
        }
        if (Kind != stDisplayLabels && IsActionLinkedValue(c, property, value)) break;
        CollectValue(ListField(Kind), Kind, c, name, value, nullptr);
        break;
      }
      case stFonts: {
        const TPropInfo* p = GetPropInfo(c, u"Font", TTypeKinds{tkClass});
        if (!ReadWrite(p)) break;
        auto* font = dynamic_cast<TFont*>(GetObjectProp(c, p));
        if (!font) break;
        if (IsExcludedProperty(name, u"Font") || UsesParentFont(c)) {
          DeletePropertyLines(FFonts, name, stFonts, u"Font");
          DeletePropertyLines(FCharSets, name, stCharSets, u"Font");
          break;
        }
        CollectValue(FFonts, stFonts, c, name, font->Name(), font);
        break;
      }
      default:
        CollectObject(c, c, name + u".", Kind);
        if (TObject* props = PropertiesObject(c)) CollectObject(c, props, name + u".Properties.", Kind);
    }
  }
}

// The string lists (kind 4), other strings (kind 7) or collections (kind 9)
// of one object, under Prefix.
void TqlCustomLang::CollectObject(TComponent* AComponent, TObject* AObject, const String& APrefix, TStringsType Kind) {
  const String cname = Copy(APrefix, 1, Length(APrefix) - 1);
  const String componentName = cname.substr(0, cname.find(u'.'));
  const String sub = APrefix.substr(componentName.size() + 1);  // "" or "Properties."
  TStringList* list = ListField(Kind);
  for (const TPropInfo* p : GetPropList(AObject->ClassType(), qlAllKinds)) {
    if (!ReadWrite(p)) continue;
    const String path = sub + p->Name;
    if (Kind == stOtherStrings) {
      if (!qlStringKinds.Contains(p->PropType->Kind)) continue;
      if (SameText(p->Name, u"Name") || SameText(p->Name, u"Caption") || SameText(p->Name, u"Hint") ||
          SameText(p->Name, u"DisplayLabel"))
        continue;
      if (IsExcludedProperty(componentName, path)) {
        DeletePropertyLines(list, componentName, Kind, path);
        continue;
      }
      String value;
      try {
        value = ReadStrProp(AObject, p);
      } catch (const Exception&) {
      }
      CollectValue(list, Kind, AComponent, APrefix + p->Name, value, nullptr);
      continue;
    }
    if (p->PropType->Kind != tkClass) continue;
    TObject* held = GetObjectProp(AObject, p);
    if (Kind == stMultiLines) {
      auto* strings = dynamic_cast<TStrings*>(held);
      if (!strings && p->PropType->Name != u"TStrings" && !IsStringsTypeClass(p->PropType->Name)) continue;
      if (IsExcludedProperty(componentName, path)) {
        DeletePropertyLines(list, componentName, Kind, path);
        continue;
      }
      if (strings) CollectValue(list, Kind, AComponent, APrefix + p->Name, strings->CommaText(), nullptr);
    } else if (Kind == stCollections) {
      auto* coll = dynamic_cast<TCollection*>(held);
      if (!coll) continue;
      if (IsExcludedProperty(componentName, path)) {
        DeletePropertyLines(list, componentName, Kind, path + u"[");
        continue;
      }
      CollectCollection(AComponent, coll, APrefix + p->Name);
    }
  }
}

void TqlCustomLang::CollectCollection(TComponent* AComponent, TCollection* AColl, const String& APrefix) {
  TComponent* owner = Owner();
  for (Integer i = 0; i < AColl->Count(); ++i) {
    TCollectionItem* item = AColl->Items(i);
    const String itemPath = APrefix + u"[" + IntToStr(i) + u"].";
    for (const TPropInfo* p : GetPropList(item->ClassType(), qlAllKinds)) {
      if (!p->Getter) continue;
      if (IsExcludedProperty(AComponent->Name(), p->Name)) {
        DeletePropertyLines(FCollections, AComponent->Name(), stCollections,
                            itemPath.substr(AComponent->Name().size() + 1) + p->Name);
        continue;
      }
      if (qlStringKinds.Contains(p->PropType->Kind)) {
        if (p->Setter) CollectValue(FCollections, stCollections, AComponent, itemPath + p->Name, ReadStrProp(item, p), nullptr);
        continue;
      }
      if (p->PropType->Kind != tkClass) continue;
      TObject* held = GetObjectProp(item, p);
      if (auto* strings = dynamic_cast<TStrings*>(held)) {
        CollectValue(FCollections, stCollections, AComponent, itemPath + p->Name, strings->Text(), nullptr);
      } else if (held) {
        auto* asComponent = dynamic_cast<TComponent*>(held);
        if (asComponent && asComponent->Owner() == owner) continue;
        for (const TPropInfo* sp : GetPropList(held->ClassType(), qlStringKinds))
          if (ReadWrite(sp))
            CollectValue(FCollections, stCollections, AComponent, itemPath + p->Name + u"." + sp->Name,
                         ReadStrProp(held, sp), nullptr);
      }
    }
  }
}

// One property's line: the stored value follows the property at design time
// (an empty translation in a language above 1 stays), a new property takes
// the translations of a scratch line with the same text or gets a new line.
void TqlCustomLang::CollectValue(TStrings* List, TStringsType Kind, TComponent* AComponent, const String& APath,
                                 const String& AValue, TObject* AFontOwner) {
  const Char d = D();
  const String name = AComponent->Name();
  const Boolean withCharset = Kind == stFonts && !ListHas(FExcludedProperties, u"Charset");
  const String charsetName = Kind == stFonts ? CharsetName(GetFontCharset(AComponent)) : String();
  Integer index = FindPathLine(List, APath, d);
  if (index >= 0) {
    const String line = List->Strings(index);
    const String stored = ExtractField(line, d, FActiveLanguage);
    Boolean differs = stored != AValue;
    if (Kind == stCollections && differs && AValue.size() >= 2 && AValue.substr(AValue.size() - 2) == u"\r\n")
      differs = stored != AValue.substr(0, AValue.size() - 2);
    if (IsDesigning() && differs && (!stored.empty() || FActiveLanguage == 1)) {
      ReplaceStringValue(List, AValue, PathOf(line, d), FActiveLanguage);
      if (Assigned(FOnDFMDataChangedEvent)) FOnDFMDataChangedEvent(this);
    }
    if (withCharset && FindPathLine(FCharSets, name, d) < 0)
      FCharSets->Add(name + d + charsetName + String(size_t(FNumOfLanguages), d));
    return;
  }
  const String scratch = FindScratchLine(AValue);
  if (!scratch.empty()) {
    List->Add(APath + scratch.substr(scratch.find(d)));
    if (withCharset) {
      const String from = PathOf(scratch, d);
      String line = name + d;
      for (Integer n = 1; n <= FNumOfLanguages; ++n) line += GetStringValue(FCharSets, from, n) + d;
      FCharSets->Add(line);
    }
    return;
  }
  if (FAutoSkipEmpties && AValue.empty()) return;
  List->Add(APath + d + AValue + String(size_t(FNumOfLanguages), d));
  if (withCharset && FindPathLine(FCharSets, name, d) < 0)
    FCharSets->Add(name + d + charsetName + String(size_t(FNumOfLanguages), d));
  (void)AFontOwner;
}
