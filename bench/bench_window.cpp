// The real window against the same work without it, and the program's
// start-up against a bare dialog, in one run.
//
//   "> Remove" of entry 0 of an N-entry category (N from the arguments;
//   10,000 and 100,000 without any), from dispatching the click on the real
//   window's button until the entry list has repainted, beside the same click
//   on the headless dialog. Both start from the same state: the file as
//   generated, the category picked and the line selected (so the file is
//   parsed before the click). Target: the window at most 1.5x headless.
//
//   Start-up: from exec of the program in the companion folder until its
//   window is mapped, on the demo simulator folder and on 10,000 aircraft
//   (2,000 folders) with a 10,000-entry category. Floor: a bare wx dialog of
//   the same size, exec to mapped, plus the scan's I/O (list the aircraft
//   folder and its folders, read every aircraft.cfg, open every thumbnail)
//   and one read of the category file. Target: at most 1.3x the floor, as the
//   ratio of the medians and as the median ratio of 15 start-ups of the
//   program each beside one of the floor (a shared machine's load changes
//   between one benchmark and the next).
//
// Runs on a display without a window manager (bench.sh uses xvfb-run), where
// a mapped top-level window is a child of the root window.
//
//   Peak memory: the program's peak resident memory once its window shows, on
//   the demo, on 10,000 aircraft and, with --folders=N, on N generated
//   folders, beside a bare dialog's plus twice the bytes of the texts the
//   catalogue keeps.
//
// Usage: bench_window [Google Benchmark flags] [--folders=N] [entries ...]
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/dataview.h>
#include <wx/dialog.h>

#include <cmath>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/aircraft_catalogue.h"
#include "platform/wx/wx_app.h"
#include "platform/wx/wx_host.h"
#include "platform/wx/wx_view.h"
#include "support/sim_fixture.h"
#include "support/wx/wx_testing.h"
#include "window_bench.h"

// Last: its macros (True, None, Status, ...) would reach the headers above.
#include <X11/Xlib.h>

#ifndef QM_PROGRAM_PATH
#error "QM_PROGRAM_PATH names the built program"
#endif
#ifndef QM_BARE_DIALOG_PATH
#error "QM_BARE_DIALOG_PATH names the bare dialog program"
#endif
#ifndef QM_SOURCE_DIR
#error "QM_SOURCE_DIR names the source tree (for the demo folder)"
#endif

using namespace qm;
using namespace qm::bench;

namespace {

constexpr int kRepetitions = 7;
// Start-ups of the program and of its floor taken in turn, for the paired ratio.
constexpr int kPairs = 15;
constexpr auto kTimeout = std::chrono::seconds(30);
// A window whose frame clock has not ticked for this long draws a change at once.
constexpr auto kSettled = std::chrono::milliseconds(50);

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Every benchmark here: each iteration times one action by hand, repeated,
// and reported by its median (the machine is shared).
template <class Registered>
void Configure(Registered* benchmark) {
    benchmark->UseManualTime()->Iterations(1)->Repetitions(kRepetitions)->ReportAggregatesOnly(true)->Unit(
        benchmark::kMillisecond);
}

// ---- Start-up -------------------------------------------------------------------------------

struct Mapped {
    double ms = 0;
    double cpuMs = 0;  // the processor time the process had used by then
    double peakMiB = 0;  // the most memory the process had held by then
    int width = 0;
    int height = 0;
};

// The peak resident memory of process `pid` (VmHWM), in MiB.
double PeakMiB(pid_t pid) {
    const std::optional<std::string> status = ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
    if (!status) return 0;
    const std::size_t at = status->find("VmHWM:");
    return at == std::string::npos ? 0 : std::atof(status->c_str() + at + 6) / 1024.0;
}

// The user and system time process `pid` has used, from /proc (in the
// kernel's clock ticks).
double ProcessorMs(pid_t pid) {
    const std::optional<std::string> stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return 0;
    // The fields after the command name in parentheses; utime and stime are
    // the 14th and 15th of the line.
    std::istringstream fields(stat->substr(stat->rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int n = 3; n <= 15 && fields >> field; ++n)
        if (n >= 14) ticks += std::atof(field.c_str());
    return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Starts `argv` in `folder` and waits until it maps a top-level window named
// `title`, and `settleMs` more (its peak memory is then read again); then ends
// the process.
Mapped ExecUntilMapped(Display* x, const std::vector<std::string>& argv, const std::string& folder,
                       const std::string& title, int settleMs = 0) {
    const ::Window root = DefaultRootWindow(x);
    XSelectInput(x, root, SubstructureNotifyMask);
    XSync(x, True);  // events from before are dropped

    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child < 0) Fail("fork");
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, STDERR_FILENO);
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::execv(args[0], args.data());
        ::_exit(127);
    }

    Mapped mapped;
    bool seen = false;
    while (!seen && Clock::now() - start < kTimeout) {
        while (!seen && XPending(x) > 0) {
            XEvent event;
            XNextEvent(x, &event);
            if (event.type != MapNotify || event.xmap.override_redirect) continue;
            char* name = nullptr;
            if (XFetchName(x, event.xmap.window, &name) != 0 && name != nullptr) {
                seen = title == name;
                XFree(name);
            }
            if (!seen) continue;
            mapped.ms = MsSince(start);
            mapped.cpuMs = ProcessorMs(child);
            mapped.peakMiB = PeakMiB(child);
            XWindowAttributes attributes;
            if (XGetWindowAttributes(x, event.xmap.window, &attributes) != 0) {
                mapped.width = attributes.width;
                mapped.height = attributes.height;
            }
        }
        if (!seen) {
            pollfd connection{ConnectionNumber(x), POLLIN, 0};
            ::poll(&connection, 1, 5);
        }
    }
    if (seen && settleMs > 0) {
        ::usleep(static_cast<useconds_t>(settleMs) * 1000);
        mapped.peakMiB = PeakMiB(child);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    XSelectInput(x, root, NoEventMask);
    if (!seen) Fail(argv[0] + " mapped no window \"" + title + "\" within 30 s");
    return mapped;
}

std::size_t ReadAll(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    char buffer[64 * 1024];
    std::size_t total = 0;
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) total += static_cast<std::size_t>(got);
    ::close(fd);
    return total;
}

// The names in `folder` (without "." and ".."), with whether each is a folder.
std::vector<std::pair<std::string, bool>> List(const std::string& folder) {
    std::vector<std::pair<std::string, bool>> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name, entry->d_type == DT_DIR);
    }
    ::closedir(dir);
    return names;
}

// What any start-up reads at least: the aircraft folder listed, each
// aircraft's folder listed, its aircraft.cfg read and the thumbnail of each
// of its texture folders opened; and the category file read once.
void StartUpIo(const std::string& aircraftFolder, const std::string& categoryFile) {
    std::size_t bytes = ReadAll(categoryFile);
    for (const auto& [name, isFolder] : List(aircraftFolder)) {
        if (!isFolder) continue;
        const std::string folder = aircraftFolder + "/" + name;
        bytes += ReadAll(folder + "/aircraft.cfg");
        for (const auto& [inner, innerIsFolder] : List(folder)) {
            if (!innerIsFolder) continue;
            const int fd = ::open((folder + "/" + inner + "/thumbnail.bmp").c_str(), O_RDONLY);
            if (fd < 0) continue;
            ::close(fd);
            ++bytes;
        }
    }
    g_sink = g_sink + bytes;
}

struct StartUpCase {
    std::string name;
    std::string root;  // the simulator folder
};

// The program's start-up and its floor on one simulator folder.
class StartUp {
public:
    StartUp(Display* x, const StartUpCase& simulator)
        : x_(x), simulator_(simulator), companion_(simulator.root + std::string(kCompanionFolder)) {
        // A first start warms the file cache and gives the window's size.
        const Mapped first = ExecUntilMapped(x_, {QM_PROGRAM_PATH}, companion_, "Quillmarsh");
        bare_ = {QM_BARE_DIALOG_PATH, "Quillmarsh", std::to_string(first.width), std::to_string(first.height)};
        std::printf("start-up on %s: the window is %d x %d\n", simulator.name.c_str(), first.width, first.height);
    }

    const std::string& Name() const { return simulator_.name; }
    const std::string& Companion() const { return companion_; }
    Mapped Program(int settleMs = 0) const {
        return ExecUntilMapped(x_, {QM_PROGRAM_PATH}, companion_, "Quillmarsh", settleMs);
    }
    // The bare dialog alone.
    Mapped Bare(int settleMs) const { return ExecUntilMapped(x_, bare_, companion_, "Quillmarsh", settleMs); }
    // The bare dialog shown, then the start-up's least I/O.
    Mapped Floor() const {
        Mapped shown = ExecUntilMapped(x_, bare_, companion_, "Quillmarsh");
        const auto start = Clock::now();
        StartUpIo(simulator_.root + "/Aircraft", companion_ + "/Quillmarsh.cfg");
        const double io = MsSince(start);
        shown.ms += io;
        shown.cpuMs += io;
        return shown;
    }

private:
    Display* x_;
    StartUpCase simulator_;
    std::string companion_;
    std::vector<std::string> bare_;
};

void RegisterStartUp(const StartUp& startUp) {
    const std::string prefix = "start-up/" + startUp.Name();
    Configure(benchmark::RegisterBenchmark((prefix + "/program").c_str(), [&startUp](benchmark::State& state) {
        for (auto _ : state) {
            const Mapped shown = startUp.Program();
            state.SetIterationTime(shown.ms / 1e3);
            state.counters["cpu_ms"] = shown.cpuMs;
        }
    }));
    // For scale: the start-up's own work without the window (the scan, the
    // category file's load, the lists filled), from a store that holds nothing.
    Configure(benchmark::RegisterBenchmark((prefix + "/headless").c_str(), [&startUp](benchmark::State& state) {
        for (auto _ : state) {
            ForgetCachedProfiles();
            const test::CurrentDirectory here(startUp.Companion());
            ScriptedHost host;
            CQuillmarshDlg dialog;
            const auto start = Clock::now();
            host.Open(dialog);
            state.SetIterationTime(MsSince(start) / 1e3);
            host.Close(dialog);
        }
    }));
    Configure(benchmark::RegisterBenchmark((prefix + "/floor").c_str(), [&startUp](benchmark::State& state) {
        for (auto _ : state) {
            const Mapped shown = startUp.Floor();
            state.SetIterationTime(shown.ms / 1e3);
            state.counters["cpu_ms"] = shown.cpuMs;
        }
    }));
}

// The program's start-up and its floor in turn, `pairs` times, so that a
// shared machine's load weighs on both alike: the median of the pairs'
// ratios.
double PairedRatio(const StartUp& startUp, int pairs) {
    std::vector<double> ratios;
    for (int i = 0; i < pairs; ++i) {
        const double program = startUp.Program().ms;
        ratios.push_back(program / startUp.Floor().ms);
    }
    std::sort(ratios.begin(), ratios.end());
    return ratios[ratios.size() / 2];
}

// The program's peak memory once its window shows and has settled (the
// toolkit keeps loading for a while after the map), beside the toolkit's own
// (the bare dialog's, settled alike) plus twice the bytes of the texts the
// catalogue keeps (from a scan of the same folder in this process): the
// medians of three starts of each. `judged`: whether the bound applies (it is
// set for a large aircraft folder; a small one with a large category file
// holds more than its texts).
void ReportPeakMemory(const StartUp& startUp, const std::string& aircraftFolder, bool judged) {
    constexpr int kSettleMs = 1000;
    std::vector<double> program, bare;
    for (int i = 0; i < 3; ++i) {
        program.push_back(startUp.Program(kSettleMs).peakMiB);
        bare.push_back(startUp.Bare(kSettleMs).peakMiB);
    }
    std::sort(program.begin(), program.end());
    std::sort(bare.begin(), bare.end());
    AircraftCatalogue catalogue;
    CComboBox manufacturers;
    ScanAircraftFolder(aircraftFolder, catalogue, manufacturers);
    const double texts = static_cast<double>(catalogue.TextBytes()) / 1048576.0;
    const double bound = bare[1] + 2 * texts;
    std::printf("peak memory on %s (%d aircraft): program %.1f MiB; bare dialog %.1f MiB + 2 x %.1f MiB of texts "
                "= %.1f MiB%s\n",
                startUp.Name().c_str(), catalogue.Count(), program[1], bare[1], texts, bound,
                !judged ? "" : program[1] <= bound ? ": met" : ": MISSED");
}

// ---- "> Remove" through the window --------------------------------------------------------

// Counts the repaints of a native list.
struct Repaints {
    int count = 0;
    static gboolean OnDraw(GtkWidget*, cairo_t*, gpointer self) {
        ++static_cast<Repaints*>(self)->count;
        return FALSE;
    }
};

// When the window's frame clock last ticked. While anything animates (the
// list's scroll bar fades out for a while after a scroll), the toolkit draws
// only at the display's ticks, so a change waits for the next one.
struct Ticks {
    Clock::time_point last = Clock::now();
    static void OnTick(GdkFrameClock*, gpointer self) { static_cast<Ticks*>(self)->last = Clock::now(); }
};

// Runs the toolkit's events until `done` holds.
template <class Done>
void RunEventsUntil(const Done& done, const char* what) {
    const auto start = Clock::now();
    while (!done()) {
        if (Clock::now() - start > kTimeout) Fail(std::string("timed out waiting for ") + what);
        wxTheApp->Yield(true);
    }
}

// The index in the entry list of the line of entry 0 of the category shown.
int LineOfEntry0(CQuillmarshDlg& dialog) {
    const std::string& line = dialog.EntryTable()->front().displayName;
    const std::vector<std::string>& items = dialog.EntryList().Items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == line) return static_cast<int>(i);
    Fail("no line " + line);
}

VirtualListBox& EntryListOf(wxDialog& window) {
    auto* list = dynamic_cast<VirtualListBox*>(wxtest::FindControlWidget(window, IDC_ENTRY_LIST));
    if (list == nullptr) Fail("the entry list is no list of the view's");
    return *list;
}

class RemoveRun {
public:
    RemoveRun(GeneratedSim& sim, bench::Window& headless, wxDialog& window, CQuillmarshDlg& dialog)
        : sim_(sim), headless_(headless), window_(window), dialog_(dialog), list_(EntryListOf(window)) {
        tree_ = list_.GtkGetTreeView();
        onDraw_ = g_signal_connect_after(tree_, "draw", G_CALLBACK(&Repaints::OnDraw), &repaints_);
        clock_ = gtk_widget_get_frame_clock(tree_);
        onTick_ = g_signal_connect(clock_, "after-paint", G_CALLBACK(&Ticks::OnTick), &ticks_);
    }
    ~RemoveRun() {
        g_signal_handler_disconnect(tree_, onDraw_);
        g_signal_handler_disconnect(clock_, onTick_);
    }
    RemoveRun(const RemoveRun&) = delete;
    RemoveRun& operator=(const RemoveRun&) = delete;

    void Register(int entries) {
        const std::string prefix = "remove-entry-0/" + std::to_string(entries);
        Configure(benchmark::RegisterBenchmark((prefix + "/headless").c_str(), [this, entries](benchmark::State& state) {
            for (auto _ : state) {
                Prepare(entries);
                headless_.Pick(IDC_CATEGORY, kBigCategory);
                PickItem(headless_.dialog, IDC_ENTRY_LIST, LineOfEntry0(headless_.dialog));
                Settle();
                const auto start = Clock::now();
                ClickButton(headless_.dialog, IDC_REMOVE);
                state.SetIterationTime(MsSince(start) / 1e3);
                headless_.ExpectNoBox("Remove");
                Check(headless_.dialog, entries - 1);
            }
        }));
        Configure(benchmark::RegisterBenchmark((prefix + "/window").c_str(), [this, entries](benchmark::State& state) {
            for (auto _ : state) {
                Prepare(entries);
                if (!wxtest::PickText(window_, IDC_CATEGORY, kBigCategory)) Fail("no category to pick");
                wxtest::PickItem(window_, IDC_ENTRY_LIST, LineOfEntry0(dialog_));
                // Until what the picks changed is on the screen.
                const int before = repaints_.count;
                RunEventsUntil([&] { return repaints_.count > before; }, "the list to show the category");
                Settle();

                const int painted = repaints_.count;
                const auto start = Clock::now();
                wxtest::ClickButton(window_, IDC_REMOVE);
                RunEventsUntil([&] { return repaints_.count > painted; }, "the list to repaint");
                state.SetIterationTime(MsSince(start) / 1e3);
                Check(dialog_, entries - 1);
                if (list_.RowCount() != entries - 1) Fail("the window's list was not reloaded");
            }
        }));
    }

private:
    // A person's click comes after the window has settled, when the toolkit
    // draws a change as soon as it is made. Both ways of clicking wait
    // alike, so that both start from the same idle processor.
    void Settle() {
        const auto from = Clock::now();
        RunEventsUntil([&] { return Clock::now() - std::max(from, ticks_.last) > kSettled; }, "the window to settle");
    }
    void Prepare(int entries) {
        if (entries != entries_) {
            sim_.categoryBytes = CategoryFileBytes(entries);
            entries_ = entries;
        }
        sim_.RestoreCategoryFile();
    }
    void Check(CQuillmarshDlg& dialog, int entries) const {
        if (CountCategoryEntries(sim_.categoryFile, kBigCategory) != entries) Fail("Remove left the wrong count");
        if (dialog.EntryList().GetCount() != entries) Fail("the list was not reloaded");
    }

    GeneratedSim& sim_;
    bench::Window& headless_;
    wxDialog& window_;
    CQuillmarshDlg& dialog_;
    VirtualListBox& list_;
    Repaints repaints_;
    Ticks ticks_;
    GtkWidget* tree_;
    GdkFrameClock* clock_;
    gulong onDraw_;
    gulong onTick_;
    int entries_ = 0;
};

// ---- Results ----------------------------------------------------------------------------------

// Keeps each benchmark's median (ms) as it is reported.
class MedianReporter final : public benchmark::ConsoleReporter {
public:
    MedianReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    bool Has(const std::string& name) const { return medians.count(name) != 0; }
    double Median(const std::string& name) const {
        const auto found = medians.find(name);
        if (found == medians.end()) Fail("no result for " + name);
        return found->second;
    }
    std::map<std::string, double> medians;
};

void PrintRatio(const std::string& what, double ratio, double target) {
    std::printf("%-44s %6.2fx   target <= %.1fx: %s\n", what.c_str(), ratio, target,
                ratio <= target ? "met" : "MISSED");
}

// The exponent of a power law through the (size, time) points, fitted in
// log-log by least squares.
double Growth(const std::vector<std::pair<double, double>>& points) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const auto& [size, ms] : points) {
        const double lx = std::log(size), ly = std::log(ms);
        sx += lx, sy += ly, sxx += lx * lx, sxy += lx * ly;
    }
    const double n = static_cast<double>(points.size());
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::vector<int> sizes;
    int memoryFolders = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.starts_with("--folders="))
            memoryFolders = std::atoi(arg.c_str() + 10);
        else
            sizes.push_back(std::max(2, std::atoi(argv[i])));
    }
    if (sizes.empty()) sizes = {10000, 100000};
    if (!StartWx(1, argv)) Fail("no display: run under xvfb-run -a");
    Display* x = XOpenDisplay(nullptr);
    if (x == nullptr) Fail("XOpenDisplay");

    std::printf("Generating 2,000 aircraft folders and a %d-entry category file...\n", kCategoryEntries);
    GeneratedSim sim;
    const std::string demo = sim.temp + "/demo";
    if (std::system(("'" QM_SOURCE_DIR "/scripts/copy-demo.sh' '" + demo + "' >/dev/null").c_str()) != 0)
        Fail("copy-demo.sh");

    MedianReporter results;
    const StartUp demoStartUp(x, {"demo", demo});
    const StartUp bigStartUp(x, {"10,000-aircraft", sim.root});
    RegisterStartUp(demoStartUp);
    RegisterStartUp(bigStartUp);
    benchmark::RunSpecifiedBenchmarks(&results);
    benchmark::ClearRegisteredBenchmarks();
    std::printf("\n");
    ReportPeakMemory(demoStartUp, demo + "/Aircraft", false);
    ReportPeakMemory(bigStartUp, sim.root + "/Aircraft", false);
    if (memoryFolders > 0) {
        std::printf("Generating %d aircraft folders...\n", memoryFolders);
        const GeneratedSim large(CategoryFileBytes(10), memoryFolders);
        ReportPeakMemory(StartUp(x, {std::to_string(memoryFolders) + "-folders", large.root}),
                         large.root + "/Aircraft", true);
    }
    std::map<std::string, double> paired;
    for (const StartUp* startUp : {&demoStartUp, &bigStartUp}) {
        const std::string prefix = "start-up/" + startUp->Name();
        if (results.Has(prefix + "/program") && results.Has(prefix + "/floor"))
            paired[prefix] = PairedRatio(*startUp, kPairs);
    }

    {
        bench::Window headless(sim);  // also goes to the companion folder
        WxHost host;
        SetHost(&host);
        CQuillmarshDlg dialog;
        host.SetOnShown([&](wxDialog& window, CDialog&) {
            RemoveRun run(sim, headless, window, dialog);
            for (const int entries : sizes) run.Register(entries);
            benchmark::RunSpecifiedBenchmarks(&results);
            dialog.EndDialog(IDCANCEL);
        });
        dialog.DoModal();
        SetHost(&headless.host);
    }

    // Only the benchmarks that ran (--benchmark_filter may leave some out).
    std::printf("\nRatios (of the medians, and the median of the paired runs):\n");
    const auto ratio = [&](const std::string& what, const std::string& top, const std::string& bottom, double target) {
        if (results.Has(top) && results.Has(bottom))
            PrintRatio(what, results.Median(top) / results.Median(bottom), target);
    };
    for (const char* simulator : {"demo", "10,000-aircraft"}) {
        const std::string prefix = std::string("start-up/") + simulator;
        ratio(prefix + ": program / floor", prefix + "/program", prefix + "/floor", 1.3);
        if (paired.count(prefix) != 0)
            PrintRatio(prefix + ": paired runs", paired[prefix], 1.3);
    }
    std::vector<std::pair<double, double>> window, headless;
    for (const int entries : sizes) {
        const std::string prefix = "remove-entry-0/" + std::to_string(entries);
        if (!results.Has(prefix + "/window") || !results.Has(prefix + "/headless")) continue;
        const double w = results.Median(prefix + "/window"), h = results.Median(prefix + "/headless");
        PrintRatio(prefix + ": window / headless", w / h, 1.5);
        window.emplace_back(entries, w);
        headless.emplace_back(entries, h);
    }
    if (window.size() > 1)
        std::printf("growth with the entries: window n^%.2f, headless n^%.2f\n", Growth(window), Growth(headless));
    XCloseDisplay(x);
    StopWx();
    return 0;
}
