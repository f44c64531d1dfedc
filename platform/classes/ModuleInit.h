// Module start-up and shut-down: the one ordered list of the units' start-up
// and shut-down steps.
//
// A unit with steps defines them as functions in its source file and
// announces them there:
//
//   namespace { void Startup() { RegisterClasses({...}); }  void Shutdown() { ... } }
//   CL_UNIT_STEPS(vlGrid, &Startup, &Shutdown);
//
// The order in which the steps run is the list of unit names in
// ModuleInit.cpp (the one place that knows it), not the order in which the
// announcements happen; a unit announced but missing from that list is an
// error at start-up. StartModules runs the start-up steps in list order;
// ShutdownModules runs the shut-down steps of the started units in reverse.
// The program calls them around its run (before Application->Initialize),
// tests hold a TModulesScope.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/rtl/Types.h"

using TModuleProc = void (*)();

struct TModuleSteps {
  const char16_t* Unit = nullptr;
  TModuleProc Startup = nullptr;   // may be nil
  TModuleProc Shutdown = nullptr;  // may be nil
};

// A list of steps with its order. The process has one (ModuleList()); tests
// may make their own.
class TModuleList {
 public:
  explicit TModuleList(std::vector<String> Order);

  // Announces a unit's steps; a second announcement of a unit raises EInvalidOperation.
  void Add(const TModuleSteps& Steps);
  // Runs every start-up step in order. When one raises, the units already
  // started are shut down in reverse and the exception goes on. A unit not in
  // the order raises EInvalidOperation "Unit %s has no place in the start-up order".
  // Starting twice does nothing.
  void Start();
  // Runs the shut-down steps of the started units in reverse order; an
  // exception of one step does not stop the others, and the first one is
  // raised again at the end.
  void Shutdown();
  bool Started() const { return FStarted; }
  // The units in the order they run.
  std::vector<String> RunOrder() const;

 private:
  std::vector<String> FOrder;
  std::vector<TModuleSteps> FSteps;
  std::vector<TModuleSteps> FRunning;  // started, in start order
  bool FStarted = false;
};

// The process's list, with the system's order.
TModuleList& ModuleList();
// The system's order of units.
const std::vector<String>& ModuleOrder();

void StartModules();
void ShutdownModules();

// Holds the modules started for its lifetime (test fixtures, the program's main).
class TModulesScope {
 public:
  TModulesScope() { StartModules(); }
  ~TModulesScope() { ShutdownModules(); }
  TModulesScope(const TModulesScope&) = delete;
  TModulesScope& operator=(const TModulesScope&) = delete;
};

// The platform's InitProc: a hook that Application->Initialize calls (a unit
// chains it by keeping the previous value and calling it).
extern TModuleProc InitProc;

namespace moduleinit_detail {
struct TUnitStepsAnnouncer {
  TUnitStepsAnnouncer(const char16_t* Unit, TModuleProc Startup, TModuleProc Shutdown);
};
}  // namespace moduleinit_detail

// Announces the steps of a unit (at namespace scope in its source file, at
// the start of a line). It also defines the symbol cl_unit_link_<Unit>, which
// every program linking the unit's library asks the linker for (cl_library in
// cmake/Project.cmake), so the unit is linked even when nothing refers to it.
#define CL_UNIT_STEPS(Unit, Startup, Shutdown)                                                   \
  extern "C" const char cl_unit_link_##Unit = 0;                                                 \
  static const moduleinit_detail::TUnitStepsAnnouncer cl_unit_steps_##Unit(u"" #Unit, Startup, Shutdown)
