#include "platform/classes/ObjectModel.h"

#include "platform/rtl/Strings.h"

TClass TObject::StaticClass() {
  static const TMetaClass meta{u"TObject", nullptr, []() -> TObject* { return new TObject(); }};
  return &meta;
}

bool TMetaClass::ClassNameIs(const String& AName) const {
  // Class names are identifiers: compared without regard to ASCII case.
  return SameText(Name, AName);
}

bool TMetaClass::InheritsFrom(TClass AClass) const {
  for (TClass c = this; c; c = c->Parent)
    if (c == AClass) return true;
  return false;
}

TObject* TMetaClass::NewInstance() const { return Allocate(); }

TObject* TMetaClass::ClassSide() const {
  TObject* obj = FClassSide.load(std::memory_order_acquire);
  if (obj) return obj;
  TObject* fresh = NewInstance();
  if (FClassSide.compare_exchange_strong(obj, fresh, std::memory_order_acq_rel)) return fresh;
  delete fresh;  // another thread made it first
  return obj;
}

void TObject::FreeInstance() { delete this; }

void TObject::Dispatch(TMessage& Message) { DefaultHandler(Message); }

void TObject::DefaultHandler(TMessage&) {}

void RaiseInvalidCast() { throw EInvalidCast(u"Invalid class typecast"); }

void FreeHalfBuilt(TObject* Obj) noexcept {
  if (!Obj) return;
  // Separately, so that a BeforeDestruction that objects to the half-built
  // state (a counted object still holding its construction reference) does
  // not keep Destroy from releasing what the constructor made.
  try {
    Obj->BeforeDestruction();
  } catch (...) {
  }
  try {
    Obj->Destroy();
  } catch (...) {
  }
  Obj->FreeInstance();
}

void Free(TObject* Obj) {
  if (!Obj) return;
  Obj->BeforeDestruction();
  Obj->Destroy();
  Obj->FreeInstance();
}
