// The linked localization component: a TqlCustomLang that keeps no dialog
// captions or locale items of its own but copies them, at run time, from
// another localization component, its CommonContainer (for instance the one
// on the main form), so that these common texts live in one place. Its
// DlgsCaptions and Locales are not published, so they are never stored.
#pragma once

#include "localization/qlComp.h"

class TqlLangLinked : public TqlCustomLang {
  CL_CLASS(TqlLangLinked, TqlCustomLang)
 public:
  void Create(TComponent* AOwner) override;
  // After the inherited completion: at design time the dialog captions and
  // locales are emptied; at run time they are copied from the container,
  // with its delimiter replaced by this component's.
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TqlCustomLang* CommonContainer() const { return FCommonContainer; }
  // Ignored for the current container and for the component itself;
  // otherwise copies the container's lists at once (unless loading).
  void SetCommonContainer(TqlCustomLang* Value);

 private:
  TqlCustomLang* FCommonContainer{};
};
