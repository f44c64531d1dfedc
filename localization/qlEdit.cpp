// Language and list editing: inserting, moving and deleting language
// columns, program texts added and deleted by identifier, clearing.
#include <memory>

#include "localization/qlComp.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

namespace {

// The values of an extended translation (one field per language, each
// followed by D) rearranged: Order lists the old value numbers in their new order.
String Rearranged(const String& Values, Char D, const std::vector<Integer>& Order) {
  String out;
  for (Integer n : Order) out += ExtractField(Values, D, n - 1) + D;
  return out;
}

}  // namespace

void TqlCustomLang::InsertLanguage(Integer Index, const String& ALanguage) {
  const Integer n = FNumOfLanguages;
  SetNumOfLanguages(n + 1);
  FLangNames->SetStrings(FLangNames->Count() - 1, ALanguage);
  MoveLanguage(n + 1, Index);
}

// The Strings collections follow a change of the columns.
void TqlCustomLang::RefillStringsCollections() {
  if (IsDesigning()) return;
  FillStringsCollection(FStringsColl, 0);
  if (FHandleResourceStrings && qlResourceStringsTranslator() == this)
    FillStringsCollection(FLangStringsColl, FResourceLanguageIndex);
}

void TqlCustomLang::MoveLanguage(Integer FromIndex, Integer ToIndex) {
  for (Integer k = 0; k < StringsTypeCount; ++k)
    if (TStrings* list = GetPropListByType(TStringsType(k))) {
      NormalizeList(list);
      MoveLanguageColumns(list, FromIndex, ToIndex, D());
    }
  RefillStringsCollections();
  std::vector<Integer> order;
  for (Integer n = 1; n <= FNumOfLanguages; ++n) order.push_back(n);
  // Numbers out of range move no column (nor name), so nothing follows.
  const Boolean moves = FromIndex >= 1 && FromIndex <= FNumOfLanguages && ToIndex >= 1 && ToIndex <= FNumOfLanguages;
  if (moves) {
    order.erase(order.begin() + (FromIndex - 1));
    order.insert(order.begin() + (ToIndex - 1), FromIndex);
  }
  for (Integer i = 0; i < FExtendedTranslations->Count(); ++i) {
    TqlExtendedItem* item = FExtendedTranslations->Items(i);
    item->SetValues(Rearranged(item->Values(), D(), order));
  }
  if (FromIndex >= 1 && FromIndex <= FLangNames->Count() && ToIndex >= 1 && ToIndex <= FLangNames->Count())
    FLangNames->Move(FromIndex - 1, ToIndex - 1);
  // The same language stays shown: the active number follows its column.
  if (moves) {
    if (FActiveLanguage == FromIndex)
      FActiveLanguage = ToIndex;
    else if (FromIndex < ToIndex && FActiveLanguage > FromIndex && FActiveLanguage <= ToIndex)
      --FActiveLanguage;
    else if (ToIndex < FromIndex && FActiveLanguage >= ToIndex && FActiveLanguage < FromIndex)
      ++FActiveLanguage;
  }
  if (FActiveLanguage >= 1 && FActiveLanguage <= FLangNames->Count()) FLanguage = FLangNames->Strings(FActiveLanguage - 1);
}

void TqlCustomLang::DeleteLanguage(Integer Index) {
  if (Index < 1 || Index > FNumOfLanguages) return;
  // Without a language no number would be valid (active, default, resource).
  if (FNumOfLanguages == 1) throw ELanguageError(u"The only language cannot be deleted!");
  for (Integer k = 0; k < StringsTypeCount; ++k)
    if (TStrings* list = GetPropListByType(TStringsType(k))) {
      NormalizeList(list);
      DeleteLanguageColumns(list, Index, D());
    }
  RefillStringsCollections();
  std::vector<Integer> order;
  for (Integer n = 1; n <= FNumOfLanguages; ++n)
    if (n != Index) order.push_back(n);
  for (Integer i = 0; i < FExtendedTranslations->Count(); ++i) {
    TqlExtendedItem* item = FExtendedTranslations->Items(i);
    item->SetValues(Rearranged(item->Values(), D(), order));
  }
  if (Index <= FLangNames->Count()) FLangNames->Delete(Index - 1);
  --FNumOfLanguages;
  // The active language stays the same language when it survives, and
  // becomes a valid one (the one now at its place, or the last) when it is
  // the one deleted.
  if (FActiveLanguage > Index) --FActiveLanguage;
  if (FActiveLanguage > FNumOfLanguages) FActiveLanguage = FNumOfLanguages;
  if (FActiveLanguage < 1) FActiveLanguage = 1;
  if (FDefaultLanguage > FNumOfLanguages) FDefaultLanguage = FNumOfLanguages;
  if (FResourceLanguageIndex > FNumOfLanguages) FResourceLanguageIndex = Word(FNumOfLanguages);
  if (FActiveLanguage <= FLangNames->Count()) FLanguage = FLangNames->Strings(FActiveLanguage - 1);
}

Boolean TqlCustomLang::AddString(const String& TextID, TStrings* Values) {
  try {
    const Char d = D();
    for (Integer i = 0; i < FStrings->Count(); ++i)
      if (StartsStr(TextID + d, FStrings->Strings(i))) {
        FStrings->Delete(i);
        break;
      }
    String line = TextID + d;
    Integer given = Values ? std::min(Values->Count(), FNumOfLanguages) : 0;
    for (Integer n = 0; n < given; ++n) line += Values->Strings(n) + d;
    line.append(size_t(FNumOfLanguages - given), d);
    FStrings->Add(line);
    std::unique_ptr<TStringList, TObjectFree> values(New<TStringList>());
    for (Integer n = 1; n <= FNumOfLanguages; ++n) values->Add(ExtractField(line, d, n));
    Integer index = FStringsColl->GetIDIndex(TextID);
    if (index >= 0) {
      FStringsColl->Items(index)->SetValues(values.get());
    } else {
      TqlStringsCollectionItem* item = FStringsColl->Add();
      item->SetID(TextID);
      item->SetValues(values.get());
      FStringsColl->Sort();
    }
    return true;
  } catch (const Exception&) {
    return false;
  }
}

Boolean TqlCustomLang::DeleteString(const String& TextID) {
  Integer index = FStringsColl->GetIDIndex(TextID);
  if (index >= 0) FStringsColl->Delete(index);
  for (Integer i = 0; i < FStrings->Count(); ++i)
    if (StartsStr(TextID + D(), FStrings->Strings(i))) {
      FStrings->Delete(i);
      return true;
    }
  return false;
}

String TqlCustomLang::GetStringID(Integer Index) {
  if (Index < 0 || Index >= FStrings->Count()) throw EListError(u"List index is out of bonds!");
  return ExtractField(FStrings->Strings(Index) + D(), D(), 0);
}

Integer TqlCustomLang::GetIDIndex(const String& ID) {
  for (Integer i = 0; i < FStrings->Count(); ++i) {
    const String line = FStrings->Strings(i);
    size_t p = line.find(D());
    if (SameText(p == String::npos ? line : line.substr(0, p), ID)) return i;
  }
  return -1;
}

void TqlCustomLang::ClearTranslations() {
  for (Integer k = 0; k < StringsTypeCount; ++k)
    if (TStrings* list = GetPropListByType(TStringsType(k))) list->Clear();
  FExtendedTranslations->Clear();
  if (!IsDesigning()) UpdateStrCollections();
}

void TqlCustomLang::UTF8EncodeDecode(Boolean) {}
