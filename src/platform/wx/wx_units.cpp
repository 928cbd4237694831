#include "platform/wx/wx_units.h"

#include <algorithm>

#include <wx/settings.h>
#include <wx/window.h>

namespace qm {
namespace {

// units * base / divisor, rounded half away from zero, as dialog units are
// mapped on the platform.
int Scale(int units, int base, int divisor) {
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : -((-product + half) / divisor));
}

}  // namespace

DialogUnits::DialogUnits(int baseX, int baseY) : baseX_(std::max(1, baseX)), baseY_(std::max(1, baseY)) {}

DialogUnits DialogUnits::Of(const wxWindow& window) {
    // The average width of the 52 letters, rounded to the nearest pixel; the
    // height of a line of them.
    const wxSize letters = window.GetTextExtent(kDialogUnitLetters);
    return DialogUnits((letters.x / 26 + 1) / 2, letters.y);
}

int DialogUnits::X(int units) const { return Scale(units, baseX_, 4); }

int DialogUnits::Y(int units) const { return Scale(units, baseY_, 8); }

wxFont DialogFont(int pointSize) {
    wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    font.SetPointSize(pointSize > 0 ? pointSize : 8);
    return font;
}

}  // namespace qm
