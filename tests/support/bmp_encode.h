// Writes bitmaps as BMP files, so tests can make the pictures they read.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/bitmap.h"

namespace qm::test {

// An uncompressed, bottom-up 24-bit BMP file of the bitmap.
std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap);

}  // namespace qm::test
