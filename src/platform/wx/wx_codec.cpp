#include "platform/wx/wx_codec.h"

#include "platform/cp1252.h"

namespace qm {

wxString FromCp1252(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char byte : bytes)
        text.push_back(static_cast<wchar_t>(CodePointOf1252(static_cast<unsigned char>(byte))));
    return wxString(text.data(), text.size());
}

std::string ToCp1252(const wxString& text) {
    std::string bytes;
    bytes.reserve(text.length());
    for (const wxUniChar c : text) bytes.push_back(ByteOf1252(static_cast<char32_t>(c.GetValue())));
    return bytes;
}

}  // namespace qm
