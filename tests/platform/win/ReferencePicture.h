// Compares a drawn picture with a reference PNG kept in the source tree
// (reviewed by eye when written). CL_UPDATE_REFERENCES=1 writes the picture
// as the new reference instead; a mismatch leaves the drawn picture in the
// test-tmp folder. Anti-aliased edges may move by a shade between library
// versions; shapes, colours and positions may not: a pixel counts as
// different when a channel moves by more than 24, and at most 1 pixel in 500
// may.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win/ImageCodecs.h"
#include "tests/platform/win/GdiFixture.h"

namespace gditest {

inline std::vector<uint8_t> ReadReferenceFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline void WriteReferenceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Folder is relative to the source tree ("tests/platform/win/reference").
inline void ExpectMatchesReference(const TCanvas& c, const std::string& folder, const std::string& name) {
  std::vector<uint32_t> opaque(c.Bits, c.Bits + c.W * c.H);
  for (uint32_t& p : opaque) p |= 0xFF000000u;
  std::vector<uint8_t> png = win::EncodePng(opaque.data(), c.W, c.H, c.W, false);
  const std::string path = std::string(CL_SOURCE_DIR) + "/" + folder + "/" + name + ".png";
  if (const char* u = std::getenv("CL_UPDATE_REFERENCES"); u && *u == '1') {
    WriteReferenceFile(path, png);
    return;
  }
  std::vector<uint8_t> bytes = ReadReferenceFile(path);
  ASSERT_FALSE(bytes.empty()) << "no reference picture " << path << " (run with CL_UPDATE_REFERENCES=1)";
  win::TDecodedImage ref = win::DecodePng(bytes.data(), bytes.size());
  const char* tmp = std::getenv("CL_TEST_TMP");
  const std::string actual = std::string(tmp ? tmp : "/tmp") + "/reference-" + name + ".png";
  ASSERT_EQ(ref.Width, c.W) << name;
  ASSERT_EQ(ref.Height, c.H) << name;
  int differing = 0;
  for (int i = 0; i < c.W * c.H; ++i) {
    uint32_t a = opaque[size_t(i)], b = ref.Pixels[size_t(i)];
    for (int shift = 0; shift < 24; shift += 8) {
      int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
      if (d > 24 || d < -24) {
        ++differing;
        break;
      }
    }
  }
  if (differing > c.W * c.H / 500) {
    WriteReferenceFile(actual, png);
    ADD_FAILURE() << name << ": " << differing << " pixels differ from " << path << "; drawn: " << actual;
  }
}

}  // namespace gditest
