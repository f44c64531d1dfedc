#include "platform/win/FontMap.h"

#include <fontconfig/fontconfig.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/rtl/CodePages.h"

namespace win::fontmap {

namespace {

// One face name of the platform: the installed families that stand for it,
// metric-compatible ones first, and how the platform describes it.
struct TFaceEntry {
  const char16_t* Name;
  const char* Families[3];
  uint8_t Family;
  bool FixedPitch;
  bool Raster;
  bool SymbolMap;
};

// Raster marks the faces that are bitmap fonts on the platform: they report
// no TMPF_TRUETYPE (the group box switches a rotated caption to "Arial" then) unless
// OUT_TT_ONLY_PRECIS asks for an outline font. Here every face is drawn from
// an outline font, so rotation works for all of them.
const TFaceEntry FaceTable[] = {
    {u"MS Sans Serif", {"DejaVu Sans", nullptr, nullptr}, FamilySwiss, false, true, false},
    {u"MS Shell Dlg", {"DejaVu Sans", nullptr, nullptr}, FamilySwiss, false, false, false},
    {u"MS Shell Dlg 2", {"DejaVu Sans", nullptr, nullptr}, FamilySwiss, false, false, false},
    {u"Microsoft Sans Serif", {"DejaVu Sans", nullptr, nullptr}, FamilySwiss, false, false, false},
    {u"Tahoma", {"DejaVu Sans", nullptr, nullptr}, FamilySwiss, false, false, false},
    {u"Segoe UI", {"DejaVu Sans", nullptr, nullptr}, FamilySwiss, false, false, false},
    {u"Verdana", {"DejaVu Sans", nullptr, nullptr}, FamilySwiss, false, false, false},
    {u"System", {"DejaVu Sans", nullptr, nullptr}, FamilySwiss, false, true, false},
    {u"Arial", {"Liberation Sans", "DejaVu Sans", nullptr}, FamilySwiss, false, false, false},
    {u"Times New Roman", {"Liberation Serif", "DejaVu Serif", nullptr}, FamilyRoman, false, false, false},
    {u"Courier New", {"Liberation Mono", "DejaVu Sans Mono", nullptr}, FamilyModern, true, false, false},
    {u"Courier", {"Liberation Mono", "DejaVu Sans Mono", nullptr}, FamilyModern, true, true, false},
    {u"Fixedsys", {"DejaVu Sans Mono", "Liberation Mono", nullptr}, FamilyModern, true, true, false},
    {u"Terminal", {"DejaVu Sans Mono", "Liberation Mono", nullptr}, FamilyModern, true, true, false},
    {u"Marlett", {"DejaVu Sans", nullptr, nullptr}, FamilyDecorative, false, false, true},
};

// Entries of the table that stand for unknown names, by pitch and family.
constexpr size_t ArialEntry = 8, TimesEntry = 9, CourierNewEntry = 10;

const char* const LastResortFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

bool SameName(const std::u16string& a, const char16_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return i == a.size() && !b[i];
}

const TFaceEntry* FindTableEntry(const std::u16string& name) {
  for (const auto& e : FaceTable)
    if (SameName(name, e.Name)) return &e;
  return nullptr;
}

// The table's stand-in for a name it does not know, by pitch and family.
const TFaceEntry& FallbackEntry(uint8_t pitchAndFamily) {
  if ((pitchAndFamily & 0x03) == FixedPitchBit || (pitchAndFamily & 0xF0) == FamilyModern)
    return FaceTable[CourierNewEntry];
  if ((pitchAndFamily & 0xF0) == FamilyRoman) return FaceTable[TimesEntry];
  return FaceTable[ArialEntry];
}

bool SameFamily(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a >= 'a' && *a <= 'z' ? char(*a - 32) : *a;
    char y = *b >= 'a' && *b <= 'z' ? char(*b - 32) : *b;
    if (x != y) return false;
  }
  return !*a && !*b;
}

// Asks fontconfig for a family in a style. Answers false when fontconfig
// substitutes another family (unless acceptAny). With own, the match also
// takes the installed family's name and pitch.
bool QueryFontconfig(const char* family, bool bold, bool italic, bool acceptAny, TFontMatch& m, bool own = false) {
  static const bool ready = [] {
    if (!FcInit()) return false;
    // fontconfig's caches are released at exit, so that leak checkers see none
    std::atexit([] { FcFini(); });
    return true;
  }();
  if (!ready) return false;
  FcPattern* pat = FcPatternCreate();
  if (!pat) return false;
  if (family) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddInteger(pat, FC_WIDTH, FC_WIDTH_NORMAL);
  FcPatternAddBool(pat, FC_OUTLINE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  if (!found) return false;
  bool ok = false;
  FcChar8* file = nullptr;
  FcChar8* fam = nullptr;
  if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file &&
      (acceptAny || !family ||
       (FcPatternGetString(found, FC_FAMILY, 0, &fam) == FcResultMatch && fam &&
        SameFamily(reinterpret_cast<const char*>(fam), family)))) {
    m.File = reinterpret_cast<const char*>(file);
    int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(found, FC_INDEX, 0, &index);
    FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(found, FC_SLANT, 0, &slant);
    m.FaceIndex = index;
    m.Bold = weight >= FC_WEIGHT_DEMIBOLD;
    m.Italic = slant != FC_SLANT_ROMAN;
    if (own) {
      // The installed face stands for itself: its own name and pitch.
      if (fam) m.FaceName = UTF8ToUTF16(reinterpret_cast<const char*>(fam));
      int spacing = FC_PROPORTIONAL;
      m.FixedPitch = FcPatternGetInteger(found, FC_SPACING, 0, &spacing) == FcResultMatch && spacing >= FC_MONO;
      m.Family = m.FixedPitch ? FamilyModern : FamilySwiss;
    }
    ok = true;
  }
  FcPatternDestroy(found);
  return ok;
}

struct TState {
  std::mutex Lock;
  std::string Override;
  std::map<std::tuple<std::u16string, bool, bool, uint8_t>, TFontMatch> Cache;
};

TState& State() {
  static TState* s = new TState();
  return *s;
}

std::atomic<uint32_t> Generation{1};

}  // namespace

TFontMatch MatchFont(const std::u16string& faceName, int weight, bool italic, uint8_t pitchAndFamily) {
  const bool bold = weight >= 600;
  const TFaceEntry* known = FindTableEntry(faceName);
  TState& st = State();
  std::lock_guard<std::mutex> g(st.Lock);
  // A name the table does not know is asked for as it is first: an
  // installed family of that name is used under its own name. The override
  // keeps every name on the table, so that figures stay the same everywhere.
  std::u16string keyName = known ? std::u16string(known->Name) : faceName;
  for (char16_t& c : keyName) c = AsciiUpper(c);
  auto key = std::make_tuple(keyName, bold, italic, known ? uint8_t(0) : pitchAndFamily);
  auto it = st.Cache.find(key);
  if (it != st.Cache.end()) return it->second;
  TFontMatch m;
  bool found = !known && !faceName.empty() && st.Override.empty() &&
               QueryFontconfig(UTF16ToUTF8(faceName).c_str(), bold, italic, false, m, true);
  if (!found) {
    const TFaceEntry& e = known ? *known : FallbackEntry(pitchAndFamily);
    m.FaceName = e.Name;
    m.Family = e.Family;
    m.FixedPitch = e.FixedPitch;
    m.Raster = e.Raster;
    m.SymbolMap = e.SymbolMap;
    if (!st.Override.empty()) {
      m.File = st.Override;
      found = true;
    }
    for (int i = 0; !found && i < 3 && e.Families[i]; ++i)
      found = QueryFontconfig(e.Families[i], bold, italic, false, m);
    if (!found) found = QueryFontconfig(e.FixedPitch ? "monospace" : "sans-serif", bold, italic, true, m);
    if (!found) m.File = LastResortFile;
  }
  m.SynthBold = bold && !m.Bold;
  m.SynthItalic = italic && !m.Italic;
  st.Cache.emplace(key, m);
  return m;
}

uint32_t MapSymbolChar(uint32_t code) {
  switch (code) {
    case '0':
      return 0x2581;  // minimize: a low bar
    case '1':
      return 0x25A1;  // maximize: a box
    case '2':
      return 0x2750;  // restore: two boxes
    case '3':
      return 0x25C0;  // left arrow
    case '4':
      return 0x25B6;  // right arrow
    case '5':
      return 0x25B2;  // up arrow
    case '6':
      return 0x25BC;  // down arrow
    case '7':
      return 0x25C2;  // small left arrow
    case '8':
      return 0x25B8;  // small right arrow
    case 'a':
      return 0x2713;  // check mark
    case 'h':
    case 'i':
      return 0x2022;  // bullets
    case 'n':
      return 0x25CF;  // radio dot
    case 'o':
    case 'p':
      return 0x25E2;  // size grip
    case 'r':
      return 0x2715;  // close cross
    case 's':
      return '?';  // help
    default:
      return code;
  }
}

void SetFontFileOverride(const std::string& path) {
  TState& st = State();
  std::lock_guard<std::mutex> g(st.Lock);
  st.Override = path;
  st.Cache.clear();
  Generation.fetch_add(1);
}

const std::string& FontFileOverride() { return State().Override; }

uint32_t MappingGeneration() { return Generation.load(); }

}  // namespace win::fontmap
