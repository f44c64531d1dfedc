// Form position storage in the registry.
#include "localization/qlFormPos.h"

#include <algorithm>
#include <memory>

#include "platform/classes/Registry.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

CL_IMPLEMENT_CLASS_PUBLISHED(TqlFormStorage, P) {
  using F = TqlFormStorage;
  P.Property(u"Active", &F::Active, &F::SetActive).Default(true);
  P.Property(u"RegRootKey", &F::RegRootKey, &F::SetRegRootKey).Default(qlHKEY_CURRENT_USER);
  P.Property(u"SubKey", &F::SubKey, &F::SetSubKey);
}

namespace {

win::HKEY RootOf(TMyHKeyType Value) {
  switch (Value) {
    case qlHKEY_CLASSES_ROOT: return win::HKEY_CLASSES_ROOT;
    case qlHKEY_LOCAL_MACHINE: return win::HKEY_LOCAL_MACHINE;
    case qlHKEY_USERS: return win::HKEY_USERS;
    case qlHKEY_CURRENT_CONFIG: return win::HKEY_CURRENT_CONFIG;
    case qlHKEY_DYN_DATA: return win::HKEY_DYN_DATA;
    default: return win::HKEY_CURRENT_USER;
  }
}

using TRegistryPtr = std::unique_ptr<TRegistry, TObjectFree>;

// A placement stored on a monitor that is gone (or on a desktop that has
// shrunk since) would open the form out of reach: it is moved into the
// nearest monitor's work area, its size cut to that area.
void KeepOnAMonitor(TCustomForm* Form) {
  const win::RECT r{Form->Left(), Form->Top(), Form->Left() + Form->Width(), Form->Top() + Form->Height()};
  if (win::MonitorFromRect(&r, win::MONITOR_DEFAULTTONULL)) return;
  win::MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  const win::HMONITOR nearest = win::MonitorFromRect(&r, win::MONITOR_DEFAULTTONEAREST);
  if (!nearest || !win::GetMonitorInfoW(nearest, &mi)) return;
  const win::RECT& work = mi.rcWork;
  const Integer width = std::min<Integer>(Form->Width(), work.right - work.left);
  const Integer height = std::min<Integer>(Form->Height(), work.bottom - work.top);
  const Integer left = std::clamp<Integer>(Form->Left(), work.left, work.right - width);
  const Integer top = std::clamp<Integer>(Form->Top(), work.top, work.bottom - height);
  Form->SetBounds(left, top, width, height);
}

}  // namespace

void TqlFormStorage::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FActive = true;
  FRegRootKey = qlHKEY_CURRENT_USER;
  FRootKey = win::HKEY_CURRENT_USER;
  FSubKey.clear();
  FForm = As<TCustomForm>(AOwner);
}

void TqlFormStorage::Destroy() {
  // A registry that cannot be written never stops the form going (the
  // storage and every component after it would stay half destroyed): the
  // error is reported through the application and the destruction goes on.
  try {
    WriteSettings();
  } catch (const Exception&) {
    if (Application) Application->HandleException(this);
  }
  inherited::Destroy();
}

void TqlFormStorage::Loaded() {
  inherited::Loaded();
  ReadSettings();
}

void TqlFormStorage::SetRegRootKey(TMyHKeyType Value) {
  FRegRootKey = Value;
  FRootKey = RootOf(Value);
}

void TqlFormStorage::ReadSettings() {
  if (!FActive || !FForm || ComponentState().Contains(csDesigning)) return;
  const Integer left = FForm->Left(), top = FForm->Top(), height = FForm->Height(), width = FForm->Width();
  const TWindowState state = FForm->WindowState();
  try {
    TRegistryPtr reg(New<TRegistry>());
    reg->SetRootKey(FRootKey);
    if (!reg->OpenKey(FSubKey, false)) return;
    if (reg->ReadString(u"State").empty()) return;
    FForm->SetTop(reg->ReadInteger(u"Top"));
    FForm->SetLeft(reg->ReadInteger(u"Left"));
    const Integer storedHeight = reg->ReadInteger(u"Height"), storedWidth = reg->ReadInteger(u"Width");
    // A form of no size could not be seen or reached: damaged values.
    if (storedHeight <= 0 || storedWidth <= 0) throw ERegistryException(u"Invalid form size");
    FForm->SetHeight(storedHeight);
    FForm->SetWidth(storedWidth);
    KeepOnAMonitor(FForm);
    const String s = reg->ReadString(u"State");
    if (s.size() >= 3) {
      if (s[2] == u'n') FForm->SetWindowState(wsMinimized);
      else if (s[2] == u'r') FForm->SetWindowState(wsNormal);
      else if (s[2] == u'x') FForm->SetWindowState(wsMaximized);
    }
  } catch (const Exception&) {
    FForm->SetLeft(left);
    FForm->SetTop(top);
    FForm->SetHeight(height);
    FForm->SetWidth(width);
    FForm->SetWindowState(state);
  }
}

void TqlFormStorage::WriteSettings() {
  if (!FActive || !FForm || ComponentState().Contains(csDesigning)) return;
  TRegistryPtr reg(New<TRegistry>());
  reg->SetRootKey(FRootKey);
  try {
    if (!reg->OpenKey(FSubKey, true)) return;
  } catch (const Exception&) {
    return;
  }
  switch (FForm->WindowState()) {
    case wsMinimized: reg->WriteString(u"State", u"Minimized"); break;
    case wsMaximized: reg->WriteString(u"State", u"Maximized"); break;
    default: reg->WriteString(u"State", u"Normal"); break;
  }
  if (FForm->WindowState() != wsNormal) return;
  reg->WriteInteger(u"Top", FForm->Top());
  reg->WriteInteger(u"Left", FForm->Left());
  reg->WriteInteger(u"Height", FForm->Height());
  reg->WriteInteger(u"Width", FForm->Width());
}
