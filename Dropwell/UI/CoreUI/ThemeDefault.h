// The default and only colour set.
#pragma once

#include "ITheme.h"

class ThemeDefault : public ITheme {
public:
    ThemeDefault();
    virtual ~ThemeDefault();
};
