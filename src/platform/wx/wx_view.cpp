#include "platform/wx/wx_view.h"

#include <algorithm>
#include <functional>
#include <optional>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include "platform/wx/wx_codec.h"
#include "platform/wx/wx_fonts.h"
#include "platform/wx/wx_host.h"
#include "platform/wx/wx_image.h"
#include "platform/wx/wx_layout.h"

namespace qm {

namespace {

// Window-menu items carry their index from here on.
constexpr int kMenuFirstId = 1;

// A list box's reload that changes more lines than this (and a sixteenth of
// the list) rebuilds the toolkit's rows instead of changing them one by one.
constexpr std::size_t kMostRowsChanged = 64;

// The control id where the toolkit leaves it free; the view finds its
// widgets itself, so any id works for the logic.
wxWindowID WidgetId(int id) {
    const bool free = (id > 0 && id < wxID_LOWEST) || (id > wxID_HIGHEST && id <= 32767);
    return free ? id : wxID_ANY;
}

// Gives `window` (and the widgets made in it later) the template's font, and
// answers that font's dialog units.
DialogUnits UseDialogFont(wxWindow& window, int pointSize) {
    AdoptLoadedFonts();
    window.SetFont(DialogFont(pointSize));
    return DialogUnits::Of(window);
}

bool IsPushButton(ControlKind kind) { return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton; }

// Parts of the window a right click on which opens the window menu.
bool IsBackground(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::GroupBox || kind == ControlKind::Picture ||
           kind == ControlKind::IconPicture;
}

}  // namespace

// ---- The list box --------------------------------------------------------------

// The lines a list box shows, handed to the toolkit as it asks for them.
class VirtualListBox::Rows final : public wxDataViewVirtualListModel {
public:
    std::vector<std::string> texts;

    void GetValueByRow(wxVariant& value, unsigned row, unsigned /*column*/) const override {
        value = row < texts.size() ? FromCp1252(texts[row]) : wxString();
    }
    bool SetValueByRow(const wxVariant& /*value*/, unsigned /*row*/, unsigned /*column*/) override { return false; }
};

VirtualListBox::VirtualListBox(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size)
    : wxDataViewCtrl(parent, id, position, size, wxDV_SINGLE | wxDV_NO_HEADER), rows_(new Rows) {
    AssociateModel(rows_);
    rows_->DecRef();  // the widget holds the model from here on
    // One column as wide as the list: a list box cuts long lines at its edge
    // instead of scrolling sideways.
    AppendTextColumn(wxString(), 0, wxDATAVIEW_CELL_INERT, GetClientSize().x);
    Bind(wxEVT_DATAVIEW_SELECTION_CHANGED, &VirtualListBox::OnSelectionChanged, this);
#ifdef __WXGTK__
    // A list box has no search box: a typed letter picks the next line that
    // begins with it (OnChar).
    gtk_tree_view_set_enable_search(GTK_TREE_VIEW(GtkGetTreeView()), FALSE);
#endif
    Bind(wxEVT_CHAR, &VirtualListBox::OnChar, this);
    // The toolkit selects the first row of a list without a current row
    // (the keyboard's row) as the list gets the focus, in the same turn of
    // the event loop as the focus.
    Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& event) {
        if (KeyboardRow() < 0) {
            focusArriving_ = true;
            CallAfter([this] { focusArriving_ = false; });
        }
        event.Skip();
    });
}

void VirtualListBox::Mirror(const SortedItemList& list, std::optional<ControlChange> change, int index) {
    const bool sameList = list_ == &list;
    list_ = &list;
    if (change == ControlChange::Reset && sameList) {
        // Shown with the refill that nearly always follows in the same turn:
        // a reload then changes only the rows whose lines changed.
        if (!stale_) CallAfter(&VirtualListBox::Sync);
        stale_ = resetPending_ = true;
        return;
    }
    if (change == ControlChange::ItemInserted && sameList && !stale_ && index >= 0 &&
        static_cast<std::size_t>(index) <= rows_->texts.size() &&
        rows_->texts.size() + 1 == list.Items().size()) {
        const auto row = static_cast<unsigned>(index);
        rows_->texts.insert(rows_->texts.begin() + index, list.Items()[row]);
        mirroring_ = true;
        rows_->RowInserted(row);
        mirroring_ = false;
    } else if (change != ControlChange::Selection || !sameList) {
        stale_ = true;
        resetPending_ = resetPending_ || change == ControlChange::Reset;
        Sync();
    }
    SelectRow(list.GetCurSel());
}

void VirtualListBox::Sync() {
    if (!stale_ || list_ == nullptr) return;
    stale_ = false;
    const bool afterReset = std::exchange(resetPending_, false);
    const std::vector<std::string>& lines = list_->Items();
    std::vector<std::string>& texts = rows_->texts;

    // The rows in between the lines both lists begin with and the lines
    // both end with are the ones the change touched.
    const std::size_t common = std::min(texts.size(), lines.size());
    const std::size_t head =
        static_cast<std::size_t>(std::mismatch(texts.begin(), texts.begin() + common, lines.begin()).first -
                                 texts.begin());
    const std::size_t tail = static_cast<std::size_t>(
        std::mismatch(texts.rbegin(), texts.rend() - head, lines.rbegin(), lines.rend() - head).first -
        texts.rbegin());
    const std::size_t gone = texts.size() - head - tail;
    const std::size_t come = lines.size() - head - tail;

    mirroring_ = true;
    if (std::max(gone, come) > kMostRowsChanged + lines.size() / 16) {
        // Most of the list changed: the toolkit rebuilds its rows at once,
        // for less than it takes to tell it row by row.
        texts = lines;
        rows_->Reset(static_cast<unsigned>(texts.size()));
    } else {
        const std::size_t changed = std::min(gone, come);
        for (std::size_t row = head; row < head + changed; ++row) {
            if (texts[row] == lines[row]) continue;
            texts[row] = lines[row];
            rows_->RowChanged(static_cast<unsigned>(row));
        }
        if (gone > come) {
            texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(head + changed),
                        texts.begin() + static_cast<std::ptrdiff_t>(head + gone));
            for (std::size_t row = head + gone; row-- > head + changed;) rows_->RowDeleted(static_cast<unsigned>(row));
        } else {
            texts.insert(texts.begin() + static_cast<std::ptrdiff_t>(head + changed),
                         lines.begin() + static_cast<std::ptrdiff_t>(head + changed),
                         lines.begin() + static_cast<std::ptrdiff_t>(head + come));
            for (std::size_t row = head + changed; row < head + come; ++row)
                rows_->RowInserted(static_cast<unsigned>(row));
        }
    }
    if (afterReset) {
        // As a list box refilled after a reset: nothing selected, the first
        // line at the top with the keyboard's row on it.
        selection_ = -1;
        UnselectAll();
        if (!texts.empty()) ShowFromTheTop();
    }
    mirroring_ = false;
}

void VirtualListBox::ShowFromTheTop() {
    MoveKeyboardRow(0);
#ifdef __WXGTK__
    // At once, where moving the keyboard's row would glide there.
    if (GtkAdjustment* scroll = gtk_scrollable_get_vadjustment(GTK_SCROLLABLE(GtkGetTreeView()))) {
        gtk_adjustment_set_value(scroll, gtk_adjustment_get_lower(scroll));
        return;
    }
#endif
    EnsureVisible(rows_->GetItem(0));
}

void VirtualListBox::MoveKeyboardRow(int row) {
#ifdef __WXGTK__
    // The toolkit selects the row it moves the keyboard's row to, unless the
    // selection's rule refuses it; the list has no rule of its own, so one
    // that refuses every row stands in while the row moves.
    GtkTreeView* tree = GTK_TREE_VIEW(GtkGetTreeView());
    GtkTreeSelection* selection = gtk_tree_view_get_selection(tree);
    if (gtk_tree_selection_get_select_function(selection) != nullptr) return;
    gtk_tree_selection_set_select_function(
        selection, [](GtkTreeSelection*, GtkTreeModel*, GtkTreePath*, gboolean, gpointer) -> gboolean { return FALSE; },
        nullptr, nullptr);
    GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
    gtk_tree_view_set_cursor(tree, path, nullptr, FALSE);
    gtk_tree_path_free(path);
    gtk_tree_selection_set_select_function(selection, nullptr, nullptr, nullptr);
#else
    (void)row;  // elsewhere the keyboard's row of a single-selection list is its selection
#endif
}

int VirtualListBox::KeyboardRow() {
#ifdef __WXGTK__
    GtkTreePath* path = nullptr;
    gtk_tree_view_get_cursor(GTK_TREE_VIEW(GtkGetTreeView()), &path, nullptr);
    const int row = path != nullptr ? gtk_tree_path_get_indices(path)[0] : -1;
    if (path != nullptr) gtk_tree_path_free(path);
    return row;
#else
    return SelectedRow();
#endif
}

int VirtualListBox::RowCount() {
    Sync();
    return static_cast<int>(rows_->GetCount());
}

wxString VirtualListBox::RowText(int row) {
    wxVariant value;
    if (row >= 0 && row < RowCount()) rows_->GetValueByRow(value, static_cast<unsigned>(row), 0);
    return value.IsNull() ? wxString() : value.GetString();
}

wxDataViewItem VirtualListBox::ItemOfRow(int row) {
    Sync();
    return rows_->GetItem(static_cast<unsigned>(row));
}

int VirtualListBox::SelectedRow() {
    Sync();
    const wxDataViewItem item = GetSelection();
    return item.IsOk() ? static_cast<int>(rows_->GetRow(item)) : -1;
}

void VirtualListBox::SelectRow(int row) {
    selection_ = row >= 0 && row < RowCount() ? row : -1;
    if (SelectedRow() == selection_) return;
    mirroring_ = true;
    if (selection_ < 0) {
        UnselectAll();
    } else {
        // The keyboard goes on from the selected row, which is in view.
        MoveKeyboardRow(selection_);
        const wxDataViewItem item = ItemOfRow(selection_);
        Select(item);
        EnsureVisible(item);
    }
    mirroring_ = false;
}

void VirtualListBox::OnSelectionChanged(wxDataViewEvent& /*event*/) {
    if (mirroring_) return;
    const int row = SelectedRow();
    // A click that brings the focus along is the person's.
    if (row < 0 || (focusArriving_ && !wxGetMouseState().LeftIsDown())) {
        SelectRow(selection_);
        return;
    }
    if (row == selection_) return;
    selection_ = row;
    if (onPicked_) onPicked_(row);
}

void VirtualListBox::OnChar(wxKeyEvent& event) {
    const wxChar typed = event.GetUnicodeKey();
    // Printable characters only; Ctrl and Alt combinations keep their
    // meanings (Ctrl+A, mnemonics).
    if (typed == WXK_NONE || typed < WXK_SPACE || typed == WXK_DELETE || !onTyped_ ||
        (event.GetModifiers() & (wxMOD_CONTROL | wxMOD_ALT)) != 0) {
        event.Skip();
        return;
    }
    onTyped_(wxString(typed));
}

// ---- The picture ----------------------------------------------------------------

#ifdef __WXGTK__
// The sunken edge is the theme's frame, drawn by the picture itself. The
// toolkit's own sunken border is an edit box's: it measures that on a hidden
// window of its own, made and shown for the purpose (a seventh of the time
// the main window takes to show), and the box's rounded corners cover the
// picture's.
constexpr long kSunkenBorder = wxBORDER_NONE;
#else
constexpr long kSunkenBorder = wxBORDER_SUNKEN;
#endif

PicturePanel::PicturePanel(wxWindow* parent, wxWindowID id, const wxPoint& position, const wxSize& size,
                           bool sunken, int templateImage)
    : wxWindow(parent, id, position, size, (sunken ? kSunkenBorder : long{wxBORDER_NONE}) | wxFULL_REPAINT_ON_RESIZE),
      sunken_(sunken), templateImage_(templateImage) {
#ifdef __WXGTK__
    if (sunken_) gtk_style_context_add_class(gtk_widget_get_style_context(GetHandle()), GTK_STYLE_CLASS_FRAME);
#endif
    Bind(wxEVT_PAINT, &PicturePanel::OnPaint, this);
}

wxRect PicturePanel::PictureArea() const {
    wxRect area(GetClientSize());
#ifdef __WXGTK__
    if (sunken_) {
        GtkStyleContext* style = gtk_widget_get_style_context(GetHandle());
        GtkBorder edge{};
        gtk_style_context_get_border(style, gtk_style_context_get_state(style), &edge);
        area.x = edge.left;
        area.y = edge.top;
        area.width = std::max(0, area.width - edge.left - edge.right);
        area.height = std::max(0, area.height - edge.top - edge.bottom);
    }
#endif
    return area;
}

void PicturePanel::SetPicture(BitmapHandle picture) {
    templateImage_ = 0;
    picture_ = std::move(picture);
    shown_ = wxBitmap();
    converted_ = false;
    Refresh();
}

const BitmapHandle& PicturePanel::Picture() const {
    if (templateImage_ != 0) {
        picture_ = LoadBitmapResource(templateImage_);
        templateImage_ = 0;
    }
    return picture_;
}

void PicturePanel::OnPaint(wxPaintEvent& /*event*/) {
    wxPaintDC dc(this);
    if (!converted_) {
        shown_ = ToWxBitmap(Picture());
        converted_ = true;
    }
    const wxRect area = PictureArea();
    if (shown_.IsOk() && !area.IsEmpty()) {
        const wxDCClipper clip(dc, area);
        dc.DrawBitmap(shown_, area.x, area.y);
    }
#ifdef __WXGTK__
    if (sunken_)
        if (auto* cairo = static_cast<cairo_t*>(dc.GetImpl()->GetCairoContext())) {
            const wxSize size = GetClientSize();
            gtk_render_frame(gtk_widget_get_style_context(GetHandle()), cairo, 0, 0, size.x, size.y);
        }
#endif
}

// ---- The window -------------------------------------------------------------------

class DialogView::ViewWindow : public wxDialog {
public:
    // The window's size is set once its font is measured. A size given here
    // spares the toolkit making up a default one from the screen's work
    // area, which it asks the display for and waits.
    ViewWindow(DialogView& view, wxWindow* parent, const DialogTemplate& dialogTemplate)
        : wxDialog(parent, wxID_ANY, FromCp1252(dialogTemplate.caption), wxDefaultPosition, wxSize(1, 1),
                   wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | (dialogTemplate.sizingBorder ? wxRESIZE_BORDER : 0) |
                       (parent == nullptr ? wxDIALOG_NO_PARENT : 0)),
          view_(view) {}

    DialogView& View() const { return view_; }

private:
    DialogView& view_;
};

namespace {
class ShownTimer final : public wxTimer {
public:
    explicit ShownTimer(std::function<void()> action) : action_(std::move(action)) {}
    void Notify() override { action_(); }

private:
    std::function<void()> action_;
};
}  // namespace

DialogView::DialogView(WxHost& host, CDialog& dialog, const DialogTemplate& dialogTemplate, wxWindow* parent)
    : host_(host), dialog_(dialog), template_(dialogTemplate), window_(new ViewWindow(*this, parent, dialogTemplate)),
      units_(UseDialogFont(*window_, dialogTemplate.pointSize)) {
    // The dialog's own commands decide how it ends; the toolkit's default
    // buttons and keys never end the run by themselves.
    window_->SetEscapeId(wxID_NONE);
    window_->SetAffirmativeId(wxID_NONE);

    CreateWidgets();
    window_->SetClientSize(units_.X(dialogTemplate.cx), units_.Y(dialogTemplate.cy));

    window_->Bind(wxEVT_CHAR_HOOK, &DialogView::OnKey, this);
    window_->Bind(wxEVT_CLOSE_WINDOW, &DialogView::OnCloseBox, this);
    window_->Bind(wxEVT_CONTEXT_MENU, &DialogView::OnContextMenu, this);
}

DialogView::~DialogView() {
    for (Item& item : items_)
        if (item.control != nullptr) item.control->SetObserver(nullptr);
    delete window_;
}

wxDialog& DialogView::Window() const { return *window_; }

DialogView* DialogView::Of(wxWindow* window) {
    auto* own = dynamic_cast<ViewWindow*>(window);
    return own != nullptr ? &own->View() : nullptr;
}

void DialogView::CreateWidgets() {
    items_.reserve(template_.controls.size());
    for (const ControlTemplate& entry : template_.controls) items_.push_back({&entry, nullptr});
    // Group boxes first, so the controls they enclose lie above them; the
    // others in template order, which is the tab order.
    for (Item& item : items_)
        if (item.entry->kind == ControlKind::GroupBox) item.widget = CreateWidget(*item.entry);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Item& item = items_[i];
        if (item.widget != nullptr) continue;
        item.widget = CreateWidget(*item.entry);
        switch (item.entry->kind) {
            case ControlKind::PushButton:
            case ControlKind::DefPushButton:
                item.widget->Bind(wxEVT_BUTTON, [this, i](wxCommandEvent&) {
                    Send(CommandMessage(items_[i].entry->id, BN_CLICKED));
                });
                break;
            case ControlKind::DropDownList:
                item.widget->Bind(wxEVT_CHOICE,
                                  [this, i](wxCommandEvent& event) { OnPicked(items_[i], event.GetSelection()); });
                break;
            case ControlKind::ListBox:
            {
                auto* list = static_cast<VirtualListBox*>(item.widget);
                list->SetOnPicked([this, i](int row) { OnPicked(items_[i], row); });
                list->SetOnTyped([this, i](const wxString& typed) { OnListTyped(items_[i], typed); });
                break;
            }
            case ControlKind::Edit:
                item.widget->Bind(wxEVT_TEXT, [this, i](wxCommandEvent&) { OnTyped(items_[i]); });
                break;
            default:
                break;
        }
    }
    TieLabels();
}

void DialogView::TieLabels() {
    std::vector<bool> named(items_.size(), false);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Item& item = items_[i];
        auto* label = dynamic_cast<TemplateLabel*>(item.widget);
        const int target = NamedControl(template_, i);
        if (label == nullptr || target < 0) continue;
        const Item& control = items_[static_cast<std::size_t>(target)];
        TieLabel(*label, *control.widget);
        named[static_cast<std::size_t>(target)] = true;
        // A one-line label beside a one-line box stands on that box's text
        // line, which the toolkit centres in the box.
        const wxRect box = control.widget->GetRect();
        const wxRect place = item.widget->GetRect();
        const int middle = place.y + place.height / 2;
        if (control.entry->kind == ControlKind::ListBox || item.entry->text.find('\n') != std::string::npos ||
            middle < box.y || middle >= box.GetBottom())
            continue;
        const int height = label->GetCharHeight();
        item.widget->SetSize(place.x, box.y + (box.height - height) / 2, place.width, height);
    }
    // An input control that no label names is known by its group's caption.
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (named[i] || !IsInputControl(items_[i].entry->kind)) continue;
        if (const std::string* caption = EnclosingCaption(template_, i))
            SetAccessibleName(*items_[i].widget, FromCp1252(*caption));
    }
}

wxWindow* DialogView::CreateWidget(const ControlTemplate& entry) {
    const wxPoint position(units_.X(entry.x), units_.Y(entry.y));
    const wxSize size(units_.X(entry.x + entry.cx) - position.x, units_.Y(entry.y + entry.cy) - position.y);
    const wxWindowID id = WidgetId(entry.id);
    const wxString text = FromCp1252(entry.text);
    switch (entry.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            auto* button = new wxButton(window_, id, text, position, size);
            if (entry.kind == ControlKind::DefPushButton) button->SetDefault();
            return button;
        }
        case ControlKind::DropDownList: {
            auto* choice =
                new wxChoice(window_, id, position, wxSize(size.x, units_.Y(entry.y + DrawnHeight(entry)) - position.y));
#ifdef __WXGTK__
            // The box is as wide as its template makes it: the toolkit's
            // measure of every item, to fit the widest, would go unused.
            if (GtkWidget* shown = gtk_bin_get_child(GTK_BIN(choice->GetHandle())); shown != nullptr && GTK_IS_CELL_VIEW(shown))
                gtk_cell_view_set_fit_model(GTK_CELL_VIEW(shown), FALSE);
#endif
            return choice;
        }
        case ControlKind::ListBox:
            return new VirtualListBox(window_, id, position, size);
        case ControlKind::Edit:
            return new wxTextCtrl(window_, id, wxString(), position, size);
        case ControlKind::Label:
            return new TemplateLabel(window_, id, text, position, size, wxST_NO_AUTORESIZE);
        case ControlKind::GroupBox:
            return new TemplateGroupBox(window_, id, text, position, size);
        case ControlKind::Picture:
            return new PicturePanel(window_, id, position, size, entry.sunken, entry.imageId);
        case ControlKind::IconPicture: {
            // Drawn at the desktop's icon size, from the control's corner.
            const wxBitmap image =
                ToWxBitmap(NearestImage(LoadIconResource(entry.imageId), GetSystemMetrics(SM_CXICON)));
            return new wxStaticBitmap(window_, id, image, position, image.IsOk() ? image.GetSize() : size);
        }
    }
    return new wxWindow(window_, id, position, size);
}

wxWindow* DialogView::FindWidget(int id) const {
    for (const Item& item : items_)
        if (item.entry->id == id && id != 0) return item.widget;
    return nullptr;
}

const ControlTemplate* DialogView::FindTemplateOf(const wxWindow* widget) const {
    for (; widget != nullptr && widget != window_; widget = widget->GetParent())
        for (const Item& item : items_)
            if (item.widget == widget) return item.entry;
    return nullptr;
}

// ---- Control objects to widgets ----------------------------------------------------

DialogView::Item* DialogView::ItemOf(const CControl& control) {
    for (Item& item : items_)
        if (item.control == &control) return &item;
    return nullptr;
}

void DialogView::ControlBound(CControl& control) { Attach(control); }

void DialogView::Attach(CControl& control, std::optional<ControlChange> change) {
    if (ItemOf(control) != nullptr) return;
    for (Item& item : items_) {
        if (item.entry->id != control.GetDlgCtrlID() || item.entry->id == 0) continue;
        if (item.control != nullptr) return;  // another wrapper holds this control
        item.control = &control;
        item.mirrored = Mirrors(*item.entry, control);
        control.SetObserver(this);
        Mirror(item, change, -1);
        return;
    }
}

void DialogView::ControlChanged(CControl& control, ControlChange change, int index) {
    Item* item = ItemOf(control);
    if (item == nullptr) return;
    if (change == ControlChange::Focus)
        RequestFocus(item->widget);
    else
        Mirror(*item, change, index);
}

bool DialogView::Mirrors(const ControlTemplate& entry, CControl& control) {
    switch (entry.kind) {
        case ControlKind::DropDownList:
        case ControlKind::ListBox:
            return dynamic_cast<SortedItemList*>(&control) != nullptr;
        case ControlKind::Edit:
            return dynamic_cast<CEdit*>(&control) != nullptr;
        case ControlKind::Picture:
            return dynamic_cast<CStatic*>(&control) != nullptr;
        default:
            return false;
    }
}

void DialogView::Mirror(Item& item, std::optional<ControlChange> change, int index) {
    if (!item.mirrored) return;
    switch (item.entry->kind) {
        case ControlKind::DropDownList:
            MirrorList(static_cast<SortedItemList&>(*item.control), static_cast<wxChoice&>(*item.widget), change,
                       index);
            return;
        case ControlKind::ListBox:
            static_cast<VirtualListBox&>(*item.widget)
                .Mirror(static_cast<SortedItemList&>(*item.control), change, index);
            return;
        case ControlKind::Edit:
            if (typing_ != &item)
                static_cast<wxTextCtrl&>(*item.widget)
                    .ChangeValue(FromCp1252(static_cast<CEdit&>(*item.control).Text()));
            return;
        case ControlKind::Picture: {
            const BitmapHandle& bitmap = static_cast<CStatic&>(*item.control).GetBitmap();
            // Until the program gives the picture a bitmap, the template's image stays.
            if (change || bitmap) static_cast<PicturePanel&>(*item.widget).SetPicture(bitmap);
            return;
        }
        default:
            return;
    }
}

void DialogView::MirrorList(const SortedItemList& list, wxChoice& widget, std::optional<ControlChange> change,
                            int index) {
    if (change == ControlChange::Reset) {
        widget.Clear();
    } else if (change == ControlChange::ItemInserted && index >= 0 &&
               static_cast<unsigned>(index) <= widget.GetCount() &&
               widget.GetCount() + 1 == static_cast<unsigned>(list.GetCount())) {
        widget.Insert(FromCp1252(list.GetItemText(index)), static_cast<unsigned>(index));
    } else if (change != ControlChange::Selection) {
        // Everything else (the first mirror, several items added, an insertion
        // the widget cannot follow) copies the whole list.
        widget.Clear();
        wxArrayString texts;
        texts.reserve(list.Items().size());
        for (const std::string& text : list.Items()) texts.Add(FromCp1252(text));
        if (!texts.empty()) widget.Append(texts);
    }
    const int selection = list.GetCurSel();
    if (widget.GetSelection() != selection) widget.SetSelection(selection < 0 ? wxNOT_FOUND : selection);
}

void DialogView::RequestFocus(wxWindow* widget) {
    focus_ = widget;
    widget->SetFocus();
}

// ---- The run -------------------------------------------------------------------------

void DialogView::Run(bool focusFirstTabStop, const std::set<const CControl*>& picturesSet, const CControl* focus) {
    for (const Item& item : items_)
        if (item.entry->id != 0)
            if (CControl* control = dialog_.FindControl(item.entry->id))
                Attach(*control, picturesSet.count(control) != 0 ? std::optional(ControlChange::Image) : std::nullopt);
    if (focus != nullptr)
        if (Item* item = ItemOf(*focus)) RequestFocus(item->widget);
    IconChanged();
    if (dialog_.HasEnded()) return;

    if (focusFirstTabStop) {
        const auto first = std::find_if(items_.begin(), items_.end(), [](const Item& item) {
            return item.entry->tabStop && item.widget->IsEnabled() && item.widget->CanAcceptFocus();
        });
        if (first != items_.end()) RequestFocus(first->widget);
    }
    window_->Centre(wxBOTH);

    // Once the modal loop runs: the first focus again (showing the window may
    // have moved it), then the host's hook.
    ShownTimer shown([this] {
        if (shownReported_ || !window_->IsModal()) return;
        shownReported_ = true;
        if (focus_ != nullptr) focus_->SetFocus();
        host_.WindowShown(*this);
    });
    shown.StartOnce(1);
    window_->ShowModal();
    shown.Stop();
}

void DialogView::ModalEnded(std::intptr_t /*result*/) {
    if (window_->IsModal()) window_->EndModal(wxID_OK);
}

void DialogView::IconChanged() { window_->SetIcons(ToIconBundle(dialog_.GetIcon(true), dialog_.GetIcon(false))); }

bool DialogView::IsIconic() const { return window_->IsIconized(); }

Rect DialogView::GetClientRect() const {
    const wxSize size = window_->GetClientSize();
    return {0, 0, size.x, size.y};
}

// ---- User input to the dialog ------------------------------------------------------------

void DialogView::Send(const Message& message) {
    if (dialog_.HasEnded()) return;  // input that arrives after the end
    dialog_.Dispatch(message);
    // A list the handler reset and left empty shows so before it is drawn.
    for (const Item& item : items_)
        if (item.mirrored && item.entry->kind == ControlKind::ListBox) static_cast<VirtualListBox&>(*item.widget).Sync();
}

void DialogView::OnPicked(const Item& item, int index) {
    if (dialog_.HasEnded()) return;
    if (item.mirrored) static_cast<SortedItemList&>(*item.control).SetCurSel(index);
    Send(CommandMessage(item.entry->id, item.entry->kind == ControlKind::ListBox ? LBN_SELCHANGE : CBN_SELCHANGE));
}

void DialogView::OnListTyped(const Item& item, const wxString& typed) {
    auto* list = item.mirrored ? dynamic_cast<CListBox*>(item.control) : nullptr;
    if (list == nullptr || dialog_.HasEnded()) return;
    const int before = list->GetCurSel();
    const int row = list->SelectString(before, ToCp1252(typed));
    // Reported as a click on the line would be; a line already selected is
    // no change, as an arrow key at the last line is none.
    if (row >= 0 && row != before) OnPicked(item, row);
}

void DialogView::OnTyped(Item& item) {
    if (!item.mirrored) return;
    typing_ = &item;
    static_cast<CEdit&>(*item.control).SetWindowText(ToCp1252(static_cast<wxTextCtrl&>(*item.widget).GetValue()));
    typing_ = nullptr;
}

int DialogView::DefaultCommandId() const {
    for (const Item& item : items_)
        if (item.entry->kind == ControlKind::DefPushButton) return item.entry->id;
    return IDOK;
}

void DialogView::OnKey(wxKeyEvent& event) {
    switch (event.GetKeyCode()) {
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER: {
            // A push button with the focus is pressed; otherwise the default
            // command (the default push button's, or IDOK).
            const wxWindow* origin = dynamic_cast<wxWindow*>(event.GetEventObject());
            if (origin == nullptr || origin == window_) origin = wxWindow::FindFocus();
            const ControlTemplate* entry = FindTemplateOf(origin);
            Send(CommandMessage(entry != nullptr && IsPushButton(entry->kind) ? entry->id : DefaultCommandId(), BN_CLICKED));
            return;
        }
        case WXK_ESCAPE:
            Send(CommandMessage(IDCANCEL, BN_CLICKED));
            return;
        default:
            event.Skip();
    }
}

void DialogView::OnCloseBox(wxCloseEvent& event) {
    // The window closes only when the dialog ends itself.
    if (event.CanVeto()) event.Veto();
    Send({WM_SYSCOMMAND, SC_CLOSE, 0});
}

void DialogView::OnContextMenu(wxContextMenuEvent& event) {
    auto* origin = dynamic_cast<wxWindow*>(event.GetEventObject());
    const ControlTemplate* entry = FindTemplateOf(origin);
    if (origin != window_ && (entry == nullptr || !IsBackground(entry->kind))) {
        event.Skip();
        return;
    }
    if (dialog_.HasEnded()) return;
    const CMenu* systemMenu = dialog_.GetSystemMenu(false);
    if (systemMenu == nullptr || systemMenu->Items().empty()) return;

    std::vector<unsigned> commands;
    wxMenu menu;
    for (const MenuItem& item : systemMenu->Items()) {
        const int id = kMenuFirstId + static_cast<int>(commands.size());
        commands.push_back(item.id);
        if ((item.flags & MF_SEPARATOR) != 0)
            menu.AppendSeparator();
        else
            menu.Append(id, item.text.empty() ? wxString(" ") : FromCp1252(item.text));
    }
    const int chosen = host_.ChooseFromMenu(*window_, menu) - kMenuFirstId;
    if (chosen >= 0 && chosen < static_cast<int>(commands.size()))
        Send({WM_SYSCOMMAND, commands[static_cast<std::size_t>(chosen)], 0});
}

}  // namespace qm
