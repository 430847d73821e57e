// Mapping a mailbox from Veqora's window, as a user would (driven by the
// unattended run VEQUI_AUTORUN=map:...): the mapping is stored, the service
// is signalled and the folder gets the ok icon; with the folder-mapping
// service running, the folder fills with the mailbox's jobs.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <wx/filename.h>

#include "ProgramTestSupport.h"
#include "TestSupport.h"
#include "VEQNSUtils.h"
#include "ZeltoSim.h"

namespace {

using Env = std::vector<std::pair<std::string, std::string>>;

std::string Under(const std::string& path) {
    return std::string(std::getenv("VEQ_ROOT")) + path;
}

// The regular files directly in folder.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            struct stat info {};
            const std::string name = entry->d_name;
            if (stat((folder + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

// The service's host as the build stages it.
std::string ServiceHost() {
    return veqtest::BuildDir() + "/root/Library/Dropwell/bin/dropwell-host";
}

class MappingEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        m_simulator.Start("127.0.0.1", 0);
        m_env = {{"VELLORA_PORT", std::to_string(m_simulator.Port())}, {"VEQUI_SERVER", "127.0.0.1"}};
        const std::string resources = Under("/Applications/Zelto/Veqora.app/Contents/Resources");
        wxFileName::Mkdir(resources, 0777, wxPATH_MKDIR_FULL);
        veqtest::WriteFile(resources + "/veq_ok.icns", "ok");
        m_target = m_folders / "Accounting scans";
        ::mkdir(m_target.c_str(), 0755);
    }
    bool WaitForLog(const std::string& text, int seconds = 60) {
        return veqtest::WaitFor([&]() { return veqprogram::LogText().find(text) != std::string::npos; },
                                std::chrono::seconds(seconds));
    }

    zeltosim::Simulator m_simulator;
    Env m_env;
    veqtest::TempDir m_folders;
    std::string m_target;
};

TEST_F(MappingEndToEnd, MappingFromVeqorasWindowStoresItAndSignalsTheService) {
    Env env = m_env;
    env.push_back({"VEQUI_AUTORUN", "map:Accounting:1234:" + m_target});
    veqprogram::BackgroundProgram veqora({veqtest::BuildDir() + "/bin/Veqora"}, env);
    ASSERT_TRUE(WaitForLog("Mailbox Accounting mapped: 1 folder: " + m_target)) << veqprogram::LogText()
                                                                              << veqora.Output();
    const std::string dropwell = veqprogram::ConfigFolder() + "Dropwell/";
    const std::string mapping = veqtest::ReadFile(dropwell + "VEQ_Dropwell.xml");
    EXPECT_NE(mapping.find("NameIP=\"127.0.0.1\""), std::string::npos) << mapping;
    EXPECT_NE(mapping.find("Mailbox=\"Accounting\""), std::string::npos) << mapping;
    EXPECT_NE(mapping.find("Folder=\"" + m_target + "\""), std::string::npos) << mapping;
    EXPECT_EQ(mapping.find("1234"), std::string::npos) << "the password stays out of the mapping file";
    EXPECT_TRUE(veqtest::FileExists(dropwell + "VEQFMWATCH_100804659.txt"));
    EXPECT_EQ(std::string(VEQNSUtils::GetFolderIcon(wxString::FromUTF8(m_target)).utf8_str()),
              Under("/Applications/Zelto/Veqora.app/Contents/Resources/veq_ok.icns"));
    EXPECT_TRUE(veqora.Running());  // the main window stays
}

TEST_F(MappingEndToEnd, WithTheServiceRunningTheMappedFolderFillsWithTheMailboxsJobs) {
    if (!veqtest::FileExists(ServiceHost())) GTEST_SKIP() << "the folder-mapping service is not built";
    veqprogram::BackgroundProgram service({ServiceHost()}, m_env);
    Env env = m_env;
    env.push_back({"VEQUI_AUTORUN", "map:Accounting:1234:" + m_target});
    veqprogram::BackgroundProgram veqora({veqtest::BuildDir() + "/bin/Veqora"}, env);
    ASSERT_TRUE(WaitForLog("Mailbox Accounting mapped: 1 folder: " + m_target)) << veqora.Output();
    // The demo controller's Accounting mailbox holds two jobs; none arrives empty.
    EXPECT_TRUE(veqtest::WaitFor([this]() { return FilesIn(m_target).size() >= 2; }, std::chrono::seconds(90)))
        << "files: " << FilesIn(m_target).size() << "\n" << service.Output() << veqprogram::LogText();
    for (const std::string& name : FilesIn(m_target)) {
        EXPECT_GT(veqtest::ReadFile(m_target + "/" + name).size(), 0u) << name;
    }
    EXPECT_TRUE(service.Running());
    EXPECT_TRUE(veqora.Running());
}

}  // namespace
