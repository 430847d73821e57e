// Job-data retrievers against the simulated controller: straight reads of
// every offered format, the local BMP conversion and invalid requests.
#include <gtest/gtest.h>

#include <wx/image.h>
#include <wx/mstream.h>

#include "MailboxTestSupport.h"
#include "ScanJobDataRetriever.h"
#include "ZeltoScanJobDataRetriever.h"
#include "ZeltoServerMailBox.h"

using mailboxtest::ExpectedContent;
using mailboxtest::Request;
using mailboxtest::SmallJob;

namespace {

const int kMiB = 1048576;

// Every chunk's length and all bytes, read until GetData returns false.
struct Reading {
    std::vector<int> lengths;
    std::string bytes;
    int lastLength = -1;
};

Reading ReadAll(ScanJobDataRetriever& retriever) {
    Reading reading;
    std::vector<char> data;
    int length = -1;
    while (retriever.GetData(data, length)) {
        reading.lengths.push_back(length);
        reading.bytes.append(data.data(), static_cast<size_t>(length));
        if (reading.lengths.size() > 1000) break;
    }
    reading.lastLength = length;
    return reading;
}

class RetrieverTest : public mailboxtest::AccountingMailboxTest {};

}  // namespace

TEST_F(RetrieverTest, ARequestThatCannotBeServedDeliversNothing) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(3, 2, {"JPEG", "RAW", "PDF"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    const VEQTypes::ScanRetriveAttribute requests[] = {
        Request(VEQTypes::JPEG, 0, 3), Request(VEQTypes::BMP, 0, 3), Request(VEQTypes::RAW, 0, 3),
        Request(VEQTypes::PDF, 1, -1)};
    Sim().ClearCalls();
    for (const auto& request : requests) {
        std::shared_ptr<ScanJobDataRetriever> retriever = mailbox->GetJobDataRetriever(request);
        std::vector<char> data = {'k', 'e', 'p', 't'};
        int length = 77;
        EXPECT_FALSE(retriever->GetData(data, length)) << VEQTypes::ToString(request.m_format);
        EXPECT_EQ(length, 77);
        EXPECT_EQ(data.size(), 4u);
    }
    EXPECT_EQ(Sim().CallCount("SCAN_getDataInMailbox"), 0u);
}

TEST_F(RetrieverTest, AJobIsReadInChunksOfOneMebibyte) {
    zeltosim::JobOptions job = SmallJob(4, 1, {"PDF"}, "Accounting");
    job.paddingBytesPerPage = 2 * kMiB + kMiB / 2;
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    const std::string expected = ExpectedContent(job, zeltosim::ContentFormat::PDF, 0);
    ASSERT_GT(expected.size(), 2u * kMiB);
    ASSERT_LT(expected.size(), 3u * kMiB);

    std::shared_ptr<ScanJobDataRetriever> retriever =
        mailbox->GetJobDataRetriever(Request(VEQTypes::PDF, 0, 4));
    const Reading reading = ReadAll(*retriever);
    EXPECT_EQ(reading.lengths,
              (std::vector<int>{kMiB, kMiB, static_cast<int>(expected.size()) - 2 * kMiB}));
    EXPECT_EQ(reading.lastLength, 0);
    EXPECT_TRUE(reading.bytes == expected);
}

TEST_F(RetrieverTest, EveryOfferedFormatIsReadAsTheServerSendsIt) {
    const zeltosim::JobOptions job =
        SmallJob(6, 1, {"PDF", "TIFF", "JPEG", "XPS", "RAW", "COMPACT_PDF", "COMPACT_XPS"}, "Accounting");
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    const std::pair<VEQTypes::FileFormat, zeltosim::ContentFormat> formats[] = {
        {VEQTypes::PDF, zeltosim::ContentFormat::PDF},
        {VEQTypes::TIFF, zeltosim::ContentFormat::TIFF},
        {VEQTypes::JPEG, zeltosim::ContentFormat::JPEG},
        {VEQTypes::XPS, zeltosim::ContentFormat::XPS},
        {VEQTypes::RAW, zeltosim::ContentFormat::RAW},
        {VEQTypes::COMPACT_PDF, zeltosim::ContentFormat::COMPACT_PDF},
        {VEQTypes::COMPACT_XPS, zeltosim::ContentFormat::COMPACT_XPS},
    };
    for (const auto& f : formats) {
        std::shared_ptr<ScanJobDataRetriever> retriever =
            mailbox->GetJobDataRetriever(Request(f.first, 1, 6));
        const std::string expected = ExpectedContent(job, f.second, 1);
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(ReadAll(*retriever).bytes == expected) << VEQTypes::ToString(f.first);
    }
}

TEST_F(RetrieverTest, AnErrorEndsTheReadingAtItsChunk) {
    zeltosim::JobOptions job = SmallJob(7, 1, {"PDF"}, "Accounting");
    job.paddingBytesPerPage = 2 * kMiB;
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    Sim().FailTransfer(7, 1);
    std::shared_ptr<ScanJobDataRetriever> retriever =
        mailbox->GetJobDataRetriever(Request(VEQTypes::PDF, 0, 7));
    EXPECT_EQ(ReadAll(*retriever).lengths, (std::vector<int>{kMiB}));
}

TEST_F(RetrieverTest, BmpIsMadeFromThePagesJpeg) {
    zeltosim::JobOptions job = SmallJob(8, 2, {"JPEG", "PDF"}, "Accounting");
    job.widthPx = 700;
    job.heightPx = 600;  // a BMP of more than one chunk
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({job});
    ASSERT_TRUE(mailbox);
    Sim().ClearCalls();
    std::shared_ptr<ScanJobDataRetriever> retriever =
        mailbox->GetJobDataRetriever(Request(VEQTypes::BMP, 2, 8));
    const Reading reading = ReadAll(*retriever);
    ASSERT_EQ(reading.lengths.size(), 2u);
    EXPECT_EQ(reading.lengths[0], kMiB);
    EXPECT_EQ(reading.lastLength, 0);
    ASSERT_GE(reading.bytes.size(), 2u);
    EXPECT_EQ(reading.bytes.substr(0, 2), "BM");

    wxMemoryInputStream input(reading.bytes.data(), reading.bytes.size());
    wxImage image(input, wxBITMAP_TYPE_BMP);
    ASSERT_TRUE(image.IsOk());
    EXPECT_EQ(image.GetWidth(), 700);
    EXPECT_EQ(image.GetHeight(), 600);

    const auto calls = Sim().Calls("SCAN_getDataInMailbox");
    ASSERT_FALSE(calls.empty());
    for (const auto& call : calls) {
        EXPECT_EQ(call.Argument("DEST_FORMAT:1"), "JPEG");
        EXPECT_EQ(call.Argument("DEST_PAGE:1"), "2");
    }
}

TEST_F(RetrieverTest, AFailedFetchForBmpDeliversNothing) {
    std::shared_ptr<ZeltoServerMailBox> mailbox = Open({SmallJob(9, 1, {"JPEG"}, "Accounting")});
    ASSERT_TRUE(mailbox);
    Sim().FailTransfer(9, 0);
    std::shared_ptr<ScanJobDataRetriever> retriever =
        mailbox->GetJobDataRetriever(Request(VEQTypes::BMP, 1, 9));
    std::vector<char> data;
    int length = -1;
    EXPECT_FALSE(retriever->GetData(data, length));
    EXPECT_EQ(length, 0);
    EXPECT_FALSE(retriever->GetData(data, length));
}

TEST(JpegToBMP, OnlyADecodableJpegConverts) {
    std::vector<char> bmp = {'x'};
    EXPECT_FALSE(ZeltoScanJobDataRetriever::JpegToBMP({}, bmp));
    const std::string text = "this is not a picture";
    EXPECT_FALSE(ZeltoScanJobDataRetriever::JpegToBMP(std::vector<char>(text.begin(), text.end()), bmp));

    const std::string jpeg = ExpectedContent(SmallJob(1, 1, {"JPEG"}), zeltosim::ContentFormat::JPEG, 1);
    ASSERT_FALSE(jpeg.empty());
    EXPECT_TRUE(ZeltoScanJobDataRetriever::JpegToBMP(std::vector<char>(jpeg.begin(), jpeg.end()), bmp));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(std::string(bmp.data(), 2), "BM");
}
