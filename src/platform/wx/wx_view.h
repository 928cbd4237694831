// The window of one modal run: a wx dialog built from the dialog's template,
// whose widgets mirror the dialog's control objects and whose user input
// becomes the notifications and commands the dialog library would send.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include <wx/dataview.h>
#include <wx/dialog.h>
#include <wx/window.h>

#include "platform/dialog.h"
#include "platform/wx/wx_units.h"

class wxContextMenuEvent;
class wxChoice;
class wxCloseEvent;
class wxKeyEvent;

namespace qm {

class WxHost;

// A picture control: its bitmap at the bitmap's own size from the top left
// corner, clipped to the control (inside its sunken edge, for a sunken one);
// nothing for a null bitmap. Like any static control it never takes the
// keyboard focus. The template's image (the bitmap resource `templateImage`,
// 0 for none) is shown until SetPicture; it is decoded only when it is to be
// drawn or read, since the program mostly replaces it before the window is
// first drawn. A bitmap becomes the toolkit's at its first paint.
class PicturePanel : public wxWindow {
public:
    PicturePanel(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size, bool sunken,
                 int templateImage = 0);
    void SetPicture(BitmapHandle picture);
    const BitmapHandle& Picture() const;
    // Where the bitmap shows: the client area less the sunken edge.
    wxRect PictureArea() const;
    bool AcceptsFocus() const override { return false; }
    bool AcceptsFocusFromKeyboard() const override { return false; }

private:
    void OnPaint(wxPaintEvent& event);

    bool sunken_;
    mutable int templateImage_;  // not yet decoded; 0 once it is, or once replaced
    mutable BitmapHandle picture_;
    wxBitmap shown_;
    bool converted_ = false;  // shown_ is picture_ (or none could be made)
};

// A list box: one column of the control object's items in a native list
// that asks for the rows it shows. The rows keep the lines they show and
// follow a change as the lines it touched: a reload of many thousands of
// lines that changes a few changes a few rows. At most one row is selected;
// only the person selects, with a click on a row or a key in the list, and
// each such change is reported to `onPicked`. The toolkit's own selections
// (the first row as the focus arrives, a row deselected with Ctrl) are
// undone. A printable character typed in the list goes to `onTyped` instead
// of the toolkit's search box.
class VirtualListBox final : public wxDataViewCtrl {
public:
    VirtualListBox(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size);

    // Shows `change` of `list` (no change: all of it). A reset waits for the
    // refill that follows it, to be shown with it as one change: when the
    // refill comes, when the rows are asked about, when the dialog's
    // handler returns, or at the latest when the event loop next idles.
    void Mirror(const SortedItemList& list, std::optional<ControlChange> change, int index);
    // Shows what the list object changed since its lines were last shown.
    void Sync();
    void SetOnPicked(std::function<void(int row)> onPicked) { onPicked_ = std::move(onPicked); }
    void SetOnTyped(std::function<void(const wxString& typed)> onTyped) { onTyped_ = std::move(onTyped); }

    int RowCount();
    wxString RowText(int row);
    wxDataViewItem ItemOfRow(int row);
    // The selected row, or -1.
    int SelectedRow();
    // The program's selection (-1: none), scrolled into view; no report.
    void SelectRow(int row);

private:
    class Rows;
    // The first line at the top, with the keyboard's row on it.
    void ShowFromTheTop();
    // Moves the keyboard's row to `row`; the selection stays as it is.
    void MoveKeyboardRow(int row);
    // The keyboard's row, or -1 for none.
    int KeyboardRow();
    void OnSelectionChanged(wxDataViewEvent& event);
    void OnChar(wxKeyEvent& event);

    Rows* rows_;  // owned by the widget through its reference count
    const SortedItemList* list_ = nullptr;
    std::function<void(int)> onPicked_;
    std::function<void(const wxString&)> onTyped_;
    int selection_ = -1;          // the selection the widget keeps
    bool stale_ = false;          // the list object changed since the rows last followed it
    bool resetPending_ = false;   // ... and was reset among those changes
    bool mirroring_ = false;      // a change of the program's is under way
    bool focusArriving_ = false;
};

class DialogView final : public WindowPeer, private ControlObserver {
public:
    // Builds the window (hidden) and its widgets in the template's font, its
    // geometry in that font's dialog units; `parent` may be null.
    DialogView(WxHost& host, CDialog& dialog, const DialogTemplate& dialogTemplate, wxWindow* parent);
    ~DialogView() override;  // detaches the controls and destroys the window
    DialogView(const DialogView&) = delete;
    DialogView& operator=(const DialogView&) = delete;

    // The view whose window is `window`, or null.
    static DialogView* Of(wxWindow* window);

    wxDialog& Window() const;
    CDialog& Dialog() const { return dialog_; }

    // The widget of control `id` (the first in template order), or null.
    wxWindow* FindWidget(int id) const;
    // The template entry of `widget` or of the widget that holds it, or null.
    const ControlTemplate* FindTemplateOf(const wxWindow* widget) const;

    // Attaches the controls still unbound to the view, sets the first focus
    // (the first tab stop when `focusFirstTabStop`, else where the dialog put
    // it), and runs the window modally, centred over its parent, unless the
    // dialog has already ended. For a dialog that initialised before its
    // controls were attached: `picturesSet`, the pictures it gave a bitmap
    // (even none), and `focus`, the control it gave the focus last, or null.
    void Run(bool focusFirstTabStop, const std::set<const CControl*>& picturesSet = {},
             const CControl* focus = nullptr);

    // WindowPeer
    void ModalEnded(std::intptr_t result) override;
    void ControlBound(CControl& control) override;
    void IconChanged() override;
    bool IsIconic() const override;
    Rect GetClientRect() const override;

private:
    class ViewWindow;
    struct Item {
        const ControlTemplate* entry;  // the control's template entry
        wxWindow* widget;
        CControl* control = nullptr;  // the wrapper bound to it, once bound
        bool mirrored = false;        // the wrapper is of the kind the widget shows
    };

    void CreateWidgets();
    // Ties each label to the control it names and sets it on that control's
    // text line; names the input controls no label names by their group.
    void TieLabels();
    wxWindow* CreateWidget(const ControlTemplate& entry);
    Item* ItemOf(const CControl& control);
    // Attaches `control` and shows it whole, or as after `change` (a
    // picture's Image: its bitmap, even none, in place of the template's).
    void Attach(CControl& control, std::optional<ControlChange> change = std::nullopt);
    // Whether a wrapper of `control`'s class can stand for a control of the
    // entry's kind (only those are mirrored).
    static bool Mirrors(const ControlTemplate& entry, CControl& control);
    // Shows `change` of the item's control in its widget; no change: all of it.
    void Mirror(Item& item, std::optional<ControlChange> change, int index);
    static void MirrorList(const SortedItemList& list, wxChoice& widget,
                           std::optional<ControlChange> change, int index);
    void ControlChanged(CControl& control, ControlChange change, int index) override;
    void RequestFocus(wxWindow* widget);
    int DefaultCommandId() const;

    // User input.
    void Send(const Message& message);
    void OnPicked(const Item& item, int index);
    void OnTyped(Item& item);
    // A character typed in a list box: the next line that begins with it.
    void OnListTyped(const Item& item, const wxString& typed);
    void OnKey(wxKeyEvent& event);
    void OnCloseBox(wxCloseEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);

    WxHost& host_;
    CDialog& dialog_;
    const DialogTemplate& template_;
    ViewWindow* window_;
    DialogUnits units_;  // of the window's font
    std::vector<Item> items_;  // template order
    const Item* typing_ = nullptr;  // the edit whose typing is being passed on
    wxWindow* focus_ = nullptr;     // the focus the dialog asked for
    bool shownReported_ = false;
};

}  // namespace qm
