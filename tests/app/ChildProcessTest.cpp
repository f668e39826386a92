// A program run beside the main loop: its lines, its ending however it
// comes, and nothing of it left behind.

#include "app/ChildProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace wobble {
namespace {

using namespace std::chrono_literals;
using Ending = ChildProcess::Ending;

// Runs `script` with /bin/sh until it ends (at most `limit`), collecting its lines.
std::vector<ChildProcess::Line> RunToEnd(ChildProcess& child, const std::string& script,
                                         std::chrono::milliseconds limit = 20000ms) {
    const Status started = child.Start("/bin/sh", {"-c", script}, limit);
    EXPECT_TRUE(started.ok()) << started.error().message;
    std::vector<ChildProcess::Line> lines;
    while (child.ending() == Ending::kRunning)
        child.Wait(lines, 1000ms);
    return lines;
}

TEST(ChildProcess, LinesOfBothStreamsArriveWholeAndTheExitStatusIsKept) {
    ChildProcess child;
    const auto lines = RunToEnd(child, "echo one; echo two >&2; printf 'thr'; printf 'ee'; exit 3");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "one");
    EXPECT_FALSE(lines[0].fromStderr);
    EXPECT_EQ(lines[1].text, "two");
    EXPECT_TRUE(lines[1].fromStderr);
    EXPECT_EQ(lines[2].text, "three");  // the piece without a line break, at the end
    EXPECT_EQ(child.ending(), Ending::kExited);
    EXPECT_EQ(child.exitCode(), 3);
    EXPECT_EQ(child.EndingText(), "exited with status 3");
}

TEST(ChildProcess, ACrashOrAHangIsReportedAndTheChildIsReaped) {
    struct Case {
        const char* script;
        std::chrono::milliseconds limit;
        Ending ending;
        const char* text;
    };
    const Case cases[] = {
        {"kill -SEGV $$", 20000ms, Ending::kSignalled, "died of signal 11 (Segmentation fault)"},
        {"exec tail -f /dev/null", 200ms, Ending::kTimedOut,
         "ran past its time limit of 1 s and was ended"},
    };
    for (const Case& c : cases) {
        ChildProcess child;
        ASSERT_TRUE(child.Start("/bin/sh", {"-c", c.script}, c.limit).ok());
        const pid_t pid = child.pid();
        std::vector<ChildProcess::Line> lines;
        while (child.ending() == Ending::kRunning)
            child.Wait(lines, 1000ms);
        EXPECT_EQ(child.ending(), c.ending) << c.script;
        EXPECT_EQ(child.EndingText(), c.text);
        // Reaped: no zombie of it is left.
        EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1);
        EXPECT_EQ(errno, ECHILD);
    }
}

TEST(ChildProcess, GoingAwayEndsARunningChild) {
    pid_t pid = -1;
    {
        ChildProcess child;
        ASSERT_TRUE(child.Start("/usr/bin/tail", {"-f", "/dev/null"}, 60000ms).ok());
        pid = child.pid();
        std::vector<ChildProcess::Line> lines;
        child.Poll(lines);
        EXPECT_EQ(child.ending(), Ending::kRunning);
    }
    EXPECT_EQ(kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(ChildProcess, AMissingProgramIsRefusedWithTheReason) {
    ChildProcess child;
    const Status started = child.Start("/no/such/program", {}, 1000ms);
    ASSERT_FALSE(started.ok());
    EXPECT_NE(started.error().message.find("cannot run /no/such/program: No such file"),
              std::string::npos)
        << started.error().message;
    EXPECT_FALSE(child.Started());
}

TEST(ChildProcess, TheChildHoldsNoOtherOpenFileOfTheProgram) {
    // A file the program holds open without close-on-exec, as a pipe to a
    // video encoder could be: the child must not keep it open.
    const int held = open("/dev/null", O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(dup2(held, 57), 57);
    ChildProcess child;
    const auto lines = RunToEnd(child, "ls /proc/$$/fd");
    close(57);
    close(held);
    std::vector<std::string> fds;
    for (const auto& line : lines)
        fds.push_back(line.text);
    EXPECT_EQ(fds, (std::vector<std::string>{"0", "1", "2"}));
}

}  // namespace
}  // namespace wobble
