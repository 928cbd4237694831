// The built program, end to end: started in the companion folder of a small
// simulator folder it maps a window named "Quillmarsh" that shows the first
// aircraft's thumbnail, asks the exit question on Escape, stays on No and
// ends with status 0 on Yes. Started from the wrong folder it explains and
// ends; without a display it says so and ends with status 1. A screen
// reader finds each of its controls by the label beside it.
//
// The person at the screen is xdotool. Without a window manager a native GTK
// message box ignores simulated key presses, but a mouse click on its button
// works; its buttons share its bottom row (No left, Yes right). Every wait is
// bounded: a program that hangs is killed and the test fails.
//
// The screenshot of the window goes to the build folder (the folder of the
// built program) as quillmarsh-window.png.
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/image.h>

#include "gui/atspi_tree.h"
#include "gui/child_process.h"
#include "gui/wx_gui_support.h"
#include "platform/wx/wx_units.h"
#include "support/sim_fixture.h"

namespace qm::test {
namespace {

#ifndef QM_PROGRAM_PATH
#error "QM_PROGRAM_PATH names the built program"
#endif
const std::string kProgram = QM_PROGRAM_PATH;

constexpr auto kStartTimeout = std::chrono::seconds(30);
constexpr auto kStepTimeout = std::chrono::seconds(10);
constexpr auto kPoll = std::chrono::milliseconds(100);

std::string BuildFolder() { return kProgram.substr(0, kProgram.rfind('/')); }

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command (bounded by `timeout`) and returns what it printed.
std::string Shell(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(("timeout 10 " + command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ::pclose(pipe);
    return output;
}

// A variable of this process's environment set for a scope, then put back.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() {
        if (previous_)
            ::setenv(name_, previous_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> previous_;
};

// The program, started in `folder` with its stderr in a file; `environment`
// is this process's, without the display when not `withDisplay`.
class Program : public ChildProcess {
public:
    Program(const std::string& folder, const std::string& stderrPath, bool withDisplay,
            const std::vector<std::string>& added = {})
        : ChildProcess({kProgram},
                       withDisplay ? EnvironmentWith({}, added)
                                   : EnvironmentWith({"DISPLAY=", "WAYLAND_DISPLAY="}, added),
                       folder, stderrPath, false),
          stderrPath_(stderrPath) {}
    std::string Stderr() const { return ReadFile(stderrPath_); }

private:
    std::string stderrPath_;
};

// The ids of the program's visible windows named exactly `name`, a line each.
std::string VisibleWindows(Program& program, const std::string& name) {
    return Shell("xdotool search --all --pid " + std::to_string(program.Pid()) + " --onlyvisible --name " +
                 Quoted("^" + name + "$"));
}

// The program's visible window named exactly `name`, once it is mapped;
// empty when none appears within the timeout or the program ends.
std::string WaitForWindow(Program& program, const std::string& name, Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (program.Running()) {
        const std::string found = VisibleWindows(program, name);
        if (const auto end = found.find('\n'); end != std::string::npos && end > 0) return found.substr(0, end);
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(kPoll);
    }
    return {};
}

// Waits until the program shows no visible window named `name`.
bool WaitUntilGone(Program& program, const std::string& name, Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (program.Running() && !VisibleWindows(program, name).empty()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

std::optional<Geometry> GeometryOf(const std::string& window) {
    // Lines of KEY=value.
    const std::string shell = Shell("xdotool getwindowgeometry --shell " + window);
    Geometry geometry;
    int found = 0;
    std::size_t start = 0;
    while (start < shell.size()) {
        std::size_t end = shell.find('\n', start);
        if (end == std::string::npos) end = shell.size();
        const std::string line = shell.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const int value = std::atoi(line.c_str() + equals + 1);
        for (const auto& [name, field] : {std::pair{"X", &geometry.x}, std::pair{"Y", &geometry.y},
                                          std::pair{"WIDTH", &geometry.width}, std::pair{"HEIGHT", &geometry.height}}) {
            if (key != name) continue;
            *field = value;
            ++found;
        }
    }
    if (found != 4 || geometry.width <= 0 || geometry.height <= 0) return std::nullopt;
    return geometry;
}

// Where a message box's buttons are, across its bottom row.
constexpr double kNo = 0.25;
constexpr double kYes = 0.75;
constexpr double kOk = 0.5;

// Clicks the button of a message box's bottom row that lies `fraction` of
// its width from the left.
void ClickBoxButton(const std::string& box, double fraction) {
    const std::optional<Geometry> geometry = GeometryOf(box);
    ASSERT_TRUE(geometry) << "no geometry for window " << box;
    const int x = geometry->x + static_cast<int>(geometry->width * fraction);
    const int y = geometry->y + geometry->height - 14;
    Shell("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

// Clicks at `fraction` of the box named `name` until the box has gone: a box
// that has only just been mapped may miss the first click.
void Answer(Program& program, const std::string& name, double fraction) {
    const std::string box = WaitForWindow(program, name, kStepTimeout);
    ASSERT_FALSE(box.empty()) << "no box named \"" << name << "\" appeared";
    for (int attempt = 0; attempt < 5; ++attempt) {
        ASSERT_NO_FATAL_FAILURE(ClickBoxButton(box, fraction));
        if (WaitUntilGone(program, name, std::chrono::seconds(2))) return;
    }
    FAIL() << "the box named \"" << name << "\" stayed open";
}

// The number of pixels of the colour in the picture.
int CountColour(const wxImage& image, unsigned char r, unsigned char g, unsigned char b) {
    int count = 0;
    const unsigned char* data = image.GetData();
    for (int i = 0; i < image.GetWidth() * image.GetHeight(); ++i)
        if (data[3 * i] == r && data[3 * i + 1] == g && data[3 * i + 2] == b) ++count;
    return count;
}

// The first aircraft's thumbnail: a colour nothing else on the window has.
constexpr int kThumbWidth = 120;
constexpr int kThumbHeight = 80;
constexpr unsigned char kThumbRgb[3] = {30, 200, 60};
// Shown whole: the sunken edge lies around the picture, not over its corners.
constexpr int kThumbShown = kThumbWidth * kThumbHeight;

// A screenshot of `window` in the file `shot`, taken again until at least
// `thumbnailPixels` pixels of the thumbnail's colour show (or the step's
// time is up); `shown` is how many do.
wxImage Screenshot(const std::string& window, const std::string& shot, int thumbnailPixels, int& shown) {
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
    wxImage image;
    shown = 0;
    for (const auto deadline = Clock::now() + kStepTimeout; Clock::now() < deadline;) {
        std::remove(shot.c_str());
        Shell("import -window " + window + " " + Quoted(shot));
        if (Exists(shot) && image.LoadFile(shot, wxBITMAP_TYPE_PNG)) {
            shown = CountColour(image, kThumbRgb[0], kThumbRgb[1], kThumbRgb[2]);
            if (shown >= thumbnailPixels) break;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return image;
}

class ProgramGui : public ::testing::Test {
protected:
    ProgramGui() {
        const Livery first{"Aviatik Glider White", "aviatik", "Glider", "White", "", true, true};
        sim_.AddAircraft("Aviatik", {first});
        sim_.AddAircraft("Kestrel", {{"Kestrel K1 Blue", "Kestrel", "K1", "Blue", "b", true, true}});
        WriteFile(sim_.ThumbnailPath("Aviatik", first),
                  SmallBmp(kThumbWidth, kThumbHeight, kThumbRgb[0], kThumbRgb[1], kThumbRgb[2]));
        sim_.WriteCategories(CrlfLines({"[Airliners]", "aircraft0.title=Kestrel K1 Blue", "aircraft0.thumbnail=",
                                        "aircraft0.displayName=Blue K1"}));
    }
    std::string StderrFile() const { return scratch_ / "stderr.txt"; }

    SimFolder sim_;
    TempDir scratch_;
};

TEST_F(ProgramGui, ShowsTheWindowAndEndsWithStatus0AfterYesToTheExitQuestion) {
    const std::string before = sim_.ReadCategories();
    Program program(sim_.Companion(), StderrFile(), true);
    const std::string window = WaitForWindow(program, "Quillmarsh", kStartTimeout);
    ASSERT_FALSE(window.empty()) << "no window named Quillmarsh was mapped; stderr: " << program.Stderr();

    // The window as the person sees it, once it has drawn the thumbnail.
    const std::string shot = BuildFolder() + "/quillmarsh-window.png";
    int thumbnailPixels = 0;
    const wxImage image = Screenshot(window, shot, kThumbShown, thumbnailPixels);
    ASSERT_TRUE(image.IsOk()) << "no screenshot at " << shot;
    const std::optional<Geometry> geometry = GeometryOf(window);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(image.GetWidth(), geometry->width);
    EXPECT_EQ(image.GetHeight(), geometry->height);
    EXPECT_LE(geometry->width, 1280);
    EXPECT_LE(geometry->height, 1024);
    EXPECT_GE(thumbnailPixels, kThumbShown) << "the first aircraft's thumbnail is not shown whole";
    EXPECT_LE(thumbnailPixels, kThumbWidth * kThumbHeight) << "the thumbnail is shown larger than it is";

    // Escape, No: the window stays.
    Shell("xdotool key --window " + window + " Escape");
    ASSERT_NO_FATAL_FAILURE(Answer(program, "Warning", kNo));
    ASSERT_TRUE(program.Running()) << "No ended the program";
    EXPECT_EQ(WaitForWindow(program, "Quillmarsh", kStepTimeout), window);

    // Escape, Yes: the program ends with status 0 and has written nothing.
    Shell("xdotool key --window " + window + " Escape");
    ASSERT_NO_FATAL_FAILURE(Answer(program, "Warning", kYes));
    const std::optional<int> status = program.WaitForExit(kStepTimeout);
    ASSERT_TRUE(status) << "the program did not end after Yes";
    ASSERT_TRUE(WIFEXITED(*status)) << "the program did not end normally (signal " << WTERMSIG(*status) << ")";
    EXPECT_EQ(WEXITSTATUS(*status), 0) << program.Stderr();
    EXPECT_EQ(sim_.ReadCategories(), before);
}

// At GTK's scale factor 2 the window is twice its logical size in the
// display's pixels, once, and the thumbnail keeps its own size in logical
// pixels: twice as wide and high on the display, whole, from its corner.
TEST_F(ProgramGui, AtGtkScale2TheWindowAndTheThumbnailAreScaledOnce) {
    const Server xvfb({"Xvfb", "-displayfd", "{fd}", "-screen", "0", "2400x2400x24", "-nolisten", "tcp"});
    ASSERT_FALSE(xvfb.Ready().empty()) << "Xvfb did not start";
    const std::string display = ":" + xvfb.Ready();
    // xdotool and import, run through the shell, look at that display.
    const ScopedVariable displayed("DISPLAY", display);
    Program program(sim_.Companion(), StderrFile(), true, {"DISPLAY=" + display, "GDK_SCALE=2"});
    const std::string window = WaitForWindow(program, "Quillmarsh", kStartTimeout);
    ASSERT_FALSE(window.empty()) << "no window named Quillmarsh was mapped; stderr: " << program.Stderr();

    constexpr int kScaledShown = 4 * kThumbShown;
    int thumbnailPixels = 0;
    const wxImage image = Screenshot(window, scratch_ / "scaled.png", kScaledShown, thumbnailPixels);
    ASSERT_TRUE(image.IsOk());
    EXPECT_GE(thumbnailPixels, kScaledShown) << "the thumbnail is not shown whole at twice its size";
    EXPECT_LE(thumbnailPixels, 4 * kThumbWidth * kThumbHeight) << "the thumbnail is scaled more than once";

    // The window's logical size is that of a dialog in the 8-point font.
    wxDialog reference(nullptr, wxID_ANY, "units");
    reference.SetFont(DialogFont(8));
    const DialogUnits units = DialogUnits::Of(reference);
    const std::optional<Geometry> geometry = GeometryOf(window);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->width, 2 * units.X(293));
    EXPECT_EQ(geometry->height, 2 * units.Y(505));
}

// What a screen reader reads of the main window (over AT-SPI): each
// drop-down list and the edit box labelled by the label beside it, the group
// captions labelling nothing, the entry list named by its group's caption
// with no nameless column header, every button named by its text.
TEST_F(ProgramGui, AScreenReaderReadsEachControlByTheLabelBesideIt) {
    const Server xvfb({"Xvfb", "-displayfd", "{fd}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    ASSERT_FALSE(xvfb.Ready().empty()) << "Xvfb did not start";
    const std::string display = ":" + xvfb.Ready();
    const SessionBus bus(display);
    ASSERT_FALSE(bus.Variable().empty()) << "dbus-daemon did not start";
    Program program(sim_.Companion(), StderrFile(), true, {"DISPLAY=" + display, bus.Variable(), "NO_AT_BRIDGE=0"});
    const std::vector<AccessibleNode> tree =
        ReadAccessibleTree(program.Pid(), "Quillmarsh", 30, 30, display, bus, scratch_.Path());
    ASSERT_FALSE(tree.empty()) << "no accessibility tree for the window; stderr: " << program.Stderr();
    std::string shown;
    for (const AccessibleNode& node : tree)
        shown += std::string(2 * node.depth, ' ') + node.role + " \"" + node.name + "\"\n";
    SCOPED_TRACE(shown);
    const auto find = [&](const std::string& role, const std::string& name) -> const AccessibleNode* {
        for (const AccessibleNode& node : tree)
            if (node.role == role && node.name == name) return &node;
        return nullptr;
    };

    // A drop-down list is called by the item it shows.
    struct Labelled {
        const char* role;
        const char* name;
        const char* label;
    };
    const Labelled labelled[] = {
        {"combo box", "aviatik", "Manufacturer"}, {"combo box", "Glider", "Model"},
        {"combo box", "White", "Variation"},      {"text", "", "Display Name"},
        {"combo box", "Airliners", "Category"},
    };
    for (const Labelled& control : labelled) {
        const AccessibleNode* node = find(control.role, control.name);
        ASSERT_NE(node, nullptr) << control.role << " \"" << control.name << "\"";
        EXPECT_EQ(node->labelledBy, std::vector<std::string>{control.label}) << control.name;
        const AccessibleNode* label = find("label", control.label);
        ASSERT_NE(label, nullptr) << control.label;
        EXPECT_EQ(label->labelFor, std::vector<std::string>{control.name}) << control.label;
    }
    for (const char* caption : {"Flight Sim Aircrafts", "Brindlecotharbor"}) {
        const AccessibleNode* label = find("label", caption);
        ASSERT_NE(label, nullptr) << caption;
        EXPECT_TRUE(label->labelFor.empty()) << caption << " labels " << label->labelFor.front();
    }
    const AccessibleNode* list = find("table", "Brindlecotharbor");
    if (list == nullptr) list = find("tree table", "Brindlecotharbor");
    EXPECT_NE(list, nullptr) << "no list named Brindlecotharbor";
    int buttons = 0;
    for (const AccessibleNode& node : tree) {
        EXPECT_FALSE(node.role == "table column header" && node.name.empty()) << "a nameless column header";
        if (node.role != "push button") continue;
        EXPECT_FALSE(node.name.empty()) << "a nameless button";
        ++buttons;
    }
    EXPECT_EQ(buttons, 8);
}

// The root is undefined for a current directory shorter than the
// companion folder's path: the program says where to start it, shows no
// main window and ends normally once the box is closed.
TEST_F(ProgramGui, StartedFromAShortFolderItExplainsInABoxAndEnds) {
    Program program("/", StderrFile(), true);
    const std::string box = WaitForWindow(program, "Error", kStartTimeout);
    ASSERT_FALSE(box.empty()) << "no error box appeared; stderr: " << program.Stderr();
    EXPECT_EQ(VisibleWindows(program, "Quillmarsh"), "") << "the main window opened behind the error box";
    ASSERT_NO_FATAL_FAILURE(Answer(program, "Error", kOk));
    const std::optional<int> status = program.WaitForExit(kStepTimeout);
    ASSERT_TRUE(status) << "the program hung after its error box";
    ASSERT_TRUE(WIFEXITED(*status)) << "the program did not end normally (signal " << WTERMSIG(*status) << ")";
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

TEST_F(ProgramGui, WithoutADisplayItSaysSoOnStderrAndEndsWithStatus1) {
    Program program(sim_.Companion(), StderrFile(), false);
    const std::optional<int> status = program.WaitForExit(kStepTimeout);
    ASSERT_TRUE(status) << "the program hung without a display";
    ASSERT_TRUE(WIFEXITED(*status)) << "the program did not end normally (signal " << WTERMSIG(*status) << ")";
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    const std::string message = program.Stderr();
    EXPECT_NE(message.find("needs a graphical display"), std::string::npos) << message;
    EXPECT_NE(message.find("DISPLAY"), std::string::npos) << message;
}

}  // namespace
}  // namespace qm::test
