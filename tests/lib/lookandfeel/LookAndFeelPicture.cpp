#include "tests/lib/lookandfeel/LookAndFeelPicture.h"

#include <vector>

#include "platform/vcl/Graphics.h"
#include "tests/support/ReferencePictures.h"

namespace lookandfeel_test {

void ExpectMatchesReference(TBitmap* ABitmap, const std::string& AName, int AScale) {
  ABitmap->SetPixelFormat(pf32bit);
  const int w = ABitmap->Width(), h = ABitmap->Height();
  const int sw = w * AScale, sh = h * AScale;
  std::vector<uint32_t> pixels(size_t(sw) * size_t(sh));
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = static_cast<const uint32_t*>(ABitmap->ScanLine(y));
    for (int x = 0; x < w; ++x)
      for (int dy = 0; dy < AScale; ++dy)
        for (int dx = 0; dx < AScale; ++dx)
          pixels[size_t(y * AScale + dy) * size_t(sw) + size_t(x * AScale + dx)] = row[x];
  }
  testing_support::ExpectMatchesReference(pixels.data(), sw, sh,
                                          std::string(CL_SOURCE_DIR) + "/tests/lib/lookandfeel/reference/" +
                                              AName + ".png",
                                          AName);
}

}  // namespace lookandfeel_test
