// VEQPluginApp end to end against a simulated controller of the test's own:
// unattended scans and mailbox retrievals leave files that the standard tools
// open, and every error ends the program with a non-zero status.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <wx/dir.h>

#include "CryptService.h"
#include "ProgramTestSupport.h"
#include "TestSupport.h"
#include "ZeltoSim.h"

namespace {

using Env = std::vector<std::pair<std::string, std::string>>;

std::string Program() {
    return veqtest::BuildDir() + "/bin/VEQPluginApp";
}

// The files of the folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    wxDir dir(folder);
    wxString name;
    for (bool found = dir.IsOpened() && dir.GetFirst(&name); found; found = dir.GetNext(&name)) {
        names.push_back(name.ToStdString());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool ToolAccepts(const std::string& tool, const std::string& file) {
    const veqtest::ChildResult result = veqtest::RunProgram({tool, file}, {}, 60);
    return result.exited && result.status == 0;
}

class PluginAppEndToEnd : public testing::Test {
protected:
    void SetUp() override { m_simulator.Start("127.0.0.1", 0); }

    veqtest::ChildResult Run(const std::vector<std::string>& options, const std::string& autorun,
                             int port = 0) {
        std::vector<std::string> argv = {Program()};
        argv.insert(argv.end(), options.begin(), options.end());
        Env env = {{"VELLORA_PORT", std::to_string(port ? port : m_simulator.Port())}};
        if (!autorun.empty()) {
            env.push_back({"VEQUI_AUTORUN", autorun});
        }
        return veqtest::RunProgram(argv, env, 120);
    }
    int JobId(const std::string& mailbox, const std::string& name) {
        for (const zeltosim::JobInfo& job : m_simulator.Jobs(mailbox)) {
            if (job.name == name) {
                return job.id;
            }
        }
        return 0;
    }
    // The session folders the plug-in left in its cache.
    std::vector<std::string> CacheLeftovers() {
        return FilesIn(veqprogram::ConfigFolder() + "VEQPluginCache");
    }

    zeltosim::Simulator m_simulator;
    veqtest::TempDir m_out;
};

TEST_F(PluginAppEndToEnd, AnUnattendedPdfScanLeavesOnePdfPerPage) {
    const veqtest::ChildResult result =
        Run({"ip=127.0.0.1", "format=pdf", "savepath=" + m_out.Path(), "supresserror=1"}, "scan");
    ASSERT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
    const std::vector<std::string> files = FilesIn(m_out.Path());
    ASSERT_FALSE(files.empty());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i], "Scan_image" + std::to_string(i + 1) + ".pdf");
        EXPECT_TRUE(ToolAccepts("/usr/bin/pdfinfo", m_out / files[i])) << files[i];
    }
    // The server is recorded in the enciphered settings.
    std::string settings;
    ASSERT_TRUE(CryptService::Read(wxString(veqprogram::ConfigFolder() + "veq_config").ToStdWstring(), settings));
    EXPECT_NE(settings.find("127.0.0.1"), std::string::npos) << settings;
    EXPECT_NE(settings.find(m_simulator.ServerName()), std::string::npos);
    EXPECT_TRUE(CacheLeftovers().empty()) << "the session's cache files go with the images";
}

TEST_F(PluginAppEndToEnd, AnUnattendedJpegScanLeavesJpegFiles) {
    const veqtest::ChildResult result =
        Run({"ip=127.0.0.1", "format=JPEG", "savepath=" + m_out.Path(), "supresserror=1"}, "scan");
    ASSERT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
    const std::vector<std::string> files = FilesIn(m_out.Path());
    ASSERT_FALSE(files.empty());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i], "Scan_image" + std::to_string(i + 1) + ".jpeg");
        EXPECT_TRUE(ToolAccepts("/usr/bin/identify", m_out / files[i])) << files[i];
    }
}

TEST_F(PluginAppEndToEnd, AMailboxJobLeavesMailboxImageFiles) {
    const int job = JobId("Accounting", "Invoice 2024-117");
    ASSERT_NE(job, 0);
    const std::string savePath = m_out / "new/folder";  // made by the program
    const veqtest::ChildResult result =
        Run({"ip=127.0.0.1", "format=tiff", "savepath=" + savePath, "supresserror=1"},
            "mailbox:Accounting:1234:" + std::to_string(job));
    ASSERT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(FilesIn(savePath), (std::vector<std::string>{"Mailbox_image1.tiff", "Mailbox_image2.tiff"}));
    for (const std::string& file : FilesIn(savePath)) {
        EXPECT_TRUE(ToolAccepts("/usr/bin/tiffinfo", savePath + "/" + file)) << file;
    }
    EXPECT_TRUE(m_simulator.HasJob(job)) << "retrieving leaves the job in its mailbox";
}

TEST_F(PluginAppEndToEnd, ErrorsEndTheRunSilentlyWithANonZeroStatus) {
    veqtest::WriteFile(m_out / "file", "not a folder");
    // A copy of the program with the libraries but no Plugins folder beside it.
    veqtest::TempDir bare;
    ASSERT_EQ(mkdir((bare / "bin").c_str(), 0777), 0);
    ASSERT_EQ(symlink((veqtest::BuildDir() + "/lib").c_str(), (bare / "lib").c_str()), 0);
    ASSERT_TRUE(veqtest::RunProgram({"/bin/cp", Program(), bare / "bin/VEQPluginApp"}).status == 0);
    const int deadPort = veqtest::FreeLoopbackPort();

    const struct {
        const char* name;
        std::string program;
        std::string savePath;
        int port;
        int status;
        const char* logged;
    } cases[] = {
        {"bad save path", Program(), m_out / "file/sub", 0, 1, "save path - "},
        {"empty save path", Program(), "", 0, 1, "save path - "},
        // A refused run makes no save folder.
        {"missing plug-in", bare / "bin/VEQPluginApp", m_out / "new/sub", 0, 1, "Can't Load plugin from "},
        {"unreachable server", Program(), m_out / "new/sub", deadPort, 2, "does not answer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Env env = {{"VELLORA_PORT", std::to_string(c.port ? c.port : m_simulator.Port())},
                   {"VEQUI_AUTORUN", "scan"}};
        const veqtest::ChildResult result = veqtest::RunProgram(
            {c.program, "ip=127.0.0.1", "savepath=" + c.savePath, "supresserror=1"}, env, 60);
        ASSERT_TRUE(result.exited) << result.output;
        EXPECT_EQ(result.status, c.status) << result.output;
        EXPECT_NE(veqprogram::LogText().find(c.logged), std::string::npos);
        EXPECT_EQ(FilesIn(m_out.Path()), std::vector<std::string>{"file"});
    }
    EXPECT_NE(veqprogram::LogText().find("Can't Load plugin from " + bare.Path() + "/bin/Plugins/libVEQPlugin.so"),
              std::string::npos);
}

TEST_F(PluginAppEndToEnd, WithoutSuppressionAnErrorIsShownAndEndsTheRunWhenClosed) {
    veqprogram::X11Windows windows;
    ASSERT_TRUE(windows.Ok());
    veqprogram::BackgroundProgram program({Program(), "ip=127.0.0.1", "savepath=", "supresserror=yes"},
                                          {{"VELLORA_PORT", std::to_string(m_simulator.Port())}});
    ASSERT_TRUE(veqtest::WaitFor([&]() { return windows.AnyViewable("Veqora"); }, std::chrono::seconds(30)));
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(m_simulator.CallCount("INIT_connectUTF8"), 0u) << "nothing runs on after the error";
    windows.CloseViewable("Veqora");
    EXPECT_EQ(program.WaitForExit(), 1) << program.Output();
}

}  // namespace
