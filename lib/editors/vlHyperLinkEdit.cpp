#include "lib/editors/vlHyperLinkEdit.h"

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlEditViewInfo.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/vlControlServices.h"
#include "lib/lookandfeel/vlLookAndFeelPainters.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/LinkOpener.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

String DefaultPrefix() { return vlGetResourceStringText(svlSHyperLinkPrefix); }

Char AsciiLower(Char C) { return C >= u'A' && C <= u'Z' ? Char(C - u'A' + u'a') : C; }

Boolean StartsWithNoCase(const String& S, const String& APrefix) {
  if (S.size() < APrefix.size()) return false;
  for (size_t i = 0; i < APrefix.size(); ++i)
    if (AsciiLower(S[i]) != AsciiLower(APrefix[i])) return false;
  return true;
}

}  // namespace

// --- Properties -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomHyperLinkEditProperties)

void TvlCustomHyperLinkEditProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FLinkColor = clBlue;
  FPrefix = DefaultPrefix();
  FStartKey = vlHyperLinkDefaultStartKey;
  FUsePrefix = upAlways;
  SetAutoSelect(false);
}

void TvlCustomHyperLinkEditProperties::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  // Written only when it differs from the default prefix (of an ancestor, when there is one).
  String base = DefaultPrefix();
  if (auto* ancestor = dynamic_cast<TvlCustomHyperLinkEditProperties*>(Filer->Ancestor())) base = ancestor->FPrefix;
  Filer->DefineProperty(u"Prefix", TReaderProc(this, &TvlCustomHyperLinkEditProperties::ReadPrefix),
                        TWriterProc(this, &TvlCustomHyperLinkEditProperties::WritePrefix), FPrefix != base);
}

void TvlCustomHyperLinkEditProperties::ReadPrefix(TReader* Reader) { FPrefix = Reader->ReadString(); }

void TvlCustomHyperLinkEditProperties::WritePrefix(TWriter* Writer) { Writer->WriteString(FPrefix); }

void TvlCustomHyperLinkEditProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TvlCustomHyperLinkEditProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally end([&] { EndUpdate(); });
  inherited::Assign(Source);
  SetLinkColor(s->FLinkColor);
  SetPrefix(s->FPrefix);
  SetSingleClick(s->FSingleClick);
  SetStartKey(s->FStartKey);
  SetUsePrefix(s->FUsePrefix);
  SetOnStartClick(s->FOnStartClick);
}

TvlCustomEditClass TvlCustomHyperLinkEditProperties::GetContainerClass() const {
  return ClassOf<TvlHyperLinkEdit>();
}

TvlCustomEditStyleClass TvlCustomHyperLinkEditProperties::GetStyleClass() const {
  return ClassOf<TvlHyperLinkStyle>();
}

TvlCustomEditViewInfoClass TvlCustomHyperLinkEditProperties::GetViewInfoClass() const {
  return ClassOf<TvlHyperLinkEditViewInfo>();
}

TvlEditSupportedOperations TvlCustomHyperLinkEditProperties::GetSupportedOperations() {
  TvlEditSupportedOperations ops = inherited::GetSupportedOperations();
  if (FSingleClick) ops.Include(esoAlwaysHotTrack);
  return ops;
}

void TvlCustomHyperLinkEditProperties::SetLinkColor(TColor Value) {
  if (FLinkColor == Value) return;
  FLinkColor = Value;
  Changed();
}

void TvlCustomHyperLinkEditProperties::SetSingleClick(Boolean Value) {
  if (FSingleClick == Value) return;
  FSingleClick = Value;
  Changed();
}

// A text that already names its scheme keeps it: "HTTP://x" is not made
// "http://HTTP://x", nor "mailto:a@b" "http://mailto:a@b".
void TvlCustomHyperLinkEditProperties::AddPrefix(const String& AText, String& Result) {
  Result = Trim(AText);
  if (FPrefix.empty() || Result.empty()) return;
  if (StartsWithNoCase(Result, FPrefix) || HasAllowedLinkScheme(Result)) return;
  Result = Trim(FPrefix + Result);
}

void TvlCustomHyperLinkEditProperties::ValidateDisplayValue(Variant& ADisplayValue, String& AErrorText,
                                                            Boolean& AError, TvlCustomEdit* AEdit) {
  if (FUsePrefix == upAlways) {
    String prefixed;
    AddPrefix(VarToStr(ADisplayValue), prefixed);
    ADisplayValue = Variant(prefixed);
  }
  inherited::ValidateDisplayValue(ADisplayValue, AErrorText, AError, AEdit);
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlHyperLinkEditProperties, P) {
  using T = TvlHyperLinkEditProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoComplete", &T::AutoComplete, &T::SetAutoComplete).Stored(false);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(false);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"IncrementalSearch", &T::IncrementalSearch, &T::SetIncrementalSearch).Default(true);
  P.Property(u"LinkColor", &T::LinkColor, &T::SetLinkColor).Default(clBlue);
  P.Property(u"LookupItems", &T::LookupItems, &T::SetLookupItems);
  P.Property(u"LookupItemsSorted", &T::LookupItemsSorted, &T::SetLookupItemsSorted).Default(false);
  P.Property(u"Prefix", &T::Prefix, &T::SetPrefix).Stored(false);
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"StartKey", &T::StartKey, &T::SetStartKey).Default(vlHyperLinkDefaultStartKey);
  P.Property(u"SingleClick", &T::SingleClick, &T::SetSingleClick).Default(false);
  P.Property(u"UseLeftAlignmentOnEditing", &T::UseLeftAlignmentOnEditing, &T::SetUseLeftAlignmentOnEditing)
      .Stored(&T::IsUseLeftAlignmentOnEditingStored);
  P.Property(u"UsePrefix", &T::UsePrefix, &T::SetUsePrefix).Default(upAlways);
  P.Property(u"ValidateOnEnter", &T::ValidateOnEnter, &T::SetValidateOnEnter).Default(false);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnStartClick", &T::OnStartClick, &T::SetOnStartClick);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}

// --- Style -----------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlHyperLinkStyle)

TColor TvlHyperLinkStyle::GetTextColor() {
  if (DirectAccessMode()) return inherited::GetTextColor();
  if (auto* edit = dynamic_cast<TvlCustomHyperLinkEdit*>(Edit())) return edit->ActiveProperties()->LinkColor();
  return clBlue;
}

TFontStyles TvlHyperLinkStyle::ReadTextStyle() {
  TFontStyles style = inherited::ReadTextStyle();
  style.Include(fsUnderline);
  return style;
}

// --- View info -------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlHyperLinkEditViewInfo)

TvlCustomHyperLinkEditProperties* TvlHyperLinkEditViewInfo::LinkProperties() const {
  return dynamic_cast<TvlCustomHyperLinkEditProperties*>(EditProperties);
}

TColor TvlHyperLinkEditViewInfo::GetLinkColor() {
  TvlCustomHyperLinkEditProperties* p = LinkProperties();
  const TColor color = p ? p->LinkColor() : clBlue;
  if (color == clBlue && Painter) return Painter->DefaultHyperlinkTextColor();
  return color;
}

void TvlHyperLinkEditViewInfo::GetEditPainterColors(TColor& ABackground, TColor& ATextColor) {
  inherited::GetEditPainterColors(ABackground, ATextColor);
  // A cell keeps the style's text colour: PrepareCanvasFont needs the
  // selection's colour for a selected cell.
  if (Edit) ATextColor = GetLinkColor();
}

Boolean TvlHyperLinkEditViewInfo::IsHotTrack() {
  TvlCustomHyperLinkEditProperties* p = LinkProperties();
  return inherited::IsHotTrack() || (p && p->SingleClick());
}

Boolean TvlHyperLinkEditViewInfo::IsHotTrack(const TPoint& P) {
  TvlCustomHyperLinkEditProperties* p = LinkProperties();
  return inherited::IsHotTrack(P) || (p && p->SingleClick());
}

void TvlHyperLinkEditViewInfo::PrepareCanvasFont(TvlCanvas* ACanvas) {
  inherited::PrepareCanvasFont(ACanvas);
  if (Edit) return;
  TFontStyles style = ACanvas->Font()->Style();
  style.Include(fsUnderline);
  ACanvas->Font()->SetStyle(style);
  ACanvas->Font()->SetColor(IsSelected ? TextColor : GetLinkColor());
}

// --- The editor ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomHyperLinkEdit)

void TvlCustomHyperLinkEdit::PropertiesChanged(TObject* Sender) {
  TvlObjectLinkScope alive(this);
  inherited::PropertiesChanged(Sender);
  // A new LinkColor shows at once.
  if (alive.Alive()) StyleChanged(Style());
}

void TvlCustomHyperLinkEdit::StartLink() {
  TvlObjectLinkScope alive(this);
  TvlCustomHyperLinkEditProperties* own = Properties();
  TvlCustomHyperLinkEditProperties* active = ActiveProperties();
  const Boolean handled = Assigned(own->OnStartClick()) || (RepositoryItem() && Assigned(active->OnStartClick()));
  if (Assigned(own->OnStartClick())) own->OnStartClick()(this);
  if (alive.Alive() && RepositoryItem() && Assigned(ActiveProperties()->OnStartClick()))
    ActiveProperties()->OnStartClick()(this);
  if (handled || !alive.Alive()) return;
  String link = Trim(Text());
  if (ActiveProperties()->UsePrefix() != upNever) {
    String prefixed;
    ActiveProperties()->AddPrefix(link, prefixed);
    link = prefixed;
  }
  // Only web and mail addresses are opened; the opener's answer is not used.
  if (!link.empty()) OpenLink(link);
}

void TvlCustomHyperLinkEdit::KeyDown(Word& Key, TShiftState Shift) {
  const Word startKey = ActiveProperties()->StartKey();
  if (startKey != 0 && ShortCut(Key, Shift) == startKey) {
    // The character this key makes (Ctrl+Enter: a line feed) is not typed.
    MSG msg{};
    if (!(HandleAllocated() && PeekMessageW(&msg, WindowHandle(), WM_CHAR, WM_CHAR, PM_REMOVE)) && InnerControl() &&
        InnerControl()->HandleAllocated())
      PeekMessageW(&msg, InnerControl()->WindowHandle(), WM_CHAR, WM_CHAR, PM_REMOVE);
    Key = 0;
    StartLink();
    return;
  }
  inherited::KeyDown(Key, Shift);
}

void TvlCustomHyperLinkEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLinkScope alive(this);
  inherited::MouseDown(Button, Shift, X, Y);
  if (!alive.Alive() || Button != mbLeft || ActiveProperties()->SingleClick()) return;
  if (Shift.Contains(ssDouble) && vlPointInRect(ClientBounds(), TPoint{X, Y})) StartLink();
}

void TvlCustomHyperLinkEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TvlObjectLinkScope alive(this);
  inherited::MouseUp(Button, Shift, X, Y);
  if (!alive.Alive() || Button != mbLeft || !ActiveProperties()->SingleClick()) return;
  // A click that ends a text selection does not open the link.
  if (vlPointInRect(ClientBounds(), TPoint{X, Y}) && SelLength() == 0) StartLink();
}

void TvlCustomHyperLinkEdit::ApplyCursor(TCursor ACursor) {
  if (InnerControl()) InnerControl()->SetCursor(ACursor);
  SetCursor(ACursor);
  win::SetCursor(Screen->Cursors(ACursor));
}

void TvlCustomHyperLinkEdit::ShowHandCursor() {
  if (!ActiveProperties()->SingleClick() || FHandShown || Cursor() != crDefault) return;
  FSaveCursor = Cursor();
  FHandShown = true;
  ApplyCursor(crvlHandPoint);
}

void TvlCustomHyperLinkEdit::RestoreCursor() {
  if (!FHandShown) return;
  FHandShown = false;
  ApplyCursor(FSaveCursor);
}

void TvlCustomHyperLinkEdit::MouseEnter(TControl* AControl) {
  inherited::MouseEnter(AControl);
  ShowHandCursor();
}

void TvlCustomHyperLinkEdit::MouseLeave(TControl* AControl) {
  inherited::MouseLeave(AControl);
  RestoreCursor();
}

void TvlCustomHyperLinkEdit::ActivateByMouse(TShiftState AShift, Integer AX, Integer AY,
                                             TvlCustomEditData*& AEditData) {
  ShowHandCursor();
  inherited::ActivateByMouse(AShift, AX, AY, AEditData);
}

// A click in single-click mode opens the link; it must not select it first.
void TvlCustomHyperLinkEdit::SelectAll() {
  if (IsInplace() && ActiveProperties()->SingleClick()) return;
  inherited::SelectAll();
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlHyperLinkEdit, P) {
  using T = TvlHyperLinkEdit;
  P.Property(u"AutoSize", &T::AutoSize, &T::SetAutoSize).Default(true);
  P.Property(u"BeepOnEnter", &T::BeepOnEnter, &T::SetBeepOnEnter).Default(true);
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
  P.Property(u"Text", &T::Text, &T::SetTextProp);
}

// --- Filter helper ---------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterHyperLinkEditHelper)

TvlCustomEditClass TvlFilterHyperLinkEditHelper::GetFilterEditClass() const { return ClassOf<TvlHyperLinkEdit>(); }

// --- The unit --------------------------------------------------------------------------------------------

namespace {

Integer gStartupCount = 0;

void Startup() {
  if (gStartupCount++ > 0) return;
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlHyperLinkEditProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryHyperLinkItem));
  vlFilterEditsController()->Register(ClassOf<TvlHyperLinkEditProperties>(),
                                      ClassOf<TvlFilterHyperLinkEditHelper>());
  RegisterClasses({ClassOf<TvlHyperLinkEdit>(), ClassOf<TvlHyperLinkEditProperties>()});
}

void Shutdown() {
  if (gStartupCount == 0 || --gStartupCount > 0) return;
  vlFilterEditsController()->Unregister(ClassOf<TvlHyperLinkEditProperties>(),
                                        ClassOf<TvlFilterHyperLinkEditHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlHyperLinkEditProperties>());
}

}  // namespace

CL_UNIT_STEPS(vlHyperLinkEdit, &Startup, &Shutdown);
