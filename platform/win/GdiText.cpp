// Fonts realized on FreeType, the glyph cache, text metrics and extents, and
// text output (ExtTextOut, TextOut, tabbed text).
#include "platform/win/GdiText.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/rtl/CodePages.h"
#include "platform/rtl/Locale.h"
#include "platform/win/FontMap.h"
#include "platform/win/GdiInternal.h"
#include "platform/win/GdiRaster.h"
#include "platform/win/SysMetrics.h"
#include "platform/win/TextInternal.h"

namespace win {

namespace {

using gdi::TDCObj;
using gdi::TDrawTarget;
using gdi::TFontObj;

// One lock for FreeType and the caches: text may be drawn from worker threads.
std::recursive_mutex& TextLock() {
  static auto* m = new std::recursive_mutex();
  return *m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

int RoundToInt(double v) {
  if (!(v > -1e9)) return -1000000000;
  if (v > 1e9) return 1000000000;
  return int(std::lround(v));
}

// ---------------------------------------------------------------------------
// Realized fonts and glyphs

struct TGlyph {
  bool Loaded = false;
  int Advance = 0;  // pixels along the baseline
  int BoxLeft = 0;  // black box: left edge from the pen and width (ABC widths)
  int BoxWidth = 0;
  // Coverage (0..255) of the glyph image, Width x Height, whose top-left
  // pixel lies at (pen.x + Left, pen.y - Top) in device axes.
  int Left = 0, Top = 0, Width = 0, Height = 0;
  std::vector<uint8_t> Coverage;
};

struct TRealizedFont {
  ~TRealizedFont() {
    if (Face) FT_Done_Face(Face);
    if (Fallback) FT_Done_Face(Fallback);
  }
  FT_Face Face = nullptr;
  // Characters the face lacks come from the fallback face (DejaVu Sans) at
  // the same size, as the platform's font linking would give them.
  FT_Face Fallback = nullptr;
  bool FallbackTried = false;
  bool FallbackSynthItalic = false;
  int FallbackEmboldenPx = 0;
  FT_F26Dot6 SizeX = 0, SizeY = 0;
  fontmap::TFontMatch Match;
  LOGFONTW Log{};
  int Ascent = 0, Descent = 0, Height = 0, InternalLeading = 0, ExternalLeading = 0;
  int AveCharWidth = 0, MaxCharWidth = 0, Weight = FW_NORMAL;
  int UnderlinePos = 1, UnderlineSize = 1;  // rows below the baseline
  int StrikeoutPos = 3, StrikeoutSize = 1;  // top row above the baseline
  BYTE Charset = ANSI_CHARSET;
  BYTE PitchAndFamily = 0;
  bool Mono = false;
  bool Rotated = false;
  double Cos = 1, Sin = 0;  // direction of the baseline (counter-clockwise angle)
  FT_Matrix Rotation{0x10000, 0, 0, 0x10000};
  int EmboldenPx = 0;

  TGlyph Low[256];
  std::unordered_map<uint32_t, TGlyph> High;

  const TGlyph& Glyph(uint32_t cp);
  void LoadGlyph(uint32_t cp, TGlyph& g);
  // Loads the character's outline into its face's slot, as drawn (synthetic
  // italic and bold, rotation); fills the metrics when given. Nil when the
  // character has no outline.
  FT_GlyphSlot LoadSlot(uint32_t cp, TGlyph* metrics);
  FT_Face FallbackFace();
};

FT_Library Library();

FT_Face TRealizedFont::FallbackFace() {
  if (FallbackTried) return Fallback;
  FallbackTried = true;
  fontmap::TFontMatch m =
      fontmap::MatchFont(u"Segoe UI", Log.lfWeight <= 0 ? FW_NORMAL : Log.lfWeight, Log.lfItalic != 0, 0);
  if (m.File.empty() || (m.File == Match.File && m.FaceIndex == Match.FaceIndex)) return nullptr;
  FT_Face f = nullptr;
  if (FT_New_Face(Library(), m.File.c_str(), m.FaceIndex, &f) != 0 || !f) return nullptr;
  if (!FT_IS_SCALABLE(f) || FT_Set_Char_Size(f, SizeX, SizeY, 72, 72) != 0) {
    FT_Done_Face(f);
    return nullptr;
  }
  Fallback = f;
  FallbackSynthItalic = m.SynthItalic;
  FallbackEmboldenPx = m.SynthBold ? EmboldenPx : 0;
  return Fallback;
}

const TGlyph& TRealizedFont::Glyph(uint32_t cp) {
  TGlyph* g;
  if (cp < 256) {
    g = &Low[cp];
  } else {
    g = &High[cp];
  }
  if (!g->Loaded) {
    g->Loaded = true;
    LoadGlyph(cp, *g);
  }
  return *g;
}

FT_GlyphSlot TRealizedFont::LoadSlot(uint32_t cp, TGlyph* metrics) {
  if (!Face) return nullptr;
  uint32_t ch = Match.SymbolMap ? fontmap::MapSymbolChar(cp) : cp;
  FT_Face face = Face;
  FT_UInt index = FT_Get_Char_Index(face, ch);
  // Control characters the font has no glyph for take no room.
  if (index == 0 && ch < 0x20) return nullptr;
  bool italic = Match.SynthItalic;
  int embolden = EmboldenPx;
  if (index == 0 && ch <= 0x10FFFF) {
    if (FT_Face fb = FallbackFace()) {
      if (FT_UInt j = FT_Get_Char_Index(fb, ch)) {
        face = fb;
        index = j;
        italic = FallbackSynthItalic;
        embolden = FallbackEmboldenPx;
      }
    }
  }
  FT_Int32 flags = FT_LOAD_NO_BITMAP | (Mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT);
  if (FT_Load_Glyph(face, index, flags) != 0) return nullptr;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
  if (italic) FT_GlyphSlot_Oblique(slot);
  if (embolden > 0) FT_Outline_EmboldenXY(&slot->outline, embolden * 64, 0);
  if (metrics) {
    metrics->Advance = int((slot->metrics.horiAdvance + 32) >> 6) + embolden;
    if (slot->outline.n_points > 0) {
      FT_BBox box;
      FT_Outline_Get_CBox(&slot->outline, &box);
      int l = int(box.xMin >> 6);         // floor
      int r = int((box.xMax + 63) >> 6);  // ceiling
      metrics->BoxLeft = l;
      metrics->BoxWidth = r - l;
    }
  }
  if (Rotated) FT_Outline_Transform(&slot->outline, &Rotation);
  return slot;
}

void TRealizedFont::LoadGlyph(uint32_t cp, TGlyph& g) {
  FT_GlyphSlot slot = LoadSlot(cp, &g);
  if (!slot) return;
  if (FT_Render_Glyph(slot, Mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return;
  const FT_Bitmap& bm = slot->bitmap;
  if (bm.width == 0 || bm.rows == 0 || !bm.buffer) return;
  g.Left = slot->bitmap_left;
  g.Top = slot->bitmap_top;
  g.Width = int(bm.width);
  g.Height = int(bm.rows);
  g.Coverage.assign(size_t(g.Width) * size_t(g.Height), 0);
  for (int y = 0; y < g.Height; ++y) {
    const unsigned char* src = bm.buffer + ptrdiff_t(y) * bm.pitch;
    uint8_t* dst = g.Coverage.data() + size_t(y) * size_t(g.Width);
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
      for (int x = 0; x < g.Width; ++x) dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
      const int levels = bm.num_grays > 1 ? bm.num_grays - 1 : 255;
      for (int x = 0; x < g.Width; ++x) dst[x] = levels == 255 ? src[x] : uint8_t(src[x] * 255 / levels);
    }
  }
}

// Fills metrics that do not depend on a face (also used when no font file
// could be opened, so that callers still get sane figures).
void FallbackMetrics(TRealizedFont& f) {
  int h = f.Log.lfHeight;
  int em = h < 0 ? (h == INT_MIN ? 2048 : std::min(-h, 2048)) : (h == 0 ? 12 : std::min(h, 2048) * 3 / 4);
  if (em < 1) em = 1;
  f.Ascent = em * 4 / 5 + 1;
  f.Descent = em / 5 + 1;
  f.Height = f.Ascent + f.Descent;
  f.InternalLeading = f.Height - em;
  f.AveCharWidth = std::max(1, em / 2);
  f.MaxCharWidth = em;
}

std::shared_ptr<TRealizedFont> Realize(const LOGFONTW& log) {
  auto f = std::make_shared<TRealizedFont>();
  f->Log = log;
  std::u16string face;
  for (int i = 0; i < LF_FACESIZE && log.lfFaceName[i]; ++i) face.push_back(log.lfFaceName[i]);
  const int wantWeight = log.lfWeight <= 0 ? FW_NORMAL : std::min<int>(log.lfWeight, 1000);
  f->Match = fontmap::MatchFont(face, wantWeight, log.lfItalic != 0, log.lfPitchAndFamily);
  f->Mono = log.lfQuality == NONANTIALIASED_QUALITY;
  const bool ttOnly = log.lfOutPrecision == OUT_TT_ONLY_PRECIS;
  f->PitchAndFamily = BYTE(f->Match.Family | (f->Match.FixedPitch ? 0 : TMPF_FIXED_PITCH) |
                           (f->Match.Raster && !ttOnly ? 0 : (TMPF_VECTOR | TMPF_TRUETYPE)));
  f->Weight = log.lfWeight <= 0 ? (f->Match.Bold ? FW_BOLD : FW_NORMAL) : wantWeight;
  if (f->Match.SymbolMap) {
    f->Charset = SYMBOL_CHARSET;
  } else if (log.lfCharSet == DEFAULT_CHARSET) {
    CHARSETINFO cs;
    Cardinal* src = reinterpret_cast<Cardinal*>(uintptr_t(GetACP()));
    f->Charset = TranslateCharsetInfo(src, &cs, TCI_SRCCODEPAGE) ? BYTE(cs.ciCharset) : ANSI_CHARSET;
  } else {
    f->Charset = log.lfCharSet;
  }
  int esc = log.lfEscapement % 3600;
  if (esc != 0) {
    f->Rotated = true;
    double a = esc * std::numbers::pi / 1800.0;
    f->Cos = std::cos(a);
    f->Sin = std::sin(a);
    f->Rotation.xx = FT_Fixed(std::lround(f->Cos * 65536.0));
    f->Rotation.xy = FT_Fixed(std::lround(-f->Sin * 65536.0));
    f->Rotation.yx = FT_Fixed(std::lround(f->Sin * 65536.0));
    f->Rotation.yy = FT_Fixed(std::lround(f->Cos * 65536.0));
  }

  FallbackMetrics(*f);
  FT_Library lib = Library();
  if (!lib || f->Match.File.empty()) return f;
  FT_Face ftFace = nullptr;
  if (FT_New_Face(lib, f->Match.File.c_str(), f->Match.FaceIndex, &ftFace) != 0 || !ftFace) return f;
  if (!FT_IS_SCALABLE(ftFace) || ftFace->units_per_EM == 0) {
    FT_Done_Face(ftFace);
    return f;
  }
  f->Face = ftFace;

  const double upem = ftFace->units_per_EM;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_HHEA));
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_POST));
  double winAsc, winDesc;
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    winAsc = os2->usWinAscent;
    winDesc = os2->usWinDescent;
  } else {
    winAsc = ftFace->ascender;
    winDesc = -double(ftFace->descender);
  }
  if (winAsc + winDesc <= 0) {
    winAsc = upem * 0.8;
    winDesc = upem * 0.2;
  }
  const double cellUnits = winAsc + winDesc;

  // The character height (em) in pixels: a negative lfHeight is the em
  // itself, a positive one the cell (ascent + descent), 0 the default cell.
  constexpr int MaxPixels = 2048;
  double ppem;
  int cell = 0;
  if (log.lfHeight < 0) {
    ppem = log.lfHeight == INT_MIN ? MaxPixels : std::min(-log.lfHeight, MaxPixels);
  } else {
    cell = log.lfHeight == 0 ? 16 : std::min(log.lfHeight, MaxPixels);
    ppem = cell * upem / cellUnits;
  }
  if (ppem < 1) ppem = 1;
  const double scale = ppem / upem;
  if (cell > 0) {
    f->Height = cell;
    f->Ascent = RoundToInt(winAsc * scale);
    f->Descent = cell - f->Ascent;
  } else {
    f->Ascent = RoundToInt(winAsc * scale);
    f->Descent = RoundToInt(winDesc * scale);
    f->Height = f->Ascent + f->Descent;
  }
  f->InternalLeading = std::max(0, f->Height - RoundToInt(ppem));
  if (hhea) {
    double gap = hhea->Line_Gap - (cellUnits - (hhea->Ascender - hhea->Descender));
    f->ExternalLeading = std::max(0, RoundToInt(gap * scale));
  }
  double avgUnits = os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : upem / 2;
  double xscale = scale;
  if (log.lfWidth != 0) {
    double want = log.lfWidth == INT_MIN ? MaxPixels : std::min(std::abs(log.lfWidth), MaxPixels);
    xscale = want / avgUnits;
  }
  const double ppemX = std::max(1.0, xscale * upem);
  f->SizeX = FT_F26Dot6(std::lround(ppemX * 64));
  f->SizeY = FT_F26Dot6(std::lround(ppem * 64));
  FT_Set_Char_Size(ftFace, f->SizeX, f->SizeY, 72, 72);

  if (f->Match.SynthBold) f->EmboldenPx = std::max(1, RoundToInt(ppem / 24.0));
  f->AveCharWidth = std::max(1, RoundToInt(avgUnits * xscale)) + f->EmboldenPx;
  f->MaxCharWidth = std::max(1, RoundToInt((hhea ? hhea->advance_Width_Max : upem) * xscale)) + f->EmboldenPx;
  if (post && post->underlineThickness > 0) {
    f->UnderlinePos = std::max(1, RoundToInt(-post->underlinePosition * scale));
    f->UnderlineSize = std::max(1, RoundToInt(post->underlineThickness * scale));
  } else {
    f->UnderlinePos = std::max(1, f->Descent / 2);
    f->UnderlineSize = std::max(1, RoundToInt(ppem / 14.0));
  }
  if (f->UnderlinePos + f->UnderlineSize > f->Descent && f->Descent > f->UnderlineSize)
    f->UnderlinePos = f->Descent - f->UnderlineSize;
  if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
    f->StrikeoutPos = RoundToInt(os2->yStrikeoutPosition * scale);
    f->StrikeoutSize = std::max(1, RoundToInt(os2->yStrikeoutSize * scale));
  } else {
    f->StrikeoutPos = f->Ascent / 3;
    f->StrikeoutSize = f->UnderlineSize;
  }
  return f;
}

// Realized fonts are shared by every font object with the same LOGFONTW.
struct TFontCache {
  std::map<std::string, std::shared_ptr<TRealizedFont>> Fonts;
  uint32_t Generation = 0;
};

TFontCache& Cache() {
  static auto* c = new TFontCache();
  return *c;
}

std::string FontKey(const LOGFONTW& log) {
  LOGFONTW k = log;
  bool end = false;
  for (auto& ch : k.lfFaceName) {
    if (!ch) end = true;
    if (end)
      ch = 0;
    else if (ch >= u'a' && ch <= u'z')
      ch = char16_t(ch - 32);
  }
  return std::string(reinterpret_cast<const char*>(&k), sizeof k);
}

std::shared_ptr<TRealizedFont> CachedFont(const LOGFONTW& log) {
  TFontCache& c = Cache();
  uint32_t gen = fontmap::MappingGeneration();
  if (c.Generation != gen) {
    c.Fonts.clear();
    c.Generation = gen;
  }
  std::string key = FontKey(log);
  auto it = c.Fonts.find(key);
  if (it != c.Fonts.end()) return it->second;
  constexpr size_t MaxCached = 64;
  if (c.Fonts.size() >= MaxCached) {
    // Drop the fonts no font object holds any more.
    for (auto i = c.Fonts.begin(); i != c.Fonts.end();) {
      if (i->second.use_count() == 1)
        i = c.Fonts.erase(i);
      else
        ++i;
    }
  }
  auto f = Realize(log);
  c.Fonts.emplace(std::move(key), f);
  return f;
}

// What a font object's Realized slot holds.
struct THolder {
  std::shared_ptr<TRealizedFont> Font;
  uint32_t Generation = 0;
};

void FreeHolder(void* p) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  delete static_cast<THolder*>(p);
}

LOGFONTW SystemLogFont() {
  LOGFONTW lf{};
  lf.lfHeight = 16;
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  const char16_t name[] = u"System";
  std::memcpy(lf.lfFaceName, name, sizeof name);
  return lf;
}

// The realized font of the DC's selected font (the system font when none).
TRealizedFont* FontOf(TDCObj* dc) {
  TFontObj* obj = dc->S.Font;
  uint32_t gen = fontmap::MappingGeneration();
  if (!obj) {
    static THolder* sys = new THolder();
    if (!sys->Font || sys->Generation != gen) {
      sys->Font = CachedFont(SystemLogFont());
      sys->Generation = gen;
    }
    return sys->Font.get();
  }
  auto* h = static_cast<THolder*>(obj->Realized);
  if (h && h->Font && h->Generation == gen) return h->Font.get();
  if (!h) {
    gdi::FontRealizedFree = &FreeHolder;
    h = new THolder();
    obj->Realized = h;
  }
  h->Font = CachedFont(obj->Log);
  h->Generation = gen;
  return h->Font.get();
}

// ---------------------------------------------------------------------------
// Measuring

bool IsHigh(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The advance of every character of the text, with the character extra and
// the justification of the DC (a surrogate pair's advance goes to its first
// unit, the second gets 0 plus the extra).
void Advances(TRealizedFont* f, const gdi::TDCState& s, const WCHAR* str, int n, std::vector<int>& adv) {
  adv.assign(size_t(n), 0);
  int breaks = 0;
  const int q = s.BreakCount > 0 ? s.BreakExtra / s.BreakCount : 0;
  const int r = s.BreakCount > 0 ? s.BreakExtra % s.BreakCount : 0;
  for (int i = 0; i < n; ++i) {
    uint32_t cp = str[i];
    if (IsHigh(str[i]) && i + 1 < n && IsLow(str[i + 1])) {
      cp = 0x10000u + ((uint32_t(str[i]) - 0xD800u) << 10) + (uint32_t(str[i + 1]) - 0xDC00u);
      adv[size_t(i)] = f->Glyph(cp).Advance + s.CharExtra;
      adv[size_t(i) + 1] = s.CharExtra;
      ++i;
      continue;
    }
    int a = f->Glyph(cp).Advance + s.CharExtra;
    if (s.BreakCount > 0 && cp == u' ') {
      a += q;
      if (breaks < std::abs(r)) a += r > 0 ? 1 : -1;
      ++breaks;
    }
    adv[size_t(i)] = a;
  }
}

int64_t Sum(const std::vector<int>& v) {
  int64_t t = 0;
  for (int a : v) t += a;
  return t;
}

LONG ClampLong(int64_t v) { return LONG(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

// ---------------------------------------------------------------------------
// Painting

// Blends n pixels of a row in the colour by their coverage:
// (c * a + d * (255 - a)) / 255 rounded, per byte (alpha too), computed as
// (v + 128 + ((v + 128) >> 8)) >> 8, which is exact for every a and d.
// Without branches on single pixels (they mispredict on glyph edges); four
// pixels at once where the processor has SSE2, with the same arithmetic in
// 16-bit lanes (v + 128 stays below 2^16), so both give the same pixels.
void BlendSpan(uint32_t* row, const uint8_t* cov, int n, uint32_t color) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i c16 = _mm_unpacklo_epi8(_mm_set1_epi32(int(color)), zero);
  const __m128i k255 = _mm_set1_epi16(255), k128 = _mm_set1_epi16(128);
  auto mix = [&](__m128i d, __m128i a) {
    __m128i v = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(c16, a), _mm_mullo_epi16(d, _mm_sub_epi16(k255, a))), k128);
    return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
  };
  auto four = [&](uint32_t* px, uint32_t a4) {
    __m128i a = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(a4)), zero);
    a = _mm_unpacklo_epi16(a, a);  // a0 a0 a1 a1 a2 a2 a3 a3
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px));
    __m128i lo = mix(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi32(a, a));
    __m128i hi = mix(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi32(a, a));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(px), _mm_packus_epi16(lo, hi));
  };
  for (; i + 4 <= n; i += 4) {
    uint32_t a4;
    std::memcpy(&a4, cov + i, 4);
    if (a4 != 0) four(row + i, a4);  // four clear pixels stay as they are
  }
  if (i < n) {
    // the last one to three pixels through a copy (no access past the row)
    uint32_t px[4] = {0, 0, 0, 0};
    uint32_t a4 = 0;
    const int rest = n - i;
    for (int k = 0; k < rest; ++k) {
      px[k] = row[i + k];
      a4 |= uint32_t(cov[i + k]) << (8 * k);
    }
    if (a4 == 0) return;
    four(px, a4);
    for (int k = 0; k < rest; ++k) row[i + k] = px[k];
    return;
  }
#endif
  const uint32_t crb = color & 0x00FF00FFu, cag = (color >> 8) & 0x00FF00FFu;
  for (; i < n; ++i) {
    const uint32_t a = cov[i], na = 255 - a, d = row[i];
    uint32_t rb = crb * a + (d & 0x00FF00FFu) * na + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = cag * a + ((d >> 8) & 0x00FF00FFu) * na + 0x00800080u;
    ag = ((ag + ((ag >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    row[i] = rb | (ag << 8);
  }
}

struct TPainter {
  const TDrawTarget& T;
  uint32_t Color;
  bool HasClip = false;
  RECT Clip{};  // surface coordinates (ETO_CLIPPED)
  // Set by Prepare when the visible area is one rectangle (or none): Box.
  bool Simple = false;
  RECT Box{};

  // Call once the clip is set: finds whether one rectangle bounds drawing,
  // so that glyphs are clipped once instead of row by row.
  void Prepare() {
    int n = 0;
    const pixman_box32_t* b = T.Clip().Rects(&n);
    if (n > 1) return;
    Simple = true;
    Box = n == 1 ? RECT{b[0].x1, b[0].y1, b[0].x2, b[0].y2} : RECT{};
    Box.top = std::max<LONG>(Box.top, 0);
    Box.bottom = std::min<LONG>(Box.bottom, T.Surface().Height);
    if (HasClip) {
      Box.left = std::max(Box.left, Clip.left);
      Box.top = std::max(Box.top, Clip.top);
      Box.right = std::min(Box.right, Clip.right);
      Box.bottom = std::min(Box.bottom, Clip.bottom);
    }
  }

  // Calls fn(x0, x1) for the visible parts of a row span.
  template <class F>
  void Span(int y, int x0, int x1, F&& fn) const {
    if (y < 0 || y >= T.Surface().Height) return;
    if (HasClip) {
      if (y < Clip.top || y >= Clip.bottom) return;
      x0 = std::max<int>(x0, Clip.left);
      x1 = std::min<int>(x1, Clip.right);
    }
    T.ClipSpan(y, x0, x1, fn);
  }

  void Fill(int y, int x0, int x1, uint32_t px) const {
    Span(y, x0, x1, [&](int l, int r) {
      uint32_t* row = T.Surface().Row(y);
      for (int x = l; x < r; ++x) row[x] = px;
    });
  }

  // Blends coverage cov[0..w) into the row y from x0 on (clipped).
  void Blend(int y, int x0, const uint8_t* cov, int w) const {
    Span(y, x0, x0 + w, [&](int l, int r) { BlendRow(T.Surface().Row(y) + l, cov + (l - x0), r - l); });
  }

  // Blends n pixels by their coverage.
  void BlendRow(uint32_t* px, const uint8_t* cov, int n) const {
    if (T.Mono()) {
      for (int i = 0; i < n; ++i)
        if (cov[i] >= 128) px[i] = Color;
      return;
    }
    BlendSpan(px, cov, n, Color);
  }

  // Blends a glyph image whose top-left pixel lies at (gx, gy).
  void BlendGlyph(int gx, int gy, const uint8_t* cov, int w, int h) const {
    if (!Simple) {
      for (int row = 0; row < h; ++row) Blend(gy + row, gx, cov + size_t(row) * size_t(w), w);
      return;
    }
    const int64_t x0 = std::max<int64_t>(gx, Box.left), x1 = std::min<int64_t>(int64_t(gx) + w, Box.right);
    const int64_t y0 = std::max<int64_t>(gy, Box.top), y1 = std::min<int64_t>(int64_t(gy) + h, Box.bottom);
    if (x0 >= x1) return;
    for (int64_t y = y0; y < y1; ++y)
      BlendRow(T.Surface().Row(int(y)) + x0, cov + size_t(y - gy) * size_t(w) + size_t(x0 - gx), int(x1 - x0));
  }

  // Fills a convex quadrilateral (surface coordinates; pixel centres inside).
  void FillQuad(const double (&px)[4], const double (&py)[4], uint32_t pixel) const {
    double ymin = py[0], ymax = py[0];
    for (int i = 1; i < 4; ++i) {
      ymin = std::min(ymin, py[i]);
      ymax = std::max(ymax, py[i]);
    }
    int y0 = std::max(0, int(std::ceil(ymin - 0.5)));
    int y1 = std::min(T.Surface().Height, int(std::ceil(ymax - 0.5)));
    for (int y = y0; y < y1; ++y) {
      double cy = y + 0.5, xl = 1e18, xr = -1e18;
      for (int i = 0; i < 4; ++i) {
        int j = (i + 1) & 3;
        double ya = py[i], yb = py[j];
        if ((cy < std::min(ya, yb)) || (cy >= std::max(ya, yb)) || ya == yb) continue;
        double x = px[i] + (cy - ya) * (px[j] - px[i]) / (yb - ya);
        xl = std::min(xl, x);
        xr = std::max(xr, x);
      }
      if (xl > xr) continue;
      int l = int(std::ceil(std::max(xl, -1e6) - 0.5)), r = int(std::ceil(std::min(xr, 1e6) - 0.5));
      Fill(y, l, r, pixel);
    }
  }
};

// ---------------------------------------------------------------------------
// Text in an open path

// Collects a glyph outline's contours as figures of device points, curves
// flattened into short lines. FreeType's y axis points up.
struct TOutlineSink {
  double OriginX = 0, OriginY = 0;  // the pen in device coordinates
  std::vector<std::vector<POINT>> Figures;
  double LastX = 0, LastY = 0;  // the current point in outline units (26.6)

  POINT Device(double x, double y) const {
    auto c = [](double v) { return LONG(std::clamp(std::lround(v), -long(gdi::LimitCoord), long(gdi::LimitCoord))); };
    return POINT{c(OriginX + x / 64.0), c(OriginY - y / 64.0)};
  }
  void Add(double x, double y) {
    POINT p = Device(x, y);
    std::vector<POINT>& f = Figures.back();
    if (f.empty() || f.back().x != p.x || f.back().y != p.y) f.push_back(p);
    LastX = x;
    LastY = y;
  }
  // Segments for a curve whose control polygon is len units long: about one
  // per two pixels, at least one.
  static int Steps(double len) { return std::clamp(int(len / 128.0), 1, 32); }

  static int MoveTo(const FT_Vector* to, void* user) {
    auto* s = static_cast<TOutlineSink*>(user);
    s->Figures.emplace_back();
    s->Add(double(to->x), double(to->y));
    return 0;
  }
  static int LineTo(const FT_Vector* to, void* user) {
    static_cast<TOutlineSink*>(user)->Add(double(to->x), double(to->y));
    return 0;
  }
  static int ConicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
    auto* s = static_cast<TOutlineSink*>(user);
    const double x0 = s->LastX, y0 = s->LastY, x1 = double(c->x), y1 = double(c->y), x2 = double(to->x),
                 y2 = double(to->y);
    const int n = Steps(std::hypot(x1 - x0, y1 - y0) + std::hypot(x2 - x1, y2 - y1));
    for (int i = 1; i <= n; ++i) {
      const double t = double(i) / n, u = 1 - t;
      s->Add(u * u * x0 + 2 * u * t * x1 + t * t * x2, u * u * y0 + 2 * u * t * y1 + t * t * y2);
    }
    return 0;
  }
  static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* s = static_cast<TOutlineSink*>(user);
    const double x0 = s->LastX, y0 = s->LastY, x1 = double(c1->x), y1 = double(c1->y), x2 = double(c2->x),
                 y2 = double(c2->y), x3 = double(to->x), y3 = double(to->y);
    const int n =
        Steps(std::hypot(x1 - x0, y1 - y0) + std::hypot(x2 - x1, y2 - y1) + std::hypot(x3 - x2, y3 - y2));
    for (int i = 1; i <= n; ++i) {
      const double t = double(i) / n, u = 1 - t;
      s->Add(u * u * u * x0 + 3 * u * u * t * x1 + 3 * u * t * t * x2 + t * t * t * x3,
             u * u * u * y0 + 3 * u * u * t * y1 + 3 * u * t * t * y2 + t * t * t * y3);
    }
    return 0;
  }
};

// Adds the outline of the character drawn with its pen at (penX, penY)
// (device coordinates) to the DC's open path, one closed figure per contour.
void PathAddGlyph(TDCObj* dc, TRealizedFont* f, uint32_t cp, double penX, double penY) {
  FT_GlyphSlot slot = f->LoadSlot(cp, nullptr);
  if (!slot || slot->outline.n_contours <= 0) return;
  TOutlineSink sink;
  sink.OriginX = penX;
  sink.OriginY = penY;
  FT_Outline_Funcs funcs{};
  funcs.move_to = &TOutlineSink::MoveTo;
  funcs.line_to = &TOutlineSink::LineTo;
  funcs.conic_to = &TOutlineSink::ConicTo;
  funcs.cubic_to = &TOutlineSink::CubicTo;
  if (FT_Outline_Decompose(&slot->outline, &funcs, &sink) != 0) return;
  for (const auto& fig : sink.Figures)
    if (fig.size() >= 3) gdi::PathAddFigure(dc, fig, true);
}

// Draws a run of text. (x, y) is the reference point in logical coordinates;
// alignment is the TA_ bits that place the run on it.
// Per-thread buffers of advances that keep their capacity between calls, so
// that drawing and measuring a run allocates nothing once warm (a grid draws
// thousands of runs a frame).
std::vector<int>& RunAdvances() {
  thread_local std::vector<int> v;
  return v;
}
std::vector<int>& ExtentAdvances() {
  thread_local std::vector<int> v;
  return v;
}

bool DrawRun(TDCObj* dc, int x, int y, UINT options, const RECT* rect, const WCHAR* str, int n, const INT* dx,
             UINT alignment) {
  TRealizedFont* f = FontOf(dc);
  std::vector<int>& adv = RunAdvances();
  adv.clear();
  if (dx) {
    adv.resize(size_t(n));
    const bool pdy = (options & ETO_PDY) != 0;
    for (int i = 0; i < n; ++i) adv[size_t(i)] = dx[pdy ? 2 * i : i];
  } else {
    Advances(f, dc->S, str, n, adv);
  }
  const int64_t width = Sum(adv);

  // The pen start and the baseline, along the text direction and across it.
  double along = 0;
  switch (alignment & TA_CENTER) {
    case TA_RIGHT:
      along = -double(width);
      break;
    case TA_CENTER:
      along = -double(width / 2);
      break;
    default:
      break;
  }
  double across = 0;
  switch (alignment & TA_BASELINE) {
    case TA_BASELINE:
      break;
    case TA_BOTTOM:
      across = -f->Descent;
      break;
    default:
      across = f->Ascent;
      break;
  }
  const double cs = f->Cos, sn = f->Sin;
  const double devX = double(x) - dc->S.WindowOrg.x + dc->S.ViewportOrg.x;
  const double devY = double(y) - dc->S.WindowOrg.y + dc->S.ViewportOrg.y;
  // device: the text runs along (cos, -sin); "down" from the baseline is (sin, cos)
  const double ox = devX + along * cs + across * sn;
  const double oy = devY - along * sn + across * cs;

  // In an open path the run adds its glyph outlines (and the underline and
  // strike-out bars) as figures and draws nothing.
  if (gdi::PathOpen(dc)) {
    double pen = 0, penY = 0;
    for (int i = 0; i < n; ++i) {
      uint32_t cp = str[i];
      int units = 1;
      if (IsHigh(str[i]) && i + 1 < n && IsLow(str[i + 1])) {
        cp = 0x10000u + ((uint32_t(str[i]) - 0xD800u) << 10) + (uint32_t(str[i + 1]) - 0xDC00u);
        units = 2;
      }
      PathAddGlyph(dc, f, cp, ox + pen * cs + penY * sn, oy - pen * sn + penY * cs);
      for (int k = 0; k < units; ++k) {
        pen += adv[size_t(i + k)];
        if (dx && (options & ETO_PDY)) penY -= dx[2 * (i + k) + 1];
      }
      i += units - 1;
    }
    auto bar = [&](double from, double to) {
      const double w = double(width);
      auto pt = [&](double a, double b) {
        return POINT{LONG(std::lround(ox + a * cs + b * sn)), LONG(std::lround(oy - a * sn + b * cs))};
      };
      gdi::PathAddFigure(dc, {pt(0, from), pt(w, from), pt(w, to), pt(0, to)}, true);
    };
    if (n > 0 && f->Log.lfUnderline) bar(f->UnderlinePos, f->UnderlinePos + f->UnderlineSize);
    if (n > 0 && f->Log.lfStrikeOut) bar(-f->StrikeoutPos, -f->StrikeoutPos + f->StrikeoutSize);
    return true;
  }

  TDrawTarget t(dc);
  if (!t.Valid()) return true;
  const POINT off = t.Offset();
  TPainter p{t, t.Pixel(dc->S.TextColor)};
  // the rectangle in surface coordinates, limited to a sane range
  RECT surfRect{};
  if (rect) {
    const int64_t dx = int64_t(dc->S.ViewportOrg.x) - dc->S.WindowOrg.x + off.x;
    const int64_t dy = int64_t(dc->S.ViewportOrg.y) - dc->S.WindowOrg.y + off.y;
    auto lim = [](int64_t v) { return LONG(std::clamp<int64_t>(v, -(int64_t(1) << 30), int64_t(1) << 30)); };
    surfRect = RECT{lim(rect->left + dx), lim(rect->top + dy), lim(rect->right + dx), lim(rect->bottom + dy)};
  }
  if (rect && (options & ETO_CLIPPED)) {
    p.HasClip = true;
    p.Clip = surfRect;
  }
  p.Prepare();
  const uint32_t bk = t.Pixel(dc->S.BkColor);
  if (rect && (options & ETO_OPAQUE)) {
    TPainter q{t, bk};
    const int y0 = std::max<int>(surfRect.top, 0), y1 = std::min<int>(surfRect.bottom, t.Surface().Height);
    for (int yy = y0; yy < y1; ++yy) q.Fill(yy, surfRect.left, surfRect.right, bk);
  }
  const double sx = ox + off.x, sy = oy + off.y;
  // Fills the band [from, to) across the baseline over the run's length.
  auto band = [&](double from, double to, uint32_t pixel) {
    if (!f->Rotated) {
      int l = RoundToInt(sx), r = int(std::clamp<int64_t>(int64_t(l) + width, INT_MIN, INT_MAX));
      int top = RoundToInt(sy + from), bottom = RoundToInt(sy + to);
      for (int yy = top; yy < bottom; ++yy) p.Fill(yy, std::min(l, r), std::max(l, r), pixel);
      return;
    }
    double w = double(width);
    double qx[4] = {sx + from * sn, sx + w * cs + from * sn, sx + w * cs + to * sn, sx + to * sn};
    double qy[4] = {sy + from * cs, sy - w * sn + from * cs, sy - w * sn + to * cs, sy + to * cs};
    p.FillQuad(qx, qy, pixel);
  };
  if (dc->S.BkMode == OPAQUE && n > 0) band(-f->Ascent, f->Descent, bk);

  double pen = 0, penY = 0;
  for (int i = 0; i < n; ++i) {
    uint32_t cp = str[i];
    int units = 1;
    if (IsHigh(str[i]) && i + 1 < n && IsLow(str[i + 1])) {
      cp = 0x10000u + ((uint32_t(str[i]) - 0xD800u) << 10) + (uint32_t(str[i + 1]) - 0xDC00u);
      units = 2;
    }
    const TGlyph& g = f->Glyph(cp);
    if (!g.Coverage.empty()) {
      int gx = RoundToInt(sx + pen * cs + penY * sn) + g.Left;
      int gy = RoundToInt(sy - pen * sn + penY * cs) - g.Top;
      p.BlendGlyph(gx, gy, g.Coverage.data(), g.Width, g.Height);
    }
    for (int k = 0; k < units; ++k) {
      pen += adv[size_t(i + k)];
      if (dx && (options & ETO_PDY)) penY -= dx[2 * (i + k) + 1];
    }
    i += units - 1;
  }
  if (f->Log.lfUnderline) band(f->UnderlinePos, f->UnderlinePos + f->UnderlineSize, p.Color);
  if (f->Log.lfStrikeOut) band(-f->StrikeoutPos, -f->StrikeoutPos + f->StrikeoutSize, p.Color);
  return true;
}

// The tab layout shared by GetTabbedTextExtent and TabbedTextOut: calls
// segment(x, start, length) for each run between tabs and answers the width.
template <class F>
int64_t TabbedLayout(TDCObj* dc, TRealizedFont* f, int x, const WCHAR* str, int n, int nTabs, const INT* tabs,
                     int tabOrigin, F&& segment) {
  if (!tabs || nTabs < 0) nTabs = 0;
  int64_t defWidth = 8 * int64_t(f->AveCharWidth);
  if (nTabs == 1) {
    defWidth = std::abs(int64_t(tabs[0]));
    nTabs = 0;
  }
  if (defWidth <= 0) defWidth = 8 * int64_t(std::max(1, f->AveCharWidth));
  int64_t cur = x;
  std::vector<int> adv;
  while (n > 0) {
    int len = 0;
    while (len < n && str[len] != u'\t') ++len;
    Advances(f, dc->S, str, len, adv);
    int64_t ext = Sum(adv);
    segment(cur, str, len, ext);
    str += len;
    n -= len;
    if (n == 0) {
      cur += ext;
      break;
    }
    ++str;  // the tab
    --n;
    int64_t pos = cur + ext;
    while (nTabs > 0 && tabOrigin + std::abs(int64_t(*tabs)) <= pos) {
      ++tabs;
      --nTabs;
    }
    if (nTabs > 0) {
      cur = tabOrigin + std::abs(int64_t(*tabs));
    } else {
      int64_t rel = pos - tabOrigin;
      int64_t below = rel >= 0 ? rel / defWidth : -((-rel + defWidth - 1) / defWidth);  // floor
      cur = tabOrigin + (below + 1) * defWidth;
    }
  }
  return cur - x;
}

DWORD PackExtent(int64_t w, int h) {
  return DWORD(uint32_t(w) & 0xFFFFu) | (DWORD(uint32_t(h) & 0xFFFFu) << 16);
}

// The size of a text that GetTextExtent* report.
bool Extent(HDC hdc, LPCWSTR str, int c, std::vector<int>* partial, int* height, int64_t* width) {
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc || c < 0 || (c > 0 && !str)) return false;
  TRealizedFont* f = FontOf(dc);
  std::vector<int>& adv = ExtentAdvances();
  Advances(f, dc->S, str, c, adv);
  int64_t w = 0;
  if (partial) partial->resize(size_t(c));
  for (int i = 0; i < c; ++i) {
    w += adv[size_t(i)];
    if (partial) (*partial)[size_t(i)] = ClampLong(w);
  }
  *height = f->Height;
  *width = w;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Metrics and extents

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc || !tm) return FALSE;
  TRealizedFont* f = FontOf(dc);
  *tm = TEXTMETRICW{};
  tm->tmHeight = f->Height;
  tm->tmAscent = f->Ascent;
  tm->tmDescent = f->Descent;
  tm->tmInternalLeading = f->InternalLeading;
  tm->tmExternalLeading = f->ExternalLeading;
  tm->tmAveCharWidth = f->AveCharWidth;
  tm->tmMaxCharWidth = f->MaxCharWidth;
  tm->tmWeight = f->Weight;
  tm->tmOverhang = 0;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFFFC;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = f->Log.lfItalic ? 255 : 0;
  tm->tmUnderlined = f->Log.lfUnderline ? 255 : 0;
  tm->tmStruckOut = f->Log.lfStrikeOut ? 255 : 0;
  tm->tmPitchAndFamily = f->PitchAndFamily;
  tm->tmCharSet = f->Charset;
  return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* tm) {
  TEXTMETRICW w;
  if (!tm || !GetTextMetricsW(hdc, &w)) return FALSE;
  *tm = TEXTMETRICA{};
  tm->tmHeight = w.tmHeight;
  tm->tmAscent = w.tmAscent;
  tm->tmDescent = w.tmDescent;
  tm->tmInternalLeading = w.tmInternalLeading;
  tm->tmExternalLeading = w.tmExternalLeading;
  tm->tmAveCharWidth = w.tmAveCharWidth;
  tm->tmMaxCharWidth = w.tmMaxCharWidth;
  tm->tmWeight = w.tmWeight;
  tm->tmOverhang = w.tmOverhang;
  tm->tmDigitizedAspectX = w.tmDigitizedAspectX;
  tm->tmDigitizedAspectY = w.tmDigitizedAspectY;
  tm->tmFirstChar = 0x1E;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = w.tmItalic;
  tm->tmUnderlined = w.tmUnderlined;
  tm->tmStruckOut = w.tmStruckOut;
  tm->tmPitchAndFamily = w.tmPitchAndFamily;
  tm->tmCharSet = w.tmCharSet;
  return TRUE;
}

int GetTextFaceW(HDC hdc, int c, LPWSTR lpName) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc) return 0;
  const std::u16string& name = FontOf(dc)->Match.FaceName;
  if (!lpName) return int(name.size()) + 1;
  if (c <= 0) return 0;
  int n = std::min<int>(c - 1, int(name.size()));
  std::copy_n(name.data(), n, lpName);
  lpName[n] = 0;
  return n;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  int h = 0;
  int64_t w = 0;
  if (!psizl || !Extent(hdc, lpString, c, nullptr, &h, &w)) return FALSE;
  psizl->cx = ClampLong(w);
  psizl->cy = h;
  return TRUE;
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR lpszString, int cchString, int nMaxExtent, LPINT lpnFit,
                           LPINT lpnDx, LPSIZE lpSize) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  std::vector<int> partial;
  int h = 0;
  int64_t w = 0;
  if (!Extent(hdc, lpszString, cchString, &partial, &h, &w)) return FALSE;
  if (lpnDx) std::copy(partial.begin(), partial.end(), lpnDx);
  if (lpnFit) {
    int fit = 0;
    while (fit < cchString && partial[size_t(fit)] <= nMaxExtent) ++fit;
    *lpnFit = fit;
  }
  if (lpSize) {
    lpSize->cx = ClampLong(w);
    lpSize->cy = h;
  }
  return TRUE;
}

BOOL GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc || !lpBuffer || iLast < iFirst || iLast > 0x10FFFF) return FALSE;
  TRealizedFont* f = FontOf(dc);
  for (UINT c = iFirst; c <= iLast; ++c) lpBuffer[c - iFirst] = f->Glyph(c).Advance;
  return TRUE;
}

BOOL GetCharABCWidthsW(HDC hdc, UINT wFirst, UINT wLast, LPABC lpABC) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc || !lpABC || wLast < wFirst || wLast > 0x10FFFF) return FALSE;
  TRealizedFont* f = FontOf(dc);
  for (UINT c = wFirst; c <= wLast; ++c) {
    const TGlyph& gl = f->Glyph(c);
    ABC& abc = lpABC[c - wFirst];
    abc.abcA = gl.BoxLeft;
    abc.abcB = UINT(gl.BoxWidth);
    abc.abcC = gl.Advance - gl.BoxLeft - gl.BoxWidth;
  }
  return TRUE;
}

UINT GetTextCharset(HDC hdc) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc) return DEFAULT_CHARSET;
  return FontOf(dc)->Charset;
}

// ---------------------------------------------------------------------------
// Spacing

int SetTextCharacterExtra(HDC hdc, int extra) {
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc) return int(0x80000000u);
  int old = dc->S.CharExtra;
  dc->S.CharExtra = extra;
  return old;
}

int GetTextCharacterExtra(HDC hdc) {
  TDCObj* dc = gdi::LookupDC(hdc);
  return dc ? dc->S.CharExtra : int(0x80000000u);
}

BOOL SetTextJustification(HDC hdc, int breakExtra, int breakCount) {
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc) return FALSE;
  if (breakCount <= 0) {
    dc->S.BreakExtra = 0;
    dc->S.BreakCount = 0;
  } else {
    dc->S.BreakExtra = breakExtra;
    dc->S.BreakCount = breakCount;
  }
  return TRUE;
}

// ---------------------------------------------------------------------------
// Output

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                 const INT* lpDx) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc || c > UINT(INT_MAX) || (c > 0 && !lpString)) return FALSE;
  const int n = int(c);
  const UINT align = dc->S.TextAlign;
  if (align & TA_UPDATECP) {
    x = dc->S.CurPos.x;
    y = dc->S.CurPos.y;
  }
  if (!DrawRun(dc, x, y, options, lprect, lpString, n, lpDx, align)) return FALSE;
  if (align & TA_UPDATECP) {
    TRealizedFont* f = FontOf(dc);
    int64_t w = 0;
    if (lpDx) {
      for (int i = 0; i < n; ++i) w += lpDx[(options & ETO_PDY) ? 2 * i : i];
    } else {
      std::vector<int> adv;
      Advances(f, dc->S, lpString, n, adv);
      w = Sum(adv);
    }
    int64_t move = 0;
    if ((align & TA_CENTER) == TA_LEFT)
      move = w;
    else if ((align & TA_CENTER) == TA_RIGHT)
      move = -w;
    dc->S.CurPos.x = ClampLong(x + RoundToInt(double(move) * f->Cos));
    dc->S.CurPos.y = ClampLong(y - RoundToInt(double(move) * f->Sin));
  }
  return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
  if (c < 0) return FALSE;
  return ExtTextOutW(hdc, x, y, 0, nullptr, lpString, UINT(c), nullptr);
}

DWORD GetTabbedTextExtentW(HDC hdc, LPCWSTR lpString, int chCount, int nTabPositions,
                           const INT* lpnTabStopPositions) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc || chCount < 0 || (chCount > 0 && !lpString)) return 0;
  TRealizedFont* f = FontOf(dc);
  int64_t w = TabbedLayout(dc, f, 0, lpString, chCount, nTabPositions, lpnTabStopPositions, 0,
                           [](int64_t, const WCHAR*, int, int64_t) {});
  return PackExtent(w, f->Height);
}

LONG TabbedTextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int chCount, int nTabPositions,
                    const INT* lpnTabStopPositions, int nTabOrigin) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc || chCount < 0 || (chCount > 0 && !lpString)) return 0;
  TRealizedFont* f = FontOf(dc);
  const UINT align = dc->S.TextAlign & ~UINT(TA_UPDATECP | TA_CENTER);
  const bool opaque = dc->S.BkMode == OPAQUE;
  int64_t last = x;
  int64_t w = TabbedLayout(dc, f, x, lpString, chCount, nTabPositions, lpnTabStopPositions, nTabOrigin,
                           [&](int64_t cur, const WCHAR* s, int len, int64_t) {
                             if (opaque && cur > last) {
                               // the gap a tab left is filled with the background too
                               int top = (align & TA_BASELINE) == TA_BASELINE ? y - f->Ascent
                                         : (align & TA_BASELINE) == TA_BOTTOM ? y - f->Height
                                                                              : y;
                               RECT r{ClampLong(last), top, ClampLong(cur), top + f->Height};
                               DrawRun(dc, int(r.left), y, ETO_OPAQUE, &r, nullptr, 0, nullptr, align);
                             }
                             DrawRun(dc, ClampLong(cur), y, 0, nullptr, s, len, nullptr, align);
                             std::vector<int> adv;
                             Advances(f, dc->S, s, len, adv);
                             last = cur + Sum(adv);
                           });
  return LONG(PackExtent(w, f->Height));
}

// ---------------------------------------------------------------------------
// System fonts

BOOL SystemFontParametersInfoW(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni) {
  auto uiFont = [] {
    LOGFONTW lf{};
    lf.lfHeight = -12;  // 9 pt at 96 pixels per inch
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    const char16_t name[] = u"Segoe UI";
    std::memcpy(lf.lfFaceName, name, sizeof name);
    return lf;
  };
  if (!pvParam) return FALSE;
  switch (uiAction) {
    case SPI_GETNONCLIENTMETRICS: {
      auto* m = static_cast<NONCLIENTMETRICSW*>(pvParam);
      const UINT size = m->cbSize;
      if (size != sizeof(NONCLIENTMETRICSW) && size != sizeof(NONCLIENTMETRICSW) - sizeof(int)) return FALSE;
      NONCLIENTMETRICSW v{};
      v.cbSize = size;
      const int w = 1280, h = 1024;  // the screen size does not enter these metrics
      v.iBorderWidth = 1;
      v.iScrollWidth = DefaultSystemMetric(SM_CXVSCROLL, w, h);
      v.iScrollHeight = DefaultSystemMetric(SM_CYHSCROLL, w, h);
      v.iCaptionWidth = DefaultSystemMetric(SM_CXSIZE, w, h);
      v.iCaptionHeight = DefaultSystemMetric(SM_CYSIZE, w, h);
      v.lfCaptionFont = uiFont();
      v.iSmCaptionWidth = DefaultSystemMetric(SM_CXSMSIZE, w, h);
      v.iSmCaptionHeight = DefaultSystemMetric(SM_CYSMSIZE, w, h);
      v.lfSmCaptionFont = uiFont();
      v.iMenuWidth = DefaultSystemMetric(SM_CXMENUSIZE, w, h);
      v.iMenuHeight = DefaultSystemMetric(SM_CYMENUSIZE, w, h);
      v.lfMenuFont = uiFont();
      v.lfStatusFont = uiFont();
      v.lfMessageFont = uiFont();
      v.iPaddedBorderWidth = DefaultSystemMetric(SM_CXPADDEDBORDER, w, h);
      std::memcpy(m, &v, size);
      return TRUE;
    }
    case SPI_GETICONTITLELOGFONT: {
      if (uiParam != 0 && uiParam != sizeof(LOGFONTW)) return FALSE;
      *static_cast<LOGFONTW*>(pvParam) = uiFont();
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// ---------------------------------------------------------------------------
// Shared with DrawText

void text::DrawUnderscore(HDC hdc, int x0, int x1, int y, const RECT* clip) {
  std::lock_guard<std::recursive_mutex> g(TextLock());
  TDCObj* dc = gdi::LookupDC(hdc);
  if (!dc || x1 <= x0) return;
  if (clip) {
    if (y < clip->top || y >= clip->bottom) return;
    x0 = std::max<int>(x0, clip->left);
    x1 = std::min<int>(x1, clip->right);
    if (x1 <= x0) return;
  }
  if (gdi::PathOpen(dc)) {
    const POINT a = gdi::ToDevice(dc, x0, y), b = gdi::ToDevice(dc, x1, y + 1);
    gdi::PathAddFigure(dc, {a, POINT{b.x, a.y}, b, POINT{a.x, b.y}}, true);
    return;
  }
  TDrawTarget t(dc);
  if (!t.Valid()) return;
  const POINT off = t.Offset();
  const int64_t dx = int64_t(dc->S.ViewportOrg.x) - dc->S.WindowOrg.x + off.x;
  const int64_t dy = int64_t(dc->S.ViewportOrg.y) - dc->S.WindowOrg.y + off.y;
  auto lim = [](int64_t v) { return int(std::clamp<int64_t>(v, -(int64_t(1) << 30), int64_t(1) << 30)); };
  TPainter p{t, t.Pixel(dc->S.TextColor)};
  p.Fill(lim(y + dy), lim(x0 + dx), lim(x1 + dx), p.Color);
}

}  // namespace win
