// Publishing the inherited control properties a control class makes
// visible, with the stored rules and defaults the framework gives them.
// For source files only (it includes TypInfoBuild.h), inside
// CL_IMPLEMENT_CLASS_PUBLISHED:
//
//   CL_IMPLEMENT_CLASS_PUBLISHED(TvlPanel, P) {
//     PublishControlProperties(P, {u"Align", u"Anchors", u"Caption", u"Color", u"Font", u"OnClick"});
//     P.Property(u"BorderStyle", ...);     // the class's own, in declaration order
//   }
//
// A class that gives one of them another default (Color = clBtnFace)
// publishes that one itself instead.
#pragma once

#include <initializer_list>
#include <type_traits>

#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Menus.h"

template <class C>
void PublishControlProperty(TPublisher<C>& P, const String& N) {
  static_assert(std::is_base_of_v<TControl, C>);
  if (N == u"Action") {
    P.Property(u"Action", &TControl::Action, &TControl::SetAction);
  } else if (N == u"Align") {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  } else if (N == u"Anchors") {
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
  } else if (N == u"AutoSize") {
    P.Property(u"AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false);
  } else if (N == u"BiDiMode") {
    P.Property(u"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Stored(&TControl::IsBiDiModeStored);
  } else if (N == u"Caption") {
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).Stored(&TControl::IsCaptionStored);
  } else if (N == u"Color") {
    P.Property(u"Color", &TControl::Color, &TControl::SetColor)
        .Type(TypeInfoTColor())
        .Stored(&TControl::IsColorStored)
        .Default(clWindow);
  } else if (N == u"Constraints") {
    P.Property(u"Constraints", &TControl::Constraints, &TControl::SetConstraints);
  } else if (N == u"DragCursor") {
    P.Property(u"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor)
        .Type(TypeInfoTCursor())
        .Default(TCursor(crDrag));
  } else if (N == u"DragKind") {
    P.Property(u"DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag);
  } else if (N == u"DragMode") {
    P.Property(u"DragMode", &TControl::DragMode, &TControl::SetDragModeProp).Default(dmManual);
  } else if (N == u"Enabled") {
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabledProp)
        .Stored(&TControl::IsEnabledStored)
        .Default(true);
  } else if (N == u"Font") {
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
  } else if (N == u"ParentBiDiMode") {
    P.Property(u"ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode).Default(true);
  } else if (N == u"ParentColor") {
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(true);
  } else if (N == u"ParentFont") {
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
  } else if (N == u"ParentShowHint") {
    P.Property(u"ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
  } else if (N == u"PopupMenu") {
    P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
  } else if (N == u"ShowHint") {
    P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored);
  } else if (N == u"Visible") {
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible)
        .Stored(&TControl::IsVisibleStored)
        .Default(true);
  } else if (N == u"OnClick") {
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick).Stored(&TControl::IsOnClickStored);
  } else if (N == u"OnCanResize") {
    P.Property(u"OnCanResize", &TControl::OnCanResize, &TControl::SetOnCanResize);
  } else if (N == u"OnConstrainedResize") {
    P.Property(u"OnConstrainedResize", &TControl::OnConstrainedResize, &TControl::SetOnConstrainedResize);
  } else if (N == u"OnContextPopup") {
    P.Property(u"OnContextPopup", &TControl::OnContextPopup, &TControl::SetOnContextPopup);
  } else if (N == u"OnDblClick") {
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
  } else if (N == u"OnDragDrop") {
    P.Property(u"OnDragDrop", &TControl::OnDragDrop, &TControl::SetOnDragDrop);
  } else if (N == u"OnDragOver") {
    P.Property(u"OnDragOver", &TControl::OnDragOver, &TControl::SetOnDragOver);
  } else if (N == u"OnEndDrag") {
    P.Property(u"OnEndDrag", &TControl::OnEndDrag, &TControl::SetOnEndDrag).Type(TypeInfoTEndDragEvent());
  } else if (N == u"OnMouseDown") {
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
  } else if (N == u"OnMouseEnter") {
    P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);
  } else if (N == u"OnMouseLeave") {
    P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave);
  } else if (N == u"OnMouseMove") {
    P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);
  } else if (N == u"OnMouseUp") {
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
  } else if (N == u"OnMouseWheel") {
    P.Property(u"OnMouseWheel", &TControl::OnMouseWheel, &TControl::SetOnMouseWheel);
  } else if (N == u"OnMouseWheelDown") {
    P.Property(u"OnMouseWheelDown", &TControl::OnMouseWheelDown, &TControl::SetOnMouseWheelDown);
  } else if (N == u"OnMouseWheelUp") {
    P.Property(u"OnMouseWheelUp", &TControl::OnMouseWheelUp, &TControl::SetOnMouseWheelUp);
  } else if (N == u"OnResize") {
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
  } else if (N == u"OnStartDrag") {
    P.Property(u"OnStartDrag", &TControl::OnStartDrag, &TControl::SetOnStartDrag);
  } else if (N == u"OnEndDock") {
    P.Property(u"OnEndDock", &TControl::OnEndDock, &TControl::SetOnEndDock).Type(TypeInfoTEndDragEvent());
  } else if (N == u"OnStartDock") {
    P.Property(u"OnStartDock", &TControl::OnStartDock, &TControl::SetOnStartDock);
  } else if constexpr (std::is_base_of_v<TWinControl, C>) {
    if (N == u"BorderWidth") {
      P.Property(u"BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth).Default(0);
    } else if (N == u"DockSite") {
      P.Property(u"DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite).Default(false);
    } else if (N == u"UseDockManager") {
      P.Property(u"UseDockManager", &TWinControl::UseDockManager, &TWinControl::SetUseDockManager).Default(false);
    } else if (N == u"OnDockDrop") {
      P.Property(u"OnDockDrop", &TWinControl::OnDockDrop, &TWinControl::SetOnDockDrop);
    } else if (N == u"OnDockOver") {
      P.Property(u"OnDockOver", &TWinControl::OnDockOver, &TWinControl::SetOnDockOver);
    } else if (N == u"OnGetSiteInfo") {
      P.Property(u"OnGetSiteInfo", &TWinControl::OnGetSiteInfo, &TWinControl::SetOnGetSiteInfo);
    } else if (N == u"OnUnDock") {
      P.Property(u"OnUnDock", &TWinControl::OnUnDock, &TWinControl::SetOnUnDock);
    } else if (N == u"Ctl3D") {
      P.Property(u"Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).Stored(&TWinControl::IsCtl3DStored);
    } else if (N == u"DoubleBuffered") {
      P.Property(u"DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered)
          .Stored(&TWinControl::IsDoubleBufferedStored);
    } else if (N == u"ParentBackground") {
      P.Property(u"ParentBackground", &TWinControl::ParentBackground, &TWinControl::SetParentBackground);
    } else if (N == u"ParentCtl3D") {
      P.Property(u"ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
    } else if (N == u"ParentDoubleBuffered") {
      P.Property(u"ParentDoubleBuffered", &TWinControl::ParentDoubleBuffered, &TWinControl::SetParentDoubleBuffered)
          .Default(true);
    } else if (N == u"TabOrder") {
      P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(TTabOrder(-1));
    } else if (N == u"TabStop") {
      P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    } else if (N == u"OnEnter") {
      P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);
    } else if (N == u"OnExit") {
      P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);
    } else if (N == u"OnKeyDown") {
      P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);
    } else if (N == u"OnKeyPress") {
      P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);
    } else if (N == u"OnKeyUp") {
      P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);
    } else {
      throw EInvalidOperation(u"No published control property " + N);
    }
  } else {
    throw EInvalidOperation(u"No published control property " + N);
  }
}

// Publishes the named properties in the order given.
template <class C>
void PublishControlProperties(TPublisher<C>& P, std::initializer_list<const char16_t*> Names) {
  for (const char16_t* n : Names) PublishControlProperty(P, String(n));
}
