// Which renditions exist, and how large they are.
#include <gtest/gtest.h>

#include "ContentTestSupport.h"

namespace {

using namespace contenttest;
using zeltosim::kMaxPaddingBytesPerPage;

constexpr uint64_t kGiB = uint64_t(1) << 30;

TEST(MakeDocument, RefusesWhatDoesNotExist) {
    const JobSpec three = Spec(3, 100, 100, true);
    auto with = [&](auto change) {
        JobSpec spec = three;
        change(spec);
        return spec;
    };
    struct Case {
        const char* what;
        JobSpec spec;
        int format;
        int page;
    };
    const Case cases[] = {
        {"negative page", three, 0, -1},
        {"page past the last", three, 0, 4},
        {"JPEG whole job of three pages", three, 2, 0},
        {"RAW whole job of three pages", three, 5, 0},
        {"BMP", three, 4, 1},
        {"unknown format", three, 8, 1},
        {"negative format", three, -1, 1},
        {"no pages", with([](JobSpec& s) { s.pages = 0; }), 0, 0},
        {"too many pages", with([](JobSpec& s) { s.pages = zeltosim::kMaxPages + 1; }), 0, 1},
        {"too narrow", with([](JobSpec& s) { s.widthPx = zeltosim::kMinPageSidePx - 1; }), 0, 0},
        {"negative height", with([](JobSpec& s) { s.heightPx = -100; }), 0, 0},
        {"too tall", with([](JobSpec& s) { s.heightPx = zeltosim::kMaxPageSidePx + 1; }), 0, 0},
        {"resolution too low", with([](JobSpec& s) { s.dpi = zeltosim::kMinDpi - 1; }), 0, 0},
        {"resolution too high", with([](JobSpec& s) { s.dpi = zeltosim::kMaxDpi + 1; }), 1, 1},
        {"too much padding", with([](JobSpec& s) { s.paddingBytesPerPage = kMaxPaddingBytesPerPage + 1; }), 5, 1},
        {"TIFF beyond 32-bit offsets", with([](JobSpec& s) { s.paddingBytesPerPage = 2 * kGiB; }), 1, 0},
        {"XPS beyond 32-bit offsets", with([](JobSpec& s) { s.paddingBytesPerPage = 2 * kGiB; }), 3, 0},
        {"compact XPS beyond 32-bit offsets", with([](JobSpec& s) { s.paddingBytesPerPage = 2 * kGiB; }), 7, 0},
        {"PDF beyond ten-digit offsets", with([](JobSpec& s) { s.paddingBytesPerPage = 4 * kGiB; }), 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JobDocument::Make(c.spec, static_cast<ContentFormat>(c.format), c.page), nullptr) << c.what;
    }
}

TEST(MakeDocument, OnePageJpegOrRawJobAnswersTheWholeJobWithItsPage) {
    const JobSpec one = Spec(1, 120, 90, true, 10);
    for (ContentFormat format : {ContentFormat::JPEG, ContentFormat::RAW}) {
        EXPECT_EQ(Bytes(one, format, 0), Bytes(one, format, 1)) << zeltosim::ContentFormatName(format);
    }
}

TEST(MakeDocument, EveryRenditionStartsWithItsFormatsSignature) {
    const JobSpec three = Spec(3, 100, 100, false);
    const std::pair<ContentFormat, std::string> signatures[] = {
        {ContentFormat::PDF, "%PDF-1.4\n"},        {ContentFormat::COMPACT_PDF, "%PDF-1.4\n"},
        {ContentFormat::TIFF, std::string("II*\0", 4)}, {ContentFormat::JPEG, "\xFF\xD8\xFF"},
        {ContentFormat::XPS, "PK\x03\x04"},        {ContentFormat::COMPACT_XPS, "PK\x03\x04"},
    };
    for (const auto& [format, signature] : signatures) {
        for (int page = format == ContentFormat::JPEG ? 1 : 0; page <= three.pages; ++page) {
            auto document = JobDocument::Make(three, format, page);
            ASSERT_TRUE(document) << zeltosim::ContentFormatName(format) << " page " << page;
            std::string start(signature.size(), '?');
            document->Read(0, &start[0], start.size());
            EXPECT_EQ(start, signature) << zeltosim::ContentFormatName(format) << " page " << page;
        }
    }
}

// Huge renditions are laid out by arithmetic: making them costs nothing, and
// their last bytes can be read at once.
TEST(MakeDocument, LaysOutHugeJobsUpToTheirFormatsLimits) {
    struct Case {
        ContentFormat format;
        JobSpec spec;
        std::string tail;  // how the document ends
    };
    const Case cases[] = {
        {ContentFormat::RAW, Spec(1, 64, 64, true, kMaxPaddingBytesPerPage), std::string(4, '\0')},
        {ContentFormat::TIFF, Spec(2, 64, 64, true, 2 * kGiB - 100000), std::string(4, '\0')},
        {ContentFormat::PDF, Spec(2, 64, 64, true, 4 * kGiB), "startxref\n"},
        {ContentFormat::COMPACT_XPS, Spec(1, 64, 64, true, 4 * kGiB - 100000), "PK\x05\x06"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(zeltosim::ContentFormatName(c.format));
        auto document = JobDocument::Make(c.spec, c.format, c.format == ContentFormat::RAW ? 1 : 0);
        ASSERT_TRUE(document);
        EXPECT_GT(document->Size(), c.spec.paddingBytesPerPage * c.spec.pages);
        std::string tail(64, '?');
        ASSERT_EQ(document->Read(document->Size() - tail.size(), &tail[0], tail.size()), tail.size());
        EXPECT_NE(tail.find(c.tail), std::string::npos);
    }
}

TEST(MakeDocument, PaddingAddsItsBytesToEveryPage) {
    const JobSpec bare = Spec(2, 80, 60, true);
    auto growth = [&](uint64_t padding, ContentFormat format, int page) {
        JobSpec padded = bare;
        padded.paddingBytesPerPage = padding;
        return JobDocument::Make(padded, format, page)->Size() - JobDocument::Make(bare, format, page)->Size();
    };
    for (uint64_t padding : {uint64_t(4), uint64_t(65537), uint64_t(65540), uint64_t(1000001)}) {
        SCOPED_TRACE("padding " + std::to_string(padding));
        EXPECT_EQ(growth(padding, ContentFormat::RAW, 1), padding);
        EXPECT_EQ(growth(padding, ContentFormat::JPEG, 1), padding);
        // TIFF keeps its directories on even offsets.
        EXPECT_EQ(growth(padding, ContentFormat::TIFF, 1), padding + padding % 2);
        EXPECT_GT(growth(padding, ContentFormat::PDF, 0), 2 * padding);
    }
}

TEST(MakeDocument, CompactFormsAreSmallerThanThePlainOnes) {
    const JobSpec jobs[] = {
        Spec(3, 850, 1100, true),
        Spec(2, zeltosim::kMinPageSidePx, zeltosim::kMinPageSidePx, false),
        Spec(2, zeltosim::kMinPageSidePx, zeltosim::kMinPageSidePx, false, 3),
        Spec(2, zeltosim::kMinPageSidePx, zeltosim::kMinPageSidePx, true, 50 * 1000 * 1000),
    };
    const std::pair<ContentFormat, ContentFormat> pairs[] = {{ContentFormat::COMPACT_PDF, ContentFormat::PDF},
                                                             {ContentFormat::COMPACT_XPS, ContentFormat::XPS}};
    for (const auto& spec : jobs) {
        for (const auto& pair : pairs) {
            for (int page = 0; page <= spec.pages; ++page) {
                EXPECT_LT(JobDocument::Make(spec, pair.first, page)->Size(), JobDocument::Make(spec, pair.second, page)->Size())
                    << zeltosim::ContentFormatName(pair.first) << " page " << page << " of " << Describe(spec);
            }
        }
    }
}

}  // namespace
