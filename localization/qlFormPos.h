// Form position storage: a small component on a form that keeps the form's
// position, size and window state in the registry. It restores them when
// the form has been loaded and stores them when it is destroyed with the
// form. Values under SubKey: "State" ("Normal", "Minimized", "Maximized"),
// "Top", "Left", "Height", "Width"; a minimized or maximized form keeps the
// position of its last normal save.
#pragma once

#include "platform/classes/Classes.h"
#include "platform/classes/WinRegistry.h"

class TCustomForm;

CL_ENUM(TMyHKeyType, Byte, qlHKEY_CURRENT_USER, qlHKEY_CLASSES_ROOT, qlHKEY_LOCAL_MACHINE, qlHKEY_USERS,
        qlHKEY_CURRENT_CONFIG, qlHKEY_DYN_DATA)

class TqlFormStorage : public TComponent {
  CL_CLASS(TqlFormStorage, TComponent)
 public:
  // The owner must be a form (an invalid-cast error otherwise).
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Loaded() override;

  // Sets the stored placement on the form; any registry error puts the
  // form's placement back as it was and is not reported.
  void ReadSettings();
  // Stores the form's placement; nothing when the key cannot be opened.
  void WriteSettings();

  Boolean Active() const { return FActive; }
  void SetActive(Boolean Value) { FActive = Value; }
  TMyHKeyType RegRootKey() const { return FRegRootKey; }
  void SetRegRootKey(TMyHKeyType Value);
  const String& SubKey() const { return FSubKey; }
  void SetSubKey(const String& Value) { FSubKey = Value; }

 private:
  Boolean FActive{};
  String FSubKey;
  TMyHKeyType FRegRootKey{};
  win::HKEY FRootKey{};
  TCustomForm* FForm{};
};
