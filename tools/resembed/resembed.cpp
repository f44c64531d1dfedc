// Build-time tool: turns resource files into a C++ source that registers them
// as embedded resources (platform/classes/Resources.h).
//
//   resembed OUTPUT.cpp [--export=NAME] INPUT...
//
// With --export=NAME the output also defines `void NAME()` (doing nothing):
// a unit of a static library that calls it keeps the resources linked into
// every program that uses the unit.
//
// An INPUT is a file path, optionally preceded by "TYPE:NAME=" to set the
// resource type and name explicitly (a type or name "#n" is the identifier n;
// RCDATA, BITMAP, CURSOR, ICON, STRING, GROUP_CURSOR and GROUP_ICON name the
// standard types). Without it the kind follows from the extension:
//   .dfm      a form in the text (or binary) form format: converted to the
//             binary form, RCDATA named by the root's class name;
//   .bmp      BITMAP named by the file's base name in upper case, without the
//             14-byte file header (the resource holds the bitmap's info and bits);
//   .strings  string tables: lines "id=text" (text verbatim, with the escapes
//             \n \r \t \\ and \uXXXX; lines starting with ';' and empty lines
//             are skipped), stored as RT_STRING blocks of 16;
//   other     RCDATA named by the base name in upper case.
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/classes/FormText.h"
#include "platform/rtl/CodePages.h"
#include "platform/rtl/Exceptions.h"

namespace {

struct TItem {
  std::string Type;  // "#n" or a name
  std::string Name;
  std::string Data;
};

[[noreturn]] void Fail(const std::string& Msg) {
  std::fprintf(stderr, "resembed: %s\n", Msg.c_str());
  std::exit(1);
}

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) Fail("cannot read " + Path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Upper(std::string S) {
  for (char& c : S)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return S;
}

std::string BaseName(const std::string& Path) {
  size_t slash = Path.find_last_of('/');
  std::string base = slash == std::string::npos ? Path : Path.substr(slash + 1);
  size_t dot = base.find_last_of('.');
  return dot == std::string::npos ? base : base.substr(0, dot);
}

std::string Extension(const std::string& Path) {
  size_t dot = Path.find_last_of('.');
  size_t slash = Path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string e = Path.substr(dot);
  for (char& c : e)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return e;
}

std::string StandardType(const std::string& T) {
  static const std::map<std::string, std::string> types = {
      {"CURSOR", "#1"}, {"BITMAP", "#2"},        {"ICON", "#3"},       {"STRING", "#6"},
      {"RCDATA", "#10"}, {"GROUP_CURSOR", "#12"}, {"GROUP_ICON", "#14"}};
  auto it = types.find(Upper(T));
  return it == types.end() ? T : it->second;
}

// The class name of the root of a binary form.
std::string FormClassName(const std::string& Bin) {
  size_t p = 4;
  if (p < Bin.size() && (static_cast<unsigned char>(Bin[p]) & 0xF0) == 0xF0) Fail("a form resource has a prefix");
  if (p >= Bin.size()) Fail("empty form");
  size_t n = static_cast<unsigned char>(Bin[p]);
  if (p + 1 + n > Bin.size()) Fail("truncated form");
  return Bin.substr(p + 1, n);
}

void AddU16(std::string& Out, unsigned V) {
  Out += static_cast<char>(V & 0xFF);
  Out += static_cast<char>((V >> 8) & 0xFF);
}

// String tables into RT_STRING blocks.
void AddStringTables(const std::string& Path, const std::string& Text, std::vector<TItem>& Items) {
  std::map<unsigned, std::map<unsigned, String>> blocks;
  std::istringstream in(Text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) Fail(Path + ":" + std::to_string(lineNo) + ": '=' expected");
    unsigned long id = 0;
    try {
      id = std::stoul(line.substr(0, eq));
    } catch (...) {
      Fail(Path + ":" + std::to_string(lineNo) + ": identifier expected");
    }
    if (id > 0xFFFF) Fail(Path + ":" + std::to_string(lineNo) + ": identifier out of range");
    String raw = UTF8ToUTF16(line.substr(eq + 1)), value;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != u'\\' || i + 1 >= raw.size()) {
        value += raw[i];
        continue;
      }
      Char c = raw[++i];
      if (c == u'n') value += u'\n';
      else if (c == u'r') value += u'\r';
      else if (c == u't') value += u'\t';
      else if (c == u'\\') value += u'\\';
      else if (c == u'u' && i + 4 < raw.size()) {
        std::string hex(raw.begin() + static_cast<std::ptrdiff_t>(i + 1), raw.begin() + static_cast<std::ptrdiff_t>(i + 5));
        size_t used = 0;
        unsigned long code = 0;
        try {
          code = std::stoul(hex, &used, 16);
        } catch (...) {
        }
        if (used != 4) Fail(Path + ":" + std::to_string(lineNo) + ": \\u needs four hex digits");
        value += static_cast<Char>(code);
        i += 4;
      } else {
        Fail(Path + ":" + std::to_string(lineNo) + ": unknown escape");
      }
    }
    auto& block = blocks[id / 16 + 1];
    if (block.count(id % 16)) Fail(Path + ":" + std::to_string(lineNo) + ": duplicate identifier");
    block[id % 16] = value;
  }
  for (auto& [blockId, strings] : blocks) {
    TItem item{"#6", "#" + std::to_string(blockId), {}};
    for (unsigned i = 0; i < 16; ++i) {
      auto it = strings.find(i);
      String s = it == strings.end() ? String() : it->second;
      AddU16(item.Data, static_cast<unsigned>(s.size()));
      for (Char c : s) AddU16(item.Data, c);
    }
    Items.push_back(item);
  }
}

std::string CppName(const std::string& S) {
  if (!S.empty() && S[0] == '#') return "nullptr, " + S.substr(1);
  std::string out = "u\"";
  for (char c : S) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\", 0";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) Fail("usage: resembed OUTPUT.cpp [TYPE:NAME=]FILE...");
  std::vector<TItem> items;
  std::string exportName;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i], type, name, path = arg;
    if (arg.rfind("--export=", 0) == 0) {
      exportName = arg.substr(9);
      continue;
    }
    size_t eq = arg.find('=');
    size_t colon = arg.find(':');
    if (eq != std::string::npos && colon != std::string::npos && colon < eq) {
      type = StandardType(arg.substr(0, colon));
      name = Upper(arg.substr(colon + 1, eq - colon - 1));
      path = arg.substr(eq + 1);
    }
    std::string data = ReadFile(path);
    std::string ext = Extension(path);
    if (type.empty() && ext == ".strings") {
      AddStringTables(path, data, items);
      continue;
    }
    if (ext == ".dfm") {
      try {
        if (TestStreamFormat(data) != sofBinary) data = ObjectTextToBinary(data);
      } catch (const Exception& e) {
        Fail(path + ": " + e.what());
      }
      if (type.empty()) {
        type = "#10";
        name = Upper(FormClassName(data));
      }
    } else if (ext == ".bmp" && (type.empty() || type == "#2")) {
      if (data.size() < 14 || data.compare(0, 2, "BM") != 0) Fail(path + ": not a bitmap file");
      data = data.substr(14);
      if (type.empty()) type = "#2";
    }
    if (type.empty()) type = "#10";
    if (name.empty()) name = Upper(BaseName(path));
    items.push_back({type, name, data});
  }

  std::ostringstream out;
  out << "// Generated by resembed: do not edit.\n#include \"platform/classes/Resources.h\"\n\nnamespace {\n";
  for (size_t i = 0; i < items.size(); ++i) {
    out << "const Byte kData" << i << "[] = {";
    const std::string& d = items[i].Data;
    for (size_t k = 0; k < d.size(); ++k) {
      if (k % 24 == 0) out << "\n ";
      out << ' ' << static_cast<unsigned>(static_cast<unsigned char>(d[k])) << ',';
    }
    if (d.empty()) out << "0";
    out << "};\n";
  }
  out << "const TResourceEntry kEntries[] = {\n";
  for (size_t i = 0; i < items.size(); ++i)
    out << "    {" << CppName(items[i].Type) << ", " << CppName(items[i].Name) << ", kData" << i << ", "
        << items[i].Data.size() << "},\n";
  if (items.empty()) out << "    {nullptr, 0, nullptr, 0, nullptr, 0},\n";
  out << "};\n"
      << "// Registers the resources before main; the registry is made on first use,\n"
      << "// so the order of static initialization does not matter.\n"
      << "struct TRegistrar {\n  TRegistrar() { RegisterResources(kEntries, " << items.size() << "); }\n} gRegistrar;\n"
      << "}  // namespace\n";
  if (!exportName.empty()) out << "\nvoid " << exportName << "() {}\n";

  std::string text = out.str();
  std::string outPath = argv[1];
  std::ifstream old(outPath, std::ios::binary);
  if (old) {
    std::ostringstream s;
    s << old.rdbuf();
    if (s.str() == text) return 0;  // unchanged: keep the time stamp
  }
  std::ofstream file(outPath, std::ios::binary);
  if (!file) Fail("cannot write " + outPath);
  file << text;
  return file ? 0 : 1;
}
