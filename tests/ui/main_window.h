// The main window opened headless on a fixture simulator folder, started from
// its companion folder, with a scripted host answering the boxes.
#pragma once

#include <string>
#include <vector>

#include "support/scripted_host.h"
#include "support/sim_fixture.h"
#include "ui/quillmarsh_dlg.h"
#include "ui/resource.h"

namespace qm::test {

struct MainWindow {
    explicit MainWindow(const SimFolder& sim) : cwd(sim.Companion()) { host.Open(dialog); }
    ~MainWindow() { host.Close(dialog); }

    std::vector<std::string> Items(const SortedItemList& list) const { return list.Items(); }
    std::string Selected(const SortedItemList& list) const { return list.GetSelectedText(); }

    ScriptedHost host;
    CurrentDirectory cwd;
    CQuillmarshDlg dialog;
};

using Items = std::vector<std::string>;

// A bitmap that is the program's no-thumbnail picture (300 x 224).
inline bool IsNoThumbnailPicture(const BitmapHandle& bitmap) {
    return bitmap != nullptr && bitmap->width == 300 && bitmap->height == 224;
}

}  // namespace qm::test
