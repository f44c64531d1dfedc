#include "platform/rtl/LinkOpener.h"

#include <spawn.h>
#include <sys/wait.h>

#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Strings.h"

extern char** environ;

namespace {

const char16_t* const kAllowedSchemes[] = {u"http://", u"https://", u"ftp://", u"mailto:"};

Char AsciiLower(Char C) { return C >= u'A' && C <= u'Z' ? Char(C - u'A' + u'a') : C; }

bool StartsWithAsciiNoCase(const String& S, const String& APrefix) {
  if (S.size() < APrefix.size()) return false;
  for (size_t i = 0; i < APrefix.size(); ++i)
    if (AsciiLower(S[i]) != AsciiLower(APrefix[i])) return false;
  return true;
}

// Starts xdg-open without a shell, the address as its only argument; a
// thread collects the child when it ends so that no zombie stays behind.
bool SpawnDesktopOpener(const String& AUrl) {
  const std::string url = UTF16ToUTF8(AUrl);
  char program[] = "xdg-open";
  std::string arg = url;
  char* argv[] = {program, arg.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return false;
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

std::mutex& OpenerMutex() {
  static std::mutex m;
  return m;
}

TLinkOpener& CurrentOpener() {
  static TLinkOpener opener;
  return opener;
}

}  // namespace

bool HasAllowedLinkScheme(const String& AText) {
  for (const char16_t* scheme : kAllowedSchemes)
    if (StartsWithAsciiNoCase(AText, scheme)) return true;
  return false;
}

String SanitizedLinkUrl(const String& AUrl) {
  const String url = Trim(AUrl);
  if (!HasAllowedLinkScheme(url)) return String();
  // Control characters (line breaks, NUL, DEL, the C1 range) have no place
  // in an address.
  for (Char c : url)
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return String();
  // Something must follow the scheme.
  for (const char16_t* scheme : kAllowedSchemes)
    if (StartsWithAsciiNoCase(url, scheme) && url.size() == std::char_traits<char16_t>::length(scheme))
      return String();
  return url;
}

bool OpenLink(const String& AUrl) {
  const String url = SanitizedLinkUrl(AUrl);
  if (url.empty()) return false;
  TLinkOpener opener;
  {
    std::lock_guard<std::mutex> lock(OpenerMutex());
    opener = CurrentOpener();
  }
  return opener ? opener(url) : SpawnDesktopOpener(url);
}

TLinkOpener SetLinkOpener(TLinkOpener AOpener) {
  std::lock_guard<std::mutex> lock(OpenerMutex());
  return std::exchange(CurrentOpener(), std::move(AOpener));
}
