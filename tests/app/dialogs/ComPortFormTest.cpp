// The port-choice dialog on the headless screen, driven with injected mouse
// and keys. Pseudo-terminals stand for serial ports: the ports file maps the
// names a test asks for to their slaves, so the system lists exactly those.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/ComPortForm.h"
#include "lib/editors/vlButtons.h"
#include "lib/editors/vlComboBox.h"
#include "lib/editors/vlGroupBox.h"
#include "lib/lookandfeel/vlLookAndFeels.h"
#include "localization/qlLngLnk.h"
#include "platform/backend/Headless.h"
#include "platform/classes/WinRegistry.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Comm.h"
#include "platform/win/FontMap.h"
#include "platform/win/Windows.h"
#include "tests/support/InjectedInput.h"
#include "tests/support/ModulesEnvironment.h"
#include "tests/support/ReferencePictures.h"
#include "tests/support/TestSupport.h"

namespace {

[[maybe_unused]] ::testing::Environment* const kModules =
    ::testing::AddGlobalTestEnvironment(new testing_support::ModulesEnvironment);

// Runs a step from inside the dialog's modal loop once the dialog shows.
class TDialogStep {
 public:
  explicit TDialogStep(std::function<void(TComPortForm*)> Step) : FStep(std::move(Step)) {
    FWnd = win::AllocateHWnd(TWndMethod(this, &TDialogStep::WndProc));
    win::PostMessageW(FWnd, win::WM_USER, 0, 0);
  }
  ~TDialogStep() { win::DeallocateHWnd(FWnd); }
  bool Ran() const { return FRan; }

 private:
  void WndProc(TMessage& Message) {
    if (Message.Msg != win::WM_USER) {
      Message.Result = win::DefWindowProcW(FWnd, Message.Msg, Message.WParam, Message.LParam);
      return;
    }
    auto* dialog = dynamic_cast<TComPortForm*>(Screen->ActiveForm());
    if (!dialog || !dialog->Visible()) {
      if (++FRounds < 20000) win::PostMessageW(FWnd, win::WM_USER, 0, 0);
      return;
    }
    FRan = true;
    FStep(dialog);
  }
  std::function<void(TComPortForm*)> FStep;
  win::HWND FWnd{};
  int FRounds = 0;
  bool FRan = false;
};

// Runs a call once from the message loop (inside a modal loop).
class TPostedCall {
 public:
  explicit TPostedCall(std::function<void()> Call) : FCall(std::move(Call)) {
    FWnd = win::AllocateHWnd(TWndMethod(this, &TPostedCall::WndProc));
    win::PostMessageW(FWnd, win::WM_USER, 0, 0);
  }
  ~TPostedCall() { win::DeallocateHWnd(FWnd); }

 private:
  void WndProc(TMessage& Message) {
    if (Message.Msg != win::WM_USER) {
      Message.Result = win::DefWindowProcW(FWnd, Message.Msg, Message.WParam, Message.LParam);
      return;
    }
    FCall();
  }
  std::function<void()> FCall;
  win::HWND FWnd{};
};

class ComPortFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = testing_support::MakeTempDir("comportform");
    ::setenv("CL_PORTS_FILE", (Dir + "/ports.ini").c_str(), 1);
    Display.MouseMove(1270, 1010);
  }
  void TearDown() override {
    if (HasFailure()) Display.SaveScreenshot(UTF8ToUTF16(Dir + "/failed.png"));
    testing_support::ReleaseInjectedInput();
    for (int m : Masters) ::close(m);
    ::unsetenv("CL_PORTS_FILE");
  }

  // The system lists exactly these ports, each a pseudo-terminal.
  void ListPorts(const std::vector<std::string>& Names) {
    for (int m : Masters) ::close(m);
    Masters.clear();
    std::ofstream ports(Dir + "/ports.ini", std::ios::trunc);
    for (const std::string& name : Names) {
      const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      ASSERT_GE(master, 0);
      ASSERT_EQ(::grantpt(master), 0);
      ASSERT_EQ(::unlockpt(master), 0);
      Masters.push_back(master);
      ports << name << "=" << ::ptsname(master) << "\n";
    }
  }
  void Pump() { Application->ProcessMessages(); }
  void ClickAt(TControl* C, int X, int Y) {
    const TPoint p = C->ClientToScreen(TPoint{X, Y});
    Display.Click(p.X, p.Y);
    Pump();
  }
  void Key(win::UINT VirtualKey) {
    Display.KeyPress(VirtualKey);
    Pump();
  }
  // Opens the list with a click on the combo's button and clicks the item.
  void PickWithMouse(TvlComboBox* Combo, const String& Item) {
    const TRect b = Combo->ViewInfo()->ButtonsInfo[0]->Bounds;
    ClickAt(Combo, (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
    auto* list = dynamic_cast<TListBox*>(Combo->LookupListControl());
    ASSERT_NE(list, nullptr) << "the list did not drop down";
    // the list shows the combo's items by index
    const Integer index = Combo->Properties()->Items()->IndexOf(Item);
    ASSERT_GE(index, 0) << UTF16ToUTF8(Item);
    const TRect r = list->ItemRect(index);
    ClickAt(list, r.Left + 10, (r.Top + r.Bottom) / 2);
    ASSERT_FALSE(Combo->DroppedDown());
  }
  // Clicks the close box in the dialog's caption.
  void ClickCloseBox(TForm* Form) {
    win::RECT r{};
    win::GetWindowRect(Form->Handle(), &r);
    const int frame = win::GetSystemMetrics(win::SM_CXDLGFRAME);
    const int box = win::GetSystemMetrics(win::SM_CXSIZE);
    Display.Click(r.right - frame - box / 2, r.top + frame + win::GetSystemMetrics(win::SM_CYCAPTION) / 2);
    Pump();
  }
  static std::vector<String> ItemsOf(TvlComboBox* Combo) {
    std::vector<String> items;
    TStrings* s = Combo->Properties()->Items();
    for (Integer i = 0; i < s->Count(); ++i) items.push_back(s->Strings(i));
    return items;
  }

  backend::THeadlessBackend Display;
  std::string Dir;
  std::vector<int> Masters;
};

// --- The form -----------------------------------------------------------------------

// Every property the form resource gives, read through the components'
// published properties (the combo's mask kind before its empty mask).
TEST_F(ComPortFormTest, TheFormIsReadFromItsResource) {
  TComPortForm* f = New<TComPortForm>(static_cast<TComponent*>(nullptr));
  Finally freeForm([&] { Free(f); });
  EXPECT_EQ(f->Caption(), u"COM Port Seçimi");
  EXPECT_EQ(f->BorderStyle(), bsDialog);
  EXPECT_EQ(f->ClientWidth(), 184);
  EXPECT_EQ(f->ClientHeight(), 132);
  EXPECT_EQ(f->Position(), poMainFormCenter);
  EXPECT_EQ(f->Font()->Name(), u"MS Sans Serif");
  EXPECT_EQ(f->Font()->Height(), -11);

  TvlGroupBox* g = f->vlGroupBox1;
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->Align(), alClient);
  EXPECT_EQ(g->BoundsRect(), (TRect{0, 0, 184, 132}));
  EXPECT_EQ(g->Caption(), u"");
  EXPECT_EQ(g->Style()->Font()->Height(), -13);
  EXPECT_TRUE(g->Style()->Font()->Style().Contains(fsBold));
  EXPECT_FALSE(g->Style()->Shadow());
  EXPECT_FALSE(g->Style()->TransparentBorder());

  TvlComboBox* c = f->ComCombo;
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Parent(), g);
  EXPECT_EQ(c->Left(), 32);
  EXPECT_EQ(c->Top(), 24);
  EXPECT_EQ(c->Width(), 121);
  TvlComboBoxProperties* p = c->Properties();
  EXPECT_EQ(p->DropDownListStyle(), lsFixedList);
  EXPECT_TRUE(p->ImmediateUpdateText());
  EXPECT_EQ(p->MaskKind(), emkRegExpr);
  EXPECT_EQ(p->OwnEditMask(), u"");
  EXPECT_FALSE(p->IsMasked());
  EXPECT_EQ(ItemsOf(c), (std::vector<String>{u"COM1", u"COM2", u"COM3", u"COM4"}));
  EXPECT_TRUE(p->OnChange() == TNotifyEvent(f, &TComPortForm::ComComboPropertiesChange));
  EXPECT_EQ(c->Style()->Font()->Color(), clNavy);
  EXPECT_EQ(c->Style()->Font()->Height(), -13);
  EXPECT_TRUE(c->Style()->Font()->Style().Contains(fsBold));

  TvlButton* b = f->btOK;
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Parent(), g);
  EXPECT_EQ(b->BoundsRect(), (TRect{32, 82, 32 + 121, 82 + 33}));
  EXPECT_EQ(b->Caption(), u"&TAMAM");
  EXPECT_TRUE(b->Default());
  EXPECT_EQ(b->ModalResult(), mrOk);
  EXPECT_EQ(b->NumGlyphs(), 2);
  EXPECT_EQ(b->Spacing(), 8);
  EXPECT_EQ(b->Glyph()->Width(), 32);  // two 16 x 16 pictures: enabled, disabled
  EXPECT_EQ(b->Glyph()->Height(), 16);
  EXPECT_EQ(b->LookAndFeel()->Kind(), lfUltraFlat);
  EXPECT_FALSE(b->LookAndFeel()->NativeStyle());

  TqlLangLinked* l = f->qlLangLinked;
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->NumOfLanguages(), 2);
  ASSERT_EQ(l->LangNames()->Count(), 2);
  EXPECT_EQ(l->LangNames()->Strings(0), u"Türkçe");
  EXPECT_EQ(l->LangNames()->Strings(1), u"English");
  EXPECT_EQ(l->Language(), u"Türkçe");
  // The stored translations: the English caption and button, not applied.
  const String d(1, Char(l->LangDelim()));
  EXPECT_GE(l->Captions()->IndexOf(u"TComPortForm" + d + u"COM Port Seçimi" + d + u"COM Port Selection" + d), 0);
  EXPECT_GE(l->Captions()->IndexOf(u"btOK" + d + u"&TAMAM" + d + u"&OK" + d), 0);
  EXPECT_EQ(l->CharSets()->Count(), 2);
}

// --- Choosing a port ----------------------------------------------------------------

// The list, the selection rule, OK enabled exactly while an item is
// selected, and the number taken from the chosen name, by real mouse and
// keys.
TEST_F(ComPortFormTest, ThePortListTheSelectionAndTheNumberTaken) {
  enum THow { hEnter, hClickOk, hCloseBox };
  struct TCase {
    const char* Name;
    std::vector<std::string> Ports;
    Byte Start;
    std::vector<String> Listed;
    Integer Selected;  // at opening
    const char16_t* Pick;  // null: nothing picked
    THow How;
    bool Result;
    Byte Number;
  } const cases[] = {
      {"text order, the current port selected", {"COM3", "COM1", "COM10"}, 3,
       {u"COM1", u"COM10", u"COM3"}, 2, nullptr, hEnter, true, 3},
      {"another port picked", {"COM3", "COM1", "COM10"}, 3, {u"COM1", u"COM10", u"COM3"}, 2, u"COM10",
       hClickOk, true, 10},
      {"no such port: nothing selected until a pick", {"COM1", "COM3"}, 7, {u"COM1", u"COM3"}, -1, u"COM1",
       hClickOk, true, 1},
      {"a name without COM keeps the number", {"COM1", "CNCA0"}, 1, {u"CNCA0", u"COM1"}, 1, u"CNCA0",
       hClickOk, true, 1},
      {"a number past 8 bits is not taken", {"COM2", "COM300"}, 2, {u"COM2", u"COM300"}, 0, u"COM300",
       hClickOk, false, 2},
      {"the close box", {"COM1", "COM3"}, 3, {u"COM1", u"COM3"}, 1, u"COM1", hCloseBox, false, 3},
      {"the highest number", {"COM255"}, 9, {u"COM255"}, -1, u"COM255", hEnter, true, 255},
      {"COM alone keeps the number", {"COM", "COM2"}, 2, {u"COM", u"COM2"}, 1, u"COM", hEnter, true, 2},
      {"COM0 is not taken", {"COM0", "COM2"}, 2, {u"COM0", u"COM2"}, 1, u"COM0", hEnter, false, 2},
      {"a leading zero is read", {"COM03"}, 3, {u"COM03"}, -1, u"COM03", hEnter, true, 3},
      {"a name without COM from number 0", {"CNCA0"}, 0, {u"CNCA0"}, -1, u"CNCA0", hEnter, true, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ListPorts(c.Ports);
    TDialogStep step([&](TComPortForm* dialog) {
      EXPECT_EQ(ItemsOf(dialog->ComCombo), c.Listed);
      EXPECT_EQ(dialog->ComCombo->ItemIndex(), c.Selected);
      EXPECT_EQ(dialog->btOK->Enabled(), c.Selected >= 0);
      if (c.Selected < 0) {
        // OK does nothing while disabled
        ClickAt(dialog->btOK, 60, 16);
        EXPECT_TRUE(dialog->Visible());
      }
      if (c.Pick) PickWithMouse(dialog->ComCombo, c.Pick);
      EXPECT_EQ(dialog->btOK->Enabled(), dialog->ComCombo->ItemIndex() >= 0);
      switch (c.How) {
        case hEnter: Key(win::VK_RETURN); break;
        case hClickOk: ClickAt(dialog->btOK, 60, 16); break;
        case hCloseBox: ClickCloseBox(dialog); break;
      }
    });
    Byte number = c.Start;
    EXPECT_EQ(ShowComPortDialog(number), c.Result);
    EXPECT_TRUE(step.Ran());
    EXPECT_EQ(number, c.Number);
    EXPECT_EQ(Screen->ActiveForm(), nullptr);
  }
}

// Names listed with spaces or control characters around them (as a driver
// may give them) are trimmed after sorting, and matched trimmed.
std::vector<win::TRegistryProviderValue> PaddedPortNames() {
  std::vector<win::TRegistryProviderValue> values;
  for (const char16_t* name : {u" COM2", u"\tCOM4 \r"}) {
    win::TRegistryProviderValue v;
    v.Name = String(u"/dev/ptmx-") + name;
    v.Type = win::REG_SZ;
    for (const Char* c = name; *c; ++c) {
      v.Data.push_back(static_cast<Byte>(*c & 0xFF));
      v.Data.push_back(static_cast<Byte>(*c >> 8));
    }
    v.Data.push_back(0);
    v.Data.push_back(0);
    values.push_back(std::move(v));
  }
  return values;
}

TEST_F(ComPortFormTest, ListedNamesAreTrimmed) {
  win::SetRegistryProvider(win::HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", &PaddedPortNames);
  Finally reRegister([] { win::RegisterSerialCommProvider(); });
  TDialogStep step([&](TComPortForm* dialog) {
    EXPECT_EQ(ItemsOf(dialog->ComCombo), (std::vector<String>{u"COM4", u"COM2"}));
    EXPECT_EQ(dialog->ComCombo->ItemIndex(), 1);
    ClickAt(dialog->btOK, 60, 16);
  });
  Byte number = 2;
  EXPECT_TRUE(ShowComPortDialog(number));
  EXPECT_TRUE(step.Ran());
  EXPECT_EQ(number, 2);
}

// A port list the system cannot read: no dialog, false, the number kept.
TEST_F(ComPortFormTest, AnUnreadablePortListReturnsFalseAndKeepsTheNumber) {
  ListPorts({"COM1"});
  win::UnregisterSerialCommProvider();
  Finally reRegister([] { win::RegisterSerialCommProvider(); });
  Byte number = 5;
  EXPECT_FALSE(ShowComPortDialog(number));
  EXPECT_EQ(number, 5);
  for (Integer i = 0; i < Screen->FormCount(); ++i) EXPECT_EQ(dynamic_cast<TComPortForm*>(Screen->Forms(i)), nullptr);
}

// Opened twice, the dialog lists the ports of each moment afresh and starts
// from the number the first run stored.
TEST_F(ComPortFormTest, OpenedTwice) {
  Byte number = 1;
  ListPorts({"COM1", "COM2"});
  {
    TDialogStep step([&](TComPortForm* dialog) {
      PickWithMouse(dialog->ComCombo, u"COM2");
      ClickAt(dialog->btOK, 60, 16);
    });
    EXPECT_TRUE(ShowComPortDialog(number));
    EXPECT_TRUE(step.Ran());
  }
  EXPECT_EQ(number, 2);
  ListPorts({"COM2", "COM5", "COM6"});
  {
    TDialogStep step([&](TComPortForm* dialog) {
      EXPECT_EQ(ItemsOf(dialog->ComCombo), (std::vector<String>{u"COM2", u"COM5", u"COM6"}));
      EXPECT_EQ(dialog->ComCombo->Text(), u"COM2");
      EXPECT_TRUE(dialog->btOK->Enabled());
      PickWithMouse(dialog->ComCombo, u"COM6");
      Key(win::VK_RETURN);
    });
    EXPECT_TRUE(ShowComPortDialog(number));
    EXPECT_TRUE(step.Ran());
  }
  EXPECT_EQ(number, 6);
}

// Keyboard only: the arrows walk the list from nothing selected and OK
// follows; Tab reaches OK and the space bar presses it.
TEST_F(ComPortFormTest, KeyboardOnly) {
  ListPorts({"COM1", "COM3"});
  TDialogStep step([&](TComPortForm* dialog) {
    EXPECT_TRUE(dialog->ComCombo->Focused());
    EXPECT_FALSE(dialog->btOK->Enabled());
    Key(win::VK_DOWN);
    EXPECT_EQ(dialog->ComCombo->Text(), u"COM1");
    EXPECT_TRUE(dialog->btOK->Enabled());
    Key(win::VK_DOWN);
    EXPECT_EQ(dialog->ComCombo->Text(), u"COM3");
    Key(win::VK_TAB);
    EXPECT_TRUE(dialog->btOK->Focused());
    Key(win::VK_SPACE);
  });
  Byte number = 7;
  EXPECT_TRUE(ShowComPortDialog(number));
  EXPECT_TRUE(step.Ran());
  EXPECT_EQ(number, 3);
}

// Escape in the combo takes back a change of port: the text and the item go
// back together, and OK follows (disabled again when nothing was chosen).
TEST_F(ComPortFormTest, EscapeTakesBackTheChangeAndOKFollows) {
  struct TCase {
    const char* Name;
    Byte Number;          // the number on opening
    win::UINT Step;       // the key that changes the port
    const char16_t* Was;  // the text on opening
  } cases[] = {
      {"nothing chosen", 7, win::VK_DOWN, u""},
      {"COM3 chosen", 3, win::VK_UP, u"COM3"},
  };
  for (const TCase& t : cases) {
    SCOPED_TRACE(t.Name);
    ListPorts({"COM1", "COM3"});
    const Integer wasIndex = t.Was[0] ? 1 : -1;
    TDialogStep step([&](TComPortForm* dialog) {
      TvlComboBox* combo = dialog->ComCombo;
      ASSERT_TRUE(combo->Focused());
      Key(t.Step);
      EXPECT_EQ(combo->Text(), u"COM1");
      EXPECT_TRUE(dialog->btOK->Enabled());
      Key(win::VK_ESCAPE);
      EXPECT_EQ(dialog->ModalResult(), 0);
      EXPECT_EQ(combo->Text(), t.Was);
      EXPECT_EQ(combo->ItemIndex(), wasIndex);
      EXPECT_EQ(dialog->btOK->Enabled(), wasIndex >= 0);
      // A click on a disabled OK does nothing; the close box ends it then.
      ClickAt(dialog->btOK, 60, 16);
      if (dialog->ModalResult() == 0) ClickCloseBox(dialog);
    });
    Byte number = t.Number;
    EXPECT_EQ(ShowComPortDialog(number), wasIndex >= 0);
    EXPECT_TRUE(step.Ran());
    EXPECT_EQ(number, t.Number);
  }
}

// Opened from inside another modal dialog: it works as on its own, and the
// dialog under it is the active one, enabled, once it closes.
TEST_F(ComPortFormTest, OverAnotherModalDialog) {
  ListPorts({"COM1", "COM2"});
  TForm* outer = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
  Finally freeOuter([&] { Free(outer); });
  Byte number = 1;
  Boolean result = false;
  Boolean outerActiveAfter = false;
  TDialogStep step([&](TComPortForm* dialog) {
    PickWithMouse(dialog->ComCombo, u"COM2");
    Key(win::VK_RETURN);
  });
  TPostedCall open([&] {
    result = ShowComPortDialog(number);
    outerActiveAfter = Screen->ActiveForm() == outer && win::IsWindowEnabled(outer->Handle());
    outer->SetModalResult(mrCancel);
  });
  outer->ShowModal();
  EXPECT_TRUE(step.Ran());
  EXPECT_TRUE(result);
  EXPECT_EQ(number, 2);
  EXPECT_TRUE(outerActiveAfter);
}

// The linked localization component switched to English while the dialog is
// open: the caption and the button follow, the system's port list and the
// selection stay (the stored item list is the resource's, not the system's).
TEST_F(ComPortFormTest, EnglishWhileOpenKeepsThePortList) {
  ListPorts({"COM3", "COM7"});
  TDialogStep step([&](TComPortForm* dialog) {
    dialog->qlLangLinked->SetActiveLanguage(2);
    EXPECT_EQ(dialog->Caption(), u"COM Port Selection");
    EXPECT_EQ(dialog->btOK->Caption(), u"&OK");
    EXPECT_EQ(ItemsOf(dialog->ComCombo), (std::vector<String>{u"COM3", u"COM7"}));
    EXPECT_EQ(dialog->ComCombo->Text(), u"COM7");
    EXPECT_TRUE(dialog->btOK->Enabled());
    Key(win::VK_RETURN);
  });
  Byte number = 7;
  EXPECT_TRUE(ShowComPortDialog(number));
  EXPECT_TRUE(step.Ran());
  EXPECT_EQ(number, 7);
}

// --- The picture --------------------------------------------------------------------

// The dialog as the operator sees it, in Turkish: the port list with "COM3"
// chosen, and the same dialog with nothing chosen (OK disabled).
TEST_F(ComPortFormTest, Picture) {
  win::fontmap::SetFontFileOverride("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  Finally noOverride([] { win::fontmap::SetFontFileOverride(""); });
  ListPorts({"COM1", "COM3", "COM4"});
  for (const Byte start : {Byte(3), Byte(7)}) {
    TDialogStep step([&](TComPortForm* dialog) {
      Pump();
      win::RECT r{};
      win::GetWindowRect(dialog->Handle(), &r);
      // centred (on the screen, without a main window)
      EXPECT_NEAR((r.left + r.right) / 2, Display.Width() / 2, 1);
      EXPECT_NEAR((r.top + r.bottom) / 2, Display.Height() / 2, 1);
      Display.Compose();
      std::vector<uint32_t> pixels;
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) pixels.push_back(Display.Pixels()[size_t(y) * Display.Width() + x]);
      const std::string name = start == 3 ? "port-dialog" : "port-dialog-nothing-chosen";
      testing_support::ExpectMatchesReference(pixels.data(), r.right - r.left, r.bottom - r.top,
                                              std::string(CL_SOURCE_DIR) + "/tests/app/dialogs/reference/" +
                                                  name + ".png",
                                              name);
      ClickCloseBox(dialog);
    });
    Byte number = start;
    EXPECT_FALSE(ShowComPortDialog(number));
    EXPECT_TRUE(step.Ran());
  }
}

}  // namespace
