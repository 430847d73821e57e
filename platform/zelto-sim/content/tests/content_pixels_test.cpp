// Every rendition shows the same page picture: the raw pixels are what the
// plain PDF and TIFF carry and what the JPEG approximates, and the compound
// formats embed the page images of the single-page formats.
#include <cstdlib>

#include <gtest/gtest.h>

#include "ContentTestSupport.h"

namespace {

using namespace contenttest;

const JobSpec kJobs[] = {
    Spec(2, 120, 90, true, 5000),
    Spec(2, 97, 61, false, 3),
};

std::string RawPixels(const JobSpec& spec, int page) {
    std::string raw = Bytes(spec, ContentFormat::RAW, page);
    raw.resize(raw.size() - spec.paddingBytesPerPage);
    return raw;
}

JobSpec WithoutPadding(JobSpec spec) {
    spec.paddingBytesPerPage = 0;
    return spec;
}

class PagePixels : public ::testing::Test {
protected:
    // Pixels of an image file as ImageMagick decodes them, 8 bits per sample.
    std::string Decoded(const std::string& image, bool color) {
        std::string out = m_dir / "decoded.bin";
        Tool({"/usr/bin/convert", image, "-depth", "8", std::string(color ? "rgb:" : "gray:") + out});
        return veqtest::ReadFile(out);
    }

    veqtest::TempDir m_dir;
};

TEST_F(PagePixels, PlainPdfCarriesTheRawPixels) {
    for (const auto& spec : kJobs) {
        SCOPED_TRACE(Describe(spec));
        std::string pdf = WriteRendition(m_dir, spec, ContentFormat::PDF, 0, "job.pdf");
        for (int page = 1; page <= spec.pages; ++page) {
            std::string prefix = m_dir / ("page" + std::to_string(page));
            Tool({"/usr/bin/pdfimages", "-f", std::to_string(page), "-l", std::to_string(page), pdf, prefix});
            // The tool writes gray images as RGB too.
            std::string image = veqtest::ReadFile(prefix + "-000.ppm");
            std::string header = "P6\n" + std::to_string(spec.widthPx) + " " + std::to_string(spec.heightPx) + "\n255\n";
            ASSERT_EQ(image.compare(0, header.size(), header), 0) << "page " << page;
            std::string rgb;
            for (char sample : RawPixels(spec, page)) rgb.append(spec.color ? 1 : 3, sample);
            EXPECT_TRUE(image.substr(header.size()) == rgb) << "page " << page;
        }
    }
}

TEST_F(PagePixels, TiffCarriesTheRawPixels) {
    for (const auto& spec : kJobs) {
        SCOPED_TRACE(Describe(spec));
        std::string tiff = WriteRendition(m_dir, spec, ContentFormat::TIFF, 0, "job.tif");
        for (int page = 1; page <= spec.pages; ++page) {
            EXPECT_TRUE(Decoded(tiff + "[" + std::to_string(page - 1) + "]", spec.color) == RawPixels(spec, page)) << "page " << page;
        }
    }
}

TEST_F(PagePixels, JpegIsCloseToTheRawPixelsWhateverThePadding) {
    for (const auto& spec : kJobs) {
        SCOPED_TRACE(Describe(spec));
        for (int page = 1; page <= spec.pages; ++page) {
            std::string padded = Decoded(WriteRendition(m_dir, spec, ContentFormat::JPEG, page, "padded.jpg"), spec.color);
            std::string bare = Decoded(WriteRendition(m_dir, WithoutPadding(spec), ContentFormat::JPEG, page, "bare.jpg"), spec.color);
            EXPECT_TRUE(padded == bare) << "page " << page;
            std::string raw = RawPixels(spec, page);
            ASSERT_EQ(padded.size(), raw.size());
            uint64_t difference = 0;
            for (size_t i = 0; i < raw.size(); ++i) {
                difference += std::abs(int(uint8_t(raw[i])) - int(uint8_t(padded[i])));
            }
            // Far from what a wrong picture gives (tens); small pages lose most at the digits' edges.
            EXPECT_LT(double(difference) / raw.size(), 8.0) << "mean difference per sample, page " << page;
        }
    }
}

TEST_F(PagePixels, CompactPdfEmbedsThePageJpeg) {
    for (const auto& spec : kJobs) {
        SCOPED_TRACE(Describe(spec));
        std::string pdf = WriteRendition(m_dir, spec, ContentFormat::COMPACT_PDF, 0, "job.pdf");
        std::string prefix = m_dir / "image";
        Tool({"/usr/bin/pdfimages", "-j", pdf, prefix});
        for (int page = 1; page <= spec.pages; ++page) {
            char name[32];
            std::snprintf(name, sizeof name, "-%03d.jpg", page - 1);
            EXPECT_TRUE(veqtest::ReadFile(prefix + name) == Bytes(WithoutPadding(spec), ContentFormat::JPEG, page)) << "page " << page;
        }
    }
}

TEST_F(PagePixels, XpsEmbedsThePageTiffOrJpeg) {
    for (const auto& spec : kJobs) {
        for (ContentFormat format : {ContentFormat::XPS, ContentFormat::COMPACT_XPS}) {
            const bool compact = format == ContentFormat::COMPACT_XPS;
            SCOPED_TRACE(zeltosim::ContentFormatName(format) + " " + Describe(spec));
            veqtest::TempDir parts;
            Tool({"/usr/bin/unzip", "-q", "-o", WriteRendition(m_dir, spec, format, 0, "job.xps"), "-d", parts.Path()});
            for (int page = 1; page <= spec.pages; ++page) {
                std::string part = parts / ("Documents/1/Resources/Images/" + std::to_string(page) + (compact ? ".jpg" : ".tif"));
                EXPECT_TRUE(veqtest::ReadFile(part) == Bytes(spec, compact ? ContentFormat::JPEG : ContentFormat::TIFF, page))
                    << "page " << page;
            }
        }
    }
}

// The picture: colour bands that depend on the seed and the page, with the page
// number in black in the middle and nothing black near the corners.
TEST(PagePicture, DiffersBetweenPagesAndSeedsAndShowsThePageNumber) {
    const JobSpec spec = Spec(2, 200, 160, true);
    const std::string first = RawPixels(spec, 1);
    EXPECT_NE(first, RawPixels(spec, 2));
    EXPECT_NE(first, RawPixels(Spec(2, 200, 160, true, 0, 2), 1));

    auto pixel = [&](int x, int y) { return first.substr((size_t(y) * spec.widthPx + x) * 3, 3); };
    const std::string black(3, '\0');
    int blackInMiddle = 0;
    for (int y = 60; y < 100; ++y) {
        for (int x = 70; x < 130; ++x) blackInMiddle += pixel(x, y) == black;
    }
    EXPECT_GT(blackInMiddle, 100);
    for (int y : {0, 1, 158, 159}) {
        for (int x : {0, 1, 198, 199}) EXPECT_NE(pixel(x, y), black) << x << "," << y;
    }
}

TEST(PagePicture, GrayHasOneSamplePerPixel) {
    EXPECT_EQ(RawPixels(Spec(1, 64, 48, false), 1).size(), 64u * 48u);
    EXPECT_EQ(RawPixels(Spec(1, 64, 48, true), 1).size(), 64u * 48u * 3u);
}

}  // namespace
