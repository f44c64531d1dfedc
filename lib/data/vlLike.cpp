#include "lib/data/vlLike.h"

#include <vector>

#include "platform/rtl/Strings.h"

void TvlLikePattern::Assign(const Char* APattern, Integer APatternLength, Char AMultiWildcard, Char ASingleWildcard,
                            Char AEscapeChar) {
  if (APatternLength < 0) APatternLength = 0;
  FTokens.clear();
  FTokens.reserve(static_cast<size_t>(APatternLength));
  Boolean Escaped = false;
  for (Integer I = 0; I < APatternLength; ++I) {
    Char C = APattern[I];
    if (AEscapeChar != 0 && !Escaped && C == AEscapeChar) {
      Escaped = true;
      continue;
    }
    if (!Escaped && C == AMultiWildcard)
      FTokens.push_back({I == APatternLength - 1 ? TTokenKind::FinalWildcard : TTokenKind::Wildcard, C});
    else if (!Escaped && C == ASingleWildcard)
      FTokens.push_back({TTokenKind::AnyChar, C});
    else
      FTokens.push_back({TTokenKind::Literal, C});
    Escaped = false;
  }
  FLeadingLiterals = 0;
  while (FLeadingLiterals < FTokens.size() && FTokens[FLeadingLiterals].Kind == TTokenKind::Literal)
    ++FLeadingLiterals;
  FFirst = FLeadingLiterals > 0 ? FTokens[0].C : Char(0);
}

// The matcher's meaning is the recursive one (a wildcard tries the rest of
// the pattern at each text position from where it stands while a text
// character remains there). It is computed by backtracking to the latest
// wildcard only: a later wildcard reached from an earlier text position can
// try every continuation a later position could, so earlier wildcards never
// need to be revisited. That bounds the work by text length times pattern
// length instead of growing exponentially with the number of wildcards.
Boolean TvlLikePattern::Matches(const Char* Text, Integer TextLength) const {
  return Match(TextLength, [Text](size_t I) { return Text[I]; });
}

Boolean TvlLikePattern::MatchesUpperCase(const Char* Text, Integer TextLength, const TAnsiUpperCaseUnits& AUpper) const {
  const size_t N = TextLength < 0 ? 0 : static_cast<size_t>(TextLength);
  return Match(TextLength, [Text, N, &AUpper](size_t I) { return AUpper.At(Text, N, I); });
}

// AUnit(I): the text's code unit at I.
template <class TUnit>
Boolean TvlLikePattern::Match(Integer TextLength, TUnit AUnit) const {
  if (TextLength < 0) TextLength = 0;
  const TToken* Tokens = FTokens.data();
  const size_t P = FTokens.size();
  const size_t N = static_cast<size_t>(TextLength);
  // Literals before any wildcard must match the text's first units: a
  // failure there has no wildcard to fall back to.
  const size_t L = FLeadingLiterals;
  if (L > N) return false;
  for (size_t I = 0; I < L; ++I)
    if (Tokens[I].C != AUnit(I)) return false;
  size_t Pi = L, Ti = L;
  size_t StarP = SIZE_MAX, StarT = 0;
  for (;;) {
    Boolean Failed = false;
    if (Pi < P && Tokens[Pi].Kind == TTokenKind::FinalWildcard) return true;
    if (Pi < P && Tokens[Pi].Kind == TTokenKind::Wildcard) {
      if (Ti >= N) {
        Failed = true;
      } else {
        StarP = Pi;
        StarT = Ti;
        ++Pi;
        continue;
      }
    } else if (Pi == P) {
      if (Ti == N) return true;
      Failed = true;
    } else if (Ti < N && (Tokens[Pi].Kind == TTokenKind::AnyChar || Tokens[Pi].C == AUnit(Ti))) {
      ++Pi;
      ++Ti;
      continue;
    } else {
      Failed = true;
    }
    if (Failed) {
      // The latest wildcard takes one more text character.
      if (StarP == SIZE_MAX) return false;
      ++StarT;
      if (StarT >= N) return false;
      Pi = StarP + 1;
      Ti = StarT;
    }
  }
}

Boolean vlLikeMatch(const Char* Text, Integer TextLength, const Char* Pattern, Integer PatternLength,
                    Char MultiWildcard, Char SingleWildcard, Char EscapeChar) {
  // One token buffer per thread, reused: a filter calls this once per record.
  thread_local TvlLikePattern Tokens;
  Tokens.Assign(Pattern, PatternLength, MultiWildcard, SingleWildcard, EscapeChar);
  return Tokens.Matches(Text, TextLength);
}

Boolean vlMatchesLike(const String& Text, const String& Pattern, Char MultiWildcard, Char SingleWildcard) {
  return vlLikeMatch(Text.data(), static_cast<Integer>(Text.size()), Pattern.data(),
                     static_cast<Integer>(Pattern.size()), MultiWildcard, SingleWildcard, 0);
}

void vlCollapseWildcards(String& Pattern, Char Wildcard) {
  String Result;
  Result.reserve(Pattern.size());
  for (Char C : Pattern)
    if (!(C == Wildcard && !Result.empty() && Result.back() == Wildcard)) Result.push_back(C);
  Pattern = std::move(Result);
}

Byte vlStripLikeWildcards(String& Pattern, Char Wildcard) {
  vlCollapseWildcards(Pattern, Wildcard);
  if (Pattern.size() < 2) return 0;
  const Boolean Leading = Pattern.front() == Wildcard;
  const Boolean Trailing = Pattern.back() == Wildcard;
  Byte Result = 0;
  if (Leading) {
    Pattern.erase(0, 1);
    Result |= 2;
  }
  if (Trailing) {
    Pattern.pop_back();
    Result |= 1;
  }
  return Result;
}
