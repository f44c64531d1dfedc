#include "lib/editors/vlMaskEditModes.h"

#include <algorithm>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlRegExpr.h"
#include "lib/editors/vlStandardMask.h"
#include "lib/foundation/nbCore.h"
#include "platform/classes/Streams.h"
#include "platform/win/Windows.h"

CL_IMPLEMENT_CLASS(TvlMaskEditCustomMode)
CL_IMPLEMENT_CLASS(TvlMaskEditStandardMode)
CL_IMPLEMENT_CLASS(TvlMaskEditRegExprMode)
CL_IMPLEMENT_CLASS(TvlMaskEditRegExprExMode)

Boolean vlIsBlankMask(const String& AMask) {
  return std::all_of(AMask.begin(), AMask.end(), [](Char c) {
    return c == 0 || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r' || c == u' ';
  });
}

// --- The base ----------------------------------------------------------------------------------

void TvlMaskEditCustomMode::Create(IvlMaskEditModeEditor* AEdit, IvlMaskEditModeProperties* AProperties) {
  FEdit = AEdit;
  if (!AEdit) FProperties = AProperties;
  FCharCase = ecNormal;
  FEchoMode = eemNormal;
}

void TvlMaskEditCustomMode::Compile(const String& AMask) { FEditMask = AMask; }

String TvlMaskEditCustomMode::GetFormattedText(const String& AText, Boolean) { return AText; }

String TvlMaskEditCustomMode::GetUpdatedText(const String& AText, Boolean) { return AText; }

IvlMaskEditModeProperties* TvlMaskEditCustomMode::GetProperties() const {
  return FEdit ? FEdit->GetModeProperties() : FProperties;
}

Boolean TvlMaskEditCustomMode::HasEdit() const { return FEdit && FEdit->HasInnerEdit(); }

void TvlMaskEditCustomMode::BeepOnError() const {
  IvlMaskEditModeProperties* properties = GetProperties();
  if (!properties || !properties->GetBeepOnError()) return;
  if (FEdit)
    FEdit->Beep();
  else
    win::MessageBeep(0);
}

void TvlMaskEditCustomMode::SynchronizeEditValue() {
  if (!HasEdit()) return;
  String text;
  if (FEdit->ModifiedAfterEnter())
    text = GetFormattedText(FEdit->GetDisplayText(), true);
  else
    text = GetProperties()->PrepareDisplayText(FEdit->GetEditValueText(), FEdit->IsFocused());
  FEdit->SetDisplayText(text);
}

// --- The standard mode -------------------------------------------------------------------------

namespace {
Boolean IsLiteralItem(TvlStandardMaskCustomItem* AItem) {
  return AItem->InheritsFrom(TvlStandardMaskLiteralItem::StaticClass());
}
}  // namespace

void TvlMaskEditStandardMode::Create(IvlMaskEditModeEditor* AEdit, IvlMaskEditModeProperties* AProperties) {
  inherited::Create(AEdit, AProperties);
  FMask = New<TvlStandardMask>();
}

void TvlMaskEditStandardMode::Destroy() {
  FreeAndNil(FMask);
  inherited::Destroy();
}

void TvlMaskEditStandardMode::Compile(const String& AMask) {
  inherited::Compile(AMask);
  if (vlIsBlankMask(AMask)) return;
  FMask->Compile(AMask);
  if (!FEdit) FNeedUpdateEditValue = true;
}

String TvlMaskEditStandardMode::GetEmptyString() { return FMask->EmptyString(); }

Char TvlMaskEditStandardMode::GetBlank() { return FMask->Blank(); }

String TvlMaskEditStandardMode::GetFormattedText(const String& AText, Boolean AMatchForBlanksAndLiterals) {
  String text = AText;
  FMask->Format(text, true, AMatchForBlanksAndLiterals);
  return text;
}

String TvlMaskEditStandardMode::GetUpdatedText(const String& AText, Boolean AMatchForBlanksAndLiterals) {
  if (FMask->Count() == 0) return AText;
  String text = AText;
  FMask->Format(text, FCharCase == ecNormal, AMatchForBlanksAndLiterals);
  FMask->Format2(text);
  return text;
}

void TvlMaskEditStandardMode::UpdateEditValue() {
  if (!FNeedUpdateEditValue) return;
  if (FEdit) FEdit->SetEditValueText(FMask->EmptyString());
  FNeedUpdateEditValue = false;
}

void TvlMaskEditStandardMode::SetText(const String&) { LMouseDown(); }

void TvlMaskEditStandardMode::SynchronizeEditValue() {
  inherited::SynchronizeEditValue();
  LMouseDown();
}

Boolean TvlMaskEditStandardMode::IsFullValidText(const String& AText) {
  String text = AText;
  if (FMask->IsFullValid(text)) return true;
  IvlMaskEditModeProperties* properties = GetProperties();
  return properties && properties->GetIgnoreMaskBlank() && AText == GetFormattedText(String(), true);
}

Boolean TvlMaskEditStandardMode::IsCursorBegin() {
  Integer literals = 0;
  while (literals < FMask->Count() && IsLiteralItem(FMask->Items(literals))) ++literals;
  return FEdit->GetSelStart() <= literals && (FEdit->GetSelLength() < 2 || FEdit->CaretAtSelStart());
}

Boolean TvlMaskEditStandardMode::IsCursorEnd() { return FEdit->GetSelStart() == TextLength(); }

Boolean TvlMaskEditStandardMode::IsLiteral(Integer APos) const {
  return APos >= 0 && APos < FMask->Count() && IsLiteralItem(FMask->Items(APos));
}

void TvlMaskEditStandardMode::SetCursor(Integer APos) {
  FEdit->SetSelStart(APos);
  FEdit->SetSelLength(APos < TextLength() ? 1 : 0);
}

void TvlMaskEditStandardMode::LMouseDown() {
  if (FEdit && FEdit->HandleAllocated() && FEdit->IsMasked() && FEdit->GetSelLength() == 0) FEdit->SetSelLength(1);
}

Boolean TvlMaskEditStandardMode::PressHome() {
  if (FEdit->GetShiftOn()) return true;
  SetCursor(0);
  if (IsLiteral(0)) PressRight();
  return false;
}

Boolean TvlMaskEditStandardMode::PressEnd() {
  if (FEdit->GetShiftOn()) return true;
  FEdit->SetSelStart(TextLength());
  FEdit->SetSelLength(0);
  return false;
}

Boolean TvlMaskEditStandardMode::PressLeft() {
  const Integer start = FEdit->GetSelStart(), length = FEdit->GetSelLength();
  if (FEdit->GetShiftOn()) {
    if (length == 1) {
      FEdit->SetSelStart(start + 1);
      FEdit->SetSelLength(0);
      FEdit->SendKey(win::VK_LEFT);
      FEdit->SendKey(win::VK_LEFT);
    }
    return true;
  }
  if (length >= 2) {
    // Collapse to the start, past the literals the selection begins with.
    Integer pos = start;
    while (pos < start + length && IsLiteral(pos)) ++pos;
    if (pos == start + length) pos = start + length >= TextLength() ? start + length : start;
    SetCursor(pos);
    return false;
  }
  Integer pos = start - 1;
  while (pos >= 0 && IsLiteral(pos)) --pos;
  if (pos >= 0) SetCursor(pos);
  return false;
}

Boolean TvlMaskEditStandardMode::PressRight() {
  const Integer start = FEdit->GetSelStart(), length = FEdit->GetSelLength();
  if (FEdit->GetShiftOn()) {
    if (length == 1 && !FEdit->CaretAtSelStart()) FEdit->SetSelLength(0);
    return true;
  }
  if (length < 2) {
    // The next position that is not a literal; the end of the text is one.
    Integer pos = start + 1;
    while (pos < TextLength() && IsLiteral(pos)) ++pos;
    if (pos <= TextLength()) SetCursor(pos);
    return false;
  }
  const Integer end = start + length;
  if (end >= TextLength()) {
    SetCursor(TextLength());
    return false;
  }
  Integer pos = end - 1;
  while (pos > start && IsLiteral(pos)) --pos;
  if (IsLiteral(pos)) pos = end - 1;  // literals only: onto the last one
  SetCursor(pos);
  return false;
}

Boolean TvlMaskEditStandardMode::PressDelete() {
  const Integer start = FEdit->GetSelStart(), length = FEdit->GetSelLength();
  if (length == 0) return false;
  String text = Text();
  for (Integer i = start; i < start + length && i < Integer(text.size()); ++i)
    if (!IsLiteral(i) && i < FMask->Count())
      if (const Char blank = GetBlankAt(i)) text[size_t(i)] = blank;
  FEdit->SetDisplayText(text);
  FEdit->SetSelStart(start);
  FEdit->SetSelLength(length);
  return false;
}

Boolean TvlMaskEditStandardMode::PressBackSpace() {
  if (FEdit->GetSelLength() <= 1) {
    const Integer before = FEdit->GetSelStart();
    PressLeft();
    if (FEdit->GetSelStart() == before) return false;  // no slot to the left
    FEdit->SetSelLength(1);
  }
  return PressDelete();
}

Boolean TvlMaskEditStandardMode::PressSymbol(Char& ASymbol) {
  const Integer length = TextLength();
  Integer pos = FEdit->GetSelStart();
  if (length == 0 || pos >= length) return false;
  // A typed character moves the caret on, even when Shift gave its case.
  FEdit->SetShiftOn(false);
  if (IsLiteral(pos)) {
    if (FEdit->GetSelLength() > 1) {
      PressDelete();
      SetCursor(pos);  // the symbol goes to the first slot of the selection
    }
    PressRight();
    if (FEdit->GetSelStart() != pos) PressSymbol(ASymbol);
    return false;
  }
  if (pos >= FMask->Count()) return false;
  Char symbol = ASymbol;
  if (!FMask->Items(pos)->Check(symbol)) return false;
  if (!FEdit->CanTypeChar(pos, symbol)) return false;
  if (symbol == 0) {
    BeepOnError();
    return false;
  }
  ASymbol = symbol;
  if (FEdit->GetSelLength() > 1) PressDelete();
  String text = Text();
  text[size_t(pos)] = symbol;
  FEdit->SetDisplayText(text);
  SetCursor(pos);
  PressRight();
  return false;
}

void TvlMaskEditStandardMode::PrePasteFromClipboard() {
  FSelStart = FEdit->GetSelStart();
  FEdit->SetSelLength(FClipboardTextLength);
}

void TvlMaskEditStandardMode::AfterPasteFromClipboard() {
  Integer pos = std::max(0, std::min(FSelStart + FClipboardTextLength, TextLength() - 1));
  SetCursor(pos);
  if (IsLiteral(pos)) PressRight();
}

// --- The regular-expression mode ---------------------------------------------------------------

void TvlMaskEditRegExprMode::Create(IvlMaskEditModeEditor* AEdit, IvlMaskEditModeProperties* AProperties) {
  inherited::Create(AEdit, AProperties);
  FRegExpr = New<TvlRegExpr>();
  if (IvlMaskEditModeProperties* properties = GetProperties())
    FRegExpr->SetCaseInsensitive(properties->GetCaseInsensitive());
}

void TvlMaskEditRegExprMode::Destroy() {
  FreeAndNil(FRegExpr);
  inherited::Destroy();
}

void TvlMaskEditRegExprMode::Compile(const String& AMask) {
  inherited::Compile(AMask);
  if (vlIsBlankMask(AMask)) return;
  try {
    FRegExpr->Compile(AMask);
  } catch (const EvlRegExprError& e) {
    String message = vlGetResourceStringText(svlMaskEditRegExprError);
    for (Integer i = 0; i < e.Errors()->Count(); ++i) message += u"\r\n" + e.Errors()->Items(i)->FullMessage();
    throw EvlMaskEditError(message);
  }
}

String TvlMaskEditRegExprMode::GetFormattedText(const String& AText, Boolean) {
  if (!FRegExpr->IsCompiled()) return String();
  FRegExpr->Reset();
  String result;
  for (Char c : AText) {
    Char token = c;
    if (FRegExpr->Next(token)) result += token;
  }
  // The automaton now stands after AText, not at the editor's caret: the
  // next key rebuilds Head and Tail.
  FMouseAction = true;
  return result;
}

Boolean TvlMaskEditRegExprMode::IsFullValidText(const String& AText) {
  if (AText.empty()) return true;
  if (!FRegExpr->Stream()) return false;
  TvlRegExpr* expr = New<TvlRegExpr>();
  Boolean result = true;
  try {
    expr->SetCaseInsensitive(FRegExpr->CaseInsensitive());
    expr->Compile(FRegExpr->Stream());
    for (Char c : AText) {
      Char token = c;
      if (!expr->Next(token)) {
        result = false;
        break;
      }
    }
    IvlMaskEditModeProperties* properties = GetProperties();
    if (result && !(properties && properties->GetIgnoreMaskBlank())) result = expr->IsFinal();
  } catch (const EvlRegExprError&) {
    result = false;
  }
  Free(expr);
  return result;
}

Boolean TvlMaskEditRegExprMode::IsCursorBegin() { return FEdit->GetSelStart() == 0; }

Boolean TvlMaskEditRegExprMode::IsCursorEnd() { return FEdit->GetSelStart() == TextLength(); }

void TvlMaskEditRegExprMode::LMouseDown() { FMouseAction = true; }

void TvlMaskEditRegExprMode::SetText(const String& AText) {
  if (!FRegExpr->IsCompiled()) return;
  FRegExpr->Reset();
  if (FClipboardTextLength == 0 || AText.empty() || !FEdit) {
    FHead.clear();
    FTail = AText;
    // The cursor may stand anywhere: the next key rebuilds Head.
    FMouseAction = true;
    return;
  }
  const size_t n = std::min(AText.size(), size_t(std::max(0, FEdit->GetSelStart() + FClipboardTextLength)));
  FHead = AText.substr(0, n);
  for (Char c : FHead) Feed(c);
  FTail = AText.substr(n);
  FClipboardTextLength = 0;
}

void TvlMaskEditRegExprMode::SynchronizeEditValue() {
  inherited::SynchronizeEditValue();
  if (!HasEdit() || !FRegExpr->IsCompiled()) return;
  FEdit->SetSelStart(TextLength());
  FEdit->SetSelLength(0);
  FHead = Text();
  FTail.clear();
  FRegExpr->Reset();
  FRegExpr->NextEx(FHead);
  FMouseAction = false;
}

Integer TvlMaskEditRegExprMode::Cursor() {
  return FEdit->CaretAtSelStart() ? FEdit->GetSelStart() : FEdit->GetSelStart() + FEdit->GetSelLength();
}

void TvlMaskEditRegExprMode::Feed(Char AChar) {
  Char token = AChar;
  FRegExpr->Next(token);
}

void TvlMaskEditRegExprMode::Align() {
  const String text = Text();
  const Integer cursor = Cursor();
  // Head always ends at the caret; anything else means the text or the
  // caret changed behind the mode's back.
  const Boolean stale = (FHead.empty() && FTail.empty() && !text.empty()) || FMouseAction ||
                        Integer(FHead.size()) != cursor || FHead + FTail != text;
  if (!stale) return;
  FMouseAction = false;
  FRegExpr->Reset();
  FHead = text.substr(0, size_t(std::min<Integer>(cursor, Integer(text.size()))));
  FTail = text.substr(FHead.size());
  for (Char c : FHead) Feed(c);
}

Boolean TvlMaskEditRegExprMode::TailFits() {
  Integer fed = 0;
  Boolean fits = true;
  for (Char c : FTail) {
    Char token = c;
    if (!FRegExpr->Next(token)) {
      fits = false;
      break;
    }
    ++fed;
  }
  while (fed-- > 0) FRegExpr->Prev();
  return fits;
}

void TvlMaskEditRegExprMode::CutTail(Integer APos) {
  FEdit->SetDisplayText(Text().substr(0, size_t(APos)));
  FEdit->SetSelStart(APos);
  FEdit->SetSelLength(0);
  FTail.clear();
}

void TvlMaskEditRegExprMode::CutSelection() {
  const Integer start = FEdit->GetSelStart(), length = FEdit->GetSelLength();
  FSelect.clear();
  if (length <= 0) return;
  if (start == Integer(FHead.size())) {
    FSelect = FTail.substr(0, size_t(length));
    FTail.erase(0, size_t(length));
    FBeginCursor = true;
  } else if (start + length == Integer(FHead.size())) {
    FSelect = FHead.substr(size_t(start));
    FHead.resize(size_t(start));
    for (Integer i = 0; i < length; ++i) FRegExpr->Prev();
    FBeginCursor = false;
  }
}

void TvlMaskEditRegExprMode::RestoreSelection() {
  if (FBeginCursor) {
    FTail = FSelect + FTail;
  } else {
    FHead += FSelect;
    for (Char c : FSelect) Feed(c);
  }
  FSelect.clear();
}

Boolean TvlMaskEditRegExprMode::PressSymbol(Char& ASymbol) {
  if (!FRegExpr->IsCompiled()) return true;
  Align();
  const Integer selStart = FEdit->GetSelStart(), selLength = FEdit->GetSelLength();
  const Boolean hadSelection = selLength > 0;
  if (hadSelection) CutSelection();
  Boolean result = false;
  Char symbol = ASymbol;
  if (FRegExpr->Next(symbol)) {
    ASymbol = symbol;
    FHead += symbol;
    if (TailFits()) {
      result = true;
    } else if (hadSelection) {
      // Keep what stands before the caret (a selection taken from before
      // it included), then let the edit replace the selection.
      const Integer keep = FBeginCursor ? selStart : selStart + selLength;
      CutTail(keep);
      if (!FBeginCursor) {
        FEdit->SetSelStart(selStart);
        FEdit->SetSelLength(selLength);
      }
      FEdit->SendKey(win::VK_DELETE);
      FEdit->SendChar(symbol);
    } else {
      CutTail(Integer(FHead.size()) - 1);
      result = true;
    }
  } else if (hadSelection) {
    RestoreSelection();
  }
  if (!result) BeepOnError();
  FSelect.clear();
  return result;
}

// Backspace or Delete (AKey) over a selection: the edit removes it when the
// rest still fits; else the rest goes too.
Boolean TvlMaskEditRegExprMode::RemoveSelection(Word AKey) {
  CutSelection();
  if (TailFits()) return true;
  FEdit->SendKey(AKey);
  CutTail(Integer(FHead.size()));
  BeepOnError();
  return false;
}

Boolean TvlMaskEditRegExprMode::PressBackSpace() {
  if (!FRegExpr->IsCompiled()) return true;
  Align();
  if (FEdit->GetSelLength() > 0) return RemoveSelection(win::VK_BACK);
  if (FHead.empty()) return true;
  FRegExpr->Prev();
  FHead.pop_back();
  // The edit's own Backspace removes the character before the caret.
  if (!TailFits()) CutTail(Integer(FHead.size()) + 1);
  return true;
}

Boolean TvlMaskEditRegExprMode::PressDelete() {
  if (!FRegExpr->IsCompiled()) return true;
  Align();
  if (FEdit->GetSelLength() > 0) return RemoveSelection(win::VK_DELETE);
  if (FTail.empty()) return true;
  FTail.erase(0, 1);
  if (!TailFits()) {
    // Keep the character the edit's own Delete removes.
    CutTail(Integer(FHead.size()) + 1);
    FEdit->SetSelStart(Integer(FHead.size()));
  }
  return true;
}

Boolean TvlMaskEditRegExprMode::PressHome() {
  if (!FRegExpr->IsCompiled()) return true;
  Align();
  FTail = FHead + FTail;
  FHead.clear();
  FRegExpr->Reset();
  return true;
}

Boolean TvlMaskEditRegExprMode::PressEnd() {
  if (!FRegExpr->IsCompiled()) return true;
  Align();
  for (Char c : FTail) Feed(c);
  FHead += FTail;
  FTail.clear();
  return true;
}

void TvlMaskEditRegExprMode::GotoEnd() {
  if (!FRegExpr->IsCompiled() || !HasEdit()) return;
  PressEnd();
  FEdit->SetSelStart(TextLength());
  FEdit->SetSelLength(0);
}

Boolean TvlMaskEditRegExprMode::PressLeft() {
  if (!FRegExpr->IsCompiled()) return true;
  Align();
  if (FHead.empty()) return true;
  const Integer start = FEdit->GetSelStart(), length = FEdit->GetSelLength();
  const Boolean shift = FEdit->GetShiftOn();
  Integer move = 1;
  if (length > 0 && !shift && start + length == Integer(FHead.size()))
    move = length;
  else if (length > 0 && !shift && start == Integer(FHead.size()))
    move = 0;
  for (Integer i = 0; i < move && !FHead.empty(); ++i) {
    FRegExpr->Prev();
    FTail.insert(FTail.begin(), FHead.back());
    FHead.pop_back();
  }
  return true;
}

Boolean TvlMaskEditRegExprMode::PressRight() {
  if (!FRegExpr->IsCompiled()) return true;
  Align();
  if (FTail.empty()) return true;
  const Integer start = FEdit->GetSelStart(), length = FEdit->GetSelLength();
  const Boolean shift = FEdit->GetShiftOn();
  Integer move = 1;
  if (length > 0 && !shift && start == Integer(FHead.size()))
    move = length;
  else if (length > 0 && !shift && start + length == Integer(FHead.size()))
    move = 0;
  for (Integer i = 0; i < move && !FTail.empty(); ++i) {
    Feed(FTail.front());
    FHead += FTail.front();
    FTail.erase(0, 1);
  }
  return true;
}

// --- The extended mode -------------------------------------------------------------------------

void TvlMaskEditRegExprExMode::Create(IvlMaskEditModeEditor* AEdit, IvlMaskEditModeProperties* AProperties) {
  inherited::Create(AEdit, AProperties);
  FRegExpr->SetOnSymbolUpdate(TvlSymbolUpdateEvent(this, &TvlMaskEditRegExprExMode::SymbolUpdate));
  FRegExpr->SetOnSymbolDelete(TvlSymbolDeleteEvent(this, &TvlMaskEditRegExprExMode::SymbolDelete));
}

void TvlMaskEditRegExprExMode::SymbolUpdate(Char ASymbol) { FUpdate += ASymbol; }

void TvlMaskEditRegExprExMode::SymbolDelete() { ++FDeleteNumber; }

void TvlMaskEditRegExprExMode::Compile(const String& AMask) {
  FRegExpr->SetUpdateOn(false);
  inherited::Compile(AMask);
  if (!FRegExpr->IsCompiled()) return;
  FUpdate.clear();
  FRegExpr->SetUpdateOn(true);
  if (!FEdit) FNeedUpdateEditValue = true;
}

void TvlMaskEditRegExprExMode::UpdateEditValue() {
  if (!FNeedUpdateEditValue) return;
  if (FEdit) FEdit->SetEditValueText(FUpdate);
  FNeedUpdateEditValue = false;
}

String TvlMaskEditRegExprExMode::FixedStart() {
  if (!FRegExpr->Stream()) return String();
  TvlRegExpr* expr = New<TvlRegExpr>();
  String result;
  struct Collector {
    String* Text;
    void Update(Char C) { *Text += C; }
  } collector{&result};
  try {
    expr->SetCaseInsensitive(FRegExpr->CaseInsensitive());
    expr->SetOnSymbolUpdate(TvlSymbolUpdateEvent(&collector, &Collector::Update));
    expr->SetUpdateOn(true);
    expr->Compile(FRegExpr->Stream());
  } catch (const EvlRegExprError&) {
    result.clear();
  }
  Free(expr);
  return result;
}

String TvlMaskEditRegExprExMode::GetEmptyString() { return FixedStart(); }

String TvlMaskEditRegExprExMode::GetFormattedText(const String& AText, Boolean) {
  if (!FRegExpr->IsCompiled()) return String();
  FRegExpr->SetUpdateOn(false);
  String result = inherited::GetFormattedText(AText, true);
  FUpdate.clear();
  FRegExpr->SetUpdateOn(true);  // completes what is now fixed
  result += FUpdate;
  FMouseAction = true;
  return result;
}

Boolean TvlMaskEditRegExprExMode::IsFullValidText(const String& AText) {
  if (AText == FixedStart()) return true;
  return inherited::IsFullValidText(AText);
}

void TvlMaskEditRegExprExMode::SetText(const String& AText) {
  if (!FRegExpr->IsCompiled()) return;
  FRegExpr->SetUpdateOn(false);
  FRegExpr->Reset();
  FRegExpr->NextEx(AText);
  FUpdate.clear();
  FRegExpr->SetUpdateOn(true);
  FHead = AText + FUpdate;
  FTail.clear();
  FClipboardTextLength = 0;
  if (HasEdit()) {
    FMouseAction = true;
    Align();
  }
}

// A step right feeds the first character of Tail and moves it, with the
// characters completed after it, to Head.
void TvlMaskEditRegExprExMode::StepRight() {
  FUpdate.clear();
  Feed(FTail.front());
  const size_t n = std::min(FTail.size(), 1 + FUpdate.size());
  FHead += FTail.substr(0, n);
  FTail.erase(0, n);
}

// A step left takes back the last typed character and the characters
// completed after it.
void TvlMaskEditRegExprExMode::StepLeft() {
  FDeleteNumber = 0;
  FRegExpr->Prev();
  const size_t n = std::min(FHead.size(), size_t(1 + FDeleteNumber));
  FTail = FHead.substr(FHead.size() - n) + FTail;
  FHead.resize(FHead.size() - n);
  if (FRegExpr->IsStart()) {
    FTail = FHead + FTail;
    FHead.clear();
  }
}

void TvlMaskEditRegExprExMode::Align() {
  FUpdate.clear();
  FDeleteNumber = 0;
  const String text = Text();
  const Integer cursor = Cursor();
  const Boolean stale = (FHead.empty() && FTail.empty() && !text.empty()) || FMouseAction ||
                        Integer(FHead.size()) != cursor || FHead + FTail != text;
  if (!stale) return;
  FMouseAction = false;
  // From the start: the fixed start, then steps right up to the caret; the
  // caret never stays inside a completed run.
  FRegExpr->SetUpdateOn(false);
  FRegExpr->Reset();
  FRegExpr->SetUpdateOn(true);
  FHead.clear();
  FTail = text;
  const String fixed = FUpdate;
  FUpdate.clear();
  if (!fixed.empty() && FTail.compare(0, fixed.size(), fixed) == 0) {
    FHead = fixed;
    FTail.erase(0, fixed.size());
  } else if (!fixed.empty()) {
    FRegExpr->SetUpdateOn(false);
    FRegExpr->Reset();
    FRegExpr->SetUpdateOn(true);
  }
  while (!FTail.empty() && Integer(FHead.size()) < cursor) StepRight();
  if (Integer(FHead.size()) != cursor || FEdit->GetSelLength() > 0) {
    const Integer length = FEdit->GetSelLength();
    const Integer end = FEdit->GetSelStart() + length;
    FEdit->SetSelStart(Integer(FHead.size()));
    FEdit->SetSelLength(length > 0 ? std::max(0, end - Integer(FHead.size())) : 0);
  }
  FUpdate.clear();
  FDeleteNumber = 0;
}

void TvlMaskEditRegExprExMode::RefitTail() {
  FRegExpr->SetUpdateOn(false);
  const Boolean fits = TailFits();
  FRegExpr->SetUpdateOn(true);
  FUpdate.clear();
  if (!fits) CutTail(Integer(FHead.size()));
}

// Narrows a selection that reaches into the fixed start to begin after it,
// so that removing it keeps the fixed start.
void TvlMaskEditRegExprExMode::SelectPastFixedStart() {
  const String fixed = FixedStart();
  const Integer n = Integer(fixed.size()), start = FEdit->GetSelStart();
  const Integer end = start + FEdit->GetSelLength();
  if (n == 0 || start >= n || Text().compare(0, fixed.size(), fixed) != 0) return;
  FEdit->SetSelStart(n);
  FEdit->SetSelLength(std::max(0, end - n));
}

Boolean TvlMaskEditRegExprExMode::PressSymbol(Char& ASymbol) {
  if (!FRegExpr->IsCompiled()) return true;
  // A selection is removed first; a refused symbol puts it back.
  const String before = Text();
  const Integer selStart = FEdit->GetSelStart(), selLength = FEdit->GetSelLength();
  if (selLength > 0) {
    SelectPastFixedStart();
    if (FEdit->GetSelLength() > 0) FEdit->SendKey(win::VK_DELETE);
    FMouseAction = true;
  }
  Align();
  FUpdate.clear();
  Char symbol = ASymbol;
  if (!FRegExpr->Next(symbol)) {
    if (selLength > 0) {
      FEdit->SetDisplayText(before);
      FEdit->SetSelStart(selStart);
      FEdit->SetSelLength(selLength);
      FMouseAction = true;
    }
    BeepOnError();
    return false;
  }
  ASymbol = symbol;
  const String typed = symbol + FUpdate;
  FHead += typed;
  FRegExpr->SetUpdateOn(false);
  const Boolean fits = TailFits();
  if (!fits) CutTail(Integer(FHead.size() - typed.size()));
  for (Char c : typed) FEdit->SendChar(c);
  if (fits && !FTail.empty()) {
    // The tail is fed again; what it now completes goes to the end.
    const String tail = FTail;
    for (Char c : tail) Feed(c);
    FUpdate.clear();
    FRegExpr->SetUpdateOn(true);
    if (!FUpdate.empty()) {
      const Integer caret = Integer(FHead.size());
      FEdit->SetDisplayText(Text() + FUpdate);
      FEdit->SetSelStart(caret);
      FEdit->SetSelLength(0);
    }
    FMouseAction = true;  // the automaton stands at the end: realign next time
  } else {
    FRegExpr->SetUpdateOn(true);
  }
  FUpdate.clear();
  return false;
}

// Backspace or Delete (AKey) over a selection: the edit removes it, then the
// rest is re-fitted or cut.
Boolean TvlMaskEditRegExprExMode::RemoveSelectionEx(Word AKey) {
  SelectPastFixedStart();
  if (FEdit->GetSelLength() == 0) {  // only the fixed start was selected
    FMouseAction = true;
    BeepOnError();
    return false;
  }
  FEdit->SendKey(AKey);
  FMouseAction = true;
  Align();
  RefitTail();
  return false;
}

Boolean TvlMaskEditRegExprExMode::PressBackSpace() {
  if (!FRegExpr->IsCompiled()) return true;
  if (FEdit->GetSelLength() > 0) return RemoveSelectionEx(win::VK_BACK);
  Align();
  if (FHead.empty() || FHead == FixedStart()) {
    BeepOnError();
    return false;
  }
  FDeleteNumber = 0;
  FRegExpr->Prev();
  const Integer n = std::min(Integer(FHead.size()), FDeleteNumber + 1);
  for (Integer i = 0; i < n; ++i) FEdit->SendKey(win::VK_BACK);
  FHead.resize(FHead.size() - size_t(n));
  RefitTail();
  return false;
}

Boolean TvlMaskEditRegExprExMode::PressDelete() {
  if (!FRegExpr->IsCompiled()) return true;
  if (FEdit->GetSelLength() > 0) return RemoveSelectionEx(win::VK_DELETE);
  // Delete in front of or inside the fixed start deletes nothing.
  const String fixed = FixedStart();
  if (!fixed.empty() && Cursor() < Integer(fixed.size()) && Text().compare(0, fixed.size(), fixed) == 0) {
    FMouseAction = true;
    BeepOnError();
    return false;
  }
  Align();
  if (FTail.empty()) return false;
  // The first character of Tail and the characters completed after it.
  FUpdate.clear();
  Char token = FTail.front();
  size_t n = 1;
  if (FRegExpr->Next(token)) {
    n = std::min(FTail.size(), 1 + FUpdate.size());
    FDeleteNumber = 0;
    FRegExpr->Prev();
  }
  FTail.erase(0, n);
  for (size_t i = 0; i < n; ++i) FEdit->SendKey(win::VK_DELETE);
  RefitTail();
  return false;
}

Boolean TvlMaskEditRegExprExMode::PressLeft() {
  if (!FRegExpr->IsCompiled()) return true;
  Align();
  if (FEdit->GetShiftOn()) {
    FMouseAction = true;
    return true;
  }
  if (FEdit->GetSelLength() > 0) {
    FEdit->SetSelLength(0);
    FMouseAction = true;
    Align();
    return false;
  }
  if (FHead.empty() || FHead == FixedStart()) return false;
  StepLeft();
  FEdit->SetSelStart(Integer(FHead.size()));
  return false;
}

Boolean TvlMaskEditRegExprExMode::PressRight() {
  if (!FRegExpr->IsCompiled()) return true;
  Align();
  if (FEdit->GetShiftOn()) {
    FMouseAction = true;
    return true;
  }
  if (FEdit->GetSelLength() > 0) {
    FEdit->SetSelStart(FEdit->GetSelStart() + FEdit->GetSelLength());
    FEdit->SetSelLength(0);
    FMouseAction = true;
    Align();
    return false;
  }
  if (FTail.empty()) return false;
  StepRight();
  FEdit->SetSelStart(Integer(FHead.size()));
  return false;
}

Boolean TvlMaskEditRegExprExMode::PressHome() {
  if (!FRegExpr->IsCompiled()) return true;
  if (FEdit->GetShiftOn()) return true;
  FEdit->SetSelStart(0);
  FEdit->SetSelLength(0);
  FMouseAction = true;
  Align();
  return false;
}

Boolean TvlMaskEditRegExprExMode::PressEnd() {
  if (!FRegExpr->IsCompiled()) return true;
  if (FEdit->GetShiftOn()) return true;
  FEdit->SetSelStart(TextLength());
  FEdit->SetSelLength(0);
  FMouseAction = true;
  Align();
  return false;
}

void TvlMaskEditRegExprExMode::GotoEnd() {
  if (HasEdit() && FRegExpr->IsCompiled()) PressEnd();
}

void TvlMaskEditRegExprExMode::PrePasteFromClipboard() {
  if (FRegExpr->IsCompiled()) Align();
}
