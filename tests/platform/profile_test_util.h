// Helpers shared by the private-profile tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/profile.h"
#include "support/fresh_store.h"
#include "support/temp_dir.h"

namespace qm::test {

// std::string from a literal that may hold NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// UTF-16 bytes (with byte order mark) of UTF-8 text.
inline std::string Utf16(std::string_view utf8, bool bigEndian) {
    std::string out = bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
    const auto unit = [&](unsigned u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        unsigned cp = b;
        std::size_t len = 1;
        if (b >= 0xF0) {
            cp = b & 0x07u;
            len = 4;
        } else if (b >= 0xE0) {
            cp = b & 0x0Fu;
            len = 3;
        } else if (b >= 0xC0) {
            cp = b & 0x1Fu;
            len = 2;
        }
        for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 + (cp >> 10));
            unit(0xDC00 + (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

class ProfileTest : public FreshStoreTest {
protected:
    std::string Get(std::string_view section, std::string_view key, std::size_t size = 999) {
        return GetPrivateProfileStringA(section, key, UndefinedMarker, size, path_);
    }

    TempDir dir_;
    std::string path_ = dir_ / "Quillmarsh.cfg";
};

}  // namespace qm::test
