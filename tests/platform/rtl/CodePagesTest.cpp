#include <gtest/gtest.h>

#include <unicode/ucnv.h>

#include <string>

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"

using namespace std::string_literals;

namespace {

class LocaleScope {
 public:
  explicit LocaleScope(TSystemLocale L) : FSaved(SystemLocale()) { SetSystemLocale(L); }
  ~LocaleScope() { SetSystemLocale(FSaved); }

 private:
  TSystemLocale FSaved;
};

TEST(Utf, RoundTripsAndReplacesIllFormedInput) {
  const String text = u"Kontör İı \U0001F600";
  EXPECT_EQ(UTF8ToUTF16(UTF16ToUTF8(text)), text);
  EXPECT_EQ(UTF8ToUTF16("\xC3"), u"\xFFFD");                        // truncated sequence
  EXPECT_EQ(UTF8ToUTF16("\xC0\xAF"), u"\xFFFD\xFFFD");              // overlong form
  EXPECT_EQ(UTF16ToUTF8(String(1, Char(0xD800))), "\xEF\xBF\xBD");  // lone surrogate
}

TEST(CodePages, Turkish1254RoundTripsTheTurkishLetters) {
  const String letters = u"ĞÜŞİÖÇğüşıöç";
  const AnsiString bytes = StringToAnsi(letters, 1254);
  EXPECT_EQ(bytes, "\xD0\xDC\xDE\xDD\xD6\xC7\xF0\xFC\xFE\xFD\xF6\xE7");
  EXPECT_EQ(AnsiToString(bytes, 1254), letters);
  // The system code page (Turkish by setting) does the same.
  LocaleScope tr(TSystemLocale::Turkish);
  EXPECT_EQ(StringToAnsi(letters), bytes);
  EXPECT_EQ(AnsiToString(bytes), letters);
}

TEST(CodePages, UnmappableCharactersBecomeQuestionMarks) {
  struct Case {
    Cardinal CodePage;
    const char16_t* Text;
    const char* Bytes;
  } cases[] = {
      {1252, u"ĞŞ€", "??\x80"},          // Turkish letters are not in 1252
      {1254, u"ÐÞ€", "??\x80"},          // the letters 1254 replaced are gone
      {1254, u"\u0080\u0081", "?\x81"},  // 0x81 is undefined and maps to itself
      {1254, u"a\U0001F600b", "a?b"},    // a surrogate pair is one character
      {1254, u"\xD800z", "?z"},          // a lone surrogate
      {1254, u"漢", "?"},
      {1251, u"Жİ", "\xC6?"},        // through ICU
      {932, u"A漢€", "A\x8A\xBF?"},  // a double-byte page through ICU
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "page " << c.CodePage << " case " << (&c - cases));
    EXPECT_EQ(StringToAnsi(c.Text, c.CodePage), c.Bytes);
  }
}

TEST(CodePages, ExactTablesAgreeWithIcuOnEveryDefinedByte) {
  for (const Cardinal page : {1252u, 1254u}) {
    UErrorCode err = U_ZERO_ERROR;
    UConverter* cnv = ucnv_open(("windows-" + std::to_string(page)).c_str(), &err);
    ASSERT_TRUE(U_SUCCESS(err));
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      UChar icu[4] = {};
      err = U_ZERO_ERROR;
      const int32_t n = ucnv_toUChars(cnv, icu, 4, &byte, 1, &err);
      const String ours = AnsiToString(RawByteString(1, byte), page);
      ASSERT_EQ(ours.size(), 1u) << "byte " << b;
      if (n == 1 && icu[0] != 0xFFFD && icu[0] != 0x1A) {
        EXPECT_EQ(static_cast<int>(ours[0]), static_cast<int>(icu[0])) << "page " << page << " byte " << b;
      }
      EXPECT_EQ(StringToAnsi(ours, page), RawByteString(1, byte)) << "page " << page << " byte " << b;
    }
    ucnv_close(cnv);
  }
}

TEST(CodePages, MultiByteToWideCharShapes) {
  const char bytes[] = "\xDE\x65ker";                                             // "Şeker" in 1254
  EXPECT_EQ(MultiByteToWideChar(1254, MB_PRECOMPOSED, bytes, 5, nullptr, 0), 5);  // size query
  EXPECT_EQ(MultiByteToWideChar(1254, 0, bytes, -1, nullptr, 0), 6);              // NUL counted
  Char out[8] = {};
  EXPECT_EQ(MultiByteToWideChar(1254, MB_PRECOMPOSED, bytes, 5, out, 8), 5);
  EXPECT_EQ(String(out, 5), u"Şeker");
  EXPECT_EQ(MultiByteToWideChar(1254, 0, bytes, 5, out, 4), 0);  // buffer too small
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xC5\x9E", 2, out, 8), 1);
  EXPECT_EQ(out[0], u'Ş');
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC3", 2, out, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3", 2, out, 8), 2);
  EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "\x81", 1, out, 8), 0);  // cut double-byte
  EXPECT_EQ(MultiByteToWideChar(932, 0, "\x81", 1, out, 8), 1);
  EXPECT_EQ(out[0], u'?');
  EXPECT_EQ(MultiByteToWideChar(1254, 0, bytes, 0, out, 8), 0);   // empty input fails, as on the platform
  EXPECT_EQ(MultiByteToWideChar(12345, 0, bytes, 5, out, 8), 0);  // unknown page
  EXPECT_EQ(MultiByteToWideChar(1200, 0, bytes, 4, out, 8), 0);   // UTF-16 is not a byte page
}

TEST(CodePages, WideCharToMultiByteShapes) {
  const Char text[] = u"Ş€漢";
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, 3, nullptr, 0, nullptr, nullptr), 8);
  char out[16] = {};
  BOOL used = 0;
  EXPECT_EQ(WideCharToMultiByte(1254, 0, text, -1, out, 16, nullptr, &used), 4);  // NUL converted
  EXPECT_EQ(std::string(out, 4), "\xDE\x80?\0"s);
  EXPECT_TRUE(used);
  const char star = '*';
  EXPECT_EQ(WideCharToMultiByte(1254, 0, text, 3, out, 16, &star, &used), 3);
  EXPECT_EQ(std::string(out, 3), "\xDE\x80*");
  EXPECT_EQ(WideCharToMultiByte(1254, 0, text, 2, out, 16, nullptr, &used), 2);
  EXPECT_FALSE(used);
  EXPECT_EQ(WideCharToMultiByte(1254, 0, text, 3, out, 2, nullptr, nullptr), 0);    // buffer too small
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, text, 3, out, 16, &star, nullptr), 0);  // no default with UTF-8
  const Char lone[] = {0xDC00};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 1, out, 16, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 1, out, 16, nullptr, nullptr), 3);
}

TEST(CodePages, SystemCodePageFollowsTheLocale) {
  {
    LocaleScope en(TSystemLocale::EnglishUS);
    EXPECT_EQ(StringToAnsi(u"İş"), "??");
    EXPECT_EQ(AnsiToString("\xDD\xFE"), u"Ýþ");
    EXPECT_EQ(ResolveCodePage(CP_ACP), 1252u);
  }
  LocaleScope tr(TSystemLocale::Turkish);
  EXPECT_EQ(StringToAnsi(u"İş"), "\xDD\xFE");
  EXPECT_EQ(ResolveCodePage(CP_ACP), 1254u);
  EXPECT_EQ(ResolveCodePage(1251), 1251u);
  EXPECT_TRUE(IsValidCodePage(CP_ACP));
  EXPECT_TRUE(IsValidCodePage(1255));
  EXPECT_FALSE(IsValidCodePage(CP_UTF7));
  EXPECT_EQ(AnsiToString("abc", 4242), u"");  // unknown page
}

TEST(CodePages, DBCSLeadBytes) {
  LocaleScope tr(TSystemLocale::Turkish);
  for (int b = 0; b < 256; ++b) ASSERT_FALSE(IsDBCSLeadByte(static_cast<Byte>(b))) << b;
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x81));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0x41));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xA1));  // a single-byte katakana
  EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x81));
}

TEST(CodePages, CharsetTable) {
  struct Row {
    Byte Charset;
    Cardinal CodePage;  // 0: the platform reports none
  } rows[] = {
      {ANSI_CHARSET, 1252},       {DEFAULT_CHARSET, 0},
      {SYMBOL_CHARSET, 42},       {MAC_CHARSET, 0},
      {SHIFTJIS_CHARSET, 932},    {HANGEUL_CHARSET, 949},
      {JOHAB_CHARSET, 1361},      {GB2312_CHARSET, 936},
      {CHINESEBIG5_CHARSET, 950}, {GREEK_CHARSET, 1253},
      {TURKISH_CHARSET, 1254},    {VIETNAMESE_CHARSET, 1258},
      {HEBREW_CHARSET, 1255},     {ARABIC_CHARSET, 1256},
      {BALTIC_CHARSET, 1257},     {RUSSIAN_CHARSET, 1251},
      {THAI_CHARSET, 874},        {EASTEUROPE_CHARSET, 1250},
      {OEM_CHARSET, 0},           {99, 0},
  };
  LocaleScope tr(TSystemLocale::Turkish);
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "charset " << static_cast<int>(r.Charset));
    CHARSETINFO info;
    const BOOL ok = TranslateCharsetInfo(reinterpret_cast<Cardinal*>(static_cast<uintptr_t>(r.Charset)),
                                         &info, TCI_SRCCHARSET);
    EXPECT_EQ(ok != 0, r.CodePage != 0);
    if (ok) {
      EXPECT_EQ(info.ciACP, r.CodePage);
      EXPECT_EQ(info.ciCharset, r.Charset);
    }
    EXPECT_EQ(CharsetToCodePage(r.Charset), r.CodePage != 0 ? r.CodePage : 1254u);
  }
  CHARSETINFO info;
  ASSERT_TRUE(TranslateCharsetInfo(reinterpret_cast<Cardinal*>(uintptr_t{1251}), &info, TCI_SRCCODEPAGE));
  EXPECT_EQ(info.ciCharset, RUSSIAN_CHARSET);
  Cardinal sig[2] = {FS_TURKISH, 0};
  ASSERT_TRUE(TranslateCharsetInfo(sig, &info, TCI_SRCFONTSIG));
  EXPECT_EQ(info.ciACP, 1254u);
  LocaleScope en(TSystemLocale::EnglishUS);
  EXPECT_EQ(CharsetToCodePage(DEFAULT_CHARSET), 1252u);
}

TEST(CodePages, SymbolPageUsesThePrivateUseArea) {
  EXPECT_EQ(AnsiToString("\x01\x41\xFF"s, CP_SYMBOL), u"\x01\xF041\xF0FF");
  EXPECT_EQ(StringToAnsi(u"\xF041\x01\x1234", CP_SYMBOL), "\x41\x01?");
}

TEST(TextFiles, DetectsByteOrderMarks) {
  struct Case {
    std::string Bytes;
    TTextEncoding Encoding;
    Integer BOMLength;
    const char16_t* Text;
  } cases[] = {
      {"\xEF\xBB\xBFK\xC3\xB6", TTextEncoding::UTF8, 3, u"Kö"},
      {"\xFF\xFEK\x00\xF6\x00"s, TTextEncoding::UTF16LE, 2, u"Kö"},
      {"\xFE\xFF\x00K\x00\xF6"s, TTextEncoding::UTF16BE, 2, u"Kö"},
      {"K\xF6\xFE", TTextEncoding::Ansi, 0, u"Köş"},                  // 1254
      {"\xEF\xBB", TTextEncoding::Ansi, 0, u"ï»"},                    // a cut mark is text
      {"\xFF\xFEK\x00\x41"s, TTextEncoding::UTF16LE, 2, u"K\xFFFD"},  // odd last byte
      {"\xFF\xFE", TTextEncoding::UTF16LE, 2, u""},
      {"", TTextEncoding::Ansi, 0, u""},
  };
  LocaleScope tr(TSystemLocale::Turkish);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    const TDecodedText d = DecodeText(c.Bytes);
    EXPECT_EQ(d.Encoding, c.Encoding);
    EXPECT_EQ(d.BOMLength, c.BOMLength);
    EXPECT_EQ(d.Text, c.Text);
    EXPECT_EQ(DetectBOM(c.Bytes).Encoding, c.Encoding);
  }
  EXPECT_EQ(DecodeText("\xDE", 1252).Text, u"Þ");  // explicit page for text without a mark
}

TEST(TextFiles, EncodesForSaving) {
  LocaleScope tr(TSystemLocale::Turkish);
  const String text = u"Şa";
  EXPECT_EQ(EncodeText(text, TTextEncoding::Ansi),
            "\xDE"
            "a");
  EXPECT_EQ(EncodeText(text, TTextEncoding::UTF8),
            "\xEF\xBB\xBF\xC5\x9E"
            "a");
  EXPECT_EQ(EncodeText(text, TTextEncoding::UTF8, false),
            "\xC5\x9E"
            "a");
  EXPECT_EQ(EncodeText(text, TTextEncoding::UTF16LE), "\xFF\xFE\x5E\x01\x61\x00"s);
  EXPECT_EQ(EncodeText(text, TTextEncoding::UTF16BE), "\xFE\xFF\x01\x5E\x00\x61"s);
  for (TTextEncoding e :
       {TTextEncoding::Ansi, TTextEncoding::UTF8, TTextEncoding::UTF16LE, TTextEncoding::UTF16BE})
    EXPECT_EQ(DecodeText(EncodeText(text, e)).Text, text) << static_cast<int>(e);
}

// A stated encoding: bytes that look like a mark are text of that encoding.
TEST(TextFiles, DecodesInAStatedEncodingWithoutLookingForAMark) {
  struct Case {
    std::string Bytes;
    TTextEncoding Encoding;
    String Text;
  } cases[] = {
      {"\xEF\xBB\xBF" "a", TTextEncoding::UTF8, u"\uFEFFa"},
      {"\xFF\xFE\x61\x00"s, TTextEncoding::UTF16LE, u"\uFEFFa"},
      {"\xFE\xFF\x00\x61"s, TTextEncoding::UTF16BE, u"\uFEFFa"},
      {"\xFF\xFE", TTextEncoding::Ansi, u"ÿş"},  // 1254: not a mark, two letters
      {"\x5E\x01\x61"s, TTextEncoding::UTF16LE, u"\u015E\uFFFD"},  // an odd last byte
      {"\xC5", TTextEncoding::UTF8, u"\uFFFD"},                       // ill-formed
      {"", TTextEncoding::UTF16BE, u""},
  };
  LocaleScope tr(TSystemLocale::Turkish);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(DecodeTextAs(c.Bytes, c.Encoding), c.Text);
    EXPECT_EQ(DecodeTextAs(c.Bytes.data(), c.Bytes.size(), c.Encoding), c.Text);
  }
  EXPECT_EQ(DecodeTextAs("\xDE", TTextEncoding::Ansi, 1252), u"Þ");
  EXPECT_EQ(DecodeTextAs(nullptr, 0, TTextEncoding::UTF8), u"");
}

}  // namespace

namespace {

// Arbitrary bytes through every page: no crash, and the decoded text encodes
// back without failing.
TEST(CodePages, ArbitraryBytesDecodeOnEveryPage) {
  uint32_t seed = 12345;
  const auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<char>(seed >> 16);
  };
  for (const Cardinal page : {1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u, 874u, 932u, 936u,
                              949u, 950u, CP_UTF8, CP_SYMBOL, CP_OEMCP}) {
    SCOPED_TRACE(testing::Message() << "page " << page);
    ASSERT_TRUE(IsValidCodePage(page));
    for (int round = 0; round < 20; ++round) {
      std::string bytes;
      for (int i = 0; i < 1 + round * 7; ++i) bytes += next();
      const String text = AnsiToString(bytes, page);
      EXPECT_FALSE(text.empty());
      Char buf[256];
      EXPECT_EQ(MultiByteToWideChar(page, 0, bytes.data(), static_cast<Integer>(bytes.size()), buf, 256),
                static_cast<Integer>(text.size()));
      EXPECT_EQ(WideCharToMultiByte(page, 0, text.data(), static_cast<Integer>(text.size()), nullptr, 0,
                                    nullptr, nullptr),
                static_cast<Integer>(StringToAnsi(text, page).size()));
    }
  }
}

}  // namespace
