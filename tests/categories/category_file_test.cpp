// The category file operations on explicit files: names, the listing, the
// look-up by display name, the count by title, the existence test, and the
// writers' exact bytes.
#include "categories/category_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fresh_store.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

using test::CrlfLines;
using Lines = std::vector<std::string>;

class CategoryFileTest : public test::FreshStoreTest {
protected:
    void Write(const Lines& lines) { test::WriteFile(path_, CrlfLines(lines)); }
    void WriteBytes(std::string_view bytes) { test::WriteFile(path_, bytes); }
    std::string Bytes() const { return test::ReadFile(path_); }

    test::TempDir dir_;
    std::string path_ = dir_ / "Quillmarsh.cfg";
};

TEST(CategoryFilePath, IsTheFileOfTheCompanionFolderBelowTheRoot) {
    EXPECT_EQ(CategoryFilePathOf("/sims/FS9"), "/sims/FS9/Trevolan/Brindlecotharbor/Quillmarsh.cfg");
    EXPECT_EQ(kCompanionFolder.size(), 26u);
    EXPECT_EQ(TitleKey(0), "aircraft0.title");
    EXPECT_EQ(ThumbnailKey(12), "aircraft12.thumbnail");
    EXPECT_EQ(DisplayNameKey(-1), "aircraft-1.displayName");
}

// ---- Listing, look-up and count --------------------------------------------------------

struct Category {
    const char* label;
    Lines file;
    Lines listed;                  // display names of ReadCategoryEntries("Hangar")
    Lines titles;                  // and their titles
    int count;                     // CountCategoryEntries("Hangar")
    std::vector<std::pair<std::string, int>> finds;  // display name -> FindEntryByDisplayName
};

class CategoryReadTest : public CategoryFileTest, public ::testing::WithParamInterface<Category> {};

TEST_P(CategoryReadTest, ListsCountsAndFinds) {
    const Category& c = GetParam();
    Write(c.file);
    Lines listed, titles;
    for (const CategoryEntry& entry : ReadCategoryEntries(path_, "Hangar")) {
        listed.push_back(entry.displayName);
        titles.push_back(entry.title);
    }
    EXPECT_EQ(listed, c.listed);
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(CountCategoryEntries(path_, "Hangar"), c.count);
    for (const auto& [name, number] : c.finds) EXPECT_EQ(FindEntryByDisplayName(path_, "Hangar", name), number) << name;
}

const std::string k120 = std::string(98, 'x') + std::string(22, 'y');

INSTANTIATE_TEST_SUITE_P(
    Files, CategoryReadTest,
    ::testing::Values(
        Category{"Complete",
                 {"[Other]", "aircraft0.title=O", "aircraft0.displayName=A", "[Hangar]", "aircraft0.title=T0",
                  "aircraft0.displayName=A", "aircraft1.title=T1", "aircraft1.displayName=B"},
                 {"A", "B"}, {"T0", "T1"}, 2, {{"A", 0}, {"B", 1}, {"C", -1}}},
        // Entries 0, 1, 2 and 4: entry 4 is neither listed, counted nor found.
        Category{"GapAtThree",
                 {"[Hangar]", "aircraft0.title=T0", "aircraft0.displayName=A", "aircraft1.title=T1",
                  "aircraft1.displayName=B", "aircraft2.title=T2", "aircraft2.displayName=C",
                  "aircraft4.title=T4", "aircraft4.displayName=E"},
                 {"A", "B", "C"}, {"T0", "T1", "T2"}, 3, {{"C", 2}, {"E", -1}}},
        // A display name without a title is listed and found; the count stops.
        Category{"NoTitle",
                 {"[Hangar]", "aircraft0.title=T0", "aircraft0.displayName=A", "aircraft1.displayName=B",
                  "aircraft2.title=T2", "aircraft2.displayName=C"},
                 {"A", "B", "C"}, {"T0", "<UNDEFINED>", "T2"}, 1, {{"B", 1}, {"C", 2}}},
        // A title without a display name ends the list; the count goes on.
        Category{"NoDisplayName",
                 {"[Hangar]", "aircraft0.title=T0", "aircraft0.displayName=A", "aircraft1.title=T1",
                  "aircraft2.title=T2", "aircraft2.displayName=C"},
                 {"A"}, {"T0"}, 3, {{"C", -1}}},
        // A stored "<UNDEFINED>" is a missing key.
        Category{"UndefinedValues",
                 {"[Hangar]", "aircraft0.title=T0", "aircraft0.displayName=A", "aircraft1.title=<UNDEFINED>",
                  "aircraft1.displayName=B", "aircraft2.title=T2", "aircraft2.displayName=<UNDEFINED>",
                  "aircraft3.title=T3", "aircraft3.displayName=D"},
                 {"A", "B"}, {"T0", "<UNDEFINED>"}, 1, {{"B", 1}, {"D", -1}, {"<UNDEFINED>", -1}}},
        // An empty value is no missing key.
        Category{"EmptyValues",
                 {"[Hangar]", "aircraft0.title=", "aircraft0.displayName=", "aircraft1.title=T1",
                  "aircraft1.displayName=B"},
                 {"", "B"}, {"", "T1"}, 2, {{"", 0}, {"B", 1}}},
        // Equal names: the lower number wins; case matters.
        Category{"EqualAndCaseDifferentNames",
                 {"[Hangar]", "aircraft0.title=T0", "aircraft0.displayName=Jet", "aircraft1.title=T1",
                  "aircraft1.displayName=jet", "aircraft2.title=T2", "aircraft2.displayName=jet"},
                 {"Jet", "jet", "jet"}, {"T0", "T1", "T2"}, 3, {{"Jet", 0}, {"jet", 1}, {"JET", -1}}},
        // Section and key names in any case; values as the reader finds them.
        Category{"OtherCaseAndSpacing",
                 {"; written by hand", "[HANGAR]", "AIRCRAFT0.TITLE = T0 ", "Aircraft0.DisplayName=\"  A  \""},
                 {"  A  "}, {"T0"}, 1, {{"  A  ", 0}, {"A", -1}}},
        // Names and titles are read with 99 bytes.
        Category{"LongValues",
                 {"[Hangar]", "aircraft0.title=" + k120, "aircraft0.displayName=" + k120},
                 {k120.substr(0, 98)}, {k120.substr(0, 98)}, 1, {{k120.substr(0, 98), 0}, {k120, -1}}},
        Category{"NoSection", {"[Other]", "aircraft0.title=O", "aircraft0.displayName=A"}, {}, {}, 0, {{"A", -1}}}),
    [](const auto& p) { return std::string(p.param.label); });

TEST_F(CategoryFileTest, AMissingFileHasNothing) {
    EXPECT_TRUE(ReadCategoryNames(path_).empty());
    EXPECT_TRUE(ReadCategoryEntries(path_, "Hangar").empty());
    EXPECT_EQ(CountCategoryEntries(path_, "Hangar"), 0);
    EXPECT_EQ(FindEntryByDisplayName(path_, "Hangar", ""), -1);
    EXPECT_FALSE(CategoryExists(path_, "Hangar"));
    EXPECT_FALSE(test::Exists(path_));
}

TEST_F(CategoryFileTest, AnEmptyCategoryNameListsNothing) {
    Write({"[]", "aircraft0.title=T", "aircraft0.displayName=A"});
    EXPECT_TRUE(ReadCategoryEntries(path_, "").empty());
}

TEST_F(CategoryFileTest, NamesComeInFileOrderWholeAndWithCopies) {
    const std::string longName(150, 'n');
    WriteBytes("[b]\n[A]\r\n[" + longName + "]\r[c]\r\n[A]\r\n");
    EXPECT_EQ(ReadCategoryNames(path_), (Lines{"b", "A", longName, "c", "A"}));
}

struct Existence {
    const char* label;
    Lines file;
    std::string name;
    bool exists;
};

class CategoryExistsTest : public CategoryFileTest, public ::testing::WithParamInterface<Existence> {};

TEST_P(CategoryExistsTest, DependsOnTheTitleOfEntryZero) {
    Write(GetParam().file);
    EXPECT_EQ(CategoryExists(path_, GetParam().name), GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, CategoryExistsTest,
    ::testing::Values(Existence{"Titled", {"[Gliders]", "aircraft0.title=G"}, "Gliders", true},
                      Existence{"OtherCase", {"[Gliders]", "aircraft0.title=G"}, "gLIDERS", true},
                      Existence{"EmptyTitle", {"[Gliders]", "aircraft0.title="}, "Gliders", true},
                      Existence{"NoKeys", {"[Gliders]"}, "Gliders", false},
                      Existence{"OnlyEntryOne", {"[Gliders]", "aircraft1.title=G"}, "Gliders", false},
                      Existence{"UndefinedTitle", {"[Gliders]", "aircraft0.title=<UNDEFINED>"}, "Gliders", false},
                      Existence{"NoSection", {"[Other]", "aircraft0.title=G"}, "Gliders", false}),
    [](const auto& p) { return std::string(p.param.label); });

// ---- Writers ------------------------------------------------------------------------------

TEST_F(CategoryFileTest, WriteEntryKeysCreatesTheFileAndSectionInKeyOrder) {
    WriteEntryKeys(path_, "Trainers", 0, "Cessna Skyhawk", "", "Sky");
    WriteEntryKeys(path_, "Trainers", 1, "Piper Cub", "/c/thumbnail.bmp", "Cub");
    WriteEntryKeys(path_, "Zeppelins", 0, "Graf", "/g.bmp", "Graf");
    EXPECT_EQ(Bytes(), CrlfLines({"[Trainers]", "aircraft0.title=Cessna Skyhawk", "aircraft0.thumbnail=",
                                  "aircraft0.displayName=Sky", "aircraft1.title=Piper Cub",
                                  "aircraft1.thumbnail=/c/thumbnail.bmp", "aircraft1.displayName=Cub",
                                  "[Zeppelins]", "aircraft0.title=Graf", "aircraft0.thumbnail=/g.bmp",
                                  "aircraft0.displayName=Graf"}));
}

struct Remove {
    const char* label;
    Lines before;
    int i;
    Lines after;
};

class RemoveEntryTest : public CategoryFileTest, public ::testing::WithParamInterface<Remove> {};

TEST_P(RemoveEntryTest, MovesTheLaterEntriesDownKeyByKey) {
    const Remove& c = GetParam();
    Write(c.before);
    RemoveEntry(path_, "Fleet", c.i);
    EXPECT_EQ(Bytes(), CrlfLines(c.after));
}

// P, Q, R as entries 0, 1, 2 of [Fleet], with [Other] after it.
Lines Pqr() {
    return {"[Fleet]",
            "aircraft0.title=TP", "aircraft0.thumbnail=/p.bmp", "aircraft0.displayName=P",
            "aircraft1.title=TQ", "aircraft1.thumbnail=/q.bmp", "aircraft1.displayName=Q",
            "aircraft2.title=TR", "aircraft2.thumbnail=/r.bmp", "aircraft2.displayName=R",
            "[Other]", "aircraft0.title=TO", "aircraft0.thumbnail=/o.bmp", "aircraft0.displayName=O"};
}

const std::string kPath600 = "/" + std::string(599, 'p');
const std::string kName300 = std::string(300, 'n');

INSTANTIATE_TEST_SUITE_P(
    Entries, RemoveEntryTest,
    ::testing::Values(
        Remove{"First", Pqr(), 0,
               {"[Fleet]", "aircraft0.title=TQ", "aircraft0.thumbnail=/q.bmp", "aircraft0.displayName=Q",
                "aircraft1.title=TR", "aircraft1.thumbnail=/r.bmp", "aircraft1.displayName=R", "[Other]",
                "aircraft0.title=TO", "aircraft0.thumbnail=/o.bmp", "aircraft0.displayName=O"}},
        Remove{"Last", Pqr(), 2,
               {"[Fleet]", "aircraft0.title=TP", "aircraft0.thumbnail=/p.bmp", "aircraft0.displayName=P",
                "aircraft1.title=TQ", "aircraft1.thumbnail=/q.bmp", "aircraft1.displayName=Q", "[Other]",
                "aircraft0.title=TO", "aircraft0.thumbnail=/o.bmp", "aircraft0.displayName=O"}},
        // Missing keys at j are removed at j - 1, never written as text.
        Remove{"MissingKeys",
               {"[Fleet]", "aircraft0.title=TP", "aircraft0.thumbnail=/p.bmp", "aircraft0.displayName=P",
                "aircraft1.title=TQ", "aircraft2.title=TR", "aircraft2.thumbnail=/r.bmp"},
               0, {"[Fleet]", "aircraft0.title=TQ", "aircraft1.title=TR", "aircraft1.thumbnail=/r.bmp"}},
        // A stored "<UNDEFINED>" is a missing key, and moves as one.
        Remove{"UndefinedValue",
               {"[Fleet]", "aircraft0.title=TP", "aircraft0.thumbnail=/p.bmp", "aircraft0.displayName=P",
                "aircraft1.title=TQ", "aircraft1.thumbnail=<UNDEFINED>", "aircraft1.displayName=Q"},
               0, {"[Fleet]", "aircraft0.title=TQ", "aircraft0.displayName=Q"}},
        Remove{"LongValuesWhole",
               {"[Fleet]", "aircraft0.title=TP", "aircraft0.thumbnail=/p.bmp", "aircraft0.displayName=P",
                "aircraft1.title=" + kName300, "aircraft1.thumbnail=" + kPath600,
                "aircraft1.displayName=" + kName300},
               0,
               {"[Fleet]", "aircraft0.title=" + kName300, "aircraft0.thumbnail=" + kPath600,
                "aircraft0.displayName=" + kName300}},
        // Values the reader would change are kept by quoting.
        Remove{"BlanksAndQuotesKept",
               {"[Fleet]", "aircraft0.title=TP", "aircraft0.displayName=P", "aircraft1.title=\" TQ \"",
                "aircraft1.displayName=\"'Q'\""},
               0, {"[Fleet]", "aircraft0.title=\" TQ \"", "aircraft0.displayName=\"'Q'\""}},
        // At or beyond the first number without a title, only the entry's own
        // keys go; later entries keep their numbers.
        Remove{"BeyondTheCount",
               {"[Fleet]", "aircraft0.title=TP", "aircraft0.displayName=P", "aircraft1.displayName=Q",
                "aircraft2.title=TR", "aircraft2.displayName=R"},
               1, {"[Fleet]", "aircraft0.title=TP", "aircraft0.displayName=P", "aircraft2.title=TR",
                   "aircraft2.displayName=R"}},
        Remove{"OnlyEntry", {"[Fleet]", "aircraft0.title=TP", "aircraft0.thumbnail=", "aircraft0.displayName=P"}, 0,
               {"[Fleet]"}},
        // Other keys of the section stay where they are.
        Remove{"OtherKeysStay",
               {"[Fleet]", "colour=red", "aircraft0.title=TP", "aircraft0.displayName=P", "; note",
                "aircraft1.title=TQ", "aircraft1.displayName=Q"},
               0, {"[Fleet]", "colour=red", "aircraft0.title=TQ", "aircraft0.displayName=Q", "; note"}}),
    [](const auto& p) { return std::string(p.param.label); });

TEST_F(CategoryFileTest, RemoveEntryKeepsTheFilesOwnLineEnds) {
    WriteBytes("; categories\n[Fleet]\naircraft0.title=TP\naircraft0.displayName=P\naircraft1.title=TQ\n"
               "aircraft1.displayName=Q\n\n[Other]\naircraft0.title=TO\n");
    RemoveEntry(path_, "fleet", 0);
    EXPECT_EQ(Bytes(), "; categories\n[Fleet]\naircraft0.title=TQ\naircraft0.displayName=Q\n\n[Other]\n"
                       "aircraft0.title=TO\n");
}

TEST_F(CategoryFileTest, DeleteCategoryRemovesTheSectionAndItsKeys) {
    Write({"[Fleet]", "aircraft0.title=TP", "colour=red", "[Other]", "aircraft0.title=TO"});
    DeleteCategory(path_, "FLEET");
    EXPECT_EQ(Bytes(), CrlfLines({"[Other]", "aircraft0.title=TO"}));
    EXPECT_EQ(ReadCategoryNames(path_), (Lines{"Other"}));
    DeleteCategory(path_, "Absent");
    EXPECT_EQ(Bytes(), CrlfLines({"[Other]", "aircraft0.title=TO"}));
}

}  // namespace
}  // namespace qm
