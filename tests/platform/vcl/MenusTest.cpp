// Shortcuts, the menu item tree and its window-system menu, popup menus
// driven by typed keys, owner drawing, shortcuts of menus, and form
// streaming of the item tree.
#include <gtest/gtest.h>

#include <memory>

#include "platform/backend/Headless.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "tests/platform/vcl/VclTestSupport.h"

using namespace win;
using vcltest::Owned;
using vcltest::TCounter;

// --- Shortcuts ---------------------------------------------------------------------------

TEST(ShortCutTest, TextRoundTrip) {
  struct TCase {
    TShortCut Value;
    const char16_t* Text;
  } cases[] = {
      {TShortCut(scCtrl | 'S'), u"Ctrl+S"},
      {TShortCut(scShift | scCtrl | VK_F5), u"Shift+Ctrl+F5"},
      {TShortCut(scCtrl | VK_RETURN), u"Ctrl+Enter"},
      {TShortCut(scAlt | VK_F4), u"Alt+F4"},
      {TShortCut(scShift | scCtrl | scAlt | 'Z'), u"Shift+Ctrl+Alt+Z"},
      {TShortCut(VK_DELETE), u"Del"},
      {TShortCut(scShift | VK_PRIOR), u"Shift+PgUp"},
      {TShortCut(VK_NUMPAD5), u"Num 5"},
      {TShortCut(scCtrl | VK_ADD), u"Ctrl+Num +"},
      {TShortCut(VK_F12), u"F12"},
      {TShortCut(scAlt | '0'), u"Alt+0"},
      {TShortCut(VK_ESCAPE), u"Esc"},
      {TShortCut(VK_BACK), u"BkSp"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ShortCutToText(c.Value), c.Text);
    EXPECT_EQ(TextToShortCut(c.Text), c.Value) << UTF16ToUTF8(c.Text);
  }
  EXPECT_EQ(TShortCut(16397), TShortCut(scCtrl | VK_RETURN));  // the default click key
}

TEST(ShortCutTest, TextIsReadLeniently) {
  struct TCase {
    const char16_t* Text;
    TShortCut Value;
  } cases[] = {
      {u"ctrl+s", TShortCut(scCtrl | 'S')},
      {u"^S", TShortCut(scCtrl | 'S')},
      {u"Alt+Shift+A", TShortCut(scAlt | scShift | 'A')},  // modifiers in any order
      {u"Ctrl+", 0},
      {u"Ctrl+Foo", 0},
      {u"", 0},
      {u"Shift", 0},
      {u"F25", 0},
  };
  for (const TCase& c : cases) EXPECT_EQ(TextToShortCut(c.Text), c.Value) << UTF16ToUTF8(c.Text);
  // Keys without a name have no text.
  EXPECT_EQ(ShortCutToText(TShortCut(scCtrl | 0xBA)), u"");
  EXPECT_EQ(ShortCutToText(0), u"");
}

TEST(ShortCutTest, KeysAndShiftStates) {
  EXPECT_EQ(ShortCut('K', TShiftState{ssCtrl, ssShift}), TShortCut(scCtrl | scShift | 'K'));
  EXPECT_EQ(ShortCut(0x100, TShiftState{}), 0);  // not a key
  Word key = 0;
  TShiftState shift;
  ShortCutToKey(TShortCut(scAlt | scCtrl | VK_F2), key, shift);
  EXPECT_EQ(key, VK_F2);
  EXPECT_EQ(shift, (TShiftState{ssAlt, ssCtrl}));
  // Alt comes from bit 29 of the key data.
  TMessage m{WM_SYSKEYDOWN, 'X', LPARAM(0x20000000), 0};
  TWMKey k(m);
  EXPECT_EQ(ShortCutFromMessage(k), TShortCut(scAlt | 'X'));
  m.LParam = 0;
  EXPECT_EQ(ShortCutFromMessage(k), TShortCut('X'));
  EXPECT_TRUE(SameCaption(u"&Dosya", u"dosya"));
  EXPECT_FALSE(SameCaption(u"&Dosya", u"Dosyalar"));
}

// --- The item tree -------------------------------------------------------------------------

namespace {

class MenusTest : public ::testing::Test {
 protected:
  TMenuItem* Item(TComponent* Owner, const String& Caption, TMenuItem* Parent = nullptr) {
    TMenuItem* it = New<TMenuItem>(Owner);
    it->SetCaption(Caption);
    if (Parent) Parent->Add(it);
    return it;
  }
  // A visible popup window, made active and given the focus (the test
  // destroys it).
  static HWND FocusWindow(int Width, int Height) {
    HWND h = CreateWindowExW(0, u"STATIC", u"", WS_POPUP | WS_VISIBLE, 0, 0, Width, Height, nullptr, nullptr,
                             HInstance, nullptr);
    SetActiveWindow(h);
    SetFocus(h);
    return h;
  }
  static String MenuText(HMENU m, UINT pos) {
    WCHAR buf[64] = {};
    GetMenuStringW(m, pos, buf, 64, MF_BYPOSITION);
    return buf;
  }

  backend::THeadlessBackend Screen;
  Owned<TComponent> Root{New<TComponent>(nullptr)};
};

TEST_F(MenusTest, TreeEditing) {
  TPopupMenu* menu = New<TPopupMenu>(Root.get());
  TMenuItem* items = menu->Items();
  TMenuItem* open = Item(Root.get(), u"&Aç", items);
  TMenuItem* save = Item(Root.get(), u"&Kaydet", items);
  TMenuItem* sub = Item(Root.get(), u"&Dışa aktar");
  items->Insert(1, sub);
  TMenuItem* pdf = Item(Root.get(), u"&PDF", sub);
  EXPECT_EQ(items->Count(), 3);
  EXPECT_EQ(items->IndexOf(sub), 1);
  EXPECT_EQ(sub->MenuIndex(), 1);
  EXPECT_EQ(pdf->Parent(), sub);
  EXPECT_EQ(pdf->GetParentMenu(), menu);
  EXPECT_EQ(items->Find(u"kaydet"), save);  // without "&", regardless of case
  EXPECT_EQ(items->Find(u"PDF"), nullptr);  // only the direct sub-items

  // Errors leave the tree as it was.
  EXPECT_THROW(items->Add(pdf), EMenuError);  // already in a menu
  EXPECT_THROW(pdf->Add(sub), EMenuError);    // its own ancestor
  EXPECT_THROW(items->Insert(9, Item(Root.get(), u"x")), EMenuError);
  EXPECT_THROW(items->Delete(3), EMenuError);
  EXPECT_THROW(items->Items(-1), EMenuError);
  EXPECT_EQ(items->Count(), 3);

  save->SetMenuIndex(0);
  EXPECT_EQ(items->Items(0), save);
  items->Remove(open);
  EXPECT_EQ(open->Parent(), nullptr);
  EXPECT_EQ(items->Count(), 2);
  Free(open);
  sub->Clear();
  EXPECT_EQ(sub->Count(), 0);
  EXPECT_EQ(Root->FindComponent(u""), nullptr);
  items->Delete(0);  // frees the item: the owner forgets it
  EXPECT_EQ(items->Count(), 1);
  EXPECT_EQ(items->Items(0), sub);
}

TEST_F(MenusTest, HandleShowsTheTreeAndFollowsChanges) {
  TPopupMenu* menu = New<TPopupMenu>(Root.get());
  TMenuItem* items = menu->Items();
  TMenuItem* save = Item(Root.get(), u"&Kaydet", items);
  save->SetShortCut(TShortCut(scCtrl | 'S'));
  Item(Root.get(), u"-", items);
  TMenuItem* hidden = Item(Root.get(), u"Gizli", items);
  hidden->SetVisible(false);
  TMenuItem* sub = Item(Root.get(), u"&Alt", items);
  TMenuItem* a = Item(Root.get(), u"A", sub);
  TMenuItem* b = Item(Root.get(), u"B", sub);
  a->SetRadioItem(true);
  b->SetRadioItem(true);
  a->SetChecked(true);
  b->SetChecked(true);  // the radio group keeps one checked
  EXPECT_FALSE(a->Checked());
  save->SetEnabled(false);

  HMENU h = menu->Handle();
  ASSERT_EQ(GetMenuItemCount(h), 3);  // the hidden item is left out
  EXPECT_EQ(MenuText(h, 0), u"&Kaydet\tCtrl+S");
  EXPECT_EQ(GetMenuState(h, 0, MF_BYPOSITION) & MF_GRAYED, UINT(MF_GRAYED));
  EXPECT_EQ(GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
  HMENU subHandle = GetSubMenu(h, 2);
  ASSERT_EQ(subHandle, sub->Handle());
  EXPECT_EQ(GetMenuState(subHandle, 1, MF_BYPOSITION) & MF_CHECKED, UINT(MF_CHECKED));
  EXPECT_EQ(GetMenuItemID(h, 0), save->Command());
  EXPECT_NE(save->Command(), a->Command());

  // Changes are made in place: the handle stays.
  save->SetCaption(u"&Farklı kaydet");
  hidden->SetVisible(true);
  EXPECT_EQ(menu->Handle(), h);
  EXPECT_EQ(GetMenuItemCount(h), 4);
  EXPECT_EQ(MenuText(h, 0), u"&Farklı kaydet\tCtrl+S");
  Free(b);
  EXPECT_EQ(GetMenuItemCount(subHandle), 1);
}

// The popup menu runs its own loop; a chosen item is clicked when the
// posted command is dispatched.
TEST_F(MenusTest, PopupRunsUntilClosedThenClicksTheItem) {
  HWND focus = FocusWindow(50, 50);
  Screen.ProcessMessages();

  TPopupMenu* menu = New<TPopupMenu>(Root.get());
  TMenuItem* first = Item(Root.get(), u"&Bir", menu->Items());
  TMenuItem* sub = Item(Root.get(), u"&Alt", menu->Items());
  TMenuItem* inner = Item(Root.get(), u"&İç", sub);
  std::vector<std::string> events;
  struct TSink : TObject {
    std::vector<std::string>* Events{};
    void Popup(TObject*) { Events->push_back("popup"); }
    void Click(TObject* Sender) {
      Events->push_back("click:" + UTF16ToUTF8(static_cast<TMenuItem*>(Sender)->Caption()));
    }
  };
  TSink sink;
  sink.Events = &events;
  menu->SetOnPopup(TNotifyEvent(&sink, &TSink::Popup));
  first->SetOnClick(TNotifyEvent(&sink, &TSink::Click));
  sub->SetOnClick(TNotifyEvent(&sink, &TSink::Click));
  inner->SetOnClick(TNotifyEvent(&sink, &TSink::Click));

  struct TCase {
    std::vector<UINT> Keys;
    std::vector<std::string> Events;
  } cases[] = {
      {{VK_DOWN, VK_RETURN}, {"popup", "click:&Bir"}},
      {{VK_ESCAPE}, {"popup"}},
      // Opening the sub-menu clicks its item first (so it can fill it).
      {{'A', VK_RETURN}, {"popup", "click:&Alt", "click:&İç"}},
  };
  for (const TCase& c : cases) {
    events.clear();
    for (UINT k : c.Keys) Screen.KeyPress(k);
    menu->Popup(200, 200);
    EXPECT_EQ(menu->PopupPoint(), (TPoint{200, 200}));
    Screen.ProcessMessages();
    EXPECT_EQ(events, c.Events);
  }
  DestroyWindow(focus);
}

TEST_F(MenusTest, TrackFlagsFollowAlignmentButtonAndDirection) {
  TPopupMenu* menu = New<TPopupMenu>(Root.get());
  struct TCase {
    TPopupAlignment Alignment;
    TTrackButton Button;
    TBiDiMode BiDi;
    UINT Flags;
  } cases[] = {
      {paLeft, tbRightButton, bdLeftToRight, TPM_LEFTALIGN | TPM_RIGHTBUTTON},
      {paRight, tbLeftButton, bdLeftToRight, TPM_RIGHTALIGN | TPM_LEFTBUTTON},
      {paCenter, tbRightButton, bdLeftToRight, TPM_CENTERALIGN | TPM_RIGHTBUTTON},
      {paLeft, tbRightButton, bdRightToLeft, TPM_RIGHTALIGN | TPM_RIGHTBUTTON | TPM_LAYOUTRTL},
      {paRight, tbRightButton, bdRightToLeft, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_LAYOUTRTL},
  };
  for (const TCase& c : cases) {
    menu->SetAlignment(c.Alignment);
    menu->SetTrackButton(c.Button);
    menu->SetBiDiMode(c.BiDi);
    EXPECT_EQ(menu->TrackFlags(), c.Flags) << int(c.Alignment) << " " << int(c.BiDi);
  }
  EXPECT_TRUE(menu->AutoPopup());
}

// A control with a popup menu shows it on WM_CONTEXTMENU (through the hooks
// the menus unit installs) and forgets the menu when it is freed.
TEST_F(MenusTest, ControlShowsItsPopupMenuOnContextMenu) {
  HWND host = FocusWindow(200, 100);
  TWinControl* control = NewBy<TWinControl>(&TWinControl::CreateParented, host);
  control->SetBounds(0, 0, 200, 100);
  control->HandleNeeded();
  TPopupMenu* menu = New<TPopupMenu>(Root.get());
  TMenuItem* item = Item(Root.get(), u"&Kopyala", menu->Items());
  TCounter clicks;
  item->SetOnClick(TNotifyEvent(&clicks, &TCounter::Notify));
  control->SetPopupMenu(menu);
  EXPECT_EQ(control->PopupMenu(), menu);

  Screen.KeyPress(VK_DOWN);
  Screen.KeyPress(VK_RETURN);
  TMessage m{WM_CONTEXTMENU, WPARAM(control->Handle()), LPARAM(MAKELONG(50, 40)), 0};
  control->WindowProc()(m);
  Screen.ProcessMessages();
  EXPECT_EQ(m.Result, 1);
  EXPECT_EQ(clicks.Count, 1);
  EXPECT_EQ(menu->PopupComponent(), control);
  EXPECT_EQ(menu->PopupPoint(), (TPoint{50, 40}));

  // Without AutoPopup the control shows nothing.
  menu->SetAutoPopup(false);
  TMessage again{WM_CONTEXTMENU, WPARAM(control->Handle()), LPARAM(MAKELONG(50, 40)), 0};
  control->WindowProc()(again);
  EXPECT_EQ(again.Result, 0);

  Free(menu);
  EXPECT_EQ(control->PopupMenu(), nullptr);
  Free(control);
  DestroyWindow(host);
}

// --- Shortcuts of a menu -----------------------------------------------------------------------

TEST_F(MenusTest, IsShortCutRunsEnabledVisibleItemsOnly) {
  TPopupMenu* menu = New<TPopupMenu>(Root.get());
  TMenuItem* save = Item(Root.get(), u"Kaydet", menu->Items());
  TMenuItem* sub = Item(Root.get(), u"Alt", menu->Items());
  TMenuItem* deep = Item(Root.get(), u"Derin", sub);
  TMenuItem* off = Item(Root.get(), u"Kapalı", menu->Items());
  save->SetShortCut(TShortCut(scCtrl | 'S'));
  deep->SetShortCut(TShortCut(scAlt | 'X'));
  off->SetShortCut(TShortCut(VK_F3));
  off->SetEnabled(false);
  TCounter clicks;
  for (TMenuItem* it : {save, deep, off}) it->SetOnClick(TNotifyEvent(&clicks, &TCounter::Notify));

  EXPECT_TRUE(menu->IsShortCut(TShortCut(scCtrl | 'S')));
  EXPECT_EQ(clicks.Count, 1);
  EXPECT_FALSE(menu->IsShortCut(TShortCut(VK_F3)));  // disabled
  EXPECT_FALSE(menu->IsShortCut(TShortCut('S')));
  EXPECT_FALSE(menu->IsShortCut(TShortCut(0)));
  TMessage m{WM_SYSKEYDOWN, 'X', LPARAM(0x20000000), 0};
  TWMKey key(m);
  EXPECT_TRUE(menu->IsShortCut(key));
  EXPECT_EQ(clicks.Count, 2);
  sub->SetEnabled(false);  // a disabled parent hides its items' shortcuts
  EXPECT_FALSE(menu->IsShortCut(key));
  EXPECT_EQ(clicks.Count, 2);
}

// --- Owner drawing -------------------------------------------------------------------------------

TEST_F(MenusTest, OwnerDrawnItemsAreMeasuredAndDrawnByTheirEvents) {
  HWND focus = FocusWindow(50, 50);
  TPopupMenu* menu = New<TPopupMenu>(Root.get());
  menu->SetOwnerDraw(true);
  TMenuItem* one = Item(Root.get(), u"&Bir", menu->Items());
  TMenuItem* two = Item(Root.get(), u"&İki", menu->Items());
  struct TSink : TObject {
    std::vector<std::pair<TObject*, TOwnerDrawState>> Drawn;
    std::vector<TRect> Rects;
    void Measure(TObject*, TCanvas*, Integer& W, Integer& H) {
      W = 120;
      H = 30;
    }
    void Draw(TObject* Sender, TCanvas* C, TRect R, TOwnerDrawState State) {
      Drawn.push_back({Sender, State});
      Rects.push_back(R);
    }
  } sink;
  for (TMenuItem* it : {one, two}) {
    it->SetOnMeasureItem(TMenuMeasureItemEvent(&sink, &TSink::Measure));
    it->SetOnAdvancedDrawItem(TAdvancedMenuDrawItemEvent(&sink, &TSink::Draw));
  }
  EXPECT_TRUE(one->IsOwnerDraw());
  Screen.KeyPress(VK_DOWN);
  Screen.KeyPress(VK_ESCAPE);
  menu->Popup(300, 300);
  bool oneSelected = false, twoPlain = false;
  for (auto& [sender, state] : sink.Drawn) {
    if (sender == one && state.Contains(odSelected)) oneSelected = true;
    if (sender == two && !state.Contains(odSelected)) twoPlain = true;
  }
  EXPECT_TRUE(oneSelected);
  EXPECT_TRUE(twoPlain);
  ASSERT_FALSE(sink.Rects.empty());
  EXPECT_EQ(sink.Rects[0].Bottom - sink.Rects[0].Top, 30);
  EXPECT_EQ(sink.Rects[0].Right - sink.Rects[0].Left, 120);
  DestroyWindow(focus);
}

// Owner-drawn items have no text for the menu to read: their accelerators
// come back through WM_MENUCHAR.
TEST_F(MenusTest, AcceleratorsOfOwnerDrawnItems) {
  HWND focus = FocusWindow(50, 50);
  TPopupMenu* menu = New<TPopupMenu>(Root.get());
  menu->SetOwnerDraw(true);
  Item(Root.get(), u"&Bir", menu->Items());
  Item(Root.get(), u"Gizli &G", menu->Items())->SetVisible(false);
  TMenuItem* three = Item(Root.get(), u"&Üç", menu->Items());
  TCounter clicks;
  three->SetOnClick(TNotifyEvent(&clicks, &TCounter::Notify));
  // The hidden item has no place in the menu: the answer counts visible items.
  Screen.TypeText(u"ü");
  Screen.KeyPress(VK_ESCAPE);
  menu->Popup(100, 100);
  Screen.ProcessMessages();
  EXPECT_EQ(clicks.Count, 1);
  DestroyWindow(focus);
}

// The default drawing: selection colours, the check mark, grayed text.
TEST_F(MenusTest, DefaultDrawingUsesTheMenuColours) {
  TPopupMenu* menu = New<TPopupMenu>(Root.get());
  TMenuItem* item = Item(Root.get(), u"&Seçili", menu->Items());
  auto bmp = vcltest::MakeBitmap(160, 24, clFuchsia);
  TCanvas* c = bmp->Canvas();
  const TRect r{0, 0, 160, 24};
  struct TCase {
    Boolean Checked, Enabled;
    TOwnerDrawState State;
    TColor Background, Mark;  // Mark: a colour that must appear in the glyph box (clNone: none)
  } cases[] = {
      {false, true, TOwnerDrawState{odSelected}, clHighlight, clNone},
      {false, true, TOwnerDrawState{}, clMenu, clNone},
      {true, true, TOwnerDrawState{odSelected}, clHighlight, clHighlightText},
      {true, true, TOwnerDrawState{}, clMenu, clMenuText},
      {true, false, TOwnerDrawState{odGrayed}, clMenu, clGrayText},
  };
  for (const TCase& k : cases) {
    item->SetChecked(k.Checked);
    item->SetEnabled(k.Enabled);
    item->AdvancedDrawItem(c, r, k.State, false);
    EXPECT_EQ(vcltest::Px(bmp.get(), 1, 1), ColorToRGB(k.Background));
    EXPECT_EQ(vcltest::Px(bmp.get(), 158, 22), ColorToRGB(k.Background));
    bool markFound = false, textFound = false;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 22; ++x)
        if (k.Mark != clNone && vcltest::Px(bmp.get(), x, y) == ColorToRGB(k.Mark)) markFound = true;
    for (int y = 0; y < 24; ++y)
      for (int x = 26; x < 150; ++x)
        if (vcltest::Px(bmp.get(), x, y) != ColorToRGB(k.Background)) textFound = true;
    EXPECT_EQ(markFound, k.Mark != clNone) << k.Checked << k.Enabled;
    EXPECT_TRUE(textFound);
    vcltest::DumpIfFailed(bmp.get(), "menu-item");
  }
  // With the menu's images the item's image fills the glyph box (16 wide, 3 pixels each side).
  TImageList* images = NewBy<TImageList>(&TCustomImageList::CreateSize, 16, 16);
  auto red = vcltest::MakeBitmap(16, 16, clRed);
  images->Add(red.get(), nullptr);
  menu->SetImages(images);
  item->SetChecked(false);
  item->SetEnabled(true);
  item->SetImageIndex(0);
  EXPECT_TRUE(item->IsOwnerDraw());
  item->AdvancedDrawItem(c, r, TOwnerDrawState{}, false);
  EXPECT_EQ(vcltest::Px(bmp.get(), 3, 4), ColorToRGB(clRed));
  EXPECT_EQ(vcltest::Px(bmp.get(), 18, 19), ColorToRGB(clRed));
  EXPECT_EQ(vcltest::Px(bmp.get(), 1, 4), ColorToRGB(clMenu));
  menu->SetImages(nullptr);
  Free(images);
  item->SetImageIndex(-1);
  EXPECT_FALSE(item->IsOwnerDraw());

  // A separator is a line across the middle.
  TMenuItem* line = Item(Root.get(), u"-", menu->Items());
  line->AdvancedDrawItem(c, r, TOwnerDrawState{}, false);
  EXPECT_NE(vcltest::Px(bmp.get(), 80, 11), ColorToRGB(clMenu));
  EXPECT_EQ(vcltest::Px(bmp.get(), 80, 3), ColorToRGB(clMenu));
  Integer w = 0, h = 0;
  line->MeasureItem(c, w, h);
  EXPECT_LT(h, 12);
}

// --- Form streaming ----------------------------------------------------------------------------

class TMenuTestForm : public TComponent {
  CL_CLASS(TMenuTestForm, TComponent)
 public:
  void ItemClick(TObject*) { ++Clicks; }
  // As a form does: the owned components without a parent of their own.
  void GetChildren(TGetChildProc Proc, TComponent* Root) override {
    for (Integer i = 0; i < ComponentCount(); ++i)
      if (!Components(i)->HasParent()) Proc(Components(i));
  }
  int Clicks = 0;
};
CL_IMPLEMENT_CLASS_PUBLISHED(TMenuTestForm, P) { P.Method(u"ItemClick", &TMenuTestForm::ItemClick); }

const char kMenuForm[] =
    "object MenuTestForm: TMenuTestForm\r\n"
    "  object PopupMenu1: TPopupMenu\r\n"
    "    Alignment = paRight\r\n"
    "    Left = 8\r\n"
    "    Top = 16\r\n"
    "    object ItemOpen: TMenuItem\r\n"
    "      Caption = '&A'#231\r\n"
    "      ShortCut = 16463\r\n"
    "      OnClick = ItemClick\r\n"
    "    end\r\n"
    "    object N1: TMenuItem\r\n"
    "      Caption = '-'\r\n"
    "    end\r\n"
    "    object ItemExport: TMenuItem\r\n"
    "      Caption = 'D'#305#351'a aktar'\r\n"
    "      object ItemPdf: TMenuItem\r\n"
    "        Caption = 'PDF'\r\n"
    "        Checked = True\r\n"
    "        GroupIndex = 2\r\n"
    "        RadioItem = True\r\n"
    "      end\r\n"
    "      object ItemCsv: TMenuItem\r\n"
    "        Break = mbBarBreak\r\n"
    "        Caption = 'CSV'\r\n"
    "        Enabled = False\r\n"
    "        ImageIndex = 3\r\n"
    "        Visible = False\r\n"
    "      end\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

TEST_F(MenusTest, ItemTreeStreamsThroughTheTextForm) {
  RegisterClass(TMenuTestForm::StaticClass());
  std::string bin = ObjectTextToBinary(std::string(kMenuForm));
  Owned<TMemoryStream> in(New<TMemoryStream>());
  in->WriteBuffer(bin.data(), Integer(bin.size()));
  in->SetPosition(0);
  Owned<TComponent> form(ReadComponentFromStream(in.get(), nullptr));
  auto* f = dynamic_cast<TMenuTestForm*>(form.get());
  ASSERT_NE(f, nullptr);
  auto* menu = dynamic_cast<TPopupMenu*>(f->FindComponent(u"PopupMenu1"));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Alignment(), paRight);
  TMenuItem* items = menu->Items();
  ASSERT_EQ(items->Count(), 3);
  EXPECT_EQ(items->Items(0)->Caption(), u"&Aç");
  EXPECT_EQ(items->Items(0)->ShortCut(), TShortCut(scCtrl | 'O'));
  EXPECT_TRUE(items->Items(1)->IsLine());
  TMenuItem* exp = items->Items(2);
  ASSERT_EQ(exp->Count(), 2);
  EXPECT_TRUE(exp->Items(0)->Checked());
  EXPECT_EQ(exp->Items(0)->GroupIndex(), 2);
  EXPECT_FALSE(exp->Items(1)->Visible());
  EXPECT_EQ(exp->Items(1)->Break(), mbBarBreak);
  EXPECT_EQ(exp->Items(1)->Owner(), f);  // items belong to the form, their parent is the menu
  EXPECT_EQ(exp->Items(1)->GetParentComponent(), exp);
  EXPECT_EQ(items->Items(0)->GetParentComponent(), menu);
  items->Items(0)->Click();
  EXPECT_EQ(f->Clicks, 1);

  Owned<TMemoryStream> out(New<TMemoryStream>());
  WriteDescendentToStream(out.get(), f, nullptr);
  std::string text =
      ObjectBinaryToText(std::string(static_cast<const char*>(out->Memory()), size_t(out->Size())));
  EXPECT_EQ(text, kMenuForm);
  UnRegisterClass(TMenuTestForm::StaticClass());
}

TEST_F(MenusTest, BadParentInAFormIsAnError) {
  RegisterClass(TMenuTestForm::StaticClass());
  // A menu item directly under the form has no menu to join: the reader reports it.
  std::string bin =
      ObjectTextToBinary(std::string("object F: TMenuTestForm\r\n"
                                     "  object Stray: TImageList\r\n"
                                     "    object I: TMenuItem\r\n"
                                     "    end\r\n"
                                     "  end\r\n"
                                     "end\r\n"));
  Owned<TMemoryStream> in(New<TMemoryStream>());
  in->WriteBuffer(bin.data(), Integer(bin.size()));
  in->SetPosition(0);
  RegisterClass(TImageList::StaticClass());
  EXPECT_ANY_THROW(Owned<TComponent>(ReadComponentFromStream(in.get(), nullptr)));
  UnRegisterClass(TMenuTestForm::StaticClass());
}

}  // namespace
