// The aircraft folder scan against its floor.
//
// Scan: ScanAircraftFolder into a fresh catalogue and manufacturer list, with
// the profile store cold (nothing of the files kept from the run before).
// Floor: what any scan must do at least: list the aircraft folder, open and
// read every aircraft.cfg, and open every thumbnail, with no parsing at all.
// Both run with the files in the operating system's cache; runs of the two
// alternate, and each reports its fastest.
//
// Memory: the heap a scan into a fresh catalogue leaves in use (the catalogue,
// and the store's few clean files), beside the bytes of the texts the
// catalogue keeps.
//
// Usage: bench_scan N1 N2 ...  (folders; 5 liveries each)
// Prints per size: ROW scan 1 <N> <ms> <floor ms>, and MEM <N> <heap MiB>
// <text MiB>.
#include <dirent.h>
#include <malloc.h>
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

// Bytes of the heap in use, blocks of their own (mmap) included.
std::size_t HeapInUse() {
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

void Measure(int folders) {
    const int sections = 5;
    const int runs = folders >= 16000 ? 3 : 5;
    qm::test::TempDir root;
    const auto generated = qm::bench::WriteAircraftFolder(root.Path(), folders, sections);

    // Warm the operating system's cache, and check the scan finds everything.
    Floor(generated);
    const int count = Scan(generated);
    if (count != generated.records) {
        std::fprintf(stderr, "scan found %d records, %d written\n", count, generated.records);
        std::exit(1);
    }

    double floor = 1e30, scan = 1e30;
    for (int r = 0; r < runs; ++r) {
        auto start = Clock::now();
        Floor(generated);
        floor = std::min(floor, std::chrono::duration<double>(Clock::now() - start).count());
        start = Clock::now();
        Scan(generated);
        scan = std::min(scan, std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::printf("ROW\tscan\t1\t%d\t%.3f\t%.3f\n", folders, scan * 1e3, floor * 1e3);

    qm::ForgetCachedProfiles();
    const std::size_t before = HeapInUse();
    auto catalogue = std::make_unique<qm::AircraftCatalogue>();
    qm::CComboBox manufacturers;
    qm::ScanAircraftFolder(generated.aircraftFolder, *catalogue, manufacturers);
    std::size_t text = 0;
    for (int i = 0; i < catalogue->Count(); ++i) {
        const qm::AircraftRecord& r = (*catalogue)[i];
        text += std::string_view(r.title).size() + std::string_view(r.manufacturer).size() +
                std::string_view(r.model).size() + std::string_view(r.variation).size() +
                std::string_view(r.thumbnailPath).size();
    }
    const std::size_t after = HeapInUse();
    std::printf("MEM\t%d\t%.1f\t%.1f\n", folders, static_cast<double>(after - std::min(after, before)) / 1048576.0,
                static_cast<double>(text) / 1048576.0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int a = 1; a < argc; ++a) sizes.push_back(std::atoi(argv[a]));
    if (sizes.empty()) sizes = {500, 2000};
    for (const int n : sizes) Measure(n);
    return 0;
}
