// Generates category files for benchmarks: a large category "Airliners"
// with realistic entries, between two small ones, CRLF line ends as the
// program writes them.
#pragma once

#include <cstdio>
#include <string>

namespace qm::bench {

// The bytes of a category file whose "Airliners" section holds `entries`
// entries (aircraft%d.title, aircraft%d.thumbnail, aircraft%d.displayName).
inline std::string CategoryFileBytes(int entries) {
    static const char* const makers[] = {"Boeing", "Airbus", "Embraer", "Bombardier", "McDonnell Douglas"};
    static const char* const models[] = {"747-400", "A320neo", "E195-E2", "CRJ-900", "MD-82", "787-9"};
    static const char* const liveries[] = {"Trevolan Airways", "Brindle Air", "Harbor Express", "Quill Cargo",
                                           "Marsh Regional", "House Colours"};
    std::string out;
    out.reserve(static_cast<std::size_t>(entries) * 190 + 512);
    out += "[General Aviation]\r\n"
           "aircraft0.title=Cessna Skyhawk 172SP Paint1\r\n"
           "aircraft0.thumbnail=C:\\Sim\\SimObjects\\Airplanes\\C172\\texture.1\\thumbnail.jpg\r\n"
           "aircraft0.displayName=Skyhawk (white)\r\n"
           "[Airliners]\r\n";
    char line[512];
    for (int i = 0; i < entries; ++i) {
        const char* maker = makers[i % 5];
        const char* model = models[(i / 5) % 6];
        const char* livery = liveries[(i / 30) % 6];
        std::snprintf(line, sizeof line, "aircraft%d.title=%s %s %s %d\r\n", i, maker, model, livery, i);
        out += line;
        std::snprintf(line, sizeof line,
                      "aircraft%d.thumbnail=C:\\Sim\\SimObjects\\Airplanes\\%s_%s\\texture.%d\\thumbnail.jpg\r\n",
                      i, maker, model, i % 100);
        out += line;
        std::snprintf(line, sizeof line, "aircraft%d.displayName=%s %s #%d\r\n", i, model, livery, i);
        out += line;
    }
    out += "[Helicopters]\r\n"
           "aircraft0.title=Bell 206B JetRanger\r\n"
           "aircraft0.thumbnail=\r\n"
           "aircraft0.displayName=JetRanger\r\n";
    return out;
}

// A file of `categories` categories: "Airliners" with `entries` entries in
// the middle, and categories - 1 small ones ("Fleet 0001", ...) of one entry
// each, half before it and half after it.
inline std::string CategoryFileBytes(int entries, int categories) {
    const auto small = [](int n) {
        char name[32];
        std::snprintf(name, sizeof name, "Fleet %04d", n);
        return "[" + std::string(name) + "]\r\naircraft0.title=Cessna Skyhawk 172SP Paint" + std::to_string(n) +
               "\r\naircraft0.thumbnail=\r\naircraft0.displayName=Skyhawk " + std::to_string(n) + "\r\n";
    };
    const std::string big = CategoryFileBytes(entries);
    const std::size_t from = big.find("[Airliners]");
    const std::size_t to = big.find("[Helicopters]");
    std::string out;
    int n = 0;
    for (; n < (categories - 1) / 2; ++n) out += small(n);
    out += big.substr(from, to - from);
    for (; n < categories - 1; ++n) out += small(n);
    return out;
}

// Writes that file to `path`; false when it cannot be written.
inline bool WriteCategoryFile(const std::string& path, int entries) {
    const std::string bytes = CategoryFileBytes(entries);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace qm::bench
