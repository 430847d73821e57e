// Fitting text into a width: shortening with "..." and dividing into lines.
#pragma once

#include <functional>

#include <wx/arrstr.h>
#include <wx/dc.h>
#include <wx/gdicmn.h>
#include <wx/string.h>
#include <wx/window.h>

#include "DropwellUIExport.h"

namespace VEQ {

// The text shortened to fit the width with "...": at its end (candidates lose
// one character at a time from the end), or in the middle (the first and last
// halves lose a character in turn). "..." when "..." alone does not fit within
// the width; in the middle mode a one-character text gives "". firstLacksLast:
// the first end-mode candidate already lacks the last character.
wxString TruncateToWidth(const std::function<int(const wxString&)>& width, const wxString& text, int available,
                         bool middle, bool firstLacksLast);

// Shortens text in place to the size's width, measured with the window's font,
// as soon as its width together with that of "..." exceeds the width.
DROPWELLUI_API void CUTruncateText(wxWindow* window, wxSize size, wxString& text, bool middle);

// Fills lines with the text's words, as many to a line as fit the size's width
// in the context's font; a word wider than the width is cut where it stops
// fitting (at least one character to a line). Lines carry no trailing blank.
DROPWELLUI_API void CUDivideStrings(wxDC* dc, wxSize size, wxString& text, wxArrayString& lines);

}  // namespace VEQ
