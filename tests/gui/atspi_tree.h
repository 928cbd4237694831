// A running program's accessibility tree, read over AT-SPI as a screen
// reader reads it: each object's role, name and label relations.
//
// The program and the reader meet on a session message bus of the test's
// own (dbus-daemon), through which the accessibility bus is started on
// demand; GTK programs join it by themselves once a session bus is there.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "gui/child_process.h"

namespace qm::test {

struct AccessibleNode {
    int depth = 0;
    std::string role;  // AT-SPI's role name: "push button", "combo box", "label", ...
    std::string name;
    std::vector<std::string> labelledBy;  // the names of the objects that label this one
    std::vector<std::string> labelFor;    // the names of the objects this one labels
};

// A session bus of the test's own. The accessibility bus it starts
// announces itself on `display` (a property of the display's root window),
// which should be the test's own too: a property left by a bus that has
// gone would mislead later programs on a shared display.
class SessionBus {
public:
    explicit SessionBus(const std::string& display);
    // "DBUS_SESSION_BUS_ADDRESS=..." for the programs that use the bus;
    // empty when the bus did not start.
    std::string Variable() const;

private:
    Server server_;
};

// The tree of the application of process `pid` on `display` and `bus`,
// once it shows a frame named `frame` with at least `minimumNodes` objects,
// in tree order; empty when that does not happen within `seconds`.
// `scratch` is a folder for the reader's output.
std::vector<AccessibleNode> ReadAccessibleTree(pid_t pid, const std::string& frame, std::size_t minimumNodes,
                                               int seconds, const std::string& display, const SessionBus& bus,
                                               const std::string& scratch);

}  // namespace qm::test
