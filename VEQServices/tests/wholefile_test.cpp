// Files written whole or not at all: the final name shows either the old file
// or the complete new one, never a part, and nothing is written through a link.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "WholeFile.h"

using veqtest::FolderEntries;
using veqtest::ReadFile;
using veqtest::WriteFile;

namespace {

std::string Bytes(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}

int Write(const std::string& path, const std::string& data, mode_t mode = 0644) {
    return WriteFileWhole(path, data.data(), data.size(), mode);
}

// The id of a process that has ended (its zombie reaped).
pid_t EndedProcessId() {
    const pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

TEST(WholeFile, ANewFileAppearsCompleteWithItsModeAndNothingElseIsLeft) {
    veqtest::TempDir folder;
    const mode_t old = umask(022);
    EXPECT_EQ(Write(folder / "out.bin", Bytes(300000), 0640), 0);
    umask(old);
    EXPECT_EQ(ReadFile(folder / "out.bin"), Bytes(300000));
    struct stat info;
    ASSERT_EQ(stat((folder / "out.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"out.bin"});
}

TEST(WholeFile, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const struct {
        const char* what;
        std::size_t length;
        bool fillsTheDisk;
    } cases[] = {
        {"fits", 1000, false},
        {"fills the disk", 200000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        veqtest::SmallDisk disk(64 * 1024);
        if (!disk.Mounted()) GTEST_SKIP() << "a small file system cannot be mounted here";
        WriteFile(disk / "doc.pdf", "old content");
        const int error = Write(disk / "doc.pdf", Bytes(c.length));
        if (c.fillsTheDisk) {
            EXPECT_EQ(error, ENOSPC);
            EXPECT_EQ(ReadFile(disk / "doc.pdf"), "old content");
        } else {
            EXPECT_EQ(error, 0);
            EXPECT_EQ(ReadFile(disk / "doc.pdf"), Bytes(c.length));
        }
        EXPECT_EQ(FolderEntries(disk.Path()), std::vector<std::string>{"doc.pdf"});
    }
}

TEST(WholeFile, ALinkAtTheFinalNameIsReplacedAndItsTargetLeftAlone) {
    veqtest::TempDir folder;
    WriteFile(folder / "victim", "precious");
    ASSERT_EQ(symlink((folder / "victim").c_str(), (folder / "out.jpg").c_str()), 0);
    EXPECT_EQ(Write(folder / "out.jpg", "image"), 0);
    EXPECT_EQ(ReadFile(folder / "victim"), "precious");
    struct stat info;
    ASSERT_EQ(lstat((folder / "out.jpg").c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(ReadFile(folder / "out.jpg"), "image");
}

TEST(WholeFile, TheTemporaryFileIsNeverOpenedThroughALink) {
    veqtest::TempDir folder;
    WriteFile(folder / "victim", "precious");
    // Links planted at the next names the temporary files of this process take.
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(symlink((folder / "victim").c_str(), UniqueTemporaryPath(folder / "out.jpg").c_str()), 0);
    }
    veqtest::TempDir other;
    ASSERT_EQ(Write(other / "first", "x"), 0);  // takes one more name
    EXPECT_EQ(Write(folder / "out.jpg", "image"), 0);
    EXPECT_EQ(ReadFile(folder / "victim"), "precious");
    EXPECT_EQ(ReadFile(folder / "out.jpg"), "image");
    EXPECT_EQ(FolderEntries(folder.Path()).size(), 7u);  // the links stay, unused
}

TEST(WholeFile, NamesThatCannotBeWrittenAreRefusedWithTheirError) {
    veqtest::TempDir folder;
    ASSERT_EQ(mkdir((folder / "taken").c_str(), 0755), 0);
    const struct {
        std::string path;
        int error;
    } cases[] = {
        {folder / "taken", EISDIR},
        {folder / "missing/out.pdf", ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        WholeFileWriter writer(c.path, 0644);
        EXPECT_EQ(writer.File(), nullptr);
        EXPECT_EQ(writer.OpenError(), c.error);
        EXPECT_EQ(writer.Commit(), c.error);
    }
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"taken"});
}

TEST(WholeFile, AnAbandonedWriteRemovesItsTemporaryAndKeepsTheOldFile) {
    veqtest::TempDir folder;
    WriteFile(folder / "doc.pdf", "old content");
    {
        WholeFileWriter writer(folder / "doc.pdf", 0644);
        ASSERT_NE(writer.File(), nullptr);
        EXPECT_EQ(writer.Write("new", 3), 0);
        EXPECT_EQ(FolderEntries(folder.Path()).size(), 2u);
        EXPECT_EQ(ReadFile(folder / "doc.pdf"), "old content");
    }
    EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"doc.pdf"});
    EXPECT_EQ(ReadFile(folder / "doc.pdf"), "old content");
}

TEST(WholeFile, OnlyRegularTemporariesOfEndedProcessesAreRemovedAsStale) {
    veqtest::TempDir folder;
    const std::string dead = std::to_string(EndedProcessId());
    const std::string live = std::to_string(getppid());
    const std::string own = std::to_string(getpid());
    WriteFile(folder / "veq_config", "settings");
    WriteFile(folder / ("veq_config.tmp-" + dead + "-0"), "stale");
    WriteFile(folder / ("veq_config.tmp-" + dead + "-3.tmp-" + dead + "-4"), "stale");
    WriteFile(folder / ("veq_config.tmp-" + live + "-0"), "in use");
    WriteFile(folder / ("veq_config.tmp-" + own + "-0"), "in use");
    WriteFile(folder / ("other.tmp-" + dead + "-0"), "another file's");
    WriteFile(folder / "veq_config.tmp-x-0", "not a temporary");
    WriteFile(folder / "victim", "precious");
    ASSERT_EQ(symlink("victim", (folder / ("veq_config.tmp-" + dead + "-9")).c_str()), 0);

    RemoveStaleTemporaries(folder / "veq_config");
    std::vector<std::string> kept{"other.tmp-" + dead + "-0", "veq_config", "veq_config.tmp-" + dead + "-9",
                                        "veq_config.tmp-" + live + "-0", "veq_config.tmp-" + own + "-0",
                                        "veq_config.tmp-x-0", "victim"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(FolderEntries(folder.Path()), kept);
    EXPECT_EQ(ReadFile(folder / "victim"), "precious");
}

}  // namespace
