#include <gtest/gtest.h>

#include <vector>

#include "platform/classes/Messages.h"
#include "platform/classes/ObjectModel.h"

namespace {

std::vector<std::string> gLog;

class TShape : public TObject {
  CL_CLASS(TShape, TObject)
 public:
  virtual void Create(Integer ASize) {
    FSize = ASize;
    FKind = Describe();  // reaches the override, as on the platform
  }
  void Destroy() override { gLog.push_back("TShape.Destroy"); Parent::Destroy(); }
  void BeforeDestruction() override { gLog.push_back("BeforeDestruction"); }
  void AfterConstruction() override { gLog.push_back("AfterConstruction"); }
  virtual const char* Describe() const { return "shape"; }
  Integer FSize{};
  const char* FKind{};
  Integer FUntouched{};
};

class TCircle : public TShape {
  CL_CLASS(TCircle, TShape)
 public:
  void Create(Integer ASize) override {
    if (ASize < 0) throw EConvertError(u"negative size");
    Parent::Create(ASize);
  }
  void CreateUnit() { Create(1); }
  const char* Describe() const override { return "circle"; }
};

CL_IMPLEMENT_CLASS(TShape)
CL_IMPLEMENT_CLASS(TCircle)

TEST(ObjectModel, ClassReferencesAndIdentity) {
  EXPECT_EQ(TCircle::StaticClass()->ClassName(), u"TCircle");
  EXPECT_EQ(TCircle::StaticClass()->ClassParent(), TShape::StaticClass());
  EXPECT_TRUE(TCircle::StaticClass()->InheritsFrom(TObject::StaticClass()));
  EXPECT_FALSE(TShape::StaticClass()->InheritsFrom(TCircle::StaticClass()));
  EXPECT_TRUE(TCircle::StaticClass()->ClassNameIs(u"tcircle"));
  TClassOf<TShape> ref = ClassOf<TCircle>();
  EXPECT_STREQ(ref->Describe(), "circle");  // class method through the class side
  EXPECT_EQ(ref->ClassType(), TCircle::StaticClass());
  EXPECT_THROW(ClassAs<TCircle>(TShape::StaticClass()), EInvalidCast);
}

TEST(ObjectModel, ConstructionRunsOverridesAndAfterConstruction) {
  gLog.clear();
  TShape* s = CreateFrom(TClassOf<TShape>(TCircle::StaticClass()), &TShape::Create, 5);
  EXPECT_EQ(s->ClassType(), TCircle::StaticClass());
  EXPECT_STREQ(s->FKind, "circle");
  EXPECT_EQ(s->FSize, 5);
  EXPECT_EQ(s->FUntouched, 0);
  EXPECT_EQ(gLog, std::vector<std::string>{"AfterConstruction"});
  gLog.clear();
  Free(s);
  EXPECT_EQ(gLog, (std::vector<std::string>{"BeforeDestruction", "TShape.Destroy"}));

  TCircle* c = NewBy<TCircle>(&TCircle::CreateUnit);
  EXPECT_EQ(c->FSize, 1);
  FreeAndNil(c);
  EXPECT_EQ(c, nullptr);
  Free(nullptr);
}

TEST(ObjectModel, RaisingConstructorFreesTheHalfBuiltObject) {
  gLog.clear();
  EXPECT_THROW(New<TCircle>(-1), EConvertError);
  EXPECT_EQ(gLog, (std::vector<std::string>{"BeforeDestruction", "TShape.Destroy"}));
}

TEST(ObjectModel, CheckedCasts) {
  TShape* s = New<TShape>(1);
  EXPECT_TRUE(Is<TShape>(s));
  EXPECT_FALSE(Is<TCircle>(s));
  EXPECT_FALSE(Is<TShape>(nullptr));
  EXPECT_THROW(As<TCircle>(s), EInvalidCast);
  EXPECT_EQ(As<TCircle>(static_cast<TObject*>(nullptr)), nullptr);
  Free(s);
}

TEST(Exceptions, ValueClassesKeepTheirDynamicType) {
  std::unique_ptr<Exception> e = EReadError(u"Stream read error").Clone();
  EXPECT_EQ(e->ClassName(), u"EReadError");
  try {
    e->Raise();
  } catch (const EFilerError& caught) {
    EXPECT_EQ(caught.Message(), u"Stream read error");
    EXPECT_STREQ(caught.what(), "Stream read error");
  }
  EXPECT_THROW(Abort(), EAbort);
}

}  // namespace
