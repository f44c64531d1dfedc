// Dialog captions and the translated message dialogs: the standard message,
// information and input dialogs built with the window titles and button
// captions of the component's DlgsCaptions list in the active language.
#include "localization/qlDialogs.h"

#include <algorithm>

#include "localization/qlComp.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Modules.h"

using namespace win;

TClassOf<TForm> MessageDlgFormClass;
TClassOf<TControl> MessageDlgLabelClass;
TClassOf<TWinControl> MessageDlgEditClass;
TClassOf<TWinControl> MessageDlgButtonClass;

CL_IMPLEMENT_CLASS(TMessageForm)

namespace {

// The classes in use: a program's own, else the platform's.
TClassOf<TForm> FormClass() { return MessageDlgFormClass ? MessageDlgFormClass : ClassOf<TForm>(); }
TClassOf<TControl> LabelClass() { return MessageDlgLabelClass ? MessageDlgLabelClass : TClassOf<TControl>(ClassOf<TLabel>()); }
TClassOf<TWinControl> EditClass() { return MessageDlgEditClass ? MessageDlgEditClass : TClassOf<TWinControl>(ClassOf<TEdit>()); }
TClassOf<TWinControl> ButtonClass() {
  return MessageDlgButtonClass ? MessageDlgButtonClass : TClassOf<TWinControl>(ClassOf<TButton>());
}

// Properties a replacement class might not publish are set by name and
// skipped when absent.
void SetOrdByName(TObject* Obj, const String& Name, Int64 Value) {
  const TPropInfo* p = GetPropInfo(Obj, Name);
  if (p && p->Setter) SetOrdProp(Obj, p, Value);
}

void SetStrByName(TObject* Obj, const String& Name, const String& Value) {
  const TPropInfo* p = GetPropInfo(Obj, Name);
  if (p && p->Setter) SetStrProp(Obj, p, Value);
}

const char16_t* const kTitles[] = {u"Warning", u"Error", u"Information", u"Confirm"};
Integer ScreenWidth() { return Screen ? Screen->Width() : GetSystemMetrics(SM_CXSCREEN); }

TForm* NewDialogForm() {
  return static_cast<TForm*>(
      CreateFrom(TClassOf<TCustomForm>(FormClass()), &TCustomForm::CreateNew, static_cast<TComponent*>(Application), 0));
}

// The dialog's icon: one of the system's shared icons, drawn at its size.
class TMessageImage : public TGraphicControl {
  CL_CLASS(TMessageImage, TGraphicControl)
 public:
  HICON Icon{};

 protected:
  void Paint() override {
    if (!Icon) return;
    // Drawn on the control's background through a memory bitmap.
    HDC target = Canvas()->Handle();
    HDC memory = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, Width(), Height());
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, Width(), Height(), target, 0, 0, SRCCOPY);
    DrawIconEx(memory, 0, 0, Icon, Width(), Height(), 0, nullptr, DI_NORMAL);
    BitBlt(target, 0, 0, Width(), Height(), memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
  }
};

// The platform's result code of a task-dialog call that could not be made.
constexpr Integer E_NOTIMPL_RESULT = Integer(0x80004001u);

FARPROC gTaskDialogIndirect = nullptr;
bool gTaskDialogLookedUp = false;

}  // namespace

CL_IMPLEMENT_CLASS(TMessageImage)

TSize GetAveCharSize(TCanvas* Canvas) {
  const String letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  TSize extent = Canvas->TextExtent(letters);
  return TSize{extent.cx / 52, extent.cy};
}

// --- The dialog helper -------------------------------------------------------------------------

String TMessageForm::GetFormText() {
  const String dashes(27, u'-');
  String buttons;
  String message;
  if (MessageForm) {
    for (Integer i = 0; i < MessageForm->ComponentCount(); ++i) {
      TComponent* c = MessageForm->Components(i);
      if (c->ClassType() == TButton::StaticClass()) buttons += static_cast<TButton*>(c)->Caption() + u"\t";
    }
    if (auto* m = dynamic_cast<TControl*>(MessageForm->FindComponent(u"Message"))) message = m->Caption();
  }
  return Format(u"%0:s\r\n%1:s\r\n%0:s\r\n%2:s\r\n%0:s\r\n%3:s\r\n%0:s",
                {dashes, MessageForm ? MessageForm->Caption() : String(), message, buttons});
}

void TMessageForm::CustomKeyDown(TObject*, Word& Key, TShiftState Shift) {
  if (Key != 'C' || !(Shift * TShiftState{ssShift, ssAlt, ssCtrl} == TShiftState{ssCtrl})) return;
  MessageBeep(0);
  const String text = GetFormText();
  if (!OpenClipboard(MessageForm ? MessageForm->Handle() : nullptr)) return;
  Finally close([] { CloseClipboard(); });
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(Char));
  if (!h) return;
  auto* p = static_cast<Char*>(GlobalLock(h));
  if (!p) {
    GlobalFree(h);
    return;
  }
  std::copy(text.begin(), text.end(), p);
  p[text.size()] = 0;
  GlobalUnlock(h);
  if (!SetClipboardData(CF_UNICODETEXT, h)) GlobalFree(h);
}

void TMessageForm::HelpButtonClick(TObject*) {
  if (!MessageForm || !Application) return;
  try {
    Application->HelpContext(MessageForm->HelpContext());
  } catch (const Exception& E) {
    Application->MessageBox(E.Message().c_str(), Application->Title().c_str(), MB_OK | MB_ICONERROR);
  }
}

// --- Dialog captions -----------------------------------------------------------------------------

namespace {

// The lists hold text once read, also under StoreAsUTF8; a value still held
// as UTF-8 bytes (every character below 256, a valid UTF-8 sequence) is
// decoded, any other stays as it is (a Turkish "İptal" is not cut to bytes).
String DecodedIfUtf8(const String& Text) {
  RawByteString bytes;
  for (Char c : Text) {
    if (c > 0xFF) return Text;
    bytes += static_cast<char>(c);
  }
  String wide = Utf8ToWide(bytes);
  return WideToUtf8(wide) == bytes ? wide : Text;
}

}  // namespace

String TqlCustomLang::GetButtonCaption(TMsgDlgBtn Button) {
  String caption = GetTextFrom(DlgsCaptions(), StringReplace(MsgDlgButtonName(Button), u"_", u" ", rfReplaceAll), true);
  return StoreAsUTF8() ? DecodedIfUtf8(caption) : caption;
}

// --- The classic dialog ---------------------------------------------------------------------------

TForm* TqlCustomLang::CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                         TMsgDlgBtn DefaultBtn, TMsgDlgBtn CancelBtn) {
  TForm* form = NewDialogForm();
  try {
    form->SetBiDiMode(Application ? Application->BiDiMode() : bdLeftToRight);
    form->SetBorderStyle(bsDialog);
    TComponent* fontOwner = Is<TCustomForm>(Owner()) ? Owner()
                            : FFontsInfoHolder && Is<TCustomForm>(FFontsInfoHolder->Owner()) ? FFontsInfoHolder->Owner()
                                                                                              : nullptr;
    if (fontOwner) form->Font()->SetCharset(static_cast<TCustomForm*>(fontOwner)->Font()->Charset());
    form->Canvas()->Font()->Assign(form->Font());
    form->SetPosition(poDesigned);
    auto* helper = New<TMessageForm>(static_cast<TComponent*>(form));
    helper->SetName(u"MessageFormHelper");
    helper->MessageForm = form;
    SetOrdByName(form, u"KeyPreview", 1);
    form->SetOnKeyDown(TKeyEvent(helper, &TMessageForm::CustomKeyDown));

    TSize units = GetAveCharSize(form->Canvas());
    const Integer horzMargin = MulDiv(8, units.cx, 4), vertMargin = MulDiv(8, units.cy, 8),
                  horzSpacing = MulDiv(10, units.cx, 4), vertSpacing = MulDiv(10, units.cy, 8),
                  buttonHeight = MulDiv(14, units.cy, 8), buttonSpacing = MulDiv(4, units.cx, 4);
    Integer buttonWidth = MulDiv(50, units.cx, 4);
    Integer count = 0;
    for (Integer b = mbYes; b <= mbClose; ++b)
      if (Buttons.Contains(TMsgDlgBtn(b))) {
        ++count;
        TRect r = MsgDlgMeasureText(form->Font(), GetButtonCaption(TMsgDlgBtn(b)), 0, DT_SINGLELINE);
        buttonWidth = std::max(buttonWidth, r.Width() + 8);
      }
    RECT monitor{0, 0, Screen ? Screen->Width() : 0, Screen ? Screen->Height() : 0};
    HWND active = Screen && Screen->ActiveForm() && Screen->ActiveForm()->HandleAllocated()
                      ? Screen->ActiveForm()->Handle()
                      : nullptr;
    HMONITOR hm = active ? MonitorFromWindow(active, MONITOR_DEFAULTTOPRIMARY)
                         : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (hm && GetMonitorInfoW(hm, &mi)) monitor = mi.rcMonitor;
    const UINT readingFlags = UINT(form->DrawTextBiDiModeFlagsReadingOnly());
    const Integer textArea = ScreenWidth() / 2;
    TRect tr = MsgDlgMeasureText(form->Font(), Msg, textArea, DT_WORDBREAK | DT_EXPANDTABS | readingFlags);
    // A very long text (a word wider than the text area, more lines than
    // the monitor holds) is cut to what fits, so that the title and the
    // buttons stay on the monitor; Control+C still copies all of it.
    const Integer frameHeight = form->Height() - form->ClientHeight();
    const Integer roomHeight = (monitor.bottom - monitor.top) - frameHeight - buttonHeight - vertSpacing - 2 * vertMargin;
    const Integer textWidth = std::min<Integer>(tr.Width(), textArea),
                  textHeight = std::max<Integer>(0, std::min<Integer>(tr.Height(), roomHeight));
    const Boolean hasIcon = DlgType != mtCustom;
    Integer iconTextWidth = textWidth, iconTextHeight = textHeight;
    if (hasIcon) {
      iconTextWidth += 32 + horzSpacing;
      iconTextHeight = std::max(iconTextHeight, 32);
    }
    const Integer groupWidth = count > 0 ? buttonWidth * count + buttonSpacing * (count - 1) : 0;
    const Integer clientWidth = std::max(iconTextWidth, groupWidth) + 2 * horzMargin;
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin);

    // Centred on the monitor of the active form (its position on the
    // desktop included), else on the primary monitor.
    form->SetLeft(monitor.left + (monitor.right - monitor.left) / 2 - form->Width() / 2);
    form->SetTop(monitor.top + (monitor.bottom - monitor.top) / 2 - form->Height() / 2);

    if (DlgType != mtCustom) {
      SetStrPropByName(form, u"Caption", GetTextFrom(DlgsCaptions(), kTitles[DlgType], true));
    } else if (Application) {
      form->SetCaption(Application->Title());
    }
    if (hasIcon) {
      auto* image = New<TMessageImage>(static_cast<TComponent*>(form));
      image->SetName(u"Image");
      image->SetParent(form);
      image->SetBounds(horzMargin, vertMargin, 32, 32);
      if (form->UseRightToLeftAlignment()) image->SetLeft(clientWidth - image->Left() - image->Width());
      image->Icon = LoadIconW(nullptr, MsgDlgIcon(DlgType));
    }
    TControl* message = CreateFrom(LabelClass(), static_cast<TComponent*>(form));
    message->SetName(u"Message");
    message->SetParent(form);
    SetOrdByName(message, u"WordWrap", 1);
    SetOrdByName(message, u"Transparent", 1);
    SetOrdByName(message, u"Layout", tlCenter);
    message->SetCaption(Msg);
    message->SetBiDiMode(form->BiDiMode());
    message->SetBounds(horzMargin + iconTextWidth - textWidth, vertMargin, textWidth, std::max(textHeight, iconTextHeight));
    if (form->UseRightToLeftAlignment()) message->SetLeft(clientWidth - message->Left() - message->Width());

    TMsgDlgBtn defaultBtn = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : mbRetry;
    if (DefaultBtn != mbOK) defaultBtn = DefaultBtn;
    TMsgDlgBtn cancelBtn = Buttons.Contains(mbCancel) ? mbCancel : Buttons.Contains(mbNo) ? mbNo : mbOK;
    if (CancelBtn != mbCancel) cancelBtn = CancelBtn;
    Integer x = (clientWidth - groupWidth) / 2;
    for (Integer b = mbYes; b <= mbClose; ++b) {
      const auto btn = TMsgDlgBtn(b);
      if (!Buttons.Contains(btn)) continue;
      TWinControl* button = CreateFrom(ButtonClass(), static_cast<TComponent*>(form));
      button->SetName(MsgDlgButtonName(btn));
      button->SetParent(form);
      button->SetCaption(GetButtonCaption(btn));
      SetOrdByName(button, u"ModalResult", MsgDlgButtonModalResult(btn));
      if (btn == defaultBtn) {
        SetOrdByName(button, u"Default", 1);
        form->SetActiveControl(button);
      }
      if (btn == cancelBtn) SetOrdByName(button, u"Cancel", 1);
      button->SetBounds(x, iconTextHeight + vertMargin + vertSpacing, buttonWidth, buttonHeight);
      if (btn == mbHelp) {
        const TPropInfo* p = GetPropInfo(button, u"OnClick");
        if (p && p->Setter) SetMethodProp(button, p, TNotifyEvent(helper, &TMessageForm::HelpButtonClick).Method());
      }
      x += buttonWidth + buttonSpacing;
    }
  } catch (...) {
    Free(form);
    throw;
  }
  return form;
}

Integer TqlCustomLang::MessageDlgPosHelp(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx,
                                         Integer X, Integer Y, const String& HelpFileName, TMsgDlgBtn DefaultBtn,
                                         TMsgDlgBtn CancelBtn) {
  if (FUseTaskMsgDlg && InitTaskDialogIndirect())
    return DoTaskMessageDlg(String(), Msg, DlgType, Buttons, HelpCtx, X, Y, HelpFileName, DefaultBtn);
  TForm* form = CreateMessageDialog(Msg, DlgType, Buttons, DefaultBtn, CancelBtn);
  Finally release([&] { Free(form); });
  form->SetHelpContext(HelpCtx);
  form->SetHelpFile(HelpFileName);
  if (X >= 0) form->SetLeft(X);
  if (Y >= 0) form->SetTop(Y);
  return form->ShowModal();
}

Integer TqlCustomLang::MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx,
                                  TMsgDlgBtn DefaultBtn, TMsgDlgBtn CancelBtn) {
  return MessageDlgPosHelp(Msg, DlgType, Buttons, HelpCtx, -1, -1, String(), DefaultBtn, CancelBtn);
}

Integer TqlCustomLang::MessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx,
                                     Integer X, Integer Y, TMsgDlgBtn DefaultBtn, TMsgDlgBtn CancelBtn) {
  return MessageDlgPosHelp(Msg, DlgType, Buttons, HelpCtx, X, Y, String(), DefaultBtn, CancelBtn);
}

void TqlCustomLang::ShowMessage(const String& Msg) { ShowMessagePos(Msg, -1, -1); }

void TqlCustomLang::ShowMessageFmt(const String& Msg, std::initializer_list<TVarRec> Params) {
  ShowMessage(Format(Msg, Params));
}

void TqlCustomLang::ShowMessagePos(const String& Msg, Integer X, Integer Y) {
  MessageDlgPos(Msg, mtCustom, TMsgDlgButtons{mbOK}, 0, X, Y, mbOK, mbCancel);
}

// --- Task dialogs -----------------------------------------------------------------------------------

// The common-controls library is asked once, when it is already loaded, for
// its task-dialog function.
Boolean TqlCustomLang::InitTaskDialogIndirect() {
  if (!gTaskDialogLookedUp) {
    gTaskDialogLookedUp = true;
    if (HMODULE module = GetModuleHandleW(u"comctl32.dll"))
      gTaskDialogIndirect = GetProcAddress(module, "TaskDialogIndirect");
  }
  return gTaskDialogIndirect != nullptr;
}

// The system's task-dialog function is not among what this platform offers
// (InitTaskDialogIndirect answers false), so the call that the wrapper would
// make reports E_NOTIMPL and the message is shown by the classic dialog,
// without the title, as on a system without task dialogs.
Integer TqlCustomLang::DoTaskMessageDlg(const String& Title, const String& Msg, TMsgDlgType DlgType,
                                        TMsgDlgButtons Buttons, Integer HelpCtx, Integer X, Integer Y,
                                        const String& HelpFileName, TMsgDlgBtn DefaultBtn) {
  (void)Title;
  (void)E_NOTIMPL_RESULT;
  TForm* form = CreateMessageDialog(Msg, DlgType, Buttons, DefaultBtn, mbCancel);
  Finally release([&] { Free(form); });
  form->SetHelpContext(HelpCtx);
  form->SetHelpFile(HelpFileName);
  if (X >= 0) form->SetLeft(X);
  if (Y >= 0) form->SetTop(Y);
  return form->ShowModal();
}

Integer TqlCustomLang::TaskMessageDlg(const String& Title, const String& Msg, TMsgDlgType DlgType,
                                      TMsgDlgButtons Buttons, Integer HelpCtx, TMsgDlgBtn DefaultBtn) {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  const Boolean modern = GetVersionExW(&version) && version.dwMajorVersion > 5;
  if (modern && InitTaskDialogIndirect())
    return DoTaskMessageDlg(Title, Msg, DlgType, Buttons, HelpCtx, -1, -1, String(), DefaultBtn);
  return MessageDlgPosHelp(Msg, DlgType, Buttons, HelpCtx, -1, -1, String(), DefaultBtn, mbCancel);
}

Integer TqlCustomLang::TaskMessageDlg(const String& Title, const String& Msg, TMsgDlgType DlgType,
                                      TMsgDlgButtons Buttons, Integer HelpCtx) {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExW(&version) && version.dwMajorVersion > 5 && InitTaskDialogIndirect()) {
    TMsgDlgBtn defaultBtn = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : mbRetry;
    return DoTaskMessageDlg(Title, Msg, DlgType, Buttons, HelpCtx, -1, -1, String(), defaultBtn);
  }
  return MessageDlgPosHelp(Msg, DlgType, Buttons, HelpCtx, -1, -1, String(), mbOK, mbCancel);
}

// --- The input dialog -------------------------------------------------------------------------------

Boolean TqlCustomLang::InputQuery(const String& ACaption, const String& APrompt, String& Value, Char APasswordChar) {
  TForm* form = NewDialogForm();
  Finally release([&] { Free(form); });
  form->Canvas()->Font()->Assign(form->Font());
  TSize units = GetAveCharSize(form->Canvas());
  form->SetBorderStyle(bsDialog);
  form->SetCaption(ACaption);
  form->SetPosition(poScreenCenter);
  Integer buttonWidth = MulDiv(50, units.cx, 4);
  for (TMsgDlgBtn b : {mbOK, mbCancel})
    buttonWidth = std::max(buttonWidth, MsgDlgMeasureText(form->Font(), GetButtonCaption(b), 0, DT_SINGLELINE).Width() + 8);
  Integer clientWidth = 2 * buttonWidth + 36;
  const Integer margin = MulDiv(8, units.cx, 4);
  // A very long prompt (a word wider than half the screen, more lines than
  // the screen holds) is cut to what fits, so that the box, its edit and its
  // buttons stay on the screen.
  const Integer textArea = ScreenWidth() / 2;
  const TRect pr = MsgDlgMeasureText(form->Font(), APrompt, textArea, DT_WORDBREAK);
  const Integer promptWidth = std::min<Integer>(pr.Width(), textArea);
  if (2 * margin + promptWidth >= clientWidth) clientWidth = 2 * margin + promptWidth + 36;
  form->SetClientWidth(clientWidth);

  TControl* prompt = CreateFrom(LabelClass(), static_cast<TComponent*>(form));
  prompt->SetParent(form);
  prompt->SetCaption(APrompt);
  prompt->SetLeft(margin);
  prompt->SetTop(MulDiv(8, units.cy, 8));
  prompt->Constraints()->SetMaxWidth(clientWidth - 2 * prompt->Left());
  SetOrdByName(prompt, u"WordWrap", 1);

  TWinControl* edit = CreateFrom(EditClass(), static_cast<TComponent*>(form));
  edit->SetName(u"Edit");
  edit->SetParent(form);
  const Integer buttonHeight = MulDiv(14, units.cy, 8);
  const Integer screenHeight = Screen ? Screen->Height() : GetSystemMetrics(SM_CYSCREEN);
  const Integer room = screenHeight - (form->Height() - form->ClientHeight()) - prompt->Top() - 5 - edit->Height() -
                       15 - buttonHeight - 13;
  const Integer promptHeight = std::max<Integer>(0, std::min<Integer>(pr.Height(), room));
  if (prompt->Height() < promptHeight || prompt->Height() > room) {
    if (GetPropInfo(prompt, u"AutoSize")) SetOrdByName(prompt, u"AutoSize", 0);
    prompt->SetHeight(promptHeight);
  }
  edit->SetLeft(prompt->Left());
  edit->SetTop(prompt->Top() + prompt->Height() + 5);
  edit->SetWidth(clientWidth - 2 * prompt->Left());
  SetOrdByName(edit, u"MaxLength", 255);
  if (GetPropInfo(edit, u"Text"))
    SetStrByName(edit, u"Text", Value);
  else
    edit->SetTextBuf(Value.c_str());
  SetOrdByName(edit, u"PasswordChar", APasswordChar);
  if (auto* e = dynamic_cast<TCustomEdit*>(edit)) e->SelectAll();
  form->SetActiveControl(edit);

  const Integer buttonTop = edit->Top() + edit->Height() + 15;
  TWinControl* ok = CreateFrom(ButtonClass(), static_cast<TComponent*>(form));
  ok->SetName(u"OK");
  ok->SetParent(form);
  ok->SetCaption(GetButtonCaption(mbOK));
  SetOrdByName(ok, u"ModalResult", mrOk);
  SetOrdByName(ok, u"Default", 1);
  ok->SetBounds(clientWidth / 2 - buttonWidth - 4, buttonTop, buttonWidth, buttonHeight);
  TWinControl* cancel = CreateFrom(ButtonClass(), static_cast<TComponent*>(form));
  cancel->SetName(u"Cancel");
  cancel->SetParent(form);
  cancel->SetCaption(GetButtonCaption(mbCancel));
  SetOrdByName(cancel, u"ModalResult", mrCancel);
  SetOrdByName(cancel, u"Cancel", 1);
  cancel->SetBounds(clientWidth / 2 + 4, buttonTop, buttonWidth, buttonHeight);
  form->SetClientHeight(cancel->Top() + cancel->Height() + 13);

  if (form->ShowModal() != mrOk) return false;
  if (const TPropInfo* p = GetPropInfo(edit, u"Text", qlStringKinds)) {
    const Boolean utf8 = FStoreAsUTF8;
    FStoreAsUTF8 = false;
    Finally restore([&] { FStoreAsUTF8 = utf8; });
    Value = ReadStrProp(edit, p);
  } else {
    Value = edit->Text();
  }
  return true;
}

String TqlCustomLang::InputBox(const String& ACaption, const String& APrompt, const String& ADefault, Char APasswordChar) {
  String value = ADefault;
  InputQuery(ACaption, APrompt, value, APasswordChar);
  return value;
}
