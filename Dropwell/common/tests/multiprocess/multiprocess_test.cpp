// Several real processes on one mapping file: writers and readers at once, a
// lock holder killed while holding it, and writers killed in mid-rewrite.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../StoreTestSupport.h"
#include "StressRecords.h"
#include "XMLReadWrite.h"

using namespace storetest;

namespace {

std::string Stress() { return veqtest::BuildDir() + "/tests/store-stress"; }

veqtest::ChildResult RunStress(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{Stress()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return veqtest::RunProgram(argv, {}, 100);
}

// A store-stress process running in the background, its output on a pipe.
class Background {
public:
    explicit Background(const std::vector<std::string>& arguments) {
        int fds[2];
        if (pipe(fds) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            close(fds[1]);
            std::vector<std::string> argv{Stress()};
            argv.insert(argv.end(), arguments.begin(), arguments.end());
            std::vector<char*> args;
            for (std::string& a : argv) args.push_back(&a[0]);
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        close(fds[1]);
        m_out = fds[0];
    }
    ~Background() {
        Kill();
        if (m_out >= 0) close(m_out);
    }
    // Waits for the process to print line (a line of its own).
    bool WaitForLine(const std::string& line) {
        std::string seen;
        char c;
        while (read(m_out, &c, 1) == 1) {
            if (c != '\n') {
                seen += c;
                continue;
            }
            if (seen == line) return true;
            seen.clear();
        }
        return false;
    }
    void Kill() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

class MultiProcessTest : public ::testing::Test {
protected:
    SemaphoreCleanup m_cleanup;
};

TEST_F(MultiProcessTest, TwoWritersAndReadersAtOnce) {
    ASSERT_EQ(RunStress({"write", "first", "1"}).status, 0);
    auto writer1 = std::async(std::launch::async, [] { return RunStress({"write", "w1", "150"}); });
    auto writer2 = std::async(std::launch::async, [] { return RunStress({"write", "w2", "150"}); });
    auto locked = std::async(std::launch::async, [] { return RunStress({"read", "300", "locked"}); });
    auto unlocked = std::async(std::launch::async, [] { return RunStress({"read", "300", "unlocked"}); });
    for (auto* task : {&writer1, &writer2, &locked, &unlocked}) {
        const veqtest::ChildResult result = task->get();
        EXPECT_TRUE(result.exited) << result.output;
        EXPECT_EQ(result.status, 0) << result.output;
    }
    DROPWELL::ServerMappings records;
    XMLReadWrite(wxString::FromUTF8(MappingFile())).Read(records);
    EXPECT_EQ(stress::Check(records, stress::kSmall, true), "");
    const std::string last = std::string(records[0].MappedFolders.rbegin()->second.Folder.utf8_str());
    EXPECT_TRUE(last == "/n/w1/149" || last == "/n/w2/149") << last;
}

TEST_F(MultiProcessTest, HolderKilledWithTheLockDoesNotHangTheNextWriter) {
    {
        Background holder({"hold"});
        ASSERT_TRUE(holder.WaitForLine("held"));
        holder.Kill();
    }
    // With the lock's time-out at 200 ms the writer goes on; the program's own
    // time limit (100 s) stands for "hung for ever".
    const veqtest::ChildResult next = RunStress({"write", "after", "3", "--timeout-ms=200"});
    ASSERT_TRUE(next.exited) << next.output;
    EXPECT_EQ(next.status, 0) << next.output;
    EXPECT_EQ(LoggedCount("by a process that has ended; taking it over"), 1);
    // The semaphore was given back: the next process finds it free at once.
    const veqtest::ChildResult reader = RunStress({"read", "1", "locked", "--timeout-ms=0"});
    EXPECT_EQ(reader.status, 0) << reader.output;
    EXPECT_EQ(LoggedCount("by a process that has ended; taking it over"), 1);
}

TEST_F(MultiProcessTest, WriterKilledInMidRewriteLeavesAWholeFile) {
    std::mt19937 random(12345);
    // A round takes a good part of a second; the kill lands anywhere in the
    // first few, in the mapping file's write about half of the time.
    for (int attempt = 0; attempt < 10; ++attempt) {
        Background writer({"rewrite-forever", "--timeout-ms=100"});
        ASSERT_TRUE(writer.WaitForLine("writing")) << attempt;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 500000));
        writer.Kill();
        DROPWELL::ServerMappings records;
        XMLReadWrite(wxString::FromUTF8(MappingFile())).Read(records);
        EXPECT_EQ(stress::Check(records, stress::kLarge, false), "") << "attempt " << attempt;
        const std::string text = veqtest::ReadFile(MappingFile());
        EXPECT_EQ(text.substr(text.size() - 12), "</Dropwell>\n") << attempt;
    }
}

}  // namespace
