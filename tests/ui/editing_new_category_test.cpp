// "< Add in New...": asks for a category name in the new-category dialog and
// creates that category with the selected aircraft as its entry 0.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ui/editing_fixture.h"
#include "ui/new_category.h"

namespace qm::test {
namespace {

// Bravo (2 entries), Delta (1 entry) and Foxtrot (1 entry), in file order
// Delta, Bravo, Foxtrot.
std::vector<std::string> ThreeCategories() {
    return Join({{"[Delta]"},
                 EntryLines(0, "D0", "", "Dora"),
                 {"[Bravo]"},
                 EntryLines(0, "B0", "", "Bert"),
                 EntryLines(1, "B1", "", "Bess"),
                 {"[Foxtrot]"},
                 EntryLines(0, "F0", "", "Fred")});
}

// What the person does in the new-category dialog.
using NameDialogScript = std::function<void(CDialog&)>;

NameDialogScript TypeAndConfirm(std::string name) {
    return [name](CDialog& dialog) {
        TypeText(dialog, IDC_NEW_CATEGORY_NAME, name);
        ClickButton(dialog, IDOK);
    };
}

class NewCategoryTest : public EditingTest {
protected:
    // Clicks "< Add in New..." with `script` answering the dialog.
    void AddInNew(NameDialogScript script) {
        Host().OnNextModal(std::move(script));
        Click(IDC_ADD_IN_NEW);
    }
};

TEST_F(NewCategoryTest, CreatesTheCategoryWithTheAircraftAsEntryZeroAndSelectsIt) {
    Open(ThreeCategories());
    SelectAircraft(kRed);
    TypeName("Red One");
    const BitmapHandle picture = Picture();

    AddInNew(TypeAndConfirm("Charlie"));

    EXPECT_EQ(Host().ModalRuns(), 1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(File(), CrlfLines(Join({ThreeCategories(),
                                      {"[Charlie]"},
                                      EntryLines(0, "Cessna Skyhawk Red", Thumb(kRed), "Red One")})));
    EXPECT_EQ(Categories(), (Items{"Bravo", "Charlie", "Delta", "Foxtrot"}));
    EXPECT_EQ(SelectedCategory(), "Charlie");
    EXPECT_EQ(Lines(), (Items{"Red One"}));
    EXPECT_EQ(SelectedLine(), -1);
    EXPECT_EQ(DisplayName(), "Red One");
    EXPECT_EQ(Picture(), picture);
}

// The new category is selected wherever it sorts.
class NewCategoryPlaceTest : public NewCategoryTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(NewCategoryPlaceTest, SelectsTheNewCategory) {
    Open(ThreeCategories());
    SelectCategory("Foxtrot");
    SelectAircraft(kFloats);
    TypeName("Floats");

    AddInNew(TypeAndConfirm(GetParam()));

    EXPECT_EQ(SelectedCategory(), GetParam());
    EXPECT_EQ(Lines(), (Items{"Floats"}));
    EXPECT_EQ(Dlg().CategoryList().GetCount(), 4);
}

INSTANTIATE_TEST_SUITE_P(Places, NewCategoryPlaceTest, ::testing::Values("Alpha", "Charlie", "Golf"));

// Enter in the name box is the default button, OK.
TEST_F(NewCategoryTest, EnterConfirmsLikeOk) {
    Open(ThreeCategories());
    SelectAircraft(kRed);
    TypeName("Red One");

    AddInNew([](CDialog& dialog) {
        TypeText(dialog, IDC_NEW_CATEGORY_NAME, "Echo");
        PressEnter(dialog);
    });

    EXPECT_EQ(SelectedCategory(), "Echo");
    EXPECT_EQ(Lines(), (Items{"Red One"}));
}

TEST_F(NewCategoryTest, ALongNameKeepsItsFirst98Characters) {
    Open(ThreeCategories());
    SelectAircraft(kRed);
    TypeName("Red One");
    const std::string typed = std::string(90, 'L') + std::string(30, 'x');
    const std::string kept = std::string(90, 'L') + std::string(8, 'x');

    AddInNew(TypeAndConfirm(typed));

    EXPECT_EQ(File(), CrlfLines(Join({ThreeCategories(),
                                      {"[" + kept + "]"},
                                      EntryLines(0, "Cessna Skyhawk Red", Thumb(kRed), "Red One")})));
    EXPECT_EQ(SelectedCategory(), kept);
}

TEST_F(NewCategoryTest, TheDialogOpensWithAnEmptyNameBox) {
    Open(ThreeCategories());
    TypeName("Red One");
    std::string seen = "unset";
    AddInNew([&seen](CDialog& dialog) {
        auto& newCategory = dynamic_cast<CNewCategory&>(dialog);
        seen = newCategory.NameBox().Text();
        EXPECT_EQ(dialog.TemplateId(), IDD_NEW_CATEGORY);
        PressEscape(dialog);
    });
    EXPECT_EQ(seen, "");
}

TEST_F(NewCategoryTest, EmptyDisplayNameShowsOnlyTheMessage) {
    Open(ThreeCategories());
    SelectCategory("Foxtrot");
    SelectLine("Fred");
    TypeName("");
    const std::string before = File();
    Host().OnNextModal(TypeAndConfirm("Charlie"));

    Click(IDC_ADD_IN_NEW);

    EXPECT_EQ(Boxes(), (std::vector{Refusal("Please enter a display name")}));
    EXPECT_EQ(Host().ModalRuns(), 0);
    EXPECT_EQ(File(), before);
    EXPECT_EQ(SelectedCategory(), "Foxtrot");
    EXPECT_EQ(Dlg().EntryList().GetSelectedText(), "Fred");
}

// Every way out of the dialog but OK is a cancel: the first category becomes
// selected and its entries are listed. A blank display name counts as one.
struct WayOut {
    const char* label;
    std::function<void(ScriptedHost&)> arrange;
};

class NewCategoryCancelTest : public NewCategoryTest, public ::testing::WithParamInterface<WayOut> {};

TEST_P(NewCategoryCancelTest, SelectsTheFirstCategoryAndWritesNothing) {
    Open(ThreeCategories());
    SelectCategory("Foxtrot");
    SelectLine("Fred");
    TypeName(" ");
    const std::string before = File();
    GetParam().arrange(Host());

    Click(IDC_ADD_IN_NEW);

    EXPECT_EQ(Host().ModalRuns(), 1);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(File(), before);
    EXPECT_EQ(SelectedCategory(), "Bravo");
    EXPECT_EQ(Lines(), (Items{"Bert", "Bess"}));
    EXPECT_EQ(SelectedLine(), -1);
}

INSTANTIATE_TEST_SUITE_P(
    WaysOut, NewCategoryCancelTest,
    ::testing::Values(
        WayOut{"CancelButton",
               [](ScriptedHost& host) {
                   host.OnNextModal([](CDialog& d) {
                       TypeText(d, IDC_NEW_CATEGORY_NAME, "Charlie");
                       ClickButton(d, IDCANCEL);
                   });
               }},
        WayOut{"Escape",
               [](ScriptedHost& host) {
                   host.OnNextModal([](CDialog& d) {
                       TypeText(d, IDC_NEW_CATEGORY_NAME, "Charlie");
                       PressEscape(d);
                   });
               }},
        WayOut{"CloseBox",
               [](ScriptedHost& host) {
                   host.OnNextModal([](CDialog& d) {
                       TypeText(d, IDC_NEW_CATEGORY_NAME, "Charlie");
                       CloseBox(d);
                   });
               }},
        WayOut{"DialogFailsToOpen", [](ScriptedHost& host) { host.FailNextModal(); }}),
    [](const auto& p) { return std::string(p.param.label); });

TEST_F(NewCategoryTest, CancelWithNoCategoriesLeavesBothListsEmpty) {
    OpenWindow();
    TypeName("Red One");
    AddInNew([](CDialog& d) { PressEscape(d); });
    EXPECT_FALSE(Exists(sim_.CategoryFile()));
    EXPECT_TRUE(Categories().empty());
    EXPECT_EQ(SelectedCategory(), "");
    EXPECT_TRUE(Lines().empty());
}

// The typed name loses its blanks at both ends and its line breaks; a name of
// blanks alone, or none, is refused.
struct TypedName {
    const char* label;
    std::string typed;
    std::string section;  // empty: refused
};

class NewCategoryNameTest : public NewCategoryTest, public ::testing::WithParamInterface<TypedName> {};

TEST_P(NewCategoryNameTest, TrimsOrRefusesTheName) {
    const TypedName& c = GetParam();
    Open(ThreeCategories());
    SelectCategory("Foxtrot");
    SelectLine("Fred");
    SelectAircraft(kRed);
    TypeName("Red One");
    const std::string before = File();

    AddInNew(TypeAndConfirm(c.typed));

    if (c.section.empty()) {
        EXPECT_EQ(Boxes(), (std::vector{Refusal("Please enter a category name")}));
        EXPECT_EQ(File(), before);
        EXPECT_EQ(SelectedCategory(), "Foxtrot");
        EXPECT_EQ(Lines(), (Items{"Fred"}));
        EXPECT_EQ(SelectedLine(), -1) << "the entry list is reloaded after the refusal";
    } else {
        EXPECT_TRUE(Boxes().empty());
        EXPECT_EQ(File(), CrlfLines(Join({ThreeCategories(),
                                          {"[" + c.section + "]"},
                                          EntryLines(0, "Cessna Skyhawk Red", Thumb(kRed), "Red One")})));
        EXPECT_EQ(SelectedCategory(), c.section);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, NewCategoryNameTest,
                         ::testing::Values(TypedName{"Blanks", "  Gliders\t ", "Gliders"},
                                           TypedName{"InnerBlanksKept", "\tSea  Planes ", "Sea  Planes"},
                                           TypedName{"Empty", "", ""},
                                           TypedName{"BlanksOnly", " \t  ", ""},
                                           // Pasted text can bring line breaks, which no
                                           // section name can hold.
                                           TypedName{"LineBreakAtTheEnd", "Zeta\n", "Zeta"},
                                           TypedName{"LineBreakInside", "Sea\r\nPlanes", "Sea  Planes"},
                                           TypedName{"LineBreaksOnly", "\r\n", ""}),
                         [](const auto& p) { return std::string(p.param.label); });

// Whether a category exists is decided by the title of its entry 0, read
// through any case of the section's name.
struct Existing {
    const char* label;
    std::vector<std::string> section;  // the section already in the file
    std::string typed;
    bool exists;
    // Otherwise the section afterwards; "{thumb}" stands for the thumbnail path.
    std::vector<std::string> after = {};
};

// Entry 0 of the Red livery under "Red One", as the file holds it afterwards.
const std::vector<std::string> kRedEntryZero =
    EntryLines(0, "Cessna Skyhawk Red", "{thumb}", "Red One");

class NewCategoryExistsTest : public NewCategoryTest, public ::testing::WithParamInterface<Existing> {};

TEST_P(NewCategoryExistsTest, RefusesOnlyACategoryWithATitleInEntryZero) {
    const Existing& c = GetParam();
    const std::vector<std::string> file = Join({ThreeCategories(), c.section});
    Open(file);
    SelectCategory("Delta");
    SelectAircraft(kRed);
    TypeName("Red One");

    AddInNew(TypeAndConfirm(c.typed));

    if (c.exists) {
        EXPECT_EQ(Boxes(), (std::vector<ScriptedHost::Box>{
                               {"This category already exists", "Error", MB_ICONEXCLAMATION, IDOK}}));
        EXPECT_EQ(File(), CrlfLines(file));
        EXPECT_EQ(SelectedCategory(), "Delta");
        EXPECT_EQ(Lines(), (Items{"Dora"}));
    } else {
        EXPECT_TRUE(Boxes().empty());
        EXPECT_EQ(SelectedCategory(), "Gliders") << "the name as the file writes it";
        const Items categories = Categories();
        EXPECT_EQ(std::count(categories.begin(), categories.end(), "Gliders"), 1);
        EXPECT_EQ(categories.size(), 4u);
        EXPECT_EQ(Lines(), (Items{"Red One"}));
        EXPECT_EQ(File(), CrlfLines(Join({ThreeCategories(), WithThumb(c.after, kRed)})))
            << "entry 0 is written into the section that stood";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sections, NewCategoryExistsTest,
    ::testing::Values(
        Existing{"TitledInOtherCase", Join({{"[Gliders]"}, EntryLines(0, "G0", "", "Glen")}), "gLIDERS", true},
        Existing{"EmptyTitle", Join({{"[Gliders]"}, EntryLines(0, "", "", "Glen")}), "Gliders", true},
        Existing{"TitleOnlyInEntryOne", {"[Gliders]", "aircraft1.title=G1"}, "GLIDERS", false,
                 Join({{"[Gliders]", "aircraft1.title=G1"}, kRedEntryZero})},
        // A section left without entries (its last entry removed).
        Existing{"NoKeysLeft", {"[Gliders]"}, "GLIDERS", false, Join({{"[Gliders]"}, kRedEntryZero})},
        // A stored "<UNDEFINED>" is a missing title: entry 0 is overwritten.
        Existing{"UndefinedTitle",
                 {"[Gliders]", "aircraft0.title=<UNDEFINED>", "aircraft0.thumbnail=/g.bmp",
                  "aircraft0.displayName=Old"},
                 "gliders", false, Join({{"[Gliders]"}, kRedEntryZero})}),
    [](const auto& p) { return std::string(p.param.label); });

TEST_F(NewCategoryTest, AircraftNotFoundMakesNoSectionAndSelectsTheFirstCategory) {
    Open(ThreeCategories());
    SelectCategory("Foxtrot");
    SelectManufacturer("Mystery");
    TypeName("Who");

    AddInNew(TypeAndConfirm("Gliders"));

    EXPECT_EQ(Boxes(), (std::vector{Refusal("Aircraft not found !!")}));
    EXPECT_EQ(File(), CrlfLines(ThreeCategories()));
    EXPECT_EQ(Categories(), (Items{"Bravo", "Delta", "Foxtrot"}));
    EXPECT_EQ(SelectedCategory(), "Bravo");
    EXPECT_EQ(Lines(), (Items{"Bert", "Bess"}));
}

TEST_F(NewCategoryTest, AircraftNotFoundWithNoCategoriesLeavesBothListsEmpty) {
    OpenWindow();
    SelectManufacturer("Mystery");
    TypeName("Who");

    AddInNew(TypeAndConfirm("Gliders"));

    EXPECT_EQ(Boxes(), (std::vector{Refusal("Aircraft not found !!")}));
    EXPECT_FALSE(Exists(sim_.CategoryFile()));
    EXPECT_TRUE(Categories().empty());
    EXPECT_TRUE(Lines().empty());
}

TEST_F(NewCategoryTest, TheFirstCategoryCreatesTheFile) {
    OpenWindow();
    SelectAircraft(kBlue);
    TypeName("Blue");

    AddInNew(TypeAndConfirm("Trainers"));

    EXPECT_EQ(File(), CrlfLines(Join({{"[Trainers]"}, EntryLines(0, "Cessna Skyhawk Blue", "", "Blue")})));
    EXPECT_EQ(Categories(), (Items{"Trainers"}));
    EXPECT_EQ(SelectedCategory(), "Trainers");
    EXPECT_EQ(Lines(), (Items{"Blue"}));
}

}  // namespace
}  // namespace qm::test
