// Dialog units as the platform measures them for a template's 8-point
// "MS Shell Dlg" font: its base units are 6 x 13 pixels at 96 dots per inch,
// so a horizontal unit is 6/4 = 1.5 pixels and a vertical one 13/8 = 1.625
// pixels. The toolkit's own dialog units follow its (larger) default font and
// would make the windows a third larger, so they are not used.
#pragma once

namespace qm {

class DialogUnits {
public:
    // `scale`: the screen's resolution over 96 dots per inch.
    explicit DialogUnits(double scale = 1.0) : scale_(scale) {}
    // The units of the screen the windows open on.
    static DialogUnits ForScreen();

    double Scale() const { return scale_; }
    int X(int units) const;  // horizontal units to pixels
    int Y(int units) const;  // vertical units to pixels

private:
    double scale_;
};

}  // namespace qm
