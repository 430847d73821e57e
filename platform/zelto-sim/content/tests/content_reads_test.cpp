// Reads by offset: any offset and length gives the same bytes as reading front
// to back, the end is handled as callers expect, and the bytes are the same in
// every process and thread.
#include <cstring>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "ContentTestSupport.h"

namespace {

using namespace contenttest;

// Padding that spans several JPEG padding markers and odd raster sizes, so that
// reads cross every kind of boundary.
const JobSpec kJob = Spec(2, 301, 203, true, 150001);

struct Rendition {
    ContentFormat format;
    int page;
};

std::vector<Rendition> Renditions() {
    std::vector<Rendition> all;
    for (ContentFormat format : kAllFormats) {
        bool singleImage = format == ContentFormat::JPEG || format == ContentFormat::RAW;
        for (int page = singleImage ? 1 : 0; page <= kJob.pages; ++page) all.push_back({format, page});
    }
    return all;
}

std::string Name(const Rendition& r) {
    return zeltosim::ContentFormatName(r.format) + " page " + std::to_string(r.page);
}

uint64_t Digest(const std::string& bytes) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    return hash ^ bytes.size();
}

TEST(ContentReads, AnyOffsetAndLengthGiveTheBytesOfASequentialRead) {
    std::mt19937_64 random(12345);
    for (const auto& r : Renditions()) {
        SCOPED_TRACE(Name(r));
        auto document = JobDocument::Make(kJob, r.format, r.page);
        ASSERT_TRUE(document);
        const std::string whole = ReadAll(*document);
        ASSERT_EQ(whole.size(), document->Size());
        EXPECT_TRUE(ReadAll(*document, 4093) == whole);

        std::vector<char> buffer(300000);
        for (int i = 0; i < 200; ++i) {
            uint64_t offset = random() % whole.size();
            size_t length = 1 + random() % (i % 2 ? 300000 : 700);
            size_t count = document->Read(offset, buffer.data(), length);
            ASSERT_EQ(count, std::min<uint64_t>(length, whole.size() - offset)) << offset << "+" << length;
            ASSERT_EQ(std::memcmp(buffer.data(), whole.data() + offset, count), 0) << offset << "+" << length;
        }
    }
}

TEST(ContentReads, StopAtTheEndWithoutWritingPastTheCount) {
    auto document = JobDocument::Make(kJob, ContentFormat::PDF, 0);
    ASSERT_TRUE(document);
    const uint64_t size = document->Size();
    const std::string whole = ReadAll(*document);
    std::vector<char> buffer(64, '#');

    EXPECT_EQ(document->Read(size - 5, buffer.data(), buffer.size()), 5u);
    EXPECT_EQ(std::string(buffer.data(), 5), whole.substr(size - 5));
    EXPECT_EQ(std::string(buffer.data() + 5, buffer.size() - 5), std::string(buffer.size() - 5, '#'));

    EXPECT_EQ(document->Read(size, buffer.data(), buffer.size()), 0u);
    EXPECT_EQ(document->Read(size + 1000, buffer.data(), buffer.size()), 0u);
    EXPECT_EQ(document->Read(UINT64_MAX, buffer.data(), buffer.size()), 0u);
    EXPECT_EQ(document->Read(0, buffer.data(), 0), 0u);
}

TEST(ContentReads, ConcurrentReadersGetTheSameBytes) {
    for (ContentFormat format : {ContentFormat::PDF, ContentFormat::XPS, ContentFormat::COMPACT_XPS}) {
        auto document = JobDocument::Make(kJob, format, 0);
        ASSERT_TRUE(document);
        const uint64_t expected = Digest(ReadAll(*document));
        std::vector<uint64_t> digests(8);
        std::vector<std::thread> readers;
        for (size_t i = 0; i < digests.size(); ++i) {
            readers.emplace_back([&, i] { digests[i] = Digest(ReadAll(*document, 1000 + 3331 * i)); });
        }
        for (auto& reader : readers) reader.join();
        for (uint64_t digest : digests) EXPECT_EQ(digest, expected) << zeltosim::ContentFormatName(format);
    }
}

// Threads that make the same new renditions at once share the pages being
// compressed and get the same bytes as a lone maker.
TEST(ContentReads, ConcurrentMakersGetTheSameBytes) {
    const JobSpec fresh = Spec(3, 640, 480, true, 0, 777);
    std::vector<std::string> digests(8);
    std::vector<std::thread> makers;
    for (size_t i = 0; i < digests.size(); ++i) {
        makers.emplace_back([&, i] {
            const ContentFormat format = i % 2 ? ContentFormat::TIFF : ContentFormat::COMPACT_PDF;
            for (int page = 3; page >= 0; --page) digests[i] += std::to_string(Digest(Bytes(fresh, format, page))) + " ";
        });
    }
    for (auto& maker : makers) maker.join();
    auto alone = veqtest::RunInChild([&] {
        for (ContentFormat format : {ContentFormat::COMPACT_PDF, ContentFormat::TIFF}) {
            std::string line;
            for (int page = 3; page >= 0; --page) line += std::to_string(Digest(Bytes(fresh, format, page))) + " ";
            std::printf("%s\n", line.c_str());
        }
        return 0;
    });
    ASSERT_TRUE(alone.exited && alone.status == 0) << alone.output;
    const size_t newline = alone.output.find('\n');
    ASSERT_NE(newline, std::string::npos) << alone.output;
    const std::string expected[2] = {alone.output.substr(0, newline),
                                     alone.output.substr(newline + 1, alone.output.size() - newline - 2)};
    for (size_t i = 0; i < digests.size(); ++i) EXPECT_EQ(digests[i], expected[i % 2]) << i;
}

// A fresh process has nothing cached: what it makes must be byte for byte what
// another made, for every rendition.
TEST(ContentReads, AreTheSameInEveryProcess) {
    auto digests = [] {
        std::string text;
        for (const auto& r : Renditions()) text += Name(r) + " " + std::to_string(Digest(Bytes(kJob, r.format, r.page))) + "\n";
        return text;
    };
    auto first = veqtest::RunInChild([&] { std::printf("%s", digests().c_str()); return 0; });
    auto second = veqtest::RunInChild([&] { std::printf("%s", digests().c_str()); return 0; });
    ASSERT_TRUE(first.exited && first.status == 0) << first.output;
    EXPECT_EQ(first.output, second.output);
    EXPECT_EQ(first.output, digests());
}

TEST(ContentReads, DifferBetweenSeeds) {
    for (ContentFormat format : kAllFormats) {
        EXPECT_NE(Bytes(Spec(1, 100, 80, true, 0, 1), format, 1), Bytes(Spec(1, 100, 80, true, 0, 2), format, 1))
            << zeltosim::ContentFormatName(format);
    }
}

}  // namespace
