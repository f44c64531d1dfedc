// Text encodings: UTF-8 and UTF-16 conversions, and the code pages of
// 8-bit text with the system ANSI code page.
#pragma once

#include "platform/rtl/Types.h"

// UTF-8 <-> UTF-16. Ill-formed input becomes U+FFFD; nothing is dropped silently.
UTF8String UTF16ToUTF8(const String& S);
String UTF8ToUTF16(const UTF8String& S);
