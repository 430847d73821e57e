// Job data by format, page and byte offset: real documents that standard tools
// open, chunks of the caller's size, refusals, and transfer faults.
#include "ClientTestSupport.h"

#include <regex>

using namespace clienttest;

namespace {

constexpr int kMiB = 1 << 20;

class DataTest : public ClientTest {
protected:
    void SetUp() override {
        ClientTest::SetUp();
        handle = Open();
        ASSERT_EQ(INIT_setTimeout(handle, 10, 0), VELLORA_OK);
        session = Session(handle);
    }
    int Add(zeltosim::JobOptions job) { return Sim().AddJob(job); }
    VelloraServerHandle* handle = nullptr;
    VelloraScanSession session{};
};

TEST_F(DataTest, AJobOfTwoAndAHalfMiBComesInBuffersOfOneMiB) {
    // A one-page RAW job is its pixels and its padding: pad it to 2.5 MiB.
    zeltosim::JobOptions job;
    job.formats = {"RAW"};
    job.widthPx = job.heightPx = 256;
    uint64_t pixels = 0;
    int probe = Add(job);
    for (const auto& j : Sim().AllJobs())
        if (j.id == probe) pixels = j.size;
    job.paddingBytesPerPage = static_cast<uint64_t>(5 * kMiB / 2) - pixels;
    int id = Add(job);
    std::string data;
    std::vector<int> chunks;
    Destination dest = Destination::For("RAW", 1);
    ASSERT_EQ(ReadAll(&session, "", "", id, dest, kMiB, data, &chunks), VELLORA_OK);
    EXPECT_EQ(chunks, (std::vector<int>{kMiB, kMiB, kMiB / 2, 0}));
    // The same bytes through one large buffer, and deterministic.
    std::string again;
    Destination whole = Destination::For("RAW", 0);
    ASSERT_EQ(ReadAll(&session, "", "", id, whole, 3 * kMiB, again), VELLORA_OK);
    EXPECT_EQ(again, data);
}

TEST_F(DataTest, TheCallLogHoldsTheCallersCallsWhateverIsReadAhead) {
    zeltosim::JobOptions job;
    job.formats = {"RAW"};
    job.widthPx = job.heightPx = 64;
    job.paddingBytesPerPage = 3 * kMiB;
    int id = Add(job);
    Sim().ClearCalls();
    std::string data;
    std::vector<int> chunks;
    Destination dest = Destination::For("RAW", 1);
    ASSERT_EQ(ReadAll(&session, "", "", id, dest, kMiB, data, &chunks), VELLORA_OK);
    auto calls = Sim().Calls("SCAN_getDataInMailbox");
    ASSERT_EQ(calls.size(), chunks.size()) << "one entry per call, logged before the last call returned";
    long offset = 0;
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].Argument("offset"), std::to_string(offset)) << i;
        EXPECT_EQ(calls[i].result, VELLORA_OK);
        offset += chunks[i];
    }
}

TEST_F(DataTest, ReadsOfTwoJobsInTurnsOnOneHandleGetTheirOwnBytes) {
    zeltosim::JobOptions a, b;
    a.formats = b.formats = {"RAW"};
    a.widthPx = a.heightPx = b.widthPx = b.heightPx = 64;
    a.paddingBytesPerPage = b.paddingBytesPerPage = 2 * kMiB;
    a.seed = 1;
    b.seed = 2;
    int idA = Add(a), idB = Add(b);
    std::string wholeA, wholeB;
    Destination dest = Destination::For("RAW", 1);
    ASSERT_EQ(ReadAll(&session, "", "", idA, dest, kMiB, wholeA), VELLORA_OK);
    ASSERT_EQ(ReadAll(&session, "", "", idB, dest, kMiB, wholeB), VELLORA_OK);
    ASSERT_NE(wholeA.substr(0, 1000), wholeB.substr(0, 1000));
    std::string gotA, gotB;
    std::vector<char> buffer(kMiB);
    for (bool doneA = false, doneB = false; !doneA || !doneB;) {
        for (int which = 0; which < 2; ++which) {
            bool& done = which ? doneB : doneA;
            std::string& got = which ? gotB : gotA;
            if (done) continue;
            int length = kMiB;
            ASSERT_EQ(SCAN_getDataInMailbox(&session, "", "", which ? idB : idA, dest.Get(), static_cast<int>(got.size()),
                                            buffer.data(), &length, 0),
                      VELLORA_OK);
            got.append(buffer.data(), static_cast<size_t>(length));
            done = length == 0;
        }
    }
    EXPECT_EQ(gotA, wholeA);
    EXPECT_EQ(gotB, wholeB);
}

TEST_F(DataTest, ReadsAtAnyOffsetGiveTheBytesThere) {
    zeltosim::JobOptions job;
    job.formats = {"PDF"};
    job.pages = 2;
    int id = Add(job);
    std::string whole;
    Destination dest = Destination::For("PDF", 0);
    ASSERT_EQ(ReadAll(&session, "", "", id, dest, kMiB, whole), VELLORA_OK);
    ASSERT_GT(whole.size(), 1000u);
    char buffer[100];
    int length = sizeof buffer;
    ASSERT_EQ(SCAN_getDataInMailbox(&session, "", "", id, dest.Get(), 500, buffer, &length, 0), VELLORA_OK);
    ASSERT_EQ(length, 100);
    EXPECT_EQ(std::string(buffer, 100), whole.substr(500, 100));
    length = sizeof buffer;
    int end = static_cast<int>(whole.size());
    ASSERT_EQ(SCAN_getDataInMailbox(&session, "", "", id, dest.Get(), end - 10, buffer, &length, 0), VELLORA_OK);
    EXPECT_EQ(length, 10) << "the last piece is what is left";
    length = sizeof buffer;
    EXPECT_EQ(SCAN_getDataInMailbox(&session, "", "", id, dest.Get(), end + 1, buffer, &length, 0),
              VELLORA_OFFSET_OUT_OF_RANGE);
    length = sizeof buffer;
    EXPECT_EQ(SCAN_getDataInMailbox(&session, "", "", id, dest.Get(), -1, buffer, &length, 0), VELLORA_BAD_PARAM);
}

std::string Tool(const std::vector<std::string>& argv) { return veqtest::RunProgram(argv, {}, 30).output; }

int PagesSeenByTool(const std::string& format, const std::string& path) {
    if (format == "PDF" || format == "COMPACT_PDF") {
        std::smatch m;
        std::string info = Tool({"/usr/bin/pdfinfo", path});
        return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
    }
    if (format == "TIFF") {
        std::string info = Tool({"/usr/bin/tiffinfo", path});
        int n = 0;
        for (size_t at = 0; (at = info.find("TIFF Directory", at)) != std::string::npos; ++at) ++n;
        return n;
    }
    if (format == "JPEG") {
        std::string info = Tool({"/usr/bin/identify", "-format", "%m\n", path});
        return info == "JPEG\n" ? 1 : -1;
    }
    // XPS and compact XPS: a sound ZIP package with one fixed page per page.
    if (Tool({"/usr/bin/unzip", "-t", path}).find("No errors detected") == std::string::npos) return -1;
    std::string names = Tool({"/usr/bin/unzip", "-Z1", path});
    int n = 0;
    for (size_t at = 0; (at = names.find(".fpage\n", at)) != std::string::npos; ++at) ++n;
    return n;
}

TEST_F(DataTest, EveryFormatOpensInItsToolWithTheRightPageCount) {
    veqtest::TempDir dir;
    zeltosim::JobOptions job;
    job.pages = 3;
    job.widthPx = 200;
    job.heightPx = 260;
    job.formats = {"PDF", "TIFF", "JPEG", "XPS", "RAW", "COMPACT_PDF", "COMPACT_XPS"};
    int id = Add(job);
    std::map<std::string, size_t> wholeSizes;
    for (const auto& format : job.formats) {
        for (int page = 0; page <= job.pages; ++page) {
            SCOPED_TRACE(format + " page " + std::to_string(page));
            std::string data;
            Destination dest = Destination::For(format, page);
            int rc = ReadAll(&session, "", "", id, dest, kMiB, data);
            bool singleImage = format == "JPEG" || format == "RAW";
            if (singleImage && page == 0) {
                EXPECT_NE(rc, VELLORA_OK) << "a single-image format has no whole job of several pages";
                continue;
            }
            ASSERT_EQ(rc, VELLORA_OK);
            if (page == 0) wholeSizes[format] = data.size();
            if (format == "RAW") {
                EXPECT_EQ(data.size(), 200u * 260u * 3u) << "raw RGB pixels";
                continue;
            }
            std::string path = dir / ("job." + std::to_string(page));
            veqtest::WriteFile(path, data);
            EXPECT_EQ(PagesSeenByTool(format, path), page == 0 ? job.pages : 1);
        }
    }
    EXPECT_LT(wholeSizes["COMPACT_PDF"], wholeSizes["PDF"]);
    EXPECT_LT(wholeSizes["COMPACT_XPS"], wholeSizes["XPS"]);
}

TEST_F(DataTest, AOnePageJpegJobAlsoAnswersTheWholeJob) {
    zeltosim::JobOptions job;
    job.formats = {"JPEG"};
    int id = Add(job);
    std::string whole, page;
    Destination d0 = Destination::For("JPEG", 0), d1 = Destination::For("JPEG", 1);
    ASSERT_EQ(ReadAll(&session, "", "", id, d0, kMiB, whole), VELLORA_OK);
    ASSERT_EQ(ReadAll(&session, "", "", id, d1, kMiB, page), VELLORA_OK);
    EXPECT_EQ(whole, page);
}

TEST_F(DataTest, DestinationsAreLookedUpByKeyAndAMissingPageIsTheWholeJob) {
    zeltosim::JobOptions job;
    job.formats = {"PDF", "TIFF"};
    job.pages = 2;
    int id = Add(job);
    std::string theirs, ours;
    // The folder-mapping service's order, without a page.
    Destination service({{"N_DEST", "1"}, {"DEST:1", "CALLER"}, {"DEST_FORMAT:1", "TIFF"}});
    Destination dataSource = Destination::For("TIFF", 0);
    ASSERT_EQ(ReadAll(&session, "", "", id, service, kMiB, theirs), VELLORA_OK);
    ASSERT_EQ(ReadAll(&session, "", "", id, dataSource, kMiB, ours), VELLORA_OK);
    EXPECT_EQ(theirs, ours);
    auto call = Sim().Calls("SCAN_getDataInMailbox").back();
    EXPECT_EQ(call.Argument("DEST_FORMAT:1"), "TIFF");
    EXPECT_EQ(call.Argument("DEST_PAGE:1"), "0");
}

TEST_F(DataTest, RequestsTheJobCannotAnswerAreRefused) {
    zeltosim::JobOptions job;
    job.mailbox = "Accounting";
    job.formats = {"PDF", "JPEG"};
    job.pages = 2;
    int id = Add(job);
    struct Case {
        const char* name;
        const char* mailbox;
        const char* password;
        int jobId;
        std::vector<std::pair<std::string, std::string>> destination;
        int expected;
    };
    const std::vector<Case> cases = {
        {"wrong password", "Accounting", "0000", id, {{"DEST_FORMAT:1", "PDF"}}, VELLORA_ACCESS_DENIED},
        {"unknown mailbox", "Sales", "", id, {{"DEST_FORMAT:1", "PDF"}}, VELLORA_ITEM_NOT_FOUND},
        {"job of another mailbox", "", "", id, {{"DEST_FORMAT:1", "PDF"}}, VELLORA_JOB_NOT_FOUND},
        {"unknown job", "Accounting", "1234", 4242, {{"DEST_FORMAT:1", "PDF"}}, VELLORA_JOB_NOT_FOUND},
        {"unknown format", "Accounting", "1234", id, {{"DEST_FORMAT:1", "GIF"}}, VELLORA_SCAN_DEST_NOT_SUPPORTED},
        {"BMP", "Accounting", "1234", id, {{"DEST_FORMAT:1", "BMP"}}, VELLORA_SCAN_DEST_NOT_SUPPORTED},
        {"format in lower case", "Accounting", "1234", id, {{"DEST_FORMAT:1", "pdf"}}, VELLORA_SCAN_DEST_NOT_SUPPORTED},
        {"format the job lacks", "Accounting", "1234", id, {{"DEST_FORMAT:1", "TIFF"}}, VELLORA_SCAN_DEST_NOT_SUPPORTED},
        {"page beyond the job", "Accounting", "1234", id, {{"DEST_FORMAT:1", "PDF"}, {"DEST_PAGE:1", "3"}}, VELLORA_BAD_PARAM},
        {"page not a number", "Accounting", "1234", id, {{"DEST_FORMAT:1", "PDF"}, {"DEST_PAGE:1", "x"}}, VELLORA_BAD_PARAM},
        {"JPEG whole job of two pages", "Accounting", "1234", id, {{"DEST_FORMAT:1", "JPEG"}, {"DEST_PAGE:1", "0"}}, VELLORA_BAD_PARAM},
        {"other destination", "Accounting", "1234", id, {{"DEST:1", "EMAIL"}, {"DEST_FORMAT:1", "PDF"}}, VELLORA_SCAN_DEST_NOT_SUPPORTED},
    };
    for (const auto& c : cases) {
        Destination dest(c.destination);
        char buffer[64];
        int length = sizeof buffer;
        EXPECT_EQ(SCAN_getDataInMailbox(&session, c.mailbox, c.password, c.jobId, dest.Get(), 0, buffer, &length, 0),
                  c.expected)
            << c.name;
        EXPECT_EQ(length, 0) << c.name;
    }
}

TEST_F(DataTest, ATransferFailsAfterTheChunksTheControlInterfaceAllows) {
    zeltosim::JobOptions job;
    job.formats = {"RAW"};
    job.paddingBytesPerPage = 4 * kMiB;
    int id = Add(job);
    Sim().FailTransfer(id, 2, VELLORA_SCAN_DEST_FAILED, 1);
    std::string data;
    std::vector<int> chunks;
    Destination dest = Destination::For("RAW", 1);
    EXPECT_EQ(ReadAll(&session, "", "", id, dest, kMiB, data, &chunks), VELLORA_SCAN_DEST_FAILED);
    EXPECT_EQ(chunks, (std::vector<int>{kMiB, kMiB}));
    chunks.clear();
    EXPECT_EQ(ReadAll(&session, "", "", id, dest, kMiB, data, &chunks), VELLORA_OK) << "it failed once";
    EXPECT_EQ(chunks.back(), 0);
}

TEST_F(DataTest, AConnectionDroppedInTheMiddleOfATransferIsALostConnection) {
    zeltosim::JobOptions job;
    job.formats = {"RAW"};
    job.paddingBytesPerPage = 3 * kMiB;
    int id = Add(job);
    VelloraNBTicket monitor{};
    Recorder lost;
    ASSERT_EQ(INIT_monitorServer(handle, 3, 60, &monitor), VELLORA_OK);
    ASSERT_EQ(NB_registerCallback(&monitor, &lost, OnMonitor), VELLORA_OK);
    Sim().DropDuringTransfer(id, 1);
    std::string data;
    std::vector<int> chunks;
    Destination dest = Destination::For("RAW", 1);
    int rc = ReadAll(&session, "", "", id, dest, kMiB, data, &chunks);
    EXPECT_TRUE(rc == VELLORA_PROTOCOL_ERROR || rc == VELLORA_CONNECTION_FAILED) << rc;
    EXPECT_EQ(chunks, std::vector<int>{kMiB}) << "no short chunk is passed off as the end";
    EXPECT_TRUE(lost.WaitFor(1));
    NB_cancel_block_destroy(&monitor);
    // A new connection reads the job whole.
    VelloraServerHandle* again = Open();
    VelloraScanSession s2 = Session(again);
    EXPECT_EQ(ReadAll(&s2, "", "", id, dest, kMiB, data), VELLORA_OK);
}

TEST_F(DataTest, ASlowTransferTimesOutAndTheConnectionGoesOn) {
    zeltosim::JobOptions job;
    job.formats = {"RAW"};
    job.paddingBytesPerPage = kMiB;
    int id = Add(job);
    ASSERT_EQ(INIT_setTimeout(handle, 1, 0), VELLORA_OK);
    Sim().SlowTransfer(id, 100 * 1024);  // a 256 KiB chunk takes about 2.5 s
    std::vector<char> buffer(256 * 1024);
    Destination dest = Destination::For("RAW", 1);
    int length = static_cast<int>(buffer.size());
    EXPECT_EQ(SCAN_getDataInMailbox(&session, "", "", id, dest.Get(), 0, buffer.data(), &length, 0), VELLORA_TIMEOUT);
    char* value = nullptr;
    ASSERT_EQ(QMVM_dictRead(handle, "WB3_SYSTEM", "QMVSYSVERNUM", &value, 0), VELLORA_OK)
        << "other calls are answered while the slow chunk waits";
    vellora_free(value);
    Sim().SlowTransfer(id, 0);
    buffer.assign(buffer.size(), 0);
    // The late chunk is dropped when it comes; later reads get their own bytes.
    int rc = VELLORA_TIMEOUT;
    EXPECT_TRUE(veqtest::WaitFor([&] {
        length = 16;
        rc = SCAN_getDataInMailbox(&session, "", "", id, dest.Get(), 0, buffer.data(), &length, 0);
        return rc != VELLORA_TIMEOUT;
    }));
    EXPECT_EQ(rc, VELLORA_OK);
    EXPECT_EQ(length, 16);
}

}  // namespace
