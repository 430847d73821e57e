#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include <wx/init.h>

#include "Launcher.h"
#include "TestSupport.h"

using veqplatform::OpenFolderInFileManager;
using veqplatform::StartProgram;

namespace {

class Launcher : public testing::Test {
protected:
    // A script that appends its arguments (one line per start) to a file.
    std::string Recorder(const std::string& path, const std::string& record) {
        veqtest::WriteFile(path, "#!/bin/sh\necho \"[$*]\" >> '" + record + "'\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    // The first complete line the started program wrote: the file appears
    // (opened by the shell) before its line is written.
    std::string WaitForRecord(const std::string& record) {
        veqtest::WaitFor([&]() {
            const std::string text = veqtest::ReadFile(record);
            return !text.empty() && text.back() == '\n';
        });
        return veqtest::ReadFile(record);
    }

    wxInitializer m_toolkit;
    veqtest::TempDir m_folder;
};

TEST_F(Launcher, StartsAnExecutableWithoutArgumentsAndWithoutWaiting) {
    const std::string record = m_folder / "started";
    ASSERT_TRUE(StartProgram(Recorder(m_folder / "program with blanks", record)));
    EXPECT_EQ(WaitForRecord(record), "[]\n");
}

TEST_F(Launcher, RefusesWhatIsNotAnExecutableFile) {
    veqtest::WriteFile(m_folder / "plain", "#!/bin/sh\ntouch '" + (m_folder / "ran") + "'\n");
    mkdir((m_folder / "folder").c_str(), 0755);
    for (const std::string& path : {m_folder / "plain", m_folder / "folder", m_folder / "missing", std::string()}) {
        EXPECT_FALSE(StartProgram(path)) << path;
    }
    EXPECT_FALSE(veqtest::FileExists(m_folder / "ran"));
}

TEST_F(Launcher, OpensAnExistingFolderThroughXdgOpen) {
    mkdir((m_folder / "bin").c_str(), 0755);
    const std::string record = m_folder / "opened";
    Recorder(m_folder / "bin/xdg-open", record);
    veqtest::ScopedEnv path("PATH", (m_folder / "bin").c_str());
    const std::string folder = m_folder / "-Scans 2024";
    mkdir(folder.c_str(), 0755);
    ASSERT_TRUE(OpenFolderInFileManager(folder));
    EXPECT_EQ(WaitForRecord(record), "[" + folder + "]\n");
}

TEST_F(Launcher, HandsOnlyExistingAbsoluteFoldersToXdgOpen) {
    mkdir((m_folder / "bin").c_str(), 0755);
    const std::string record = m_folder / "opened";
    Recorder(m_folder / "bin/xdg-open", record);
    veqtest::ScopedEnv path("PATH", (m_folder / "bin").c_str());
    veqtest::WriteFile(m_folder / "file", "x");
    mkdir((m_folder / "Scans").c_str(), 0755);
    for (const std::string& folder :
         {std::string("Scans"), std::string("--help"), "file://" + (m_folder / "Scans"), m_folder / "file",
          m_folder / "missing", std::string()}) {
        EXPECT_FALSE(OpenFolderInFileManager(folder)) << folder;
    }
    EXPECT_FALSE(veqtest::FileExists(record));
}

TEST_F(Launcher, WithoutXdgOpenAFolderIsNotOpened) {
    veqtest::ScopedEnv path("PATH", (m_folder / "nothing-here").c_str());
    EXPECT_FALSE(OpenFolderInFileManager(m_folder.Path()));
}

}  // namespace
