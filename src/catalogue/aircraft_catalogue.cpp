#include "catalogue/aircraft_catalogue.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace qm {

namespace {

// `folder` and one more name, one separator between them, as a path join
// gives it: none after an empty folder or one that ends in a separator.
// Entry names and "aircraft.cfg" hold no separator, so nothing more of a join
// applies.
std::string Join(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (!path.empty() && path.back() != '/') path.push_back('/');
    path.append(name);
    return path;
}

constexpr std::string_view kConfigName = "aircraft.cfg";
constexpr std::string_view kThumbnailName = "thumbnail.bmp";

// The thumbnail of a section whose "texture" value is `texture`: the file
// "<entryFolder>/texture[.<value>]/thumbnail.bmp" as found on disk, whatever
// the case of its names. Empty when it does not open, or when its path does
// not fit the record (a cut path would name another file; finding names in
// another case keeps the length).
std::string FindThumbnail(std::string_view entryFolder, std::string_view texture, const ReadableFiles& files) {
    std::string textureFolder = "texture";
    if (!texture.empty()) textureFolder.append(".").append(texture);
    // The folder name starts with "texture", never with a separator, so the
    // path is two joins.
    std::string path = Join(Join(entryFolder, textureFolder), kThumbnailName);
    if (path.size() > AircraftCatalogue::kMaxPathSize) return {};
    // The spelling of the file is nearly always the one opened; only when it
    // does not open are the names looked for in another case.
    if (files.Opens(path)) return path;
    std::string found = ResolvePathNoCase(path);
    if (found == path || !files.Opens(found)) return {};
    return found;
}

void AddManufacturer(std::string_view manufacturer, CComboBox& manufacturers) {
    if (manufacturers.FindStringExact(0, manufacturer) == -1) manufacturers.AddString(manufacturer);
}

// Appends the records of the aircraft.cfg of the entry `entryName` of
// `aircraftFolder`; thumbnails are looked for below the entry's folder.
void ReadRecords(const std::string& aircraftFolder, std::string_view entryName, const ReadableFiles& files,
                 AircraftCatalogue& catalogue, CComboBox& manufacturers) {
    // An entry name is one component of a directory listing ("." and ".."
    // included).
    const std::string entryFolder = Join(aircraftFolder, entryName);
    const std::string cfgPath = Join(entryFolder, kConfigName);
    // The store finds the file whatever the case of its name, and reads a
    // missing one (or a folder of that name) as a file without sections, so
    // an entry without an aircraft.cfg yields nothing without a test of its own.
    for (int n = 0;; ++n) {
        const std::string section = NumberedKey("fltsim.", n, "");
        // Every key is read with kShortTextSize: at most 98 characters of a
        // value reach a record.
        const auto read = [&](std::string_view key) {
            return ReadProfileValue(section, key, kShortTextSize, cfgPath);
        };
        std::optional<std::string> title = read("title");
        if (!title) return;  // the first section without a title ends the file

        std::optional<std::string> manufacturer = read("ui_manufacturer");
        if (!manufacturer) continue;
        // Listed before the model and variation are read: a section skipped
        // for lack of them still lists its manufacturer.
        AddManufacturer(*manufacturer, manufacturers);

        std::optional<std::string> model = read("ui_type");
        if (!model) continue;
        std::optional<std::string> variation = read("ui_variation");
        if (!variation) continue;

        std::string thumbnail;
        if (std::optional<std::string> texture = read("texture"))
            thumbnail = FindThumbnail(entryFolder, *texture, files);

        catalogue.Append(*title, *manufacturer, *model, *variation, thumbnail);
    }
}

}  // namespace

void AircraftCatalogue::Reset() {
    records_.clear();
    blocks_.clear();
    blockUsed_ = kBlockSize;
    textBytes_ = 0;
}

// Packed: the four values, each after a byte that holds its length, then the
// path after two bytes (low byte first).
AircraftRecord AircraftCatalogue::Unpack(const char* packed) {
    const auto* p = reinterpret_cast<const unsigned char*>(packed);
    const auto text = [&p](std::size_t size) {
        const std::string_view view(reinterpret_cast<const char*>(p), size);
        p += size;
        return view;
    };
    AircraftRecord record;
    for (std::string_view* value : {&record.title, &record.manufacturer, &record.model, &record.variation}) {
        const std::size_t size = *p++;
        *value = text(size);
    }
    const std::size_t size = p[0] | static_cast<std::size_t>(p[1]) << 8;
    p += 2;
    record.thumbnailPath = text(size);
    return record;
}

AircraftRecord AircraftCatalogue::Append(std::string_view title, std::string_view manufacturer,
                                         std::string_view model, std::string_view variation,
                                         std::string_view thumbnailPath) {
    const std::string_view values[] = {title.substr(0, kMaxValueSize), manufacturer.substr(0, kMaxValueSize),
                                       model.substr(0, kMaxValueSize), variation.substr(0, kMaxValueSize)};
    const std::string_view path = thumbnailPath.substr(0, kMaxPathSize);
    std::size_t size = 4 + 2 + path.size();
    for (const std::string_view value : values) size += value.size();
    if (kBlockSize - blockUsed_ < size) {
        // A fresh block; its pages are touched only as texts fill them.
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
        blockUsed_ = 0;
    }
    char* const start = blocks_.back().get() + blockUsed_;
    char* at = start;
    const auto copy = [&at](std::string_view text) {
        if (!text.empty()) std::memcpy(at, text.data(), text.size());
        at += text.size();
    };
    for (const std::string_view value : values) {
        *at++ = static_cast<char>(value.size());
        copy(value);
    }
    *at++ = static_cast<char>(path.size() & 0xFF);
    *at++ = static_cast<char>(path.size() >> 8);
    copy(path);
    blockUsed_ += size;
    textBytes_ += size - 6;
    records_.push_back(start);
    return Unpack(start);
}

int AircraftCatalogue::FindRecordBySelection(std::string_view manufacturer, std::string_view model,
                                             std::string_view variation) const {
    for (int i = 0; i < Count(); ++i) {
        const AircraftRecord& record = (*this)[i];
        if (EqualsNoCase(record.manufacturer, manufacturer) && EqualsNoCase(record.model, model) &&
            EqualsNoCase(record.variation, variation))
            return i;
    }
    return -1;
}

int AircraftCatalogue::FindRecordByTitle(std::string_view title) const {
    for (int i = 0; i < Count(); ++i)
        if ((*this)[i].title == title) return i;
    return -1;
}

// Formatted as the plain text "<root>/Aircraft", not joined: a root ending in
// a separator keeps it ("/FS9//Aircraft", where a std::filesystem join gives
// "/FS9/Aircraft"), and an empty root gives "/Aircraft" (a join: "Aircraft").
std::string AircraftFolderOf(std::string_view simulatorRoot) {
    std::string folder(simulatorRoot);
    folder.append("/Aircraft");
    return folder;
}

void ReadAircraftCfg(const std::string& aircraftFolder, std::string_view entryName, AircraftCatalogue& catalogue,
                     CComboBox& manufacturers) {
    ReadRecords(aircraftFolder, entryName, ReadableFiles(), catalogue, manufacturers);
}

void ScanAircraftFolder(const std::string& aircraftFolder, AircraftCatalogue& catalogue,
                        CComboBox& manufacturers) {
    catalogue.Reset();
    // The folder as found on disk ("AIRCRAFT" serves for "Aircraft"), so every
    // path built below it, the stored thumbnail paths included, names what is
    // really there.
    const std::string folder = ResolvePathNoCase(aircraftFolder);
    const std::optional<std::vector<DirEntry>> entries = ListDirectory(folder);
    if (!entries) return;

    // One action for the whole scan: the store parses each aircraft.cfg once.
    ProfileAction action;
    const ReadableFiles files;
    for (const DirEntry& entry : *entries) {
        if (!entry.isDirectory) continue;
        // "." reads the aircraft folder's own aircraft.cfg, ".." the one in the
        // simulator root; both stand as the entry name in the paths built.
        ReadRecords(folder, entry.name, files, catalogue, manufacturers);
    }
}

}  // namespace qm
