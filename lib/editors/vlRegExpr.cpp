// The mask language: character items, quantifiers, the parse tree, errors,
// the lexer and the parser. The automaton is in vlRegExprAutomat.cpp.
#include "lib/editors/vlRegExpr.h"

#include <algorithm>

#include "lib/editors/vlEditConsts.h"
#include "lib/foundation/nbCore.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TvlLexems)
CL_IMPLEMENT_CLASS(TvlRegExprItem)
CL_IMPLEMENT_CLASS(TvlRegExprSymbol)
CL_IMPLEMENT_CLASS(TvlRegExprDateSeparator)
CL_IMPLEMENT_CLASS(TvlRegExprTimeSeparator)
CL_IMPLEMENT_CLASS(TvlRegExprSubrange)
CL_IMPLEMENT_CLASS(TvlRegExprEnumeration)
CL_IMPLEMENT_CLASS(TvlRegExprUserEnumeration)
CL_IMPLEMENT_CLASS(TvlRegExprDigit)
CL_IMPLEMENT_CLASS(TvlRegExprIdLetter)
CL_IMPLEMENT_CLASS(TvlRegExprSpace)
CL_IMPLEMENT_CLASS(TvlRegExprAll)
CL_IMPLEMENT_CLASS(TvlRegExprQuantifier)
CL_IMPLEMENT_CLASS(TvlRegExprSimpleQuantifier)
CL_IMPLEMENT_CLASS(TvlRegExprQuestionQuantifier)
CL_IMPLEMENT_CLASS(TvlRegExprStarQuantifier)
CL_IMPLEMENT_CLASS(TvlRegExprPlusQuantifier)
CL_IMPLEMENT_CLASS(TvlRegExprParserItem)
CL_IMPLEMENT_CLASS(TvlRegExprParserSimpleItem)
CL_IMPLEMENT_CLASS(TvlRegExprParserBlockItem)
CL_IMPLEMENT_CLASS(TvlRegExprParserAlt)
CL_IMPLEMENT_CLASS(TvlRegExprParserAlts)
CL_IMPLEMENT_CLASS(TvlRegExprError)
CL_IMPLEMENT_CLASS(TvlRegExprErrors)

namespace {

Boolean IsBlankChar(Char C) {
  return C == 0 || C == u'\t' || C == u'\n' || C == u'\f' || C == u'\r' || C == u' ';
}

Boolean IsHexDigit(Char C) {
  return (C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'f') || (C >= u'A' && C <= u'F');
}

Integer HexValue(Char C) {
  if (C <= u'9') return C - u'0';
  if (C <= u'F') return C - u'A' + 10;
  return C - u'a' + 10;
}

String Msg(const TResStringRec& ARes) { return vlGetResourceStringText(ARes); }

String Msg(const TResStringRec& ARes, const String& AArg) {
  return Format(vlGetResourceStringText(ARes), {AArg});
}

}  // namespace

// --- Character items ---------------------------------------------------------------------------

Boolean TvlRegExprItem::Check(Char&, Boolean) { AbstractError(); }
TvlRegExprItem* TvlRegExprItem::Clone() { AbstractError(); }

void TvlRegExprSymbol::Create(Char AValue) { FValue = AValue; }

Boolean TvlRegExprSymbol::Check(Char& AToken, Boolean ACaseInsensitive) {
  if (!ACaseInsensitive) return AToken == FValue;
  if (AToken != FValue && AnsiUpperChar(AToken) != AnsiUpperChar(FValue)) return false;
  AToken = FValue;
  return true;
}

TvlRegExprItem* TvlRegExprSymbol::Clone() { return New<TvlRegExprSymbol>(FValue); }

Boolean TvlRegExprDateSeparator::Check(Char& AToken, Boolean) { return AToken == FormatSettings().DateSeparator; }
TvlRegExprItem* TvlRegExprDateSeparator::Clone() { return New<TvlRegExprDateSeparator>(); }

Boolean TvlRegExprTimeSeparator::Check(Char& AToken, Boolean) { return AToken == FormatSettings().TimeSeparator; }
TvlRegExprItem* TvlRegExprTimeSeparator::Clone() { return New<TvlRegExprTimeSeparator>(); }

void TvlRegExprSubrange::Create(Char AStartValue, Char AFinishValue) {
  FStartValue = AStartValue;
  FFinishValue = AFinishValue;
}

Boolean TvlRegExprSubrange::Check(Char& AToken, Boolean) {
  return AToken >= FStartValue && AToken <= FFinishValue;
}

TvlRegExprItem* TvlRegExprSubrange::Clone() { return New<TvlRegExprSubrange>(FStartValue, FFinishValue); }

void TvlRegExprUserEnumeration::Destroy() {
  for (TvlRegExprItem* item : FItems) Free(item);
  FItems.clear();
  inherited::Destroy();
}

Boolean TvlRegExprUserEnumeration::Check(Char& AToken, Boolean ACaseInsensitive) {
  Boolean found = false;
  for (TvlRegExprItem* item : FItems)
    if (item->Check(AToken, ACaseInsensitive)) {
      found = true;
      break;
    }
  return found != FInverse;
}

TvlRegExprItem* TvlRegExprUserEnumeration::Clone() {
  auto* result = New<TvlRegExprUserEnumeration>();
  result->SetInverse(FInverse);
  for (TvlRegExprItem* item : FItems) result->Add(item->Clone());
  return result;
}

namespace {
template <class T>
TvlRegExprItem* CloneEnumeration(const TvlRegExprEnumeration* AItem) {
  T* result = New<T>();
  result->SetInverse(AItem->Inverse());
  return result;
}
}  // namespace

Boolean TvlRegExprDigit::Check(Char& AToken, Boolean) { return (AToken >= u'0' && AToken <= u'9') != FInverse; }
TvlRegExprItem* TvlRegExprDigit::Clone() { return CloneEnumeration<TvlRegExprDigit>(this); }

Boolean TvlRegExprIdLetter::Check(Char& AToken, Boolean) {
  const Char c = AToken;
  const Boolean id = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
  return id != FInverse;
}
TvlRegExprItem* TvlRegExprIdLetter::Clone() { return CloneEnumeration<TvlRegExprIdLetter>(this); }

Boolean TvlRegExprSpace::Check(Char& AToken, Boolean) { return IsBlankChar(AToken) != FInverse; }
TvlRegExprItem* TvlRegExprSpace::Clone() { return CloneEnumeration<TvlRegExprSpace>(this); }

Boolean TvlRegExprAll::Check(Char&, Boolean) { return !FInverse; }
TvlRegExprItem* TvlRegExprAll::Clone() { return CloneEnumeration<TvlRegExprAll>(this); }

// --- Quantifiers -------------------------------------------------------------------------------

Boolean TvlRegExprQuantifier::CanMissing() { AbstractError(); }
Boolean TvlRegExprQuantifier::CanRepeat() { AbstractError(); }
TvlRegExprQuantifier* TvlRegExprQuantifier::Clone() { AbstractError(); }
String TvlRegExprQuantifier::Print() { AbstractError(); }

TvlRegExprQuantifier* TvlRegExprSimpleQuantifier::Clone() { return New<TvlRegExprSimpleQuantifier>(); }
TvlRegExprQuantifier* TvlRegExprQuestionQuantifier::Clone() { return New<TvlRegExprQuestionQuantifier>(); }
TvlRegExprQuantifier* TvlRegExprStarQuantifier::Clone() { return New<TvlRegExprStarQuantifier>(); }
TvlRegExprQuantifier* TvlRegExprPlusQuantifier::Clone() { return New<TvlRegExprPlusQuantifier>(); }

// --- Parse tree --------------------------------------------------------------------------------

void TvlRegExprParserItem::Create() { FQuantifier = New<TvlRegExprSimpleQuantifier>(); }

void TvlRegExprParserItem::Destroy() {
  FreeAndNil(FQuantifier);
  inherited::Destroy();
}

Boolean TvlRegExprParserItem::CanEmpty() { AbstractError(); }
TvlRegExprParserItem* TvlRegExprParserItem::Clone() { AbstractError(); }
void TvlRegExprParserItem::Print(String&) { AbstractError(); }
void TvlRegExprParserItem::SetFinal() { AbstractError(); }
TvlRegExprState* TvlRegExprParserItem::Entry() const { AbstractError(); }
TvlRegExprState* TvlRegExprParserItem::Exit() const { AbstractError(); }

Boolean TvlRegExprParserItem::CanMissing() const { return FQuantifier->CanMissing(); }
Boolean TvlRegExprParserItem::CanRepeat() const { return FQuantifier->CanRepeat(); }
Boolean TvlRegExprParserItem::HasQuantifier() const {
  return !FQuantifier->InheritsFrom(TvlRegExprSimpleQuantifier::StaticClass());
}

void TvlRegExprParserItem::SetQuantifier(TvlRegExprQuantifier* Value) {
  if (Value == FQuantifier) return;
  Free(FQuantifier);
  FQuantifier = Value;
}

void TvlRegExprParserSimpleItem::Create(TvlRegExprItem* AValue) {
  inherited::Create();
  FState = New<TvlRegExprSimpleState>(AValue);
  FStateCount = 1;
}

void TvlRegExprParserSimpleItem::Destroy() {
  FreeAndNil(FState);
  inherited::Destroy();
}

Boolean TvlRegExprParserSimpleItem::CanEmpty() { return CanMissing(); }

TvlRegExprParserItem* TvlRegExprParserSimpleItem::Clone() {
  auto* result = New<TvlRegExprParserSimpleItem>(FState->Value()->Clone());
  result->SetQuantifier(FQuantifier->Clone());
  return result;
}

void TvlRegExprParserSimpleItem::Print(String& AText) {
  AText += u"item --> " + FQuantifier->Print() + u"\r\n";
}

void TvlRegExprParserSimpleItem::SetFinal() { FState->SetIsFinal(true); }

void TvlRegExprParserBlockItem::Create(TvlRegExprParserAlts* AAlts) {
  inherited::Create();
  FAlts = AAlts;
  FStartState = New<TvlRegExprBlockState>();
  FFinishState = New<TvlRegExprBlockState>();
  FStateCount = 2;
  FDepth = 1;
  for (Integer i = 0; i < FAlts->Count(); ++i) {
    TvlRegExprParserAlt* alt = FAlts->Items(i);
    for (Integer j = 0; j < alt->Count(); ++j) {
      FStateCount += alt->Items(j)->StateCount();
      FDepth = std::max(FDepth, alt->Items(j)->Depth() + 1);
    }
  }
}

void TvlRegExprParserBlockItem::Destroy() {
  FreeAndNil(FAlts);
  FreeAndNil(FStartState);
  FreeAndNil(FFinishState);
  inherited::Destroy();
}

Boolean TvlRegExprParserBlockItem::CanEmpty() {
  if (CanMissing()) return true;
  for (Integer i = 0; i < FAlts->Count(); ++i)
    if (FAlts->Items(i)->CanEmpty()) return true;
  return false;
}

TvlRegExprParserItem* TvlRegExprParserBlockItem::Clone() {
  auto* result = New<TvlRegExprParserBlockItem>(FAlts->Clone());
  result->SetQuantifier(FQuantifier->Clone());
  return result;
}

void TvlRegExprParserBlockItem::Print(String& AText) {
  AText += u"<Start_Block>\r\n";
  FAlts->Print(AText);
  AText += u"<Finish_Block> --> " + FQuantifier->Print() + u"\r\n";
}

void TvlRegExprParserBlockItem::SetFinal() {
  for (Integer i = 0; i < FAlts->Count(); ++i) FAlts->Items(i)->SetFinal();
}

void TvlRegExprParserAlt::Destroy() {
  for (TvlRegExprParserItem* item : FItems) Free(item);
  FItems.clear();
  inherited::Destroy();
}

TvlRegExprParserAlt* TvlRegExprParserAlt::Clone() const {
  auto* result = New<TvlRegExprParserAlt>();
  for (TvlRegExprParserItem* item : FItems) result->Add(item->Clone());
  return result;
}

Boolean TvlRegExprParserAlt::CanEmpty() const {
  for (TvlRegExprParserItem* item : FItems)
    if (!item->CanEmpty()) return false;
  return true;
}

Boolean TvlRegExprParserAlt::CanMissing() const {
  for (TvlRegExprParserItem* item : FItems)
    if (!item->CanMissing()) return false;
  return true;
}

void TvlRegExprParserAlt::Print(String& AText) const {
  AText += u"<Start_Alt>\r\n";
  for (TvlRegExprParserItem* item : FItems) item->Print(AText);
  AText += u"<Finish_Alt>\r\n";
}

void TvlRegExprParserAlt::SetFinal() const {
  for (size_t i = FItems.size(); i-- > 0;) {
    FItems[i]->SetFinal();
    if (!FItems[i]->CanMissing()) break;
  }
}

void TvlRegExprParserAlts::Destroy() {
  for (TvlRegExprParserAlt* alt : FItems) Free(alt);
  FItems.clear();
  inherited::Destroy();
}

TvlRegExprParserAlts* TvlRegExprParserAlts::Clone() const {
  auto* result = New<TvlRegExprParserAlts>();
  for (TvlRegExprParserAlt* alt : FItems) result->Add(alt->Clone());
  return result;
}

void TvlRegExprParserAlts::Print(String& AText) const {
  for (TvlRegExprParserAlt* alt : FItems) alt->Print(AText);
}

// --- Errors ------------------------------------------------------------------------------------

void TvlRegExprError::Create(Integer ALine, Integer AChar, const String& AMessage) {
  FLine = ALine;
  FChar = AChar;
  FMessage = AMessage;
}

String TvlRegExprError::FullMessage() const {
  if (FLine <= 0) return FMessage;
  String result = Msg(svlRegExprLine) + IntToStr(FLine);
  if (FChar > 0) result += u", " + Msg(svlRegExprChar) + IntToStr(FChar);
  return result + u": " + FMessage;
}

TvlRegExprError* TvlRegExprError::Clone() const { return New<TvlRegExprError>(FLine, FChar, FMessage); }

void TvlRegExprErrors::Destroy() {
  Clear();
  inherited::Destroy();
}

void TvlRegExprErrors::Clear() {
  for (TvlRegExprError* error : FItems) Free(error);
  FItems.clear();
}

TvlRegExprErrors* TvlRegExprErrors::Clone() const {
  auto* result = New<TvlRegExprErrors>();
  for (TvlRegExprError* error : FItems) result->Add(error->Clone());
  return result;
}

EvlRegExprError::EvlRegExprError(const TvlRegExprErrors* AErrors)
    : FErrors(AErrors ? AErrors->Clone() : New<TvlRegExprErrors>(), [](TvlRegExprErrors* E) { Free(E); }) {}

// --- Lexer -------------------------------------------------------------------------------------

// Reads the source one character at a time, keeping the line and the
// character number as the error messages report them, and appends
// lexems and errors to the expression.
void TvlRegExpr::Lex() {
  const String& s = FSource;
  const Integer n = Integer(s.size());
  auto atEnd = [&] { return FIndex >= n; };
  auto read = [&]() -> Char {
    const Char c = s[size_t(FIndex++)];
    if (c == u'\r') ++FLine;
    if (c == u'\n')
      FChar = 0;
    else
      ++FChar;
    return c;
  };
  auto peek = [&]() -> Char { return s[size_t(FIndex)]; };
  auto skipBlanks = [&] {
    while (!atEnd() && IsBlankChar(peek())) read();
  };
  auto add = [&](Integer ACode, const String& AValue, Integer ALine, Integer AChar) {
    FLexems->Add(TvlLexem{AChar, ACode, ALine, AValue});
  };
  auto addHere = [&](Integer ACode, Char AValue) { add(ACode, String(1, AValue), FLine, FChar); };

  // A quoted text: the opening quote has been read.
  auto quoted = [&] {
    for (;;) {
      if (atEnd()) {
        Error(FLine, FChar, Msg(svlRegExprMissing, u" ' "));
        return;
      }
      const Char c = read();
      if (c == u'\'') {
        if (!atEnd() && peek() == u'\'') {
          read();
          addHere(vlLexemLiteral, u'\'');
          continue;
        }
        return;
      }
      addHere(vlLexemLiteral, c);
    }
  };
  // An escape: the backslash has been read at ALine, AChar.
  auto escape = [&](Integer ALine, Integer AChar) {
    if (atEnd()) return;
    const Char c = read();
    if (c >= u'1' && c <= u'9') return add(vlLexemReference, String(1, c), ALine, AChar);
    switch (c) {
      case u'd': return add(vlLexemDigit, u"d", ALine, AChar);
      case u'D': return add(vlLexemNotDigit, u"D", ALine, AChar);
      case u'w': return add(vlLexemIdLetter, u"w", ALine, AChar);
      case u'W': return add(vlLexemNotIdLetter, u"W", ALine, AChar);
      case u's': return add(vlLexemSpace, u"s", ALine, AChar);
      case u'S': return add(vlLexemNotSpace, u"S", ALine, AChar);
      case u't': return add(vlLexemLiteral, u"\t", ALine, AChar);
      case u'n': return add(vlLexemLiteral, u"\n", ALine, AChar);
      case u'r': return add(vlLexemLiteral, u"\r", ALine, AChar);
      case u'f': return add(vlLexemLiteral, u"\f", ALine, AChar);
      case u'a': return add(vlLexemLiteral, String(1, Char(7)), ALine, AChar);
      case u'e': return add(vlLexemLiteral, String(1, Char(27)), ALine, AChar);
      case u'p': return add(vlLexemLiteral, String(1, FormatSettings().DecimalSeparator), ALine, AChar);
      case u'x': {
        Integer value = 0;
        for (Integer k = 0; k < 2; ++k) {
          if (atEnd()) {
            Error(FLine, FChar + 1, Msg(svlRegExprHexNumberExpected0));
            return;
          }
          const Char h = read();
          if (!IsHexDigit(h)) {
            Error(FLine, FChar, Msg(svlRegExprHexNumberExpected, String(1, h)));
            return;
          }
          value = value * 16 + HexValue(h);
        }
        return add(vlLexemLiteral, String(1, Char(value)), ALine, AChar);
      }
      default:
        if (IsBlankChar(c)) {
          Error(FLine, FChar, Msg(svlRegExprIncorrectSpace));
          return;
        }
        return add(vlLexemLiteral, String(1, c), ALine, AChar);
    }
  };
  // A class: the "[" has been read.
  auto klass = [&] {
    Boolean first = true, inverse = false;
    for (;;) {
      skipBlanks();
      if (atEnd()) {
        Error(FLine, FChar, Msg(svlRegExprMissing, u"]"));
        return;
      }
      const Char c = read();
      const Integer line = FLine, chr = FChar;
      if (c == u']') {
        addHere(vlLexemOperator, c);
        return;
      }
      if (first && !inverse && c == u'^') {  // only the first "^" inverts
        inverse = true;
        addHere(vlLexemOperator, c);
        continue;
      }
      if (c == u'-' && !first) {
        // A "-" right before the closing bracket is a literal.
        Integer save = FIndex, saveLine = FLine, saveChar = FChar;
        skipBlanks();
        const Boolean closing = !atEnd() && peek() == u']';
        FIndex = save;
        FLine = saveLine;
        FChar = saveChar;
        add(closing ? vlLexemLiteral : vlLexemOperator, u"-", line, chr);
        continue;
      }
      first = false;
      if (c == u'\'')
        quoted();
      else if (c == u'/')
        add(vlLexemDateSeparator, u"/", line, chr);
      else if (c == u':')
        add(vlLexemTimeSeparator, u":", line, chr);
      else if (c == u'\\')
        escape(line, chr);
      else
        add(vlLexemLiteral, String(1, c), line, chr);
    }
  };
  // A counted quantifier: the "{" has been read.
  auto braces = [&] {
    for (;;) {
      skipBlanks();
      if (atEnd()) {
        Error(FLine, FChar, Msg(svlRegExprMissing, u"}"));
        return;
      }
      const Char c = read();
      if (c >= u'0' && c <= u'9') {
        const Integer line = FLine, chr = FChar;
        String digits(1, c);
        while (!atEnd() && peek() >= u'0' && peek() <= u'9') digits += read();
        add(vlLexemNumber, digits, line, chr);
      } else if (c == u',') {
        addHere(vlLexemOperator, c);
      } else if (c == u'}') {
        addHere(vlLexemOperator, c);
        return;
      } else if (c == u'\'') {
        Error(FLine, FChar, Msg(svlRegExprIllegalSymbol, u" ' "));
      } else {
        Error(FLine, FChar, Msg(svlRegExprIllegalSymbol, String(1, c)));
      }
    }
  };

  Integer opened = 0, closed = 0;
  for (;;) {
    skipBlanks();
    if (atEnd()) break;
    const Char c = read();
    const Integer line = FLine, chr = FChar;
    switch (c) {
      case u'\'': quoted(); break;
      case u'(': ++opened; addHere(vlLexemOperator, c); break;
      case u')': ++closed; addHere(vlLexemOperator, c); break;
      case u'*':
      case u'+':
      case u'?':
      case u'|': addHere(vlLexemOperator, c); break;
      case u'.': addHere(vlLexemAll, c); break;
      case u'/': addHere(vlLexemDateSeparator, c); break;
      case u':': addHere(vlLexemTimeSeparator, c); break;
      case u'[': addHere(vlLexemOperator, c); klass(); break;
      case u'{': addHere(vlLexemOperator, c); braces(); break;
      case u'\\': escape(line, chr); break;
      default: addHere(vlLexemLiteral, c); break;
    }
  }
  if (opened > closed) Error(0, 0, Msg(svlRegExprMissing, u")"));
  if (closed > opened) Error(0, 0, Msg(svlRegExprUnnecessary, u")"));
}

// --- Parser ------------------------------------------------------------------------------------

// Builds the parse tree from the lexems; reports every error it finds and
// goes on after it. Limits: kMaxRegExprStates character states in the whole
// tree and kMaxRegExprDepth nested groups.
class TvlRegExprParser {
 public:
  explicit TvlRegExprParser(TvlRegExpr* AOwner) : FOwner(AOwner), FLexems(AOwner->FLexems) {}
  ~TvlRegExprParser() {
    for (TvlRegExprParserItem* item : FRetired) Free(item);
  }

  // The expression's alternatives; nil on errors (then freed).
  TvlRegExprParserAlts* Parse() {
    TvlRegExprParserAlts* alts = ParseAlts(false, 0);
    if (FOwner->FErrors->Count() > 0) FreeAndNil(alts);
    return alts;
  }

 private:
  Boolean AtEnd() const { return FPos >= FLexems->Count(); }
  const TvlLexem& Cur() const { return FLexems->Items(FPos); }
  Boolean IsOp(Char C) const {
    return !AtEnd() && Cur().Code == vlLexemOperator && Cur().Value.size() == 1 && Cur().Value[0] == C;
  }
  void ErrorAt(const TvlLexem& L, const String& AMessage) { FOwner->Error(L.Line, L.Char, AMessage); }

  // Alternatives up to the end of the text, or (in a group) up to its ")".
  TvlRegExprParserAlts* ParseAlts(Boolean AInGroup, Integer ADepth) {
    auto* alts = New<TvlRegExprParserAlts>();
    for (;;) {
      // The start of an alternative.
      if (AtEnd()) {
        FOwner->Error(0, 0, Msg(svlRegExprCantCreateEmptyAlt));
        return alts;
      }
      if (IsOp(u'|')) {
        ErrorAt(Cur(), Msg(svlRegExprCantCreateEmptyAlt));
        ++FPos;
        continue;
      }
      if (AInGroup && IsOp(u')')) {
        ErrorAt(Cur(), Msg(svlRegExprCantCreateEmptyBlock));
        ++FPos;
        return alts;
      }
      auto* alt = New<TvlRegExprParserAlt>();
      alts->Add(alt);
      ParseAlt(alt, AInGroup, ADepth);
      if (AtEnd()) {
        if (AInGroup) FOwner->Error(0, 0, Msg(svlRegExprMissing, u")"));
        return alts;
      }
      if (IsOp(u')')) {  // only in a group
        ++FPos;
        return alts;
      }
      ++FPos;  // "|"
    }
  }

  // Items up to "|", the group's ")" or the end.
  void ParseAlt(TvlRegExprParserAlt* AAlt, Boolean AInGroup, Integer ADepth) {
    while (!AtEnd()) {
      const TvlLexem& l = Cur();
      switch (l.Code) {
        case vlLexemLiteral: AddSimple(AAlt, l, New<TvlRegExprSymbol>(l.Value[0])); break;
        case vlLexemAll: AddSimple(AAlt, l, New<TvlRegExprAll>()); break;
        case vlLexemIdLetter:
        case vlLexemNotIdLetter:
        case vlLexemDigit:
        case vlLexemNotDigit:
        case vlLexemSpace:
        case vlLexemNotSpace:
        case vlLexemDateSeparator:
        case vlLexemTimeSeparator: AddSimple(AAlt, l, ClassItem(l)); break;
        case vlLexemReference: Reference(AAlt, ADepth); break;
        case vlLexemNumber:
          ErrorAt(l, Msg(svlRegExprIllegalIntegerValue));
          ++FPos;
          break;
        default: {
          const Char op = l.Value[0];
          if (op == u'|') return;
          if (op == u')') {
            if (AInGroup) return;
            ErrorAt(l, Msg(svlRegExprIllegalSymbol, u")"));
            ++FPos;
          } else if (op == u'(') {
            Group(AAlt, ADepth);
          } else if (op == u'[') {
            Enumeration(AAlt);
          } else if (op == u'?' || op == u'*' || op == u'+') {
            Quantifier(AAlt, op, ADepth);
          } else if (op == u'{') {
            Counted(AAlt, ADepth);
          } else {
            ErrorAt(l, Msg(svlRegExprIllegalSymbol, l.Value));
            ++FPos;
          }
        }
      }
    }
  }

  static TvlRegExprItem* ClassItem(const TvlLexem& L) {
    TvlRegExprEnumeration* item = nullptr;
    switch (L.Code) {
      case vlLexemDateSeparator: return New<TvlRegExprDateSeparator>();
      case vlLexemTimeSeparator: return New<TvlRegExprTimeSeparator>();
      case vlLexemIdLetter:
      case vlLexemNotIdLetter: item = New<TvlRegExprIdLetter>(); break;
      case vlLexemDigit:
      case vlLexemNotDigit: item = New<TvlRegExprDigit>(); break;
      default: item = New<TvlRegExprSpace>(); break;
    }
    item->SetInverse(L.Code == vlLexemNotIdLetter || L.Code == vlLexemNotDigit || L.Code == vlLexemNotSpace);
    return item;
  }

  // Room for AStates more character states.
  Boolean Room(Integer AStates) const { return FStates + Int64(AStates) <= kMaxRegExprStates; }

  void AddSimple(TvlRegExprParserAlt* AAlt, const TvlLexem& L, TvlRegExprItem* AItem) {
    ++FPos;
    if (!Room(1)) {
      Free(AItem);
      ErrorAt(L, Msg(svlRegExprIllegalSymbol, L.Value));
      return;
    }
    ++FStates;
    AAlt->Add(New<TvlRegExprParserSimpleItem>(AItem));
  }

  void Group(TvlRegExprParserAlt* AAlt, Integer ADepth) {
    const TvlLexem open = Cur();
    ++FPos;
    const size_t number = FGroups.size();
    FGroups.push_back(nullptr);
    if (ADepth + 1 > kMaxRegExprDepth) {
      ErrorAt(open, Msg(svlRegExprIllegalSymbol, u"("));
      SkipGroup();
      return;
    }
    TvlRegExprParserAlts* alts = ParseAlts(true, ADepth + 1);
    auto* block = New<TvlRegExprParserBlockItem>(alts);
    FStates += 2;
    AAlt->Add(block);
    FGroups[number] = block;
  }

  // Passes over a group that is not read, up to its ")".
  void SkipGroup() {
    Integer level = 1;
    while (!AtEnd() && level > 0) {
      if (IsOp(u'(')) ++level;
      if (IsOp(u')')) --level;
      ++FPos;
    }
  }

  void Reference(TvlRegExprParserAlt* AAlt, Integer ADepth) {
    const TvlLexem l = Cur();
    ++FPos;
    const size_t number = size_t(l.Value[0] - u'0');
    if (number > FGroups.size() || !FGroups[number - 1]) {
      ErrorAt(l, Msg(svlRegExprTooBigReferenceNumber));
      return;
    }
    TvlRegExprParserBlockItem* group = FGroups[number - 1];
    if (!Room(group->StateCount()) || ADepth + group->Depth() > kMaxRegExprDepth) {
      ErrorAt(l, Msg(svlRegExprTooBigReferenceNumber));
      return;
    }
    FStates += group->StateCount();
    AAlt->Add(group->Clone());
  }

  void Enumeration(TvlRegExprParserAlt* AAlt) {
    const TvlLexem open = Cur();
    ++FPos;
    auto* item = New<TvlRegExprUserEnumeration>();
    if (IsOp(u'^')) {
      item->SetInverse(true);
      ++FPos;
    }
    if (IsOp(u']')) {
      ErrorAt(Cur(), Msg(svlRegExprCantCreateEmptyEnum));
      ++FPos;
      Free(item);
      return;
    }
    // Element by element; the lexer ends every class with "]".
    while (!AtEnd() && !IsOp(u']')) {
      const TvlLexem& l = Cur();
      if (l.Code == vlLexemOperator) {  // a "-" with no range before it
        ErrorAt(l, Msg(svlRegExprIllegalSymbol, l.Value));
        ++FPos;
        continue;
      }
      ++FPos;
      if (l.Code == vlLexemReference) {
        ErrorAt(l, Msg(svlRegExprIllegalSymbol, u"\\" + l.Value));
        continue;
      }
      if (l.Code != vlLexemLiteral) {
        item->Add(ClassItem(l));
        continue;
      }
      if (IsOp(u'-') && FPos + 1 < FLexems->Count() && FLexems->Items(FPos + 1).Code == vlLexemLiteral) {
        const TvlLexem& finish = FLexems->Items(FPos + 1);
        FPos += 2;
        if (l.Value[0] < finish.Value[0])
          item->Add(New<TvlRegExprSubrange>(l.Value[0], finish.Value[0]));
        else
          ErrorAt(finish, Msg(svlRegExprSubrangeOrder));
        continue;
      }
      item->Add(New<TvlRegExprSymbol>(l.Value[0]));
    }
    if (!AtEnd()) ++FPos;  // "]"
    if (!Room(1)) {
      Free(item);
      ErrorAt(open, Msg(svlRegExprIllegalSymbol, u"["));
      return;
    }
    ++FStates;
    AAlt->Add(New<TvlRegExprParserSimpleItem>(item));
  }

  // Puts AQuantifier on the last item of AAlt; an item that already has one
  // is first wrapped into a group of its own. Answers False (and frees the
  // quantifier) when the group would nest too deep.
  Boolean Quantify(TvlRegExprParserAlt* AAlt, TvlRegExprQuantifier* AQuantifier, Integer ADepth) {
    TvlRegExprParserItem* item = AAlt->Last();
    if (item->HasQuantifier()) {
      if (ADepth + item->Depth() + 1 > kMaxRegExprDepth) {
        Free(AQuantifier);
        return false;
      }
      auto* alt = New<TvlRegExprParserAlt>();
      alt->Add(item);
      auto* alts = New<TvlRegExprParserAlts>();
      alts->Add(alt);
      item = New<TvlRegExprParserBlockItem>(alts);
      AAlt->SetLast(item);
      FStates += 2;
    }
    item->SetQuantifier(AQuantifier);
    return true;
  }

  void Quantifier(TvlRegExprParserAlt* AAlt, Char AOp, Integer ADepth) {
    const TvlLexem l = Cur();
    ++FPos;
    TvlRegExprParserItem* item = AAlt->Last();
    if (!item) {
      ErrorAt(l, Msg(svlRegExprIllegalQuantifier, l.Value));
      return;
    }
    if (AOp != u'?' && item->CanEmpty()) {
      ErrorAt(l, Msg(AOp == u'*' ? svlRegExprCantUseStarQuantifier : svlRegExprCantUsePlusQuantifier));
      return;
    }
    TvlRegExprQuantifier* q = nullptr;
    if (AOp == u'?')
      q = New<TvlRegExprQuestionQuantifier>();
    else if (AOp == u'*')
      q = New<TvlRegExprStarQuantifier>();
    else
      q = New<TvlRegExprPlusQuantifier>();
    if (!Quantify(AAlt, q, ADepth)) ErrorAt(l, Msg(svlRegExprIllegalQuantifier, l.Value));
  }

  // Reads a number lexem; values past the state cap are kept at the cap + 1.
  static Integer NumberValue(const TvlLexem& L) {
    Int64 value = 0;
    for (Char c : L.Value) {
      value = value * 10 + (c - u'0');
      if (value > kMaxRegExprStates) return kMaxRegExprStates + 1;
    }
    return Integer(value);
  }

  void SkipBraces() {
    while (!AtEnd()) {
      const Boolean close = IsOp(u'}');
      ++FPos;
      if (close) return;
    }
  }

  void Counted(TvlRegExprParserAlt* AAlt, Integer ADepth) {
    const TvlLexem open = Cur();
    ++FPos;
    TvlRegExprParserItem* item = AAlt->Last();
    if (!item) {
      ErrorAt(open, Msg(svlRegExprIncorrectParameterQuantifier));
      return;
    }
    // {n}, {n,} or {n,m}.
    auto fail = [&] {
      ErrorAt(AtEnd() ? open : Cur(), Msg(svlRegExprIncorrectParameterQuantifier));
      SkipBraces();
    };
    if (AtEnd() || Cur().Code != vlLexemNumber) return fail();
    const Integer n = NumberValue(Cur());
    ++FPos;
    Integer m = n;
    Boolean unbounded = false;
    if (IsOp(u',')) {
      ++FPos;
      if (IsOp(u'}')) {
        unbounded = true;
      } else {
        if (AtEnd() || Cur().Code != vlLexemNumber) return fail();
        m = NumberValue(Cur());
        if (m < n) return fail();
        ++FPos;
      }
    }
    if (!IsOp(u'}')) return fail();
    ++FPos;
    // An item that can be left out, and an open repeat of one that can
    // match the empty text (its automaton would loop on nothing).
    if (item->CanMissing() || (unbounded && item->CanEmpty())) {
      ErrorAt(open, Msg(svlRegExprCantUseParameterQuantifier));
      return;
    }
    // The room the copies take (each nested group two block states), before
    // any is made; the count is corrected by what was made.
    const Int64 copies = Int64(m) + (unbounded ? 1 : 0);
    const Int64 chain = unbounded ? 1 : m - n;
    const Int64 grown = (copies - 1) * item->StateCount() + 2 * (chain + 2);
    const Int64 depth = ADepth + item->Depth() + chain + 2;
    if (FStates + grown > kMaxRegExprStates || depth > kMaxRegExprDepth) {
      ErrorAt(open, Msg(svlRegExprIncorrectParameterQuantifier));
      return;
    }
    const Integer before = item->StateCount();
    // The item becomes a group of n copies, then a starred copy ({n,}) or a
    // chain of m - n optional copies, each nested in the one before.
    auto* alt = New<TvlRegExprParserAlt>();
    for (Integer i = 0; i < n; ++i) alt->Add(item->Clone());
    if (unbounded) {
      alt->Add(item->Clone());
      Optional(alt, New<TvlRegExprStarQuantifier>());
    } else if (m > n) {
      alt->Add(OptionalChain(item, m - n));
    }
    // A reference to the group copies it as written: keep it until the end.
    FRetired.push_back(item);
    auto* alts = New<TvlRegExprParserAlts>();
    alts->Add(alt);
    auto* block = New<TvlRegExprParserBlockItem>(alts);
    AAlt->SetLast(block);
    FStates += block->StateCount() - before;
  }

  // ACount optional copies of AItem: a copy followed by the rest, all
  // optional; the last is an optional copy.
  static TvlRegExprParserItem* OptionalChain(TvlRegExprParserItem* AItem, Integer ACount) {
    auto* holder = New<TvlRegExprParserAlt>();
    holder->Add(AItem->Clone());
    Optional(holder, New<TvlRegExprQuestionQuantifier>());
    for (Integer i = 1; i < ACount; ++i) {
      auto* alt = New<TvlRegExprParserAlt>();
      alt->Add(AItem->Clone());
      alt->Add(holder->Last());
      holder->SetLast(nullptr);
      auto* alts = New<TvlRegExprParserAlts>();
      alts->Add(alt);
      holder->SetLast(New<TvlRegExprParserBlockItem>(alts));
      Optional(holder, New<TvlRegExprQuestionQuantifier>());
    }
    TvlRegExprParserItem* result = holder->Last();
    holder->SetLast(nullptr);
    Free(holder);
    return result;
  }

  // Puts AQuantifier on the last item of AAlt (wrapping a quantified item);
  // the caller has made room for the wrapper.
  static void Optional(TvlRegExprParserAlt* AAlt, TvlRegExprQuantifier* AQuantifier) {
    TvlRegExprParserItem* item = AAlt->Last();
    if (item->HasQuantifier()) {
      auto* alt = New<TvlRegExprParserAlt>();
      alt->Add(item);
      auto* alts = New<TvlRegExprParserAlts>();
      alts->Add(alt);
      item = New<TvlRegExprParserBlockItem>(alts);
      AAlt->SetLast(item);
    }
    item->SetQuantifier(AQuantifier);
  }

  TvlRegExpr* FOwner;
  const TvlLexems* FLexems;
  Integer FPos = 0;
  Integer FStates = 0;
  // The groups by number; nil while a group is still open.
  std::vector<TvlRegExprParserBlockItem*> FGroups;
  // Items replaced by their counted repetition.
  std::vector<TvlRegExprParserItem*> FRetired;
};

TvlRegExprParserAlts* TvlRegExpr::Parse() { return TvlRegExprParser(this).Parse(); }
