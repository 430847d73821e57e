// The images compiled into libVEQServices: each one really is the format and
// size its name promises, the service hands it out by file name in three
// forms, caches what it made and gives placeholders for unknown names.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/gifdecod.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

#include "ResourceService.h"
#include "TestSupport.h"

namespace {

// The toolkit with its display and every image handler, as the programs set it up.
class ToolkitEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static char name[] = "resources_test";
        static char* argv[] = {name, nullptr};
        static int argc = 1;
        wxApp::SetInstance(new wxApp);
        ASSERT_TRUE(wxEntryStart(argc, argv));
        wxInitAllImageHandlers();
    }
    void TearDown() override { wxEntryCleanup(); }
};
const auto* const g_toolkit = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

struct EmbeddedImage {
    const char* name;
    wxBitmapType type;
    int width;
    int height;
};

const std::vector<EmbeddedImage> kImages = {
    {"zelto_scan_app.png", wxBITMAP_TYPE_PNG, 48, 48},
    {"discovery_search.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"help.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"i_add.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"i_chevron_down_16.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"i_chevron_down_16_over.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"i_chevron_right_16.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"i_chevron_right_16_over.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"i_remove.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"icon_search.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"loader_16x16.gif", wxBITMAP_TYPE_GIF, 16, 16},
    {"saveas.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"saveas_disabled.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"saveas_over.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"delete.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"delete_disabled.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"delete_over.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"refresh.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"refresh_disabled.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"refresh_over.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"veq_add_zelto_over.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"veq_add_zelto.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"veq_remove_zelto_disabled.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"veq_remove_zelto_over.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"veq_remove_zelto.png", wxBITMAP_TYPE_PNG, 16, 16},
    {"nosupport_warning_big.png", wxBITMAP_TYPE_PNG, 48, 42},
};

// The committed image file that the build embedded.
std::string SourceImage(const std::string& name) {
    std::string folder = __FILE__;
    folder.erase(folder.rfind('/'));  // tests/gui
    return veqtest::ReadFile(folder + "/../../images/" + name);
}

// Every byte a stream gives from its start.
std::string ReadAll(wxInputStream& stream) {
    stream.SeekI(0);
    std::string bytes;
    char buffer[1024];
    while (stream.Read(buffer, sizeof buffer).LastRead() > 0) bytes.append(buffer, stream.LastRead());
    stream.SeekI(0);
    return bytes;
}

bool IsBlack(const wxImage& image) {
    const unsigned char* data = image.GetData();
    const size_t size = static_cast<size_t>(image.GetWidth()) * image.GetHeight() * 3;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] != 0) return false;
    }
    return true;
}

bool SamePixels(const wxImage& a, const wxImage& b) {
    if (a.GetSize() != b.GetSize() || a.HasAlpha() != b.HasAlpha()) return false;
    const size_t pixels = static_cast<size_t>(a.GetWidth()) * a.GetHeight();
    return std::memcmp(a.GetData(), b.GetData(), pixels * 3) == 0 &&
           (!a.HasAlpha() || std::memcmp(a.GetAlpha(), b.GetAlpha(), pixels) == 0);
}

ResourceService& Service() { return ResourceService::Get(); }

}  // namespace

TEST(EmbeddedImages, EveryImageIsItsFormatAtItsSizeInEveryForm) {
    for (const EmbeddedImage& expected : kImages) {
        SCOPED_TRACE(expected.name);
        wxMemoryInputStream* stream = Service().GetResourceAsStream(expected.name);
        ASSERT_NE(stream, nullptr);
        const std::string bytes = ReadAll(*stream);
        EXPECT_EQ(bytes, SourceImage(expected.name));
        EXPECT_EQ(stream->GetLength(), static_cast<wxFileOffset>(bytes.size()));

        wxImageHandler* handler = wxImage::FindHandler(expected.type);
        ASSERT_NE(handler, nullptr);
        EXPECT_TRUE(handler->CanRead(*stream));
        wxImage decoded;
        EXPECT_TRUE(decoded.LoadFile(*stream, expected.type));
        EXPECT_EQ(decoded.GetSize(), wxSize(expected.width, expected.height));

        const wxImage& image = Service().GetImageResource(expected.name);
        ASSERT_TRUE(image.IsOk());
        EXPECT_EQ(image.GetSize(), wxSize(expected.width, expected.height));
        EXPECT_TRUE(SamePixels(image, decoded));
        const wxBitmap& bitmap = Service().GetBitmapResource(expected.name);
        ASSERT_TRUE(bitmap.IsOk());
        EXPECT_EQ(bitmap.GetSize(), wxSize(expected.width, expected.height));
    }
}

TEST(EmbeddedImages, PngsAreRgbaWithEightBitsAndNotInterlaced) {
    for (const EmbeddedImage& expected : kImages) {
        if (expected.type != wxBITMAP_TYPE_PNG) continue;
        SCOPED_TRACE(expected.name);
        const std::string bytes = SourceImage(expected.name);
        ASSERT_GT(bytes.size(), 29u);
        EXPECT_EQ(bytes.substr(12, 4), "IHDR");
        EXPECT_EQ(bytes[24], 8);   // bits per channel
        EXPECT_EQ(bytes[25], 6);   // colour type: RGB with alpha
        EXPECT_EQ(bytes[28], 0);   // no interlacing
        EXPECT_TRUE(Service().GetImageResource(expected.name).HasAlpha());
    }
}

TEST(EmbeddedImages, LoaderIsAnEndlessAnimationOfEightFrames) {
    wxMemoryInputStream* stream = Service().GetResourceAsStream("loader_16x16.gif");
    ASSERT_NE(stream, nullptr);
    const std::string bytes = ReadAll(*stream);
    EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
    // Application extension NETSCAPE2.0 with a loop count of 0: for ever.
    EXPECT_NE(bytes.find(std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19)), std::string::npos);

    wxGIFDecoder decoder;
    ASSERT_EQ(decoder.LoadGIF(*stream), wxGIF_OK);
    ASSERT_EQ(decoder.GetFrameCount(), 8u);
    for (unsigned int frame = 0; frame < 8; ++frame) {
        SCOPED_TRACE(frame);
        EXPECT_EQ(decoder.GetFrameSize(frame), wxSize(16, 16));
        EXPECT_EQ(decoder.GetDelay(frame), frame == 0 ? 0 : 100);
        EXPECT_EQ(decoder.GetTransparentColourIndex(frame), 0);
    }

    // As an image or a bitmap only the first frame is given.
    stream->SeekI(0);
    wxImage first;
    ASSERT_TRUE(first.LoadFile(*stream, wxBITMAP_TYPE_GIF, 0));
    EXPECT_TRUE(SamePixels(Service().GetImageResource("loader_16x16.gif"), first));
    EXPECT_EQ(Service().GetBitmapResource("loader_16x16.gif").GetSize(), wxSize(16, 16));
}

TEST(ResourceService, NameMatchesWhateverTheCaseOrFolderButIsCachedAsGiven) {
    const wxImage& plain = Service().GetImageResource("help.png");
    ASSERT_TRUE(plain.IsOk());
    for (const char* name : {"Help.PNG", "icons/help.png", "/abs/path/HELP.png"}) {
        SCOPED_TRACE(name);
        const wxImage& other = Service().GetImageResource(name);
        EXPECT_NE(&other, &plain);
        EXPECT_TRUE(SamePixels(other, plain));
        EXPECT_TRUE(Service().GetBitmapResource(name).IsOk());
        wxMemoryInputStream* stream = Service().GetResourceAsStream(name);
        ASSERT_NE(stream, nullptr);
        EXPECT_NE(stream, Service().GetResourceAsStream("help.png"));
        EXPECT_EQ(ReadAll(*stream), SourceImage("help.png"));
    }
}

TEST(ResourceService, NamesWithoutFileGivePlaceholders) {
    for (const char* name : {"help", "help.", "help.png.bak", "", "invalid", "no_such_image.png",
                             ".png", "help_png", "icons/", "zelto_scan_app.jpg"}) {
        SCOPED_TRACE(std::string("'") + name + "'");
        const wxImage& image = Service().GetImageResource(name);
        ASSERT_TRUE(image.IsOk());
        EXPECT_EQ(image.GetSize(), wxSize(16, 16));
        EXPECT_FALSE(image.HasAlpha());
        EXPECT_TRUE(IsBlack(image));
        const wxBitmap& bitmap = Service().GetBitmapResource(name);
        ASSERT_TRUE(bitmap.IsOk());
        EXPECT_EQ(bitmap.GetSize(), wxSize(16, 16));
        EXPECT_EQ(Service().GetResourceAsStream(name), nullptr);
    }
}

TEST(ResourceService, InvalidIsTheWhitePlaceholderButNoStream) {
    const wxImage& image = Service().GetImageResource("INVALID");
    ASSERT_TRUE(image.IsOk());
    EXPECT_EQ(image.GetSize(), wxSize(32, 32));
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(image.GetRed(x, y) & image.GetGreen(x, y) & image.GetBlue(x, y), 255) << x << "," << y;
        }
    }
    EXPECT_EQ(Service().GetBitmapResource("INVALID").GetSize(), wxSize(32, 32));
    EXPECT_EQ(Service().GetResourceAsStream("INVALID"), nullptr);
}

TEST(ResourceService, RepeatedRequestsGiveTheSameObject) {
    for (const char* name : {"refresh.png", "no_such_image.png"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(&Service().GetImageResource(name), &Service().GetImageResource(name));
        EXPECT_EQ(&Service().GetBitmapResource(name), &Service().GetBitmapResource(name));
        EXPECT_EQ(Service().GetResourceAsStream(name), Service().GetResourceAsStream(name));
    }
    // References stay valid while the caches grow.
    const wxImage* kept = &Service().GetImageResource("delete.png");
    for (int i = 0; i < 200; ++i) Service().GetImageResource(wxString::Format("filler%d.png", i));
    EXPECT_EQ(kept, &Service().GetImageResource("delete.png"));
    EXPECT_EQ(kept->GetSize(), wxSize(16, 16));
}

TEST(ResourceService, SharedStreamKeepsItsReadPosition) {
    wxMemoryInputStream* first = Service().GetResourceAsStream("saveas.png");
    ASSERT_NE(first, nullptr);
    char head[8];
    first->Read(head, sizeof head);
    EXPECT_EQ(std::string(head, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    wxMemoryInputStream* second = Service().GetResourceAsStream("saveas.png");
    EXPECT_EQ(second->TellI(), 8);
}

TEST(ResourceService, LoadingStepsNeverReplaceAnEntry) {
    const wxImage& image = Service().GetImageResource("i_add.png");
    const wxBitmap& bitmap = Service().GetBitmapResource("i_add.png");
    Service().LoadImageResource("i_add.png");
    Service().LoadBitmapResource("i_add.png");
    EXPECT_EQ(&image, &Service().GetImageResource("i_add.png"));
    EXPECT_EQ(&bitmap, &Service().GetBitmapResource("i_add.png"));
    EXPECT_TRUE(image.IsOk());
}

namespace {

class CountingLog : public wxLog {
public:
    int messages = 0;

protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override { ++messages; }
};

int g_assertions = 0;
void CountAssertion(const wxString&, int, const wxString&, const wxString&, const wxString&) {
    ++g_assertions;
}

}  // namespace

// Without decoders the files give invalid images and bitmaps, quietly.
TEST(ResourceService, WithoutImageHandlersGivesInvalidPicturesAndSaysNothing) {
    Service();  // made with the display in order, before the fork
    const veqtest::ChildResult result = veqtest::RunInChild([] {
        wxImage::CleanUpHandlers();
        wxSetAssertHandler(CountAssertion);
        auto* log = new CountingLog;
        delete wxLog::SetActiveTarget(log);
        const bool imageOk = Service().GetImageResource("help.png").IsOk();
        const bool bitmapOk = Service().GetBitmapResource("help.png").IsOk();
        const bool streamFound = Service().GetResourceAsStream("help.png") != nullptr;
        wxLog::FlushActive();
        if (imageOk || bitmapOk || !streamFound) return 1;
        if (log->messages != 0) return 2;
        return g_assertions == 0 ? 0 : 3;
    });
    EXPECT_TRUE(result.exited) << result.output;
    EXPECT_EQ(result.status, 0) << result.output;
}
