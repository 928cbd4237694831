// 8-bit text helpers shared by every layer.
//
// All text in the program is bytes (the Windows-1252 code page of the files
// it reads). Comparisons "without regard to case" fold the letters A to Z
// only; every other byte must be equal. Nothing here depends on the locale.
#pragma once

#include <algorithm>
#include <array>
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

// A value read into a buffer of `size` bytes keeps at most size - 1 bytes.
constexpr std::string_view CutToBuffer(std::string_view text, std::size_t size) noexcept {
    if (size == 0) return {};
    return text.substr(0, std::min(text.size(), size - 1));
}

// Text of fixed width N, NUL-ended within its width: at most N - 1 bytes.
// Used where the record layout is part of the design (the aircraft catalogue),
// so a record can be filled in place without allocating.
template <std::size_t N>
class FixedText {
    static_assert(N >= 1);

public:
    constexpr FixedText() noexcept { data_[0] = '\0'; }
    explicit FixedText(std::string_view text) noexcept { Assign(text); }

    // Stores the first N - 1 bytes of `text`.
    void Assign(std::string_view text) noexcept {
        const std::string_view kept = CutToBuffer(text, N);
        std::copy(kept.begin(), kept.end(), data_.begin());
        data_[kept.size()] = '\0';
        size_ = kept.size();
    }
    FixedText& operator=(std::string_view text) noexcept {
        Assign(text);
        return *this;
    }

    std::string_view View() const noexcept { return {data_.data(), size_}; }
    operator std::string_view() const noexcept { return View(); }
    std::string Str() const { return std::string(View()); }
    const char* CStr() const noexcept { return data_.data(); }
    bool Empty() const noexcept { return size_ == 0; }
    std::size_t Size() const noexcept { return size_; }
    static constexpr std::size_t Capacity() noexcept { return N - 1; }

    friend bool operator==(const FixedText& a, std::string_view b) noexcept { return a.View() == b; }

private:
    std::array<char, N> data_;
    std::size_t size_ = 0;
};

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
