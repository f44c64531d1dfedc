#include <gtest/gtest.h>

#include "platform/classes/ClassRegistry.h"

namespace {

class TCrPersistent : public TObject {
  CL_CLASS(TCrPersistent, TObject)
};
class TCrItem : public TCrPersistent {
  CL_CLASS(TCrItem, TCrPersistent)
};
class TCrControl : public TCrPersistent {
  CL_CLASS(TCrControl, TCrPersistent)
};
class TCrButton : public TCrControl {
  CL_CLASS(TCrButton, TCrControl)
};
class TCrLevel : public TCrPersistent {
  CL_CLASS(TCrLevel, TCrPersistent)
};
class TCrLevelEx : public TCrLevel {
  CL_CLASS(TCrLevelEx, TCrLevel)
};
CL_IMPLEMENT_CLASS(TCrPersistent)
CL_IMPLEMENT_CLASS(TCrItem)
CL_IMPLEMENT_CLASS(TCrControl)
CL_IMPLEMENT_CLASS(TCrButton)
CL_IMPLEMENT_CLASS(TCrLevel)
CL_IMPLEMENT_CLASS(TCrLevelEx)

// A class of the same name as TCrItem, in another scope.
namespace other {
class TCrItem : public TObject {
  CL_CLASS(TCrItem, TObject)
};
CL_IMPLEMENT_CLASS(TCrItem)
}  // namespace other

TEST(ClassRegistry, RegistersByNameWithAncestors) {
  RegisterClass(TCrItem::StaticClass());
  EXPECT_EQ(FindClass(u"TCrItem"), TCrItem::StaticClass());
  EXPECT_EQ(GetClass(u"tcritem"), TCrItem::StaticClass());
  EXPECT_EQ(GetClass(u"TCrPersistent"), TCrPersistent::StaticClass());  // the ancestor came along
  EXPECT_EQ(GetClass(u"TObject"), nullptr);
  RegisterClass(TCrItem::StaticClass());  // again: nothing happens
  try {
    RegisterClass(other::TCrItem::StaticClass());
    FAIL();
  } catch (const EFilerError& e) {
    EXPECT_EQ(e.Message(), u"A class named TCrItem already exists");
  }
  UnRegisterClass(TCrItem::StaticClass());
  EXPECT_EQ(GetClass(u"TCrItem"), nullptr);
}

TEST(ClassRegistry, UnknownNamesRaiseClassNotFound) {
  EXPECT_EQ(GetClass(u"TCrNowhere"), nullptr);
  try {
    FindClass(u"TCrNowhere");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), u"Class TCrNowhere not found");
  }
  EXPECT_THROW(FindClass(u""), EClassNotFound);
}

TEST(ClassRegistry, AliasesAndGroups) {
  RegisterClassAlias(TCrButton::StaticClass(), u"TCrOldButton");
  EXPECT_EQ(FindClass(u"TCrOldButton"), TCrButton::StaticClass());

  StartClassGroup(TCrControl::StaticClass());
  GroupDescendentsWith(TCrLevel::StaticClass(), TCrControl::StaticClass());
  EXPECT_EQ(ClassGroupOf(TCrLevelEx::StaticClass()), TCrControl::StaticClass());
  EXPECT_EQ(ClassGroupOf(TCrItem::StaticClass()), nullptr);
  RegisterClasses({TCrLevelEx::StaticClass(), TCrItem::StaticClass()});

  EXPECT_EQ(ActivateClassGroup(TCrControl::StaticClass()), nullptr);
  EXPECT_EQ(GetClass(u"TCrLevelEx"), TCrLevelEx::StaticClass());
  EXPECT_EQ(GetClass(u"TCrItem"), TCrItem::StaticClass());  // the base group stays active
  EXPECT_THROW(ActivateClassGroup(TCrItem::StaticClass()), EFilerError);

  UnRegisterClasses({TCrLevelEx::StaticClass(), TCrItem::StaticClass(), TCrButton::StaticClass()});
  EXPECT_EQ(GetClass(u"TCrOldButton"), nullptr);
}

}  // namespace
