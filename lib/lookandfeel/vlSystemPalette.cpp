#include "lib/lookandfeel/vlSystemPalette.h"

#include <algorithm>
#include <vector>

#include "lib/lookandfeel/nbOffice11.h"
#include "platform/classes/Lists.h"
#include "platform/vcl/Controls.h"
#include "platform/win/Windows.h"

CL_IMPLEMENT_CLASS(TvlSystemPaletteChangedNotifier)

namespace {

class TvlSystemPaletteChangedListener : public TObject {
  CL_CLASS(TvlSystemPaletteChangedListener, TObject)
 public:
  void Create();
  void Destroy() override;
  void Add(TvlSystemPaletteChangedNotifier* ANotifier);
  void Remove(TvlSystemPaletteChangedNotifier* ANotifier);
  Boolean Empty() const { return FNotifierList.empty() && FPrimaryNotifierList.empty(); }
  win::HWND WindowHandle() const { return FWindowHandle; }

 private:
  void WndProc(TMessage& Message);
  // Calls the notifiers of the list from the last to the first; one freed
  // by an earlier one is not called.
  void Notify(const std::vector<TvlSystemPaletteChangedNotifier*>& AList);

  std::vector<TvlSystemPaletteChangedNotifier*> FNotifierList;
  std::vector<TvlSystemPaletteChangedNotifier*> FPrimaryNotifierList;
  win::HWND FWindowHandle{};
};
CL_IMPLEMENT_CLASS(TvlSystemPaletteChangedListener)

TvlSystemPaletteChangedListener* Listener = nullptr;

void TvlSystemPaletteChangedListener::Create() {
  inherited::Create();
  nbAcquireOffice11Colors();
  FWindowHandle = win::AllocateHWnd(TWndMethod(this, &TvlSystemPaletteChangedListener::WndProc));
}

void TvlSystemPaletteChangedListener::Destroy() {
  FNotifierList.clear();
  FPrimaryNotifierList.clear();
  if (FWindowHandle) win::DeallocateHWnd(FWindowHandle);
  FWindowHandle = nullptr;
  nbDropOffice11Colors();
  inherited::Destroy();
}

void TvlSystemPaletteChangedListener::Add(TvlSystemPaletteChangedNotifier* ANotifier) {
  (ANotifier->IsPrimary() ? FPrimaryNotifierList : FNotifierList).push_back(ANotifier);
}

void TvlSystemPaletteChangedListener::Remove(TvlSystemPaletteChangedNotifier* ANotifier) {
  for (auto* list : {&FPrimaryNotifierList, &FNotifierList}) {
    auto it = std::find(list->begin(), list->end(), ANotifier);
    if (it != list->end()) list->erase(it);
  }
}

void TvlSystemPaletteChangedListener::Notify(const std::vector<TvlSystemPaletteChangedNotifier*>& AList) {
  // A copy: a handler may free notifiers (the last one frees this listener).
  const std::vector<TvlSystemPaletteChangedNotifier*> snapshot = AList;
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    if (!Listener) return;
    const auto& primary = Listener->FPrimaryNotifierList;
    const auto& other = Listener->FNotifierList;
    if (std::find(primary.begin(), primary.end(), *it) == primary.end() &&
        std::find(other.begin(), other.end(), *it) == other.end())
      continue;
    (*it)->FireChanged();
  }
}

void TvlSystemPaletteChangedListener::WndProc(TMessage& Message) {
  const win::HWND wnd = FWindowHandle;
  if (Message.Msg == win::WM_SYSCOLORCHANGE) {
    HandleExceptionsOf(nullptr, [&] {
      nbReloadOffice11Colors();
      Notify(FPrimaryNotifierList);
      if (Listener == this) Notify(FNotifierList);
    });
  }
  Message.Result = win::DefWindowProcW(wnd, Message.Msg, Message.WParam, Message.LParam);
}

}  // namespace

void TvlSystemPaletteChangedNotifier::Create(Boolean AIsPrimary) {
  inherited::Create();
  FIsPrimary = AIsPrimary;
  if (!Listener) Listener = New<TvlSystemPaletteChangedListener>();
  Listener->Add(this);
}

void TvlSystemPaletteChangedNotifier::Destroy() {
  if (Listener) {
    Listener->Remove(this);
    if (Listener->Empty()) FreeAndNil(Listener);
  }
  inherited::Destroy();
}

void TvlSystemPaletteChangedNotifier::FireChanged() {
  if (FOnSystemPaletteChanged) FOnSystemPaletteChanged();
}

win::HWND vlSystemPaletteChangedWindow() { return Listener ? Listener->WindowHandle() : nullptr; }
