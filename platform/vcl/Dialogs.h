// Message dialogs and the file dialogs.
//
// A message dialog is a form made by CreateMessageDialog: an icon for the
// kind, the word-wrapped text and a row of buttons with the system's Turkish
// captions (the same words as the window system's message box: "Tamam",
// "İptal", "&Evet", "&Hayır", ...). Each button ends the modal loop with its
// modal result; Enter presses the default button, Escape the cancel button.
//
// The file dialogs keep their properties; Execute shows a simple modal form
// of the system's own: the files of one folder (InitialDir, else the folder
// of FileName, else the current one) that match the chosen filter, a name
// edit, OK and Cancel.
#pragma once

#include "platform/classes/WinHandles.h"
#include "platform/vcl/Forms.h"

class TStrings;

// --- Message dialogs --------------------------------------------------------------

CL_ENUM(TMsgDlgType, Byte, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
CL_ENUM(TMsgDlgBtn, Byte, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll,
        mbHelp, mbClose)
using TMsgDlgButtons = TSet<TMsgDlgBtn, 2>;
CL_SET_TYPEINFO(TMsgDlgButtons)

inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline const TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The caption of a button ("Tamam", "&Evet", ...), its component name
// ("OK", "Yes", "No_To_All", ...) and modal result (mbHelp: 0).
String MsgDlgButtonCaption(TMsgDlgBtn Button);
String MsgDlgButtonName(TMsgDlgBtn Button);
Integer MsgDlgButtonModalResult(TMsgDlgBtn Button);
// The window title of a kind ("Uyarı", "Hata", "Bilgi", "Onay"; mtCustom:
// the application's title).
String MsgDlgTitle(TMsgDlgType DlgType);
// The system icon of a kind (nil for mtCustom) and a text's extent on a
// font, single line or word-wrapped in MaxWidth: what a dialog is laid out by.
win::LPCWSTR MsgDlgIcon(TMsgDlgType DlgType);
TRect MsgDlgMeasureText(TFont* Font, const String& Text, Integer MaxWidth, win::UINT Flags);

// Builds the dialog without showing it; the caller frees the form. The
// default button is OK, else Yes, else Retry (DefaultButton other than mbOK
// chooses it); the cancel button is Cancel, else No, else OK (CancelButton
// other than mbCancel chooses it). The form is centred on the screen.
TForm* CreateMessageDialog(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                           TMsgDlgBtn DefaultButton = mbOK, TMsgDlgBtn CancelButton = mbCancel);
// Shows the dialog modally and answers the modal result of the button
// pressed (mrCancel when the window is closed otherwise).
Integer MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx,
                   TMsgDlgBtn DefaultButton = mbOK);
// The same at (X, Y) when they are 0 or more.
Integer MessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, THelpContext HelpCtx,
                      Integer X, Integer Y, TMsgDlgBtn DefaultButton = mbOK);
// An OK box titled with the application's title.
void ShowMessage(const String& Msg);
void ShowMessagePos(const String& Msg, Integer X, Integer Y);

// --- File dialogs -----------------------------------------------------------------

CL_ENUM(TOpenOption, Byte, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp,
        ofNoValidate, ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
        ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
        ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing, ofDontAddToRecent,
        ofForceShowHidden)
using TOpenOptions = TSet<TOpenOption, 4>;
CL_SET_TYPEINFO(TOpenOptions)
CL_ENUM(TOpenOptionEx, Byte, ofExNoPlacesBar)
using TOpenOptionsEx = TSet<TOpenOptionEx, 1>;
CL_SET_TYPEINFO(TOpenOptionsEx)

class TCommonDialog : public TComponent {
  CL_CLASS(TCommonDialog, TComponent)
 public:
  void Create(TComponent* AOwner) override;
  // Shows the dialog modally; True when the user confirmed.
  virtual Boolean Execute();
  THelpContext HelpContext() const { return FHelpContext; }
  void SetHelpContext(THelpContext Value) { FHelpContext = Value; }
  Boolean Ctl3D() const { return FCtl3D; }
  void SetCtl3D(Boolean Value) { FCtl3D = Value; }
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(const TNotifyEvent& V) { FOnShow = V; }
  const TNotifyEvent& OnClose() const { return FOnClose; }
  void SetOnClose(const TNotifyEvent& V) { FOnClose = V; }

 private:
  THelpContext FHelpContext{};
  Boolean FCtl3D{};
  TNotifyEvent FOnShow, FOnClose;
};

class TOpenDialog : public TCommonDialog {
  CL_CLASS(TOpenDialog, TCommonDialog)
 public:
  void Create(TComponent* AOwner) override;
  void Destroy() override;
  // True with FileName (and Files) set to the chosen file when the user
  // confirmed; DefaultExt is added to a name without extension;
  // ofFileMustExist and ofPathMustExist refuse missing files and folders,
  // ofOverwritePrompt (save dialogs) asks before an existing file is chosen.
  Boolean Execute() override;

  String DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const String& Value) { FDefaultExt = Value; }
  String FileName() const { return FFileName; }
  void SetFileName(const String& Value) { FFileName = Value; }
  TStrings* Files() const { return FFiles; }
  String Filter() const { return FFilter; }
  void SetFilter(const String& Value) { FFilter = Value; }
  Integer FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(Integer Value) { FFilterIndex = Value; }
  String InitialDir() const { return FInitialDir; }
  void SetInitialDir(const String& Value) { FInitialDir = Value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions Value) { FOptions = Value; }
  TOpenOptionsEx OptionsEx() const { return FOptionsEx; }
  void SetOptionsEx(TOpenOptionsEx Value) { FOptionsEx = Value; }
  String Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }

 private:
  String FDefaultExt, FFileName, FFilter, FInitialDir, FTitle;
  Integer FFilterIndex{};
  TOpenOptions FOptions{};
  TOpenOptionsEx FOptionsEx{};
  TStrings* FFiles{};
};

class TSaveDialog : public TOpenDialog {
  CL_CLASS(TSaveDialog, TOpenDialog)
};

// The picture dialogs: file dialogs whose filter starts as every registered
// picture format.
class TOpenPictureDialog : public TOpenDialog {
  CL_CLASS(TOpenPictureDialog, TOpenDialog)
 public:
  void Create(TComponent* AOwner) override;
};

class TSavePictureDialog : public TOpenPictureDialog {
  CL_CLASS(TSavePictureDialog, TOpenPictureDialog)
};
