// The container: the windowed base of the library's editors and lists. It
// hosts one inner windowed control inside its border, paints border,
// shadow and background from a view info computed by one refresh routine,
// takes its look from four state styles (normal, focused, disabled, hot)
// that may be linked to a style controller, tracks the mouse for hot
// tracking and lays the library's scroll bars over the inner control's
// native ones.
//
// Building an editor on it (the subclassing contract)
// ---------------------------------------------------
// Construction. Override Create: call the inherited Create first (it makes
// the styles from GetStylesClass/GetStyleClass and the view info from
// GetViewInfoClass, so those three class getters must not read fields the
// subclass sets later), then make the inner control with the container as
// owner, parent it to the container and hand it over with SetInnerControl.
// The inner control implements IvlContainerInnerControl and, in its default
// handler, passes unhandled messages to InnerControlDefaultHandler; it tells
// the container when it gains or loses the focus (ShortRefreshContainer).
//
// The refresh. Every change (focus, mouse, enabling, style, size, font,
// colour, translation) ends in ShortRefreshContainer or RefreshContainer,
// which, when CanRefreshContainer allows, runs under the refresh lock:
//   DoRefreshContainer
//     ComputeViewInfo(P, AHotTrack)    state, active style (GetActiveStyle,
//                                      GetStyleForState), GetBorderSizes,
//                                      IsShadowVisible, GetBorderColor,
//                                      ReadBackgroundColor/GetPainterColors
//     UpdateInnerControlBounds         the inner control to ViewInfo.ClientRect
//     SyncInnerControlStyle            its colour and GetVisibleFont
//     UpdateWindowRegion               CreateWindowRegion (GetShadowRect,
//                                      NeedsShadowRegion)
//     invalidation of the border band; hot tracking starts in csHotTrack
// then, for mouse events, ProcessStateTransitions (never re-entered).
// Paint draws ViewInfo (refreshing first when it is not calculated).
// An editor overrides these slots to compute more (call the inherited
// ComputeViewInfo first, then fill its own view info fields), never calls
// DoRefreshContainer itself, and asks for a refresh with
// ShortRefreshContainer rather than painting directly.
//
// What a subclass must not touch. The style objects belong to the
// container (change their values, never free or replace them; SetStyle
// assigns). The inner control's bounds, window region, colour and font are
// the container's to set (change them through the style or the view info).
// FInternalSetting marks the container setting its own Color and Font; a
// subclass sets it only around such a setting. Keyboard messages sent to
// the container go to the inner control. A borrowed reference that may
// outlive its object (a popup's owner, a control freed by an event handler)
// is held as a TWeakRef (platform/classes/WeakRef.h).
#pragma once

#include "lib/lookandfeel/vlControls.h"

class TvlContainer;
class TvlContainerStyle;
class TvlStyleController;
class TvlRegion;

CL_ENUM(TvlContainerBorderStyle, Byte, cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsUltraFlat, cbsOffice11)
CL_ENUM(TvlContainerHotState, Byte, chsNoHotTrack, chsNormal, chsSelected)
CL_ENUM(TvlContainerStateItem, Byte, csNormal, csActive, csDisabled, csHotTrack)
using TvlContainerState = TSet<TvlContainerStateItem, 1>;
CL_ENUM(TvlMouseButton, Byte, vlmbNone, vlmbLeft, vlmbRight, vlmbMiddle)

constexpr Cardinal VLM_CONTAINERREFRESH = 0x807F;
constexpr Cardinal VLM_SCROLLBARSUPDATE = 0x8080;
constexpr Cardinal VLM_GLASSREPAINT = 0x8081;

// The values of a container style (descendant styles add values after them).
using TvlContainerStyleValue = Integer;
using TvlContainerStyleValues = TSet<Byte, 4>;
constexpr TvlContainerStyleValue svBorderColor = 0, svBorderStyle = 1, svColor = 2, svEdges = 3, svFont = 4,
                                 svHotTrack = 5, svShadow = 6, svTextColor = 7, svTextStyle = 8,
                                 svTransparentBorder = 9;

struct TvlContainerStyleData {
  TColor Color{};
  TFont* Font{};
  TColor FontColor{};
};

// --- Container style ----------------------------------------------------------------------

class TvlContainerStyle : public TvlInterfacedPersistent, public IvlSkinnableControl {
  CL_CLASS(TvlContainerStyle, TvlInterfacedPersistent)
 public:
  using inherited::Create;
  virtual void Create(TPersistent* AOwner, Boolean ADirectAccessMode, TvlContainerStyle* AParentStyle = nullptr,
                      TvlContainerStateItem AState = csNormal);
  void Destroy() override;
  void Assign(TPersistent* Source) override;

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  Boolean GetStyleValue(const String& APropertyName, TvlContainerStyleValue& AStyleValue);
  virtual Integer GetStyleValueCount() { return 10; }
  virtual Boolean GetStyleValueName(TvlContainerStyleValue AStyleValue, String& AName);
  TFont* GetVisibleFont();
  virtual Boolean HasBorder();
  Boolean IsExtendedStylePropertyPublished(const String& APropertyName);
  virtual Boolean IsValueAssigned(TvlContainerStyleValue AValue);
  virtual void RestoreDefaults();

  TvlContainerStyleValues AssignedValues();
  void SetAssignedValues(TvlContainerStyleValues Value);
  TColor BorderColor();
  void SetBorderColor(TColor Value);
  TvlContainerBorderStyle BorderStyle();
  void SetBorderStyle(TvlContainerBorderStyle Value);
  TColor Color() { return ReadColorValue(); }
  void SetColor(TColor Value);
  TvlBorders Edges();
  void SetEdges(TvlBorders Value);
  TFont* Font();
  void SetFont(TFont* Value);
  Boolean HotTrack();
  void SetHotTrack(Boolean Value);
  TvlLookAndFeel* LookAndFeel();
  void SetLookAndFeel(TvlLookAndFeel* Value) { LookAndFeel()->Assign(Value); }
  Boolean Shadow();
  void SetShadow(Boolean Value);
  // nil when linked to the default controller.
  TvlStyleController* StyleController();
  void SetStyleController(TvlStyleController* Value);
  TColor TextColor() { return GetTextColor(); }
  void SetTextColor(TColor Value);
  TFontStyles TextStyle() { return ReadTextStyle(); }
  void SetTextStyle(TFontStyles Value);
  Boolean TransparentBorder();
  void SetTransparentBorder(Boolean Value);

  TvlStyleController* ActiveStyleController();
  TvlContainerStyle* BaseStyle() { return FParentStyle ? FParentStyle : this; }
  TvlContainer* Container();
  Boolean DirectAccessMode() const { return FDirectAccessMode; }
  TvlContainerStateItem State() const { return FState; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  // The colour the container gives itself.
  virtual TColor GetControlColor();

  TvlContainerStyleData StyleData{};
  // Assigned on this style itself (not through a controller).
  Boolean OwnAssigned(TvlContainerStyleValue AValue) const { return FAssignedValues.Contains(Byte(AValue)); }

 protected:
  virtual void NotifyChanged();
  virtual void StyleControllerChanged(TvlStyleController* AController);
  virtual void StyleControllerRemoved(TvlStyleController* AController);
  virtual TColor GetDefaultBorderColor();
  virtual TvlContainerBorderStyle GetDefaultBorderStyle();
  virtual TColor GetDefaultColor();
  virtual TvlBorders GetDefaultEdges() { return vlBordersAll; }
  virtual Boolean GetDefaultHotTrack() { return true; }
  virtual Boolean GetDefaultShadow() { return false; }
  virtual TColor GetDefaultTextColor();
  virtual TFontStyles GetDefaultTextStyle();
  virtual Boolean GetDefaultTransparentBorder() { return true; }
  virtual void HandleFontChange(TObject* Sender);
  virtual TColor ReadColorValue();
  virtual TvlStyleController* GetDefaultStyleController();
  virtual TColor GetTextColor();
  virtual TFontStyles ReadTextStyle();
  virtual TvlContainerStyleValues GetExtendedStyleHiddenValues();

  TvlContainerStyleValues FAssignedValues{};
  TvlStyleController* FStyleController{};

 private:
  // The style (this one or one of a controller chain) where AValue is assigned.
  TvlContainerStyle* AssignedSource(TvlContainerStyleValue AValue);
  void MarkAssigned(TvlContainerStyleValue AValue) { FAssignedValues.Include(Byte(AValue)); }
  void UpdateFont();
  void LookAndFeelChanged(TvlLookAndFeel* Sender, TvlLookAndFeelValues AChangedValues);
  TColor ParentColorOfContainer(Boolean& AFound);

  TColor FBorderColor{};
  TvlContainerBorderStyle FBorderStyle{};
  TColor FColor{};
  TvlBorders FEdges{};
  Boolean FHotTrack{};
  Boolean FShadow{};
  Boolean FTransparentBorder{};
  Boolean FDirectAccessMode{};
  Integer FFontAssignedValueLockCount{};
  Boolean FIsDestroying{};
  TvlLookAndFeel* FLookAndFeel{};
  Boolean FModified{};
  TPersistent* FOwner{};
  TvlContainerStyle* FParentStyle{};
  TvlContainerStateItem FState{};
  TColor FTextColor{};
  TFontStyles FTextStyle{};
  Integer FUpdateCount{};
  TFont* FFont{};
  TFont* FVisibleFont{};
  TNotifyEvent FOnChanged;

  friend class TvlStyleController;
  friend class TvlContainer;
};
using TvlContainerStyleClass = TClassOf<TvlContainerStyle>;

// The four state styles of a container or a controller.
class TvlContainerStyles : public TObject {
  CL_CLASS(TvlContainerStyles, TObject)
 public:
  virtual void Create(TPersistent* AOwner, TvlContainerStyleClass AStyleClass);
  void Destroy() override;
  void RestoreDefaults();
  TvlContainerStyle* Styles(TvlContainerStateItem AState) const { return FStyles[AState]; }
  TvlContainerStyle* Style() const { return FStyles[csNormal]; }
  TvlContainerStyle* StyleFocused() const { return FStyles[csActive]; }
  TvlContainerStyle* StyleDisabled() const { return FStyles[csDisabled]; }
  TvlContainerStyle* StyleHot() const { return FStyles[csHotTrack]; }
  void SetOnChanged(const TNotifyEvent& Value);

 private:
  TvlContainerStyle* FStyles[4]{};
};
using TvlContainerStylesClass = TClassOf<TvlContainerStyles>;

// One set of four styles shared by the containers linked to it.
class TvlStyleController : public TComponent {
  CL_CLASS(TvlStyleController, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Loaded() override;
  void RestoreStyles() { FStyles->RestoreDefaults(); }
  virtual void AddListener(TvlContainerStyle* AStyle);
  virtual void RemoveListener(TvlContainerStyle* AStyle);
  void NotifyStyleChanged(TObject* Sender = nullptr);
  void ScaleFont(Integer M, Integer D);
  TvlContainerStyle* GetNormalStyle() const { return FStyles->Style(); }
  TvlContainerStyle* GetStateStyle(TvlContainerStateItem AState) const { return FStyles->Styles(AState); }
  TvlStyleController* FakeStyleController() { return GetNormalStyle()->StyleController(); }
  void SetFakeStyleController(TvlStyleController*) {}
  Integer ListenerCount() const { return Integer(FListeners.size()); }
  const TNotifyEvent& OnStyleChanged() const { return FOnStyleChanged; }
  void SetOnStyleChanged(const TNotifyEvent& Value) { FOnStyleChanged = Value; }

 protected:
  virtual TvlContainerStyleClass GetStyleClass() { return ClassOf<TvlContainerStyle>(); }
  virtual TvlContainerStylesClass GetStylesClass() { return ClassOf<TvlContainerStyles>(); }
  TvlContainerStyles* FStyles{};

 private:
  Boolean FIsDestruction{};
  Boolean FIsFontScaled{};
  std::vector<TvlContainerStyle*> FListeners;
  TNotifyEvent FOnStyleChanged;
};

// The default controller every base style links to (set by the editors'
// unit at start, cleared at its shut-down).
TvlStyleController* vlGetFallbackStyleController();
void vlSetFallbackStyleController(TvlStyleController* AController);

// The border's width by style, as painted (with a skin painter), and by
// look-and-feel kind.
Integer vlGetBorderStyleWidth(TvlContainerBorderStyle AStyle);
Integer vlGetPaintedBorderWidth(TvlContainerBorderStyle AStyle, TvlCustomLookAndFeelPainterClass APainter);
Integer vlGetLookAndFeelBorderWidth(TvlLookAndFeelKind AKind);

// --- View info ---------------------------------------------------------------------------------

// Everything a container shows, computed by its refresh and painted from here.
class TvlContainerViewInfo : public TObject {
  CL_CLASS(TvlContainerViewInfo, TObject)
 public:
  virtual void DrawBorder(TvlCanvas* ACanvas, const TRect& ARect);
  virtual TvlContainerBorderStyle GetBorderStyleValue() { return BorderStyle; }
  virtual void DoPaint(TvlCanvas* ACanvas);
  virtual void WriteBackgroundColor(TColor Value) { FBackgroundColor = Value; }
  virtual void Create();
  // Copies ClientRect from another view info.
  virtual void Assign(TObject* Source);
  virtual TvlRegion* GetUpdateRegion();
  virtual void Offset(Integer DX, Integer DY);
  virtual void Paint(TvlCanvas* ACanvas) { DoPaint(ACanvas); }

  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor Value) { WriteBackgroundColor(Value); }

  TColor BorderColor{};
  TRect BorderRect{};
  TvlContainerBorderStyle BorderStyle{};
  Integer BorderWidth{};
  TRect Bounds{};
  TRect ClientRect{};
  TvlContainerState ContainerState{csNormal};
  TvlBorders Edges{};
  TvlContainerHotState HotState{};
  Integer NativePart{};
  Integer NativeState{};
  Boolean NativeStyle{};
  TvlCustomLookAndFeelPainterClass Painter;
  Boolean Shadow{};
  TnbThemedObjectType ThemedObjectType{};

 private:
  TColor FBackgroundColor{};
};
using TvlContainerViewInfoClass = TClassOf<TvlContainerViewInfo>;

// The shadow strips below and right of R, excluded from the clip after.
void vlDrawShadow(TvlCanvas* ACanvas, const TRect& R);
// nil unless AShadow and not AThemedBorder: the shape and its copy moved by
// (3, 3) and cut by the extent, less AExcludeRect.
win::HRGN vlCreateShadowRegion(win::HWND AWnd, const TRect& AShadowBounds, const TRect& AShadowBoundsExtent,
                               const TRect& AExcludeRect, Boolean AShadow, Boolean AThemedBorder);
// Gives the window the region when it differs from its current one; deletes it otherwise.
void vlSetRegionToWindow(win::HWND AWnd, win::HRGN ARegion);

// --- The container ------------------------------------------------------------------------------

// An inner control hosted by a container.
class IvlContainerInnerControl : public virtual IInterface {
  CL_INTERFACE_NO_GUID(IvlContainerInnerControl)
 public:
  virtual TWinControl* GetInnerControl() = 0;
  virtual TvlContainer* GetOwnerContainer() = 0;
};

struct TvlContainerActiveStyleData {
  TvlContainerState ContainerState{};
  TvlContainerStyle* ActiveStyle{};
};
struct TvlContainerInnerControlBounds {
  Boolean IsEmpty{true};
  TRect Rect{};
};
struct TvlContainerSizeGripData {
  TRect Bounds{};
  Boolean Visible{};
};

class TvlContainer : public TvlControl, public IvlMouseTrackingCaller {
  CL_CLASS(TvlContainer, TvlControl)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  void Loaded() override;

  TWinControl* InnerControl() const { return FInnerControl; }
  void SetInnerControl(TWinControl* Value);
  Boolean InnerControlMouseDown() const { return FInnerControlMouseDown; }
  void SetInnerControlMouseDown(Boolean Value) { FInnerControlMouseDown = Value; }
  TvlContainerViewInfo* ViewInfo() const { return FViewInfo; }
  TRect VisibleBounds() { return GetVisibleBounds(); }
  TvlContainerStyle* Style() const { return FStyles->Style(); }
  void SetStyle(TvlContainerStyle* Value) { FStyles->Style()->Assign(Value); }
  TvlContainerStyle* StyleDisabled() const { return FStyles->StyleDisabled(); }
  TvlContainerStyle* StyleFocused() const { return FStyles->StyleFocused(); }
  TvlContainerStyle* StyleHot() const { return FStyles->StyleHot(); }
  TvlStyleController* FakeStyleController() { return Style()->StyleController(); }
  void SetFakeStyleController(TvlStyleController*) {}

  Boolean InnerControlDefaultHandler(TMessage& Message);
  // Focus came or went (public: the popup hooks tell an owner container
  // whose popup they closed).
  void FocusChanged() override;
  // Stores the kind and gives it to the inner control.
  virtual void SetDragKind(TDragKind Value);
  // The inner control's drag images when there is one.
  TDragImageList* GetDragImages() override;
  void TranslationChanged() override;
  Boolean IsStylePropertyPublished(const String& APropertyName, Boolean AExtendedStyle);
  void LockAlignControls(Boolean ALock);
  void LockPopupMenu(Boolean ALock);
  void RestoreStyles() { FStyles->RestoreDefaults(); }
  void ShortRefreshContainer(Boolean AIsMouseEvent);
  void Update() override;
  void Invalidate() override;
  void UpdateScrollBarsParameters();
  void SetFocus() override;
  Boolean Focused() override;
  void UpdateScrollBars() override;

  // The slots the styles and view info read.
  virtual Boolean DefaultParentColor() { return false; }
  virtual Boolean IsInplace() { return false; }
  virtual TvlContainerStyle* GetActiveStyle();
  virtual Boolean UsesNativeStyle();
  virtual Boolean IsShadowVisible();
  virtual void GetBorderSizes(TRect& R);
  virtual TColor ReadBackgroundColor();
  virtual TColor GetBorderColor();
  virtual void GetPainterColors(TColor& ABackground, TColor& AText);
  virtual TvlEditStateColorKind GetEditStateColorKind();
  virtual void GetShadowRect(TRect& R);
  virtual void GetShadowRectOffsets(TRect& R) { R = TRect{}; }
  virtual Boolean NeedsShadowRegion();
  virtual win::HRGN CreateWindowRegion();
  virtual void UpdateWindowRegion();
  virtual TRect GetVisibleBounds();
  virtual TFont* GetVisibleFont();
  virtual Boolean HasPopupWindow() { return false; }

  // IvlMouseTrackingCaller
  void MouseLeave() override { MouseTrackingLeave(); }

  void Dispatch(TMessage& Message) override;

 protected:
  virtual void SyncInnerControlStyle();
  virtual void PositionScrollBar(TvlScrollBar* AScrollBar);
  virtual void ComputeViewInfo(const TPoint& P, Boolean AHotTrack);
  virtual Boolean HandlesTabKey() { return true; }
  virtual Boolean CanRefreshContainer();
  virtual Boolean CanShowPopupMenu(const TPoint& P) { return true; }
  virtual void StyleChanged(TObject* Sender);
  virtual void DataChange() {}
  virtual void BoundDataSetChanged() { ShortRefreshContainer(false); }
  virtual Boolean HandleInnerControlMessage(TMessage& Message) { return false; }
  virtual void ProcessStateTransitions() {}
  virtual Boolean DoRefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift,
                                     Boolean AIsMouseEvent);
  virtual void MouseTrackingLeave();
  virtual void CalcInnerControlRegion(const TRect& AClientRect, TControl* AControl,
                                      TvlContainerInnerControlBounds& ABounds);
  virtual TvlContainerStyleClass GetStyleClass() { return ClassOf<TvlContainerStyle>(); }
  virtual TvlContainerStylesClass GetStylesClass() { return ClassOf<TvlContainerStyles>(); }
  virtual TvlContainerViewInfoClass GetViewInfoClass() { return ClassOf<TvlContainerViewInfo>(); }
  virtual void CallInnerControlWndProc(TMessage& Message);
  virtual TvlContainerStyle* GetStyleForState(const TvlContainerState& AState);
  virtual TvlContainerStyleValues GetUnpublishedStyleValues() { return TvlContainerStyleValues{}; }
  virtual Boolean IsScrollBarVisible(const win::SCROLLBARINFO& AInfo);
  virtual Boolean IsContainerFocused() { return Focused(); }
  virtual Boolean IsChildControlContainer() { return false; }
  virtual Boolean IsMouseTracked() { return vlIsMouseTracking(this); }
  virtual Boolean IsReadOnly() { return false; }
  virtual Boolean IsTransparentBackground() { return false; }
  virtual void UpdateInnerControlBounds();
  virtual void ClipToShadowRegion(TvlCanvas* ACanvas);
  virtual void UpdateData() {}
  virtual TnbThemedObjectType GetThemedObjectType() { return totEdit; }
  virtual Integer GetThemePartId();
  virtual Integer GetThemeStateId();
  virtual void GetScrollBarBounds(const TRect& AScreenRect, TRect& ABounds);
  virtual Boolean GetScrollBarEnabled(TvlScrollBar* AScrollBar, const win::SCROLLBARINFO& AInfo);
  virtual Boolean GetInnerScrollBarInfo(win::SCROLLBARINFO& AInfo, TScrollBarKind AKind);
  virtual void FocusInnerControl();
  virtual void SetScrollBarVisible(TvlScrollBar* AScrollBar, Boolean AVisible);
  virtual void ClearSavedChildControlRegions() { FInnerControlBounds.IsEmpty = true; }
  virtual Boolean InnerControlMenuHandler(TMessage& Message);
  virtual void SetScrollBarsParameters(Boolean AIsScrolling = false);
  virtual void EnabledChanged();

  // TvlControl overrides.
  TvlLookAndFeel* GetLookAndFeelValue() override { return Style()->LookAndFeel(); }
  TRect GetClientBounds() override { return FViewInfo->ClientRect; }
  Boolean CanFocusOnClick() override;
  Boolean FocusOnChildClick(TControl* AChild) override { return false; }
  Boolean AllowAutoDragAndDropAtDesignTime(Integer X, Integer Y, TShiftState Shift) override { return false; }
  Boolean HasScrollBars() override { return false; }
  Boolean MayFocus() override;
  void ColorChanged() override;
  void CursorChanged() override;
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Resize() override;
  void CreateParams(TCreateParams& Params) override;
  void CreateHandle() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DoContextPopup(TPoint MousePos, Boolean& Handled) override;
  void GetTabOrderList(std::vector<TWinControl*>& List) override;
  void ChangeScale(Integer M, Integer D) override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  // The drag mode (the design's ApplyDragMode) and a cancelled drag go to
  // the inner control too.
  void SetDragMode(TDragMode Value) override;
  void DragCanceled() override;

  void RefreshContainer(const TPoint& P, TvlMouseButton Button, TShiftState Shift, Boolean AIsMouseEvent);

  Boolean FInternalSetting{};
  Boolean FIsCreating{};
  TvlContainerStyles* FStyles{};
  TvlContainerViewInfo* FViewInfo{};

 private:
  TvlContainerActiveStyleData FActiveStyleData{};
  Boolean FHasChanges{};
  TWinControl* FInnerControl{};
  TvlContainerInnerControlBounds FInnerControlBounds{};
  Boolean FInnerControlMouseDown{};
  Boolean FIsViewInfoCalculated{};
  Integer FLockAlignControlsCount{};
  Integer FPopupMenuLockCount{};
  Integer FProcessEventsLockCount{};
  Integer FRefreshLockCount{};
  TWndMethod FSaveInnerControlWndProc;
  Boolean FScrollBarsCalculating{};
  TvlContainerSizeGripData FSizeGripData{};
  Boolean FInStateTransitions{};
  // The parent's font is being applied (ParentFont): not an assigned font.
  Boolean FParentFontChanging{};

  friend class TvlContainerStyle;
  friend class TvlCustomInnerListBox;
};

// The control itself when it is a container, else the container its inner
// control reports, else nil.
TvlContainer* vlGetContainerOfControl(TControl* AControl);
TvlMouseButton vlConvertMouseButton(TMouseButton AButton);
// The corner between both emulated bars in the inner control's window coordinates.
TRect vlGetContainerSizeGripRect(TvlContainer* AContainer);
TRect vlGetSizeGripRectOfInner(TWinControl* AInnerControl);
void vlFillSizeGripArea(TvlContainer* AContainer, const TRect& R);
// Whether the system offers GetScrollBarInfo (the emulated bars need it).
Boolean vlUseOwnScrollBars();
