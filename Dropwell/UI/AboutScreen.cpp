#include "AboutScreen.h"

#include <wx/dcmemory.h>
#include <wx/intl.h>
#include <wx/settings.h>

#include "DropwellImages.h"
#include "KitBitmaps.h"
#include "KitText.h"
#include "Theme.h"
#include "VEQSplashScreen.h"

namespace {

const char* const kVersion = "6.7.1.3";
constexpr int kParagraphWidth = 300;

wxBitmap AboutPicture() {
    return VEQ::CUGetBitmapFromMemory(splash_about_png, splash_about_png_length);
}

void AddParagraph(wxDC& dc, wxString text, wxArrayString& lines) {
    wxArrayString divided;
    VEQ::CUDivideStrings(&dc, wxSize(kParagraphWidth, 0), text, divided);
    for (const wxString& line : divided) lines.Add(line);
}

}  // namespace

wxArrayString AboutScreenLines() {
    wxArrayString lines;
    lines.Add(_("Version: ") + kVersion);
    wxBitmap picture = AboutPicture();
    if (!picture.IsOk()) picture = wxBitmap(1, 1);
    wxMemoryDC dc(picture);
    const wxString face = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFaceName();
    dc.SetFont(wxFont(9, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, face));
    lines.Add(_("Copyright 2026 Veqora."));
    lines.Add(_("All rights reserved."));
    lines.Add(wxString());
    AddParagraph(dc,
                 _("Warning: this program is protected by copyright law. Copying or distributing it, or any part "
                   "of it, without permission may result in civil and criminal penalties."),
                 lines);
    lines.Add(wxString());
    lines.Add(wxString());
    return lines;
}

VEQ::VEQSplashScreen* OpenAboutScreen(wxWindow* parent) {
    return new VEQ::VEQSplashScreen(parent, wxID_ANY, false, 5000, AboutPicture(), AboutScreenLines(),
                                    wxPoint(251, 370), 10, 26, Theme::Get()->m_aboutText, false);
}
