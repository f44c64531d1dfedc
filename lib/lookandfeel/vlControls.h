// The control base of the library: TvlControl (a custom control with the
// library's canvas, a look and feel whose painter draws the border, focus
// on click, keyboard flags, a popup menu of either kind, font listeners,
// internal scroll bars with a settling update, wheel and middle-button
// scrolling, and the library's drag-and-drop state machine beside the
// platform's), its internal scroll bar and size grip, the drag-and-drop
// object, the self-freeing drag object, child components and the design
// controller.
#pragma once

#include "lib/foundation/nbCore.h"
#include "lib/foundation/vlClasses.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlScrollBar.h"
#include "platform/vcl/ImgList.h"

class TvlControl;

CL_ENUM(TvlControlBorderStyle, Byte, vlcbsNone, vlcbsDefault)
CL_ENUM(TvlKey, Byte, kAll, kArrows, kChars, kTab)
using TvlKeys = TSet<TvlKey, 1>;
CL_SET_TYPEINFO(TvlKeys)
CL_ENUM(TvlDragAndDropState, Byte, ddsNone, ddsStarting, ddsInProcess)
CL_ENUM(TvlMouseWheelScrollingKind, Byte, mwskNone, mwskHorizontal, mwskVertical)
CL_ENUM(TvlDesignState, Byte, dsDesignerModifying)
using TvlDesignStates = TSet<TvlDesignState, 1>;

// Told when the font of a control it listens to changes.
class IvlFontListener : public virtual IInterface {
  CL_INTERFACE_NO_GUID(IvlFontListener)
 public:
  virtual void Changed(TObject* Sender, TFont* AFont) = 0;
};

// An object that owns a control's mouse capture is told when it loses it.
class IvlMouseCaptureNotify : public virtual IInterface {
  CL_INTERFACE_NO_GUID(IvlMouseCaptureNotify)
 public:
  virtual void MouseCaptureLost() = 0;
};

// Answers the look and feel an object draws with.
class IvlLookAndFeelOwner : public virtual IInterface {
  CL_INTERFACE_NO_GUID(IvlLookAndFeelOwner)
 public:
  virtual TvlLookAndFeel* GetLookAndFeelValue() = 0;
};

// --- Drag and drop -------------------------------------------------------------------------

// Carries out one operation of the library's drag and drop for a control.
class TvlDragAndDropObject : public TObject {
  CL_CLASS(TvlDragAndDropObject, TObject)
 public:
  virtual void DirtyStateChanged() {}
  virtual TCursor GetDragAndDropCursor(Boolean Accepted);
  virtual Boolean StartsImmediately() { return false; }
  virtual void EndDragAndDrop(Boolean Accepted) {}
  virtual void BeginDragAndDrop() { DirtyStateChanged(); }
  virtual void DragAndDrop(const TPoint& P, Boolean& Accepted);
  virtual void AfterDragAndDrop(Boolean Accepted) { SetDirty(true); }
  virtual void Create(TvlControl* AControl);

  void DoBeginDragAndDrop();
  void DoDragAndDrop(const TPoint& P, Boolean& Accepted);
  void DoEndDragAndDrop(Boolean Accepted);

  Boolean ImmediateStart() { return StartsImmediately(); }
  Boolean Dirty() const { return FDirty; }
  void SetDirty(Boolean Value);
  TvlControl* Control() const { return FControl; }
  TvlCanvas* Canvas() const { return FCanvas; }

  TPoint CurMousePos{-1, -1};
  TPoint PrevMousePos{-1, -1};

 private:
  TvlCanvas* FCanvas{};
  TvlControl* FControl{};
  Boolean FDirty{};
};
using TvlDragAndDropObjectClass = TClassOf<TvlDragAndDropObject>;

// The platform drag object of a library control; freed by the platform
// when the drag ends.
class TvlDragControlObject : public TDragControlObject {
  CL_CLASS(TvlDragControlObject, TDragControlObject)
 public:
  Boolean Instance() const override { return true; }
  TCursor GetDragCursor(Boolean Accepted, Integer X, Integer Y) override;
};
using TvlDragControlObjectClass = TClassOf<TDragControlObject>;

class TvlDragImageList : public TDragImageList {
  CL_CLASS(TvlDragImageList, TDragImageList)
};
using TvlDragImageListClass = TClassOf<TvlDragImageList>;

// --- Internal controls --------------------------------------------------------------------

// The wanted state of an internal scroll bar.
struct TvlScrollBarData {
  Integer Min{};
  Integer Max{};
  Integer Position{};
  Integer PageSize{};
  TScrollBarInc SmallChange{};
  TScrollBarInc LargeChange{};
  Boolean Enabled{};
  Boolean Visible{};
  Boolean AllowShow{};
  Boolean AllowHide{};
};

// A scroll bar a control owns: it changes only when its wanted Data is applied.
class TvlControlScrollBar : public TvlScrollBar {
  CL_CLASS(TvlControlScrollBar, TvlScrollBar)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void ApplyData();
  TvlScrollBarData Data{};
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

 private:
  void FocusParent();
};

// The corner box between the two scroll bars.
class TvlSizeGrip : public TCustomControl {
  CL_CLASS(TvlSizeGrip, TCustomControl)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  TvlLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;

 private:
  void LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues);
  TvlLookAndFeel* FLookAndFeel{};
};

// --- TvlControl ------------------------------------------------------------------------------

class TvlControlChildComponent;

class TvlControl : public TCustomControl,
                   public InbLocalizerListener,
                   public IvlLookAndFeelOwner,
                   public IvlMouseEnterLeave {
  CL_CLASS(TvlControl, TCustomControl)
 public:
  void Create(TComponent* AOwner) override;
  // Ends a drag and drop still running (its cursor goes back) while the
  // control is whole.
  void BeforeDestruction() override;
  void Destroy() override;

  // Public operations (numbered slots of the design at the end of the class).
  TvlCanvas* ActiveCanvas();
  TRect Bounds() { return ControlBoundsRect(); }
  TvlCanvas* Canvas() const { return FCanvas; }
  TRect ClientBounds() { return GetClientBounds(); }
  TvlDragAndDropObject* DragAndDropObject();
  TvlDragAndDropObjectClass DragAndDropObjectClass() const { return FDragAndDropObjectClass; }
  void SetDragAndDropObjectClass(TvlDragAndDropObjectClass Value) { FDragAndDropObjectClass = Value; }
  TvlDragAndDropState DragAndDropState() const { return FDragAndDropState; }
  void SetDragAndDropState(TvlDragAndDropState Value);
  Boolean IsDesigning() const { return ComponentState().Contains(csDesigning); }
  Boolean IsDestroying() const { return ComponentState().Contains(csDestroying); }
  Boolean IsLoading() const { return ComponentState().Contains(csLoading); }
  Boolean IsFocused() { return HasFocusState(); }
  TObject* MouseCaptureObject() const { return FMouseCaptureObject; }
  void SetMouseCaptureObject(TObject* Value);
  TPoint MouseDownPos() const { return FMouseDownPos; }

  virtual Boolean CanFocusEx();
  virtual Boolean AcceptMousePosForClick(Integer X, Integer Y);
  void InvalidateRect(const TRect& R, Boolean EraseBackground);
  void InvalidateRgn(win::HRGN ARegion, Boolean EraseBackground);
  void InvalidateWithChildren();
  void UpdateWithChildren();
  Boolean IsMouseInPressedArea(Integer X, Integer Y);
  void PostMouseMove();
  void PostMouseMove(const TPoint& AMousePos);
  void AddFontListener(IvlFontListener* AListener);
  void RemoveFontListener(IvlFontListener* AListener);
  void TranslationChanged() override {}

  // Scrolling.
  void ScrollContent(TvlDirection ADirection);
  void ScrollWindow(Integer DX, Integer DY, const TRect& AScrollRect);
  void SetScrollBarInfo(TScrollBarKind AScrollBarKind, Integer AMin, Integer AMax, Integer AStep, Integer APage,
                        Integer APos, Boolean AAllowShow, Boolean AAllowHide);
  void LockScrollBars();
  void UnlockScrollBars();
  virtual void UpdateScrollBars();

  // Drag and drop.
  virtual Boolean StartDrag(TDragObject* ADragObject) { return true; }
  void BeginDragAndDrop();
  void FinishDragAndDrop(Boolean Accepted);
  TDragImageList* GetDragImages() override;

  // Protected properties that descendants publish.
  TvlControlBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TvlControlBorderStyle Value);
  TvlKeys Keys() const { return FKeys; }
  void SetKeys(TvlKeys Value) { FKeys = Value; }
  TvlLookAndFeel* LookAndFeel() const { return FLookAndFeel; }
  void SetLookAndFeel(TvlLookAndFeel* Value) { FLookAndFeel->Assign(Value); }
  TComponent* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* Value);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  TvlControlScrollBar* HScrollBar() const { return FHScrollBar; }
  TvlControlScrollBar* VScrollBar() const { return FVScrollBar; }
  TvlSizeGrip* SizeGrip() const { return FSizeGrip; }
  Boolean HScrollBarVisible();
  Boolean VScrollBarVisible();
  Boolean FocusOnClick() const { return FFocusOnClick; }
  void SetFocusOnClick(Boolean Value) { FFocusOnClick = Value; }
  const TNotifyEvent& OnFocusChanged() const { return FOnFocusChanged; }
  void SetOnFocusChanged(const TNotifyEvent& Value) { FOnFocusChanged = Value; }
  const TNotifyEvent& OnMouseEnter() const { return FOnMouseEnter; }
  void SetOnMouseEnter(const TNotifyEvent& Value) { FOnMouseEnter = Value; }
  const TNotifyEvent& OnMouseLeave() const { return FOnMouseLeave; }
  void SetOnMouseLeave(const TNotifyEvent& Value) { FOnMouseLeave = Value; }

  // IvlLookAndFeelOwner
  TvlLookAndFeel* GetLookAndFeelValue() override { return FLookAndFeel; }

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;

  // Design-time and child-component notifications.
  virtual void AddChildComponent(TvlControlChildComponent* AComponent);
  virtual void RemoveChildComponent(TvlControlChildComponent* AComponent);
  virtual TvlCustomLookAndFeelPainterClass CurrentPainter();

 protected:
  // The design's slots, in its order.
  virtual Boolean DoShowPopupMenu(TComponent* AMenu, Integer X, Integer Y);
  virtual void NotifyDesignerModified();
  virtual void AfterMouseDown(TMouseButton AButton, Integer X, Integer Y);
  virtual void InternalMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {}
  virtual void BringInternalControlsToFront();
  virtual void EndMouseOperations();
  virtual Integer GetBorderSize();
  virtual TRect ControlBoundsRect();
  virtual TRect GetClientBounds();
  virtual TCursor GetCurrentCursor(Integer X, Integer Y) { return FDefaultCursor; }
  virtual Boolean IsDesignTime() { return ComponentState().Contains(csDesigning); }
  virtual Boolean HasFocusState() { return Focused(); }
  virtual TvlMouseWheelScrollingKind GetMouseWheelScrollingKind();
  virtual void InitializeControl();
  virtual Boolean CanFocusOnClick();
  virtual Boolean CanFocusOnClickAtPos(Integer X, Integer Y) { return CanFocusOnClick(); }
  virtual Boolean FocusOnChildClick(TControl* AChild) { return CanFocusOnClick(); }
  virtual Boolean ErasesBackground() { return false; }
  virtual Boolean IsInternalControl(TControl* AControl);
  virtual Boolean NeedsFullRepaint() { return false; }
  virtual Boolean CorrectMousePosAfterFocus() { return true; }
  virtual void ParentBackgroundChanged() {}
  virtual void LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues) {}
  virtual Boolean CanScrollContentWithoutScrollBars(TvlDirection ADirection) { return false; }
  virtual TRect GetHScrollBarBounds();
  virtual TRect GetSizeGripBounds();
  virtual TRect GetVScrollBarBounds();
  virtual void InitScrollBarsParameters() {}
  virtual Boolean AllowHideBothScrollBars(TScrollBarKind AKind) { return false; }
  virtual Boolean HasScrollBars() { return true; }
  virtual Boolean KeepInternalControlsOnTop() { return !IsDesignTime(); }
  virtual void Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) {}
  virtual void SetInternalControlsBounds();
  virtual void UpdateInternalControlsState();
  virtual Boolean AllowAutoDragAndDropAtDesignTime(Integer X, Integer Y, TShiftState Shift) { return true; }
  virtual TvlDragAndDropObjectClass ChooseDragAndDropObjectClass();
  virtual void DrawDragImage(TvlCanvas* ACanvas, const TRect& R) {}
  virtual TvlDragImageListClass GetDragImagesClass() { return ClassOf<TvlDragImageList>(); }
  virtual TPoint GetDragImagesSize() { return TPoint{}; }
  virtual Boolean IsCopyDragDrop();
  virtual Boolean HasDragImages() { return false; }
  virtual void InitDragImages(TvlDragImageList* AImages);

  // Notifications.
  virtual void CancelMouseOperations();
  virtual Boolean GetDesignHitTest(Integer X, Integer Y, TShiftState Shift);
  virtual TvlDragControlObjectClass GetDragObjectClass() { return ClassOf<TvlDragControlObject>(); }
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;
  virtual Boolean MayFocus() { return true; }
  virtual void BoundsChanged();
  virtual void ColorChanged() {}
  virtual void CursorChanged() { FDefaultCursor = Cursor(); }
  virtual void FocusChanged();
  virtual void FontChanged();
  virtual void TextChanged() {}
  virtual void VisibleChanged() {}
  virtual Boolean AllowMouseDownWithoutFocus() { return false; }
  virtual void DragAndDrop(const TPoint& P, Boolean& Accepted);
  virtual void EndDragAndDrop(Boolean Accepted);
  virtual Boolean StartDragAndDrop(const TPoint& P) { return false; }
  virtual Boolean CanDrag(Integer X, Integer Y) { return FDragAndDropState == ddsNone; }

  // Platform overrides.
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  Boolean DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void DoContextPopup(TPoint MousePos, Boolean& Handled) override;
  TPopupMenu* GetPopupMenu() override;
  void Resize() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DoStartDrag(TDragObject*& DragObject) override;
  void DoEndDrag(TObject* Target, Integer X, Integer Y) override;
  void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, Boolean& Accept) override;

  // Middle-button panning.
  void DoMiddleButtonScrolling();

  TRect FBounds{};

 private:
  void CreateInternalControls();
  void DestroyInternalControls();
  void UpdateInternalControls();
  void ParentInternalControls();
  void LookAndFeelChangeHandler(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues);
  void ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, Integer& ScrollPos);
  Boolean IsPopupMenuShortCut(TWMKey& Message);
  void WMPaint(TMessage& Message);
  void CMInvalidate(TMessage& Message);
  void ScrollBarMetricsChanged();

  TvlCanvas* FActiveCanvas{};
  TvlControlBorderStyle FBorderStyle{};
  Boolean FCalculatingScrollBarsParams{};
  TvlCanvas* FCanvas{};
  Boolean FCreatingWindow{};
  TCursor FDefaultCursor{};
  TvlDragAndDropObject* FDragAndDropObject{};
  TvlDragAndDropObjectClass FDragAndDropObjectClass;
  TCursor FDragAndDropPrevCursor{};
  TvlDragAndDropState FDragAndDropState{};
  TvlDragImageList* FDragImages{};
  Boolean FFinishingDragAndDrop{};
  Boolean FFocusOnClick{};
  std::vector<TInterfacePtr<IvlFontListener>> FFontListenerList;
  TvlControlScrollBar* FHScrollBar{};
  TvlControlScrollBar* FVScrollBar{};
  Boolean FInitialHScrollBarVisible{};
  Boolean FInitialVScrollBarVisible{};
  Boolean FIsInitialScrollBarsParams{};
  TvlKeys FKeys{};
  TvlLookAndFeel* FLookAndFeel{};
  Boolean FMouseButtonPressed{};
  TObject* FMouseCaptureObject{};
  TPoint FMouseDownPos{};
  TComponent* FPopupMenu{};
  TScrollStyle FScrollBars{};
  Integer FScrollBarsLockCount{};
  Boolean FScrollBarsUpdateNeeded{};
  Boolean FUpdatingScrollBars{};
  TvlSizeGrip* FSizeGrip{};
  Boolean FIsScrollingContent{};
  Boolean FLastParentBackground{};
  TNotifyEvent FOnFocusChanged, FOnMouseEnter, FOnMouseLeave;

  friend class TvlControlScrollBar;
  friend class TvlDragControlObject;
};

// --- Child components and the design controller ----------------------------------------

// A component that belongs to a control (a grid view, for instance).
class TvlControlChildComponent : public TvlComponent {
  CL_CLASS(TvlControlChildComponent, TvlComponent)
 public:
  void Create(TComponent* AOwner) override;
  virtual void CreateEx(TvlControl* AControl, Boolean AAssignOwner = true);
  void Destroy() override;

  TvlControl* Control() const { return FControl; }
  void SetControl(TvlControl* Value) { FControl = Value; }
  Boolean IsLoading() const { return ComponentState().Contains(csLoading); }
  Boolean IsDestroying() const { return ComponentState().Contains(csDestroying); }
  // Called by the control's AddChildComponent / RemoveChildComponent.
  virtual void AttachControl(TvlControl* AControl) { FControl = AControl; }

  TComponent* GetParentComponent() override { return FControl; }
  Boolean HasParent() override { return FControl != nullptr; }
  void SetParentComponent(TComponent* Value) override;

 protected:
  virtual void Initialize() {}

 private:
  TvlControl* FControl{};
};

class TvlDesignController : public TObject {
  CL_CLASS(TvlDesignController, TObject)
 public:
  void DesignerModified(TCustomForm* AForm);
  void LockDesignerModified() { ++FLockDesignerModifiedCount; }
  void UnLockDesignerModified() {
    if (FLockDesignerModifiedCount > 0) --FLockDesignerModifiedCount;
  }
  Boolean IsDesignerModifiedLocked() const { return FLockDesignerModifiedCount > 0; }

 private:
  Integer FLockDesignerModifiedCount{};
  TvlDesignStates FState{};
};

TvlDesignController* vlDesignController();

// Tells every listed control with a window that the system scroll-bar
// metrics changed (after WM_SETTINGCHANGE with SPI_SETNONCLIENTMETRICS).
class TvlSettingsController : public TObject {
  CL_CLASS(TvlSettingsController, TObject)
 public:
  void Destroy() override;
  void AddListener(TvlControl* AControl);
  void RemoveListener(TvlControl* AControl);
  void NotifyListeners();
  win::HWND Window() const { return FWindow; }
  Integer ListenerCount() const { return Integer(FList.size()); }

 private:
  void WndProc(TMessage& Message);
  std::vector<TvlControl*> FList;
  win::HWND FWindow{};
};

// The process's settings controller (nil after the unit shut down).
TvlSettingsController* vlSettingsController();
// Frees it and the design controller (the unit's shut-down); the unit's
// start-up allows them again.
void vlFreeSettingsController();
void vlResetSettingsControllerForStartup();
