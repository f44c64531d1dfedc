#include "lib/lookandfeel/nbThemeManager.h"

#include "lib/foundation/nbUxTheme.h"
#include "platform/classes/Lists.h"
#include "platform/classes/ModuleInit.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Controls.h"
#include "platform/win/Windows.h"

namespace {

constexpr int TypeCount = 25;

const Char* const DefaultClassLists[TypeCount] = {
    u"Button", u"Clock",    u"ComboBox", u"Edit",     u"ExplorerBar", u"Header",    u"ListBox",
    u"ListView", u"Menu",   u"Page",     u"Progress", u"Rebar",       u"ScrollBar", u"Spin",
    u"StartPanel", u"Status", u"Tab",    u"TaskBand", u"TaskBar",     u"ToolBar",   u"ToolTip",
    u"TrackBar", u"TrayNotify", u"TreeView", u"Window"};

struct TnbThemeData {
  win::HTHEME Handle{};
  String ClassList;
};

TnbThemeData ThemeCache[TypeCount];
Boolean ThemesActive = false;
TnbThemeChangedEventReceiver* Receiver = nullptr;
TList* Notificators = nullptr;

// The sequence WM_THEMECHANGED runs: handles closed, the default handling,
// the flag taken again, then every listener told in list order.
void ThemeChanged(win::HWND AWnd, TMessage& Message) {
  nbCloseAllThemeHandles();
  Message.Result = win::DefWindowProcW(AWnd, Message.Msg, Message.WParam, Message.LParam);
  ThemesActive = ::IsThemeActive() != 0;
  Message.Result = 0;
  if (!Notificators) return;
  const Integer count = Notificators->Count();
  for (Integer i = 0; i < count && i < Notificators->Count(); ++i) {
    auto* n = static_cast<TnbThemeChangedNotificator*>(Notificators->Items(i));
    if (Assigned(n->OnThemeChanged())) n->OnThemeChanged()();
  }
}

}  // namespace

CL_IMPLEMENT_CLASS(TnbThemeChangedNotificator)
CL_IMPLEMENT_CLASS(TnbThemeChangedEventReceiver)

Boolean nbAreThemesAvailable(const TnbThemedObjectTypes& ATypes) {
  if (!ThemesActive || !nbIsUxThemeLoaded()) return false;
  for (int t = 0; t < TypeCount; ++t)
    if (ATypes.Contains(TnbThemedObjectType(t)) && !nbGetThemeHandle(TnbThemedObjectType(t))) return false;
  return true;
}

Boolean nbIsThemeAvailable(TnbThemedObjectType AType) {
  return ThemesActive && nbIsUxThemeLoaded() && nbGetThemeHandle(AType) != nullptr;
}

win::HTHEME nbGetThemeHandle(TnbThemedObjectType AType, const String* AClassList) {
  if (!nbAreThemesAvailable({})) return nullptr;
  TnbThemeData& entry = ThemeCache[AType];
  if (entry.Handle) {
    if (!AClassList || AnsiUpperCase(*AClassList) == AnsiUpperCase(entry.ClassList)) return entry.Handle;
    nbCloseThemeHandle(AType);
  }
  String classList = AClassList ? *AClassList : !entry.ClassList.empty() ? entry.ClassList
                                                                         : String(DefaultClassLists[AType]);
  entry.Handle = ::OpenThemeData(nullptr, classList.c_str());
  if (entry.Handle)
    entry.ClassList = classList;
  else
    entry.ClassList.clear();
  return entry.Handle;
}

HRESULT nbCloseThemeHandle(TnbThemedObjectType AType) {
  if (!nbAreThemesAvailable({})) return 1;
  TnbThemeData& entry = ThemeCache[AType];
  if (!entry.Handle) return 0;
  HRESULT result = ::CloseThemeData(entry.Handle);
  entry.Handle = nullptr;
  entry.ClassList.clear();
  return result;
}

void nbCloseAllThemeHandles() {
  for (TnbThemeData& entry : ThemeCache)
    if (entry.Handle) {
      ::CloseThemeData(entry.Handle);
      entry.Handle = nullptr;
    }
}

String nbThemeFileName(const String& APath) {
  const size_t delim = APath.find_last_of(u"\\/");
  return delim == String::npos ? APath : APath.substr(delim + 1);
}

Boolean nbIsDefaultXPThemeFile() {
  if (!nbAreThemesAvailable({})) return false;
  Char fileName[1024] = {};
  if (::GetCurrentThemeName(fileName, 1024, nullptr, 0, nullptr, 0) != S_OK) return false;
  String name = AnsiUpperCase(nbThemeFileName(String(fileName)));
  return name == u"LUNA.MSSTYLES" || name == u"ROYALE.MSSTYLES";
}

void TnbThemeChangedNotificator::Create() {
  inherited::Create();
  if (nbIsUxThemeLoaded() && Notificators) Notificators->Add(this);
}

void TnbThemeChangedNotificator::Destroy() {
  if (nbIsUxThemeLoaded() && Notificators) Notificators->Remove(this);
  inherited::Destroy();
}

void TnbThemeChangedEventReceiver::Create() {
  inherited::Create();
  FWindowHandle = win::AllocateHWnd(TWndMethod(this, &TnbThemeChangedEventReceiver::WndProc));
}

void TnbThemeChangedEventReceiver::Destroy() {
  ThemesActive = false;
  if (FWindowHandle) win::DeallocateHWnd(FWindowHandle);
  FWindowHandle = nullptr;
  inherited::Destroy();
}

void TnbThemeChangedEventReceiver::WndProc(TMessage& Message) {
  if (Message.Msg != win::WM_THEMECHANGED) {
    Message.Result = win::DefWindowProcW(FWindowHandle, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  HandleExceptionsOf(this, [&] { ThemeChanged(FWindowHandle, Message); });
}

void TnbThemeChangedEventReceiver::Dispatch(TMessage& Message) {
  if (Message.Msg == win::WM_THEMECHANGED)
    WMThemeChanged(Message);
  else
    inherited::Dispatch(Message);
}

void TnbThemeChangedEventReceiver::WMThemeChanged(TMessage& Message) { ThemeChanged(FWindowHandle, Message); }

TnbThemeChangedEventReceiver* nbThemeChangedEventReceiver() { return Receiver; }

void nbThemeManagerInitialize() {
  if (!nbIsUxThemeLoaded() || Receiver) return;
  ThemesActive = ::IsThemeActive() != 0;
  Receiver = New<TnbThemeChangedEventReceiver>();
  Notificators = New<TList>();
}

void nbThemeManagerFinalize() {
  if (Receiver) {
    FreeAndNil(Receiver);
    nbCloseAllThemeHandles();
    FreeAndNil(Notificators);
  }
  for (TnbThemeData& entry : ThemeCache) entry = TnbThemeData{};
}

CL_UNIT_STEPS(nbThemeManager, &nbThemeManagerInitialize, &nbThemeManagerFinalize);
