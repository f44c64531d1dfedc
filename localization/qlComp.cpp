// The localization component: construction, loading, setters, component
// bookkeeping and property access by name.
#include "localization/qlComp.h"

#include <memory>

#include "localization/qlCompPublish.h"
#include "localization/qlDispatcher.h"
#include "localization/qlFormPos.h"
#include "platform/classes/WeakRef.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Forms.h"

TqlWriteStrPropHook qlWriteStrPropHook = nullptr;
Boolean qlUsedInCPP = false;

CL_IMPLEMENT_CLASS_PUBLISHED(TqlCustomLang, P) {
  using L = TqlCustomLang;
  P.Property(u"Version", &L::Version, &L::SetVersion);
  P.Property(u"IsInheritedOwner", &L::IsInheritedOwner, &L::SetIsInheritedOwner).Default(false);
  P.Property(u"StringsTypes", &L::StringsTypes, &L::SetStringsTypes);
  P.Property(u"SmartExcludeProps", &L::SmartExcludeProps, &L::SetSmartExcludeProps)
      .Stored(&L::IsSmartExcludePropsStored);
  P.Property(u"HandleResourceStrings", &L::HandleResourceStrings, &L::SetHandleResourceStrings).Default(false);
  P.Property(u"ResourceLanguageIndex", &L::ResourceLanguageIndex, &L::SetResourceLanguageIndex).Default(1);
  P.Property(u"TranslateExtendedFirst", &L::TranslateExtendedFirst, &L::SetTranslateExtendedFirst).Default(false);
  P.Property(u"UseDefaultLanguage", &L::UseDefaultLanguage, &L::SetUseDefaultLanguage).Default(false);
  P.Property(u"DefaultLanguage", &L::DefaultLanguage, &L::SetDefaultLanguage).Default(1);
  P.Property(u"AutoSkipEmpties", &L::AutoSkipEmpties, &L::SetAutoSkipEmpties).Default(true);
  P.Property(u"StoreAsUTF8", &L::StoreAsUTF8, &L::SetStoreAsUTF8).Default(false);
  P.Property(u"UseTaskMsgDlg", &L::UseTaskMsgDlg, &L::SetUseTaskMsgDlg).Default(true);
  P.Property(u"OnLanguageChanging", &L::OnLanguageChanging, &L::SetOnLanguageChanging);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TqlLang, P) { PublishLangMembers(P, true); }

namespace {

const char16_t* const kStringsTypeDefaultProperty[StringsTypeCount] = {
    u"Caption", u"Hint",    u"DisplayLabel", u"Font",        u"TStrings", u"Dialog",
    u"Strings", u"Other",   u"Locales",      u"Collections", u"CharSet",  u"ListView_TreeView_Items"};
const char16_t* const kStringsTypeDisplayName[StringsTypeCount] = {
    u"Captions", u"Hints", u"DisplayLabels", u"Fonts",       u"Multilines", u"Dialogs",
    u"Strings",  u"Other", u"Locales",       u"Collections", u"CharSets",   u"ListView_TreeView_Items"};

// The locale items of the Locales list, in order.
const char16_t* const kLocaleItems[15] = {
    u"Currency String",   u"Thousand Separator", u"Decimal Separator", u"Date Separator",
    u"Short Date Format", u"Long Date Format",   u"Time Separator",    u"Time AM String",
    u"Time PM String",    u"Short Time Format",  u"Long Time Format",  u"Short Month Names",
    u"Long Month Names",  u"Short Day Names",    u"Long Day Names"};

const char16_t* const kDefaultExcludedProperties[] = {
    u"Category",  u"SecondaryShortCuts", u"HelpKeyword",   u"InitialDir",          u"HelpKeyword",
    u"ActivePage", u"ImeName",           u"DefaultExt",    u"FileName",            u"FieldName",
    u"PickList",  u"DisplayFormat",      u"EditMask",      u"KeyList",             u"LookupDisplayFields",
    u"DropDownSpecRow", u"TableName",    u"DatabaseName",  u"IndexName",           u"MasterFields"};

// The standard dialog captions: the caption (its path is the caption
// without "&") and its default value. The first fifteen are the message
// dialog's, whose defaults are the platform's own texts.
struct TDialogCaption {
  const char16_t* Caption;
  const char16_t* Default;
};
const TDialogCaption kDialogCaptions[] = {
    {u"Warning", u"Warning"}, {u"Error", u"Error"}, {u"Information", u"Information"}, {u"Confirm", u"Confirm"},
    {u"&Yes", u"&Yes"}, {u"&No", u"&No"}, {u"OK", u"OK"}, {u"Cancel", u"Cancel"}, {u"&Abort", u"&Abort"},
    {u"&Retry", u"&Retry"}, {u"&Ignore", u"&Ignore"}, {u"&All", u"&All"}, {u"N&o To All", u"N&o to All"},
    {u"Y&es To All", u"Yes to &All"}, {u"&Help", u"&Help"},
    {u"&Open", nullptr}, {u"Look &in:", nullptr}, {u"File &name:", nullptr}, {u"Files of &type:", nullptr},
    {u"&Read-only", nullptr}, {u"&Save", nullptr}, {u"&Drives:", nullptr}, {u"Save &in:", nullptr},
    {u"Save as &type:", nullptr}, {u"&Basic colors:", nullptr}, {u"&Custom colors:", nullptr},
    {u"&Define Custom Colors >>", nullptr}, {u"Color", nullptr}, {u"|S&olid", nullptr}, {u"Hu&e:", nullptr},
    {u"&Sat:", nullptr}, {u"&Lum:", nullptr}, {u"&Red:", nullptr}, {u"&Green:", nullptr}, {u"Bl&ue:", nullptr},
    {u"&Add to Custom Colors", nullptr}, {u"&Font:", nullptr}, {u"Font st&yle:", nullptr}, {u"Si&ze:", nullptr},
    {u"&Color:", nullptr}, {u"&Apply", nullptr}, {u"Effects", nullptr}, {u"Stri&keout", nullptr},
    {u"&Underline", nullptr}, {u"Sample", nullptr}, {u"Sc&ript:", nullptr}, {u"Printer", nullptr},
    {u"&Name:", nullptr}, {u"&Properties", nullptr}, {u"Status:", nullptr}, {u"Type:", nullptr},
    {u"Where:", nullptr}, {u"Comment:", nullptr}, {u"Paper", nullptr}, {u"&Source:", nullptr},
    {u"Orientation", nullptr}, {u"P&ortrait", nullptr}, {u"L&andscape", nullptr}, {u"Print to f&ile", nullptr},
    {u"Print", nullptr}, {u"Pa&ges", nullptr}, {u"&Selection", nullptr}, {u"&from:", nullptr}, {u"&to:", nullptr},
    {u"Copies", nullptr}, {u"Number of &copies:", nullptr}, {u"C&ollate", nullptr}, {u"Fi&nd what:", nullptr},
    {u"Match &whole words only", nullptr}, {u"Match &case", nullptr}, {u"Direction", nullptr}, {u"&Up", nullptr},
    {u"&Down", nullptr}, {u"&Find Next", nullptr}, {u"&Replace", nullptr}, {u"Replace &All", nullptr},
    {u"Re&place with:", nullptr}, {u"Picture:", nullptr}, {u"Preview", nullptr}, {u"New Folder", nullptr},
    {u"Folder:", nullptr}, {u"(None)", nullptr}, {u"Close", nullptr}, {u"Network", nullptr},
    {u"Print Setup", nullptr}, {u"Find", nullptr}};
constexpr Integer kDialogCaptionCount = Integer(sizeof(kDialogCaptions) / sizeof(kDialogCaptions[0]));
constexpr Integer kMessageDialogCaptionCount = 15;
static_assert(kDialogCaptionCount == 86);

String DialogCaptionPath(Integer Index) {
  return StringReplace(kDialogCaptions[Index].Caption, u"&", u"", rfReplaceAll);
}

Boolean ListContainsText(TStrings* List, const String& S) {
  for (Integer i = 0; i < List->Count(); ++i)
    if (SameText(List->Strings(i), S)) return true;
  return false;
}

// Cuts a line after its value number Count (the delimiter after it kept).
String CutAfterValue(const String& Line, Integer Count, Char D) {
  Integer seen = 0;
  for (size_t i = 0; i < Line.size(); ++i)
    if (Line[i] == D && ++seen == Count + 1) return Line.substr(0, i + 1);
  return Line;
}

String JoinNames(const String* Names, Integer Count) {
  String s;
  for (Integer i = 0; i < Count; ++i) {
    if (i > 0) s += u',';
    s += Names[i];
  }
  return s;
}

void Startup() {
  if (!GetClass(u"TqlLang")) RegisterClass(TqlLang::StaticClass());
  GroupDescendentsWith(TqlCustomLang::StaticClass(), TControl::StaticClass());
  GroupDescendentsWith(TqlLangDispatcher::StaticClass(), TControl::StaticClass());
  GroupDescendentsWith(TqlFormStorage::StaticClass(), TControl::StaticClass());
}

void Shutdown() {}

}  // namespace

CL_UNIT_STEPS(qlComp, &Startup, &Shutdown);

String StringsTypeDefaultProperty(TStringsType Kind) { return kStringsTypeDefaultProperty[Kind]; }
String StringsTypeDisplayName(TStringsType Kind) { return kStringsTypeDisplayName[Kind]; }
String StringsTypeName(TStringsType Kind) { return GetEnumName(TypeInfo<TStringsType>(), Kind); }

// --- Construction ----------------------------------------------------------------------

void TqlCustomLang::Create(TComponent* AOwner) {
  if (AOwner)
    for (Integer i = 0; i < AOwner->ComponentCount(); ++i)
      if (Is<TqlCustomLang>(AOwner->Components(i)))
        throw Exception(u"Only one TqlCustomLang component per Form/DataModule allowed!");
  inherited::Create(AOwner);
  for (TStringList** list : {&FCaptions, &FHints, &FDisplayLabels, &FStrings, &FFonts, &FMultiLines, &FDlgsCaptions,
                             &FOthers, &FSystem, &FCharSets, &FCollections, &FDoNotTranslate, &FLangNames,
                             &FExcludedProperties, &FStringsTypes, &FSmartExcludeProps, &FFixedLanguages})
    *list = New<TStringList>();
  FStringsColl = New<TqlStringsCollection>(ClassOf<TqlStringsCollectionItem>(), this);
  FLangStringsColl = New<TqlStringsCollection>(ClassOf<TqlStringsCollectionItem>(), this);
  FExtendedTranslations = New<TqlExtendedItems>(ClassOf<TqlExtendedItem>(), this);

  FVersion = u"6.5";
  FNumOfLanguages = 1;
  FActiveLanguage = 1;
  FLangDelim = 1;
  FLangNames->Add(u"Language N1");
  FLanguage = u"Language N1";
  FTranslateType = ttNoChange;
  FChangingCursor = -1;
  for (const char16_t* name : kDefaultExcludedProperties) FExcludedProperties->Add(name);
  FStringsTypes->Add(u"TIB_STRINGLIST");
  FStringsTypes->Add(u"TSTRINGLIST");
  FResourceLanguageIndex = 1;
  FDefaultLanguage = 1;
  FAutoSkipEmpties = true;
  FUseTaskMsgDlg = true;
  FPropForChange = -1;
  CurrentCharset = DEFAULT_CHARSET;
  UsedInCPP = qlUsedInCPP;
  AddDefaultDialogCaptions();
  TakeLocaleSnapshot();
  FDontHandleFonts = AOwner && !HasProperty(AOwner, u"Font", TTypeKinds{tkClass}, u"TFont");
}

void TqlCustomLang::Destroy() {
  ReleaseResourceTranslator();
  if (FLangDispatcher) FLangDispatcher->UnlinkComponent(this);
  for (TStringList** list : {&FLangNames, &FCaptions, &FHints, &FDisplayLabels, &FStrings, &FFonts, &FMultiLines,
                             &FDlgsCaptions, &FOthers, &FSystem, &FCharSets, &FCollections, &FDoNotTranslate,
                             &FExcludedProperties, &FTmpStrings, &FStringsTypes, &FSmartExcludeProps,
                             &FFixedLanguages})
    FreeAndNil(*list);
  FreeAndNil(FStringsColl);
  FreeAndNil(FLangStringsColl);
  FreeAndNil(FExtendedTranslations);
  inherited::Destroy();
}

void TqlCustomLang::TakeLocaleSnapshot() {
  const TFormatSettings& fs = FormatSettings();
  String* s = FLocaleSnapshot;
  s[0] = fs.CurrencyString;
  s[1] = String(1, fs.ThousandSeparator);
  s[2] = String(1, fs.DecimalSeparator);
  s[3] = String(1, fs.DateSeparator);
  s[4] = fs.ShortDateFormat;
  s[5] = fs.LongDateFormat;
  s[6] = String(1, fs.TimeSeparator);
  s[7] = fs.TimeAMString;
  s[8] = fs.TimePMString;
  s[9] = fs.ShortTimeFormat;
  s[10] = fs.LongTimeFormat;
  s[11] = JoinNames(fs.ShortMonthNames, 12);
  s[12] = JoinNames(fs.LongMonthNames, 12);
  s[13] = JoinNames(fs.ShortDayNames, 7);
  s[14] = JoinNames(fs.LongDayNames, 7);
}

Boolean TqlCustomLang::IsLoading() const { return ComponentState().Contains(csLoading); }
Boolean TqlCustomLang::IsDesigning() const { return ComponentState().Contains(csDesigning); }

// --- Loading ------------------------------------------------------------------------------

void TqlCustomLang::Loaded() {
  inherited::Loaded();
  if (FQLBLoading || !Owner()) return;
  CompleteDialogCaptions();
  if (FOptions.Contains(loUseExtCommonStrings)) {
    FDlgsCaptions->Clear();
    FSystem->Clear();
  }
  if (FLangDelim == 9) SetLangDelim(1);
  ReadLegacyTabs();
  AppendMissingLocales();
  ExcludeProperties();
  if (IsDesigning())
    NormalizeLists();
  else
    FillStringsCollection(FStringsColl, 0);
  TWeakReference self(this);  // OnChangeLanguage may free the owner
  if (FLangDispatcher) FLangDispatcher->LinkComponent(this);
  if (!self) return;
  if (FIsInheritedOwner) {
    ChangeLanguage();
    if (!self) return;
  } else {
    UpdateCharsets();
  }
  BecomeResourceTranslator();
  if (IsDesigning()) BindExtendedTranslations();
}

// Older data delimited its fields with tabs: recognized by a tab in the first
// line of the dialog captions or the locales, or by exactly N + 1 tabs in the
// first line of the captions, the locales or the hints.
void TqlCustomLang::ReadLegacyTabs() {
  const String tab(1, u'\t');
  auto firstLine = [](TStringList* L) { return L->Count() > 0 ? L->Strings(0) : String(); };
  Boolean legacy = Pos(tab, firstLine(FDlgsCaptions)) > 0 || Pos(tab, firstLine(FSystem)) > 0;
  for (TStringList* list : {FCaptions, FSystem, FHints})
    if (CountDelimiters(firstLine(list), tab) == FNumOfLanguages + 1) legacy = true;
  if (!legacy) return;
  ChangeLangDelim(D(), u'\t');
  ChangeLangDelim(u'\t', D());
}

// A Locales list written before the last four items existed gets them.
void TqlCustomLang::AppendMissingLocales() {
  if (FSystem->Count() != 11) return;
  for (Integer i = 11; i < 15; ++i) FSystem->Add(kLocaleItems[i] + String(1, D()) + FLocaleSnapshot[i] + D());
}

// Binds every extended translation to the component its identifier names;
// an item naming no component is deleted.
void TqlCustomLang::BindExtendedTranslations() {
  TComponent* owner = Owner();
  for (Integer i = FExtendedTranslations->Count() - 1; i >= 0; --i) {
    TqlExtendedItem* item = FExtendedTranslations->Items(i);
    String first = item->StoredIdentifier();
    if (Integer p = Pos(u'.', first)) first = Copy(first, 1, p - 1);
    if (first == owner->ClassName()) {
      item->SetRelComponent(owner);
    } else if (TComponent* c = owner->FindComponent(first)) {
      item->SetRelComponent(c);
    } else {
      FExtendedTranslations->Delete(i);
    }
  }
}

// --- Lists of the kinds --------------------------------------------------------------------

TStringList* TqlCustomLang::ListField(TStringsType Kind) const {
  switch (Kind) {
    case stCaptions: return FCaptions;
    case stHints: return FHints;
    case stDisplayLabels: return FDisplayLabels;
    case stFonts: return FFonts;
    case stMultiLines: return FMultiLines;
    case stDlgsCaptions: return FDlgsCaptions;
    case stStrings: return FStrings;
    case stOtherStrings: return FOthers;
    case stLocales: return FSystem;
    case stCollections: return FCollections;
    case stCharSets: return FCharSets;
    default: return nullptr;
  }
}

TStrings* TqlCustomLang::GetPropListByName(const String& Name) {
  const TPropInfo* p = GetPropInfo(this, Name, TTypeKinds{tkClass});
  if (!p) return nullptr;
  return dynamic_cast<TStrings*>(GetObjectProp(this, p));
}

TStrings* TqlCustomLang::GetPropListByType(TStringsType Kind) {
  return GetPropListByName(Copy(StringsTypeName(Kind), 3));
}

void TqlCustomLang::SetListOf(TStringsType Kind, TStringList* Value) {
  TStringList* list = ListField(Kind);
  if (Value == list) return;
  list->Assign(Value);
  if (Kind == stStrings) UpdateStrCollections();
  FPropForChange = Kind;
  ChangeLanguage();
}

// --- Setters ---------------------------------------------------------------------------------

void TqlCustomLang::SetDlgsCaptions(TStringList* Value) {
  if (Value != FDlgsCaptions) FDlgsCaptions->Assign(Value);
}

void TqlCustomLang::SetFixedLanguages(TStringList* Value) {
  if (Value != FFixedLanguages) FFixedLanguages->Assign(Value);
}

void TqlCustomLang::SetNumOfLanguages(Integer Value) {
  if (Value == FNumOfLanguages) return;
  if (Value < 1)
    throw ELanguageError(IntToStr(Value) + u" - is not a valid property value !\rValue must be more than ZERO !");
  if (Value < FNumOfLanguages)
    for (Integer k = 0; k < StringsTypeCount; ++k)
      if (TStrings* list = GetPropListByType(TStringsType(k)))
        for (Integer i = 0; i < list->Count(); ++i) {
          String cut = CutAfterValue(list->Strings(i), Value, D());
          if (cut.size() != size_t(Length(list->Strings(i)))) list->SetStrings(i, cut);
        }
  FNumOfLanguages = Value;
  if (IsDesigning() && !IsLoading()) NormalizeLists();
  while (FLangNames->Count() < FNumOfLanguages) FLangNames->Add(u"Language N" + IntToStr(FLangNames->Count() + 1));
  while (FLangNames->Count() > FNumOfLanguages) FLangNames->Delete(FLangNames->Count() - 1);
  if (!IsDesigning() && !IsLoading()) {
    NormalizeLists();
    UpdateStrCollections();
  }
}

void TqlCustomLang::SetActiveLanguage(Integer Value) {
  if (Value == FActiveLanguage) return;
  if (Value < 1 || Value > FNumOfLanguages) {
    if (IsLoading()) return;
    if (Owner())
      throw ELanguageError(Format(u"%s: %d - is not a valid property value!\rValue must be within [1..%d]!",
                                  {Owner()->ClassName(), Value, FNumOfLanguages}));
    throw ELanguageError(
        Format(u"%d - is not a valid property value!\rValue must be within [1..%d]!", {Value, FNumOfLanguages}));
  }
  FPropForChange = -1;
  Boolean cursorSet = false;
  TCursor savedCursor = crDefault;
  if (FChangingCursor != -1 && Screen && Screen->Cursor() == crDefault && !IsDesigning()) {
    savedCursor = Screen->Cursor();
    Screen->SetCursor(FChangingCursor);
    cursorSet = true;
  }
  Finally restoreCursor([&] {
    if (cursorSet && Screen) Screen->SetCursor(savedCursor);
  });
  if (IsDesigning() && !IsLoading()) BuildList();
  if (!IsLoading() && !FDontFireChanging && Assigned(FOnLanguageChanging)) {
    Boolean allow = true;
    FOnLanguageChanging(this, Value, allow);
    if (!allow) return;
  }
  FActiveLanguage = Value;
  if (!IsLoading()) {
    if (FLangNames->Count() >= Value) FLanguage = FLangNames->Strings(Value - 1);
    ChangeLanguage();
  }
}

void TqlCustomLang::SetChangeLocales(Boolean Value) {
  if (Value == FChangeLocales) return;
  FChangeLocales = Value;
  if (Value && FSystem->Count() == 0)
    for (Integer i = 0; i < 15; ++i) FSystem->Add(kLocaleItems[i] + String(1, D()) + FLocaleSnapshot[i] + D());
}

void TqlCustomLang::SetLangDelim(Byte Value) {
  if (Value == FLangDelim) return;
  if (!IsLoading()) ChangeLangDelim(static_cast<Char>(FLangDelim), static_cast<Char>(Value));
  FLangDelim = Value;
}

void TqlCustomLang::SetDoNotTranslate(TStringList* Value) {
  if (Value != FDoNotTranslate) FDoNotTranslate->Assign(Value);
  if (!IsLoading()) ReBuildDoNotList();
}

void TqlCustomLang::SetLangNames(TStringList* Value) {
  if (Value == FLangNames) return;
  FLangNames->Assign(Value);
  if (FLangNames->Count() >= FActiveLanguage) FLanguage = FLangNames->Strings(FActiveLanguage - 1);
  FNumOfLanguages = FLangNames->Count();
}

void TqlCustomLang::SetLanguage(const String& Value) {
  if (Value == FLanguage) return;
  Integer index = -1;
  for (Integer i = 0; i < FLangNames->Count() && index < 0; ++i)
    if (AnsiSameText(FLangNames->Strings(i), Value)) index = i;
  if (index < 0) {
    if (!IsLoading()) throw ELanguageError(u"Language name shall be included in LangNames property!");
    index = FLangNames->Add(Value);
  }
  FLanguage = Value;
  if (!IsLoading() && !FQLBLoading) SetActiveLanguage(index + 1);
}

void TqlCustomLang::SetOptions(TqlLangOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  if (Value.Contains(loUseExtCommonStrings) && IsDesigning()) {
    FDlgsCaptions->Clear();
    FSystem->Clear();
  }
}

void TqlCustomLang::SetNeedAllDlgs(Boolean Value) {
  if (Value == FNeedAllDlgs) return;
  FNeedAllDlgs = Value;
  if (!IsLoading()) CompleteDialogCaptions();
}

void TqlCustomLang::SetExcludedProperties(TStringList* Value) {
  if (Value != FExcludedProperties) FExcludedProperties->Assign(Value);
  if (!IsLoading()) {
    ExcludeProperties();
    BuildList();
  }
}

void TqlCustomLang::SetStringsTypes(TStringList* Value) {
  if (Value != FStringsTypes) FStringsTypes->Assign(Value);
  if (!IsLoading()) BuildList();
}

void TqlCustomLang::SetSmartExcludeProps(TStringList* Value) {
  if (Value != FSmartExcludeProps) FSmartExcludeProps->Assign(Value);
  if (!IsLoading()) BuildList();
}

void TqlCustomLang::SetResourceLanguageIndex(Word Value) {
  if (Value == FResourceLanguageIndex) return;
  if (!IsLoading() && (Value < 1 || Value > FNumOfLanguages))
    throw ELanguageError(
        Format(u"%d - is not a valid property value!\rValue must be within [1..%d]!", {Integer(Value), FNumOfLanguages}));
  FResourceLanguageIndex = Value;
  if (!IsDesigning()) {
    FLangStringsColl->SortID = Value;
    FLangStringsColl->Sort();
  }
}

// While loading, the number of languages may not be read yet: the value is
// taken as it stands (a stored default language would otherwise be lost).
void TqlCustomLang::SetDefaultLanguage(Integer Value) {
  if (IsLoading() ? Value >= 1 : (Value >= 1 && Value <= FNumOfLanguages)) FDefaultLanguage = Value;
}

void TqlCustomLang::SetAutoSkipEmpties(Boolean Value) {
  if (Value == FAutoSkipEmpties) return;
  FAutoSkipEmpties = Value;
  if (Value && !IsLoading()) BuildList();
}

void TqlCustomLang::SetFontsInfoHolder(TqlCustomLang* Value) {
  if (Value == FFontsInfoHolder) return;
  if (FFontsInfoHolder) FFontsInfoHolder->RemoveFreeNotification(this);
  FFontsInfoHolder = Value;
  if (Value) Value->FreeNotification(this);
}

void TqlCustomLang::SetLangDispatcher(TqlLangDispatcher* Value) {
  if (FLangDispatcher) {
    FLangDispatcher->UnlinkComponent(this);
    FLangDispatcher->RemoveFreeNotification(this);
  }
  FLangDispatcher = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  if (IsLoading()) {
    FNumOfLanguages = Value->NumOfLanguages();
    FDefaultLanguage = Value->DefaultLanguage();
    FUseDefaultLanguage = Value->UseDefaultLanguage();
  } else if (Owner() && !FQLBLoading) {
    Value->LinkComponent(this);
  }
}

void TqlCustomLang::SetExtendedTranslations(TqlExtendedItems* Value) {
  if (Value == FExtendedTranslations) return;
  Free(FExtendedTranslations);
  FExtendedTranslations = Value;
}

Boolean TqlCustomLang::IsDoNotTranslateStored() const { return FDoNotTranslate->Count() > 0; }
Boolean TqlCustomLang::IsExcludedPropertiesStored() const { return FExcludedProperties->Count() > 0; }
Boolean TqlCustomLang::IsSmartExcludePropsStored() const { return FSmartExcludeProps->Count() > 0; }
Boolean TqlCustomLang::IsExtendedTranslationsStored() const { return FExtendedTranslations->Count() > 0; }

void ApplyLocaleValue(TFormatSettings& Settings, const String& Item, const String& Value) {
  if (Value.empty()) return;
  Integer item = -1;
  for (Integer i = 0; i < 15; ++i)
    if (Item == kLocaleItems[i]) item = i;
  auto names = [&](String* Target, Integer Count) {
    std::unique_ptr<TStringList, TObjectFree> list(New<TStringList>());
    list->SetCommaText(Value);
    for (Integer i = 0; i < Count && i < list->Count(); ++i) Target[i] = list->Strings(i);
  };
  switch (item) {
    case 0: Settings.CurrencyString = Value; break;
    case 1: Settings.ThousandSeparator = Value[0]; break;
    case 2: Settings.DecimalSeparator = Value[0]; break;
    case 3: Settings.DateSeparator = Value[0]; break;
    case 4: Settings.ShortDateFormat = Value; break;
    case 5: Settings.LongDateFormat = Value; break;
    case 6: Settings.TimeSeparator = Value[0]; break;
    case 7: Settings.TimeAMString = Value; break;
    case 8: Settings.TimePMString = Value; break;
    case 9: Settings.ShortTimeFormat = Value; break;
    case 10: Settings.LongTimeFormat = Value; break;
    case 11: names(Settings.ShortMonthNames, 12); break;
    case 12: names(Settings.LongMonthNames, 12); break;
    case 13: names(Settings.ShortDayNames, 7); break;
    case 14: names(Settings.LongDayNames, 7); break;
    default: break;
  }
}

// --- Single values ---------------------------------------------------------------------------

String TqlCustomLang::GetStringValue(TStrings* AStrings, const String& AName, Integer ALang) {
  String result;
  if (!AStrings) return result;
  Boolean firstWins = FStoreAsUTF8 && AStrings != FCharSets && AStrings != FFonts;
  for (Integer i = 0; i < AStrings->Count(); ++i) {
    String line;
    try {
      line = AStrings->Strings(i);
    } catch (const Exception&) {
      line.clear();
    }
    if (!SameText(ExtractField(line, D(), 0), AName)) continue;
    result = ExtractField(line, D(), ALang);
    if (firstWins) break;
  }
  return result;
}

void TqlCustomLang::ReplaceStringValue(TStrings* AStrings, const String& Value, const String& AName, Integer ALang) {
  if (!AStrings) return;
  if (AStrings == FStrings && !IsDesigning()) {
    for (TqlStringsCollection* coll : {FStringsColl, FLangStringsColl}) {
      for (Integer i = 0; i < coll->Count(); ++i) {
        TqlStringsCollectionItem* item = coll->Items(i);
        if (!SameText(item->ID(), AName)) continue;
        TStringList* values = item->Values();
        while (values->Count() < ALang) values->Add(String());
        if (ALang >= 1) values->SetStrings(ALang - 1, Value);
        break;
      }
    }
  }
  const Char d = D();
  for (Integer i = 0; i < AStrings->Count(); ++i) {
    String line = AStrings->Strings(i);
    if (!SameText(ExtractField(line, d, 0), AName)) continue;
    String out;
    Integer passed = 0;
    size_t k = 0;
    Boolean replaced = false;
    for (; k < line.size(); ++k) {
      if (passed < ALang) {
        out += line[k];
        if (line[k] == d) ++passed;
        continue;
      }
      // Inside the old value: skip it up to the delimiter that ends it.
      if (line[k] == d) {
        out += Value;
        out += line.substr(k);
        replaced = true;
        break;
      }
    }
    if (!replaced && passed >= ALang) out += Value;
    if (passed >= ALang) AStrings->SetStrings(i, out);
    return;
  }
}

void TqlCustomLang::ReplaceStringValue(TStrings** pStrings, const String& Value, const String& AName, Integer ALang) {
  if (pStrings) ReplaceStringValue(*pStrings, Value, AName, ALang);
}

// --- Component bookkeeping ---------------------------------------------------------------

void TqlCustomLang::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFontsInfoHolder) {
    FFontsInfoHolder = nullptr;
    return;
  }
  if (Operation == opRemove && AComponent == FLangDispatcher) {
    FLangDispatcher = nullptr;
    return;
  }
  if (Is<TqlCustomLang>(AComponent)) return;
  if (!FCaptions) return;
  if (Operation == opRemove && IsDesigning() && IgnoreRemoval) {
    // The lines and items stay, but no item stays bound to the freed component.
    for (Integer i = 0; i < FExtendedTranslations->Count(); ++i)
      if (FExtendedTranslations->Items(i)->RelComponent() == AComponent)
        FExtendedTranslations->Items(i)->SetRelComponent(nullptr);
    return;
  }
  if (Operation == opRemove) {
    Integer i = FDoNotTranslate->IndexOf(AComponent->Name());
    if (i >= 0) FDoNotTranslate->Delete(i);
  }
  DeleteComponentLines(FCaptions, AComponent, stCaptions, Operation);
  DeleteComponentLines(FHints, AComponent, stHints, Operation);
  DeleteComponentLines(FDisplayLabels, AComponent, stDisplayLabels, Operation);
  DeleteComponentLines(FFonts, AComponent, stFonts, Operation);
  DeleteComponentLines(FMultiLines, AComponent, stMultiLines, Operation);
  DeleteComponentLines(FOthers, AComponent, stOtherStrings, Operation);
  DeleteComponentLines(FCharSets, AComponent, stFonts, Operation);
  DeleteComponentLines(FCollections, AComponent, stCollections, Operation);
  DeleteComponentLines(FSmartExcludeProps, AComponent, stOtherStrings, Operation);
  if (Operation == opRemove && FExtendedTranslations) {
    const String prefix = AComponent->Name() + u".";
    for (Integer i = FExtendedTranslations->Count() - 1; i >= 0; --i) {
      TqlExtendedItem* item = FExtendedTranslations->Items(i);
      if (StartsStr(prefix, item->Identifier()))
        FExtendedTranslations->Delete(i);
      else if (item->RelComponent() == AComponent)
        item->SetRelComponent(nullptr);  // never left pointing at a freed component
    }
  }
}

void TqlCustomLang::DeleteComponentLines(TStrings* List, TComponent* AComponent, TStringsType Kind,
                                         TOperation Operation) {
  if (Operation != opRemove || !IsDesigning()) return;
  if (!List || List->Count() == 0 || List->Strings(0).empty()) return;
  String prefix = AComponent == Owner() ? Owner()->ClassName() : AComponent->Name();
  if (Kind == stMultiLines || Kind == stOtherStrings || Kind == stCollections)
    prefix += u'.';
  else
    prefix += D();
  for (Integer i = List->Count() - 1; i >= 0; --i) {
    try {
      if (StartsStr(prefix, List->Strings(i))) List->Delete(i);
    } catch (const Exception&) {
    }
  }
}

Boolean TqlCustomLang::IsStringsTypeClass(const String& AClassName) { return ListContainsText(FStringsTypes, AClassName); }

Boolean TqlCustomLang::IsOwnerTranslated() {
  return !Owner() || !ListContainsText(FDoNotTranslate, Owner()->ClassName());
}

// Only the key of a line follows the rename: a value that happens to hold
// the old name (a caption "Button1", "Label1" inside "Label10 ...") is text
// of its own and stays. The key is the first token (ended by "." or D; one
// delimiter at the very start is skipped), also when it is a single
// character; a line without one is left alone.
String TqlCustomLang::RenameKey(const String& Line, const String& OldName, const String& NewName) {
  const String delims = String(u".") + D();
  size_t start = !Line.empty() && delims.find(Line[0]) != String::npos ? 1 : 0;
  size_t end = Line.find_first_of(delims, start);
  if (end == String::npos) end = Line.size();
  if (Line.compare(start, end - start, OldName) != 0) return Line;
  String result = Line;
  result.replace(start, OldName.size(), NewName);
  return result;
}

// A component that gets its first name (OldName empty) has no lines to follow.
void TqlCustomLang::ComponentRenamed(const String& OldName, const String& NewName) {
  if (NewName.empty() || OldName.empty()) return;
  String oldName = OldName;
  String newName = NewName;
  if (Owner() && OldName == Owner()->Name()) {
    oldName = u"T" + OldName;
    newName = u"T" + NewName;
  }
  auto renameIn = [&](TStrings* List) {
    if (!List) return;
    for (Integer i = 0; i < List->Count(); ++i) {
      String line = List->Strings(i);
      String renamed = RenameKey(line, oldName, newName);
      if (renamed != line) List->SetStrings(i, renamed);
    }
  };
  for (Integer k = 0; k < StringsTypeCount; ++k) renameIn(GetPropListByType(TStringsType(k)));
  renameIn(FDoNotTranslate);
  renameIn(FSmartExcludeProps);
  const String prefix = OldName + u".";
  for (Integer i = 0; i < FExtendedTranslations->Count(); ++i) {
    TqlExtendedItem* item = FExtendedTranslations->Items(i);
    const String& id = item->StoredIdentifier();
    if (StartsStr(prefix, id)) item->SetIdentifier(NewName + id.substr(OldName.size()));
  }
}

// --- Property access ---------------------------------------------------------------------

Boolean TqlCustomLang::HasProperty(TObject* AObject, const String& AName, TTypeKinds Kinds,
                                   const String& AClassName) {
  if (!AObject) return false;
  const TPropInfo* p = GetPropInfo(AObject, AName);
  if (!p || !p->PropType || !Kinds.Contains(p->PropType->Kind)) return false;
  return AClassName.empty() || SameText(p->PropType->Name, AClassName);
}

String TqlCustomLang::ReadStrProp(TObject* AObject, const TPropInfo* PropInfo) {
  if (!AObject || !PropInfo) return String();
  switch (PropInfo->PropType->Kind) {
    case tkChar:
    case tkWChar: {
      Int64 c = GetOrdProp(AObject, PropInfo);
      return c ? String(1, static_cast<Char>(c)) : String();
    }
    default:
      return GetStrProp(AObject, PropInfo);
  }
}

void TqlCustomLang::WriteStrProp(TObject* AObject, const TPropInfo* PropInfo, const String& Text) {
  String text = Text;
  if (qlWriteStrPropHook) qlWriteStrPropHook(AObject, PropInfo, text);
  switch (PropInfo->PropType->Kind) {
    case tkChar:
    case tkWChar:
      SetOrdProp(AObject, PropInfo, text.empty() ? 0 : Int64(text[0]));
      break;
    default:
      SetStrProp(AObject, PropInfo, text);
  }
}

String TqlCustomLang::GetStrPropValue(TObject* AObject, const String& AName) {
  if (!AObject) return String();
  return ReadStrProp(AObject, GetPropInfo(AObject, AName, qlStringKinds));
}

void TqlCustomLang::SetStrPropValue(TObject* AObject, const String& AName, const String& Value) {
  if (!AObject) return;
  if (const TPropInfo* p = GetPropInfo(AObject, AName, qlStringKinds)) WriteStrProp(AObject, p, Value);
}

void TqlCustomLang::SetStrPropByName(TComponent* AComponent, const String& AName, const String& Value) {
  SetStrPropValue(AComponent, AName, Value);
}

String TqlCustomLang::GetFontName(TObject* AObject) {
  if (!HasProperty(AObject, u"Font", TTypeKinds{tkClass})) return String();
  TObject* font = GetObjectProp(AObject, u"Font");
  if (!font || !GetPropInfo(font, u"Name", qlStringKinds)) return String();
  return GetStrProp(font, u"Name");
}

Byte TqlCustomLang::GetFontCharset(TObject* AObject) {
  if (!HasProperty(AObject, u"Font", TTypeKinds{tkClass})) return 0;
  TObject* font = GetObjectProp(AObject, u"Font");
  if (!font || !GetPropInfo(font, u"Charset")) return 0;
  return static_cast<Byte>(GetOrdProp(font, u"Charset"));
}

// --- Lines and lists ------------------------------------------------------------------------

void TqlCustomLang::NormalizeList(TStrings* AList) {
  if (!AList) return;
  const String d(1, D());
  for (Integer i = 0; i < AList->Count(); ++i) {
    String line = AList->Strings(i);
    Integer count = CountDelimiters(line, d);
    if (count > FNumOfLanguages) continue;
    line.append(size_t(FNumOfLanguages + 1 - count), D());
    AList->SetStrings(i, line);
  }
}

void TqlCustomLang::NormalizeLists() {
  NormalizeList(FStrings);
  NormalizeList(FDlgsCaptions);
  NormalizeList(FSystem);
}

void TqlCustomLang::ReplaceDelimiterChar(TStrings* AList, Char OldDelim, Char NewDelim) {
  if (!AList) return;
  for (Integer i = 0; i < AList->Count(); ++i) {
    String line = AList->Strings(i);
    if (line.find(OldDelim) == String::npos) continue;
    for (Char& c : line)
      if (c == OldDelim) c = NewDelim;
    AList->SetStrings(i, line);
  }
}

void TqlCustomLang::ChangeLangDelim(Char OldDelim, Char NewDelim) {
  for (Integer k = 0; k < StringsTypeCount; ++k) ReplaceDelimiterChar(GetPropListByType(TStringsType(k)), OldDelim, NewDelim);
  ReplaceExtendedDelimiterChar(OldDelim, NewDelim);
}

Boolean TqlCustomLang::IsExcludedProperty(const String& AComponentName, const String& APropPath) {
  if (Pos(u'.', APropPath) == 0) {
    if (ListContainsText(FExcludedProperties, APropPath)) return true;
  } else {
    String rest = APropPath;
    while (!rest.empty()) {
      Integer p = Pos(u'.', rest);
      String part = p ? Copy(rest, 1, p - 1) : rest;
      if (ListContainsText(FExcludedProperties, part)) return true;
      rest = p ? Copy(rest, p + 1) : String();
    }
  }
  if (ListContainsText(FSmartExcludeProps, AComponentName + u"." + APropPath)) return true;
  if (SameText(APropPath, u"Name")) return true;
  TComponent* owner = Owner();
  TComponent* component = nullptr;
  if (owner) component = owner->ClassName() == AComponentName ? owner : owner->FindComponent(AComponentName);
  return component && ListContainsText(FSmartExcludeProps, u"!" + component->ClassName() + u"." + APropPath);
}

void TqlCustomLang::ExcludeProperties() {
  const String d(1, D());
  auto check = [&](TStringList* List, TStringsType Kind) {
    for (Integer i = List->Count() - 1; i >= 0; --i) {
      String line = List->Strings(i);
      String component, property;
      switch (Kind) {
        case stCaptions:
        case stHints:
        case stFonts:
        case stCharSets:
          component = ExtractField(line, D(), 0);
          property = StringsTypeDefaultProperty(Kind);
          break;
        case stCollections:
          component = ExtractToken(1, line, u".[" + d);
          property = ExtractToken(2, line, u".[" + d);
          break;
        default:
          component = ExtractToken(1, line, u"." + d);
          property = ExtractToken(2, line, u"." + d);
      }
      if (IsExcludedProperty(component, property) ||
          (Kind == stCollections && IsExcludedProperty(component, ExtractToken(4, line, u".[" + d))))
        List->Delete(i);
    }
  };
  struct {
    const char16_t* Property;
    TStringList* List;
    TStringsType Kind;
  } const whole[] = {{u"Caption", FCaptions, stCaptions},
                     {u"Hint", FHints, stHints},
                     {u"DisplayLabel", FDisplayLabels, stDisplayLabels},
                     {u"Font", FFonts, stFonts},
                     {u"Charset", FCharSets, stCharSets}};
  for (const auto& w : whole) {
    if (ListContainsText(FExcludedProperties, w.Property)) {
      w.List->Clear();
      if (w.Kind == stFonts) FCharSets->Clear();
    } else {
      check(w.List, w.Kind);
    }
  }
  check(FMultiLines, stMultiLines);
  check(FOthers, stOtherStrings);
  check(FCollections, stCollections);
}

void TqlCustomLang::ReBuildDoNotList() {
  TComponent* owner = Owner();
  if (!owner) return;
  auto deleteLines = [&](TComponent* C) {
    for (auto [list, kind] : {std::pair{FCaptions, stCaptions}, {FHints, stHints}, {FDisplayLabels, stDisplayLabels},
                              {FFonts, stFonts}, {FMultiLines, stMultiLines}, {FOthers, stOtherStrings},
                              {FCharSets, stFonts}, {FCollections, stCollections}})
      DeleteComponentLines(list, C, kind, opRemove);
  };
  for (Integer i = 0; i < FDoNotTranslate->Count(); ++i) {
    String entry = FDoNotTranslate->Strings(i);
    if (TComponent* c = owner->FindComponent(entry)) {
      deleteLines(c);
    } else if (StartsStr(u"!T", entry)) {
      for (Integer k = 0; k < owner->ComponentCount(); ++k)
        if (owner->Components(k)->ClassName() == entry.substr(1)) deleteLines(owner->Components(k));
    } else if (entry == owner->ClassName()) {
      deleteLines(owner);
    }
  }
}

// --- Dialog captions ----------------------------------------------------------------------

void TqlCustomLang::AddDefaultDialogCaptions() {
  for (Integer i = 0; i < kMessageDialogCaptionCount; ++i)
    FDlgsCaptions->Add(DialogCaptionPath(i) + D() + kDialogCaptions[i].Default + D());
}

void TqlCustomLang::CompleteDialogCaptions() {
  Integer count = FDlgsCaptions->Count();
  if (FNeedAllDlgs && count < kDialogCaptionCount) {
    for (Integer i = count; i < kDialogCaptionCount; ++i) {
      const char16_t* value = kDialogCaptions[i].Default ? kDialogCaptions[i].Default : kDialogCaptions[i].Caption;
      FDlgsCaptions->Add(DialogCaptionPath(i) + D() + value + D());
    }
  } else if (!FNeedAllDlgs && count == kDialogCaptionCount) {
    for (Integer i = count - 1; i >= 0; --i) {
      String path = ExtractField(FDlgsCaptions->Strings(i), D(), 0);
      Boolean standard = false;
      for (Integer k = 0; k < kMessageDialogCaptionCount && !standard; ++k) standard = path == DialogCaptionPath(k);
      if (!standard) FDlgsCaptions->Delete(i);
    }
  }
}
