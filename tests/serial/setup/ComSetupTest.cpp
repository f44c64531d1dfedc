// The setting combo boxes and the set-up dialog of the serial-port
// component on the headless screen, driven with injected mouse and keys.
// Three pseudo-terminals stand for serial ports: the ports file maps COM1,
// COM3 and COM4 to their slaves, so the system lists exactly those.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/backend/Headless.h"
#include "platform/classes/Filer.h"
#include "platform/classes/FormText.h"
#include "platform/classes/Resources.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/FontMap.h"
#include "platform/win/Comm.h"
#include "platform/win/Windows.h"
#include "serial/ComPortCtl.h"
#include "serial/ComSetup.h"
#include "tests/support/InjectedInput.h"
#include "tests/support/ModulesEnvironment.h"
#include "tests/support/ReferencePictures.h"
#include "tests/support/TestSupport.h"

namespace {

[[maybe_unused]] ::testing::Environment* const kModules =
    ::testing::AddGlobalTestEnvironment(new testing_support::ModulesEnvironment);

// A port that notes the line settings its device had after each attempt to
// apply them; the first entry after an open is the device's state as found.
class TWatchedPort : public TComPort {
  CL_CLASS(TWatchedPort, TComPort)
 public:
  struct TLine {
    String Port;
    win::DWORD BaudRate;
    int ByteSize, Parity, StopBits, OutX;
    bool operator==(const TLine&) const = default;
  };
  std::vector<TLine> Lines;

  // How often the line settings changed on the device since it was opened
  // under the name.
  int ChangesOn(const String& Name) const {
    int seen = 0;
    for (size_t i = 0; i < Lines.size(); ++i)
      if (Lines[i].Port == Name) ++seen;
    return seen > 0 ? seen - 1 : 0;
  }

 protected:
  void ApplyLineSettings() override {
    inherited::ApplyLineSettings();
    if (!Connected()) return;
    win::DCB d{};
    if (!win::GetCommState(Handle(), &d)) return;
    TLine line{Port(), d.BaudRate, d.ByteSize, d.Parity, d.StopBits, int(d.fOutX)};
    if (Lines.empty() || !(Lines.back() == line)) Lines.push_back(line);
  }
};
CL_IMPLEMENT_CLASS(TWatchedPort)

// Runs a step from inside the modal loop of the set-up dialog once the
// dialog is the active form.
class TDialogStep {
 public:
  explicit TDialogStep(std::function<void(TComSetupFrm*)> Step) : FStep(std::move(Step)) {
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
    auto* dialog = dynamic_cast<TComSetupFrm*>(Screen->ActiveForm());
    if (!dialog || !dialog->Visible()) {
      if (++FRounds < 20000) win::PostMessageW(FWnd, win::WM_USER, 0, 0);
      return;
    }
    FRan = true;
    FStep(dialog);
  }
  std::function<void(TComSetupFrm*)> FStep;
  win::HWND FWnd{};
  int FRounds = 0;
  bool FRan = false;
};

class ComSetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = testing_support::MakeTempDir("comsetup");
    std::ofstream ports(Dir + "/ports.ini");
    for (const char* name : {"COM1", "COM3", "COM4"}) {
      const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
      ASSERT_GE(master, 0);
      ASSERT_EQ(::grantpt(master), 0);
      ASSERT_EQ(::unlockpt(master), 0);
      Masters.push_back(master);
      ports << name << "=" << ::ptsname(master) << "\n";
    }
    ports.close();
    ::setenv("CL_PORTS_FILE", (Dir + "/ports.ini").c_str(), 1);
    Display.MouseMove(1270, 1010);
    Port = New<TWatchedPort>(nullptr);
    Port->SetEvents(TComEvents{});
    Port->SetPort(u"COM3");
    Form = NewBy<TForm>(&TForm::CreateNew, static_cast<TComponent*>(nullptr), 0);
    Form->SetPosition(poDesigned);
    Form->SetBounds(40, 40, 300, 200);
  }
  void TearDown() override {
    if (HasFailure()) Display.SaveScreenshot(UTF8ToUTF16(Dir + "/failed.png"));
    FreeAndNil(Form);
    FreeAndNil(Port);
    testing_support::ReleaseInjectedInput();
    for (int m : Masters) ::close(m);
    ::unsetenv("CL_PORTS_FILE");
  }

  TComComboBox* AddCombo(TComProperty Property, int Top = 10) {
    auto* combo = New<TComComboBox>(static_cast<TComponent*>(Form));
    combo->SetBounds(10, Top, 129, 21);
    combo->SetParent(Form);
    combo->SetComProperty(Property);
    return combo;
  }
  void ShowForm() {
    Form->Show();
    Pump();
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
  // Drops the list down with a click on the combo box's button and clicks
  // the item.
  void PickWithMouse(TCustomComboBox* Combo, const String& Item) {
    ClickAt(Combo, Combo->Width() - 8, Combo->Height() / 2);
    TCustomListBox* list = Combo->ListBox();
    ASSERT_NE(list, nullptr) << "the list did not drop down";
    const Integer index = list->Items()->IndexOf(Item);
    ASSERT_GE(index, 0) << UTF16ToUTF8(Item);
    const TRect r = list->ItemRect(index);
    ClickAt(list, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  // Drops the list down and moves in it with the arrow keys, then Enter.
  void PickWithKeys(TCustomComboBox* Combo, int Downs) {
    ClickAt(Combo, Combo->Width() - 8, Combo->Height() / 2);
    ASSERT_NE(Combo->ListBox(), nullptr);
    for (int i = 0; i < Downs; ++i) Key(win::VK_DOWN);
    Key(win::VK_RETURN);
  }
  static std::vector<String> ItemsOf(TCustomComboBox* Combo) {
    std::vector<String> items;
    for (Integer i = 0; i < Combo->Items()->Count(); ++i) items.push_back(Combo->Items()->Strings(i));
    return items;
  }
  win::DCB LineOf(TComPort* P) {
    win::DCB d{};
    EXPECT_TRUE(win::GetCommState(P->Handle(), &d));
    return d;
  }

  backend::THeadlessBackend Display;
  std::string Dir;
  std::vector<int> Masters;
  TWatchedPort* Port{};
  TForm* Form{};
};

// --- The combo box ------------------------------------------------------------------

// Each setting lists its table in table order and, linked to a port, shows
// the port's value; linking first or choosing the setting first ends alike.
TEST_F(ComSetupTest, ALinkedComboListsItsSettingAndShowsThePortsValue) {
  Port->SetBaudRate(br9600);
  Port->SetDataBits(dbSeven);
  Port->SetStopBits(sbOne5StopBits);
  Port->Parity()->SetBits(prMark);
  Port->FlowControl()->SetFlowControl(fcSoftware);
  const std::vector<String> bauds{u"Custom", u"110",   u"300",   u"600",   u"1200",   u"2400",
                                  u"4800",   u"9600",  u"14400", u"19200", u"38400",  u"56000",
                                  u"57600",  u"115200", u"128000", u"256000"};
  struct TCase {
    TComProperty Property;
    std::vector<String> Items;
    String Shown;
  } const cases[] = {
      {cpPort, {u"COM1", u"COM3", u"COM4"}, u"COM3"},
      {cpBaudRate, bauds, u"9600"},
      {cpDataBits, {u"5", u"6", u"7", u"8"}, u"7"},
      {cpStopBits, {u"1", u"1.5", u"2"}, u"1.5"},
      {cpParity, {u"None", u"Odd", u"Even", u"Mark", u"Space"}, u"Mark"},
      {cpFlowControl, {u"Hardware", u"Software", u"None", u"Custom"}, u"Software"},
      {cpNone, {}, u""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(int(c.Property));
    TComComboBox* propertyFirst = AddCombo(c.Property);
    propertyFirst->SetComPort(Port);
    EXPECT_EQ(ItemsOf(propertyFirst), c.Items);
    EXPECT_EQ(propertyFirst->Text(), c.Shown);
    TComComboBox* portFirst = New<TComComboBox>(static_cast<TComponent*>(Form));
    portFirst->SetComPort(Port);
    portFirst->SetComProperty(c.Property);
    EXPECT_EQ(portFirst->Text(), c.Shown);
    EXPECT_EQ(portFirst->Style(), csDropDownList);
    // without a port the first item is shown
    TComComboBox* unlinked = AddCombo(c.Property);
    EXPECT_EQ(unlinked->ItemIndex(), c.Items.empty() ? -1 : 0);
    Free(propertyFirst);
    Free(portFirst);
    Free(unlinked);
  }
}

// Read from a form file, the combo boxes find the port named there once the
// form is read and show its values.
TEST_F(ComSetupTest, ComboBoxesReadFromAFormShowTheirPortsValues) {
  const std::string text =
      "object PortForm: TForm\r\n"
      "  object Com: TComPort\r\n"
      "    BaudRate = br19200\r\n"
      "    Port = 'COM4'\r\n"
      "    Events = []\r\n"
      "  end\r\n"
      "  object ComboBaud: TComComboBox\r\n"
      "    Left = 10\r\n"
      "    Top = 10\r\n"
      "    Width = 129\r\n"
      "    Height = 21\r\n"
      "    ComPort = Com\r\n"
      "    ComProperty = cpBaudRate\r\n"
      "    AutoApply = True\r\n"
      "  end\r\n"
      "  object ComboPort: TComComboBox\r\n"
      "    Left = 10\r\n"
      "    Top = 40\r\n"
      "    Width = 129\r\n"
      "    Height = 21\r\n"
      "    ComProperty = cpPort\r\n"
      "    ComPort = Com\r\n"
      "  end\r\n"
      "end\r\n";
  const std::string binary = ObjectTextToBinary(text);
  TMemoryStream* in = New<TMemoryStream>();
  in->WriteBuffer(binary.data(), Integer(binary.size()));
  in->SetPosition(0);
  ReadComponentFromStream(in, Form);
  Free(in);
  auto* port = dynamic_cast<TComPort*>(Form->FindComponent(u"Com"));
  auto* baud = dynamic_cast<TComComboBox*>(Form->FindComponent(u"ComboBaud"));
  auto* name = dynamic_cast<TComComboBox*>(Form->FindComponent(u"ComboPort"));
  ASSERT_TRUE(port && baud && name);
  EXPECT_EQ(baud->ComPort(), port);
  EXPECT_TRUE(baud->AutoApply());
  EXPECT_EQ(baud->Text(), u"19200");
  EXPECT_EQ(name->Text(), u"COM4");
  EXPECT_EQ(name->Items()->Count(), 3);
  // the port leaving the form unlinks them
  Free(port);
  EXPECT_EQ(baud->ComPort(), nullptr);
  EXPECT_EQ(baud->Text(), u"Custom");
  EXPECT_EQ(name->Text(), u"COM1");
}

// AutoApply writes the operator's pick into the port at once; without it
// the pick waits for ApplySettings.
TEST_F(ComSetupTest, AutoApplySetsTheParityAtOnceOtherwiseApplySettingsDoes) {
  Port->Open();
  TComComboBox* automatic = AddCombo(cpParity, 10);
  automatic->SetAutoApply(true);
  automatic->SetComPort(Port);
  TComComboBox* manual = AddCombo(cpParity, 40);
  manual->SetComPort(Port);
  ShowForm();

  PickWithMouse(automatic, u"Even");
  EXPECT_EQ(automatic->Text(), u"Even");
  EXPECT_EQ(Port->Parity()->Bits(), prEven);
  EXPECT_EQ(LineOf(Port).Parity, 2);

  PickWithMouse(manual, u"Odd");
  EXPECT_EQ(manual->Text(), u"Odd");
  EXPECT_EQ(manual->ComSelect()->Parity(), prOdd);
  EXPECT_EQ(Port->Parity()->Bits(), prEven);
  manual->ApplySettings();
  EXPECT_EQ(Port->Parity()->Bits(), prOdd);
  EXPECT_EQ(LineOf(Port).Parity, 1);
}

// The pick reaches the TComSelect before the combo box's own OnChange.
TEST_F(ComSetupTest, ThePickIsPendingWhenOnChangeFires) {
  struct TWatch {
    TComComboBox* Combo{};
    std::vector<TStopBits> Seen;
    void Changed(TObject*) { Seen.push_back(Combo->ComSelect()->StopBits()); }
  } watch;
  TComComboBox* combo = AddCombo(cpStopBits);
  combo->SetComPort(Port);
  watch.Combo = combo;
  combo->SetOnChange(TNotifyEvent(&watch, &TWatch::Changed));
  ShowForm();
  PickWithKeys(combo, 2);
  EXPECT_EQ(combo->Text(), u"2");
  EXPECT_EQ(watch.Seen, std::vector<TStopBits>{sbTwoStopBits});
}

// Text selects an item of that text and nothing else; it is no pick.
TEST_F(ComSetupTest, WritingTextSelectsOnlyAnItemAndPicksNothing) {
  TComComboBox* combo = AddCombo(cpStopBits);
  combo->SetComPort(Port);
  ASSERT_EQ(combo->Text(), u"1");
  for (const char16_t* text : {u"7", u"", u"one"}) {
    combo->SetTextProp(text);
    EXPECT_EQ(combo->ItemIndex(), 0) << UTF16ToUTF8(text);
  }
  combo->SetTextProp(u"1.5");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->ComSelect()->StopBits(), sbOneStopBit);
  combo->ApplySettings();
  EXPECT_EQ(Port->StopBits(), sbOneStopBit);
}

// A port name the system does not list selects nothing, and applying keeps
// the port's name (it used to take the empty one).
TEST_F(ComSetupTest, APortNameTheSystemDoesNotListSelectsNothing) {
  Port->SetPort(u"COM99");
  TComComboBox* combo = AddCombo(cpPort);
  combo->SetComPort(Port);
  EXPECT_EQ(ItemsOf(combo), (std::vector<String>{u"COM1", u"COM3", u"COM4"}));
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), u"");
  EXPECT_FALSE(combo->ComSelect()->HasValue());
  combo->ApplySettings();
  EXPECT_EQ(Port->Port(), u"COM99");

  // relinked to a listed port, the name found is the one applied
  TWatchedPort* other = New<TWatchedPort>(nullptr);
  other->SetPort(u"COM4");
  combo->SetComPort(other);
  EXPECT_EQ(combo->Text(), u"COM4");
  combo->SetComPort(Port);
  combo->ApplySettings();
  EXPECT_EQ(Port->Port(), u"COM99");
  Free(other);
}

// Destroying the linked port unlinks the combo box and shows its first item.
TEST_F(ComSetupTest, DestroyingTheLinkedPortLeavesTheFirstItemSelected) {
  TComComboBox* combo = AddCombo(cpBaudRate);
  combo->SetComPort(Port);
  ASSERT_EQ(combo->Text(), u"9600");
  FreeAndNil(Port);
  EXPECT_EQ(combo->ComPort(), nullptr);
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->Text(), u"Custom");
  combo->ApplySettings();  // no port: nothing to write
  combo->UpdateSettings();
  EXPECT_EQ(combo->ItemIndex(), 0);

  // a port linked to another combo before is no longer watched by the first
  TComPort* first = New<TComPort>(nullptr);
  TComPort* second = New<TComPort>(nullptr);
  combo->SetComPort(first);
  combo->SetComPort(second);
  combo->SetItemIndex(5);
  Free(first);
  EXPECT_EQ(combo->ComPort(), second);
  EXPECT_EQ(combo->ItemIndex(), 5);
  Free(second);
  EXPECT_EQ(combo->ItemIndex(), 0);
}

// The unit's module data: the lamp font and the lamp bitmaps with the
// component's picture, all resources of the program.
TEST_F(ComSetupTest, LampFontAndBitmaps) {
  TFont* font = ComLedFont();
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->Name(), u"Fixedsys");
  EXPECT_EQ(font->Color(), clWhite);
  EXPECT_EQ(font->Size(), 9);
  EXPECT_EQ(String(LedBitmapsOn[6]), u"");
  EXPECT_EQ(String(LedBitmapsOff[6]), u"");
  // Each lamp is 16 x 16 with the transparent colour in its bottom-left
  // corner, and lit it is brighter than dark.
  auto brightness = [](TColor C) { return (C & 0xFF) + ((C >> 8) & 0xFF) + ((C >> 16) & 0xFF); };
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(UTF16ToUTF8(LedBitmapsOn[i]));
    TBitmap* on = New<TBitmap>();
    TBitmap* off = New<TBitmap>();
    on->LoadFromResourceName(HInstance, LedBitmapsOn[i]);
    off->LoadFromResourceName(HInstance, LedBitmapsOff[i]);
    EXPECT_EQ(on->Width(), 16);
    EXPECT_EQ(off->Height(), 16);
    EXPECT_EQ(on->Canvas()->Pixels(0, 15), clFuchsia);
    EXPECT_EQ(off->Canvas()->Pixels(0, 15), clFuchsia);
    EXPECT_GT(brightness(on->Canvas()->Pixels(8, 8)), brightness(off->Canvas()->Pixels(8, 8)) + 100);
    Free(on);
    Free(off);
  }
  TBitmap* library = New<TBitmap>();
  library->LoadFromResourceName(HInstance, u"CPORTLIB");
  EXPECT_EQ(library->Width(), 24);
  Free(library);
}

// --- The dialog ---------------------------------------------------------------------

// The dialog read from its form resource, as the operator sees it.
TEST_F(ComSetupTest, TheDialogShowsThePortsSettings) {
  win::fontmap::SetFontFileOverride("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  Port->Open();
  TDialogStep step([&](TComSetupFrm* dialog) {
    EXPECT_EQ(dialog->Caption(), u"Setup");
    EXPECT_EQ(dialog->ClientWidth(), 231);
    EXPECT_EQ(dialog->ClientHeight(), 216);
    EXPECT_EQ(dialog->Font()->Name(), u"MS Sans Serif");
    EXPECT_EQ(dialog->Font()->Height(), -11);
    EXPECT_EQ(dialog->BorderStyle(), bsDialog);
    // centred on the screen
    win::RECT r{};
    win::GetWindowRect(dialog->Handle(), &r);
    EXPECT_NEAR((r.left + r.right) / 2, Display.Width() / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, Display.Height() / 2, 1);
    TComComboBox* const combos[] = {dialog->Combo1, dialog->Combo2, dialog->Combo3,
                                    dialog->Combo4, dialog->Combo5, dialog->Combo6};
    const TComProperty properties[] = {cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl};
    const char16_t* const shown[] = {u"COM3", u"9600", u"8", u"1", u"None", u"None"};
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(combos[i]->ComProperty(), properties[i]);
      EXPECT_EQ(combos[i]->ComPort(), Port);
      EXPECT_EQ(combos[i]->Width(), 129);
      EXPECT_EQ(combos[i]->Text(), shown[i]);
    }
    Display.Compose();
    std::vector<uint32_t> pixels;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) pixels.push_back(Display.Pixels()[size_t(y) * Display.Width() + x]);
    testing_support::ExpectMatchesReference(pixels.data(), r.right - r.left, r.bottom - r.top,
                                            std::string(CL_SOURCE_DIR) +
                                                "/tests/serial/setup/reference/comsetup-dialog.png",
                                            "comsetup-dialog");
    ClickAt(dialog->Button2, 10, 10);
  });
  Port->ShowSetupDialog();
  win::fontmap::SetFontFileOverride("");
  EXPECT_TRUE(step.Ran());
}

// OK writes all six settings into the open port in one update: the device
// on the new port sees one change of its line settings.
TEST_F(ComSetupTest, OkAppliesAllSixSettingsInOneUpdate) {
  Port->Open();
  TDialogStep step([&](TComSetupFrm* dialog) {
    PickWithMouse(dialog->Combo1, u"COM4");
    PickWithKeys(dialog->Combo2, 2);  // 9600 -> 19200
    PickWithMouse(dialog->Combo3, u"7");
    PickWithMouse(dialog->Combo4, u"2");
    PickWithMouse(dialog->Combo5, u"Even");
    PickWithMouse(dialog->Combo6, u"Software");
    EXPECT_EQ(Port->Port(), u"COM3");  // nothing applied yet
    EXPECT_EQ(Port->BaudRate(), br9600);
    ClickAt(dialog->Button1, 10, 10);
  });
  Port->Lines.clear();
  RunComSetupForm(Port);
  ASSERT_TRUE(step.Ran());
  EXPECT_TRUE(Port->Connected());
  EXPECT_EQ(Port->Port(), u"COM4");
  EXPECT_EQ(Port->BaudRate(), br19200);
  EXPECT_EQ(Port->DataBits(), dbSeven);
  EXPECT_EQ(Port->StopBits(), sbTwoStopBits);
  EXPECT_EQ(Port->Parity()->Bits(), prEven);
  EXPECT_EQ(Port->FlowControl()->FlowControl(), fcSoftware);
  const win::DCB d = LineOf(Port);
  EXPECT_EQ(d.BaudRate, 19200u);
  EXPECT_EQ(d.ByteSize, 7);
  EXPECT_EQ(d.StopBits, 2);
  EXPECT_EQ(d.Parity, 2);
  EXPECT_TRUE(d.fOutX && d.fInX);
  EXPECT_EQ(Port->ChangesOn(u"COM4"), 1);
  EXPECT_EQ(Port->ChangesOn(u"COM3"), 0);
  // COM3 was let go
  TComPort* other = New<TComPort>(nullptr);
  other->SetPort(u"COM3");
  EXPECT_NO_THROW(other->Open());
  Free(other);
}

// Cancel writes nothing, whatever was picked.
TEST_F(ComSetupTest, CancelAppliesNothing) {
  Port->Open();
  TDialogStep step([&](TComSetupFrm* dialog) {
    PickWithMouse(dialog->Combo1, u"COM1");
    PickWithMouse(dialog->Combo5, u"Odd");
    PickWithMouse(dialog->Combo3, u"5");
    ClickAt(dialog->Button2, 10, 10);
  });
  Port->Lines.clear();
  Port->ShowSetupDialog();
  ASSERT_TRUE(step.Ran());
  EXPECT_EQ(Port->Port(), u"COM3");
  EXPECT_EQ(Port->Parity()->Bits(), prNone);
  EXPECT_EQ(Port->DataBits(), dbEight);
  EXPECT_TRUE(Port->Lines.empty());
  EXPECT_EQ(LineOf(Port).ByteSize, 8);
}

// A setting that fails while OK applies (the new port is in use) raises,
// and the port's update still ends: later changes reach the device.
TEST_F(ComSetupTest, AFailingSettingStillEndsTheUpdate) {
  TComPort* holder = New<TComPort>(nullptr);
  holder->SetPort(u"COM1");
  holder->Open();
  Port->Open();
  TDialogStep step([&](TComSetupFrm* dialog) {
    PickWithMouse(dialog->Combo1, u"COM1");
    ClickAt(dialog->Button1, 10, 10);
  });
  EXPECT_THROW(Port->ShowSetupDialog(), EComPort);
  EXPECT_TRUE(step.Ran());
  EXPECT_FALSE(Port->Connected());
  Free(holder);
  Port->SetPort(u"COM3");
  Port->Open();
  Port->SetBaudRate(br57600);
  EXPECT_EQ(LineOf(Port).BaudRate, 57600u);
}

// With the port's name unlisted, OK keeps it (it used to become empty).
TEST_F(ComSetupTest, OkKeepsAPortNameTheSystemDoesNotList) {
  Port->SetPort(u"COM99");
  TDialogStep step([&](TComSetupFrm* dialog) {
    EXPECT_EQ(dialog->Combo1->ItemIndex(), -1);
    PickWithMouse(dialog->Combo5, u"Space");
    ClickAt(dialog->Button1, 10, 10);
  });
  Port->ShowSetupDialog();
  ASSERT_TRUE(step.Ran());
  EXPECT_EQ(Port->Port(), u"COM99");
  EXPECT_EQ(Port->Parity()->Bits(), prSpace);
}

// --- The failing world --------------------------------------------------------------

// The port freed while its dialog is open (its owner closed from a timer, say):
// the combo boxes let it go, and neither OK nor Cancel touches it afterwards.
TEST_F(ComSetupTest, APortFreedWhileItsDialogIsOpenIsNotTouched) {
  for (const bool ok : {true, false}) {
    SCOPED_TRACE(ok ? "OK" : "Cancel");
    if (!Port) Port = New<TWatchedPort>(nullptr);
    Port->SetPort(u"COM3");
    Port->Open();
    TComComboBox* parity = nullptr;
    TDialogStep step([&](TComSetupFrm* dialog) {
      PickWithMouse(dialog->Combo5, u"Odd");
      parity = dialog->Combo5;
      FreeAndNil(Port);
      EXPECT_EQ(dialog->Combo1->ComPort(), nullptr);
      EXPECT_EQ(parity->ComPort(), nullptr);
      EXPECT_EQ(parity->ItemIndex(), 0);
      ClickAt(ok ? dialog->Button1 : dialog->Button2, 10, 10);
    });
    TCustomComPort* const port = Port;
    EXPECT_NO_THROW(RunComSetupForm(port));
    EXPECT_TRUE(step.Ran());
    EXPECT_EQ(Port, nullptr);
  }
  // the device was let go with the port
  TComPort* other = New<TComPort>(nullptr);
  other->SetPort(u"COM3");
  EXPECT_NO_THROW(other->Open());
  Free(other);
}

// A port whose device refuses a line setting: OK raises the port's error out
// of ShowSetupDialog, the dialog is gone, and the port is out of its update
// (a later accepted setting reaches the device at once).
class TRefusingPort : public TComPort {
  CL_CLASS(TRefusingPort, TComPort)
 protected:
  void ApplyLineSettings() override {
    if (Connected() && Parity()->Bits() == prMark) throw EComPort::CreateNoWinCode(CError_SetStateFailed);
    inherited::ApplyLineSettings();
  }
};
CL_IMPLEMENT_CLASS(TRefusingPort)

TEST_F(ComSetupTest, ASettingTheDeviceRefusesOnOkRaisesAndEndsTheUpdate) {
  TRefusingPort* port = New<TRefusingPort>(nullptr);
  Finally freePort([&] { Free(port); });
  port->SetPort(u"COM4");
  port->Open();
  TDialogStep step([&](TComSetupFrm* dialog) {
    PickWithMouse(dialog->Combo2, u"4800");
    PickWithMouse(dialog->Combo5, u"Mark");
    ClickAt(dialog->Button1, 10, 10);
  });
  EXPECT_THROW(port->ShowSetupDialog(), EComPort);
  ASSERT_TRUE(step.Ran());
  EXPECT_EQ(dynamic_cast<TComSetupFrm*>(Screen->ActiveForm()), nullptr);
  for (Integer i = 0; i < Screen->FormCount(); ++i)
    EXPECT_EQ(dynamic_cast<TComSetupFrm*>(Screen->Forms(i)), nullptr) << "the dialog was not freed";
  EXPECT_TRUE(port->Connected());
  port->Parity()->SetBits(prEven);
  EXPECT_EQ(LineOf(port).Parity, 2);
  EXPECT_EQ(LineOf(port).BaudRate, 4800u);
}

// The dialog opened a second time shows what the first one applied; opened
// again from inside the first, each applies its own operator's picks.
TEST_F(ComSetupTest, TheDialogOpenedTwice) {
  Port->Open();
  {
    TDialogStep step([&](TComSetupFrm* dialog) {
      PickWithMouse(dialog->Combo3, u"6");
      ClickAt(dialog->Button1, 10, 10);
    });
    Port->ShowSetupDialog();
    ASSERT_TRUE(step.Ran());
  }
  EXPECT_EQ(Port->DataBits(), dbSix);
  {
    TDialogStep step([&](TComSetupFrm* dialog) {
      EXPECT_EQ(dialog->Combo3->Text(), u"6");
      // a second dialog over the first: its OK applies the baud rate
      TComSetupFrm* outer = dialog;
      TDialogStep inner([&](TComSetupFrm* second) {
        EXPECT_NE(second, outer);
        PickWithMouse(second->Combo2, u"4800");
        ClickAt(second->Button1, 10, 10);
      });
      Port->ShowSetupDialog();
      EXPECT_TRUE(inner.Ran());
      EXPECT_EQ(Port->BaudRate(), br4800);
      EXPECT_EQ(Screen->ActiveForm(), outer);
      ClickAt(outer->Button2, 10, 10);
    });
    Port->ShowSetupDialog();
    ASSERT_TRUE(step.Ran());
  }
  EXPECT_EQ(Port->BaudRate(), br4800);
  EXPECT_EQ(Port->DataBits(), dbSix);
  EXPECT_EQ(LineOf(Port).BaudRate, 4800u);
}

// With the keyboard alone: the port combo box has the focus, Down picks the
// next port and Enter is OK; Escape on a second opening changes nothing.
TEST_F(ComSetupTest, TheDialogWithTheKeyboard) {
  Port->Open();
  {
    TDialogStep step([&](TComSetupFrm* dialog) {
      EXPECT_EQ(Screen->ActiveControl(), dialog->Combo1);
      Key(win::VK_DOWN);
      EXPECT_EQ(dialog->Combo1->Text(), u"COM4");
      Key(win::VK_TAB);
      Key(win::VK_DOWN);
      EXPECT_EQ(dialog->Combo2->Text(), u"14400");
      Key(win::VK_RETURN);
    });
    Port->ShowSetupDialog();
    ASSERT_TRUE(step.Ran());
  }
  EXPECT_EQ(Port->Port(), u"COM4");
  EXPECT_EQ(Port->BaudRate(), br14400);
  EXPECT_EQ(LineOf(Port).BaudRate, 14400u);
}

// A port list the system cannot read: the dialog cannot be made and says so
// with the port's error (wrapped by the form reader); nothing is left behind.
TEST_F(ComSetupTest, AnUnreadablePortListRaisesThePortsError) {
  win::UnregisterSerialCommProvider();
  Finally reRegister([] { win::RegisterSerialCommProvider(); });
  try {
    Port->ShowSetupDialog();
    ADD_FAILURE() << "the dialog opened";
  } catch (const Exception& E) {
    EXPECT_NE(UTF16ToUTF8(E.Message()).find("Registry error"), std::string::npos) << UTF16ToUTF8(E.Message());
  }
  for (Integer i = 0; i < Screen->FormCount(); ++i)
    EXPECT_EQ(dynamic_cast<TComSetupFrm*>(Screen->Forms(i)), nullptr);
  EXPECT_EQ(Port->Port(), u"COM3");
}

}  // namespace
