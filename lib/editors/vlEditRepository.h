// Repository items: named components that each hold one properties object
// shared by many editors and grid columns; they tell their listeners when
// the properties change and when they go. A repository keeps a list of
// items and streams them as its children; a process-wide default repository
// holds the items the library makes itself.
#pragma once

#include <vector>

#include "lib/editors/vlEditProperties.h"

class IvlEditRepositoryItemListener;
class TvlEditRepository;

class TvlEditRepositoryItem : public TComponent {
  CL_CLASS(TvlEditRepositoryItem, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  virtual void AddListener(IvlEditRepositoryItemListener* AListener);
  virtual void RemoveListener(IvlEditRepositoryItemListener* AListener);
  // Class level.
  virtual TvlCustomEditPropertiesClass GetEditPropertiesClass() const { return ClassOf<TvlCustomEditProperties>(); }
  virtual String GetBaseName();
  Boolean PropertiesAreOfClass(TClass AClass);

  TvlCustomEditProperties* Properties() const { return FProperties; }
  void SetProperties(TvlCustomEditProperties* Value) { FProperties->Assign(Value); }
  TvlEditRepository* Repository() const { return FRepository; }
  void SetRepository(TvlEditRepository* Value);
  Integer ListenerCount() const { return Integer(FListeners.size()); }

  TComponent* GetParentComponent() override;
  Boolean HasParent() override;
  void SetParentComponent(TComponent* Value) override;

 protected:
  void ReadState(TReader* Reader) override;
  virtual void PropertiesChanged(TObject* Sender);

 private:
  std::vector<IvlEditRepositoryItemListener*> FListeners;
  TvlCustomEditProperties* FProperties{};
  TvlEditRepository* FRepository{};

  friend class TvlEditRepository;
};
using TvlEditRepositoryItemClass = TClassOf<TvlEditRepositoryItem>;

class TvlEditRepository : public TComponent {
  CL_CLASS(TvlEditRepository, TComponent)
 public:
  void Destroy() override;
  void Clear();
  TvlEditRepositoryItem* CreateItem(TvlEditRepositoryItemClass ARepositoryItemClass);
  virtual TvlEditRepositoryItem* CreateItemEx(TvlEditRepositoryItemClass ARepositoryItemClass, TComponent* AOwner);
  // The first item whose Name equals AName ignoring case; nil when none.
  TvlEditRepositoryItem* ItemByName(const String& AName);
  Integer Count() const { return Integer(FItems.size()); }
  TvlEditRepositoryItem* Items(Integer AIndex) const { return FItems[size_t(AIndex)]; }

 protected:
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;

 private:
  void AddItem(TvlEditRepositoryItem* AItem);
  void RemoveItem(TvlEditRepositoryItem* AItem);
  std::vector<TvlEditRepositoryItem*> FItems;

  friend class TvlEditRepositoryItem;
};

// Made on first use with no owner; freed at the editors' shut-down.
TvlEditRepository* vlGetDefaultEditRepository();
// The editors' unit frees it at shut-down.
void vlFreeDefaultEditRepository();
