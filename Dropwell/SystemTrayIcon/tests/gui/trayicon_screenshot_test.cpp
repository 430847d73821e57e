// A picture of the agent's open menu under its icon. The virtual display has
// no status area, so a strip at the top of the screen stands in for it, with
// the status image where the desktop would show it; the menu is the agent's
// own, opened by a left click there. The picture is checked and, when
// VEQ_SCREENSHOT_DIR names a folder, saved there as "tray-menu.png".
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <wx/dcclient.h>
#include <wx/frame.h>

#include "StatusImage.h"
#include "TrayGuiSupport.h"
#include "TrayTestSupport.h"

// Last: Xlib defines names (Status among them) that the store's records use.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

const int kStripHeight = 28;
const int kStripWidth = 760;
const int kDesktopHeight = 230;
const int kIconSize = 20;
const int kIconLeft = kStripWidth - 200;

// The status area stand-in: a light strip with the status image and a clock
// over a plain desktop.
class StatusStrip : public wxFrame {
public:
    StatusStrip()
        : wxFrame(nullptr, wxID_ANY, "status area", wxPoint(0, 0), wxSize(kStripWidth, kDesktopHeight),
                  wxBORDER_NONE | wxFRAME_NO_TASKBAR) {
        SetBackgroundStyle(wxBG_STYLE_PAINT);
        Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
            wxPaintDC dc(this);
            dc.SetBackground(wxBrush(wxColour(92, 112, 128)));
            dc.Clear();
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.SetBrush(wxBrush(wxColour(236, 236, 236)));
            dc.DrawRectangle(0, 0, kStripWidth, kStripHeight);
            const wxImage image = LoadStatusImage().ConvertToImage().Scale(kIconSize, kIconSize, wxIMAGE_QUALITY_HIGH);
            dc.DrawBitmap(wxBitmap(image), kIconLeft, (kStripHeight - kIconSize) / 2, true);
            dc.SetTextForeground(wxColour(40, 40, 40));
            dc.DrawText("Fri 09:41", kStripWidth - 66, (kStripHeight - dc.GetCharHeight()) / 2);
        });
    }
};

// The part of the screen at (x, y), as the display shows it, popup menus included.
wxImage Capture(int x, int y, int width, int height) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return wxImage();
    }
    XImage* shot = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), AllPlanes, ZPixmap);
    wxImage image;
    if (shot) {
        image.Create(width, height);
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) {
                const unsigned long pixel = XGetPixel(shot, column, row);
                image.SetRGB(column, row, (pixel & shot->red_mask) >> 16, (pixel & shot->green_mask) >> 8,
                             pixel & shot->blue_mask);
            }
        }
        XDestroyImage(shot);
    }
    XCloseDisplay(display);
    return image;
}

// How many pixels of the image are close to the colour.
int PixelsNear(const wxImage& image, const wxColour& colour) {
    int count = 0;
    for (int y = 0; y < image.GetHeight(); ++y) {
        for (int x = 0; x < image.GetWidth(); ++x) {
            if (std::abs(image.GetRed(x, y) - colour.Red()) < 24 && std::abs(image.GetGreen(x, y) - colour.Green()) < 24 &&
                std::abs(image.GetBlue(x, y) - colour.Blue()) < 24) {
                ++count;
            }
        }
    }
    return count;
}

TEST(TrayScreenshot, TheOpenMenuUnderTheStatusImage) {
    veqfake::EnsureWxApp();
    traytest::FakeTraySystem system;
    system.AddProcess(50, "ZeltoFetchd");
    traygui::WriteMappings({{"Accounting", "/home/anna/Scans.2024"},
                            {"Sales", "/home/anna/Invoices"},
                            {"Legal", "/srv/shared/Contracts"},
                            {"Reception", "/home/anna/Scans.2024"}});
    auto* strip = new StatusStrip();
    strip->Show();
    ASSERT_TRUE(veqfake::PumpUntil([&]() { return strip->IsShownOnScreen(); }));
    veqfake::PumpUntil([]() { return false; }, std::chrono::milliseconds(300));

    // The click lands on the icon; the menu opens under the pointer.
    wxUIActionSimulator().MouseMove(kIconLeft + 2, kStripHeight);
    veqfake::PumpUntil([]() { return false; }, std::chrono::milliseconds(200));
    traygui::ObservedTrayIcon icon(system);
    wxImage shot;
    icon.onOpen = [&]() {
        shot = Capture(kStripWidth - 420, 0, 420, 215);
        traygui::TypeKeys({WXK_ESCAPE});
    };
    icon.LeftClick();
    strip->Destroy();

    ASSERT_TRUE(shot.IsOk());
    EXPECT_GT(PixelsNear(shot, wxColour(30, 120, 210)), 20) << "the drop of the status image";
    EXPECT_GT(PixelsNear(shot, wxColour(236, 236, 236)), 1000) << "the strip";
    EXPECT_GT(PixelsNear(shot, *wxWHITE), 5000) << "the menu";
    const char* folder = std::getenv("VEQ_SCREENSHOT_DIR");
    const std::string path = std::string(folder ? folder : veqtest::SandboxDir().c_str()) + "/tray-menu.png";
    EXPECT_TRUE(shot.SaveFile(path, wxBITMAP_TYPE_PNG)) << path;
}

}  // namespace
