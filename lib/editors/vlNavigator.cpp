#include "lib/editors/vlNavigator.h"

#include <algorithm>

#include "lib/editors/vlEditConsts.h"
#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/foundation/vlGraphics.h"
#include "lib/foundation/vlGraphicsUtils.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlCustomPopup.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/Resources.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"
#include "platform/win/Windows.h"

using namespace win;

CL_IMPLEMENT_CLASS(TvlNavigatorButton)
CL_IMPLEMENT_CLASS(TvlCustomNavigatorButtons)
CL_IMPLEMENT_CLASS(TvlNavigatorControlButtons)
CL_IMPLEMENT_CLASS(TvlNavigatorButtonViewInfo)
CL_IMPLEMENT_CLASS(TvlNavigatorViewInfo)
CL_IMPLEMENT_CLASS(TvlNavigatorControlNotifier)

// Keeps the embedded glyph strip linked.
void vlEditorsResourcesLink();

namespace {

TImageList* DefaultImages = nullptr;

constexpr Integer kFirstRepeatDelay = 400, kRepeatInterval = 100, kHintPause = 500;

const TResStringRec* const HintStrings[vlNavigatorButtonCount] = {
    &vlNavigatorHint_First,  &vlNavigatorHint_PriorPage, &vlNavigatorHint_Prior,        &vlNavigatorHint_Next,
    &vlNavigatorHint_NextPage, &vlNavigatorHint_Last,    &vlNavigatorHint_Insert,       &vlNavigatorHint_Append,
    &vlNavigatorHint_Delete, &vlNavigatorHint_Edit,      &vlNavigatorHint_Post,         &vlNavigatorHint_Cancel,
    &vlNavigatorHint_Refresh, &vlNavigatorHint_SaveBookmark, &vlNavigatorHint_GotoBookmark, &vlNavigatorHint_Filter};

void Shutdown() { FreeAndNil(DefaultImages); }

}  // namespace

CL_UNIT_STEPS(vlNavigator, nullptr, &Shutdown);

TImageList* vlNavigatorDefaultImages() {
  if (!DefaultImages) {
    vlEditorsResourcesLink();
    TImageList* images = NewBy<TImageList>(&TImageList::CreateSize, 12, 11);
    TBitmap* strip = New<TBitmap>();
    Finally freeStrip([&] { Free(strip); });
    try {
      strip->LoadFromResourceName(::HInstance, u"VLNAVIGATORBUTTONS");
      images->AddMasked(strip, clOlive);
    } catch (...) {
      Free(images);
      throw;
    }
    DefaultImages = images;
  }
  return DefaultImages;
}

// --- Button ------------------------------------------------------------------------------------------

void TvlNavigatorButton::Create(TvlCustomNavigatorButtons* AButtons, Boolean ADefaultVisible) {
  FButtons = AButtons;
  FDefaultVisible = ADefaultVisible;
  FVisible = ADefaultVisible;
}

TPersistent* TvlNavigatorButton::GetOwner() { return FButtons; }

IvlNavigatorOwner* TvlNavigatorButton::Navigator() { return FButtons ? FButtons->Navigator() : nullptr; }

void TvlNavigatorButton::Assign(TPersistent* Source) {
  if (auto* b = Is<TvlNavigatorButton>(Source) ? static_cast<TvlNavigatorButton*>(Source) : nullptr) {
    SetEnabled(b->Enabled());
    SetHint(b->Hint());
    SetImageIndex(b->ImageIndex());
    SetVisible(b->Visible());
    FIsVisibleAssigned = b->IsVisibleAssigned();
    FOnClick = b->OnClick();
    return;
  }
  inherited::Assign(Source);
}

Boolean TvlNavigatorButton::GetInternalEnabled() {
  return FEnabled && FButtons->GetButtonEnabled(FDefaultIndex);
}

void TvlNavigatorButton::Click() {
  if (GetInternalEnabled()) DoClick();
}

void TvlNavigatorButton::DoClick() {
  if (Assigned(FOnClick)) {
    FOnClick(this);
    return;
  }
  Boolean done = false;
  if (Assigned(FButtons->OnButtonClick())) FButtons->OnButtonClick()(FButtons, FDefaultIndex, done);
  if (!done) FButtons->DoButtonClick(FDefaultIndex);
}

Boolean TvlNavigatorButton::IsUserImage() { return FButtons->Images() && FImageIndex >= 0; }

TCustomImageList* TvlNavigatorButton::GetImages() {
  return IsUserImage() ? FButtons->Images() : static_cast<TCustomImageList*>(vlNavigatorDefaultImages());
}

Integer TvlNavigatorButton::GetImageIndexShown() { return IsUserImage() ? FImageIndex : FDefaultIndex; }

TSize TvlNavigatorButton::GetImageSize() {
  if (!IsUserImage() && Navigator()) {
    TvlLookAndFeel* lf = Navigator()->GetHostLookAndFeel();
    if (lf && lf->SkinPainter()) return lf->SkinPainter()->NavigatorGlyphSize();
  }
  TCustomImageList* images = GetImages();
  return TSize{images->Width(), images->Height()};
}

String TvlNavigatorButton::GetShownHint() { return FHint.empty() ? FButtons->GetButtonHint(FDefaultIndex) : FHint; }

void TvlNavigatorButton::SetEnabled(Boolean Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  if (Navigator()) {
    if (FVisible) Navigator()->RelayoutNavigator();
    Navigator()->NotifyNavigatorChange(nckLayout);
  }
}

void TvlNavigatorButton::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  if (Navigator()) {
    if (FVisible) Navigator()->RelayoutNavigator();
    Navigator()->NotifyNavigatorChange(nckLayout);
  }
}

void TvlNavigatorButton::SetVisible(Boolean Value) {
  FIsVisibleAssigned = true;
  if (FVisible == Value) return;
  FVisible = Value;
  if (Navigator()) {
    Navigator()->RelayoutNavigator();
    Navigator()->NotifyNavigatorChange(nckSize);
  }
}

void TvlNavigatorButton::SetHint(const String& Value) {
  if (FHint == Value) return;
  FHint = Value;
  if (Navigator()) Navigator()->NotifyNavigatorChange(nckProperty);
}

void TvlNavigatorButton::SetOnClick(const TNotifyEvent& Value) {
  FOnClick = Value;
  if (Navigator()) Navigator()->NotifyNavigatorChange(nckProperty);
}

// --- Button sets -----------------------------------------------------------------------------------------

void TvlCustomNavigatorButtons::Create(IvlNavigatorOwner* ANavigator) {
  FNavigator = ANavigator;
  FImageChangeLink = New<TChangeLink>();
  FImageChangeLink->SetOnChange(TNotifyEvent(this, &TvlCustomNavigatorButtons::ImageListChange));
  CreateButtons();
  FConfirmDelete = true;
}

void TvlCustomNavigatorButtons::Destroy() {
  if (FImages) FImages->UnRegisterChanges(FImageChangeLink);
  FreeAndNil(FImageChangeLink);
  DestroyButtons();
  inherited::Destroy();
}

TPersistent* TvlCustomNavigatorButtons::GetOwner() {
  return FNavigator ? FNavigator->GetOwnerComponent() : nullptr;
}

void TvlCustomNavigatorButtons::CreateButtons() {
  for (Integer i = 0; i < vlNavigatorButtonCount; ++i) {
    FButtons[i] = New<TvlNavigatorButton>(this, i != NBDI_APPEND);
    FButtons[i]->SetDefaultIndex(i);
  }
}

void TvlCustomNavigatorButtons::DestroyButtons() {
  for (TvlNavigatorButton*& b : FButtons) FreeAndNil(b);
}

void TvlCustomNavigatorButtons::Assign(TPersistent* Source) {
  if (auto* s = Is<TvlCustomNavigatorButtons>(Source) ? static_cast<TvlCustomNavigatorButtons*>(Source) : nullptr) {
    for (Integer i = 0; i < vlNavigatorButtonCount; ++i) FButtons[i]->Assign(s->Buttons(i));
    SetConfirmDelete(s->ConfirmDelete());
    SetImages(s->Images());
    SetOnButtonClick(s->OnButtonClick());
    return;
  }
  inherited::Assign(Source);
}

Boolean TvlCustomNavigatorButtons::GetButtonEnabled(Integer) {
  TWinControl* host = FNavigator ? FNavigator->GetHostControl() : nullptr;
  return host && host->Enabled();
}

String TvlCustomNavigatorButtons::GetButtonHint(Integer AButtonIndex) {
  if (AButtonIndex < 0 || AButtonIndex >= vlNavigatorButtonCount) return String();
  return vlGetResourceStringText(HintStrings[AButtonIndex]);
}

void TvlCustomNavigatorButtons::ClickButton(Integer Index) { FButtons[Index]->Click(); }

TCustomImageList* TvlCustomNavigatorButtons::DefaultImages() { return vlNavigatorDefaultImages(); }

void TvlCustomNavigatorButtons::SetConfirmDelete(Boolean Value) {
  if (FConfirmDelete == Value) return;
  FConfirmDelete = Value;
  if (FNavigator) FNavigator->NotifyNavigatorChange(nckProperty);
}

void TvlCustomNavigatorButtons::SetImages(TCustomImageList* Value) {
  vlAssignImageList(Value, FImages, FImageChangeLink, FNavigator ? FNavigator->GetOwnerComponent() : nullptr);
  if (FNavigator) FNavigator->NotifyNavigatorChange(nckLayout);
}

void TvlCustomNavigatorButtons::SetOnButtonClick(const TvlNavigatorButtonClickEvent& Value) {
  FOnButtonClick = Value;
  if (FNavigator) FNavigator->NotifyNavigatorChange(nckProperty);
}

void TvlCustomNavigatorButtons::ImageListChange(TObject*) {
  if (FNavigator) FNavigator->RelayoutNavigator();
}

Boolean TvlNavigatorControlButtons::GetButtonEnabled(Integer AButtonIndex) {
  IvlNavigator* control = GetControl();
  if (!control || !inherited::GetButtonEnabled(AButtonIndex)) return false;
  if (!control->IsDataActive() && AButtonIndex != NBDI_FILTER) return false;
  switch (AButtonIndex) {
    case NBDI_FIRST:
    case NBDI_PRIORPAGE:
    case NBDI_PRIOR: return !control->IsAtFirstRecord();
    case NBDI_NEXT:
    case NBDI_NEXTPAGE:
    case NBDI_LAST: return !control->IsAtLastRecord();
    case NBDI_INSERT: return control->IsInsertAllowed();
    case NBDI_APPEND: return control->IsAppendAllowed();
    case NBDI_DELETE: return control->IsDeleteAllowed();
    case NBDI_EDIT: return control->IsEditAllowed() && !control->IsInEditState();
    case NBDI_POST:
    case NBDI_CANCEL: return control->IsInEditState();
    case NBDI_GOTOBOOKMARK: return control->HasSavedBookmark();
    default: return true;
  }
}

void TvlNavigatorControlButtons::DoButtonClick(Integer AButtonIndex) {
  // A refused action may have changed the data's state before raising (an
  // insert whose follow-up fails stays inserting): the buttons follow either way.
  Finally refresh([&] {
    if (Navigator()) Navigator()->RefreshButtonStates();
  });
  IvlNavigator* control = GetControl();
  if (!control) return;
  if (AButtonIndex == NBDI_DELETE && ConfirmDelete()) {
    if (MessageDlg(vlGetResourceStringText(vlNavigator_DeleteRecordQuestion), mtConfirmation,
                   TMsgDlgButtons{mbOK, mbCancel}, 0) == mrOk)
      control->ExecuteNavigatorAction(AButtonIndex);
  } else {
    control->ExecuteNavigatorAction(AButtonIndex);
  }
}

void TvlNavigatorControlButtons::ReleaseBookmark() {
  IvlNavigator* control = GetControl();
  if (control && control->HasSavedBookmark()) control->DropSavedBookmark();
}

// --- Control notifier -------------------------------------------------------------------------------------

void TvlNavigatorControlNotifier::AddNavigator(IvlNavigatorOwner* ANavigator) {
  if (std::find(FList.begin(), FList.end(), ANavigator) == FList.end()) FList.push_back(ANavigator);
}

void TvlNavigatorControlNotifier::RemoveNavigator(IvlNavigatorOwner* ANavigator) {
  FList.erase(std::remove(FList.begin(), FList.end(), ANavigator), FList.end());
}

void TvlNavigatorControlNotifier::RefreshNavigatorButtons() {
  // A host may leave the list while it refreshes: walk a copy.
  const std::vector<IvlNavigatorOwner*> hosts = FList;
  for (IvlNavigatorOwner* host : hosts) host->RefreshButtonStates();
}

// --- View info: life and layout ------------------------------------------------------------------------------

void TvlNavigatorViewInfo::Create(IvlNavigatorOwner* ANavigator, Boolean AIsInplace) {
  FNavigator = ANavigator;
  FIsInplace = AIsInplace;
  FCanvas = New<TvlCanvas>(static_cast<TCanvas*>(nullptr));
  FButtonPressTimer = New<TvlTimer>(static_cast<TComponent*>(nullptr));
  FButtonPressTimer->SetEnabled(false);
  FButtonPressTimer->SetOnTimer(TNotifyEvent(this, &TvlNavigatorViewInfo::ButtonPressTimerHandler));
  FHintTimer = New<TvlTimer>(static_cast<TComponent*>(nullptr));
  FHintTimer->SetEnabled(false);
  FHintTimer->SetInterval(kHintPause);
  FHintTimer->SetOnTimer(TNotifyEvent(this, &TvlNavigatorViewInfo::HintTimerHandler));
}

void TvlNavigatorViewInfo::Destroy() {
  // A button action running from the repeat timer learns that it is gone.
  vlClearObjectLinks(this);
  FreeAndNil(FCanvas);
  FreeAndNil(FButtonPressTimer);
  FreeAndNil(FHintTimer);
  ReleaseHintWindow();
  Clear();
  inherited::Destroy();
}

void TvlNavigatorViewInfo::Clear() {
  FIsDirty = true;
  FHotTrackButtonViewInfo = nullptr;
  FPressedButtonViewInfo = nullptr;
  for (TvlNavigatorButtonViewInfo* v : FButtons) Free(v);
  FButtons.clear();
}

TvlCustomLookAndFeelPainterClass TvlNavigatorViewInfo::Painter() {
  TvlLookAndFeel* lf = FNavigator->GetHostLookAndFeel();
  return lf ? lf->GetAvailablePainter(totButton) : TvlCustomLookAndFeelPainterClass(ClassOf<TvlCustomLookAndFeelPainter>());
}

Boolean TvlNavigatorViewInfo::HostWindowExists() {
  TWinControl* host = FNavigator->GetHostControl();
  return host && host->HandleAllocated();
}

void TvlNavigatorViewInfo::CheckSize(Integer& AWidth, Integer& AHeight, Boolean ACheckMinHeight) {
  TRect area;
  FNavigator->GetNavigatorArea(area);
  FIsDirty = true;
  TvlNavigatorButton* hot = FHotTrackButtonViewInfo ? FHotTrackButtonViewInfo->Button : nullptr;
  TvlNavigatorButton* pressed = FPressedButtonViewInfo ? FPressedButtonViewInfo->Button : nullptr;
  FHotTrackButtonViewInfo = nullptr;
  FPressedButtonViewInfo = nullptr;
  TvlCustomNavigatorButtons* set = FNavigator->GetButtonSet();
  size_t visible = 0;
  for (Integer i = 0; i < set->ButtonCount(); ++i)
    if (set->Buttons(i)->Visible()) ++visible;
  while (FButtons.size() > visible) {
    Free(FButtons.back());
    FButtons.pop_back();
  }
  while (FButtons.size() < visible) FButtons.push_back(New<TvlNavigatorButtonViewInfo>());

  const TRect borders = Painter()->ButtonGroupBorderSizes(3, 1);
  std::vector<Integer> widths;
  Integer sum = 0, height = 0;
  size_t n = 0;
  for (Integer i = 0; i < set->ButtonCount(); ++i) {
    TvlNavigatorButton* button = set->Buttons(i);
    if (!button->Visible()) continue;
    TvlNavigatorButtonViewInfo* v = FButtons[n++];
    v->Button = button;
    if (button == hot) FHotTrackButtonViewInfo = v;
    if (button == pressed) FPressedButtonViewInfo = v;
    const TSize image = button->GetImageSize();
    const Integer w = image.cx + borders.Left + borders.Right + 1;
    Integer h = borders.Top + borders.Bottom + 1;
    if (ACheckMinHeight) h += image.cy;
    widths.push_back(w);
    sum += w;
    height = std::max(height, h);
  }
  AHeight = std::max(AHeight, height);
  Integer extra = 0;
  if (AWidth < sum) {
    AWidth = sum;
  } else {
    extra = visible ? (AWidth - sum) / Integer(visible) : 0;
    AWidth = extra * Integer(visible) + sum;
  }
  Integer x = area.Left;
  for (size_t k = 0; k < FButtons.size(); ++k) {
    const Integer w = widths[k] + extra;
    FButtons[k]->Bounds = TRect{x, area.Top, x + w, area.Top + AHeight};
    x += w;
  }
}

void TvlNavigatorViewInfo::Calculate() {
  TRect area;
  FNavigator->GetNavigatorArea(area);
  Integer w = area.Width(), h = area.Height();
  CheckSize(w, h, false);
  for (TvlNavigatorButtonViewInfo* v : FButtons) {
    v->Enabled = v->Button->GetInternalEnabled();
    v->Hint = v->Button->GetShownHint();
  }
  FIsDirty = false;
}

void TvlNavigatorViewInfo::Relayout() {
  TRect area;
  FNavigator->GetNavigatorArea(area);
  MakeIsDirty();
  Integer w = area.Width(), h = area.Height();
  CheckSize(w, h, false);
  if (w == area.Width() && h == area.Height()) {
    if (HostWindowExists()) FNavigator->GetHostControl()->Invalidate();
  } else {
    FNavigator->NotifyNavigatorChange(nckSize);
  }
}

TvlNavigatorButtonViewInfo* TvlNavigatorViewInfo::GetButtonViewInfoAt(const TPoint& pt) {
  for (TvlNavigatorButtonViewInfo* v : FButtons)
    if (PtInRect(&v->Bounds, pt)) return v;
  return nullptr;
}

TvlNavigatorButton* TvlNavigatorViewInfo::GetButtonAt(const TPoint& pt) {
  TvlNavigatorButtonViewInfo* v = GetButtonViewInfoAt(pt);
  return v ? v->Button : nullptr;
}

TvlNavigatorButtonViewInfo* TvlNavigatorViewInfo::GetButtonViewInfoByButton(TvlNavigatorButton* AButton) {
  for (TvlNavigatorButtonViewInfo* v : FButtons)
    if (v->Button == AButton) return v;
  return nullptr;
}

void TvlNavigatorViewInfo::UpdateButtonsEnabled() {
  for (TvlNavigatorButtonViewInfo* v : FButtons) {
    const Boolean enabled = v->Button->GetInternalEnabled();
    if (v->Enabled == enabled) continue;
    v->Enabled = enabled;
    InvalidateButton(v);
  }
}

// --- Painting ------------------------------------------------------------------------------------------------

TvlButtonState TvlNavigatorViewInfo::GetButtonState(TvlNavigatorButtonViewInfo* AViewInfo) {
  if (!AViewInfo->Enabled) return vlbsDisabled;
  if (AViewInfo == FHotTrackButtonViewInfo) return AViewInfo == FPressedButtonViewInfo ? vlbsPressed : vlbsHot;
  return vlbsNormal;
}

TRect TvlNavigatorViewInfo::GlyphRect(TvlNavigatorButtonViewInfo* AViewInfo, Integer APosition,
                                      TvlButtonState AState) {
  TvlCustomLookAndFeelPainterClass painter = Painter();
  const Integer count = ButtonCount();
  const TRect r = painter->AdjustGroupButtonDisplayRect(AViewInfo->Bounds, count, APosition);
  const TRect content = vlDeflateRectBy(r, painter->ButtonGroupBorderSizes(count, APosition));
  const TSize size = AViewInfo->Button->GetImageSize();
  TRect g;
  g.Left = content.Left + (content.Width() - size.cx) / 2;
  g.Top = content.Top + (content.Height() - size.cy) / 2;
  g.Right = g.Left + size.cx;
  g.Bottom = g.Top + size.cy;
  if (AState == vlbsPressed) OffsetRect(&g, 1, 1);
  return g;
}

void TvlNavigatorViewInfo::DrawButton(TvlNavigatorButtonViewInfo* AViewInfo, Integer APosition) {
  if (!FCanvas->RectVisible(AViewInfo->Bounds)) return;
  TvlCustomLookAndFeelPainterClass painter = Painter();
  const Integer count = ButtonCount();
  const TvlButtonState state = GetButtonState(AViewInfo);
  const TRect r = painter->AdjustGroupButtonDisplayRect(AViewInfo->Bounds, count, APosition);
  if (r.Width() <= 0 || r.Height() <= 0) return;
  TRect glyph = GlyphRect(AViewInfo, APosition, state);
  TBitmap* bitmap = New<TBitmap>();
  Finally freeBitmap([&] { Free(bitmap); });
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetWidth(r.Width());
  bitmap->SetHeight(r.Height());
  TvlCanvas* bitmapCanvas = New<TvlCanvas>(bitmap->Canvas());
  Finally freeCanvas([&] { Free(bitmapCanvas); });
  const TRect local{0, 0, r.Width(), r.Height()};
  TWinControl* host = FNavigator->GetHostControl();
  // What lies under the host there, r's top-left at the bitmap's origin.
  if (host) vlDrawTransparentBackground(host, bitmapCanvas, r);
  painter->DrawButtonInGroup(bitmapCanvas, local, state, count, APosition, clWindow);
  TvlNavigatorButton* button = AViewInfo->Button;
  TRect localGlyph = glyph;
  OffsetRect(&localGlyph, -r.Left, -r.Top);
  painter->DrawNavigatorGlyph(bitmapCanvas, button->GetImages(), button->GetImageIndexShown(), button->DefaultIndex(),
                              localGlyph, state != vlbsDisabled, button->IsUserImage());
  BitBlt(FCanvas->Canvas()->Handle(), r.Left, r.Top, r.Width(), r.Height(), bitmap->Canvas()->Handle(), 0, 0,
         SRCCOPY);
  if (FNavigator->HasTabStop() && button == FocusedButton() && FNavigator->IsHostFocused()) {
    TRect focus = glyph;
    InflateRect(&focus, 1, 1);
    FCanvas->DrawFocusRect(focus);
  }
  if (painter->InheritsFrom(TvlCustomLookAndFeelPainterClass(ClassOf<TvlWinXPLookAndFeelPainter>())))
    FCanvas->ExcludeClipRect(AViewInfo->Bounds);
}

void TvlNavigatorViewInfo::Paint() {
  FCanvas->SetCanvas(FNavigator->GetPaintCanvas());
  if (FIsDirty) Calculate();
  for (size_t i = 0; i < FButtons.size(); ++i) DrawButton(FButtons[i], Integer(i));
  TRect area;
  FNavigator->GetNavigatorArea(area);
  TWinControl* host = FNavigator->GetHostControl();
  const Boolean hostEnabled = host && host->Enabled();
  const Boolean designing = host && host->ComponentState().Contains(csDesigning);
  Painter()->DrawButtonGroupBorder(FCanvas, area, FIsInplace && hostEnabled,
                                   FIsSelected || (!FIsInplace && designing && hostEnabled));
  if (FIsInplace) FCanvas->ExcludeClipRect(area);
}

void TvlNavigatorViewInfo::InvalidateButton(TvlNavigatorButtonViewInfo* AViewInfo) {
  if (!AViewInfo || !HostWindowExists()) return;
  InvalidateRect(FNavigator->GetHostControl()->Handle(), &AViewInfo->Bounds, FALSE);
}

void TvlNavigatorViewInfo::UpdateSelected() {
  if (!Painter()->IsButtonHotTrack()) return;
  const Boolean selected = FHotTrackButtonViewInfo || FPressedButtonViewInfo || FNavigator->IsHostFocused();
  if (selected == FIsSelected || !HostWindowExists()) return;
  FIsSelected = selected;
  TRect area;
  FNavigator->GetNavigatorArea(area);
  HWND wnd = FNavigator->GetHostControl()->Handle();
  HRGN outer = CreateRectRgnIndirect(&area);
  TRect inner = area;
  InflateRect(&inner, -1, -1);
  HRGN innerRgn = CreateRectRgnIndirect(&inner);
  CombineRgn(outer, outer, innerRgn, RGN_DIFF);
  InvalidateRgn(wnd, outer, FALSE);
  DeleteObject(innerRgn);
  DeleteObject(outer);
}

// --- Focus among the buttons -----------------------------------------------------------------------------------

TvlNavigatorButton* TvlNavigatorViewInfo::FocusedButton() {
  if (FFocusedButton && FFocusedButton->Visible()) return FFocusedButton;
  TvlCustomNavigatorButtons* set = FNavigator->GetButtonSet();
  FFocusedButton = nullptr;
  for (Integer i = 0; i < set->ButtonCount(); ++i)
    if (set->Buttons(i)->Visible()) {
      FFocusedButton = set->Buttons(i);
      break;
    }
  return FFocusedButton;
}

void TvlNavigatorViewInfo::SetFocusedButton(TvlNavigatorButton* Value) {
  if (FFocusedButton == Value) return;
  InvalidateButton(GetButtonViewInfoByButton(FFocusedButton));
  FFocusedButton = Value;
  InvalidateButton(GetButtonViewInfoByButton(FFocusedButton));
}

void TvlNavigatorViewInfo::PressArrowKey(Boolean ALeftKey) {
  TvlCustomNavigatorButtons* set = FNavigator->GetButtonSet();
  TvlNavigatorButton* current = FocusedButton();
  if (!current) return;
  const Integer step = ALeftKey ? -1 : 1;
  for (Integer i = current->DefaultIndex() + step; i >= 0 && i < set->ButtonCount(); i += step)
    if (set->Buttons(i)->Visible()) {
      SetFocusedButton(set->Buttons(i));
      return;
    }
}

void TvlNavigatorViewInfo::DoEnter() {
  InvalidateButton(GetButtonViewInfoByButton(FocusedButton()));
  UpdateSelected();
}

void TvlNavigatorViewInfo::DoExit() {
  InvalidateButton(GetButtonViewInfoByButton(FocusedButton()));
  UpdateSelected();
}

// --- Mouse and auto-repeat -----------------------------------------------------------------------------------------

void TvlNavigatorViewInfo::MouseDown(Integer X, Integer Y) {
  FHintTimer->SetEnabled(false);
  ShowHint(false);
  TvlNavigatorButtonViewInfo* v = GetButtonViewInfoAt(TPoint{X, Y});
  if (v && GetButtonState(v) != vlbsDisabled) {
    FButtonPressTimer->SetInterval(kFirstRepeatDelay);
    FButtonPressTimer->SetEnabled(true);
    FPressedButtonViewInfo = v;
    SetFocusedButton(v->Button);
    InvalidateButton(v);
  }
  UpdateSelected();
}

void TvlNavigatorViewInfo::MouseMove(Integer X, Integer Y) {
  TvlNavigatorButtonViewInfo* v = GetButtonViewInfoAt(TPoint{X, Y});
  if (v != FHotTrackButtonViewInfo) {
    if (FHotTrackButtonViewInfo && FHotTrackButtonViewInfo->Enabled) InvalidateButton(FHotTrackButtonViewInfo);
    FHotTrackButtonViewInfo = v;
    if (v && v->Enabled) InvalidateButton(v);
    if (FHintWindowShowing)
      ShowHint(true);
    else
      FHintTimer->SetEnabled(true);
  }
  if (!FHotTrackButtonViewInfo) ShowHint(false);
  UpdateSelected();
}

void TvlNavigatorViewInfo::MouseUp(Integer X, Integer Y) {
  FButtonPressTimer->SetEnabled(false);
  TvlNavigatorButtonViewInfo* pressed = FPressedButtonViewInfo;
  FPressedButtonViewInfo = nullptr;
  InvalidateButton(pressed);
  FHintTimer->SetEnabled(true);
  UpdateSelected();
  const TPoint p{X, Y};
  // The drawn state may be stale (the data closed or the host was disabled
  // without a refresh): act only when the button is enabled now as well.
  if (pressed && PtInRect(&pressed->Bounds, p) && pressed->Enabled && pressed->Button->GetInternalEnabled())
    pressed->Button->DoClick();
}

void TvlNavigatorViewInfo::ButtonPressTimerHandler(TObject*) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  if (!(keys[VK_LBUTTON] & 0x80)) {
    FButtonPressTimer->SetEnabled(false);
    MouseUp(-1, -1);
    return;
  }
  FButtonPressTimer->SetInterval(kRepeatInterval);
  TvlNavigatorButtonViewInfo* v = FHotTrackButtonViewInfo;
  if (v && v == FPressedButtonViewInfo && v->Enabled &&
      (v->Button->DefaultIndex() == NBDI_PRIOR || v->Button->DefaultIndex() == NBDI_NEXT) &&
      v->Button->GetInternalEnabled()) {
    // The action may free the host, and this view info with it, before it fails.
    TvlObjectLinkScope alive(this);
    try {
      v->Button->DoClick();
    } catch (...) {
      if (alive.Alive()) FButtonPressTimer->SetEnabled(false);
      throw;
    }
  }
}

// --- Hints -------------------------------------------------------------------------------------------------------

void TvlNavigatorViewInfo::ReleaseHintWindow() {
  if (FHintWindow) {
    FHintWindow->ReleaseHandle();
    FreeAndNil(FHintWindow);
  }
}

void TvlNavigatorViewInfo::HintTimerHandler(TObject*) { ShowHint(true); }

void TvlNavigatorViewInfo::ShowHint(Boolean AShow) {
  ReleaseHintWindow();
  FHintTimer->SetEnabled(false);
  FHintWindowShowing = false;
  if (!AShow || !FHotTrackButtonViewInfo || !FNavigator->HintsEnabled()) return;
  String text = FHotTrackButtonViewInfo->Button->GetShownHint();
  const size_t bar = text.find(u'|');
  if (bar != String::npos) text.resize(bar);
  if (text.empty() || !vlCanControlHotTrack(FNavigator->GetHostControl())) return;
  FHintWindow = CreateFrom(Application->HintWindowClass(), static_cast<TComponent*>(nullptr));
  FHintWindow->SetColor(Application->HintColor());
  TRect r = FHintWindow->CalcHintRect(Screen->Width(), text, nullptr);
  TSize cursor{};
  vlGetCursorSize(cursor);
  const TPoint p = Mouse()->CursorPos();
  OffsetRect(&r, p.X, p.Y + cursor.cy);
  FHintWindow->SetParentWindow(Application->Handle());
  FHintWindow->ActivateHint(r, text);
  FHintWindowShowing = true;
}
