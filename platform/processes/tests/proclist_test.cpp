#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "ProcessList.h"
#include "TestSupport.h"

using veqplatform::ListProcesses;
using veqplatform::ProcessEntry;
using veqplatform::ProcessNameOf;

namespace {

const ProcessEntry* Find(const std::vector<ProcessEntry>& list, pid_t pid) {
    auto found = std::find_if(list.begin(), list.end(), [pid](const ProcessEntry& e) { return e.pid == pid; });
    return found == list.end() ? nullptr : &*found;
}

// A folder laid out like /proc with the processes a test describes.
class FakeProc {
public:
    void Add(const std::string& folder, const char* comm, const char* status) {
        const std::string path = m_root / folder;
        mkdir(path.c_str(), 0755);
        if (comm) {
            veqtest::WriteFile(path + "/comm", comm);
        }
        if (status) {
            veqtest::WriteFile(path + "/status", status);
        }
    }
    const std::string& Path() const { return m_root.Path(); }

private:
    veqtest::TempDir m_root;
};

TEST(ProcessList, TheRunningSystemListsThisProcessAndAChildByItsExecutableName) {
    veqtest::TempDir folder;
    const std::string executable = folder / "AVeryLongProgramName";
    veqtest::WriteFile(executable, veqtest::ReadFile("/bin/sleep"));
    chmod(executable.c_str(), 0755);
    const pid_t child = fork();
    if (child == 0) {
        execl(executable.c_str(), executable.c_str(), "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(child, 0);

    std::vector<ProcessEntry> list;
    const bool listed = veqtest::WaitFor([&]() {
        EXPECT_EQ(ListProcesses(list), 0);
        const ProcessEntry* entry = Find(list, child);
        return entry && entry->name == "AVeryLongProgra";
    });
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(listed);

    const ProcessEntry* self = Find(list, getpid());
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->parent, getppid());
    EXPECT_EQ(self->user, getuid());
    EXPECT_EQ(self->name, ProcessNameOf(program_invocation_name));
    const ProcessEntry* started = Find(list, child);
    EXPECT_EQ(started->parent, getpid());
    EXPECT_EQ(started->user, getuid());
}

TEST(ProcessList, ReadsTheEntriesOfAProcessFolderAndSkipsWhatIsNotAProcess) {
    FakeProc proc;
    // Real, effective, saved and file-system user ids: the real one counts.
    proc.Add("120", "Veqora\n", "Name:\tVeqora\nPPid:\t1\nUid:\t1000\t0\t0\t0\nGid:\t1000\t1000\t1000\t1000\n");
    proc.Add("121", "(odd) name \n", "PPid:\t120\nUid:\t0\t0\t0\t0\n");
    proc.Add("122", "NoStatus\n", nullptr);                    // ended during the walk
    proc.Add("123", nullptr, "PPid:\t1\nUid:\t5\t5\t5\t5\n");  // ended during the walk
    proc.Add("124", "NoUser\n", "PPid:\t1\n");
    proc.Add("self", "Veqora\n", "PPid:\t1\nUid:\t1\t1\t1\t1\n");
    proc.Add("12a", "Veqora\n", "PPid:\t1\nUid:\t1\t1\t1\t1\n");
    proc.Add("99999999999999999999", "Veqora\n", "PPid:\t1\nUid:\t1\t1\t1\t1\n");
    veqtest::WriteFile(proc.Path() + "/uptime", "1.0 2.0\n");

    std::vector<ProcessEntry> list{ProcessEntry{}};
    ASSERT_EQ(ListProcesses(list, proc.Path()), 0);
    std::sort(list.begin(), list.end(), [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].pid, 120);
    EXPECT_EQ(list[0].parent, 1);
    EXPECT_EQ(list[0].user, 1000u);
    EXPECT_EQ(list[0].name, "Veqora");
    EXPECT_EQ(list[1].pid, 121);
    EXPECT_EQ(list[1].parent, 120);
    EXPECT_EQ(list[1].user, 0u);
    EXPECT_EQ(list[1].name, "(odd) name ");
}

TEST(ProcessList, AFolderThatCannotBeOpenedGivesItsErrorAndNoList) {
    veqtest::TempDir folder;
    std::vector<ProcessEntry> list{ProcessEntry{}};
    EXPECT_EQ(ListProcesses(list, folder / "missing"), ENOENT);
    EXPECT_TRUE(list.empty());
}

TEST(ProcessList, TheNameOfAProgramIsItsFileNameCutToTheKernelsLimit) {
    const struct {
        const char* executable;
        const char* name;
    } cases[] = {
        {"/Applications/Zelto/Veqora.app/Contents/MacOS/Veqora", "Veqora"},
        {"/System/Library/CoreServices/ZeltoFetchd", "ZeltoFetchd"},
        {"/x/FifteenLettersX", "FifteenLettersX"},
        {"/x/AVeryLongProgramName", "AVeryLongProgra"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProcessNameOf(c.executable), c.name) << c.executable;
    }
}

}  // namespace
