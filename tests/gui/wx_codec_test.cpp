// The 8-bit code page of the screen texts: every byte shows as one character
// and comes back unchanged.
#include <string>

#include <gtest/gtest.h>

#include "gui/wx_gui_support.h"
#include "platform/wx/wx_codec.h"

namespace qm {
namespace {

TEST(WxCodec, EveryByteComesBackUnchanged) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    const wxString shown = FromCp1252(all);
    ASSERT_EQ(shown.length(), 256u);
    EXPECT_EQ(ToCp1252(shown), all);
    // Distinct bytes show as distinct characters.
    for (std::size_t i = 0; i < 256; ++i)
        for (std::size_t j = i + 1; j < 256; ++j) ASSERT_NE(shown[i], shown[j]) << i << " " << j;
}

TEST(WxCodec, BytesShowAsTheirWindows1252Characters) {
    struct Case {
        unsigned char byte;
        unsigned codePoint;
    };
    const Case cases[] = {
        {0x00, 0x0000}, {0x41, 0x0041}, {0x7F, 0x007F}, {0x80, 0x20AC}, {0x81, 0x0081}, {0x82, 0x201A},
        {0x8A, 0x0160}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x96, 0x2013}, {0x99, 0x2122},
        {0x9D, 0x009D}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const Case& c : cases) {
        const wxString shown = FromCp1252(std::string(1, static_cast<char>(c.byte)));
        ASSERT_EQ(shown.length(), 1u) << int(c.byte);
        EXPECT_EQ(static_cast<unsigned>(shown[0].GetValue()), c.codePoint) << int(c.byte);
    }
}

TEST(WxCodec, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    const wxString text = wxString::FromUTF8("a\xE4\xB8\xAD" "b\xC4\x80" "c\xF0\x9F\x98\x80" "d\xE2\x82\xAC");
    // U+0080 is no character of the code page (its byte 0x80 is the euro sign).
    wxString withC1 = text;
    withC1.Append(wxUniChar(0x80));
    EXPECT_EQ(ToCp1252(withC1), "a?b?c?d\x80?");
}

}  // namespace
}  // namespace qm
