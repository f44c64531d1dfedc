#include "platform/classes/Interfaces.h"

CL_IMPLEMENT_CLASS(TInterfacedObject)
CL_IMPLEMENT_CLASS(TNoRefCountObject)
CL_IMPLEMENT_CLASS(TAggregatedObject)

namespace interfaces_detail {

namespace {
const TInterfaceCast* gInterfaceCasts = nullptr;
}  // namespace

bool Announce(TInterfaceCast& Entry) {
  Entry.Next = gInterfaceCasts;
  gInterfaceCasts = &Entry;
  return true;
}

const TInterfaceCast* FindInterfaceCast(const TGUID& IID) {
  for (const TInterfaceCast* c = gInterfaceCasts; c; c = c->Next)
    if (*c->IID == IID) return c;
  return nullptr;
}

}  // namespace interfaces_detail

bool TObject::GetInterface(const TGUID& IID, void** Obj) {
  if (!Obj) return false;
  *Obj = nullptr;
  const interfaces_detail::TInterfaceCast* c = interfaces_detail::FindInterfaceCast(IID);
  void* p = c ? c->Cast(this) : nullptr;
  if (!p) return false;
  // Every interface derives from IInterface; the count is the object's.
  dynamic_cast<IInterface*>(this)->_AddRef();
  *Obj = p;
  return true;
}

bool Supports(const TObject* Obj, const TGUID& IID) {
  const interfaces_detail::TInterfaceCast* c = Obj ? interfaces_detail::FindInterfaceCast(IID) : nullptr;
  return c && c->Cast(const_cast<TObject*>(Obj)) != nullptr;
}

bool Supports(TClass AClass, const TGUID& IID) { return AClass && Supports(AClass->ClassSide(), IID); }

bool Supports(TObject* Obj, const TGUID& IID, void** Intf) {
  if (!Obj) {
    if (Intf) *Intf = nullptr;
    return false;
  }
  return Obj->GetInterface(IID, Intf);
}

// --- TInterfacedObject ---------------------------------------------------------------------

HRESULT TInterfacedObject::QueryInterface(const TGUID& AIID, void** Obj) {
  return GetInterface(AIID, Obj) ? S_OK : E_NOINTERFACE;
}

Integer TInterfacedObject::_AddRef() { return FRefCount.fetch_add(1) + 1; }

Integer TInterfacedObject::_Release() {
  Integer n = FRefCount.fetch_sub(1) - 1;
  if (n == 0) Free(this);
  return n;
}

void TInterfacedObject::AfterConstruction() {
  // Drops the reference held while the constructor member ran.
  FRefCount.fetch_sub(1);
}

void TInterfacedObject::BeforeDestruction() {
  if (FRefCount.load() != 0) throw EInvalidPointer(u"Invalid pointer operation");
  // A reference held through destruction: a Destroy that hands the object
  // out as an interface for a moment does not free it a second time.
  FRefCount.store(1);
}

HRESULT TNoRefCountObject::QueryInterface(const TGUID& AIID, void** Obj) {
  return GetInterface(AIID, Obj) ? S_OK : E_NOINTERFACE;
}

// --- TAggregatedObject ---------------------------------------------------------------------

HRESULT TAggregatedObject::QueryInterface(const TGUID& AIID, void** Obj) {
  if (!FController) {
    if (Obj) *Obj = nullptr;
    return E_NOINTERFACE;
  }
  return FController->QueryInterface(AIID, Obj);
}

Integer TAggregatedObject::_AddRef() { return FController ? FController->_AddRef() : -1; }

Integer TAggregatedObject::_Release() { return FController ? FController->_Release() : -1; }
