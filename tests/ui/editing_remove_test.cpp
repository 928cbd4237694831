// "> Remove" of the selected line's entry, with the later entries moved one
// number down, and "Delete Category" after the user's confirmation.
#include <string>
#include <vector>

#include "ui/editing_fixture.h"

namespace qm::test {
namespace {

// P (0), Q (1), R (2) in [Fleet], and another category after it.
std::vector<std::string> Pqr() {
    return Join({{"[Fleet]"},
                 EntryLines(0, "TP", "/p.bmp", "P"),
                 EntryLines(1, "TQ", "/q.bmp", "Q"),
                 EntryLines(2, "TR", "/r.bmp", "R"),
                 {"[Other]"},
                 EntryLines(0, "TO", "/o.bmp", "O")});
}

// Cases that differ only in the file and the line removed.
struct Removal {
    const char* label;
    std::vector<std::string> before;
    std::string line;  // the text of the line picked
    int lineIndex;     // which of the lines of that text
    std::vector<std::string> after;
    Items listed;
};

class RemovalTest : public EditingTest, public ::testing::WithParamInterface<Removal> {};

TEST_P(RemovalTest, RemovesTheEntryAndMovesTheLaterOnesDown) {
    const Removal& c = GetParam();
    Open(c.before);
    ASSERT_EQ(SelectedCategory(), "Fleet");
    SelectAircraft(kRed);
    int seen = -1;
    for (int i = 0; i < Dlg().EntryList().GetCount(); ++i)
        if (Dlg().EntryList().GetText(i) == c.line && ++seen == c.lineIndex) SelectLineAt(i);
    ASSERT_EQ(Dlg().EntryList().GetSelectedText(), c.line);
    const BitmapHandle picture = Picture();

    Click(IDC_REMOVE);

    EXPECT_EQ(File(), CrlfLines(c.after));
    EXPECT_EQ(Lines(), c.listed);
    EXPECT_EQ(SelectedLine(), -1);
    EXPECT_TRUE(Boxes().empty());
    // The category, the box and the picture stay as they were.
    EXPECT_EQ(SelectedCategory(), "Fleet");
    EXPECT_EQ(DisplayName(), c.line);
    EXPECT_EQ(Picture(), picture);
}

const std::string kLongPath = "/" + std::string(300, 'p') + "/" + std::string(250, 'q') + ".bmp";
const std::string kLongName = std::string(200, 'N');

INSTANTIATE_TEST_SUITE_P(
    Entries, RemovalTest,
    ::testing::Values(
        Removal{"FirstOfThree", Pqr(), "P", 0,
                Join({{"[Fleet]"},
                      EntryLines(0, "TQ", "/q.bmp", "Q"),
                      EntryLines(1, "TR", "/r.bmp", "R"),
                      {"[Other]"},
                      EntryLines(0, "TO", "/o.bmp", "O")}),
                {"Q", "R"}},
        Removal{"Middle", Pqr(), "Q", 0,
                Join({{"[Fleet]"},
                      EntryLines(0, "TP", "/p.bmp", "P"),
                      EntryLines(1, "TR", "/r.bmp", "R"),
                      {"[Other]"},
                      EntryLines(0, "TO", "/o.bmp", "O")}),
                {"P", "R"}},
        Removal{"Last", Pqr(), "R", 0,
                Join({{"[Fleet]"},
                      EntryLines(0, "TP", "/p.bmp", "P"),
                      EntryLines(1, "TQ", "/q.bmp", "Q"),
                      {"[Other]"},
                      EntryLines(0, "TO", "/o.bmp", "O")}),
                {"P", "Q"}},
        // The category stays, with no entry.
        Removal{"OnlyEntry", Join({{"[Fleet]"}, EntryLines(0, "TP", "/p.bmp", "P")}), "P", 0, {"[Fleet]"}, {}},
        // Of two equal lines, either removes the lower-numbered entry.
        Removal{"EqualNamesSecondLine",
                Join({{"[Fleet]"}, EntryLines(0, "T0", "/0.bmp", "Twin"), EntryLines(1, "T1", "/1.bmp", "Twin")}),
                "Twin", 1, Join({{"[Fleet]"}, EntryLines(0, "T1", "/1.bmp", "Twin")}), {"Twin"}},
        // Names that differ in case are told apart.
        Removal{"CaseDecides",
                Join({{"[Fleet]"}, EntryLines(0, "T0", "/0.bmp", "Jet"), EntryLines(1, "T1", "/1.bmp", "jet")}),
                "jet", 0, Join({{"[Fleet]"}, EntryLines(0, "T0", "/0.bmp", "Jet")}), {"Jet"}},
        // A key missing at number j is missing at j - 1 afterwards; a key
        // that moves onto a number without it is added after the section's
        // last key.
        Removal{"MissingKeyMovesAsMissing",
                Join({{"[Fleet]"},
                      EntryLines(0, "TP", "/p.bmp", "P"),
                      {"aircraft1.title=TQ", "aircraft1.displayName=Q"},
                      EntryLines(2, "TR", "/r.bmp", "R")}),
                "P", 0,
                {"[Fleet]", "aircraft0.title=TQ", "aircraft0.displayName=Q", "aircraft1.title=TR",
                 "aircraft1.displayName=R", "aircraft1.thumbnail=/r.bmp"},
                {"Q", "R"}},
        // Values move whole, however long.
        Removal{"LongValuesMoveWhole",
                Join({{"[Fleet]"}, EntryLines(0, "TP", "/p.bmp", "P"),
                      EntryLines(1, std::string(150, 'T'), kLongPath, kLongName)}),
                "P", 0, Join({{"[Fleet]"}, EntryLines(0, std::string(150, 'T'), kLongPath, kLongName)}),
                {std::string(98, 'N')}},
        // Entry 2 has no title, so the count is 2: removing entry 0 moves
        // entry 1 alone, and entries 2 and 3 stay in the file unlisted.
        Removal{"BeforeTheFirstTitleGap",
                Join({{"[Fleet]"}, EntryLines(0, "TP", "/p.bmp", "P"), EntryLines(1, "TQ", "/q.bmp", "Q"),
                      {"aircraft2.thumbnail=/c.bmp", "aircraft2.displayName=C"},
                      EntryLines(3, "TD", "/d.bmp", "D")}),
                "P", 0,
                Join({{"[Fleet]"}, EntryLines(0, "TQ", "/q.bmp", "Q"),
                      {"aircraft2.thumbnail=/c.bmp", "aircraft2.displayName=C"},
                      EntryLines(3, "TD", "/d.bmp", "D")}),
                {"Q"}},
        // The entry at the gap itself loses its own keys; nothing moves.
        Removal{"AtTheFirstTitleGap",
                Join({{"[Fleet]"}, EntryLines(0, "TP", "/p.bmp", "P"), EntryLines(1, "TQ", "/q.bmp", "Q"),
                      {"aircraft2.thumbnail=/c.bmp", "aircraft2.displayName=C"},
                      EntryLines(3, "TD", "/d.bmp", "D")}),
                "C", 0,
                Join({{"[Fleet]"}, EntryLines(0, "TP", "/p.bmp", "P"), EntryLines(1, "TQ", "/q.bmp", "Q"),
                      EntryLines(3, "TD", "/d.bmp", "D")}),
                {"P", "Q"}}),
    [](const auto& p) { return std::string(p.param.label); });

using RemoveTest = EditingTest;

TEST_F(RemoveTest, TheMovedEntryWithoutThumbnailKeyShowsTheNoThumbnailPicture) {
    Open(Join({{"[Fleet]"},
               EntryLines(0, "TP", "", "P"),
               {"aircraft1.title=TQ", "aircraft1.displayName=Q"}}));
    SelectLine("P");
    Click(IDC_REMOVE);
    ASSERT_EQ(Lines(), (Items{"Q"}));

    SelectLine("Q");

    EXPECT_TRUE(IsNoThumbnailPicture(Picture()));
    EXPECT_EQ(File().find("<UNDEFINED>"), std::string::npos);
}

TEST_F(RemoveTest, NoSelectedLineIsRefused) {
    Open(Pqr());
    const std::string before = File();
    Click(IDC_REMOVE);
    EXPECT_EQ(Boxes(), (std::vector{Refusal("Please select an aircraft in the list")}));
    EXPECT_EQ(File(), before);
    EXPECT_EQ(Lines(), (Items{"P", "Q", "R"}));
}

TEST_F(RemoveTest, ALineWhoseEntryIsGoneDoesNothing) {
    Open(Pqr());
    SelectLine("Q");
    // Another program removes Q while the list still shows it.
    const std::vector<std::string> changed =
        Join({{"[Fleet]"}, EntryLines(0, "TP", "/p.bmp", "P"), EntryLines(1, "TR", "/r.bmp", "R")});
    ChangeFileBehindStore(sim_.CategoryFile(), CrlfLines(changed));

    Click(IDC_REMOVE);

    EXPECT_EQ(File(), CrlfLines(changed));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Dlg().EntryList().GetSelectedText(), "Q") << "no list is reloaded";
}

// ---- "Delete Category" -------------------------------------------------------------------

// Three categories in file order Delta, Bravo, Foxtrot.
std::vector<std::string> ThreeCategories() {
    return Join({{"[Delta]"},
                 EntryLines(0, "D0", "", "Dora"),
                 {"", "[Bravo]"},
                 EntryLines(0, "B0", "", "Bert"),
                 {"; a comment of Bravo's", "[Foxtrot]"},
                 EntryLines(0, "F0", "", "Fred")});
}

ScriptedHost::Box Question(const std::string& name, int answer) {
    return {"Are you sure you want to delete the\n'" + name + "' category?", "Confirmation", MB_OKCANCEL, answer};
}

using DeleteTest = EditingTest;

TEST_F(DeleteTest, OkRemovesTheSectionAndSelectsTheFirstCategory) {
    Open(ThreeCategories());
    SelectCategory("Foxtrot");
    SelectAircraft(kRed);
    TypeName("typed");
    const BitmapHandle picture = Picture();
    Host().AnswerNextBox(IDOK);

    Click(IDC_DELETE_CATEGORY);

    EXPECT_EQ(Boxes(), (std::vector{Question("Foxtrot", IDOK)}));
    const std::string file = File();
    EXPECT_EQ(file.find("Foxtrot"), std::string::npos) << file;
    EXPECT_EQ(file.find("aircraft0.title=F0"), std::string::npos) << file;
    EXPECT_EQ(file.rfind(CrlfLines(Join({{"[Delta]"}, EntryLines(0, "D0", "", "Dora"), {"", "[Bravo]"},
                                         EntryLines(0, "B0", "", "Bert")})),
                         0),
              0u)
        << file;
    EXPECT_EQ(Categories(), (Items{"Bravo", "Delta"}));
    EXPECT_EQ(SelectedCategory(), "Bravo");
    EXPECT_EQ(Lines(), (Items{"Bert"}));
    EXPECT_EQ(DisplayName(), "typed");
    EXPECT_EQ(Picture(), picture);
}

TEST_F(DeleteTest, TheSectionGoesWithEveryKeyAndTheOthersStayByteForByte) {
    Open(Join({{"[Delta]"}, EntryLines(0, "D0", "", "Dora"), {"[Bravo]", "colour=blue"},
               EntryLines(0, "B0", "", "Bert"), {"[Foxtrot]"}, EntryLines(0, "F0", "", "Fred")}));
    SelectCategory("Bravo");
    Host().AnswerNextBox(IDOK);

    Click(IDC_DELETE_CATEGORY);

    EXPECT_EQ(File(), CrlfLines(Join({{"[Delta]"}, EntryLines(0, "D0", "", "Dora"), {"[Foxtrot]"},
                                      EntryLines(0, "F0", "", "Fred")})));
    EXPECT_EQ(Categories(), (Items{"Delta", "Foxtrot"}));
    EXPECT_EQ(SelectedCategory(), "Delta");
}

class DeleteRefusedTest : public EditingTest, public ::testing::WithParamInterface<int> {};

// Cancel, the box's close box (also IDCANCEL), or a box that was not shown.
TEST_P(DeleteRefusedTest, AnythingButOkChangesNothing) {
    Open(ThreeCategories());
    SelectCategory("Foxtrot");
    SelectLine("Fred");
    const std::string before = File();
    Host().AnswerNextBox(GetParam());

    Click(IDC_DELETE_CATEGORY);

    EXPECT_EQ(Boxes(), (std::vector{Question("Foxtrot", GetParam())}));
    EXPECT_EQ(File(), before);
    EXPECT_EQ(SelectedCategory(), "Foxtrot");
    EXPECT_EQ(Dlg().EntryList().GetSelectedText(), "Fred");
}

INSTANTIATE_TEST_SUITE_P(Answers, DeleteRefusedTest, ::testing::Values(IDCANCEL, 0));

TEST_F(DeleteTest, NoCategoryDoesNothing) {
    OpenWindow();
    Click(IDC_DELETE_CATEGORY);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(Exists(sim_.CategoryFile()));
}

TEST_F(DeleteTest, DeletingTheOnlyCategoryEmptiesBothLists) {
    Open(Join({{"[Fleet]"}, EntryLines(0, "TP", "", "P")}));
    Host().AnswerNextBox(IDOK);

    Click(IDC_DELETE_CATEGORY);

    EXPECT_EQ(Boxes(), (std::vector{Question("Fleet", IDOK)}));
    EXPECT_EQ(File(), "");
    EXPECT_TRUE(Categories().empty());
    EXPECT_EQ(SelectedCategory(), "");
    EXPECT_TRUE(Lines().empty());

    // With no category left, a second click asks nothing.
    Click(IDC_DELETE_CATEGORY);
    EXPECT_EQ(Boxes().size(), 1u);
}

}  // namespace
}  // namespace qm::test
