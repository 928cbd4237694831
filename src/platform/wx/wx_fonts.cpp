#include "platform/wx/wx_fonts.h"

#include <cstddef>
#include <string>
#include <thread>
#include <utility>

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include "platform/wx/wx_units.h"

namespace qm {

namespace {

// One of the display's settings (XSETTINGS, or the Xft X resources behind
// them), or `fallback` where the display has none.
int IntSetting(GdkScreen* screen, const char* name, int fallback) {
    GValue value = G_VALUE_INIT;
    g_value_init(&value, G_TYPE_INT);
    const int result = gdk_screen_get_setting(screen, name, &value) ? g_value_get_int(&value) : fallback;
    g_value_unset(&value);
    return result;
}

std::string StringSetting(GdkScreen* screen, const char* name, const char* fallback = "") {
    GValue value = G_VALUE_INIT;
    g_value_init(&value, G_TYPE_STRING);
    std::string result = fallback;
    if (gdk_screen_get_setting(screen, name, &value) && g_value_get_string(&value) != nullptr)
        result = g_value_get_string(&value);
    g_value_unset(&value);
    return result;
}

// The value `table` pairs with `name`, or `fallback`.
template <class Value, std::size_t N>
Value Named(const std::pair<const char*, Value> (&table)[N], const std::string& name, Value fallback) {
    for (const auto& [text, value] : table)
        if (name == text) return value;
    return fallback;
}

// Loads the fonts of the windows' text on a thread of its own: the font
// configuration (its files parsed, the font caches read; fontconfig builds
// it once for the process, whichever thread asks first) and a font map
// holding the desktop's font at its own size (a widget is made in it, before
// its window's font reaches it) and at 8 points (the size of the program's
// dialogs), with the letters' shapes. The map is made at the screen's
// resolution and with the toolkit's font options, so that the toolkit finds
// in it the very fonts and shapes it asks for; with other options it would
// load them all again. The toolkit's thread takes the map as its own (Adopt)
// before its first window measures text: Pango keeps a default map for each
// thread, and this one is used by one thread at a time, the loader's until
// it has ended.
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
        // The desktop's font as the display gives it (the toolkit's settings
        // object, which would load the theme here, is made later by the
        // first window), or the toolkit's default.
        PangoFontDescription* desktop =
            pango_font_description_from_string(StringSetting(screen, "gtk-font-name", "Sans 10").c_str());
        if (pango_font_description_get_size(desktop) <= 0) pango_font_description_set_size(desktop, 10 * PANGO_SCALE);
        PangoFontDescription* dialog = pango_font_description_copy(desktop);
        pango_font_description_set_size(dialog, 8 * PANGO_SCALE);
        const double resolution = gdk_screen_get_resolution(screen);
        cairo_font_options_t* options = ToolkitFontOptions(screen);
        thread_ = std::thread([this, desktop, dialog, resolution, options] {
            FcInit();
            map_ = pango_cairo_font_map_new();
            PangoContext* context = pango_font_map_create_context(map_);
            if (resolution > 0) pango_cairo_context_set_resolution(context, resolution);
            pango_cairo_context_set_font_options(context, options);
            PangoLayout* layout = pango_layout_new(context);
            pango_layout_set_text(layout, kDialogUnitLetters, -1);
            int width = 0, height = 0;
            for (const PangoFontDescription* font : {dialog, desktop}) {
                pango_layout_set_font_description(layout, font);
                pango_layout_get_pixel_size(layout, &width, &height);
            }
            g_object_unref(layout);
            g_object_unref(context);
            cairo_font_options_destroy(options);
            pango_font_description_free(dialog);
            pango_font_description_free(desktop);
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

    // No thread, and no map not taken.
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

void StartLoadingFonts() { TheFontLoader().Start(); }

void AdoptLoadedFonts() { TheFontLoader().Adopt(); }

void StopLoadingFonts() { TheFontLoader().Stop(); }

cairo_font_options_t* ToolkitFontOptions(GdkScreen* screen) {
    // GTK's rule: metrics are always hinted; the hinting style applies only
    // where hinting is on; antialiasing is by subpixel where the display
    // names a subpixel order, gray otherwise. A setting the display lacks
    // leaves the option at its default.
    const int antialias = IntSetting(screen, "gtk-xft-antialias", -1);
    const int hinting = IntSetting(screen, "gtk-xft-hinting", -1);
    const std::string hintStyle = StringSetting(screen, "gtk-xft-hintstyle");
    const std::string rgba = StringSetting(screen, "gtk-xft-rgba");

    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);

    static constexpr std::pair<const char*, cairo_hint_style_t> kHintStyles[] = {
        {"hintnone", CAIRO_HINT_STYLE_NONE},
        {"hintslight", CAIRO_HINT_STYLE_SLIGHT},
        {"hintmedium", CAIRO_HINT_STYLE_MEDIUM},
        {"hintfull", CAIRO_HINT_STYLE_FULL}};
    static constexpr std::pair<const char*, cairo_subpixel_order_t> kSubpixelOrders[] = {
        {"rgb", CAIRO_SUBPIXEL_ORDER_RGB},
        {"bgr", CAIRO_SUBPIXEL_ORDER_BGR},
        {"vrgb", CAIRO_SUBPIXEL_ORDER_VRGB},
        {"vbgr", CAIRO_SUBPIXEL_ORDER_VBGR}};

    cairo_hint_style_t style = CAIRO_HINT_STYLE_DEFAULT;
    if (hinting == 0) style = CAIRO_HINT_STYLE_NONE;
    else if (hinting == 1) style = Named(kHintStyles, hintStyle, CAIRO_HINT_STYLE_DEFAULT);
    cairo_font_options_set_hint_style(options, style);

    const cairo_subpixel_order_t order = Named(kSubpixelOrders, rgba, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_font_options_set_subpixel_order(options, order);

    cairo_antialias_t mode = CAIRO_ANTIALIAS_DEFAULT;
    if (antialias == 0) mode = CAIRO_ANTIALIAS_NONE;
    else if (antialias == 1) mode = order != CAIRO_SUBPIXEL_ORDER_DEFAULT ? CAIRO_ANTIALIAS_SUBPIXEL : CAIRO_ANTIALIAS_GRAY;
    cairo_font_options_set_antialias(options, mode);
    return options;
}

}  // namespace qm
