#include "catalogue/aircraft_catalogue.h"

#include <optional>

#include "platform/fs.h"
#include "platform/profile.h"

namespace qm {

namespace {

// Every key of an aircraft.cfg is read into a buffer of this size, so at most
// 98 characters of a value reach a record.
constexpr std::size_t kValueBufferSize = 99;

constexpr std::string_view kConfigName = "aircraft.cfg";
constexpr std::string_view kThumbnailName = "thumbnail.bmp";

// The value of `key` in `section`, or nullopt when the key is missing (the
// read returned the marker, which a stored "<UNDEFINED>" also does).
std::optional<std::string> ReadValue(const std::string& section, std::string_view key,
                                     const std::string& cfgPath) {
    std::string value = GetPrivateProfileStringA(section, key, UndefinedMarker, kValueBufferSize, cfgPath);
    if (value == UndefinedMarker) return std::nullopt;
    return value;
}

// The thumbnail of a section whose "texture" value is `texture`: the file
// "<entryFolder>/texture[.<value>]/thumbnail.bmp" as found on disk, whatever
// the case of its names. Empty when it does not open, or when its path does
// not fit the record (a cut path would name another file; finding names in
// another case keeps the length).
std::string FindThumbnail(const std::string& entryFolder, std::string_view texture) {
    std::string path;
    path.reserve(entryFolder.size() + texture.size() + 24);
    path.append(entryFolder).append("/texture");
    if (!texture.empty()) path.append(".").append(texture);
    path.append("/").append(kThumbnailName);
    if (path.size() > decltype(AircraftRecord::thumbnailPath)::Capacity()) return {};
    // The spelling of the file is nearly always the one opened; only when it
    // does not open are the names looked for in another case.
    if (FileOpensForReading(path)) return path;
    std::string found = ResolvePathNoCase(path);
    if (found == path || !FileOpensForReading(found)) return {};
    return found;
}

void AddManufacturer(std::string_view manufacturer, CComboBox& manufacturers) {
    if (manufacturers.FindStringExact(0, manufacturer) == -1) manufacturers.AddString(manufacturer);
}

// Appends the records of the aircraft.cfg at `cfgPath`, which lies in
// `entryFolder` ("<aircraft folder>/<entry name>"; thumbnails are looked for
// below it).
void ReadRecords(const std::string& cfgPath, const std::string& entryFolder, AircraftCatalogue& catalogue,
                 CComboBox& manufacturers) {
    for (int n = 0;; ++n) {
        const std::string section = NumberedKey("fltsim.", n, "");
        std::optional<std::string> title = ReadValue(section, "title", cfgPath);
        if (!title) return;  // the first section without a title ends the file

        std::optional<std::string> manufacturer = ReadValue(section, "ui_manufacturer", cfgPath);
        if (!manufacturer) continue;
        // Listed before the model and variation are read: a section skipped
        // for lack of them still lists its manufacturer.
        AddManufacturer(*manufacturer, manufacturers);

        std::optional<std::string> model = ReadValue(section, "ui_type", cfgPath);
        if (!model) continue;
        std::optional<std::string> variation = ReadValue(section, "ui_variation", cfgPath);
        if (!variation) continue;

        std::string thumbnail;
        if (std::optional<std::string> texture = ReadValue(section, "texture", cfgPath))
            thumbnail = FindThumbnail(entryFolder, *texture);

        AircraftRecord& record = catalogue.Append();
        record.title = *title;
        record.manufacturer = *manufacturer;
        record.model = *model;
        record.variation = *variation;
        record.thumbnailPath = thumbnail;
    }
}

std::string EntryFolder(const std::string& aircraftFolder, std::string_view entryName) {
    std::string folder;
    folder.reserve(aircraftFolder.size() + 1 + entryName.size());
    folder.append(aircraftFolder).append("/").append(entryName);
    return folder;
}

}  // namespace

AircraftCatalogue::AircraftCatalogue() { records_.reserve(kInitialCapacity); }

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
        if ((*this)[i].title.View() == title) return i;
    return -1;
}

std::string AircraftFolderOf(std::string_view simulatorRoot) {
    std::string folder(simulatorRoot);
    folder.append("/Aircraft");
    return folder;
}

void ReadAircraftCfg(const std::string& aircraftFolder, std::string_view entryName, AircraftCatalogue& catalogue,
                     CComboBox& manufacturers) {
    const std::string entryFolder = EntryFolder(aircraftFolder, entryName);
    // The store finds the file whatever the case of its name, and reads a
    // missing one (or a folder of that name) as a file without sections, so
    // an entry without an aircraft.cfg yields nothing without a test of its own.
    std::string cfgPath;
    cfgPath.reserve(entryFolder.size() + 1 + kConfigName.size());
    cfgPath.append(entryFolder).append("/").append(kConfigName);
    ReadRecords(cfgPath, entryFolder, catalogue, manufacturers);
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
    for (const DirEntry& entry : *entries) {
        if (!entry.isDirectory) continue;
        // "." reads the aircraft folder's own aircraft.cfg, ".." the one in the
        // simulator root; both stand as the entry name in the paths built.
        ReadAircraftCfg(folder, entry.name, catalogue, manufacturers);
    }
}

}  // namespace qm
