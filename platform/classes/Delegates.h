// Method pointers (events): an object and one of its member functions.
//
//   TNotifyEvent e(this, &TMainForm::ButtonClick);   // or MakeDelegate(this, &TMainForm::ButtonClick)
//   if (Assigned(e)) e(Sender);
//
// A delegate keeps Data (the object) and Code (the member function and the
// call thunk of its class). Code is a comparable identity of the code that
// runs: a virtual member function is resolved through the object's table when
// the delegate is bound, so an override bound through the base class and
// through its own class is the same code, and the base's function bound to
// objects of different classes is not. == compares Code and Data, SameCode
// compares Code alone. Every
// delegate of one signature is the same C++ type, so event types of the same
// signature convert into each other; TMethod is the untyped form that the
// type information and the form reader pass around.
#pragma once

#include <cstddef>
#include <utility>

#include "platform/rtl/Types.h"

class TObject;

// The identity of a bound member function: its member-function-pointer bits,
// the thunk that calls it for its class, the identity of its signature, and
// the entry point of the code that runs (nil until it is known: a virtual
// member function taken without an object).
struct TMethodCode {
  alignas(void*) unsigned char Pmf[2 * sizeof(void*)]{};
  const void* Thunk = nullptr;
  const void* Signature = nullptr;
  const void* Entry = nullptr;

  bool Assigned() const { return Thunk != nullptr; }
  // The same code: the same entry point when both are known, else the same
  // member function taken through the same class.
  bool operator==(const TMethodCode& O) const;
  // Resolves Entry for the object Data (the object as the member function's
  // class): a virtual member function through the object's table.
  void Resolve(void* Data);
};

// The untyped method pointer: Code and Data.
struct TMethod {
  TMethodCode Code;
  void* Data = nullptr;

  bool operator==(const TMethod& O) const { return Data == O.Data && Code == O.Code; }
};

inline bool Assigned(const TMethod& M) { return M.Code.Assigned(); }

namespace delegates_detail {
// A distinct address per signature.
template <class F>
struct TSignatureTag {
  static constexpr char Id = 0;
};
// Raised by calling an unassigned delegate, or converting a TMethod to a
// delegate of another signature.
[[noreturn]] void RaiseUnassignedCall();
[[noreturn]] void RaiseSignatureMismatch();
void CopyBits(void* Dst, const void* Src, size_t N);
}  // namespace delegates_detail

template <class F>
class TDelegate;

template <class R, class... A>
class TDelegate<R(A...)> {
  using TThunk = R (*)(const TMethodCode&, void*, A...);

 public:
  using Signature = R(A...);

  TDelegate() = default;
  TDelegate(std::nullptr_t) {}

  // Binds Obj (of class D, derived from C or C itself) to its member function Fn.
  template <class D, class C>
  TDelegate(D* Obj, R (C::*Fn)(A...)) {
    Bind<C>(static_cast<C*>(Obj), Fn, &CallMember<C, R (C::*)(A...)>);
  }
  template <class D, class C>
  TDelegate(const D* Obj, R (C::*Fn)(A...) const) {
    Bind<C>(const_cast<C*>(static_cast<const C*>(Obj)), Fn, &CallMember<C, R (C::*)(A...) const>);
  }

  // The untyped form; converting back checks the signature.
  const TMethod& Method() const { return FMethod; }
  static TDelegate FromMethod(const TMethod& M) {
    if (M.Code.Assigned() && M.Code.Signature != SignatureId()) delegates_detail::RaiseSignatureMismatch();
    TDelegate d;
    d.FMethod = M;
    return d;
  }
  static const void* SignatureId() { return &delegates_detail::TSignatureTag<R(A...)>::Id; }

  // The code of a member function without an object (published methods
  // keep it; Data is the object as a C*, and Resolve(Data) completes it).
  template <class C>
  static TMethodCode CodeOf(R (C::*Fn)(A...)) {
    return UnboundCode(Fn, &CallMember<C, R (C::*)(A...)>);
  }
  template <class C>
  static TMethodCode CodeOf(R (C::*Fn)(A...) const) {
    return UnboundCode(Fn, &CallMember<C, R (C::*)(A...) const>);
  }

  void* Data() const { return FMethod.Data; }
  const TMethodCode& Code() const { return FMethod.Code; }
  bool Assigned() const { return FMethod.Code.Assigned(); }
  explicit operator bool() const { return Assigned(); }

  R operator()(A... Args) const {
    if (!FMethod.Code.Assigned()) delegates_detail::RaiseUnassignedCall();
    auto thunk = reinterpret_cast<TThunk>(const_cast<void*>(FMethod.Code.Thunk));
    return thunk(FMethod.Code, FMethod.Data, static_cast<A&&>(Args)...);
  }

  bool operator==(const TDelegate& O) const { return FMethod == O.FMethod; }
  bool operator==(std::nullptr_t) const { return !Assigned(); }

 private:
  template <class C, class P>
  static R CallMember(const TMethodCode& Code, void* Data, A... Args) {
    P pmf;
    delegates_detail::CopyBits(&pmf, Code.Pmf, sizeof(P));
    return (static_cast<C*>(Data)->*pmf)(static_cast<A&&>(Args)...);
  }

  template <class C, class P>
  void Bind(C* Obj, P Fn, TThunk Thunk) {
    if (!Obj || !Fn) return;  // nil object or nil member: an unassigned delegate
    FMethod.Code = UnboundCode(Fn, Thunk);
    FMethod.Data = Obj;
    FMethod.Code.Resolve(Obj);
  }

  template <class P>
  static TMethodCode UnboundCode(P Fn, TThunk Thunk) {
    static_assert(sizeof(P) <= sizeof(TMethodCode::Pmf), "member function pointer too large");
    TMethodCode code;
    if (!Fn) return code;
    delegates_detail::CopyBits(code.Pmf, &Fn, sizeof(P));
    code.Thunk = reinterpret_cast<const void*>(Thunk);
    code.Signature = SignatureId();
    code.Resolve(nullptr);
    return code;
  }

  TMethod FMethod;
};

template <class F>
bool Assigned(const TDelegate<F>& D) {
  return D.Assigned();
}

// Whether two delegates (of any signature) are bound to the same member function.
template <class F, class G>
bool SameCode(const TDelegate<F>& A, const TDelegate<G>& B) {
  return A.Code() == B.Code();
}
inline bool SameCode(const TMethod& A, const TMethod& B) { return A.Code == B.Code; }

// A delegate with its signature deduced from the member function.
template <class D, class C, class R, class... A>
TDelegate<R(A...)> MakeDelegate(D* Obj, R (C::*Fn)(A...)) {
  return TDelegate<R(A...)>(Obj, Fn);
}
template <class D, class C, class R, class... A>
TDelegate<R(A...)> MakeDelegate(const D* Obj, R (C::*Fn)(A...) const) {
  return TDelegate<R(A...)>(Obj, Fn);
}

using TNotifyEvent = TDelegate<void(TObject* Sender)>;
