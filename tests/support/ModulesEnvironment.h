// Runs the units' start-up steps once for a whole test program, as the
// program does before its main window exists. A test program registers it
// in one source file:
//   const auto* const kEnvironment =
//       ::testing::AddGlobalTestEnvironment(new testing_support::ModulesEnvironment);
#pragma once

#include <gtest/gtest.h>

#include "platform/classes/ModuleInit.h"

namespace testing_support {

class ModulesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { StartModules(); }
  void TearDown() override { ShutdownModules(); }
};

}  // namespace testing_support
