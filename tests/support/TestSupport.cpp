#include "tests/support/TestSupport.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace testing_support {

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
