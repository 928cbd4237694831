// The main window driven by real key presses and mouse clicks (the X test
// extension, through wxUIActionSimulator) on a display of its own with a
// window manager, as a person at the desktop drives it: moving the focus
// changes nothing the person typed or picked; only a click on a line, an
// arrow key or a typed letter in the entry list selects a line; Enter there
// is the dialog's default command.
//
// Run by tests/gui/with_window_manager.sh (ctest does): without a window
// manager no window receives the keyboard.
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/process.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "gui/main_window_fixture.h"
#include "gui/wx_gui_support.h"
#include "platform/dialog_template.h"
#include "platform/wx/wx_view.h"
#include "support/sim_fixture.h"
#include "ui/quillmarsh_dlg.h"
#include "ui/resource.h"

namespace qm::test {
namespace {


const Livery kGlider{"Aviatik Glider White", "aviatik", "Glider", "White", "", true, true};
const Livery kTug{"Aviatik Tug Yellow", "aviatik", "Tug", "Yellow", "y", true, true};
const Livery kBlue{"Kestrel K1 Blue", "Kestrel", "K1", "Blue", "b", true, true};

const std::string kCategories = CrlfLines({
    "[Airliners]",
    "aircraft0.title=Kestrel K1 Blue",
    "aircraft0.thumbnail=",
    "aircraft0.displayName=Blue K1",
    "aircraft1.title=Aviatik Tug Yellow",
    "aircraft1.thumbnail=",
    "aircraft1.displayName=alpha tug",
    "aircraft2.title=Aviatik Glider White",
    "aircraft2.thumbnail=",
    "aircraft2.displayName=Glider",
});

using wxtest::Settle;

// Runs the event loop until `done` holds (at most 3 s on a busy machine),
// and a little longer for what else the input causes.
template <class Done>
void SettleUntil(const Done& done) {
    const wxStopWatch watch;
    while (!done() && watch.Time() < 3000) Settle(10);
    Settle(50);
}

// Waits (at most 10 s) until the window has the keyboard.
bool WaitActive(wxDialog& window) {
    const wxStopWatch watch;
    while (!window.IsActive() && watch.Time() < 10000) {
        window.Raise();
        Settle(50);
    }
    return window.IsActive();
}

// What a focus change must leave as it was.
struct State {
    std::vector<std::vector<std::string>> items;
    std::vector<int> selections;
    std::string name;
    BitmapHandle picture;
    std::string file;
    friend bool operator==(const State&, const State&) = default;
};

void PrintTo(const State& state, std::ostream* os) {
    *os << "name \"" << state.name << "\", selections";
    for (const int selection : state.selections) *os << " " << selection;
    *os << ", items";
    for (const auto& items : state.items) *os << " " << items.size();
    *os << ", picture " << state.picture.get() << ", file of " << state.file.size() << " bytes";
}

class KeyboardGui : public MainWindowFixture {
protected:
    KeyboardGui() {
        sim_.AddAircraft("Aviatik", {kGlider, kTug});
        sim_.AddAircraft("Kestrel", {kBlue});
        sim_.WriteCategories(kCategories);
    }

    State Now(wxDialog& window) const {
        State state;
        for (const int id : {IDC_MANUFACTURER, IDC_MODEL, IDC_VARIATION, IDC_CATEGORY, IDC_ENTRY_LIST}) {
            state.items.push_back(wxtest::ShownItems(window, id));
            state.selections.push_back(wxtest::ShownSelection(window, id));
        }
        state.name = wxtest::ShownText(window, IDC_DISPLAY_NAME);
        state.picture = wxtest::ShownPicture(window, IDC_THUMBNAIL);
        state.file = sim_.ReadCategories();
        return state;
    }

    // A left click at `point` of `widget`.
    void Click(wxWindow& widget, const wxPoint& point) {
        input_.MouseMove(widget.ClientToScreen(point));
        Settle(50);
        input_.MouseClick();
        Settle();
    }

    // The centre of line `row` of the entry list, in its client coordinates.
    static wxPoint LineCentre(wxDialog& window, int row) {
        auto& list = static_cast<VirtualListBox&>(*wxtest::FindControlWidget(window, IDC_ENTRY_LIST));
        const wxRect line = list.GetItemRect(list.ItemOfRow(row));
        return {line.x + line.width / 4, line.y + line.height / 2};
    }

    wxUIActionSimulator input_;
};

TEST_F(KeyboardGui, TabAndShiftTabVisitTheControlsInTemplateOrderAndChangeNothing) {
    gui_.Then([&](wxDialog& window, CDialog&) {
        ASSERT_TRUE(WaitActive(window)) << "the window never got the keyboard: is a window manager running?";
        const DialogTemplate* layout = FindDialogTemplate(IDD_QUILLMARSH_DIALOG);
        ASSERT_NE(layout, nullptr);
        // The controls Tab visits, in template order.
        std::vector<int> stops;
        for (const ControlTemplate& entry : layout->controls)
            if (entry.tabStop && wxtest::FindControlWidget(window, entry.id)->IsEnabled()) stops.push_back(entry.id);
        std::size_t start = 0;
        while (start < stops.size() && stops[start] != IDC_DISPLAY_NAME) ++start;
        ASSERT_LT(start, stops.size());

        wxWindow& nameBox = *wxtest::FindControlWidget(window, IDC_DISPLAY_NAME);
        Click(nameBox, wxPoint(nameBox.GetClientSize().x / 2, nameBox.GetClientSize().y / 2));
        ASSERT_EQ(wxtest::FocusedControlId(window), IDC_DISPLAY_NAME);
        input_.Text("Custom Name");
        SettleUntil([&] { return dialog_.DisplayNameBox().Text() == "Custom Name"; });
        ASSERT_EQ(wxtest::ShownText(window, IDC_DISPLAY_NAME), "Custom Name");
        ASSERT_EQ(dialog_.DisplayNameBox().Text(), "Custom Name");
        const State before = Now(window);
        EXPECT_EQ(before.selections.back(), -1) << "no entry is selected at start-up";

        std::vector<int> forward, expectedForward, backward, expectedBackward;
        for (std::size_t step = 1; step <= stops.size(); ++step) {
            const int from = wxtest::FocusedControlId(window);
            input_.Char(WXK_TAB);
            SettleUntil([&] { return wxtest::FocusedControlId(window) != from; });
            forward.push_back(wxtest::FocusedControlId(window));
            expectedForward.push_back(stops[(start + step) % stops.size()]);
        }
        EXPECT_EQ(forward, expectedForward);
        EXPECT_EQ(Now(window), before);
        for (std::size_t step = 1; step <= stops.size(); ++step) {
            const int from = wxtest::FocusedControlId(window);
            input_.Char(WXK_TAB, wxMOD_SHIFT);
            SettleUntil([&] { return wxtest::FocusedControlId(window) != from; });
            backward.push_back(wxtest::FocusedControlId(window));
            expectedBackward.push_back(stops[(start + stops.size() - step) % stops.size()]);
        }
        EXPECT_EQ(backward, expectedBackward);
        EXPECT_EQ(Now(window), before);
        EXPECT_EQ(dialog_.DisplayNameBox().Text(), "Custom Name");
        EXPECT_EQ(dialog_.EntryList().GetCurSel(), -1);
        EXPECT_TRUE(boxes_.Boxes().empty());
        Leave(window);
    });
    dialog_.DoModal();
}

TEST_F(KeyboardGui, AClickOnALineAndAnArrowKeySelectAndNotifyTheFocusAloneDoesNot) {
    gui_.Then([&](wxDialog& window, CDialog&) {
        ASSERT_TRUE(WaitActive(window)) << "the window never got the keyboard: is a window manager running?";
        wxWindow& list = *wxtest::FindControlWidget(window, IDC_ENTRY_LIST);
        ASSERT_EQ(wxtest::ShownItems(window, IDC_ENTRY_LIST),
                  (std::vector<std::string>{"alpha tug", "Blue K1", "Glider"}));

        // The focus arrives at the list from the program and from the Tab key.
        wxtest::FocusControl(window, IDC_ENTRY_LIST);
        Settle();
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), -1);
        wxtest::FocusControl(window, IDC_ADD);
        Settle();
        input_.Char(WXK_TAB);
        SettleUntil([&] { return wxtest::FocusedControlId(window) == IDC_ENTRY_LIST; });
        ASSERT_EQ(wxtest::FocusedControlId(window), IDC_ENTRY_LIST);
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), -1);
        EXPECT_EQ(dialog_.EntryList().GetCurSel(), -1);
        EXPECT_EQ(dialog_.DisplayNameBox().Text(), "");

        // A click on a line of the list, which does not have the focus.
        wxtest::FocusControl(window, IDC_DISPLAY_NAME);
        Settle();
        Click(list, LineCentre(window, 1));
        SettleUntil([&] { return dialog_.EntryList().GetCurSel() == 1; });
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), 1);
        EXPECT_EQ(dialog_.EntryList().GetCurSel(), 1);
        EXPECT_EQ(dialog_.DisplayNameBox().Text(), "Blue K1") << "the pick reached the dialog";

        // An arrow key in the list.
        input_.Char(WXK_DOWN);
        SettleUntil([&] { return dialog_.EntryList().GetCurSel() == 2; });
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), 2);
        EXPECT_EQ(dialog_.EntryList().GetCurSel(), 2);
        EXPECT_EQ(dialog_.DisplayNameBox().Text(), "Glider");

        // Ctrl+click on the selected line leaves it selected, as in a list box.
        input_.KeyDown(WXK_CONTROL);
        Click(list, LineCentre(window, 2));
        input_.KeyUp(WXK_CONTROL);
        Settle();
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), 2);
        EXPECT_EQ(dialog_.EntryList().GetCurSel(), 2);
        EXPECT_TRUE(boxes_.Boxes().empty());

        // A click on a line while another window has the keyboard: the click
        // brings the window and the list the focus and selects its line.
        {
            // Another program's window in the screen's corner, clicked.
            const long other = wxExecute("xmessage -geometry 240x80+0+0 another program", wxEXEC_ASYNC);
            ASSERT_GT(other, 0) << "xmessage (x11-utils) did not start";
            const wxStopWatch watch;
            while (window.IsActive() && watch.Time() < 5000) {
                Settle(200);
                input_.MouseMove(wxPoint(200, 40));
                Settle(20);
                input_.MouseClick();
            }
            const bool otherHasKeyboard = !window.IsActive();
            if (!otherHasKeyboard) wxKill(other, wxSIGKILL);
            ASSERT_TRUE(otherHasKeyboard) << "the other window never got the keyboard";
            Click(list, LineCentre(window, 0));
            SettleUntil([&] { return dialog_.EntryList().GetCurSel() == 0; });
            EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), 0);
            EXPECT_EQ(dialog_.EntryList().GetCurSel(), 0);
            EXPECT_EQ(dialog_.DisplayNameBox().Text(), "alpha tug");
            EXPECT_EQ(wxtest::FocusedControlId(window), IDC_ENTRY_LIST);
            wxKill(other, wxSIGKILL);
            ASSERT_TRUE(WaitActive(window));
        }

        // Enter in the list is the dialog's default command (the exit
        // question); the list keeps its line.
        boxes_.Answer(IDNO);
        input_.Char(WXK_RETURN);
        SettleUntil([&] { return !boxes_.Boxes().empty(); });
        EXPECT_EQ(boxes_.Boxes().size(), 1u) << "Enter in the list never reached the dialog";
        EXPECT_FALSE(dialog_.HasEnded());
        EXPECT_EQ(dialog_.EntryList().GetCurSel(), 0);
        Leave(window);
    });
    dialog_.DoModal();
}

TEST_F(KeyboardGui, AfterARemoveTheListIsAsRefilledTheFirstArrowKeySelectsTheFirstLine) {
    gui_.Then([&](wxDialog& window, CDialog&) {
        ASSERT_TRUE(WaitActive(window)) << "the window never got the keyboard: is a window manager running?";
        wxWindow& list = *wxtest::FindControlWidget(window, IDC_ENTRY_LIST);
        Click(list, LineCentre(window, 2));
        SettleUntil([&] { return dialog_.EntryList().GetCurSel() == 2; });
        ASSERT_EQ(dialog_.DisplayNameBox().Text(), "Glider");

        // The keyboard's row was on the removed line: the toolkit alone would
        // move it to that line's neighbour.
        wxtest::ClickButton(window, IDC_REMOVE);
        Settle();
        ASSERT_EQ(wxtest::ShownItems(window, IDC_ENTRY_LIST), (std::vector<std::string>{"alpha tug", "Blue K1"}));
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), -1);

        wxtest::FocusControl(window, IDC_ENTRY_LIST);
        SettleUntil([&] { return wxtest::FocusedControlId(window) == IDC_ENTRY_LIST; });
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), -1) << "the focus selected a line";
        input_.Char(WXK_DOWN);
        SettleUntil([&] { return dialog_.EntryList().GetCurSel() >= 0; });
        EXPECT_EQ(dialog_.EntryList().GetCurSel(), 0);
        EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), 0);
        EXPECT_EQ(dialog_.DisplayNameBox().Text(), "alpha tug");
        Leave(window);
    });
    dialog_.DoModal();
}

// The toolkit's pop-up windows on the screen (its list search box is one).
int ShownPopups() {
    int shown = 0;
    GList* windows = gtk_window_list_toplevels();
    for (GList* window = windows; window != nullptr; window = window->next)
        if (gtk_window_get_window_type(GTK_WINDOW(window->data)) == GTK_WINDOW_POPUP &&
            gtk_widget_get_visible(GTK_WIDGET(window->data)))
            ++shown;
    g_list_free(windows);
    return shown;
}

TEST_F(KeyboardGui, ALetterTypedInTheEntryListSelectsTheNextLineBeginningWithItAndNotifies) {
    // The category of every test here, and a fourth line beginning with "b".
    sim_.WriteCategories(kCategories + CrlfLines({
        "aircraft3.title=Aviatik Glider White",
        "aircraft3.thumbnail=",
        "aircraft3.displayName=bravo glider",
    }));
    gui_.Then([&](wxDialog& window, CDialog&) {
        ASSERT_TRUE(WaitActive(window)) << "the window never got the keyboard: is a window manager running?";
        ASSERT_EQ(wxtest::ShownItems(window, IDC_ENTRY_LIST),
                  (std::vector<std::string>{"alpha tug", "Blue K1", "bravo glider", "Glider"}));
        wxtest::FocusControl(window, IDC_ENTRY_LIST);
        SettleUntil([&] { return wxtest::FocusedControlId(window) == IDC_ENTRY_LIST; });
        ASSERT_EQ(wxtest::FocusedControlId(window), IDC_ENTRY_LIST);
        ASSERT_EQ(dialog_.EntryList().GetCurSel(), -1);
        const std::string file = sim_.ReadCategories();

        // Each key: the line it selects (and the dialog shows the line's
        // entry, as after a click on it).
        struct Key {
            const char* text;
            int line;
            const char* name;
        };
        for (const Key& key : std::vector<Key>{
                 {"b", 1, "Blue K1"},       // nothing selected: from the top
                 {"B", 2, "bravo glider"},  // the next one, whatever the case
                 {"b", 1, "Blue K1"},       // round from the last one to the top
                 {"g", 3, "Glider"},
                 {"z", 3, "Glider"},        // no line begins with it: nothing changes
                 {"a", 0, "alpha tug"},
             }) {
            input_.Text(key.text);
            SettleUntil([&] { return dialog_.EntryList().GetCurSel() == key.line; });
            EXPECT_EQ(dialog_.EntryList().GetCurSel(), key.line) << key.text;
            EXPECT_EQ(wxtest::ShownSelection(window, IDC_ENTRY_LIST), key.line) << key.text;
            EXPECT_EQ(dialog_.DisplayNameBox().Text(), key.name) << key.text;
            EXPECT_EQ(ShownPopups(), 0) << "a search box opened for \"" << key.text << "\"";
            EXPECT_EQ(wxtest::FocusedControlId(window), IDC_ENTRY_LIST) << key.text;
        }

        // The keyboard goes on from the line the letter selected.
        input_.Char(WXK_DOWN);
        SettleUntil([&] { return dialog_.EntryList().GetCurSel() == 1; });
        EXPECT_EQ(dialog_.EntryList().GetCurSel(), 1);
        EXPECT_EQ(dialog_.DisplayNameBox().Text(), "Blue K1");
        EXPECT_TRUE(boxes_.Boxes().empty());
        EXPECT_EQ(sim_.ReadCategories(), file) << "picking a line changes no file";
        Leave(window);
    });
    dialog_.DoModal();
}

}  // namespace
}  // namespace qm::test
