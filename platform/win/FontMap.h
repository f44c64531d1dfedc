// Face names to installed font files.
//
// The programs ask for fonts by the names of the platform they were written
// for ("MS Sans Serif", "Tahoma", "Arial"...). One table maps each such name to
// installed families found by fontconfig, metric-compatible ones first, and
// says how the platform describes the face (pitch and family bits, whether it
// is a bitmap face there). A name the table does not know is looked up as it
// is: an installed family of that name is used under its own name (Swiss, or
// Modern when monospaced). Otherwise, and for an empty name, the table's face
// for the pitch and family (Arial, Times New Roman or Courier New) stands in,
// as the platform's font mapper does.
#pragma once

#include <cstdint>
#include <string>

namespace win::fontmap {

// The platform's pitch and family bits of a LOGFONT / TEXTMETRIC.
constexpr uint8_t FixedPitchBit = 0x01;  // lfPitchAndFamily FIXED_PITCH
constexpr uint8_t FamilyDontCare = 0x00, FamilyRoman = 0x10, FamilySwiss = 0x20, FamilyModern = 0x30,
                  FamilyScript = 0x40, FamilyDecorative = 0x50;

// A resolved face: the file and face index FreeType opens, and what must be
// synthesized because the installed family has no such style.
struct TFontMatch {
  std::string File;
  int FaceIndex = 0;
  bool SynthBold = false;
  bool SynthItalic = false;
  bool Bold = false;  // the file's own style
  bool Italic = false;
  std::u16string FaceName;       // the name GetTextFaceW reports (the table's spelling)
  uint8_t Family = FamilySwiss;  // FF_* bits
  bool FixedPitch = false;
  bool Raster = false;     // a bitmap face on the platform (not TrueType there)
  bool SymbolMap = false;  // "Marlett": character codes remapped (MapSymbolChar)
};

// Resolves a face name with the wanted weight (FW_*, 0 = normal) and italic
// flag; pitchAndFamily (lfPitchAndFamily) chooses the face for unknown names.
// Never fails: the last resort is any font fontconfig offers. Answers are
// cached; thread-safe.
TFontMatch MatchFont(const std::u16string& faceName, int weight, bool italic, uint8_t pitchAndFamily);

// The character a glyph font draws for a code: "Marlett"'s window-control
// codes become the Unicode shapes of a text font ('3'..'6' arrows, 'r' the
// close cross, 'a' the check mark...). Other codes pass unchanged.
uint32_t MapSymbolChar(uint32_t code);

// Test hook: every face name resolves to this one file (styles synthesized),
// so that measured figures do not depend on the installed fonts. An empty
// path restores the table.
void SetFontFileOverride(const std::string& path);
const std::string& FontFileOverride();
// Counts every change of the mapping (the override), so realized fonts can
// tell that they are stale.
uint32_t MappingGeneration();

}  // namespace win::fontmap
