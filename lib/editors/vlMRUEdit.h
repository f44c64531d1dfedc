// The most-recently-used editor: a combo box whose list (the properties'
// LookupItems) holds the texts the user confirmed, the latest first. A
// confirmed text moves to the top or is inserted there, and the list is cut
// to MaxItemCount, OnDeleteLookupItem naming each entry before it goes. A
// second button (the ellipsis) only notifies the application.
#pragma once

#include "lib/editors/vlComboBox.h"

class TvlCustomMRUEditProperties;

using TvlMRUEditDeleteLookupItemEvent =
    TDelegate<void(TvlCustomMRUEditProperties* AProperties, Integer AItemIndex)>;

class TvlCustomMRUEditProperties : public TvlCustomComboBoxProperties {
  CL_CLASS(TvlCustomMRUEditProperties, TvlCustomComboBoxProperties)
 public:
  void Assign(TPersistent* Source) override;
  void Create(TPersistent* AOwner) override;
  void Destroy() override;
  TvlCustomEditClass GetContainerClass() const override;
  // Another MRU properties object takes a copy of this object's list.
  void Update(TvlCustomEditProperties* AProperties) override;
  // OnNewLookupDisplayText with the properties as Sender.
  virtual void RaiseNewItem(const String& AText);
  // Moves AText to the top, or inserts it there (ARaiseNewItem: telling
  // OnNewLookupDisplayText first) and trims the list.
  virtual void InsertItem(const String& AText, Boolean ARaiseNewItem);
  void AddItem(const String& AText) { InsertItem(AText, true); }

  Integer MaxItemCount() const { return FMaxItemCount; }
  void SetMaxItemCount(Integer Value);
  Boolean ShowEllipsis() const { return FShowEllipsis; }
  void SetShowEllipsis(Boolean Value);
  // The ellipsis button's click (this hides the buttons' own OnButtonClick).
  const TNotifyEvent& OnButtonClick() const { return FOnButtonClick; }
  void SetOnButtonClick(const TNotifyEvent& Value) { FOnButtonClick = Value; }
  const TvlMRUEditDeleteLookupItemEvent& OnDeleteLookupItem() const { return FOnDeleteLookupItem; }
  void SetOnDeleteLookupItem(const TvlMRUEditDeleteLookupItemEvent& Value) { FOnDeleteLookupItem = Value; }

 private:
  void TrimItems();

  Integer FMaxItemCount{};
  Boolean FShowEllipsis{};
  TNotifyEvent FOnButtonClick;
  TvlMRUEditDeleteLookupItemEvent FOnDeleteLookupItem;
};

class TvlMRUEditProperties : public TvlCustomMRUEditProperties {
  CL_CLASS(TvlMRUEditProperties, TvlCustomMRUEditProperties)
};

class TvlCustomMRUEdit : public TvlCustomComboBox {
  CL_CLASS(TvlCustomMRUEdit, TvlCustomComboBox)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomMRUEditProperties>();
  }
  void LookupItemSelected(TObject* Sender) override;
  // Puts Value at the top of the active properties' list (OnNewLookupDisplayText
  // with the editor as Sender when it is new).
  virtual void AddItem(const String& Value);

  TvlCustomMRUEditProperties* ActiveProperties() {
    return static_cast<TvlCustomMRUEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomMRUEditProperties* Properties() const {
    return static_cast<TvlCustomMRUEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomMRUEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }

 protected:
  void ButtonClick(Integer AButtonIndex) override;
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void ShowDisplayValue(const Variant& ADisplayValue) override;
  void PropertiesChanged(TObject* Sender) override;
  Boolean SupportsSpelling() override { return false; }
};

class TvlMRUEdit : public TvlCustomMRUEdit {
  CL_CLASS(TvlMRUEdit, TvlCustomMRUEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlMRUEditProperties>(); }
  TvlMRUEditProperties* Properties() const {
    return static_cast<TvlMRUEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlMRUEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
};
