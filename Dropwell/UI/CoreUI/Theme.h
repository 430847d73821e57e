// The process-wide holder of the current colour set.
//
//   wxColour fill = Theme::Get()->m_selectionFocused;
#pragma once

#include <memory>

#include "ITheme.h"

class Theme {
public:
    // The current colour set; the first call makes the theme and its default set.
    static std::shared_ptr<ITheme> Get();

    Theme(const Theme&) = delete;
    Theme& operator=(const Theme&) = delete;

private:
    Theme();

    std::shared_ptr<ITheme> m_theme;
};
