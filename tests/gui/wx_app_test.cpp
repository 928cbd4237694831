// Starting the program without a graphical display: a clear message and
// status 1, never a crash, and the program's entry never runs.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "gui/wx_gui_support.h"
#include "platform/wx/wx_app.h"

namespace qm {
namespace {

TEST(WxApp, WithoutADisplayTheProgramSaysSoAndEndsWithStatus1) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeEnds[0]);
        dup2(pipeEnds[1], STDERR_FILENO);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        static char name[] = "quillmarsh";
        char* argv[] = {name, nullptr};
        const int status = RunWxApplication(1, argv, [] { return 42; });
        std::fflush(stderr);
        _exit(status);
    }
    close(pipeEnds[1]);
    std::string message;
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) message.append(buffer, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the program did not end normally";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(message.find("Quillmarsh needs a graphical display: DISPLAY is not set"), std::string::npos) << message;
}

}  // namespace
}  // namespace qm
