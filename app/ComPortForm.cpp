#include "app/ComPortForm.h"

#include "lib/editors/vlButtons.h"
#include "lib/editors/vlComboBox.h"
#include "lib/editors/vlGroupBox.h"
#include "localization/qlLngLnk.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"
#include "serial/ComPort.h"

// Keeps the forms of resources/app linked (made by the build).
void AppResourcesLink();

CL_IMPLEMENT_CLASS_PUBLISHED(TComPortForm, P) {
  P.Field(u"vlGroupBox1", &TComPortForm::vlGroupBox1);
  P.Field(u"ComCombo", &TComPortForm::ComCombo);
  P.Field(u"btOK", &TComPortForm::btOK);
  P.Field(u"qlLangLinked", &TComPortForm::qlLangLinked);
  P.Method(u"ComComboPropertiesChange", &TComPortForm::ComComboPropertiesChange);
}

void TComPortForm::Create(TComponent* AOwner) {
  AppResourcesLink();
  inherited::Create(AOwner);
  // The combo's items are the system's ports, filled when the dialog opens:
  // the stored translation of the resource's four items would replace them
  // on a change of language.
  if (qlLangLinked) {
    TStringList* lines = qlLangLinked->MultiLines();
    const String path = u"ComCombo.Properties.Items" + String(1, qlLangLinked->D());
    for (Integer i = lines->Count() - 1; i >= 0; --i)
      if (SameText(Copy(lines->Strings(i), 1, Length(path)), path)) lines->Delete(i);
  }
}

void TComPortForm::ComComboPropertiesChange(TObject*) {
  // Runs also while the form is read, before the button exists.
  if (btOK && ComCombo) btOK->SetEnabledProp(ComCombo->ItemIndex() >= 0);
}

Boolean TComPortForm::ComPortSec(Byte& APortNumber) {
  TStrings* items = ComCombo->Properties()->Items();
  items->BeginUpdate();
  {
    Finally endUpdate([&] { items->EndUpdate(); });
    items->Clear();
    GetSerialPortNames(items);
    for (Integer i = 0; i < items->Count(); ++i) items->SetStrings(i, Trim(items->Strings(i)));
  }
  ComCombo->SetItemIndex(items->IndexOf(Format(u"COM%d", {Integer(APortNumber)})));
  ComComboPropertiesChange(ComCombo);
  if (ShowModal() != mrOk) return false;
  if (ComCombo->ItemIndex() < 0) return false;
  String text = ComCombo->Text();
  if (const Integer at = Pos(u"COM", text); at > 0) Delete(text, at, 3);
  const Integer number = StrToIntDef(text, APortNumber);
  // A number read from the name that the setting cannot hold (it keeps 8
  // bits) would silently point the program at another port ("COM300" at
  // COM44): the choice is not taken. A name without a number keeps the old
  // one, whatever it is.
  if (number != APortNumber && (number < 1 || number > 255)) return false;
  APortNumber = Byte(number);
  return true;
}

Boolean ShowComPortDialog(Byte& APortNumber) {
  try {
    TComPortForm* form = New<TComPortForm>(static_cast<TComponent*>(nullptr));
    Finally freeForm([&] { Free(form); });
    return form->ComPortSec(APortNumber);
  } catch (const std::exception&) {
    // The port list cannot be read: no message, the number stays.
    return false;
  }
}
