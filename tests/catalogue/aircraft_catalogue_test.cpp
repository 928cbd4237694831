#include "catalogue/aircraft_catalogue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "support/fresh_store.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

using test::MakeDirs;
using test::RemoveAll;
using test::TempDir;
using test::WriteFile;

// What a test expects of one record; the thumbnail as a path below the
// simulator root, or empty.
struct Rec {
    std::string title, manufacturer, model, variation, thumbnail;
    friend bool operator==(const Rec&, const Rec&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Rec& r) {
        return out << "{" << r.title << " | " << r.manufacturer << " | " << r.model << " | " << r.variation
                   << " | " << r.thumbnail << "}";
    }
};

// One complete section as an aircraft.cfg would hold it.
std::string Section(int n, std::string_view title, std::string_view manufacturer = "Cessna",
                    std::string_view model = "172", std::string_view variation = "Skyhawk") {
    std::string s = "[fltsim." + std::to_string(n) + "]\r\n";
    s.append("title=").append(title).append("\r\n");
    s.append("ui_manufacturer=").append(manufacturer).append("\r\n");
    s.append("ui_type=").append(model).append("\r\n");
    s.append("ui_variation=").append(variation).append("\r\n\r\n");
    return s;
}

// A temporary simulator root with its aircraft folder, and the catalogue and
// manufacturer list a scan fills.
class CatalogueTest : public test::FreshStoreTest {
protected:

    std::string Root() const { return root_.Path(); }
    std::string Aircraft() const { return AircraftFolderOf(Root()); }
    void Cfg(std::string_view folder, std::string_view text) {
        WriteFile(Aircraft() + "/" + std::string(folder) + "/aircraft.cfg", text);
    }
    void File(std::string_view relative, std::string_view bytes = "") { WriteFile(root_ / relative, bytes); }
    void Thumb(std::string_view relative) { File(relative, test::SmallBmp(4, 4)); }

    void Scan() { ScanAircraftFolder(Aircraft(), catalogue_, list_); }

    // The records, thumbnails made relative to the root.
    std::vector<Rec> Records() const {
        std::vector<Rec> out;
        for (const AircraftRecord& r : catalogue_.Records()) {
            std::string thumb(r.thumbnailPath);
            if (!thumb.empty()) {
                EXPECT_EQ(thumb.rfind(Root() + "/", 0), 0u) << thumb;
                thumb.erase(0, Root().size() + 1);
            }
            out.push_back({std::string(r.title), std::string(r.manufacturer), std::string(r.model), std::string(r.variation), thumb});
        }
        return out;
    }
    std::vector<std::string> Titles() const {
        std::vector<std::string> out;
        for (const AircraftRecord& r : catalogue_.Records()) out.push_back(std::string(r.title));
        return out;
    }
    const std::vector<std::string>& Listed() const { return list_.Items(); }

    TempDir root_;
    AircraftCatalogue catalogue_;
    CComboBox list_;
};

// --- What one aircraft.cfg yields ------------------------------------------

TEST_F(CatalogueTest, ReadsARealWorldFileAsThePlatformDoes) {
    // Written by hand and by two tools over the years: comments, CRLF and a
    // stray LF, blanks around '=', quoted values, names in other case, a
    // repeated section (the first wins), 8-bit text and keys we do not use.
    Cfg("Beech_Baron",
        "; Beechcraft Baron 58 - repaint pack\r\n"
        "[General]\r\n"
        "atc_type=BEECH\r\n"
        "editable=1\r\n"
        "\r\n"
        "[FLTSIM.0]\r\n"
        "Title = Beech Baron 58 Paint1\r\n"
        "sim=Beech_Baron_58\r\n"
        "model=\r\n"
        "panel=\r\n"
        "texture=1\r\n"
        "kb_checklists=Beech_Baron_58_check\r\n"
        "atc_id=N58BE  ; tail number\r\n"
        "UI_Manufacturer = \"Beechcraft\"\r\n"
        "ui_type=Baron 58\r\n"
        "ui_variation=\"Paint1\"\r\n"
        "description=\"Twin piston\"\r\n"
        "\r\n"
        "[fltsim.1]\n"
        "title=Beech Baron 58 F\xF6hn \xA9\n"
        "ui_manufacturer=Beechcraft\n"
        "ui_type=Baron 58\r\n"
        "ui_variation=\xC9" "dition sp\xE9" "ciale\r\n"
        "[fltsim.0]\r\n"
        "title=Shadowed copy\r\n"
        "ui_manufacturer=Nobody\r\n"
        "ui_type=x\r\n"
        "ui_variation=y\r\n"
        "\r\n"
        "[WEIGHT_AND_BALANCE]\r\n"
        "max_gross_weight = 5500\r\n");
    Thumb("Aircraft/Beech_Baron/texture.1/thumbnail.bmp");
    Scan();
    EXPECT_EQ(Records(),
              (std::vector<Rec>{
                  {"Beech Baron 58 Paint1", "Beechcraft", "Baron 58", "Paint1",
                   "Aircraft/Beech_Baron/texture.1/thumbnail.bmp"},
                  {"Beech Baron 58 F\xF6hn \xA9", "Beechcraft", "Baron 58", "\xC9" "dition sp\xE9" "ciale", ""},
              }));
    EXPECT_EQ(Listed(), std::vector<std::string>{"Beechcraft"});
}

// One aircraft.cfg, what it yields and what it lists.
struct FileCase {
    const char* name;
    std::string cfg;
    std::vector<Rec> records;  // thumbnails all empty here
    std::vector<std::string> listed;
};

void PrintTo(const FileCase& c, std::ostream* out) { *out << c.name; }

class FileCaseTest : public CatalogueTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(FileCaseTest, YieldsTheseRecordsAndManufacturers) {
    Cfg("plane", GetParam().cfg);
    Scan();
    EXPECT_EQ(Records(), GetParam().records);
    EXPECT_EQ(Listed(), GetParam().listed);
}

const std::string kLong(120, 'L');

INSTANTIATE_TEST_SUITE_P(
    Sections, FileCaseTest,
    ::testing::Values(
        FileCase{"SectionsStopAtTheFirstGap", Section(0, "A") + Section(1, "B") + Section(3, "D", "Mooney"),
                 {{"A", "Cessna", "172", "Skyhawk", ""}, {"B", "Cessna", "172", "Skyhawk", ""}},
                 {"Cessna"}},
        FileCase{"NoTitleInSectionZeroYieldsNothing",
                 "[fltsim.0]\r\nui_manufacturer=Piper\r\nui_type=Cub\r\nui_variation=J3\r\n" + Section(1, "B"),
                 {},
                 {}},
        FileCase{"NoSectionsAtAll", "[General]\r\natc_type=CESSNA\r\n", {}, {}},
        FileCase{"MissingTypeSkipsTheSectionButListsTheManufacturer",
                 "[fltsim.0]\r\ntitle=A\r\nui_manufacturer=Piper\r\nui_variation=J3\r\n" + Section(1, "B"),
                 {{"B", "Cessna", "172", "Skyhawk", ""}},
                 {"Cessna", "Piper"}},
        FileCase{"MissingVariationSkipsTheSectionButListsTheManufacturer",
                 "[fltsim.0]\r\ntitle=A\r\nui_manufacturer=Piper\r\nui_type=Cub\r\n" + Section(1, "B"),
                 {{"B", "Cessna", "172", "Skyhawk", ""}},
                 {"Cessna", "Piper"}},
        FileCase{"MissingManufacturerSkipsTheSectionAndListsNothing",
                 "[fltsim.0]\r\ntitle=A\r\nui_type=Cub\r\nui_variation=J3\r\n" + Section(1, "B"),
                 {{"B", "Cessna", "172", "Skyhawk", ""}},
                 {"Cessna"}},
        FileCase{"EmptyValuesAreValues", Section(0, "", "", "", ""), {{"", "", "", "", ""}}, {""}},
        FileCase{"EmptyQuotedValuesAreValues", Section(0, "\"\"", "\"\"", "\"\"", "\"\""),
                 {{"", "", "", "", ""}}, {""}},
        FileCase{"UndefinedMarkerTitleEndsTheFile", Section(0, "A") + Section(1, "<UNDEFINED>") + Section(2, "C"),
                 {{"A", "Cessna", "172", "Skyhawk", ""}},
                 {"Cessna"}},
        FileCase{"UndefinedMarkerValueCountsAsMissing",
                 Section(0, "A", "Piper", "<UNDEFINED>") + Section(1, "B", "<UNDEFINED>"),
                 {},
                 {"Piper"}},
        FileCase{"MarkerInOtherCaseIsAValue", Section(0, "A", "Piper", "<undefined>"),
                 {{"A", "Piper", "<undefined>", "Skyhawk", ""}},
                 {"Piper"}},
        FileCase{"LongValuesAreCutTo98", Section(0, kLong, kLong, kLong, kLong),
                 {{kLong.substr(0, 98), kLong.substr(0, 98), kLong.substr(0, 98), kLong.substr(0, 98), ""}},
                 {kLong.substr(0, 98)}},
        FileCase{"EqualSectionsGiveTwoRecords", Section(0, "A") + Section(1, "A"),
                 {{"A", "Cessna", "172", "Skyhawk", ""}, {"A", "Cessna", "172", "Skyhawk", ""}},
                 {"Cessna"}},
        FileCase{"ManufacturerInAnotherCaseIsListedOnce",
                 Section(0, "A", "de Havilland") + Section(1, "B", "De Havilland") + Section(2, "C", "DE HAVILLAND"),
                 {{"A", "de Havilland", "172", "Skyhawk", ""},
                  {"B", "De Havilland", "172", "Skyhawk", ""},
                  {"C", "DE HAVILLAND", "172", "Skyhawk", ""}},
                 {"de Havilland"}},
        FileCase{"AccentedManufacturersDifferInCase", Section(0, "A", "\xC9toile") + Section(1, "B", "\xE9toile"),
                 {{"A", "\xC9toile", "172", "Skyhawk", ""}, {"B", "\xE9toile", "172", "Skyhawk", ""}},
                 {"\xC9toile", "\xE9toile"}}),
    [](const auto& param) { return std::string(param.param.name); });

// --- Texture folders and thumbnails ----------------------------------------

struct ThumbCase {
    const char* name;
    const char* textureLine;          // the section's texture line, or nullptr for none
    std::vector<std::string> files;   // thumbnails put below the aircraft's folder
    std::vector<std::string> folders; // folders put below it
    std::string expected;             // below the aircraft's folder, or empty
};

void PrintTo(const ThumbCase& c, std::ostream* out) { *out << c.name; }

class ThumbCaseTest : public CatalogueTest, public ::testing::WithParamInterface<ThumbCase> {};

TEST_P(ThumbCaseTest, FindsThisThumbnail) {
    const ThumbCase& c = GetParam();
    std::string cfg = "[fltsim.0]\r\ntitle=A\r\nui_manufacturer=M\r\nui_type=T\r\nui_variation=V\r\n";
    if (c.textureLine != nullptr) cfg.append(c.textureLine).append("\r\n");
    Cfg("jet", cfg);
    for (const std::string& f : c.files) Thumb("Aircraft/jet/" + f);
    for (const std::string& d : c.folders) MakeDirs(root_ / ("Aircraft/jet/" + d));
    Scan();
    ASSERT_EQ(catalogue_.Count(), 1);
    EXPECT_EQ(Records()[0].thumbnail, c.expected.empty() ? "" : "Aircraft/jet/" + c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Textures, ThumbCaseTest,
    ::testing::Values(
        ThumbCase{"EmptyValueIsFolderTexture", "texture=", {"texture/thumbnail.bmp", "texture.1/thumbnail.bmp"}, {},
                  "texture/thumbnail.bmp"},
        ThumbCase{"ValueNamesTextureDotValue", "texture=1", {"texture/thumbnail.bmp", "texture.1/thumbnail.bmp"},
                  {}, "texture.1/thumbnail.bmp"},
        ThumbCase{"QuotedValueWithBlanks", "texture = \"Air France\"", {"texture.Air France/thumbnail.bmp"}, {},
                  "texture.Air France/thumbnail.bmp"},
        ThumbCase{"NoTextureKeyMeansNoThumbnail", nullptr, {"texture/thumbnail.bmp"}, {}, ""},
        ThumbCase{"MarkerTextureMeansNoThumbnail", "texture=<UNDEFINED>", {"texture/thumbnail.bmp"}, {}, ""},
        ThumbCase{"MissingThumbnailFile", "texture=2", {"texture.1/thumbnail.bmp"}, {"texture.2"}, ""},
        ThumbCase{"MissingTextureFolder", "texture=2", {"texture/thumbnail.bmp"}, {}, ""},
        ThumbCase{"ThumbnailThatIsAFolder", "texture=", {}, {"texture/thumbnail.bmp"}, ""},
        ThumbCase{"NamesInOtherCaseOnDisk", "texture=Red", {"TEXTURE.red/Thumbnail.BMP"}, {},
                  "TEXTURE.red/Thumbnail.BMP"},
        ThumbCase{"ExactSpellingWinsOverOtherCase", "texture=1",
                  {"TEXTURE.1/thumbnail.bmp", "texture.1/thumbnail.bmp"}, {}, "texture.1/thumbnail.bmp"}),
    [](const auto& param) { return std::string(param.param.name); });

// --- The folder scan ---------------------------------------------------------

TEST_F(CatalogueTest, ReadsDotAndDotDotWithTheirNamesInThePaths) {
    File("Aircraft/aircraft.cfg", Section(0, "In the aircraft folder") + "texture=\r\n");
    Thumb("Aircraft/texture/thumbnail.bmp");
    File("aircraft.cfg", Section(0, "In the root") + "texture=1\r\n");
    Thumb("texture.1/thumbnail.bmp");
    Cfg("Zlin", Section(0, "In a folder"));
    Scan();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"In the aircraft folder", "In the root", "In a folder"}));
    EXPECT_EQ(std::string(catalogue_[0].thumbnailPath), Aircraft() + "/./texture/thumbnail.bmp");
    EXPECT_EQ(std::string(catalogue_[1].thumbnailPath), Aircraft() + "/../texture.1/thumbnail.bmp");
}

TEST_F(CatalogueTest, TriesOnlyTheFoldersDirectlyInTheAircraftFolder) {
    File("Aircraft/readme.txt", Section(0, "Not a folder"));
    File("Aircraft/notes", "");
    Cfg("Pack", "; a pack of liveries, each in its own folder\r\n");
    Cfg("Pack/Inner", Section(0, "Two levels down"));
    MakeDirs(Aircraft() + "/Empty");
    Cfg("Jet", Section(0, "Direct"));
    Cfg(".hidden", Section(0, "Hidden folder"));
    Scan();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Hidden folder", "Direct"}));
}

TEST_F(CatalogueTest, FollowsTheDirectoryOrder) {
    // Upper-cased byte order: "BEECH" < "CESSNA" < "_MOONEY" (plain byte order
    // or a lower-cased one would put them otherwise).
    Cfg("_mooney", Section(0, "mooney"));
    Cfg("Cessna", Section(0, "cessna 0") + Section(1, "cessna 1"));
    Cfg("beech", Section(0, "beech"));
    Scan();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"beech", "cessna 0", "cessna 1", "mooney"}));
}

TEST_F(CatalogueTest, FindsNamesWhateverTheirCaseOnDisk) {
    WriteFile(Root() + "/AIRCRAFT/Lear/Aircraft.CFG", Section(0, "Learjet 45") + "texture=1\r\n");
    Thumb("AIRCRAFT/Lear/TEXTURE.1/Thumbnail.BMP");
    Scan();
    EXPECT_EQ(Records(), (std::vector<Rec>{
                             {"Learjet 45", "Cessna", "172", "Skyhawk", "AIRCRAFT/Lear/TEXTURE.1/Thumbnail.BMP"}}));
}

TEST_F(CatalogueTest, FolderNamedLikeTheCfgYieldsNothing) {
    MakeDirs(Aircraft() + "/Odd/aircraft.cfg");
    Cfg("Next", Section(0, "Next"));
    Scan();
    EXPECT_EQ(Titles(), std::vector<std::string>{"Next"});
}

// Where aircraft.cfg is a link to an endless device or a pipe, that folder is
// skipped at once: nothing waits for a writer or reads without end.
TEST_F(CatalogueTest, CfgThatIsADeviceOrAPipeYieldsNothing) {
    MakeDirs(Aircraft() + "/Zero");
    std::filesystem::create_symlink("/dev/zero", Aircraft() + "/Zero/aircraft.cfg");
    MakeDirs(Aircraft() + "/Pipe");
    ASSERT_EQ(::mkfifo((Aircraft() + "/Pipe/aircraft.cfg").c_str(), 0600), 0);
    Cfg("Next", Section(0, "Next"));
    Scan();
    EXPECT_EQ(Titles(), std::vector<std::string>{"Next"});
}

TEST_F(CatalogueTest, FollowsALinkedAircraftFolder) {
    File("elsewhere/Real/aircraft.cfg", Section(0, "Linked"));
    MakeDirs(Aircraft());
    std::filesystem::create_directory_symlink(root_ / "elsewhere/Real", Aircraft() + "/Link");
    Scan();
    EXPECT_EQ(Titles(), std::vector<std::string>{"Linked"});
}

TEST_F(CatalogueTest, ManufacturersInOtherCaseAcrossFolders) {
    Cfg("a_first", Section(0, "first", "BOEING", "737", "-800"));
    Cfg("b_second", Section(0, "second", "Boeing", "737", "-800"));
    Scan();
    EXPECT_EQ(Listed(), std::vector<std::string>{"BOEING"});
    EXPECT_EQ(catalogue_.FindRecordBySelection("BOEING", "737", "-800"), 0);
    EXPECT_EQ(catalogue_.FindRecordBySelection("Boeing", "737", "-800"), 0);
}

TEST_F(CatalogueTest, ListsManufacturersInTheListsOrderAndKeepsItsItems) {
    list_.AddString("zeppelin");
    list_.AddString("Airbus");
    Cfg("one", Section(0, "a", "Cessna") + Section(1, "b", "AIRBUS") + Section(2, "c", "beech"));
    Cfg("two", Section(0, "d", "_Homebuilt") + Section(1, "e", "\xC4gypt") + Section(2, "f", "cessna"));
    Scan();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"_Homebuilt", "Airbus", "beech", "Cessna", "zeppelin", "\xC4gypt"}));
}

TEST_F(CatalogueTest, RescanAfterAFolderIsDeleted) {
    Cfg("Piper", Section(0, "Cub", "Piper"));
    Cfg("Mooney", Section(0, "M20", "Mooney"));
    Scan();
    ASSERT_EQ(Titles(), (std::vector<std::string>{"M20", "Cub"}));
    RemoveAll(Aircraft() + "/Piper");
    Scan();
    EXPECT_EQ(Titles(), std::vector<std::string>{"M20"});
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Mooney", "Piper"}));
    EXPECT_EQ(catalogue_.FindRecordBySelection("Piper", "172", "Skyhawk"), -1);
}

TEST_F(CatalogueTest, RescanAfterAFileChanged) {
    Cfg("Piper", Section(0, "Cub", "Piper"));
    Scan();
    test::ChangeFileBehindStore(Aircraft() + "/Piper/aircraft.cfg",
                                Section(0, "Super Cub", "Piper") + Section(1, "Pawnee", "Piper"));
    Scan();
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Super Cub", "Pawnee"}));
}

TEST_F(CatalogueTest, RescanAfterTheAircraftFolderIsGone) {
    Cfg("Piper", Section(0, "Cub", "Piper"));
    Scan();
    ASSERT_EQ(catalogue_.Count(), 1);
    RemoveAll(Aircraft());
    Scan();
    EXPECT_EQ(catalogue_.Count(), 0);
    EXPECT_EQ(Listed(), std::vector<std::string>{"Piper"});
}

TEST_F(CatalogueTest, AircraftFolderThatIsAFileLeavesAnEmptyCatalogue) {
    Cfg("Piper", Section(0, "Cub", "Piper"));
    Scan();
    RemoveAll(Aircraft());
    File("Aircraft", "not a folder");
    Scan();
    EXPECT_EQ(catalogue_.Count(), 0);
    EXPECT_EQ(Listed(), std::vector<std::string>{"Piper"});
}

TEST_F(CatalogueTest, KeepsEveryRecordPastTheFirstTenThousand) {
    const int sections = 10050;
    std::string cfg;
    cfg.reserve(static_cast<std::size_t>(sections) * 80);
    for (int n = 0; n < sections; ++n)
        cfg += Section(n, "Livery " + std::to_string(n), n % 2 ? "Airbus" : "Boeing", "Jet", std::to_string(n));
    Cfg("Fleet", cfg);
    Scan();
    ASSERT_EQ(catalogue_.Count(), sections);
    EXPECT_EQ(catalogue_[sections - 1].title, "Livery " + std::to_string(sections - 1));
    EXPECT_EQ(std::string(catalogue_[10000].variation), "10000");
    EXPECT_EQ(catalogue_.FindRecordByTitle("Livery 10049"), 10049);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Airbus", "Boeing"}));
}

TEST(AircraftCatalogueStorage, GrowingMovesNoText) {
    AircraftCatalogue catalogue;
    const AircraftRecord first = catalogue.Append("title 0", "maker", "model", "variation", "/t/0.bmp");
    const char* firstTitle = first.title.data();
    const char* firstPath = first.thumbnailPath.data();
    std::size_t textBytes = 0;
    for (int n = 0; n < 50000; ++n) {
        const std::string title = "title " + std::to_string(n);
        if (n > 0) catalogue.Append(title, "maker", "model", "variation", "/t/" + std::to_string(n) + ".bmp");
        textBytes += title.size() + 5 + 5 + 9 + 7 + std::to_string(n).size();
    }
    ASSERT_EQ(catalogue.Count(), 50000);
    EXPECT_EQ(catalogue[0].title.data(), firstTitle);
    EXPECT_EQ(catalogue[0].thumbnailPath.data(), firstPath);
    EXPECT_EQ(catalogue[0].title, "title 0");
    EXPECT_EQ(catalogue[49999].title, "title 49999");
    EXPECT_EQ(catalogue[49999].thumbnailPath, "/t/49999.bmp");
    EXPECT_EQ(catalogue.TextBytes(), textBytes);
    catalogue.Reset();
    EXPECT_EQ(catalogue.Count(), 0);
    EXPECT_EQ(catalogue.TextBytes(), 0u);
    EXPECT_EQ(catalogue.FindRecordByTitle("title 0"), -1);
}

TEST(AircraftCatalogueStorage, AppendCutsTextsToTheirLongest) {
    AircraftCatalogue catalogue;
    const std::string value(120, 'v');
    const std::string path(600, 'p');
    const AircraftRecord& record = catalogue.Append(value, value, value, value, path);
    for (const std::string_view text : {record.title, record.manufacturer, record.model, record.variation})
        EXPECT_EQ(text, value.substr(0, 98));
    EXPECT_EQ(record.thumbnailPath, path.substr(0, 499));
    const AircraftRecord& empty = catalogue.Append("", "", "", "", "");
    EXPECT_TRUE(empty.title.empty() && empty.thumbnailPath.empty());
    EXPECT_EQ(catalogue.FindRecordBySelection("", "", ""), 1);
}

TEST_F(CatalogueTest, DeepRootsReadWholePathsButStoreNoThumbnailThatDoesNotFit) {
    // Path texts beyond 499 characters are used whole; a thumbnail path that
    // would not fit its record is left out rather than stored cut.
    std::string deep = Root();
    while (deep.size() + 41 < 420) deep += "/" + std::string(40, 'd');
    deep += "/" + std::string(420 - deep.size() - 1, 'e');
    ASSERT_EQ(deep.size(), 420u);
    const std::string aircraft = AircraftFolderOf(deep);
    WriteFile(aircraft + "/Short/aircraft.cfg", Section(0, "fits") + "texture=\r\n");
    WriteFile(aircraft + "/Short/texture/thumbnail.bmp", test::SmallBmp(2, 2));
    const std::string longName(60, 'x');
    ASSERT_GT((aircraft + "/" + longName + "/aircraft.cfg").size(), 499u);
    WriteFile(aircraft + "/" + longName + "/aircraft.cfg", Section(0, "too long") + "texture=\r\n");
    WriteFile(aircraft + "/" + longName + "/texture/thumbnail.bmp", test::SmallBmp(2, 2));
    ScanAircraftFolder(aircraft, catalogue_, list_);
    ASSERT_EQ(catalogue_.Count(), 2);
    const std::string fitting = aircraft + "/Short/texture/thumbnail.bmp";
    ASSERT_LE(fitting.size(), 499u);
    EXPECT_EQ(std::string(catalogue_[0].title), "fits");
    EXPECT_EQ(std::string(catalogue_[0].thumbnailPath), fitting);
    EXPECT_EQ(std::string(catalogue_[1].title), "too long");
    EXPECT_EQ(std::string(catalogue_[1].thumbnailPath), "");
}

TEST_F(CatalogueTest, ReadAircraftCfgAppendsOneFolder) {
    WriteFile(Aircraft() + "/Extra/AIRCRAFT.cfg", Section(0, "extra", "Robin"));
    Cfg("Base", Section(0, "base"));
    Scan();
    ASSERT_EQ(Titles(), (std::vector<std::string>{"base", "extra"}));
    ReadAircraftCfg(Aircraft(), "Extra", catalogue_, list_);
    ReadAircraftCfg(Aircraft(), "Missing", catalogue_, list_);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"base", "extra", "extra"}));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Cessna", "Robin"}));
}

TEST(AircraftFolderOf, AppendsTheFolderName) {
    EXPECT_EQ(AircraftFolderOf("/games/FS9"), "/games/FS9/Aircraft");
    EXPECT_EQ(AircraftFolderOf("/games/FS9/"), "/games/FS9//Aircraft");
    EXPECT_EQ(AircraftFolderOf(""), "/Aircraft");
}

// --- The look-ups -----------------------------------------------------------

AircraftCatalogue MakeCatalogue(const std::vector<Rec>& records) {
    AircraftCatalogue catalogue;
    for (const Rec& r : records) catalogue.Append(r.title, r.manufacturer, r.model, r.variation, r.thumbnail);
    return catalogue;
}

struct SelectionCase {
    const char* manufacturer;
    const char* model;
    const char* variation;
    int expected;
};

TEST(FindRecordBySelection, FirstRecordEqualWithoutRegardToCase) {
    const AircraftCatalogue catalogue = MakeCatalogue({
        {"t0", "Cessna", "172", "Skyhawk", ""},
        {"t1", "Beech", "Baron", "Paint1", ""},
        {"t2", "Beech", "Baron", "Paint1", ""},
        {"t3", "beech", "baron", "paint2", ""},
        {"t4", "\xC9toile", "Caf\xE9", "", ""},
        {"t5", "", "", "", ""},
    });
    const SelectionCase cases[] = {
        {"Beech", "Baron", "Paint1", 1},     // equal records: the first
        {"BEECH", "baron", "PAINT1", 1},     // A to Z fold
        {"Beech", "Baron", "Paint2", 3},
        {"Cessna", "172", "Skyhawk", 0},
        {"\xC9toile", "CAF\xE9", "", 4},     // the accented letter must be equal
        {"\xE9toile", "Caf\xE9", "", -1},    // no fold beyond A to Z
        {"\xC9toile", "Caf\xC9", "", -1},
        {"", "", "", 5},
        {"Cessna", "172", "Skyhawk ", -1},   // every byte counts
        {"Cessna", "Skyhawk", "172", -1},    // each text against its own field
        {"Beech", "Baron", "", -1},
    };
    for (const SelectionCase& c : cases)
        EXPECT_EQ(catalogue.FindRecordBySelection(c.manufacturer, c.model, c.variation), c.expected)
            << c.manufacturer << " / " << c.model << " / " << c.variation;
}

TEST(FindRecordByTitle, FirstRecordEqualByteForByte) {
    const AircraftCatalogue catalogue = MakeCatalogue({
        {"Baron 58", "Beech", "Baron", "1", ""},
        {"Baron 58", "Beech", "Baron", "2", ""},
        {"Caf\xE9 Jet", "X", "Y", "Z", ""},
        {"", "X", "Y", "Z", ""},
    });
    EXPECT_EQ(catalogue.FindRecordByTitle("Baron 58"), 0);
    EXPECT_EQ(catalogue.FindRecordByTitle("BARON 58"), -1);
    EXPECT_EQ(catalogue.FindRecordByTitle("baron 58"), -1);
    EXPECT_EQ(catalogue.FindRecordByTitle("Baron 58 "), -1);
    EXPECT_EQ(catalogue.FindRecordByTitle("Caf\xE9 Jet"), 2);
    EXPECT_EQ(catalogue.FindRecordByTitle("Caf\xC9 Jet"), -1);
    EXPECT_EQ(catalogue.FindRecordByTitle(""), 3);
}

TEST(Lookups, EmptyCatalogueFindsNothing) {
    AircraftCatalogue catalogue = MakeCatalogue({{"", "", "", "", ""}});
    catalogue.Reset();
    EXPECT_EQ(catalogue.FindRecordBySelection("", "", ""), -1);
    EXPECT_EQ(catalogue.FindRecordByTitle(""), -1);
}

}  // namespace
}  // namespace qm
