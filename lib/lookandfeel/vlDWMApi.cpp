#include "lib/lookandfeel/vlDWMApi.h"

#include "lib/foundation/nbCore.h"
#include "platform/classes/ModuleInit.h"
#include "platform/win/Modules.h"

namespace {

const char* const BoundNames[] = {"DwmDefWindowProc",        "DwmEnableBlurBehindWindow",
                                  "DwmEnableComposition",    "DwmEnableMMCSS",
                                  "DwmExtendFrameIntoClientArea", "DwmGetColorizationColor",
                                  "DwmGetWindowAttribute",   "DwmIsCompositionEnabled",
                                  "DwmSetWindowAttribute"};
constexpr int IsCompositionEnabledIndex = 7;

win::HMODULE Library{};
win::FARPROC Procs[sizeof(BoundNames) / sizeof(BoundNames[0])]{};

}  // namespace

Boolean vlIsDWMApiLoaded() { return Library != nullptr; }

Boolean nbIsCompositionEnabled() {
  using TIsCompositionEnabled = HRESULT (*)(BOOL*);
  auto f = reinterpret_cast<TIsCompositionEnabled>(Procs[IsCompositionEnabledIndex]);
  if (!Library || !f) return false;
  BOOL enabled = 0;
  return f(&enabled) == S_OK && enabled != 0;
}

void vlDWMApiInitialize() {
  if (Library || !nbOSWindowsVistaOrLater) return;
  Library = win::LoadLibraryW(u"dwmapi.dll");
  if (!Library) return;
  for (size_t i = 0; i < sizeof(BoundNames) / sizeof(BoundNames[0]); ++i)
    Procs[i] = win::GetProcAddress(Library, BoundNames[i]);
}

void vlDWMApiFinalize() {
  if (!Library) return;
  win::FreeLibrary(Library);
  Library = nullptr;
  for (win::FARPROC& p : Procs) p = nullptr;
}

CL_UNIT_STEPS(vlDWMApi, &vlDWMApiInitialize, &vlDWMApiFinalize);
