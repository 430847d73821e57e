// The service library's application object. It needs no display: the service
// has no windows and no event loop of its own, so it derives from the console
// application class.
#pragma once

#include <wx/app.h>

class DropwellApp : public wxAppConsole {
public:
    bool OnInit() override;
    int OnExit() override;
};

wxDECLARE_APP(DropwellApp);
