// Collation keys of the user locale (the collation of AnsiCompareStr and
// AnsiCompareText in Strings.h), for sorting many strings by one key each.
#pragma once

#include <string>

#include "platform/rtl/Types.h"

struct UCollator;

// Two keys compared bytewise order as AnsiCompareStr (AnsiCompareText with
// AIgnoreCase) orders the strings.
std::string AnsiCollationKey(const String& S, Boolean AIgnoreCase);

// Builds the keys of AnsiCollationKey, byte for byte, for many strings into
// one growing buffer (no string per key). A builder takes the user locale
// and its own collator when created; a copy has a collator of its own, so
// copies may build keys in parallel threads, one builder per thread.
class TAnsiCollationKeyBuilder {
 public:
  explicit TAnsiCollationKeyBuilder(Boolean AIgnoreCase);
  TAnsiCollationKeyBuilder(const TAnsiCollationKeyBuilder& ASource);
  TAnsiCollationKeyBuilder& operator=(const TAnsiCollationKeyBuilder&) = delete;
  ~TAnsiCollationKeyBuilder();

  // The collation the keys follow (locale and strength): keys built under
  // equal names compare with each other.
  const std::string& Name() const { return FName; }
  // Appends the key of the text to AKeys; answers its length in bytes.
  size_t Append(const Char* AText, size_t ALength, std::string& AKeys) const;

 private:
  UCollator* FCollator{};
  std::string FName;
};
