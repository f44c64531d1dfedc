// The object model: TObject, class references (metaclasses), construction
// through constructor members and destruction through Free.
//
// Objects are allocated with every field zero (the C++ constructor does
// nothing but default member initializers), with their final class already in
// place; the constructor member (Create, CreateEx, ...) then runs as an
// ordinary member function, so virtual calls inside it reach the overrides.
#pragma once

#include <atomic>
#include <type_traits>
#include <utility>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

class TObject;
struct TMetaClass;
struct TMessage;
struct TPublishedTable;
struct TGUID;

// A class reference.
using TClass = const TMetaClass*;

// One per class: its name, parent, allocator and the class-side object on
// which class methods are called.
struct TMetaClass {
  const char16_t* Name = nullptr;
  TClass Parent = nullptr;
  TObject* (*Allocate)() = nullptr;
  // Filled by the class's source file when it publishes members.
  const TPublishedTable* (*PublishedTable)() = nullptr;

  String ClassName() const { return Name; }
  bool ClassNameIs(const String& AName) const;
  TClass ClassParent() const { return Parent; }
  bool InheritsFrom(TClass AClass) const;
  // A zero-filled instance of exactly this class; no constructor member runs.
  TObject* NewInstance() const;
  // The one instance of this class that answers class methods.
  TObject* ClassSide() const;

  mutable std::atomic<TObject*> FClassSide{nullptr};
  // The merged type information of the class and its ancestors, made on
  // first use by platform/classes/TypInfo.cpp.
  mutable std::atomic<const void*> FTypeData{nullptr};
};

// Declares the class's metaclass accessors; put it first in the class body.
// Self is the class itself, inherited the parent class it names. Before Self
// is declared, Name::Self still names the nearest ancestor's Self: that is
// the class's real parent, which the creating functions and
// CL_IMPLEMENT_CLASS compare with the one named here.
#define CL_CLASS(Name, ParentClass)                           \
 public:                                                      \
  using ClRealParent = Name::Self;                            \
  using Self = Name;                                          \
  using inherited = ParentClass;                              \
  static TClass StaticClass();                                \
  TClass ClassType() const override { return StaticClass(); } \
                                                              \
 private:

namespace classes_detail {
// T declares its own CL_CLASS (else T::Self is an ancestor and T would be
// created as that ancestor, with its size and name).
template <class T>
inline constexpr bool HasOwnClass = std::is_same_v<typename T::Self, T>;
// The parent T names in its CL_CLASS is its real parent.
template <class T>
constexpr bool NamesItsParent() {
  if constexpr (std::is_same_v<T, TObject>)
    return true;
  else
    return std::is_same_v<typename T::ClRealParent, typename T::inherited>;
}
}  // namespace classes_detail

#define CL_CHECK_CLASS(Name)                                                                        \
  static_assert(::classes_detail::HasOwnClass<Name>, #Name " lacks CL_CLASS(" #Name ", parent) in its body"); \
  static_assert(::classes_detail::NamesItsParent<Name>(), "CL_CLASS of " #Name " names another class than its parent")

// Defines the metaclass in the class's source file. A class that publishes
// members uses CL_IMPLEMENT_CLASS_PUBLISHED (platform/classes/TypInfoBuild.h)
// instead.
#define CL_IMPLEMENT_CLASS(Name)                                                           \
  CL_CHECK_CLASS(Name);                                                                    \
  TClass Name::StaticClass() {                                                             \
    static const TMetaClass meta{u"" #Name, Name::inherited::StaticClass(),                \
                                 []() -> TObject* { return new Name(); }};                 \
    return &meta;                                                                          \
  }

class TObject {
 public:
  using Self = TObject;
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass();
  virtual TClass ClassType() const { return StaticClass(); }
  String ClassName() const { return ClassType()->ClassName(); }
  bool ClassNameIs(const String& AName) const { return ClassType()->ClassNameIs(AName); }
  TClass ClassParent() const { return ClassType()->ClassParent(); }
  bool InheritsFrom(TClass AClass) const { return ClassType()->InheritsFrom(AClass); }

  // The platform's constructor and destructor members.
  void Create() {}
  virtual void Destroy() {}
  virtual void AfterConstruction() {}
  virtual void BeforeDestruction() {}
  // Releases the memory; the default deletes the object.
  virtual void FreeInstance();

  // The interface IID of this object through the interface tables of its
  // class and ancestors; the interface is counted (_AddRef) when found.
  // Obj receives the interface pointer, or nil.
  bool GetInterface(const TGUID& IID, void** Obj);

  // Message dispatch: an override handles the numbers it knows and passes the
  // rest to its parent's Dispatch; TObject's ends in DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);
};

// A class reference to T or to a class derived from it; -> reaches the
// class-side object, on which T's class methods (const members) are called.
template <class T>
class TClassOf {
 public:
  TClassOf() = default;
  TClassOf(std::nullptr_t) {}
  // Unchecked: the caller knows that AClass inherits from T (see ClassOf).
  explicit TClassOf(TClass AClass) : FClass(AClass) {}
  template <class U, class = std::enable_if_t<std::is_base_of_v<T, U>>>
  TClassOf(const TClassOf<U>& Other) : FClass(Other.Class()) {}

  TClass Class() const { return FClass; }
  operator TClass() const { return FClass; }
  explicit operator bool() const { return FClass != nullptr; }
  const T* operator->() const { return static_cast<const T*>(FClass->ClassSide()); }
  // Class references compare as pointers, whatever their static types.
  template <class U>
  bool operator==(const TClassOf<U>& Other) const {
    return FClass == Other.Class();
  }
  bool operator==(TClass Other) const { return FClass == Other; }

 private:
  TClass FClass = nullptr;
};

// The class reference of T.
template <class T>
TClassOf<T> ClassOf() {
  return TClassOf<T>(T::StaticClass());
}

// A checked conversion of a class reference: raises EInvalidCast when AClass
// does not inherit from T. Nil stays nil.
template <class T>
TClassOf<T> ClassAs(TClass AClass);

[[noreturn]] void RaiseInvalidCast();

template <class T>
TClassOf<T> ClassAs(TClass AClass) {
  if (AClass && !AClass->InheritsFrom(T::StaticClass())) RaiseInvalidCast();
  return TClassOf<T>(AClass);
}

// --- Construction and destruction -------------------------------------------

// Frees an object whose constructor member raised, as the platform does:
// BeforeDestruction, Destroy and FreeInstance; exceptions they raise are dropped
// so that the constructor's own exception goes on.
void FreeHalfBuilt(TObject* Obj) noexcept;

// Runs BeforeDestruction, Destroy and FreeInstance; nil is accepted.
void Free(TObject* Obj);

template <class T>
void FreeAndNil(T*& Obj) {
  T* tmp = Obj;
  Obj = nullptr;
  Free(tmp);
}

namespace classes_detail {
// Runs the constructor member and AfterConstruction on a fresh instance; when
// either raises, the half-built object is freed and the exception goes on.
template <class T, class Ctor>
T* Construct(T* Obj, Ctor&& Body) {
  try {
    Body(Obj);
    Obj->AfterConstruction();
  } catch (...) {
    FreeHalfBuilt(Obj);
    throw;
  }
  return Obj;
}
// The same with a constructor member and its arguments (an instance made
// before it is built, as Application.CreateForm does).
template <class T, class B, class R, class... P, class... A>
T* Construct(T* Obj, R (B::*Ctor)(P...), A&&... args) {
  return Construct(Obj, [&](T* O) { (O->*Ctor)(std::forward<A>(args)...); });
}
template <class T>
T* Allocate(TClass AClass) {
  if (!AClass || !AClass->InheritsFrom(T::StaticClass())) RaiseInvalidCast();
  return static_cast<T*>(AClass->NewInstance());
}
}  // namespace classes_detail

// A new T built by its constructor member Create(args...).
template <class T, class... A>
T* New(A&&... args) {
  CL_CHECK_CLASS(T);
  return classes_detail::Construct(static_cast<T*>(T::StaticClass()->NewInstance()),
                                   [&](T* Obj) { Obj->Create(std::forward<A>(args)...); });
}

// A new T built by the named constructor member (&T::CreateEx, ...).
template <class T, class B, class R, class... P, class... A>
T* NewBy(R (B::*Ctor)(P...), A&&... args) {
  CL_CHECK_CLASS(T);
  return classes_detail::Construct(static_cast<T*>(T::StaticClass()->NewInstance()),
                                   [&](T* Obj) { (Obj->*Ctor)(std::forward<A>(args)...); });
}

// A new object of class AClass (which inherits from B, else EInvalidCast)
// built by the virtual constructor member Ctor of B.
template <class B, class R, class... P, class... A>
B* CreateFrom(TClass AClass, R (B::*Ctor)(P...), A&&... args) {
  CL_CHECK_CLASS(B);
  return classes_detail::Construct(classes_detail::Allocate<B>(AClass),
                                   [&](B* Obj) { (Obj->*Ctor)(std::forward<A>(args)...); });
}
template <class B, class R, class... P, class... A>
B* CreateFrom(const TClassOf<B>& AClass, R (B::*Ctor)(P...), A&&... args) {
  return CreateFrom<B>(AClass.Class(), Ctor, std::forward<A>(args)...);
}
// The platform's "AClass.Create(args)": a new object of the class AClass
// refers to, built by T's virtual constructor member Create(args...).
template <class T, class... A>
  requires requires(T* Obj, A&&... args) { Obj->Create(std::forward<A>(args)...); }
T* CreateFrom(const TClassOf<T>& AClass, A&&... args) {
  CL_CHECK_CLASS(T);
  return classes_detail::Construct(classes_detail::Allocate<T>(AClass.Class()),
                                   [&](T* Obj) { Obj->Create(std::forward<A>(args)...); });
}

// Deleter for std::unique_ptr of framework objects.
struct TObjectFree {
  void operator()(TObject* Obj) const { Free(Obj); }
};

// --- Checked casts ------------------------------------------------------------

// The platform's "is": nil is never of a class.
template <class T>
bool Is(const TObject* Obj) {
  return Obj && Obj->InheritsFrom(T::StaticClass());
}

// The platform's "as": nil passes, a wrong class raises EInvalidCast.
template <class T>
T* As(TObject* Obj) {
  if (Obj && !Obj->InheritsFrom(T::StaticClass())) RaiseInvalidCast();
  return static_cast<T*>(Obj);
}
template <class T>
const T* As(const TObject* Obj) {
  if (Obj && !Obj->InheritsFrom(T::StaticClass())) RaiseInvalidCast();
  return static_cast<const T*>(Obj);
}
