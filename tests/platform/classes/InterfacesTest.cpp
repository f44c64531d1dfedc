#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Interfaces.h"

namespace {

std::vector<std::string> gFreed;

class IIfSpeaker : public virtual IInterface {
  CL_INTERFACE(IIfSpeaker, "{2E983B3B-1A56-4599-8A85-C2540E182031}")
 public:
  virtual String Speak() = 0;
};
class IIfLoud : public virtual IInterface {
  CL_INTERFACE(IIfLoud, "{7EFAF634-E8D2-489D-9603-FCFC03ACA460}")
 public:
  virtual String Shout() = 0;
};
class IIfTyped : public virtual IInterface {
  CL_INTERFACE_NO_GUID(IIfTyped)
 public:
  virtual Integer Kind() = 0;
};

// Counted: frees itself at zero.
class TIfDog : public TInterfacedObject, public IIfSpeaker, public IIfTyped {
  CL_CLASS(TIfDog, TInterfacedObject)
 public:
  void Create() { TInterfacePtr<IIfSpeaker> self(this); }  // handing itself out does not free it
  void Destroy() override { gFreed.push_back("dog"); inherited::Destroy(); }
  String Speak() override { return u"woof"; }
  Integer Kind() override { return 1; }
};

// Not counted: its owner frees it.
class TIfRobot : public TNoRefCountObject, public IIfSpeaker, public IIfLoud {
  CL_CLASS(TIfRobot, TNoRefCountObject)
 public:
  void Destroy() override { gFreed.push_back("robot"); inherited::Destroy(); }
  String Speak() override { return u"beep"; }
  String Shout() override { return u"BEEP"; }
};

// Answers for its owner: QueryInterface and counting go to the controller.
class TIfPart : public TAggregatedObject {
  CL_CLASS(TIfPart, TAggregatedObject)
};

class TIfFailingDog : public TIfDog {
  CL_CLASS(TIfFailingDog, TIfDog)
 public:
  void Create() { Abort(); }
};

// Hands itself out as an interface while being destroyed.
class TIfEchoDog : public TIfDog {
  CL_CLASS(TIfEchoDog, TIfDog)
 public:
  void Destroy() override {
    TInterfacePtr<IIfSpeaker> self(this);
    gFreed.push_back("echo " + std::to_string(RefCount()));
    inherited::Destroy();
  }
};

// A component implementing interfaces: nothing but its bases says so.
class TIfComponent : public TComponent, public IIfLoud {
  CL_CLASS(TIfComponent, TComponent)
 public:
  String Shout() override { return u"HEY"; }
};

CL_IMPLEMENT_CLASS(TIfComponent)
CL_IMPLEMENT_CLASS(TIfFailingDog)
CL_IMPLEMENT_CLASS(TIfEchoDog)
CL_IMPLEMENT_CLASS(TIfDog)
CL_IMPLEMENT_CLASS(TIfRobot)
CL_IMPLEMENT_CLASS(TIfPart)

TEST(Interfaces, CountedObjectsFreeThemselvesAtZero) {
  gFreed.clear();
  TIfDog* dog = New<TIfDog>();
  EXPECT_EQ(dog->RefCount(), 0);
  {
    TInterfacePtr<IIfSpeaker> a = dog;
    EXPECT_EQ(dog->RefCount(), 1);
    TInterfacePtr<IIfSpeaker> b = a;
    TInterfacePtr<IInterface> c = b;
    EXPECT_EQ(dog->RefCount(), 3);
    TInterfacePtr<IIfSpeaker> moved = std::move(b);
    EXPECT_EQ(dog->RefCount(), 3);
    b = moved;
    TInterfacePtr<IIfSpeaker>& same = b;
    b = same;  // self-assignment keeps the count
    EXPECT_EQ(dog->RefCount(), 4);
    EXPECT_TRUE(c == a);  // same object through different interfaces
    EXPECT_EQ(a->Speak(), u"woof");
    c.reset();
    EXPECT_TRUE(gFreed.empty());
  }
  EXPECT_EQ(gFreed, std::vector<std::string>{"dog"});
}

TEST(Interfaces, FreeingAReferencedObjectRaisesAndKeepsIt) {
  gFreed.clear();
  TIfDog* dog = New<TIfDog>();
  TInterfacePtr<IIfSpeaker> keep = dog;
  EXPECT_THROW(Free(dog), EInvalidPointer);
  EXPECT_TRUE(gFreed.empty());
  keep = nullptr;
  EXPECT_EQ(gFreed, std::vector<std::string>{"dog"});
}

TEST(Interfaces, AReferenceTakenInsideDestroyDoesNotFreeTwice) {
  gFreed.clear();
  { TInterfacePtr<IIfSpeaker> p = New<TIfEchoDog>(); }
  EXPECT_EQ(gFreed, (std::vector<std::string>{"echo 2", "dog"}));
}

TEST(Interfaces, NonCountingObjectsAnswerMinusOne) {
  gFreed.clear();
  TIfRobot* robot = New<TIfRobot>();
  {
    TInterfacePtr<IIfLoud> loud = robot;
    EXPECT_EQ(loud->_AddRef(), -1);
    EXPECT_EQ(loud->_Release(), -1);
    EXPECT_EQ(loud->Shout(), u"BEEP");
  }
  EXPECT_TRUE(gFreed.empty());
  Free(robot);
  EXPECT_EQ(gFreed, std::vector<std::string>{"robot"});
}

TEST(Interfaces, QueryInterfaceAndGetInterfaceByGuid) {
  TIfRobot* robot = New<TIfRobot>();
  void* p = nullptr;
  EXPECT_EQ(robot->QueryInterface(IIfLoud::IID, &p), S_OK);
  EXPECT_EQ(static_cast<IIfLoud*>(p)->Shout(), u"BEEP");
  EXPECT_EQ(robot->QueryInterface(IID_IInterface, &p), S_OK);
  EXPECT_NE(p, nullptr);
  p = robot;
  EXPECT_EQ(robot->QueryInterface(GUIDConst("{00000000-0000-0000-0000-000000000001}"), &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_TRUE(robot->GetInterface(IIfSpeaker::IID, &p));
  EXPECT_EQ(static_cast<IIfSpeaker*>(p)->Speak(), u"beep");
  Free(robot);

  TIfDog* dog = New<TIfDog>();
  TInterfacePtr<IInterface> hold = dog;  // keeps the dog alive while asking
  EXPECT_EQ(dog->QueryInterface(IIfLoud::IID, &p), E_NOINTERFACE);
  ASSERT_EQ(dog->QueryInterface(IIfSpeaker::IID, &p), S_OK);
  EXPECT_EQ(dog->RefCount(), 2);  // QueryInterface counts
  static_cast<IIfSpeaker*>(p)->_Release();
}

// The C++ base is the one declaration of an interface: QueryInterface, the
// GUID form of Supports and the dynamic_cast form agree, whatever the class.
TEST(Interfaces, QueryInterfaceAgreesWithTheBasesOfEveryClass) {
  for (TObject* obj : {static_cast<TObject*>(New<TIfRobot>()), static_cast<TObject*>(New<TIfComponent>(nullptr))}) {
    IInterface* unknown = dynamic_cast<IInterface*>(obj);
    ASSERT_NE(unknown, nullptr);
    void* p = nullptr;
    EXPECT_EQ(unknown->QueryInterface(IIfLoud::IID, &p) == S_OK, Supports<IIfLoud>(obj));
    EXPECT_EQ(Supports(obj, IIfLoud::IID), Supports<IIfLoud>(obj));
    EXPECT_EQ(unknown->QueryInterface(IIfSpeaker::IID, &p) == S_OK, Supports<IIfSpeaker>(obj));
    EXPECT_TRUE(Supports<IIfLoud>(obj));
    if (p) {
      EXPECT_EQ(static_cast<IIfSpeaker*>(p)->Speak(), u"beep");
    }
    Free(obj);
  }
}

TEST(Interfaces, SupportsOnObjectsClassesAndInterfaces) {
  TIfRobot* robot = New<TIfRobot>();
  TObject* obj = robot;
  EXPECT_TRUE(Supports<IIfLoud>(obj));
  EXPECT_FALSE(Supports<IIfTyped>(obj));
  EXPECT_FALSE(Supports<IIfLoud>(static_cast<TObject*>(nullptr)));
  EXPECT_TRUE(Supports(obj, IIfLoud::IID));
  EXPECT_FALSE(Supports(obj, GUIDConst("{00000000-0000-0000-0000-000000000002}")));
  IIfLoud* raw = nullptr;
  EXPECT_TRUE(Supports(obj, raw));
  EXPECT_EQ(raw->Shout(), u"BEEP");
  TInterfacePtr<IIfSpeaker> speaker;
  EXPECT_TRUE(Supports(obj, speaker));
  EXPECT_EQ(speaker->Speak(), u"beep");
  speaker = nullptr;

  EXPECT_TRUE(Supports<IIfTyped>(TIfDog::StaticClass()));
  EXPECT_FALSE(Supports<IIfLoud>(TIfDog::StaticClass()));
  EXPECT_TRUE(Supports(TIfRobot::StaticClass(), IIfLoud::IID));

  IInterface* intf = static_cast<IIfSpeaker*>(robot);
  EXPECT_TRUE(Supports<IIfLoud>(intf));  // by GUID through QueryInterface
  EXPECT_FALSE(Supports<IIfTyped>(intf));
  Free(robot);
}

TEST(Interfaces, ForwardingObjectsAnswerForTheirController) {
  gFreed.clear();
  TIfDog* dog = New<TIfDog>();
  TInterfacePtr<IIfSpeaker> owner = dog;
  TIfPart* part = New<TIfPart>(static_cast<IInterface*>(static_cast<IIfSpeaker*>(dog)));
  IInterface* partIntf = part;
  EXPECT_EQ(partIntf->_AddRef(), 2);  // counts on the controller
  EXPECT_EQ(partIntf->_Release(), 1);
  TInterfacePtr<IIfSpeaker> viaPart;
  EXPECT_TRUE(Supports(partIntf, viaPart));
  EXPECT_EQ(viaPart->Speak(), u"woof");
  EXPECT_TRUE(viaPart == owner);
  viaPart = nullptr;
  Free(part);
  owner = nullptr;
  EXPECT_EQ(gFreed, std::vector<std::string>{"dog"});
}

TEST(Interfaces, RaisingConstructorOfACountedObjectStillDestroys) {
  gFreed.clear();
  // BeforeDestruction objects to the construction reference; Destroy runs all the same.
  EXPECT_THROW(New<TIfFailingDog>(), EAbort);
  EXPECT_EQ(gFreed, std::vector<std::string>{"dog"});
}

}  // namespace
