#include "platform/wx/wx_host.h"

#include <algorithm>

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "platform/wx/wx_codec.h"
#include "platform/wx/wx_view.h"

namespace qm {

namespace {

long ButtonStyle(unsigned type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return wxOK | wxCANCEL;
        case MB_YESNO:
            return wxYES_NO | wxYES_DEFAULT;
        default:
            return wxOK;
    }
}

long IconStyle(unsigned type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONINFORMATION:
            return wxICON_INFORMATION;
        case MB_ICONEXCLAMATION:
            return wxICON_EXCLAMATION;
        default:
            return wxICON_NONE;
    }
}

// The box's answer; a box closed without a button (Escape, its close box)
// answers as its No or Cancel button.
int Answer(unsigned type, int wxAnswer) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            return wxAnswer == wxID_OK ? IDOK : IDCANCEL;
        case MB_YESNO:
            return wxAnswer == wxID_YES ? IDYES : IDNO;
        default:
            return IDOK;
    }
}

}  // namespace

int WxHost::ShowMessageBox(CDialog* owner, std::string_view text, std::string_view caption, unsigned type) {
    if (wxTheApp == nullptr) return 0;
    wxWindow* parent = owner != nullptr ? WindowOf(*owner) : nullptr;
    if (parent == nullptr) parent = TopWindow();
    wxMessageDialog box(parent, FromCp1252(text), FromCp1252(caption), ButtonStyle(type) | IconStyle(type) | wxCENTRE);
    return Answer(type, box.ShowModal());
}

std::intptr_t WxHost::RunModal(CDialog& dialog) {
    if (wxTheApp == nullptr) return -1;
    const DialogTemplate* dialogTemplate = FindDialogTemplate(dialog.TemplateId());
    if (dialogTemplate == nullptr) return -1;
    wxWindow* parent = dialog.Parent() != nullptr ? WindowOf(*dialog.Parent()) : nullptr;
    if (parent == nullptr) parent = TopWindow();

    DialogView view(*this, dialog, *dialogTemplate, parent);
    running_.push_back(&view);
    dialog.BeginModalRun(&view);
    const bool focusFirstTabStop = dialog.InitDialogForRun();
    view.Run(focusFirstTabStop);
    dialog.EndModalRun();
    running_.erase(std::find(running_.begin(), running_.end(), &view));
    return dialog.ModalResult();
}

wxDialog* WxHost::WindowOf(const CDialog& dialog) const {
    for (DialogView* view : running_)
        if (&view->Dialog() == &dialog) return &view->Window();
    return nullptr;
}

wxDialog* WxHost::TopWindow() const { return running_.empty() ? nullptr : &running_.back()->Window(); }

void WxHost::WindowShown(DialogView& view) {
    if (onShown_) onShown_(view.Window(), view.Dialog());
}

int WxHost::ChooseFromMenu(wxWindow& window, wxMenu& menu) {
    if (menuChooser_) return menuChooser_(window, menu);
    return window.GetPopupMenuSelectionFromUser(menu);
}

}  // namespace qm
