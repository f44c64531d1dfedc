// Text lookup: program texts by identifier from the Strings list (and the
// dialog captions and locale items from theirs), C escapes on the way out,
// and the translation of every resource string the process loads while a
// component with HandleResourceStrings exists.
#include <atomic>

#include "localization/qlComp.h"
#include "localization/qlDispatcher.h"
#include "localization/qlHelpers.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Threads.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/ResStrings.h"
#include "platform/rtl/Strings.h"

Cardinal qlResStringIDLimit = 0;

using namespace ql_internal;

namespace {

const Char kIdentifierNotFound[] = u"String identifier \"%s\" not found!";
const TResStringRec sIdentifierNotFound = ResStringOfText(kIdentifierNotFound);

std::atomic<TqlCustomLang*> gTranslator{nullptr};
std::atomic<bool> gLoadersInstalled{false};
// Set while the translating loader looks a text up, so that a resource
// string loaded by the lookup itself (an error message) is not translated
// again.
thread_local bool gTranslating = false;

String TranslatingLoadResString(PResStringRec ResStringRec) {
  if (!ResStringRec) return String();
  String text = LoadResStringDirect(ResStringRec);
  // The lookup reads the component's lists and language, which the main
  // thread changes and frees without a lock: another thread (the serial
  // port's) gets the text as loaded.
  if (!IsMainThread()) return text;
  TqlCustomLang* lang = gTranslator.load();
  if (!lang || gTranslating || lang->ResourceLanguageIndex() == lang->ActiveLanguage()) return text;
  gTranslating = true;
  Finally done([] { gTranslating = false; });
  String translated;
  try {
    NativeUInt id = ResStringRec->Identifier;
    if (qlResStringIDLimit != 0 && id < ResStringAddressBase && id <= qlResStringIDLimit)
      translated = lang->GetTextFrom(lang->Strings(), u"IDS_RES_" + IntToStr(Int64(id)), false);
    if (translated.empty()) translated = lang->LangStringsColl()->GetTranslationByLang2(text, lang->ActiveLanguage());
  } catch (const Exception&) {
    translated.clear();  // a failed lookup leaves the text as loaded
  }
  return translated.empty() ? text : translated;
}

String TranslatingLoadStr(Cardinal Ident) {
  TResStringRec rec{nullptr, Ident};
  return TranslatingLoadResString(&rec);
}

String TranslatingFmtLoadStr(Cardinal Ident, const TVarRec* Args, size_t Count) {
  String fmt = TranslatingLoadStr(Ident);
  if (fmt.empty()) return fmt;
  return Format(fmt, Args, Count);
}


}  // namespace

TqlCustomLang* qlResourceStringsTranslator() { return gTranslator.load(); }

// From Loaded: the first component with HandleResourceStrings at run time
// translates the process's resource strings until it is destroyed. The
// loaders stay installed; without a translator they give the loaded text.
void TqlCustomLang::BecomeResourceTranslator() {
  if (IsDesigning() || !FHandleResourceStrings || !Owner() || gTranslator.load()) return;
  gTranslator.store(this);
  FillStringsCollection(FLangStringsColl, FResourceLanguageIndex);
  if (!gLoadersInstalled.exchange(true))
    SetResStringLoaders({&TranslatingLoadResString, &TranslatingLoadStr, &TranslatingFmtLoadStr});
}

void TqlCustomLang::ReleaseResourceTranslator() {
  TqlCustomLang* self = this;
  gTranslator.compare_exchange_strong(self, nullptr);
}

// --- Lookups ------------------------------------------------------------------------------------

String TqlCustomLang::GetLanguageValue(const String& Line, Integer ALang) {
  String value = ExtractField(Line, D(), ALang);
  if (value.empty() && FUseDefaultLanguage && ALang != FDefaultLanguage)
    value = ExtractField(Line, D(), FDefaultLanguage);
  return value;
}

// The lists that Options takes from other components linked to the same
// dispatcher: the first other component whose list of that kind is not empty
// serves it; with none, the own list is used; without a dispatcher the lookup
// gives an empty text. The list search tests the dialog captions first, the
// search by index the locale items.
TqlCustomLang* TqlCustomLang::LookupSource(TStrings*& AStrings, Boolean ByIndex) {
  using ListOf = TStringList* TqlCustomLang::*;
  ListOf kind = nullptr;
  if (FOptions.Contains(loUseExtCommonStrings)) {
    const ListOf order[2] = {ByIndex ? &TqlCustomLang::FSystem : &TqlCustomLang::FDlgsCaptions,
                             ByIndex ? &TqlCustomLang::FDlgsCaptions : &TqlCustomLang::FSystem};
    for (ListOf k : order)
      if (!kind && AStrings == this->*k) kind = k;
  }
  if (!kind && !ByIndex && FOptions.Contains(loUseExtUDStrings) && AStrings == FStrings) kind = &TqlCustomLang::FStrings;
  if (!kind) return this;
  if (!FLangDispatcher) return nullptr;
  for (Integer i = 0; i < FLangDispatcher->QlLangsCount(); ++i) {
    TqlCustomLang* other = FLangDispatcher->QlLangs(i);
    if (other == this || !(other->*kind) || (other->*kind)->Count() == 0) continue;
    AStrings = other->*kind;
    return other;
  }
  return this;
}

// The value of a language above 1 that is empty while the dispatcher's test
// mode is active: the pseudo-translation of the language-1 value.
String TqlCustomLang::TestModeText(const String& Value, const String& FirstValue) {
  if (!Value.empty() || FActiveLanguage <= 1 || !FLangDispatcher || !FLangDispatcher->TestModeInfo()->Active())
    return Value;
  return ApplyTestMode(this, FirstValue);
}

String TqlCustomLang::GetTextFrom(TStrings* AStrings, const String& TextID, Boolean GetDefault) {
  if (!AStrings) return String();
  TqlCustomLang* source = LookupSource(AStrings, false);
  if (!source) return String();
  if (IsDesigning() || AStrings != source->FStrings) {
    const String prefix = TextID + D();
    for (Integer i = 0; i < AStrings->Count(); ++i) {
      const String line = AStrings->Strings(i);
      if (!StartsSameText(prefix, line)) continue;
      String value = TestModeText(ExtractField(line, D(), FActiveLanguage), ExtractField(line, D(), 1));
      if (value.empty() && GetDefault) value = ExtractField(line, D(), 1);
      return value;
    }
    if (FDoRaiseExceptions) throw ELanguageError(&sIdentifierNotFound, {TextID});
    return String();
  }
  TqlStringsCollection* coll = source->FStringsColl;
  if (FDoRaiseExceptions && !coll->ContainsID(TextID)) throw ELanguageError(&sIdentifierNotFound, {TextID});
  String value = coll->GetTranslationByID(TextID, FActiveLanguage);
  if (value.empty() && FActiveLanguage > 1) value = TestModeText(value, coll->GetTranslationByID(TextID, 1));
  if (value.empty() && GetDefault) value = coll->GetTranslationByID(TextID, 1);
  return value;
}

String TqlCustomLang::GetTextFromW(TStrings* AStrings, const String& TextID, Boolean GetDefault) {
  return GetTextFrom(AStrings, TextID, GetDefault);
}

String TqlCustomLang::GetTextFromByIndex(TStrings* AStrings, Integer ID, Boolean GetDefault) {
  if (!AStrings || !LookupSource(AStrings, true)) return String();
  if (ID < 0 || ID >= AStrings->Count()) return String();
  const String line = AStrings->Strings(ID);
  String value = ExtractField(line, D(), FActiveLanguage);
  if (value.empty() && GetDefault) value = ExtractField(line, D(), 1);
  return value;
}

String TqlCustomLang::GetTextFromByIndex(TStrings** pStrings, Integer ID, Boolean GetDefault) {
  return pStrings ? GetTextFromByIndex(*pStrings, ID, GetDefault) : String();
}

String TqlCustomLang::GetStringValue(TStrings** pStrings, const String& AName, Integer ALang) {
  return pStrings ? GetStringValue(*pStrings, AName, ALang) : String();
}

String TqlCustomLang::GetText(const String& TextID) {
  String text = GetTextFrom(FStrings, TextID, FTranslateType == ttGetDefault);
  return UsedInCPP ? DecodeEscapes(text) : text;
}

String TqlCustomLang::GetTextbyInt(Integer ID) { return GetText(IntToStr(ID)); }

String TqlCustomLang::GetTextOrDefault(const String& TextID) {
  if (!FUseDefaultLanguage) {
    String text = GetTextFrom(FStrings, TextID, true);
    return UsedInCPP ? DecodeEscapes(text) : text;
  }
  String text = GetText(TextID);
  if (!text.empty()) return text;
  const Integer saved = FActiveLanguage;
  FActiveLanguage = FDefaultLanguage;
  Finally restore([&] { FActiveLanguage = saved; });
  text = GetText(TextID);
  if (text.empty()) {
    text = GetTextFrom(FStrings, TextID, true);
    if (UsedInCPP) text = DecodeEscapes(text);
  }
  return text;
}

String TqlCustomLang::GetTextOrDefined(const String& TextID, Integer ADefined) {
  String text = GetText(TextID);
  if (!text.empty() || ADefined < 1 || ADefined > FNumOfLanguages) return text;
  const Integer saved = FActiveLanguage;
  FActiveLanguage = ADefined;
  Finally restore([&] { FActiveLanguage = saved; });
  return GetText(TextID);
}

namespace {

std::unique_ptr<Char[]> ZeroTerminated(const String& Text) {
  if (Text.empty()) return nullptr;
  std::unique_ptr<Char[]> buffer(new Char[Text.size() + 1]());
  Text.copy(buffer.get(), Text.size());
  return buffer;
}

}  // namespace

std::unique_ptr<Char[]> TqlCustomLang::GetTextC(const String& TextID) { return ZeroTerminated(GetText(TextID)); }

std::unique_ptr<Char[]> TqlCustomLang::GetTextOrDefaultC(const String& TextID) {
  return ZeroTerminated(GetTextOrDefault(TextID));
}

Boolean TqlStringsCollection::ContainsID(const String& ID) {
  Integer L = 0, H = Count() - 1;
  while (L <= H) {
    Integer M = L + (H - L) / 2;
    Integer c = CompareText(Items(M)->ID(), ID);
    if (c == 0) return true;
    if (c < 0)
      L = M + 1;
    else
      H = M - 1;
  }
  return false;
}
