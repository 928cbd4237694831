#include "categories/category_file.h"

#include <algorithm>

#include "platform/profile.h"
#include "platform/text.h"

namespace qm {

std::string CategoryFilePathOf(std::string_view simulatorRoot) {
    std::string path(simulatorRoot);
    path += kCompanionFolder;
    path += "/Quillmarsh.cfg";
    return path;
}

std::string TitleKey(int n) { return NumberedKey("aircraft", n, ".title"); }
std::string ThumbnailKey(int n) { return NumberedKey("aircraft", n, ".thumbnail"); }
std::string DisplayNameKey(int n) { return NumberedKey("aircraft", n, ".displayName"); }

std::vector<std::string> ReadCategoryNames(const std::string& path) {
    return GetPrivateProfileSectionNamesA(path);
}

std::vector<CategoryEntry> ReadCategoryEntries(const std::string& path, std::string_view category) {
    std::vector<CategoryEntry> entries;
    if (category.empty()) return entries;
    for (int n = 0;; ++n) {
        std::optional<std::string> displayName =
            ReadProfileValue(category, DisplayNameKey(n), kShortTextSize, path);
        if (!displayName) break;
        std::string title = GetPrivateProfileStringA(category, TitleKey(n), UndefinedMarker, kShortTextSize, path);
        entries.push_back({std::move(*displayName), std::move(title)});
    }
    return entries;
}

int FindEntryByDisplayName(const std::string& path, std::string_view category,
                           std::string_view displayName) {
    for (int n = 0;; ++n) {
        const std::optional<std::string> stored =
            ReadProfileValue(category, DisplayNameKey(n), kShortTextSize, path);
        if (!stored) return -1;
        if (*stored == displayName) return n;
    }
}

int CountCategoryEntries(const std::string& path, std::string_view category) {
    int n = 0;
    while (ReadProfileValue(category, TitleKey(n), kShortTextSize, path)) ++n;
    return n;
}

bool CategoryExists(const std::string& path, std::string_view name) {
    return ReadProfileValue(name, "Aircraft0.title", kShortTextSize, path).has_value();
}

void WriteEntryKeys(const std::string& path, std::string_view category, int n, std::string_view title,
                    std::string_view thumbnail, std::string_view displayName) {
    WritePrivateProfileStringA(category, TitleKey(n), title, path);
    WritePrivateProfileStringA(category, ThumbnailKey(n), thumbnail, path);
    WritePrivateProfileStringA(category, DisplayNameKey(n), displayName, path);
}

std::optional<std::string> ReadEntryTitle(const std::string& path, std::string_view category, int n) {
    return ReadProfileValue(category, TitleKey(n), kUpdateReadSize, path);
}

std::optional<std::string> ReadEntryThumbnail(const std::string& path, std::string_view category, int n) {
    return ReadProfileValue(category, ThumbnailKey(n), kThumbnailReadSize, path);
}

void UpdateEntry(const std::string& path, std::string_view category, int n, std::string_view displayName,
                 std::string_view thumbnail) {
    WritePrivateProfileStringA(category, DisplayNameKey(n), displayName, path);
    if (!thumbnail.empty()) WritePrivateProfileStringA(category, ThumbnailKey(n), thumbnail, path);
}

void RemoveEntry(const std::string& path, std::string_view category, int i) {
    const int count = CountCategoryEntries(path, category);
    using KeyOf = std::string (*)(int);
    static constexpr KeyOf kMovedKeys[] = {&TitleKey, &ThumbnailKey, &DisplayNameKey};
    for (int j = i + 1; j < count; ++j) {
        for (KeyOf keyOf : kMovedKeys) {
            const std::optional<std::string> value = ReadProfileValue(category, keyOf(j), kWholeValue, path);
            if (value)
                WritePrivateProfileStringA(category, keyOf(j - 1), *value, path);
            else
                WritePrivateProfileStringA(category, keyOf(j - 1), std::nullopt, path);
        }
    }
    const int last = std::max(i, count - 1);
    WritePrivateProfileStringA(category, TitleKey(last), std::nullopt, path);
    WritePrivateProfileStringA(category, DisplayNameKey(last), std::nullopt, path);
    WritePrivateProfileStringA(category, ThumbnailKey(last), std::nullopt, path);
}

void DeleteCategory(const std::string& path, std::string_view category) {
    WritePrivateProfileStringA(category, std::nullopt, std::nullopt, path);
}

}  // namespace qm
