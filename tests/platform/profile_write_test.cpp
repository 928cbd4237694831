// Writing private-profile files: the exact bytes each kind of write leaves,
// and that whatever the program writes reads back as written.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/profile_file.h"
#include "profile_test_util.h"

namespace qm::test {
namespace {

using Opt = std::optional<std::string>;

struct Op {
    std::string section;
    Opt key;
    Opt value;
};

struct WriteCase {
    const char* name;
    Opt before;  // nullopt: no file
    std::vector<Op> ops;
    Opt after;   // nullopt: still no file
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

std::optional<std::string_view> View(const Opt& text) {
    return text ? std::optional<std::string_view>(*text) : std::nullopt;
}

std::vector<WriteCase> WriteCases() {
    return {
        {"FirstWriteCreatesFile", std::nullopt, {{"Airliners", "aircraft0.title", "Boeing 747-400"}},
         "[Airliners]\r\naircraft0.title=Boeing 747-400\r\n"},
        {"SecondKeyFollowsFirst", std::nullopt, {{"s", "k", "1"}, {"s", "j", "2"}}, "[s]\r\nk=1\r\nj=2\r\n"},
        {"SecondSectionAtEnd", std::nullopt, {{"s", "k", "1"}, {"t", "j", "2"}},
         "[s]\r\nk=1\r\n[t]\r\nj=2\r\n"},
        {"EmptyFileGetsFirstSection", "", {{"s", "k", "v"}}, "[s]\r\nk=v\r\n"},
        {"NewKeyAfterLastNonBlankLine", "[a]\r\nx=1\r\n\r\n; about b\r\n\r\n[b]\r\ny=2\r\n", {{"a", "z", "3"}},
         "[a]\r\nx=1\r\n\r\n; about b\r\nz=3\r\n\r\n[b]\r\ny=2\r\n"},
        {"NewKeyInEmptySection", "[a]\r\n\r\n[b]\r\n", {{"A", "k", "1"}}, "[a]\r\nk=1\r\n\r\n[b]\r\n"},
        {"NewKeyInFirstOfCopies", "[s]\r\nk=1\r\n[S]\r\nk=2\r\n", {{"s", "j", "3"}},
         "[s]\r\nk=1\r\nj=3\r\n[S]\r\nk=2\r\n"},
        {"NewKeyEndsUnterminatedLine", "[s]\r\nk=1", {{"s", "j", "2"}}, "[s]\r\nk=1\r\nj=2\r\n"},
        {"NewSectionEndsUnterminatedLine", "[a]\nx=1", {{"b", "y", "2"}}, "[a]\nx=1\n[b]\ny=2\n"},
        {"LineEndOfFirstLineLf", "[a]\nx=1\r\n", {{"a", "y", "2"}, {"b", "z", "3"}},
         "[a]\nx=1\r\ny=2\n[b]\nz=3\n"},
        {"LineEndOfFirstLineCr", "[a]\rx=1", {{"a", "y", "2"}}, "[a]\rx=1\ry=2\r"},
        {"SingleUnterminatedLineGetsCrLf", "[a]", {{"a", "y", "2"}}, "[a]\r\ny=2\r\n"},
        {"ReplaceKeepsLinePlaceAndSpelling", "[A]\r\n  Title = old ; note\r\nnext=1\r\n", {{"a", "TITLE", "new"}},
         "[A]\r\n  Title = new\r\nnext=1\r\n"},
        {"ReplaceQuotedValue", "[s]\r\nk=\"old\"\r\n", {{"s", "k", "new"}}, "[s]\r\nk=new\r\n"},
        {"ReplaceFirstOfCopies", "[s]\r\nk=1\r\nK=2\r\n", {{"s", "k", "9"}}, "[s]\r\nk=9\r\nK=2\r\n"},
        {"ReplaceKeepsLineEnd", "[s]\nk=1\r\nj=2", {{"s", "k", "10"}, {"s", "j", "20"}}, "[s]\nk=10\r\nj=20"},
        {"ReplaceDropsTextAfterNul", Bytes("[s]\r\nk=1\0junk\r\n"), {{"s", "k", "2"}}, "[s]\r\nk=2\r\n"},
        {"ReplaceKeepsNameWithNul", Bytes("[s]\r\nk\0x=v\r\nk=w\r\n"), {{"s", "k", "1"}},
         Bytes("[s]\r\nk\0x=1\r\nk=w\r\n")},
        {"ReplaceUnderHeaderWithNul", Bytes("[a\0]\r\nk=v\r\n"), {{"a", "k", "w"}}, Bytes("[a\0]\r\nk=w\r\n")},
        {"ReplaceAfterEveryKindOfBlank", "[s]\r\nk=\x0b" "old\x1a\r\n", {{"s", "k", "new"}}, "[s]\r\nk=\x0bnew\r\n"},
        // A line with no '=' is the key of that name: a write replaces it.
        {"WriteReplacesKeyWithoutValue", "[s]\r\nb\r\nb=2\r\n", {{"s", "b", "new"}}, "[s]\r\nb=new\r\nb=2\r\n"},
        {"WriteGivesKeyWithoutValueItsValue", "[s]\r\ntitle\r\n", {{"s", "title", "v"}}, "[s]\r\ntitle=v\r\n"},
        {"KeyWithoutValueKeepsItsSpelling", "[s]\r\n  Title \t\r\n", {{"s", "TITLE", "v"}}, "[s]\r\n  Title=v\r\n"},
        {"KeyWithoutValueDropsTextAfterNul", Bytes("[s]\r\nk\0junk\r\n"), {{"s", "k", "v"}}, "[s]\r\nk=v\r\n"},
        {"RemoveKeyWithoutValue", "[s]\r\nb\r\nb=2\r\n", {{"s", "b", std::nullopt}}, "[s]\r\nb=2\r\n"},
        {"RemoveKeyRemovesItsLineOnly", "[s]\r\nk=1\r\n; keep\r\nj=2\r\n", {{"s", "K", std::nullopt}},
         "[s]\r\n; keep\r\nj=2\r\n"},
        {"RemoveLastKeyKeepsHeader", "[s]\r\nk=1\r\n[t]\r\n", {{"s", "k", std::nullopt}}, "[s]\r\n[t]\r\n"},
        {"RemoveFirstOfCopiesOnly", "[s]\r\nk=1\r\nk=2\r\n", {{"s", "k", std::nullopt}}, "[s]\r\nk=2\r\n"},
        {"RemoveSectionUpToNextHeader",
         "; top\r\n[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n; about c\r\n\r\n[c]\r\nz=3",
         {{"B", std::nullopt, std::nullopt}}, "; top\r\n[a]\r\nx=1\r\n\r\n[c]\r\nz=3"},
        {"RemoveFirstOfSectionCopies", "[s]\r\nk=1\r\n[S]\r\nk=2\r\n", {{"s", std::nullopt, std::nullopt}},
         "[S]\r\nk=2\r\n"},
        {"RemoveLastSection", "[a]\r\nx=1\r\n[b]\r\ny=2", {{"b", std::nullopt, std::nullopt}}, "[a]\r\nx=1\r\n"},
        {"NullKeyRemovesSectionWhateverValue", "[a]\r\nx=1\r\n[b]\r\n", {{"a", std::nullopt, "ignored"}},
         "[b]\r\n"},
        {"RemoveMissingChangesNothing", "[s]\nk=1",
         {{"s", "j", std::nullopt}, {"t", "k", std::nullopt}, {"t", std::nullopt, std::nullopt}}, "[s]\nk=1"},
        {"RemoveOnMissingFileCreatesNone", std::nullopt,
         {{"s", "k", std::nullopt}, {"s", std::nullopt, std::nullopt}}, std::nullopt},
        {"ValuesTheReaderWouldChangeAreQuoted", std::nullopt,
         {{"s", "a", " lead"}, {"s", "b", "trail\t"}, {"s", "c", "\"q\""}, {"s", "d", "'q'"}, {"s", "e", "\""},
          {"s", "f", "\"q'"}, {"s", "g", "a;b=c"}},
         "[s]\r\na=\" lead\"\r\nb=\"trail\t\"\r\nc=\"\"q\"\"\r\nd=\"'q'\"\r\ne=\"\r\nf=\"q'\r\ng=a;b=c\r\n"},
        {"EmptyValue", std::nullopt, {{"s", "k", ""}}, "[s]\r\nk=\r\n"},
        {"LineBreaksAndNulBecomeSpaces", std::nullopt,
         {{"s", "k", "one\r\ntwo"}, {"s", "j", Bytes("a\0b\nc\r")}},
         "[s]\r\nk=one  two\r\nj=\"a b c \"\r\n"},
        {"SectionNameCannotInjectHeader", "[victim]\r\nk=1\r\n", {{"evil]\r\n[victim", "k", "2"}},
         "[victim]\r\nk=1\r\n[evil]  [victim]\r\nk=2\r\n"},
        {"KeyCannotInjectHeader", "[victim]\r\nk=1\r\n", {{"s", "x\r\n[victim]\r\nk", "2"}},
         "[victim]\r\nk=1\r\n[s]\r\nx  [victim]  k=2\r\n"},
        {"ValueCannotInjectHeader", std::nullopt, {{"s", "k", "1\r\n[victim]\r\nk=2"}},
         "[s]\r\nk=1  [victim]  k=2\r\n"},
        {"NamesTrimmedWhenWritten", std::nullopt, {{"  padded\t", " key ", "v"}}, "[padded]\r\nkey=v\r\n"},
        {"NamesTrimmedOfEveryBlank", std::nullopt, {{"\x0bs\x1a", "\x0ck\x0b", "v"}}, "[s]\r\nk=v\r\n"},
        {"ValuesWithEveryBlankQuoted", std::nullopt, {{"s", "a", "\x0bv"}, {"s", "b", "v\x1a"}, {"s", "c", "\x0c"}},
         "[s]\r\na=\"\x0bv\"\r\nb=\"v\x1a\"\r\nc=\"\x0c\"\r\n"},
        {"KeyWithEqualsRefused", "[s]\r\nk=1\r\n", {{"s", "a=b", "v"}}, "[s]\r\nk=1\r\n"},
        {"KeyStartingWithSemicolonRefused", "[s]\r\nk=1\r\n", {{"s", ";k", "v"}}, "[s]\r\nk=1\r\n"},
        {"KeyStartingWithBracketRefused", std::nullopt, {{"s", "[x]", "v"}}, std::nullopt},
        {"SameValueChangesNothing", "[s]\r\nk = \"v\" \r\n", {{"S", "K", "v"}}, "[s]\r\nk = \"v\" \r\n"},
        // Files with a byte order mark keep their encoding.
        {"Utf8MarkNewKey", "\xEF\xBB\xBF[s]\r\nk=1\r\n", {{"s", "j", "caf\xE9 \x80"}},
         "\xEF\xBB\xBF[s]\r\nk=1\r\nj=caf\xC3\xA9 \xE2\x82\xAC\r\n"},
        {"Utf8MarkReplaceKeepsKeyBytes", "\xEF\xBB\xBF[s]\r\n\xE4\xB8\xAD=1\r\n", {{"s", "?", "\xFC"}},
         "\xEF\xBB\xBF[s]\r\n\xE4\xB8\xAD=\xC3\xBC\r\n"},
        {"Utf16NewSection", Utf16("[s]\r\nk=1", false), {{"t", "j", "\xE9"}},
         Utf16("[s]\r\nk=1\r\n[t]\r\nj=\xC3\xA9\r\n", false)},
        {"Utf16BigEndianReplace", Utf16("[s]\nk=1\nj=2\n", true), {{"s", "k", "\x80"}},
         Utf16("[s]\nk=\xE2\x82\xAC\nj=2\n", true)},
        {"Utf16RemoveKey", Utf16("[s]\r\nk=1\r\nj=2\r\n", false), {{"s", "k", std::nullopt}},
         Utf16("[s]\r\nj=2\r\n", false)},
        // The odd last byte of a UTF-16 file stays the last byte: what is
        // added keeps to two-byte units.
        {"Utf16OddByteStaysLastOnNewKey", Bytes("\xff\xfe[\0s\0]\0\r\0\n\0k\0=\0v\0X"), {{"s", "j", "1"}},
         Bytes("\xff\xfe[\0s\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0j\0=\0" "1\0\r\0\n\0X")},
        {"Utf16OddByteStaysLastOnReplace", Bytes("\xff\xfe[\0s\0]\0\r\0\n\0k\0=\0v\0X"), {{"s", "k", "w"}},
         Bytes("\xff\xfe[\0s\0]\0\r\0\n\0k\0=\0w\0X")},
        {"Utf16OddByteStaysLastOnNewSection", Bytes("\xfe\xff\0[\0s\0]\0\n\0k\0=\0vX"), {{"t", "j", "1"}},
         Bytes("\xfe\xff\0[\0s\0]\0\n\0k\0=\0v\0\n\0[\0t\0]\0\n\0j\0=\0" "1\0\nX")},
        {"Utf16OddByteStaysWhenAllRemoved", Bytes("\xff\xfe[\0s\0]\0\r\0\n\0k\0=\0v\0X"),
         {{"s", std::nullopt, std::nullopt}}, Bytes("\xff\xfeX")},
        // Lines an edit does not touch keep their bytes and stay lines: a
        // lone CR never joins the LF of an empty line into one line end.
        {"RemoveKeepsEmptyLineAfterLoneCr", "[s]\rk=1\n\n[t]\r", {{"s", "k", std::nullopt}}, "[s]\r\n\n[t]\r"},
        {"InsertKeepsEmptyLineAfterLoneCr", "[s]\rk=1\n\n", {{"s", "j", "2"}}, "[s]\rk=1\nj=2\r\n\n"},
        {"Utf16KeepsEmptyLineAfterLoneCr", Utf16("[s]\rk=1\n\n", false), {{"s", "k", std::nullopt}},
         Utf16("[s]\r\n\n", false)},
        {"LoneCrBeforeBlanksLineUntouched", "[s]\rk=1\n \n", {{"s", "k", std::nullopt}}, "[s]\r \n"},
    };
}

class ProfileWriteTest : public ProfileTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(ProfileWriteTest, WritesExactBytes) {
    const WriteCase& c = GetParam();
    if (c.before) WriteFile(path_, *c.before);
    for (const Op& op : c.ops) WritePrivateProfileStringA(op.section, View(op.key), View(op.value), path_);
    if (c.after) {
        ASSERT_TRUE(Exists(path_));
        EXPECT_EQ(ReadFile(path_), *c.after);
    } else {
        EXPECT_FALSE(Exists(path_));
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, ProfileWriteTest, ::testing::ValuesIn(WriteCases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ProfileTest, WriteReportsRefusedKey) {
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "v", path_));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "a=b", "v", path_));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "[t]", "v", path_));
    EXPECT_EQ(Get("s", "a"), UndefinedMarker);
    EXPECT_EQ(GetPrivateProfileSectionNamesA(path_), std::vector<std::string>{"s"});

    // Inside an action the refusal comes from the action's end; the
    // action's other writes are saved.
    ProfileAction action;
    EXPECT_FALSE(WritePrivateProfileStringA("s", ";comment", "v", path_));
    WritePrivateProfileStringA("s", "k", "2", path_);
    const std::vector<SaveFailure> failures = action.End();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, path_);
    EXPECT_NE(failures[0].reason.find(";comment"), std::string::npos);
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=2\r\n");
}

// What the program writes reads back as written at the sizes it reads with
// (99, 254, 499) wherever some writing can: a value of up to size - 2 bytes
// always does. A value that begins with a blank and fills the buffer cannot:
// the opening quote it needs takes a place in the buffer, so it reads one
// byte short, as it would on the platform.
TEST_F(ProfileTest, ValuesReadBackAtTheProgramsSizes) {
    struct Case {
        const char* name;
        std::string value, at99, at254, at499;
    };
    const auto x = [](std::size_t n) { return std::string(n, 'x'); };
    const std::vector<Case> cases = {
        {"LeadingBlankFits", " " + x(96), " " + x(96), " " + x(96), " " + x(96)},
        {"LeadingBlankFillsBuffer", " " + x(97), " " + x(96), " " + x(97), " " + x(97)},
        {"TrailingBlankFillsBuffer", x(97) + " ", x(97), x(97) + " ", x(97) + " "},
        {"EnclosingQuotesLong", "\"" + x(200) + "\"", "\"" + x(96), "\"" + x(200) + "\"", "\"" + x(200) + "\""},
        {"LeadingBlankPath", " " + x(399), " " + x(96), " " + x(251), " " + x(399)},
        // Blanks past every cut but the longest: right where display names
        // are read (99), rather than at 499 where none are.
        {"TrailingBlanksPastTheCut", x(200) + std::string(53, ' '), x(98), x(200), x(200)},
        {"NothingToQuote", x(300), x(98), x(253), x(300)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WritePrivateProfileStringA("s", c.name, c.value, path_));
        RestartStore();
        EXPECT_EQ(Get("s", c.name, 99), c.at99) << c.name;
        EXPECT_EQ(Get("s", c.name, 254), c.at254) << c.name;
        EXPECT_EQ(Get("s", c.name, 499), c.at499) << c.name;
    }
}

TEST_F(ProfileTest, RemovedCopiesUncoverTheNextOne) {
    WriteFile(path_, "[s]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\n");
    WritePrivateProfileStringA("s", "k", std::nullopt, path_);
    EXPECT_EQ(Get("s", "k"), "2");
    WritePrivateProfileStringA("s", "k", std::nullopt, path_);
    EXPECT_EQ(Get("s", "k"), UndefinedMarker);
    WritePrivateProfileStringA("s", std::nullopt, std::nullopt, path_);
    EXPECT_EQ(Get("s", "k"), "3");
    WritePrivateProfileStringA("s", "k", "4", path_);
    EXPECT_EQ(ReadFile(path_), "[S]\r\nk=4\r\n");
}

// ---- Round trips ----

// CR, LF and NUL never reach the file; everything else reads back unchanged.
std::string AsStored(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return text;
}

std::string TrimmedName(std::string text) {
    text = AsStored(std::move(text));
    return std::string(profile::TrimBlanks(text));
}

const std::vector<std::string>& AwkwardValues() {
    static const std::vector<std::string> values = {
        "", " ", "  lead", "trail  ", "\tboth\t", "\"quoted\"", "'single'", "\"", "'", "\"\"", "''",
        "\"mixed'", "\" spaced \"", "''x''", "a;b", ";starts", "a=b", "=", "[x]", "[", "]", "[a]b]",
        "C:\\Sim\\SimObjects\\Airplanes\\B747\\thumbnail.jpg", "\xE9\xFC\x80\x81\x8D\x8F\x90\x9D\xA0\xFF",
        "line\r\nbreak", Bytes("nul\0inside"), "\r", "\n\n", "<UNDEFINED> "};
    return values;
}

const std::vector<std::string>& AwkwardSections() {
    static const std::vector<std::string> sections = {
        "Airliners", "a]b", "]", "[x", "x]", "a=b", ";semi", " padded ", "\xC4rger \xE9t\xE9", "two\r\nlines",
        "\"quoted\"", "[a] ; b"};
    return sections;
}

const std::vector<std::string>& AwkwardKeys() {
    static const std::vector<std::string> keys = {
        "aircraft0.title", "k;x", "key]", "\xE9t\xE9", "", " spaced key ", "\"q\"", "a[b]"};
    return keys;
}

enum class Start { NoFile, Bytes, Utf8Mark, Utf16LE, Utf16BE };

std::string StartBytes(Start start) {
    switch (start) {
    case Start::NoFile:
        return {};
    case Start::Bytes:
        return "; existing\n[other]\nk=1";
    case Start::Utf8Mark:
        return "\xEF\xBB\xBF[other]\r\nk=1\r\n";
    case Start::Utf16LE:
        return Utf16("[other]\r\nk=1", false);
    case Start::Utf16BE:
        return Utf16("[other]\nk=1\n", true);
    }
    return {};
}

class ProfileRoundTripTest : public ProfileTest, public ::testing::WithParamInterface<Start> {
protected:
    void SetUp() override {
        ProfileTest::SetUp();
        if (GetParam() != Start::NoFile) WriteFile(path_, StartBytes(GetParam()));
    }

    // Reads as the program's next start would, and by parsing the saved bytes.
    void ExpectReadsBack(const std::string& section, const std::string& key, const std::string& expected) {
        RestartStore();
        EXPECT_EQ(Get(section, key), expected) << "section [" << section << "] key [" << key << "]";
        const profile::ProfileFile parsed(ReadFile(path_));
        std::string s, k;
        const auto value = parsed.Find(profile::CleanName(section, s), profile::CleanName(key, k));
        ASSERT_TRUE(value.has_value()) << "section [" << section << "] key [" << key << "]";
        EXPECT_EQ(profile::ValueAsRead(*value, std::string_view::npos), expected);
    }
};

TEST_P(ProfileRoundTripTest, ValuesReadBackAsWritten) {
    for (const std::string& value : AwkwardValues()) {
        ASSERT_TRUE(WritePrivateProfileStringA("Airliners", "aircraft0.title", value, path_));
        ExpectReadsBack("Airliners", "aircraft0.title", AsStored(value));
    }
    // Each value also as a new key, all in one action.
    {
        ProfileAction action;
        for (std::size_t i = 0; i < AwkwardValues().size(); ++i)
            WritePrivateProfileStringA("Many", "k" + std::to_string(i), AwkwardValues()[i], path_);
        EXPECT_TRUE(action.End().empty());
    }
    for (std::size_t i = 0; i < AwkwardValues().size(); ++i)
        ExpectReadsBack("Many", "k" + std::to_string(i), AsStored(AwkwardValues()[i]));
    if (GetParam() != Start::NoFile) ExpectReadsBack("other", "k", "1");
}

TEST_P(ProfileRoundTripTest, SectionAndKeyNamesReadBack) {
    for (const std::string& section : AwkwardSections())
        for (const std::string& key : AwkwardKeys())
            ASSERT_TRUE(WritePrivateProfileStringA(section, key, section + "|" + key, path_));
    for (const std::string& section : AwkwardSections())
        for (const std::string& key : AwkwardKeys())
            ExpectReadsBack(section, key, AsStored(section + "|" + key));

    std::vector<std::string> expected;
    if (GetParam() != Start::NoFile) expected.push_back("other");
    for (const std::string& section : AwkwardSections()) expected.push_back(TrimmedName(section));
    EXPECT_EQ(GetPrivateProfileSectionNamesA(path_), expected);
}

INSTANTIATE_TEST_SUITE_P(Encodings, ProfileRoundTripTest,
                         ::testing::Values(Start::NoFile, Start::Bytes, Start::Utf8Mark, Start::Utf16LE,
                                           Start::Utf16BE));

// Random edits: after every step, the edited file reads exactly like the
// same bytes parsed afresh, so the indexes the edits maintain stay right.
TEST(ProfileFileTest, EditsKeepIndexesRight) {
    std::mt19937 random(20240611);
    const std::vector<std::string> sections = {"a", "A", "b", "c"};
    const std::vector<std::string> keys = {"k", "K", "j", "x.title", "y"};
    const std::vector<std::string> values = {"1", " 2 ", "", "\"q\"", "long value ; with = signs"};
    const auto pick = [&](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    };
    profile::ProfileFile file("; head\r\nk=0\r\n[a]\r\nk=1\r\nk=2\r\n\r\n[b]\n[A]\r\nj=3\r\n\r\n; tail\r\n[c]");
    for (int step = 0; step < 2000; ++step) {
        const int what = std::uniform_int_distribution<int>(0, 9)(random);
        const std::string section = pick(sections), key = pick(keys);
        if (what < 6)
            file.SetValue(section, key, pick(values));
        else if (what < 9)
            file.RemoveKey(section, key);
        else
            file.RemoveSection(section);
        const profile::ProfileFile fresh(file.Serialize());
        ASSERT_EQ(file.SectionNames(), fresh.SectionNames()) << "step " << step;
        for (const std::string& s : sections)
            for (const std::string& k : keys)
                ASSERT_EQ(file.Find(s, k), fresh.Find(s, k)) << "step " << step << " [" << s << "] " << k;
    }
}

// The keys of `section` as ForEachKey gives them, with their lines.
std::vector<std::pair<std::string, profile::ProfileFile::KeyLine>> KeyLines(const profile::ProfileFile& file,
                                                                            const std::string& section) {
    std::vector<std::pair<std::string, profile::ProfileFile::KeyLine>> lines;
    file.ForEachKey(section, [&](std::string_view name, std::optional<std::string_view>,
                                 profile::ProfileFile::KeyLine line) { lines.emplace_back(name, line); });
    return lines;
}

// Writes made at the lines a walk gave, while other writes and removals go on
// between them, leave the bytes and give the results the same writes by name
// give; a line that no longer holds its key is refused.
TEST(ProfileFileTest, WritesAtAKeysLineAreWritesByName) {
    std::mt19937 random(20261210);
    const std::vector<std::string> sections = {"a", "A", "b"};
    const std::vector<std::string> keys = {"k", "K", "j", "x.title", "y", "z"};
    const std::vector<std::string> values = {"1", " 2 ", "", "\"q\"", "'s'", "long value ; with = signs"};
    const auto pick = [&](const std::vector<std::string>& from) {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    };
    const std::string start =
        "; head\r\n[a]\r\n  k = 1\r\nK=2\r\nj\r\n\r\n; mid\r\nX.TITLE='t'\r\n\r\n\r\n[b]\ny=\n[A]\r\nj=3\r\n";
    int refused = 0;
    for (int round = 0; round < 300; ++round) {
        profile::ProfileFile byName(start), atLine(start);
        const std::string section = pick(sections);
        const auto lines = KeyLines(atLine, section);
        ASSERT_EQ(atLine.KeyCount(section), lines.size()) << section;
        for (int step = 0; step < 12; ++step) {
            const int what = std::uniform_int_distribution<int>(0, 4)(random);
            if (what == 0 && !lines.empty()) {
                const auto& [key, line] = lines[std::uniform_int_distribution<std::size_t>(0, lines.size() - 1)(random)];
                const std::string value = pick(values);
                const std::optional<bool> changed = atLine.SetValueAt(section, line, key, value);
                if (!changed) {
                    ++refused;
                    // Refused only where the key's first line has gone.
                    ASSERT_EQ(byName.Find(section, key), atLine.Find(section, key));
                    atLine.SetValue(section, key, value);
                    byName.SetValue(section, key, value);
                } else {
                    ASSERT_EQ(*changed, byName.SetValue(section, key, value)) << "round " << round << " step " << step;
                }
            } else if (what <= 2) {
                const std::string key = pick(keys), value = pick(values);
                ASSERT_EQ(atLine.SetValue(section, key, value), byName.SetValue(section, key, value));
            } else {
                const std::string key = pick(keys);
                ASSERT_EQ(atLine.RemoveKey(section, key), byName.RemoveKey(section, key));
            }
            ASSERT_EQ(atLine.Serialize(), byName.Serialize()) << "round " << round << " step " << step;
            ASSERT_EQ(atLine.KeyCount(section), KeyLines(atLine, section).size());
        }
    }
    EXPECT_GT(refused, 0);  // the rounds did meet lines whose key had gone
}

// A removed key's line refuses the write, also when a key added since stands
// where it stood.
TEST(ProfileFileTest, WriteAtALineWhoseKeyWasRemoved) {
    profile::ProfileFile file("[s]\r\na=1\r\nb=2\r\n\r\n");
    const auto lines = KeyLines(file, "s");
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_TRUE(file.RemoveKey("s", "b"));
    EXPECT_EQ(file.SetValueAt("s", lines[1].second, "b", "3"), std::nullopt);
    ASSERT_TRUE(file.SetValue("s", "c", "4"));  // takes the place b had
    EXPECT_EQ(file.SetValueAt("s", lines[1].second, "b", "5"), std::nullopt);
    EXPECT_EQ(file.SetValueAt("s", lines[0].second, "A", "6"), std::optional(true));
    EXPECT_EQ(file.SetValueAt("s", lines[0].second, "a", "6"), std::optional(false));
    EXPECT_EQ(file.SetValueAt("t", lines[0].second, "a", "7"), std::nullopt);
    EXPECT_EQ(file.Serialize(), "[s]\r\na=6\r\nc=4\r\n\r\n");
}

}  // namespace
}  // namespace qm::test
