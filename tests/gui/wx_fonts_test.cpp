// The fonts loaded beside the toolkit are made with the font options the
// toolkit's widgets draw their text with, at the default display settings
// and at others (the Xft X resources a desktop sets): with other options the
// toolkit would find none of them and load every font and letter again.
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <pango/pangocairo.h>
#include <wx/dialog.h>
#include <wx/stattext.h>

#include "gui/child_process.h"
#include "gui/wx_gui_support.h"
#include "platform/wx/wx_fonts.h"
#include "support/temp_dir.h"

namespace qm::test {
namespace {

// Set in a run on a display of its own: the name of its X resources.
constexpr const char* kResourcesVariable = "QM_TEST_FONT_RESOURCES";

std::string Describe(const cairo_font_options_t* options) {
    return "antialias " + std::to_string(cairo_font_options_get_antialias(options)) + ", subpixel order " +
           std::to_string(cairo_font_options_get_subpixel_order(options)) + ", hint style " +
           std::to_string(cairo_font_options_get_hint_style(options)) + ", hint metrics " +
           std::to_string(cairo_font_options_get_hint_metrics(options));
}

TEST(ToolkitFontOptions, AreTheOptionsALabelsTextIsMeasuredWith) {
    cairo_font_options_t* loaded = ToolkitFontOptions(gdk_screen_get_default());
    wxDialog window(nullptr, wxID_ANY, "fonts");
    auto* label = new wxStaticText(&window, wxID_ANY, "Manufacturer");
    const cairo_font_options_t* used =
        pango_cairo_context_get_font_options(gtk_widget_get_pango_context(label->GetHandle()));
    ASSERT_NE(used, nullptr);
    EXPECT_TRUE(cairo_font_options_equal(loaded, used))
        << "loaded with " << Describe(loaded) << "; the label's text: " << Describe(used) << " (resources: "
        << (std::getenv(kResourcesVariable) != nullptr ? std::getenv(kResourcesVariable) : "none") << ")";
    cairo_font_options_destroy(loaded);
}

struct FontResources {
    const char* name;
    const char* resources;  // the Xft X resources of the display
};

class ToolkitFontOptionsAtResources : public ::testing::TestWithParam<FontResources> {};

TEST_P(ToolkitFontOptionsAtResources, MatchOnADisplayOfItsOwn) {
    if (std::getenv(kResourcesVariable) != nullptr) GTEST_SKIP() << "already a run on a display of its own";
    const FontResources& setting = GetParam();
    const OwnDisplay own("1280x1024x24");
    const std::string display = own.Name();
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    TempDir scratch;
    const std::optional<std::string> failure = own.MergeResources(setting.resources, scratch.Path());
    ASSERT_FALSE(failure) << *failure;

    const std::string output = scratch / "output.txt";
    ChildProcess run({"/proc/self/exe", "--gtest_filter=ToolkitFontOptions.*"},
                     EnvironmentWith({"DISPLAY=", "GTEST_"},
                                     {"DISPLAY=" + display, std::string(kResourcesVariable) + "=" + setting.name}),
                     "", output, true);
    const std::optional<int> status = run.WaitForExit(std::chrono::seconds(60));
    const std::string printed = ReadFile(output);
    ASSERT_TRUE(status) << "the run with " << setting.name << " hung:\n" << printed;
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "with " << setting.name << ":\n" << printed;
    EXPECT_NE(printed.find("[  PASSED  ] 1 test"), std::string::npos) << printed;
}

INSTANTIATE_TEST_SUITE_P(
    Resources, ToolkitFontOptionsAtResources,
    ::testing::Values(FontResources{"full hinting, subpixel rgb", "Xft.antialias: 1\nXft.hinting: 1\nXft.hintstyle: "
                                                                  "hintfull\nXft.rgba: rgb\n"},
                      FontResources{"slight hinting, gray", "Xft.antialias: 1\nXft.hinting: 1\nXft.hintstyle: "
                                                            "hintslight\nXft.rgba: none\n"},
                      FontResources{"no hinting, vbgr", "Xft.hinting: 0\nXft.rgba: vbgr\n"},
                      FontResources{"no antialiasing", "Xft.antialias: 0\nXft.hintstyle: hintmedium\n"},
                      FontResources{"144 dpi", "Xft.dpi: 144\n"}),
    [](const auto& param) { return TestNameFrom(param.param.name); });

}  // namespace
}  // namespace qm::test
