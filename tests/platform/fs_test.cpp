#include "platform/fs.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace qm {
namespace {

using test::TempDir;
using test::WriteFile;

// Runs a block with another current directory and comes back afterwards.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::string& folder) : old_(GetCurrentDirectoryA()) {
        EXPECT_EQ(::chdir(folder.c_str()), 0) << folder;
    }
    ~ScopedChdir() { EXPECT_EQ(::chdir(old_.c_str()), 0); }
    ScopedChdir(const ScopedChdir&) = delete;
    ScopedChdir& operator=(const ScopedChdir&) = delete;

private:
    std::string old_;
};

std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    EXPECT_NE(real, nullptr) << path;
    std::string result = real ? real : "";
    std::free(real);
    return result;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    const auto entries = ListDirectory(folder);
    EXPECT_TRUE(entries.has_value()) << folder;
    if (entries)
        for (const auto& entry : *entries) names.push_back(entry.name);
    return names;
}

// ---------------------------------------------------------------------------
// Listing order

enum class Kind { File, Folder, LinkToFolder, LinkToFile, DanglingLink };

struct ListedEntry {
    const char* name;
    Kind kind;
};

// In the order the directory search must list them. Upper-case folding puts
// '_' (0x5F) and '`' (0x60) after the letters; lower-case folding would put
// them before, and would list "A_B" before "AB". Bytes from 0x80 are not folded.
const ListedEntry kListed[] = {
    {"1", Kind::File},
    {"A", Kind::File},
    {"a", Kind::Folder},
    {"AB", Kind::File},
    {"ab", Kind::File},
    {"A_B", Kind::Folder},
    {"B", Kind::File},
    {"b", Kind::File},
    {"Dangle", Kind::DanglingLink},
    {"LinkDir", Kind::LinkToFolder},
    {"LinkFile", Kind::LinkToFile},
    {"Sub", Kind::Folder},
    {"Zeta", Kind::File},
    {"_x", Kind::File},
    {"`q", Kind::File},
    {"~", Kind::File},
    {"\xC9T\xC9", Kind::File},
    {"\xE9t\xE9", Kind::Folder},
};

TEST(ListDirectoryTest, ListsDotsFirstThenByUpperCaseKeyWithTiesInByteOrder) {
    TempDir dir;
    // Made from last to first, so no order of creation can pass for the
    // listing order.
    for (auto it = std::rbegin(kListed); it != std::rend(kListed); ++it) {
        const std::string path = dir / it->name;
        switch (it->kind) {
            case Kind::File: WriteFile(path, "x"); break;
            case Kind::Folder: test::MakeDirs(path); break;
            case Kind::LinkToFolder: ASSERT_EQ(::symlink("Sub", path.c_str()), 0); break;
            case Kind::LinkToFile: ASSERT_EQ(::symlink("Zeta", path.c_str()), 0); break;
            case Kind::DanglingLink: ASSERT_EQ(::symlink("nowhere", path.c_str()), 0); break;
        }
    }

    const auto entries = ListDirectory(dir.Path());
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), std::size(kListed) + 2);
    EXPECT_EQ((*entries)[0].name, ".");
    EXPECT_TRUE((*entries)[0].isDirectory);
    EXPECT_EQ((*entries)[1].name, "..");
    EXPECT_TRUE((*entries)[1].isDirectory);
    for (std::size_t i = 0; i < std::size(kListed); ++i) {
        const DirEntry& entry = (*entries)[i + 2];
        EXPECT_EQ(entry.name, kListed[i].name) << "position " << i + 2;
        const bool folder = kListed[i].kind == Kind::Folder || kListed[i].kind == Kind::LinkToFolder;
        EXPECT_EQ(entry.isDirectory, folder) << entry.name;
    }
}

TEST(ListDirectoryTest, EmptyFolderStillListsDots) {
    TempDir dir;
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{".", ".."}));
}

TEST(ListDirectoryTest, NothingForWhatCannotBeListed) {
    TempDir dir;
    WriteFile(dir / "file", "x");
    ASSERT_EQ(::symlink("file", (dir / "linkToFile").c_str()), 0);
    for (const char* name : {"missing", "file", "linkToFile", "missing/deeper"})
        EXPECT_FALSE(ListDirectory(dir / name).has_value()) << name;
}

TEST(ListDirectoryTest, UnreadableFolderIsNotListed) {
    TempDir dir;
    test::MakeDirs(dir / "locked");
    if (!test::GiveToUnprivilegedUser(dir.Path())) GTEST_SKIP() << "no unprivileged user";
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0), 0);
    const auto listed = test::RunUnprivileged(
        [&] { return std::string(ListDirectory(dir / "locked").has_value() ? "listed" : "not listed"); });
    if (!listed) GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(*listed, "not listed");
}

TEST(ListDirectoryTest, SeparatorAtTheEndIsHarmless) {
    TempDir dir;
    WriteFile(dir / "One", "x");
    EXPECT_EQ(NamesIn(dir.Path() + "/"), (std::vector<std::string>{".", "..", "One"}));
}

// ---------------------------------------------------------------------------
// Names found whatever their case

struct FindCase {
    const char* name;
    const char* expected;  // nullptr: not found
};

// The last component of a path: the exact name first, otherwise the first of
// its case-insensitive matches in listing order; no match leaves it unchanged.
class ResolveNameNoCaseTest : public ::testing::TestWithParam<FindCase> {
protected:
    void SetUp() override {
        for (const char* folder : {"Texture", "TEXTURE", "texture.1"}) test::MakeDirs(dir_ / folder);
        for (const char* file : {"thumbnail.BMP", "caf\xE9", "Aircraft.cfg", "aircraft.CFG"})
            WriteFile(dir_ / file, "x");
    }
    TempDir dir_;
};

TEST_P(ResolveNameNoCaseTest, FindsExactNameFirstOtherwiseFirstListed) {
    const FindCase& c = GetParam();
    const std::string resolved = ResolvePathNoCase(dir_ / c.name);
    EXPECT_EQ(resolved, dir_ / (c.expected == nullptr ? c.name : c.expected)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolveNameNoCaseTest,
    ::testing::Values(
        // "TEXTURE" is listed before "Texture", but the exact name wins.
        FindCase{"Texture", "Texture"}, FindCase{"TEXTURE", "TEXTURE"},
        // No exact name: the first listed of the two.
        FindCase{"texture", "TEXTURE"}, FindCase{"tExTuRe", "TEXTURE"},
        FindCase{"aircraft.cfg", "Aircraft.cfg"}, FindCase{"AIRCRAFT.cfg", "Aircraft.cfg"},
        FindCase{"aircraft.CFG", "aircraft.CFG"}, FindCase{"TEXTURE.1", "texture.1"},
        FindCase{"Thumbnail.bmp", "thumbnail.BMP"},
        // Only A to Z fold: an 8-bit letter must match byte for byte.
        FindCase{"CAF\xE9", "caf\xE9"}, FindCase{"caf\xC9", nullptr},
        FindCase{"texture.2", nullptr}, FindCase{"textur", nullptr}));

TEST(ResolveNameNoCaseTest2, NothingInMissingFolder) {
    TempDir dir;
    EXPECT_EQ(ResolvePathNoCase(dir / "missing/x"), dir / "missing/x");
}

// ---------------------------------------------------------------------------
// Whole paths resolved whatever their case

class ResolvePathNoCaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir_ / "Aircraft/Beech_Baron/aircraft.cfg", "[fltsim.0]\r\n");
        WriteFile(dir_ / "Aircraft/Beech_Baron/Texture.1/Thumbnail.bmp", "BM");
        test::MakeDirs(dir_ / "Aircraft/Beech_Baron/texture");
    }
    TempDir dir_;
};

TEST_F(ResolvePathNoCaseTest, ResolvesComponentByComponent) {
    const struct {
        const char* spelled;
        const char* resolved;
    } cases[] = {
        {"Aircraft/Beech_Baron/Texture.1/Thumbnail.bmp", "Aircraft/Beech_Baron/Texture.1/Thumbnail.bmp"},
        {"AIRCRAFT/beech_baron/texture.1/thumbnail.bmp", "Aircraft/Beech_Baron/Texture.1/Thumbnail.bmp"},
        {"aircraft/Beech_Baron/TEXTURE/", "Aircraft/Beech_Baron/texture/"},
        // A missing component and everything after it stay as spelled.
        {"aircraft/beech_baron/texture.2/thumbnail.bmp", "Aircraft/Beech_Baron/texture.2/thumbnail.bmp"},
        {"aircraft/cessna/Texture.1", "Aircraft/cessna/Texture.1"},
        // A file cannot hold further components.
        {"aircraft/BEECH_BARON/Aircraft.cfg/x", "Aircraft/Beech_Baron/aircraft.cfg/x"},
        // ".", ".." and doubled separators are kept as they are.
        {"aircraft//./beech_baron/TEXTURE.1/thumbnail.bmp", "Aircraft//./Beech_Baron/Texture.1/Thumbnail.bmp"},
        {"aircraft/beech_baron/../BEECH_BARON/AIRCRAFT.CFG", "Aircraft/Beech_Baron/../Beech_Baron/aircraft.cfg"},
        {"aircraft/./../Aircraft/beech_baron/texture.1", "Aircraft/./../Aircraft/Beech_Baron/Texture.1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolvePathNoCase(dir_ / c.spelled), dir_ / c.resolved) << c.spelled;
}

TEST_F(ResolvePathNoCaseTest, RelativePathStaysRelative) {
    ScopedChdir inside(dir_.Path());
    EXPECT_EQ(ResolvePathNoCase("aircraft/BEECH_BARON/texture.1/THUMBNAIL.BMP"),
              "Aircraft/Beech_Baron/Texture.1/Thumbnail.bmp");
    EXPECT_EQ(ResolvePathNoCase("./AIRCRAFT/beech_baron"), "./Aircraft/Beech_Baron");
    EXPECT_EQ(ResolvePathNoCase("nothing/AIRCRAFT"), "nothing/AIRCRAFT");
}

TEST_F(ResolvePathNoCaseTest, ExactOrEmptyPathComesBackUnchanged) {
    EXPECT_EQ(ResolvePathNoCase(dir_ / "Aircraft/Beech_Baron"), dir_ / "Aircraft/Beech_Baron");
    EXPECT_EQ(ResolvePathNoCase(""), "");
    EXPECT_EQ(ResolvePathNoCase("/"), "/");
}

// ---------------------------------------------------------------------------
// Opening, reading, stamping

TEST(ReadableFilesTest, OnlyRegularFilesThatOpen) {
    TempDir dir;
    WriteFile(dir / "file.bmp", "BM");
    WriteFile(dir / "empty.bmp", "");
    test::MakeDirs(dir / "folder");
    ASSERT_EQ(::symlink("file.bmp", (dir / "linkToFile").c_str()), 0);
    ASSERT_EQ(::symlink("folder", (dir / "linkToFolder").c_str()), 0);
    ASSERT_EQ(::symlink("gone", (dir / "dangling").c_str()), 0);
    // Opening a pipe must not wait for a writer.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", (dir / "zero").c_str()), 0);

    const struct {
        const char* name;
        bool opens;
    } cases[] = {{"file.bmp", true},      {"empty.bmp", true},     {"linkToFile", true},
                 {"folder", false},       {"linkToFolder", false}, {"dangling", false},
                 {"pipe", false},         {"missing.bmp", false},  {"file.bmp/x", false},
                 {"FILE.BMP", false},     {"zero", false}};
    const ReadableFiles files;
    for (const auto& c : cases) EXPECT_EQ(files.Opens(dir / c.name), c.opens) << c.name;
}

TEST(ReadableFilesTest, UnreadableFileDoesNotOpen) {
    TempDir dir;
    WriteFile(dir / "locked", "x");
    if (!test::GiveToUnprivilegedUser(dir.Path())) GTEST_SKIP() << "no unprivileged user";
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0), 0);
    const auto opened = test::RunUnprivileged([&] {
        std::string reason;
        return std::string(ReadableFiles().Opens(dir / "locked") ? "opens" : "does not open") + "; " +
               (ReadWholeFile(dir / "locked", &reason) ? "read" : reason);
    });
    if (!opened) GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(*opened, "does not open; Permission denied");
}

// The quick answer from the permission bits must be the answer an open
// gives, for every mix of owner, group and bits: run as an unprivileged user,
// against files of its own and of the superuser's (when the tests run as the
// superuser, who can give them away).
TEST(ReadableFilesTest, PermissionBitsAnswerAsAnOpenWould) {
    TempDir dir;
    const mode_t modes[] = {0000, 0400, 0040, 0004, 0440, 0404, 0044, 0444, 0600, 0644, 0640, 0604, 0200};
    std::vector<std::string> names;
    for (const bool byRoot : {false, true}) {
        for (const mode_t mode : modes) {
            const std::string name = (byRoot ? "root-" : "own-") + std::to_string(mode);
            WriteFile(dir / name, "BM");
            names.push_back(name);
        }
    }
    if (!test::GiveToUnprivilegedUser(dir.Path())) GTEST_SKIP() << "no unprivileged user";
    for (const std::string& name : names) {
        if (::geteuid() == 0 && name.starts_with("root-")) {
            ASSERT_EQ(::chown((dir / name).c_str(), 0, 0), 0);
        }
        ASSERT_EQ(::chmod((dir / name).c_str(), static_cast<mode_t>(std::stoi(name.substr(name.find('-') + 1)))),
                  0);
    }
    const auto answers = test::RunUnprivileged([&] {
        std::string differ;
        const ReadableFiles files;
        for (const std::string& name : names) {
            const int fd = ::open((dir / name).c_str(), O_RDONLY);
            if (fd >= 0) ::close(fd);
            if (files.Opens(dir / name) != (fd >= 0)) differ += name + " ";
        }
        return differ;
    });
    if (!answers) GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(*answers, "");
}

// A read's stamp is the one of the version it read, and a file that is there
// has a stamp even when it does not read; only a missing one has none.
TEST(ReadFileWithStampTest, StampsWhatIsThere) {
    TempDir dir;
    WriteFile(dir / "cfg", "[s]\r\nk=v\r\n");
    test::MakeDirs(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("gone", (dir / "dangling").c_str()), 0);

    const FileContents read = ReadFileWithStamp(dir / "cfg");
    EXPECT_EQ(read.bytes, "[s]\r\nk=v\r\n");
    EXPECT_EQ(read.stamp, StampFile(dir / "cfg"));
    ASSERT_TRUE(read.stamp.has_value());
    EXPECT_EQ(read.stamp->size, 10);

    const struct {
        const char* name;
        bool stamped;
    } unread[] = {{"folder", true}, {"pipe", true}, {"missing", false}, {"dangling", false}, {"cfg/below", false}};
    for (const auto& c : unread) {
        const FileContents r = ReadFileWithStamp(dir / c.name);
        EXPECT_FALSE(r.bytes.has_value()) << c.name;
        EXPECT_FALSE(r.reason.empty()) << c.name;
        EXPECT_EQ(r.stamp.has_value(), c.stamped) << c.name;
        EXPECT_EQ(r.stamp, StampFile(dir / c.name)) << c.name;
    }
}

TEST(ReadWholeFileTest, ReadsEveryByte) {
    TempDir dir;
    std::string bytes = std::string("a\0b\r\n\xFF\x80", 7);
    for (int i = 0; bytes.size() < 300000; ++i) bytes.push_back(static_cast<char>(i * 7));
    WriteFile(dir / "big", bytes);
    WriteFile(dir / "empty", "");
    EXPECT_EQ(ReadWholeFile(dir / "big"), bytes);
    EXPECT_EQ(ReadWholeFile(dir / "empty"), "");
    EXPECT_FALSE(ReadWholeFile(dir / "missing").has_value());
    EXPECT_FALSE(ReadWholeFile(dir.Path()).has_value());
}

// Only regular files are read, and none larger than the bound: a link to a
// device or a pipe in the aircraft folder must neither fill the memory nor
// wait for a writer.
TEST(ReadWholeFileTest, ReadsNothingButRegularFilesWithinTheBound) {
    TempDir dir;
    WriteFile(dir / "ten", "0123456789");
    test::MakeDirs(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    for (const char* device : {"/dev/zero", "/dev/urandom", "/dev/null"})
        ASSERT_EQ(::symlink(device, (dir / (device + 5)).c_str()), 0);
    // Sparse: no disk space taken, but one byte past the bound.
    WriteFile(dir / "huge", "[s]\r\nk=v\r\n");
    ASSERT_EQ(::truncate((dir / "huge").c_str(), LargestFileRead + 1), 0);
    ASSERT_EQ(::symlink("huge", (dir / "linkToHuge").c_str()), 0);

    const std::string notRegular = "it is not a regular file";
    const std::string tooLarge = "it is larger than " + std::to_string(LargestFileRead) + " bytes";
    const struct {
        const char* name;
        std::int64_t maxBytes;
        const char* bytes;         // nullptr: not read
        std::string reason;        // why not
    } cases[] = {
        {"ten", LargestFileRead, "0123456789", ""},
        {"ten", 10, "0123456789", ""},
        {"ten", 9, nullptr, "it is larger than 9 bytes"},
        {"folder", LargestFileRead, nullptr, notRegular},
        {"pipe", LargestFileRead, nullptr, notRegular},
        {"zero", LargestFileRead, nullptr, notRegular},
        {"urandom", LargestFileRead, nullptr, notRegular},
        {"null", LargestFileRead, nullptr, notRegular},
        {"huge", LargestFileRead, nullptr, tooLarge},
        {"linkToHuge", LargestFileRead, nullptr, tooLarge},
        {"missing", LargestFileRead, nullptr, "No such file or directory"},
    };
    for (const auto& c : cases) {
        std::string reason;
        const std::optional<std::string> read = ReadWholeFile(dir / c.name, &reason, c.maxBytes);
        if (c.bytes) {
            EXPECT_EQ(read, c.bytes) << c.name << " at most " << c.maxBytes;
        } else {
            EXPECT_FALSE(read.has_value()) << c.name << " at most " << c.maxBytes;
            EXPECT_EQ(reason, c.reason) << c.name << " at most " << c.maxBytes;
        }
    }
}

TEST(GetCurrentDirectoryTest, ReturnsLongPathsWhole) {
    TempDir dir;
    std::string deep = RealPath(dir.Path());
    while (deep.size() < 700) deep += "/a_rather_long_folder_name_to_pass_the_old_limit";
    test::MakeDirs(deep);
    ScopedChdir inside(deep);
    EXPECT_EQ(GetCurrentDirectoryA(), deep);
}

TEST(StampFileTest, ChangesWithTheFile) {
    TempDir dir;
    EXPECT_FALSE(StampFile(dir / "cfg").has_value());
    WriteFile(dir / "cfg", "12345");
    const auto first = StampFile(dir / "cfg");
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->size, 5);
    EXPECT_EQ(StampFile(dir / "cfg"), first);

    WriteFile(dir / "cfg", "1234567");
    const auto grown = StampFile(dir / "cfg");
    ASSERT_TRUE(grown.has_value());
    EXPECT_EQ(grown->size, 7);
    EXPECT_NE(grown, first);

    // Replaced by another file of the same size: a new identity.
    ASSERT_TRUE(ReplaceFileAtomically(dir / "cfg", "7654321", nullptr));
    const auto replaced = StampFile(dir / "cfg");
    ASSERT_TRUE(replaced.has_value());
    EXPECT_EQ(replaced->size, 7);
    EXPECT_NE(replaced->inode, grown->inode);

    // A link is stamped as the file it points to.
    ASSERT_EQ(::symlink("cfg", (dir / "link").c_str()), 0);
    EXPECT_EQ(StampFile(dir / "link"), replaced);
}

// Another program may write the file in place, keep its size and set its
// modification time back; the change time, which no program can set, still
// tells.
TEST(StampFileTest, ChangeInPlaceWithModificationTimeSetBackIsSeen) {
    TempDir dir;
    const std::string path = dir / "cfg";
    WriteFile(path, "[s]\r\nk=1\r\n");
    const auto before = StampFile(path);
    ASSERT_TRUE(before.has_value());

    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    // The file system keeps change times in coarse ticks: change the file
    // until its change time has moved on.
    for (int tries = 0; tries < 1000; ++tries) {
        WriteFile(path, "[s]\r\nk=2\r\n");
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        const auto now = StampFile(path);
        ASSERT_TRUE(now.has_value());
        if (now->ctimeNs != before->ctimeNs) break;
        ::usleep(1000);
    }
    const auto after = StampFile(path);
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->size, before->size);
    EXPECT_EQ(after->inode, before->inode);
    EXPECT_EQ(after->mtimeNs, before->mtimeNs);
    EXPECT_NE(after, before);
}

// ---------------------------------------------------------------------------
// Atomic replace

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Sets the umask for one test and puts the old one back.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

TEST(ReplaceFileAtomicallyTest, NewFileTakesUmaskedPermissions) {
    TempDir dir;
    ScopedUmask mask(027);
    std::string reason;
    ASSERT_TRUE(ReplaceFileAtomically(dir / "Quillmarsh.cfg", "[A]\r\nk=v\r\n", &reason)) << reason;
    EXPECT_EQ(test::ReadFile(dir / "Quillmarsh.cfg"), "[A]\r\nk=v\r\n");
    EXPECT_EQ(ModeOf(dir / "Quillmarsh.cfg"), 0640u);
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{".", "..", "Quillmarsh.cfg"}));
}

TEST(ReplaceFileAtomicallyTest, ExistingFileKeepsItsPermissions) {
    TempDir dir;
    ScopedUmask mask(022);
    for (const mode_t mode : {0600u, 0664u, 0200u, 0751u, 04755u}) {
        const std::string path = dir / "cfg";
        WriteFile(path, "old contents that are longer");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        std::string reason;
        ASSERT_TRUE(ReplaceFileAtomically(path, "new", &reason)) << reason;
        EXPECT_EQ(test::ReadFile(path), "new");
        EXPECT_EQ(ModeOf(path), mode);
        ASSERT_EQ(::unlink(path.c_str()), 0);
    }
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{".", ".."}));
}

TEST(ReplaceFileAtomicallyTest, EmptyContentsGiveAnEmptyFile) {
    TempDir dir;
    WriteFile(dir / "cfg", "something");
    ASSERT_TRUE(ReplaceFileAtomically(dir / "cfg", "", nullptr));
    EXPECT_EQ(test::ReadFile(dir / "cfg"), "");
}

bool IsLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

TEST(ReplaceFileAtomicallyTest, LinkStaysALinkAndItsTargetIsReplaced) {
    TempDir dir;
    WriteFile(dir / "real/Quillmarsh.cfg", "old");
    ASSERT_EQ(::chmod((dir / "real/Quillmarsh.cfg").c_str(), 0640), 0);
    test::MakeDirs(dir / "work");
    // work/Quillmarsh.cfg -> ../chain -> real/Quillmarsh.cfg, each relative
    // to the folder its link lies in.
    ASSERT_EQ(::symlink("real/Quillmarsh.cfg", (dir / "chain").c_str()), 0);
    ASSERT_EQ(::symlink("../chain", (dir / "work/Quillmarsh.cfg").c_str()), 0);

    std::string reason;
    ASSERT_TRUE(ReplaceFileAtomically(dir / "work/Quillmarsh.cfg", "new", &reason)) << reason;
    EXPECT_TRUE(IsLink(dir / "work/Quillmarsh.cfg"));
    EXPECT_TRUE(IsLink(dir / "chain"));
    EXPECT_EQ(test::ReadFile(dir / "real/Quillmarsh.cfg"), "new");
    EXPECT_EQ(ModeOf(dir / "real/Quillmarsh.cfg"), 0640u);
    EXPECT_EQ(NamesIn(dir / "real"), (std::vector<std::string>{".", "..", "Quillmarsh.cfg"}));
    EXPECT_EQ(NamesIn(dir / "work"), (std::vector<std::string>{".", "..", "Quillmarsh.cfg"}));
}

TEST(ReplaceFileAtomicallyTest, DanglingLinkCreatesItsTarget) {
    TempDir dir;
    test::MakeDirs(dir / "real");
    ASSERT_EQ(::symlink((dir / "real/new.cfg").c_str(), (dir / "link.cfg").c_str()), 0);
    std::string reason;
    ASSERT_TRUE(ReplaceFileAtomically(dir / "link.cfg", "fresh", &reason)) << reason;
    EXPECT_TRUE(IsLink(dir / "link.cfg"));
    EXPECT_EQ(test::ReadFile(dir / "real/new.cfg"), "fresh");
}

TEST(ReplaceFileAtomicallyTest, FailureLeavesEverythingAsItWas) {
    TempDir dir;
    WriteFile(dir / "plain", "plain file");
    WriteFile(dir / "folder/inside", "kept");
    ASSERT_EQ(::symlink("loop2", (dir / "loop1").c_str()), 0);
    ASSERT_EQ(::symlink("loop1", (dir / "loop2").c_str()), 0);

    const struct {
        const char* name;
        const char* error;
    } cases[] = {
        {"missing/cfg", "No such file or directory"},
        {"plain/cfg", "Not a directory"},
        {"folder", "Is a directory"},
        {"loop1", "Too many levels of symbolic links"},
    };
    for (const auto& c : cases) {
        std::string reason;
        EXPECT_FALSE(ReplaceFileAtomically(dir / c.name, "new contents", &reason)) << c.name;
        EXPECT_NE(reason.find(c.error), std::string::npos) << c.name << ": " << reason;
        EXPECT_FALSE(ReplaceFileAtomically(dir / c.name, "new contents", nullptr)) << c.name;
    }
    EXPECT_EQ(test::ReadFile(dir / "plain"), "plain file");
    EXPECT_EQ(test::ReadFile(dir / "folder/inside"), "kept");
    EXPECT_EQ(NamesIn(dir.Path()),
              (std::vector<std::string>{".", "..", "folder", "loop1", "loop2", "plain"}));
    EXPECT_EQ(NamesIn(dir / "folder"), (std::vector<std::string>{".", "..", "inside"}));
}

TEST(ReplaceFileAtomicallyTest, ReadOnlyFolderRefusesAndKeepsTheOldFile) {
    TempDir dir;
    WriteFile(dir / "locked/cfg", "old");
    if (!test::GiveToUnprivilegedUser(dir.Path())) GTEST_SKIP() << "no unprivileged user";
    ASSERT_EQ(::chmod((dir / "locked").c_str(), 0555), 0);
    const auto refused = test::RunUnprivileged([&] {
        std::string reason;
        return ReplaceFileAtomically(dir / "locked/cfg", "new", &reason) ? std::string("replaced") : reason;
    });
    if (!refused) GTEST_SKIP() << "no unprivileged user";
    EXPECT_NE(refused->find("Permission denied"), std::string::npos) << *refused;
    EXPECT_EQ(test::ReadFile(dir / "locked/cfg"), "old");
    EXPECT_EQ(NamesIn(dir / "locked"), (std::vector<std::string>{".", "..", "cfg"}));
}

// A file without any write permission is read-only, as a file with the
// platform's read-only attribute, which is never replaced, whoever asks: the
// superuser included.
TEST(ReplaceFileAtomicallyTest, ReadOnlyFileIsRefusedAndKeptAsItIs) {
    TempDir dir;
    const std::string path = dir / "Quillmarsh.cfg";
    for (const mode_t mode : {0444u, 0400u, 0555u, 0000u}) {
        WriteFile(path, "[s]\r\nk=old\r\n");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        std::string reason;
        EXPECT_FALSE(ReplaceFileAtomically(path, "[s]\r\nk=new\r\n", &reason)) << std::oct << mode;
        EXPECT_EQ(reason, "Cannot replace " + path + ": the file is read-only");
        EXPECT_EQ(ModeOf(path), mode);
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        EXPECT_EQ(test::ReadFile(path), "[s]\r\nk=old\r\n");
        EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{".", "..", "Quillmarsh.cfg"}));
    }

    // Through a link, the file it points to decides.
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(::symlink("Quillmarsh.cfg", (dir / "link.cfg").c_str()), 0);
    EXPECT_FALSE(ReplaceFileAtomically(dir / "link.cfg", "new", nullptr));
    EXPECT_TRUE(IsLink(dir / "link.cfg"));
}

// A file of another user that this one may not write, in a folder it may
// write: renaming over it would take it from its owner.
TEST(ReplaceFileAtomicallyTest, FileThisUserMayNotWriteIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a file of another user needs the superuser";
    TempDir dir;
    if (!test::GiveToUnprivilegedUser(dir.Path())) GTEST_SKIP() << "no unprivileged user";
    WriteFile(dir / "Quillmarsh.cfg", "old");  // the superuser's
    ASSERT_EQ(::chmod((dir / "Quillmarsh.cfg").c_str(), 0644), 0);
    const auto refused = test::RunUnprivileged([&] {
        std::string reason;
        return ReplaceFileAtomically(dir / "Quillmarsh.cfg", "new", &reason) ? std::string("replaced") : reason;
    });
    if (!refused) GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(*refused, "Cannot replace " + (dir / "Quillmarsh.cfg") + ": Permission denied");
    EXPECT_EQ(test::ReadFile(dir / "Quillmarsh.cfg"), "old");
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{".", "..", "Quillmarsh.cfg"}));
}

TEST(ReplaceFileAtomicallyTest, PipeOrDeviceIsNotReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/null", (dir / "null").c_str()), 0);
    for (const char* name : {"pipe", "null"}) {
        std::string reason;
        EXPECT_FALSE(ReplaceFileAtomically(dir / name, "new", &reason)) << name;
        EXPECT_NE(reason.find("it is not a regular file"), std::string::npos) << reason;
    }
    struct stat info {};
    ASSERT_EQ(::lstat((dir / "pipe").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{".", "..", "null", "pipe"}));
}

// ---------------------------------------------------------------------------
// Temporaries of processes killed in the middle of a save

// The id of a process that has ended.
pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    return child;
}

TEST(ReplaceFileAtomicallyTest, TemporariesOfEndedProcessesAreRemovedAtTheNextSave) {
    TempDir dir;
    WriteFile(dir / "Quillmarsh.cfg", "old");
    const std::string ended = std::to_string(EndedProcess());
    const std::string running = std::to_string(::getppid());
    const std::vector<std::string> stale = {
        ".Quillmarsh.cfg.tmp-" + ended + "-0",
        ".Quillmarsh.cfg.tmp-" + ended + "-17",
        ".Quillmarsh.cfg.tmp-" + std::to_string(::getpid()) + "-3",
    };
    const std::vector<std::string> kept = {
        ".Quillmarsh.cfg.tmp-" + running + "-0",  // a save in progress elsewhere
        ".Quillmarsh.cfg.tmp-1-0",                // process 1 always runs
        ".Other.cfg.tmp-" + ended + "-0",         // another file's
        ".Quillmarsh.cfg.tmp-x" + ended + "-0",   // not a process id
        ".Quillmarsh.cfg.tmp-" + ended,           // no number after it
        "Quillmarsh.cfg.tmp-" + ended + "-0",
        "notes.txt",
    };
    for (const std::string& name : stale) WriteFile(dir / name, "left by a killed save");
    for (const std::string& name : kept) WriteFile(dir / name, "someone else's");

    std::string reason;
    ASSERT_TRUE(ReplaceFileAtomically(dir / "Quillmarsh.cfg", "new", &reason)) << reason;
    EXPECT_EQ(test::ReadFile(dir / "Quillmarsh.cfg"), "new");
    for (const std::string& name : stale) EXPECT_FALSE(test::Exists(dir / name)) << name;
    for (const std::string& name : kept) EXPECT_EQ(test::ReadFile(dir / name), "someone else's") << name;
}

// Runs `save` in a child where opening an unnamed file (O_TMPFILE) fails as on
// a kernel or file system without them; `prepare` comes first. The child's
// text, or nullopt when such a child cannot be had here.
std::optional<std::string> WithoutUnnamedFiles(const std::function<std::string()>& save,
                                               const std::function<bool()>& prepare = {}) {
    const auto refuseUnnamedFiles = [prepare] {
        if (prepare && !prepare()) return false;
        // Little-endian: the low half of the flags comes first.
        constexpr std::uint32_t flagsLow =
            offsetof(seccomp_data, args[2]) + (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? 4 : 0);
        sock_filter program[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, flagsLow),
            BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, __O_TMPFILE & ~O_DIRECTORY, 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        };
        const sock_fprog filter = {static_cast<unsigned short>(std::size(program)), program};
        return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
               ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
    };
    return test::RunUnprivileged(
        [&] {
            if (::open(".", O_TMPFILE | O_WRONLY, 0600) >= 0) return std::string("unnamed files still open");
            return save();
        },
        refuseUnnamedFiles);
}

// Without unnamed files the save writes a named temporary and renames it, the
// same as ever: the old file's permissions kept, nothing left beside it, and
// the temporaries of ended processes removed.
TEST(ReplaceFileAtomicallyTest, WithoutUnnamedFilesANamedTemporaryServes) {
    TempDir dir;
    WriteFile(dir / "Quillmarsh.cfg", "old");
    ASSERT_EQ(::chmod((dir / "Quillmarsh.cfg").c_str(), 0640), 0);
    WriteFile(dir / (".Quillmarsh.cfg.tmp-" + std::to_string(EndedProcess()) + "-0"), "left by a killed save");
    WriteFile(dir / "other/Quillmarsh.cfg", "old");
    if (!test::GiveToUnprivilegedUser(dir.Path())) GTEST_SKIP() << "no unprivileged user";
    const auto saved = WithoutUnnamedFiles([&] {
        std::string reason;
        std::string result = ReplaceFileAtomically(dir / "Quillmarsh.cfg", "new", &reason) ? "replaced" : reason;
        // A failure leaves nothing either.
        ::chmod((dir / "other").c_str(), 0555);
        result += ReplaceFileAtomically(dir / "other/Quillmarsh.cfg", "new", &reason) ? "; replaced" : "; " + reason;
        return result;
    });
    if (!saved) GTEST_SKIP() << "cannot refuse unnamed files here";
    EXPECT_EQ(*saved, "replaced; Cannot create a file in " + (dir / "other") + ": Permission denied");
    EXPECT_EQ(test::ReadFile(dir / "Quillmarsh.cfg"), "new");
    EXPECT_EQ(ModeOf(dir / "Quillmarsh.cfg"), 0640u);
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{".", "..", "other", "Quillmarsh.cfg"}));
    EXPECT_EQ(test::ReadFile(dir / "other/Quillmarsh.cfg"), "old");
    EXPECT_EQ(NamesIn(dir / "other"), (std::vector<std::string>{".", "..", "Quillmarsh.cfg"}));
}

// Without /proc, an unnamed temporary is named through its descriptor where
// the kernel allows it, or a named one serves: the save works the same.
TEST(ReplaceFileAtomicallyTest, WithoutProcTheSaveWorksTheSame) {
    if (::geteuid() != 0) GTEST_SKIP() << "hiding /proc needs the superuser";
    TempDir dir;
    WriteFile(dir / "Quillmarsh.cfg", "old");
    ASSERT_EQ(::chmod((dir / "Quillmarsh.cfg").c_str(), 0640), 0);
    WriteFile(dir / (".Quillmarsh.cfg.tmp-" + std::to_string(EndedProcess()) + "-0"), "left by a killed save");
    if (!test::GiveToUnprivilegedUser(dir.Path())) GTEST_SKIP() << "no unprivileged user";
    const auto hideProc = [] {
        return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::umount2("/proc", MNT_DETACH) == 0;
    };
    const auto saved = test::RunUnprivileged(
        [&] {
            std::string reason;
            if (::access("/proc/self/fd", F_OK) == 0) return std::string("/proc is still there");
            return ReplaceFileAtomically(dir / "Quillmarsh.cfg", "new", &reason) ? std::string("replaced") : reason;
        },
        hideProc);
    if (!saved) GTEST_SKIP() << "cannot hide /proc here";
    EXPECT_EQ(*saved, "replaced");
    EXPECT_EQ(test::ReadFile(dir / "Quillmarsh.cfg"), "new");
    EXPECT_EQ(ModeOf(dir / "Quillmarsh.cfg"), 0640u);
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{".", "..", "Quillmarsh.cfg"}));
}

// Saves killed at random moments: the file is always one whole version, and
// the next save leaves nothing but the file.
TEST(ReplaceFileAtomicallyTest, SavesKilledAtAnyMomentLeaveAWholeFileAndTheNextSaveCleansUp) {
    TempDir dir;
    const std::string path = dir / "Quillmarsh.cfg";
    std::vector<std::string> versions;
    for (const char letter : {'a', 'b', 'c'}) versions.push_back(std::string(200000, letter));
    WriteFile(path, versions[0]);

    for (int round = 0; round < 20; ++round) {
        const pid_t saver = ::fork();
        ASSERT_GE(saver, 0);
        if (saver == 0) {
            for (std::size_t i = 0;; ++i) ReplaceFileAtomically(path, versions[i % versions.size()], nullptr);
        }
        ::usleep(static_cast<useconds_t>(500 + round * 397 % 5000));
        ASSERT_EQ(::kill(saver, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(saver, &status, 0), saver);
        const std::string now = test::ReadFile(path);
        EXPECT_NE(std::find(versions.begin(), versions.end(), now), versions.end())
            << "round " << round << ": " << now.size() << " bytes";
    }
    std::string reason;
    ASSERT_TRUE(ReplaceFileAtomically(path, "last", &reason)) << reason;
    EXPECT_EQ(NamesIn(dir.Path()), (std::vector<std::string>{".", "..", "Quillmarsh.cfg"}));
}

}  // namespace
}  // namespace qm
