// Line and text operations of the translation model, the character-set
// names and code-page conversions, and the published property lists.
#include "localization/qlComp.h"
#include "platform/classes/StringLists.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TqlPropInfoList)

const TTypeKinds qlAllKinds = tkAny - TTypeKinds{tkUnknown};
const TTypeKinds qlClassKinds{tkClass};
const TTypeKinds qlStringKinds{tkString, tkLString, tkWString, tkUString};

namespace {

// The fields of a line: the texts before each delimiter; Rest is the text
// after the last one (it belongs to no field).
std::vector<String> Fields(const String& Line, Char D, String* Rest = nullptr) {
  std::vector<String> fields;
  size_t start = 0;
  for (size_t i = 0; i < Line.size(); ++i)
    if (Line[i] == D) {
      fields.push_back(Line.substr(start, i - start));
      start = i + 1;
    }
  if (Rest) *Rest = Line.substr(start);
  return fields;
}

String JoinFields(const std::vector<String>& Fields, Char D) {
  String s;
  for (const String& f : Fields) {
    s += f;
    s += D;
  }
  return s;
}

struct TCharsetName {
  const char16_t* Name;
  Byte Charset;
};
const TCharsetName kCharsetNames[] = {
    {u"ANSI_CHARSET", ANSI_CHARSET},           {u"DEFAULT_CHARSET", DEFAULT_CHARSET},
    {u"SYMBOL_CHARSET", SYMBOL_CHARSET},       {u"MAC_CHARSET", MAC_CHARSET},
    {u"SHIFTJIS_CHARSET", SHIFTJIS_CHARSET},   {u"HANGEUL_CHARSET", HANGEUL_CHARSET},
    {u"JOHAB_CHARSET", JOHAB_CHARSET},         {u"GB2312_CHARSET", GB2312_CHARSET},
    {u"CHINESEBIG5_CHARSET", CHINESEBIG5_CHARSET}, {u"GREEK_CHARSET", GREEK_CHARSET},
    {u"TURKISH_CHARSET", TURKISH_CHARSET},     {u"VIETNAMESE_CHARSET", VIETNAMESE_CHARSET},
    {u"HEBREW_CHARSET", HEBREW_CHARSET},       {u"ARABIC_CHARSET", ARABIC_CHARSET},
    {u"BALTIC_CHARSET", BALTIC_CHARSET},       {u"RUSSIAN_CHARSET", RUSSIAN_CHARSET},
    {u"THAI_CHARSET", THAI_CHARSET},           {u"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
    {u"OEM_CHARSET", OEM_CHARSET}};

Integer HexDigit(Char C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  return -1;
}

}  // namespace

Boolean CharsetFromName(const String& Name, Byte& Charset) {
  for (const TCharsetName& c : kCharsetNames)
    if (Name == c.Name) {
      Charset = c.Charset;
      return true;
    }
  return false;
}

String ExtractField(const String& Line, Char D, Integer N) {
  if (N < 0) return String();
  std::vector<String> fields = Fields(Line, D);
  return size_t(N) < fields.size() ? fields[size_t(N)] : String();
}

Integer CountDelimiters(const String& Text, const String& Chars) {
  Integer n = 0;
  for (Char c : Text)
    if (Chars.find(c) != String::npos) ++n;
  return n;
}

Integer TokenStart(Integer N, const String& Text, const String& Delimiters) {
  const Integer len = Length(Text);
  if (len == 0 || N < 1) return len;
  Integer pos = 1;
  if (Delimiters.find(Text[0]) != String::npos) pos = 2;
  for (Integer token = 1; token < N; ++token) {
    while (pos <= len && Delimiters.find(Text[size_t(pos - 1)]) == String::npos) ++pos;
    if (pos > len) return len;
    ++pos;  // past the delimiter
  }
  return pos > len ? len : pos;
}

String ExtractToken(Integer N, const String& Text, const String& Delimiters) {
  Integer start = TokenStart(N, Text, Delimiters);
  if (start >= Length(Text)) return String();
  Integer end = start;
  while (end <= Length(Text) && Delimiters.find(Text[size_t(end - 1)]) == String::npos) ++end;
  return Copy(Text, start, end - start);
}

String DeleteLanguageColumn(const String& Line, Integer N, Char D) {
  std::vector<String> fields = Fields(Line, D);
  if (N >= 1 && size_t(N) < fields.size()) {
    fields.erase(fields.begin() + N);
    fields.push_back(String());
  }
  return JoinFields(fields, D);
}

void DeleteLanguageColumns(TStrings* List, Integer N, Char D) {
  for (Integer i = List->Count() - 1; i >= 0; --i) List->SetStrings(i, DeleteLanguageColumn(List->Strings(i), N, D));
}

String MoveLanguageColumn(const String& Line, Integer From, Integer To, Char D) {
  String rest;
  std::vector<String> fields = Fields(Line, D, &rest);
  const Integer count = Integer(fields.size());
  if (From == To || From < 1 || To < 1 || From >= count || To >= count) return Line;
  String moved = fields[size_t(From)];
  fields.erase(fields.begin() + From);
  fields.insert(fields.begin() + To, moved);
  return JoinFields(fields, D) + rest;
}

void MoveLanguageColumns(TStrings* List, Integer From, Integer To, Char D) {
  for (Integer i = List->Count() - 1; i >= 0; --i)
    List->SetStrings(i, MoveLanguageColumn(List->Strings(i), From, To, D));
}

String InvertCase(const String& Text) {
  String s = Text;
  for (Char& c : s) c = IsCharUpperW(c) ? AnsiLowerChar(c) : AnsiUpperChar(c);
  return s;
}

String ExpandChars(const String& Text, Char PadChar, Integer Percent) {
  if (Pos(u'%', Text) > 0) return Text;
  const Integer len = Length(Text);
  Integer remaining = Integer(Int64(len) * Percent / 100);
  if (remaining <= 0) return Text;
  String s;
  for (Integer i = 0; i < len; ++i) {
    s += Text[size_t(i)];
    Integer pads = remaining / (len - i);
    s.append(size_t(pads), PadChar);
    remaining -= pads;
  }
  return s;
}

String DecodeEscapes(const String& Text) {
  String out;
  const size_t n = Text.size();
  size_t i = 0;
  while (i < n) {
    Char c = Text[i];
    if (c != u'\\' || i + 1 == n) {
      out += c;
      ++i;
      continue;
    }
    Char e = Text[i + 1];
    switch (e) {
      case u'"': case u'\'': case u'?': case u'\\': out += e; i += 2; continue;
      case u'a': out += Char(7); i += 2; continue;
      case u'b': out += Char(8); i += 2; continue;
      case u'f': out += Char(12); i += 2; continue;
      case u'n': out += Char(10); i += 2; continue;
      case u'r': out += Char(13); i += 2; continue;
      case u't': out += Char(9); i += 2; continue;
      case u'v': out += Char(11); i += 2; continue;
      default: break;
    }
    if (e >= u'0' && e <= u'7') {
      Integer value = e - u'0';
      size_t k = i + 2;
      for (Integer digits = 1; digits < 3 && k < n && Text[k] >= u'0' && Text[k] <= u'7'; ++digits, ++k)
        value = value * 8 + (Text[k] - u'0');
      out += Char(value);
      i = k;
      continue;
    }
    if (e == u'x') {
      if (i + 2 >= n) {  // "\x" at the very end
        out += u"\\x";
        i += 2;
        continue;
      }
      Integer first = HexDigit(Text[i + 2]);
      if (first < 0) {  // "\x" stays; the next character is scanned normally
        out += u"\\x";
        i += 2;
        continue;
      }
      Integer value = first;
      size_t k = i + 3;
      if (k < n && HexDigit(Text[k]) >= 0) value = value * 16 + HexDigit(Text[k++]);
      out += Char(value);
      i = k;
      continue;
    }
    out += c;
    out += e;
    i += 2;
  }
  return out;
}

std::vector<String> SplitLine(const String& Line, Char D) {
  String rest;
  std::vector<String> items = Fields(Line, D, &rest);
  if (!rest.empty()) items.push_back(rest);
  return items;
}

String JoinLine(const std::vector<String>& Items, const String& Separator) {
  String s;
  for (size_t i = 0; i < Items.size(); ++i) {
    if (i > 0) s += Separator;
    s += Items[i];
  }
  return s;
}

String MergeLine(const String& Old, const String& New, Char D) {
  std::vector<String> oldItems = SplitLine(Old, D);
  std::vector<String> newItems = SplitLine(New, D);
  std::vector<String> result;
  if (!oldItems.empty()) result.push_back(oldItems[0]);
  for (size_t i = 1; i < oldItems.size(); ++i)
    result.push_back(i < newItems.size() && !newItems[i].empty() ? newItems[i] : oldItems[i]);
  for (size_t i = oldItems.size(); i < newItems.size(); ++i) result.push_back(newItems[i]);
  return JoinLine(result, String(1, D)) + D;
}

Integer FindLineByPath(TStrings* List, const String& Line, Char D) {
  std::vector<String> items = SplitLine(Line, D);
  if (items.empty()) return -1;
  for (Integer i = 0; i < List->Count(); ++i) {
    std::vector<String> other = SplitLine(List->Strings(i), D);
    if (!other.empty() && SameText(other[0], items[0])) return i;
  }
  return -1;
}

void UpdateStringsInPlace(TStrings* Target, TStrings* Source) {
  auto* sorted = dynamic_cast<TStringList*>(Target);
  if (sorted && !sorted->Sorted()) sorted = nullptr;
  if (sorted) sorted->SetSorted(false);
  for (Integer i = 0; i < Source->Count(); ++i) {
    String text = Source->Strings(i);
    if (qlWriteStrPropHook) qlWriteStrPropHook(Target, nullptr, text);
    if (i < Target->Count())
      Target->SetStrings(i, text);
    else
      Target->Add(text);
  }
  while (Target->Count() > Source->Count()) Target->Delete(Target->Count() - 1);
  if (sorted) sorted->SetSorted(true);
}

// --- Code pages ------------------------------------------------------------------------------

String CharsetToWide(const RawByteString& Bytes, Byte Charset) {
  if (Bytes.empty()) return String();
  Cardinal page = CharsetToCodePage(Charset);
  Integer n = MultiByteToWideChar(page, MB_PRECOMPOSED, Bytes.data(), Integer(Bytes.size()), nullptr, 0);
  String s(size_t(n > 0 ? n : 0), u'\0');
  if (n <= 0 || MultiByteToWideChar(page, MB_PRECOMPOSED, Bytes.data(), Integer(Bytes.size()), s.data(), n) != n)
    throw ELanguageError(Format(u"Text cannot be converted from code page %d", {Integer(page)}));
  return s;
}

RawByteString WideToCharset(const String& Text, Byte Charset) {
  if (Text.empty()) return RawByteString();
  Cardinal page = CharsetToCodePage(Charset);
  Integer n = WideCharToMultiByte(page, 0, Text.data(), Length(Text), nullptr, 0, nullptr, nullptr);
  RawByteString s(size_t(n > 0 ? n : 0), '\0');
  if (n <= 0 || WideCharToMultiByte(page, 0, Text.data(), Length(Text), s.data(), n, nullptr, nullptr) != n)
    throw ELanguageError(Format(u"Text cannot be converted to code page %d", {Integer(page)}));
  return s;
}

String Utf8ToWide(const RawByteString& Bytes) { return UTF8ToUTF16(Bytes); }

RawByteString WideToUtf8(const String& Text) { return UTF16ToUTF8(Text); }

// --- TqlPropInfoList -------------------------------------------------------------------------

void TqlPropInfoList::Create(TObject* AObject, TTypeKinds Filter) {
  inherited::Create();
  if (!AObject) throw Exception(u"NIL passed as AObject in TqlPropInfoList.Create!");
  FList = GetPropList(AObject->ClassType(), Filter, true);
  FCount = Integer(FList.size());
  FSize = FCount * Integer(sizeof(const TPropInfo*));
}

const TPropInfo* TqlPropInfoList::Find(const String& AName) {
  for (const TPropInfo* p : FList)
    if (SameText(p->Name, AName)) return p;
  return nullptr;
}

Boolean TqlPropInfoList::Contains(const TPropInfo* P) {
  for (const TPropInfo* p : FList)
    if (p->PropType == P->PropType && SameText(p->Name, P->Name)) return true;
  return false;
}

void TqlPropInfoList::Delete(Integer Index) {
  FList.erase(FList.begin() + Index);
  FCount = Integer(FList.size());
  FSize = FCount * Integer(sizeof(const TPropInfo*));
}

void TqlPropInfoList::Intersect(TqlPropInfoList* List) {
  for (Integer i = FCount - 1; i >= 0; --i)
    if (!List->Contains(FList[size_t(i)])) Delete(i);
}
