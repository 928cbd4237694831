#include "support/bmp_encode.h"

namespace qm::test {

namespace {

void PutLe16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const Bitmap& bitmap) {
    const auto width = static_cast<std::uint32_t>(bitmap.width > 0 ? bitmap.width : 0);
    const auto height = static_cast<std::uint32_t>(bitmap.height > 0 ? bitmap.height : 0);
    const std::uint32_t stride = (width * 3 + 3) & ~3u;
    const std::uint32_t dataOffset = 14 + 40;
    const std::uint32_t imageSize = stride * height;

    std::vector<std::uint8_t> out;
    out.reserve(dataOffset + imageSize);
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, dataOffset + imageSize);
    PutLe32(out, 0);
    PutLe32(out, dataOffset);
    // BITMAPINFOHEADER: bottom-up, 24 bits, uncompressed, 72 dots per inch.
    PutLe32(out, 40);
    PutLe32(out, width);
    PutLe32(out, height);
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, 0);
    PutLe32(out, imageSize);
    PutLe32(out, 2835);
    PutLe32(out, 2835);
    PutLe32(out, 0);
    PutLe32(out, 0);

    // A bitmap with fewer bytes than its size says is written black.
    const bool complete = bitmap.rgb.size() >= static_cast<std::size_t>(width) * height * 3;
    for (std::uint32_t row = height; row-- > 0;) {
        const std::size_t start = static_cast<std::size_t>(row) * width * 3;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t at = start + static_cast<std::size_t>(x) * 3;
            out.push_back(complete ? bitmap.rgb[at + 2] : 0);
            out.push_back(complete ? bitmap.rgb[at + 1] : 0);
            out.push_back(complete ? bitmap.rgb[at] : 0);
        }
        for (std::uint32_t pad = width * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

}  // namespace qm::test
