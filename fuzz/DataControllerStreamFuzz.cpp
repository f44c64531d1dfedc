// The data controller's record stream: any bytes either load or raise the
// controller's or a stream-reading error, and a failed load leaves the
// records as they were; a stream that loaded writes back to bytes that load
// into equal records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "lib/data/vlDataController.h"
#include "lib/foundation/vlVariants.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Exceptions.h"

namespace {

using TControllerPtr = std::unique_ptr<TvlCustomDataController, TObjectFree>;
using TStreamPtr = std::unique_ptr<TMemoryStream, TObjectFree>;

TControllerPtr MakeController() {
  TControllerPtr DC(New<TvlCustomDataController>(nullptr));
  DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlStringValueType>());
  DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlVariantValueType>());
  // A text-stored item (a display format): its display texts travel too.
  DC->AddItem(nullptr)->SetValueTypeClass(ClassOf<TvlIntegerValueType>());
  DC->ChangeTextStored(3, true);
  DC->SetRecordCount(2);
  DC->SetValue(0, 3, 5);
  DC->DataStorage()->SetDisplayText(0, DC->GetItemField(3)->ValueDef(), u"5 kWh");
  DC->SetValue(0, 0, 7);
  DC->SetValue(1, 1, Variant(u"yedi"));
  DC->SetValue(1, 2, 2.5);
  return DC;
}

Boolean SameRecords(TvlCustomDataController* A, TvlCustomDataController* B) {
  if (A->RecordCount() != B->RecordCount()) return false;
  for (Integer R = 0; R < A->RecordCount(); ++R)
    for (Integer I = 0; I < A->GetItemCount(); ++I)
      if (vlCompareVariants(A->GetValue(R, I), B->GetValue(R, I)) != 0 ||
          A->GetDisplayText(R, I) != B->GetDisplayText(R, I))
        return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > (1u << 20)) return 0;
  TControllerPtr DC = MakeController();
  TControllerPtr Before = MakeController();
  TStreamPtr In(New<TMemoryStream>());
  if (Size > 0) In->WriteBuffer(Data, static_cast<Integer>(Size));
  In->SetPosition(0);
  try {
    DC->LoadFromStream(In.get());
  } catch (const EvlInvalidDataControllerOperation&) {
    if (!SameRecords(DC.get(), Before.get())) abort();
    return 0;
  } catch (const EReadError&) {
    if (!SameRecords(DC.get(), Before.get())) abort();
    return 0;
  }
  TStreamPtr Out(New<TMemoryStream>());
  DC->SaveToStream(Out.get());
  Out->SetPosition(0);
  TControllerPtr Again = MakeController();
  Again->LoadFromStream(Out.get());
  if (!SameRecords(DC.get(), Again.get())) abort();
  return 0;
}
