// How the changes of one user action reach the category file: together, in
// one atomic replace, and when that fails, not at all and with a message.
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/text.h"
#include "ui/editing_fixture.h"

namespace qm::test {
namespace {

std::vector<std::string> Fleet() {
    std::vector<std::string> lines{"[Fleet]"};
    for (int n = 0; n < 12; ++n) {
        const auto entry = EntryLines(n, "T" + std::to_string(n), "/t/" + std::to_string(n) + ".bmp",
                                      "Name " + std::to_string(n));
        lines.insert(lines.end(), entry.begin(), entry.end());
    }
    lines.push_back("[Other]");
    const auto other = EntryLines(0, "Cessna Skyhawk Red", "", "Red");
    lines.insert(lines.end(), other.begin(), other.end());
    return lines;
}

// The user actions that write the Fleet file, by name.
const char* const kActions[] = {"Add", "Remove", "Update", "Delete", "NewCategory"};

class SaveTest : public EditingTest {
protected:
    // Sets the window up for the action `which` (outside the action) and
    // returns the button that runs it.
    int Prepare(const std::string& which) {
        SelectAircraft(kRed);
        TypeName("Red");
        if (which == "Add") return IDC_ADD;
        if (which == "Remove") {
            SelectLine("Name 0");  // 11 entries move, 33 keys are written
            return IDC_REMOVE;
        }
        if (which == "Update") {
            SelectCategory("Other");
            SelectLine("Red");
            TypeName("Red Again");
            return IDC_UPDATE;
        }
        if (which == "Delete") {
            Host().AnswerNextBox(IDOK);
            return IDC_DELETE_CATEGORY;
        }
        Host().OnNextModal([](CDialog& d) {
            TypeText(d, IDC_NEW_CATEGORY_NAME, "Gliders");
            ClickButton(d, IDOK);
        });
        return IDC_ADD_IN_NEW;
    }
};

// Watches the companion folder for what happens to the category file.
class FolderWatch {
public:
    explicit FolderWatch(const std::string& folder) : fd_(::inotify_init1(IN_NONBLOCK)) {
        EXPECT_GE(fd_, 0);
        EXPECT_GE(::inotify_add_watch(fd_, folder.c_str(), IN_MODIFY | IN_MOVED_TO | IN_CREATE | IN_DELETE), 0);
    }
    ~FolderWatch() { ::close(fd_); }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    struct Seen {
        int replaced = 0;  // renamed over
        int modified = 0;  // written in place
        int other = 0;     // created or deleted under its own name
    };
    Seen Of(const std::string& name) {
        Seen seen;
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got <= 0) break;
            for (char* p = buffer; p < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                p += sizeof(inotify_event) + event->len;
                if (event->len == 0 || name != event->name) continue;
                if (event->mask & IN_MOVED_TO) ++seen.replaced;
                if (event->mask & IN_MODIFY) ++seen.modified;
                if (event->mask & (IN_CREATE | IN_DELETE)) ++seen.other;
            }
        }
        return seen;
    }

private:
    int fd_;
};

class OneReplaceTest : public SaveTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(OneReplaceTest, TheActionReachesTheDiskInOneAtomicReplace) {
    Open(Fleet());
    const int button = Prepare(GetParam());
    const std::string before = File();
    FolderWatch watch(sim_.Companion());

    Click(button);

    const FolderWatch::Seen seen = watch.Of("Quillmarsh.cfg");
    EXPECT_NE(File(), before);
    EXPECT_EQ(seen.replaced, 1);
    EXPECT_EQ(seen.modified, 0);
    EXPECT_EQ(seen.other, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sim_.Companion()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left";
    EXPECT_TRUE(Boxes().empty() || (Boxes().size() == 1 && Boxes()[0].caption == "Confirmation"));
}

INSTANTIATE_TEST_SUITE_P(Actions, OneReplaceTest, ::testing::ValuesIn(kActions));

// While it lives, files this process writes cannot grow beyond `bytes`: a
// limit the super-user is held to as well. Writes beyond it fail (EFBIG)
// instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &previous_), 0);
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    sighandler_t previousHandler_ = SIG_DFL;
};

class FailedSaveTest : public SaveTest, public ::testing::WithParamInterface<const char*> {
protected:
    void ExpectSaveFailureBox() {
        ASSERT_FALSE(Boxes().empty());
        const ScriptedHost::Box& box = Boxes().back();
        const std::string head = "Could not save the category file\n" + Dlg().GetCategoryFilePath() + "\n";
        EXPECT_EQ(box.text.substr(0, head.size()), head) << box.text;
        EXPECT_GT(box.text.size(), head.size()) << "a reason follows the path";
        EXPECT_EQ(box.caption, "Error");
        EXPECT_EQ(box.type, MB_ICONEXCLAMATION);
    }
    // Only the category file is in the companion folder: no temporary file is left.
    void ExpectNoLeftovers() {
        for (const auto& entry : std::filesystem::directory_iterator(sim_.Companion()))
            EXPECT_EQ(entry.path().filename(), "Quillmarsh.cfg");
    }
    // Runs the action `which` with the file unable to grow beyond 64 bytes.
    void FailAction(const std::string& which) {
        const int button = Prepare(which);
        FileSizeLimit limit(64);
        Click(button);
    }
};

TEST_P(FailedSaveTest, IsReportedAndLeavesTheFileAsItWas) {
    Open(Fleet());
    EXPECT_EQ(Dlg().GetCategoryFilePath(), sim_.CategoryFile());
    const std::string before = File();

    FailAction(GetParam());

    ExpectSaveFailureBox();
    EXPECT_EQ(File(), before);
    ExpectNoLeftovers();

    // The store forgot the change it could not save: what it reads now is
    // the file as it is.
    const std::string& path = Dlg().GetCategoryFilePath();
    EXPECT_EQ(GetPrivateProfileSectionNamesA(path), (Items{"Fleet", "Other"}));
    EXPECT_EQ(CountCategoryEntries(path, "Fleet"), 12);
    EXPECT_EQ(FindEntryByDisplayName(path, "Other", "Red"), 0);
    EXPECT_EQ(FindEntryByDisplayName(path, "Gliders", "Red"), -1);

    // And the next action that saves starts from it.
    SelectCategory("Other");
    SelectAircraft(kBlue);
    TypeName("Blue");
    Click(IDC_ADD);
    EXPECT_EQ(File(), before + CrlfLines(EntryLines(1, "Cessna Skyhawk Blue", "", "Blue")));
}

// The lists show what the file holds, also when the action's change could
// not be saved.
TEST_P(FailedSaveTest, TheListsFollowTheFileAfterwards) {
    Open(Fleet());

    FailAction(GetParam());

    ASSERT_FALSE(Boxes().empty());
    EXPECT_EQ(Categories(), (Items{"Fleet", "Other"}));
    Items names;
    for (const CategoryEntry& entry : ReadCategoryEntries(Dlg().GetCategoryFilePath(), SelectedCategory()))
        names.push_back(entry.displayName);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    EXPECT_EQ(Lines(), names) << "category " << SelectedCategory();
}

INSTANTIATE_TEST_SUITE_P(Actions, FailedSaveTest, ::testing::ValuesIn(kActions));

using SaveFailureTest = SaveTest;

// A folder in place of the file: it reads as no file, and cannot be replaced.
TEST_F(SaveFailureTest, ACategoryFileThatIsAFolderIsReported) {
    MakeDirs(sim_.CategoryFile());
    WriteFile(sim_.CategoryFile() + "/inside", "kept");
    OpenWindow();
    ASSERT_TRUE(Categories().empty());
    const int button = Prepare("NewCategory");

    Click(button);

    ASSERT_EQ(Boxes().size(), 1u) << ::testing::PrintToString(Boxes());
    const std::string head = "Could not save the category file\n" + Dlg().GetCategoryFilePath() + "\n";
    EXPECT_EQ(Boxes()[0].text.substr(0, head.size()), head);
    EXPECT_EQ(Boxes()[0].caption, "Error");
    EXPECT_EQ(Boxes()[0].type, MB_ICONEXCLAMATION);
    EXPECT_TRUE(std::filesystem::is_directory(sim_.CategoryFile()));
    EXPECT_EQ(ReadFile(sim_.CategoryFile() + "/inside"), "kept");
    for (const auto& entry : std::filesystem::directory_iterator(sim_.Companion()))
        EXPECT_EQ(entry.path().filename(), "Quillmarsh.cfg");
}

// The companion folder removed while the program runs.
TEST_F(SaveFailureTest, AMissingCompanionFolderIsReported) {
    Open(Fleet());
    const int button = Prepare("Add");
    RemoveAll(sim_.Companion());

    Click(button);

    ASSERT_EQ(Boxes().size(), 1u);
    const std::string head = "Could not save the category file\n" + Dlg().GetCategoryFilePath() + "\n";
    EXPECT_EQ(Boxes()[0].text.substr(0, head.size()), head);
    EXPECT_EQ(Boxes()[0].type, MB_ICONEXCLAMATION);
    EXPECT_FALSE(Exists(sim_.Companion()));
}

}  // namespace
}  // namespace qm::test
