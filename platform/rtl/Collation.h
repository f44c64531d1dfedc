// Collation keys of the user locale (the collation of AnsiCompareStr and
// AnsiCompareText in Strings.h), for sorting many strings by one key each.
#pragma once

#include <string>

#include "platform/rtl/Types.h"

// Two keys compared bytewise order as AnsiCompareStr (AnsiCompareText with
// AIgnoreCase) orders the strings.
std::string AnsiCollationKey(const String& S, Boolean AIgnoreCase);
