#include "tests/lib/foundation/ReferencePicture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/vcl/Graphics.h"
#include "platform/win/FontMap.h"
#include "platform/win/ImageCodecs.h"

namespace foundation_test {

namespace {

const char* const TestFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string ReferencePath(const std::string& AName) {
  return std::string(CL_SOURCE_DIR) + "/tests/lib/foundation/reference/" + AName + ".png";
}

std::vector<uint8_t> ReadFile(const std::string& APath) {
  std::ifstream f(APath, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& APath, const std::vector<uint8_t>& ABytes) {
  std::ofstream f(APath, std::ios::binary);
  f.write(reinterpret_cast<const char*>(ABytes.data()), std::streamsize(ABytes.size()));
}

}  // namespace

bool ReferenceFontAvailable() { return access(TestFontFile, R_OK) == 0; }

TReferenceFont::TReferenceFont() { win::fontmap::SetFontFileOverride(TestFontFile); }
TReferenceFont::~TReferenceFont() { win::fontmap::SetFontFileOverride(""); }

void ExpectMatchesReference(TBitmap* ABitmap, const std::string& AName) {
  ABitmap->SetPixelFormat(pf32bit);
  const int w = ABitmap->Width(), h = ABitmap->Height();
  std::vector<uint32_t> pixels(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = static_cast<const uint32_t*>(ABitmap->ScanLine(y));
    for (int x = 0; x < w; ++x) pixels[size_t(y) * size_t(w) + size_t(x)] = row[x] | 0xFF000000u;
  }
  std::vector<uint8_t> png = win::EncodePng(pixels.data(), w, h, w, false);
  const std::string path = ReferencePath(AName);
  if (const char* u = std::getenv("CL_UPDATE_REFERENCES"); u && *u == '1') {
    WriteFile(path, png);
    return;
  }
  std::vector<uint8_t> bytes = ReadFile(path);
  ASSERT_FALSE(bytes.empty()) << "no reference picture " << path << " (run with CL_UPDATE_REFERENCES=1)";
  win::TDecodedImage ref = win::DecodePng(bytes.data(), bytes.size());
  ASSERT_EQ(ref.Width, w) << AName;
  ASSERT_EQ(ref.Height, h) << AName;
  int differing = 0;
  for (size_t i = 0; i < pixels.size(); ++i)
    for (int shift = 0; shift < 24; shift += 8) {
      const int d = int((pixels[i] >> shift) & 0xFF) - int((ref.Pixels[i] >> shift) & 0xFF);
      if (d > 24 || d < -24) {
        ++differing;
        break;
      }
    }
  if (differing > w * h / 500) {
    const char* tmp = std::getenv("CL_TEST_TMP");
    const std::string actual = std::string(tmp ? tmp : "/tmp") + "/reference-" + AName + ".png";
    WriteFile(actual, png);
    ADD_FAILURE() << AName << ": " << differing << " pixels differ from " << path << "; drawn: " << actual;
  }
}

}  // namespace foundation_test
