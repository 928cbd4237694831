// Fuzz target: one aircraft folder whose only "aircraft.cfg" holds any bytes,
// scanned as the program scans the simulator's aircraft folder. Every record
// the scan makes holds what a 99-byte read can give: at most 98 bytes of
// title, manufacturer, model and variation, a title and three names that are
// not the missing marker, and a thumbnail only where the picture file exists;
// the manufacturer list likewise.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue/aircraft_catalogue.h"
#include "platform/controls.h"
#include "platform/profile.h"

namespace {

struct Folder {
    std::string aircraft;
    std::string cfg;

    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillmarsh-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        aircraft = pattern + "/Aircraft";
        std::filesystem::create_directories(aircraft + "/Plane/texture");
        std::filesystem::create_directories(aircraft + "/Plane/texture.1");
        // A picture for two of the texture folders a file may name.
        for (const char* texture : {"/Plane/texture/thumbnail.bmp", "/Plane/texture.1/thumbnail.bmp"})
            std::ofstream(aircraft + texture, std::ios::binary) << "BM";
        cfg = aircraft + "/Plane/aircraft.cfg";
    }
    ~Folder() {
        std::error_code error;
        std::filesystem::remove_all(std::filesystem::path(aircraft).parent_path(), error);
    }
};

void Fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Folder folder;
    {
        std::ofstream out(folder.cfg, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // The previous input's file may have the same size and time.
    qm::ForgetCachedProfiles();
    qm::AircraftCatalogue catalogue;
    qm::CComboBox manufacturers;
    qm::ScanAircraftFolder(folder.aircraft, catalogue, manufacturers);
    for (const qm::AircraftRecord& record : catalogue.Records()) {
        for (const std::string_view text : {record.title, record.manufacturer, record.model, record.variation}) {
            if (text.size() > 98) Fail("a field longer than a 99-byte read");
            if (text == qm::UndefinedMarker) Fail("a field that is the missing marker");
        }
        if (!record.thumbnailPath.empty() && !std::filesystem::exists(std::string(record.thumbnailPath)))
            Fail("a thumbnail that does not exist");
    }
    // A section skipped for a missing model or variation still lists its
    // manufacturer, so the list may hold more names than the records do.
    for (int i = 0; i < manufacturers.GetCount(); ++i) {
        const std::string name = manufacturers.GetLBText(i);
        if (name.size() > 98 || name == qm::UndefinedMarker) Fail("a manufacturer no read can give");
    }
    return 0;
}
