#include <gtest/gtest.h>

#include "AutorunRequest.h"

namespace {

struct AutorunCase {
    const char* text;
    AutorunRequest::Kind kind;
    const char* name;
    const char* password;
    int jobId;
};

TEST(AutorunRequest, ParsesTheTestingAidForms) {
    const AutorunCase cases[] = {
        {"", AutorunRequest::NONE, "", "", 0},
        {"scan", AutorunRequest::SCAN, "", "", 0},
        {"Scan", AutorunRequest::INVALID, "", "", 0},
        {"retrieve", AutorunRequest::INVALID, "", "", 0},
        {"mailbox:Accounting:1234:7", AutorunRequest::MAILBOX, "Accounting", "1234", 7},
        {"mailbox:Accounting:1234", AutorunRequest::MAILBOX, "Accounting", "1234", 0},
        {"mailbox:Accounting", AutorunRequest::MAILBOX, "Accounting", "", 0},
        {"mailbox:Studio::12", AutorunRequest::MAILBOX, "Studio", "", 12},
        {"mailbox::", AutorunRequest::MAILBOX, "", "", 0},
        // A password may hold ":"; only a trailing run of digits is a job id.
        {"mailbox:Box:pa:ss", AutorunRequest::MAILBOX, "Box", "pa:ss", 0},
        {"mailbox:Box:pa:ss:3", AutorunRequest::MAILBOX, "Box", "pa:ss", 3},
        {"mailbox:Box:12", AutorunRequest::MAILBOX, "Box", "12", 0},
        {"mailbox:Box:pw:0", AutorunRequest::MAILBOX, "Box", "pw:0", 0},
        {"mailbox:Box:pw:-3", AutorunRequest::MAILBOX, "Box", "pw:-3", 0},
    };
    for (const AutorunCase& c : cases) {
        SCOPED_TRACE(c.text);
        const AutorunRequest request = AutorunRequest::Parse(c.text);
        EXPECT_EQ(request.m_kind, c.kind);
        EXPECT_EQ(request.m_mailboxName, c.name);
        EXPECT_EQ(request.m_mailboxPassword, c.password);
        EXPECT_EQ(request.m_jobId, c.jobId);
    }
}

struct MapCase {
    const char* text;
    AutorunRequest::Kind kind;
    const char* name;
    const char* password;
    const char* folder;
};

TEST(AutorunRequest, ParsesTheMappingForm) {
    const MapCase cases[] = {
        {"map:Accounting:1234:/srv/scans", AutorunRequest::MAP, "Accounting", "1234", "/srv/scans"},
        {"map:Accounting::/srv/scans", AutorunRequest::MAP, "Accounting", "", "/srv/scans"},
        {"map:Box:pa:ss:/home/a:b/c", AutorunRequest::MAP, "Box", "pa:ss", "/home/a:b/c"},
        {"map:Box:1234", AutorunRequest::INVALID, "", "", ""},
        {"map:Box:1234:scans", AutorunRequest::INVALID, "", "", ""},
        {"map:Box", AutorunRequest::INVALID, "", "", ""},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.text);
        const AutorunRequest request = AutorunRequest::Parse(c.text);
        EXPECT_EQ(request.m_kind, c.kind);
        EXPECT_EQ(request.m_mailboxName, c.name);
        EXPECT_EQ(request.m_mailboxPassword, c.password);
        EXPECT_EQ(request.m_folder, c.folder);
    }
}

TEST(AutorunRequest, ComesFromTheEnvironment) {
    unsetenv("VEQUI_AUTORUN");
    EXPECT_EQ(AutorunRequest::FromEnvironment().m_kind, AutorunRequest::NONE);
    setenv("VEQUI_AUTORUN", "mailbox:Box:pw:5", 1);
    const AutorunRequest request = AutorunRequest::FromEnvironment();
    EXPECT_EQ(request.m_kind, AutorunRequest::MAILBOX);
    EXPECT_EQ(request.m_jobId, 5);
}

}  // namespace
