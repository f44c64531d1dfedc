// Translation data in the form resource: the TranslationData property of the
// localization component, its reader and writer, the merge with an inherited
// form's lines, the per-language character sets and the decoding of legacy
// 8-bit data.
//
// Payload: UTF-16LE text without a mark or terminator; per list kind a header
// line ("stCaptions_Unicode") and the list's lines, CR and LF inside a line
// written as characters 25 and 26, every line ended by CR LF.
#include "localization/qlComp.h"
#include "localization/qlDispatcher.h"

#include "platform/classes/Filer.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"
#include "platform/vcl/Forms.h"

namespace {

constexpr Char kEscapedCR = Char(25);
constexpr Char kEscapedLF = Char(26);
const String kUnicodeSuffix = u"_Unicode";

void AppendUtf16(RawByteString& Out, const String& Text) {
  for (Char c : Text) {
    Out += static_cast<char>(c & 0xFF);
    Out += static_cast<char>(c >> 8);
  }
}

String Escape(const String& Line) {
  String s = Line;
  for (Char& c : s) {
    if (c == u'\r') c = kEscapedCR;
    else if (c == u'\n') c = kEscapedLF;
  }
  return s;
}

String Unescape(const String& Line) {
  String s = Line;
  for (Char& c : s) {
    if (c == kEscapedCR) c = u'\r';
    else if (c == kEscapedLF) c = u'\n';
  }
  return s;
}

// The payload as text: 8-bit in the system code page when the second byte is
// not zero, otherwise UTF-16LE (an odd last byte ignored).
String DecodePayload(const RawByteString& Bytes) {
  if (Bytes.size() < 2) return String();
  if (Bytes[1] != 0) return AnsiToString(Bytes);
  String s;
  s.reserve(Bytes.size() / 2);
  for (size_t i = 0; i + 1 < Bytes.size(); i += 2)
    s += static_cast<Char>(Byte(Bytes[i]) | (Char(Byte(Bytes[i + 1])) << 8));
  return s;
}

// Lines split at CR LF, CR or LF; nothing after a final line break.
std::vector<String> SplitLines(const String& Text) {
  std::vector<String> lines;
  size_t start = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != u'\r' && Text[i] != u'\n') continue;
    lines.push_back(Text.substr(start, i - start));
    if (Text[i] == u'\r' && i + 1 < Text.size() && Text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < Text.size()) lines.push_back(Text.substr(start));
  return lines;
}

// The kind a header line names, -1 for any other line; Unicode tells whether
// it carries the "_Unicode" suffix.
Integer HeaderKind(const String& Line, Boolean& Unicode) {
  for (Integer k = 0; k < StringsTypeCount; ++k) {
    const String name = StringsTypeName(TStringsType(k));
    if (SameText(Line, name)) {
      Unicode = false;
      return k;
    }
    if (SameText(Line, name + kUnicodeSuffix)) {
      Unicode = true;
      return k;
    }
  }
  return -1;
}

RawByteString ReadAll(TStream* Stream) {
  Int64 size = Stream->Size() - Stream->Position();
  RawByteString bytes(size_t(size > 0 ? size : 0), '\0');
  if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), Integer(bytes.size()));
  return bytes;
}

// The fields of an 8-bit line (text after the last delimiter belongs to none).
std::vector<RawByteString> ByteFields(const RawByteString& Bytes, char D) {
  std::vector<RawByteString> fields;
  size_t start = 0;
  for (size_t i = 0; i < Bytes.size(); ++i)
    if (Bytes[i] == D) {
      fields.push_back(Bytes.substr(start, i - start));
      start = i + 1;
    }
  return fields;
}

}  // namespace

void TqlCustomLang::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineBinaryProperty(u"TranslationData", TStreamProc(this, &TqlCustomLang::ReadTranslationData),
                              TStreamProc(this, &TqlCustomLang::WriteTranslationData), HasTranslationData(Filer));
}

Boolean TqlCustomLang::HasTranslationData(TFiler* Filer) {
  auto* ancestor = dynamic_cast<TqlCustomLang*>(Filer->Ancestor());
  if (!ancestor) return true;
  if (FUseInheritedData) return false;
  for (Integer k = 0; k < StringsTypeCount; ++k) {
    TStrings* mine = GetPropListByType(TStringsType(k));
    TStrings* theirs = ancestor->GetPropListByType(TStringsType(k));
    if (mine && theirs && mine->Text() != theirs->Text()) return true;
  }
  return false;
}

void TqlCustomLang::WriteTranslationData(TStream* Stream) {
  RawByteString bytes;
  for (Integer k = 0; k < StringsTypeCount; ++k) {
    TStrings* list = GetPropListByType(TStringsType(k));
    if (!list) continue;
    AppendUtf16(bytes, StringsTypeName(TStringsType(k)) + kUnicodeSuffix + u"\r\n");
    String text;
    for (Integer i = 0; i < list->Count(); ++i) text += Escape(list->Strings(i)) + u"\r\n";
    AppendUtf16(bytes, text);
  }
  if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), Integer(bytes.size()));
}

void TqlCustomLang::ReadTranslationData(TStream* Stream) {
  const std::vector<String> lines = SplitLines(DecodePayload(ReadAll(Stream)));
  // The blocks of the data in order: a kind and its lines. A header followed
  // by nothing more is not a block (it clears nothing).
  struct Block {
    Integer Kind;
    std::vector<String> Lines;
  };
  std::vector<Block> blocks;
  Boolean headerSeen = false;
  Boolean unicodeSeen = false;
  size_t i = 0;
  while (i < lines.size()) {
    Boolean unicode = false;
    Integer kind = HeaderKind(lines[i], unicode);
    ++i;
    if (kind < 0) continue;  // lines before the first header
    headerSeen = true;
    unicodeSeen = unicodeSeen || unicode;
    if (i == lines.size()) break;
    Block block{kind, {}};
    Boolean dummy = false;
    for (; i < lines.size() && HeaderKind(lines[i], dummy) < 0; ++i) block.Lines.push_back(Unescape(lines[i]));
    blocks.push_back(std::move(block));
  }
  // Data whose headers carry no "_Unicode" holds its values as 8-bit text in
  // each language's code page. Each line read is decoded once, before it
  // joins the list: the lines already there (an ancestor's, or those of a
  // kind the data does not name) are text already and are left alone. The
  // fonts and character sets are not decoded and come first, since the
  // character sets decide the code pages. Data without any header was not
  // read at all and leaves the lists as they are.
  const Boolean legacy = headerSeen && !unicodeSeen;
  auto undecoded = [](Integer Kind) { return Kind == stFonts || Kind == stCharSets; };
  if (legacy) {
    for (const Block& b : blocks)
      if (undecoded(b.Kind)) AddTranslationLines(b.Kind, b.Lines);
    UpdateCharsets();
  }
  for (Block& b : blocks) {
    if (legacy && undecoded(b.Kind)) continue;
    if (legacy)
      for (String& line : b.Lines) line = DecodeLegacyLine(line, false);
    AddTranslationLines(b.Kind, b.Lines);
  }
  UpdateCharsets();
  if (!legacy) return;
  for (Integer n = 0; n < FExtendedTranslations->Count(); ++n) {
    TqlExtendedItem* item = FExtendedTranslations->Items(n);
    String decoded = DecodeLegacyLine(String(u" ") + D() + item->Values(), false);
    item->SetValues(Copy(decoded, 3));
  }
}

// One block of read lines into the list of its kind: replacing the list, or
// merged into an inherited form's lines.
void TqlCustomLang::AddTranslationLines(Integer Kind, const std::vector<String>& Lines) {
  TStrings* list = GetPropListByType(TStringsType(Kind));
  if (!list) return;
  const Boolean merging = !IsDesigning() && FIsInheritedOwner && !FQLBLoading;
  const String ownerPrefix = Owner() ? Owner()->ClassName() + D() : String();
  if (!merging) list->Clear();
  for (const String& line : Lines) {
    Integer found = merging ? FindLineByPath(list, line, D()) : -1;
    if (found >= 0) {
      list->SetStrings(found, MergeLine(list->Strings(found), line, D()));
    } else if (!ownerPrefix.empty() && StartsStr(ownerPrefix, line)) {
      list->Insert(0, line);
    } else {
      list->Add(line);
    }
  }
}

// A conversion failure while legacy data is read is an error of the form
// being loaded: it names the component and the language.
void TqlCustomLang::ConversionFailed(Integer ALang) {
  String name = Name().empty() ? ClassName() : Name();
  String language = ALang >= 1 && ALang <= FLangNames->Count() ? FLangNames->Strings(ALang - 1) : String();
  String reason;
  try {
    throw;
  } catch (const Exception& E) {
    reason = E.Message();
  }
  throw ELanguageError(Format(u"%s: the translation data of language %d (%s) cannot be decoded: %s",
                              {name, ALang, language, reason}));
}

String TqlCustomLang::DecodeLegacyLine(const String& Text, Boolean RawBytes) {
  if (Integer(CS_Array.size()) < FNumOfLanguages) FillCharsetArray();
  RawByteString bytes;
  if (RawBytes) {
    AppendUtf16(bytes, Text);
  } else {
    bytes = StringToAnsi(Text);
  }
  RawByteString clean;
  for (char c : bytes)
    if (c != 0) clean += c;
  const char d = static_cast<char>(FLangDelim);
  std::vector<RawByteString> fields = ByteFields(clean, d);
  auto field = [&](Integer Index) { return size_t(Index) < fields.size() ? fields[size_t(Index)] : RawByteString(); };
  auto charsetOf = [&](Integer Lang) {
    return size_t(Lang - 1) < CS_Array.size() ? CS_Array[size_t(Lang - 1)] : Byte(DEFAULT_CHARSET);
  };
  String result;
  if (!RawBytes) result = AnsiToString(field(0)) + D();
  for (Integer n = 1; n <= FNumOfLanguages; ++n) {
    RawByteString value = field(RawBytes ? n - 1 : n);
    try {
      result += (!RawBytes && FStoreAsUTF8) ? Utf8ToWide(value) : CharsetToWide(value, charsetOf(n));
    } catch (const ELanguageError&) {
      ConversionFailed(n);
    }
    result += D();
  }
  return result;
}

Byte TqlCustomLang::GetCharsetForLanguage(Integer ALang) {
  String name;
  if (!Owner() || FQLBLoading)
    name = FCharSets->Count() > 0 ? ExtractField(FCharSets->Strings(0), D(), ALang) : String();
  else
    name = GetStringValue(FCharSets, Owner()->ClassName(), ALang);
  // Without a holder yet, a component of another form of the dispatcher
  // holds the character sets (the last such one).
  if (name.empty() && !FFontsInfoHolder && FLangDispatcher)
    for (Integer i = 0; i < FLangDispatcher->QlLangsCount(); ++i) {
      TqlCustomLang* other = FLangDispatcher->QlLangs(i);
      if (other != this && Is<TCustomForm>(other->Owner())) SetFontsInfoHolder(other);
    }
  if (name.empty() && FFontsInfoHolder && FFontsInfoHolder->Owner())
    name = FFontsInfoHolder->GetStringValue(FFontsInfoHolder->CharSets(), FFontsInfoHolder->Owner()->ClassName(),
                                            ALang);
  Byte charset = DEFAULT_CHARSET;
  return CharsetFromName(name, charset) ? charset : Byte(DEFAULT_CHARSET);
}

void TqlCustomLang::FillCharsetArray() {
  CS_Array.assign(size_t(FNumOfLanguages > 0 ? FNumOfLanguages : 0), DEFAULT_CHARSET);
  for (Integer L = 1; L <= FNumOfLanguages; ++L) CS_Array[size_t(L - 1)] = GetCharsetForLanguage(L);
}

void TqlCustomLang::UpdateCharsets() {
  FillCharsetArray();
  if (FActiveLanguage >= 1 && size_t(FActiveLanguage) <= CS_Array.size())
    CurrentCharset = CS_Array[size_t(FActiveLanguage - 1)];
}
