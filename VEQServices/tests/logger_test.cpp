// The logger as a program sees it: "logconfig.json", the log folder, file
// names, line format, rotation and pruning at exit. Every scenario runs in a
// child process, since the logger is built once per process and prunes at exit.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <regex>
#include <set>
#include <thread>
#include <vector>

#include <json/json.h>

#include "LogTestSupport.h"
#include "Logger.h"

using logtest::AllLines;
using logtest::FileNames;
using logtest::LogRoot;

namespace {

const char* const kDefaultConfiguration =
    "{\n"
    "   \"isConsoleLoggingOn\" : false,\n"
    "   \"isFileLoggingOn\" : true,\n"
    "   \"logFileName\" : \"VEQLog\",\n"
    "   \"logSeverityLevel\" : \"Debug\",\n"
    "   \"maxLogFileSize\" : 10485760,\n"
    "   \"maxTotalLogFilesRetained\" : 10,\n"
    "   \"maxTotalLogFilesSize\" : 104857600\n"
    "}\n";

const std::regex kLinePattern(
    R"(^\d{2}-\d{2}-\d{4} \d{2}:\d{2}:\d{2} <(Trace|Info|Debug|Warning|Error|Critical|Fatal)> (.*)$)");

// One statement per level; Debug comes first, so the very first statement of
// the process is judged against the configured level.
void LogEachLevel() {
    for (SeverityLevel level : {Debug, Trace, Info, Warning, Error, Critical, Fatal}) {
        VEQLOG(level) << "level " << GetSeverityLevelString(level);
    }
}

int LogEachLevelAndExit() {
    LogEachLevel();
    return 0;
}

// The levels of the "level X" lines among lines, in order.
std::vector<std::string> LoggedLevels(const std::vector<std::string>& lines) {
    std::vector<std::string> levels;
    std::smatch match;
    for (const std::string& line : lines) {
        if (!std::regex_match(line, match, kLinePattern)) continue;
        const std::string message = match[2];
        const std::regex levelMessage(R"(logger_test\.cpp::LogEachLevel::\d+ level (\w+))");
        std::smatch m;
        if (std::regex_match(message, m, levelMessage)) {
            EXPECT_EQ(m[1], match[1]) << line;
            levels.push_back(m[1]);
        }
    }
    return levels;
}

const std::vector<std::string> kDebugAndAbove = {"Debug", "Warning", "Error", "Critical", "Fatal"};

std::string LocalTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y_%m_%d_%H_%M_%S", &local);
    return text;
}

// A log file of an earlier run, of the given size.
void WriteOldLogFile(const std::string& folder, const std::string& name, std::size_t size = 10) {
    LogRoot::MakeDirs(folder);
    veqtest::WriteFile(folder + name, std::string(size, 'x'));
}

mode_t ModeOf(const std::string& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & 07777;
}

class LoggerTest : public ::testing::Test {
protected:
    LogRoot root;

    static ::testing::AssertionResult CleanExit(const veqtest::ChildResult& result) {
        if (result.exited && result.status == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << (result.exited ? "exit status " : "signal ") << result.status
                                             << "\n" << result.output;
    }
};

TEST_F(LoggerTest, WithoutConfigurationWritesDefaultsAndLogsAtDebugIntoOneFile) {
    const std::string before = LocalTimeNow();
    const auto result = root.Run([] {
        umask(022);
        return LogEachLevelAndExit();
    });
    const std::string after = LocalTimeNow();
    ASSERT_TRUE(CleanExit(result));

    EXPECT_EQ(veqtest::ReadFile(root.ConfigFile()), kDefaultConfiguration);
    EXPECT_EQ(ModeOf(root.LogsDir()), 01777u) << "a new Logs folder is open to every user, each keeping their own files";

    const auto names = FileNames(root.LogsDir());
    ASSERT_EQ(names.size(), 1u);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(names[0], match, std::regex(R"(VEQLog_(\d{4}(_\d{2}){5})_00000\.log)")))
        << names[0];
    EXPECT_GE(match[1].str(), before);
    EXPECT_LE(match[1].str(), after);

    EXPECT_EQ(LoggedLevels(AllLines(root.LogsDir())), kDebugAndAbove);
    EXPECT_EQ(result.output.find("level"), std::string::npos) << "no console output by default";
}

TEST_F(LoggerTest, LineFormatHoldsTimeLevelSourceAndText) {
    const auto result = root.Run([] {
        SetLevelAndGetLogger(Warning, "dir/sub/Name.ext", "Outer::Inner", 7) << "abc";
        return 0;
    });
    ASSERT_TRUE(CleanExit(result));
    const auto lines = AllLines(root.LogsDir());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d{2}-\d{2}-\d{4} \d{2}:\d{2}:\d{2} <Warning> Name\.ext::Inner::7 abc)")))
        << lines[0];
}

struct LevelCase {
    const char* name;
    const char* configuration;
    std::vector<std::string> written;
};

class ConfiguredLevelTest : public LoggerTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(ConfiguredLevelTest, WritesExactlyTheLevelsAtOrAboveTheConfiguredOne) {
    root.WriteConfig(GetParam().configuration);
    ASSERT_TRUE(CleanExit(root.Run(LogEachLevelAndExit)));
    EXPECT_EQ(LoggedLevels(AllLines(root.LogsDir())), GetParam().written);
    EXPECT_EQ(veqtest::ReadFile(root.ConfigFile()), GetParam().configuration) << "an existing file is never rewritten";
}

INSTANTIATE_TEST_SUITE_P(
    Levels, ConfiguredLevelTest,
    ::testing::Values(
        LevelCase{"Warning", R"({"logSeverityLevel": "Warning"})", {"Warning", "Error", "Critical", "Fatal"}},
        LevelCase{"Info", R"({"logSeverityLevel": "Info"})", {"Debug", "Info", "Warning", "Error", "Critical", "Fatal"}},
        LevelCase{"Trace", R"({"logSeverityLevel": "Trace"})",
                  {"Debug", "Trace", "Info", "Warning", "Error", "Critical", "Fatal"}},
        LevelCase{"LowerCaseName", R"({"logSeverityLevel": "debug"})", {"Fatal"}},
        LevelCase{"UnknownName", R"({"logSeverityLevel": "Verbose"})", {"Fatal"}},
        LevelCase{"EmptyObject", "{}", kDebugAndAbove},
        LevelCase{"WithComments", "// comments are accepted\n{ \"logSeverityLevel\" : \"Error\" /* here too */ }",
                  {"Error", "Critical", "Fatal"}},
        LevelCase{"UnknownKeysIgnored", R"({"logSeverityLevel": "Warning", "unknownKey": [1, 2]})", {"Warning", "Error", "Critical", "Fatal"}}),
    [](const ::testing::TestParamInfo<LevelCase>& info) { return std::string(info.param.name); });

// A configuration nested far deeper than any reader should follow.
const std::string kDeeplyNested = "{\"logFileName\": " + std::string(100000, '[') + std::string(100000, ']') + "}";

// Files that cannot serve as a configuration: the defaults stay in force,
// retention limits included, and the file is left as it is.
struct UnreadableCase {
    const char* name;
    const char* configuration;
};

class UnreadableConfigurationTest : public LoggerTest, public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableConfigurationTest, KeepsDefaultsAndLeavesTheFileAlone) {
    const std::string configuration = GetParam().configuration;
    root.WriteConfig(configuration);
    for (int run = 0; run < 3; ++run) {
        WriteOldLogFile(root.LogsDir(), "VEQLog_2020_01_01_00_00_0" + std::to_string(run) + "_00000.log");
    }
    ASSERT_TRUE(CleanExit(root.Run(LogEachLevelAndExit)));

    EXPECT_EQ(veqtest::ReadFile(root.ConfigFile()), configuration);
    const auto names = FileNames(root.LogsDir());
    ASSERT_EQ(names.size(), 4u) << "default limits keep the three old runs";
    EXPECT_TRUE(std::regex_match(names[3], std::regex(R"(VEQLog_\d{4}(_\d{2}){5}_00000\.log)"))) << names[3];
    EXPECT_EQ(LoggedLevels(logtest::Lines(veqtest::ReadFile(root.LogsDir() + names[3]))), kDebugAndAbove);
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnreadableConfigurationTest,
    ::testing::Values(UnreadableCase{"Empty", ""}, UnreadableCase{"NotJson", "not json"},
                      UnreadableCase{"Truncated", "{\"logSeverityLevel\": "},
                      UnreadableCase{"RootArray", "[1, 2]"}, UnreadableCase{"RootString", "\"text\""},
                      UnreadableCase{"RootNumber", "42"}, UnreadableCase{"RootNull", "null"},
                      UnreadableCase{"TextForSize", R"({"maxLogFileSize": "big"})"},
                      UnreadableCase{"NegativeSize", R"({"maxLogFileSize": -1})"},
                      UnreadableCase{"SizeBeyond64Bits", R"({"maxTotalLogFilesSize": 1e30})"},
                      UnreadableCase{"CountBeyond32Bits", R"({"maxTotalLogFilesRetained": 5000000000})"},
                      UnreadableCase{"TextForFlag", R"({"isFileLoggingOn": "yes"})"},
                      UnreadableCase{"ArrayForFlag", R"({"isConsoleLoggingOn": [true]})"},
                      UnreadableCase{"ArrayForName", R"({"logFileName": ["other"]})"},
                      UnreadableCase{"ObjectForLevel", R"({"logSeverityLevel": {"name": "Fatal"}})"},
                      UnreadableCase{"NestedTooDeep", kDeeplyNested.c_str()},
                      // Good values beside a bad one are not applied either.
                      UnreadableCase{"GoodValuesBesideABadOne",
                                     R"({"maxTotalLogFilesRetained": 0, "logSeverityLevel": "Fatal", "maxLogFileSize": "x"})"}),
    [](const ::testing::TestParamInfo<UnreadableCase>& info) { return std::string(info.param.name); });

TEST_F(LoggerTest, ConsoleOnlyWritesToStandardOutputAndCreatesNoFile) {
    root.WriteConfig(R"({"isConsoleLoggingOn": true, "isFileLoggingOn": false})");
    const auto result = root.Run(LogEachLevelAndExit);
    ASSERT_TRUE(CleanExit(result));
    EXPECT_EQ(LoggedLevels(logtest::Lines(result.output)), kDebugAndAbove);
    EXPECT_TRUE(FileNames(root.LogsDir()).empty());
}

TEST_F(LoggerTest, ConsoleAndFileGetTheSameLines) {
    root.WriteConfig(R"({"isConsoleLoggingOn": true, "logSeverityLevel": "Error"})");
    const auto result = root.Run(LogEachLevelAndExit);
    ASSERT_TRUE(CleanExit(result));
    const auto fileLines = AllLines(root.LogsDir());
    EXPECT_EQ(LoggedLevels(fileLines), (std::vector<std::string>{"Error", "Critical", "Fatal"}));
    EXPECT_EQ(logtest::Lines(result.output), fileLines);
}

TEST_F(LoggerTest, BothOutputsOffWritesNothingButStillPrunes) {
    root.WriteConfig(R"({"isConsoleLoggingOn": false, "isFileLoggingOn": false, "maxTotalLogFilesRetained": 0})");
    WriteOldLogFile(root.LogsDir(), "VEQLog_2020_01_01_00_00_00_00000.log");
    WriteOldLogFile(root.LogsDir(), "VEQLog_2020_01_01_00_00_01_00000.log");
    WriteOldLogFile(root.LogsDir(), "VEQLog_2020_01_01_00_00_02_00000.log");
    WriteOldLogFile(root.LogsDir(), "VEQLog_2020_01_01_00_00_02_00001.log");
    const auto result = root.Run(LogEachLevelAndExit);
    ASSERT_TRUE(CleanExit(result));
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(FileNames(root.LogsDir()),
              (std::vector<std::string>{"VEQLog_2020_01_01_00_00_02_00000.log", "VEQLog_2020_01_01_00_00_02_00001.log"}));
}

TEST_F(LoggerTest, RotatesAtTheConfiguredSizeWithoutSplittingLines) {
    root.WriteConfig(R"({"maxLogFileSize": 300})");
    ASSERT_TRUE(CleanExit(root.Run([] {
        for (int i = 0; i < 30; ++i) VEQLOG(Debug) << "line " << i;
        return 0;
    })));
    const auto names = FileNames(root.LogsDir());
    ASSERT_GE(names.size(), 6u);
    std::set<std::string> timeParts;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(names[i], match, std::regex(R"(VEQLog_(\d{4}(?:_\d{2}){5})_(\d{5})\.log)")))
            << names[i];
        timeParts.insert(match[1]);
        EXPECT_EQ(std::stoi(match[2]), static_cast<int>(i));
        const std::string content = veqtest::ReadFile(root.LogsDir() + names[i]);
        EXPECT_LE(content.size(), 300u) << names[i];
        EXPECT_EQ(content.back(), '\n');
    }
    EXPECT_EQ(timeParts.size(), 1u) << "all files of a run share the start time";
    const auto lines = AllLines(root.LogsDir());
    ASSERT_EQ(lines.size(), 30u);
    for (int i = 0; i < 30; ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(".* <Debug> logger_test\\.cpp::operator\\(\\)::\\d+ line " +
                                                          std::to_string(i))))
            << lines[i];
    }
}

TEST_F(LoggerTest, PrunesAtExitToTheConfiguredCount) {
    root.WriteConfig(R"({"maxTotalLogFilesRetained": 2})");
    for (int run = 0; run < 6; ++run) {
        WriteOldLogFile(root.LogsDir(), "VEQLog_2020_01_01_00_00_0" + std::to_string(run) + "_00000.log");
    }
    ASSERT_TRUE(CleanExit(root.Run(LogEachLevelAndExit)));
    const auto names = FileNames(root.LogsDir());
    ASSERT_EQ(names.size(), 3u) << "this run and the two newest earlier runs";
    EXPECT_EQ(names[0], "VEQLog_2020_01_01_00_00_04_00000.log");
    EXPECT_EQ(names[1], "VEQLog_2020_01_01_00_00_05_00000.log");
    EXPECT_NE(names[2].find("_00000.log"), std::string::npos);
    EXPECT_EQ(LoggedLevels(logtest::Lines(veqtest::ReadFile(root.LogsDir() + names[2]))), kDebugAndAbove);
}

TEST_F(LoggerTest, PrunesAtExitToTheConfiguredSize) {
    // This run's file is small; the earlier runs hold 1000 bytes each, so the
    // running total reaches 2500 at the third earlier run, which still stays.
    root.WriteConfig(R"({"maxTotalLogFilesSize": 2500})");
    for (int run = 1; run <= 5; ++run) {
        WriteOldLogFile(root.LogsDir(), "VEQLog_2020_01_01_00_00_0" + std::to_string(run) + "_00000.log", 1000);
    }
    ASSERT_TRUE(CleanExit(root.Run([] {
        VEQLOG(Debug) << "short";
        return 0;
    })));
    const auto names = FileNames(root.LogsDir());
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], "VEQLog_2020_01_01_00_00_03_00000.log");
    EXPECT_EQ(names[2], "VEQLog_2020_01_01_00_00_05_00000.log");
}

TEST_F(LoggerTest, AProcessThatNeverLogsCreatesAndPrunesNothing) {
    ASSERT_TRUE(CleanExit(root.Run([] { return 0; })));
    EXPECT_FALSE(veqtest::FileExists(root.ConfigDir()));

    root.WriteConfig(R"({"maxTotalLogFilesRetained": 0})");
    for (int run = 0; run < 3; ++run) {
        WriteOldLogFile(root.LogsDir(), "VEQLog_2020_01_01_00_00_0" + std::to_string(run) + "_00000.log");
    }
    ASSERT_TRUE(CleanExit(root.Run([] { return 0; })));
    EXPECT_EQ(FileNames(root.LogsDir()).size(), 3u);
}

TEST_F(LoggerTest, EmptyBaseNameStartsFileNamesWithTheSeparator) {
    root.WriteConfig(R"({"logFileName": ""})");
    ASSERT_TRUE(CleanExit(root.Run(LogEachLevelAndExit)));
    const auto names = FileNames(root.LogsDir());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(_\d{4}(_\d{2}){5}_00000\.log)"))) << names[0];
}

TEST_F(LoggerTest, SetLogDirectoryMovesTheLogsButNotTheConfiguration) {
    veqtest::TempDir own;
    const std::string folder = own.Path();
    root.WriteConfig(R"({"logSeverityLevel": "Error"})");
    ASSERT_TRUE(CleanExit(root.Run([folder] {
        VEQLogger::SetLogDirectory(wxString::FromUTF8(folder.c_str()));
        return LogEachLevelAndExit();
    })));
    EXPECT_EQ(LoggedLevels(AllLines(folder + "/Logs/")), (std::vector<std::string>{"Error", "Critical", "Fatal"}));
    EXPECT_TRUE(veqtest::FileExists(root.LogsDir())) << "the configuration folder's Logs folder is made too";
    EXPECT_TRUE(FileNames(root.LogsDir()).empty());
    EXPECT_FALSE(veqtest::FileExists(folder + "/logconfig.json"));
}

TEST_F(LoggerTest, SetLogDirectoryWithEmptyTextOrAfterTheFirstStatementChangesNothing) {
    veqtest::TempDir own;
    const std::string folder = own.Path();
    ASSERT_TRUE(CleanExit(root.Run([folder] {
        VEQLogger::SetLogDirectory(wxString());
        VEQLOG(Debug) << "first";
        VEQLogger::SetLogDirectory(wxString::FromUTF8(folder.c_str()));
        VEQLOG(Debug) << "second";
        return 0;
    })));
    const auto lines = AllLines(root.LogsDir());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(veqtest::FileExists(folder + "/Logs"));
}

TEST_F(LoggerTest, ExistingLogsFolderKeepsItsModeButAnOpenOneGetsTheStickyBit) {
    const struct {
        mode_t before;
        mode_t after;
    } cases[] = {{0750, 0750}, {0777, 01777}, {01777, 01777}, {0755, 0755}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        LogRoot fresh;
        LogRoot::MakeDirs(fresh.LogsDir());
        ASSERT_EQ(::chmod(fresh.LogsDir().c_str(), c.before), 0);
        ASSERT_TRUE(CleanExit(fresh.Run(LogEachLevelAndExit)));
        EXPECT_EQ(ModeOf(fresh.LogsDir()), c.after);
    }
}

// The name the first log file of a process gets, computed in that process.
std::string FirstLogFile(const std::string& baseName) {
    VEQLOG(Trace) << "below the level: builds the logger, opens no file";
    std::wstring pattern = Logger::Get().GetLoggingFileName(baseName);
    pattern.replace(pattern.find(L"%5N"), 3, L"00000");
    return std::string(pattern.begin(), pattern.end());
}

TEST_F(LoggerTest, ALinkPlantedAtALogNameIsNeverWrittenThrough) {
    veqtest::TempDir elsewhere;
    const std::string victim = elsewhere / "victim";
    veqtest::WriteFile(victim, "precious");
    ASSERT_TRUE(CleanExit(root.Run([victim] {
        if (::symlink(victim.c_str(), FirstLogFile("VEQLog").c_str()) != 0) return 2;
        VEQLOG(Debug) << "line of this process";
        return 0;
    })));
    EXPECT_EQ(veqtest::ReadFile(victim), "precious");
    const auto names = FileNames(root.LogsDir());
    ASSERT_EQ(names.size(), 1u) << "the next counter's file, beside the link";
    EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(VEQLog_\d{4}(_\d{2}){5}_00001\.log)"))) << names[0];
    EXPECT_NE(veqtest::ReadFile(root.LogsDir() + names[0]).find("line of this process"), std::string::npos);
}

TEST_F(LoggerTest, BaseNamesAreTakenLiterallyAndThoseLeavingTheFolderAreReplaced) {
    const struct {
        const char* configured;
        const char* pattern;
    } cases[] = {
        {"VEQ%dLog", R"(VEQ%dLog_\d{4}(_\d{2}){5}_00000\.log)"},
        {"100%", R"(100%_\d{4}(_\d{2}){5}_00000\.log)"},
        {"../Escaped", R"(VEQLog_\d{4}(_\d{2}){5}_00000\.log)"},
        {"sub/Name", R"(VEQLog_\d{4}(_\d{2}){5}_00000\.log)"},
        {"..", R"(VEQLog_\d{4}(_\d{2}){5}_00000\.log)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.configured);
        LogRoot fresh;
        Json::Value config(Json::objectValue);
        config["logFileName"] = c.configured;
        config["maxTotalLogFilesRetained"] = 0;
        fresh.WriteConfig(config.toStyledString());
        WriteOldLogFile(fresh.LogsDir(), "Old_2020_01_01_00_00_00_00000.log");
        ASSERT_TRUE(CleanExit(fresh.Run(LogEachLevelAndExit)));
        // Only this run's file is left: pruning knew it as the current run's.
        const auto names = FileNames(fresh.LogsDir());
        ASSERT_EQ(names.size(), 1u);
        EXPECT_TRUE(std::regex_match(names[0], std::regex(c.pattern))) << names[0];
        EXPECT_EQ(FileNames(fresh.ConfigDir()), std::vector<std::string>{"logconfig.json"});
        EXPECT_FALSE(veqtest::FileExists(fresh.ConfigDir() + "sub"));
    }
}

// Another program that still runs keeps its current log file through the
// pruning of the ones that end.
TEST_F(LoggerTest, PruningNeverDeletesTheCurrentFileOfALiveProcess) {
    root.WriteConfig(R"({"logFileName": "Long"})");
    int ready[2];
    int release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const std::string rootPath = root.Path();
    const pid_t running = ::fork();
    ASSERT_GE(running, 0);
    if (running == 0) {
        ::setenv("VEQ_ROOT", rootPath.c_str(), 1);
        VEQLOG(Debug) << "long-running program";
        const char byte = 1;
        if (::write(ready[1], &byte, 1) != 1) ::_exit(2);
        char wait;
        if (::read(release[0], &wait, 1) != 1) ::_exit(3);
        VEQLOG(Debug) << "still running";
        ::_exit(0);  // no pruning of its own
    }
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    // Its file, made to look older than any other.
    const auto names = FileNames(root.LogsDir());
    ASSERT_EQ(names.size(), 1u);
    const std::string current = root.LogsDir() + "Long_2020_01_01_00_00_00_00000.log";
    ASSERT_EQ(::rename((root.LogsDir() + names[0]).c_str(), current.c_str()), 0);
    WriteOldLogFile(root.LogsDir(), "Long_2020_01_01_00_00_01_00000.log");

    root.WriteConfig(R"({"logFileName": "Short", "maxTotalLogFilesRetained": 0})");
    for (int run = 0; run < 3; ++run) ASSERT_TRUE(CleanExit(root.Run(LogEachLevelAndExit)));
    EXPECT_TRUE(veqtest::FileExists(current));
    EXPECT_FALSE(veqtest::FileExists(root.LogsDir() + "Long_2020_01_01_00_00_01_00000.log"));

    ASSERT_EQ(::write(release[1], &byte, 1), 1);
    int status = 0;
    ::waitpid(running, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(veqtest::ReadFile(current).find("still running"), std::string::npos);
}

// Two processes that start logging in the same second compute the same file
// name; the second one adds to the file instead of truncating it.
TEST_F(LoggerTest, AppendsToAFileOfTheSameName) {
    ASSERT_TRUE(CleanExit(root.Run([] {
        VEQLOG(Trace) << "below the level: builds the logger, opens no file";
        std::wstring pattern = Logger::Get().GetLoggingFileName("VEQLog");
        const std::size_t counter = pattern.find(L"%5N");
        if (counter == std::wstring::npos) return 2;
        pattern.replace(counter, 3, L"00000");
        veqtest::WriteFile(std::string(pattern.begin(), pattern.end()), "line of the other process\n");
        VEQLOG(Debug) << "line of this process";
        return 0;
    })));
    const auto lines = AllLines(root.LogsDir());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "line of the other process");
    EXPECT_NE(lines[1].find("line of this process"), std::string::npos);
}

// A base name holding '_' still sorts by start time, so the files of the run
// that prunes are never taken for old ones.
TEST_F(LoggerTest, PruningKeepsTheCurrentRunWhenTheBaseNameHoldsAnUnderscore) {
    root.WriteConfig(R"({"logFileName": "VEQ_Log", "maxTotalLogFilesRetained": 0})");
    WriteOldLogFile(root.LogsDir(), "VEQ_Log_2020_01_01_00_00_00_00009.log");
    WriteOldLogFile(root.LogsDir(), "VEQ_Log_2020_01_01_00_00_01_00003.log");
    ASSERT_TRUE(CleanExit(root.Run(LogEachLevelAndExit)));
    const auto names = FileNames(root.LogsDir());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(std::regex_match(names[0], std::regex(R"(VEQ_Log_\d{4}(_\d{2}){5}_00000\.log)"))) << names[0];
    EXPECT_EQ(LoggedLevels(AllLines(root.LogsDir())), kDebugAndAbove);
}

TEST_F(LoggerTest, ThreadsThatLogFirstAtOnceShareOneLoggerAndWholeLines) {
    ASSERT_TRUE(CleanExit(root.Run([] {
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back([t, &go] {
                while (!go) std::this_thread::yield();
                for (int i = 0; i < 50; ++i) VEQLOG(Debug) << "thread " << t << " line " << i;
            });
        }
        go = true;
        for (auto& thread : threads) thread.join();
        return 0;
    })));
    const auto names = FileNames(root.LogsDir());
    ASSERT_EQ(names.size(), 1u);
    const auto lines = AllLines(root.LogsDir());
    ASSERT_EQ(lines.size(), 400u);
    std::set<std::string> seen;
    const std::regex message(R"(.* <Debug> logger_test\.cpp::operator\(\)::\d+ (thread \d line \d+)$)");
    for (const std::string& line : lines) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, message)) << line;
        seen.insert(match[1]);
    }
    EXPECT_EQ(seen.size(), 400u);
}

}  // namespace
