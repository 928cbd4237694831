#include "support/sim_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/fs.h"

namespace qm::test {

SimFolder::SimFolder() : root_(dir_ / "Flight Simulator") {
    MakeDirs(Aircraft());
    MakeDirs(Companion());
}

namespace {
std::string TextureFolder(const Livery& livery) {
    return livery.texture.empty() ? "texture" : "texture." + livery.texture;
}
}  // namespace

std::string SimFolder::ThumbnailPath(const std::string& folder, const Livery& livery) const {
    return Aircraft() + "/" + folder + "/" + TextureFolder(livery) + "/thumbnail.bmp";
}

void SimFolder::AddAircraft(const std::string& folder, const std::vector<Livery>& liveries) {
    std::vector<std::string> lines = {"; aircraft.cfg written by a test", "[General]",
                                      "atc_type=PLANE", "editable=1", ""};
    for (std::size_t n = 0; n < liveries.size(); ++n) {
        const Livery& livery = liveries[n];
        lines.push_back("[fltsim." + std::to_string(n) + "]");
        lines.push_back("title=" + livery.title);
        lines.push_back("sim=" + folder);
        lines.push_back("model=");
        if (livery.hasTexture) lines.push_back("texture=" + livery.texture);
        if (!livery.manufacturer.empty()) lines.push_back("ui_manufacturer=" + livery.manufacturer);
        if (!livery.model.empty()) lines.push_back("ui_type=" + livery.model);
        if (!livery.variation.empty()) lines.push_back("ui_variation=" + livery.variation);
        lines.push_back("description=A livery of " + folder);
        lines.push_back("");
        if (livery.hasTexture && livery.thumbnail)
            WriteFile(ThumbnailPath(folder, livery), SmallBmp(8, 6, static_cast<unsigned char>(n * 40), 90, 160));
    }
    WriteFile(Aircraft() + "/" + folder + "/aircraft.cfg", CrlfLines(lines));
}

void SimFolder::WriteCategories(std::string_view bytes) const { WriteFile(CategoryFile(), bytes); }

std::string SimFolder::ReadCategories() const { return ReadFile(CategoryFile()); }

CurrentDirectory::CurrentDirectory(const std::string& path) : previous_(GetCurrentDirectoryA()) {
    EXPECT_EQ(::chdir(path.c_str()), 0) << path;
}

CurrentDirectory::~CurrentDirectory() {
    if (::chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previous_;
}

std::string CrlfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace qm::test
