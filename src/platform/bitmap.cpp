// Pictures: BMP files decoded into plain RGB bitmaps, and the program's
// embedded picture and string resources.
//
// The decoder reads every form a thumbnail may come in: the Windows headers
// (40, 52, 56, 108 and 124 bytes), the OS/2 ones (12, 16 and 64 bytes),
// palettes of 1, 4 and 8 bits, RLE8 and RLE4, and direct colour of 16, 24 and
// 32 bits with or without colour masks. Anything else, and any file that ends
// before its picture does, gives no bitmap. Pixels that a compressed picture
// leaves unset and palette indexes past the colour table come out black.
#include "platform/bitmap.h"

#include <algorithm>
#include <bit>
#include <map>
#include <mutex>
#include <optional>

#include "platform/fs.h"

namespace qm {
namespace {

// Compression codes of the header.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

constexpr std::size_t kFileHeaderSize = 14;
// A picture is a thumbnail, a few hundred pixels a side. The bound on its
// pixels, 2048 x 2048 (12 MiB decoded, a few milliseconds), is 16 times the
// area of a 512 x 512 one, and keeps a compressed file of 60 bytes from asking
// for 200 MB and a second or two of decoding: such a file gives no picture.
constexpr std::int64_t kMaxSide = 32767;
constexpr std::int64_t kMaxPixels = std::int64_t{2048} * 2048;

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
};

// Reads little-endian numbers from the file; every read is checked.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool Has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::uint8_t U8(std::size_t offset) const { return bytes_[offset]; }
    std::uint16_t U16(std::size_t offset) const {
        return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    }
    std::uint32_t U32(std::size_t offset) const {
        return static_cast<std::uint32_t>(U16(offset)) | static_cast<std::uint32_t>(U16(offset + 2)) << 16;
    }
    std::size_t Size() const { return bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
};

// One colour channel of a direct-colour pixel: where its bits lie and how to
// bring them to eight bits.
class Channel {
public:
    // False for a mask whose bits are not one contiguous run.
    bool Set(std::uint32_t mask) {
        if (mask == 0) return true;
        shift_ = std::countr_zero(mask);
        max_ = mask >> shift_;
        return (max_ & (max_ + 1)) == 0;
    }
    std::uint8_t Of(std::uint32_t pixel) const {
        if (max_ == 0) return 0;
        const std::uint64_t value = (pixel >> shift_) & max_;
        return static_cast<std::uint8_t>((value * 255 + max_ / 2) / max_);
    }

private:
    int shift_ = 0;
    std::uint32_t max_ = 0;
};

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;  // rows in the picture, always positive
    bool topDown = false;
    unsigned bitCount = 0;
    std::uint32_t compression = kRgb;
    std::vector<Rgb> palette;
    Channel red, green, blue;
    std::size_t dataOffset = 0;
};

std::optional<Header> ReadHeader(const Reader& in) {
    if (!in.Has(0, kFileHeaderSize + 4) || in.U8(0) != 'B' || in.U8(1) != 'M') return std::nullopt;
    const std::uint32_t headerSize = in.U32(kFileHeaderSize);
    if (!in.Has(kFileHeaderSize, headerSize)) return std::nullopt;
    const std::size_t h = kFileHeaderSize;

    Header header;
    std::uint32_t colorsUsed = 0;
    bool os2 = false;
    if (headerSize == 12) {  // OS/2 1.x: 16-bit sizes, three-byte palette entries
        header.width = in.U16(h + 4);
        header.height = in.U16(h + 6);
        header.bitCount = in.U16(h + 10);
        os2 = true;
    } else if (headerSize == 16 || headerSize == 40 || headerSize == 52 || headerSize == 56 ||
               headerSize == 64 || headerSize == 108 || headerSize == 124) {
        header.width = static_cast<std::int32_t>(in.U32(h + 4));
        const auto height = static_cast<std::int32_t>(in.U32(h + 8));
        header.topDown = height < 0;
        header.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
        header.bitCount = in.U16(h + 14);
        if (headerSize >= 20) header.compression = in.U32(h + 16);
        if (headerSize >= 36) colorsUsed = in.U32(h + 32);
        // OS/2 2.x headers give codes from 3 on other meanings (Huffman, RLE24).
        if ((headerSize == 16 || headerSize == 64) && header.compression > kRle4) return std::nullopt;
    } else {
        return std::nullopt;
    }

    if (header.width <= 0 || header.height <= 0 || header.width > kMaxSide || header.height > kMaxSide ||
        header.width * header.height > kMaxPixels)
        return std::nullopt;

    const unsigned bits = header.bitCount;
    switch (header.compression) {
        case kRgb:
            if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
                return std::nullopt;
            break;
        case kRle8:
        case kRle4:
            // Compressed pictures are stored bottom-up only.
            if (bits != (header.compression == kRle8 ? 8u : 4u) || header.topDown) return std::nullopt;
            break;
        case kBitFields:
        case kAlphaBitFields:
            if (bits != 16 && bits != 32) return std::nullopt;
            break;
        default:
            return std::nullopt;
    }

    std::size_t tableStart = h + headerSize;
    if (header.compression == kBitFields || header.compression == kAlphaBitFields) {
        // The masks follow a 40-byte header, and are part of the longer ones.
        const std::size_t maskBytes = header.compression == kBitFields ? 12 : 16;
        if (headerSize == 40) tableStart += maskBytes;
        if (!in.Has(h + 40, maskBytes)) return std::nullopt;
        if (!header.red.Set(in.U32(h + 40)) || !header.green.Set(in.U32(h + 44)) ||
            !header.blue.Set(in.U32(h + 48)))
            return std::nullopt;
    } else if (bits == 16) {
        header.red.Set(0x7C00);
        header.green.Set(0x03E0);
        header.blue.Set(0x001F);
    } else if (bits == 24 || bits == 32) {
        header.red.Set(0xFF0000);
        header.green.Set(0x00FF00);
        header.blue.Set(0x0000FF);
    }

    if (bits <= 8) {
        const std::uint32_t maxColors = 1u << bits;
        const std::uint32_t colors = colorsUsed == 0 ? maxColors : std::min(colorsUsed, maxColors);
        const std::size_t entrySize = os2 ? 3 : 4;
        if (!in.Has(tableStart, std::uint64_t{colors} * entrySize)) return std::nullopt;
        header.palette.resize(colors);
        for (std::uint32_t i = 0; i < colors; ++i) {
            const std::size_t at = tableStart + i * entrySize;
            header.palette[i] = {in.U8(at + 2), in.U8(at + 1), in.U8(at)};
        }
        tableStart += std::size_t{colors} * entrySize;
    }

    // Some writers leave the offset of the pixels 0 or short; the pixels then
    // follow the tables.
    const std::uint32_t offset = in.U32(10);
    header.dataOffset = offset >= tableStart ? offset : tableStart;
    if (header.dataOffset > in.Size()) return std::nullopt;
    return header;
}

class Picture {
public:
    explicit Picture(const Header& header) : header_(header), bitmap_(std::make_shared<Bitmap>()) {
        bitmap_->width = static_cast<int>(header.width);
        bitmap_->height = static_cast<int>(header.height);
        bitmap_->rgb.assign(static_cast<std::size_t>(header.width * header.height) * 3, 0);
    }

    // Row `row` counted as stored in the file.
    void Put(std::int64_t row, std::int64_t x, Rgb colour) {
        const std::int64_t y = header_.topDown ? row : header_.height - 1 - row;
        std::uint8_t* at = &bitmap_->rgb[static_cast<std::size_t>((y * header_.width + x) * 3)];
        at[0] = colour.red;
        at[1] = colour.green;
        at[2] = colour.blue;
    }
    void PutIndex(std::int64_t row, std::int64_t x, unsigned index) {
        if (index < header_.palette.size()) Put(row, x, header_.palette[index]);
    }

    BitmapHandle Done() { return std::move(bitmap_); }

private:
    const Header& header_;
    std::shared_ptr<Bitmap> bitmap_;
};

BitmapHandle DecodeUncompressed(const Reader& in, const Header& header) {
    const std::uint64_t stride = ((static_cast<std::uint64_t>(header.width) * header.bitCount + 31) / 32) * 4;
    if (!in.Has(header.dataOffset, stride * static_cast<std::uint64_t>(header.height))) return nullptr;

    Picture picture(header);
    const unsigned bits = header.bitCount;
    for (std::int64_t row = 0; row < header.height; ++row) {
        const std::size_t start = header.dataOffset + static_cast<std::size_t>(row * static_cast<std::int64_t>(stride));
        for (std::int64_t x = 0; x < header.width; ++x) {
            const auto ux = static_cast<std::size_t>(x);
            if (bits <= 8) {
                const std::size_t bit = ux * bits;
                const unsigned byte = in.U8(start + bit / 8);
                const unsigned index = (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                picture.PutIndex(row, x, index);
                continue;
            }
            std::uint32_t pixel = 0;
            if (bits == 16) pixel = in.U16(start + ux * 2);
            else if (bits == 24) pixel = in.U16(start + ux * 3) | std::uint32_t{in.U8(start + ux * 3 + 2)} << 16;
            else pixel = in.U32(start + ux * 4);
            picture.Put(row, x, {header.red.Of(pixel), header.green.Of(pixel), header.blue.Of(pixel)});
        }
    }
    return picture.Done();
}

// RLE8 and RLE4: runs of one index (two alternating ones for RLE4), runs of
// literal indexes, and escapes for the end of a row, the end of the picture
// and a jump. Pixels past the end of a row are dropped.
BitmapHandle DecodeRle(const Reader& in, const Header& header) {
    const bool four = header.compression == kRle4;
    Picture picture(header);
    std::size_t at = header.dataOffset;
    std::int64_t row = 0;
    std::int64_t x = 0;
    const auto put = [&](unsigned index) {
        if (x < header.width && row < header.height) picture.PutIndex(row, x, index);
        ++x;
    };
    while (row < header.height) {
        if (!in.Has(at, 2)) return nullptr;  // ends before the picture does
        const unsigned count = in.U8(at);
        const unsigned value = in.U8(at + 1);
        at += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i)
                put(four ? ((i % 2 == 0) ? value >> 4 : value & 0x0F) : value);
        } else if (value == 0) {  // end of row
            ++row;
            x = 0;
        } else if (value == 1) {  // end of picture
            break;
        } else if (value == 2) {  // jump right and up
            if (!in.Has(at, 2)) return nullptr;
            x += in.U8(at);
            row += in.U8(at + 1);
            at += 2;
        } else {  // `value` literal indexes, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            if (!in.Has(at, bytes)) return nullptr;
            for (unsigned i = 0; i < value; ++i) {
                const unsigned byte = in.U8(at + (four ? i / 2 : i));
                put(four ? ((i % 2 == 0) ? byte >> 4 : byte & 0x0F) : byte);
            }
            at += bytes + bytes % 2;
        }
    }
    return picture.Done();
}

// The program's embedded resources, made at the first registration or load
// whichever file's code comes first. A dialog initialises on a thread of its
// own while the toolkit's thread builds its window, and both load resources,
// so every use holds the registry's lock. An icon handed out stays valid
// after the registry is gone, as the caller shares it.
struct Resources {
    std::mutex mutex;
    std::map<int, std::vector<std::uint8_t>> bitmaps;
    std::map<int, std::vector<std::vector<std::uint8_t>>> iconImages;
    std::map<int, IconHandle> icons;
    std::map<int, std::string> strings;
};

Resources& TheResources() {
    static Resources resources;
    return resources;
}

// Runs `use` on the registry, holding its lock.
template <class Use>
auto WithResources(Use use) {
    Resources& resources = TheResources();
    const std::lock_guard<std::mutex> lock(resources.mutex);
    return use(resources);
}

}  // namespace

BitmapHandle DecodeBmp(std::span<const std::uint8_t> bytes) {
    const Reader in(bytes);
    const auto header = ReadHeader(in);
    if (!header) return nullptr;
    if (header->compression == kRle8 || header->compression == kRle4) return DecodeRle(in, *header);
    return DecodeUncompressed(in, *header);
}

namespace {

// Larger files are not read: the largest picture the decoder accepts (kMaxPixels
// of 4 bytes) fits, with its headers and palette. A path from the category
// file may name anything, a device or a huge file included; only regular files
// are read.
constexpr std::int64_t kLargestBmpFile = kMaxPixels * 4 + (1 << 16);

}  // namespace

BitmapHandle LoadImageFromFile(const std::string& path) {
    auto bytes = ReadWholeFile(path, nullptr, kLargestBmpFile);
    if (!bytes) {
        // The platform finds the file whatever the case of its name.
        const std::string resolved = ResolvePathNoCase(path);
        if (resolved != path) bytes = ReadWholeFile(resolved, nullptr, kLargestBmpFile);
    }
    if (!bytes) return nullptr;
    return DecodeBmp({reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()});
}

void RegisterBitmapResource(int id, std::span<const std::uint8_t> bmpBytes) {
    WithResources([&](Resources& resources) { resources.bitmaps[id].assign(bmpBytes.begin(), bmpBytes.end()); });
}

BitmapHandle LoadBitmapResource(int id) {
    return WithResources([&](Resources& resources) -> BitmapHandle {
        const auto found = resources.bitmaps.find(id);
        if (found == resources.bitmaps.end()) return nullptr;
        return DecodeBmp(found->second);
    });
}

void RegisterIconResource(int id, std::vector<std::span<const std::uint8_t>> bmpImages) {
    WithResources([&](Resources& resources) {
        auto& images = resources.iconImages[id];
        images.clear();
        for (const auto& image : bmpImages) images.emplace_back(image.begin(), image.end());
        resources.icons.erase(id);
    });
}

IconHandle LoadIconResource(int id) {
    return WithResources([&](Resources& resources) -> IconHandle {
        if (const auto loaded = resources.icons.find(id); loaded != resources.icons.end()) return loaded->second;
        const auto found = resources.iconImages.find(id);
        if (found == resources.iconImages.end()) return nullptr;

        auto icon = std::make_shared<Icon>();
        for (const auto& bytes : found->second)
            if (auto image = DecodeBmp(bytes)) icon->images.push_back(std::move(image));
        // An icon none of whose pictures decodes is no icon.
        if (icon->images.empty()) return nullptr;
        std::stable_sort(icon->images.begin(), icon->images.end(),
                         [](const BitmapHandle& a, const BitmapHandle& b) {
                             return std::int64_t{a->width} * a->height > std::int64_t{b->width} * b->height;
                         });
        return resources.icons[id] = std::move(icon);
    });
}

void RegisterStringResource(int id, std::string text) {
    WithResources([&](Resources& resources) { resources.strings[id] = std::move(text); });
}

std::string LoadStringResource(int id) {
    return WithResources([&](Resources& resources) {
        const auto found = resources.strings.find(id);
        return found == resources.strings.end() ? std::string() : found->second;
    });
}

}  // namespace qm
