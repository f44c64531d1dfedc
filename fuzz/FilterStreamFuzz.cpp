// Filter criteria stream: any bytes either read as a tree or raise
// EReadError (never a crash, a runaway count or another exception); a tree
// read writes back to bytes that read as an equal tree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "lib/data/vlFilter.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"

// Criteria whose item links are four fixed objects, by ID 0..3 or by the
// names "a".."d" (the last without a name).
class TFuzzCriteria : public TvlFilterCriteria {
  CL_CLASS(TFuzzCriteria, TvlFilterCriteria)
 public:
  TObject* Links[4]{};
  void Create() override {
    inherited::Create();
    for (TObject*& L : Links) L = New<TObject>();
  }
  void Destroy() override {
    inherited::Destroy();
    for (TObject* L : Links) Free(L);
  }
  Integer ItemLinkToID(TObject* AItemLink) override {
    for (Integer I = 0; I < 4; ++I)
      if (Links[I] == AItemLink) return I;
    return -1;
  }
  String ItemLinkToName(TObject* AItemLink) override {
    Integer I = ItemLinkToID(AItemLink);
    return I >= 0 && I < 3 ? String(1, static_cast<Char>(u'a' + I)) : String();
  }
  TObject* IDToItemLink(Integer AID) override { return AID >= 0 && AID < 4 ? Links[AID] : nullptr; }
  TObject* NameToItemLink(const String& AName) override {
    return AName.size() == 1 && AName[0] >= u'a' && AName[0] <= u'c' ? Links[AName[0] - u'a'] : nullptr;
  }
};
CL_IMPLEMENT_CLASS(TFuzzCriteria)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > (1u << 20)) return 0;
  TMemoryStream* In = New<TMemoryStream>();
  TMemoryStream* Out = New<TMemoryStream>();
  TFuzzCriteria* C = New<TFuzzCriteria>();
  TFuzzCriteria* Back = New<TFuzzCriteria>();
  if (Size > 0) In->WriteBuffer(Data, static_cast<Integer>(Size));
  In->SetPosition(0);
  try {
    C->ReadData(In);
    C->SetStoreItemLinkNames(true);
    C->WriteData(Out);
    Out->SetPosition(0);
    Back->SetStoreItemLinkNames(true);
    Back->ReadData(Out);
    if (!Back->EqualItems(C, false)) std::abort();
  } catch (const EReadError&) {
  }
  // Texts of whatever was read: a value that has no text may raise its
  // conversion error, nothing worse.
  try {
    (void)C->FilterText();
    (void)C->FilterCaption();
  } catch (const Exception&) {
  }
  if (C->LockCount() != 0) std::abort();
  Free(Back);
  Free(C);
  Free(In);
  Free(Out);
  return 0;
}
