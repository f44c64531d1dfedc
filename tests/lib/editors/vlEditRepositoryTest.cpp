#include <gtest/gtest.h>

#include "lib/editors/vlEdit.h"
#include "lib/editors/vlEditRepository.h"
#include "platform/rtl/Finally.h"

namespace {

class TTextItemListener : public TvlIUnknownObject, public IvlEditRepositoryItemListener {
  CL_CLASS(TTextItemListener, TvlIUnknownObject)
 public:
  Integer Changes{};
  Integer Freed{};
  void RepositoryItemFreed(TvlEditRepositoryItem*) override { ++Freed; }
  void RepositoryItemPropertiesChanged(TvlEditRepositoryItem*) override { ++Changes; }
};
CL_IMPLEMENT_CLASS(TTextItemListener)

class TvlEditRepositoryTextItem : public TvlEditRepositoryItem {
  CL_CLASS(TvlEditRepositoryTextItem, TvlEditRepositoryItem)
};
CL_IMPLEMENT_CLASS(TvlEditRepositoryTextItem)

class EditRepositoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Owner = New<TComponent>(static_cast<TComponent*>(nullptr));
    Repository = New<TvlEditRepository>(Owner);
    Repository->SetName(u"EditRepository1");
  }
  void TearDown() override { Free(Owner); }
  TComponent* Owner{};
  TvlEditRepository* Repository{};
};

TEST_F(EditRepositoryTest, ItemsAreFoundByNameIgnoringCase) {
  TvlEditRepositoryItem* item = Repository->CreateItem(ClassOf<TvlEditRepositoryTextItem>());
  item->SetName(u"TextItem");
  EXPECT_EQ(Repository->ItemByName(u"textitem"), item);
  EXPECT_EQ(Repository->ItemByName(u"TEXTITEM"), item);
  EXPECT_EQ(Repository->ItemByName(u"Other"), nullptr);
  EXPECT_EQ(item->Owner(), Repository);
  EXPECT_EQ(item->GetBaseName(), u"EditRepository1TextItem");
  EXPECT_TRUE(item->PropertiesAreOfClass(ClassOf<TvlCustomEditProperties>()));
}

TEST_F(EditRepositoryTest, ListenersHearOnceEvenWhenAddedTwiceAndOncePerBatch) {
  TvlEditRepositoryItem* item = Repository->CreateItem(ClassOf<TvlEditRepositoryTextItem>());
  TTextItemListener* a = New<TTextItemListener>();
  TTextItemListener* b = New<TTextItemListener>();
  Finally freed([&] {
    Free(a);
    Free(b);
  });
  item->AddListener(a);
  item->AddListener(a);
  item->AddListener(b);
  EXPECT_EQ(item->ListenerCount(), 2);
  item->Properties()->BeginUpdate();
  item->Properties()->SetAutoSelect(false);
  item->Properties()->SetReadOnly(true);
  item->Properties()->SetMaxValue(4);
  item->Properties()->EndUpdate();
  EXPECT_EQ(a->Changes, 1);
  EXPECT_EQ(b->Changes, 1);
  item->RemoveListener(b);
  Free(item);
  EXPECT_EQ(a->Freed, 1);
  EXPECT_EQ(b->Freed, 0);
  EXPECT_EQ(Repository->Count(), 0);
}

TEST_F(EditRepositoryTest, ClearingFreesItemsOwnedByOthers) {
  TComponent* otherOwner = New<TComponent>(static_cast<TComponent*>(nullptr));
  Finally freed([&] { Free(otherOwner); });
  Repository->CreateItemEx(ClassOf<TvlEditRepositoryTextItem>(), otherOwner);
  Repository->CreateItemEx(ClassOf<TvlEditRepositoryTextItem>(), otherOwner);
  EXPECT_EQ(otherOwner->ComponentCount(), 2);
  Repository->Clear();
  EXPECT_EQ(Repository->Count(), 0);
  EXPECT_EQ(otherOwner->ComponentCount(), 0);
}

TEST_F(EditRepositoryTest, MovingAnItemBetweenRepositories) {
  TvlEditRepository* second = New<TvlEditRepository>(Owner);
  TvlEditRepositoryItem* item = Repository->CreateItem(ClassOf<TvlEditRepositoryTextItem>());
  item->SetRepository(second);
  EXPECT_EQ(Repository->Count(), 0);
  EXPECT_EQ(second->Count(), 1);
  EXPECT_EQ(item->GetParentComponent(), second);
  item->SetRepository(nullptr);
  EXPECT_EQ(second->Count(), 0);
  EXPECT_FALSE(item->HasParent());
}

TEST(vlEditRepository, TheDefaultRepositoryIsMadeOnce) {
  TvlEditRepository* r = vlGetDefaultEditRepository();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(vlGetDefaultEditRepository(), r);
  EXPECT_EQ(r->Owner(), nullptr);
}

}  // namespace
