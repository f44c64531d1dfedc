// In-place editing: activation of an editor over a cell, the messages that
// replay the activating key or click, and the cache of in-place editors.
#include <algorithm>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditRepository.h"
#include "lib/foundation/vlClasses.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "platform/rtl/Finally.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

// Every live in-place editor list; made with the first list, freed with the last.
std::vector<TvlInplaceEditList*>* gInplaceEditLists = nullptr;

WPARAM KeysOfShift(TShiftState AShift) {
  WPARAM keys = 0;
  if (AShift.Contains(ssShift)) keys |= MK_SHIFT;
  if (AShift.Contains(ssCtrl)) keys |= MK_CONTROL;
  if (AShift.Contains(ssLeft)) keys |= MK_LBUTTON;
  if (AShift.Contains(ssRight)) keys |= MK_RBUTTON;
  if (AShift.Contains(ssMiddle)) keys |= MK_MBUTTON;
  return keys;
}

}  // namespace

// --- Sending messages -------------------------------------------------------------------------------------

void vlSendMouseMessage(TWinControl* AReceiver, UINT AMessage, TShiftState AShift, const TPoint& APoint) {
  SendMessageW(AReceiver->Handle(), AMessage, KeysOfShift(AShift), MAKELPARAM(WORD(APoint.X), WORD(APoint.Y)));
}

void vlSendKeyMessage(TWinControl* AReceiver, UINT AMessage, Word AKey, TShiftState) {
  SendMessageW(AReceiver->Handle(), AMessage, WPARAM(AKey), 0);
}

void vlSendKeyDownMessage(TWinControl* AReceiver, Word AKey, TShiftState AShift) {
  vlSendKeyMessage(AReceiver, WM_KEYDOWN, AKey, AShift);
}

void vlSendCharMessage(TWinControl* AReceiver, Word AKey) { vlSendKeyMessage(AReceiver, WM_CHAR, AKey, TShiftState{}); }

Boolean vlSelectInplaceEditProperties(TvlCustomEditProperties* AOwnProperties, TvlEditRepositoryItem* ARepositoryItem,
                                      TvlCustomEditProperties*& AProperties) {
  const Boolean result = AOwnProperties && ARepositoryItem && AProperties == ARepositoryItem->Properties() &&
                         AProperties->InheritsFrom(AOwnProperties->ClassType());
  if (result) AProperties = AOwnProperties;
  return result;
}

// --- Activation ---------------------------------------------------------------------------------------------

void TvlCustomEdit::Activate(TvlCustomEditData*& AEditData) {
  if (!AEditData && EditDataClass()) AEditData = CreateFrom(EditDataClass(), this);
  FEditData = AEditData;
  if (FEditData && FEditData->FCleared) {
    ApplyClearedEditData(FEditData);
    FEditData->FCleared = false;
  }
  SetVisible(true);
  if (HandleAllocated() && CanFocus()) {
    SetFocus();
    if (ActiveProperties()->AutoSelect()) SelectAll();
  }
  SynchronizeDisplayValue();
  SetEditModified(false);
  InplaceParams.MultiRowParent = true;
}

void TvlCustomEdit::ActivateByKey(Char AKey, TvlCustomEditData*& AEditData) {
  // OnEnter or a key handler may free the editor.
  TvlObjectLinkScope alive(this);
  HookInnerEditWindow();
  Finally unhook([&] {
    if (alive.Alive()) UnhookInnerEditWindow();
  });
  Activate(AEditData);
  if (alive.Alive() && ShouldReplayActivationKey(Word(AKey))) vlSendCharMessage(this, Word(AKey));
}

void TvlCustomEdit::ActivateByMouse(TShiftState AShift, Integer AX, Integer AY, TvlCustomEditData*& AEditData) {
  // OnEnter or the replayed click (a button's click handler) may free the editor.
  TvlObjectLinkScope alive(this);
  Activate(AEditData);
  if (!alive.Alive()) return;
  TPoint p{AX, AY};
  if (Parent()) p = ScreenToClient(Parent()->ClientToScreen(p));
  if (AShift.Contains(ssLeft)) {
    vlSendMouseMessage(this, WM_MOUSEMOVE, TShiftState{}, p);
    if (!alive.Alive()) return;
    vlSendMouseMessage(this, WM_LBUTTONDOWN, AShift, p);
    if (!alive.Alive()) return;
    // The button was released before the press reached the editor: no capture stays behind.
    if (HandleAllocated() && GetCapture() == WindowHandle() && GetAsyncKeyState(VK_LBUTTON) >= 0) ReleaseCapture();
  } else {
    vlSendMouseMessage(this, WM_LBUTTONUP, AShift, p);
    if (!alive.Alive()) return;
  }
  FDblClickTimer->SetEnabled(true);
}

Boolean TvlCustomEdit::Deactivate() {
  FDblClickTimer->SetEnabled(false);
  FKeyboardAction = false;
  // A validation handler may free the editor (with its list): then editing did not end here.
  TvlObjectLinkScope alive(this);
  if (!ValidateEdit(true) || !alive.Alive()) return false;
  SynchronizeDisplayValue();
  FIsEditValidated = true;
  return true;
}

void TvlCustomEdit::HookInnerEditWindow() {
  if (!FInnerEdit || FInnerEditHooked) return;
  TWinControl* inner = FInnerEdit->GetControl();
  FSavedInnerEditWndProc = inner->WindowProc();
  inner->SetWindowProc(TWndMethod(this, &TvlCustomEdit::InnerEditHookWndProc));
  FInnerEditHooked = true;
}

void TvlCustomEdit::UnhookInnerEditWindow() {
  if (!FInnerEditHooked) return;
  FInnerEditHooked = false;
  if (FInnerEdit) FInnerEdit->GetControl()->SetWindowProc(FSavedInnerEditWndProc);
  FSavedInnerEditWndProc = TWndMethod();
}

void TvlCustomEdit::InnerEditHookWndProc(TMessage& Message) {
  // While the activating key is replayed the inner control's own window
  // procedure handles everything, as typed into it; the notifications it
  // sends back (its change among them) still reach the control, so the
  // editor learns of the text the key made.
  if (Message.Msg >= CN_BASE && FSavedInnerEditWndProc)
    FSavedInnerEditWndProc(Message);
  else if (FInnerEdit)
    FInnerEdit->CallDefWndProc(Message);
  else if (FSavedInnerEditWndProc)
    FSavedInnerEditWndProc(Message);
}

// --- TvlInplaceEditList ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlInplaceEditList)

void TvlInplaceEditList::Create(TComponent* AEditorOwner) {
  inherited::Create();
  FEditorOwner = AEditorOwner;
  if (!gInplaceEditLists) gInplaceEditLists = new std::vector<TvlInplaceEditList*>();
  gInplaceEditLists->push_back(this);
}

void TvlInplaceEditList::Destroy() {
  while (!FItems.empty()) RemoveAt(0);
  if (gInplaceEditLists) {
    auto it = std::find(gInplaceEditLists->begin(), gInplaceEditLists->end(), this);
    if (it != gInplaceEditLists->end()) gInplaceEditLists->erase(it);
    if (gInplaceEditLists->empty()) {
      delete gInplaceEditLists;
      gInplaceEditLists = nullptr;
    }
  }
  inherited::Destroy();
}

Integer TvlInplaceEditList::FindItem(TvlCustomEditProperties* AProperties, Boolean AReuse) {
  if (!AProperties) return -1;  // nil is the mark of a free item, not properties
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Properties == AProperties) return Integer(i);
  if (!AReuse) return -1;
  const Integer free = FindFreeItem(TvlCustomEditPropertiesClass(AProperties->ClassType()));
  if (free >= 0) FItems[size_t(free)].Properties = AProperties;
  return free;
}

Integer TvlInplaceEditList::FindFreeItem(TvlCustomEditPropertiesClass APropertiesClass) {
  TClass editClass = APropertiesClass->GetContainerClass().Class();
  for (size_t i = 0; i < FItems.size(); ++i)
    if (!FItems[i].Properties && FItems[i].Edit->ClassType() == editClass) return Integer(i);
  return -1;
}

TvlCustomEdit* TvlInplaceEditList::CreateEdit(TvlCustomEditPropertiesClass APropertiesClass) {
  TvlCustomEdit* edit =
      CreateFrom(APropertiesClass->GetContainerClass(),
                 static_cast<void (TvlCustomEdit::*)(TComponent*, Boolean)>(&TvlCustomEdit::Create), FEditorOwner, true);
  edit->SetVisible(false);
  return edit;
}

TvlCustomEdit* TvlInplaceEditList::GetEdit(TvlCustomEditProperties* AProperties) {
  Integer index = FindItem(AProperties, true);
  if (index < 0) {
    FItems.push_back({CreateEdit(TvlCustomEditPropertiesClass(AProperties->ClassType())), AProperties});
    index = Integer(FItems.size()) - 1;
  }
  TvlCustomEdit* edit = FItems[size_t(index)].Edit;
  edit->LockChangeEvents(true);
  Finally unlock([&] { edit->LockChangeEvents(false, false); });
  edit->Properties()->Assign(AProperties);
  return edit;
}

TvlCustomEdit* TvlInplaceEditList::GetEdit(TvlCustomEditPropertiesClass APropertiesClass) {
  const Integer index = FindFreeItem(APropertiesClass);
  if (index >= 0) return FItems[size_t(index)].Edit;
  FItems.push_back({CreateEdit(APropertiesClass), nullptr});
  return FItems.back().Edit;
}

TvlCustomEdit* TvlInplaceEditList::FindEdit(TvlCustomEditProperties* AProperties) {
  const Integer index = FindItem(AProperties, true);
  return index < 0 ? nullptr : FItems[size_t(index)].Edit;
}

TvlCustomEdit* TvlInplaceEditList::FindEdit(TvlCustomEditPropertiesClass APropertiesClass) {
  const Integer index = FindFreeItem(APropertiesClass);
  return index < 0 ? nullptr : FItems[size_t(index)].Edit;
}

void TvlInplaceEditList::RemoveAt(Integer AIndex) {
  TvlCustomEdit* edit = FItems[size_t(AIndex)].Edit;
  FItems.erase(FItems.begin() + AIndex);
  edit->SetParent(nullptr);
  Free(edit);
}

void TvlInplaceEditList::RemoveItem(TvlCustomEditProperties* AProperties) {
  const Integer index = FindItem(AProperties, false);
  if (index >= 0) RemoveAt(index);
}

void TvlInplaceEditList::RemoveItem(TvlCustomEditPropertiesClass APropertiesClass) {
  for (Integer index = FindFreeItem(APropertiesClass); index >= 0; index = FindFreeItem(APropertiesClass))
    RemoveAt(index);
}

void TvlInplaceEditList::DisconnectProperties(TvlCustomEditProperties* AProperties) {
  const Integer index = FindItem(AProperties, false);
  if (index >= 0) FItems[size_t(index)].Properties = nullptr;
}

void vlDisconnectPropertiesFromInplaceEditLists(TvlCustomEditProperties* AProperties) {
  if (!gInplaceEditLists) return;
  for (TvlInplaceEditList* list : *gInplaceEditLists) list->DisconnectProperties(AProperties);
}
