// The one conversion between the program's 8-bit texts (Windows-1252 bytes)
// and the screen's Unicode. Every byte maps to one character and back, so a
// text shown and read back comes back unchanged.
#pragma once

#include <string>
#include <string_view>

#include <wx/string.h>

namespace qm {

// Bytes 0x00-0x7F and 0xA0-0xFF are the same code points; 0x80-0x9F follow
// Windows-1252, and its five unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// stand for the control characters U+0081 etc.
wxString FromCp1252(std::string_view bytes);
// The inverse; a character outside the code page becomes '?'.
std::string ToCp1252(const wxString& text);

}  // namespace qm
