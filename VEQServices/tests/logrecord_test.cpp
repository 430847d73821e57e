// The log statement: level names, what each appender writes, empty and
// disabled records, moves and conditions.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <regex>
#include <sstream>

#include "LogTestSupport.h"
#include "Logger.h"

namespace {

TEST(SeverityLevelTest, NamesAndTheirInverse) {
    const char* const names[] = {"Trace", "Info", "Debug", "Warning", "Error", "Critical", "Fatal"};
    for (int level = Trace; level <= Fatal; ++level) {
        const auto severity = static_cast<SeverityLevel>(level);
        EXPECT_EQ(GetSeverityLevelString(severity), names[level]);
        EXPECT_EQ(GetSeverityLevelFromString(names[level]), severity);
        std::ostringstream text;
        text << severity;
        EXPECT_EQ(text.str(), names[level]);
    }
    for (const char* other : {"", "debug", "DEBUG", " Debug", "Debug ", "Verbose"}) {
        EXPECT_EQ(GetSeverityLevelFromString(other), Fatal) << '"' << other << '"';
    }
}

TEST(LogRecordTest, DisabledRecordGainsNoText) {
    LogRecord record(Error, "a.cpp", "f", 1, false);
    record << "text" << 5 << std::string("more") << wxString("wx") << 2.5 << true;
    EXPECT_EQ(record.Stream().str(), "");
}

// The text of each statement, as the line after "<level> file::function::line ".
class LogRecordLinesTest : public ::testing::Test {
protected:
    logtest::LogRoot root;

    // Runs body in a child (logger at "Trace") and returns the messages of its
    // log lines, the file/function/line prefix cut off; continuation lines as they are.
    std::vector<std::string> Messages(const std::function<void()>& body) {
        root.WriteConfig(R"({"logSeverityLevel": "Trace"})");
        const auto result = root.Run([body] {
            body();
            return 0;
        });
        EXPECT_TRUE(result.exited && result.status == 0) << result.output;
        std::vector<std::string> messages;
        const std::regex head(R"(^\d{2}-\d{2}-\d{4} \d{2}:\d{2}:\d{2} <\w+> [^ ]*::[^ ]*::\d+ (.*)$)");
        for (const std::string& line : logtest::AllLines(root.LogsDir())) {
            std::smatch match;
            messages.push_back(std::regex_match(line, match, head) ? match[1].str() : line);
        }
        return messages;
    }
};

TEST_F(LogRecordLinesTest, EachValueTypeIsWrittenAsExpected) {
    const auto messages = Messages([] {
        VEQLOG(Debug) << true << 2.5;
        VEQLOG(Debug) << static_cast<short>(-3) << " " << static_cast<unsigned short>(65535);
        VEQLOG(Debug) << INT_MIN << " " << UINT_MAX << " " << LONG_MIN << " " << ULONG_MAX;
        VEQLOG(Debug) << LLONG_MIN << " " << ULLONG_MAX;
        VEQLOG(Debug) << 1234567.0 << " " << 0.5f << " " << 0.0001 << " " << -2.0;
        VEQLOG(Debug) << std::string("a\0b", 3);
        VEQLOG(Debug) << wxString::FromUTF8("\xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80");
        VEQLOG(Debug) << L"wide" << std::wstring(L" text");
        VEQLOG(Debug) << static_cast<const char*>(nullptr) << "null is empty";
        VEQLOG(Debug) << "char " << 'A';
    });
    const std::vector<std::string> expected = {
        "12.5",
        "-3 65535",
        std::to_string(INT_MIN) + " " + std::to_string(UINT_MAX) + " " + std::to_string(LONG_MIN) + " " +
            std::to_string(ULONG_MAX),
        std::to_string(LLONG_MIN) + " " + std::to_string(ULLONG_MAX),
        "1.23457e+06 0.5 0.0001 -2",
        std::string("a\0b", 3),
        "\xc3\xa9t\xc3\xa9 \xf0\x9f\x98\x80",
        "wide text",
        "null is empty",
        "char 65",
    };
    EXPECT_EQ(messages, expected);
}

TEST_F(LogRecordLinesTest, MapsAreWrittenAsABlockOfLines) {
    const auto messages = Messages([] {
        VEQLOG(Debug) << "settings" << std::map<wxString, wxString>{{"b", "2"}, {"a", "1"}};
        VEQLOG(Debug) << "empty" << std::map<wxString, wxString>{} << "after";
    });
    EXPECT_EQ(messages, (std::vector<std::string>{"settings", "....a::1", "....b::2", "empty", "after"}));
}

TEST_F(LogRecordLinesTest, EmptyTextAndLevelsBelowTheConfiguredOneWriteNothing) {
    root.WriteConfig(R"({"logSeverityLevel": "Info"})");
    const auto result = root.Run([] {
        VEQLOG(Error) << "";
        VEQLOG(Error) << std::string() << wxString();
        VEQLOG(Trace) << "below";
        VEQLOG(Info) << "at the level";
        return 0;
    });
    ASSERT_TRUE(result.exited && result.status == 0) << result.output;
    const auto lines = logtest::AllLines(root.LogsDir());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("<Info>"), std::string::npos);
    EXPECT_NE(lines[0].find("at the level"), std::string::npos);
}

TEST_F(LogRecordLinesTest, ConditionalStatementNeedsItsConditionAndTheLevel) {
    const auto messages = Messages([] {
        SetLevelAndGetConditionLogger(false, Fatal, __FILE__, __func__, __LINE__) << "condition false";
        SetLevelAndGetConditionLogger(true, Debug, __FILE__, __func__, __LINE__) << "condition true";
    });
    EXPECT_EQ(messages, std::vector<std::string>{"condition true"});
}

TEST_F(LogRecordLinesTest, AMovedRecordWritesOneLineFromItsDestination) {
    const auto messages = Messages([] {
        LogRecord first = SetLevelAndGetLogger(Debug, __FILE__, __func__, __LINE__);
        first << "moved ";
        {
            LogRecord second(std::move(first));
            second << "once";
        }
        first << "";  // the source has no text left to write
    });
    EXPECT_EQ(messages, std::vector<std::string>{"moved once"});
}

TEST_F(LogRecordLinesTest, SourcePositionIsCutToFileAndFunctionNames) {
    logtest::LogRoot& r = root;
    r.WriteConfig("{}");
    const auto result = r.Run([] {
        SetLevelAndGetLogger(Debug, "/abs/dir/Name.ext", "ns::Outer::Inner", 7) << "a";
        SetLevelAndGetLogger(Debug, "NoFolder.cpp", "plain", 8) << "b";
        SetLevelAndGetLogger(Debug, nullptr, nullptr, 9) << "c";
        return 0;
    });
    ASSERT_TRUE(result.exited && result.status == 0) << result.output;
    const auto lines = logtest::AllLines(r.LogsDir());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[0].size() > 20 && lines[0].substr(20) == "<Debug> Name.ext::Inner::7 a") << lines[0];
    EXPECT_TRUE(lines[1].size() > 20 && lines[1].substr(20) == "<Debug> NoFolder.cpp::plain::8 b") << lines[1];
    EXPECT_TRUE(lines[2].size() > 20 && lines[2].substr(20) == "<Debug> ::::9 c") << lines[2];
}

}  // namespace
