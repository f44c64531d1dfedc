#include "lib/editors/vlPopupEdit.h"

#include "lib/editors/vlEditConsts.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlGeometry.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/vcl/Graphics.h"
#include "platform/rtl/Finally.h"

// --- Properties ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomPopupEditProperties)

void TvlCustomPopupEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  SetPopupAutoSize(true);
  SetPopupMinHeight(100);
  SetPopupMinWidth(100);
  SetPopupHeight(200);
  SetPopupWidth(250);
  SetPopupSizeable(true);
}

TvlCustomEditClass TvlCustomPopupEditProperties::GetContainerClass() const { return ClassOf<TvlPopupEdit>(); }

TvlCustomEditPopupWindowClass TvlCustomPopupEditProperties::GetPopupWindowClass() const {
  return ClassOf<TvlPopupEditPopupWindow>();
}

void TvlCustomPopupEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TvlCustomPopupEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Assign(Source);
  SetPopupControl(s->PopupControl());
}

void TvlCustomPopupEditProperties::SetPopupControl(TControl* Value) { FPopupControl = Value; }

CL_IMPLEMENT_CLASS_PUBLISHED(TvlPopupEditProperties, P) {
  using T = TvlPopupEditProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(true);
  P.Property(u"BeepOnError", &T::BeepOnError, &T::SetBeepOnError).Default(false);
  P.Property(u"ButtonGlyph", &T::ButtonGlyph, &T::SetButtonGlyph).Stored([](T* AProperties) {
    TBitmap* glyph = AProperties->ButtonGlyph();
    return glyph && !glyph->Empty();
  });
  P.Property(u"CaseInsensitive", &T::CaseInsensitive, &T::SetCaseInsensitive).Default(true);
  P.Property(u"CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"EchoMode", &T::EchoMode, &T::SetEchoMode).Default(eemNormal);
  P.Property(u"HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true);
  P.Property(u"IgnoreMaskBlank", &T::IgnoreMaskBlank, &T::SetIgnoreMaskBlank).Default(false);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"ImmediateDropDown", &T::ImmediateDropDown, &T::SetImmediateDropDown).Default(true);
  P.Property(u"ImmediatePopup", &T::ImmediatePopup, &T::SetImmediatePopup).Default(true);
  P.Property(u"IncrementalSearch", &T::IncrementalSearch, &T::SetIncrementalSearch).Default(true);
  P.Property(u"LookupItems", &T::LookupItems, &T::SetLookupItems);
  P.Property(u"LookupItemsSorted", &T::LookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  P.Property(u"MaxLength", &T::MaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  // The kind before the mask, so the mask compiles in its own language.
  P.Property(u"MaskKind", &T::MaskKind, &T::SetMaskKind).Default(emkStandard);
  P.Property(u"EditMask", &T::OwnEditMask, &T::SetEditMask).Stored(&T::IsEditMaskStored);
  P.Property(u"OEMConvert", &T::OEMConvert, &T::SetOEMConvert).Default(false);
  P.Property(u"PasswordChar", &T::PasswordChar, &T::SetPasswordChar).Default(Char(0));
  P.Property(u"PopupAlignment", &T::PopupAlignment, &T::SetPopupAlignment).Default(taLeftJustify);
  P.Property(u"PopupAutoSize", &T::PopupAutoSize, &T::SetPopupAutoSize).Default(true);
  P.Property(u"PopupClientEdge", &T::PopupClientEdge, &T::SetPopupClientEdge).Default(false);
  P.Property(u"PopupControl", &T::PopupControl, &T::SetPopupControl);
  // The minimums before the sizes, so that a stored size is not raised by the defaults.
  P.Property(u"PopupMinHeight", &T::PopupMinHeight, &T::SetPopupMinHeight).Default(100);
  P.Property(u"PopupMinWidth", &T::PopupMinWidth, &T::SetPopupMinWidth).Default(100);
  P.Property(u"PopupHeight", &T::PopupHeight, &T::SetPopupHeight).Default(200);
  P.Property(u"PopupSizeable", &T::PopupSizeable, &T::SetPopupSizeable).Default(true);
  P.Property(u"PopupSysPanelStyle", &T::PopupSysPanelStyle, &T::SetPopupSysPanelStyle).Default(false);
  P.Property(u"PopupWidth", &T::PopupWidth, &T::SetPopupWidth).Default(250);
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"UseLeftAlignmentOnEditing", &T::UseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  P.Property(u"ValidateOnEnter", &T::ValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnCloseQuery", &T::OnCloseQuery, &T::SetOnCloseQuery);
  P.Property(u"OnCloseUp", &T::OnCloseUp, &T::SetOnCloseUp);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnInitPopup", &T::OnInitPopup, &T::SetOnInitPopup);
  P.Property(u"OnPopup", &T::OnPopup, &T::SetOnPopup);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}

void TvlPopupEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  SetImmediateDropDown(true);
  SetImmediatePopup(true);
}

// --- The editor ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomPopupEdit)

void TvlCustomPopupEdit::Destroy() {
  // The lent control goes back before the popup holding it is freed.
  RestorePopupControlData();
  inherited::Destroy();
}

void TvlCustomPopupEdit::InitializePopup() {
  if (TControl* c = ActiveProperties()->PopupControl()) {
    Boolean circular = c == PopupWindow() || c == this;
    for (TWinControl* p = Parent(); p && !circular; p = p->Parent()) circular = c == p;
    if (circular) throw EvlEditError(vlGetResourceStringText(vlSEditPopupCircularReferencingError));
  }
  inherited::InitializePopup();
}

TWinControl* TvlCustomPopupEdit::GetPopupFocusedControl() {
  return dynamic_cast<TWinControl*>(ActiveProperties()->PopupControl());
}

void TvlCustomPopupEdit::GetPopupContentPreferredSize(TSize& ASize) {
  TControl* c = ActiveProperties()->PopupControl();
  ASize = c ? TSize{c->Width(), c->Height()} : TSize{};
}

void TvlCustomPopupEdit::SavePopupControlData() {
  TControl* c = ActiveProperties()->PopupControl();
  if (!c || FLentControl.Get() == c) return;
  FPrevPopupControlData.Align = c->Align();
  FPrevPopupControlData.Bounds = c->BoundsRect();
  FPrevPopupControlData.Parent = c->Parent();
  FPrevPopupControlData.Visible = c->Visible();
  FPrevParent = c->Parent();
  if (auto* form = dynamic_cast<TCustomForm*>(c)) {
    FPrevPopupControlData.BorderStyle = form->BorderStyle();
    form->SetBorderStyle(bsNone);
  }
  FLentControl = c;
}

void TvlCustomPopupEdit::RestorePopupControlData() {
  TControl* c = FLentControl.Get();
  FLentControl = nullptr;
  if (!c || c->ComponentState().Contains(csDestroying)) return;
  c->SetVisible(false);
  c->SetParent(FPrevParent.Get());
  c->SetAlign(FPrevPopupControlData.Align);
  c->SetBoundsRect(FPrevPopupControlData.Bounds);
  if (auto* form = dynamic_cast<TCustomForm*>(c)) form->SetBorderStyle(FPrevPopupControlData.BorderStyle);
  c->SetVisible(FPrevPopupControlData.Visible);
}

void TvlCustomPopupEdit::InitializePopupWindow() {
  TControl* c = ActiveProperties()->PopupControl();
  // A control lent to another popup edit goes back from there first, so
  // that what is saved here is its own place.
  if (auto* w = c ? dynamic_cast<TvlCustomEditPopupWindow*>(c->Parent()) : nullptr)
    if (auto* other = dynamic_cast<TvlCustomPopupEdit*>(w->Edit()); other && other != this) {
      TWeakRef<TvlCustomPopupEdit> self(this);
      other->SetDroppedDown(false);
      if (!self) return;
      c = ActiveProperties()->PopupControl();
    }
  SavePopupControlData();
  if (c) {
    c->SetParent(PopupWindow());
    c->SetVisible(true);
  }
  inherited::InitializePopupWindow();
  if (c) c->SetAlign(alClient);
}

void TvlCustomPopupEdit::PositionPopupContent(const TRect& AClientRect) {
  if (TControl* c = ActiveProperties()->PopupControl())
    c->SetBounds(AClientRect.Left, AClientRect.Top, AClientRect.Right - AClientRect.Left,
                 AClientRect.Bottom - AClientRect.Top);
}

void TvlCustomPopupEdit::PopupWindowClosed(TObject* Sender) {
  RestorePopupControlData();
  inherited::PopupWindowClosed(Sender);
}

void TvlCustomPopupEdit::ClosePopupWithReason(TvlEditCloseUpReason AReason) {
  FCloseUpReason = AReason;
  if (PopupWindow()) PopupWindow()->ClosePopup();
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlPopupEdit, P) {
  using T = TvlPopupEdit;
  P.Property(u"AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
  P.Property(u"BeepOnEnter", &T::BeepOnEnter, &T::SetBeepOnEnter).Default(true);
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  P.Property(u"Text", &T::Text, &T::SetTextProp);
}

// --- The popup window ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlPopupEditPopupWindowViewInfo)

void TvlPopupEditPopupWindowViewInfo::DrawBorder(TvlCanvas* ACanvas, TRect& R) {
  if (Assigned(OnCustomDrawBorder) || NativeStyle || Painter || BorderStyle != epbsFrame3D) {
    inherited::DrawBorder(ACanvas, R);
    return;
  }
  // Raised outer and inner edges, then an inactive-border and a face frame.
  ACanvas->DrawEdge(R, false, true);
  R = vlInflateRectBy(R, -1, -1);
  ACanvas->DrawEdge(R, false, false);
  R = vlInflateRectBy(R, -1, -1);
  ACanvas->FrameRect(R, clInactiveBorder);
  R = vlInflateRectBy(R, -1, -1);
  ACanvas->FrameRect(R, clBtnFace);
  R = vlInflateRectBy(R, -1, -1);
}

CL_IMPLEMENT_CLASS(TvlPopupEditPopupWindow)
