// The regular-expression mask language and its automaton.
//
// TvlRegExpr compiles an input-mask expression (literals and quoted text,
// character classes, the locale's separators, groups with alternatives,
// "?", "*", "+", counted repetition "{n}", "{n,}", "{n,m}" and references
// "\1".."\9" to earlier groups) into a nondeterministic automaton, then
// follows typing one character at a time: Next accepts or refuses a
// character, Prev takes the last one back, IsFinal tells whether the text is
// complete, and with UpdateOn the characters that are the only possible
// continuation (a date separator after the day) are completed by themselves
// through OnSymbolUpdate and taken back through OnSymbolDelete.
//
// Masks are outside input (form files, a database's field metadata): a
// compilation either succeeds or raises EvlRegExprError with every error and
// its position; the automaton's size is capped (kMaxRegExprStates simple
// states, kMaxRegExprDepth nested groups) and its state sets hold each state
// once, so a step costs at most the automaton's size.
//
// Ownership: the parse tree owns its items, an item its quantifier and its
// states; a state's successor list references states it does not own. State
// lists (TvlRegExprStates) own none of their states.
#pragma once

#include <vector>

#include "lib/editors/vlEditProperties.h"
#include "platform/classes/ObjectModel.h"
#include "platform/classes/Delegates.h"

class TStream;
class TMemoryStream;
class TvlRegExpr;
class TvlRegExprStates;

// The automaton of one expression holds at most this many states (one per
// character item, two per group); an expression that would need more is
// refused.
constexpr Integer kMaxRegExprStates = 4096;
// Groups nest at most this deep (written groups, the groups that counted
// repetition and repeated quantifiers make, and copies by reference).
constexpr Integer kMaxRegExprDepth = 128;

// --- Lexems ------------------------------------------------------------------------------------

// The kinds of lexem.
constexpr Integer vlLexemLiteral = 0;
constexpr Integer vlLexemOperator = 1;
constexpr Integer vlLexemNumber = 2;
constexpr Integer vlLexemAll = 3;
constexpr Integer vlLexemIdLetter = 4;
constexpr Integer vlLexemNotIdLetter = 5;
constexpr Integer vlLexemDigit = 6;
constexpr Integer vlLexemNotDigit = 7;
constexpr Integer vlLexemSpace = 8;
constexpr Integer vlLexemNotSpace = 9;
constexpr Integer vlLexemReference = 10;
constexpr Integer vlLexemDateSeparator = 11;
constexpr Integer vlLexemTimeSeparator = 12;

struct TvlLexem {
  Integer Char{};  // position of its first character within its line
  Integer Code{};
  Integer Line{};  // from 1
  String Value;
};

class TvlLexems : public TObject {
  CL_CLASS(TvlLexems, TObject)
 public:
  void Add(const TvlLexem& ALexem) { FItems.push_back(ALexem); }
  void Clear() { FItems.clear(); }
  Integer Count() const { return Integer(FItems.size()); }
  const TvlLexem& Items(Integer Index) const { return FItems[size_t(Index)]; }

 private:
  std::vector<TvlLexem> FItems;
};

// --- Character items ---------------------------------------------------------------------------

class TvlRegExprItem : public TObject {
  CL_CLASS(TvlRegExprItem, TObject)
 public:
  // Whether the item accepts AToken; a case-insensitive symbol that accepts
  // it replaces it by its own character.
  virtual Boolean Check(Char& AToken, Boolean ACaseInsensitive);
  virtual TvlRegExprItem* Clone();
};

class TvlRegExprSymbol : public TvlRegExprItem {
  CL_CLASS(TvlRegExprSymbol, TvlRegExprItem)
 public:
  void Create(Char AValue);
  Boolean Check(Char& AToken, Boolean ACaseInsensitive) override;
  TvlRegExprItem* Clone() override;
  Char Value() const { return FValue; }

 private:
  Char FValue{};
};

// The locale's date separator at the moment of the check.
class TvlRegExprDateSeparator : public TvlRegExprItem {
  CL_CLASS(TvlRegExprDateSeparator, TvlRegExprItem)
 public:
  Boolean Check(Char& AToken, Boolean ACaseInsensitive) override;
  TvlRegExprItem* Clone() override;
};

// The locale's time separator at the moment of the check.
class TvlRegExprTimeSeparator : public TvlRegExprItem {
  CL_CLASS(TvlRegExprTimeSeparator, TvlRegExprItem)
 public:
  Boolean Check(Char& AToken, Boolean ACaseInsensitive) override;
  TvlRegExprItem* Clone() override;
};

// The codes StartValue..FinishValue; case is never folded.
class TvlRegExprSubrange : public TvlRegExprItem {
  CL_CLASS(TvlRegExprSubrange, TvlRegExprItem)
 public:
  void Create(Char AStartValue, Char AFinishValue);
  Boolean Check(Char& AToken, Boolean ACaseInsensitive) override;
  TvlRegExprItem* Clone() override;
  Char StartValue() const { return FStartValue; }
  Char FinishValue() const { return FFinishValue; }

 private:
  Char FStartValue{};
  Char FFinishValue{};
};

class TvlRegExprEnumeration : public TvlRegExprItem {
  CL_CLASS(TvlRegExprEnumeration, TvlRegExprItem)
 public:
  Boolean Inverse() const { return FInverse; }
  void SetInverse(Boolean Value) { FInverse = Value; }

 protected:
  Boolean FInverse{};
};

// A class written in brackets: any of its items accepts (none, inverse).
class TvlRegExprUserEnumeration : public TvlRegExprEnumeration {
  CL_CLASS(TvlRegExprUserEnumeration, TvlRegExprEnumeration)
 public:
  void Destroy() override;
  Boolean Check(Char& AToken, Boolean ACaseInsensitive) override;
  TvlRegExprItem* Clone() override;
  // Takes ownership.
  void Add(TvlRegExprItem* AItem) { FItems.push_back(AItem); }
  Integer Count() const { return Integer(FItems.size()); }
  TvlRegExprItem* Items(Integer Index) const { return FItems[size_t(Index)]; }

 private:
  std::vector<TvlRegExprItem*> FItems;
};

class TvlRegExprDigit : public TvlRegExprEnumeration {
  CL_CLASS(TvlRegExprDigit, TvlRegExprEnumeration)
 public:
  Boolean Check(Char& AToken, Boolean ACaseInsensitive) override;
  TvlRegExprItem* Clone() override;
};

class TvlRegExprIdLetter : public TvlRegExprEnumeration {
  CL_CLASS(TvlRegExprIdLetter, TvlRegExprEnumeration)
 public:
  Boolean Check(Char& AToken, Boolean ACaseInsensitive) override;
  TvlRegExprItem* Clone() override;
};

class TvlRegExprSpace : public TvlRegExprEnumeration {
  CL_CLASS(TvlRegExprSpace, TvlRegExprEnumeration)
 public:
  Boolean Check(Char& AToken, Boolean ACaseInsensitive) override;
  TvlRegExprItem* Clone() override;
};

class TvlRegExprAll : public TvlRegExprEnumeration {
  CL_CLASS(TvlRegExprAll, TvlRegExprEnumeration)
 public:
  Boolean Check(Char& AToken, Boolean ACaseInsensitive) override;
  TvlRegExprItem* Clone() override;
};

// --- States ------------------------------------------------------------------------------------

// A state of the automaton and its successors (not owned). The matching
// operations append to a list the caller gives; a list takes each state once
// (the first time it is reached), and a step passes each block state once.
class TvlRegExprState : public TObject {
  CL_CLASS(TvlRegExprState, TObject)
 public:
  // Appends the states reached through this one that accept AToken.
  virtual void Check(Char& AToken, Boolean ACaseInsensitive, TvlRegExprStates* AResult);
  virtual TvlRegExprState* Clone();
  // Appends the character states this one stands for.
  virtual void GetSelf(TvlRegExprStates* AResult);

  void Add(TvlRegExprState* AState) { FStates.push_back(AState); }
  // The successors' Check, in successor order.
  void Next(Char& AToken, Boolean ACaseInsensitive, TvlRegExprStates* AResult);
  // The successors' GetSelf, in successor order.
  void GetAllNextStates(TvlRegExprStates* AResult);
  Integer Count() const { return Integer(FStates.size()); }
  TvlRegExprState* States(Integer Index) const { return FStates[size_t(Index)]; }

 protected:
  friend class TvlRegExprStates;
  std::vector<TvlRegExprState*> FStates;
  // The list (or the step) that reached this state last.
  UInt64 FMark{};
};

class TvlRegExprSimpleState : public TvlRegExprState {
  CL_CLASS(TvlRegExprSimpleState, TvlRegExprState)
 public:
  // Takes ownership of AValue (nil for the automaton's start state).
  void Create(TvlRegExprItem* AValue);
  void Destroy() override;
  void Check(Char& AToken, Boolean ACaseInsensitive, TvlRegExprStates* AResult) override;
  TvlRegExprState* Clone() override;
  void GetSelf(TvlRegExprStates* AResult) override;

  TvlRegExprItem* Value() const { return FValue; }
  Boolean IsFinal() const { return FIsFinal; }
  void SetIsFinal(Boolean Value) { FIsFinal = Value; }

 private:
  TvlRegExprItem* FValue{};
  Boolean FIsFinal{};
};

// The start or the finish of a group: it passes through to its successors.
class TvlRegExprBlockState : public TvlRegExprState {
  CL_CLASS(TvlRegExprBlockState, TvlRegExprState)
 public:
  void Check(Char& AToken, Boolean ACaseInsensitive, TvlRegExprStates* AResult) override;
  TvlRegExprState* Clone() override;
  void GetSelf(TvlRegExprStates* AResult) override;
};

// A list of states owning none of them; each state stands once, at the
// place it was first added.
class TvlRegExprStates : public TObject {
  CL_CLASS(TvlRegExprStates, TObject)
 public:
  void Create();
  void Add(TvlRegExprState* AState);
  void Clear();
  Integer Count() const { return Integer(FStates.size()); }
  TvlRegExprState* State(Integer Index) const { return FStates[size_t(Index)]; }

  // The states reached from these ones that accept AToken, in order.
  void Next(Char& AToken, Boolean ACaseInsensitive, TvlRegExprStates* AResult);
  void GetAllNextStates(TvlRegExprStates* AResult);
  Boolean IsFinal() const;
  // Every state is a character state standing for one and the same fixed
  // character (a symbol or a separator as the locale has it now): ASymbol.
  Boolean Equ(Char& ASymbol) const;

  // A new mark, for a walk that must pass each block state once.
  static UInt64 NewMark();
  UInt64 Mark() const { return FMark; }

 private:
  std::vector<TvlRegExprState*> FStates;
  UInt64 FMark{};
};

// --- Quantifiers -------------------------------------------------------------------------------

class TvlRegExprQuantifier : public TObject {
  CL_CLASS(TvlRegExprQuantifier, TObject)
 public:
  virtual Boolean CanMissing();
  virtual Boolean CanRepeat();
  virtual TvlRegExprQuantifier* Clone();
  virtual String Print();
};

class TvlRegExprSimpleQuantifier : public TvlRegExprQuantifier {
  CL_CLASS(TvlRegExprSimpleQuantifier, TvlRegExprQuantifier)
 public:
  Boolean CanMissing() override { return false; }
  Boolean CanRepeat() override { return false; }
  TvlRegExprQuantifier* Clone() override;
  String Print() override { return String(); }
};

class TvlRegExprQuestionQuantifier : public TvlRegExprQuantifier {
  CL_CLASS(TvlRegExprQuestionQuantifier, TvlRegExprQuantifier)
 public:
  Boolean CanMissing() override { return true; }
  Boolean CanRepeat() override { return false; }
  TvlRegExprQuantifier* Clone() override;
  String Print() override { return u"?"; }
};

class TvlRegExprStarQuantifier : public TvlRegExprQuantifier {
  CL_CLASS(TvlRegExprStarQuantifier, TvlRegExprQuantifier)
 public:
  Boolean CanMissing() override { return true; }
  Boolean CanRepeat() override { return true; }
  TvlRegExprQuantifier* Clone() override;
  String Print() override { return u"*"; }
};

class TvlRegExprPlusQuantifier : public TvlRegExprQuantifier {
  CL_CLASS(TvlRegExprPlusQuantifier, TvlRegExprQuantifier)
 public:
  Boolean CanMissing() override { return false; }
  Boolean CanRepeat() override { return true; }
  TvlRegExprQuantifier* Clone() override;
  String Print() override { return u"+"; }
};

// --- Parse tree --------------------------------------------------------------------------------

class TvlRegExprParserAlts;

class TvlRegExprParserItem : public TObject {
  CL_CLASS(TvlRegExprParserItem, TObject)
 public:
  void Create();
  void Destroy() override;
  // The item can match the empty text.
  virtual Boolean CanEmpty();
  virtual TvlRegExprParserItem* Clone();
  virtual void Print(String& AText);
  // Marks the final states of the item.
  virtual void SetFinal();

  Boolean CanMissing() const;
  Boolean CanRepeat() const;
  // No quantifier: exactly once.
  Boolean HasQuantifier() const;
  TvlRegExprQuantifier* Quantifier() const { return FQuantifier; }
  // Takes ownership and frees the old quantifier.
  void SetQuantifier(TvlRegExprQuantifier* Value);
  // Where the automaton enters and leaves the item.
  virtual TvlRegExprState* Entry() const;
  virtual TvlRegExprState* Exit() const;
  // The states of the item: one per character item, two per group, nested
  // groups included.
  Integer StateCount() const { return FStateCount; }
  Integer Depth() const { return FDepth; }

 protected:
  TvlRegExprQuantifier* FQuantifier{};
  Integer FStateCount{};
  Integer FDepth{};
};

class TvlRegExprParserSimpleItem : public TvlRegExprParserItem {
  CL_CLASS(TvlRegExprParserSimpleItem, TvlRegExprParserItem)
 public:
  // Takes ownership of AValue.
  void Create(TvlRegExprItem* AValue);
  void Destroy() override;
  Boolean CanEmpty() override;
  TvlRegExprParserItem* Clone() override;
  void Print(String& AText) override;
  void SetFinal() override;
  TvlRegExprState* Entry() const override { return FState; }
  TvlRegExprState* Exit() const override { return FState; }
  TvlRegExprSimpleState* State() const { return FState; }

 private:
  TvlRegExprSimpleState* FState{};
};

class TvlRegExprParserBlockItem : public TvlRegExprParserItem {
  CL_CLASS(TvlRegExprParserBlockItem, TvlRegExprParserItem)
 public:
  // Takes ownership of AAlts.
  void Create(TvlRegExprParserAlts* AAlts);
  void Destroy() override;
  Boolean CanEmpty() override;
  TvlRegExprParserItem* Clone() override;
  void Print(String& AText) override;
  void SetFinal() override;
  TvlRegExprState* Entry() const override { return FStartState; }
  TvlRegExprState* Exit() const override { return FFinishState; }
  TvlRegExprParserAlts* Alts() const { return FAlts; }
  TvlRegExprBlockState* StartState() const { return FStartState; }
  TvlRegExprBlockState* FinishState() const { return FFinishState; }

 private:
  TvlRegExprParserAlts* FAlts{};
  TvlRegExprBlockState* FStartState{};
  TvlRegExprBlockState* FFinishState{};
};

// One alternative: its items in order (owned).
class TvlRegExprParserAlt : public TObject {
  CL_CLASS(TvlRegExprParserAlt, TObject)
 public:
  void Destroy() override;
  void Add(TvlRegExprParserItem* AItem) { FItems.push_back(AItem); }
  Integer Count() const { return Integer(FItems.size()); }
  TvlRegExprParserItem* Items(Integer Index) const { return FItems[size_t(Index)]; }
  TvlRegExprParserItem* Last() const { return FItems.empty() ? nullptr : FItems.back(); }
  void SetLast(TvlRegExprParserItem* AItem) { FItems.back() = AItem; }
  TvlRegExprParserAlt* Clone() const;
  // Every item can match the empty text.
  Boolean CanEmpty() const;
  // Every item can be left out by its own quantifier.
  Boolean CanMissing() const;
  void Print(String& AText) const;
  void SetFinal() const;

 private:
  std::vector<TvlRegExprParserItem*> FItems;
};

// The alternatives of an expression or a group (owned).
class TvlRegExprParserAlts : public TObject {
  CL_CLASS(TvlRegExprParserAlts, TObject)
 public:
  void Destroy() override;
  void Add(TvlRegExprParserAlt* AAlt) { FItems.push_back(AAlt); }
  Integer Count() const { return Integer(FItems.size()); }
  TvlRegExprParserAlt* Items(Integer Index) const { return FItems[size_t(Index)]; }
  TvlRegExprParserAlts* Clone() const;
  void Print(String& AText) const;

 private:
  std::vector<TvlRegExprParserAlt*> FItems;
};

// --- Errors ------------------------------------------------------------------------------------

class TvlRegExprError : public TObject {
  CL_CLASS(TvlRegExprError, TObject)
 public:
  void Create(Integer ALine, Integer AChar, const String& AMessage);
  Integer Line() const { return FLine; }
  Integer Char() const { return FChar; }
  const String& Message() const { return FMessage; }
  // "Line 3, Char 7: message"; the message alone without a line.
  String FullMessage() const;
  TvlRegExprError* Clone() const;

 private:
  Integer FLine{};
  Integer FChar{};
  String FMessage;
};

class TvlRegExprErrors : public TObject {
  CL_CLASS(TvlRegExprErrors, TObject)
 public:
  void Destroy() override;
  // Takes ownership.
  void Add(TvlRegExprError* AError) { FItems.push_back(AError); }
  void Clear();
  TvlRegExprErrors* Clone() const;
  Integer Count() const { return Integer(FItems.size()); }
  TvlRegExprError* Items(Integer Index) const { return FItems[size_t(Index)]; }

 private:
  std::vector<TvlRegExprError*> FItems;
};

// A failed compilation: Errors lists what was found; the message is empty.
class EvlRegExprError : public EvlEditError {
 public:
  EvlRegExprError() = default;
  // Copies AErrors.
  explicit EvlRegExprError(const TvlRegExprErrors* AErrors);
  String ClassName() const override { return u"EvlRegExprError"; }
  std::unique_ptr<Exception> Clone() const override { return std::make_unique<EvlRegExprError>(*this); }
  [[noreturn]] void Raise() const override { throw *this; }
  const TvlRegExprErrors* Errors() const { return FErrors.get(); }

 private:
  std::shared_ptr<TvlRegExprErrors> FErrors;
};

// --- The automaton -----------------------------------------------------------------------------

class TvlRegExprAutomat : public TObject {
  CL_CLASS(TvlRegExprAutomat, TObject)
 public:
  // Takes ownership of AExpr and builds the automaton's connections.
  void Create(TvlRegExprParserAlts* AExpr, TvlRegExpr* AOwner);
  void Destroy() override;

  Boolean Next(Char& AToken, Boolean ACaseInsensitive);
  Boolean Prev();
  void Reset();
  Boolean IsFinal() const;
  Boolean IsStart() const;
  // Completes the characters that are the only possible continuation.
  void Update();
  // Takes back the completed characters before the last typed one.
  void ReUpdate();
  void Print(String& AText) const;

  TvlRegExprStates* CurrentStates() const { return FCurrentStates; }
  Integer HistoryCount() const { return Integer(FHistory.size()); }

 private:
  void Push(TvlRegExprStates* ANewCurrent);

  TvlRegExprStates* FCurrentStates{};
  TvlRegExprParserAlts* FExpr{};
  std::vector<TvlRegExprStates*> FHistory;
  TvlRegExpr* FOwner{};
  TvlRegExprSimpleState* FStartState{};
  Integer FStateCount{};
};

using TvlSymbolUpdateEvent = TDelegate<void(Char ASymbol)>;
using TvlSymbolDeleteEvent = TDelegate<void()>;

class TvlRegExpr : public TObject {
  CL_CLASS(TvlRegExpr, TObject)
 public:
  void Create();
  void Destroy() override;

  // Compiles the text of AStream (UTF-16 code units, little endian, from the
  // stream's start); raises EvlRegExprError on failure.
  void Compile(TStream* AStream);
  // Compiles AText (through a stream, as a mask read from a form would be).
  void Compile(const String& AText);
  Boolean Next(Char& AToken);
  // Feeds the characters of AString (without completion) and answers the
  // accepted ones as they stood.
  String NextEx(const String& AString);
  Boolean Prev();
  void Reset();
  Boolean IsFinal() const;
  Boolean IsStart() const;
  void Print(String& AText) const;
  Boolean IsCompiled() const { return FCompiled; }
  // Nil until a compilation succeeds.
  TvlRegExprAutomat* Automat() const { return FAutomat; }

  Boolean CaseInsensitive() const { return FCaseInsensitive; }
  void SetCaseInsensitive(Boolean Value) { FCaseInsensitive = Value; }
  Boolean UpdateOn() const { return FUpdateOn; }
  void SetUpdateOn(Boolean Value);
  const TvlSymbolUpdateEvent& OnSymbolUpdate() const { return FOnSymbolUpdate; }
  void SetOnSymbolUpdate(const TvlSymbolUpdateEvent& Value) { FOnSymbolUpdate = Value; }
  const TvlSymbolDeleteEvent& OnSymbolDelete() const { return FOnSymbolDelete; }
  void SetOnSymbolDelete(const TvlSymbolDeleteEvent& Value) { FOnSymbolDelete = Value; }
  // The source text once compiled, else nil.
  TStream* Stream() const;
  // The errors of the last compilation.
  const TvlRegExprErrors* Errors() const { return FErrors; }
  const TvlLexems* Lexems() const { return FLexems; }
  // The source text of the last compilation.
  const String& Source() const { return FSource; }

 private:
  friend class TvlRegExprAutomat;
  friend class TvlRegExprParser;
  void CheckCompiled() const;
  void Clear();
  void Error(Integer ALine, Integer AChar, const String& AMessage);
  [[noreturn]] void RaiseErrors();
  void Lex();
  // The parse tree of the lexems; nil (errors reported) on failure.
  TvlRegExprParserAlts* Parse();
  void DoSymbolUpdate(Char ASymbol);
  void DoSymbolDelete();

  TvlRegExprAutomat* FAutomat{};
  TvlLexems* FLexems{};
  TvlRegExprErrors* FErrors{};
  TMemoryStream* FStream{};
  String FSource;
  Integer FIndex{};
  Integer FLine{};
  Integer FChar{};
  Boolean FCaseInsensitive{};
  Boolean FCompiled{};
  Boolean FUpdateOn{};
  Boolean FNotFirst{};
  TvlSymbolUpdateEvent FOnSymbolUpdate;
  TvlSymbolDeleteEvent FOnSymbolDelete;
};
