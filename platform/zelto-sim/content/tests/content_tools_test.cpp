// Every rendition opens in the standard tools with the right number of pages.
#include <cstdlib>

#include <gtest/gtest.h>

#include "ContentTestSupport.h"

namespace {

using namespace contenttest;

// A usual job, a one-page gray job of odd sizes with odd padding, and a job whose
// padding needs several JPEG padding markers.
const JobSpec kJobs[] = {
    Spec(3, 850, 1100, true),
    Spec(1, 33, 35, false, 7),
    Spec(2, 200, 150, true, 200000),
};

int PagesIn(const JobSpec& spec, int page) {
    return page == 0 ? spec.pages : 1;
}

class ContentOpensInTools : public ::testing::Test {
protected:
    veqtest::TempDir m_dir;
};

TEST_F(ContentOpensInTools, PdfHasEveryPageOfTheJobOrTheOnePageAsked) {
    for (const auto& spec : kJobs) {
        for (ContentFormat format : {ContentFormat::PDF, ContentFormat::COMPACT_PDF}) {
            for (int page = 0; page <= spec.pages; ++page) {
                SCOPED_TRACE(zeltosim::ContentFormatName(format) + " page " + std::to_string(page) + " of " + Describe(spec));
                std::string path = WriteRendition(m_dir, spec, format, page, "job.pdf");
                std::string info = Tool({"/usr/bin/pdfinfo", path});
                EXPECT_NE(info.find("Pages:           " + std::to_string(PagesIn(spec, page)) + "\n"), std::string::npos) << info;
                EXPECT_EQ(info.find("Error"), std::string::npos) << info;
            }
        }
    }
}

// A page is its size times the resolution, and each format says that resolution.
struct Scanned {
    const char* what;
    JobSpec spec;
    const char* pageSizeInPoints;  // pdfinfo's "Page size:"
};

JobSpec AtDpi(int width, int height, int dpi, bool color) {
    JobSpec spec = Spec(1, width, height, color);
    spec.dpi = dpi;
    return spec;
}

const Scanned kScans[] = {
    {"letter at 100 dpi", AtDpi(850, 1100, 100, true), "612 x 792 pts"},
    {"letter at 300 dpi", AtDpi(2550, 3300, 300, true), "612 x 792 pts"},
    {"A4 at 300 dpi, gray", AtDpi(2480, 3508, 300, false), "595.2 x 841.92 pts"},
    {"A4 at 600 dpi", AtDpi(4961, 7016, 600, true), "595.32 x 841.92 pts"},
};

TEST_F(ContentOpensInTools, PagesHaveTheirPixelSizeAndResolutionInEveryFormat) {
    for (const auto& scan : kScans) {
        SCOPED_TRACE(scan.what);
        const JobSpec& spec = scan.spec;
        const std::string w = std::to_string(spec.widthPx), h = std::to_string(spec.heightPx), dpi = std::to_string(spec.dpi);

        std::string pdf = WriteRendition(m_dir, spec, ContentFormat::PDF, 0, "page.pdf");
        EXPECT_NE(Tool({"/usr/bin/pdfinfo", pdf}).find(std::string("Page size:       ") + scan.pageSizeInPoints), std::string::npos);
        // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
        std::istringstream images(Tool({"/usr/bin/pdfimages", "-list", pdf}));
        std::string line, page, num, type, width, height, color, comp, bpc, enc, interp, object, id, xPpi, yPpi;
        for (int i = 0; i < 3; ++i) std::getline(images, line);
        std::istringstream(line) >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc >> interp >> object >>
            id >> xPpi >> yPpi;
        EXPECT_EQ(width + "x" + height, w + "x" + h) << line;
        EXPECT_EQ(xPpi + " " + yPpi, dpi + " " + dpi) << line;
        EXPECT_EQ(enc, "image") << "Flate, not stored: " << line;

        std::string tiff = WriteRendition(m_dir, spec, ContentFormat::TIFF, 0, "page.tif");
        std::string info = Tool({"/usr/bin/tiffinfo", tiff});
        EXPECT_NE(info.find("Image Width: " + w + " Image Length: " + h), std::string::npos) << info;
        EXPECT_NE(info.find("Resolution: " + dpi + ", " + dpi + " pixels/inch"), std::string::npos) << info;
        EXPECT_NE(info.find("Compression Scheme: AdobeDeflate"), std::string::npos) << info;

        std::string jpeg = WriteRendition(m_dir, spec, ContentFormat::JPEG, 1, "page.jpg");
        for (const std::string& file : {tiff, jpeg}) {
            EXPECT_EQ(Tool({"/usr/bin/identify", "-ping", "-format", "%w %h %x %y %U\n", file}),
                      w + " " + h + " " + dpi + " " + dpi + " PixelsPerInch\n")
                << file;
        }
    }
}

// Pages are stored compressed: a job's size is that of its compressed pages.
TEST(ContentSizes, AJobIsAsLargeAsItsCompressedPages) {
    JobSpec job = AtDpi(2550, 3300, 300, true);
    job.pages = 5;
    const uint64_t rawPage = uint64_t(job.widthPx) * job.heightPx * 3;
    for (ContentFormat format : {ContentFormat::PDF, ContentFormat::TIFF, ContentFormat::XPS}) {
        SCOPED_TRACE(zeltosim::ContentFormatName(format));
        uint64_t pages = 0;
        for (int page = 1; page <= job.pages; ++page) pages += JobDocument::Make(job, format, page)->Size();
        const uint64_t whole = JobDocument::Make(job, format, 0)->Size();
        EXPECT_LT(whole, rawPage / 20) << "five pages in less than a twentieth of one raw page";
        EXPECT_LE(whole, pages) << "the pages and one document's structure";
        EXPECT_GT(whole, pages - 4096 * job.pages);
    }
}

TEST_F(ContentOpensInTools, TiffHasADirectoryPerPage) {
    for (const auto& spec : kJobs) {
        for (int page = 0; page <= spec.pages; ++page) {
            SCOPED_TRACE("page " + std::to_string(page) + " of " + Describe(spec));
            std::string path = WriteRendition(m_dir, spec, ContentFormat::TIFF, page, "job.tif");
            std::string info = Tool({"/usr/bin/tiffinfo", path});
            EXPECT_EQ(CountOf(info, "TIFF Directory at offset"), PagesIn(spec, page)) << info;
            EXPECT_EQ(info.find("Warning"), std::string::npos) << info;
            EXPECT_EQ(info.find("Error"), std::string::npos) << info;

            std::string frame = "TIFF " + std::to_string(spec.widthPx) + "x" + std::to_string(spec.heightPx) + "\n";
            std::string frames = Tool({"/usr/bin/identify", "-format", "%m %wx%h\n", path});
            EXPECT_EQ(CountOf(frames, frame), PagesIn(spec, page)) << frames;
        }
    }
}

TEST_F(ContentOpensInTools, JpegIsThePageImage) {
    for (const auto& spec : kJobs) {
        for (int page = spec.pages == 1 ? 0 : 1; page <= spec.pages; ++page) {
            SCOPED_TRACE("page " + std::to_string(page) + " of " + Describe(spec));
            std::string path = WriteRendition(m_dir, spec, ContentFormat::JPEG, page, "page.jpg");
            std::string expected = "JPEG " + std::to_string(spec.widthPx) + "x" + std::to_string(spec.heightPx) + " " +
                                   (spec.color ? "sRGB" : "Gray") + "\n";
            EXPECT_EQ(Tool({"/usr/bin/identify", "-format", "%m %wx%h %[colorspace]\n", path}), expected);
        }
    }
}

TEST_F(ContentOpensInTools, XpsIsASoundPackageWithAFixedPagePerPage) {
    for (const auto& spec : kJobs) {
        for (ContentFormat format : {ContentFormat::XPS, ContentFormat::COMPACT_XPS}) {
            const bool compact = format == ContentFormat::COMPACT_XPS;
            const std::string extension = "tif";
            for (int page = 0; page <= spec.pages; ++page) {
                SCOPED_TRACE(zeltosim::ContentFormatName(format) + " page " + std::to_string(page) + " of " + Describe(spec));
                std::string path = WriteRendition(m_dir, spec, format, page, "job.xps");
                EXPECT_NE(Tool({"/usr/bin/unzip", "-t", path}).find("No errors detected"), std::string::npos);

                std::string expected = "[Content_Types].xml\n_rels/.rels\nFixedDocumentSequence.fdseq\nDocuments/1/FixedDocument.fdoc\n";
                for (int i = 1; i <= PagesIn(spec, page); ++i) {
                    std::string n = std::to_string(i);
                    expected += "Documents/1/Pages/" + n + ".fpage\nDocuments/1/Pages/_rels/" + n + ".fpage.rels\n" +
                                "Documents/1/Resources/Images/" + n + "." + extension + "\n";
                }
                EXPECT_EQ(Tool({"/usr/bin/unzip", "-Z1", path}), expected);

                veqtest::TempDir parts;
                Tool({"/usr/bin/unzip", "-q", "-o", path, "-d", parts.Path()});
                std::string document = veqtest::ReadFile(parts / "Documents/1/FixedDocument.fdoc");
                EXPECT_EQ(CountOf(document, "<PageContent "), PagesIn(spec, page)) << document;
                std::string image = parts / ("Documents/1/Resources/Images/1." + extension);
                const int width = compact ? (spec.widthPx + 1) / 2 : spec.widthPx;
                const int height = compact ? (spec.heightPx + 1) / 2 : spec.heightPx;
                EXPECT_EQ(Tool({"/usr/bin/identify", "-format", "%m %wx%h\n", image}),
                          "TIFF " + std::to_string(width) + "x" + std::to_string(height) + "\n");
            }
        }
    }
}

TEST(RawContent, IsThePixelsFollowedByThePadding) {
    for (const auto& spec : kJobs) {
        const uint64_t expected = uint64_t(spec.widthPx) * spec.heightPx * (spec.color ? 3 : 1) + spec.paddingBytesPerPage;
        for (int page = spec.pages == 1 ? 0 : 1; page <= spec.pages; ++page) {
            auto document = JobDocument::Make(spec, ContentFormat::RAW, page);
            ASSERT_TRUE(document) << "page " << page << " of " << Describe(spec);
            EXPECT_EQ(document->Size(), expected) << "page " << page << " of " << Describe(spec);
        }
    }
}

// The cross-reference table's offsets must point at their objects: readers that
// find otherwise rebuild the table or give up.
TEST(PdfContent, CrossReferencePointsAtEveryObject) {
    for (ContentFormat format : {ContentFormat::PDF, ContentFormat::COMPACT_PDF}) {
        for (const auto& spec : kJobs) {
            SCOPED_TRACE(zeltosim::ContentFormatName(format) + " " + Describe(spec));
            const std::string pdf = Bytes(spec, format, 0);
            size_t startxref = pdf.rfind("startxref\n");
            ASSERT_NE(startxref, std::string::npos);
            size_t xref = std::strtoull(pdf.c_str() + startxref + 10, nullptr, 10);
            ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0);
            const char* at = pdf.c_str() + xref + 5;
            char* end = nullptr;
            EXPECT_EQ(std::strtoul(at, &end, 10), 0u);
            unsigned long objects = std::strtoul(end, &end, 10);
            EXPECT_EQ(objects, 3u + (spec.paddingBytesPerPage ? 4u : 3u) * spec.pages);
            const char* entries = end + 1;
            for (unsigned long object = 1; object < objects; ++object) {
                const char* entry = entries + 20 * object;
                ASSERT_EQ(std::string(entry + 10, 10), " 00000 n \n") << object;
                size_t offset = std::strtoull(std::string(entry, 10).c_str(), nullptr, 10);
                std::string header = std::to_string(object) + " 0 obj\n";
                EXPECT_EQ(pdf.compare(offset, header.size(), header), 0) << "object " << object << " at " << offset;
            }
            EXPECT_NE(pdf.find("trailer\n<< /Size " + std::to_string(objects) + " /Root 1 0 R >>"), std::string::npos);
        }
    }
}

}  // namespace
