// Bitmaps of the kit: composition, text bitmaps, decoding, the gradient, the
// fonts and the application path.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/mstream.h>
#include <wx/wfstream.h>

#include <wx/frame.h>

#include "KitBitmaps.h"
#include "KitFonts.h"
#include "TestSupport.h"
#include "WxTestApp.h"

namespace {

using VEQ::QMVBitmapFactory;

struct Rgba {
    int r, g, b, a;
};

wxBitmap Solid(int width, int height, Rgba colour) {
    wxImage image(width, height);
    image.InitAlpha();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.SetRGB(x, y, colour.r, colour.g, colour.b);
            image.SetAlpha(x, y, colour.a);
        }
    }
    return wxBitmap(image);
}

class KitBitmaps : public testing::Test {
protected:
    void SetUp() override { veqfake::EnsureWxApp(); }
};

struct MergeRow {
    const char* what;
    Rgba base, overlay;
    Rgba result;
};

TEST_F(KitBitmaps, MergeBitmapsCompositesPerPixel) {
    const MergeRow rows[] = {
        {"opaque over opaque", {0, 0, 255, 255}, {255, 0, 0, 255}, {255, 0, 0, 255}},
        {"transparent over opaque", {0, 0, 255, 255}, {255, 0, 0, 0}, {0, 0, 255, 255}},
        {"half over opaque", {0, 0, 200, 255}, {200, 0, 0, 128}, {100, 0, 100, 255}},
        {"half over half", {0, 0, 200, 128}, {200, 0, 0, 128}, {134, 0, 66, 192}},
        {"nothing over nothing", {10, 20, 30, 0}, {40, 50, 60, 0}, {0, 0, 0, 0}},
    };
    for (const MergeRow& row : rows) {
        const wxImage merged =
            QMVBitmapFactory::MergeBitmaps(Solid(2, 2, row.base), Solid(2, 2, row.overlay)).ConvertToImage();
        ASSERT_TRUE(merged.HasAlpha()) << row.what;
        EXPECT_EQ(merged.GetRed(1, 1), row.result.r) << row.what;
        EXPECT_EQ(merged.GetGreen(1, 1), row.result.g) << row.what;
        EXPECT_EQ(merged.GetBlue(1, 1), row.result.b) << row.what;
        EXPECT_EQ(merged.GetAlpha(1, 1), row.result.a) << row.what;
    }
}

TEST_F(KitBitmaps, MergeBitmapsClipsTheOverlayToTheBase) {
    const wxBitmap base = Solid(4, 4, {0, 0, 255, 255});
    const wxBitmap overlay = Solid(3, 3, {255, 0, 0, 255});
    struct Row {
        wxPoint pos;
        wxPoint red, blue;
    } rows[] = {
        {wxPoint(2, 2), {3, 3}, {1, 1}},
        {wxPoint(-2, -2), {0, 0}, {1, 1}},
        {wxDefaultPosition, {2, 2}, {3, 3}},
    };
    for (const Row& row : rows) {
        const wxImage merged = QMVBitmapFactory::MergeBitmaps(base, overlay, row.pos).ConvertToImage();
        EXPECT_EQ(merged.GetSize(), wxSize(4, 4));
        EXPECT_EQ(merged.GetRed(row.red.x, row.red.y), 255) << row.pos.x;
        EXPECT_EQ(merged.GetBlue(row.blue.x, row.blue.y), 255) << row.pos.x;
    }
    const wxImage copy = QMVBitmapFactory::MergeBitmaps(base, wxNullBitmap).ConvertToImage();
    EXPECT_EQ(copy.GetBlue(0, 0), 255);
}

// Leftmost and rightmost columns where the bitmap has any ink.
std::pair<int, int> InkColumns(const wxBitmap& bitmap) {
    const wxImage image = bitmap.ConvertToImage();
    int first = image.GetWidth(), last = -1;
    for (int x = 0; x < image.GetWidth(); ++x) {
        for (int y = 0; y < image.GetHeight(); ++y) {
            if (image.GetAlpha(x, y) > 100) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

TEST_F(KitBitmaps, TextBitmapIsColouredTextOnTransparency) {
    for (const wxColour& colour : {wxColour(20, 40, 200), wxColour(250, 250, 120)}) {
        const wxBitmap bitmap = QMVBitmapFactory::CreateTextBitmap(wxDefaultSize, wxDefaultPosition, *wxNORMAL_FONT,
                                                                   wxString("Veqora\nabout"), colour, 0, 1);
        ASSERT_TRUE(bitmap.IsOk());
        const wxImage image = bitmap.ConvertToImage();
        ASSERT_TRUE(image.HasAlpha());
        EXPECT_EQ(image.GetRed(0, 0), colour.Red());
        EXPECT_EQ(image.GetAlpha(0, 0), 0);
        const auto ink = InkColumns(bitmap);
        EXPECT_LT(ink.first, ink.second);
    }
}

TEST_F(KitBitmaps, TextBitmapSplitsAtLineFeedsWithoutATrailingLine) {
    auto height = [](const wxString& text) {
        return QMVBitmapFactory::CreateTextBitmap(wxDefaultSize, wxDefaultPosition, *wxNORMAL_FONT, text, *wxBLACK,
                                                  0, 2)
            .GetHeight();
    };
    const int one = height("a");
    EXPECT_EQ(height("a\n"), one);
    EXPECT_EQ(height("a\nb"), 2 * one);
    EXPECT_EQ(height("a\n\nb"), 3 * one);  // an empty line counts as high as "i"
    EXPECT_FALSE(QMVBitmapFactory::CreateTextBitmap(wxDefaultSize, wxDefaultPosition, *wxNORMAL_FONT, wxString(),
                                                    *wxBLACK, 0, 0)
                     .IsOk());
}

TEST_F(KitBitmaps, TextBitmapAlignsWheneverTheBitIsSet) {
    const wxSize size(200, 40);
    struct Row {
        int align;
        const char* where;
    } rows[] = {
        {0, "left"},
        {wxALIGN_CENTRE_HORIZONTAL, "centre"},
        {wxALIGN_CENTRE_HORIZONTAL | wxALIGN_CENTRE_VERTICAL, "centre"},
        {wxALIGN_CENTRE_HORIZONTAL | wxALIGN_BOTTOM, "centre"},
        {wxALIGN_RIGHT, "right"},
        {wxALIGN_RIGHT | wxALIGN_CENTRE_VERTICAL, "right"},
    };
    for (const Row& row : rows) {
        const wxBitmap bitmap = QMVBitmapFactory::CreateTextBitmap(size, wxDefaultPosition, *wxNORMAL_FONT,
                                                                   wxString("Mailbox"), *wxBLACK, row.align, 0);
        ASSERT_EQ(bitmap.GetSize(), size);
        const auto ink = InkColumns(bitmap);
        ASSERT_GE(ink.second, ink.first) << row.align;
        const int middle = (ink.first + ink.second) / 2;
        if (std::string(row.where) == "left") {
            EXPECT_LT(ink.first, 5) << row.align;
        } else if (std::string(row.where) == "centre") {
            EXPECT_NEAR(middle, 100, 6) << row.align;
        } else {
            EXPECT_GT(ink.second, 190) << row.align;
            EXPECT_LE(ink.second, 200) << row.align;
        }
    }
}

TEST_F(KitBitmaps, TextBitmapShrinksTheFontToTheGivenWidth) {
    const wxFont big(20, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    const wxString text = "A rather long line of text";
    const wxBitmap wide = QMVBitmapFactory::CreateTextBitmap(wxDefaultSize, wxDefaultPosition, big, text, *wxBLACK, 0, 0);
    const wxBitmap fitted =
        QMVBitmapFactory::CreateTextBitmap(wxSize(wide.GetWidth() / 2, -1), wxDefaultPosition, big, text, *wxBLACK, 0, 0);
    EXPECT_EQ(fitted.GetWidth(), wide.GetWidth() / 2);
    EXPECT_LT(fitted.GetHeight(), wide.GetHeight());
    EXPECT_LT(InkColumns(fitted).second, wide.GetWidth() / 2);
}

TEST_F(KitBitmaps, BitmapFromMemoryDecodesPicturesOnly) {
    wxImage picture(5, 3);
    picture.SetRGB(wxRect(0, 0, 5, 3), 10, 200, 30);
    wxMemoryOutputStream out;
    ASSERT_TRUE(picture.SaveFile(out, wxBITMAP_TYPE_PNG));
    std::vector<unsigned char> bytes(out.GetSize());
    out.CopyTo(bytes.data(), bytes.size());
    const wxBitmap decoded = VEQ::CUGetBitmapFromMemory(bytes.data(), static_cast<int>(bytes.size()));
    ASSERT_TRUE(decoded.IsOk());
    EXPECT_EQ(decoded.GetSize(), wxSize(5, 3));
    const unsigned char junk[] = {1, 2, 3, 4};
    EXPECT_FALSE(VEQ::CUGetBitmapFromMemory(junk, sizeof(junk)).IsOk());
    EXPECT_FALSE(VEQ::CUGetBitmapFromMemory(nullptr, 10).IsOk());
}

TEST_F(KitBitmaps, FullScreenGradientIsMadeOnceDarkAtTheTop) {
    const wxBitmap& gradient = VEQ::GetFullScreenGradient();
    ASSERT_TRUE(gradient.IsOk());
    EXPECT_EQ(gradient.GetWidth(), gradient.GetHeight());
    EXPECT_EQ(&VEQ::GetFullScreenGradient(), &gradient);
    const wxImage image = gradient.ConvertToImage();
    EXPECT_EQ(image.GetRed(0, 0), 45);
    EXPECT_EQ(image.GetRed(0, image.GetHeight() - 1), 255);
}

struct FontRow {
    const wxFont* font;
    int points;
    int weight;
};

TEST_F(KitBitmaps, KitFontsHaveTheirSizesAndWeights) {
    const FontRow rows[] = {
        {&VEQ::QMVFont_Default, 11, 400}, {&VEQ::QMVFont_DefaultLight, 11, 300}, {&VEQ::QMVFont_DefaultBold, 11, 700},
        {&VEQ::QMVFont_Small, 9, 400},    {&VEQ::QMVFont_SmallLight, 9, 300},    {&VEQ::QMVFont_SmallBold, 9, 700},
        {&VEQ::QMVFont_Title, 13, 400},   {&VEQ::QMVFont_TitleLight, 13, 300},   {&VEQ::QMVFont_TitleBold, 13, 700},
    };
    for (const FontRow& row : rows) {
        ASSERT_TRUE(row.font->IsOk());
        EXPECT_EQ(row.font->GetPointSize(), row.points);
        EXPECT_EQ(row.font->GetNumericWeight(), row.weight);
        EXPECT_EQ(row.font->GetStyle(), wxFONTSTYLE_NORMAL);
    }
    EXPECT_EQ(VEQ::QMVFont_TitleColor, *wxBLACK);
}

TEST(KitFonts, SystemFontReplacesTheKitFaceOutsideItsLanguages) {
    struct Row {
        const char* language;
        bool keepsKitFace;
    } rows[] = {
        {"de_DE.UTF-8", true}, {"en_GB.UTF-8", true}, {"pt_BR.UTF-8", true}, {"es_MX.UTF-8", true},
        {"ja_JP.UTF-8", false}, {"pt_PT.UTF-8", false}, {"ru_RU.UTF-8", false},
    };
    for (const Row& row : rows) {
        const veqtest::ChildResult child = veqtest::RunInChild([&row]() {
            setenv("LANG", row.language, 1);
            setenv("LC_ALL", row.language, 1);
            veqfake::EnsureWxApp();
            VEQ::UseSystemFontSettings();
            const bool kept = VEQ::QMVFont_Title.GetFaceName() == "Lucida Grande";
            const bool sized = VEQ::QMVFont_Title.GetPointSize() == 13 && VEQ::QMVFont_Small.GetPointSize() == 9;
            const bool normal = VEQ::QMVFont_TitleBold.GetWeight() == (kept ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
            return (kept ? 1 : 0) + (sized && normal ? 2 : 0);
        });
        EXPECT_TRUE(child.exited) << row.language << child.output;
        EXPECT_EQ(child.status, (row.keepsKitFace ? 1 : 0) + 2) << row.language << child.output;
    }
}

TEST_F(KitBitmaps, FilesLoadFromTheFolderGivenAndButtonsTakeTheBitmapSize) {
    veqtest::TempDir folder;
    wxImage picture(7, 4);
    ASSERT_TRUE(picture.SaveFile(wxString::FromUTF8(folder / "p.png"), wxBITMAP_TYPE_PNG));
    EXPECT_EQ(VEQ::CULoadBitmapFile("p.png", wxString::FromUTF8(folder.Path()), wxBITMAP_TYPE_PNG).GetSize(),
              wxSize(7, 4));
    EXPECT_EQ(VEQ::CULoadBitmapFile(wxString::FromUTF8(folder / "p.png"), "", wxBITMAP_TYPE_PNG).GetSize(),
              wxSize(7, 4));
    wxFrame frame(nullptr, wxID_ANY, "kit");
    frame.SetBackgroundColour(wxColour(1, 2, 3));
    wxButton* button = VEQ::CreateBitmapButton(&frame, 5, "", Solid(40, 24, {9, 9, 9, 255}), wxNullBitmap);
    EXPECT_EQ(button->GetSize(), wxSize(40, 24));
    EXPECT_EQ(button->GetBackgroundColour(), wxColour(1, 2, 3));
    EXPECT_TRUE(button->GetBitmap().IsOk());
}

TEST_F(KitBitmaps, ApplicationPathDropsThreeLevelsButNeverClimbsAboveTheRoot) {
    struct Row {
        const char* program;
        const char* path;
    } rows[] = {
        {"/Applications/Zelto/Veqora.app/Contents/MacOS/Veqora", "/Applications/Zelto"},
        {"/opt/a/b/c/prog", "/opt"},
        {"/a/b/prog", "/"},
        {"/prog", "/"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(VEQ::FolderAboveProgram(row.program), row.path) << row.program;
    }
    EXPECT_EQ(VEQ::GetApplicationPath(), VEQ::FolderAboveProgram(wxTheApp->argv[0]));
}

}  // namespace
