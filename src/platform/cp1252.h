// The Windows-1252 code page: the 8-bit text of every file the program reads
// and of everything it shows. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control code points of the same
// number, as the platform maps them, so every byte survives a trip through
// Unicode.
#pragma once

#include <array>
#include <cstddef>

namespace qm {

namespace cp1252_detail {
inline constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};
}  // namespace cp1252_detail

constexpr char32_t CodePointOf1252(unsigned char byte) noexcept {
    return (byte >= 0x80 && byte <= 0x9F) ? cp1252_detail::kHigh[byte - 0x80] : byte;
}

// '?' for a code point the code page has no byte for.
constexpr char ByteOf1252(char32_t codePoint) noexcept {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(static_cast<unsigned char>(codePoint));
    for (std::size_t i = 0; i < cp1252_detail::kHigh.size(); ++i)
        if (cp1252_detail::kHigh[i] == codePoint) return static_cast<char>(static_cast<unsigned char>(0x80 + i));
    return '?';
}

}  // namespace qm
