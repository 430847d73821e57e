#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "DevPreferences.h"
#include "ServicesTestSupport.h"
#include "VEQPreferences.h"

namespace {

const char* const kPrivacyKey = "ShouldShowPrivacyFolderWarningMessage";
const char* const kStartupKey = "ShouldShowStartupPrivacyFolderWarningMessage";
const char* const kDevKey = "DissplayIPInServerSelection";

// A root of the test's own with helpers for the two preference files.
class PreferencesTest : public ::testing::Test {
protected:
    servicestest::OwnRoot root;

    std::string PreferencesFile() const { return root.ConfigDir() + "VEQPreferences.json"; }
    std::string DevPreferencesFile() const { return root.ConfigDir() + "devPreferences.json"; }

    void MakeConfigDir() const {
        std::string command = "mkdir -p '" + root.ConfigDir() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    void WritePreferences(const std::string& content) const {
        MakeConfigDir();
        veqtest::WriteFile(PreferencesFile(), content);
    }

    static Json::Value ParseJson(const std::string& text) {
        Json::Value value;
        Json::CharReaderBuilder builder;
        std::string errors;
        std::istringstream stream(text);
        EXPECT_TRUE(Json::parseFromStream(builder, stream, &value, &errors)) << errors << "\n" << text;
        return value;
    }

    std::vector<std::string> ConfigDirEntries() const {
        std::vector<std::string> names;
        if (DIR* dir = opendir(root.ConfigDir().c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(dir);
        }
        return names;
    }
};

TEST_F(PreferencesTest, KeyConstantsHoldTheStoredKeyTexts) {
    EXPECT_EQ(VEQPrefKeys::g_ShouldShowPrivacyFolderWarningMessage, kPrivacyKey);
    EXPECT_EQ(VEQPrefKeys::g_ShouldShowStartupPrivacyFolderWarningMessage, kStartupKey);
    EXPECT_EQ(DevPrefKeys::g_DevPDissplayIPInServerSelection, kDevKey);
}

TEST_F(PreferencesTest, FirstGetWritesBothWarningDefaults) {
    root.ExpectInChild([] {
        EXPECT_EQ(VEQPreferences::Get().GetValue<int>(kPrivacyKey), 1);
        EXPECT_EQ(VEQPreferences::Get().GetValue<int>(kStartupKey), 1);
    });
    const std::string text = veqtest::ReadFile(PreferencesFile());
    Json::Value file = ParseJson(text);
    ASSERT_TRUE(file.isObject());
    EXPECT_EQ(file.size(), 2u);
    EXPECT_EQ(file[kPrivacyKey], "1");
    EXPECT_EQ(file[kStartupKey], "1");
    // Pretty printed: braces on their own lines, members indented by four blanks.
    EXPECT_EQ(text.substr(0, 6), "{\n    ");
    EXPECT_EQ(text.substr(text.size() - 3), "\n}\n");
}

TEST_F(PreferencesTest, DevPreferencesWriteTheirFileOnlyAtExit) {
    const std::string file = DevPreferencesFile();
    root.ExpectInChild([&file] {
        EXPECT_EQ(DevPreferences::Get().GetValue<int>(kDevKey), 0);
        EXPECT_FALSE(veqtest::FileExists(file));
    });
    Json::Value saved = ParseJson(veqtest::ReadFile(file));
    EXPECT_EQ(saved[kDevKey], "0");
    EXPECT_EQ(saved.size(), 1u);
}

TEST_F(PreferencesTest, DevPreferencesKeepExtraMembersAndSaveSetValuesAtOnce) {
    MakeConfigDir();
    veqtest::WriteFile(DevPreferencesFile(), "{\"Extra\": \"kept\"}");
    const std::string file = DevPreferencesFile();
    root.ExpectInChild([&file] {
        DevPreferences::Get().SetValue<int>(kDevKey, 1);
        EXPECT_NE(veqtest::ReadFile(file).find("\"DissplayIPInServerSelection\": \"1\""), std::string::npos);
    });
    Json::Value saved = ParseJson(veqtest::ReadFile(file));
    EXPECT_EQ(saved[kDevKey], "1");
    EXPECT_EQ(saved["Extra"], "kept");
}

TEST_F(PreferencesTest, FileValuesOverrideDefaultsAndExtraMembersAreWrittenBack) {
    const std::string original = "{\"ShouldShowPrivacyFolderWarningMessage\": \"0\", \"Extra\": \"x\", \"Count\": 0}";
    WritePreferences(original);
    const std::string file = PreferencesFile();
    root.ExpectInChild([&file, &original] {
        VEQPreferences& preferences = VEQPreferences::Get();
        EXPECT_EQ(preferences.GetValue<int>(kPrivacyKey), 0);
        EXPECT_EQ(preferences.GetValue<int>(kStartupKey), 1);
        EXPECT_EQ(preferences.GetValue<int>("Count"), 0);
        EXPECT_EQ(veqtest::ReadFile(file), original) << "an existing file is not rewritten by Get";
        preferences.SetValue<int>(kStartupKey, 0);
    });
    Json::Value saved = ParseJson(veqtest::ReadFile(file));
    EXPECT_EQ(saved[kPrivacyKey], "0");
    EXPECT_EQ(saved[kStartupKey], "0");
    EXPECT_EQ(saved["Extra"], "x");
    EXPECT_EQ(saved["Count"], "0") << "a number is written back as a string";
}

TEST_F(PreferencesTest, GetValueConvertsOnlyWholeIntegers) {
    WritePreferences(
        "{\"empty\": \"\", \"yes\": \"yes\", \"real\": \"1.0\", \"blank\": \" 1\", \"big\": \"2147483648\","
        " \"plus\": \"+1\", \"minus\": \"-7\", \"number\": 12, \"truth\": true, \"nothing\": null,"
        " \"object\": {\"a\": \"1\"}, \"array\": [1, 2], \"twice\": \"1\", \"twice\": \"2\"}");
    root.ExpectInChild([] {
        struct Case {
            const char* key;
            bool throws;
            int value;
        };
        const Case cases[] = {
            {"empty", true, 0},  {"yes", true, 0},    {"real", true, 0},    {"blank", true, 0},
            {"big", true, 0},    {"plus", false, 1},  {"minus", false, -7}, {"number", false, 12},
            {"truth", true, 0},  {"nothing", true, 0}, {"object", true, 0}, {"array", true, 0},
            {"twice", false, 2}, {"neverSet", false, 0},
        };
        for (const Case& c : cases) {
            if (c.throws) {
                try {
                    VEQPreferences::Get().GetValue<int>(c.key);
                    ADD_FAILURE() << c.key << " converted";
                } catch (const BadPreferenceTypeException& e) {
                    EXPECT_STREQ(e.what(), "bad preference type") << c.key;
                }
            } else {
                EXPECT_EQ(VEQPreferences::Get().GetValue<int>(c.key), c.value) << c.key;
            }
        }
    });
}

TEST_F(PreferencesTest, NestedValuesAreWrittenBackAsEmptyText) {
    WritePreferences("{\"object\": {\"a\": \"1\"}, \"array\": [1, 2]}");
    root.ExpectInChild([] { VEQPreferences::Get().SetValue<int>(kPrivacyKey, 1); });
    Json::Value saved = ParseJson(veqtest::ReadFile(PreferencesFile()));
    EXPECT_EQ(saved["object"], "");
    EXPECT_EQ(saved["array"], "");
}

TEST_F(PreferencesTest, FaultyFilesLeaveDefaultsAndStayUntouched) {
    const std::vector<std::string> faulty = {
        "",
        "not json at all",
        "{\"ShouldShowPrivacyFolderWarningMessage\": \"0\"",
        std::string("{\"ShouldShowPrivacyFolderWarningMessage\": \"\xff\xfe\"}"),
        "{\"ShouldShowPrivacyFolderWarningMessage\": \"0\", \"deep\": " + std::string(100000, '[') +
            std::string(100000, ']') + "}",
    };
    for (const std::string& content : faulty) {
        WritePreferences(content);
        root.ExpectInChild([] {
            EXPECT_EQ(VEQPreferences::Get().GetValue<int>(kPrivacyKey), 1);
            EXPECT_EQ(VEQPreferences::Get().GetValue<int>(kStartupKey), 1);
        });
        EXPECT_EQ(veqtest::ReadFile(PreferencesFile()), content);
    }
}

TEST_F(PreferencesTest, SetValueRewritesTheFileEvenWithAnUnchangedValue) {
    WritePreferences("{\"ShouldShowPrivacyFolderWarningMessage\":\"0\"}");
    root.ExpectInChild([] { VEQPreferences::Get().SetValue<int>(kPrivacyKey, 0); });
    const std::string text = veqtest::ReadFile(PreferencesFile());
    EXPECT_NE(text.find("    \"ShouldShowPrivacyFolderWarningMessage\": \"0\""), std::string::npos) << text;
    EXPECT_EQ(ParseJson(text)[kStartupKey], "1") << "the default joins the file at the next save";
}

TEST_F(PreferencesTest, KeyWithFullStopIsSavedAsNestedObject) {
    root.ExpectInChild([] { VEQPreferences::Get().SetValue<int>("a.b", 5); });
    Json::Value saved = ParseJson(veqtest::ReadFile(PreferencesFile()));
    EXPECT_EQ(saved["a"]["b"], "5");
    root.ExpectInChild([] {
        EXPECT_EQ(VEQPreferences::Get().GetValue<int>("a.b"), 0);
        EXPECT_THROW(VEQPreferences::Get().GetValue<int>("a"), BadPreferenceTypeException);
    });
}

TEST_F(PreferencesTest, SaveReplacesTheFileInsteadOfTruncatingIt) {
    WritePreferences("{\"ShouldShowPrivacyFolderWarningMessage\": \"1\", \"Extra\": \"old\"}");
    const std::string original = veqtest::ReadFile(PreferencesFile());
    chmod(PreferencesFile().c_str(), 0640);
    const std::string file = PreferencesFile();
    root.ExpectInChild([&file, &original] {
        VEQPreferences& preferences = VEQPreferences::Get();
        int reader = open(file.c_str(), O_RDONLY);
        ASSERT_GE(reader, 0);
        preferences.SetValue<int>(kPrivacyKey, 0);
        // A reader that opened the file before the save still sees all of the old text.
        std::string seen(4096, '\0');
        ssize_t length = pread(reader, &seen[0], seen.size(), 0);
        close(reader);
        ASSERT_GE(length, 0);
        seen.resize(static_cast<size_t>(length));
        EXPECT_EQ(seen, original);
    });
    EXPECT_EQ(ParseJson(veqtest::ReadFile(PreferencesFile()))[kPrivacyKey], "0");
    struct stat st;
    ASSERT_EQ(stat(PreferencesFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the file keeps its permissions";
    EXPECT_EQ(ConfigDirEntries(), std::vector<std::string>{"VEQPreferences.json"});
}

TEST_F(PreferencesTest, FailedWriteLeavesTheOldFileWhole) {
    WritePreferences("{\n    \"ShouldShowPrivacyFolderWarningMessage\": \"1\",\n    \"Extra\": \"old\"\n}\n");
    const std::string original = veqtest::ReadFile(PreferencesFile());
    root.ExpectInChild([] {
        VEQPreferences& preferences = VEQPreferences::Get();
        // From here on no file may grow beyond 16 bytes: every save fails midway.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, 16};
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
        preferences.SetValue<int>(kPrivacyKey, 0);
        EXPECT_EQ(preferences.GetValue<int>(kPrivacyKey), 0) << "the value stays in memory";
    });
    EXPECT_EQ(veqtest::ReadFile(PreferencesFile()), original);
    EXPECT_EQ(ConfigDirEntries(), std::vector<std::string>{"VEQPreferences.json"}) << "no temporary file is left";
}

TEST_F(PreferencesTest, UnsavableFileIsReportedToNoOne) {
    // A folder where the file should be: every save fails, quietly.
    MakeConfigDir();
    ASSERT_EQ(mkdir(PreferencesFile().c_str(), 0755), 0);
    root.ExpectInChild([] {
        VEQPreferences& preferences = VEQPreferences::Get();
        EXPECT_EQ(preferences.GetValue<int>(kPrivacyKey), 1);
        EXPECT_NO_THROW(preferences.SetValue<int>(kPrivacyKey, 0));
        EXPECT_EQ(preferences.GetValue<int>(kPrivacyKey), 0);
    });
    EXPECT_EQ(ConfigDirEntries(), std::vector<std::string>{"VEQPreferences.json"});
}

}  // namespace
