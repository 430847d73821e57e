#include "DeletionMatch.h"

#include <gtest/gtest.h>

namespace {

DROPWELL::stJobDetails Job(const char* name, const char* format, int pages = 1) {
    return DROPWELL::stJobDetails{name, format, pages};
}

// Server 127.0.0.1 with mailbox A in /x/Scans, B in /x/Scans2 and C nested in /x/Scans/Inner.
class DeletionMatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        DROPWELL::stServerFolderMapDetails server;
        server.NameIP = "127.0.0.1";
        server.MappedFolders["A"].Folder = "/x/Scans";
        server.MappedFolders["A"].Password = "pa";
        server.MappedFolders["B"].Folder = "/x/Scans2/";
        server.MappedFolders["C"].Folder = "/x/Scans/Inner";
        servers.push_back(server);
        jobs["127.0.0.1"]["A"][1] = Job("Scan", "PDF");
        jobs["127.0.0.1"]["A"][2] = Job("Photos", "JPEG", 3);
        jobs["127.0.0.1"]["A"][3] = Job("Inner", "TIFF");
        jobs["127.0.0.1"]["B"][10] = Job("Scan", "PDF");
        jobs["127.0.0.1"]["C"][20] = Job("Scan", "PDF");
        jobs["127.0.0.1"]["C"][21] = Job("One", "jpg", 1);
    }

    int Match(const char* directory, const char* name) {
        const auto found = FindDeletedJob(servers, jobs, directory, name);
        return found ? found->jobId : -1;
    }

    std::vector<DROPWELL::stServerFolderMapDetails> servers;
    DROPWELL::JobsDatabase jobs;
};

struct Case {
    const char* directory;
    const char* name;
    int job;
};

TEST_F(DeletionMatchTest, OnlyTheJobsOwnFileInItsOwnMappingMatches) {
    const Case cases[] = {
        {"/x/Scans", "Scan.PDF", 1},           // the downloaded file
        {"/x/Scans/", "Scan.PDF", 1},          // a trailing separator on the event's folder
        {"/x/Scans", "Scan.txt", -1},          // the same stem, another extension
        {"/x/Scans", "Scan", -1},              // the stem alone
        {"/x/Scans", "scan.PDF", -1},          // names compare case-sensitively
        {"/x/Scans", "", -1},                  // no name
        {"/x/Scans", ".Scan.PDF.veqpart", -1}, // the service's own part file
        {"/x/Scans2", "Scan.PDF", 10},         // a folder whose name begins like another
        {"/x/Scans/Inner", "Scan.PDF", 20},    // the nested mapping's own job
        {"/x/Scans/Inner", "Inner.TIFF", -1},  // the outer job's name in the nested folder
        {"/x/Scans", "Inner.TIFF", 3},
        {"/x/Scans/Inner", "One.jpg", 21},     // a one-page JPEG is a plain file
        {"/x/Scans/Photos", "Photos_2.JPEG", 2},  // a page of the job's page folder
        {"/x/Scans/Photos", "Photos_4.JPEG", -1}, // a page the job does not have
        {"/x/Scans/Photos", "notes.txt", -1},     // a user's file in the page folder
        {"/x/Scans/Other", "Photos_2.JPEG", -1},  // a folder that is no page folder
        {"/x/Scans", "Photos", 2},                // the page folder as a whole
        {"/x/Scans", "Photos.JPEG", -1},          // no such file for a paged job
        {"/y", "Scan.PDF", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(Match(c.directory, c.name), c.job) << c.directory << " " << c.name;
}

TEST_F(DeletionMatchTest, MatchCarriesWhatTheDeletionNeeds) {
    const auto found = FindDeletedJob(servers, jobs, "/x/Scans/Photos", "Photos_1.JPEG");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->serverName, "127.0.0.1");
    EXPECT_EQ(found->mailboxId, "A");
    EXPECT_EQ(found->password, "pa");
    EXPECT_EQ(found->folder, "/x/Scans");
    EXPECT_EQ(found->details.pages, 3);
}

TEST_F(DeletionMatchTest, UnmappedMailboxesAndUnknownServersNeverMatch) {
    servers[0].MappedFolders.erase("B");
    EXPECT_EQ(Match("/x/Scans2", "Scan.PDF"), -1);
    jobs.erase("127.0.0.1");
    EXPECT_EQ(Match("/x/Scans", "Scan.PDF"), -1);
}

}  // namespace
