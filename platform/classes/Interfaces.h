// Interfaces: IInterface with its reference counting, GUIDs attached to
// interface types, the counting smart pointer TInterfacePtr, TInterfacedObject
// and Supports.
//
// An interface is an abstract class deriving virtually from IInterface, so
// that a class implementing several of them has one IInterface:
//
//   class IvlFontListener : public virtual IInterface {
//     CL_INTERFACE_NO_GUID(IvlFontListener)
//    public:
//     virtual void Changed(TObject* Sender, TFont* AFont) = 0;
//   };
//   class IvlSkinnableControl : public virtual IInterface {
//     CL_INTERFACE(IvlSkinnableControl, "{EF3FF483-9B69-46DF-95A4-D3A3810F63A5}")
//     ...
//   };
//
// A class implements an interface by deriving from it, and by nothing else:
// GetInterface and QueryInterface find an interface with a GUID through the
// cast CL_INTERFACE announces for it (a dynamic_cast), so they always agree
// with Supports<I>(obj), which is the same dynamic_cast.
#pragma once

#include <atomic>
#include <cstddef>
#include <type_traits>

#include "platform/classes/ObjectModel.h"
#include "platform/rtl/Guid.h"
#include "platform/rtl/Types.h"

namespace interfaces_detail {
// The cast of an object to one interface with a GUID. CL_INTERFACE announces
// one per interface before main (the announcement only links it into a list,
// so the order of static initialization does not matter).
struct TInterfaceCast {
  const TGUID* IID;
  void* (*Cast)(TObject* Obj);  // the interface (an I*), or nil
  const TInterfaceCast* Next = nullptr;
};
bool Announce(TInterfaceCast& Entry);
// The announced cast of IID; nil when no interface has that GUID.
const TInterfaceCast* FindInterfaceCast(const TGUID& IID);
template <class I>
void* CastTo(TObject* Obj) {
  return dynamic_cast<I*>(Obj);
}
}  // namespace interfaces_detail

// Declares the identity of an interface with a GUID (first in its body).
#define CL_INTERFACE(Name, GuidText)                                                           \
 public:                                                                                       \
  using InterfaceSelf = Name;                                                                  \
  static constexpr TGUID IID = GUIDConst(GuidText);                                            \
  static const TGUID* InterfaceIID() { return &IID; }                                          \
  static const char16_t* InterfaceName() { return u"" #Name; }                                \
  static inline ::interfaces_detail::TInterfaceCast ClInterfaceCast{&IID, &::interfaces_detail::CastTo<Name>}; \
  static inline const bool ClInterfaceAnnounced = ::interfaces_detail::Announce(ClInterfaceCast); \
                                                                                               \
 private:

// Declares the identity of an interface compared by type only.
#define CL_INTERFACE_NO_GUID(Name)                                   \
 public:                                                             \
  using InterfaceSelf = Name;                                        \
  static constexpr std::nullptr_t IID = nullptr;                     \
  static const TGUID* InterfaceIID() { return nullptr; }             \
  static const char16_t* InterfaceName() { return u"" #Name; }      \
                                                                     \
 private:

struct IInterface {
  CL_INTERFACE(IInterface, "{00000000-0000-0000-C000-000000000046}")
 public:
  // S_OK with the interface in Obj (counted), else E_NOINTERFACE with Obj nil.
  virtual HRESULT QueryInterface(const TGUID& AIID, void** Obj) = 0;
  // The new count; -1 from objects that do not count.
  virtual Integer _AddRef() = 0;
  virtual Integer _Release() = 0;

 protected:
  ~IInterface() = default;
};
using IUnknown = IInterface;
inline constexpr TGUID IID_IInterface = IInterface::IID;
inline constexpr TGUID IID_IUnknown = IInterface::IID;

// Whether two interface (or object) pointers denote the same object.
template <class A, class B>
bool SameObject(const A* X, const B* Y) {
  return dynamic_cast<const void*>(X) == dynamic_cast<const void*>(Y);
}

// A counting reference to an interface: every field, list entry and
// variable of an interface type.
template <class I>
class TInterfacePtr {
 public:
  using Interface = I;

  TInterfacePtr() = default;
  TInterfacePtr(std::nullptr_t) {}
  TInterfacePtr(I* P) : FPtr(P) {
    if (FPtr) FPtr->_AddRef();
  }
  template <class J, class = std::enable_if_t<std::is_convertible_v<J*, I*>>>
  TInterfacePtr(J* P) : TInterfacePtr(static_cast<I*>(P)) {}
  TInterfacePtr(const TInterfacePtr& O) : TInterfacePtr(O.FPtr) {}
  TInterfacePtr(TInterfacePtr&& O) noexcept : FPtr(O.FPtr) { O.FPtr = nullptr; }
  template <class J, class = std::enable_if_t<std::is_convertible_v<J*, I*>>>
  TInterfacePtr(const TInterfacePtr<J>& O) : TInterfacePtr(static_cast<I*>(O.get())) {}
  ~TInterfacePtr() { reset(); }

  TInterfacePtr& operator=(const TInterfacePtr& O) {
    TInterfacePtr(O).swap(*this);
    return *this;
  }
  TInterfacePtr& operator=(TInterfacePtr&& O) noexcept {
    TInterfacePtr(static_cast<TInterfacePtr&&>(O)).swap(*this);
    return *this;
  }
  TInterfacePtr& operator=(I* P) {
    TInterfacePtr(P).swap(*this);
    return *this;
  }
  TInterfacePtr& operator=(std::nullptr_t) {
    reset();
    return *this;
  }

  // Releases the reference (the platform's "Intf := nil").
  void reset() {
    I* p = FPtr;
    FPtr = nullptr;
    if (p) p->_Release();
  }
  void swap(TInterfacePtr& O) noexcept {
    I* t = FPtr;
    FPtr = O.FPtr;
    O.FPtr = t;
  }
  // Gives up the reference without releasing it.
  I* Detach() {
    I* p = FPtr;
    FPtr = nullptr;
    return p;
  }
  // Releases, then takes an already counted pointer (the out parameter of QueryInterface).
  void Attach(I* P) {
    reset();
    FPtr = P;
  }

  I* get() const { return FPtr; }
  I* operator->() const { return FPtr; }
  I& operator*() const { return *FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }

  template <class J>
  bool operator==(const TInterfacePtr<J>& O) const {
    return SameObject(FPtr, O.get());
  }
  template <class J>
  bool operator==(const J* O) const {
    return SameObject(FPtr, O);
  }
  bool operator==(std::nullptr_t) const { return FPtr == nullptr; }

 private:
  I* FPtr = nullptr;
};

template <class I>
bool Assigned(const TInterfacePtr<I>& P) {
  return P.get() != nullptr;
}

// An object counting its references: it frees itself (Free) when the count
// drops to zero. The count is 1 while the constructor member runs, so that
// handing the object out as an interface inside it does not free it.
class TInterfacedObject : public TObject, public virtual IInterface {
  CL_CLASS(TInterfacedObject, TObject)
 public:
  HRESULT QueryInterface(const TGUID& AIID, void** Obj) override;
  Integer _AddRef() override;
  Integer _Release() override;
  void AfterConstruction() override;
  // Freeing an object that is still referenced raises EInvalidPointer.
  void BeforeDestruction() override;
  Integer RefCount() const { return FRefCount.load(); }

 protected:
  std::atomic<Integer> FRefCount{1};
};

// An object answering IInterface without counting (_AddRef/_Release give -1):
// its owner frees it.
class TNoRefCountObject : public TObject, public virtual IInterface {
  CL_CLASS(TNoRefCountObject, TObject)
 public:
  HRESULT QueryInterface(const TGUID& AIID, void** Obj) override;
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }
};

// An object that forwards IInterface to its controller (an owner that
// answers for it, as collection items do for their collection's owner).
class TAggregatedObject : public TObject, public virtual IInterface {
  CL_CLASS(TAggregatedObject, TObject)
 public:
  void Create(IInterface* AController) { FController = AController; }
  IInterface* Controller() const { return FController; }
  HRESULT QueryInterface(const TGUID& AIID, void** Obj) override;
  Integer _AddRef() override;
  Integer _Release() override;

 private:
  IInterface* FController = nullptr;  // weak: the controller outlives this object
};

namespace interfaces_detail {
template <class I>
bool QueryOrCast(IInterface* Intf, TInterfacePtr<I>& Out) {
  Out = nullptr;
  if (!Intf) return false;
  if constexpr (std::is_same_v<std::remove_cvref_t<decltype(I::IID)>, TGUID>) {
    void* p = nullptr;
    if (Intf->QueryInterface(I::IID, &p) != S_OK || !p) return false;
    Out.Attach(static_cast<I*>(p));
  } else {
    Out = dynamic_cast<I*>(Intf);
  }
  return Out.get() != nullptr;
}
}  // namespace interfaces_detail

// Supports<I>(P) for
//  - an object: whether its class implements I (a dynamic_cast);
//  - a class reference (TClass): asks the class-side object;
//  - an interface: QueryInterface for an interface with a GUID (so that
//    forwarding objects answer for their controller), else a dynamic_cast.
// Nil is never supported.
template <class I, class T>
bool Supports(T* P) {
  if constexpr (std::is_same_v<std::remove_cv_t<T>, TMetaClass>) {
    return P && dynamic_cast<const I*>(P->ClassSide()) != nullptr;
  } else if constexpr (std::is_base_of_v<TObject, T>) {
    return dynamic_cast<const I*>(P) != nullptr;
  } else {
    static_assert(std::is_base_of_v<IInterface, T>, "Supports needs an object, a class or an interface");
    TInterfacePtr<I> out;
    return interfaces_detail::QueryOrCast<I>(P, out);
  }
}
// The same, giving the interface (counted) in Out.
template <class I, class T>
bool Supports(T* P, TInterfacePtr<I>& Out) {
  if constexpr (std::is_base_of_v<TObject, T>) {
    Out = dynamic_cast<I*>(P);
    return Out.get() != nullptr;
  } else {
    static_assert(std::is_base_of_v<IInterface, T>, "Supports needs an object or an interface");
    return interfaces_detail::QueryOrCast<I>(P, Out);
  }
}
// The same for objects, uncounted (a parameter-style I*).
template <class I, class T>
  requires std::is_base_of_v<TObject, T>
bool Supports(T* P, I*& Out) {
  Out = dynamic_cast<I*>(P);
  return Out != nullptr;
}

// By GUID (interfaces declared with CL_INTERFACE). Without counting:
bool Supports(const TObject* Obj, const TGUID& IID);
bool Supports(TClass AClass, const TGUID& IID);
// Counted, as GetInterface:
bool Supports(TObject* Obj, const TGUID& IID, void** Intf);
