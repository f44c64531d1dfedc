#include "tests/lib/foundation/ReferencePicture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/vcl/Graphics.h"
#include "platform/win/FontMap.h"
#include "tests/support/ReferencePictures.h"

namespace foundation_test {

namespace {
const char* const TestFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}  // namespace

bool ReferenceFontAvailable() { return access(TestFontFile, R_OK) == 0; }

TReferenceFont::TReferenceFont() { win::fontmap::SetFontFileOverride(TestFontFile); }
TReferenceFont::~TReferenceFont() { win::fontmap::SetFontFileOverride(""); }

void ExpectMatchesReference(TBitmap* ABitmap, const std::string& AName) {
  ABitmap->SetPixelFormat(pf32bit);
  const int w = ABitmap->Width(), h = ABitmap->Height();
  std::vector<uint32_t> pixels(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = static_cast<const uint32_t*>(ABitmap->ScanLine(y));
    std::copy(row, row + w, pixels.begin() + ptrdiff_t(y) * w);
  }
  testing_support::ExpectMatchesReference(
      pixels.data(), w, h, std::string(CL_SOURCE_DIR) + "/tests/lib/foundation/reference/" + AName + ".png", AName);
}

}  // namespace foundation_test
