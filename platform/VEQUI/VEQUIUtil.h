// Small answers the panel shares with the plug-ins.
#pragma once

#include <wx/string.h>

#include "VEQUIExport.h"

class VEQUI_API VEQUIUtil {
public:
    VEQUIUtil() = delete;

    // The product name, the caption of message boxes.
    static wxString GetAppName();
};
