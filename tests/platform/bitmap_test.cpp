#include "platform/bitmap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/bmp_encode.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::EncodeBmp24;

struct Rgb {
    std::uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << '(' << int{c.r} << ',' << int{c.g} << ',' << int{c.b} << ')';
}

Rgb PixelAt(const Bitmap& bitmap, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * bitmap.width + x) * 3;
    return {bitmap.rgb[at], bitmap.rgb[at + 1], bitmap.rgb[at + 2]};
}

void Le16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Le32(Bytes& out, std::uint32_t value) {
    Le16(out, value & 0xFFFF);
    Le16(out, value >> 16);
}
void Patch32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::span<const std::uint8_t> Span(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// ---------------------------------------------------------------------------
// The test picture: 5 x 3 pixels (an odd width, so every depth pads its rows),
// rows all different so that a picture upside down shows. Each pixel is an
// index into the colours of the form.

constexpr int kWidth = 5;
constexpr int kHeight = 3;
constexpr int kIndex[kHeight][kWidth] = {
    {0, 1, 2, 3, 4},
    {5, 4, 3, 2, 1},
    {1, 3, 5, 0, 2},
};

// Six colours for the palette forms; the rest of a full palette is black.
const Rgb kPalette[6] = {{10, 20, 30}, {200, 100, 50}, {0, 0, 0}, {255, 255, 255}, {1, 2, 3}, {90, 180, 45}};

constexpr std::uint32_t kRgbCode = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

struct Form {
    const char* name;
    unsigned headerSize;  // 12: OS/2 1.x; 64: OS/2 2.x; 40, 108, 124: Windows
    unsigned bits;
    std::uint32_t compression;
    bool topDown;
    unsigned paletteEntries;  // written to the file
    std::uint32_t colorsUsed;
    std::vector<std::uint32_t> masks;  // red, green, blue (, alpha)
    std::vector<std::uint32_t> raw;    // direct colour: the pixel value of each index
    std::vector<Rgb> expected;         // the colour each index decodes to
    bool oneBit = false;               // indexes taken modulo 2
};

unsigned IndexOf(const Form& form, int x, int y) {
    const int index = kIndex[y][x];
    return form.oneBit ? index % 2 : index;
}

void PadRow(Bytes& out, std::size_t rowStart) {
    while ((out.size() - rowStart) % 4 != 0) out.push_back(0);
}

// Each row: the first three pixels as literal indexes, the last two as runs
// of one, then the end of the row; the end of the picture after the last.
Bytes EncodeRle(const Form& form) {
    Bytes out;
    for (int row = 0; row < kHeight; ++row) {
        const int y = kHeight - 1 - row;
        if (form.compression == kRle8) {
            out.insert(out.end(), {0, 3});
            for (int x = 0; x < 3; ++x) out.push_back(static_cast<std::uint8_t>(IndexOf(form, x, y)));
            out.push_back(0);  // to a 16-bit boundary
            for (int x = 3; x < kWidth; ++x)
                out.insert(out.end(), {1, static_cast<std::uint8_t>(IndexOf(form, x, y))});
        } else {
            out.insert(out.end(), {0, 3, static_cast<std::uint8_t>(IndexOf(form, 0, y) << 4 | IndexOf(form, 1, y)),
                                   static_cast<std::uint8_t>(IndexOf(form, 2, y) << 4)});
            for (int x = 3; x < kWidth; ++x)
                out.insert(out.end(), {1, static_cast<std::uint8_t>(IndexOf(form, x, y) << 4)});
        }
        out.insert(out.end(), {0, 0});
    }
    out.insert(out.end(), {0, 1});
    return out;
}

Bytes EncodePixels(const Form& form) {
    if (form.compression == kRle8 || form.compression == kRle4) return EncodeRle(form);
    Bytes out;
    for (int row = 0; row < kHeight; ++row) {
        const int y = form.topDown ? row : kHeight - 1 - row;
        const std::size_t start = out.size();
        if (form.bits <= 8) {
            unsigned bitsUsed = 0;
            for (int x = 0; x < kWidth; ++x) {
                if (bitsUsed % 8 == 0) out.push_back(0);
                out.back() |= static_cast<std::uint8_t>(IndexOf(form, x, y) << (8 - form.bits - bitsUsed % 8));
                bitsUsed += form.bits;
            }
        } else {
            for (int x = 0; x < kWidth; ++x) {
                const std::uint32_t pixel = form.raw[IndexOf(form, x, y)];
                for (unsigned byte = 0; byte < form.bits / 8; ++byte)
                    out.push_back(static_cast<std::uint8_t>(pixel >> (8 * byte)));
            }
        }
        PadRow(out, start);
    }
    return out;
}

Bytes EncodeFile(const Form& form) {
    Bytes header;
    Le32(header, form.headerSize);
    if (form.headerSize == 12) {
        Le16(header, kWidth);
        Le16(header, kHeight);
        Le16(header, 1);
        Le16(header, form.bits);
    } else {
        Le32(header, kWidth);
        Le32(header, static_cast<std::uint32_t>(form.topDown ? -kHeight : kHeight));
        Le16(header, 1);
        Le16(header, form.bits);
        Le32(header, form.compression);
        Le32(header, 0);
        Le32(header, 2835);
        Le32(header, 2835);
        Le32(header, form.colorsUsed);
        Le32(header, 0);
        // Longer headers hold the masks; a 40-byte one is followed by them.
        if (form.headerSize > 40)
            for (const std::uint32_t mask : form.masks) Le32(header, mask);
        header.resize(form.headerSize, 0);
        if (form.headerSize == 40)
            for (const std::uint32_t mask : form.masks) Le32(header, mask);
    }
    for (unsigned i = 0; i < form.paletteEntries; ++i) {
        const Rgb c = i < 6 ? kPalette[i] : Rgb{0, 0, 0};
        header.insert(header.end(), {c.b, c.g, c.r});
        if (form.headerSize != 12) header.push_back(0);
    }
    const Bytes pixels = EncodePixels(form);
    Bytes file{'B', 'M'};
    Le32(file, static_cast<std::uint32_t>(14 + header.size() + pixels.size()));
    Le32(file, 0);
    Le32(file, static_cast<std::uint32_t>(14 + header.size()));
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

const std::vector<Rgb> kPaletteColours(std::begin(kPalette), std::end(kPalette));
const std::vector<Rgb> kPrimaries = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
// Direct colour: black, white, red, green, blue, and a middle grey, whose
// 5-bit channels of 16/31 of full scale come to 132 and whose 6-bit green of
// 32/63 comes to 130.
std::vector<Rgb> WithGrey(Rgb grey) {
    std::vector<Rgb> colours = kPrimaries;
    colours.push_back(grey);
    return colours;
}
const std::vector<std::uint32_t> kRaw555 = {0x0000, 0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x4210};
const std::vector<std::uint32_t> kRaw565 = {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410};
// 32 bits with the colour in the low three bytes; the top byte holds alpha,
// which the picture ignores.
const std::vector<std::uint32_t> kRawXrgb = {0xFF000000, 0x00FFFFFF, 0x80FF0000, 0x0000FF00, 0x120000FF, 0x7F848282};
const std::vector<std::uint32_t> kRawRgba = {0xFF000000, 0xFFFFFFFF, 0x000000FF, 0x0000FF00, 0x00FF0000, 0x00848282};
const std::vector<std::uint32_t> kMasks555 = {0x7C00, 0x03E0, 0x001F};
const std::vector<std::uint32_t> kMasks565 = {0xF800, 0x07E0, 0x001F};
const std::vector<std::uint32_t> kMasksXrgb = {0xFF0000, 0x00FF00, 0x0000FF};

std::vector<Form> AllForms() {
    const Rgb grey555{132, 132, 132}, grey565{132, 130, 132}, grey24{132, 130, 130};
    const Rgb grey24Reversed{130, 130, 132};
    const std::vector<std::uint32_t> raw24 = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x848282};
    Form oneBit{"palette_1_bit", 40, 1, kRgbCode, false, 2, 0, {}, {}, kPaletteColours, true};
    Form os2OneBit = oneBit;
    os2OneBit.name = "os2_1x_palette_1_bit";
    os2OneBit.headerSize = 12;
    return {
        oneBit,
        os2OneBit,
        {"palette_4_bit_six_used", 40, 4, kRgbCode, false, 6, 6, {}, {}, kPaletteColours},
        {"palette_4_bit_full", 40, 4, kRgbCode, false, 16, 0, {}, {}, kPaletteColours},
        {"palette_8_bit_full", 40, 8, kRgbCode, false, 256, 0, {}, {}, kPaletteColours},
        {"palette_8_bit_top_down", 40, 8, kRgbCode, true, 6, 6, {}, {}, kPaletteColours},
        {"rle8", 40, 8, kRle8, false, 6, 6, {}, {}, kPaletteColours},
        {"rle4", 40, 4, kRle4, false, 16, 0, {}, {}, kPaletteColours},
        {"os2_1x_palette_8_bit", 12, 8, kRgbCode, false, 256, 0, {}, {}, kPaletteColours},
        {"os2_2x_palette_8_bit", 64, 8, kRgbCode, false, 6, 6, {}, {}, kPaletteColours},
        {"os2_1x_24_bit", 12, 24, kRgbCode, false, 0, 0, {}, raw24, WithGrey(grey24)},
        {"rgb_16_bit_is_555", 40, 16, kRgbCode, false, 0, 0, {}, kRaw555, WithGrey(grey555)},
        {"rgb_16_bit_top_down", 40, 16, kRgbCode, true, 0, 0, {}, kRaw555, WithGrey(grey555)},
        {"bitfields_555", 40, 16, kBitFields, false, 0, 0, kMasks555, kRaw555, WithGrey(grey555)},
        {"bitfields_565", 40, 16, kBitFields, false, 0, 0, kMasks565, kRaw565, WithGrey(grey565)},
        {"bitfields_565_v4_header", 108, 16, kBitFields, false, 0, 0, kMasks565, kRaw565, WithGrey(grey565)},
        {"rgb_24_bit", 40, 24, kRgbCode, false, 0, 0, {}, raw24, WithGrey(grey24)},
        {"rgb_24_bit_top_down", 40, 24, kRgbCode, true, 0, 0, {}, raw24, WithGrey(grey24)},
        {"rgb_24_bit_v5_header", 124, 24, kRgbCode, false, 0, 0, {}, raw24, WithGrey(grey24)},
        {"rgb_32_bit_alpha_ignored", 40, 32, kRgbCode, false, 0, 0, {}, kRawXrgb, WithGrey(grey24)},
        {"rgb_32_bit_top_down", 40, 32, kRgbCode, true, 0, 0, {}, kRawXrgb, WithGrey(grey24)},
        {"bitfields_32_xrgb", 40, 32, kBitFields, false, 0, 0, kMasksXrgb, kRawXrgb, WithGrey(grey24)},
        {"bitfields_32_rgba_order", 40, 32, kBitFields, false, 0, 0, {0xFF, 0xFF00, 0xFF0000}, kRawRgba,
         WithGrey(grey24Reversed)},
        {"bitfields_32_v5_header_top_down", 124, 32, kBitFields, true, 0, 0, kMasksXrgb, kRawXrgb,
         WithGrey(grey24)},
        {"alpha_bitfields_32", 40, 32, kAlphaBitFields, false, 0, 0, {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         kRawXrgb, WithGrey(grey24)},
        {"alpha_bitfields_16_4444", 40, 16, kAlphaBitFields, false, 0, 0, {0x0F00, 0x00F0, 0x000F, 0xF000},
         {0xF000, 0x0FFF, 0x0F00, 0x00F0, 0x000F, 0x8888}, WithGrey({136, 136, 136})},
    };
}

class DecodeBmpFormTest : public ::testing::TestWithParam<Form> {};

TEST_P(DecodeBmpFormTest, DecodesEveryPixel) {
    const Form& form = GetParam();
    const Bytes file = EncodeFile(form);
    const BitmapHandle bitmap = DecodeBmp(file);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->width, kWidth);
    ASSERT_EQ(bitmap->height, kHeight);
    ASSERT_EQ(bitmap->rgb.size(), std::size_t{kWidth * kHeight * 3});
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            EXPECT_EQ(PixelAt(*bitmap, x, y), form.expected[IndexOf(form, x, y)]) << "at " << x << "," << y;
}

TEST_P(DecodeBmpFormTest, TruncatedFileGivesNothing) {
    const Form& form = GetParam();
    const Bytes file = EncodeFile(form);
    const bool compressed = form.compression == kRle8 || form.compression == kRle4;
    // The last row's end and the end-of-picture escape of the compressed
    // forms are four bytes; an uncompressed picture needs even the padding of
    // its last row.
    const std::size_t cuts[] = {0, 13, 14 + form.headerSize - 1, file.size() / 2,
                                file.size() - (compressed ? 4 : 1)};
    for (const std::size_t length : cuts)
        EXPECT_EQ(DecodeBmp(std::span(file).first(length)), nullptr) << length << " of " << file.size();
}

INSTANTIATE_TEST_SUITE_P(Forms, DecodeBmpFormTest, ::testing::ValuesIn(AllForms()),
                         [](const ::testing::TestParamInfo<Form>& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------
// Edge cases of the forms

Form Palette8() { return {"palette_8", 40, 8, kRgbCode, false, 6, 6, {}, {}, kPaletteColours}; }
Form Rgb24() {
    return {"rgb_24", 40, 24, kRgbCode, false, 0, 0, {}, {0, 0xFFFFFF, 0xFF0000, 0xFF00, 0xFF, 0x010203}, {}};
}

TEST(DecodeBmpTest, IndexPastThePaletteIsBlack) {
    Form form = Palette8();
    form.colorsUsed = form.paletteEntries = 3;  // indexes 3, 4 and 5 have no colour
    const BitmapHandle bitmap = DecodeBmp(EncodeFile(form));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelAt(*bitmap, 1, 0), kPalette[1]);
    EXPECT_EQ(PixelAt(*bitmap, 3, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelAt(*bitmap, 0, 1), (Rgb{0, 0, 0}));
}

TEST(DecodeBmpTest, ZeroPixelOffsetMeansPixelsFollowTheTables) {
    // After the palette; after the masks that follow a 40-byte header.
    const Form forms[] = {Palette8(), {"bitfields_565", 40, 16, kBitFields, false, 0, 0, kMasks565, kRaw565,
                                       WithGrey({132, 130, 132})}};
    for (const Form& form : forms) {
        Bytes file = EncodeFile(form);
        Patch32(file, 10, 0);
        const BitmapHandle bitmap = DecodeBmp(file);
        ASSERT_NE(bitmap, nullptr) << form.name;
        EXPECT_EQ(PixelAt(*bitmap, 4, 0), form.expected[4]) << form.name;
        EXPECT_EQ(PixelAt(*bitmap, 2, 2), form.expected[5]) << form.name;
    }
}

TEST(DecodeBmpTest, PixelOffsetPastTheTablesIsFollowed) {
    Bytes file = EncodeFile(Palette8());
    const std::size_t offset = file[10];
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(offset), {0xEE, 0xEE, 0xEE, 0xEE});
    Patch32(file, 10, static_cast<std::uint32_t>(offset + 4));
    const BitmapHandle bitmap = DecodeBmp(file);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelAt(*bitmap, 0, 2), kPalette[1]);
    EXPECT_EQ(PixelAt(*bitmap, 4, 0), kPalette[4]);
}

// Escapes the table's picture does not use: jumps, a run of two alternating
// RLE4 indexes, odd literal counts, the picture ended early and pixels past
// the end of a row. Pixels that nothing sets are black.
TEST(DecodeBmpTest, RleEscapesAndUnsetPixels) {
    Form form = Palette8();
    form.compression = kRle8;
    Bytes file = EncodeFile(form);
    const std::size_t offset = file[10];
    file.resize(offset);
    file.insert(file.end(), {
                                // bottom row: index 1 twice, jump 2 right, index 3; then 2 more past the width
                                2, 1, 0, 2, 2, 0, 1, 3, 2, 4, 0, 0,
                                // middle row: five literal indexes, padded
                                0, 5, 5, 4, 3, 2, 1, 0, 0, 0,
                                // top row: jump 4 right; index 2; end of picture
                                0, 2, 4, 0, 1, 2, 0, 1,
                            });
    BitmapHandle bitmap = DecodeBmp(file);
    ASSERT_NE(bitmap, nullptr);
    const Rgb black{0, 0, 0};
    const Rgb expected[kHeight][kWidth] = {
        {black, black, black, black, kPalette[2]},
        {kPalette[5], kPalette[4], kPalette[3], kPalette[2], kPalette[1]},
        {kPalette[1], kPalette[1], black, black, kPalette[3]},
    };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) EXPECT_EQ(PixelAt(*bitmap, x, y), expected[y][x]) << x << "," << y;

    form.compression = kRle4;
    form.bits = 4;
    file = EncodeFile(form);
    file.resize(file[10]);
    file.insert(file.end(), {
                                // bottom row: 5 alternating 1 and 3; a jump up one row
                                // (past the width), and the end of that row
                                5, 0x13, 0, 2, 0, 1, 0, 0,
                                // top row: 5 literal indexes in 3 bytes, padded
                                0, 5, 0x51, 0x23, 0x40, 0, 0, 1,
                            });
    bitmap = DecodeBmp(file);
    ASSERT_NE(bitmap, nullptr);
    const Rgb expected4[kHeight][kWidth] = {
        {kPalette[5], kPalette[1], kPalette[2], kPalette[3], kPalette[4]},
        {black, black, black, black, black},
        {kPalette[1], kPalette[3], kPalette[1], kPalette[3], kPalette[1]},
    };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) EXPECT_EQ(PixelAt(*bitmap, x, y), expected4[y][x]) << x << "," << y;
}

TEST(DecodeBmpTest, RleWithoutEndOfPictureAfterTheLastRowIsComplete) {
    Form form = Palette8();
    form.compression = kRle8;
    Bytes file = EncodeFile(form);
    file.resize(file.size() - 2);
    const BitmapHandle bitmap = DecodeBmp(file);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelAt(*bitmap, 4, 0), kPalette[4]);
}

TEST(DecodeBmpTest, RejectsWhatIsNoPicture) {
    const Bytes palette8 = EncodeFile(Palette8());
    Form bitfields{"bitfields", 40, 16, kBitFields, false, 0, 0, kMasks565, kRaw565, {}};
    const Bytes masked = EncodeFile(bitfields);
    const Bytes rgb24 = EncodeFile(Rgb24());
    Form rle{"rle8", 40, 8, kRle8, false, 6, 6, {}, {}, kPaletteColours};
    const Bytes rle8 = EncodeFile(rle);

    const struct {
        const char* what;
        const Bytes& base;
        std::size_t offset;  // where to patch a 32-bit value
        std::uint32_t value;
    } patches[] = {
        {"not BM", rgb24, 0, 0x474E5089},         // a PNG signature
        {"unknown header size", rgb24, 14, 41},   //
        {"header past the file", rgb24, 14, 4000},
        {"zero width", rgb24, 18, 0},
        {"negative width", rgb24, 18, 0xFFFFFFFB},
        {"zero height", rgb24, 22, 0},
        {"most negative height", rgb24, 22, 0x80000000},
        {"absurd width", rgb24, 18, 100000},
        {"7 bits", rgb24, 26, 0x00070001},  // planes 1, 7 bits
        {"JPEG inside", rgb24, 30, 4},
        {"PNG inside", rgb24, 30, 5},
        {"bit fields of 24 bits", rgb24, 30, kBitFields},
        {"RLE8 of 4 bits", rle8, 26, 0x00040001},
        {"RLE8 of 8 bits top-down", rle8, 22, static_cast<std::uint32_t>(-kHeight)},
        {"mask with a gap", masked, 54, 0xF0F0},
        {"pixels past the end", rgb24, 10, 4000},
        {"colours used past the end", palette8, 46, 256},
    };
    for (const auto& p : patches) {
        Bytes file = p.base;
        Patch32(file, p.offset, p.value);
        EXPECT_EQ(DecodeBmp(file), nullptr) << p.what;
    }
    // Area: a compressed picture of 30000 x 30000 pixels.
    Bytes huge = rle8;
    Patch32(huge, 18, 30000);
    Patch32(huge, 22, 30000);
    EXPECT_EQ(DecodeBmp(huge), nullptr);

    for (const std::string& text : {std::string(), std::string("BM"), std::string("hello, not a picture"),
                                   std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)})
        EXPECT_EQ(DecodeBmp(Span(text)), nullptr) << text;
}

// A picture of more pixels than a thumbnail can need gives no picture, before
// any memory is taken for it: a compressed file of a few bytes can ask for
// anything.
TEST(DecodeBmpTest, PictureOfMoreThan2048By2048PixelsGivesNoPicture) {
    // 14 + 40 bytes of headers, one colour, and the end of the picture at once.
    const auto rle8File = [](std::uint32_t width, std::uint32_t height) {
        Bytes file = {'B', 'M'};
        Le32(file, 60);
        Le32(file, 0);
        Le32(file, 58);
        Le32(file, 40);
        Le32(file, width);
        Le32(file, height);
        Le16(file, 1);
        Le16(file, 8);
        Le32(file, kRle8);
        Le32(file, 2);
        Le32(file, 0);
        Le32(file, 0);
        Le32(file, 1);
        Le32(file, 0);
        for (const std::uint8_t byte : {0x40, 0x80, 0xC0, 0x00}) file.push_back(byte);
        file.push_back(0);
        file.push_back(1);
        return file;
    };
    const struct {
        std::uint32_t width, height;
        bool decodes;
    } cases[] = {
        {8192, 8192, false},  // 2^26 pixels from 60 bytes
        {2048, 2048, true},   {2048, 2049, false}, {2049, 2048, false},
        {4096, 1024, true},   {4096, 1025, false}, {32767, 128, true},
        {32768, 1, false},    {1, 32768, false},   {512, 512, true},
    };
    for (const auto& c : cases) {
        const Bytes file = rle8File(c.width, c.height);
        ASSERT_EQ(file.size(), 60u);
        const BitmapHandle bitmap = DecodeBmp(file);
        EXPECT_EQ(bitmap != nullptr, c.decodes) << c.width << " x " << c.height;
        if (!bitmap || !c.decodes) continue;
        EXPECT_EQ(bitmap->width, static_cast<int>(c.width));
        EXPECT_EQ(bitmap->height, static_cast<int>(c.height));
        // Pixels the picture leaves unset come out black.
        EXPECT_EQ(PixelAt(*bitmap, 0, 0), (Rgb{0, 0, 0}));
    }
}

// ---------------------------------------------------------------------------
// Files

TEST(LoadImageFromFileTest, LoadsFilesWhateverTheCaseOfTheirNames) {
    test::TempDir dir;
    test::WriteFile(dir / "Aircraft/Baron/Texture.1/thumbnail.bmp", test::SmallBmp(4, 2, 1, 2, 3));
    test::WriteFile(dir / "broken.bmp", "BM not really");

    const BitmapHandle exact = LoadImageFromFile(dir / "Aircraft/Baron/Texture.1/thumbnail.bmp");
    ASSERT_NE(exact, nullptr);
    EXPECT_EQ(exact->width, 4);
    EXPECT_EQ(exact->height, 2);
    EXPECT_EQ(PixelAt(*exact, 3, 1), (Rgb{1, 2, 3}));

    const BitmapHandle otherCase = LoadImageFromFile(dir / "aircraft/BARON/texture.1/Thumbnail.BMP");
    ASSERT_NE(otherCase, nullptr);
    EXPECT_EQ(otherCase->rgb, exact->rgb);

    for (const char* missing : {"missing.bmp", "Aircraft/Baron/texture.2/thumbnail.bmp", "broken.bmp", "Aircraft"})
        EXPECT_EQ(LoadImageFromFile(dir / missing), nullptr) << missing;
}

// A thumbnail path comes from the category file and may name anything.
TEST(LoadImageFromFileTest, LoadsNothingFromDevicesOrFilesTooLargeForAPicture) {
    for (const char* device : {"/dev/zero", "/dev/urandom", "/dev/null"})
        EXPECT_EQ(LoadImageFromFile(device), nullptr) << device;

    test::TempDir dir;
    const std::string huge = dir / "huge.bmp";
    {
        // A sparse file larger than any picture, starting like a BMP.
        const std::string start = test::SmallBmp(4, 4);
        test::WriteFile(huge, start);
        ASSERT_EQ(::truncate(huge.c_str(), off_t{1} << 30), 0);
    }
    EXPECT_EQ(LoadImageFromFile(huge), nullptr);
}

TEST(EncodeBmp24Test, RoundTripsAndWritesBottomUpPaddedRows) {
    for (int width = 1; width <= 5; ++width) {
        for (int height = 1; height <= 3; ++height) {
            Bitmap bitmap;
            bitmap.width = width;
            bitmap.height = height;
            for (int i = 0; i < width * height * 3; ++i) bitmap.rgb.push_back(static_cast<std::uint8_t>(i * 37 + 5));
            const Bytes file = EncodeBmp24(bitmap);

            const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
            ASSERT_EQ(file.size(), 54 + stride * height);
            EXPECT_EQ(file[0], 'B');
            EXPECT_EQ(file[1], 'M');
            EXPECT_EQ(file[10], 54);
            EXPECT_EQ(file[14], 40);
            // The first row in the file is the bottom one, in blue, green, red.
            const std::size_t bottomLeft = static_cast<std::size_t>(height - 1) * width * 3;
            EXPECT_EQ(file[54], bitmap.rgb[bottomLeft + 2]);
            EXPECT_EQ(file[56], bitmap.rgb[bottomLeft]);

            const BitmapHandle decoded = DecodeBmp(file);
            ASSERT_NE(decoded, nullptr);
            EXPECT_EQ(decoded->width, width);
            EXPECT_EQ(decoded->height, height);
            EXPECT_EQ(decoded->rgb, bitmap.rgb) << width << " x " << height;
        }
    }
}

// ---------------------------------------------------------------------------
// Resources

TEST(ResourcesTest, BitmapResourceIsANewBitmapEveryTime) {
    const std::string bmp = test::SmallBmp(3, 2, 9, 8, 7);
    RegisterBitmapResource(91001, Span(bmp));
    const BitmapHandle first = LoadBitmapResource(91001);
    const BitmapHandle second = LoadBitmapResource(91001);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->rgb, second->rgb);
    EXPECT_EQ(PixelAt(*first, 2, 1), (Rgb{9, 8, 7}));
    EXPECT_EQ(LoadBitmapResource(91002), nullptr);

    // Registered again: the new picture.
    RegisterBitmapResource(91001, Span(test::SmallBmp(1, 1)));
    ASSERT_NE(LoadBitmapResource(91001), nullptr);
    EXPECT_EQ(LoadBitmapResource(91001)->width, 1);
}

TEST(ResourcesTest, IconIsSharedWithItsPicturesLargestFirst) {
    const std::string small = test::SmallBmp(16, 16), large = test::SmallBmp(48, 48), middle = test::SmallBmp(32, 32);
    RegisterIconResource(91010, {Span(small), Span(large), Span("not a picture"), Span(middle)});
    const IconHandle icon = LoadIconResource(91010);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconResource(91010).get(), icon.get());
    ASSERT_EQ(icon->images.size(), 3u);
    EXPECT_EQ(icon->images[0]->width, 48);
    EXPECT_EQ(icon->images[1]->width, 32);
    EXPECT_EQ(icon->images[2]->width, 16);

    EXPECT_EQ(LoadIconResource(91011), nullptr);
    RegisterIconResource(91012, {Span("BM")});
    EXPECT_EQ(LoadIconResource(91012), nullptr);
}

TEST(ResourcesTest, StringResources) {
    RegisterStringResource(91020, "&About Quillmarsh...");
    EXPECT_EQ(LoadStringResource(91020), "&About Quillmarsh...");
    EXPECT_EQ(LoadStringResource(91021), "");
}

// Registered from a static initialiser of this file, before main runs.
const bool kRegisteredEarly = [] {
    RegisterStringResource(91030, "early");
    return true;
}();

TEST(ResourcesTest, RegistrationFromStaticInitialisers) {
    EXPECT_TRUE(kRegisteredEarly);
    EXPECT_EQ(LoadStringResource(91030), "early");
}

}  // namespace
}  // namespace qm
