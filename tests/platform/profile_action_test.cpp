// User actions, saving and the files on disk: when writes reach the disk,
// what a failed save leaves, changes made by other programs, links,
// permissions and paths whose case differs from the disk.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "profile_test_util.h"
#include "support/unprivileged.h"

namespace qm::test {
namespace {

namespace fs = std::filesystem;

ino_t InodeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_ino;
}

using ProfileActionTest = ProfileTest;

TEST_F(ProfileActionTest, WritesReachDiskWhenActionEnds) {
    WriteFile(path_, "[Airliners]\r\naircraft0.title=A\r\n");
    ProfileAction action;
    WritePrivateProfileStringA("Airliners", "aircraft0.title", "B", path_);
    WritePrivateProfileStringA("Airliners", "aircraft1.title", "C", path_);
    WritePrivateProfileStringA("GA", "aircraft0.title", "D", path_);
    EXPECT_EQ(ReadFile(path_), "[Airliners]\r\naircraft0.title=A\r\n");
    // Reads inside the action see the writes.
    EXPECT_EQ(Get("airliners", "aircraft0.title"), "B");
    EXPECT_EQ(GetPrivateProfileSectionNamesA(path_), (std::vector<std::string>{"Airliners", "GA"}));
    EXPECT_TRUE(action.End().empty());
    EXPECT_EQ(ReadFile(path_), "[Airliners]\r\naircraft0.title=B\r\naircraft1.title=C\r\n[GA]\r\naircraft0.title=D\r\n");
    EXPECT_TRUE(action.End().empty());  // ends once
}

TEST_F(ProfileActionTest, OnlyOutermostActionSaves) {
    ProfileAction outer;
    {
        ProfileAction inner;
        WritePrivateProfileStringA("s", "k", "1", path_);
        EXPECT_TRUE(inner.End().empty());
    }
    EXPECT_FALSE(Exists(path_));
    EXPECT_EQ(Get("s", "k"), "1");
    EXPECT_TRUE(outer.End().empty());
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=1\r\n");
}

TEST_F(ProfileActionTest, DestructorSavesWithoutEnd) {
    { ProfileAction action; WritePrivateProfileStringA("s", "k", "1", path_); }
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=1\r\n");
}

TEST_F(ProfileActionTest, WriteOutsideActionSavedAtOnce) {
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "1", path_));
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=1\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", std::nullopt, path_));
    EXPECT_EQ(ReadFile(path_), "[s]\r\n");
}

TEST_F(ProfileActionTest, ActionWithoutChangeTouchesNoFile) {
    WriteFile(path_, "[s]\r\nk = v\r\n");
    const ino_t before = InodeOf(path_);
    {
        ProfileAction action;
        EXPECT_EQ(Get("s", "k"), "v");
        WritePrivateProfileStringA("s", "k", "v", path_);          // the value it has
        WritePrivateProfileStringA("s", "j", std::nullopt, path_);  // no such key
        WritePrivateProfileStringA("t", std::nullopt, std::nullopt, path_);
        EXPECT_TRUE(action.End().empty());
    }
    EXPECT_EQ(InodeOf(path_), before);  // not replaced
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk = v\r\n");
}

TEST_F(ProfileActionTest, ChangeUndoneInActionStillSavesNothingNew) {
    // A file created and emptied again inside one action is not created.
    {
        ProfileAction action;
        WritePrivateProfileStringA("s", "k", "1", path_);
        WritePrivateProfileStringA("s", std::nullopt, std::nullopt, path_);
        EXPECT_TRUE(action.End().empty());
    }
    EXPECT_FALSE(Exists(path_));
}

TEST_F(ProfileActionTest, MissingFolderFailsFirstWrite) {
    const std::string path = dir_ / "NoSuchFolder/Quillmarsh.cfg";
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", path));
    EXPECT_FALSE(Exists(dir_ / "NoSuchFolder"));
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", UndefinedMarker, 99, path), UndefinedMarker);

    ProfileAction action;
    WritePrivateProfileStringA("s", "k", "1", path);
    const std::vector<SaveFailure> failures = action.End();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, path);
    EXPECT_FALSE(failures[0].reason.empty());
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", UndefinedMarker, 99, path), UndefinedMarker);
}

// The save cannot happen because the folder has been replaced by a file;
// once the folder is back, the old file is there untouched, and the store
// shows what it holds, not the dropped change.
TEST_F(ProfileActionTest, FailedSaveLeavesFileAndDropsChange) {
    const std::string folder = dir_ / "Trevolan";
    const std::string path = folder + "/Quillmarsh.cfg";
    const std::string old = "[Airliners]\r\naircraft0.title=Old\r\n";
    WriteFile(path, old);
    WriteFile(dir_ / "other.cfg", "[s]\r\nk=1\r\n");

    ProfileAction action;
    EXPECT_EQ(GetPrivateProfileStringA("Airliners", "aircraft0.title", UndefinedMarker, 99, path), "Old");
    WritePrivateProfileStringA("Airliners", "aircraft0.title", "New", path);
    WritePrivateProfileStringA("s", "k", "2", dir_ / "other.cfg");
    fs::rename(folder, dir_ / "away");
    WriteFile(folder, "a file where the folder was");
    const std::vector<SaveFailure> failures = action.End();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, path);
    EXPECT_FALSE(failures[0].reason.empty());
    // The other file of the action was saved.
    EXPECT_EQ(ReadFile(dir_ / "other.cfg"), "[s]\r\nk=2\r\n");

    fs::remove(folder);
    fs::rename(dir_ / "away", folder);
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(GetPrivateProfileStringA("Airliners", "aircraft0.title", UndefinedMarker, 99, path), "Old");
    EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "Quillmarsh.cfg");  // no temporary left
}

TEST_F(ProfileActionTest, FailedWriteOutsideActionReturnsFalse) {
    const std::string folder = dir_ / "Trevolan";
    const std::string path = folder + "/Quillmarsh.cfg";
    WriteFile(path, "[s]\r\nk=1\r\n");
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", UndefinedMarker, 99, path), "1");
    fs::remove_all(folder);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "2", path));
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", UndefinedMarker, 99, path), UndefinedMarker);
}

TEST_F(ProfileActionTest, WriteToFolderPathFails) {
    MakeDirs(path_);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", path_));
    EXPECT_TRUE(fs::is_directory(path_));
}

// What is at the path is not a regular file of a size a profile can have:
// it reads as empty at once, and no write replaces it; the failure is told.
TEST_F(ProfileActionTest, NothingButRegularFilesWithinTheBoundIsReadOrReplaced) {
    ASSERT_EQ(::symlink("/dev/zero", (dir_ / "zero.cfg").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir_ / "pipe.cfg").c_str(), 0600), 0);
    MakeDirs(dir_ / "folder.cfg");
    // Sparse: takes no disk space, one byte larger than any file read.
    WriteFile(dir_ / "huge.cfg", "[s]\r\nk=v\r\n");
    ASSERT_EQ(::truncate((dir_ / "huge.cfg").c_str(), LargestFileRead + 1), 0);

    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"zero.cfg", "the file exists but cannot be read: it is not a regular file"},
        {"pipe.cfg", "the file exists but cannot be read: it is not a regular file"},
        {"folder.cfg", "the file exists but cannot be read: it is not a regular file"},
        {"huge.cfg", "the file exists but cannot be read: it is larger than 67108864 bytes"},
    };
    for (const auto& c : cases) {
        const std::string path = dir_ / c.name;
        EXPECT_EQ(GetPrivateProfileStringA("fltsim.0", "title", UndefinedMarker, 99, path), UndefinedMarker);
        EXPECT_TRUE(GetPrivateProfileSectionNamesA(path).empty()) << c.name;
        EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", path)) << c.name;

        ProfileAction action;
        WritePrivateProfileStringA("s", "k", "new", path);
        WritePrivateProfileStringA("s", "j", std::nullopt, path);
        const std::vector<SaveFailure> failures = action.End();
        ASSERT_EQ(failures.size(), 1u) << c.name;
        EXPECT_EQ(failures[0].path, path);
        EXPECT_EQ(failures[0].reason, c.reason);
    }
    EXPECT_EQ(fs::read_symlink(dir_ / "zero.cfg"), "/dev/zero");
    EXPECT_TRUE(fs::is_fifo(dir_ / "pipe.cfg"));
    EXPECT_TRUE(fs::is_empty(dir_ / "folder.cfg"));
    EXPECT_EQ(fs::file_size(dir_ / "huge.cfg"), static_cast<std::uintmax_t>(LargestFileRead) + 1);
    std::string start(10, '\0');
    std::ifstream(dir_ / "huge.cfg", std::ios::binary).read(start.data(), 10);
    EXPECT_EQ(start, "[s]\r\nk=v\r\n");
}

// A category file the user made read-only stays as it is, whoever runs the
// program: the save fails and says so, and the store shows the file.
TEST_F(ProfileActionTest, ReadOnlyFileIsNotReplaced) {
    WriteFile(path_, "[s]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
    EXPECT_EQ(Get("s", "k"), "1");
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "2", path_));

    ProfileAction action;
    WritePrivateProfileStringA("s", "k", "3", path_);
    const std::vector<SaveFailure> failures = action.End();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].reason, "Cannot replace " + path_ + ": the file is read-only");

    struct stat info {};
    ASSERT_EQ(::stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=1\r\n");
    EXPECT_EQ(Get("s", "k"), "1");
    EXPECT_EQ(fs::directory_iterator(dir_.Path())->path().filename(), "Quillmarsh.cfg");  // no temporary left
}

// A file there that this user may not read is never replaced by what the
// store would make of nothing.
TEST_F(ProfileActionTest, UnreadableFileIsNotReplaced) {
    WriteFile(path_, "[s]\r\nk=1\r\n");
    if (!GiveToUnprivilegedUser(dir_.Path())) GTEST_SKIP() << "no unprivileged user";
    ASSERT_EQ(::chmod(path_.c_str(), 0200), 0);
    const auto result = RunUnprivileged([&] {
        std::string seen = Get("s", "k");
        ProfileAction action;
        WritePrivateProfileStringA("s", "k", "2", path_);
        for (const SaveFailure& failure : action.End()) seen += "; " + failure.reason;
        return seen;
    });
    if (!result) GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(*result, std::string(UndefinedMarker) + "; the file exists but cannot be read: Permission denied");
    ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=1\r\n");
}

TEST_F(ProfileActionTest, ChangesOnDiskNoticedBetweenActions) {
    WriteFile(path_, "[s]\r\nk=1\r\n");
    EXPECT_EQ(Get("s", "k"), "1");

    WriteFile(path_, "[s]\r\nk=22\r\n");  // other size
    EXPECT_EQ(Get("s", "k"), "22");

    // Same size, new file renamed over the old one (as editors save).
    WriteFile(dir_ / "tmp", "[s]\r\nk=33\r\n");
    fs::rename(dir_ / "tmp", path_);
    EXPECT_EQ(Get("s", "k"), "33");

    // Same size, same file, only the modification time tells.
    const auto time = fs::last_write_time(path_);
    WriteFile(path_, "[s]\r\nk=44\r\n");
    fs::last_write_time(path_, time + std::chrono::seconds(5));
    EXPECT_EQ(Get("s", "k"), "44");

    fs::remove(path_);
    EXPECT_EQ(Get("s", "k"), UndefinedMarker);
    EXPECT_TRUE(GetPrivateProfileSectionNamesA(path_).empty());
}

// Another program writes the file in place with the same size and sets its
// modification time back: the change is still seen, and not overwritten.
TEST_F(ProfileActionTest, ChangeKeepingSizeInodeAndModificationTimeIsNoticed) {
    WriteFile(path_, "[s]\r\nk=1\r\n");
    EXPECT_EQ(Get("s", "k"), "1");
    struct stat before {};
    ASSERT_EQ(::stat(path_.c_str(), &before), 0);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    // Change times move in coarse ticks: write until it has moved.
    struct stat after {};
    for (int tries = 0; tries < 1000; ++tries) {
        WriteFile(path_, "[s]\r\nk=2\r\n");
        ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
        ASSERT_EQ(::stat(path_.c_str(), &after), 0);
        if (after.st_ctim.tv_sec != before.st_ctim.tv_sec || after.st_ctim.tv_nsec != before.st_ctim.tv_nsec) break;
        ::usleep(1000);
    }
    ASSERT_EQ(after.st_ino, before.st_ino);
    ASSERT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

    EXPECT_EQ(Get("s", "k"), "2");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "j", "3", path_));
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=2\r\nj=3\r\n");
}

TEST_F(ProfileActionTest, FileReadOncePerAction) {
    WriteFile(path_, "[s]\r\nk=1\r\n");
    ProfileAction action;
    EXPECT_EQ(Get("s", "k"), "1");
    WriteFile(path_, "[s]\r\nk=22\r\n");
    EXPECT_EQ(Get("s", "k"), "1");  // the action works on what it read
    action.End();
    EXPECT_EQ(Get("s", "k"), "22");
}

TEST_F(ProfileActionTest, WriteAfterChangeOnDiskEditsNewContent) {
    WriteFile(path_, "[s]\r\nk=1\r\n");
    EXPECT_EQ(Get("s", "k"), "1");
    WriteFile(path_, "[s]\r\nk=1\r\nadded=elsewhere\r\n");
    WritePrivateProfileStringA("s", "k", "2", path_);
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=2\r\nadded=elsewhere\r\n");
}

TEST_F(ProfileActionTest, ForgetKeepsUnsavedChanges) {
    ProfileAction action;
    WritePrivateProfileStringA("s", "k", "1", path_);
    ForgetCachedProfiles();
    EXPECT_EQ(Get("s", "k"), "1");
    EXPECT_TRUE(action.End().empty());
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=1\r\n");
}

// Reading many other files in one action evicts clean files only: the
// unsaved change to the first file survives and is saved at the end.
TEST_F(ProfileActionTest, UnsavedChangesSurviveManyOtherFiles) {
    WriteFile(path_, "[s]\r\nk=1\r\n");
    ProfileAction action;
    WritePrivateProfileStringA("s", "k", "2", path_);
    for (int i = 0; i < 100; ++i) {
        const std::string other = dir_ / ("Aircraft/plane" + std::to_string(i) + "/aircraft.cfg");
        WriteFile(other, "[fltsim.0]\r\ntitle=Plane " + std::to_string(i) + "\r\n");
        EXPECT_EQ(GetPrivateProfileStringA("fltsim.0", "title", UndefinedMarker, 99, other),
                  "Plane " + std::to_string(i));
    }
    EXPECT_EQ(Get("s", "k"), "2");
    EXPECT_TRUE(action.End().empty());
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=2\r\n");
}

TEST_F(ProfileActionTest, SymbolicLinkTargetReplaced) {
    const std::string target = dir_ / "real/Quillmarsh.cfg";
    WriteFile(target, "[s]\r\nk=1\r\n");
    fs::create_symlink(target, path_);
    EXPECT_EQ(Get("s", "k"), "1");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "2", path_));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(ReadFile(target), "[s]\r\nk=2\r\n");
    EXPECT_EQ(Get("s", "k"), "2");
}

TEST_F(ProfileActionTest, PermissionsKept) {
    WriteFile(path_, "[s]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "2", path_));
    struct stat info {};
    ASSERT_EQ(::stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=2\r\n");
}

TEST_F(ProfileActionTest, PathsFoundWhateverTheirCase) {
    WriteFile(dir_ / "Sim/Trevolan/Brindlecotharbor/Quillmarsh.cfg", "[s]\r\nk=1\r\n");
    const std::string asGiven = dir_ / "sim/TREVOLAN/brindlecotharbor/quillmarsh.CFG";
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", UndefinedMarker, 99, asGiven), "1");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "2", asGiven));
    EXPECT_EQ(ReadFile(dir_ / "Sim/Trevolan/Brindlecotharbor/Quillmarsh.cfg"), "[s]\r\nk=2\r\n");
    EXPECT_FALSE(Exists(asGiven));

    // A new file is made in the folder found, under the name as given.
    const std::string added = dir_ / "SIM/trevolan/Added.cfg";
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "3", added));
    EXPECT_EQ(ReadFile(dir_ / "Sim/Trevolan/Added.cfg"), "[s]\r\nk=3\r\n");
}

TEST_F(ProfileActionTest, DoubledSeparatorIsTheSameFile) {
    const std::string doubled = dir_.Path() + "//Quillmarsh.cfg";
    ProfileAction action;
    WritePrivateProfileStringA("s", "k", "1", doubled);
    EXPECT_EQ(Get("s", "k"), "1");
    WritePrivateProfileStringA("s", "j", "2", path_);
    EXPECT_TRUE(action.End().empty());
    EXPECT_EQ(ReadFile(path_), "[s]\r\nk=1\r\nj=2\r\n");
}

TEST_F(ProfileActionTest, NewFileFoundUnderOtherCaseInSameAction) {
    ProfileAction action;
    WritePrivateProfileStringA("s", "k", "1", dir_ / "New.cfg");
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", UndefinedMarker, 99, dir_ / "NEW.CFG"), "1");
    WritePrivateProfileStringA("s", "j", "2", dir_ / "new.cfg");
    EXPECT_TRUE(action.End().empty());
    EXPECT_EQ(ReadFile(dir_ / "New.cfg"), "[s]\r\nk=1\r\nj=2\r\n");
    EXPECT_FALSE(Exists(dir_ / "new.cfg"));
}

// Removing entry 0 of a category moves every later entry down one number:
// thousands of reads and writes in one action, saved once.
TEST_F(ProfileActionTest, ShiftingEntriesInOneAction) {
    const int count = 300;
    const auto entryText = [](int n, std::string_view field) {
        return "Plane " + std::to_string(n) + " " + std::string(field);
    };
    std::string file = "[GA]\r\naircraft0.title=Cub\r\n[Airliners]\r\n";
    for (int i = 0; i < count; ++i)
        for (const char* field : {"title", "thumbnail", "displayName"})
            file += "aircraft" + std::to_string(i) + "." + field + "=" + entryText(i, field) + "\r\n";
    file += "\r\n[Helicopters]\r\n";
    WriteFile(path_, file);

    {
        ProfileAction action;
        for (int i = 0; i + 1 < count; ++i)
            for (const char* field : {"title", "thumbnail", "displayName"}) {
                const std::string next =
                    GetPrivateProfileStringA("Airliners", NumberedKey("aircraft", i + 1, std::string(".") + field),
                                             UndefinedMarker, 499, path_);
                WritePrivateProfileStringA("Airliners", NumberedKey("aircraft", i, std::string(".") + field), next,
                                           path_);
            }
        for (const char* field : {"title", "thumbnail", "displayName"})
            WritePrivateProfileStringA("Airliners", NumberedKey("aircraft", count - 1, std::string(".") + field),
                                       std::nullopt, path_);
        EXPECT_TRUE(action.End().empty());
    }
    std::string expected = "[GA]\r\naircraft0.title=Cub\r\n[Airliners]\r\n";
    for (int i = 0; i + 1 < count; ++i)
        for (const char* field : {"title", "thumbnail", "displayName"})
            expected += "aircraft" + std::to_string(i) + "." + field + "=" + entryText(i + 1, field) + "\r\n";
    expected += "\r\n[Helicopters]\r\n";
    EXPECT_EQ(ReadFile(path_), expected);
}

}  // namespace
}  // namespace qm::test
