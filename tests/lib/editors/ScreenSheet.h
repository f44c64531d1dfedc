// A reference picture made of equal cells copied from the composed headless
// screen, enlarged twice (CL_UPDATE_REFERENCES=1 writes it anew).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend/Headless.h"
#include "platform/vcl/Controls.h"
#include "tests/support/ReferencePictures.h"

namespace editors_test {

class TScreenSheet {
 public:
  static constexpr int kGap = 6, kScale = 2;
  TScreenSheet(int ACellWidth, int ACellHeight, int AColumns, int ARows)
      : FCellW(ACellWidth), FCellH(ACellHeight), FW(kGap + AColumns * (ACellWidth + kGap)),
        FH(kGap + ARows * (ACellHeight + kGap)), FPixels(size_t(FW) * size_t(FH), 0xFFFFFFFF) {}
  // Copies AControl's window from the composed screen into cell (ACol, ARow).
  void Put(backend::THeadlessBackend& ADisplay, TControl* AControl, int ACol, int ARow) {
    ADisplay.Compose();
    const TPoint origin = AControl->ClientToScreen(TPoint{0, 0});
    const int x0 = kGap + ACol * (FCellW + kGap), y0 = kGap + ARow * (FCellH + kGap);
    for (int y = 0; y < std::min(FCellH, AControl->Height()); ++y)
      for (int x = 0; x < std::min(FCellW, AControl->Width()); ++x)
        FPixels[size_t(y0 + y) * size_t(FW) + size_t(x0 + x)] =
            ADisplay.Pixels()[size_t(origin.Y + y) * size_t(ADisplay.Width()) + size_t(origin.X + x)];
  }
  void Expect(const std::string& AName) const {
    std::vector<uint32_t> big(size_t(FW * kScale) * size_t(FH * kScale));
    for (int y = 0; y < FH * kScale; ++y)
      for (int x = 0; x < FW * kScale; ++x)
        big[size_t(y) * size_t(FW * kScale) + size_t(x)] =
            FPixels[size_t(y / kScale) * size_t(FW) + size_t(x / kScale)];
    testing_support::ExpectMatchesReference(
        big.data(), FW * kScale, FH * kScale,
        std::string(CL_SOURCE_DIR) + "/tests/lib/editors/reference/" + AName + ".png", AName);
  }

 private:
  int FCellW, FCellH, FW, FH;
  std::vector<uint32_t> FPixels;
};

}  // namespace editors_test
