// The fixture of the category editing tests: a small simulator folder with
// four aircraft liveries, a category file written by each test, and the main
// window opened on it headless, driven as a person would.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile.h"
#include "support/fresh_store.h"
#include "ui/main_window.h"

namespace qm {
// How gtest shows a box in a failure.
inline void PrintTo(const ScriptedHost::Box& box, std::ostream* out) {
    *out << "{" << ::testing::PrintToString(box.text) << ", " << ::testing::PrintToString(box.caption)
         << ", type 0x" << std::hex << box.type << std::dec << ", answer " << box.answer << "}";
}
}  // namespace qm

namespace qm::test {

// A livery and the aircraft folder it lies in.
struct Plane {
    std::string folder;
    Livery livery;
};

// Cessna / 172 Skyhawk / Red, with a thumbnail.
inline const Plane kRed{"C172", {"Cessna Skyhawk Red", "Cessna", "172 Skyhawk", "Red", "red"}};
// Cessna / 172 Skyhawk / Blue, without a thumbnail (its texture folder has none).
inline const Plane kBlue{"C172", {"Cessna Skyhawk Blue", "Cessna", "172 Skyhawk", "Blue", "blue", true, false}};
// de Havilland / DHC-2 / Floats, with a thumbnail in "texture".
inline const Plane kFloats{"Beaver", {"DHC-2 Beaver Floats", "de Havilland", "DHC-2", "Floats", ""}};
// A section without "ui_type": its manufacturer is listed, but it gives no
// record, so picking "Mystery" selects no aircraft at all.
inline const Plane kMystery{"Odd", {"Mystery Plane", "Mystery", "", "X", "m"}};

// The three keys of entry n as a category file holds them.
inline std::vector<std::string> EntryLines(int n, std::string_view title, std::string_view thumbnail,
                                           std::string_view displayName) {
    const std::string k = "aircraft" + std::to_string(n);
    return {k + ".title=" + std::string(title), k + ".thumbnail=" + std::string(thumbnail),
            k + ".displayName=" + std::string(displayName)};
}

// Joins groups of lines into one list.
inline std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> groups) {
    std::vector<std::string> all;
    for (const auto& group : groups) all.insert(all.end(), group.begin(), group.end());
    return all;
}

// The box that refuses an action: caption "Error", information icon, OK.
inline ScriptedHost::Box Refusal(std::string_view text) {
    return {std::string(text), "Error", MB_ICONINFORMATION, IDOK};
}

class EditingTest : public FreshStoreTest {
protected:
    EditingTest() {
        sim_.AddAircraft("C172", {kRed.livery, kBlue.livery});
        sim_.AddAircraft("Beaver", {kFloats.livery});
        sim_.AddAircraft("Odd", {kMystery.livery});
    }

    // Writes the category file (CRLF lines) and opens the window on the folder.
    void Open(const std::vector<std::string>& categoryLines) {
        sim_.WriteCategories(CrlfLines(categoryLines));
        OpenWindow();
    }
    // Opens the window with whatever the companion folder holds.
    void OpenWindow() {
        window_.emplace(sim_);
        ASSERT_EQ(Dlg().Catalogue().Count(), 3) << "the fixture's three complete liveries";
    }

    CQuillmarshDlg& Dlg() { return window_->dialog; }
    ScriptedHost& Host() { return window_->host; }

    // The thumbnail path the scan found for a livery (empty without one).
    std::string Thumb(const Plane& plane) {
        const int record = Dlg().Catalogue().FindRecordByTitle(plane.livery.title);
        EXPECT_GE(record, 0) << plane.livery.title;
        return record < 0 ? std::string() : std::string(Dlg().Catalogue()[record].thumbnailPath);
    }

    // `lines` with "{thumb}" replaced by the thumbnail path of `plane`.
    std::vector<std::string> WithThumb(std::vector<std::string> lines, const Plane& plane) {
        for (std::string& line : lines)
            if (const auto at = line.find("{thumb}"); at != std::string::npos) line.replace(at, 7, Thumb(plane));
        return lines;
    }

    // Picks the livery's manufacturer, model and variation as a person would.
    void SelectAircraft(const Plane& plane) {
        ASSERT_TRUE(PickText(Dlg(), IDC_MANUFACTURER, plane.livery.manufacturer));
        ASSERT_TRUE(PickText(Dlg(), IDC_MODEL, plane.livery.model));
        ASSERT_TRUE(PickText(Dlg(), IDC_VARIATION, plane.livery.variation));
    }
    void SelectManufacturer(std::string_view manufacturer) {
        ASSERT_TRUE(PickText(Dlg(), IDC_MANUFACTURER, manufacturer));
    }
    void SelectCategory(std::string_view name) { ASSERT_TRUE(PickText(Dlg(), IDC_CATEGORY, name)); }
    void SelectLine(std::string_view text) { ASSERT_TRUE(PickText(Dlg(), IDC_ENTRY_LIST, text)); }
    void SelectLineAt(int index) {
        ASSERT_LT(index, Dlg().EntryList().GetCount());
        PickItem(Dlg(), IDC_ENTRY_LIST, index);
    }
    void TypeName(std::string_view text) { TypeText(Dlg(), IDC_DISPLAY_NAME, text); }
    void Click(int id) { ClickButton(Dlg(), id); }

    std::string File() const { return sim_.ReadCategories(); }
    Items Lines() { return Dlg().EntryList().Items(); }
    int SelectedLine() { return Dlg().EntryList().GetCurSel(); }
    Items Categories() { return Dlg().CategoryList().Items(); }
    std::string SelectedCategory() { return Dlg().CategoryList().GetSelectedText(); }
    std::string DisplayName() { return Dlg().DisplayNameBox().Text(); }
    const BitmapHandle& Picture() { return Dlg().Thumbnail().GetBitmap(); }
    const std::vector<ScriptedHost::Box>& Boxes() { return Host().Boxes(); }

    SimFolder sim_;
    std::optional<MainWindow> window_;
};

}  // namespace qm::test
