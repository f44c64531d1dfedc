// Compares a bitmap, enlarged AScale times, with a reference picture under
// tests/lib/editors/reference (CL_UPDATE_REFERENCES=1 writes it anew).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/vcl/Graphics.h"
#include "tests/support/ReferencePictures.h"

namespace editors_test {

inline void ExpectPicture(TBitmap* ABitmap, const std::string& AName, int AScale) {
  ABitmap->SetPixelFormat(pf32bit);
  const int w = ABitmap->Width(), h = ABitmap->Height();
  std::vector<uint32_t> pixels(size_t(w * AScale) * size_t(h * AScale));
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = static_cast<const uint32_t*>(ABitmap->ScanLine(y));
    for (int x = 0; x < w; ++x)
      for (int dy = 0; dy < AScale; ++dy)
        for (int dx = 0; dx < AScale; ++dx)
          pixels[size_t(y * AScale + dy) * size_t(w * AScale) + size_t(x * AScale + dx)] = row[x];
  }
  testing_support::ExpectMatchesReference(
      pixels.data(), w * AScale, h * AScale,
      std::string(CL_SOURCE_DIR) + "/tests/lib/editors/reference/" + AName + ".png", AName);
}

}  // namespace editors_test
