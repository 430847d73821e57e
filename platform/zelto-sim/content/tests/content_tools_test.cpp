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

TEST_F(ContentOpensInTools, PdfPageIsTheRasterAtOneHundredDotsPerInch) {
    std::string path = WriteRendition(m_dir, Spec(1, 850, 1100, true), ContentFormat::PDF, 1, "page.pdf");
    EXPECT_NE(Tool({"/usr/bin/pdfinfo", path}).find("Page size:       612 x 792 pts"), std::string::npos);
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
            const std::string extension = compact ? "jpg" : "tif";
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
                EXPECT_EQ(Tool({"/usr/bin/identify", "-format", "%m %wx%h\n", image}),
                          std::string(compact ? "JPEG " : "TIFF ") + std::to_string(spec.widthPx) + "x" +
                              std::to_string(spec.heightPx) + "\n");
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
