// Fuzz target: any bytes as a BMP file. A picture that decodes has a size of
// its own and exactly three bytes of colour for each of its pixels.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "platform/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qm::BitmapHandle bitmap = qm::DecodeBmp(std::span<const std::uint8_t>(data, size));
    if (bitmap && (bitmap->width <= 0 || bitmap->height <= 0 ||
                   bitmap->rgb.size() != std::size_t(bitmap->width) * std::size_t(bitmap->height) * 3)) {
        std::fprintf(stderr, "decoded %d x %d with %zu colour bytes\n", bitmap->width, bitmap->height,
                     bitmap->rgb.size());
        std::abort();
    }
    return 0;
}
