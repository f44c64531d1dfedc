// A weak reference to a component: a pointer that turns nil when the
// component it points to is freed. It is the one way to hold a borrowed
// component that may die while the reference is kept (a popup's owner
// control, a tracked area's timer) and to ask "is it still alive?" after a
// call-out that may free it (an event handler, a sent message):
//
//   TWeakRef<TvlControl> self(this);
//   DoSomethingThatMayFreeMe();
//   if (!self) return;
//
// It is cleared through the free notification every component has: the
// reference registers a small hidden component with the target, which is
// told (Notification with opRemove) when the target's TComponent::Destroy
// runs, before its memory goes. So the reference answers the object up to
// the end of its destruction (csDestroying is set meanwhile: callers that
// must not touch a dying object check that too) and nil from then on. Each
// reference costs one hidden component; copies make their own.
#pragma once

class TComponent;

namespace weakref_detail {
class TWeakNotifier;
}

// The untyped reference; TWeakRef<T> gives it a type.
class TWeakReference {
 public:
  TWeakReference() = default;
  explicit TWeakReference(TComponent* AComponent) { Assign(AComponent); }
  TWeakReference(const TWeakReference& Other) { Assign(Other.Get()); }
  TWeakReference(TWeakReference&& Other) noexcept : FNotifier(Other.FNotifier) { Other.FNotifier = nullptr; }
  TWeakReference& operator=(const TWeakReference& Other) {
    if (this != &Other) Assign(Other.Get());
    return *this;
  }
  TWeakReference& operator=(TWeakReference&& Other) noexcept;
  ~TWeakReference() { Assign(nullptr); }

  // Points the reference at AComponent (nil lets go).
  void Assign(TComponent* AComponent);
  // The component, or nil once it was freed.
  TComponent* Get() const;
  explicit operator bool() const { return Get() != nullptr; }

 private:
  weakref_detail::TWeakNotifier* FNotifier{};
};

template <class T>
class TWeakRef {
 public:
  TWeakRef() = default;
  // Implicit: a raw pointer becomes a weak one where a field keeps it.
  TWeakRef(T* AObject) : FRef(AObject), FObject(AObject) {}  // NOLINT(google-explicit-constructor)
  TWeakRef& operator=(T* AObject) {
    FRef.Assign(AObject);
    FObject = AObject;
    return *this;
  }
  // The object, or nil once it was freed.
  T* Get() const { return FRef.Get() ? FObject : nullptr; }
  T* operator->() const { return Get(); }
  operator T*() const { return Get(); }  // NOLINT(google-explicit-constructor)

 private:
  TWeakReference FRef;
  T* FObject{};
};
