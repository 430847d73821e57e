// One scan setting: its type, the attribute key, the value the server
// understands and the text shown to the user.
#pragma once

#include <wx/string.h>

#include "VEQDataSourceExport.h"

class VEQDATASOURCE_API ScannerAttribute {
public:
    enum ScannerAttributeType : int {
        SCAN_SOURCE = 0,
        PAGE_SIZE = 1,
        RESOLUTION = 2,
        SIDES = 3,
        COLOR_MODE = 4,
        ORIENTATION = 5
    };

    ScannerAttribute();
    ScannerAttribute(ScannerAttributeType type, const wxString& name, const wxString& value);
    ScannerAttribute(ScannerAttributeType type, const wxString& name, const wxString& value,
                     const wxString& display);

    ScannerAttributeType m_type;
    wxString m_name;     // the attribute key, e.g. "SCAN_SOURCE"
    wxString m_value;    // e.g. "PLATEN", "SCAN_DOUBLE_SIDE", "600"
    wxString m_display;  // what the user sees
};

// Equal when type and value match exactly; name and display text do not count.
VEQDATASOURCE_API bool operator==(const ScannerAttribute& left, const ScannerAttribute& right);
