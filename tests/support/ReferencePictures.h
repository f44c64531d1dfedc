// Reference pictures: a drawn picture is compared with a PNG file that was
// reviewed by eye. CL_UPDATE_REFERENCES=1 writes the file anew instead (look
// at it before committing); a mismatch leaves the drawn picture in the
// test-tmp folder as reference-<name>.png.
#pragma once

#include <cstdint>
#include <string>

namespace testing_support {

// Pixels: Height rows of Width words 0xAARRGGBB (alpha ignored). Every pixel
// must equal the reference's exactly.
void ExpectMatchesReference(const uint32_t* Pixels, int Width, int Height, const std::string& Path,
                            const std::string& Name);

}  // namespace testing_support
