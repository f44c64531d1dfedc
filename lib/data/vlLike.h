// LIKE patterns: matching a text against a pattern with a multi-character
// wildcard, a single-character wildcard and an optional escape character,
// and stripping a pattern's outer wildcards for display. Characters compare
// exactly (UTF-16 code units); the caller folds case first when it wants.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

class TAnsiUpperCaseUnits;

// A pattern split once into tokens (escapes resolved), to match many texts:
// Matches gives what vlLikeMatch gives for the same pattern.
class TvlLikePattern {
 public:
  void Assign(const Char* APattern, Integer APatternLength, Char AMultiWildcard, Char ASingleWildcard,
              Char AEscapeChar);
  Boolean Matches(const Char* AText, Integer ATextLength) const;
  // Matches AnsiUpperCase of the text (AUpper of the same locale).
  Boolean MatchesUpperCase(const Char* AText, Integer ATextLength, const TAnsiUpperCaseUnits& AUpper) const;
  // Whether a text of at least one unit, starting with AUnit (upper-cased
  // when it is matched so), fails at once: the pattern starts with another
  // literal. A cheap test before the matcher, for the many texts it rejects.
  Boolean FirstUnitFails(Char AUnit) const { return FLeadingLiterals > 0 && FFirst != AUnit; }
  // The literal the pattern starts with, if it starts with one.
  Boolean FirstLiteral(Char& AUnit) const {
    AUnit = FFirst;
    return FLeadingLiterals > 0;
  }

 private:
  template <class TUnit>
  Boolean Match(Integer ATextLength, TUnit AUnit) const;

  // A multi-character wildcard is final when it is the pattern's very last
  // character.
  enum class TTokenKind : Byte { Literal, AnyChar, Wildcard, FinalWildcard };
  struct TToken {
    TTokenKind Kind{};
    Char C{};
  };
  std::vector<TToken> FTokens;
  size_t FLeadingLiterals{};  // literal tokens before the first wildcard
  Char FFirst{};              // the first of them
};

// An escape character of 0 means none. A multi-character wildcard that is
// not the pattern's last character needs at least one text character left
// where it stands; an escape character at the very end is ignored. Runs in
// O(TextLength * PatternLength) at worst.
Boolean vlLikeMatch(const Char* Text, Integer TextLength, const Char* Pattern, Integer PatternLength,
                    Char MultiWildcard, Char SingleWildcard, Char EscapeChar);
Boolean vlMatchesLike(const String& Text, const String& Pattern, Char MultiWildcard, Char SingleWildcard);
// Every run of adjacent wildcards becomes one.
void vlCollapseWildcards(String& Pattern, Char Wildcard);
// Collapses, then removes one leading (2) and one trailing (1) wildcard and
// answers which; a pattern shorter than two characters is left as it is (0).
Byte vlStripLikeWildcards(String& Pattern, Char Wildcard);
