// Runs the units' start-up steps once for the whole test program, as the
// program does before its main window exists.
#include <gtest/gtest.h>

#include "platform/classes/ModuleInit.h"

namespace {

class ModulesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { StartModules(); }
  void TearDown() override { ShutdownModules(); }
};

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ModulesEnvironment);

}  // namespace
