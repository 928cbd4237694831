// The aircraft catalogue: every aircraft variation found in the simulator's
// aircraft folder, in scan order, and the scan that builds it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/text.h"

namespace qm {

// One aircraft variation: one complete "fltsim.N" section of an aircraft.cfg.
struct AircraftRecord {
    FixedText<255> title;         // "title"
    FixedText<255> manufacturer;  // "ui_manufacturer"
    FixedText<255> model;         // "ui_type"
    FixedText<255> variation;     // "ui_variation"
    FixedText<500> thumbnailPath; // the thumbnail file found at scan time, or empty
};

class AircraftCatalogue {
public:
    // Room for this many records is taken once, up front; a fuller aircraft
    // folder grows the table rather than dropping records.
    static constexpr int kInitialCapacity = 10000;

    AircraftCatalogue();

    int Count() const { return static_cast<int>(records_.size()); }
    const AircraftRecord& operator[](int index) const { return records_[static_cast<std::size_t>(index)]; }
    const std::vector<AircraftRecord>& Records() const { return records_; }

    // Empties the catalogue; the table keeps its room.
    void Reset() { records_.clear(); }
    // A new record at the end, to be filled in place.
    AircraftRecord& Append() { return records_.emplace_back(); }

    // The first record in scan order whose manufacturer, model and variation
    // equal the three texts without regard to case (A to Z only), or -1.
    int FindRecordBySelection(std::string_view manufacturer, std::string_view model,
                              std::string_view variation) const;
    // The first record in scan order whose title equals `title` byte for byte,
    // or -1.
    int FindRecordByTitle(std::string_view title) const;

private:
    std::vector<AircraftRecord> records_;
};

// "<root>/Aircraft": the aircraft folder of a simulator root.
std::string AircraftFolderOf(std::string_view simulatorRoot);

// Empties and refills `catalogue` from the aircraft.cfg of every directory
// entry of `aircraftFolder` ("." and ".." included, nothing deeper), and adds
// to `manufacturers` each manufacturer it does not hold yet (without regard to
// case). A missing folder leaves the catalogue empty and the list as it was.
void ScanAircraftFolder(const std::string& aircraftFolder, AircraftCatalogue& catalogue,
                        CComboBox& manufacturers);

// Appends the records of "<aircraftFolder>/<entryName>/aircraft.cfg" (found
// whatever its case) and adds its new manufacturers to the list.
void ReadAircraftCfg(const std::string& aircraftFolder, std::string_view entryName,
                     AircraftCatalogue& catalogue, CComboBox& manufacturers);

}  // namespace qm
