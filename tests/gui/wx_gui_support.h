// Support for the window tests: the toolkit is started once for the test
// program (a test environment, registered by including this header), and a
// GuiHost installs a WxHost whose modal windows are driven by scripts, one
// per window in the order the windows open.
//
// A script runs inside its window's modal loop once the window is up. It
// must end its window; a window its script leaves open (or that opens with
// no script left) fails the test and is ended with -2, so a broken test does
// not hang.
#pragma once

#include <deque>
#include <functional>
#include <utility>

#include <gtest/gtest.h>
#include <wx/debug.h>
#include <wx/dialog.h>
#include <wx/string.h>

#include "platform/dialog.h"
#include "platform/wx/wx_app.h"
#include "platform/wx/wx_host.h"
#include "support/wx/wx_testing.h"

namespace qm::wxtest {

inline void FailOnWxAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                           const wxString& message) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "wx assertion in " << function.utf8_str().data() << ": " << condition.utf8_str().data() << " "
        << message.utf8_str().data();
}

class WxEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static char name[] = "gui_tests";
        static char* argv[] = {name, nullptr};
        wxSetAssertHandler(&FailOnWxAssert);
        ASSERT_TRUE(StartWx(1, argv)) << "the window tests need a display: run them under xvfb-run -a";
    }
    void TearDown() override { StopWx(); }
};

inline ::testing::Environment* const kWxEnvironment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

class GuiHost {
public:
    using Script = std::function<void(wxDialog& window, CDialog& dialog)>;

    GuiHost() {
        SetHost(&host_);
        host_.SetOnShown([this](wxDialog& window, CDialog& dialog) { Drive(window, dialog); });
    }
    ~GuiHost() {
        SetHost(nullptr);
        EXPECT_TRUE(scripts_.empty()) << scripts_.size() << " window script(s) never ran";
    }
    GuiHost(const GuiHost&) = delete;
    GuiHost& operator=(const GuiHost&) = delete;

    // The script of the next window that opens.
    GuiHost& Then(Script script) {
        scripts_.push_back(std::move(script));
        return *this;
    }
    WxHost& Host() { return host_; }
    int WindowsShown() const { return shown_; }

private:
    void Drive(wxDialog& window, CDialog& dialog) {
        ++shown_;
        if (scripts_.empty()) {
            ADD_FAILURE() << "a window of template " << dialog.TemplateId() << " opened without a script";
        } else {
            Script script = std::move(scripts_.front());
            scripts_.pop_front();
            script(window, dialog);
        }
        if (!dialog.HasEnded()) {
            ADD_FAILURE() << "the script left the window of template " << dialog.TemplateId() << " open";
            dialog.EndDialog(-2);
        }
    }

    WxHost host_;
    std::deque<Script> scripts_;
    int shown_ = 0;
};

}  // namespace qm::wxtest
