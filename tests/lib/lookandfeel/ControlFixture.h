// The fixture of the control-base tests: a headless screen, one form shown
// at a fixed place, the manual clock, and the forms and controls a test
// makes freed at tear-down.
#pragma once

#include <gtest/gtest.h>

#include "platform/backend/Headless.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Backend.h"
#include "platform/win/Windows.h"
#include "tests/support/InjectedInput.h"

namespace controltest {

class ControlFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    win::SetManualClock(true);
    Display.MouseMove(1270, 1010);
    Form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
    Form->SetPosition(poDesigned);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(100, 100, 400, 300);
    Form->SetColor(clWhite);
    Form->Show();
    Pump();
  }
  void TearDown() override {
    FreeAndNil(Form);
    Screen->SetCursor(crDefault);
    testing_support::ReleaseInjectedInput();
    win::SetManualClock(false);
  }
  void Pump() { Application->ProcessMessages(); }
  // Advances the manual clock in steps of 10 ms, pumping after each.
  void Wait(win::DWORD Milliseconds) {
    for (win::DWORD t = 0; t < Milliseconds; t += 10) {
      win::AdvanceManualClock(10);
      Pump();
    }
  }
  // A control of class T on the form.
  template <class T>
  T* Add(int Left, int Top, int Width, int Height, TWinControl* AParent = nullptr) {
    T* c = New<T>(static_cast<TComponent*>(Form));
    c->SetBounds(Left, Top, Width, Height);
    c->SetParent(AParent ? AParent : Form);
    return c;
  }
  // A screen point of a control's client point.
  static TPoint At(TControl* C, int X, int Y) { return C->ClientToScreen(TPoint{X, Y}); }
  void MoveTo(TControl* C, int X, int Y) {
    TPoint p = At(C, X, Y);
    Display.MouseMove(p.X, p.Y);
    Pump();
  }
  void ClickAt(TControl* C, int X, int Y) {
    TPoint p = At(C, X, Y);
    Display.Click(p.X, p.Y);
    Pump();
  }

  backend::THeadlessBackend Display;
  TForm* Form{};
};

}  // namespace controltest
