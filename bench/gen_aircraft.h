// A large simulator aircraft folder for benchmarks: root/Aircraft/<folder>/
// aircraft.cfg files of about 2 KB each, written the way real ones are
// (comments, a [General] section, several [fltsim.N] liveries with the keys
// the simulator uses, flight-model sections), and a small thumbnail in each
// livery's texture folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace qm::bench {

struct GeneratedAircraft {
    std::string aircraftFolder;               // root + "/Aircraft"
    int records = 0;                          // complete sections written
    std::vector<std::string> configPaths;     // every aircraft.cfg
    std::vector<std::string> thumbnailPaths;  // every thumbnail.bmp
};

namespace detail {

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A 4 x 4 24-bit BMP of one colour.
inline std::string SmallBmp(std::uint8_t shade) {
    constexpr int kSide = 4;
    constexpr std::uint32_t kRow = kSide * 3;  // already a multiple of 4
    constexpr std::uint32_t kPixels = kRow * kSide;
    std::string b;
    auto u16 = [&b](std::uint32_t v) {
        b.push_back(static_cast<char>(v & 0xFF));
        b.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    b.append("BM");
    u32(54 + kPixels);
    u32(0);
    u32(54);
    u32(40);
    u32(kSide);
    u32(kSide);
    u16(1);
    u16(24);
    u32(0);
    u32(kPixels);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (std::uint32_t i = 0; i < kPixels; ++i) b.push_back(static_cast<char>(shade + i % 3 * 40));
    return b;
}

inline constexpr std::string_view kManufacturers[] = {
    "Airbus",      "Boeing",       "Cessna",     "Piper",        "Beechcraft", "Mooney",     "Cirrus",
    "Diamond",     "de Havilland", "Bombardier", "Embraer",      "Fokker",     "Lockheed",   "Douglas",
    "McDonnell",   "Grumman",      "Bell",       "Sikorsky",     "Eurocopter", "Robinson",   "Pilatus",
    "Socata",      "Extra",        "Zlin",       "Tupolev",      "Ilyushin",   "Antonov",    "Saab",
    "ATR",         "Dornier",      "Learjet",    "Gulfstream",   "Dassault",   "Hawker",     "Lake",
    "Maule",       "Aviat",        "Grob",       "Let",          "Aeroprakt"};

inline constexpr std::string_view kAirlines[] = {"House", "Air France", "Lufthansa", "KLM", "Iberia", "Alitalia",
                                                 "SAS",   "Finnair",    "Swiss",     "TAP", "Aer Lingus"};

inline std::string ConfigText(int folder, int sections, std::string_view manufacturer, std::string_view model) {
    std::string t;
    t.reserve(2400);
    t.append("; ").append(manufacturer).append(" ").append(model).append(" - repaint pack\r\n");
    t.append("; Created with Aircraft Container Manager. Do not edit the [General] section.\r\n\r\n");
    t.append("[General]\r\natc_type=").append(manufacturer).append("\r\natc_model=").append(model);
    t.append("\r\neditable=1\r\nperformance=Cruise speed 240 kts\\nRange 1,100 nm\r\n\r\n");
    for (int n = 0; n < sections; ++n) {
        const std::string_view airline = kAirlines[static_cast<std::size_t>(folder + n) % std::size(kAirlines)];
        const std::string livery = std::string(airline) + " " + std::to_string(folder) + "-" + std::to_string(n);
        t.append("[fltsim.").append(std::to_string(n)).append("]\r\n");
        t.append("title=").append(manufacturer).append(" ").append(model).append(" ").append(livery).append("\r\n");
        t.append("sim=").append(model).append("\r\nmodel=\r\npanel=\r\nsound=\r\n");
        t.append("texture=").append(std::to_string(n + 1)).append("\r\n");
        t.append("kb_checklists=").append(model).append("_check\r\nkb_reference=").append(model).append("_ref\r\n");
        t.append("atc_id=N").append(std::to_string(10000 + folder * 7 + n)).append("\r\n");
        t.append("atc_airline=").append(airline).append("\r\natc_flight_number=").append(std::to_string(100 + n));
        t.append("\r\nui_manufacturer = \"").append(manufacturer).append("\"\r\n");
        t.append("ui_type=").append(model).append("\r\n");
        t.append("ui_variation=").append(livery).append("\r\n");
        t.append("description=\"").append(livery).append(" livery, repainted for the ").append(airline);
        t.append(" fleet.\"\r\n\r\n");
    }
    t.append("[WEIGHT_AND_BALANCE]\r\nmax_gross_weight = 5500\r\nempty_weight = 3800\r\n");
    t.append("reference_datum_position = 0.0, 0.0, 0.0\r\nempty_weight_CG_position = -1.8, 0.0, 0.0\r\n");
    t.append("max_number_of_stations = 4\r\nstation_load.0 = 170, 2.0, -1.5, 0.0 // pilot\r\n\r\n");
    t.append("[flight_tuning]\r\ncruise_lift_scalar = 1.0\r\nparasite_drag_scalar = 1.0\r\n");
    t.append("induced_drag_scalar = 1.0\r\nelevator_effectiveness = 1.0\r\naileron_effectiveness = 1.0\r\n\r\n");
    t.append("[GeneralEngineData]\r\nengine_type = 0\r\nfuel_flow_scalar = 1.0\r\nmin_throttle_limit = 0.0\r\n");
    t.append("Engine.0 = -2.0, -5.5, 0.0\r\nEngine.1 = -2.0, 5.5, 0.0\r\n\r\n");
    t.append("[contact_points]\r\npoint.0 = 1, 7.5, 0.0, -4.6, 1600, 0, 0.55, 50.0, 0.3, 2.5, 0.7, 5.0, 5.0, 0\r\n");
    t.append("point.1 = 1, -1.5, -5.0, -4.6, 1600, 1, 0.55, 0.0, 0.5, 2.5, 0.7, 0.0, 0.0, 2\r\n");
    t.append("point.2 = 1, -1.5, 5.0, -4.6, 1600, 2, 0.55, 0.0, 0.5, 2.5, 0.7, 0.0, 0.0, 3\r\n");
    return t;
}

}  // namespace detail

// Writes `folders` aircraft folders of `sectionsPerFolder` liveries each, every
// livery with a thumbnail; returns what it wrote.
inline GeneratedAircraft WriteAircraftFolder(const std::string& root, int folders = 2000, int sectionsPerFolder = 5) {
    GeneratedAircraft out;
    out.aircraftFolder = root + "/Aircraft";
    std::filesystem::create_directories(out.aircraftFolder);
    const std::string thumbnail = detail::SmallBmp(90);
    constexpr std::size_t kMakers = std::size(detail::kManufacturers);
    for (int f = 0; f < folders; ++f) {
        const std::string_view manufacturer = detail::kManufacturers[static_cast<std::size_t>(f) % kMakers];
        const std::string model = std::string(manufacturer.substr(0, 3)) + "-" + std::to_string(100 + f % 97);
        const std::string folder = out.aircraftFolder + "/" + std::string(manufacturer) + "_" + model + "_" +
                                   std::to_string(f);
        std::filesystem::create_directories(folder);
        const std::string cfg = folder + "/aircraft.cfg";
        detail::WriteBytes(cfg, detail::ConfigText(f, sectionsPerFolder, manufacturer, model));
        out.configPaths.push_back(cfg);
        for (int n = 0; n < sectionsPerFolder; ++n) {
            const std::string texture = folder + "/texture." + std::to_string(n + 1);
            std::filesystem::create_directories(texture);
            detail::WriteBytes(texture + "/thumbnail.bmp", thumbnail);
            out.thumbnailPaths.push_back(texture + "/thumbnail.bmp");
            ++out.records;
        }
    }
    return out;
}

}  // namespace qm::bench
