#include "tests/support/ReferencePictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/win/ImageCodecs.h"

namespace testing_support {

namespace {

std::vector<uint8_t> ReadFile(const std::string& APath) {
  std::ifstream f(APath, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& APath, const std::vector<uint8_t>& ABytes) {
  std::ofstream f(APath, std::ios::binary);
  f.write(reinterpret_cast<const char*>(ABytes.data()), std::streamsize(ABytes.size()));
}

}  // namespace

void ExpectMatchesReference(const uint32_t* Pixels, int Width, int Height, const std::string& Path,
                            const std::string& Name) {
  std::vector<uint32_t> opaque(Pixels, Pixels + size_t(Width) * size_t(Height));
  for (uint32_t& p : opaque) p |= 0xFF000000u;
  std::vector<uint8_t> png = win::EncodePng(opaque.data(), Width, Height, Width, false);
  if (const char* u = std::getenv("CL_UPDATE_REFERENCES"); u && *u == '1') {
    WriteFile(Path, png);
    return;
  }
  std::vector<uint8_t> bytes = ReadFile(Path);
  ASSERT_FALSE(bytes.empty()) << "no reference picture " << Path << " (run with CL_UPDATE_REFERENCES=1)";
  win::TDecodedImage ref = win::DecodePng(bytes.data(), bytes.size());
  ASSERT_EQ(ref.Width, Width) << Name;
  ASSERT_EQ(ref.Height, Height) << Name;
  // Exact: the tests draw text in one fixed font file and everything else
  // with the platform's own deterministic rasterizer, so any difference is a
  // change of what is drawn (a one-pixel line, a shade of a colour).
  int differing = 0, firstX = -1, firstY = -1;
  for (size_t i = 0; i < opaque.size(); ++i)
    if ((opaque[i] & 0xFFFFFFu) != (ref.Pixels[i] & 0xFFFFFFu)) {
      if (differing++ == 0) {
        firstX = int(i % size_t(Width));
        firstY = int(i / size_t(Width));
      }
    }
  if (differing > 0) {
    const char* tmp = std::getenv("CL_TEST_TMP");
    const std::string actual = std::string(tmp ? tmp : "/tmp") + "/reference-" + Name + ".png";
    WriteFile(actual, png);
    ADD_FAILURE() << Name << ": " << differing << " pixels differ from " << Path << ", the first at (" << firstX
                  << ", " << firstY << "); drawn: " << actual;
  }
}

}  // namespace testing_support
