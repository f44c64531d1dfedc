// The button and its glyphs, driven with real mouse and keyboard input on
// the headless screen.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/editors/vlButtons.h"
#include "lib/editors/vlTextEdit.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "lib/lookandfeel/vlWinXPLookAndFeelPainter.h"
#include "platform/classes/ClassRegistry.h"
#include "tests/lib/editors/FormFromText.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Streams.h"
#include "platform/classes/WeakRef.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Resources.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/UxTheme.h"
#include "platform/win/WinControls.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

// Records what the buttons and menus report.
class TButtonEvents : public TObject {
  CL_CLASS(TButtonEvents, TObject)
 public:
  std::vector<std::string> Log;
  std::vector<UINT> KeysOnPopup;    // queued for the menu's own loop
  TPoint ClickOnPopup{-1, -1};       // a screen click queued for the menu's loop
  backend::THeadlessBackend* Display{};
  TvlCustomButton* FreeOnClick{};
  TvlCustomButton* DisableOnMouseDown{};

  void Click(TObject* Sender) {
    Log.push_back("click:" + Name(Sender));
    if (FreeOnClick == Sender) {
      TvlCustomButton* b = FreeOnClick;
      FreeOnClick = nullptr;
      Free(b);
    }
  }
  void MouseDown(TObject* Sender, TMouseButton, TShiftState, Integer, Integer) {
    Log.push_back("down:" + Name(Sender));
    if (DisableOnMouseDown == Sender) DisableOnMouseDown->SetEnabledProp(false);
  }
  void MenuPopup(TObject*) {
    Log.push_back("menu");
    for (UINT k : KeysOnPopup) Display->KeyPress(k);
    if (ClickOnPopup.X >= 0) Display->Click(ClickOnPopup.X, ClickOnPopup.Y);
  }
  void ItemClick(TObject*) { Log.push_back("item"); }
  void Refuse(TObject*, Variant&, String&, Boolean& Error) {
    Log.push_back("validate");
    Error = true;
  }
  static std::string Name(TObject* Sender) {
    String n = static_cast<TComponent*>(Sender)->Name();
    return std::string(n.begin(), n.end());
  }
};
CL_IMPLEMENT_CLASS(TButtonEvents)

class ButtonTest : public controltest::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    Events = New<TButtonEvents>();
    Events->Display = &Display;
  }
  void TearDown() override {
    ControlFixture::TearDown();
    Free(Events);
  }
  TvlButton* AddButton(const String& AName, int Left, int Top, int Width = 90, int Height = 25) {
    TvlButton* b = Add<TvlButton>(Left, Top, Width, Height);
    b->SetName(AName);
    b->SetCaption(AName);
    b->SetOnClick(TNotifyEvent(Events, &TButtonEvents::Click));
    return b;
  }
  TPopupMenu* AddMenu() {
    TPopupMenu* menu = New<TPopupMenu>(static_cast<TComponent*>(Form));
    TMenuItem* item = New<TMenuItem>(static_cast<TComponent*>(menu));
    item->SetCaption(u"&Bir");
    item->SetOnClick(TNotifyEvent(Events, &TButtonEvents::ItemClick));
    menu->Items()->Add(item);
    menu->SetOnPopup(TNotifyEvent(Events, &TButtonEvents::MenuPopup));
    return menu;
  }
  void Press(TControl* C, int X, int Y) {
    TPoint p = At(C, X, Y);
    Display.MouseMove(p.X, p.Y);
    Display.MouseDown(p.X, p.Y);
    Pump();
  }
  void Release(TControl* C, int X, int Y) {
    TPoint p = At(C, X, Y);
    Display.MouseUp(p.X, p.Y);
    Pump();
  }
  void Key(UINT AKey) {
    Display.KeyPress(AKey);
    Pump();
  }
  using TLog = std::vector<std::string>;
  TButtonEvents* Events{};
};

// Runs a step from inside whatever message loop runs next (a modal form's).
class TLoopStep : public TObject {
  CL_CLASS(TLoopStep, TObject)
 public:
  void Post(std::function<void()> AStep) {
    FStep = std::move(AStep);
    FWnd = AllocateHWnd(TWndMethod(this, &TLoopStep::WndProc));
    PostMessageW(FWnd, WM_USER, 0, 0);
  }
  void Destroy() override {
    if (FWnd) DeallocateHWnd(FWnd);
    inherited::Destroy();
  }

 private:
  void WndProc(TMessage& Message) {
    if (Message.Msg == WM_USER)
      FStep();
    else
      Message.Result = DefWindowProcW(FWnd, Message.Msg, Message.WParam, Message.LParam);
  }
  std::function<void()> FStep;
  HWND FWnd{};
};
CL_IMPLEMENT_CLASS(TLoopStep)

// A bitmap strip of ACount cells of AWidth x AHeight, cell i filled with AColors[i].
TBitmap* NewStrip(int AWidth, int AHeight, std::vector<TColor> AColors) {
  TBitmap* b = New<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(AWidth * int(AColors.size()), AHeight);
  for (size_t i = 0; i < AColors.size(); ++i) {
    b->Canvas()->Brush()->SetColor(AColors[i]);
    b->Canvas()->FillRect(TRect{int(i) * AWidth, 0, int(i + 1) * AWidth, AHeight});
  }
  return b;
}

}  // namespace

// --- Glyphs -------------------------------------------------------------------------------------------------------

TEST_F(ButtonTest, AStripGivesItsNumberOfPicturesOnlyBelowFive) {
  TvlButton* b = AddButton(u"B", 10, 10);
  struct TCase {
    int Width, Height;
    TNumGlyphs Expected;
  } cases[] = {{64, 16, 4}, {32, 16, 2}, {80, 16, 1}, {30, 16, 1}, {16, 16, 1}};
  for (const TCase& c : cases) {
    TBitmap* strip = New<TBitmap>();
    Finally freeStrip([&] { Free(strip); });
    strip->SetSize(c.Width, c.Height);
    b->SetGlyph(strip);
    EXPECT_EQ(b->NumGlyphs(), c.Expected) << c.Width << " x " << c.Height;
  }
  b->SetNumGlyphs(9);
  EXPECT_EQ(b->NumGlyphs(), 4);
  b->SetNumGlyphs(0);
  EXPECT_EQ(b->NumGlyphs(), 1);
}

TEST_F(ButtonTest, EachStateShowsItsPictureSlot) {
  TvlButton* b = AddButton(u"B", 10, 10);
  TvlButtonGlyph* g = b->GlyphObject();
  struct TCase {
    TNumGlyphs Count;
    TvlButtonState State;
    Integer Slot;
  } cases[] = {{2, vlbsNormal, 0}, {2, vlbsHot, 0},     {2, vlbsDefault, 0},  {2, vlbsDisabled, 1},
               {2, vlbsPressed, 0}, {3, vlbsPressed, 2}, {1, vlbsDisabled, 1}, {4, vlbsPressed, 2}};
  for (const TCase& c : cases) {
    b->SetNumGlyphs(c.Count);
    EXPECT_EQ(g->SlotOfState(c.State), c.Slot) << c.Count << " " << int(c.State);
  }
}

// The disabled picture of a two-picture strip is its second cell; a
// one-picture strip gets a generated grey one.
TEST_F(ButtonTest, TheDisabledPictureComesFromTheStripOrIsGenerated) {
  TvlButton* b = AddButton(u"B", 10, 10);
  TBitmap* strip = NewStrip(8, 8, {clRed, clBlue});
  Finally freeStrip([&] { Free(strip); });
  b->SetGlyph(strip);
  TvlButtonGlyph* g = b->GlyphObject();
  TBitmap* cell = New<TBitmap>();
  Finally freeCell([&] { Free(cell); });
  auto centre = [&](Integer ASlot) {
    const Integer index = g->PrepareGlyph(ASlot);
    g->GlyphList()->GetImageInfo(index, cell, nullptr);
    return ColorToRGB(cell->Canvas()->Pixels(4, 4)) & 0xFFFFFF;
  };
  EXPECT_EQ(centre(0), ColorToRGB(clRed));
  EXPECT_EQ(centre(1), ColorToRGB(clBlue));
  EXPECT_EQ(centre(2), ColorToRGB(clRed));  // a third slot beyond the strip takes cell 0
  TBitmap* one = NewStrip(8, 8, {clRed});
  Finally freeOne([&] { Free(one); });
  b->SetGlyph(one);
  EXPECT_EQ(g->GlyphIndex(1), -1);  // the change dropped the prepared pictures
  const TColor disabled = centre(1);
  EXPECT_NE(disabled, ColorToRGB(clRed));
  EXPECT_EQ(GetRValue(disabled), GetGValue(disabled));  // grey
}

TEST_F(ButtonTest, PicturesOfOneSizeShareOneListAndFreedSlotsAreReused) {
  TvlButton* a = AddButton(u"A", 10, 10);
  TvlButton* b = AddButton(u"B", 10, 40);
  TBitmap* strip = NewStrip(10, 10, {clRed, clBlue});
  Finally freeStrip([&] { Free(strip); });
  a->SetGlyph(strip);
  b->SetGlyph(strip);
  a->GlyphObject()->PrepareGlyph(0);
  a->GlyphObject()->PrepareGlyph(1);
  b->GlyphObject()->PrepareGlyph(0);
  TvlGlyphList* list = a->GlyphObject()->GlyphList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list, b->GlyphObject()->GlyphList());
  EXPECT_EQ(list->UsedCount(), 3);
  EXPECT_EQ(list->Count(), 3);
  const Integer freed = a->GlyphObject()->GlyphIndex(1);
  a->SetNumGlyphs(1);  // drops a's pictures
  EXPECT_EQ(list->UsedCount(), 1);
  EXPECT_EQ(list->Count(), 3);  // the images stay
  b->GlyphObject()->PrepareGlyph(1);
  EXPECT_EQ(b->GlyphObject()->GlyphIndex(1), 0);  // the first freed slot
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(list->Count(), 3);
  TBitmap* other = NewStrip(12, 12, {clLime});
  Finally freeOther([&] { Free(other); });
  a->SetGlyph(other);
  a->GlyphObject()->PrepareGlyph(0);
  EXPECT_NE(a->GlyphObject()->GlyphList(), list);
  EXPECT_EQ(vlGlyphCache()->ListCount(), 2);
  Free(a);
  EXPECT_EQ(vlGlyphCache()->ListCount(), 1);
  Free(b);
  EXPECT_EQ(vlGlyphCache(), nullptr);  // the last glyph object took the empty cache with it
}

TEST_F(ButtonTest, LayoutPlacesPictureAndCaptionByMarginAndSpacing) {
  TvlButton* b = AddButton(u"B", 10, 10, 120, 40);
  TBitmap* strip = NewStrip(16, 16, {clRed});
  Finally freeStrip([&] { Free(strip); });
  b->SetGlyph(strip);
  TvlCanvas* canvas = vlGetScreenCanvas();
  canvas->SetFont(b->Font());
  TvlButtonGlyph* g = b->GlyphObject();
  const TRect client{0, 0, 120, 40};
  TPoint glyph;
  TRect text;
  // Automatic margin and spacing: three equal gaps.
  g->CalcLayout(canvas, client, 0, u"Wide", blGlyphLeft, -1, -1, 0, false, glyph, text);
  const Integer gap = glyph.X;
  EXPECT_EQ(text.Left - (glyph.X + 16), gap);
  EXPECT_LE(std::abs(120 - text.Right - gap), 2);
  EXPECT_EQ(glyph.Y, 12);
  // A given spacing centres the group.
  g->CalcLayout(canvas, client, 0, u"Wide", blGlyphLeft, -1, 8, 0, false, glyph, text);
  EXPECT_EQ(text.Left - (glyph.X + 16), 8);
  EXPECT_LE(std::abs(glyph.X - (120 - text.Right)), 1);
  // Right-to-left flags swap left and right; the offset moves both.
  g->CalcLayout(canvas, client, 1, u"Wide", blGlyphLeft, 5, 8, DT_RIGHT, false, glyph, text);
  EXPECT_EQ(glyph.X, 120 - 5 - 16 + 1);
  EXPECT_EQ(text.Right, glyph.X - 8);
  g->CalcLayout(canvas, client, 0, u"Wide", blGlyphTop, 4, 2, 0, false, glyph, text);
  EXPECT_EQ(glyph.Y, 4);
  EXPECT_EQ(text.Top, 4 + 16 + 2);
  EXPECT_EQ(glyph.X, 52);
  // Picture only: no caption space, the picture centred.
  b->SetPaintStyle(bpsGlyph);
  g->CalcLayout(canvas, client, 0, u"Wide", blGlyphLeft, -1, 4, 0, false, glyph, text);
  EXPECT_EQ(glyph.X, 52);
  EXPECT_EQ(text.Width(), 0);
}

// --- Properties ---------------------------------------------------------------------------------------------------

TEST_F(ButtonTest, ColoursFallBackToNormalAndNormalToDefault) {
  TvlButton* b = AddButton(u"B", 10, 10);
  TvlButtonColors* c = b->Colors();
  c->SetHot(clNone);
  EXPECT_FALSE(c->AssignedColors().Contains(vlbcHot));
  EXPECT_EQ(c->GetColorByState(vlbsHot), clDefault);
  c->SetDefault(clRed);
  EXPECT_EQ(c->GetColorByState(vlbsNormal), clRed);       // unassigned Normal shows Default
  EXPECT_EQ(c->GetColorByState(vlbsHot), clDefault);      // others show the stored Normal
  c->SetNormal(clBlue);
  EXPECT_EQ(c->GetColorByState(vlbsHot), clBlue);
  EXPECT_EQ(c->GetColorByState(vlbsPressed), clBlue);
  c->SetHot(clLime);
  EXPECT_EQ(c->GetColorByState(vlbsHot), clLime);
  c->SetDefaultText(clYellow);
  EXPECT_EQ(c->GetColorByState(vlbsNormal, true), clYellow);
  EXPECT_EQ(c->GetColorByState(vlbsDisabled, true), clDefault);
  c->SetAssignedColors(TvlButtonAssignedColors{});  // only the designer edits the set
  EXPECT_TRUE(c->AssignedColors().Contains(vlbcHot));
  EXPECT_TRUE(b->IsColorsStored());
}

TEST_F(ButtonTest, MarginBelowMinusOneIsRefused) {
  TvlButton* b = AddButton(u"B", 10, 10);
  b->SetMargin(3);
  b->SetMargin(-2);
  EXPECT_EQ(b->Margin(), 3);
  b->SetMargin(-1);
  EXPECT_EQ(b->Margin(), -1);
}

TEST_F(ButtonTest, OptimalSizeOfAnEmptyCaptionMeasuresOneSpace) {
  TvlButton* b = AddButton(u"B", 10, 10);
  b->SetCaption(u"");
  TSize empty{};
  b->GetOptimalSize(empty);
  b->SetCaption(u"&&");
  TSize amp{};
  b->GetOptimalSize(amp);
  TvlCanvas* canvas = vlGetScreenCanvas();
  canvas->SetFont(b->Font());
  EXPECT_EQ(empty.cx, canvas->TextWidth(u" ") + 3 * canvas->TextWidth(u"R"));
  EXPECT_EQ(empty.cy, MulDiv(canvas->TextHeight(u"Wg"), 14, 8));
  EXPECT_EQ(amp.cx, canvas->TextWidth(u"&") + 3 * canvas->TextWidth(u"R"));
}

TEST_F(ButtonTest, ButtonsNeverPaintWithTheOffice2003Painter) {
  TvlButton* b = AddButton(u"B", 10, 10);
  b->LookAndFeel()->SetNativeStyle(false);
  b->LookAndFeel()->SetKind(lfOffice11);
  EXPECT_EQ(b->GetPainterClass(), ClassOf<TvlWinXPLookAndFeelPainter>());
  SetThemesActive(false);
  nbCloseAllThemeHandles();
  Finally themesBack([&] {
    SetThemesActive(true);
    nbCloseAllThemeHandles();
  });
  EXPECT_EQ(b->GetPainterClass(), ClassOf<TvlStandardLookAndFeelPainter>());
  b->LookAndFeel()->SetKind(lfUltraFlat);
  EXPECT_EQ(b->GetPainterClass(), ClassOf<TvlUltraFlatLookAndFeelPainter>());
}

// --- Mouse and keyboard -------------------------------------------------------------------------------------------

TEST_F(ButtonTest, AClickSpaceAndTheAcceleratorClickOnce) {
  TvlButton* b = AddButton(u"Load", 10, 10);
  b->SetCaption(u"&YÜKLE");
  AddButton(u"Other", 10, 50);
  Pump();
  ClickAt(b, 20, 10);
  EXPECT_EQ(Events->Log, TLog({"click:Load"}));
  EXPECT_TRUE(b->Focused());
  Events->Log.clear();
  Key(VK_SPACE);
  EXPECT_EQ(Events->Log, TLog({"click:Load"}));
  Events->Log.clear();
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, WPARAM(u'y'), 0), 1);
  EXPECT_EQ(Events->Log, TLog({"click:Load"}));
  EXPECT_FALSE(b->InternalState().Contains(bisAccelExecute));
}

TEST_F(ButtonTest, StatePerOwnerDrawFollowsTheMouse) {
  TvlButton* b = AddButton(u"B", 10, 10);
  b->LookAndFeel()->SetKind(lfUltraFlat);
  b->LookAndFeel()->SetNativeStyle(false);
  Pump();
  EXPECT_EQ(b->LastPaintState(), vlbsNormal);
  MoveTo(b, 20, 10);
  EXPECT_EQ(b->LastPaintState(), vlbsHot);
  Press(b, 20, 10);
  EXPECT_EQ(b->LastPaintState(), vlbsPressed);
  MoveTo(b, 200, 10);  // out while held: the button comes up
  EXPECT_NE(b->LastPaintState(), vlbsPressed);
  Release(b, 200, 10);
  EXPECT_TRUE(Events->Log.empty());
  // The focused button shows itself as the default one.
  EXPECT_EQ(b->LastPaintState(), vlbsDefault);
  b->SetEnabledProp(false);
  Pump();
  EXPECT_EQ(b->LastPaintState(), vlbsDisabled);
  EXPECT_FALSE(b->InternalState().Contains(bisHot));
}

TEST_F(ButtonTest, ADefaultButtonClicksOnEnterFromAnEditorAndCancelOnEscape) {
  struct TCase {
    const char* Name;
    UINT Key;
    Integer Expected;
  } cases[] = {{"enter", VK_RETURN, mrOk}, {"escape", VK_ESCAPE, mrCancel}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm* dialog = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
    Finally freeDialog([&] { Free(dialog); });
    dialog->SetPosition(poDesigned);
    dialog->SetBounds(150, 150, 300, 160);
    TEdit* edit = New<TEdit>(static_cast<TComponent*>(dialog));
    edit->SetBounds(10, 10, 100, 21);
    edit->SetParent(dialog);
    TvlButton* ok = New<TvlButton>(static_cast<TComponent*>(dialog));
    ok->SetName(u"Ok");
    ok->SetCaption(u"&TAMAM");
    ok->SetBounds(10, 60, 121, 33);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    ok->SetOnClick(TNotifyEvent(Events, &TButtonEvents::Click));
    ok->SetParent(dialog);
    TvlButton* cancel = New<TvlButton>(static_cast<TComponent*>(dialog));
    cancel->SetCaption(u"İptal");
    cancel->SetBounds(150, 60, 90, 33);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    cancel->SetParent(dialog);
    dialog->SetActiveControl(edit);
    Events->Log.clear();
    // The key is typed from inside the modal loop, once the dialog shows.
    TvlButtonState okState = vlbsNormal;
    TLoopStep* step = New<TLoopStep>();
    Finally freeStep([&] { Free(step); });
    step->Post([&] {
      okState = ok->LastPaintState();
      Display.KeyPress(c.Key);
    });
    EXPECT_EQ(dialog->ShowModal(), c.Expected);
    if (c.Key == VK_RETURN) {
      EXPECT_EQ(Events->Log, TLog({"click:Ok"}));
    } else {
      EXPECT_TRUE(Events->Log.empty());
    }
    EXPECT_EQ(okState, vlbsDefault);  // shown as the default button while the editor has the focus
  }
}

TEST_F(ButtonTest, SpeedButtonsOfAGroupStayExclusive) {
  TvlButton* a = AddButton(u"A", 10, 10);
  TvlButton* b = AddButton(u"B", 110, 10);
  TvlButton* focus = AddButton(u"F", 210, 10);
  for (TvlButton* s : {a, b}) {
    s->SpeedButtonOptions()->SetFlat(true);
    s->SetCanBeFocused(false);
    s->SetGroupIndex(1);
  }
  focus->SetFocus();
  Pump();
  ClickAt(a, 20, 10);
  EXPECT_TRUE(a->Down());
  EXPECT_TRUE(focus->Focused());  // a speed button never takes the focus
  EXPECT_EQ(a->LastPaintState(), vlbsPressed);
  ClickAt(b, 20, 10);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  ClickAt(b, 20, 10);  // the last one down cannot be released by itself
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(Events->Log, TLog({"click:A", "click:B", "click:B"}));
  b->SetAllowAllUp(true);
  EXPECT_TRUE(a->AllowAllUp());  // the group takes the option
  ClickAt(b, 20, 10);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(a->Down());
  // A double click is two presses.
  Events->Log.clear();
  TPoint p = At(a, 20, 10);
  Display.DoubleClick(p.X, p.Y);
  Pump();
  EXPECT_EQ(Events->Log, TLog({"click:A", "click:A"}));
  EXPECT_FALSE(a->Down());
}

TEST_F(ButtonTest, TheArrowPartOpensTheMenuAndTheRestClicks) {
  TvlButton* b = AddButton(u"D", 10, 10, 100, 25);
  b->SetKind(vlbkDropDownButton);
  b->SetDropDownMenu(AddMenu());
  Pump();
  Events->KeysOnPopup = {VK_ESCAPE};
  ClickAt(b, 92, 10);
  EXPECT_EQ(Events->Log, TLog({"menu"}));
  EXPECT_FALSE(b->InternalState().Contains(bisMenuVisible));
  Events->Log.clear();
  ClickAt(b, 30, 10);
  EXPECT_EQ(Events->Log, TLog({"click:D"}));
  // The click that closes the open menu on the arrow part does not open it again.
  Events->Log.clear();
  Events->KeysOnPopup = {};
  Events->ClickOnPopup = At(b, 92, 10);
  ClickAt(b, 92, 10);
  Pump();
  EXPECT_EQ(Events->Log, TLog({"menu"}));
  EXPECT_FALSE(b->IsDropDownMenuClosing());
  // Alt+Down opens it from the keyboard; choosing an item clicks the item only.
  Events->Log.clear();
  Events->ClickOnPopup = TPoint{-1, -1};
  Events->KeysOnPopup = {VK_DOWN, VK_RETURN};
  b->SetFocus();
  Pump();
  Display.KeyDown(VK_MENU);
  Display.KeyPress(VK_DOWN);
  Display.KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(Events->Log, TLog({"menu", "item"}));
}

TEST_F(ButtonTest, ADropDownButtonOpensItsMenuAndNeverClicks) {
  TvlButton* b = AddButton(u"D", 10, 10);
  b->SetKind(vlbkDropDown);
  Pump();
  ClickAt(b, 20, 10);  // no menu: nothing
  Key(VK_SPACE);
  EXPECT_TRUE(Events->Log.empty());
  b->SetDropDownMenu(AddMenu());
  Events->KeysOnPopup = {VK_ESCAPE};
  ClickAt(b, 20, 10);
  Key(VK_SPACE);
  EXPECT_EQ(Events->Log, TLog({"menu", "menu"}));
  // The menu's free notification clears the reference.
  Free(b->DropDownMenu());
  EXPECT_EQ(b->DropDownMenu(), nullptr);
}

TEST_F(ButtonTest, DisabledOrFreedWhileTheMouseIsHeld) {
  TvlButton* b = AddButton(u"B", 10, 10);
  b->SetOnMouseDown(TMouseEvent(Events, &TButtonEvents::MouseDown));
  Events->DisableOnMouseDown = b;
  Pump();
  Press(b, 20, 10);
  EXPECT_FALSE(b->Enabled());
  Release(b, 20, 10);
  EXPECT_EQ(Events->Log, TLog({"down:B"}));
  EXPECT_EQ(b->LastPaintState(), vlbsDisabled);
  // Freed from its own OnClick by the mouse, and by a speed click.
  for (Boolean speed : {false, true}) {
    SCOPED_TRACE(speed);
    TvlButton* f = AddButton(u"F", 10, 50);
    if (speed) f->SetCanBeFocused(false);
    Events->FreeOnClick = f;
    TWeakRef<TvlButton> ref(f);
    Pump();
    Events->Log.clear();
    Press(f, 20, 10);
    Release(f, 20, 10);
    EXPECT_FALSE(ref);
    EXPECT_EQ(Events->Log, TLog({"click:F"}));
    MoveTo(Form, 30, 65);
  }
}

TEST_F(ButtonTest, ThePortDialogButtonReadsFromAFormFile) {
  RegisterClass(TvlButton::StaticClass());
  const char* text =
      "object PortForm: TForm\n"
      "  object btOK: TvlButton\n"
      "    Left = 32\n"
      "    Top = 82\n"
      "    Width = 121\n"
      "    Height = 33\n"
      "    Caption = '&TAMAM'\n"
      "    Default = True\n"
      "    ModalResult = 1\n"
      "    NumGlyphs = 2\n"
      "    Spacing = 8\n"
      "    LookAndFeel.Kind = lfUltraFlat\n"
      "    LookAndFeel.NativeStyle = False\n"
      "    SpeedButtonOptions.GroupIndex = 3\n"
      "    Colors.Hot = clRed\n"
      "  end\n"
      "end\n";
  TForm* form = NewFormFromText(RawByteString(text));
  Finally freeForm([&] { Free(form); });
  auto* b = dynamic_cast<TvlButton*>(form->FindComponent(u"btOK"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Caption(), u"&TAMAM");
  EXPECT_TRUE(b->Default());
  EXPECT_EQ(b->ModalResult(), 1);
  EXPECT_EQ(b->NumGlyphs(), 2);
  EXPECT_EQ(b->Spacing(), 8);
  EXPECT_EQ(b->LookAndFeel()->Kind(), lfUltraFlat);
  EXPECT_FALSE(b->LookAndFeel()->NativeStyle());
  EXPECT_EQ(b->GroupIndex(), 3);
  EXPECT_EQ(b->Colors()->Hot(), clRed);
  EXPECT_TRUE(b->Colors()->AssignedColors().Contains(vlbcHot));
}

// --- A failing world ------------------------------------------------------------------------------------------------

TEST_F(ButtonTest, AButtonFreedFromItsOwnClickByTheKeyboard) {
  struct TCase {
    const char* Name;
    Boolean FocusEditor;  // else the button has the focus
    std::vector<UINT> Keys;
  } cases[] = {
      {"space", false, {VK_SPACE}},
      {"enter on the default button from an editor", true, {VK_RETURN}},
      {"accelerator from an editor", true, {VK_MENU, 'F'}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TEdit* edit = Add<TEdit>(10, 100, 100, 21);
    TvlButton* f = AddButton(u"F", 10, 50);
    f->SetCaption(u"&F");
    f->SetDefault(true);
    TWeakRef<TvlButton> ref(f);
    Finally cleanup([&] {
      if (ref) Free(f);
      Free(edit);
    });
    Events->FreeOnClick = f;
    Pump();
    if (c.FocusEditor)
      edit->SetFocus();
    else
      f->SetFocus();
    Pump();
    Events->Log.clear();
    if (c.Keys.size() == 2) {
      Display.KeyDown(c.Keys[0]);
      Display.KeyPress(c.Keys[1]);
      Display.KeyUp(c.Keys[0]);
    } else {
      Display.KeyPress(c.Keys[0]);
    }
    Pump();
    EXPECT_FALSE(ref);
    EXPECT_EQ(Events->Log, TLog({"click:F"}));
    Events->FreeOnClick = nullptr;
  }
}

TEST_F(ButtonTest, ASpeedGroupGoesOnWhenItsDownButtonIsFreedOrHidden) {
  for (Boolean hide : {false, true}) {
    SCOPED_TRACE(hide ? "hidden" : "freed");
    TvlButton* a = AddButton(u"A", 10, 10);
    TvlButton* b = AddButton(u"B", 110, 10);
    TWeakRef<TvlButton> aRef(a);
    Finally cleanup([&] {
      if (aRef) Free(a);
      Free(b);
    });
    for (TvlButton* s : {a, b}) {
      s->SetCanBeFocused(false);
      s->SetGroupIndex(1);
    }
    Pump();
    ClickAt(a, 20, 10);
    ASSERT_TRUE(a->Down());
    if (hide)
      a->SetVisible(false);
    else
      Free(a);
    Pump();
    Events->Log.clear();
    ClickAt(b, 20, 10);
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(Events->Log, TLog({"click:B"}));
    if (hide) {
      EXPECT_FALSE(a->Down());  // a hidden member still leaves the group exclusive
      a->SetVisible(true);
      Pump();
      ClickAt(a, 20, 10);
      EXPECT_TRUE(a->Down());
      EXPECT_FALSE(b->Down());
    }
  }
}

TEST_F(ButtonTest, EnterWhileAMenuIsOpenChoosesTheItemAndNotTheDefaultButton) {
  TEdit* edit = Add<TEdit>(10, 100, 100, 21);
  TvlButton* ok = AddButton(u"Ok", 10, 50);
  ok->SetDefault(true);
  TvlButton* d = AddButton(u"D", 10, 10, 100, 25);
  d->SetKind(vlbkDropDownButton);
  d->SetCanBeFocused(false);  // the editor keeps the focus while the menu opens
  d->SetDropDownMenu(AddMenu());
  Pump();
  edit->SetFocus();
  Pump();
  Events->KeysOnPopup = {VK_DOWN, VK_RETURN};
  ClickAt(d, 92, 10);
  Pump();
  EXPECT_EQ(Events->Log, TLog({"menu", "item"}));
  EXPECT_TRUE(edit->Focused());
  // With the menu gone, Enter clicks the default button again.
  Events->Log.clear();
  Key(VK_RETURN);
  EXPECT_EQ(Events->Log, TLog({"click:Ok"}));
}

TEST_F(ButtonTest, TheDropDownMenuOpensOnceAtATimeAndAgainAfterItCloses) {
  TvlButton* b = AddButton(u"D", 10, 10, 100, 25);
  b->SetKind(vlbkDropDown);
  b->SetPopupAlignment(paCenter);
  TPopupMenu* menu = AddMenu();
  menu->SetAlignment(paRight);
  b->SetDropDownMenu(menu);
  Pump();
  // A second request that reaches the button while its menu shows (queued
  // before the first was handled) does not open a second menu.
  Events->KeysOnPopup = {VK_ESCAPE};
  PostMessageW(b->Handle(), VLM_DROPDOWNPOPUPMENU, 0, 0);
  PostMessageW(b->Handle(), VLM_DROPDOWNPOPUPMENU, 0, 0);
  Pump();
  Pump();
  EXPECT_EQ(Events->Log, TLog({"menu"}));
  EXPECT_FALSE(b->InternalState().Contains(bisMenuVisible));
  EXPECT_EQ(menu->Alignment(), paRight);
  // Opened again by the mouse, twice in a row.
  for (int i = 0; i < 2; ++i) {
    Events->Log.clear();
    ClickAt(b, 20, 10);
    Pump();
    EXPECT_EQ(Events->Log, TLog({"menu"}));
    EXPECT_EQ(menu->PopupComponent(), b);
    EXPECT_EQ(menu->Alignment(), paRight);
    EXPECT_FALSE(b->InternalState().Contains(bisMenuVisible));
    EXPECT_EQ(b->LastPaintState(), vlbsHot);
  }
}

TEST_F(ButtonTest, EscapeOnTheCancelButtonLeavesARefusedPendingValueUnchecked) {
  TForm* dialog = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  Finally freeDialog([&] { Free(dialog); });
  dialog->SetPosition(poDesigned);
  dialog->SetBounds(150, 150, 300, 160);
  TvlTextEdit* edit = New<TvlTextEdit>(static_cast<TComponent*>(dialog));
  edit->SetBounds(10, 10, 100, 21);
  edit->SetParent(dialog);
  edit->Properties()->SetOnValidate(TvlEditValidateEvent(Events, &TButtonEvents::Refuse));
  TvlButton* cancel = New<TvlButton>(static_cast<TComponent*>(dialog));
  cancel->SetName(u"Cancel");
  cancel->SetCaption(u"İptal");
  cancel->SetBounds(150, 60, 90, 33);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  cancel->SetOnClick(TNotifyEvent(Events, &TButtonEvents::Click));
  cancel->SetParent(dialog);
  dialog->SetActiveControl(edit);
  TLoopStep* step = New<TLoopStep>();
  Finally freeStep([&] { Free(step); });
  // Typed and then given up from inside the modal loop: the first Escape may
  // revert the editor, the next reaches the Cancel button.
  step->Post([&] {
    Display.TypeText(u"12");
    Application->ProcessMessages();
    for (int i = 0; i < 2 && dialog->ModalResult() == mrNone; ++i) {
      Display.KeyPress(VK_ESCAPE);
      Application->ProcessMessages();
    }
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(Events->Log, TLog({"click:Cancel"}));
}
