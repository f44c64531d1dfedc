// The port-choice dialog: the operator picks the card loader's serial port
// from the ports the system lists. Read from the form resource
// "TComPortForm" (resources/app/ComPortForm.dfm).
#pragma once

#include "platform/vcl/Forms.h"

class TvlGroupBox;
class TvlComboBox;
class TvlButton;
class TqlLangLinked;

class TComPortForm : public TForm {
  CL_CLASS(TComPortForm, TForm)
 public:
  // Read from the form resource.
  TvlGroupBox* vlGroupBox1{};
  TvlComboBox* ComCombo{};
  TvlButton* btOK{};
  TqlLangLinked* qlLangLinked{};

  void Create(TComponent* AOwner) override;

  // Fills the list with the system's serial ports, selects "COM<number>",
  // shows the dialog modally and, when the operator confirmed a port with
  // OK, takes the port's number from its name. True when a port was
  // confirmed. The system's port list that cannot be read raises.
  Boolean ComPortSec(Byte& APortNumber);
  // OK is enabled exactly while an item is selected.
  void ComComboPropertiesChange(TObject* Sender);
};

// Runs the dialog on the port number (the main window's menu command).
// False, with the number unchanged, when the operator closed the dialog
// otherwise than with OK or the dialog failed (the port list cannot be read).
Boolean ShowComPortDialog(Byte& APortNumber);
