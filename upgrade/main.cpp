// VEQUpgrade: run once by the installer after an older version was installed;
// carries that version's settings, mailbox credentials and folder mappings
// over, then ends. Opens no window.
#include <iostream>

#include <wx/init.h>
#include <wx/log.h>

#include "Migrate.h"

int main() {
    if (!wxInitialize()) {
        std::cout << "failed to inialize wx" << std::endl;
        return -1;
    }
    {
        wxLogNull quiet;  // missing or unreadable old files are passed over silently
        Migrate migrate;
        migrate.MigrateFromRegToJson();
    }
    wxUninitialize();
    return 0;
}
