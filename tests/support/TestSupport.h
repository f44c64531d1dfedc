// Helpers shared by the test programs.
#pragma once

#include <string>

namespace testing_support {

// A fresh empty folder for one test, under the build's test-tmp folder.
std::string MakeTempDir(const std::string& Tag);

}  // namespace testing_support
