// The control objects: sorted lists, exact find, selection, edit text.
#include <gtest/gtest.h>

#include <random>

#include "platform/controls.h"
#include "platform/text.h"

namespace qm {
namespace {

using Items = std::vector<std::string>;

class RecordingObserver : public ControlObserver {
public:
    void ControlChanged(CControl&, ControlChange change, int index) override { changes.push_back({change, index}); }
    std::vector<std::pair<ControlChange, int>> changes;
};

TEST(SortedListTest, OrdersWithoutRegardToCaseTheSameOnEveryMachine) {
    CComboBox list;
    for (const char* text : {"beta", "Alpha", "_under", "alpha", "ALPHA", "\xE9t\xE9", "Zulu", "10", "9", ""})
        list.AddString(text);
    // A to Z folded, then compared as unsigned bytes: '_' (0x5F) sorts after
    // the digits and before the letters' lower-case codes; 0xE9 sorts last.
    // Equal items keep the order they were added in.
    EXPECT_EQ(list.Items(), (Items{"", "10", "9", "_under", "Alpha", "alpha", "ALPHA", "beta", "Zulu", "\xE9t\xE9"}));
}

// The comparisons without regard to case, which work on eight bytes at a
// time, give what the rule gives byte by byte: on texts of bytes around the
// letters' edges ('@', '[', '`', '{'), of both cases, with the high bit set and
// NUL, that share beginnings of every length and differ anywhere.
TEST(CompareNoCaseTest, GivesTheOrderOfTheRuleByteByByte) {
    const auto byRule = [](std::string_view a, std::string_view b) {
        for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
            const auto x = static_cast<unsigned char>(ToLowerAscii(a[i]));
            const auto y = static_cast<unsigned char>(ToLowerAscii(b[i]));
            if (x != y) return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
    };
    static const char kBytes[] = {'@', 'A', 'Z', '[', '`', 'a', 'z', '{', 'm', 'M', '0', '\0', '\x80', '\xC1', '\xDA',
                                  '\xE1', '\xFA', '\xFF'};
    std::mt19937 random(1210);
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    for (int round = 0; round < 20000; ++round) {
        std::string a;
        for (std::size_t n = pick(20); n > 0; --n) a += kBytes[pick(std::size(kBytes))];
        std::string b = a;
        switch (pick(4)) {
        case 0:  // the other case of some letters
            for (char& c : b)
                if (pick(2) && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) c ^= 0x20;
            break;
        case 1:  // one byte changed
            if (!b.empty()) b[pick(b.size())] = kBytes[pick(std::size(kBytes))];
            break;
        case 2:  // cut or lengthened
            if (pick(2) && !b.empty())
                b.resize(pick(b.size()));
            else
                b += kBytes[pick(std::size(kBytes))];
            break;
        default:  // another text
            b.clear();
            for (std::size_t n = pick(20); n > 0; --n) b += kBytes[pick(std::size(kBytes))];
            break;
        }
        SCOPED_TRACE(testing::PrintToString(a) + " / " + testing::PrintToString(b));
        const int expected = byRule(a, b);
        const int got = CompareNoCase(a, b);
        ASSERT_EQ((got > 0) - (got < 0), expected);
        ASSERT_EQ(EqualsNoCase(a, b), expected == 0);
    }
}

TEST(SortedListTest, AddStringReturnsThePlaceAndKeepsTheSelectionOnItsItem) {
    CListBox list;
    list.AddString("m");
    EXPECT_EQ(list.SetCurSel(0), 0);
    EXPECT_EQ(list.AddString("a"), 0);
    EXPECT_EQ(list.AddString("z"), 2);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_EQ(list.GetText(list.GetCurSel()), "m");
}

TEST(SortedListTest, SelectionOutsideTheListSelectsNothing) {
    CComboBox list;
    EXPECT_EQ(list.SetCurSel(0), -1);  // index 0 of an empty list
    EXPECT_EQ(list.GetCurSel(), -1);
    EXPECT_EQ(list.GetSelectedText(), "");
    list.AddString("one");
    list.SetCurSel(0);
    list.SetCurSel(5);
    EXPECT_EQ(list.GetCurSel(), -1);
    list.SetCurSel(0);
    list.ResetContent();
    EXPECT_EQ(list.GetCurSel(), -1);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetLBText(0), "");
}

TEST(ComboBoxTest, FindStringExactIgnoresCaseOfAToZOnlyAndSearchesTheWholeList) {
    CComboBox list;
    for (const char* text : {"Kestrel", "Harrow", "\xC4rial", "Nordwind"}) list.AddString(text);
    EXPECT_EQ(list.FindStringExact(0, "kestrel"), list.FindStringExact(0, "Kestrel"));
    EXPECT_EQ(list.GetLBText(list.FindStringExact(0, "HARROW")), "Harrow");
    EXPECT_EQ(list.FindStringExact(3, "harrow"), 0);  // the start index does not limit the search
    EXPECT_EQ(list.FindStringExact(0, "\xE4rial"), -1);
    EXPECT_EQ(list.FindStringExact(0, "Kestre"), -1);
    EXPECT_EQ(list.FindStringExact(0, ""), -1);

    // A caller that adds only after a failed find keeps the first of the
    // texts that differ only in case.
    for (const char* text : {"Swift", "SWIFT", "swift"})
        if (list.FindStringExact(0, text) == -1) list.AddString(text);
    EXPECT_EQ(list.GetLBText(list.FindStringExact(0, "swift")), "Swift");
    EXPECT_EQ(list.GetCount(), 5);
}

TEST(ListBoxTest, FindStringFindsTheNextItemBeginningWithThePrefixAndWrapsRound) {
    CListBox list;
    for (const char* text : {"alpha tug", "Blue K1", "bravo", "Glider", "\xC9" "cho", "\xE9t\xE9"}) list.AddString(text);
    ASSERT_EQ(list.Items(), (Items{"alpha tug", "Blue K1", "bravo", "Glider", "\xC9" "cho", "\xE9t\xE9"}));
    struct Case {
        int startAfter;
        const char* prefix;
        int found;
    };
    for (const Case& c : std::vector<Case>{
             {-1, "b", 1},        // from the top
             {1, "b", 2},         // the next after the start
             {2, "B", 1},         // wraps round to the top, whatever the case
             {0, "G", 3},
             {3, "g", 3},         // the start itself, last
             {-1, "bl", 1},       // a longer prefix
             {1, "BR", 2},
             {-1, "x", -1},       // no item begins with it
             {-1, "\xC9", 4},     // bytes outside A to Z must be equal
             {-1, "\xE9", 5},
             {-1, "alpha tug!", -1},
             {-1, "", -1},
             {6, "a", 0},         // a start outside the list searches from the top
             {-7, "g", 3},
         })
        EXPECT_EQ(list.FindString(c.startAfter, c.prefix), c.found) << c.startAfter << " \"" << c.prefix << "\"";
    EXPECT_EQ(CListBox().FindString(-1, "a"), -1);
}

TEST(ListBoxTest, SelectStringSelectsWhatFindStringFindsAndKeepsTheSelectionWhenNothingMatches) {
    CListBox list;
    RecordingObserver observer;
    for (const char* text : {"Kestrel", "Harrow", "harrier"}) list.AddString(text);
    list.SetObserver(&observer);
    EXPECT_EQ(list.SelectString(-1, "h"), 0);
    EXPECT_EQ(list.GetText(list.GetCurSel()), "harrier");
    EXPECT_EQ(list.SelectString(list.GetCurSel(), "h"), 1);
    EXPECT_EQ(list.GetText(list.GetCurSel()), "Harrow");
    EXPECT_EQ(list.SelectString(list.GetCurSel(), "z"), -1);
    EXPECT_EQ(list.GetCurSel(), 1);
    using C = ControlChange;
    EXPECT_EQ(observer.changes, (std::vector<std::pair<C, int>>{{C::Selection, 0}, {C::Selection, 1}}));
}

TEST(SortedListTest, AddStringsGivesWhatAddingOneByOneGives) {
    std::mt19937 random(7);
    const Items words = {"a", "A", "b", "B", "ab", "Ab", "", "_", "\xE9", "aa", "AA"};
    for (int round = 0; round < 200; ++round) {
        CListBox one, batch;
        Items initial, added;
        for (int i = random() % 6; i > 0; --i) initial.push_back(words[random() % words.size()]);
        for (int i = random() % 12; i > 0; --i) added.push_back(words[random() % words.size()]);
        for (const auto& text : initial) {
            one.AddString(text);
            batch.AddString(text);
        }
        const int selected = initial.empty() ? -1 : static_cast<int>(random() % initial.size());
        one.SetCurSel(selected);
        batch.SetCurSel(selected);
        for (const auto& text : added) one.AddString(text);
        batch.AddStrings(added);
        ASSERT_EQ(batch.Items(), one.Items()) << "round " << round;
        ASSERT_EQ(batch.GetCurSel(), one.GetCurSel()) << "round " << round;
    }
}

TEST(ControlObserverTest, SeesEveryChangeOfTheProgram) {
    CComboBox list;
    RecordingObserver observer;
    list.SetObserver(&observer);
    list.AddString("b");
    list.AddString("a");
    list.SetCurSel(1);
    list.AddStrings({"c", "d"});
    list.ResetContent();
    using C = ControlChange;
    EXPECT_EQ(observer.changes, (std::vector<std::pair<C, int>>{
                                    {C::ItemInserted, 0}, {C::ItemInserted, 0}, {C::Selection, 1},
                                    {C::ItemsAdded, -1}, {C::Reset, -1}}));
}

TEST(EditTest, GetWindowTextKeepsCountLessOneCharacters) {
    CEdit edit;
    edit.SetWindowText(std::string(120, 'x'));
    EXPECT_EQ(edit.GetWindowText(99).size(), 98u);
    EXPECT_EQ(edit.GetWindowText(254).size(), 120u);
    EXPECT_EQ(edit.GetWindowText(1), "");
    EXPECT_EQ(edit.GetWindowText(0), "");
    edit.SetWindowText("\xE9 ok");
    EXPECT_EQ(edit.GetWindowText(99), "\xE9 ok");
}

TEST(ControlTest, BindingKeepsTheFirstId) {
    CStatic picture;
    EXPECT_FALSE(picture.IsBound());
    picture.Bind(1014);
    picture.Bind(1002);
    EXPECT_EQ(picture.GetDlgCtrlID(), 1014);
}

}  // namespace
}  // namespace qm
