// The save folder VEQPluginApp writes into: made when missing, then it must
// be readable and writable.
#pragma once

#include <wx/string.h>

// False for an empty path, a folder that cannot be made, or one without read
// and write access; else folder is its absolute path with a trailing separator.
bool PrepareSaveFolder(const wxString& savePath, wxString& folder);
