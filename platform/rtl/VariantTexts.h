// Taking the text out of a string variant, for readers that keep many texts
// (the variant's own string changes hands instead of being copied).
#pragma once

#include "platform/rtl/Variants.h"

// The heap text of a UnicodeString (or OLE string) variant, handed to the
// caller, who deletes it; the variant becomes Empty. nullptr, the variant
// left as it is, for every other type.
String* VarReleaseStr(Variant& V);
// A UnicodeString variant that takes S's text instead of copying it.
Variant VarFromStr(String&& S);
// The text of a UnicodeString (or OLE string) variant, read in place;
// nullptr for every other type.
const String* VarStrRef(const Variant& V);
