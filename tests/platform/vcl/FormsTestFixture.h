// The fixture of the forms and dialog tests: a headless screen, forms that
// the test frees at the end, and a helper that answers the next modal window
// (a message box or a dialog form) with injected keys from inside its loop.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/backend/Headless.h"
#include "platform/vcl/Forms.h"

namespace formstest {

class TFormsWatch;

// Runs a step from inside whatever message loop is running: Post queues it
// as a message to a hidden window. Until(Ready) re-posts itself until Ready
// holds (at most a bounded number of rounds), then runs the step.
class TLoopStep {
 public:
  TLoopStep();
  ~TLoopStep();
  void Post(std::function<void()> Step, std::function<bool()> Ready = nullptr);
  // Whether the step ran.
  bool Ran() const { return FRan; }

 private:
  void WndProc(TMessage& Message);
  win::HWND FWnd{};
  std::function<void()> FStep;
  std::function<bool()> FReady;
  int FRounds = 0;
  bool FRan = false;
};

class FormsFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A form of class T made with CreateNew, freed at tear-down unless the
  // test freed it (Release, caFree).
  template <class T = TForm>
  T* MakeForm(int Left, int Top, int Width, int Height) {
    T* f = NewBy<T>(&T::CreateNew, static_cast<TComponent*>(nullptr), 0);
    f->SetPosition(poDesigned);
    f->SetBounds(Left, Top, Width, Height);
    Track(f);
    return f;
  }
  void Track(TComponent* C);
  // Whether a tracked component still lives.
  bool Alive(TComponent* C) const;
  // Dispatches through the application until the queue is empty.
  void Pump() { Application->ProcessMessages(); }
  // Answers the next window that becomes active (another than the active one
  // now) with the keys, pressed in turn.
  void AnswerNextWindow(std::vector<win::UINT> Keys);
  // The caption of the window the last AnswerNextWindow answered.
  String AnsweredCaption() const { return FAnsweredCaption; }
  bool Answered() const { return FAnswer && FAnswer->Ran(); }

  backend::THeadlessBackend Display;

 private:
  TFormsWatch* FWatch{};
  std::unique_ptr<TLoopStep> FAnswer;
  String FAnsweredCaption;
};

}  // namespace formstest
