#include "lib/lookandfeel/vlLookAndFeels.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/win/Windows.h"

namespace {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

using Values = TvlLookAndFeelValues;

// A painter that only exists to be registered by name.
class TSkinTestPainter : public TvlUltraFlatLookAndFeelPainter {
  CL_CLASS(TSkinTestPainter, TvlUltraFlatLookAndFeelPainter)
};

// Records the changes a look and feel broadcasts.
struct TChangeLog : TObject {
  CL_CLASS(TChangeLog, TObject)
 public:
  void Changed(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) {
    Calls.push_back(AChangedValues.ToInt());
  }
  std::vector<Integer> Calls;
};

// A slave listener that is not a look and feel.
class TTestListener : public TObject, public IvlLookAndFeelChangeListener {
  CL_CLASS(TTestListener, TObject)
 public:
  HRESULT QueryInterface(const TGUID& IID, void** Obj) override {
    return GetInterface(IID, Obj) ? S_OK : E_NOINTERFACE;
  }
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }
  TObject* ListenerObject() override { return this; }
  void MasterStateChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) override {
    Changes.push_back(AChangedValues.ToInt());
  }
  void MasterLookAndFeelDestroying(TvlLookAndFeel* Sender) override { ++Destroying; }
  std::vector<Integer> Changes;
  Integer Destroying = 0;
};

// A component publishing a look and feel, for form files.
class TLookAndFeelHolder : public TComponent {
  CL_CLASS(TLookAndFeelHolder, TComponent)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    FLookAndFeel = New<TvlLookAndFeel>(static_cast<TPersistent*>(this));
  }
  void Destroy() override {
    Free(FLookAndFeel);
    inherited::Destroy();
  }
  TvlLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TvlLookAndFeel* Value) { FLookAndFeel->Assign(Value); }

 private:
  TvlLookAndFeel* FLookAndFeel{};
};

}  // namespace

CL_IMPLEMENT_CLASS(TSkinTestPainter)
CL_IMPLEMENT_CLASS(TChangeLog)
CL_IMPLEMENT_CLASS(TTestListener)
CL_IMPLEMENT_CLASS_PUBLISHED(TLookAndFeelHolder, P) {
  P.Property(u"LookAndFeel", &TLookAndFeelHolder::LookAndFeel, &TLookAndFeelHolder::SetLookAndFeel);
}

namespace {

class LookAndFeelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(vlRootLookAndFeel(), nullptr);
    vlRootLookAndFeel()->Reset();
  }
  void TearDown() override { vlRootLookAndFeel()->Reset(); }

  Owned<TvlLookAndFeel> NewLookAndFeel() { return Owned<TvlLookAndFeel>(New<TvlLookAndFeel>(nullptr)); }
  void Log(TvlLookAndFeel* ALookAndFeel, TChangeLog* ALog) {
    ALookAndFeel->SetOnChanged(TvlLookAndFeelChangedEvent(ALog, &TChangeLog::Changed));
  }

  static constexpr Integer kKind = 1, kNative = 2, kSkin = 4, kAll = 7;
};

TEST_F(LookAndFeelTest, ANewLookAndFeelHasTheDefaultsAndTheUltraFlatPainter) {
  auto lf = NewLookAndFeel();
  EXPECT_EQ(lf->Kind(), lfUltraFlat);
  EXPECT_FALSE(lf->NativeStyle());
  EXPECT_EQ(lf->SkinName(), u"");
  EXPECT_TRUE(lf->Painter() == ClassOf<TvlUltraFlatLookAndFeelPainter>());
  EXPECT_EQ(lf->MasterLookAndFeel(), vlRootLookAndFeel());
  EXPECT_EQ(lf->ActiveStyle(), lfsUltraFlat);
  EXPECT_EQ(vlRootLookAndFeel()->MasterLookAndFeel(), nullptr);
  EXPECT_TRUE(vlRootLookAndFeel()->Painter() == ClassOf<TvlUltraFlatLookAndFeelPainter>());
}

TEST_F(LookAndFeelTest, KindTablesMapKindsStylesAndPainters) {
  struct Case {
    TvlLookAndFeelKind Kind;
    TvlLookAndFeelStyle Style;
    TClass Painter;
  };
  const Case cases[] = {{lfFlat, lfsFlat, TvlFlatLookAndFeelPainter::StaticClass()},
                        {lfStandard, lfsStandard, TvlStandardLookAndFeelPainter::StaticClass()},
                        {lfUltraFlat, lfsUltraFlat, TvlUltraFlatLookAndFeelPainter::StaticClass()}};
  for (const Case& c : cases) {
    EXPECT_EQ(vlLookAndFeelStyleOfKind(c.Kind), c.Style);
    EXPECT_EQ(vlLookAndFeelKindOfStyle(c.Style), c.Kind);
    EXPECT_TRUE(vlLookAndFeelPainterOfKind(c.Kind) == c.Painter);
    auto lf = NewLookAndFeel();
    lf->SetKind(c.Kind);
    EXPECT_TRUE(lf->Painter() == c.Painter);
    EXPECT_EQ(lf->ActiveStyle(), c.Style);
  }
  EXPECT_EQ(vlLookAndFeelStyleOfKind(lfOffice11), lfsOffice11);
  EXPECT_EQ(vlLookAndFeelKindOfStyle(lfsNative), lfStandard);
  EXPECT_EQ(vlLookAndFeelKindOfStyle(lfsOffice11), lfOffice11);
  const std::pair<TvlLookAndFeelStyle, TvlLookAndFeelKind> painterUnit[] = {
      {lfsFlat, lfFlat}, {lfsStandard, lfStandard}, {lfsUltraFlat, lfUltraFlat}, {lfsNative, lfStandard},
      {lfsOffice11, lfOffice11}};
  for (auto [style, kind] : painterUnit) EXPECT_EQ(vlStyleToLookAndFeelKind(style), kind);
}

TEST_F(LookAndFeelTest, ARootChangeReachesEverySlaveOnceDownTheChain) {
  auto master = NewLookAndFeel();
  auto slave = NewLookAndFeel();
  slave->SetMasterLookAndFeel(master.get());
  TChangeLog masterLog, slaveLog;
  Log(master.get(), &masterLog);
  Log(slave.get(), &slaveLog);

  vlRootLookAndFeel()->SetKind(lfStandard);
  EXPECT_EQ(master->Kind(), lfStandard);
  EXPECT_EQ(slave->Kind(), lfStandard);
  EXPECT_TRUE(slave->Painter() == ClassOf<TvlStandardLookAndFeelPainter>());
  EXPECT_EQ(masterLog.Calls, std::vector<Integer>{kKind});
  EXPECT_EQ(slaveLog.Calls, std::vector<Integer>{kKind});

  // a master that assigns its own kind stops the root's kind changes
  master->SetKind(lfFlat);
  EXPECT_EQ(slave->Kind(), lfFlat);
  vlRootLookAndFeel()->SetKind(lfUltraFlat);
  EXPECT_EQ(slave->Kind(), lfFlat);
  EXPECT_EQ(slaveLog.Calls, (std::vector<Integer>{kKind, kKind}));  // the master's own kind holds
}

TEST_F(LookAndFeelTest, AssignedValuesAreNotTakenFromTheMaster) {
  auto master = NewLookAndFeel();
  auto slave = NewLookAndFeel();
  slave->SetMasterLookAndFeel(master.get());
  slave->SetKind(lfFlat);
  TChangeLog log;
  Log(slave.get(), &log);
  master->SetKind(lfStandard);
  master->SetNativeStyle(true);
  master->SetSkinName(u"Unknown");
  EXPECT_EQ(slave->Kind(), lfFlat);
  EXPECT_TRUE(slave->NativeStyle());
  EXPECT_EQ(slave->SkinName(), u"Unknown");
  EXPECT_EQ(log.Calls, (std::vector<Integer>{kNative, kSkin}));
  // an unknown skin name falls back to the kind's painter
  master->SetNativeStyle(false);
  EXPECT_TRUE(slave->Painter() == ClassOf<TvlFlatLookAndFeelPainter>());
  EXPECT_TRUE(!slave->SkinPainter());
}

TEST_F(LookAndFeelTest, ResetBroadcastsWhatChangesForTheListeners) {
  auto lf = NewLookAndFeel();
  lf->SetKind(lfStandard);
  TTestListener listener;
  lf->AddChangeListener(&listener);
  lf->AddChangeListener(&listener);  // not twice
  TChangeLog log;
  Log(lf.get(), &log);
  lf->Reset();
  EXPECT_EQ(lf->AssignedValues().ToInt(), 0);
  EXPECT_EQ(lf->Kind(), lfUltraFlat);
  EXPECT_EQ(listener.Changes, std::vector<Integer>{kKind});
  EXPECT_EQ(log.Calls, std::vector<Integer>{kKind});
  lf->RemoveChangeListener(&listener);
}

TEST_F(LookAndFeelTest, SettingTheSameValueOrPainterBroadcastsNothing) {
  auto lf = NewLookAndFeel();
  TChangeLog log;
  Log(lf.get(), &log);
  lf->SetKind(lfUltraFlat);
  lf->SetNativeStyle(false);
  lf->SetSkinName(u"");
  lf->SetPainter(ClassOf<TvlUltraFlatLookAndFeelPainter>());
  EXPECT_TRUE(log.Calls.empty());
  EXPECT_EQ(lf->AssignedValues().ToInt(), kAll);  // but they are assigned now
  lf->SetPainter(ClassOf<TvlFlatLookAndFeelPainter>());
  EXPECT_TRUE(lf->Painter() == ClassOf<TvlFlatLookAndFeelPainter>());
  lf->SetPainter(nullptr);  // back to the computed one
  EXPECT_TRUE(lf->Painter() == ClassOf<TvlUltraFlatLookAndFeelPainter>());
  EXPECT_EQ(log.Calls, (std::vector<Integer>{kKind | kNative, kKind | kNative}));
  // the names compare exactly
  lf->SetSkinName(u"A");
  lf->SetSkinName(u"a");
  EXPECT_EQ(log.Calls.size(), 4u);
}

TEST_F(LookAndFeelTest, DestroyingAMasterMakesItsSlavesFollowTheRoot) {
  vlRootLookAndFeel()->SetKind(lfFlat);
  auto master = NewLookAndFeel();
  master->SetKind(lfStandard);
  auto slave1 = NewLookAndFeel();
  auto slave2 = NewLookAndFeel();
  slave1->SetMasterLookAndFeel(master.get());
  slave2->SetMasterLookAndFeel(master.get());
  slave2->SetKind(lfStandard);
  TChangeLog log1, log2;
  Log(slave1.get(), &log1);
  Log(slave2.get(), &log2);
  EXPECT_EQ(slave1->Kind(), lfStandard);

  master.reset();
  EXPECT_EQ(slave1->MasterLookAndFeel(), vlRootLookAndFeel());
  EXPECT_EQ(slave1->Kind(), lfFlat);
  EXPECT_EQ(log1.Calls, std::vector<Integer>{kKind});
  EXPECT_TRUE(log2.Calls.empty());  // its own kind stays: nothing changed for it
  // they listen to the root now
  vlRootLookAndFeel()->SetNativeStyle(true);
  EXPECT_TRUE(slave1->NativeStyle());
  EXPECT_TRUE(slave2->NativeStyle());
}

TEST_F(LookAndFeelTest, SettingTheMasterIgnoresSelfTheRootAndTheCurrentMaster) {
  auto lf = NewLookAndFeel();
  TChangeLog log;
  Log(lf.get(), &log);
  lf->SetMasterLookAndFeel(lf.get());
  lf->SetMasterLookAndFeel(vlRootLookAndFeel());
  EXPECT_TRUE(log.Calls.empty());
  vlRootLookAndFeel()->SetMasterLookAndFeel(lf.get());
  EXPECT_EQ(vlRootLookAndFeel()->MasterLookAndFeel(), nullptr);
  // a master with other values: the change is broadcast
  auto master = NewLookAndFeel();
  master->SetKind(lfStandard);
  lf->SetMasterLookAndFeel(master.get());
  EXPECT_EQ(log.Calls, std::vector<Integer>{kKind});
  lf->SetMasterLookAndFeel(nullptr);
  EXPECT_EQ(lf->Kind(), lfUltraFlat);
}

TEST_F(LookAndFeelTest, AssignCopiesTheValuesAndTheMaster) {
  auto master = NewLookAndFeel();
  master->SetNativeStyle(true);
  auto source = NewLookAndFeel();
  source->SetMasterLookAndFeel(master.get());
  source->SetKind(lfFlat);
  auto dest = NewLookAndFeel();
  TChangeLog log;
  Log(dest.get(), &log);
  dest->Assign(source.get());
  EXPECT_EQ(dest->AssignedValues().ToInt(), kKind);
  EXPECT_EQ(dest->Kind(), lfFlat);
  EXPECT_EQ(dest->MasterLookAndFeel(), master.get());
  EXPECT_TRUE(dest->NativeStyle());
  EXPECT_FALSE(log.Calls.empty());
  EXPECT_EQ(log.Calls.back() & kKind, kKind);
  Owned<TStringList> other(New<TStringList>());
  EXPECT_THROW(dest->Assign(other.get()), EConvertError);
}

TEST_F(LookAndFeelTest, SetStyleChoosesNativeStyleOrTheKind) {
  auto lf = NewLookAndFeel();
  lf->SetStyle(lfsFlat);
  EXPECT_EQ(lf->Kind(), lfFlat);
  EXPECT_FALSE(lf->NativeStyle());
  lf->SetStyle(lfsNative);
  EXPECT_TRUE(lf->NativeStyle());
  EXPECT_EQ(lf->Kind(), lfFlat);  // kept
  lf->SetStyle(lfsStandard);
  EXPECT_EQ(lf->Kind(), lfStandard);
}

TEST_F(LookAndFeelTest, TheLastControllerGoingResetsTheRoot) {
  Owned<TComponent> form(New<TComponent>(nullptr));
  auto* c1 = New<TvlLookAndFeelController>(form.get());
  auto* c2 = New<TvlLookAndFeelController>(form.get());
  EXPECT_EQ(vlLookAndFeelControllerCount(), 2);
  c1->SetKind(lfStandard);
  c2->SetNativeStyle(true);
  EXPECT_EQ(vlRootLookAndFeel()->Kind(), lfStandard);
  EXPECT_EQ(c2->Kind(), lfStandard);
  auto slave = NewLookAndFeel();
  EXPECT_EQ(slave->Kind(), lfStandard);
  Free(c1);
  EXPECT_EQ(vlRootLookAndFeel()->AssignedValues().ToInt(), kKind | kNative);
  Free(c2);
  EXPECT_EQ(vlLookAndFeelControllerCount(), 0);
  EXPECT_EQ(vlRootLookAndFeel()->AssignedValues().ToInt(), 0);
  EXPECT_EQ(slave->Kind(), lfUltraFlat);
  EXPECT_FALSE(slave->NativeStyle());
  // a controller offered to another look and feel is ignored
  auto* c3 = New<TvlLookAndFeelController>(form.get());
  TChangeLog log;
  slave->AddChangeListener(c3);
  Log(slave.get(), &log);
  slave->SetKind(lfFlat);
  EXPECT_EQ(vlLookAndFeelControllerCount(), 1);
  c3->Reset();
  EXPECT_EQ(vlRootLookAndFeel()->AssignedValues().ToInt(), kAll);
  Free(c3);
  EXPECT_EQ(vlRootLookAndFeel()->AssignedValues().ToInt(), 0);
}

TEST_F(LookAndFeelTest, ASkinNameChoosesTheRegisteredPainterUntilItIsUnregistered) {
  TvlExtendedStylePainters* registry = vlGetStylePainterRegistry();
  ASSERT_NE(registry, nullptr);
  auto lf = NewLookAndFeel();
  lf->SetKind(lfFlat);
  lf->SetSkinName(u"testskin");
  EXPECT_TRUE(lf->Painter() == ClassOf<TvlFlatLookAndFeelPainter>());
  TChangeLog log;
  Log(lf.get(), &log);
  ASSERT_TRUE(registry->Register(u"TestSkin", ClassOf<TSkinTestPainter>(), nullptr));
  // not listening yet: nothing had a skin painter
  EXPECT_TRUE(log.Calls.empty());
  lf->Refresh();
  EXPECT_TRUE(lf->Painter() == ClassOf<TSkinTestPainter>());
  EXPECT_TRUE(lf->SkinPainter() == ClassOf<TSkinTestPainter>());
  // a slave takes the master's skin painter
  auto slave = NewLookAndFeel();
  slave->SetMasterLookAndFeel(lf.get());
  EXPECT_TRUE(slave->Painter() == ClassOf<TSkinTestPainter>());
  // NativeStyle wins over a skin whether or not themes can be used
  slave->SetNativeStyle(true);
  EXPECT_TRUE(!slave->SkinPainter());
  EXPECT_FALSE(slave->Painter() == ClassOf<TSkinTestPainter>());
  // unregistering restyles at once
  log.Calls.clear();
  ASSERT_TRUE(registry->Unregister(u"TESTSKIN"));
  EXPECT_EQ(log.Calls, std::vector<Integer>{kAll});
  EXPECT_TRUE(lf->Painter() == ClassOf<TvlFlatLookAndFeelPainter>());
}

TEST_F(LookAndFeelTest, AssignedValuesAreStreamedOnlyWhenAssigned) {
  Owned<TLookAndFeelHolder> holder(New<TLookAndFeelHolder>(nullptr));
  holder->SetName(u"Holder");
  auto write = [&] {
    Owned<TMemoryStream> stream(New<TMemoryStream>());
    stream->WriteComponent(holder.get());
    return ObjectBinaryToText(
        RawByteString(static_cast<const char*>(stream->Memory()), size_t(stream->Size())));
  };
  RawByteString text = write();
  EXPECT_EQ(text.find("LookAndFeel."), std::string::npos) << text;

  holder->LookAndFeel()->SetKind(lfFlat);
  holder->LookAndFeel()->SetNativeStyle(false);
  holder->LookAndFeel()->SetSkinName(u"");
  text = write();
  SCOPED_TRACE(text);
  EXPECT_NE(text.find("LookAndFeel.Kind = lfFlat"), std::string::npos);
  EXPECT_NE(text.find("LookAndFeel.NativeStyle = False"), std::string::npos);
  EXPECT_NE(text.find("LookAndFeel.SkinName = ''"), std::string::npos);
  EXPECT_EQ(text.find("AssignedValues"), std::string::npos);

  Owned<TLookAndFeelHolder> copy(New<TLookAndFeelHolder>(nullptr));
  Owned<TMemoryStream> stream(New<TMemoryStream>());
  const RawByteString binary = ObjectTextToBinary(text);
  stream->WriteBuffer(binary.data(), Integer(binary.size()));
  stream->SetPosition(0);
  stream->ReadComponent(copy.get());
  EXPECT_EQ(copy->LookAndFeel()->AssignedValues().ToInt(), kAll);
  EXPECT_EQ(copy->LookAndFeel()->Kind(), lfFlat);
  EXPECT_EQ(copy->LookAndFeel()->SkinName(), u"");

  // a non-empty skin name goes through the published property, once
  holder->LookAndFeel()->SetSkinName(u"Blue");
  text = write();
  EXPECT_EQ(text.find("SkinName"), text.rfind("SkinName"));
  EXPECT_NE(text.find("LookAndFeel.SkinName = 'Blue'"), std::string::npos);
}

// --- Named painters registry -------------------------------------------------------------------

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { FRegistry = New<TvlExtendedStylePainters>(); }
  void TearDown() override { Free(FRegistry); }
  TvlExtendedStylePainters* FRegistry{};
};

struct TPainterLog : TObject, IvlLookAndFeelPainterListener {
  CL_CLASS(TPainterLog, TObject)
 public:
  HRESULT QueryInterface(const TGUID& IID, void** Obj) override {
    return GetInterface(IID, Obj) ? S_OK : E_NOINTERFACE;
  }
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }
  void PainterChanged(TvlCustomLookAndFeelPainterClass APainter) override { Painters.push_back(APainter); }
  std::vector<TClass> Painters;
};

TEST_F(RegistryTest, NamesAreUniqueWithoutRegardToCaseAndKeptSorted) {
  Owned<TObject> refused(New<TObject>());
  TObject* data = New<TObject>();
  EXPECT_TRUE(FRegistry->Register(u"Zeta", ClassOf<TSkinTestPainter>(), data));
  EXPECT_FALSE(FRegistry->Register(u"Zeta", ClassOf<TvlFlatLookAndFeelPainter>(), refused.get()));
  EXPECT_FALSE(FRegistry->Register(u"ZETA", ClassOf<TvlFlatLookAndFeelPainter>(), refused.get()));
  EXPECT_TRUE(FRegistry->Register(u"Beta", ClassOf<TvlFlatLookAndFeelPainter>(), nullptr));
  EXPECT_TRUE(FRegistry->Register(u"Alpha", ClassOf<TSkinTestPainter>(), nullptr));
  ASSERT_EQ(FRegistry->Count(), 3);
  EXPECT_EQ(FRegistry->Names(0), u"Alpha");
  EXPECT_EQ(FRegistry->Names(1), u"Beta");
  EXPECT_EQ(FRegistry->Names(2), u"Zeta");
  EXPECT_EQ(FRegistry->Items(2)->Data, data);

  TvlCustomLookAndFeelPainterClass painter;
  EXPECT_TRUE(FRegistry->GetPainterByName(u"beta", painter));
  EXPECT_TRUE(painter == ClassOf<TvlFlatLookAndFeelPainter>());
  EXPECT_FALSE(FRegistry->GetPainterByName(u"Gamma", painter));
  EXPECT_TRUE(!painter);
  String name = u"x";
  EXPECT_TRUE(FRegistry->GetNameByPainter(ClassOf<TSkinTestPainter>(), name));
  EXPECT_EQ(name, u"Alpha");
  EXPECT_FALSE(FRegistry->GetNameByPainter(ClassOf<TvlStandardLookAndFeelPainter>(), name));
  EXPECT_EQ(name, u"");
  // the data of the entry that sorts first
  TObject* found = refused.get();
  EXPECT_TRUE(FRegistry->GetPainterData(ClassOf<TSkinTestPainter>(), found));
  EXPECT_EQ(found, nullptr);
  EXPECT_FALSE(FRegistry->GetPainterData(ClassOf<TvlStandardLookAndFeelPainter>(), found));
}

TEST_F(RegistryTest, ListenersHearOfRegistrationsAndRemovals) {
  TPainterLog log;
  FRegistry->AddListener(&log);
  FRegistry->AddListener(&log);
  EXPECT_EQ(FRegistry->Listeners().size(), 1u);
  FRegistry->Register(u"A", ClassOf<TSkinTestPainter>(), New<TObject>());
  EXPECT_FALSE(FRegistry->Unregister(u"B"));
  EXPECT_TRUE(FRegistry->Unregister(u"a"));
  EXPECT_EQ(FRegistry->Count(), 0);
  EXPECT_EQ(log.Painters, (std::vector<TClass>{TSkinTestPainter::StaticClass(), TSkinTestPainter::StaticClass()}));
  FRegistry->RemoveListener(&log);
  FRegistry->Register(u"C", ClassOf<TSkinTestPainter>(), nullptr);
  EXPECT_EQ(log.Painters.size(), 2u);
}

// --- System palette notification ----------------------------------------------------------------

struct TPaletteLog : TObject {
  CL_CLASS(TPaletteLog, TObject)
 public:
  void First() { Order.push_back(1); }
  void Second() { Order.push_back(2); }
  void Third() { Order.push_back(3); }
  std::vector<Integer> Order;
};

TEST(SystemPaletteTest, PrimaryNotifiersRunFirstEachGroupFromTheLast) {
  TPaletteLog log;
  Owned<TvlSystemPaletteChangedNotifier> a(New<TvlSystemPaletteChangedNotifier>(false));
  Owned<TvlSystemPaletteChangedNotifier> b(New<TvlSystemPaletteChangedNotifier>(false));
  Owned<TvlSystemPaletteChangedNotifier> p(New<TvlSystemPaletteChangedNotifier>(true));
  a->SetOnSystemPaletteChanged(TvlSystemPaletteChangedEvent(&log, &TPaletteLog::First));
  b->SetOnSystemPaletteChanged(TvlSystemPaletteChangedEvent(&log, &TPaletteLog::Second));
  p->SetOnSystemPaletteChanged(TvlSystemPaletteChangedEvent(&log, &TPaletteLog::Third));
  ASSERT_NE(vlSystemPaletteChangedWindow(), nullptr);
  auto lf = std::unique_ptr<TvlLookAndFeel, TObjectFree>(New<TvlLookAndFeel>(nullptr));
  TChangeLog changes;
  lf->SetOnChanged(TvlLookAndFeelChangedEvent(&changes, &TChangeLog::Changed));
  win::SendMessageW(vlSystemPaletteChangedWindow(), win::WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(log.Order, (std::vector<Integer>{3, 2, 1}));
  // a look and feel refreshes with [lfvNativeStyle]: once through its root,
  // once through its own notifier
  EXPECT_EQ(changes.Calls, (std::vector<Integer>{2, 2}));
}

}  // namespace

CL_IMPLEMENT_CLASS(TPainterLog)
CL_IMPLEMENT_CLASS(TPaletteLog)
