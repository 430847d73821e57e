#include <wx/app.h>
#include <wx/log.h>

#include "VEQPluginApp.h"

wxIMPLEMENT_APP_NO_MAIN(VEQApp);

int main(int argc, char** argv) {
    wxSetAssertHandler(nullptr);
    wxLog::SetLogLevel(wxLOG_Info);
    return wxEntry(argc, argv);
}
