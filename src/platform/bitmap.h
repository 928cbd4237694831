// Pictures: bitmaps loaded from BMP files or from the program's own embedded
// resources, and icons.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qm {

// A decoded picture at its own size: width x height pixels, rows top-down,
// three bytes (red, green, blue) a pixel.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// The handle the program holds. Resetting it is the program's DeleteObject.
using BitmapHandle = std::shared_ptr<const Bitmap>;

// Decodes a Windows BMP file held in memory: 1, 4, 8, 16, 24 and 32 bits per
// pixel, uncompressed, RLE4, RLE8 and BI_BITFIELDS, Windows and OS/2 headers,
// bottom-up and top-down. Null for anything that is not a complete BMP.
BitmapHandle DecodeBmp(std::span<const std::uint8_t> bytes);

// The picture in a BMP file at its own size, or null when the file does not
// open or does not decode.
BitmapHandle LoadImageFromFile(const std::string& path);

// Resources embedded in the program, registered by the layer that owns them
// (see RegisterBitmapResource) before the first load.
void RegisterBitmapResource(int id, std::span<const std::uint8_t> bmpBytes);

// A new bitmap decoded from resource `id` at every call; null when the id has
// no resource.
BitmapHandle LoadBitmapResource(int id);

// An icon: the same picture at several sizes, largest first.
struct Icon {
    std::vector<BitmapHandle> images;
};
using IconHandle = std::shared_ptr<const Icon>;

void RegisterIconResource(int id, std::vector<std::span<const std::uint8_t>> bmpImages);
// The shared icon of resource `id` (loaded once, never destroyed); null when
// the id has no resource.
IconHandle LoadIconResource(int id);

// String resources. Empty when the id has none.
void RegisterStringResource(int id, std::string text);
std::string LoadStringResource(int id);

}  // namespace qm
