// The main window's lists on a large installation.
//
// Aircraft lists: FillModelCombo + FillVariationCombo (with the thumbnail of
// the first variation that the latter shows) for the manufacturer with the
// most records of the 10,000-record catalogue, beside the floor of one pass
// over the catalogue comparing manufacturers.
//
// Entry list: the user picks the 10,000-entry category (the dispatch of the
// selection change: LoadCategoryEntries as one user action), with the store
// cold (nothing of the file kept, as after another program changed it) and
// warm (the file parsed at an earlier action). The floor is reading and
// parsing the file once: a cold read of every key of the category through the
// store in one action (one parse and index of the file, 30,000 look-ups). A
// minimal parse of our own (split into lines and at '=') is shown for scale,
// and so is the part of the load that the sorted list box takes. Target: the
// cold load at most 2x the floor.
//
// Usage: bench_lists [runs]
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "window_bench.h"

using namespace qm;
using namespace qm::bench;

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    std::printf("Generating 2,000 aircraft folders and a %d-entry category file...\n", kCategoryEntries);
    const GeneratedSim sim;
    Window window(sim);
    CQuillmarshDlg& dialog = window.dialog;
    const AircraftCatalogue& catalogue = dialog.Catalogue();
    std::printf("catalogue: %d records, %d manufacturers; category file %.2f MB\n\n", catalogue.Count(),
                dialog.ManufacturerList().GetCount(), static_cast<double>(sim.categoryBytes.size()) / 1e6);
    if (catalogue.Count() != sim.aircraft.records) Fail("the scan missed records");

    // ---- Model and variation lists ----
    std::map<std::string, int, std::less<>> perManufacturer;
    for (const AircraftRecord& record : catalogue.Records()) ++perManufacturer[std::string(record.manufacturer)];
    const auto busiest = std::max_element(perManufacturer.begin(), perManufacturer.end(),
                                          [](const auto& a, const auto& b) { return a.second < b.second; });
    const int manufacturerIndex = dialog.ManufacturerList().FindStringExact(-1, busiest->first);
    if (manufacturerIndex < 0) Fail("busiest manufacturer not listed");
    std::printf("busiest manufacturer: %s (%d records)\n", busiest->first.c_str(), busiest->second);

    const Timing fill = Measure(
        runs * 5, [&] { dialog.ManufacturerList().SetCurSel(manufacturerIndex); },
        [&] {
            dialog.FillModelCombo();
            dialog.FillVariationCombo();
        });
    std::printf("  -> %d models, %d variations of the first model\n", dialog.ModelList().GetCount(),
                dialog.VariationList().GetCount());
    const Timing pass = Measure(runs * 5, [] {}, [&] {
        int matches = 0;
        const std::string manufacturer = dialog.ManufacturerList().GetSelectedText();
        for (const AircraftRecord& record : catalogue.Records())
            matches += EqualsNoCase(record.manufacturer, manufacturer) ? 1 : 0;
        g_sink = g_sink + static_cast<std::size_t>(matches);
    });
    Report("FillModelCombo + FillVariationCombo", fill);
    Report("floor: one pass over the catalogue", pass);
    ReportRatio("fill / one pass", fill, pass);
    std::printf("\n");

    // ---- Entry list of the 10,000-entry category ----
    const int categoryIndex = dialog.CategoryList().FindStringExact(-1, kBigCategory);
    if (categoryIndex < 0) Fail("no category " + std::string(kBigCategory));
    const auto pickCategory = [&] {
        dialog.CategoryList().SetCurSel(categoryIndex);
        dialog.Dispatch(CommandMessage(IDC_CATEGORY, CBN_SELCHANGE));
    };
    const Timing cold = Measure(runs, [] { ForgetCachedProfiles(); }, pickCategory);
    if (dialog.EntryList().GetCount() != kCategoryEntries) Fail("the list does not hold every entry");
    window.ExpectNoBox("the category pick");
    const Timing warm = Measure(runs, [&] { pickCategory(); }, pickCategory);
    const Timing adds = MeasureListFill(dialog, runs);
    const Timing parse = Measure(runs, [] {}, [&] { ColdReadEveryKey(sim.categoryFile); });
    const Timing split = Measure(runs, [] {}, [&] { ReadAndSplitKeys(sim.categoryFile); });

    Report("LoadCategoryEntries (category pick), store cold", cold);
    Report("LoadCategoryEntries (category pick), store warm", warm);
    Report("  of which: 10,000 lines into the list box", adds);
    Report("floor: cold read of every key through the store", parse);
    Report("for scale: read + split lines and keys", split);
    ReportRatio("cold load / cold read of every key", cold, parse, 2);
    ReportRatio("warm load / cold read of every key", warm, parse, 2);
    ReportRatio("cold load / read + split", cold, split);
    std::printf("%-52s %9.2f ms   %5.2fx the floor\n", "cold load less the list box fill (fastest runs)",
                cold.minMs - adds.minMs, (cold.minMs - adds.minMs) / parse.minMs);
    return 0;
}
