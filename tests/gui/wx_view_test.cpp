// The real window on wxWidgets: what its widgets show of the control objects,
// and what the person's picks, typing, keys, clicks and window menu send to
// the dialog. Run under Xvfb.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/iconbndl.h>
#include <wx/settings.h>
#include <wx/statbmp.h>

#include "gui/wx_gui_support.h"
#include "platform/bitmap.h"
#include "platform/controls.h"
#include "platform/dialog.h"
#include "platform/dialog_template.h"
#include "platform/wx/wx_codec.h"
#include "platform/wx/wx_units.h"
#include "platform/wx/wx_view.h"
#include "support/bmp_encode.h"

namespace qm {
namespace {

using test::EncodeBmp24;
using wxtest::GuiHost;

constexpr int kMainTemplate = 9101;
constexpr int kDefaultButtonTemplate = 9102;
constexpr int kSmallTemplate = 9103;
constexpr int kTallTemplate = 9104;
constexpr int kIconTemplate = 9105;
constexpr int kBitmapResource = 9150;
constexpr int kIconResource = 9151;

constexpr int kKinds = 1201;    // drop-down list
constexpr int kEntries = 1202;  // list box
constexpr int kName = 1203;     // edit box
constexpr int kPicture = 1204;
constexpr int kFill = 1205;
constexpr int kGo = 1206;
constexpr int kAsk = 1207;
constexpr int kSub = 1208;

constexpr unsigned kAboutCommand = 0x10;

// A picture whose pixels tell it apart from one of another size or seed.
BitmapHandle MakeBitmap(int width, int height, int seed = 0) {
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->width = width;
    bitmap->height = height;
    for (int i = 0; i < width * height; ++i)
        for (int c = 0; c < 3; ++c) bitmap->rgb.push_back(static_cast<std::uint8_t>((i * 7 + c * 50 + seed * 31) % 256));
    return bitmap;
}

IconHandle MakeIcon(std::vector<int> sizes) {
    auto icon = std::make_shared<Icon>();
    for (const int size : sizes) icon->images.push_back(MakeBitmap(size, size, size));
    return icon;
}

using K = ControlKind;

const std::string kCaption = "Test \xE9\x80 window";

const DialogTemplate kMain{
    kMainTemplate, kCaption, "MS Shell Dlg", 8, 200, 160, /*sizingBorder=*/true, false,
    {
        {K::Label, 0, "&Kind", 7, 7, 40, 10, false, true},
        {K::DropDownList, kKinds, "", 50, 7, 100, 80, true},
        {K::GroupBox, 0, "Group \xE9", 4, 22, 190, 70},
        {K::ListBox, kEntries, "", 7, 30, 90, 55, true},
        {K::Edit, kName, "", 100, 30, 90, 14, true},
        {K::Picture, kPicture, "", 100, 48, 40, 30, false, false, kBitmapResource, true},
        {K::PushButton, kFill, "Fill", 7, 100, 40, 14, true},
        {K::PushButton, kAsk, "Ask", 50, 100, 40, 14, true},
        {K::PushButton, kSub, "Sub", 93, 100, 40, 14, true},
        {K::PushButton, IDOK, "OK", 100, 140, 40, 14, true},
        {K::PushButton, IDCANCEL, "Cancel", 150, 140, 40, 14, true},
    }};

const DialogTemplate kDefaultButton{kDefaultButtonTemplate, "Default button", "MS Shell Dlg", 8, 150, 60, false, false,
                                    {
                                        {K::Edit, kName, "", 7, 7, 130, 14, true},
                                        {K::DefPushButton, kGo, "Go", 7, 30, 50, 14, true},
                                        {K::PushButton, IDOK, "OK", 80, 30, 50, 14, true},
                                    }};

const DialogTemplate kSmall{kSmallTemplate, "Small", "MS Shell Dlg", 8, 100, 40, false, false,
                            {{K::DefPushButton, IDOK, "OK", 25, 20, 50, 14, true, true}}};

const DialogTemplate kTall{kTallTemplate, "Tall", "MS Shell Dlg", 8, 293, 505, true, true,
                           {
                               {K::PushButton, IDOK, "Close", 121, 484, 50, 14, true},
                               {K::Picture, kPicture, "", 45, 101, 203, 140, false, false, 0, true},
                           }};

const DialogTemplate kIconBox{kIconTemplate, "Icon", "MS Shell Dlg", 8, 150, 50, false, false,
                              {
                                  {K::IconPicture, 0, "", 11, 17, 20, 20, false, false, kIconResource},
                                  {K::DefPushButton, IDOK, "OK", 90, 7, 50, 16, true, true},
                              }};

// The pictures of the resources, kept for the whole program.
const BitmapHandle kResourceBitmap = MakeBitmap(9, 5, 3);
const std::vector<std::uint8_t> kResourceBmp = EncodeBmp24(*kResourceBitmap);
const IconHandle kResourceIcon = MakeIcon({48, 32, 16});
const std::vector<std::vector<std::uint8_t>> kResourceIconBmps = [] {
    std::vector<std::vector<std::uint8_t>> files;
    for (const BitmapHandle& image : kResourceIcon->images) files.push_back(EncodeBmp24(*image));
    return files;
}();

void RegisterTestResources() {
    static const bool done = [] {
        for (const DialogTemplate* t : {&kMain, &kDefaultButton, &kSmall, &kTall, &kIconBox})
            RegisterDialogTemplate(*t);
        RegisterBitmapResource(kBitmapResource, kResourceBmp);
        std::vector<std::span<const std::uint8_t>> images(kResourceIconBmps.begin(), kResourceIconBmps.end());
        RegisterIconResource(kIconResource, images);
        return true;
    }();
    (void)done;
}

// A small dialog that logs each handler with what it reads from its controls.
class TestDialog : public CDialog {
public:
    explicit TestDialog(int templateId = kMainTemplate, CDialog* parent = nullptr) : CDialog(templateId, parent) {
        RegisterTestResources();
    }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;

    void DoDataExchange(CDataExchange* exchange) override {
        DDX_Control(exchange, kKinds, kinds);
        DDX_Control(exchange, kEntries, entries);
        DDX_Control(exchange, kName, name);
        DDX_Control(exchange, kPicture, picture);
    }

    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        if (CMenu* menu = GetSystemMenu(false)) {
            menu->AppendMenuA(MF_SEPARATOR, 0, "");
            menu->AppendMenuA(MF_STRING, kAboutCommand, "&About test\xE9...");
        }
        if (init) init(*this);
        return initResult;
    }

    void OnKind() { log.push_back("kind " + std::to_string(kinds.GetCurSel()) + " " + kinds.GetSelectedText()); }
    void OnEntry() { log.push_back("entry " + std::to_string(entries.GetCurSel()) + " " + entries.GetSelectedText()); }
    void OnFill() { log.push_back("fill"); }
    void OnGo() {
        log.push_back("go");
        if (allowEnd) EndDialog(kGo);
    }
    void OnAsk() { log.push_back("answer " + std::to_string(MessageBox(askText, askCaption, askType))); }
    void OnSub() {
        TestDialog sub(kSmallTemplate, nullptr);
        log.push_back("sub " + std::to_string(sub.DoModal()));
    }
    void OnOkButton() {
        log.push_back("ok");
        if (allowEnd) EndDialog(IDOK);
    }
    void OnCancelButton() {
        log.push_back("cancel");
        if (allowEnd) EndDialog(IDCANCEL);
    }
    void OnSysCommand(unsigned command, std::intptr_t lParam) {
        log.push_back("syscommand " + std::to_string(command));
        if ((command & 0xFFF0) != kAboutCommand) DefWindowProc({WM_SYSCOMMAND, command, lParam});
    }

    CComboBox kinds;
    CListBox entries;
    CEdit name;
    CStatic picture;

    std::function<void(TestDialog&)> init;
    bool initResult = true;
    bool allowEnd = true;
    std::string askText = "Question?";
    std::string askCaption = "Caption";
    unsigned askType = MB_OK;
    std::vector<std::string> log;
};

const MessageMapEntry kTestEntries[] = {
    {WM_SYSCOMMAND, 0, 0, &MessageThunk<&TestDialog::OnSysCommand>},
    {WM_COMMAND, kKinds, CBN_SELCHANGE, &MessageThunk<&TestDialog::OnKind>},
    {WM_COMMAND, kEntries, LBN_SELCHANGE, &MessageThunk<&TestDialog::OnEntry>},
    {WM_COMMAND, kFill, BN_CLICKED, &MessageThunk<&TestDialog::OnFill>},
    {WM_COMMAND, kGo, BN_CLICKED, &MessageThunk<&TestDialog::OnGo>},
    {WM_COMMAND, kAsk, BN_CLICKED, &MessageThunk<&TestDialog::OnAsk>},
    {WM_COMMAND, kSub, BN_CLICKED, &MessageThunk<&TestDialog::OnSub>},
    {WM_COMMAND, IDOK, BN_CLICKED, &MessageThunk<&TestDialog::OnOkButton>},
    {WM_COMMAND, IDCANCEL, BN_CLICKED, &MessageThunk<&TestDialog::OnCancelButton>},
};
const MessageMap TestDialog::messageMap{&CDialog::messageMap, kTestEntries, std::size(kTestEntries)};

TestDialog& AsTest(CDialog& dialog) { return static_cast<TestDialog&>(dialog); }

bool SamePixels(const BitmapHandle& a, const BitmapHandle& b) {
    if (!a || !b) return !a && !b;
    return a->width == b->width && a->height == b->height && a->rgb == b->rgb;
}

void FillSample(TestDialog& d) {
    for (const char* text : {"beta", "Alpha", "alpha", "caf\xE9", "\x80uro", "Zulu", "ALPHA"}) d.kinds.AddString(text);
    d.kinds.SetCurSel(2);
    for (const char* text : {"one", "Two", "two", "THREE"}) d.entries.AddString(text);
    d.name.SetWindowText("Gr\xFC\xDF \x80");
    d.picture.SetBitmap(MakeBitmap(6, 4));
}

void ExpectMirrors(wxDialog& window, const TestDialog& d) {
    EXPECT_EQ(wxtest::ShownItems(window, kKinds), d.kinds.Items());
    EXPECT_EQ(wxtest::ShownSelection(window, kKinds), d.kinds.GetCurSel());
    EXPECT_EQ(wxtest::ShownItems(window, kEntries), d.entries.Items());
    EXPECT_EQ(wxtest::ShownSelection(window, kEntries), d.entries.GetCurSel());
    EXPECT_EQ(wxtest::ShownText(window, kName), d.name.Text());
    EXPECT_EQ(wxtest::ShownPicture(window, kPicture), d.picture.GetBitmap());
}

// ---- What the widgets show -------------------------------------------------------

TEST(WxView, WidgetsShowWhatTheControlObjectsHoldAfterInitAndEachChange) {
    struct Change {
        const char* what;
        std::function<void(TestDialog&)> apply;
    };
    const Change changes[] = {
        {"an item sorted in between", [](TestDialog& d) { d.kinds.AddString("bravo"); }},
        {"an item equal to others but for case", [](TestDialog& d) { d.kinds.AddString("aLPHA"); }},
        {"a selection that stays on its item while items go in before it",
         [](TestDialog& d) {
             d.kinds.SetCurSel(4);
             d.kinds.AddString("aardvark");
             d.kinds.AddString("Aaa");
         }},
        {"no selection", [](TestDialog& d) { d.kinds.SetCurSel(-1); }},
        {"a selection outside the list", [](TestDialog& d) { d.entries.SetCurSel(99); }},
        {"a list emptied and refilled",
         [](TestDialog& d) {
             d.entries.ResetContent();
             d.entries.AddString("z");
             d.entries.AddString("Y");
             d.entries.SetCurSel(1);
         }},
        {"entry lines inserted before the selected one, each where it sorts",
         [](TestDialog& d) {
             d.entries.SetCurSel(0);
             d.entries.AddString("aaa");
             d.entries.AddString("zzz");
             d.entries.AddString("AAB");
         }},
        {"an entry list refilled with thousands of lines at once",
         [](TestDialog& d) {
             std::vector<std::string> lines;
             for (int n = 0; n < 5000; ++n) lines.push_back("line " + std::to_string(n));
             d.entries.ResetContent();
             d.entries.AddStrings(std::move(lines));
             d.entries.SetCurSel(4321);
         }},
        {"an entry list emptied", [](TestDialog& d) { d.entries.ResetContent(); }},
        {"a list emptied", [](TestDialog& d) { d.kinds.ResetContent(); }},
        {"an item in an emptied list", [](TestDialog& d) { d.kinds.AddString("\xFF\x81\x9D"); }},
        {"a text of 8-bit bytes", [](TestDialog& d) { d.name.SetWindowText("\x81\x8D\x8F\x90\x9D \xFF\x80\xE9"); }},
        {"an empty text", [](TestDialog& d) { d.name.SetWindowText(""); }},
        {"another picture", [](TestDialog& d) { d.picture.SetBitmap(MakeBitmap(7, 5, 1)); }},
        {"no picture", [](TestDialog& d) { d.picture.SetBitmap(nullptr); }},
    };

    GuiHost gui;
    TestDialog dialog;
    dialog.init = FillSample;
    gui.Then([&](wxDialog& window, CDialog& d) {
        TestDialog& test = AsTest(d);
        EXPECT_EQ(ToCp1252(window.GetTitle()), kCaption);
        EXPECT_EQ(wxtest::ShownText(window, kFill), "Fill");
        {
            SCOPED_TRACE("after init");
            ExpectMirrors(window, test);
        }
        for (const Change& change : changes) {
            SCOPED_TRACE(change.what);
            change.apply(test);
            ExpectMirrors(window, test);
        }
        EXPECT_TRUE(test.log.empty()) << "program changes raised notifications";
        wxtest::ClickButton(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(gui.WindowsShown(), 1);
}

// ---- A list box's reloads ---------------------------------------------------------

// "line 000" to "line 199", less the lines at `dropped`, plus `added`.
std::vector<std::string> Lines(std::vector<int> dropped = {}, std::vector<std::string> added = {}) {
    std::vector<std::string> lines;
    for (int n = 0; n < 200; ++n) {
        if (std::find(dropped.begin(), dropped.end(), n) != dropped.end()) continue;
        char line[16];
        std::snprintf(line, sizeof line, "line %03d", n);
        lines.push_back(line);
    }
    lines.insert(lines.end(), added.begin(), added.end());
    return lines;
}

// Runs the events until the entry list has stopped scrolling (the toolkit
// glides to a line the program brings into view).
void ScrollSettles(wxDialog& window) {
    for (int top = -2, waited = 0; waited < 2000; waited += 50) {
        wxtest::Settle(50);
        const int now = wxtest::TopRow(window, kEntries);
        if (now == top) return;
        top = now;
    }
}

TEST(WxView, AReloadedListShowsEveryNewLineToTheEyeAndToAScreenReaderAsAFreshList) {
    struct Reload {
        const char* what;
        std::vector<std::string> lines;
    };
    std::vector<std::string> others;
    for (int n = 0; n < 150; ++n) others.push_back("other " + std::to_string(n));
    const Reload reloads[] = {
        {"one line removed", Lines({10})},
        {"one line added", Lines({}, {"line 010a"})},
        {"a line renamed where it sorts", Lines({100}, {"line 100 caf\xE9"})},
        {"a line renamed to sort 40 lines further on", Lines({20}, {"line 060a"})},
        {"a line renamed to sort at the other end", Lines({0}, {"line 199a"})},
        {"the lines of another category", others},
        {"the same lines", Lines()},
        {"no lines", {}},
    };

    GuiHost gui;
    TestDialog dialog;
    gui.Then([&](wxDialog& window, CDialog& d) {
        CListBox& list = AsTest(d).entries;
        for (const Reload& reload : reloads) {
            SCOPED_TRACE(reload.what);
            // The list scrolled down to a selected line, every row read aloud.
            list.ResetContent();
            list.AddStrings(Lines());
            list.SetCurSel(150);
            ScrollSettles(window);
            EXPECT_EQ(wxtest::ReadListRows(window, kEntries), Lines());
            EXPECT_GT(wxtest::TopRow(window, kEntries), 100);

            list.ResetContent();
            list.AddStrings(reload.lines);
            wxtest::Settle(20);
            EXPECT_EQ(wxtest::ShownItems(window, kEntries), list.Items());
            EXPECT_EQ(wxtest::ReadListRows(window, kEntries), list.Items());
            EXPECT_EQ(wxtest::ShownSelection(window, kEntries), -1);
            const int first = list.GetCount() > 0 ? 0 : -1;
            EXPECT_EQ(wxtest::KeyboardRow(window, kEntries), first);
            EXPECT_EQ(wxtest::TopRow(window, kEntries), first);
        }

        // Lines added to those shown, with no reset, leave the selected line
        // selected and in view.
        list.ResetContent();
        list.AddStrings(Lines());
        list.SetCurSel(150);
        ScrollSettles(window);
        list.AddStrings({"line 050a", "line 150a"});
        ScrollSettles(window);
        EXPECT_EQ(wxtest::ReadListRows(window, kEntries), list.Items());
        EXPECT_EQ(wxtest::ShownSelection(window, kEntries), 151);
        EXPECT_EQ(wxtest::KeyboardRow(window, kEntries), 151);
        EXPECT_GT(wxtest::TopRow(window, kEntries), 100);
        wxtest::ClickButton(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(WxView, PictureShowsTheTemplateImageUntilTheProgramSetsOne) {
    struct Case {
        const char* what;
        std::function<void(TestDialog&)> init;
        BitmapHandle expected;
    };
    const BitmapHandle own = MakeBitmap(5, 5, 2);
    const Case cases[] = {
        {"nothing set", nullptr, kResourceBitmap},
        {"a bitmap set at init", [&](TestDialog& d) { d.picture.SetBitmap(own); }, own},
        {"null set at init (a thumbnail that failed to load)", [](TestDialog& d) { d.picture.SetBitmap(nullptr); },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GuiHost gui;
        TestDialog dialog;
        dialog.init = c.init;
        gui.Then([&](wxDialog& window, CDialog&) {
            EXPECT_TRUE(SamePixels(wxtest::ShownPicture(window, kPicture), c.expected));
            wxtest::ClickButton(window, IDOK);
        });
        dialog.DoModal();
    }
}

TEST(WxView, IconsFollowTheDialogAndTheIconPictureShowsTheImageNearest32) {
    GuiHost gui;
    TestDialog dialog(kIconTemplate);
    dialog.init = [](TestDialog& d) {
        d.SetIcon(MakeIcon({48, 32, 16}), true);
        d.SetIcon(MakeIcon({48, 32, 16}), false);
    };
    gui.Then([&](wxDialog& window, CDialog& d) {
        const wxIconBundle icons = window.GetIcons();
        ASSERT_EQ(icons.GetIconCount(), 3u);
        for (const int size : {48, 32, 16}) EXPECT_TRUE(icons.GetIconOfExactSize(size).IsOk()) << size;

        d.SetIcon(MakeIcon({24}), true);
        d.SetIcon(MakeIcon({24}), false);
        EXPECT_EQ(window.GetIcons().GetIconCount(), 1u);
        EXPECT_TRUE(window.GetIcons().GetIconOfExactSize(24).IsOk());

        const wxStaticBitmap* picture = nullptr;
        for (const wxWindow* child : window.GetChildren())
            if (auto* found = dynamic_cast<const wxStaticBitmap*>(child)) picture = found;
        ASSERT_NE(picture, nullptr);
        const wxImage shown = picture->GetBitmap().ConvertToImage();
        const BitmapHandle& image32 = kResourceIcon->images[1];
        ASSERT_EQ(shown.GetWidth(), 32);
        ASSERT_EQ(shown.GetHeight(), 32);
        EXPECT_TRUE(std::equal(image32->rgb.begin(), image32->rgb.end(), shown.GetData()));
        wxtest::PressEnter(window);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

// ---- What the person does ----------------------------------------------------------

TEST(WxView, APickSetsTheSelectionBeforeTheHandlerRuns) {
    struct Pick {
        int id;
        int index;
        const char* logged;
    };
    // The sample's lists: Alpha alpha ALPHA beta caf\xE9 Zulu \x80uro, and one THREE Two two.
    const Pick picks[] = {
        {kKinds, 1, "kind 1 alpha"},
        {kKinds, 2, "kind 2 ALPHA"},
        {kKinds, 0, "kind 0 Alpha"},
        {kKinds, 6, "kind 6 \x80uro"},
        {kEntries, 3, "entry 3 two"},
        {kEntries, 2, "entry 2 Two"},
    };
    GuiHost gui;
    TestDialog dialog;
    dialog.init = FillSample;
    gui.Then([&](wxDialog& window, CDialog& d) {
        TestDialog& test = AsTest(d);
        for (const Pick& pick : picks) {
            SCOPED_TRACE(pick.logged);
            test.log.clear();
            wxtest::PickItem(window, pick.id, pick.index);
            EXPECT_EQ(test.log, std::vector<std::string>{pick.logged});
            ExpectMirrors(window, test);
        }
        // A handler that changes the list while it runs is shown its change.
        test.log.clear();
        EXPECT_TRUE(wxtest::PickText(window, kKinds, "caf\xE9"));
        EXPECT_EQ(test.log, std::vector<std::string>{"kind 4 caf\xE9"});
        EXPECT_FALSE(wxtest::PickText(window, kKinds, "CAF\xE9"));
        wxtest::ClickButton(window, IDOK);
    });
    dialog.DoModal();
}

TEST(WxView, TypingUpdatesTheEditObjectWithoutNotifying) {
    GuiHost gui;
    TestDialog dialog;
    gui.Then([&](wxDialog& window, CDialog& d) {
        TestDialog& test = AsTest(d);
        wxtest::TypeText(window, kName, "caf\xE9 \x80 \x9D");
        EXPECT_EQ(test.name.Text(), "caf\xE9 \x80 \x9D");
        EXPECT_EQ(wxtest::ShownText(window, kName), "caf\xE9 \x80 \x9D");
        // Characters the code page does not hold reach the program as '?'.
        wxtest::TypeUnicodeText(window, kName, wxString::FromUTF8("a\xE4\xB8\xAD" "b\xE2\x82\xAC"));
        EXPECT_EQ(test.name.Text(), "a?b\x80");
        // The program's own text replaces what was typed.
        test.name.SetWindowText("set");
        EXPECT_EQ(wxtest::ShownText(window, kName), "set");
        EXPECT_EQ(test.name.Text(), "set");
        EXPECT_TRUE(test.log.empty());
        wxtest::ClickButton(window, IDOK);
    });
    dialog.DoModal();
}

struct Ending {
    const char* name;
    std::function<void(wxDialog&)> act;
    std::vector<std::string> logged;  // by one action
    std::intptr_t result;
};

void PrintTo(const Ending& ending, std::ostream* os) { *os << ending.name; }

class WxViewEnding : public ::testing::TestWithParam<Ending> {};

// Each way out dispatches its command; a handler that refuses keeps the
// window, and one that accepts ends it.
TEST_P(WxViewEnding, DispatchesTheCommandAndTheHandlerDecides) {
    const Ending& ending = GetParam();
    GuiHost gui;
    TestDialog dialog;
    gui.Then([&](wxDialog& window, CDialog& d) {
        TestDialog& test = AsTest(d);
        test.allowEnd = false;
        ending.act(window);
        EXPECT_EQ(test.log, ending.logged);
        EXPECT_FALSE(test.HasEnded());
        EXPECT_TRUE(window.IsShown());
        EXPECT_TRUE(window.IsModal());

        test.log.clear();
        test.allowEnd = true;
        ending.act(window);
        EXPECT_EQ(test.log, ending.logged);
        EXPECT_TRUE(test.HasEnded());
    });
    EXPECT_EQ(dialog.DoModal(), ending.result);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, WxViewEnding,
    ::testing::Values(
        Ending{"Escape", [](wxDialog& w) { wxtest::PressEscape(w, kName); }, {"cancel"}, IDCANCEL},
        Ending{"CloseBox", [](wxDialog& w) { wxtest::CloseBox(w); }, {"syscommand 61536", "cancel"}, IDCANCEL},
        Ending{"EnterInTheEditBox", [](wxDialog& w) { wxtest::PressEnter(w, kName); }, {"ok"}, IDOK},
        Ending{"EnterInTheList", [](wxDialog& w) { wxtest::PressEnter(w, kKinds); }, {"ok"}, IDOK},
        Ending{"EnterOnOk", [](wxDialog& w) { wxtest::PressEnter(w, IDOK); }, {"ok"}, IDOK},
        Ending{"ClickOk", [](wxDialog& w) { wxtest::ClickButton(w, IDOK); }, {"ok"}, IDOK},
        Ending{"ClickCancel", [](wxDialog& w) { wxtest::ClickButton(w, IDCANCEL); }, {"cancel"}, IDCANCEL}),
    [](const ::testing::TestParamInfo<Ending>& param) { return std::string(param.param.name); });

TEST(WxView, EnterPressesTheFocusedButtonOrElseTheDefaultButton) {
    GuiHost gui;
    TestDialog main;
    gui.Then([&](wxDialog& window, CDialog& d) {
        TestDialog& test = AsTest(d);
        wxtest::PressEnter(window, kFill);
        EXPECT_EQ(test.log, std::vector<std::string>{"fill"});
        wxtest::ClickButton(window, IDOK);
    });
    main.DoModal();

    TestDialog withDefault(kDefaultButtonTemplate);
    gui.Then([&](wxDialog& window, CDialog& d) {
        TestDialog& test = AsTest(d);
        test.allowEnd = false;
        wxtest::PressEnter(window, kName);
        EXPECT_EQ(test.log, std::vector<std::string>{"go"});
        test.log.clear();
        wxtest::PressEnter(window, IDOK);
        EXPECT_EQ(test.log, std::vector<std::string>{"ok"});
        test.allowEnd = true;
        wxtest::PressEnter(window, kName);
    });
    EXPECT_EQ(withDefault.DoModal(), kGo);
}

TEST(WxView, FocusGoesToTheFirstTabStopOrWhereTheDialogPutIt) {
    struct Case {
        const char* what;
        bool initResult;
        bool focusName;
        int expected;
    };
    const Case cases[] = {
        {"init answers true", true, false, kKinds},
        {"init answers true after moving the focus", true, true, kKinds},
        {"init moved the focus and answers false", false, true, kName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GuiHost gui;
        TestDialog dialog;
        dialog.initResult = c.initResult;
        if (c.focusName) dialog.init = [](TestDialog& d) { d.name.SetFocus(); };
        gui.Then([&](wxDialog& window, CDialog& d) {
            EXPECT_EQ(wxtest::FocusedControlId(window), c.expected);
            // The program's SetFocus while the window runs.
            AsTest(d).entries.SetFocus();
            EXPECT_EQ(wxtest::FocusedControlId(window), kEntries);
            wxtest::ClickButton(window, IDOK);
        });
        dialog.DoModal();
    }
}

TEST(WxView, RightClickOnTheBackgroundOpensTheWindowMenu) {
    GuiHost gui;
    wxtest::WindowMenuScript menus(gui.Host());
    TestDialog dialog;
    const std::vector<wxtest::WindowMenuScript::Entry> expected{
        {false, "&Close"}, {true, ""}, {false, "&About test\xE9..."}};
    gui.Then([&](wxDialog& window, CDialog& d) {
        TestDialog& test = AsTest(d);
        menus.Choose("&About test\xE9...");
        wxtest::RightClick(window);
        ASSERT_EQ(menus.Menus().size(), 1u);
        EXPECT_EQ(menus.Menus()[0], expected);
        EXPECT_EQ(test.log, std::vector<std::string>{"syscommand 16"});

        // A menu closed without a choice sends nothing.
        test.log.clear();
        wxtest::RightClick(window, kPicture);
        EXPECT_EQ(menus.Menus().size(), 2u);
        EXPECT_TRUE(test.log.empty());

        // Controls that take input keep their own right click.
        wxtest::RightClick(window, kName);
        wxtest::RightClick(window, kEntries);
        EXPECT_EQ(menus.Menus().size(), 2u);

        menus.Choose("&Close");
        wxtest::RightClick(window);
        EXPECT_EQ(test.log, (std::vector<std::string>{"syscommand 61536", "cancel"}));
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(menus.Missed(), 0);
}

TEST(WxView, MessageBoxesAnswerWithTheButtonPressed) {
    struct Case {
        unsigned type;
        int scripted;
        int answer;
    };
    constexpr int kEscape = wxtest::MessageBoxScript::kEscape;
    const Case cases[] = {
        {MB_OK | MB_ICONINFORMATION, IDOK, IDOK},
        {MB_OK | MB_ICONEXCLAMATION, kEscape, IDOK},
        {MB_OK, IDOK, IDOK},
        {MB_OKCANCEL, IDOK, IDOK},
        {MB_OKCANCEL, IDCANCEL, IDCANCEL},
        {MB_OKCANCEL, kEscape, IDCANCEL},
        {MB_YESNO, IDYES, IDYES},
        {MB_YESNO, IDNO, IDNO},
        {MB_YESNO, kEscape, IDNO},
    };
    GuiHost gui;
    wxtest::MessageBoxScript boxes;
    TestDialog dialog;
    gui.Then([&](wxDialog& window, CDialog& d) {
        TestDialog& test = AsTest(d);
        test.askText = "Do you really want to \x80\xE9?\nSecond line";
        test.askCaption = "Warn\xEDng";
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "type " << c.type << " answered " << c.scripted);
            test.log.clear();
            test.askType = c.type;
            boxes.Answer(c.scripted);
            wxtest::ClickButton(window, kAsk);
            EXPECT_EQ(test.log, std::vector<std::string>{"answer " + std::to_string(c.answer)});
            ASSERT_FALSE(boxes.Boxes().empty());
            const auto& box = boxes.Boxes().back();
            EXPECT_EQ(box.text, test.askText);
            EXPECT_EQ(box.caption, test.askCaption);
            EXPECT_EQ(box.type, c.type);
            EXPECT_EQ(box.yesDefault, c.type == MB_YESNO);
            EXPECT_EQ(box.parent, &window);
        }
        wxtest::ClickButton(window, IDOK);
    });
    dialog.DoModal();
    EXPECT_EQ(boxes.Boxes().size(), std::size(cases));
    EXPECT_EQ(boxes.Unanswered(), 0);
}

TEST(WxView, MessageBoxWithoutAWindowHasNoParent) {
    wxtest::MessageBoxScript boxes;
    WxHost host;
    boxes.Answer(IDYES);
    EXPECT_EQ(host.ShowMessageBox(nullptr, "Alone", "Caption", MB_YESNO), IDYES);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].parent, nullptr);
}

TEST(WxView, BoxesAndWindowsTheInitialisationOpensComeFirstAndWhatItSetIsShown) {
    GuiHost gui;
    wxtest::MessageBoxScript boxes;
    TestDialog main;
    main.initResult = false;  // the focus where the initialisation put it
    main.init = [](TestDialog& d) {
        d.kinds.AddStrings({"beta", "alpha"});
        d.kinds.SetCurSel(1);
        d.name.SetWindowText("typed");
        d.OnAsk();
        d.OnSub();
        d.OnAsk();
        d.name.SetFocus();
    };
    boxes.Answer(IDOK);
    boxes.Answer(IDOK);
    gui.Then([&](wxDialog& window, CDialog& d) {
        // The window of the sub-dialog the initialisation opened: the main
        // window exists by then, not yet shown.
        EXPECT_EQ(d.TemplateId(), kSmallTemplate);
        ASSERT_NE(window.GetParent(), nullptr);
        EXPECT_FALSE(window.GetParent()->IsShown());
        wxtest::ClickButton(window, IDOK);
    });
    gui.Then([&](wxDialog& window, CDialog& d) {
        EXPECT_EQ(AsTest(d).log, (std::vector<std::string>{"answer 1", "sub 1", "answer 1"}));
        EXPECT_EQ(wxtest::ShownItems(window, kKinds), (std::vector<std::string>{"alpha", "beta"}));
        EXPECT_EQ(wxtest::ShownSelection(window, kKinds), 1);
        EXPECT_EQ(wxtest::ShownText(window, kName), "typed");
        EXPECT_EQ(wxtest::FocusedControlId(window), kName);
        wxtest::ClickButton(window, IDOK);
    });
    EXPECT_EQ(main.DoModal(), IDOK);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Question?");
    EXPECT_EQ(gui.WindowsShown(), 2);
}

TEST(WxView, SubDialogRunsModalOverTheMainWindowCentred) {
    GuiHost gui;
    TestDialog main;
    wxDialog* mainWindow = nullptr;
    gui.Then([&](wxDialog& window, CDialog& d) {
        mainWindow = &window;
        EXPECT_EQ(window.GetParent(), nullptr);
        wxtest::ClickButton(window, kSub);
        EXPECT_EQ(AsTest(d).log, std::vector<std::string>{"sub 1"});
        EXPECT_TRUE(window.IsModal());
        wxtest::ClickButton(window, IDOK);
    });
    gui.Then([&](wxDialog& window, CDialog& d) {
        EXPECT_EQ(d.TemplateId(), kSmallTemplate);
        EXPECT_EQ(window.GetParent(), mainWindow);
        EXPECT_EQ(gui.Host().TopWindow(), &window);
        const wxPoint centre = window.GetScreenRect().GetPosition() + window.GetSize() / 2;
        const wxPoint mainCentre = mainWindow->GetScreenRect().GetPosition() + mainWindow->GetSize() / 2;
        EXPECT_LE(std::abs(centre.x - mainCentre.x), 1);
        EXPECT_LE(std::abs(centre.y - mainCentre.y), 1);
        // The sub-dialog's OK is its default button: Enter ends it with IDOK.
        wxtest::PressEnter(window);
    });
    EXPECT_EQ(main.DoModal(), IDOK);
    EXPECT_EQ(gui.WindowsShown(), 2);
}

TEST(WxView, DialogsThatCannotOrNeedNotShowOpenNoWindow) {
    GuiHost gui;
    CDialog missing(9999, nullptr);
    EXPECT_EQ(missing.DoModal(), -1);

    TestDialog endsAtInit;
    endsAtInit.init = [](TestDialog& d) { d.EndDialog(IDCANCEL); };
    EXPECT_EQ(endsAtInit.DoModal(), IDCANCEL);
    EXPECT_EQ(gui.WindowsShown(), 0);
}

// ---- Geometry ---------------------------------------------------------------------

TEST(WxDialogUnits, AQuarterOfTheAverageLetterAcrossAndAnEighthOfTheFontsHeightDown) {
    struct Case {
        int baseX, baseY;
        int units;
        int x, y;
    };
    const Case cases[] = {
        {6, 13, 4, 6, 7},      {6, 13, 8, 12, 13},   {6, 13, 293, 440, 476}, {6, 13, 505, 758, 821},
        {6, 13, 1, 2, 2},      {6, 13, 0, 0, 0},     {7, 15, 2, 4, 4},       {9, 20, 8, 18, 20},
        {9, 20, 505, 1136, 1263}, {12, 26, 293, 879, 952},
    };
    for (const Case& c : cases) {
        const DialogUnits units(c.baseX, c.baseY);
        EXPECT_EQ(units.X(c.units), c.x) << c.units << " units at " << c.baseX << " x " << c.baseY;
        EXPECT_EQ(units.Y(c.units), c.y) << c.units << " units at " << c.baseX << " x " << c.baseY;
    }
}

// The units are measured from the window's own font, as the toolkit's
// ConvertDialogToPixels measures them, and grow with it.
TEST(WxDialogUnits, AreMeasuredFromTheWindowsFont) {
    wxDialog window(nullptr, wxID_ANY, "units");
    window.SetFont(DialogFont(8));
    const DialogUnits small = DialogUnits::Of(window);
    EXPECT_EQ(window.GetFont().GetPointSize(), 8);
    EXPECT_EQ(window.GetFont().GetFamily(), wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFamily());
    for (const int n : {1, 4, 7, 8, 13, 203, 293, 505}) {
        const wxPoint pixels = window.ConvertDialogToPixels(wxPoint(n, n));
        EXPECT_EQ(small.X(n), pixels.x) << n;
        EXPECT_EQ(small.Y(n), pixels.y) << n;
    }
    window.SetFont(DialogFont(16));
    const DialogUnits large = DialogUnits::Of(window);
    EXPECT_NEAR(large.X(1000), 2 * small.X(1000), small.X(1000) / 5);
    EXPECT_NEAR(large.Y(1000), 2 * small.Y(1000), small.Y(1000) / 5);
}

TEST(WxView, TheMainWindowsSizeFitsA1280By1024ScreenAndControlsKeepTheirPlace) {
    RegisterTestResources();
    GuiHost gui;
    CDialog tall(kTallTemplate, nullptr);
    gui.Then([&](wxDialog& window, CDialog& d) {
        const DialogUnits units = DialogUnits::Of(window);
        EXPECT_EQ(window.GetClientSize(), wxSize(units.X(293), units.Y(505)));
        const Rect client = d.GetClientRect();
        EXPECT_EQ(client.Width(), units.X(293));
        EXPECT_EQ(client.Height(), units.Y(505));
        EXPECT_FALSE(d.IsIconic());

        wxWindow* picture = wxtest::FindControlWidget(window, kPicture);
        ASSERT_NE(picture, nullptr);
        const wxRect place(units.X(45), units.Y(101), units.X(248) - units.X(45), units.Y(241) - units.Y(101));
        EXPECT_EQ(picture->GetRect(), place);
        // A 300 x 224 picture shows whole inside the sunken edge, which
        // takes at least a pixel on each side.
        auto* panel = dynamic_cast<PicturePanel*>(picture);
        ASSERT_NE(panel, nullptr);
        const wxRect area = panel->PictureArea();
        EXPECT_GE(area.width, 300);
        EXPECT_GE(area.height, 224);
        EXPECT_GE(area.x, 1);
        EXPECT_GE(area.y, 1);
        EXPECT_LE(area.GetRight(), picture->GetClientSize().x - 2);
        EXPECT_LE(area.GetBottom(), picture->GetClientSize().y - 2);

        // At the default font the window, with a title bar, fits a 1280 x 1024 screen.
        EXPECT_LE(window.GetSize().x, 1280);
        EXPECT_LE(window.GetSize().y + 60, 1024);

        window.SetClientSize(window.GetClientSize() + wxSize(100, 50));
        EXPECT_EQ(picture->GetRect(), place);
        wxtest::ClickButton(window, IDOK);
    });
    EXPECT_EQ(tall.DoModal(), IDOK);
}

}  // namespace
}  // namespace qm
