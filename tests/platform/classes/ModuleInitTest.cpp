#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/ModuleInit.h"
#include "platform/rtl/Exceptions.h"

namespace {

std::vector<std::string> gSteps;
bool gFailStart = false;
bool gFailStop = false;

void AStart() { gSteps.push_back("A+"); }
void AStop() { gSteps.push_back("A-"); }
void BStart() {
  gSteps.push_back("B+");
  if (gFailStart) throw EConvertError(u"B failed");
}
void BStop() {
  gSteps.push_back("B-");
  if (gFailStop) throw EConvertError(u"B stop failed");
}
void CStart() { gSteps.push_back("C+"); }
void CStop() { gSteps.push_back("C-"); }

struct ModuleInitTest : ::testing::Test {
  // Announced out of order: the list, not the announcements, gives the order.
  TModuleList List{{u"A", u"B", u"Unused", u"C"}};
  ModuleInitTest() {
    gSteps.clear();
    gFailStart = gFailStop = false;
    List.Add({u"C", &CStart, &CStop});
    List.Add({u"A", &AStart, &AStop});
    List.Add({u"B", &BStart, &BStop});
  }
};

TEST_F(ModuleInitTest, StartsInListOrderAndShutsDownInReverse) {
  using V = std::vector<std::string>;
  EXPECT_EQ(List.RunOrder(), (std::vector<String>{u"A", u"B", u"C"}));
  List.Start();
  EXPECT_TRUE(List.Started());
  List.Start();  // twice: nothing more
  EXPECT_EQ(gSteps, (V{"A+", "B+", "C+"}));
  List.Shutdown();
  EXPECT_EQ(gSteps, (V{"A+", "B+", "C+", "C-", "B-", "A-"}));
  EXPECT_FALSE(List.Started());
}

TEST_F(ModuleInitTest, AFailingStartShutsDownWhatStarted) {
  gFailStart = true;
  EXPECT_THROW(List.Start(), EConvertError);
  // The failing unit counts as started (its shut-down accepts a partial start), C never ran.
  EXPECT_EQ(gSteps, (std::vector<std::string>{"A+", "B+", "B-", "A-"}));
  EXPECT_FALSE(List.Started());
}

TEST_F(ModuleInitTest, AFailingShutdownStepDoesNotStopTheOthers) {
  List.Start();
  gFailStop = true;
  EXPECT_THROW(List.Shutdown(), EConvertError);
  EXPECT_EQ(gSteps, (std::vector<std::string>{"A+", "B+", "C+", "C-", "B-", "A-"}));
}

TEST_F(ModuleInitTest, UnitsOutsideTheOrderAndDoubleAnnouncementsAreErrors) {
  EXPECT_THROW(List.Add({u"A", nullptr, nullptr}), EInvalidOperation);
  List.Add({u"Stray", nullptr, nullptr});
  EXPECT_THROW(List.Start(), EInvalidOperation);
  EXPECT_TRUE(gSteps.empty());
}

TEST(ModuleInit, TheProcessListStartsAndStops) {
  {
    TModulesScope scope;
    EXPECT_TRUE(ModuleList().Started());
  }
  EXPECT_FALSE(ModuleList().Started());
}

}  // namespace
