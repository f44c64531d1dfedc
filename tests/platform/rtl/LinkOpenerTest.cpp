// Which addresses the desktop's opener may receive: only web and mail
// schemes, trimmed, without control characters; the injected opener sees
// exactly the accepted text and nothing for a refused one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/LinkOpener.h"

namespace {

TEST(LinkOpener, OnlyWebAndMailAddressesAreAccepted) {
  struct TCase {
    const char16_t* Url;
    const char16_t* Accepted;  // empty: refused
  } const cases[] = {
      {u"http://example.org/a?b=c&d", u"http://example.org/a?b=c&d"},
      {u"  https://example.org  ", u"https://example.org"},
      {u"HTTP://EXAMPLE.ORG", u"HTTP://EXAMPLE.ORG"},
      {u"Ftp://files.example.org/x", u"Ftp://files.example.org/x"},
      {u"MAILTO:someone@example.org", u"MAILTO:someone@example.org"},
      {u"http://a b", u"http://a b"},
      {u"", u""},
      {u"http://", u""},
      {u"mailto:", u""},
      {u"/usr/bin/xterm", u""},
      {u"xterm", u""},
      {u"-e /bin/sh", u""},
      {u"file:///etc/passwd", u""},
      {u"javascript:alert(1)", u""},
      {u"httpx://example.org", u""},
      {u"www.example.org", u""},
      {u"http://example.org\nrm -rf ~", u""},
      {u"http://example.org\x7f", u""},
      {u"http://example.org\u0085x", u""},  // a control character past ASCII
      {u"http:/example.org", u""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(UTF16ToUTF8(c.Url));
    EXPECT_EQ(UTF16ToUTF8(SanitizedLinkUrl(c.Url)), UTF16ToUTF8(c.Accepted));
  }
}

TEST(LinkOpener, TheOpenerReceivesTheAcceptedTextOnly) {
  std::vector<String> opened;
  TLinkOpener previous = SetLinkOpener([&](const String& AUrl) {
    opened.push_back(AUrl);
    return true;
  });
  EXPECT_TRUE(OpenLink(u" https://example.org/x "));
  EXPECT_FALSE(OpenLink(u"/bin/sh"));
  EXPECT_FALSE(OpenLink(u"file:///tmp/x"));
  EXPECT_EQ(opened, (std::vector<String>{u"https://example.org/x"}));
  // The opener's failure is reported.
  SetLinkOpener([](const String&) { return false; });
  EXPECT_FALSE(OpenLink(u"http://example.org"));
  SetLinkOpener(previous);
}

// Without the desktop's opener on the path the call reports failure and
// nothing else happens.
TEST(LinkOpener, AMissingDesktopOpenerIsReportedAsFailure) {
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  const std::filesystem::path empty = std::filesystem::temp_directory_path() / "link-opener-empty-path";
  std::filesystem::create_directories(empty);
  setenv("PATH", empty.c_str(), 1);
  TLinkOpener previous = SetLinkOpener(nullptr);
  EXPECT_FALSE(OpenLink(u"http://example.org"));
  SetLinkOpener(previous);
  setenv("PATH", saved.c_str(), 1);
  std::filesystem::remove(empty);
}

}  // namespace
