// Test hooks for the real window: look at what a dialog's widgets show, and
// act as the person at the screen by sending the widgets the same wx events
// the toolkit sends for a real pick, click, key or close box, so window tests
// need no mouse, keyboard or window manager.
//
// A test usually installs a WxHost, sets its OnShown hook (which runs inside
// each modal window's loop, once the window is up), drives the window from
// there, and ends it.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include <wx/modalhook.h>

#include "platform/bitmap.h"
#include "platform/dialog.h"

class wxDialog;
class wxString;
class wxWindow;

namespace qm {

class WxHost;

namespace wxtest {

// ---- What the window shows ------------------------------------------------------

// The widget of control `id` in a window of WxHost, or null.
wxWindow* FindControlWidget(wxDialog& window, int id);
// The control id of the widget holding the keyboard focus; 0 when the focus
// is elsewhere or on a control without an id.
int FocusedControlId(wxDialog& window);
// The items of a drop-down list or list box, in the widget's order, as 8-bit
// texts; empty for any other control.
std::vector<std::string> ShownItems(wxDialog& window, int id);
// The widget's selected item, or -1 (also for controls without items).
int ShownSelection(wxDialog& window, int id);
// The text an edit box, label, group box or button shows, as 8-bit text.
std::string ShownText(wxDialog& window, int id);
// The bitmap a picture control shows (null: empty).
BitmapHandle ShownPicture(wxDialog& window, int id);
// A list box's lines as a screen reader reads them: the text of each row's
// cell in the toolkit's accessibility tree, as 8-bit texts.
std::vector<std::string> ReadListRows(wxDialog& window, int id);
// A list box's row with the keyboard's focus mark, or -1.
int KeyboardRow(wxDialog& window, int id);
// The first row a list box shows whole or in part, or -1.
int TopRow(wxDialog& window, int id);

// Runs the event loop for `ms` milliseconds, so that simulated input reaches
// the widgets and what it causes has happened.
void Settle(long ms = 150);

// ---- What the person does -------------------------------------------------------

// Picks item `index` of a drop-down list or list box.
void PickItem(wxDialog& window, int id, int index);
// Picks the first item showing `text`; false when there is none.
bool PickText(wxDialog& window, int id, std::string_view text);
// Replaces the text of an edit box as typing would.
void TypeText(wxDialog& window, int id, std::string_view text);
// The same with characters the 8-bit code page may not hold.
void TypeUnicodeText(wxDialog& window, int id, const wxString& text);
void ClickButton(wxDialog& window, int id);
// Moves the keyboard focus to control `id`.
void FocusControl(wxDialog& window, int id);
// A key pressed while the focus is on control `focusId` (0: where the focus is).
void PressKey(wxDialog& window, int wxKeyCode, int focusId = 0);
void PressEnter(wxDialog& window, int focusId = 0);
void PressEscape(wxDialog& window, int focusId = 0);
// The window's close box.
void CloseBox(wxDialog& window);
// A right click on the window's background (or on passive control `id`),
// which opens the window menu.
void RightClick(wxDialog& window, int id = 0);

// ---- Message boxes ------------------------------------------------------------------

// Answers the message boxes (wxMessageDialog) shown while it lives, from a
// queue, without showing them, and records each. The boxes are built by the
// host exactly as for the screen; the record is read back from the dialog.
class MessageBoxScript : private wxModalDialogHook {
public:
    // An answer that closes the box without a button (Escape).
    static constexpr int kEscape = -1;

    struct Box {
        std::string text;
        std::string caption;
        unsigned type = 0;         // MB_* buttons and icon, read back from the box
        bool yesDefault = false;   // Yes/No boxes: Yes is the default button
        wxWindow* parent = nullptr;
        int answer = 0;            // what was scripted (IDOK, IDYES, ..., kEscape)
    };

    MessageBoxScript();
    ~MessageBoxScript() override;

    // The answer to the next box: IDOK, IDCANCEL, IDYES, IDNO or kEscape.
    void Answer(int answer) { answers_.push_back(answer); }
    const std::vector<Box>& Boxes() const { return boxes_; }
    // Boxes with more than an OK button that found no scripted answer; they
    // were closed as with Escape.
    int Unanswered() const { return unanswered_; }
    int PendingAnswers() const { return static_cast<int>(answers_.size()); }

private:
    int Enter(wxDialog* dialog) override;

    std::deque<int> answers_;
    std::vector<Box> boxes_;
    int unanswered_ = 0;
};

// Chooses from the window menu (instead of showing it) while it lives, and
// records each menu.
class WindowMenuScript {
public:
    struct Entry {
        bool separator = false;
        std::string text;  // 8-bit, with its '&' mnemonics
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    explicit WindowMenuScript(WxHost& host);
    ~WindowMenuScript();
    WindowMenuScript(const WindowMenuScript&) = delete;
    WindowMenuScript& operator=(const WindowMenuScript&) = delete;

    // The item to choose in the next menu, by its text; an empty text, or no
    // queued choice, closes the menu without a choice.
    void Choose(std::string_view text) { choices_.emplace_back(text); }
    const std::vector<std::vector<Entry>>& Menus() const { return menus_; }
    // Choices that named no item of their menu.
    int Missed() const { return missed_; }

private:
    WxHost& host_;
    std::deque<std::string> choices_;
    std::vector<std::vector<Entry>> menus_;
    int missed_ = 0;
};

}  // namespace wxtest
}  // namespace qm
