// Window behaviours: the about command, the minimised icon, the drag image and
// the exit question.
#include <gtest/gtest.h>

#include "main_window.h"

namespace qm::test {
namespace {

class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        sim_.AddAircraft("A", {{"A1", "Kestrel", "K1", "Blue", "b", true, true}});
        sim_.WriteCategories(CrlfLines({"[Cat]", "aircraft0.title=A1", "aircraft0.displayName=one"}));
    }
    SimFolder sim_;
};

TEST_F(WindowTest, CommandValues16To31OpenTheAboutBoxAndOthersDoNot) {
    MainWindow w(sim_);
    int aboutRuns = 0;
    for (unsigned command = 0; command <= 48; ++command) {
        if (command == 16) continue;
        const bool opens = (command & 0xFFF0) == 16;
        if (opens) {
            w.host.OnNextModal([&](CDialog& about) {
                EXPECT_EQ(about.TemplateId(), IDD_ABOUTBOX);
                ++aboutRuns;
                PressEnter(about);
            });
        }
        const int before = w.host.ModalRuns();
        SystemCommand(w.dialog, command);
        EXPECT_EQ(w.host.ModalRuns() - before, opens ? 1 : 0) << command;
    }
    EXPECT_EQ(aboutRuns, 15);
    EXPECT_FALSE(w.dialog.HasEnded());
    EXPECT_TRUE(w.host.Boxes().empty());
}

TEST_F(WindowTest, AboutBoxLeavesTheMainWindowAsItWas) {
    MainWindow w(sim_);
    PickItem(w.dialog, IDC_ENTRY_LIST, 0);
    TypeText(w.dialog, IDC_DISPLAY_NAME, "typed");
    const BitmapHandle shown = w.dialog.ShownBitmap();
    for (int i = 0; i < 3; ++i) {
        w.host.OnNextModal([](CDialog& about) { PressEscape(about); });
        SystemCommand(w.dialog, AboutCommand);
    }
    EXPECT_EQ(w.host.ModalRuns(), 3);
    EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "typed");
    EXPECT_EQ(w.dialog.EntryList().GetCurSel(), 0);
    EXPECT_EQ(w.dialog.ShownBitmap(), shown);
}

TEST_F(WindowTest, WindowMenuCloseAsksTheExitQuestion) {
    MainWindow w(sim_);
    w.host.AnswerNextBox(IDNO);
    SystemCommand(w.dialog, SC_CLOSE);
    ASSERT_EQ(w.host.Boxes().size(), 1u);
    EXPECT_EQ(w.host.Boxes()[0], (ScriptedHost::Box{"Do you really want to exit?", "Warning", MB_YESNO, IDNO}));
    EXPECT_FALSE(w.dialog.HasEnded());
}

struct ExitCase {
    const char* name;
    void (*action)(CDialog&);
    int answer;
    std::intptr_t result;  // -1: still open
};

class ExitQuestionTest : public WindowTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitQuestionTest, OnlyYesEndsTheDialogWithTheResultOfItsSource) {
    MainWindow w(sim_);
    PickItem(w.dialog, IDC_ENTRY_LIST, 0);
    TypeText(w.dialog, IDC_DISPLAY_NAME, "typed");
    w.host.AnswerNextBox(GetParam().answer);
    GetParam().action(w.dialog);
    ASSERT_EQ(w.host.Boxes().size(), 1u);
    EXPECT_EQ(w.host.Boxes()[0].text, "Do you really want to exit?");
    EXPECT_EQ(w.host.Boxes()[0].caption, "Warning");
    EXPECT_EQ(w.host.Boxes()[0].type, MB_YESNO);
    if (GetParam().result < 0) {
        EXPECT_FALSE(w.dialog.HasEnded());
        EXPECT_EQ(w.dialog.DisplayNameBox().Text(), "typed");
        EXPECT_EQ(w.dialog.EntryList().GetCurSel(), 0);
    } else {
        EXPECT_TRUE(w.dialog.HasEnded());
        EXPECT_EQ(w.dialog.ModalResult(), GetParam().result);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ExitQuestionTest,
    ::testing::Values(ExitCase{"CloseYes", [](CDialog& d) { ClickButton(d, IDOK); }, IDYES, IDOK},
                      ExitCase{"EnterYes", [](CDialog& d) { PressEnter(d); }, IDYES, IDOK},
                      ExitCase{"EscapeYes", [](CDialog& d) { PressEscape(d); }, IDYES, IDCANCEL},
                      ExitCase{"CloseBoxYes", [](CDialog& d) { CloseBox(d); }, IDYES, IDCANCEL},
                      ExitCase{"CloseNo", [](CDialog& d) { ClickButton(d, IDOK); }, IDNO, -1},
                      ExitCase{"EscapeNo", [](CDialog& d) { PressEscape(d); }, IDNO, -1},
                      ExitCase{"CloseBoxNo", [](CDialog& d) { CloseBox(d); }, IDNO, -1},
                      ExitCase{"BoxNotShown", [](CDialog& d) { PressEscape(d); }, 0, -1}),
    [](const auto& p) { return std::string(p.param.name); });

struct PlaceCase {
    int width, height, x, y;
};

class IconPlaceTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(IconPlaceTest, CentresA32PixelIconTruncatingTowardZero) {
    const auto [x, y] = CentredIconPlace({0, 0, GetParam().width, GetParam().height}, 32, 32);
    EXPECT_EQ(x, GetParam().x);
    EXPECT_EQ(y, GetParam().y);
}

INSTANTIATE_TEST_SUITE_P(Places, IconPlaceTest,
                         ::testing::Values(PlaceCase{48, 48, 8, 8}, PlaceCase{49, 48, 9, 8},
                                           PlaceCase{16, 16, -7, -7}, PlaceCase{0, 0, -15, -15},
                                           PlaceCase{33, 31, 1, 0}));

// A window peer that is minimised and records what is drawn.
class MinimisedPeer : public WindowPeer {
public:
    bool IsIconic() const override { return iconic; }
    Rect GetClientRect() const override { return {0, 0, 49, 16}; }
    void DrawIcon(int x, int y, const IconHandle& icon) override { drawn.push_back({x, y, icon}); }
    struct Drawn {
        int x, y;
        IconHandle icon;
    };
    bool iconic = true;
    std::vector<Drawn> drawn;
};

TEST_F(WindowTest, MinimisedWindowDrawsItsIconCentredAndANormalOneDoesNot) {
    ScriptedHost host;
    CurrentDirectory cwd(sim_.Companion());
    CQuillmarshDlg dialog;
    MinimisedPeer peer;
    dialog.BeginModalRun(&peer);
    dialog.InitDialogForRun();

    dialog.Dispatch({WM_PAINT, 0, 0});
    ASSERT_EQ(peer.drawn.size(), 1u);
    EXPECT_EQ(peer.drawn[0].x, 9);
    EXPECT_EQ(peer.drawn[0].y, -7);
    EXPECT_EQ(peer.drawn[0].icon, dialog.GetIcon(true));

    peer.iconic = false;
    dialog.Dispatch({WM_PAINT, 0, 0});
    EXPECT_EQ(peer.drawn.size(), 1u);
    dialog.EndModalRun();
}

TEST_F(WindowTest, DragImageIsTheDialogIcon) {
    MainWindow w(sim_);
    const std::intptr_t handle = w.dialog.Dispatch({WM_QUERYDRAGICON, 0, 0});
    EXPECT_EQ(handle, reinterpret_cast<std::intptr_t>(w.dialog.GetIcon(true).get()));
    EXPECT_NE(handle, 0);
}

}  // namespace
}  // namespace qm::test
