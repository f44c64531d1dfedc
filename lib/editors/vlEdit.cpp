#include "lib/editors/vlEdit.h"

#include <algorithm>
#include <climits>

#include "lib/data/vlFilterConsts.h"
#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlEditRepository.h"
#include "lib/editors/vlEditUtils.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlVariants.h"
#include "lib/lookandfeel/vlControlCursors.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlWindowUtils.h"
#include "lib/lookandfeel/vlCustomPopup.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/win/Windows.h"

using namespace win;

// The lists of the properties unit (vlEditProperties.cpp).
void vlEditPropertiesStartup();
void vlEditPropertiesShutdown();

namespace {

// The screen cursor of the editors' mouse-wheel scrolling ("VLEDIT_MOUSEWHEEL").
constexpr TCursor crvlEditMouseWheel = 4101;
// An anchor that is not set.
constexpr Integer kAnchorNotSet = INT_MAX;

HCURSOR gMouseWheelCursor = nullptr;

void Startup() {
  // The mouse-wheel cursor is the library's vertical panning picture.
  gMouseWheelCursor = vlCreateLibraryCursor(crvlVerScroll);
  Screen->SetCursors(crvlEditMouseWheel, gMouseWheelCursor);
  TvlEditStyleController* controller = New<TvlEditStyleController>(static_cast<TComponent*>(nullptr));
  vlSetDefaultEditStyleController(controller);
  vlSetFallbackStyleController(controller);
  vlEditPropertiesStartup();
  vlFilterResStringHook = &vlGetResourceStringText;
  RegisterClasses({ClassOf<TvlEditRepository>(), ClassOf<TvlEditRepositoryItem>(), ClassOf<TvlEditStyleController>()});
}

void Shutdown() {
  vlFilterResStringHook = nullptr;
  vlFreeDefaultEditRepository();
  vlEditPropertiesShutdown();
  TvlEditStyleController* controller = vlDefaultEditStyleController();
  vlSetFallbackStyleController(nullptr);
  vlSetDefaultEditStyleController(nullptr);
  Free(controller);
  Screen->SetCursors(crvlEditMouseWheel, nullptr);
  if (gMouseWheelCursor) DestroyCursor(gMouseWheelCursor);
  gMouseWheelCursor = nullptr;
}

}  // namespace

CL_UNIT_STEPS(vlEdit, &Startup, &Shutdown);

Boolean vlVarEqualsStrict(const Variant& AValue1, const Variant& AValue2) {
  return VarType(AValue1) == VarType(AValue2) && vlEditValuesEqual(AValue1, AValue2);
}

TShiftState vlMouseButtonToShift(TMouseButton AButton) {
  switch (AButton) {
    case mbLeft: return TShiftState{ssLeft};
    case mbRight: return TShiftState{ssRight};
    default: return TShiftState{ssMiddle};
  }
}

TShiftState vlContainerMouseButtonToShift(TvlMouseButton AButton) {
  switch (AButton) {
    case vlmbLeft: return TShiftState{ssLeft};
    case vlmbRight: return TShiftState{ssRight};
    case vlmbMiddle: return TShiftState{ssMiddle};
    default: return TShiftState{};
  }
}

// --- TvlEditDataBinding ----------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlEditDataBinding)

void TvlEditDataBinding::Create(TvlCustomEdit* AEdit) {
  FEdit = AEdit;
  FDefaultValuesProvider = CreateFrom(GetDefaultValuesProviderClass(), static_cast<TPersistent*>(nullptr));
}

void TvlEditDataBinding::Destroy() {
  FreeAndNil(FDefaultValuesProvider);
  inherited::Destroy();
}

void TvlEditDataBinding::ProviderChanged() {
  if (!FEdit->RepositoryItem()) {
    FEdit->ActiveProperties()->Changed();
    return;
  }
  TvlCustomEditProperties* p = FEdit->ActiveProperties();
  p->BeginUpdate();
  p->Changed();
  p->EndUpdate(false);
  FEdit->PropertiesChanged(p);
}

Variant TvlEditDataBinding::GetDisplayValue() { return Variant(FEdit->CurrentDisplayText()); }
Boolean TvlEditDataBinding::GetEditing() { return FEdit->ModifiedAfterEnter(); }
Boolean TvlEditDataBinding::GetModified() { return FEdit->ModifiedAfterEnter(); }
Variant TvlEditDataBinding::GetStoredValue() { return FEdit->EditValue(); }
void TvlEditDataBinding::Reset() { FEdit->RevertValue(); }
void TvlEditDataBinding::SetDisplayValue(const Variant& Value) { FEdit->ShowDisplayValue(Value); }

Boolean TvlEditDataBinding::SetEditMode() {
  FEdit->SetModifiedAfterEnter(true);
  return true;
}

Boolean TvlEditDataBinding::CanCheckEditorValue() { return FEdit->IsDesigning() || !FEdit->ModifiedAfterEnter(); }

void TvlEditDataBinding::SetModified() {
  if (FEdit->Focused()) FEdit->SetModifiedAfterEnter(true);
}

void TvlEditDataBinding::UpdateDisplayValue() { FEdit->SynchronizeDisplayValue(); }

// --- TvlCustomEditData ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomEditData)

void TvlCustomEditData::Create(TvlCustomEdit* AEdit) {
  FEdit = AEdit;
  FFreeNotificator = New<TvlFreeNotificator>(static_cast<TComponent*>(nullptr));
  FFreeNotificator->SetOnFreeNotification(TvlFreeNotificationEvent(this, &TvlCustomEditData::EditFreed));
  FFreeNotificator->AddSender(AEdit);
}

void TvlCustomEditData::Destroy() {
  FreeAndNil(FFreeNotificator);
  inherited::Destroy();
}

void TvlCustomEditData::EditFreed(TComponent*) { FEdit = nullptr; }

void TvlCustomEditData::Clear() {
  FCleared = true;
  if (FEdit && FEdit->FEditData == this) {
    FEdit->ApplyClearedEditData(this);
    FCleared = false;
  }
}

CL_IMPLEMENT_CLASS(TvlEditChangeEventsCatcher)

// --- TvlCustomEdit: life ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlCustomEdit, P) {
  // Height and Width are written by DefineProperties: not while automatic
  // sizing decides them.
  P.Property(u"Width", &TControl::Width, &TControl::SetWidth).Stored(false);
  P.Property(u"Height", &TControl::Height, &TControl::SetHeight).Stored(false);
  P.Property(u"PropertiesEvents", &TvlCustomEdit::PropertiesEvents, &TvlCustomEdit::SetPropertiesEvents);
  P.Property(u"RepositoryItem", &TvlCustomEdit::RepositoryItem, &TvlCustomEdit::SetRepositoryItem);
  P.Property(u"OnFocusChanged", &TvlCustomEdit::OnFocusChanged, &TvlCustomEdit::SetOnFocusChanged);
}

void TvlCustomEdit::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FAnchorX = FAnchorY = kAnchorNotSet;
  FIsCreating = true;
  {
    Finally created([&] { FIsCreating = false; });
    Initialize();
  }
  if (HandleAllocated()) ShortRefreshContainer(false);
}

void TvlCustomEdit::Create(TComponent* AOwner, Boolean AIsInplace) {
  FIsInplace = AIsInplace;
  Create(AOwner);
}

void TvlCustomEdit::Initialize() {
  FChangeEventsCatcher = New<TvlEditChangeEventsCatcher>(this);
  FProperties = CreateFrom(GetPropertiesClass(), static_cast<TPersistent*>(this));
  {
    TvlCustomEditViewData* data = MakeViewData();
    ContentParams = data->EditContentParams;
    Free(data);
  }
  FIsContentParamsInitialized = true;
  TControlStyle style = ControlStyle();
  style.Include(csCaptureMouse);
  style.Include(csSetCaption);
  style.Include(csReplicatable);
  SetControlStyle(style);
  SetTabStop(true);
  if (IvlCustomInnerEdit* inner = CreateInnerControlInterface()) {
    FInnerEdit = inner;
    SetUpInnerControl();
    SetInnerControl(inner->GetControl());
  }
  FDataBinding = CreateFrom(DataBindingClass(), this);
  FAutoSize = !FIsInplace;
  FCaptureButtonVisibleIndex = -1;
  FEditValue = Null();
  FLockValidate = 0;
  FUpdate = false;
  AttachPropertiesHook(true);
  if (FIsInplace) {
    TvlKeys keys = Keys();
    keys.Include(kAll);
    keys.Include(kArrows);
    if (!InnerControlClass()) keys.Include(kTab);
    SetKeys(keys);
  }
  FDblClickTimer = New<TvlTimer>(static_cast<TComponent*>(nullptr));
  FDblClickTimer->SetEnabled(false);
  FDblClickTimer->SetInterval(GetDoubleClickTime());
  FDblClickTimer->SetOnTimer(TNotifyEvent(this, &TvlCustomEdit::DblClickTimerTick));
  if (!FIsInplace) FProperties->SetIDefaultValuesProvider(FDataBinding->IDefaultValuesProvider());
  ViewInfo()->Edit = this;
  FIsJustCreated = true;
}

void TvlCustomEdit::Destroy() {
  FreeAndNil(FDblClickTimer);
  if (FRepositoryItem) FRepositoryItem->RemoveListener(this);
  FRepositoryItem = nullptr;
  FInnerEdit = nullptr;
  if (FProperties) {
    AttachPropertiesHook(false);
    if (!FIsInplace) FProperties->SetIDefaultValuesProvider(nullptr);
  }
  FreeAndNil(FDataBinding);
  FPrevModifiedList.clear();
  FreeAndNil(FProperties);
  FreeAndNil(FChangeEventsCatcher);
  inherited::Destroy();
}

void TvlCustomEdit::DblClickTimerTick(TObject*) { FDblClickTimer->SetEnabled(false); }

void TvlCustomEdit::AttachPropertiesHook(Boolean AAttach) {
  FProperties->SetOnPropertiesChanged(AAttach ? TNotifyEvent(this, &TvlCustomEdit::PropertiesChanged)
                                              : TNotifyEvent());
}

TvlContainerStyleClass TvlCustomEdit::GetStyleClass() { return GetPropertiesClass()->GetStyleClass(); }
TvlContainerViewInfoClass TvlCustomEdit::GetViewInfoClass() { return GetPropertiesClass()->GetViewInfoClass(); }

TvlContainerStyleValues TvlCustomEdit::GetUnpublishedStyleValues() {
  return TvlContainerStyleValues{Byte(svButtonStyle),     Byte(svButtonTransparency), Byte(svPopupBorderStyle),
                                 Byte(svGradientButtons), Byte(svGradient),           Byte(svGradientDirection)};
}

Boolean TvlCustomEdit::UsesNativeStyle() {
  return GetPropertiesClass()->EditViewDataClass()->IsNativeStyle(Style()->LookAndFeel());
}

void TvlCustomEdit::GetBorderSizes(TRect& R) {
  const TvlCustomEditViewInfo* vi = ViewInfo();
  R = TRect{vi->ShadowRect.Left - vi->Bounds.Left, vi->ShadowRect.Top - vi->Bounds.Top,
            vi->Bounds.Right - vi->ShadowRect.Right, vi->Bounds.Bottom - vi->ShadowRect.Bottom};
}

TvlEditStateColorKind TvlCustomEdit::GetEditStateColorKind() {
  const TvlEditStateColorKind kind = inherited::GetEditStateColorKind();
  if (kind != esckDisabled && FProperties->ReadOnly()) return esckReadOnly;
  return kind;
}

IvlCustomInnerEdit* TvlCustomEdit::CreateInnerControlInterface() {
  TClass cls = InnerControlClass();
  if (!cls) return nullptr;
  TComponent* control = CreateFrom(ClassAs<TComponent>(cls), static_cast<TComponent*>(this));
  if (IvlInnerEditHelperProvider* provider = dynamic_cast<IvlInnerEditHelperProvider*>(control))
    return provider->GetHelper();
  IvlCustomInnerEdit* inner = dynamic_cast<IvlCustomInnerEdit*>(control);
  if (!inner) throw EvlEditError(u"The inner control does not support IvlCustomInnerEdit");
  return inner;
}

void TvlCustomEdit::SetUpInnerControl() {
  FInnerEdit->SetParent(this);
  if (ActiveProperties()->ValueChangeReportedSeparately())
    FInnerEdit->SetOnChange(TNotifyEvent(this, &TvlCustomEdit::HandleInnerEditChange));
  FInnerEdit->GetControl()->SetParentShowHint(false);
}

// --- Properties and repository item -------------------------------------------------------------------------

TvlCustomEditProperties* TvlCustomEdit::ActiveProperties() {
  if (!FRepositoryItem) return FProperties;
  TvlCustomEditProperties* p = FRepositoryItem->Properties();
  if (FDataBinding) p->SetIDefaultValuesProvider(FDataBinding->IDefaultValuesProvider());
  return p;
}

Boolean TvlCustomEdit::IsRepositoryItemAcceptable(TvlEditRepositoryItem* AItem) {
  return !AItem || AItem->PropertiesAreOfClass(GetPropertiesClass());
}

void TvlCustomEdit::SetRepositoryItem(TvlEditRepositoryItem* Value) {
  if (FRepositoryItem == Value) return;
  if (!IsRepositoryItemAcceptable(Value)) throw EvlEditError(&vlSEditInvalidRepositoryItem);
  RepositoryItemChanging();
  if (FRepositoryItem) {
    FRepositoryItem->RemoveListener(this);
    FRepositoryItem->RemoveFreeNotification(this);
  }
  FRepositoryItem = Value;
  if (FRepositoryItem) {
    FRepositoryItem->AddListener(this);
    FRepositoryItem->FreeNotification(this);
  }
  const Boolean quiet = IsLoading() || IsDestroying();
  if (FRepositoryItem) {
    FProperties->SetIDefaultValuesProvider(nullptr);
    if (!quiet) PropertiesChanged(FRepositoryItem->Properties());
    AttachPropertiesHook(false);
  } else {
    if (!quiet) AttachPropertiesHook(true);
    FProperties->SetIDefaultValuesProvider(FDataBinding->IDefaultValuesProvider());
  }
  RepositoryItemChanged();
}

void TvlCustomEdit::RepositoryItemFreed(TvlEditRepositoryItem* Sender) {
  if (Sender != FRepositoryItem) return;
  FRepositoryItem = nullptr;
  CancelButtonPress();
  if (!IsDestroying()) {
    AttachPropertiesHook(true);
    FProperties->SetIDefaultValuesProvider(FDataBinding->IDefaultValuesProvider());
  }
}

void TvlCustomEdit::RepositoryItemPropertiesChanged(TvlEditRepositoryItem* Sender) {
  if (IsLoading() || IsDestroying()) return;
  PropertiesChanged(Sender->Properties());
}

void TvlCustomEdit::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FRepositoryItem) {
    FRepositoryItem->RemoveListener(this);
    FRepositoryItem = nullptr;
    if (!IsDestroying()) SetRepositoryItem(nullptr);
  }
}

void TvlCustomEdit::PropertiesChanged(TObject*) {
  FIsEditValidated = false;
  CancelButtonPress();
  UpdateInnerReadOnly();
  if (FModifiedAfterEnter && IsReadOnlyNow()) FModifiedAfterEnter = false;
  if (ActiveProperties()->Transparent()) SetTransparent(true);
  CalculateAnchors();
  ShortRefreshContainer(false);
}

void TvlCustomEdit::UpdateInnerReadOnly() {
  if (FInnerEdit) FInnerEdit->SetReadOnly(IsReadOnlyNow());
}

Boolean TvlCustomEdit::IsReadOnlyNow() {
  return ActiveProperties()->ReadOnly() || (FDataBinding && !FDataBinding->IsDataAvailable());
}

Boolean TvlCustomEdit::ValueCanBeModified() {
  TvlCustomEditProperties* p = ActiveProperties();
  if (FIsInplace) return p->CanModifyByProvider();
  if (p->AssignedValues()->ReadOnly()) return !p->ReadOnly();
  IvlEditDefaultValuesProvider* provider = FDataBinding->IDefaultValuesProvider();
  return provider->DefaultCanModify() && provider->CanSetEditMode();
}

Boolean TvlCustomEdit::InternalFocused() { return Focused() || !ActiveProperties()->DisplayDependsOnFocus(); }

Boolean TvlCustomEdit::IsActiveControl() {
  if (Focused()) return true;
  TCustomForm* form = GetParentForm(this);
  return form && (form->ActiveControl() == this || (InnerControl() && form->ActiveControl() == InnerControl()));
}

Boolean TvlCustomEdit::PaintsStoredValue() {
  return FDataBinding && FDataBinding->IDefaultValuesProvider()->IsDataStorage() &&
         ControlState().Contains(csPaintCopy);
}

Boolean TvlCustomEdit::IsClickKey(Word Key, TShiftState Shift) {
  TvlEditButtons* buttons = ActiveProperties()->Buttons();
  for (Integer i = 0; i < buttons->Count(); ++i)
    if (buttons->Items(i)->Default()) return ShortCut(Key, Shift) == ActiveProperties()->ClickKey();
  return false;
}

Boolean TvlCustomEdit::EditValueIsStored() { return !VarIsNull(FEditValue); }

Boolean TvlCustomEdit::IsCharAcceptable(Char AChar) {
  IvlEditDefaultValuesProvider* p = ActiveProperties()->IDefaultValuesProvider();
  return !p || p->IsValidChar(AChar) || p->IsOnSetTextAssigned();
}

Boolean TvlCustomEdit::AutoWidthWanted() { return ActiveProperties()->ButtonsViewStyle() == bvsButtonsAutoWidth; }

Boolean TvlCustomEdit::IsChildWindow(HWND AWnd) { return vlIsWindowOwnedBy(this, AWnd, true); }

void TvlCustomEdit::SetTransparent(Boolean Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  TControlStyle style = ControlStyle();
  if (Value)
    style.Exclude(csOpaque);
  else
    style.Include(csOpaque);
  SetControlStyle(style);
  ShortRefreshContainer(false);
}

// --- View data and refresh -------------------------------------------------------------------------------------

TvlCustomEditViewData* TvlCustomEdit::MakeViewData() {
  TvlCustomEditViewData* data = ActiveProperties()->CreateViewData(Style(), FIsInplace, false);
  if (FIsInplace && FIsContentParamsInitialized) data->EditContentParams = ContentParams;
  data->SetEdit((InnerControlClass() && !FInnerEdit) ? nullptr : this);
  data->WindowHandle = HandleAllocated() ? WindowHandle() : nullptr;
  FillViewDataState(data);
  return data;
}

void TvlCustomEdit::FillViewDataState(TvlCustomEditViewData* AViewData) {
  AViewData->Enabled = Enabled();
  AViewData->Focused = InternalFocused();
  AViewData->InnerEdit = FInnerEdit.get();
  AViewData->IsDesigning = IsDesigning();
}

Integer TvlCustomEdit::GetButtonIndexAt(const TPoint& P) {
  TvlCustomEditViewInfo* vi = ViewInfo();
  for (Integer i = 0; i < vi->ButtonCount(); ++i)
    if (vlPointInRect(vi->ButtonsInfo[size_t(i)]->Bounds, P)) return i;
  return -1;
}

Boolean TvlCustomEdit::DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                                          Boolean AIsMouseEvent) {
  if (FCaptureButtonVisibleIndex >= 0 && GetCapture() != WindowHandle()) FCaptureButtonVisibleIndex = -1;
  TvlCustomEditViewInfo* vi = ViewInfo();
  TvlCustomEditViewInfo* old = nullptr;
  Finally freeOld([&] { Free(old); });
  if (AIsMouseEvent) {
    old = CreateFrom(ActiveProperties()->GetViewInfoClass());
    old->Assign(vi);
  }
  vi->RememberButtonStates();
  const TRect local{0, 0, Width(), Height()};
  auto calculate = [&] {
    TvlCustomEditViewData* data = MakeViewData();
    Finally freeData([&] { Free(data); });
    data->Calculate(Canvas(), local, P, Button, Shift, vi, AIsMouseEvent);
  };
  calculate();
  TRect inner{};
  if (IsEditClass() && InnerControl()) inner = InnerControl()->BoundsRect();
  if (vi->Repaint(this, inner, old) || !old) {
    UpdateInnerControlBounds();
    calculate();
    UpdateWindowRegion();
  }
  if (vi->ContainerState.Contains(csHotTrack)) vlStartMouseTracking(this, vi->Bounds, this);
  return true;
}

void TvlCustomEdit::ProcessStateTransitions() {
  TvlCustomEditViewInfo* vi = ViewInfo();
  const Integer last = vi->LastPressedButton, pressed = vi->PressedButton, selected = vi->SelectedButton;
  if (last == pressed && vi->LastSelectedButton == selected) return;
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  auto indexOf = [&](Integer AVisibleIndex) { return vi->ButtonsInfo[size_t(AVisibleIndex)]->Index; };
  if (last >= 0 && last != pressed && last < vi->ButtonCount()) {
    const Integer index = indexOf(last);
    ButtonUp(index);
    if (!link->Ref) return;
    if (selected == last) ButtonClick(index);
    if (!link->Ref) return;
  }
  if (pressed >= 0 && last < 0) ButtonDown(indexOf(pressed));
}

// --- Buttons and the mouse -------------------------------------------------------------------------------------------

void TvlCustomEdit::ButtonClick(Integer AButtonIndex) {
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  TvlEditRepositoryItem* item = FRepositoryItem;
  if (Assigned(FProperties->OnButtonClick())) FProperties->OnButtonClick()(this, AButtonIndex);
  if (link->Ref && item && FRepositoryItem == item && Assigned(item->Properties()->OnButtonClick()))
    item->Properties()->OnButtonClick()(this, AButtonIndex);
}

void TvlCustomEdit::ClickDefaultButton() {
  TvlEditButtons* buttons = ActiveProperties()->Buttons();
  for (Integer i = 0; i < buttons->Count(); ++i)
    if (buttons->Items(i)->Default()) {
      ButtonClick(i);
      return;
    }
}

void TvlCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  if (Button == mbLeft && FDblClickTimer->Enabled()) {
    FDblClickTimer->SetEnabled(false);
    if (GetButtonIndexAt(TPoint{X, Y}) < 0) DblClick();
    if (!link->Ref) return;
  }
  inherited::MouseDown(Button, Shift, X, Y);
  if (!link->Ref) return;
  if (Button == mbLeft && HandleAllocated() && GetCapture() == WindowHandle()) {
    const Integer index = GetButtonIndexAt(TPoint{X, Y});
    if (index >= 0 && ViewInfo()->ButtonsInfo[size_t(index)]->Data.State == ebsPressed)
      FCaptureButtonVisibleIndex = index;
  }
}

void TvlCustomEdit::DblClick() {
  TPoint p{};
  GetCursorPos(&p);
  p = ScreenToClient(p);
  if (GetButtonIndexAt(p) >= 0) {
    TShiftState shift = vlGetShiftStateNow();
    shift.Include(ssLeft);
    MouseDown(mbLeft, shift, p.X, p.Y);
    Click();
    return;
  }
  inherited::DblClick();
}

void TvlCustomEdit::Click() {
  if (IsDestroying() || FClickLockCount > 0 || (IsLoading() && !ClickWhileLoading())) return;
  inherited::Click();
}

void TvlCustomEdit::LockClick(Boolean ALock) {
  if (ALock)
    ++FClickLockCount;
  else if (FClickLockCount > 0)
    --FClickLockCount;
}

void TvlCustomEdit::CMDialogChar(TMessage& Message) {
  TWMKey key(Message);
  TvlEditButtons* buttons = ActiveProperties()->Buttons();
  TvlCustomEditViewInfo* vi = ViewInfo();
  for (TvlEditButtonViewInfo* b : vi->ButtonsInfo) {
    if (b->Data.State == ebsDisabled || b->Index >= buttons->Count()) continue;
    if (IsAccel(key.CharCode(), buttons->Items(b->Index)->Caption())) {
      ButtonClick(b->Index);
      Message.Result = 1;
      return;
    }
  }
  inherited::Dispatch(Message);
}

void TvlCustomEdit::CMHintShow(TMessage& Message) {
  THintInfo* info = reinterpret_cast<THintInfo*>(Message.LParam);
  const Integer part = ViewInfo()->GetHintPartAt(info->CursorPos);
  if (part == -2) {
    Message.Result = -1;
    return;
  }
  String hint;
  TvlEditButtons* buttons = ActiveProperties()->Buttons();
  if (part >= 0 && part < buttons->Count()) hint = buttons->Items(part)->Hint();
  if (hint.empty() && ShowHint()) hint = Hint();
  info->HintStr = GetShortHint(hint);
  info->CursorRect = ViewInfo()->GetHintPartBounds(part);
  Message.Result = 0;
}

void TvlCustomEdit::DefaultHandler(TMessage& Message) {
  // The grid under an in-place editor would show its own menu a second time.
  if (FIsInplace && Message.Msg == WM_CONTEXTMENU) return;
  inherited::DefaultHandler(Message);
}

Boolean TvlCustomEdit::ExecuteAction(TBasicAction* Action) {
  return inherited::ExecuteAction(Action) || FDataBinding->ExecuteAction(Action);
}

Boolean TvlCustomEdit::UpdateAction(TBasicAction* Action) {
  return inherited::UpdateAction(Action) || FDataBinding->UpdateAction(Action);
}

void TvlCustomEdit::GetTabOrderList(std::vector<TWinControl*>& List) {
  inherited::GetTabOrderList(List);
  if (!FIsInplace || !Visible() || !Parent()) return;
  auto parent = std::find(List.begin(), List.end(), Parent());
  if (parent != List.end()) List.erase(parent);
}

void TvlCustomEdit::CMShowingChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  if (Showing())
    UpdateInnerControlBounds();
  else
    CancelButtonPress();
}

void TvlCustomEdit::CancelButtonPress() {
  // A held button whose buttons change, or that is hidden, is let go without a
  // click: the release must not click whatever button stands there now.
  FCaptureButtonVisibleIndex = -1;
  TvlCustomEditViewInfo* vi = ViewInfo();
  if (!vi) return;
  vi->PressedButton = vi->LastPressedButton = -1;
  for (TvlEditButtonViewInfo* b : vi->ButtonsInfo)
    if (b->Data.State == ebsPressed) b->Data.State = ebsNormal;
}

void TvlCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_HINTSHOW: CMHintShow(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_ENTER:
      inherited::Dispatch(Message);
      // Entering an editor whose data can be changed makes its inner control writable.
      if (FInnerEdit && FDataBinding && FDataBinding->CanModify() && !ActiveProperties()->ReadOnly())
        FInnerEdit->SetReadOnly(false);
      break;
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE: WMClipboard(Message); break;
    default: inherited::Dispatch(Message);
  }
}

// --- Value pipeline ---------------------------------------------------------------------------------------------------

void TvlCustomEdit::LockEditValueChanging(Boolean ALock) {
  if (ALock)
    ++FEditValueChangingLockCount;
  else if (FEditValueChangingLockCount > 0)
    --FEditValueChangingLockCount;
}

void TvlCustomEdit::WriteEditValue(const Variant& Value) {
  if (FEditValueChangingLockCount > 0) return;
  // A change handler may free the editor: touch it afterwards only while it lives.
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  LockClick(true);
  Finally unlock([&] {
    if (link->Ref) LockClick(false);
  });
  if (FKeyboardAction && !DoEditing()) return;
  InternalSetEditValue(Value, true);
}

void TvlCustomEdit::WriteInternalEditValue(const Variant& Value) {
  if (FEditValueChangingLockCount > 0) return;
  if (FKeyboardAction && !DoEditing()) return;
  InternalSetEditValue(Value, true);
}

void TvlCustomEdit::InternalSetEditValue(const Variant& AValue, Boolean) {
  if (FKeyboardAction && !DoEditing()) return;
  const Boolean changed = ActiveProperties()->CanCompareEditValue() && !vlEditValuesEqual(AValue, FEditValue);
  FEditValue = AValue;
  SynchronizeDisplayValue();
  if (FKeyboardAction)
    SetModifiedAfterEnter(true);
  else
    SetEditModified(false);
  if (changed) {
    TvlObjectLink* link = vlAddObjectLink(this);
    Finally unlink([&] { vlRemoveObjectLink(link); });
    RaiseEditValueChanged();
    if (!link->Ref) return;
    if (!ActiveProperties()->ValueChangeReportedSeparately()) RaiseChange();
  }
}

Variant TvlCustomEdit::GetEditingValue() {
  if (Focused() && !FIsEditValidated && FModifiedAfterEnter) return CurrentEditingValue();
  return EditValue();
}

void TvlCustomEdit::CommitValidatedDisplayValue(const Variant& ADisplayValue) {
  SaveModifiedState();
  Finally restore([&] { RestoreModifiedState(); });
  StoreValidatedDisplayValue(ADisplayValue);
}

void TvlCustomEdit::PrepareDisplayValueOf(const Variant& AEditValue, Variant& ADisplayValue, Boolean AEditFocused) {
  ActiveProperties()->PrepareDisplayValue(AEditValue, ADisplayValue, AEditFocused);
}

void TvlCustomEdit::HandleInnerEditChange(TObject*) {
  if (Focused())
    SetModifiedAfterEnter(true);
  else if (!ActiveProperties()->IsChanging())
    FDataBinding->SetModified();
  RaiseChange();
}

void TvlCustomEdit::SetEditModified(Boolean Value) {
  FModified = Value;
  if (!Value) FModifiedAfterEnter = false;
}

void TvlCustomEdit::SetModifiedAfterEnter(Boolean Value) {
  FModifiedAfterEnter = Value;
  if (Value) {
    FModified = true;
    FIsEditValidated = false;
  }
}

void TvlCustomEdit::SaveModifiedState() { FPrevModifiedList.push_back({FModified, FModifiedAfterEnter}); }

void TvlCustomEdit::RestoreModifiedState() {
  if (FPrevModifiedList.empty()) return;
  const TvlEditModifiedState s = FPrevModifiedList.back();
  FPrevModifiedList.pop_back();
  FModified = s.Modified;
  FModifiedAfterEnter = s.ModifiedAfterEnter;
}

Boolean TvlCustomEdit::HasChangeHandler() {
  return Assigned(FProperties->OnChange()) || (FRepositoryItem && Assigned(FRepositoryItem->Properties()->OnChange()));
}

Boolean TvlCustomEdit::HasEditValueChangedHandler() {
  return Assigned(FProperties->OnEditValueChanged()) ||
         (FRepositoryItem && Assigned(FRepositoryItem->Properties()->OnEditValueChanged()));
}

void TvlCustomEdit::RaiseChange() {
  if (IsLoading() || IsDestroying()) return;
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  if (HasChangeHandler()) {
    if (AreChangeEventsLocked())
      FChangeEventsCatcher->OnChangeEvent = true;
    else if (FIsInplace) {
      SaveModifiedState();
      Finally restore([&] {
        if (link->Ref) RestoreModifiedState();
      });
      FModified = FModifiedAfterEnter = true;
      FireChange();
    } else
      FireChange();
    if (!link->Ref) return;
  }
  if (!ActiveProperties()->ValueChangeReportedSeparately() && !ActiveProperties()->CanCompareEditValue())
    RaiseEditValueChanged();
}

void TvlCustomEdit::RaiseEditValueChanged() {
  if (IsLoading() || IsDestroying() || !HasEditValueChangedHandler()) return;
  if (AreChangeEventsLocked()) {
    FChangeEventsCatcher->OnEditValueChangedEvent = true;
    return;
  }
  if (FIsInplace) {
    TvlObjectLink* link = vlAddObjectLink(this);
    Finally unlink([&] { vlRemoveObjectLink(link); });
    SaveModifiedState();
    Finally restore([&] {
      if (link->Ref) RestoreModifiedState();
    });
    FModified = FModifiedAfterEnter = true;
    FireEditValueChanged();
  } else
    FireEditValueChanged();
}

void TvlCustomEdit::FireChange() {
  TvlEditRepositoryItem* item = FRepositoryItem;
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  vlCallNotifyEvent(FProperties->OnChange(), this);
  if (link->Ref && item && FRepositoryItem == item) vlCallNotifyEvent(item->Properties()->OnChange(), this);
}

void TvlCustomEdit::FireEditValueChanged() {
  TvlEditRepositoryItem* item = FRepositoryItem;
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  vlCallNotifyEvent(FProperties->OnEditValueChanged(), this);
  if (link->Ref && item && FRepositoryItem == item) vlCallNotifyEvent(item->Properties()->OnEditValueChanged(), this);
}

void TvlCustomEdit::LockChangeEvents(Boolean ALock, Boolean AInvokeChangedOnUnlock) {
  TvlEditChangeEventsCatcher* c = FChangeEventsCatcher;
  if (ALock) {
    if (c->LockCount == 0) c->OnChangeEvent = c->OnEditValueChangedEvent = false;
    ++c->LockCount;
    return;
  }
  if (c->LockCount == 0) return;
  if (--c->LockCount > 0) return;
  if (!AInvokeChangedOnUnlock || IsLoading() || IsDestroying()) return;
  const Boolean change = c->OnChangeEvent, valueChanged = c->OnEditValueChangedEvent;
  c->OnChangeEvent = c->OnEditValueChangedEvent = false;
  TvlObjectLink* link = vlAddObjectLink(this);
  Finally unlink([&] { vlRemoveObjectLink(link); });
  if (change && HasChangeHandler()) FireChange();
  if (link->Ref && valueChanged) FireEditValueChanged();
}

void TvlCustomEdit::Clear() { SetEditValue(EmptyValue()); }

void TvlCustomEdit::Reset() { FDataBinding->Reset(); }

Boolean TvlCustomEdit::CanPostEditValue() { return FDataBinding->CanPostEditorValue(); }

Boolean TvlCustomEdit::DoEditing() {
  if (!EditingPossible()) return false;
  if (FDataBinding->GetModified()) return true;
  if (!ValueCanBeModified()) return false;
  FEditModeSetting = true;
  Finally done([&] { FEditModeSetting = false; });
  Boolean canEdit = true;
  if (FIsInplace) {
    LockEditValueChanging(true);
    Finally unlock([&] { LockEditValueChanging(false); });
    if (Assigned(FOnEditing)) FOnEditing(this, canEdit);
    return canEdit;
  }
  if (FDataBinding->GetEditing()) {
    if (Assigned(FOnEditing)) FOnEditing(this, canEdit);
    if (canEdit) FDataBinding->SetModified();
    return canEdit;
  }
  if (Assigned(FOnEditing)) FOnEditing(this, canEdit);
  if (canEdit) {
    LockEditValueChanging(true);
    Finally unlock([&] { LockEditValueChanging(false); });
    canEdit = FDataBinding->SetEditMode();
  }
  return canEdit;
}

// --- Life on the form -------------------------------------------------------------------------------------------

void TvlCustomEdit::SetParent(TWinControl* AParent) {
  if (FIsJustCreated && AParent) {
    FIsJustCreated = false;
    FDataBinding->UpdateNotConnectedDBEditDisplayValue();
    PropertiesChanged(FProperties);
    FDataBinding->UpdateDisplayValue();
  }
  inherited::SetParent(AParent);
}

void TvlCustomEdit::SetName(const String& NewName) {
  inherited::SetName(NewName);
  if (FDataBinding) FDataBinding->UpdateNotConnectedDBEditDisplayValue();
}

void TvlCustomEdit::ReadState(TReader* Reader) {
  AttachPropertiesHook(false);
  inherited::ReadState(Reader);
}

void TvlCustomEdit::Loaded() {
  FIsFirstSetSize = true;
  inherited::Loaded();
  LockChangeEvents(true);
  LockClick(true);
  {
    Finally unlock([&] {
      LockClick(false);
      LockChangeEvents(false, false);
    });
    FDataBinding->UpdateNotConnectedDBEditDisplayValue();
    ShortRefreshContainer(false);
    if (!FRepositoryItem) AttachPropertiesHook(true);
    PropertiesChanged(ActiveProperties());
    ViewInfo()->Shadow = false;
    StyleChanged(Style());
  }
  FIsFirstSetSize = false;
}

void TvlCustomEdit::CreateHandle() {
  inherited::CreateHandle();
  if (FInnerEdit && InternalFocused() && Focused()) FInnerEdit->SafelySetFocus();
}

void TvlCustomEdit::FocusInnerControl() {
  if (FInnerEdit) FInnerEdit->SafelySetFocus();
}

void TvlCustomEdit::Paint() {
  if (PaintsStoredValue()) {
    PaintWithoutInnerControl(Canvas());
    return;
  }
  inherited::Paint();
}

void TvlCustomEdit::PaintWithoutInnerControl(TvlCanvas* ACanvas) {
  TvlCustomEditViewInfo* vi = CreateFrom(ActiveProperties()->GetViewInfoClass());
  Finally freeInfo([&] { Free(vi); });
  TvlCustomEditViewData* data = MakeViewData();
  Finally freeData([&] { Free(data); });
  vi->Edit = this;
  data->EditValueToDrawValue(ACanvas, FDataBinding->GetStoredValue(), vi);
  const TRect local{0, 0, Width(), Height()};
  data->Calculate(ACanvas, local, TPoint{-1, -1}, vlmbNone, TShiftState{}, vi, false);
  vi->Paint(ACanvas);
  ACanvas->ExcludeClipRect(local);
}

// --- Anchors and automatic sizing ---------------------------------------------------------------------------------

void TvlCustomEdit::CalculateAnchors() {
  if (IsLoading() || ComponentState().Contains(csReading)) return;
  if (UsesAnchorX())
    FAnchorX = ActiveProperties()->Alignment()->Horz() == taCenter ? Left() + (Width() + 1) / 2 : Left() + Width();
  if (UsesAnchorY())
    FAnchorY =
        ActiveProperties()->Alignment()->Vert() == taVCenter ? Top() + (Height() + 1) / 2 : Top() + Height();
}

void TvlCustomEdit::SetAnchorX(Integer Value) {
  FAnchorX = Value;
  UpdateInnerControlBounds();
}

void TvlCustomEdit::SetAnchorY(Integer Value) {
  FAnchorY = Value;
  UpdateInnerControlBounds();
}

void TvlCustomEdit::AutoSizeLimits(TvlEditSizeProperties& AEditSizeProperties) {
  AEditSizeProperties.MaxLineCount = 1;
  AEditSizeProperties.Height = -1;
  AEditSizeProperties.Width = (AutoWidthWanted() && !AutoSizeWithinWidth()) ? INT_MAX : Width();
}

Boolean TvlCustomEdit::MeasureAutoSize(Integer& AWidth, Integer& AHeight) {
  if (!AutoSizingActive()) return false;
  TvlEditSizeProperties limits;
  AutoSizeLimits(limits);
  TvlCustomEditViewData* data = MakeViewData();
  Finally freeData([&] { Free(data); });
  TvlScreenCanvas* canvas = vlGetScreenCanvas();
  Finally dormant([&] { canvas->Dormant(); });
  const TSize size = data->GetEditSize(canvas, EditValue(), limits);
  const TAlign align = Align();
  if (AutoWidthWanted() && align != alTop && align != alBottom && align != alClient && align != alCustom)
    AWidth = size.cx;
  if (align != alLeft && align != alRight && align != alClient && align != alCustom) AHeight = size.cy;
  return true;
}

void TvlCustomEdit::UpdateInnerControlBounds() {
  if (!HandleAllocated() || IsDestroying()) return;
  Integer w = Width(), h = Height();
  if (MeasureAutoSize(w, h)) {
    Integer left = Left(), top = Top();
    if (UsesAnchors() && AutoWidthWanted() && !AutoSizeWithinWidth()) {
      if (!FIsFirstSetSize) CalculateAnchors();
      if (UsesAnchorX() && FAnchorX != kAnchorNotSet)
        left = ActiveProperties()->Alignment()->Horz() == taCenter ? FAnchorX - (w + 1) / 2 : FAnchorX - w;
      if (UsesAnchorY() && FAnchorY != kAnchorNotSet)
        top = ActiveProperties()->Alignment()->Vert() == taVCenter ? FAnchorY - (h + 1) / 2 : FAnchorY - h;
    }
    if (left != Left() || top != Top() || w != Width() || h != Height()) SetBounds(left, top, w, h);
  }
  PlaceInnerControl();
}

void TvlCustomEdit::PlaceInnerControl() { inherited::UpdateInnerControlBounds(); }

Boolean TvlCustomEdit::CanResize(Integer& NewWidth, Integer& NewHeight) {
  if (!inherited::CanResize(NewWidth, NewHeight)) return false;
  if (!IsLoading() && HandleAllocated()) MeasureAutoSize(NewWidth, NewHeight);
  return true;
}

void TvlCustomEdit::WriteAutoSize(Boolean Value) {
  if (FIsInplace || FAutoSize == Value) return;
  FAutoSize = Value;
  AutoSizeChanged();
  if (Value) {
    if (!HandleAllocated() && vlCanAllocateHandle(this)) HandleNeeded();
    UpdateInnerControlBounds();
    ShortRefreshContainer(false);
  }
}

void TvlCustomEdit::ReadAnchorX(TReader* Reader) { SetAnchorX(Reader->ReadInteger()); }
void TvlCustomEdit::ReadAnchorY(TReader* Reader) { SetAnchorY(Reader->ReadInteger()); }

void TvlCustomEdit::WriteAnchorX(TWriter* Writer) {
  CalculateAnchors();
  Writer->WriteInteger(FAnchorX);
}

void TvlCustomEdit::WriteAnchorY(TWriter* Writer) {
  CalculateAnchors();
  Writer->WriteInteger(FAnchorY);
}

// The alignment may have moved or sized the editor: its view follows.
void TvlCustomEdit::RequestAlign() {
  inherited::RequestAlign();
  if (!IsDestroying() && HandleAllocated()) ShortRefreshContainer(false);
}

void TvlCustomEdit::ReadHeight(TReader* Reader) { SetHeight(Reader->ReadInteger()); }
void TvlCustomEdit::ReadWidth(TReader* Reader) { SetWidth(Reader->ReadInteger()); }
void TvlCustomEdit::WriteHeight(TWriter* Writer) { Writer->WriteInteger(Height()); }
void TvlCustomEdit::WriteWidth(TWriter* Writer) { Writer->WriteInteger(Width()); }

void TvlCustomEdit::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  auto* ancestor = dynamic_cast<TvlCustomEdit*>(Filer->Ancestor());
  const Boolean heightStored = !AutoSizingActive() && (!ancestor || ancestor->Height() != Height());
  const Boolean widthStored = !(AutoSizingActive() && AutoWidthWanted() && !AutoSizeWithinWidth()) &&
                              (!ancestor || ancestor->Width() != Width());
  Filer->DefineProperty(u"Height", TReaderProc(this, &TvlCustomEdit::ReadHeight),
                        TWriterProc(this, &TvlCustomEdit::WriteHeight), heightStored);
  Filer->DefineProperty(u"Width", TReaderProc(this, &TvlCustomEdit::ReadWidth),
                        TWriterProc(this, &TvlCustomEdit::WriteWidth), widthStored);
  Filer->DefineProperty(u"AnchorX", TReaderProc(this, &TvlCustomEdit::ReadAnchorX),
                        TWriterProc(this, &TvlCustomEdit::WriteAnchorX), UsesAnchorX());
  Filer->DefineProperty(u"AnchorY", TReaderProc(this, &TvlCustomEdit::ReadAnchorY),
                        TWriterProc(this, &TvlCustomEdit::WriteAnchorY), UsesAnchorY());
}
