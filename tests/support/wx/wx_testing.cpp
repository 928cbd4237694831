#include "support/wx/wx_testing.h"

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "platform/wx/wx_codec.h"
#include "platform/wx/wx_host.h"
#include "platform/wx/wx_view.h"

namespace qm::wxtest {

namespace {

bool IsInside(const wxWindow* widget, const wxDialog& window) {
    for (; widget != nullptr; widget = widget->GetParent())
        if (widget == &window) return true;
    return false;
}

}  // namespace

wxWindow* FindControlWidget(wxDialog& window, int id) {
    const DialogView* view = DialogView::Of(&window);
    return view != nullptr ? view->FindWidget(id) : nullptr;
}

int FocusedControlId(wxDialog& window) {
    const DialogView* view = DialogView::Of(&window);
    if (view == nullptr) return 0;
    const wxWindow* focus = wxWindow::FindFocus();
    if (IsInside(focus, window)) {
        const ControlTemplate* entry = view->FindTemplateOf(focus);
        return entry != nullptr ? entry->id : 0;
    }
    // The toolkit names no window when the focus is on a part of a native
    // widget it made of several (the button of a drop-down list): the control
    // whose native widget holds the focused one.
    GtkWidget* native = gtk_window_get_focus(GTK_WINDOW(window.GetHandle()));
    if (native == nullptr) return 0;
    for (const wxWindow* widget : window.GetChildren()) {
        if (native != widget->GetHandle() && !gtk_widget_is_ancestor(native, widget->GetHandle())) continue;
        const ControlTemplate* entry = view->FindTemplateOf(widget);
        return entry != nullptr ? entry->id : 0;
    }
    return 0;
}

std::vector<std::string> ShownItems(wxDialog& window, int id) {
    std::vector<std::string> texts;
    wxWindow* widget = FindControlWidget(window, id);
    if (auto* items = dynamic_cast<wxItemContainer*>(widget))
        for (unsigned i = 0; i < items->GetCount(); ++i) texts.push_back(ToCp1252(items->GetString(i)));
    if (auto* list = dynamic_cast<VirtualListBox*>(widget))
        for (int row = 0; row < list->RowCount(); ++row) texts.push_back(ToCp1252(list->RowText(row)));
    return texts;
}

namespace {

GtkTreeView* TreeOf(wxDialog& window, int id) {
    auto* list = dynamic_cast<VirtualListBox*>(FindControlWidget(window, id));
    if (list == nullptr) return nullptr;
    list->Sync();
    return GTK_TREE_VIEW(list->GtkGetTreeView());
}

// The first index of `path`, or -1 for none.
int RowOf(GtkTreePath* path) {
    const int row = path != nullptr && gtk_tree_path_get_depth(path) > 0 ? gtk_tree_path_get_indices(path)[0] : -1;
    if (path != nullptr) gtk_tree_path_free(path);
    return row;
}

}  // namespace

std::vector<std::string> ReadListRows(wxDialog& window, int id) {
    std::vector<std::string> texts;
    GtkTreeView* tree = TreeOf(window, id);
    if (tree == nullptr) return texts;
    AtkObject* table = gtk_widget_get_accessible(GTK_WIDGET(tree));
    const int columns = atk_table_get_n_columns(ATK_TABLE(table));
    if (columns <= 0) return texts;
    // The children are the cells row by row, the column headers' row first.
    const int cells = atk_object_get_n_accessible_children(table);
    for (int cell = columns; cell < cells; cell += columns) {
        AtkObject* child = atk_object_ref_accessible_child(table, cell);
        const char* name = child != nullptr ? atk_object_get_name(child) : nullptr;
        texts.push_back(name != nullptr ? ToCp1252(wxString::FromUTF8(name)) : std::string());
        if (child != nullptr) g_object_unref(child);
    }
    return texts;
}

int KeyboardRow(wxDialog& window, int id) {
    GtkTreeView* tree = TreeOf(window, id);
    if (tree == nullptr) return -1;
    GtkTreePath* path = nullptr;
    gtk_tree_view_get_cursor(tree, &path, nullptr);
    return RowOf(path);
}

int TopRow(wxDialog& window, int id) {
    GtkTreeView* tree = TreeOf(window, id);
    GtkTreePath* first = nullptr;
    if (tree == nullptr || !gtk_tree_view_get_visible_range(tree, &first, nullptr)) return -1;
    return RowOf(first);
}

void Settle(long ms) {
    const wxStopWatch watch;
    while (watch.Time() < ms) {
        wxTheApp->Yield(true);
        wxMilliSleep(5);
    }
}

int ShownSelection(wxDialog& window, int id) {
    wxWindow* widget = FindControlWidget(window, id);
    if (auto* list = dynamic_cast<VirtualListBox*>(widget)) return list->SelectedRow();
    auto* items = dynamic_cast<wxItemContainer*>(widget);
    if (items == nullptr) return -1;
    const int selection = items->GetSelection();
    return selection == wxNOT_FOUND ? -1 : selection;
}

std::string ShownText(wxDialog& window, int id) {
    wxWindow* widget = FindControlWidget(window, id);
    if (auto* text = dynamic_cast<wxTextCtrl*>(widget)) return ToCp1252(text->GetValue());
    return widget != nullptr ? ToCp1252(widget->GetLabel()) : std::string();
}

BitmapHandle ShownPicture(wxDialog& window, int id) {
    auto* picture = dynamic_cast<PicturePanel*>(FindControlWidget(window, id));
    return picture != nullptr ? picture->Picture() : BitmapHandle();
}

void PickItem(wxDialog& window, int id, int index) {
    wxWindow* widget = FindControlWidget(window, id);
    // As the toolkit does for a pick: the widget's selection first, then its event.
    if (auto* list = dynamic_cast<VirtualListBox*>(widget)) {
        if (index < 0 || index >= list->RowCount()) return;
        const wxDataViewItem row = list->ItemOfRow(index);
        list->Select(row);
        wxDataViewEvent event(wxEVT_DATAVIEW_SELECTION_CHANGED, list, row);
        list->HandleWindowEvent(event);
        return;
    }
    auto* items = dynamic_cast<wxChoice*>(widget);
    if (items == nullptr || index < 0 || static_cast<unsigned>(index) >= items->GetCount()) return;
    items->SetSelection(index);
    items->SendSelectionChangedEvent(wxEVT_CHOICE);
}

bool PickText(wxDialog& window, int id, std::string_view text) {
    const std::vector<std::string> items = ShownItems(window, id);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            PickItem(window, id, static_cast<int>(i));
            return true;
        }
    }
    return false;
}

void TypeText(wxDialog& window, int id, std::string_view text) { TypeUnicodeText(window, id, FromCp1252(text)); }

void TypeUnicodeText(wxDialog& window, int id, const wxString& text) {
    // SetValue changes the text as typing does, with the toolkit's text event.
    if (auto* edit = dynamic_cast<wxTextCtrl*>(FindControlWidget(window, id))) edit->SetValue(text);
}

void ClickButton(wxDialog& window, int id) {
    auto* button = dynamic_cast<wxButton*>(FindControlWidget(window, id));
    if (button == nullptr) return;
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->HandleWindowEvent(event);
}

void FocusControl(wxDialog& window, int id) {
    if (wxWindow* widget = FindControlWidget(window, id)) widget->SetFocus();
}

void PressKey(wxDialog& window, int wxKeyCode, int focusId) {
    if (focusId != 0) FocusControl(window, focusId);
    wxWindow* target = wxWindow::FindFocus();
    if (!IsInside(target, window)) target = &window;
    // The key reaches the focused widget first and goes up to the window.
    wxKeyEvent event(wxEVT_CHAR_HOOK);
    event.m_keyCode = wxKeyCode;
    event.SetEventObject(target);
    event.SetId(target->GetId());
    target->HandleWindowEvent(event);
}

void PressEnter(wxDialog& window, int focusId) { PressKey(window, WXK_RETURN, focusId); }

void PressEscape(wxDialog& window, int focusId) { PressKey(window, WXK_ESCAPE, focusId); }

void CloseBox(wxDialog& window) {
    // The close box asks the window to close; the window may refuse.
    window.Close(false);
}

void RightClick(wxDialog& window, int id) {
    wxWindow* target = id != 0 ? FindControlWidget(window, id) : &window;
    if (target == nullptr) return;
    wxContextMenuEvent event(wxEVT_CONTEXT_MENU, target->GetId(), target->ClientToScreen(wxPoint(2, 2)));
    event.SetEventObject(target);
    target->HandleWindowEvent(event);
}

// ---- Message boxes --------------------------------------------------------------------

MessageBoxScript::MessageBoxScript() { Register(); }

MessageBoxScript::~MessageBoxScript() { Unregister(); }

int MessageBoxScript::Enter(wxDialog* dialog) {
    auto* box = dynamic_cast<wxMessageDialog*>(dialog);
    if (box == nullptr) return wxID_NONE;  // other windows run as they are

    const long style = box->GetMessageDialogStyle();
    Box record;
    record.text = ToCp1252(box->GetMessage());
    record.caption = ToCp1252(box->GetCaption());
    if ((style & wxYES_NO) == wxYES_NO)
        record.type = MB_YESNO;
    else if ((style & wxCANCEL) != 0)
        record.type = MB_OKCANCEL;
    else
        record.type = MB_OK;
    if ((style & wxICON_INFORMATION) != 0) record.type |= MB_ICONINFORMATION;
    if ((style & wxICON_EXCLAMATION) != 0) record.type |= MB_ICONEXCLAMATION;
    record.yesDefault = record.type == MB_YESNO && (style & wxNO_DEFAULT) == 0;
    record.parent = box->GetParent();

    if (!answers_.empty()) {
        record.answer = answers_.front();
        answers_.pop_front();
    } else if ((record.type & MB_TYPEMASK) == MB_OK) {
        record.answer = IDOK;
    } else {
        record.answer = kEscape;
        ++unanswered_;
    }
    boxes_.push_back(record);
    switch (record.answer) {
        case IDOK:
            return wxID_OK;
        case IDYES:
            return wxID_YES;
        case IDNO:
            return wxID_NO;
        default:  // IDCANCEL and Escape
            return wxID_CANCEL;
    }
}

// ---- The window menu -------------------------------------------------------------------

WindowMenuScript::WindowMenuScript(WxHost& host) : host_(host) {
    host_.SetMenuChooser([this](wxWindow&, wxMenu& menu) {
        std::string choice;
        if (!choices_.empty()) {
            choice = choices_.front();
            choices_.pop_front();
        }
        std::vector<Entry> entries;
        int chosen = wxID_NONE;
        for (const wxMenuItem* item : menu.GetMenuItems()) {
            if (item->IsSeparator()) {
                entries.push_back({true, {}});
                continue;
            }
            entries.push_back({false, ToCp1252(item->GetItemLabel())});
            if (chosen == wxID_NONE && !choice.empty() && entries.back().text == choice) chosen = item->GetId();
        }
        if (!choice.empty() && chosen == wxID_NONE) ++missed_;
        menus_.push_back(std::move(entries));
        return chosen;
    });
}

WindowMenuScript::~WindowMenuScript() { host_.SetMenuChooser(nullptr); }

}  // namespace qm::wxtest
