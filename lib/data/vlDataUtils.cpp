#include "lib/data/vlDataUtils.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"

CL_IMPLEMENT_CLASS(TvlCustomDataBinding)
CL_IMPLEMENT_CLASS(TvlCollection)

Word vlFirstWeekDayOverride = 10;

// --- TvlCustomDataBinding ----------------------------------------------------------------

void TvlCustomDataBinding::DoDataChange() {
  if (Assigned(FOnDataChange)) FOnDataChange(FDataComponent);
}

void TvlCustomDataBinding::DoDataSetChange() {
  if (Assigned(FOnDataSetChange)) FOnDataSetChange(FDataComponent);
}

Boolean TvlCustomDataBinding::GetModified() { return false; }
Boolean TvlCustomDataBinding::GetReadOnly() { return FReadOnly; }

void TvlCustomDataBinding::SetReadOnly(Boolean Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  DoDataSetChange();
}

void TvlCustomDataBinding::DoUpdateData() {
  if (Assigned(FOnUpdateData)) FOnUpdateData(FDataComponent);
}

void TvlCustomDataBinding::VisualControlAssigned() {}

void TvlCustomDataBinding::Create(TComponent* AOwner, TComponent* ADataComponent) {
  inherited::Create();
  FOwner = AOwner;
  FDataComponent = ADataComponent;
}

Boolean TvlCustomDataBinding::CanModify() { return !ReadOnly(); }
Boolean TvlCustomDataBinding::ExecuteAction(TBasicAction* Action) { return false; }
Variant TvlCustomDataBinding::GetStoredValue(Integer AValueSource, Boolean AFocused) { return Null(); }
Boolean TvlCustomDataBinding::IsControlReadOnly() { return ReadOnly(); }
Boolean TvlCustomDataBinding::IsDataSourceLive() { return true; }
Boolean TvlCustomDataBinding::IsDataStorage() { return false; }
void TvlCustomDataBinding::Reset() {}
Boolean TvlCustomDataBinding::SetEditMode() { return CanModify(); }
void TvlCustomDataBinding::SetStoredValue(Integer AValueSource, const Variant& Value) {}
Boolean TvlCustomDataBinding::UpdateAction(TBasicAction* Action) { return false; }
void TvlCustomDataBinding::UpdateDataSource() {}
TPersistent* TvlCustomDataBinding::GetOwner() { return FOwner; }

void TvlCustomDataBinding::SetVisualControl(TComponent* Value) {
  if (FVisualControl == Value) return;
  FVisualControl = Value;
  VisualControlAssigned();
}

// --- TvlCollection -----------------------------------------------------------------------

void TvlCollection::Assign(TPersistent* Source) {
  auto* From = Is<TCollection>(Source) ? static_cast<TCollection*>(Source) : nullptr;
  if (!From) {
    inherited::Assign(Source);
    return;
  }
  if (From->Count() == 0 && Count() == 0) return;
  BeginUpdate();
  Finally End([&] { EndUpdate(); });
  for (Integer I = 0; I < From->Count(); ++I) {
    TCollectionItem* Item = I < Count() ? Items(I) : Add();
    Item->Assign(From->Items(I));
  }
  while (Count() > From->Count()) Delete(Count() - 1);
}

Boolean vlFindSorted(Integer ALow, Integer AHigh, Integer (*ACompare)(void* AContext, Integer AIndex), void* AContext,
                     Integer& AIndex) {
  Boolean Result = false;
  while (ALow <= AHigh) {
    Integer Mid = ALow + (AHigh - ALow) / 2;
    Integer C = ACompare(AContext, Mid);
    if (C < 0) {
      ALow = Mid + 1;
    } else {
      AHigh = Mid - 1;
      if (C == 0) {
        Result = true;
        ALow = Mid;
      }
    }
  }
  AIndex = ALow;
  return Result;
}

// --- Dates and texts ----------------------------------------------------------------------

TDateTime vlDateOf(TDateTime ADateTime) { return static_cast<TDateTime>(Trunc(ADateTime)); }

TDateTime vlTimeOf(TDateTime ADateTime) { return Frac(ADateTime); }

Integer vlGetFirstWeekDay() {
  if (vlFirstWeekDayOverride != 10) return vlFirstWeekDayOverride;
  String Text;
  Integer Day = 0;
  if (!GetLocaleText(GetThreadLocale(), LOCALE_IFIRSTDAYOFWEEK, Text) || !TryStrToInt(Text, Day) || Day < 0 ||
      Day > 6)
    return 1;
  Day += 1;
  return Day == 7 ? 0 : Day;
}

TDateTime vlWeekStartDate(TDateTime ADate) {
  Integer F = vlGetFirstWeekDay();
  Integer D = DayOfWeek(ADate) - 1;  // 0 = Sunday
  TDateTime Day = vlDateOf(ADate);
  return D >= F ? Day - (D - F) : Day - 7 + (F - D);
}

Boolean vlMatchSearchText(const String& AText, const String& ASearchText, Boolean APartial) {
  String Text = AnsiUpperCase(AText);
  String Search = AnsiUpperCase(ASearchText);
  if (Search.empty()) return Text.empty();
  if (!APartial) return Text == Search;
  return Text.starts_with(Search);
}

String vlGetCurrencyDisplayFormat() {
  String Result = u",0." + String(FormatSettings().CurrencyDecimals, u'0');
  if (FormatSettings().CurrencyString.empty()) return Result;
  String Symbol;
  for (Char C : FormatSettings().CurrencyString) {
    if (C == u',' || C == u'.') {
      Symbol += u'\'';
      Symbol += C;
      Symbol += u'\'';
    } else {
      Symbol += C;
    }
  }
  switch (FormatSettings().CurrencyFormat) {
    case 0: return Symbol + Result;
    case 1: return Result + Symbol;
    case 2: return Symbol + u" " + Result;
    case 3: return Result + u" " + Symbol;
    default: return Result;
  }
}
