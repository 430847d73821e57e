#include "ThemeDefault.h"

#include <wx/gdicmn.h>

ThemeDefault::ThemeDefault() {
    m_background = *wxWHITE;
    m_accent = wxColour("#3B95F9");
    m_lightBorder = wxColour("#DDDDDD");
    m_alert = wxColour("#C81414");
    m_paleBackground = wxColour("#F9FAFA");
    m_selectionFocused = wxColour("#6CADE5");
    m_selectionUnfocused = wxColour("#D8D8D8");
    m_text = wxColour("#000000");
    m_white = wxColour("#FFFFFF");
    m_buttonHover = wxColour("#E6F3FF");
    m_buttonNormal = wxColour("#FFFFFF");
    m_aboutText = wxColour("#4A4A4B");
}

ThemeDefault::~ThemeDefault() = default;
