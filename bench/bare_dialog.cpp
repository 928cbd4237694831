// The floor of the window's start-up: a bare wx dialog, with nothing in it,
// shown with the client size given, until the process is ended.
//
// Usage: bench_bare_dialog <title> <width> <height>
#include <cstdlib>

#include <wx/app.h>
#include <wx/dialog.h>

namespace {

class BareDialogApp final : public wxApp {
public:
    bool OnInit() override {
        if (argc < 4) return false;
        auto* dialog = new wxDialog(nullptr, wxID_ANY, argv[1]);
        dialog->SetClientSize(std::atoi(argv[2].c_str()), std::atoi(argv[3].c_str()));
        dialog->Show();
        return true;
    }
};

}  // namespace

wxIMPLEMENT_APP(BareDialogApp);
