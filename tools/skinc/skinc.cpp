// Build-time tool: turns a skin description (plain text, docs/skins.md) and
// the PNG textures it names into the binary skin stream ("nbSkin", version
// 1.02) that the look and feel reads.
//
//   skinc DESCRIPTION OUTPUT
//
// Texture paths are relative to the description's folder. Any error names
// the line and stops the build.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string gFile;
int gLine = 0;

[[noreturn]] void Fail(const std::string& AMessage) {
  std::fprintf(stderr, "%s:%d: %s\n", gFile.c_str(), gLine, AMessage.c_str());
  std::exit(1);
}

std::string ReadFile(const std::string& APath) {
  std::ifstream in(APath, std::ios::binary);
  if (!in) Fail("cannot read " + APath);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// --- the stream ------------------------------------------------------------------------------

struct TOut {
  std::string Bytes;
  void I32(int32_t V) { Bytes.append(reinterpret_cast<const char*>(&V), 4); }
  void U8(uint8_t V) { Bytes.push_back(char(V)); }
  void U16(uint16_t V) { Bytes.append(reinterpret_cast<const char*>(&V), 2); }
  void F64(double V) { Bytes.append(reinterpret_cast<const char*>(&V), 8); }
  // Counted text: the description is ASCII, which every ANSI page keeps.
  void Str(const std::string& V) {
    I32(int32_t(V.size()));
    Bytes += V;
  }
};

constexpr int32_t kClNone = 0x1FFFFFFF;
constexpr int32_t kClDefault = 0x20000000;

struct TProperty {
  std::string Class, Name;
  std::string Data;  // the value bytes
};

struct TImage {
  int32_t Margins[4]{};
  uint8_t Layout{};
  uint16_t States{};
  uint8_t Stretch{};
  int32_t GradientBegin = kClNone, GradientEnd = kClNone;
  uint8_t Gradient{};
  std::string Png;
};

struct TBorder {
  int32_t Color = kClNone, Thin = 1;
};

struct TElement {
  std::string Name;
  int32_t Color = kClDefault;
  uint8_t Alpha = 255;
  int32_t ImageCount = 1;
  int32_t ContentOffset[4]{};
  TImage Glyph, Image;
  TBorder Borders[4];
  int32_t TextColor = kClDefault;
  int32_t MinSize[2]{};
  std::vector<TProperty> Properties;
};

struct TGroup {
  std::string Name;
  std::vector<TElement> Elements;
  std::vector<TProperty> Properties;
};

struct TSkin {
  std::string Name;
  std::vector<std::pair<std::string, int32_t>> Colors;
  std::vector<TProperty> Properties;
  std::vector<TGroup> Groups;
};

void WriteProperties(TOut& O, const std::vector<TProperty>& AList) {
  O.I32(int32_t(AList.size()));
  for (const TProperty& p : AList) {
    O.Str(p.Class);
    O.Str(p.Name);
    O.Bytes += p.Data;
  }
}

void WriteImage(TOut& O, const TImage& I) {
  for (int32_t m : I.Margins) O.I32(m);
  O.U8(I.Layout);
  O.U16(I.States);
  O.U8(I.Stretch);
  O.I32(I.GradientBegin);
  O.I32(I.GradientEnd);
  O.U8(I.Gradient);
  O.I32(int32_t(I.Png.size()));
  O.Bytes += I.Png;
}

std::string WriteSkin(const TSkin& S) {
  TOut O;
  O.I32(6);
  O.Bytes += "nbSkin";
  O.F64(1.02);
  O.Str(S.Name);
  O.I32(int32_t(S.Colors.size()));
  for (const auto& c : S.Colors) {
    O.Str("TnbSkinColor");
    O.Str(c.first);
    O.I32(c.second);
  }
  WriteProperties(O, S.Properties);
  O.I32(int32_t(S.Groups.size()));
  for (const TGroup& g : S.Groups) {
    O.Str(g.Name);
    O.I32(int32_t(g.Elements.size()));
    for (const TElement& e : g.Elements) {
      O.Str(e.Name);
      O.I32(e.Color);
      O.U8(e.Alpha);
      O.I32(e.ImageCount);
      for (int32_t v : e.ContentOffset) O.I32(v);
      WriteImage(O, e.Glyph);
      WriteImage(O, e.Image);
      static const char* const sides[4] = {"Left", "Top", "Right", "Bottom"};
      for (int i = 0; i < 4; ++i) {
        O.Str("TnbSkinBorder");
        O.Str(sides[i]);
        O.I32(e.Borders[i].Color);
        O.I32(e.Borders[i].Thin);
      }
      O.I32(e.TextColor);
      O.I32(e.MinSize[0]);
      O.I32(e.MinSize[1]);
      WriteProperties(O, e.Properties);
    }
    WriteProperties(O, g.Properties);
  }
  return O.Bytes;
}

// --- the description -------------------------------------------------------------------------

int32_t Number(const std::string& S) {
  char* end = nullptr;
  const long v = std::strtol(S.c_str(), &end, 10);
  if (S.empty() || *end) Fail("not a number: " + S);
  return int32_t(v);
}

// #RRGGBB (stored as the platform's colour, blue in the high byte), none or default.
int32_t Color(const std::string& S) {
  if (S == "none") return kClNone;
  if (S == "default") return kClDefault;
  if (S.size() != 7 || S[0] != '#') Fail("not a colour: " + S);
  char* end = nullptr;
  const unsigned long rgb = std::strtoul(S.c_str() + 1, &end, 16);
  if (*end) Fail("not a colour: " + S);
  return int32_t((rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16);
}

std::vector<std::string> Split(const std::string& S, char ASep) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(S);
  while (std::getline(in, part, ASep))
    if (!part.empty()) parts.push_back(part);
  return parts;
}

TProperty Property(const std::vector<std::string>& W) {
  // property KIND NAME VALUE...
  if (W.size() < 4) Fail("property KIND NAME VALUE");
  TProperty p;
  p.Name = W[2];
  TOut data;
  const std::string& kind = W[1];
  if (kind == "integer") {
    p.Class = "TnbSkinIntegerProperty";
    data.I32(Number(W[3]));
  } else if (kind == "boolean") {
    p.Class = "TnbSkinBooleanProperty";
    data.U8(W[3] == "true" ? 1 : 0);
  } else if (kind == "color") {
    p.Class = "TnbSkinColor";
    data.I32(Color(W[3]));
  } else if (kind == "rect" && W.size() == 7) {
    p.Class = "TnbSkinRectProperty";
    for (int i = 3; i < 7; ++i) data.I32(Number(W[i]));
  } else if (kind == "size" && W.size() == 5) {
    p.Class = "TnbSkinSizeProperty";
    data.I32(Number(W[3]));
    data.I32(Number(W[4]));
  } else if (kind == "string") {
    p.Class = "TnbSkinStringProperty";
    std::string text = W[3];
    for (size_t i = 4; i < W.size(); ++i) text += " " + W[i];
    data.Str(text);
  } else {
    Fail("unknown property kind " + kind);
  }
  p.Data = data.Bytes;
  return p;
}

// image|glyph FILE key=value...
void Image(TImage& I, const std::vector<std::string>& W, const std::string& AFolder) {
  if (W.size() < 2) Fail(W[0] + " FILE key=value...");
  if (W[1] != "none") {
    I.Png = ReadFile(AFolder + "/" + W[1]);
    if (I.Png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) Fail(W[1] + " is no PNG file");
  }
  static const std::map<std::string, int> states = {
      {"normal", 0},  {"hot", 1},       {"pressed", 2},   {"disabled", 3},       {"active", 4},       {"focused", 5},
      {"droppeddown", 6}, {"checked", 7}, {"hotcheck", 8}, {"activedisabled", 9}, {"checkpressed", 10}};
  for (size_t i = 2; i < W.size(); ++i) {
    const size_t eq = W[i].find('=');
    if (eq == std::string::npos) Fail("key=value expected: " + W[i]);
    const std::string key = W[i].substr(0, eq), value = W[i].substr(eq + 1);
    if (key == "layout") {
      if (value != "horizontal" && value != "vertical") Fail("layout horizontal or vertical");
      I.Layout = value == "vertical";
    } else if (key == "states") {
      for (const std::string& s : Split(value, ',')) {
        auto it = states.find(s);
        if (it == states.end()) Fail("unknown state " + s);
        I.States |= uint16_t(1u << it->second);
      }
    } else if (key == "margins") {
      const std::vector<std::string> m = Split(value, ',');
      if (m.size() != 4) Fail("margins=L,T,R,B");
      for (int k = 0; k < 4; ++k) I.Margins[k] = Number(m[k]);
    } else if (key == "stretch") {
      if (value == "stretch")
        I.Stretch = 0;
      else if (value == "tile")
        I.Stretch = 1;
      else if (value == "noresize")
        I.Stretch = 2;
      else
        Fail("stretch, tile or noresize");
    } else if (key == "gradient") {
      const std::vector<std::string> g = Split(value, ',');
      static const std::map<std::string, int> modes = {
          {"horizontal", 0}, {"vertical", 1}, {"forwarddiagonal", 2}, {"backwarddiagonal", 3}};
      if (g.size() != 3 || !modes.count(g[2])) Fail("gradient=#FROM,#TO,MODE");
      I.GradientBegin = Color(g[0]);
      I.GradientEnd = Color(g[1]);
      I.Gradient = uint8_t(modes.at(g[2]));
    } else {
      Fail("unknown image key " + key);
    }
  }
}

TSkin Parse(const std::string& APath) {
  gFile = APath;
  const size_t slash = APath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : APath.substr(0, slash);
  std::istringstream in(ReadFile(APath));
  TSkin skin;
  TGroup* group = nullptr;
  TElement* element = nullptr;
  std::string line;
  while (std::getline(in, line)) {
    ++gLine;
    // A comment runs from ';' to the end of the line.
    const size_t comment = line.find(';');
    if (comment != std::string::npos) line.erase(comment);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    const std::string& key = w[0];
    auto need = [&](size_t n) {
      if (w.size() != n) Fail(key + ": " + std::to_string(n - 1) + " values expected");
    };
    if (key == "end") {
      if (element)
        element = nullptr;
      else if (group)
        group = nullptr;
      else
        Fail("end without group or element");
    } else if (key == "skin") {
      need(2);
      skin.Name = w[1];
    } else if (key == "group") {
      need(2);
      if (group) Fail("group inside a group");
      skin.Groups.push_back(TGroup{w[1], {}, {}});
      group = &skin.Groups.back();
    } else if (key == "element") {
      need(2);
      if (!group || element) Fail("element outside a group");
      group->Elements.push_back(TElement{});
      element = &group->Elements.back();
      element->Name = w[1];
    } else if (key == "property") {
      TProperty p = Property(w);
      (element ? element->Properties : group ? group->Properties : skin.Properties).push_back(p);
    } else if (!element) {
      if (key != "color" || group) Fail("unknown line outside an element: " + key);
      need(3);
      skin.Colors.emplace_back(w[1], Color(w[2]));
    } else if (key == "color") {
      need(2);
      element->Color = Color(w[1]);
    } else if (key == "alpha") {
      need(2);
      element->Alpha = uint8_t(Number(w[1]));
    } else if (key == "imagecount") {
      need(2);
      element->ImageCount = Number(w[1]);
    } else if (key == "contentoffset") {
      need(5);
      for (int i = 0; i < 4; ++i) element->ContentOffset[i] = Number(w[i + 1]);
    } else if (key == "minsize") {
      need(3);
      element->MinSize[0] = Number(w[1]);
      element->MinSize[1] = Number(w[2]);
    } else if (key == "textcolor") {
      need(2);
      element->TextColor = Color(w[1]);
    } else if (key == "border") {
      need(4);
      static const std::map<std::string, int> sides = {{"left", 0}, {"top", 1}, {"right", 2}, {"bottom", 3}, {"all", 4}};
      auto it = sides.find(w[1]);
      if (it == sides.end()) Fail("border left, top, right, bottom or all");
      for (int i = 0; i < 4; ++i)
        if (it->second == 4 || it->second == i) element->Borders[i] = TBorder{Color(w[2]), Number(w[3])};
    } else if (key == "image") {
      Image(element->Image, w, folder);
    } else if (key == "glyph") {
      Image(element->Glyph, w, folder);
    } else {
      Fail("unknown line: " + key);
    }
  }
  if (group || element) Fail("missing end");
  if (skin.Name.empty()) Fail("no skin name");
  return skin;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: skinc DESCRIPTION OUTPUT\n");
    return 2;
  }
  const std::string bytes = WriteSkin(Parse(argv[1]));
  std::ofstream out(argv[2], std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "skinc: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
