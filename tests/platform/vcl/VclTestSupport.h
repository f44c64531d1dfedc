// Helpers shared by the graphics-class and control tests: bitmaps of known
// pixels, reading pixels back, and an event counter.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/classes/Streams.h"
#include "platform/rtl/CodePages.h"
#include "platform/vcl/Graphics.h"
#include "tests/support/SurfaceDump.h"
#include "tests/support/TestSupport.h"

namespace vcltest {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

// Counts the notify events it receives.
struct TCounter : TObject {
  int Count = 0;
  void Notify(TObject*) { ++Count; }
};

// A bitmap of the format and size filled with one colour.
inline Owned<TBitmap> MakeBitmap(int W, int H, TColor Fill, TPixelFormat Format = pf32bit) {
  Owned<TBitmap> b(New<TBitmap>());
  b->SetPixelFormat(Format);
  b->SetSize(W, H);
  b->Canvas()->Brush()->SetColor(Fill);
  b->Canvas()->FillRect(TRect{0, 0, W, H});
  return b;
}

// The pixel's colour as TColor (0x00BBGGRR).
inline TColor Px(TBitmap* B, int X, int Y) { return B->Canvas()->Pixels(X, Y); }

// Writes the bitmap as a PNG next to the test output when the test failed.
inline void DumpIfFailed(TBitmap* B, const std::string& Tag = "") {
  if (!::testing::Test::HasFailure() || B->Empty()) return;
  Owned<TBitmap> copy(New<TBitmap>());
  copy->Assign(B);
  copy->SetPixelFormat(pf32bit);
  std::vector<uint32_t> px(size_t(copy->Width()) * size_t(copy->Height()));
  for (int y = 0; y < copy->Height(); ++y) {
    auto* row = static_cast<uint32_t*>(copy->ScanLine(y));
    std::copy(row, row + copy->Width(), px.begin() + ptrdiff_t(y) * copy->Width());
  }
  testing_support::DumpIfFailed(px.data(), copy->Width(), copy->Height(), copy->Width(), Tag);
}

inline String TempPath(const std::string& Tag, const std::string& Name) {
  return UTF8ToUTF16(testing_support::MakeTempDir(Tag) + "/" + Name);
}

inline RawByteString StreamBytes(TMemoryStream* S) {
  return RawByteString(static_cast<const char*>(S->Memory()), static_cast<size_t>(S->Size()));
}

}  // namespace vcltest
