// VEQUninstallerHelper: run by the uninstaller; gives every mapped folder its
// default icon back, then ends. Opens no window and writes no log.
#include <iostream>

#include <wx/image.h>
#include <wx/init.h>

#include "VEQIconChanger.h"

int main() {
    if (!wxInitialize()) {
        std::cout << "failed to inialize wx" << std::endl;
        return -1;
    }
    wxInitAllImageHandlers();
    VEQIconChanger("").RemoveVEQFolderIcons();
    wxUninitialize();
    return 0;
}
