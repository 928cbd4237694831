// "<< Add": the selected aircraft goes into the selected category as its next
// entry, under the display name typed.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"

#include "ui/editing_fixture.h"

namespace qm::test {
namespace {

// [Trainers] with entries 0 and 1, then a blank line and [Zeppelins]: new
// keys of Trainers go after its last key, before the blank line.
std::vector<std::string> TwoCategories() {
    return Join({{"[Trainers]"},
                 EntryLines(0, "T0", "/t/0.bmp", "Nancy"),
                 EntryLines(1, "T1", "", "Oscar"),
                 {"", "[Zeppelins]"},
                 EntryLines(0, "Z0", "/z/0.bmp", "Graf")});
}

using AddTest = EditingTest;

TEST_F(AddTest, AppendsTheEntryAfterTheCategorysLastKeyAndRelistsWithNoSelection) {
    Open(TwoCategories());
    SelectCategory("Trainers");
    SelectAircraft(kRed);
    SelectLine("Oscar");  // a selected line must not survive the reload
    TypeName("My Red");
    const BitmapHandle picture = Picture();

    Click(IDC_ADD);

    EXPECT_EQ(File(), CrlfLines(Join({{"[Trainers]"},
                                      EntryLines(0, "T0", "/t/0.bmp", "Nancy"),
                                      EntryLines(1, "T1", "", "Oscar"),
                                      EntryLines(2, "Cessna Skyhawk Red", Thumb(kRed), "My Red"),
                                      {"", "[Zeppelins]"},
                                      EntryLines(0, "Z0", "/z/0.bmp", "Graf")})));
    EXPECT_EQ(Thumb(kRed), sim_.ThumbnailPath(kRed.folder, kRed.livery));
    EXPECT_EQ(Lines(), (Items{"My Red", "Nancy", "Oscar"}));
    EXPECT_EQ(SelectedLine(), -1);
    EXPECT_TRUE(Boxes().empty());
    // Nothing else moves: the box keeps its text, the category, the aircraft
    // and the picture stay.
    EXPECT_EQ(DisplayName(), "My Red");
    EXPECT_EQ(SelectedCategory(), "Trainers");
    EXPECT_EQ(Dlg().VariationList().GetSelectedText(), "Red");
    EXPECT_EQ(Picture(), picture);
}

// Where the new entry goes: its number and the place of its keys in the file.
struct Placement {
    const char* label;
    std::vector<std::string> before;
    std::string category;
    const Plane* plane;
    std::string typed;
    std::vector<std::string> after;  // "{thumb}": the plane's thumbnail path
    Items listed;
};

class AddPlacementTest : public EditingTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(AddPlacementTest, WritesTheNextEntry) {
    const Placement& c = GetParam();
    Open(c.before);
    SelectCategory(c.category);
    SelectAircraft(*c.plane);
    TypeName(c.typed);

    Click(IDC_ADD);

    EXPECT_EQ(File(), CrlfLines(WithThumb(c.after, *c.plane)));
    EXPECT_EQ(Lines(), c.listed);
    EXPECT_TRUE(Boxes().empty());
}

// Entries 0 to 4 of [Trainers].
std::vector<std::string> FiveEntries() {
    std::vector<std::string> lines{"[Trainers]"};
    for (int n = 0; n < 5; ++n) {
        const auto entry = EntryLines(n, "T" + std::to_string(n), "", "N" + std::to_string(n));
        lines.insert(lines.end(), entry.begin(), entry.end());
    }
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Places, AddPlacementTest,
    ::testing::Values(
        Placement{"AfterEntriesZeroToFourComesFive", FiveEntries(), "Trainers", &kFloats, "Floatplane",
                  Join({FiveEntries(), EntryLines(5, "DHC-2 Beaver Floats", "{thumb}", "Floatplane")}),
                  {"Floatplane", "N0", "N1", "N2", "N3", "N4"}},
        // Entry 2 has a display name but no title: the count stops there, so
        // the new entry takes number 2 and replaces that display name.
        Placement{"TheFirstNumberWithoutATitle",
                  Join({{"[Trainers]"},
                        EntryLines(0, "T0", "", "Nancy"),
                        EntryLines(1, "T1", "", "Oscar"),
                        {"aircraft2.displayName=Orphan", "aircraft3.title=T3", "aircraft3.displayName=Beyond"}}),
                  "Trainers", &kFloats, "Beaver",
                  Join({{"[Trainers]"},
                        EntryLines(0, "T0", "", "Nancy"),
                        EntryLines(1, "T1", "", "Oscar"),
                        {"aircraft2.displayName=Beaver", "aircraft3.title=T3", "aircraft3.displayName=Beyond",
                         "aircraft2.title=DHC-2 Beaver Floats", "aircraft2.thumbnail={thumb}"}}),
                  {"Beaver", "Beyond", "Nancy", "Oscar"}},
        // The keys go into their own section, before the next header.
        Placement{"ASectionThatIsNotTheLast",
                  Join({{"[Zeppelins]"}, EntryLines(0, "Z0", "", "Graf"), {"[trainers]"},
                        EntryLines(0, "T0", "", "Nancy")}),
                  "Zeppelins", &kBlue, "Blue",
                  Join({{"[Zeppelins]"}, EntryLines(0, "Z0", "", "Graf"),
                        EntryLines(1, "Cessna Skyhawk Blue", "", "Blue"), {"[trainers]"},
                        EntryLines(0, "T0", "", "Nancy")}),
                  {"Blue", "Graf"}}),
    [](const auto& p) { return std::string(p.param.label); });

// Cases that differ only in the aircraft and the name typed.
struct StoredName {
    const char* label;
    const Plane* plane;
    std::string typed;
    std::string displayNameLine;  // as the file then holds it
    std::string listed;           // the new line of the list
    bool emptyThumbnail;
};

class AddStoredNameTest : public EditingTest, public ::testing::WithParamInterface<StoredName> {};

TEST_P(AddStoredNameTest, StoresTheEntry) {
    const StoredName& c = GetParam();
    Open(Join({{"[Trainers]"}, EntryLines(0, "T0", "", "Nancy")}));
    SelectAircraft(*c.plane);
    TypeName(c.typed);

    Click(IDC_ADD);

    const std::string thumbnail = Thumb(*c.plane);
    EXPECT_EQ(thumbnail.empty(), c.emptyThumbnail);
    EXPECT_EQ(File(), CrlfLines(Join({{"[Trainers]"},
                                      EntryLines(0, "T0", "", "Nancy"),
                                      {"aircraft1.title=" + c.plane->livery.title,
                                       "aircraft1.thumbnail=" + thumbnail, c.displayNameLine}})));
    Items expected{"Nancy", c.listed};
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    EXPECT_EQ(Lines(), expected);
    EXPECT_TRUE(Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, AddStoredNameTest,
    ::testing::Values(
        StoredName{"Plain", &kRed, "Red Trainer", "aircraft1.displayName=Red Trainer", "Red Trainer", false},
        // A longer name keeps its first 98 characters.
        StoredName{"CutTo98", &kRed, std::string(60, 'a') + std::string(60, 'b'),
                   "aircraft1.displayName=" + std::string(60, 'a') + std::string(38, 'b'),
                   std::string(60, 'a') + std::string(38, 'b'), false},
        // Blanks alone are a name; the file keeps them inside quotes.
        StoredName{"SpacesOnly", &kRed, "   ", "aircraft1.displayName=\"   \"", "   ", false},
        // An aircraft without a thumbnail stores the key with an empty value.
        StoredName{"NoThumbnail", &kBlue, "Blue", "aircraft1.displayName=Blue", "Blue", true}),
    [](const auto& p) { return std::string(p.param.label); });

TEST_F(AddTest, TheSameNameTwiceGivesTwoEntriesAndTwoLines) {
    Open({"[Trainers]"});
    SelectAircraft(kRed);
    TypeName("Twin");
    Click(IDC_ADD);
    Click(IDC_ADD);

    EXPECT_EQ(File(), CrlfLines(Join({{"[Trainers]"},
                                      EntryLines(0, "Cessna Skyhawk Red", Thumb(kRed), "Twin"),
                                      EntryLines(1, "Cessna Skyhawk Red", Thumb(kRed), "Twin")})));
    EXPECT_EQ(Lines(), (Items{"Twin", "Twin"}));
}

TEST_F(AddTest, EmptyDisplayNameIsRefusedAndNothingChanges) {
    Open(TwoCategories());
    SelectAircraft(kRed);
    SelectLine("Oscar");  // copies "Oscar" into the box
    TypeName("");
    const std::string before = File();

    Click(IDC_ADD);

    EXPECT_EQ(Boxes(), (std::vector{Refusal("Please enter a display name")}));
    EXPECT_EQ(File(), before);
    EXPECT_EQ(Lines(), (Items{"Nancy", "Oscar"}));
    EXPECT_EQ(Dlg().EntryList().GetSelectedText(), "Oscar") << "no list changes";
}

// "Mystery" comes from a section without "ui_type": listed, but no record
// matches the selection.
TEST_F(AddTest, AircraftNotFoundWritesNothingAndStillRelists) {
    Open(TwoCategories());
    SelectManufacturer("Mystery");
    ASSERT_EQ(Dlg().ModelList().GetCount(), 0);
    SelectLine("Oscar");
    TypeName("Who");
    const std::string before = File();

    Click(IDC_ADD);

    EXPECT_EQ(Boxes(), (std::vector{Refusal("Aircraft not found !!")}));
    EXPECT_EQ(File(), before);
    EXPECT_EQ(Lines(), (Items{"Nancy", "Oscar"}));
    EXPECT_EQ(SelectedLine(), -1);
}

TEST_F(AddTest, NoCategoryToAddToWritesNothing) {
    OpenWindow();  // no category file: no category is selected
    ASSERT_EQ(SelectedCategory(), "");
    SelectAircraft(kRed);
    TypeName("Nowhere");

    Click(IDC_ADD);

    EXPECT_EQ(Boxes(), (std::vector{Refusal("Please select a category first.")}));
    EXPECT_FALSE(Exists(sim_.CategoryFile()));
    EXPECT_TRUE(Categories().empty());
    EXPECT_TRUE(Lines().empty());
}

}  // namespace
}  // namespace qm::test
