// A form read from tests/localization/SwitchForm.dfm on the headless screen:
// labels, a memo, a list box, a combo box, a button and a localization
// component with Turkish and English lines.
#pragma once

#include <gtest/gtest.h>

#include "localization/qlComp.h"
#include "platform/backend/Headless.h"
#include "platform/vcl/Forms.h"

namespace loc_test {

class TSwitchForm : public TForm {
  CL_CLASS(TSwitchForm, TForm)
};

class SwitchFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  TControl* Control(const char16_t* Name);

  backend::THeadlessBackend Display;
  TSwitchForm* Form{};
  TqlCustomLang* Lang{};
};

}  // namespace loc_test
