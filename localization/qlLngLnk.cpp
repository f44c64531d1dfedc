#include "localization/qlLngLnk.h"

#include "localization/qlCompPublish.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"

CL_IMPLEMENT_CLASS_PUBLISHED(TqlLangLinked, P) {
  PublishLangMembers(P, false);
  P.Property(u"CommonContainer", &TqlLangLinked::CommonContainer, &TqlLangLinked::SetCommonContainer);
}

namespace {

void Startup() {
  if (!GetClass(u"TqlLangLinked")) RegisterClass(TqlLangLinked::StaticClass());
}

void Shutdown() {}

}  // namespace

CL_UNIT_STEPS(qlLngLnk, &Startup, &Shutdown);

void TqlLangLinked::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FCommonContainer = nullptr;
}

void TqlLangLinked::Loaded() {
  inherited::Loaded();
  if (ComponentState().Contains(csDesigning)) {
    DlgsCaptions()->Clear();
    Locales()->Clear();
  } else if (FCommonContainer) {
    DlgsCaptions()->Assign(FCommonContainer->DlgsCaptions());
    Locales()->Assign(FCommonContainer->Locales());
    ReplaceDelimiterChar(DlgsCaptions(), FCommonContainer->D(), D());
    ReplaceDelimiterChar(Locales(), FCommonContainer->D(), D());
  }
}

void TqlLangLinked::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FCommonContainer) FCommonContainer = nullptr;
}

void TqlLangLinked::SetCommonContainer(TqlCustomLang* Value) {
  if (Value == FCommonContainer || Value == this) return;
  if (FCommonContainer) FCommonContainer->RemoveFreeNotification(this);
  FCommonContainer = Value;
  if (Value) Value->FreeNotification(this);
  if (!ComponentState().Contains(csLoading)) Loaded();
}
