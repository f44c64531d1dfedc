#include "lib/lookandfeel/vlDWMApi.h"

#include <iterator>

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

TnbBoundLibrary Library;

}  // namespace

Boolean vlIsDWMApiLoaded() { return Library.Loaded(); }

Boolean nbIsCompositionEnabled() {
  using TIsCompositionEnabled = HRESULT (*)(BOOL*);
  auto f = reinterpret_cast<TIsCompositionEnabled>(Library.Proc(IsCompositionEnabledIndex));
  if (!f) return false;
  BOOL enabled = 0;
  return f(&enabled) == S_OK && enabled != 0;
}

void vlDWMApiInitialize() {
  if (nbOSWindowsVistaOrLater) Library.Load(u"dwmapi.dll", BoundNames, Integer(std::size(BoundNames)));
}

void vlDWMApiFinalize() { Library.Unload(); }

CL_UNIT_STEPS(vlDWMApi, &vlDWMApiInitialize, &vlDWMApiFinalize);
