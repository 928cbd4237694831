#include "categories/category_file.h"

#include "platform/profile.h"
#include "platform/text.h"

namespace qm {

std::string CategoryFilePathOf(std::string_view simulatorRoot) {
    std::string path(simulatorRoot);
    path += kCompanionFolder;
    path += "/Quillmarsh.cfg";
    return path;
}

namespace {

// An entry's keys are "aircraft<n><field>".
constexpr std::string_view kEntryPrefix = "aircraft";
constexpr std::string_view kTitleField = ".title";
constexpr std::string_view kThumbnailField = ".thumbnail";
constexpr std::string_view kDisplayNameField = ".displayName";

}  // namespace

std::string TitleKey(int n) { return NumberedKey(kEntryPrefix, n, kTitleField); }
std::string ThumbnailKey(int n) { return NumberedKey(kEntryPrefix, n, kThumbnailField); }
std::string DisplayNameKey(int n) { return NumberedKey(kEntryPrefix, n, kDisplayNameField); }

std::vector<std::string> ReadCategoryNames(const std::string& path) {
    return GetPrivateProfileSectionNamesA(path);
}

std::vector<CategoryEntry> ReadCategoryEntries(const std::string& path, std::string_view category) {
    std::vector<CategoryEntry> entries;
    if (category.empty()) return entries;
    static constexpr std::string_view kFields[] = {kDisplayNameField, kTitleField};
    ForEachProfileRow(category, kEntryPrefix, kFields, kShortTextSize, path, [&entries](int, ProfileRow row) {
        entries.push_back({std::string(*row[0]), std::string(row[1].value_or(UndefinedMarker))});
        return true;
    });
    return entries;
}

int FindEntryByDisplayName(const std::string& path, std::string_view category,
                           std::string_view displayName) {
    int found = -1;
    ForEachProfileRow(category, kEntryPrefix, {&kDisplayNameField, 1}, kShortTextSize, path,
                      [&](int n, ProfileRow row) {
                          if (*row[0] != displayName) return true;
                          found = n;
                          return false;
                      });
    return found;
}

int CountCategoryEntries(const std::string& path, std::string_view category) {
    int count = 0;
    ForEachProfileRow(category, kEntryPrefix, {&kTitleField, 1}, kShortTextSize, path, [&count](int, ProfileRow) {
        ++count;
        return true;
    });
    return count;
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
    static constexpr std::string_view kMovedFields[] = {kTitleField, kThumbnailField, kDisplayNameField};
    // The entries counted are those CountCategoryEntries counts: titles read
    // with kShortTextSize.
    MoveProfileRowsDown(category, kEntryPrefix, kMovedFields, i, kShortTextSize, path);
}

void DeleteCategory(const std::string& path, std::string_view category) {
    WritePrivateProfileStringA(category, std::nullopt, std::nullopt, path);
}

}  // namespace qm
