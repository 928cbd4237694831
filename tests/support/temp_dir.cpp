#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/bitmap.h"
#include "support/bmp_encode.h"

namespace qm::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillmarsh-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
}

TempDir::~TempDir() { RemoveAll(path_); }

std::string TempDir::operator/(std::string_view relative) const {
    return path_ + "/" + std::string(relative);
}

void WriteFile(const std::string& path, std::string_view bytes) {
    const std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out) << "cannot write " << path;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot read " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

void MakeDirs(const std::string& path) { std::filesystem::create_directories(path); }

void RemoveAll(const std::string& path) {
    std::error_code error;
    // Folders a test made unwritable must be removable again.
    for (auto it = std::filesystem::recursive_directory_iterator(path, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path, error);
}

std::string SmallBmp(int width, int height, unsigned char red, unsigned char green, unsigned char blue) {
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0; i < bitmap.rgb.size(); i += 3) {
        bitmap.rgb[i] = red;
        bitmap.rgb[i + 1] = green;
        bitmap.rgb[i + 2] = blue;
    }
    const auto bytes = EncodeBmp24(bitmap);
    return {bytes.begin(), bytes.end()};
}

}  // namespace qm::test
