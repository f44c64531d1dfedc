#include "platform/vcl/StdCtrls.h"

#include <algorithm>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/ModuleInit.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/ControlsPublish.h"
#include "platform/win/Backend.h"
#include "platform/win/WinControls.h"

using namespace win;

namespace {

LRESULT Send(TWinControl* C, UINT Msg, WPARAM W = 0, LPARAM L = 0) { return SendMessageW(C->Handle(), Msg, W, L); }

DWORD AlignmentStyle(TAlignment A, DWORD Left, DWORD Right, DWORD Center) {
  switch (A) {
    case taRightJustify: return Right;
    case taCenter: return Center;
    default: return Left;
  }
}

[[noreturn]] void ListIndexError(Integer Index) {
  throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
}

}  // namespace

// Items of a list box: the window's when it has one, otherwise the list box's
// store, which its next window takes over.
class TListBoxStrings : public TStrings {
  CL_CLASS(TListBoxStrings, TStrings)
 public:
  TCustomListBox* ListBox{};

  Integer Add(const String& S) override {
    if (!ListBox->HandleAllocated()) {
      if (ListBox->IsVirtual()) return -1;
      if (ListBox->FSorted) {
        // keep the store in the window's order
        Integer i = 0;
        while (i < ListBox->FSaveItems->Count() && AnsiCompareText(ListBox->FSaveItems->Strings(i), S) <= 0) ++i;
        ListBox->FSaveItems->Insert(i, S);
        return i;
      }
      return ListBox->FSaveItems->Add(S);
    }
    if (ListBox->IsVirtual()) return -1;
    LRESULT r = SendMessageW(ListBox->Handle(), LB_ADDSTRING, 0, LPARAM(S.c_str()));
    if (r < 0) throw EOutOfResources(u"Not enough storage for the list box");
    return Integer(r);
  }
  void Insert(Integer Index, const String& S) override {
    if (ListBox->IsVirtual()) return;
    if (!ListBox->HandleAllocated()) {
      if (Index < 0 || Index > ListBox->FSaveItems->Count()) ListIndexError(Index);
      ListBox->FSaveItems->Insert(Index, S);
      return;
    }
    if (SendMessageW(ListBox->Handle(), LB_INSERTSTRING, WPARAM(Index), LPARAM(S.c_str())) < 0)
      throw EOutOfResources(u"Not enough storage for the list box");
  }
  void Delete(Integer Index) override { ListBox->DeleteString(Index); }
  void Clear() override { ListBox->ResetContent(); }
  void Exchange(Integer Index1, Integer Index2) override {
    BeginUpdate();
    Finally endUpdate([&] { EndUpdate(); });
    Integer sel = ListBox->ItemIndex();
    String s1 = Get(Index1), s2 = Get(Index2);
    TObject* o1 = GetObject(Index1);
    TObject* o2 = GetObject(Index2);
    Put(Index1, s2);
    PutObject(Index1, o2);
    Put(Index2, s1);
    PutObject(Index2, o1);
    ListBox->SetItemIndex(sel);
  }
  Integer IndexOf(const String& S) override {
    if (ListBox->IsVirtual()) return ListBox->DoFindData(S);
    return TStrings::IndexOf(S);
  }

 protected:
  Integer GetCount() override {
    if (ListBox->IsVirtual()) return ListBox->HandleAllocated() ? Integer(Send(ListBox, LB_GETCOUNT)) : ListBox->FCount;
    if (!ListBox->HandleAllocated()) return ListBox->FSaveItems->Count();
    return Integer(Send(ListBox, LB_GETCOUNT));
  }
  String Get(Integer Index) override {
    if (ListBox->IsVirtual()) return ListBox->DoGetData(Index);
    if (!ListBox->HandleAllocated()) {
      if (Index < 0 || Index >= ListBox->FSaveItems->Count()) ListIndexError(Index);
      return ListBox->FSaveItems->Strings(Index);
    }
    LRESULT len = Send(ListBox, LB_GETTEXTLEN, WPARAM(Index));
    if (len < 0) ListIndexError(Index);
    String s(size_t(len) + 1, u'\0');
    LRESULT got = Send(ListBox, LB_GETTEXT, WPARAM(Index), LPARAM(s.data()));
    s.resize(size_t(std::clamp<LRESULT>(got, 0, len)));
    return s;
  }
  TObject* GetObject(Integer Index) override {
    if (ListBox->IsVirtual()) return ListBox->DoGetDataObject(Index);
    if (!ListBox->HandleAllocated()) {
      if (Index < 0 || Index >= ListBox->FSaveItems->Count()) ListIndexError(Index);
      return ListBox->FSaveItems->Objects(Index);
    }
    LRESULT r = Send(ListBox, LB_GETITEMDATA, WPARAM(Index));
    if (r == LB_ERR && (Index < 0 || Index >= GetCount())) ListIndexError(Index);
    return reinterpret_cast<TObject*>(r);
  }
  void PutObject(Integer Index, TObject* AObject) override {
    if (ListBox->IsVirtual()) return;
    if (!ListBox->HandleAllocated()) {
      if (Index < 0 || Index >= ListBox->FSaveItems->Count()) ListIndexError(Index);
      ListBox->FSaveItems->SetObjects(Index, AObject);
      return;
    }
    if (Index < 0 || Index >= GetCount()) ListIndexError(Index);
    Send(ListBox, LB_SETITEMDATA, WPARAM(Index), LPARAM(AObject));
  }
  void Put(Integer Index, const String& S) override {
    if (ListBox->IsVirtual()) return;
    Integer sel = ListBox->ItemIndex();
    TObject* data = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, nullptr);
    PutObject(Index, data);
    ListBox->SetItemIndex(sel);
  }
  void SetUpdateState(Boolean Updating) override {
    if (!ListBox->HandleAllocated()) return;
    Send(ListBox, WM_SETREDRAW, Updating ? 0 : 1);
    if (!Updating) ListBox->Refresh();
  }
};
CL_IMPLEMENT_CLASS(TListBoxStrings)

// The lines of a memo: the window's lines when it has one, otherwise the
// lines of its text.
class TMemoStrings : public TStrings {
  CL_CLASS(TMemoStrings, TStrings)
 public:
  TCustomMemo* Memo{};

  void Insert(Integer Index, const String& S) override {
    if (!Memo->HandleAllocated()) {
      WithText([&](TStringList* L) {
        if (Index < 0 || Index > L->Count()) ListIndexError(Index);
        L->Insert(Index, S);
      });
      return;
    }
    if (Index < 0) return;
    LRESULT start = Send(Memo, EM_LINEINDEX, WPARAM(Index));
    String line;
    if (start >= 0) {
      line = S + u"\r\n";
    } else {
      start = Send(Memo, EM_LINEINDEX, WPARAM(Index - 1));
      if (start < 0) return;
      LRESULT len = Send(Memo, EM_LINELENGTH, WPARAM(start));
      start += len;
      line = u"\r\n" + S;
    }
    Send(Memo, EM_SETSEL, WPARAM(start), LPARAM(start));
    Send(Memo, EM_REPLACESEL, 0, LPARAM(line.c_str()));
  }
  void Delete(Integer Index) override {
    if (!Memo->HandleAllocated()) {
      WithText([&](TStringList* L) {
        if (Index < 0 || Index >= L->Count()) ListIndexError(Index);
        L->Delete(Index);
      });
      return;
    }
    LRESULT start = Send(Memo, EM_LINEINDEX, WPARAM(Index));
    if (start < 0) return;
    LRESULT end = Send(Memo, EM_LINEINDEX, WPARAM(Index + 1));
    if (end < 0) {
      end = start + Send(Memo, EM_LINELENGTH, WPARAM(start));
      // the last line takes the break before it along
      if (start >= 2) start -= 2;
    }
    Send(Memo, EM_SETSEL, WPARAM(start), LPARAM(end));
    Send(Memo, EM_REPLACESEL, 0, LPARAM(u""));
  }
  void Clear() override { Memo->Clear(); }

 protected:
  Integer GetCount() override {
    if (!Memo->HandleAllocated()) {
      Integer n = 0;
      WithText([&](TStringList* L) { n = L->Count(); }, false);
      return n;
    }
    LRESULT n = Send(Memo, EM_GETLINECOUNT);
    // an empty last line (text ending with a line break) is not a line
    if (n > 0 && Send(Memo, EM_LINELENGTH, WPARAM(Send(Memo, EM_LINEINDEX, WPARAM(n - 1)))) == 0) --n;
    return Integer(n);
  }
  String Get(Integer Index) override {
    if (!Memo->HandleAllocated()) {
      String s;
      WithText(
          [&](TStringList* L) {
            if (Index < 0 || Index >= L->Count()) ListIndexError(Index);
            s = L->Strings(Index);
          },
          false);
      return s;
    }
    LRESULT start = Send(Memo, EM_LINEINDEX, WPARAM(Index));
    if (Index < 0 || start < 0) ListIndexError(Index);
    LRESULT len = Send(Memo, EM_LINELENGTH, WPARAM(start));
    String s(size_t(len) + 1, u'\0');
    s[0] = Char(std::min<LRESULT>(len + 1, 0xFFFF));
    LRESULT got = Send(Memo, EM_GETLINE, WPARAM(Index), LPARAM(s.data()));
    s.resize(size_t(std::clamp<LRESULT>(got, 0, len)));
    return s;
  }
  void Put(Integer Index, const String& S) override {
    if (!Memo->HandleAllocated()) {
      WithText([&](TStringList* L) {
        if (Index < 0 || Index >= L->Count()) ListIndexError(Index);
        L->SetStrings(Index, S);
      });
      return;
    }
    LRESULT start = Send(Memo, EM_LINEINDEX, WPARAM(Index));
    if (Index < 0 || start < 0) ListIndexError(Index);
    Send(Memo, EM_SETSEL, WPARAM(start), LPARAM(start + Send(Memo, EM_LINELENGTH, WPARAM(start))));
    Send(Memo, EM_REPLACESEL, 0, LPARAM(S.c_str()));
  }
  String GetTextStr() override { return Memo->Text(); }
  void SetTextStr(const String& Value) override {
    // every break (LF, CR or CR LF) becomes CR LF, the edit's only break
    String t;
    t.reserve(Value.size());
    for (size_t i = 0; i < Value.size(); ++i) {
      Char c = Value[i];
      if (c == u'\r' || c == u'\n') {
        t += u"\r\n";
        if (c == u'\r' && i + 1 < Value.size() && Value[i + 1] == u'\n') ++i;
      } else {
        t += c;
      }
    }
    if (t != Memo->Text()) Memo->SetTextProp(t);
  }
  void SetUpdateState(Boolean Updating) override {
    if (!Memo->HandleAllocated()) return;
    Send(Memo, WM_SETREDRAW, Updating ? 0 : 1);
    if (!Updating) Memo->Refresh();
  }

 private:
  template <class F>
  void WithText(F&& Step, bool Write = true) {
    TStringList* l = New<TStringList>();
    Finally release([&] { Free(l); });
    l->SetText(Memo->Text());
    Step(l);
    if (Write) {
      // as the window keeps them: every line ends with a break
      String t;
      for (Integer i = 0; i < l->Count(); ++i) t += l->Strings(i) + u"\r\n";
      Memo->SetTextProp(t);
    }
  }
};
CL_IMPLEMENT_CLASS(TMemoStrings)

// --- TCustomEdit -----------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomEdit)

CL_IMPLEMENT_CLASS_PUBLISHED(TEdit, P) {
  PublishControlProperties(P, {u"Align"});
  P.Property(u"Alignment", &TCustomEdit::Alignment, &TCustomEdit::SetAlignment).Default(taLeftJustify);
  PublishControlProperties(P, {u"Anchors"});
  P.Property(u"AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  P.Property(u"AutoSize", &TControl::AutoSize, &TCustomEdit::SetAutoSize).Default(true);
  PublishControlProperties(P, {u"BiDiMode"});
  P.Property(u"BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
  P.Property(u"CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
  PublishControlProperties(P, {u"Color", u"Constraints", u"Ctl3D", u"DragCursor", u"DragKind", u"DragMode",
                               u"Enabled", u"Font"});
  P.Property(u"HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Default(true);
  P.Property(u"MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  P.Property(u"OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert).Default(false);
  PublishControlProperties(P, {u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D", u"ParentFont",
                               u"ParentShowHint"});
  P.Property(u"PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default(Char(0));
  PublishControlProperties(P, {u"PopupMenu"});
  P.Property(u"ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  PublishControlProperties(P, {u"ShowHint", u"TabOrder", u"TabStop"});
  P.Property(u"Text", &TControl::Text, &TControl::SetTextProp);
  P.Property(u"TextHint", &TCustomEdit::TextHint, &TCustomEdit::SetTextHint);
  PublishControlProperties(P, {u"Visible"});
  P.Property(u"OnChange", &TCustomEdit::OnChange, &TCustomEdit::SetOnChange);
  PublishControlProperties(P, {u"OnClick", u"OnContextPopup", u"OnDblClick", u"OnDragDrop", u"OnDragOver",
                               u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp",
                               u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove", u"OnMouseUp",
                               u"OnStartDrag"});
}

void TCustomEdit::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetControlStyle(TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight});
  SetBounds(Left(), Top(), 121, 21);
  SetTabStop(true);
  SetParentColor(false);
  FBorderStyle = bsSingle;
  FAutoSelect = true;
  FHideSelection = true;
  SetAutoSize(true);
}

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_ENTER: CMEnter(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CN_COMMAND: CNCommand(Message); break;
    case WM_SETFONT: WMSetFont(Message); break;
    case WM_PAINT: WMPaint(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, u"EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL | AlignmentStyle(FAlignment, ES_LEFT, ES_RIGHT, ES_CENTER);
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  if (FPasswordChar != 0 && !MultiLine()) Params.Style |= ES_PASSWORD;
  if (FReadOnly) Params.Style |= ES_READONLY;
  if (FCharCase == ecUpperCase) Params.Style |= ES_UPPERCASE;
  if (FCharCase == ecLowerCase) Params.Style |= ES_LOWERCASE;
  if (!FHideSelection) Params.Style |= ES_NOHIDESEL;
  if (FOEMConvert) Params.Style |= ES_OEMCONVERT;
  Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TCustomEdit::CreateWnd() {
  FCreating = true;
  {
    Finally reset([&] { FCreating = false; });
    inherited::CreateWnd();
  }
  DoSetMaxLength(FMaxLength);
  SetModified(FModified);
  if (FPasswordChar != 0 && !MultiLine()) Send(this, EM_SETPASSWORDCHAR, WPARAM(FPasswordChar));
}

void TCustomEdit::DestroyWnd() {
  FModified = Modified();
  inherited::DestroyWnd();
}

void TCustomEdit::DoSetMaxLength(Integer Value) { Send(this, EM_LIMITTEXT, WPARAM(std::max(Value, 0))); }

void TCustomEdit::SetAutoSize(Boolean Value) {
  if (AutoSize() == Value) return;
  inherited::SetAutoSize(Value);
  TControlStyle s = ControlStyle();
  if (Value) s.Include(csFixedHeight); else s.Exclude(csFixedHeight);
  SetControlStyle(s);
  AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
  if (!AutoSize() || MultiLine()) return;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) return;
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  Integer frame = 0;
  if (FBorderStyle == bsSingle) frame = GetSystemMetrics(SM_CYBORDER) * (Ctl3D() ? 8 : 6);
  SetHeight(tm.tmHeight + frame);
}

void TCustomEdit::Change() {
  TControl::Changed();
  if (Assigned(FOnChange)) FOnChange(this);
}

void TCustomEdit::CNCommand(TMessage& Message) {
  if (TWMCommand(Message).NotifyCode() == EN_CHANGE && !FCreating) Change();
}

void TCustomEdit::CMTextChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  // a single-line window tells the change itself (EN_CHANGE of WM_SETTEXT)
  if (!HandleAllocated() || MultiLine()) Change();
}

void TCustomEdit::CMEnter(TMessage& Message) {
  if (FAutoSelect && !ControlState().Contains(csLButtonDown) && !MultiLine()) SelectAll();
  inherited::Dispatch(Message);
}

void TCustomEdit::CMFontChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  if (HandleAllocated()) Send(this, EM_SETMARGINS, EC_USEFONTINFO, 0);
  AdjustHeight();
}

void TCustomEdit::CMCtl3DChanged(TMessage& Message) {
  if (FBorderStyle == bsSingle) {
    RecreateWnd();
    AdjustHeight();
  }
  inherited::Dispatch(Message);
}

void TCustomEdit::WMSetFont(TMessage& Message) {
  DefaultHandler(Message);
  if (HandleAllocated()) Send(this, EM_SETMARGINS, EC_USEFONTINFO, 0);
}

void TCustomEdit::WMPaint(TMessage& Message) {
  inherited::Dispatch(Message);
  DrawTextHint();
}

// The hint shows in grey while the edit is empty and has not the focus.
void TCustomEdit::DrawTextHint() {
  if (FTextHint.empty() || !HandleAllocated() || GetFocus() == WindowHandle() || GetWindowTextLengthW(WindowHandle()) != 0)
    return;
  HDC dc = GetDC(WindowHandle());
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(dc, TRANSPARENT);
  LRESULT margins = Send(this, EM_GETMARGINS);
  RECT r{};
  ::win::GetClientRect(WindowHandle(), &r);
  r.left += LONG(margins & 0xFFFF);
  r.right -= LONG((uintptr_t(margins) >> 16) & 0xFFFF);
  UINT flags = DT_NOPREFIX | DT_SINGLELINE | (FAlignment == taRightJustify ? DT_RIGHT
                                              : FAlignment == taCenter   ? DT_CENTER
                                                                         : DT_LEFT);
  if (MultiLine()) flags = DT_NOPREFIX | DT_WORDBREAK;
  DrawTextW(dc, FTextHint.c_str(), int(FTextHint.size()), &r, flags);
  SelectObject(dc, old);
  ReleaseDC(WindowHandle(), dc);
}

void TCustomEdit::Clear() { SetTextProp(String()); }
void TCustomEdit::ClearSelection() { Send(this, WM_CLEAR); }
void TCustomEdit::CopyToClipboard() { Send(this, WM_COPY); }
void TCustomEdit::CutToClipboard() { Send(this, WM_CUT); }
void TCustomEdit::PasteFromClipboard() { Send(this, WM_PASTE); }
void TCustomEdit::Undo() {
  if (HandleAllocated()) Send(this, WM_UNDO);
}
void TCustomEdit::ClearUndo() {
  if (HandleAllocated()) Send(this, EM_EMPTYUNDOBUFFER);
}
Boolean TCustomEdit::CanUndo() { return HandleAllocated() && Send(this, EM_CANUNDO) != 0; }
void TCustomEdit::SelectAll() {
  if (HandleAllocated()) Send(this, EM_SETSEL, 0, -1);
}

Integer TCustomEdit::GetSelTextBuf(Char* Buffer, Integer BufSize) {
  String s = GetSelText();
  if (!Buffer || BufSize <= 0) return 0;
  Integer n = std::min<Integer>(Integer(s.size()), BufSize - 1);
  std::copy(s.begin(), s.begin() + n, Buffer);
  Buffer[n] = 0;
  return n;
}

void TCustomEdit::SetSelTextBuf(const Char* Buffer) { SetSelTextValue(Buffer ? String(Buffer) : String()); }

Integer TCustomEdit::GetSelStart() {
  DWORD start = 0, end = 0;
  Send(this, EM_GETSEL, WPARAM(&start), LPARAM(&end));
  return Integer(start);
}

void TCustomEdit::SetSelStartValue(Integer Value) { Send(this, EM_SETSEL, WPARAM(Value), LPARAM(Value)); }

Integer TCustomEdit::GetSelLength() {
  DWORD start = 0, end = 0;
  Send(this, EM_GETSEL, WPARAM(&start), LPARAM(&end));
  return Integer(end) - Integer(start);
}

void TCustomEdit::SetSelLengthValue(Integer Value) {
  DWORD start = 0, end = 0;
  Send(this, EM_GETSEL, WPARAM(&start), LPARAM(&end));
  Send(this, EM_SETSEL, WPARAM(start), LPARAM(Integer(start) + Value));
  Send(this, EM_SCROLLCARET);
}

String TCustomEdit::GetSelText() {
  DWORD start = 0, end = 0;
  Send(this, EM_GETSEL, WPARAM(&start), LPARAM(&end));
  const String& t = Text();
  if (start >= t.size() || end <= start) return String();
  return t.substr(start, std::min<size_t>(end, t.size()) - start);
}

void TCustomEdit::SetSelTextValue(const String& Value) { Send(this, EM_REPLACESEL, 0, LPARAM(Value.c_str())); }

Boolean TCustomEdit::Modified() {
  if (HandleAllocated()) return Send(this, EM_GETMODIFY) != 0;
  return FModified;
}

void TCustomEdit::SetModified(Boolean Value) {
  if (HandleAllocated())
    Send(this, EM_SETMODIFY, Value ? 1 : 0);
  else
    FModified = Value;
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (Value != bsNone) Value = bsSingle;
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
  AdjustHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(Boolean Value) {
  if (FHideSelection == Value) return;
  FHideSelection = Value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(Integer Value) {
  if (FMaxLength == Value) return;
  FMaxLength = Value;
  if (HandleAllocated()) DoSetMaxLength(Value);
}

void TCustomEdit::SetOEMConvert(Boolean Value) {
  if (FOEMConvert == Value) return;
  FOEMConvert = Value;
  RecreateWnd();
}

void TCustomEdit::SetPasswordChar(Char Value) {
  if (FPasswordChar == Value) return;
  bool styleChange = (FPasswordChar == 0) != (Value == 0);
  FPasswordChar = Value;
  if (!HandleAllocated()) return;
  if (styleChange) {
    RecreateWnd();
  } else {
    Send(this, EM_SETPASSWORDCHAR, WPARAM(Value));
    Invalidate();
  }
}

void TCustomEdit::SetReadOnly(Boolean Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  if (HandleAllocated()) Send(this, EM_SETREADONLY, Value ? 1 : 0);
}

void TCustomEdit::SetTextHint(const String& Value) {
  if (FTextHint == Value) return;
  FTextHint = Value;
  if (HandleAllocated()) Invalidate();
}

void TCustomEdit::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

// --- TCustomMemo -----------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomMemo)

CL_IMPLEMENT_CLASS_PUBLISHED(TMemo, P) {
  PublishControlProperties(P, {u"Align"});
  P.Property(u"Alignment", &TCustomEdit::Alignment, &TCustomEdit::SetAlignment).Default(taLeftJustify);
  PublishControlProperties(P, {u"Anchors", u"BiDiMode"});
  P.Property(u"BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
  P.Property(u"CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
  PublishControlProperties(P, {u"Color", u"Constraints", u"Ctl3D", u"DragCursor", u"DragKind", u"DragMode",
                               u"Enabled", u"Font"});
  P.Property(u"HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Default(true);
  P.Property(u"Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines);
  P.Property(u"MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  P.Property(u"OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert).Default(false);
  PublishControlProperties(P, {u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D", u"ParentFont",
                               u"ParentShowHint", u"PopupMenu"});
  P.Property(u"ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  P.Property(u"ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone);
  PublishControlProperties(P, {u"ShowHint", u"TabOrder", u"TabStop"});
  P.Property(u"TextHint", &TCustomEdit::TextHint, &TCustomEdit::SetTextHint);
  PublishControlProperties(P, {u"Visible"});
  P.Property(u"WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Default(true);
  P.Property(u"WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Default(false);
  P.Property(u"WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Default(true);
  P.Property(u"OnChange", &TCustomEdit::OnChange, &TCustomEdit::SetOnChange);
  PublishControlProperties(P, {u"OnClick", u"OnContextPopup", u"OnDblClick", u"OnDragDrop", u"OnDragOver",
                               u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp",
                               u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove", u"OnMouseUp",
                               u"OnStartDrag"});
}

void TCustomMemo::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetBounds(Left(), Top(), 185, 89);
  SetAutoSize(false);
  FWordWrap = true;
  FWantReturns = true;
  auto* lines = New<TMemoStrings>();
  lines->Memo = this;
  FLines = lines;
}

void TCustomMemo::Destroy() {
  FreeAndNil(FLines);
  inherited::Destroy();
}

void TCustomMemo::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE)
    WMGetDlgCode(Message);
  else
    inherited::Dispatch(Message);
}

void TCustomMemo::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~DWORD(ES_LEFT | ES_RIGHT | ES_CENTER);
  Params.Style |= ES_MULTILINE | AlignmentStyle(Alignment(), ES_LEFT, ES_RIGHT, ES_CENTER);
  if (FWordWrap) Params.Style &= ~DWORD(ES_AUTOHSCROLL);
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
}

void TCustomMemo::WMGetDlgCode(TMessage& Message) {
  inherited::Dispatch(Message);
  if (FWantTabs)
    Message.Result |= DLGC_WANTTAB;
  else
    Message.Result &= ~LRESULT(DLGC_WANTTAB);
  if (!FWantReturns) Message.Result &= ~LRESULT(DLGC_WANTALLKEYS);
}

void TCustomMemo::KeyPress(Char& Key) {
  inherited::KeyPress(Key);
  if (Key == Char(VK_RETURN) && !FWantReturns) Key = 0;
  if (Key == Char(VK_TAB) && !FWantTabs) Key = 0;
}

void TCustomMemo::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(Boolean Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}

TPoint TCustomMemo::CaretPos() {
  DWORD start = 0, end = 0;
  Send(this, EM_GETSEL, WPARAM(&start), LPARAM(&end));
  // the caret is the selection's moving end; EM_GETSEL gives the range only
  Integer line = Integer(Send(this, EM_LINEFROMCHAR, WPARAM(end)));
  Integer col = Integer(end) - Integer(Send(this, EM_LINEINDEX, WPARAM(line)));
  return TPoint{col, line};
}

void TCustomMemo::SetCaretPos(const TPoint& Value) {
  LRESULT start = Send(this, EM_LINEINDEX, WPARAM(Value.Y));
  if (start < 0) return;
  LRESULT pos = start + std::clamp<LRESULT>(Value.X, 0, Send(this, EM_LINELENGTH, WPARAM(start)));
  Send(this, EM_SETSEL, WPARAM(pos), LPARAM(pos));
}

// --- TCustomListBox --------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomListBox)

CL_IMPLEMENT_CLASS_PUBLISHED(TListBox, P) {
  PublishControlProperties(P, {u"Align", u"Anchors"});
  P.Property(u"AutoComplete", &TCustomListBox::AutoComplete, &TCustomListBox::SetAutoComplete).Default(true);
  P.Property(u"AutoCompleteDelay", &TCustomListBox::AutoCompleteDelay, &TCustomListBox::SetAutoCompleteDelay)
      .Default(Cardinal(500));
  PublishControlProperties(P, {u"BiDiMode"});
  P.Property(u"BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle).Default(bsSingle);
  PublishControlProperties(P, {u"Color"});
  P.Property(u"Columns", &TCustomListBox::Columns, &TCustomListBox::SetColumns).Default(0);
  PublishControlProperties(P, {u"Constraints", u"Ctl3D", u"DragCursor", u"DragKind", u"DragMode", u"Enabled"});
  P.Property(u"ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect).Default(true);
  PublishControlProperties(P, {u"Font"});
  P.Property(u"IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight).Default(false);
  P.Property(u"ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight).Default(16);
  P.Property(u"Items", &TCustomListBox::Items, &TCustomListBox::SetItems);
  P.Property(u"MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect).Default(false);
  PublishControlProperties(P, {u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D", u"ParentFont",
                               u"ParentShowHint", u"PopupMenu"});
  P.Property(u"ScrollWidth", &TCustomListBox::ScrollWidth, &TCustomListBox::SetScrollWidth).Default(0);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Default(false);
  P.Property(u"Style", &TCustomListBox::Style, &TCustomListBox::SetStyle).Default(lbStandard);
  PublishControlProperties(P, {u"TabOrder", u"TabStop"});
  P.Property(u"TabWidth", &TCustomListBox::TabWidth, &TCustomListBox::SetTabWidth).Default(0);
  PublishControlProperties(P, {u"Visible", u"OnClick", u"OnContextPopup"});
  P.Property(u"OnData", &TCustomListBox::OnData, &TCustomListBox::SetOnData);
  P.Property(u"OnDataFind", &TCustomListBox::OnDataFind, &TCustomListBox::SetOnDataFind);
  P.Property(u"OnDataObject", &TCustomListBox::OnDataObject, &TCustomListBox::SetOnDataObject);
  PublishControlProperties(P, {u"OnDblClick", u"OnDragDrop", u"OnDragOver"});
  P.Property(u"OnDrawItem", &TCustomListBox::OnDrawItem, &TCustomListBox::SetOnDrawItem);
  PublishControlProperties(P, {u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp"});
  P.Property(u"OnMeasureItem", &TCustomListBox::OnMeasureItem, &TCustomListBox::SetOnMeasureItem);
  PublishControlProperties(P, {u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove", u"OnMouseUp",
                               u"OnStartDrag"});
}

void TCustomListBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks, csOpaque});
  SetBounds(Left(), Top(), 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  FSaveItems = New<TStringList>();
  auto* items = New<TListBoxStrings>();
  items->ListBox = this;
  FItems = items;
  FCanvas = New<TControlCanvas>();
  FCanvas->SetControl(this);
  FItemHeight = 16;
  FBorderStyle = bsSingle;
  FExtendedSelect = true;
  FSaveItemIndex = -1;
  FAutoComplete = true;
  FAutoCompleteDelay = 500;
}

void TCustomListBox::Destroy() {
  inherited::Destroy();  // the window goes first: its items are not saved again
  FreeAndNil(FCanvas);
  FreeAndNil(FItems);
  FreeAndNil(FSaveItems);
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND: CNCommand(Message); break;
    case CN_DRAWITEM: CNDrawItem(Message); break;
    case CN_MEASUREITEM: CNMeasureItem(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TCustomListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, u"LISTBOX");
  Params.Style |= WS_HSCROLL | WS_VSCROLL | LBS_NOTIFY;
  switch (FStyle) {
    case lbStandard: Params.Style |= LBS_HASSTRINGS; break;
    case lbOwnerDrawFixed: Params.Style |= LBS_HASSTRINGS | LBS_OWNERDRAWFIXED; break;
    case lbOwnerDrawVariable: Params.Style |= LBS_HASSTRINGS | LBS_OWNERDRAWVARIABLE; break;
    case lbVirtual:
    case lbVirtualOwnerDraw: Params.Style |= LBS_NODATA | LBS_OWNERDRAWFIXED; break;
  }
  if (FSorted && !IsVirtual()) Params.Style |= LBS_SORT;
  if (FMultiSelect) Params.Style |= FExtendedSelect ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (!FIntegralHeight) Params.Style |= LBS_NOINTEGRALHEIGHT;
  if (FColumns != 0) Params.Style |= LBS_MULTICOLUMN;
  if (FTabWidth != 0) Params.Style |= LBS_USETABSTOPS;
  if (FBorderStyle == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListBox::CreateWnd() {
  inherited::CreateWnd();
  HWND h = WindowHandle();
  if (FStyle != lbStandard && FStyle != lbOwnerDrawVariable) SendMessageW(h, LB_SETITEMHEIGHT, 0, FItemHeight);
  SetColumnWidth();
  if (FTabWidth != 0) {
    UINT tabs = UINT(FTabWidth);
    SendMessageW(h, LB_SETTABSTOPS, 1, LPARAM(&tabs));
  }
  if (FScrollWidth != 0) SendMessageW(h, LB_SETHORIZONTALEXTENT, WPARAM(FScrollWidth), 0);
  if (IsVirtual()) {
    SendMessageW(h, LB_SETCOUNT, WPARAM(FCount), 0);
  } else if (FSaveItems->Count() > 0) {
    if (FSorted) {
      // the saved positions follow their items into the sorted order (the
      // window puts an item after its equals)
      Integer n = FSaveItems->Count();
      std::vector<Integer> order(size_t(n), 0), moved(size_t(n), 0);
      for (Integer i = 0; i < n; ++i) order[size_t(i)] = i;
      std::stable_sort(order.begin(), order.end(), [&](Integer A, Integer B) {
        return AnsiCompareText(FSaveItems->Strings(A), FSaveItems->Strings(B)) < 0;
      });
      for (Integer k = 0; k < n; ++k) moved[size_t(order[size_t(k)])] = k;
      if (FSaveItemIndex >= 0 && FSaveItemIndex < n) FSaveItemIndex = moved[size_t(FSaveItemIndex)];
      for (Integer& i : FSaveSelected)
        if (i >= 0 && i < n) i = moved[size_t(i)];
    }
    SendMessageW(h, WM_SETREDRAW, 0, 0);
    for (Integer i = 0; i < FSaveItems->Count(); ++i) {
      String s = FSaveItems->Strings(i);
      LRESULT at = SendMessageW(h, FSorted ? LB_ADDSTRING : LB_INSERTSTRING, FSorted ? 0 : WPARAM(i), LPARAM(s.c_str()));
      if (at >= 0) SendMessageW(h, LB_SETITEMDATA, WPARAM(at), LPARAM(FSaveItems->Objects(i)));
    }
    SendMessageW(h, WM_SETREDRAW, 1, 0);
    FSaveItems->Clear();
  }
  if (FMultiSelect)
    for (Integer i : FSaveSelected) SendMessageW(h, LB_SETSEL, 1, LPARAM(i));
  FSaveSelected.clear();
  if (FSaveTopIndex > 0) SendMessageW(h, LB_SETTOPINDEX, WPARAM(FSaveTopIndex), 0);
  if (FSaveItemIndex >= 0) SetItemIndexValue(FSaveItemIndex);
  FSaveTopIndex = 0;
  FSaveItemIndex = -1;
}

void TCustomListBox::DestroyWnd() {
  if (HandleAllocated()) {
    HWND h = WindowHandle();
    FSaveItems->Clear();
    FSaveSelected.clear();
    if (IsVirtual()) {
      FCount = Integer(SendMessageW(h, LB_GETCOUNT, 0, 0));
    } else {
      Integer n = Integer(SendMessageW(h, LB_GETCOUNT, 0, 0));
      for (Integer i = 0; i < n; ++i) {
        LRESULT len = SendMessageW(h, LB_GETTEXTLEN, WPARAM(i), 0);
        String s(size_t(std::max<LRESULT>(len, 0)) + 1, u'\0');
        LRESULT got = SendMessageW(h, LB_GETTEXT, WPARAM(i), LPARAM(s.data()));
        s.resize(size_t(std::clamp<LRESULT>(got, 0, std::max<LRESULT>(len, 0))));
        FSaveItems->AddObject(s, reinterpret_cast<TObject*>(SendMessageW(h, LB_GETITEMDATA, WPARAM(i), 0)));
      }
    }
    if (FMultiSelect) {
      Integer n = Integer(SendMessageW(h, LB_GETCOUNT, 0, 0));
      for (Integer i = 0; i < n; ++i)
        if (SendMessageW(h, LB_GETSEL, WPARAM(i), 0) > 0) FSaveSelected.push_back(i);
    }
    FSaveTopIndex = Integer(SendMessageW(h, LB_GETTOPINDEX, 0, 0));
    FSaveItemIndex = GetItemIndex();
  }
  inherited::DestroyWnd();
}

void TCustomListBox::SetColumnWidth() {
  if (FColumns > 0 && HandleAllocated())
    Send(this, LB_SETCOLUMNWIDTH, WPARAM(std::max<Integer>(1, (Width() + FColumns - 3) / FColumns)));
}

void TCustomListBox::WMSize(TMessage& Message) {
  inherited::Dispatch(Message);
  SetColumnWidth();
}

void TCustomListBox::CMCtl3DChanged(TMessage& Message) {
  if (FBorderStyle == bsSingle) RecreateWnd();
  inherited::Dispatch(Message);
}

void TCustomListBox::CNCommand(TMessage& Message) {
  switch (TWMCommand(Message).NotifyCode()) {
    case LBN_SELCHANGE:
      TControl::Changed();
      Click();
      break;
    case LBN_DBLCLK: DblClick(); break;
  }
}

void TCustomListBox::CNDrawItem(TMessage& Message) {
  auto* dis = TWMDrawItem(Message).DrawItemStruct();
  if (!dis) return;
  TOwnerDrawState state;
  if (dis->itemState & ODS_SELECTED) state.Include(odSelected);
  if (dis->itemState & ODS_GRAYED) state.Include(odGrayed);
  if (dis->itemState & ODS_DISABLED) state.Include(odDisabled);
  if (dis->itemState & ODS_CHECKED) state.Include(odChecked);
  if (dis->itemState & ODS_FOCUS) state.Include(odFocused);
  if (dis->itemState & ODS_DEFAULT) state.Include(odDefault);
  if (dis->itemState & ODS_NOACCEL) state.Include(odNoAccel);
  if (dis->itemState & ODS_NOFOCUSRECT) state.Include(odNoFocusRect);
  Integer saved = SaveDC(dis->hDC);
  FCanvas->SetHandle(dis->hDC);
  {
    Finally release([&] {
      FCanvas->SetHandle(nullptr);
      RestoreDC(dis->hDC, saved);
    });
    FCanvas->SetFont(Font());
    FCanvas->SetBrush(Brush());
    if (Integer(dis->itemID) >= 0 && state.Contains(odSelected)) {
      FCanvas->Brush()->SetColor(clHighlight);
      FCanvas->Font()->SetColor(clHighlightText);
    }
    if (Integer(dis->itemID) >= 0)
      DrawItem(Integer(dis->itemID), dis->rcItem, state);
    else
      FCanvas->FillRect(dis->rcItem);
    if (state.Contains(odFocused) && !state.Contains(odNoFocusRect)) FCanvas->DrawFocusRect(dis->rcItem);
  }
  Message.Result = 1;
}

void TCustomListBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  if (Assigned(FOnDrawItem)) {
    FOnDrawItem(this, Index, Rect, State);
    return;
  }
  FCanvas->FillRect(Rect);
  if (Index < FItems->Count()) {
    LongInt flags = DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (!UseRightToLeftAlignment())
      Rect.Left += 2;
    else
      Rect.Right -= 2;
    String data = IsVirtual() ? DoGetData(Index) : FItems->Strings(Index);
    FCanvas->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
    DrawTextW(FCanvas->Handle(), data.c_str(), int(data.size()), &Rect, UINT(flags));
  }
}

void TCustomListBox::CNMeasureItem(TMessage& Message) {
  auto* mis = TWMMeasureItem(Message).MeasureItemStruct();
  if (!mis) return;
  mis->itemHeight = UINT(FItemHeight);
  if (FStyle == lbOwnerDrawVariable) {
    Integer h = FItemHeight;
    MeasureItem(Integer(mis->itemID), h);
    mis->itemHeight = UINT(std::max(h, 0));
  }
  Message.Result = 1;
}

void TCustomListBox::MeasureItem(Integer Index, Integer& Height) {
  if (Assigned(FOnMeasureItem)) FOnMeasureItem(this, Index, Height);
}

String TCustomListBox::DoGetData(Integer Index) {
  String s;
  if (Assigned(FOnData)) FOnData(this, Index, s);
  return s;
}

TObject* TCustomListBox::DoGetDataObject(Integer Index) {
  TObject* o = nullptr;
  if (Assigned(FOnDataObject)) FOnDataObject(this, Index, o);
  return o;
}

Integer TCustomListBox::DoFindData(const String& Data) {
  if (Assigned(FOnDataFind)) return FOnDataFind(this, Data);
  return -1;
}

void TCustomListBox::KeyPress(Char& Key) {
  inherited::KeyPress(Key);
  if (!FAutoComplete || Key == 0) return;
  // Typed characters within AutoCompleteDelay of each other make one prefix,
  // searched from the top; the window's own one-letter search is bypassed.
  Cardinal now = Cardinal(MessageClock());
  if (now - FLastTime >= FAutoCompleteDelay) FFilter.clear();
  FLastTime = now;
  if (Key == Char(VK_BACK)) {
    if (!FFilter.empty()) FFilter.pop_back();
  } else if (Key >= u' ') {
    FFilter += Key;
  } else {
    return;
  }
  if (FFilter.empty()) return;
  Integer index;
  if (IsVirtual())
    index = DoFindData(FFilter);
  else
    index = Integer(Send(this, LB_FINDSTRING, WPARAM(-1), LPARAM(FFilter.c_str())));
  if (index >= 0) {
    if (FMultiSelect) {
      ClearSelection();
      Send(this, LB_SETSEL, 1, LPARAM(index));
    }
    SetItemIndexValue(index);
    Click();
  }
  Key = 0;
}

void TCustomListBox::SetItems(TStrings* Value) {
  if (IsVirtual()) return;
  FItems->Assign(Value);
}

Integer TCustomListBox::GetItemIndex() {
  if (!HandleAllocated()) return FSaveItemIndex;
  return Integer(Send(this, FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL));
}

void TCustomListBox::SetItemIndexValue(Integer Value) {
  if (!HandleAllocated()) {
    FSaveItemIndex = Value;
    return;
  }
  if (GetItemIndex() == Value) return;
  if (FMultiSelect) {
    if (Value >= 0) Send(this, LB_SETSEL, 1, LPARAM(Value));
    Send(this, LB_SETCARETINDEX, WPARAM(Value), 0);
  } else {
    Send(this, LB_SETCURSEL, WPARAM(Value), 0);
  }
}

Integer TCustomListBox::Count() { return FItems->Count(); }

void TCustomListBox::SetCount(Integer Value) {
  if (!IsVirtual()) throw EListError(u"Setting the count requires a virtual list box");
  FCount = std::max(Value, 0);
  if (HandleAllocated()) Send(this, LB_SETCOUNT, WPARAM(FCount), 0);
}

void TCustomListBox::CheckIndex(Integer Index) {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
}

Integer TCustomListBox::SelCount() {
  if (!FMultiSelect) return ItemIndex() >= 0 ? 1 : 0;
  return Integer(Send(this, LB_GETSELCOUNT));
}

Boolean TCustomListBox::Selected(Integer Index) {
  CheckIndex(Index);
  return Send(this, LB_GETSEL, WPARAM(Index)) > 0;
}

void TCustomListBox::SetSelected(Integer Index, Boolean Value) {
  CheckIndex(Index);
  if (FMultiSelect) {
    Send(this, LB_SETSEL, Value ? 1 : 0, LPARAM(Index));
  } else if (Value) {
    SetItemIndex(Index);
  } else if (ItemIndex() == Index) {
    SetItemIndex(-1);
  }
}

Integer TCustomListBox::TopIndex() {
  if (!HandleAllocated()) return FSaveTopIndex;
  return Integer(Send(this, LB_GETTOPINDEX));
}

void TCustomListBox::SetTopIndex(Integer Value) {
  if (!HandleAllocated())
    FSaveTopIndex = Value;
  else if (TopIndex() != Value)
    Send(this, LB_SETTOPINDEX, WPARAM(Value));
}

Integer TCustomListBox::ItemHeight() {
  if (HandleAllocated() && FStyle == lbStandard) return Integer(Send(this, LB_GETITEMHEIGHT));
  return FItemHeight;
}

void TCustomListBox::SetItemHeight(Integer Value) {
  if (FItemHeight == Value || Value <= 0) return;
  FItemHeight = Value;
  RecreateWnd();
}

void TCustomListBox::SetColumns(Integer Value) {
  if (FColumns == Value) return;
  bool recreate = (FColumns == 0) != (Value == 0);
  FColumns = std::max(Value, 0);
  if (recreate)
    RecreateWnd();
  else
    SetColumnWidth();
}

void TCustomListBox::SetMultiSelect(Boolean Value) {
  if (FMultiSelect == Value) return;
  FMultiSelect = Value;
  RecreateWnd();
}

void TCustomListBox::SetExtendedSelect(Boolean Value) {
  if (FExtendedSelect == Value) return;
  FExtendedSelect = Value;
  RecreateWnd();
}

void TCustomListBox::SetSorted(Boolean Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  if (FSorted && !HandleAllocated()) FSaveItems->Sort();
  RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (FStyle == Value) return;
  bool wasVirtual = IsVirtual();
  FStyle = Value;
  if (IsVirtual() != wasVirtual) {
    // the items and the count do not carry over between the two kinds
    if (HandleAllocated()) DestroyHandle();
    FSaveItems->Clear();
    FCount = 0;
    UpdateControlState();
    return;
  }
  RecreateWnd();
}

void TCustomListBox::SetIntegralHeight(Boolean Value) {
  if (FIntegralHeight == Value) return;
  FIntegralHeight = Value;
  RecreateWnd();
}

void TCustomListBox::SetBorderStyle(TBorderStyle Value) {
  if (Value != bsNone) Value = bsSingle;
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  RecreateWnd();
}

Integer TCustomListBox::ScrollWidth() {
  if (HandleAllocated()) return Integer(Send(this, LB_GETHORIZONTALEXTENT));
  return FScrollWidth;
}

void TCustomListBox::SetScrollWidth(Integer Value) {
  FScrollWidth = std::max(Value, 0);
  if (HandleAllocated()) Send(this, LB_SETHORIZONTALEXTENT, WPARAM(FScrollWidth));
}

void TCustomListBox::SetTabWidth(Integer Value) {
  Value = std::max(Value, 0);
  if (FTabWidth == Value) return;
  FTabWidth = Value;
  RecreateWnd();
}

void TCustomListBox::Clear() { FItems->Clear(); }

void TCustomListBox::ResetContent() {
  if (IsVirtual()) {
    SetCount(0);
    return;
  }
  if (HandleAllocated())
    Send(this, LB_RESETCONTENT);
  else
    FSaveItems->Clear();
}

void TCustomListBox::DeleteString(Integer Index) {
  if (IsVirtual()) return;
  if (!HandleAllocated()) {
    if (Index < 0 || Index >= FSaveItems->Count()) ListIndexError(Index);
    FSaveItems->Delete(Index);
    return;
  }
  if (Send(this, LB_DELETESTRING, WPARAM(Index)) < 0) ListIndexError(Index);
}

void TCustomListBox::ClearSelection() {
  if (!HandleAllocated()) {
    FSaveSelected.clear();
    FSaveItemIndex = -1;
    return;
  }
  if (FMultiSelect)
    Send(this, LB_SETSEL, 0, -1);
  else
    SetItemIndex(-1);
}

void TCustomListBox::SelectAll() {
  if (FMultiSelect) Send(this, LB_SETSEL, 1, -1);
}

void TCustomListBox::DeleteSelected() {
  if (FMultiSelect) {
    for (Integer i = Count() - 1; i >= 0; --i)
      if (Selected(i)) FItems->Delete(i);
  } else if (ItemIndex() >= 0) {
    FItems->Delete(ItemIndex());
  }
}

void TCustomListBox::AddItem(const String& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }

void TCustomListBox::CopySelection(TCustomListBox* Destination) {
  if (!Destination) return;
  for (Integer i = 0; i < Count(); ++i)
    if (Selected(i)) Destination->AddItem(FItems->Strings(i), FItems->Objects(i));
}

void TCustomListBox::MoveSelection(TCustomListBox* Destination) {
  CopySelection(Destination);
  DeleteSelected();
}

TRect TCustomListBox::ItemRect(Integer Index) {
  TRect r{};
  Integer count = Count();
  if (Index == 0 || Index < count) {
    Send(this, LB_GETITEMRECT, WPARAM(Index), LPARAM(&r));
  } else if (Index == count) {
    Send(this, LB_GETITEMRECT, WPARAM(Index - 1), LPARAM(&r));
    Integer h = r.Bottom - r.Top;
    r.Top += h;
    r.Bottom += h;
  }
  return r;
}

Integer TCustomListBox::ItemAtPos(const TPoint& Pos, Boolean Existing) {
  TRect client = ClientRect();
  if (!(Pos.X >= client.Left && Pos.X < client.Right && Pos.Y >= client.Top && Pos.Y < client.Bottom)) return -1;
  Integer count = Count();
  for (Integer i = std::max(TopIndex(), 0); i < count; ++i) {
    TRect r{};
    if (Send(this, LB_GETITEMRECT, WPARAM(i), LPARAM(&r)) == LB_ERR) break;
    if (Pos.X >= r.Left && Pos.X < r.Right && Pos.Y >= r.Top && Pos.Y < r.Bottom) return i;
    if (FColumns == 0 && r.Top >= client.Bottom) break;
    if (FColumns != 0 && r.Left >= client.Right) break;
  }
  return Existing ? -1 : count;
}

// --- Combo box ----------------------------------------------------------------------------------

// The drop-down list of a combo box: a popup list box that never takes the
// focus; a click on an item chooses it.
class TComboPopupList : public TCustomListBox {
  CL_CLASS(TComboPopupList, TCustomListBox)
 public:
  TCustomComboBox* Combo{};
  using TWinControl::DestroyHandle;

 protected:
  void CreateParams(TCreateParams& Params) override {
    inherited::CreateParams(Params);
    Params.Style = (Params.Style & ~DWORD(WS_CHILD)) | WS_POPUP | WS_BORDER;
    Params.ExStyle = (Params.ExStyle & ~DWORD(WS_EX_CLIENTEDGE)) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST |
                     WS_EX_NOACTIVATE;
    Params.WndParent = Combo->Handle();
  }
  void WndProc(TMessage& Message) override {
    switch (Message.Msg) {
      case WM_MOUSEACTIVATE: Message.Result = MA_NOACTIVATE; return;
      case WM_SETFOCUS:
        // the combo box keeps the focus
        if (Combo->HandleAllocated()) ::win::SetFocus(Combo->WindowHandle());
        return;
      case WM_LBUTTONUP: {
        inherited::WndProc(Message);
        TPoint p{TWMMouse(Message).XPos(), TWMMouse(Message).YPos()};
        Integer index = ItemAtPos(p, true);
        TCustomComboBox* combo = Combo;
        combo->SetDroppedDown(false);
        if (index >= 0) combo->UserSelect(index);
        return;
      }
    }
    inherited::WndProc(Message);
  }
};
CL_IMPLEMENT_CLASS(TComboPopupList)

CL_IMPLEMENT_CLASS(TCustomComboBox)

CL_IMPLEMENT_CLASS_PUBLISHED(TComboBox, P) {
  PublishControlProperties(P, {u"Align", u"Anchors", u"BiDiMode", u"Color", u"Constraints", u"Ctl3D",
                               u"DragCursor", u"DragKind", u"DragMode"});
  P.Property(u"DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount).Default(8);
  PublishControlProperties(P, {u"Enabled", u"Font"});
  P.Property(u"ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight).Default(16);
  P.Property(u"ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
  PublishControlProperties(P, {u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D", u"ParentFont",
                               u"ParentShowHint", u"PopupMenu", u"ShowHint"});
  P.Property(u"Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(false);
  P.Property(u"Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Default(csDropDown);
  PublishControlProperties(P, {u"TabOrder", u"TabStop"});
  P.Property(u"Text", &TControl::Text, &TControl::SetTextProp);
  PublishControlProperties(P, {u"Visible"});
  P.Property(u"OnChange", &TCustomComboBox::OnChange, &TCustomComboBox::SetOnChange);
  PublishControlProperties(P, {u"OnClick"});
  P.Property(u"OnCloseUp", &TCustomComboBox::OnCloseUp, &TCustomComboBox::SetOnCloseUp);
  PublishControlProperties(P, {u"OnContextPopup", u"OnDblClick", u"OnDragDrop", u"OnDragOver"});
  P.Property(u"OnDropDown", &TCustomComboBox::OnDropDown, &TCustomComboBox::SetOnDropDown);
  PublishControlProperties(P, {u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp"});
  P.Property(u"OnSelect", &TCustomComboBox::OnSelect, &TCustomComboBox::SetOnSelect);
  PublishControlProperties(P, {u"OnStartDrag"});
  // Items come after ItemIndex: the index read is applied in Loaded.
  P.Property(u"Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems);
}

void TCustomComboBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetControlStyle(TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight, csOpaque});
  SetBounds(Left(), Top(), 145, 21);
  SetTabStop(true);
  SetParentColor(false);
  FItems = New<TStringList>();
  FItems->SetOnChange(TNotifyEvent(this, &TCustomComboBox::ItemsChanged));
  FItemIndex = -1;
  FLoadedItemIndex = -1;
  FDropDownCount = 8;
  FItemHeight = 16;
}

void TCustomComboBox::Destroy() {
  FreeAndNil(FList);
  inherited::Destroy();
  FreeAndNil(FItems);
}

void TCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_GETDLGCODE: WMGetDlgCode(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case CM_CANCELMODE: CMCancelMode(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE; else Params.Style |= WS_BORDER;
}

void TCustomComboBox::DestroyWnd() {
  SetDroppedDown(false);
  if (FList) FList->DestroyHandle();
  inherited::DestroyWnd();
}

const TCaption& TCustomComboBox::GetText() {
  FItemText = FItemIndex >= 0 && FItemIndex < FItems->Count() ? FItems->Strings(FItemIndex) : String();
  return FItemText;
}

void TCustomComboBox::SetText(const TCaption& Value) {
  Integer i = FItems->IndexOf(Value);
  if (i >= 0 || Value.empty()) SetItemIndex(i);
}

void TCustomComboBox::ItemsChanged(TObject*) {
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  if (FList) FList->Items()->Assign(FItems);
  Invalidate();
}

TStrings* TCustomComboBox::Items() const { return FItems; }

void TCustomComboBox::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TCustomComboBox::SetItemIndex(Integer Value) {
  if (ComponentState().Contains(csLoading)) {
    // form files write ItemIndex before Items
    FLoadedItemIndex = Value;
    return;
  }
  if (Value < -1 || Value >= FItems->Count()) Value = -1;
  if (FItemIndex == Value) return;
  FItemIndex = Value;
  if (FList && FList->HandleAllocated()) FList->SetItemIndex(Value);
  Invalidate();
}

void TCustomComboBox::Loaded() {
  inherited::Loaded();
  if (FLoadedItemIndex >= 0) SetItemIndex(FLoadedItemIndex);
}

void TCustomComboBox::SetItemHeight(Integer Value) {
  if (Value > 0) FItemHeight = Value;
}

void TCustomComboBox::SetSorted(Boolean Value) {
  if (FSorted == Value) return;
  FSorted = Value;
  String current = Text();
  FItems->SetSorted(Value);
  FItemIndex = current.empty() ? -1 : FItems->IndexOf(current);
  Invalidate();
}

void TCustomComboBox::Clear() {
  FItems->Clear();
  FItemIndex = -1;
  Invalidate();
}

void TCustomComboBox::AddItem(const String& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }

TCustomListBox* TCustomComboBox::ListBox() const { return FDropped ? FList : nullptr; }

void TCustomComboBox::SetDroppedDown(Boolean Value) {
  if (FDropped == Value) return;
  if (Value) {
    if (!HandleAllocated() || !Showing()) return;
    DropDown();
    if (!FList) {
      FList = New<TComboPopupList>(static_cast<TComponent*>(nullptr));
      FList->Combo = this;
      FList->SetItemHeight(FItemHeight);
    }
    FList->SetFont(Font());
    FList->SetStyle(lbStandard);
    FList->Items()->Assign(FItems);
    Integer rows = std::clamp<Integer>(FItems->Count(), 1, std::max(FDropDownCount, 1));
    HWND h = FList->Handle();
    Integer itemHeight = Integer(SendMessageW(h, LB_GETITEMHEIGHT, 0, 0));
    RECT frame{0, 0, 0, rows * itemHeight};
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongW(h, GWL_STYLE)), FALSE, DWORD(GetWindowLongW(h, GWL_EXSTYLE)));
    TPoint origin = ClientToScreen(TPoint{0, 0});
    RECT wr{};
    GetWindowRect(WindowHandle(), &wr);
    Integer height = frame.bottom - frame.top;
    Integer top = wr.bottom;
    if (top + height > GetSystemMetrics(SM_CYSCREEN) && wr.top - height >= 0) top = wr.top - height;
    (void)origin;
    SendMessageW(h, LB_SETCURSEL, WPARAM(FItemIndex), 0);
    FDropped = true;
    SetWindowPos(h, HWND_TOPMOST, wr.left, top, wr.right - wr.left, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetCaptureControl(nullptr);
    Invalidate();
  } else {
    FDropped = false;
    if (FList && FList->HandleAllocated())
      SetWindowPos(FList->WindowHandle(), nullptr, 0, 0, 0, 0,
                   SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW);
    Invalidate();
    CloseUp();
  }
}

void TCustomComboBox::DropDown() {
  if (Assigned(FOnDropDown)) FOnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (Assigned(FOnCloseUp)) FOnCloseUp(this);
}

void TCustomComboBox::Change() {
  TControl::Changed();
  if (Assigned(FOnChange)) FOnChange(this);
}

void TCustomComboBox::Select() {
  if (Assigned(FOnSelect)) FOnSelect(this);
}

void TCustomComboBox::UserSelect(Integer Index) {
  if (Index < 0 || Index >= FItems->Count() || Index == FItemIndex) return;
  SetItemIndex(Index);
  Click();
  Select();
  Change();
}

void TCustomComboBox::KeyDown(Word& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  if (Key == 0) return;
  Integer count = FItems->Count();
  bool alt = Shift.Contains(ssAlt);
  if (Key == VK_F4 || ((Key == VK_DOWN || Key == VK_UP) && alt)) {
    SetDroppedDown(!FDropped);
    Key = 0;
    return;
  }
  if (FDropped && (Key == VK_RETURN || Key == VK_ESCAPE)) {
    Integer chosen = FList ? FList->ItemIndex() : -1;
    SetDroppedDown(false);
    if (Key == VK_RETURN && chosen >= 0) UserSelect(chosen);
    Key = 0;
    return;
  }
  Integer target = -2;
  Integer current = FDropped && FList ? FList->ItemIndex() : FItemIndex;
  switch (Key) {
    case VK_DOWN: target = std::min(current + 1, count - 1); break;
    case VK_UP: target = current < 0 ? 0 : std::max(current - 1, 0); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    case VK_NEXT: target = std::min(current + std::max(FDropDownCount - 1, 1), count - 1); break;
    case VK_PRIOR: target = std::max(current - std::max(FDropDownCount - 1, 1), 0); break;
  }
  if (target == -2 || count == 0) return;
  Key = 0;
  if (FDropped && FList)
    FList->SetItemIndex(target);
  else
    UserSelect(target);
}

void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    SetDroppedDown(!FDropped);
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

void TCustomComboBox::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS;
  if (FDropped) Message.Result |= DLGC_WANTALLKEYS;
}

void TCustomComboBox::WMKillFocus(TMessage& Message) {
  if (FList && FList->HandleAllocated() && HWND(Message.WParam) == FList->WindowHandle()) {
    inherited::Dispatch(Message);
    return;
  }
  SetDroppedDown(false);
  inherited::Dispatch(Message);
  Invalidate();
}

void TCustomComboBox::WMSetFocus(TMessage& Message) {
  inherited::Dispatch(Message);
  Invalidate();
}

void TCustomComboBox::CMCancelMode(TMessage& Message) {
  if (reinterpret_cast<TControl*>(Message.LParam) != this) SetDroppedDown(false);
}

void TCustomComboBox::CMFontChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  Invalidate();
}

void TCustomComboBox::CMEnabledChanged(TMessage& Message) {
  if (!Enabled()) SetDroppedDown(false);
  inherited::Dispatch(Message);
  Invalidate();
}

void TCustomComboBox::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TCustomComboBox::WMPaint(TMessage& Message) {
  PAINTSTRUCT ps{};
  HDC dc = TWMPaint(Message).DC();
  bool own = dc == nullptr;
  if (own) dc = BeginPaint(WindowHandle(), &ps);
  TCanvas* canvas = New<TCanvas>();
  Finally release([&] {
    Free(canvas);
    if (own) EndPaint(WindowHandle(), &ps);
  });
  canvas->SetHandle(dc);
  Paint(canvas);
  canvas->SetHandle(nullptr);
}

// The chosen item in a field, the button with its arrow at the right.
void TCustomComboBox::Paint(TCanvas* Canvas) {
  TRect r = ClientRect();
  Integer bw = GetSystemMetrics(SM_CXVSCROLL);
  TRect button{std::max(r.Right - bw, r.Left), r.Top, r.Right, r.Bottom};
  TRect field{r.Left, r.Top, button.Left, r.Bottom};
  bool focused = HandleAllocated() && GetFocus() == WindowHandle() && !FDropped;
  Canvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
  Canvas->FillRect(field);
  TRect text{field.Left + 1, field.Top + 1, field.Right - 1, field.Bottom - 1};
  if (focused) {
    Canvas->Brush()->SetColor(clHighlight);
    Canvas->FillRect(text);
  }
  Canvas->SetFont(Font());
  Canvas->Font()->SetColor(!Enabled() ? clGrayText : focused ? clHighlightText : Font()->Color());
  Canvas->Brush()->SetStyle(bsClear);
  String s = Text();
  TRect tr{text.Left + 2, text.Top, text.Right, text.Bottom};
  Canvas->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
  DrawTextW(Canvas->Handle(), s.c_str(), int(s.size()), &tr,
            UINT(DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS)));
  if (focused) Canvas->DrawFocusRect(text);
  Canvas->Brush()->SetStyle(bsSolid);
  RECT b = button;
  DrawFrameControl(Canvas->Handle(), &b, DFC_SCROLL,
                   DFCS_SCROLLCOMBOBOX | (FDropped ? DFCS_PUSHED : 0) | (Enabled() ? 0 : DFCS_INACTIVE));
}

// --- Buttons ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TButtonControl)

void TButtonControl::Create(TComponent* AOwner) { inherited::Create(AOwner); }

void TButtonControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_CTLCOLORSTATIC: CNCtlColorStatic(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TButtonControl::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (FWordWrap) Params.Style |= BS_MULTILINE;
}

void TButtonControl::SetWordWrap(Boolean Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}

// Check boxes and radio buttons take their parent's colour.
void TButtonControl::CNCtlColorStatic(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(dc, COLORREF(ColorToRGB(Font()->Color())));
  SetBkColor(dc, COLORREF(ColorToRGB(Brush()->Color())));
  Message.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
}

// The button window paints every pixel itself: no framework erase.
void TButtonControl::WMEraseBkgnd(TMessage& Message) { DefaultHandler(Message); }

CL_IMPLEMENT_CLASS(TButtonActionLink)

Boolean TButtonActionLink::IsCheckedLinked() {
  return TControlActionLink::IsCheckedLinked() && static_cast<TButtonControl*>(FClient)->Checked() ==
                                                      CustomAction()->Checked();
}

void TButtonActionLink::SetChecked(Boolean Value) {
  if (!IsCheckedLinked()) return;
  auto* button = static_cast<TButtonControl*>(FClient);
  button->SetClicksDisabled(true);
  Finally enable([&] { button->SetClicksDisabled(false); });
  button->SetCheckedProp(Value);
}

CL_IMPLEMENT_CLASS(TCustomButton)

CL_IMPLEMENT_CLASS_PUBLISHED(TButton, P) {
  PublishControlProperties(P, {u"Action", u"Align", u"Anchors", u"BiDiMode"});
  P.Property(u"Cancel", &TCustomButton::Cancel, &TCustomButton::SetCancel).Default(false);
  PublishControlProperties(P, {u"Caption", u"Constraints"});
  P.Property(u"Default", &TCustomButton::Default, &TCustomButton::SetDefault).Default(false);
  PublishControlProperties(P, {u"DragCursor", u"DragKind", u"DragMode", u"Enabled", u"Font"});
  P.Property(u"ModalResult", &TCustomButton::ModalResult, &TCustomButton::SetModalResult).Default(0);
  PublishControlProperties(P, {u"ParentBiDiMode", u"ParentFont", u"ParentShowHint", u"PopupMenu", u"ShowHint",
                               u"TabOrder", u"TabStop", u"Visible"});
  P.Property(u"WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
  PublishControlProperties(P, {u"OnClick", u"OnContextPopup", u"OnDragDrop", u"OnDragOver", u"OnEndDrag",
                               u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp", u"OnMouseDown",
                               u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove", u"OnMouseUp", u"OnStartDrag"});
}

void TCustomButton::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
  SetBounds(Left(), Top(), 75, 25);
  SetTabStop(true);
}

void TCustomButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CN_COMMAND: CNCommand(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TCustomButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, u"BUTTON");
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

TControlActionLinkClass TCustomButton::GetActionLinkClass() { return ClassOf<TButtonActionLink>(); }

void TCustomButton::CreateWnd() {
  inherited::CreateWnd();
  FActive = FDefault;
}

// Pressing the button closes a modal form with the button's result.
void TCustomButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
  inherited::Click();
}

void TCustomButton::SetButtonStyle(Boolean ADefault) {
  if (!HandleAllocated()) return;
  DWORD style = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  if ((DWORD(GetWindowLongW(WindowHandle(), GWL_STYLE)) & BS_TYPEMASK) != style)
    Send(this, BM_SETSTYLE, WPARAM(style), 1);
}

void TCustomButton::SetDefault(Boolean Value) {
  FDefault = Value;
  if (!HandleAllocated()) return;
  if (TCustomForm* form = GetParentForm(this))
    static_cast<TControl*>(form)->Perform(CM_FOCUSCHANGED, 0, LPARAM(form->ActiveControl()));
}

void TCustomButton::CMDialogKey(TMessage& Message) {
  Word key = TWMKey(Message).CharCode();
  if (((key == VK_RETURN && FActive) || (key == VK_ESCAPE && FCancel)) &&
      KeyDataToShiftState(TWMKey(Message).KeyData()).ToInt() == 0 && CanFocus()) {
    Click();
    Message.Result = 1;
  } else {
    inherited::Dispatch(Message);
  }
}

void TCustomButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(TWMKey(Message).CharCode(), Caption()) && CanFocus()) {
    Click();
    Message.Result = 1;
  } else {
    inherited::Dispatch(Message);
  }
}

// The focused button shows the default highlight; with no button focused
// the Default one does.
void TCustomButton::CMFocusChanged(TMessage& Message) {
  auto* sender = reinterpret_cast<TWinControl*>(Message.LParam);
  FActive = sender && Is<TCustomButton>(sender) ? sender == this : FDefault;
  SetButtonStyle(FActive);
  inherited::Dispatch(Message);
}

void TCustomButton::CNCommand(TMessage& Message) {
  if (TWMCommand(Message).NotifyCode() == BN_CLICKED) Click();
}

// --- Check box ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomCheckBox)

CL_IMPLEMENT_CLASS_PUBLISHED(TCheckBox, P) {
  PublishControlProperties(P, {u"Action"});
  P.Property(u"Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment).Default(taRightJustify);
  P.Property(u"AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Default(false);
  PublishControlProperties(P, {u"Anchors", u"BiDiMode", u"Caption"});
  P.Property(u"Checked", &TButtonControl::Checked, &TButtonControl::SetCheckedProp).Stored(false).Default(false);
  PublishControlProperties(P, {u"Color", u"Constraints", u"Ctl3D", u"DragCursor", u"DragKind", u"DragMode",
                               u"Enabled", u"Font", u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D",
                               u"ParentFont", u"ParentShowHint", u"PopupMenu", u"ShowHint"});
  P.Property(u"State", &TCustomCheckBox::State, &TCustomCheckBox::SetState).Default(cbUnchecked);
  PublishControlProperties(P, {u"TabOrder", u"TabStop", u"Visible"});
  P.Property(u"WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
  PublishControlProperties(P, {u"OnClick", u"OnContextPopup", u"OnDragDrop", u"OnDragOver", u"OnEndDrag",
                               u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp", u"OnMouseDown",
                               u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove", u"OnMouseUp", u"OnStartDrag"});
}

void TCustomCheckBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
  SetBounds(Left(), Top(), 97, 17);
  SetTabStop(true);
  FAlignment = taRightJustify;
}

void TCustomCheckBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CN_COMMAND: CNCommand(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, u"BUTTON");
  Params.Style |= BS_3STATE;
  // the box sits on the side away from the alignment
  bool left = FAlignment == taLeftJustify;
  if (UseRightToLeftAlignment()) left = !left;
  if (left) Params.Style |= BS_LEFTTEXT;
}

void TCustomCheckBox::CreateWnd() {
  inherited::CreateWnd();
  Send(this, BM_SETCHECK, WPARAM(FState));
}

void TCustomCheckBox::SetAlignment(TAlignment Value) {
  if (Value == taCenter) Value = taRightJustify;
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (FState == Value) return;
  FState = Value;
  if (HandleAllocated()) Send(this, BM_SETCHECK, WPARAM(FState));
  if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::Toggle() {
  switch (FState) {
    case cbUnchecked: SetState(FAllowGrayed ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TCustomCheckBox::Click() {
  TControl::Changed();
  inherited::Click();
}

void TCustomCheckBox::CMDialogChar(TMessage& Message) {
  if (IsAccel(TWMKey(Message).CharCode(), Caption()) && CanFocus()) {
    SetFocus();
    if (Focused()) Toggle();
    Message.Result = 1;
  } else {
    inherited::Dispatch(Message);
  }
}

void TCustomCheckBox::CNCommand(TMessage& Message) {
  if (TWMCommand(Message).NotifyCode() == BN_CLICKED) Toggle();
}

// --- Radio button ---------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS_PUBLISHED(TRadioButton, P) {
  PublishControlProperties(P, {u"Action"});
  P.Property(u"Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment).Default(taRightJustify);
  PublishControlProperties(P, {u"Anchors", u"BiDiMode", u"Caption"});
  P.Property(u"Checked", &TButtonControl::Checked, &TButtonControl::SetCheckedProp).Default(false);
  PublishControlProperties(P, {u"Color", u"Constraints", u"Ctl3D", u"DragCursor", u"DragKind", u"DragMode",
                               u"Enabled", u"Font", u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D",
                               u"ParentFont", u"ParentShowHint", u"PopupMenu", u"ShowHint", u"TabOrder",
                               u"TabStop", u"Visible"});
  P.Property(u"WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Default(false);
  PublishControlProperties(P, {u"OnClick", u"OnContextPopup", u"OnDblClick", u"OnDragDrop", u"OnDragOver",
                               u"OnEndDrag", u"OnEnter", u"OnExit", u"OnKeyDown", u"OnKeyPress", u"OnKeyUp",
                               u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove", u"OnMouseUp",
                               u"OnStartDrag"});
}

void TRadioButton::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
  SetBounds(Left(), Top(), 113, 17);
  FAlignment = taRightJustify;
}

void TRadioButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CN_COMMAND: CNCommand(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, u"BUTTON");
  Params.Style |= BS_RADIOBUTTON;
  bool left = FAlignment == taLeftJustify;
  if (UseRightToLeftAlignment()) left = !left;
  if (left) Params.Style |= BS_LEFTTEXT;
}

void TRadioButton::CreateWnd() {
  inherited::CreateWnd();
  Send(this, BM_SETCHECK, FChecked ? 1 : 0);
}

void TRadioButton::SetAlignment(TAlignment Value) {
  if (Value == taCenter) Value = taRightJustify;
  if (FAlignment == Value) return;
  FAlignment = Value;
  RecreateWnd();
}

// Checking a radio button unchecks the radio buttons of the same parent.
void TRadioButton::SetChecked(Boolean Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  SetTabStop(Value);
  if (HandleAllocated()) Send(this, BM_SETCHECK, Value ? 1 : 0);
  if (Value) {
    if (TWinControl* p = Parent())
      for (Integer i = 0; i < p->ControlCount(); ++i) {
        TControl* c = p->Controls(i);
        if (c != this && Is<TRadioButton>(c)) static_cast<TRadioButton*>(c)->SetChecked(false);
      }
    TControl::Changed();
    if (!ClicksDisabled()) Click();
  }
}

void TRadioButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(TWMKey(Message).CharCode(), Caption()) && CanFocus()) {
    SetFocus();
    if (Focused()) SetChecked(true);
    Message.Result = 1;
  } else {
    inherited::Dispatch(Message);
  }
}

void TRadioButton::CNCommand(TMessage& Message) {
  switch (TWMCommand(Message).NotifyCode()) {
    case BN_CLICKED: SetChecked(true); break;
    case BN_DOUBLECLICKED: DblClick(); break;
  }
}

// --- Label ------------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomLabel)

CL_IMPLEMENT_CLASS_PUBLISHED(TLabel, P) {
  PublishControlProperties(P, {u"Align"});
  P.Property(u"Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify);
  PublishControlProperties(P, {u"Anchors"});
  P.Property(u"AutoSize", &TControl::AutoSize, &TCustomLabel::SetAutoSize).Default(true);
  PublishControlProperties(P, {u"BiDiMode", u"Caption", u"Color", u"Constraints", u"DragCursor", u"DragKind",
                               u"DragMode"});
  P.Property(u"EllipsisPosition", &TCustomLabel::EllipsisPosition, &TCustomLabel::SetEllipsisPosition)
      .Default(epNone);
  PublishControlProperties(P, {u"Enabled"});
  P.Property(u"FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
  PublishControlProperties(P, {u"Font"});
  P.Property(u"Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
  PublishControlProperties(P, {u"ParentBiDiMode", u"ParentColor", u"ParentFont", u"ParentShowHint",
                               u"PopupMenu"});
  P.Property(u"ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
  PublishControlProperties(P, {u"ShowHint"});
  P.Property(u"Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false);
  PublishControlProperties(P, {u"Visible"});
  P.Property(u"WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
  PublishControlProperties(P, {u"OnClick", u"OnContextPopup", u"OnDblClick", u"OnDragDrop", u"OnDragOver",
                               u"OnEndDrag", u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove",
                               u"OnMouseUp", u"OnStartDrag"});
}

void TCustomLabel::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  TControlStyle s = ControlStyle();
  s.Include(csOpaque);
  s.Include(csReplicatable);
  SetControlStyle(s);
  SetBounds(Left(), Top(), 65, 17);
  FShowAccelChar = true;
  SetAutoSize(true);
}

void TCustomLabel::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    default: inherited::Dispatch(Message);
  }
}

String TCustomLabel::GetLabelText() { return Caption(); }

void TCustomLabel::DoDrawText(TRect& Rect, LongInt Flags) {
  String text = GetLabelText();
  if ((Flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == u"&"))) text += u" ";
  if (!FShowAccelChar) Flags |= DT_NOPREFIX;
  if (FEllipsisPosition != epNone && !FWordWrap && !(Flags & DT_CALCRECT)) {
    Flags |= FEllipsisPosition == epPathEllipsis  ? DT_PATH_ELLIPSIS
             : FEllipsisPosition == epEndEllipsis ? DT_END_ELLIPSIS
                                                  : DT_WORD_ELLIPSIS;
  }
  Flags = DrawTextBiDiModeFlags(Flags);
  TCanvas* c = Canvas();
  c->SetFont(Font());
  c->RequiredState(TCanvasStates{csHandleValid, csFontValid});
  if (!Enabled() && !(Flags & DT_CALCRECT)) {
    TRect shifted = Rect;
    shifted.Left += 1;
    shifted.Top += 1;
    shifted.Right += 1;
    shifted.Bottom += 1;
    SetTextColor(c->Handle(), COLORREF(ColorToRGB(clBtnHighlight)));
    DrawTextW(c->Handle(), text.c_str(), int(text.size()), &shifted, UINT(Flags));
    SetTextColor(c->Handle(), COLORREF(ColorToRGB(clBtnShadow)));
    DrawTextW(c->Handle(), text.c_str(), int(text.size()), &Rect, UINT(Flags));
  } else {
    DrawTextW(c->Handle(), text.c_str(), int(text.size()), &Rect, UINT(Flags));
  }
}

void TCustomLabel::Paint() {
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  if (!Transparent()) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(client);
  }
  c->Brush()->SetStyle(bsClear);
  LongInt flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) |
                  (FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT);
  TRect r = client;
  if (FLayout != tlTop) {
    TRect calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    Integer dy = FLayout == tlBottom ? client.Bottom - calc.Bottom : (client.Bottom - calc.Bottom) / 2;
    r.Top += dy;
    r.Bottom += dy;
  }
  DoDrawText(r, flags);
}

// With AutoSize the label takes the size of its text (the right edge stays
// for right-aligned text).
void TCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading) || !AutoSize()) return;
  TRect r = ClientRect();
  HDC dc = GetDC(nullptr);
  Canvas()->SetHandle(dc);
  {
    Finally release([&] {
      Canvas()->SetHandle(nullptr);
      ReleaseDC(nullptr, dc);
    });
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
  }
  Integer x = Left();
  TAlignment a = FAlignment;
  if (UseRightToLeftAlignment()) a = a == taLeftJustify ? taRightJustify : a == taRightJustify ? taLeftJustify : a;
  if (a == taRightJustify) x += Width() - r.Right;
  SetBounds(x, Top(), r.Right, r.Bottom);
}

void TCustomLabel::Loaded() {
  inherited::Loaded();
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::SetAutoSize(Boolean Value) {
  if (AutoSize() == Value) return;
  inherited::SetAutoSize(Value);
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition Value) {
  if (FEllipsisPosition == Value) return;
  FEllipsisPosition = Value;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (FFocusControl == Value) return;
  if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(Boolean Value) {
  if (FShowAccelChar == Value) return;
  FShowAccelChar = Value;
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::SetTransparent(Boolean Value) {
  if (Transparent() == Value) return;
  TControlStyle s = ControlStyle();
  if (Value) s.Exclude(csOpaque); else s.Include(csOpaque);
  SetControlStyle(s);
  Invalidate();
}

void TCustomLabel::SetWordWrap(Boolean Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::CMTextChanged(TMessage&) {
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  AdjustBounds();
}

// Alt and the label's accelerator focus the label's FocusControl.
void TCustomLabel::CMDialogChar(TMessage& Message) {
  if (FFocusControl && Enabled() && FShowAccelChar && IsAccel(TWMKey(Message).CharCode(), Caption()) &&
      FFocusControl->CanFocus()) {
    FFocusControl->SetFocus();
    Message.Result = 1;
  }
}

// --- Group box ------------------------------------------------------------------------------------

CL_IMPLEMENT_CLASS(TCustomGroupBox)

CL_IMPLEMENT_CLASS_PUBLISHED(TGroupBox, P) {
  PublishControlProperties(P, {u"Align", u"Anchors", u"BiDiMode", u"Caption", u"Color", u"Constraints", u"Ctl3D",
                               u"DoubleBuffered", u"DragCursor", u"DragKind", u"DragMode", u"Enabled", u"Font",
                               u"ParentBackground", u"ParentBiDiMode", u"ParentColor", u"ParentCtl3D",
                               u"ParentDoubleBuffered", u"ParentFont", u"ParentShowHint", u"PopupMenu",
                               u"ShowHint", u"TabOrder", u"TabStop", u"Visible", u"OnClick", u"OnContextPopup",
                               u"OnDblClick", u"OnDragDrop", u"OnDragOver", u"OnEndDrag", u"OnEnter", u"OnExit",
                               u"OnMouseDown", u"OnMouseEnter", u"OnMouseLeave", u"OnMouseMove", u"OnMouseUp",
                               u"OnStartDrag"});
}

void TCustomGroupBox::Create(TComponent* AOwner) {
  inherited::Create(AOwner);
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                csReplicatable});
  SetBounds(Left(), Top(), 185, 105);
}

void TCustomGroupBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case WM_SIZE: WMSize(Message); break;
    default: inherited::Dispatch(Message);
  }
}

void TCustomGroupBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.WindowClass.style &= ~UINT(CS_HREDRAW | CS_VREDRAW);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  Canvas()->SetFont(Font());
  Rect.Top += Canvas()->TextHeight(u"0");
  Integer inset = Ctl3D() ? 2 : 1;
  Rect.Left += inset;
  Rect.Top += inset;
  Rect.Right -= inset;
  Rect.Bottom -= inset;
}

void TCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->SetFont(Font());
  Integer h = c->TextHeight(u"0");
  TRect r{0, h / 2 - 1, Width(), Height()};
  if (Ctl3D()) {
    r.Left += 1;
    r.Top += 1;
    c->Brush()->SetColor(clBtnHighlight);
    c->FrameRect(r);
    r.Left -= 1;
    r.Top -= 1;
    r.Right -= 1;
    r.Bottom -= 1;
    c->Brush()->SetColor(clBtnShadow);
  } else {
    c->Brush()->SetColor(clWindowFrame);
  }
  c->FrameRect(r);
  String text = Caption();
  if (!text.empty()) {
    TRect tr{8, 0, 0, h};
    UINT flags = UINT(DrawTextBiDiModeFlags(DT_SINGLELINE));
    c->RequiredState(TCanvasStates{csHandleValid, csFontValid});
    DrawTextW(c->Handle(), text.c_str(), int(text.size()), &tr, flags | DT_CALCRECT);
    if (UseRightToLeftAlignment()) {
      Integer w = tr.Right - tr.Left;
      tr.Right = Width() - 8;
      tr.Left = tr.Right - w;
    }
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->RequiredState(TCanvasStates{csHandleValid, csFontValid, csBrushValid});
    DrawTextW(c->Handle(), text.c_str(), int(text.size()), &tr, flags);
  }
}

void TCustomGroupBox::CMDialogChar(TMessage& Message) {
  if (IsAccel(TWMKey(Message).CharCode(), Caption()) && CanFocus()) {
    SelectFirst();
    Message.Result = 1;
  } else {
    inherited::Dispatch(Message);
  }
}

void TCustomGroupBox::CMTextChanged(TMessage&) {
  Invalidate();
  Realign();
}

void TCustomGroupBox::CMCtl3DChanged(TMessage& Message) {
  inherited::Dispatch(Message);
  Invalidate();
  Realign();
}

void TCustomGroupBox::WMSize(TMessage& Message) {
  Invalidate();
  inherited::Dispatch(Message);
}

// --- Unit start-up ------------------------------------------------------------------------------------

namespace {

const std::initializer_list<TClass>& StdCtrlsClasses() {
  static const std::initializer_list<TClass> list = {
      TEdit::StaticClass(),     TMemo::StaticClass(),        TListBox::StaticClass(),
      TComboBox::StaticClass(), TButton::StaticClass(),      TCheckBox::StaticClass(),
      TRadioButton::StaticClass(), TLabel::StaticClass(),    TGroupBox::StaticClass()};
  return list;
}

void StdCtrlsStartup() { RegisterStdCtrlsClasses(); }
void StdCtrlsShutdown() { UnRegisterClasses(StdCtrlsClasses()); }

}  // namespace

void RegisterStdCtrlsClasses() {
  for (TClass c : StdCtrlsClasses())
    if (!GetClass(c->ClassName())) RegisterClass(c);
}

CL_UNIT_STEPS(StdCtrls, &StdCtrlsStartup, &StdCtrlsShutdown);
