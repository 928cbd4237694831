// The real main window on wxWidgets, started from the companion folder of a
// small simulator folder: what its widgets show after start-up, how a pick
// cascades, the exit question, the about box and the new-category dialog.
// Run under Xvfb.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "gui/main_window_fixture.h"
#include "gui/wx_gui_support.h"
#include "platform/bitmap.h"
#include "platform/wx/wx_codec.h"
#include "support/sim_fixture.h"
#include "ui/quillmarsh_dlg.h"
#include "ui/resource.h"

namespace qm::test {
namespace {

using wxtest::GuiHost;
using wxtest::MessageBoxScript;
using Items = std::vector<std::string>;

// Two makers; "aviatik" is spelt in lower case and still sorts first.
const Livery kGlider{"Aviatik Glider White", "aviatik", "Glider", "White", "", true, true};
const Livery kTug{"Aviatik Tug Yellow", "aviatik", "Tug", "Yellow", "y", true, true};
const Livery kBlue{"Kestrel K1 Blue", "Kestrel", "K1", "Blue", "b", true, true};
const Livery kAmber{"Kestrel K1 Amber", "Kestrel", "K1", "Amber", "a", true, false};  // no thumbnail
const Livery kRed{"Kestrel K2 Red", "Kestrel", "K2", "Red", "r", true, true};

const std::string kCategories = CrlfLines({
    "[Trainers]",
    "aircraft0.title=Aviatik Glider White",
    "aircraft0.thumbnail=",
    "aircraft0.displayName=Glider",
    "",
    "[Airliners]",
    "aircraft0.title=Kestrel K1 Blue",
    "aircraft0.thumbnail=",
    "aircraft0.displayName=Blue K1",
    "aircraft1.title=Kestrel K2 Red",
    "aircraft1.thumbnail=",
    "aircraft1.displayName=alpha red",
});

const Items kFirstEntries{"alpha red", "Blue K1"};  // of "Airliners"

bool SamePixels(const BitmapHandle& a, const BitmapHandle& b) {
    if (!a || !b) return !a && !b;
    return a->width == b->width && a->height == b->height && a->rgb == b->rgb;
}

// The labels of the window's widgets of kind T, in creation order.
template <class T>
Items LabelsOf(wxDialog& window) {
    Items labels;
    for (wxWindow* child : window.GetChildren())
        if (dynamic_cast<T*>(child) != nullptr) labels.push_back(ToCp1252(child->GetLabel()));
    return labels;
}

// The key lines of one section of a category file's bytes, in file order.
Items SectionLines(const std::string& bytes, const std::string& section) {
    Items lines;
    bool inside = false;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        if (inside && !line.empty()) lines.push_back(line);
    }
    return lines;
}

// Centres of two windows on the screen, at most a pixel apart.
void ExpectCentredOver(const wxWindow& window, const wxWindow& owner) {
    const wxRect inner = window.GetScreenRect();
    const wxRect outer = owner.GetScreenRect();
    EXPECT_LE(std::abs((inner.x + inner.width / 2) - (outer.x + outer.width / 2)), 1);
    EXPECT_LE(std::abs((inner.y + inner.height / 2) - (outer.y + outer.height / 2)), 1);
}

class MainWindowGui : public MainWindowFixture {
protected:
    MainWindowGui() {
        sim_.AddAircraft("Aviatik", {kGlider, kTug});
        sim_.AddAircraft("Kestrel", {kBlue, kAmber, kRed});
        sim_.WriteCategories(kCategories);
    }

    BitmapHandle Thumbnail(const std::string& folder, const Livery& livery) const {
        return LoadImageFromFile(sim_.ThumbnailPath(folder, livery));
    }

    // Every widget shows what its control object holds.
    void ExpectMirrors(wxDialog& window) {
        struct List {
            int id;
            SortedItemList& control;
        };
        const List lists[] = {
            {IDC_MANUFACTURER, dialog_.ManufacturerList()}, {IDC_MODEL, dialog_.ModelList()},
            {IDC_VARIATION, dialog_.VariationList()},       {IDC_CATEGORY, dialog_.CategoryList()},
            {IDC_ENTRY_LIST, dialog_.EntryList()},
        };
        for (const List& list : lists) {
            SCOPED_TRACE(testing::Message() << "list " << list.id);
            EXPECT_EQ(wxtest::ShownItems(window, list.id), list.control.Items());
            EXPECT_EQ(wxtest::ShownSelection(window, list.id), list.control.GetCurSel());
        }
        EXPECT_EQ(wxtest::ShownText(window, IDC_DISPLAY_NAME), dialog_.DisplayNameBox().Text());
        EXPECT_EQ(wxtest::ShownPicture(window, IDC_THUMBNAIL), dialog_.ShownBitmap());
    }

    void ExpectShown(wxDialog& window, int id, const Items& items, int selection) {
        SCOPED_TRACE(testing::Message() << "control " << id);
        EXPECT_EQ(wxtest::ShownItems(window, id), items);
        EXPECT_EQ(wxtest::ShownSelection(window, id), selection);
    }

};

// ---- Start-up ------------------------------------------------------------------------------

TEST_F(MainWindowGui, AfterStartUpEveryWidgetShowsWhatItsControlHolds) {
    gui_.Then([&](wxDialog& window, CDialog&) {
        ExpectMirrors(window);
        ExpectShown(window, IDC_MANUFACTURER, {"aviatik", "Kestrel"}, 0);
        ExpectShown(window, IDC_MODEL, {"Glider", "Tug"}, 0);
        ExpectShown(window, IDC_VARIATION, {"White"}, 0);
        ExpectShown(window, IDC_CATEGORY, {"Airliners", "Trainers"}, 0);
        ExpectShown(window, IDC_ENTRY_LIST, kFirstEntries, -1);
        EXPECT_EQ(wxtest::ShownText(window, IDC_DISPLAY_NAME), "");
        EXPECT_TRUE(SamePixels(wxtest::ShownPicture(window, IDC_THUMBNAIL), Thumbnail("Aviatik", kGlider)));

        EXPECT_EQ(ToCp1252(window.GetTitle()), "Quillmarsh");
        EXPECT_EQ(LabelsOf<wxStaticBox>(window), (Items{"Flight Sim Aircrafts", "Brindlecotharbor"}));
        EXPECT_EQ(LabelsOf<wxStaticText>(window),
                  (Items{"Manufacturer", "Model", "Variation", "Display Name", "Category"}));
        struct Button {
            int id;
            const char* text;
        };
        const Button buttons[] = {
            {IDOK, "Close"},          {IDC_AUTO_FILL, "Auto-Fill"},         {IDC_ADD, "<< Add"},
            {IDC_REMOVE, "> Remove"}, {IDC_REFRESH, "Refresh"},             {IDC_ADD_IN_NEW, "< Add in New..."},
            {IDC_UPDATE, "Update"},   {IDC_DELETE_CATEGORY, "Delete Category"},
        };
        for (const Button& button : buttons) {
            EXPECT_NE(dynamic_cast<wxButton*>(wxtest::FindControlWidget(window, button.id)), nullptr) << button.text;
            EXPECT_EQ(wxtest::ShownText(window, button.id), button.text);
        }
        EXPECT_EQ(LabelsOf<wxButton>(window).size(), std::size(buttons));
        EXPECT_EQ(wxtest::FocusedControlId(window), IDOK);
        EXPECT_TRUE(boxes_.Boxes().empty());
        Leave(window);
    });
    EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
    EXPECT_EQ(gui_.WindowsShown(), 1);
}

// ---- The aircraft selection ------------------------------------------------------------------

TEST_F(MainWindowGui, APickInTheManufacturerWidgetCascadesToModelVariationAndPicture) {
    gui_.Then([&](wxDialog& window, CDialog&) {
        wxtest::TypeText(window, IDC_DISPLAY_NAME, "typed");
        ASSERT_TRUE(wxtest::PickText(window, IDC_MANUFACTURER, "Kestrel"));
        ExpectShown(window, IDC_MODEL, {"K1", "K2"}, 0);
        ExpectShown(window, IDC_VARIATION, {"Amber", "Blue"}, 0);
        EXPECT_EQ(wxtest::ShownText(window, IDC_DISPLAY_NAME), "");
        // Amber has no thumbnail: the program's own picture.
        EXPECT_TRUE(SamePixels(wxtest::ShownPicture(window, IDC_THUMBNAIL), LoadBitmapResource(IDB_NOTHUMBNAIL)));
        ExpectMirrors(window);

        ASSERT_TRUE(wxtest::PickText(window, IDC_VARIATION, "Blue"));
        EXPECT_TRUE(SamePixels(wxtest::ShownPicture(window, IDC_THUMBNAIL), Thumbnail("Kestrel", kBlue)));
        ExpectMirrors(window);

        ASSERT_TRUE(wxtest::PickText(window, IDC_MODEL, "K2"));
        ExpectShown(window, IDC_VARIATION, {"Red"}, 0);
        EXPECT_TRUE(SamePixels(wxtest::ShownPicture(window, IDC_THUMBNAIL), Thumbnail("Kestrel", kRed)));
        ExpectMirrors(window);

        wxtest::ClickButton(window, IDC_AUTO_FILL);
        EXPECT_EQ(wxtest::ShownText(window, IDC_DISPLAY_NAME), "Kestrel K2 Red");
        EXPECT_EQ(dialog_.DisplayNameBox().Text(), "Kestrel K2 Red");

        ASSERT_TRUE(wxtest::PickText(window, IDC_MANUFACTURER, "aviatik"));
        ExpectShown(window, IDC_MODEL, {"Glider", "Tug"}, 0);
        ExpectShown(window, IDC_VARIATION, {"White"}, 0);
        EXPECT_TRUE(SamePixels(wxtest::ShownPicture(window, IDC_THUMBNAIL), Thumbnail("Aviatik", kGlider)));
        ExpectMirrors(window);

        // The category lists take no part in the aircraft selection.
        ExpectShown(window, IDC_CATEGORY, {"Airliners", "Trainers"}, 0);
        ExpectShown(window, IDC_ENTRY_LIST, kFirstEntries, -1);
        EXPECT_TRUE(boxes_.Boxes().empty());
        Leave(window);
    });
    EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
}

// ---- The exit question -------------------------------------------------------------------

struct Way {
    const char* name;
    std::function<void(wxDialog&)> act;
    std::intptr_t result;
};

void PrintTo(const Way& way, std::ostream* os) { *os << way.name; }

class MainWindowGuiExit : public MainWindowGui, public ::testing::WithParamInterface<Way> {};

TEST_P(MainWindowGuiExit, AsksTheExitQuestionNoKeepsTheWindowYesEndsIt) {
    const Way& way = GetParam();
    gui_.Then([&](wxDialog& window, CDialog&) {
        ASSERT_TRUE(wxtest::PickText(window, IDC_MANUFACTURER, "Kestrel"));
        wxtest::PickItem(window, IDC_ENTRY_LIST, 1);
        wxtest::TypeText(window, IDC_DISPLAY_NAME, "kept");

        boxes_.Answer(IDNO);
        way.act(window);
        ASSERT_EQ(boxes_.Boxes().size(), 1u);
        const MessageBoxScript::Box& box = boxes_.Boxes()[0];
        EXPECT_EQ(box.text, "Do you really want to exit?");
        EXPECT_EQ(box.caption, "Warning");
        EXPECT_EQ(box.type, static_cast<unsigned>(MB_YESNO));
        EXPECT_TRUE(box.yesDefault);
        EXPECT_EQ(box.parent, &window);
        EXPECT_FALSE(dialog_.HasEnded());
        EXPECT_TRUE(window.IsShown());
        EXPECT_TRUE(window.IsModal());
        EXPECT_EQ(wxtest::ShownText(window, IDC_DISPLAY_NAME), "kept");
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_MANUFACTURER), 1);
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), 1);
        ExpectMirrors(window);

        boxes_.Answer(IDYES);
        way.act(window);
        EXPECT_EQ(boxes_.Boxes().size(), 2u);
        EXPECT_TRUE(dialog_.HasEnded());
    });
    EXPECT_EQ(dialog_.DoModal(), way.result);
    EXPECT_EQ(boxes_.PendingAnswers(), 0);
    EXPECT_EQ(boxes_.Unanswered(), 0);
    // Leaving writes nothing.
    EXPECT_EQ(sim_.ReadCategories(), kCategories);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MainWindowGuiExit,
    ::testing::Values(Way{"Escape", [](wxDialog& w) { wxtest::PressEscape(w); }, IDCANCEL},
                      Way{"CloseBox", [](wxDialog& w) { wxtest::CloseBox(w); }, IDCANCEL},
                      Way{"CloseButton", [](wxDialog& w) { wxtest::ClickButton(w, IDOK); }, IDOK},
                      Way{"EnterInTheDisplayNameBox", [](wxDialog& w) { wxtest::PressEnter(w, IDC_DISPLAY_NAME); },
                          IDOK}),
    [](const ::testing::TestParamInfo<Way>& param) { return std::string(param.param.name); });

// ---- The about box -----------------------------------------------------------------------

TEST_F(MainWindowGui, TheWindowMenuOpensTheAboutBoxCentredOverTheMainWindow) {
    wxtest::WindowMenuScript menus(gui_.Host());
    wxDialog* mainWindow = nullptr;
    gui_.Then([&](wxDialog& window, CDialog&) {
        mainWindow = &window;
        wxtest::TypeText(window, IDC_DISPLAY_NAME, "kept");
        menus.Choose("&About Quillmarsh...");
        wxtest::RightClick(window);
        ASSERT_EQ(menus.Menus().size(), 1u);
        const auto& menu = menus.Menus()[0];
        ASSERT_GE(menu.size(), 2u);
        EXPECT_TRUE(menu[menu.size() - 2].separator);
        EXPECT_EQ(menu.back(), (wxtest::WindowMenuScript::Entry{false, "&About Quillmarsh..."}));
        EXPECT_EQ(gui_.WindowsShown(), 2);
        // The about box leaves the main window as it was.
        EXPECT_EQ(wxtest::ShownText(window, IDC_DISPLAY_NAME), "kept");
        ExpectMirrors(window);
        EXPECT_TRUE(window.IsModal());
        Leave(window);
    });
    gui_.Then([&](wxDialog& window, CDialog& about) {
        EXPECT_EQ(about.TemplateId(), IDD_ABOUTBOX);
        EXPECT_EQ(ToCp1252(window.GetTitle()), "About Quillmarsh");
        EXPECT_EQ(LabelsOf<wxStaticText>(window), Items{"Quillmarsh Version 1.0"});
        EXPECT_EQ(LabelsOf<wxStaticBitmap>(window).size(), 1u);
        EXPECT_EQ(wxtest::ShownText(window, IDOK), "OK");
        ASSERT_NE(mainWindow, nullptr);
        EXPECT_EQ(window.GetParent(), mainWindow);
        ExpectCentredOver(window, *mainWindow);
        wxtest::ClickButton(window, IDOK);
    });
    EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
    EXPECT_EQ(menus.Missed(), 0);
    // Only the exit question: the about box asks nothing.
    EXPECT_EQ(boxes_.Boxes().size(), 1u);
}

// ---- The new-category dialog --------------------------------------------------------------

TEST_F(MainWindowGui, AddInNewCreatesTheCategoryTypedInTheNewCategoryDialog) {
    const std::string thumbnail = sim_.ThumbnailPath("Kestrel", kBlue);
    wxDialog* mainWindow = nullptr;
    gui_.Then([&](wxDialog& window, CDialog&) {
        mainWindow = &window;
        ASSERT_TRUE(wxtest::PickText(window, IDC_MANUFACTURER, "Kestrel"));
        ASSERT_TRUE(wxtest::PickText(window, IDC_VARIATION, "Blue"));
        wxtest::TypeText(window, IDC_DISPLAY_NAME, "My Blue");
        wxtest::ClickButton(window, IDC_ADD_IN_NEW);
        EXPECT_EQ(gui_.WindowsShown(), 2);
        ExpectShown(window, IDC_CATEGORY, {"Airliners", "Gliders", "Trainers"}, 1);
        ExpectShown(window, IDC_ENTRY_LIST, {"My Blue"}, -1);
        ExpectMirrors(window);
        EXPECT_TRUE(boxes_.Boxes().empty());
        Leave(window);
    });
    gui_.Then([&](wxDialog& window, CDialog& newCategory) {
        EXPECT_EQ(newCategory.TemplateId(), IDD_NEW_CATEGORY);
        EXPECT_EQ(ToCp1252(window.GetTitle()), "New Category");
        EXPECT_EQ(LabelsOf<wxStaticText>(window), Items{"Enter new category name"});
        EXPECT_EQ(wxtest::ShownText(window, IDOK), "OK");
        EXPECT_EQ(wxtest::ShownText(window, IDCANCEL), "Cancel");
        wxWindow* ok = wxtest::FindControlWidget(window, IDOK);
        wxWindow* cancel = wxtest::FindControlWidget(window, IDCANCEL);
        ASSERT_NE(ok, nullptr);
        ASSERT_NE(cancel, nullptr);
        EXPECT_GT(ok->GetRect().GetLeft(), cancel->GetRect().GetRight());
        EXPECT_EQ(ok->GetRect().GetTop(), cancel->GetRect().GetTop());
        EXPECT_EQ(wxtest::ShownText(window, IDC_NEW_CATEGORY_NAME), "");
        EXPECT_EQ(wxtest::FocusedControlId(window), IDC_NEW_CATEGORY_NAME);
        ASSERT_NE(mainWindow, nullptr);
        EXPECT_EQ(window.GetParent(), mainWindow);
        ExpectCentredOver(window, *mainWindow);
        wxtest::TypeText(window, IDC_NEW_CATEGORY_NAME, "Gliders");
        // Enter where the focus is, in the name box, acts as OK.
        wxtest::PressEnter(window);
        EXPECT_TRUE(newCategory.HasEnded());
    });
    EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
    EXPECT_EQ(SectionLines(sim_.ReadCategories(), "Gliders"),
              (Items{"aircraft0.title=Kestrel K1 Blue", "aircraft0.thumbnail=" + thumbnail,
                     "aircraft0.displayName=My Blue"}));
    EXPECT_EQ(SectionLines(sim_.ReadCategories(), "Trainers"), SectionLines(kCategories, "Trainers"));
}

TEST_F(MainWindowGui, CancellingTheNewCategoryDialogSelectsTheFirstCategory) {
    struct Cancel {
        const char* way;
        std::function<void(wxDialog&)> act;
    };
    const Cancel cancels[] = {
        {"Cancel", [](wxDialog& w) { wxtest::ClickButton(w, IDCANCEL); }},
        {"Escape", [](wxDialog& w) { wxtest::PressEscape(w); }},
        {"close box", [](wxDialog& w) { wxtest::CloseBox(w); }},
    };
    gui_.Then([&](wxDialog& window, CDialog&) {
        for (const Cancel& cancel : cancels) {
            SCOPED_TRACE(cancel.way);
            ASSERT_TRUE(wxtest::PickText(window, IDC_CATEGORY, "Trainers"));
            ExpectShown(window, IDC_ENTRY_LIST, {"Glider"}, -1);
            wxtest::TypeText(window, IDC_DISPLAY_NAME, "Never added");
            wxtest::ClickButton(window, IDC_ADD_IN_NEW);
            ExpectShown(window, IDC_CATEGORY, {"Airliners", "Trainers"}, 0);
            ExpectShown(window, IDC_ENTRY_LIST, kFirstEntries, -1);
            ExpectMirrors(window);
        }
        EXPECT_TRUE(boxes_.Boxes().empty());
        Leave(window);
    });
    for (const Cancel& cancel : cancels) {
        gui_.Then([&](wxDialog& window, CDialog& newCategory) {
            EXPECT_EQ(newCategory.TemplateId(), IDD_NEW_CATEGORY);
            wxtest::TypeText(window, IDC_NEW_CATEGORY_NAME, "Never");
            cancel.act(window);
            EXPECT_TRUE(newCategory.HasEnded());
        });
    }
    EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
    EXPECT_EQ(gui_.WindowsShown(), 1 + static_cast<int>(std::size(cancels)));
    EXPECT_EQ(sim_.ReadCategories(), kCategories);
}

// ---- A start from the wrong folder -------------------------------------------------------------

// A current directory shorter than the companion folder's path: the program
// says where it must be started, and the window ends during its own
// initialisation without ever being shown.
TEST(MainWindowGuiStart, FromAFolderShorterThanTheCompanionPathItExplainsAndNeverShowsTheWindow) {
    GuiHost gui;
    MessageBoxScript boxes;
    CurrentDirectory cwd("/");
    CQuillmarshDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(gui.WindowsShown(), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Error");
    EXPECT_NE(boxes.Boxes()[0].text.find("Trevolan/Brindlecotharbor"), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_EQ(dialog.ManufacturerList().GetCount(), 0);
}

}  // namespace
}  // namespace qm::test
