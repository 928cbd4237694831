#include "gui/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace qm::test {

namespace {

// Pointers to `texts`, ended by a null one, as exec takes them.
std::vector<char*> NullEnded(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::vector<std::string> EnvironmentWith(std::initializer_list<const char*> dropped,
                                         const std::vector<std::string>& added) {
    const auto set = [&](const std::string& text) {
        return std::any_of(dropped.begin(), dropped.end(), [&](const char* name) { return text.rfind(name, 0) == 0; }) ||
               std::any_of(added.begin(), added.end(), [&](const std::string& entry) {
                   return text.compare(0, entry.find('=') + 1, entry, 0, entry.find('=') + 1) == 0;
               });
    };
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (!set(*entry)) environment.push_back(*entry);
    environment.insert(environment.end(), added.begin(), added.end());
    return environment;
}

ChildProcess::ChildProcess(std::vector<std::string> argv, std::vector<std::string> environment,
                           const std::string& folder, const std::string& outputPath, bool withStdout) {
    // Everything the child needs is built before the fork: between fork and
    // exec only async-signal-safe calls.
    std::vector<char*> args = NullEnded(argv);
    std::vector<char*> envp = NullEnded(environment);
    pid_ = ::fork();
    if (pid_ == 0) {
        // Killed with this process, should it die before it ends the child.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, STDERR_FILENO);
            if (withStdout) ::dup2(out, STDOUT_FILENO);
        }
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
}

bool ChildProcess::Running() {
    Reap(false);
    return pid_ > 0 && !status_;
}

std::optional<int> ChildProcess::WaitForExit(Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Running() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Running()) {
        Kill();
        return std::nullopt;
    }
    return status_;
}

void ChildProcess::Kill() {
    if (pid_ <= 0 || status_) return;
    ::kill(pid_, SIGKILL);
    Reap(true);
}

void ChildProcess::Reap(bool block) {
    if (pid_ <= 0 || status_) return;
    int status = 0;
    if (::waitpid(pid_, &status, block ? 0 : WNOHANG) == pid_) status_ = status;
}

Server::Server(std::vector<std::string> argv, std::vector<std::string> environment) {
    int pipe[2];
    if (::pipe(pipe) != 0) return;
    for (std::string& arg : argv)
        if (const auto at = arg.find("{fd}"); at != std::string::npos) arg.replace(at, 4, std::to_string(pipe[1]));
    std::vector<char*> args = NullEnded(argv);
    std::vector<char*> envp = NullEnded(environment);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::close(pipe[0]);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, STDERR_FILENO);
        ::execvpe(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(pipe[1]);
    // A server that fails to start closes the pipe, which ends the read; one
    // that says nothing in 20 s is taken as not started.
    pollfd readable{pipe[0], POLLIN, 0};
    char c = 0;
    while (::poll(&readable, 1, 20000) == 1 && ::read(pipe[0], &c, 1) == 1 && c != '\n') ready_ += c;
    ::close(pipe[0]);
    if (c != '\n') ready_.clear();
}

Server::~Server() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
}

OwnDisplay::OwnDisplay(const std::string& screen)
    : xvfb_({"Xvfb", "-displayfd", "{fd}", "-screen", "0", screen, "-noreset", "-nolisten", "tcp"}) {}

std::optional<std::string> OwnDisplay::MergeResources(const std::string& resources,
                                                      const std::string& scratch) const {
    const std::string file = scratch + "/resources";
    const std::string output = scratch + "/xrdb.txt";
    WriteFile(file, resources);
    ChildProcess xrdb({"/usr/bin/xrdb", "-display", Name(), "-nocpp", "-merge", file}, EnvironmentWith({}), "",
                      output, true);
    const std::optional<int> status = xrdb.WaitForExit(std::chrono::seconds(10));
    if (status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) return std::nullopt;
    return "xrdb failed: " + ReadFile(output);
}

std::string TestNameFrom(std::string text) {
    for (char& c : text)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return text;
}

}  // namespace qm::test
