#include "platform/vcl/Menus.h"

#include <algorithm>
#include <set>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/ControlsInternal.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"

using namespace win;

// --- Shortcuts ---------------------------------------------------------------------------

namespace {

// The names of the keys that have one; the modifiers come first in the text.
String KeyName(Word Key) {
  switch (Key) {
    case VK_BACK:
      return u"BkSp";
    case VK_TAB:
      return u"Tab";
    case VK_RETURN:
      return u"Enter";
    case VK_ESCAPE:
      return u"Esc";
    case VK_SPACE:
      return u"Space";
    case VK_PRIOR:
      return u"PgUp";
    case VK_NEXT:
      return u"PgDn";
    case VK_END:
      return u"End";
    case VK_HOME:
      return u"Home";
    case VK_LEFT:
      return u"Left";
    case VK_UP:
      return u"Up";
    case VK_RIGHT:
      return u"Right";
    case VK_DOWN:
      return u"Down";
    case VK_INSERT:
      return u"Ins";
    case VK_DELETE:
      return u"Del";
    case VK_MULTIPLY:
      return u"Num *";
    case VK_ADD:
      return u"Num +";
    case VK_SUBTRACT:
      return u"Num -";
    case VK_DECIMAL:
      return u"Num Del";
    case VK_DIVIDE:
      return u"Num /";
    default:
      break;
  }
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return String(1, char16_t(Key));
  if (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9) return u"Num " + String(1, char16_t(u'0' + (Key - VK_NUMPAD0)));
  if (Key >= VK_F1 && Key <= VK_F24) return u"F" + IntToStr(Integer(Key - VK_F1 + 1));
  return String();
}

const char16_t* const kShiftName = u"Shift+";
const char16_t* const kCtrlName = u"Ctrl+";
const char16_t* const kAltName = u"Alt+";

// Removes Prefix from the front of Text (without regard to case) when it is there.
bool TakeFront(String& Text, const String& Prefix) {
  if (Text.size() < Prefix.size() || !SameText(Text.substr(0, Prefix.size()), Prefix)) return false;
  Text.erase(0, Prefix.size());
  return true;
}

TShiftState ShiftFromKeyData(LongInt KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (uint32_t(KeyData) & 0x20000000u) s.Include(ssAlt);
  return s;
}

}  // namespace

TShortCut ShortCut(Word Key, TShiftState Shift) {
  if (Key & 0xFF00) return 0;
  TShortCut r = Key;
  if (Shift.Contains(ssShift)) r |= scShift;
  if (Shift.Contains(ssCtrl)) r |= scCtrl;
  if (Shift.Contains(ssAlt)) r |= scAlt;
  return r;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift) {
  Key = Word(ShortCut & 0x00FF);
  Shift = TShiftState();
  if (ShortCut & scShift) Shift.Include(ssShift);
  if (ShortCut & scCtrl) Shift.Include(ssCtrl);
  if (ShortCut & scAlt) Shift.Include(ssAlt);
}

String ShortCutToText(TShortCut ShortCut) {
  String name = KeyName(Word(ShortCut & 0x00FF));
  if (name.empty()) return String();
  String r;
  if (ShortCut & scShift) r += kShiftName;
  if (ShortCut & scCtrl) r += kCtrlName;
  if (ShortCut & scAlt) r += kAltName;
  return r + name;
}

TShortCut TextToShortCut(String Text) {
  TShortCut shift = 0;
  for (;;) {
    if (TakeFront(Text, kShiftName))
      shift |= scShift;
    else if (TakeFront(Text, u"^"))
      shift |= scCtrl;
    else if (TakeFront(Text, kCtrlName))
      shift |= scCtrl;
    else if (TakeFront(Text, kAltName))
      shift |= scAlt;
    else
      break;
  }
  if (Text.empty()) return 0;
  for (Word key = VK_BACK; key <= 0xFF; ++key) {
    String name = KeyName(key);
    if (!name.empty() && SameText(Text, name)) return TShortCut(key | shift);
  }
  return 0;
}

TShortCut ShortCutFromMessage(TWMKey& Message) {
  return ShortCut(Message.CharCode(), ShiftFromKeyData(Message.KeyData()));
}

Boolean SameCaption(const String& Text1, const String& Text2) {
  return AnsiSameText(StripHotkey(Text1), StripHotkey(Text2));
}

// --- Commands and the popup list ----------------------------------------------------------

namespace {

std::set<Word>& UsedCommands() {
  static std::set<Word> s;
  return s;
}

Word UniqueCommand() {
  auto& used = UsedCommands();
  Word c = 1;
  for (Word u : used) {
    if (u != c) break;
    ++c;
    if (c == 0) throw EMenuError(u"Too many menu items");
  }
  used.insert(c);
  return c;
}

// The popup menus alive, and the hidden window that receives their commands
// and owner-draw messages.
class TPopupList : public TObject {
  CL_CLASS(TPopupList, TObject)
 public:
  void Destroy() override {
    if (FWindow) DeallocateHWnd(FWindow);
    FWindow = nullptr;
    inherited::Destroy();
  }
  HWND Window() {
    if (!FWindow) FWindow = AllocateHWnd(TWndMethod(this, &TPopupList::WndProc));
    return FWindow;
  }
  HWND WindowIfAny() const { return FWindow; }
  void Add(TPopupMenu* Menu) { FMenus.push_back(Menu); }
  void Remove(TPopupMenu* Menu) {
    auto it = std::find(FMenus.begin(), FMenus.end(), Menu);
    if (it != FMenus.end()) FMenus.erase(it);
  }
  bool Empty() const { return FMenus.empty(); }

 private:
  TMenuItem* ItemByCommand(Word Command) {
    for (TPopupMenu* m : std::vector<TPopupMenu*>(FMenus))
      if (TMenuItem* it = m->FindItem(Command, fkCommand)) return it;
    return nullptr;
  }
  void WndProc(TMessage& Message);

  HWND FWindow{};
  std::vector<TPopupMenu*> FMenus;
};
CL_IMPLEMENT_CLASS(TPopupList)

TPopupList* gPopupList = nullptr;

TPopupList* PopupList() {
  if (!gPopupList) gPopupList = New<TPopupList>();
  return gPopupList;
}

// The menu font of the system, for measuring and drawing items.
void SelectMenuFont(TCanvas* Canvas) {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    HFONT f = CreateFontIndirectW(&ncm.lfMenuFont);
    Canvas->Font()->SetHandle(f);
  }
}

void TPopupList::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_COMMAND:
      for (TPopupMenu* m : std::vector<TPopupMenu*>(FMenus))
        if (std::find(FMenus.begin(), FMenus.end(), m) != FMenus.end() &&
            m->DispatchCommand(LOWORD(Message.WParam)))
          return;
      break;
    case WM_INITMENUPOPUP:
      for (TPopupMenu* m : std::vector<TPopupMenu*>(FMenus))
        if (std::find(FMenus.begin(), FMenus.end(), m) != FMenus.end() &&
            m->DispatchPopup(reinterpret_cast<HMENU>(Message.WParam)))
          return;
      break;
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      if (!mis || mis->CtlType != ODT_MENU) break;
      TMenuItem* item = ItemByCommand(Word(mis->itemID));
      if (!item) break;
      TCanvas* canvas = New<TCanvas>();
      HDC dc = GetDC(nullptr);
      canvas->SetHandle(dc);
      SelectMenuFont(canvas);
      Integer w = Integer(mis->itemWidth), h = Integer(mis->itemHeight);
      {
        Finally release([&] {
          canvas->SetHandle(nullptr);
          ReleaseDC(nullptr, dc);
          Free(canvas);
        });
        item->MeasureItem(canvas, w, h);
      }
      mis->itemWidth = UINT(std::max<Integer>(w, 0));
      mis->itemHeight = UINT(std::max<Integer>(h, 0));
      Message.Result = 1;
      return;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      if (!dis || dis->CtlType != ODT_MENU) break;
      TMenuItem* item = ItemByCommand(Word(dis->itemID));
      if (!item) break;
      TCanvas* canvas = New<TCanvas>();
      int saved = SaveDC(dis->hDC);
      canvas->SetHandle(dis->hDC);
      SelectMenuFont(canvas);
      TOwnerDrawState state;
      if (dis->itemState & ODS_SELECTED) state.Include(odSelected);
      if (dis->itemState & ODS_GRAYED) state.Include(odGrayed);
      if (dis->itemState & ODS_DISABLED) state.Include(odDisabled);
      if (dis->itemState & ODS_CHECKED) state.Include(odChecked);
      if (dis->itemState & ODS_DEFAULT) state.Include(odDefault);
      if (dis->itemState & ODS_NOACCEL) state.Include(odNoAccel);
      TRect r = dis->rcItem;
      Finally release([&] {
        canvas->SetHandle(nullptr);
        RestoreDC(dis->hDC, saved);
        Free(canvas);
      });
      item->AdvancedDrawItem(canvas, r, state, false);
      Message.Result = 1;
      return;
    }
    case WM_MENUCHAR: {
      // Accelerators of owner-drawn items, which the menu cannot read.
      HMENU menu = reinterpret_cast<HMENU>(Message.LParam);
      Char key = Char(LOWORD(Message.WParam));
      for (TPopupMenu* m : FMenus) {
        TMenuItem* parent = m->FindItem(reinterpret_cast<NativeUInt>(menu), fkHandle);
        if (!parent) continue;
        std::vector<Integer> matches;
        Integer pos = 0;
        for (Integer i = 0; i < parent->Count(); ++i) {
          TMenuItem* it = parent->Items(i);
          if (!it->Visible()) continue;
          String h = GetHotkey(it->Caption());
          if (!h.empty() && AnsiSameText(h, String(1, key))) matches.push_back(pos);
          ++pos;
        }
        if (matches.size() == 1)
          Message.Result = LRESULT(MAKELONG(WORD(matches[0]), MNC_EXECUTE));
        else if (!matches.empty())
          Message.Result = LRESULT(MAKELONG(WORD(matches[0]), MNC_SELECT));
        else
          Message.Result = 0;
        return;
      }
      break;
    }
    default:
      break;
  }
  Message.Result = DefWindowProcW(FWindow, Message.Msg, Message.WParam, Message.LParam);
}

}  // namespace

HWND PopupListWindow() { return gPopupList ? gPopupList->WindowIfAny() : nullptr; }

// --- TMenuItem ---------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TMenuItem, P) {
  P.Property(u"Action", &TMenuItem::Action, &TMenuItem::SetAction);
  P.Property(u"AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck)
      .Stored(&TMenuItem::IsAutoCheckStored)
      .Default(false);
  P.Property(u"Bitmap", &TMenuItem::Bitmap, &TMenuItem::SetBitmap).Stored(&TMenuItem::IsBitmapStored);
  P.Property(u"Break", &TMenuItem::Break, &TMenuItem::SetBreak).Default(mbNone);
  P.Property(u"Caption", &TMenuItem::Caption, &TMenuItem::SetCaption).Stored(&TMenuItem::IsCaptionStored);
  P.Property(u"Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
      .Stored(&TMenuItem::IsCheckedStored)
      .Default(false);
  P.Property(u"Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
  P.Property(u"Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
      .Stored(&TMenuItem::IsEnabledStored)
      .Default(true);
  P.Property(u"GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  P.Property(u"HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext)
      .Stored(&TMenuItem::IsHelpContextStored)
      .Default(0);
  P.Property(u"Hint", &TMenuItem::Hint, &TMenuItem::SetHint).Stored(&TMenuItem::IsHintStored);
  P.Property(u"ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex)
      .Stored(&TMenuItem::IsImageIndexStored)
      .Default(-1);
  P.Property(u"RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem).Default(false);
  P.Property(u"ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut)
      .Type(TypeInfoTShortCut())
      .Stored(&TMenuItem::IsShortCutStored)
      .Default(0);
  P.Property(u"Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
      .Stored(&TMenuItem::IsVisibleStored)
      .Default(true);
  P.Property(u"OnAdvancedDrawItem", &TMenuItem::OnAdvancedDrawItem, &TMenuItem::SetOnAdvancedDrawItem);
  P.Property(u"OnClick", &TMenuItem::OnClick, &TMenuItem::SetOnClick).Stored(&TMenuItem::IsOnClickStored);
  P.Property(u"OnMeasureItem", &TMenuItem::OnMeasureItem, &TMenuItem::SetOnMeasureItem);
}

void TMenuItem::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FVisible = true;
  FEnabled = true;
  FCommand = UniqueCommand();
  FImageIndex = -1;
}

void TMenuItem::Destroy() {
  if (FParent) {
    FParent->Remove(this);
    FParent = nullptr;
  }
  while (!FItems.empty()) {
    TMenuItem* child = FItems.front();
    Free(child);  // its destructor takes it out of FItems
    if (!FItems.empty() && FItems.front() == child) FItems.erase(FItems.begin());
  }
  FreeAndNil(FActionLink);
  if (FHandle) {
    DestroyMenu(FHandle);
    FHandle = nullptr;
  }
  Free(FBitmap);
  FBitmap = nullptr;
  if (FCommand) UsedCommands().erase(FCommand);
  FCommand = 0;
  inherited::Destroy();
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(Integer Index, TMenuItem* Item) {
  if (!Item) return;
  if (Item->FParent) throw EMenuError(u"Menu inserted twice");
  if (Index < 0 || Index > Count()) throw EMenuError(u"Menu index out of range");
  // An item cannot become its own descendant.
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == Item) throw EMenuError(u"Menu inserted twice");
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  Item->FOnChange = TMenuChangeEvent(this, &TMenuItem::SubItemChanged);
  if (Item->FRadioItem && Item->FChecked) Item->TurnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::Delete(Integer Index) {
  if (Index < 0 || Index >= Count()) throw EMenuError(u"Menu index out of range");
  TMenuItem* item = FItems[size_t(Index)];
  Free(item);
}

void TMenuItem::Remove(TMenuItem* Item) {
  Integer i = IndexOf(Item);
  if (i < 0) throw EMenuError(u"Sub-menu is not in menu");
  FItems.erase(FItems.begin() + i);
  Item->FParent = nullptr;
  Item->FOnChange = nullptr;
  MenuChanged(true);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

TMenuItem* TMenuItem::Find(const String& ACaption) {
  for (TMenuItem* it : FItems)
    if (SameCaption(it->FCaption, ACaption)) return it;
  return nullptr;
}

Integer TMenuItem::IndexOf(TMenuItem* Item) const {
  auto it = std::find(FItems.begin(), FItems.end(), Item);
  return it == FItems.end() ? -1 : Integer(it - FItems.begin());
}

TMenuItem* TMenuItem::Items(Integer Index) const {
  if (Index < 0 || Index >= Count()) throw EMenuError(u"Menu index out of range");
  return FItems[size_t(Index)];
}

Integer TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1; }

void TMenuItem::SetMenuIndex(Integer Value) {
  if (!FParent) return;
  TMenuItem* parent = FParent;
  Integer count = parent->Count();
  if (Value < 0) Value = 0;
  if (Value >= count) Value = count - 1;
  Integer cur = MenuIndex();
  if (Value == cur) return;
  parent->FItems.erase(parent->FItems.begin() + cur);
  parent->FItems.insert(parent->FItems.begin() + Value, this);
  parent->MenuChanged(true);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* m = this;
  while (m->FParent) m = m->FParent;
  return m->FMenu;
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck) {
    TCustomAction* action = dynamic_cast<TCustomAction*>(Action());
    if (!action || !action->AutoCheck()) SetChecked(!FChecked);
  }
  TBasicAction* action = Action();
  if (Assigned(FOnClick) && action && !(FOnClick == action->OnExecute())) {
    FOnClick(this);
  } else if (!ComponentState().Contains(csDesigning) && FActionLink) {
    FActionLink->Execute(this);
  } else if (Assigned(FOnClick)) {
    FOnClick(this);
  }
}

void TMenuItem::InitiateAction() {
  if (FActionLink) FActionLink->Update();
}

TCustomImageList* TMenuItem::GetImageList() const {
  TMenu* menu = GetParentMenu();
  return menu ? menu->Images() : nullptr;
}

Boolean TMenuItem::IsOwnerDraw() const {
  TMenu* menu = GetParentMenu();
  if (menu && menu->OwnerDraw()) return true;
  if (GetImageList() && FImageIndex >= 0) return true;
  return FBitmap && !FBitmap->Empty();
}

namespace {

constexpr Integer kGlyphMargin = 3;
constexpr Integer kSeparatorHeight = 9;

// The glyph box width: the images' width (16 at least) and a margin each side.
Integer GlyphWidth(TCustomImageList* Images) {
  return std::max<Integer>(16, Images ? Images->Width() : 0) + 2 * kGlyphMargin;
}

String CaptionPart(const String& Caption, String& ShortCutText) {
  size_t tab = Caption.find(u'\t');
  if (tab == String::npos) return Caption;
  ShortCutText = Caption.substr(tab + 1);
  return Caption.substr(0, tab);
}

}  // namespace

void TMenuItem::MeasureItem(TCanvas* ACanvas, Integer& Width, Integer& Height) {
  if (IsLine()) {
    Height = kSeparatorHeight;
    Width = 0;
  } else {
    TCustomImageList* images = GetImageList();
    if (FDefault) ACanvas->Font()->SetStyle(ACanvas->Font()->Style() + fsBold);
    String shortcut;
    String caption = CaptionPart(FCaption, shortcut);
    if (FShortCut) shortcut = ShortCutToText(FShortCut);
    Integer textHeight = ACanvas->TextHeight(u"Wg");
    Integer imageHeight = images ? images->Height() : 16;
    if (FBitmap && !FBitmap->Empty()) imageHeight = std::max<Integer>(imageHeight, FBitmap->Height());
    Height = std::max<Integer>(textHeight + 6, imageHeight + 4);
    Width = GlyphWidth(images) + 4 + ACanvas->TextWidth(StripHotkey(caption)) + 8;
    if (!shortcut.empty()) Width += 16 + ACanvas->TextWidth(shortcut);
  }
  if (Assigned(FOnMeasureItem)) FOnMeasureItem(this, ACanvas, Width, Height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State,
                                 Boolean TopLevel) {
  if (Assigned(FOnAdvancedDrawItem)) {
    FOnAdvancedDrawItem(this, ACanvas, ARect, State);
    return;
  }
  bool selected = State.Contains(odSelected);
  bool disabled = State.Contains(odDisabled) || State.Contains(odGrayed) || !FEnabled;
  TRect r = ARect;
  ACanvas->Brush()->SetColor(selected ? clHighlight : clMenu);
  ACanvas->FillRect(r);
  if (IsLine()) {
    TRect line{r.Left + 1, r.Top + (r.Bottom - r.Top) / 2 - 1, r.Right - 1,
               r.Top + (r.Bottom - r.Top) / 2 + 1};
    DrawEdge(ACanvas->Handle(), &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  bool rtl = false;
  if (TMenu* menu = GetParentMenu()) rtl = menu->IsRightToLeft();
  TCustomImageList* images = GetImageList();
  Integer glyphW = GlyphWidth(images);
  TRect glyph = rtl ? TRect{r.Right - glyphW, r.Top, r.Right, r.Bottom}
                    : TRect{r.Left, r.Top, r.Left + glyphW, r.Bottom};
  bool hasImage = images && FImageIndex >= 0 && FImageIndex < images->Count();
  bool hasBitmap = FBitmap && !FBitmap->Empty();
  if (hasImage || hasBitmap) {
    Integer w = hasImage ? images->Width() : FBitmap->Width();
    Integer h = hasImage ? images->Height() : FBitmap->Height();
    Integer x = glyph.Left + (glyph.Right - glyph.Left - w) / 2;
    Integer y = glyph.Top + (glyph.Bottom - glyph.Top - h) / 2;
    if (FChecked) {
      // A checked item with an image shows it in a sunken box.
      TRect box{x - 2, y - 2, x + w + 2, y + h + 2};
      RECT b = box;
      DrawEdge(ACanvas->Handle(), &b, BDR_SUNKENOUTER, BF_RECT);
    }
    if (hasImage)
      images->Draw(ACanvas, x, y, FImageIndex, !disabled);
    else
      ACanvas->Draw(x, y, FBitmap);
  } else if (FChecked) {
    Integer size = GetSystemMetrics(SM_CXMENUCHECK);
    TRect box{glyph.Left + (glyph.Right - glyph.Left - size) / 2,
              glyph.Top + (glyph.Bottom - glyph.Top - size) / 2, 0, 0};
    box.Right = box.Left + size;
    box.Bottom = box.Top + size;
    // The frame control draws black on white; black becomes the text colour.
    HDC mem = CreateCompatibleDC(ACanvas->Handle());
    HBITMAP mark = CreateCompatibleBitmap(ACanvas->Handle(), size, size);
    HGDIOBJ old = SelectObject(mem, mark);
    RECT mr{0, 0, size, size};
    DrawFrameControl(mem, &mr, DFC_MENU, FRadioItem ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    COLORREF fore = ColorToRGB(disabled ? clGrayText : selected ? clHighlightText : clMenuText);
    for (Integer py = 0; py < size; ++py)
      for (Integer px = 0; px < size; ++px)
        if (GetPixel(mem, px, py) == RGB(0, 0, 0))
          SetPixel(ACanvas->Handle(), box.Left + px, box.Top + py, fore);
    SelectObject(mem, old);
    DeleteObject(mark);
    DeleteDC(mem);
  }
  String shortcut;
  String caption = CaptionPart(FCaption, shortcut);
  if (FShortCut) shortcut = ShortCutToText(FShortCut);
  TRect text = r;
  if (rtl) {
    text.Right = glyph.Left - 4;
    text.Left = r.Left + 8;
  } else {
    text.Left = glyph.Right + 4;
    text.Right = r.Right - 8;
  }
  if (FDefault || State.Contains(odDefault)) ACanvas->Font()->SetStyle(ACanvas->Font()->Style() + fsBold);
  HDC dc = ACanvas->Handle();
  SetBkMode(dc, TRANSPARENT);
  UINT prefix = State.Contains(odNoAccel) ? DT_HIDEPREFIX : 0;
  UINT align = rtl ? DT_RIGHT | DT_RTLREADING : DT_LEFT;
  UINT other = rtl ? DT_LEFT | DT_RTLREADING : DT_RIGHT;
  auto draw = [&](TColor Color, Integer Offset) {
    ACanvas->Font()->SetColor(Color);
    HDC h = ACanvas->Handle();  // selects the font and its colour
    SetBkMode(h, TRANSPARENT);
    RECT a = text;
    OffsetRect(&a, Offset, Offset);
    DrawTextW(h, caption.c_str(), int(caption.size()), &a,
              align | DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | prefix);
    if (!shortcut.empty()) {
      RECT b = text;
      OffsetRect(&b, Offset, Offset);
      DrawTextW(h, shortcut.c_str(), int(shortcut.size()), &b,
                other | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
  };
  (void)dc;
  if (disabled) {
    if (!selected) draw(clBtnHighlight, 1);
    draw(clGrayText, 0);
  } else {
    draw(selected ? clHighlightText : clMenuText, 0);
  }
  (void)TopLevel;
}

HMENU TMenuItem::Handle() {
  if (!FHandle) {
    TMenu* menu = GetParentMenu();
    FHandle = (menu && !FParent && Is<TMainMenu>(menu)) ? CreateMenu() : CreatePopupMenu();
    RebuildHandle();
  }
  return FHandle;
}

void TMenuItem::AppendTo(HMENU Menu, Boolean ARightToLeft) {
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  if (IsLine()) {
    mi.fType = MFT_SEPARATOR;
  } else {
    if (FRadioItem) mi.fType |= MFT_RADIOCHECK;
    if (FBreak == mbBreak) mi.fType |= MFT_MENUBREAK;
    if (FBreak == mbBarBreak) mi.fType |= MFT_MENUBARBREAK;
    if (IsOwnerDraw()) mi.fType |= MFT_OWNERDRAW;
  }
  if (ARightToLeft) mi.fType |= MFT_RIGHTORDER;
  if (FChecked) mi.fState |= MFS_CHECKED;
  if (!FEnabled) mi.fState |= MFS_GRAYED;
  if (FDefault) mi.fState |= MFS_DEFAULT;
  mi.wID = FCommand;
  mi.hSubMenu = FItems.empty() ? nullptr : Handle();
  mi.dwItemData = reinterpret_cast<ULONG_PTR>(this);
  String text = FCaption;
  if (FShortCut) text += u"\t" + ShortCutToText(FShortCut);
  if (!(mi.fType & (MFT_SEPARATOR | MFT_OWNERDRAW))) {
    mi.fMask |= MIIM_STRING;
    mi.dwTypeData = text.data();
  }
  InsertMenuItemW(Menu, UINT(-1), TRUE, &mi);
}

// Fills the existing window-system menu again, so a handle in use stays valid.
void TMenuItem::RebuildHandle() {
  if (!FHandle) return;
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  TMenu* menu = GetParentMenu();
  bool rtl = menu && menu->IsRightToLeft();
  for (TMenuItem* it : FItems)
    if (it->FVisible) it->AppendTo(FHandle, rtl);
}

void TMenuItem::MenuChanged(Boolean Rebuild) {
  if (FParent) FParent->RebuildHandle();
  if (Rebuild) RebuildHandle();
  if (Assigned(FOnChange)) FOnChange(this, this, Rebuild);
}

void TMenuItem::SubItemChanged(TObject*, TMenuItem* Source, Boolean Rebuild) {
  if (Assigned(FOnChange)) FOnChange(this, Source, Rebuild);
}

void TMenuItem::TurnSiblingsOff() {
  if (!FParent) return;
  for (TMenuItem* it : FParent->FItems)
    if (it != this && it->FRadioItem && it->FGroupIndex == FGroupIndex) it->SetChecked(false);
}

void TMenuItem::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (TMenuItem* it : std::vector<TMenuItem*>(FItems)) Proc(it);
}

void TMenuItem::SetChildOrder(TComponent* Child, Integer Order) {
  if (auto* item = dynamic_cast<TMenuItem*>(Child); item && item->FParent == this) item->SetMenuIndex(Order);
}

TComponent* TMenuItem::GetParentComponent() {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (FParent) FParent->Remove(this);
  if (!Value) return;
  if (auto* menu = dynamic_cast<TMenu*>(Value))
    menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(Value))
    item->Add(this);
  else
    throw EMenuError(u"Menu item parent must be a menu or a menu item");
}

void TMenuItem::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && FActionLink && AComponent == FActionLink->Action()) SetAction(nullptr);
}

void TMenuItem::Loaded() {
  inherited::Loaded();
  if (FActionLink) ActionChange(FActionLink->Action(), false);
}

TBasicAction* TMenuItem::Action() const { return FActionLink ? FActionLink->Action() : nullptr; }

TClassOf<TMenuActionLink> TMenuItem::GetActionLinkClass() const { return ClassOf<TMenuActionLink>(); }

void TMenuItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    FreeAndNil(FActionLink);
    return;
  }
  if (!FActionLink)
    FActionLink = static_cast<TMenuActionLink*>(
        CreateFrom(GetActionLinkClass().Class(), &TBasicActionLink::Create, static_cast<TObject*>(this)));
  FActionLink->SetAction(Value);
  FActionLink->SetOnChange(TNotifyEvent(this, &TMenuItem::DoActionChange));
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TMenuItem::DoActionChange(TObject* Sender) {
  if (FActionLink && Sender == FActionLink->Action()) ActionChange(Sender, false);
}

void TMenuItem::ActionChange(TObject* Sender, Boolean CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || !FAutoCheck) SetAutoCheck(a->AutoCheck());
  if (!CheckDefaults || FCaption.empty()) SetCaption(a->Caption());
  if (!CheckDefaults || !FChecked) SetChecked(a->Checked());
  if (!CheckDefaults || FEnabled) SetEnabled(a->Enabled());
  if (!CheckDefaults || FHelpContext == 0) SetHelpContext(a->HelpContext());
  if (!CheckDefaults || FHint.empty()) SetHint(a->Hint());
  if (!CheckDefaults || FImageIndex == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || FShortCut == 0) SetShortCut(a->ShortCut());
  if (!CheckDefaults || FVisible) SetVisible(a->Visible());
  if (!CheckDefaults || !Assigned(FOnClick)) SetOnClick(a->OnExecute());
}

TBitmap* TMenuItem::Bitmap() {
  if (!FBitmap) {
    FBitmap = New<TBitmap>();
    FBitmap->SetOnChange(TNotifyEvent(this, &TMenuItem::BitmapChanged));
  }
  return FBitmap;
}

void TMenuItem::SetBitmap(TBitmap* Value) { Bitmap()->Assign(Value); }

void TMenuItem::BitmapChanged(TObject*) { MenuChanged(false); }

void TMenuItem::SetAutoCheck(Boolean Value) {
  if (Value == FAutoCheck) return;
  FAutoCheck = Value;
  MenuChanged(false);
}

void TMenuItem::SetBreak(TMenuBreak Value) {
  if (Value == FBreak) return;
  FBreak = Value;
  MenuChanged(true);
}

void TMenuItem::SetCaption(const String& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  MenuChanged(true);
}

void TMenuItem::SetChecked(Boolean Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (Value && FRadioItem) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetDefault(Boolean Value) {
  if (Value == FDefault) return;
  if (Value && FParent)
    for (TMenuItem* it : FParent->FItems)
      if (it != this && it->FDefault) {
        it->FDefault = false;
        it->MenuChanged(false);
      }
  FDefault = Value;
  MenuChanged(false);
}

void TMenuItem::SetEnabled(Boolean Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  MenuChanged(false);
}

void TMenuItem::SetGroupIndex(Byte Value) {
  if (Value == FGroupIndex) return;
  FGroupIndex = Value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
}

void TMenuItem::SetHelpContext(THelpContext Value) { FHelpContext = Value; }
void TMenuItem::SetHint(const String& Value) { FHint = Value; }

void TMenuItem::SetImageIndex(Integer Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  MenuChanged(true);
}

void TMenuItem::SetRadioItem(Boolean Value) {
  if (Value == FRadioItem) return;
  FRadioItem = Value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::SetShortCut(TShortCut Value) {
  if (Value == FShortCut) return;
  FShortCut = Value;
  MenuChanged(true);
}

void TMenuItem::SetVisible(Boolean Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  MenuChanged(true);
}

void TMenuItem::SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }

void TMenuItem::SetOnMeasureItem(const TMenuMeasureItemEvent& Value) {
  FOnMeasureItem = Value;
  MenuChanged(true);
}

void TMenuItem::SetOnAdvancedDrawItem(const TAdvancedMenuDrawItemEvent& Value) {
  FOnAdvancedDrawItem = Value;
  MenuChanged(true);
}

Boolean TMenuItem::IsBitmapStored() const { return FBitmap && !FBitmap->Empty(); }
Boolean TMenuItem::IsAutoCheckStored() const { return !FActionLink || !FActionLink->IsAutoCheckLinked(); }
Boolean TMenuItem::IsCaptionStored() const { return !FActionLink || !FActionLink->IsCaptionLinked(); }
Boolean TMenuItem::IsCheckedStored() const { return !FActionLink || !FActionLink->IsCheckedLinked(); }
Boolean TMenuItem::IsEnabledStored() const { return !FActionLink || !FActionLink->IsEnabledLinked(); }
Boolean TMenuItem::IsHintStored() const { return !FActionLink || !FActionLink->IsHintLinked(); }
Boolean TMenuItem::IsHelpContextStored() const { return !FActionLink || !FActionLink->IsHelpContextLinked(); }
Boolean TMenuItem::IsImageIndexStored() const { return !FActionLink || !FActionLink->IsImageIndexLinked(); }
Boolean TMenuItem::IsShortCutStored() const { return !FActionLink || !FActionLink->IsShortCutLinked(); }
Boolean TMenuItem::IsVisibleStored() const { return !FActionLink || !FActionLink->IsVisibleLinked(); }
Boolean TMenuItem::IsOnClickStored() const { return !FActionLink || !FActionLink->IsOnExecuteLinked(); }

// --- TMenu --------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TMenu)

void TMenu::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FItems = New<TMenuItem>(this);
  FItems->FMenu = this;
  FItems->FOnChange = TMenuChangeEvent(this, &TMenu::MenuChanged);
  FImageChangeLink = New<TChangeLink>();
  FImageChangeLink->SetOnChange(TNotifyEvent(this, &TMenu::ImageListChange));
}

void TMenu::Destroy() {
  if (FImages && FImageChangeLink) FImages->UnRegisterChanges(FImageChangeLink);
  FreeAndNil(FImageChangeLink);
  FreeAndNil(FItems);
  inherited::Destroy();
}

HMENU TMenu::Handle() { return FItems ? FItems->Handle() : nullptr; }

void TMenu::SetImages(TCustomImageList* Value) {
  if (controls_detail::SetLinkedImages(FImages, Value, FImageChangeLink, this) && FItems)
    FItems->MenuChanged(true);
}

void TMenu::SetOwnerDraw(Boolean Value) {
  if (Value == FOwnerDraw) return;
  FOwnerDraw = Value;
  if (FItems) FItems->MenuChanged(true);
}

void TMenu::SetBiDiMode(TBiDiMode Value) {
  if (Value == FBiDiMode) return;
  FBiDiMode = Value;
  if (FItems) FItems->MenuChanged(true);
}

void TMenu::ImageListChange(TObject* Sender) {
  if (Sender == FImages && FItems) FItems->MenuChanged(true);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TMenu::Loaded() {
  inherited::Loaded();
  if (FItems) FItems->MenuChanged(true);
}

void TMenu::MenuChanged(TObject* Sender, TMenuItem* Source, Boolean Rebuild) {
  if (Assigned(FOnChange)) FOnChange(Sender, Source, Rebuild);
}

void TMenu::GetChildren(TGetChildProc Proc, TComponent* Root) {
  if (FItems) FItems->GetChildren(Proc, Root);
}

void TMenu::SetChildOrder(TComponent* Child, Integer Order) {
  if (FItems) FItems->SetChildOrder(Child, Order);
}

namespace {

TMenuItem* FindIn(TMenuItem* Item, NativeUInt Value, TFindItemKind Kind, int Depth) {
  if (Depth > 256) return nullptr;
  for (Integer i = 0; i < Item->Count(); ++i) {
    TMenuItem* it = Item->Items(i);
    switch (Kind) {
      case fkCommand:
        if (it->Command() == Value) return it;
        break;
      case fkHandle:
        break;
      case fkShortCut:
        if (it->ShortCut() != 0 && it->ShortCut() == Value) return it;
        break;
    }
    if (TMenuItem* f = FindIn(it, Value, Kind, Depth + 1)) return f;
  }
  return nullptr;
}

}  // namespace

TMenuItem* TMenu::FindItem(NativeUInt Value, TFindItemKind Kind) {
  if (!FItems) return nullptr;
  if (Kind == fkHandle) {
    // Items whose sub-menu handle exists.
    std::vector<TMenuItem*> stack{FItems};
    while (!stack.empty()) {
      TMenuItem* it = stack.back();
      stack.pop_back();
      if (it->FHandle && reinterpret_cast<NativeUInt>(it->FHandle) == Value) return it;
      for (TMenuItem* c : it->FItems) stack.push_back(c);
    }
    return nullptr;
  }
  return FindIn(FItems, Value, Kind, 0);
}

Boolean TMenu::DispatchCommand(Word ACommand) {
  TMenuItem* item = FindItem(ACommand, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

Boolean TMenu::DispatchPopup(HMENU AMenu) {
  TMenuItem* item = FindItem(reinterpret_cast<NativeUInt>(AMenu), fkHandle);
  if (!item) return false;
  if (item != FItems) item->Click();
  // The actions of the items about to show update them first.
  for (Integer i = 0; i < item->Count(); ++i) item->Items(i)->InitiateAction();
  return true;
}

Boolean TMenu::IsShortCut(TWMKey& Message) { return IsShortCut(ShortCutFromMessage(Message)); }

Boolean TMenu::IsShortCut(TShortCut AShortCut) {
  if (AShortCut == 0 || !FItems) return false;
  TMenuItem* item = FindItem(AShortCut, fkShortCut);
  if (!item) return false;
  // Every level from the top lets its action update it and must be enabled and visible.
  std::vector<TMenuItem*> chain;
  for (TMenuItem* p = item; p && p != FItems; p = p->Parent()) chain.push_back(p);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    TMenuItem* level = *it;
    level->InitiateAction();
    if (!level->Enabled() || !level->Visible()) return false;
    if (level != item) level->Click();
  }
  item->Click();
  return true;
}

CL_IMPLEMENT_CLASS_PUBLISHED(TMainMenu, P) {
  P.Property(u"Images", &TMenu::Images, &TMenu::SetImages);
  P.Property(u"OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw).Default(false);
  P.Property(u"OnChange", &TMenu::OnChange, &TMenu::SetOnChange);
}

// --- TPopupMenu ---------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TPopupMenu, P) {
  P.Property(u"Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment).Default(paLeft);
  P.Property(u"AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  P.Property(u"BiDiMode", &TMenu::BiDiMode, &TMenu::SetBiDiMode).Default(bdLeftToRight);
  P.Property(u"Images", &TMenu::Images, &TMenu::SetImages);
  P.Property(u"OwnerDraw", &TMenu::OwnerDraw, &TMenu::SetOwnerDraw).Default(false);
  P.Property(u"TrackButton", &TPopupMenu::TrackButton, &TPopupMenu::SetTrackButton).Default(tbRightButton);
  P.Property(u"OnChange", &TMenu::OnChange, &TMenu::SetOnChange);
  P.Property(u"OnPopup", &TPopupMenu::OnPopup, &TPopupMenu::SetOnPopup);
}

void TPopupMenu::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  FAutoPopup = true;
  PopupList()->Add(this);
}

void TPopupMenu::Destroy() {
  if (gPopupList) gPopupList->Remove(this);
  FPopupComponent = nullptr;
  inherited::Destroy();
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
  if (Value == FPopupComponent) return;
  // The free-notification link is shared with the control's own link to this
  // menu (its PopupMenu), so it is never removed here; a stale notice is harmless.
  FPopupComponent = Value;
  if (FPopupComponent) FPopupComponent->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup(TObject* Sender) {
  if (Assigned(FOnPopup)) FOnPopup(Sender);
}

UINT TPopupMenu::TrackFlags() const {
  static const UINT alignments[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  TPopupAlignment a = FAlignment;
  bool rtl = IsRightToLeft();
  // Right to left mirrors the alignment.
  if (rtl && a == paLeft)
    a = paRight;
  else if (rtl && a == paRight)
    a = paLeft;
  UINT flags = alignments[a <= paCenter ? a : paLeft];
  flags |= FTrackButton == tbRightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON;
  if (rtl) flags |= TPM_LAYOUTRTL;
  return flags;
}

void TPopupMenu::Popup(Integer X, Integer Y) {
  FPopupPoint = TPoint{X, Y};
  DoPopup(this);
  // The items' actions update them before the menu shows.
  for (Integer i = 0; i < Items()->Count(); ++i) Items()->Items(i)->InitiateAction();
  HWND owner = PopupList()->Window();
  TrackPopupMenu(Items()->Handle(), TrackFlags(), X, Y, 0, owner, nullptr);
}

// --- TMenuActionLink ----------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TMenuActionLink)

void TMenuActionLink::AssignClient(TObject* AClient) { FClient = As<TMenuItem>(AClient); }

Boolean TMenuActionLink::IsAutoCheckLinked() {
  auto* a = CustomAction();
  return a && FClient->AutoCheck() == a->AutoCheck();
}
Boolean TMenuActionLink::IsCaptionLinked() {
  return inherited::IsCaptionLinked() && FClient->Caption() == CustomAction()->Caption();
}
Boolean TMenuActionLink::IsCheckedLinked() {
  return inherited::IsCheckedLinked() && FClient->Checked() == CustomAction()->Checked();
}
Boolean TMenuActionLink::IsEnabledLinked() {
  return inherited::IsEnabledLinked() && FClient->Enabled() == CustomAction()->Enabled();
}
Boolean TMenuActionLink::IsGroupIndexLinked() {
  return inherited::IsGroupIndexLinked() && FClient->GroupIndex() == CustomAction()->GroupIndex();
}
Boolean TMenuActionLink::IsHelpContextLinked() {
  return inherited::IsHelpContextLinked() && FClient->HelpContext() == CustomAction()->HelpContext();
}
Boolean TMenuActionLink::IsHintLinked() {
  return inherited::IsHintLinked() && FClient->Hint() == CustomAction()->Hint();
}
Boolean TMenuActionLink::IsImageIndexLinked() {
  return inherited::IsImageIndexLinked() && FClient->ImageIndex() == CustomAction()->ImageIndex();
}
Boolean TMenuActionLink::IsShortCutLinked() {
  return inherited::IsShortCutLinked() && FClient->ShortCut() == CustomAction()->ShortCut();
}
Boolean TMenuActionLink::IsVisibleLinked() {
  return inherited::IsVisibleLinked() && FClient->Visible() == CustomAction()->Visible();
}
Boolean TMenuActionLink::IsOnExecuteLinked() {
  return inherited::IsOnExecuteLinked() && FAction && FClient->OnClick() == FAction->OnExecute();
}

void TMenuActionLink::SetAutoCheck(Boolean Value) {
  if (IsAutoCheckLinked()) FClient->SetAutoCheck(Value);
}
void TMenuActionLink::SetCaption(const String& Value) {
  if (IsCaptionLinked()) FClient->SetCaption(Value);
}
void TMenuActionLink::SetChecked(Boolean Value) {
  if (IsCheckedLinked()) FClient->SetChecked(Value);
}
void TMenuActionLink::SetEnabled(Boolean Value) {
  if (IsEnabledLinked()) FClient->SetEnabled(Value);
}
void TMenuActionLink::SetHelpContext(THelpContext Value) {
  if (IsHelpContextLinked()) FClient->SetHelpContext(Value);
}
void TMenuActionLink::SetHint(const String& Value) {
  if (IsHintLinked()) FClient->SetHint(Value);
}
void TMenuActionLink::SetImageIndex(Integer Value) {
  if (IsImageIndexLinked()) FClient->SetImageIndex(Value);
}
void TMenuActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) FClient->SetShortCut(Value);
}
void TMenuActionLink::SetVisible(Boolean Value) {
  if (IsVisibleLinked()) FClient->SetVisible(Value);
}
void TMenuActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) FClient->SetOnClick(Value);
}

// --- Unit steps -----------------------------------------------------------------------------------

namespace {

// What the controls ask of their popup menus.
Boolean ControlPopupIsShortCut(TPopupMenu* Menu, TWMKey& Message) {
  return Menu && Menu->IsShortCut(Message);
}

Boolean ControlPopup(TPopupMenu* Menu, TControl* Control, Integer X, Integer Y) {
  if (!Menu || !Menu->AutoPopup()) return false;
  Menu->SetPopupComponent(Control);
  Menu->Popup(X, Y);
  return true;
}

TComponent* ControlPopupComponent(TPopupMenu* Menu) { return Menu; }

void MenusStartup() {
  RegisterClasses({TMenuItem::StaticClass(), TPopupMenu::StaticClass(), TMainMenu::StaticClass()});
  PopupMenuIsShortCutHook = &ControlPopupIsShortCut;
  PopupMenuPopupHook = &ControlPopup;
  PopupMenuComponentHook = &ControlPopupComponent;
}

void MenusShutdown() {
  PopupMenuIsShortCutHook = nullptr;
  PopupMenuPopupHook = nullptr;
  PopupMenuComponentHook = nullptr;
  if (gPopupList && gPopupList->Empty()) FreeAndNil(gPopupList);
}

}  // namespace

CL_UNIT_STEPS(Menus, &MenusStartup, &MenusShutdown);
