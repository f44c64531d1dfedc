// Writes 32-bit BGRA pixels to a PNG file, so that a failing pixel test can
// leave a picture of its surface next to its output. The encoder is our own
// (stored deflate blocks), so the support library needs no image library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testing_support {

// Writes the picture (Height rows of Stride words, 0xAARRGGBB, alpha ignored)
// and answers whether it succeeded.
bool WritePng(const std::string& Path, const uint32_t* Pixels, int Width, int Height, ptrdiff_t Stride);

// When the running test has failed, writes the picture as
// <test-tmp>/<suite>.<test>[-Tag].png and answers the path (else "").
std::string DumpIfFailed(const uint32_t* Pixels, int Width, int Height, ptrdiff_t Stride,
                         const std::string& Tag = "");

}  // namespace testing_support
