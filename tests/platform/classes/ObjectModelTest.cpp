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
  void Destroy() override { gLog.push_back("TShape.Destroy"); inherited::Destroy(); }
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
    inherited::Create(ASize);
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

// Raises in AfterConstruction when asked to.
class TFussyShape : public TShape {
  CL_CLASS(TFussyShape, TShape)
 public:
  void AfterConstruction() override {
    inherited::AfterConstruction();
    if (FSize == 13) throw EConvertError(u"unlucky");
  }
  // Memory the sanitizer would report as leaked if the object were not freed.
  void Create(Integer ASize) override {
    inherited::Create(ASize);
    FBuffer = new char[64];
  }
  void Destroy() override {
    delete[] FBuffer;
    inherited::Destroy();
  }
  char* FBuffer{};
};
CL_IMPLEMENT_CLASS(TFussyShape)

TEST(ObjectModel, RaisingAfterConstructionFreesTheObject) {
  gLog.clear();
  EXPECT_THROW(New<TFussyShape>(13), EConvertError);
  EXPECT_EQ(gLog, (std::vector<std::string>{"AfterConstruction", "BeforeDestruction", "TShape.Destroy"}));
  gLog.clear();
  EXPECT_THROW(CreateFrom(TClassOf<TShape>(TFussyShape::StaticClass()), 13), EConvertError);
  EXPECT_EQ(gLog.back(), "TShape.Destroy");
}

TEST(ObjectModel, TypedCreateFromGivesTheReferencedClass) {
  TClassOf<TShape> ref = ClassOf<TCircle>();
  TShape* s = CreateFrom(ref, 7);  // the platform's ref.Create(7)
  EXPECT_EQ(s->ClassType(), TCircle::StaticClass());
  EXPECT_STREQ(s->FKind, "circle");
  Free(s);
  TCircle* c = CreateFrom(ClassOf<TCircle>(), 2);
  EXPECT_EQ(c->FSize, 2);
  Free(c);
  EXPECT_THROW(CreateFrom(TClassOf<TCircle>(TShape::StaticClass()), 1), EInvalidCast);
  EXPECT_THROW(CreateFrom(TClassOf<TShape>(), 1), EInvalidCast);
}

TEST(ObjectModel, ClassReferencesOfDifferentTypesCompare) {
  TClassOf<TShape> shape = ClassOf<TCircle>();
  TClassOf<TCircle> circle = ClassOf<TCircle>();
  TClass raw = TCircle::StaticClass();
  EXPECT_TRUE(shape == circle);
  EXPECT_TRUE(circle == shape);
  EXPECT_TRUE(shape == raw);
  EXPECT_TRUE(raw == circle);
  EXPECT_FALSE(ClassOf<TShape>() == circle);
  EXPECT_TRUE(circle != ClassOf<TShape>());
  EXPECT_TRUE(TClassOf<TShape>() == nullptr);
}

// A class that forgot its CL_CLASS, and one naming a grandparent as its parent:
// creating either, or defining its metaclass, does not compile.
class TForgotClass : public TShape {};
class TSkipsParent : public TCircle {
  CL_CLASS(TSkipsParent, TShape)
};
static_assert(!classes_detail::HasOwnClass<TForgotClass>);
static_assert(classes_detail::HasOwnClass<TSkipsParent> && !classes_detail::NamesItsParent<TSkipsParent>());
static_assert(classes_detail::HasOwnClass<TCircle> && classes_detail::NamesItsParent<TCircle>());
static_assert(classes_detail::NamesItsParent<TObject>());

TEST(ObjectModel, AbstractOperationsRaiseOneError) {
  try {
    AbstractError();
    FAIL();
  } catch (const EAbstractError& e) {
    EXPECT_EQ(e.Message(), u"Abstract Error");
  }
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

// --- The worked example of docs/ARCHITECTURE.md ("Object model"), kept compiling ---

#include "platform/classes/Classes.h"
#include "platform/classes/Interfaces.h"
#include "platform/classes/TypInfoBuild.h"

// vxGauge.h
constexpr Cardinal VXM_RESET = 0x0400 + 1;  // WM_USER + 1

class TvxGaugePainter : public TObject {
  CL_CLASS(TvxGaugePainter, TObject)
 public:
  virtual Integer ButtonSize() const { return 16; }  // class function ButtonSize: Integer; virtual;
};
class TvxFlatGaugePainter : public TvxGaugePainter {
  CL_CLASS(TvxFlatGaugePainter, TvxGaugePainter)
 public:
  Integer ButtonSize() const override { return 12; }
};
using TvxGaugePainterClass = TClassOf<TvxGaugePainter>;

CL_ENUM(TvxGaugeKind, Byte, gkBar, gkDial)

class IvxGaugeListener : public virtual IInterface {
  CL_INTERFACE(IvxGaugeListener, "{5D2F7C4A-1B3E-4F60-9A8B-7C6D5E4F3A21}")
 public:
  virtual void GaugeChanged(TObject* Sender) = 0;
};

class TvxGauge : public TComponent {
  CL_CLASS(TvxGauge, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  Integer ButtonWidth() const;
  TvxGaugeKind Kind() const { return FKind; }
  void SetKind(TvxGaugeKind Value) { FKind = Value; }
  Integer Max() const { return FMax; }
  void SetMax(Integer Value);
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  Integer ResetCount() const { return FResetCount; }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual Integer GetDefaultMax() const { return 100; }

 private:
  void VXMReset(TMessage& Message);

  TvxGaugeKind FKind{};
  Integer FMax{};
  TNotifyEvent FOnChange;
  TvxGaugePainterClass FPainterClass;
  Integer FResetCount{};
};

class TvxGaugeLink : public TInterfacedObject, public IvxGaugeListener {
  CL_CLASS(TvxGaugeLink, TInterfacedObject)
 public:
  void GaugeChanged(TObject* Sender) override { ++FCount; }
  Integer Count() const { return FCount; }

 private:
  Integer FCount{};
};

// vxGauge.cpp
CL_IMPLEMENT_CLASS(TvxGaugePainter)
CL_IMPLEMENT_CLASS(TvxFlatGaugePainter)

CL_IMPLEMENT_CLASS_PUBLISHED(TvxGauge, P) {
  P.Property(u"Kind", &TvxGauge::Kind, &TvxGauge::SetKind).Default(gkBar);
  P.Property(u"Max", &TvxGauge::Max, &TvxGauge::SetMax).Default(100);
  P.Property(u"OnChange", &TvxGauge::OnChange, &TvxGauge::SetOnChange);
}

CL_IMPLEMENT_CLASS(TvxGaugeLink)

void TvxGauge::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FPainterClass = ClassOf<TvxFlatGaugePainter>();
  SetMax(GetDefaultMax());
}

Integer TvxGauge::ButtonWidth() const { return FPainterClass->ButtonSize() * 2; }

void TvxGauge::SetMax(Integer Value) {
  if (FMax == Value) return;
  FMax = Value;
  if (Assigned(FOnChange)) FOnChange(this);
}

void TvxGauge::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case VXM_RESET:
      VXMReset(Message);
      break;
    default:
      inherited::Dispatch(Message);
  }
}

void TvxGauge::VXMReset(TMessage& Message) {
  ++FResetCount;
  inherited::Dispatch(Message);  // inherited
}

// A descendant overriding the operation the constructor calls.
class TvxBigGauge : public TvxGauge {
  CL_CLASS(TvxBigGauge, TvxGauge)
 protected:
  Integer GetDefaultMax() const override { return 1000; }
};
CL_IMPLEMENT_CLASS(TvxBigGauge)

namespace {

TEST(ObjectModelGuide, TheWorkedExampleBehavesAsItsSource) {
  TClassOf<TvxGauge> gaugeClass = ClassOf<TvxBigGauge>();
  TvxGauge* gauge = CreateFrom(gaugeClass, nullptr);  // GaugeClass.Create(nil)
  EXPECT_EQ(gauge->Max(), 1000);  // the constructor reached the override
  EXPECT_EQ(gauge->ButtonWidth(), 24);
  TMessage m{VXM_RESET, 0, 0, 0};
  gauge->Dispatch(m);
  EXPECT_EQ(gauge->ResetCount(), 1);
  EXPECT_EQ(GetEnumProp(gauge, u"Kind"), u"gkBar");
  SetOrdProp(gauge, u"Max", 5);
  EXPECT_EQ(gauge->Max(), 5);
  EXPECT_FALSE(IsDefaultPropertyValue(gauge, GetPropInfo(gauge, u"Max")));

  TInterfacePtr<IvxGaugeListener> link = New<TvxGaugeLink>();
  EXPECT_TRUE(Supports<IvxGaugeListener>(TvxGaugeLink::StaticClass()));
  link->GaugeChanged(gauge);
  Free(gauge);
}

}  // namespace
