// Configuration folder, IPv4 check, UTF-8 conversion, version tests and
// privacy folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <stdexcept>
#include <string>

#include "LogTestSupport.h"
#include "VEQServicesUtil.h"

namespace {

std::string Narrow(const wxString& text) { return std::string(text.utf8_str()); }

TEST(ConfigDirectoryTest, IsMadeUnderTheRootAndEndsWithASeparator) {
    logtest::LogRoot root;
    const std::string expected = root.ConfigDir();
    const auto result = root.Run([expected] {
        if (Narrow(VEQServicesUtil::GetConfigDirectory()) != expected) return 1;
        struct stat st{};
        if (::stat(expected.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 2;
        // Asked again once it exists: the same text.
        return Narrow(VEQServicesUtil::GetConfigDirectory()) == expected ? 0 : 3;
    });
    EXPECT_TRUE(result.exited && result.status == 0) << result.status << result.output;
}

TEST(ConfigDirectoryTest, ReturnsThePathEvenWhenItCannotBeMade) {
    logtest::LogRoot root;
    veqtest::WriteFile(root.Path() + "/Library", "a file in the way");
    const std::string expected = root.ConfigDir();
    const auto result = root.Run([expected] {
        return Narrow(VEQServicesUtil::GetConfigDirectory()) == expected ? 0 : 1;
    });
    EXPECT_TRUE(result.exited && result.status == 0) << result.output;
    EXPECT_EQ(result.output, "") << "nothing is reported";
}

struct AddressCase {
    const char* text;
    bool valid;
};

class IPv4FormatTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(IPv4FormatTest, MatchesDottedQuadsOnly) {
    EXPECT_EQ(VEQServicesUtil::isValidIPv4AddressFormat(wxString::FromUTF8(GetParam().text)), GetParam().valid)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, IPv4FormatTest,
    ::testing::Values(AddressCase{"0.0.0.0", true}, AddressCase{"255.255.255.255", true},
                      AddressCase{"10.0.0.5", true}, AddressCase{"001.010.099.199", true},
                      AddressCase{"249.250.200.99", true}, AddressCase{" 10.0.0.1\n", true},
                      AddressCase{"\t127.0.0.1 \r", true}, AddressCase{"256.1.1.1", false},
                      AddressCase{"1.2.3.256", false}, AddressCase{"300.1.1.1", false},
                      AddressCase{"260.1.1.1", false}, AddressCase{"0001.1.1.1", false},
                      AddressCase{"1.2.3", false}, AddressCase{"1.2.3.4.5", false}, AddressCase{"1..3.4", false},
                      AddressCase{"1.2.3.4.", false}, AddressCase{"", false}, AddressCase{"   ", false},
                      AddressCase{"10.0.0.1 x", false}, AddressCase{"10.0. 0.1", false},
                      AddressCase{"+10.0.0.1", false}, AddressCase{"-1.0.0.1", false},
                      AddressCase{"a.b.c.d", false}, AddressCase{"localhost", false},
                      AddressCase{"\xd9\xa1.2.3.4", false}),  // an Arabic-Indic digit one
    [](const ::testing::TestParamInfo<AddressCase>& info) {
        return std::to_string(info.index) + (info.param.valid ? "_Valid" : "_Invalid");
    });

struct Utf8Case {
    std::wstring text;
    std::string utf8;
};

TEST(Utf8ConversionTest, EncodesEveryCodePointInOneToFourBytes) {
    const Utf8Case cases[] = {
        {L"", ""},
        {L"abc", "abc"},
        {std::wstring(1, L'\0') + L"x", std::string("\0x", 2)},
        {L"\u007f", "\x7f"},
        {L"\u0080", "\xc2\x80"},
        {L"\u00e9", "\xc3\xa9"},
        {L"\u07ff", "\xdf\xbf"},
        {L"\u0800", "\xe0\xa0\x80"},
        {L"\ud7ff", "\xed\x9f\xbf"},
        {L"\ue000", "\xee\x80\x80"},
        {L"\uffff", "\xef\xbf\xbf"},
        {L"\U00010000", "\xf0\x90\x80\x80"},
        {L"\U0001F600", "\xf0\x9f\x98\x80"},
        {L"\U0010FFFF", "\xf4\x8f\xbf\xbf"},
        {L"Caf\u00e9 \U0001F600", "Caf\xc3\xa9 \xf0\x9f\x98\x80"},
    };
    for (const Utf8Case& c : cases) {
        EXPECT_EQ(VEQServicesUtil::wstringTostringUTF8(c.text), c.utf8);
    }
}

TEST(Utf8ConversionTest, RefusesSurrogatesAndCodePointsBeyondUnicode) {
    for (std::uint32_t bad : {0xD800u, 0xDBFFu, 0xDC00u, 0xDFFFu, 0x110000u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        std::wstring text = L"ok";
        text += static_cast<wchar_t>(bad);
        try {
            VEQServicesUtil::wstringTostringUTF8(text);
            ADD_FAILURE() << std::hex << bad << " was accepted";
        } catch (const std::range_error& e) {
            EXPECT_STREQ(e.what(), "wstring_convert: to_bytes error");
        }
    }
}

TEST(MD5HashStringTest, ReturnsItsArgumentUnchanged) {
    for (const char* text : {"", "password", "\xc3\xa9t\xc3\xa9"}) {
        EXPECT_EQ(VEQServicesUtil::MD5HashString(wxString::FromUTF8(text)), wxString::FromUTF8(text));
    }
}

struct VersionCase {
    const char* version;  // null: VEQ_MACOS_VERSION unset
    bool atLeast10_10;
    bool atLeast10_15;
    bool atLeast11;
};

class OsVersionTest : public ::testing::TestWithParam<VersionCase> {};

// The plain test reads the version on every call.
TEST_P(OsVersionTest, PlainTestFollowsTheEmulatedVersion) {
    veqtest::ScopedEnv version("VEQ_MACOS_VERSION", GetParam().version);
    EXPECT_EQ(VEQServicesUtil::OSX10_XXnAbove(10), GetParam().atLeast10_10);
    EXPECT_EQ(VEQServicesUtil::OSX10_XXnAbove(15), GetParam().atLeast10_15);
    EXPECT_EQ(VEQServicesUtil::OSX10_XXnAbove(16), GetParam().atLeast11);
}

// The cached tests keep their first answer for the process.
TEST_P(OsVersionTest, CachedTestsAnswerForTheWholeProcess) {
    const VersionCase c = GetParam();
    const auto result = veqtest::RunInChild([c] {
        if (c.version) setenv("VEQ_MACOS_VERSION", c.version, 1);
        else unsetenv("VEQ_MACOS_VERSION");
        const bool first15 = VEQServicesUtil::OSX10_15nAbove();
        const bool first11 = VEQServicesUtil::OSX11_nAbove();
        setenv("VEQ_MACOS_VERSION", c.atLeast10_15 ? "10.9" : "13.0", 1);  // changes later are not seen
        if (VEQServicesUtil::OSX10_15nAbove() != first15 || VEQServicesUtil::OSX11_nAbove() != first11) return 3;
        return (first15 == c.atLeast10_15 ? 0 : 1) | (first11 == c.atLeast11 ? 0 : 2);
    });
    EXPECT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << "1: 10.15 answer wrong, 2: 11 answer wrong, 3: answer changed";
}

INSTANTIATE_TEST_SUITE_P(
    Versions, OsVersionTest,
    ::testing::Values(VersionCase{"10.9", false, false, false}, VersionCase{"10.10", true, false, false},
                      VersionCase{"10.14", true, false, false}, VersionCase{"10.14.6", true, false, false},
                      VersionCase{"10.15", true, true, false}, VersionCase{"10.16", true, true, true},
                      VersionCase{"11.0", true, true, true}, VersionCase{"11", true, true, true},
                      VersionCase{"12.6.1", true, true, true}, VersionCase{nullptr, true, true, true},
                      VersionCase{"9.20", false, false, false}, VersionCase{"garbage", false, false, false},
                      VersionCase{"0.0", false, false, false}),
    [](const ::testing::TestParamInfo<VersionCase>& info) {
        std::string name = info.param.version ? info.param.version : "Unset";
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        }
        return "V" + name;
    });

// Privacy folders, each case in its own process because the 10.15 answer is
// kept for the process. HOME and XDG_CONFIG_HOME are the test's own.
class PrivacyFolderTest : public ::testing::Test {
protected:
    veqtest::TempDir home;
    veqtest::TempDir config;

    // Runs IsOSXPrivacyFolder(path) under version with folderName preset to
    // "preset"; returns "true:<name>" or "false:<name>".
    std::string Ask(const std::string& path, const char* version = "12.0") {
        const std::string homePath = home.Path(), configPath = config.Path();
        const auto result = veqtest::RunInChild([=] {
            setenv("HOME", homePath.c_str(), 1);
            setenv("XDG_CONFIG_HOME", configPath.c_str(), 1);
            setenv("VEQ_MACOS_VERSION", version, 1);
            wxString name = "preset";
            const bool inside = VEQServicesUtil::IsOSXPrivacyFolder(wxString::FromUTF8(path.c_str()), name);
            std::printf("%s:%s", inside ? "true" : "false", static_cast<const char*>(name.utf8_str()));
            return 0;
        });
        EXPECT_TRUE(result.exited && result.status == 0) << result.output;
        return result.output;
    }
};

TEST_F(PrivacyFolderTest, BelowCatalinaNothingIsProtectedAndTheNameIsLeftAlone) {
    EXPECT_EQ(Ask(home / "Desktop/scans", "10.14"), "false:preset");
}

TEST_F(PrivacyFolderTest, PathsInsideTheThreeFoldersAreNamed) {
    EXPECT_EQ(Ask(home / "Desktop"), "true:Desktop");
    EXPECT_EQ(Ask(home / "Desktop/"), "true:Desktop");
    EXPECT_EQ(Ask(home / "Desktop/scans/2026"), "true:Desktop");
    EXPECT_EQ(Ask(home / "Documents/x"), "true:Documents");
    EXPECT_EQ(Ask(home / "Downloads/y"), "true:Downloads");
}

TEST_F(PrivacyFolderTest, OtherPathsAreNotProtectedAndClearTheName) {
    EXPECT_EQ(Ask(home / "Pictures"), "false:");
    EXPECT_EQ(Ask(home.Path()), "false:") << "the home folder itself";
    EXPECT_EQ(Ask(home / "DesktopArchive"), "false:") << "a sibling that only shares the prefix";
    EXPECT_EQ(Ask(home / "desktop/scans"), "false:") << "names are compared case-sensitively";
    EXPECT_EQ(Ask("/srv/share"), "false:");
}

TEST_F(PrivacyFolderTest, FoldersComeFromTheUserDirsFile) {
    veqtest::WriteFile(config / "user-dirs.dirs",
                       "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\nXDG_DOWNLOAD_DIR=\"/data/incoming\"\n");
    EXPECT_EQ(Ask(home / "Bureau/a"), "true:Desktop");
    EXPECT_EQ(Ask(home / "Desktop/a"), "false:");
    EXPECT_EQ(Ask("/data/incoming/scan.pdf"), "true:Downloads");
    EXPECT_EQ(Ask(home / "Documents/a"), "true:Documents") << "absent from the file: the default folder";
}

TEST_F(PrivacyFolderTest, AUserFolderThatIsTheHomeFolderProtectsNothing) {
    veqtest::WriteFile(config / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/\"\nXDG_DOCUMENTS_DIR=\"/\"\n");
    EXPECT_EQ(Ask(home / "scans"), "false:");
    EXPECT_EQ(Ask("/srv/share"), "false:");
    EXPECT_EQ(Ask(home / "Downloads/z"), "true:Downloads");
}

}  // namespace
