// What the window reads from a template's layout beyond each control's box:
// how tall a drop-down list is drawn, which control each label names (the
// control beside it, as a person sees the form), and telling the toolkit and
// assistive technologies so, so that a screen reader announces each control
// by its own label.
#pragma once

#include <cstddef>
#include <string>

#include <wx/statbox.h>
#include <wx/stattext.h>

#include "platform/dialog_template.h"

namespace qm {

// A drop-down list's template height includes its open list; the closed box
// is this tall: the platform's 14 units, and 2 more that the toolkit's
// drop-down needs to show letters that dip below the line.
constexpr int kDropDownBoxHeight = 16;

// The height of `entry`'s box as drawn, in dialog units: a drop-down list's
// closed box, every other control's template height.
int DrawnHeight(const ControlTemplate& entry);

// The input control (drop-down list, list box or edit box) that label
// `label` of `dialogTemplate` names, by its index in the template, or -1:
// the nearest one on the label's right whose box spans the label's middle
// line (then the label shares its line), else the nearest one that starts
// right below the label (within the label's height) under its left part.
// Buttons and other labels carry their own texts and are never named.
int NamedControl(const DialogTemplate& dialogTemplate, std::size_t label);

// The caption of the innermost group box that encloses control `index`, or
// null.
const std::string* EnclosingCaption(const DialogTemplate& dialogTemplate, std::size_t index);

// A static text and a group box that name only what TieLabel ties them to:
// left to itself, the toolkit ties each to the next control in tab order
// that takes the focus, whatever the layout.
class TemplateLabel final : public wxStaticText {
public:
    // Made in two steps, so that what the label asks of itself while it is
    // made (its defaults) is already asked of this class.
    TemplateLabel(wxWindow* parent, wxWindowID id, const wxString& text, const wxPoint& position, const wxSize& size,
                  long style) {
        Create(parent, id, text, position, size, style);
    }
#ifdef __WXGTK__
    // The toolkit's label defaults, asked of a new label once: a label
    // given its window's font asks for them as the font arrives, and the
    // toolkit works out a label's style each time to answer (about a tenth
    // of the main window's widget creation went to its five labels' asking).
    wxVisualAttributes GetDefaultAttributes() const override;

protected:
    bool GTKWidgetNeedsMnemonic() const override { return false; }
#endif
};
class TemplateGroupBox final : public wxStaticBox {
public:
    using wxStaticBox::wxStaticBox;
#ifdef __WXGTK__
protected:
    bool GTKWidgetNeedsMnemonic() const override { return false; }
#endif
};

// Whether `kind` is a control a label names: a drop-down list, list box or
// edit box.
bool IsInputControl(ControlKind kind);

// Ties `label` to `control` as its label, for assistive technologies and the
// label's mnemonic.
void TieLabel(TemplateLabel& label, wxWindow& control);

// The name assistive technologies give `control`. A list's column headers
// take it too: hidden, they are still read.
void SetAccessibleName(wxWindow& control, const wxString& name);

}  // namespace qm
