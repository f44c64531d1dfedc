// Theme handles per kind of themed object: opened on first use and cached,
// closed and forgotten when the user switches theme (the listeners are told
// afterwards), and the answers whether themed painting is possible.
// Everything answers 0 or False when the theme library or the theme is
// missing; nothing raises. Main thread only.
#pragma once

#include "platform/classes/Delegates.h"
#include "platform/classes/Messages.h"
#include "platform/classes/ObjectModel.h"
#include "platform/classes/Sets.h"
#include "platform/win/UxTheme.h"

enum TnbThemedObjectType : Byte {
  totButton, totClock, totComboBox, totEdit, totExplorerBar, totHeader, totListBox, totListView, totMenu,
  totPage, totProgress, totRebar, totScrollBar, totSpin, totStartPanel, totStatus, totTab, totTaskBand,
  totTaskBar, totToolBar, totToolTip, totTrackBar, totTrayNotify, totTreeview, totWindow
};
using TnbThemedObjectTypes = TSet<TnbThemedObjectType, 4>;

// The theme handle of the type (0 when themes are not available). With a
// class list other than the one the cached handle was opened with (compared
// without regard to case), the handle is closed and the new list opened.
win::HTHEME nbGetThemeHandle(TnbThemedObjectType AType, const String* AClassList = nullptr);
// 1 when themes are not available, 0 when the type has no handle, else the
// close result.
HRESULT nbCloseThemeHandle(TnbThemedObjectType AType);
// Closes every handle; the class lists stay, so the next request reopens
// with the list last used.
void nbCloseAllThemeHandles();
Boolean nbIsThemeAvailable(TnbThemedObjectType AType);
// False unless themes are active and the library loaded; then every type
// of the set must give a handle (an empty set: True).
Boolean nbAreThemesAvailable(const TnbThemedObjectTypes& ATypes);
// The file part of a theme path: theme paths are system paths, so their
// parts are parted by backslashes (a slash is taken too).
String nbThemeFileName(const String& APath);
// Whether the theme file is one of the two default themes of the older
// system generation ("LUNA.MSSTYLES", "ROYALE.MSSTYLES").
Boolean nbIsDefaultXPThemeFile();

using TnbThemeChangedEvent = TDelegate<void()>;

// Told after a theme change, once the handles were closed.
class TnbThemeChangedNotificator : public TObject {
  CL_CLASS(TnbThemeChangedNotificator, TObject)
 public:
  // Joins the listeners (only while the theme library is loaded).
  void Create();
  void Destroy() override;
  const TnbThemeChangedEvent& OnThemeChanged() const { return FOnThemeChanged; }
  void SetOnThemeChanged(const TnbThemeChangedEvent& Value) { FOnThemeChanged = Value; }

 private:
  TnbThemeChangedEvent FOnThemeChanged;
};

// Receives WM_THEMECHANGED in a hidden window of the main thread.
class TnbThemeChangedEventReceiver : public TObject {
  CL_CLASS(TnbThemeChangedEventReceiver, TObject)
 public:
  void Create();
  // Clears the themes-active flag and destroys the window.
  void Destroy() override;
  void Dispatch(TMessage& Message) override;
  win::HWND WindowHandle() const { return FWindowHandle; }

 private:
  void WndProc(TMessage& Message);
  void WMThemeChanged(TMessage& Message);
  win::HWND FWindowHandle{};
};

// The receiver (nil without the theme library).
TnbThemeChangedEventReceiver* nbThemeChangedEventReceiver();

// The unit's start-up and shut-down (the theme library is bound before).
void nbThemeManagerInitialize();
void nbThemeManagerFinalize();
