// The set-up dialog of the serial-port component: six setting combo boxes
// (port, baud rate, data bits, stop bits, parity, flow control) read from
// the form resource "TComSetupFrm"; "OK" writes all six into the port in
// one update, "Cancel" none.
#pragma once

#include "platform/vcl/Forms.h"

class TButton;
class TGroupBox;
class TLabel;
class TComComboBox;
class TCustomComPort;

class TComSetupFrm : public TForm {
  CL_CLASS(TComSetupFrm, TForm)
 public:
  // Read from the form resource.
  TButton* Button1{};
  TButton* Button2{};
  TGroupBox* GroupBox1{};
  TLabel* Label1{};
  TLabel* Label2{};
  TLabel* Label3{};
  TLabel* Label4{};
  TLabel* Label5{};
  TLabel* Label6{};
  TComComboBox* Combo1{};
  TComComboBox* Combo2{};
  TComComboBox* Combo3{};
  TComComboBox* Combo4{};
  TComComboBox* Combo5{};
  TComComboBox* Combo6{};

  void FormCreate(TObject* Sender);
};

// Shows the dialog modally for the port (TCustomComPort::ShowSetupDialog).
void RunComSetupForm(TCustomComPort* ComPort);
