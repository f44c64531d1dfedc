#include "lib/editors/vlMemo.h"

#include <algorithm>

#include "lib/editors/vlEditConsts.h"
#include "lib/foundation/vlClasses.h"
#include "lib/foundation/vlGeometry.h"
#include "lib/lookandfeel/vlScrollBar.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/TypInfoBuild.h"
#include "platform/rtl/Finally.h"
#include "platform/vcl/Forms.h"
#include "platform/win/Windows.h"

using namespace win;

namespace {

Integer gStartupCount = 0;

void Startup() {
  if (gStartupCount++ > 0) return;
  vlGetEditPropertiesRegistry()->Register(ClassOf<TvlMemoProperties>(),
                                          vlGetResourceStringText(svlSEditRepositoryMemoItem));
  vlFilterEditsController()->Register(ClassOf<TvlMemoProperties>(), ClassOf<TvlFilterMemoHelper>());
  RegisterClasses({ClassOf<TvlMemo>(), ClassOf<TvlMemoProperties>()});
}

void Shutdown() {
  if (gStartupCount == 0 || --gStartupCount > 0) return;
  vlFilterEditsController()->Unregister(ClassOf<TvlMemoProperties>(), ClassOf<TvlFilterMemoHelper>());
  if (TvlRegisteredClasses* registry = vlGetEditPropertiesRegistry())
    registry->Unregister(ClassOf<TvlMemoProperties>());
}

constexpr Integer kMaxCellLineLength = 250;

// A cut of the first ACount characters that does not split CR LF or a surrogate pair.
size_t SafePrefix(const String& S, size_t ACount) {
  if (ACount == 0 || ACount >= S.size()) return std::min(ACount, S.size());
  const Char a = S[ACount - 1], b = S[ACount];
  if ((a == u'\r' && b == u'\n') || (a >= 0xD800 && a <= 0xDBFF && b >= 0xDC00 && b <= 0xDFFF)) return ACount - 1;
  return ACount;
}

}  // namespace

CL_UNIT_STEPS(vlMemo, &Startup, &Shutdown);

// Pasted and replaced text keeps its lines: each break, whatever its kind,
// becomes the CR LF the edit window breaks lines at. A pair of LF CR counts
// as one break (as CR LF does), so "a\n\r\n\rb" holds two breaks, not four.
String vlNormalizeMemoLineBreaks(const String& AText) {
  String r;
  r.reserve(AText.size() + AText.size() / 8);
  for (size_t i = 0; i < AText.size(); ++i) {
    const Char c = AText[i];
    if (c != u'\r' && c != u'\n') {
      r.push_back(c);
      continue;
    }
    if (i + 1 < AText.size() && AText[i + 1] == (c == u'\r' ? u'\n' : u'\r')) ++i;
    r.append(u"\r\n");
  }
  return r;
}

// --- Properties -----------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomMemoProperties)

void TvlCustomMemoProperties::Create(TPersistent* AOwner) {
  inherited::Create(AOwner);
  FScrollBars = ssNone;
  FWantReturns = true;
  FWantTabs = false;
  FWordWrap = true;
  SetAutoSelect(false);
  TvlCustomEditProperties::Alignment()->SetVert(taTopJustify);
}

void TvlCustomMemoProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TvlCustomMemoProperties*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  Finally done([&] { EndUpdate(); });
  inherited::Assign(Source);
  SetScrollBars(src->ScrollBars());
  SetVisibleLineCount(src->VisibleLineCount());
  SetWantReturns(src->WantReturns());
  SetWantTabs(src->WantTabs());
  SetWordWrap(src->WordWrap());
}

TvlCustomEditViewDataClass TvlCustomMemoProperties::EditViewDataClass() const {
  return ClassOf<TvlCustomMemoViewData>();
}
TvlCustomEditClass TvlCustomMemoProperties::GetContainerClass() const { return ClassOf<TvlMemo>(); }
TvlCustomEditViewInfoClass TvlCustomMemoProperties::GetViewInfoClass() const {
  return ClassOf<TvlCustomMemoViewInfo>();
}

String TvlCustomMemoProperties::GetDisplayText(const Variant& AEditValue, Boolean AFullText, Boolean AIsInplace) {
  String text = inherited::GetDisplayText(AEditValue, false, true);
  if (AFullText) return text;
  const size_t end = text.find_first_of(u"\r\n");
  if (end != String::npos) text.resize(end);
  if (text.size() > size_t(kMaxCellLineLength)) text.resize(SafePrefix(text, kMaxCellLineLength));
  return text;
}

Integer TvlCustomMemoProperties::GetEditValueSource(Boolean) {
  IvlEditDefaultValuesProvider* p = IDefaultValuesProvider();
  return p && p->IsBlob() ? 0 : 1;  // evsValue : evsText
}

void TvlCustomMemoProperties::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  Changed();
}

void TvlCustomMemoProperties::SetVisibleLineCount(Integer Value) {
  Value = std::max(Value, 0);
  if (Value == FVisibleLineCount) return;
  FVisibleLineCount = Value;
  Changed();
}

void TvlCustomMemoProperties::SetWantReturns(Boolean Value) {
  if (Value == FWantReturns) return;
  FWantReturns = Value;
  Changed();
}

void TvlCustomMemoProperties::SetWantTabs(Boolean Value) {
  if (Value == FWantTabs) return;
  FWantTabs = Value;
  Changed();
}

void TvlCustomMemoProperties::SetWordWrap(Boolean Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Changed();
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlMemoProperties, P) {
  using T = TvlMemoProperties;
  P.Property(u"Alignment", &T::Alignment, &T::SetAlignment).Stored(&T::IsAlignmentStored);
  P.Property(u"AssignedValues", &T::AssignedValues, &T::SetAssignedValues);
  P.Property(u"AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(false);
  P.Property(u"CharCase", &T::CharCase, &T::SetCharCase).Default(ecNormal);
  P.Property(u"ClearKey", &T::ClearKey, &T::SetClearKey).Default(Word(0));
  P.Property(u"HideSelection", &T::HideSelection, &T::SetHideSelection).Default(true);
  P.Property(u"ImeMode", &T::ImeMode, &T::SetImeMode).Default(imDontCare);
  P.Property(u"ImeName", &T::ImeName, &T::SetImeName);
  P.Property(u"MaxLength", &T::MaxLength, &T::SetMaxLength).Stored(&T::IsMaxLengthStored);
  P.Property(u"OEMConvert", &T::OEMConvert, &T::SetOEMConvert).Default(false);
  P.Property(u"ReadOnly", &T::ReadOnly, &T::SetReadOnly).Stored(&T::IsReadOnlyStored);
  P.Property(u"ScrollBars", &T::ScrollBars, &T::SetScrollBars).Default(ssNone);
  P.Property(u"VisibleLineCount", &T::VisibleLineCount, &T::SetVisibleLineCount).Default(0);
  P.Property(u"WantReturns", &T::WantReturns, &T::SetWantReturns).Default(true);
  P.Property(u"WantTabs", &T::WantTabs, &T::SetWantTabs).Default(false);
  P.Property(u"WordWrap", &T::WordWrap, &T::SetWordWrap).Default(true);
  P.Property(u"OnChange", &T::OnChange, &T::SetOnChange);
  P.Property(u"OnEditValueChanged", &T::OnEditValueChanged, &T::SetOnEditValueChanged);
  P.Property(u"OnValidate", &T::OnValidate, &T::SetOnValidate);
}

// --- The filter helper -----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlFilterMemoHelper)

TvlFilterControlOperators TvlFilterMemoHelper::GetSupportedFilterOperators(TvlCustomEditProperties*,
                                                                          TvlValueTypeClass, Boolean) const {
  TvlFilterControlOperators r;
  for (TvlFilterControlOperator o : {fcoLike, fcoNotLike, fcoBlanks, fcoNonBlanks}) r.Include(o);
  return r;
}

// --- The editor: life ----------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TvlCustomMemo)

void TvlCustomMemo::Initialize() {
  inherited::Initialize();
  if (TvlCustomInnerMemo* inner = InnerMemo()) {
    inner->SetColor(clWindow);
    inner->SetOnSelChange(TNotifyEvent(this, &TvlCustomTextEdit::InnerSelectionChanged));
  }
  SetBounds(Left(), Top(), 185, 89);
  FOldScrollPos = 0;
}

TClass TvlCustomMemo::InnerControlClass() const { return ClassOf<TvlCustomInnerMemo>(); }

TvlCustomInnerMemo* TvlCustomMemo::InnerMemo() const {
  return InnerEdit() ? dynamic_cast<TvlCustomInnerMemo*>(InnerEdit()->GetControl()) : nullptr;
}

TStrings* TvlCustomMemo::Lines() { return InnerMemo() ? InnerMemo()->Lines() : nullptr; }

void TvlCustomMemo::SetLines(TStrings* Value) {
  if (TStrings* lines = Lines()) lines->Assign(Value);
}

TPoint TvlCustomMemo::CaretPos() { return InnerMemo() ? InnerMemo()->CaretPos() : TPoint{}; }

void TvlCustomMemo::SetCaretPos(const TPoint& Value) {
  if (TvlCustomInnerMemo* inner = InnerMemo()) inner->Helper()->SetCaretPos(Value);
}

void TvlCustomMemo::ReadState(TReader* Reader) {
  inherited::ReadState(Reader);
  TStrings* lines = Lines();
  if (lines && lines->Count() > 0) PrepareEditValue(Variant(lines->Text()), FEditValue, InternalFocused());
}

Boolean TvlCustomMemo::AutoSizingActive() { return !IsInplace() && ActiveProperties()->VisibleLineCount() >= 1; }

Boolean TvlCustomMemo::InPlaceMode() { return IsInplace() || ActiveProperties()->WantTabs(); }

Boolean TvlCustomMemo::ShouldReplayActivationKey(Word Key) { return Key != VK_RETURN; }

void TvlCustomMemo::FillViewDataState(TvlCustomEditViewData* AViewData) {
  inherited::FillViewDataState(AViewData);
  // The memo's scroll bars belong to the container, not to the view data.
  AViewData->HScrollBar = nullptr;
  AViewData->VScrollBar = nullptr;
}

void TvlCustomMemo::PropertiesChanged(TObject* Sender) {
  if (IsDestroying()) return;
  if (TvlCustomInnerMemo* inner = InnerMemo()) {
    TvlCustomMemoProperties* p = ActiveProperties();
    IvlInnerMemo* memo = inner->Helper();
    if (memo->GetScrollBars() != p->ScrollBars()) {
      FCanCreateScrollBars = true;
      memo->SetScrollBars(p->ScrollBars());
      // Making the window again creates or frees the container's scroll bars.
      if (HandleAllocated()) RecreateWnd();
    }
    memo->SetWantReturns(p->WantReturns());
    memo->SetWantTabs(p->WantTabs());
    memo->SetWordWrap(p->WordWrap());
  }
  inherited::PropertiesChanged(Sender);
}

void TvlCustomMemo::ApplyStyleToInnerEdit() {
  TvlCustomInnerMemo* inner = InnerMemo();
  if (!inner || inner->ControlState().Contains(csCreating) || !InnerEdit()) return;
  InnerEdit()->LockBounds(true);
  Finally unlock([&] { InnerEdit()->LockBounds(false); });
  TvlCustomEditViewInfo* vi = ViewInfo();
  inner->SetColor(vi->BackgroundColor());
  TFont* font = New<TFont>();
  Finally freeFont([&] { Free(font); });
  font->Assign(GetVisibleFont());
  font->SetColor(vi->TextColor);
  inner->Font()->Assign(font);
}

// The inner memo covers the text rectangle the view data paints the text
// in, so the text does not move when the editor is entered or left.
void TvlCustomMemo::PlaceInnerControl() {
  TvlCustomInnerMemo* inner = InnerMemo();
  if (!inner) return;
  const Boolean inplace = IsInplace();
  const TRect off{1, 1, 1, inplace ? 1 : 3};
  const TRect c = ViewInfo()->ClientRect;
  const TRect r{c.Left + off.Left, c.Top + off.Top, c.Right - off.Right, c.Bottom - off.Bottom};
  const Integer w = std::max(0, r.Width()), h = std::max(0, r.Height());
  if (inner->Left() != r.Left || inner->Top() != r.Top || inner->Width() != w || inner->Height() != h)
    inner->SetBounds(r.Left, r.Top, w, h);
}

void TvlCustomMemo::AlignControls(TControl* AControl, TRect& Rect) {
  TRect r = ViewInfo()->ClientRect;
  TvlCustomEdit::AlignControls(AControl, r);
}

// --- Scroll bars ---------------------------------------------------------------------------------------------

Boolean TvlCustomMemo::HasScrollBars() { return FCanCreateScrollBars && ActiveProperties()->ScrollBars() != ssNone; }

Boolean TvlCustomMemo::CanScrollContentWithoutScrollBars(TvlDirection ADirection) {
  return ADirection == dirUp || ADirection == dirDown;
}

void TvlCustomMemo::Scroll(TScrollBarKind AScrollBarKind, TScrollCode AScrollCode, Integer& AScrollPos) {
  TvlCustomInnerMemo* inner = InnerMemo();
  if (!inner || !inner->HandleAllocated()) return;
  const HWND h = inner->WindowHandle();
  if (AScrollBarKind == sbVertical && (AScrollCode == scLineUp || AScrollCode == scLineDown)) {
    SendMessageW(h, EM_LINESCROLL, 0, AScrollCode == scLineUp ? -1 : 1);
  } else {
    TvlScrollBar* bar = AScrollBarKind == sbHorizontal ? static_cast<TvlScrollBar*>(HScrollBar())
                                                       : static_cast<TvlScrollBar*>(VScrollBar());
    const WPARAM w = (WPARAM(Word(AScrollPos)) << 16) | WPARAM(Byte(AScrollCode));
    TMessage m{AScrollBarKind == sbHorizontal ? UINT(WM_HSCROLL) : UINT(WM_VSCROLL), w,
               reinterpret_cast<LPARAM>(bar && bar->HandleAllocated() ? bar->WindowHandle() : nullptr), 0};
    InnerEdit()->CallDefWndProc(m);
  }
  AScrollPos = GetScrollPos(h, AScrollBarKind == sbHorizontal ? SB_HORZ : SB_VERT);
  if (AScrollCode == scTrack && AScrollPos != FOldScrollPos) inner->Repaint();
  FOldScrollPos = AScrollPos;
  SetScrollBarsParameters(true);
}

void TvlCustomMemo::EnabledChanged() {
  inherited::EnabledChanged();
  SetScrollBarsParameters();
}

void TvlCustomMemo::FontChanged() {
  inherited::FontChanged();
  SetScrollBarsParameters();
}

void TvlCustomMemo::HandleInnerEditChange(TObject* Sender) {
  TvlObjectLinkScope alive(this);
  inherited::HandleInnerEditChange(Sender);
  if (alive.Alive()) UpdateScrollBarsParameters();
}

void TvlCustomMemo::WndProc(TMessage& Message) {
  TvlObjectLinkScope alive(this);
  inherited::WndProc(Message);
  if (!alive.Alive()) return;
  switch (Message.Msg) {
    case WM_WINDOWPOSCHANGED:
    case WM_NCCALCSIZE:
    case 0xB025:
      UpdateScrollBarsParameters();
      break;
    default: break;
  }
}

void TvlCustomMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_COMMAND) {
    WMCommand(Message);
    return;
  }
  inherited::Dispatch(Message);
}

void TvlCustomMemo::WMCommand(TMessage& Message) {
  inherited::Dispatch(Message);
  const Word code = HIWORD(Message.WParam);
  if (code == EN_HSCROLL || code == EN_VSCROLL) SetScrollBarsParameters();
}

// --- Keys --------------------------------------------------------------------------------------------------------

Boolean TvlCustomMemo::WantsKey(Word Key, TShiftState Shift, Boolean ATabAlways) {
  TvlCustomMemoProperties* p = ActiveProperties();
  if (Key == VK_RETURN) return p->WantReturns() || Shift.Contains(ssCtrl);
  if (Key == VK_TAB) return ATabAlways || p->WantTabs();
  return false;
}

Boolean TvlCustomMemo::KeyDownModifiesValue(Word Key, TShiftState Shift) {
  return inherited::KeyDownModifiesValue(Key, Shift) || WantsKey(Key, Shift, false);
}

// In place, the Return that makes a line break goes straight to the editor's
// own handling, so the grid does not take it as a move to the next row.
void TvlCustomMemo::KeyDown(Word& Key, TShiftState Shift) {
  if (IsInplace() && Key == VK_RETURN && (Shift.Contains(ssCtrl) != ActiveProperties()->WantReturns())) {
    DoEditKeyDown(Key, Shift);
    return;
  }
  inherited::KeyDown(Key, Shift);
}

void TvlCustomMemo::DoEditKeyDown(Word& Key, TShiftState Shift) {
  TvlObjectLinkScope alive(this);
  inherited::DoEditKeyDown(Key, Shift);
  if (!alive.Alive()) return;
  if ((Key == 'A' || Key == 'a') && Shift.Contains(ssCtrl) && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt)) {
    TStrings* lines = Lines();
    if (lines && lines->Count() > 0) {
      SelectAll();
      if (Assigned(OnAfterKeyDown())) OnAfterKeyDown()(this, Key, Shift);
      if (alive.Alive()) Key = 0;
    }
  }
}

// --- Text changes ------------------------------------------------------------------------------------------------

void TvlCustomMemo::SetSelText(const String& AText) {
  TvlCustomInnerMemo* inner = InnerMemo();
  if (!inner) return;
  String text = vlNormalizeMemoLineBreaks(AText);
  const Boolean focused = Focused();
  const Integer maxLength = ActiveProperties()->MaxLength();
  if (focused && maxLength > 0) {
    const Integer before = SelStart();
    if (before + Integer(text.size()) > maxLength) {
      const Integer room = maxLength - before;
      if (room <= 0) return;
      text.resize(SafePrefix(text, size_t(room)));
      if (text.empty()) return;
    }
  }
  if (focused && !DoEditing()) return;
  TvlObjectLinkScope alive(this);
  const Boolean savedKeyboard = IsKeyboardActionNow(), savedInternal = FInternalAction;
  SetKeyboardActionNow(focused);
  FInternalAction = true;
  {
    Finally restore([&] {
      if (!alive.Alive()) return;
      SetKeyboardActionNow(savedKeyboard);
      FInternalAction = savedInternal;
    });
    inner->SetSelText(text);
  }
  if (!alive.Alive() || focused) return;
  ClearFindSelectionOnValue();
  SynchronizeEditValue();
  if (alive.Alive()) SetEditModified(false);
}

void TvlCustomMemo::ClearSelection() {
  TvlCustomInnerMemo* inner = InnerMemo();
  if (!inner || SelLength() == 0) return;
  const Boolean focused = Focused();
  if (focused && !DoEditing()) return;
  TvlObjectLinkScope alive(this);
  const Boolean savedKeyboard = IsKeyboardActionNow(), savedInternal = FInternalAction;
  SetKeyboardActionNow(focused);
  FInternalAction = true;
  {
    Finally restore([&] {
      if (!alive.Alive()) return;
      SetKeyboardActionNow(savedKeyboard);
      FInternalAction = savedInternal;
    });
    inner->ClearSelection();
  }
  if (!alive.Alive() || focused) return;
  ClearFindSelectionOnValue();
  SynchronizeEditValue();
}

void TvlCustomMemo::CutToClipboard() {
  if (SelLength() == 0) return;
  CopyToClipboard();
  ClearSelection();
}

// A paste keeps every line of the clipboard's text; MaxLength cuts it as SelText does.
void TvlCustomMemo::PasteFromClipboard() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return;
  SetSelText(vlGetClipboardText(HandleAllocated() ? WindowHandle() : nullptr));
}

CL_IMPLEMENT_CLASS_PUBLISHED(TvlMemo, P) {
  using T = TvlMemo;
  P.Property(u"Lines", &T::Lines, &T::SetLines);
  P.Property(u"Properties", &T::Properties, &T::SetProperties);
  P.Property(u"Style", &T::Style, &T::SetStyle);
  P.Property(u"StyleDisabled", &T::StyleDisabled, &T::SetStyleDisabled);
  P.Property(u"StyleFocused", &T::StyleFocused, &T::SetStyleFocused);
  P.Property(u"StyleHot", &T::StyleHot, &T::SetStyleHot);
}
