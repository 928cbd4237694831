// What the main window's tests under a display share: a small simulator
// folder of their own, its companion folder as the current directory, the
// host that runs real windows by script, the message boxes' answers, and the
// main dialog.
#pragma once

#include <gtest/gtest.h>
#include <wx/dialog.h>

#include "gui/wx_gui_support.h"
#include "support/sim_fixture.h"
#include "ui/quillmarsh_dlg.h"

namespace qm::test {

class MainWindowFixture : public ::testing::Test {
protected:
    // Answers the exit question with Yes and ends the window with Escape.
    void Leave(wxDialog& window) {
        boxes_.Answer(IDYES);
        wxtest::PressEscape(window);
    }

    SimFolder sim_;
    CurrentDirectory cwd_{sim_.Companion()};
    wxtest::GuiHost gui_;
    wxtest::MessageBoxScript boxes_;
    CQuillmarshDlg dialog_;
};

}  // namespace qm::test
