// The localization component and its translation model.
//
// A TqlCustomLang sits on a form or data module (at most one per owner) and
// holds the translatable texts of its owner in every language as lines of
// text in eleven string lists, one list per kind (TStringsType). A line is
//   path D value1 D value2 D ... valueN D
// with D the delimiter character LangDelim (1 by default) and N
// NumOfLanguages; field 0 is the path, field n the value of language n, and
// text after the last delimiter belongs to no field.
//
// The lists travel in the form resource as one binary property,
// TranslationData (UTF-16 text, one block per list kind); extended
// translations address any published property by a path from the owner and
// carry their values in ValuesEx. Properties are read and written as text
// through the published-member tables.
//
// Sources: qlComp.cpp (construction, loading, setters, bookkeeping, property
// access), qlCompLines.cpp (line and text operations, property lists),
// qlCompData.cpp (translation data, character sets and code pages),
// qlCompCollections.cpp (string collections, extended translations and
// property paths).
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/rtl/Exceptions.h"

class TStrings;
class TStringList;
class TStream;
struct TFormatSettings;
class TqlCustomLang;
class TCanvas;
class TForm;
struct TVarRec;
// The message-dialog kinds and buttons of platform/vcl/Dialogs.h.
enum TMsgDlgType : Byte;
enum TMsgDlgBtn : Byte;
using TMsgDlgButtons = TSet<TMsgDlgBtn, 2>;
class TqlLangDispatcher;

// Errors of the localization library (fixed English messages).
RTL_EXCEPTION_CLASS(ELanguageError, Exception);

// The list kinds, in their stored order.
CL_ENUM(TStringsType, Byte, stCaptions, stHints, stDisplayLabels, stFonts, stMultiLines, stDlgsCaptions,
        stStrings, stOtherStrings, stLocales, stCollections, stCharSets, stListView_TreeView_Items)
constexpr Integer StringsTypeCount = 12;

CL_ENUM(TTranslateType, Byte, ttNoChange, ttGetDefault)
CL_ENUM(TqlLangOption, Byte, loUseExtUDStrings, loUseExtCommonStrings)
using TqlLangOptions = TSet<TqlLangOption, 1>;
CL_SET_TYPEINFO(TqlLangOptions)

using TLanguageChangingEvent = TDelegate<void(TObject* Sender, Integer NewLanguage, Boolean& AllowChange)>;
CL_EVENT_TYPEINFO(TLanguageChangingEvent)

// Called before a translated text is written into a string property; it may
// change the text. None by default.
using TqlWriteStrPropHook = void (*)(TObject* AObject, const TPropInfo* PropInfo, String& Text);
extern TqlWriteStrPropHook qlWriteStrPropHook;
// The default of UsedInCPP for new components (false unless the host sets it).
extern Boolean qlUsedInCPP;
// Resource strings with an identifier from 1 up to this limit are first
// looked up as "IDS_RES_<identifier>" in Strings (0: never).
extern Cardinal qlResStringIDLimit;
// The component that translates the process's resource strings, nil when none.
TqlCustomLang* qlResourceStringsTranslator();

// The default property name and display name of each kind.
String StringsTypeDefaultProperty(TStringsType Kind);
String StringsTypeDisplayName(TStringsType Kind);
// The enumeration value name ("stCaptions").
String StringsTypeName(TStringsType Kind);

// Character sets by name: the nineteen XXX_CHARSET names, matched exactly;
// false for any other name.
Boolean CharsetFromName(const String& Name, Byte& Charset);

// --- Line and text operations ---------------------------------------------------------

// Field N of a line (0 = path); empty when the line has no such field.
String ExtractField(const String& Line, Char D, Integer N);
// How many characters of Text occur among Chars.
Integer CountDelimiters(const String& Text, const String& Chars);
// The N-th token (from 1) of Text separated by any character of Delimiters;
// a delimiter at the very start is skipped. TokenStart gives the 1-based
// start, or Text's length when there is no such token; ExtractToken the
// token, empty when there is none (a token starting at the last character
// counts as none).
Integer TokenStart(Integer N, const String& Text, const String& Delimiters);
String ExtractToken(Integer N, const String& Text, const String& Delimiters);
// The line without value N; the columns after it move left and an empty
// last value keeps the delimiter count.
String DeleteLanguageColumn(const String& Line, Integer N, Char D);
void DeleteLanguageColumns(TStrings* List, Integer N, Char D);
// Value From moved to position To, the values between shifting by one.
String MoveLanguageColumn(const String& Line, Integer From, Integer To, Char D);
void MoveLanguageColumns(TStrings* List, Integer From, Integer To, Char D);
// Upper case becomes lower case and everything else upper case (locale-aware).
String InvertCase(const String& Text);
// Spreads Length * Percent / 100 pad characters over the text; a text with
// "%" stays as it is.
String ExpandChars(const String& Text, Char PadChar, Integer Percent);
// C escapes (\n, \t, \x41, \101, ...) decoded.
String DecodeEscapes(const String& Text);
// The texts between the delimiters; the text after the last one counts only
// when it is not empty.
std::vector<String> SplitLine(const String& Line, Char D);
String JoinLine(const std::vector<String>& Items, const String& Separator);
// Old's values overwritten by New's non-empty values; New's extra values appended.
String MergeLine(const String& Old, const String& New, Char D);
// The first line with the same path as Line (ignoring case), -1 when none.
Integer FindLineByPath(TStrings* List, const String& Line, Char D);

// Target made equal to Source line by line, in place: each line replaced or
// added (the write hook, when set, may change its text with Target as the
// object and no property), surplus lines deleted from the end. A sorted
// string list is unsorted meanwhile and sorted again afterwards.
void UpdateStringsInPlace(TStrings* Target, TStrings* Source);

// One Locales line's value into the format settings: Item is one of the
// fifteen locale item names (compared exactly); separators take the value's
// first character, the name lists the value's comma-separated items from the
// first (at most twelve months or seven days). An empty value or another item
// changes nothing.
void ApplyLocaleValue(TFormatSettings& Settings, const String& Item, const String& Value);

// Code pages of character sets. A character set without its own page
// (DEFAULT_CHARSET) uses the system ANSI code page. An empty input gives an
// empty result; a conversion that fails raises ELanguageError.
String CharsetToWide(const RawByteString& Bytes, Byte Charset);
RawByteString WideToCharset(const String& Text, Byte Charset);
String Utf8ToWide(const RawByteString& Bytes);
RawByteString WideToUtf8(const String& Text);

// --- Published property lists -----------------------------------------------------------

// The published properties of one object whose kinds are in a set, sorted by name.
class TqlPropInfoList : public TObject {
  CL_CLASS(TqlPropInfoList, TObject)
 public:
  void Create(TObject* AObject, TTypeKinds Filter);

  const TPropInfo* Find(const String& AName);
  Boolean Contains(const TPropInfo* P);
  void Delete(Integer Index);
  // Keeps only the entries that List contains.
  void Intersect(TqlPropInfoList* List);
  const TPropInfo* Items(Integer Index) const { return FList[static_cast<size_t>(Index)]; }
  Integer Count() const { return FCount; }

 private:
  TPropList FList;
  Integer FCount{};
  Integer FSize{};
};

// All kinds but the unknown one, the class kind alone, and the string kinds.
extern const TTypeKinds qlAllKinds;
extern const TTypeKinds qlClassKinds;
extern const TTypeKinds qlStringKinds;

// --- String collections -------------------------------------------------------------------

class TqlSortCollection;
using TqlCollectionSortCompare = Integer (*)(void* UserData, TCollectionItem* A, TCollectionItem* B);

// A collection sorted by the platform's quicksort.
class TqlSortCollection : public TCollection {
  CL_CLASS(TqlSortCollection, TCollection)
 public:
  virtual void QuickSort(Integer L, Integer R, TqlCollectionSortCompare Compare, void* UserData);
  void CustomSort(TqlCollectionSortCompare Compare, void* UserData);
};

class TqlStringsCollectionItem : public TCollectionItem {
  CL_CLASS(TqlStringsCollectionItem, TCollectionItem)
 public:
  void Create(TCollection* Collection) override;
  void Destroy() override;

  // One text per language, language n at index n - 1.
  TStringList* Values() const { return FValues; }
  void SetValues(TStrings* Value);
  const String& ID() const { return FID; }
  void SetID(const String& Value) { FID = Value; }

 private:
  TStringList* FValues{};
  String FID;
};

// The Strings lines as items, sorted by identifier (SortID 0) or by the value
// of language SortID, for bisection.
class TqlStringsCollection : public TqlSortCollection {
  CL_CLASS(TqlStringsCollection, TqlSortCollection)
 public:
  void Create(TCollectionItemClass ItemClass, TqlCustomLang* AOwner);

  TqlStringsCollectionItem* Add() { return static_cast<TqlStringsCollectionItem*>(TCollection::Add()); }
  TqlStringsCollectionItem* Items(Integer Index) const {
    return static_cast<TqlStringsCollectionItem*>(TCollection::Items(Index));
  }
  TPersistent* GetOwner() override;
  TqlCustomLang* Lang() const { return FOwner; }

  void Sort();
  Integer GetIDIndex(const String& TextID);
  // Bisection by identifier (the collection sorted with SortID 0); the
  // value of language RetLang, empty when not found.
  String GetTranslationByID(const String& ID, Integer RetLang);
  // Whether an item has the identifier (bisection, ignoring case).
  Boolean ContainsID(const String& ID);
  // Bisection by the value of language SortID. Not found: LangValue itself,
  // or, for GetTranslationByLang2, an empty text.
  String GetTranslationByLang(const String& LangValue, Integer RetLang);
  String GetTranslationByLang2(const String& LangValue, Integer RetLang);

  Integer SortID{};

 private:
  String SortValue(TqlStringsCollectionItem* Item);
  Integer FindByLang(const String& LangValue);

  TqlCustomLang* FOwner{};
};

// --- Extended translations -----------------------------------------------------------------

// A translation of one published property addressed by path from the owner
// (Form1.Grid.Columns[0].Caption); Values holds one field per language, each
// followed by D, without a path.
class TqlExtendedItem : public TCollectionItem {
  CL_CLASS(TqlExtendedItem, TCollectionItem)
 public:
  void Create(TCollection* Collection) override;

  // The stored identifier, with its first part replaced by the related
  // component's current name (or the owner's class name) when there is one.
  String Identifier();
  void SetIdentifier(const String& Value) { FIdentifier = Value; }
  // Whether the identifier starts with the owner's class name and ".".
  Boolean IsRoot();
  const String& Values() const { return FValues; }
  void SetValues(const String& Value) { FValues = Value; }
  TTypeKind PropertyType() const { return FPropertyType; }
  void SetPropertyType(TTypeKind Value) { FPropertyType = Value; }
  TComponent* RelComponent() const { return FRelComponent; }
  void SetRelComponent(TComponent* Value) { FRelComponent = Value; }
  const String& StoredIdentifier() const { return FIdentifier; }

  String GetDisplayName() override;
  // The localization component of the collection (nil outside one).
  TqlCustomLang* Lang();

 protected:
  void AssignTo(TPersistent* Dest) override;
  void DefineProperties(TFiler* Filer) override;

 private:
  Boolean HasValuesEx(TFiler* Filer);
  void ReadValuesEx(TStream* Stream);
  void WriteValuesEx(TStream* Stream);

  String FIdentifier;
  String FValues;
  TTypeKind FPropertyType{};
  Boolean FIsRoot{};
  TComponent* FRelComponent{};

};

class TqlExtendedItems : public TCollection {
  CL_CLASS(TqlExtendedItems, TCollection)
 public:
  void Create(TCollectionItemClass ItemClass, TqlCustomLang* AOwner);

  TqlExtendedItem* Add() { return static_cast<TqlExtendedItem*>(TCollection::Add()); }
  TqlExtendedItem* Items(Integer Index) const { return static_cast<TqlExtendedItem*>(TCollection::Items(Index)); }
  TPersistent* GetOwner() override;
  TqlCustomLang* Lang() const { return FOwner; }
  // The first item whose Identifier equals Identifier, ignoring case.
  TqlExtendedItem* Find(const String& Identifier);

 private:
  TqlCustomLang* FOwner{};
};

// --- The localization component ------------------------------------------------------------

class TqlCustomLang : public TComponent {
  CL_CLASS(TqlCustomLang, TComponent)
 public:
  // Raises "Only one TqlCustomLang component per Form/DataModule allowed!"
  // when AOwner already owns one.
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  // Overridable operations, in their order.
  virtual void DeleteComponentLines(TStrings* List, TComponent* AComponent, TStringsType Kind,
                                    TOperation Operation);
  virtual Boolean IsStringsTypeClass(const String& AClassName);
  // Rebuilds the lists from the owner's components; here, the last step:
  // the extended translations follow the properties' current texts.
  virtual void BuildList();
  // Applies the active language; here, the extended translations.
  virtual void ChangeLanguage();
  // The list of a kind, nil when the class does not publish it.
  virtual TStrings* GetPropListByType(TStringsType Kind);
  // Replaces the value of language ALang in the first line whose path is AName.
  virtual void ReplaceStringValue(TStrings* AStrings, const String& Value, const String& AName, Integer ALang);
  virtual void ReplaceStringValue(TStrings** pStrings, const String& Value, const String& AName, Integer ALang);
  // Follows a component's rename in the lines' keys and the extended translations.
  virtual void ComponentRenamed(const String& OldName, const String& NewName);

  // --- Text lookup (qlLookup.cpp) ---
  // The active language's value of the line TextID (ignoring case); with
  // GetDefault an empty value falls back to language 1. An unknown
  // identifier raises ELanguageError with DoRaiseExceptions, else gives "".
  String GetTextFrom(TStrings* AStrings, const String& TextID, Boolean GetDefault);
  String GetTextFromW(TStrings* AStrings, const String& TextID, Boolean GetDefault);
  // The same by line number (from 0); out of range gives "".
  String GetTextFromByIndex(TStrings* AStrings, Integer ID, Boolean GetDefault);
  String GetTextFromByIndex(TStrings** pStrings, Integer ID, Boolean GetDefault);
  // Strings lookups: escapes decoded when UsedInCPP is set.
  String GetText(const String& TextID);
  String GetTextW(const String& TextID) { return GetText(TextID); }
  String GetTextbyInt(Integer ID);
  String GetTextOrDefault(const String& TextID);
  String GetTextOrDefaultW(const String& TextID) { return GetTextOrDefault(TextID); }
  // A zero-terminated copy, nil for an empty text.
  std::unique_ptr<Char[]> GetTextC(const String& TextID);
  std::unique_ptr<Char[]> GetTextOrDefaultC(const String& TextID);
  // GetText, repeated in language ADefined (1..N) when empty.
  String GetTextOrDefined(const String& TextID, Integer ADefined);
  String GetTextOrDefinedW(const String& TextID, Integer ADefined) { return GetTextOrDefined(TextID, ADefined); }
  String GetStringValue(TStrings** pStrings, const String& AName, Integer ALang);
  // Field ALang of a line; with UseDefaultLanguage an empty field of another
  // language falls back to the DefaultLanguage field.
  String GetLanguageValue(const String& Line, Integer ALang);

  // --- Language switching (qlChange.cpp) ---
  // Applies one list of a kind (not the owner's own caption, hint and font).
  void ApplyList(TStrings* List, TStringsType Kind);
  // Whether a property reached by translation data may be written: text,
  // fonts, string lists and collections, but never a data set's or a
  // connection's properties nor commands, connection strings or names.
  Boolean IsTranslatableProperty(TObject* AObject, const String& APropName);

  // --- Building the lists (qlBuild.cpp) ---
  void DelOldNames(TStrings* List, TStringsType Kind);
  void RemoveStaleLines();
  void DeletePropertyLines(TStrings* List, const String& AComponentName, TStringsType Kind, const String& AProperty);
  String FindScratchLine(const String& Text);

  // --- Language and list editing (qlEdit.cpp) ---
  void InsertLanguage(Integer Index, const String& ALanguage);
  void MoveLanguage(Integer FromIndex, Integer ToIndex);
  void DeleteLanguage(Integer Index);
  Boolean AddString(const String& TextID, TStrings* Values);
  Boolean DeleteString(const String& TextID);
  String GetStringID(Integer Index);
  Integer GetIDIndex(const String& ID);
  void ClearTranslations();
  void UTF8EncodeDecode(Boolean Encode);

  // --- Dialog captions and translated dialogs (qlDialogs.cpp) ---
  String GetButtonCaption(TMsgDlgBtn Button);
  String GetButtonCaptionW(TMsgDlgBtn Button) { return GetButtonCaption(Button); }
  // DefaultBtn mbOK (2) and CancelBtn mbCancel (3) choose automatically.
  TForm* CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                             TMsgDlgBtn DefaultBtn = TMsgDlgBtn(2), TMsgDlgBtn CancelBtn = TMsgDlgBtn(3));
  Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx,
                     TMsgDlgBtn DefaultBtn = TMsgDlgBtn(2), TMsgDlgBtn CancelBtn = TMsgDlgBtn(3));
  Integer MessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx, Integer X,
                        Integer Y, TMsgDlgBtn DefaultBtn = TMsgDlgBtn(2), TMsgDlgBtn CancelBtn = TMsgDlgBtn(3));
  Integer MessageDlgPosHelp(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx,
                            Integer X, Integer Y, const String& HelpFileName, TMsgDlgBtn DefaultBtn = TMsgDlgBtn(2),
                            TMsgDlgBtn CancelBtn = TMsgDlgBtn(3));
  void ShowMessage(const String& Msg);
  void ShowMessageFmt(const String& Msg, std::initializer_list<TVarRec> Params);
  void ShowMessagePos(const String& Msg, Integer X, Integer Y);
  Boolean InputQuery(const String& ACaption, const String& APrompt, String& Value, Char APasswordChar = 0);
  String InputBox(const String& ACaption, const String& APrompt, const String& ADefault, Char APasswordChar = 0);
  Integer TaskMessageDlg(const String& Title, const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                         Integer HelpCtx, TMsgDlgBtn DefaultBtn);
  Integer TaskMessageDlg(const String& Title, const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                         Integer HelpCtx);
  Integer DoTaskMessageDlg(const String& Title, const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                           Integer HelpCtx, Integer X, Integer Y, const String& HelpFileName, TMsgDlgBtn DefaultBtn);
  // Whether the system's task-dialog function is bound (looked up once).
  static Boolean InitTaskDialogIndirect();

  // The list published under Name ("Captions"), nil when none.
  TStrings* GetPropListByName(const String& Name);

  // Lookups of single values.
  String GetStringValue(TStrings* AStrings, const String& AName, Integer ALang);
  Boolean IsOwnerTranslated();

  // Property access by name through the published-member tables.
  Boolean HasProperty(TObject* AObject, const String& AName, TTypeKinds Kinds, const String& AClassName = String());
  String GetStrPropValue(TObject* AObject, const String& AName);
  void SetStrPropValue(TObject* AObject, const String& AName, const String& Value);
  void SetStrPropByName(TComponent* AComponent, const String& AName, const String& Value);
  String ReadStrProp(TObject* AObject, const TPropInfo* PropInfo);
  void WriteStrProp(TObject* AObject, const TPropInfo* PropInfo, const String& Text);
  String GetFontName(TObject* AObject);
  Byte GetFontCharset(TObject* AObject);

  // Lines and lists.
  void NormalizeList(TStrings* AList);
  void NormalizeLists();
  void ChangeLangDelim(Char OldDelim, Char NewDelim);
  void ReplaceDelimiterChar(TStrings* AList, Char OldDelim, Char NewDelim);
  void ExcludeProperties();
  // Deletes the lines of the components that DoNotTranslate names.
  void ReBuildDoNotList();
  Boolean IsExcludedProperty(const String& AComponentName, const String& APropPath);
  // Dialog captions: the fifteen message-dialog lines, completed to all
  // eighty-six or trimmed back by NeedAllDlgs.
  void AddDefaultDialogCaptions();
  void CompleteDialogCaptions();

  // Translation data in the form resource.
  Boolean HasTranslationData(TFiler* Filer);
  void ReadTranslationData(TStream* Stream);
  void WriteTranslationData(TStream* Stream);
  String DecodeLegacyLine(const String& Text, Boolean RawBytes);
  void AddTranslationLines(Integer Kind, const std::vector<String>& Lines);
  Byte GetCharsetForLanguage(Integer ALang);
  void FillCharsetArray();
  void UpdateCharsets();

  // String collections and extended translations.
  void FillStringsCollection(TqlStringsCollection* Collection, Integer Index);
  void UpdateStrCollections();
  TObject* GetObjByPath(const String& Path);
  TTypeKind GetPropTypeByPath(const String& Path);
  String GetPropValueByPath(const String& Path);
  void SetPropValueByPath(const String& Path, const String& Value);
  void ChangeLangForExtended();
  void RefreshExtendedTranslations();
  void ReplaceExtendedDelimiterChar(Char OldDelim, Char NewDelim);

  // Text translation files (qlTextFiles.cpp): one INI section per list kind,
  // one key per line, the languages' values joined by a delimiter text.
  virtual Integer SaveToStream(TStringsType PropType, TStream* AStream, const String& Delimiter);
  virtual Integer SaveToFile(TStringsType PropType, const String& AFileName, const String& Delimiter);
  virtual Integer SaveStringsToFile(const String& AFileName, const String& Delimiter);
  virtual void SaveAllToFile(const String& AFileName, const String& Delimiter);
  virtual void SaveAllToStream(TStream* AStream, const String& Delimiter);
  void SaveExtendedToStream(TStream* AStream, const String& Delimiter);
  void SaveExtendedToFile(const String& FileName, const String& Delimiter);
  virtual Integer LoadFromStream(TStringsType PropType, TStream* AStream, Boolean CanRewrite);
  virtual Integer LoadFromFile(TStringsType PropType, const String& AFileName, Boolean CanRewrite);
  virtual Integer LoadStringsFromFile(const String& AFileName, Boolean CanRewrite);
  virtual void LoadAllFromStream(TStream* AStream, Boolean CanRewrite, Boolean DontChangeLang);
  virtual void LoadAllFromFile(const String& AFileName, Boolean CanRewrite);
  virtual void LoadAllFromFileDNC(const String& AFileName, Boolean CanRewrite);
  void LoadExtendedFromStream(TStream* AStream, Boolean CanRewrite);
  void LoadExtendedFromFile(const String& FileName, Boolean CanRewrite);
  virtual Boolean MergeFromStream(TStringsType PropType, TStream* AStream);
  virtual Boolean MergeAllFromStream(TStream* AStream);
  virtual Boolean MergeAllFromStreamDNC(TStream* AStream);
  virtual Boolean MergeFromFile(TStringsType PropType, const String& AFileName);
  virtual Boolean MergeAllFromFile(const String& AFileName);
  virtual Boolean MergeAllFromFileDNC(const String& AFileName);
  void GetLanguageNamesFromFile(const String& FileName, TStrings* LanguageList);
  Boolean IsBinaryTranslationFileName(const String& FileName);
  String EncodeLineForFile(const String& Line);
  // One language of a text translation file by name (qlTextFiles.cpp).
  virtual void LoadLanguage(const String& AFileName, const String& LangName);
  virtual void LoadLanguageByProp(TStringsType PropType, const String& AFileName, const String& LangName);
  virtual void LoadLanguageByExt(const String& AFileName, const String& LangName);
  String BuildLanguageFields(const String& Value, Integer ALang);
  // Sets the number of languages and the active one as a file gives them,
  // without touching any line (Language follows the names).
  void SetFileLanguages(Integer Count, Integer Active);
  // Binary translation files (qlBinFiles.cpp).
  void SaveAllToBinaryFile(const String& AFileName);
  void LoadAllFromBinaryFile(const String& AFileName);
  void LoadAllFromBinaryStream(TStream* AStream);
  void LoadPropFromBinaryFile(TStringsType PropType, const String& FileName);

  // The dispatcher this component follows (qlDispatcher.cpp links it).
  TqlLangDispatcher* LangDispatcher() const { return FLangDispatcher; }
  void SetLangDispatcher(TqlLangDispatcher* Value);

  // Properties.
  String Version() const { return FVersion; }
  void SetVersion(const String&) {}
  TStringList* Captions() const { return FCaptions; }
  void SetCaptions(TStringList* Value) { SetListOf(stCaptions, Value); }
  TStringList* Hints() const { return FHints; }
  void SetHints(TStringList* Value) { SetListOf(stHints, Value); }
  TStringList* DisplayLabels() const { return FDisplayLabels; }
  void SetDisplayLabels(TStringList* Value) { SetListOf(stDisplayLabels, Value); }
  TStringList* Strings() const { return FStrings; }
  void SetStrings(TStringList* Value) { SetListOf(stStrings, Value); }
  TStringList* Fonts() const { return FFonts; }
  void SetFonts(TStringList* Value) { SetListOf(stFonts, Value); }
  TStringList* MultiLines() const { return FMultiLines; }
  void SetMultiLines(TStringList* Value) { SetListOf(stMultiLines, Value); }
  TStringList* OtherStrings() const { return FOthers; }
  void SetOtherStrings(TStringList* Value) { SetListOf(stOtherStrings, Value); }
  TStringList* Locales() const { return FSystem; }
  void SetLocales(TStringList* Value) { SetListOf(stLocales, Value); }
  TStringList* CharSets() const { return FCharSets; }
  void SetCharSets(TStringList* Value) { SetListOf(stCharSets, Value); }
  TStringList* Collections() const { return FCollections; }
  void SetCollections(TStringList* Value) { SetListOf(stCollections, Value); }
  TStringList* DlgsCaptions() const { return FDlgsCaptions; }
  void SetDlgsCaptions(TStringList* Value);
  TStringList* FixedLanguages() const { return FFixedLanguages; }
  void SetFixedLanguages(TStringList* Value);

  Integer NumOfLanguages() const { return FNumOfLanguages; }
  void SetNumOfLanguages(Integer Value);
  Integer ActiveLanguage() const { return FActiveLanguage; }
  void SetActiveLanguage(Integer Value);
  Boolean ChangeLocales() const { return FChangeLocales; }
  void SetChangeLocales(Boolean Value);
  const TNotifyEvent& OnChangeLanguage() const { return FOnChangeLanguage; }
  void SetOnChangeLanguage(const TNotifyEvent& Value) { FOnChangeLanguage = Value; }
  Byte LangDelim() const { return FLangDelim; }
  void SetLangDelim(Byte Value);
  Char D() const { return static_cast<Char>(FLangDelim); }
  TStringList* DoNotTranslate() const { return FDoNotTranslate; }
  void SetDoNotTranslate(TStringList* Value);
  TStringList* LangNames() const { return FLangNames; }
  void SetLangNames(TStringList* Value);
  const String& Language() const { return FLanguage; }
  void SetLanguage(const String& Value);
  TTranslateType TranslateType() const { return FTranslateType; }
  void SetTranslateType(TTranslateType Value) { FTranslateType = Value; }
  TqlLangOptions Options() const { return FOptions; }
  void SetOptions(TqlLangOptions Value);
  Boolean NeedAllDlgs() const { return FNeedAllDlgs; }
  void SetNeedAllDlgs(Boolean Value);
  SmallInt ChangingCursor() const { return FChangingCursor; }
  void SetChangingCursor(SmallInt Value) { FChangingCursor = Value; }
  TStringList* ExcludedProperties() const { return FExcludedProperties; }
  void SetExcludedProperties(TStringList* Value);
  Boolean DoRaiseExceptions() const { return FDoRaiseExceptions; }
  void SetDoRaiseExceptions(Boolean Value) { FDoRaiseExceptions = Value; }
  TqlExtendedItems* ExtendedTranslations() const { return FExtendedTranslations; }
  // Takes over Value, which the component then frees.
  void SetExtendedTranslations(TqlExtendedItems* Value);
  Boolean IsInheritedOwner() const { return FIsInheritedOwner; }
  void SetIsInheritedOwner(Boolean Value) { FIsInheritedOwner = Value; }
  TStringList* StringsTypes() const { return FStringsTypes; }
  void SetStringsTypes(TStringList* Value);
  TStringList* SmartExcludeProps() const { return FSmartExcludeProps; }
  void SetSmartExcludeProps(TStringList* Value);
  Boolean HandleResourceStrings() const { return FHandleResourceStrings; }
  void SetHandleResourceStrings(Boolean Value) { FHandleResourceStrings = Value; }
  Word ResourceLanguageIndex() const { return FResourceLanguageIndex; }
  void SetResourceLanguageIndex(Word Value);
  Boolean TranslateExtendedFirst() const { return FTranslateExtendedFirst; }
  void SetTranslateExtendedFirst(Boolean Value) { FTranslateExtendedFirst = Value; }
  Boolean UseDefaultLanguage() const { return FUseDefaultLanguage; }
  void SetUseDefaultLanguage(Boolean Value) { FUseDefaultLanguage = Value; }
  Integer DefaultLanguage() const { return FDefaultLanguage; }
  void SetDefaultLanguage(Integer Value);
  Boolean AutoSkipEmpties() const { return FAutoSkipEmpties; }
  void SetAutoSkipEmpties(Boolean Value);
  Boolean StoreAsUTF8() const { return FStoreAsUTF8; }
  void SetStoreAsUTF8(Boolean Value) { FStoreAsUTF8 = Value; }
  Boolean UseTaskMsgDlg() const { return FUseTaskMsgDlg; }
  void SetUseTaskMsgDlg(Boolean Value) { FUseTaskMsgDlg = Value; }
  const TLanguageChangingEvent& OnLanguageChanging() const { return FOnLanguageChanging; }
  void SetOnLanguageChanging(const TLanguageChangingEvent& Value) { FOnLanguageChanging = Value; }
  TqlCustomLang* FontsInfoHolder() const { return FFontsInfoHolder; }
  void SetFontsInfoHolder(TqlCustomLang* Value);
  Boolean UseInheritedData() const { return FUseInheritedData; }
  void SetUseInheritedData(Boolean Value) { FUseInheritedData = Value; }
  Boolean OverrideActionsValues() const { return FOverrideActionsValues; }
  void SetOverrideActionsValues(Boolean Value) { FOverrideActionsValues = Value; }
  const TNotifyEvent& OnDFMDataChangedEvent() const { return FOnDFMDataChangedEvent; }
  void SetOnDFMDataChangedEvent(const TNotifyEvent& Value) { FOnDFMDataChangedEvent = Value; }

  TqlStringsCollection* StringsColl() const { return FStringsColl; }
  TqlStringsCollection* LangStringsColl() const { return FLangStringsColl; }
  // The character set of each language (index = language - 1).
  const std::vector<Byte>& CharsetArray() const { return CS_Array; }
  // The constructor's snapshot of the process's fifteen locale items.
  const String& LocaleSnapshot(Integer Index) const { return FLocaleSnapshot[Index]; }
  Integer PropForChange() const { return FPropForChange; }
  Boolean DontHandleFonts() const { return FDontHandleFonts; }
  // While a binary translation file loads (most operations do nothing then).
  Boolean QLBLoading() const { return FQLBLoading; }
  void SetQLBLoading(Boolean Value) { FQLBLoading = Value; }

  // Public fields.
  Boolean IgnoreRemoval{};
  Boolean DoNotEmptyStream{};
  Byte CurrentCharset{};
  Boolean UsedInCPP{};
  Boolean BlockLanguageChanging{};

 // Stored predicates of the published lists: written only when not empty.
  Boolean IsDoNotTranslateStored() const;
  Boolean IsExcludedPropertiesStored() const;
  Boolean IsSmartExcludePropsStored() const;
  Boolean IsExtendedTranslationsStored() const;

 protected:
  void DefineProperties(TFiler* Filer) override;
  Boolean IsLoading() const;
  Boolean IsDesigning() const;

 private:
  friend class TqlLangDispatcher;
  friend class TQLBFileManager;
  void SetListOf(TStringsType Kind, TStringList* Value);
  TStringList* ListField(TStringsType Kind) const;
  void TakeLocaleSnapshot();
  void ReadLegacyTabs();
  void AppendMissingLocales();
  void BindExtendedTranslations();
  String RenameKey(const String& Line, const String& OldName, const String& NewName);
  [[noreturn]] void ConversionFailed(Integer ALang);
  // Merges into the list of PropType what ALoad reads (it gives the source's
  // language names): the component keeps its languages and the source's
  // columns follow them; on an error the list is put back and False answered.
  Boolean MergeList(TStringsType PropType, const std::function<void(TStrings* ANames)>& ALoad);

  String FVersion;
  TStringList* FCaptions{};
  TStringList* FHints{};
  TStringList* FDisplayLabels{};
  TStringList* FStrings{};
  TStringList* FFonts{};
  TStringList* FMultiLines{};
  TStringList* FDlgsCaptions{};
  TStringList* FOthers{};
  TStringList* FSystem{};
  TStringList* FCharSets{};
  TStringList* FCollections{};
  TStringList* FDoNotTranslate{};
  TStringList* FLangNames{};
  TStringList* FExcludedProperties{};
  TStringList* FStringsTypes{};
  TStringList* FSmartExcludeProps{};
  TStringList* FFixedLanguages{};
  TStringList* FTmpStrings{};
  TqlStringsCollection* FStringsColl{};
  TqlStringsCollection* FLangStringsColl{};
  TqlExtendedItems* FExtendedTranslations{};
  Integer FNumOfLanguages{};
  Integer FActiveLanguage{};
  Boolean FChangeLocales{};
  TNotifyEvent FOnChangeLanguage;
  Byte FLangDelim{};
  String FLanguage;
  TTranslateType FTranslateType{};
  TqlLangOptions FOptions{};
  Boolean FNeedAllDlgs{};
  SmallInt FChangingCursor{};
  Boolean FDoRaiseExceptions{};
  Boolean FIsInheritedOwner{};
  Boolean FHandleResourceStrings{};
  Word FResourceLanguageIndex{};
  Boolean FTranslateExtendedFirst{};
  Boolean FUseDefaultLanguage{};
  Integer FDefaultLanguage{};
  Boolean FAutoSkipEmpties{};
  Boolean FStoreAsUTF8{};
  Boolean FUseTaskMsgDlg{};
  TLanguageChangingEvent FOnLanguageChanging;
  TqlCustomLang* FFontsInfoHolder{};
  Boolean FUseInheritedData{};
  Boolean FOverrideActionsValues{};
  TNotifyEvent FOnDFMDataChangedEvent;
  Integer FPropForChange{};
  Boolean FDontHandleFonts{};
  std::vector<Byte> CS_Array;
  Boolean FQLBLoading{};
  Boolean FDontFireChanging{};
  Boolean FDontChange{};
  TqlLangDispatcher* FLangDispatcher{};
  String FLocaleSnapshot[15];
  // The language being converted while legacy data is read (for the error).
  Integer FDecodingLanguage{};

  // Applying and collecting the lists (qlChange.cpp, qlBuild.cpp).
  String ApplyValue(const String& Line, TStringsType Kind);
  String TestModeValue(const String& Value, const String& Line, TStringsType Kind);
  void ApplyCollections(TStrings* List);
  void ApplyOwnerTexts();
  void CollectOwnerLine(TStringsType Kind);
  void CollectList(TStringsType Kind);
  void CollectObject(TComponent* AComponent, TObject* AObject, const String& APrefix, TStringsType Kind);
  void CollectCollection(TComponent* AComponent, TCollection* AColl, const String& APrefix);
  void CollectValue(TStrings* List, TStringsType Kind, TComponent* AComponent, const String& APath,
                    const String& AValue, TObject* AFontOwner);
  Boolean IsActionLinkedValue(TComponent* AComponent, const String& AProperty, const String& AValue);
  void BecomeResourceTranslator();
  void ReleaseResourceTranslator();
  void RefillStringsCollections();
  // The list a lookup reads (another component's under the Options that take
  // lists from the dispatcher): AStrings is replaced by it and its component
  // returned, or nullptr when the lookup gives an empty text.
  TqlCustomLang* LookupSource(TStrings*& AStrings, Boolean ByIndex);
  String TestModeText(const String& Value, const String& FirstValue);

};

// Publishes every list and language setting.
class TqlLang : public TqlCustomLang {
  CL_CLASS(TqlLang, TqlCustomLang)
};
