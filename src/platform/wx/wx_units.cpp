#include "platform/wx/wx_units.h"

#include <algorithm>
#include <cmath>

#include <wx/dcscreen.h>

namespace qm {
namespace {
constexpr int kBaseX = 6;   // pixels a base unit across at 96 dpi (4 dialog units)
constexpr int kBaseY = 13;  // pixels a base unit down at 96 dpi (8 dialog units)
}  // namespace

DialogUnits DialogUnits::ForScreen() {
    const wxScreenDC screen;
    const int ppi = screen.GetPPI().y;
    // Below 96 dpi the toolkit's fonts do not shrink; keep at least 1:1.
    return DialogUnits(ppi > 0 ? std::max(1.0, ppi / 96.0) : 1.0);
}

int DialogUnits::X(int units) const { return static_cast<int>(std::lround(units * kBaseX * scale_ / 4.0)); }

int DialogUnits::Y(int units) const { return static_cast<int>(std::lround(units * kBaseY * scale_ / 8.0)); }

}  // namespace qm
