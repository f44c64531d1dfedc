// Stored-property streams: any bytes either read as an object tree or raise
// a stream-reading error (never a crash, an unbounded allocation or another
// exception); a tree read answers its paths, and restoring it onto an
// object that takes any property and child ends without a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lib/foundation/vlStorage.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"

namespace {

// Keeps whatever it is given.
class TSink : public TInterfacedPersistent, public IvlStoredPropertiesProvider, public IvlStoredChildrenProvider {
  CL_CLASS(TSink, TInterfacedPersistent)
 public:
  void Destroy() override {
    for (TObject* child : Children) Free(child);
    inherited::Destroy();
  }
  String GetStoredObjectName() override { return Name; }
  Boolean GetStoredProperties(TStrings*) override { return false; }
  Variant GetStoredPropertyValue(const String&) override { return Variant(); }
  void SetStoredPropertyValue(const String&, const Variant& AValue) override { Last = AValue; }
  TObject* CreateStoredChild(const String& AObjectName, const String&) override {
    if (Children.size() > 64) return nullptr;
    TSink* child = New<TSink>();
    child->Name = AObjectName;
    Children.push_back(child);
    return child;
  }
  void DeleteStoredChild(const String&, TObject*) override {}
  void GetStoredChildren(TStringList*) override {}

  String Name;
  Variant Last;
  std::vector<TSink*> Children;
};

}  // namespace

CL_IMPLEMENT_CLASS(TSink)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > (1u << 20)) return 0;
  TMemoryStream* In = New<TMemoryStream>();
  if (Size > 0) In->WriteBuffer(Data, static_cast<Integer>(Size));
  In->SetPosition(0);
  TvlStreamReader* Reader = New<TvlStreamReader>(String(), static_cast<TStream*>(In));
  TStringList* Names = New<TStringList>();
  TStringList* Classes = New<TStringList>();
  TSink* Sink = New<TSink>();
  try {
    Reader->StartRead();
    Reader->ReadChildren(u"Obj", u"", Classes, Names);
    Reader->ReadProperties(u"Obj", u"", Names);
    In->SetPosition(0);
    TvlStorage* Storage = New<TvlStorage>(static_cast<TStream*>(In));
    Finally freeStorage([&] { Free(Storage); });
    Storage->SetModes(TvlStorageModes{smChildrenCreating});
    Sink->Name = u"Obj";
    Storage->RestoreFromStream(Sink);
  } catch (const EFilerError&) {
  } catch (const EVariantError&) {
    // a property value of one kind asked as another
  }
  Free(Sink);
  Free(Classes);
  Free(Names);
  Free(Reader);
  Free(In);
  return 0;
}
