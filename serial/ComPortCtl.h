// The setting controls of the serial-port component: TComComboBox, a
// drop-down list that edits one setting of a linked port, and TComSelect,
// the logic behind it (which list it shows, the value picked, and writing
// that value into the port). The unit also holds the lamp font and the
// names of the lamp bitmaps (resources LEDREDON ... LEDBULBOFF, CPORTLIB).
//
// Contract of TComComboBox: the operator picks an item; the pick becomes the
// pending value of the bound setting (AutoApply writes it into the port at
// once, otherwise ApplySettings does); linking a port or choosing the
// setting selects the port's current value. Items and selection changed by
// code run no change event.
#pragma once

#include "platform/classes/TypInfo.h"
#include "platform/vcl/StdCtrls.h"
#include "serial/ComPort.h"

class TFont;

// The setting a combo box edits.
CL_ENUM(TComProperty, Byte, cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl)

// One combo box's pending value, its list, and the port it writes to.
class TComSelect : public TObject {
  CL_CLASS(TComSelect, TObject)
 public:
  // Refills Items: the system's ports, the text table of the setting, or
  // nothing for cpNone.
  void SetComProperty(TComProperty Value);
  // The text picked becomes the pending value (through the text lookup, so
  // an unknown text takes its default); with AutoApply it is applied.
  void Change(const String& Text);
  // Writes the pending value into the linked port, when there is one.
  void ApplySettings();
  // With a linked port and a setting: the index in Items of the port's
  // current value (-1 when absent), which also becomes the pending value.
  // Otherwise ItemIndex is left as it was.
  void UpdateSettings(Integer& ItemIndex);

  TComProperty ComProperty() const { return FComProperty; }
  TCustomComPort* ComPort() const { return FComPort; }
  void SetComPort(TCustomComPort* Value) { FComPort = Value; }
  Boolean AutoApply() const { return FAutoApply; }
  void SetAutoApply(Boolean Value) { FAutoApply = Value; }
  // The combo box's item list, shared (not owned).
  TStrings* Items() const { return FItems; }
  void SetItems(TStrings* Value) { FItems = Value; }

  // The pending values.
  const String& Port() const { return FPort; }
  TBaudRate BaudRate() const { return FBaudRate; }
  TDataBits DataBits() const { return FDataBits; }
  TStopBits StopBits() const { return FStopBits; }
  TParityBits Parity() const { return FParity; }
  TFlowControl FlowControl() const { return FFlowControl; }
  // Whether there is a pending value to apply: one picked, or the port's own
  // found in the list.
  Boolean HasValue() const { return FHasValue; }

 private:
  void StoreValue(const String& Text);
  String PortValueText() const;

  String FPort;
  TBaudRate FBaudRate{};
  TDataBits FDataBits{};
  TStopBits FStopBits{};
  TParityBits FParity{};
  TFlowControl FFlowControl{};
  Boolean FHasValue{};
  TStrings* FItems{};
  TComProperty FComProperty{};
  TCustomComPort* FComPort{};
  Boolean FAutoApply{};
};

// A drop-down list bound to one setting of a port.
class TComComboBox : public TCustomComboBox {
  CL_CLASS(TComComboBox, TCustomComboBox)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // Writes the pending value into the linked port.
  void ApplySettings();
  // Selects the port's current value (see TComSelect::UpdateSettings).
  void UpdateSettings();

  TCustomComPort* ComPort() const { return FComSelect->ComPort(); }
  void SetComPort(TCustomComPort* Value);
  TComProperty ComProperty() const { return FComSelect->ComProperty(); }
  void SetComProperty(TComProperty Value);
  Boolean AutoApply() const { return FComSelect->AutoApply(); }
  void SetAutoApply(Boolean Value) { FComSelect->SetAutoApply(Value); }
  TComSelect* ComSelect() const { return FComSelect; }

 protected:
  // The operator's pick goes to the TComSelect, then OnChange fires.
  void Change() override;
  // Selects the item of that text; a text that is no item changes nothing.
  void SetText(const TCaption& Value) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TComSelect* FComSelect{};
};

// The lamp font: "Fixedsys", white, 9 points; made by the unit's start-up
// step, freed by its shut-down step (nil outside them).
TFont* ComLedFont();

// The lamp bitmaps, lit and dark, by colour: red, green, blue, yellow,
// purple, bulb; the seventh name is empty.
extern const char16_t* const LedBitmapsOn[7];
extern const char16_t* const LedBitmapsOff[7];
