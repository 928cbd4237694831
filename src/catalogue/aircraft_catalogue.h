// The aircraft catalogue: every aircraft variation found in the simulator's
// aircraft folder, in scan order, and the scan that builds it.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"

namespace qm {

// One aircraft variation: one complete "fltsim.N" section of an aircraft.cfg.
// The texts are held by the catalogue the record belongs to and stay valid
// until its next Reset.
struct AircraftRecord {
    std::string_view title;          // "title"
    std::string_view manufacturer;   // "ui_manufacturer"
    std::string_view model;          // "ui_type"
    std::string_view variation;      // "ui_variation"
    std::string_view thumbnailPath;  // the thumbnail file found at scan time, or empty
};

// The records and their texts. A record takes the bytes of its texts and
// little more: the texts are packed one after another into blocks that never
// move, and the records sit in a table that grows by blocks, so neither is
// copied as the catalogue grows and memory follows the text actually read
// (a table of fixed 255- and 500-byte fields took 251 MB for 160,000 records).
class AircraftCatalogue {
public:
    // The longest texts a record keeps: a value read with size 99, and a
    // thumbnail path built in a 500-byte buffer.
    static constexpr std::size_t kMaxValueSize = 98;
    static constexpr std::size_t kMaxPathSize = 499;

    AircraftCatalogue() = default;
    // Records point into the catalogue's own text blocks.
    AircraftCatalogue(const AircraftCatalogue&) = delete;
    AircraftCatalogue& operator=(const AircraftCatalogue&) = delete;
    AircraftCatalogue(AircraftCatalogue&&) = default;
    AircraftCatalogue& operator=(AircraftCatalogue&&) = default;

    int Count() const { return static_cast<int>(records_.size()); }
    const AircraftRecord& operator[](int index) const { return records_[static_cast<std::size_t>(index)]; }
    const std::deque<AircraftRecord>& Records() const { return records_; }
    // The bytes of the texts kept.
    std::size_t TextBytes() const { return textBytes_; }

    // Empties the catalogue and gives back the memory of its texts.
    void Reset();
    // A new record at the end with copies of the texts, each cut to its
    // longest (kMaxValueSize, kMaxPathSize).
    const AircraftRecord& Append(std::string_view title, std::string_view manufacturer, std::string_view model,
                                 std::string_view variation, std::string_view thumbnailPath);

    // The first record in scan order whose manufacturer, model and variation
    // equal the three texts without regard to case (A to Z only), or -1.
    int FindRecordBySelection(std::string_view manufacturer, std::string_view model,
                              std::string_view variation) const;
    // The first record in scan order whose title equals `title` byte for byte,
    // or -1.
    int FindRecordByTitle(std::string_view title) const;

private:
    // A copy of `text` in the current block.
    std::string_view Keep(std::string_view text);

    // Texts are packed into blocks of this size; a record's texts (at most
    // 4 x 98 + 499 bytes) always fit in a fresh one.
    static constexpr std::size_t kBlockSize = 64 * 1024;

    std::deque<AircraftRecord> records_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockUsed_ = kBlockSize;  // bytes taken in blocks_.back()
    std::size_t textBytes_ = 0;
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
