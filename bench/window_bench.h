// The main window opened headless on a generated simulator installation (a
// 2,000-folder, 10,000-record aircraft folder and a 10,000-entry category
// file), and the timing and floors shared by the benchmarks of its lists and
// its editing actions.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "gen_aircraft.h"
#include "gen_categories.h"
#include "platform/fs.h"
#include "platform/profile.h"
#include "support/scripted_host.h"
#include "platform/text.h"
#include "ui/quillmarsh_dlg.h"
#include "ui/resource.h"

namespace qm::bench {

inline constexpr int kCategoryEntries = 10000;
// The 10,000-entry category of the generated file.
inline constexpr std::string_view kBigCategory = "Airliners";

[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "benchmark failed: %s\n", what.c_str());
    std::exit(1);
}

// A simulator root in a temporary folder: Aircraft/ with the generated
// aircraft, and the companion folder with the generated category file.
struct GeneratedSim {
    std::string temp;
    std::string root;
    std::string companion;
    std::string categoryFile;
    std::string categoryBytes;  // what every iteration starts from
    GeneratedAircraft aircraft;

    explicit GeneratedSim(std::string categoryBytesToUse = CategoryFileBytes(kCategoryEntries), int folders = 2000) {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmarsh-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) Fail("mkdtemp");
        temp = pattern;
        root = temp + "/Flight Simulator";
        aircraft = WriteAircraftFolder(root, folders);
        companion = root + std::string(kCompanionFolder);
        std::filesystem::create_directories(companion);
        categoryFile = companion + "/Quillmarsh.cfg";
        categoryBytes = std::move(categoryBytesToUse);
        RestoreCategoryFile();
    }
    ~GeneratedSim() {
        std::error_code error;
        std::filesystem::remove_all(temp, error);
    }
    GeneratedSim(const GeneratedSim&) = delete;
    GeneratedSim& operator=(const GeneratedSim&) = delete;

    void RestoreCategoryFile() const {
        std::string reason;
        if (!ReplaceFileAtomically(categoryFile, categoryBytes, &reason)) Fail("restore: " + reason);
    }
};

// The main window as the program opens it, started from the companion folder.
class Window {
public:
    explicit Window(const GeneratedSim& sim) : previous_(GetCurrentDirectoryA()) {
        if (::chdir(sim.companion.c_str()) != 0) Fail("chdir " + sim.companion);
        host.Open(dialog);
        if (dialog.HasEnded()) Fail("the window did not open");
    }
    ~Window() {
        host.Close(dialog);
        if (::chdir(previous_.c_str()) != 0) std::perror("chdir back");
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Picks the item `text` of list `id` as a person would.
    void Pick(int id, std::string_view text) {
        if (!PickText(dialog, id, text)) Fail("no item " + std::string(text) + " in list " + std::to_string(id));
    }
    // Fails when the action showed a box (a refusal or a failed save).
    void ExpectNoBox(const char* action) {
        if (!host.Boxes().empty()) Fail(std::string(action) + " showed \"" + host.Boxes().front().text + "\"");
    }

private:
    std::string previous_;

public:
    ScriptedHost host;
    CQuillmarshDlg dialog;
};

// ---- Timing -------------------------------------------------------------------------------

using Clock = std::chrono::steady_clock;

struct Timing {
    double minMs = 0;
    double medianMs = 0;
};

// Runs `setup` (not timed) and then `timed`, `runs` times.
inline Timing Measure(int runs, const std::function<void()>& setup, const std::function<void()>& timed) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        setup();
        const auto start = Clock::now();
        timed();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

inline void Report(const char* name, const Timing& t) {
    std::printf("%-52s min %9.2f ms   median %9.2f ms\n", name, t.minMs, t.medianMs);
}

// The ratio of the medians (and of the fastest runs); `target` 0 for none.
inline void ReportRatio(const char* name, const Timing& op, const Timing& floor, double target = 0) {
    const double ratio = op.medianMs / floor.medianMs;
    std::printf("%-52s %6.2fx (min/min %5.2fx)", name, ratio, op.minMs / floor.minMs);
    if (target > 0) std::printf("   target <= %.0fx: %s", target, ratio <= target ? "met" : "MISSED");
    std::printf("\n");
}

// The part of an entry-list load that the sorted list box takes: adding the
// lines of the entry table (as loaded last) to an empty list, as the load
// does.
inline Timing MeasureListFill(const CQuillmarshDlg& dialog, int runs) {
    std::vector<std::string> names;
    for (const CategoryEntry& entry : *dialog.EntryTable()) names.push_back(entry.displayName);
    CListBox list;
    return Measure(runs, [&] { list.ResetContent(); }, [&] { list.AddStrings(names); });
}

// ---- Floors ---------------------------------------------------------------------------------

// Keeps the floors' work from being optimised away.
inline volatile std::size_t g_sink = 0;

// Every key of the big category, in file order.
inline const std::vector<std::string>& BigCategoryKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (int n = 0; n < kCategoryEntries; ++n)
            for (const char* field : {".title", ".thumbnail", ".displayName"})
                all.push_back(NumberedKey("aircraft", n, field));
        return all;
    }();
    return keys;
}

// Reading and parsing the file once: a cold read of every key of the big
// category through the store, in one user action (the store parses and
// indexes the file once, then answers 30,000 look-ups).
inline void ColdReadEveryKey(const std::string& path) {
    ForgetCachedProfiles();
    ProfileAction action;
    std::size_t bytes = 0;
    for (const std::string& key : BigCategoryKeys())
        bytes += GetPrivateProfileStringA(kBigCategory, key, UndefinedMarker, 499, path).size();
    if (!action.End().empty()) Fail("read action failed");
    g_sink = g_sink + bytes;
}

// A minimal parse of our own, for scale: read the file, split it into lines
// and each key line at its '='.
inline void ReadAndSplitKeys(const std::string& path) {
    const std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) Fail("read " + path);
    std::vector<std::pair<std::string_view, std::string_view>> keys;
    keys.reserve(bytes->size() / 40);
    const std::string_view text(*bytes);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (const std::size_t eq = line.find('='); eq != std::string_view::npos)
            keys.emplace_back(line.substr(0, eq), line.substr(eq + 1));
        start = end + 1;
    }
    g_sink = g_sink + keys.size();
}

// Parsing the file once and writing it once atomically: the least an action
// that changes the file must do. `bytes` stands for the changed file.
inline void ColdReadEveryKeyAndReplace(const std::string& path, const std::string& bytes) {
    ColdReadEveryKey(path);
    std::string reason;
    if (!ReplaceFileAtomically(path, bytes, &reason)) Fail("replace: " + reason);
}

}  // namespace qm::bench
