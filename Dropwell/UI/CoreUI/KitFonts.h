// The kit's fonts and colours of text, and two questions about the application.
//
//   label->SetFont(VEQ::QMVFont_TitleBold);
#pragma once

#include <wx/colour.h>
#include <wx/font.h>
#include <wx/string.h>

#include "DropwellUIExport.h"

namespace VEQ {

// Built when the library is loaded: face "Lucida Grande", normal style.
DROPWELLUI_API extern wxFont QMVFont_Default;       // 11 pt, weight 400
DROPWELLUI_API extern wxFont QMVFont_DefaultLight;  // 11 pt, weight 300
DROPWELLUI_API extern wxFont QMVFont_DefaultBold;   // 11 pt, weight 700
DROPWELLUI_API extern wxFont QMVFont_Small;         // 9 pt, weight 400
DROPWELLUI_API extern wxFont QMVFont_SmallLight;    // 9 pt, weight 300
DROPWELLUI_API extern wxFont QMVFont_SmallBold;     // 9 pt, weight 700
DROPWELLUI_API extern wxFont QMVFont_Title;         // 13 pt, weight 400
DROPWELLUI_API extern wxFont QMVFont_TitleLight;    // 13 pt, weight 300
DROPWELLUI_API extern wxFont QMVFont_TitleBold;     // 13 pt, weight 700

DROPWELLUI_API extern wxColour QMVFont_DefaultColor;  // black
DROPWELLUI_API extern wxColour QMVFont_SmallColor;    // black
DROPWELLUI_API extern wxColour QMVFont_TitleColor;    // black

// For a user language (the desktop's preferred one) other than Dutch, English, French, German, Italian,
// Brazilian Portuguese and Spanish, the nine fonts become the system's GUI
// font at their point sizes, normal weight; for those languages they stay.
DROPWELLUI_API void UseSystemFontSettings();

// The program's path (first command-line argument, made absolute) with its
// last three folder levels removed: for a program in Contents/MacOS of a
// bundle, the folder holding the bundle. Never above the root.
DROPWELLUI_API wxString GetApplicationPath();
// The same for a given program path.
wxString FolderAboveProgram(const wxString& program);

DROPWELLUI_API bool ShowAnimation();

}  // namespace VEQ
