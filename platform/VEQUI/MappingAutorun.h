// Testing aid of the unattended mapping run (VEQUI_AUTORUN=map:...): answers
// the mapping dialog as a user would, with the folder given.
#pragma once

#include <wx/string.h>

// Makes the folder chooser answer folder, then, once the mapping dialog runs,
// ticks its check box, chooses the folder and presses OK.
void AnswerNextMappingDialog(const wxString& folder);
