// The translated message dialogs of the localization component: the classes
// the dialogs are built from (a program may point them to descendants of its
// own), the dialog's helper component and the average character size.
#pragma once

#include "platform/classes/Classes.h"
#include "platform/rtl/Geometry.h"
#include "platform/vcl/Controls.h"

class TForm;
class TCustomLabel;
class TCustomEdit;
class TButton;
class TCanvas;

// Set at start-up to the platform's form, label, edit and push button.
extern TClassOf<TForm> MessageDlgFormClass;
extern TClassOf<TControl> MessageDlgLabelClass;
extern TClassOf<TWinControl> MessageDlgEditClass;
extern TClassOf<TWinControl> MessageDlgButtonClass;

// The width (div 52) and height of the letters "A" to "Z" and "a" to "z" in
// the canvas's font.
TSize GetAveCharSize(TCanvas* Canvas);

// The helper of a translated message dialog, owned by the dialog form:
// Control+C puts the dialog's text on the clipboard, the Help button shows
// the form's help topic.
class TMessageForm : public TComponent {
  CL_CLASS(TMessageForm, TComponent)
 public:
  TForm* MessageForm{};

  // Attached to the form's OnKeyDown.
  void CustomKeyDown(TObject* Sender, Word& Key, TShiftState Shift);
  void HelpButtonClick(TObject* Sender);
  // The text Control+C copies: dashes, the caption, dashes, the message,
  // dashes, the push buttons' captions each followed by a tab, dashes.
  String GetFormText();
};
