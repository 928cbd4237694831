// The main window's layout and what assistive technologies read of it, seen
// in the toolkit's own terms (GTK): every control lies inside the window and
// none overlaps another, every text shows whole in its control, each one-line
// label stands on the text line of the control it names and is tied to that
// control, and the entry list has a name.
//
// The same checks run at the desktop's default font setting and, each in a
// run of this test program on a virtual display of its own, at 144 and 192
// dpi font settings (Xft.dpi in the display's X resources, which GTK reads;
// GDK_DPI_SCALE has the same effect) and at GTK's scale factor 2.
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "gui/child_process.h"
#include "gui/wx_gui_support.h"
#include "platform/dialog_template.h"
#include "platform/wx/wx_codec.h"
#include "platform/wx/wx_layout.h"
#include "platform/wx/wx_units.h"
#include "support/sim_fixture.h"
#include "support/temp_dir.h"
#include "ui/quillmarsh_dlg.h"
#include "ui/resource.h"

namespace qm::test {
namespace {

using wxtest::GuiHost;
using wxtest::MessageBoxScript;

// Set in a run at another display setting: its name, and the default
// setting's base units ("7x13") that the run's units are compared with.
constexpr const char* kSettingVariable = "QM_TEST_DISPLAY_SETTING";
constexpr const char* kDefaultBaseVariable = "QM_TEST_DEFAULT_BASE";
// Set in a run at another setting: how many times larger than the default
// setting's the font is drawn (1 at a scale factor: GTK scales the pixels).
constexpr const char* kFontScaleVariable = "QM_TEST_FONT_SCALE";
constexpr const char* kWindowScaleVariable = "QM_TEST_WINDOW_SCALE";

bool AtAnotherSetting() { return std::getenv(kSettingVariable) != nullptr; }

// ---- Which control a label names -----------------------------------------------------

// The text of the label at `index`, and the id (or text) of what it names.
std::string Named(const DialogTemplate& dialogTemplate, std::size_t index) {
    const int named = NamedControl(dialogTemplate, index);
    if (named < 0) return "nothing";
    const ControlTemplate& control = dialogTemplate.controls[static_cast<std::size_t>(named)];
    return std::to_string(control.id);
}

TEST(TemplateLabels, NameTheInputControlBesideThemOrRightBelowThem) {
    RegisterQuillmarshResources();
    struct Case {
        int templateId;
        std::string label;
        std::string named;
    };
    const Case cases[] = {
        // On the label's line, on its right; never the button further on.
        {IDD_QUILLMARSH_DIALOG, "Manufacturer", std::to_string(IDC_MANUFACTURER)},
        {IDD_QUILLMARSH_DIALOG, "Model", std::to_string(IDC_MODEL)},
        {IDD_QUILLMARSH_DIALOG, "Variation", std::to_string(IDC_VARIATION)},
        {IDD_QUILLMARSH_DIALOG, "Display Name", std::to_string(IDC_DISPLAY_NAME)},
        {IDD_QUILLMARSH_DIALOG, "Category", std::to_string(IDC_CATEGORY)},
        // Right below the label, though the template lists it first.
        {IDD_NEW_CATEGORY, "Enter new category name", std::to_string(IDC_NEW_CATEGORY_NAME)},
        // A text beside a button names nothing.
        {IDD_ABOUTBOX, "Quillmarsh Version 1.0", "nothing"},
    };
    for (const Case& c : cases) {
        const DialogTemplate* dialogTemplate = FindDialogTemplate(c.templateId);
        ASSERT_NE(dialogTemplate, nullptr);
        bool found = false;
        for (std::size_t i = 0; i < dialogTemplate->controls.size(); ++i) {
            if (dialogTemplate->controls[i].kind != ControlKind::Label || dialogTemplate->controls[i].text != c.label)
                continue;
            found = true;
            EXPECT_EQ(Named(*dialogTemplate, i), c.named) << c.label;
        }
        EXPECT_TRUE(found) << c.label;
    }
}

TEST(TemplateLabels, AreReadOnTheirOwnLineAndTheNearestControlWins) {
    using K = ControlKind;
    const DialogTemplate form{
        9201, "form", "MS Shell Dlg", 8, 200, 200, false, false,
        {
            {K::Label, 0, "Near", 5, 10, 40, 10},
            {K::Edit, 11, "", 120, 10, 40, 14, true},
            {K::DropDownList, 12, "", 50, 8, 60, 100, true},
            // Beside the drop-down's open list only: not on its line.
            {K::Label, 0, "Under the box", 5, 30, 40, 10},
            // Below, but too far below to be its label.
            {K::Label, 0, "Far above", 5, 60, 40, 8},
            {K::ListBox, 13, "", 5, 90, 100, 50, true},
            // Beside a button and another label only.
            {K::Label, 0, "Lonely", 5, 150, 40, 10},
            {K::PushButton, 14, "Go", 50, 150, 40, 14, true},
            {K::Label, 0, "Other", 95, 150, 40, 10},
            {K::GroupBox, 0, "Outer", 2, 85, 190, 100},
            {K::GroupBox, 0, "Inner", 3, 88, 110, 60},
        }};
    EXPECT_EQ(Named(form, 0), "12");
    EXPECT_EQ(Named(form, 3), "nothing");
    EXPECT_EQ(Named(form, 4), "nothing");
    EXPECT_EQ(Named(form, 6), "nothing");
    EXPECT_EQ(Named(form, 8), "nothing");
    EXPECT_EQ(Named(form, 1), "nothing") << "only labels name controls";
    // The list lies in both groups: the inner one's caption is its name.
    ASSERT_NE(EnclosingCaption(form, 5), nullptr);
    EXPECT_EQ(*EnclosingCaption(form, 5), "Inner");
    EXPECT_EQ(EnclosingCaption(form, 1), nullptr);
    ASSERT_NE(EnclosingCaption(form, 7), nullptr);
    EXPECT_EQ(*EnclosingCaption(form, 7), "Outer");
}

// ---- GTK's view of a widget ----------------------------------------------------------

struct Box {
    int x = 0, y = 0, width = 0, height = 0;
    int Bottom() const { return y + height; }
    int Right() const { return x + width; }
    double Middle() const { return y + height / 2.0; }
    bool Contains(const Box& inner) const {
        return inner.x >= x && inner.y >= y && inner.Right() <= Right() && inner.Bottom() <= Bottom();
    }
};

std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << box.width << "x" << box.height << " at " << box.x << "," << box.y;
}

// `widget`'s allocation in the coordinates of the window's client area.
Box Allocated(GtkWidget* widget, wxDialog& window) {
    GtkAllocation allocation;
    gtk_widget_get_allocation(widget, &allocation);
    int x = 0, y = 0;
    gtk_widget_translate_coordinates(widget, GTK_WIDGET(window.GetHandle()), 0, 0, &x, &y);
    const wxPoint client = window.GetClientAreaOrigin();
    return {x - client.x, y - client.y, allocation.width, allocation.height};
}

// Where a label draws its text, in the client area's coordinates.
Box TextOf(GtkLabel* label, wxDialog& window) {
    const Box place = Allocated(GTK_WIDGET(label), window);
    GtkAllocation allocation;
    gtk_widget_get_allocation(GTK_WIDGET(label), &allocation);
    int x = 0, y = 0;
    gtk_label_get_layout_offsets(label, &x, &y);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(gtk_label_get_layout(label), nullptr, &logical);
    return {place.x + x - allocation.x + logical.x, place.y + y - allocation.y + logical.y, logical.width,
            logical.height};
}

// Where an entry draws its text line.
Box TextOf(GtkEntry* entry, wxDialog& window) {
    const Box place = Allocated(GTK_WIDGET(entry), window);
    int x = 0, y = 0;
    gtk_entry_get_layout_offsets(entry, &x, &y);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(gtk_entry_get_layout(entry), nullptr, &logical);
    return {place.x + x, place.y + y, logical.width, logical.height};
}

// The first descendant of `widget` (internal ones included) of GTK type `type`.
GtkWidget* FindDescendant(GtkWidget* widget, GType type) {
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type)) return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    struct Search {
        GType type;
        GtkWidget* found = nullptr;
    } search{type};
    gtk_container_forall(
        GTK_CONTAINER(widget),
        [](GtkWidget* child, gpointer data) {
            auto* s = static_cast<Search*>(data);
            if (s->found == nullptr) s->found = FindDescendant(child, s->type);
        },
        &search);
    return search.found;
}

// The widget that takes the focus for a control: a list's tree view.
GtkWidget* FocusWidget(wxWindow& control) {
    GtkWidget* widget = control.GetHandle();
    if (GtkWidget* tree = FindDescendant(widget, GTK_TYPE_TREE_VIEW)) return tree;
    return widget;
}

// Where a control shows its one line of text: a drop-down list's cell, an
// edit box's text line.
std::optional<Box> TextLineOf(wxWindow& control, wxDialog& window) {
    GtkWidget* widget = control.GetHandle();
    if (GTK_IS_ENTRY(widget)) return TextOf(GTK_ENTRY(widget), window);
    if (GtkWidget* cell = FindDescendant(widget, GTK_TYPE_CELL_VIEW)) return Allocated(cell, window);
    return std::nullopt;
}

std::string NameOf(wxWindow& widget) { return ToCp1252(widget.GetLabel()) + " (" + std::to_string(widget.GetId()) + ")"; }

// ---- The window ----------------------------------------------------------------------

// Two makers with long names and a category of entries, so that every list
// shows text.
class MainWindowLayout : public ::testing::Test {
protected:
    MainWindowLayout() {
        sim.AddAircraft("Wide", {{"Wide Body Freighter Long Range", "Brightwater Aircraft Works", "Heavy Lifter 900",
                                  "Night Cargo Grey", "", true, true}});
        sim.AddAircraft("Gull", {{"Gull Floatplane Yellow", "Gull", "Float", "Yellow", "y", true, true}});
        sim.WriteCategories(CrlfLines({"[Freighters]", "aircraft0.title=Wide Body Freighter Long Range",
                                       "aircraft0.thumbnail=", "aircraft0.displayName=Night freighter"}));
    }

    // Runs `check` on the main window once it is up and the toolkit has done
    // its idle-time work (where it sets up the tab order and its own label
    // ties), then leaves.
    void WithWindow(const std::function<void(wxDialog&)>& check) {
        gui.Then([&](wxDialog& window, CDialog&) {
            wxTheApp->ProcessIdle();
            check(window);
            boxes.Answer(IDYES);
            wxtest::PressEscape(window);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }

    SimFolder sim;
    CurrentDirectory cwd{sim.Companion()};
    GuiHost gui;
    MessageBoxScript boxes;
    CQuillmarshDlg dialog;
};

wxWindow& Widget(wxDialog& window, int id) {
    wxWindow* widget = wxtest::FindControlWidget(window, id);
    if (widget == nullptr) throw std::runtime_error("no widget for control " + std::to_string(id));
    return *widget;
}

// The label widget showing `text`.
wxStaticText& LabelWidget(wxDialog& window, const std::string& text) {
    for (wxWindow* child : window.GetChildren())
        if (auto* label = dynamic_cast<wxStaticText*>(child); label != nullptr && ToCp1252(label->GetLabel()) == text)
            return *label;
    throw std::runtime_error("no label \"" + text + "\"");
}

struct LabelTie {
    const char* text;
    int control;
};
const LabelTie kTies[] = {
    {"Manufacturer", IDC_MANUFACTURER}, {"Model", IDC_MODEL},       {"Variation", IDC_VARIATION},
    {"Display Name", IDC_DISPLAY_NAME}, {"Category", IDC_CATEGORY},
};

TEST_F(MainWindowLayout, EveryControlLiesInsideTheWindowAndNoneOverlapsAnother) {
    WithWindow([&](wxDialog& window) {
        const wxRect client(window.GetClientSize());
        std::vector<wxWindow*> controls;
        std::vector<wxStaticBox*> groups;
        for (wxWindow* child : window.GetChildren()) {
            EXPECT_TRUE(client.Contains(child->GetRect())) << NameOf(*child) << " leaves the window";
            if (auto* group = dynamic_cast<wxStaticBox*>(child))
                groups.push_back(group);
            else
                controls.push_back(child);
        }
        for (std::size_t i = 0; i < controls.size(); ++i)
            for (std::size_t j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(controls[i]->GetRect().Intersects(controls[j]->GetRect()))
                    << NameOf(*controls[i]) << " overlaps " << NameOf(*controls[j]);

        // The aircraft group holds the three lists, their labels and Refresh;
        // the category group everything of the category file.
        ASSERT_EQ(groups.size(), 2u);
        const wxRect aircraft = groups[0]->GetRect();
        const wxRect categories = groups[1]->GetRect();
        for (const int id : {IDC_MANUFACTURER, IDC_MODEL, IDC_VARIATION, IDC_REFRESH})
            EXPECT_TRUE(aircraft.Contains(Widget(window, id).GetRect())) << id;
        for (const int id : {IDC_DISPLAY_NAME, IDC_AUTO_FILL, IDC_CATEGORY, IDC_ADD, IDC_ENTRY_LIST, IDC_REMOVE,
                             IDC_ADD_IN_NEW, IDC_UPDATE, IDC_DELETE_CATEGORY})
            EXPECT_TRUE(categories.Contains(Widget(window, id).GetRect())) << id;
        for (const LabelTie& tie : kTies) {
            const wxRect label = LabelWidget(window, tie.text).GetRect();
            EXPECT_TRUE(aircraft.Contains(label) || categories.Contains(label)) << tie.text;
        }

        // The picture between the groups and Close at the foot, both centred.
        const wxRect picture = Widget(window, IDC_THUMBNAIL).GetRect();
        const wxRect close = Widget(window, IDOK).GetRect();
        EXPECT_GT(picture.GetTop(), aircraft.GetBottom());
        EXPECT_LT(picture.GetBottom(), categories.GetTop());
        EXPECT_GT(close.GetTop(), categories.GetBottom());
        for (const wxRect& centred : {picture, close})
            EXPECT_LE(std::abs((centred.x + centred.width / 2) - client.width / 2), 2);
    });
}

TEST_F(MainWindowLayout, EveryTextShowsWholeInItsControlInTheWindowsFont) {
    WithWindow([&](wxDialog& window) {
        const int line = window.GetCharHeight();
        int checked = 0;
        for (wxWindow* child : window.GetChildren()) {
            SCOPED_TRACE(NameOf(*child));
            EXPECT_EQ(child->GetFont().GetPointSize(), window.GetFont().GetPointSize());
            GtkWidget* widget = child->GetHandle();
            const Box box = Allocated(widget, window);
            if (dynamic_cast<wxButton*>(child) != nullptr) {
                // Inside the button's one-pixel frame.
                GtkWidget* text = FindDescendant(widget, GTK_TYPE_LABEL);
                ASSERT_NE(text, nullptr);
                const Box inside{box.x + 1, box.y + 1, box.width - 2, box.height - 2};
                const Box shown = TextOf(GTK_LABEL(text), window);
                EXPECT_TRUE(inside.Contains(shown)) << "text " << shown << " in " << box;
                ++checked;
            } else if (dynamic_cast<wxStaticText*>(child) != nullptr) {
                const Box shown = TextOf(GTK_LABEL(widget), window);
                EXPECT_TRUE(box.Contains(shown)) << "text " << shown << " in " << box;
                ++checked;
            } else if (dynamic_cast<wxStaticBox*>(child) != nullptr) {
                GtkWidget* caption = gtk_frame_get_label_widget(GTK_FRAME(widget));
                ASSERT_NE(caption, nullptr);
                const Box shown = TextOf(GTK_LABEL(caption), window);
                EXPECT_TRUE(box.Contains(shown)) << "caption " << shown << " in " << box;
                ++checked;
            } else if (dynamic_cast<wxChoice*>(child) != nullptr || dynamic_cast<wxTextCtrl*>(child) != nullptr) {
                // A whole line of the font, letters below the line included.
                const std::optional<Box> text = TextLineOf(*child, window);
                ASSERT_TRUE(text);
                EXPECT_GE(text->height, line);
                EXPECT_TRUE(box.Contains(*text)) << "text line " << *text << " in " << box;
                ++checked;
            }
        }
        // 8 buttons, 5 labels, 2 group boxes, 4 drop-down lists, 1 edit box.
        EXPECT_EQ(checked, 20);
    });
}

TEST_F(MainWindowLayout, EachOneLineLabelStandsOnTheTextLineOfTheControlItNames) {
    WithWindow([&](wxDialog& window) {
        for (const LabelTie& tie : kTies) {
            SCOPED_TRACE(tie.text);
            wxStaticText& label = LabelWidget(window, tie.text);
            const Box text = TextOf(GTK_LABEL(label.GetHandle()), window);
            const std::optional<Box> beside = TextLineOf(Widget(window, tie.control), window);
            ASSERT_TRUE(beside);
            EXPECT_LE(std::abs(text.Middle() - beside->Middle()), 1.0)
                << "label text " << text << ", text line beside it " << *beside;
        }
    });
}

TEST_F(MainWindowLayout, EachLabelIsTiedToTheControlBesideItAndTheEntryListIsNamedByItsGroup) {
    WithWindow([&](wxDialog& window) {
        for (const LabelTie& tie : kTies) {
            SCOPED_TRACE(tie.text);
            GtkWidget* label = LabelWidget(window, tie.text).GetHandle();
            GtkWidget* control = FocusWidget(Widget(window, tie.control));
            EXPECT_EQ(gtk_label_get_mnemonic_widget(GTK_LABEL(label)), control);
            // What a screen reader reads: the control labelled by that label alone.
            AtkRelationSet* relations = atk_object_ref_relation_set(gtk_widget_get_accessible(control));
            AtkRelation* labelledBy = atk_relation_set_get_relation_by_type(relations, ATK_RELATION_LABELLED_BY);
            ASSERT_NE(labelledBy, nullptr);
            GPtrArray* targets = atk_relation_get_target(labelledBy);
            ASSERT_EQ(targets->len, 1u);
            EXPECT_EQ(g_ptr_array_index(targets, 0), gtk_widget_get_accessible(label));
            g_object_unref(relations);
        }
        // The group captions name no control.
        for (wxWindow* child : window.GetChildren())
            if (dynamic_cast<wxStaticBox*>(child) != nullptr) {
                GtkWidget* caption = gtk_frame_get_label_widget(GTK_FRAME(child->GetHandle()));
                EXPECT_EQ(gtk_label_get_mnemonic_widget(GTK_LABEL(caption)), nullptr) << NameOf(*child);
            }
        // The entry list, which no label names, is known by its group's
        // caption, and so is its column's header (hidden, but still read).
        GtkWidget* list = FocusWidget(Widget(window, IDC_ENTRY_LIST));
        ASSERT_TRUE(GTK_IS_TREE_VIEW(list));
        EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(list)), "Brindlecotharbor");
        GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(list));
        EXPECT_NE(columns, nullptr);
        for (GList* column = columns; column != nullptr; column = column->next)
            EXPECT_STREQ(atk_object_get_name(gtk_widget_get_accessible(
                             gtk_tree_view_column_get_button(GTK_TREE_VIEW_COLUMN(column->data)))),
                         "Brindlecotharbor");
        g_list_free(columns);
    });
}

// The default setting's units; at another setting, the default's grown by
// the font's scale, and the window's pixels scaled by GTK.
TEST_F(MainWindowLayout, TheWindowFollowsTheFontSettingAndAtTheDefaultFitsA1920By1080Screen) {
    WithWindow([&](wxDialog& window) {
        const DialogUnits units = DialogUnits::Of(window);
        EXPECT_EQ(window.GetClientSize(), wxSize(units.X(293), units.Y(505)));
        if (!AtAnotherSetting()) {
            // With a title bar.
            EXPECT_LE(window.GetSize().x, 1920);
            EXPECT_LE(window.GetSize().y + 40, 1080);
            EXPECT_EQ(window.GetContentScaleFactor(), 1.0);
            return;
        }
        int baseX = 0, baseY = 0;
        ASSERT_EQ(std::sscanf(std::getenv(kDefaultBaseVariable), "%dx%d", &baseX, &baseY), 2);
        const double font = std::atof(std::getenv(kFontScaleVariable));
        EXPECT_NEAR(units.BaseX(), baseX * font, baseX * font * 0.15);
        EXPECT_NEAR(units.BaseY(), baseY * font, baseY * font * 0.15);
        EXPECT_EQ(window.GetContentScaleFactor(), std::atof(std::getenv(kWindowScaleVariable)));
    });
}

// ---- The same at other display settings -------------------------------------------------

struct DisplaySetting {
    const char* name;
    int xftDpi;       // 0: none in the X resources
    int windowScale;  // GDK_SCALE
    double fontScale;
};

class MainWindowLayoutAtSetting : public ::testing::TestWithParam<DisplaySetting> {};

TEST_P(MainWindowLayoutAtSetting, HoldsOnADisplayOfItsOwn) {
    if (AtAnotherSetting()) GTEST_SKIP() << "already a run at " << std::getenv(kSettingVariable);
    const DisplaySetting& setting = GetParam();
    const OwnDisplay own("1920x1080x24");
    const std::string display = own.Name();
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    TempDir scratch;
    if (setting.xftDpi > 0) {
        const std::optional<std::string> failure =
            own.MergeResources("Xft.dpi: " + std::to_string(setting.xftDpi) + "\n", scratch.Path());
        ASSERT_FALSE(failure) << *failure;
    }

    // This run's units, at the default setting, for the other run to compare.
    wxDialog reference(nullptr, wxID_ANY, "units");
    reference.SetFont(DialogFont(8));
    const DialogUnits units = DialogUnits::Of(reference);

    const std::vector<std::string> environment = EnvironmentWith(
        {"DISPLAY=", "GDK_SCALE=", "GDK_DPI_SCALE=", "GTEST_"},
        {"DISPLAY=" + display, "GDK_SCALE=" + std::to_string(setting.windowScale),
         std::string(kSettingVariable) + "=" + setting.name,
         std::string(kDefaultBaseVariable) + "=" + std::to_string(units.BaseX()) + "x" + std::to_string(units.BaseY()),
         std::string(kFontScaleVariable) + "=" + std::to_string(setting.fontScale),
         std::string(kWindowScaleVariable) + "=" + std::to_string(setting.windowScale)});
    const std::string output = scratch / "output.txt";
    ChildProcess run({"/proc/self/exe", "--gtest_filter=MainWindowLayout.*"}, environment, "", output, true);
    const std::optional<int> status = run.WaitForExit(std::chrono::seconds(60));
    ASSERT_TRUE(status) << "the run at " << setting.name << " hung:\n" << ReadFile(output);
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "at " << setting.name << ":\n" << ReadFile(output);
    const std::string printed = ReadFile(output);
    EXPECT_NE(printed.find("[  PASSED  ]"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("[  PASSED  ] 0 tests"), std::string::npos) << printed;
}

INSTANTIATE_TEST_SUITE_P(Settings, MainWindowLayoutAtSetting,
                         ::testing::Values(DisplaySetting{"Xft.dpi 144", 144, 1, 1.5},
                                           DisplaySetting{"Xft.dpi 192", 192, 1, 2.0},
                                           DisplaySetting{"GDK_SCALE 2", 0, 2, 1.0}),
                         [](const auto& param) { return TestNameFrom(param.param.name); });

}  // namespace
}  // namespace qm::test
