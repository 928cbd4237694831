#include "gui/atspi_tree.h"

#include <sys/wait.h>

#include <chrono>

#include "support/sim_fixture.h"

#ifndef QM_ATSPI_DUMP_PATH
#error "QM_ATSPI_DUMP_PATH names the accessibility tree reader"
#endif

namespace qm::test {
namespace {

// The parts of `text` that each end with `end`; a last part without one too.
std::vector<std::string> Split(const std::string& text, char end) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(end, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    if (start < text.size()) parts.push_back(text.substr(start));
    return parts;
}

}  // namespace

SessionBus::SessionBus(const std::string& display)
    : server_({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address={fd}"},
              EnvironmentWith({}, {"DISPLAY=" + display})) {}

std::string SessionBus::Variable() const {
    return server_.Ready().empty() ? std::string() : "DBUS_SESSION_BUS_ADDRESS=" + server_.Ready();
}

std::vector<AccessibleNode> ReadAccessibleTree(pid_t pid, const std::string& frame, std::size_t minimumNodes,
                                               int seconds, const std::string& display, const SessionBus& bus,
                                               const std::string& scratch) {
    const std::string output = scratch + "/accessible-tree.txt";
    ChildProcess reader({QM_ATSPI_DUMP_PATH, std::to_string(pid), frame, std::to_string(minimumNodes),
                         std::to_string(seconds)},
                        EnvironmentWith({}, {"DISPLAY=" + display, bus.Variable()}), "", output, true);
    const std::optional<int> status = reader.WaitForExit(std::chrono::seconds(seconds + 10));
    std::vector<AccessibleNode> nodes;
    if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0) return nodes;
    for (const std::string& line : Split(ReadFile(output), '\n')) {
        const std::vector<std::string> fields = Split(line, '\t');
        if (fields.size() != 5) continue;
        nodes.push_back({std::atoi(fields[0].c_str()), fields[1], fields[2], Split(fields[3], '\x1f'),
                         Split(fields[4], '\x1f')});
    }
    return nodes;
}

}  // namespace qm::test
