// The category actions of the main window at several sizes, each beside its
// floor in the same run.
//
// The file holds the category "Airliners" of N entries (30 bytes of keys and
// about 160 of values each) among C - 1 small categories. Each action is the
// whole user action: the dispatch of the pick or the click, the reload of the
// lists and, for the edits, the atomic save. The store is cold before each
// (it forgot the file, as after another program changed it), so each action
// includes its one parse of the file.
//
//   list load        the user picks "Airliners" (the entry list is loaded)
//   "<< Add"         a new entry at number N
//   "Update"         entry N/2, whose title names an aircraft of the catalogue
//   "Delete Category" of "Airliners", confirmed
//   "> Remove"       entry 0: the N - 1 later entries move down one number
//
// Floors: one parse for the list load: a read of one key through the cold
// store (reading the file, and the store's own parse and index of it, with the
// store's own memory, as every action meets them); one parse and one atomic
// replace of the file with the bytes the action leaves for the edits. Times are the fastest of the runs;
// runs of the action and of its floor alternate, so both meet the same load.
//
// Usage: bench_categories [--categories C1,C2,...] N1 N2 ...
// Prints one line per measurement: ROW <work> <categories> <N> <ms> <floor ms>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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
    const std::size_t at =
        bytes.find("\r\n" + key + "=" + old + "\r\n", bytes.find("[" + std::string(kBigCategory) + "]"));
    bytes.replace(at + 2 + key.size() + 1, old.size(), value);
    return bytes;
}

// One parse of the file by the store, which forgot it beforehand.
void Parse(const std::string& path) {
    g_sink = g_sink + GetPrivateProfileStringA(kBigCategory, "aircraft0.title", UndefinedMarker, 99, path).size();
}

void Replace(const std::string& path, const std::string& bytes) {
    std::string reason;
    if (!ReplaceFileAtomically(path, bytes, &reason)) Fail("replace: " + reason);
}

struct Best {
    double op = 1e30;
    double floor = 1e30;
};

// Alternates `runs` runs of the action (after `prepare`, not timed) and of
// its floor (after `restore`, not timed), after one round of each untimed;
// the fastest of each.
Best Alternate(int runs, const std::function<void()>& prepare, const std::function<void()>& action,
               const std::function<void()>& restore, const std::function<void()>& floor) {
    Best best;
    for (int r = -1; r < runs; ++r) {
        prepare();
        const double op = Measure(1, [] {}, action).minMs;
        restore();
        const double bare = Measure(1, [] {}, floor).minMs;
        if (r < 0) continue;
        best.op = std::min(best.op, op);
        best.floor = std::min(best.floor, bare);
    }
    return best;
}

void Run(int categories, int entries) {
    const int update = entries / 2;
    const std::string updateKey = "aircraft" + std::to_string(update);
    GeneratedSim sim(CategoryFileBytes(entries, categories), 20);
    // "Delete Category" leaves a list without the category: a new window,
    // opened outside the timed part, lists it again.
    auto window = std::make_unique<Window>(sim);
    CQuillmarshDlg* dialog = &window->dialog;
    // Entry N/2 names the catalogue's first aircraft, so that "Update" writes.
    sim.categoryBytes = WithValue(sim.categoryBytes, updateKey + ".title", std::string(dialog->Catalogue()[0].title));
    sim.RestoreCategoryFile();
    const std::string firstLine = ValueIn(sim.categoryBytes, kBigCategory, "aircraft0.displayName");
    const std::string updatedLine = ValueIn(sim.categoryBytes, kBigCategory, updateKey + ".displayName");
    const int runs = entries >= 50000 ? 5 : 9;

    const auto prepare = [&](const std::string& line, const std::string& typed) {
        sim.RestoreCategoryFile();
        ForgetCachedProfiles();
        if (dialog->CategoryList().FindStringExact(-1, kBigCategory) < 0) {
            window.reset();
            window = std::make_unique<Window>(sim);
            dialog = &window->dialog;
        }
        window->Pick(IDC_CATEGORY, kBigCategory);
        if (!line.empty()) window->Pick(IDC_ENTRY_LIST, line);
        if (!typed.empty()) TypeText(*dialog, IDC_DISPLAY_NAME, typed);
        window->host.ClearBoxes();
        ForgetCachedProfiles();
    };
    const auto report = [&](const char* work, const Best& best) {
        std::printf("ROW\t%s\t%d\t%d\t%.3f\t%.3f\n", work, categories, entries, best.op, best.floor);
        std::fflush(stdout);
    };

    // ---- List load ----
    const int bigIndex = dialog->CategoryList().FindStringExact(-1, kBigCategory);
    if (bigIndex < 0) Fail("no category " + std::string(kBigCategory));
    const Best load = Alternate(
        runs, [] { ForgetCachedProfiles(); },
        [&] {
            dialog->CategoryList().SetCurSel(bigIndex);
            dialog->Dispatch(CommandMessage(IDC_CATEGORY, CBN_SELCHANGE));
        },
        [] { ForgetCachedProfiles(); }, [&] { Parse(sim.categoryFile); });
    if (dialog->EntryList().GetCount() != entries) Fail("the list does not hold every entry");
    report("list load", load);

    // ---- The edits ----
    struct Edit {
        const char* work;
        std::string line, typed;
        int button;
        int entriesAfter;  // in the big category; -1: the category is gone
    };
    const Edit edits[] = {
        {"\"<< Add\"", "", "Benchmark entry", IDC_ADD, entries + 1},
        {"\"Update\"", updatedLine, "Renamed by the benchmark", IDC_UPDATE, entries},
        {"\"Delete Category\"", "", "", IDC_DELETE_CATEGORY, -1},
        {"\"> Remove\" of entry 0", firstLine, "", IDC_REMOVE, entries - 1},
    };
    for (const Edit& e : edits) {
        const bool confirms = e.button == IDC_DELETE_CATEGORY;
        const auto prepareEdit = [&] {
            prepare(e.line, e.typed);
            if (confirms) window->host.AnswerNextBox(IDOK);
        };
        const auto click = [&] { ClickButton(*dialog, e.button); };
        // The bytes the action leaves, for its floor; and a check that it did
        // its work.
        prepareEdit();
        click();
        if (confirms ? window->host.PendingAnswers() != 0 || window->host.Boxes().size() != 1
                     : !window->host.Boxes().empty())
            Fail(std::string(e.work) + ": unexpected message boxes");
        if (e.entriesAfter >= 0 ? CountCategoryEntries(sim.categoryFile, kBigCategory) != e.entriesAfter
                                : CategoryExists(sim.categoryFile, kBigCategory))
            Fail(std::string(e.work) + " did not do its work");
        const std::string after = ReadWholeFile(sim.categoryFile).value_or("");
        if (after == sim.categoryBytes) Fail(std::string(e.work) + " changed nothing");
        const Best best = Alternate(
            runs, prepareEdit, click,
            [&] {
                sim.RestoreCategoryFile();
                ForgetCachedProfiles();
            },
            [&] {
                Parse(sim.categoryFile);
                Replace(sim.categoryFile, after);
            });
        report(e.work, best);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> categories = {1};
    std::vector<int> sizes;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg == "--categories" && a + 1 < argc) {
            categories.clear();
            std::stringstream list(argv[++a]);
            for (std::string item; std::getline(list, item, ',');) categories.push_back(std::atoi(item.c_str()));
        } else {
            sizes.push_back(std::atoi(arg.c_str()));
        }
    }
    if (sizes.empty()) sizes = {1000, 10000};
    for (const int c : categories)
        for (const int n : sizes) Run(c, n);
    return 0;
}
