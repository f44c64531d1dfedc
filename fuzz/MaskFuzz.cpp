// Edit masks from outside (a form file, a database's field metadata): the
// mask-language compiler and its automaton, and the standard mask, must
// take any text without a crash and in bounded time and memory.
//
// Input: one byte of switches (bit 0 case-insensitive, bit 1 completion),
// then UTF-16LE code units: the mask, then (after a U+FFFF) the typed text;
// without U+FFFF the mask is typed into itself.
#include <cstddef>
#include <cstdint>

#include "lib/editors/vlRegExpr.h"
#include "lib/editors/vlStandardMask.h"

namespace {

Integer gCompleted = 0;

class Counter {
 public:
  void Update(Char) { ++gCompleted; }
  void Delete() { --gCompleted; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const uint8_t flags = Data[0];
  String units;
  for (size_t i = 1; i + 1 < Size; i += 2) units += Char(Data[i] | (Data[i + 1] << 8));
  const size_t split = units.find(Char(0xFFFF));
  const String mask = units.substr(0, split);
  const String text = split == String::npos ? units : units.substr(split + 1);

  Counter counter;
  TvlRegExpr* expr = New<TvlRegExpr>();
  expr->SetCaseInsensitive(flags & 1);
  expr->SetUpdateOn(flags & 2);
  expr->SetOnSymbolUpdate(TvlSymbolUpdateEvent(&counter, &Counter::Update));
  expr->SetOnSymbolDelete(TvlSymbolDeleteEvent(&counter, &Counter::Delete));
  try {
    expr->Compile(mask);
    // Type the text, taking a character back now and then.
    Integer accepted = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      Char c = text[i];
      const Integer before = expr->Automat()->HistoryCount();
      if (expr->Next(c)) {
        ++accepted;
        if (expr->Automat()->HistoryCount() <= before) __builtin_trap();
      } else if (expr->Automat()->HistoryCount() != before) {
        __builtin_trap();  // a refused character changes nothing
      }
      if ((i & 7) == 7) expr->Prev();
      if (expr->Automat()->CurrentStates()->Count() > kMaxRegExprStates) __builtin_trap();
    }
    expr->IsFinal();
    while (expr->Prev()) {
    }
    expr->SetUpdateOn(false);
    expr->Reset();
    if (!expr->IsStart()) __builtin_trap();
    expr->NextEx(text);
    String dump;
    expr->Print(dump);
  } catch (const EvlRegExprError& e) {
    if (!e.Errors() || e.Errors()->Count() == 0) __builtin_trap();
    for (Integer i = 0; i < e.Errors()->Count(); ++i)
      if (e.Errors()->Items(i)->FullMessage().empty()) __builtin_trap();
  }
  Free(expr);

  TvlStandardMask* standard = New<TvlStandardMask>();
  standard->Compile(mask);
  String line = text;
  standard->Format(line, true, flags & 4);
  if (Integer(line.size()) != standard->Count()) __builtin_trap();
  String full = line;
  standard->IsFullValid(full);
  standard->Format2(line);
  String valid = text;
  standard->IsValid(valid);
  Free(standard);
  return 0;
}
