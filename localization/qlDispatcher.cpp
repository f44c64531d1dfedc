// The language dispatcher and test mode.
#include "localization/qlDispatcher.h"

#include <memory>

#include "localization/MemIni.h"
#include "localization/qlBinFiles.h"
#include "localization/qlTextFiles.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"
#include "platform/classes/WeakRef.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Graphics.h"
#include "platform/win/Gdi.h"

CL_IMPLEMENT_CLASS_PUBLISHED(TTestModeInfo, P) {
  using T = TTestModeInfo;
  P.Property(u"Active", &T::Active, &T::SetActive).Default(false);
  P.Property(u"Kind", &T::Kind, &T::SetKind).Default(tmkExpandWidth);
  P.Property(u"ExpandWidthPercent", &T::ExpandWidthPercent, &T::SetExpandWidthPercent).Default(100);
  P.Property(u"ExpandCharsPercent", &T::ExpandCharsPercent, &T::SetExpandCharsPercent).Default(100);
  P.Property(u"PaddingChar", &T::PaddingChar, &T::SetPaddingChar).Default(u'*');
}

CL_IMPLEMENT_CLASS_PUBLISHED(TqlLangDispatcher, P) {
  using D = TqlLangDispatcher;
  P.Property(u"ActiveLanguage", &D::ActiveLanguage, &D::SetActiveLanguage).Default(1);
  P.Property(u"NumOfLanguages", &D::NumOfLanguages, &D::SetNumOfLanguages).Default(1);
  P.Property(u"LangNames", &D::LangNames, &D::SetLangNames);
  P.Property(u"Language", &D::Language, &D::SetLanguage);
  P.Property(u"FileName", &D::FileName, &D::SetFileName);
  P.Property(u"OnLinkToDispatcher", &D::OnLinkToDispatcher, &D::SetOnLinkToDispatcher);
  P.Property(u"TestModeInfo", &D::TestModeInfo, &D::SetTestModeInfo);
  P.Property(u"UseDefaultLanguage", &D::UseDefaultLanguage, &D::SetUseDefaultLanguage).Default(false);
  P.Property(u"DefaultLanguage", &D::DefaultLanguage, &D::SetDefaultLanguage).Default(1);
  P.Property(u"OnLanguageChanging", &D::OnLanguageChanging, &D::SetOnLanguageChanging);
  P.Property(u"OnLanguageChanged", &D::OnLanguageChanged, &D::SetOnLanguageChanged);
}

// --- Test-mode settings -----------------------------------------------------------------------

void TTestModeInfo::Create() {
  inherited::Create();
  FKind = tmkExpandWidth;
  FExpandWidthPercent = 100;
  FExpandCharsPercent = 100;
  FPaddingChar = u'*';
}

void TTestModeInfo::AssignTo(TPersistent* Dest) {
  auto* dest = dynamic_cast<TTestModeInfo*>(Dest);
  if (!dest) {
    inherited::AssignTo(Dest);
    return;
  }
  dest->FActive = FActive;
  dest->FKind = FKind;
  dest->FExpandWidthPercent = FExpandWidthPercent;
  dest->FExpandCharsPercent = FExpandCharsPercent;
  dest->FPaddingChar = FPaddingChar;
}

// --- The dispatcher ------------------------------------------------------------------------------

namespace {

Boolean IsLinked(const TqlLangDispatcher* D, const TqlCustomLang* C) {
  for (Integer i = 0; i < D->QlLangsCount(); ++i)
    if (D->QlLangs(i) == C) return true;
  return false;
}

// Each component linked now, in order, passed over once it is no longer
// linked: an event of an earlier one may close a form, which frees (and
// unlinks) its component.
template <class F>
void ForEachLinked(const TqlLangDispatcher* D, F Each) {
  std::vector<TqlCustomLang*> links;
  for (Integer i = 0; i < D->QlLangsCount(); ++i) links.push_back(D->QlLangs(i));
  for (TqlCustomLang* c : links)
    if (IsLinked(D, c)) Each(c);
}

}  // namespace

void TqlLangDispatcher::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FActiveLanguage = 1;
  FNumOfLanguages = 1;
  FLangNames = New<TStringList>();
  FLangNames->Add(u"Language N1");
  FTestModeInfo = New<TTestModeInfo>();
  FDefaultLanguage = 1;
}

void TqlLangDispatcher::Destroy() {
  while (!FQLComponents.empty()) {
    TqlCustomLang* lang = FQLComponents.back();
    lang->SetLangDispatcher(nullptr);
    // A component that did not unlink itself is dropped here.
    if (!FQLComponents.empty() && FQLComponents.back() == lang) FQLComponents.pop_back();
  }
  FreeAndNil(FLangNames);
  FreeAndNil(FQLBManager);
  FreeAndNil(FTestModeInfo);
  inherited::Destroy();
}

void TqlLangDispatcher::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove)
    if (auto* lang = dynamic_cast<TqlCustomLang*>(AComponent)) UnlinkComponent(lang);
}

void TqlLangDispatcher::Loaded() {
  inherited::Loaded();
  ApplyLangNames(FLangNames);
}

void TqlLangDispatcher::LinkComponent(TqlCustomLang* ALang) {
  for (TqlCustomLang* c : FQLComponents)
    if (c == ALang) return;
  FQLComponents.push_back(ALang);
  ALang->SetNumOfLanguages(FNumOfLanguages);
  ALang->LangNames()->Assign(FLangNames);
  ALang->FLanguage = FLanguage;
  // The component's OnChangeLanguage may free its owner, and it with it.
  TWeakReference alive(ALang);
  if (ComponentState().Contains(csDesigning)) {
    ALang->SetActiveLanguage(FActiveLanguage);
  } else {
    if (Assigned(FOnLinkToDispatcher)) FOnLinkToDispatcher(this, ALang);
    if (!alive) return;
    String file = FFileName;
    if (!file.empty() && !FileExists(file)) file = ExpandFileName(file);
    if (!file.empty() && FileExists(file)) {
      ALang->FActiveLanguage = FActiveLanguage;
      if (ALang->IsBinaryTranslationFileName(file)) {
        if (!FQLBManager) FQLBManager = New<TQLBFileManager>();
        ALang->LoadAllFromBinaryFile(file);
      } else {
        ALang->LoadAllFromFile(file, true);
      }
      if (!alive) return;
      TakeLanguagesOf(ALang);
    } else {
      ALang->SetActiveLanguage(FActiveLanguage);
    }
  }
  if (alive) ALang->UpdateCharsets();
}

// The names and count of a component that has just loaded a file (fields
// set directly, without the setters). A language shown beyond the file's
// names becomes the component's (the loaders bring it to the first), and the
// language name follows the names.
void TqlLangDispatcher::TakeLanguagesOf(TqlCustomLang* ALang) {
  FLangNames->Assign(ALang->LangNames());
  FNumOfLanguages = ALang->NumOfLanguages();
  if (FActiveLanguage > FNumOfLanguages) FActiveLanguage = ALang->ActiveLanguage();
  if (FActiveLanguage >= 1 && FActiveLanguage <= FLangNames->Count()) FLanguage = FLangNames->Strings(FActiveLanguage - 1);
}

void TqlLangDispatcher::UnlinkComponent(TqlCustomLang* ALang) {
  for (auto it = FQLComponents.begin(); it != FQLComponents.end(); ++it)
    if (*it == ALang) {
      FQLComponents.erase(it);
      return;
    }
}

void TqlLangDispatcher::SetActiveLanguage(Integer Value) {
  if (Value == FActiveLanguage) return;
  // Every component must accept the number before anything changes.
  if (!ComponentState().Contains(csLoading))
    for (TqlCustomLang* c : FQLComponents)
      if (Value < 1 || Value > c->NumOfLanguages()) {
        if (c->Owner())
          throw ELanguageError(Format(u"%s: %d - is not a valid property value!\rValue must be within [1..%d]!",
                                      {c->Owner()->ClassName(), Value, c->NumOfLanguages()}));
        throw ELanguageError(Format(u"%d - is not a valid property value!\rValue must be within [1..%d]!",
                                    {Value, c->NumOfLanguages()}));
      }
  if (Assigned(FOnLanguageChanging)) {
    Boolean allow = true;
    FOnLanguageChanging(this, Value, allow);
    if (!allow) return;
  }
  Boolean allow = true;
  ForEachLinked(this, [&](TqlCustomLang* c) {
    if (allow && Assigned(c->OnLanguageChanging())) c->OnLanguageChanging()(c, Value, allow);
  });
  if (!allow) return;
  FActiveLanguage = Value;
  ForEachLinked(this, [&](TqlCustomLang* c) {
    const Boolean saved = c->FDontFireChanging;
    c->FDontFireChanging = true;
    // The component's OnChangeLanguage may free its owner, and it with it.
    TWeakReference alive(c);
    Finally restore([&] {
      if (alive) c->FDontFireChanging = saved;
    });
    c->SetActiveLanguage(Value);
  });
  if (!ComponentState().Contains(csLoading) && FLangNames->Count() >= Value) FLanguage = FLangNames->Strings(Value - 1);
  if (Assigned(FOnLanguageChanged)) FOnLanguageChanged(this);
}

void TqlLangDispatcher::SetNumOfLanguages(Integer Value) {
  if (Value < 1)
    throw ELanguageError(IntToStr(Value) + u" - is not a valid property value !\rValue must be more than ZERO !");
  FNumOfLanguages = Value;
  while (FLangNames->Count() < Value) FLangNames->Add(u"Language N" + IntToStr(FLangNames->Count() + 1));
  while (FLangNames->Count() > Value) FLangNames->Delete(FLangNames->Count() - 1);
  ForEachLinked(this, [&](TqlCustomLang* c) { c->SetNumOfLanguages(Value); });
}

void TqlLangDispatcher::SetLangNames(TStringList* Value) {
  if (Value == FLangNames) return;
  ApplyLangNames(Value);
}

void TqlLangDispatcher::ApplyLangNames(TStringList* Value) {
  if (Value != FLangNames) FLangNames->Assign(Value);
  if (FActiveLanguage >= 1 && FActiveLanguage <= FLangNames->Count()) FLanguage = FLangNames->Strings(FActiveLanguage - 1);
  ForEachLinked(this, [&](TqlCustomLang* c) {
    c->LangNames()->Assign(FLangNames);
    c->SetLanguage(FLanguage);
  });
  SetNumOfLanguages(FLangNames->Count() > 0 ? FLangNames->Count() : 1);
}

void TqlLangDispatcher::SetLanguage(const String& Value) {
  if (Value == FLanguage) return;
  Integer index = -1;
  for (Integer i = 0; i < FLangNames->Count() && index < 0; ++i)
    if (AnsiSameText(FLangNames->Strings(i), Value)) index = i;
  if (FLangNames->Count() > 0 && index < 0)
    throw ELanguageError(u"Language name shall be included in LangNames property!");
  FLanguage = Value;
  if (!ComponentState().Contains(csLoading) && FLangNames->Count() > 0) SetActiveLanguage(index + 1);
}

void TqlLangDispatcher::SetDefaultLanguage(Integer Value) {
  if (Value < 1 || Value > FNumOfLanguages || Value == FDefaultLanguage) return;
  FDefaultLanguage = Value;
  ForEachLinked(this, [&](TqlCustomLang* c) { c->SetDefaultLanguage(Value); });
}

void TqlLangDispatcher::SetUseDefaultLanguage(Boolean Value) {
  if (Value == FUseDefaultLanguage) return;
  FUseDefaultLanguage = Value;
  ForEachLinked(this, [&](TqlCustomLang* c) { c->SetUseDefaultLanguage(Value); });
}

void TqlLangDispatcher::LoadAllFromFile(const String& AFileName) {
  if (UpperCase(ExtractFileExt(AFileName)) == u".QLB") {
    // The whole file is read once first: a damaged entry changes no component.
    {
      std::unique_ptr<TQLBFileManager, TObjectFree> check(New<TQLBFileManager>());
      check->ReadAllFromFile(AFileName);
    }
    ForEachLinked(this, [&](TqlCustomLang* c) { c->LoadAllFromBinaryFile(AFileName); });
  } else {
    // A missing file fails here, before any component changes.
    std::unique_ptr<TStream, TObjectFree> stream(New<TFileStream>(AFileName, Word(fmOpenRead | fmShareDenyNone)));
    const Boolean own = !SharedIniFile;
    if (own) {
      TqlMemIniFile* ini = New<TqlMemIniFile>(String());
      SharedIniFile = ini;
      ini->LoadFromStream(stream.get());
    }
    {
      Finally freeShared([own] {
        if (own) FreeAndNil(SharedIniFile);
      });
      ForEachLinked(this, [&](TqlCustomLang* c) { c->LoadAllFromStream(nullptr, true, true); });
    }
    ForEachLinked(this, [&](TqlCustomLang* c) {
      c->ExcludeProperties();
      c->ChangeLanguage();
    });
  }
  if (!FQLComponents.empty()) {
    TqlCustomLang* first = FQLComponents.front();
    // A file without the language shown brought the components to its
    // first; the dispatcher follows them (its language name is not among
    // the file's names, which the components would refuse).
    if (FActiveLanguage > first->NumOfLanguages()) FActiveLanguage = first->ActiveLanguage();
    SetLangNames(first->LangNames());
    SetNumOfLanguages(first->NumOfLanguages());
  }
  ForEachLinked(this, [&](TqlCustomLang* c) { c->Loaded(); });
}

void TqlLangDispatcher::SaveAllToFile(const String& FileName, const String& Delimiter) {
  for (TqlCustomLang* c : FQLComponents) c->SaveAllToFile(FileName, Delimiter);
}

void TqlLangDispatcher::SaveAllToBinaryFile(const String& FileName) {
  for (TqlCustomLang* c : FQLComponents) c->SaveAllToBinaryFile(FileName);
}

void TqlLangDispatcher::LoadAllFromStream(TStream* AStream) {
  // The whole stream is read once first: a damaged entry changes no component.
  {
    std::unique_ptr<TQLBFileManager, TObjectFree> check(New<TQLBFileManager>());
    check->ReadAllFromStream(AStream);
  }
  ForEachLinked(this, [&](TqlCustomLang* c) { c->LoadAllFromBinaryStream(AStream); });
  if (!FQLComponents.empty()) TakeLanguagesOf(FQLComponents.front());
}

// --- Test mode ---------------------------------------------------------------------------------

namespace {

// Widths of texts in Tahoma 8 on the screen.
class TScreenMeasure {
 public:
  TScreenMeasure() : FDC(win::GetDC(nullptr)), FCanvas(New<TCanvas>()) {
    FCanvas->SetHandle(FDC);
    FCanvas->Font()->SetName(u"Tahoma");
    FCanvas->Font()->SetSize(8);
  }
  ~TScreenMeasure() {
    FCanvas->SetHandle(nullptr);
    Free(FCanvas);
    win::ReleaseDC(nullptr, FDC);
  }
  TScreenMeasure(const TScreenMeasure&) = delete;
  TScreenMeasure& operator=(const TScreenMeasure&) = delete;

  Integer Width(const String& Text) { return FCanvas->TextWidth(Text); }

 private:
  win::HDC FDC;
  TCanvas* FCanvas;
};

String ExpandWidth(const String& Text, Char PaddingChar, Integer Percent) {
  String result = AnsiUpperCase(Text);
  TScreenMeasure measure;
  const Int64 width = measure.Width(Text);
  const Int64 target = width + Int64(Percent) * width / 100;
  if (measure.Width(result) >= target) return result;
  // Padding that adds no width would never reach the target.
  if (measure.Width(String(1, PaddingChar)) <= 0)
    throw ELanguageError(u"The padding character of test mode has no width!");
  Integer p = Length(result);
  while (measure.Width(result) < target) {
    Insert(String(1, PaddingChar), result, p);
    p -= 2;
    if (p <= 1) p = Length(result) - 1;
  }
  return result;
}

}  // namespace

String ApplyTestMode(TqlCustomLang* AComponent, const String& Text) {
  TqlLangDispatcher* dispatcher = AComponent ? AComponent->LangDispatcher() : nullptr;
  if (!dispatcher) return Text;
  TTestModeInfo* info = dispatcher->TestModeInfo();
  switch (info->Kind()) {
    case tmkFlipCase: return InvertCase(Text);
    case tmkExpandChars: return ExpandChars(Text, info->PaddingChar(), info->ExpandCharsPercent());
    case tmkExpandWidth: return ExpandWidth(Text, info->PaddingChar(), info->ExpandWidthPercent());
  }
  return Text;
}
