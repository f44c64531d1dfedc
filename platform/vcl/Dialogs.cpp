#include "platform/vcl/Dialogs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"

namespace {

using namespace win;

struct TButtonInfo {
  const char16_t* Name;
  const char16_t* Caption;
  Integer ModalResult;
};

// The buttons in their order: component name, caption (the message box's
// Turkish words where it has the button) and modal result.
const TButtonInfo ButtonTable[] = {
    {u"Yes", u"&Evet", mrYes},
    {u"No", u"&Hayır", mrNo},
    {u"OK", u"Tamam", mrOk},
    {u"Cancel", u"İptal", mrCancel},
    {u"Abort", u"&Durdur", mrAbort},
    {u"Retry", u"&Yeniden Dene", mrRetry},
    {u"Ignore", u"&Yoksay", mrIgnore},
    {u"All", u"&Tümü", mrAll},
    {u"No_To_All", u"Tümüne H&ayır", mrNoToAll},
    {u"Yes_To_All", u"Tümüne E&vet", mrYesToAll},
    {u"Help", u"&Yardım", mrNone},
    {u"Close", u"&Kapat", mrClose},
};

const TButtonInfo& InfoOf(TMsgDlgBtn B) { return ButtonTable[std::min<size_t>(size_t(B), std::size(ButtonTable) - 1)]; }

// A push button of the message dialog: pressing it (click, Space, or Enter
// and Escape through the dialog) sets the form's modal result.
class TMessageButton : public TCustomControl {
  CL_CLASS(TMessageButton, TCustomControl)
 public:
  void Create(TComponent* AOwner) override {
    TCustomControl::Create(AOwner);
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks});
    SetTabStop(true);
  }
  Integer ModalResult() const { return FModalResult; }
  void SetModalResult(Integer Value) { FModalResult = Value; }
  Boolean Default() const { return FDefault; }
  void SetDefault(Boolean Value) { FDefault = Value; }
  Boolean Cancel() const { return FCancel; }
  void SetCancel(Boolean Value) { FCancel = Value; }

  void Click() override {
    TCustomForm* form = GetParentForm(this);
    TControl::Click();
    if (!form) return;
    if (FModalResult != mrNone)
      form->SetModalResult(FModalResult);
    else if (Application)
      Application->HelpContext(form->HelpContext());
  }

  void Dispatch(TMessage& Message) override {
    switch (Message.Msg) {
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        TCustomControl::Dispatch(Message);
        Invalidate();
        break;
      case WM_GETDLGCODE: Message.Result = DLGC_BUTTON; break;
      default: TCustomControl::Dispatch(Message);
    }
  }

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_SPACE) {
      Key = 0;
      Click();
    }
  }

  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override {
    if (Button == mbLeft && CanFocus()) SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
  }

  void Paint() override {
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    HDC dc = c->Handle();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    RECT fr = r;
    Boolean focused = WindowHandle() && GetFocus() == WindowHandle();
    if (FDefault || focused) {
      FrameRect(dc, &fr, GetSysColorBrush(COLOR_WINDOWFRAME));
      InflateRect(&fr, -1, -1);
    }
    DrawFrameControl(dc, &fr, DFC_BUTTON, DFCS_BUTTONPUSH);
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    String text = Caption();
    RECT tr = fr;
    DrawTextW(dc, text.c_str(), Integer(text.size()), &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (focused) {
      InflateRect(&fr, -3, -3);
      DrawFocusRect(dc, &fr);
    }
  }

 private:
  Integer FModalResult{};
  Boolean FDefault{};
  Boolean FCancel{};
};

// The dialog's icon.
class TMessageIcon : public TGraphicControl {
  CL_CLASS(TMessageIcon, TGraphicControl)
 public:
  void SetIcon(HICON Value) { FIcon = Value; }

 protected:
  void Paint() override {
    if (FIcon) DrawIconEx(Canvas()->Handle(), 0, 0, FIcon, Width(), Height(), 0, nullptr, DI_NORMAL);
  }

 private:
  HICON FIcon{};
};

// The dialog's text: word-wrapped, tabs expanded, "&" shown as it is.
class TMessageText : public TGraphicControl {
  CL_CLASS(TMessageText, TGraphicControl)
 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    String text = Caption();
    RECT r = ClientRect();
    DrawTextW(c->Handle(), text.c_str(), Integer(text.size()), &r,
              DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | UINT(DrawTextBiDiModeFlagsReadingOnly()));
  }
};

// The dialog form: Enter presses the focused button (else the default one),
// Escape the cancel button.
class TMessageForm : public TForm {
  CL_CLASS(TMessageForm, TForm)
 public:
  void Dispatch(TMessage& Message) override {
    if ((Message.Msg == CM_DIALOGKEY && PressFor(Word(Message.WParam))) ||
        (Message.Msg == CM_DIALOGCHAR && PressAccelerator(Char(Message.WParam)))) {
      Message.Result = 1;
      return;
    }
    TForm::Dispatch(Message);
  }
  Boolean DoKeyDown(TWMKey& Message) override {
    if (PressFor(Message.CharCode())) return true;
    return TForm::DoKeyDown(Message);
  }

 private:
  Boolean PressFor(Word Key) {
    if (Key != VK_RETURN && Key != VK_ESCAPE) return false;
    TMessageButton* target = nullptr;
    if (Key == VK_RETURN) {
      HWND focus = GetFocus();
      for (Integer i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TMessageButton*>(Controls(i))) {
          if (b->WindowHandle() && b->WindowHandle() == focus) target = b;
        }
      if (!target)
        for (Integer i = 0; i < ControlCount(); ++i)
          if (auto* b = dynamic_cast<TMessageButton*>(Controls(i)); b && b->Default()) target = b;
    } else {
      for (Integer i = 0; i < ControlCount(); ++i)
        if (auto* b = dynamic_cast<TMessageButton*>(Controls(i)); b && b->Cancel()) target = b;
    }
    if (!target) return false;
    target->Click();
    return true;
  }

  // The button whose caption marks Key with "&" (letters compared as the
  // Turkish keyboard folds them).
  Boolean PressAccelerator(Char Key) {
    auto fold = [](Char c) -> Char {
      if (c >= u'a' && c <= u'z') return Char(c - 32);
      if (c == u'ı') return u'I';
      if (c == u'i') return u'İ';
      return c;
    };
    for (Integer i = 0; i < ControlCount(); ++i)
      if (auto* b = dynamic_cast<TMessageButton*>(Controls(i))) {
        const String& caption = b->Caption();
        for (size_t k = 0; k + 1 < caption.size(); ++k)
          if (caption[k] == u'&') {
            if (caption[k + 1] != u'&' && fold(caption[k + 1]) == fold(Key)) {
              b->Click();
              return true;
            }
            ++k;
          }
      }
    return false;
  }
};

CL_IMPLEMENT_CLASS(TMessageButton)
CL_IMPLEMENT_CLASS(TMessageIcon)
CL_IMPLEMENT_CLASS(TMessageText)
CL_IMPLEMENT_CLASS(TMessageForm)

}  // namespace

LPCWSTR MsgDlgIcon(TMsgDlgType T) {
  switch (T) {
    case mtWarning: return IDI_EXCLAMATION;
    case mtError: return IDI_HAND;
    case mtInformation: return IDI_ASTERISK;
    case mtConfirmation: return IDI_QUESTION;
    default: return nullptr;
  }
}

// Text extent on the form's font (single line or word-wrapped in MaxWidth).
TRect MsgDlgMeasureText(TFont* Font, const String& Text, Integer MaxWidth, UINT Flags) {
  RECT r{0, 0, MaxWidth, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font->Handle());
  DrawTextW(dc, Text.c_str(), Integer(Text.size()), &r, DT_CALCRECT | Flags);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return r;
}

String MsgDlgButtonCaption(TMsgDlgBtn Button) { return InfoOf(Button).Caption; }
String MsgDlgButtonName(TMsgDlgBtn Button) { return InfoOf(Button).Name; }
Integer MsgDlgButtonModalResult(TMsgDlgBtn Button) { return InfoOf(Button).ModalResult; }

String MsgDlgTitle(TMsgDlgType DlgType) {
  switch (DlgType) {
    case mtWarning: return u"Uyarı";
    case mtError: return u"Hata";
    case mtInformation: return u"Bilgi";
    case mtConfirmation: return u"Onay";
    default: return Application ? Application->Title() : String();
  }
}

TForm* CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, TMsgDlgBtn DefaultButton,
                           TMsgDlgBtn CancelButton) {
  TForm* form = NewBy<TMessageForm>(&TMessageForm::CreateNew, static_cast<TComponent*>(Application), 0);
  try {
    form->SetBiDiMode(Application ? Application->BiDiMode() : bdLeftToRight);
    form->SetBorderStyle(bsDialog);
    form->SetKeyPreview(true);
    form->SetCaption(MsgDlgTitle(DlgType));
    // Dialog units: the average letter width and the letter height of the font.
    const String letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    TRect lr = MsgDlgMeasureText(form->Font(), letters, 0, DT_SINGLELINE | DT_NOPREFIX);
    Integer dx = lr.Width() / 52, dy = lr.Height();
    Integer horzMargin = MulDiv(8, dx, 4), vertMargin = MulDiv(8, dy, 8), horzSpacing = MulDiv(10, dx, 4),
            vertSpacing = MulDiv(10, dy, 8), buttonWidth = MulDiv(50, dx, 4), buttonHeight = MulDiv(14, dy, 8),
            buttonSpacing = MulDiv(4, dx, 4);
    Integer count = 0;
    for (Integer b = mbYes; b <= mbClose; ++b)
      if (Buttons.Contains(TMsgDlgBtn(b))) {
        ++count;
        TRect cr = MsgDlgMeasureText(form->Font(), MsgDlgButtonCaption(TMsgDlgBtn(b)), 0, DT_SINGLELINE);
        buttonWidth = std::max(buttonWidth, cr.Width() + 8);
      }
    Integer screenWidth = Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN);
    TRect tr = MsgDlgMeasureText(form->Font(), Msg, screenWidth / 2, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    Integer textWidth = tr.Width(), textHeight = tr.Height();
    LPCWSTR iconId = MsgDlgIcon(DlgType);
    Integer iconTextWidth = textWidth, iconTextHeight = textHeight;
    if (iconId) {
      iconTextWidth += 32 + horzSpacing;
      iconTextHeight = std::max(iconTextHeight, 32);
    }
    Integer groupWidth = count > 0 ? buttonWidth * count + buttonSpacing * (count - 1) : 0;
    Integer clientWidth = std::max(iconTextWidth, groupWidth) + 2 * horzMargin;
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin);
    form->SetPosition(poScreenCenter);
    if (iconId) {
      auto* icon = New<TMessageIcon>(static_cast<TComponent*>(form));
      static_cast<TComponent*>(icon)->SetName(u"Image");
      icon->SetIcon(LoadIconW(nullptr, iconId));
      icon->SetBounds(horzMargin, vertMargin, 32, 32);
      static_cast<TControl*>(icon)->SetParent(form);
    }
    auto* text = New<TMessageText>(static_cast<TComponent*>(form));
    static_cast<TComponent*>(text)->SetName(u"Message");
    text->SetCaption(Msg);
    text->SetBounds(horzMargin + iconTextWidth - textWidth, vertMargin, textWidth,
                    std::max(textHeight, iconTextHeight));
    static_cast<TControl*>(text)->SetParent(form);
    TMsgDlgBtn defaultButton = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : mbRetry;
    if (DefaultButton != mbOK) defaultButton = DefaultButton;
    TMsgDlgBtn cancelButton = Buttons.Contains(mbCancel) ? mbCancel : Buttons.Contains(mbNo) ? mbNo : mbOK;
    if (CancelButton != mbCancel) cancelButton = CancelButton;
    Integer x = (clientWidth - groupWidth) / 2;
    for (Integer b = mbYes; b <= mbClose; ++b) {
      auto btn = TMsgDlgBtn(b);
      if (!Buttons.Contains(btn)) continue;
      auto* button = New<TMessageButton>(static_cast<TComponent*>(form));
      static_cast<TComponent*>(button)->SetName(MsgDlgButtonName(btn));
      button->SetCaption(MsgDlgButtonCaption(btn));
      button->SetModalResult(MsgDlgButtonModalResult(btn));
      button->SetDefault(btn == defaultButton);
      button->SetCancel(btn == cancelButton);
      button->SetBounds(x, iconTextHeight + vertMargin + vertSpacing, buttonWidth, buttonHeight);
      static_cast<TControl*>(button)->SetParent(form);
      if (btn == defaultButton) form->SetActiveControl(button);
      x += buttonWidth + buttonSpacing;
    }
  } catch (...) {
    Free(form);
    throw;
  }
  return form;
}

Integer MessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx, Integer X,
                      Integer Y, TMsgDlgBtn DefaultButton) {
  TForm* form = CreateMessageDialog(Msg, DlgType, Buttons, DefaultButton);
  Integer result = 0;
  {
    Finally release([&] { Free(form); });
    form->SetHelpContext(HelpCtx);
    if (X >= 0 || Y >= 0) {
      form->SetPosition(poDesigned);
      form->SetBounds(X >= 0 ? X : (Screen->Width() - form->Width()) / 2,
                      Y >= 0 ? Y : (Screen->Height() - form->Height()) / 2, form->Width(), form->Height());
    }
    result = form->ShowModal();
  }
  return result;
}

Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx,
                   TMsgDlgBtn DefaultButton) {
  return MessageDlgPos(Msg, DlgType, Buttons, HelpCtx, -1, -1, DefaultButton);
}

void ShowMessage(const String& Msg) { ShowMessagePos(Msg, -1, -1); }

void ShowMessagePos(const String& Msg, Integer X, Integer Y) {
  MessageDlgPos(Msg, mtCustom, TMsgDlgButtons{mbOK}, 0, X, Y);
}

// --- File dialogs -------------------------------------------------------------------

namespace {

// The name edit of the file dialog: the window system's edit.
class TFileNameEdit : public TWinControl {
  CL_CLASS(TFileNameEdit, TWinControl)
 public:
  void Create(TComponent* AOwner) override {
    TWinControl::Create(AOwner);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
  }
  String Value() {
    if (!HandleAllocated()) return Caption();
    Integer n = GetWindowTextLengthW(WindowHandle());
    String text(size_t(std::max(n, 0)) + 1, u'\0');
    Integer got = GetWindowTextW(WindowHandle(), text.data(), n + 1);
    text.resize(size_t(std::max(got, 0)));
    return text;
  }
  // The whole name is selected when the edit takes the focus, so typing
  // replaces it.
  void Dispatch(TMessage& Message) override {
    TWinControl::Dispatch(Message);
    if (Message.Msg == WM_SETFOCUS && HandleAllocated()) SendMessageW(WindowHandle(), EM_SETSEL, 0, -1);
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, u"EDIT");
    Params.Style |= ES_AUTOHSCROLL;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  }
};

// The file list of the file dialog: the window system's list box. Choosing
// a file puts its name in the edit; a double click confirms it.
class TFileList : public TWinControl {
  CL_CLASS(TFileList, TWinControl)
 public:
  void Create(TComponent* AOwner) override {
    TWinControl::Create(AOwner);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
  }
  TFileNameEdit* Edit{};
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == CN_COMMAND) {
      WORD code = HIWORD(Message.WParam);
      if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
        LRESULT i = SendMessageW(WindowHandle(), LB_GETCURSEL, 0, 0);
        if (i >= 0 && Edit) {
          LRESULT n = SendMessageW(WindowHandle(), LB_GETTEXTLEN, WPARAM(i), 0);
          String text(size_t(std::max<LRESULT>(n, 0)) + 1, u'\0');
          SendMessageW(WindowHandle(), LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
          text.resize(size_t(std::max<LRESULT>(n, 0)));
          SetWindowTextW(Edit->Handle(), text.c_str());
        }
        if (code == LBN_DBLCLK)
          if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(mrOk);
        return;
      }
    }
    TWinControl::Dispatch(Message);
  }

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, u"LISTBOX");
    Params.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    Params.ExStyle |= WS_EX_CLIENTEDGE;
  }
};

// Case-insensitive wildcard match of a file name ("*" and "?").
bool MatchesWildcard(const String& Name, const String& Mask) {
  auto fold = [](Char c) { return (c >= u'a' && c <= u'z') ? Char(c - 32) : c; };
  size_t n = 0, m = 0, starM = String::npos, starN = 0;
  while (n < Name.size()) {
    if (m < Mask.size() && (Mask[m] == u'?' || fold(Mask[m]) == fold(Name[n]))) {
      ++n;
      ++m;
    } else if (m < Mask.size() && Mask[m] == u'*') {
      starM = m++;
      starN = n;
    } else if (starM != String::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < Mask.size() && Mask[m] == u'*') ++m;
  return m == Mask.size();
}

// The masks of the filter's FilterIndex-th pair ("Text|*.txt;*.log|..."); all
// files when the filter is empty.
std::vector<String> MasksOf(const String& Filter, Integer FilterIndex) {
  std::vector<String> parts;
  size_t start = 0;
  for (size_t i = 0; i <= Filter.size(); ++i)
    if (i == Filter.size() || Filter[i] == u'|') {
      parts.push_back(Filter.substr(start, i - start));
      start = i + 1;
    }
  size_t pairs = parts.size() / 2;
  if (pairs == 0) return {u"*"};
  size_t index = (FilterIndex >= 1 && size_t(FilterIndex) <= pairs) ? size_t(FilterIndex) - 1 : 0;
  std::vector<String> masks;
  const String& list = parts[index * 2 + 1];
  start = 0;
  for (size_t i = 0; i <= list.size(); ++i)
    if (i == list.size() || list[i] == u';') {
      String mask = Trim(list.substr(start, i - start));
      if (!mask.empty()) masks.push_back(mask);
      start = i + 1;
    }
  if (masks.empty()) masks.push_back(u"*");
  return masks;
}

// The files of a folder that match one of the masks, sorted; an unreadable
// folder gives none.
std::vector<String> FilesOf(const String& Folder, const std::vector<String>& Masks) {
  std::vector<String> files;
  std::error_code ec;
  std::filesystem::directory_iterator it(UTF16ToUTF8(Folder), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code fec;
    if (!it->is_regular_file(fec)) continue;
    String name = UTF8ToUTF16(it->path().filename().string());
    for (const String& mask : Masks)
      if (MatchesWildcard(name, mask)) {
        files.push_back(name);
        break;
      }
  }
  std::sort(files.begin(), files.end(), [](const String& a, const String& b) { return CompareText(a, b) < 0; });
  return files;
}

// The file dialog form: checks the chosen name before it closes with OK.
class TFileDialogForm : public TMessageForm {
  CL_CLASS(TFileDialogForm, TMessageForm)
 public:
  TOpenDialog* Dialog{};
  TFileNameEdit* Edit{};
  String Folder;
  Boolean Saving{};
  String Chosen;

  Boolean CloseQuery() override {
    if (!TMessageForm::CloseQuery()) return false;
    if (ModalResult() != mrOk) return true;
    String name = Trim(Edit->Value());
    if (name.empty()) return false;
    String path = (name[0] == u'/') ? name : IncludeTrailingPathDelimiter(Folder) + name;
    if (ExtractFileExt(path).empty() && !Dialog->DefaultExt().empty()) path += u"." + Dialog->DefaultExt();
    TOpenOptions o = Dialog->Options();
    Boolean exists = FileExists(path);
    if (o.Contains(ofFileMustExist) && !exists) {
      MessageBeep(MB_ICONEXCLAMATION);
      return false;
    }
    if (o.Contains(ofPathMustExist) && !DirectoryExists(ExtractFilePath(path))) {
      MessageBeep(MB_ICONEXCLAMATION);
      return false;
    }
    if (Saving && exists && o.Contains(ofOverwritePrompt) &&
        MessageDlg(ExtractFileName(path) + u" zaten var.\nDeğiştirmek istiyor musunuz?", mtWarning, mbYesNo, 0) !=
            mrYes)
      return false;
    Chosen = path;
    return true;
  }
};

CL_IMPLEMENT_CLASS(TFileNameEdit)
CL_IMPLEMENT_CLASS(TFileList)
CL_IMPLEMENT_CLASS(TFileDialogForm)

}  // namespace

CL_IMPLEMENT_CLASS_PUBLISHED(TCommonDialog, P) {
  P.Property(u"Ctl3D", &TCommonDialog::Ctl3D, &TCommonDialog::SetCtl3D).Default(true);
  P.Property(u"HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext).Default(0);
  P.Property(u"OnClose", &TCommonDialog::OnClose, &TCommonDialog::SetOnClose);
  P.Property(u"OnShow", &TCommonDialog::OnShow, &TCommonDialog::SetOnShow);
}

void TCommonDialog::Create(TComponent* AOwner) {
  TComponent::Create(AOwner);
  FCtl3D = true;
}

Boolean TCommonDialog::Execute() { return false; }

CL_IMPLEMENT_CLASS_PUBLISHED(TOpenDialog, P) {
  P.Property(u"DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt);
  P.Property(u"FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName);
  P.Property(u"Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter);
  P.Property(u"FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  P.Property(u"InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir);
  P.Property(u"Options", &TOpenDialog::Options, &TOpenDialog::SetOptions)
      .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing});
  P.Property(u"OptionsEx", &TOpenDialog::OptionsEx, &TOpenDialog::SetOptionsEx).Default(TOpenOptionsEx{});
  P.Property(u"Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
}

void TOpenDialog::Create(TComponent* AOwner) {
  TCommonDialog::Create(AOwner);
  FFilterIndex = 1;
  FOptions = TOpenOptions{ofHideReadOnly, ofEnableSizing};
  FFiles = New<TStringList>();
}

void TOpenDialog::Destroy() {
  FreeAndNil(FFiles);
  TCommonDialog::Destroy();
}

// A modal form of the system's own: the files of one folder that match the
// chosen filter, the name edit, OK and Cancel.
Boolean TOpenDialog::Execute() {
  TFileDialogForm* form =
      NewBy<TFileDialogForm>(&TFileDialogForm::CreateNew, static_cast<TComponent*>(Application), 0);
  Boolean result = false;
  {
    Finally release([&] { Free(form); });
    form->Dialog = this;
    form->Saving = Is<TSaveDialog>(this);
    form->Folder = FInitialDir;
    if (form->Folder.empty() && !ExtractFilePath(FFileName).empty()) form->Folder = ExtractFilePath(FFileName);
    if (form->Folder.empty()) form->Folder = GetCurrentDir();
    form->Folder = ExcludeTrailingPathDelimiter(form->Folder);
    form->SetBorderStyle(bsDialog);
    form->SetKeyPreview(true);
    form->SetPosition(poScreenCenter);
    form->SetCaption(!FTitle.empty() ? FTitle : form->Saving ? String(u"Farklı Kaydet") : String(u"Aç"));
    form->SetClientWidth(400);
    form->SetClientHeight(290);
    auto place = [form](TControl* C, const char16_t* Name, Integer L, Integer T, Integer W, Integer H) {
      static_cast<TComponent*>(C)->SetName(Name);
      C->SetBounds(L, T, W, H);
      C->SetParent(form);
    };
    auto* folder = New<TMessageText>(static_cast<TComponent*>(form));
    place(folder, u"Folder", 8, 8, 384, 16);
    folder->SetCaption(form->Folder);
    auto* list = New<TFileList>(static_cast<TComponent*>(form));
    place(list, u"Files", 8, 28, 384, 176);
    auto* label = New<TMessageText>(static_cast<TComponent*>(form));
    place(label, u"NameLabel", 8, 219, 72, 16);
    label->SetCaption(u"Dosya adı:");
    auto* edit = New<TFileNameEdit>(static_cast<TComponent*>(form));
    place(edit, u"FileName", 84, 214, 308, 24);
    edit->SetCaption(ExtractFileName(FFileName));
    list->Edit = edit;
    form->Edit = edit;
    auto* ok = New<TMessageButton>(static_cast<TComponent*>(form));
    place(ok, u"OK", 236, 254, 75, 25);
    ok->SetCaption(MsgDlgButtonCaption(mbOK));
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    auto* cancel = New<TMessageButton>(static_cast<TComponent*>(form));
    place(cancel, u"Cancel", 317, 254, 75, 25);
    cancel->SetCaption(MsgDlgButtonCaption(mbCancel));
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    for (const String& name : FilesOf(form->Folder, MasksOf(FFilter, FFilterIndex)))
      SendMessageW(list->Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    form->SetActiveControl(edit);
    if (OnShow().Assigned()) OnShow()(this);
    result = form->ShowModal() == mrOk && !form->Chosen.empty();
    if (OnClose().Assigned()) OnClose()(this);
    if (result) {
      FFileName = form->Chosen;
      FFiles->Clear();
      FFiles->Add(FFileName);
    }
  }
  return result;
}

CL_IMPLEMENT_CLASS(TSaveDialog)
CL_IMPLEMENT_CLASS(TOpenPictureDialog)
CL_IMPLEMENT_CLASS(TSavePictureDialog)

void TOpenPictureDialog::Create(TComponent* AOwner) {
  TOpenDialog::Create(AOwner);
  SetFilter(GraphicFilter(ClassOf<TGraphic>()));
}

namespace {

void Startup() {
  RegisterClasses({TOpenDialog::StaticClass(), TSaveDialog::StaticClass(), TOpenPictureDialog::StaticClass(),
                   TSavePictureDialog::StaticClass()});
}

}  // namespace

CL_UNIT_STEPS(Dialogs, &Startup, nullptr);
