// Reading private-profile files as the platform reads them: names, values,
// comments, duplicates, line ends, encodings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/profile.h"
#include "profile_test_util.h"

namespace qm::test {
namespace {

struct ReadCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::string expected;  // UndefinedMarker when missing
    std::size_t size = 999;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

const std::string Missing(UndefinedMarker);

std::vector<ReadCase> ReadCases() {
    return {
        // Names
        {"SectionAndKeyIgnoreCase", "[FltSim.0]\r\nTitle=Cessna 172\r\n", "fltsim.0", "TITLE", "Cessna 172"},
        {"Only_A_to_Z_Fold", "[\xC4rger]\r\nk=1\r\n", "\xE4rger", "k", Missing},
        {"EightBitNameMatchesItself", "[\xC4rger]\r\nK\xE9=1\r\n", "\xC4RGER", "k\xE9", "1"},
        // The bytes next to A-Z and a-z ('@' '[' '\\' ']' '^' against '`' '{' '|' '}' '~') do not fold;
        // long names are compared eight bytes at a time.
        {"BytesAfterZDoNotFold", "[s]\r\nkey[[[[\\]^=1\r\n", "s", "key{{{{|}~", Missing},
        {"ByteBeforeADoesNotFold", "[s]\r\n@key@key@=1\r\n", "s", "`key`key`", Missing},
        {"LongNamesFold", "[Airliners and Cargo]\r\nAIRCRAFT1234.DISPLAYNAME=x\r\n", "airliners AND cargo",
         "aircraft1234.displayName", "x"},
        {"LongNamesDifferInLastByte", "[s]\r\naircraft1234.displayNamf=x\r\n", "s", "aircraft1234.displayName",
         Missing},
        {"EightBitKeyDoesNotFold", "[s]\r\nk\xE9=1\r\n", "s", "K\xC9", Missing},
        {"NamesTrimmedInFile", "[  fltsim.0\t]\r\n  ui_type \t=  Boeing 747  \r\n", "fltsim.0", "ui_type",
         "Boeing 747"},
        {"NamesTrimmedInCall", "[fltsim.0]\r\nui_type=747\r\n", " fltsim.0\t", "\tui_type ", "747"},
        {"IndentedHeader", "  \t[s]\r\nk=1\r\n", "s", "k", "1"},
        {"LastBracketClosesHeader", "[a]b]\r\nk=1\r\n", "a]b", "k", "1"},
        {"HeaderWithoutBracketIsNoHeader", "[x]\r\n[abc\r\nk=1\r\n", "x", "k", "1"},
        {"HeaderWithoutBracketFindsNothing", "[x]\r\n[abc\r\nk=1\r\n", "abc", "k", Missing},
        {"TextAfterHeaderIgnored", "[fltsim.1] ; the blue one\r\ntitle=Blue\r\n", "fltsim.1", "title", "Blue"},
        {"KeyBeforeFirstHeaderUnreachable", "title=stray\r\n[s]\r\nk=1\r\n", "", "title", Missing},
        {"EmptyHeaderIsNotTheStartOfFile", "title=stray\r\n[]\r\ntitle=named\r\n", "", "title", "named"},
        {"BracketKeyWithoutHeader", "[s]\r\n[abc=1\r\n", "s", "[abc", "1"},
        // Values
        {"ValueAfterFirstEquals", "[s]\r\nk = a=b ; not a comment\r\n", "s", "k", "a=b ; not a comment"},
        {"ValueTrimmedOfTabs", "[s]\r\nk=\t v \t\r\n", "s", "k", "v"},
        // Blanks are also VT, FF and ^Z (CR always ends a line).
        {"HeaderAfterVerticalTab", "\x0b[t]\r\nz=1\x1a\r\n", "t", "z", "1"},
        {"FormFeedAndEofMarkAroundNames", "[\x0c s\x1a]\r\n\x1ak\x0b=\x0cv\x0b\r\n", "s", "k", "v"},
        {"EofMarkInsideValueKept", "[s]\r\nk=a\x1a b\r\n", "s", "k", "a\x1a b"},
        {"QuotesInsideBlanksRemoved", "[s]\r\nk=\x0b\"v \"\x1a\r\n", "s", "k", "v "},
        {"OtherControlBytesAreNoBlanks", "[s]\r\nk=\x01v\x7f\r\n", "s", "k", "\x01v\x7f"},
        {"DoubleQuotesRemoved", "[s]\r\ntitle=\"Piper Cub\"\r\n", "s", "title", "Piper Cub"},
        {"SingleQuotesRemoved", "[s]\r\ntitle='Piper Cub'\r\n", "s", "title", "Piper Cub"},
        {"QuotesKeepInnerBlanks", "[s]\r\nk=  \" padded \"  \r\n", "s", "k", " padded "},
        {"OnlyOnePairRemoved", "[s]\r\nk=\"\"x\"\"\r\n", "s", "k", "\"x\""},
        {"LoneQuoteStays", "[s]\r\nk=\"\r\n", "s", "k", "\""},
        {"UnmatchedQuotesStay", "[s]\r\nk=\"x'\r\n", "s", "k", "\"x'"},
        {"QuoteOnOneSideStays", "[s]\r\nk=\"x\r\n", "s", "k", "\"x"},
        {"EmptyQuotesGiveEmpty", "[s]\r\nk=\"\"\r\n", "s", "k", ""},
        {"EmptyValueIsNotMissing", "[s]\r\nk=\r\n", "s", "k", ""},
        {"CommentLineIsNoKey", "[s]\r\n;k=commented\r\n  ; k=indented\r\nk=live\r\n", "s", "k", "live"},
        // A line with no '=' is a key with no value: it reads as missing and
        // hides a later key of the same name.
        {"KeyWithoutValueReadsDefault", "[s]\r\ntitle Boeing\r\n", "s", "title Boeing", Missing},
        {"KeyWithoutValueHidesLaterKey", "[s]\r\nb\r\nb=2\r\n", "s", "b", Missing},
        {"KeyWithoutValueTrimmed", "[s]\r\n \tB \x0b\r\nb=2\r\n", "s", "b", Missing},
        {"KeyWithoutValueHidesOnlyItsName", "[s]\r\nb\r\nc=3\r\n", "s", "c", "3"},
        {"KeyWithoutValueBeforeHeaderHidesNothing", "b\r\n[s]\r\nb=2\r\n", "s", "b", "2"},
        {"KeyNameBeforeFirstEquals", "[s]\r\na=b=c\r\n", "s", "a", "b=c"},
        {"EmptyKeyName", "[s]\r\n=v\r\n", "s", "", "v"},
        // Duplicates
        {"FirstKeyWins", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", "1"},
        {"FirstSectionWins", "[s]\r\nk=1\r\n[S]\r\nk=3\r\nj=4\r\n", "S", "k", "1"},
        {"LaterCopyOfSectionUnreachable", "[s]\r\nk=1\r\n[S]\r\nk=3\r\nj=4\r\n", "s", "j", Missing},
        // Sizes
        {"CutToSizeMinusOne", "[s]\r\nk=abcdef\r\n", "s", "k", "abc", 4},
        // The stored text is cut first, quotes included; then the opening
        // quote goes, and the closing one if the cut kept it.
        {"CutBeforeQuotesRemoved", "[s]\r\nk=\"abcdef\"\r\n", "s", "k", "ab", 4},
        {"CutDropsOnlyClosingQuote", "[s]\r\nk=\"abcdef\"\r\n", "s", "k", "abcdef", 8},
        {"QuotedValueWholeAtLengthPlusOne", "[s]\r\nk=\"abcdef\"\r\n", "s", "k", "abcdef", 9},
        {"QuotedValueAt99", "[s]\r\nk=\" " + std::string(97, 'x') + "\"\r\n", "s", "k", " " + std::string(96, 'x'),
         99},
        {"QuotedValueAt100", "[s]\r\nk=\" " + std::string(97, 'x') + "\"\r\n", "s", "k", " " + std::string(97, 'x'),
         100},
        {"QuotedValueAtSizeTwo", "[s]\r\nk='abc'\r\n", "s", "k", "", 2},
        {"SizeOneGivesEmpty", "[s]\r\nk=abcdef\r\n", "s", "k", "", 1},
        {"SizeZeroGivesEmpty", "[s]\r\nk=abcdef\r\n", "s", "k", "", 0},
        {"DefaultCutToo", "[s]\r\n", "s", "k", "<UN", 4},
        {"WholeValueAtExactSize", "[s]\r\nk=abc\r\n", "s", "k", "abc", 4},
        // Line ends
        {"CarriageReturnsOnly", "[s]\rk=1\rj=2\r", "s", "j", "2"},
        {"LineFeedsOnly", "[s]\nk=1\nj=2\n", "s", "j", "2"},
        {"MixedLineEnds", "[a]\r\nk=1\n[s]\rx=1\r\nj=2\n", "s", "j", "2"},
        {"CrCrLfIsTwoLines", "[s]\r\r\nj=2\r\n", "s", "j", "2"},
        {"LastLineWithoutEnd", "[s]\r\nk=1\r\nj=last", "s", "j", "last"},
        {"ValueDoesNotRunIntoNextLine", "[s]\rk=1\rj=2", "s", "k", "1"},
        // Encodings
        {"Utf8MarkDecoded", "\xEF\xBB\xBF[s]\r\nk=Caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD\r\n", "s", "k",
         "Caf\xE9 \x80 ?"},
        {"Utf8MarkNameDecoded", "\xEF\xBB\xBF[\xC3\x84rger]\r\nk=1\r\n", "\xC4rger", "k", "1"},
        {"Utf8MarkBadBytesReadAsQuestionMarks", "\xEF\xBB\xBF[s]\r\nk=a\xFF\xC3z\r\n", "s", "k", "a??z"},
        {"Utf8MarkUndefinedCodePage", "\xEF\xBB\xBF[s]\r\nk=\xC2\x81\xC2\x80\r\n", "s", "k", "\x81?"},
        {"Utf16LittleEndian", Utf16("[s]\r\nk=Caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD \xF0\x9F\x98\x80\r\n", false),
         "s", "k", "Caf\xE9 \x80 ? ?"},
        {"Utf16BigEndian", Utf16("[s]\nk=\xC3\xBC" "ber\n", true), "s", "k", "\xFC" "ber"},
        {"Utf16LineEnds", Utf16("[s]\rk=1\r\nj=2", false), "s", "j", "2"},
        {"NoMarkMeansBytes", "[s]\r\nk=Caf\xC3\xA9\r\n", "s", "k", "Caf\xC3\xA9"},
        {"EightBitBytesKept", "[s]\r\nk=\x80\x81\xE9\xFF\r\n", "s", "k", "\x80\x81\xE9\xFF"},
        // NUL bytes cut a name or value; the '=' or ']' after one is still found.
        {"NulEndsValue", Bytes("[s]\r\nk=abc\0def\r\nj=2\r\n"), "s", "k", "abc"},
        {"NulInHeader", Bytes("[a\0]\r\nk=v\r\n"), "a", "k", "v"},
        {"NulInHeaderCutsName", Bytes("[a\0b]\r\nk=v\r\n"), "a", "k", "v"},
        {"NulInKeyName", Bytes("[s]\r\nk\0x=v\r\nk=w\r\n"), "s", "k", "v"},
        {"NulInKeyNameHidesNothingElse", Bytes("[s]\r\nk\0x=v\r\nj=w\r\n"), "s", "j", "w"},
        {"NulBeforeValueGivesEmpty", Bytes("[s]\r\nk= \0v\r\n"), "s", "k", ""},
        {"NulCutsKeyWithoutValue", Bytes("[s]\r\nk\0junk\r\nk=2\r\n"), "s", "k", Missing},
        {"NulLineDoesNotHideNext", Bytes("[s]\r\nk=abc\0def\r\nj=2\r\n"), "s", "j", "2"},
        {"NulHidesHeader", Bytes("[a]\r\n\0[b]\r\nk=1\r\n"), "a", "k", "1"},
        {"NulInUtf16", Utf16(std::string("[s]\r\nk=ab\0cd\r\n", 14), false), "s", "k", "ab"},
        {"NulInUtf16Header", Utf16(std::string("[a\0]\r\nk=v\r\n", 12), false), "a", "k", "v"},
        {"Utf16OddLastByteIgnored", Bytes("\xff\xfe[\0s\0]\0\r\0\n\0k\0=\0v\0X"), "s", "k", "v"},
    };
}

class ProfileReadTest : public ProfileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ProfileReadTest, ReadsLikeThePlatform) {
    const ReadCase& c = GetParam();
    WriteFile(path_, c.file);
    EXPECT_EQ(GetPrivateProfileStringA(c.section, c.key, UndefinedMarker, c.size, path_), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, ProfileReadTest, ::testing::ValuesIn(ReadCases()),
                         [](const auto& param) { return std::string(param.param.name); });

struct NamesCase {
    const char* name;
    std::string file;
    std::vector<std::string> expected;
};

void PrintTo(const NamesCase& c, std::ostream* os) { *os << c.name; }

class ProfileSectionNamesTest : public ProfileTest, public ::testing::WithParamInterface<NamesCase> {};

TEST_P(ProfileSectionNamesTest, ListsHeadersInFileOrder) {
    WriteFile(path_, GetParam().file);
    EXPECT_EQ(GetPrivateProfileSectionNamesA(path_), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileSectionNamesTest,
    ::testing::Values(
        NamesCase{"CopiesIncluded",
                  "; categories\r\n[Airliners]\r\na=1\r\n[GA]\r\n[airliners]\r\n[Helicopters]\r\n",
                  {"Airliners", "GA", "airliners", "Helicopters"}},
        NamesCase{"EmptyHeadersLeftOut", "[]\r\n[ \t]\r\n[x]\r\n", {"x"}},
        NamesCase{"TrimmedAndLastBracket", "  [ a]b ] ; note\r\n[abc\r\n[c]", {"a]b", "c"}},
        NamesCase{"KeepsEightBitAndCase", "[Caf\xE9 AIR]\n[\x80uro]\n", {"Caf\xE9 AIR", "\x80uro"}},
        NamesCase{"CutAtNulAndTrimmedOfEveryBlank", Bytes("[a\0b]\r\n\x0b[\x0c c \x1a]\x1a\r\n[\0]\r\n"), {"a", "c"}},
        NamesCase{"Utf8MarkDecoded", "\xEF\xBB\xBF[\xC3\x84rger]\r\n[\xE4\xB8\xAD]\r\n", {"\xC4rger", "?"}},
        NamesCase{"Utf16", Utf16("[one]\r\n[two]", false), {"one", "two"}},
        NamesCase{"NoHeaders", "k=1\r\n; only a comment\r\n", {}},
        NamesCase{"EmptyFile", "", {}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ProfileTest, MissingFileReadsEmpty) {
    EXPECT_EQ(Get("Airliners", "aircraft0.title"), UndefinedMarker);
    EXPECT_EQ(GetPrivateProfileStringA("Airliners", "k", "fallback", 5, path_), "fall");
    EXPECT_TRUE(GetPrivateProfileSectionNamesA(path_).empty());
    EXPECT_TRUE(GetPrivateProfileSectionNamesA(dir_ / "no/such/folder/x.cfg").empty());
    EXPECT_FALSE(Exists(path_));
}

TEST_F(ProfileTest, StoredMarkerReadsAsMarker) {
    WriteFile(path_, "[s]\r\nk=<UNDEFINED>\r\n");
    EXPECT_EQ(Get("s", "k"), UndefinedMarker);
}

TEST_F(ProfileTest, FolderThatIsNotAFileReadsEmpty) {
    MakeDirs(path_);
    EXPECT_EQ(Get("s", "k"), UndefinedMarker);
    EXPECT_TRUE(GetPrivateProfileSectionNamesA(path_).empty());
}

// An "aircraft.cfg" as the simulator's tools and authors leave them.
TEST_F(ProfileTest, RealWorldAircraftFile) {
    WriteFile(path_,
              "\xEF\xBB\xBF// exported by a tool\r\n"
              "[VERSION]\r\nmajor=1\r\n\r\n"
              "[FLTSIM.0]\r\n"
              "title = \"Cessna Skyhawk \xC3\xA9" "dition\" ; quoted\r\n"
              "sim=Cessna172\n"
              "UI_Manufacturer=  'Cessna'\r"
              "ui_type =Skyhawk\r\n"
              "texture=\r\n"
              "\r\n"
              "[fltsim.1]\n"
              "title=Cessna Skyhawk Floats\n"
              "ui_manufacturer=Cessna\n"
              "[fltsim.0]\r\ntitle=copy that nobody sees\r\n");
    // The quotes do not enclose the whole value, so they stay.
    EXPECT_EQ(Get("fltsim.0", "title"), "\"Cessna Skyhawk \xE9" "dition\" ; quoted");
    EXPECT_EQ(Get("fltsim.0", "ui_manufacturer"), "Cessna");
    EXPECT_EQ(Get("fltsim.0", "ui_type"), "Skyhawk");
    EXPECT_EQ(Get("fltsim.0", "texture"), "");
    EXPECT_EQ(Get("fltsim.0", "ui_variation"), UndefinedMarker);
    EXPECT_EQ(Get("FLTSIM.1", "TITLE"), "Cessna Skyhawk Floats");
    EXPECT_EQ(GetPrivateProfileSectionNamesA(path_),
              (std::vector<std::string>{"VERSION", "FLTSIM.0", "fltsim.1", "fltsim.0"}));
}

}  // namespace
}  // namespace qm::test
