// The popup edit: a drop-down editor whose popup shows any control of the
// application (a panel, a grid, a form), lent to the popup window while it
// is open and given back, with its parent, alignment, bounds, border style
// and visibility, when it closes. A control that holds the editor cannot be
// lent to it ("Circular referencing is not allowed").
#pragma once

#include "lib/editors/vlDropDownEdit.h"
#include "platform/vcl/Forms.h"

class TvlCustomPopupEditProperties : public TvlCustomDropDownEditProperties {
  CL_CLASS(TvlCustomPopupEditProperties, TvlCustomDropDownEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
  void Assign(TPersistent* Source) override;
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditPopupWindowClass GetPopupWindowClass() const override;
  Boolean LookupListInPopup() override { return false; }
  Boolean PopupWindowCapturesFocus() override { return true; }

  // Cleared when the control is freed.
  TControl* PopupControl() const { return FPopupControl.Get(); }
  void SetPopupControl(TControl* Value);

 private:
  TWeakRef<TControl> FPopupControl;
};

class TvlPopupEditProperties : public TvlCustomPopupEditProperties {
  CL_CLASS(TvlPopupEditProperties, TvlCustomPopupEditProperties)
 public:
  void Create(TPersistent* AOwner) override;
};

// What the popup control had before it was lent.
struct TvlPrevPopupControlData {
  TAlign Align{};
  TRect Bounds{};
  TWinControl* Parent{};
  Boolean Visible{};
  TFormBorderStyle BorderStyle{};
};

class TvlCustomPopupEdit : public TvlCustomDropDownEdit {
  CL_CLASS(TvlCustomPopupEdit, TvlCustomDropDownEdit)
 public:
  void Destroy() override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomPopupEditProperties>();
  }
  Boolean CanDropDown() override { return ActiveProperties()->PopupControl() != nullptr; }
  void InitializePopup() override;
  TWinControl* GetPopupFocusedControl() override;
  void GetPopupContentPreferredSize(TSize& ASize) override;
  void InitializePopupWindow() override;
  void PositionPopupContent(const TRect& AClientRect) override;

  // Stores the reason and closes through the popup's posted close message.
  virtual void ClosePopupWithReason(TvlEditCloseUpReason AReason);
  virtual void RestorePopupControlData();
  virtual void SavePopupControlData();

  TvlCustomPopupEditProperties* ActiveProperties() {
    return static_cast<TvlCustomPopupEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomPopupEditProperties* Properties() const {
    return static_cast<TvlCustomPopupEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomPopupEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }

 protected:
  void PopupWindowClosed(TObject* Sender) override;

 private:
  TvlPrevPopupControlData FPrevPopupControlData;
  // The control lent now (nil when none), and its previous parent alive.
  TWeakRef<TControl> FLentControl;
  TWeakRef<TWinControl> FPrevParent;
};

class TvlPopupEdit : public TvlCustomPopupEdit {
  CL_CLASS(TvlPopupEdit, TvlCustomPopupEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override { return ClassOf<TvlPopupEditProperties>(); }
  TvlPopupEditProperties* Properties() const {
    return static_cast<TvlPopupEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlPopupEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
};

class TvlPopupEditPopupWindowViewInfo : public TvlCustomEditPopupWindowViewInfo {
  CL_CLASS(TvlPopupEditPopupWindowViewInfo, TvlCustomEditPopupWindowViewInfo)
 public:
  using inherited::DrawBorder;
  void DrawBorder(TvlCanvas* ACanvas, TRect& R) override;
};

class TvlPopupEditPopupWindow : public TvlCustomEditPopupWindow {
  CL_CLASS(TvlPopupEditPopupWindow, TvlCustomEditPopupWindow)
 protected:
  TvlContainerViewInfoClass GetViewInfoClass() override { return ClassOf<TvlPopupEditPopupWindowViewInfo>(); }
};
