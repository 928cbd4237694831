// Starting and stopping the toolkit, and running the program inside it.
#pragma once

#include <functional>

namespace qm {

// Starts wxWidgets for this process. Without a graphical display it writes
// a message to stderr and returns false.
bool StartWx(int argc, char** argv);
// Ends what StartWx began.
void StopWx();

// Runs `entry` (which shows the program's dialogs modally; no main loop is
// needed) with a WxHost installed, and returns its status. Without a
// graphical display it writes a message to stderr and returns 1.
int RunWxApplication(int argc, char** argv, std::function<int()> entry);

}  // namespace qm
