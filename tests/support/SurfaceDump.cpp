#include "tests/support/SurfaceDump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace testing_support {

namespace {

uint32_t Crc(const uint8_t* p, size_t n, uint32_t crc = 0xFFFFFFFFu) {
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return crc;
}

void Be32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Be32(out, uint32_t(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Be32(out, Crc(out.data() + start, out.size() - start) ^ 0xFFFFFFFFu);
}

}  // namespace

bool WritePng(const std::string& Path, const uint32_t* Pixels, int Width, int Height, ptrdiff_t Stride) {
  if (!Pixels || Width <= 0 || Height <= 0) return false;
  std::vector<uint8_t> raw;
  for (int y = 0; y < Height; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < Width; ++x) {
      uint32_t v = Pixels[ptrdiff_t(y) * Stride + x];
      raw.push_back(uint8_t(v >> 16));
      raw.push_back(uint8_t(v >> 8));
      raw.push_back(uint8_t(v));
    }
  }
  // zlib stream of stored blocks
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(uint8_t(n));
    z.push_back(uint8_t(n >> 8));
    z.push_back(uint8_t(~n));
    z.push_back(uint8_t(~n >> 8));
    z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  Be32(z, (b << 16) | a);
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Be32(ihdr, uint32_t(Width));
  Be32(ihdr, uint32_t(Height));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  Chunk(out, "IHDR", ihdr);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", {});
  std::ofstream f(Path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
  return bool(f);
}

std::string DumpIfFailed(const uint32_t* Pixels, int Width, int Height, ptrdiff_t Stride, const std::string& Tag) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info || !::testing::Test::HasFailure()) return "";
  const char* base = std::getenv("CL_TEST_TMP");
  std::filesystem::path dir = base ? base : std::filesystem::temp_directory_path() / "cl-tests";
  std::filesystem::create_directories(dir);
  std::string name = std::string(info->test_suite_name()) + "." + info->name() + (Tag.empty() ? "" : "-" + Tag);
  for (char& c : name)
    if (c == '/') c = '_';
  std::string path = (dir / (name + ".png")).string();
  return WritePng(path, Pixels, Width, Height, Stride) ? path : "";
}

}  // namespace testing_support
