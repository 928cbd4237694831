// The fonts of the windows' text, loaded beside the toolkit while it builds
// the first window.
#pragma once

#include <gdk/gdk.h>

namespace qm {

// Begins to load, on a thread of its own, the fonts the first window's text
// is measured and drawn with; once, after the toolkit has started.
void StartLoadingFonts();
// Makes the fonts StartLoadingFonts began to load the ones this thread's
// text is measured and drawn with, waiting for them if need be; once, before
// the first window measures its text.
void AdoptLoadedFonts();
// Waits for the loading and lets go of what was not taken.
void StopLoadingFonts();

// The font options the toolkit gives its widgets' text on `screen`, found
// from the display's font settings by the toolkit's own rule but without its
// settings object, whose making loads the theme. The caller frees them.
cairo_font_options_t* ToolkitFontOptions(GdkScreen* screen);

}  // namespace qm
