// Opening a web or mail address with the desktop's standard opener.
//
// Only addresses with an allowed scheme are opened: http://, https://,
// ftp:// and mailto: (the scheme compared without regard to ASCII case).
// Anything else (a path, a program name, file:, javascript:, a text with
// control characters) is refused and nothing is started, so a link typed by
// the user can never run a program. The default opener starts xdg-open
// directly (no shell) with the address as its one argument and does not
// wait for it. Tests install a recording opener with SetLinkOpener.
#pragma once

#include <functional>

#include "platform/rtl/Types.h"

// Hands an accepted address to whatever opens it; answers whether it started.
using TLinkOpener = std::function<bool(const String& AUrl)>;

// The address trimmed when it may be opened, an empty text when it may not.
String SanitizedLinkUrl(const String& AUrl);
// True when AText begins with one of the allowed schemes (any ASCII case).
bool HasAllowedLinkScheme(const String& AText);
// Opens the sanitised address with the current opener; false when the
// address is refused or the opener could not start.
bool OpenLink(const String& AUrl);
// Installs an opener (an empty one restores xdg-open) and answers the previous one.
TLinkOpener SetLinkOpener(TLinkOpener AOpener);
