#include "platform/classes/WinRegistry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unicode/uchar.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>

#include "platform/rtl/CodePages.h"

namespace win {

namespace {

constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxKeyDepth = 512;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxFileSize = 64u << 20;
constexpr int kRootCount = 7;
const char* const kRootNames[kRootCount] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                            "HKEY_USERS",        nullptr,             "HKEY_CURRENT_CONFIG",
                                            "HKEY_DYN_DATA"};

// --- Names ---------------------------------------------------------------------

String Fold(const String& S) { return FoldName(S); }

using TPath = std::vector<String>;

// Splits a subkey path at "\"; empty parts are skipped.
bool SplitPath(LPCWSTR Sub, TPath& Out) {
  if (!Sub) return true;
  String part;
  for (const Char* p = Sub;; ++p) {
    if (*p == u'\\' || *p == 0) {
      if (!part.empty()) {
        if (part.size() > kMaxKeyNameLength || Out.size() >= kMaxKeyDepth) return false;
        Out.push_back(part);
        part.clear();
      }
      if (*p == 0) break;
    } else {
      part += *p;
    }
  }
  return true;
}

// --- The tree --------------------------------------------------------------------

struct TValue {
  String Name;
  DWORD Type = REG_NONE;
  std::vector<BYTE> Data;
};

struct TNode {
  String Name;
  std::vector<TValue> Values;
  std::map<String, std::unique_ptr<TNode>> Keys;  // by folded name, so in name order

  TNode* Child(const String& AName) const {
    auto it = Keys.find(Fold(AName));
    return it == Keys.end() ? nullptr : it->second.get();
  }
  TNode* AddChild(const String& AName) {
    auto& slot = Keys[Fold(AName)];
    if (!slot) {
      slot = std::make_unique<TNode>();
      slot->Name = AName;
    }
    return slot.get();
  }
  TValue* FindValue(const String& AName) {
    String f = Fold(AName);
    for (TValue& v : Values)
      if (Fold(v.Name) == f) return &v;
    return nullptr;
  }
};

// --- The text form ------------------------------------------------------------------

const char kHex[] = "0123456789abcdef";

void AppendUnitEscape(std::string& Out, const char* Prefix, Char C, int Digits) {
  Out += Prefix;
  for (int shift = (Digits - 1) * 4; shift >= 0; shift -= 4) Out += kHex[(C >> shift) & 15];
}

// Appends S as UTF-8, escaping the characters that Special picks with Escape.
template <class TSpecial, class TEscape>
void AppendEscaped(std::string& Out, const String& S, TSpecial Special, TEscape Escape) {
  String run;
  for (size_t i = 0; i < S.size(); ++i) {
    Char c = S[i];
    bool lone = false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 < S.size() && S[i + 1] >= 0xDC00 && S[i + 1] <= 0xDFFF) {
        run += c;
        run += S[++i];
        continue;
      }
      lone = true;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      lone = true;
    }
    if (lone || Special(c)) {
      Out += UTF16ToUTF8(run);
      run.clear();
      Escape(Out, c);
    } else {
      run += c;
    }
  }
  Out += UTF16ToUTF8(run);
}

// A value name or string: quoted, with \\ \" \n \r \t and \uXXXX.
void AppendQuoted(std::string& Out, const String& S) {
  Out += '"';
  AppendEscaped(
      Out, S, [](Char c) { return c < 0x20 || c == 0x7F || c == u'"' || c == u'\\'; },
      [](std::string& O, Char c) {
        switch (c) {
          case u'"': O += "\\\""; break;
          case u'\\': O += "\\\\"; break;
          case u'\n': O += "\\n"; break;
          case u'\r': O += "\\r"; break;
          case u'\t': O += "\\t"; break;
          default: AppendUnitEscape(O, "\\u", c, 4);
        }
      });
  Out += '"';
}

// A key name in a [path] line: %XX and %uXXXX for controls, "%" and lone surrogates.
void AppendKeyName(std::string& Out, const String& S) {
  AppendEscaped(
      Out, S, [](Char c) { return c < 0x20 || c == 0x7F || c == u'%'; },
      [](std::string& O, Char c) {
        if (c < 0x100)
          AppendUnitEscape(O, "%", c, 2);
        else
          AppendUnitEscape(O, "%u", c, 4);
      });
}

void AppendHexBytes(std::string& Out, const std::vector<BYTE>& D) {
  for (size_t i = 0; i < D.size(); ++i) {
    if (i) Out += ',';
    Out += kHex[D[i] >> 4];
    Out += kHex[D[i] & 15];
  }
}

// The UTF-16 text of string data that ends in one null unit, or false.
bool DataAsText(const std::vector<BYTE>& D, String& Out) {
  if (D.size() < 2 || D.size() % 2 || D[D.size() - 1] || D[D.size() - 2]) return false;
  Out.resize(D.size() / 2 - 1);
  for (size_t i = 0; i < Out.size(); ++i) Out[i] = static_cast<Char>(D[2 * i] | (D[2 * i + 1] << 8));
  return true;
}

std::vector<BYTE> TextAsData(const String& S) {
  std::vector<BYTE> d((S.size() + 1) * 2, 0);
  for (size_t i = 0; i < S.size(); ++i) {
    d[2 * i] = static_cast<BYTE>(S[i] & 0xFF);
    d[2 * i + 1] = static_cast<BYTE>(S[i] >> 8);
  }
  return d;
}

uint64_t LittleEndian(const std::vector<BYTE>& D) {
  uint64_t v = 0;
  for (size_t i = D.size(); i-- > 0;) v = (v << 8) | D[i];
  return v;
}

void AppendNumber(std::string& Out, uint64_t V, int Digits) {
  for (int shift = (Digits - 1) * 4; shift >= 0; shift -= 4) Out += kHex[(V >> shift) & 15];
}

void AppendValue(std::string& Out, const TValue& V) {
  AppendQuoted(Out, V.Name);
  Out += '=';
  String text;
  const char* textType = V.Type == REG_SZ ? "sz" : V.Type == REG_EXPAND_SZ ? "expand" : V.Type == REG_MULTI_SZ ? "multi" : nullptr;
  if (textType && DataAsText(V.Data, text)) {
    Out += textType;
    Out += ':';
    AppendQuoted(Out, text);
  } else if (V.Type == REG_DWORD && V.Data.size() == 4) {
    Out += "dword:";
    AppendNumber(Out, LittleEndian(V.Data), 8);
  } else if (V.Type == REG_QWORD && V.Data.size() == 8) {
    Out += "qword:";
    AppendNumber(Out, LittleEndian(V.Data), 16);
  } else if (V.Type == REG_BINARY) {
    Out += "binary:";
    AppendHexBytes(Out, V.Data);
  } else {
    Out += "hex(";
    Out += std::to_string(V.Type);
    Out += "):";
    AppendHexBytes(Out, V.Data);
  }
  Out += '\n';
}

void AppendNode(std::string& Out, const TNode& N, const std::string& Path, bool IsRoot) {
  // A key is written when it has values or no subkeys; the others follow from their subkeys.
  if (!N.Values.empty() || (!IsRoot && N.Keys.empty())) {
    Out += '[';
    Out += Path;
    Out += "]\n";
    for (const TValue& v : N.Values) AppendValue(Out, v);
  }
  for (const auto& [folded, child] : N.Keys) {
    std::string p = Path;
    if (!IsRoot) p += '\\';
    AppendKeyName(p, child->Name);
    AppendNode(Out, *child, p, false);
  }
}

std::string Serialize(const TNode& Root, const char* RootName) {
  std::string out = "; Registry store, ";
  out += RootName;
  out += ". Format 1: [key path] lines, each followed by its values.\n";
  AppendNode(out, Root, std::string(), true);
  return out;
}

// Reads one text line of the store; errors name what is wrong.
class TLineParser {
 public:
  explicit TLineParser(const std::string& L) : FLine(L) {}

  bool AtEnd() const { return FPos >= FLine.size(); }
  bool Take(char C) {
    if (FPos < FLine.size() && FLine[FPos] == C) {
      ++FPos;
      return true;
    }
    return false;
  }
  bool TakeWord(const char* W) {
    size_t n = std::strlen(W);
    if (FLine.compare(FPos, n, W) != 0) return false;
    FPos += n;
    return true;
  }

  bool Hex(size_t Digits, uint64_t& V) {
    if (FPos + Digits > FLine.size()) return false;
    V = 0;
    for (size_t i = 0; i < Digits; ++i) {
      int d = HexDigit(FLine[FPos + i]);
      if (d < 0) return false;
      V = (V << 4) | static_cast<uint64_t>(d);
    }
    FPos += Digits;
    return true;
  }

  bool Quoted(String& Out) {
    if (!Take('"')) return false;
    std::string run;
    Out.clear();
    for (;;) {
      if (AtEnd()) return false;
      char c = FLine[FPos++];
      if (c == '"') break;
      if (c != '\\') {
        run += c;
        continue;
      }
      Out += UTF8ToUTF16(run);
      run.clear();
      if (AtEnd()) return false;
      char e = FLine[FPos++];
      uint64_t u;
      switch (e) {
        case '"': Out += u'"'; break;
        case '\\': Out += u'\\'; break;
        case 'n': Out += u'\n'; break;
        case 'r': Out += u'\r'; break;
        case 't': Out += u'\t'; break;
        case 'u':
          if (!Hex(4, u)) return false;
          Out += static_cast<Char>(u);
          break;
        default: return false;
      }
    }
    Out += UTF8ToUTF16(run);
    return true;
  }

  bool HexBytes(std::vector<BYTE>& Out) {
    Out.clear();
    if (AtEnd()) return true;
    for (;;) {
      uint64_t b;
      if (!Hex(2, b)) return false;
      Out.push_back(static_cast<BYTE>(b));
      if (AtEnd()) return true;
      if (!Take(',')) return false;
    }
  }

  bool Decimal(DWORD& V) {
    size_t start = FPos;
    uint64_t v = 0;
    while (FPos < FLine.size() && FLine[FPos] >= '0' && FLine[FPos] <= '9' && FPos - start < 10)
      v = v * 10 + static_cast<uint64_t>(FLine[FPos++] - '0');
    if (FPos == start || v > 0xFFFFFFFFu) return false;
    V = static_cast<DWORD>(v);
    return true;
  }

 private:
  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  const std::string& FLine;
  size_t FPos = 0;
};

// A [path] line's path split into key names; false when an escape is bad.
bool ParseKeyPath(const std::string& Text, TPath& Out) {
  String part;
  std::string run;
  auto flushRun = [&] {
    part += UTF8ToUTF16(run);
    run.clear();
  };
  auto hex = [&](size_t at, size_t n, uint64_t& v) {
    if (at + n > Text.size()) return false;
    v = 0;
    for (size_t i = 0; i < n; ++i) {
      char c = Text[at + i];
      int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
      if (d < 0) return false;
      v = (v << 4) | static_cast<uint64_t>(d);
    }
    return true;
  };
  for (size_t i = 0; i <= Text.size(); ++i) {
    if (i == Text.size() || Text[i] == '\\') {
      flushRun();
      if (part.empty() || part.size() > kMaxKeyNameLength || Out.size() >= kMaxKeyDepth) return false;
      Out.push_back(part);
      part.clear();
      continue;
    }
    if (Text[i] != '%') {
      run += Text[i];
      continue;
    }
    flushRun();
    uint64_t v;
    if (i + 1 < Text.size() && Text[i + 1] == 'u') {
      if (!hex(i + 2, 4, v)) return false;
      i += 5;
    } else {
      if (!hex(i + 1, 2, v)) return false;
      i += 2;
    }
    if (v == 0) return false;  // no call could name it: a name ends at its first null
    part += static_cast<Char>(v);
  }
  return true;
}

// Parses a whole file into Root; on failure Error says where and why.
bool Parse(const std::string& Text, TNode& Root, std::string& Error) {
  TNode* current = nullptr;
  size_t lineNo = 0;
  size_t start = 0;
  auto fail = [&](const char* Why) {
    Error = "line " + std::to_string(lineNo) + ": " + Why;
    return false;
  };
  while (start < Text.size()) {
    size_t end = Text.find('\n', start);
    if (end == std::string::npos) end = Text.size();
    std::string line = Text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line.find('\0') != std::string::npos) return fail("a null byte");
    if (line[0] == '[') {
      if (line.back() != ']') return fail("a key line without its closing \"]\"");
      std::string path = line.substr(1, line.size() - 2);
      current = &Root;
      if (!path.empty()) {
        TPath parts;
        if (!ParseKeyPath(path, parts)) return fail("a bad key name");
        for (const String& p : parts) current = current->AddChild(p);
      }
      continue;
    }
    if (line[0] != '"') return fail("neither a key, a value nor a comment");
    if (!current) return fail("a value before the first key");
    TLineParser p(line);
    TValue v;
    if (!p.Quoted(v.Name) || !p.Take('=')) return fail("a bad value name");
    if (v.Name.size() > kMaxValueNameLength) return fail("a value name too long");
    if (v.Name.find(u'\0') != String::npos) return fail("a null character in a value name");
    String text;
    uint64_t number;
    bool ok;
    if (p.TakeWord("sz:")) {
      v.Type = REG_SZ;
      ok = p.Quoted(text);
      v.Data = TextAsData(text);
    } else if (p.TakeWord("expand:")) {
      v.Type = REG_EXPAND_SZ;
      ok = p.Quoted(text);
      v.Data = TextAsData(text);
    } else if (p.TakeWord("multi:")) {
      v.Type = REG_MULTI_SZ;
      ok = p.Quoted(text);
      v.Data = TextAsData(text);
    } else if (p.TakeWord("dword:")) {
      v.Type = REG_DWORD;
      ok = p.Hex(8, number);
      for (int i = 0; i < 4; ++i) v.Data.push_back(static_cast<BYTE>(number >> (8 * i)));
    } else if (p.TakeWord("qword:")) {
      v.Type = REG_QWORD;
      ok = p.Hex(16, number);
      for (int i = 0; i < 8; ++i) v.Data.push_back(static_cast<BYTE>(number >> (8 * i)));
    } else if (p.TakeWord("binary:")) {
      v.Type = REG_BINARY;
      ok = p.HexBytes(v.Data);
    } else if (p.TakeWord("hex(")) {
      ok = p.Decimal(v.Type) && p.TakeWord("):") && p.HexBytes(v.Data);
    } else {
      return fail("an unknown value type");
    }
    if (!ok || !p.AtEnd()) return fail("bad value data");
    if (current->FindValue(v.Name)) return fail("a value given twice");
    current->Values.push_back(std::move(v));
  }
  return true;
}

// --- Files -----------------------------------------------------------------------------

std::string DirectoryPath() {
  const char* env = std::getenv("CL_REGISTRY_DIR");
  if (env && *env) return env;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      struct passwd* pw = getpwuid(getuid());
      home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
    }
    base = std::string(home) + "/.config";
  }
  return base + "/cardloader/registry";
}

bool MakeDirectories(const std::string& Dir) {
  std::string p;
  for (size_t i = 0; i <= Dir.size(); ++i) {
    if (i == Dir.size() || (Dir[i] == '/' && i > 0)) {
      p = Dir.substr(0, i);
      if (::mkdir(p.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat st;
  return ::stat(Dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The store set in place of the folder (nil: the folder).
const TRegistryFileStore* gFileStore = nullptr;

struct TStamp {
  bool Exists = false;
  dev_t Dev = 0;
  ino_t Ino = 0;
  off_t Size = 0;
  int64_t MTime = 0;
  bool operator==(const TStamp&) const = default;
};

TStamp StampOf(const std::string& Path) {
  TStamp s;
  struct stat st;
  if (::stat(Path.c_str(), &st) == 0) {
    s.Exists = true;
    s.Dev = st.st_dev;
    s.Ino = st.st_ino;
    s.Size = st.st_size;
    s.MTime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  }
  return s;
}

// Whether a file was changed so lately that a later change may keep its stamp.
bool Recent(const TStamp& S) {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  int64_t n = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
  return n - S.MTime < 2000000000;
}

// The store of one root.
struct TRootStore {
  const char* Name = nullptr;
  std::string File;
  bool Loaded = false;
  TStamp Stamp;
  std::unique_ptr<TNode> Tree;
  DWORD ErrorCode = ERROR_SUCCESS;
  std::string Error;
  std::string Text;  // what the file held when it was read or written last

  // Reads the file again when it changed; answers ERROR_SUCCESS or why not.
  DWORD Refresh() {
    std::string file = DirectoryPath() + "/" + Name + ".txt";
    if (gFileStore) return RefreshFromStore(file);
    TStamp stamp = StampOf(file);
    if (Loaded && file == File && stamp == Stamp) {
      // File times are coarse: a file changed in place within the last moments
      // may keep its stamp, so its bytes decide.
      if (!Recent(stamp)) return ErrorCode;
      std::string now;
      FILE* f = std::fopen(file.c_str(), "rb");
      if (f) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && now.size() <= kMaxFileSize) now.append(buf, n);
        std::fclose(f);
        if (now == Text) return ErrorCode;
      }
    }
    File = file;
    Stamp = stamp;
    Loaded = true;
    Tree = std::make_unique<TNode>();
    ErrorCode = ERROR_SUCCESS;
    Error.clear();
    Text.clear();
    if (!stamp.Exists) return ErrorCode;
    std::string text;
    if (!ReadFile(text)) return ErrorCode;
    return Take(text);
  }

  // The same from the store set in place of the folder: its bytes decide.
  DWORD RefreshFromStore(const std::string& AFile) {
    std::string text;
    bool missing = false;
    const bool read = gFileStore->Read(AFile, text, missing);
    if (Loaded && AFile == File && read && text == Text) return ErrorCode;
    File = AFile;
    Stamp = TStamp{};
    Loaded = true;
    Tree = std::make_unique<TNode>();
    ErrorCode = ERROR_SUCCESS;
    Error.clear();
    Text.clear();
    if (!read && missing) return ErrorCode;
    if (!read || text.size() > kMaxFileSize) {
      ErrorCode = read ? ERROR_BADDB : ERROR_CANTREAD;
      Error = "The registry file \"" + File + "\" cannot be read";
      return ErrorCode;
    }
    return Take(text);
  }

  // Keeps the file's text and parses it; a damaged text leaves an empty tree.
  DWORD Take(const std::string& AText) {
    Text = AText;
    std::string why;
    if (!Parse(AText, *Tree, why)) {
      Tree = std::make_unique<TNode>();
      ErrorCode = ERROR_BADDB;
      Error = "The registry file \"" + File + "\" is damaged (" + why + ")";
    }
    return ErrorCode;
  }

  bool ReadFile(std::string& Text) {
    FILE* f = std::fopen(File.c_str(), "rb");
    if (!f) {
      ErrorCode = ERROR_CANTREAD;
      Error = "The registry file \"" + File + "\" cannot be read: " + std::strerror(errno);
      return false;
    }
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
      Text.append(buf, n);
      if (Text.size() > kMaxFileSize) break;
    }
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad || Text.size() > kMaxFileSize) {
      ErrorCode = bad ? ERROR_CANTREAD : ERROR_BADDB;
      Error = "The registry file \"" + File + "\" cannot be read" + (bad ? "" : ": it is too large");
      return false;
    }
    return true;
  }

  // Writes the tree: a temporary file renamed over the old one.
  DWORD Save() {
    DWORD r = Write();
    if (r != ERROR_SUCCESS) Loaded = false;  // the tree in memory holds a change the file does not: read it again
    return r;
  }

  DWORD Write() {
    if (gFileStore) {
      std::string text = Serialize(*Tree, Name);
      if (!gFileStore->Write(File, text)) return ERROR_CANTWRITE;
      Text = std::move(text);
      return ERROR_SUCCESS;
    }
    std::string dir = DirectoryPath();
    if (!MakeDirectories(dir)) return ERROR_CANTWRITE;
    std::string text = Serialize(*Tree, Name);
    std::string tmp = File + ".tmp." + std::to_string(::getpid());
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return ERROR_CANTWRITE;
    size_t done = 0;
    while (done < text.size()) {
      ssize_t w = ::write(fd, text.data() + done, text.size() - done);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) break;
      done += static_cast<size_t>(w);
    }
    bool ok = done == text.size() && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(tmp.c_str(), File.c_str()) != 0) {
      ::unlink(tmp.c_str());
      return ERROR_CANTWRITE;
    }
    Stamp = StampOf(File);
    Text = std::move(text);
    return ERROR_SUCCESS;
  }
};

// Serializes changes between processes that share the folder.
class TFolderLock {
 public:
  TFolderLock() {
    if (gFileStore) {  // a store of the process's own: nothing to share
      FHeld = true;
      return;
    }
    std::string dir = DirectoryPath();
    if (!MakeDirectories(dir)) return;
    FFd = ::open((dir + "/.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (FFd >= 0) {
      while (::flock(FFd, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~TFolderLock() {
    if (FFd >= 0) ::close(FFd);
  }
  bool Held() const { return FFd >= 0 || FHeld; }

 private:
  int FFd = -1;
  bool FHeld = false;
};

// --- Handles ------------------------------------------------------------------------------

struct TKeyHandle {
  int Root = -1;
  TPath Path;
  bool Writable = false;
  bool Dynamic = false;  // the key of a provider: Snapshot holds its values
  std::vector<TRegistryProviderValue> Snapshot;
};

struct TProvider {
  int Root;
  TPath Folded;
  TRegistryProvider Fn;
};

struct TRegistryState {
  std::mutex Lock;
  TRootStore Roots[kRootCount];
  TKeyHandle RootHandles[kRootCount];
  std::unordered_set<TKeyHandle*> Handles;
  std::vector<TProvider> Providers;

  TRegistryState() {
    for (int i = 0; i < kRootCount; ++i) {
      Roots[i].Name = kRootNames[i];
      RootHandles[i].Root = i;
      RootHandles[i].Writable = true;
    }
  }
};

TRegistryState& State() {
  static auto* s = new TRegistryState;  // never destroyed: handles may be closed during exit
  return *s;
}

int RootIndex(HKEY h) {
  auto v = reinterpret_cast<intptr_t>(h);
  for (int i = 0; i < kRootCount; ++i)
    if (kRootNames[i] && v == static_cast<intptr_t>(LONG(0x80000000u + static_cast<unsigned>(i)))) return i;
  return -1;
}

// Under the lock: the handle of h (a root or an open key), or nil.
TKeyHandle* Resolve(HKEY h) {
  TRegistryState& s = State();
  int root = RootIndex(h);
  if (root >= 0) return &s.RootHandles[root];
  auto* k = reinterpret_cast<TKeyHandle*>(h);
  return s.Handles.count(k) ? k : nullptr;
}

TPath FoldPath(const TPath& P) {
  TPath r;
  r.reserve(P.size());
  for (const String& s : P) r.push_back(Fold(s));
  return r;
}

// Under the lock: the provider whose key is Path, or nil; Prefix tells whether
// Path lies on the way to some provider's key.
const TProvider* ProviderAt(int Root, const TPath& Path, bool* Prefix = nullptr) {
  TPath f = FoldPath(Path);
  const TProvider* exact = nullptr;
  bool prefix = false;
  for (const TProvider& p : State().Providers) {
    if (p.Root != Root || p.Folded.size() < f.size()) continue;
    if (!std::equal(f.begin(), f.end(), p.Folded.begin())) continue;
    prefix = true;
    if (p.Folded.size() == f.size()) exact = &p;
  }
  if (Prefix) *Prefix = prefix;
  return exact;
}

TNode* StoredNode(int Root, const TPath& Path) {
  TNode* n = State().Roots[Root].Tree.get();
  for (const String& part : Path) {
    if (!n) return nullptr;
    n = n->Child(part);
  }
  return n;
}

bool KeyExists(int Root, const TPath& Path) {
  if (StoredNode(Root, Path)) return true;
  bool prefix;
  ProviderAt(Root, Path, &prefix);
  return prefix;
}

// Under the lock: the store of Root read afresh.
DWORD Prepare(int Root) { return State().Roots[Root].Refresh(); }

// Under the lock: checks that the key of K still exists.
DWORD CheckKey(const TKeyHandle& K) {
  DWORD r = Prepare(K.Root);
  if (r != ERROR_SUCCESS) return r;
  if (K.Path.empty() || K.Dynamic || KeyExists(K.Root, K.Path)) return ERROR_SUCCESS;
  return ERROR_KEY_DELETED;
}

// The subkey names of a key, stored and provided, in name order.
std::vector<String> SubkeyNames(const TKeyHandle& K) {
  std::map<String, String> names;
  if (TNode* n = StoredNode(K.Root, K.Path))
    for (const auto& [f, child] : n->Keys) names.emplace(f, child->Name);
  TPath f = FoldPath(K.Path);
  for (const TProvider& p : State().Providers) {
    if (p.Root != K.Root || p.Folded.size() <= f.size() || !std::equal(f.begin(), f.end(), p.Folded.begin()))
      continue;
    const String& next = p.Folded[f.size()];
    names.emplace(next, next);
  }
  std::vector<String> out;
  for (auto& [f2, name] : names) out.push_back(name);
  return out;
}

// The values of a key, as (name, type, data) views.
struct TValueView {
  const String* Name;
  DWORD Type;
  const std::vector<BYTE>* Data;
};

std::vector<TValueView> ValuesOf(const TKeyHandle& K) {
  std::vector<TValueView> out;
  if (K.Dynamic) {
    for (const TRegistryProviderValue& v : K.Snapshot) out.push_back({&v.Name, v.Type, &v.Data});
  } else if (TNode* n = StoredNode(K.Root, K.Path)) {
    for (const TValue& v : n->Values) out.push_back({&v.Name, v.Type, &v.Data});
  }
  return out;
}

// Copies Data to a caller's buffer with the registry's size rules.
LSTATUS CopyData(const std::vector<BYTE>& Data, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpcbData) return lpData ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
  DWORD size = static_cast<DWORD>(Data.size());
  if (!lpData) {
    *lpcbData = size;
    return ERROR_SUCCESS;
  }
  if (*lpcbData < size) {
    *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  if (size) std::memcpy(lpData, Data.data(), size);
  *lpcbData = size;
  return ERROR_SUCCESS;
}

// Copies a name with its null into a buffer of *Count characters.
LSTATUS CopyName(const String& Name, LPWSTR Buffer, LPDWORD Count) {
  if (!Buffer || !Count) return ERROR_INVALID_PARAMETER;
  if (*Count < Name.size() + 1) {
    *Count = static_cast<DWORD>(Name.size());
    return ERROR_MORE_DATA;
  }
  std::copy(Name.begin(), Name.end(), Buffer);
  Buffer[Name.size()] = 0;
  *Count = static_cast<DWORD>(Name.size());
  return ERROR_SUCCESS;
}

HKEY NewHandle(int Root, TPath Path, bool Writable) {
  auto* k = new TKeyHandle;
  k->Root = Root;
  k->Path = std::move(Path);
  if (const TProvider* p = ProviderAt(k->Root, k->Path)) {
    k->Dynamic = true;
    k->Snapshot = p->Fn();
  }
  k->Writable = Writable && !k->Dynamic;
  State().Handles.insert(k);
  return reinterpret_cast<HKEY>(k);
}

bool WantsWrite(REGSAM Sam) { return (Sam & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY)) != 0; }

}  // namespace

// --- The functions ----------------------------------------------------------------------------

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* base = Resolve(hKey);
  if (!base) return ERROR_INVALID_HANDLE;
  TPath path = base->Path;
  if (!SplitPath(lpSubKey, path)) return ERROR_INVALID_PARAMETER;
  if (DWORD r = CheckKey(*base)) return r;
  if (!KeyExists(base->Root, path)) return ERROR_FILE_NOT_FOUND;
  *phkResult = NewHandle(base->Root, std::move(path), WantsWrite(samDesired));
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                        const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  TFolderLock folder;
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* base = Resolve(hKey);
  if (!base) return ERROR_INVALID_HANDLE;
  TPath path = base->Path;
  if (!SplitPath(lpSubKey, path)) return ERROR_INVALID_PARAMETER;
  if (DWORD r = CheckKey(*base)) return r;
  DWORD disposition = REG_OPENED_EXISTING_KEY;
  if (!KeyExists(base->Root, path)) {
    if (!base->Writable) return ERROR_ACCESS_DENIED;
    bool prefix;
    for (size_t i = 1; i <= path.size(); ++i) {
      // No stored key may be made inside a provider's key.
      if (ProviderAt(base->Root, TPath(path.begin(), path.begin() + static_cast<long>(i)), &prefix) &&
          i < path.size())
        return ERROR_ACCESS_DENIED;
    }
    if (!folder.Held()) return ERROR_CANTWRITE;
    TRootStore& store = State().Roots[base->Root];
    TNode* n = store.Tree.get();
    for (const String& part : path) n = n->AddChild(part);
    if (DWORD r = store.Save()) return r;
    disposition = REG_CREATED_NEW_KEY;
  }
  if (lpdwDisposition) *lpdwDisposition = disposition;
  *phkResult = NewHandle(base->Root, std::move(path), WantsWrite(samDesired));
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY hKey) {
  TKeyHandle* k;
  {
    std::lock_guard<std::mutex> g(State().Lock);
    if (RootIndex(hKey) >= 0) return ERROR_SUCCESS;
    k = reinterpret_cast<TKeyHandle*>(hKey);
    if (!State().Handles.erase(k)) return ERROR_INVALID_HANDLE;
  }
  delete k;
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* k = Resolve(hKey);
  if (!k) return ERROR_INVALID_HANDLE;
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  if (DWORD r = CheckKey(*k)) return r;
  String name = Fold(lpValueName ? String(lpValueName) : String());
  for (const TValueView& v : ValuesOf(*k)) {
    if (Fold(*v.Name) != name) continue;
    if (lpType) *lpType = v.Type;
    return CopyData(*v.Data, lpData, lpcbData);
  }
  return ERROR_FILE_NOT_FOUND;
}

LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  String name = lpValueName ? String(lpValueName) : String();
  if (name.size() > kMaxValueNameLength || (cbData && !lpData)) return ERROR_INVALID_PARAMETER;
  TFolderLock folder;
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* k = Resolve(hKey);
  if (!k) return ERROR_INVALID_HANDLE;
  if (DWORD r = CheckKey(*k)) return r;
  if (!k->Writable) return ERROR_ACCESS_DENIED;
  if (!folder.Held()) return ERROR_CANTWRITE;
  TRootStore& store = State().Roots[k->Root];
  TNode* n = store.Tree.get();
  for (const String& part : k->Path) n = n->AddChild(part);  // a key on the way to a provider's becomes stored
  TValue* v = n->FindValue(name);
  if (!v) {
    n->Values.emplace_back();
    v = &n->Values.back();
    v->Name = name;
  }
  v->Type = dwType;
  v->Data.assign(lpData, lpData + cbData);
  return store.Save();
}

LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                      LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* k = Resolve(hKey);
  if (!k) return ERROR_INVALID_HANDLE;
  if (!lpValueName || !lpcchValueName || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  if (DWORD r = CheckKey(*k)) return r;
  std::vector<TValueView> values = ValuesOf(*k);
  if (dwIndex >= values.size()) return ERROR_NO_MORE_ITEMS;
  const TValueView& v = values[dwIndex];
  LSTATUS r = CopyName(*v.Name, lpValueName, lpcchValueName);
  if (r != ERROR_SUCCESS) return r;
  if (lpType) *lpType = v.Type;
  return CopyData(*v.Data, lpData, lpcbData);
}

LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                      LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* k = Resolve(hKey);
  if (!k) return ERROR_INVALID_HANDLE;
  if (DWORD r = CheckKey(*k)) return r;
  std::vector<String> names = SubkeyNames(*k);
  if (dwIndex >= names.size()) return ERROR_NO_MORE_ITEMS;
  LSTATUS r = CopyName(names[dwIndex], lpName, lpcchName);
  if (r != ERROR_SUCCESS) return r;
  if (lpClass && lpcchClass && *lpcchClass) *lpClass = 0;
  if (lpcchClass) *lpcchClass = 0;
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{};
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  TFolderLock folder;
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* k = Resolve(hKey);
  if (!k) return ERROR_INVALID_HANDLE;
  TPath path = k->Path;
  if (!SplitPath(lpSubKey, path)) return ERROR_INVALID_PARAMETER;
  if (DWORD r = CheckKey(*k)) return r;
  if (path.empty()) return ERROR_ACCESS_DENIED;  // a root
  bool prefix;
  ProviderAt(k->Root, path, &prefix);
  if (prefix) return ERROR_ACCESS_DENIED;  // a provider's key or a key on its way
  TNode* n = StoredNode(k->Root, path);
  if (!n) return ERROR_FILE_NOT_FOUND;
  if (!n->Keys.empty()) return ERROR_ACCESS_DENIED;
  if (!folder.Held()) return ERROR_CANTWRITE;
  TPath parentPath(path.begin(), path.end() - 1);
  TNode* parent = StoredNode(k->Root, parentPath);
  parent->Keys.erase(Fold(path.back()));
  return State().Roots[k->Root].Save();
}

LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  String name = Fold(lpValueName ? String(lpValueName) : String());
  TFolderLock folder;
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* k = Resolve(hKey);
  if (!k) return ERROR_INVALID_HANDLE;
  if (DWORD r = CheckKey(*k)) return r;
  if (!k->Writable) return ERROR_ACCESS_DENIED;
  TNode* n = StoredNode(k->Root, k->Path);
  if (!n) return ERROR_FILE_NOT_FOUND;
  auto it = std::find_if(n->Values.begin(), n->Values.end(), [&](const TValue& v) { return Fold(v.Name) == name; });
  if (it == n->Values.end()) return ERROR_FILE_NOT_FOUND;
  if (!folder.Held()) return ERROR_CANTWRITE;
  n->Values.erase(it);
  return State().Roots[k->Root].Save();
}

LSTATUS RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                         LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                         LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                         PFILETIME lpftLastWriteTime) {
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* k = Resolve(hKey);
  if (!k) return ERROR_INVALID_HANDLE;
  if (DWORD r = CheckKey(*k)) return r;
  std::vector<String> keys = SubkeyNames(*k);
  std::vector<TValueView> values = ValuesOf(*k);
  DWORD maxKey = 0, maxName = 0, maxData = 0;
  for (const String& s : keys) maxKey = std::max(maxKey, static_cast<DWORD>(s.size()));
  for (const TValueView& v : values) {
    maxName = std::max(maxName, static_cast<DWORD>(v.Name->size()));
    maxData = std::max(maxData, static_cast<DWORD>(v.Data->size()));
  }
  if (lpClass && lpcchClass && *lpcchClass) *lpClass = 0;
  if (lpcchClass) *lpcchClass = 0;
  if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(keys.size());
  if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = maxKey;
  if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
  if (lpcValues) *lpcValues = static_cast<DWORD>(values.size());
  if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = maxName;
  if (lpcbMaxValueLen) *lpcbMaxValueLen = maxData;
  if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
  if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{};
  return ERROR_SUCCESS;
}

void SetRegistryProvider(HKEY Root, const String& Path, TRegistryProvider Provider) {
  int root = RootIndex(Root);
  if (root < 0) return;
  TPath parts;
  SplitPath(Path.c_str(), parts);
  TPath folded = FoldPath(parts);
  std::lock_guard<std::mutex> g(State().Lock);
  auto& list = State().Providers;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [&](const TProvider& p) { return p.Root == root && p.Folded == folded; }),
             list.end());
  if (Provider) list.push_back({root, folded, Provider});
}

String FoldName(const String& S) {
  String r(S);
  for (Char& c : r)
    if (c < 0xD800 || c > 0xDFFF) c = static_cast<Char>(u_toupper(c));
  return r;
}

String RegistryDirectory() { return UTF8ToUTF16(DirectoryPath()); }

void SetRegistryFileStore(const TRegistryFileStore* Store) {
  std::lock_guard<std::mutex> g(State().Lock);
  gFileStore = Store;
  for (TRootStore& root : State().Roots) root.Loaded = false;  // read again from where the files now are
}

String RegistryStoreError(HKEY hKey) {
  std::lock_guard<std::mutex> g(State().Lock);
  TKeyHandle* k = Resolve(hKey);
  if (!k) return String();
  return UTF8ToUTF16(State().Roots[k->Root].Error);
}

String RegistryErrorText(LSTATUS Code) {
  switch (static_cast<DWORD>(Code)) {
    case ERROR_SUCCESS: return u"The operation completed successfully";
    case ERROR_FILE_NOT_FOUND: return u"The system cannot find the file specified";
    case ERROR_ACCESS_DENIED: return u"Access is denied";
    case ERROR_INVALID_HANDLE: return u"The handle is invalid";
    case ERROR_INVALID_PARAMETER: return u"The parameter is incorrect";
    case ERROR_MORE_DATA: return u"More data is available";
    case ERROR_NO_MORE_ITEMS: return u"No more data is available";
    case ERROR_BADDB: return u"The configuration registry database is corrupt";
    case ERROR_CANTREAD: return u"The configuration registry key could not be read";
    case ERROR_CANTWRITE: return u"The configuration registry key could not be written";
    case ERROR_KEY_DELETED: return u"Illegal operation attempted on a registry key that has been marked for deletion";
    default: return u"Registry error " + UTF8ToUTF16(std::to_string(Code));
  }
}

}  // namespace win
