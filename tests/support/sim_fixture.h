// A small simulator installation in a temporary folder, and the main window
// opened on it headless, as a person would start the program from the
// companion folder.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/temp_dir.h"

namespace qm::test {

// One fltsim section of an aircraft.cfg. An empty optional field is left out
// of the file.
struct Livery {
    std::string title;
    std::string manufacturer;
    std::string model;
    std::string variation;
    std::string texture;  // the "texture" value; see hasTexture
    bool hasTexture = true;
    bool thumbnail = true;  // write texture<.x>/thumbnail.bmp
};

class SimFolder {
public:
    SimFolder();

    const std::string& Root() const { return root_; }
    std::string Aircraft() const { return root_ + "/Aircraft"; }
    std::string Companion() const { return root_ + "/Trevolan/Brindlecotharbor"; }
    std::string CategoryFile() const { return Companion() + "/Quillmarsh.cfg"; }

    // Writes Aircraft/<folder>/aircraft.cfg with one [fltsim.N] section a
    // livery (CRLF, a [General] section and comments as real files have), and
    // the thumbnails of the liveries that have one.
    void AddAircraft(const std::string& folder, const std::vector<Livery>& liveries);
    // The thumbnail path the scan finds for a livery of `folder`.
    std::string ThumbnailPath(const std::string& folder, const Livery& livery) const;
    // Writes the category file's bytes as given.
    void WriteCategories(std::string_view bytes) const;
    std::string ReadCategories() const;

private:
    TempDir dir_;
    std::string root_;
};

// Changes the current directory for the life of the object.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& path);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::string previous_;
};

// Joins lines with CRLF, each line ended: the shape of a category file.
std::string CrlfLines(const std::vector<std::string>& lines);

}  // namespace qm::test
