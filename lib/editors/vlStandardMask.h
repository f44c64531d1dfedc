// The standard edit mask: a short pattern that gives an edit field a fixed
// number of character positions, each a literal the user cannot change or a
// slot that takes one class of characters.
//
// Syntax (read left to right): a leading "!" lines texts up from the right;
// "0" required digit, "9" optional digit, "#" optional digit or sign, "L"/"l"
// required/optional letter, "A"/"a" required/optional letter or digit,
// "C"/"c" required/optional character of any kind; ">" upper-cases the
// following slots, "<" lower-cases them, "<>" leaves their case alone; "\"
// makes the next character a literal; "/" and ":" are the locale's date and
// time separators, taken when the mask is compiled; any other character is a
// literal. A mask may end in ";S;B" (S "0" drops the literals from the edit
// value, "1" keeps them; B is the blank character) or in ";S".
//
// Compile never fails: a mask is read whatever it holds.
#pragma once

#include <vector>

#include "platform/classes/ObjectModel.h"
#include "platform/classes/TypInfo.h"

CL_ENUM(TvlCaseControl, Byte, ccUpperCase, ccLowerCase, ccUserCase)

// One character position of a compiled mask. Check answers whether the
// position accepts ASymbol; a slot rewrites ASymbol's case whether or not it
// accepts it.
class TvlStandardMaskCustomItem : public TObject {
  CL_CLASS(TvlStandardMaskCustomItem, TObject)
 public:
  virtual Boolean Check(Char& ASymbol);
};

class TvlStandardMaskLiteralItem : public TvlStandardMaskCustomItem {
  CL_CLASS(TvlStandardMaskLiteralItem, TvlStandardMaskCustomItem)
 public:
  void Create(Char ALiteral);
  Boolean Check(Char& ASymbol) override;
  Char Literal() const { return FLiteral; }

 private:
  Char FLiteral{};
};

// The base of the slots: the case they give a character and whether they
// may stay empty.
class TvlStandardMaskManyItem : public TvlStandardMaskCustomItem {
  CL_CLASS(TvlStandardMaskManyItem, TvlStandardMaskCustomItem)
 public:
  void Create(TvlCaseControl ACaseControl, Boolean AOptional);
  TvlCaseControl CaseControl() const { return FCaseControl; }
  Boolean Optional() const { return FOptional; }

 protected:
  // Rewrites ASymbol's case by CaseControl.
  void ApplyCase(Char& ASymbol) const;
  // As ApplyCase, but an ASCII letter keeps to the ASCII letters.
  void ApplyAsciiCase(Char& ASymbol) const;

 private:
  TvlCaseControl FCaseControl{};
  Boolean FOptional{};
};

class TvlStandardMaskAlphaItem : public TvlStandardMaskManyItem {
  CL_CLASS(TvlStandardMaskAlphaItem, TvlStandardMaskManyItem)
 public:
  Boolean Check(Char& ASymbol) override;
};

class TvlStandardMaskAlphaNumericItem : public TvlStandardMaskManyItem {
  CL_CLASS(TvlStandardMaskAlphaNumericItem, TvlStandardMaskManyItem)
 public:
  Boolean Check(Char& ASymbol) override;
};

class TvlStandardMaskASCIIItem : public TvlStandardMaskManyItem {
  CL_CLASS(TvlStandardMaskASCIIItem, TvlStandardMaskManyItem)
 public:
  Boolean Check(Char& ASymbol) override;
};

class TvlStandardMaskNumericItem : public TvlStandardMaskManyItem {
  CL_CLASS(TvlStandardMaskNumericItem, TvlStandardMaskManyItem)
 public:
  Boolean Check(Char& ASymbol) override;
};

// Digits and the signs; always optional.
class TvlStandardMaskNumericSymbolItem : public TvlStandardMaskManyItem {
  CL_CLASS(TvlStandardMaskNumericSymbolItem, TvlStandardMaskManyItem)
 public:
  Boolean Check(Char& ASymbol) override;
};

class TvlStandardMask : public TObject {
  CL_CLASS(TvlStandardMask, TObject)
 public:
  void Create();
  void Destroy() override;

  void Compile(const String& AMask);

  const String& Mask() const { return FMask; }
  Char Blank() const { return FBlank; }
  void SetBlank(Char Value) { FBlank = Value; }
  Boolean SaveLiteralCharacters() const { return FSaveLiteralCharacters; }
  Integer Count() const { return Integer(FItems.size()); }
  TvlStandardMaskCustomItem* Items(Integer Index) const { return FItems[size_t(Index)]; }

  // The text an empty field shows: each literal, and Blank in each slot.
  String FullEmptyString() const;
  // The edit value of an empty field: a blank per slot, and the literals
  // when SaveLiteralCharacters.
  String EmptyString() const;

  // Lines AText up with the mask; the result has Count characters.
  void Format(String& AText, Boolean AChangeCharCase = true, Boolean AMatchForBlanksAndLiterals = true) const;
  // Turns a text of mask length into the edit value.
  void Format2(String& AText) const;
  // Complete: every required slot filled, every literal in place. Both tests
  // leave the characters' case rewritten by the slots.
  Boolean IsFullValid(String& AText) const;
  // Not longer than the mask, and every position acceptable or blank.
  Boolean IsValid(String& AText) const;

 private:
  void Clear();
  Boolean IsBlank(Char C) const { return C == FBlank || C == u' '; }
  // The walk of Format from the first item (or, with Leading, from the last).
  Integer Step() const { return FLeading ? -1 : 1; }

  String FMask;
  Char FBlank{};
  Boolean FSaveLiteralCharacters{};
  Boolean FLeading{};
  std::vector<TvlStandardMaskCustomItem*> FItems;
};
