#include <wx/app.h>
#include <wx/log.h>

#include "VEQApp.h"

wxIMPLEMENT_APP_NO_MAIN(VEQApp);

int main(int argc, char** argv) {
    wxSetAssertHandler(nullptr);
    wxLog::SetLogLevel(wxLOG_Info);
    const int result = wxEntry(argc, argv);
    // A second start that handed over to the running instance did its job.
    return VEQApp::HandedOver() ? 0 : result;
}
