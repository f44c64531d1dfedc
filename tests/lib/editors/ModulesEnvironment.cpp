// The units' start-up steps run once for the whole test program.
#include "tests/support/ModulesEnvironment.h"

namespace {
const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new testing_support::ModulesEnvironment);
}  // namespace
