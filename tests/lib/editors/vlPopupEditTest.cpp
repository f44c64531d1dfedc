// The popup edit on the headless screen: a panel lent to the popup and
// given back, the circular-reference check, the default size rules.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "lib/editors/vlPopupEdit.h"
#include "lib/lookandfeel/nbSkinsLookAndFeelPainter.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/lib/editors/FormFromText.h"
#include "tests/lib/editors/ScreenSheet.h"
#include "tests/lib/lookandfeel/ControlFixture.h"

using namespace win;

namespace {

class PopupEditTest : public controltest::ControlFixture {
 protected:
  TvlPopupEdit* AddEdit(TWinControl* AParent = nullptr) {
    TvlPopupEdit* e = Add<TvlPopupEdit>(10, 10, 150, 21, AParent);
    // The tests drive the open popup from outside instead of from its modal loop.
    e->PopupWindow()->SetModalMode(false);
    Pump();
    return e;
  }
  TPanel* AddPanel(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
    TPanel* p = Add<TPanel>(ALeft, ATop, AWidth, AHeight);
    Pump();
    return p;
  }
  // The popup edit open with a lent panel and its system panel, styled by
  // AStyle, put into row ARow of the sheet: the popup below the editor (column
  // 0) and above it near the bottom of the screen (column 1).
  void PutOpenPopups(editors_test::TScreenSheet& ASheet, int ARow,
                     const std::function<void(TvlPopupEdit*)>& AStyle) {
    for (int col = 0; col < 2; ++col) {
      if (col == 1) Form->SetBounds(100, GetSystemMetrics(SM_CYSCREEN) - 60, 400, 50);
      TvlPopupEdit* e = AddEdit();
      TPanel* panel = AddPanel(300, 10, 120, 60);
      panel->SetCaption(u"panel");
      e->Properties()->SetPopupControl(panel);
      e->Properties()->SetPopupSysPanelStyle(true);
      AStyle(e);
      Display.MouseMove(1270, 10);
      e->SetDroppedDown(true);
      Pump();
      EXPECT_TRUE(e->DroppedDown());
      const TPoint o = e->ClientToScreen(col == 0 ? TPoint{-4, -4} : TPoint{-4, e->Height() + 4 - 150});
      ASheet.PutArea(Display, o, col, ARow);
      e->SetDroppedDown(false);
      Free(e);
      Free(panel);
      if (col == 1) Form->SetBounds(100, 100, 400, 300);
      Pump();
    }
  }
};

TEST_F(PopupEditTest, APanelIsLentToThePopupAndGivenBack) {
  TvlPopupEdit* e = AddEdit();
  TPanel* panel = AddPanel(200, 40, 160, 120);
  panel->SetAlign(alNone);
  e->Properties()->SetPopupControl(panel);
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  TvlCustomEditPopupWindow* w = e->PopupWindow();
  EXPECT_EQ(panel->Parent(), w);
  EXPECT_EQ(panel->Align(), alClient);
  // With PopupAutoSize the popup is the panel's size plus the frame.
  const TRect ext = w->ViewInfo()->GetClientExtent();
  EXPECT_EQ(w->Width(), std::max(160 + ext.Left + ext.Right, 100));
  EXPECT_EQ(w->Height(), std::max(120 + ext.Top + ext.Bottom, 100));
  EXPECT_EQ(panel->BoundsRect(), w->ViewInfo()->ClientRect);
  e->SetDroppedDown(false);
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(panel->Parent(), Form);
  EXPECT_EQ(panel->Align(), alNone);
  EXPECT_EQ(panel->BoundsRect(), (TRect{200, 40, 360, 160}));
  EXPECT_TRUE(panel->Visible());
}

TEST_F(PopupEditTest, WithoutAPopupControlItNeverOpens) {
  TvlPopupEdit* e = AddEdit();
  e->SetDroppedDown(true);
  Pump();
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(vlOpenPopupCount(), 0);
}

TEST_F(PopupEditTest, LendingAControlThatHoldsTheEditorIsRefused) {
  TPanel* holder = AddPanel(10, 10, 200, 100);
  TvlPopupEdit* e = AddEdit(holder);
  for (TControl* c : {static_cast<TControl*>(holder), static_cast<TControl*>(Form), static_cast<TControl*>(e)}) {
    e->Properties()->SetPopupControl(c);
    try {
      e->SetDroppedDown(true);
      ADD_FAILURE() << "no error";
    } catch (const EvlEditError& x) {
      EXPECT_EQ(x.Message(), u"Circular referencing is not allowed");
    }
    Pump();
    EXPECT_FALSE(e->DroppedDown());
    EXPECT_EQ(holder->Parent(), Form);
    EXPECT_EQ(e->Parent(), holder);
  }
}

TEST_F(PopupEditTest, TheLentControlComesBackWhenTheEditorIsFreedOpen) {
  TvlPopupEdit* e = AddEdit();
  TPanel* panel = AddPanel(200, 40, 160, 120);
  e->Properties()->SetPopupControl(panel);
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  Free(e);
  EXPECT_EQ(panel->Parent(), Form);
  EXPECT_EQ(vlOpenPopupCount(), 0);
}

// The form that owns the lent control freed while the popup is open: the
// control goes with its form, and the popup edit closes without giving back
// a freed control.
TEST_F(PopupEditTest, TheLentControlsFormFreedWhileOpen) {
  TvlPopupEdit* e = AddEdit();
  TForm* other = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  other->SetBounds(150, 150, 300, 200);
  other->Show();
  TPanel* panel = New<TPanel>(static_cast<TComponent*>(other));
  panel->SetBounds(10, 10, 120, 80);
  panel->SetParent(other);
  Pump();
  e->Properties()->SetPopupControl(panel);
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  Free(other);
  Pump();
  EXPECT_EQ(e->Properties()->PopupControl(), nullptr);
  e->SetDroppedDown(false);
  Pump();
  EXPECT_FALSE(e->DroppedDown());
  EXPECT_EQ(vlOpenPopupCount(), 0);
  // It opens no more without a control.
  e->SetDroppedDown(true);
  Pump();
  EXPECT_FALSE(e->DroppedDown());
}

TEST_F(PopupEditTest, WithoutAutoSizeItOpensAtItsDefaultSize) {
  TvlPopupEdit* e = AddEdit();
  TPanel* panel = AddPanel(200, 40, 50, 50);
  e->Properties()->SetPopupControl(panel);
  e->Properties()->SetPopupAutoSize(false);
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  EXPECT_EQ(e->PopupWindow()->Width(), 250);
  EXPECT_EQ(e->PopupWindow()->Height(), 200);
  e->SetDroppedDown(false);
}

// --- Form streaming -------------------------------------------------------------------------------------------

// A popup edit read from a text form: its properties, the lent control named
// by reference, and written back with only what differs from the defaults.
TEST_F(PopupEditTest, APopupEditReadFromATextFormAndWrittenBack) {
  const char* const text =
      "object F: TForm\n"
      "  Left = 40\n"
      "  Top = 40\n"
      "  Width = 500\n"
      "  Height = 400\n"
      "  object Panel1: TPanel\n"
      "    Left = 200\n"
      "    Top = 60\n"
      "    Width = 160\n"
      "    Height = 120\n"
      "  end\n"
      "  object E: TvlPopupEdit\n"
      "    Left = 10\n"
      "    Top = 10\n"
      "    Width = 150\n"
      "    Properties.ImmediatePopup = False\n"
      "    Properties.PopupAutoSize = False\n"
      "    Properties.PopupControl = Panel1\n"
      "    Properties.PopupMinWidth = 120\n"
      "    Properties.PopupHeight = 150\n"
      "    Properties.PopupSysPanelStyle = True\n"
      "    Properties.PopupWidth = 300\n"
      "    Properties.ValidateOnEnter = False\n"
      "    Text = 'abc'\n"
      "  end\n"
      "end\n";
  TForm* f = NewFormFromText(RawByteString(text));
  Finally freeForm([&] { Free(f); });
  auto* e = dynamic_cast<TvlPopupEdit*>(f->FindComponent(u"E"));
  auto* panel = dynamic_cast<TPanel*>(f->FindComponent(u"Panel1"));
  ASSERT_NE(e, nullptr);
  ASSERT_NE(panel, nullptr);
  TvlPopupEditProperties* p = e->Properties();
  EXPECT_EQ(p->PopupControl(), panel);
  EXPECT_FALSE(p->ImmediatePopup());
  EXPECT_TRUE(p->ImmediateDropDown());
  EXPECT_FALSE(p->PopupAutoSize());
  EXPECT_EQ(p->PopupWidth(), 300);
  EXPECT_EQ(p->PopupHeight(), 150);
  EXPECT_EQ(p->PopupMinWidth(), 120);
  EXPECT_EQ(p->PopupMinHeight(), 100);
  EXPECT_TRUE(p->PopupSizeable());
  EXPECT_TRUE(p->PopupSysPanelStyle());
  EXPECT_FALSE(p->ValidateOnEnter());
  EXPECT_EQ(e->Text(), u"abc");

  // Opened on the shown form: the panel inside a popup of the stored size with its system panel.
  f->Show();
  e->PopupWindow()->SetModalMode(false);
  Pump();
  e->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(e->DroppedDown());
  EXPECT_EQ(panel->Parent(), e->PopupWindow());
  EXPECT_EQ(e->PopupWindow()->Width(), 300);
  EXPECT_EQ(e->PopupWindow()->Height(), 150);
  EXPECT_GT(e->PopupWindow()->ViewInfo()->SysPanelHeight, 0);
  e->SetDroppedDown(false);
  Pump();

  TMemoryStream* out = New<TMemoryStream>();
  Finally freeOut([&] { Free(out); });
  out->WriteComponent(f);
  const std::string written(
      ObjectBinaryToText(RawByteString(static_cast<const char*>(out->Memory()), size_t(out->Size()))));
  for (const char* line : {"Properties.PopupControl = Panel1", "Properties.PopupWidth = 300",
                           "Properties.PopupHeight = 150", "Properties.PopupMinWidth = 120",
                           "Properties.ImmediatePopup = False", "Properties.ValidateOnEnter = False"})
    EXPECT_NE(written.find(line), std::string::npos) << line;
  for (const char* line : {"PopupMinHeight", "PopupSizeable", "ImmediateDropDown", "ValidateOnEnter = True"})
    EXPECT_EQ(written.find(line), std::string::npos) << line;
}

// --- Activation by a key in a cell ------------------------------------------------------------------------------

// The key that activates the editor in a cell: with ImmediateDropDown (and no
// ImmediatePopup) it opens the popup and goes to the popup's focused
// control; without ImmediateDropDown it is typed into the editor.
TEST_F(PopupEditTest, TheActivationKeyOpensThePopupAndReachesItsControl) {
  for (const Boolean immediate : {true, false}) {
    SCOPED_TRACE(immediate ? "ImmediateDropDown" : "typed");
    TvlPopupEdit* e = New<TvlPopupEdit>(static_cast<TComponent*>(Form), Boolean(true));
    TvlCustomEditData* data = nullptr;
    Finally freeAll([&] {
      Free(e);
      Free(data);
    });
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(Form);
    e->PopupWindow()->SetModalMode(false);
    TPanel* panel = AddPanel(200, 40, 160, 120);
    TEdit* field = New<TEdit>(static_cast<TComponent*>(Form));
    field->SetParent(panel);
    field->SetBounds(10, 10, 100, 21);
    e->Properties()->SetPopupControl(panel);
    e->Properties()->SetImmediatePopup(false);
    e->Properties()->SetImmediateDropDown(immediate);
    Pump();
    e->ActivateByKey(Char(u'x'), data);
    Pump();
    EXPECT_EQ(e->DroppedDown(), immediate);
    EXPECT_EQ(field->Text(), immediate ? u"x" : u"");
    EXPECT_EQ(e->Text(), immediate ? u"" : u"x");
    e->SetDroppedDown(false);
    Pump();
  }
}

// The popup's border style when the editor's style leaves it default follows
// the editor: in a cell its look and feel, stand-alone its own border; a
// style's own value wins. The popup edit draws its 3D frame with an
// inactive-border ring and a face ring inside the raised edges.
TEST_F(PopupEditTest, ThePopupBorderFollowsTheEditorAndItsStyle) {
  struct TCase {
    const char* Name;
    TvlLookAndFeelKind Kind;
    Boolean InCell;
    TvlEditPopupBorderStyle Own, Expected;
    Integer Width;
  } cases[] = {
      {"standard", lfStandard, false, epbsDefault, epbsSingle, 1},
      {"flat", lfFlat, false, epbsDefault, epbsFlat, 2},
      {"ultra-flat", lfUltraFlat, false, epbsDefault, epbsSingle, 1},
      {"Office 2003", lfOffice11, false, epbsDefault, epbsSingle, 1},
      {"standard in a cell", lfStandard, true, epbsDefault, epbsFrame3D, 4},
      {"flat in a cell", lfFlat, true, epbsDefault, epbsFlat, 2},
      {"ultra-flat in a cell", lfUltraFlat, true, epbsDefault, epbsSingle, 1},
      {"own 3D frame", lfUltraFlat, false, epbsFrame3D, epbsFrame3D, 4},
  };
  auto pixel = [&](TPoint p) {
    const uint32_t v = Display.Pixels()[size_t(p.Y) * size_t(Display.Width()) + size_t(p.X)] & 0xFFFFFF;
    return TColor(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
  };
  for (const TCase& t : cases) {
    SCOPED_TRACE(t.Name);
    TvlPopupEdit* e = AddEdit();
    if (t.InCell) {
      Free(e);
      e = New<TvlPopupEdit>(static_cast<TComponent*>(Form), Boolean(true));
      e->SetBounds(10, 10, 150, 21);
      e->SetParent(Form);
      e->PopupWindow()->SetModalMode(false);
    }
    TPanel* panel = AddPanel(300, 10, 120, 60);
    TvlCustomEditData* data = nullptr;
    Finally freeAll([&] {
      Free(e);
      Free(panel);
      Free(data);
      Pump();
    });
    e->Properties()->SetPopupControl(panel);
    e->Properties()->SetPopupClientEdge(false);
    e->Style()->LookAndFeel()->SetNativeStyle(false);
    e->Style()->LookAndFeel()->SetKind(t.Kind);
    if (t.Own != epbsDefault) e->Style()->SetPopupBorderStyle(t.Own);
    if (t.InCell) e->Activate(data);
    e->SetDroppedDown(true);
    Pump();
    ASSERT_TRUE(e->DroppedDown());
    TvlCustomEditPopupWindow* w = e->PopupWindow();
    EXPECT_EQ(w->BorderStyle(), t.Expected);
    const TRect ext = w->ViewInfo()->GetClientExtent();
    EXPECT_EQ(ext.Left, t.Width);
    if (t.Expected == epbsFrame3D) {
      Display.Compose();
      const TPoint o = w->ClientToScreen(TPoint{0, w->Height() / 2});
      EXPECT_EQ(pixel(TPoint{o.X + 2, o.Y}), ColorToRGB(clInactiveBorder));
      EXPECT_EQ(pixel(TPoint{o.X + 3, o.Y}), ColorToRGB(clBtnFace));
    }
    e->SetDroppedDown(false);
  }
}

// --- Pictures -----------------------------------------------------------------------------------------------

// Per painter (rows: standard, flat, ultra-flat, Office 2003, themed).
TEST_F(PopupEditTest, PicturesOpenWithEachPainter) {
  const TvlLookAndFeelKind kinds[] = {lfStandard, lfFlat, lfUltraFlat, lfOffice11, lfStandard};
  editors_test::TScreenSheet sheet(200, 150, 2, 5);
  for (int r = 0; r < 5; ++r)
    PutOpenPopups(sheet, r, [&](TvlPopupEdit* e) {
      e->Style()->LookAndFeel()->SetNativeStyle(r == 4);
      e->Style()->LookAndFeel()->SetKind(kinds[r]);
    });
  sheet.Expect("popupedit-painters");
}

// The popup edit under the built-in skin: the popup's frame in the skin's
// container border colour, its panel and client area in the skin's window
// background, the skin's close button and size grip (the grip turned into the
// top-right corner for the popup above the editor).
TEST_F(PopupEditTest, PictureOpenWithTheSkin) {
  // Naming the class links the built-in skin's unit into this program.
  ASSERT_NE(ClassOf<TnbSkinsUserSkinPainter>(), nullptr);
  editors_test::TScreenSheet sheet(200, 150, 2, 1);
  PutOpenPopups(sheet, 0, [&](TvlPopupEdit* e) {
    e->Style()->LookAndFeel()->SetSkinName(u"UserSkin");
    ASSERT_NE(e->Style()->LookAndFeel()->SkinPainter(), nullptr);
  });
  sheet.Expect("popupedit-skin");
}

}  // namespace
