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
    const TPoint origin = AControl->ClientToScreen(TPoint{0, 0});
    PutArea(ADisplay, origin, std::min(FCellW, AControl->Width()), std::min(FCellH, AControl->Height()), ACol, ARow);
  }
  // Copies the screen area of a cell's size from AOrigin on (the popups beside a control too).
  void PutArea(backend::THeadlessBackend& ADisplay, const TPoint& AOrigin, int ACol, int ARow) {
    PutArea(ADisplay, AOrigin, FCellW, FCellH, ACol, ARow);
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
  void PutArea(backend::THeadlessBackend& ADisplay, const TPoint& AOrigin, int AWidth, int AHeight, int ACol,
               int ARow) {
    ADisplay.Compose();
    const int x0 = kGap + ACol * (FCellW + kGap), y0 = kGap + ARow * (FCellH + kGap);
    for (int y = 0; y < AHeight; ++y)
      for (int x = 0; x < AWidth; ++x)
        FPixels[size_t(y0 + y) * size_t(FW) + size_t(x0 + x)] =
            ADisplay.Pixels()[size_t(AOrigin.Y + y) * size_t(ADisplay.Width()) + size_t(AOrigin.X + x)];
  }

  int FCellW, FCellH, FW, FH;
  std::vector<uint32_t> FPixels;
};

}  // namespace editors_test
