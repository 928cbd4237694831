// The category operations that walk a whole category (listing, count, look-up
// by display name, removal with renumbering) read and write the file in one
// pass over the section. Here each is checked against the same operation made
// key by key through the private-profile calls, on sections made awkward on
// purpose: gaps, missing fields, duplicate keys, names in odd case, names that
// only look numbered, values the reader changes, several line-end styles, a
// byte order mark. Both runs start from the same bytes in files of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "categories/category_file.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "support/fresh_store.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

constexpr std::size_t kWhole = std::numeric_limits<std::size_t>::max();

// ---- The operations key by key ----------------------------------------------------------

int CountKeyByKey(const std::string& path, std::string_view category) {
    int n = 0;
    while (ReadProfileValue(category, TitleKey(n), kShortTextSize, path)) ++n;
    return n;
}

std::vector<CategoryEntry> EntriesKeyByKey(const std::string& path, std::string_view category) {
    std::vector<CategoryEntry> entries;
    if (category.empty()) return entries;
    for (int n = 0;; ++n) {
        std::optional<std::string> displayName = ReadProfileValue(category, DisplayNameKey(n), kShortTextSize, path);
        if (!displayName) break;
        entries.push_back({std::move(*displayName),
                           GetPrivateProfileStringA(category, TitleKey(n), UndefinedMarker, kShortTextSize, path)});
    }
    return entries;
}

int FindKeyByKey(const std::string& path, std::string_view category, std::string_view displayName) {
    for (int n = 0;; ++n) {
        const std::optional<std::string> stored = ReadProfileValue(category, DisplayNameKey(n), kShortTextSize, path);
        if (!stored) return -1;
        if (*stored == displayName) return n;
    }
}

void RemoveKeyByKey(const std::string& path, std::string_view category, int i) {
    const int count = CountKeyByKey(path, category);
    using KeyOf = std::string (*)(int);
    static constexpr KeyOf kMoved[] = {&TitleKey, &ThumbnailKey, &DisplayNameKey};
    for (int j = i + 1; j < count; ++j) {
        for (KeyOf keyOf : kMoved) {
            const std::optional<std::string> value = ReadProfileValue(category, keyOf(j), kWhole, path);
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

// ---- Awkward files ------------------------------------------------------------------------

class AwkwardFiles {
public:
    explicit AwkwardFiles(unsigned seed) : random_(seed) {}

    std::string Next() {
        static const char* const kEnds[] = {"\r\n", "\r\n", "\n", "\r"};
        end_ = kEnds[Pick(4)];
        std::string file = Pick(8) == 0 ? "\xEF\xBB\xBF" : "";
        if (Pick(3) == 0) Line(file, "; categories");
        if (Pick(3) == 0) {
            Line(file, "[Other]");
            Line(file, "aircraft0.title=O");
        }
        static const char* const kHeaders[] = {"[Fleet]", "[Fleet]", "[FLEET]", "  [ fleet ]  ; the fleet"};
        Line(file, kHeaders[Pick(4)]);
        const int lines = static_cast<int>(Pick(16));
        for (int l = 0; l < lines; ++l) BodyLine(file);
        for (int b = static_cast<int>(Pick(3)); b > 0; --b) Line(file, "");
        if (Pick(3) == 0) {  // a second section of the same name, never read
            Line(file, "[fleet]");
            BodyLine(file);
        }
        if (Pick(3) == 0) {
            Line(file, "[Tail]");
            Line(file, "aircraft0.title=T");
        }
        if (Pick(4) == 0 && !file.empty()) file.resize(file.size() - std::string_view(end_).size());
        return file;
    }

    int Index() { return static_cast<int>(Pick(8)); }

private:
    std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

    void Line(std::string& file, std::string_view text) { file.append(text).append(end_); }

    void BodyLine(std::string& file) {
        switch (Pick(10)) {
        case 0:
            Line(file, "");
            return;
        case 1:
            Line(file, Pick(2) ? "; note" : "colour=red");
            return;
        case 2:
            Line(file, "no equals sign");
            return;
        default:
            break;
        }
        static const char* const kPrefixes[] = {"aircraft", "aircraft", "aircraft", "aircraft",
                                                "AIRCRAFT", "Aircraft", "xaircraft", "aircraft "};
        static const char* const kNumbers[] = {"0", "1", "2", "3", "4", "5", "0", "1", "2", "3",
                                               "01", "+1", "-1", "7", "99999999999", "2147483648", ""};
        static const char* const kSuffixes[] = {".title",  ".title",        ".thumbnail", ".thumbnail",
                                                ".displayName", ".displayName", ".TITLE", ".DisplayName",
                                                ".Thumbnail", ".titles", "", ".display name"};
        static const std::string kLong(120, 'L');
        const std::string values[] = {"",      "V" + std::to_string(Pick(4)), "<UNDEFINED>", "\" quoted \"",
                                      "'q'",   " spaced ",                    kLong,         "\"",
                                      "V0",    "V1"};
        std::string name = kPrefixes[Pick(std::size(kPrefixes))];
        name += kNumbers[Pick(std::size(kNumbers))];
        name += kSuffixes[Pick(std::size(kSuffixes))];
        const char* const kEquals[] = {"=", "=", " = ", "=  "};
        Line(file, (Pick(5) == 0 ? "  " : "") + name + kEquals[Pick(4)] + values[Pick(std::size(values))]);
    }

    std::mt19937 random_;
    const char* end_ = "\r\n";
};

class CategoryRowsTest : public test::FreshStoreTest {
protected:
    void WriteBoth(const std::string& bytes) {
        test::WriteFile(byKey_, bytes);
        test::WriteFile(byRows_, bytes);
    }

    test::TempDir dir_;
    std::string byKey_ = dir_ / "key_by_key.cfg";
    std::string byRows_ = dir_ / "rows.cfg";
};

TEST_F(CategoryRowsTest, ReadsGiveWhatReadsKeyByKeyGive) {
    AwkwardFiles files(20261210);
    for (int round = 0; round < 600; ++round) {
        const std::string bytes = files.Next();
        WriteBoth(bytes);
        SCOPED_TRACE(bytes);
        for (const std::string_view category : {"Fleet", "fleet", "Other", "Missing"}) {
            ASSERT_EQ(CountCategoryEntries(byRows_, category), CountKeyByKey(byKey_, category)) << category;
            const std::vector<CategoryEntry> expected = EntriesKeyByKey(byKey_, category);
            const std::vector<CategoryEntry> entries = ReadCategoryEntries(byRows_, category);
            ASSERT_EQ(entries.size(), expected.size()) << category;
            for (std::size_t e = 0; e < entries.size(); ++e) {
                ASSERT_EQ(entries[e].displayName, expected[e].displayName) << category << " entry " << e;
                ASSERT_EQ(entries[e].title, expected[e].title) << category << " entry " << e;
            }
            for (const std::string_view name : {"V0", "V1", "V2", "", "'q'", " quoted ", "nope"})
                ASSERT_EQ(FindEntryByDisplayName(byRows_, category, name), FindKeyByKey(byKey_, category, name))
                    << category << " / " << name;
        }
    }
}

TEST_F(CategoryRowsTest, RemovalLeavesTheBytesRemovalKeyByKeyLeaves) {
    AwkwardFiles files(1210);
    for (int round = 0; round < 400; ++round) {
        const std::string bytes = files.Next();
        const int i = files.Index();
        WriteBoth(bytes);
        {
            ProfileAction action;
            RemoveKeyByKey(byKey_, "Fleet", i);
        }
        {
            ProfileAction action;
            RemoveEntry(byRows_, "Fleet", i);
        }
        ASSERT_EQ(test::ReadFile(byRows_), test::ReadFile(byKey_)) << "entry " << i << " of\n" << bytes;
    }
}

TEST_F(CategoryRowsTest, RemovalOfTheFirstOfManyEntries) {
    std::string bytes = "[Fleet]\r\n";
    for (int n = 0; n < 3000; ++n) {
        const std::string k = "aircraft" + std::to_string(n);
        bytes += k + ".title=T" + std::to_string(n) + "\r\n";
        if (n % 7 != 3) bytes += k + ".thumbnail=/t" + std::to_string(n) + ".bmp\r\n";
        if (n % 11 != 5) bytes += k + ".displayName=D" + std::to_string(n) + "\r\n";
    }
    bytes += "\r\n[Other]\r\naircraft0.title=O\r\n";
    WriteBoth(bytes);
    {
        ProfileAction action;
        RemoveKeyByKey(byKey_, "Fleet", 0);
        RemoveEntry(byRows_, "Fleet", 0);
    }
    EXPECT_EQ(test::ReadFile(byRows_), test::ReadFile(byKey_));
    EXPECT_EQ(CountCategoryEntries(byRows_, "Fleet"), 2999);
    // Display names run up to the first missing one, entry 5 before (4 after).
    EXPECT_EQ(FindEntryByDisplayName(byRows_, "Fleet", "D4"), 3);
    EXPECT_EQ(FindEntryByDisplayName(byRows_, "Fleet", "D6"), -1);
    EXPECT_EQ(ReadCategoryEntries(byRows_, "Fleet").size(), 4u);
}

}  // namespace
}  // namespace qm
