// Scan attributes, mailboxes and engine boxes, job lists and the per-job calls.
#include "ClientTestSupport.h"

#include <map>

using namespace clienttest;

namespace {

class JobsTest : public ClientTest {
protected:
    Json::Value Fixture() override {
        Json::Value f = SmallFixture();
        f["engineBoxes"]["enabled"] = true;
        f["engineBoxes"]["userAuthentication"] = "INTERNAL";
        Json::Value op;
        op["name"] = "operator";
        op["password"] = "op";
        f["engineBoxes"]["users"].append(op);
        Json::Value box, job;
        box["name"] = "Box1";
        box["password"] = "b";
        box["engineUser"] = "operator";
        job["name"] = "Boxed";
        job["id"] = 20;
        box["jobs"].append(job);
        f["mailboxes"].append(box);
        Json::Value photo;
        photo["name"] = "Photo";
        photo["id"] = 5;
        photo["pages"] = 3;
        photo["formats"].append("JPEG");
        photo["formats"].append("PDF");
        photo["defaultFormat"] = "JPEG";
        photo["finishTime"] = 1700000000;
        f["mailboxes"][1]["jobs"].append(photo);
        return f;
    }
    void SetUp() override {
        ClientTest::SetUp();
        handle = Open();
        session = Session(handle);
    }
    VelloraServerHandle* handle = nullptr;
    VelloraScanSession session{};
};

std::map<std::string, std::string> AsMap(const ScanAttributes* a) {
    std::map<std::string, std::string> m;
    for (long i = 0; i < a->count; ++i) m[a->names[i]] = a->values[i];
    return m;
}

TEST_F(JobsTest, ServerAttributesListEveryValueUnderNumberedKeys) {
    ScanAttributes* attributes = nullptr;
    ASSERT_EQ(SCAN_serverAttributes(&session, &attributes), VELLORA_OK);
    auto a = AsMap(attributes);
    EXPECT_EQ(a["N_SCAN_SOURCE"], "2");
    EXPECT_EQ(a["SCAN_SOURCE"], "ADF") << "the bare key holds the default";
    EXPECT_EQ(a["SCAN_SOURCE:1"], "ADF");
    EXPECT_EQ(a["SCAN_SOURCE:2"], "PLATEN");
    EXPECT_EQ(a["N_FILE_FORMAT"], "2");
    EXPECT_EQ(a["FILE_FORMAT:2"], "JPEG");
    EXPECT_EQ(a["SCAN_DEFAULT_FORMAT"], "PDF");
    EXPECT_EQ(a["SCAN_ENABLED"], "YES");
    EXPECT_EQ(a["ENGINEBOX_ENABLED"], "YES");
    EXPECT_EQ(a["ENGINEBOX_USERAUTH"], "INTERNAL");
    EXPECT_EQ(a["E_MBOX_PASSWORD"], "YES");
    EXPECT_EQ(a["UTF8_VERSION"], "2");
    // Freed the way the data source frees it.
    freeStringList(attributes->names, static_cast<int>(attributes->count));
    freeStringList(attributes->values, static_cast<int>(attributes->count));
    vellora_free(attributes);
}

TEST_F(JobsTest, JobListsCarryTheJobsAndTheirAttributes) {
    ScanJobList* list = nullptr;
    ASSERT_EQ(SCAN_getJobListInMailbox(&session, "Accounting", "1234", &list, 0), VELLORA_OK);
    ASSERT_EQ(list->count, 1);
    const ScanJob& job = list->entries[0];
    EXPECT_EQ(job.jobId, 5);
    EXPECT_EQ(AttributeOf(job, "FILENAME"), "Photo");
    EXPECT_EQ(AttributeOf(job, "UTF8_FILENAME"), "Photo");
    EXPECT_EQ(AttributeOf(job, "N_PAGES"), "3");
    EXPECT_EQ(AttributeOf(job, "FINISH_TIME"), "1700000000");
    EXPECT_EQ(AttributeOf(job, "N_FILE_FORMAT"), "2");
    EXPECT_EQ(AttributeOf(job, "FILE_FORMAT:1"), "JPEG");
    EXPECT_EQ(AttributeOf(job, "FILE_FORMAT:2"), "PDF");
    EXPECT_EQ(AttributeOf(job, "DEFAULT_FORMAT"), "JPEG");
    EXPECT_EQ(AttributeOf(job, "IS_JPEG"), "YES");
    EXPECT_EQ(std::to_string(job.size), AttributeOf(job, "FILESIZE"));
    EXPECT_GT(job.size, 0);
    EXPECT_EQ(SCAN_freeScanJobList(list, 0), VELLORA_OK);

    ASSERT_EQ(SCAN_getJobListInMailbox(&session, "", "", &list, 0), VELLORA_OK);
    ASSERT_EQ(list->count, 1);
    EXPECT_EQ(AttributeOf(list->entries[0], "IS_JPEG"), "NO");
    SCAN_freeScanJobList(list, 0);

    ASSERT_TRUE(Sim().AddMailbox("Empty", ""));
    ASSERT_EQ(SCAN_getJobListInMailbox(&session, "Empty", "", &list, 0), VELLORA_OK);
    ASSERT_NE(list, nullptr) << "an empty mailbox still gives a list";
    EXPECT_EQ(list->count, 0);
    SCAN_freeScanJobList(list, 0);
}

TEST_F(JobsTest, MailboxesRefuseWrongPasswordsAndUnknownNames) {
    struct Case {
        const char* mailbox;
        const char* password;
        int expected;
    };
    const Case cases[] = {{"Accounting", "1234", VELLORA_OK},
                          {"Accounting", "", VELLORA_ACCESS_DENIED},
                          {"accounting", "1234", VELLORA_ITEM_NOT_FOUND},
                          {"Nowhere", "", VELLORA_ITEM_NOT_FOUND}};
    for (const auto& c : cases) {
        ScanJobList* list = nullptr;
        unsigned char present = 9;
        EXPECT_EQ(SCAN_getJobListInMailbox(&session, c.mailbox, c.password, &list, 0), c.expected) << c.mailbox;
        EXPECT_EQ(list != nullptr, c.expected == VELLORA_OK);
        SCAN_freeScanJobList(list, 0);
        EXPECT_EQ(SCAN_isJobInMailbox(&session, c.mailbox, c.password, 5, &present, 0), c.expected) << c.mailbox;
    }
}

TEST_F(JobsTest, JobQueriesAnswerForTheRightMailboxOnly) {
    unsigned char present = 0;
    ASSERT_EQ(SCAN_isJobInMailbox(&session, "Accounting", "1234", 5, &present, 0), VELLORA_OK);
    EXPECT_EQ(present, 1);
    ASSERT_EQ(SCAN_isJobInMailbox(&session, "", "", 5, &present, 0), VELLORA_OK);
    EXPECT_EQ(present, 0) << "job 5 lies in another mailbox";
    int pages = 0;
    ASSERT_EQ(SCAN_getNumPagesInJob(&session, 5, &pages, 0), VELLORA_OK);
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(SCAN_getNumPagesInJob(&session, 99, &pages, 0), VELLORA_JOB_NOT_FOUND);
}

TEST_F(JobsTest, DeletionNeedsTheJobsMailboxAndItsPassword) {
    EXPECT_EQ(SCAN_deleteJobInMailbox(&session, "", "", 5, 0), VELLORA_JOB_NOT_FOUND);
    EXPECT_EQ(SCAN_deleteJobInMailbox(&session, "Accounting", "x", 5, 0), VELLORA_ACCESS_DENIED);
    EXPECT_TRUE(Sim().HasJob(5));
    EXPECT_EQ(SCAN_deleteJobInMailbox(&session, "Accounting", "1234", 5, 0), VELLORA_OK);
    EXPECT_FALSE(Sim().HasJob(5));
    EXPECT_EQ(SCAN_deleteJobInMailbox(&session, "Accounting", "1234", 5, 0), VELLORA_JOB_NOT_FOUND);
}

TEST_F(JobsTest, EngineBoxesNeedTheEngineUsersLogin) {
    ScanJobList* list = nullptr;
    ASSERT_EQ(SCAN_getBoxListInEngineBox(&session, "operator", "op", nullptr, &list, 0), VELLORA_OK);
    ASSERT_EQ(list->count, 1);
    EXPECT_EQ(AttributeOf(list->entries[0], "BOX_NAME"), "Box1");
    SCAN_freeScanJobList(list, 0);
    EXPECT_EQ(SCAN_getBoxListInEngineBox(&session, "operator", "wrong", "", &list, 0), VELLORA_ACCESS_DENIED);
    EXPECT_EQ(SCAN_getBoxListInEngineBox(&session, "", "", "", &list, 0), VELLORA_ACCESS_DENIED);

    ASSERT_EQ(SCAN_getJobListInEngineBox(&session, "operator", "op", 0, "Box1", "b", &list, 0), VELLORA_OK);
    ASSERT_EQ(list->count, 1);
    EXPECT_EQ(list->entries[0].jobId, 20);
    SCAN_freeScanJobList(list, 0);
    EXPECT_EQ(SCAN_getJobListInEngineBox(&session, "operator", "op", 0, "Box1", "", &list, 0), VELLORA_ACCESS_DENIED);
    EXPECT_EQ(SCAN_getJobListInEngineBox(&session, "operator", "op", 0, "Accounting", "1234", &list, 0),
              VELLORA_ITEM_NOT_FOUND) << "not an engine box";
    // An engine box is also reached by its name through the mailbox calls.
    ASSERT_EQ(SCAN_getJobListInMailbox(&session, "Box1", "b", &list, 0), VELLORA_OK);
    EXPECT_EQ(list->count, 1);
    SCAN_freeScanJobList(list, 0);
}

TEST(EngineBoxesOff, AreNotAvailable) {
    ControllerOnPort controller;
    VelloraServerHandle* h = nullptr;
    ASSERT_EQ(Connect(&h), VELLORA_OK);
    VelloraScanSession s{};
    ASSERT_EQ(SCAN_openSession(h, &s, 0), VELLORA_OK);
    ScanJobList* list = nullptr;
    EXPECT_EQ(SCAN_getBoxListInEngineBox(&s, "", "", "", &list, 0), VELLORA_FUNCTION_NOT_AVAILABLE);
    INIT_disconnect(h, 0);
}

TEST(ScanSessions, AreRefusedByAControllerWithoutScanning) {
    Json::Value f = SmallFixture();
    f["scanning"]["offered"] = false;
    ControllerOnPort controller(f);
    VelloraServerHandle* h = nullptr;
    ASSERT_EQ(Connect(&h), VELLORA_OK);
    VelloraScanSession s{};
    EXPECT_EQ(SCAN_openSession(h, &s, 0), VELLORA_FUNCTION_NOT_AVAILABLE);
    EXPECT_EQ(s.id, 0);
    INIT_disconnect(h, 0);
}

}  // namespace
