// 8-bit text helpers shared by every layer.
//
// All text in the program is bytes (the Windows-1252 code page of the files
// it reads). Comparisons "without regard to case" fold the letters A to Z
// only; every other byte must be equal. Nothing here depends on the locale.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

constexpr char ToLowerAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char ToUpperAscii(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Equal byte for byte once A to Z are turned into a to z.
constexpr bool EqualsNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
    return true;
}

// Orders byte strings as unsigned bytes after A to Z are turned into a to z.
// Returns <0, 0 or >0.
constexpr int CompareNoCase(std::string_view a, std::string_view b) noexcept {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(ToLowerAscii(a[i]));
        const auto y = static_cast<unsigned char>(ToLowerAscii(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// The size of most of the program's text buffers (names, titles, display
// names, every value of an aircraft.cfg), as the count a read is given: a
// read of this size keeps at most 98 characters.
inline constexpr int kShortTextSize = 99;

// A value read into a buffer of `size` bytes keeps at most size - 1 bytes.
constexpr std::string_view CutToBuffer(std::string_view text, std::size_t size) noexcept {
    if (size == 0) return {};
    return text.substr(0, std::min(text.size(), size - 1));
}

// printf-style "%d" of a signed 32-bit number into key formats such as
// "aircraft%d.title": the prefix, the number in decimal, the suffix.
inline std::string NumberedKey(std::string_view prefix, int number, std::string_view suffix) {
    std::string key;
    key.reserve(prefix.size() + 12 + suffix.size());
    key.append(prefix);
    key.append(std::to_string(number));
    key.append(suffix);
    return key;
}

}  // namespace qm
