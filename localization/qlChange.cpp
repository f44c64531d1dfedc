// Language switching: the lines of the active language written into the
// owner's components (captions, hints, display labels, fonts and character
// sets, string lists, other strings, collection items), the locale items into
// the process's format settings, and the extended translations.
#include <memory>

#include "localization/qlComp.h"
#include "localization/qlHelpers.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"

using namespace ql_internal;

namespace {

// Character-set names compared without regard to case (they are all upper case).
Boolean CharsetFromNameIgnoringCase(const String& Name, Byte& Charset) {
  return CharsetFromName(UpperCase(Name), Charset);
}

// Properties that configure a component rather than show text: translation
// data never writes them.
const char16_t* const kNeverTranslated[] = {u"Name",     u"CommandText", u"ConnectionString", u"SQL",
                                            u"Connection", u"Provider", u"Password",   u"UserName",
                                            u"DataField", u"FieldName"};

Boolean InheritsFromNamed(TObject* AObject, const char16_t* AClassName) {
  for (TClass c = AObject ? AObject->ClassType() : nullptr; c; c = c->ClassParent())
    if (c->ClassName() == AClassName) return true;
  return false;
}

std::unique_ptr<TStringList, TObjectFree> NewList() { return std::unique_ptr<TStringList, TObjectFree>(New<TStringList>()); }

}  // namespace

Boolean TqlCustomLang::IsTranslatableProperty(TObject* AObject, const String& APropName) {
  if (!AObject) return false;
  // The localization components and dispatchers are never translated (a
  // line naming one would switch languages, or rewrite the lines being
  // applied, from inside a switch).
  if (Is<TqlCustomLang>(AObject) || InheritsFromNamed(AObject, u"TqlLangDispatcher")) return false;
  for (const char16_t* name : kNeverTranslated)
    if (SameText(APropName, name)) return false;
  // A data set, a connection or a serial port holds no text a user reads;
  // what it holds (its command, its connection, its device) must come from
  // the program.
  return !InheritsFromNamed(AObject, u"TDataSet") && !InheritsFromNamed(AObject, u"TCustomConnection") &&
         !InheritsFromNamed(AObject, u"TCustomComPort");
}

// An empty value of a language above 1 while the dispatcher's test mode is
// active: the pseudo-translation of the line's language-1 value. Fonts,
// character sets and locale items are names and formats, never made up.
String TqlCustomLang::TestModeValue(const String& Value, const String& Line, TStringsType Kind) {
  if (Kind == stFonts || Kind == stCharSets || Kind == stLocales) return Value;
  return TestModeText(Value, ExtractField(Line, D(), 1));
}

// The value of a line for the active language: the language's field (the
// default language's when empty and UseDefaultLanguage is set), the test-mode
// text when still empty, then, with ttGetDefault, language 1's.
String TqlCustomLang::ApplyValue(const String& Line, TStringsType Kind) {
  String value = TestModeValue(GetLanguageValue(Line, FActiveLanguage), Line, Kind);
  if (value.empty() && FTranslateType == ttGetDefault) value = ExtractField(Line, D(), 1);
  return value;
}

void TqlCustomLang::ChangeLanguage() {
  if (BlockLanguageChanging || FQLBLoading || !Owner()) return;
  // The kind that SetListOf chose is for this change only. The
  // OnChangeLanguage handler may free the owner, and this component with it.
  const Integer only = FPropForChange;
  TWeakReference self(this);
  Finally resetKind([&] {
    if (self) FPropForChange = -1;
  });
  const Boolean all = only == -1;
  auto wanted = [&](TStringsType Kind) { return all || only == Kind; };
  TComponent* owner = Owner();

  UpdateCharsets();
  if (FTranslateExtendedFirst && all) ChangeLangForExtended();
  try {
    ApplyOwnerTexts();
  } catch (const Exception&) {
  }
  for (TStringsType kind : {stCaptions, stHints, stDisplayLabels})
    if (wanted(kind)) ApplyList(ListField(kind), kind);
  const Boolean ownerHasFont = HasProperty(owner, u"Font", TTypeKinds{tkClass}, u"TFont");
  if ((all || only == stFonts || only == stCharSets) && ownerHasFont) ApplyList(FFonts, stFonts);

  // The owner's own font, from the first Fonts line.
  if (FFonts->Count() > 0 && IsOwnerTranslated() && !ListHas(FSmartExcludeProps, owner->ClassName() + u".Font") &&
      ownerHasFont && SameText(PathOf(FFonts->Strings(0), D()), owner->ClassName())) {
    try {
      auto* font = dynamic_cast<TFont*>(GetObjectProp(owner, u"Font"));
      String name = ExtractField(FFonts->Strings(0), D(), FActiveLanguage);
      if (name.empty() && FTranslateType == ttGetDefault) name = ExtractField(FFonts->Strings(0), D(), 1);
      Byte charset = 0;
      if (font && !name.empty()) font->SetName(name);
      if (font && CharsetFromName(GetStringValue(FCharSets, owner->ClassName(), FActiveLanguage), charset))
        font->SetCharset(charset);
    } catch (const Exception&) {
    }
  }

  for (TStringsType kind : {stMultiLines, stOtherStrings})
    if (wanted(kind)) ApplyList(ListField(kind), kind);
  if (wanted(stLocales) && FChangeLocales) ApplyList(FSystem, stLocales);
  if (wanted(stCollections)) ApplyList(FCollections, stCollections);
  if (!FTranslateExtendedFirst && all) ChangeLangForExtended();
  if (Assigned(FOnChangeLanguage)) FOnChangeLanguage(this);
}

// The owner's caption and hint from the first Captions and Hints lines.
void TqlCustomLang::ApplyOwnerTexts() {
  TComponent* owner = Owner();
  for (TStringsType kind : {stCaptions, stHints}) {
    TStringList* list = ListField(kind);
    const String property = StringsTypeDefaultProperty(kind);
    if (list->Count() == 0 || !IsOwnerTranslated()) continue;
    if (ListHas(FSmartExcludeProps, owner->ClassName() + u"." + property)) continue;
    const TPropInfo* p = GetPropInfo(owner, property, qlStringKinds);
    if (!ReadWrite(p) || !SameText(PathOf(list->Strings(0), D()), owner->ClassName())) continue;
    String value = ApplyValue(list->Strings(0), kind);
    if (!value.empty() && value != ReadStrProp(owner, p)) WriteStrProp(owner, p, value);
  }
}

void TqlCustomLang::ApplyList(TStrings* List, TStringsType Kind) {
  if (!List) return;
  if (Kind == stCollections) {
    ApplyCollections(List);
    return;
  }
  DelOldNames(List, Kind);
  if (List->Count() == 0) return;
  TComponent* owner = Owner();
  if (!owner) return;
  const Char d = D();
  Integer first = 0;
  if ((Kind == stCaptions || Kind == stHints || Kind == stFonts) && Is<TCustomForm>(owner) && IsOwnerTranslated() &&
      Pos(owner->ClassName() + d, List->Strings(0)) > 0)
    first = 1;
  const Boolean dotted = Kind == stMultiLines || Kind == stOtherStrings;
  for (Integer i = first; i < List->Count(); ++i) {
    // One property that cannot be read or written never stops the change.
    try {
      const String line = List->Strings(i);
      const String path = PathOf(line, d);
      String component = path, propPath = StringsTypeDefaultProperty(Kind);
      if (dotted) {
        Integer dot = Pos(u'.', path);
        if (dot == 0) continue;
        component = Copy(path, 1, dot - 1);
        propPath = Copy(path, dot + 1);
      }
      if (ListHas(FDoNotTranslate, component)) continue;
      const String value = ApplyValue(line, Kind);
      if (Kind == stLocales) {
        ApplyLocaleValue(FormatSettings(), path, value);
        continue;
      }
      TObject* target = owner->FindComponent(component);
      if (!target && (SameText(component, owner->ClassName()) || SameText(component, owner->Name()))) target = owner;
      if (!target) continue;
      // A two-part path reaches one object property further.
      TObject* obj = target;
      String propName = propPath;
      if (dotted) {
        if (Integer dot = Pos(u'.', propPath)) {
          String objProp = Copy(propPath, 1, dot - 1);
          propName = Copy(propPath, dot + 1);
          if (Pos(u'.', propName) > 0 || !IsTranslatableProperty(target, objProp)) continue;
          const TPropInfo* op = GetPropInfo(target, objProp, TTypeKinds{tkClass});
          if (!op || !op->Getter) continue;
          obj = GetObjectProp(target, op);
          if (!obj) continue;
        }
      }
      if (!IsTranslatableProperty(obj, propName)) continue;
      const TPropInfo* p = GetPropInfo(obj, propName);
      if (!ReadWrite(p)) continue;
      switch (Kind) {
        case stFonts: {
          if (p->PropType->Kind != tkClass) break;
          auto* font = dynamic_cast<TFont*>(GetObjectProp(obj, p));
          if (!font) break;
          const Boolean parentFont = UsesParentFont(target);
          Byte charset = 0;
          if (!parentFont && CharsetFromNameIgnoringCase(GetStringValue(FCharSets, component, FActiveLanguage), charset))
            font->SetCharset(charset);
          if (!value.empty() && !parentFont) {
            font->SetName(value);
            SetObjectProp(obj, p, font);
          }
          break;
        }
        case stMultiLines: {
          if (p->PropType->Kind != tkClass) break;
          auto* strings = dynamic_cast<TStrings*>(GetObjectProp(obj, p));
          // An untranslated (empty) value never empties a list.
          if (!strings || value.empty() || value == strings->CommaText()) break;
          auto lines = NewList();
          lines->SetCommaText(value);
          auto* listBox = dynamic_cast<TCustomListBox*>(target);
          auto* comboBox = dynamic_cast<TCustomComboBox*>(target);
          auto* memo = dynamic_cast<TCustomMemo*>(target);
          const Integer index = listBox ? listBox->ItemIndex() : comboBox ? comboBox->ItemIndex() : -1;
          const Boolean wrap = memo && memo->WordWrap();
          if (wrap) memo->SetWordWrap(false);
          Finally restore([&] {
            if (wrap) memo->SetWordWrap(true);
            if (listBox && index < listBox->Items()->Count()) listBox->SetItemIndex(index);
            if (comboBox && index < comboBox->Items()->Count()) comboBox->SetItemIndex(index);
          });
          UpdateStringsInPlace(strings, lines.get());
          break;
        }
        default: {
          if (!qlStringKinds.Contains(p->PropType->Kind) || value.empty()) break;
          const String current = ReadStrProp(obj, p);
          if (value == current) break;
          if ((Kind == stDisplayLabels || Kind == stOtherStrings) &&
              (Pos(u"..", value) > 0 || Pos(u".\\", value) > 0) && ExpandFileName(value) == current)
            break;
          WriteStrProp(obj, p, value);
        }
      }
    } catch (const Exception&) {
    }
  }
}

// Collections lines: component.collection[index].property (or
// component.object.collection[...] for a collection of an object property).
// A line whose collection, item or property is gone is deleted.
void TqlCustomLang::ApplyCollections(TStrings* List) {
  DelOldNames(List, stCollections);
  TComponent* owner = Owner();
  if (!owner) return;
  const Char d = D();
  Integer i = 0;
  while (i < List->Count()) {
    Boolean remove = false;
    try {
      String line;
      try {
        line = List->Strings(i);
      } catch (const Exception&) {
        line.clear();
      }
      const String path = PathOf(line, d);
      Integer dot = Pos(u'.', path), open = Pos(u'[', path), close = Pos(u']', path);
      String component = dot ? Copy(path, 1, dot - 1) : path;
      TComponent* target = owner->FindComponent(component);
      if (!target && SameText(component, owner->ClassName())) target = owner;
      if (ListHas(FDoNotTranslate, component)) {
        ++i;
        continue;
      }
      if (!target || !dot || open <= dot || close <= open) {
        remove = true;
      } else {
        String collPath = Copy(path, dot + 1, open - dot - 1);
        TObject* holder = target;
        if (Integer inner = Pos(u'.', collPath)) {
          String objProp = Copy(collPath, 1, inner - 1);
          collPath = Copy(collPath, inner + 1);
          const TPropInfo* op = GetPropInfo(holder, objProp, TTypeKinds{tkClass});
          holder = op && op->Getter && IsTranslatableProperty(holder, objProp) ? GetObjectProp(holder, op) : nullptr;
        }
        // An object property that is empty now is passed over, not removed:
        // the object may be there at the next change.
        if (!holder) {
          ++i;
          continue;
        }
        const TPropInfo* cp = GetPropInfo(holder, collPath, TTypeKinds{tkClass});
        auto* coll = cp && cp->Getter ? dynamic_cast<TCollection*>(GetObjectProp(holder, cp)) : nullptr;
        Integer index = StrToIntDef(Copy(path, open + 1, close - open - 1), -1);
        String itemPath = Copy(path, close + 2);
        if (!coll || !IsTranslatableProperty(holder, collPath) || index < 0 || index >= coll->Count() ||
            Copy(path, close + 1, 1) != u"." || itemPath.empty()) {
          remove = true;
        } else {
          TObject* item = coll->Items(index);
          String propName = itemPath, subName;
          if (Integer sub = Pos(u'.', itemPath)) {
            propName = Copy(itemPath, 1, sub - 1);
            subName = Copy(itemPath, sub + 1);
          }
          const TPropInfo* p = GetPropInfo(item, propName);
          TObject* held = p && p->PropType->Kind == tkClass && p->Getter ? GetObjectProp(item, p) : nullptr;
          if (!p || (p->PropType->Kind == tkClass && !held)) {
            remove = true;
          } else if (!IsTranslatableProperty(item, propName)) {
            // refused: left as it stands
          } else if (auto* strings = dynamic_cast<TStrings*>(held)) {
            const String value = ApplyValue(line, stCollections);
            if (!value.empty() && value != strings->Text()) {
              auto lines = NewList();
              lines->SetText(value);
              UpdateStringsInPlace(strings, lines.get());
            }
          } else {
            TObject* obj = item;
            const TPropInfo* target2 = p;
            if (!subName.empty()) {
              obj = held;
              target2 = obj ? GetPropInfo(obj, subName) : nullptr;
              if (!target2 || !IsTranslatableProperty(obj, subName)) target2 = nullptr;
            }
            if (!subName.empty() && !target2) {
              remove = obj == nullptr;
            } else if (!ReadWrite(target2)) {
              remove = true;
            } else if (qlStringKinds.Contains(target2->PropType->Kind)) {
              const String value = ApplyValue(line, stCollections);
              if (!value.empty() && value != ReadStrProp(obj, target2)) WriteStrProp(obj, target2, value);
            }
          }
        }
      }
    } catch (const Exception&) {
    }
    if (remove)
      List->Delete(i);
    else
      ++i;
  }
}
