// The save folder VEQPluginApp writes into. It is checked before anything
// else happens and made only when there are images to write, so that a run
// that is refused or brings nothing leaves no folder behind.
#pragma once

#include <wx/string.h>

// False for an empty path, a path that is no folder, or one without read and
// write access; a missing folder must be makeable (its nearest existing
// ancestor a writable folder). Else folder is the absolute path with a
// trailing separator. Makes nothing.
bool CheckSaveFolder(const wxString& savePath, wxString& folder);

// Makes folder (a CheckSaveFolder result) with any missing parents; true when
// it then exists and can be read and written.
bool MakeSaveFolder(const wxString& folder);
