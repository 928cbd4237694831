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
// The texts are held by the catalogue the record comes from and stay valid
// until its next Reset.
struct AircraftRecord {
    std::string_view title;          // "title"
    std::string_view manufacturer;   // "ui_manufacturer"
    std::string_view model;          // "ui_type"
    std::string_view variation;      // "ui_variation"
    std::string_view thumbnailPath;  // the thumbnail file found at scan time, or empty
};

// The records and their texts. A record takes the bytes of its texts and
// little more: each record's texts are packed, each after its length, into
// blocks that never move, and the catalogue keeps one pointer a record in a
// table that grows by blocks, so nothing is copied as the catalogue grows and
// memory follows the text actually read. (A table of fixed 255- and 500-byte
// fields took 251 MB for 160,000 records; records of five views, 80 bytes
// each, 12.8 MB besides their texts; one pointer a record, 1.3 MB.)
class AircraftCatalogue {
public:
    // The longest texts a record keeps: a value read with size 99, and a
    // thumbnail path built in a 500-byte buffer.
    static constexpr std::size_t kMaxValueSize = 98;
    static constexpr std::size_t kMaxPathSize = 499;

    // The records in scan order, each made on reading.
    class RecordRange {
    public:
        class Iterator {
        public:
            using Base = std::deque<const char*>::const_iterator;
            explicit Iterator(Base at) : at_(at) {}
            AircraftRecord operator*() const { return Unpack(*at_); }
            Iterator& operator++() {
                ++at_;
                return *this;
            }
            friend bool operator==(const Iterator&, const Iterator&) = default;

        private:
            Base at_;
        };
        explicit RecordRange(const std::deque<const char*>& records) : records_(records) {}
        Iterator begin() const { return Iterator(records_.begin()); }
        Iterator end() const { return Iterator(records_.end()); }

    private:
        const std::deque<const char*>& records_;
    };

    AircraftCatalogue() = default;
    // Records point into the catalogue's own text blocks.
    AircraftCatalogue(const AircraftCatalogue&) = delete;
    AircraftCatalogue& operator=(const AircraftCatalogue&) = delete;
    AircraftCatalogue(AircraftCatalogue&&) = default;
    AircraftCatalogue& operator=(AircraftCatalogue&&) = default;

    int Count() const { return static_cast<int>(records_.size()); }
    AircraftRecord operator[](int index) const { return Unpack(records_[static_cast<std::size_t>(index)]); }
    RecordRange Records() const { return RecordRange(records_); }
    // The bytes of the texts kept.
    std::size_t TextBytes() const { return textBytes_; }

    // Empties the catalogue and gives back the memory of its texts.
    void Reset();
    // A new record at the end with copies of the texts, each cut to its
    // longest (kMaxValueSize, kMaxPathSize).
    AircraftRecord Append(std::string_view title, std::string_view manufacturer, std::string_view model,
                          std::string_view variation, std::string_view thumbnailPath);

    // The first record in scan order whose manufacturer, model and variation
    // equal the three texts without regard to case (A to Z only), or -1.
    int FindRecordBySelection(std::string_view manufacturer, std::string_view model,
                              std::string_view variation) const;
    // The first record in scan order whose title equals `title` byte for byte,
    // or -1.
    int FindRecordByTitle(std::string_view title) const;

private:
    // The record whose packed texts start at `packed`.
    static AircraftRecord Unpack(const char* packed);

    // Texts are packed into blocks of this size; a record's texts (at most
    // 4 x (1 + 98) + 2 + 499 bytes) always fit in a fresh one.
    static constexpr std::size_t kBlockSize = 64 * 1024;

    std::deque<const char*> records_;  // where each record's texts start
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
