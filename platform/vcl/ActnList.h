// Actions: commands shared by menu items, buttons and controls, kept in
// action lists; action links carry an action's state to their clients.
#pragma once

#include <vector>

#include "platform/classes/Classes.h"

class TBasicAction;
class TContainedAction;
class TCustomActionList;
class TCustomImageList;
class TChangeLink;

// A key with the modifier bits scShift, scCtrl and scAlt (Menus.h has the
// routines); 0 is no shortcut.
using TShortCut = Word;
using THelpContext = Integer;

// The type information named "TShortCut" (an unsigned 16-bit integer).
const TTypeInfo* TypeInfoTShortCut();

using TActionEvent = TDelegate<void(TBasicAction* Action, Boolean& Handled)>;
using THintEvent = TDelegate<void(String& HintStr, Boolean& CanShow)>;
CL_EVENT_TYPEINFO(TActionEvent)
CL_EVENT_TYPEINFO(THintEvent)

// --- Basic action and link ----------------------------------------------------

// Connects a client (menu item, control) to an action: the action calls the
// link when its state changes, the client executes the action through it.
class TBasicActionLink : public TObject {
  CL_CLASS(TBasicActionLink, TObject)
 public:
  virtual void Create(TObject* AClient);
  void Destroy() override;

  // Runs the action with AComponent as its ActionComponent meanwhile.
  virtual Boolean Execute(TComponent* AComponent = nullptr);
  virtual Boolean Update();

  TBasicAction* Action() const { return FAction; }
  virtual void SetAction(TBasicAction* Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  virtual Boolean IsOnExecuteLinked();
  virtual void SetOnExecute(const TNotifyEvent& Value);

 protected:
  virtual void AssignClient(TObject* AClient);
  virtual void Change();

  TBasicAction* FAction{};

 private:
  TNotifyEvent FOnChange;
  friend class TBasicAction;
};

using TBasicActionLinkClass = TClassOf<TBasicActionLink>;

// A command with OnExecute and OnUpdate, and the list of links to it.
class TBasicAction : public TComponent {
  CL_CLASS(TBasicAction, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  virtual Boolean HandlesTarget(TObject* Target);
  virtual void UpdateTarget(TObject* Target);
  virtual void ExecuteTarget(TObject* Target);
  // Fires OnExecute; False when it is unassigned.
  virtual Boolean Execute();
  // Fires OnUpdate; False when it is unassigned.
  virtual Boolean Update();
  void RegisterChanges(TBasicActionLink* Value);
  void UnRegisterChanges(TBasicActionLink* Value);

  // The component that executes the action while a link runs it.
  TComponent* ActionComponent() const { return FActionComponent; }
  void SetActionComponent(TComponent* Value);
  const TNotifyEvent& OnExecute() const { return FOnExecute; }
  virtual void SetOnExecute(const TNotifyEvent& Value);
  const TNotifyEvent& OnUpdate() const { return FOnUpdate; }
  void SetOnUpdate(const TNotifyEvent& Value) { FOnUpdate = Value; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

  Integer ClientCount() const { return static_cast<Integer>(FClients.size()); }
  TBasicActionLink* Clients(Integer Index) const;

 protected:
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;

  std::vector<TBasicActionLink*> FClients;

 private:
  TComponent* FActionComponent{};
  TNotifyEvent FOnChange;
  TNotifyEvent FOnExecute;
  TNotifyEvent FOnUpdate;
};

using TBasicActionClass = TClassOf<TBasicAction>;

// --- The application's share of the Execute/Update chain --------------------

// An action that its list did not handle is offered to the application: the
// forms unit installs these (Application.ExecuteAction/UpdateAction and the
// CM_ACTIONEXECUTE/CM_ACTIONUPDATE message to the application window, which
// reaches the active form and its controls). Either may be nil.
struct TActionApplicationHooks {
  // Application.ExecuteAction (Execute true) or UpdateAction: True when handled.
  Boolean (*ApplicationHandles)(TBasicAction* Action, Boolean Execute) = nullptr;
  // Sends CM_ACTIONEXECUTE (Execute true) or CM_ACTIONUPDATE with the action in
  // LParam to the application window; True when the answer is 1.
  Boolean (*SendAppMessage)(TBasicAction* Action, Boolean Execute) = nullptr;
};
void SetActionApplicationHooks(const TActionApplicationHooks& Hooks);
const TActionApplicationHooks& ActionApplicationHooks();

// --- Contained and custom actions ---------------------------------------------

// An action that belongs to an action list (its parent in form files).
class TContainedAction : public TBasicAction {
  CL_CLASS(TContainedAction, TBasicAction)
 public:
  void Destroy() override;

  // Tries, in order: the list's OnExecute, the application, the action's own
  // OnExecute, the message to the application window.
  Boolean Execute() override;
  // The same chain for OnUpdate.
  Boolean Update() override;

  TComponent* GetParentComponent() override;
  Boolean HasParent() override;
  void SetParentComponent(TComponent* AParent) override;

  TCustomActionList* ActionList() const { return FActionList; }
  void SetActionList(TCustomActionList* AActionList);
  // The position in the action list, -1 without one.
  Integer Index() const;
  void SetIndex(Integer Value);
  const String& Category() const { return FCategory; }
  void SetCategory(const String& Value);

 protected:
  void ReadState(TReader* Reader) override;

 private:
  String FCategory;
  TCustomActionList* FActionList{};
  friend class TCustomActionList;
};

using TContainedActionClass = TClassOf<TContainedAction>;

// An action with the state its clients show: every setter passes the new value
// to the links (which apply it where it is linked) and then calls Change.
class TCustomAction : public TContainedAction {
  CL_CLASS(TCustomAction, TContainedAction)
 public:
  void Create(TComponent* AOwner) override;
  void Assign(TPersistent* Source) override;

  // Updates, toggles Checked when AutoCheck, then runs the chain when Enabled.
  Boolean Execute() override;
  virtual Boolean HandleShortCut();
  // Fires OnHint; True unless the handler cancels.
  virtual Boolean DoHint(String& HintStr);

  Boolean AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(Boolean Value);
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  Boolean Checked() const { return FChecked; }
  // Checking an action of a group (GroupIndex > 0) unchecks the others of its
  // list with the same group.
  void SetChecked(Boolean Value);
  Boolean DisableIfNoHandler() const { return FDisableIfNoHandler; }
  void SetDisableIfNoHandler(Boolean Value) { FDisableIfNoHandler = Value; }
  Boolean Enabled() const { return FEnabled; }
  virtual void SetEnabled(Boolean Value);
  Integer GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer Value);
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value);
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value);
  const THintEvent& OnHint() const { return FOnHint; }
  void SetOnHint(const THintEvent& Value) { FOnHint = Value; }

  // The action list's Images, nil without a list.
  TCustomImageList* Images() const;

 private:
  Boolean FAutoCheck{};
  String FCaption;
  Boolean FChecked{};
  Boolean FChecking{};
  Boolean FDisableIfNoHandler{};
  Boolean FEnabled{};
  Integer FGroupIndex{};
  THelpContext FHelpContext{};
  String FHint;
  Integer FImageIndex{};
  TShortCut FShortCut{};
  Boolean FVisible{};
  THintEvent FOnHint;
};

// The action of form files: publishes the state of TCustomAction.
class TAction : public TCustomAction {
  CL_CLASS(TAction, TCustomAction)
 public:
  void Create(TComponent* AOwner) override;
};

// --- Action list ----------------------------------------------------------------

class TCustomActionList : public TComponent {
  CL_CLASS(TCustomActionList, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // Fires OnExecute/OnUpdate with Handled False; answers Handled.
  virtual Boolean ExecuteAction(TBasicAction* Action);
  virtual Boolean UpdateAction(TBasicAction* Action);
  // Runs the first visible action whose ShortCut is AShortCut (0 never
  // matches); True when one handled it.
  Boolean IsShortCut(TShortCut AShortCut);

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Component, Integer Order) override;

  TContainedAction* Actions(Integer Index) const;
  Integer ActionCount() const { return static_cast<Integer>(FActions.size()); }
  Integer IndexOfAction(TContainedAction* Action) const;
  TCustomImageList* Images() const { return FImages; }
  virtual void SetImages(TCustomImageList* Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  const TActionEvent& OnExecute() const { return FOnExecute; }
  void SetOnExecute(const TActionEvent& Value) { FOnExecute = Value; }
  const TActionEvent& OnUpdate() const { return FOnUpdate; }
  void SetOnUpdate(const TActionEvent& Value) { FOnUpdate = Value; }

 protected:
  void AddAction(TContainedAction* Action);
  void RemoveAction(TContainedAction* Action);
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void ImageListChange(TObject* Sender);

  std::vector<TContainedAction*> FActions;
  TCustomImageList* FImages{};
  TChangeLink* FImageChangeLink{};
  TNotifyEvent FOnChange;
  TActionEvent FOnExecute;
  TActionEvent FOnUpdate;
  friend class TContainedAction;
};

class TActionList : public TCustomActionList {
  CL_CLASS(TActionList, TCustomActionList)
};

// --- Action link ------------------------------------------------------------------

// The link of clients that show a TCustomAction's state. IsXxxLinked holds
// when the action is a TCustomAction (clients narrow it further); the setters
// do nothing here and apply the value in the clients' links.
class TActionLink : public TBasicActionLink {
  CL_CLASS(TActionLink, TBasicActionLink)
 public:
  virtual Boolean IsCaptionLinked();
  virtual Boolean IsCheckedLinked();
  virtual Boolean IsEnabledLinked();
  virtual Boolean IsGroupIndexLinked();
  virtual Boolean IsHelpContextLinked();
  virtual Boolean IsHintLinked();
  virtual Boolean IsImageIndexLinked();
  virtual Boolean IsShortCutLinked();
  virtual Boolean IsVisibleLinked();

  virtual void SetAutoCheck(Boolean Value);
  virtual void SetCaption(const String& Value);
  virtual void SetChecked(Boolean Value);
  virtual void SetEnabled(Boolean Value);
  virtual void SetGroupIndex(Integer Value);
  virtual void SetHelpContext(THelpContext Value);
  virtual void SetHint(const String& Value);
  virtual void SetImageIndex(Integer Value);
  virtual void SetShortCut(TShortCut Value);
  virtual void SetVisible(Boolean Value);

 protected:
  // The action as a TCustomAction, nil when it is another kind.
  TCustomAction* CustomAction() const;
};

using TActionLinkClass = TClassOf<TActionLink>;

// Registers the action classes for form streaming.
void RegisterActionClasses();
