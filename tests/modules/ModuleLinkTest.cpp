// A program that refers to nothing of the libraries but the start-up list and
// the look-and-feel settings: units that only announce start-up steps (the
// built-in skin's registration among them) must be linked and started all
// the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/classes/ModuleInit.h"
#include "tests/support/ModulesEnvironment.h"

namespace {

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new testing_support::ModulesEnvironment);

// The units whose sources announce steps, as the build found them.
std::vector<String> AnnouncedUnits() {
  std::vector<String> units;
  const std::string list = CL_ANNOUNCED_UNITS;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    units.emplace_back(list.begin() + std::ptrdiff_t(start), list.begin() + std::ptrdiff_t(end));
    start = end + 1;
  }
  return units;
}

TEST(ModuleLinkage, EveryAnnouncedUnitIsLinkedAndStarted) {
  const std::vector<String> announced = AnnouncedUnits();
  const std::vector<String> running = ModuleList().RunOrder();
  ASSERT_GT(announced.size(), 30u);
  for (const String& unit : announced)
    EXPECT_NE(std::find(running.begin(), running.end(), unit), running.end())
        << std::string(unit.begin(), unit.end()) << " is not linked";
  EXPECT_EQ(running.size(), announced.size());
  EXPECT_NE(std::find(running.begin(), running.end(), u"nbSkinsDefaultPainters"), running.end());
}

TEST(ModuleLinkage, ALookAndFeelNamingUserSkinPaintsWithTheBuiltInSkin) {
  TvlCustomLookAndFeelPainterClass painter;
  ASSERT_TRUE(vlGetStylePainterRegistry()->GetPainterByName(u"UserSkin", painter));
  std::unique_ptr<TvlLookAndFeel, TObjectFree> lookAndFeel(New<TvlLookAndFeel>(nullptr));
  lookAndFeel->SetSkinName(u"UserSkin");
  ASSERT_TRUE(lookAndFeel->Painter() == painter);
  EXPECT_EQ(u"TnbSkinsUserSkinPainter", lookAndFeel->Painter()->ClassName());
}

}  // namespace
