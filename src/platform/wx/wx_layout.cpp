#include "platform/wx/wx_layout.h"

#include <wx/string.h>
#include <wx/window.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

namespace qm {
namespace {

#ifdef __WXGTK__
// The GTK widget that takes the focus for `window`: a scrolled list's view.
GtkWidget* FocusWidget(wxWindow& window) {
    GtkWidget* widget = window.GetHandle();
    if (widget != nullptr && GTK_IS_SCROLLED_WINDOW(widget))
        if (GtkWidget* content = gtk_bin_get_child(GTK_BIN(widget))) return content;
    return widget;
}
#endif

}  // namespace

bool IsInputControl(ControlKind kind) {
    return kind == ControlKind::DropDownList || kind == ControlKind::ListBox || kind == ControlKind::Edit;
}

int DrawnHeight(const ControlTemplate& entry) {
    return entry.kind == ControlKind::DropDownList && entry.cy > kDropDownBoxHeight ? kDropDownBoxHeight : entry.cy;
}

int NamedControl(const DialogTemplate& dialogTemplate, std::size_t label) {
    const std::vector<ControlTemplate>& controls = dialogTemplate.controls;
    if (label >= controls.size() || controls[label].kind != ControlKind::Label) return -1;
    const ControlTemplate& text = controls[label];
    // Twice the label's middle line, in whole units.
    const int middle = 2 * text.y + text.cy;
    int beside = -1;
    int below = -1;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& c = controls[i];
        if (!IsInputControl(c.kind)) continue;
        const int index = static_cast<int>(i);
        const bool onTheRight = 2 * c.x >= 2 * text.x + text.cx;
        const bool onTheLine = 2 * c.y <= middle && middle <= 2 * (c.y + DrawnHeight(c));
        if (onTheRight && onTheLine && (beside < 0 || c.x < controls[static_cast<std::size_t>(beside)].x))
            beside = index;
        const bool rightBelow = c.y >= text.y + text.cy && c.y <= text.y + 2 * text.cy;
        const bool underTheLeft = 2 * c.x <= 2 * text.x + text.cx && c.x + c.cx > text.x;
        if (rightBelow && underTheLeft && (below < 0 || c.y < controls[static_cast<std::size_t>(below)].y))
            below = index;
    }
    return beside >= 0 ? beside : below;
}

const std::string* EnclosingCaption(const DialogTemplate& dialogTemplate, std::size_t index) {
    const std::vector<ControlTemplate>& controls = dialogTemplate.controls;
    if (index >= controls.size()) return nullptr;
    const ControlTemplate& c = controls[index];
    const ControlTemplate* innermost = nullptr;
    for (const ControlTemplate& group : controls) {
        if (group.kind != ControlKind::GroupBox || &group == &c) continue;
        const bool encloses = group.x <= c.x && c.x + c.cx <= group.x + group.cx && group.y <= c.y &&
                              c.y + DrawnHeight(c) <= group.y + group.cy;
        if (encloses && (innermost == nullptr || group.cx * group.cy < innermost->cx * innermost->cy))
            innermost = &group;
    }
    return innermost != nullptr ? &innermost->text : nullptr;
}

#ifdef __WXGTK__

wxVisualAttributes TemplateLabel::GetDefaultAttributes() const {
    static const wxVisualAttributes defaults = wxStaticText::GetDefaultAttributes();
    return defaults;
}

void TieLabel(TemplateLabel& label, wxWindow& control) {
    GtkWidget* text = label.GetHandle();
    if (text != nullptr && GTK_IS_LABEL(text)) gtk_label_set_mnemonic_widget(GTK_LABEL(text), FocusWidget(control));
}

void SetAccessibleName(wxWindow& control, const wxString& name) {
    GtkWidget* widget = FocusWidget(control);
    if (widget == nullptr) return;
    const wxScopedCharBuffer utf8 = name.utf8_str();
    if (AtkObject* accessible = gtk_widget_get_accessible(widget)) atk_object_set_name(accessible, utf8.data());
    if (!GTK_IS_TREE_VIEW(widget)) return;
    GList* columns = gtk_tree_view_get_columns(GTK_TREE_VIEW(widget));
    for (GList* column = columns; column != nullptr; column = column->next)
        if (GtkWidget* header = gtk_tree_view_column_get_button(GTK_TREE_VIEW_COLUMN(column->data)))
            if (AtkObject* accessible = gtk_widget_get_accessible(header)) atk_object_set_name(accessible, utf8.data());
    g_list_free(columns);
}

#else

void TieLabel(TemplateLabel&, wxWindow&) {}
void SetAccessibleName(wxWindow&, const wxString&) {}

#endif

}  // namespace qm
