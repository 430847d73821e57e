// How the mapping panel asks the user for a folder. Tests and unattended runs
// put their own chooser in place of the system's folder dialog.
//
//   SetFolderChooser([](wxWindow*, wxString& folder) { folder = "/srv/scans"; return true; });
#pragma once

#include <functional>

#include <wx/string.h>
#include <wx/window.h>

#include "DropwellUIExport.h"

// True with folder set when the user chose one; false when cancelled.
using FolderChooser = std::function<bool(wxWindow* parent, wxString& folder)>;

// Replaces the chooser for the rest of the process; an empty one restores the
// system's folder dialog ("Choose Folder").
DROPWELLUI_API void SetFolderChooser(FolderChooser chooser);

// Runs the current chooser.
bool ChooseFolder(wxWindow* parent, wxString& folder);
