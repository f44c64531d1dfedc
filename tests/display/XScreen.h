// Reads what the X server shows, apart from SDL: the pixels of the root
// window, where the real windows lie.
#pragma once

#include <cstdint>
#include <string>

namespace displaytest {

// The colour (0xRRGGBB) the X display shows at a screen point; false when
// the display cannot be reached or the point lies outside the screen.
bool ReadScreenPixel(const std::string& Display, int X, int Y, uint32_t& Rgb);

}  // namespace displaytest
