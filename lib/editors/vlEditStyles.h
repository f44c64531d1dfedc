// The editor style: the container style's ten values plus the six of the
// editors (button style and transparency, popup border style, gradient
// buttons, gradient and its direction) and the popup close-button switch;
// and the edit style controller, which gives many editors one set of four
// state styles.
//
// A value not assigned on a style comes from its controller's style for the
// same state (up a chain of controllers); a state style then takes the
// value of its editor's normal style; the normal style ends in a fixed
// fallback (btsDefault, ebtNone, False, False, dirDown, epbsDefault).
#pragma once

#include "lib/editors/vlEditProperties.h"
#include "lib/lookandfeel/vlContainer.h"

// The editor-only values of a style (after the container's 0..9).
constexpr TvlContainerStyleValue svButtonStyle = 10, svButtonTransparency = 11, svPopupBorderStyle = 12,
                                 svGradientButtons = 13, svGradient = 14, svGradientDirection = 15;

class TvlEditStyleController;

class TvlCustomEditStyle : public TvlContainerStyle {
  CL_CLASS(TvlCustomEditStyle, TvlContainerStyle)
 public:
  void Assign(TPersistent* Source) override;
  using inherited::Create;
  void Create(TPersistent* AOwner, Boolean ADirectAccessMode, TvlContainerStyle* AParentStyle = nullptr,
              TvlContainerStateItem AState = csNormal) override;
  Integer GetStyleValueCount() override { return 16; }
  Boolean GetStyleValueName(TvlContainerStyleValue AStyleValue, String& AName) override;
  Boolean IsValueAssigned(TvlContainerStyleValue AValue) override;

  TvlEditButtonStyle ButtonStyle();
  void SetButtonStyle(TvlEditButtonStyle Value);
  TvlEditButtonTransparency ButtonTransparency();
  void SetButtonTransparency(TvlEditButtonTransparency Value);
  Boolean Gradient();
  void SetGradient(Boolean Value);
  Boolean GradientButtons();
  void SetGradientButtons(Boolean Value);
  TvlEditGradientDirection GradientDirection();
  void SetGradientDirection(TvlEditGradientDirection Value);
  TvlEditPopupBorderStyle PopupBorderStyle();
  void SetPopupBorderStyle(TvlEditPopupBorderStyle Value);
  Boolean PopupCloseButton();
  void SetPopupCloseButton(Boolean Value);
  TvlEditBorderStyle EditBorderStyle() { return TvlEditBorderStyle(BorderStyle()); }
  void SetEditBorderStyle(TvlEditBorderStyle Value) { SetBorderStyle(TvlContainerBorderStyle(Value)); }

  TvlCustomEditStyle* EditBaseStyle() { return static_cast<TvlCustomEditStyle*>(BaseStyle()); }
  Boolean IsBaseStyle() { return BaseStyle() == this; }
  // The owning editor, nil when the owner is not an editor.
  TvlCustomEdit* Edit();
  // Sets Color, Font and TextColor from the parameters in one update.
  void Init(const TvlViewParams& AParams);

 protected:
  TvlStyleController* GetDefaultStyleController() override;
  // An editor's border is opaque unless asked.
  Boolean GetDefaultTransparentBorder() override { return false; }
  TvlContainerStyleValues GetExtendedStyleHiddenValues() override;
  virtual TvlEditButtonStyle InheritedButtonStyle();
  virtual TvlEditButtonTransparency InheritedButtonTransparency();
  virtual Boolean InheritedGradient();
  virtual Boolean InheritedGradientButtons();
  virtual TvlEditGradientDirection InheritedGradientDirection();
  virtual TvlEditPopupBorderStyle InheritedPopupBorderStyle();

 private:
  // The style (this one or one of the controller chain) where AValue is assigned.
  TvlCustomEditStyle* EditAssignedSource(TvlContainerStyleValue AValue);
  void StoreOwn(TvlContainerStyleValue AValue);

  TvlEditButtonStyle FButtonStyle{};
  TvlEditButtonTransparency FButtonTransparency{};
  Boolean FGradient{};
  Boolean FGradientButtons{};
  TvlEditGradientDirection FGradientDirection{};
  TvlEditPopupBorderStyle FPopupBorderStyle{};
  Boolean FPopupCloseButton{};
};

class TvlEditStyle : public TvlCustomEditStyle {
  CL_CLASS(TvlEditStyle, TvlCustomEditStyle)
};

class TvlEditStyleController : public TvlStyleController {
  CL_CLASS(TvlEditStyleController, TvlStyleController)
 public:
  TvlEditStyle* Style() const { return static_cast<TvlEditStyle*>(GetStateStyle(csNormal)); }
  void SetStyle(TvlEditStyle* Value) { Style()->Assign(Value); }
  TvlEditStyle* StyleDisabled() const { return static_cast<TvlEditStyle*>(GetStateStyle(csDisabled)); }
  void SetStyleDisabled(TvlEditStyle* Value) { StyleDisabled()->Assign(Value); }
  TvlEditStyle* StyleFocused() const { return static_cast<TvlEditStyle*>(GetStateStyle(csActive)); }
  void SetStyleFocused(TvlEditStyle* Value) { StyleFocused()->Assign(Value); }
  TvlEditStyle* StyleHot() const { return static_cast<TvlEditStyle*>(GetStateStyle(csHotTrack)); }
  void SetStyleHot(TvlEditStyle* Value) { StyleHot()->Assign(Value); }
  TvlEditStyle* GetStyle(TvlContainerStateItem AState) const {
    return static_cast<TvlEditStyle*>(GetStateStyle(AState));
  }

 protected:
  TvlContainerStyleClass GetStyleClass() override { return ClassOf<TvlEditStyle>(); }
};

// The process-wide controller of stand-alone editors that name none
// (made at the editors' start-up, freed at shut-down; nil outside it).
TvlEditStyleController* vlDefaultEditStyleController();
// The editors' unit sets it at start-up and clears it before freeing it.
void vlSetDefaultEditStyleController(TvlEditStyleController* AController);
