#include "serial/ComSetup.h"

#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/StdCtrls.h"
#include "serial/ComPortCtl.h"

CL_IMPLEMENT_CLASS_PUBLISHED(TComSetupFrm, P) {
  P.Field(u"Button1", &TComSetupFrm::Button1);
  P.Field(u"Button2", &TComSetupFrm::Button2);
  P.Field(u"GroupBox1", &TComSetupFrm::GroupBox1);
  P.Field(u"Label1", &TComSetupFrm::Label1);
  P.Field(u"Label2", &TComSetupFrm::Label2);
  P.Field(u"Label3", &TComSetupFrm::Label3);
  P.Field(u"Label4", &TComSetupFrm::Label4);
  P.Field(u"Label5", &TComSetupFrm::Label5);
  P.Field(u"Label6", &TComSetupFrm::Label6);
  P.Field(u"Combo1", &TComSetupFrm::Combo1);
  P.Field(u"Combo2", &TComSetupFrm::Combo2);
  P.Field(u"Combo3", &TComSetupFrm::Combo3);
  P.Field(u"Combo4", &TComSetupFrm::Combo4);
  P.Field(u"Combo5", &TComSetupFrm::Combo5);
  P.Field(u"Combo6", &TComSetupFrm::Combo6);
  P.Method(u"FormCreate", &TComSetupFrm::FormCreate);
}

void TComSetupFrm::FormCreate(TObject*) {}

void RunComSetupForm(TCustomComPort* ComPort) {
  TComSetupFrm* form = New<TComSetupFrm>(static_cast<TComponent*>(nullptr));
  Finally freeForm([&] { Free(form); });
  TComComboBox* const combos[] = {form->Combo1, form->Combo2, form->Combo3,
                                  form->Combo4, form->Combo5, form->Combo6};
  for (TComComboBox* combo : combos) combo->SetComPort(ComPort);
  for (TComComboBox* combo : combos) combo->UpdateSettings();
  if (form->ShowModal() != mrOk) return;
  // A port freed while the dialog was open (its owner closed from a timer
  // or an event) has unlinked the combo boxes through their free
  // notification: there is nothing left to apply.
  if (form->Combo1->ComPort() != ComPort) return;
  ComPort->BeginUpdate();
  // The update ends also when a setting fails (a port that cannot open
  // under its new name), so that later changes still reach the port.
  Finally endUpdate([&] { ComPort->EndUpdate(); });
  for (TComComboBox* combo : combos) combo->ApplySettings();
}
