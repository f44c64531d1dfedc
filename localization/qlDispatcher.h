// The language dispatcher: one component (usually on the main form) that
// keeps every linked localization component on its language. Components link
// themselves when their LangDispatcher is set; a new link gets the
// dispatcher's languages and, when the dispatcher names a translation file,
// its lists from that file. Changing the dispatcher's language asks every
// component first (each may veto) and then switches them all.
//
// The dispatcher also carries the settings of test mode, a pseudo-translation
// that fills empty texts of the other languages to check layouts.
#pragma once

#include <vector>

#include "localization/qlComp.h"

class TQLBFileManager;

CL_ENUM(TTestModeKind, Byte, tmkExpandWidth, tmkFlipCase, tmkExpandChars)

using TLinkToDispatcherEvent = TDelegate<void(TObject* Sender, TqlCustomLang* AQlLang)>;
CL_EVENT_TYPEINFO(TLinkToDispatcherEvent)

class TTestModeInfo : public TPersistent {
  CL_CLASS(TTestModeInfo, TPersistent)
 public:
  void Create();
  void AssignTo(TPersistent* Dest) override;

  Boolean Active() const { return FActive; }
  void SetActive(Boolean Value) { FActive = Value; }
  TTestModeKind Kind() const { return FKind; }
  void SetKind(TTestModeKind Value) { FKind = Value; }
  Integer ExpandWidthPercent() const { return FExpandWidthPercent; }
  void SetExpandWidthPercent(Integer Value) { FExpandWidthPercent = Value; }
  Integer ExpandCharsPercent() const { return FExpandCharsPercent; }
  void SetExpandCharsPercent(Integer Value) { FExpandCharsPercent = Value; }
  Char PaddingChar() const { return FPaddingChar; }
  void SetPaddingChar(Char Value) { FPaddingChar = Value; }

 private:
  Boolean FActive{};
  TTestModeKind FKind{};
  Integer FExpandWidthPercent{};
  Integer FExpandCharsPercent{};
  Char FPaddingChar{};
};

class TqlLangDispatcher : public TComponent {
  CL_CLASS(TqlLangDispatcher, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

  void LinkComponent(TqlCustomLang* ALang);
  void UnlinkComponent(TqlCustomLang* ALang);

  // A binary file name (".QLB") loads every component's entry; a text file
  // is parsed once and gives every component its lists, then the language
  // is applied. The dispatcher takes the first component's names.
  void LoadAllFromFile(const String& AFileName);
  void SaveAllToFile(const String& FileName, const String& Delimiter);
  // A binary translation file in a stream.
  void LoadAllFromStream(TStream* AStream);
  void SaveAllToBinaryFile(const String& FileName);

  Integer ActiveLanguage() const { return FActiveLanguage; }
  // Asks the dispatcher's and every component's OnLanguageChanging (any may
  // veto), then switches every component. A number outside 1..N of any
  // component raises ELanguageError before anything changes.
  void SetActiveLanguage(Integer Value);
  Integer NumOfLanguages() const { return FNumOfLanguages; }
  void SetNumOfLanguages(Integer Value);
  TStringList* LangNames() const { return FLangNames; }
  void SetLangNames(TStringList* Value);
  const String& Language() const { return FLanguage; }
  void SetLanguage(const String& Value);
  const String& FileName() const { return FFileName; }
  void SetFileName(const String& Value) { FFileName = Value; }
  const TLinkToDispatcherEvent& OnLinkToDispatcher() const { return FOnLinkToDispatcher; }
  void SetOnLinkToDispatcher(const TLinkToDispatcherEvent& Value) { FOnLinkToDispatcher = Value; }
  TTestModeInfo* TestModeInfo() const { return FTestModeInfo; }
  void SetTestModeInfo(TTestModeInfo* Value) { FTestModeInfo->Assign(Value); }
  Boolean UseDefaultLanguage() const { return FUseDefaultLanguage; }
  void SetUseDefaultLanguage(Boolean Value);
  Integer DefaultLanguage() const { return FDefaultLanguage; }
  void SetDefaultLanguage(Integer Value);
  const TLanguageChangingEvent& OnLanguageChanging() const { return FOnLanguageChanging; }
  void SetOnLanguageChanging(const TLanguageChangingEvent& Value) { FOnLanguageChanging = Value; }
  const TNotifyEvent& OnLanguageChanged() const { return FOnLanguageChanged; }
  void SetOnLanguageChanged(const TNotifyEvent& Value) { FOnLanguageChanged = Value; }

  Integer QlLangsCount() const { return Integer(FQLComponents.size()); }
  TqlCustomLang* QlLangs(Integer Index) const { return FQLComponents[size_t(Index)]; }
  TQLBFileManager* QLBManager() const { return FQLBManager; }

 private:
  void ApplyLangNames(TStringList* Value);
  void TakeLanguagesOf(TqlCustomLang* ALang);

  std::vector<TqlCustomLang*> FQLComponents;
  Integer FActiveLanguage{};
  Integer FNumOfLanguages{};
  String FLanguage;
  TStringList* FLangNames{};
  String FFileName;
  TLinkToDispatcherEvent FOnLinkToDispatcher;
  TQLBFileManager* FQLBManager{};
  TTestModeInfo* FTestModeInfo{};
  Boolean FUseDefaultLanguage{};
  Integer FDefaultLanguage{};
  TLanguageChangingEvent FOnLanguageChanging;
  TNotifyEvent FOnLanguageChanged;
};

// The pseudo-translation of Text by the test-mode settings of AComponent's
// dispatcher (the text unchanged when it has none). tmkExpandWidth measures
// in Tahoma 8 on the screen; a padding character without width is refused
// with ELanguageError (it could never widen the text).
String ApplyTestMode(TqlCustomLang* AComponent, const String& Text);
