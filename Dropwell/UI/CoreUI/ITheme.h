// The colour set of the user interface: twelve colours in a fixed order,
// read directly by the code that draws with them.
#pragma once

#include <wx/colour.h>

class ITheme {
public:
    // Fill of the mapping dialog, its panel and its folder field.
    wxColour m_background;
    wxColour m_accent;
    wxColour m_lightBorder;
    wxColour m_alert;
    wxColour m_paleBackground;
    // Selected row of a data-view control that has the focus.
    wxColour m_selectionFocused;
    // Selected row of a data-view control without the focus.
    wxColour m_selectionUnfocused;
    wxColour m_text;
    wxColour m_white;
    // Toolbar button under the mouse.
    wxColour m_buttonHover;
    // Toolbar button at rest.
    wxColour m_buttonNormal;
    // Scrolling text of the about box.
    wxColour m_aboutText;
};
