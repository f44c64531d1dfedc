// The translated message and input dialogs on the headless screen, answered
// with real keys from inside their modal loops.
#include <gtest/gtest.h>

#include <functional>

#include "localization/qlComp.h"
#include "localization/qlDialogs.h"
#include "platform/classes/Classes.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Numbers.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Backend.h"
#include "platform/win/FontMap.h"
#include "tests/localization/LocalizationFixtures.h"
#include "tests/localization/SwitchFixture.h"
#include "tests/support/ReferencePictures.h"

using namespace loc_test;
using namespace win;

namespace {

// Runs a step inside whatever modal loop runs, once a modal form is active.
class TModalStep {
 public:
  TModalStep() { FWnd = AllocateHWnd(TWndMethod(this, &TModalStep::WndProc)); }
  ~TModalStep() { DeallocateHWnd(FWnd); }
  void Post(std::function<void(TCustomForm*)> Step) {
    FStep = std::move(Step);
    PostMessageW(FWnd, WM_USER, 0, 0);
  }
  bool Ran() const { return FRan; }

 private:
  void WndProc(TMessage& Message) {
    if (Message.Msg != WM_USER) {
      Message.Result = DefWindowProcW(FWnd, Message.Msg, Message.WParam, Message.LParam);
      return;
    }
    TCustomForm* active = Screen ? Screen->ActiveCustomForm() : nullptr;
    if (!active || !active->FormState().Contains(fsModal)) {
      if (++FRounds < 20000) PostMessageW(FWnd, WM_USER, 0, 0);
      return;
    }
    FRan = true;
    FStep(active);
  }
  HWND FWnd{};
  int FRounds = 0;
  bool FRan = false;
  std::function<void(TCustomForm*)> FStep;
};

class DialogsFixture : public SwitchFixture {
 protected:
  void SetUp() override {
    SwitchFixture::SetUp();
    SetLines(Lang->DlgsCaptions(), {u"Confirm|Onay|Confirm|", u"Yes|&Evet|&Yes|", u"No|&Hayır|&No|",
                                    u"OK|Tamam|OK|", u"Cancel|İptal|Cancel|", u"Information|Bilgi|Information|"});
    Form->Show();
    Application->ProcessMessages();
  }
  String ClipboardText() {
    if (!OpenClipboard(nullptr)) return String();
    String text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
      text = static_cast<const Char*>(GlobalLock(h));
      GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
  }
  void CtrlC(bool WithShift) {
    Display.KeyDown(VK_CONTROL);
    if (WithShift) Display.KeyDown(VK_SHIFT);
    Display.KeyPress('C');
    if (WithShift) Display.KeyUp(VK_SHIFT);
    Display.KeyUp(VK_CONTROL);
    Application->ProcessMessages();
  }
};

std::vector<String> ButtonCaptions(TForm* F) {
  std::vector<String> r;
  for (Integer i = 0; i < F->ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(F->Components(i))) r.push_back(b->Name() + u":" + b->Caption());
  return r;
}

}  // namespace

TEST_F(DialogsFixture, TheMessageDialogIsBuiltFromTheActiveLanguage) {
  struct TCase {
    Integer Language;
    TMsgDlgButtons Buttons;
    TMsgDlgBtn Default;
    String Title;
    std::vector<String> Captions;
    String DefaultName, CancelName;
  };
  const TCase cases[] = {
      {1, mbYesNo, mbOK, u"Onay", {u"Yes:&Evet", u"No:&Hayır"}, u"Yes", u"No"},
      {2, mbYesNo, mbOK, u"Confirm", {u"Yes:&Yes", u"No:&No"}, u"Yes", u"No"},
      {2, mbOKCancel, mbOK, u"Confirm", {u"OK:OK", u"Cancel:Cancel"}, u"OK", u"Cancel"},
      {1, TMsgDlgButtons{mbYes, mbNo, mbOK}, mbNo, u"Onay", {u"Yes:&Evet", u"No:&Hayır", u"OK:Tamam"}, u"No", u"No"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Title) + " " + std::to_string(c.Buttons.ToInt()));
    Lang->SetActiveLanguage(c.Language);
    TForm* d = Lang->CreateMessageDialog(u"Değişiklikler kaydedilsin mi?", mtConfirmation, c.Buttons, c.Default);
    EXPECT_EQ(d->Caption(), c.Title);
    EXPECT_EQ(ButtonCaptions(d), c.Captions);
    ASSERT_NE(d->ActiveControl(), nullptr);
    EXPECT_EQ(d->ActiveControl()->Name(), c.DefaultName);
    EXPECT_TRUE(static_cast<TButton*>(d->FindComponent(c.CancelName))->Cancel());
    EXPECT_EQ(d->Font()->Charset(), Form->Font()->Charset());
    // Metrics from the average letter of the dialog's font.
    TSize u = GetAveCharSize(d->Canvas());
    auto* yes = static_cast<TControl*>(d->FindComponent(c.Captions[0].substr(0, c.Captions[0].find(u':'))));
    auto* message = static_cast<TControl*>(d->FindComponent(u"Message"));
    auto* image = static_cast<TControl*>(d->FindComponent(u"Image"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Left(), MulDiv(8, u.cx, 4));
    EXPECT_EQ(message->Top(), MulDiv(8, u.cy, 8));
    EXPECT_EQ(message->Height(), std::max(32, message->Height()));
    EXPECT_EQ(yes->Height(), MulDiv(14, u.cy, 8));
    EXPECT_GE(yes->Width(), MulDiv(50, u.cx, 4));
    EXPECT_EQ(yes->Top(), message->Height() + MulDiv(8, u.cy, 8) + MulDiv(10, u.cy, 8));
    EXPECT_EQ(d->ClientHeight(), yes->Top() + yes->Height() + MulDiv(8, u.cy, 8));
    Free(d);
  }
}

TEST_F(DialogsFixture, KeysAnswerTheDialogAndControlCCopiesItsText) {
  struct TCase {
    const char* Name;
    std::vector<UINT> Keys;
    Integer Result;
  };
  const TCase cases[] = {{"enter presses yes", {VK_RETURN}, mrYes},
                         {"escape presses no", {VK_ESCAPE}, mrNo},
                         {"tab and enter press no", {VK_TAB, VK_RETURN}, mrNo}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TModalStep step;
    step.Post([&](TCustomForm*) {
      for (UINT k : c.Keys) {
        Display.KeyPress(k);
        Application->ProcessMessages();
      }
    });
    EXPECT_EQ(Lang->MessageDlg(u"Kaydedilsin mi?", mtConfirmation, mbYesNo, 0), c.Result);
    EXPECT_TRUE(step.Ran());
  }
  Lang->SetActiveLanguage(2);
  TModalStep step;
  String withShift, plain;
  step.Post([&](TCustomForm*) {
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    CtrlC(true);
    withShift = ClipboardText();
    CtrlC(false);
    plain = ClipboardText();
    Display.KeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(Lang->MessageDlg(u"Save changes?", mtConfirmation, mbYesNo, 0), mrNo);
  const String dashes(27, u'-');
  EXPECT_EQ(withShift, u"");
  EXPECT_EQ(plain, dashes + u"\r\nConfirm\r\n" + dashes + u"\r\nSave changes?\r\n" + dashes + u"\r\n&Yes\t&No\t\r\n" +
                       dashes);
}

TEST_F(DialogsFixture, ShowMessageAndTheInputBox) {
  Application->SetTitle(u"ZEVRA Kart Yükleme");
  TModalStep step;
  String title;
  std::vector<String> buttons;
  step.Post([&](TCustomForm* F) {
    title = F->Caption();
    buttons = ButtonCaptions(static_cast<TForm*>(F));
    EXPECT_EQ(F->FindComponent(u"Image"), nullptr);
    Display.KeyPress(VK_RETURN);
  });
  Lang->ShowMessage(u"Kart yüklendi");
  EXPECT_EQ(title, u"ZEVRA Kart Yükleme");
  EXPECT_EQ(buttons, std::vector<String>{u"OK:Tamam"});

  struct TCase {
    const char* Name;
    String Typed;
    UINT Key;
    String Result;
  };
  for (const TCase& c : {TCase{"cancel gives the default", u"COM9", VK_ESCAPE, u"COM1"},
                         TCase{"ok gives the text", u"COM9", VK_RETURN, u"COM9"}}) {
    SCOPED_TRACE(c.Name);
    TModalStep input;
    std::vector<String> captions;
    input.Post([&](TCustomForm* F) {
      captions = ButtonCaptions(static_cast<TForm*>(F));
      Display.TypeText(c.Typed);  // replaces the selected default
      Application->ProcessMessages();
      Display.KeyPress(c.Key);
    });
    EXPECT_EQ(Lang->InputBox(u"Port", u"Port adı:", u"COM1"), c.Result);
    EXPECT_EQ(captions, (std::vector<String>{u"OK:Tamam", u"Cancel:İptal"}));
  }
}

// The dialog is centred on the monitor of the active form, its position on
// the desktop included (a second monitor to the right of the first).
TEST_F(DialogsFixture, TheDialogIsCentredOnTheActiveFormsMonitor) {
  SetExtraMonitors({{RECT{1280, 100, 2080, 700}, RECT{1280, 100, 2080, 660}}});
  Form->SetBounds(1400, 200, 320, 260);
  Application->ProcessMessages();
  ASSERT_EQ(Screen->ActiveForm(), Form);
  TForm* d = Lang->CreateMessageDialog(u"Kaydedilsin mi?", mtConfirmation, mbYesNo);
  EXPECT_EQ(d->Left(), 1280 + 400 - d->Width() / 2);
  EXPECT_EQ(d->Top(), 100 + 300 - d->Height() / 2);
  Free(d);
  SetExtraMonitors({});
  Form->SetBounds(40, 40, 320, 260);
  Application->ProcessMessages();
  d = Lang->CreateMessageDialog(u"Kaydedilsin mi?", mtConfirmation, mbYesNo);
  EXPECT_EQ(d->Left(), 640 - d->Width() / 2);
  EXPECT_EQ(d->Top(), 512 - d->Height() / 2);
  // X given, Y not: the left edge is X, the top stays centred.
  TModalStep step;
  Integer left = 0, top = 0;
  step.Post([&](TCustomForm* F) {
    left = F->Left();
    top = F->Top();
    Display.KeyPress(VK_ESCAPE);
  });
  Lang->MessageDlgPos(u"Kaydedilsin mi?", mtConfirmation, mbYesNo, 0, 100, -1);
  EXPECT_EQ(left, 100);
  EXPECT_EQ(top, d->Top());
  Free(d);
}

// A very long message (a word wider than half the screen, more lines than
// the monitor holds): the dialog stays on the monitor with its title and
// buttons reachable, and Control+C still copies the whole text.
TEST_F(DialogsFixture, AVeryLongMessageKeepsTheDialogOnTheMonitor) {
  String lines;
  for (int i = 0; i < 400; ++i) lines += u"Kart yükleyici yanıt vermiyor, bağlantıyı denetleyin. ";
  for (const String& msg : {String(3000, u'x'), lines}) {
    TModalStep step;
    Integer left = -1, top = -1, width = 0, height = 0, okRight = 0, okBottom = 0;
    String copied;
    step.Post([&](TCustomForm* F) {
      left = F->Left();
      top = F->Top();
      width = F->ClientWidth();
      height = F->ClientHeight();
      auto* ok = static_cast<TControl*>(F->FindComponent(u"OK"));
      okRight = ok->Left() + ok->Width();
      okBottom = ok->Top() + ok->Height();
      CtrlC(false);
      copied = ClipboardText();
      Display.KeyPress(VK_RETURN);
    });
    EXPECT_EQ(Lang->MessageDlg(msg, mtError, mbOKCancel, 0), mrOk);
    EXPECT_GE(left, 0);
    EXPECT_GE(top, 0);
    EXPECT_LE(left + width, Screen->Width());
    EXPECT_LE(top + height, Screen->Height());
    EXPECT_LE(okRight, width);
    EXPECT_LE(okBottom, height);
    EXPECT_NE(copied.find(msg), String::npos);
  }
}

// The same for the input box's prompt: the box stays on the screen, the edit
// below the prompt and the buttons inside it, and typing still works.
TEST_F(DialogsFixture, AVeryLongPromptKeepsTheInputBoxOnTheScreen) {
  String lines;
  for (int i = 0; i < 400; ++i) lines += u"Kart yükleyici yanıt vermiyor, bağlantıyı denetleyin. ";
  for (const String& prompt : {String(3000, u'x'), lines}) {
    TModalStep step;
    Integer left = -1, top = -1, width = 0, height = 0, promptBottom = 0, editTop = 0, okRight = 0, okBottom = 0;
    step.Post([&](TCustomForm* F) {
      left = F->Left();
      top = F->Top();
      width = F->Width();
      height = F->Height();
      auto* edit = static_cast<TControl*>(F->FindComponent(u"Edit"));
      for (Integer i = 0; i < F->ControlCount(); ++i)
        if (F->Controls(i) != edit && F->Controls(i)->Top() < edit->Top())
          promptBottom = std::max(promptBottom, F->Controls(i)->Top() + F->Controls(i)->Height());
      editTop = edit->Top();
      auto* ok = static_cast<TControl*>(F->FindComponent(u"OK"));
      okRight = ok->Left() + ok->Width();
      okBottom = ok->Top() + ok->Height();
      EXPECT_LE(okRight, F->ClientWidth());
      EXPECT_LE(okBottom, F->ClientHeight());
      Display.TypeText(u"COM7");
      Application->ProcessMessages();
      Display.KeyPress(VK_RETURN);
    });
    EXPECT_EQ(Lang->InputBox(u"Port", prompt, u"COM1"), u"COM7");
    EXPECT_GE(left, 0);
    EXPECT_GE(top, 0);
    EXPECT_LE(left + width, Screen->Width());
    EXPECT_LE(top + height, Screen->Height());
    EXPECT_LE(promptBottom, editTop);
  }
}

TEST_F(DialogsFixture, PicturesOfTheDialogInTurkishAndEnglish) {
  fontmap::SetFontFileOverride("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  for (Integer language : {1, 2}) {
    Lang->SetActiveLanguage(language);
    const std::string name = language == 1 ? "message-dialog-tr" : "message-dialog-en";
    TModalStep step;
    step.Post([&](TCustomForm* F) {
      Application->ProcessMessages();
      RECT r{};
      GetWindowRect(F->Handle(), &r);
      Display.Compose();
      std::vector<uint32_t> pixels;
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) pixels.push_back(Display.Pixels()[size_t(y) * Display.Width() + x]);
      testing_support::ExpectMatchesReference(pixels.data(), r.right - r.left, r.bottom - r.top,
                                              std::string(CL_SOURCE_DIR) + "/tests/localization/reference/" + name +
                                                  ".png",
                                              name);
      Display.KeyPress(VK_ESCAPE);
    });
    Lang->MessageDlg(language == 1 ? u"Değişiklikler kaydedilsin mi?" : u"Save the changes?", mtConfirmation,
                     mbYesNoCancel, 0);
  }
  fontmap::SetFontFileOverride("");
}
