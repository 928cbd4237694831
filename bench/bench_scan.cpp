// The aircraft folder scan against its floor.
//
// Scan: ScanAircraftFolder into a fresh catalogue and manufacturer list, with
// the profile store cold (nothing of the files kept from the run before).
// Floor: what any scan must do at least: list the aircraft folder, open and
// read every aircraft.cfg, and open every thumbnail, with no parsing at all.
// Both run with the files in the operating system's cache.
//
// Usage: bench_scan [folders [sections-per-folder [runs]]]
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/aircraft_catalogue.h"
#include "gen_aircraft.h"
#include "platform/profile.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

// Keeps the work of the floor from being optimised away.
volatile std::size_t g_sink = 0;

std::size_t ReadWhole(const std::string& path, std::vector<char>& buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    std::size_t total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got <= 0) break;
        total += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return total;
}

void Floor(const qm::bench::GeneratedAircraft& generated) {
    std::vector<char> buffer(64 * 1024);
    std::size_t bytes = 0;
    DIR* dir = ::opendir(generated.aircraftFolder.c_str());
    if (dir == nullptr) std::abort();
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type != DT_DIR) continue;
        bytes += ReadWhole(generated.aircraftFolder + "/" + entry->d_name + "/aircraft.cfg", buffer);
    }
    ::closedir(dir);
    for (const std::string& thumbnail : generated.thumbnailPaths) {
        const int fd = ::open(thumbnail.c_str(), O_RDONLY);
        if (fd < 0) std::abort();
        ::close(fd);
        ++bytes;
    }
    g_sink = g_sink + bytes;
}

int Scan(const qm::bench::GeneratedAircraft& generated) {
    qm::ForgetCachedProfiles();
    auto catalogue = std::make_unique<qm::AircraftCatalogue>();
    qm::CComboBox manufacturers;
    qm::ScanAircraftFolder(generated.aircraftFolder, *catalogue, manufacturers);
    g_sink = g_sink + static_cast<std::size_t>(manufacturers.GetCount());
    return catalogue->Count();
}

template <class F>
double BestSeconds(int runs, F&& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int folders = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int sections = argc > 2 ? std::atoi(argv[2]) : 5;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 7;

    qm::test::TempDir root;
    const auto generated = qm::bench::WriteAircraftFolder(root.Path(), folders, sections);

    // Warm the operating system's cache, and check the scan finds everything.
    Floor(generated);
    const int count = Scan(generated);
    if (count != generated.records) {
        std::fprintf(stderr, "scan found %d records, %d written\n", count, generated.records);
        return 1;
    }

    const double floor = BestSeconds(runs, [&] { Floor(generated); });
    const double scan = BestSeconds(runs, [&] { Scan(generated); });
    std::printf("aircraft folder: %d folders, %d records, best of %d runs\n", folders, generated.records, runs);
    std::printf("floor (list, read every aircraft.cfg, open every thumbnail): %8.2f ms\n", floor * 1e3);
    std::printf("scan  (ScanAircraftFolder, cold profile store):               %8.2f ms\n", scan * 1e3);
    std::printf("ratio scan / floor: %.2f (target at most 2)\n", scan / floor);
    return 0;
}
