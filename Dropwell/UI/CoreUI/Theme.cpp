#include "Theme.h"

#include "ThemeDefault.h"

Theme::Theme() : m_theme(std::make_shared<ThemeDefault>()) {}

std::shared_ptr<ITheme> Theme::Get() {
    static Theme theme;
    return theme.m_theme;
}
