// The automaton of the mask language: states, state lists, building the
// connections from the parse tree, incremental matching with history and
// completion, and the compilation driver of TvlRegExpr.
#include <algorithm>

#include "lib/editors/vlEditConsts.h"
#include "lib/editors/vlRegExpr.h"
#include "platform/rtl/Finally.h"
#include "lib/foundation/nbCore.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Locale.h"

CL_IMPLEMENT_CLASS(TvlRegExprState)
CL_IMPLEMENT_CLASS(TvlRegExprSimpleState)
CL_IMPLEMENT_CLASS(TvlRegExprBlockState)
CL_IMPLEMENT_CLASS(TvlRegExprStates)
CL_IMPLEMENT_CLASS(TvlRegExprAutomat)
CL_IMPLEMENT_CLASS(TvlRegExpr)

// --- States ------------------------------------------------------------------------------------

void TvlRegExprState::Check(Char&, Boolean, TvlRegExprStates*) {}

TvlRegExprState* TvlRegExprState::Clone() { return New<TvlRegExprState>(); }

void TvlRegExprState::GetSelf(TvlRegExprStates* AResult) { AResult->Add(this); }

void TvlRegExprState::Next(Char& AToken, Boolean ACaseInsensitive, TvlRegExprStates* AResult) {
  for (TvlRegExprState* state : FStates) state->Check(AToken, ACaseInsensitive, AResult);
}

void TvlRegExprState::GetAllNextStates(TvlRegExprStates* AResult) {
  for (TvlRegExprState* state : FStates) state->GetSelf(AResult);
}

void TvlRegExprSimpleState::Create(TvlRegExprItem* AValue) { FValue = AValue; }

void TvlRegExprSimpleState::Destroy() {
  FreeAndNil(FValue);
  inherited::Destroy();
}

void TvlRegExprSimpleState::Check(Char& AToken, Boolean ACaseInsensitive, TvlRegExprStates* AResult) {
  if (FValue && FValue->Check(AToken, ACaseInsensitive)) AResult->Add(this);
}

TvlRegExprState* TvlRegExprSimpleState::Clone() {
  auto* result = New<TvlRegExprSimpleState>(FValue ? FValue->Clone() : nullptr);
  result->SetIsFinal(FIsFinal);
  return result;
}

void TvlRegExprSimpleState::GetSelf(TvlRegExprStates* AResult) { AResult->Add(this); }

// A block state is passed once per walk: a second visit could only add
// states that the first already added (or, under case folding, give the
// token back in another case; see docs/editors.md).
void TvlRegExprBlockState::Check(Char& AToken, Boolean ACaseInsensitive, TvlRegExprStates* AResult) {
  if (FMark == AResult->Mark()) return;
  FMark = AResult->Mark();
  Next(AToken, ACaseInsensitive, AResult);
}

TvlRegExprState* TvlRegExprBlockState::Clone() { return New<TvlRegExprBlockState>(); }

void TvlRegExprBlockState::GetSelf(TvlRegExprStates* AResult) {
  if (FMark == AResult->Mark()) return;
  FMark = AResult->Mark();
  GetAllNextStates(AResult);
}

UInt64 TvlRegExprStates::NewMark() {
  // The main thread only; 64 bits never wrap.
  static UInt64 counter = 0;
  return ++counter;
}

void TvlRegExprStates::Create() { FMark = NewMark(); }

void TvlRegExprStates::Add(TvlRegExprState* AState) {
  // Simple states carry the mark of the list they are in; a state is added
  // once. Block states are marked by the walk instead.
  if (AState->InheritsFrom(TvlRegExprBlockState::StaticClass())) {
    FStates.push_back(AState);
    return;
  }
  if (AState->FMark == FMark) return;
  AState->FMark = FMark;
  FStates.push_back(AState);
}

void TvlRegExprStates::Clear() {
  FStates.clear();
  FMark = NewMark();
}

void TvlRegExprStates::Next(Char& AToken, Boolean ACaseInsensitive, TvlRegExprStates* AResult) {
  for (TvlRegExprState* state : FStates) state->Next(AToken, ACaseInsensitive, AResult);
}

void TvlRegExprStates::GetAllNextStates(TvlRegExprStates* AResult) {
  for (TvlRegExprState* state : FStates) state->GetAllNextStates(AResult);
}

Boolean TvlRegExprStates::IsFinal() const {
  for (TvlRegExprState* state : FStates) {
    auto* simple = dynamic_cast<TvlRegExprSimpleState*>(state);
    if (simple && simple->IsFinal()) return true;
  }
  return false;
}

Boolean TvlRegExprStates::Equ(Char& ASymbol) const {
  if (FStates.empty()) return false;
  Char symbol = 0;
  for (size_t i = 0; i < FStates.size(); ++i) {
    auto* simple = dynamic_cast<TvlRegExprSimpleState*>(FStates[i]);
    if (!simple || !simple->Value()) return false;
    TvlRegExprItem* item = simple->Value();
    Char c = 0;
    if (auto* s = dynamic_cast<TvlRegExprSymbol*>(item))
      c = s->Value();
    else if (dynamic_cast<TvlRegExprDateSeparator*>(item))
      c = FormatSettings().DateSeparator;
    else if (dynamic_cast<TvlRegExprTimeSeparator*>(item))
      c = FormatSettings().TimeSeparator;
    else
      return false;
    if (i > 0 && c != symbol) return false;
    symbol = c;
  }
  ASymbol = symbol;
  return true;
}

// --- The automaton -----------------------------------------------------------------------------

namespace {

// The entries of AAlt's items from AFrom up to and including the first that
// cannot be left out.
void AddEntries(TvlRegExprState* ATo, const TvlRegExprParserAlt* AAlt, Integer AFrom) {
  for (Integer j = AFrom; j < AAlt->Count(); ++j) {
    ATo->Add(AAlt->Items(j)->Entry());
    if (!AAlt->Items(j)->CanMissing()) break;
  }
}

void Connect(const TvlRegExprParserAlt* AAlt);

void ConnectBlock(TvlRegExprParserBlockItem* ABlock) {
  TvlRegExprParserAlts* alts = ABlock->Alts();
  Boolean passes = false;
  for (Integer a = 0; a < alts->Count(); ++a) {
    AddEntries(ABlock->StartState(), alts->Items(a), 0);
    if (alts->Items(a)->CanMissing()) passes = true;
  }
  if (passes) ABlock->StartState()->Add(ABlock->FinishState());
  for (Integer a = 0; a < alts->Count(); ++a) {
    const TvlRegExprParserAlt* alt = alts->Items(a);
    Connect(alt);
    for (Integer k = alt->Count() - 1; k >= 0; --k) {
      alt->Items(k)->Exit()->Add(ABlock->FinishState());
      if (!alt->Items(k)->CanMissing()) break;
    }
  }
}

void Connect(const TvlRegExprParserAlt* AAlt) {
  for (Integer i = 0; i < AAlt->Count(); ++i) {
    TvlRegExprParserItem* item = AAlt->Items(i);
    AddEntries(item->Exit(), AAlt, i + 1);
    if (item->CanRepeat()) item->Exit()->Add(item->Entry());
    if (auto* block = dynamic_cast<TvlRegExprParserBlockItem*>(item)) ConnectBlock(block);
  }
}

}  // namespace

void TvlRegExprAutomat::Create(TvlRegExprParserAlts* AExpr, TvlRegExpr* AOwner) {
  FExpr = AExpr;
  FOwner = AOwner;
  FStartState = New<TvlRegExprSimpleState>(nullptr);
  for (Integer a = 0; a < FExpr->Count(); ++a) {
    const TvlRegExprParserAlt* alt = FExpr->Items(a);
    Connect(alt);
    alt->SetFinal();
    AddEntries(FStartState, alt, 0);
    for (Integer i = 0; i < alt->Count(); ++i) FStateCount += alt->Items(i)->StateCount();
    if (alt->CanMissing()) FStartState->SetIsFinal(true);
  }
  FCurrentStates = New<TvlRegExprStates>();
  FCurrentStates->Add(FStartState);
}

void TvlRegExprAutomat::Destroy() {
  Reset();
  FreeAndNil(FCurrentStates);
  FreeAndNil(FExpr);
  FreeAndNil(FStartState);
  inherited::Destroy();
}

void TvlRegExprAutomat::Push(TvlRegExprStates* ANewCurrent) {
  FHistory.push_back(FCurrentStates);
  FCurrentStates = ANewCurrent;
}

Boolean TvlRegExprAutomat::Next(Char& AToken, Boolean ACaseInsensitive) {
  auto* next = New<TvlRegExprStates>();
  FCurrentStates->Next(AToken, ACaseInsensitive, next);
  if (next->Count() == 0) {
    Free(next);
    return false;
  }
  Push(next);
  return true;
}

Boolean TvlRegExprAutomat::Prev() {
  if (FHistory.empty()) return false;
  Free(FCurrentStates);
  FCurrentStates = FHistory.back();
  FHistory.pop_back();
  return true;
}

void TvlRegExprAutomat::Reset() {
  for (TvlRegExprStates* states : FHistory) Free(states);
  FHistory.clear();
  if (FCurrentStates) {
    FCurrentStates->Clear();
    FCurrentStates->Add(FStartState);
  }
}

Boolean TvlRegExprAutomat::IsFinal() const { return FCurrentStates->IsFinal(); }

Boolean TvlRegExprAutomat::IsStart() const {
  return FCurrentStates->Count() > 0 && FCurrentStates->State(0) == FStartState;
}

void TvlRegExprAutomat::Update() {
  // A completed run never passes a state twice on its way (a repeat always
  // offers the way out too), so the automaton's size bounds it; the bound
  // only guards the loop.
  for (Integer done = 0; done <= FStateCount && !FCurrentStates->IsFinal(); ++done) {
    auto* next = New<TvlRegExprStates>();
    FCurrentStates->GetAllNextStates(next);
    Char symbol = 0;
    if (!next->Equ(symbol)) {
      Free(next);
      return;
    }
    FOwner->DoSymbolUpdate(symbol);
    Push(next);
  }
}

void TvlRegExprAutomat::ReUpdate() {
  Char symbol = 0;
  while (FCurrentStates->Equ(symbol)) {
    if (FHistory.empty()) return;
    TvlRegExprStates* previous = FHistory.back();
    auto* next = New<TvlRegExprStates>();
    previous->GetAllNextStates(next);
    Char nextSymbol = 0;
    const Boolean fixed = next->Equ(nextSymbol);
    Free(next);
    if (!fixed || previous->IsFinal()) return;
    FOwner->DoSymbolDelete();
    FHistory.pop_back();
    Free(FCurrentStates);
    FCurrentStates = previous;
  }
}

void TvlRegExprAutomat::Print(String& AText) const { FExpr->Print(AText); }

// --- TvlRegExpr --------------------------------------------------------------------------------

void TvlRegExpr::Create() {
  FLexems = New<TvlLexems>();
  FErrors = New<TvlRegExprErrors>();
  FLine = 1;
  FChar = 0;
}

void TvlRegExpr::Destroy() {
  Clear();
  FreeAndNil(FLexems);
  FreeAndNil(FErrors);
  inherited::Destroy();
}

void TvlRegExpr::Clear() {
  FreeAndNil(FStream);
  FSource.clear();
  if (FErrors) FErrors->Clear();
  if (FLexems) FLexems->Clear();
  FreeAndNil(FAutomat);
  FLine = 1;
  FChar = 0;
  FIndex = 0;
  FCompiled = false;
}

void TvlRegExpr::Error(Integer ALine, Integer AChar, const String& AMessage) {
  FErrors->Add(New<TvlRegExprError>(ALine, AChar, AMessage));
}

void TvlRegExpr::RaiseErrors() { throw EvlRegExprError(FErrors); }

void TvlRegExpr::Compile(TStream* AStream) {
  if (FNotFirst) Clear();
  FNotFirst = true;
  if (!AStream) {
    Error(0, 0, vlGetResourceStringText(svlRegExprNotAssignedSourceStream));
    RaiseErrors();
  }
  FStream = New<TMemoryStream>();
  FStream->CopyFrom(AStream, 0);
  // The text: UTF-16 code units, little endian; an odd last byte is dropped.
  const Int64 size = FStream->Size();
  const auto* bytes = static_cast<const unsigned char*>(FStream->Memory());
  FSource.resize(size_t(size / 2));
  for (size_t i = 0; i < FSource.size(); ++i) FSource[i] = Char(bytes[2 * i] | (bytes[2 * i + 1] << 8));

  if (std::all_of(FSource.begin(), FSource.end(), [](Char c) {
        return c == 0 || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r' || c == u' ';
      })) {
    Error(0, 0, vlGetResourceStringText(svlRegExprEmptySourceStream));
    RaiseErrors();
  }
  Lex();
  if (FErrors->Count() > 0) RaiseErrors();
  TvlRegExprParserAlts* expr = Parse();
  if (!expr) RaiseErrors();
  FAutomat = New<TvlRegExprAutomat>(expr, this);
  FCompiled = true;
  if (FUpdateOn) FAutomat->Update();
}

void TvlRegExpr::Compile(const String& AText) {
  TMemoryStream* stream = New<TMemoryStream>();
  Finally freeStream([&] { Free(stream); });
  stream->WriteBuffer(AText.data(), NativeInt(AText.size() * sizeof(Char)));
  stream->SetPosition(0);
  Compile(stream);
}

void TvlRegExpr::CheckCompiled() const {
  if (!FCompiled) throw EvlEditError(&svlRegExprNotCompiled);
}

Boolean TvlRegExpr::Next(Char& AToken) {
  CheckCompiled();
  const Boolean result = FAutomat->Next(AToken, FCaseInsensitive);
  if (result && FUpdateOn && !FAutomat->IsFinal()) FAutomat->Update();
  return result;
}

String TvlRegExpr::NextEx(const String& AString) {
  CheckCompiled();
  String result;
  for (Char c : AString) {
    Char token = c;
    if (FAutomat->Next(token, FCaseInsensitive)) result += c;
  }
  return result;
}

Boolean TvlRegExpr::Prev() {
  CheckCompiled();
  if (FUpdateOn) FAutomat->ReUpdate();
  return FAutomat->Prev();
}

void TvlRegExpr::Reset() {
  CheckCompiled();
  FAutomat->Reset();
}

Boolean TvlRegExpr::IsFinal() const {
  CheckCompiled();
  return FAutomat->IsFinal();
}

Boolean TvlRegExpr::IsStart() const {
  CheckCompiled();
  return FAutomat->IsStart();
}

void TvlRegExpr::Print(String& AText) const {
  if (FAutomat) FAutomat->Print(AText);
}

void TvlRegExpr::SetUpdateOn(Boolean Value) {
  FUpdateOn = Value;
  if (Value && FCompiled) FAutomat->Update();
}

TStream* TvlRegExpr::Stream() const { return FCompiled ? FStream : nullptr; }

void TvlRegExpr::DoSymbolUpdate(Char ASymbol) {
  if (FOnSymbolUpdate) FOnSymbolUpdate(ASymbol);
}

void TvlRegExpr::DoSymbolDelete() {
  if (FOnSymbolDelete) FOnSymbolDelete();
}
