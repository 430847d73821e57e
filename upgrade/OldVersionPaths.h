// Where the older version kept its files, and where the current version keeps
// the ones they move to. Fixed system paths lie under the root prefix
// (VEQ_ROOT); per-user files follow HOME, as the toolkit's standard paths do.
#pragma once

#include <wx/string.h>

namespace vequpgrade {

// The older version's settings: the toolkit's default file-based settings of
// the application "Veqora", a per-user file and a machine-wide one.
extern const wxString kOldAppName;
wxString OldSettingsLocalFile();
wxString OldSettingsGlobalFile();

// The user configuration folder + "Veqora", with a trailing separator; its
// "DWP" folder holds the mailbox credentials.
wxString GetOldMailboxCredentialsPath();

// The folder around the older version's "Dropwell" folder, with a trailing
// separator: ".../QMV/Veqora/" when it holds a "Dropwell" folder, else the
// older installation folder.
wxString GetOldDropwellPath();

// The folder around the current "Dropwell" folder (the configuration folder),
// with a trailing separator. Unlike the configuration folder's own accessor,
// it does not make the folder.
wxString GetNewVEQPath();

}  // namespace vequpgrade
