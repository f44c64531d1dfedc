// Menus: shortcuts, the menu item tree, popup menus (shown through the
// window system's TrackPopupMenu) and the main menu as far as form files
// need it.
#pragma once

#include <vector>

#include "platform/vcl/ActnList.h"
#include "platform/vcl/Controls.h"

class TBitmap;
class TCanvas;
class TCustomImageList;
class TChangeLink;
class TMenu;
class TMenuItem;
class TMenuActionLink;

RTL_EXCEPTION_CLASS(EMenuError, Exception);

// --- Shortcuts ------------------------------------------------------------------------

constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

// Key | scShift | scCtrl | scAlt; 0 for a key outside 0..255.
TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+Shift+F5"; the names are English as in the platform's default
// ("Ctrl+", "Shift+", "Alt+", "Enter", "PgUp", "Num 5", ...). A key without
// a name gives "".
String ShortCutToText(TShortCut ShortCut);
// The reverse, without regard to case; 0 for text it cannot read.
TShortCut TextToShortCut(String Text);
// The shortcut of a key message: Shift and Ctrl from the key state, Alt from
// bit 29 of the key data.
TShortCut ShortCutFromMessage(TWMKey& Message);

// StripHotkey and GetHotkey are in platform/rtl/Strings.h.
// Captions compared without hotkey markers and without regard to case.
Boolean SameCaption(const String& Text1, const String& Text2);

constexpr const char16_t* cHotkeyPrefix = u"&";
constexpr const char16_t* cLineCaption = u"-";

// --- Item types ---------------------------------------------------------------------------

CL_ENUM(TMenuBreak, Byte, mbNone, mbBreak, mbBarBreak)
CL_ENUM(TPopupAlignment, Byte, paLeft, paRight, paCenter)
CL_ENUM(TTrackButton, Byte, tbRightButton, tbLeftButton)
CL_ENUM(TFindItemKind, Byte, fkCommand, fkHandle, fkShortCut)
CL_ENUM(TOwnerDrawStateItem, Byte, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault,
        odHotLight, odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)
using TOwnerDrawState = TSet<TOwnerDrawStateItem, 2>;
CL_SET_TYPEINFO(TOwnerDrawState)

using TMenuMeasureItemEvent =
    TDelegate<void(TObject* Sender, TCanvas* ACanvas, Integer& Width, Integer& Height)>;
using TAdvancedMenuDrawItemEvent =
    TDelegate<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TOwnerDrawState State)>;
using TMenuChangeEvent = TDelegate<void(TObject* Sender, TMenuItem* Source, Boolean Rebuild)>;
CL_EVENT_TYPEINFO(TMenuMeasureItemEvent)
CL_EVENT_TYPEINFO(TAdvancedMenuDrawItemEvent)
CL_EVENT_TYPEINFO(TMenuChangeEvent)

// --- Menu item ----------------------------------------------------------------------------

// An item of a menu and the list of its sub-items. The window-system menu of
// its sub-items (Handle) is made when asked for and made again after a change.
class TMenuItem : public TComponent {
  CL_CLASS(TMenuItem, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // The tree. Add/Insert raise EMenuError when the item already has a parent;
  // an index out of range raises EMenuError "Menu index out of range".
  void Add(TMenuItem* Item);
  void Insert(Integer Index, TMenuItem* Item);
  // Frees the sub-item.
  void Delete(Integer Index);
  // Takes the sub-item out without freeing it.
  void Remove(TMenuItem* Item);
  // Frees every sub-item.
  void Clear();
  // The sub-item with the caption (compared by SameCaption), nil for none.
  TMenuItem* Find(const String& ACaption);
  Integer IndexOf(TMenuItem* Item) const;
  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TMenuItem* Items(Integer Index) const;
  TMenuItem* Parent() const { return FParent; }
  Integer MenuIndex() const;
  void SetMenuIndex(Integer Value);
  // The menu the item belongs to (through its parents), nil for none.
  TMenu* GetParentMenu() const;
  Boolean IsLine() const { return FCaption == cLineCaption; }

  // Runs the action or OnClick (enabled items only); toggles Checked with AutoCheck.
  virtual void Click();
  // Lets the action update this item.
  void InitiateAction();

  // Owner drawing: the size and the drawing of the item. The default drawing
  // (without OnAdvancedDrawItem) paints the background in the selection or
  // menu colours, the image or check mark in the glyph box, the caption with
  // the shortcut right-aligned, grayed text for disabled items and a bold
  // caption for the default item.
  virtual void MeasureItem(TCanvas* ACanvas, Integer& Width, Integer& Height);
  virtual void AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State,
                                Boolean TopLevel);

  // The window-system menu of the sub-items (made when asked for).
  win::HMENU Handle();
  // The item's command number in menus (unique in the process).
  Word Command() const { return FCommand; }

  // Streaming.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, Integer Order) override;
  Boolean HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;

  // Properties.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TMenuActionLink* ActionLink() const { return FActionLink; }
  Boolean AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(Boolean Value);
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value);
  TMenuBreak Break() const { return FBreak; }
  void SetBreak(TMenuBreak Value);
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  Boolean Checked() const { return FChecked; }
  void SetChecked(Boolean Value);
  Boolean Default() const { return FDefault; }
  void SetDefault(Boolean Value);
  Boolean Enabled() const { return FEnabled; }
  void SetEnabled(Boolean Value);
  Byte GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Byte Value);
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value);
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value);
  Integer ImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  Boolean RadioItem() const { return FRadioItem; }
  void SetRadioItem(Boolean Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value);
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value);
  const TMenuMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TMenuMeasureItemEvent& Value);
  const TAdvancedMenuDrawItemEvent& OnAdvancedDrawItem() const { return FOnAdvancedDrawItem; }
  void SetOnAdvancedDrawItem(const TAdvancedMenuDrawItemEvent& Value);

  // The image list that serves this item: the parent menu's Images.
  TCustomImageList* GetImageList() const;
  // Whether the item is drawn by the framework (owner-drawn menu, images, bitmap).
  Boolean IsOwnerDraw() const;

  // Stored predicates: a value linked to the action is not written.
  Boolean IsCaptionStored() const;
  Boolean IsCheckedStored() const;
  Boolean IsEnabledStored() const;
  Boolean IsHintStored() const;
  Boolean IsHelpContextStored() const;
  Boolean IsImageIndexStored() const;
  Boolean IsShortCutStored() const;
  Boolean IsVisibleStored() const;
  Boolean IsOnClickStored() const;
  Boolean IsAutoCheckStored() const;
  Boolean IsBitmapStored() const;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  virtual void ActionChange(TObject* Sender, Boolean CheckDefaults);
  virtual TClassOf<TMenuActionLink> GetActionLinkClass() const;
  // Tells the parent (and so the menu) that the item changed.
  virtual void MenuChanged(Boolean Rebuild);

 private:
  void DoActionChange(TObject* Sender);
  void SubItemChanged(TObject* Sender, TMenuItem* Source, Boolean Rebuild);
  void RebuildHandle();
  void AppendTo(win::HMENU Menu, Boolean ARightToLeft);
  void TurnSiblingsOff();
  void BitmapChanged(TObject* Sender);

  String FCaption;
  win::HMENU FHandle{};
  Boolean FChecked{};
  Boolean FEnabled{};
  Boolean FDefault{};
  Boolean FAutoCheck{};
  Boolean FRadioItem{};
  Boolean FVisible{};
  Byte FGroupIndex{};
  Integer FImageIndex{};
  TMenuActionLink* FActionLink{};
  TMenuBreak FBreak{};
  TBitmap* FBitmap{};
  Word FCommand{};
  THelpContext FHelpContext{};
  String FHint;
  std::vector<TMenuItem*> FItems;
  TShortCut FShortCut{};
  TMenuItem* FParent{};
  TMenu* FMenu{};  // set on the root item of a menu
  TNotifyEvent FOnClick;
  TMenuMeasureItemEvent FOnMeasureItem;
  TAdvancedMenuDrawItemEvent FOnAdvancedDrawItem;
  TMenuChangeEvent FOnChange;  // the parent's (or menu's) listener

  friend class TMenu;
};

// --- Menus ------------------------------------------------------------------------------------

class TMenu : public TComponent {
  CL_CLASS(TMenu, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // Runs the item with the key message's shortcut (its parents enabled and
  // visible, after their actions updated them); true when one ran.
  virtual Boolean IsShortCut(TWMKey& Message);
  Boolean IsShortCut(TShortCut AShortCut);
  // The item with the command, sub-menu handle or shortcut, nil for none.
  TMenuItem* FindItem(NativeUInt Value, TFindItemKind Kind);
  // Clicks the item with the command (WM_COMMAND); true when there was one.
  Boolean DispatchCommand(Word ACommand);
  // The item whose sub-menu opens (WM_INITMENUPOPUP) gets its Click; true when found.
  Boolean DispatchPopup(win::HMENU AMenu);
  // Whether the menu shows right to left.
  Boolean IsRightToLeft() const { return FBiDiMode != bdLeftToRight; }

  void GetChildren(TGetChildProc Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, Integer Order) override;

  TMenuItem* Items() const { return FItems; }
  win::HMENU Handle();
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  Boolean OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(Boolean Value);
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  const TMenuChangeEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TMenuChangeEvent& Value) { FOnChange = Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  virtual void MenuChanged(TObject* Sender, TMenuItem* Source, Boolean Rebuild);

 private:
  void ImageListChange(TObject* Sender);

  TMenuItem* FItems{};
  TCustomImageList* FImages{};
  TChangeLink* FImageChangeLink{};
  Boolean FOwnerDraw{};
  TBiDiMode FBiDiMode{};
  TMenuChangeEvent FOnChange;
};

// The main menu: the item tree of a form file (a menu bar is not shown).
class TMainMenu : public TMenu {
  CL_CLASS(TMainMenu, TMenu)
};

// A menu shown at a point: Popup runs its own loop and returns when the
// menu closes; a chosen item is clicked when the posted command is dispatched.
class TPopupMenu : public TMenu {
  CL_CLASS(TPopupMenu, TMenu)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;

  // Fires OnPopup, then shows the menu at the screen point.
  virtual void Popup(Integer X, Integer Y);

  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  Boolean AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(Boolean Value) { FAutoPopup = Value; }
  // The control the menu was last shown for.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value);
  TPoint PopupPoint() const { return FPopupPoint; }
  TTrackButton TrackButton() const { return FTrackButton; }
  void SetTrackButton(TTrackButton Value) { FTrackButton = Value; }
  const TNotifyEvent& OnPopup() const { return FOnPopup; }
  void SetOnPopup(const TNotifyEvent& Value) { FOnPopup = Value; }
  // The flags Popup passes to TrackPopupMenu (alignment, button, right to left).
  win::UINT TrackFlags() const;

 protected:
  virtual void DoPopup(TObject* Sender);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TPopupAlignment FAlignment{};
  Boolean FAutoPopup{};
  TComponent* FPopupComponent{};
  TPoint FPopupPoint{};
  TTrackButton FTrackButton{};
  TNotifyEvent FOnPopup;
};

// The window that receives the commands and owner-draw messages of the popup
// menus (nil until the first menu is shown).
win::HWND PopupListWindow();

// --- Menu action link ---------------------------------------------------------------------

// A property is linked while the item's value equals the action's; the
// setters pass a value on only to linked properties.
class TMenuActionLink : public TActionLink {
  CL_CLASS(TMenuActionLink, TActionLink)
 public:
  Boolean IsAutoCheckLinked();
  Boolean IsCaptionLinked() override;
  Boolean IsCheckedLinked() override;
  Boolean IsEnabledLinked() override;
  Boolean IsGroupIndexLinked() override;
  Boolean IsHelpContextLinked() override;
  Boolean IsHintLinked() override;
  Boolean IsImageIndexLinked() override;
  Boolean IsShortCutLinked() override;
  Boolean IsVisibleLinked() override;
  Boolean IsOnExecuteLinked() override;

  void SetAutoCheck(Boolean Value) override;
  void SetCaption(const String& Value) override;
  void SetChecked(Boolean Value) override;
  void SetEnabled(Boolean Value) override;
  void SetHelpContext(THelpContext Value) override;
  void SetHint(const String& Value) override;
  void SetImageIndex(Integer Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(Boolean Value) override;
  void SetOnExecute(const TNotifyEvent& Value) override;

 protected:
  void AssignClient(TObject* AClient) override;

  TMenuItem* FClient{};
};

using TMenuActionLinkClass = TClassOf<TMenuActionLink>;
