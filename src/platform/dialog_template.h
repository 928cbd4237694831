// Dialog templates as data: the window's caption, size and style and its
// controls in template (and tab) order, with geometry in dialog units. The
// layer that owns a dialog registers its template; the on-screen view builds
// the window from it.
#pragma once

#include <string>
#include <vector>

namespace qm {

enum class ControlKind {
    PushButton,
    DefPushButton,
    DropDownList,  // sorted drop-down list without an edit field
    ListBox,       // sorted list box that notifies selection changes
    Edit,          // one-line edit box
    Label,         // static text
    GroupBox,
    Picture,       // bitmap picture at the bitmap's own size (imageId: initial bitmap)
    IconPicture,   // icon picture (imageId: the icon)
};

struct ControlTemplate {
    ControlKind kind;
    int id;  // 0 for controls without one (labels, group boxes, pictures without id)
    std::string text;
    int x, y, cx, cy;  // dialog units
    bool tabStop = false;
    bool group = false;
    int imageId = 0;
    bool sunken = false;  // sunken edge (pictures)
};

struct DialogTemplate {
    int id;
    std::string caption;
    std::string fontName;  // "MS Shell Dlg"
    int pointSize;         // 8
    int cx, cy;            // dialog units
    bool sizingBorder = false;
    bool appWindow = false;  // has a taskbar button of its own
    std::vector<ControlTemplate> controls;
};

// Registers a template under its id (the owner keeps it alive).
void RegisterDialogTemplate(const DialogTemplate& dialogTemplate);
// The template of `id`, or null.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace qm
