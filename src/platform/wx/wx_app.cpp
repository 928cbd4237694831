#include "platform/wx/wx_app.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <wx/app.h>
#include <wx/init.h>

#include "platform/dialog.h"
#include "platform/wx/wx_fonts.h"
#include "platform/wx/wx_host.h"

namespace qm {

namespace {

// The toolkit needs an application object; the program's windows run their
// own modal loops, so it has nothing to do itself.
class QuillmarshWxApp final : public wxApp {
public:
    // Arguments are not parsed: the program has no options.
    bool OnInit() override { return true; }
    // The windows are laid out from their templates, left to right, as the
    // platform lays out a dialog whose template asks for no mirroring.
    // Answering here also spares the toolkit its table of languages, which
    // it would build at the first window only to answer this (a fifteenth of
    // the time that window takes to make).
    wxLayoutDirection GetLayoutDirection() const override { return wxLayout_LeftToRight; }
};

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

}  // namespace

bool StartWx(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fputs(
            "Quillmarsh needs a graphical display: DISPLAY is not set. Start it from a desktop session "
            "(or under xvfb-run).\n",
            stderr);
        return false;
    }
    // The toolkit may take its own options out of the arguments.
    static std::vector<char*> arguments;
    arguments.assign(argv, argv + argc);
    arguments.push_back(nullptr);
    int count = argc;
    wxApp::SetInstance(new QuillmarshWxApp);
    if (!wxEntryStart(count, arguments.data())) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "Quillmarsh could not open the graphical display \"%s\".\n",
                     display != nullptr ? display : "");
        return false;
    }
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return false;
    }
    // The fonts are otherwise loaded as the first window measures its text:
    // some 15 ms on this thread once that window is built, which takes
    // longer than the loading does beside it.
    StartLoadingFonts();
    return true;
}

void StopWx() {
    StopLoadingFonts();
    if (wxTheApp != nullptr) wxTheApp->OnExit();
    wxEntryCleanup();
}

int RunWxApplication(int argc, char** argv, std::function<int()> entry) {
    if (!StartWx(argc, argv)) return 1;
    int status = 0;
    {
        WxHost host;
        SetHost(&host);
        status = entry();
        SetHost(nullptr);
    }
    StopWx();
    return status;
}

}  // namespace qm
