#include "platform/wx/wx_codec.h"

#include <array>
#include <cstdint>

namespace qm {
namespace {

// Code points of bytes 0x80-0x9F.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t CodePoint(unsigned char byte) {
    return (byte >= 0x80 && byte <= 0x9F) ? kHighControls[byte - 0x80] : byte;
}

int ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == c) return static_cast<int>(0x80 + i);
    return -1;
}

}  // namespace

wxString FromCp1252(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char byte : bytes) text.push_back(static_cast<wchar_t>(CodePoint(static_cast<unsigned char>(byte))));
    return wxString(text.data(), text.size());
}

std::string ToCp1252(const wxString& text) {
    std::string bytes;
    bytes.reserve(text.length());
    for (const wxUniChar c : text) {
        const int byte = ByteOf(static_cast<char32_t>(c.GetValue()));
        bytes.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return bytes;
}

}  // namespace qm
