// Dialog units, measured from the font a dialog is drawn in. A template
// gives its geometry in these units: a horizontal unit is a quarter of the
// font's average letter width and a vertical unit an eighth of its height,
// so a window and its controls grow with their font and every text keeps the
// room its template gave it, whatever the desktop's font scale.
//
// Pixels are the toolkit's logical pixels: GTK applies its own scale factor
// (GDK_SCALE) to them once, when it draws.
#pragma once

#include <wx/font.h>

class wxWindow;

namespace qm {

// The letters whose average width is a font's horizontal unit.
inline constexpr char kDialogUnitLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

class DialogUnits {
public:
    // `baseX`: the font's average letter width; `baseY`: its height; both in
    // logical pixels and at least 1.
    DialogUnits(int baseX, int baseY);
    // The units of the font `window` draws its text in.
    static DialogUnits Of(const wxWindow& window);

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }
    int X(int units) const;  // horizontal units to pixels, rounded to the nearest
    int Y(int units) const;  // vertical units to pixels, rounded to the nearest

private:
    int baseX_;
    int baseY_;
};

// The font of a dialog whose template asks for `pointSize` points (8 when it
// names none): the desktop's own user-interface family at that size, as the
// platform draws a dialog in its template's font rather than at the desktop's
// default size (which would make a unit about a third larger).
wxFont DialogFont(int pointSize);

}  // namespace qm
