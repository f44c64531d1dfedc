#include "lib/editors/vlEditRepository.h"

#include <algorithm>

#include "lib/editors/vlEdit.h"
#include "platform/classes/Filer.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Collation.h"
#include "platform/rtl/Strings.h"

namespace {

TvlEditRepository* gDefaultRepository = nullptr;

const char16_t kItemClassPrefix[] = u"TvlEditRepository";

}  // namespace

TvlEditRepository* vlGetDefaultEditRepository() {
  if (!gDefaultRepository) gDefaultRepository = New<TvlEditRepository>(static_cast<TComponent*>(nullptr));
  return gDefaultRepository;
}

void vlFreeDefaultEditRepository() { FreeAndNil(gDefaultRepository); }

// --- TvlEditRepositoryItem ----------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TvlEditRepositoryItem, P) {
  P.Property(u"Properties", &TvlEditRepositoryItem::Properties, &TvlEditRepositoryItem::SetProperties);
  P.Property(u"Repository", &TvlEditRepositoryItem::Repository, &TvlEditRepositoryItem::SetRepository);
}

void TvlEditRepositoryItem::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FProperties = CreateFrom(GetEditPropertiesClass(), static_cast<TPersistent*>(this));
  FProperties->SetOnPropertiesChanged(TNotifyEvent(this, &TvlEditRepositoryItem::PropertiesChanged));
}

void TvlEditRepositoryItem::Destroy() {
  // Each listener forgets the item and may leave the list meanwhile.
  while (!FListeners.empty()) {
    IvlEditRepositoryItemListener* listener = FListeners.back();
    FListeners.pop_back();
    listener->RepositoryItemFreed(this);
  }
  SetRepository(nullptr);
  FreeAndNil(FProperties);
  inherited::Destroy();
}

void TvlEditRepositoryItem::AddListener(IvlEditRepositoryItemListener* AListener) {
  if (!AListener || std::find(FListeners.begin(), FListeners.end(), AListener) != FListeners.end()) return;
  FListeners.push_back(AListener);
}

void TvlEditRepositoryItem::RemoveListener(IvlEditRepositoryItemListener* AListener) {
  auto it = std::find(FListeners.begin(), FListeners.end(), AListener);
  if (it != FListeners.end()) FListeners.erase(it);
}

void TvlEditRepositoryItem::PropertiesChanged(TObject*) {
  // From the last added to the first, on a copy: a listener may leave.
  const std::vector<IvlEditRepositoryItemListener*> listeners = FListeners;
  for (auto it = listeners.rbegin(); it != listeners.rend(); ++it)
    if (std::find(FListeners.begin(), FListeners.end(), *it) != FListeners.end())
      (*it)->RepositoryItemPropertiesChanged(this);
}

Boolean TvlEditRepositoryItem::PropertiesAreOfClass(TClass AClass) {
  return FProperties && FProperties->InheritsFrom(AClass);
}

String TvlEditRepositoryItem::GetBaseName() {
  const String name = ClassName();
  const String prefix = kItemClassPrefix;
  const Integer p = Pos(prefix, name);
  const String rest = p > 0 ? Copy(name, p + Integer(prefix.size()), Integer(name.size())) : String();
  return (FRepository ? FRepository->Name() : String()) + rest;
}

void TvlEditRepositoryItem::SetRepository(TvlEditRepository* Value) {
  if (FRepository == Value) return;
  if (FRepository) FRepository->RemoveItem(this);
  FRepository = Value;
  if (FRepository) FRepository->AddItem(this);
}

void TvlEditRepositoryItem::ReadState(TReader* Reader) {
  if (TvlEditRepository* r = dynamic_cast<TvlEditRepository*>(Reader->Parent())) SetRepository(r);
  inherited::ReadState(Reader);
}

TComponent* TvlEditRepositoryItem::GetParentComponent() { return FRepository; }
Boolean TvlEditRepositoryItem::HasParent() { return FRepository != nullptr; }

void TvlEditRepositoryItem::SetParentComponent(TComponent* Value) {
  if (ComponentState().Contains(csLoading)) return;
  if (TvlEditRepository* r = dynamic_cast<TvlEditRepository*>(Value)) SetRepository(r);
}

// --- TvlEditRepository --------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlEditRepository)

void TvlEditRepository::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlEditRepository::Clear() {
  while (!FItems.empty()) Free(FItems.back());
}

TvlEditRepositoryItem* TvlEditRepository::CreateItem(TvlEditRepositoryItemClass ARepositoryItemClass) {
  return CreateItemEx(ARepositoryItemClass, this);
}

TvlEditRepositoryItem* TvlEditRepository::CreateItemEx(TvlEditRepositoryItemClass ARepositoryItemClass,
                                                       TComponent* AOwner) {
  TvlEditRepositoryItem* item = CreateFrom(ARepositoryItemClass, AOwner);
  item->SetRepository(this);
  return item;
}

TvlEditRepositoryItem* TvlEditRepository::ItemByName(const String& AName) {
  // Names are identifiers: compared without regard to ASCII case, so that
  // "textitem" finds "TextItem" under the Turkish locale too (where I and i
  // are not each other's capitals).
  for (TvlEditRepositoryItem* item : FItems)
    if (CompareText(item->Name(), AName) == 0) return item;
  return nullptr;
}

void TvlEditRepository::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TvlEditRepositoryItem* item : FItems)
    if (item->Owner() == Root) Proc(item);
}

void TvlEditRepository::AddItem(TvlEditRepositoryItem* AItem) {
  if (std::find(FItems.begin(), FItems.end(), AItem) == FItems.end()) FItems.push_back(AItem);
}

void TvlEditRepository::RemoveItem(TvlEditRepositoryItem* AItem) {
  auto it = std::find(FItems.begin(), FItems.end(), AItem);
  if (it != FItems.end()) FItems.erase(it);
}
