// Start-up: the application object, the simulator root derived from the
// current directory, and the main window's first state.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/quillmarsh_app.h"
#include "main_window.h"

namespace qm::test {
namespace {

void AddDemoAircraft(SimFolder& sim) {
    sim.AddAircraft("Kestrel", {{"Kestrel K1 Blue", "Kestrel", "K1", "Blue", "b", true, true},
                                {"Kestrel K1 Amber", "Kestrel", "K1", "Amber", "a", true, true}});
    sim.AddAircraft("Aviatik", {{"Aviatik Glider", "aviatik", "Glider", "White", "", true, true}});
    sim.WriteCategories(CrlfLines({"[Trainers]", "aircraft0.title=Aviatik Glider", "aircraft0.thumbnail=",
                                   "aircraft0.displayName=Glider", "[Airliners]",
                                   "aircraft0.title=Kestrel K1 Blue", "aircraft0.thumbnail=",
                                   "aircraft0.displayName=Blue K1"}));
}

TEST(StartupTest, NormalStartShowsTheFirstOfEverything) {
    SimFolder sim;
    AddDemoAircraft(sim);
    MainWindow w(sim);
    EXPECT_EQ(w.dialog.SimulatorRoot(), sim.Root());
    EXPECT_EQ(w.Selected(w.dialog.ManufacturerList()), "aviatik");
    EXPECT_EQ(w.Selected(w.dialog.ModelList()), "Glider");
    EXPECT_EQ(w.Selected(w.dialog.VariationList()), "White");
    ASSERT_NE(w.dialog.ShownBitmap(), nullptr);
    EXPECT_FALSE(IsNoThumbnailPicture(w.dialog.ShownBitmap()));
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "");
    EXPECT_EQ(w.Selected(w.dialog.CategoryList()), "Airliners");
    EXPECT_EQ(w.Items(w.dialog.EntryList()), (Items{"Blue K1"}));
    EXPECT_EQ(w.dialog.EntryList().GetCurSel(), -1);
    EXPECT_TRUE(w.host.Boxes().empty());

    CMenu* menu = w.dialog.GetSystemMenu(false);
    ASSERT_NE(menu, nullptr);
    ASSERT_GE(menu->Items().size(), 2u);
    const auto& items = menu->Items();
    EXPECT_EQ(items[items.size() - 2].flags, MF_SEPARATOR);
    EXPECT_EQ(items.back().text, "&About Quillmarsh...");
    EXPECT_EQ(items.back().id, AboutCommand);
    ASSERT_NE(w.dialog.GetIcon(true), nullptr);
    EXPECT_EQ(w.dialog.GetIcon(true), w.dialog.GetIcon(false));
    EXPECT_EQ(w.dialog.GetIcon(true)->images.size(), 3u);
}

// The root is the current directory less its last 26 characters, whatever
// they are.
TEST(StartupTest, RootIsTheCurrentDirectoryLessItsLast26Characters) {
    TempDir dir;
    const std::string tail = "/abcdefghijklmnopqrstuvwxy";  // 26 characters
    ASSERT_EQ(tail.size(), 26u);
    MakeDirs(dir.Path() + "/sim" + tail);
    ScriptedHost host;
    CurrentDirectory cwd(dir.Path() + "/sim" + tail);
    CQuillmarshDlg dialog;
    host.Open(dialog);
    EXPECT_EQ(dialog.SimulatorRoot(), dir.Path() + "/sim");
    EXPECT_FALSE(dialog.HasEnded());
    EXPECT_TRUE(host.Boxes().empty());
    host.Close(dialog);
}

TEST(StartupTest, CompanionFolderInOtherCaseStillFindsAircraftAndCategories) {
    TempDir dir;
    const std::string root = dir.Path() + "/sim";
    WriteFile(root + "/aircraft/A/AIRCRAFT.CFG",
              "[FLTSIM.0]\r\nTitle=T\r\nUI_Manufacturer=M\r\nui_type=Mo\r\nui_variation=V\r\n");
    WriteFile(root + "/trevolan/brindlecotharbor/quillmarsh.cfg", "[Cat]\r\naircraft0.displayName=D\r\n");
    ScriptedHost host;
    CurrentDirectory cwd(root + "/trevolan/brindlecotharbor");
    CQuillmarshDlg dialog;
    host.Open(dialog);
    EXPECT_EQ(dialog.Catalogue().Count(), 1);
    EXPECT_EQ(dialog.EntryList().Items(), (Items{"D"}));
    host.Close(dialog);
}

TEST(StartupTest, ShortCurrentDirectoryIsRefusedWithAMessage) {
    ScriptedHost host;
    CurrentDirectory cwd("/tmp");
    CQuillmarshDlg dialog;
    host.Open(dialog);
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_NE(host.Boxes()[0].text.find("Trevolan/Brindlecotharbor"), std::string::npos);
    EXPECT_EQ(host.Boxes()[0].caption, "Error");
    EXPECT_TRUE(dialog.HasEnded());
    EXPECT_EQ(dialog.ModalResult(), IDCANCEL);
    host.Close(dialog);
}

TEST(StartupTest, InitInstanceRunsTheMainWindowModallyAndEndsTheApplication) {
    SimFolder sim;
    AddDemoAircraft(sim);
    CurrentDirectory cwd(sim.Companion());
    ScriptedHost host;
    std::string seenManufacturer;
    CDialog* seenMain = nullptr;
    CQuillmarshApp app;
    host.OnNextModal([&](CDialog& dialog) {
        auto& main = dynamic_cast<CQuillmarshDlg&>(dialog);
        seenManufacturer = main.ManufacturerList().GetSelectedText();
        seenMain = app.mainWindow;
        EXPECT_EQ(seenMain, &dialog);
        host.AnswerNextBox(IDYES);
        PressEscape(dialog);
    });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(host.ModalRuns(), 1);
    EXPECT_EQ(seenManufacturer, "aviatik");
    EXPECT_EQ(app.mainWindow, nullptr);
    ASSERT_EQ(host.Boxes().size(), 1u);
    EXPECT_EQ(host.Boxes()[0].text, "Do you really want to exit?");
    EXPECT_EQ(AfxWinMain(), 0) << "a failed modal run ends the program the same way";
}

}  // namespace
}  // namespace qm::test
