#include "platform/classes/WeakRef.h"

#include "platform/classes/Classes.h"

namespace weakref_detail {

// Registered for the target's free notification; forgets it when told.
class TWeakNotifier : public TComponent {
  CL_CLASS(TWeakNotifier, TComponent)
 public:
  TComponent* Target{};

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    // Not passed on: the notifier owns nothing and is told about nothing else.
    if (Operation == opRemove && AComponent == Target) Target = nullptr;
  }
};

CL_IMPLEMENT_CLASS(TWeakNotifier)

}  // namespace weakref_detail

using weakref_detail::TWeakNotifier;

void TWeakReference::Assign(TComponent* AComponent) {
  if (AComponent && FNotifier && FNotifier->Target == AComponent) return;
  if (FNotifier) {
    // Unlinked first, so that freeing the notifier tells the target nothing.
    if (FNotifier->Target) FNotifier->Target->RemoveFreeNotification(FNotifier);
    FNotifier->Target = nullptr;
    if (!AComponent) {
      Free(FNotifier);
      FNotifier = nullptr;
      return;
    }
  }
  if (!AComponent) return;
  if (!FNotifier) FNotifier = New<TWeakNotifier>(static_cast<TComponent*>(nullptr));
  FNotifier->Target = AComponent;
  AComponent->FreeNotification(FNotifier);
}

TComponent* TWeakReference::Get() const { return FNotifier ? FNotifier->Target : nullptr; }

TWeakReference& TWeakReference::operator=(TWeakReference&& Other) noexcept {
  if (this != &Other) {
    Assign(nullptr);
    FNotifier = Other.FNotifier;
    Other.FNotifier = nullptr;
  }
  return *this;
}
