#include "platform/wx/wx_app.h"

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <gtk/gtk.h>
#include <pango/pangocairo.h>

#include <wx/app.h>
#include <wx/init.h>

#include "platform/dialog.h"
#include "platform/wx/wx_host.h"
#include "platform/wx/wx_units.h"

namespace qm {

namespace {

// The toolkit needs an application object; the program's windows run their
// own modal loops, so it has nothing to do itself.
class QuillmarshWxApp final : public wxApp {
public:
    // Arguments are not parsed: the program has no options.
    bool OnInit() override { return true; }
};

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

// Loads the fonts of the windows' text on a thread of its own: the font
// configuration (its files parsed, the font caches read; fontconfig builds
// it once for the process, whichever thread asks first) and a font map, at
// the screen's resolution and font options, holding the desktop's family at
// 8 points (the size of the program's dialogs). The toolkit's thread takes
// the map as its own (Adopt) before its first window measures text: Pango
// keeps a default map for each thread, and this one is used by one thread
// at a time, the loader's until it has ended.
class FontLoader {
public:
    ~FontLoader() { Wait(); }

    // After the toolkit's start, which sets the locale the parse reads and
    // the screen's settings.
    void Start() {
        if (started_) return;
        started_ = true;
        GdkScreen* screen = gdk_screen_get_default();
        if (screen == nullptr) return;
        // The desktop's font as the display gives it (GTK's own settings,
        // which would load the theme here, are read later by the first
        // window); GTK's default without one.
        GValue name = G_VALUE_INIT;
        g_value_init(&name, G_TYPE_STRING);
        const char* family = "Sans";
        if (gdk_screen_get_setting(screen, "gtk-font-name", &name) && g_value_get_string(&name) != nullptr)
            family = g_value_get_string(&name);
        PangoFontDescription* font = pango_font_description_from_string(family);
        g_value_unset(&name);
        pango_font_description_set_size(font, 8 * PANGO_SCALE);
        const double resolution = gdk_screen_get_resolution(screen);
        const cairo_font_options_t* screenOptions = gdk_screen_get_font_options(screen);
        cairo_font_options_t* options =
            screenOptions != nullptr ? cairo_font_options_copy(screenOptions) : cairo_font_options_create();
        thread_ = std::thread([this, font, resolution, options] {
            FcInit();
            map_ = pango_cairo_font_map_new();
            PangoContext* context = pango_font_map_create_context(map_);
            if (resolution > 0) pango_cairo_context_set_resolution(context, resolution);
            pango_cairo_context_set_font_options(context, options);
            PangoLayout* layout = pango_layout_new(context);
            pango_layout_set_font_description(layout, font);
            pango_layout_set_text(layout, kDialogUnitLetters, -1);
            int width = 0, height = 0;
            pango_layout_get_pixel_size(layout, &width, &height);
            g_object_unref(layout);
            g_object_unref(context);
            cairo_font_options_destroy(options);
            pango_font_description_free(font);
        });
    }

    // Makes the map loaded this thread's default, once; waits for it if
    // need be.
    void Adopt() {
        Wait();
        if (map_ == nullptr) return;
        pango_cairo_font_map_set_default(PANGO_CAIRO_FONT_MAP(map_));
        g_object_unref(map_);
        map_ = nullptr;
    }

    void Wait() {
        if (thread_.joinable()) thread_.join();
    }

    // What StopWx leaves: no thread, and no map not taken.
    void Stop() {
        Wait();
        if (map_ != nullptr) g_object_unref(map_);
        map_ = nullptr;
    }

private:
    std::thread thread_;
    bool started_ = false;
    PangoFontMap* map_ = nullptr;  // made by the thread, taken by Adopt
};

FontLoader& TheFontLoader() {
    static FontLoader loader;
    return loader;
}

}  // namespace

bool StartWx(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fputs(
            "Quillmarsh needs a graphical display: DISPLAY is not set. Start it from a desktop session "
            "(or under xvfb-run).\n",
            stderr);
        return false;
    }
    // The toolkit may take its own options out of the arguments.
    static std::vector<char*> arguments;
    arguments.assign(argv, argv + argc);
    arguments.push_back(nullptr);
    int count = argc;
    wxApp::SetInstance(new QuillmarshWxApp);
    if (!wxEntryStart(count, arguments.data())) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "Quillmarsh could not open the graphical display \"%s\".\n",
                     display != nullptr ? display : "");
        return false;
    }
    if (!wxTheApp->CallOnInit()) {
        wxEntryCleanup();
        return false;
    }
    // The fonts are otherwise loaded as the first window measures its text:
    // some 15 ms on this thread once that window is built, which takes
    // longer than the loading does beside it.
    TheFontLoader().Start();
    return true;
}

void AdoptLoadedFonts() { TheFontLoader().Adopt(); }

void StopWx() {
    TheFontLoader().Stop();
    if (wxTheApp != nullptr) wxTheApp->OnExit();
    wxEntryCleanup();
}

int RunWxApplication(int argc, char** argv, std::function<int()> entry) {
    if (!StartWx(argc, argv)) return 1;
    int status = 0;
    {
        WxHost host;
        SetHost(&host);
        status = entry();
        SetHost(nullptr);
    }
    StopWx();
    return status;
}

}  // namespace qm
