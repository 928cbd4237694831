// The cascading manufacturer, model and variation lists, the thumbnail they
// show, Auto-Fill and Refresh, driven as a person would.
#include <gtest/gtest.h>

#include <filesystem>

#include "main_window.h"

namespace qm::test {
namespace {

Livery L(std::string title, std::string manufacturer, std::string model, std::string variation,
         std::string texture = "", bool thumbnail = true) {
    return {std::move(title), std::move(manufacturer), std::move(model), std::move(variation),
            std::move(texture), true, thumbnail};
}

class SelectionTest : public ::testing::Test {
protected:
    SimFolder sim_;
};

TEST_F(SelectionTest, EmptyAircraftFolderLeavesListsEmptyAndShowsNoThumbnailPicture) {
    MainWindow w(sim_);
    EXPECT_TRUE(w.dialog.ManufacturerList().Items().empty());
    EXPECT_TRUE(w.dialog.ModelList().Items().empty());
    EXPECT_TRUE(w.dialog.VariationList().Items().empty());
    EXPECT_EQ(w.dialog.ManufacturerList().GetCurSel(), -1);
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "");
    EXPECT_TRUE(IsNoThumbnailPicture(w.dialog.Thumbnail().GetBitmap()));
    EXPECT_EQ(w.dialog.Thumbnail().GetBitmap(), w.dialog.ShownBitmap());
}

TEST_F(SelectionTest, MissingAircraftFolderBehavesAsEmpty) {
    std::filesystem::remove_all(sim_.Aircraft());
    MainWindow w(sim_);
    EXPECT_TRUE(w.dialog.ManufacturerList().Items().empty());
    EXPECT_TRUE(IsNoThumbnailPicture(w.dialog.ShownBitmap()));
    EXPECT_TRUE(w.host.Boxes().empty());
}

TEST_F(SelectionTest, StartSelectsAlphabeticallyFirstOfEachListAndShowsItsThumbnail) {
    sim_.AddAircraft("Zeta", {L("Zeta Z1", "zephyr", "Z1", "Blue", "1")});
    sim_.AddAircraft("Alpha", {L("Alpha B", "Aviatik", "Trainer", "Red", "red"),
                               L("Alpha A", "Aviatik", "Glider", "White", "white"),
                               L("Alpha C", "Aviatik", "Glider", "Black", "black")});
    MainWindow w(sim_);
    EXPECT_EQ(w.Items(w.dialog.ManufacturerList()), (Items{"Aviatik", "zephyr"}));
    EXPECT_EQ(w.Selected(w.dialog.ManufacturerList()), "Aviatik");
    EXPECT_EQ(w.Items(w.dialog.ModelList()), (Items{"Glider", "Trainer"}));
    EXPECT_EQ(w.Selected(w.dialog.ModelList()), "Glider");
    EXPECT_EQ(w.Items(w.dialog.VariationList()), (Items{"Black", "White"}));
    EXPECT_EQ(w.Selected(w.dialog.VariationList()), "Black");
    const BitmapHandle& shown = w.dialog.ShownBitmap();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->width, 8);  // the fixture's thumbnails are 8 x 6
    EXPECT_EQ(shown->rgb[0], 80); // the third livery's colour (2 * 40)
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "");
}

TEST_F(SelectionTest, PickingCascadesDownToThePictureAndEmptiesTheDisplayName) {
    sim_.AddAircraft("A", {L("A1", "Kestrel", "K1", "Blue", "b"), L("A2", "Kestrel", "K2", "Green", "g")});
    sim_.AddAircraft("B", {L("B1", "Nordwind", "N1", "Grey", "", false)});
    MainWindow w(sim_);

    TypeText(w.dialog, IDC_DISPLAY_NAME, "typed");
    ASSERT_TRUE(PickText(w.dialog, IDC_MANUFACTURER, "Nordwind"));
    EXPECT_EQ(w.Items(w.dialog.ModelList()), (Items{"N1"}));
    EXPECT_EQ(w.Items(w.dialog.VariationList()), (Items{"Grey"}));
    EXPECT_TRUE(IsNoThumbnailPicture(w.dialog.ShownBitmap()));
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "");

    ASSERT_TRUE(PickText(w.dialog, IDC_MANUFACTURER, "Kestrel"));
    TypeText(w.dialog, IDC_DISPLAY_NAME, "typed");
    ASSERT_TRUE(PickText(w.dialog, IDC_MODEL, "K2"));
    EXPECT_EQ(w.Selected(w.dialog.ModelList()), "K2");  // the model list is not refilled
    EXPECT_EQ(w.Items(w.dialog.VariationList()), (Items{"Green"}));
    ASSERT_NE(w.dialog.ShownBitmap(), nullptr);
    EXPECT_EQ(w.dialog.ShownBitmap()->rgb[0], 40);  // the second livery of A
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "");

    TypeText(w.dialog, IDC_DISPLAY_NAME, "typed");
    PickItem(w.dialog, IDC_VARIATION, 0);
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "");
}

TEST_F(SelectionTest, ModelsThatDifferOnlyInCaseShowOnceAndListTheVariationsOfBoth) {
    sim_.AddAircraft("A", {L("A1", "Kestrel", "Swift", "One"), L("A2", "Kestrel", "SWIFT", "Two")});
    MainWindow w(sim_);
    EXPECT_EQ(w.Items(w.dialog.ModelList()), (Items{"Swift"}));
    EXPECT_EQ(w.Items(w.dialog.VariationList()), (Items{"One", "Two"}));
}

TEST_F(SelectionTest, CaseIsFoldedForAToZOnly) {
    // 0xC4 and 0xE4 are the two cases of one letter in the 8-bit code page,
    // which the program does not fold.
    sim_.AddAircraft("A", {L("A1", "\xC4rial", "M", "V1")});
    sim_.AddAircraft("B", {L("B1", "\xE4rial", "M", "V2")});
    MainWindow w(sim_);
    ASSERT_EQ(w.dialog.ManufacturerList().GetCount(), 2);
    for (int i = 0; i < 2; ++i) {
        PickItem(w.dialog, IDC_MANUFACTURER, i);
        EXPECT_EQ(w.dialog.VariationList().GetCount(), 1) << "manufacturer " << i;
    }
}

TEST_F(SelectionTest, EmptyValuesAreItemsThatAreSelectedAndMatched) {
    WriteFile(sim_.Aircraft() + "/A/aircraft.cfg",
              "[fltsim.0]\r\ntitle=Anon\r\nui_manufacturer=Kestrel\r\nui_type=\r\nui_variation=\r\n"
              "texture=x\r\n");
    WriteFile(sim_.Aircraft() + "/A/texture.x/thumbnail.bmp", SmallBmp(4, 4));
    MainWindow w(sim_);
    EXPECT_EQ(w.Items(w.dialog.ModelList()), (Items{""}));
    EXPECT_EQ(w.dialog.ModelList().GetCurSel(), 0);
    EXPECT_EQ(w.Items(w.dialog.VariationList()), (Items{""}));
    ASSERT_NE(w.dialog.ShownBitmap(), nullptr);
    EXPECT_FALSE(IsNoThumbnailPicture(w.dialog.ShownBitmap()));
}

TEST_F(SelectionTest, EqualRecordsShowTheFirstRecordsPictureEvenWithoutAThumbnail) {
    sim_.AddAircraft("A", {L("First", "Kestrel", "K1", "Blue", "", false)});
    sim_.AddAircraft("B", {L("Second", "Kestrel", "K1", "Blue", "b")});
    MainWindow w(sim_);
    EXPECT_EQ(w.Items(w.dialog.VariationList()), (Items{"Blue"}));
    EXPECT_TRUE(IsNoThumbnailPicture(w.dialog.ShownBitmap()));
}

TEST_F(SelectionTest, ManufacturerWithoutCompleteRecordGivesEmptyListsAndNoThumbnailPicture) {
    // A section without ui_type still lists its manufacturer.
    sim_.AddAircraft("A", {{"Half", "Aardvark", "", "", "", true, false}});
    sim_.AddAircraft("B", {L("B1", "Kestrel", "K1", "Blue", "b")});
    MainWindow w(sim_);
    EXPECT_EQ(w.Selected(w.dialog.ManufacturerList()), "Aardvark");
    EXPECT_TRUE(w.dialog.ModelList().Items().empty());
    EXPECT_TRUE(w.dialog.VariationList().Items().empty());
    EXPECT_TRUE(IsNoThumbnailPicture(w.dialog.ShownBitmap()));
}

TEST_F(SelectionTest, AutoFillJoinsTheThreeSelectionsWithSingleSpaces) {
    sim_.AddAircraft("A", {L("A1", "Kestrel Works", "K 1", " Blue ", "b")});
    sim_.AddAircraft("B", {{"Half", "Aardvark", "", "", "", true, false}});
    MainWindow w(sim_);
    ASSERT_TRUE(PickText(w.dialog, IDC_MANUFACTURER, "Kestrel Works"));
    const BitmapHandle before = w.dialog.ShownBitmap();
    ClickButton(w.dialog, IDC_AUTO_FILL);
    // The reader trims the value's blanks: " Blue " is stored as "Blue".
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "Kestrel Works K 1 Blue");
    EXPECT_EQ(w.dialog.ShownBitmap(), before);  // no list and no picture changes

    ASSERT_TRUE(PickText(w.dialog, IDC_MANUFACTURER, "Aardvark"));
    ClickButton(w.dialog, IDC_AUTO_FILL);
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "Aardvark  ");
}

TEST_F(SelectionTest, AutoFillWithAllListsEmptyGivesTwoSpaces) {
    MainWindow w(sim_);
    ClickButton(w.dialog, IDC_AUTO_FILL);
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "  ");
}

TEST_F(SelectionTest, RefreshKeepsGoneManufacturersAndStartsAgainFromTheFirst) {
    sim_.AddAircraft("A", {L("A1", "Aviatik", "A1", "Red", "r")});
    sim_.AddAircraft("B", {L("B1", "Kestrel", "K1", "Blue", "b")});
    sim_.WriteCategories(CrlfLines({"[Trainers]", "aircraft0.title=A1", "aircraft0.thumbnail=",
                                    "aircraft0.displayName=Red one"}));
    MainWindow w(sim_);
    PickItem(w.dialog, IDC_ENTRY_LIST, 0);
    ASSERT_TRUE(PickText(w.dialog, IDC_MANUFACTURER, "Kestrel"));
    TypeText(w.dialog, IDC_DISPLAY_NAME, "typed");

    std::filesystem::remove_all(sim_.Aircraft() + "/A");
    ClickButton(w.dialog, IDC_REFRESH);
    EXPECT_EQ(w.Items(w.dialog.ManufacturerList()), (Items{"Aviatik", "Kestrel"}));
    EXPECT_EQ(w.dialog.ManufacturerList().GetCurSel(), 0);
    EXPECT_EQ(w.dialog.Catalogue().Count(), 1);
    EXPECT_TRUE(w.dialog.ModelList().Items().empty());
    EXPECT_TRUE(IsNoThumbnailPicture(w.dialog.ShownBitmap()));
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "");
    // The category side keeps its state.
    EXPECT_EQ(w.Items(w.dialog.EntryList()), (Items{"Red one"}));
    EXPECT_EQ(w.dialog.EntryList().GetCurSel(), 0);
    EXPECT_EQ(w.Selected(w.dialog.CategoryList()), "Trainers");
}

TEST_F(SelectionTest, ThumbnailDeletedAfterTheScanShowsAnEmptyPictureUntilRefresh) {
    const Livery livery = L("A1", "Kestrel", "K1", "Blue", "b");
    sim_.AddAircraft("A", {livery});
    MainWindow w(sim_);
    ASSERT_NE(w.dialog.ShownBitmap(), nullptr);
    std::filesystem::remove(sim_.ThumbnailPath("A", livery));

    PickItem(w.dialog, IDC_VARIATION, 0);
    EXPECT_EQ(w.dialog.ShownBitmap(), nullptr);
    EXPECT_EQ(w.dialog.Thumbnail().GetBitmap(), nullptr);

    ClickButton(w.dialog, IDC_REFRESH);
    EXPECT_TRUE(IsNoThumbnailPicture(w.dialog.ShownBitmap()));
}

TEST_F(SelectionTest, EveryShowLoadsANewBitmap) {
    sim_.AddAircraft("A", {L("A1", "Kestrel", "K1", "Blue", "", false)});
    MainWindow w(sim_);
    const BitmapHandle first = w.dialog.ShownBitmap();
    PickItem(w.dialog, IDC_VARIATION, 0);
    ASSERT_TRUE(IsNoThumbnailPicture(w.dialog.ShownBitmap()));
    EXPECT_NE(w.dialog.ShownBitmap(), first);
}

}  // namespace
}  // namespace qm::test
