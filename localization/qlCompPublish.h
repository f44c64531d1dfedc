// The published members that TqlLang and TqlLangLinked share (internal to
// localization/; included by source files only). The linked component leaves
// out DlgsCaptions, Locales and NeedAllDlgs.
#pragma once

#include "localization/qlComp.h"
#include "localization/qlDispatcher.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/vcl/Controls.h"

template <class C>
void PublishLangMembers(TPublisher<C>& P, Boolean WithCommonTexts) {
  using L = TqlCustomLang;
  P.Property(u"Captions", &L::Captions, &L::SetCaptions).Stored(false);
  P.Property(u"Hints", &L::Hints, &L::SetHints).Stored(false);
  P.Property(u"DisplayLabels", &L::DisplayLabels, &L::SetDisplayLabels).Stored(false);
  P.Property(u"Strings", &L::Strings, &L::SetStrings).Stored(false);
  P.Property(u"Fonts", &L::Fonts, &L::SetFonts).Stored(false);
  P.Property(u"MultiLines", &L::MultiLines, &L::SetMultiLines).Stored(false);
  P.Property(u"OtherStrings", &L::OtherStrings, &L::SetOtherStrings).Stored(false);
  P.Property(u"CharSets", &L::CharSets, &L::SetCharSets).Stored(false);
  P.Property(u"Collections", &L::Collections, &L::SetCollections).Stored(false);
  if (WithCommonTexts) {
    P.Property(u"DlgsCaptions", &L::DlgsCaptions, &L::SetDlgsCaptions).Stored(false);
    P.Property(u"Locales", &L::Locales, &L::SetLocales).Stored(false);
  }
  P.Property(u"NumOfLanguages", &L::NumOfLanguages, &L::SetNumOfLanguages).Default(1);
  P.Property(u"ActiveLanguage", &L::ActiveLanguage, &L::SetActiveLanguage).Default(1);
  P.Property(u"ChangeLocales", &L::ChangeLocales, &L::SetChangeLocales).Default(false);
  P.Property(u"LangDispatcher", &L::LangDispatcher, &L::SetLangDispatcher);
  P.Property(u"OnChangeLanguage", &L::OnChangeLanguage, &L::SetOnChangeLanguage);
  // Always written, as the stored forms carry it.
  P.Property(u"LangDelim", &L::LangDelim, &L::SetLangDelim).NoDefault();
  P.Property(u"DoNotTranslate", &L::DoNotTranslate, &L::SetDoNotTranslate).Stored(&L::IsDoNotTranslateStored);
  P.Property(u"LangNames", &L::LangNames, &L::SetLangNames);
  P.Property(u"Language", &L::Language, &L::SetLanguage);
  P.Property(u"TranslateType", &L::TranslateType, &L::SetTranslateType).Default(ttNoChange);
  P.Property(u"Options", &L::Options, &L::SetOptions).Default(TqlLangOptions{});
  if (WithCommonTexts) P.Property(u"NeedAllDlgs", &L::NeedAllDlgs, &L::SetNeedAllDlgs).Default(false);
  P.Property(u"ChangingCursor", &L::ChangingCursor, &L::SetChangingCursor).Type(TypeInfoTCursor()).Default(-1);
  P.Property(u"ExcludedProperties", &L::ExcludedProperties, &L::SetExcludedProperties)
      .Stored(&L::IsExcludedPropertiesStored);
  P.Property(u"DoRaiseExceptions", &L::DoRaiseExceptions, &L::SetDoRaiseExceptions).Default(false);
  P.Property(u"ExtendedTranslations", &L::ExtendedTranslations, &L::SetExtendedTranslations)
      .Stored(&L::IsExtendedTranslationsStored);
}
