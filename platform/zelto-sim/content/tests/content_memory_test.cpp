// Large jobs are served without being held in memory: reading one whole raises
// the process's peak memory by far less than the job's size.
#include <fstream>

#include <gtest/gtest.h>

#include "ContentTestSupport.h"

namespace {

using namespace contenttest;

constexpr uint64_t kMiB = 1 << 20;

// Peak resident memory of the process in bytes, from /proc.
uint64_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
    }
    return 0;
}

// Starts a new peak at the present resident size, so that earlier work in the
// process does not hide growth.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Makes the rendition (compressing its pages) and reads it whole; minimumSize
// says how large it must come out.
void ExpectReadInBoundedMemory(const JobSpec& spec, ContentFormat format, int page, uint64_t minimumSize = 64 * kMiB) {
    SCOPED_TRACE(zeltosim::ContentFormatName(format) + " " + Describe(spec));
    std::vector<char> buffer(kMiB);
    ResetPeak();
    const uint64_t before = PeakResidentBytes();
    ASSERT_GT(before, 0u);

    auto document = JobDocument::Make(spec, format, page);
    ASSERT_TRUE(document);
    ASSERT_GE(document->Size(), minimumSize);
    uint64_t offset = 0;
    while (size_t count = document->Read(offset, buffer.data(), buffer.size())) offset += count;
    EXPECT_EQ(offset, document->Size());
    EXPECT_LT(PeakResidentBytes() - before, 16 * kMiB);
}

TEST(LargeJobs, PaddedJobIsReadInBoundedMemory) {
    const JobSpec padded = Spec(4, 850, 1100, true, 16 * kMiB);
    for (ContentFormat format : {ContentFormat::PDF, ContentFormat::TIFF, ContentFormat::XPS, ContentFormat::COMPACT_PDF,
                                 ContentFormat::COMPACT_XPS}) {
        ExpectReadInBoundedMemory(padded, format, 0);
    }
    const JobSpec onePage = Spec(1, 850, 1100, true, 64 * kMiB);
    ExpectReadInBoundedMemory(onePage, ContentFormat::JPEG, 1);
    ExpectReadInBoundedMemory(onePage, ContentFormat::RAW, 1);
}

TEST(LargeJobs, LargePagesAreMadeAndReadInBoundedMemory) {
    const JobSpec large = Spec(1, 4000, 5600, true);  // 64 MiB of pixels
    // Compressed pages are far smaller than their pixels; compressing them draws row by row.
    for (ContentFormat format : {ContentFormat::PDF, ContentFormat::TIFF, ContentFormat::XPS, ContentFormat::COMPACT_PDF,
                                 ContentFormat::COMPACT_XPS}) {
        ExpectReadInBoundedMemory(large, format, 0, 1000);
    }
    ExpectReadInBoundedMemory(large, ContentFormat::RAW, 0);
}

}  // namespace
