// Reference pictures of the look-and-feel tests: a bitmap is compared with
// a PNG file under tests/lib/lookandfeel/reference that was reviewed by eye
// (CL_UPDATE_REFERENCES=1 writes them anew; look at them before committing).
#pragma once

#include <string>

class TBitmap;

namespace lookandfeel_test {

// The bitmap enlarged AScale times (nearest pixel), compared with the
// reference of that name.
void ExpectMatchesReference(TBitmap* ABitmap, const std::string& AName, int AScale = 1);

}  // namespace lookandfeel_test
