#include "serial/ComPortCtl.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/vcl/Graphics.h"

// The lamp bitmaps and the form of the set-up dialog, embedded with this
// library (resources/serial); calling it keeps them linked.
void ComPortResourcesLink();

// --- Module data ------------------------------------------------------------------------

const char16_t* const LedBitmapsOn[7] = {u"LEDREDON",    u"LEDGREENON", u"LEDBLUEON", u"LEDYELLOWON",
                                         u"LEDPURPLEON", u"LEDBULBON",  u""};
const char16_t* const LedBitmapsOff[7] = {u"LEDREDOFF",    u"LEDGREENOFF", u"LEDBLUEOFF", u"LEDYELLOWOFF",
                                          u"LEDPURPLEOFF", u"LEDBULBOFF",  u""};

namespace {

TFont* LedFont = nullptr;

void ComPortCtlStartup() {
  ComPortResourcesLink();
  LedFont = New<TFont>();
  LedFont->SetName(u"Fixedsys");
  LedFont->SetColor(clWhite);
  LedFont->SetSize(9);
  RegisterClass(TComComboBox::StaticClass());
}

void ComPortCtlShutdown() {
  UnRegisterClass(TComComboBox::StaticClass());
  FreeAndNil(LedFont);
}

// The text tables in their enumerations' order.
template <class E>
void AddTexts(TStrings* Items, E Last, String (*Text)(E)) {
  for (Integer i = 0; i <= Integer(Last); ++i) Items->Add(Text(E(i)));
}

}  // namespace

CL_UNIT_STEPS(ComPortCtl, &ComPortCtlStartup, &ComPortCtlShutdown);

TFont* ComLedFont() { return LedFont; }

// --- TComSelect -------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TComSelect)

void TComSelect::SetComProperty(TComProperty Value) {
  FComProperty = Value;
  FHasValue = false;
  if (Value == cpPort) {
    GetSerialPortNames(FItems);  // replaces the list
    return;
  }
  FItems->BeginUpdate();
  Finally endUpdate([&] { FItems->EndUpdate(); });
  FItems->Clear();
  switch (Value) {
    case cpBaudRate: AddTexts(FItems, br256000, &BaudRateText); break;
    case cpDataBits: AddTexts(FItems, dbEight, &DataBitsText); break;
    case cpStopBits: AddTexts(FItems, sbTwoStopBits, &StopBitsText); break;
    case cpParity: AddTexts(FItems, prSpace, &ParityText); break;
    case cpFlowControl: AddTexts(FItems, fcCustom, &FlowControlText); break;
    case cpNone:
    case cpPort: break;
  }
}

void TComSelect::StoreValue(const String& Text) {
  switch (FComProperty) {
    case cpPort: FPort = Text; break;
    case cpBaudRate: FBaudRate = BaudRateFromText(Text); break;
    case cpDataBits: FDataBits = DataBitsFromText(Text); break;
    case cpStopBits: FStopBits = StopBitsFromText(Text); break;
    case cpParity: FParity = ParityFromText(Text); break;
    case cpFlowControl: FFlowControl = FlowControlFromText(Text); break;
    case cpNone: return;
  }
  FHasValue = true;
}

void TComSelect::Change(const String& Text) {
  StoreValue(Text);
  if (FAutoApply) ApplySettings();
}

// Only a value picked or taken from the port is written: a port whose
// current value is not listed (a port name the system does not know) keeps
// it, instead of taking the empty name.
void TComSelect::ApplySettings() {
  if (!FComPort || !FHasValue) return;
  switch (FComProperty) {
    case cpPort: FComPort->SetPort(FPort); break;
    case cpBaudRate: FComPort->SetBaudRate(FBaudRate); break;
    case cpDataBits: FComPort->SetDataBits(FDataBits); break;
    case cpStopBits: FComPort->SetStopBits(FStopBits); break;
    case cpParity: FComPort->Parity()->SetBits(FParity); break;
    case cpFlowControl: FComPort->FlowControl()->SetFlowControl(FFlowControl); break;
    case cpNone: break;
  }
}

String TComSelect::PortValueText() const {
  switch (FComProperty) {
    case cpPort: return FComPort->Port();
    case cpBaudRate: return BaudRateText(FComPort->BaudRate());
    case cpDataBits: return DataBitsText(FComPort->DataBits());
    case cpStopBits: return StopBitsText(FComPort->StopBits());
    case cpParity: return ParityText(FComPort->Parity()->Bits());
    case cpFlowControl: return FlowControlText(FComPort->FlowControl()->FlowControl());
    case cpNone: break;
  }
  return String();
}

void TComSelect::UpdateSettings(Integer& ItemIndex) {
  if (!FComPort || FComProperty == cpNone) return;
  ItemIndex = FItems->IndexOf(PortValueText());
  if (ItemIndex >= 0)
    StoreValue(FItems->Strings(ItemIndex));
  else
    FHasValue = false;
}

// --- TComComboBox -----------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TComComboBox, P) {
  P.Property(u"ComPort", &TComComboBox::ComPort, &TComComboBox::SetComPort);
  P.Property(u"ComProperty", &TComComboBox::ComProperty, &TComComboBox::SetComProperty).Default(cpNone);
  P.Property(u"AutoApply", &TComComboBox::AutoApply, &TComComboBox::SetAutoApply).Default(false);
  P.Property(u"Text", &TControl::Text, &TControl::SetTextProp);
  PublishControlProperties(P, {u"Anchors", u"BiDiMode", u"Color", u"Constraints", u"Ctl3D", u"DragCursor",
                               u"DragKind", u"DragMode"});
  P.Property(u"DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount).Default(8);
  PublishControlProperties(P, {u"Enabled", u"Font"});
  P.Property(u"ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight).Default(16);
  P.Property(u"ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
  PublishControlProperties(P, {u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D", u"ParentFont",
                               u"ParentShowHint", u"PopupMenu", u"ShowHint", u"TabOrder", u"TabStop",
                               u"Visible"});
  P.Property(u"OnChange", &TCustomComboBox::OnChange, &TCustomComboBox::SetOnChange);
  PublishControlProperties(P, {u"OnClick"});
  P.Property(u"OnCloseUp", &TCustomComboBox::OnCloseUp, &TCustomComboBox::SetOnCloseUp);
  PublishControlProperties(P, {u"OnContextPopup", u"OnDblClick", u"OnDragDrop", u"OnDragOver"});
  P.Property(u"OnDropDown", &TCustomComboBox::OnDropDown, &TCustomComboBox::SetOnDropDown);
  PublishControlProperties(P, {u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp"});
  P.Property(u"OnSelect", &TCustomComboBox::OnSelect, &TCustomComboBox::SetOnSelect);
  PublishControlProperties(P, {u"OnStartDrag"});
}

void TComComboBox::Create(TComponent* AOwner) {
  FComSelect = New<TComSelect>();
  inherited::Create(AOwner);
  FComSelect->SetItems(Items());
  SetStyle(csDropDownList);
}

void TComComboBox::Destroy() {
  inherited::Destroy();
  FreeAndNil(FComSelect);
}

void TComComboBox::SetComPort(TCustomComPort* Value) {
  TCustomComPort* old = FComSelect->ComPort();
  if (Value == old) return;
  if (old) old->RemoveFreeNotification(this);
  FComSelect->SetComPort(Value);
  if (Value) {
    Value->FreeNotification(this);
    UpdateSettings();
  }
}

void TComComboBox::SetComProperty(TComProperty Value) {
  FComSelect->SetComProperty(Value);
  if (Items()->Count() == 0) return;
  if (!FComSelect->ComPort())
    SetItemIndex(0);
  else
    UpdateSettings();
}

void TComComboBox::ApplySettings() { FComSelect->ApplySettings(); }

void TComComboBox::UpdateSettings() {
  Integer index = ItemIndex();
  FComSelect->UpdateSettings(index);
  SetItemIndex(index);
}

void TComComboBox::Change() {
  FComSelect->Change(Text());
  inherited::Change();
}

void TComComboBox::SetText(const TCaption& Value) {
  Integer index = Items()->IndexOf(Value);
  if (index >= 0) SetItemIndex(index);
}

void TComComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove || !FComSelect || AComponent != FComSelect->ComPort()) return;
  FComSelect->SetComPort(nullptr);
  if (Items()->Count() > 0) SetItemIndex(0);
}
