// Accessibility helpers: the attribute providers of the optional automation
// library libVEQProbe, reached without linking it, and accessibility titles
// of native widgets. For the user-interface thread only.
#pragma once

#include <wx/defs.h>
#include <wx/string.h>

#include "Automation.h"
#include "VEQServicesExport.h"

class VEQSERVICES_API VEQAutomation {
public:
    VEQAutomation() = delete;

    // The provider that libVEQProbe's factory gives for (type, owner), or null
    // when the library or its factory cannot be found. The library is loaded
    // by its bare name "libVEQProbe.so" on the first call that finds it;
    // while it is missing every call tries again, and a library without the
    // factory is never searched again. Providers belong to libVEQProbe.
    static AutomationControl* GetAutomationControl(AutomationControl::Type type,
                                                   const Automation* owner);

    // Gives the native widget (wxWindow::GetHandle()) the accessibility title
    // title (UTF-8) when the system offers accessibility titles; otherwise,
    // and for a null widget or title, does nothing. Text that is not valid
    // UTF-8 clears the widget's title.
    static void SetAccessibilityTitle(WXWidget view, const char* title);

    // The title last set on the native widget; empty when it has none.
    static wxString GetAccessibilityTitle(WXWidget view);
};

// True when the system offers accessibility titles (10.10 and later); asked
// once per process, on the first call of this or SetAccessibilityTitle.
VEQSERVICES_API bool IsOSX10_10AndAbove();
