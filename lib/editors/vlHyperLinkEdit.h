// The hyperlink editor: a text editor whose text is a link, drawn underlined
// in the link colour and opened with StartKey (Ctrl+Enter), a double click
// or, in single-click mode, a click. Opening fires OnStartClick, or hands
// the text, with the protocol prefix in front, to the desktop's opener
// (OpenLink of platform/rtl/LinkOpener.h), which opens only web and mail
// addresses.
#pragma once

#include "lib/editors/vlEditStyles.h"
#include "lib/editors/vlFilterEdit.h"
#include "lib/editors/vlTextEdit.h"

class TFiler;
class TReader;
class TWriter;

CL_ENUM(TvlHyperLinkEditUsePrefix, Byte, upAlways, upOnlyOnExecute, upNever)

// Ctrl+Enter.
constexpr Word vlHyperLinkDefaultStartKey = 16397;

class TvlCustomHyperLinkEditProperties : public TvlCustomTextEditProperties {
  CL_CLASS(TvlCustomHyperLinkEditProperties, TvlCustomTextEditProperties)
 public:
  void DefineProperties(TFiler* Filer) override;
  void Assign(TPersistent* Source) override;
  void Create(TPersistent* AOwner) override;
  TvlCustomEditClass GetContainerClass() const override;
  TvlCustomEditStyleClass GetStyleClass() const override;
  TvlCustomEditViewInfoClass GetViewInfoClass() const override;
  TvlEditSupportedOperations GetSupportedOperations() override;
  void ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText, Boolean& AError,
                            TvlCustomEdit* AEdit) override;
  // AText trimmed, with Prefix in front unless it already begins with Prefix
  // or with a web or mail scheme (both compared without regard to case).
  virtual void AddPrefix(const String& AText, String& Result);

  TColor LinkColor() const { return FLinkColor; }
  void SetLinkColor(TColor Value);
  const String& Prefix() const { return FPrefix; }
  void SetPrefix(const String& Value) { FPrefix = Value; }
  Boolean SingleClick() const { return FSingleClick; }
  void SetSingleClick(Boolean Value);
  Word StartKey() const { return FStartKey; }
  void SetStartKey(Word Value) { FStartKey = Value; }
  TvlHyperLinkEditUsePrefix UsePrefix() const { return FUsePrefix; }
  void SetUsePrefix(TvlHyperLinkEditUsePrefix Value) { FUsePrefix = Value; }
  // Kept for old streams: True while UsePrefix is not upNever.
  Boolean AutoComplete() const { return FUsePrefix != upNever; }
  void SetAutoComplete(Boolean Value) { FUsePrefix = Value ? upAlways : upNever; }
  const TNotifyEvent& OnStartClick() const { return FOnStartClick; }
  void SetOnStartClick(const TNotifyEvent& Value) { FOnStartClick = Value; }

 private:
  void ReadPrefix(TReader* Reader);
  void WritePrefix(TWriter* Writer);

  TColor FLinkColor{};
  String FPrefix;
  Boolean FSingleClick{};
  Word FStartKey{};
  TvlHyperLinkEditUsePrefix FUsePrefix{};
  TNotifyEvent FOnStartClick;
};

class TvlHyperLinkEditProperties : public TvlCustomHyperLinkEditProperties {
  CL_CLASS(TvlHyperLinkEditProperties, TvlCustomHyperLinkEditProperties)
};

// The link colour (unless the style is read directly) and an underline.
class TvlHyperLinkStyle : public TvlEditStyle {
  CL_CLASS(TvlHyperLinkStyle, TvlEditStyle)
 protected:
  TColor GetTextColor() override;
  TFontStyles ReadTextStyle() override;
};

class TvlHyperLinkEditViewInfo : public TvlCustomTextEditViewInfo {
  CL_CLASS(TvlHyperLinkEditViewInfo, TvlCustomTextEditViewInfo)
 public:
  void GetEditPainterColors(TColor& ABackground, TColor& ATextColor) override;
  using TvlCustomTextEditViewInfo::IsHotTrack;
  Boolean IsHotTrack() override;
  Boolean IsHotTrack(const TPoint& P) override;
  // In a cell (no editor): underlined, in the link colour, or in the text
  // colour while the cell is selected.
  void PrepareCanvasFont(TvlCanvas* ACanvas) override;
  // LinkColor, or the painter's hyperlink colour when LinkColor is clBlue.
  virtual TColor GetLinkColor();

 private:
  TvlCustomHyperLinkEditProperties* LinkProperties() const;
};

class TvlCustomHyperLinkEdit : public TvlCustomTextEdit {
  CL_CLASS(TvlCustomHyperLinkEdit, TvlCustomTextEdit)
 public:
  void ActivateByMouse(TShiftState AShift, Integer AX, Integer AY, TvlCustomEditData*& AEditData) override;
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlCustomHyperLinkEditProperties>();
  }
  void SelectAll() override;
  // OnStartClick, or the text (prefixed unless upNever) to the desktop's opener.
  virtual void StartLink();

  TvlCustomHyperLinkEditProperties* ActiveProperties() {
    return static_cast<TvlCustomHyperLinkEditProperties*>(TvlCustomEdit::ActiveProperties());
  }
  TvlCustomHyperLinkEditProperties* Properties() const {
    return static_cast<TvlCustomHyperLinkEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlCustomHyperLinkEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }

 protected:
  void PropertiesChanged(TObject* Sender) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseEnter(TControl* AControl) override;
  void MouseLeave(TControl* AControl) override;

 private:
  void ShowHandCursor();
  void RestoreCursor();
  void ApplyCursor(TCursor ACursor);

  TCursor FSaveCursor{};
  Boolean FHandShown{};
};

class TvlHyperLinkEdit : public TvlCustomHyperLinkEdit {
  CL_CLASS(TvlHyperLinkEdit, TvlCustomHyperLinkEdit)
 public:
  TvlCustomEditPropertiesClass GetPropertiesClass() const override {
    return ClassOf<TvlHyperLinkEditProperties>();
  }
  TvlHyperLinkEditProperties* Properties() const {
    return static_cast<TvlHyperLinkEditProperties*>(TvlCustomEdit::Properties());
  }
  void SetProperties(TvlHyperLinkEditProperties* Value) { TvlCustomEdit::SetProperties(Value); }
};

class TvlFilterHyperLinkEditHelper : public TvlFilterTextEditHelper {
  CL_CLASS(TvlFilterHyperLinkEditHelper, TvlFilterTextEditHelper)
 public:
  TvlCustomEditClass GetFilterEditClass() const override;
};
