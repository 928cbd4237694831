// Programs the window tests start: the built program, or this test program
// again at another display setting, and the servers they need (a virtual
// display, a message bus). Every wait is bounded, and a child still running
// when its owner goes is killed, so a hanging child fails its test instead of
// hanging it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace qm::test {

using Clock = std::chrono::steady_clock;

// This process's environment without the variables whose "NAME=" starts
// with one of `dropped` or that `added` sets, and with `added`
// ("NAME=value") after it.
std::vector<std::string> EnvironmentWith(std::initializer_list<const char*> dropped,
                                         const std::vector<std::string>& added = {});

class ChildProcess {
public:
    // Starts `argv` (argv[0] a path) in `folder` (empty: this one) with
    // `environment`; its stderr, and its stdout too when `withStdout`, goes
    // to the file `outputPath`.
    ChildProcess(std::vector<std::string> argv, std::vector<std::string> environment, const std::string& folder,
                 const std::string& outputPath, bool withStdout);
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    bool Running();
    // The wait status once the child has ended within `timeout`; else the
    // child is killed and there is none.
    std::optional<int> WaitForExit(Clock::duration timeout);
    void Kill();

private:
    void Reap(bool block);

    pid_t pid_ = -1;
    std::optional<int> status_;
};

// A server started (from the PATH, with `environment`) with a pipe's write
// end as the file descriptor named in its arguments by "{fd}", that writes
// one line there when it is ready (Xvfb's display number, dbus-daemon's
// address). Ended with SIGTERM.
class Server {
public:
    explicit Server(std::vector<std::string> argv, std::vector<std::string> environment = EnvironmentWith({}));
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // The line it wrote; empty when it did not start.
    const std::string& Ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    std::string ready_;
};

// A virtual display of its own that keeps its X resources between clients
// (one that resets when its last client leaves drops them).
class OwnDisplay {
public:
    explicit OwnDisplay(const std::string& screen);
    // ":N", or empty when the display did not start.
    std::string Name() const { return xvfb_.Ready().empty() ? std::string() : ":" + xvfb_.Ready(); }
    // Merges the X resource lines `resources` into the display's, with
    // `scratch` a folder for the files this takes; answers what xrdb said
    // when it failed.
    std::optional<std::string> MergeResources(const std::string& resources, const std::string& scratch) const;

private:
    Server xvfb_;
};

// `text` as the name of a test: letters and digits kept, anything else '_'.
std::string TestNameFrom(std::string text);

}  // namespace qm::test
