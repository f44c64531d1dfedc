#include "platform/classes/Interfaces.h"

#include "platform/classes/TypInfo.h"
#include "platform/classes/TypInfoBuild.h"

CL_IMPLEMENT_CLASS_PUBLISHED(TInterfacedObject, P) { P.Implements<IInterface>(); }
CL_IMPLEMENT_CLASS_PUBLISHED(TNoRefCountObject, P) { P.Implements<IInterface>(); }
CL_IMPLEMENT_CLASS_PUBLISHED(TAggregatedObject, P) { P.Implements<IInterface>(); }

const TInterfaceEntry* GetInterfaceEntry(TClass AClass, const TGUID& IID) {
  for (TClass c = AClass; c; c = c->Parent) {
    if (!c->InterfaceTable) continue;
    for (const TInterfaceEntry& e : c->InterfaceTable()->Entries)
      if (e.IID && *e.IID == IID) return &e;
  }
  return nullptr;
}

bool TObject::GetInterface(const TGUID& IID, void** Obj) {
  if (!Obj) return false;
  *Obj = nullptr;
  const TInterfaceEntry* e = GetInterfaceEntry(ClassType(), IID);
  void* p = e ? e->Cast(this) : nullptr;
  IInterface* unknown = dynamic_cast<IInterface*>(this);
  // Every object that implements an interface answers IInterface.
  if (!p && IID == IID_IInterface) p = unknown;
  if (!p) return false;
  if (unknown) unknown->_AddRef();
  *Obj = p;
  return true;
}

bool Supports(const TObject* Obj, const TGUID& IID) {
  if (!Obj) return false;
  if (GetInterfaceEntry(Obj->ClassType(), IID)) return true;
  return IID == IID_IInterface && dynamic_cast<const IInterface*>(Obj) != nullptr;
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
