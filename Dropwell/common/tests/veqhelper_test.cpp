// The store's folders, password-file names, write probes, the temporary
// folder and folder icons.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

#include "StoreTestSupport.h"
#include "VEQHelper.h"
#include "VEQNSUtils.h"

using namespace storetest;

namespace {

std::string Utf8(const wxString& text) { return std::string(text.utf8_str()); }

TEST(VEQHelper, StoreFoldersAreMadeSharedUnderTheConfigurationFolder) {
    struct Case {
        bool mapping;
        const char* name;
    } cases[] = {{true, "Dropwell"}, {false, "DWP"}};
    for (const Case& c : cases) {
        wxString folder;
        VEQHelper::GetPasswordFilePath(folder, c.mapping);
        EXPECT_EQ(Utf8(folder), ConfigDir() + c.name);
        struct stat info;
        ASSERT_EQ(stat(Utf8(folder).c_str(), &info), 0) << c.name;
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 07777, 0777u) << c.name;
    }
}

TEST(VEQHelper, PasswordFileNames) {
    struct Case {
        const char* nameIP;
        const char* id;
        const char* expected;
    } cases[] = {
        {"10.0.0.5", "a/b/c", "VEQ_10.0.0.5_c.dwp"},
        {"10.0.0.5", "plain", "VEQ_10.0.0.5_plain.dwp"},
        {"host/name", "c", "VEQ_host_name_c.dwp"},
        {"h", "ends/", "VEQ_h_.dwp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VEQHelper::PasswordFileName(c.nameIP, c.id), c.expected) << c.nameIP << " " << c.id;
}

TEST(VEQHelper, WriteProbe) {
    veqtest::TempDir folder;
    EXPECT_TRUE(VEQHelper::IsDirWritable(wxString::FromUTF8(folder.Path())));
    EXPECT_TRUE(veqtest::FolderEntries(folder.Path()).empty()) << "the probe file was left behind";

    const std::string missing = folder / "missing";
    const veqtest::ChildResult child = veqtest::RunInChild([missing] {
        return VEQHelper::IsDirWritable(wxString::FromUTF8(missing)) ? 1 : 0;
    });
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(child.status, 0);
    EXPECT_TRUE(Logged("IsOpened() failed : " + missing + "/VEQTest"));

    // The quiet probe logs nothing and leaves the reason in errno.
    const std::string quietMissing = folder / "quiet";
    const veqtest::ChildResult quiet = veqtest::RunInChild([quietMissing] {
        if (VEQHelper::IsDirWritable(wxString::FromUTF8(quietMissing), false)) return 1;
        return errno == ENOENT ? 0 : 2;
    });
    ASSERT_TRUE(quiet.exited);
    EXPECT_EQ(quiet.status, 0) << "1: taken for writable, 2: errno does not say why";
    EXPECT_FALSE(Logged(quietMissing));

    // The probe's file is known by its name, so that watchers of the folder can pass it by.
    for (const char* name : {"VEQTest1569428121.tmp", "VEQTest1569428121_3.tmp"}) {
        EXPECT_TRUE(VEQHelper::IsProbeFileName(name)) << name;
    }
    for (const char* name : {"Scan.tmp", "VEQTest1569428121.PDF", "MyVEQTest1.tmp"}) {
        EXPECT_FALSE(VEQHelper::IsProbeFileName(name)) << name;
    }
}

TEST(VEQHelper, TemporaryFolderIsMade) {
    const wxString folder = VEQHelper::GetTempDir();
    EXPECT_EQ(Utf8(folder), veqtest::SandboxDir() + "/VEQ6/");
    struct stat info;
    ASSERT_EQ(stat(Utf8(folder).c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// The temporary folder holds staged scans: what stands at its name in a shared
// temporary folder is used only when it is a real folder of this user's.
TEST(VEQHelper, TemporaryFolderIsNeverOneAnotherUserCouldReach) {
    const std::string usual = veqtest::SandboxDir() + "/VEQ6";
    const std::string elsewhere = veqtest::SandboxDir() + "/elsewhere";
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0777), 0);
    const struct Case {
        const char* what;
        std::function<bool()> plant;  // false: the case cannot be set up here
        bool usualKept;
    } cases[] = {
        {"our folder left open by an earlier version", [&] { return mkdir(usual.c_str(), 0755) == 0; }, true},
        {"a link to another folder", [&] { return symlink(elsewhere.c_str(), usual.c_str()) == 0; }, false},
        {"a file", [&] { veqtest::WriteFile(usual, "x"); return true; }, false},
        {"another user's folder",
         [&] { return geteuid() == 0 && mkdir(usual.c_str(), 0777) == 0 && chown(usual.c_str(), 65534, 65534) == 0; },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(system(("rm -rf '" + usual + "'").c_str()), 0);
        if (!c.plant()) continue;
        const std::string chosenFile = veqtest::SandboxDir() + "/chosen";
        const veqtest::ChildResult child = veqtest::RunInChild([&] {
            veqtest::WriteFile(chosenFile, Utf8(VEQHelper::GetTempDir()));
            return 0;
        });
        ASSERT_TRUE(child.exited && child.status == 0) << child.output;
        const std::string chosen = veqtest::ReadFile(chosenFile);
        struct stat info;
        ASSERT_EQ(lstat(chosen.c_str(), &info), 0) << chosen;
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_uid, geteuid());
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        if (c.usualKept) {
            EXPECT_EQ(chosen, usual + "/");
        } else {
            EXPECT_EQ(chosen.rfind(usual + "-", 0), 0u) << chosen;
        }
        EXPECT_EQ(system(("test -z \"$(ls -A '" + elsewhere + "')\"").c_str()), 0) << "the link was followed";
        ASSERT_EQ(system(("rm -rf '" + chosen + "'").c_str()), 0);
    }
}

TEST(VEQHelper, FolderIconsComeFromTheInstalledBundle) {
    const std::string resources = veqplatform::UnderRoot("/Applications/Zelto/Veqora.app/Contents/Resources/");
    EXPECT_EQ(Utf8(VEQHelper::GetVEQAppInstalledDirectory()), veqplatform::UnderRoot("/Applications/Zelto/"));
    ASSERT_EQ(system(("mkdir -p '" + resources + "'").c_str()), 0);
    veqtest::WriteFile(resources + "veq_ok.icns", "ok");
    veqtest::WriteFile(resources + "veq_warning.icns", "warning");
    veqtest::TempDir folder;
    const wxString path = wxString::FromUTF8(folder.Path());

    VEQHelper::ChangeFolderIcon(path, false);
    EXPECT_EQ(Utf8(VEQNSUtils::GetFolderIcon(path)), resources + "veq_ok.icns");
    VEQHelper::ChangeFolderIcon(path, true);
    EXPECT_EQ(Utf8(VEQNSUtils::GetFolderIcon(path)), resources + "veq_warning.icns");
}

TEST(VEQHelper, StagedBundleHoldsReadableFolderIcons) {
    const std::string stage = veqtest::BuildDir() + "/root";
    for (const char* name : {"veq_ok.icns", "veq_warning.icns"}) {
        const std::string bytes = veqtest::ReadFile(stage + "/Applications/Zelto/Veqora.app/Contents/Resources/" + name);
        EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << name;
    }
    // A process of the staged tree gives a folder the staged icon.
    veqtest::TempDir folder;
    const std::string path = folder.Path();
    const veqtest::ChildResult child = veqtest::RunInChild([stage, path] {
        setenv("VEQ_ROOT", stage.c_str(), 1);
        VEQHelper::ChangeFolderIcon(wxString::FromUTF8(path), true);
        return 0;
    });
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(Utf8(VEQNSUtils::GetFolderIcon(wxString::FromUTF8(path))),
              stage + "/Applications/Zelto/Veqora.app/Contents/Resources/veq_warning.icns");
}

}  // namespace
