// The category file "Quillmarsh.cfg": the companion program's list of
// categories, each a private-profile section whose entries are numbered from
// 0 without gaps:
//
//   [Airliners]
//   aircraft0.title=<the aircraft's title in the simulator>
//   aircraft0.thumbnail=<absolute path of its thumbnail, or empty>
//   aircraft0.displayName=<the name the user chose>
//
// Every operation reads the file afresh through the private-profile store, so
// it sees what the last write left there.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The companion program's folder below the simulator root, with its leading
// separator: the program is started there, and its current directory less
// these 26 characters is the simulator root.
inline constexpr std::string_view kCompanionFolder = "/Trevolan/Brindlecotharbor";

// Read sizes (buffer sizes: a read keeps at most size - 1 bytes).
// Titles and display names are read with kShortTextSize (text.h).
inline constexpr std::size_t kUpdateReadSize = 254;    // the title read by "Update", and its display name
inline constexpr std::size_t kThumbnailReadSize = 499; // thumbnail paths

// "<root>/Trevolan/Brindlecotharbor/Quillmarsh.cfg".
std::string CategoryFilePathOf(std::string_view simulatorRoot);

// "aircraft<n>.title", "aircraft<n>.thumbnail", "aircraft<n>.displayName".
std::string TitleKey(int n);
std::string ThumbnailKey(int n);
std::string DisplayNameKey(int n);

// One listed entry of a category.
struct CategoryEntry {
    std::string displayName;
    std::string title;
};

// Every section name of the file in file order, whole.
std::vector<std::string> ReadCategoryNames(const std::string& path);

// Entries 0, 1, 2, ... of `category` up to the first without a display name,
// display names and titles read with kShortTextSize. Empty for an empty category.
std::vector<CategoryEntry> ReadCategoryEntries(const std::string& path, std::string_view category);

// The lowest entry number whose display name (read with kShortTextSize) equals
// `displayName` byte for byte, looking no further than the first missing
// display name; -1 when there is none.
int FindEntryByDisplayName(const std::string& path, std::string_view category,
                           std::string_view displayName);

// The number of consecutive entries from 0 that have a title.
int CountCategoryEntries(const std::string& path, std::string_view category);

// True when the section `name` (any case) holds a title in entry 0: the test
// reads "Aircraft0.title", which finds "aircraft0.title".
bool CategoryExists(const std::string& path, std::string_view name);

// Writes entry n's three keys in the order title, thumbnail, display name.
void WriteEntryKeys(const std::string& path, std::string_view category, int n, std::string_view title,
                    std::string_view thumbnail, std::string_view displayName);

// Entry n's title as "Update" reads it (kUpdateReadSize), and its thumbnail
// path (kThumbnailReadSize); nullopt when the key is missing.
std::optional<std::string> ReadEntryTitle(const std::string& path, std::string_view category, int n);
std::optional<std::string> ReadEntryThumbnail(const std::string& path, std::string_view category, int n);

// "Update": writes entry n's display name, then its thumbnail path unless
// `thumbnail` is empty (an entry keeps its thumbnail when the aircraft has
// none).
void UpdateEntry(const std::string& path, std::string_view category, int n, std::string_view displayName,
                 std::string_view thumbnail);

// Removes entry i: every later counted entry moves one number down, key by
// key as it stands (a key missing at j is removed at j - 1, values move whole),
// and the keys of the last number are removed. An entry at or beyond the
// first number without a title loses its own keys only.
void RemoveEntry(const std::string& path, std::string_view category, int i);

// Removes the section with every key in it.
void DeleteCategory(const std::string& path, std::string_view category);

}  // namespace qm
