#include <dirent.h>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <locale.h>
#include <signal.h>
#include <stddef.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "ServicesTestSupport.h"
#include "VEQNSUtils.h"

namespace {

::testing::Environment* const s_wx = ::testing::AddGlobalTestEnvironment(new servicestest::WxEnvironment);

using servicestest::ExpectInChild;
using servicestest::HasLocale;
using servicestest::UseTimeZone;

const char* const kGenericIcon = "/System/Library/CoreServices/CoreTypes.bundle/Contents/Resources/GenericFolderIcon.icns";

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

// A folder to mark and two icon files.
class FolderIconTest : public ::testing::Test {
protected:
    veqtest::TempDir folder;
    veqtest::TempDir icons;
    std::string okIcon = icons / "veq_ok.icns";
    std::string warningIcon = icons / "veq_warning.icns";

    void SetUp() override {
        veqtest::WriteFile(okIcon, "ok icon");
        veqtest::WriteFile(warningIcon, "warning icon");
    }
};

TEST_F(FolderIconTest, IconSetOnAFolderCanBeReadBack) {
    EXPECT_EQ(VEQNSUtils::GetFolderIcon(folder.Path()), "");
    EXPECT_TRUE(VEQNSUtils::FolderSetIcon(folder.Path(), okIcon));
    EXPECT_EQ(VEQNSUtils::GetFolderIcon(folder.Path()), okIcon);
    EXPECT_TRUE(VEQNSUtils::FolderSetIcon(folder.Path(), warningIcon));
    EXPECT_EQ(VEQNSUtils::GetFolderIcon(folder.Path()), warningIcon);
    EXPECT_TRUE(Entries(folder.Path()).empty()) << "nothing is written inside the folder";
}

TEST_F(FolderIconTest, GenericIconClearsTheCustomIcon) {
    ASSERT_TRUE(VEQNSUtils::FolderSetIcon(folder.Path(), okIcon));
    EXPECT_TRUE(VEQNSUtils::FolderSetIcon(folder.Path(), kGenericIcon));
    EXPECT_EQ(VEQNSUtils::GetFolderIcon(folder.Path()), "");
    EXPECT_TRUE(VEQNSUtils::FolderSetIcon(folder.Path(), kGenericIcon)) << "a folder without a custom icon";
    EXPECT_TRUE(Entries(folder.Path()).empty());
}

TEST_F(FolderIconTest, GenericIconUnderTheRootClearsTheCustomIconToo) {
    servicestest::OwnRoot root;
    const std::string path = folder.Path();
    const std::string ok = okIcon;
    root.ExpectInChild([&] {
        ASSERT_TRUE(VEQNSUtils::FolderSetIcon(path, ok));
        EXPECT_TRUE(VEQNSUtils::FolderSetIcon(path, root.UnderRoot(kGenericIcon)));
        EXPECT_EQ(VEQNSUtils::GetFolderIcon(path), "");
    });
}

TEST_F(FolderIconTest, UnreadableIconFailsAndLeavesNoCustomIcon) {
    for (const std::string& bad : {icons / "missing.icns", icons.Path()}) {
        ASSERT_TRUE(VEQNSUtils::FolderSetIcon(folder.Path(), okIcon));
        EXPECT_FALSE(VEQNSUtils::FolderSetIcon(folder.Path(), bad)) << bad;
        EXPECT_EQ(VEQNSUtils::GetFolderIcon(folder.Path()), "") << bad;
    }
}

TEST_F(FolderIconTest, MissingFolderFails) {
    EXPECT_FALSE(VEQNSUtils::FolderSetIcon(folder / "gone", okIcon));
    EXPECT_FALSE(VEQNSUtils::FolderSetIcon(folder / "gone", kGenericIcon));
    EXPECT_EQ(VEQNSUtils::GetFolderIcon(folder / "gone"), "");
}

TEST_F(FolderIconTest, ResultGoesToTheSystemLog) {
    const std::string path = folder.Path();
    const std::string ok = okIcon;
    veqtest::ChildResult result = veqtest::RunInChild([&] {
        VEQNSUtils::FolderSetIcon(path, ok);
        VEQNSUtils::FolderSetIcon(path + "/gone", ok);
        return 0;
    });
    ASSERT_TRUE(result.exited);
    size_t first = result.output.find("] 1\n");
    size_t second = result.output.find("] 0\n");
    EXPECT_NE(first, std::string::npos) << result.output;
    EXPECT_NE(second, std::string::npos) << result.output;
    EXPECT_LT(first, second);
}

struct RenderingCase {
    const char* zone;
    const char* locale;
    unsigned long seconds;
    const char* dateTime;
    const char* time;
    const char* date;
};

void ExpectRenderings(const RenderingCase& c) {
    ExpectInChild([&c] {
        UseTimeZone(c.zone);
        ASSERT_NE(setlocale(LC_ALL, c.locale), nullptr) << c.locale;
        EXPECT_EQ(VEQNSUtils::FormatDateTime(c.seconds), wxString::FromUTF8(c.dateTime)) << c.zone << " " << c.locale;
        EXPECT_EQ(VEQNSUtils::FormatTime(c.seconds), wxString::FromUTF8(c.time)) << c.zone << " " << c.locale;
        EXPECT_EQ(VEQNSUtils::FormatDate(c.seconds), wxString::FromUTF8(c.date)) << c.zone << " " << c.locale;
    });
}

TEST(DateRenderings, FollowTheProcessTimeZone) {
    const RenderingCase cases[] = {
        {"UTC", "C", 0, "01/01/70 00:00:00", "00:00:00", "01/01/70"},
        {"XXX-1", "C", 0, "01/01/70 01:00:00", "01:00:00", "01/01/70"},
        {"America/New_York", "C", 0, "12/31/69 19:00:00", "19:00:00", "12/31/69"},
        {"UTC", "C", 1577880000, "01/01/20 12:00:00", "12:00:00", "01/01/20"},
    };
    for (const RenderingCase& c : cases) ExpectRenderings(c);
}

TEST(DateRenderings, FollowTheProcessLocale) {
    const RenderingCase cases[] = {
        {"UTC", "en_US.UTF-8", 0, "01/01/1970 12:00:00 AM", "12:00:00 AM", "01/01/1970"},
        {"UTC", "de_DE.UTF-8", 0, "01.01.1970 00:00:00", "00:00:00", "01.01.1970"},
        {"UTC", "fr_FR.UTF-8", 0, "01/01/1970 00:00:00", "00:00:00", "01/01/1970"},
        {"UTC", "ja_JP.UTF-8", 0, "1970年01月01日 00時00分00秒", "00時00分00秒", "1970年01月01日"},
    };
    for (const RenderingCase& c : cases) {
        if (!HasLocale(c.locale)) {
            ADD_FAILURE() << c.locale << " is missing; scripts/setup generates it";
            continue;
        }
        ExpectRenderings(c);
    }
}

TEST(DateRenderings, TimeBeyondTheCalendarGivesTheEmptyText) {
    for (unsigned long seconds : {ULONG_MAX, static_cast<unsigned long>(LONG_MAX), static_cast<unsigned long>(LONG_MAX) + 1}) {
        EXPECT_EQ(VEQNSUtils::FormatDateTime(seconds), "") << seconds;
        EXPECT_EQ(VEQNSUtils::FormatTime(seconds), "") << seconds;
        EXPECT_EQ(VEQNSUtils::FormatDate(seconds), "") << seconds;
    }
}

TEST(MetricSystem, FollowsTheLocalesMeasurement) {
    const std::pair<const char*, bool> cases[] = {
        {"C", true}, {"en_US.UTF-8", false}, {"de_DE.UTF-8", true}, {"fr_FR.UTF-8", true},
    };
    for (const auto& c : cases) {
        if (!HasLocale(c.first)) {
            ADD_FAILURE() << c.first << " is missing; scripts/setup generates it";
            continue;
        }
        ExpectInChild([&c] {
            ASSERT_NE(setlocale(LC_MEASUREMENT, c.first), nullptr);
            EXPECT_EQ(VEQNSUtils::IsMetricSystem(), c.second) << c.first;
        });
    }
}

const char* const kPlist = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
    <key>CFBundleShortVersionString</key>
    <string>10.0.0</string>
    <key>Name</key>
    <string>Fran&#231;ais &amp; more</string>
    <key>Count</key>
    <integer> 42 </integer>
    <key>Ratio</key>
    <real>1.5</real>
    <key>Flag</key>
    <true/>
    <key>Off</key>
    <false/>
    <key>When</key>
    <date>2020-01-01T12:00:00Z</date>
    <key>Blob</key>
    <data>AAEC</data>
    <key>List</key>
    <array><string>a</string></array>
    <key>Empty</key>
    <string/>
    <!-- a comment between members -->
    <key>Outer</key>
    <dict>
        <key>Inner</key>
        <string>deep</string>
        <key>Deeper</key>
        <dict><key>Leaf</key><string>leaf</string></dict>
    </dict>
    <key>Twice</key>
    <string>first</string>
    <key>Twice</key>
    <string>second</string>
</dict>
</plist>
)";

class PropertyListTest : public ::testing::Test {
protected:
    veqtest::TempDir folder;
    std::string plist = folder / "Info.plist";

    void SetUp() override { veqtest::WriteFile(plist, kPlist); }

    std::string WriteFile(const char* name, const std::string& content) const {
        veqtest::WriteFile(folder / name, content);
        return folder / name;
    }
};

TEST_F(PropertyListTest, KeyPathsFindValuesBelowTheParentKeyPath) {
    struct Case {
        const char* key;
        const char* parent;
        const char* expected;
    };
    const Case cases[] = {
        {"CFBundleShortVersionString", "", "10.0.0"},
        {"Name", "", "Français & more"},
        {"Count", "", "42"},
        {"Ratio", "", "1.5"},
        {"Flag", "", "1"},
        {"Off", "", "0"},
        {"When", "", "2020-01-01T12:00:00Z"},
        {"Blob", "", ""},
        {"List", "", ""},
        {"Empty", "", ""},
        {"Outer", "", ""},
        {"Outer.Inner", "", "deep"},
        {"Inner", "Outer", "deep"},
        {"Leaf", "Outer.Deeper", "leaf"},
        {"Deeper.Leaf", "Outer", "leaf"},
        {"Twice", "", "second"},
        {"Missing", "", ""},
        {"Inner", "Missing", ""},
        {"Inner", "Name", ""},
        {"Name.Part", "", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VEQNSUtils::GetValueForKeyInPlist(plist, c.key, c.parent), wxString::FromUTF8(c.expected))
            << c.parent << " / " << c.key;
    }
}

TEST_F(PropertyListTest, FilesThatAreNoDictionaryGiveNothing) {
    const std::string files[] = {
        folder / "missing.plist",
        WriteFile("empty.plist", ""),
        WriteFile("text.plist", "CFBundleShortVersionString = 1.0"),
        WriteFile("html.plist", "<html><body>CFBundleShortVersionString</body></html>"),
        WriteFile("array.plist", "<plist version=\"1.0\"><array><string>CFBundleShortVersionString</string></array></plist>"),
        WriteFile("broken.plist", "<plist version=\"1.0\"><dict><key>CFBundleShortVersionString</key></dict></plist>"),
        folder.Path(),
    };
    for (const std::string& file : files) {
        EXPECT_EQ(VEQNSUtils::GetValueForKeyInPlist(file, "CFBundleShortVersionString", ""), "") << file;
    }
}

// A bundle folder with an information list holding the given members.
std::string MakeBundle(const std::string& path, const std::string& members, bool flat = false) {
    std::string command = "mkdir -p '" + path + (flat ? "" : "/Contents") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    veqtest::WriteFile(path + (flat ? "/Info.plist" : "/Contents/Info.plist"),
                       "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + members + "</dict></plist>");
    return path;
}

TEST(BundleVersion, IsTheShortVersionStringOfTheBundlesInformation) {
    veqtest::TempDir folder;
    const std::string version = "<key>CFBundleShortVersionString</key><string>2.3.4</string>";
    const std::string app = MakeBundle(folder / "Tool.app", version);
    EXPECT_EQ(VEQNSUtils::GetVersion(app), "2.3.4");
    EXPECT_EQ(VEQNSUtils::GetVersion(app + "/"), "2.3.4");
    EXPECT_EQ(VEQNSUtils::GetVersion(MakeBundle(folder / "Flat.bundle", version, true)), "2.3.4");
    EXPECT_EQ(VEQNSUtils::GetVersion(MakeBundle(folder / "NoVersion.app", "<key>CFBundleName</key><string>x</string>")), "");
    EXPECT_EQ(VEQNSUtils::GetVersion(
                  MakeBundle(folder / "Number.app", "<key>CFBundleShortVersionString</key><integer>2</integer>")),
              "");
    EXPECT_EQ(VEQNSUtils::GetVersion(folder / "Missing.app"), "");
    EXPECT_EQ(VEQNSUtils::GetVersion(folder.Path()), "");
}

TEST(BundleVersion, ApplicationVersionComesFromTheStagedMainBundle) {
    servicestest::OwnRoot root;
    root.ExpectInChild([] { EXPECT_EQ(VEQNSUtils::GetApplicationVersion(), ""); });
    MakeBundle(root.UnderRoot("/Applications/Zelto/Veqora.app"),
               "<key>CFBundleShortVersionString</key><string>10.0.0</string>");
    root.ExpectInChild([] { EXPECT_EQ(VEQNSUtils::GetApplicationVersion(), "10.0.0"); });
}

TEST(Reachability, LoopbackIsUpAndTextWithoutAHostIsNot) {
    const std::pair<const char*, bool> cases[] = {
        {"http://127.0.0.1", true},     {"http://localhost:8080/status", true}, {"http://[::1]/", true},
        {"http://127.1.2.3", true},     {"", false},                            {"not a url", false},
        {"http://", false},             {"http://bad host/", false},            {"http://host:port/", false},
        {"//www.example.com", false},   {"http://[::1/", false},
    };
    for (const auto& c : cases) EXPECT_EQ(VEQNSUtils::CheckForInternet(c.first), c.second) << c.first;
}

// Makes every later socket, connect or send call of this process kill it.
bool ForbidNetworkCalls() {
#if defined(__x86_64__)
    const unsigned int arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    const unsigned int arch = AUDIT_ARCH_AARCH64;
#else
    return false;
#endif
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, arch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_socket, 5, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_connect, 4, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_sendto, 3, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_sendmsg, 2, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_sendmmsg, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return false;
    return prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

constexpr int kNoFilter = 77;

TEST(Reachability, ProbesAreAnsweredWithoutAnyNetworkCall) {
    // The guard itself: a socket call after it ends the process.
    veqtest::ChildResult control = veqtest::RunInChild([] {
        if (!ForbidNetworkCalls()) return kNoFilter;
        socket(AF_INET, SOCK_DGRAM, 0);
        return 0;
    });
    if (control.exited && control.status == kNoFilter) GTEST_SKIP() << "seccomp filters are not available here";
    ASSERT_FALSE(control.exited) << control.output;
    ASSERT_EQ(control.status, SIGSYS);

    veqtest::TempDir folder;
    veqtest::WriteFile(folder / "Info.plist", kPlist);
    const std::string plist = folder / "Info.plist";
    veqtest::ChildResult probe = veqtest::RunInChild([&plist] {
        if (!ForbidNetworkCalls()) return kNoFilter;
        VEQNSUtils::IsInternetConnectionAvailable();
        VEQNSUtils::CheckForInternet("http://www.example.com");
        VEQNSUtils::CheckForInternet("https://10.0.0.5:8443/");
        // The property list names its DTD by URL; it is not fetched.
        return VEQNSUtils::GetValueForKeyInPlist(plist, "CFBundleShortVersionString", "") == "10.0.0" ? 0 : 1;
    });
    EXPECT_TRUE(probe.exited) << "a network call was made";
    EXPECT_EQ(probe.status, 0) << probe.output;
}

struct LanguageCase {
    const char* language;  // LANGUAGE
    const char* all;       // LC_ALL
    const char* messages;  // LC_MESSAGES
    const char* lang;      // LANG
    const char* expected;
};

TEST(PreferredLanguage, IsTheFirstSetVariableAsALanguageTag) {
    const LanguageCase cases[] = {
        {nullptr, nullptr, nullptr, nullptr, ""},
        {nullptr, nullptr, nullptr, "fr_CA.UTF-8", "fr-CA"},
        {nullptr, nullptr, "de_DE@euro", "fr_FR", "de-DE"},
        {nullptr, "ja_JP.UTF-8", "de_DE", "fr_FR", "ja-JP"},
        {"pt_BR:en", "ja_JP.UTF-8", nullptr, nullptr, "pt-BR"},
        {"", nullptr, nullptr, "it", "it"},
        {nullptr, nullptr, nullptr, "zh_CN.GB2312", "zh-Hans-CN"},
        {nullptr, nullptr, nullptr, "zh_SG", "zh-Hans-SG"},
        {nullptr, nullptr, nullptr, "zh_TW.UTF-8", "zh-Hant-TW"},
        {nullptr, nullptr, nullptr, "zh_HK", "zh-Hant-HK"},
        {nullptr, nullptr, nullptr, "zh_MO", "zh-Hant-MO"},
        {nullptr, nullptr, nullptr, "zh", "zh"},
        {nullptr, nullptr, nullptr, "sr_RS@latin", "sr-RS"},
        {nullptr, nullptr, nullptr, "C", ""},
        {nullptr, "C.UTF-8", nullptr, "fr_FR", ""},
        {nullptr, nullptr, nullptr, "POSIX", ""},
    };
    for (const LanguageCase& c : cases) {
        veqtest::ScopedEnv language("LANGUAGE", c.language);
        veqtest::ScopedEnv all("LC_ALL", c.all);
        veqtest::ScopedEnv messages("LC_MESSAGES", c.messages);
        veqtest::ScopedEnv lang("LANG", c.lang);
        EXPECT_EQ(VEQNSUtils::GetSystemLanguage(), c.expected)
            << (c.language ? c.language : "-") << " " << (c.all ? c.all : "-") << " "
            << (c.messages ? c.messages : "-") << " " << (c.lang ? c.lang : "-");
    }
}

}  // namespace
