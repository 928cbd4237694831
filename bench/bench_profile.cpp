// The private-profile store against the floor of reading and parsing the
// same file once.
//
// Store_ReadEveryKey: a cold store (nothing cached) reads every key of a
//   10,000-entry category once within one user action, as the entry list
//   load and the count do.
// Floor_ReadAndParse: ReadWholeFile plus the store's own parser and index
//   (profile::ProfileFile) on the same file: the least any reader of the
//   file must do.
// Floor_ReadAndSplitLines: ReadWholeFile plus a bare split into lines, for
//   scale.
// Store_RemoveFirstEntry: "> Remove" of entry 0 of that category: every later
//   entry moves down one number (30,000 reads and writes), the last entry's
//   three keys are removed, and the action saves the file once.
// Store_ScanAircraftFiles: a folder scan reading 2,000 "aircraft.cfg" files in
//   one action; the counter shows the resident memory it leaves behind.
//
// Paired_ReadEveryKeyOverParse: the first two alternated, for a ratio that
//   holds up on a busy machine.
//
// The ratios of the store to the floor are printed at the end.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "gen_categories.h"
#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/profile_file.h"
#include "platform/text.h"

namespace {

constexpr int Entries = 10000;
const char* const Fields[] = {".title", ".thumbnail", ".displayName"};

struct Fixture {
    std::string folder;
    std::string categoryFile;
    std::string pristine;  // the category file's bytes
    std::vector<std::string> keys;  // every key of the big section, in file order

    Fixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmarsh-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        categoryFile = folder + "/Quillmarsh.cfg";
        pristine = qm::bench::CategoryFileBytes(Entries);
        Restore();
        for (int i = 0; i < Entries; ++i)
            for (const char* field : Fields) keys.push_back(qm::NumberedKey("aircraft", i, field));
    }
    ~Fixture() {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    void Restore() const {
        if (!qm::bench::WriteCategoryFile(categoryFile, Entries)) std::abort();
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void Store_ReadEveryKey(benchmark::State& state) {
    const Fixture& f = Shared();
    std::size_t bytes = 0;
    for (auto _ : state) {
        qm::ForgetCachedProfiles();
        qm::ProfileAction action;
        for (const std::string& key : f.keys) {
            const std::string value = qm::GetPrivateProfileStringA("Airliners", key, qm::UndefinedMarker, 499,
                                                                   f.categoryFile);
            bytes += value.size();
        }
        action.End();
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["reads"] = static_cast<double>(f.keys.size());
    state.counters["file_MB"] = static_cast<double>(f.pristine.size()) / 1e6;
}

// The store and its floor timed in turn within each iteration, so that a
// machine busy with other work slows both alike: the ratio of the sums, and
// of the fastest runs (the least disturbed).
void Paired_ReadEveryKeyOverParse(benchmark::State& state) {
    const Fixture& f = Shared();
    using Clock = std::chrono::steady_clock;
    double storeSum = 0, floorSum = 0, storeMin = 1e30, floorMin = 1e30;
    std::size_t bytes = 0;
    for (auto _ : state) {
        // Both halves start from the same heap: nothing of the file is held.
        qm::ForgetCachedProfiles();
        const auto t0 = Clock::now();
        {
            const qm::profile::ProfileFile parsed(*qm::ReadWholeFile(f.categoryFile));
            benchmark::DoNotOptimize(&parsed);
        }
        const auto t1 = Clock::now();
        {
            qm::ProfileAction action;
            for (const std::string& key : f.keys)
                bytes += qm::GetPrivateProfileStringA("Airliners", key, qm::UndefinedMarker, 499, f.categoryFile)
                             .size();
            action.End();
        }
        const auto t2 = Clock::now();
        const double floorMs = std::chrono::duration<double, std::milli>(t1 - t0).count();
        const double storeMs = std::chrono::duration<double, std::milli>(t2 - t1).count();
        floorSum += floorMs;
        storeSum += storeMs;
        floorMin = std::min(floorMin, floorMs);
        storeMin = std::min(storeMin, storeMs);
    }
    benchmark::DoNotOptimize(bytes);
    state.counters["floor_ms_min"] = floorMin;
    state.counters["store_ms_min"] = storeMin;
    state.counters["ratio_of_sums"] = storeSum / floorSum;
    state.counters["ratio_of_min"] = storeMin / floorMin;
}

void Floor_ReadAndParse(benchmark::State& state) {
    const Fixture& f = Shared();
    for (auto _ : state) {
        const qm::profile::ProfileFile parsed(*qm::ReadWholeFile(f.categoryFile));
        benchmark::DoNotOptimize(&parsed);
    }
}

void Floor_ReadAndSplitLines(benchmark::State& state) {
    const Fixture& f = Shared();
    for (auto _ : state) {
        const std::string bytes = *qm::ReadWholeFile(f.categoryFile);
        std::vector<std::string_view> lines;
        lines.reserve(bytes.size() / 32);
        std::size_t start = 0;
        while (start < bytes.size()) {
            const char* nl = static_cast<const char*>(std::memchr(bytes.data() + start, '\n', bytes.size() - start));
            const std::size_t end = nl ? static_cast<std::size_t>(nl - bytes.data()) : bytes.size();
            lines.emplace_back(bytes.data() + start, end - start);
            start = end + 1;
        }
        benchmark::DoNotOptimize(lines.data());
    }
}

void Store_RemoveFirstEntry(benchmark::State& state) {
    const Fixture& f = Shared();
    for (auto _ : state) {
        state.PauseTiming();
        f.Restore();
        qm::ForgetCachedProfiles();
        state.ResumeTiming();
        qm::ProfileAction action;
        for (int i = 0; i + 1 < Entries; ++i)
            for (int k = 0; k < 3; ++k) {
                const std::string next = qm::GetPrivateProfileStringA(
                    "Airliners", f.keys[static_cast<std::size_t>(3 * (i + 1) + k)], qm::UndefinedMarker, 499,
                    f.categoryFile);
                qm::WritePrivateProfileStringA("Airliners", f.keys[static_cast<std::size_t>(3 * i + k)], next,
                                               f.categoryFile);
            }
        for (int k = 0; k < 3; ++k)
            qm::WritePrivateProfileStringA("Airliners", f.keys[static_cast<std::size_t>(3 * (Entries - 1) + k)],
                                           std::nullopt, f.categoryFile);
        if (!action.End().empty()) state.SkipWithError("save failed");
    }
    state.counters["writes"] = 3.0 * Entries;
}

long ResidentKilobytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

void Store_ScanAircraftFiles(benchmark::State& state) {
    const Fixture& f = Shared();
    const int files = 2000;
    std::vector<std::string> paths;
    for (int i = 0; i < files; ++i) {
        const std::string dir = f.folder + "/Aircraft/Plane" + std::to_string(i);
        std::filesystem::create_directories(dir);
        std::string text;
        for (int s = 0; s < 4; ++s) {
            text += "[fltsim." + std::to_string(s) + "]\r\ntitle=Plane " + std::to_string(i) + " livery " +
                    std::to_string(s) + "\r\nsim=plane\r\nmodel=\r\npanel=\r\nsound=\r\ntexture=" +
                    std::to_string(s) + "\r\nui_manufacturer=\"Maker " + std::to_string(i % 40) +
                    "\"\r\nui_type=Type " + std::to_string(i % 7) + "\r\nui_variation=Livery " + std::to_string(s) +
                    "\r\ndescription=" + std::string(400, 'x') + "\r\n\r\n";
        }
        std::ofstream(dir + "/aircraft.cfg", std::ios::binary) << text;
        paths.push_back(dir + "/aircraft.cfg");
    }
    const auto scan = [&](int count) {
        qm::ProfileAction action;
        for (int i = 0; i < count; ++i)
            for (int s = 0; s < 5; ++s) {  // up to the first missing section, as the scan does
                const std::string section = "fltsim." + std::to_string(s);
                for (const char* key : {"title", "ui_manufacturer", "ui_type", "ui_variation", "texture"})
                    benchmark::DoNotOptimize(qm::GetPrivateProfileStringA(section, key, qm::UndefinedMarker, 256,
                                                                          paths[static_cast<std::size_t>(i)]));
            }
        action.End();
    };
    qm::ForgetCachedProfiles();
    scan(100);
    const long after100 = ResidentKilobytes();
    for (auto _ : state) scan(files);
    state.counters["rss_growth_kB_100_to_2000_files"] = static_cast<double>(ResidentKilobytes() - after100);
    state.counters["files"] = files;
}

// Medians of five runs each, so that a busy machine moves the ratios less.
BENCHMARK(Store_ReadEveryKey)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Floor_ReadAndParse)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Floor_ReadAndSplitLines)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(Paired_ReadEveryKeyOverParse)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Store_RemoveFirstEntry)->Unit(benchmark::kMillisecond);
BENCHMARK(Store_ScanAircraftFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps each benchmark's time per iteration for the ratios: the median of
// its repetitions, or its one run.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                seconds[name] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !seconds.count(name))
                seconds[name] = run.GetAdjustedRealTime();
            for (const auto& [counter, value] : run.counters)
                if (counter.starts_with("ratio")) ratios[name + " " + counter] = value.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;  // in the run's time unit
    std::map<std::string, double> ratios;   // counters of the paired runs
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto& t = reporter.seconds;
    const auto ratio = [&](const char* a, const char* b) {
        if (t.count(a) && t.count(b) && t.at(b) > 0)
            std::printf("%-24s / %-24s = %.2f\n", a, b, t.at(a) / t.at(b));
    };
    std::printf("\nRatios (target for the first: at most 2):\n");
    ratio("Store_ReadEveryKey", "Floor_ReadAndParse");
    ratio("Store_ReadEveryKey", "Floor_ReadAndSplitLines");
    ratio("Store_RemoveFirstEntry", "Floor_ReadAndParse");
    for (const auto& [name, value] : reporter.ratios) std::printf("%-51s = %.2f\n", name.c_str(), value);
    return 0;
}
