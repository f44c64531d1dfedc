#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace testing_support {

namespace {

// The shared set-up of every test program (the library is linked whole):
// the build's test folder exists before the first test, whichever runs first.
class TTestFolderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* base = std::getenv("CL_TEST_TMP");
    if (base && *base) std::filesystem::create_directories(base);
  }
};

[[maybe_unused]] ::testing::Environment* const gTestFolders =
    ::testing::AddGlobalTestEnvironment(new TTestFolderEnvironment);

}  // namespace

std::string MakeTempDir(const std::string& Tag) {
  static std::atomic<int> counter{0};
  const char* base = std::getenv("CL_TEST_TMP");
  std::filesystem::path root = base ? base : std::filesystem::temp_directory_path() / "cl-tests";
  std::filesystem::path dir =
      root / (Tag + "-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

}  // namespace testing_support
