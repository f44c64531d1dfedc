#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "platform/classes/StringLists.h"
#include "platform/vcl/Dialogs.h"
#include "tests/platform/vcl/FormsTestFixture.h"
#include "tests/support/TestSupport.h"

using namespace win;

namespace formstest {

namespace {

// The buttons of a dialog form, in their order, as "Name:Caption".
std::vector<std::string> ButtonsOf(TForm* F) {
  std::vector<std::string> r;
  for (Integer i = 0; i < F->ControlCount(); ++i) {
    TControl* c = F->Controls(i);
    if (c->Name() == u"Image" || c->Name() == u"Message") continue;
    r.push_back(UTF16ToUTF8(c->Name() + u":" + c->Caption()));
  }
  return r;
}

}  // namespace

TEST_F(FormsFixture, MessageDlgIsAnsweredByKeys) {
  struct TCase {
    const char* Name;
    TMsgDlgButtons Buttons;
    TMsgDlgBtn Default;
    std::vector<UINT> Keys;
    Integer Expected;
  };
  const TCase cases[] = {
      {"enter presses yes", mbYesNo, mbOK, {VK_RETURN}, mrYes},
      {"escape presses no", mbYesNo, mbOK, {VK_ESCAPE}, mrNo},
      {"escape presses cancel", mbYesNoCancel, mbOK, {VK_ESCAPE}, mrCancel},
      {"enter presses ok", mbOKCancel, mbOK, {VK_RETURN}, mrOk},
      {"default no", mbYesNo, mbNo, {VK_RETURN}, mrNo},
      {"tab moves to no", mbYesNo, mbOK, {VK_TAB, VK_RETURN}, mrNo},
      {"space presses the focused button", mbOKCancel, mbOK, {VK_TAB, VK_SPACE}, mrCancel},
      {"accelerator of Hayır", mbYesNo, mbOK, {'H'}, mrNo},
      {"accelerator of Tümüne Evet", mbYesAllNoAllCancel, mbOK, {'V'}, mrYesToAll},
  };
  TForm* main = MakeForm(10, 10, 400, 300);
  main->Show();
  Pump();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    AnswerNextWindow(c.Keys);
    EXPECT_EQ(MessageDlg(u"Kayıt silinsin mi?", mtConfirmation, c.Buttons, 0, c.Default), c.Expected);
    EXPECT_TRUE(Answered());
    EXPECT_EQ(AnsweredCaption(), u"Onay");
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  }
}

TEST_F(FormsFixture, MessageDialogHasTheButtonsInOrderWithTurkishCaptions) {
  struct TCase {
    const char* Name;
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
    String Title;
    bool Icon;
    std::vector<std::string> Buttons2;
    std::string Default, Cancel;
  };
  const TCase cases[] = {
      {"confirm", mtConfirmation, mbYesNoCancel, u"Onay", true,
       {"Yes:&Evet", "No:&Hayır", "Cancel:İptal"}, "Yes", "Cancel"},
      {"warning", mtWarning, mbOKCancel, u"Uyarı", true, {"OK:Tamam", "Cancel:İptal"}, "OK", "Cancel"},
      {"error", mtError, TMsgDlgButtons{mbAbort, mbRetry, mbIgnore}, u"Hata", true,
       {"Abort:&Durdur", "Retry:&Yeniden Dene", "Ignore:&Yoksay"}, "Retry", "OK"},
      {"custom", mtCustom, TMsgDlgButtons{mbOK}, u"Deneme", false, {"OK:Tamam"}, "OK", "OK"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm* f = CreateMessageDialog(u"Yükleme işlemi başarılı (4)", c.Type, c.Buttons);
    Track(f);
    EXPECT_EQ(f->Caption(), c.Title);
    EXPECT_EQ(f->BorderStyle(), bsDialog);
    EXPECT_EQ(f->FindComponent(u"Image") != nullptr, c.Icon);
    ASSERT_NE(f->FindComponent(u"Message"), nullptr);
    EXPECT_EQ(static_cast<TControl*>(f->FindComponent(u"Message"))->Caption(), u"Yükleme işlemi başarılı (4)");
    EXPECT_EQ(ButtonsOf(f), c.Buttons2);
    ASSERT_NE(f->ActiveControl(), nullptr);
    EXPECT_EQ(UTF16ToUTF8(f->ActiveControl()->Name()), c.Default);
    // The buttons sit in one row, centred, below the text.
    std::vector<TControl*> buttons;
    for (Integer i = 0; i < f->ControlCount(); ++i)
      if (f->Controls(i)->Name() != u"Image" && f->Controls(i)->Name() != u"Message")
        buttons.push_back(f->Controls(i));
    TControl* text = static_cast<TControl*>(f->FindComponent(u"Message"));
    Integer left = buttons.front()->Left(), right = buttons.back()->Left() + buttons.back()->Width();
    EXPECT_NEAR(left, f->ClientWidth() - right, 1);
    for (TControl* b : buttons) {
      EXPECT_EQ(b->Top(), buttons.front()->Top());
      EXPECT_GE(b->Top(), text->Top() + text->Height());
      EXPECT_LE(b->Top() + b->Height(), f->ClientHeight());
    }
    Free(f);
  }
}

TEST_F(FormsFixture, ShowMessageUsesTheApplicationTitleAndOneButton) {
  Application->SetTitle(u"ZEVRA Kart Yükleme");
  AnswerNextWindow({VK_RETURN});
  ShowMessage(u"Yükleme cihazı üzerinde kart yok (2)");
  EXPECT_TRUE(Answered());
  EXPECT_EQ(AnsweredCaption(), u"ZEVRA Kart Yükleme");
  // Closing the dialog by its close box answers Cancel.
  TLoopStep step;
  step.Post([] { PostMessageW(GetActiveWindow(), WM_CLOSE, 0, 0); },
            [] { return Screen->ActiveForm() && Screen->ActiveForm()->FormState().Contains(fsModal); });
  EXPECT_EQ(MessageDlg(u"?", mtInformation, TMsgDlgButtons{mbOK}, 0), mrCancel);
}

TEST(DialogsTest, ButtonTablesFollowTheButtonOrder) {
  struct TCase {
    TMsgDlgBtn Button;
    const char* Name;
    Integer Result;
  };
  for (const TCase& c : {TCase{mbYes, "Yes", mrYes}, TCase{mbNo, "No", mrNo}, TCase{mbOK, "OK", mrOk},
                         TCase{mbCancel, "Cancel", mrCancel}, TCase{mbAbort, "Abort", mrAbort},
                         TCase{mbRetry, "Retry", mrRetry}, TCase{mbIgnore, "Ignore", mrIgnore},
                         TCase{mbAll, "All", mrAll}, TCase{mbNoToAll, "No_To_All", mrNoToAll},
                         TCase{mbYesToAll, "Yes_To_All", mrYesToAll}, TCase{mbHelp, "Help", mrNone},
                         TCase{mbClose, "Close", mrClose}}) {
    EXPECT_EQ(UTF16ToUTF8(MsgDlgButtonName(c.Button)), c.Name);
    EXPECT_EQ(MsgDlgButtonModalResult(c.Button), c.Result);
    EXPECT_FALSE(MsgDlgButtonCaption(c.Button).empty());
  }
}

TEST(DialogsTest, FileDialogDefaults) {
  TOpenDialog* d = New<TSaveDialog>(static_cast<TComponent*>(nullptr));
  EXPECT_EQ(d->FilterIndex(), 1);
  EXPECT_EQ(d->Options(), (TOpenOptions{ofHideReadOnly, ofEnableSizing}));
  EXPECT_EQ(d->Files()->Count(), 0);
  Free(d);
  TOpenDialog* p = New<TOpenPictureDialog>(static_cast<TComponent*>(nullptr));
  EXPECT_NE(p->Filter().find(u"*.bmp"), String::npos);
  Free(p);
}

TEST_F(FormsFixture, FileDialogListsTheFolderAndReturnsTheChosenName) {
  const std::string dir = testing_support::MakeTempDir("filedialog");
  for (const char* name : {"a.txt", "b.TXT", "c.log"}) std::ofstream(dir + "/" + name) << "x";
  const String folder = UTF8ToUTF16(dir);
  struct TCase {
    const char* Name;
    TOpenOptions Options;
    std::function<void(TForm*)> Answer;
    bool Result;
    String FileName;
  };
  auto type = [this](const String& Text) {
    return [this, Text](TForm*) {
      Display.TypeText(Text);
      Application->ProcessMessages();
      Display.KeyPress(VK_RETURN);
      Application->ProcessMessages();
      Display.KeyPress(VK_ESCAPE);  // only reached when the name was refused
    };
  };
  const TCase cases[] = {
      {"typed name gets the default extension", TOpenOptions{}, type(u"yeni"), true, folder + u"/yeni.txt"},
      {"missing file refused", TOpenOptions{ofFileMustExist}, type(u"yok"), false, u"önceki.txt"},
      {"existing file accepted", TOpenOptions{ofFileMustExist}, type(u"a.txt"), true, folder + u"/a.txt"},
      {"escape cancels", TOpenOptions{}, [this](TForm*) { Display.KeyPress(VK_ESCAPE); }, false, u"önceki.txt"},
      {"picked from the list",
       TOpenOptions{ofFileMustExist},
       [this](TForm* F) {
         auto* list = static_cast<TWinControl*>(F->FindComponent(u"Files"));
         RECT r{};
         SendMessageW(list->Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
         TPoint p = list->ClientToScreen(TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
         Display.Click(p.X, p.Y);
         Application->ProcessMessages();
         Display.KeyPress(VK_RETURN);
       },
       true, folder + u"/b.TXT"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TOpenDialog* d = New<TOpenDialog>(static_cast<TComponent*>(nullptr));
    Track(d);
    d->SetInitialDir(folder);
    d->SetFileName(u"önceki.txt");
    d->SetFilter(u"Metin (*.txt)|*.txt|Hepsi|*");
    d->SetDefaultExt(u"txt");
    d->SetOptions(c.Options);
    std::vector<std::string> listed;
    String caption;
    TLoopStep step;
    step.Post(
        [&] {
          TForm* f = Screen->ActiveForm();
          caption = f->Caption();
          auto* list = static_cast<TWinControl*>(f->FindComponent(u"Files"));
          LRESULT n = SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0);
          for (LRESULT i = 0; i < n; ++i) {
            WCHAR text[64] = {};
            SendMessageW(list->Handle(), LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
            listed.push_back(UTF16ToUTF8(text));
          }
          c.Answer(f);
        },
        [] { return Screen->ActiveForm() && Screen->ActiveForm()->FormState().Contains(fsModal); });
    EXPECT_EQ(d->Execute(), c.Result);
    EXPECT_TRUE(step.Ran());
    EXPECT_EQ(caption, u"Aç");
    EXPECT_EQ(listed, (std::vector<std::string>{"a.txt", "b.TXT"}));
    EXPECT_EQ(d->FileName(), c.FileName);
    EXPECT_EQ(d->Files()->Count(), c.Result ? 1 : 0);
    Free(d);
  }
}

}  // namespace formstest
