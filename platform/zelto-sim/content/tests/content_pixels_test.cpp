// Every rendition shows the same page picture: the raw pixels are what the
// plain PDF and TIFF carry and what the JPEG approximates, the compact forms
// carry it at half the resolution, and XPS embeds the pages' TIFF images.
#include <cstdlib>

#include <gtest/gtest.h>
#include <zlib.h>

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

// Readers that stop once they have the pixels pass over a bad end of a zlib
// stream; zlib's own inflate checks it whole, the Adler-32 included.
TEST(PageImages, AreWholeZlibStreamsOfTheDifferencedRows) {
    const JobSpec jobs[] = {Spec(1, 850, 1100, true), Spec(1, 33, 35, false, 7), Spec(1, 2550, 3300, true)};
    for (const auto& spec : jobs) {
        SCOPED_TRACE(Describe(spec));
        const std::string pdf = Bytes(spec, ContentFormat::PDF, 1);
        const size_t filter = pdf.find("/FlateDecode");
        ASSERT_NE(filter, std::string::npos);
        const size_t length = pdf.find("/Length ", filter);
        const size_t start = pdf.find(">>\nstream\n", length) + 10;
        const size_t compressed = std::strtoull(pdf.c_str() + length + 8, nullptr, 10);
        const std::string raw = RawPixels(spec, 1);
        std::string inflated(raw.size() + 1, '\0');
        uLongf inflatedLength = inflated.size();
        ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(&inflated[0]), &inflatedLength,
                             reinterpret_cast<const Bytef*>(pdf.data() + start), compressed),
                  Z_OK);
        ASSERT_EQ(inflatedLength, raw.size());
        // Undo the differencing: each sample plus the one of the pixel to its left.
        const size_t channels = spec.color ? 3 : 1, rowBytes = spec.widthPx * channels;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (i % rowBytes >= channels) inflated[i] = static_cast<char>(inflated[i] + inflated[i - channels]);
        }
        inflated.resize(inflatedLength);
        EXPECT_TRUE(inflated == raw);
    }
}

// The compact forms carry the same picture at half the resolution, losslessly
// (odd sides rounded up; the halves are large enough to be made as jobs).
const JobSpec kCompactJobs[] = {
    Spec(2, 120, 90, true, 5000),
    Spec(2, 97, 65, false, 3),
};

JobSpec HalfResolution(JobSpec spec) {
    spec.widthPx = (spec.widthPx + 1) / 2;
    spec.heightPx = (spec.heightPx + 1) / 2;
    return spec;
}

TEST_F(PagePixels, CompactPdfCarriesThePixelsAtHalfTheResolution) {
    for (const auto& spec : kCompactJobs) {
        SCOPED_TRACE(Describe(spec));
        std::string pdf = WriteRendition(m_dir, spec, ContentFormat::COMPACT_PDF, 0, "job.pdf");
        const JobSpec half = HalfResolution(spec);
        for (int page = 1; page <= spec.pages; ++page) {
            std::string prefix = m_dir / ("page" + std::to_string(page));
            Tool({"/usr/bin/pdfimages", "-f", std::to_string(page), "-l", std::to_string(page), pdf, prefix});
            std::string image = veqtest::ReadFile(prefix + "-000.ppm");
            std::string header = "P6\n" + std::to_string(half.widthPx) + " " + std::to_string(half.heightPx) + "\n255\n";
            ASSERT_EQ(image.compare(0, header.size(), header), 0) << "page " << page;
            std::string rgb;
            for (char sample : RawPixels(half, page)) rgb.append(spec.color ? 1 : 3, sample);
            EXPECT_TRUE(image.substr(header.size()) == rgb) << "page " << page;
        }
    }
}

TEST_F(PagePixels, XpsEmbedsThePageTiffAtFullOrHalfResolution) {
    for (const auto& spec : kCompactJobs) {
        for (ContentFormat format : {ContentFormat::XPS, ContentFormat::COMPACT_XPS}) {
            const bool compact = format == ContentFormat::COMPACT_XPS;
            SCOPED_TRACE(zeltosim::ContentFormatName(format) + " " + Describe(spec));
            veqtest::TempDir parts;
            Tool({"/usr/bin/unzip", "-q", "-o", WriteRendition(m_dir, spec, format, 0, "job.xps"), "-d", parts.Path()});
            for (int page = 1; page <= spec.pages; ++page) {
                std::string part = parts / ("Documents/1/Resources/Images/" + std::to_string(page) + ".tif");
                if (!compact) {
                    EXPECT_TRUE(veqtest::ReadFile(part) == Bytes(spec, ContentFormat::TIFF, page)) << "page " << page;
                } else {
                    EXPECT_TRUE(Decoded(part, spec.color) == RawPixels(HalfResolution(spec), page)) << "page " << page;
                }
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
