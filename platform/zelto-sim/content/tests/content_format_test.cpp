#include <gtest/gtest.h>

#include "JobContent.h"

namespace {

using zeltosim::ContentFormat;

TEST(ContentFormatNames, ParseAndPrintTheSystemTexts) {
    struct Case {
        const char* text;
        ContentFormat format;
        int number;
    };
    const Case cases[] = {
        {"PDF", ContentFormat::PDF, 0},          {"TIFF", ContentFormat::TIFF, 1},
        {"JPEG", ContentFormat::JPEG, 2},        {"XPS", ContentFormat::XPS, 3},
        {"RAW", ContentFormat::RAW, 5},          {"COMPACT_PDF", ContentFormat::COMPACT_PDF, 6},
        {"COMPACT_XPS", ContentFormat::COMPACT_XPS, 7},
    };
    for (const auto& c : cases) {
        ContentFormat parsed = ContentFormat::RAW;
        EXPECT_TRUE(zeltosim::ParseContentFormat(c.text, parsed)) << c.text;
        EXPECT_EQ(parsed, c.format) << c.text;
        EXPECT_EQ(static_cast<int>(c.format), c.number) << c.text;
        EXPECT_EQ(zeltosim::ContentFormatName(c.format), c.text);
    }
}

TEST(ContentFormatNames, RefuseOtherTextsAndLeaveTheResultAlone) {
    for (const char* text : {"BMP", "pdf", "Pdf", "", " PDF", "PDF ", "0", "COMPACT", "COMPACT-PDF", "JPG", "TIF"}) {
        ContentFormat parsed = ContentFormat::XPS;
        EXPECT_FALSE(zeltosim::ParseContentFormat(text, parsed)) << '"' << text << '"';
        EXPECT_EQ(parsed, ContentFormat::XPS) << '"' << text << '"';
    }
}

TEST(ContentFormatNames, PrintNothingForBmpOrUnknownNumbers) {
    for (int number : {4, 8, -1, 100}) {
        EXPECT_EQ(zeltosim::ContentFormatName(static_cast<ContentFormat>(number)), "") << number;
    }
}

}  // namespace
