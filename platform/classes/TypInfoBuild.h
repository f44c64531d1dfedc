// Declaring a class's published members. Include this in source files only:
// it holds the templates that bind accessors.
//
//   CL_IMPLEMENT_CLASS_PUBLISHED(TMyControl, P) {
//     P.Property(u"Caption", &TMyControl::Caption, &TMyControl::SetCaption);
//     P.Property(u"Tag", &TMyControl::Tag, &TMyControl::SetTag).Default(0);
//     P.Property(u"Color", &TMyControl::Color, &TMyControl::SetColor).Type(ColorTypeInfo()).Default(clBtnFace);
//     P.IndexedProperty(u"Left", 0, &TMyControl::GetSide, &TMyControl::SetSide).Stored(&TMyControl::IsSideStored);
//     P.Property(u"Font", &TMyControl::Font, &TMyControl::SetFont);
//     P.Property(u"OnClick", &TMyControl::FOnClick);          // a field alone serves as getter and setter
//     P.Property(u"Items", &TMyControl::FItems, nullptr);      // read-only: the setter given as nullptr
//     P.Field(u"Button1", &TMyControl::Button1);
//     P.Method(u"Button1Click", &TMyControl::Button1Click);
//   }
//
// CL_IMPLEMENT_CLASS_PUBLISHED replaces CL_IMPLEMENT_CLASS. The members are
// listed in declaration order; the table is built on first use.
//
// A getter is a member function `R F() const` (or `R F(Integer Index) const`
// for IndexedProperty) or a field; a setter `void F(T)` (or `void F(Integer
// Index, T)`) or a field; either may be nullptr. A field given without a
// setter is the setter too; a getter function given alone makes the property
// read-only. The property's type
// information follows from the C++ type (TypeInfo<T>(), ClassTypeInfo for
// object pointers) unless .Type(...) names another of the same kind.
#pragma once

#include <cstring>
#include <type_traits>

#include "platform/classes/Interfaces.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Variants.h"

namespace typinfo_build {

// --- Cells: the value of each kind as it crosses the accessors --------------------------

String AnsiCellToString(const AnsiString& Value);
AnsiString StringCellToAnsi(const String& Value);
// Raised when .Type(...) names a type whose kind does not fit the accessor's value.
[[noreturn]] void RaiseTypeMismatch(const String& PropName);

enum TCellClass { ccOrd, ccFloat, ccCurrency, ccString, ccObject, ccMethod, ccVariant, ccInterface, ccNone };
// Currency crosses as itself (its scaled integer), so that no value is
// rounded through a double; the other floats as double.
TCellClass CellClassOf(const TTypeInfo* Info);

template <class T>
struct TIsSet : std::false_type {};
template <class E, size_t N>
struct TIsSet<TSet<E, N>> : std::true_type {};
template <class T>
struct TIsDelegate : std::false_type {};
template <class F>
struct TIsDelegate<TDelegate<F>> : std::true_type {};

template <class T, class = void>
struct TCellOf;

template <class T>
struct TCellOf<T, std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>>> {
  using Cell = Int64;
  static constexpr TCellClass Class = ccOrd;
  static Int64 To(T V) { return static_cast<Int64>(V); }
  static T From(Int64 C) {
    if constexpr (std::is_same_v<T, bool>)
      return C != 0;
    else if constexpr (std::is_enum_v<T>)
      return static_cast<T>(static_cast<std::underlying_type_t<T>>(C));
    else
      return static_cast<T>(C);
  }
  static const TTypeInfo* Info() { return TypeInfo<T>(); }
};

template <class T>
struct TCellOf<T, std::enable_if_t<TIsSet<T>::value>> {
  using Cell = Int64;
  static constexpr TCellClass Class = ccOrd;
  static Int64 To(const T& V) { return static_cast<Int64>(static_cast<UInt64>(V.ToInt())); }
  static T From(Int64 C) { return T::FromInt(static_cast<decltype(T().ToInt())>(static_cast<UInt64>(C))); }
  static const TTypeInfo* Info() { return TypeInfo<T>(); }
};

template <class T>
struct TCellOf<T, std::enable_if_t<std::is_floating_point_v<T>>> {
  using Cell = double;
  static constexpr TCellClass Class = ccFloat;
  static double To(T V) { return static_cast<double>(V); }
  static T From(double C) { return static_cast<T>(C); }
  static const TTypeInfo* Info() { return TypeInfo<T>(); }
};

template <>
struct TCellOf<Currency> {
  using Cell = Currency;
  static constexpr TCellClass Class = ccCurrency;
  static Currency To(Currency V) { return V; }
  static Currency From(Currency C) { return C; }
  static const TTypeInfo* Info() { return TypeInfoCurrency(); }
};

template <>
struct TCellOf<String> {
  using Cell = String;
  static constexpr TCellClass Class = ccString;
  static const String& To(const String& V) { return V; }
  static const String& From(const String& C) { return C; }
  static const TTypeInfo* Info() { return TypeInfo<String>(); }
};

template <>
struct TCellOf<AnsiString> {
  using Cell = String;
  static constexpr TCellClass Class = ccString;
  static String To(const AnsiString& V) { return AnsiCellToString(V); }
  static AnsiString From(const String& C) { return StringCellToAnsi(C); }
  static const TTypeInfo* Info() { return TypeInfo<AnsiString>(); }
};

template <class T>
struct TCellOf<T*, std::enable_if_t<std::is_base_of_v<TObject, T>>> {
  using Cell = TObject*;
  static constexpr TCellClass Class = ccObject;
  static TObject* To(T* V) { return V; }
  // The caller checked the class (SetObjectProp).
  static T* From(TObject* C) { return static_cast<T*>(C); }
  static const TTypeInfo* Info() { return ClassTypeInfo(T::StaticClass()); }
};

template <class T>
struct TCellOf<T, std::enable_if_t<TIsDelegate<T>::value>> {
  using Cell = TMethod;
  static constexpr TCellClass Class = ccMethod;
  static const TMethod& To(const T& V) { return V.Method(); }
  static T From(const TMethod& C) { return T::FromMethod(C); }
  static const TTypeInfo* Info() { return TypeInfo<T>(); }
};

template <>
struct TCellOf<Variant> {
  using Cell = Variant;
  static constexpr TCellClass Class = ccVariant;
  static const Variant& To(const Variant& V) { return V; }
  static const Variant& From(const Variant& C) { return C; }
  static const TTypeInfo* Info() { return TypeInfoVariant(); }
};

// Interface pointers: I* (interfaces derive from IInterface) and counting
// smart pointers that expose `Interface` and `get()`.
template <class T>
struct TCellOf<T*, std::enable_if_t<std::is_base_of_v<IInterface, T> && !std::is_base_of_v<TObject, T>>> {
  using Cell = IInterface*;
  static constexpr TCellClass Class = ccInterface;
  static IInterface* To(T* V) { return V; }
  static T* From(IInterface* C) { return dynamic_cast<T*>(C); }
  static const TTypeInfo* Info() { return MakeInterfaceTypeInfo(T::InterfaceName(), T::InterfaceIID()); }
};
template <class T>
struct TCellOf<T, std::enable_if_t<std::is_base_of_v<IInterface, typename T::Interface>>> {
  using I = typename T::Interface;
  using Cell = IInterface*;
  static constexpr TCellClass Class = ccInterface;
  static IInterface* To(const T& V) { return V.get(); }
  static T From(IInterface* C) { return T(dynamic_cast<I*>(C)); }
  static const TTypeInfo* Info() { return MakeInterfaceTypeInfo(I::InterfaceName(), I::InterfaceIID()); }
};

// --- Accessor shapes ----------------------------------------------------------------------

template <class G>
struct TGetter;  // R (B::*)() const, R (B::*)(), R B::*, and the indexed forms
template <class B, class R>
struct TGetter<R (B::*)() const> {
  using Value = std::remove_cvref_t<R>;
  static constexpr bool Indexed = false;
  template <class C>
  static decltype(auto) Call(C* O, R (B::*G)() const, Integer) { return (O->*G)(); }
};
template <class B, class R>
struct TGetter<R (B::*)()> {
  using Value = std::remove_cvref_t<R>;
  static constexpr bool Indexed = false;
  template <class C>
  static decltype(auto) Call(C* O, R (B::*G)(), Integer) { return (O->*G)(); }
};
template <class B, class R>
struct TGetter<R (B::*)(Integer) const> {
  using Value = std::remove_cvref_t<R>;
  static constexpr bool Indexed = true;
  template <class C>
  static decltype(auto) Call(C* O, R (B::*G)(Integer) const, Integer Index) { return (O->*G)(Index); }
};
template <class B, class R>
struct TGetter<R (B::*)(Integer)> {
  using Value = std::remove_cvref_t<R>;
  static constexpr bool Indexed = true;
  template <class C>
  static decltype(auto) Call(C* O, R (B::*G)(Integer), Integer Index) { return (O->*G)(Index); }
};
template <class B, class R>
  requires(!std::is_function_v<R>)
struct TGetter<R B::*> {
  using Value = std::remove_cv_t<R>;
  static constexpr bool Indexed = false;
  template <class C>
  static const R& Call(C* O, R B::*F, Integer) { return O->*F; }
};

template <class S>
struct TSetter;
template <class B, class R, class T>
struct TSetter<R (B::*)(T)> {
  using Value = std::remove_cvref_t<T>;
  static constexpr bool Indexed = false;
  template <class C, class V>
  static void Call(C* O, R (B::*S)(T), Integer, V&& Val) { (O->*S)(static_cast<V&&>(Val)); }
};
template <class B, class R, class T>
struct TSetter<R (B::*)(Integer, T)> {
  using Value = std::remove_cvref_t<T>;
  static constexpr bool Indexed = true;
  template <class C, class V>
  static void Call(C* O, R (B::*S)(Integer, T), Integer Index, V&& Val) { (O->*S)(Index, static_cast<V&&>(Val)); }
};
template <class B, class R>
  requires(!std::is_function_v<R>)
struct TSetter<R B::*> {
  using Value = std::remove_cv_t<R>;
  static constexpr bool Indexed = false;
  template <class C, class V>
  static void Call(C* O, R B::*F, Integer, V&& Val) { O->*F = static_cast<V&&>(Val); }
};

template <class P>
void StoreTarget(TPropAccess& A, P Target) {
  static_assert(sizeof(P) <= sizeof(A.Target), "accessor too large");
  std::memcpy(A.Target, &Target, sizeof(P));
}
template <class P>
P LoadTarget(const unsigned char* Bits) {
  P p;
  std::memcpy(&p, Bits, sizeof(P));
  return p;
}

template <class C, class G>
void GetThunk(const TPropAccess& A, const TPropInfo& Prop, TObject* Instance, void* Cell) {
  using V = typename TGetter<G>::Value;
  using Cv = TCellOf<V>;
  *static_cast<typename Cv::Cell*>(Cell) =
      Cv::To(TGetter<G>::Call(static_cast<C*>(Instance), LoadTarget<G>(A.Target), Prop.Index));
}
template <class C, class S>
void SetThunk(const TPropAccess& A, const TPropInfo& Prop, TObject* Instance, void* Cell) {
  using V = typename TSetter<S>::Value;
  using Cv = TCellOf<V>;
  TSetter<S>::Call(static_cast<C*>(Instance), LoadTarget<S>(A.Target), Prop.Index,
                   Cv::From(*static_cast<const typename Cv::Cell*>(Cell)));
}
template <class C, class G>
void StoredThunk(const TPropAccess& A, const TPropInfo& Prop, TObject* Instance, void* Cell) {
  *static_cast<bool*>(Cell) = TGetter<G>::Call(static_cast<C*>(Instance), LoadTarget<G>(A.Target), Prop.Index);
}

// --- The builder ----------------------------------------------------------------------------

// Refines the property just declared.
class TPropBuilder {
 public:
  TPropBuilder(TPublishedTable& Table, size_t Index) : FTable(&Table), FIndex(Index) {}

  // The default value (ordinal, enumeration, Boolean or set).
  template <class T>
  TPropBuilder& Default(const T& Value) {
    Prop().HasDefault = true;
    Prop().Default = TCellOf<T>::To(Value);
    return *this;
  }
  TPropBuilder& NoDefault() {
    Prop().HasDefault = false;
    return *this;
  }
  TPropBuilder& Stored(bool Value) {
    Prop().StoredConst = Value;
    Prop().StoredProc = {};
    return *this;
  }
  // A predicate `bool F() const` (or `bool F(Integer Index) const`).
  template <class G>
    requires std::is_member_function_pointer_v<G>
  TPropBuilder& Stored(G Predicate) {
    using C = std::remove_cv_t<typename TMemberClass<G>::Type>;
    TPropAccess a;
    StoreTarget(a, Predicate);
    a.Thunk = &StoredThunk<C, G>;
    Prop().StoredProc = a;
    return *this;
  }
  // Another type information of the same kind (TColor for an Integer, TDateTime for a double).
  TPropBuilder& Type(const TTypeInfo* Info);

 private:
  template <class G>
  struct TMemberClass;
  template <class B, class R>
  struct TMemberClass<R B::*> {
    using Type = B;
  };

  TPropInfo& Prop() { return FTable->Props[FIndex]; }

  TPublishedTable* FTable;
  size_t FIndex;
};

template <class C>
class TPublisher {
 public:
  explicit TPublisher(TPublishedTable& Published) : FPublished(Published) {}

  template <class G>
  TPropBuilder Property(const char16_t* Name, G Getter) {
    // An event or value field is read and written in place.
    if constexpr (std::is_member_object_pointer_v<G>)
      return Add<false>(Name, NoPropIndex, Getter, Getter);
    else
      return Add<false>(Name, NoPropIndex, Getter, nullptr);
  }
  template <class G, class S>
  TPropBuilder Property(const char16_t* Name, G Getter, S Setter) {
    return Add<false>(Name, NoPropIndex, Getter, Setter);
  }
  // A property with an index specifier: the accessors take the index first.
  template <class G, class S = std::nullptr_t>
  TPropBuilder IndexedProperty(const char16_t* Name, Integer Index, G Getter, S Setter = nullptr) {
    return Add<true>(Name, Index, Getter, Setter);
  }

  // A published field holding an object (a form's component field).
  template <class B, class T>
  void Field(const char16_t* Name, T* B::*Member) {
    static_assert(std::is_base_of_v<B, C> && std::is_base_of_v<TObject, T>);
    TPublishedField f;
    f.Name = Name;
    f.FieldClass = T::StaticClass();
    static_assert(sizeof(Member) <= sizeof(f.Target));
    std::memcpy(f.Target, &Member, sizeof(Member));
    f.Get = [](const TPublishedField& Self, TObject* Instance) -> TObject* {
      return static_cast<C*>(Instance)->*LoadTarget<T* B::*>(Self.Target);
    };
    f.Set = [](const TPublishedField& Self, TObject* Instance, TObject* Value) {
      static_cast<C*>(Instance)->*LoadTarget<T* B::*>(Self.Target) = static_cast<T*>(Value);
    };
    FPublished.Fields.push_back(std::move(f));
  }

  // A published method (an event handler bound by name).
  template <class B, class R, class... A>
  void Method(const char16_t* Name, R (B::*Fn)(A...)) {
    static_assert(std::is_base_of_v<B, C>);
    TPublishedMethod m;
    m.Name = Name;
    m.Code = TDelegate<R(A...)>::CodeOf(Fn);
    m.AdjustData = [](TObject* Instance) -> void* { return static_cast<B*>(static_cast<C*>(Instance)); };
    FPublished.Methods.push_back(std::move(m));
  }

 private:
  template <bool Indexed, class G, class S>
  TPropBuilder Add(const char16_t* Name, Integer Index, G Getter, S Setter) {
    constexpr bool hasGet = !std::is_same_v<G, std::nullptr_t>;
    constexpr bool hasSet = !std::is_same_v<S, std::nullptr_t>;
    static_assert(hasGet || hasSet, "a property needs a getter or a setter");
    TPropInfo p;
    p.Name = Name;
    p.Index = Index;
    p.Owner = C::StaticClass();
    if constexpr (hasGet) {
      static_assert(TGetter<G>::Indexed == Indexed, "an indexed property needs indexed accessors, and only it");
      using V = typename TGetter<G>::Value;
      p.PropType = TCellOf<V>::Info();
      StoreTarget(p.Getter, Getter);
      p.Getter.Thunk = &GetThunk<C, G>;
      if constexpr (hasSet) {
        using W = typename TSetter<S>::Value;
        static_assert(TCellOf<V>::Class == TCellOf<W>::Class, "getter and setter types differ in kind");
      }
    }
    if constexpr (hasSet) {
      using W = typename TSetter<S>::Value;
      static_assert(TSetter<S>::Indexed == Indexed, "an indexed property needs indexed accessors, and only it");
      if constexpr (!hasGet) p.PropType = TCellOf<W>::Info();
      StoreTarget(p.Setter, Setter);
      p.Setter.Thunk = &SetThunk<C, S>;
    }
    FPublished.Props.push_back(std::move(p));
    return TPropBuilder(FPublished, FPublished.Props.size() - 1);
  }

  TPublishedTable& FPublished;
};

template <class C>
TPublishedTable BuildTable(void (*Publish)(TPublisher<C>&)) {
  TPublishedTable t;
  TPublisher<C> p(t);
  Publish(p);
  return t;
}

}  // namespace typinfo_build

template <class C>
using TPublisher = typinfo_build::TPublisher<C>;

// An event type without a named type information gets an unnamed one.
template <class F>
const TTypeInfo* TypeInfoOf(const TDelegate<F>*) {
  static const TTypeInfo* const info = MakeMethodTypeInfo(u"", TDelegate<F>::SignatureId());
  return info;
}

// Defines the class's metaclass with its published members; the body that
// follows lists them through P.
#define CL_IMPLEMENT_CLASS_PUBLISHED(Name, P)                                                      \
  CL_CHECK_CLASS(Name);                                                                            \
  static void cl_publish_##Name(TPublisher<Name>& P);                                              \
  TClass Name::StaticClass() {                                                                     \
    static const TMetaClass meta{u"" #Name, Name::inherited::StaticClass(),                        \
                                 []() -> TObject* { return new Name(); },                          \
                                 []() -> const TPublishedTable* {                                  \
                                   static const TPublishedTable t = typinfo_build::BuildTable<Name>(&cl_publish_##Name); \
                                   return &t;                                                      \
                                 }};                                                               \
    return &meta;                                                                                  \
  }                                                                                                \
  static void cl_publish_##Name(TPublisher<Name>& P)
