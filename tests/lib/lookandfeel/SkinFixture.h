// Skins made in code for the skin tests: textures of known pixels, a small
// skin with one of everything, and an equality test of two skins.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/lookandfeel/nbSkinsCore.h"
#include "platform/classes/Streams.h"

namespace skin_test {

template <class T>
using Owned = std::unique_ptr<T, TObjectFree>;

// A texture AWidth x AHeight: every pixel from APixel(x, y) as 0xAARRGGBB
// (straight alpha).
void SetTexture(TnbSkinImage* AImage, Integer AWidth, Integer AHeight,
                const std::function<Cardinal(Integer, Integer)>& APixel);

// Fills AImage with one opaque colour per frame band: frame k along the
// layout axis gets AColors[k % size].
void SetBandTexture(TnbSkinImage* AImage, Integer AWidth, Integer AHeight, const std::vector<Cardinal>& AColors);

// A skin with two colours, one property of each kind on the skin, a group
// with a property, and two elements (one with a texture, a glyph, borders
// and properties).
TnbSkin* MakeSmallSkin();

// The stream bytes of a skin.
std::string SaveToBytes(TnbSkin* ASkin);
// A memory stream holding ABytes, at position 0 (the caller frees it).
TMemoryStream* StreamOf(const std::string& ABytes);

// Equal names, colours, properties, groups and elements (Compare).
bool SkinsEqual(TnbSkin* A, TnbSkin* B, std::string* AWhy = nullptr);

// A new 32-bit bitmap filled with AColor (the caller frees it).
TBitmap* NewSurface(Integer W, Integer H, TColor AColor);

// The pixel as 0x00RRGGBB of a 32-bit bitmap.
Cardinal PixelAt(TBitmap* B, Integer X, Integer Y);

}  // namespace skin_test
