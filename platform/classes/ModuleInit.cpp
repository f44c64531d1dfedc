#include "platform/classes/ModuleInit.h"

#include <algorithm>
#include <exception>

#include "platform/rtl/Exceptions.h"

namespace {

// The order in which the units' start-up steps run (shut-down runs in
// reverse). Lower layers come first; within a subsystem, the units run in
// the order the subsystem lists them. A unit with steps adds its name here.
const char16_t* const kUnitOrder[] = {
    // platform/rtl
    u"FMTBcd",
    u"SqlTimSt",
    // platform/classes
    u"Classes",
    u"Resources",
    // platform/win, platform/vcl, platform/db
    u"Comm",
    u"Graphics",
    u"JPEG",
    u"ImgList",
    u"Controls",
    u"ActnList",
    u"Menus",
    u"StdCtrls",
    u"ExtCtrls",
    u"Forms",
    u"Dialogs",
    // serial/, app/, lib/foundation ... lib/bars, localization/
    // serial/
    u"ComPort",
    u"ComPortCtl",
    // lib/foundation
    u"nbCore",
    u"vlClasses",
    u"vlGeometry",
    u"nbUxTheme",
    u"vlGraphics",
    u"vlStyles",
    u"nbGDIPlusAPI",
    u"nbGDIPlusClasses",
    u"vlImages",
    u"vlGraphicsUtils",
    u"vlTextLayout",
    // lib/lookandfeel
    u"nbThemeManager",
    u"nbOffice11",
    u"vlDWMApi",
    u"vlWindowUtils",
    u"vlSolidBrushCache",
    u"vlRadioButtonImageList",
    u"vlLookAndFeelPainters",
    u"vlLookAndFeels",
    u"nbSkinsCore",
    u"nbSkinsLookAndFeelPainter",
    u"nbSkinsDefaultPainters",
    u"vlControls",
    u"vlContainer",
    // lib/data
    u"vlFilterConsts",
    u"vlDataConsts",
    u"vlValueTypes",
    u"vlDBFilter",
    u"vlDBData",
    // lib/editors
    u"vlEditConsts",
    u"vlFilterControlConsts",
    u"vlExtEditConsts",
    u"vlDateUtils",
    u"vlEditUtils",
    u"vlEdit",
    u"vlTextEdit",
    u"vlMemo",
    u"vlMaskEdit",
    u"vlSpinEdit",
    u"vlTimeEdit",
    u"vlComboBox",
    u"vlMRUEdit",
    u"vlHyperLinkEdit",
    u"vlCalcEdit",
    u"vlCheckBox",
    u"vlLabel",
    u"vlButtons",
    u"vlNavigator",
    u"vlGroupBox",
    u"vlRadioGroup",
    u"vlListBox",
    u"vlCheckListBox",
    u"vlFilterControl",
    // localization
    u"qlComp",
    u"qlLngLnk",
};

}  // namespace

TModuleProc InitProc = nullptr;

TModuleList::TModuleList(std::vector<String> Order) : FOrder(std::move(Order)) {}

void TModuleList::Add(const TModuleSteps& Steps) {
  String unit = Steps.Unit ? String(Steps.Unit) : String();
  for (const TModuleSteps& s : FSteps)
    if (unit == s.Unit) throw EInvalidOperation(u"Unit " + unit + u" announced its steps twice");
  FSteps.push_back(Steps);
}

std::vector<String> TModuleList::RunOrder() const {
  std::vector<String> order;
  for (const String& name : FOrder)
    for (const TModuleSteps& s : FSteps)
      if (name == s.Unit) order.push_back(name);
  return order;
}

void TModuleList::Start() {
  if (FStarted) return;
  for (const TModuleSteps& s : FSteps)
    if (std::find(FOrder.begin(), FOrder.end(), String(s.Unit)) == FOrder.end())
      throw EInvalidOperation(u"Unit " + String(s.Unit) + u" has no place in the start-up order");
  FRunning.clear();
  FStarted = true;
  try {
    for (const String& name : FOrder)
      for (const TModuleSteps& s : FSteps) {
        if (name != s.Unit) continue;
        // Counted as started before its step runs: a step that fails half
        // way gets its shut-down step, which accepts a partial start.
        FRunning.push_back(s);
        if (s.Startup) s.Startup();
      }
  } catch (...) {
    try {
      Shutdown();
    } catch (...) {
    }
    throw;
  }
}

void TModuleList::Shutdown() {
  std::exception_ptr first;
  while (!FRunning.empty()) {
    TModuleSteps s = FRunning.back();
    FRunning.pop_back();
    try {
      if (s.Shutdown) s.Shutdown();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  FStarted = false;
  if (first) std::rethrow_exception(first);
}

const std::vector<String>& ModuleOrder() {
  static const std::vector<String> order(std::begin(kUnitOrder), std::end(kUnitOrder));
  return order;
}

TModuleList& ModuleList() {
  static TModuleList* list = new TModuleList(ModuleOrder());  // never destroyed: announcements come before main
  return *list;
}

void StartModules() { ModuleList().Start(); }

void ShutdownModules() { ModuleList().Shutdown(); }

namespace moduleinit_detail {
TUnitStepsAnnouncer::TUnitStepsAnnouncer(const char16_t* Unit, TModuleProc Startup, TModuleProc Shutdown) {
  ModuleList().Add(TModuleSteps{Unit, Startup, Shutdown});
}
}  // namespace moduleinit_detail
