// The binary form reader: any bytes give a component tree or a filer error,
// never a crash or a leak; a stream that converts to text converts back to the
// same text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Classes.h"
#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Exceptions.h"

namespace {

CL_ENUM(TFuzzKind, Byte, fkOne, fkTwo, fkThree)
using TFuzzKinds = TSet<TFuzzKind, 1>;
CL_SET_TYPEINFO(TFuzzKinds)

class TFuzzItem : public TCollectionItem {
  CL_CLASS(TFuzzItem, TCollectionItem)
 public:
  String FText;
  TComponent* FLink{};
};

// A component with a property of every kind the reader handles.
class TFuzzComponent : public TComponent {
  CL_CLASS(TFuzzComponent, TComponent)
 public:
  void Create(TComponent* AOwner) override {
    inherited::Create(AOwner);
    FItems = New<TOwnedCollection>(this, ClassOf<TFuzzItem>());
  }
  void Destroy() override {
    FreeAndNil(FItems);
    inherited::Destroy();
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FRef) FRef = nullptr;
  }
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    for (Integer i = 0; i < ComponentCount(); ++i) Proc(Components(i));
  }
  TComponent* GetChildOwner() override { return this; }
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineProperty(u"Extra", TReaderProc(this, &TFuzzComponent::ReadExtra), nullptr, false);
    Filer->DefineBinaryProperty(u"Blob", TStreamProc(this, &TFuzzComponent::ReadBlob), nullptr, false);
  }
  void ReadExtra(TReader* R) { FText = R->ReadString(); }
  void ReadBlob(TStream* S) { FBlobSize = S->Size(); }
  void SetRef(TComponent* V) {
    FRef = V;
    if (V) V->FreeNotification(this);
  }
  TComponent* Ref() const { return FRef; }
  void Clicked(TObject*) {}

  Integer FInt{};
  Int64 FBig{};
  String FText;
  TFuzzKind FKind{};
  TFuzzKinds FKinds{};
  double FFloat{};
  bool FFlag{};
  Char FChar{};
  TOwnedCollection* FItems{};
  TComponent* FRef{};
  TNotifyEvent FOnClick;
  Int64 FBlobSize{};
};

}  // namespace

CL_IMPLEMENT_CLASS_PUBLISHED(TFuzzItem, P) {
  P.Property(u"Text", &TFuzzItem::FText, &TFuzzItem::FText);
  P.Property(u"Link", &TFuzzItem::FLink, &TFuzzItem::FLink);
}
CL_IMPLEMENT_CLASS_PUBLISHED(TFuzzComponent, P) {
  P.Property(u"Int", &TFuzzComponent::FInt, &TFuzzComponent::FInt);
  P.Property(u"Big", &TFuzzComponent::FBig, &TFuzzComponent::FBig);
  P.Property(u"Text", &TFuzzComponent::FText, &TFuzzComponent::FText);
  P.Property(u"Kind", &TFuzzComponent::FKind, &TFuzzComponent::FKind);
  P.Property(u"Kinds", &TFuzzComponent::FKinds, &TFuzzComponent::FKinds);
  P.Property(u"Float", &TFuzzComponent::FFloat, &TFuzzComponent::FFloat);
  P.Property(u"Flag", &TFuzzComponent::FFlag, &TFuzzComponent::FFlag);
  P.Property(u"Char", &TFuzzComponent::FChar, &TFuzzComponent::FChar);
  P.Property(u"Items", &TFuzzComponent::FItems, nullptr);
  P.Property(u"Ref", &TFuzzComponent::Ref, &TFuzzComponent::SetRef);
  P.Property(u"OnClick", &TFuzzComponent::FOnClick, &TFuzzComponent::FOnClick);
  P.Method(u"Clicked", &TFuzzComponent::Clicked);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static bool registered = (RegisterClass(TFuzzComponent::StaticClass()), true);
  (void)registered;
  std::string bytes(reinterpret_cast<const char*>(Data), Size);

  std::unique_ptr<TMemoryStream, TObjectFree> stream(New<TMemoryStream>());
  if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  stream->SetPosition(0);
  try {
    Free(ReadComponentFromStream(stream.get(), nullptr));
  } catch (const Exception&) {
    // EFilerError, EClassNotFound, EComponentError, EPropertyError, ...: all clean.
  }

  std::string text;
  try {
    text = ObjectBinaryToText(bytes);
  } catch (const EFilerError&) {
    return 0;
  }
  if (ObjectBinaryToText(ObjectTextToBinary(text)) != text) __builtin_trap();
  return 0;
}
