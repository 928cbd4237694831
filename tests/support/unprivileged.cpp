#include "support/unprivileged.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace qm::test {
namespace {

struct Ids {
    uid_t uid;
    gid_t gid;
};

// The user the superuser drops to; the tests' own user for everyone else.
std::optional<Ids> UnprivilegedIds() {
    if (::geteuid() != 0) return Ids{::geteuid(), ::getegid()};
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr || nobody->pw_uid == 0) return std::nullopt;
    return Ids{nobody->pw_uid, nobody->pw_gid};
}

bool WriteAllTo(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Exit codes of the child.
constexpr int kDone = 0, kNotPrepared = 5;

}  // namespace

bool GiveToUnprivilegedUser(const std::string& path) {
    const std::optional<Ids> ids = UnprivilegedIds();
    if (!ids) return false;
    if (::geteuid() != 0) return true;
    bool given = ::lchown(path.c_str(), ids->uid, ids->gid) == 0;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(path, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error))
        given = ::lchown(it->path().c_str(), ids->uid, ids->gid) == 0 && given;
    EXPECT_TRUE(given && !error) << "cannot give " << path << " to the unprivileged user";
    return true;
}

std::optional<std::string> RunUnprivileged(const std::function<std::string()>& body,
                                           const std::function<bool()>& prepare) {
    const std::optional<Ids> ids = UnprivilegedIds();
    if (!ids) return std::nullopt;
    int channel[2];
    if (::pipe(channel) != 0) {
        ADD_FAILURE() << "pipe failed";
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ADD_FAILURE() << "fork failed";
        ::close(channel[0]);
        ::close(channel[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(channel[0]);
        if (prepare && !prepare()) ::_exit(kNotPrepared);
        // The groups first, while the process may still change them.
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(ids->gid, ids->gid, ids->gid) != 0 ||
                                 ::setresuid(ids->uid, ids->uid, ids->uid) != 0))
            ::_exit(2);
        if (::geteuid() == 0) ::_exit(3);
        const bool sent = WriteAllTo(channel[1], body());
        ::_exit(sent ? kDone : 4);
    }
    ::close(channel[1]);
    std::string output;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(channel[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        output.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNotPrepared) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != kDone) {
        ADD_FAILURE() << "the unprivileged child did not end normally (status " << status << ")";
        return std::nullopt;
    }
    return output;
}

}  // namespace qm::test
