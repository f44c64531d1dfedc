// Reference pictures of what the library's painters draw: a bitmap is
// compared with a PNG file under tests/lib/foundation/reference that was
// reviewed by eye. CL_UPDATE_REFERENCES=1 writes the pictures anew (look at
// them before committing); a mismatch leaves the drawn picture in the
// test-tmp folder. Text is drawn in one fixed font file while a
// TReferenceFont lives, so the pictures do not move with the machine.
#pragma once

#include <string>

class TBitmap;

namespace foundation_test {

// Whether the fixed test font is installed (tests skip without it).
bool ReferenceFontAvailable();

// Maps every face name to the fixed test font while it lives.
class TReferenceFont {
 public:
  TReferenceFont();
  ~TReferenceFont();
  TReferenceFont(const TReferenceFont&) = delete;
  TReferenceFont& operator=(const TReferenceFont&) = delete;
};

// Every pixel must equal the reference's.
void ExpectMatchesReference(TBitmap* ABitmap, const std::string& AName);

}  // namespace foundation_test
