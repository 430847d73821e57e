// The preference that switches the privacy-folder warnings on and off, read
// the same way by the dialog, its panel and the alert strip.
#pragma once

// False once the user dismissed the warnings ("ShouldShowPrivacyFolderWarningMessage"
// is 0); a value that is no number counts as the default, on.
bool ShowPrivacyFolderWarnings();

// True on 10.15 and later while the warnings are on: the dialog is taller then,
// to make room for the warning.
bool RoomForPrivacyWarning();
