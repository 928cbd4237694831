// The category list and the entry list as loaded from the category file.
#include <gtest/gtest.h>

#include "main_window.h"

namespace qm::test {
namespace {

class CategoryListsTest : public ::testing::Test {
protected:
    SimFolder sim_;
};

std::vector<std::string> Entry(int n, const std::string& title, const std::string& displayName) {
    const std::string k = "aircraft" + std::to_string(n);
    return {k + ".title=" + title, k + ".thumbnail=", k + ".displayName=" + displayName};
}

std::string Section(const std::string& name, const std::vector<std::vector<std::string>>& entries) {
    std::vector<std::string> lines = {"[" + name + "]"};
    for (const auto& entry : entries) lines.insert(lines.end(), entry.begin(), entry.end());
    return CrlfLines(lines);
}

TEST_F(CategoryListsTest, NoCategoryFileGivesEmptyListsAndNoMessage) {
    MainWindow w(sim_);
    EXPECT_TRUE(w.dialog.CategoryList().Items().empty());
    EXPECT_EQ(w.dialog.CategoryList().GetCurSel(), -1);
    EXPECT_TRUE(w.dialog.EntryList().Items().empty());
    EXPECT_TRUE(w.host.Boxes().empty());
    EXPECT_FALSE(Exists(sim_.CategoryFile()));  // reading creates nothing
}

TEST_F(CategoryListsTest, NamesKeepFileOrderInTheTableAndSortInTheList) {
    sim_.WriteCategories(Section("b", {Entry(0, "T", "in b")}) + Section("A", {Entry(0, "T", "in A")}) +
                         Section("c", {}));
    MainWindow w(sim_);
    ASSERT_TRUE(w.dialog.CategoryNameTable().has_value());
    EXPECT_EQ(*w.dialog.CategoryNameTable(), (Items{"b", "A", "c"}));
    EXPECT_EQ(w.Items(w.dialog.CategoryList()), (Items{"A", "b", "c"}));
    EXPECT_EQ(w.Selected(w.dialog.CategoryList()), "A");
    EXPECT_EQ(w.Items(w.dialog.EntryList()), (Items{"in A"}));
    EXPECT_EQ(w.dialog.EntryList().GetCurSel(), -1);
}

TEST_F(CategoryListsTest, EveryCategoryIsListedInFull) {
    // More names than the platform's 999-byte name list holds, and a name
    // longer than its 99-byte slots.
    std::string file;
    for (int i = 0; i < 200; ++i) file += Section("Cat" + std::to_string(1000 + i), {Entry(0, "T", "x")});
    const std::string longName(120, 'L');
    file += Section(longName, {Entry(0, "T", "long one")});
    sim_.WriteCategories(file);
    MainWindow w(sim_);
    EXPECT_EQ(w.dialog.CategoryList().GetCount(), 201);
    ASSERT_TRUE(PickText(w.dialog, IDC_CATEGORY, longName));
    EXPECT_EQ(w.Items(w.dialog.EntryList()), (Items{"long one"}));
}

struct EntriesCase {
    const char* name;
    std::vector<std::string> lines;  // the category's keys
    Items listed;
};

class EntryListingTest : public CategoryListsTest, public ::testing::WithParamInterface<EntriesCase> {};

TEST_P(EntryListingTest, ListsEntriesUpToTheFirstMissingDisplayName) {
    std::vector<std::string> lines = {"[Cat]"};
    lines.insert(lines.end(), GetParam().lines.begin(), GetParam().lines.end());
    sim_.WriteCategories(CrlfLines(lines));
    MainWindow w(sim_);
    EXPECT_EQ(w.Items(w.dialog.EntryList()), GetParam().listed);
}

const std::string k99(99, 'n');

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryListingTest,
    ::testing::Values(
        EntriesCase{"Gap", {"aircraft0.displayName=zero", "aircraft1.displayName=one", "aircraft2.displayName=two",
                            "aircraft4.displayName=four"}, {"one", "two", "zero"}},
        EntriesCase{"SortedWithoutRegardToCase", {"aircraft0.displayName=beta", "aircraft1.displayName=Alpha",
                                                  "aircraft2.displayName=alpha"}, {"Alpha", "alpha", "beta"}},
        EntriesCase{"UndefinedValueEndsTheList", {"aircraft0.displayName=zero", "aircraft1.displayName=<UNDEFINED>",
                                                  "aircraft2.displayName=two"}, {"zero"}},
        EntriesCase{"EmptyDisplayNameIsALine", {"aircraft0.displayName=", "aircraft1.displayName=one"}, {"", "one"}},
        EntriesCase{"TitleWithoutDisplayNameEndsTheList", {"aircraft0.title=T", "aircraft1.displayName=one"}, {}},
        EntriesCase{"LongNameListedWith98Characters", {"aircraft0.displayName=" + k99}, {k99.substr(0, 98)}},
        EntriesCase{"KeysInAnyCaseAndQuoted", {"AIRCRAFT0.DISPLAYNAME = \"Quoted\" ", "Aircraft1.DisplayName='one'"},
                    {"one", "Quoted"}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(CategoryListsTest, PickingACategoryListsItsEntriesAndKeepsTheDisplayName) {
    sim_.WriteCategories(Section("A", {Entry(0, "T", "a0")}) +
                         Section("B", {Entry(0, "T", "b0"), Entry(1, "T", "b1")}));
    MainWindow w(sim_);
    PickItem(w.dialog, IDC_ENTRY_LIST, 0);
    TypeText(w.dialog, IDC_DISPLAY_NAME, "kept");
    ASSERT_TRUE(PickText(w.dialog, IDC_CATEGORY, "B"));
    EXPECT_EQ(w.Items(w.dialog.EntryList()), (Items{"b0", "b1"}));
    EXPECT_EQ(w.dialog.EntryList().GetCurSel(), -1);
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "kept");
}

TEST_F(CategoryListsTest, CategoryWhoseSectionWasRemovedElsewhereListsNothing) {
    sim_.WriteCategories(Section("A", {Entry(0, "T", "a0")}) + Section("B", {Entry(0, "T", "b0")}));
    MainWindow w(sim_);
    sim_.WriteCategories(Section("A", {Entry(0, "T", "a0")}));  // another program removed B
    ASSERT_TRUE(PickText(w.dialog, IDC_CATEGORY, "B"));
    EXPECT_TRUE(w.dialog.EntryList().Items().empty());
    EXPECT_EQ(w.dialog.CountCategoryEntries("B"), 0);
    EXPECT_EQ(w.dialog.FindEntryByDisplayName("B", "b0"), -1);
}

TEST_F(CategoryListsTest, FindAndCountFollowTheirOwnKeys) {
    sim_.WriteCategories(CrlfLines({"[C]", "aircraft0.title=T0", "aircraft0.displayName=Jet",
                                    "aircraft1.title=T1", "aircraft1.displayName=Jet",
                                    "aircraft2.displayName=no title", "aircraft3.title=T3",
                                    "aircraft3.displayName=after the gap"}));
    MainWindow w(sim_);
    EXPECT_EQ(w.dialog.FindEntryByDisplayName("C", "Jet"), 0);
    EXPECT_EQ(w.dialog.FindEntryByDisplayName("c", "jet"), -1);  // the display name's case matters
    EXPECT_EQ(w.dialog.FindEntryByDisplayName("C", "no title"), 2);
    EXPECT_EQ(w.dialog.CountCategoryEntries("C"), 2);
    EXPECT_EQ(w.dialog.CountCategoryEntries("c"), 2);  // section names are not
    EXPECT_EQ(w.Items(w.dialog.EntryList()), (Items{"after the gap", "Jet", "Jet", "no title"}));
}

TEST_F(CategoryListsTest, MoreThanTenThousandEntriesAreAllListed) {
    std::string file = "[Big]\r\n";
    const int count = 10'003;
    for (int n = 0; n < count; ++n) {
        const std::string k = "aircraft" + std::to_string(n);
        file += k + ".title=T\r\n" + k + ".displayName=E" + std::to_string(n) + "\r\n";
    }
    sim_.WriteCategories(file);
    MainWindow w(sim_);
    EXPECT_EQ(w.dialog.EntryList().GetCount(), count);
}

}  // namespace
}  // namespace qm::test
