#include "AboutScreen.h"
#include "DropwellUIEntryPoints.h"

void ShowVEQAboutScreen(wxWindow* parent) {
    OpenAboutScreen(parent);
}
