#include "platform/classes/IniFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>

#include "platform/classes/Registry.h"
#include "platform/classes/Streams.h"
#include "platform/classes/StringLists.h"
#include "platform/classes/WinRegistry.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Finally.h"
#include "platform/rtl/Locale.h"
#include "platform/rtl/Strings.h"

CL_IMPLEMENT_CLASS(TCustomIniFile)
CL_IMPLEMENT_CLASS(TIniFile)
CL_IMPLEMENT_CLASS(TMemIniFile)
CL_IMPLEMENT_CLASS(TRegistryIniFile)

namespace {

using win::FoldName;

[[noreturn]] void RaiseWriteError(const String& FileName) {
  throw EIniFileException(u"Unable to write to " + FileName);
}

bool HasLineBreak(const String& S) { return S.find_first_of(u"\r\n") != String::npos; }

// Refuses names and values that would change the structure of the text.
void CheckEntry(const String& Section, const String& Ident, const String& Value) {
  if (HasLineBreak(Section) || Section.find(u']') != String::npos)
    throw EIniFileException(u"Invalid section name \"" + Section + u"\"");
  String key = Trim(Ident);
  if (HasLineBreak(Ident) || Ident.find(u'=') != String::npos || (!key.empty() && (key[0] == u'[' || key[0] == u';')))
    throw EIniFileException(u"Invalid key name \"" + Ident + u"\"");
  if (HasLineBreak(Value)) throw EIniFileException(u"Invalid value for \"" + Ident + u"\": it holds a line break");
}

// --- Files ---------------------------------------------------------------------

const TIniFileStore* gStore = nullptr;

// Reads a whole file; false when it is missing or cannot be read (Missing
// tells which).
bool ReadDiskBytes(const String& FileName, RawByteString& Bytes, bool* Missing) {
  int fd = ::open(UTF16ToUTF8(FileName).c_str(), O_RDONLY | O_CLOEXEC);
  if (Missing) *Missing = fd < 0 && errno == ENOENT;
  if (fd < 0) return false;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      return n == 0;
    }
    Bytes.append(buf, static_cast<size_t>(n));
  }
}

// Writes a whole file through a temporary one renamed over it, keeping the
// old file's permissions; false when it cannot.
bool WriteDiskBytes(const String& FileName, const RawByteString& Bytes) {
  std::string path = UTF16ToUTF8(FileName);
  std::string tmp = path + ".tmp." + std::to_string(::getpid());
  struct stat st;
  bool existed = ::stat(path.c_str(), &st) == 0;
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (existed) (void)::fchmod(fd, st.st_mode & 07777);
  size_t done = 0;
  while (done < Bytes.size()) {
    ssize_t w = ::write(fd, Bytes.data() + done, Bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) break;
    done += static_cast<size_t>(w);
  }
  bool ok = done == Bytes.size();
  ok = ::close(fd) == 0 && ok;
  if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

bool ReadFileBytes(const String& FileName, RawByteString& Bytes, bool* Missing = nullptr) {
  bool missing = false;
  bool ok = gStore ? gStore->Read(FileName, Bytes, missing) : ReadDiskBytes(FileName, Bytes, &missing);
  if (Missing) *Missing = missing;
  return ok;
}

bool WriteFileBytes(const String& FileName, const RawByteString& Bytes) {
  return gStore ? gStore->Write(FileName, Bytes) : WriteDiskBytes(FileName, Bytes);
}

// --- Text of one encoding ---------------------------------------------------------

size_t UnitSize(TTextEncoding E) {
  return E == TTextEncoding::UTF16LE || E == TTextEncoding::UTF16BE ? 2 : 1;
}

String DecodeBytes(const RawByteString& B, TTextEncoding E) {
  switch (E) {
    case TTextEncoding::UTF8: return UTF8ToUTF16(B);
    case TTextEncoding::UTF16LE:
    case TTextEncoding::UTF16BE: {
      String s;
      bool le = E == TTextEncoding::UTF16LE;
      for (size_t i = 0; i + 1 < B.size(); i += 2) {
        auto lo = static_cast<uint8_t>(B[le ? i : i + 1]), hi = static_cast<uint8_t>(B[le ? i + 1 : i]);
        s += static_cast<Char>(lo | (hi << 8));
      }
      return s;
    }
    default: return AnsiToString(B);
  }
}

RawByteString EncodeString(const String& S, TTextEncoding E) { return EncodeText(S, E, false); }

bool IsValidUTF8(const RawByteString& B) {
  if (B.empty()) return true;
  if (B.size() > static_cast<size_t>(MaxInt)) return false;
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, B.data(), static_cast<Integer>(B.size()), nullptr, 0) > 0;
}

// --- The profile file ------------------------------------------------------------------

String TrimBlanks(const String& S) {
  size_t b = 0, e = S.size();
  while (b < e && (S[b] == u' ' || S[b] == u'\t')) ++b;
  while (e > b && (S[e - 1] == u' ' || S[e - 1] == u'\t')) --e;
  return S.substr(b, e - b);
}

// One line as the profile functions see it.
struct TLineKind {
  enum { Other, Section, Key } Kind = Other;
  String Name;
  String Value;
};

TLineKind Classify(const String& Line) {
  TLineKind k;
  String t = TrimBlanks(Line);
  if (t.empty() || t[0] == u';') return k;
  if (t[0] == u'[') {
    size_t close = t.find(u']');
    if (close == String::npos) return k;
    k.Kind = TLineKind::Section;
    k.Name = TrimBlanks(t.substr(1, close - 1));
    return k;
  }
  size_t eq = t.find(u'=');
  if (eq == String::npos) return k;
  k.Kind = TLineKind::Key;
  k.Name = TrimBlanks(t.substr(0, eq));
  k.Value = TrimBlanks(t.substr(eq + 1));
  return k;
}

// A profile file as lines of bytes in its own encoding, so that every line
// that is not changed is written back exactly as it was.
struct TProfile {
  struct TLine {
    RawByteString Bytes;
    RawByteString Eol;
  };
  RawByteString Mark;  // the byte-order mark, if any
  TTextEncoding Encoding = TTextEncoding::Ansi;
  std::vector<TLine> Lines;
  std::vector<TLineKind> Kinds;
  bool Unreadable = false;  // the file exists but cannot be read: it must not be written over

  void Load(const String& FileName) {
    RawByteString bytes;
    bool missing;
    if (!ReadFileBytes(FileName, bytes, &missing)) {
      bytes.clear();
      Unreadable = !missing;
    }
    TDecodedText mark = DetectBOM(bytes);
    Encoding = mark.BOMLength ? mark.Encoding : TTextEncoding::Ansi;
    Mark = bytes.substr(0, static_cast<size_t>(mark.BOMLength));
    Split(bytes.substr(Mark.size()));
  }

  void Split(const RawByteString& B) {
    const size_t u = UnitSize(Encoding);
    const bool be = Encoding == TTextEncoding::UTF16BE;
    auto unitAt = [&](size_t i) -> unsigned {
      if (u == 1) return static_cast<uint8_t>(B[i]);
      auto a = static_cast<uint8_t>(B[i]), b = static_cast<uint8_t>(B[i + 1]);
      return be ? (a << 8 | b) : (b << 8 | a);
    };
    size_t start = 0, i = 0;
    while (i + u <= B.size()) {
      unsigned c = unitAt(i);
      if (c == '\r' || c == '\n') {
        size_t eolEnd = i + u;
        if (c == '\r' && eolEnd + u <= B.size() && unitAt(eolEnd) == '\n') eolEnd += u;
        Add(B.substr(start, i - start), B.substr(i, eolEnd - i));
        start = i = eolEnd;
      } else {
        i += u;
      }
    }
    if (start < B.size()) Add(B.substr(start), RawByteString());
  }

  void Add(const RawByteString& Bytes, const RawByteString& Eol) {
    Lines.push_back({Bytes, Eol});
    Kinds.push_back(Classify(DecodeBytes(Bytes, Encoding)));
  }

  void Insert(size_t At, const String& Text) {
    if (At > 0) {
      TLine& prev = Lines[At - 1];
      // A damaged UTF-16 file can end in half a code unit: complete it, so
      // that the lines added after it stay aligned and readable.
      if (prev.Bytes.size() % UnitSize(Encoding) != 0) {
        prev.Bytes.push_back('\0');
        Kinds[At - 1] = Classify(DecodeBytes(prev.Bytes, Encoding));
      }
      if (prev.Eol.empty()) prev.Eol = EncodeString(u"\r\n", Encoding);
    }
    Lines.insert(Lines.begin() + static_cast<long>(At), {EncodeString(Text, Encoding), EncodeString(u"\r\n", Encoding)});
    Kinds.insert(Kinds.begin() + static_cast<long>(At), Classify(Text));
  }

  void Erase(size_t From, size_t To) {
    Lines.erase(Lines.begin() + static_cast<long>(From), Lines.begin() + static_cast<long>(To));
    Kinds.erase(Kinds.begin() + static_cast<long>(From), Kinds.begin() + static_cast<long>(To));
  }

  bool Save(const String& FileName) const {
    if (Unreadable) return false;
    RawByteString out = Mark;
    for (const TLine& l : Lines) {
      out += l.Bytes;
      out += l.Eol;
    }
    return WriteFileBytes(FileName, out);
  }

  // The line range of the first section named Name: [header, end); false when absent.
  bool FindSection(const String& Name, size_t& Header, size_t& End) const {
    String folded = FoldName(TrimBlanks(Name));
    for (size_t i = 0; i < Kinds.size(); ++i) {
      if (Kinds[i].Kind != TLineKind::Section || FoldName(Kinds[i].Name) != folded) continue;
      Header = i;
      End = i + 1;
      while (End < Kinds.size() && Kinds[End].Kind != TLineKind::Section) ++End;
      return true;
    }
    return false;
  }

  // The first line of key Ident in [From, To), or To.
  size_t FindKey(size_t From, size_t To, const String& Ident) const {
    String folded = FoldName(TrimBlanks(Ident));
    for (size_t i = From; i < To; ++i)
      if (Kinds[i].Kind == TLineKind::Key && FoldName(Kinds[i].Name) == folded) return i;
    return To;
  }
};

String Unquote(const String& V) {
  if (V.size() >= 2 && V.front() == V.back() && (V.front() == u'"' || V.front() == u'\'')) return V.substr(1, V.size() - 2);
  return V;
}

// Hexadecimal text of bytes, and back (up to the first pair that is not hexadecimal).
String BytesToHex(const std::vector<Byte>& B) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  String s;
  s.reserve(B.size() * 2);
  for (Byte b : B) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

int HexValue(Char c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

std::vector<Byte> HexToBytes(const String& S) {
  std::vector<Byte> out;
  for (size_t i = 0; i + 1 < S.size(); i += 2) {
    int hi = HexValue(S[i]), lo = HexValue(S[i + 1]);
    if (hi < 0 || lo < 0) break;
    out.push_back(static_cast<Byte>(hi << 4 | lo));
  }
  return out;
}

// The bytes of Stream from its position to its end; a memory stream keeps its position.
std::vector<Byte> TakeStreamBytes(TStream* Stream) {
  Int64 pos = Stream->Position();
  Int64 count = Stream->Size() - pos;
  std::vector<Byte> bytes(count > 0 ? static_cast<size_t>(count) : 0);
  if (!bytes.empty()) Stream->ReadBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  if (Is<TMemoryStream>(Stream)) Stream->SetPosition(pos);
  return bytes;
}

// Writes Bytes into Stream at its position; a memory stream is put back to
// where they start.
void PutStreamBytes(TStream* Stream, const std::vector<Byte>& Bytes) {
  Int64 pos = Stream->Position();
  if (!Bytes.empty()) Stream->WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
  if (Is<TMemoryStream>(Stream)) Stream->SetPosition(pos);
}

}  // namespace

void SetIniFileStore(const TIniFileStore* Store) { gStore = Store; }

// --- TCustomIniFile ----------------------------------------------------------------------

void TCustomIniFile::Create(const String& FileName) { FFileName = FileName; }

String TCustomIniFile::ReadString(const String&, const String&, const String&) {
  AbstractError();
}
void TCustomIniFile::WriteString(const String&, const String&, const String&) { AbstractError(); }
void TCustomIniFile::ReadSection(const String&, TStrings*) { AbstractError(); }
void TCustomIniFile::ReadSections(TStrings*) { AbstractError(); }
void TCustomIniFile::EraseSection(const String&) { AbstractError(); }
void TCustomIniFile::DeleteKey(const String&, const String&) { AbstractError(); }
void TCustomIniFile::UpdateFile() { AbstractError(); }

void TCustomIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
  TStringList* keys = New<TStringList>();
  Finally release([&] { Free(keys); });
  ReadSection(Section, keys);
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  for (Integer i = 0; i < keys->Count(); ++i) {
    String key = keys->Strings(i);
    Strings->Add(key + u"=" + ReadString(Section, key, String()));
  }
}

Boolean TCustomIniFile::SectionExists(const String& Section) {
  TStringList* keys = New<TStringList>();
  Finally release([&] { Free(keys); });
  ReadSection(Section, keys);
  return keys->Count() > 0;
}

Boolean TCustomIniFile::ValueExists(const String& Section, const String& Ident) {
  TStringList* keys = New<TStringList>();
  Finally release([&] { Free(keys); });
  ReadSection(Section, keys);
  String folded = FoldName(Ident);
  for (Integer i = 0; i < keys->Count(); ++i)
    if (FoldName(keys->Strings(i)) == folded) return true;
  return false;
}

Integer TCustomIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) {
  String s = ReadString(Section, Ident, String());
  if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) s = u"$" + s.substr(2);
  return StrToIntDef(s, Default);
}

void TCustomIniFile::WriteInteger(const String& Section, const String& Ident, Integer Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

Boolean TCustomIniFile::ReadBool(const String& Section, const String& Ident, Boolean Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& Section, const String& Ident, Boolean Value) {
  WriteString(Section, Ident, Value ? u"1" : u"0");
}

Integer TCustomIniFile::ReadBinaryStream(const String& Section, const String& Name, TStream* Value) {
  std::vector<Byte> bytes = HexToBytes(ReadString(Section, Name, String()));
  PutStreamBytes(Value, bytes);
  return static_cast<Integer>(bytes.size());
}

void TCustomIniFile::WriteBinaryStream(const String& Section, const String& Name, TStream* Value) {
  WriteString(Section, Name, BytesToHex(TakeStreamBytes(Value)));
}

TDateTime TCustomIniFile::ReadDate(const String& Section, const String& Name, TDateTime Default) {
  String s = ReadString(Section, Name, String());
  TDateTime v;
  return !s.empty() && TryStrToDate(s, v) ? v : Default;
}

TDateTime TCustomIniFile::ReadDateTime(const String& Section, const String& Name, TDateTime Default) {
  String s = ReadString(Section, Name, String());
  TDateTime v;
  return !s.empty() && TryStrToDateTime(s, v) ? v : Default;
}

Double TCustomIniFile::ReadFloat(const String& Section, const String& Name, Double Default) {
  String s = ReadString(Section, Name, String());
  double v;
  return !s.empty() && TryStrToFloat(s, v) ? v : Default;
}

TDateTime TCustomIniFile::ReadTime(const String& Section, const String& Name, TDateTime Default) {
  String s = ReadString(Section, Name, String());
  TDateTime v;
  return !s.empty() && TryStrToTime(s, v) ? v : Default;
}

void TCustomIniFile::WriteDate(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, DateToStr(Value));
}
void TCustomIniFile::WriteDateTime(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, DateTimeToStr(Value));
}
void TCustomIniFile::WriteFloat(const String& Section, const String& Name, Double Value) {
  WriteString(Section, Name, FloatToStr(Value));
}
void TCustomIniFile::WriteTime(const String& Section, const String& Name, TDateTime Value) {
  WriteString(Section, Name, TimeToStr(Value));
}

// --- TIniFile -----------------------------------------------------------------------------

void TIniFile::Destroy() {
  UpdateFile();
  inherited::Destroy();
}

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
  TProfile p;
  p.Load(FFileName);
  size_t header, end;
  if (!p.FindSection(Section, header, end)) return Default;
  size_t at = p.FindKey(header + 1, end, Ident);
  return at == end ? Default : Unquote(p.Kinds[at].Value);
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  CheckEntry(Section, Ident, Value);
  TProfile p;
  p.Load(FFileName);
  size_t header, end;
  if (!p.FindSection(Section, header, end)) {
    p.Insert(p.Lines.size(), u"[" + Section + u"]");
    p.Insert(p.Lines.size(), Ident + u"=" + Value);
  } else {
    size_t at = p.FindKey(header + 1, end, Ident);
    if (at < end) {
      // The key keeps the spelling it has in the file.
      String line = p.Kinds[at].Name + u"=" + Value;
      p.Erase(at, at + 1);
      p.Insert(at, line);
    } else {
      size_t last = end;  // after the section's last line that is not blank
      while (last > header + 1 && TrimBlanks(DecodeBytes(p.Lines[last - 1].Bytes, p.Encoding)).empty()) --last;
      p.Insert(last, Ident + u"=" + Value);
    }
  }
  if (!p.Save(FFileName)) RaiseWriteError(FFileName);
}

void TIniFile::ReadSection(const String& Section, TStrings* Strings) {
  TProfile p;
  p.Load(FFileName);
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  size_t header, end;
  if (p.FindSection(Section, header, end)) {
    std::set<String> seen;
    for (size_t i = header + 1; i < end; ++i)
      if (p.Kinds[i].Kind == TLineKind::Key && seen.insert(FoldName(p.Kinds[i].Name)).second)
        Strings->Add(p.Kinds[i].Name);
  }
}

void TIniFile::ReadSections(TStrings* Strings) {
  TProfile p;
  p.Load(FFileName);
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  std::set<String> seen;
  for (const TLineKind& k : p.Kinds)
    if (k.Kind == TLineKind::Section && seen.insert(FoldName(k.Name)).second) Strings->Add(k.Name);
}

void TIniFile::EraseSection(const String& Section) {
  TProfile p;
  p.Load(FFileName);
  size_t header, end;
  if (!p.FindSection(Section, header, end)) return;
  p.Erase(header, end);
  if (!p.Save(FFileName)) RaiseWriteError(FFileName);
}

void TIniFile::DeleteKey(const String& Section, const String& Ident) {
  TProfile p;
  p.Load(FFileName);
  size_t header, end;
  if (!p.FindSection(Section, header, end)) return;
  size_t at = p.FindKey(header + 1, end, Ident);
  if (at == end) return;
  p.Erase(at, at + 1);
  if (!p.Save(FFileName)) RaiseWriteError(FFileName);
}

void TIniFile::UpdateFile() {}

// --- TMemIniFile ------------------------------------------------------------------------------

void TMemIniFile::Create(const String& FileName) {
  inherited::Create(FileName);
  FEncoding = TTextEncoding::UTF8;
  LoadValues();
}

void TMemIniFile::Create(const String& FileName, TTextEncoding AEncoding) {
  inherited::Create(FileName);
  FEncoding = AEncoding;
  FEncodingGiven = true;
  LoadValues();
}

void TMemIniFile::Destroy() {
  FSections.clear();
  inherited::Destroy();
}

bool TMemIniFile::SameName(const String& A, const String& B) const {
  return FCaseSensitive ? A == B : FoldName(A) == FoldName(B);
}

TMemIniFile::TSection* TMemIniFile::FindSection(const String& Name) {
  for (TSection& s : FSections)
    if (SameName(s.Name, Name)) return &s;
  return nullptr;
}

TMemIniFile::TEntry* TMemIniFile::FindEntry(TSection* Section, const String& Name) {
  if (!Section) return nullptr;
  for (TEntry& e : Section->Entries)
    if (e.HasValue && SameName(e.Name, Name)) return &e;
  return nullptr;
}

void TMemIniFile::LoadValues() {
  FSections.clear();
  RawByteString bytes;
  bool missing = true;
  if (FFileName.empty()) return;
  if (!ReadFileBytes(FFileName, bytes, &missing)) {
    if (missing) return;
    throw EIniFileException(u"Unable to read " + FFileName);
  }
  TDecodedText mark = DetectBOM(bytes);
  String text;
  if (mark.BOMLength)
    text = DecodeBytes(bytes.substr(static_cast<size_t>(mark.BOMLength)), mark.Encoding);
  else if (FEncodingGiven)
    text = DecodeBytes(bytes, FEncoding);
  else
    text = DecodeBytes(bytes, IsValidUTF8(bytes) ? TTextEncoding::UTF8 : TTextEncoding::Ansi);
  std::vector<String> lines;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u'\r' && text[i] != u'\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  ParseLines(lines);
}

void TMemIniFile::ParseLines(const std::vector<String>& Lines) {
  FSections.clear();
  std::unordered_map<String, size_t> index;  // a repeated section goes on in the first
  size_t current = SIZE_MAX;
  for (const String& line : Lines) {
    String s = Trim(line);
    if (s.empty() || s[0] == u';') continue;
    if (s.size() >= 2 && s[0] == u'[' && s.back() == u']') {
      String name = s.substr(1, s.size() - 2);
      auto [it, added] = index.emplace(FCaseSensitive ? name : FoldName(name), FSections.size());
      if (added) FSections.push_back({name, {}});
      current = it->second;
      continue;
    }
    if (current == SIZE_MAX) continue;  // lines before the first section are dropped
    size_t eq = s.find(u'=');
    if (eq == String::npos)
      FSections[current].Entries.push_back({s, String(), false});
    else
      FSections[current].Entries.push_back({Trim(s.substr(0, eq)), Trim(s.substr(eq + 1)), true});
  }
}

std::vector<String> TMemIniFile::Lines() {
  std::vector<String> out;
  for (const TSection& s : FSections) {
    out.push_back(u"[" + s.Name + u"]");
    for (const TEntry& e : s.Entries) out.push_back(e.HasValue ? e.Name + u"=" + e.Value : e.Name);
    out.push_back(String());
  }
  return out;
}

void TMemIniFile::Clear() { FSections.clear(); }

void TMemIniFile::GetStrings(TStrings* List) {
  List->BeginUpdate();
  Finally endUpdate([&] { List->EndUpdate(); });
  for (const String& l : Lines()) List->Add(l);
}

void TMemIniFile::SetStrings(TStrings* List) {
  std::vector<String> lines;
  for (Integer i = 0; i < List->Count(); ++i) lines.push_back(List->Strings(i));
  ParseLines(lines);
}

void TMemIniFile::Rename(const String& FileName, Boolean Reload) {
  FFileName = FileName;
  if (Reload) LoadValues();
}

String TMemIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
  TEntry* e = FindEntry(FindSection(Section), Ident);
  return e ? e->Value : Default;
}

void TMemIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  CheckEntry(Section, Ident, Value);
  TSection* s = FindSection(Section);
  if (!s) {
    FSections.push_back({Section, {}});
    s = &FSections.back();
  }
  if (TEntry* e = FindEntry(s, Ident))
    e->Value = Value;
  else
    s->Entries.push_back({Ident, Value, true});
}

void TMemIniFile::ReadSection(const String& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  if (TSection* s = FindSection(Section))
    for (const TEntry& e : s->Entries)
      if (e.HasValue) Strings->Add(e.Name);
}

void TMemIniFile::ReadSections(TStrings* Strings) {
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  for (const TSection& s : FSections) Strings->Add(s.Name);
}

void TMemIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  if (TSection* s = FindSection(Section))
    for (const TEntry& e : s->Entries) Strings->Add(e.HasValue ? e.Name + u"=" + e.Value : e.Name);
}

void TMemIniFile::EraseSection(const String& Section) {
  for (auto it = FSections.begin(); it != FSections.end(); ++it)
    if (SameName(it->Name, Section)) {
      FSections.erase(it);
      return;
    }
}

void TMemIniFile::DeleteKey(const String& Section, const String& Ident) {
  TSection* s = FindSection(Section);
  if (!s) return;
  for (auto it = s->Entries.begin(); it != s->Entries.end(); ++it)
    if (it->HasValue && SameName(it->Name, Ident)) {
      s->Entries.erase(it);
      return;
    }
}

Boolean TMemIniFile::ValueExists(const String& Section, const String& Ident) {
  return FindEntry(FindSection(Section), Ident) != nullptr;
}

void TMemIniFile::UpdateFile() {
  String text;
  for (const String& l : Lines()) {
    text += l;
    text += u"\r\n";
  }
  if (!WriteFileBytes(FFileName, EncodeText(text, FEncoding, true))) RaiseWriteError(FFileName);
}

// --- TRegistryIniFile ------------------------------------------------------------------------

void TRegistryIniFile::Create(const String& FileName) { Create(FileName, win::KEY_ALL_ACCESS); }

void TRegistryIniFile::Create(const String& FileName, Cardinal AAccess) {
  inherited::Create(FileName);
  FRegistry = New<TRegistry>(AAccess);
  FBase = !FileName.empty() && FileName[0] == u'\\' ? FileName.substr(1) : FileName;
  if (FRegistry->OpenKey(FileName, true)) FBase = FRegistry->CurrentPath();
}

void TRegistryIniFile::Destroy() {
  FreeAndNil(FRegistry);
  inherited::Destroy();
}

bool TRegistryIniFile::OpenSection(const String& Section, bool Create) {
  String path = Section.empty() ? FBase : FBase.empty() ? Section : FBase + u"\\" + Section;
  return FRegistry->OpenKey(u"\\" + path, Create);
}

void TRegistryIniFile::ReturnToBase() {
  try {
    FRegistry->OpenKey(u"\\" + FBase, false);
  } catch (...) {
    FRegistry->CloseKey();
  }
}

// A section call goes back to the base key when it ends.
#define REGINI_GUARD Finally returnToBase([this] { ReturnToBase(); })

String TRegistryIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
  REGINI_GUARD;
  if (OpenSection(Section, false) && FRegistry->ValueExists(Ident)) return FRegistry->ReadString(Ident);
  return Default;
}

void TRegistryIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  REGINI_GUARD;
  if (!OpenSection(Section, true)) throw ERegistryException(u"Failed to create key " + Section);
  FRegistry->WriteString(Ident, Value);
}

Integer TRegistryIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) {
  REGINI_GUARD;
  if (!OpenSection(Section, false) || !FRegistry->ValueExists(Ident)) return Default;
  if (FRegistry->GetDataType(Ident) == rdString) return StrToIntDef(FRegistry->ReadString(Ident), Default);
  return FRegistry->ReadInteger(Ident);
}

void TRegistryIniFile::WriteInteger(const String& Section, const String& Ident, Integer Value) {
  REGINI_GUARD;
  if (!OpenSection(Section, true)) throw ERegistryException(u"Failed to create key " + Section);
  if (FRegistry->GetDataType(Ident) == rdString)
    FRegistry->WriteString(Ident, IntToStr(Value));
  else
    FRegistry->WriteInteger(Ident, Value);
}

void TRegistryIniFile::WriteBool(const String& Section, const String& Ident, Boolean Value) {
  REGINI_GUARD;
  if (!OpenSection(Section, true)) throw ERegistryException(u"Failed to create key " + Section);
  if (FRegistry->GetDataType(Ident) == rdInteger)
    FRegistry->WriteInteger(Ident, Value ? 1 : 0);
  else
    FRegistry->WriteString(Ident, Value ? u"1" : u"0");
}

Integer TRegistryIniFile::ReadBinaryStream(const String& Section, const String& Name, TStream* Value) {
  REGINI_GUARD;
  if (!OpenSection(Section, false) || !FRegistry->ValueExists(Name) || FRegistry->GetDataType(Name) != rdBinary)
    return 0;
  Integer size = FRegistry->GetDataSize(Name);
  std::vector<Byte> bytes(size > 0 ? static_cast<size_t>(size) : 0);
  if (!bytes.empty()) bytes.resize(static_cast<size_t>(FRegistry->ReadBinaryData(Name, bytes.data(), size)));
  PutStreamBytes(Value, bytes);
  return static_cast<Integer>(bytes.size());
}

void TRegistryIniFile::WriteBinaryStream(const String& Section, const String& Name, TStream* Value) {
  std::vector<Byte> bytes = TakeStreamBytes(Value);
  REGINI_GUARD;
  if (!OpenSection(Section, true)) throw ERegistryException(u"Failed to create key " + Section);
  FRegistry->WriteBinaryData(Name, bytes.data(), static_cast<Integer>(bytes.size()));
}

double TRegistryIniFile::ReadEight(const String& Section, const String& Name, double Default) {
  REGINI_GUARD;
  if (OpenSection(Section, false) && FRegistry->ValueExists(Name)) return FRegistry->ReadFloat(Name);
  return Default;
}

void TRegistryIniFile::WriteEight(const String& Section, const String& Name, double Value) {
  REGINI_GUARD;
  if (!OpenSection(Section, true)) throw ERegistryException(u"Failed to create key " + Section);
  FRegistry->WriteFloat(Name, Value);
}

TDateTime TRegistryIniFile::ReadDate(const String& Section, const String& Name, TDateTime Default) {
  return ReadEight(Section, Name, Default);
}
TDateTime TRegistryIniFile::ReadDateTime(const String& Section, const String& Name, TDateTime Default) {
  return ReadEight(Section, Name, Default);
}
Double TRegistryIniFile::ReadFloat(const String& Section, const String& Name, Double Default) {
  return ReadEight(Section, Name, Default);
}
TDateTime TRegistryIniFile::ReadTime(const String& Section, const String& Name, TDateTime Default) {
  return ReadEight(Section, Name, Default);
}
void TRegistryIniFile::WriteDate(const String& Section, const String& Name, TDateTime Value) {
  WriteEight(Section, Name, Value);
}
void TRegistryIniFile::WriteDateTime(const String& Section, const String& Name, TDateTime Value) {
  WriteEight(Section, Name, Value);
}
void TRegistryIniFile::WriteFloat(const String& Section, const String& Name, Double Value) {
  WriteEight(Section, Name, Value);
}
void TRegistryIniFile::WriteTime(const String& Section, const String& Name, TDateTime Value) {
  WriteEight(Section, Name, Value);
}

void TRegistryIniFile::ReadSection(const String& Section, TStrings* Strings) {
  REGINI_GUARD;
  if (OpenSection(Section, false))
    FRegistry->GetValueNames(Strings);
  else
    Strings->Clear();
}

void TRegistryIniFile::ReadSections(TStrings* Strings) {
  REGINI_GUARD;
  if (OpenSection(String(), false))
    FRegistry->GetKeyNames(Strings);
  else
    Strings->Clear();
}

void TRegistryIniFile::ReadSectionValues(const String& Section, TStrings* Strings) {
  TStringList* names = New<TStringList>();
  Finally release([&] { Free(names); });
  ReadSection(Section, names);
  Strings->BeginUpdate();
  Finally endUpdate([&] { Strings->EndUpdate(); });
  Strings->Clear();
  for (Integer i = 0; i < names->Count(); ++i) {
    String n = names->Strings(i);
    Strings->Add(n + u"=" + ReadString(Section, n, String()));
  }
}

void TRegistryIniFile::EraseSection(const String& Section) {
  REGINI_GUARD;
  FRegistry->DeleteKey(u"\\" + (FBase.empty() ? Section : FBase + u"\\" + Section));
}

void TRegistryIniFile::DeleteKey(const String& Section, const String& Ident) {
  REGINI_GUARD;
  if (OpenSection(Section, false)) FRegistry->DeleteValue(Ident);
}

void TRegistryIniFile::UpdateFile() {}
