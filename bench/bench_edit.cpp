// The editing actions of the main window on the 10,000-entry category
// (30,000 keys, about 1.5 MB), each as a whole user action: the dispatch of
// the button click, with the reload of the entry list and the atomic save.
//
//   "> Remove" of entry 0: the 9,999 later entries move down one number.
//   "<< Add" as entry 10,000: the count walks 10,000 titles.
//   "Update" of entry 5,000, whose title names an aircraft of the catalogue.
//
// Every run starts from the same file, restored outside the timed region,
// with the category picked and the line selected as the user would before the
// click. "cold": the store is made to forget the file just before the click,
// so the action parses it (as after another program changed it); "warm": the
// file is still parsed from the pick.
//
// Floor: parsing the file once (a cold read of every key of the category
// through the store, in one action) and writing it once atomically
// (ReplaceFileAtomically of the file's bytes). Target: each cold action at
// most 3x the floor.
//
// Usage: bench_edit [runs]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "window_bench.h"

using namespace qm;
using namespace qm::bench;

namespace {

// The value of `key` in the section `section` of `bytes` (the generated file
// has each key once a section, written key=value).
std::string ValueIn(const std::string& bytes, std::string_view section, const std::string& key) {
    const std::size_t start = bytes.find("[" + std::string(section) + "]\r\n");
    const std::size_t line = bytes.find("\r\n" + key + "=", start);
    if (start == std::string::npos || line == std::string::npos) Fail("no " + key);
    const std::size_t value = line + 2 + key.size() + 1;
    return bytes.substr(value, bytes.find("\r\n", value) - value);
}

// `bytes` with the value of `key` in the big category replaced.
std::string WithValue(std::string bytes, const std::string& key, const std::string& value) {
    const std::string old = ValueIn(bytes, kBigCategory, key);
    const std::size_t at = bytes.find("\r\n" + key + "=" + old + "\r\n", bytes.find("[" + std::string(kBigCategory) + "]"));
    bytes.replace(at + 2 + key.size() + 1, old.size(), value);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    std::printf("Generating 2,000 aircraft folders and a %d-entry category file...\n", kCategoryEntries);
    GeneratedSim sim;
    Window window(sim);
    CQuillmarshDlg& dialog = window.dialog;

    // Entry 5,000 is made to name the catalogue's first aircraft, so that
    // "Update" finds it and writes.
    const std::string updatedTitle(dialog.Catalogue()[0].title);
    sim.categoryBytes = WithValue(sim.categoryBytes, "aircraft5000.title", updatedTitle);
    sim.RestoreCategoryFile();
    const std::string firstLine = ValueIn(sim.categoryBytes, kBigCategory, "aircraft0.displayName");
    const std::string updatedLine = ValueIn(sim.categoryBytes, kBigCategory, "aircraft5000.displayName");
    std::printf("category file: %.2f MB, %d entries in [%s]\n\n", static_cast<double>(sim.categoryBytes.size()) / 1e6,
                kCategoryEntries, std::string(kBigCategory).c_str());

    // The state before the click: the file as generated, the big category
    // picked and, for Remove and Update, its line selected.
    const auto prepare = [&](const std::string& line, const std::string& typed, bool cold) {
        sim.RestoreCategoryFile();
        ForgetCachedProfiles();
        window.Pick(IDC_CATEGORY, kBigCategory);
        if (!line.empty()) window.Pick(IDC_ENTRY_LIST, line);
        if (!typed.empty()) TypeText(dialog, IDC_DISPLAY_NAME, typed);
        window.host.ClearBoxes();
        if (cold) ForgetCachedProfiles();
    };
    const auto click = [&](int id) { return [&dialog, id] { ClickButton(dialog, id); }; };
    const auto check = [&](const char* action, int entries) {
        window.ExpectNoBox(action);
        if (CountCategoryEntries(sim.categoryFile, kBigCategory) != entries)
            Fail(std::string(action) + " left the wrong number of entries");
        if (dialog.EntryList().GetCount() != entries) Fail(std::string(action) + ": the list was not reloaded");
    };

    struct Action {
        const char* name;
        std::string line, typed;
        int button;
        int entriesAfter;
    };
    const Action actions[] = {
        {"\"> Remove\" of entry 0", firstLine, "", IDC_REMOVE, kCategoryEntries - 1},
        {"\"<< Add\" as entry 10,000", "", "Benchmark entry", IDC_ADD, kCategoryEntries + 1},
        {"\"Update\" of entry 5,000", updatedLine, "Renamed by the benchmark", IDC_UPDATE, kCategoryEntries},
    };

    const Timing floor = Measure(runs, [&] { sim.RestoreCategoryFile(); },
                                 [&] { ColdReadEveryKeyAndReplace(sim.categoryFile, sim.categoryBytes); });
    Report("floor: cold read of every key + atomic replace", floor);

    struct Result {
        Timing cold, warm;
    };
    std::vector<Result> results;
    for (const Action& a : actions) {
        Result r;
        r.cold = Measure(runs, [&] { prepare(a.line, a.typed, true); }, click(a.button));
        check(a.name, a.entriesAfter);
        r.warm = Measure(runs, [&] { prepare(a.line, a.typed, false); }, click(a.button));
        check(a.name, a.entriesAfter);
        Report((std::string(a.name) + ", cold").c_str(), r.cold);
        Report((std::string(a.name) + ", warm").c_str(), r.warm);
        results.push_back(r);
    }
    if (ValueIn(ReadWholeFile(sim.categoryFile).value_or(""), kBigCategory, "aircraft5000.displayName") !=
        "Renamed by the benchmark")
        Fail("Update did not write");

    // Every action ends with a reload of the 10,000 lines.
    window.Pick(IDC_CATEGORY, kBigCategory);
    const Timing fill = MeasureListFill(dialog, runs);
    Report("  in each: 10,000 lines into the list box", fill);

    std::printf("\nRatios to the floor (medians):\n");
    for (std::size_t i = 0; i < results.size(); ++i) {
        ReportRatio((std::string(actions[i].name) + ", cold").c_str(), results[i].cold, floor, 3);
        ReportRatio((std::string(actions[i].name) + ", warm").c_str(), results[i].warm, floor, 3);
    }
    std::printf("\nCold, less the list box fill (fastest runs):\n");
    for (std::size_t i = 0; i < results.size(); ++i) {
        const double rest = results[i].cold.minMs - fill.minMs;
        std::printf("%-52s %9.2f ms   %5.2fx the floor\n", actions[i].name, rest, rest / floor.minMs);
    }
    return 0;
}
