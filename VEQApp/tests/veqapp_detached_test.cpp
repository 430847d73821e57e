// The tray agent's launch: a process of its own that holds nothing of ours.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "DetachedProcess.h"
#include "TestSupport.h"

namespace {

TEST(DetachedProcess, RunsOnItsOwnWithNothingOfTheCallerOpen) {
    veqtest::TempDir folder;
    const std::string report = folder / "report";
    const std::string script = folder / "agent";
    // Reports its arguments, its session leader status, its open files and its
    // standard output, then waits to be told to end.
    veqtest::WriteFile(script,
                       "#!/bin/sh\n"
                       "echo \"args=$*\" > " + report + ".tmp\n"
                       "echo \"out=$(readlink /proc/$$/fd/1)\" >> " + report + ".tmp\n"
                       "for f in /proc/$$/fd/*; do echo \"fd=$(readlink $f)\"; done >> " + report + ".tmp\n"
                       "echo \"sid=$(ps -o sid= -p $$ | tr -d ' ')\" >> " + report + ".tmp\n"
                       "mv " + report + ".tmp " + report + "\n"
                       "while [ ! -e " + folder.Path() + "/stop ]; do sleep 0.05; done\n");
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);

    // A file and a pipe of ours that the agent must not inherit.
    const int ours = open((folder / "ours").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(ours, 0);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    struct stat pipeStat;
    ASSERT_EQ(fstat(pipeEnds[0], &pipeStat), 0);
    const std::string ourPipe = "fd=pipe:[" + std::to_string(pipeStat.st_ino) + "]";

    ASSERT_TRUE(StartDetachedProcess({script, "--args", "VEQAPP"}));
    ASSERT_TRUE(veqtest::WaitFor([&]() { return veqtest::FileExists(report); }, std::chrono::seconds(20)));
    const std::string text = veqtest::ReadFile(report);
    EXPECT_NE(text.find("args=--args VEQAPP\n"), std::string::npos) << text;
    EXPECT_NE(text.find("out=/dev/null\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("fd=" + folder / "ours"), std::string::npos) << text;
    EXPECT_EQ(text.find(ourPipe), std::string::npos) << text;
    EXPECT_EQ(text.find("sid=" + std::to_string(getsid(0)) + "\n"), std::string::npos) << "a session of its own";

    // The agent runs on, and no child of ours is left to reap.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    veqtest::WriteFile(folder / "stop", "");
    close(ours);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

TEST(DetachedProcess, AMissingProgramIsNotStarted) {
    veqtest::TempDir folder;
    veqtest::WriteFile(folder / "not-executable", "#!/bin/sh\n");
    EXPECT_FALSE(StartDetachedProcess({folder / "missing"}));
    EXPECT_FALSE(StartDetachedProcess({folder / "not-executable"}));
    EXPECT_FALSE(StartDetachedProcess({}));
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
