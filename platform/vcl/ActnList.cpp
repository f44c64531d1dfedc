#include "platform/vcl/ActnList.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"
#include "platform/vcl/ControlsInternal.h"
#include "platform/vcl/ImgList.h"

namespace {

TActionApplicationHooks gHooks;

template <class T>
void EraseValue(std::vector<T*>& List, T* Value) {
  auto it = std::find(List.begin(), List.end(), Value);
  if (it != List.end()) List.erase(it);
}

}  // namespace

const TTypeInfo* TypeInfoTShortCut() {
  static const TTypeInfo* const info = MakeOrdinalTypeInfo(tkInteger, u"TShortCut", otUWord, 0, 0xFFFF);
  return info;
}

void SetActionApplicationHooks(const TActionApplicationHooks& Hooks) { gHooks = Hooks; }
const TActionApplicationHooks& ActionApplicationHooks() { return gHooks; }

// --- TBasicActionLink ------------------------------------------------------------

CL_IMPLEMENT_CLASS(TBasicActionLink)

void TBasicActionLink::Create(TObject* AClient) { AssignClient(AClient); }

void TBasicActionLink::Destroy() {
  if (FAction) FAction->UnRegisterChanges(this);
  inherited::Destroy();
}

void TBasicActionLink::AssignClient(TObject*) {}

void TBasicActionLink::Change() {
  if (Assigned(FOnChange)) FOnChange(FAction);
}

Boolean TBasicActionLink::Execute(TComponent* AComponent) {
  if (!FAction) return false;
  TBasicAction* action = FAction;
  action->SetActionComponent(AComponent);
  Finally reset([this] {
    // The action may have been unlinked (or freed) by its own handler.
    if (FAction) FAction->SetActionComponent(nullptr);
  });
  return action->Execute();
}

Boolean TBasicActionLink::Update() { return FAction ? FAction->Update() : false; }

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == FAction) return;
  if (FAction) FAction->UnRegisterChanges(this);
  FAction = nullptr;
  if (Value) Value->RegisterChanges(this);
}

Boolean TBasicActionLink::IsOnExecuteLinked() { return true; }

void TBasicActionLink::SetOnExecute(const TNotifyEvent&) {}

// --- TBasicAction ------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TBasicAction, P) {}

void TBasicAction::Create(TComponent* AOwner) { inherited::Create(AOwner); }

void TBasicAction::Destroy() {
  inherited::Destroy();
  FActionComponent = nullptr;
  while (!FClients.empty()) FClients.back()->SetAction(nullptr);
}

TBasicActionLink* TBasicAction::Clients(Integer Index) const {
  if (Index < 0 || Index >= ClientCount())
    throw EListError(Format(u"List index out of bounds (%d)", {Index}));
  return FClients[static_cast<size_t>(Index)];
}

Boolean TBasicAction::HandlesTarget(TObject*) { return false; }
void TBasicAction::UpdateTarget(TObject*) {}
void TBasicAction::ExecuteTarget(TObject*) {}

Boolean TBasicAction::Execute() {
  if (!Assigned(FOnExecute)) return false;
  FOnExecute(this);
  return true;
}

Boolean TBasicAction::Update() {
  if (!Assigned(FOnUpdate)) return false;
  FOnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value) {
  Value->FAction = this;
  FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value) {
  auto it = std::find(FClients.begin(), FClients.end(), Value);
  if (it == FClients.end()) return;
  FClients.erase(it);
  Value->FAction = nullptr;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
  if (FActionComponent == Value) return;
  // The free-notification link may be shared with the client's own link to
  // this action (its Action property), so it is kept.
  FActionComponent = Value;
  if (FActionComponent) FActionComponent->FreeNotification(this);
}

void TBasicAction::SetOnExecute(const TNotifyEvent& Value) {
  if (Value == FOnExecute) return;
  // A copy: a link's setter may unlink it.
  std::vector<TBasicActionLink*> clients = FClients;
  for (TBasicActionLink* link : clients) link->SetOnExecute(Value);
  FOnExecute = Value;
  Change();
}

void TBasicAction::Change() {
  if (Assigned(FOnChange)) FOnChange(this);
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionComponent) FActionComponent = nullptr;
}

// --- TContainedAction --------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TContainedAction, P) {
  P.Property(u"Category", &TContainedAction::Category, &TContainedAction::SetCategory);
}

void TContainedAction::Destroy() {
  if (FActionList) FActionList->RemoveAction(this);
  inherited::Destroy();
}

Boolean TContainedAction::Execute() {
  if (FActionList && FActionList->ExecuteAction(this)) return true;
  if (gHooks.ApplicationHandles && gHooks.ApplicationHandles(this, true)) return true;
  if (inherited::Execute()) return true;
  return gHooks.SendAppMessage && gHooks.SendAppMessage(this, true);
}

Boolean TContainedAction::Update() {
  if (FActionList && FActionList->UpdateAction(this)) return true;
  if (gHooks.ApplicationHandles && gHooks.ApplicationHandles(this, false)) return true;
  if (inherited::Update()) return true;
  return gHooks.SendAppMessage && gHooks.SendAppMessage(this, false);
}

TComponent* TContainedAction::GetParentComponent() {
  if (FActionList) return FActionList;
  return inherited::GetParentComponent();
}

Boolean TContainedAction::HasParent() { return FActionList ? true : inherited::HasParent(); }

void TContainedAction::SetParentComponent(TComponent* AParent) {
  if (ComponentState().Contains(csLoading)) return;
  SetActionList(AParent ? As<TCustomActionList>(AParent) : nullptr);
}

void TContainedAction::ReadState(TReader* Reader) {
  inherited::ReadState(Reader);
  if (auto* list = dynamic_cast<TCustomActionList*>(Reader->Parent())) SetActionList(list);
}

void TContainedAction::SetActionList(TCustomActionList* AActionList) {
  if (AActionList == FActionList) return;
  if (FActionList) FActionList->RemoveAction(this);
  if (AActionList) AActionList->AddAction(this);
}

Integer TContainedAction::Index() const {
  return FActionList ? FActionList->IndexOfAction(const_cast<TContainedAction*>(this)) : -1;
}

void TContainedAction::SetIndex(Integer Value) {
  if (!FActionList) return;
  auto& list = FActionList->FActions;
  Integer cur = Index();
  if (cur < 0) return;
  Integer count = static_cast<Integer>(list.size());
  if (Value < 0) Value = 0;
  if (Value >= count) Value = count - 1;
  if (Value == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, this);
}

void TContainedAction::SetCategory(const String& Value) {
  if (Value == FCategory) return;
  FCategory = Value;
  if (FActionList) FActionList->Change();
}

// --- TCustomAction --------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomAction)

void TCustomAction::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FDisableIfNoHandler = true;
  FEnabled = true;
  FImageIndex = -1;
  FVisible = true;
}

void TCustomAction::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomAction*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  SetAutoCheck(src->AutoCheck());
  SetCaption(src->Caption());
  SetChecked(src->Checked());
  SetEnabled(src->Enabled());
  SetGroupIndex(src->GroupIndex());
  SetHelpContext(src->HelpContext());
  SetHint(src->Hint());
  SetImageIndex(src->ImageIndex());
  SetShortCut(src->ShortCut());
  SetVisible(src->Visible());
  SetOnExecute(src->OnExecute());
  SetOnHint(src->OnHint());
  SetOnUpdate(src->OnUpdate());
}

Boolean TCustomAction::Execute() {
  Update();
  if (FEnabled && FAutoCheck && (!FChecked || FGroupIndex == 0)) SetChecked(!FChecked);
  return FEnabled && inherited::Execute();
}

Boolean TCustomAction::HandleShortCut() { return Execute(); }

Boolean TCustomAction::DoHint(String& HintStr) {
  Boolean result = true;
  if (Assigned(FOnHint)) FOnHint(HintStr, result);
  return result;
}

TCustomImageList* TCustomAction::Images() const { return ActionList() ? ActionList()->Images() : nullptr; }

namespace {

// Passes a new value to every link of the action (a copy of the list: a
// client may drop its link while it applies the value).
template <class F>
void ForEachActionLink(const std::vector<TBasicActionLink*>& Clients, F Apply) {
  std::vector<TBasicActionLink*> clients = Clients;
  for (TBasicActionLink* link : clients)
    if (auto* al = dynamic_cast<TActionLink*>(link)) Apply(al);
}

}  // namespace

void TCustomAction::SetAutoCheck(Boolean Value) {
  if (Value == FAutoCheck) return;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetAutoCheck(Value); });
  FAutoCheck = Value;
  Change();
}

void TCustomAction::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetCaption(Value); });
  FCaption = Value;
  Change();
}

void TCustomAction::SetChecked(Boolean Value) {
  if (FChecking) return;
  FChecking = true;
  Finally checked([this] { FChecking = false; });
  if (Value == FChecked) return;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetChecked(Value); });
  FChecked = Value;
  if (FGroupIndex > 0 && FChecked && ActionList()) {
    TCustomActionList* list = ActionList();
    for (Integer i = 0; i < list->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(list->Actions(i));
      if (other && other != this && other->FGroupIndex == FGroupIndex) other->SetChecked(false);
    }
  }
  Change();
}

void TCustomAction::SetEnabled(Boolean Value) {
  if (Value == FEnabled) return;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetEnabled(Value); });
  FEnabled = Value;
  Change();
}

void TCustomAction::SetGroupIndex(Integer Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetGroupIndex(Value); });
  Change();
}

void TCustomAction::SetHelpContext(THelpContext Value) {
  if (Value == FHelpContext) return;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetHelpContext(Value); });
  FHelpContext = Value;
  Change();
}

void TCustomAction::SetHint(const String& Value) {
  if (Value == FHint) return;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetHint(Value); });
  FHint = Value;
  Change();
}

void TCustomAction::SetImageIndex(Integer Value) {
  if (Value == FImageIndex) return;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetImageIndex(Value); });
  FImageIndex = Value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetShortCut(Value); });
  FShortCut = Value;
  Change();
}

void TCustomAction::SetVisible(Boolean Value) {
  if (Value == FVisible) return;
  ForEachActionLink(FClients, [&](TActionLink* l) { l->SetVisible(Value); });
  FVisible = Value;
  Change();
}

// --- TAction ------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TAction, P) {
  P.Property(u"AutoCheck", &TCustomAction::AutoCheck, &TCustomAction::SetAutoCheck).Default(false);
  P.Property(u"Caption", &TCustomAction::Caption, &TCustomAction::SetCaption);
  P.Property(u"Checked", &TCustomAction::Checked, &TCustomAction::SetChecked).Default(false);
  P.Property(u"Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled).Default(true);
  P.Property(u"GroupIndex", &TCustomAction::GroupIndex, &TCustomAction::SetGroupIndex).Default(0);
  P.Property(u"HelpContext", &TCustomAction::HelpContext, &TCustomAction::SetHelpContext).Default(0);
  P.Property(u"Hint", &TCustomAction::Hint, &TCustomAction::SetHint);
  P.Property(u"ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex).Default(-1);
  P.Property(u"ShortCut", &TCustomAction::ShortCut, &TCustomAction::SetShortCut)
      .Type(TypeInfoTShortCut())
      .Default(0);
  P.Property(u"Visible", &TCustomAction::Visible, &TCustomAction::SetVisible).Default(true);
  P.Property(u"OnExecute", &TBasicAction::OnExecute, &TBasicAction::SetOnExecute);
  P.Property(u"OnHint", &TCustomAction::OnHint, &TCustomAction::SetOnHint);
  P.Property(u"OnUpdate", &TBasicAction::OnUpdate, &TBasicAction::SetOnUpdate);
}

void TAction::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetDisableIfNoHandler(true);
}

// --- TCustomActionList -----------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomActionList)
CL_IMPLEMENT_CLASS_PUBLISHED(TActionList, P) {
  P.Property(u"Images", &TCustomActionList::Images, &TCustomActionList::SetImages);
  P.Property(u"OnChange", &TCustomActionList::OnChange, &TCustomActionList::SetOnChange);
  P.Property(u"OnExecute", &TCustomActionList::OnExecute, &TCustomActionList::SetOnExecute);
  P.Property(u"OnUpdate", &TCustomActionList::OnUpdate, &TCustomActionList::SetOnUpdate);
}

void TCustomActionList::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FImageChangeLink = New<TChangeLink>();
  FImageChangeLink->SetOnChange(TNotifyEvent(this, &TCustomActionList::ImageListChange));
}

void TCustomActionList::Destroy() {
  if (FImages && FImageChangeLink) FImages->UnRegisterChanges(FImageChangeLink);
  FreeAndNil(FImageChangeLink);
  while (!FActions.empty()) {
    TContainedAction* action = FActions.back();
    Free(action);  // its destructor leaves the list
    if (!FActions.empty() && FActions.back() == action) FActions.pop_back();
  }
  inherited::Destroy();
}

Boolean TCustomActionList::ExecuteAction(TBasicAction* Action) {
  Boolean handled = false;
  if (Assigned(FOnExecute)) FOnExecute(Action, handled);
  return handled;
}

Boolean TCustomActionList::UpdateAction(TBasicAction* Action) {
  Boolean handled = false;
  if (Assigned(FOnUpdate)) FOnUpdate(Action, handled);
  return handled;
}

Boolean TCustomActionList::IsShortCut(TShortCut AShortCut) {
  if (AShortCut == 0) return false;
  for (Integer i = 0; i < ActionCount(); ++i) {
    auto* action = dynamic_cast<TCustomAction*>(Actions(i));
    if (action && action->ShortCut() == AShortCut) return action->HandleShortCut();
  }
  return false;
}

void TCustomActionList::GetChildren(TGetChildProc Proc, TComponent* Root) {
  std::vector<TContainedAction*> actions = FActions;
  for (TContainedAction* action : actions)
    if (action->Owner() == Root) Proc(action);
}

void TCustomActionList::SetChildOrder(TComponent* Component, Integer Order) {
  auto* action = dynamic_cast<TContainedAction*>(Component);
  if (action && IndexOfAction(action) >= 0) action->SetIndex(Order);
}

TContainedAction* TCustomActionList::Actions(Integer Index) const {
  if (Index < 0 || Index >= ActionCount())
    throw EListError(Format(u"List index out of bounds (%d)", {Index}));
  return FActions[static_cast<size_t>(Index)];
}

Integer TCustomActionList::IndexOfAction(TContainedAction* Action) const {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  return it == FActions.end() ? -1 : static_cast<Integer>(it - FActions.begin());
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  controls_detail::SetLinkedImages(FImages, Value, FImageChangeLink, this);
}

void TCustomActionList::AddAction(TContainedAction* Action) {
  FActions.push_back(Action);
  Action->FActionList = this;
  Action->FreeNotification(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action) {
  auto it = std::find(FActions.begin(), FActions.end(), Action);
  if (it == FActions.end()) return;
  FActions.erase(it);
  Action->FActionList = nullptr;
  Action->RemoveFreeNotification(this);
}

void TCustomActionList::Change() {
  if (Assigned(FOnChange)) FOnChange(this);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FImages) {
    FImages = nullptr;
    return;
  }
  if (auto* action = dynamic_cast<TContainedAction*>(AComponent)) RemoveAction(action);
}

void TCustomActionList::ImageListChange(TObject* Sender) {
  if (Sender == FImages) Change();
}

// --- TActionLink -----------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TActionLink)

TCustomAction* TActionLink::CustomAction() const { return dynamic_cast<TCustomAction*>(FAction); }

Boolean TActionLink::IsCaptionLinked() { return CustomAction() != nullptr; }
Boolean TActionLink::IsCheckedLinked() { return CustomAction() != nullptr; }
Boolean TActionLink::IsEnabledLinked() { return CustomAction() != nullptr; }
Boolean TActionLink::IsGroupIndexLinked() { return CustomAction() != nullptr; }
Boolean TActionLink::IsHelpContextLinked() { return CustomAction() != nullptr; }
Boolean TActionLink::IsHintLinked() { return CustomAction() != nullptr; }
Boolean TActionLink::IsImageIndexLinked() { return CustomAction() != nullptr; }
Boolean TActionLink::IsShortCutLinked() { return CustomAction() != nullptr; }
Boolean TActionLink::IsVisibleLinked() { return CustomAction() != nullptr; }

void TActionLink::SetAutoCheck(Boolean) {}
void TActionLink::SetCaption(const String&) {}
void TActionLink::SetChecked(Boolean) {}
void TActionLink::SetEnabled(Boolean) {}
void TActionLink::SetGroupIndex(Integer) {}
void TActionLink::SetHelpContext(THelpContext) {}
void TActionLink::SetHint(const String&) {}
void TActionLink::SetImageIndex(Integer) {}
void TActionLink::SetShortCut(TShortCut) {}
void TActionLink::SetVisible(Boolean) {}

void RegisterActionClasses() { RegisterClasses({TActionList::StaticClass(), TAction::StaticClass()}); }

namespace {
void ActnListStartup() { RegisterActionClasses(); }
}  // namespace

CL_UNIT_STEPS(ActnList, &ActnListStartup, nullptr);
