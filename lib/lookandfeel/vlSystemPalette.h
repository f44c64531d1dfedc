// System palette notification: one hidden window receives the system colour
// change message, refreshes the Office 2003 palette and tells every
// registered notifier, the primary ones (the painters' shared resources)
// first. The window and its lists exist while at least one notifier exists.
// Main thread only.
#pragma once

#include "platform/classes/Delegates.h"
#include "platform/classes/ObjectModel.h"
#include "platform/win/WinTypes.h"

using TvlSystemPaletteChangedEvent = TDelegate<void()>;

class TvlSystemPaletteChangedNotifier : public TObject {
  CL_CLASS(TvlSystemPaletteChangedNotifier, TObject)
 public:
  // Joins the shared listener (made by the first notifier).
  void Create(Boolean AIsPrimary);
  // Leaves it (freed with the last notifier).
  void Destroy() override;
  virtual void FireChanged();

  Boolean IsPrimary() const { return FIsPrimary; }
  const TvlSystemPaletteChangedEvent& OnSystemPaletteChanged() const { return FOnSystemPaletteChanged; }
  void SetOnSystemPaletteChanged(const TvlSystemPaletteChangedEvent& Value) { FOnSystemPaletteChanged = Value; }

 private:
  Boolean FIsPrimary{};
  TvlSystemPaletteChangedEvent FOnSystemPaletteChanged;
};

// The window of the shared listener (nil while no notifier exists); tests
// send WM_SYSCOLORCHANGE to it.
win::HWND vlSystemPaletteChangedWindow();
