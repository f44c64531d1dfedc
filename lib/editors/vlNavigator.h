// The data navigator: a strip of sixteen small glyph buttons (first, prior
// page, prior, next, next page, last, insert, append, delete, edit, post,
// cancel, refresh, save bookmark, go to bookmark, filter) that a host control
// paints inside a rectangle of its window and feeds with mouse input.
//
// The host implements IvlNavigatorOwner (where and on what to paint, which
// buttons, change notifications); the data source implements IvlNavigator
// (state queries and actions). TvlNavigatorControlButtons holds the button
// settings and the rules that enable a button and carry out its action;
// TvlNavigatorViewInfo lays the buttons out, paints them, tracks the hot and
// pressed button, repeats Prior and Next while held, and shows hints.
//
// Interface references are plain pointers: the host and the data source are
// components, which do not count references; the host outlives its button
// set and view info.
#pragma once

#include <vector>

#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/classes/Classes.h"
#include "platform/classes/Interfaces.h"

class TCanvas;
class TWinControl;
class TComponent;
class TCustomImageList;
class TChangeLink;
class TImageList;
class THintWindow;
class TvlCanvas;
class TvlLookAndFeel;
class TvlTimer;
class TvlCustomNavigatorButtons;
class TvlNavigatorControlNotifier;

CL_ENUM(TvlNavigatorChangeKind, Byte, nckProperty, nckSize, nckLayout)

// The standard button indexes.
constexpr Integer NBDI_FIRST = 0, NBDI_PRIORPAGE = 1, NBDI_PRIOR = 2, NBDI_NEXT = 3, NBDI_NEXTPAGE = 4,
                  NBDI_LAST = 5, NBDI_INSERT = 6, NBDI_APPEND = 7, NBDI_DELETE = 8, NBDI_EDIT = 9, NBDI_POST = 10,
                  NBDI_CANCEL = 11, NBDI_REFRESH = 12, NBDI_SAVEBOOKMARK = 13, NBDI_GOTOBOOKMARK = 14,
                  NBDI_FILTER = 15;
constexpr Integer vlNavigatorButtonCount = 16;

// What the navigator needs of the control that shows it.
class IvlNavigatorOwner : public virtual IInterface {
  CL_INTERFACE(IvlNavigatorOwner, "{504B7F43-8847-4C4C-8C1B-2E9D5E2A6F01}")
 public:
  virtual void NotifyNavigatorChange(TvlNavigatorChangeKind AChange) = 0;
  virtual void GetNavigatorArea(TRect& ABounds) = 0;
  virtual TvlCustomNavigatorButtons* GetButtonSet() = 0;
  virtual TCanvas* GetPaintCanvas() = 0;
  virtual TWinControl* GetHostControl() = 0;
  virtual Boolean IsHostFocused() = 0;
  virtual TvlLookAndFeel* GetHostLookAndFeel() = 0;
  virtual TComponent* GetOwnerComponent() = 0;
  virtual Boolean HintsEnabled() = 0;
  virtual Boolean HasTabStop() = 0;
  virtual void RefreshButtonStates() = 0;
  virtual void RelayoutNavigator() = 0;
};

// What the navigator needs of the data it moves through.
class IvlNavigator : public virtual IInterface {
  CL_INTERFACE(IvlNavigator, "{9C6E1A52-3B7D-4F0E-A1C8-5D2F7B4E9A12}")
 public:
  virtual Boolean IsAppendAllowed() = 0;
  virtual Boolean IsDeleteAllowed() = 0;
  virtual Boolean IsEditAllowed() = 0;
  virtual Boolean IsInsertAllowed() = 0;
  virtual Boolean IsDataActive() = 0;
  virtual Boolean IsAtFirstRecord() = 0;
  virtual Boolean HasSavedBookmark() = 0;
  virtual Boolean IsInEditState() = 0;
  virtual Boolean IsAtLastRecord() = 0;
  virtual void DropSavedBookmark() = 0;
  virtual void ExecuteNavigatorAction(Integer AButtonIndex) = 0;
  virtual TvlNavigatorControlNotifier* GetControlNotifier() = 0;
  // Not called by the navigator; the grid answers true.
  virtual Boolean IsNavigatorSupported() = 0;
};

using TvlNavigatorButtonClickEvent = TDelegate<void(TObject* Sender, Integer AButtonIndex, Boolean& ADone)>;
using TvlNavigatorControlButtonsGetControl = TDelegate<IvlNavigator*()>;

class TvlNavigatorButton : public TPersistent {
  CL_CLASS(TvlNavigatorButton, TPersistent)
 public:
  virtual void Create(TvlCustomNavigatorButtons* AButtons, Boolean ADefaultVisible);
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override;

  // Runs DoClick when the button and the set's rule for it are enabled.
  void Click();
  virtual void DoClick();
  TSize GetImageSize();
  // The hint shown: Hint, else the set's default for the button.
  String GetShownHint();
  // The effective enabled state: Enabled and the set's rule.
  Boolean GetInternalEnabled();
  TCustomImageList* GetImages();
  Integer GetImageIndexShown();
  Boolean IsUserImage();

  TvlCustomNavigatorButtons* Buttons() const { return FButtons; }
  Integer DefaultIndex() const { return FDefaultIndex; }
  void SetDefaultIndex(Integer Value) { FDefaultIndex = Value; }
  Boolean DefaultVisible() const { return FDefaultVisible; }
  Boolean Enabled() const { return FEnabled; }
  void SetEnabled(Boolean Value);
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value);
  Boolean IsVisibleAssigned() const { return FIsVisibleAssigned; }
  IvlNavigatorOwner* Navigator();
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value);

 private:
  TvlCustomNavigatorButtons* FButtons{};
  Integer FDefaultIndex{-1};
  Boolean FDefaultVisible{};
  Boolean FEnabled{true};
  String FHint;
  Integer FImageIndex{-1};
  Boolean FIsVisibleAssigned{};
  Boolean FVisible{};
  TNotifyEvent FOnClick;
};

class TvlCustomNavigatorButtons : public TPersistent {
  CL_CLASS(TvlCustomNavigatorButtons, TPersistent)
 public:
  void Assign(TPersistent* Source) override;
  virtual void CreateButtons();
  virtual void DestroyButtons();
  virtual void DoButtonClick(Integer AButtonIndex) {}
  virtual Boolean GetButtonEnabled(Integer AButtonIndex);
  virtual String GetButtonHint(Integer AButtonIndex);
  virtual void Create(IvlNavigatorOwner* ANavigator);
  virtual void ReleaseBookmark() {}
  void Destroy() override;
  TPersistent* GetOwner() override;

  void ClickButton(Integer Index);
  Integer ButtonCount() const { return vlNavigatorButtonCount; }
  TvlNavigatorButton* Buttons(Integer Index) const { return FButtons[Index]; }
  Boolean ConfirmDelete() const { return FConfirmDelete; }
  void SetConfirmDelete(Boolean Value);
  TCustomImageList* DefaultImages();
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  IvlNavigatorOwner* Navigator() const { return FNavigator; }
  const TvlNavigatorButtonClickEvent& OnButtonClick() const { return FOnButtonClick; }
  void SetOnButtonClick(const TvlNavigatorButtonClickEvent& Value);

 private:
  void ImageListChange(TObject* Sender);

  IvlNavigatorOwner* FNavigator{};
  TvlNavigatorButton* FButtons[vlNavigatorButtonCount]{};
  TCustomImageList* FImages{};
  TChangeLink* FImageChangeLink{};
  Boolean FConfirmDelete{true};
  TvlNavigatorButtonClickEvent FOnButtonClick;
};
using TvlCustomNavigatorButtonsClass = TClassOf<TvlCustomNavigatorButtons>;

class TvlNavigatorControlButtons : public TvlCustomNavigatorButtons {
  CL_CLASS(TvlNavigatorControlButtons, TvlCustomNavigatorButtons)
 public:
  void DoButtonClick(Integer AButtonIndex) override;
  Boolean GetButtonEnabled(Integer AButtonIndex) override;
  void ReleaseBookmark() override;

  // Reading answers the button; writing assigns the given button's settings.
  TvlNavigatorButton* First() const { return Buttons(NBDI_FIRST); }
  TvlNavigatorButton* PriorPage() const { return Buttons(NBDI_PRIORPAGE); }
  TvlNavigatorButton* Prior() const { return Buttons(NBDI_PRIOR); }
  TvlNavigatorButton* Next() const { return Buttons(NBDI_NEXT); }
  TvlNavigatorButton* NextPage() const { return Buttons(NBDI_NEXTPAGE); }
  TvlNavigatorButton* Last() const { return Buttons(NBDI_LAST); }
  TvlNavigatorButton* Insert() const { return Buttons(NBDI_INSERT); }
  TvlNavigatorButton* Append() const { return Buttons(NBDI_APPEND); }
  TvlNavigatorButton* Delete() const { return Buttons(NBDI_DELETE); }
  TvlNavigatorButton* Edit() const { return Buttons(NBDI_EDIT); }
  TvlNavigatorButton* Post() const { return Buttons(NBDI_POST); }
  TvlNavigatorButton* Cancel() const { return Buttons(NBDI_CANCEL); }
  TvlNavigatorButton* Refresh() const { return Buttons(NBDI_REFRESH); }
  TvlNavigatorButton* SaveBookmark() const { return Buttons(NBDI_SAVEBOOKMARK); }
  TvlNavigatorButton* GotoBookmark() const { return Buttons(NBDI_GOTOBOOKMARK); }
  TvlNavigatorButton* Filter() const { return Buttons(NBDI_FILTER); }
  void SetButton(Integer AIndex, TvlNavigatorButton* Value) { Buttons(AIndex)->Assign(Value); }

  const TvlNavigatorControlButtonsGetControl& OnGetControl() const { return FOnGetControl; }
  void SetOnGetControl(const TvlNavigatorControlButtonsGetControl& Value) { FOnGetControl = Value; }

 private:
  IvlNavigator* GetControl() { return Assigned(FOnGetControl) ? FOnGetControl() : nullptr; }
  TvlNavigatorControlButtonsGetControl FOnGetControl;
};

class TvlNavigatorButtonViewInfo : public TObject {
  CL_CLASS(TvlNavigatorButtonViewInfo, TObject)
 public:
  TvlNavigatorButton* Button{};
  TRect Bounds{};
  Boolean Enabled{};
  String Hint;
};

class TvlNavigatorViewInfo : public TObject {
  CL_CLASS(TvlNavigatorViewInfo, TObject)
 public:
  virtual void Create(IvlNavigatorOwner* ANavigator, Boolean AIsInplace);
  void Destroy() override;

  void Calculate();
  void CheckSize(Integer& AWidth, Integer& AHeight, Boolean ACheckMinHeight);
  void Clear();
  void DoEnter();
  void DoExit();
  TvlNavigatorButton* GetButtonAt(const TPoint& pt);
  TvlNavigatorButtonViewInfo* GetButtonViewInfoAt(const TPoint& pt);
  TvlNavigatorButtonViewInfo* GetButtonViewInfoByButton(TvlNavigatorButton* AButton);
  void MakeIsDirty() { FIsDirty = true; }
  void MouseDown(Integer X, Integer Y);
  void MouseMove(Integer X, Integer Y);
  void MouseUp(Integer X, Integer Y);
  void Paint();
  void PressArrowKey(Boolean ALeftKey);
  void UpdateButtonsEnabled();
  // Marks the layout dirty and lays it out anew at the current size:
  // repaints the host when the size stays, else asks the host to re-lay.
  void Relayout();

  Integer ButtonCount() const { return Integer(FButtons.size()); }
  TvlNavigatorButtonViewInfo* Buttons(Integer Index) const { return FButtons[size_t(Index)]; }
  TvlNavigatorButton* FocusedButton();
  void SetFocusedButton(TvlNavigatorButton* Value);
  TvlNavigatorButtonViewInfo* HotTrackButtonViewInfo() const { return FHotTrackButtonViewInfo; }
  TvlNavigatorButtonViewInfo* PressedButtonViewInfo() const { return FPressedButtonViewInfo; }
  Boolean HintWindowShowing() const { return FHintWindowShowing; }
  THintWindow* HintWindow() const { return FHintWindow; }
  TvlTimer* ButtonPressTimer() const { return FButtonPressTimer; }
  TvlTimer* HintTimer() const { return FHintTimer; }
  Boolean IsDirty() const { return FIsDirty; }
  Boolean IsSelected() const { return FIsSelected; }
  IvlNavigatorOwner* Navigator() const { return FNavigator; }
  // The painter: the host look and feel's for the button theme.
  TvlCustomLookAndFeelPainterClass Painter();
  // The state a button is drawn in.
  TvlButtonState GetButtonState(TvlNavigatorButtonViewInfo* AViewInfo);

 private:
  void DrawButton(TvlNavigatorButtonViewInfo* AViewInfo, Integer APosition);
  TRect GlyphRect(TvlNavigatorButtonViewInfo* AViewInfo, Integer APosition, TvlButtonState AState);
  void InvalidateButton(TvlNavigatorButtonViewInfo* AViewInfo);
  void UpdateSelected();
  void ButtonPressTimerHandler(TObject* Sender);
  void HintTimerHandler(TObject* Sender);
  void ShowHint(Boolean AShow);
  void ReleaseHintWindow();
  Boolean HostWindowExists();

  TvlTimer* FButtonPressTimer{};
  std::vector<TvlNavigatorButtonViewInfo*> FButtons;
  TvlCanvas* FCanvas{};
  TvlNavigatorButton* FFocusedButton{};
  TvlTimer* FHintTimer{};
  THintWindow* FHintWindow{};
  Boolean FHintWindowShowing{};
  TvlNavigatorButtonViewInfo* FHotTrackButtonViewInfo{};
  Boolean FIsDirty{true};
  Boolean FIsInplace{};
  Boolean FIsSelected{};
  IvlNavigatorOwner* FNavigator{};
  TvlNavigatorButtonViewInfo* FPressedButtonViewInfo{};
};

// Hosts told to refresh their buttons' states (not counted references).
class TvlNavigatorControlNotifier : public TObject {
  CL_CLASS(TvlNavigatorControlNotifier, TObject)
 public:
  void AddNavigator(IvlNavigatorOwner* ANavigator);
  void RemoveNavigator(IvlNavigatorOwner* ANavigator);
  void RefreshNavigatorButtons();
  Integer Count() const { return Integer(FList.size()); }

 private:
  std::vector<IvlNavigatorOwner*> FList;
};

// The shared default glyphs: 12 x 11 pixels, one per standard button and six
// unused vertical ones; made on first use, freed at the module's shut-down.
TImageList* vlNavigatorDefaultImages();
