// The host of the real window: message boxes and modal dialogs on wxWidgets.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/dialog.h"

class wxDialog;
class wxMenu;
class wxWindow;

namespace qm {

class DialogView;

class WxHost : public Host {
public:
    // Called once for each modal window, when its modal loop first runs.
    using ShownHook = std::function<void(wxDialog& window, CDialog& dialog)>;
    // Shows the window menu and answers the chosen item's id, or wxID_NONE.
    using MenuChooser = std::function<int(wxWindow& window, wxMenu& menu)>;

    WxHost() = default;
    ~WxHost() override = default;
    WxHost(const WxHost&) = delete;
    WxHost& operator=(const WxHost&) = delete;

    // A wxMessageDialog modal over the owner's window (or the topmost modal
    // window). Returns IDOK, IDCANCEL, IDYES or IDNO; 0 before the toolkit
    // runs.
    int ShowMessageBox(CDialog* owner, std::string_view text, std::string_view caption,
                       unsigned type) override;
    // Builds the dialog's window from its template and runs it modally over
    // its parent's window (or the topmost modal window). The dialog
    // initialises (InitDialogForRun) on a thread of its own while the window
    // is built; what it asks of the host meanwhile is done on the toolkit's
    // thread, and its controls are attached once both are done. -1 without
    // a template or before the toolkit runs. Either call may come from a
    // dialog's initialisation.
    std::intptr_t RunModal(CDialog& dialog) override;

    // The window of `dialog` while it runs, or null.
    wxDialog* WindowOf(const CDialog& dialog) const;
    // The topmost modal window of this host, or null.
    wxDialog* TopWindow() const;

    // Test hooks: run code once a window is up, and choose from the window
    // menu instead of showing it.
    void SetOnShown(ShownHook hook) { onShown_ = std::move(hook); }
    void SetMenuChooser(MenuChooser chooser) { menuChooser_ = std::move(chooser); }

    // For the views.
    void WindowShown(DialogView& view);
    int ChooseFromMenu(wxWindow& window, wxMenu& menu);

private:
    std::vector<DialogView*> running_;  // outermost first
    ShownHook onShown_;
    MenuChooser menuChooser_;
};

}  // namespace qm
