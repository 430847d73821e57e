#include <wx/app.h>

#include "TrayIconApp.h"

wxIMPLEMENT_APP_NO_MAIN(TrayIconApp);

int main(int argc, char** argv) {
    wxSetAssertHandler(nullptr);
    const int result = wxEntry(argc, argv);
    return TrayIconApp::EndedAtStart() ? 0 : result;
}
