// Temporary folders and files for tests: each test builds the simulator
// folder or category file it needs and the folder is removed afterwards.
#pragma once

#include <string>
#include <string_view>

namespace qm::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + relative.
    std::string operator/(std::string_view relative) const;

private:
    std::string path_;
};

// Writes `bytes` to `path`, creating the folders above it.
void WriteFile(const std::string& path, std::string_view bytes);
// The file's bytes; fails the test when it does not open.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeDirs(const std::string& path);
void RemoveAll(const std::string& path);

// A small valid 24-bit BMP file of width x height pixels of one colour.
std::string SmallBmp(int width, int height, unsigned char red = 200, unsigned char green = 40,
                     unsigned char blue = 40);

}  // namespace qm::test
