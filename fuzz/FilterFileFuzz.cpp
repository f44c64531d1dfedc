// Filter files opened in the filter builder: any bytes either load (and
// then save and load again to the same rows) or raise EReadError with the
// builder's rows and criteria left exactly as they were.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lib/data/vlValueTypes.h"
#include "lib/editors/vlFilterControl.h"
#include "platform/backend/Headless.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"

// Three items "a", "b", "c" with IDs 0..2 and the builder's own criteria.
class TFuzzSource : public TComponent, public IvlFilterControl {
  CL_CLASS(TFuzzSource, TComponent)
 public:
  TObject* Links[3]{};
  TvlFilterCriteria* Criteria{};
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    for (TObject*& L : Links) L = New<TObject>();
  }
  void ItemCaption(Integer AIndex, String& ACaption) override { ACaption = String(1, Char(u'a' + AIndex)); }
  Integer ItemCount() override { return 3; }
  TvlFilterCriteria* FilterCriteria() override { return Criteria; }
  TObject* ItemLink(Integer AIndex) override { return Links[AIndex]; }
  Integer ItemLinkID(Integer AIndex) override { return AIndex; }
  void ItemLinkName(Integer AIndex, String& AName) override { ItemCaption(AIndex, AName); }
  void ItemFieldName(Integer AIndex, String& AName) override { ItemCaption(AIndex, AName); }
  TvlCustomEditProperties* ItemProperties(Integer) override { return nullptr; }
  TvlValueTypeClass ItemValueType(Integer AIndex) override {
    return AIndex == 0 ? TvlValueTypeClass(ClassOf<TvlStringValueType>()) : ClassOf<TvlIntegerValueType>();
  }
};
CL_IMPLEMENT_CLASS(TFuzzSource)

namespace {

std::string Bytes(TvlFilterCriteria* C) {
  TMemoryStream* S = New<TMemoryStream>();
  C->WriteData(S);
  std::string R(static_cast<const char*>(S->Memory()), size_t(S->Size()));
  Free(S);
  return R;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static TModulesScope* modules = new TModulesScope();
  static backend::THeadlessBackend* display = new backend::THeadlessBackend();
  static TFuzzSource* source = New<TFuzzSource>(static_cast<TComponent*>(nullptr));
  static TvlFilterControl* builder = [] {
    TvlFilterControl* b = New<TvlFilterControl>(static_cast<TComponent*>(nullptr));
    source->Criteria = b->Criteria();
    b->LinkTo(source);
    return b;
  }();
  (void)modules;
  (void)display;
  if (Size > (1u << 20)) return 0;
  source->Criteria = builder->Criteria();
  builder->Clear();
  builder->AddCondition(nullptr);
  const Integer Rows = builder->RowCount();
  const std::string Own = Bytes(builder->Criteria());
  TMemoryStream* In = New<TMemoryStream>();
  if (Size > 0) In->WriteBuffer(Data, static_cast<Integer>(Size));
  In->SetPosition(0);
  try {
    builder->LoadFromStream(In);
    source->Criteria = builder->Criteria();
    const Integer Loaded = builder->RowCount();
    TMemoryStream* Out = New<TMemoryStream>();
    builder->SaveToStream(Out);
    Out->SetPosition(0);
    builder->LoadFromStream(Out);
    Free(Out);
    if (builder->RowCount() != Loaded) std::abort();
  } catch (const EReadError&) {
    if (builder->RowCount() != Rows || Bytes(builder->Criteria()) != Own) std::abort();
  }
  Free(In);
  return 0;
}
