// The selected line of the entry list: its display name and stored thumbnail
// shown on selection, and "Update" of its display name and thumbnail path.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/editing_fixture.h"

namespace qm::test {
namespace {

// ---- Selecting a line ----------------------------------------------------------------

// What the picture shows after a line is picked.
enum class Shows { File, NoThumbnail, Nothing };

struct Selection {
    const char* label;
    std::string line;
    Shows shows;
    int width = 0, height = 0;  // of the file shown
};

class EntrySelectionTest : public EditingTest, public ::testing::WithParamInterface<Selection> {
protected:
    // A picture file below the simulator root of width x height pixels.
    std::string PictureFile(const std::string& name, int width, int height) {
        const std::string path = sim_.Root() + "/pictures/" + name;
        WriteFile(path, SmallBmp(width, height));
        return path;
    }

    std::vector<std::string> Hangar() {
        // A path of exactly 498 characters is read whole.
        const std::string folder = sim_.Root() + "/pictures/";
        std::string longName = std::string(200, 'd') + "/";
        longName += std::string(498 - folder.size() - longName.size() - 4, 'f') + ".bmp";
        const std::string longPath = PictureFile(longName, 11, 13);
        EXPECT_EQ(longPath.size(), 498u);
        return Join({{"[Hangar]"},
                     EntryLines(0, "T0", PictureFile("zero.bmp", 5, 7), "Zero"),
                     {"aircraft1.title=T1", "aircraft1.displayName=No Key"},
                     EntryLines(2, "T2", "", "Empty Path"),
                     EntryLines(3, "T3", "<UNDEFINED>", "Undefined"),
                     EntryLines(4, "T4", PictureFile("first.bmp", 3, 3), "Twin"),
                     EntryLines(5, "T5", PictureFile("second.bmp", 9, 9), "Twin"),
                     EntryLines(6, "T6", sim_.Root() + "/pictures/absent.bmp", "Absent"),
                     EntryLines(7, "T7", longPath, "Long Path")});
    }
};

TEST_P(EntrySelectionTest, CopiesTheLineAndShowsTheStoredThumbnail) {
    const Selection& c = GetParam();
    Open(Hangar());
    ASSERT_EQ(Dlg().EntryList().GetCount(), 8);
    // The last line of that text: of two equal lines, the second also leads
    // to the lower-numbered entry.
    const auto& items = Dlg().EntryList().Items();
    const int line = static_cast<int>(std::find(items.rbegin(), items.rend(), c.line).base() - items.begin()) - 1;
    ASSERT_GE(line, 0) << c.line;
    ASSERT_EQ(Dlg().EntryList().GetText(line), c.line);

    SelectLineAt(line);

    EXPECT_EQ(DisplayName(), c.line);
    EXPECT_EQ(SelectedLine(), line);
    const BitmapHandle& shown = Picture();
    EXPECT_EQ(shown, Dlg().ShownBitmap());
    switch (c.shows) {
        case Shows::File:
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->width, c.width);
            EXPECT_EQ(shown->height, c.height);
            break;
        case Shows::NoThumbnail:
            EXPECT_TRUE(IsNoThumbnailPicture(shown));
            break;
        case Shows::Nothing:
            EXPECT_EQ(shown, nullptr);
            break;
    }
    EXPECT_TRUE(Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, EntrySelectionTest,
    ::testing::Values(Selection{"StoredPicture", "Zero", Shows::File, 5, 7},
                      Selection{"MissingKey", "No Key", Shows::NoThumbnail},
                      Selection{"UndefinedValue", "Undefined", Shows::NoThumbnail},
                      Selection{"EmptyPath", "Empty Path", Shows::Nothing},
                      Selection{"FileMissing", "Absent", Shows::Nothing},
                      Selection{"EqualLinesShowTheLowerNumber", "Twin", Shows::File, 3, 3},
                      Selection{"PathOf498Characters", "Long Path", Shows::File, 11, 13}),
    [](const auto& p) { return std::string(p.param.label); });

using SelectionChangeTest = EditingTest;

TEST_F(SelectionChangeTest, ALineWhoseEntryIsGoneSetsTheBoxAndKeepsThePicture) {
    Open(Join({{"[Hangar]"}, EntryLines(0, "T0", "", "Zero"), EntryLines(1, "T1", "", "One")}));
    SelectAircraft(kRed);
    const BitmapHandle before = Picture();
    ASSERT_NE(before, nullptr);
    // Another program rewrites the file while the list still shows "One".
    ChangeFileBehindStore(sim_.CategoryFile(), CrlfLines(Join({{"[Hangar]"}, EntryLines(0, "T0", "", "Zero")})));

    SelectLine("One");

    EXPECT_EQ(DisplayName(), "One");
    EXPECT_EQ(Picture(), before);
    EXPECT_EQ(Dlg().ShownBitmap(), before);
}

TEST_F(SelectionChangeTest, NoSelectedLineChangesNothing) {
    Open(Join({{"[Hangar]"}, EntryLines(0, "T0", "", "Zero")}));
    TypeName("typed");
    const BitmapHandle before = Picture();
    PickItem(Dlg(), IDC_ENTRY_LIST, -1);
    EXPECT_EQ(DisplayName(), "typed");
    EXPECT_EQ(Picture(), before);
}

// ---- "Update" --------------------------------------------------------------------------

// Red One names the Red livery (which has a thumbnail), Blue One the Blue
// livery (which has none), Ghost an aircraft that is not in the folder.
std::vector<std::string> Fleet() {
    return Join({{"[Fleet]"},
                 EntryLines(0, "Cessna Skyhawk Red", "/old/red.bmp", "Red One"),
                 EntryLines(1, "Cessna Skyhawk Blue", "/old/blue.bmp", "Blue One"),
                 EntryLines(2, "Vanished Plane", "/old/gone.bmp", "Ghost")});
}

using UpdateTest = EditingTest;

TEST_F(UpdateTest, RewritesTheDisplayNameAndTheThumbnailOfTheEntrysOwnAircraft) {
    Open(Fleet());
    // The aircraft lists play no part: the entry names its aircraft by title.
    SelectAircraft(kFloats);
    SelectLine("Red One");
    TypeName("Red Two");
    const BitmapHandle picture = Picture();

    Click(IDC_UPDATE);

    EXPECT_EQ(File(), CrlfLines(Join({{"[Fleet]"},
                                      EntryLines(0, "Cessna Skyhawk Red", Thumb(kRed), "Red Two"),
                                      EntryLines(1, "Cessna Skyhawk Blue", "/old/blue.bmp", "Blue One"),
                                      EntryLines(2, "Vanished Plane", "/old/gone.bmp", "Ghost")})));
    EXPECT_EQ(Lines(), (Items{"Blue One", "Ghost", "Red Two"}));
    EXPECT_EQ(SelectedLine(), -1);
    EXPECT_EQ(DisplayName(), "Red Two");
    EXPECT_EQ(Picture(), picture) << "the picture changes only at the next selection";
    EXPECT_TRUE(Boxes().empty());

    // No line is selected now, so a second click is refused.
    Click(IDC_UPDATE);
    EXPECT_EQ(Boxes(), (std::vector{Refusal("Please select an aircraft first.")}));
}

TEST_F(UpdateTest, AnAircraftNotInTheCatalogueChangesNothing) {
    Open(Fleet());
    SelectLine("Ghost");
    TypeName("Spirit");
    const std::string before = File();

    Click(IDC_UPDATE);

    EXPECT_EQ(File(), before);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Dlg().EntryList().GetSelectedText(), "Ghost") << "the list is not reloaded";
}

TEST_F(UpdateTest, NoSelectedLineIsRefused) {
    Open(Fleet());
    TypeName("Red Two");
    const std::string before = File();
    Click(IDC_UPDATE);
    EXPECT_EQ(Boxes(), (std::vector{Refusal("Please select an aircraft first.")}));
    EXPECT_EQ(File(), before);
}

TEST_F(UpdateTest, StoresUpTo253CharactersAndTheListedPrefixFindsTheEntry) {
    Open(Fleet());
    SelectLine("Red One");
    const std::string typed = std::string(98, 'R') + std::string(155, 'S') + std::string(47, 'T');
    TypeName(typed);

    Click(IDC_UPDATE);

    const std::string stored = std::string(98, 'R') + std::string(155, 'S');
    EXPECT_EQ(File(), CrlfLines(Join({{"[Fleet]"},
                                      EntryLines(0, "Cessna Skyhawk Red", Thumb(kRed), stored),
                                      EntryLines(1, "Cessna Skyhawk Blue", "/old/blue.bmp", "Blue One"),
                                      EntryLines(2, "Vanished Plane", "/old/gone.bmp", "Ghost")})));
    const std::string listed(98, 'R');
    EXPECT_EQ(Lines(), (Items{"Blue One", "Ghost", listed}));

    // The 98 listed characters find the entry again.
    SelectLine(listed);
    EXPECT_EQ(DisplayName(), listed);
    ASSERT_NE(Picture(), nullptr);
    EXPECT_EQ(Picture()->width, 8) << "the Red livery's thumbnail, stored by the update";
    TypeName("Short");
    Click(IDC_UPDATE);
    EXPECT_EQ(Lines(), (Items{"Blue One", "Ghost", "Short"}));
}

// Cases of "Update" that differ only in the line and the name typed.
struct Rewrite {
    const char* label;
    std::string line;
    std::string typed;
    std::vector<std::string> after;  // "{thumb}": the Red livery's thumbnail path
    Items listed;
};

class UpdateRewriteTest : public EditingTest, public ::testing::WithParamInterface<Rewrite> {};

TEST_P(UpdateRewriteTest, RewritesTheEntry) {
    const Rewrite& c = GetParam();
    Open(Fleet());
    SelectLine(c.line);
    TypeName(c.typed);

    Click(IDC_UPDATE);

    EXPECT_EQ(File(), CrlfLines(WithThumb(c.after, kRed)));
    EXPECT_EQ(Lines(), c.listed);
    EXPECT_EQ(SelectedLine(), -1);

    // The rewritten line is selected and updated like any other.
    SelectLine(c.listed.front());
    EXPECT_EQ(DisplayName(), c.listed.front());
    TypeName("Again");
    Click(IDC_UPDATE);
    const Items after = Lines();
    EXPECT_NE(std::find(after.begin(), after.end(), "Again"), after.end());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, UpdateRewriteTest,
    ::testing::Values(
        // The Blue livery has no thumbnail: the stored path remains.
        Rewrite{"AircraftWithoutThumbnail", "Blue One", "Blue Two",
                Join({{"[Fleet]"}, EntryLines(0, "Cessna Skyhawk Red", "/old/red.bmp", "Red One"),
                      EntryLines(1, "Cessna Skyhawk Blue", "/old/blue.bmp", "Blue Two"),
                      EntryLines(2, "Vanished Plane", "/old/gone.bmp", "Ghost")}),
                {"Blue Two", "Ghost", "Red One"}},
        // An empty name is written, and lists as an empty line.
        Rewrite{"EmptyDisplayName", "Blue One", "",
                Join({{"[Fleet]"}, EntryLines(0, "Cessna Skyhawk Red", "/old/red.bmp", "Red One"),
                      EntryLines(1, "Cessna Skyhawk Blue", "/old/blue.bmp", ""),
                      EntryLines(2, "Vanished Plane", "/old/gone.bmp", "Ghost")}),
                {"", "Ghost", "Red One"}},
        // A name another entry bears is not refused.
        Rewrite{"NameOfAnotherEntry", "Red One", "Ghost",
                Join({{"[Fleet]"}, EntryLines(0, "Cessna Skyhawk Red", "{thumb}", "Ghost"),
                      EntryLines(1, "Cessna Skyhawk Blue", "/old/blue.bmp", "Blue One"),
                      EntryLines(2, "Vanished Plane", "/old/gone.bmp", "Ghost")}),
                {"Blue One", "Ghost", "Ghost"}}),
    [](const auto& p) { return std::string(p.param.label); });

TEST_F(UpdateTest, OfTwoEqualNamesTheLowerNumberIsRewritten) {
    Open(Join({{"[Fleet]"},
               EntryLines(0, "Cessna Skyhawk Blue", "/b0.bmp", "Twin"),
               EntryLines(1, "Cessna Skyhawk Red", "/r1.bmp", "Twin")}));
    SelectLineAt(1);
    TypeName("Single");

    Click(IDC_UPDATE);

    EXPECT_EQ(File(), CrlfLines(Join({{"[Fleet]"},
                                      EntryLines(0, "Cessna Skyhawk Blue", "/b0.bmp", "Single"),
                                      EntryLines(1, "Cessna Skyhawk Red", "/r1.bmp", "Twin")})));
    EXPECT_EQ(Lines(), (Items{"Single", "Twin"}));
}

}  // namespace
}  // namespace qm::test
